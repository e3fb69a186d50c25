// The readable source of a particle settings file (content/particles/*.txt):
// one setting per line, in the game's one content format.
//
//   # Water droplets of a broken water piece.
//   pattern drop              # a pattern of particles-arvanels.image, by word or number
//   blend alpha               # alpha | additive | opaque | a canvas blend code
//   emission 400              # particles per second
//   lifetime 120              # ms the emitter runs, or "endless"
//   life 500 900              # particle life range, ms
//   direction 0               # degrees: 0 up, 90 right (clockwise on screen)
//   spread 140                # degrees, centred on the direction
//   relative no               # yes: turn with the emitter's motion
//   speed 60 160              # px/s
//   gravity 200 300           # px/s², down
//   radial 0 0                # away from the emitter, px/s per ms
//   tangential 0 0            # at right angles to it
//   size 0.8 0.3              # scale at birth and at death
//   size-var 0.4              # 0..1: how far towards the end size a start may lie
//   spin 0 180                # degrees at birth and at death
//   spin-var 1
//   color-start 9AD8FF 255    # RRGGBB and alpha 0..255
//   color-end 2A70D0 0
//   color-var 0.3             # 0..1 for the colour, as size-var
//   alpha-var 0               # 0..1 for the alpha
//
// pattern, blend, emission, lifetime, life, speed, size, color-start and
// color-end are required; the others default to 0 ("no"). Ranges take one
// value (both ends alike) or two. Every other word is an error naming the
// file and the line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/core/DataFile.h"
#include "engine/particles/XParticleSystem.h"

// The word of a pattern of "particles-arvanels.image" ("glow", "leaf", ...),
// or "" for a number without one; and the number of a word, or -1.
std::string ParticlePatternName(int pattern);
int ParticlePatternByName(std::string_view name);

// Throws DataError naming the file and line.
TPssSettings ParticleSettingsFromNodes(const std::vector<DataNode>& nodes, const std::string& file);
TPssSettings ParseParticleSource(const std::string& text, const std::string& name);
TPssSettings LoadParticleSource(const std::string& path);

// The source text of a settings record; compiling it gives the same record
// back (but the three padding bytes after "relative", which are written as 0).
// A heading, when given, becomes the first comment line.
std::string ParticleSourceText(const TPssSettings& settings, const std::string& heading = "");
