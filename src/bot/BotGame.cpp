#include "bot/BotGame.h"

#include <stdlib.h>

#include <filesystem>

#include "app/GameSession.h"
#include "board/Board.h"
#include "players/Player.h"

namespace {

// The seed a started game is made with; a run seeds it anew.
constexpr uint32_t kStartSeed = 1;
// More draws than any start-up makes: the count gives up there.
constexpr uint32_t kMostStartDraws = 1u << 20;

// How many numbers a generator seeded with `seed` has drawn to reach `state`.
bool CountDraws(uint32_t seed, uint32_t state, uint32_t& draws) {
  TRandom probe;
  probe.Seed(seed);
  for (draws = 0; draws < kMostStartDraws; ++draws) {
    if (probe.State() == state) return true;
    probe.Next(0);
  }
  return false;
}

void SeedAndDraw(TRandom& random, uint32_t seed, uint32_t draws) {
  random.Seed(seed);
  for (uint32_t i = 0; i < draws; ++i) random.Next(0);
}

}  // namespace

TBotGame::TBotGame() = default;
TBotGame::~TBotGame() {
  Game_.reset();
  if (!SaveHome_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(SaveHome_, ec);
  }
}

bool TBotGame::Start(const std::string& home, std::string& error) {
  plat::PlatformOptions platformOptions;
  platformOptions.Headless = true;
  Platform_ = plat::Platform::Create(platformOptions, error);
  if (!Platform_) {
    error = "cannot start the headless platform: " + error;
    return false;
  }
  TLaunchOptions options;
  options.Headless = true;
  options.Home = home;
  options.Seed = kStartSeed;
  options.NoMusic = true;
  Game_ = NewGameSession(*Platform_, options);
  if (!Game_->FormCreate()) {
    error = "the game could not start in " + home;
    return false;
  }
  // FormCreate seeds the game's generator and the effects' generator from
  // it; whatever the start-up drew from them after that, a run draws too.
  if (!CountDraws(kStartSeed, Game_->Random.State(), RandomDraws_) ||
      !CountDraws(kStartSeed ^ 0x9E3779B9u, Game_->EffectRandom.State(), EffectDraws_)) {
    error = "the start-up drew too many random numbers";
    return false;
  }
  // Nothing of play reads the save folder; the hiscore table of a game over
  // and the replays are written there.
  std::error_code ec;
  std::string scratch = (std::filesystem::temp_directory_path(ec) / "levelbot-XXXXXX").string();
  if (ec || !mkdtemp(scratch.data())) {
    error = "cannot make a save folder for the runs under " + std::filesystem::temp_directory_path(ec).string();
    return false;
  }
  SaveHome_ = scratch;
  Game_->Options.SaveHome = SaveHome_;
  return true;
}

TBotLevelResult TBotGame::PlayLevel(const std::string& pack, int level, uint32_t seed, const TBotSettings& settings,
                                    const TBotProfile* profile) {
  TBotLevelResult result;
  if (!Game_ || Spent_) {
    result.Error = "the game has not been started, or a run has played it already";
    return result;
  }
  Spent_ = true;
  TGameSession& game = *Game_;
  // As FormCreate does with these options and this seed, up to its end.
  game.Options.Seed = seed;
  game.Options.Play = true;
  game.Options.PlayPack = pack;
  game.Options.PlayLevel = level;
  game.Options.HintsSeen = true;
  SeedAndDraw(game.Random, seed, RandomDraws_);
  SeedAndDraw(game.EffectRandom, seed ^ 0x9E3779B9u, EffectDraws_);
  std::string error;
  if (!game.StartPlay(error)) {
    result.Error = "the game could not start " + pack + " level " + std::to_string(level) + ": " + error;
    return result;
  }
  if (profile) {
    // The level was set up for a new game; the player comes from the levels
    // before it instead, and a retry goes back to these values.
    TPlayer& player = game.Player();
    player.Score = player.LevelStartScore = profile->Score;
    player.Lives = player.LevelStartLives = profile->Lives;
    player.NextLifeScore = player.LevelStartNextLife = profile->NextLifeScore;
  }
  return PlayStartedLevel(game, seed, settings);
}
