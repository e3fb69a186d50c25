// A push button: an outline, a fill that darkens while pressed, a glyph from
// an image list and a centred caption. Clicks reach the game through OnClick.
#pragma once

#include <string>

#include "engine/gui/GuiControl.h"

enum TGlyphPosition : int { gpLeft = 0, gpRight = 1, gpTop = 2, gpBottom = 3 };

class TGuiButton : public TGuiControl {
 public:
  TGuiButton();

  TGuiFill OutFill;
  std::string Caption = "Button1";
  int ImageIndex = -1;
  int NormalGlyph = 0;
  int DisabledGlyph = 0;
  int ClickedGlyph = 0;
  int GlyphSpacer = 4;
  int GlyphWidth = 18;
  int GlyphHeight = 18;
  int GlyphPosition = gpLeft;

  // The left button went down on it and is still held.
  bool Down() const { return Down_; }
  // Down with the mouse still inside: drawn pushed in.
  bool Pressed() const { return Down_ && Inside_; }

 protected:
  bool ApplyProp(int32_t id, uint8_t type, std::string_view value) override;
  TGuiFill* FillById(int32_t id) override;
  void MouseStep(TGuiMouseEvent event, int button, TShiftState shift, int x, int y) override;
  void DrawSelf(const TRect& r) override;
  void EnableStep(bool) override { Down_ = false; }
  void HideStep() override { Down_ = false; }

 private:
  bool Down_ = false;
  bool Inside_ = false;
};
