#include "services/EngineParts.h"

#include <cmath>

int ParticleStepMs(const TEngineParts& engine) {
  const double speed = engine.Timer.Speed();
  return speed > 0 ? static_cast<int>(std::ceil(1000.0 / speed)) : 9;
}
