// What the mana pots, the spells, the in-game bar and the effects ask of the
// game object: everything the board has, and the two singletons of this
// floor (the magic and the explosion manager) and the hint bubble that
// explains a full pot.
#pragma once

#include <string>

#include "board/BoardHost.h"

class TMagic;
class TParticleExplosions;

class TMagicHost : public TBoardHost {
 public:
  using TBoardHost::TBoardHost;

  // The in-game bar, the spell buttons and the spells.
  virtual TMagic& Magic() = 0;
  // The explosion manager: created on first use.
  virtual TParticleExplosions& Explosions() = 0;
  // The hint bubble with its text, pointing at (x, y).
  virtual void ShowHint(int x, int y, const std::string& text) = 0;

 protected:
  ~TMagicHost() override = default;
};

// The game object that owns the engine, for the sprites of magic and effects
// (nullptr for an engine of its own, as in engine tests).
inline TMagicHost* MagicHostOf(const TSpriteEngine* engine) {
  return engine ? static_cast<TMagicHost*>(engine->Owner) : nullptr;
}
