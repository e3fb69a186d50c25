// Every form and control of the GUI layout that the game finds by name, with
// the kind it expects. The game reaches layout controls only through these
// names and the typed finders below, so a name or kind that drifts from the
// layout file is caught by one test instead of a crash in play.
#pragma once

#include <string_view>
#include <vector>

#include "engine/gui/GuiProperties.h"

class TGuiBase;
class TGuiControl;
class TGuiForm;
class TGuiButton;
class TGuiCheckBox;
class TGuiListBox;
class TGuiLabel;
class TGuiEdit;
class TGuiPaint;

// X(name, kind), grouped by the form that holds them.
#define GW_CONTROL_NAMES(X)                                                                          \
  /* Options over the main menu */                                                                 \
  X(GameOptions, Form) X(CbxFull, CheckBox) X(CbxIngameMusic, CheckBox) X(CbxWindowsCursor, CheckBox) \
  X(CbxSound, CheckBox) X(GoLevelEditor, Button) X(GoBack, Button) X(GoCredits, Button)              \
  X(GoControls, Button) X(ControlsPicture, Form) X(ctlBack, Button)                                  \
  /* Continue a saved game, or start anew */                                                        \
  X(formContinue, Form) X(ContinueOk, Button) X(ContinueNew, Button)                                 \
  /* Level-pack chooser */                                                                          \
  X(fmLevelPacks, Form) X(LevelPacksList, ListBox) X(dlpOk, Button) X(dlpCancel, Button)             \
  /* Quit menu during play */                                                                       \
  X(QuitMenu, Form) X(QuitResumeGame, Button) X(QuitRestartLevel, Button) X(QuitSave, Button)        \
  X(QuitNoSave, Button) X(QuitExitWindows, Button)                                                  \
  /* Player forms */                                                                                \
  X(CreateNewPlayer, Form) X(newPlayerName, Edit) X(btnNewPlayerOk, Button)                          \
  X(btnNewPlayerCancel, Button) X(SelectPlayer, Form) X(ListBoxPlayers, ListBox)                     \
  X(btSpNewPlayer, Button) X(btSpOk, Button) X(btSpCancel, Button) X(formRemoveConfirmation, Form)   \
  X(removePlayerName, Edit) X(removeYes, Button) X(removeNo, Button)                                 \
  /* Hint bubble */                                                                                 \
  X(HelpGUI, Form) X(HelpText, Label) X(HelpGuiContinue, Button)                                     \
  /* End-of-level result and tally */                                                               \
  X(formNextLevel, Form) X(nlTime, Label) X(nlMana, Label) X(nlBonusPoints, Label) X(nlScore, Label) \
  X(nlLives, Label) X(nlNext, Button) X(nlTimeCaption, Label)                                        \
  /* The end of a pack without an ending */                                                        \
  X(formPackComplete, Form) X(pcText, Label) X(pcScore, Label) X(pcOk, Button)                       \
  /* Results of the editor's test play */                                                           \
  X(LevelTestCompleted, Form) X(ltTime, Label) X(ltTimeToComplete, Label) X(ltTimeRemain, Label)     \
  X(ltOk, Button) X(formTimeOver, Form) X(LevelTime, Label) X(btTryAgain, Button) X(btGiveUp, Button) \
  /* Level editor: pack choice */                                                                   \
  X(formLevelEditorSelect, Form) X(LevelList, ListBox) X(newName, Edit) X(btnNew, Button)            \
  X(btnLoad, Button) X(btnExitLevelEditor, Button)                                                  \
  /* Level editor: the bar */                                                                       \
  X(BoardOperations, Form) X(gpPrior, Button) X(gpNext, Button) X(gpInsert, Button) X(gpSave, Button) \
  X(gpCancel, Button) X(gpClean, Button) X(gpFill, Button) X(gpOptions, Button) X(gpExit, Button)    \
  X(btnTestar, Button) X(btLevel, Button) X(gpLevel, Label) X(LevelStatus, Label)                    \
  X(PaintSelection, Paint) X(btnTab, Button) X(btnWood, Button) X(btnFerro, Button)                  \
  X(btnEraser, Button) X(btnSpawn, Button) X(btnForceField, Button) X(btnForceField2, Button)        \
  X(btnRebarba1, Button) X(btnRebarba2, Button) X(btnRebarba3, Button) X(btnRebarba4, Button)        \
  X(btnRebarba5, Button) X(btnRebarba6, Button) X(btnRebarba7, Button) X(btnRebarba8, Button)        \
  X(btnSpriteRed, Button) X(btnSpriteFire, Button) X(btnSpriteTree, Button) X(btnSpriteBlack, Button) \
  X(btnSpritePearl, Button) X(btnSpriteGota, Button) X(btnSpriteCristal, Button)                     \
  X(btnSpriteBook, Button)                                                                          \
  /* Level editor: level options */                                                                 \
  X(formLevelOptions, Form) X(loLevelTime, Edit) X(loMaxCaveiras, Edit) X(loBackGround, Edit)        \
  X(btnBackUp, Button) X(btnBackDown, Button) X(Paint1, Paint) X(LsTree, CheckBox)                   \
  X(LsFire, CheckBox) X(LsBlack, CheckBox) X(LsCristal, CheckBox) X(LsGota, CheckBox)                \
  X(LsBook, CheckBox) X(LsPearl, CheckBox) X(LsRed, CheckBox) X(loOk, Button) X(loCancel, Button)    \
  /* Level editor: dialogs */                                                                       \
  X(formConfirmation, Form) X(Message, Label) X(btnYes, Button) X(btnNo, Button)                     \
  X(formGotoLevel, Form) X(GotoLevel, Edit) X(gotoOk, Button) X(gotoCancel, Button)                  \
  X(QuitLevelEditor, Form) X(QuitYes, Button) X(QuitNo, Button)

enum class TControlName : int {
#define GW_CONTROL_ENUM(name, kind) name,
  GW_CONTROL_NAMES(GW_CONTROL_ENUM)
#undef GW_CONTROL_ENUM
};

struct TControlNameInfo {
  TControlName Id;
  const char* Name;
  TGuiKind Kind;
};

// Every entry, in the order above.
const std::vector<TControlNameInfo>& ControlNameTable();
const TControlNameInfo& ControlNameInfo(TControlName name);
std::string_view ControlNameText(TControlName name);

// The control of that name, or nullptr when the layout lacks it.
TGuiControl* FindNamed(TGuiBase& gui, TControlName name);
// Typed finders: nullptr when the control is absent or not of that kind (or
// when the name is listed with another kind).
TGuiForm* FindForm(TGuiBase& gui, TControlName name);
TGuiButton* FindButton(TGuiBase& gui, TControlName name);
TGuiCheckBox* FindCheckBox(TGuiBase& gui, TControlName name);
TGuiListBox* FindListBox(TGuiBase& gui, TControlName name);
TGuiLabel* FindLabel(TGuiBase& gui, TControlName name);
TGuiEdit* FindEdit(TGuiBase& gui, TControlName name);
TGuiPaint* FindPaint(TGuiBase& gui, TControlName name);
