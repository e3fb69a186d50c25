// The player forms over the main menu: create a player, choose one from the
// list of known players, and remove one.
#pragma once

#include <string>

class TScreenHost;

class TPlayerForms {
 public:
  explicit TPlayerForms(TScreenHost& game);

  // Binds the buttons of the three forms.
  void Bind();

  // "CreateNewPlayer": an empty name field with the keyboard focus.
  void OpenCreatePlayer();
  // "btnNewPlayerOk": a name that can be a player's becomes the current
  // player and is saved; any other is refused with a message and the form
  // stays open.
  void CreateOk();
  // "btnNewPlayerCancel": only once there is a player to go back to.
  void CreateCancel();

  // "SelectPlayer": every known player, the current one selected.
  void OpenSelectPlayer();
  void SelectOk();
  // "btSpCancel": asks whether to remove the selected player.
  void AskRemove();
  // Deletes the player's marker (the saved games stay) and returns to the list.
  void RemoveYes();
  void RemoveNo();

 private:
  TScreenHost& Game;
};
