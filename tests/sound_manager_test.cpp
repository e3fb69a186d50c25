// The sound manager driven through the audio layer with no device: what it
// registers and loads from the archive, how the player's options gate it, and
// what it tells the player when data is missing.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/SoundManager.h"
#include "engine/archive/CPDb.h"
#include "engine/archive/CPDbWriter.h"
#include "engine/core/ZeroPad.h"
#include "platform/Audio.h"
#include "support/AudioFixtures.h"

using namespace audiofixtures;

namespace {

struct Terminated {
  int Code;
};

// The records StartUp reads, built once: short modules, a one-second MP3 for
// the stream entry and a tenth of a second of tone for every effect.
const std::map<std::string, std::vector<uint8_t>>& GameAudioRecords() {
  static const std::map<std::string, std::vector<uint8_t>> records = [] {
    std::map<std::string, std::vector<uint8_t>> r;
    std::vector<uint8_t> mod = MakeMod(4, 1);
    std::vector<uint8_t> mp3 = MakeMp3(44100, 2, 44100, 330);
    std::vector<uint8_t> ogg = MakeOgg(44100, 1, 4410, 660);
    for (const auto& music : SoundManager::MusicTable())
      r[music.File] = std::string(music.File).ends_with(".mp3") ? mp3 : mod;
    for (const auto& sample : SoundManager::SampleTable()) r[sample.File] = ogg;
    return r;
  }();
  return records;
}

class SoundManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::Audio_SetNoDevice(true);
    Sound.ShowErrorHandler = [this](const std::string& text) { Errors.push_back(text); };
    Sound.FatalErrorHandler = [this](const std::string& text) { Fatals.push_back(text); };
    Sound.Terminate = [](int code) { throw Terminated{code}; };
    Sound.MusicOn = [this] { return MusicOn; };
    Sound.SoundOn = [this] { return SoundOn; };
  }
  void TearDown() override {
    if (Sound.Started()) Sound.Shutdown();
    plat::Audio_SetNoDevice(false);
  }

  // Opens an archive of the game's audio records, less the missing ones and
  // with some replaced.
  void OpenArchive(const std::set<std::string>& missing = {},
                   const std::map<std::string, std::vector<uint8_t>>& replaced = {}) {
    TCPDbWriter writer;
    for (const auto& [key, bytes] : GameAudioRecords()) {
      if (missing.count(key)) continue;
      auto it = replaced.find(key);
      writer.Add(key, 0, it != replaced.end() ? it->second : bytes, false);
    }
    std::vector<uint8_t> file;
    std::string error;
    ASSERT_TRUE(writer.Serialize(file, &error)) << error;
    Archive.OpenMode = TCPDb::opReadOnly;
    Archive.SetFileData(std::move(file));
  }

  void StartUp() {
    OpenArchive();
    Sound.StartUp(Archive);
    ASSERT_TRUE(Errors.empty()) << Errors.front();
  }

  static std::vector<float> Mix(double seconds) {
    std::vector<float> out(static_cast<size_t>(seconds * plat::kAudioRate) * 2);
    plat::Audio_MixForTest(out.data(), static_cast<int>(out.size() / 2));
    return out;
  }
  uint32_t Channel(const std::string& key) {
    TMusicEntry* entry = Sound.FindMusic(key);
    EXPECT_NE(entry, nullptr) << key;
    return entry ? entry->Channel : 0;
  }

  TCPDb Archive;
  SoundManager Sound;
  std::vector<std::string> Errors;
  std::vector<std::string> Fatals;
  bool MusicOn = true;
  bool SoundOn = true;
};

}  // namespace

TEST_F(SoundManagerTest, StartUpRegistersAndLoadsInTableOrder) {
  StartUp();
  const auto& table = SoundManager::MusicTable();
  ASSERT_EQ(table.size(), 15u);
  ASSERT_EQ(Sound.Entries().size(), 15u);
  std::set<uint32_t> channels;
  for (size_t i = 0; i < table.size(); ++i) {
    const TMusicEntry& entry = *Sound.Entries()[i];
    EXPECT_EQ(entry.Key, table[i].Key);
    EXPECT_NE(entry.Channel, 0u);
    EXPECT_EQ(entry.Size, GameAudioRecords().at(table[i].File).size());
    EXPECT_EQ(entry.Data, GameAudioRecords().at(table[i].File));
    channels.insert(entry.Channel);
  }
  EXPECT_EQ(channels.size(), 15u);
  EXPECT_EQ(Sound.Entries()[8]->Key, "Music6");

  // Handles are given out in order, so the samples were loaded in table order.
  uint32_t previous = 0;
  for (const auto& sample : SoundManager::SampleTable()) {
    uint32_t handle = Sound.*sample.Handle;
    EXPECT_GT(handle, previous) << sample.File;
    previous = handle;
  }
  EXPECT_EQ(SoundManager::SampleTable().front().File, std::string("break-tab.ogg"));
  // The fifteen of the first release, then the clock's tick added after them.
  ASSERT_EQ(SoundManager::SampleTable().size(), 16u);
  EXPECT_EQ(SoundManager::SampleTable()[14].File, std::string("digitac.ogg"));
  EXPECT_EQ(SoundManager::SampleTable().back().File, std::string("clock-tick.ogg"));
  EXPECT_TRUE(Fatals.empty());
}

TEST_F(SoundManagerTest, KeysAreCaseSensitive) {
  StartUp();
  EXPECT_EQ(Sound.FindMusic("mainmenumusic"), nullptr);
  EXPECT_EQ(Sound.LastFound(), nullptr);
  Sound.PlayMusic("mainmenumusic", true);
  Sound.StopMusic("mainmenumusic");
  Sound.ResumeMusic("Music11");
  EXPECT_EQ(Errors, (std::vector<std::string>{"Stream mainmenumusic not found for playback!",
                                              "Stream mainmenumusic not found for stop!",
                                              "Stream Music11 not found for playback!"}));
  TMusicEntry* found = Sound.FindMusic("MainMenuMusic");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(Sound.LastFound(), found);
  EXPECT_LT(Rms(Mix(0.1), 0), 1e-6);
}

TEST_F(SoundManagerTest, MusicOptionGatesPlayAndResume) {
  StartUp();
  MusicOn = false;
  Sound.PlayMusic("MainMenuMusic", true);
  Sound.PlayMusic("NotRegistered", true);
  Sound.ResumeMusic("Music3");
  EXPECT_TRUE(Errors.empty()) << "nothing is reported, even for an unknown key";
  EXPECT_TRUE(Sound.TakeAudioLog().empty());
  EXPECT_EQ(plat::Audio_ChannelIsActive(Channel("MainMenuMusic")), 0);
  EXPECT_LT(Rms(Mix(0.2), 0), 1e-6);

  // Stopping is never gated: turning music off stops the menu music.
  MusicOn = true;
  Sound.PlayMusic("MainMenuMusic", true);
  EXPECT_GT(Rms(Mix(0.2), 0), 0.01);
  MusicOn = false;
  Sound.StopMusic("MainMenuMusic");
  EXPECT_LT(Rms(Mix(0.2), 0), 1e-6);
  EXPECT_EQ(Sound.TakeAudioLog(),
            (std::vector<std::string>{"music:play:MainMenuMusic", "music:stop:MainMenuMusic"}));
}

TEST_F(SoundManagerTest, SoundOptionSilencesEveryEffect) {
  StartUp();
  SoundOn = false;
  MusicOn = false;
  for (const auto& sample : SoundManager::SampleTable()) Sound.PlaySound(Sound.*sample.Handle);
  EXPECT_LT(Rms(Mix(0.05), 0), 1e-6);
  EXPECT_TRUE(Sound.TakeAudioLog().empty());

  SoundOn = true;
  Sound.PlaySound(Sound.SndDigitac);
  Sound.PlaySound(Sound.SndSnap);
  EXPECT_GT(Rms(Mix(0.05), 0), 0.1);
  EXPECT_EQ(Sound.TakeAudioLog(), (std::vector<std::string>{"play:digitac.ogg", "play:snap.ogg"}));
  EXPECT_TRUE(Sound.TakeAudioLog().empty()) << "taking the log clears it";
  Mix(0.1);
  EXPECT_LT(Rms(Mix(0.1), 0), 1e-6) << "effects end by themselves";
}

// A burst of one effect never waits for a channel: the ninth copy takes over
// the oldest voice.
TEST_F(SoundManagerTest, BurstOfOneEffect) {
  StartUp();
  for (int i = 0; i < 12; ++i) Sound.PlaySound(Sound.SndBreakTab);
  EXPECT_GT(Rms(Mix(0.05), 0), 0.3);
  EXPECT_EQ(Sound.TakeAudioLog().size(), 12u);
}

TEST_F(SoundManagerTest, RestartAndResumeOfMusic) {
  StartUp();
  uint32_t music3 = Channel("Music3");
  Sound.PlayMusic("Music3", true);
  Mix(0.5);
  Sound.StopMusic("Music3");
  EXPECT_EQ(plat::Audio_ChannelIsActive(music3), 0);
  EXPECT_EQ(plat::Audio_ChannelGetPosition(music3), 22050);

  Sound.ResumeMusic("Music3");
  Mix(0.25);
  EXPECT_EQ(plat::Audio_ChannelGetPosition(music3), 22050 + 11025) << "resume plays on where it stopped";

  Sound.PlayMusic("Music3", true);
  Mix(0.25);
  EXPECT_EQ(plat::Audio_ChannelGetPosition(music3), 11025) << "play starts from the beginning";

  // Resume keeps the loop flag of the last play: the module goes round.
  Mix(ModSeconds(1) * 2);
  EXPECT_EQ(plat::Audio_ChannelIsActive(music3), 1);
  EXPECT_EQ(Sound.TakeAudioLog(), (std::vector<std::string>{"music:play:Music3", "music:stop:Music3",
                                                             "music:resume:Music3", "music:play:Music3"}));
  EXPECT_TRUE(Errors.empty());
}

// A level that stands over asks for its tune to stop again and again: the
// stop reaches the log and the audio layer once, until the tune plays again.
TEST_F(SoundManagerTest, RepeatedStopOfAStoppedTuneIsLeftAlone) {
  StartUp();
  Sound.PlayMusic("Music5", true);
  for (int i = 0; i < 12; ++i) Sound.StopMusic("Music5");
  Sound.StopMusic("Music2");  // never played: the first stop still goes through
  Sound.StopMusic("Music2");
  Sound.ResumeMusic("Music5");
  Sound.StopMusic("Music5");
  Sound.PlayMusic("Music5", true);
  Sound.StopMusic("Music5");
  Sound.StopMusic("Music5");
  EXPECT_EQ(Sound.TakeAudioLog(),
            (std::vector<std::string>{"music:play:Music5", "music:stop:Music5", "music:stop:Music2",
                                      "music:resume:Music5", "music:stop:Music5", "music:play:Music5",
                                      "music:stop:Music5"}));
  EXPECT_EQ(plat::Audio_ChannelIsActive(Channel("Music5")), 0);
}

TEST_F(SoundManagerTest, StreamEntryLoopsAndJinglesPlayOnce) {
  StartUp();
  Sound.PlayMusic("Music6", true);  // the MP3 entry, one second long
  Mix(2.5);
  EXPECT_EQ(plat::Audio_ChannelIsActive(Channel("Music6")), 1);
  EXPECT_GT(Rms(Mix(0.2), 0), 0.1);
  for (int i = 1; i <= 9; ++i) Sound.StopMusic("Music" + std::to_string(i));
  EXPECT_LT(Rms(Mix(0.1), 0), 1e-6);

  Sound.PlayMusic("life", false);
  EXPECT_GT(Rms(Mix(0.5), 0), 0.01);
  Mix(ModSeconds(1));
  EXPECT_EQ(plat::Audio_ChannelIsActive(Channel("life")), 0);
  EXPECT_TRUE(Errors.empty());
}

TEST_F(SoundManagerTest, MissingOrUnplayableMusicStaysUnregistered) {
  std::vector<uint8_t> junk(2000, 0x42);
  OpenArchive({"map.it"}, {{"ingame002.it", junk}});
  Sound.StartUp(Archive);
  EXPECT_EQ(Errors, (std::vector<std::string>{"Error loading map.itfrom CPDb!",
                                              "Error creating stream Music2 Errorcode:" +
                                                  std::to_string(plat::aeFormat)}));
  EXPECT_EQ(Sound.Entries().size(), 13u);
  EXPECT_EQ(Sound.FindMusic("MapMusic"), nullptr);
  EXPECT_EQ(Sound.Entries()[2]->Key, "Music1");
  Errors.clear();
  Sound.PlayMusic("MapMusic", true);
  EXPECT_EQ(Errors, (std::vector<std::string>{"Stream MapMusic not found for playback!"}));
  EXPECT_TRUE(Fatals.empty()) << "start-up goes on";
  EXPECT_NE(Sound.SndDigitac, 0u);
}

TEST_F(SoundManagerTest, FailedSampleEndsTheProgramAfterItsMessage) {
  for (auto [missing, replaced] : {std::pair<std::string, std::string>{"checkbox.ogg", ""}, {"", "snap.ogg"}}) {
    SoundManager sound;
    std::vector<std::string> fatals;
    sound.ShowErrorHandler = [this](const std::string& text) { Errors.push_back(text); };
    sound.FatalErrorHandler = [&](const std::string& text) { fatals.push_back(text); };
    sound.Terminate = [](int code) { throw Terminated{code}; };
    std::map<std::string, std::vector<uint8_t>> replace;
    if (!replaced.empty()) replace[replaced] = std::vector<uint8_t>(300, 7);
    OpenArchive(missing.empty() ? std::set<std::string>{} : std::set<std::string>{missing}, replace);
    std::string file = missing.empty() ? replaced : missing;
    SCOPED_TRACE(file);

    int code = 0;
    try {
      sound.StartUp(Archive);
    } catch (const Terminated& t) {
      code = t.Code;
    }
    EXPECT_NE(code, 0) << "the program ends";
    EXPECT_EQ(fatals, (std::vector<std::string>{"Failed to load " + file + " sound!"}));
    EXPECT_NE(sound.SndBreakSteel, 0u) << "the samples before it were loaded";
    EXPECT_EQ(sound.SndDigitac, 0u);
    // The audio layer was freed before the message.
    EXPECT_FALSE(plat::Audio_Stop());
    EXPECT_EQ(plat::Audio_ErrorGetCode(), plat::aeInit);
  }
  EXPECT_TRUE(Errors.empty());
}

TEST_F(SoundManagerTest, ShutdownFreesEveryChannel) {
  StartUp();
  uint32_t menu = Channel("MainMenuMusic");
  Sound.PlayMusic("MainMenuMusic", true);
  Sound.Shutdown();
  EXPECT_TRUE(Sound.Entries().empty());
  EXPECT_FALSE(plat::Audio_ChannelPlay(menu, true));
  Sound.Shutdown();  // again: harmless
  EXPECT_TRUE(Errors.empty());

  // The audio layer can be started again afterwards, and starting twice
  // closes the first start's channels before their memory goes.
  Sound.StartUp(Archive);
  Sound.PlayMusic("Music6", true);
  Sound.StartUp(Archive);
  EXPECT_EQ(Sound.Entries().size(), 15u);
  EXPECT_LT(Rms(Mix(0.1), 0), 1e-6);
  Sound.PlayMusic("Music6", true);
  EXPECT_GT(Rms(Mix(0.3), 0), 0.1);
  EXPECT_TRUE(Errors.empty());
}

TEST(ZeroPad, PadsToWidth) {
  EXPECT_EQ(ZeroPad(7, 2), "07");
  EXPECT_EQ(ZeroPad(123, 2), "123");
  EXPECT_EQ(ZeroPad(0, 11), "00000000000");
  EXPECT_EQ(ZeroPad(42, 0), "42");
  EXPECT_EQ(ZeroPad(5, -3), "5");
  EXPECT_EQ(ZeroPad(9876543210LL, 12), "009876543210");
}
