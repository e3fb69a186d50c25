// Short-lived effects of play: the explosion manager (one-shot bursts for
// breaking pieces and weakened force fields) and the flying effect that
// carries mana to its pot or a spell ball to its target cell. Bursts and flights are particle systems built from the settings
// files in Data/; the work flights do on arrival (mana, spell hits) and their
// timing are here too. The score numbers and the splinters of broken boxes
// belong to the board (board/BoardEffects.h).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/particles/XParticleSystem.h"
#include "engine/sprites/Sprite.h"

class TGameServices;
class TMagicHost;

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

// The settings file of an explosion type (1..12) and of a flying effect
// type (1..8), as "Data/<name>.pss"; "" outside the range.
std::string ExplosionSettingsFile(int type);
std::string FlightSettingsFile(int type);
// The trail of an armed spell of an element (1..4), and every settings file
// the effects use (the start-up check reads them all).
std::string TrailSettingsFile(int element);
std::vector<std::string> ParticleSettingsFiles();

// Builds the particle systems of the effects from their settings files in the
// program's Data folder. Each file is read once and its record kept: a
// cascade breaks dozens of pieces in a tick. A file that cannot be read is
// fatal: "Unable to load ParticleSystem settings" and the file's name go to
// the fatal-error step, and no system is made. Without a graphics device (a
// board driven by tests) nothing could be drawn, so no system is made either
// and the effects do their work without particles.
class TParticleSettingsCache {
 public:
  explicit TParticleSettingsCache(TGameServices& game) : Game_(game) {}
  // A running-ready system: settings loaded, the particle image set, one
  // shape point at (0, 0). Null without a device or when the file failed.
  std::unique_ptr<TXParticleSystem> Make(const std::string& file);

 private:
  TGameServices& Game_;
  std::map<std::string, TPssSettings> Loaded_;
};

class TParticleExplosions {
 public:
  // Bursts at once, and their particles together, at most: far beyond a
  // cascade over the whole board.
  static constexpr int kMaxBursts = 512;
  static constexpr int kMaxLiveParticles = 40000;

  explicit TParticleExplosions(TGameServices& game) : Settings(game), Game_(game) {}
  // Starts burst `type` (1..12) at (x, y). A burst runs for a while and
  // stops: settings that would make it endless give it the longest run.
  void Add(int type, float x, float y);
  // One process tick: every burst moves on; spent ones are freed.
  void Update();
  void DrawAll();
  void Clear() { Explosions.clear(); }
  int Count() const { return static_cast<int>(Explosions.size()); }
  int LiveParticles() const;

  std::vector<std::unique_ptr<TXParticleSystem>> Explosions;
  // Bursts requested since start-up and the type of the last, for the state
  // dump and tests.
  int64_t Added = 0;
  int LastType = 0;
  TParticleSettingsCache Settings;

 private:
  TGameServices& Game_;
};

// A mana flight (types 1..4: tree, water, fire, mountain) or a spell ball
// (types 5..8) travelling in a straight line.
class TMoveFromToEffect : public TSprite {
 public:
  TMoveFromToEffect(TSpriteEngine* engine, int effectType);
  void Move(float step) override;
  void Draw() override;

  ~TMoveFromToEffect() override;

  std::unique_ptr<TXParticleSystem> Emitter;
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
TMoveFromToEffect* LaunchManaFlight(TMagicHost& game, int element, double x, double y);
// Starts a spell ball of the element from its pot to the centre of the cell
// at (x, y) (the piece's top-left corner), aimed at cell (col, row).
TMoveFromToEffect* LaunchSpellFlight(TMagicHost& game, int element, int col, int row, double x, double y);
