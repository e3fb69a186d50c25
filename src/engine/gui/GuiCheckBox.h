// The two choice controls: the check box (a box that toggles a mark) and the
// radio button (one choice of a group that share a GroupIndex).
#pragma once

#include <string>
#include <utility>

#include "engine/gui/GuiControl.h"

// What a check box and a radio button share: a caption beside a mark, armed by
// a press and decided by the release.
class TGuiChoice : public TGuiControl {
 public:
  explicit TGuiChoice(TGuiKind kind, std::string caption) : TGuiControl(kind), Caption(std::move(caption)) {}

  std::string Caption;
  int TextAdjust = 0;
  TColor CheckColor = 0xFF000000;
  int HorizSpace = 0;
  TGuiNotify OnChange;

  bool Checked() const { return Checked_; }
  bool Armed() const { return Armed_; }

 protected:
  // The left button came up after arming the control; inside tells whether
  // it came up over it.
  virtual void Released(bool inside) = 0;
  void MouseStep(TGuiMouseEvent event, int button, TShiftState shift, int x, int y) override;
  void EnableStep(bool) override { Armed_ = false; }
  void HideStep() override { Armed_ = false; }

  bool Checked_ = false;
  bool Armed_ = false;
  bool Inside_ = false;
};

class TGuiCheckBox : public TGuiChoice {
 public:
  TGuiCheckBox();
  // Fires OnChange when the state changed.
  void SetChecked(bool checked);

 protected:
  bool ApplyProp(int32_t id, uint8_t type, std::string_view value) override;
  void Released(bool inside) override {
    if (inside) SetChecked(!Checked_);
  }
  void DrawSelf(const TRect& r) override;
};

class TGuiRadioButton : public TGuiChoice {
 public:
  TGuiRadioButton();

  TColor BorderColor = 0xFF404040;
  TColor OverColor = 0xFF0080FF;
  int GroupIndex = 0;

  // Fires OnChange when the state changed; checking un-checks every sibling
  // radio button of the same GroupIndex.
  void SetChecked(bool checked);

 protected:
  bool ApplyProp(int32_t id, uint8_t type, std::string_view value) override;
  void Released(bool inside) override { SetChecked(Checked_ || inside); }
  void DrawSelf(const TRect& r) override;
};
