#include "engine/gui/GuiListBox.h"

#include <algorithm>

#include "engine/render/Canvas.h"

namespace {
enum : int32_t {
  lpItems = kGuiClassPropBase,
  lpItemSize,
  lpIndexed,
  lpItemIndex,
  lpTextAdjust,
  lpIndexedFont,
  lpBorderColor,
  lpScrollButton,
  lpScrollFill,
  lpScrollPressed,
  lpScrollArrow
};

// An arrow as a triangle inside r, pointing up or down.
void Arrow(TCanopyCanvas* canvas, const TRect& r, bool up, TColor color) {
  float cx = static_cast<float>(r.Left + r.Right) / 2;
  float cy = static_cast<float>(r.Top + r.Bottom) / 2;
  float s = static_cast<float>(std::min(r.Right - r.Left, r.Bottom - r.Top)) / 4;
  if (up)
    canvas->FillTriangle(color, kBlendAlpha, {cx, cy - s}, {cx + s * 1.3f, cy + s * 0.8f}, {cx - s * 1.3f, cy + s * 0.8f});
  else
    canvas->FillTriangle(color, kBlendAlpha, {cx, cy + s}, {cx - s * 1.3f, cy - s * 0.8f}, {cx + s * 1.3f, cy - s * 0.8f});
}
}  // namespace

// --- TGuiScroll ---------------------------------------------------------------

TGuiScroll::TGuiScroll() : TGuiControl(TGuiKind::Scroll) {}

TGuiListBox* TGuiScroll::Owner() const {
  return Parent() && Parent()->Kind() == TGuiKind::ListBox ? static_cast<TGuiListBox*>(Parent()) : nullptr;
}

void TGuiScroll::SetRange(int max, int page) {
  Max_ = std::max(0, max);
  Page_ = std::max(1, page);
  Position_ = std::clamp(Position_, 0, Max_);
}

void TGuiScroll::SetPosition(int position) {
  position = std::clamp(position, 0, Max_);
  if (position == Position_) return;
  Position_ = position;
  if (TGuiListBox* owner = Owner()) owner->SetTopIndex(position);
}

TRect TGuiScroll::UpRect() const {
  TRect r = ScreenRect();
  return {r.Left, r.Top, r.Right, std::min(r.Bottom, r.Top + Width())};
}

TRect TGuiScroll::DownRect() const {
  TRect r = ScreenRect();
  return {r.Left, std::max(r.Top, r.Bottom - Width()), r.Right, r.Bottom};
}

TRect TGuiScroll::ThumbRect() const {
  TRect up = UpRect(), down = DownRect();
  int track = down.Top - up.Bottom;
  if (track <= 0) return {up.Left, up.Bottom, up.Right, up.Bottom};
  int64_t total = static_cast<int64_t>(Max_) + Page_;
  int size = static_cast<int>(std::max<int64_t>(8, static_cast<int64_t>(track) * Page_ / total));
  size = std::min(size, track);
  int top = up.Bottom + (Max_ > 0 ? static_cast<int>(static_cast<int64_t>(track - size) * Position_ / Max_) : 0);
  return {up.Left, top, up.Right, top + size};
}

void TGuiScroll::MouseStep(TGuiMouseEvent event, int button, TShiftState, int x, int y) {
  switch (event) {
    case TGuiMouseEvent::Down: {
      if (button != mbLeft) return;
      TRect thumb = ThumbRect();
      if (PointInRect(UpRect(), x, y)) {
        Pressed_ = Part::Up;
        SetPosition(Position_ - 1);
      } else if (PointInRect(DownRect(), x, y)) {
        Pressed_ = Part::Down;
        SetPosition(Position_ + 1);
      } else if (PointInRect(thumb, x, y)) {
        Pressed_ = Part::Thumb;
        DragOffset_ = y - thumb.Top;
      } else {
        Pressed_ = Part::Track;
        SetPosition(Position_ + (y < thumb.Top ? -Page_ : Page_));
      }
      break;
    }
    case TGuiMouseEvent::Move:
      if (Pressed_ == Part::Thumb) {
        TRect up = UpRect(), down = DownRect(), thumb = ThumbRect();
        int span = (down.Top - up.Bottom) - (thumb.Bottom - thumb.Top);
        if (span > 0 && Max_ > 0) {
          int offset = std::clamp(y - DragOffset_ - up.Bottom, 0, span);
          SetPosition(static_cast<int>((static_cast<int64_t>(offset) * Max_ + span / 2) / span));
        }
      }
      break;
    case TGuiMouseEvent::Up:
      if (button == mbLeft) Pressed_ = Part::None;
      break;
    default: break;
  }
}

void TGuiScroll::DrawSelf(const TRect& r) {
  TCanopyCanvas* canvas = Canvas();
  TGuiListBox* owner = Owner();
  if (!canvas || !owner) return;
  int fx = owner->DrawFx;
  owner->ScrollFill.Fill(canvas, r, fx);
  TRect up = UpRect(), down = DownRect(), thumb = ThumbRect();
  (Pressed_ == Part::Up ? owner->ScrollPressed : owner->ScrollButton).Fill(canvas, up, fx);
  (Pressed_ == Part::Down ? owner->ScrollPressed : owner->ScrollButton).Fill(canvas, down, fx);
  (Pressed_ == Part::Thumb ? owner->ScrollPressed : owner->ScrollButton)
      .Fill(canvas, {thumb.Left + 2, thumb.Top + 1, thumb.Right - 2, thumb.Bottom - 1}, fx);
  Arrow(canvas, up, true, owner->ScrollArrow);
  Arrow(canvas, down, false, owner->ScrollArrow);
}

// --- TGuiListBox --------------------------------------------------------------

TGuiListBox::TGuiListBox() : TGuiControl(TGuiKind::ListBox) {
  Bkgrnd.SetAll(0xFFFFFFFF);
  Selected.SetAll(0xFFE0E8FF);
  Indexed.SetAll(0xFF0060C0);
  Font.SetColors(0xFF000000, 0xFF000000);
  IndexedFont.SetColors(0xFFFFFFFF, 0xFFFFFFFF);
  ScrollButton.SetAll(0xFFC0C0C0);
  ScrollFill.SetAll(0xFFE0E0E0);
  ScrollPressed.SetAll(0xFF909090);
  Items_ = {"Item 1", "Item 2", "Item 3"};
  auto scroll = std::make_unique<TGuiScroll>();
  Scroll_ = scroll.get();
  AddChild(std::move(scroll));
  // The scroll bar is a helper, not a child to type into.
  FocusIndex = -1;
  Sync();
}

void TGuiListBox::SetItems(std::vector<std::string> items) {
  Items_ = std::move(items);
  if (ItemIndex_ >= Count()) ItemIndex_ = -1;
  HoverItem_ = -1;
  Sync();
}

void TGuiListBox::Add(std::string item) {
  Items_.push_back(std::move(item));
  Sync();
}

void TGuiListBox::Delete(int i) {
  if (i < 0 || i >= Count()) return;
  Items_.erase(Items_.begin() + i);
  if (ItemIndex_ == i)
    ItemIndex_ = -1;
  else if (ItemIndex_ > i)
    --ItemIndex_;
  HoverItem_ = -1;
  Sync();
}

void TGuiListBox::Clear() {
  Items_.clear();
  ItemIndex_ = -1;
  TopIndex_ = 0;
  HoverItem_ = -1;
  Sync();
}

void TGuiListBox::SetItemIndex(int i) {
  ItemIndex_ = (i >= 0 && i < Count()) ? i : -1;
  if (ItemIndex_ >= 0) {
    if (ItemIndex_ < TopIndex_)
      SetTopIndex(ItemIndex_);
    else if (ItemIndex_ >= TopIndex_ + VisibleRows())
      SetTopIndex(ItemIndex_ - VisibleRows() + 1);
  }
}

std::string TGuiListBox::SelectedText() const { return ItemIndex_ >= 0 ? Items_[static_cast<size_t>(ItemIndex_)] : ""; }

int TGuiListBox::VisibleRows() const { return ItemSize > 0 ? std::max(0, (Height() - 2) / ItemSize) : 0; }

void TGuiListBox::SetTopIndex(int i) {
  TopIndex_ = std::clamp(i, 0, std::max(0, Count() - VisibleRows()));
  if (Scroll_) {
    Scroll_->SetRange(std::max(0, Count() - VisibleRows()), std::max(1, VisibleRows()));
    if (Scroll_->Position() != TopIndex_) Scroll_->SetPosition(TopIndex_);
  }
}

void TGuiListBox::Sync() {
  if (!Scroll_) return;
  int rows = VisibleRows();
  Scroll_->SetBounds(Width() - 1 - TGuiScroll::kWidth, 1, TGuiScroll::kWidth, std::max(0, Height() - 2));
  Scroll_->SetVisible(Count() > rows);
  SetTopIndex(TopIndex_);
}

int TGuiListBox::ItemAt(int x, int y) const {
  if (!Enabled() || ItemSize <= 0) return -1;
  TRect r = ScreenRect();
  if (!PointInRect(r, x, y) || y < r.Top + 1) return -1;
  if (Scroll_ && Scroll_->Visible() && PointInRect(Scroll_->ScreenRect(), x, y)) return -1;
  int i = (y - r.Top - 1) / ItemSize + TopIndex_;
  return i < Count() ? i : -1;
}

bool TGuiListBox::ApplyProp(int32_t id, uint8_t type, std::string_view value) {
  switch (id) {
    case lpItems: SetItems(SplitGuiLines(value)); return true;
    case lpItemSize:
    case lpItemIndex:
    case lpTextAdjust: {
      auto v = ParseGuiInt(value);
      if (!v || *v < INT32_MIN || *v > INT32_MAX) return false;
      int n = static_cast<int>(*v);
      if (id == lpItemSize) {
        ItemSize = n;
        Sync();
      } else if (id == lpItemIndex) {
        SetItemIndex(n);
      } else {
        TextAdjust = n;
      }
      return true;
    }
    case lpBorderColor:
    case lpScrollArrow: {
      auto c = ParseGuiColor(value);
      if (!c) return false;
      (id == lpBorderColor ? BorderColor : ScrollArrow) = *c;
      return true;
    }
    default: return TGuiControl::ApplyProp(id, type, value);
  }
}

TGuiFill* TGuiListBox::FillById(int32_t id) {
  switch (id) {
    case lpIndexed: return &Indexed;
    case lpScrollButton: return &ScrollButton;
    case lpScrollFill: return &ScrollFill;
    case lpScrollPressed: return &ScrollPressed;
    default: return TGuiControl::FillById(id);
  }
}

TGuiFont* TGuiListBox::FontById(int32_t id) { return id == lpIndexedFont ? &IndexedFont : TGuiControl::FontById(id); }

void TGuiListBox::MouseStep(TGuiMouseEvent event, int button, TShiftState, int x, int y) {
  switch (event) {
    case TGuiMouseEvent::Move: HoverItem_ = ItemAt(x, y); break;
    case TGuiMouseEvent::Leave: HoverItem_ = -1; break;
    case TGuiMouseEvent::Down:
      if (button == mbLeft) {
        int i = ItemAt(x, y);
        if (i >= 0) {
          ItemIndex_ = i;
          if (OnChange) OnChange(*this);
        }
      }
      break;
    default: break;
  }
}

void TGuiListBox::DrawSelf(const TRect& r) {
  TCanopyCanvas* canvas = Canvas();
  Bkgrnd.Fill(canvas, r, DrawFx);
  int right = r.Right - 1 - (Scroll_ && Scroll_->Visible() ? TGuiScroll::kWidth : 0);
  int rows = VisibleRows() + 1;  // a partly visible last line is drawn too
  for (int k = 0; k < rows && TopIndex_ + k < Count(); ++k) {
    int i = TopIndex_ + k;
    TRect row{r.Left + 1, r.Top + 1 + k * ItemSize, right, r.Top + 1 + (k + 1) * ItemSize};
    const TGuiFont* font = &TextFont();
    if (i == ItemIndex_) {
      Indexed.Fill(canvas, row, DrawFx);
      font = &IndexedFont;
    } else if (i == HoverItem_ && Enabled()) {
      Selected.Fill(canvas, row, DrawFx);
    }
    const std::string& text = Items_[static_cast<size_t>(i)];
    TSize ext = font->Extent(Fonts(), text);
    font->TextOut(Fonts(), text, static_cast<float>(row.Left + 4),
                  static_cast<float>(row.Top + (ItemSize - ext.H) / 2 + TextAdjust), kBlendAlpha);
  }
  if (canvas)
    canvas->FrameQuad(QuadFromRect(static_cast<float>(r.Left), static_cast<float>(r.Top),
                                   static_cast<float>(r.Right), static_cast<float>(r.Bottom)),
                      Color4(BorderColor), DrawFx);
}
