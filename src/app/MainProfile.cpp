// The game object's side of the player's files: the options file read at
// start-up and written when the options close, and the progress of the
// current player in the pack on the board.
#include <filesystem>

#include "app/Main.h"
#include "board/Board.h"
#include "players/PlayerFiles.h"

namespace {
constexpr size_t kMaxSaveFileBytes = 64 * 1024;

bool WholeConfig(const std::vector<uint8_t>& b) { return TConfigRecord::Decode(b.data(), b.size()).has_value(); }
bool WholeProgress(const std::vector<uint8_t>& b) { return TProgressRecord::Decode(b.data(), b.size()).has_value(); }
}  // namespace

std::string Tmain::CurrentPack() const { return Board_ ? Board_->PackName : std::string(); }

bool Tmain::SetFullScreen(bool fullScreen) {
  if (!Platform.SetFullScreen(fullScreen)) {
    if (fullScreen) FullScreenRefused();
    return false;
  }
  // The window system may still refuse a request it took: WatchFullScreen
  // looks for that.
  FullScreenWanted_ = fullScreen;
  if (!fullScreen) {
    // Back in a window: the game's own size, centred on the desktop.
    int desktopW = 0, desktopH = 0;
    Platform.DesktopSize(desktopW, desktopH);
    Platform.SetClientSize(800, 600);
    Platform.SetWindowPosition(CentreOffset(800, desktopW), CentreOffset(600, desktopH));
  }
  return true;
}

void Tmain::LoadConfig() {
  TPlayer& player = Player();
  // Options that cannot be read are told, and kept aside or left alone.
  std::string message;
  const TSaveGuard::TOutcome outcome =
      Saves.Check(ConfigPath(Options.SaveHome), TSaveGuard::TKind::Options, kMaxSaveFileBytes, WholeConfig, message);
  if (!message.empty()) ShowError(message);
  TPlayer::TConfigState state = player.LoadConfig(Options.SaveHome);
  if (outcome == TSaveGuard::TOutcome::KeptAside) state = TPlayer::TConfigState::Damaged;
  // A window chosen on the command line (--windowed, --fullscreen) has the
  // last word and is applied next: switching to the options' choice first
  // would only keep the window system busy for a moment.
  if (Options.Windowed || Options.FullScreen) return;
  switch (state) {
    case TPlayer::TConfigState::Missing: {
      // A first start fills the screen, where the screen is big enough for
      // the game's picture and the window system lets us.
      int w = 0, h = 0;
      Platform.DesktopSize(w, h);
      if (!Platform.Headless() && w >= 800 && h >= 600 && SetFullScreen(true)) return;
      SetFullScreen(false);
      break;
    }
    case TPlayer::TConfigState::Damaged:
    case TPlayer::TConfigState::Windowed:
      SetFullScreen(false);
      break;
    case TPlayer::TConfigState::FullScreen:
      if (!SetFullScreen(true)) SetFullScreen(false);
      break;
  }
}

void Tmain::SaveConfig() {
  // Options that could not be read are never written over.
  if (!Saves.MayWrite(ConfigPath(Options.SaveHome))) return;
  std::string error;
  if (!Player().SaveConfig(Options.SaveHome, Platform.FullScreen(), error)) ShowError("Cannot save the options: " + error);
}

void Tmain::SaveProgress() {
  TPlayer& player = Player();
  if (!player.Persistent || player.PlayerName.empty()) return;
  const std::string home = Options.SaveHome;
  TProgressRecord progress;
  progress.Level = Board_ ? Board_->LevelNumber : 1;
  progress.Score = player.Score;
  progress.Lives = player.Lives;
  std::string error;
  // A saved journey that could not be read is never written over.
  const std::string path = player.ProgressFile(home, CurrentPack(), RelaxedMode);
  bool saved = !Saves.MayWrite(path) || WriteProgressFile(path, progress, error);
  // A saved player is a known player: the marker comes back with any save.
  std::error_code ec;
  const std::string marker = PlayerMarkerPath(home, player.PlayerName);
  if (saved && !std::filesystem::exists(marker, ec)) saved = WriteProgressFile(marker, progress, error);
  if (!saved) ShowError("Cannot save the game of " + player.PlayerName + ": " + error);
  SaveConfig();
}

void Tmain::LoadProgress() {
  TPlayer& player = Player();
  player.HiscoreRank = -1;
  if (!player.Persistent || player.PlayerName.empty()) return;
  const std::string pack = CurrentPack();
  std::string error;
  std::optional<TProgressRecord> progress;
  if (!pack.empty()) {
    const std::string path = ProgressPath(Options.SaveHome, player.PlayerName, pack, RelaxedMode);
    // A saved journey that cannot be read is never reset in silence: it is
    // kept aside (damaged) or left alone (unreadable), and the player told.
    std::string message;
    const TSaveGuard::TOutcome outcome =
        Saves.Check(path, TSaveGuard::TKind::Journey, kMaxSaveFileBytes, WholeProgress, message);
    if (!message.empty()) ShowError(message);
    if (outcome == TSaveGuard::TOutcome::Read) progress = ReadProgressFile(path, error);
  }
  if (!progress) {
    // No saved game (or one that cannot be trusted): a fresh start, saved.
    player.ApplyProgress(TProgressRecord{});
    SaveProgress();
    return;
  }
  player.ApplyProgress(*progress);
  SaveConfig();
}
