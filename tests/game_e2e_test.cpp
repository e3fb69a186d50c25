// The game binary run headless with input scripts: the loop, the screen
// states, screenshots and dumps, end to end.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <sys/resource.h>

#include "support/GameRunner.h"

namespace {

using game_test::GameRunner;

class GameE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
  }
};

// A number after "key": in a one-line JSON dump.
long Field(const std::string& json, const std::string& key) {
  const std::string k = "\"" + key + "\":";
  const size_t at = json.find(k);
  if (at == std::string::npos) return -999999;
  return std::stol(json.substr(at + k.size()));
}

TEST_F(GameE2E, TicksLimitEndsTheRunQuickly) {
  GameRunner game("ticks");
  rusage before{};
  getrusage(RUSAGE_CHILDREN, &before);
  EXPECT_EQ(game.Run("--ticks 1200"), 0) << game.Errors;
  rusage after{};
  getrusage(RUSAGE_CHILDREN, &after);
  const double cpu = (after.ru_utime.tv_sec - before.ru_utime.tv_sec) +
                     (after.ru_utime.tv_usec - before.ru_utime.tv_usec) / 1e6;
  // Generous bound: the point is that headless runs do not render 800 x 600
  // frames nobody looks at (sanitizer builds are much slower).
  EXPECT_LT(cpu, 20.0);
}

TEST_F(GameE2E, SplashLeavesForTheMenuAfterSixHundredTicks) {
  GameRunner game("splash");
  const std::string script = game.Script("s.txt",
                                         "600 dump at600.json\n"
                                         "604 dump at604.json\n"
                                         "700 quit\n");
  ASSERT_EQ(game.Run("--seed 3 --script " + script), 0) << game.Errors;
  const std::string at600 = game.Read("at600.json");
  const std::string at604 = game.Read("at604.json");
  EXPECT_EQ(Field(at600, "tick"), 600);
  EXPECT_EQ(Field(at600, "screen_state"), 0);
  EXPECT_EQ(Field(at600, "screen_ticks"), 600);
  // The first frame after ScreenTicks passes 600 opens the menu and restarts the count.
  EXPECT_EQ(Field(at604, "screen_state"), 1);
  EXPECT_LT(Field(at604, "screen_ticks"), 5);
  EXPECT_NE(at604.find("\"music:play:MainMenuMusic\""), std::string::npos);
}

TEST_F(GameE2E, EscapeSpaceOrClickSkipTheLogo) {
  for (const char* skip : {"key Escape", "key Space", "click 400 300"}) {
    GameRunner game("skip");
    const std::string script = game.Script("s.txt", std::string("10 ") + skip + "\n20 dump d.json\n22 quit\n");
    ASSERT_EQ(game.Run("--script " + script), 0) << game.Errors;
    EXPECT_EQ(Field(game.Read("d.json"), "screen_state"), 1) << skip;
  }
}

TEST_F(GameE2E, F12NumbersScreenshotsAndScriptsCaptureTheSamePicture) {
  GameRunner game("f12");
  const std::string script = game.Script("s.txt",
                                         "300 key F12\n"
                                         "300 screenshot a.png\n"
                                         "302 key 123\n"
                                         "310 quit\n");
  ASSERT_EQ(game.Run("--seed 5 --script " + script), 0) << game.Errors;
  EXPECT_TRUE(game.Exists("screen000.jpg"));
  EXPECT_TRUE(game.Exists("screen001.jpg"));
  EXPECT_FALSE(game.Exists("screen002.jpg"));
  const std::string png = game.Read("a.png");
  ASSERT_GT(png.size(), 1000u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  const std::string jpg = game.Read("screen000.jpg");
  ASSERT_GT(jpg.size(), 1000u);
  EXPECT_EQ(static_cast<unsigned char>(jpg[0]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(jpg[1]), 0xD8);
}

TEST_F(GameE2E, SameSeedAndScriptGiveIdenticalOutput) {
  std::string dumps[2], shots[2];
  for (int run = 0; run < 2; ++run) {
    GameRunner game("same" + std::to_string(run));
    const std::string script = game.Script("s.txt",
                                           "100 mouse 300 200\n"
                                           "240 screenshot logo.png\n"
                                           "650 char p\n"
                                           "700 screenshot menu.png\n"
                                           "700 dump d.json\n"
                                           "702 quit\n");
    ASSERT_EQ(game.Run("--seed 42 --script " + script), 0) << game.Errors;
    dumps[run] = game.Read("d.json");
    shots[run] = game.Read("logo.png") + game.Read("menu.png");
  }
  EXPECT_EQ(dumps[0], dumps[1]);
  EXPECT_EQ(shots[0], shots[1]);
  EXPECT_NE(dumps[0].find("\"play:digitac.ogg\""), std::string::npos);
  EXPECT_EQ(Field(dumps[0], "paused"), 0);  // P does nothing on the menu
}

TEST_F(GameE2E, BadScriptsAndOptionsStopBeforeTheFirstFrame) {
  GameRunner game("bad");
  const std::string script = game.Script("s.txt", "0 mouse 1 2\n5 wiggle\n");
  EXPECT_EQ(game.Run("--script " + script), 2);
  EXPECT_NE(game.Errors.find("s.txt:2: unknown command \"wiggle\""), std::string::npos) << game.Errors;
  EXPECT_EQ(game.Run("--seed banana"), 2);
  EXPECT_NE(game.Errors.find("--seed"), std::string::npos);
  EXPECT_NE(game.Run("--script missing.txt"), 0);
  EXPECT_NE(game.Errors.find("missing.txt"), std::string::npos);
}

TEST_F(GameE2E, MissingDataEndsStartUpWithAReason) {
  GameRunner game("nodata");
  std::filesystem::remove(game.Home / "Data");
  std::filesystem::create_directory(game.Home / "Data");
  EXPECT_NE(game.Run("--ticks 10"), 0);
  EXPECT_NE(game.Errors.find("GameData.CPDB"), std::string::npos) << game.Errors;
}

}  // namespace
