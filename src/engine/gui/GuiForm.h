// A window of the GUI: a caption strip (which drags the form), a body with a
// fill, an optional picture and a frame, and a shadow to the right and below.
#pragma once

#include <string>

#include "engine/gui/GuiControl.h"

class TGuiForm : public TGuiControl {
 public:
  TGuiForm();

  std::string Caption;
  int CaptSize = 20;
  int CaptAdjust = 0;
  TGuiFill CaptActive, CaptUnactive;
  TGuiFont FontActive, FontUnactive;
  TGuiFill IconFill;
  int IconIndex = -1;
  int IconPattern = 0;
  int IconWidth = 12;
  int IconHeight = 12;
  int ImageIndex = -1;
  int ImagePattern = 0;
  int ShadowSize = 4;
  TColor ShadowColor = 0x80000000;

  bool Dragging() const { return Dragging_; }
  // The caption strip in screen pixels (empty when CaptSize is 0).
  TRect CaptionRect() const;

  // The caption text shortened with "..." until it fits width pixels.
  static std::string FitText(const TGuiFont& font, TCanopyFonts* fonts, const std::string& text, int width);
  // The caption as FitText cuts it for the room and the font, kept until one
  // of them changes.
  const std::string& FittedCaption(const TGuiFont& font, int width) const;

 protected:
  bool ApplyProp(int32_t id, uint8_t type, std::string_view value) override;
  TGuiFill* FillById(int32_t id) override;
  TGuiFont* FontById(int32_t id) override;
  void MouseStep(TGuiMouseEvent event, int button, TShiftState shift, int x, int y) override;
  void DrawSelf(const TRect& r) override;
  void ShowStep() override;
  void HideStep() override { Dragging_ = false; }

 private:
  bool Dragging_ = false;
  int DragX_ = 0, DragY_ = 0;
  struct TFit {
    std::string Caption, Text;
    int Width = -1;
    TGuiFont Font;
  };
  mutable TFit Fit_;
};
