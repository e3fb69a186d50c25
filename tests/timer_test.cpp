#include <gtest/gtest.h>

#include <vector>

#include "engine/input/Timer.h"
#include "platform/Platform.h"

namespace {

// A clock in milliseconds that the test moves by hand; sleeps are recorded.
class ManualClock : public plat::Clock {
 public:
  uint64_t Counter() override { return Now; }
  uint64_t Frequency() override { return 1000; }
  void SleepMs(uint32_t ms) override { Sleeps.push_back(ms); }
  uint64_t Now = 0;
  std::vector<uint32_t> Sleeps;
};

struct TimerRig {
  ManualClock Clock;
  TCanopyTimer Timer{Clock};
  int Ticks = 0;
  bool CallProcess = true;
  TimerRig() {
    Timer.SetSpeed(120);
    Timer.SetMaxFPS(500);
    Timer.Enabled = true;
    Timer.OnProcess = [this] { ++Ticks; };
    Timer.OnTimer = [this] {
      if (CallProcess) Timer.Process();
    };
  }
  // One frame that lasted ms milliseconds; returns the ticks it fired.
  int Frame(uint64_t ms) {
    Clock.Now += ms;
    const int before = Ticks;
    Timer.Idle();
    return Ticks - before;
  }
};

TEST(Timer, SettersClampAndDeriveLengths) {
  ManualClock clock;
  TCanopyTimer t(clock);
  EXPECT_EQ(t.Speed(), 60.0);
  EXPECT_EQ(t.MaxFPS(), 100);
  t.SetSpeed(0.5);
  EXPECT_EQ(t.Speed(), 1.0);
  t.SetMaxFPS(0);
  EXPECT_EQ(t.MaxFPS(), 1);
  t.SetSpeed(120);
  t.SetMaxFPS(500);
  EXPECT_EQ(t.TickLen(), 8738133);
  EXPECT_EQ(t.MinFrame(), 2097152);
}

TEST(Timer, FiveMillisecondFramesCarryTheFraction) {
  TimerRig rig;
  rig.Frame(5);  // the first frame banks nothing
  std::vector<int> fired;
  for (int i = 0; i < 10; ++i) {
    fired.push_back(rig.Frame(5));
    if (i == 0) {
      // 5 ms at 120 ticks per second is 629,145 in 20-bit fixed point.
      EXPECT_EQ(rig.Timer.DeltaTicks(), 629145);
    }
  }
  EXPECT_EQ(fired, (std::vector<int>{0, 1, 0, 1, 0, 1, 1, 0, 1, 0}));
}

TEST(Timer, LongFramesAreCappedAtThirtyTwoTicks) {
  TimerRig rig;
  rig.Frame(16);
  EXPECT_EQ(rig.Frame(50), 6);   // 50 ms banks exactly 6.0 ticks
  EXPECT_EQ(rig.Timer.TickBank(), 0);
  EXPECT_EQ(rig.Frame(1000), 32);  // a whole second yields 32, not 120
  EXPECT_EQ(rig.Frame(60000), 32);  // even a minute-long stall
}

TEST(Timer, NothingIsBankedWithoutProcess) {
  TimerRig rig;
  rig.CallProcess = false;
  for (int i = 0; i < 20; ++i) rig.Frame(100);
  EXPECT_EQ(rig.Ticks, 0);
  EXPECT_EQ(rig.Timer.TickBank(), 0);
}

TEST(Timer, SleepsToHonourMaxFpsAndWhileDisabled) {
  TimerRig rig;
  rig.Frame(1);  // 1 ms elapsed, 2 ms minimum: sleeps 1 ms
  ASSERT_EQ(rig.Clock.Sleeps.size(), 1u);
  EXPECT_EQ(rig.Clock.Sleeps[0], 1u);
  rig.Frame(0);
  EXPECT_EQ(rig.Clock.Sleeps.back(), 2u);
  rig.Frame(10);
  EXPECT_EQ(rig.Clock.Sleeps.size(), 2u);  // no sleep for a slow frame
  rig.Timer.Enabled = false;
  bool timerFired = false;
  rig.Timer.OnTimer = [&] { timerFired = true; };
  rig.Frame(1);
  EXPECT_EQ(rig.Clock.Sleeps.back(), 5u);
  EXPECT_FALSE(timerFired);
}

TEST(Timer, FrameRateMeterMeasuresSteadyFrames) {
  TimerRig rig;
  for (int i = 0; i < 200; ++i) rig.Frame(10);
  EXPECT_EQ(rig.Timer.FrameRate(), 100);
}

TEST(Timer, VirtualClockGivesTwoTicksPerFrame) {
  plat::VirtualClock clock;
  TCanopyTimer t(clock);
  t.SetSpeed(120);
  t.SetMaxFPS(500);
  t.Enabled = true;
  int ticks = 0;
  t.OnProcess = [&] { ++ticks; };
  t.OnTimer = [&] { t.Process(); };
  for (int i = 0; i < 601; ++i) {
    clock.AdvanceFrame();
    t.Idle();
  }
  EXPECT_EQ(ticks, 1200);
  EXPECT_EQ(clock.Slept, 0u);
}

}  // namespace
