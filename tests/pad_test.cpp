// Game-controller input below the game: the pad's state with its dead zone
// and repeat, the pad commands of input scripts, and the words a replay
// writes for pad events (which its reader must take back).
#include <gtest/gtest.h>

#include "automation/InputScript.h"
#include "automation/Replay.h"
#include "engine/core/DataFile.h"
#include "engine/input/Pad.h"
#include "platform/Platform.h"

namespace {

using plat::PadAxis;
using plat::PadButton;

TEST(Pad, DirectionFromDpadOrStickWithDeadZoneAndHysteresis) {
  TCanopyPad pad;
  int dx = 9, dy = 9;
  pad.Direction(dx, dy);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);

  // A stick barely off the middle is at rest; past the dead zone it points.
  pad.DeviceAxis(PadAxis::LeftX, TCanopyPad::kDeadZone - 1);
  pad.Direction(dx, dy);
  EXPECT_EQ(dx, 0);
  pad.DeviceAxis(PadAxis::LeftX, TCanopyPad::kDeadZone);
  pad.Direction(dx, dy);
  EXPECT_EQ(dx, 1);
  // Coming back into the band between the zones keeps it pointing; within
  // the release zone it lets go.
  pad.DeviceAxis(PadAxis::LeftX, TCanopyPad::kReleaseZone + 1);
  pad.Direction(dx, dy);
  EXPECT_EQ(dx, 1);
  pad.DeviceAxis(PadAxis::LeftX, TCanopyPad::kReleaseZone);
  pad.Direction(dx, dy);
  EXPECT_EQ(dx, 0);

  // A diagonal stick: the axis pushed further wins.
  pad.DeviceAxis(PadAxis::LeftX, -20000);
  pad.DeviceAxis(PadAxis::LeftY, 30000);
  pad.Direction(dx, dy);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 1);

  // The d-pad goes before the stick, and two of its arrows go across.
  pad.DeviceButton(PadButton::DpadUp, true);
  pad.DeviceButton(PadButton::DpadLeft, true);
  pad.Direction(dx, dy);
  EXPECT_EQ(dx, -1);
  EXPECT_EQ(dy, 0);

  // Out-of-range values are held to the axis' range; unknown buttons ignored.
  pad.DeviceAxis(PadAxis::RightX, 99999);
  EXPECT_EQ(pad.Axis(PadAxis::RightX), 32767);
  pad.DeviceButton(static_cast<PadButton>(99), true);
  EXPECT_FALSE(pad.Held(static_cast<PadButton>(99)));

  pad.ReleaseAll();
  pad.Direction(dx, dy);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
  EXPECT_FALSE(pad.Held(PadButton::DpadUp));
}

TEST(Pad, HeldDirectionMovesAtOnceThenRepeatsAfterItsDelay) {
  TCanopyPad pad;
  pad.DeviceButton(PadButton::DpadRight, true);
  std::vector<int> moves;
  for (int tick = 0; tick < 100; ++tick) {
    int dx = 0, dy = 0;
    if (pad.RepeatTick(dx, dy)) {
      EXPECT_EQ(dx, 1);
      EXPECT_EQ(dy, 0);
      moves.push_back(tick);
    }
  }
  const int d = TCanopyPad::kRepeatDelay, e = TCanopyPad::kRepeatEvery;
  std::vector<int> expected{0};
  for (int t = d; t < 100; t += e) expected.push_back(t);
  EXPECT_EQ(moves, expected);

  // Another direction moves at once and starts its own delay; letting go
  // and pressing again does too.
  pad.DeviceButton(PadButton::DpadRight, false);
  pad.DeviceButton(PadButton::DpadDown, true);
  int dx = 0, dy = 0;
  EXPECT_TRUE(pad.RepeatTick(dx, dy));
  EXPECT_EQ(dy, 1);
  EXPECT_FALSE(pad.RepeatTick(dx, dy));
  pad.DeviceButton(PadButton::DpadDown, false);
  EXPECT_FALSE(pad.RepeatTick(dx, dy));
  pad.DeviceButton(PadButton::DpadDown, true);
  EXPECT_TRUE(pad.RepeatTick(dx, dy));
}

TEST(PadCommands, ScriptsNameButtonsAndAxesAndRejectOthers) {
  TInputScript s = TInputScript::Parse("1 pad A\n2 paddown lb\n3 padup Start\n4 axis LeftY -32768\n5 axis RT 32767\n",
                                       "pads.txt");
  ASSERT_EQ(s.Commands.size(), 5u);
  EXPECT_EQ(s.Commands[0].Type, TScriptCommand::Pad);
  EXPECT_EQ(s.Commands[0].Code, static_cast<int>(PadButton::A));
  EXPECT_EQ(s.Commands[1].Type, TScriptCommand::PadDown);
  EXPECT_EQ(s.Commands[1].Code, static_cast<int>(PadButton::LeftShoulder));
  EXPECT_EQ(s.Commands[2].Type, TScriptCommand::PadUp);
  EXPECT_EQ(s.Commands[2].Code, static_cast<int>(PadButton::Start));
  EXPECT_EQ(s.Commands[3].Type, TScriptCommand::Axis);
  EXPECT_EQ(s.Commands[3].Code, static_cast<int>(PadAxis::LeftY));
  EXPECT_EQ(s.Commands[3].X, -32768);
  EXPECT_EQ(s.Commands[4].Code, static_cast<int>(PadAxis::TriggerRight));

  auto error = [](const std::string& text) {
    try {
      TInputScript::Parse(text, "bad.txt");
    } catch (const DataError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(error("0 pad Z\n"), "bad.txt:1: unknown controller button \"Z\"");
  EXPECT_EQ(error("0 pad\n"), "bad.txt:1: \"pad\" takes 1 value");
  EXPECT_EQ(error("0 axis Wheel 3\n"), "bad.txt:1: unknown controller axis \"Wheel\"");
  EXPECT_EQ(error("0 axis LeftX 40000\n"), "bad.txt:1: \"40000\" is out of range -32768..32767");
}

TEST(PadCommands, ReplayWordsOfPadEventsReadBackAsTheSameEvents) {
  for (int b = 0; b < static_cast<int>(PadButton::Count); ++b) {
    plat::Event e;
    e.Type = plat::EventType::PadDown;
    e.Button = b;
    const std::vector<std::string> words = ReplayInputWords(e);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0], "paddown");
    const TInputScript s = TInputScript::Parse("0 " + words[0] + " " + words[1] + "\n", "r");
    EXPECT_EQ(s.Commands[0].Type, TScriptCommand::PadDown);
    EXPECT_EQ(s.Commands[0].Code, b) << words[1];
  }
  plat::Event axis;
  axis.Type = plat::EventType::PadAxis;
  axis.Button = static_cast<int>(PadAxis::LeftX);
  axis.X = -12345;
  const std::vector<std::string> words = ReplayInputWords(axis);
  ASSERT_EQ(words, (std::vector<std::string>{"axis", "LeftX", "-12345"}));
  // That a pad was plugged in or pulled out is no input of its own.
  plat::Event added;
  added.Type = plat::EventType::PadAdded;
  EXPECT_TRUE(ReplayInputWords(added).empty());
}

}  // namespace
