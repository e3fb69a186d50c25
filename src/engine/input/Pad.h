// The game controllers' state, as the keyboard's: the platform's pad events
// set it as they arrive. All open pads count as one: a button is down while
// any pad holds it. The held direction comes from the d-pad or the left stick
// (outside its dead zone) and repeats while held, counted in process ticks so
// that a replay repeats exactly as the game did.
#pragma once

#include <array>
#include <cstdint>

#include "platform/Platform.h"

class TCanopyPad {
 public:
  // The stick must leave the middle by this much to count as a direction,
  // and come back within kReleaseZone to count as let go (a stick at rest
  // near the border does not flicker).
  static constexpr int kDeadZone = 16000;
  static constexpr int kReleaseZone = 12000;
  // A held direction moves once at once, then again after kRepeatDelay
  // ticks and every kRepeatEvery ticks after that.
  static constexpr int kRepeatDelay = 42;
  static constexpr int kRepeatEvery = 12;

  void DeviceButton(plat::PadButton button, bool down);
  void DeviceAxis(plat::PadAxis axis, int value);
  // All pads gone, or the window in the background: nothing is held.
  void ReleaseAll();

  bool Held(plat::PadButton button) const;
  int Axis(plat::PadAxis axis) const;
  // The direction held now: dx, dy in -1..1, never both non-zero (the
  // larger stick deflection wins; d-pad before stick).
  void Direction(int& dx, int& dy) const;
  // One process tick: true when the held direction should move now (see
  // above); dx, dy then say where.
  bool RepeatTick(int& dx, int& dy);

 private:
  std::array<bool, static_cast<size_t>(plat::PadButton::Count)> Buttons_{};
  std::array<int, static_cast<size_t>(plat::PadAxis::Count)> Axes_{};
  int StickX_ = 0, StickY_ = 0;  // the left stick as a direction, with its dead zone
  int RepeatDx_ = 0, RepeatDy_ = 0;
  int HeldTicks_ = 0;
};
