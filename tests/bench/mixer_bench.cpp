// The mixer's cost: CPU time to mix ten seconds of one tracker module plus
// eight effect voices, in the device's block size. The counter
// "cpu_per_audio_s" is the CPU time spent per second of audio: a fraction of
// real time (target: under 30 ms per second, 3%).
#include <benchmark/benchmark.h>

#include "platform/Audio.h"
#include "support/AudioFixtures.h"

using namespace plat;

namespace {

constexpr int kBlockFrames = 1024;  // what the device asks for at a time
constexpr double kSeconds = 10.0;

void MixSeconds(double seconds) {
  static float block[kBlockFrames * 2];
  int total = static_cast<int>(seconds * kAudioRate);
  for (int done = 0; done < total; done += kBlockFrames) {
    Audio_MixForTest(block, std::min(kBlockFrames, total - done));
    benchmark::DoNotOptimize(block[0]);
  }
}

// music: play the module; voices: how many effect voices sound throughout.
void RunMix(benchmark::State& state, bool music, int voices) {
  Audio_SetNoDevice(true);
  Audio_Init(-1, kAudioRate, 0, nullptr, nullptr);
  // Eight channels, a note in every channel on every row: busier than the
  // game's own tunes.
  std::vector<uint8_t> mod = audiofixtures::MakeMod(8, 3, 1);
  AudioHandle module = Audio_MusicLoad(true, mod.data(), 0, static_cast<uint32_t>(mod.size()), kAudioLoop, kAudioRate);
  std::vector<uint8_t> wav = audiofixtures::MakeWav(44100, 1, 44100, 660);
  AudioHandle sample = Audio_SampleLoad(true, wav.data(), 0, static_cast<uint32_t>(wav.size()), 8,
                                        kAudioLoop | kAudioSampleOverride);
  if (!module || !sample) {
    state.SkipWithError("test audio did not load");
    Audio_Free();
    return;
  }
  if (music) Audio_ChannelPlay(module, true);
  for (int i = 0; i < voices; ++i) {
    AudioHandle voice = Audio_SampleGetChannel(sample, false);
    Audio_ChannelSetAttributes(voice, -1, 60, (i % 3 - 1) * 50);
    Audio_ChannelPlay(voice, false);
  }
  for (auto _ : state) MixSeconds(kSeconds);
  state.counters["cpu_per_audio_s"] = benchmark::Counter(kSeconds * static_cast<double>(state.iterations()),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  Audio_Free();
  Audio_SetNoDevice(false);
}

void BM_MixModulePlusEightVoices(benchmark::State& state) { RunMix(state, true, 8); }
void BM_MixModuleOnly(benchmark::State& state) { RunMix(state, true, 0); }
void BM_MixEightVoicesOnly(benchmark::State& state) { RunMix(state, false, 8); }

}  // namespace

BENCHMARK(BM_MixModulePlusEightVoices)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixModuleOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixEightVoicesOnly)->Unit(benchmark::kMillisecond);
