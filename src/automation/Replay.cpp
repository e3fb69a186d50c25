#include "automation/Replay.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>

#include "automation/ReplayWords.h"
#include "engine/core/DataFile.h"
#include "engine/core/SafeFile.h"
#include "platform/Platform.h"

#ifndef GW_VERSION
#define GW_VERSION "unknown"
#endif

namespace {
constexpr const char* kMagic = "grovewright-replay";
// The recording stays in memory up to this size, then goes to its file.
constexpr size_t kSpillBytes = size_t{64} << 10;
// Room kept for the end of the replay: the frames line still open, a digest
// and the end line.
constexpr size_t kEndRoom = 128;

template <class Bytes>
std::string HexOf(const Bytes& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (auto byte : bytes) {
    const auto b = static_cast<uint8_t>(byte);
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

// A character as a script word: itself when it reads back as itself, else
// its code in three digits (a lone digit is the digit, not a code).
std::string CharWord(unsigned char ch) {
  if (ch > 32 && ch < 127 && ch != '"' && ch != '`' && ch != '#') return std::string(1, static_cast<char>(ch));
  std::string code = std::to_string(ch);
  return std::string(3 - code.size(), '0') + code;
}

int Coordinate(int v) { return std::clamp(v, -100000, 100000); }
}  // namespace

const char* GameVersion() { return GW_VERSION; }

std::string ReplayHex(const std::string& bytes) { return HexOf(bytes); }
std::string ReplayHex(const std::vector<uint8_t>& bytes) { return HexOf(bytes); }

bool ReplayFromHex(const std::string& text, std::vector<uint8_t>& out) {
  if (text.size() % 2) return false;
  out.clear();
  out.reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    uint8_t b = 0;
    const auto r = std::from_chars(text.data() + i, text.data() + i + 2, b, 16);
    if (r.ec != std::errc() || r.ptr != text.data() + i + 2) return false;
    out.push_back(b);
  }
  return true;
}

bool QuotableWord(const std::string& word) {
  return word.find('"') == std::string::npos || word.find('`') == std::string::npos;
}

bool IsReplayFilePath(const std::string& path) {
  if (path == "arvanels.cfg" || path == "data/hiscore.arv") return true;
  if (path.rfind("save/", 0) != 0) return false;
  std::string reason;
  return ValidateFileName(path.substr(5), reason);
}

std::string DigestText(uint64_t digest) {
  char text[17];
  static const char kDigits[] = "0123456789abcdef";
  for (int i = 0; i < 16; ++i) text[i] = kDigits[(digest >> (60 - 4 * i)) & 15];
  text[16] = '\0';
  return text;
}

// ---- Writing ----------------------------------------------------------------

std::vector<std::string> ReplayInputWords(const plat::Event& e) {
  auto point = [&](const char* word) {
    return std::vector<std::string>{word, std::to_string(Coordinate(e.X)), std::to_string(Coordinate(e.Y))};
  };
  switch (e.Type) {
    case plat::EventType::Quit:
      return {"quit"};
    case plat::EventType::KeyDown:
      return {"keydown", KeyNameOf(e.Key)};
    case plat::EventType::KeyUp:
      return {"keyup", KeyNameOf(e.Key)};
    case plat::EventType::KeyChar:
      if (e.Char == 0) return {};  // no window sends it, and a script cannot say it
      return {"char", CharWord(e.Char)};
    case plat::EventType::MouseMove:
      return point("mouse");
    case plat::EventType::MouseDown:
    case plat::EventType::MouseUp: {
      const bool down = e.Type == plat::EventType::MouseDown;
      if (e.Button == 1) return point(down ? "rdown" : "rup");
      std::vector<std::string> words = point(down ? "down" : "up");
      if (e.Button != 0) words.push_back(std::to_string(e.Button));
      return words;
    }
    case plat::EventType::FocusLost:
      return {"blur"};
    case plat::EventType::FocusGained:
      return {"focus"};
    case plat::EventType::PadDown:
      return {"paddown", plat::PadButtonName(static_cast<plat::PadButton>(e.Button))};
    case plat::EventType::PadUp:
      return {"padup", plat::PadButtonName(static_cast<plat::PadButton>(e.Button))};
    case plat::EventType::PadAxis:
      return {"axis", plat::PadAxisName(static_cast<plat::PadAxis>(e.Button)),
              std::to_string(std::clamp(e.X, -32768, 32767))};
    case plat::EventType::RenderReset:
    case plat::EventType::PadAdded:  // what the pads do is recorded, not that they came
    case plat::EventType::PadRemoved:
      break;
  }
  return {};
}

namespace {
// An unnamed file for the recording: one the system never shows (O_TMPFILE)
// or, where that is not had, one unlinked at once; either goes with the
// process, however it ends.
int OpenUnnamedFile(const std::string& folder) {
  if (folder.empty()) return -1;
  int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
  std::string name = folder + "/.grovewright-recording.XXXXXX";
  fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd >= 0) ::unlink(name.c_str());
  return fd;
}
}  // namespace

TReplayRecorder::TReplayRecorder(TReplayHeader header, const TReplayLimits& limits)
    : Header_(std::move(header)), Limits_(limits) {
  DataWriter head;
  head.Comment("A Grovewright replay: play it with  grovewright --replay FILE");
  head.Comment("After the header: TICK COMMAND ARGS, the inputs in the order the game took them;");
  head.Comment("\"frames\" lines give the ticks of each frame (2x60: sixty frames of two ticks),");
  head.Comment("\"digest\" lines the state's digest at their tick.");
  head.Write({kMagic, std::to_string(kReplayFormat)});
  head.Write({"version", Header_.Version});
  head.Write({"seed", std::to_string(Header_.Seed)});
  if (Header_.Play) {
    if (QuotableWord(Header_.PlayPack))
      head.Write({"play", Header_.PlayPack, std::to_string(Header_.PlayLevel)});
    else
      head.Write({"play-hex", ReplayHex(Header_.PlayPack), std::to_string(Header_.PlayLevel)});
    if (Header_.Relaxed) head.Write({"relaxed"});
    if (Header_.HintsSeen) head.Write({"hints-seen"});
  }
  for (const auto& [path, bytes] : Header_.Files) {
    if (QuotableWord(path))
      head.Write({"file", path, ReplayHex(bytes)});
    else
      head.Write({"file-hex", ReplayHex(path), ReplayHex(bytes)});
  }
  Append(head.Text());
}

TReplayRecorder::~TReplayRecorder() {
  if (SpillFd_ >= 0) ::close(SpillFd_);
}

void TReplayRecorder::Append(const std::string& text) {
  Buffer_ += text;
  Lines_ += std::count(text.begin(), text.end(), '\n');
  if (Buffer_.size() >= kSpillBytes) Spill();
}

void TReplayRecorder::Spill() {
  if (SpillFailed_) return;
  if (SpillFd_ < 0) {
    std::error_code ec;
    if (!SpillFolder.empty()) std::filesystem::create_directories(SpillFolder, ec);
    SpillFd_ = OpenUnnamedFile(SpillFolder);
    if (SpillFd_ < 0) SpillFd_ = OpenUnnamedFile(TemporaryFolder());
    if (SpillFd_ < 0) {
      // No file anywhere: the recording stays in memory, which its limits
      // bound.
      SpillFailed_ = true;
      return;
    }
  }
  size_t done = 0;
  while (done < Buffer_.size()) {
    const ssize_t n = ::pwrite(SpillFd_, Buffer_.data() + done, Buffer_.size() - done,
                               static_cast<off_t>(Spilled_ + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // A full disk: what did not fit stays in memory from here on.
      Spilled_ += done;
      Buffer_.erase(0, done);
      SpillFailed_ = true;
      return;
    }
    done += static_cast<size_t>(n);
  }
  Spilled_ += done;
  Buffer_.clear();
  if (Buffer_.capacity() > 2 * kSpillBytes) Buffer_.shrink_to_fit();
}

void TReplayRecorder::Line(int64_t tick, const std::vector<std::string>& words) {
  std::string line = std::to_string(tick);
  for (const std::string& w : words) {
    line += ' ';
    line += DataWriter::Quote(w);
  }
  line += '\n';
  Append(line);
}

std::string TReplayRecorder::FramesLine() const {
  if (Frames_.empty()) return {};
  std::string line = std::to_string(FramesTick_) + " frames";
  for (const auto& [ticks, count] : Frames_)
    line += " " + std::to_string(ticks) + (count > 1 ? "x" + std::to_string(count) : "");
  return line + "\n";
}

void TReplayRecorder::FlushFrames() {
  Append(FramesLine());
  Frames_.clear();
}

bool TReplayRecorder::Fits(size_t bytes, int64_t lines) const {
  // The frames line may still gain a run, and each waiting digest and the end
  // have a line each.
  const uint64_t tail = FramesLine().size() + 24 + (Digests_.size() + 1) * 48 + kEndRoom;
  const uint64_t total = Spilled_ + Buffer_.size() + bytes + tail;
  const int64_t allLines = Lines_ + lines + 2 + static_cast<int64_t>(Digests_.size()) + 1;
  return total <= Limits_.Bytes && allLines <= Limits_.Lines;
}

void TReplayRecorder::Seal() {
  if (Sealed_) return;
  SealedTail_ = Tail(DigestNow ? DigestNow() : 0);
  Sealed_ = true;
  Frames_.clear();
  Digests_.clear();
  if (OnFull) OnFull(Reached_);
}

void TReplayRecorder::Input(int64_t tick, const plat::Event& e) {
  if (Sealed_) return;
  const std::vector<std::string> words = ReplayInputWords(e);
  if (words.empty()) return;
  // Inputs come between frames, where the state is the one the frames so far
  // reached: the recording may end here.
  if (!Fits(64, 1) || Waiting_ + 1 > Limits_.WaitingInputs) return Seal();
  FlushFrames();
  Line(tick, words);
  ++Waiting_;
}

void TReplayRecorder::Paste(int64_t tick, const std::string& text) {
  if (Sealed_) return;
  // Plain text stays readable; anything a word cannot hold goes in hex.
  const bool plain = std::all_of(text.begin(), text.end(), [](char c) { return c >= 32 && c < 127; }) &&
                     QuotableWord(text);
  const std::vector<std::string> words = plain ? std::vector<std::string>{"paste", text}
                                               : std::vector<std::string>{"paste-hex", ReplayHex(text)};
  if (!Fits(words[1].size() + 32, 1)) return Seal();
  FlushFrames();
  Line(tick, words);
}

void TReplayRecorder::Frame(int64_t firstTick, int ticks) {
  if (Sealed_) return;
  // A frame about to begin: the state is the one the frames so far reached.
  // A frame the replay could not hold ends the recording before it.
  const bool idle = ticks == 0;
  if (Reached_ + ticks > Limits_.Ticks || FrameCount_ + 1 > Limits_.Frames ||
      (idle && IdleRun_ + 1 > Limits_.IdleFrames) || !Fits(0, 0))
    return Seal();
  // The digests of the last frames follow the line of the frames that
  // reached them; a line holds a handful of runs.
  if (!Digests_.empty() || Frames_.size() >= 12) {
    FlushFrames();
    for (const auto& [tick, digest] : Digests_) Line(tick, {"digest", DigestText(digest)});
    Digests_.clear();
  }
  if (Frames_.empty()) FramesTick_ = firstTick;
  if (!Frames_.empty() && Frames_.back().first == ticks)
    ++Frames_.back().second;
  else
    Frames_.push_back({ticks, 1});
  Reached_ = firstTick + ticks;
  ++FrameCount_;
  IdleRun_ = idle ? IdleRun_ + 1 : 0;
  Waiting_ = 0;
}

void TReplayRecorder::Digest(int64_t tick, uint64_t digest) {
  if (!Sealed_) Digests_.push_back({tick, digest});
}

std::string TReplayRecorder::Tail(uint64_t digest) const {
  std::string text = FramesLine();
  for (const auto& [tick, d] : Digests_) text += std::to_string(tick) + " digest " + DigestText(d) + "\n";
  return text + std::to_string(Reached_) + " end " + DigestText(digest) + "\n";
}

bool TReplayRecorder::CopySpilled(const std::function<bool(const char*, size_t)>& sink) const {
  std::vector<char> chunk(64 * 1024);
  for (uint64_t at = 0; at < Spilled_;) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(chunk.size(), Spilled_ - at));
    const ssize_t n = ::pread(SpillFd_, chunk.data(), want, static_cast<off_t>(at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    if (!sink(chunk.data(), static_cast<size_t>(n))) return false;
    at += static_cast<uint64_t>(n);
  }
  return true;
}

std::string TReplayRecorder::Text(uint64_t digest) const {
  std::string text;
  CopySpilled([&](const char* data, size_t size) {
    text.append(data, size);
    return true;
  });
  return text + Buffer_ + (Sealed_ ? SealedTail_ : Tail(digest));
}

bool TReplayRecorder::Save(const std::string& path, uint64_t digest, std::string& error) const {
  const std::string tail = Sealed_ ? SealedTail_ : Tail(digest);
  return WriteFileAtomicallyWith(
      path,
      [&](int fd) {
        auto write = [fd](const char* data, size_t size) {
          while (size > 0) {
            const ssize_t n = ::write(fd, data, size);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return false;
            data += n;
            size -= static_cast<size_t>(n);
          }
          return true;
        };
        if (!CopySpilled(write)) {
          if (errno == 0) errno = EIO;
          return false;
        }
        return write(Buffer_.data(), Buffer_.size()) && write(tail.data(), tail.size());
      },
      error);
}

size_t TReplayRecorder::BufferedBytes() const {
  return Buffer_.capacity() + SealedTail_.capacity() + Frames_.capacity() * sizeof(Frames_[0]) +
         Digests_.capacity() * sizeof(Digests_[0]);
}
