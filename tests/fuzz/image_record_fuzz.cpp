// libFuzzer target: arbitrary bytes read as image records, font records and
// picture files, and what they accept drawn on a headless renderer.
#include "image_record_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!image_record_fuzz::ImageRecordFuzzEntry(data, size)) __builtin_trap();
  return 0;
}
