#include "layout/ControlNames.h"

#include "engine/gui/GuiBase.h"
#include "engine/gui/GuiButton.h"
#include "engine/gui/GuiCheckBox.h"
#include "engine/gui/GuiEdit.h"
#include "engine/gui/GuiForm.h"
#include "engine/gui/GuiGauge.h"
#include "engine/gui/GuiLabel.h"
#include "engine/gui/GuiListBox.h"

const std::vector<TControlNameInfo>& ControlNameTable() {
  static const std::vector<TControlNameInfo> table = {
#define GW_CONTROL_ROW(name, kind) {TControlName::name, #name, TGuiKind::kind},
      GW_CONTROL_NAMES(GW_CONTROL_ROW)
#undef GW_CONTROL_ROW
  };
  return table;
}

const TControlNameInfo& ControlNameInfo(TControlName name) {
  return ControlNameTable()[static_cast<size_t>(name)];
}

std::string_view ControlNameText(TControlName name) { return ControlNameInfo(name).Name; }

TGuiControl* FindNamed(TGuiBase& gui, TControlName name) { return gui.FindControl(ControlNameText(name)); }

namespace {
template <class T>
T* FindTyped(TGuiBase& gui, TControlName name, TGuiKind kind) {
  if (ControlNameInfo(name).Kind != kind) return nullptr;
  TGuiControl* c = FindNamed(gui, name);
  return c && c->Kind() == kind ? static_cast<T*>(c) : nullptr;
}
}  // namespace

TGuiForm* FindForm(TGuiBase& gui, TControlName name) { return FindTyped<TGuiForm>(gui, name, TGuiKind::Form); }
TGuiButton* FindButton(TGuiBase& gui, TControlName name) {
  return FindTyped<TGuiButton>(gui, name, TGuiKind::Button);
}
TGuiCheckBox* FindCheckBox(TGuiBase& gui, TControlName name) {
  return FindTyped<TGuiCheckBox>(gui, name, TGuiKind::CheckBox);
}
TGuiListBox* FindListBox(TGuiBase& gui, TControlName name) {
  return FindTyped<TGuiListBox>(gui, name, TGuiKind::ListBox);
}
TGuiLabel* FindLabel(TGuiBase& gui, TControlName name) { return FindTyped<TGuiLabel>(gui, name, TGuiKind::Label); }
TGuiEdit* FindEdit(TGuiBase& gui, TControlName name) { return FindTyped<TGuiEdit>(gui, name, TGuiKind::Edit); }
TGuiPaint* FindPaint(TGuiBase& gui, TControlName name) { return FindTyped<TGuiPaint>(gui, name, TGuiKind::Paint); }
