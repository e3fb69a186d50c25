// libFuzzer target: arbitrary bytes read as a data archive.
#include "archive_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!ArchiveFuzzEntry(data, size)) __builtin_trap();
  return 0;
}
