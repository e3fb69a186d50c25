// Small helpers for the forms that play opens and fills: the result form, the
// tally's labels, the hint bubble and the time-over form. Each does nothing
// when the layout lacks the control, so a missing control costs its text,
// never the game.
#pragma once

#include <cstdint>
#include <string>

#include "engine/render/CanopyTypes.h"
#include "layout/ControlNames.h"

class TGuiBase;

// Shows or hides a form.
void ShowForm(TGuiBase& gui, TControlName form, bool visible);
bool FormVisible(TGuiBase& gui, TControlName form);
// Moves a form's top-left corner to (left, top), keeping its size.
void PlaceForm(TGuiBase& gui, TControlName form, int left, int top);
// Width and height of a form (0 when absent).
int FormWidth(TGuiBase& gui, TControlName form);
int FormHeight(TGuiBase& gui, TControlName form);
// Shows a form centred on (400, 300) by the size of `sizeOf` (itself unless
// another form is named).
void CentreForm(TGuiBase& gui, TControlName form, TControlName sizeOf);
void CentreForm(TGuiBase& gui, TControlName form);
// Shows a form centred on (400 + shiftRight, 300) by its own size.
void CentreForm(TGuiBase& gui, TControlName form, int shiftRight);

void SetLabelText(TGuiBase& gui, TControlName label, const std::string& text);
std::string LabelText(TGuiBase& gui, TControlName label);
// The label's two text colours: top and bottom of its vertical gradient.
void SetLabelColors(TGuiBase& gui, TControlName label, TColor top, TColor bottom);
// Shows or hides any control of a form (a label, a button).
void ShowControl(TGuiBase& gui, TControlName control, bool visible);
bool ControlVisible(TGuiBase& gui, TControlName control);
void ShowButton(TGuiBase& gui, TControlName button, bool visible);
bool ButtonVisible(TGuiBase& gui, TControlName button);

// "12,345": the number in decimal with thousands separators.
std::string WithThousands(int64_t number);
// A count of seconds with its unit: "1,200 s", "2 s".
std::string SecondsText(int64_t seconds);
// Seconds as a time of day, "hh:mm:ss" (100 reads 00:01:40); negative
// counts read as 00:00:00.
std::string ClockText(int64_t seconds);
