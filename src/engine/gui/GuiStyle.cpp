#include "engine/gui/GuiStyle.h"

#include <algorithm>

#include "engine/render/Canvas.h"
#include "engine/render/Fonts.h"

TGuiFill TGuiFill::Reversed() const {
  TGuiFill f = *this;
  f.Colors = {Colors[3], Colors[2], Colors[1], Colors[0]};
  return f;
}

void TGuiFill::Fill(TCanopyCanvas* canvas, const TRect& r, int effect) const {
  if (!canvas || !Active || RectEmpty(r)) return;
  canvas->FillQuad(QuadFromRect(static_cast<float>(r.Left), static_cast<float>(r.Top),
                                static_cast<float>(r.Right), static_cast<float>(r.Bottom)),
                   Colors, effect);
}

void TGuiFill::Frame(TCanopyCanvas* canvas, const TRect& r, int effect) const {
  if (!canvas || !Active || RectEmpty(r)) return;
  canvas->FrameQuad(QuadFromRect(static_cast<float>(r.Left), static_cast<float>(r.Top),
                                 static_cast<float>(r.Right), static_cast<float>(r.Bottom)),
                    Colors, effect);
}

namespace {

TCanopyFont* Prepare(TCanopyFonts* fonts, const TGuiFont& style) {
  if (!fonts) return nullptr;
  TCanopyFont* font = fonts->Items(style.Index);
  if (!font) return nullptr;
  font->Scale = style.Scale;
  font->Style = style.Style;
  font->Interleave = style.Interleave;
  return font;
}

}  // namespace

void TGuiFont::TextOut(TCanopyFonts* fonts, std::string_view text, float x, float y, int effect) const {
  if (text.empty()) return;
  if (TCanopyFont* font = Prepare(fonts, *this)) font->TextOutEx(text, Top, x, y, Bottom, effect);
}

TSize TGuiFont::Extent(TCanopyFonts* fonts, std::string_view text) const {
  if (TCanopyFont* font = Prepare(fonts, *this)) return font->TextExtent(text);
  return {};
}

TRect IntersectRect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
  if (RectEmpty(r)) r = {r.Left, r.Top, r.Left, r.Top};
  return r;
}
