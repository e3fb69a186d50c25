// Replays: a whole session as a small text file that plays the game again
// exactly. The file is an input script with a header: the seed, the game's
// version, the options that shape play and the player's files as the session
// found them; then every input the game took, at the tick it took effect, and
// the frames between them with the ticks each frame ran, since the mouse
// buttons and many clicks are seen once per frame, not per tick. Digests of
// the game's state, one a second and one at the end, tell a replay whether it
// still follows the recording.
//
//   grovewright-replay 1
//   version 1.2
//   seed 2718281828
//   play "Game Levels" 3            a session started with --play (optional)
//   relaxed                         with play: relaxed mode
//   hints-seen                      with play: the tutorial hints count as seen
//   file arvanels.cfg 0a416e6e...   a player's file as the session began (hex)
//   0 up 0 0                        inputs, in the order the game took them
//   0 frames 0x2 2x59               frames: "KxN" is N frames of K ticks each
//   118 mouse 412 305
//   118 down 412 305                a press and its release between the same
//   118 up 412 305                  two frames: a quick click
//   118 frames 2x5 3 2
//   120 digest 5f2c9a0b33e1d7a4     the state's digest after tick 120
//   ...
//   5160 quit
//   5160 end 8c1f0e2d3b4a5968       the tick and digest the session ended with
//
// An input takes effect before the first frame listed after it that begins
// at or after its tick; inputs after the last frame take effect when the
// frames are over. Every command of the input script may stand among the
// inputs (a "click", a "dump"); "paste" lines give, in order, what the
// clipboard held each time the game read it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "automation/InputScript.h"

namespace plat {
struct Event;
}

constexpr int kReplayFormat = 1;
// A replay file is read only up to this size: an hour of play at a high frame
// rate stays well below it.
constexpr size_t kMaxReplayBytes = size_t{64} << 20;
// The player's files a replay carries: each at most this size, all together
// at most four times that.
constexpr size_t kMaxReplayFileBytes = size_t{64} << 10;

// The version of the game, as replays name it.
const char* GameVersion();

struct TReplayHeader {
  std::string Version;
  uint32_t Seed = 0;
  bool Play = false;
  std::string PlayPack;
  int PlayLevel = 1;
  bool Relaxed = false;
  bool HintsSeen = false;
  // The player's files as the session found them: a path relative to the
  // save folder, and the file's bytes.
  std::vector<std::pair<std::string, std::vector<uint8_t>>> Files;
};

// Whether a path may name a player's file of a replay: "arvanels.cfg",
// "data/hiscore.arv" or a file directly inside "save/". Nothing else is
// written when a replay is played, so a foreign replay cannot reach outside
// its folder.
bool IsReplayFilePath(const std::string& path);

// FNV-1a over the values that make up the state.
class TStateHash {
 public:
  void Add(int64_t v) {
    for (int i = 0; i < 8; ++i) {
      Value ^= static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i));
      Value *= 0x100000001B3ull;
    }
  }
  uint64_t Value = 0xCBF29CE484222325ull;
};

std::string DigestText(uint64_t digest);

// Writes a session as it happens. The game hands it every input as it is
// dispatched, every frame as it begins (with the ticks it will run) and a
// digest every second.
class TReplayRecorder {
 public:
  explicit TReplayRecorder(TReplayHeader header);
  const TReplayHeader& Header() const { return Header_; }

  void Input(int64_t tick, const plat::Event& e);
  void Paste(int64_t tick, const std::string& text);
  void Frame(int64_t firstTick, int ticks);
  void Digest(int64_t tick, uint64_t digest);
  // The tick the recorded frames reach.
  int64_t Reached() const { return Reached_; }
  // The replay so far, ended by the digest of the state now.
  std::string Text(uint64_t digest) const;

 private:
  void Line(int64_t tick, const std::vector<std::string>& words);
  void FlushFrames();
  std::string FramesLine() const;

  TReplayHeader Header_;
  std::string Body_;
  int64_t FramesTick_ = 0;                           // first tick of the frames not yet written
  std::vector<std::pair<int, int64_t>> Frames_;      // (ticks, frames) not yet written
  std::vector<std::pair<int64_t, uint64_t>> Digests_;  // waiting for the frames that reached them
  int64_t Reached_ = 0;
};

// The line of an input as a replay writes it ("down 412 305", "keydown F9");
// empty for events that are no input.
std::vector<std::string> ReplayInputWords(const plat::Event& e);

// A replay read from a file, and the place reached in playing it.
class TReplay {
 public:
  // Throw DataError naming the file, the line and the reason.
  static TReplay Load(const std::string& path);
  static TReplay Parse(const std::string& text, const std::string& name);

  struct TRun {
    int64_t FirstTick = 0;
    int64_t Count = 0;  // frames
    int Ticks = 0;      // each frame's ticks
  };
  struct TInput {
    int64_t Frame = 0;  // the frame it comes before (FrameCount: after the last)
    TScriptCommand Command;
  };

  std::string Name;
  TReplayHeader Header;
  std::vector<TRun> Runs;
  std::vector<TInput> Inputs;  // by frame, in file order within a frame
  std::vector<std::string> Pastes;
  std::map<int64_t, uint64_t> Digests;
  int64_t FrameCount = 0;
  int64_t EndTick = 0;
  uint64_t EndDigest = 0;

  // The inputs due before the next frame, and that frame's ticks; false when
  // the frames are over (inputs then holds those after the last frame).
  bool NextFrame(std::vector<TScriptCommand>& inputs, int& ticks);
  // Every frame has been handed out.
  bool FramesOver() const { return Run_ >= Runs.size(); }
  // Whether the next frame's inputs save a picture (a screenshot, F12).
  bool PictureDueNext() const;
  // What the clipboard held the next time the game reads it ("" when the
  // recording has no more).
  std::string NextPaste();

 private:
  size_t Run_ = 0;
  int64_t InRun_ = 0;
  int64_t Frame_ = 0;
  size_t Input_ = 0;
  size_t Paste_ = 0;
};
