// The hint bubble and the tutorial's chain of hints, and the end-of-level
// tally that turns the seconds and mana left into bonus points.
#include <gtest/gtest.h>

#include "app/Main.h"
#include "board/Mouse.h"
#include "board/MoveFinder.h"
#include "engine/gui/GuiForm.h"
#include "layout/PlayForms.h"
#include "support/PlayFixture.h"

namespace {

class Hints : public PlayFixture {};

TEST_F(Hints, BubbleSitsByThePointsXWithItsPointerSide) {
  Build({"TB"});
  const int h = Form(TControlName::HelpGUI)->Height();
  struct Case {
    int X, Side, Left;
  } cases[] = {{-5, 0, 200},  {199, 0, 200}, {200, 1, 100}, {250, 1, 100}, {399, 1, 100},
               {400, 2, 200}, {599, 2, 200}, {600, 1, 300}, {799, 1, 300}};
  for (const Case& c : cases) {
    Game->ShowHint(c.X, 300, "text");
    EXPECT_EQ(Main().HintPointerSide, c.Side) << "x = " << c.X;
    EXPECT_EQ(Form(TControlName::HelpGUI)->Bounds.Left, c.Left) << "x = " << c.X;
    EXPECT_EQ(Form(TControlName::HelpGUI)->Bounds.Top, 300 - h - 30);
    Game->CloseHint();
  }
  // Off the right edge the bubble keeps its side and place, and follows the y.
  Game->ShowHint(450, 300, "a");
  Game->CloseHint();
  Game->ShowHint(850, 400, "b");
  EXPECT_EQ(Main().HintPointerSide, 2);
  EXPECT_EQ(Form(TControlName::HelpGUI)->Bounds.Left, 200);
  EXPECT_EQ(Form(TControlName::HelpGUI)->Bounds.Top, 400 - h - 30);
  EXPECT_EQ(Main().HintX, 850);
}

TEST_F(Hints, ASecondHintWhileOneIsUpIsIgnoredAndContinueClosesIt) {
  Build({"TB"});
  Player().StartGame(true);
  Player().TutorialFlags[3] = 1;
  Game->ShowHint(250, 405, "first");
  EXPECT_TRUE(Game->HintShown);
  EXPECT_TRUE(Visible(TControlName::HelpGUI));
  EXPECT_EQ(Text(TControlName::HelpText), "first");
  Game->ShowHint(700, 100, "second");
  EXPECT_EQ(Text(TControlName::HelpText), "first");
  EXPECT_EQ(Main().HintX, 250);

  Game->ScreenTicks = 77;
  Press(TControlName::HelpGuiContinue);
  EXPECT_FALSE(Game->HintShown);
  EXPECT_FALSE(Visible(TControlName::HelpGUI));
  EXPECT_EQ(Game->ScreenTicks, 0);
  EXPECT_EQ(Player().TutorialFlags[3], 0) << "a hint on screen counts as done once closed";
  EXPECT_EQ(Player().TutorialFlags[4], 2) << "pending hints stay pending";
  EXPECT_EQ(Count("play:mouse-over-menu.ogg"), 1);
}

TEST_F(Hints, FirstHintOpensThreeHundredOneTicksIntoPlay) {
  Build({"TBT", "BTB"}, {"222"});
  Player().StartGame(true);
  Game->ScreenTicks = 0;
  Tick(300);
  EXPECT_FALSE(Game->HintShown);
  Tick();
  ASSERT_TRUE(Game->HintShown);
  EXPECT_EQ(Main().HintX, 225);
  EXPECT_EQ(Main().HintY, 405);
  EXPECT_EQ(Form(TControlName::HelpGUI)->Bounds.Left, 100);
  EXPECT_EQ(Text(TControlName::HelpText), "Make matches of 3 in a row: click two neighbouring pieces to swap them.");
  EXPECT_EQ(Player().TutorialFlags[1], 1);
  // While the bubble is up the clock and the board stand still.
  const int elapsed = B().ElapsedSeconds;
  Tick(400);
  EXPECT_EQ(B().ElapsedSeconds, elapsed);
  EXPECT_EQ(Player().TutorialFlags[2], 2) << "no second bubble over the first";
}

// Rows of seven black and tree pieces in a checker, no line standing; row 10
// as given.
std::vector<std::string> CheckerWithRowTen(const std::string& rowTen) {
  std::vector<std::string> pieces;
  for (int r = 0; r < 12; ++r) pieces.push_back(r % 2 ? "BTBTBTB" : "TBTBTBT");
  pieces[9] = rowTen;
  return pieces;
}
// Row 10 with books: the black piece at (5, 10) lines up no book, but the
// book at (4, 10) moved into its place lines up three.
const char* kBooksAroundTheHint = "BTBKBKK";
// Plain cells with one wooden box in the corner, so that the level is not won
// at once.
std::vector<std::string> OneBox() {
  std::vector<std::string> tabs(12, "1111111");
  tabs[0] = "2111111";
  return tabs;
}

// The first hint shows the whole swap: its pointer stands on the piece at
// (5, 10), and the neighbour to swap it with glows until the bubble closes.
TEST_F(Hints, FirstHintMarksTheNeighbourThatCompletesItsSwap) {
  Build(CheckerWithRowTen(kBooksAroundTheHint), OneBox());
  Player().StartGame(true);
  Game->ScreenTicks = 0;
  Tick(301);
  ASSERT_TRUE(Game->HintShown);
  const TCell partner{Main().HintSwapCol, Main().HintSwapRow};
  EXPECT_EQ(partner.Col, 4);
  EXPECT_EQ(partner.Row, 10);
  EXPECT_TRUE(IsLineSwap(TBotGrid::FromBoard(B()), {5, 10}, partner));
  EXPECT_NE(Game->DumpState().find("\"swap_col\":" + std::to_string(partner.Col)), std::string::npos);
  Press(TControlName::HelpGuiContinue);
  EXPECT_EQ(Main().HintSwapCol, 0) << "the glow goes with the bubble";
}

// A hint never cuts a swap short: while a piece is picked, or the two are
// changing places, it waits, and the second click still reaches the board.
TEST_F(Hints, AHintWaitsWhileASwapIsUnderWay) {
  Build(CheckerWithRowTen(kBooksAroundTheHint), OneBox());
  Player().StartGame(true);
  Game->ScreenTicks = 250;
  Button(false);
  Tick();
  Point(5, 10);
  Button(true);
  Tick();
  Button(false);
  Tick();
  ASSERT_TRUE(Game->MouseIfAny()->HasSelection());
  Tick(100);
  EXPECT_FALSE(Game->HintShown) << "a piece is picked";
  EXPECT_GT(Game->ScreenTicks, 301);
  Point(4, 10);
  Button(true);
  Tick();
  Button(false);
  // The click on the neighbour swapped the two.
  ASSERT_NE(PieceAt(4, 10), nullptr);
  EXPECT_EQ(PieceAt(4, 10)->Kind, pkBlack);
  EXPECT_FALSE(Game->HintShown) << "the pieces are on their way";
  Tick(600);
  EXPECT_TRUE(Game->HintShown) << "the hint opens once the board is at rest";
}

TEST_F(Hints, ChainPointsAtTheFirstBoxFromTheBottomAndWaitsForAMissingKind) {
  // Wooden boxes at (4, 2) and (2, 5), one in row 12 that the scan skips, no
  // iron box, and a blue field that must wait for the iron hint.
  std::vector<std::string> pieces;
  for (int r = 0; r < 12; ++r) pieces.push_back(r % 2 ? "BTBTBT" : "TBTBTB");
  std::vector<std::string> tabs(12, "111111");
  tabs[1] = "111211";
  tabs[4] = "121111";
  tabs[11] = "211111";
  tabs[6] = "111141";
  Build(pieces, tabs);
  Player().StartGame(true);
  Player().TutorialFlags[1] = 0;
  Game->ScreenTicks = 0;
  Tick(301);
  ASSERT_TRUE(Game->HintShown);
  EXPECT_EQ(Main().HintX, 40 * 2 + 15);
  EXPECT_EQ(Main().HintY, 40 * 5 - 10 + 15);
  EXPECT_EQ(Player().TutorialFlags[2], 1);
  Press(TControlName::HelpGuiContinue);
  EXPECT_EQ(Player().TutorialFlags[2], 0);
  Tick(1000);
  EXPECT_FALSE(Game->HintShown);
  EXPECT_EQ(Player().TutorialFlags[3], 2);
  EXPECT_EQ(Player().TutorialFlags[4], 2);
}

// The chain's words, in plain English, for each kind of box and field.
TEST_F(Hints, TheChainExplainsEachBoxInPlainWords) {
  struct TCase {
    char Tab;
    const char* Text;
  } cases[] = {
      {'2', "Behind this piece is a wooden box. Make a match over every wooden box to finish the level."},
      {'3', "Behind this piece is an iron box. Make a match over an iron box to turn it into a wooden box."},
      {'4', "In front of this piece is a blue force field, which locks the piece in place. Make matches with the "
            "locked piece to break the field: it turns into an iron box."},
      {'5', "In front of this piece is an orange force field, which locks the piece in place. Make matches with "
            "the locked piece to weaken the field: it turns into a blue force field."},
  };
  for (int i = 0; i < 4; ++i) {
    std::string tabs = "111";
    tabs[1] = cases[i].Tab;
    Build({"TBT", "BTB"}, {tabs});
    Player().StartGame(true);
    for (int flag = 1; flag <= 1 + i; ++flag) Player().TutorialFlags[flag] = 0;
    Game->ScreenTicks = 0;
    Tick(301);
    ASSERT_TRUE(Game->HintShown) << cases[i].Tab;
    EXPECT_EQ(Text(TControlName::HelpText), cases[i].Text);
    Press(TControlName::HelpGuiContinue);
  }
}

TEST_F(Hints, NoHintsOutsideTheCampaignOrWhilePaused) {
  Build({"TB"}, {"22"});
  Player().StartGame(false);
  Tick(400);
  EXPECT_FALSE(Game->HintShown);
  Player().StartGame(true);
  Game->GamePaused = true;
  Game->ScreenTicks = 500;
  Tick(10);
  EXPECT_FALSE(Game->HintShown);
}

class Tally : public PlayFixture {
 protected:
  // A won level with `left` seconds to spare and `mana` points in the pots;
  // returns the ticks until "nlNext" shows (with a click of five ticks at
  // tick `clickAt` when it is 0 or more).
  int Run(int left, int mana, int clickAt = -1) {
    Build({"TB"});
    B().Options.LevelTime = 100;
    B().ElapsedSeconds = 100 - left;
    Player().Score = 1000;
    Player().ManaTree = mana / 2;
    Player().ManaFire = mana - mana / 2;
    B().ShowLevelResult();
    for (int t = 1; t <= 5000; ++t) {
      if (t == clickAt) Button(true);
      if (t == clickAt + 5) Button(false);
      Tick();
      if (FormVisible(Game->GuiBase1, TControlName::formNextLevel) &&
          ButtonVisible(Game->GuiBase1, TControlName::nlNext))
        return t;
    }
    return -1;
  }
};

TEST_F(Tally, CountsSecondsThenManaEverySecondTickAfterTwoSecondPauses) {
  Build({"TB"});
  B().Options.LevelTime = 100;
  B().ElapsedSeconds = 90;
  Player().Score = 1000;
  Player().ManaWater = 2;
  Player().ManaMountain = 1;
  B().ShowLevelResult();
  const TGuiForm* form = Form(TControlName::formNextLevel);
  ASSERT_TRUE(form->Visible());
  EXPECT_EQ(form->Bounds.Left, 400 - form->Width() / 2);
  EXPECT_EQ(form->Bounds.Top, 300 - form->Height() / 2);
  EXPECT_FALSE(ButtonVisible(Game->GuiBase1, TControlName::nlNext));
  EXPECT_EQ(Text(TControlName::nlTime), "10 s");
  EXPECT_EQ(Text(TControlName::nlMana), "3");
  EXPECT_EQ(Text(TControlName::nlLives), "3");
  EXPECT_EQ(B().TimeBonusLeft, 10);

  Tick(241);
  EXPECT_EQ(B().Bonus, 0) << "two seconds of rest first";
  Tick();
  EXPECT_EQ(B().Bonus, 100);
  EXPECT_EQ(Text(TControlName::nlTime), "9 s");
  EXPECT_EQ(Count("play:contagem-pontos.ogg"), 1);
  Tick(18);  // tick 260: the last second
  EXPECT_EQ(B().TimeBonusLeft, 0);
  EXPECT_EQ(B().Bonus, 1000);
  Tick(241);
  EXPECT_EQ(B().Bonus, 1000) << "another rest before the mana";
  Tick();  // tick 502: the first mana point, from the water pot before the mountain
  EXPECT_EQ(B().Bonus, 1150);
  EXPECT_EQ(Player().ManaWater, 1);
  EXPECT_EQ(Player().ManaMountain, 1);
  Tick(4);
  EXPECT_EQ(B().Bonus, 1450);
  EXPECT_EQ(Player().ManaTotal(), 0);
  EXPECT_EQ(Player().Score, 1000);
  Tick(241);
  EXPECT_FALSE(ButtonVisible(Game->GuiBase1, TControlName::nlNext));
  Tick();  // tick 748: the hand-over
  EXPECT_TRUE(ButtonVisible(Game->GuiBase1, TControlName::nlNext));
  EXPECT_EQ(Player().Score, 2450);
  EXPECT_EQ(B().Bonus, 0);
  EXPECT_EQ(Text(TControlName::nlScore), "2450");
  EXPECT_EQ(Count("play:pontos-subindo.ogg"), 1);
  EXPECT_EQ(Count("play:contagem-pontos.ogg"), 13);
}

TEST_F(Tally, AClickFinishesAtOnceWithTheSameBonus) {
  const int waited = Run(37, 11);
  const int waitedScore = Player().Score;
  EXPECT_EQ(waitedScore, 1000 + 37 * 100 + 11 * 150);
  TearDown();
  SetUp();
  const int skipped = Run(37, 11, 130);
  EXPECT_EQ(Player().Score, waitedScore);
  EXPECT_TRUE(Game->SkipTally);
  EXPECT_EQ(skipped, 3 * 242);
  EXPECT_LT(skipped, waited);
  // A click in the first second does not count.
  TearDown();
  SetUp();
  Run(37, 11, 100);
  EXPECT_FALSE(Game->SkipTally) << "pressed before the form had been up a second";
}

TEST_F(Tally, NothingToCountGoesStraightToTheHandOver) {
  EXPECT_EQ(Run(0, 0), 242);
  EXPECT_EQ(Player().Score, 1000);
}

TEST_F(Tally, RelaxedModeCountsOnlyTheMana) {
  Game->RelaxedMode = true;
  EXPECT_EQ(Run(50, 2), 242 + 2 + 242);
  EXPECT_EQ(Player().Score, 1000 + 300);
}

TEST_F(Tally, BonusThatPassesTheThresholdBringsALife) {
  Build({"TB"});
  Player().Score = 99000;
  B().Options.LevelTime = 100;
  B().ElapsedSeconds = 80;
  B().ShowLevelResult();
  Tick(800);
  EXPECT_EQ(Player().Score, 101000);
  EXPECT_EQ(Player().Lives, 4);
  EXPECT_EQ(Text(TControlName::nlLives), "4");
  EXPECT_EQ(Count("music:play:life"), 1);
}

TEST_F(Tally, AHugeTimeBonusStopsAtTheLargestScore) {
  // A level file may hold any time; thirty million seconds of bonus would
  // overflow a score.
  Build({"TB"});
  Player().Score = 1000;
  B().Options.LevelTime = 30000000;
  B().ElapsedSeconds = 0;
  B().ShowLevelResult();
  Game->SkipTally = true;
  Tick(242);
  EXPECT_EQ(B().Bonus, INT32_MAX);
  Tick(800);
  EXPECT_EQ(Player().Score, INT32_MAX);
  EXPECT_GT(Player().Score, 0);
}

TEST(PlayForms, NumbersWithSeparatorsAndClockTimes) {
  EXPECT_EQ(WithThousands(0), "0");
  EXPECT_EQ(WithThousands(999), "999");
  EXPECT_EQ(WithThousands(1499), "1,499");
  EXPECT_EQ(WithThousands(-1234567), "-1,234,567");
  EXPECT_EQ(ClockText(100), "00:01:40");
  EXPECT_EQ(ClockText(0), "00:00:00");
  EXPECT_EQ(ClockText(-5), "00:00:00");
  EXPECT_EQ(ClockText(3 * 3600 + 61), "03:01:01");
}

}  // namespace
