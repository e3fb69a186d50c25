// libFuzzer target: arbitrary bytes read as the player's options, a saved
// game and the hiscore table.
#include "player_files_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!PlayerFilesFuzzEntry(data, size)) __builtin_trap();
  return 0;
}
