// Quick clicks, played by the built game from input scripts: a "tap" presses
// and releases the button between the same two frames, as a touchpad tap or a
// fast click does. Each tap must act exactly once: on the board, on the "click
// to continue" after time over, and on a form's button (without also reaching
// the board under the button).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/GameRunner.h"

namespace {

using game_test::CellCentre;
using game_test::DumpNumber;
using game_test::DumpPiece;
using game_test::GameRunner;
using game_test::Occurrences;

class TapE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
    Runner = std::make_unique<GameRunner>(
        std::string("tap-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
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

  std::unique_ptr<GameRunner> Runner;
};

TEST_F(TapE2E, TwoTapsSwapAPairOnTheFirstLevel) {
  // The starting board of level 1 for this seed, and a swap that makes a line.
  ASSERT_TRUE(Play("Game Levels", "140 dump start.json\n142 quit\n"));
  const std::string start = Dump("start.json");
  const std::vector<TLineSwap> swaps = FindLineSwaps(game_test::DumpGrid(start));
  ASSERT_FALSE(swaps.empty()) << start.substr(0, 300);
  const TLineSwap s = swaps.front();
  const int from = DumpPiece(start, s.From.Col, s.From.Row), to = DumpPiece(start, s.To.Col, s.To.Row);

  ASSERT_TRUE(Play("Game Levels", "150 tap " + CellCentre(s.From.Col, s.From.Row) + "\n152 dump sel.json\n" +
                                      "160 tap " + CellCentre(s.To.Col, s.To.Row) +
                                      "\n162 dump swap.json\n290 dump after.json\n292 quit\n"));
  const std::string sel = Dump("sel.json");
  EXPECT_EQ(DumpNumber(sel, "sel_col"), s.From.Col) << "the first tap selects";
  EXPECT_EQ(DumpNumber(sel, "sel_row"), s.From.Row);
  EXPECT_EQ(Occurrences(sel, "play:snap.ogg"), 1);
  const std::string swap = Dump("swap.json");
  EXPECT_EQ(DumpPiece(swap, s.From.Col, s.From.Row), to) << "the second tap swaps";
  EXPECT_EQ(DumpPiece(swap, s.To.Col, s.To.Row), from);
  EXPECT_EQ(DumpNumber(swap, "sel_col"), 0);
  EXPECT_GE(DumpNumber(Dump("after.json"), "score"), 300) << "the line scored";
}

TEST_F(TapE2E, OneTapAfterTimeOverRetriesOnce) {
  ASSERT_TRUE(Runner->WriteLevel("Time", 1, {".....", "TFBTF", "FBTFB", "TTFTB", "BFBBF"},
                                 {"sssss", "11111", "11111", "22221", "22222"}, 2))
      << Runner->Errors;
  ASSERT_TRUE(Play("Time", "420 dump over.json\n430 tap " + CellCentre(3, 3) +
                               "\n440 dump retry.json\n700 dump later.json\n702 quit\n"));
  const std::string over = Dump("over.json");
  ASSERT_EQ(DumpNumber(over, "time_over"), 1);
  ASSERT_EQ(DumpNumber(over, "lives"), 3);
  const std::string retry = Dump("retry.json");
  EXPECT_EQ(DumpNumber(retry, "time_over"), 0) << "the tap continues";
  EXPECT_EQ(DumpNumber(retry, "lives"), 2);
  EXPECT_EQ(DumpNumber(retry, "sel_col"), 0) << "the continuing tap picks no piece";
  const std::string later = Dump("later.json");
  EXPECT_EQ(DumpNumber(later, "lives"), 2) << "one tap, one retry";
  EXPECT_EQ(DumpNumber(later, "sel_col"), 0);
}

TEST_F(TapE2E, TapOnTheHintsContinueClosesOnlyTheHint) {
  // The first tutorial hint of the campaign opens over the board after 300
  // ticks; its "Continue" button sits at the bubble's lower right.
  ASSERT_TRUE(Play("Game Levels", "320 dump hint.json\n322 quit\n"));
  const std::string hint = Dump("hint.json");
  ASSERT_EQ(DumpNumber(hint, "shown", "hint"), 1);
  const long x = DumpNumber(hint, "left", "hint") + 336, y = DumpNumber(hint, "top", "hint") + 109;
  const int col = static_cast<int>(x / 40), row = static_cast<int>((y + 10) / 40);
  ASSERT_GE(DumpPiece(hint, col, row), 0) << "a piece lies under the button";

  ASSERT_TRUE(Play("Game Levels", "400 tap " + std::to_string(x) + " " + std::to_string(y) +
                                      "\n402 dump closed.json\n430 dump later.json\n432 quit\n"));
  const std::string closed = Dump("closed.json");
  EXPECT_EQ(DumpNumber(closed, "hint_shown"), 0) << "the button took the tap";
  EXPECT_NE(closed.find("\"gui\":[]"), std::string::npos);
  const std::string later = Dump("later.json");
  EXPECT_EQ(DumpNumber(later, "sel_col"), 0) << "the piece under the button stays unpicked";
  EXPECT_EQ(Occurrences(closed + later, "play:snap.ogg"), 0);

  // A tap on the board once the hint is gone selects as usual.
  ASSERT_TRUE(Play("Game Levels", "400 tap " + std::to_string(x) + " " + std::to_string(y) + "\n410 tap " +
                                      CellCentre(col, row) + "\n412 dump picked.json\n414 quit\n"));
  const std::string picked = Dump("picked.json");
  EXPECT_EQ(DumpNumber(picked, "sel_col"), col);
  EXPECT_EQ(DumpNumber(picked, "sel_row"), row);
}

}  // namespace
