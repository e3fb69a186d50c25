// A one-line text field with a blinking caret, the usual editing keys,
// clipboard paste and Tab to the next field.
#pragma once

#include <string>

#include "engine/gui/GuiControl.h"

class TGuiEdit : public TGuiControl {
 public:
  TGuiEdit();

  bool ReadOnly = false;
  int TextAdjust = 0;
  int BlinkTicks = 8;
  TGuiFill Selector;
  int MaxLength = 0;  // 0: no limit
  int TabOrder = 0;
  TGuiNotify OnChange;

  const std::string& Text() const { return Text_; }
  // Sets the text (cut to MaxLength when that is above 0), puts the caret at
  // its end and scrolls to it; fires OnChange when the text changed.
  void SetText(std::string text);
  int Caret() const { return Caret_; }
  void SetCaret(int caret);
  // The first character in view.
  int ScrollChar() const { return Scroll_; }
  bool CaretShown() const { return CaretOn_; }

 protected:
  bool ApplyProp(int32_t id, uint8_t type, std::string_view value) override;
  TGuiFill* FillById(int32_t id) override;
  void MouseStep(TGuiMouseEvent event, int button, TShiftState shift, int x, int y) override;
  bool KeyStep(TGuiKeyEvent event, int key, TShiftState shift) override;
  void Tick() override;
  void DrawSelf(const TRect& r) override;
  void BoundsChanged() override { ScrollToCaret(); }

 private:
  void Changed(const std::string& before);
  void Insert(const std::string& s);
  void Paste();
  void TabToNext();
  void ScrollToCaret();
  void RestartBlink();
  std::string Text_ = "Some text";
  int Caret_ = 9;
  int Scroll_ = 0;
  int Blink_ = 0;
  bool CaretOn_ = true;
};

// The TabOrder a new edit under parent takes: one above the highest among its
// siblings' edits (0 for the first).
int NextTabOrder(const TGuiControl& parent, const TGuiControl* except);
