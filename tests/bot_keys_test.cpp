// The level bot with its keyboard hand: campaign levels won through key
// events alone, the mouse never moved, and the run a replay plays back.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "bot/BotPlayer.h"

namespace {

namespace fs = std::filesystem;

class BotKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path build(GW_BUILD_DIR);
    if (!fs::exists(build / "Data" / "GameData.CPDB") || !fs::exists(build / "data" / "interface.gui") ||
        !fs::exists(build / "levels" / "Game Levels" / "1.lvl"))
      GTEST_SKIP() << "the game data and the levels have not been built in " << build;
  }
};

TEST_F(BotKeys, WinsLevelsThroughTheKeyboardAlone) {
  TBotSettings settings;
  settings.Keys = true;
  settings.KeepReplay = true;
  for (const auto& [level, seed] : {std::pair{1, 11u}, std::pair{3, 21u}}) {
    const TBotLevelResult r = RunBotOnLevel(GW_BUILD_DIR, "Game Levels", level, seed, settings);
    ASSERT_TRUE(r.Error.empty()) << r.Error;
    EXPECT_TRUE(r.Won) << "level " << level << "\n" << r.FinalBoard;
    EXPECT_GT(r.Moves, 0);
    EXPECT_EQ(r.Refused, 0) << "every pick and arrow was a swap the game took";
    // Only keys: the replay holds no press of a mouse button and no motion
    // (its first line lets go of the button, as every session does).
    EXPECT_FALSE(std::regex_search(r.Replay, std::regex("\n\\d+ (down|mouse|rdown) "))) << r.Replay;
    EXPECT_TRUE(std::regex_search(r.Replay, std::regex("\n\\d+ keydown Space\n")));
  }
}

}  // namespace
