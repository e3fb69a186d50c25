// The pieces of start-up that read the game's built archives: the image list
// (records decoded on one thread, or on every core while this thread makes
// the textures; the full-screen pictures after the logo decoded now, or only
// their headers), and the sound manager (every tune loaded, or only looked up
// as the game does). Real time, with the processor time of every thread.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/SoundManager.h"
#include "bench/NullRenderer.h"
#include "engine/archive/ArchiveKey.h"
#include "engine/archive/CPDb.h"
#include "engine/render/Device.h"
#include "engine/render/Images.h"
#include "platform/Audio.h"

namespace {

bool OpenGameArchives(TCPDb& game, TCPDb& particles) {
  const std::string data = std::string(GW_BUILD_DIR) + "/Data/";
  if (!std::filesystem::exists(data + "GameData.CPDB")) return false;
  game.OpenMode = particles.OpenMode = TCPDb::opReadOnly;
  game.SetFileName(data + "GameData.CPDB");
  particles.SetFileName(data + "GameDataParticles.CPDB");
  ApplyGameArchiveKey(game, particles);
  return game.Open() && particles.Open();
}

bool LaterPicture(const std::string& name) {
  for (const char* picture : {"hiscore.image", "mapa-correto.image", "credits.image", "zeradojogo.image",
                              "open1-1.image", "open1-2.image", "open-box.image", "dwatch.image", "abertura.image"})
    if (name == picture) return true;
  return false;
}

// Argument 0: decoding threads (0 = one per core); argument 1: 1 when the
// later pictures are decoded when drawn.
void BM_StartUpImages(benchmark::State& state) {
  TCPDb game, particles;
  if (!OpenGameArchives(game, particles)) {
    state.SkipWithError("the game data has not been built");
    return;
  }
  NullRenderer renderer;
  TCanopyDevice device(&renderer);
  device.Initialize();
  for (auto _ : state) {
    TCanopyImages images;
    images.SetPublisher(&device);
    images.DecodeThreads = static_cast<int>(state.range(0));
    if (state.range(1)) images.DecodeWhenDrawn = LaterPicture;
    if (!images.LoadFromCPDb(game)) state.SkipWithError(images.LastError().c_str());
    benchmark::DoNotOptimize(images.Count());
  }
}

// Argument: 1 when music is only looked up (the game), 0 when every tune is
// read and parsed.
void BM_StartUpSound(benchmark::State& state) {
  TCPDb game, particles;
  if (!OpenGameArchives(game, particles)) {
    state.SkipWithError("the game data has not been built");
    return;
  }
  plat::Audio_SetNoDevice(true);
  for (auto _ : state) {
    SoundManager sound;
    sound.LoadMusicWhenPlayed = state.range(0) != 0;
    sound.Terminate = [&](int) { state.SkipWithError("a sample failed"); };
    sound.StartUp(game);
    benchmark::DoNotOptimize(sound.SndDigitac);
    sound.Shutdown();
  }
  plat::Audio_SetNoDevice(false);
}

}  // namespace

BENCHMARK(BM_StartUpImages)
    ->Args({1, 0})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_StartUpSound)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
