// The board cursor of keyboard and game-controller play: a cell of the board
// drawn as a frame. Arrow keys (or the pad's d-pad and stick) move it, a
// press picks the piece under it, and an arrow then swaps the picked piece
// with that neighbour. The swaps and the spells go through the same steps as
// the mouse's clicks (TMouse, TBoardHost::CastSpell), so the rules stay in one
// place. Moving the mouse hides the frame until a key is pressed again; the
// frame then comes back on the cell the mouse last pointed at.
#pragma once

#include <cstdint>

#include "engine/sprites/Sprite.h"

class TBoardHost;
class TBoard;

class TBoardCursor : public TSprite {
 public:
  explicit TBoardCursor(TBoardHost& game);

  void Move(float step) override;
  void Draw() override;

  // A direction: shows a hidden frame (without moving it); otherwise, with
  // the piece under the frame picked, swaps it with that neighbour, else
  // moves the frame one cell (it stays on the board).
  void Step(int dx, int dy);
  // Space, Enter, the pad's A: casts an armed spell at the frame's cell, or
  // picks, lets go or swaps as a click on that cell would; after time over or
  // "no more moves" it tries the level again as a click does. A hidden frame
  // only shows.
  void Press();
  // Lets go of a piece picked with the keys; false when there was none.
  bool CancelPick();
  // The mouse moved to (x, y): the frame hides and takes the cell there.
  void MouseMoved(int x, int y);

  bool Shown() const { return Shown_; }
  // Shows the frame where it stands (a spell armed by its key aims from here).
  void Show() { Reveal(); }
  // The selection was made with the keys (an arrow then swaps it).
  bool Picked() const;

  int Col = 9, Row = 6;

 private:
  // The board whose cursor this is (nullptr once it has gone): the frame
  // holds no reference of its own, as the engine frees the two apart.
  TBoard* Board() const;
  // Keys act only while a click on the board would.
  bool Accepting() const;
  bool Reveal();
  TBoardHost& Game_;
  bool Shown_ = false;
  bool Picked_ = false;
  int Ticks_ = 0;  // the frame's glow
};
