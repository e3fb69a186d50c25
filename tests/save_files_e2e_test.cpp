// The player's files end to end: a saved journey, the options or the
// hiscore table that cannot be read is never lost in silence; what a kill
// left half written goes at the next start; a save folder that cannot be
// written says so in plain words; opening a pack changes nothing in it; and
// the messages around packs say what happened.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/GameRunner.h"

namespace {

namespace fs = std::filesystem;
using game_test::GameRunner;
using game_test::ProgressBytes;
using game_test::ReadBytes;
using game_test::WriteBytes;

constexpr const char* kAdventure = "100 270";
constexpr const char* kHiscores = "100 460";
constexpr const char* kCreateOk = "424 348";
constexpr const char* kPackOk = "367 369";

class SaveFilesE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
  }
  static std::string Name() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }
  // Skips the logo at tick 1; clicks on the menu count from tick 122 on.
  static std::string Script(const std::string& body) { return "1 key Escape\n" + body; }
};

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

TEST_F(SaveFilesE2E, ADamagedJourneyIsKeptAsideAndThePlayerTold) {
  GameRunner game(Name());
  const fs::path sa2 = game.Home / "save" / "Ann - Game Levels.sa2";
  const std::vector<uint8_t> good = ProgressBytes(7, 5000, 2);
  std::vector<uint8_t> lengthened = good;
  lengthened.push_back(0);
  const std::vector<std::vector<uint8_t>> damaged = {
      std::vector<uint8_t>(good.begin(), good.begin() + 5), lengthened, ProgressBytes(7, -20, 2), ProgressBytes(7, 5000, 0)};
  const std::string script = game.Script("s.txt", Script(std::string("130 click ") + kAdventure + "\n150 quit\n"));
  for (const std::vector<uint8_t>& bytes : damaged) {
    game_test::WriteKnownPlayer(game.Home, "Ann", 1, 0, 3);
    game_test::WriteConfig(game.Home, "Ann");
    WriteBytes(sa2, bytes);
    fs::remove(sa2.string() + ".damaged");
    ASSERT_EQ(game.Run("--seed 2 --script " + script), 0) << game.Errors;
    EXPECT_NE(game.Errors.find("Your saved journey could not be read; it was kept as \"" + sa2.string() + ".damaged\"."),
              std::string::npos)
        << game.Errors;
    EXPECT_EQ(ReadBytes(sa2.string() + ".damaged"), bytes);
    EXPECT_EQ(ReadBytes(sa2), ProgressBytes(1, 0, 3)) << "a fresh journey is saved in its place";
  }
}

// A saved journey, an options file or a hiscore table that the game may
// not read is named with the reason, and never written over.
TEST_F(SaveFilesE2E, AFileThatCannotBeReadIsNamedAndNeverWrittenOver) {
  const char* prefix = game_test::WithoutFileAdminRights();
  if (!prefix) GTEST_SKIP() << "no way to run the game without the power to read any file";
  GameRunner game(Name());
  game.Prefix = prefix;
  game_test::WriteKnownPlayer(game.Home, "Ann", 7, 5000, 2);
  game_test::WriteConfig(game.Home, "Ann");
  const fs::path sa2 = game.Home / "save" / "Ann - Game Levels.sa2";
  const std::vector<uint8_t> journey = ReadBytes(sa2);
  fs::permissions(sa2, fs::perms::none);
  // Adventure: the journey cannot be read, so a new one is played, but not
  // saved over it.
  const std::string script = game.Script("s.txt", Script(std::string("130 click ") + kAdventure + "\n150 quit\n"));
  ASSERT_EQ(game.Run("--seed 2 --script " + script), 0) << game.Errors;
  EXPECT_NE(game.Errors.find("Your saved journey \"" + sa2.string() +
                             "\" could not be read: permission denied. It is left as it is, and this game will not be "
                             "saved over it."),
            std::string::npos)
      << game.Errors;
  fs::permissions(sa2, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(ReadBytes(sa2), journey);
  EXPECT_FALSE(fs::exists(sa2.string() + ".damaged"));

  // The options: read-protected, left as they were after a session that
  // saves them.
  // No player can be named: a new one is made, which saves the options.
  const fs::path cfg = game.Home / "arvanels.cfg";
  const std::vector<uint8_t> options = ReadBytes(cfg);
  fs::permissions(cfg, fs::perms::none);
  const std::string create =
      game.Script("c.txt", Script(std::string("20 text \"Bea\"\n30 click ") + kCreateOk + "\n100 quit\n"));
  ASSERT_EQ(game.Run("--seed 2 --script " + create), 0) << game.Errors;
  ASSERT_TRUE(game.Exists("save/Bea.sav")) << game.Errors;
  EXPECT_NE(game.Errors.find("Your options \"" + cfg.string() +
                             "\" could not be read: permission denied. The file is left as it is, and options you "
                             "change now will not be saved."),
            std::string::npos)
      << game.Errors;
  fs::permissions(cfg, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(ReadBytes(cfg), options);

  // The hiscore table: shown as the game came, the player's left alone.
  const fs::path table = game.Home / "data" / "hiscore.arv";
  const std::vector<uint8_t> scores = ReadBytes(table);
  fs::permissions(table, fs::perms::none);
  const std::string show = game.Script("h.txt", Script(std::string("130 click ") + kHiscores + "\n140 dump h.json\n142 quit\n"));
  ASSERT_EQ(game.Run("--script " + show), 0) << game.Errors;
  EXPECT_NE(game.Errors.find("The hiscore table \"" + table.string() + "\" could not be read: permission denied."),
            std::string::npos)
      << game.Errors;
  EXPECT_EQ(game_test::DumpNumber(game.Read("h.json"), "screen_state"), 10);
  fs::permissions(table, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(ReadBytes(table), scores);
}

// Damaged options and a damaged hiscore table are kept aside too.
TEST_F(SaveFilesE2E, DamagedOptionsAndHiscoresAreKeptAside) {
  GameRunner game(Name());
  game_test::WriteKnownPlayer(game.Home, "Ann", 1, 0, 3);
  const fs::path cfg = game.Home / "arvanels.cfg";
  WriteBytes(cfg, {3, 'A', 'n', 'n'});
  const fs::path table = game.Home / "data" / "hiscore.arv";
  const std::vector<uint8_t> shipped = ReadBytes(game.Home / "data" / "hiscore-shipped.arv");
  WriteBytes(table, Bytes("not a table"));
  // The first start's form (no player named), then Ann's hiscores.
  const std::string script =
      game.Script("s.txt", Script(std::string("20 text \"Bea\"\n30 click ") + kCreateOk + "\n200 click " + kHiscores +
                                  "\n220 dump h.json\n222 quit\n"));
  ASSERT_EQ(game.Run("--seed 2 --script " + script), 0) << game.Errors;
  EXPECT_NE(game.Errors.find("Your options could not be read; they were kept as \"" + cfg.string() +
                             ".damaged\", and the game starts with its usual options."),
            std::string::npos)
      << game.Errors;
  EXPECT_EQ(ReadBytes(cfg.string() + ".damaged"), (std::vector<uint8_t>{3, 'A', 'n', 'n'}));
  EXPECT_EQ(ReadBytes(cfg).size(), 105u) << "the new options are saved";
  EXPECT_NE(game.Errors.find("The hiscore table could not be read; it was kept as \"" + table.string() +
                             ".damaged\", and the table starts again as the game came."),
            std::string::npos)
      << game.Errors;
  EXPECT_EQ(ReadBytes(table.string() + ".damaged"), Bytes("not a table"));
  EXPECT_EQ(ReadBytes(table), shipped);
  EXPECT_EQ(game_test::DumpNumber(game.Read("h.json"), "screen_state"), 10);
}

TEST_F(SaveFilesE2E, WhatAKillLeftHalfWrittenGoesAtTheNextStart) {
  GameRunner game(Name());
  game_test::WriteKnownPlayer(game.Home, "Ann", 1, 0, 3);
  game_test::WriteConfig(game.Home, "Ann");
  const std::vector<std::string> stale = {".arvanels.cfg.k1LL3d", "save/.Ann.sav.Ab12Cd",
                                          "save/.Ann - Game Levels.sa2.Zz99Yy", "replays/.last.replay.Qq11Ww",
                                          "data/.hiscore.arv.Mm22Nn"};
  const std::vector<std::string> others = {".notes.txt.Ab12Cd", "save/.Ann.sav", "save/notes.txt",
                                           "replays/.kept.txt.Ab12Cd"};
  for (const std::string& name : stale) WriteBytes(game.Home / name, Bytes("half"));
  for (const std::string& name : others) WriteBytes(game.Home / name, Bytes("mine"));
  WriteBytes(game.Home / "outside.txt", Bytes("outside"));
  fs::create_symlink(game.Home / "outside.txt", game.Home / "save" / ".Bob.sav.Lnk123");
  ASSERT_EQ(game.Run("--ticks 5"), 0) << game.Errors;
  for (const std::string& name : stale) EXPECT_FALSE(fs::exists(game.Home / name)) << name;
  for (const std::string& name : others) EXPECT_EQ(game.Read(name), "mine") << name;
  EXPECT_TRUE(fs::is_symlink(game.Home / "save" / ".Bob.sav.Lnk123"));
  EXPECT_EQ(game.Read("outside.txt"), "outside");
}

// A save folder the game may not write: said once at the start, and every
// failed save says "permission denied", not that a file is missing.
TEST_F(SaveFilesE2E, AReadOnlySaveFolderIsSaidOnceAndItsWritesSayPermissionDenied) {
  const char* prefix = game_test::WithoutFileAdminRights();
  if (!prefix) GTEST_SKIP() << "no way to run the game without the power to write any file";
  GameRunner game(Name());
  game.Prefix = prefix;
  const fs::path saves = game.Home / "saves";
  fs::create_directories(saves);
  fs::permissions(saves, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  // The first start: a new player, whose files cannot be written.
  const std::string script = game.Script("s.txt", Script(std::string("20 text \"Ann\"\n30 click ") + kCreateOk +
                                                          "\n100 quit\n"));
  EXPECT_EQ(game.Run("--save-home \"" + saves.string() + "\" --seed 2 --script " + script), 0) << game.Errors;
  fs::permissions(saves, fs::perms::owner_all);
  EXPECT_EQ(game_test::Occurrences(game.Errors, "\"" + saves.string() +
                                                    "\", where the game keeps your players, saved games and options, "
                                                    "cannot be written (permission denied): nothing of this game will "
                                                    "be saved."),
            1)
      << game.Errors;
  EXPECT_NE(game.Errors.find("Permission denied"), std::string::npos) << game.Errors;
  EXPECT_EQ(game.Errors.find("No such file or directory"), std::string::npos) << game.Errors;
  EXPECT_TRUE(fs::is_empty(saves));
}

// Opening a pack to play it touches only what the game itself wrote there.
TEST_F(SaveFilesE2E, OpeningAPackChangesNothingOthersPutThere) {
  GameRunner game(Name(), false);
  for (int n = 1; n <= 3; ++n) ASSERT_TRUE(game.WriteLevel("Duo", n, {"TTBT", "BFWF"}, {"1121", "1111"}, 90 + n));
  const fs::path pack = game.Home / "levels" / "Duo";
  WriteBytes(pack / ".notes.backup", Bytes("notes"));
  WriteBytes(pack / ".project.config", Bytes("config"));
  // A record planted to move level 3 over level 1.
  WriteBytes(pack / ".1.opt.group", Bytes("3.lvl\t1.lvl\n3.opt\t1.opt\n"));
  auto state = [&] {
    std::string text;
    for (const auto& e : fs::directory_iterator(pack))
      text += e.path().filename().string() + "=" + game_test::ReadFile(e.path()) + "\n";
    return text;
  };
  const std::string before = state();
  ASSERT_EQ(game.Run("--play Duo 1 --ticks 20"), 0) << game.Errors;
  EXPECT_EQ(state(), before);
}

// A pack without its first level is not offered; a broken one, chosen,
// says what is wrong and nothing about music.
TEST_F(SaveFilesE2E, PacksThatCannotBePlayedSayWhatIsWrong) {
  GameRunner game(Name());
  game_test::WriteKnownPlayer(game.Home, "Ann", 1, 0, 3);
  game_test::WriteConfig(game.Home, "Ann");
  // Levels 2 only: not offered, so the campaign starts with no chooser.
  ASSERT_TRUE(game.WriteLevel("Holes", 2, {"TTBT", "BFWF"}, {"1121", "1111"}));
  const std::string adventure =
      game.Script("s.txt", Script(std::string("130 click ") + kAdventure + "\n140 dump d.json\n142 quit\n"));
  ASSERT_EQ(game.Run("--seed 2 --script " + adventure), 0) << game.Errors;
  EXPECT_EQ(game_test::DumpNumber(game.Read("d.json"), "level_packs"), 1);
  EXPECT_NE(game.Read("d.json").find("\"pack\":\"Game Levels\""), std::string::npos);
  EXPECT_EQ(game.Errors.find("Please build or reinstall"), std::string::npos) << game.Errors;

  // A first level whose options are cut short: offered, chosen, refused.
  ASSERT_TRUE(game.WriteLevel("Broken", 1, {"TTBT", "BFWF"}, {"1121", "1111"}));
  WriteBytes(game.Home / "levels" / "Broken" / "1.opt", {1, 2, 3});
  const std::string broken = game.Script(
      "b.txt", Script(std::string("130 click ") + kAdventure + "\n140 click " + kPackOk + "\n200 dump b.json\n202 quit\n"));
  ASSERT_EQ(game.Run("--seed 2 --script " + broken), 0) << game.Errors;
  EXPECT_NE(game.Errors.find("is cut short"), std::string::npos) << game.Errors;
  EXPECT_EQ(game.Errors.find("not found for stop"), std::string::npos) << game.Errors;
  EXPECT_EQ(game_test::DumpNumber(game.Read("b.json"), "screen_state"), 1) << "back at the menu";
}

// A new pack whose name reads as the campaign's, or another pack's, but for
// a no-break space, is refused.
TEST_F(SaveFilesE2E, ANewPackNamedLikeAnotherButForItsSpacesIsRefused) {
  GameRunner game(Name());
  game_test::WriteKnownPlayer(game.Home, "Ann", 1, 0, 3);
  game_test::WriteConfig(game.Home, "Ann");
  ASSERT_TRUE(game.WriteLevel("My Pack", 1, {"TTBT", "BFWF"}, {"1121", "1111"}));
  struct Case {
    std::string Typed, Said;
  };
  const std::vector<Case> cases = {
      {"Game Levels\xC2\xA0", "\"Game Levels\" is the story campaign, which cannot be edited."},
      {"Game\xC2\xA0Levels", "\"Game Levels\" is the story campaign, which cannot be edited."},
      {"\xC2\xA0My\xC2\xA0Pack", "looks just like the level pack \"My Pack\""}};
  for (const Case& c : cases) {
    const std::string script = game.Script(
        "s.txt", Script("130 click 100 385\n150 click 430 360\n172 text \"" + c.Typed + "\"\n180 click 500 419\n"
                        "200 dump e.json\n202 quit\n"));
    ASSERT_EQ(game.Run("--seed 2 --script " + script), 0) << game.Errors;
    EXPECT_NE(game.Errors.find(c.Said), std::string::npos) << c.Typed << ": " << game.Errors;
    std::vector<std::string> packs;
    for (const auto& e : fs::directory_iterator(game.Home / "levels")) packs.push_back(e.path().filename().string());
    std::sort(packs.begin(), packs.end());
    EXPECT_EQ(packs, (std::vector<std::string>{"Game Levels", "My Pack"})) << c.Typed;
  }
}

}  // namespace
