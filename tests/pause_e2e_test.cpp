// The pause end to end: nothing of the cursor stays behind on the paused
// board while the real cursor moves on; the paused board and the board under
// the quit menu are covered, so a pause gives no time to study it; and the
// quit menu keeps a hint bubble and its pointer out of its way.
#include <gtest/gtest.h>

#include "support/GameRunner.h"

namespace {

using game_test::GameRunner;

// The paused picture with the cursor moved to the board's corner, once after
// resting on a piece and once after never touching the board: the two must
// be the same picture.
TEST(PauseE2E, MovingTheCursorWhilePausedLeavesNoGhost) {
  if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
  std::string shots[2];
  const char* before[2] = {"100 mouse 260 210\n", "100 mouse 780 590\n"};
  for (int run = 0; run < 2; ++run) {
    GameRunner game("pause" + std::to_string(run));
    const std::string script = game.Script("s.txt", std::string(before[run]) +
                                                        "200 char p\n"
                                                        "210 mouse 780 590\n"
                                                        "230 screenshot paused.png\n"
                                                        "232 quit\n");
    ASSERT_EQ(game.Run("--seed 6 --play \"Game Levels\" 1 --script " + script), 0) << game.Errors;
    shots[run] = game.Read("paused.png");
    ASSERT_GT(shots[run].size(), 1000u);
  }
  EXPECT_TRUE(shots[0] == shots[1]) << "the paused picture shows where the cursor was";
}

// Two games of other boards (other seeds) look the same once paused, and the
// same under the quit menu: the pieces cannot be studied while the clock
// stands still.
TEST(PauseE2E, ThePauseAndTheQuitMenuCoverTheBoard) {
  if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
  std::string playing[2], paused[2], menu[2];
  const int seeds[2] = {6, 9};
  for (int run = 0; run < 2; ++run) {
    GameRunner game("pause-cover" + std::to_string(run));
    const std::string script = game.Script("s.txt",
                                           "190 screenshot playing.png\n"
                                           "200 char p\n"
                                           "230 screenshot paused.png\n"
                                           "232 dump paused.json\n"
                                           "240 char p\n"
                                           "300 key Escape\n"
                                           "330 screenshot menu.png\n"
                                           "332 quit\n");
    ASSERT_EQ(game.Run("--seed " + std::to_string(seeds[run]) + " --hints-seen --play \"Game Levels\" 1 --script " +
                       script),
              0)
        << game.Errors;
    EXPECT_EQ(game_test::DumpNumber(game.Read("paused.json"), "paused"), 1);
    playing[run] = game.Read("playing.png");
    paused[run] = game.Read("paused.png");
    menu[run] = game.Read("menu.png");
    ASSERT_GT(paused[run].size(), 1000u);
  }
  EXPECT_NE(playing[0], playing[1]) << "the two boards differ";
  EXPECT_TRUE(paused[0] == paused[1]) << "the paused picture shows the board";
  EXPECT_TRUE(menu[0] == menu[1]) << "the quit menu's picture shows the board";
}

// Escape while a hint bubble is up: the quit menu stands alone, the bubble
// and its pointer wait behind it and come back when play resumes.
TEST(PauseE2E, EscapeOverAHintKeepsTheBubbleOutOfTheQuitMenusWay) {
  if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
  GameRunner game("pause-hint");
  const std::string script = game.Script("s.txt",
                                         "330 dump hint.json\n"
                                         "340 key Escape\n"
                                         "350 dump menu.json\n"
                                         "360 key Escape\n"
                                         "370 dump back.json\n"
                                         "372 quit\n");
  ASSERT_EQ(game.Run("--seed 6 --play \"Game Levels\" 1 --script " + script), 0) << game.Errors;
  const std::string hint = game.Read("hint.json");
  ASSERT_NE(hint.find("\"gui\":[\"HelpGUI\"]"), std::string::npos) << "the first hint is up";
  const std::string menu = game.Read("menu.json");
  EXPECT_NE(menu.find("\"gui\":[\"QuitMenu\"]"), std::string::npos) << menu.substr(menu.find("\"gui\""), 60);
  EXPECT_EQ(game_test::DumpNumber(menu, "hint_shown"), 1) << "the hint is not lost";
  const std::string back = game.Read("back.json");
  EXPECT_NE(back.find("\"gui\":[\"HelpGUI\"]"), std::string::npos) << back.substr(back.find("\"gui\""), 60);
}

}  // namespace
