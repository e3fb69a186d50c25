#include "engine/gui/GuiForm.h"

#include <algorithm>

#include "engine/render/Canvas.h"

namespace {
enum : int32_t {
  fpCaption = kGuiClassPropBase,
  fpCaptSize,
  fpCaptAdjust,
  fpCaptActive,
  fpCaptUnactive,
  fpFontActive,
  fpFontUnactive,
  fpIconFill,
  fpIconIndex,
  fpIconPattern,
  fpIconWidth,
  fpIconHeight,
  fpImageIndex,
  fpImagePattern,
  fpShadowSize,
  fpShadowColor
};

// How far a dragged form may leave the screen: this much of it stays in reach.
constexpr int kDragMargin = 40;
}  // namespace

TGuiForm::TGuiForm() : TGuiControl(TGuiKind::Form) {
  CaptActive.SetAll(0xFF804020);
  CaptUnactive.SetAll(0xFF606060);
  FontActive.SetColors(0xFFFFFFFF, 0xFFFFFFFF);
  FontUnactive.SetColors(0xFFC0C0C0, 0xFFC0C0C0);
  IconFill.SetAll(0xFFFFFFFF);
}

bool TGuiForm::ApplyProp(int32_t id, uint8_t type, std::string_view value) {
  Fit_.Width = -1;  // a new font or caption: measure again
  if (id == fpCaption) {
    Caption = std::string(value);
    return true;
  }
  if (id == fpShadowColor) {
    auto c = ParseGuiColor(value);
    if (!c) return false;
    ShadowColor = *c;
    return true;
  }
  int* target = nullptr;
  switch (id) {
    case fpCaptSize: target = &CaptSize; break;
    case fpCaptAdjust: target = &CaptAdjust; break;
    case fpIconIndex: target = &IconIndex; break;
    case fpIconPattern: target = &IconPattern; break;
    case fpIconWidth: target = &IconWidth; break;
    case fpIconHeight: target = &IconHeight; break;
    case fpImageIndex: target = &ImageIndex; break;
    case fpImagePattern: target = &ImagePattern; break;
    case fpShadowSize: target = &ShadowSize; break;
    default: return TGuiControl::ApplyProp(id, type, value);
  }
  auto v = ParseGuiInt(value);
  if (!v || *v < INT32_MIN || *v > INT32_MAX) return false;
  *target = static_cast<int>(*v);
  return true;
}

TGuiFill* TGuiForm::FillById(int32_t id) {
  switch (id) {
    case fpCaptActive: return &CaptActive;
    case fpCaptUnactive: return &CaptUnactive;
    case fpIconFill: return &IconFill;
    default: return TGuiControl::FillById(id);
  }
}

TGuiFont* TGuiForm::FontById(int32_t id) {
  switch (id) {
    case fpFontActive: return &FontActive;
    case fpFontUnactive: return &FontUnactive;
    default: return TGuiControl::FontById(id);
  }
}

void TGuiForm::ShowStep() {
  // A window that opens comes up in front with the keyboard, as the dialog
  // the player is to answer now.
  if (Parent() && Parent()->Kind() == TGuiKind::Taskbar) SetFocus(true);
}

TRect TGuiForm::CaptionRect() const {
  TRect r = ScreenRect();
  int shadow = std::max(0, ShadowSize);
  return {r.Left, r.Top, r.Right - shadow, r.Top + std::max(0, CaptSize)};
}

void TGuiForm::MouseStep(TGuiMouseEvent event, int button, TShiftState, int x, int y) {
  switch (event) {
    case TGuiMouseEvent::Down:
      if (button == mbLeft && CaptSize > 0 && PointInRect(CaptionRect(), x, y)) {
        Dragging_ = true;
        DragX_ = x;
        DragY_ = y;
      }
      break;
    case TGuiMouseEvent::Move:
      if (Dragging_) {
        int left = Bounds.Left + x - DragX_;
        int top = Bounds.Top + y - DragY_;
        if (Parent()) {
          int pw = Parent()->Width(), ph = Parent()->Height();
          int most = std::max(0, pw - kDragMargin);
          left = std::clamp(left, std::min(kDragMargin - Width(), most), most);
          top = std::clamp(top, 0, std::max(0, ph - std::max(CaptSize, 1)));
        }
        DragX_ += left - Bounds.Left;
        DragY_ += top - Bounds.Top;
        SetBound(0, left);
        SetBound(1, top);
      }
      break;
    case TGuiMouseEvent::Up:
      if (button == mbLeft) Dragging_ = false;
      break;
    default: break;
  }
}

std::string TGuiForm::FitText(const TGuiFont& font, TCanopyFonts* fonts, const std::string& text, int width) {
  if (font.Extent(fonts, text).W <= width) return text;
  // The longest start of the text that fits with "..." after it. A longer
  // start is never narrower, so a binary search finds it in a few
  // measurements, however long the text.
  size_t low = 0, high = text.size();  // text[0..low) fits; text[0..high] does not
  while (low < high) {
    const size_t mid = (low + high + 1) / 2;
    if (font.Extent(fonts, text.substr(0, mid) + "...").W <= width)
      low = mid;
    else
      high = mid - 1;
  }
  return text.substr(0, low) + "...";
}

const std::string& TGuiForm::FittedCaption(const TGuiFont& font, int width) const {
  // Measured again only when the caption, the room or the font changes.
  if (Fit_.Width != width || !(Fit_.Font == font) || Fit_.Caption != Caption) {
    Fit_.Caption = Caption;
    Fit_.Width = width;
    Fit_.Font = font;
    Fit_.Text = FitText(font, Fonts(), Caption, width);
  }
  return Fit_.Text;
}

void TGuiForm::DrawSelf(const TRect& r) {
  TCanopyCanvas* canvas = Canvas();
  int shadow = std::max(0, ShadowSize);
  TRect win{r.Left, r.Top, r.Right - shadow, r.Bottom - shadow};
  if (canvas && shadow > 0) {
    canvas->FillRect(static_cast<float>(r.Left + shadow), static_cast<float>(win.Bottom),
                     static_cast<float>(r.Right), static_cast<float>(r.Bottom), ShadowColor, kBlendAlpha);
    canvas->FillRect(static_cast<float>(win.Right), static_cast<float>(r.Top + shadow),
                     static_cast<float>(r.Right), static_cast<float>(win.Bottom), ShadowColor, kBlendAlpha);
  }
  int capt = std::clamp(CaptSize, 0, std::max(0, win.Bottom - win.Top));
  TRect body{win.Left, win.Top + capt, win.Right, win.Bottom};
  Bkgrnd.Fill(canvas, body, DrawFx);
  DrawGuiImage(canvas, Images(), ImageIndex, ImagePattern, body, kBlendAlpha);
  Border.Frame(canvas, body, DrawFx);

  if (capt <= 0) return;
  bool active = Focused();
  TRect strip{win.Left, win.Top, win.Right, win.Top + capt};
  (active ? CaptActive : CaptUnactive).Fill(canvas, strip, DrawFx);
  Border.Frame(canvas, strip, DrawFx);
  int textLeft = strip.Left + 4;
  if (IconWidth > 0 && IconHeight > 0) {
    int iy = strip.Top + (capt - IconHeight) / 2;
    TRect icon{strip.Left + 4, iy, strip.Left + 4 + IconWidth, iy + IconHeight};
    if (IconIndex < 0) {
      if (canvas && IconFill.Active)
        canvas->FrameQuad(QuadFromRect(static_cast<float>(icon.Left), static_cast<float>(icon.Top),
                                       static_cast<float>(icon.Right), static_cast<float>(icon.Bottom)),
                          Color4(IconFill.Colors[0]), DrawFx);
    } else {
      DrawGuiImage(canvas, Images(), IconIndex, IconPattern, icon, kBlendAlpha);
    }
    textLeft = icon.Right + 4;
  }
  const TGuiFont& font = active ? FontActive : FontUnactive;
  const std::string& text = FittedCaption(font, strip.Right - 4 - textLeft);
  TSize ext = font.Extent(Fonts(), text);
  font.TextOut(Fonts(), text, static_cast<float>(textLeft),
               static_cast<float>(strip.Top + (capt - ext.H) / 2 + CaptAdjust), kBlendAlpha);
}
