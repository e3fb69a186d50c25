#include "screens/PlayerForms.h"

#include <filesystem>

#include "engine/gui/GuiButton.h"
#include "engine/gui/GuiEdit.h"
#include "engine/gui/GuiListBox.h"
#include "layout/PlayForms.h"
#include "players/Player.h"
#include "players/PlayerFiles.h"
#include "screens/ScreenHost.h"

TPlayerForms::TPlayerForms(TScreenHost& game) : Game(game) {}

void TPlayerForms::Bind() {
  TGuiBase& gui = Game.GuiBase1;
  auto bind = [&](TControlName name, void (TPlayerForms::*handler)()) {
    if (TGuiButton* b = FindButton(gui, name)) b->OnClick = [this, handler](TGuiControl&) { (this->*handler)(); };
  };
  bind(TControlName::btnNewPlayerOk, &TPlayerForms::CreateOk);
  bind(TControlName::btnNewPlayerCancel, &TPlayerForms::CreateCancel);
  bind(TControlName::btSpNewPlayer, &TPlayerForms::OpenCreatePlayer);
  bind(TControlName::btSpOk, &TPlayerForms::SelectOk);
  bind(TControlName::btSpCancel, &TPlayerForms::AskRemove);
  bind(TControlName::removeYes, &TPlayerForms::RemoveYes);
  bind(TControlName::removeNo, &TPlayerForms::RemoveNo);
}

void TPlayerForms::OpenCreatePlayer() {
  TGuiBase& gui = Game.GuiBase1;
  Game.PlayGameSound("menu-select.ogg");
  Game.DialogOpen = true;
  ShowForm(gui, TControlName::SelectPlayer, false);
  CentreForm(gui, TControlName::CreateNewPlayer, 100);
  if (TGuiEdit* edit = FindEdit(gui, TControlName::newPlayerName)) {
    edit->SetText("");
    edit->SetFocus(true);
  }
}

void TPlayerForms::CreateOk() {
  TGuiBase& gui = Game.GuiBase1;
  Game.PlayGameSound("menu-select.ogg");
  const TGuiEdit* edit = FindEdit(gui, TControlName::newPlayerName);
  const std::string name = edit ? edit->Text() : std::string();
  std::string reason;
  if (!ValidatePlayerName(name, reason)) {
    // The name would not make a file of the save folder: say why and let the
    // player type another. The current player, if any, stays.
    Game.ShowError(reason);
    return;
  }
  Game.Player().PlayerName = name;
  Game.Player().Persistent = true;
  Game.DialogOpen = false;
  ShowForm(gui, TControlName::CreateNewPlayer, false);
  Game.SaveProgress();
}

void TPlayerForms::CreateCancel() {
  if (Game.Player().PlayerName.empty()) return;  // a first player must be made
  Game.PlayGameSound("menu-select.ogg");
  Game.DialogOpen = false;
  ShowForm(Game.GuiBase1, TControlName::CreateNewPlayer, false);
}

void TPlayerForms::OpenSelectPlayer() {
  TGuiBase& gui = Game.GuiBase1;
  Game.PlayGameSound("menu-select.ogg");
  CentreForm(gui, TControlName::SelectPlayer, 100);
  Game.DialogOpen = true;
  TGuiListBox* list = FindListBox(gui, TControlName::ListBoxPlayers);
  if (!list) return;
  list->Clear();
  const std::string& current = Game.Player().PlayerName;
  for (const std::string& name : ListPlayers(Game.SaveHome())) {
    list->Add(name);
    if (name == current) list->SetItemIndex(list->Count() - 1);
  }
}

void TPlayerForms::SelectOk() {
  TGuiBase& gui = Game.GuiBase1;
  Game.PlayGameSound("menu-select.ogg");
  const TGuiListBox* list = FindListBox(gui, TControlName::ListBoxPlayers);
  if (!list || list->ItemIndex() < 0) return;
  Game.Player().PlayerName = list->SelectedText();
  Game.Player().Persistent = true;
  Game.LoadProgress();
  Game.DialogOpen = false;
  ShowForm(gui, TControlName::SelectPlayer, false);
}

void TPlayerForms::AskRemove() {
  TGuiBase& gui = Game.GuiBase1;
  Game.PlayGameSound("menu-select.ogg");
  const TGuiListBox* list = FindListBox(gui, TControlName::ListBoxPlayers);
  // With nothing selected there is nobody to remove: the list stays.
  if (!list || list->ItemIndex() < 0) return;
  Game.DialogOpen = true;
  ShowForm(gui, TControlName::SelectPlayer, false);
  CentreForm(gui, TControlName::formRemoveConfirmation, 100);
  if (TGuiEdit* edit = FindEdit(gui, TControlName::removePlayerName)) edit->SetText(list->SelectedText());
}

void TPlayerForms::RemoveYes() {
  TGuiBase& gui = Game.GuiBase1;
  TGuiListBox* list = FindListBox(gui, TControlName::ListBoxPlayers);
  if (list && list->ItemIndex() >= 0) {
    std::error_code ec;
    std::filesystem::remove(PlayerMarkerPath(Game.SaveHome(), list->SelectedText()), ec);
    if (ec) Game.ShowError("Cannot remove the player \"" + list->SelectedText() + "\": " + ec.message() + ".");
    else list->Delete(list->ItemIndex());
  }
  ShowForm(gui, TControlName::SelectPlayer, true);
  ShowForm(gui, TControlName::formRemoveConfirmation, false);
}

void TPlayerForms::RemoveNo() {
  ShowForm(Game.GuiBase1, TControlName::SelectPlayer, true);
  ShowForm(Game.GuiBase1, TControlName::formRemoveConfirmation, false);
}
