// libFuzzer target: arbitrary bytes read as a replay.
#include "replay_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!ReplayFuzzEntry(data, size)) __builtin_trap();
  return 0;
}
