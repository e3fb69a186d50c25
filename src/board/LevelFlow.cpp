// The level flow: the win and the fade-out that follows it, the result form
// of play and of the editor's test play, the way on to the next level or out
// of the pack, and the time running out.
#include <string>

#include "players/Player.h"

#include "board/Board.h"
#include "board/BoardHost.h"
#include "board/Mouse.h"
#include "layout/PlayForms.h"

namespace {
constexpr TColor kWhite = 0xFFFFFFFF;
// The gilt of a value that is not being counted.
constexpr TColor kResultTop = 0xFD00FEFE;
constexpr TColor kResultBottom = 0xFD40D0FF;
}  // namespace

void TBoard::LevelWon() {
  if (Game.ScreenState == ssEditorTest) Options.Tested = 1;
  // The tiles and pieces now fade out; the first tile to vanish opens the
  // result (TBoardTab::Move). A piece picked just before the last line broke
  // lets go, or its highlight would stay lit over the emptied screen.
  if (TMouse* mouse = Game.MouseIfAny()) mouse->Deselect();
  Game.FreeSpellButtons();
  Completed = 1;
}

void TBoard::ShowLevelResult() {
  TGuiBase& gui = Game.GuiBase1;
  CentreForm(gui, TControlName::formNextLevel);
  ResultShown = 1;
  Game.SkipTally = false;
  const TPlayer& player = Game.Player();
  SetLabelText(gui, TControlName::nlBonusPoints, "0");
  SetLabelColors(gui, TControlName::nlBonusPoints, kWhite, kWhite);
  SetLabelText(gui, TControlName::nlScore, std::to_string(player.Score));
  SetLabelText(gui, TControlName::nlTime, SecondsText(Options.LevelTime - ElapsedSeconds));
  // Relaxed play has no clock, so no time left to tell: its row says so.
  SetLabelText(gui, TControlName::nlTimeCaption, Game.RelaxedMode ? "No clock in relaxed play" : "Time left");
  ShowControl(gui, TControlName::nlTime, !Game.RelaxedMode);
  SetLabelText(gui, TControlName::nlMana, std::to_string(player.ManaTotal()));
  for (TControlName label : {TControlName::nlScore, TControlName::nlTime, TControlName::nlMana})
    SetLabelColors(gui, label, kResultTop, kResultBottom);
  SetLabelText(gui, TControlName::nlLives, std::to_string(player.Lives));
  ShowButton(gui, TControlName::nlNext, false);
  TallyClock = 0.0;
  TallyPhase = 0;
  TimeBonusLeft = Game.RelaxedMode ? 0 : Options.LevelTime - ElapsedSeconds;
  Bonus = 0;
  Game.ScreenTicks = 0;
}

void TBoard::ShowTestResult() {
  TGuiBase& gui = Game.GuiBase1;
  // Placed by the size of the play result form, as the two share a spot.
  CentreForm(gui, TControlName::LevelTestCompleted, TControlName::formNextLevel);
  SetLabelText(gui, TControlName::ltTime, ClockText(Options.LevelTime));
  SetLabelText(gui, TControlName::ltTimeToComplete, ClockText(ElapsedSeconds));
  SetLabelText(gui, TControlName::ltTimeRemain, ClockText(Options.LevelTime - ElapsedSeconds));
  ResultShown = 1;
  // "ltOk" leads back to the level editor, which binds it.
}

void TBoard::NextLevelClick() {
  Game.PlayGameSound("mouse-over-menu.ogg");
  ShowForm(Game.GuiBase1, TControlName::formNextLevel, false);
  ResultShown = 0;
  Completed = 0;
  // May free this board (the end of the pack): nothing follows it.
  if (Game.ScreenState == ssPlaying) AdvanceLevel();
}

void TBoard::AdvanceLevel() {
  // A level changed in the editor is never left unasked: the level editor
  // asks whether to save it before it comes here.
  if (Modified) return;
  if (LevelNumber >= LevelCount) {
    // The pack is finished: the story pack outside relaxed mode goes on to
    // the ending, every other pack to its message and the end credits. Both
    // free this board in the end.
    if (PackName == kStoryPackName && !Game.RelaxedMode)
      Game.ShowEnding();
    else
      Game.ShowPackComplete();
    return;
  }
  LevelNumber += 1;
  if (!LoadLevel()) {
    Game.ShowError(LastError);
    if (Game.ScreenState == ssPlaying) Game.QuitToMainMenu();
    return;
  }
  // In play the story map comes between two levels and starts the next one
  // with the player's click.
  if (Game.ScreenState == ssPlaying) Game.ShowMap();
}

void TBoard::TimeUp() {
  if (TimeOver) return;
  TimeOver = 1;
  TPlayer& player = Game.Player();
  // A test play in the level editor stakes no lives: it never ends the game.
  if (player.Lives <= 1 && Game.ScreenState != ssEditorTest) {
    // Frees the game objects, this board among them: nothing may follow.
    Game.GameOverStep();
    return;
  }
  player.ClearMana();
  Game.FreeSpellButtons();
  if (Game.ScreenState == ssEditorTest) {
    TGuiBase& gui = Game.GuiBase1;
    CentreForm(gui, TControlName::formTimeOver);
    SetLabelText(gui, TControlName::LevelTime, ClockText(Options.LevelTime));
    Game.DialogOpen = true;
    // "btTryAgain" retries (bound with the play controls); "btGiveUp" leads
    // back to the level editor, which binds it.
  }
  // In play no form opens: the screen says "TIME OVER" and a click retries.
}

void TBoard::RetryLevel() {
  Game.PlayGameSound("menu-select.ogg");
  // The level editor's test play stakes no lives: its retries are free.
  if (!Game.Player().Retry(Game.ScreenState == ssEditorTest)) return;
  Game.FreeSpellButtons();
  const std::string music = Game.CurrentMusic;
  if (!LoadLevel()) Game.ShowError(LastError);
  if (Game.ScreenState == ssPlaying) {
    // Setting the level up again draws its music anew. The old tune must stop
    // under its own name, or it would play on unseen by the pause key, which
    // stops the current one.
    Game.StopGameMusic(music);
    Game.PlayGameMusic(Game.CurrentMusic, true);
  }
  // The retry may come from the quit menu: close it.
  if (FormVisible(Game.GuiBase1, TControlName::QuitMenu)) {
    ShowForm(Game.GuiBase1, TControlName::QuitMenu, false);
    Game.PlayGameSound("menu-select.ogg");
  }
  Game.DialogOpen = false;
  ShowForm(Game.GuiBase1, TControlName::formTimeOver, false);
  TimeOver = 0;
}
