// The level tune when a level ends, played by the built game: time over and a
// cleared board each stop it once, however long the end stands on screen.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/GameRunner.h"

namespace {

using game_test::CellCentre;
using game_test::GameRunner;
using game_test::Occurrences;

class LevelEndMusicE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
    Runner = std::make_unique<GameRunner>(
        std::string("music-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(), false);
  }

  // Plays level 1 of the pack with the script and returns the dump it wrote
  // to "end.json" (its audio log holds everything heard since the start).
  std::string Play(const std::string& pack, const std::string& script) {
    const std::string path = Runner->Script("script.txt", script);
    EXPECT_EQ(Runner->Run("--seed 7 --play \"" + pack + "\" 1 --script \"" + path + "\""), 0) << Runner->Errors;
    return Runner->Read("end.json");
  }

  // The level tune: the first "music:play:MusicN" of the log.
  static std::string LevelTune(const std::string& dump) {
    const size_t at = dump.find("\"music:play:Music");
    if (at == std::string::npos) return "none";
    return dump.substr(at + 12, dump.find('"', at + 1) - at - 12);
  }

  std::unique_ptr<GameRunner> Runner;
};

TEST_F(LevelEndMusicE2E, TimeOverStopsTheLevelTuneOnce) {
  ASSERT_TRUE(Runner->WriteLevel("Time", 1, {"TBTB", "FWFW"}, {"2222", "1111"}, 2)) << Runner->Errors;
  // The clock runs out after about three seconds; the notice then stands for
  // fifteen more, until the dump.
  const std::string end = Play("Time", "2200 dump end.json\n2202 quit\n");
  ASSERT_EQ(game_test::DumpNumber(end, "time_over"), 1);
  const std::string tune = LevelTune(end);
  EXPECT_EQ(Occurrences(end, "\"music:stop:" + tune + "\""), 1) << end.substr(end.find("audio_log"));
  EXPECT_EQ(Occurrences(end, "\"music:stop:Music"), 1) << "no other level tune is stopped";
}

TEST_F(LevelEndMusicE2E, ClearedBoardStopsTheLevelTuneOnce) {
  // One swap lines up three trees over the only wooden box.
  ASSERT_TRUE(Runner->WriteLevel("Win", 1, {"TTBT", "BFWF"}, {"1121", "1111"})) << Runner->Errors;
  const std::string end = Play("Win", "10 click " + CellCentre(3, 1) + "\n20 click " + CellCentre(4, 1) +
                                          "\n600 dump end.json\n602 quit\n");
  ASSERT_EQ(game_test::DumpNumber(end, "completed"), 1);
  const std::string tune = LevelTune(end);
  EXPECT_EQ(Occurrences(end, "\"music:stop:" + tune + "\""), 1) << end.substr(end.find("audio_log"));
  for (int m = 1; m <= 9; ++m)
    EXPECT_LE(Occurrences(end, "\"music:stop:Music" + std::to_string(m) + "\""), 1) << m;
  EXPECT_EQ(Occurrences(end, "\"music:play:levelcompleted\""), 1);
}

}  // namespace
