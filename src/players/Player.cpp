#include "players/Player.h"

#include <algorithm>
#include <filesystem>


int32_t* TPlayer::Mana(int element) {
  switch (element) {
    case 1: return &ManaTree;
    case 2: return &ManaWater;
    case 3: return &ManaFire;
    case 4: return &ManaMountain;
    default: return nullptr;
  }
}

void TPlayer::StartGame(bool storyPack) {
  ClearMana();
  Score = 0;
  Lives = 3;
  // The extra-life threshold starts over with the score; a threshold left
  // from an earlier game would hold back the first extra lives.
  NextLifeScore = kLifeScoreStep;
  for (size_t i = 1; i < TutorialFlags.size(); ++i) TutorialFlags[i] = storyPack ? 2 : 0;
}

TPlayer::TConfigState TPlayer::LoadConfig(const std::string& home) {
  std::string error;
  bool missing = false;
  std::optional<TConfigRecord> config = ReadConfigFile(ConfigPath(home), error, &missing);
  if (!config) {
    SoundOn = 1;
    MusicOn = 1;
    SystemCursor = 0;
    return missing ? TConfigState::Missing : TConfigState::Damaged;
  }
  std::error_code ec;
  std::string reason;
  if (ValidatePlayerName(config->LastPlayer, reason) &&
      std::filesystem::is_regular_file(PlayerMarkerPath(home, config->LastPlayer), ec))
    PlayerName = config->LastPlayer;
  SoundOn = config->SoundOn;
  MusicOn = config->MusicOn;
  SystemCursor = config->SystemCursor;
  return config->FullScreen ? TConfigState::FullScreen : TConfigState::Windowed;
}

bool TPlayer::SaveConfig(const std::string& home, bool fullScreen, std::string& error) const {
  if (!Persistent) return true;
  TConfigRecord config;
  config.LastPlayer = PlayerName;
  config.FullScreen = fullScreen ? 1 : 0;
  config.MusicOn = MusicOn ? 1 : 0;
  config.SystemCursor = SystemCursor ? 1 : 0;
  config.SoundOn = SoundOn ? 1 : 0;
  return WriteConfigFile(ConfigPath(home), config, error);
}

std::string TPlayer::ProgressFile(const std::string& home, const std::string& pack, bool relaxed) const {
  // Before a pack is chosen only the marker is written, in either mode: a
  // progress file without a pack would belong to nothing.
  if (pack.empty()) return PlayerMarkerPath(home, PlayerName);
  return ProgressPath(home, PlayerName, pack, relaxed);
}

void TPlayer::ApplyProgress(const TProgressRecord& progress) {
  LevelReached = progress.Level;
  Score = progress.Score;
  Lives = progress.Lives;
  NextLifeScore = NextLifeScoreFor(Score);
}

bool TPlayer::Retry(bool freeOfCharge) {
  if (!freeOfCharge) {
    if (Lives <= 1) return false;
    // Lives won during the failed attempt came from score that the retry
    // takes back: the attempt restarts from the lives it began with, less the
    // one it costs (a life won on a last life pays for the retry itself).
    Lives = std::max(1, std::min(Lives, LevelStartLives) - 1);
  }
  Score = LevelStartScore;
  NextLifeScore = LevelStartNextLife;
  return true;
}
