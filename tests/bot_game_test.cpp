// The level bot's fast runs: a level played from a game started once (and
// with the frames nobody sees left undrawn) goes exactly as in a game started
// for that level and seed with every frame drawn; a player carried in from
// earlier levels keeps score, lives and the extra-life threshold; and the
// levelbot tool reports the runs, holds levels to their bar and plays a pack
// as whole games.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/GameSession.h"
#include "board/LevelFile.h"
#include "bot/BotGame.h"
#include "bot/BotPlayer.h"
#include "support/GameRunner.h"

namespace {

namespace fs = std::filesystem;

class BotGameRuns : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path build(GW_BUILD_DIR);
    if (!fs::exists(build / "Data" / "GameData.CPDB") || !fs::exists(build / "data" / "interface.gui") ||
        !fs::exists(build / "levels" / "Game Levels" / "1.lvl"))
      GTEST_SKIP() << "the game data and the levels have not been built in " << build;
  }
};

// A level played in a game started for it, every frame drawn (as
// RunBotOnLevel plays it), and the game's digest at the end.
TBotLevelResult PlayInFreshGame(const std::string& home, const std::string& pack, int level, uint32_t seed,
                                const TBotSettings& settings, uint64_t& digest) {
  std::string error;
  plat::PlatformOptions platformOptions;
  platformOptions.Headless = true;
  std::unique_ptr<plat::Platform> platform = plat::Platform::Create(platformOptions, error);
  EXPECT_TRUE(platform) << error;
  TLaunchOptions options;
  options.Headless = true;
  options.Home = home;
  options.Seed = seed;
  options.Play = true;
  options.PlayPack = pack;
  options.PlayLevel = level;
  options.HintsSeen = true;
  const std::unique_ptr<TGameSession> session = NewGameSession(*platform, options);
  TGameSession& game = *session;
  TBotLevelResult r;
  if (!game.FormCreate()) {
    r.Error = "no start";
    return r;
  }
  r = PlayStartedLevel(game, seed, settings);
  digest = game.StateDigest();
  return r;
}

void ExpectSameRun(const TBotLevelResult& a, const TBotLevelResult& b, const std::string& what) {
  EXPECT_EQ(a.Error, b.Error) << what;
  EXPECT_EQ(a.Won, b.Won) << what;
  EXPECT_EQ(a.TimeOver, b.TimeOver) << what;
  EXPECT_EQ(a.NoMoves, b.NoMoves) << what;
  EXPECT_EQ(a.Stuck, b.Stuck) << what;
  EXPECT_EQ(a.GameOver, b.GameOver) << what;
  EXPECT_EQ(a.SecondsLeft, b.SecondsLeft) << what;
  EXPECT_EQ(a.Moves, b.Moves) << what;
  EXPECT_EQ(a.Refused, b.Refused) << what;
  EXPECT_EQ(a.Aborted, b.Aborted) << what;
  EXPECT_EQ(a.Blank, b.Blank) << what;
  EXPECT_EQ(a.Spells, b.Spells) << what;
  EXPECT_EQ(a.Retries, b.Retries) << what;
  EXPECT_EQ(a.BoxesLeft, b.BoxesLeft) << what;
  EXPECT_EQ(a.Ticks, b.Ticks) << what;
  EXPECT_EQ(a.FinalBoard, b.FinalBoard) << what;
  EXPECT_EQ(a.Start, b.Start) << what;
  EXPECT_EQ(a.End, b.End) << what;
}

// Plays a run in a game started for it with every frame drawn, and again in
// a game started without a level with the unseen frames skipped; expects the
// same run and the same state at the end, with most frames undrawn. The first
// run's result.
TBotLevelResult ExpectSameRunBothWays(const std::string& home, const std::string& pack, int level, uint32_t seed,
                                      TBotSettings settings) {
  const std::string what = pack + " level " + std::to_string(level) + " seed " + std::to_string(seed);
  settings.SkipUnseenFrames = false;
  uint64_t freshDigest = 0;
  const TBotLevelResult fresh = PlayInFreshGame(home, pack, level, seed, settings, freshDigest);
  EXPECT_TRUE(fresh.Error.empty()) << fresh.Error;

  TBotGame started;
  std::string error;
  EXPECT_TRUE(started.Start(home, error)) << error;
  if (!started.Game()) return fresh;
  TGameSession& game = *started.Game();
  // Count the frames that are drawn in full.
  int drawnFrames = 0;
  const auto draw = game.Canopy.OnRender;
  game.Canopy.OnRender = [&](TCanopyDevice& device) {
    ++drawnFrames;
    draw(device);
  };
  settings.SkipUnseenFrames = true;
  const int64_t framesBefore = game.TotalFrames;
  const TBotLevelResult quick = started.PlayLevel(pack, level, seed, settings);
  ExpectSameRun(fresh, quick, what);
  EXPECT_EQ(game.StateDigest(), freshDigest) << what;
  EXPECT_LT(drawnFrames * 2, game.TotalFrames - framesBefore) << what;
  return fresh;
}

TEST_F(BotGameRuns, AGameStartedOnceWithoutTheUnseenFramesPlaysTheSameRuns) {
  struct Case {
    int Level;
    uint32_t Seed;
  };
  // Levels of the campaign, won or lost: the first iron boxes (3), blue
  // fields (9), orange ones (11), a longer level (17).
  TBotSettings settings;
  settings.PlayTally = true;
  for (const Case c : {Case{3, 1}, Case{9, 2}, Case{11, 1}, Case{17, 3}})
    ExpectSameRunBothWays(GW_BUILD_DIR, "Game Levels", c.Level, c.Seed, settings);
}

// A folder with the game's data and one pack of small levels, each a 5 x 5
// board with spawn points on top.
class BotPackHome : public BotGameRuns {
 protected:
  void SetUp() override {
    BotGameRuns::SetUp();
    if (IsSkipped()) return;
    Home = fs::temp_directory_path() / ("gw-botgame-" + std::to_string(::getpid()));
    fs::remove_all(Home);
    fs::create_directories(Home / "data");
    const fs::path build(GW_BUILD_DIR);
    fs::create_directory_symlink(build / "Data", Home / "Data");
    // Copies: a game over writes the hiscore table into data/.
    for (const fs::directory_entry& e : fs::directory_iterator(build / "data"))
      if (e.is_regular_file()) fs::copy_file(e.path(), Home / "data" / e.path().filename());
  }
  void TearDown() override {
    std::error_code ec;
    if (!Home.empty()) fs::remove_all(Home, ec);
  }
  // rows: 5 strings of 5 cells, '#' none, '_' plain, 'v' plain with a spawn
  // point, 'w' wood; pieces: the same cells' pieces, 'k' black, 't' tree,
  // 'f' fire (without them kinds cycle so that no line stands ready).
  void WriteLevel(const std::string& pack, int number, const std::vector<std::string>& rows, int seconds,
                  const std::vector<std::string>& pieces = {}) {
    std::vector<TCellRecord> cells;
    const uint8_t kinds[3] = {pkBlack, pkTree, pkFire};
    for (int c = 1; c <= 5; ++c) {
      for (int r = 1; r <= 5; ++r) {
        TCellRecord rec;
        rec.Col = c;
        rec.Row = r;
        const char t = rows[static_cast<size_t>(r - 1)][static_cast<size_t>(c - 1)];
        rec.TabType = t == '#' ? ttNone : t == 'w' ? ttWood : ttTab;
        rec.Spawn = t == 'v';
        rec.Piece = t == '#' ? kNoPiece : kinds[(c + r) % 3];
        if (!pieces.empty() && t != '#') {
          const char p = pieces[static_cast<size_t>(r - 1)][static_cast<size_t>(c - 1)];
          rec.Piece = p == 'k' ? pkBlack : p == 't' ? pkTree : pkFire;
        }
        cells.push_back(rec);
      }
    }
    TLevelOptions options;
    options.LevelTime = seconds;
    options.MaxCaveiras = 0;
    std::string error;
    ASSERT_TRUE(WriteLevelOptions(LevelOptionsPath(Home.string(), pack, number), options, error)) << error;
    ASSERT_TRUE(WriteLevelCells(LevelCellsPath(Home.string(), pack, number), cells, error)) << error;
  }
  // Runs levelbot; its exit code, and its standard output in `out`.
  int Levelbot(const std::string& args, std::string& out) {
    const fs::path tool = fs::path(GW_BUILD_DIR) / "levelbot";
    const fs::path log = Home / "levelbot.out";
    const std::string command = "\"" + tool.string() + "\" --home \"" + Home.string() + "\" " + args + " >\"" +
                                log.string() + "\"";
    const int status = std::system(command.c_str());
    out = game_test::ReadFile(log);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // The rows of a CSV file by their first column.
  static std::map<std::string, std::map<std::string, std::string>> ReadCsv(const fs::path& path) {
    std::ifstream in(path);
    std::string line;
    std::vector<std::string> names;
    std::map<std::string, std::map<std::string, std::string>> rows;
    auto split = [](const std::string& text) {
      std::vector<std::string> fields;
      std::stringstream s(text);
      for (std::string f; std::getline(s, f, ',');) fields.push_back(f);
      return fields;
    };
    if (std::getline(in, line)) names = split(line);
    while (std::getline(in, line)) {
      const std::vector<std::string> fields = split(line);
      for (size_t i = 0; i < fields.size() && i < names.size(); ++i) rows[fields[0]][names[i]] = fields[i];
    }
    return rows;
  }
  fs::path Home;
};

// The one box stands alone in the bottom row with no neighbours: no line can
// pass over it.
const std::vector<std::string> kLockedBox = {"vvvvv", "_____", "_____", "#####", "##w##"};
const std::vector<std::string> kOpenBoxes = {"vvvvv", "_____", "_____", "__w__", "_www_"};
// No line stands ready; fire into the bottom row's middle makes one.
const std::vector<std::string> kOpenPieces = {"ktfkt", "tfktf", "kttkf", "tkffk", "ffktt"};

TEST_F(BotPackHome, TheTallyAndTheRetriesGoTheSameWayInBothGames) {
  WriteLevel("Easy", 1, kOpenBoxes, 900, kOpenPieces);
  TBotSettings settings;
  settings.PlayTally = true;
  const TBotLevelResult won = ExpectSameRunBothWays(Home.string(), "Easy", 1, 6, settings);
  EXPECT_TRUE(won.Won);
  // The tally's bonus: a hundred points for each second left.
  EXPECT_GT(won.ScoreGained(), 100 * won.SecondsLeft);

  WriteLevel("Lock", 1, kLockedBox, 3);
  settings.RetryOnLoss = true;
  const TBotLevelResult lost = ExpectSameRunBothWays(Home.string(), "Lock", 1, 6, settings);
  EXPECT_FALSE(lost.Won);
  EXPECT_TRUE(lost.GameOver);
  EXPECT_TRUE(lost.TimeOver);
  // Three lives: two tries again, and the third time over ends the game.
  EXPECT_EQ(lost.Retries, 2);
}

TEST_F(BotPackHome, APlayerFromEarlierLevelsKeepsScoreAndLivesAndPlaysTheSame) {
  WriteLevel("Easy", 1, kOpenBoxes, 900, kOpenPieces);
  TBotSettings settings;
  settings.PlayTally = true;
  settings.SkipUnseenFrames = true;
  std::string error;
  TBotGame newGame;
  ASSERT_TRUE(newGame.Start(Home.string(), error)) << error;
  const TBotLevelResult first = newGame.PlayLevel("Easy", 1, 4, settings);
  ASSERT_TRUE(first.Won) << first.FinalBoard;
  EXPECT_EQ(first.Start, (TBotProfile{0, 3, 100000}));
  // A hiscore table or a replay of the runs never lands in the program's folder.
  EXPECT_NE(newGame.Game()->Options.SaveHome, Home.string());

  // Just short of the next extra life: the level's points pass it.
  const TBotProfile carried{99900, 5, 100000};
  TBotGame laterGame;
  ASSERT_TRUE(laterGame.Start(Home.string(), error)) << error;
  const TBotLevelResult later = laterGame.PlayLevel("Easy", 1, 4, settings, &carried);
  ASSERT_TRUE(later.Won) << later.FinalBoard;
  EXPECT_EQ(later.Start, carried);
  EXPECT_EQ(later.ScoreGained(), first.ScoreGained());
  EXPECT_EQ(later.SecondsLeft, first.SecondsLeft);
  EXPECT_EQ(later.End.Score, 99900 + first.ScoreGained());
  EXPECT_GE(later.LivesGained(), 1);
  EXPECT_EQ(later.End.Lives, 5 + later.LivesGained());
  EXPECT_EQ(later.End.NextLifeScore, 100000 * (1 + later.LivesGained()));
  EXPECT_GT(later.End.NextLifeScore, later.End.Score);
}

TEST_F(BotPackHome, LevelbotHoldsEveryLevelToItsBar) {
  // Won at once with nearly all of a long time left: from level 11 on the
  // expert's time bar holds the clock to account; levels 1-10 have none.
  for (int level = 1; level <= 11; ++level) WriteLevel("Easy", level, kOpenBoxes, 900, kOpenPieces);
  std::string out;
  EXPECT_EQ(Levelbot("--pack Easy --levels 10 --runs 2 --jobs 2 --check", out), 0) << out;
  EXPECT_EQ(Levelbot("--pack Easy --levels 11 --runs 2 --jobs 2", out), 0) << out;
  EXPECT_EQ(Levelbot("--pack Easy --levels 11 --runs 2 --jobs 2 --check --csv \"" + (Home / "easy.csv").string() +
                         "\"",
                     out),
            1)
      << out;
  EXPECT_NE(out.find("below the bar: level 11: median time left"), std::string::npos) << out;
  const auto csv = ReadCsv(Home / "easy.csv");
  ASSERT_EQ(csv.count("11"), 1u);
  EXPECT_EQ(csv.at("11").at("wins"), "2");
  EXPECT_EQ(csv.at("11").at("wood"), "4");
  EXPECT_EQ(csv.at("11").at("below_bar"), "1");
  EXPECT_EQ(csv.at("11").at("kinds"), "black fire tree");
  // The casual player has no time bar, only wins; a list of levels plays
  // just those, and a whole band won every time leaves the order of bands
  // as it should be.
  EXPECT_EQ(Levelbot("--pack Easy --player casual --levels 1-2,11 --runs 2 --jobs 2 --check", out), 0) << out;
  EXPECT_NE(out.find("player casual, thinking 2.0-4.0 s a move"), std::string::npos) << out;
  EXPECT_NE(out.find("levels 11-40: mean win share 100.0% over 1 level(s)"), std::string::npos) << out;
  EXPECT_EQ(out.find("\n    3 "), std::string::npos) << "level 3 was not asked for\n" << out;

  // Never won: below the bar with and without --check.
  WriteLevel("Lock", 1, kLockedBox, 3);
  EXPECT_EQ(Levelbot("--pack Lock --runs 2", out), 1) << out;
  EXPECT_EQ(Levelbot("--pack Lock --runs 2 --check", out), 1) << out;
  EXPECT_NE(out.find("below the bar: level 1: won 0 of 2 (needs 1)"), std::string::npos) << out;
}

TEST_F(BotPackHome, LevelbotReportsTheRunsAsAGameStartedForEachRunPlaysThem) {
  WriteLevel("Easy", 1, kOpenBoxes, 900, kOpenPieces);
  std::string out;
  ASSERT_EQ(Levelbot("--pack Easy --runs 3 --seed 7 --jobs 2 --csv \"" + (Home / "runs.csv").string() + "\"", out),
            0)
      << out;
  std::vector<double> left, score;
  TBotSettings settings;
  settings.PlayTally = true;
  for (uint32_t seed = 7; seed < 10; ++seed) {
    const TBotLevelResult r = RunBotOnLevel(Home.string(), "Easy", 1, seed, settings);
    ASSERT_TRUE(r.Won) << r.FinalBoard;
    left.push_back(r.SecondsLeft);
    score.push_back(r.ScoreGained());
  }
  std::sort(left.begin(), left.end());
  std::sort(score.begin(), score.end());
  const auto csv = ReadCsv(Home / "runs.csv");
  ASSERT_EQ(csv.count("1"), 1u);
  const auto& row = csv.at("1");
  EXPECT_EQ(row.at("runs"), "3");
  EXPECT_EQ(row.at("wins"), "3");
  EXPECT_DOUBLE_EQ(std::stod(row.at("median_left")), left[1]);
  EXPECT_DOUBLE_EQ(std::stod(row.at("min_left")), left[0]);
  EXPECT_DOUBLE_EQ(std::stod(row.at("median_score")), score[1]);
}

TEST_F(BotPackHome, LevelbotCarriesTheGameFromLevelToLevelInACampaign) {
  WriteLevel("Easy", 1, kOpenBoxes, 900, kOpenPieces);
  WriteLevel("Easy", 2, kOpenBoxes, 600, kOpenPieces);
  std::string out;
  ASSERT_EQ(Levelbot("--pack Easy --campaign --runs 1 --seed 5 --csv \"" + (Home / "game.csv").string() + "\"", out),
            0)
      << out;
  EXPECT_NE(out.find("1 of 1 game(s) got through"), std::string::npos) << out;
  // The same seed on each level of the game: the second level starts from
  // the score and lives the first one left.
  TBotSettings settings;
  settings.PlayTally = true;
  const TBotLevelResult one = RunBotOnLevel(Home.string(), "Easy", 1, 5, settings);
  const TBotLevelResult two = RunBotOnLevel(Home.string(), "Easy", 2, 5, settings);
  ASSERT_TRUE(one.Won && two.Won);
  const auto csv = ReadCsv(Home / "game.csv");
  ASSERT_EQ(csv.count("2"), 1u);
  EXPECT_EQ(std::stol(csv.at("1").at("median_total_score")), one.End.Score);
  EXPECT_EQ(std::stol(csv.at("2").at("median_total_score")), one.End.Score + two.ScoreGained());
  EXPECT_DOUBLE_EQ(std::stod(csv.at("1").at("median_lives_after")), one.End.Lives);
  EXPECT_EQ(csv.at("2").at("played"), "1");
  EXPECT_EQ(csv.at("2").at("won"), "1");
}

}  // namespace
