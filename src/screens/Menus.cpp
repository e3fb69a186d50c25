#include "screens/Menus.h"

#include <algorithm>
#include <filesystem>

#include "board/Board.h"
#include "editor/LevelEditor.h"
#include "engine/core/SafeFile.h"
#include "engine/core/TextCompare.h"
#include "engine/gui/GuiButton.h"
#include "engine/gui/GuiCheckBox.h"
#include "engine/gui/GuiForm.h"
#include "engine/gui/GuiListBox.h"
#include "layout/PlayForms.h"
#include "platform/Platform.h"
#include "players/Player.h"
#include "screens/MenuSprites.h"
#include "screens/PlayerForms.h"
#include "screens/ScreenHost.h"

namespace fs = std::filesystem;

TMenus::TMenus(TScreenHost& game) : Game(game) {}

void TMenus::CreateButtons() {
  for (uint8_t kind : {0, 5, 2, 4, 1, 3, 6}) {
    if (!Buttons_[kind]) Buttons_[kind] = new TMenuButton(Game, kind);
  }
}

void TMenus::KillButtons() {
  for (TMenuButton*& button : Buttons_) {
    if (button) button->Dead();
    button = nullptr;
  }
  PendingClick_ = -1;
}

void TMenus::ButtonGone(const TMenuButton* button) {
  for (TMenuButton*& b : Buttons_) {
    if (b == button) b = nullptr;
  }
}

void TMenus::RequestClick(uint8_t kind) { PendingClick_ = kind; }

void TMenus::RunPendingClick() {
  if (PendingClick_ < 0) return;
  const int kind = PendingClick_;
  PendingClick_ = -1;
  switch (kind) {
    case TMenuButton::kAdventure:
    case TMenuButton::kRelaxed:
      Game.RelaxedMode = kind == TMenuButton::kRelaxed;
      OpenPackChooser();
      break;
    case TMenuButton::kOptions:
      OpenOptions();
      break;
    case TMenuButton::kHiscores:
      Game.ShowHiscores();
      break;
    case TMenuButton::kQuit:
      ExitGame();
      break;
    case TMenuButton::kPlayer:
      Game.PlayerForms->OpenSelectPlayer();
      break;
    case TMenuButton::kCreditsBack:
      Game.EndMenuCredits();
      break;
    default:
      break;
  }
}

void TMenus::BindControls() {
  TGuiBase& gui = Game.GuiBase1;
  auto bind = [&](TControlName name, auto handler) {
    if (TGuiButton* b = FindButton(gui, name)) b->OnClick = [handler](TGuiControl&) { handler(); };
  };
  bind(TControlName::ContinueOk, [this] { ContinueChosen(); });
  bind(TControlName::ContinueNew, [this] { NewGameChosen(); });
  bind(TControlName::dlpOk, [this] { ChoosePack(); });
  bind(TControlName::dlpCancel, [this] { CancelPack(); });
  bind(TControlName::QuitResumeGame, [this] { ResumeGame(); });
  bind(TControlName::QuitRestartLevel, [this] { Game.Board().RetryLevel(); });
  bind(TControlName::QuitSave, [this] { QuitSaving(); });
  bind(TControlName::QuitNoSave, [this] { QuitNotSaving(); });
  bind(TControlName::QuitExitWindows, [this] { ExitGame(); });
  Game.PlayerForms->Bind();
  Game.BindPlayControls();
}

// ---- The options form ------------------------------------------------------

void TMenus::OpenOptions() {
  TGuiBase& gui = Game.GuiBase1;
  Game.PlayGameSound("menu-select.ogg");
  Game.DialogOpen = true;
  // A little right of the middle, clear of the menu's sign.
  CentreForm(gui, TControlName::GameOptions, 100);
  // The boxes show the options first; only then do they get their handlers,
  // so showing them toggles nothing.
  const TPlayer& player = Game.Player();
  const std::pair<TControlName, bool> boxes[] = {
      {TControlName::CbxFull, Game.Platform.FullScreen()},
      {TControlName::CbxIngameMusic, player.MusicOn != 0},
      {TControlName::CbxWindowsCursor, player.SystemCursor != 0},
      {TControlName::CbxSound, player.SoundOn != 0},
  };
  for (const auto& [name, checked] : boxes) {
    if (TGuiCheckBox* box = FindCheckBox(gui, name)) {
      box->OnChange = nullptr;
      box->SetChecked(checked);
    }
  }
  auto change = [&](TControlName name, void (TMenus::*handler)()) {
    if (TGuiCheckBox* box = FindCheckBox(gui, name)) box->OnChange = [this, handler](TGuiControl&) { (this->*handler)(); };
  };
  change(TControlName::CbxFull, &TMenus::ToggleFullScreen);
  change(TControlName::CbxIngameMusic, &TMenus::ToggleMusic);
  change(TControlName::CbxWindowsCursor, &TMenus::ToggleSystemCursor);
  change(TControlName::CbxSound, &TMenus::ToggleSound);
  auto click = [&](TControlName name, void (TMenus::*handler)()) {
    if (TGuiButton* b = FindButton(gui, name)) b->OnClick = [this, handler](TGuiControl&) { (this->*handler)(); };
  };
  click(TControlName::GoLevelEditor, &TMenus::GoLevelEditor);
  click(TControlName::GoBack, &TMenus::CloseOptions);
  click(TControlName::GoCredits, &TMenus::ShowCredits);
  click(TControlName::GoControls, &TMenus::OpenControls);
  click(TControlName::ctlBack, &TMenus::CloseControls);
}

void TMenus::OpenControls() {
  if (Game.CreditsRunning) return;
  Game.PlayGameSound("menu-select.ogg");
  CentreForm(Game.GuiBase1, TControlName::ControlsPicture);
  if (TGuiForm* form = FindForm(Game.GuiBase1, TControlName::ControlsPicture)) form->BringToFront();
}

void TMenus::CloseControls() {
  Game.PlayGameSound("menu-select.ogg");
  ShowForm(Game.GuiBase1, TControlName::ControlsPicture, false);
}

void TMenus::CloseOptions() {
  // The first clicks of a fresh menu and clicks while the credits roll do
  // not close it; the player simply clicks again.
  if (Game.ScreenTicks <= 300 || Game.CreditsRunning) return;
  Game.PlayGameSound("menu-select.ogg");
  Game.SaveConfig();
  ShowForm(Game.GuiBase1, TControlName::GameOptions, false);
  Game.DialogOpen = false;
}

void TMenus::ToggleFullScreen() {
  Game.PlayGameSound("checkbox.ogg");
  Game.SetFullScreen(!Game.Platform.FullScreen());
  ShowFullScreenBox();
}

void TMenus::ShowFullScreenBox() {
  // The box shows what the window system actually gave; showing it toggles
  // nothing.
  if (TGuiCheckBox* box = FindCheckBox(Game.GuiBase1, TControlName::CbxFull)) {
    auto handler = std::move(box->OnChange);
    box->SetChecked(Game.Platform.FullScreen());
    box->OnChange = std::move(handler);
  }
}

void TMenus::ToggleMusic() {
  TPlayer& player = Game.Player();
  player.MusicOn = player.MusicOn ? 0 : 1;
  Game.PlayGameSound("checkbox.ogg");
  if (player.MusicOn)
    Game.PlayGameMusic("MainMenuMusic", true);
  else
    Game.StopGameMusic("MainMenuMusic");
}

void TMenus::ToggleSound() {
  TPlayer& player = Game.Player();
  player.SoundOn = player.SoundOn ? 0 : 1;
  // After the flip: heard only when the sound comes on.
  Game.PlayGameSound("checkbox.ogg");
}

void TMenus::ToggleSystemCursor() {
  TPlayer& player = Game.Player();
  player.SystemCursor = player.SystemCursor ? 0 : 1;
  Game.PlayGameSound("checkbox.ogg");
}

void TMenus::GoLevelEditor() {
  Game.PlayGameSound("menu-select.ogg");
  if (Game.CreditsRunning) Game.EndMenuCredits();
  // The options close and keep what the player set, also in the menu's first
  // seconds, when their own back button still waits.
  Game.SaveConfig();
  ShowForm(Game.GuiBase1, TControlName::GameOptions, false);
  Game.DialogOpen = false;
  Game.ClearMainMenu();
  Game.Editor->Enter();
}

void TMenus::ShowCredits() { Game.ShowCredits(); }

// ---- Starting a game -------------------------------------------------------

void TMenus::OpenPackChooser() {
  TGuiBase& gui = Game.GuiBase1;
  Game.LevelPacks.clear();
  TGuiListBox* list = FindListBox(gui, TControlName::LevelPacksList);
  if (list) list->Clear();
  for (const TPackEntry& pack : ScanLevelPacks(Game.SavePath("levels"), Game.ProgramPath("levels"))) {
    // A pack without its first level cannot be played: it is not offered.
    if (!pack.FirstLevel) continue;
    if (list) list->Add(plat::Utf8ToAnsi(pack.Name) + " - " + std::to_string(pack.LevelFiles) + " Levels");
    Game.LevelPacks.push_back(pack.Name);
  }
  if (Game.LevelPacks.size() < 2) {
    if (!PackPlayable(kStoryPackName)) return;
    Game.Board().PackName = kStoryPackName;
    PackStep();
    return;
  }
  // The first pack is chosen until the player picks another, so "Play"
  // always has a pack to start.
  if (list) list->SetItemIndex(0);
  PlaceForm(gui, TControlName::fmLevelPacks, 280, 100);
  ShowForm(gui, TControlName::fmLevelPacks, true);
  Game.DialogOpen = true;
}

void TMenus::ChoosePack() {
  TGuiBase& gui = Game.GuiBase1;
  TGuiListBox* list = FindListBox(gui, TControlName::LevelPacksList);
  const int line = list ? list->ItemIndex() : -1;
  if (line < 0 || line >= static_cast<int>(Game.LevelPacks.size())) return;
  const std::string pack = Game.LevelPacks[static_cast<size_t>(line)];
  ShowForm(gui, TControlName::fmLevelPacks, false);
  Game.DialogOpen = false;
  if (list) list->SetItemIndex(0);
  if (!PackPlayable(pack)) return;
  Game.Board().PackName = pack;
  PackStep();
}

void TMenus::CancelPack() {
  ShowForm(Game.GuiBase1, TControlName::fmLevelPacks, false);
  Game.DialogOpen = false;
}

bool TMenus::PackPlayable(const std::string& pack) {
  if (CountPackLevels(Game.PackHome(pack), pack) > 0) return true;
  // Only the campaign comes with the game; a pack of the player's is
  // incomplete, which no build or install mends.
  const std::string where = " has no first level (levels/" + PrintableName(plat::Utf8ToAnsi(pack)) + "/1.lvl).";
  if (pack == kStoryPackName)
    Game.ShowError("The level pack \"" + pack + "\"" + where + " Please build or reinstall the game.");
  else
    Game.ShowError("The level pack \"" + PrintableName(plat::Utf8ToAnsi(pack)) + "\" is incomplete: it" + where);
  return false;
}

void TMenus::PackStep() {
  Game.LoadProgress();
  if (Game.Player().LevelReached == 1) {
    NewGameStep();
    return;
  }
  PlaceForm(Game.GuiBase1, TControlName::formContinue, 280, 100);
  ShowForm(Game.GuiBase1, TControlName::formContinue, true);
  Game.DialogOpen = true;
}

void TMenus::NewGameStep() {
  const TBoard* board = Game.BoardIfAny();
  if (board && board->PackName == kStoryPackName && !Game.RelaxedMode)
    Game.ShowStory();
  else
    Game.StartNewGame();
}

void TMenus::ContinueChosen() {
  // The dialog closes first: setting the level up takes the score at the
  // level's start only while no dialog is open.
  ShowForm(Game.GuiBase1, TControlName::formContinue, false);
  Game.DialogOpen = false;
  Game.ContinueGame();
}

void TMenus::NewGameChosen() {
  ShowForm(Game.GuiBase1, TControlName::formContinue, false);
  Game.DialogOpen = false;
  NewGameStep();
}

// ---- The quit menu ---------------------------------------------------------

void TMenus::OpenQuitMenu() {
  TGuiBase& gui = Game.GuiBase1;
  Game.PlayGameSound("mouse-over-menu.ogg");
  if (TGuiButton* restart = FindButton(gui, TControlName::QuitRestartLevel))
    restart->SetEnabled(Game.Player().Lives > 1);
  CentreForm(gui, TControlName::QuitMenu);
  Game.DialogOpen = true;
}

void TMenus::ResumeGame() {
  Game.PlayGameSound("menu-select.ogg");
  ShowForm(Game.GuiBase1, TControlName::QuitMenu, false);
  Game.DialogOpen = false;
}

void TMenus::QuitSaving() {
  Game.PlayGameSound("menu-select.ogg");
  Game.SaveProgress();
  ResumeGame();
  Game.QuitToMainMenu();
}

void TMenus::QuitNotSaving() {
  Game.PlayGameSound("menu-select.ogg");
  ResumeGame();
  Game.QuitToMainMenu();
}

void TMenus::ExitGame() {
  Game.PlayGameSound("menu-select.ogg");
  Game.Close();
}
