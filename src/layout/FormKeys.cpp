#include "layout/FormKeys.h"

#include "engine/core/TextCompare.h"

namespace {
struct TFormKeys {
  const char* Form;
  const char* Default;
  const char* Cancel;
};
// A form that asks a question has no cancel button: Escape leaves it to
// the mouse or to an explicit choice. The hint's Escape stays the game
// menu's, which hides the bubble until it closes.
constexpr TFormKeys kFormKeys[] = {
    {"GameOptions", "GoBack", "GoBack"},
    {"ControlsPicture", "ctlBack", "ctlBack"},
    {"formContinue", "ContinueOk", ""},
    {"fmLevelPacks", "dlpOk", "dlpCancel"},
    {"QuitMenu", "QuitResumeGame", "QuitResumeGame"},
    {"CreateNewPlayer", "btnNewPlayerOk", "btnNewPlayerCancel"},
    {"SelectPlayer", "btSpOk", ""},
    {"formRemoveConfirmation", "removeNo", "removeNo"},
    {"HelpGUI", "HelpGuiContinue", ""},
    {"formNextLevel", "nlNext", ""},
    {"LevelTestCompleted", "ltOk", "ltOk"},
    {"formTimeOver", "btTryAgain", ""},
    {"formPackComplete", "pcOk", "pcOk"},
};
}  // namespace

void FormKeyButtons(const std::string& form, std::string& defaultButton, std::string& cancelButton) {
  defaultButton.clear();
  cancelButton.clear();
  for (const TFormKeys& f : kFormKeys) {
    if (SameText(form, f.Form)) {
      defaultButton = f.Default;
      cancelButton = f.Cancel;
      return;
    }
  }
}
