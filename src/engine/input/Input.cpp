#include "engine/input/Input.h"

bool TCanopyKeyboard::Update() {
  if (!Initialized_) {
    Keys.fill(0);
    PrevKeys.fill(0);
    Initialized_ = true;
  }
  PrevKeys = Keys;
  Keys = Device_;
  return true;
}

void TCanopyKeyboard::DeviceKey(int key, bool down) {
  if (key < 0 || key > 255) return;
  Device_[key] = down ? 0x80 : 0;
}

void TCanopyKeyboard::DeviceFocus(bool focused) {
  // Keys held while the window loses the foreground would otherwise stay down.
  if (!focused && Foreground) Device_.fill(0);
}

bool TCanopyMouse::Update() {
  if (!Initialized_) {
    ButtonDown.fill(0);
    ButtonUp.fill(0);
    Initialized_ = true;
  }
  DeltaX = 0;
  DeltaY = 0;
  if (ClearOnUpdate) {
    ButtonDown.fill(0);
    ButtonUp.fill(0);
  }
  // A button changes state at most once per frame. A press and its release
  // that arrive together (a quick click or a touchpad tap) would otherwise
  // cancel out and the frame would never see the press: the release, and
  // everything after it, waits in the buffer for the next frame.
  std::array<bool, 8> changed{};
  while (!Buffer_.empty()) {
    const Event e = Buffer_.front();
    if (e.Type == Event::Button) {
      const bool down = e.Value != 0;
      if (down != (Held_[e.Index] != 0)) {
        if (changed[e.Index]) break;
        changed[e.Index] = true;
        Held_[e.Index] = down ? 1 : 0;
      }
    }
    Buffer_.pop_front();
    switch (e.Type) {
      case Event::MotionX:
        DeltaX += e.Value;
        break;
      case Event::MotionY:
        DeltaY += e.Value;
        break;
      case Event::Button:
        ButtonDown[e.Index] = e.Value ? 1 : 0;
        ButtonUp[e.Index] = e.Value ? 0 : 1;
        break;
    }
  }
  return true;
}

void TCanopyMouse::DeviceButton(int button, bool down) {
  if (button < 0 || button > 7) return;
  if (Foreground_ && !Focused_) return;
  if (static_cast<int>(Buffer_.size()) >= BufferSize_) return;
  Buffer_.push_back({Event::Button, button, down ? 0x80 : 0});
}

void TCanopyMouse::DeviceMotion(int dx, int dy) {
  if (Foreground_ && !Focused_) return;
  if (dx != 0 && static_cast<int>(Buffer_.size()) < BufferSize_) Buffer_.push_back({Event::MotionX, 0, dx});
  if (dy != 0 && static_cast<int>(Buffer_.size()) < BufferSize_) Buffer_.push_back({Event::MotionY, 0, dy});
}

void TCanopyMouse::DeviceFocus(bool focused) { Focused_ = focused; }
