// The one entry point shared by the input-script fuzz target and the test
// that replays its corpus: arbitrary bytes read as an input script.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "automation/InputScript.h"
#include "engine/core/DataFile.h"

// Returns false when an invariant is broken (the fuzz target then traps). A
// script is either read whole or refused with a DataError; nothing else may
// escape.
inline bool InputScriptFuzzEntry(const uint8_t* data, size_t size) {
  TInputScript script;
  try {
    script = TInputScript::Parse(std::string(reinterpret_cast<const char*>(data), size), "fuzz.txt");
  } catch (const DataError&) {
    return true;
  }
  int line = 0;
  for (const TScriptCommand& c : script.Commands) {
    if (c.Tick < 0 || c.Line <= line) return false;
    line = c.Line;
    if (c.X < -100000 || c.X > 100000 || c.Y < -100000 || c.Y > 100000) return false;
    if (c.Type == TScriptCommand::Key && (c.Code < 1 || c.Code > 255)) return false;
    if (c.Type == TScriptCommand::Char && (c.Code < 0 || c.Code > 255)) return false;
  }
  // Every command comes out once, in file order, by the last tick.
  const std::vector<TScriptCommand> all = script.TakeDue(INT64_MAX);
  if (all.size() != script.Commands.size() || !script.Finished() || !script.TakeDue(INT64_MAX).empty()) return false;
  for (size_t i = 0; i < all.size(); ++i)
    if (all[i].Line != script.Commands[i].Line) return false;
  return true;
}
