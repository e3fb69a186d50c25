// Replays end to end, headless: a recorded session plays again to the same
// final state; a replay edited to move one click says where the state first
// went another way; a damaged replay is named with its line and reason; the
// session's own replays are kept under replays/, and F9 saves one at once; a
// session from the menu that changes the player's files replays from the
// files it found; a lost run of the level bot replays too.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "app/Main.h"
#include "bot/BotPlayer.h"
#include "support/GameRunner.h"

namespace {

namespace fs = std::filesystem;
using game_test::GameRunner;

std::string Cell(int col, int row) { return std::to_string(40 * col + 20) + " " + std::to_string(40 * row + 10); }

// The digest a replay's end line gives, and the one a replay run printed.
std::string EndDigest(const std::string& replay) {
  std::smatch m;
  return std::regex_search(replay, m, std::regex("\n\\d+ end ([0-9a-f]{16})\n")) ? m[1].str() : "none";
}
std::string PrintedDigest(const std::string& output) {
  std::smatch m;
  return std::regex_search(output, m, std::regex("digest ([0-9a-f]{16})")) ? m[1].str() : "none";
}
long DivergedAt(const std::string& output) {
  std::smatch m;
  return std::regex_search(output, m, std::regex("first diverged at tick (\\d+)")) ? std::stol(m[1].str()) : -1;
}
// The tick of the first line of a replay that starts with `line`.
long TickOf(const std::string& replay, const std::string& line) {
  std::smatch m;
  return std::regex_search(replay, m, std::regex("\n(\\d+) " + line)) ? std::stol(m[1].str()) : -1;
}

class ReplayE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
    Runner = std::make_unique<GameRunner>(
        std::string("replay-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(), false);
    // Two levels that one swap wins: (3, 1) with (4, 1) lines up three trees
    // over the only wooden box.
    for (int n = 1; n <= 2; ++n) ASSERT_TRUE(Runner->WriteLevel("Duo", n, {"TTBT", "BFWF"}, {"1121", "1111"})) << Runner->Errors;
  }

  // Replays a file; returns the exit code (the report is in Runner->Output).
  int Replay(const std::string& file) { return Runner->Run("--replay \"" + file + "\""); }

  std::unique_ptr<GameRunner> Runner;
};

// Level 1 won and its tally hurried, "Next", the map, level 2; there a quick
// tap, a pause, the quit menu's "Restart Level" and at last its "Exit Game".
const std::string kTwoLevels =
    "10 click " + Cell(3, 1) + "\n20 click " + Cell(4, 1) + "\n560 click 400 300\n1250 click 400 408\n"
    "1600 click 400 300\n1960 tap " + Cell(2, 2) + "\n2000 char p\n2100 char p\n2200 key Escape\n"
    "2220 click 397 265\n2400 key Escape\n2420 click 397 397\n";

TEST_F(ReplayE2E, HeadlessRecordingReplaysToTheSameFinalState) {
  const std::string script = Runner->Script("s.txt", kTwoLevels + "1900 dump level2.json\n2300 dump restarted.json\n");
  ASSERT_EQ(Runner->Run("--play Duo 1 --record rec.replay --script " + script), 0) << Runner->Errors;
  // The script did what it says: level 2 was reached and restarted.
  EXPECT_EQ(game_test::DumpNumber(Runner->Read("level2.json"), "level", "board"), 2);
  EXPECT_EQ(game_test::DumpNumber(Runner->Read("restarted.json"), "lives"), 2) << "the restart cost a life";
  const std::string rec = Runner->Read("rec.replay");
  // A session without --seed records the seed it drew.
  EXPECT_TRUE(std::regex_search(rec, std::regex("\nseed \\d+\n"))) << rec.substr(0, 600);
  EXPECT_NE(rec.find("\nplay Duo 1\n"), std::string::npos);
  // The session's replay under the save folder is the same file.
  EXPECT_EQ(Runner->Read("replays/last.replay"), rec);
  // The tap: its press and release come before the same frame.
  EXPECT_TRUE(std::regex_search(rec, std::regex("\n1960 down 100 90\n1960 up 100 90\n"))) << rec;

  ASSERT_EQ(Replay("rec.replay"), 0) << Runner->Output << Runner->Errors;
  EXPECT_EQ(PrintedDigest(Runner->Output), EndDigest(rec));
  EXPECT_NE(Runner->Output.find("the same as the recording's final state"), std::string::npos) << Runner->Output;
  EXPECT_NE(Runner->Output.find("level 2 of \"Duo\""), std::string::npos) << Runner->Output;
  // Playing a replay leaves the session's replays alone.
  EXPECT_EQ(Runner->Read("replays/last.replay"), rec);
  EXPECT_FALSE(Runner->Exists("replays/last-1.replay"));
}

TEST_F(ReplayE2E, AReplayEditedToMoveOneClickSaysWhereTheStateWentAnotherWay) {
  const std::string script = Runner->Script("s.txt", kTwoLevels);
  ASSERT_EQ(Runner->Run("--seed 9 --play Duo 1 --record rec.replay --script " + script), 0) << Runner->Errors;
  const std::string rec = Runner->Read("rec.replay");
  // The second click of the winning swap lands one cell further right: the
  // swap is never made.
  const std::string from = "20 down " + Cell(4, 1) + "\n", to = "20 down " + Cell(5, 1) + "\n";
  ASSERT_NE(rec.find(from), std::string::npos) << rec.substr(0, 800);
  std::string edited = rec;
  edited.replace(edited.find(from), from.size(), to);
  Runner->Script("edited.replay", edited);
  EXPECT_EQ(Replay("edited.replay"), 1) << Runner->Output << Runner->Errors;
  EXPECT_NE(Runner->Output.find("DIFFERENT from the recording"), std::string::npos) << Runner->Output;
  // The first digest after the click is the first to differ.
  EXPECT_EQ(DivergedAt(Runner->Output), 120) << Runner->Output;

  // A click moved later in the session: level 2's tap goes to another cell.
  const std::string tap = "1960 down 100 90\n1960 up 100 90\n", moved = "1960 down 140 90\n1960 up 140 90\n";
  ASSERT_NE(rec.find(tap), std::string::npos);
  edited = rec;
  edited.replace(edited.find(tap), tap.size(), moved);
  Runner->Script("edited2.replay", edited);
  EXPECT_EQ(Replay("edited2.replay"), 1);
  EXPECT_EQ(DivergedAt(Runner->Output), 2040) << Runner->Output;
  EXPECT_NE(Runner->Output.find("still matched at tick 1920"), std::string::npos) << Runner->Output;
}

TEST_F(ReplayE2E, ADamagedOrForeignReplayIsNamedWithItsLineAndReason) {
  const std::string script = Runner->Script("s.txt", "10 click " + Cell(3, 1) + "\n300 quit\n");
  ASSERT_EQ(Runner->Run("--seed 2 --play Duo 1 --record rec.replay --script " + script), 0) << Runner->Errors;
  const std::string rec = Runner->Read("rec.replay");
  struct Case {
    std::string Text, Message;
  };
  const std::vector<Case> cases = {
      {rec.substr(0, rec.rfind('\n', rec.size() - 2) + 1), "the replay is cut short after this line: its end line is missing"},
      {rec.substr(0, rec.find("\nseed ")), "bad.replay: the replay is cut short: it has a header but no inputs or frames"},
      {"10 click 400 300\n", "bad.replay:1: not a Grovewright replay"},
      {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "bad.replay:1: not a Grovewright replay"},
      {std::regex_replace(rec, std::regex("\n10 frames"), "\n12 frames"), "the frames begin at tick 12"},
  };
  for (const Case& c : cases) {
    Runner->Script("bad.replay", c.Text);
    EXPECT_EQ(Replay("bad.replay"), 2) << c.Message;
    EXPECT_NE(Runner->Errors.find("grovewright: cannot play the replay: "), std::string::npos) << Runner->Errors;
    EXPECT_NE(Runner->Errors.find(c.Message), std::string::npos) << Runner->Errors;
    EXPECT_NE(Runner->Errors.find("bad.replay"), std::string::npos) << Runner->Errors;
  }
  EXPECT_EQ(Replay("missing.replay"), 2);
  EXPECT_NE(Runner->Errors.find("missing.replay"), std::string::npos) << Runner->Errors;
  EXPECT_EQ(Runner->Run("--replay rec.replay --seed 3"), 2);
  EXPECT_NE(Runner->Errors.find("--seed does not go with --replay"), std::string::npos) << Runner->Errors;
}

TEST_F(ReplayE2E, TheLastFiveSessionsAreKeptAndF9SavesTheReplaySoFar) {
  for (int i = 0; i < 6; ++i) {
    const std::string before = Runner->Exists("replays/last.replay") ? Runner->Read("replays/last.replay") : "";
    ASSERT_EQ(Runner->Run("--play Duo 1 --ticks " + std::to_string(100 + i)), 0) << Runner->Errors;
    EXPECT_EQ(TickOf(Runner->Read("replays/last.replay"), "end"), 100 + i);
    if (i > 0) {
      EXPECT_EQ(Runner->Read("replays/last-1.replay"), before);
    }
  }
  for (int age = 1; age <= 4; ++age) {
    EXPECT_EQ(TickOf(Runner->Read("replays/last-" + std::to_string(age) + ".replay"), "end"), 105 - age);
  }
  EXPECT_FALSE(Runner->Exists("replays/last-5.replay"));

  const std::string script =
      Runner->Script("s.txt", "10 click " + Cell(3, 1) + "\n20 click " + Cell(4, 1) + "\n300 key F9\n600 quit\n");
  ASSERT_EQ(Runner->Run("--play Duo 1 --script " + script), 0) << Runner->Errors;
  std::vector<fs::path> saved;
  for (const auto& item : fs::directory_iterator(Runner->Home / "replays"))
    if (item.path().filename().string().rfind("replay-", 0) == 0) saved.push_back(item.path());
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_NE(Runner->Errors.find("the replay so far is saved as " + saved[0].string()), std::string::npos)
      << Runner->Errors;
  const std::string snapshot = game_test::ReadFile(saved[0]);
  EXPECT_EQ(TickOf(snapshot, "end"), 300);
  EXPECT_NE(snapshot.find("\n300 keydown F9\n"), std::string::npos) << "the replay holds its own key";
  ASSERT_EQ(Replay(saved[0].string()), 0) << Runner->Output << Runner->Errors;
  EXPECT_EQ(PrintedDigest(Runner->Output), EndDigest(snapshot));
}

// A session from the menu creates a player, plays, saves and quits: the
// replay starts from the player's files as the session found them, not as
// it left them, and plays without touching them.
TEST_F(ReplayE2E, AMenuSessionReplaysFromThePlayersFilesItFound) {
  // One pack, so that no pack chooser comes up.
  fs::remove_all(Runner->Home / "levels" / "Duo");
  for (int n = 1; n <= 2; ++n) ASSERT_TRUE(Runner->WriteLevel("Game Levels", n, {"TTBT", "BFWF"}, {"1121", "1111"}));
  game_test::WriteKnownPlayer(Runner->Home, "Bea", 2, 5000, 2);
  // Escape past the splash; a new player "Ann", Relaxed Play, the map, the
  // first hint closed and a piece picked; then the quit menu's "Save and
  // Quit" and the menu's quit button.
  const std::string script = Runner->Script(
      "s.txt", "1 key Escape\n20 text \"Ann\"\n30 click 424 348\n200 click 100 330\n500 click 400 300\n"
               "1070 click 437 349\n1080 click " + Cell(3, 1) + "\n1300 key Escape\n1320 click 397 309\n"
               "1500 click 100 530\n");
  ASSERT_EQ(Runner->Run("--seed 4 --script " + script), 0) << Runner->Errors;
  ASSERT_TRUE(Runner->Exists("save/Ann.sav")) << "the session made a player";
  const std::string rec = Runner->Read("replays/last.replay");
  EXPECT_NE(rec.find("\nfile save/Bea.sav "), std::string::npos) << rec.substr(0, 800);
  EXPECT_EQ(rec.find("file save/Ann"), std::string::npos) << "Ann came later";
  const std::string config = Runner->Read("arvanels.cfg");
  const std::string progress = Runner->Read("save/Ann - Game Levels Relaxed.sa2");
  ASSERT_FALSE(progress.empty());

  ASSERT_EQ(Replay("replays/last.replay"), 0) << Runner->Output << Runner->Errors;
  EXPECT_EQ(PrintedDigest(Runner->Output), EndDigest(rec));
  EXPECT_NE(Runner->Output.find("screen main_menu"), std::string::npos) << Runner->Output;
  // The player's own files are as the session left them.
  EXPECT_EQ(Runner->Read("arvanels.cfg"), config);
  EXPECT_EQ(Runner->Read("save/Ann - Game Levels Relaxed.sa2"), progress);
}

// A fatal error ends the session: its replay is saved on the way out.
TEST_F(ReplayE2E, AFatalErrorKeepsTheSessionsReplay) {
  auto platform = [] {
    plat::PlatformOptions o;
    o.Headless = true;
    std::string error;
    return plat::Platform::Create(o, error);
  }();
  ASSERT_TRUE(platform);
  TLaunchOptions options;
  options.Headless = true;
  options.Home = Runner->Home.string();
  options.Play = true;
  options.PlayPack = "Duo";
  options.Seed = 6;
  Tmain game(*platform, options);
  ASSERT_TRUE(game.FormCreate());
  plat::Event click;
  click.X = 140;
  click.Y = 50;
  click.Type = plat::EventType::MouseDown;
  for (int i = 0; i < 30; ++i) {
    if (i == 10) platform->InjectEvent(click);
    game.RunFrame();
  }
  game.FatalError("");
  EXPECT_EQ(game.Run(), 1);
  const std::string rec = Runner->Read("replays/last.replay");
  EXPECT_EQ(TickOf(rec, "end"), game.TotalTicks);
  EXPECT_GT(TickOf(rec, "down 140 50"), 0);
  ASSERT_EQ(Replay("replays/last.replay"), 0) << Runner->Output << Runner->Errors;
  EXPECT_EQ(PrintedDigest(Runner->Output), EndDigest(rec));
}

// The level bot's lost runs replay as they were played.
TEST_F(ReplayE2E, ALostRunOfTheLevelBotReplays) {
  // No swap lines up three, and the clock is short.
  ASSERT_TRUE(Runner->WriteLevel("Stuck", 1, {"TFWF", "FFTT", "WWTT", "WWFF"}, {"2222", "2222", "2222", "2222"}, 3));
  TBotSettings settings;
  settings.KeepReplay = true;
  const TBotLevelResult r = RunBotOnLevel(Runner->Home.string(), "Stuck", 1, 8, settings);
  ASSERT_TRUE(r.Error.empty()) << r.Error;
  EXPECT_FALSE(r.Won);
  EXPECT_NE(r.Replay.find("\nhints-seen\n"), std::string::npos);
  Runner->Script("lost.replay", r.Replay);
  ASSERT_EQ(Replay("lost.replay"), 0) << Runner->Output << Runner->Errors;
  EXPECT_EQ(PrintedDigest(Runner->Output), EndDigest(r.Replay));

  // The tool keeps every lost run.
  const fs::path levelbot = fs::path(GW_BUILD_DIR) / "levelbot";
  if (!fs::exists(levelbot)) return;
  const fs::path keep = Runner->Home / "lost";
  const std::string command = "\"" + levelbot.string() + "\" --home \"" + Runner->Home.string() +
                              "\" --pack Stuck --runs 2 --seed 8 --keep-losses \"" + keep.string() + "\" >/dev/null";
  EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1) << "no run is won";
  EXPECT_EQ(game_test::ReadFile(keep / "level-01-seed-8.replay"), r.Replay);
  ASSERT_TRUE(fs::exists(keep / "level-01-seed-9.replay"));
  EXPECT_EQ(Replay((keep / "level-01-seed-9.replay").string()), 0) << Runner->Output << Runner->Errors;
}

}  // namespace
