// Whole levels played by the built game, headless, from input scripts: swaps
// made by clicking and by dragging, a diagonal click, a swap that goes back,
// a level won through its tally and "Next", time over with lives to spare and
// with the last one, a stuck board, and the first tutorial hint. Each test
// writes its own small pack, so none depends on the campaign's tuning.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "board/LevelFile.h"
#include "support/BoardFixture.h"
#include "support/GameRunner.h"

namespace {

using game_test::GameRunner;

class PlayFlowE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
    Runner = std::make_unique<GameRunner>(
        std::string("flow-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(), false);
  }

  // Level n of a pack, from piece letters and tab digits ('s' a plain spawn
  // point), as the level editor would save it.
  void WriteLevel(const std::string& pack, int n, const std::vector<std::string>& pieces,
                  const std::vector<std::string>& tabs, int levelTime = 100) {
    const std::vector<TCellRecord> cells = CellsFromPictures(pieces, tabs);
    TLevelOptions options;
    options.LevelTime = levelTime;
    options.MaxCaveiras = 0;
    const std::string home = Runner->Home.string();
    std::string error;
    ASSERT_TRUE(WriteLevelOptions(LevelOptionsPath(home, pack, n), options, error)) << error;
    ASSERT_TRUE(WriteLevelCells(LevelCellsPath(home, pack, n), cells, error)) << error;
  }
  // Swapping the tree at (3, 3) with the fire piece below it lines up four
  // trees on wooden boxes in row 4; the spawn row refills.
  void WriteSwapLevel(const std::string& pack, int levelTime = 100) {
    WriteLevel(pack, 1, {".....", "TFBTF", "FBTFB", "TTFTB", "BFBBF"}, {"sssss", "11111", "11111", "22221", "22222"},
               levelTime);
  }

  // Plays level 1 of the pack with the script; false when the game failed.
  bool Play(const std::string& pack, const std::string& script, int seed = 7) {
    const std::string path = Runner->Script("script.txt", script);
    const int code =
        Runner->Run("--seed " + std::to_string(seed) + " --play \"" + pack + "\" 1 --script \"" + path + "\"");
    EXPECT_EQ(code, 0) << Runner->Errors;
    return code == 0;
  }
  std::string Dump(const std::string& name) { return Runner->Read(name); }
  std::string DumpPath(const std::string& name) { return (Runner->Home / name).string(); }

  // The number after the first "key": at or after `from` in the dump.
  static long Number(const std::string& text, const std::string& key, const std::string& from = "") {
    size_t start = from.empty() ? 0 : text.find("\"" + from + "\"");
    if (start == std::string::npos) return -999;
    const std::string tag = "\"" + key + "\":";
    const size_t at = text.find(tag, start);
    if (at == std::string::npos) return -999;
    return std::strtol(text.c_str() + at + tag.size(), nullptr, 10);
  }
  static bool Has(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }
  // The piece kind in a cell of the dumped board (-1 for none).
  static int PieceIn(const std::string& dump, int col, int row) {
    size_t at = dump.find("\"cells\"");
    const int index = (row - 1) * kBoardCols + (col - 1);
    for (int i = 0; i <= index && at != std::string::npos; ++i) at = dump.find("\"piece\":", at + 1);
    return at == std::string::npos ? -999 : std::atoi(dump.c_str() + at + 8);
  }
  static std::string At(int col, int row) {
    return std::to_string(40 * col + 20) + " " + std::to_string(40 * row + 10);
  }

  std::unique_ptr<GameRunner> Runner;
};

TEST_F(PlayFlowE2E, ClickThenClickSwapsAndScores) {
  WriteSwapLevel("Swap");
  ASSERT_TRUE(Play("Swap", "10 click " + At(3, 3) + "\n14 dump sel.json\n20 click " + At(3, 4) +
                               "\n600 dump after.json\n602 quit\n"));
  const std::string sel = Dump("sel.json");
  EXPECT_EQ(Number(sel, "sel_col"), 3) << "a quick move and click selects";
  EXPECT_EQ(Number(sel, "sel_row"), 3);
  EXPECT_TRUE(Has(sel, "play:snap.ogg"));
  const std::string after = Dump("after.json");
  EXPECT_GE(Number(after, "score"), 400);
  EXPECT_EQ(Number(after, "sel_col"), 0);
  EXPECT_EQ(Number(after, "tree", "mana"), 4) << "four trees sent their mana";
}

TEST_F(PlayFlowE2E, PressAndDragSwapsAndScores) {
  WriteSwapLevel("Swap");
  ASSERT_TRUE(Play(
      "Swap", "10 mouse " + At(3, 3) + "\n12 down\n16 mouse " + At(3, 4) + "\n24 up\n600 dump after.json\n602 quit\n"));
  EXPECT_GE(Number(Dump("after.json"), "score"), 400);
}

TEST_F(PlayFlowE2E, DiagonalClickDoesNothingAndANoLineSwapGoesBack) {
  WriteSwapLevel("Swap");
  ASSERT_TRUE(Play("Swap", "10 click " + At(3, 3) + "\n20 click " + At(4, 4) + "\n30 dump diagonal.json\n40 click " +
                               At(1, 2) + "\n50 click " + At(2, 2) +
                               "\n54 dump swap.json\n300 dump back.json\n302 quit\n"));
  const std::string diagonal = Dump("diagonal.json");
  EXPECT_EQ(Number(diagonal, "sel_col"), 3) << "the first piece stays selected";
  EXPECT_EQ(Number(diagonal, "sel_row"), 3);
  EXPECT_FALSE(Has(diagonal, "\"state\":1")) << "no piece moves";
  EXPECT_FALSE(Has(diagonal, "\"state\":3"));
  // The tree at (1, 2) and the fire at (2, 2) make no line: they go back.
  const std::string swap = Dump("swap.json");
  EXPECT_EQ(PieceIn(swap, 1, 2), 2) << "the swap was made";
  const std::string back = Dump("back.json");
  EXPECT_EQ(PieceIn(back, 1, 2), 3);
  EXPECT_EQ(PieceIn(back, 2, 2), 2);
  EXPECT_TRUE(Has(back, "play:swapback.ogg"));
  EXPECT_EQ(Number(back, "score"), 0);
}

TEST_F(PlayFlowE2E, WonLevelTalliesTheSameBonusSkippedOrWaitedAndNextEndsThePack) {
  // One swap lines up three trees over the only wooden box.
  const std::vector<std::string> pieces = {"TTBT", "BFWF"};
  const std::vector<std::string> tabs = {"1121", "1111"};
  WriteLevel("Win", 1, pieces, tabs);
  // "Next" sits in the middle of the result form's foot.
  const std::string waited = "10 click " + At(3, 1) + "\n20 click " + At(4, 1) +
                             "\n1000 dump mid.json\n1002 screenshot mid.png\n2500 dump done.json\n"
                             "2510 click 400 408\n2530 dump complete.json\n2540 click 400 377\n"
                             "2560 dump menu.json\n2562 quit\n";
  ASSERT_TRUE(Play("Win", waited));
  const std::string mid = Dump("mid.json");
  EXPECT_TRUE(Has(mid, "\"gui\":[\"formNextLevel\"]")) << mid.substr(0, 400);
  EXPECT_EQ(Number(mid, "completed"), 1);
  EXPECT_EQ(Number(mid, "next_visible"), 0) << "still counting";
  EXPECT_TRUE(Has(mid, "music:play:levelcompleted"));
  const std::string done = Dump("done.json");
  EXPECT_EQ(Number(done, "next_visible"), 1);
  EXPECT_EQ(Number(done, "skip"), 0);
  const long score = Number(done, "score");
  const long lineScore = 300;
  EXPECT_GT(score, lineScore + 90 * 100) << "about 96 seconds and 3 mana points";
  EXPECT_EQ((score - lineScore - 3 * 150) % 100, 0);
  // The last level of a pack other than the story's says the pack is done,
  // then "Continue" leads to the end credits.
  EXPECT_TRUE(Has(Dump("complete.json"), "\"formPackComplete\""));
  EXPECT_EQ(Number(Dump("menu.json"), "screen_state"), 6);
  EXPECT_FALSE(Has(Dump("menu.json"), "\"board\""));

  // The same game, with the button held a moment while the seconds count.
  const std::string skipped = "10 click " + At(3, 1) + "\n20 click " + At(4, 1) +
                              "\n700 down\n720 up\n1000 dump fast.json\n2500 dump done2.json\n2502 quit\n";
  ASSERT_TRUE(Play("Win", skipped));
  const std::string fast = Dump("fast.json");
  EXPECT_EQ(Number(fast, "skip"), 1);
  EXPECT_EQ(Number(fast, "time_bonus_left"), 0) << "the seconds were counted at once";
  EXPECT_EQ(Number(Dump("done2.json"), "score"), score);
}

TEST_F(PlayFlowE2E, TimeOverWithTwoLivesCostsALifeAndTheLevelsScores) {
  WriteSwapLevel("Time", 2);
  ASSERT_TRUE(Play("Time", "10 click " + At(3, 3) + "\n20 click " + At(3, 4) +
                               "\n420 dump over.json\n422 screenshot over.png\n430 click 400 300\n"
                               "440 dump retry.json\n442 quit\n"));
  const std::string over = Dump("over.json");
  EXPECT_EQ(Number(over, "time_over"), 1);
  EXPECT_GE(Number(over, "score"), 400);
  EXPECT_EQ(Number(over, "lives"), 3);
  EXPECT_EQ(Number(over, "tree", "mana"), 0) << "time over empties the pots";
  EXPECT_TRUE(Has(over, "\"gui\":[]")) << "no form in play";
  const std::string retry = Dump("retry.json");
  EXPECT_EQ(Number(retry, "time_over"), 0);
  EXPECT_EQ(Number(retry, "lives"), 2);
  EXPECT_EQ(Number(retry, "score"), 0) << "back to the score the level started with";
  EXPECT_EQ(Number(retry, "elapsed_seconds"), 0);
  EXPECT_EQ(Number(retry, "sel_col"), 0) << "the continuing click picks no piece";
}

TEST_F(PlayFlowE2E, TimeOverOnTheLastLifeEndsInTheGameOverScreen) {
  WriteSwapLevel("Time", 0);
  ASSERT_TRUE(Play("Time",
                   "140 click 400 300\n280 click 400 300\n300 dump two.json\n"
                   "450 dump over.json\n1300 dump early.json\n1500 dump late.json\n1510 click 400 300\n"
                   "1530 dump menu.json\n1532 quit\n"));
  EXPECT_EQ(Number(Dump("two.json"), "lives"), 1);
  const std::string over = Dump("over.json");
  EXPECT_EQ(Number(over, "screen_state"), 9);
  EXPECT_FALSE(Has(over, "\"board\""));
  EXPECT_EQ(Number(Dump("early.json"), "game_over_clickable"), 0);
  EXPECT_EQ(Number(Dump("late.json"), "game_over_clickable"), 1);
  // The click leads to the hiscore table.
  EXPECT_EQ(Number(Dump("menu.json"), "screen_state"), 10);
}

TEST_F(PlayFlowE2E, StuckBoardShowsNoMoreMovesUntilAClick) {
  // No swap of two neighbours lines up three.
  WriteLevel("Stuck", 1, {"TFWF", "FFTT", "WWTT", "WWFF"}, {"2222", "2222", "2222", "2222"});
  ASSERT_TRUE(Play("Stuck",
                   "2000 dump quiet.json\n2300 dump stuck.json\n2302 screenshot stuck.png\n"
                   "2310 click 400 300\n2320 dump cleared.json\n2322 quit\n"));
  EXPECT_EQ(Number(Dump("quiet.json"), "no_moves"), 0);
  const std::string stuck = Dump("stuck.json");
  EXPECT_EQ(Number(stuck, "no_moves"), 1);
  const std::string cleared = Dump("cleared.json");
  EXPECT_EQ(Number(cleared, "no_moves"), 0);
  EXPECT_EQ(Number(cleared, "lives"), 2);
}

TEST_F(PlayFlowE2E, FirstTutorialHintOpensAfterThreeHundredTicksOfPlay) {
  WriteLevel("Game Levels", 1, {"TBTB", "BTBT"}, {"2222"});
  ASSERT_TRUE(Play("Game Levels", "290 dump a.json\n300 dump b.json\n310 dump c.json\n312 quit\n"));
  for (const char* name : {"a.json", "b.json", "c.json"}) {
    const std::string d = Dump(name);
    EXPECT_EQ(Number(d, "shown", "hint") == 1, Number(d, "screen_ticks") > 300) << name;
  }
  const std::string c = Dump("c.json");
  ASSERT_EQ(Number(c, "shown", "hint"), 1);
  EXPECT_EQ(Number(c, "x", "hint"), 225);
  EXPECT_EQ(Number(c, "y", "hint"), 405);
  EXPECT_EQ(Number(c, "left", "hint"), 100);
  EXPECT_EQ(Number(c, "side", "hint"), 1);
  EXPECT_TRUE(Has(c, "\"HelpGUI\""));
}

}  // namespace
