// libFuzzer target: arbitrary bytes read as the credits file.
#include "credits_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!CreditsFuzzEntry(data, size)) __builtin_trap();
  return 0;
}
