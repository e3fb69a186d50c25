// Music read when it first plays (LoadMusicWhenPlayed, as the game runs it):
// start-up only looks the records up, a tune sounds as it always did, a bad
// record is reported as at start-up, and only the last few tunes stay loaded.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/SoundManager.h"
#include "engine/archive/CPDb.h"
#include "engine/archive/CPDbWriter.h"
#include "platform/Audio.h"
#include "support/AudioFixtures.h"

using namespace audiofixtures;

namespace {

struct Terminated {
  int Code;
};

class MusicOnDemand : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::Audio_SetNoDevice(true);
    Sound.LoadMusicWhenPlayed = true;
    Sound.ShowErrorHandler = [this](const std::string& text) { Errors.push_back(text); };
    Sound.FatalErrorHandler = [this](const std::string& text) { Errors.push_back("fatal: " + text); };
    Sound.Terminate = [](int code) { throw Terminated{code}; };
  }
  void TearDown() override {
    if (Sound.Started()) Sound.Shutdown();
    plat::Audio_SetNoDevice(false);
  }

  // The game's audio records: short modules, a one-second MP3 for Music6,
  // a short tone for every effect; less the missing ones, some replaced and
  // one record's stored bytes damaged.
  void StartUp(const std::set<std::string>& missing = {},
               const std::map<std::string, std::vector<uint8_t>>& replaced = {}, const std::string& damaged = "") {
    static const std::vector<uint8_t> mod = MakeMod(4, 1), mp3 = MakeMp3(44100, 2, 44100, 330),
                                      ogg = MakeOgg(44100, 1, 4410, 660);
    TCPDbWriter writer;
    for (const auto& music : SoundManager::MusicTable()) {
      if (missing.count(music.File)) continue;
      auto it = replaced.find(music.File);
      writer.Add(music.File, 0,
                 it != replaced.end() ? it->second : (std::string(music.File).ends_with(".mp3") ? mp3 : mod), false);
    }
    for (const auto& sample : SoundManager::SampleTable()) writer.Add(sample.File, 0, ogg, false);
    std::vector<uint8_t> file;
    ASSERT_TRUE(writer.Serialize(file));
    if (!damaged.empty()) {
      TCPDb look;
      look.SetFileData(file);
      const TCPDbEntry& e = look.Entries()[static_cast<size_t>(look.IndexOf(damaged))];
      file[e.HeaderOffset + 44 + e.StoredSize / 2] ^= 0x55;
    }
    Archive.OpenMode = TCPDb::opReadOnly;
    Archive.SetFileData(std::move(file));
    Sound.StartUp(Archive);
  }

  static std::vector<float> Mix(double seconds) {
    std::vector<float> out(static_cast<size_t>(seconds * plat::kAudioRate) * 2);
    plat::Audio_MixForTest(out.data(), static_cast<int>(out.size() / 2));
    return out;
  }
  uint32_t Channel(const std::string& key) {
    TMusicEntry* entry = Sound.FindMusic(key);
    return entry ? entry->Channel : 0;
  }

  TCPDb Archive;
  SoundManager Sound;
  std::vector<std::string> Errors;
};

}  // namespace

TEST_F(MusicOnDemand, StartUpOnlyLooksTheRecordsUpAndATuneLoadsWhenItPlays) {
  StartUp({"map.it"});
  EXPECT_EQ(Errors, std::vector<std::string>{"Error loading map.itfrom CPDb!"}) << "a missing record, at once";
  ASSERT_EQ(Sound.Entries().size(), 14u);
  for (const auto& entry : Sound.Entries()) EXPECT_EQ(entry->Channel, 0u) << entry->Key;
  EXPECT_EQ(Sound.LoadedTunes(), 0);
  EXPECT_NE(Sound.SndDigitac, 0u) << "the effects are loaded as ever";
  Errors.clear();

  // Stopping a tune never played has nothing to stop, and says nothing.
  Sound.StopMusic("Music3");
  EXPECT_EQ(Channel("Music3"), 0u);
  Sound.PlayMusic("Music3", true);
  const uint32_t music3 = Channel("Music3");
  ASSERT_NE(music3, 0u);
  EXPECT_GT(Rms(Mix(0.5), 0), 0.01);
  Sound.StopMusic("Music3");
  EXPECT_EQ(plat::Audio_ChannelGetPosition(music3), 22050);
  Sound.ResumeMusic("Music3");
  Mix(0.25);
  EXPECT_EQ(plat::Audio_ChannelGetPosition(music3), 22050 + 11025) << "resume plays on where it stopped";
  // The MP3 stream loops like a module.
  Sound.PlayMusic("Music6", true);
  Mix(2.5);
  EXPECT_EQ(plat::Audio_ChannelIsActive(Channel("Music6")), 1);
  Sound.PlayMusic("MapMusic", true);
  EXPECT_EQ(Sound.TakeAudioLog(),
            (std::vector<std::string>{"music:stop:Music3", "music:play:Music3", "music:stop:Music3",
                                      "music:resume:Music3", "music:play:Music6", "music:play:MapMusic"}));
  EXPECT_EQ(Errors, std::vector<std::string>{"Stream MapMusic not found for playback!"});
}

TEST_F(MusicOnDemand, AnUnplayableOrDamagedTuneIsReportedWhenItFirstPlays) {
  StartUp({}, {{"ingame002.it", std::vector<uint8_t>(2000, 0x42)}}, "ingame003.it");
  EXPECT_TRUE(Errors.empty()) << Errors.front();
  EXPECT_EQ(Sound.Entries().size(), 15u);

  Sound.PlayMusic("Music2", true);
  Sound.PlayMusic("Music3", true);
  EXPECT_EQ(Errors, (std::vector<std::string>{"Error creating stream Music2 Errorcode:" + std::to_string(plat::aeFormat),
                                              "Error loading ingame003.itfrom CPDb!"}));
  // From then on the keys are unregistered, as they would have been.
  EXPECT_EQ(Sound.FindMusic("Music2"), nullptr);
  EXPECT_EQ(Sound.Entries().size(), 13u);
  Errors.clear();
  Sound.PlayMusic("Music2", true);
  Sound.StopMusic("Music3");
  EXPECT_EQ(Errors, (std::vector<std::string>{"Stream Music2 not found for playback!",
                                              "Stream Music3 not found for stop!"}));
  EXPECT_LT(Rms(Mix(0.1), 0), 1e-6);

  // Read ahead, the same.
  SoundManager other;
  std::vector<std::string> otherErrors;
  other.LoadMusicWhenPlayed = true;
  other.ShowErrorHandler = [&](const std::string& text) { otherErrors.push_back(text); };
  Sound.Shutdown();
  other.StartUp(Archive);
  other.PrefetchMusic("Music2");
  other.PrefetchMusic("Music3");
  other.PlayMusic("Music3", true);
  other.PlayMusic("Music2", true);
  EXPECT_EQ(otherErrors, (std::vector<std::string>{"Error loading ingame003.itfrom CPDb!",
                                                   "Error creating stream Music2 Errorcode:" +
                                                       std::to_string(plat::aeFormat)}));
  other.Shutdown();
}

TEST_F(MusicOnDemand, OnlyTheLastFewTunesStayLoadedAndAFreedTuneStartsAgain) {
  StartUp();
  Sound.PlayMusic("MainMenuMusic", true);  // still playing throughout
  for (int i = 1; i <= 6; ++i) {
    const std::string key = "Music" + std::to_string(i);
    Sound.PlayMusic(key, true);
    Mix(0.1);
    Sound.StopMusic(key);
    EXPECT_LE(Sound.LoadedTunes(), 3) << key;
  }
  EXPECT_NE(Channel("MainMenuMusic"), 0u) << "a tune that plays stays";
  EXPECT_EQ(plat::Audio_ChannelIsActive(Channel("MainMenuMusic")), 1);
  EXPECT_NE(Channel("Music6"), 0u);
  EXPECT_NE(Channel("Music5"), 0u);
  EXPECT_EQ(Channel("Music1"), 0u) << "the oldest stopped tune went";

  // Music1 stopped after a tenth of a second; freed since, a resume starts it
  // again from its beginning.
  Sound.ResumeMusic("Music1");
  ASSERT_NE(Channel("Music1"), 0u);
  Mix(0.25);
  EXPECT_EQ(plat::Audio_ChannelGetPosition(Channel("Music1")), 11025);
  EXPECT_LE(Sound.LoadedTunes(), 3);
  EXPECT_TRUE(Errors.empty()) << Errors.front();
}

TEST_F(MusicOnDemand, ATuneReadAheadPlaysAsATuneReadWhenItPlays) {
  StartUp();
  Sound.PrefetchMusic("Music6");
  Sound.PrefetchMusic("life");
  Sound.PrefetchMusic("Music6");    // once is enough
  Sound.PrefetchMusic("NotATune");  // unknown keys are left alone
  EXPECT_EQ(Sound.LoadedTunes(), 0) << "reading ahead makes no channel";
  Sound.PlayMusic("Music6", true);
  EXPECT_GT(Rms(Mix(0.3), 0), 0.1);
  Sound.PlayMusic("life", false);
  Mix(ModSeconds(1) + 0.5);
  EXPECT_EQ(plat::Audio_ChannelIsActive(Channel("life")), 0) << "the jingle plays once";
  // A tune read ahead and never played goes with the shut-down.
  Sound.PrefetchMusic("Music9");
  Sound.Shutdown();
  EXPECT_TRUE(Errors.empty()) << Errors.front();
}
