// The menus of the game: the seven buttons of the main menu, the options form,
// the level-pack chooser, the continue dialog and the quit menu during play.
// The game object owns one; the buttons and the forms' controls call into it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class Tmain;
class TMenuButton;

// One level pack found under "levels/": its folder name and the number of
// ".lvl" files in it (which may differ from the levels it plays: those are
// counted from 1 without a gap).
struct TPackEntry {
  std::string Name;
  int LevelFiles = 0;
  // Both files of level 1 are there: the pack can be played.
  bool FirstLevel = false;
};

// Every folder of levelsFolder holding at least one ".lvl" file and whose
// name can be used as a pack name, in alphabetical order (ignoring case).
// The process's current folder is left alone.
std::vector<TPackEntry> ScanLevelPacks(const std::string& levelsFolder);
// The packs of the player's levels folder and of the shipped one together; a
// pack of the player's hides a shipped one of the same name.
std::vector<TPackEntry> ScanLevelPacks(const std::string& playerLevels, const std::string& shippedLevels);

class TMenus {
 public:
  explicit TMenus(Tmain& game);

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
  void ToggleMusic();
  void ToggleSound();
  void ToggleSystemCursor();
  void GoLevelEditor();
  void ShowCredits();

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

 private:
  // Checks that the pack has a level 1 before a game starts; tells the
  // player when it has none.
  bool PackPlayable(const std::string& pack);

  Tmain& Game;
  std::array<TMenuButton*, 7> Buttons_{};
  int PendingClick_ = -1;
};
