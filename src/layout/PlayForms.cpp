#include "layout/PlayForms.h"

#include <cstdio>

#include "engine/gui/GuiBase.h"
#include "engine/gui/GuiButton.h"
#include "engine/gui/GuiForm.h"
#include "engine/gui/GuiLabel.h"

void ShowForm(TGuiBase& gui, TControlName form, bool visible) {
  if (TGuiForm* f = FindForm(gui, form)) f->SetVisible(visible);
}

bool FormVisible(TGuiBase& gui, TControlName form) {
  const TGuiForm* f = FindForm(gui, form);
  return f && f->Visible();
}

void PlaceForm(TGuiBase& gui, TControlName form, int left, int top) {
  if (TGuiForm* f = FindForm(gui, form)) f->SetBounds(left, top, f->Width(), f->Height());
}

int FormWidth(TGuiBase& gui, TControlName form) {
  const TGuiForm* f = FindForm(gui, form);
  return f ? f->Width() : 0;
}

int FormHeight(TGuiBase& gui, TControlName form) {
  const TGuiForm* f = FindForm(gui, form);
  return f ? f->Height() : 0;
}

void CentreForm(TGuiBase& gui, TControlName form, TControlName sizeOf) {
  PlaceForm(gui, form, 400 - FormWidth(gui, sizeOf) / 2, 300 - FormHeight(gui, sizeOf) / 2);
  ShowForm(gui, form, true);
}

void CentreForm(TGuiBase& gui, TControlName form) { CentreForm(gui, form, form); }

void CentreForm(TGuiBase& gui, TControlName form, int shiftRight) {
  PlaceForm(gui, form, 400 - FormWidth(gui, form) / 2 + shiftRight, 300 - FormHeight(gui, form) / 2);
  ShowForm(gui, form, true);
}

void SetLabelText(TGuiBase& gui, TControlName label, const std::string& text) {
  if (TGuiLabel* l = FindLabel(gui, label)) {
    // Setting the same text again would restart a typed-out label.
    if (l->Text() != text) l->SetText(text);
  }
}

std::string LabelText(TGuiBase& gui, TControlName label) {
  const TGuiLabel* l = FindLabel(gui, label);
  return l ? l->Text() : std::string();
}

void SetLabelColors(TGuiBase& gui, TControlName label, TColor top, TColor bottom) {
  if (TGuiLabel* l = FindLabel(gui, label)) l->Font.SetColors(top, bottom);
}

void ShowControl(TGuiBase& gui, TControlName control, bool visible) {
  if (TGuiControl* c = FindNamed(gui, control)) c->SetVisible(visible);
}

bool ControlVisible(TGuiBase& gui, TControlName control) {
  const TGuiControl* c = FindNamed(gui, control);
  return c && c->Visible();
}

void ShowButton(TGuiBase& gui, TControlName button, bool visible) {
  if (TGuiButton* b = FindButton(gui, button)) b->SetVisible(visible);
}

bool ButtonVisible(TGuiBase& gui, TControlName button) {
  const TGuiButton* b = FindButton(gui, button);
  return b && b->Visible();
}

std::string SecondsText(int64_t seconds) { return WithThousands(seconds) + " s"; }

std::string WithThousands(int64_t number) {
  const bool negative = number < 0;
  std::string digits = std::to_string(negative ? -number : number);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return negative ? "-" + out : out;
}

std::string ClockText(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  seconds %= 24 * 3600;  // a time of day wraps at midnight
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return text;
}
