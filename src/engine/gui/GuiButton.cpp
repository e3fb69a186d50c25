#include "engine/gui/GuiButton.h"

#include "engine/render/Canvas.h"

namespace {
enum : int32_t {
  bpOutFill = kGuiClassPropBase,
  bpCaption,
  bpImageIndex,
  bpNormalGlyph,
  bpDisabledGlyph,
  bpClickedGlyph,
  bpGlyphSpacer,
  bpGlyphWidth,
  bpGlyphHeight,
  bpGlyphPosition
};

// The light laid over a button under the mouse.
constexpr TColor kHoverLight = 0x28FFFFFF;
}  // namespace

TGuiButton::TGuiButton() : TGuiControl(TGuiKind::Button) {
  OutFill.SetAll(0xFF404040);
  Border.SetAll(0xFF808080);
  Font.SetColors(0xFF000000, 0xFF000000);
  DisabledFont.SetColors(0xFF808080, 0xFF808080);
}

bool TGuiButton::ApplyProp(int32_t id, uint8_t type, std::string_view value) {
  if (id == bpCaption) {
    Caption = std::string(value);
    return true;
  }
  int* target = nullptr;
  switch (id) {
    case bpImageIndex: target = &ImageIndex; break;
    case bpNormalGlyph: target = &NormalGlyph; break;
    case bpDisabledGlyph: target = &DisabledGlyph; break;
    case bpClickedGlyph: target = &ClickedGlyph; break;
    case bpGlyphSpacer: target = &GlyphSpacer; break;
    case bpGlyphWidth: target = &GlyphWidth; break;
    case bpGlyphHeight: target = &GlyphHeight; break;
    case bpGlyphPosition: target = &GlyphPosition; break;
    default: return TGuiControl::ApplyProp(id, type, value);
  }
  auto v = ParseGuiInt(value);
  if (!v || *v < INT32_MIN || *v > INT32_MAX) return false;
  *target = static_cast<int>(*v);
  return true;
}

TGuiFill* TGuiButton::FillById(int32_t id) {
  return id == bpOutFill ? &OutFill : TGuiControl::FillById(id);
}

void TGuiButton::MouseStep(TGuiMouseEvent event, int button, TShiftState, int x, int y) {
  switch (event) {
    case TGuiMouseEvent::Down:
      if (button == mbLeft) {
        Down_ = true;
        Inside_ = PointInRect(ScreenRect(), x, y);
      }
      break;
    case TGuiMouseEvent::Move: Inside_ = PointInRect(ScreenRect(), x, y); break;
    case TGuiMouseEvent::Up:
      if (button == mbLeft) Down_ = false;
      break;
    default: break;
  }
}

void TGuiButton::DrawSelf(const TRect& r) {
  TCanopyCanvas* canvas = Canvas();
  bool pressed = Pressed();
  OutFill.Frame(canvas, r, DrawFx);
  TRect inner{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  (pressed ? Bkgrnd.Reversed() : Bkgrnd).Fill(canvas, inner, DrawFx);
  if (canvas && MouseOver && Enabled() && !pressed)
    canvas->FillRect(static_cast<float>(inner.Left), static_cast<float>(inner.Top),
                     static_cast<float>(inner.Right), static_cast<float>(inner.Bottom), kHoverLight,
                     kBlendAdditive);
  Border.Frame(canvas, inner, DrawFx);

  const TGuiFont& font = TextFont();
  TSize text = Caption.empty() ? TSize{} : font.Extent(Fonts(), Caption);
  bool glyph = ImageIndex >= 0 && GlyphWidth > 0 && GlyphHeight > 0;
  int gw = glyph ? GlyphWidth : 0, gh = glyph ? GlyphHeight : 0;
  int gap = glyph && text.W > 0 ? GlyphSpacer : 0;
  int cx = (r.Left + r.Right) / 2 + (pressed ? 1 : 0);
  int cy = (r.Top + r.Bottom) / 2 + (pressed ? 1 : 0);
  int gx = 0, gy = 0, tx = 0, ty = 0;
  if (GlyphPosition == gpTop || GlyphPosition == gpBottom) {
    int total = gh + gap + text.H;
    int top = cy - total / 2;
    gx = cx - gw / 2;
    tx = cx - text.W / 2;
    if (GlyphPosition == gpTop) {
      gy = top;
      ty = top + gh + gap;
    } else {
      ty = top;
      gy = top + text.H + gap;
    }
  } else {
    int total = gw + gap + text.W;
    int left = cx - total / 2;
    gy = cy - gh / 2;
    ty = cy - text.H / 2;
    if (GlyphPosition == gpRight) {
      tx = left;
      gx = left + text.W + gap;
    } else {
      gx = left;
      tx = left + gw + gap;
    }
  }
  if (glyph) {
    int pattern = !Enabled() ? DisabledGlyph : pressed ? ClickedGlyph : NormalGlyph;
    // A disabled glyph is also drawn faded, so one pattern serves both states.
    DrawGuiImage(canvas, Images(), ImageIndex, pattern, {gx, gy, gx + gw, gy + gh}, kBlendAlpha,
                 Enabled() ? 0xFFFFFFFF : 0x60FFFFFF);
  }
  if (text.W > 0) font.TextOut(Fonts(), Caption, static_cast<float>(tx), static_cast<float>(ty), kBlendAlpha);
}
