// The story map's points ("data/mappoints.map"): 8-byte records, the X and Y
// of point 1, 2, ... as little-endian 32-bit numbers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

struct TMapPoint {
  int32_t X = 0, Y = 0;
};

// Points 1..110; index 0 is unused.
constexpr int kMapPointCount = 110;
using TMapPoints = std::array<TMapPoint, kMapPointCount + 1>;
// The largest map points file read: records past the 110th are ignored, so
// anything much longer is no map points file.
constexpr size_t kMaxMapPointsFileBytes = 64 * 1024;

// Reads the records into points 1, 2, ...; those past the 110th are ignored
// rather than written beyond the table. A file that is not whole records is
// refused, points untouched, with error saying what is wrong ("cut short").
bool DecodeMapPoints(const uint8_t* data, size_t size, TMapPoints& points, std::string& error);
