// The game's sound effects, synthesized from noise, sines, envelopes and
// filters, each shaped for its event (see the comment on each in Effects.cpp).
#pragma once

#include <string>
#include <vector>

#include "audiogen/Dsp.h"

namespace audiogen {

constexpr int kEffectRate = 44100;

// The 15 effect files in the order the game loads them.
const std::vector<std::string>& EffectFiles();

// Mono, kEffectRate; throws std::invalid_argument for an unknown name.
Buffer SynthesizeEffect(const std::string& file);

}  // namespace audiogen
