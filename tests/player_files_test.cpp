// The player's files, the hiscore table and the careful file helpers under
// them: formats, damaged input, names that cannot become files, and writes
// that leave nothing half done.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "engine/core/SafeFile.h"
#include "players/Hiscores.h"
#include "players/Player.h"
#include "players/PlayerFiles.h"

namespace fs = std::filesystem;

namespace {

class PlayerFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    Home = fs::temp_directory_path() / ("gw-player-files-" + std::to_string(::getpid()));
    fs::remove_all(Home);
    fs::create_directories(Home);
  }
  void TearDown() override { fs::remove_all(Home); }
  void Write(const fs::path& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
  }
  fs::path Home;
};

TEST(PlayerRecords, NextLifeScoreFollowsTheSavedScore) {
  EXPECT_EQ(NextLifeScoreFor(250000), 300000);
  EXPECT_EQ(NextLifeScoreFor(0), 100000);
  EXPECT_EQ(NextLifeScoreFor(200000), 200000);
  EXPECT_EQ(NextLifeScoreFor(99999), 100000);
  EXPECT_EQ(NextLifeScoreFor(100001), 200000);
  // Near the top of the range the threshold saturates instead of wrapping.
  EXPECT_EQ(NextLifeScoreFor(INT32_MAX), INT32_MAX);
  EXPECT_EQ(NextLifeScoreFor(2100000000), 2100000000);
}

TEST(PlayerRecords, ConfigKeepsTheFirstHundredCharactersOfALongName) {
  TConfigRecord c;
  c.LastPlayer = std::string(120, 'n');
  c.FullScreen = 1;
  c.MusicOn = 0;
  c.SystemCursor = 1;
  c.SoundOn = 0;
  const auto bytes = c.Encode();
  EXPECT_EQ(bytes[0], 100);
  EXPECT_EQ(bytes[101], 1);
  EXPECT_EQ(bytes[102], 0);
  EXPECT_EQ(bytes[103], 1);
  EXPECT_EQ(bytes[104], 0);
  const auto back = TConfigRecord::Decode(bytes.data(), bytes.size());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->LastPlayer, std::string(100, 'n'));
  EXPECT_EQ(back->SystemCursor, 1);
}

TEST(PlayerRecords, DamagedConfigAndProgressAreRefused) {
  TConfigRecord c;
  c.LastPlayer = "Ann";
  auto bytes = c.Encode();
  EXPECT_FALSE(TConfigRecord::Decode(bytes.data(), 104));  // short
  auto bad = bytes;
  bad[0] = 101;  // a name longer than the record holds
  EXPECT_FALSE(TConfigRecord::Decode(bad.data(), bad.size()));
  bad = bytes;
  bad[104] = 7;  // an option byte that is neither on nor off
  EXPECT_FALSE(TConfigRecord::Decode(bad.data(), bad.size()));

  TProgressRecord p{3, 4200, 5};
  const auto pb = p.Encode();
  const auto back = TProgressRecord::Decode(pb.data(), pb.size());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Level, 3);
  EXPECT_EQ(back->Score, 4200);
  EXPECT_EQ(back->Lives, 5);
  EXPECT_FALSE(TProgressRecord::Decode(pb.data(), 11));
  for (TProgressRecord wrong : {TProgressRecord{0, 0, 3}, TProgressRecord{1, -1, 3}, TProgressRecord{1, 0, 0},
                                TProgressRecord{1, 0, -4}}) {
    const auto wb = wrong.Encode();
    EXPECT_FALSE(TProgressRecord::Decode(wb.data(), wb.size())) << wrong.Level << " " << wrong.Score;
  }
}

TEST(PlayerRecords, NamesThatCannotBeFilesAreRefused) {
  std::string reason;
  for (const std::string& ok :
       {std::string("Ann"), std::string("Ann Lee"), std::string("J\xE9r\xF4me"), std::string("a.b"),
        std::string(100, 'x'), std::string("Tom - 2")})
    EXPECT_TRUE(ValidatePlayerName(ok, reason)) << ok << ": " << reason;
  for (const std::string& bad : {std::string(), std::string("   "), std::string("a/b"), std::string("a\\b"),
                                std::string(".."), std::string("."), std::string(".hidden"),
                                std::string("tab\there"), std::string("nl\nx"), std::string(101, 'x'),
                                std::string(120, 'x')}) {
    EXPECT_FALSE(ValidatePlayerName(bad, reason)) << bad;
    EXPECT_FALSE(reason.empty());
  }
  EXPECT_FALSE(ValidatePlayerName("a/b", reason));
  EXPECT_NE(reason.find("\"/\""), std::string::npos) << reason;
}

TEST_F(PlayerFiles, ProgressFilesAreNamedByPlayerPackAndMode) {
  const std::string home = Home.string();
  EXPECT_EQ(fs::path(PlayerMarkerPath(home, "Ann")).filename(), "Ann.sav");
  EXPECT_EQ(fs::path(ProgressPath(home, "Ann", "Game Levels", false)).filename(), "Ann - Game Levels.sa2");
  EXPECT_EQ(fs::path(ProgressPath(home, "Ann", "Game Levels", true)).filename(), "Ann - Game Levels Relaxed.sa2");
  // Names in the game's 8-bit text become UTF-8 file names.
  EXPECT_EQ(fs::path(PlayerMarkerPath(home, "Jos\xE9")).filename(), "Jos\xC3\xA9.sav");
  TPlayer player;
  player.PlayerName = "Ann";
  // Before a pack is chosen only the marker is written, in either mode.
  EXPECT_EQ(player.ProgressFile(home, "", true), PlayerMarkerPath(home, "Ann"));
  EXPECT_EQ(player.ProgressFile(home, "P", true), ProgressPath(home, "Ann", "P", true));
}

TEST_F(PlayerFiles, ConfigRoundTripsAndFallsBackToDefaults) {
  const std::string home = Home.string();
  TPlayer player;
  // No file at all.
  EXPECT_EQ(player.LoadConfig(home), TPlayer::TConfigState::Missing);
  player.PlayerName = "Ann";
  player.MusicOn = 0;
  player.SoundOn = 0;
  player.SystemCursor = 1;
  std::string error;
  ASSERT_TRUE(player.SaveConfig(home, true, error)) << error;
  ASSERT_TRUE(WriteProgressFile(PlayerMarkerPath(home, "Ann"), TProgressRecord{}, error)) << error;

  TPlayer next;
  EXPECT_EQ(next.LoadConfig(home), TPlayer::TConfigState::FullScreen);
  EXPECT_EQ(next.PlayerName, "Ann");
  EXPECT_EQ(next.MusicOn, 0);
  EXPECT_EQ(next.SoundOn, 0);
  EXPECT_EQ(next.SystemCursor, 1);

  // A player whose marker is gone is not named again.
  fs::remove(PlayerMarkerPath(home, "Ann"));
  TPlayer gone;
  EXPECT_EQ(gone.LoadConfig(home), TPlayer::TConfigState::FullScreen);
  EXPECT_EQ(gone.PlayerName, "");

  // A damaged file: defaults, windowed.
  Write(ConfigPath(home), {3, 'A', 'n', 'n', 0, 0});
  TPlayer damaged;
  damaged.SoundOn = 0;
  EXPECT_EQ(damaged.LoadConfig(home), TPlayer::TConfigState::Damaged);
  EXPECT_EQ(damaged.SoundOn, 1);
  EXPECT_EQ(damaged.MusicOn, 1);
  EXPECT_EQ(damaged.SystemCursor, 0);

  // A stand-in player writes nothing.
  fs::remove(ConfigPath(home));
  TPlayer tester;
  tester.Persistent = false;
  tester.PlayerName = "Tester";
  EXPECT_TRUE(tester.SaveConfig(home, false, error));
  EXPECT_FALSE(fs::exists(ConfigPath(home)));
}

TEST_F(PlayerFiles, PlayersAreListedByNameAndOddFilesSkipped) {
  const std::string home = Home.string();
  std::string error;
  for (const char* name : {"bob", "Ann", "Cid"})
    ASSERT_TRUE(WriteProgressFile(PlayerMarkerPath(home, name), TProgressRecord{}, error));
  Write(Home / "save" / "Ann - Game Levels.sa2", {1});
  Write(Home / "save" / ".sav", {1});
  Write(Home / "save" / ".hidden.sav", {1});
  fs::create_directories(Home / "save" / "folder.sav");
  EXPECT_EQ(ListPlayers(home), (std::vector<std::string>{"Ann", "bob", "Cid"}));
  EXPECT_TRUE(ListPlayers((Home / "nowhere").string()).empty());
}

TEST_F(PlayerFiles, AtomicWritesLeaveNoTemporaryAndCreateTheFolder) {
  const fs::path target = Home / "save" / "deep" / "Ann.sav";
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(target.string(), {1, 2, 3}, error)) << error;
  ASSERT_TRUE(WriteFileAtomically(target.string(), {4, 5}, error)) << error;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadSmallFile(target.string(), 100, bytes, error)) << error;
  EXPECT_EQ(bytes, (std::vector<uint8_t>{4, 5}));
  int files = 0;
  for (const auto& item : fs::directory_iterator(target.parent_path())) {
    (void)item;
    ++files;
  }
  EXPECT_EQ(files, 1);
  // A write into a folder that cannot be made fails with a reason.
  Write(Home / "blocker", {0});
  EXPECT_FALSE(WriteFileAtomically((Home / "blocker" / "x.sav").string(), {1}, error));
  EXPECT_FALSE(error.empty());
}

TEST_F(PlayerFiles, ReadsRefuseFoldersPipesAndOversizedFiles) {
  std::vector<uint8_t> bytes;
  std::string error;
  bool missing = false;
  EXPECT_FALSE(ReadSmallFile((Home / "none").string(), 100, bytes, error, &missing));
  EXPECT_TRUE(missing);
  EXPECT_FALSE(ReadSmallFile(Home.string(), 100, bytes, error, &missing));
  EXPECT_FALSE(missing);
  const fs::path fifo = Home / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(ReadSmallFile(fifo.string(), 100, bytes, error));  // and does not block
  Write(Home / "big", std::vector<uint8_t>(101, 7));
  EXPECT_FALSE(ReadSmallFile((Home / "big").string(), 100, bytes, error));
  EXPECT_TRUE(ReadSmallFile((Home / "big").string(), 101, bytes, error));
  EXPECT_EQ(bytes.size(), 101u);
  // A progress file that is a folder reads as damaged, not as garbage.
  fs::create_directories(Home / "save" / "Ann - P.sa2");
  EXPECT_FALSE(ReadProgressFile((Home / "save" / "Ann - P.sa2").string(), error));
}

TEST(HiscoreTable, EntriesMoveDownAndEqualScoresDoNotEnter) {
  THiscoreTable t;
  for (int i = 0; i < kHiscoreRows; ++i) t.Entries[static_cast<size_t>(i)] = {"P" + std::to_string(i + 1), 1000 - 100 * i};
  // Equal to the tenth: stays out, and the table is unchanged.
  EXPECT_EQ(t.Insert("Same", 100), -1);
  EXPECT_EQ(t.Entries[9].Name, "P10");
  // A new first place pushes the tenth out.
  EXPECT_EQ(t.Insert("Top", 5000), 1);
  EXPECT_EQ(t.Entries[0].Name, "Top");
  EXPECT_EQ(t.Entries[1].Name, "P1");
  EXPECT_EQ(t.Entries[9].Name, "P9");
  // Equal to an entry ranks below it; a 41-character name is cut to 40.
  // (Top, P1 1000, P2 900, P3 800, ...: the new 800 comes after P3.)
  EXPECT_EQ(t.Insert(std::string(41, 'L'), 800), 5);
  EXPECT_EQ(t.Entries[3].Name, "P3");
  EXPECT_EQ(t.Entries[4].Name, std::string(40, 'L'));
  const auto bytes = t.Encode();
  ASSERT_EQ(bytes.size(), 480u);
  const auto back = THiscoreTable::Decode(bytes.data(), bytes.size());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Entries[4].Name, std::string(40, 'L'));
  EXPECT_EQ(back->Entries[4].Score, 800);
  EXPECT_FALSE(THiscoreTable::Decode(bytes.data(), 479));
}

}  // namespace
