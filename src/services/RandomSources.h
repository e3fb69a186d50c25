// The game's random sources, owned by the game object. Play draws from
// Random, which is seeded once at start-up; the particle effects draw from
// EffectRandom, kept apart so that what play draws never depends on how many
// particles flew.
#pragma once

#include "engine/core/Random.h"

struct TRandomSources {
  TRandom Random;
  TRandom EffectRandom;

 protected:
  TRandomSources() = default;
  ~TRandomSources() = default;
};
