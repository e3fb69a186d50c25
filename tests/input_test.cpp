#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "engine/Input.h"
#include "engine/Screener.h"

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
  // A press and release within one frame end on the release.
  m.DeviceButton(0, true);
  m.DeviceButton(0, false);
  m.Update();
  EXPECT_FALSE(m.Pressed(0));
  EXPECT_TRUE(m.Released(0));
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
