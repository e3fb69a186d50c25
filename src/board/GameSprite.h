// The pieces on the board: one sprite per piece that knows its kind and its
// cell, moves one cell at a time (swap, swap back, fall, slide), plays the
// matching animation, fades with the board and, once broken, shrinks out while
// it wears down the box under it.
#pragma once

#include <cstdint>

#include "engine/sprites/Sprite.h"

class TBoardHost;
class TBoard;

// The kind of a piece; the level file stores the same numbers (9 = no piece).
enum PieceKind : uint8_t {
  pkBlack = 0,
  pkMontanha = 1,  // mountain, "red.image"
  pkFire = 2,
  pkTree = 3,
  pkGota = 4,  // water
  pkBook = 5,
  pkPearl = 6,
  pkCristal = 7,
  pkCaveira = 8  // skull
};
constexpr int kPieceKinds = 9;

enum class PieceState : uint8_t {
  Idle = 0,
  MoveLeft = 1,
  MoveRight = 2,
  MoveUp = 3,
  MoveDown = 4,
  MoveDownLeft = 7,
  MoveDownRight = 8
};

// The smallest whole number not below v (a hit rectangle's edges, a cell's
// centre). Inline: it runs for every tile and piece on every tick.
inline int32_t CeilToInt(double v) {
  const auto i = static_cast<int32_t>(v);
  return i + (v > i ? 1 : 0);
}

// Element of a kind (1 tree, 2 water, 3 fire, 4 mountain), 0 for none.
int ElementOfKind(int kind);
// Explosion effect number of a kind.
int ExplosionOfKind(int kind);

class TGameSprite : public TAnimSprite {
 public:
  explicit TGameSprite(TSpriteEngine* engine);

  void OnCollision(TSprite& other) override;
  void Move(float step) override;
  void Draw() override;
  // The animation that goes with a state (only the idle state has one here).
  virtual void SetStateAnimation(uint8_t state);

  void SetState(PieceState state);
  // Takes the cell under the piece's position (columns beyond 18 or rows
  // beyond 12 leave the cell as it was).
  void CellFromPosition();
  void SnapToCell();
  // Settled pieces of the same kind directly left and right (RowRun) or above
  // and below (ColumnRun), the piece itself not counted.
  int RowRun() const;
  int ColumnRun() const;

  void StartMoveLeft();
  void StartMoveRight();
  void StartMoveUp();
  void StartMoveDown();
  void StartMoveDownLeft();
  void StartMoveDownRight();
  // Run by the piece that arrives from a swap: without a line for either piece
  // both go back. Direction 1..4 names the partner cell (left, right, up, down).
  bool SwapBackIfNoMatch(int col, int row, int direction);
  void Explode();
  // A spell ball reached this piece's cell.
  void HitBySpell();

  // Not dying, idle and not falling (the piece's part of a settled cell).
  bool Ready() const { return !Dying && State == PieceState::Idle && !Falling; }

  uint8_t Falling = 0;
  uint8_t Dying = 0;
  double TargetX = 0, TargetY = 0;
  PieceState State = PieceState::Idle;
  uint8_t CheckOnArrival = 0;
  double IdleTicks = 0;
  double FadeTicks = 0;
  double IdleDelay = 0;
  double Speed = 1.4;
  double FallSpeed = 2.4;
  PieceKind Kind = pkBlack;
  int32_t Col = 0, Row = 0;

 protected:
  TBoardHost* Game() const;
  TBoard* Board() const;
  void BeginMoveAnimation(int standardFirst, int standardCount, int bookFirst, int bookCount);
  void DyingStep(float step);
  void ArriveAndCheck(int direction, void (TGameSprite::*moveBack)());

 private:
  int ImageW_ = 0, ImageH_ = 0;  // the image's size, looked up once
};

class TSpriteBlack : public TGameSprite {
 public:
  explicit TSpriteBlack(TSpriteEngine* engine);
};

class TSpriteMontanha : public TGameSprite {
 public:
  explicit TSpriteMontanha(TSpriteEngine* engine);
};

// The fire piece wears a flame overlay of its own, drawn additively.
class TSpriteFire : public TGameSprite {
 public:
  explicit TSpriteFire(TSpriteEngine* engine);
  ~TSpriteFire() override;
  void Move(float step) override;
  void Dead() override;
  void SetStateAnimation(uint8_t state) override;

  TAnimSprite* Flame = nullptr;
};

class TSpriteTree : public TGameSprite {
 public:
  explicit TSpriteTree(TSpriteEngine* engine);
};

class TSpriteGota : public TGameSprite {
 public:
  explicit TSpriteGota(TSpriteEngine* engine);
};

class TSpriteBook : public TGameSprite {
 public:
  explicit TSpriteBook(TSpriteEngine* engine);
};

class TSpritePearl : public TGameSprite {
 public:
  explicit TSpritePearl(TSpriteEngine* engine);
};

class TSpriteCristal : public TGameSprite {
 public:
  explicit TSpriteCristal(TSpriteEngine* engine);
};

// The skull never changes its pose.
class TSpriteCaveira : public TGameSprite {
 public:
  explicit TSpriteCaveira(TSpriteEngine* engine);
  void Move(float step) override;
};

// A new piece of the kind (0..8) in the engine; nullptr for any other value.
TGameSprite* CreatePiece(TSpriteEngine* engine, int kind);
