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
// escape. What is read holds together: the runs of frames follow each other
// up to the end tick, every input comes before a frame that begins at or
// after its tick, and playing it hands out every frame and every input once.
inline bool ReplayFuzzEntry(const uint8_t* data, size_t size) {
  TReplay replay;
  try {
    replay = TReplay::Parse(std::string(reinterpret_cast<const char*>(data), size), "fuzz.replay");
  } catch (const DataError&) {
    return true;
  }
  for (const auto& file : replay.Header.Files)
    if (!IsReplayFilePath(file.first)) return false;
  // The first tick and frame of each run.
  std::vector<int64_t> runTick, runFrame;
  int64_t tick = 0, frames = 0;
  for (const TReplay::TRun& run : replay.Runs) {
    if (run.FirstTick != tick || run.Count < 1 || run.Ticks < 0 || run.Ticks > 32) return false;
    runTick.push_back(tick);
    runFrame.push_back(frames);
    tick += run.Count * run.Ticks;
    frames += run.Count;
  }
  if (tick != replay.EndTick || frames != replay.FrameCount) return false;
  auto frameStart = [&](int64_t frame) {
    if (frame >= frames) return tick;
    size_t r = 0;
    while (r + 1 < runFrame.size() && runFrame[r + 1] <= frame) ++r;
    return runTick[r] + (frame - runFrame[r]) * replay.Runs[r].Ticks;
  };
  int64_t last = 0;
  for (const TReplay::TInput& in : replay.Inputs) {
    if (in.Frame < last || in.Frame > frames || in.Command.Tick > frameStart(in.Frame)) return false;
    last = in.Frame;
  }
  for (const auto& [at, digest] : replay.Digests)
    if (at < 0 || at > tick) return false;
  if (frames > 100000) return true;  // long enough; the walk below is for short ones
  std::vector<TScriptCommand> inputs;
  size_t handed = 0;
  int64_t played = 0, ticks = 0;
  int frameTicks = 0;
  while (replay.NextFrame(inputs, frameTicks)) {
    handed += inputs.size();
    ticks += frameTicks;
    ++played;
  }
  handed += inputs.size();
  if (played != frames || ticks != tick || handed != replay.Inputs.size()) return false;
  return !replay.NextFrame(inputs, frameTicks) && inputs.empty();
}
