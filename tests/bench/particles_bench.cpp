// Particle cost of one busy tick of play: 50 bursts of the shipped explosion
// settings at every stage of their run (each fired again where another piece
// breaks once it is spent) and 8 endless trails of the shipped flight settings
// travelling across the screen, all updated by 9 ms and drawn into the canvas,
// including the end-of-scene flush. Once on a back end that draws nothing (the
// particle systems' and the canvas's own cost) and once on the headless
// software renderer (the whole path down to pixels).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/NullRenderer.h"
#include "data/ParticleSource.h"
#include "engine/particles/XParticleSystem.h"
#include "engine/render/Canvas.h"
#include "engine/render/Device.h"
#include "engine/render/ImageRecord.h"
#include "engine/render/Images.h"
#include "platform/SdlRenderer.h"
#include "support/RenderFixtures.h"

namespace {

constexpr int kBursts = 50;
constexpr int kFlights = 8;
constexpr int kStepMs = 9;

const char* const kBurstNames[] = {"gota-spark",  "book-spark",    "fire-spark",        "green-spark",
                                   "red-spark",   "black-spark",   "pearl-spark",       "cristal-spark",
                                   "forcefield-orange", "forcefield-blue", "map-explosion-spark", "spawn-spark"};
const char* const kFlightNames[] = {"managreen",        "manablue",        "manayellow",        "manared",
                                    "magic-green-ball", "magic-blue-ball", "magic-yellow-ball", "magic-red-ball"};


TPssSettings Shipped(const std::string& name) {
  return LoadParticleSource(
      (std::filesystem::path(GW_SOURCE_DIR) / "content" / "particles" / (name + ".txt")).string());
}

// A cell centre of the board for burst i at its n-th firing.
TPoint2 Cell(int i, int n) {
  const int k = i * 7 + n * 13;
  return TPoint2{60.0f + static_cast<float>(k % 18) * 40, 50.0f + static_cast<float>((k / 18) % 12) * 40};
}

struct Scene {
  std::vector<std::unique_ptr<TXParticleSystem>> Bursts, Flights;
  std::vector<int> Fired;
  int Tick = 0;

  explicit Scene(TCanopyImage* image) {
    TXParticleSystem::ResetSharedRandom();
    for (int i = 0; i < kBursts; ++i) {
      auto& b = Bursts.emplace_back(std::make_unique<TXParticleSystem>(Shipped(kBurstNames[i % 12])));
      b->Image = image;
      Fired.push_back(0);
    }
    for (int i = 0; i < kFlights; ++i) {
      auto& f = Flights.emplace_back(std::make_unique<TXParticleSystem>(Shipped(kFlightNames[i])));
      f->Image = image;
      f->FireAt(FlightX(i), FlightY(i));
    }
    // Bursts start a few ticks apart, so every stage of a run is on screen.
    for (int warm = 0; warm < 300; ++warm) Step();
  }

  float FlightX(int i) const { return static_cast<float>((Tick * 3 + i * 97) % 760 + 20); }
  float FlightY(int i) const { return 560.0f - static_cast<float>((Tick * 2 + i * 61) % 500); }

  void Step() {
    for (int i = 0; i < kBursts; ++i) {
      TXParticleSystem& b = *Bursts[static_cast<size_t>(i)];
      b.Update(kStepMs);
      const bool spent = b.LiveCount() == 0 && b.EmitterTimer() < 1.9f;
      if (spent && Tick >= i * 3) {
        const TPoint2 at = Cell(i, Fired[static_cast<size_t>(i)]++);
        b.FireAt(at.X, at.Y);
      }
    }
    ++Tick;
    for (int i = 0; i < kFlights; ++i) {
      Flights[static_cast<size_t>(i)]->Update(kStepMs);
      Flights[static_cast<size_t>(i)]->FireAt(FlightX(i), FlightY(i));
    }
  }

  void Render(TCanopyCanvas& canvas) const {
    for (const auto& b : Bursts)
      if (b->LiveCount() > 0) b->Render(canvas);
    for (const auto& f : Flights) f->Render(canvas);
  }

  int Live() const {
    int n = 0;
    for (const auto& b : Bursts) n += b->LiveCount();
    for (const auto& f : Flights) n += f->LiveCount();
    return n;
  }
};

void RunTicks(benchmark::State& state, std::unique_ptr<plat::Renderer> renderer) {
  render_test::RenderRig rig(std::move(renderer));
  // Sixteen soft round patterns of 32 x 32, as the particle image has.
  TCanopyImage* image = rig.AddImage(
      "particles", render_test::MakeRecord(128, 128, 1, 32, 32, 32, 32, [](int, int x, int y) {
        const int dx = x % 32 - 16, dy = y % 32 - 16;
        const int a = std::max(0, 255 - (dx * dx + dy * dy));
        return static_cast<uint32_t>(a) << 24 | 0xFFFFFFu;
      }, 16));
  Scene scene(image);
  rig.Device.OnRender = [&](TCanopyDevice&) { scene.Render(rig.Canvas); };
  int64_t particles = 0;
  for (auto _ : state) {
    scene.Step();
    rig.Device.Render(0xFF000000, true);
    particles += scene.Live();
  }
  state.counters["particles"] =
      benchmark::Counter(static_cast<double>(particles), benchmark::Counter::kAvgIterations);
  state.counters["batches"] = rig.Canvas.BatchCount();
}

void BM_ParticleTickBatchingOnly(benchmark::State& state) { RunTicks(state, std::make_unique<NullRenderer>()); }
BENCHMARK(BM_ParticleTickBatchingOnly)->Unit(benchmark::kMicrosecond);

void BM_ParticleTickHeadless(benchmark::State& state) {
  std::string error;
  auto renderer = plat::CreateSdlRenderer(nullptr, 800, 600, false, error);
  if (!renderer) {
    state.SkipWithError(error.c_str());
    return;
  }
  RunTicks(state, std::move(renderer));
}
BENCHMARK(BM_ParticleTickHeadless)->Unit(benchmark::kMicrosecond);

}  // namespace
