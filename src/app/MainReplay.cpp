// The game object's side of replays: recording every session, playing a
// replay frame by frame without live input, the digests of the state, and
// the replay files under the save folder.
#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "app/Main.h"
#include "app/StopSignals.h"
#include "board/Board.h"
#include "board/BoardTab.h"
#include "board/GameSprite.h"
#include "board/LevelFile.h"
#include "board/Mouse.h"
#include "engine/core/DataFile.h"
#include "engine/core/FolderCopy.h"
#include "engine/core/SafeFile.h"

namespace fs = std::filesystem;

namespace {
// replays/last.replay and the four sessions before it.
constexpr int kKeptSessions = 5;

std::string LastReplayName(int age) {
  return age == 0 ? "last.replay" : "last-" + std::to_string(age) + ".replay";
}

// The player's files a session's replay takes from save/: the markers of
// the players and their saved games.
bool IsSessionSaveFile(const std::string& name) { return name.ends_with(".sav") || name.ends_with(".sa2"); }
}  // namespace

// ---- Recording --------------------------------------------------------------

void Tmain::StartRecording() {
  TReplayHeader h;
  h.Version = GameVersion();
  h.Seed = Options.Seed.value_or(0);
  h.Play = Options.Play;
  h.PlayPack = Options.PlayPack;
  h.PlayLevel = Options.PlayLevel;
  h.Relaxed = Options.Relaxed;
  h.HintsSeen = Options.HintsSeen;
  // The player's files as the session finds them: the players, their games
  // and the hiscores decide what the menus offer, and the session itself may
  // change them. Only the game's own files go in, and never through a link.
  std::vector<std::string> paths = {"arvanels.cfg", "data/hiscore.arv"};
  std::vector<std::string> saves;
  std::error_code ec;
  for (fs::directory_iterator it(SavePath("save"), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code typeError;
    if (IsSessionSaveFile(name) && it->symlink_status(typeError).type() == fs::file_type::regular)
      saves.push_back("save/" + name);
  }
  std::sort(saves.begin(), saves.end());
  paths.insert(paths.end(), saves.begin(), saves.end());
  size_t total = 0;
  for (const std::string& path : paths) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!IsReplayFilePath(path) || !ReadSmallFileNoLinks(SavePath(path), kMaxReplayFileBytes, bytes, error)) continue;
    if (total + bytes.size() > 4 * kMaxReplayFileBytes) break;
    total += bytes.size();
    h.Files.emplace_back(path, std::move(bytes));
  }
  Recorder_ = std::make_unique<TReplayRecorder>(std::move(h));
  // Beyond a few dozen kilobytes the recording goes on in an unnamed file
  // beside the replays it becomes.
  Recorder_->SpillFolder = SavePath("replays");
  Recorder_->DigestNow = [this] { return StateDigest(); };
  Recorder_->OnFull = [](int64_t tick) {
    std::fprintf(stderr,
                 "grovewright: the session's replay holds as much as a replay may; it ends at tick %lld, and the "
                 "session goes on unrecorded\n",
                 static_cast<long long>(tick));
  };
}

int Tmain::FrameTicksDue() const {
  int64_t due = Timer.TickBank() >> 20;
  if (Options.Ticks >= 0) due = std::clamp<int64_t>(Options.Ticks - TotalTicks, 0, due);
  return static_cast<int>(due);
}

void Tmain::ReplayTick() {
  if (Recorder_ && TotalTicks % 120 == 0) Recorder_->Digest(TotalTicks, StateDigest());
  if (Replay_ && ReplayDivergedAt_ < 0) {
    uint64_t recorded = 0;
    try {
      if (Replay_->DigestAt(TotalTicks, recorded)) {
        if (recorded == StateDigest())
          ReplayMatchedAt_ = TotalTicks;
        else
          ReplayDivergedAt_ = TotalTicks;
      }
    } catch (const DataError& ex) {
      StopReplay(ex.what());
    }
  }
}

std::string Tmain::ClipboardForGame() {
  if (Replay_) {
    try {
      return Replay_->NextPaste();
    } catch (const DataError& ex) {
      StopReplay(ex.what());
      return {};
    }
  }
  std::string text = plat::Utf8ToAnsi(Platform.ClipboardText());
  // A field holds a hundred characters: more of the clipboard is never used.
  if (text.size() > kMaxReplayPasteBytes) text.resize(kMaxReplayPasteBytes);
  if (Recorder_) Recorder_->Paste(TotalTicks, text);
  return text;
}

std::string Tmain::ReplayText() const { return Recorder_ ? Recorder_->Text(StateDigest()) : std::string(); }

void Tmain::SaveSessionReplay() {
  if (!Recorder_) return;
  try {
    const uint64_t digest = StateDigest();
    std::string error;
    const fs::path folder = SavePath("replays");
    std::error_code ec;
    for (int age = kKeptSessions - 1; age > 0; --age)
      fs::rename(folder / LastReplayName(age - 1), folder / LastReplayName(age), ec);
    const std::string last = (folder / LastReplayName(0)).string();
    if (!Recorder_->Save(last, digest, error))
      std::fprintf(stderr, "grovewright: cannot save the session's replay %s: %s\n", last.c_str(), error.c_str());
    if (!Options.Record.empty() && !Recorder_->Save(Options.Record, digest, error))
      std::fprintf(stderr, "grovewright: cannot save the replay %s: %s\n", Options.Record.c_str(), error.c_str());
  } catch (const std::exception& ex) {
    std::fprintf(stderr, "grovewright: cannot save the session's replay: %s\n", ex.what());
  }
}

void Tmain::SaveReplaySnapshot() {
  if (!Recorder_) return;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const fs::path folder = SavePath("replays");
  std::error_code ec;
  fs::path path = folder / ("replay-" + std::string(stamp) + ".replay");
  for (int n = 2; fs::exists(path, ec); ++n) path = folder / ("replay-" + std::string(stamp) + "-" + std::to_string(n) + ".replay");
  std::string error;
  if (Recorder_->Save(path.string(), StateDigest(), error)) {
    std::fprintf(stderr, "grovewright: the replay so far is saved as %s\n", path.string().c_str());
    ReplayNotice_ = "Replay saved: " + path.filename().string();
  } else {
    std::fprintf(stderr, "grovewright: cannot save the replay %s: %s\n", path.string().c_str(), error.c_str());
    ReplayNotice_ = "Cannot save the replay: " + error;
  }
  ReplayNoticeUntil_ = TotalTicks + 240;
}

void Tmain::DrawReplayNotice() {
  if (ReplayNotice_.empty() || TotalTicks >= ReplayNoticeUntil_) return;
  TCanopyFont* f = Fonts.Items(0);
  if (!f) return;
  // Over everything, at the top left: a dark strip with the words on it.
  const float w = static_cast<float>(f->TextWidth(ReplayNotice_));
  Canvas.FillRect(6, 6, 22 + w, 14 + static_cast<float>(f->TextHeight(ReplayNotice_)), 0xC0000000, kBlendAlpha);
  f->TextOut(ReplayNotice_, 0xFFFFFFFF, 14, 10);
}

// ---- The state's digest -----------------------------------------------------

uint64_t Tmain::StateDigest() const {
  TStateHash h;
  for (int64_t v : {int64_t{ScreenState}, int64_t{GamePaused}, int64_t{DialogOpen}, int64_t{HintShown},
                    int64_t{ScreenTicks}, int64_t{Random.State()}})
    h.Add(v);
  if (Player_) {
    const TPlayer& p = *Player_;
    for (int64_t v : {p.Score, p.Lives, p.ManaTree, p.ManaWater, p.ManaFire, p.ManaMountain, p.LevelReached}) h.Add(v);
  } else {
    h.Add(-1);
  }
  if (Board_) {
    const TBoard& b = *Board_;
    for (int64_t v : {int64_t{b.LevelNumber}, int64_t{b.ElapsedSeconds}, int64_t{b.Completed}, int64_t{b.TimeOver},
                      int64_t{b.NoMoves}, int64_t{b.Cleared}, int64_t{b.GameOver}, int64_t{b.ArmedSpell}})
      h.Add(v);
    for (int r = 1; r <= kBoardRows; ++r) {
      for (int c = 1; c <= kBoardCols; ++c) {
        const TBoardTab* tab = b.TabAt(c, r);
        const TGameSprite* piece = tab ? tab->Piece : nullptr;
        h.Add(tab ? tab->TabType : -1);
        h.Add(piece ? static_cast<int>(piece->Kind) : -1);
        h.Add(piece ? static_cast<int>(piece->State) : -1);
      }
    }
  } else {
    h.Add(-2);
  }
  if (Mouse_) {
    h.Add(Mouse_->SelCol);
    h.Add(Mouse_->SelRow);
  }
  return h.Value;
}

std::string Tmain::StateSummary() const {
  std::string text = std::string("screen ") + ScreenStateName(ScreenState);
  if (Board_) text += ", level " + std::to_string(Board_->LevelNumber) + " of \"" + Board_->PackName + "\"";
  if (Player_) {
    const TPlayer& p = *Player_;
    text += ", score " + std::to_string(p.Score) + ", lives " + std::to_string(p.Lives) + ", mana " +
            std::to_string(p.ManaTree) + "/" + std::to_string(p.ManaWater) + "/" + std::to_string(p.ManaFire) + "/" +
            std::to_string(p.ManaMountain) + " (tree/water/fire/mountain)";
  }
  if (Board_) {
    int boxes = 0;
    for (int r = 1; r <= kBoardRows; ++r)
      for (int c = 1; c <= kBoardCols; ++c)
        if (const TBoardTab* tab = Board_->TabAt(c, r); tab && tab->TabType >= ttWood && tab->TabType <= ttForceField2)
          ++boxes;
    text += ", " + std::to_string(boxes) + " boxes and fields left";
  }
  if (GamePaused) text += ", paused";
  return text;
}

// ---- Playing a replay -------------------------------------------------------

bool Tmain::SetReplay(std::unique_ptr<TReplay> replay, std::string& error) {
  const TReplayHeader& h = replay->Header;
  // What the file says is shown as the pack names are: control characters
  // never reach the terminal as they are.
  if (h.Version != GameVersion())
    std::fprintf(stderr, "grovewright: %s was recorded by version %s of the game, this is version %s: it may play differently\n",
                 PrintableName(replay->Name).c_str(), PrintableName(h.Version).c_str(), GameVersion());
  Options.Seed = h.Seed;
  Options.Play = h.Play;
  Options.PlayPack = h.PlayPack;
  Options.PlayLevel = h.PlayLevel;
  Options.Relaxed = h.Relaxed;
  Options.HintsSeen = h.HintsSeen;
  Options.Script.clear();
  Options.Ticks = -1;
  // The replay plays in a save folder of its own holding the player's files
  // as the session found them: it starts where the session started, and
  // everything it writes (saves, options, hiscores, packs made or changed in
  // the editor) goes there; the player's own folders are only read.
  const std::string temp = TemporaryFolder();
  std::string pattern = (fs::path(temp) / "grovewright-replay-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    error = "cannot make a folder for the replay's files in " + temp + ": " + std::strerror(errno);
    return false;
  }
  ReplaySaveHome_ = pattern;
  // From here on a stop by a signal still removes that folder.
  CatchStopSignals();
  for (const auto& [path, bytes] : h.Files) {
    if (!WriteFileAtomically((fs::path(pattern) / path).string(), bytes, error)) return false;
  }
  // The packs of the player's folder (those made in the editor) go with it,
  // as plain files: a link is never followed. The campaign is the game's
  // own, read where it lies.
  const bool shared = Options.SaveHome == Options.Home;
  std::string copyError;
  if (!CopyFolderWithoutLinks(SavePath("levels"), (fs::path(pattern) / "levels").string(), copyError,
                              [shared](const std::string& relative) { return shared && relative == kStoryPackName; })) {
    error = "cannot copy the level packs for the replay: " + copyError;
    return false;
  }
  Options.SaveHome = pattern;
  Recorder_.reset();
  Replay_ = std::move(replay);
  return true;
}

void Tmain::StopReplay(const std::string& why) {
  std::fprintf(stderr, "grovewright: %s\n", PrintableName(why).c_str());
  ReplayStopped_ = true;
  Close();
}

void Tmain::RunReplayFrame() {
  // The window's input is shut out; only its close box and a lost picture
  // count.
  plat::Event e;
  while (Platform.PollEvent(e)) {
    if (e.Type == plat::EventType::RenderReset) Canopy.NotifyRenderTargetsReset();
    if (e.Type == plat::EventType::Quit) {
      ReplayStopped_ = true;
      Close();
    }
  }
  // Stopped by a signal (Ctrl+C, a kill): the game closes, which removes the
  // replay's folder.
  if (const int signal = StopSignalCaught()) {
    std::fprintf(stderr, "grovewright: the replay was stopped by signal %d\n", signal);
    ReplayStopped_ = true;
    Close();
  }
  if (Closing_) return;
  std::vector<TScriptCommand> inputs;
  int ticks = 0;
  bool frame = false;
  try {
    frame = Replay_->NextFrame(inputs, ticks);
  } catch (const DataError& ex) {
    StopReplay(ex.what());
    return;
  }
  if (PendingRelease_) {
    plat::Event up;
    up.Type = plat::EventType::MouseUp;
    up.X = ScriptX_;
    up.Y = ScriptY_;
    PendingRelease_ = false;
    DispatchEvent(up);
  }
  for (const TScriptCommand& c : inputs) {
    if (Closing_) return;  // the session took no input after it closed
    RunScriptCommand(c);
  }
  if (!frame) {
    ReplayEnded_ = true;
    Close();
    return;
  }
  if (Closing_) return;
  // A replay in a window runs at the speed of play, as it was recorded.
  if (!Platform.Headless()) {
    plat::Clock& clock = Platform.GetClock();
    if (ReplayStartCounter_ == 0) ReplayStartCounter_ = clock.Counter() - 1;
    const uint64_t due = ReplayStartCounter_ + static_cast<uint64_t>(TotalTicks) * clock.Frequency() / 120;
    const uint64_t now = clock.Counter();
    if (now < due) clock.SleepMs(static_cast<uint32_t>((due - now) * 1000 / clock.Frequency()));
  }
  Timer.ReplayFrame(ticks);
}

int Tmain::FinishReplay() {
  const uint64_t digest = StateDigest();
  std::printf("replay: final state at tick %lld: digest %s\n", static_cast<long long>(TotalTicks),
              DigestText(digest).c_str());
  std::printf("replay: %s\n", StateSummary().c_str());
  if (ReplayStopped_) {
    std::printf("replay: stopped at tick %lld, before the recording's end at tick %lld\n",
                static_cast<long long>(TotalTicks), static_cast<long long>(Replay_->EndTick));
    return 1;
  }
  // The game may close itself in the last frame, as the recorded session did.
  const bool ended = ReplayEnded_ || Replay_->FramesOver();
  const bool same = ended && ReplayDivergedAt_ < 0 && TotalTicks == Replay_->EndTick && digest == Replay_->EndDigest;
  if (same) {
    std::printf("replay: the same as the recording's final state\n");
    return ExitCode;
  }
  std::printf("replay: DIFFERENT from the recording, which ended at tick %lld with digest %s\n",
              static_cast<long long>(Replay_->EndTick), DigestText(Replay_->EndDigest).c_str());
  if (!ended)
    std::printf("replay: the game ended at tick %lld, before the recording did\n", static_cast<long long>(TotalTicks));
  // The first digest that differed, or else the end; and the last that
  // still matched before it.
  const int64_t diverged = ReplayDivergedAt_ >= 0 ? ReplayDivergedAt_ : std::min(TotalTicks, Replay_->EndTick);
  const int64_t matched = ReplayMatchedAt_ < diverged ? ReplayMatchedAt_ : -1;
  if (matched >= 0)
    std::printf("replay: the state first diverged at tick %lld (it still matched at tick %lld)\n",
                static_cast<long long>(diverged), static_cast<long long>(matched));
  else
    std::printf("replay: the state first diverged at tick %lld\n", static_cast<long long>(diverged));
  return 1;
}
