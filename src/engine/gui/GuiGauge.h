// The two plain display controls: the gauge (a bar showing a value in a
// range) and the paint box (a surface the game draws on through an event).
#pragma once

#include <string>

#include "engine/gui/GuiControl.h"

class TGuiGauge : public TGuiControl {
 public:
  TGuiGauge();

  std::string Caption = "Gauge";
  int Theta = 50;
  int MinValue = 0;
  int MaxValue = 100;
  bool ShowText = false;
  int Alignment = 2;  // centred

  // Width of the filled bar: (Theta - MinValue) x (width - 2) div
  // (MaxValue - MinValue), 0 when not positive.
  int BarWidth() const;
  std::string BarText() const;

 protected:
  bool ApplyProp(int32_t id, uint8_t type, std::string_view value) override;
  void DrawSelf(const TRect& r) override;
};

class TGuiPaint : public TGuiControl {
 public:
  TGuiPaint();

  // Called while drawing, between the fill and the frame, with the paint box's
  // screen rectangle; the canvas clip is set to it.
  std::function<void(TGuiPaint& sender, const TRect& rect)> OnPaint;

 protected:
  void DrawSelf(const TRect& r) override;
};
