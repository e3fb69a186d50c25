// The game binary started straight into a level (--play) with an input
// script: a swap made with the mouse breaks a line, the board cascades and
// refills, and the dumps show it the same way for the same seed.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "board/LevelFile.h"

namespace {

namespace fs = std::filesystem;

class PlayE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path build(GW_BUILD_DIR);
    if (!fs::exists(build / "Data" / "GameData.CPDB") || !fs::exists(build / "data" / "mappoints.map"))
      GTEST_SKIP() << "the game data has not been built in " << build;
    Home = fs::temp_directory_path() /
           ("gw-play-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(Home);
    fs::create_directories(Home);
    fs::create_directory_symlink(build / "Data", Home / "Data");
    fs::create_directory_symlink(build / "data", Home / "data");
    WriteSwapLevel();
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(Home, ec);
  }

  // A 5 x 5 board under a row of spawn points. Swapping the tree at (3, 3)
  // with the fire piece below it lines up four trees in row 4.
  void WriteSwapLevel() {
    const char* rows[] = {".....", "TFBTF", "FBTFB", "TTFTB", "BFBBF"};
    const char* tabs[] = {"sssss", "11111", "11111", "22221", "22222"};
    std::vector<TCellRecord> cells;
    for (int c = 1; c <= 5; ++c) {
      for (int r = 1; r <= 5; ++r) {
        TCellRecord rec;
        rec.Col = c;
        rec.Row = r;
        const char p = rows[r - 1][c - 1];
        rec.Piece = p == 'T' ? 3 : p == 'F' ? 2 : p == 'B' ? 0 : kNoPiece;
        rec.TabType = tabs[r - 1][c - 1] == '2' ? 2 : 1;
        rec.Spawn = tabs[r - 1][c - 1] == 's';
        cells.push_back(rec);
      }
    }
    TLevelOptions options;
    options.MaxCaveiras = 0;
    std::string error;
    ASSERT_TRUE(WriteLevelOptions(LevelOptionsPath(Home.string(), "Swap", 1), options, error)) << error;
    ASSERT_TRUE(WriteLevelCells(LevelCellsPath(Home.string(), "Swap", 1), cells, error)) << error;
  }

  // Runs the game; returns its exit code, with its standard error in Errors.
  int Run(const std::string& arguments) {
    const fs::path err = Home / "stderr.txt";
    const std::string command = "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \"" GW_BUILD_DIR "/grovewright\" " +
                                arguments + " --headless --home \"" + Home.string() + "\" 2>\"" + err.string() +
                                "\" >/dev/null";
    const int status = std::system(command.c_str());
    Errors = Read(err);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static int Occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
  // The number after the first "key": in the dump.
  static long Number(const std::string& text, const std::string& key) {
    const std::string tag = "\"" + key + "\":";
    const size_t at = text.find(tag);
    if (at == std::string::npos) return -999;
    return std::strtol(text.c_str() + at + tag.size(), nullptr, 10);
  }
  void WriteScript(const std::string& name, const std::string& dumps) {
    std::ofstream(Home / name) << "0 mouse 140 130\n"
                                  "30 up\n"
                                  "40 down\n"
                                  "44 mouse 140 170\n"
                                  "50 up\n"
                                  "56 dump "
                               << (Home / (dumps + "-swap.json")).string()
                               << "\n"
                                  "900 dump "
                               << (Home / (dumps + "-after.json")).string() << "\n902 quit\n";
  }

  fs::path Home;
  std::string Errors;
};

TEST_F(PlayE2E, ScriptedSwapCascadesScoresAndRefills) {
  WriteScript("s.txt", "one");
  ASSERT_EQ(Run("--seed 7 --play Swap 1 --script \"" + (Home / "s.txt").string() + "\""), 0) << Errors;
  const std::string swap = Read(Home / "one-swap.json");
  const std::string after = Read(Home / "one-after.json");
  ASSERT_FALSE(swap.empty());
  ASSERT_FALSE(after.empty());
  EXPECT_EQ(Number(swap, "screen_state"), 2);
  EXPECT_NE(swap.find("\"pack\":\"Swap\""), std::string::npos);
  EXPECT_NE(swap.find("\"name\":\"Tester\""), std::string::npos);
  // Right after the swap the cells hold their new pieces, still on their way:
  // the fire piece up into (3, 3), the tree down into (3, 4).
  EXPECT_EQ(Occurrences(swap, "\"piece\":2,\"state\":3"), 1);
  EXPECT_EQ(Occurrences(swap, "\"piece\":3,\"state\":4"), 1);
  EXPECT_NE(swap.find("play:snap.ogg"), std::string::npos);
  EXPECT_EQ(Number(swap, "score"), 0);
  // Later: the four trees scored (and whatever the cascade added), and every
  // one of the 25 cells holds a settled piece again.
  const long score = Number(after, "score");
  EXPECT_GE(score, 400);
  EXPECT_EQ(score % 100, 0);
  EXPECT_EQ(Occurrences(after, "\"piece\":-1"), 216 - 25);
  EXPECT_EQ(Occurrences(after, "\"falling\":1"), 0);
  EXPECT_EQ(Occurrences(after, "\"dying\":1"), 0);
  EXPECT_LE(Occurrences(after, "\"tab\":2"), 5) << "the boxes under the four trees broke";

  // The same seed plays the same game.
  WriteScript("t.txt", "two");
  ASSERT_EQ(Run("--seed 7 --play Swap 1 --script \"" + (Home / "t.txt").string() + "\""), 0) << Errors;
  auto board = [](const std::string& dump) { return dump.substr(dump.find("\"board\"")); };
  EXPECT_EQ(board(Read(Home / "two-after.json")), board(after));
}

TEST_F(PlayE2E, UnknownPackOrLevelEndsWithACleanError) {
  EXPECT_EQ(Run("--play Nowhere 1 --ticks 5"), 2);
  EXPECT_NE(Errors.find("Nowhere"), std::string::npos) << Errors;
  EXPECT_EQ(Run("--play Swap 2 --ticks 5"), 2);
  EXPECT_NE(Errors.find("no level 2"), std::string::npos) << Errors;
  EXPECT_EQ(Run("--play Swap 1 --ticks 5"), 0) << Errors;
}

}  // namespace
