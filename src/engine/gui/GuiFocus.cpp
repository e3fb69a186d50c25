#include "engine/gui/GuiFocus.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "engine/core/TextCompare.h"
#include "engine/gui/GuiControl.h"
#include "engine/gui/GuiListBox.h"
#include "engine/gui/GuiTaskbar.h"
#include "engine/render/Canvas.h"

namespace {
bool Workable(const TGuiControl& c) {
  if (!c.Visible() || !c.Enabled() || c.Name.empty()) return false;
  if (c.Kind() == TGuiKind::ListBox) return static_cast<const TGuiListBox&>(c).Count() > 0;
  return c.Kind() == TGuiKind::Button || c.Kind() == TGuiKind::CheckBox;
}

void Collect(TGuiControl& parent, std::vector<TGuiControl*>& out) {
  for (int i = 0; i < parent.ChildCount(); ++i) {
    TGuiControl* c = parent.Child(i);
    if (!c || !c->Visible()) continue;
    if (Workable(*c)) out.push_back(c);
    Collect(*c, out);
  }
}

int CentreX(const TGuiControl& c) {
  const TRect r = c.ScreenRect();
  return (r.Left + r.Right) / 2;
}
int CentreY(const TGuiControl& c) {
  const TRect r = c.ScreenRect();
  return (r.Top + r.Bottom) / 2;
}
}  // namespace

TGuiControl* TGuiFocus::FrontForm(TGuiTaskbar& root) {
  for (int i = 0; i < root.ChildCount(); ++i) {
    TGuiControl* form = root.Child(i);
    if (!form || !form->Visible() || form->Kind() != TGuiKind::Form || !form->Enabled()) continue;
    if (!Choices(*form).empty()) return form;
  }
  return nullptr;
}

std::vector<TGuiControl*> TGuiFocus::Choices(TGuiControl& form) {
  std::vector<TGuiControl*> out;
  Collect(form, out);
  // Children are kept front first; the layout order runs the other way for
  // siblings added in turn, so sort by place: top to bottom, left to right.
  std::stable_sort(out.begin(), out.end(), [](const TGuiControl* a, const TGuiControl* b) {
    const TRect ra = a->ScreenRect(), rb = b->ScreenRect();
    if (ra.Top != rb.Top) return ra.Top < rb.Top;
    return ra.Left < rb.Left;
  });
  return out;
}

void TGuiFocus::FormNames(TGuiControl& form, std::string& defaultButton, std::string& cancelButton) const {
  defaultButton.clear();
  cancelButton.clear();
  if (FormButtons) FormButtons(form.Name, defaultButton, cancelButton);
}

TGuiControl* TGuiFocus::Current(TGuiControl& form) {
  const std::vector<TGuiControl*> choices = Choices(form);
  if (choices.empty()) return nullptr;
  if (SameText(Form_, form.Name)) {
    for (TGuiControl* c : choices)
      if (SameText(c->Name, Control_)) return c;
  }
  // A form met anew: the focus starts on its default button, or its first.
  Form_ = form.Name;
  std::string def, cancel;
  FormNames(form, def, cancel);
  TGuiControl* start = choices.front();
  for (TGuiControl* c : choices)
    if (!def.empty() && SameText(c->Name, def)) start = c;
  Control_ = start->Name;
  return start;
}

TGuiControl* TGuiFocus::Focused(TGuiTaskbar& root) {
  TGuiControl* form = FrontForm(root);
  return form ? Current(*form) : nullptr;
}

bool TGuiFocus::Next(TGuiTaskbar& root, bool back) {
  TGuiControl* form = FrontForm(root);
  if (!form) return false;
  TGuiControl* now = Current(*form);
  const std::vector<TGuiControl*> choices = Choices(*form);
  if (Shown_) {
    size_t i = 0;
    while (i < choices.size() && choices[i] != now) ++i;
    const size_t n = choices.size();
    i = back ? (i + n - 1) % n : (i + 1) % n;
    Control_ = choices[i]->Name;
  }
  Shown_ = true;  // the first key only shows where the focus is
  Ticks_ = 0;
  return true;
}

bool TGuiFocus::Move(TGuiTaskbar& root, int dx, int dy) {
  TGuiControl* form = FrontForm(root);
  if (!form) return false;
  TGuiControl* now = Current(*form);
  if (!Shown_) {
    Shown_ = true;
    Ticks_ = 0;
    return true;
  }
  // In a list, up and down choose its lines; past its ends they leave it.
  if (now->Kind() == TGuiKind::ListBox && dy != 0) {
    auto& list = static_cast<TGuiListBox&>(*now);
    const int next = list.ItemIndex() < 0 ? 0 : list.ItemIndex() + dy;
    if (next >= 0 && next < list.Count()) {
      list.SetItemIndex(next);
      if (list.OnChange) list.OnChange(list);  // as a press on the line does
      return true;
    }
  }
  // The nearest choice that way. Sideways, a button of the same row comes
  // first; up and down, the next row does, whatever stands more in line
  // further on (distance along the way counts double).
  const TRect at = now->ScreenRect();
  const int x = CentreX(*now), y = CentreY(*now);
  TGuiControl* best = nullptr;
  long bestCost = LONG_MAX;
  for (TGuiControl* c : Choices(*form)) {
    if (c == now) continue;
    const int cx = CentreX(*c) - x, cy = CentreY(*c) - y;
    const int along = dx * cx + dy * cy;
    if (along <= 0) continue;
    long cost = 0;
    if (dx != 0) {
      const TRect r = c->ScreenRect();
      const bool sameRow = r.Top < at.Bottom && at.Top < r.Bottom;
      cost = sameRow ? along : 100000L + along + 2L * std::abs(cy);
    } else {
      cost = 2L * along + std::abs(cx);
    }
    if (cost < bestCost) {
      bestCost = cost;
      best = c;
    }
  }
  if (!best) {
    // Nothing that way: up and down wrap round the form's order, as Tab does.
    if (dy != 0) return Next(root, dy < 0);
    return true;
  }
  Control_ = best->Name;
  Ticks_ = 0;
  return true;
}

bool TGuiFocus::Press(TGuiTaskbar& root) {
  TGuiControl* form = FrontForm(root);
  if (!form) return false;
  TGuiControl* target = nullptr;
  // On a list, a press chooses its line: the form's default button.
  if (Shown_ && Current(*form)->Kind() != TGuiKind::ListBox) {
    target = Current(*form);
  } else {
    std::string def, cancel;
    FormNames(*form, def, cancel);
    if (!def.empty()) target = form->FindControl(def);
    if (target && !Workable(*target)) target = nullptr;
  }
  if (!target) return false;
  Click(*target);
  return true;
}

bool TGuiFocus::Cancel(TGuiTaskbar& root) {
  TGuiControl* form = FrontForm(root);
  if (!form) return false;
  std::string def, cancel;
  FormNames(*form, def, cancel);
  TGuiControl* target = cancel.empty() ? nullptr : form->FindControl(cancel);
  if (!target || !Workable(*target)) return false;
  Click(*target);
  return true;
}

void TGuiFocus::Click(TGuiControl& control) {
  const int x = CentreX(control), y = CentreY(control);
  control.DeliverMouse(TGuiMouseEvent::Down, mbLeft, ssLeft, x, y);
  control.DeliverMouse(TGuiMouseEvent::Click, mbLeft, ssLeft, x, y);
  control.DeliverMouse(TGuiMouseEvent::Up, mbLeft, 0, x, y);
}

void TGuiFocus::Draw(TGuiTaskbar& root, TCanopyCanvas& canvas) {
  if (!Shown_) return;
  TGuiControl* now = Focused(root);
  if (!now) return;
  ++Ticks_;
  const TRect r = now->ScreenRect();
  const float glow = 0.5f + 0.5f * std::sin(static_cast<float>(Ticks_) * 0.12f);
  const auto alpha = static_cast<TColor>(160 + static_cast<int>(95.0f * glow));
  const TColor gold = 0x0030D0FFu | (alpha << 24);
  const float l = static_cast<float>(r.Left) - 3, t = static_cast<float>(r.Top) - 3;
  const float rt = static_cast<float>(r.Right) + 3, b = static_cast<float>(r.Bottom) + 3;
  canvas.FillRect(l, t, rt, t + 2, gold, kBlendAlpha);
  canvas.FillRect(l, b - 2, rt, b, gold, kBlendAlpha);
  canvas.FillRect(l, t + 2, l + 2, b - 2, gold, kBlendAlpha);
  canvas.FillRect(rt - 2, t + 2, rt, b - 2, gold, kBlendAlpha);
}
