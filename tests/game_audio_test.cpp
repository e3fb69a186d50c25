// The game's own music and effects, read from the built archive and played
// through the sound manager and the audio layer without a device: every entry
// registers, and each sounds (not silent, not clipped) for a few seconds.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "app/SoundManager.h"
#include "engine/archive/ArchiveKey.h"
#include "engine/archive/CPDb.h"
#include "platform/Audio.h"

namespace {

struct Level {
  double Rms = 0;
  double Peak = 0;
};

Level Measure(double seconds) {
  std::vector<float> out(static_cast<size_t>(seconds * plat::kAudioRate) * 2);
  plat::Audio_MixForTest(out.data(), static_cast<int>(out.size() / 2));
  Level l;
  double sum = 0;
  for (float s : out) {
    sum += static_cast<double>(s) * s;
    l.Peak = std::max(l.Peak, static_cast<double>(std::fabs(s)));
  }
  l.Rms = std::sqrt(sum / static_cast<double>(out.size()));
  return l;
}

class GameAudio : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = std::string(GW_BUILD_DIR) + "/Data/GameData.CPDB";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "the game data has not been built";
    Archive.OpenMode = TCPDb::opReadOnly;
    Archive.SetFileName(path);
    TCPDb unused;
    ApplyGameArchiveKey(Archive, unused);
    plat::Audio_SetNoDevice(true);
    Sound.ShowErrorHandler = [this](const std::string& text) { Errors.push_back(text); };
    Sound.FatalErrorHandler = [this](const std::string& text) { Errors.push_back(text); };
    Sound.Terminate = [](int) { FAIL() << "the sound manager ended the program"; };
    Sound.StartUp(Archive);
  }
  void TearDown() override {
    if (Sound.Started()) Sound.Shutdown();
    plat::Audio_SetNoDevice(false);
  }

  TCPDb Archive;
  SoundManager Sound;
  std::vector<std::string> Errors;
};

TEST_F(GameAudio, EveryMusicEntryPlaysAtSaneLevels) {
  ASSERT_TRUE(Errors.empty()) << Errors.front();
  ASSERT_EQ(Sound.Entries().size(), SoundManager::MusicTable().size());
  for (const auto& music : SoundManager::MusicTable()) {
    Sound.PlayMusic(music.Key, false);
    Measure(1.0);  // past a soft intro
    const Level l = Measure(3.0);
    Sound.StopMusic(music.Key);
    EXPECT_GT(l.Rms, 0.01) << music.File << " is silent";
    EXPECT_LT(l.Peak, 1.0) << music.File << " clips";
  }
}

TEST_F(GameAudio, EveryEffectSoundsOnceAndEnds) {
  ASSERT_TRUE(Errors.empty()) << Errors.front();
  for (const auto& sample : SoundManager::SampleTable()) {
    const uint32_t handle = Sound.*(sample.Handle);
    ASSERT_NE(handle, 0u) << sample.File;
    Sound.PlaySound(handle);
    const Level l = Measure(0.05);
    EXPECT_GT(l.Peak, 0.02) << sample.File << " is silent";
    EXPECT_LT(l.Peak, 1.0) << sample.File << " clips";
    Measure(2.0);  // every effect is shorter than two seconds
    EXPECT_LT(Measure(0.1).Peak, 1e-4) << sample.File << " does not end";
  }
}

}  // namespace
