// Reading a replay: one pass over the whole file checks it line by line
// before anything plays, in time linear in its length; then, while it plays,
// three readers walk the body again, each at its own place: one hands out
// the frames with the inputs due before them, one the digests tick by tick,
// one the pasted texts. Nothing holds more than a few lines and the inputs
// that wait for their frame.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <queue>
#include <tuple>
#include <unordered_set>

#include "automation/Replay.h"
#include "automation/ReplayWords.h"
#include "engine/core/DataFile.h"
#include "engine/core/SafeFile.h"

namespace {

constexpr const char* kMagic = "grovewright-replay";
// A frame runs at most 32 ticks (the timer's cap).
constexpr int kMaxFrameTicks = 32;
// What a run's count may say at all; the limits then bound what one replay
// holds.
constexpr int64_t kMaxRunCount = int64_t{1} << 40;
constexpr int64_t kMaxTick = int64_t{1} << 40;
// The text of the inputs waiting for their frame, at most.
constexpr size_t kMaxWaitingText = size_t{1} << 20;

// The replay's bytes: a file kept open (read where each reader stands), or
// a text in memory.
class TSource {
 public:
  virtual ~TSource() = default;
  virtual uint64_t Size() const = 0;
  // Up to size bytes from offset; 0 at the end, -1 on a read error.
  virtual ssize_t Read(uint64_t offset, char* out, size_t size) const = 0;
};

class TFileSource : public TSource {
 public:
  TFileSource(int fd, uint64_t size) : Fd_(fd), Size_(size) {}
  ~TFileSource() override { ::close(Fd_); }
  uint64_t Size() const override { return Size_; }
  ssize_t Read(uint64_t offset, char* out, size_t size) const override {
    if (offset >= Size_) return 0;
    size = static_cast<size_t>(std::min<uint64_t>(size, Size_ - offset));
    for (;;) {
      const ssize_t n = ::pread(Fd_, out, size, static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) continue;
      return n;
    }
  }

 private:
  int Fd_;
  uint64_t Size_;
};

class TTextSource : public TSource {
 public:
  explicit TTextSource(std::string text) : Text_(std::move(text)) {}
  uint64_t Size() const override { return Text_.size(); }
  ssize_t Read(uint64_t offset, char* out, size_t size) const override {
    if (offset >= Text_.size()) return 0;
    size = std::min<size_t>(size, Text_.size() - static_cast<size_t>(offset));
    std::memcpy(out, Text_.data() + offset, size);
    return static_cast<ssize_t>(size);
  }

 private:
  std::string Text_;
};

// Walks the lines of a source from a place on, a chunk at a time.
class TLineCursor {
 public:
  static constexpr size_t kChunk = 64 * 1024;
  TLineCursor(const TSource* source, const std::string* name) : Source_(source), Name_(name) {}

  void Start(uint64_t offset, int lineNo) {
    Offset_ = offset;
    LineNo_ = lineNo;
    Buffer_.clear();
    Buffer_.reserve(kChunk + 8 * 1024);  // a chunk and the start of a line
    At_ = 0;
  }
  uint64_t Offset() const { return Offset_ - (Buffer_.size() - At_); }
  int LineNo() const { return LineNo_; }
  size_t Held() const { return Buffer_.capacity() + Node_.Tokens.capacity() * sizeof(std::string) + Words_; }

  // The next line that holds words, with its indentation; false at the end.
  bool Next(DataNode& node, int& indent) {
    for (;;) {
      std::string_view line;
      if (!RawLine(line)) return false;
      if (DataFile::ParseLine(line, *Name_, LineNo_, node, indent)) {
        if (node.Size() > kMaxReplayLineWords)
          node.Fail("the line has more than " + std::to_string(kMaxReplayLineWords) + " words");
        Words_ = 0;
        for (const std::string& t : node.Tokens) Words_ += t.capacity();
        return true;
      }
    }
  }
  // The same for a cursor that keeps its node.
  bool Next(int& indent) { return Next(Node_, indent); }
  const DataNode& Node() const { return Node_; }

 private:
  bool RawLine(std::string_view& line) {
    for (;;) {
      const size_t end = Buffer_.find('\n', At_);
      if (end != std::string::npos) {
        line = std::string_view(Buffer_).substr(At_, end - At_);
        At_ = end + 1;
        ++LineNo_;
        if (line.size() > kMaxReplayLineBytes) TooLong(LineNo_);
        return true;
      }
      if (Buffer_.size() - At_ > kMaxReplayLineBytes) TooLong(LineNo_ + 1);
      // Keep the unfinished line and read on.
      Buffer_.erase(0, At_);
      At_ = 0;
      char chunk[kChunk];
      const ssize_t n = Source_->Read(Offset_, chunk, sizeof chunk);
      if (n < 0) throw DataError(*Name_ + ": cannot read the replay: " + std::strerror(errno));
      if (n == 0) {
        if (Buffer_.empty()) return false;
        // The last line without a line break.
        ++LineNo_;
        Last_ = std::move(Buffer_);
        Buffer_.clear();
        line = Last_;
        if (line.size() > kMaxReplayLineBytes) TooLong(LineNo_);
        return true;
      }
      Buffer_.append(chunk, static_cast<size_t>(n));
      Offset_ += static_cast<uint64_t>(n);
    }
  }
  [[noreturn]] void TooLong(int line) const {
    throw DataError(*Name_ + ":" + std::to_string(line) + ": the line is longer than any replay line (" + std::to_string(kMaxReplayLineBytes >> 20) +
                    " MiB)");
  }

  const TSource* Source_;
  const std::string* Name_;
  uint64_t Offset_ = 0;
  int LineNo_ = 0;
  std::string Buffer_, Last_;
  size_t At_ = 0;
  DataNode Node_;
  size_t Words_ = 0;
};

uint64_t ReadDigest(const DataNode& node, int i) {
  const std::string& t = node.Token(i);
  uint64_t v = 0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v, 16);
  if (t.empty() || t.size() > 16 || r.ec != std::errc() || r.ptr != t.data() + t.size())
    node.Fail("\"" + t + "\" is no digest (up to 16 hexadecimal digits)");
  return v;
}

// "K" or "KxN": N frames of K ticks.
TReplay::TRun ReadRun(const DataNode& node, int i) {
  const std::string& t = node.Token(i);
  const size_t x = t.find('x');
  auto number = [&](const std::string& part, int64_t lo, int64_t hi) {
    int64_t v = 0;
    const auto r = std::from_chars(part.data(), part.data() + part.size(), v);
    if (part.empty() || r.ec != std::errc() || r.ptr != part.data() + part.size() || v < lo || v > hi)
      node.Fail("\"" + t + "\" is no run of frames (K ticks, or KxN: N frames of K ticks, K at most " +
                std::to_string(kMaxFrameTicks) + ")");
    return v;
  };
  TReplay::TRun run;
  run.Ticks = static_cast<int>(number(t.substr(0, x), 0, kMaxFrameTicks));
  run.Count = x == std::string::npos ? 1 : number(t.substr(x + 1), 1, kMaxRunCount);
  return run;
}

std::string HexWord(const DataNode& node, int i, const std::string& what) {
  std::vector<uint8_t> bytes;
  if (!ReplayFromHex(node.Token(i), bytes)) node.Fail("the " + what + " is not hexadecimal pairs");
  return std::string(bytes.begin(), bytes.end());
}

void ReadHeaderLine(const DataNode& node, TReplayHeader& h, bool& version, bool& seed,
                    std::unordered_set<std::string>& paths, size_t& total) {
  const std::string& word = node.Token(0);
  if (word == "version") {
    node.Expect(2, 2);
    h.Version = node.Token(1);
    version = true;
  } else if (word == "seed") {
    node.Expect(2, 2);
    h.Seed = static_cast<uint32_t>(node.Int(1, 0, UINT32_MAX));
    seed = true;
  } else if (word == "play" || word == "play-hex") {
    node.Expect(3, 3);
    h.Play = true;
    h.PlayPack = word == "play" ? node.Token(1) : HexWord(node, 1, "pack's name");
    h.PlayLevel = static_cast<int>(node.Int(2, 1, 9999));
  } else if (word == "relaxed" || word == "hints-seen") {
    node.Expect(1, 1);
    if (!h.Play) node.Fail("\"" + word + "\" only goes with a \"play\" line before it");
    (word == "relaxed" ? h.Relaxed : h.HintsSeen) = true;
  } else if (word == "file" || word == "file-hex") {
    node.Expect(3, 3);
    const std::string path = word == "file" ? node.Token(1) : HexWord(node, 1, "file's name");
    const std::string shown = PrintableName(path);
    if (!IsReplayFilePath(path))
      node.Fail("\"" + shown + "\" is no player's file (arvanels.cfg, data/hiscore.arv or save/NAME)");
    if (!paths.insert(path).second) node.Fail("\"" + shown + "\" is given twice");
    std::vector<uint8_t> bytes;
    if (node.Token(2).size() > 2 * kMaxReplayFileBytes) node.Fail("the file \"" + shown + "\" is too large");
    if (!ReplayFromHex(node.Token(2), bytes)) node.Fail("the bytes of \"" + shown + "\" are not hexadecimal pairs");
    total += bytes.size();
    if (total > 4 * kMaxReplayFileBytes) node.Fail("the player's files are too large together");
    h.Files.emplace_back(path, std::move(bytes));
  } else {
    node.Fail("unknown header line \"" + word + "\"");
  }
}

// A pasted text of a body line.
std::string PasteText(const DataNode& node) {
  node.Expect(3, 3);
  std::string text = node.Token(1) == "paste" ? node.Token(2) : HexWord(node, 2, "pasted text");
  if (text.size() > kMaxReplayPasteBytes)
    node.Fail("the pasted text is longer than the game takes (" + std::to_string(kMaxReplayPasteBytes >> 10) +
              " KiB)");
  return text;
}

// An input of a body line: only what the player can do. A command that
// writes a file (a picture, a dump) is no input.
TScriptCommand InputOf(const DataNode& node) {
  TScriptCommand c = ParseScriptCommand(node);
  if (c.Type == TScriptCommand::Screenshot || c.Type == TScriptCommand::Dump)
    node.Fail("\"" + node.Token(1) + "\" is no input: a replay carries only the player's input");
  return c;
}

bool IsBodyLine(const DataNode& node) { return node.IsNumber(0); }
const std::string& BodyWord(const DataNode& node) {
  static const std::string kNone;
  return node.Size() > 1 ? node.Token(1) : kNone;
}

}  // namespace

// ---- Playing ------------------------------------------------------------------

struct TReplay::TPlay {
  TPlay(std::unique_ptr<TSource> source, std::string name)
      : Source(std::move(source)), Name(std::move(name)), Frames(Source.get(), &Name), Digests(Source.get(), &Name),
        Pastes(Source.get(), &Name) {}

  std::unique_ptr<TSource> Source;
  std::string Name;
  TLineCursor Frames, Digests, Pastes;

  // An input read, waiting for the first frame that begins at or after its
  // tick; Seq keeps the file's order among those due together.
  struct TWaiting {
    int64_t Tick;
    int64_t Seq;
    TScriptCommand Command;
    bool operator>(const TWaiting& o) const { return Tick != o.Tick ? Tick > o.Tick : Seq > o.Seq; }
  };
  std::priority_queue<TWaiting, std::vector<TWaiting>, std::greater<>> Waiting;
  size_t WaitingText = 0;
  int64_t Seq = 0;
  std::vector<TRun> Runs;  // the runs of the frames line being played
  size_t Run = 0;
  int64_t InRun = 0;
  int64_t Reached = 0;  // the tick the frames lines read so far reach
  int64_t Handed = 0;   // frames handed out
  bool Over = false;    // the end line has been read

  bool DigestsOver = false, HaveDigest = false;
  int64_t DigestTick = 0;
  uint64_t DigestValue = 0;
  bool PastesOver = false;

  [[noreturn]] void Changed(const std::string& what) const {
    throw DataError(Name + ": the replay changed while it played: " + what);
  }

  void TakeDue(int64_t start, std::vector<TScriptCommand>& inputs) {
    std::vector<TWaiting> due;
    while (!Waiting.empty() && Waiting.top().Tick <= start) {
      due.push_back(Waiting.top());
      Waiting.pop();
    }
    std::sort(due.begin(), due.end(), [](const TWaiting& a, const TWaiting& b) { return a.Seq < b.Seq; });
    for (TWaiting& w : due) {
      WaitingText -= w.Command.Text.size();
      inputs.push_back(std::move(w.Command));
    }
  }
};

TReplay::TReplay() = default;
TReplay::~TReplay() = default;
TReplay::TReplay(TReplay&&) noexcept = default;
TReplay& TReplay::operator=(TReplay&&) noexcept = default;

bool TReplay::NextFrame(std::vector<TScriptCommand>& inputs, int& ticks) {
  inputs.clear();
  if (!Play_) return false;
  TPlay& p = *Play_;
  for (;;) {
    if (p.Run < p.Runs.size()) {
      const TRun& run = p.Runs[p.Run];
      p.TakeDue(run.FirstTick + p.InRun * run.Ticks, inputs);
      ticks = run.Ticks;
      if (++p.InRun >= run.Count) {
        ++p.Run;
        p.InRun = 0;
      }
      if (++p.Handed > FrameCount) p.Changed("it has more frames than it had");
      return true;
    }
    if (p.Over) {
      p.TakeDue(INT64_MAX, inputs);
      return false;
    }
    int indent = 0;
    if (!p.Frames.Next(indent)) p.Changed("its end line is gone");
    const DataNode& node = p.Frames.Node();
    if (!IsBodyLine(node)) p.Changed("line " + std::to_string(node.Line) + " is no line of a replay's body");
    const std::string& word = BodyWord(node);
    if (word == "frames") {
      p.Runs.clear();
      p.Run = 0;
      p.InRun = 0;
      for (int i = 2; i < node.Size(); ++i) {
        TRun run = ReadRun(node, i);
        run.FirstTick = p.Reached;
        p.Reached += run.Ticks * run.Count;
        p.Runs.push_back(run);
      }
    } else if (word == "end") {
      p.Over = true;
    } else if (word != "digest" && word != "paste" && word != "paste-hex") {
      TScriptCommand c = InputOf(node);
      p.WaitingText += c.Text.size();
      p.Waiting.push({c.Tick, p.Seq++, std::move(c)});
    }
  }
}

bool TReplay::FramesOver() const { return !Play_ || Play_->Handed >= FrameCount; }

bool TReplay::DigestAt(int64_t tick, uint64_t& digest) {
  if (!Play_) return false;
  TPlay& p = *Play_;
  while (!p.DigestsOver) {
    if (!p.HaveDigest) {
      int indent = 0;
      if (!p.Digests.Next(indent)) {
        p.DigestsOver = true;
        break;
      }
      const DataNode& node = p.Digests.Node();
      const std::string& word = BodyWord(node);
      if (word == "end") {
        p.DigestsOver = true;
        break;
      }
      if (word != "digest") continue;
      p.DigestTick = node.Int(0, 0, kMaxTick);
      p.DigestValue = ReadDigest(node, 2);
      p.HaveDigest = true;
    }
    if (p.DigestTick > tick) return false;
    p.HaveDigest = false;
    if (p.DigestTick == tick) {
      digest = p.DigestValue;
      return true;
    }
  }
  return false;
}

std::string TReplay::NextPaste() {
  if (!Play_) return {};
  TPlay& p = *Play_;
  int indent = 0;
  while (!p.PastesOver && p.Pastes.Next(indent)) {
    const DataNode& node = p.Pastes.Node();
    const std::string& word = BodyWord(node);
    if (word == "end") break;
    if (word == "paste" || word == "paste-hex") return PasteText(node);
  }
  p.PastesOver = true;
  return {};
}

size_t TReplay::BufferedBytes() const {
  if (!Play_) return 0;
  const TPlay& p = *Play_;
  return p.Frames.Held() + p.Digests.Held() + p.Pastes.Held() + p.Waiting.size() * sizeof(TPlay::TWaiting) +
         p.WaitingText + p.Runs.capacity() * sizeof(TRun);
}

// ---- Checking -----------------------------------------------------------------

TReplay TReplay::Check(std::unique_ptr<TPlay> play, const TReplayLimits& limits) {
  const std::string& name = play->Name;
  TReplay replay;
  replay.Name = name;
  if (play->Source->Size() > limits.Bytes)
    throw DataError(name + ": the replay is larger than any replay (" +
                    (limits.Bytes % (1 << 20) == 0 ? std::to_string(limits.Bytes >> 20) + " MiB"
                                                   : std::to_string(limits.Bytes) + " bytes") +
                    ")");
  TLineCursor lines(play->Source.get(), &name);
  DataNode node;
  int indent = 0, lastIndent = 0;
  auto next = [&] {
    if (!lines.Next(node, indent)) return false;
    if (lines.LineNo() > limits.Lines)
      node.Fail("the replay has more than " + std::to_string(limits.Lines) + " lines, more than any session's");
    if (indent > lastIndent) node.Fail("replay lines are not indented");
    lastIndent = indent;
    return true;
  };
  lines.Start(0, 0);
  if (!lines.Next(node, indent)) throw DataError(name + ": not a Grovewright replay: the file is empty");
  lastIndent = indent;
  if (node.Token(0) != kMagic)
    node.Fail(std::string("not a Grovewright replay: a replay begins with \"") + kMagic + " " +
              std::to_string(kReplayFormat) + "\"");
  node.Expect(2, 2);
  const int64_t format = node.Int(1, 1);
  if (format > kReplayFormat)
    node.Fail("the replay has format " + std::to_string(format) + ", from a newer game; this game reads format " +
              std::to_string(kReplayFormat));

  TReplayHeader& header = replay.Header;
  bool version = false, seed = false, ended = false, body = false;
  std::unordered_set<std::string> paths;
  size_t filesTotal = 0;
  uint64_t bodyOffset = 0;
  int bodyLine = 0;
  int64_t reached = 0;  // the tick the frames so far reach
  int64_t lastDigest = -1;
  int64_t idle = 0;     // frames in a row that run no tick
  // The inputs waiting for a frame that begins at or after their tick: their
  // ticks and lines, and the text they hold.
  using TWait = std::tuple<int64_t, int, size_t>;
  std::priority_queue<TWait, std::vector<TWait>, std::greater<>> waiting;
  size_t waitingText = 0;
  uint64_t before = lines.Offset();
  int beforeLine = lines.LineNo();
  for (; next(); before = lines.Offset(), beforeLine = lines.LineNo()) {
    if (ended) node.Fail("nothing may follow the end line");
    if (!IsBodyLine(node)) {
      if (body) node.Fail("the header lines (\"" + node.Token(0) + "\") come before the first input");
      ReadHeaderLine(node, header, version, seed, paths, filesTotal);
      continue;
    }
    if (!body) {
      body = true;
      if (!version) node.Fail("the header has no \"version\" line");
      if (!seed) node.Fail("the header has no \"seed\" line");
      bodyOffset = before;
      bodyLine = beforeLine;
    }
    const int64_t tick = node.Int(0, 0, kMaxTick);
    const std::string& word = BodyWord(node);
    if (word == "frames") {
      if (node.Size() < 3) node.Fail("\"frames\" takes at least one run of frames");
      if (tick != reached)
        node.Fail("the frames begin at tick " + std::to_string(tick) + ", but the frames before them end at tick " +
                  std::to_string(reached));
      for (int i = 2; i < node.Size(); ++i) {
        const TReplay::TRun run = ReadRun(node, i);
        if (run.Count > limits.Frames - replay.FrameCount || run.Ticks * run.Count > limits.Ticks - reached)
          node.Fail("the frames go on for longer than any session");
        idle = run.Ticks == 0 ? idle + run.Count : 0;
        if (idle > limits.IdleFrames)
          node.Fail("more than " + std::to_string(limits.IdleFrames) +
                    " frames in a row run no tick; a session's frames run a tick every few frames");
        // The inputs whose frame this run holds.
        const int64_t lastStart = reached + (run.Count - 1) * run.Ticks;
        while (!waiting.empty() && std::get<0>(waiting.top()) <= lastStart) {
          waitingText -= std::get<2>(waiting.top());
          waiting.pop();
        }
        replay.FrameCount += run.Count;
        reached += run.Ticks * run.Count;
      }
    } else if (word == "digest") {
      node.Expect(3, 3);
      if (tick > reached)
        node.Fail("a digest for tick " + std::to_string(tick) + ", which the frames before it have not reached");
      if (tick == lastDigest) node.Fail("a second digest for tick " + std::to_string(tick));
      if (tick < lastDigest)
        node.Fail("the digest for tick " + std::to_string(tick) + " comes after the one for tick " +
                  std::to_string(lastDigest) + "; digests go in the order of their ticks");
      ReadDigest(node, 2);
      lastDigest = tick;
      ++replay.DigestCount;
    } else if (word == "end") {
      node.Expect(3, 3);
      if (tick != reached)
        node.Fail("the end is at tick " + std::to_string(tick) + ", but the frames end at tick " +
                  std::to_string(reached));
      replay.EndTick = tick;
      replay.EndDigest = ReadDigest(node, 2);
      ended = true;
    } else if (word == "paste" || word == "paste-hex") {
      PasteText(node);
      ++replay.PasteCount;
    } else {
      const TScriptCommand input = InputOf(node);
      if (tick < reached)
        node.Fail("this input at tick " + std::to_string(tick) + " comes after frames that reach tick " +
                  std::to_string(reached) + "; move it up, before them");
      waiting.push({tick, node.Line, input.Text.size()});
      waitingText += input.Text.size();
      if (static_cast<int64_t>(waiting.size()) > limits.WaitingInputs || waitingText > kMaxWaitingText)
        node.Fail("too many inputs before this one wait for a frame that begins at their tick");
      ++replay.InputCount;
    }
  }
  replay.LineCount = lines.LineNo();
  if (!body) throw DataError(name + ": the replay is cut short: it has a header but no inputs or frames");
  if (!ended)
    throw DataError(name + ":" + std::to_string(node.Line) +
                    ": the replay is cut short after this line: its end line is missing");
  // Inputs after the last frame must fall within the session.
  int firstLate = 0;
  int64_t lateTick = 0;
  for (; !waiting.empty(); waiting.pop()) {
    const auto [tick, line, text] = waiting.top();
    if (tick > replay.EndTick && (firstLate == 0 || line < firstLate)) {
      firstLate = line;
      lateTick = tick;
    }
  }
  if (firstLate > 0)
    throw DataError(name + ":" + std::to_string(firstLate) + ": this input at tick " + std::to_string(lateTick) +
                    " comes after the last frame, which ends at tick " + std::to_string(replay.EndTick));
  for (TLineCursor* cursor : {&play->Frames, &play->Digests, &play->Pastes}) cursor->Start(bodyOffset, bodyLine);
  replay.Play_ = std::move(play);
  return replay;
}

TReplay TReplay::Parse(const std::string& text, const std::string& name, const TReplayLimits& limits) {
  return Check(std::make_unique<TPlay>(std::make_unique<TTextSource>(text), name), limits);
}

TReplay TReplay::Load(const std::string& path, const TReplayLimits& limits) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw DataError("Cannot open \"" + path + "\": " + std::strerror(errno) + ".");
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw DataError("\"" + path + "\" is not a plain file.");
  }
  // The size it has now is the replay: what is appended later is not read.
  return Check(std::make_unique<TPlay>(std::make_unique<TFileSource>(fd, static_cast<uint64_t>(st.st_size)), path),
               limits);
}
