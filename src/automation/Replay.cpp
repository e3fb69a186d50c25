#include "automation/Replay.h"

#include <algorithm>
#include <charconv>

#include "engine/core/DataFile.h"
#include "engine/core/SafeFile.h"
#include "platform/Platform.h"

#ifndef GW_VERSION
#define GW_VERSION "unknown"
#endif

namespace {
constexpr const char* kMagic = "grovewright-replay";
// Ticks and frames beyond these are no session anybody played: a file that
// claims them is damaged (and the sums stay far from overflowing).
constexpr int64_t kMaxTick = int64_t{1} << 40;
constexpr int64_t kMaxFrames = int64_t{1} << 40;
// A frame runs at most 32 ticks (the timer's cap).
constexpr int kMaxFrameTicks = 32;

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

bool FromHex(const std::string& text, std::vector<uint8_t>& out) {
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
    case plat::EventType::RenderReset:
      break;
  }
  return {};
}

TReplayRecorder::TReplayRecorder(TReplayHeader header) : Header_(std::move(header)) {}

void TReplayRecorder::Line(int64_t tick, const std::vector<std::string>& words) {
  Body_ += std::to_string(tick);
  for (const std::string& w : words) {
    Body_ += ' ';
    Body_ += DataWriter::Quote(w);
  }
  Body_ += '\n';
}

std::string TReplayRecorder::FramesLine() const {
  if (Frames_.empty()) return {};
  std::string line = std::to_string(FramesTick_) + " frames";
  for (const auto& [ticks, count] : Frames_)
    line += " " + std::to_string(ticks) + (count > 1 ? "x" + std::to_string(count) : "");
  return line + "\n";
}

void TReplayRecorder::FlushFrames() {
  Body_ += FramesLine();
  Frames_.clear();
}

void TReplayRecorder::Input(int64_t tick, const plat::Event& e) {
  const std::vector<std::string> words = ReplayInputWords(e);
  if (words.empty()) return;
  FlushFrames();
  Line(tick, words);
}

void TReplayRecorder::Paste(int64_t tick, const std::string& text) {
  FlushFrames();
  // Plain text stays readable; anything a word cannot hold goes in hex.
  const bool plain = std::all_of(text.begin(), text.end(), [](char c) { return c >= 32 && c < 127; }) &&
                     !(text.find('"') != std::string::npos && text.find('`') != std::string::npos);
  if (plain)
    Line(tick, {"paste", text});
  else
    Line(tick, {"paste-hex", Hex(std::vector<uint8_t>(text.begin(), text.end()))});
}

void TReplayRecorder::Frame(int64_t firstTick, int ticks) {
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
}

void TReplayRecorder::Digest(int64_t tick, uint64_t digest) { Digests_.push_back({tick, digest}); }

std::string TReplayRecorder::Text(uint64_t digest) const {
  DataWriter head;
  head.Comment("A Grovewright replay: play it with  grovewright --replay FILE");
  head.Comment("After the header: TICK COMMAND ARGS, the inputs in the order the game took them;");
  head.Comment("\"frames\" lines give the ticks of each frame (2x60: sixty frames of two ticks),");
  head.Comment("\"digest\" lines the state's digest at their tick.");
  head.Write({kMagic, std::to_string(kReplayFormat)});
  head.Write({"version", Header_.Version});
  head.Write({"seed", std::to_string(Header_.Seed)});
  if (Header_.Play) {
    head.Write({"play", Header_.PlayPack, std::to_string(Header_.PlayLevel)});
    if (Header_.Relaxed) head.Write({"relaxed"});
    if (Header_.HintsSeen) head.Write({"hints-seen"});
  }
  for (const auto& [path, bytes] : Header_.Files) head.Write({"file", path, Hex(bytes)});
  std::string text = head.Text() + Body_ + FramesLine();
  for (const auto& [tick, d] : Digests_) text += std::to_string(tick) + " digest " + DigestText(d) + "\n";
  return text + std::to_string(Reached_) + " end " + DigestText(digest) + "\n";
}

// ---- Reading ----------------------------------------------------------------

namespace {
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
  run.Count = x == std::string::npos ? 1 : number(t.substr(x + 1), 1, kMaxFrames);
  return run;
}

void ReadHeaderLine(const DataNode& node, TReplayHeader& h, bool& version, bool& seed) {
  const std::string& word = node.Token(0);
  if (word == "version") {
    node.Expect(2, 2);
    h.Version = node.Token(1);
    version = true;
  } else if (word == "seed") {
    node.Expect(2, 2);
    h.Seed = static_cast<uint32_t>(node.Int(1, 0, UINT32_MAX));
    seed = true;
  } else if (word == "play") {
    node.Expect(3, 3);
    h.Play = true;
    h.PlayPack = node.Token(1);
    h.PlayLevel = static_cast<int>(node.Int(2, 1, 9999));
  } else if (word == "relaxed" || word == "hints-seen") {
    node.Expect(1, 1);
    if (!h.Play) node.Fail("\"" + word + "\" only goes with a \"play\" line before it");
    (word == "relaxed" ? h.Relaxed : h.HintsSeen) = true;
  } else if (word == "file") {
    node.Expect(3, 3);
    const std::string& path = node.Token(1);
    if (!IsReplayFilePath(path))
      node.Fail("\"" + path + "\" is no player's file (arvanels.cfg, data/hiscore.arv or save/NAME)");
    for (const auto& file : h.Files)
      if (file.first == path) node.Fail("\"" + path + "\" is given twice");
    std::vector<uint8_t> bytes;
    if (node.Token(2).size() > 2 * kMaxReplayFileBytes) node.Fail("the file \"" + path + "\" is too large");
    if (!FromHex(node.Token(2), bytes)) node.Fail("the bytes of \"" + path + "\" are not hexadecimal pairs");
    size_t total = bytes.size();
    for (const auto& file : h.Files) total += file.second.size();
    if (total > 4 * kMaxReplayFileBytes) node.Fail("the player's files are too large together");
    h.Files.emplace_back(path, std::move(bytes));
  } else {
    node.Fail("unknown header line \"" + word + "\"");
  }
}
}  // namespace

TReplay TReplay::Load(const std::string& path) { return Parse(DataFile::ReadText(path, kMaxReplayBytes), path); }

TReplay TReplay::Parse(const std::string& text, const std::string& name) {
  const DataFile file = DataFile::Parse(text, name);
  TReplay replay;
  replay.Name = name;
  if (file.Nodes.empty()) throw DataError(name + ": not a Grovewright replay: the file is empty");
  const DataNode& first = file.Nodes.front();
  if (first.Token(0) != kMagic)
    first.Fail(std::string("not a Grovewright replay: a replay begins with \"") + kMagic + " " +
               std::to_string(kReplayFormat) + "\"");
  first.Expect(2, 2);
  const int64_t format = first.Int(1, 1);
  if (format > kReplayFormat)
    first.Fail("the replay has format " + std::to_string(format) + ", from a newer game; this game reads format " +
               std::to_string(kReplayFormat));

  bool version = false, seed = false, ended = false, body = false;
  int64_t reached = 0;  // the tick the frames so far reach
  std::vector<TInput> pending;  // inputs waiting for their frame
  for (size_t n = 1; n < file.Nodes.size(); ++n) {
    const DataNode& node = file.Nodes[n];
    if (!node.Children.empty()) node.Children.front().Fail("replay lines are not indented");
    if (ended) node.Fail("nothing may follow the end line");
    if (!node.IsNumber(0)) {
      if (body) node.Fail("the header lines (\"" + node.Token(0) + "\") come before the first input");
      ReadHeaderLine(node, replay.Header, version, seed);
      continue;
    }
    if (!body) {
      body = true;
      if (!version) node.Fail("the header has no \"version\" line");
      if (!seed) node.Fail("the header has no \"seed\" line");
    }
    const int64_t tick = node.Int(0, 0, kMaxTick);
    const std::string& word = node.Size() > 1 ? node.Token(1) : std::string();
    if (word == "frames") {
      if (node.Size() < 3) node.Fail("\"frames\" takes at least one run of frames");
      if (tick != reached)
        node.Fail("the frames begin at tick " + std::to_string(tick) + ", but the frames before them end at tick " +
                  std::to_string(reached));
      for (int i = 2; i < node.Size(); ++i) {
        TRun run = ReadRun(node, i);
        run.FirstTick = reached;
        if (run.Count > kMaxFrames - replay.FrameCount || run.Ticks * run.Count > kMaxTick - reached)
          node.Fail("the frames go on for longer than any session");
        // The inputs waiting for a frame that begins at or after their tick.
        const int64_t lastStart = reached + (run.Count - 1) * run.Ticks;
        size_t kept = 0;
        for (size_t k = 0; k < pending.size(); ++k) {
          const int64_t t = pending[k].Command.Tick;
          if (t <= lastStart) {
            // A tick passed over inside an earlier frame waits for this run's first frame.
            const int64_t offset = run.Ticks == 0 || t <= reached ? 0 : (t - reached + run.Ticks - 1) / run.Ticks;
            pending[k].Frame = replay.FrameCount + offset;
            replay.Inputs.push_back(pending[k]);
          } else {
            pending[kept++] = pending[k];
          }
        }
        pending.resize(kept);
        replay.Runs.push_back(run);
        replay.FrameCount += run.Count;
        reached += run.Ticks * run.Count;
      }
    } else if (word == "digest") {
      node.Expect(3, 3);
      if (tick > reached)
        node.Fail("a digest for tick " + std::to_string(tick) + ", which the frames before it have not reached");
      if (!replay.Digests.emplace(tick, ReadDigest(node, 2)).second)
        node.Fail("a second digest for tick " + std::to_string(tick));
    } else if (word == "end") {
      node.Expect(3, 3);
      if (tick != reached)
        node.Fail("the end is at tick " + std::to_string(tick) + ", but the frames end at tick " +
                  std::to_string(reached));
      replay.EndTick = tick;
      replay.EndDigest = ReadDigest(node, 2);
      ended = true;
    } else if (word == "paste" || word == "paste-hex") {
      node.Expect(3, 3);
      std::vector<uint8_t> bytes;
      if (word == "paste-hex" && !FromHex(node.Token(2), bytes))
        node.Fail("the pasted text is not hexadecimal pairs");
      replay.Pastes.push_back(word == "paste" ? node.Token(2) : std::string(bytes.begin(), bytes.end()));
    } else {
      TInput input;
      input.Command = ParseScriptCommand(node);
      if (tick < reached)
        node.Fail("this input at tick " + std::to_string(tick) + " comes after frames that reach tick " +
                  std::to_string(reached) + "; move it up, before them");
      pending.push_back(input);
    }
  }
  if (!body) throw DataError(name + ": the replay is cut short: it has a header but no inputs or frames");
  if (!ended)
    throw DataError(name + ":" + std::to_string(file.Nodes.back().Line) +
                    ": the replay is cut short after this line: its end line is missing");
  for (size_t k = 0; k < pending.size(); ++k) {
    if (pending[k].Command.Tick > replay.EndTick)
      throw DataError(name + ":" + std::to_string(pending[k].Command.Line) + ": this input at tick " +
                      std::to_string(pending[k].Command.Tick) + " comes after the last frame, which ends at tick " +
                      std::to_string(replay.EndTick));
    pending[k].Frame = replay.FrameCount;
    replay.Inputs.push_back(pending[k]);
  }
  std::stable_sort(replay.Inputs.begin(), replay.Inputs.end(),
                   [](const TInput& a, const TInput& b) { return a.Frame < b.Frame; });
  return replay;
}

bool TReplay::NextFrame(std::vector<TScriptCommand>& inputs, int& ticks) {
  inputs.clear();
  while (Input_ < Inputs.size() && Inputs[Input_].Frame <= Frame_) inputs.push_back(Inputs[Input_++].Command);
  if (Run_ >= Runs.size()) return false;
  ticks = Runs[Run_].Ticks;
  if (++InRun_ >= Runs[Run_].Count) {
    ++Run_;
    InRun_ = 0;
  }
  ++Frame_;
  return true;
}

bool TReplay::PictureDueNext() const {
  for (size_t i = Input_; i < Inputs.size() && Inputs[i].Frame <= Frame_; ++i) {
    const TScriptCommand& c = Inputs[i].Command;
    if (c.Type == TScriptCommand::Screenshot ||
        ((c.Type == TScriptCommand::Key || c.Type == TScriptCommand::KeyDown) && c.Code == plat::vkF12))
      return true;
  }
  return false;
}

std::string TReplay::NextPaste() { return Paste_ < Pastes.size() ? Pastes[Paste_++] : std::string(); }
