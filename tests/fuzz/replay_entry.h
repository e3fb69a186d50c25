// The one entry point shared by the replay fuzz target and the test that
// replays its corpus: arbitrary bytes read as a replay, then played through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "automation/Replay.h"
#include "engine/core/DataFile.h"

// Returns false when an invariant is broken (the fuzz target then traps). A
// replay is either read whole or refused with a DataError; nothing else may
// escape. What is read holds together and stays within what a replay may
// hold: playing it hands out every frame once, with its ticks adding up to
// the end tick, every input once and before a frame that begins at or after
// its tick (and none that would write a file), the digests tick by tick, the
// pasted texts in order; and the reading never holds more than a little.
inline bool ReplayFuzzEntry(const uint8_t* data, size_t size) {
  TReplay replay;
  try {
    replay = TReplay::Parse(std::string(reinterpret_cast<const char*>(data), size), "fuzz.replay");
  } catch (const DataError&) {
    return true;
  }
  for (const auto& file : replay.Header.Files)
    if (!IsReplayFilePath(file.first)) return false;
  const TReplayLimits limits;
  if (replay.FrameCount > limits.Frames || replay.EndTick > limits.Ticks || replay.LineCount > limits.Lines)
    return false;
  if (replay.FrameCount > 100000) return true;  // long enough; the walk below is for short ones
  try {
    std::vector<TScriptCommand> inputs;
    int64_t tick = 0, frames = 0, handed = 0, digests = 0;
    int frameTicks = 0;
    for (;;) {
      const bool more = replay.NextFrame(inputs, frameTicks);
      for (const TScriptCommand& c : inputs) {
        if (c.Type == TScriptCommand::Screenshot || c.Type == TScriptCommand::Dump) return false;
        if (c.Tick > (more ? tick : replay.EndTick)) return false;
      }
      handed += static_cast<int64_t>(inputs.size());
      if (!more) break;
      if (frameTicks < 0 || frameTicks > 32) return false;
      for (int k = 0; k < frameTicks; ++k) {
        uint64_t digest = 0;
        if (replay.DigestAt(++tick, digest)) ++digests;
      }
      ++frames;
      if (replay.BufferedBytes() > (size_t{4} << 20)) return false;
    }
    if (frames != replay.FrameCount || tick != replay.EndTick || handed != replay.InputCount || !replay.FramesOver())
      return false;
    // A digest at tick 0 is never asked for: no tick has run then.
    if (digests > replay.DigestCount || digests < replay.DigestCount - 1) return false;
    for (int64_t n = 0; n < replay.PasteCount; ++n) replay.NextPaste();
    if (!replay.NextPaste().empty()) return false;
    return !replay.NextFrame(inputs, frameTicks) && inputs.empty();
  } catch (const DataError&) {
    return false;  // a replay that was read whole plays through
  }
}
