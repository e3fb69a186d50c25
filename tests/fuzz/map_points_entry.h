// The one entry point shared by the map-points fuzz target and the test that
// replays its corpus: arbitrary bytes read as the story map's points file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/core/LittleEndian.h"
#include "screens/MapPoints.h"

// Returns false when an invariant is broken (the fuzz target then traps).
inline bool MapPointsFuzzEntry(const uint8_t* data, size_t size) {
  TMapPoints points;
  points.fill({-7, -7});
  std::string error;
  const bool read = DecodeMapPoints(data, size, points, error);
  // Whole records read, anything else is refused with a reason and no change.
  if (read != (size % 8 == 0) || read == !error.empty()) return false;
  for (size_t k = 0; k < points.size(); ++k) {
    const bool filled = read && k >= 1 && 8 * k <= size;
    const TMapPoint want = filled ? TMapPoint{GetI32(data + 8 * (k - 1)), GetI32(data + 8 * (k - 1) + 4)}
                                  : TMapPoint{-7, -7};
    if (points[k].X != want.X || points[k].Y != want.Y) return false;
  }
  return true;
}
