// The pieces: one-cell moves and their animations, swaps made with the cursor
// and swaps that go back, breaking and the box under a broken piece, the
// break-sound limit, the skull and the fire overlay.
#include <gtest/gtest.h>

#include "board/Mouse.h"
#include "engine/sprites/SpriteEngine.h"
#include "magic/Effects.h"
#include "support/BoardFixture.h"

namespace {

class Pieces : public BoardFixture {
 protected:
  // The cursor over the centre of a cell, for one tick.
  void Hover(int col, int row) {
    Game->MouseX = 40 * col + 20;
    Game->MouseY = 40 * row + 10;
    Tick();
  }
  void Button(bool down) {
    Game->aMouse.DeviceButton(0, down);
    Game->aMouse.Update();
    Tick();
  }
  // Press on one cell and let go on another (a drag when they differ).
  void Drag(int fromCol, int fromRow, int toCol, int toRow) {
    Hover(fromCol, fromRow);
    Button(false);
    Button(true);
    Hover(toCol, toRow);
    Tick();
    Button(false);
  }
  void MoveAll(int n = 1) {
    for (int i = 0; i < n; ++i) Game->SpriteEngine().MoveAll(1.0f);
  }
  void SetUp() override {
    BoardFixture::SetUp();
    Game->Mouse();
    Game->aMouse.ClearOnUpdate = false;
  }
};

TEST_F(Pieces, CellFromPositionUsesTheCeilingAndIgnoresPlacesOffTheBoard) {
  Build({"T"});
  TGameSprite* t = PieceAt(1, 1);
  t->SetX(720);
  t->SetY(470);
  t->CellFromPosition();
  EXPECT_EQ(t->Col, 18);
  EXPECT_EQ(t->Row, 12);
  t->SetX(681);
  t->SetY(431);
  t->CellFromPosition();
  EXPECT_EQ(t->Col, 18) << "any fraction rounds up";
  EXPECT_EQ(t->Row, 12);
  t->SetX(760);
  t->CellFromPosition();
  EXPECT_EQ(t->Col, 18) << "column 19 is off the board: the cell stays";
}

TEST_F(Pieces, RunsStopAtTheEdgesAndAtUnsettledPieces) {
  Build({"TTT" + std::string(12, '#') + "TTT", "T", "T"});
  EXPECT_EQ(PieceAt(1, 1)->RowRun(), 2);
  EXPECT_EQ(PieceAt(18, 1)->RowRun(), 2);
  EXPECT_EQ(PieceAt(1, 1)->ColumnRun(), 2);
  PieceAt(2, 1)->Falling = 1;
  EXPECT_EQ(PieceAt(1, 1)->RowRun(), 0);
  EXPECT_EQ(PieceAt(3, 1)->RowRun(), 0);
}

TEST_F(Pieces, SwapMovesAtSwapSpeedWithTheMoveAnimation) {
  Build({"TB", "PK"});
  TGameSprite* t = PieceAt(1, 1);
  TGameSprite* p = PieceAt(1, 2);
  t->StartMoveRight();
  p->StartMoveRight();
  EXPECT_EQ(t->FirstFrame, 6);
  EXPECT_EQ(t->FrameCount, 3);
  EXPECT_NEAR(t->FrameSpeed, 0.14f, 1e-6);
  EXPECT_FALSE(p->Animating) << "pearls have no move animation";
  MoveAll();
  EXPECT_FLOAT_EQ(t->X, 41.4f);
  EXPECT_EQ(t->State, PieceState::MoveRight);
  MoveAll(27);
  EXPECT_EQ(t->State, PieceState::MoveRight);
  MoveAll();
  EXPECT_EQ(t->State, PieceState::Idle) << "40 pixels at 1.4 a tick take 29 ticks";
  EXPECT_FLOAT_EQ(t->X, 80.0f);
  EXPECT_DOUBLE_EQ(t->TargetX, 0.0);

  TGameSprite* k = PieceAt(2, 2);
  k->StartMoveUp();
  EXPECT_EQ(k->FirstFrame, 6) << "the book has its own vertical frames";
  EXPECT_EQ(k->FrameCount, 2);
  k->Falling = 1;
  k->StartMoveDown();
  EXPECT_FALSE(k->Animating) << "a fall shows no squash";
}

TEST_F(Pieces, SwapWithoutALineGoesBackOnceWithItsSound) {
  Build({"TBW", "WTB"}, {"222"});
  TGameSprite* t = PieceAt(1, 1);
  TGameSprite* b = PieceAt(2, 1);
  Drag(1, 1, 2, 1);
  EXPECT_EQ(Count("play:snap.ogg"), 1);
  EXPECT_EQ(PieceAt(1, 1), b) << "the cells exchange their pieces at once";
  EXPECT_EQ(PieceAt(2, 1), t);
  Tick(80);
  EXPECT_EQ(PieceAt(1, 1), t);
  EXPECT_EQ(PieceAt(2, 1), b);
  EXPECT_FLOAT_EQ(t->X, 40.0f);
  EXPECT_FLOAT_EQ(b->X, 80.0f);
  EXPECT_EQ(t->State, PieceState::Idle);
  EXPECT_EQ(b->State, PieceState::Idle);
  EXPECT_EQ(Count("play:swapback.ogg"), 1);
  EXPECT_EQ(Player().Score, 0);
  EXPECT_FALSE(Game->Mouse().HasSelection());
}

TEST_F(Pieces, SwapThatMakesALineStandsAndIsScored) {
  Build({"BTBB", "WWTW"}, {"2222"});
  Drag(2, 1, 1, 1);
  Tick(60);
  EXPECT_EQ(Count("play:swapback.ogg"), 0);
  EXPECT_EQ(Player().Score, 300);
  EXPECT_EQ(PieceAt(1, 1)->Kind, pkTree);
  EXPECT_EQ(PieceAt(2, 1), nullptr) << "the three black pieces broke";
  EXPECT_EQ(Tab(3, 1).TabType, ttTab) << "and their wooden boxes with them";
}

TEST_F(Pieces, CursorSelectsDeselectsAndIgnoresDiagonals) {
  Build({"TB", "WT"}, {"22"});
  TMouse& mouse = Game->Mouse();
  Hover(1, 1);
  Button(false);
  Button(true);
  EXPECT_EQ(mouse.SelCol, 1);
  EXPECT_TRUE(Tab(1, 1).Selected);
  Button(false);
  Hover(2, 2);  // a diagonal neighbour: nothing happens
  Button(true);
  Button(false);
  EXPECT_EQ(mouse.SelCol, 1);
  EXPECT_EQ(PieceAt(2, 2)->State, PieceState::Idle);
  Hover(1, 1);
  Button(true);  // the selected piece again: let go
  EXPECT_FALSE(mouse.HasSelection());
  EXPECT_FALSE(Tab(1, 1).Selected);
  Tick(5);
  EXPECT_FALSE(mouse.HasSelection()) << "holding the button does not select again";
}

TEST_F(Pieces, ABrokenPieceShrinksOutInTwentyTicksAndWearsItsBoxDown) {
  Build({"TBW"}, {"231"});
  for (int c = 1; c <= 3; ++c) PieceAt(c, 1)->Explode();
  EXPECT_EQ(Game->StartDelay, 120);
  EXPECT_FALSE(PieceAt(1, 1)->Visible);
  MoveAll();
  EXPECT_EQ(Tab(1, 1).TabType, ttTab) << "wood breaks on the first dying tick";
  EXPECT_EQ(Tab(2, 1).TabType, ttWood) << "iron turns into wood";
  EXPECT_EQ(Tab(3, 1).TabType, ttTab);
  EXPECT_EQ(Count("play:break-wood.ogg"), 1);
  EXPECT_EQ(Count("play:break-steel.ogg"), 1);
  MoveAll(18);
  ASSERT_NE(PieceAt(1, 1), nullptr) << "a dying piece keeps its cell";
  MoveAll();
  EXPECT_EQ(PieceAt(1, 1), nullptr);
  EXPECT_EQ(PieceAt(2, 1), nullptr);
  EXPECT_EQ(Tab(2, 1).TabType, ttWood);
}

TEST_F(Pieces, BreakSoundPlaysAtMostOnceEveryTwentyTicks) {
  Build({"TBWKP"}, {"22222"});
  PieceAt(1, 1)->Explode();
  PieceAt(2, 1)->Explode();
  PieceAt(3, 1)->Explode();
  EXPECT_EQ(Count("play:break-tab.ogg"), 1);
  Tick(10);
  PieceAt(4, 1)->Explode();
  EXPECT_EQ(Count("play:break-tab.ogg"), 1);
  Tick(10);
  PieceAt(5, 1)->Explode();
  EXPECT_EQ(Count("play:break-tab.ogg"), 2);
  EXPECT_EQ(Game->Explosions().Added, 5);
}

TEST_F(Pieces, BrokenSkullsRaiseTheBoxUnderThem) {
  Build({"SSS", "SSS"}, {"123", "4"});
  for (int c = 1; c <= 3; ++c) PieceAt(c, 1)->Explode();
  PieceAt(1, 2)->Explode();  // not through a line: a locked skull only breaks this way
  MoveAll(20);
  EXPECT_EQ(Tab(1, 1).TabType, ttWood) << "a skull on a plain cell leaves a wooden box";
  EXPECT_EQ(Tab(2, 1).TabType, ttWood) << "over wood the box ends as it was";
  EXPECT_EQ(Tab(3, 1).TabType, ttFerro);
  EXPECT_EQ(Tab(1, 2).TabType, ttForceField2);
  EXPECT_NE(Tab(1, 2).ForceField, nullptr);
}

TEST_F(Pieces, SkullNeverChangesItsPoseAndPearlsDo) {
  Build({"SP"});
  TGameSprite* s = PieceAt(1, 1);
  TGameSprite* p = PieceAt(2, 1);
  s->IdleDelay = p->IdleDelay = 0;
  bool pearlPosed = false;
  for (int i = 0; i < 200; ++i) {
    MoveAll();
    EXPECT_EQ(s->PatternIndex, 0);
    pearlPosed |= p->PatternIndex != 0;
  }
  EXPECT_TRUE(pearlPosed);
}

TEST_F(Pieces, FireWearsAFlameThatFollowsItAndGoesWithIt) {
  Build({"F."});
  auto* fire = dynamic_cast<TSpriteFire*>(PieceAt(1, 1));
  ASSERT_NE(fire, nullptr);
  ASSERT_NE(fire->Flame, nullptr);
  EXPECT_EQ(fire->BlendMode, kBlendAdditive);
  EXPECT_EQ(fire->Flame->Z, 11);
  TAnimSprite* flame = fire->Flame;
  fire->StartMoveRight();
  EXPECT_EQ(flame->FirstFrame, 11);
  MoveAll(3);
  EXPECT_FLOAT_EQ(flame->X, fire->X);
  EXPECT_EQ(flame->Alpha, 155);
  const int before = Game->SpriteEngine().Count();
  fire->Explode();
  MoveAll(20);
  Game->SpriteEngine().CollectDead();
  EXPECT_EQ(Game->SpriteEngine().Count(), before - 2) << "the piece and its flame are gone";
}

TEST_F(Pieces, SpellOnAForceFieldWeakensTheFieldAndSparesThePiece) {
  Build({"TT"}, {"5 "});
  PieceAt(1, 1)->HitBySpell();
  EXPECT_EQ(Tab(1, 1).TabType, ttForceField);
  EXPECT_FALSE(PieceAt(1, 1)->Dying);
  PieceAt(2, 1)->HitBySpell();
  EXPECT_TRUE(PieceAt(2, 1)->Dying);
}

TEST_F(Pieces, LeavingTheBoardFreesTilesPiecesAndFields) {
  Build({"TFW"}, {"  4"});
  TSpriteEngine& engine = Game->SpriteEngine();
  Game->FreeGameObjects();
  EXPECT_EQ(Game->BoardIfAny(), nullptr);
  // Only the cursor and the score numbers or flights of earlier ticks remain.
  for (TSprite* s : engine.SpriteList) {
    EXPECT_EQ(dynamic_cast<TGameSprite*>(s), nullptr);
    EXPECT_EQ(dynamic_cast<TBoardTab*>(s), nullptr);
    EXPECT_EQ(dynamic_cast<TForceField*>(s), nullptr);
  }
  // A fresh board comes with the next use.
  EXPECT_NE(&Game->Board(), nullptr);
}

}  // namespace
