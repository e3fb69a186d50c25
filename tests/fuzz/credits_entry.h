// The one entry point shared by the credits fuzz target and the test that
// replays its corpus: arbitrary bytes read as the credits file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/DataFile.h"
#include "screens/Credits.h"

// Returns false when an invariant is broken (the fuzz target then traps). The
// credits are either read whole, every heading in its place, or refused with
// a DataError; nothing else may escape.
inline bool CreditsFuzzEntry(const uint8_t* data, size_t size) {
  std::vector<std::string> texts;
  try {
    texts = ParseCreditsTexts(std::string(reinterpret_cast<const char*>(data), size), "credits.txt");
  } catch (const DataError&) {
    return true;
  }
  const std::vector<TCreditsLine>& layout = CreditsLayout();
  if (texts.size() != layout.size()) return false;
  for (size_t i = 0; i < layout.size(); ++i)
    if (layout[i].FixedText && texts[i] != layout[i].FixedText) return false;
  return true;
}
