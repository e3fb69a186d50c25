// The two choice controls: the check box (a box that toggles a mark) and the
// radio button (one choice of a group that share a GroupIndex).
#pragma once

#include <string>

#include "engine/GuiControl.h"

class TGuiCheckBox : public TGuiControl {
 public:
  TGuiCheckBox();

  std::string Caption = "CheckBox";
  int TextAdjust = 0;
  TColor CheckColor = 0xFF000000;
  int HorizSpace = 0;
  TGuiNotify OnChange;

  bool Checked() const { return Checked_; }
  // Fires OnChange when the state changed.
  void SetChecked(bool checked);
  bool Armed() const { return Armed_; }

 protected:
  bool ApplyProp(int32_t id, uint8_t type, std::string_view value) override;
  void MouseStep(TGuiMouseEvent event, int button, TShiftState shift, int x, int y) override;
  void DrawSelf(const TRect& r) override;
  void EnableStep(bool) override { Armed_ = false; }
  void HideStep() override { Armed_ = false; }

 private:
  bool Checked_ = false;
  bool Armed_ = false;
  bool Inside_ = false;
};

class TGuiRadioButton : public TGuiControl {
 public:
  TGuiRadioButton();

  std::string Caption = "RadioButton";
  int TextAdjust = 0;
  TColor BorderColor = 0xFF404040;
  TColor CheckColor = 0xFF000000;
  TColor OverColor = 0xFF0080FF;
  int HorizSpace = 0;
  int GroupIndex = 0;
  TGuiNotify OnChange;

  bool Checked() const { return Checked_; }
  // Fires OnChange when the state changed; checking un-checks every sibling
  // radio button of the same GroupIndex.
  void SetChecked(bool checked);
  bool Armed() const { return Armed_; }

 protected:
  bool ApplyProp(int32_t id, uint8_t type, std::string_view value) override;
  void MouseStep(TGuiMouseEvent event, int button, TShiftState shift, int x, int y) override;
  void DrawSelf(const TRect& r) override;
  void EnableStep(bool) override { Armed_ = false; }
  void HideStep() override { Armed_ = false; }

 private:
  bool Checked_ = false;
  bool Armed_ = false;
  bool Inside_ = false;
};
