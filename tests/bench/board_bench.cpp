// The board's share of a process tick on a full 18 x 12 board that never
// stops cascading: every sprite's Move, and every second tick the gravity
// step and the match step, as the game loop runs them.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/GameSession.h"
#include "board/Board.h"
#include "board/BoardTab.h"
#include "board/GameSprite.h"
#include "engine/sprites/SpriteEngine.h"
#include "magic/Effects.h"

namespace {

struct BenchGame {
  BenchGame() {
    std::string error;
    plat::PlatformOptions options;
    options.Headless = true;
    Platform = plat::Platform::Create(options, error);
    TLaunchOptions launch;
    launch.Headless = true;
    Game = NewGameSession(*Platform, launch);
    Game->Random.Seed(2024);
    Game->ScreenState = ssPlaying;
    Game->RelaxedMode = true;  // the clock stands still: no time-over
    TBoard& board = Game->Board();
    board.InitTiles();
    // Two kinds only, so lines keep forming; no skulls to clog it.
    board.Options.AllowBlack = 0;
    board.Options.MaxCaveiras = 0;
    for (int c = 1; c <= kBoardCols; ++c) {
      for (int r = 1; r <= kBoardRows; ++r) {
        TBoardTab& tab = *board.TabAt(c, r);
        tab.Spawn = r == 1;
        board.RefillCell(r, c);
      }
    }
    // One empty locked cell is a box that no line can reach, so the level is
    // never won and the cascade never stops.
    board.TabAt(kBoardCols, kBoardRows)->KillPiece();
    board.TabAt(kBoardCols, kBoardRows)->SetType(ttForceField);
    board.FadingIn = 0;
  }
  std::unique_ptr<plat::Platform> Platform;
  std::unique_ptr<TGameSession> Game;
};

// One process tick of play: board steps on even ticks, every sprite moved,
// dead sprites collected, explosions updated.
void BM_BoardTickInCascade(benchmark::State& state) {
  BenchGame g;
  TGameSession& game = *g.Game;
  const int64_t brokenBefore = game.Explosions().Added;
  for (auto _ : state) game.TimerProcess();
  state.counters["ticks_per_second"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                          benchmark::Counter::kIsRate);
  state.counters["x_real_time"] = benchmark::Counter(static_cast<double>(state.iterations()) / 120.0,
                                                     benchmark::Counter::kIsRate);
  // Every broken piece asks for one explosion: how busy the cascade kept.
  state.counters["broken_per_tick"] = benchmark::Counter(
      static_cast<double>(game.Explosions().Added - brokenBefore) / static_cast<double>(state.iterations()));
  state.counters["sprites"] = game.SpriteEngine().Count();
}
BENCHMARK(BM_BoardTickInCascade)->MinTime(2.0);

// The two board steps alone on a full, settled board.
void BM_GravityAndMatchStep(benchmark::State& state) {
  BenchGame g;
  TBoard& board = *g.Game->BoardIfAny();
  for (int i = 0; i < 3000; ++i) g.Game->TimerProcess();  // let the opening cascade run down
  for (auto _ : state) {
    board.GravityStep();
    benchmark::DoNotOptimize(board.MatchStep(true));
  }
}
BENCHMARK(BM_GravityAndMatchStep);

}  // namespace
