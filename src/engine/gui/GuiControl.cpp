#include "engine/gui/GuiControl.h"

#include <algorithm>

#include "engine/gui/GuiTaskbar.h"
#include "engine/render/Canvas.h"
#include "engine/render/Images.h"

// --- TGuiObject ------------------------------------------------------------

bool TGuiObject::SetProperty(std::string_view name, std::string_view value) {
  const TGuiPropDesc* p = FindProperty(name);
  if (!p || p->Type == ptFill || p->Type == ptFont) return false;
  return ApplyProp(p->Id, p->Type, value);
}

TGuiFill* TGuiObject::GetFill(std::string_view name) {
  const TGuiPropDesc* p = FindProperty(name);
  return p && p->Type == ptFill ? FillById(p->Id) : nullptr;
}

TGuiFont* TGuiObject::GetFont(std::string_view name) {
  const TGuiPropDesc* p = FindProperty(name);
  return p && p->Type == ptFont ? FontById(p->Id) : nullptr;
}

bool TGuiObject::ApplyProp(int32_t, uint8_t, std::string_view) { return false; }
TGuiFill* TGuiObject::FillById(int32_t) { return nullptr; }
TGuiFont* TGuiObject::FontById(int32_t) { return nullptr; }

// --- TGuiComponent ----------------------------------------------------------

TGuiComponent::TGuiComponent(TGuiKind kind) : TGuiObject(kind) {
  TSize size = GuiClassInfo(kind).DefaultSize;
  Bounds = {0, 0, size.W, size.H};
}

void TGuiComponent::SetVisible(bool visible) {
  if (visible == Visible_) return;
  Visible_ = visible;
  if (visible) {
    ShowStep();
    if (OnShow) OnShow(*this);
  } else {
    if (OnHide) OnHide(*this);
    HideStep();
  }
}

void TGuiComponent::SetEnabled(bool enabled) {
  if (enabled == Enabled_) return;
  Enabled_ = enabled;
  EnableStep(enabled);
}

void TGuiComponent::SetBound(int which, int value) {
  TRect r = Bounds;
  switch (which) {
    case 0: r.Right = value + Width(); r.Left = value; break;
    case 1: r.Bottom = value + Height(); r.Top = value; break;
    case 2: r.Right = r.Left + value; break;
    case 3: r.Bottom = r.Top + value; break;
    default: return;
  }
  AdjustBounds(r);
  Bounds = r;
  BoundsChanged();
}

int TGuiComponent::GetSize(int which) const {
  switch (which) {
    case 0: return Bounds.Left;
    case 1: return Bounds.Top;
    case 2: return Width();
    case 3: return Height();
    default: return 0;
  }
}

void TGuiComponent::SetBounds(int left, int top, int width, int height) {
  SetBound(0, left);
  SetBound(1, top);
  SetBound(2, width);
  SetBound(3, height);
}

bool TGuiComponent::ApplyProp(int32_t id, uint8_t type, std::string_view value) {
  switch (id) {
    case piLeft:
    case piTop:
    case piWidth:
    case piHeight: {
      auto v = ParseGuiInt(value);
      if (!v || *v < -1000000 || *v > 1000000) return false;
      SetBound(id - piLeft, static_cast<int>(*v));
      return true;
    }
    case piTag: Tag = std::string(value); return true;
    case piVisible:
    case piEnabled: {
      auto v = ParseGuiBool(value);
      if (!v) return false;
      if (id == piVisible)
        SetVisible(*v);
      else
        SetEnabled(*v);
      return true;
    }
    default: return TGuiObject::ApplyProp(id, type, value);
  }
}

// --- TGuiControl ------------------------------------------------------------

TGuiControl::TGuiControl(TGuiKind kind) : TGuiComponent(kind) {}
TGuiControl::~TGuiControl() = default;

bool TGuiControl::ApplyProp(int32_t id, uint8_t type, std::string_view value) {
  switch (id) {
    case piName: Name = std::string(value); return true;
    case piDrawFx: {
      auto v = ParseGuiInt(value);
      if (!v || *v < 0 || *v > INT32_MAX) return false;
      DrawFx = static_cast<int>(*v);
      return true;
    }
    default: return TGuiComponent::ApplyProp(id, type, value);
  }
}

TGuiFill* TGuiControl::FillById(int32_t id) {
  switch (id) {
    case piBkgrnd: return &Bkgrnd;
    case piBorder: return &Border;
    case piSelected: return &Selected;
    default: return TGuiComponent::FillById(id);
  }
}

TGuiFont* TGuiControl::FontById(int32_t id) {
  switch (id) {
    case piFont: return &Font;
    case piDisabledFont: return &DisabledFont;
    default: return TGuiComponent::FontById(id);
  }
}

TGuiControl* TGuiControl::Child(int i) const {
  if (i < 0 || i >= ChildCount()) return nullptr;
  return Children_[static_cast<size_t>(i)].get();
}

int TGuiControl::IndexOf(const TGuiControl* child) const {
  for (size_t i = 0; i < Children_.size(); ++i)
    if (Children_[i].get() == child) return static_cast<int>(i);
  return -1;
}

TGuiControl* TGuiControl::AddChild(std::unique_ptr<TGuiControl> child) {
  child->Parent_ = this;
  Children_.push_back(std::move(child));
  if (FocusIndex < 0) FocusIndex = ChildCount() - 1;
  return Children_.back().get();
}

TGuiControl* TGuiControl::ChildOfKind(TGuiKind kind) const {
  for (const auto& c : Children_)
    if (c->Kind() == kind) return c.get();
  return nullptr;
}

TGuiControl* TGuiControl::FindControl(std::string_view name) {
  if (SameText(Name, name)) return this;
  for (const auto& c : Children_)
    if (TGuiControl* found = c->FindControl(name)) return found;
  return nullptr;
}

TRect TGuiControl::ScreenRect() const {
  TRect r = Bounds;
  for (const TGuiControl* p = Parent_; p; p = p->Parent_) {
    r.Left += p->Bounds.Left;
    r.Right += p->Bounds.Left;
    r.Top += p->Bounds.Top;
    r.Bottom += p->Bounds.Top;
  }
  return r;
}

TRect TGuiControl::ClippedRect() const {
  TRect r = ScreenRect();
  for (const TGuiControl* p = Parent_; p; p = p->Parent_) r = IntersectRect(r, p->ScreenRect());
  return r;
}

void TGuiControl::BringToFront() {
  if (!Parent_) return;
  TGuiControl* parent = Parent_;
  int i = parent->IndexOf(this);
  if (i <= 0) return;
  TGuiControl* focused = parent->FocusedChild();
  std::rotate(parent->Children_.begin(), parent->Children_.begin() + i, parent->Children_.begin() + i + 1);
  if (focused) parent->FocusIndex = parent->IndexOf(focused);
}

void TGuiControl::SetFocus(bool front) {
  for (TGuiControl* c = this; c->Parent_; c = c->Parent_) {
    if (front && c->Kind() == TGuiKind::Form) c->BringToFront();
    c->Parent_->FocusIndex = c->Parent_->IndexOf(c);
  }
}

bool TGuiControl::Focused() const {
  for (const TGuiControl* c = this; c->Parent_; c = c->Parent_)
    if (c->Parent_->FocusedChild() != c) return false;
  return true;
}

TGuiTaskbar* TGuiControl::Root() {
  TGuiControl* c = this;
  while (c->Parent_) c = c->Parent_;
  return c->Kind() == TGuiKind::Taskbar ? static_cast<TGuiTaskbar*>(c) : nullptr;
}

const TGuiTaskbar* TGuiControl::Root() const { return const_cast<TGuiControl*>(this)->Root(); }

TGuiContext* TGuiControl::Context() const {
  const TGuiTaskbar* root = Root();
  return root ? root->Context : nullptr;
}

TCanopyCanvas* TGuiControl::Canvas() const {
  TGuiContext* c = Context();
  return c ? c->Canvas : nullptr;
}

TCanopyFonts* TGuiControl::Fonts() const {
  TGuiContext* c = Context();
  return c ? c->Fonts : nullptr;
}

TCanopyImages* TGuiControl::Images() const {
  TGuiContext* c = Context();
  return c ? c->Images : nullptr;
}

void TGuiControl::DeliverMouse(TGuiMouseEvent event, int button, TShiftState shift, int x, int y) {
  MouseStep(event, button, shift, x, y);
  if (OnMouse) OnMouse(*this, event, button, shift, x, y);
  switch (event) {
    case TGuiMouseEvent::Click:
      if (Enabled() && PointInRect(ScreenRect(), x, y) && OnClick) OnClick(*this);
      break;
    case TGuiMouseEvent::DblClick:
      if (Enabled() && PointInRect(ScreenRect(), x, y) && OnDblClick) OnDblClick(*this);
      break;
    case TGuiMouseEvent::Enter:
      MouseOver = true;
      if (OnMouseEnter) OnMouseEnter(*this);
      break;
    case TGuiMouseEvent::Leave:
      MouseOver = false;
      if (OnMouseLeave) OnMouseLeave(*this);
      break;
    default: break;
  }
}

bool TGuiControl::DeliverKey(TGuiKeyEvent event, int key, TShiftState shift) {
  bool used = KeyStep(event, key, shift);
  if (OnKey) {
    OnKey(*this, event, key, shift);
    used = true;
  }
  return used;
}

void TGuiControl::UpdateTree() {
  Tick();
  // A tick may not add or remove children, so plain indexing is safe.
  for (size_t i = 0; i < Children_.size(); ++i) Children_[i]->UpdateTree();
}

void TGuiControl::DrawTree(const TRect& clip) {
  if (!Visible()) return;
  TRect r = ScreenRect();
  TRect mine = IntersectRect(r, clip);
  if (RectEmpty(mine)) return;
  TCanopyCanvas* canvas = Canvas();
  if (canvas) canvas->SetClipRect(mine);
  DrawSelf(r);
  if (canvas) canvas->SetClipRect(clip);
  for (int i = ChildCount() - 1; i >= 0; --i) Children_[static_cast<size_t>(i)]->DrawTree(mine);
}

void DrawGuiImage(TCanopyCanvas* canvas, TCanopyImages* images, int index, int pattern, const TRect& r,
                  int effect, TColor color) {
  if (!canvas || !images || index < 0 || RectEmpty(r)) return;
  TCanopyImage* image = images->Items(index);
  if (!image) return;
  if (color == 0xFFFFFFFF) {
    canvas->StretchDraw(image, r, pattern, effect);
    return;
  }
  TPatternRec rec;
  rec.Index = pattern;
  canvas->TexMap(image,
                 QuadFromRect(static_cast<float>(r.Left), static_cast<float>(r.Top), static_cast<float>(r.Right),
                              static_cast<float>(r.Bottom)),
                 Color4(color), rec, effect);
}
