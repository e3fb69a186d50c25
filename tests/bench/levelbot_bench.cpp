// The level bot's runs as levelbot plays them: one run in a game started for
// it with every frame drawn (the game's own start-up included), against one
// run in a copy (a forked process) of a game started once, with the frames
// nobody sees left undrawn (with and without the end-of-level tally). Both play
// level 12 of the built campaign; the times are wall-clock times of whole
// runs, since the second kind runs in a child process.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "bot/BotGame.h"
#include "bot/BotPlayer.h"

namespace {

constexpr const char* kPack = "Game Levels";
constexpr int kLevel = 12;

bool DataBuilt(benchmark::State& state) {
  const std::filesystem::path build(GW_BUILD_DIR);
  if (std::filesystem::exists(build / "levels" / kPack / (std::to_string(kLevel) + ".lvl"))) return true;
  state.SkipWithError("the game data and the levels have not been built");
  return false;
}

void BM_BotRunInAFreshGame(benchmark::State& state) {
  if (!DataBuilt(state)) return;
  uint32_t seed = 1;
  for (auto _ : state) {
    const TBotLevelResult r = RunBotOnLevel(GW_BUILD_DIR, kPack, kLevel, seed++);
    if (!r.Error.empty()) state.SkipWithError(r.Error.c_str());
    benchmark::DoNotOptimize(r.Ticks);
  }
}
BENCHMARK(BM_BotRunInAFreshGame)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_BotRunFromAStartedGame(benchmark::State& state) {
  if (!DataBuilt(state)) return;
  TBotGame game;
  std::string error;
  if (!game.Start(GW_BUILD_DIR, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  TBotSettings settings;
  settings.SkipUnseenFrames = true;
  // 1: the tally as levelbot plays it; 0: up to the win, as the fresh run.
  settings.PlayTally = state.range(0) != 0;
  uint32_t seed = 1;
  for (auto _ : state) {
    const pid_t pid = fork();
    if (pid == 0) {
      const TBotLevelResult r = game.PlayLevel(kPack, kLevel, seed, settings);
      _exit(r.Error.empty() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("the run failed");
    ++seed;
  }
}
BENCHMARK(BM_BotRunFromAStartedGame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_BotGameStart(benchmark::State& state) {
  if (!DataBuilt(state)) return;
  for (auto _ : state) {
    TBotGame game;
    std::string error;
    if (!game.Start(GW_BUILD_DIR, error)) state.SkipWithError(error.c_str());
  }
}
BENCHMARK(BM_BotGameStart)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
