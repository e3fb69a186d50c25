// Magic: the in-game bar along the bottom of the screen (the time vine and
// the four mana pots), the spell buttons that rise over full pots, and the
// spells themselves: arming one puts its trail on the cursor, and the next
// click on a piece sends a ball from the pot to every cell of its area.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "engine/sprites/Sprite.h"

class TMagicHost;
class TGameSprite;
class TJsonWriter;
class TXParticleSystem;
struct TClockLook;

// A cell of a spell's area, relative to the clicked cell.
struct TSpellOffset {
  int Row, Col;
};
struct TSpellArea {
  int Count;
  TSpellOffset Cells[9];
};
// The area of a spell (element 1..4), in the order its balls are launched.
const TSpellArea& SpellArea(int element);

// Where an element's pot and spell button stand on the bar (top-left).
struct TPotPlace {
  int X, Y;
};
TPotPlace PotPlace(int element);

// The vine's length in pixels after `elapsed` of `levelTime` seconds: 336 at
// the start, 0 at the limit.
int VineWidth(int elapsed, int levelTime);
// Rows of the empty pot still drawn over the full one for `mana` points: 31
// for none, 0 only for a full pot; short of full the top third stays empty.
int PotEmptyRows(int mana);

// A spell button over a full pot. It pulses until the player clicks it, which
// empties the pot and arms the spell.
class TArvanelMagics : public TAnimSprite {
 public:
  TArvanelMagics(TMagicHost& game, int element);
  ~TArvanelMagics() override;
  void Move(float step) override;
  void Draw() override;
  void OnCollision(TSprite& other) override;
  // The button is used (clicked, or its key pressed): the spell is armed,
  // the pot emptied, and the button goes at once.
  void Use();

  const int Element;
  // Ticks since the button rose: the beat of its halo.
  int PulseTicks = 0;

 protected:
  TMagicHost& Game;
};

class TMagicTree : public TArvanelMagics {
 public:
  explicit TMagicTree(TMagicHost& game) : TArvanelMagics(game, 1) {}
};
class TMagicGota : public TArvanelMagics {
 public:
  explicit TMagicGota(TMagicHost& game) : TArvanelMagics(game, 2) {}
};
class TMagicFogo : public TArvanelMagics {
 public:
  explicit TMagicFogo(TMagicHost& game) : TArvanelMagics(game, 3) {}
};
class TMagicMontanha : public TArvanelMagics {
 public:
  explicit TMagicMontanha(TMagicHost& game) : TArvanelMagics(game, 4) {}
};

// The in-game bar: its picture, the time vine, the pots, and the check that
// raises a button over each full pot.
class TGUI : public TAnimSprite {
 public:
  explicit TGUI(TMagicHost& game);
  ~TGUI() override;
  void Draw() override;
  // The vine's width in the last frame drawn.
  int LastVineWidth = 336;

 private:
  void DrawVine(const TClockLook& look);
  void DrawPots();
  void RaiseButtons();
  TMagicHost& Game;
};

// The bar and the four buttons (each exists at most once), and the spell
// operations. Owned by the game; the sprites themselves belong to the sprite
// engine and tell this object when they go.
class TMagic {
 public:
  explicit TMagic(TMagicHost& game) : Game_(game) {}

  TGUI& Bar();
  TGUI* BarIfAny() const { return Bar_; }
  void FreeBar();
  TArvanelMagics& Button(int element);
  TArvanelMagics* ButtonIfAny(int element) const;
  // Removes the four buttons (a won level, time over, a retry, the bar going).
  void FreeButtons();
  void Gone(const TSprite* sprite);

  // The armed spell's trail on the cursor goes; with an element, a new one
  // comes and the board's armed spell becomes that element.
  void ArmSpell(int element);
  // A key or pad button for the element's spell: does what a click on its
  // button over the full pot does (arms it, empties the pot, the button
  // goes). False, and nothing done, while the pot has no button or a dialog
  // or hint is up.
  bool UseButton(int element);
  // The player clicked the piece in (row, col) with the spell armed: a ball
  // for each cell of the area that holds an idle piece on the board.
  void CastSpell(int row, int col, int element);
  void LaunchSpellBall(TGameSprite& piece);
  // A mana flight has arrived at its pot (and lingered): the mana tip the
  // first time, then one point unless the pot is full.
  void ManaArrived(int element, float x, float y);

  // The state dump's spell buttons, balls and flights.
  void Dump(TJsonWriter& j) const;

 private:
  TMagicHost& Game_;
  TGUI* Bar_ = nullptr;
  std::array<TArvanelMagics*, 5> Buttons_{};  // index 1..4
};
