// The level bot's kinds of player: on drawn grids each picks every swap its
// rule allows, over many seeds, and never another; and the words levelbot
// takes for them and for their thinking time.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "board/BoardTab.h"
#include "board/MoveFinder.h"
#include "bot/PlayerModel.h"

namespace {

using TSwapKey = std::pair<std::pair<int, int>, std::pair<int, int>>;

TSwapKey Key(TCell a, TCell b) {
  // The same swap whichever cell comes first.
  std::pair<int, int> x{a.Col, a.Row}, y{b.Col, b.Row};
  if (y < x) std::swap(x, y);
  return {x, y};
}

// Every swap the model picked over `draws` seeds.
std::set<TSwapKey> Picks(TPlayerModel model, const TBotGrid& grid, int draws = 400) {
  std::set<TSwapKey> picked;
  for (int seed = 1; seed <= draws; ++seed) {
    std::mt19937 rng(static_cast<uint32_t>(seed));
    TLineSwap swap;
    if (ChooseSwap(model, grid, rng, swap)) picked.insert(Key(swap.From, swap.To));
  }
  return picked;
}

// Four rows of ready lines, each row apart from the others by a row of no
// cells: a tree line over two wooden boxes (row 1), a plain book line (3), a
// plain crystal line (5), a black line through a piece locked by a blue field
// (7) and a skull line on plain cells (9), which would leave a new box.
TBotGrid BoxesAndPlainLines() {
  TBotGrid g = TBotGrid::FromText({
      "TTft##",
      "######",
      "bbpb##",
      "######",
      "ccxc##",
      "######",
      "kkmk##",
      "######",
      "xxkx##",
  });
  g.At(2, 7).Tab = ttForceField;
  return g;
}

const TSwapKey kOverWood = Key({3, 1}, {4, 1});
const TSwapKey kBooks = Key({3, 3}, {4, 3});
const TSwapKey kCrystals = Key({3, 5}, {4, 5});
const TSwapKey kThroughField = Key({3, 7}, {4, 7});
const TSwapKey kSkulls = Key({3, 9}, {4, 9});

TEST(PlayerModels, EachPicksEverySwapItsRuleAllowsAndNothingElse) {
  const TBotGrid g = BoxesAndPlainLines();
  // What the board offers: five line-making swaps.
  ASSERT_EQ(FindLineSwaps(g).size(), 5u);

  // Casual: only the two swaps whose lines land on a box or a field.
  EXPECT_EQ(Picks(TPlayerModel::Casual, g), (std::set<TSwapKey>{kOverWood, kThroughField}));
  // Novice: any line at all, the skulls' too.
  EXPECT_EQ(Picks(TPlayerModel::Novice, g),
            (std::set<TSwapKey>{kOverWood, kBooks, kCrystals, kThroughField, kSkulls}));
  // Expert: the best swap only, two box steps at once.
  EXPECT_EQ(Picks(TPlayerModel::Expert, g), (std::set<TSwapKey>{kOverWood}));
}

TEST(PlayerModels, CasualTakesAnyLineWhenNoneReachesABox) {
  TBotGrid g = BoxesAndPlainLines();
  // The wooden boxes broken and the field gone: no line lands on a box.
  g.At(1, 1).Tab = ttTab;
  g.At(2, 1).Tab = ttTab;
  g.At(2, 7).Tab = ttTab;
  EXPECT_EQ(Picks(TPlayerModel::Casual, g),
            (std::set<TSwapKey>{kOverWood, kBooks, kCrystals, kThroughField, kSkulls}));
  EXPECT_EQ(Picks(TPlayerModel::Novice, g), Picks(TPlayerModel::Casual, g));

  // An iron box worn down counts as much as a wooden one broken.
  g.At(3, 3).Tab = ttFerro;
  EXPECT_EQ(Picks(TPlayerModel::Casual, g), (std::set<TSwapKey>{kBooks}));
}

TEST(PlayerModels, PicksAreSpreadEvenlyAndNoLineMeansNoPick) {
  const TBotGrid g = BoxesAndPlainLines();
  // Two allowed swaps over 2000 seeds: each near half of them.
  int overWood = 0;
  for (int seed = 1; seed <= 2000; ++seed) {
    std::mt19937 rng(static_cast<uint32_t>(seed));
    TLineSwap swap;
    ASSERT_TRUE(ChooseSwap(TPlayerModel::Casual, g, rng, swap));
    overWood += Key(swap.From, swap.To) == kOverWood;
  }
  EXPECT_GT(overWood, 900);
  EXPECT_LT(overWood, 1100);

  // Pieces still moving, or no line to make: nobody picks anything.
  TBotGrid moving = g;
  for (int r = 1; r <= kBoardRows; ++r)
    for (int c = 1; c <= kBoardCols; ++c) moving.At(c, r).Settled = false;
  const TBotGrid none = TBotGrid::FromText({"kt", "tk"});  // too small for a line
  for (TPlayerModel model : {TPlayerModel::Expert, TPlayerModel::Casual, TPlayerModel::Novice}) {
    EXPECT_TRUE(Picks(model, moving).empty()) << PlayerModelName(model);
    EXPECT_TRUE(Picks(model, none).empty()) << PlayerModelName(model);
  }
}

TEST(PlayerModels, NamesAndThinkingTimes) {
  for (TPlayerModel model : {TPlayerModel::Expert, TPlayerModel::Casual, TPlayerModel::Novice}) {
    TPlayerModel parsed = TPlayerModel::Expert;
    EXPECT_TRUE(ParsePlayerModel(PlayerModelName(model), parsed));
    EXPECT_EQ(parsed, model);
  }
  TPlayerModel parsed = TPlayerModel::Casual;
  EXPECT_FALSE(ParsePlayerModel("Expert", parsed));
  EXPECT_FALSE(ParsePlayerModel("", parsed));
  EXPECT_EQ(parsed, TPlayerModel::Casual);

  // Each thinks longer than the one before it.
  EXPECT_DOUBLE_EQ(DefaultThink(TPlayerModel::Expert).Min, 1.5);
  EXPECT_DOUBLE_EQ(DefaultThink(TPlayerModel::Expert).Max, 3.0);
  EXPECT_DOUBLE_EQ(DefaultThink(TPlayerModel::Casual).Min, 2.0);
  EXPECT_DOUBLE_EQ(DefaultThink(TPlayerModel::Casual).Max, 4.0);
  EXPECT_DOUBLE_EQ(DefaultThink(TPlayerModel::Novice).Min, 3.0);
  EXPECT_DOUBLE_EQ(DefaultThink(TPlayerModel::Novice).Max, 6.0);

  TThinkRange range;
  EXPECT_TRUE(ParseThinkRange("2-4.5", range));
  EXPECT_DOUBLE_EQ(range.Min, 2.0);
  EXPECT_DOUBLE_EQ(range.Max, 4.5);
  EXPECT_TRUE(ParseThinkRange("1", range));
  EXPECT_DOUBLE_EQ(range.Min, 1.0);
  EXPECT_DOUBLE_EQ(range.Max, 1.0);
  for (const char* bad : {"", "4-2", "-3", "2-", "a-b", "1-90", "2-4x"}) {
    range = {7, 8};
    EXPECT_FALSE(ParseThinkRange(bad, range)) << bad;
    EXPECT_DOUBLE_EQ(range.Min, 7.0) << bad;
  }
}

}  // namespace

#include "LevelBars.h"

namespace {

TEST(LevelBars, EachPlayerHasItsOwnBarScaledToTheRuns) {
  // Twenty runs: the issue's numbers exactly.
  EXPECT_EQ(WinsNeeded(LevelBarOf(TPlayerModel::Casual, 10).WinShare, 20), 19);
  EXPECT_EQ(WinsNeeded(LevelBarOf(TPlayerModel::Casual, 11).WinShare, 20), 17);
  EXPECT_EQ(WinsNeeded(LevelBarOf(TPlayerModel::Casual, 40).WinShare, 20), 17);
  EXPECT_EQ(WinsNeeded(LevelBarOf(TPlayerModel::Casual, 41).WinShare, 20), 14);
  EXPECT_EQ(WinsNeeded(LevelBarOf(TPlayerModel::Novice, 3).WinShare, 20), 15);
  EXPECT_EQ(WinsNeeded(LevelBarOf(TPlayerModel::Novice, 4).WinShare, 20), 0);
  EXPECT_EQ(WinsNeeded(LevelBarOf(TPlayerModel::Expert, 110).WinShare, 20), 19);
  EXPECT_EQ(LevelBarOf(TPlayerModel::Expert, 10).MostLeftPercent, -1);
  EXPECT_EQ(LevelBarOf(TPlayerModel::Expert, 11).MostLeftPercent, 70);
  EXPECT_EQ(LevelBarOf(TPlayerModel::Casual, 11).MostLeftPercent, -1);
  // Forty runs: the share of them, rounded up; a quick look of fewer than
  // twenty may lose one run more, but never every run.
  EXPECT_EQ(WinsNeeded(0.85, 40), 34);
  EXPECT_EQ(WinsNeeded(0.95, 4), 3);
  EXPECT_EQ(WinsNeeded(0.70, 4), 2);
  EXPECT_EQ(WinsNeeded(0.95, 1), 1);
  EXPECT_EQ(WinsNeeded(0, 5), 0);
}

TEST(LevelBars, DifficultyMayNotEaseFromBandToBand) {
  TBandShares bands;
  bands.Share[0] = 0.98, bands.Levels[0] = 10;
  bands.Share[1] = 0.90, bands.Levels[1] = 30;
  bands.Share[2] = 0.80, bands.Levels[2] = 70;
  EXPECT_EQ(BandOrderProblem(bands), "");
  bands.Share[2] = 0.92;
  EXPECT_EQ(BandOrderProblem(bands), "levels 41 on are won more often (92.0%) than levels 11-40 (90.0%)");
  // A band not played is skipped: the first and the last are compared.
  bands.Levels[1] = 0;
  EXPECT_EQ(BandOrderProblem(bands), "");
  bands.Share[2] = 0.99;
  EXPECT_NE(BandOrderProblem(bands).find("than levels 1-10"), std::string::npos);
}

TEST(LevelBars, WholeGamesReachFarEnoughAndLivesStayDear) {
  // Where each game's first game over came (111: it got through 110 levels).
  EXPECT_EQ(CampaignProblem(TPlayerModel::Casual, 110, {12, 30, 41, 55, 111}, 200, 40), "");
  EXPECT_EQ(CampaignProblem(TPlayerModel::Casual, 110, {12, 30, 39, 55, 111}, 200, 40),
            "the median game ends at level 39.0 (needs 40 or later)");
  // A short campaign only has to be got through.
  EXPECT_EQ(CampaignProblem(TPlayerModel::Casual, 20, {21, 21}, 40, 5), "");
  EXPECT_EQ(CampaignProblem(TPlayerModel::Expert, 110, {111, 111}, 220, 73), "");
  EXPECT_EQ(CampaignProblem(TPlayerModel::Expert, 110, {111, 111}, 220, 74),
            "74 extra lives in 220 levels (at most one every three)");
  EXPECT_EQ(CampaignProblem(TPlayerModel::Expert, 110, {111, 97}, 206, 10), "a game ends at level 97");
  EXPECT_EQ(CampaignProblem(TPlayerModel::Novice, 110, {3}, 2, 0), "");
}

}  // namespace
