// libFuzzer target: arbitrary bytes read as a particle settings record and
// run as an emitter for a few hundred ticks.
#include "pss_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!pss_fuzz::PssFuzzEntry(data, size)) __builtin_trap();
  return 0;
}
