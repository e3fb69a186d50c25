// The game as it runs: a level of the campaign loaded from the built data,
// the cursor resting on a cell, as a player's game has it. Measures a whole
// process tick and a whole frame of play, and the level editor's frame
// collision pass over the same board. Unlike the board benchmark these have
// the cursor, whose every tick runs the collision pass over all the tiles.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "app/GameSession.h"
#include "board/Board.h"
#include "board/LevelFile.h"
#include "editor/LevelEditor.h"
#include "engine/gui/GuiListBox.h"
#include "engine/sprites/SpriteEngine.h"
#include "layout/ControlNames.h"
#include "players/Player.h"
#include "support/GameRunner.h"

namespace {

constexpr const char* kPack = "Game Levels";
constexpr int kLevel = 12;

// A headless game started from the built data in a scratch folder of its
// own. With `play` it goes straight into the level as --play does, relaxed
// so that the clock stands still and the level never ends under the bench.
struct TRunningGame {
  explicit TRunningGame(const std::string& name, bool play, bool windowed = false) : Runner(name) {
    std::string error;
    plat::PlatformOptions platformOptions;
    platformOptions.Headless = !windowed;
    Platform = plat::Platform::Create(platformOptions, error);
    if (!Platform) {
      Error = "no headless platform: " + error;
      return;
    }
    TLaunchOptions options;
    options.Headless = !windowed;
    options.Windowed = windowed;
    options.Home = Runner.Home.string();
    options.Seed = 12;
    options.Play = play;
    options.PlayPack = kPack;
    options.PlayLevel = kLevel;
    options.Relaxed = true;
    Game = NewGameSession(*Platform, options);
    if (!Game->FormCreate()) {
      Error = "the game could not start";
      Game.reset();
      return;
    }
    // A player who has played before: no tutorial hint stops the board.
    if (Game->HasPlayer()) {
      TPlayer& player = Game->Player();
      for (size_t i = 1; i < player.TutorialFlags.size(); ++i) player.TutorialFlags[i] = 0;
    }
  }
  // The pointer rests over the centre of a cell.
  void PointAt(int col, int row) {
    Game->MouseX = 40 * col + 20;
    Game->MouseY = 40 * row + 10;
  }

  game_test::GameRunner Runner;
  std::unique_ptr<plat::Platform> Platform;
  std::unique_ptr<TGameSession> Game;
  std::string Error;
};

bool Skip(benchmark::State& state, const TRunningGame& g) {
  if (!game_test::GameRunner::Built()) {
    state.SkipWithError("the game and its data have not been built");
    return true;
  }
  if (!g.Game) {
    state.SkipWithError(g.Error.c_str());
    return true;
  }
  return false;
}

void Counters(benchmark::State& state, TGameSession& game) {
  TSpriteEngine& sprites = game.SpriteEngine();
  int colliding = 0;
  for (const TSprite* s : sprites.SpriteList) colliding += s->CanCollide;
  state.counters["sprites"] = sprites.Count();
  state.counters["colliding"] = colliding;
}

// One process tick of play on the level at rest, the cursor over a cell.
void BM_PlayTickLevel12(benchmark::State& state) {
  TRunningGame g("bench-play-tick", true);
  if (Skip(state, g)) return;
  TGameSession& game = *g.Game;
  g.PointAt(9, 6);
  for (int i = 0; i < 1200; ++i) game.TimerProcess();  // the fade-in and the opening falls
  for (auto _ : state) game.TimerProcess();
  state.counters["ticks_per_second"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  Counters(state, game);
  state.counters["playing"] = game.ScreenState == ssPlaying;
}
BENCHMARK(BM_PlayTickLevel12)->MinTime(1.0);

// The collision pass of that tick alone: the cursor and the 216 tiles. With
// argument 0 the plain walk over all pairs, with 1 the engine's pass.
void CollisionPass(TSpriteEngine& sprites, int64_t grid) {
  if (grid)
    sprites.CollideAll();
  else
    sprites.CollideAllPairs();
}

void BM_PlayCollisionLevel12(benchmark::State& state) {
  TRunningGame g("bench-play-collision", true);
  if (Skip(state, g)) return;
  TGameSession& game = *g.Game;
  g.PointAt(9, 6);
  for (int i = 0; i < 1200; ++i) game.TimerProcess();
  TSpriteEngine& sprites = game.SpriteEngine();
  for (auto _ : state) CollisionPass(sprites, state.range(0));
  Counters(state, game);
}
BENCHMARK(BM_PlayCollisionLevel12)->Arg(0)->Arg(1);

// One frame of play as the headless game runs it: the input, two process
// ticks and the drawing.
void BM_PlayFrameLevel12(benchmark::State& state) {
  TRunningGame g("bench-play-frame", true);
  if (Skip(state, g)) return;
  TGameSession& game = *g.Game;
  plat::Event move;
  move.Type = plat::EventType::MouseMove;
  move.X = 40 * 9 + 20;
  move.Y = 40 * 6 + 10;
  game.Platform.InjectEvent(move);
  for (int i = 0; i < 600; ++i) game.RunFrame();
  for (auto _ : state) game.RunFrame();
  Counters(state, game);
  state.counters["playing"] = game.ScreenState == ssPlaying;
}
BENCHMARK(BM_PlayFrameLevel12)->MinTime(1.0);

// One frame of play in a window (SDL's software renderer on the window of
// the video driver in use, the dummy one in the test stage), the cursor
// going to and fro over the board so that each frame changes a little, as
// in play. The frame waits for the display's pace; the figure to read is
// the processor time, not the wall time.
void BM_WindowedPlayFrameLevel12(benchmark::State& state) {
  TRunningGame g("bench-play-window", true, true);
  if (Skip(state, g)) return;
  TGameSession& game = *g.Game;
  for (int i = 0; i < 240; ++i) game.RunFrame();
  int frame = 0;
  for (auto _ : state) {
    plat::Event move;
    move.Type = plat::EventType::MouseMove;
    move.X = 40 * (3 + frame % 12) + 20;
    move.Y = 40 * (2 + (frame / 12) % 8) + 10;
    game.Platform.InjectEvent(move);
    game.RunFrame();
    ++frame;
  }
  Counters(state, game);
  state.counters["playing"] = game.ScreenState == ssPlaying;
}
BENCHMARK(BM_WindowedPlayFrameLevel12)->MeasureProcessCPUTime()->Iterations(300);

// The level editor's frame collision pass (the cursor against every cell)
// with the same level open for editing and the button up; the argument as
// above. The editor does not open the campaign, so the level goes into a
// pack of its own first.
void BM_EditorFrameCollision(benchmark::State& state) {
  TRunningGame g("bench-editor", false);
  if (Skip(state, g)) return;
  TGameSession& game = *g.Game;
  const std::string home = g.Runner.Home.string();
  const std::string pack = "Bench Copy";
  std::error_code ec;
  std::filesystem::create_directories(PackFolder(home, pack), ec);
  std::filesystem::copy_file(LevelCellsPath(home, kPack, kLevel), LevelCellsPath(home, pack, 1), ec);
  std::filesystem::copy_file(LevelOptionsPath(home, kPack, kLevel), LevelOptionsPath(home, pack, 1), ec);
  TLevelEditor& editor = *game.Editor;
  editor.Enter();
  const auto& names = editor.PackNames();
  const auto at = std::find(names.begin(), names.end(), pack);
  TGuiListBox* list = FindListBox(game.GuiBase1, TControlName::LevelList);
  if (ec || at == names.end() || !list) {
    state.SkipWithError("the editor does not offer the copied level");
    return;
  }
  list->SetItemIndex(static_cast<int>(at - names.begin()));
  editor.OpenSelectedPack();
  if (!editor.InLevel()) {
    state.SkipWithError("the editor could not open the level");
    return;
  }
  g.PointAt(9, 6);
  // The ticks between the frames place the cells' hit rectangles.
  for (int i = 0; i < 120; ++i) game.TimerProcess();
  TSpriteEngine& sprites = game.SpriteEngine();
  for (auto _ : state) {
    editor.FrameStart();
    CollisionPass(sprites, state.range(0));
    sprites.CollectDead();
  }
  Counters(state, game);
}
BENCHMARK(BM_EditorFrameCollision)->Arg(0)->Arg(1);

}  // namespace
