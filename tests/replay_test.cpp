// The replay format on its own: what the recorder writes reads back as the
// same inputs before the same frames, edited inputs find their frame, and
// damaged or foreign files are refused with the file, the line and the reason.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/LaunchOptions.h"
#include "automation/Replay.h"
#include "engine/core/DataFile.h"
#include "engine/input/Timer.h"
#include "platform/Platform.h"

namespace {

plat::Event Ev(plat::EventType type, int x = 0, int y = 0, int button = 0) {
  plat::Event e;
  e.Type = type;
  e.X = x;
  e.Y = y;
  e.Button = button;
  return e;
}
plat::Event KeyEv(plat::EventType type, int key) {
  plat::Event e;
  e.Type = type;
  e.Key = key;
  return e;
}
plat::Event CharEv(unsigned char c) {
  plat::Event e;
  e.Type = plat::EventType::KeyChar;
  e.Char = c;
  return e;
}

TReplayHeader Header() {
  TReplayHeader h;
  h.Version = GameVersion();
  h.Seed = 4000000000u;
  h.Play = true;
  h.PlayPack = "Game Levels";
  h.PlayLevel = 3;
  h.Relaxed = true;
  h.HintsSeen = true;
  h.Files = {{"arvanels.cfg", {1, 2, 0xFF}}, {"save/Ann - Game Levels.sa2", {}}};
  return h;
}

std::string Error(const std::string& text) {
  try {
    TReplay::Parse(text, "bug.replay");
  } catch (const DataError& e) {
    return e.what();
  }
  return "no error";
}

const std::string kHead = "grovewright-replay 1\nversion 1.2\nseed 5\n";

// One frame of the played replay: the inputs before it and its ticks.
struct Played {
  std::vector<TScriptCommand> Inputs;
  int Ticks = -1;  // -1: after the last frame
};
std::vector<Played> PlayAll(TReplay& replay) {
  std::vector<Played> out;
  for (;;) {
    Played p;
    const bool frame = replay.NextFrame(p.Inputs, p.Ticks);
    if (!frame) p.Ticks = -1;
    out.push_back(p);
    if (!frame) return out;
  }
}

TEST(Replay, WhatTheRecorderWritesReadsBackFrameForFrame) {
  TReplayRecorder rec(Header());
  // Before the first frame: the release a --play start sends.
  rec.Input(0, Ev(plat::EventType::MouseUp, 0, 0));
  rec.Frame(0, 0);  // the first frame banks nothing
  rec.Frame(0, 2);
  rec.Input(2, Ev(plat::EventType::MouseMove, 412, 305));
  // A quick click: press and release between the same two frames.
  rec.Input(2, Ev(plat::EventType::MouseDown, 412, 305));
  rec.Input(2, Ev(plat::EventType::MouseUp, 412, 305));
  rec.Frame(2, 2);
  rec.Frame(4, 2);
  rec.Frame(6, 3);
  rec.Input(9, KeyEv(plat::EventType::KeyDown, plat::vkF1 + 8));
  rec.Input(9, KeyEv(plat::EventType::KeyUp, '5'));
  rec.Input(9, CharEv('p'));
  rec.Input(9, CharEv('#'));
  rec.Input(9, CharEv(' '));
  rec.Input(9, CharEv('7'));
  rec.Input(9, CharEv(0xE9));
  rec.Input(9, Ev(plat::EventType::MouseDown, -5, 700, 1));
  rec.Input(9, Ev(plat::EventType::MouseUp, 10, 20, 2));
  rec.Input(9, Ev(plat::EventType::FocusLost));
  rec.Input(9, Ev(plat::EventType::FocusGained));
  rec.Input(9, Ev(plat::EventType::RenderReset));  // no input: not written
  rec.Paste(9, "Ann Lee");
  rec.Paste(9, "tab\there \"and\" `there`");
  rec.Frame(9, 32);
  rec.Digest(40, 0x0123456789ABCDEFull);
  rec.Frame(41, 1);
  rec.Input(42, Ev(plat::EventType::Quit));
  const std::string text = rec.Text(0xFEDCBA9876543210ull);

  EXPECT_NE(text.find("\n0 frames 0 2\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n2 frames 2x2 3\n"), std::string::npos) << "runs of equal frames are merged";
  EXPECT_NE(text.find("\n40 digest 0123456789abcdef\n"), std::string::npos);
  EXPECT_NE(text.find("\n42 end fedcba9876543210\n"), std::string::npos);

  TReplay replay = TReplay::Parse(text, "rec.replay");
  const TReplayHeader h = Header();
  EXPECT_EQ(replay.Header.Version, h.Version);
  EXPECT_EQ(replay.Header.Seed, h.Seed);
  EXPECT_TRUE(replay.Header.Play && replay.Header.Relaxed && replay.Header.HintsSeen);
  EXPECT_EQ(replay.Header.PlayPack, "Game Levels");
  EXPECT_EQ(replay.Header.PlayLevel, 3);
  EXPECT_EQ(replay.Header.Files, h.Files);
  EXPECT_EQ(replay.FrameCount, 7);
  EXPECT_EQ(replay.EndTick, 42);
  EXPECT_EQ(replay.EndDigest, 0xFEDCBA9876543210ull);
  ASSERT_EQ(replay.DigestCount, 1);
  uint64_t digest = 0;
  EXPECT_FALSE(replay.DigestAt(39, digest));
  ASSERT_TRUE(replay.DigestAt(40, digest));
  EXPECT_EQ(digest, 0x0123456789ABCDEFull);
  EXPECT_FALSE(replay.DigestAt(41, digest));

  const std::vector<Played> frames = PlayAll(replay);
  ASSERT_EQ(frames.size(), 8u);
  const std::vector<int> ticks = {0, 2, 2, 2, 3, 32, 1, -1};
  const std::vector<size_t> inputs = {1, 0, 3, 0, 0, 11, 0, 1};
  for (size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i].Ticks, ticks[i]) << "frame " << i;
    EXPECT_EQ(frames[i].Inputs.size(), inputs[i]) << "frame " << i;
  }
  const auto& click = frames[2].Inputs;
  EXPECT_EQ(click[0].Type, TScriptCommand::Mouse);
  EXPECT_EQ(click[1].Type, TScriptCommand::Down);
  EXPECT_TRUE(click[1].At);
  EXPECT_EQ(click[1].X, 412);
  EXPECT_EQ(click[2].Type, TScriptCommand::Up);
  const auto& keys = frames[5].Inputs;
  EXPECT_EQ(keys[0].Type, TScriptCommand::KeyDown);
  EXPECT_EQ(keys[0].Code, plat::vkF1 + 8);
  EXPECT_EQ(keys[1].Type, TScriptCommand::KeyUp);
  EXPECT_EQ(keys[1].Code, '5') << "a digit key is written as its code";
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(keys[2 + i].Type, TScriptCommand::Char);
  EXPECT_EQ(keys[2].Code, 'p');
  EXPECT_EQ(keys[3].Code, '#');
  EXPECT_EQ(keys[4].Code, ' ');
  EXPECT_EQ(keys[5].Code, '7') << "a digit character is the digit, not a code";
  EXPECT_EQ(keys[6].Code, 0xE9);
  EXPECT_EQ(keys[7].Type, TScriptCommand::RightDown);
  EXPECT_EQ(keys[7].X, -5);
  EXPECT_EQ(keys[7].Y, 700);
  EXPECT_EQ(keys[8].Type, TScriptCommand::Up);
  EXPECT_EQ(keys[8].Button, 2);
  EXPECT_EQ(keys[9].Type, TScriptCommand::Blur);
  EXPECT_EQ(keys[10].Type, TScriptCommand::Focus);
  EXPECT_EQ(frames[7].Inputs[0].Type, TScriptCommand::Quit) << "an input after the last frame";
  EXPECT_EQ(replay.NextPaste(), "Ann Lee");
  EXPECT_EQ(replay.NextPaste(), "tab\there \"and\" `there`");
  EXPECT_EQ(replay.NextPaste(), "") << "the clipboard is empty once the recorded ones are used";
}

TEST(Replay, AnEditedInputTakesTheFirstFrameAtOrAfterItsTick) {
  // Frames start at ticks 0, 2, 4, ..., 18; then three frames at 20 that
  // run no tick, and one of 5.
  const std::string body =
      "0 mouse 1 1\n"
      "7 mouse 7 7\n"    // moved on from tick 0: the frame at tick 8
      "0 frames 2x10\n"
      "20 mouse 2 2\n"
      "20 frames 0x3 5\n"
      "25 key F12\n"  // after the last frame, in file order
      "25 mouse 3 3\n"
      "25 end 0\n";
  TReplay replay = TReplay::Parse(kHead + body, "r");
  // (frame, x) of each mouse input, as the replay plays.
  auto mice = [](TReplay& r) {
    std::vector<std::pair<int64_t, int>> at;
    const std::vector<Played> frames = PlayAll(r);
    for (size_t f = 0; f < frames.size(); ++f)
      for (const TScriptCommand& c : frames[f].Inputs)
        if (c.Type == TScriptCommand::Mouse) at.push_back({static_cast<int64_t>(f), c.X});
    return std::make_pair(at, frames);
  };
  const auto [at, frames] = mice(replay);
  const std::vector<std::pair<int64_t, int>> expected = {{0, 1}, {4, 7}, {10, 2}, {14, 3}};
  EXPECT_EQ(at, expected);
  // Inputs after the last frame keep their file order.
  ASSERT_EQ(frames.back().Inputs.size(), 2u);
  EXPECT_EQ(frames.back().Inputs[0].Type, TScriptCommand::Key);
  // A tick inside a frame of several ticks: the next frame, also when that
  // frame opens the next run.
  TReplay inside = TReplay::Parse(kHead + "1 mouse 1 1\n5 mouse 5 5\n0 frames 4 2x3\n10 end 0\n", "r");
  const std::vector<std::pair<int64_t, int>> insideAt = {{1, 1}, {2, 5}};  // the frames at ticks 4 and 6
  EXPECT_EQ(mice(inside).first, insideAt);
  // F12 is a key like any other; a command that writes a picture is no input.
  EXPECT_EQ(TReplay::Parse(kHead + "0 keydown F12\n0 frames 1\n1 end 0\n", "r").InputCount, 1);
  EXPECT_EQ(Error(kHead + "0 screenshot a.png\n0 frames 1\n1 end 0\n"),
            "bug.replay:4: \"screenshot\" is no input: a replay carries only the player's input");
}

TEST(Replay, DamagedOrForeignFilesNameTheLineAndTheReason) {
  EXPECT_EQ(Error(""), "bug.replay: not a Grovewright replay: the file is empty");
  EXPECT_EQ(Error("10 click 400 300\n20 quit\n"),
            "bug.replay:1: not a Grovewright replay: a replay begins with \"grovewright-replay 1\"");
  EXPECT_EQ(Error("\x89PNG\r\n\x1a\n"), "bug.replay:1: not a Grovewright replay: a replay begins with \"grovewright-replay 1\"");
  EXPECT_EQ(Error("grovewright-replay 2\n"),
            "bug.replay:1: the replay has format 2, from a newer game; this game reads format 1");
  EXPECT_EQ(Error("grovewright-replay 1\nseed 5\n0 frames 2\n2 end 0\n"), "bug.replay:3: the header has no \"version\" line");
  EXPECT_EQ(Error("grovewright-replay 1\nversion 1.2\nseed -1\n"), "bug.replay:3: \"-1\" is out of range 0..4294967295");
  EXPECT_EQ(Error("grovewright-replay 1\nversion 1.2\nrelaxed\n"),
            "bug.replay:3: \"relaxed\" only goes with a \"play\" line before it");
  EXPECT_EQ(Error(kHead + "colour red\n"), "bug.replay:4: unknown header line \"colour\"");
  EXPECT_EQ(Error(kHead + "file ../../.bashrc 41\n"),
            "bug.replay:4: \"../../.bashrc\" is no player's file (arvanels.cfg, data/hiscore.arv or save/NAME)");
  EXPECT_EQ(Error(kHead + "file save/.hidden 41\n"),
            "bug.replay:4: \"save/.hidden\" is no player's file (arvanels.cfg, data/hiscore.arv or save/NAME)");
  EXPECT_EQ(Error(kHead + "file arvanels.cfg 4g\n"), "bug.replay:4: the bytes of \"arvanels.cfg\" are not hexadecimal pairs");
  EXPECT_EQ(Error(kHead), "bug.replay: the replay is cut short: it has a header but no inputs or frames");
  EXPECT_EQ(Error(kHead + "0 frames 2x10\n20 mouse 1 1\n"),
            "bug.replay:5: the replay is cut short after this line: its end line is missing");
  EXPECT_EQ(Error(kHead + "0 frames 2x10\n18 mouse 1 1\n"),
            "bug.replay:5: this input at tick 18 comes after frames that reach tick 20; move it up, before them");
  EXPECT_EQ(Error(kHead + "0 frames 2x10\n30 frames 2\n"),
            "bug.replay:5: the frames begin at tick 30, but the frames before them end at tick 20");
  EXPECT_EQ(Error(kHead + "0 frames 2x0\n"),
            "bug.replay:4: \"2x0\" is no run of frames (K ticks, or KxN: N frames of K ticks, K at most 32)");
  EXPECT_EQ(Error(kHead + "0 frames 33\n"),
            "bug.replay:4: \"33\" is no run of frames (K ticks, or KxN: N frames of K ticks, K at most 32)");
  EXPECT_EQ(Error(kHead + "0 frames 32x1099511627776 32x1099511627776\n"),
            "bug.replay:4: the frames go on for longer than any session");
  EXPECT_EQ(Error(kHead + "0 frames 2\n4 digest 00\n"),
            "bug.replay:5: a digest for tick 4, which the frames before it have not reached");
  EXPECT_EQ(Error(kHead + "0 frames 2\n2 digest 12345678901234567\n"),
            "bug.replay:5: \"12345678901234567\" is no digest (up to 16 hexadecimal digits)");
  EXPECT_EQ(Error(kHead + "0 frames 2\n2 digest 1\n2 digest 1\n"), "bug.replay:6: a second digest for tick 2");
  EXPECT_EQ(Error(kHead + "0 frames 2\n3 end 0\n"), "bug.replay:5: the end is at tick 3, but the frames end at tick 2");
  EXPECT_EQ(Error(kHead + "0 frames 2\n2 end 0\n2 mouse 1 1\n"), "bug.replay:6: nothing may follow the end line");
  EXPECT_EQ(Error(kHead + "5 mouse 1 1\n0 frames 2\n2 end 0\n"),
            "bug.replay:4: this input at tick 5 comes after the last frame, which ends at tick 2");
  EXPECT_EQ(Error(kHead + "0 frames 2\nversion 1.3\n"),
            "bug.replay:5: the header lines (\"version\") come before the first input");
  EXPECT_EQ(Error(kHead + "0 jump\n"), "bug.replay:4: unknown command \"jump\"");
  EXPECT_EQ(Error(kHead + "0 down 1\n"), "bug.replay:4: \"down\" takes no values, a point, or a point and a button");
  EXPECT_EQ(Error(kHead + "0 frames 2\n  2 end 0\n"), "bug.replay:5: replay lines are not indented");
  EXPECT_EQ(Error(kHead + "0 paste \"open\n"), "bug.replay:4: unbalanced quote");
}

TEST(Replay, OnlyThePlayersOwnFilesMayTravelInAReplay) {
  for (const char* good : {"arvanels.cfg", "data/hiscore.arv", "save/Ann.sav", "save/Ann - Game Levels Relaxed.sa2"})
    EXPECT_TRUE(IsReplayFilePath(good)) << good;
  for (const char* bad : {"", "save/", "save/..", "save/a/b", "/etc/passwd", "data/interface.gui", "Data/GameData.CPDB",
                          "levels/Game Levels/1.lvl", "save/../arvanels.cfg"})
    EXPECT_FALSE(IsReplayFilePath(bad)) << bad;
}

TEST(Replay, ScriptsTakeTheReplaysCommandsToo) {
  TInputScript s = TInputScript::Parse(
      "0 keydown Escape\n1 keyup 53\n2 down 10 20\n3 up 10 20 2\n4 rdown 5 6\n5 rup\n6 blur\n7 focus\n", "s.txt");
  ASSERT_EQ(s.Commands.size(), 8u);
  EXPECT_EQ(s.Commands[0].Type, TScriptCommand::KeyDown);
  EXPECT_EQ(s.Commands[0].Code, plat::vkEscape);
  EXPECT_EQ(s.Commands[1].Type, TScriptCommand::KeyUp);
  EXPECT_EQ(s.Commands[1].Code, 53);
  EXPECT_TRUE(s.Commands[2].At);
  EXPECT_EQ(s.Commands[2].Y, 20);
  EXPECT_EQ(s.Commands[3].Button, 2);
  EXPECT_EQ(s.Commands[4].Type, TScriptCommand::RightDown);
  EXPECT_EQ(s.Commands[4].Button, 1);
  EXPECT_FALSE(s.Commands[5].At);
  EXPECT_EQ(s.Commands[6].Type, TScriptCommand::Blur);
  EXPECT_EQ(s.Commands[7].Type, TScriptCommand::Focus);
  for (int code : {8, 27, 32, 37, 53, 65, 90, 112, 120, 123, 200})
    EXPECT_EQ(KeyCodeFromName(KeyNameOf(code)) == -1 ? std::stoi(KeyNameOf(code)) : KeyCodeFromName(KeyNameOf(code)),
              code)
        << KeyNameOf(code);
}

TEST(Replay, LaunchOptionsLeaveSeedLevelAndInputToTheReplay) {
  TLaunchOptions o;
  std::string error;
  EXPECT_TRUE(ParseLaunchOptions({"--replay", "a.replay", "--headless", "--home", "x"}, o, error)) << error;
  EXPECT_EQ(o.Replay, "a.replay");
  for (const std::vector<std::string>& clash :
       {std::vector<std::string>{"--seed", "3"}, {"--play", "P", "1"}, {"--script", "s.txt"}, {"--ticks", "9"},
        {"--record", "b.replay"}, {"--relaxed"}, {"--hints-seen"}}) {
    TLaunchOptions bad;
    std::vector<std::string> args = {"--replay", "a.replay"};
    args.insert(args.end(), clash.begin(), clash.end());
    EXPECT_FALSE(ParseLaunchOptions(args, bad, error)) << clash[0];
    EXPECT_NE(error.find(clash[0] + " does not go with --replay"), std::string::npos) << error;
  }
  TLaunchOptions rec;
  EXPECT_TRUE(ParseLaunchOptions({"--record", "b.replay", "--play", "P", "2", "--hints-seen"}, rec, error)) << error;
  EXPECT_EQ(rec.Record, "b.replay");
  EXPECT_TRUE(rec.HintsSeen);
  TLaunchOptions alone;
  EXPECT_FALSE(ParseLaunchOptions({"--hints-seen"}, alone, error));
  EXPECT_EQ(error, "--hints-seen only goes with --play");
}

// A replayed frame runs the recorded ticks whatever time has passed, and
// leaves no fraction of a tick behind.
TEST(Replay, TimerRunsExactlyTheTicksOfAReplayedFrame) {
  plat::VirtualClock clock;
  TCanopyTimer timer(clock);
  timer.SetSpeed(120.0);
  timer.Enabled = true;
  int ticks = 0, frames = 0;
  timer.OnProcess = [&] { ++ticks; };
  timer.OnTimer = [&] {
    ++frames;
    timer.Process();
  };
  clock.Now += plat::VirtualClock::kFrequency * 10;  // ten seconds: a live frame would bank 32
  for (int n : {0, 3, 32, 1}) {
    const int before = ticks;
    timer.ReplayFrame(n);
    EXPECT_EQ(ticks - before, n);
    EXPECT_EQ(timer.TickBank(), 0);
  }
  EXPECT_EQ(frames, 4);
}

}  // namespace
