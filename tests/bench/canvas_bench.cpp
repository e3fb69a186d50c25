// Canvas throughput: one frame of 4,000 textured 40 x 40 quads drawn in runs of
// one image (eight images, 500 quads each, as pieces and tiles are drawn),
// including the end-of-scene flush. Once on the headless software renderer
// (the whole path down to pixels) and once on a back end that draws nothing
// (the canvas's own batching cost).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/NullRenderer.h"
#include "engine/render/Canvas.h"
#include "engine/render/Device.h"
#include "engine/render/ImageRecord.h"
#include "engine/render/Images.h"
#include "platform/SdlRenderer.h"

namespace {

constexpr int kQuads = 4000;
constexpr int kImages = 8;


// Eight 160 x 160 images of 4 x 4 patterns of 40 x 40, half-transparent edges.
TImageRecord PieceSheet(int seed) {
  TImageRecord r;
  r.Format = pfA8R8G8B8;
  r.PatternWidth = r.PatternHeight = r.VisibleWidth = r.VisibleHeight = 40;
  r.TextureWidth = r.TextureHeight = 160;
  r.TextureCount = 1;
  for (int y = 0; y < 160; ++y) {
    for (int x = 0; x < 160; ++x) {
      const bool edge = x % 40 < 3 || y % 40 < 3;
      const uint32_t argb = (edge ? 0x80u : 0xFFu) << 24 | static_cast<uint32_t>((x + seed * 30) & 0xFF) << 16 |
                            static_cast<uint32_t>(y & 0xFF) << 8 | static_cast<uint32_t>(seed * 31);
      uint8_t p[4];
      ArgbToPixel(pfA8R8G8B8, argb, p);
      r.Pixels.insert(r.Pixels.end(), p, p + 4);
    }
  }
  return r;
}

void RunFrames(benchmark::State& state, plat::Renderer& renderer) {
  TCanopyDevice device(&renderer);
  TCanopyCanvas canvas;
  canvas.Antialias = false;
  TCanopyImages images;
  canvas.SetPublisher(&device);
  images.SetPublisher(&device);
  if (!device.Initialize()) {
    state.SkipWithError("device did not initialise");
    return;
  }
  std::vector<TCanopyImage*> sheets;
  for (int i = 0; i < kImages; ++i) {
    TCanopyImage* image = images.Add();
    if (!image->LoadFromRecord(PieceSheet(i))) {
      state.SkipWithError("image did not load");
      return;
    }
    sheets.push_back(image);
  }
  device.OnRender = [&](TCanopyDevice&) {
    for (int i = 0; i < kQuads; ++i) {
      const int run = i / (kQuads / kImages);
      const float x = static_cast<float>((i * 37) % 760);
      const float y = static_cast<float>((i * 53) % 560);
      canvas.Draw(sheets[static_cast<size_t>(run)], i % 16, x, y, kBlendAlpha);
    }
  };
  for (auto _ : state) {
    device.Render(0xFF000000, true);
  }
  state.counters["quads/s"] = benchmark::Counter(static_cast<double>(kQuads), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["batches"] = canvas.BatchCount();
  device.Finalize();
}

void BM_CanvasFrameHeadless(benchmark::State& state) {
  std::string error;
  auto renderer = plat::CreateSdlRenderer(nullptr, 800, 600, false, error);
  if (!renderer) {
    state.SkipWithError(error.c_str());
    return;
  }
  RunFrames(state, *renderer);
}
BENCHMARK(BM_CanvasFrameHeadless)->Unit(benchmark::kMillisecond);

void BM_CanvasFrameBatchingOnly(benchmark::State& state) {
  NullRenderer renderer;
  RunFrames(state, renderer);
}
BENCHMARK(BM_CanvasFrameBatchingOnly)->Unit(benchmark::kMicrosecond);

}  // namespace
