// The flow of a level in process: the win, its fade-out and result form, the
// way on to the next level, the retry after a stuck board or time over, the
// game-over screen, the cursor's clicks, the score numbers and the tiles'
// marker and force fields.
#include <gtest/gtest.h>

#include "app/Main.h"
#include "board/BoardEffects.h"
#include "board/Mouse.h"
#include "engine/gui/GuiForm.h"
#include "engine/sprites/SpriteEngine.h"
#include "layout/PlayForms.h"
#include "magic/Effects.h"
#include "screens/HistorySprites.h"
#include "support/PlayFixture.h"

namespace {

class LevelFlow : public PlayFixture {
 protected:
  // Two small levels of pack "P", each with a wooden box so that neither is
  // won by itself.
  void WritePack() {
    WriteLevel("P", 1, {"TBTB", "BTBT"}, {"2111"});
    WriteLevel("P", 2, {"WBWB", "BWBW"}, {"1112"});
  }
  int CountSprites(const std::string& image) {
    int n = 0;
    for (const TSprite* s : Game->SpriteEngine().SpriteList) n += !s->Killed && s->ImageName == image;
    return n;
  }
};

TEST_F(LevelFlow, WonLevelFadesOutThenTheFirstTileToVanishOpensTheResult) {
  Build({"TB", "BT"});
  B().Options.LevelTime = 100;
  B().ElapsedSeconds = 40;
  Game->Mouse().Select(Tab(2, 2));
  Game->StartDelay = 0;
  Game->ScreenTicks = 1;  // the board steps on even ticks
  Tick();
  ASSERT_TRUE(B().Completed) << "a board without boxes is won once settled";
  EXPECT_TRUE(B().Cleared);
  EXPECT_FALSE(Tab(2, 2).Selected) << "no highlight is left over the faded board";
  EXPECT_EQ(Count("music:play:levelcompleted"), 1);
  EXPECT_EQ(Count("music:stop:Music5"), 1);
  int ticks = 0;
  while (!B().ResultShown && ticks < 1000) {
    Tick();
    ++ticks;
  }
  EXPECT_GE(ticks, 250);
  EXPECT_LE(ticks, 262);
  EXPECT_EQ(Tab(1, 1).Alpha, 0);
  EXPECT_TRUE(Visible(TControlName::formNextLevel));
  EXPECT_EQ(B().TimeBonusLeft, 60);
  EXPECT_EQ(B().ElapsedSeconds, 40) << "a cleared board stops the clock";
  EXPECT_EQ(Text(TControlName::nlTime), "60 s");
  EXPECT_FALSE(ButtonVisible(Game->GuiBase1, TControlName::nlNext));
}

TEST_F(LevelFlow, NextSetsTheFollowingLevelUpBehindItsMap) {
  WritePack();
  ASSERT_TRUE(Open("P", 1));
  EXPECT_EQ(B().LevelCount, 2);
  B().Completed = 1;
  B().ShowLevelResult();
  Press(TControlName::nlNext);
  EXPECT_FALSE(Visible(TControlName::formNextLevel));
  EXPECT_EQ(B().LevelNumber, 2);
  EXPECT_FALSE(B().Completed);
  EXPECT_FALSE(B().ResultShown);
  // The story map of level 2 comes first; its click starts the level.
  EXPECT_EQ(Game->ScreenState, ssMap);
  EXPECT_EQ(Game->ScreenTicks, 0);
  EXPECT_EQ(PieceAt(1, 1)->Kind, pkGota);
  EXPECT_EQ(Count("play:mouse-over-menu.ogg"), 1);
  EXPECT_EQ(Count("music:play:MapMusic"), 1);
  EXPECT_EQ(Count("music:play:" + Game->CurrentMusic), 0);
}

TEST_F(LevelFlow, ClickOnAStuckBoardRetriesOnceAndPicksNoPiece) {
  WritePack();
  ASSERT_TRUE(Open("P", 1));
  Tick(4);
  ASSERT_FALSE(B().FadingIn);
  Player().Score = 700;
  Player().LevelStartScore = 300;
  B().NoMoves = 1;
  const std::string oldMusic = Game->CurrentMusic;
  Point(2, 1);
  Button(true);
  Tick();
  EXPECT_FALSE(B().NoMoves);
  EXPECT_EQ(Player().Lives, 2);
  EXPECT_EQ(Player().Score, 300);
  // The level's tune is drawn anew; the old one stops under its own name so
  // that the pause key finds the one that plays.
  EXPECT_EQ(Count("music:stop:" + oldMusic), 1);
  EXPECT_EQ(Count("music:play:" + Game->CurrentMusic), 1);
  Tick(30);  // the button is still held after the board faded in
  EXPECT_FALSE(Game->Mouse().HasSelection());
  EXPECT_EQ(Player().Lives, 2) << "one click, one life";

  // With the last life a stuck board only goes on.
  Button(false);
  Tick();
  Player().Lives = 1;
  B().NoMoves = 1;
  Button(true);
  Tick();
  EXPECT_FALSE(B().NoMoves);
  EXPECT_EQ(Player().Lives, 1);
  EXPECT_EQ(Player().Score, 300);
}

TEST_F(LevelFlow, RetryClosesTheQuitMenuAndTheTimeOverForm) {
  WritePack();
  ASSERT_TRUE(Open("P", 1));
  ShowForm(Game->GuiBase1, TControlName::QuitMenu, true);
  ShowForm(Game->GuiBase1, TControlName::formTimeOver, true);
  Game->DialogOpen = true;
  Player().Lives = 1;
  Game->Board().RetryLevel();
  EXPECT_TRUE(Visible(TControlName::QuitMenu)) << "with one life nothing happens";
  Player().Lives = 3;
  Game->Board().RetryLevel();
  EXPECT_FALSE(Visible(TControlName::QuitMenu));
  EXPECT_FALSE(Visible(TControlName::formTimeOver));
  EXPECT_FALSE(Game->DialogOpen);
  EXPECT_EQ(Player().Lives, 2);
}

TEST_F(LevelFlow, LastLifeEndsInTheGameOverScreenThatTakesAClickAfterEightSeconds) {
  Build({"TB"}, {"2"});
  B().PackName = "Game Levels";
  Player().Lives = 1;
  B().TimeUp();
  EXPECT_EQ(Game->BoardIfAny(), nullptr);
  EXPECT_EQ(Game->ScreenState, ssGameOver);
  EXPECT_EQ(Game->ScreenTicks, 0);
  EXPECT_EQ(CountSprites("gameover.image"), 2);
  int words = 0;
  for (const TSprite* s : Game->SpriteEngine().SpriteList)
    if (auto* t = dynamic_cast<const THistoryText*>(s)) words += t->Text == "GAME" || t->Text == "OVER";
  EXPECT_EQ(words, 2);
  Tick(960);
  EXPECT_FALSE(Game->GameOverClickable);
  Tick();
  EXPECT_TRUE(Game->GameOverClickable);
  EXPECT_EQ(CountSprites("gameover.image"), 1) << "the fading copy is gone, the still one stays";
}

TEST_F(LevelFlow, QuickMoveAndPressSelectsAndAFarPressMovesTheSelection) {
  Build({"TBTBT", "BTBTB", "TBTBT"}, {"22222"});
  TMouse& mouse = Game->Mouse();
  // The pointer arrives over the cell in the same frame as the press.
  Point(2, 2);
  Button(true);
  Tick();
  EXPECT_EQ(mouse.SelCol, 2);
  EXPECT_EQ(mouse.SelRow, 2);
  Button(false);
  Tick();
  Point(5, 3);
  Button(true);
  Tick();
  EXPECT_EQ(mouse.SelCol, 5);
  EXPECT_EQ(mouse.SelRow, 3);
  EXPECT_FALSE(Tab(2, 2).Selected);
  EXPECT_EQ(Count("play:snap.ogg"), 2);
  Button(false);
  Tick();
  Point(4, 2);  // diagonal: nothing
  Button(true);
  Tick();
  EXPECT_EQ(mouse.SelCol, 5);
  EXPECT_EQ(PieceAt(4, 2)->State, PieceState::Idle);
  Button(false);
  Tick();
  Point(5, 2);  // the neighbour above: a swap
  Button(true);
  Tick();
  EXPECT_FALSE(mouse.HasSelection());
  EXPECT_NE(PieceAt(5, 2)->State, PieceState::Idle);
  Tick(3);
  EXPECT_FALSE(mouse.HasSelection()) << "the swapping press does not also pick the cell it swapped into";
}

TEST_F(LevelFlow, ScoreNumberRisesAndFadesOverTwoHundredFiftyFiveTicks) {
  auto* number = new TScoreSprite(&Game->SpriteEngine());
  number->Points = 450;
  number->SetX(100);
  number->SetY(400);
  for (int i = 0; i < 254; ++i) number->Move(1.0f);
  EXPECT_FALSE(number->Killed);
  EXPECT_EQ(number->Alpha, 1);
  number->Move(1.0f);
  EXPECT_TRUE(number->Killed);
  EXPECT_FLOAT_EQ(number->Y, 400 - 255);
}

TEST_F(LevelFlow, MarkerShowsOnPlainWoodAndIronButNotOnFields) {
  Build({"TBTBW"}, {"12345"});
  TSprite* marker = B().Selection;
  for (int col = 1; col <= 5; ++col) {
    Point(col, 1);
    Tick(3);
    EXPECT_EQ(marker->Visible, col <= 3) << "tab type " << col;
    if (col <= 3) {
      EXPECT_FLOAT_EQ(marker->X, Tab(col, 1).X);
    }
  }
}

TEST_F(LevelFlow, ForceFieldPulsesOnceAfterItsPeriodThenIdlesAgain) {
  Build({"T"}, {"5"});
  TForceField* field = Tab(1, 1).ForceField;
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->ImageName, "forcefield2.image");
  EXPECT_GE(field->PulsePeriod, 1000);
  EXPECT_LT(field->PulsePeriod, 1500);
  const int period = field->PulsePeriod;
  for (int i = 0; i < period; ++i) field->Move(1.0f);
  EXPECT_EQ(field->FirstFrame, 6) << "still idling";
  field->Move(1.0f);
  EXPECT_EQ(field->FirstFrame, 0);
  EXPECT_FALSE(field->Looping);
  for (int i = 0; i < 100; ++i) field->Move(1.0f);
  EXPECT_EQ(field->FirstFrame, 6) << "the pulse played frames 0 to 5";
  EXPECT_EQ(field->FrameCount, 9);
  EXPECT_TRUE(field->Looping);
  EXPECT_TRUE(field->Animating);
  EXPECT_EQ(field->PulseTicks, 0);
  // A line over it turns it blue with a new field and its burst.
  B().HitCell(1, 1);
  EXPECT_EQ(Tab(1, 1).TabType, ttForceField);
  EXPECT_NE(Tab(1, 1).ForceField, field);
  EXPECT_EQ(Game->Explosions().LastType, 11);
  EXPECT_EQ(Count("play:force-field-off.ogg"), 1);
}

}  // namespace
