// A replay recorded by an earlier build of the game plays to the same final
// state in this one: moving code between folders, or any change that should
// leave play alone, must not change what a recorded session decides.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "levels/LevelSource.h"
#include "support/GameRunner.h"

namespace {

namespace fs = std::filesystem;
using game_test::GameRunner;

const fs::path kData = fs::path(GW_SOURCE_DIR) / "tests" / "data" / "replay-compat";

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ReplayCompatE2E, ASessionRecordedByAnEarlierBuildEndsInItsRecordedState) {
  if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
  GameRunner runner("replay-compat", false);
  TPackSource pack = LoadPackSource((kData / "Compat").string());
  pack.Name = "Compat";
  ASSERT_EQ(pack.Levels.size(), 1u);
  std::vector<std::string> warnings;
  std::string error;
  ASSERT_TRUE(CompilePack(pack, runner.Home.string(), warnings, error)) << error;

  const std::string replay = ReadText(kData / "frozen-pond-seed-2.replay");
  std::smatch end;
  ASSERT_TRUE(std::regex_search(replay, end, std::regex("\n(\\d+) end ([0-9a-f]{16})\n"))) << "no end line";
  fs::copy_file(kData / "frozen-pond-seed-2.replay", runner.Home / "old.replay");

  EXPECT_EQ(runner.Run("--replay old.replay"), 0) << runner.Output << runner.Errors;
  EXPECT_NE(runner.Output.find("digest " + end[2].str()), std::string::npos) << runner.Output;
  EXPECT_NE(runner.Output.find("the same as the recording's final state"), std::string::npos) << runner.Output;
  // The run really played: the bot scored and the clock ran out.
  EXPECT_NE(runner.Output.find("score 43300"), std::string::npos) << runner.Output;
}

}  // namespace
