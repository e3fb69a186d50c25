// Builds every music and effect file of the game: composes and levels the
// modules (checking that libopenmpt loads and plays each one), renders the
// streamed track to MP3, and synthesizes and encodes the effects.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "audiogen/Composer.h"

namespace audiogen {

// Peaks the music and the loudest effects are levelled to.
constexpr double kMusicPeakDb = -4.0;

struct BuiltFile {
  std::string name;
  std::vector<uint8_t> bytes;
  double seconds = 0;  // one pass (music) or the whole sound (effects)
  double peakDb = 0;   // of the rendered audio after levelling
  double rmsDb = 0;
  std::string detail;  // a line for the build log
};

// Throws when a module does not load, renders silence or runs for a
// different time than composed.
BuiltFile BuildTrack(const TrackPlan& plan);
BuiltFile BuildEffect(const std::string& file);

// Everything, using up to `threads` threads; writes into outDir and logs one
// line per file. Returns the number of files written.
int GenerateAll(const std::string& outDir, unsigned threads, std::ostream& log);

}  // namespace audiogen
