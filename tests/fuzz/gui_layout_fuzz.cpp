// libFuzzer target: arbitrary bytes read as a GUI layout file.
#include "gui_layout_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!GuiLayoutFuzzEntry(data, size)) __builtin_trap();
  return 0;
}
