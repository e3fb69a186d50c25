#include "engine/gui/GuiGauge.h"

#include <algorithm>

#include "engine/gui/GuiLabel.h"

namespace {
enum : int32_t { gaCaption = kGuiClassPropBase, gaTheta, gaMinValue, gaMaxValue, gaShowText, gaAlignment };
constexpr int kMargin = 4;
}  // namespace

TGuiGauge::TGuiGauge() : TGuiControl(TGuiKind::Gauge) {
  Bkgrnd.SetAll(0xFFFFFFFF);
  Border.SetAll(0xFF404040);
  Selected.SetAll(0xFF0060C0);
  Font.SetColors(0xFF000000, 0xFF000000);
  DisabledFont.SetColors(0xFF808080, 0xFF808080);
}

int TGuiGauge::BarWidth() const {
  int64_t range = static_cast<int64_t>(MaxValue) - MinValue;
  if (range == 0) return 0;
  int64_t w = (static_cast<int64_t>(Theta) - MinValue) * (Width() - 2) / range;
  return w > 0 ? static_cast<int>(std::min<int64_t>(w, INT32_MAX)) : 0;
}

std::string TGuiGauge::BarText() const {
  std::string value = std::to_string(Theta);
  return Caption.empty() ? value : Caption + " " + value;
}

bool TGuiGauge::ApplyProp(int32_t id, uint8_t type, std::string_view value) {
  switch (id) {
    case gaCaption: Caption = std::string(value); return true;
    case gaShowText: {
      auto v = ParseGuiBool(value);
      if (!v) return false;
      ShowText = *v;
      return true;
    }
    case gaTheta:
    case gaMinValue:
    case gaMaxValue:
    case gaAlignment: {
      auto v = ParseGuiInt(value);
      if (!v || *v < INT32_MIN || *v > INT32_MAX) return false;
      int n = static_cast<int>(*v);
      if (id == gaTheta) Theta = n;
      if (id == gaMinValue) MinValue = n;
      if (id == gaMaxValue) MaxValue = n;
      if (id == gaAlignment) Alignment = n;
      return true;
    }
    default: return TGuiControl::ApplyProp(id, type, value);
  }
}

void TGuiGauge::DrawSelf(const TRect& r) {
  Bkgrnd.Fill(Canvas(), r, DrawFx);
  int bar = std::min(BarWidth(), r.Right - r.Left - 2);
  if (bar > 0) Selected.Fill(Canvas(), {r.Left + 1, r.Top + 1, r.Left + 1 + bar, r.Bottom - 1}, DrawFx);
  Border.Frame(Canvas(), r, DrawFx);
  if (!ShowText) return;
  const TGuiFont& font = TextFont();
  std::string text = BarText();
  TSize ext = font.Extent(Fonts(), text);
  int x = r.Left + kMargin;
  if (Alignment == taRight) x = r.Right - kMargin - ext.W;
  if (Alignment == taCenter || Alignment == taJustify) x = (r.Left + r.Right - ext.W) / 2;
  font.TextOut(Fonts(), text, static_cast<float>(x), static_cast<float>((r.Top + r.Bottom - ext.H) / 2),
               kBlendAlpha);
}

TGuiPaint::TGuiPaint() : TGuiControl(TGuiKind::Paint) {}

void TGuiPaint::DrawSelf(const TRect& r) {
  Bkgrnd.Fill(Canvas(), r, DrawFx);
  if (OnPaint) OnPaint(*this, r);
  Border.Frame(Canvas(), r, DrawFx);
}
