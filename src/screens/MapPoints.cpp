#include "screens/MapPoints.h"

#include "engine/core/LittleEndian.h"

bool DecodeMapPoints(const uint8_t* data, size_t size, TMapPoints& points, std::string& error) {
  if (size % 8 != 0) {
    error = "cut short";
    return false;
  }
  for (size_t k = 1; k <= kMapPointCount && 8 * k <= size; ++k)
    points[k] = {GetI32(&data[8 * (k - 1)]), GetI32(&data[8 * (k - 1) + 4])};
  return true;
}
