// The care of the player's files that cannot be used: a damaged file is
// kept aside under a name of its own before anything replaces it, one that
// cannot be read is never written over, and the temporary files a kill
// left are cleaned up, only the game's own, never through a link and never
// while a write holds them.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/SafeFile.h"
#include "players/PlayerFiles.h"
#include "players/SaveGuard.h"

namespace {

namespace fs = std::filesystem;

class SaveGuard : public ::testing::Test {
 protected:
  void SetUp() override {
    Home = fs::temp_directory_path() /
           ("gw-guard-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
            std::to_string(::getpid()));
    fs::remove_all(Home);
    fs::create_directories(Home);
  }
  void TearDown() override { fs::remove_all(Home); }
  void Put(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static bool WholeProgress(const std::vector<uint8_t>& b) {
    return TProgressRecord::Decode(b.data(), b.size()).has_value();
  }
  fs::path Home;
};

TEST_F(SaveGuard, ADamagedJourneyIsKeptAsideUnderANameOfItsOwnAndThePlayerTold) {
  TSaveGuard guard;
  const fs::path sa2 = Home / "save" / "Ann - Game Levels.sa2";
  std::string message;
  EXPECT_EQ(guard.Check(sa2.string(), TSaveGuard::TKind::Journey, 1024, WholeProgress, message),
            TSaveGuard::TOutcome::Missing);
  EXPECT_EQ(message, "");
  const auto good = TProgressRecord{4, 500, 2}.Encode();
  Put(sa2, std::string(good.begin(), good.end()));
  EXPECT_EQ(guard.Check(sa2.string(), TSaveGuard::TKind::Journey, 1024, WholeProgress, message),
            TSaveGuard::TOutcome::Read);
  // Cut short, lengthened, a negative score, no lives: each is kept aside,
  // a second one beside the first.
  const std::vector<std::string> damaged = {
      std::string(good.begin(), good.begin() + 7), std::string(good.begin(), good.end()) + "x",
      std::string("\x04\0\0\0\xff\xff\xff\xff\x02\0\0\0", 12), std::string("\x04\0\0\0\0\0\0\0\0\0\0\0", 12)};
  for (size_t i = 0; i < damaged.size(); ++i) {
    Put(sa2, damaged[i]);
    EXPECT_EQ(guard.Check(sa2.string(), TSaveGuard::TKind::Journey, 1024, WholeProgress, message),
              TSaveGuard::TOutcome::KeptAside);
    const std::string kept = sa2.string() + ".damaged" + (i == 0 ? "" : "-" + std::to_string(i + 1));
    EXPECT_EQ(message, "Your saved journey could not be read; it was kept as \"" + kept + "\".");
    EXPECT_EQ(Read(kept), damaged[i]);
    EXPECT_FALSE(fs::exists(sa2));
    EXPECT_TRUE(guard.MayWrite(sa2.string())) << "a fresh game may be saved in its place";
  }
  // The options and the hiscore table say what happens to them.
  const fs::path cfg = Home / "arvanels.cfg";
  Put(cfg, "short");
  guard.Check(cfg.string(), TSaveGuard::TKind::Options, 1024, [](const auto&) { return false; }, message);
  EXPECT_EQ(message, "Your options could not be read; they were kept as \"" + cfg.string() +
                         ".damaged\", and the game starts with its usual options.");
  const fs::path table = Home / "data" / "hiscore.arv";
  Put(table, "short");
  guard.Check(table.string(), TSaveGuard::TKind::Hiscores, 1024, [](const auto&) { return false; }, message);
  EXPECT_EQ(message, "The hiscore table could not be read; it was kept as \"" + table.string() +
                         ".damaged\", and the table starts again as the game came.");
  // A file far too large is damaged too, and goes aside whole.
  Put(sa2, std::string(5000, 'x'));
  EXPECT_EQ(guard.Check(sa2.string(), TSaveGuard::TKind::Journey, 1024, WholeProgress, message),
            TSaveGuard::TOutcome::KeptAside);
}

TEST_F(SaveGuard, AFileThatCannotBeReadIsLeftAsItIsAndNeverWrittenOver) {
  TSaveGuard guard;
  // A folder and a pipe where the saved game should be.
  const fs::path folder = Home / "save" / "Ann - P.sa2";
  fs::create_directories(folder);
  const fs::path pipe = Home / "save" / "Ann - Q.sa2";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  std::string message;
  for (const fs::path& path : {folder, pipe}) {
    EXPECT_EQ(guard.Check(path.string(), TSaveGuard::TKind::Journey, 1024, WholeProgress, message),
              TSaveGuard::TOutcome::Unreadable);
    EXPECT_EQ(message, "Your saved journey \"" + path.string() +
                           "\" could not be read: it is not a plain file. It is left as it is, and this game will not "
                           "be saved over it.");
    EXPECT_FALSE(guard.MayWrite(path.string()));
    EXPECT_FALSE(fs::exists(path.string() + ".damaged"));
  }
  EXPECT_TRUE(guard.MayWrite((Home / "save" / "Bob.sav").string()));
}

TEST_F(SaveGuard, AKeptFileNeverReplacesAnotherKeptOne) {
  const fs::path file = Home / "arvanels.cfg";
  for (int n = 1; n <= 3; ++n) {
    Put(file, "copy " + std::to_string(n));
    std::string keptAs, error;
    ASSERT_TRUE(KeepDamagedFile(file.string(), keptAs, error)) << error;
  }
  EXPECT_EQ(Read(Home / "arvanels.cfg.damaged"), "copy 1");
  EXPECT_EQ(Read(Home / "arvanels.cfg.damaged-2"), "copy 2");
  EXPECT_EQ(Read(Home / "arvanels.cfg.damaged-3"), "copy 3");
}

TEST_F(SaveGuard, OnlyTheGamesOwnStaleTemporariesGoNeverThroughALinkNorWhileHeld) {
  const std::vector<std::string> stale = {".arvanels.cfg.Ab12Cd", "save/.Ann.sav.XyZ789", "save/.Ann - P.sa2.q1w2e3",
                                          "replays/.last.replay.Qwe456", "data/.hiscore.arv.Zzz111"};
  const std::vector<std::string> kept = {".notes.txt.AbC123", "save/.Ann.sav.toolong1",     "save/Ann.sav",
                                         "save/.Ann.sav",     "replays/.last.replay.A-B_C1", "data/.interface.gui.Aa11Bb"};
  for (const std::string& name : stale) Put(Home / name, "half");
  for (const std::string& name : kept) Put(Home / name, "keep");
  // A link of the pattern, whose target must stay whole.
  Put(Home / "elsewhere.txt", "target");
  fs::create_symlink(Home / "elsewhere.txt", Home / "save" / ".Bob.sav.Lnk123");
  // A write in progress holds its file.
  Put(Home / "save" / ".Ann.sav.Held01", "in progress");
  const int held = ::open((Home / "save" / ".Ann.sav.Held01").c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  EXPECT_EQ(RemoveStaleSaveTemporaries(Home.string()), static_cast<int>(stale.size()));
  for (const std::string& name : stale) EXPECT_FALSE(fs::exists(Home / name)) << name;
  for (const std::string& name : kept) EXPECT_TRUE(fs::exists(Home / name)) << name;
  EXPECT_TRUE(fs::exists(Home / "save" / ".Ann.sav.Held01")) << "a write still holds it";
  // Once the write is over, a later start removes it.
  ::close(held);
  EXPECT_EQ(RemoveStaleSaveTemporaries(Home.string()), 1);
  EXPECT_FALSE(fs::exists(Home / "save" / ".Ann.sav.Held01"));
  EXPECT_TRUE(fs::is_symlink(Home / "save" / ".Bob.sav.Lnk123"));
  EXPECT_EQ(Read(Home / "elsewhere.txt"), "target");
  // The game's own writes leave nothing of the pattern behind.
  std::string error;
  ASSERT_TRUE(WriteFileAtomically((Home / "save" / "Cy.sav").string(), {1, 2}, error)) << error;
  EXPECT_EQ(RemoveStaleSaveTemporaries(Home.string()), 0);
}

TEST_F(SaveGuard, TheTemporaryFolderAndTheSaveFolderWarning) {
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  for (const char* value : {"", "relative/tmp", "/no/such/folder"}) {
    ::setenv("TMPDIR", value, 1);
    EXPECT_EQ(TemporaryFolder(), "/tmp") << "TMPDIR=\"" << value << "\"";
  }
  ::setenv("TMPDIR", Home.c_str(), 1);
  EXPECT_EQ(TemporaryFolder(), Home.string());
  if (old)
    ::setenv("TMPDIR", saved.c_str(), 1);
  else
    ::unsetenv("TMPDIR");
  EXPECT_EQ(SaveFolderWarning((Home / "saves").string()), "");
  EXPECT_TRUE(fs::is_directory(Home / "saves"));
  EXPECT_TRUE(fs::is_empty(Home / "saves")) << "the test leaves nothing behind";
  Put(Home / "file", "x");
  EXPECT_EQ(SaveFolderWarning((Home / "file" / "saves").string()),
            "The folder \"" + (Home / "file" / "saves").string() +
                "\", where the game keeps your players, saved games and options, cannot be written (not a "
                "directory): nothing of this game will be saved.");
}

}  // namespace
