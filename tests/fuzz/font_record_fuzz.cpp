// libFuzzer target: arbitrary bytes read as a font record, and what it
// accepts drawn as text on a headless renderer.
#include "font_record_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!font_record_fuzz::FontRecordFuzzEntry(data, size)) __builtin_trap();
  return 0;
}
