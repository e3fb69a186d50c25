// The two persistent style values of the GUI: a four-colour fill and a text
// style, with the drawing they stand for.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/render/CanopyTypes.h"

class TCanopyCanvas;
class TCanopyFonts;

// Four corner colours (top-left, top-right, bottom-right, bottom-left) and
// whether the fill is drawn at all.
struct TGuiFill {
  uint8_t Active = 1;
  TColor4 Colors{0xFFD0D0D0, 0xFFD0D0D0, 0xFFD0D0D0, 0xFFD0D0D0};

  bool operator==(const TGuiFill&) const = default;
  void SetAll(TColor c) { Colors = Color4(c); }
  // The fill turned upside down (top and bottom colours exchanged): the look
  // of a pressed button or box.
  TGuiFill Reversed() const;
  void Fill(TCanopyCanvas* canvas, const TRect& r, int effect) const;
  void Frame(TCanopyCanvas* canvas, const TRect& r, int effect) const;
};

// A text style: which font of the font list, two colours (top and bottom of the
// glyphs), scale, style bits and letter spacing.
struct TGuiFont {
  int32_t Index = 0;
  TColor Top = 0xFFA0A0A0;
  TColor Bottom = 0xFFFFFFFF;
  double Scale = 1.0;
  uint8_t Style = 0;
  double Interleave = 0;

  bool operator==(const TGuiFont&) const = default;
  void SetColors(TColor top, TColor bottom) {
    Top = top;
    Bottom = bottom;
  }
  // Copies scale, style and interleave into the font and draws; an index
  // outside the font list draws nothing.
  void TextOut(TCanopyFonts* fonts, std::string_view text, float x, float y, int effect) const;
  // Width and height of the text in this style; 0 x 0 without the font.
  TSize Extent(TCanopyFonts* fonts, std::string_view text) const;
};

TRect IntersectRect(const TRect& a, const TRect& b);
inline bool RectEmpty(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }
inline bool PointInRect(const TRect& r, int x, int y) {
  return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}
