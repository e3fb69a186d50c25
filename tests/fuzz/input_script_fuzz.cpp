// libFuzzer target: arbitrary bytes read as an input script.
#include "input_script_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!InputScriptFuzzEntry(data, size)) __builtin_trap();
  return 0;
}
