// Keyboard and mouse devices, read once per frame. The platform layer feeds
// them the window's key and button events; Update takes a snapshot as the
// frame begins.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>

class TCanopyKeyboard {
 public:
  bool Foreground = true;

  // Copies the current state to PrevKeys and reads the device state into Keys.
  bool Update();
  // The device side: the window's key events, by virtual-key code.
  void DeviceKey(int key, bool down);
  // A foreground keyboard reads nothing while the window is in the background.
  void DeviceFocus(bool focused);

  bool KeyDown(int key) const { return key >= 0 && key < 256 && (Keys[key] & 0x80) != 0; }
  bool KeyPressed(int key) const { return KeyDown(key) && !(PrevKeys[key] & 0x80); }

  std::array<uint8_t, 256> Keys{};
  std::array<uint8_t, 256> PrevKeys{};

 private:
  std::array<uint8_t, 256> Device_{};
  bool Initialized_ = false;
};

class TCanopyMouse {
 public:
  // Changed only before the first Update (later changes are ignored).
  void SetForeground(bool v) { if (!Initialized_) Foreground_ = v; }
  void SetExclusive(bool v) { if (!Initialized_) Exclusive_ = v; }
  void SetBufferSize(int v) { if (!Initialized_) BufferSize_ = v < 1 ? 1 : v; }
  bool Foreground() const { return Foreground_; }
  bool Exclusive() const { return Exclusive_; }
  int BufferSize() const { return BufferSize_; }
  // With ClearOnUpdate the button arrays are one-frame edges; without it they
  // keep the last event of each button. Either way every press and every
  // release is seen by at least one frame: a button changes once per Update,
  // and a release that arrives in the same frame as its press is kept for the
  // next one.
  bool ClearOnUpdate = false;

  // Drains the buffered events of the last frame.
  bool Update();
  bool Pressed(int i) const { return i >= 0 && i < 8 && ButtonDown[i] != 0; }
  bool Released(int i) const { return i >= 0 && i < 8 && ButtonUp[i] != 0; }
  // Whether the button is down after the events this frame took, whatever
  // ClearOnUpdate says.
  bool Held(int i) const { return i >= 0 && i < 8 && Held_[static_cast<std::size_t>(i)] != 0; }

  // The device side: buffered events. Events beyond BufferSize are dropped
  // until the next Update, as a full device buffer would.
  void DeviceButton(int button, bool down);
  void DeviceMotion(int dx, int dy);
  void DeviceFocus(bool focused);

  int DeltaX = 0, DeltaY = 0;
  std::array<uint8_t, 8> ButtonDown{};
  std::array<uint8_t, 8> ButtonUp{};

 private:
  struct Event {
    enum Kind { Button, MotionX, MotionY } Type;
    int Index;
    int Value;
  };
  bool Initialized_ = false;
  bool Foreground_ = true;
  bool Exclusive_ = true;
  int BufferSize_ = 256;
  bool Focused_ = true;
  std::array<uint8_t, 8> Held_{};  // each button's state after the events taken so far
  std::deque<Event> Buffer_;
};
