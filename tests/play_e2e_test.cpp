// The game binary started straight into a level (--play) with an input
// script: a swap made with the mouse breaks a line, the board cascades and
// refills, and the dumps show it the same way for the same seed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>

#include "board/LevelFile.h"
#include "support/BoardFixture.h"
#include "support/GameRunner.h"

namespace {

using game_test::GameRunner;

class PlayE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
    Runner = std::make_unique<GameRunner>(
        std::string("play-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(), false);
    WriteSwapLevel();
  }

  // A 5 x 5 board under a row of spawn points. Swapping the tree at (3, 3)
  // with the fire piece below it lines up four trees in row 4.
  void WriteSwapLevel() {
    ASSERT_TRUE(Runner->WriteLevel("Swap", 1, {".....", "TFBTF", "FBTFB", "TTFTB", "BFBBF"},
                                   {"sssss", "11111", "11111", "22221", "22222"}))
        << Runner->Errors;
  }

  int Run(const std::string& arguments) {
    const int code = Runner->Run(arguments);
    Errors = Runner->Errors;
    return code;
  }
  std::string Read(const std::string& name) const { return Runner->Read(name); }
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
  std::string WriteScript(const std::string& name, const std::string& dumps) {
    return Runner->Script(name, "0 mouse 140 130\n"
                                "30 up\n"
                                "40 down\n"
                                "44 mouse 140 170\n"
                                "50 up\n"
                                "56 dump " + dumps + "-swap.json\n"
                                "900 dump " + dumps + "-after.json\n"
                                "902 quit\n");
  }

  std::unique_ptr<GameRunner> Runner;
  std::string Errors;
};

TEST_F(PlayE2E, ScriptedSwapCascadesScoresAndRefills) {
  ASSERT_EQ(Run("--seed 7 --play Swap 1 --script \"" + WriteScript("s.txt", "one") + "\""), 0) << Errors;
  const std::string swap = Read("one-swap.json");
  const std::string after = Read("one-after.json");
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
  ASSERT_EQ(Run("--seed 7 --play Swap 1 --script \"" + WriteScript("t.txt", "two") + "\""), 0) << Errors;
  auto board = [](const std::string& dump) { return dump.substr(dump.find("\"board\"")); };
  EXPECT_EQ(board(Read("two-after.json")), board(after));
}

TEST_F(PlayE2E, UnknownPackOrLevelEndsWithACleanError) {
  EXPECT_EQ(Run("--play Nowhere 1 --ticks 5"), 2);
  EXPECT_NE(Errors.find("Nowhere"), std::string::npos) << Errors;
  EXPECT_EQ(Run("--play Swap 2 --ticks 5"), 2);
  EXPECT_NE(Errors.find("no level 2"), std::string::npos) << Errors;
  EXPECT_EQ(Run("--play Swap 1 --ticks 5"), 0) << Errors;
}

}  // namespace
