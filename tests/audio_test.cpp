// The audio layer without a device: loading, playing, stopping, looping and
// mixing music, streams and samples, pulled through Audio_MixForTest.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Audio.h"
#include "platform/AudioDecoders.h"
#include "platform/AudioMixer.h"
#include "support/AudioFixtures.h"

using namespace plat;
using namespace audiofixtures;

namespace {

class AudioLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    Audio_SetNoDevice(true);
    ASSERT_TRUE(Audio_Init(-1, 44100, 0, nullptr, nullptr));
  }
  void TearDown() override {
    Audio_Free();
    Audio_SetNoDevice(false);
  }

  // Mixes the next seconds of output.
  static std::vector<float> Mix(double seconds) {
    std::vector<float> out(static_cast<size_t>(seconds * kAudioRate) * 2);
    EXPECT_EQ(Audio_MixForTest(out.data(), static_cast<int>(out.size() / 2)), static_cast<int>(out.size() / 2));
    return out;
  }
};

}  // namespace

TEST(AudioLayerLifecycle, VersionInitAndCallsBeforeInit) {
  EXPECT_EQ(Audio_GetVersion(), 0x00020002u);
  std::vector<uint8_t> mod = MakeMod();
  EXPECT_EQ(Audio_MusicLoad(true, mod.data(), 0, static_cast<uint32_t>(mod.size()), 0, 44100), 0u);
  EXPECT_EQ(Audio_ErrorGetCode(), aeInit);
  EXPECT_FALSE(Audio_ChannelPlay(1, true));
  EXPECT_FALSE(Audio_Free());
  float frames[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  EXPECT_EQ(Audio_MixForTest(frames, 4), 0);
  EXPECT_EQ(frames[7], 0.0f);

  Audio_SetNoDevice(true);
  ASSERT_TRUE(Audio_Init(-1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(Audio_ErrorGetCode(), aeOk);
  EXPECT_FALSE(Audio_HasDevice());
  EXPECT_FALSE(Audio_Init(-1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(Audio_ErrorGetCode(), aeAlready);
  EXPECT_TRUE(Audio_Free());
  Audio_SetNoDevice(false);
}

// SDL's dummy driver counts as no device: everything works, nothing is heard
// unless pulled.
TEST(AudioLayerLifecycle, DummyDriverRunsWithoutDevice) {
  const char* driver = std::getenv("SDL_AUDIODRIVER");
  if (!driver || std::string(driver) != "dummy") GTEST_SKIP() << "needs SDL_AUDIODRIVER=dummy";
  ASSERT_TRUE(Audio_Init(-1, 44100, 0, nullptr, nullptr));
  EXPECT_FALSE(Audio_HasDevice());
  std::vector<uint8_t> wav = MakeWav(44100, 1, 4410, 440);
  AudioHandle stream = Audio_StreamCreateFile(true, wav.data(), 0, wav.size(), 0);
  EXPECT_NE(stream, 0u);
  EXPECT_TRUE(Audio_ChannelPlay(stream, true));
  std::vector<float> out(2000);
  EXPECT_EQ(Audio_MixForTest(out.data(), 1000), 1000);
  EXPECT_GT(Rms(out, 0), 0.1);
  EXPECT_TRUE(Audio_Free());
}

TEST_F(AudioLayer, ModulePlaysToItsEndOrLoops) {
  std::vector<uint8_t> mod = MakeMod(4, 1);  // 1.28 s
  AudioHandle music = Audio_MusicLoad(true, mod.data(), 0, static_cast<uint32_t>(mod.size()), 0, 44100);
  ASSERT_NE(music, 0u);
  EXPECT_EQ(Audio_ErrorGetCode(), aeOk);

  EXPECT_LT(Rms(Mix(0.2), 0), 1e-6) << "nothing plays before it is asked to";
  ASSERT_TRUE(Audio_ChannelPlay(music, true));
  EXPECT_EQ(Audio_ChannelIsActive(music), 1);
  EXPECT_GT(Rms(Mix(0.5), 0), 0.05);
  Mix(1.0);
  EXPECT_EQ(Audio_ChannelIsActive(music), 0) << "a module without the loop flag ends";
  EXPECT_LT(Rms(Mix(0.2), 0), 1e-6);

  // Played again after its end it starts over, even without restart.
  ASSERT_TRUE(Audio_ChannelPlay(music, false));
  EXPECT_GT(Rms(Mix(0.3), 0), 0.05);
  EXPECT_LT(Audio_ChannelGetPosition(music), 44100);

  ASSERT_TRUE(Audio_ChannelSetFlags(music, kAudioLoop));
  ASSERT_TRUE(Audio_ChannelPlay(music, true));
  Mix(ModSeconds(1) * 2.5);
  EXPECT_EQ(Audio_ChannelIsActive(music), 1) << "the loop flag keeps it going";
  EXPECT_GT(Rms(Mix(0.3), 0), 0.05);

  // Clearing the flag lets the current pass be the last one.
  ASSERT_TRUE(Audio_ChannelSetFlags(music, 0));
  Mix(ModSeconds(1) + 0.1);
  EXPECT_EQ(Audio_ChannelIsActive(music), 0);
}

TEST_F(AudioLayer, RestartAndResume) {
  std::vector<uint8_t> mod = MakeMod(4, 6);  // 7.68 s
  AudioHandle music = Audio_MusicLoad(true, mod.data(), 0, static_cast<uint32_t>(mod.size()), 0, 44100);
  ASSERT_NE(music, 0u);
  ASSERT_TRUE(Audio_ChannelPlay(music, true));
  Mix(0.5);
  ASSERT_TRUE(Audio_ChannelStop(music));
  EXPECT_EQ(Audio_ChannelIsActive(music), 0);
  EXPECT_TRUE(Audio_ChannelStop(music)) << "stopping a stopped channel is harmless";
  EXPECT_LT(Rms(Mix(0.2), 0), 1e-6);
  EXPECT_EQ(Audio_ChannelGetPosition(music), 22050);

  ASSERT_TRUE(Audio_ChannelPlay(music, false));  // resume
  Mix(0.25);
  EXPECT_EQ(Audio_ChannelGetPosition(music), 22050 + 11025);

  ASSERT_TRUE(Audio_ChannelPlay(music, true));  // from the beginning
  Mix(0.1);
  EXPECT_EQ(Audio_ChannelGetPosition(music), 4410);

  // Restart while playing starts again too.
  ASSERT_TRUE(Audio_ChannelPlay(music, true));
  Mix(0.1);
  EXPECT_EQ(Audio_ChannelGetPosition(music), 4410);
}

TEST_F(AudioLayer, RejectsDataItCannotPlay) {
  std::vector<uint8_t> junk(4000, 0x55);
  EXPECT_EQ(Audio_MusicLoad(true, junk.data(), 0, static_cast<uint32_t>(junk.size()), 0, 44100), 0u);
  EXPECT_EQ(Audio_ErrorGetCode(), aeFormat);
  EXPECT_EQ(Audio_StreamCreateFile(true, junk.data(), 0, junk.size(), 0), 0u);
  EXPECT_EQ(Audio_ErrorGetCode(), aeFormat);
  EXPECT_EQ(Audio_SampleLoad(true, junk.data(), 0, static_cast<uint32_t>(junk.size()), 8, 0), 0u);
  EXPECT_EQ(Audio_ErrorGetCode(), aeFormat);
  EXPECT_EQ(Audio_SampleLoad(true, nullptr, 0, 0, 8, 0), 0u);
  EXPECT_NE(Audio_ErrorGetCode(), aeOk);

  // A WAV cut short, or with a header that lies, must not be read past its end.
  std::vector<uint8_t> wav = MakeWav(44100, 2, 1000, 440);
  std::vector<uint8_t> cut(wav.begin(), wav.begin() + 44 + 1001);
  AudioHandle stream = Audio_StreamCreateFile(true, cut.data(), 0, cut.size(), 0);
  ASSERT_NE(stream, 0u);
  Audio_ChannelPlay(stream, true);
  Mix(0.1);
  EXPECT_EQ(Audio_ChannelGetPosition(stream), 250);
  std::vector<uint8_t> badFormat = wav;
  badFormat[32] = 3;  // block align that does not fit the channels and bits
  EXPECT_EQ(Audio_StreamCreateFile(true, badFormat.data(), 0, badFormat.size(), 0), 0u);
  std::vector<uint8_t> headerOnly(wav.begin(), wav.begin() + 30);
  EXPECT_EQ(Audio_StreamCreateFile(true, headerOnly.data(), 0, headerOnly.size(), 0), 0u);

  std::vector<uint8_t> ogg = MakeOgg(44100, 1, 4410, 440);
  std::vector<uint8_t> brokenOgg(ogg.begin(), ogg.begin() + 40);
  EXPECT_EQ(Audio_StreamCreateFile(true, brokenOgg.data(), 0, brokenOgg.size(), 0), 0u);
  EXPECT_EQ(Audio_ErrorGetCode(), aeFormat);
}

// Streams decode as they play; a tone keeps its pitch through the resampler
// and its length shows when the channel ends.
TEST_F(AudioLayer, StreamsOfEachFormatPlayAtTheirPitch) {
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
    double hz;
  };
  std::vector<Case> cases = {
      {"wav 44100 stereo", MakeWav(44100, 2, 22050, 441), 441},
      {"wav 22050 mono", MakeWav(22050, 1, 11025, 441), 441},
      {"ogg 44100 stereo", MakeOgg(44100, 2, 22050, 441), 441},
      {"ogg 32000 mono", MakeOgg(32000, 1, 16000, 441), 441},
      {"mp3 44100 stereo", MakeMp3(44100, 2, 22050, 441), 441},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(c.data.empty());
    AudioHandle stream = Audio_StreamCreateFile(true, c.data.data(), 0, c.data.size(), 0);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(Audio_ChannelPlay(stream, true));
    std::vector<float> out = Mix(0.4);
    EXPECT_NEAR(Rms(out, 0), 0.5 / std::sqrt(2.0), 0.05);
    EXPECT_NEAR(Rms(out, 1), Rms(out, 0), 0.01) << "mono is spread to both sides";
    EXPECT_NEAR(ZeroCrossings(out, 0), 2 * c.hz * 0.4, 8);
    Mix(0.2);
    EXPECT_EQ(Audio_ChannelIsActive(stream), 0);
    // An encoder may pad a little at either end, never much.
    EXPECT_NEAR(static_cast<double>(Audio_ChannelGetPosition(stream)), 22050, 2400);
    EXPECT_TRUE(Audio_StreamFree(stream));
  }
}

TEST_F(AudioLayer, LoopedStreamsStartOverAtTheirEnd) {
  std::vector<uint8_t> mp3 = MakeMp3(44100, 1, 8820, 300);
  std::vector<uint8_t> wav = MakeWav(22050, 1, 2205, 300);
  for (auto* data : {&mp3, &wav}) {
    AudioHandle stream = Audio_StreamCreateFile(true, data->data(), 0, data->size(), kAudioLoop);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(Audio_ChannelPlay(stream, true));
    Mix(1.05);
    EXPECT_EQ(Audio_ChannelIsActive(stream), 1);
    EXPECT_GT(Rms(Mix(0.2), 0), 0.2);
    EXPECT_LT(Audio_ChannelGetPosition(stream), 12000) << "the position counts from the latest pass";
    Audio_ChannelStop(stream);
  }
}

TEST_F(AudioLayer, StreamFromFileAndMissingFile) {
  std::vector<uint8_t> wav = MakeWav(44100, 1, 4410, 440);
  std::filesystem::path path = std::filesystem::temp_directory_path() / "grovewright_audio_test.wav";
  {
    std::vector<uint8_t> padded(16, 0);  // the stream starts 16 bytes into the file
    padded.insert(padded.end(), wav.begin(), wav.end());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(padded.data()), padded.size());
  }
  AudioHandle stream = Audio_StreamCreateFile(false, path.c_str(), 16, 0, 0);
  ASSERT_NE(stream, 0u);
  Audio_ChannelPlay(stream, true);
  EXPECT_GT(Rms(Mix(0.05), 0), 0.2);
  std::filesystem::remove(path);
  EXPECT_GT(Rms(Mix(0.04), 0), 0.2) << "the file's bytes were read once, at creation";

  EXPECT_EQ(Audio_StreamCreateFile(false, "/nonexistent/grovewright.ogg", 0, 0, 0), 0u);
  EXPECT_EQ(Audio_ErrorGetCode(), aeFileOpen);
}

TEST_F(AudioLayer, SampleVoicesAreSharedOutAndTakenOver) {
  std::vector<uint8_t> ogg = MakeOgg(44100, 1, 4410, 440);  // 0.1 s
  AudioHandle sample = Audio_SampleLoad(true, ogg.data(), 1, static_cast<uint32_t>(ogg.size()), 8, kAudioSampleOverride);
  ASSERT_NE(sample, 0u);

  // Eight voices sound at once; each is a channel of its own.
  std::vector<AudioHandle> voices;
  for (int i = 0; i < 8; ++i) {
    AudioHandle voice = Audio_SampleGetChannel(sample, false);
    ASSERT_NE(voice, 0u);
    for (AudioHandle other : voices) EXPECT_NE(voice, other);
    ASSERT_TRUE(Audio_ChannelPlay(voice, false));
    voices.push_back(voice);
  }
  // A ninth play takes over the voice playing longest, from its start.
  Mix(0.02);
  AudioHandle ninth = Audio_SampleGetChannel(sample, false);
  EXPECT_EQ(ninth, voices[0]);
  EXPECT_EQ(Audio_ChannelGetPosition(ninth), 0);
  Audio_ChannelPlay(ninth, false);
  EXPECT_EQ(Audio_SampleGetChannel(sample, true), 0u) << "only new: no voice is taken over";
  EXPECT_EQ(Audio_ErrorGetCode(), aeNoChannel);

  // Eight voices of one tone in phase add up; the output is clamped.
  std::vector<float> out = Mix(0.05);
  float peak = 0;
  for (float s : out) peak = std::max(peak, std::abs(s));
  EXPECT_FLOAT_EQ(peak, 1.0f);

  // Once they have ended, the same voices are handed out again.
  Mix(0.2);
  for (AudioHandle voice : voices) EXPECT_EQ(Audio_ChannelIsActive(voice), 0);
  EXPECT_EQ(Audio_SampleGetChannel(sample, false), voices[0]);

  // Without the override flag a sample with every voice busy gives none.
  AudioHandle single = Audio_SampleLoad(true, ogg.data(), 0, static_cast<uint32_t>(ogg.size()), 1, 0);
  ASSERT_NE(single, 0u);
  AudioHandle only = Audio_SampleGetChannel(single, false);
  Audio_ChannelPlay(only, false);
  EXPECT_EQ(Audio_SampleGetChannel(single, false), 0u);
  EXPECT_EQ(Audio_ErrorGetCode(), aeNoChannel);

  EXPECT_FALSE(Audio_StreamFree(only)) << "a sample voice is not a stream";
  EXPECT_TRUE(Audio_SampleFree(single));
  EXPECT_FALSE(Audio_ChannelPlay(only, true));
  EXPECT_EQ(Audio_ErrorGetCode(), aeHandle);
  EXPECT_EQ(Audio_SampleLoad(true, ogg.data(), 0, static_cast<uint32_t>(ogg.size()), 0, 0), 0u);
  EXPECT_EQ(Audio_ErrorGetCode(), aeIllParam);
}

TEST_F(AudioLayer, VolumeAndPan) {
  std::vector<uint8_t> wav = MakeWav(44100, 1, 44100, 440);
  AudioHandle stream = Audio_StreamCreateFile(true, wav.data(), 0, wav.size(), kAudioLoop);
  ASSERT_NE(stream, 0u);
  Audio_ChannelPlay(stream, true);
  double full = Rms(Mix(0.1), 0);
  ASSERT_GT(full, 0.3);

  ASSERT_TRUE(Audio_ChannelSetAttributes(stream, -1, 50, 0));
  std::vector<float> half = Mix(0.1);
  EXPECT_NEAR(Rms(half, 0), full / 2, 0.01);
  EXPECT_NEAR(Rms(half, 1), full / 2, 0.01);

  ASSERT_TRUE(Audio_ChannelSetAttributes(stream, -1, -1, -100));  // volume unchanged, hard left
  std::vector<float> left = Mix(0.1);
  EXPECT_NEAR(Rms(left, 0), full / 2, 0.01);
  EXPECT_LT(Rms(left, 1), 1e-6);

  ASSERT_TRUE(Audio_ChannelSetAttributes(stream, -1, 100, 50));
  std::vector<float> right = Mix(0.1);
  EXPECT_NEAR(Rms(right, 0), full / 2, 0.01);
  EXPECT_NEAR(Rms(right, 1), full, 0.01);

  ASSERT_TRUE(Audio_ChannelSetAttributes(stream, -1, 0, 0));
  EXPECT_LT(Rms(Mix(0.1), 0), 1e-6);

  EXPECT_FALSE(Audio_ChannelSetAttributes(stream, -1, 101, 0));
  EXPECT_EQ(Audio_ErrorGetCode(), aeIllParam);
  EXPECT_FALSE(Audio_ChannelSetAttributes(stream, -1, 50, 101));
  EXPECT_FALSE(Audio_ChannelSetAttributes(stream, 22050, 50, 0));
  EXPECT_EQ(Audio_ErrorGetCode(), aeNotAvail);
}

TEST_F(AudioLayer, StopAndStartTheOutput) {
  std::vector<uint8_t> mod = MakeMod(4, 6);
  AudioHandle music = Audio_MusicLoad(true, mod.data(), 0, static_cast<uint32_t>(mod.size()), kAudioLoop, 44100);
  ASSERT_NE(music, 0u);
  Audio_ChannelPlay(music, true);
  Mix(0.1);
  ASSERT_TRUE(Audio_Stop());
  EXPECT_LT(Rms(Mix(0.1), 0), 1e-6);
  EXPECT_EQ(Audio_ChannelGetPosition(music), 4410) << "channels hold their place while the output is stopped";
  ASSERT_TRUE(Audio_Start());
  EXPECT_GT(Rms(Mix(0.1), 0), 0.05);

  ASSERT_TRUE(Audio_StreamFree(music));
  EXPECT_FALSE(Audio_ChannelPlay(music, true));
  EXPECT_EQ(Audio_ErrorGetCode(), aeHandle);
  EXPECT_FALSE(Audio_StreamFree(music));
  EXPECT_LT(Rms(Mix(0.1), 0), 1e-6);
}

// The mixer on a thread of its own, as with a device, while the game thread
// keeps posting: every removed channel comes back exactly once.
TEST(AudioMixerThreads, CommandsFromAnotherThread) {
  AudioMixer mixer;
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    std::vector<float> out(512 * 2);
    while (!stop.load()) mixer.Mix(out.data(), 512);
  });
  auto pcm = std::make_shared<std::vector<float>>(4410 * 2, 0.25f);
  std::vector<std::unique_ptr<AudioChannel>> live;
  size_t removed = 0, returned = 0;
  std::vector<std::unique_ptr<AudioChannel>> waiting;
  for (int round = 0; round < 2000; ++round) {
    auto channel = std::make_unique<AudioChannel>();
    channel->Source = CreatePcmSource(pcm);
    AudioCommand add;
    add.Type = AudioCommand::Add;
    add.Channel = channel.get();
    mixer.Post(add);
    AudioCommand play;
    play.Type = AudioCommand::Play;
    play.Channel = channel.get();
    play.Generation = static_cast<uint32_t>(round + 1);
    mixer.Post(play);
    live.push_back(std::move(channel));
    if (live.size() > 16) {
      AudioCommand remove;
      remove.Type = AudioCommand::Remove;
      remove.Channel = live.front().get();
      mixer.Post(remove);
      waiting.push_back(std::move(live.front()));
      live.erase(live.begin());
      ++removed;
    }
    for (AudioChannel* back : mixer.TakeRetired()) {
      auto it = std::find_if(waiting.begin(), waiting.end(), [&](auto& w) { return w.get() == back; });
      ASSERT_NE(it, waiting.end());
      waiting.erase(it);
      ++returned;
    }
  }
  while (returned < removed) {
    for (AudioChannel* back : mixer.TakeRetired()) {
      auto it = std::find_if(waiting.begin(), waiting.end(), [&](auto& w) { return w.get() == back; });
      ASSERT_NE(it, waiting.end());
      waiting.erase(it);
      ++returned;
    }
    std::this_thread::yield();
  }
  stop = true;
  audio.join();
  EXPECT_EQ(returned, removed);
  EXPECT_TRUE(waiting.empty());
}
