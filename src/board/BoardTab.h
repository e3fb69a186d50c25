// One cell of the board: a tile sprite that shows the cell's tab type (plain,
// wooden box, iron box, force field, edge piece), refers to the piece standing
// in it, produces the pieces of a spawn point, fades with the board, and is
// where the cursor meets the board. A locked cell also carries a force-field
// sprite.
#pragma once

#include <cstdint>

#include "engine/sprites/Sprite.h"

class TBoardHost;
class TBoard;
class TGameSprite;

// The field over a locked cell: loops its idle frames and now and then pulses.
class TForceField : public TAnimSprite {
 public:
  explicit TForceField(TSpriteEngine* engine);
  void Move(float step) override;

  int32_t PulseTicks = 0;
  int32_t PulsePeriod = 1000;

 private:
  void StartIdleLoop();
};

class TBoardTab : public TAnimSprite {
 public:
  explicit TBoardTab(TSpriteEngine* engine);
  ~TBoardTab() override;

  void Move(float step) override;
  void Draw() override;
  void OnCollision(TSprite& other) override;
  // A tile takes its piece and its force field with it.
  void Dead() override;

  // Changes the tab type; creates or removes the force-field sprite.
  void SetType(int type);
  // A line or a spell reached a force field: orange turns blue, blue turns
  // into an iron box. Other tab types are left alone.
  void HitField();
  void ToggleSpawn() { Spawn = !Spawn; }
  // Kills the piece (if any) and forgets it.
  void KillPiece();

  uint8_t Selected = 0;
  TGameSprite* Piece = nullptr;
  int32_t WoodVariant = 2;
  TForceField* ForceField = nullptr;
  uint8_t Spawn = 0;
  uint8_t TabType = 1;
  int32_t FadeStep = 0;
  uint8_t SpawnPending = 0;
  int32_t SpawnDelay = 0;
  int32_t ShineTicks = 0;
  int32_t Row = 0, Col = 0;

 private:
  TBoardHost* Game() const;
  TBoard* Board() const;
  void KillForceField();
};
