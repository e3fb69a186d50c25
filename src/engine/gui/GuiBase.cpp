#include "engine/gui/GuiBase.h"

#include <algorithm>

#include "engine/gui/GuiButton.h"
#include "engine/gui/GuiCheckBox.h"
#include "engine/gui/GuiEdit.h"
#include "engine/gui/GuiForm.h"
#include "engine/gui/GuiGauge.h"
#include "engine/gui/GuiLabel.h"
#include "engine/gui/GuiLayoutFile.h"
#include "engine/gui/GuiListBox.h"
#include "engine/render/Canvas.h"
#include "engine/render/Images.h"

namespace {
constexpr int kVkShift = 16, kVkControl = 17, kVkMenu = 18;

TShiftState ModifierOf(int key) {
  switch (key) {
    case kVkShift: return ssShift;
    case kVkControl: return ssCtrl;
    case kVkMenu: return ssAlt;
    default: return 0;
  }
}

// Puts the list position of every image key of the controls into its image
// property. False, with the reason, when a key names no image of the list.
bool ResolveImageKeys(std::vector<TGuiLayoutControl>& controls, const TCanopyImages& images, std::string& error) {
  for (TGuiLayoutControl& c : controls) {
    std::vector<std::pair<std::string, int>> found;  // image property, position
    for (const TGuiLayoutProp& p : c.Props) {
      if (p.Type == ptFill || p.Type == ptFont) continue;
      for (const char* indexName : {"ImageIndex", "IconIndex"}) {
        if (!SameText(p.Name, GuiImageKeyProperty(indexName))) continue;
        const int index = images.IndexOf(p.Value);
        if (index < 0) {
          const std::string* name = c.Value("Name");
          error = "the control \"" + (name ? *name : c.ClassName) + "\" shows the image \"" + p.Value +
                  "\", which is not loaded";
          return false;
        }
        found.emplace_back(indexName, index);
      }
    }
    for (const auto& resolved : found) {
      const std::string& indexName = resolved.first;
      auto it = std::find_if(c.Props.begin(), c.Props.end(), [&](const TGuiLayoutProp& q) {
        return q.Type != ptFill && q.Type != ptFont && SameText(q.Name, indexName);
      });
      if (it != c.Props.end())
        it->Value = std::to_string(resolved.second);
      else
        c.Props.push_back({indexName, ptInteger, std::to_string(resolved.second), {}, {}});
    }
    if (!ResolveImageKeys(c.Children, images, error)) return false;
  }
  return true;
}

TShiftState ButtonOf(int button) {
  switch (button) {
    case mbLeft: return ssLeft;
    case mbRight: return ssRight;
    case mbMiddle: return ssMiddle;
    default: return 0;
  }
}
}  // namespace

TGuiBase::TGuiBase() : Root_(std::make_unique<TGuiTaskbar>()) { Root_->Context = &Context_; }

TGuiBase::~TGuiBase() = default;

bool TGuiBase::HandleNotice(int) { return true; }


std::unique_ptr<TGuiControl> TGuiBase::CreateControl(TGuiKind kind) {
  switch (kind) {
    case TGuiKind::Form: return std::make_unique<TGuiForm>();
    case TGuiKind::Button: return std::make_unique<TGuiButton>();
    case TGuiKind::CheckBox: return std::make_unique<TGuiCheckBox>();
    case TGuiKind::RadioButton: return std::make_unique<TGuiRadioButton>();
    case TGuiKind::ListBox: return std::make_unique<TGuiListBox>();
    case TGuiKind::Label: return std::make_unique<TGuiLabel>();
    case TGuiKind::Edit: return std::make_unique<TGuiEdit>();
    case TGuiKind::Gauge: return std::make_unique<TGuiGauge>();
    case TGuiKind::Paint: return std::make_unique<TGuiPaint>();
    default: return nullptr;
  }
}

TGuiControl* TGuiBase::AddControl(TGuiControl& parent, TGuiKind kind) {
  auto control = CreateControl(kind);
  if (!control) return nullptr;
  if (kind == TGuiKind::Edit) static_cast<TGuiEdit&>(*control).TabOrder = NextTabOrder(parent, nullptr);
  return parent.AddChild(std::move(control));
}

void TGuiBase::Build(TGuiControl& parent, const std::vector<TGuiLayoutControl>& controls) {
  for (const TGuiLayoutControl& rec : controls) {
    auto kind = GuiKindFromClassName(rec.ClassName);
    if (!kind) return;  // an unknown class ends the list
    TGuiControl* c = AddControl(parent, *kind);
    for (const TGuiLayoutProp& p : rec.Props) {
      if (p.Type == ptFill) {
        if (TGuiFill* f = c->GetFill(p.Name)) *f = p.Fill;
      } else if (p.Type == ptFont) {
        if (TGuiFont* f = c->GetFont(p.Name)) *f = p.Font;
      } else {
        c->SetProperty(p.Name, p.Value);  // unknown names are ignored
      }
    }
    Build(*c, rec.Children);
  }
}

bool TGuiBase::LoadLayoutData(const uint8_t* data, size_t size) {
  std::vector<TGuiLayoutControl> controls;
  if (!ReadGuiLayout(data, size, controls, &LastError_)) return false;
  if (HasImages() && !ResolveImageKeys(controls, *Images, LastError_)) return false;
  LastError_.clear();
  Build(*Root_, controls);
  return true;
}

bool TGuiBase::LoadLayout(const std::string& path) {
  std::vector<TGuiLayoutControl> controls;
  if (!ReadGuiLayoutFile(path, controls, &LastError_)) return false;
  if (HasImages() && !ResolveImageKeys(controls, *Images, LastError_)) {
    LastError_ = path + ": " + LastError_;
    return false;
  }
  LastError_.clear();
  Build(*Root_, controls);
  return true;
}

bool TGuiBase::HasImages() const { return Images && Images->Count() > 0; }

TGuiControl* TGuiBase::FindControl(std::string_view name) {
  // The root has no name of its own, so it never matches.
  for (int i = 0; i < Root_->ChildCount(); ++i)
    if (TGuiControl* c = Root_->Child(i)->FindControl(name)) return c;
  return nullptr;
}

void TGuiBase::Update() {
  Root_->UpdateTree();
}

void TGuiBase::Draw(int width, int height) {
  Root_->Bounds = {0, 0, width, height};
  TRect screen{0, 0, width, height};
  TRect saved = screen;
  if (Canvas) saved = Canvas->GetClipRect();
  for (int i = Root_->ChildCount() - 1; i >= 0; --i) Root_->Child(i)->DrawTree(screen);
  if (Canvas) {
    Canvas->SetClipRect(screen);
    Focus.Draw(*Root_, *Canvas);
    Canvas->SetClipRect(saved);
  }
}

TShiftState TGuiBase::Shift(TShiftState given) const { return given | HeldKeys_ | HeldButtons_; }

bool TGuiBase::MouseDown(int button, int x, int y, TShiftState shift) {
  HeldButtons_ |= ButtonOf(button);
  const bool handled = Root_->MouseEvent(TGuiMouseEvent::Down, button, Shift(shift), x, y);
  if (handled && button == mbLeft) ++LeftPressesTaken_;
  return handled;
}

bool TGuiBase::MouseUp(int button, int x, int y, TShiftState shift) {
  // The window reports a click before the release, so the click still finds
  // the control captured at the press.
  Root_->MouseEvent(TGuiMouseEvent::Move, button, Shift(shift), x, y);
  bool handled = false;
  if (button == mbLeft) handled = Root_->MouseEvent(TGuiMouseEvent::Click, button, Shift(shift), x, y);
  HeldButtons_ &= ~ButtonOf(button);
  handled = Root_->MouseEvent(TGuiMouseEvent::Up, button, Shift(shift), x, y) || handled;
  return handled;
}

bool TGuiBase::MouseMove(int x, int y, TShiftState shift) {
  if (x != LastX_ || y != LastY_) Focus.Hide();
  LastX_ = x;
  LastY_ = y;
  return Root_->MouseEvent(TGuiMouseEvent::Move, 0, Shift(shift), x, y);
}

bool TGuiBase::Click() { return Root_->MouseEvent(TGuiMouseEvent::Click, 0, Shift(0), 0, 0); }
bool TGuiBase::DblClick() { return Root_->MouseEvent(TGuiMouseEvent::DblClick, 0, Shift(0), 0, 0); }

bool TGuiBase::KeyDown(int key, TShiftState shift) {
  HeldKeys_ |= ModifierOf(key);
  return Root_->KeyEvent(TGuiKeyEvent::Down, key, Shift(shift));
}

bool TGuiBase::KeyUp(int key, TShiftState shift) {
  HeldKeys_ &= ~ModifierOf(key);
  return Root_->KeyEvent(TGuiKeyEvent::Up, key, Shift(shift));
}

bool TGuiBase::KeyPress(char c, TShiftState shift) {
  return Root_->KeyEvent(TGuiKeyEvent::Press, static_cast<unsigned char>(c), Shift(shift));
}
