#include "board/LevelOptionsForm.h"

#include <cstdlib>
#include <limits>

#include "engine/gui/GuiCheckBox.h"
#include "engine/gui/GuiEdit.h"
#include "layout/ControlNames.h"

namespace {
struct TKindBox {
  TControlName Box;
  uint8_t TLevelOptions::*Flag;
  const char* Label;  // as the form shows it
};
constexpr TKindBox kKindBoxes[] = {
    {TControlName::LsTree, &TLevelOptions::AllowTree, "Tree"},
    {TControlName::LsFire, &TLevelOptions::AllowFire, "Fire"},
    {TControlName::LsBlack, &TLevelOptions::AllowBlack, "Shadow"},
    {TControlName::LsCristal, &TLevelOptions::AllowCristal, "Crystal"},
    {TControlName::LsGota, &TLevelOptions::AllowGota, "Water"},
    {TControlName::LsBook, &TLevelOptions::AllowBook, "Book"},
    {TControlName::LsPearl, &TLevelOptions::AllowPearl, "Pearl"},
    {TControlName::LsRed, &TLevelOptions::AllowRed, "Mountain"},
};

struct TNumberField {
  TControlName Field;
  int32_t TLevelOptions::*Value;
  const char* What;
  int32_t Min, Max;
};
constexpr TNumberField kNumberFields[] = {
    {TControlName::loLevelTime, &TLevelOptions::LevelTime, "time", kMinLevelTime, kMaxLevelTime},
    {TControlName::loMaxCaveiras, &TLevelOptions::MaxCaveiras, "number of skulls", kMinSkulls, kMaxSkulls},
    {TControlName::loBackGround, &TLevelOptions::Background, "background", kMinBackground, kMaxBackground},
};
}  // namespace

bool ParseWholeNumber(const std::string& text, int32_t& out) {
  const size_t first = text.find_first_not_of(" \t");
  const size_t last = text.find_last_not_of(" \t");
  if (first == std::string::npos) return false;
  const std::string core = text.substr(first, last - first + 1);
  const size_t i = (core[0] == '-' || core[0] == '+') ? 1 : 0;
  if (i >= core.size()) return false;
  for (size_t k = i; k < core.size(); ++k)
    if (core[k] < '0' || core[k] > '9') return false;
  if (core.size() - i > 10) return false;
  const long long v = std::strtoll(core.c_str(), nullptr, 10);
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return false;
  out = static_cast<int32_t>(v);
  return true;
}

std::string PieceKindNames() {
  std::string names;
  for (const TKindBox& k : kKindBoxes) names += std::string(names.empty() ? "" : ", ") + k.Label;
  return names;
}

void TLevelOptionsForm::Show(const TLevelOptions& options) const {
  for (const TNumberField& f : kNumberFields) {
    if (TGuiEdit* edit = FindEdit(Gui, f.Field)) edit->SetText(std::to_string(options.*f.Value));
  }
  for (const TKindBox& k : kKindBoxes) {
    if (TGuiCheckBox* box = FindCheckBox(Gui, k.Box)) box->SetChecked(options.*k.Flag != 0);
  }
}

void TLevelOptionsForm::ShowBackground(int32_t background) const {
  if (TGuiEdit* edit = FindEdit(Gui, TControlName::loBackGround)) edit->SetText(std::to_string(background));
}

bool TLevelOptionsForm::Read(TLevelOptions& out, std::string& error) const {
  // Everything is read into a copy first: a bad field changes nothing.
  TLevelOptions o = out;
  for (const TNumberField& f : kNumberFields) {
    const TGuiEdit* edit = FindEdit(Gui, f.Field);
    if (!edit) {
      error = "The level options form is missing from the screen layout (data/interface.gui).";
      return false;
    }
    int32_t v = 0;
    if (!ParseWholeNumber(edit->Text(), v) || v < f.Min || v > f.Max) {
      error = std::string("The ") + f.What + " must be a whole number from " + std::to_string(f.Min) + " to " +
              std::to_string(f.Max) + ", not \"" + edit->Text() + "\".";
      return false;
    }
    o.*f.Value = v;
  }
  for (const TKindBox& k : kKindBoxes) {
    const TGuiCheckBox* box = FindCheckBox(Gui, k.Box);
    if (!box) {
      error = "The level options form is missing from the screen layout (data/interface.gui).";
      return false;
    }
    o.*k.Flag = box->Checked() ? 1 : 0;
  }
  out = o;
  return true;
}
