// Reading replays grows with their length and no faster: the header's
// player files (each looked up among the others once), an edited body whose
// inputs wait for frames far ahead, and a recorded session's body of inputs,
// frames and digests, each at four lengths; Google Benchmark fits the time
// to N (reported as the big-O line). Also the recorder's cost per frame of
// active play.
#include <benchmark/benchmark.h>

#include <string>

#include "automation/Replay.h"
#include "platform/Platform.h"

namespace {

const std::string kHead = "grovewright-replay 1\nversion 1.2\nseed 5\n";

std::string FileLines(int64_t n) {
  std::string text = kHead;
  for (int64_t i = 0; i < n; ++i) text += "file save/" + std::to_string(i) + ".sav \"\"\n";
  return text + "0 frames 2\n2 end 0\n";
}

// n inputs, latest first, all waiting for frames that come after them.
std::string WaitingInputs(int64_t n) {
  std::string text = kHead;
  for (int64_t i = 0; i < n; ++i) text += std::to_string(2 * (n - i)) + " mouse 1 1\n";
  int64_t reached = 0;
  while (reached <= 2 * n) {
    text += std::to_string(reached) + " frames 2x1000\n";
    reached += 2000;
  }
  return text + std::to_string(reached) + " end 0\n";
}

std::string Session(int64_t n) {
  std::string text = kHead;
  for (int64_t t = 0; t < 2 * n; t += 2) {
    text += std::to_string(t) + " mouse " + std::to_string(t % 800) + " 300\n";
    text += std::to_string(t) + " frames 2\n";
    if ((t + 2) % 120 == 0) text += std::to_string(t + 2) + " digest 0123456789abcdef\n";
  }
  return text + std::to_string(2 * n) + " end 0\n";
}

void Parse(benchmark::State& state, std::string (*make)(int64_t)) {
  const std::string text = make(state.range(0));
  for (auto _ : state) {
    TReplay replay = TReplay::Parse(text, "bench.replay");
    benchmark::DoNotOptimize(replay.LineCount);
  }
  state.SetComplexityN(state.range(0));
}

void BM_ReplayHeaderFileLines(benchmark::State& state) { Parse(state, FileLines); }
void BM_ReplayInputsWaitingFarAhead(benchmark::State& state) { Parse(state, WaitingInputs); }
void BM_ReplaySessionBody(benchmark::State& state) { Parse(state, Session); }
BENCHMARK(BM_ReplayHeaderFileLines)->RangeMultiplier(4)->Range(4000, 256000)->Complexity();
BENCHMARK(BM_ReplayInputsWaitingFarAhead)->RangeMultiplier(4)->Range(1000, 64000)->Complexity();
BENCHMARK(BM_ReplaySessionBody)->RangeMultiplier(4)->Range(4000, 256000)->Complexity();

void BM_ReplayRecorderFrame(benchmark::State& state) {
  TReplayHeader header;
  header.Version = "1.2";
  TReplayRecorder rec(header);
  plat::Event move;
  move.Type = plat::EventType::MouseMove;
  int64_t t = 0;
  for (auto _ : state) {
    move.X = static_cast<int>(t % 800);
    rec.Input(t, move);
    rec.Frame(t, 2);
    t += 2;
  }
}
// A million frames stay within what one replay holds.
BENCHMARK(BM_ReplayRecorderFrame)->Iterations(1000000);

}  // namespace
