// The level editor's test play: going back a level while it runs (the "-"
// key), which the developer keys allow in every state.
#include "board/Board.h"
#include "board/Mouse.h"
#include "editor/EditorHost.h"
#include "editor/LevelEditor.h"
#include "layout/PlayForms.h"

using N = TControlName;

void TLevelEditor::PriorLevelInTest() {
  TBoard& board = Board();
  if (board.LevelNumber < 2) return;
  // The test play goes on with the level before, set up from its files (the
  // level tested so far was saved when the test began). A result or
  // time-over form of the old level goes with it.
  TGuiBase& gui = Game.GuiBase1;
  ShowForm(gui, N::LevelTestCompleted, false);
  ShowForm(gui, N::formTimeOver, false);
  Game.DialogOpen = false;
  Game.FreeSpellButtons();
  if (TMouse* mouse = Game.MouseIfAny()) mouse->Deselect();
  board.LevelNumber -= 1;
  if (!board.LoadLevel()) {
    // Back to the editor, which tells why.
    BackFromTest();
    LoadCurrent();
    return;
  }
  board.ResultShown = board.Completed = 0;
  board.TimeOver = board.NoMoves = 0;
  Game.ScreenTicks = 0;
  Game.IdleCheckTicks = 0;
  Game.StartDelay = 120;
}
