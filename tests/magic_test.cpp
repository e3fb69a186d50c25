// Mana and spells: flights credited only on arrival and never past a full
// pot, the spell buttons over full pots, arming and casting with the areas cut
// by the board's edge, balls on force fields, flights frozen under dialogs and
// dropped when play ends, and the bar's vine and pots.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/Main.h"
#include "board/Mouse.h"
#include "engine/sprites/SpriteEngine.h"
#include "magic/Effects.h"
#include "magic/Magic.h"
#include "support/BoardFixture.h"

namespace {

// The boards below hold no line but one move, and a box, so that the board
// neither breaks pieces by itself nor reports that no move is left or that
// the level is won.
class Magic : public BoardFixture {
 protected:
  void SetUp() override {
    BoardFixture::SetUp();
    Game->Mouse();
    Game->aMouse.ClearOnUpdate = false;
  }
  // Flights and balls alive, in the order they were made (the engine files
  // a new sprite in front of those of equal depth).
  std::vector<TMoveFromToEffect*> Flights() {
    std::vector<TMoveFromToEffect*> out;
    for (TSprite* s : Game->SpriteEngine().SpriteList) {
      auto* f = dynamic_cast<TMoveFromToEffect*>(s);
      if (f && !f->Killed) out.push_back(f);
    }
    std::reverse(out.begin(), out.end());
    return out;
  }
  void PointAt(int x, int y) {
    Game->MouseX = x;
    Game->MouseY = y;
  }
  void Press(bool down) {
    Game->aMouse.DeviceButton(0, down);
    Game->aMouse.Update();
    Tick();
  }
  // A full pot's button, raised by the bar's frame.
  TArvanelMagics* RaiseButton(int element) {
    *Player().Mana(element) = kManaFull;
    Game->Magic().Bar().Draw();
    return Game->Magic().ButtonIfAny(element);
  }
  void ClickButton(int element) {
    const TPotPlace p = PotPlace(element);
    PointAt(p.X + 15, p.Y + 15);
    Press(true);
    Press(false);
  }
  void ClickCell(int col, int row) {
    PointAt(40 * col + 20, 40 * row + 10);
    Tick();
    Press(true);
    Press(false);
  }
  int Casts() const { return static_cast<int>(std::count(Audio.begin(), Audio.end(), "play:magic-cast.ogg")); }
};

TEST_F(Magic, ManaIsCreditedOnArrivalAndNeverPastAFullPot) {
  Build({"TWTW"});
  Player().ManaTree = 58;
  for (int c = 1; c <= 4; ++c) LaunchManaFlight(*Game, 1, 40.0 * c + 20, 60);
  // 150 steps of travel and 37 ticks at the pot: the 187th tick credits.
  Tick(186);
  EXPECT_EQ(Player().ManaTree, 58);
  ASSERT_EQ(Flights().size(), 4u);
  EXPECT_FLOAT_EQ(Flights()[0]->X, 412.0f + (412.0f - 60.0f) / 149.0f) << "one step past the pot";
  Tick();
  EXPECT_EQ(Player().ManaTree, 60) << "the last two flights add nothing";
  EXPECT_TRUE(Flights().empty());
}

TEST_F(Magic, BreakingElementPiecesSendsManaAndOthersDoNot) {
  Build({"TWTBKB", "WMFKPC"});
  B().HitCell(1, 1);
  B().HitCell(4, 1);
  for (int c = 1; c <= 6; ++c) B().HitCell(c, 2);
  std::vector<int> elements;
  for (TMoveFromToEffect* f : Flights()) elements.push_back(f->EffectType);
  EXPECT_EQ(elements, (std::vector<int>{1, 2, 4, 3})) << "tree, water, mountain, fire; black, book, pearl, crystal none";
  Player().ManaFire = kManaFull;
  Build({"F"});
  const size_t before = Flights().size();
  B().HitCell(1, 1);
  EXPECT_EQ(Flights().size(), before) << "a full pot takes no flight";
}

TEST_F(Magic, AFullPotRaisesItsButtonAndAClickArmsTheSpell) {
  Build({"TWT", "WTW"});
  Player().ManaWater = 59;
  Game->Magic().Bar().Draw();
  EXPECT_EQ(Game->Magic().ButtonIfAny(2), nullptr);
  TArvanelMagics* button = RaiseButton(2);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Z, kInGameBarZ + 1);
  ClickButton(2);
  EXPECT_EQ(B().ArmedSpell, 2);
  EXPECT_EQ(Player().ManaWater, 0) << "the click empties the pot at once";
  EXPECT_EQ(Game->Magic().ButtonIfAny(2), nullptr);
  // The press that armed the spell, dragged onto a piece, does not cast it.
  Press(true);
  EXPECT_EQ(B().ArmedSpell, 2);
}

TEST_F(Magic, TheMountainSpellHitsOnlyIdleCellsOnTheBoardInItsOrder) {
  Build({"TWTT", "WTWW", "TWTT"}, {"    ", "    ", "   2"});
  B().ArmedSpell = 4;
  PieceAt(2, 3)->State = PieceState::MoveDown;  // still on its way
  Game->Magic().CastSpell(2, 2, 4);
  EXPECT_EQ(B().ArmedSpell, 0);
  std::vector<std::pair<int, int>> targets;  // (row, col)
  for (TMoveFromToEffect* f : Flights()) targets.emplace_back(f->TargetRow, f->TargetCol);
  const std::vector<std::pair<int, int>> expected = {{2, 2}, {3, 3}, {3, 1}, {1, 3}, {1, 2}, {1, 1}, {2, 3}, {2, 1}};
  EXPECT_EQ(targets, expected);
  EXPECT_EQ(Casts(), 8);
}

TEST_F(Magic, ACastThatFindsNothingStillDisarms) {
  Build({"TWTT", "WTWW"}, {"   2"});
  B().ArmedSpell = 2;
  Game->Magic().CastSpell(1, 9, 2);  // beyond the built cells
  EXPECT_EQ(B().ArmedSpell, 0);
  EXPECT_TRUE(Flights().empty());
}

TEST_F(Magic, AnAreaCutByTheEdgeLaunchesOnlyTheCellsInside) {
  Build({"TWTT", "WTWW"}, {"   2"});
  RaiseButton(1);
  ClickButton(1);
  ClickCell(1, 1);
  ASSERT_EQ(Flights().size(), 2u) << "the cell above the top row is off the board";
  EXPECT_EQ(Flights()[0]->TargetRow, 1);
  EXPECT_EQ(Flights()[1]->TargetRow, 2);
  EXPECT_EQ(Flights()[0]->StartX, 412.0);
  EXPECT_EQ(Flights()[0]->StartY, 537.0);
}

TEST_F(Magic, ABallWeakensAForceFieldAndKeepsThePieceAndBreaksPlainPieces) {
  Build({"TWTT", "WTWW"}, {"5   ", "   2"});
  RaiseButton(3);
  ClickButton(3);
  ClickCell(1, 2);  // fire: below, above, right, left, centre
  ASSERT_EQ(Flights().size(), 3u);
  // A ball strikes on the 101st tick after the press that cast it (the
  // release took one).
  Tick(99);
  EXPECT_EQ(Tab(1, 1).TabType, ttForceField2);
  Tick();
  EXPECT_EQ(Tab(1, 1).TabType, ttForceField) << "orange weakened to blue";
  EXPECT_FALSE(PieceAt(1, 1)->Dying) << "the locked piece stays";
  EXPECT_TRUE(PieceAt(1, 2)->Dying);
  EXPECT_TRUE(PieceAt(2, 2)->Dying);
  EXPECT_EQ(Player().ManaTree, 0) << "pieces broken by a spell send no mana";
  EXPECT_TRUE(Flights().empty());
}

TEST_F(Magic, ABallBreaksWhateverPieceStandsInItsCellOnArrival) {
  Build({"TW"});
  RaiseButton(1);
  ClickButton(1);
  ClickCell(1, 1);
  TGameSprite* old = PieceAt(1, 1);
  old->Dead();
  B().TabAt(1, 1)->Piece = nullptr;
  Game->SpriteEngine().CollectDead();
  Tick(110);
  EXPECT_TRUE(Flights().empty()) << "an empty cell is left alone";
}

TEST_F(Magic, DialogsFreezeFlightsThatGoOnWhereTheyStopped) {
  Build({"T"});
  LaunchManaFlight(*Game, 1, 60, 60);
  Tick(10);
  TMoveFromToEffect* f = Flights().at(0);
  const float x = f->X, y = f->Y;
  Game->DialogOpen = true;
  Tick(50);
  EXPECT_EQ(f->StepIndex, 10);
  EXPECT_EQ(f->X, x);
  EXPECT_EQ(f->Y, y);
  Game->DialogOpen = false;
  Game->HintShown = true;
  Tick(5);
  EXPECT_EQ(f->StepIndex, 10);
  Game->HintShown = false;
  Tick(177);
  EXPECT_EQ(Player().ManaTree, 1);
}

TEST_F(Magic, LeavingPlayWinsAndRetriesDropFlightsAndButtons) {
  Build({"T"});
  LaunchManaFlight(*Game, 1, 60, 60);
  Tick(20);
  Game->ScreenState = ssMap;
  Tick(200);
  EXPECT_EQ(Player().ManaTree, 0) << "killed without crediting";
  EXPECT_TRUE(Flights().empty());

  Game->ScreenState = ssPlaying;
  RaiseButton(1);
  B().LevelWon();
  EXPECT_EQ(Game->Magic().ButtonIfAny(1), nullptr);

  B().Completed = 0;
  RaiseButton(3);
  B().TimeUp();
  EXPECT_EQ(Game->Magic().ButtonIfAny(3), nullptr);
  EXPECT_EQ(Player().ManaFire, 0) << "time over empties the pots";

  B().TimeOver = 0;
  RaiseButton(2);
  Player().Lives = 3;
  Game->Board().RetryLevel();
  EXPECT_EQ(Game->Magic().ButtonIfAny(2), nullptr) << "a retry takes the buttons away";

  B().TimeOver = 0;
  B().Completed = 0;
  RaiseButton(4);
  Game->Magic().FreeBar();
  EXPECT_EQ(Game->Magic().ButtonIfAny(4), nullptr) << "the bar takes its buttons along";
  EXPECT_EQ(Game->Magic().BarIfAny(), nullptr);
}

TEST_F(Magic, ButtonsWaitWhileTheLevelIsOverAndGoWhenTheBoardStops) {
  Build({"T"});
  Player().ManaTree = kManaFull;
  B().Completed = 1;
  Game->Magic().Bar().Draw();
  EXPECT_EQ(Game->Magic().ButtonIfAny(1), nullptr);
  B().Completed = 0;
  Game->Magic().Bar().Draw();
  ASSERT_NE(Game->Magic().ButtonIfAny(1), nullptr);
  B().NoMoves = 1;
  Tick();
  Game->SpriteEngine().CollectDead();
  EXPECT_EQ(Game->Magic().ButtonIfAny(1), nullptr);
}

TEST_F(Magic, TheFirstFullPotAndTheFirstManaShowTheirHintsOnce) {
  Build({"T"});
  Player().TutorialFlags[6] = 2;
  Player().TutorialFlags[7] = 2;
  Player().ManaFire = kManaFull;
  Player().ManaWater = kManaFull;
  Game->Magic().Bar().Draw();
  EXPECT_TRUE(Game->HintShown);
  EXPECT_EQ(Player().TutorialFlags[6], 1);
  EXPECT_EQ(Main().HintX, PotPlace(3).X) << "fire comes before water";
  Game->CloseHint();
  EXPECT_EQ(Player().TutorialFlags[6], 0);

  LaunchManaFlight(*Game, 1, 60, 60);
  Tick(187);
  EXPECT_TRUE(Game->HintShown);
  EXPECT_EQ(Player().TutorialFlags[7], 1);
  EXPECT_EQ(Player().ManaTree, 1) << "the tip and the point both come";
}

TEST(MagicBar, VineAndPotsFollowTheClockAndTheMana) {
  EXPECT_EQ(VineWidth(0, 100), 336);
  EXPECT_EQ(VineWidth(50, 100), 168);
  EXPECT_EQ(VineWidth(100, 100), 0);
  EXPECT_EQ(VineWidth(130, 100), 0) << "never negative after the limit";
  EXPECT_EQ(VineWidth(1, 3), 224);
  EXPECT_EQ(PotEmptyRows(0), 31);
  EXPECT_EQ(PotEmptyRows(60), 0);
  // Short of full, the liquid rises over the lower two thirds only: one
  // point short, the top third is still dark glass, never a single dark row
  // that reads as full; and every point shows.
  EXPECT_EQ(PotEmptyRows(30), 21);
  EXPECT_EQ(PotEmptyRows(59), 11);
  EXPECT_EQ(PotEmptyRows(1), 30);
  for (int mana = 1; mana < 60; ++mana) {
    EXPECT_LE(PotEmptyRows(mana), PotEmptyRows(mana - 1)) << mana;
    EXPECT_GE(PotEmptyRows(mana), 11) << mana;
  }
}

}  // namespace
