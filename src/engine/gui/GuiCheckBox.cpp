#include "engine/gui/GuiCheckBox.h"

#include <algorithm>
#include <cmath>

#include "engine/render/Canvas.h"

namespace {
enum : int32_t { cpChecked = kGuiClassPropBase, cpCaption, cpTextAdjust, cpCheckColor, cpHorizSpace };
enum : int32_t {
  rpChecked = kGuiClassPropBase,
  rpCaption,
  rpTextAdjust,
  rpBorderColor,
  rpCheckColor,
  rpOverColor,
  rpHorizSpace,
  rpGroupIndex
};

// Room between the box and its caption before HorizSpace.
constexpr int kCaptionGap = 4;

bool SetInt(std::string_view value, int& out) {
  auto v = ParseGuiInt(value);
  if (!v || *v < INT32_MIN || *v > INT32_MAX) return false;
  out = static_cast<int>(*v);
  return true;
}

bool SetColor(std::string_view value, TColor& out) {
  auto v = ParseGuiColor(value);
  if (!v) return false;
  out = *v;
  return true;
}

// A thick stroke from a to b drawn as a quad.
void Stroke(TCanopyCanvas* canvas, TPoint2 a, TPoint2 b, float width, TColor color, int effect) {
  float dx = b.X - a.X, dy = b.Y - a.Y;
  float len = std::sqrt(dx * dx + dy * dy);
  if (len <= 0) return;
  float nx = -dy / len * width / 2, ny = dx / len * width / 2;
  canvas->FillQuad({TPoint2{a.X + nx, a.Y + ny}, TPoint2{b.X + nx, b.Y + ny}, TPoint2{b.X - nx, b.Y - ny},
                    TPoint2{a.X - nx, a.Y - ny}},
                   Color4(color), effect);
}

// A filled disc as a fan of triangles.
void Disc(TCanopyCanvas* canvas, float cx, float cy, float radius, TColor color, int effect) {
  constexpr int kSteps = 20;
  for (int i = 0; i < kSteps; ++i) {
    float a0 = static_cast<float>(i) * 6.2831853f / kSteps;
    float a1 = static_cast<float>(i + 1) * 6.2831853f / kSteps;
    canvas->FillTriangle(color, effect, TPoint2{cx, cy},
                         TPoint2{cx + radius * std::cos(a0), cy + radius * std::sin(a0)},
                         TPoint2{cx + radius * std::cos(a1), cy + radius * std::sin(a1)});
  }
}

// A ring as a band of quads.
void Ring(TCanopyCanvas* canvas, float cx, float cy, float radius, float width, TColor color, int effect) {
  constexpr int kSteps = 20;
  for (int i = 0; i < kSteps; ++i) {
    float a0 = static_cast<float>(i) * 6.2831853f / kSteps;
    float a1 = static_cast<float>(i + 1) * 6.2831853f / kSteps;
    float r0 = radius, r1 = radius - width;
    canvas->FillQuad({TPoint2{cx + r0 * std::cos(a0), cy + r0 * std::sin(a0)},
                      TPoint2{cx + r0 * std::cos(a1), cy + r0 * std::sin(a1)},
                      TPoint2{cx + r1 * std::cos(a1), cy + r1 * std::sin(a1)},
                      TPoint2{cx + r1 * std::cos(a0), cy + r1 * std::sin(a0)}},
                     Color4(color), effect);
  }
}

void DrawCaption(const TGuiFont& font, TCanopyFonts* fonts, const std::string& caption, int left, const TRect& r,
                 int adjust) {
  if (caption.empty()) return;
  TSize ext = font.Extent(fonts, caption);
  font.TextOut(fonts, caption, static_cast<float>(left),
               static_cast<float>(r.Top + (r.Bottom - r.Top - ext.H) / 2 + adjust), kBlendAlpha);
}

}  // namespace

// --- TGuiCheckBox -----------------------------------------------------------

TGuiCheckBox::TGuiCheckBox() : TGuiChoice(TGuiKind::CheckBox, "CheckBox") {
  Bkgrnd.SetAll(0xFFFFFFFF);
  Border.SetAll(0xFF404040);
  Selected.SetAll(0xFF0080FF);
  Font.SetColors(0xFF000000, 0xFF000000);
  DisabledFont.SetColors(0xFF808080, 0xFF808080);
}

void TGuiCheckBox::SetChecked(bool checked) {
  if (checked == Checked_) return;
  Checked_ = checked;
  if (OnChange) OnChange(*this);
}

bool TGuiCheckBox::ApplyProp(int32_t id, uint8_t type, std::string_view value) {
  switch (id) {
    case cpChecked: {
      auto v = ParseGuiBool(value);
      if (!v) return false;
      SetChecked(*v);
      return true;
    }
    case cpCaption: Caption = std::string(value); return true;
    case cpTextAdjust: return SetInt(value, TextAdjust);
    case cpCheckColor: return SetColor(value, CheckColor);
    case cpHorizSpace: return SetInt(value, HorizSpace);
    default: return TGuiControl::ApplyProp(id, type, value);
  }
}

void TGuiChoice::MouseStep(TGuiMouseEvent event, int button, TShiftState, int x, int y) {
  if (button != mbLeft && event != TGuiMouseEvent::Move) return;
  bool inside = PointInRect(ScreenRect(), x, y);
  switch (event) {
    case TGuiMouseEvent::Down:
      if (inside) Armed_ = true;
      Inside_ = inside;
      break;
    case TGuiMouseEvent::Move: Inside_ = inside; break;
    case TGuiMouseEvent::Up:
      if (Armed_) Released(inside);
      Armed_ = false;
      break;
    default: break;
  }
}

void TGuiCheckBox::DrawSelf(const TRect& r) {
  TCanopyCanvas* canvas = Canvas();
  int size = std::min(r.Bottom - r.Top, r.Right - r.Left);
  TRect box{r.Left, r.Top + (r.Bottom - r.Top - size) / 2, r.Left + size, 0};
  box.Bottom = box.Top + size;
  bool pressed = Armed_ && Inside_;
  (pressed ? Bkgrnd.Reversed() : Bkgrnd).Fill(canvas, box, DrawFx);
  Border.Frame(canvas, box, DrawFx);
  if (canvas && Checked_) {
    float s = static_cast<float>(size);
    float x = static_cast<float>(box.Left), y = static_cast<float>(box.Top);
    float w = std::max(1.5f, s / 6);
    Stroke(canvas, {x + s * 0.22f, y + s * 0.52f}, {x + s * 0.42f, y + s * 0.74f}, w, CheckColor, kBlendAlpha);
    Stroke(canvas, {x + s * 0.40f, y + s * 0.76f}, {x + s * 0.80f, y + s * 0.24f}, w, CheckColor, kBlendAlpha);
  }
  if (pressed) Selected.Frame(canvas, {box.Left + 1, box.Top + 1, box.Right - 1, box.Bottom - 1}, DrawFx);
  DrawCaption(TextFont(), Fonts(), Caption, box.Right + kCaptionGap + HorizSpace, r, TextAdjust);
}

// --- TGuiRadioButton --------------------------------------------------------

TGuiRadioButton::TGuiRadioButton() : TGuiChoice(TGuiKind::RadioButton, "RadioButton") {
  Bkgrnd.SetAll(0xFFFFFFFF);
  Font.SetColors(0xFF000000, 0xFF000000);
  DisabledFont.SetColors(0xFF808080, 0xFF808080);
}

void TGuiRadioButton::SetChecked(bool checked) {
  if (checked == Checked_) return;
  Checked_ = checked;
  if (checked && Parent()) {
    for (int i = 0; i < Parent()->ChildCount(); ++i) {
      TGuiControl* c = Parent()->Child(i);
      if (c == this || c->Kind() != TGuiKind::RadioButton) continue;
      auto* other = static_cast<TGuiRadioButton*>(c);
      if (other->GroupIndex == GroupIndex) other->SetChecked(false);
    }
  }
  if (OnChange) OnChange(*this);
}

bool TGuiRadioButton::ApplyProp(int32_t id, uint8_t type, std::string_view value) {
  switch (id) {
    case rpChecked: {
      auto v = ParseGuiBool(value);
      if (!v) return false;
      SetChecked(*v);
      return true;
    }
    case rpCaption: Caption = std::string(value); return true;
    case rpTextAdjust: return SetInt(value, TextAdjust);
    case rpBorderColor: return SetColor(value, BorderColor);
    case rpCheckColor: return SetColor(value, CheckColor);
    case rpOverColor: return SetColor(value, OverColor);
    case rpHorizSpace: return SetInt(value, HorizSpace);
    case rpGroupIndex: return SetInt(value, GroupIndex);
    default: return TGuiControl::ApplyProp(id, type, value);
  }
}


void TGuiRadioButton::DrawSelf(const TRect& r) {
  TCanopyCanvas* canvas = Canvas();
  int size = std::min(r.Bottom - r.Top, r.Right - r.Left);
  float radius = static_cast<float>(size) / 2;
  float cx = static_cast<float>(r.Left) + radius;
  float cy = static_cast<float>(r.Top + r.Bottom) / 2;
  if (canvas) {
    if (Bkgrnd.Active) Disc(canvas, cx, cy, radius, (Armed_ && Inside_) ? Bkgrnd.Colors[2] : Bkgrnd.Colors[0], DrawFx);
    Ring(canvas, cx, cy, radius, std::max(1.0f, radius / 5), MouseOver && Enabled() ? OverColor : BorderColor,
         kBlendAlpha);
    if (Checked_) Disc(canvas, cx, cy, radius * 0.45f, CheckColor, kBlendAlpha);
  }
  DrawCaption(TextFont(), Fonts(), Caption, r.Left + size + kCaptionGap + HorizSpace, r, TextAdjust);
}
