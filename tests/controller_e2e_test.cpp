// A game controller end to end: the game in process on a headless platform
// that opens pads, and SDL's virtual joystick plugged in while it runs. The
// d-pad and the stick move the board cursor, A picks, B lets go, the stick
// swaps, Start opens the game menu and the d-pad and B work it; the pad
// pulled out lets go of what it held.
#include <gtest/gtest.h>

#include <memory>

#include "app/GameSession.h"
#include "board/Board.h"
#include "board/BoardCursor.h"
#include "board/GameSprite.h"
#include "board/LevelFile.h"
#include "board/Mouse.h"
#include "layout/PlayForms.h"
#include "platform/Platform.h"
#include "support/BoardFixture.h"
#include "support/GameRunner.h"

namespace {

using game_test::GameRunner;
using plat::PadAxis;
using plat::PadButton;

class ControllerE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
    Runner = std::make_unique<GameRunner>("pad-e2e", false);
    ASSERT_TRUE(Runner->WriteLevel("Swap", 1, {".....", "TFBTF", "FBTFB", "TTFTB", "BFBBF"},
                                   {"sssss", "11111", "11111", "22221", "22222"}))
        << Runner->Errors;
    const std::string home = Runner->Home.string();
    std::string error;

    plat::PlatformOptions platformOptions;
    platformOptions.Headless = true;
    platformOptions.Controllers = true;
    Platform = plat::Platform::Create(platformOptions, error);
    ASSERT_TRUE(Platform) << error;
    TLaunchOptions launch;
    launch.Headless = true;
    launch.Home = home;
    launch.SaveHome = home;
    launch.Seed = 4;
    launch.Play = true;
    launch.PlayPack = "Swap";
    launch.PlayLevel = 1;
    launch.HintsSeen = true;
    Game = NewGameSession(*Platform, launch);
    ASSERT_TRUE(Game->FormCreate());
  }
  void TearDown() override {
    Pad.reset();
    Game.reset();
    Platform.reset();
  }

  void Frames(int n) {
    for (int i = 0; i < n; ++i) Game->RunFrame();
  }
  void Tap(PadButton b) {
    ASSERT_TRUE(Pad->SetButton(b, true));
    Frames(1);
    ASSERT_TRUE(Pad->SetButton(b, false));
    Frames(1);
  }
  void Flick(PadAxis a, int value) {
    ASSERT_TRUE(Pad->SetAxis(a, value));
    Frames(1);
    ASSERT_TRUE(Pad->SetAxis(a, 0));
    Frames(1);
  }
  TBoardCursor& Cursor() { return *Game->BoardIfAny()->Cursor; }

  std::unique_ptr<GameRunner> Runner;
  std::unique_ptr<plat::Platform> Platform;
  std::unique_ptr<TGameSession> Game;
  std::unique_ptr<plat::VirtualPad> Pad;
};

TEST_F(ControllerE2E, APadPluggedInWhilePlayingMovesPicksSwapsAndWorksTheMenu) {
  Frames(10);
  EXPECT_EQ(Platform->PadCount(), 0);
  std::string error;
  Pad = plat::VirtualPad::Attach(error);
  if (!Pad) GTEST_SKIP() << "no virtual joystick: " << error;
  for (int i = 0; i < 30 && Platform->PadCount() == 0; ++i) Frames(1);
  ASSERT_EQ(Platform->PadCount(), 1) << "the pad plugged in while the game runs is opened";
  TBoard* board = Game->BoardIfAny();
  ASSERT_TRUE(board);
  for (int i = 0; i < 600 && board->FadingIn; ++i) Frames(1);
  ASSERT_FALSE(board->FadingIn);

  // The first press shows the frame where it is; then six left, three up.
  Tap(PadButton::DpadLeft);
  EXPECT_TRUE(Cursor().Shown());
  EXPECT_EQ(Cursor().Col, 9);
  for (int i = 0; i < 6; ++i) Tap(PadButton::DpadLeft);
  for (int i = 0; i < 2; ++i) Tap(PadButton::DpadUp);
  Flick(PadAxis::LeftY, -32768);  // the stick: one more up
  EXPECT_EQ(Cursor().Col, 3);
  EXPECT_EQ(Cursor().Row, 3);

  // A picks, B lets go; A again and the stick down swaps with (3, 4).
  Tap(PadButton::A);
  ASSERT_TRUE(Game->MouseIfAny());
  EXPECT_EQ(Game->MouseIfAny()->SelCol, 3);
  EXPECT_TRUE(Cursor().Picked());
  Tap(PadButton::B);
  EXPECT_FALSE(Game->MouseIfAny()->HasSelection());
  EXPECT_FALSE(Game->DialogOpen) << "B let go of the piece; it did not open the menu";
  Tap(PadButton::A);
  const TGameSprite* tree = board->PieceAt(3, 3);
  const TGameSprite* fire = board->PieceAt(3, 4);
  Flick(PadAxis::LeftY, 32767);
  EXPECT_EQ(board->PieceAt(3, 4), tree);
  EXPECT_EQ(board->PieceAt(3, 3), fire);
  EXPECT_EQ(Cursor().Row, 3) << "the swap does not move the frame";

  // Start opens the game menu; the d-pad moves its focus, B resumes.
  Frames(120);
  Tap(PadButton::Start);
  EXPECT_TRUE(FormVisible(Game->GuiBase1, TControlName::QuitMenu));
  Tap(PadButton::DpadDown);
  Tap(PadButton::DpadDown);
  ASSERT_TRUE(Game->GuiBase1.Focus.Focused(Game->GuiBase1.Root()));
  EXPECT_EQ(Game->GuiBase1.Focus.Focused(Game->GuiBase1.Root())->Name, "QuitRestartLevel");
  Tap(PadButton::B);
  EXPECT_FALSE(FormVisible(Game->GuiBase1, TControlName::QuitMenu));
  EXPECT_FALSE(Game->DialogOpen);

  // Held right when the pad is pulled out: the game lets go of it.
  ASSERT_TRUE(Pad->SetButton(PadButton::DpadRight, true));
  Frames(2);
  EXPECT_TRUE(Game->aPad.Held(PadButton::DpadRight));
  Pad.reset();
  for (int i = 0; i < 30 && Platform->PadCount() == 1; ++i) Frames(1);
  EXPECT_EQ(Platform->PadCount(), 0);
  EXPECT_FALSE(Game->aPad.Held(PadButton::DpadRight));
  const int col = Cursor().Col;
  Frames(60);
  EXPECT_EQ(Cursor().Col, col) << "nothing held moves the frame any more";
}

}  // namespace
