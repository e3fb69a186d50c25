// The invisible root of the GUI tree. It covers the whole screen, finds the
// control under the mouse, keeps the mouse capture and the hovered control,
// and passes keys down the chain of focused children.
#pragma once

#include "engine/gui/GuiControl.h"

class TGuiTaskbar : public TGuiControl {
 public:
  TGuiTaskbar();

  TGuiContext* Context = nullptr;

  // The deepest visible control whose clipped rectangle holds the point,
  // searching children from index 0; never the root itself.
  TGuiControl* FindTarget(int x, int y);

  // Mouse events in screen pixels; Click and DblClick use the last position.
  // True when a control took the event (one lay under the mouse or held the
  // capture), so the game's own handlers should not see it.
  bool MouseEvent(TGuiMouseEvent event, int button, TShiftState shift, int x, int y);
  // Keys go to the deepest visible control of the focus chain. True when it
  // used the key.
  bool KeyEvent(TGuiKeyEvent event, int key, TShiftState shift);
  // The end of the focus chain (the root when nothing visible has the focus).
  TGuiControl* FocusedControl();

  TGuiControl* Captured() const { return Captured_; }
  TGuiControl* Hovered() const { return Hovered_; }
  int HeldButtons() const { return Held_; }
  int LastX() const { return LastX_; }
  int LastY() const { return LastY_; }

 private:
  TGuiControl* Captured_ = nullptr;
  TGuiControl* Hovered_ = nullptr;
  int Held_ = 0;
  int LastX_ = 0, LastY_ = 0, LastButton_ = 0;
  TShiftState LastShift_ = 0;
};
