// Gravity, spawn points, the match scan with its scoring and combo, the refill
// and the no-more-moves test, on small boards built cell by cell.
#include <gtest/gtest.h>

#include "board/Mouse.h"
#include "engine/sprites/SpriteEngine.h"
#include "support/BoardFixture.h"

namespace {

using Rules = BoardFixture;

std::string Repeat(char c, int n) { return std::string(static_cast<size_t>(n), c); }

// --- Falls and slides -------------------------------------------------------

TEST_F(Rules, PieceFallsStraightOneCellPerPassAtFallSpeed) {
  Build({"T", ".", "."});
  TGameSprite* t = PieceAt(1, 1);
  Game->StartDelay = 0;
  B().GravityStep();
  EXPECT_EQ(PieceAt(1, 2), t);
  EXPECT_EQ(PieceAt(1, 1), nullptr);
  EXPECT_TRUE(t->Falling);
  EXPECT_EQ(t->State, PieceState::MoveDown);
  EXPECT_EQ(Game->StartDelay, 120) << "a cell that can receive re-arms the settle countdown";
  // Moved once per pass: the piece does not fall on into row 3 in the same pass.
  B().GravityStep();
  EXPECT_EQ(PieceAt(1, 2), t);
  Game->SpriteEngine().MoveAll(1.0f);
  EXPECT_FLOAT_EQ(t->Y, 30.0f + 2.4f);
  Settle();
  EXPECT_EQ(PieceAt(1, 3), t);
  EXPECT_EQ(t->Row, 3);
  EXPECT_FLOAT_EQ(t->Y, 110.0f);
  EXPECT_FALSE(t->Falling);
}

TEST_F(Rules, SlidesOnlyWhereNoColumnCanFeedTheCell) {
  struct Case {
    const char* name;
    std::vector<std::string> pieces, tabs;
    int toCol, toRow;  // where the top piece ends; 0 = stays
  };
  const Case cases[] = {
      {"right, the cell beside holds nothing", {"T#", "B."}, {}, 2, 2},
      {"stays, the cell beside is a plain cell", {"T.", "B."}, {}, 0, 0},
      {"right, the cell beside is an edge piece", {"T.", "B."}, {" e"}, 2, 2},
      {"stays, the cell beside is a spawn point", {"T.", "B."}, {" s"}, 0, 0},
      {"right, a force field above the cell beside", {"#W", "T.", "B."}, {" 4"}, 2, 3},
      {"right, the cell beside is a force field", {"TW", "B."}, {" 5"}, 2, 2},
      {"left, when the right cannot receive", {"#T#", ".B#"}, {}, 1, 2},
      {"right wins over left", {"#T#", ".B."}, {}, 3, 2},
      {"stays, the right could receive but is fed", {".T.", ".B."}, {}, 0, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Build(k.pieces, k.tabs);
    const int row = static_cast<int>(k.pieces.size()) - 1;
    const int col = k.pieces[0] == "#T#" || k.pieces[0] == ".T." ? 2 : 1;
    TGameSprite* t = PieceAt(col, row);
    ASSERT_NE(t, nullptr);
    Settle();
    if (k.toCol == 0) {
      EXPECT_EQ(PieceAt(col, row), t);
      EXPECT_EQ(t->Col, col);
    } else {
      EXPECT_EQ(PieceAt(k.toCol, k.toRow), t);
      EXPECT_EQ(t->Col, k.toCol);
      EXPECT_EQ(t->Row, k.toRow);
      EXPECT_FLOAT_EQ(t->X, 40.0f * k.toCol);
      EXPECT_FLOAT_EQ(t->Y, 40.0f * k.toRow - 10);
    }
  }
}

TEST_F(Rules, ColumnEighteenNeverSlidesAndLockedPiecesNeverFall) {
  Build({Repeat('#', 17) + "T", Repeat('#', 16) + ".B"});
  TGameSprite* t = PieceAt(18, 1);
  Settle();
  EXPECT_EQ(PieceAt(18, 1), t);

  Build({"W", "."}, {"4"});
  TGameSprite* w = PieceAt(1, 1);
  Settle();
  EXPECT_EQ(PieceAt(1, 1), w);
  EXPECT_EQ(PieceAt(1, 2), nullptr);
}

// --- Spawn points -------------------------------------------------------------

TEST_F(Rules, SpawnPointRefillsTwentyOneTicksAfterItIsFoundEmpty) {
  Build({".", "."}, {"s"});
  B().Options = TLevelOptions{};
  B().Options.MaxCaveiras = 0;
  B().Options.AllowFire = B().Options.AllowBlack = 0;  // trees only
  B().GravityStep();
  EXPECT_TRUE(Tab(1, 1).SpawnPending);
  EXPECT_EQ(PieceAt(1, 2), nullptr) << "a spawn point never receives and never passes on an empty cell";
  for (int i = 0; i < 20; ++i) Game->SpriteEngine().MoveAll(1.0f);
  EXPECT_EQ(PieceAt(1, 1), nullptr);
  Game->SpriteEngine().MoveAll(1.0f);
  ASSERT_NE(PieceAt(1, 1), nullptr);
  EXPECT_EQ(PieceAt(1, 1)->Kind, pkTree);
  EXPECT_FALSE(Tab(1, 1).SpawnPending);
  // The loop then moves it down and the spawn point fills again.
  Tick(300);
  EXPECT_NE(PieceAt(1, 2), nullptr);
  EXPECT_NE(PieceAt(1, 1), nullptr);
}

TEST_F(Rules, SpawnPointInTheLastRowNeverProduces) {
  std::vector<std::string> pieces(12, "#");
  pieces[11] = ".";
  std::vector<std::string> tabs(12, " ");
  tabs[11] = "s";
  Build(pieces, tabs);
  Tick(200);
  EXPECT_EQ(PieceAt(1, 12), nullptr);
}

TEST_F(Rules, RefillDrawsOnlyAllowedKindsAndSkullsWhileTheyLast) {
  Build({"."});
  B().Options = TLevelOptions{};
  B().Options.AllowTree = B().Options.AllowFire = B().Options.AllowBlack = 0;
  B().Options.AllowPearl = 1;
  B().Options.MaxCaveiras = 3;
  int skulls = 0;
  for (int i = 0; i < 200; ++i) {
    Tab(1, 1).KillPiece();
    B().RefillCell(1, 1);
    ASSERT_NE(PieceAt(1, 1), nullptr);
    const int kind = PieceAt(1, 1)->Kind;
    EXPECT_TRUE(kind == pkPearl || kind == pkCaveira);
    skulls += kind == pkCaveira;
  }
  EXPECT_EQ(skulls, 3);
  EXPECT_EQ(B().Options.MaxCaveiras, 0);
  // Without a single allowed kind the refill gives up rather than spin.
  B().Options.AllowPearl = 0;
  Tab(1, 1).KillPiece();
  B().RefillCell(1, 1);
  EXPECT_EQ(PieceAt(1, 1), nullptr);
}

// --- Lines and scores -----------------------------------------------------------

TEST_F(Rules, StraightLinesScoreHundredAPieceInBothDirections) {
  for (int n = 3; n <= 5; ++n) {
    SCOPED_TRACE(n);
    // Horizontal, ending at the right edge so the walk stops at column 18.
    Build({Repeat('#', 18 - n - 1) + "B" + Repeat('T', n)});
    B().ComboTicks = 0;
    Player().Score = 0;
    EXPECT_TRUE(B().MatchStep(true));
    EXPECT_EQ(Player().Score, 100 * n);
    EXPECT_EQ(Pieces(1)[0], Repeat('#', 18 - n - 1) + "B" + Repeat('t', n));

    // Vertical, ending at the bottom row.
    std::vector<std::string> column(12, "#");
    column[11 - n] = "B";
    for (int r = 12 - n; r < 12; ++r) column[static_cast<size_t>(r)] = "W";
    Build(column);
    B().ComboTicks = 0;
    Player().Score = 0;
    EXPECT_TRUE(B().MatchStep(true));
    EXPECT_EQ(Player().Score, 100 * n);
    for (int r = 13 - n; r <= 12; ++r) EXPECT_TRUE(PieceAt(1, r)->Dying);
    EXPECT_FALSE(PieceAt(1, 12 - n)->Dying);
  }
  EXPECT_GE(Count("play:pontos-subindo.ogg"), 6);
}

TEST_F(Rules, LWithCornerTopLeftScoresTheVerticalAtOneFiftyAndRaisedMultiplier) {
  Build({"TTT", "T..", "T.."});
  EXPECT_TRUE(B().MatchStep(true));
  // 3 x 100 x 1, then 3 x 150 x 2: the first line opened the combo window.
  EXPECT_EQ(Player().Score, 300 + 900);
  EXPECT_EQ(B().ComboMultiplier, 2);
  EXPECT_EQ(Pieces(3), (std::vector<std::string>{"ttt", "t..", "t.."}));
}

TEST_F(Rules, CornersOnAnOrangeFieldAreHitTwiceInOnePass) {
  // An L whose corner starts both lines.
  Build({"TTT", "T..", "T.."}, {"5"});
  B().MatchStep(true);
  EXPECT_EQ(Tab(1, 1).TabType, ttFerro) << "orange, then blue, then an iron box";
  EXPECT_EQ(Tab(1, 1).ForceField, nullptr);
  ASSERT_NE(PieceAt(1, 1), nullptr);
  EXPECT_FALSE(PieceAt(1, 1)->Dying) << "the field took the hits, the piece stays";
  EXPECT_EQ(Count("play:force-field-off.ogg"), 2);

  // A T: a vertical line of three whose middle piece starts a horizontal one.
  Build({"T..", "TTT", "T.."}, {"", "5"});
  Player().Score = 0;
  B().ComboTicks = 0;
  B().ComboMultiplier = 1;
  B().MatchStep(true);
  EXPECT_EQ(Tab(1, 2).TabType, ttFerro);
  EXPECT_EQ(Pieces(3), (std::vector<std::string>{"t..", "Ttt", "t.."}));
  EXPECT_EQ(Player().Score, 300 + 600);
}

TEST_F(Rules, HorizontalLineThroughTheMiddleOfAVerticalBreaksAllFive) {
  Build({".T.", "TTT", ".T."});
  B().MatchStep(true);
  EXPECT_EQ(Pieces(3), (std::vector<std::string>{".t.", "ttt", ".t."}));
  EXPECT_EQ(Player().Score, 300);
}

TEST_F(Rules, LineOverForceFieldsWearsThemDownOneLevelPerPass) {
  // Three locked pieces in a line stay and are found again by every pass.
  Build({"WWW"}, {"555"});
  B().MatchStep(true);
  EXPECT_EQ(Pieces(1)[0], "WWW");
  for (int c = 1; c <= 3; ++c) EXPECT_EQ(Tab(c, 1).TabType, ttForceField) << c;
  EXPECT_EQ(Player().Score, 300);
  B().MatchStep(true);
  for (int c = 1; c <= 3; ++c) EXPECT_EQ(Tab(c, 1).TabType, ttFerro) << c;
  EXPECT_EQ(Player().Score, 300 + 600) << "the second pass raised the multiplier";
  B().MatchStep(true);
  EXPECT_EQ(Pieces(1)[0], "www");
  Tick(25);
  for (int c = 1; c <= 3; ++c) EXPECT_EQ(Tab(c, 1).TabType, ttWood) << "the iron box turned into wood";
}

TEST_F(Rules, LineWithOneLockedPieceBreaksTheOthers) {
  Build({"FFF"}, {" 4"});
  B().MatchStep(true);
  EXPECT_EQ(Pieces(1)[0], "fFf");
  EXPECT_EQ(Tab(2, 1).TabType, ttFerro);
}

TEST_F(Rules, LinesInOnePassChainTheMultiplier) {
  Build({"TTT", "...", "BBB", "...", "WWW"});
  B().MatchStep(true);
  EXPECT_EQ(Player().Score, 300 + 600 + 900);
  EXPECT_EQ(B().ComboMultiplier, 3);
}

TEST_F(Rules, ComboClockRunsOutAfterAHundredTicks) {
  Build({"TTT"});
  B().MatchStep(true);
  EXPECT_DOUBLE_EQ(B().ComboTicks, 100.0);
  for (int i = 0; i < 99; ++i) B().Move(1.0f);
  Build({"BBB"});
  B().MatchStep(true);
  EXPECT_EQ(B().ComboMultiplier, 2) << "a match inside the window raises the multiplier";
  for (int i = 0; i < 100; ++i) B().Move(1.0f);
  EXPECT_EQ(B().ComboMultiplier, 2);
  B().Move(1.0f);
  EXPECT_EQ(B().ComboMultiplier, 1) << "a hundred ticks without a match end the chain";
}

TEST_F(Rules, CascadeOfThreeMatchesScoresWithAChainedMultiplier) {
  // Trees fall onto the water line's place and make a second line, books a third.
  Build({"B..", "T..", "W..", "WBB", "WTT"});
  B().Options.MaxCaveiras = 0;
  int best = 1;
  for (int i = 0; i < 400; ++i) {
    Tick();
    best = std::max(best, B().ComboMultiplier);
  }
  EXPECT_EQ(Player().Score, 300 + 600 + 900);
  EXPECT_EQ(best, 3);
  EXPECT_EQ(Pieces(5), (std::vector<std::string>{"...", "...", "...", "...", "..."}));
}

TEST_F(Rules, MatchOnlyInPlayCompletesALevelWithoutBoxesOnceSettled) {
  Build({"TB."});
  Game->StartDelay = 5;
  B().MatchStep(true);
  EXPECT_TRUE(B().Cleared);
  EXPECT_FALSE(B().Completed) << "still settling";
  EXPECT_EQ(Count("music:stop:Music1"), 1);
  B().MatchStep(true);
  B().MatchStep(true);
  EXPECT_EQ(Count("music:stop:Music1"), 1) << "the scans while the board settles stop the tune no more";
  EXPECT_EQ(Count("music:stop:Music9"), 1);
  Game->StartDelay = 0;
  B().MatchStep(true);
  EXPECT_TRUE(B().Completed);
  EXPECT_EQ(Count("music:play:levelcompleted"), 1);

  Build({"TB."}, {"2"});
  B().Completed = 0;
  B().MatchStep(true);
  EXPECT_FALSE(B().Cleared) << "a box is left";
}

TEST_F(Rules, ExtraLifeWhenTheScorePassesTheThreshold) {
  Build({"TTT"});
  Player().Score = 99800;
  const int lives = Player().Lives;
  B().MatchStep(true);
  EXPECT_EQ(Player().Score, 100100);
  EXPECT_EQ(Player().Lives, lives + 1);
  EXPECT_EQ(Player().NextLifeScore, 200000);
  EXPECT_EQ(Count("music:play:life"), 1);
}

TEST_F(Rules, ScoreStopsAtItsLargestValueInsteadOfWrapping) {
  Build({"TTT"});
  Player().Score = 2147483000;
  Player().NextLifeScore = 2147483600;
  B().ComboMultiplier = 5000000;  // a chain that has run for hours
  B().ComboTicks = 10;
  B().MatchStep(true);
  EXPECT_EQ(Player().Score, 2147483647);
  EXPECT_EQ(Player().NextLifeScore, 2147483647);
  EXPECT_GT(Player().Lives, 0);
}

TEST_F(Rules, BrokenElementPiecesSendManaUntilThePotIsFull) {
  Build({"TTTT"});
  Player().ManaTree = 58;
  B().MatchStep(true);
  Tick(150 + 37 + 5);
  EXPECT_EQ(Player().ManaTree, 60) << "the last two flights add nothing";

  Build({"SSS", "BBB"});
  Player().ClearMana();
  B().MatchStep(true);
  Tick(200);
  EXPECT_EQ(Player().ManaTotal(), 0) << "skulls and black pieces give no mana";
}

// --- The no-more-moves test -----------------------------------------------------------

TEST_F(Rules, HasMoveFindsEverySwapThatMakesALine) {
  const std::string pad = "..";
  const std::string right = Repeat('.', 15);  // up to column 15
  struct Case {
    std::vector<std::string> pieces;
    bool expected;
    const char* name;
  };
  const Case cases[] = {
      {{"", "", pad + "TTBT"}, true, "X X o X in a row"},
      {{"", "", pad + "TBTT"}, true, "X o X X in a row"},
      {{"", "", "..T", "..T", "..B", "..T"}, true, "X X o X in a column"},
      {{"", "", "..T", "..B", "..T", "..T"}, true, "X o X X in a column"},
      {{"", "", pad + "TTB", pad + "..T"}, true, "a third piece brought in from below"},
      {{"", "", pad + "..T", pad + "TTB"}, true, "a third piece brought in from above"},
      {{"", "", pad + "TBT", pad + ".T."}, true, "the middle piece brought in from the side"},
      {{"", "", pad + "..T", pad + "..T", pad + ".TB"}, true, "a column finished from the side"},
      {{"TTBT"}, true, "the pattern in the top row and the outer columns"},
      {{"T", "B", "T", "T"}, true, "the pattern in the first column"},
      {{right + "TTB", right + "..T"}, true, "a side swap in the top right corner"},
      {{"", "", "", "", "", "", "", "", "", "", right + "..T", right + "TTB"}, true,
       "a side swap in the bottom right corner"},
      {{"..T", "..T", "TTBT"}, true, "an L: the corner piece from the side finishes a row and a column"},
      {{".T.", "TFT", ".T.", ".T."}, true, "a T: the piece from above finishes a row and a column"},
      {{"", "", pad + "TFWF", pad + "FFTT", pad + "WWTT", pad + "WWFF"}, false, "a board without a move"},
      {{"", "", pad + "TTB.T"}, false, "an empty cell breaks the pattern"},
      {{"", "", pad + "TT.T"}, false, "a piece cannot be swapped into an empty cell"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Build(k.pieces);
    EXPECT_EQ(B().HasMove(), k.expected);
  }

  // A piece under a force field cannot be moved, though it still lines up.
  Build({"TTBT"}, {"1141"});
  EXPECT_FALSE(B().HasMove()) << "the only swap would move the locked piece";
  Build({"TTBT"}, {"4111"});
  EXPECT_TRUE(B().HasMove()) << "a locked piece may end the line";
  // A piece still on its way is no part of a move yet.
  Build({"TTBT"});
  PieceAt(4, 1)->StartMoveDown();
  EXPECT_FALSE(B().HasMove());
}

// Small random boards of three kinds with empty cells, against a plain
// search: swap every two neighbouring pieces and look for three alike in a row
// or a column.
TEST_F(Rules, HasMoveAgreesWithTryingEverySwap) {
  constexpr int kCols = 5, kRows = 4;
  using Grid = std::vector<std::string>;
  auto at = [](Grid& g, int c, int r) -> char& { return g[static_cast<size_t>(r)][static_cast<size_t>(c)]; };
  auto lineAt = [&](Grid& g, int c, int r) {
    const char k = at(g, c, r);
    if (k == '.') return false;
    int h = 1, v = 1;
    for (int x = c - 1; x >= 0 && at(g, x, r) == k; --x) ++h;
    for (int x = c + 1; x < kCols && at(g, x, r) == k; ++x) ++h;
    for (int y = r - 1; y >= 0 && at(g, c, y) == k; --y) ++v;
    for (int y = r + 1; y < kRows && at(g, c, y) == k; ++y) ++v;
    return h >= 3 || v >= 3;
  };
  auto anySwap = [&](Grid g) {
    for (int r = 0; r < kRows; ++r) {
      for (int c = 0; c < kCols; ++c) {
        for (auto [c2, r2] : {std::pair{c + 1, r}, std::pair{c, r + 1}}) {
          if (c2 >= kCols || r2 >= kRows || at(g, c, r) == '.' || at(g, c2, r2) == '.') continue;
          std::swap(at(g, c, r), at(g, c2, r2));
          const bool line = lineAt(g, c, r) || lineAt(g, c2, r2);
          std::swap(at(g, c, r), at(g, c2, r2));
          if (line) return true;
        }
      }
    }
    return false;
  };
  uint32_t seed = 2024;
  auto next = [&](uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 16) % n;
  };
  int with = 0, without = 0;
  for (int board = 0; board < 400; ++board) {
    Grid g(kRows, std::string(kCols, '.'));
    for (int r = 0; r < kRows; ++r) {
      for (int c = 0; c < kCols; ++c) {
        // One cell in four empty; a piece is drawn again while it stands in a line.
        if (next(4) == 0) continue;
        do at(g, c, r) = "TFW"[next(3)];
        while (lineAt(g, c, r));
      }
    }
    const bool expected = anySwap(g);
    (expected ? with : without) += 1;
    Build(g);
    ASSERT_EQ(B().HasMove(), expected) << g[0] << "/" << g[1] << "/" << g[2] << "/" << g[3];
  }
  EXPECT_GE(with, 40);
  EXPECT_GE(without, 40);
}

TEST_F(Rules, IdleCheckSetsNoMovesAfterTwoThousandQuietTicks) {
  Build({"TB", "BT"}, {"2"});  // a box keeps the level from being won
  Game->ScreenTicks = 2001;
  Game->StartDelay = 0;
  Game->IdleCheckTicks = 0;
  // The board steps keep the board settled; 121 quiet ticks later the check runs.
  for (int i = 0; i < 121; ++i) {
    Game->StartDelay = 0;
    Tick();
  }
  EXPECT_TRUE(B().NoMoves);
  EXPECT_EQ(Game->ScreenTicks, 0);
}

}  // namespace
