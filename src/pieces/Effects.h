// Short-lived effects of play: the explosion manager (one-shot bursts for
// breaking pieces and weakened force fields), the flying effect that carries
// mana to its pot or a spell ball to its target cell, and the rising score
// number. The particle bursts and trails that make them visible are attached
// by the particle layer; the work they do on arrival (mana, spell hits) and
// their timing are here.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/Sprite.h"

class Tmain;

// Depth of the in-game bar; flying effects fly over it.
constexpr int kInGameBarZ = 100001;
// Ticks a mana flight travels, and a spell ball.
constexpr int kManaFlightSteps = 150;
constexpr int kSpellBallSteps = 100;

// Where each element's mana flight ends and its spell balls start (index 1..4:
// tree, water, fire, mountain).
struct TPotCentre {
  double X, Y;
};
TPotCentre PotCentre(int element);

class TParticleExplosions {
 public:
  struct TBurst {
    int Type = 0;
    float X = 0, Y = 0;
    int Age = 0;
  };
  // Starts burst `type` (1..12) at (x, y).
  void Add(int type, float x, float y);
  // One process tick: spent bursts are dropped.
  void Update();
  void DrawAll();
  void Clear() { Explosions.clear(); }
  int Count() const { return static_cast<int>(Explosions.size()); }

  std::vector<TBurst> Explosions;
  // Bursts requested since start-up, for the state dump and tests.
  int64_t Added = 0;
};

// Splinters of a broken wooden box (21) or the chip of an iron box (1),
// thrown from the cell at (x, y).
void EmitBoxParticles(Tmain& game, float x, float y, bool iron);

// A mana flight (types 1..4: tree, water, fire, mountain) or a spell ball
// (types 5..8) travelling in a straight line.
class TMoveFromToEffect : public TSprite {
 public:
  TMoveFromToEffect(TSpriteEngine* engine, int effectType);
  void Move(float step) override;
  void Draw() override;

  int32_t StepIndex = 0;
  int32_t StepCount = 0;
  int32_t LingerTicks = 0;
  int32_t EffectType = 0;
  int32_t TargetCol = 0, TargetRow = 0;
  double StartX = 0, StartY = 0;
  double EndX = 0, EndY = 0;

 private:
  void Arrive();
};

// Starts one mana point of the element flying from (x, y) to its pot.
TMoveFromToEffect* LaunchManaFlight(Tmain& game, int element, double x, double y);

// A score number that rises one pixel a tick and fades out over 255 ticks.
class TScoreSprite : public TAnimSprite {
 public:
  explicit TScoreSprite(TSpriteEngine* engine);
  void Move(float step) override;
  void Draw() override;

  // Puts the number at (x, y), or as far below that as it takes to clear the
  // numbers still rising there: the lines of a cascade score one after the
  // other, often from the same cells, and numbers drawn over each other are
  // unreadable. All numbers rise alike, so once apart they stay apart.
  void Place(float x, float y);
  // The box the number's text covers at its position.
  TRect TextBox() const;

  int32_t Points = 0;
};
