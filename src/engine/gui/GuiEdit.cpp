#include "engine/gui/GuiEdit.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "engine/render/Canvas.h"

namespace {
enum : int32_t {
  epText = kGuiClassPropBase,
  epReadOnly,
  epTextAdjust,
  epBlinkTicks,
  epSelector,
  epMaxLength,
  epTabOrder
};

constexpr int kMargin = 4;
constexpr int kCaretWidth = 2;
constexpr int kKeyV = 'V';

// Trims blanks at both ends and drops control characters.
std::string CleanPaste(const std::string& s) {
  std::string out;
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 32) out += c;
  size_t b = out.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  size_t e = out.find_last_not_of(' ');
  return out.substr(b, e - b + 1);
}
}  // namespace

int NextTabOrder(const TGuiControl& parent, const TGuiControl* except) {
  int best = -1;
  for (int i = 0; i < parent.ChildCount(); ++i) {
    const TGuiControl* c = parent.Child(i);
    if (c != except && c->Kind() == TGuiKind::Edit) best = std::max(best, static_cast<const TGuiEdit*>(c)->TabOrder);
  }
  return best + 1;
}

TGuiEdit::TGuiEdit() : TGuiControl(TGuiKind::Edit) {
  Bkgrnd.SetAll(0xFFFFFFFF);
  Border.SetAll(0xFF404040);
  Selector.SetAll(0xFF000000);
  Font.SetColors(0xFF000000, 0xFF000000);
  DisabledFont.SetColors(0xFF808080, 0xFF808080);
}

void TGuiEdit::SetText(std::string text) {
  if (MaxLength > 0 && static_cast<int>(text.size()) > MaxLength) text.resize(static_cast<size_t>(MaxLength));
  std::string before = std::move(Text_);
  Text_ = std::move(text);
  Caret_ = static_cast<int>(Text_.size());
  Scroll_ = 0;
  ScrollToCaret();
  RestartBlink();
  Changed(before);
}

void TGuiEdit::SetCaret(int caret) {
  Caret_ = std::clamp(caret, 0, static_cast<int>(Text_.size()));
  ScrollToCaret();
  RestartBlink();
}

void TGuiEdit::Changed(const std::string& before) {
  if (before != Text_ && OnChange) OnChange(*this);
}

void TGuiEdit::RestartBlink() {
  Blink_ = 0;
  CaretOn_ = true;
}

void TGuiEdit::ScrollToCaret() {
  Scroll_ = std::clamp(Scroll_, 0, Caret_);
  const TGuiFont& font = TextFont();
  TCanopyFonts* fonts = Fonts();
  int avail = Width() - 2 * kMargin - kCaretWidth;
  while (Scroll_ < Caret_ &&
         font.Extent(fonts, std::string_view(Text_).substr(static_cast<size_t>(Scroll_),
                                                           static_cast<size_t>(Caret_ - Scroll_)))
                 .W > avail)
    ++Scroll_;
}

void TGuiEdit::Insert(const std::string& s) {
  std::string before = Text_;
  std::string add = s;
  if (MaxLength > 0) {
    int room = MaxLength - static_cast<int>(Text_.size());
    if (room <= 0) return;
    if (static_cast<int>(add.size()) > room) add.resize(static_cast<size_t>(room));
  }
  Text_.insert(static_cast<size_t>(Caret_), add);
  Caret_ += static_cast<int>(add.size());
  ScrollToCaret();
  RestartBlink();
  Changed(before);
}

void TGuiEdit::Paste() {
  TGuiContext* ctx = Context();
  if (!ctx || !ctx->ClipboardText) return;
  Insert(CleanPaste(ctx->ClipboardText()));
}

void TGuiEdit::TabToNext() {
  TGuiControl* parent = Parent();
  if (!parent) return;
  TGuiEdit* next = nullptr;
  TGuiEdit* lowest = nullptr;
  for (int i = 0; i < parent->ChildCount(); ++i) {
    TGuiControl* c = parent->Child(i);
    if (c == this || c->Kind() != TGuiKind::Edit || !c->Visible() || !c->Enabled()) continue;
    auto* e = static_cast<TGuiEdit*>(c);
    // Read-only fields cannot pass Tab on, so they are not visited.
    if (e->ReadOnly) continue;
    if (e->TabOrder > TabOrder && (!next || e->TabOrder < next->TabOrder)) next = e;
    if (!lowest || e->TabOrder < lowest->TabOrder) lowest = e;
  }
  if (!next) next = lowest;
  if (next) {
    next->SetFocus();
    next->RestartBlink();
  }
}

bool TGuiEdit::ApplyProp(int32_t id, uint8_t type, std::string_view value) {
  switch (id) {
    case epText: SetText(std::string(value)); return true;
    case epReadOnly: {
      auto v = ParseGuiBool(value);
      if (!v) return false;
      ReadOnly = *v;
      return true;
    }
    case epTextAdjust:
    case epBlinkTicks:
    case epMaxLength:
    case epTabOrder: {
      auto v = ParseGuiInt(value);
      if (!v || *v < INT32_MIN || *v > INT32_MAX) return false;
      int n = static_cast<int>(*v);
      if (id == epTextAdjust) TextAdjust = n;
      if (id == epBlinkTicks) BlinkTicks = n;
      if (id == epTabOrder) TabOrder = n;
      if (id == epMaxLength) {
        MaxLength = n;
        if (MaxLength > 0 && static_cast<int>(Text_.size()) > MaxLength) SetText(Text_);
      }
      return true;
    }
    default: return TGuiControl::ApplyProp(id, type, value);
  }
}

TGuiFill* TGuiEdit::FillById(int32_t id) { return id == epSelector ? &Selector : TGuiControl::FillById(id); }

void TGuiEdit::MouseStep(TGuiMouseEvent event, int button, TShiftState, int x, int) {
  if (event != TGuiMouseEvent::Down || button != mbLeft) return;
  // Put the caret at the character boundary nearest to the press.
  TRect r = ScreenRect();
  const TGuiFont& font = TextFont();
  int left = r.Left + kMargin;
  int best = Scroll_;
  int bestDist = INT_MAX;
  for (int i = Scroll_; i <= static_cast<int>(Text_.size()); ++i) {
    int w = font.Extent(Fonts(), std::string_view(Text_).substr(static_cast<size_t>(Scroll_),
                                                                 static_cast<size_t>(i - Scroll_)))
                .W;
    int d = std::abs(left + w - x);
    if (d < bestDist) {
      bestDist = d;
      best = i;
    }
    if (left + w > r.Right) break;
  }
  SetCaret(best);
}

bool TGuiEdit::KeyStep(TGuiKeyEvent event, int key, TShiftState shift) {
  if (event == TGuiKeyEvent::Press) {
    unsigned char c = static_cast<unsigned char>(key);
    if (ReadOnly || c < 32) return false;
    if (MaxLength <= 0 || static_cast<int>(Text_.size()) < MaxLength) Insert(std::string(1, static_cast<char>(c)));
    return true;
  }
  if (event != TGuiKeyEvent::Down) return false;
  std::string before = Text_;
  switch (key) {
    case 8:  // Backspace
      if (ReadOnly) return false;
      if (Caret_ > 0) {
        Text_.erase(static_cast<size_t>(Caret_ - 1), 1);
        --Caret_;
      }
      break;
    case 46:  // Delete
      if (ReadOnly) return false;
      if (Caret_ < static_cast<int>(Text_.size())) Text_.erase(static_cast<size_t>(Caret_), 1);
      break;
    case 36: Caret_ = 0; break;                              // Home
    case 35: Caret_ = static_cast<int>(Text_.size()); break;  // End
    case 37: Caret_ = std::max(0, Caret_ - 1); break;         // Left
    case 39: Caret_ = std::min(static_cast<int>(Text_.size()), Caret_ + 1); break;  // Right
    case 9:  // Tab
      if (ReadOnly) return false;
      TabToNext();
      return true;
    case kKeyV:
      if (!(shift & ssCtrl) || ReadOnly) return false;
      Paste();
      return true;
    default: return false;
  }
  Scroll_ = std::min(Scroll_, Caret_);
  ScrollToCaret();
  RestartBlink();
  Changed(before);
  return true;
}

void TGuiEdit::Tick() {
  if (BlinkTicks <= 0) {
    CaretOn_ = true;
    return;
  }
  if (++Blink_ >= BlinkTicks) {
    Blink_ = 0;
    CaretOn_ = !CaretOn_;
  }
}

void TGuiEdit::DrawSelf(const TRect& r) {
  TCanopyCanvas* canvas = Canvas();
  Bkgrnd.Fill(canvas, r, DrawFx);
  Border.Frame(canvas, r, DrawFx);
  const TGuiFont& font = TextFont();
  TCanopyFonts* fonts = Fonts();
  std::string_view view = std::string_view(Text_).substr(static_cast<size_t>(std::min<int>(Scroll_, static_cast<int>(Text_.size()))));
  int h = font.Extent(fonts, "Wg").H;
  int y = r.Top + (r.Bottom - r.Top - h) / 2 + TextAdjust;
  font.TextOut(fonts, view, static_cast<float>(r.Left + kMargin), static_cast<float>(y), kBlendAlpha);
  if (CaretOn_ && Enabled() && !ReadOnly && Focused()) {
    int cx = r.Left + kMargin +
             font.Extent(fonts, std::string_view(Text_).substr(static_cast<size_t>(Scroll_),
                                                                static_cast<size_t>(std::max(0, Caret_ - Scroll_))))
                 .W;
    Selector.Fill(canvas, {cx, y, cx + kCaretWidth, y + std::max(h, 2)}, DrawFx);
  }
}
