// Preview strips of a particle settings file: the system runs headless as the
// game drives it (9 ms a tick), and every so often a frame is painted in
// software into one cell of a strip, with the pattern pixels of the game's
// particle image, on a dark backdrop.
#pragma once

#include <string>

#include "engine/particles/XParticleSystem.h"

struct TPreviewOptions {
  int Frames = 8;
  // Milliseconds of particle time between frames; 0 picks by kind: 120 for
  // endless trails, and for a burst its whole run (emitter time and the
  // longest particle life) spread over the frames.
  int EveryMs = 0;
  int Cell = 160;  // pixels, square
  // How fast an endless emitter travels left to right, pixels per second
  // (bursts stand still).
  float Speed = 200;
  std::string Title;  // written in the first cell
};

// False with a message in error when the picture cannot be made or written.
bool WriteParticlePreview(const TPssSettings& settings, const std::string& out, const TPreviewOptions& options,
                          std::string& error);
