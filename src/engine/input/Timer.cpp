#include "engine/input/Timer.h"

#include <cmath>

#include "platform/Platform.h"

namespace {
int64_t RoundEven64(double v) { return static_cast<int64_t>(std::nearbyint(v)); }
}  // namespace

TCanopyTimer::TCanopyTimer(plat::Clock& clock) : Clock_(clock) {
  SetSpeed(60.0);
  SetMaxFPS(100);
  Frequency_ = Clock_.Frequency();
  Precision = Frequency_ > 0 ? ppHigh : ppLow;
  LastCounter_ = Clock_.Counter();
}

void TCanopyTimer::SetSpeed(double value) {
  Speed_ = value < 1.0 ? 1.0 : value;
  TickLen_ = RoundEven64(1048576000.0 / Speed_);
}

void TCanopyTimer::SetMaxFPS(int value) {
  MaxFPS_ = value <= 0 ? 1 : value;
  MinFrame_ = RoundEven64(1048576000.0 / MaxFPS_);
}

int64_t TCanopyTimer::Elapsed() {
  const uint64_t now = Clock_.Counter();
  const uint64_t diff = now - LastCounter_;
  LastCounter_ = now;
  if (Precision == ppHigh) {
    // 128-bit product: a long pause (a modal box, a debugger) must not overflow.
    const unsigned __int128 wide = static_cast<unsigned __int128>(diff) * kOne * 1000u / Frequency_;
    return wide > static_cast<unsigned __int128>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(wide);
  }
  // Millisecond resolution: whole milliseconds shifted into fixed point.
  const uint64_t ms = Frequency_ ? diff * 1000u / Frequency_ : diff;
  return static_cast<int64_t>(ms << 20);
}

void TCanopyTimer::Idle() {
  Delta_ = Elapsed();
  if (!Enabled) {
    Clock_.SleepMs(5);
    return;
  }
  int64_t slept = 0;
  if (Delta_ < MinFrame_) {
    slept = (MinFrame_ - Delta_) / kOne;
    if (slept > 0) Clock_.SleepMs(static_cast<uint32_t>(slept));
  }
  const unsigned __int128 ticks = static_cast<unsigned __int128>(Delta_ < 0 ? 0 : Delta_) * kOne / TickLen_;
  DeltaTicks_ = ticks > static_cast<unsigned __int128>(kMaxDeltaTicks) ? kMaxDeltaTicks : static_cast<int64_t>(ticks);

  // Frame-rate meter over a window of about one second of frames.
  MeterTime_ += Delta_ + slept * kOne;
  ++MeterFrames_;
  const int64_t window = Delta_ <= 0 ? 4 : 1048576000 / Delta_;
  if (MeterFrames_ >= window) {
    FrameRate_ = MeterTime_ > 0 ? static_cast<int>(MeterFrames_ * kOne * 1000 / MeterTime_) : 0;
    MeterFrames_ = 0;
    MeterTime_ = 0;
  }

  // The previous frame's time is banked only if the game processed it.
  if (Processed_) {
    TickBank_ += DeltaTicks_;
    Processed_ = false;
  }
  if (OnTimer) OnTimer();
}

void TCanopyTimer::Process() {
  Processed_ = true;
  if (TickBank_ < kOne) return;
  const int64_t count = TickBank_ >> 20;
  if (OnProcess)
    for (int64_t i = 0; i < count; ++i) OnProcess();
  TickBank_ &= 0xFFFFF;
}

void TCanopyTimer::ReplayFrame(int ticks) {
  Delta_ = Elapsed();  // a later Idle measures from here
  TickBank_ = static_cast<int64_t>(ticks < 0 ? 0 : ticks) * kOne;
  Processed_ = false;
  if (OnTimer) OnTimer();
}
