// The list box: lines of text, one per ItemSize pixels, with a selected line
// and a vertical scroll bar (TGuiScroll, its child) that scrolls by whole
// lines when the lines do not fit.
#pragma once

#include <string>
#include <vector>

#include "engine/gui/GuiControl.h"

class TGuiListBox;

class TGuiScroll : public TGuiControl {
 public:
  static constexpr int kWidth = 16;
  TGuiScroll();

  int Position() const { return Position_; }
  int MaxPosition() const { return Max_; }
  // Page: the number of lines in view.
  void SetRange(int max, int page);
  void SetPosition(int position);

  // The three parts in screen pixels: the two arrow buttons and the thumb.
  TRect UpRect() const;
  TRect DownRect() const;
  TRect ThumbRect() const;

 protected:
  void MouseStep(TGuiMouseEvent event, int button, TShiftState shift, int x, int y) override;
  void DrawSelf(const TRect& r) override;

 private:
  TGuiListBox* Owner() const;
  enum class Part { None, Up, Down, Thumb, Track };
  int Position_ = 0;
  int Max_ = 0;
  int Page_ = 1;
  Part Pressed_ = Part::None;
  int DragOffset_ = 0;
};

class TGuiListBox : public TGuiControl {
 public:
  TGuiListBox();

  int ItemSize = 18;
  TGuiFill Indexed;
  int TextAdjust = 0;
  TGuiFont IndexedFont;
  TColor BorderColor = 0xFF404040;
  TGuiFill ScrollButton, ScrollFill, ScrollPressed;
  TColor ScrollArrow = 0xFF000000;
  TGuiNotify OnChange;

  const std::vector<std::string>& Items() const { return Items_; }
  int Count() const { return static_cast<int>(Items_.size()); }
  void SetItems(std::vector<std::string> items);
  void Add(std::string item);
  // Removes line i; the selection follows its line and is cleared with it.
  void Delete(int i);
  void Clear();

  int ItemIndex() const { return ItemIndex_; }
  // Selects line i (-1 or out of range: none) and scrolls it into view; fires
  // no event. A press on a line selects it and fires OnChange.
  void SetItemIndex(int i);
  // The selected line's text, or "" with nothing selected.
  std::string SelectedText() const;

  int TopIndex() const { return TopIndex_; }
  void SetTopIndex(int i);
  // Whole lines that fit the box.
  int VisibleRows() const;
  // The line under a screen point: (y - top - 1) div ItemSize + TopIndex, or
  // -1 beyond the last line, above the first, or over the scroll bar.
  int ItemAt(int x, int y) const;
  int HoverItem() const { return HoverItem_; }
  TGuiScroll* ScrollBar() const { return Scroll_; }

 protected:
  bool ApplyProp(int32_t id, uint8_t type, std::string_view value) override;
  TGuiFill* FillById(int32_t id) override;
  TGuiFont* FontById(int32_t id) override;
  void MouseStep(TGuiMouseEvent event, int button, TShiftState shift, int x, int y) override;
  void DrawSelf(const TRect& r) override;
  void BoundsChanged() override { Sync(); }
  void EnableStep(bool) override { HoverItem_ = -1; }

 private:
  friend class TGuiScroll;
  // Places and shows the scroll bar and keeps TopIndex in range.
  void Sync();
  std::vector<std::string> Items_;
  int ItemIndex_ = -1;
  int TopIndex_ = 0;
  int HoverItem_ = -1;
  TGuiScroll* Scroll_ = nullptr;
};
