// The timer turns idle time into frames (OnTimer) and fixed-rate process ticks
// (OnProcess), independent of the frame rate. Times are fixed-point
// milliseconds with 20 fraction bits; tick counts carry 20 fraction bits too.
#pragma once

#include <cstdint>
#include <functional>

namespace plat {
class Clock;
}

enum TPerformancePrecision { ppLow, ppHigh };

class TCanopyTimer {
 public:
  static constexpr int64_t kOne = 0x100000;               // 1.0 in 20-bit fixed point
  static constexpr int64_t kMaxDeltaTicks = 0x2000000;    // 32 ticks per frame at most

  explicit TCanopyTimer(plat::Clock& clock);

  double Speed() const { return Speed_; }
  // Process ticks per second; values below 1.0 become 1.0.
  void SetSpeed(double value);
  int MaxFPS() const { return MaxFPS_; }
  // Frame-rate ceiling; 0 or less becomes 1.
  void SetMaxFPS(int value);

  bool Enabled = false;
  TPerformancePrecision Precision = ppHigh;
  std::function<void()> OnTimer;
  std::function<void()> OnProcess;

  // One frame of the idle loop: measures the elapsed time, sleeps to honour
  // MaxFPS (never spins), banks the ticks of the previous frame and fires OnTimer.
  void Idle();
  // Called by the game inside OnTimer: fires OnProcess once per whole banked tick.
  void Process();
  // One frame that runs exactly `ticks` process ticks, however much time has
  // passed: a replay runs the frames of its recording as they were.
  void ReplayFrame(int ticks);
  int FrameRate() const { return FrameRate_; }

  // Internal state, readable for tests and the developer overlay.
  int64_t TickLen() const { return TickLen_; }
  int64_t MinFrame() const { return MinFrame_; }
  int64_t Delta() const { return Delta_; }
  int64_t DeltaTicks() const { return DeltaTicks_; }
  int64_t TickBank() const { return TickBank_; }
  bool Processed() const { return Processed_; }

 private:
  int64_t Elapsed();

  plat::Clock& Clock_;
  double Speed_ = 60.0;
  int MaxFPS_ = 100;
  int64_t TickLen_ = 0;
  int64_t MinFrame_ = 0;
  uint64_t Frequency_ = 0;
  uint64_t LastCounter_ = 0;
  int64_t Delta_ = 0;
  int64_t DeltaTicks_ = 0;
  int64_t TickBank_ = 0;
  bool Processed_ = false;
  int64_t MeterFrames_ = 0;
  int64_t MeterTime_ = 0;
  int FrameRate_ = 0;
};
