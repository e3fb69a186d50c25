// The pause end to end: nothing of the cursor stays behind on the paused
// board while the real cursor moves on.
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

}  // namespace
