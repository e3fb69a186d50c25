// Lives end to end: lives won from score that a retry takes back are taken
// back with it.
#include <gtest/gtest.h>

#include <filesystem>

#include "board/LevelFile.h"
#include "support/GameRunner.h"

namespace {

using game_test::GameRunner;

long Number(const std::string& json, const std::string& key) { return game_test::DumpNumber(json, key, "player"); }

// A level of one piece kind: every refill lines up again, so the board
// cascades without end and the score races past the extra-life thresholds.
// A lone iron box that no line can reach keeps the level from being won.
void WriteEndlessCascade(const std::string& home) {
  TLevelOptions options;
  options.LevelTime = 13;
  options.MaxCaveiras = 0;
  options.AllowTree = 1;
  options.AllowFire = options.AllowBlack = 0;
  std::vector<TCellRecord> cells;
  for (int c = 1; c <= 6; ++c) {
    for (int r = 1; r <= 6; ++r) {
      TCellRecord cell;
      cell.Col = c;
      cell.Row = r;
      cell.TabType = ttTab;
      cell.Spawn = r == 1;
      cell.Piece = r == 1 ? kNoPiece : 3;  // tree
      cells.push_back(cell);
    }
  }
  TCellRecord box;
  box.Col = 12;
  box.Row = 10;
  box.TabType = ttFerro;
  box.Piece = 5;  // a book, alone
  cells.push_back(box);
  std::string error;
  ASSERT_TRUE(WriteLevelOptions(LevelOptionsPath(home, "Cascade", 1), options, error)) << error;
  ASSERT_TRUE(WriteLevelCells(LevelCellsPath(home, "Cascade", 1), cells, error)) << error;
}

TEST(LivesE2E, ARetryTakesBackTheLivesWonDuringTheFailedAttempt) {
  if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
  GameRunner game("lives");
  WriteEndlessCascade(game.Home.string());
  const std::string script = game.Script("s.txt",
                                         "1710 dump over.json\n"
                                         "1720 click 400 300\n"
                                         "1722 dump retried.json\n"
                                         "1724 quit\n");
  ASSERT_EQ(game.Run("--seed 11 --play Cascade 1 --script " + script), 0) << game.Errors;
  const std::string over = game.Read("over.json");
  ASSERT_NE(over.find("\"time_over\":1"), std::string::npos) << over.substr(0, 400);
  // The cascade won extra lives before the time ran out.
  ASSERT_GT(Number(over, "lives"), 3);
  ASSERT_GT(Number(over, "next_life_score"), 100000);
  const std::string retried = game.Read("retried.json");
  EXPECT_EQ(Number(retried, "lives"), 2);
  EXPECT_EQ(Number(retried, "score"), 0);
  EXPECT_EQ(Number(retried, "next_life_score"), 100000);
}

}  // namespace
