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
//   file-hex 7361... 0a41...        the same for a name no quotes can hold: the
//                                   name in hex too (also "play-hex")
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
// frames are over. Only the player's input may stand among the inputs (a
// "click", a "key"): a replay from a stranger never names a file to write.
// "paste" lines give, in order, what the clipboard held each time the game
// read it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "automation/InputScript.h"

namespace plat {
struct Event;
}

constexpr int kReplayFormat = 1;

// What one replay holds at most. The recorder ends a session's replay before
// it would pass any of these (its end line then gives the state at that
// tick), and the reader refuses a file beyond them: what the game writes, it
// also reads.
struct TReplayLimits {
  uint64_t Bytes = uint64_t{64} << 20;       // the whole file
  int64_t Lines = 4000000;                   // every line, blank and comment lines too
  int64_t Ticks = int64_t{24} * 3600 * 120;  // a day of play
  int64_t Frames = int64_t{24} * 3600 * 500; // a day at the game's highest frame rate
  int64_t IdleFrames = 1000;                 // frames in a row that run no tick
  int64_t WaitingInputs = 65536;             // inputs read before the frame they wait for
};
// A line of a replay holds at most this many bytes and words.
constexpr size_t kMaxReplayLineBytes = size_t{1} << 20;
constexpr int kMaxReplayLineWords = 258;
// The player's files a replay carries: each at most this size, all together
// at most four times that.
constexpr size_t kMaxReplayFileBytes = size_t{64} << 10;
// The most the game takes of the clipboard (its fields hold 100 characters).
constexpr size_t kMaxReplayPasteBytes = size_t{64} << 10;

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
// digest every second. The recording is kept in memory only while it is
// small; beyond that it goes on, buffered, in an unnamed file, so memory
// stays flat however long the session runs (and a killed game leaves no file
// behind).
class TReplayRecorder {
 public:
  explicit TReplayRecorder(TReplayHeader header, const TReplayLimits& limits = {});
  ~TReplayRecorder();
  TReplayRecorder(const TReplayRecorder&) = delete;
  TReplayRecorder& operator=(const TReplayRecorder&) = delete;
  const TReplayHeader& Header() const { return Header_; }

  // The folder of the unnamed file (made when missing); without it, or when
  // no file can be made there, the temporary folder.
  std::string SpillFolder;
  // The state's digest now: asked once, when the recording reaches what a
  // replay may hold and ends there, between two frames.
  std::function<uint64_t()> DigestNow;
  // Told once, with the tick the recording ends at, when that happens.
  std::function<void(int64_t tick)> OnFull;

  void Input(int64_t tick, const plat::Event& e);
  void Paste(int64_t tick, const std::string& text);
  void Frame(int64_t firstTick, int ticks);
  void Digest(int64_t tick, uint64_t digest);
  // The tick the recorded frames reach.
  int64_t Reached() const { return Reached_; }
  // The recording has ended early: it takes nothing more, and its end is the
  // state it ended at, whatever digest is handed to Text or Save.
  bool Full() const { return Sealed_; }
  // The replay so far, ended by the digest of the state now.
  std::string Text(uint64_t digest) const;
  // The same written to a file, through a temporary file and a rename.
  bool Save(const std::string& path, uint64_t digest, std::string& error) const;
  // The memory the recording holds (its buffer and what waits for a line).
  size_t BufferedBytes() const;

 private:
  void Append(const std::string& text);
  void Spill();
  void Line(int64_t tick, const std::vector<std::string>& words);
  void FlushFrames();
  std::string FramesLine() const;
  std::string Tail(uint64_t digest) const;
  // Whether bytes and lines more still leave room for the end of the replay.
  bool Fits(size_t bytes, int64_t lines) const;
  void Seal();
  bool CopySpilled(const std::function<bool(const char*, size_t)>& sink) const;

  TReplayHeader Header_;
  TReplayLimits Limits_;
  std::string Buffer_;     // written after the spilled bytes
  int SpillFd_ = -1;       // the unnamed file, once the recording outgrew memory
  uint64_t Spilled_ = 0;   // bytes in it
  bool SpillFailed_ = false;
  int64_t Lines_ = 0;
  int64_t FramesTick_ = 0;                           // first tick of the frames not yet written
  std::vector<std::pair<int, int64_t>> Frames_;      // (ticks, frames) not yet written
  std::vector<std::pair<int64_t, uint64_t>> Digests_;  // waiting for the frames that reached them
  int64_t Reached_ = 0;
  int64_t FrameCount_ = 0;
  int64_t IdleRun_ = 0;  // frames in a row that ran no tick
  int64_t Waiting_ = 0;  // inputs since the last frame, which wait for the next
  bool Sealed_ = false;
  std::string SealedTail_;
};

// The line of an input as a replay writes it ("down 412 305", "keydown F9");
// empty for events that are no input.
std::vector<std::string> ReplayInputWords(const plat::Event& e);

// A replay file: checked whole, line by line, when it is opened (a damaged
// one is named with its line and the reason before anything plays), then
// read again as it plays, so that only a few lines are held at a time.
class TReplay {
 public:
  // Throw DataError naming the file, the line and the reason.
  static TReplay Load(const std::string& path, const TReplayLimits& limits = {});
  static TReplay Parse(const std::string& text, const std::string& name, const TReplayLimits& limits = {});
  TReplay();
  ~TReplay();
  TReplay(TReplay&&) noexcept;
  TReplay& operator=(TReplay&&) noexcept;

  struct TRun {
    int64_t FirstTick = 0;
    int64_t Count = 0;  // frames
    int Ticks = 0;      // each frame's ticks
  };

  std::string Name;
  TReplayHeader Header;
  int64_t FrameCount = 0;
  int64_t EndTick = 0;
  uint64_t EndDigest = 0;
  int64_t InputCount = 0;
  int64_t DigestCount = 0;
  int64_t PasteCount = 0;
  int64_t LineCount = 0;

  // The inputs due before the next frame, and that frame's ticks; false when
  // the frames are over (inputs then holds those after the last frame). A
  // file changed since it was checked throws DataError.
  bool NextFrame(std::vector<TScriptCommand>& inputs, int& ticks);
  // Every frame has been handed out.
  bool FramesOver() const;
  // The recorded digest at this tick, if the replay has one; asked tick by
  // tick, in order.
  bool DigestAt(int64_t tick, uint64_t& digest);
  // What the clipboard held the next time the game reads it ("" when the
  // recording has no more).
  std::string NextPaste();
  // The memory the reading holds: the lines read ahead and the inputs
  // waiting for their frame.
  size_t BufferedBytes() const;

  struct TPlay;

 private:
  static TReplay Check(std::unique_ptr<TPlay> play, const TReplayLimits& limits);
  std::unique_ptr<TPlay> Play_;
};
