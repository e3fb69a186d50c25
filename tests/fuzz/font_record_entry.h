// The one entry point shared by the font-record fuzz target and the test that
// replays its corpus: arbitrary bytes read as a font record (glyph table and
// image), written back, and, when small enough, loaded and its own bytes
// drawn as text on a headless renderer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image_record_entry.h"

namespace font_record_fuzz {

// Returns false when an invariant is broken (the fuzz target then traps).
inline bool FontRecordFuzzEntry(const uint8_t* data, size_t size) {
  return image_record_fuzz::FontRecordCase(data, size);
}

}  // namespace font_record_fuzz
