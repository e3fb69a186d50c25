// The one entry point shared by the level-file fuzz target and the test that
// replays its corpus. The first byte chooses what the rest is read as: the
// game's compiled level (a 76-byte ".opt" record followed by the ".lvl" cell
// records), or a level source as the level compiler reads it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "board/LevelFile.h"
#include "engine/core/DataFile.h"
#include "levels/LevelSource.h"

namespace level_file_fuzz {

// The numbers a level file read from disk may have (see TLevelOptions::Bound).
inline bool Bounded(const TLevelOptions& o) {
  return o.LevelTime >= 0 && o.LevelTime <= kMaxLevelTime && o.MaxCaveiras >= kMinSkulls &&
         o.MaxCaveiras <= kMaxSkulls;
}

// The numbers the level compiler accepts.
inline bool InRange(const TLevelOptions& o) {
  return Bounded(o) && o.LevelTime >= kMinLevelTime && o.Background >= kMinBackground &&
         o.Background <= kMaxBackground;
}

// A level read from text formats back to text that reads to the same level.
inline bool FormatsBack(const TLevelSource& level) {
  const std::string text = FormatLevelSource(level);
  try {
    const TLevelSource again = ParseLevelSource(text, "again.txt");
    return FormatLevelSource(again) == text && InRange(again.Options);
  } catch (const DataError&) {
    return false;
  }
}

// The compiled files: the options come out bounded and keep their bounded
// numbers through a write; every cell record keeps its bytes; the decompiler takes any
// records, and a level it makes without notes and without faults reads back
// from its text.
inline bool CompiledCase(const uint8_t* data, size_t size) {
  if (size < kOptionsSize) return true;
  TLevelOptions options = TLevelOptions::Decode(data);
  options.Bound();
  if (!Bounded(options)) return false;
  const auto bytes = options.Encode();
  TLevelOptions again = TLevelOptions::Decode(bytes.data());
  again.Bound();
  if (again.LevelTime != options.LevelTime || again.MaxCaveiras != options.MaxCaveiras ||
      again.Background != options.Background)
    return false;

  std::vector<TCellRecord> cells;
  for (size_t at = kOptionsSize; at + kCellRecordSize <= size && cells.size() < 2048; at += kCellRecordSize) {
    cells.push_back(TCellRecord::Decode(data + at));
    const auto back = cells.back().Encode();
    for (size_t i = 0; i < 11; ++i)  // the twelfth byte is padding
      if (back[i] != data[at + i]) return false;
  }
  std::vector<std::string> notes;
  const TLevelSource level = LevelFromRecords(options, cells, notes);
  if (!Bounded(level.Options)) return false;
  if (notes.empty() && LevelErrors(level).empty()) return FormatsBack(level);
  return true;
}

// A level source: read whole, within the compiler's ranges, or refused with a
// DataError naming its place; nothing else may escape.
inline bool SourceCase(const uint8_t* data, size_t size) {
  TLevelSource level;
  try {
    level = ParseLevelSource(std::string(reinterpret_cast<const char*>(data), size), "fuzz.txt");
  } catch (const DataError&) {
    return true;
  }
  return InRange(level.Options) && LevelErrors(level).empty() && FormatsBack(level);
}

// Returns false when an invariant is broken (the fuzz target then traps).
inline bool LevelFileFuzzEntry(const uint8_t* data, size_t size) {
  if (size == 0) return true;
  const int mode = data[0] % 2;
  return mode == 0 ? CompiledCase(data + 1, size - 1) : SourceCase(data + 1, size - 1);
}

}  // namespace level_file_fuzz
