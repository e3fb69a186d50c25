// The keys and the game-controller buttons as the game's actions, screen by
// screen: during play they move the board cursor, pick and swap, and arm
// and cast spells; over a form they move its focus and press its buttons; on
// the main menu they light and work its entries; on the screens a click
// leads on from (story, map, credits, hiscores, game over) a press or "back"
// leads on as the click does. What no action here takes goes on to the
// game's other key handling (Escape's quit menu, the editor's keys).
#pragma once

#include "platform/Platform.h"

class Tmain;

class TControls {
 public:
  enum TAction : int {
    acNone, acLeft, acRight, acUp, acDown, acNext, acPrev, acPress, acBack,
    acSpellTree, acSpellWater, acSpellFire, acSpellMountain, acMenu
  };

  explicit TControls(Tmain& game) : Game_(game) {}

  // The action of a key on this screen (WASD move the board cursor only in
  // play, where no text is typed).
  TAction KeyAction(int key) const;
  static TAction PadAction(plat::PadButton button);

  // A key went down that the GUI did not take: true when an action took it.
  bool KeyDown(int key);
  // A typed character that belongs to a key KeyDown took (the "a" of the A
  // key that moved the board cursor): true once, and it is no command then.
  bool SwallowChar(unsigned char ch);
  // A controller button went down.
  void PadDown(plat::PadButton button);
  // One process tick: a held d-pad or stick direction moves (with repeat).
  void Tick();
  // Runs an action; false when nothing here took it.
  bool Act(TAction action);

 private:
  bool Direction(int dx, int dy);
  Tmain& Game_;
  unsigned char Swallow_ = 0;
};
