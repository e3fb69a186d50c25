// The menus of the game: the seven buttons of the main menu, the options form,
// the level-pack chooser, the continue dialog and the quit menu during play.
// The game object owns one; the buttons and the forms' controls call into it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "board/LevelPacks.h"

class TScreenHost;
class TMenuButton;

class TMenus {
 public:
  explicit TMenus(TScreenHost& game);

  // The main menu's buttons, created in the order 0, 5, 2, 4, 1, 3, 6.
  void CreateButtons();
  void KillButtons();
  void ButtonGone(const TMenuButton* button);
  const std::array<TMenuButton*, 7>& Buttons() const { return Buttons_; }
  // A button was pressed; its action runs at RunPendingClick, after the
  // sprites of the tick have moved.
  void RequestClick(uint8_t kind);
  void RunPendingClick();
  // Binds the click handlers of the menus, the player forms and play.
  void BindControls();

  // The options form.
  void OpenOptions();
  void CloseOptions();
  void ToggleFullScreen();
  // The full-screen box shows whether the game is full screen.
  void ShowFullScreenBox();
  void ToggleMusic();
  void ToggleSound();
  void ToggleSystemCursor();
  void GoLevelEditor();
  void ShowCredits();
  // The picture of the keys and the controller, over the options.
  void OpenControls();
  void CloseControls();

  // Starting a game: the pack chooser, then the saved game or a new one.
  void OpenPackChooser();
  void ChoosePack();
  void CancelPack();
  // The chosen pack is on the board: continue its saved game or start anew.
  void PackStep();
  void NewGameStep();
  void ContinueChosen();
  void NewGameChosen();

  // The quit menu during play.
  void OpenQuitMenu();
  void ResumeGame();
  void QuitSaving();
  void QuitNotSaving();
  void ExitGame();

  // Keys and the pad on the main menu (MenuKeys.cpp): up and down light the
  // entries in turn (the first key lights the first), a press works the lit
  // one as a click would. A mouse that moves puts the light out.
  bool MenuKeyMove(int dy);
  bool MenuKeyPress();
  void MenuKeyHide() { KeyLit_ = -1; }
  int KeyLit() const { return KeyLit_; }

 private:
  // Checks that the pack has a level 1 before a game starts; tells the
  // player when it has none.
  bool PackPlayable(const std::string& pack);

  TScreenHost& Game;
  std::array<TMenuButton*, 7> Buttons_{};
  int PendingClick_ = -1;
  int KeyLit_ = -1;  // the entry the keys lit (-1: none)
};
