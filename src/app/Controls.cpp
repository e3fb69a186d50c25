#include "app/Controls.h"

#include "app/Main.h"
#include "board/Board.h"
#include "board/BoardCursor.h"
#include "engine/gui/GuiEdit.h"
#include "engine/gui/GuiFocus.h"
#include "engine/gui/GuiTaskbar.h"
#include "screens/Menus.h"

TControls::TAction TControls::KeyAction(int key) const {
  const bool play = IsPlayState(Game_.ScreenState);
  switch (key) {
    case plat::vkLeft: return acLeft;
    case plat::vkRight: return acRight;
    case plat::vkUp: return acUp;
    case plat::vkDown: return acDown;
    case plat::vkTab: return Game_.aKeyboard.KeyDown(plat::vkShift) ? acPrev : acNext;
    case plat::vkSpace:
    case plat::vkReturn: return acPress;
    case plat::vkEscape: return acBack;
    case '1': return acSpellTree;
    case '2': return acSpellWater;
    case '3': return acSpellFire;
    case '4': return acSpellMountain;
    case 'A': return play ? acLeft : acNone;
    case 'D': return play ? acRight : acNone;
    case 'W': return play ? acUp : acNone;
    case 'S': return play ? acDown : acNone;
    default: return acNone;
  }
}

TControls::TAction TControls::PadAction(plat::PadButton button) {
  using plat::PadButton;
  switch (button) {
    case PadButton::A: return acPress;
    case PadButton::B:
    case PadButton::Back: return acBack;
    case PadButton::X: return acSpellTree;
    case PadButton::Y: return acSpellWater;
    case PadButton::LeftShoulder: return acSpellFire;
    case PadButton::RightShoulder: return acSpellMountain;
    case PadButton::Start: return acMenu;
    default: return acNone;  // the d-pad moves through Tick, with repeat
  }
}

namespace {
// The keyboard's focus rests in a visible edit field: Space and the letters
// type there, the side arrows move its caret.
bool TypingInField(TGuiControl& root) {
  TGuiControl* c = &root;
  while (TGuiControl* next = c->FocusedChild()) {
    if (!next->Visible()) return false;
    c = next;
  }
  return c != &root && c->Kind() == TGuiKind::Edit && c->Enabled() && !static_cast<TGuiEdit*>(c)->ReadOnly;
}
}  // namespace

bool TControls::KeyDown(int key) {
  Swallow_ = 0;
  if ((key == plat::vkSpace || key == plat::vkLeft || key == plat::vkRight || (key >= 'A' && key <= 'Z')) &&
      !IsPlayState(Game_.ScreenState) && TypingInField(Game_.GuiBase1.Root()))
    return false;
  const TAction action = KeyAction(key);
  if (action == acNone || !Act(action)) return false;
  // The letter keys also type their letter: it is no developer key then.
  if (key >= 'A' && key <= 'Z') Swallow_ = static_cast<unsigned char>(key - 'A' + 'a');
  return true;
}

bool TControls::SwallowChar(unsigned char ch) {
  const unsigned char expected = Swallow_;
  Swallow_ = 0;
  return expected != 0 && (ch == expected || ch == expected - 'a' + 'A');
}

void TControls::PadDown(plat::PadButton button) {
  const TAction action = PadAction(button);
  if (action == acNone || Act(action)) return;
  // Not taken here: Start and B are Escape to the rest of the game (the
  // quit menu during play, back from the map), A is Space (past the splash).
  if (action == acMenu || action == acBack)
    Game_.FormKeyDown(plat::vkEscape);
  else if (action == acPress)
    Game_.FormKeyDown(plat::vkSpace);
}

void TControls::Tick() {
  int dx = 0, dy = 0;
  if (Game_.aPad.RepeatTick(dx, dy)) Direction(dx, dy);
}

bool TControls::Direction(int dx, int dy) {
  if (dx < 0) return Act(acLeft);
  if (dx > 0) return Act(acRight);
  if (dy < 0) return Act(acUp);
  if (dy > 0) return Act(acDown);
  return false;
}

bool TControls::Act(TAction action) {
  const uint8_t screen = Game_.ScreenState;
  // The editor keeps its own keys; its test play has the board's.
  if (screen == ssEditor) return false;
  int dx = 0, dy = 0;
  if (action == acLeft) dx = -1;
  if (action == acRight) dx = 1;
  if (action == acUp) dy = -1;
  if (action == acDown) dy = 1;
  const bool direction = dx != 0 || dy != 0;

  TBoard* board = Game_.BoardIfAny();
  // A won level's result takes no board keys: its form (or its count) does.
  const bool boardBusy = board && (board->Completed || board->ResultShown);
  const bool boardKeys =
      IsPlayState(screen) && board && board->Cursor && !Game_.DialogOpen && !Game_.HintShown && !boardBusy;
  TGuiTaskbar& root = Game_.GuiBase1.Root();
  TGuiFocus& focus = Game_.GuiBase1.Focus;

  if (!boardKeys && TGuiFocus::FrontForm(root)) {
    // A form is up: its buttons take the keys.
    if (direction) return focus.Move(root, dx, dy);
    if (action == acNext || action == acPrev) return focus.Next(root, action == acPrev);
    if (action == acPress) return focus.Press(root);
    // Back presses the form's cancel button. The editor's test play keeps
    // its own Escape (back to the editor).
    if (action == acBack) return screen != ssEditorTest && focus.Cancel(root);
    return false;
  }

  if (IsPlayState(screen)) {
    // The tally of a won level: a press hurries its count, as a click does.
    if (board && board->ResultShown && action == acPress) {
      Game_.KeyClick = true;
      return true;
    }
    if (!boardKeys || Game_.GamePaused) return false;
    TBoardCursor& cursor = *board->Cursor;
    if (direction) {
      cursor.Step(dx, dy);
      return true;
    }
    switch (action) {
      case acPress:
        cursor.Press();
        return true;
      case acBack:
        return cursor.CancelPick();  // else Escape's quit menu
      case acSpellTree:
      case acSpellWater:
      case acSpellFire:
      case acSpellMountain:
        if (Game_.Magic().UseButton(action - acSpellTree + 1)) cursor.Show();
        return true;
      default:
        return false;
    }
  }

  if (screen == ssMainMenu) {
    if (Game_.CreditsRunning) {
      if (action != acPress && action != acBack) return false;
      Game_.KeyClick = true;  // the roll's "click to go back"
      return true;
    }
    if (direction) return Game_.Menus->MenuKeyMove(dx != 0 ? dx : dy);
    if (action == acPress) return Game_.Menus->MenuKeyPress();
    return false;
  }

  // The screens a click leads on from: a press, or back, does the same.
  // The map keeps its own Escape, the splash its Space and Escape.
  if (action == acPress || (action == acBack && screen != ssMap)) {
    if (screen == ssStory || screen == ssMap || screen == ssEndCredits || screen == ssHiscores ||
        screen == ssGameOver) {
      Game_.KeyClick = true;
      return true;
    }
  }
  return false;
}
