#include "engine/gui/GuiTaskbar.h"

TGuiTaskbar::TGuiTaskbar() : TGuiControl(TGuiKind::Taskbar) {}

namespace {

TGuiControl* Deepest(TGuiControl* parent, int x, int y, const TRect& clip) {
  for (int i = 0; i < parent->ChildCount(); ++i) {
    TGuiControl* c = parent->Child(i);
    if (!c->Visible()) continue;
    TRect r = IntersectRect(c->ScreenRect(), clip);
    if (!PointInRect(r, x, y)) continue;
    TGuiControl* deeper = Deepest(c, x, y, r);
    return deeper ? deeper : c;
  }
  return nullptr;
}

}  // namespace

TGuiControl* TGuiTaskbar::FindTarget(int x, int y) { return Deepest(this, x, y, ScreenRect()); }

bool TGuiTaskbar::MouseEvent(TGuiMouseEvent event, int button, TShiftState shift, int x, int y) {
  bool click = event == TGuiMouseEvent::Click || event == TGuiMouseEvent::DblClick;
  if (click) {
    x = LastX_;
    y = LastY_;
    button = LastButton_;
    shift = LastShift_;
  } else {
    LastX_ = x;
    LastY_ = y;
    LastShift_ = shift;
    if (event == TGuiMouseEvent::Down || event == TGuiMouseEvent::Up) LastButton_ = button;
  }

  TGuiControl* target = FindTarget(x, y);
  bool handled = target != nullptr || Captured_ != nullptr;

  if (event == TGuiMouseEvent::Down && target) {
    if (Held_ == 0) {
      target->SetFocus(true);
      Captured_ = target;
    }
    ++Held_;
  }

  if (Held_ == 0 && target != Hovered_ && target) target->DeliverMouse(TGuiMouseEvent::Enter, button, shift, x, y);

  // The event goes to the control that holds the capture; a release is still
  // delivered there before the capture ends, so a control pressed and then
  // released elsewhere can drop its pressed state.
  TGuiControl* receiver = Captured_ ? Captured_ : target;
  if (receiver && receiver->Enabled()) receiver->DeliverMouse(event, button, shift, x, y);

  if (event == TGuiMouseEvent::Up && Held_ > 0) {
    if (--Held_ == 0) Captured_ = nullptr;
  }

  if (Held_ == 0 && target != Hovered_) {
    if (Hovered_) Hovered_->DeliverMouse(TGuiMouseEvent::Leave, button, shift, x, y);
    Hovered_ = target;
    // A release ends a drag over another control: it is entered now.
    if (event == TGuiMouseEvent::Up && target && !target->MouseOver)
      target->DeliverMouse(TGuiMouseEvent::Enter, button, shift, x, y);
  }
  return handled;
}

TGuiControl* TGuiTaskbar::FocusedControl() {
  TGuiControl* c = this;
  while (TGuiControl* next = c->FocusedChild()) {
    if (!next->Visible()) break;
    c = next;
  }
  return c;
}

bool TGuiTaskbar::KeyEvent(TGuiKeyEvent event, int key, TShiftState shift) {
  TGuiControl* c = FocusedControl();
  if (c == this || !c->Enabled()) return false;
  return c->DeliverKey(event, key, shift);
}
