// libFuzzer target: arbitrary bytes read as a compiled level (options and
// cell records) or as a level source.
#include "level_file_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!level_file_fuzz::LevelFileFuzzEntry(data, size)) __builtin_trap();
  return 0;
}
