#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "engine/input/Input.h"
#include "engine/input/Screener.h"

namespace {

TEST(Mouse, ClearOnUpdateGivesOneFrameEdges) {
  TCanopyMouse m;
  m.ClearOnUpdate = true;
  m.DeviceButton(0, true);
  m.Update();
  EXPECT_TRUE(m.Pressed(0));
  EXPECT_FALSE(m.Released(0));
  m.Update();  // held, no new event
  EXPECT_FALSE(m.Pressed(0));
  m.DeviceButton(0, false);
  m.Update();
  EXPECT_TRUE(m.Released(0));
  EXPECT_FALSE(m.Pressed(0));
  m.Update();
  EXPECT_FALSE(m.Released(0));
}

TEST(Mouse, WithoutClearOnUpdateTheLastEventStays) {
  TCanopyMouse m;
  m.ClearOnUpdate = false;
  m.DeviceButton(0, true);
  m.Update();
  m.Update();
  m.Update();
  EXPECT_TRUE(m.Pressed(0));  // held until the release arrives
  m.DeviceButton(0, false);
  m.Update();
  EXPECT_FALSE(m.Pressed(0));
  EXPECT_TRUE(m.Released(0));
  m.Update();
  EXPECT_TRUE(m.Released(0));  // until the next press
}

// A quick click: the press and its release reach the device between the same
// two frames. The press must count for one whole frame and the release for the
// next, in either mode, so that code polling once a frame sees one click.
TEST(Mouse, QuickClickIsOneFramePressedThenReleased) {
  for (bool clear : {false, true}) {
    SCOPED_TRACE(clear ? "ClearOnUpdate on" : "ClearOnUpdate off");
    TCanopyMouse m;
    m.ClearOnUpdate = clear;
    m.DeviceButton(0, true);
    m.DeviceButton(0, false);
    m.Update();
    EXPECT_TRUE(m.Pressed(0)) << "the press is kept for this frame";
    EXPECT_FALSE(m.Released(0)) << "a release in the same frame would end the click at once";
    m.Update();
    EXPECT_FALSE(m.Pressed(0)) << "one click, not a held button";
    EXPECT_TRUE(m.Released(0));
    m.Update();
    EXPECT_FALSE(m.Pressed(0)) << "never a second click";
    EXPECT_EQ(m.Released(0), !clear) << "without ClearOnUpdate the release stays";
  }
}

TEST(Mouse, EveryEdgeOfABurstReachesItsOwnFrame) {
  for (bool clear : {false, true}) {
    SCOPED_TRACE(clear ? "ClearOnUpdate on" : "ClearOnUpdate off");
    TCanopyMouse m;
    m.ClearOnUpdate = clear;
    // A double click inside one frame, with motion between the clicks.
    m.DeviceButton(0, true);
    m.DeviceButton(0, false);
    m.DeviceMotion(5, 0);
    m.DeviceButton(0, true);
    m.DeviceButton(0, false);
    int presses = 0, releases = 0;
    bool wasPressed = false;
    for (int frame = 0; frame < 6; ++frame) {
      m.Update();
      if (m.Pressed(0) && !wasPressed) ++presses;
      if (m.Released(0) && (clear || wasPressed)) ++releases;
      wasPressed = m.Pressed(0);
    }
    EXPECT_EQ(presses, 2);
    EXPECT_EQ(releases, 2);
    EXPECT_FALSE(m.Pressed(0));
  }

  // A release and a new press of a held button: the button is seen up for a
  // frame before the new press, which is therefore a press of its own.
  TCanopyMouse m;
  m.DeviceButton(0, true);
  m.Update();
  m.DeviceButton(0, false);
  m.DeviceButton(0, true);
  m.Update();
  EXPECT_FALSE(m.Pressed(0));
  EXPECT_TRUE(m.Released(0));
  m.Update();
  EXPECT_TRUE(m.Pressed(0));
}

TEST(Mouse, ButtonsKeepTheirOwnEdgesAndRepeatsChangeNothing) {
  TCanopyMouse m;
  m.ClearOnUpdate = true;
  // Left click and right press together: both show in the first frame.
  m.DeviceButton(0, true);
  m.DeviceButton(1, true);
  m.DeviceButton(0, false);
  m.Update();
  EXPECT_TRUE(m.Pressed(0));
  EXPECT_TRUE(m.Pressed(1));
  m.Update();
  EXPECT_TRUE(m.Released(0));
  EXPECT_FALSE(m.Pressed(1));
  // A second press report of a button already down is no new edge to wait for.
  m.DeviceButton(2, true);
  m.DeviceButton(2, true);
  m.DeviceMotion(0, 7);
  m.Update();
  EXPECT_TRUE(m.Pressed(2));
  EXPECT_EQ(m.DeltaY, 7);
}

TEST(Mouse, SwitchingModesAndBadIndices) {
  TCanopyMouse m;
  m.ClearOnUpdate = false;
  m.DeviceButton(1, true);
  m.Update();
  EXPECT_TRUE(m.Pressed(1));
  m.ClearOnUpdate = true;
  m.Update();
  EXPECT_FALSE(m.Pressed(1));
  EXPECT_FALSE(m.Pressed(8));
  EXPECT_FALSE(m.Pressed(-1));
  EXPECT_FALSE(m.Released(8));
  EXPECT_FALSE(m.Released(-1));
}

TEST(Mouse, MotionSumsAndBufferOverflowDrops) {
  TCanopyMouse m;
  m.SetBufferSize(4);
  m.DeviceMotion(3, -2);
  m.DeviceMotion(1, 1);  // fills the buffer
  m.DeviceButton(0, true);  // dropped
  m.Update();
  EXPECT_EQ(m.DeltaX, 4);
  EXPECT_EQ(m.DeltaY, -1);
  EXPECT_FALSE(m.Pressed(0));
  m.SetBufferSize(100);  // ignored once the device exists
  EXPECT_EQ(m.BufferSize(), 4);
  m.Update();
  EXPECT_EQ(m.DeltaX, 0);
}

TEST(Mouse, BackgroundWindowGetsNoButtons) {
  TCanopyMouse m;
  m.DeviceFocus(false);
  m.DeviceButton(0, true);
  m.Update();
  EXPECT_FALSE(m.Pressed(0));
}

TEST(Keyboard, SnapshotsAndForegroundLoss) {
  TCanopyKeyboard k;
  k.DeviceKey(65, true);
  k.Update();
  EXPECT_TRUE(k.KeyDown(65));
  EXPECT_TRUE(k.KeyPressed(65));
  k.Update();
  EXPECT_TRUE(k.KeyDown(65));
  EXPECT_FALSE(k.KeyPressed(65));
  k.DeviceFocus(false);
  k.Update();
  EXPECT_FALSE(k.KeyDown(65));
  EXPECT_FALSE(k.KeyDown(300));
}

class ScreenerNames : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("gw-screener-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path dir_, old_;
};

TEST_F(ScreenerNames, AutoIncrementSkipsExistingFiles) {
  TCanopyScreener s;
  EXPECT_EQ(s.NextFileName(), "screen000.jpg");
  std::ofstream("screen000.jpg") << "x";
  std::ofstream("screen001.jpg") << "x";
  EXPECT_EQ(s.NextFileName(), "screen002.jpg");
  s.FileName = "shot";
  EXPECT_EQ(s.NextFileName(), "shot000.jpg");  // no dot: .jpg
  s.FileName = "a.b.png";
  EXPECT_EQ(s.NextFileName(), "a000.b.png");  // split at the first dot
  s.AutoInc = false;
  EXPECT_EQ(s.NextFileName(), "a.b.png");
  EXPECT_FALSE(s.Capture());  // no renderer to read
}

}  // namespace
