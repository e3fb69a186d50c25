// What a replay may hold, on its own: a replay carries only the player's
// input; its frames, ticks and lines are bounded the same way by the
// recorder and the reader; any name the game accepts travels and comes back;
// and a day-long session is recorded and played with flat memory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "automation/Replay.h"
#include "engine/core/DataFile.h"
#include "platform/Platform.h"

namespace {

namespace fs = std::filesystem;

const std::string kHead = "grovewright-replay 1\nversion 1.2\nseed 5\n";

std::string Error(const std::string& text, const TReplayLimits& limits = {}) {
  try {
    TReplay::Parse(text, "r.replay", limits);
  } catch (const DataError& e) {
    return e.what();
  }
  return "no error";
}

plat::Event Move(int x, int y) {
  plat::Event e;
  e.Type = plat::EventType::MouseMove;
  e.X = x;
  e.Y = y;
  return e;
}

TEST(ReplayLimits, OnlyThePlayersInputIsTakenEveryOtherCommandIsNamedWithItsLine) {
  EXPECT_EQ(Error(kHead + "0 frames 2\n2 dump /home/ann/.bashrc\n2 end 0\n"),
            "r.replay:5: \"dump\" is no input: a replay carries only the player's input");
  EXPECT_EQ(Error(kHead + "0 mouse 1 1\n0 screenshot /tmp/x.png\n0 frames 2\n2 end 0\n"),
            "r.replay:5: \"screenshot\" is no input: a replay carries only the player's input");
  // Every input a player makes, including the keys that save pictures and
  // replays, is still read (the game writes nothing for them in a replay).
  TReplay ok = TReplay::Parse(kHead +
                                  "0 key F12\n0 keydown F9\n0 keyup F9\n0 click 5 5\n0 tap 5 5\n0 text \"Ann\"\n"
                                  "0 char p\n0 rdown 1 1\n0 rup 1 1\n0 blur\n0 focus\n0 frames 2\n2 quit\n2 end 0\n",
                              "r");
  EXPECT_EQ(ok.InputCount, 12);
}

TEST(ReplayLimits, FramesTicksAndLinesBeyondADayOfPlayAreRefused) {
  // The 1.4 KB file that claimed a thousand billion frames.
  EXPECT_EQ(Error(kHead + "0 frames 1x1099511627000\n1099511627000 end 0\n"),
            "r.replay:4: the frames go on for longer than any session");
  const TReplayLimits day;
  EXPECT_EQ(day.Ticks, 24 * 3600 * 120);
  // Exactly a day is read; a tick more is not.
  const std::string ticks = std::to_string(day.Ticks / 2);
  EXPECT_EQ(TReplay::Parse(kHead + "0 frames 2x" + ticks + "\n" + std::to_string(day.Ticks) + " end 0\n", "r").EndTick,
            day.Ticks);
  EXPECT_EQ(Error(kHead + "0 frames 2x" + ticks + " 1\n" + std::to_string(day.Ticks + 1) + " end 0\n"),
            "r.replay:4: the frames go on for longer than any session");
  // Frames that run no tick: a few in a row are what a window draws between
  // ticks; endless ones would never end.
  EXPECT_EQ(TReplay::Parse(kHead + "0 frames 0x2 2x59 0x1000 2\n120 end 0\n", "r").FrameCount, 1062);
  EXPECT_EQ(Error(kHead + "0 frames 0x1001\n0 end 0\n"),
            "r.replay:4: more than 1000 frames in a row run no tick; a session's frames run a tick every few frames");
  EXPECT_EQ(Error(kHead + "0 frames 0x600\n0 mouse 1 1\n0 frames 0x401\n0 end 0\n"),
            "r.replay:6: more than 1000 frames in a row run no tick; a session's frames run a tick every few frames");
  // Lines: counted as the file has them, comments and blank lines too.
  TReplayLimits few;
  few.Lines = 8;
  EXPECT_EQ(Error(kHead + "\n\n# a\n0 frames 2\n2 end 0\n", few), "no error");
  EXPECT_EQ(Error(kHead + "\n\n# a\n0 frames 2\n2 mouse 1 1\n2 end 0\n", few),
            "r.replay:9: the replay has more than 8 lines, more than any session's");
  few.Bytes = 40;
  EXPECT_EQ(Error(kHead + "0 frames 2\n2 end 0\n", few), "r.replay: the replay is larger than any replay (40 bytes)");
  // A line longer than any the game writes, and one with too many words.
  EXPECT_NE(Error(kHead + "0 paste " + std::string((1 << 20) + 1, 'a') + "\n").find(
                "r.replay:4: the line is longer than any replay line (1 MiB)"),
            std::string::npos);
  std::string runs = "0 frames";
  for (int i = 0; i < 300; ++i) runs += " 2";
  EXPECT_EQ(Error(kHead + runs + "\n600 end 0\n"), "r.replay:4: the line has more than 258 words");
  // Digests go in the order of their ticks.
  EXPECT_EQ(Error(kHead + "0 frames 2x3\n4 digest 1\n2 digest 1\n6 end 0\n"),
            "r.replay:6: the digest for tick 2 comes after the one for tick 4; digests go in the order of their ticks");
}

// The writer stops where the reader would: a recording that reaches a limit
// ends there with the state of that moment, and what it wrote reads back.
TEST(ReplayLimits, TheRecorderEndsItsReplayWhereTheReaderWouldStopReadingIt) {
  struct Case {
    const char* What;
    TReplayLimits Limits;
  };
  std::vector<Case> cases(4);
  cases[0] = {"bytes", {}};
  cases[0].Limits.Bytes = 6000;
  cases[1] = {"lines", {}};
  cases[1].Limits.Lines = 120;
  cases[2] = {"ticks", {}};
  cases[2].Limits.Ticks = 700;
  cases[3] = {"frames", {}};
  cases[3].Limits.Frames = 200;
  for (const Case& c : cases) {
    TReplayHeader header;
    header.Version = "1.2";
    TReplayRecorder rec(header, c.Limits);
    int64_t fullAt = -1, now = 0;
    rec.DigestNow = [&] { return static_cast<uint64_t>(now) * 3 + 1; };
    rec.OnFull = [&](int64_t tick) { fullAt = tick; };
    for (now = 0; now < 5000; now += 2) {
      if (now % 10 == 0) rec.Input(now, Move(static_cast<int>(now % 800), 300));
      rec.Frame(now, 2);
      if ((now + 2) % 120 == 0) rec.Digest(now + 2, 7);
      if (rec.Full()) break;
    }
    ASSERT_TRUE(rec.Full()) << c.What;
    EXPECT_EQ(fullAt, rec.Reached()) << c.What;
    const std::string text = rec.Text(99);  // the digest at the end is the one of the moment it filled
    TReplay replay = TReplay::Parse(text, "full.replay", c.Limits);
    EXPECT_EQ(replay.EndTick, fullAt) << c.What;
    EXPECT_EQ(replay.EndDigest, static_cast<uint64_t>(fullAt) * 3 + 1) << c.What;
    // Nothing more is taken once it has ended.
    rec.Input(now + 2, Move(1, 1));
    rec.Frame(now + 2, 2);
    EXPECT_EQ(rec.Text(5), text) << c.What;
  }
  // Idle frames: the recording ends before the one that would pass the limit.
  TReplayLimits idle;
  idle.IdleFrames = 5;
  TReplayHeader header;
  header.Version = "1.2";
  TReplayRecorder rec(header, idle);
  rec.Frame(0, 2);
  for (int i = 0; i < 9; ++i) rec.Frame(2, 0);
  EXPECT_TRUE(rec.Full());
  EXPECT_EQ(TReplay::Parse(rec.Text(0), "idle.replay", idle).FrameCount, 6);
  // Inputs waiting for one frame: the recording ends before the one too many.
  TReplayLimits waiting;
  waiting.WaitingInputs = 5;
  TReplayRecorder burst(header, waiting);
  burst.Frame(0, 2);
  for (int i = 0; i < 9; ++i) burst.Input(2, Move(i, i));
  EXPECT_TRUE(burst.Full());
  EXPECT_EQ(TReplay::Parse(burst.Text(0), "burst.replay", waiting).InputCount, 5);
  EXPECT_NE(Error(kHead + "0 frames 2\n2 mouse 1 1\n2 mouse 1 1\n2 mouse 1 1\n2 end 0\n", [] {
              TReplayLimits two;
              two.WaitingInputs = 2;
              return two;
            }()).find("r.replay:7: too many inputs before this one wait for a frame"),
            std::string::npos);
}

// Any name the game takes for a player or a pack travels in a replay and
// comes back as it was, quotes of both kinds included.
TEST(ReplayLimits, NamesWithBothKindsOfQuoteRoundTrip) {
  TReplayHeader h;
  h.Version = "1.2";
  h.Play = true;
  h.PlayPack = "My \"best\" `pack` #1";
  h.PlayLevel = 2;
  h.Files = {{"arvanels.cfg", {1, 2}},
             {"save/Ann \"the\" `Axe`.sav", {3}},
             {"save/Ann \"the\" `Axe` - My \"best\" `pack` #1.sa2", {4, 5}},
             {"save/plain`tick.sav", {}},
             {"save/ spaced .sav", {6}}};
  TReplayRecorder rec(h);
  rec.Frame(0, 2);
  const std::string text = rec.Text(1);
  EXPECT_NE(text.find("\nplay-hex "), std::string::npos) << text;
  EXPECT_NE(text.find("\nfile \"save/plain`tick.sav\" \"\"\n"), std::string::npos)
      << "a name one kind of quote can hold stays readable";
  const TReplay back = TReplay::Parse(text, "q.replay");
  EXPECT_EQ(back.Header.PlayPack, h.PlayPack);
  EXPECT_EQ(back.Header.Files, h.Files);
  // A name in hex is still a player's file name or nothing.
  EXPECT_EQ(Error(kHead + "file-hex 2e2e2f2e2e2f6574632f706173737764 00\n"),
            "r.replay:4: \"../../etc/passwd\" is no player's file (arvanels.cfg, data/hiscore.arv or save/NAME)");
  EXPECT_EQ(Error(kHead + "file-hex 7g 00\n"), "r.replay:4: the file's name is not hexadecimal pairs");
}

// The header's player files, as many lines as a file can hold, are read in
// one pass (their names are looked up, not compared with every other).
TEST(ReplayLimits, ManyFileLinesAreReadAndTheirTwinsFound) {
  std::string text = kHead;
  for (int i = 0; i < 100000; ++i) text += "file save/" + std::to_string(i) + ".sav \"\"\n";
  std::string twice = text + "file save/77.sav \"\"\n";
  text += "0 frames 2\n2 end 0\n";
  EXPECT_EQ(TReplay::Parse(text, "many.replay").Header.Files.size(), 100000u);
  EXPECT_EQ(Error(twice), "r.replay:100004: \"save/77.sav\" is given twice");
}

// A session of a million ticks of active play: the recorder holds a few
// dozen kilobytes whatever the length, the rest is on disk; the reader
// plays the file back holding no more.
TEST(ReplayLimits, AMillionTicksAreRecordedAndPlayedWithFlatMemory) {
  const fs::path folder = fs::temp_directory_path() / ("gw-flat-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  constexpr int64_t kTicks = 1000000;
  constexpr size_t kBound = 512 * 1024;
  size_t mostRecorded = 0;
  {
    TReplayHeader h;
    h.Version = "1.2";
    h.Files = {{"arvanels.cfg", std::vector<uint8_t>(105, 1)}};
    TReplayRecorder rec(h);
    rec.SpillFolder = (folder / "replays").string();
    for (int64_t t = 0; t < kTicks; t += 2) {
      // The pointer moves every frame, a click every second, a paste now and
      // then: active play.
      rec.Input(t, Move(static_cast<int>(t % 797), static_cast<int>(t % 593)));
      if (t % 120 == 0) {
        plat::Event down = Move(100, 100);
        down.Type = plat::EventType::MouseDown;
        rec.Input(t, down);
        down.Type = plat::EventType::MouseUp;
        rec.Input(t, down);
      }
      if (t % 50000 == 0) rec.Paste(t, "Ann");
      rec.Frame(t, 2);
      if ((t + 2) % 120 == 0) rec.Digest(t + 2, static_cast<uint64_t>(t));
      mostRecorded = std::max(mostRecorded, rec.BufferedBytes());
    }
    EXPECT_FALSE(rec.Full());
    std::string error;
    ASSERT_TRUE(rec.Save((folder / "long.replay").string(), 42, error)) << error;
  }
  EXPECT_LE(mostRecorded, kBound);
  // Nothing of the recording is left behind in its folder.
  EXPECT_TRUE(fs::is_empty(folder / "replays"));

  TReplay replay = TReplay::Load((folder / "long.replay").string());
  EXPECT_EQ(replay.EndTick, kTicks);
  EXPECT_GT(fs::file_size(folder / "long.replay"), 8u << 20) << "a long file, far more than the bound";
  std::vector<TScriptCommand> inputs;
  int ticks = 0;
  int64_t tick = 0, handed = 0, digests = 0;
  size_t mostRead = 0;
  while (replay.NextFrame(inputs, ticks)) {
    handed += static_cast<int64_t>(inputs.size());
    for (int k = 0; k < ticks; ++k) {
      uint64_t d = 0;
      if (replay.DigestAt(++tick, d)) ++digests;
    }
    mostRead = std::max(mostRead, replay.BufferedBytes());
  }
  EXPECT_EQ(tick, kTicks);
  EXPECT_EQ(handed, replay.InputCount);
  EXPECT_EQ(digests, kTicks / 120);
  EXPECT_EQ(replay.NextPaste(), "Ann");
  EXPECT_LE(mostRead, kBound);
  fs::remove_all(folder);
}

}  // namespace
