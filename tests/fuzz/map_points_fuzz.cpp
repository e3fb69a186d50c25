// libFuzzer target: arbitrary bytes read as the story map's points file.
#include "map_points_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!MapPointsFuzzEntry(data, size)) __builtin_trap();
  return 0;
}
