#include "engine/input/Pad.h"

#include <cstdlib>

namespace {
// A stick axis as a direction: beyond the dead zone it points, back within
// the release zone it rests, in between it keeps what it was.
int StickStep(int value, int was) {
  if (value >= TCanopyPad::kDeadZone) return 1;
  if (value <= -TCanopyPad::kDeadZone) return -1;
  if (std::abs(value) <= TCanopyPad::kReleaseZone) return 0;
  return was;
}
}  // namespace

void TCanopyPad::DeviceButton(plat::PadButton button, bool down) {
  const int i = static_cast<int>(button);
  if (i < 0 || i >= static_cast<int>(plat::PadButton::Count)) return;
  Buttons_[static_cast<size_t>(i)] = down;
}

void TCanopyPad::DeviceAxis(plat::PadAxis axis, int value) {
  const int i = static_cast<int>(axis);
  if (i < 0 || i >= static_cast<int>(plat::PadAxis::Count)) return;
  if (value < -32768) value = -32768;
  if (value > 32767) value = 32767;
  Axes_[static_cast<size_t>(i)] = value;
  if (axis == plat::PadAxis::LeftX) StickX_ = StickStep(value, StickX_);
  if (axis == plat::PadAxis::LeftY) StickY_ = StickStep(value, StickY_);
}

void TCanopyPad::ReleaseAll() {
  Buttons_.fill(false);
  Axes_.fill(0);
  StickX_ = StickY_ = 0;
}

bool TCanopyPad::Held(plat::PadButton button) const {
  const int i = static_cast<int>(button);
  return i >= 0 && i < static_cast<int>(plat::PadButton::Count) && Buttons_[static_cast<size_t>(i)];
}

int TCanopyPad::Axis(plat::PadAxis axis) const {
  const int i = static_cast<int>(axis);
  return i >= 0 && i < static_cast<int>(plat::PadAxis::Count) ? Axes_[static_cast<size_t>(i)] : 0;
}

void TCanopyPad::Direction(int& dx, int& dy) const {
  using plat::PadButton;
  dx = (Held(PadButton::DpadRight) ? 1 : 0) - (Held(PadButton::DpadLeft) ? 1 : 0);
  dy = (Held(PadButton::DpadDown) ? 1 : 0) - (Held(PadButton::DpadUp) ? 1 : 0);
  if (dx == 0 && dy == 0) {
    dx = StickX_;
    dy = StickY_;
    if (dx != 0 && dy != 0) {
      // A diagonal stick: the axis pushed further decides.
      if (std::abs(Axis(plat::PadAxis::LeftX)) >= std::abs(Axis(plat::PadAxis::LeftY)))
        dy = 0;
      else
        dx = 0;
    }
  } else if (dx != 0 && dy != 0) {
    dy = 0;  // two arrows of the d-pad at once: across first
  }
}

bool TCanopyPad::RepeatTick(int& dx, int& dy) {
  Direction(dx, dy);
  if (dx == 0 && dy == 0) {
    RepeatDx_ = RepeatDy_ = 0;
    HeldTicks_ = 0;
    return false;
  }
  if (dx != RepeatDx_ || dy != RepeatDy_) {
    // A new direction moves at once and starts its own delay.
    RepeatDx_ = dx;
    RepeatDy_ = dy;
    HeldTicks_ = 0;
    return true;
  }
  ++HeldTicks_;
  return HeldTicks_ >= kRepeatDelay && (HeldTicks_ - kRepeatDelay) % kRepeatEvery == 0;
}
