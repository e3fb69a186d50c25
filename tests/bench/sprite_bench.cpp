// The sprite engine's per-tick work and one draw pass with 2,000 sprites.
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/sprites/Sprite.h"
#include "engine/sprites/SpriteEngine.h"
#include "support/RenderFixtures.h"

namespace {

// An animated sprite that dies and is replaced now and then, as pieces do.
class Churn : public TAnimSprite {
 public:
  Churn(TSpriteEngine* e, int n) : TAnimSprite(e), N(n) {
    SetImageName("piece");
    SetZ(n % 7);
    SetX(static_cast<float>((n * 37) % 760));
    SetY(static_cast<float>((n * 53) % 560));
    FrameCount = 9;
    FrameSpeed = 0.1f;
    Looping = true;
  }
  void Move(float step) override {
    TAnimSprite::Move(step);
    if (++Age == 600) {
      Dead();
      new Churn(Engine, N + 2000);
    }
  }
  int N;
  int Age = 0;
};

void SpriteTick(benchmark::State& state) {
  TSpriteEngine engine;
  for (int i = 0; i < 2000; ++i) new Churn(&engine, i);
  for (auto _ : state) {
    engine.MoveAll(1.0f);
    engine.CollectDead();
  }
  state.counters["sprites"] = engine.Count();
}
BENCHMARK(SpriteTick);

void SpriteDrawPass(benchmark::State& state) {
  render_test::RenderRig rig(std::make_unique<render_test::RecordingRenderer>());
  auto* rec = static_cast<render_test::RecordingRenderer*>(&rig.BackEnd());
  rig.AddImage("piece", render_test::MakeRecord(360, 40, 1, 40, 40, 40, 40,
                                                [](int, int x, int) { return 0xFF000000u | (x * 0x10101u); }));
  TSpriteEngine engine;
  engine.Canvas = &rig.Canvas;
  engine.Images = &rig.Images;
  for (int i = 0; i < 2000; ++i) new Churn(&engine, i);
  for (auto _ : state) {
    engine.DrawAll();
    rig.Canvas.Flush();
    rec->Draws.clear();
  }
}
BENCHMARK(SpriteDrawPass);

// The collision pass over a board of 18 x 12 tiles that touch but never
// overlap and a one-pixel cursor over one of them, as in play, among sprites
// that take no part. Argument: 0 the plain walk over all pairs, 1 the
// engine's pass.
void CollideBoardAndCursor(benchmark::State& state) {
  TSpriteEngine engine;
  for (int i = 0; i < 150; ++i) new Churn(&engine, i);
  for (int r = 1; r <= 12; ++r) {
    for (int c = 1; c <= 18; ++c) {
      auto* tab = new TSprite(&engine);
      tab->SetZ(2);
      tab->CanCollide = true;
      tab->HitShape = 1;
      tab->HitRect = {40 * c, 40 * r - 10, 40 * c + 40, 40 * r + 30};
    }
  }
  auto* cursor = new TSprite(&engine);
  cursor->SetZ(10000000);
  cursor->CanCollide = true;
  cursor->HitShape = 1;
  cursor->HitRect = {380, 230, 381, 231};
  for (auto _ : state) {
    if (state.range(0))
      engine.CollideAll();
    else
      engine.CollideAllPairs();
  }
  state.counters["sprites"] = engine.Count();
}
BENCHMARK(CollideBoardAndCursor)->Arg(0)->Arg(1);

}  // namespace
