// The screens around the levels, end to end: the opening story, the story map
// and its marker, the ending, both credits rolls, game over and the hiscore
// table, through the game binary run headless with input scripts.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "support/GameRunner.h"

namespace fs = std::filesystem;

namespace {

using game_test::GameRunner;

long Number(const std::string& json, const std::string& key, const std::string& from = "") {
  return game_test::DumpNumber(json, key, from);
}
double Real(const std::string& json, const std::string& key, const std::string& from) {
  const size_t start = json.find("\"" + from + "\":");
  const std::string k = "\"" + key + "\":";
  const size_t at = json.find(k, start);
  return at == std::string::npos ? -999999 : std::stod(json.substr(at + k.size()));
}
bool Has(const std::string& json, const std::string& text) { return json.find(text) != std::string::npos; }
std::string Cell(int col, int row) { return std::to_string(40 * col + 20) + " " + std::to_string(40 * row + 10); }

// The main menu's Adventure and Relaxed Play entries, the create form's OK,
// the result form's "Next".
constexpr const char* kAdventure = "100 270";
constexpr const char* kRelaxed = "100 330";
constexpr const char* kCreateOk = "424 348";
constexpr const char* kNext = "400 408";

class StoryE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
  }

  // A game folder whose story pack is made of `levels` copies of a level
  // that one swap wins: the trees of (1..2, 1) and (4, 1) line up over the
  // only wooden box when (3, 1) and (4, 1) change places.
  std::unique_ptr<GameRunner> Folder(const std::string& name, int levels, int levelTime = 100,
                                     const std::string& pack = "Game Levels") {
    auto game = std::make_unique<GameRunner>(name, false);
    for (int n = 1; n <= levels; ++n)
      EXPECT_TRUE(game->WriteLevel(pack, n, {"TTBT", "BFWF"}, {"1121", "1111"}, levelTime)) << game->Errors;
    return game;
  }
  // Starts on the menu with a new player "Ann", then presses Adventure at
  // tick 200.
  static std::string NewPlayerThen(const char* entry = kAdventure) {
    return std::string("1 key Escape\n20 text \"Ann\"\n30 click ") + kCreateOk + "\n200 click " + entry + "\n";
  }
  // From a story skipped at tick 400: the map from 401, the marker there by
  // 650, the click at 700 and play from about 960; the first tutorial hint
  // comes at about 1260 and is closed at 1270.
  static std::string SkipStoryAndStart() { return "400 click 400 300\n700 click 400 300\n1270 click 437 349\n"; }
  // The winning swap at `at`; the result form shows about 410 ticks later,
  // a press at +550 hurries its count, and "Next" shows at about +1140
  // (the count still pauses two seconds before each of its steps).
  static std::string WinLevel(int at) {
    return std::to_string(at) + " click " + Cell(3, 1) + "\n" + std::to_string(at + 10) + " click " + Cell(4, 1) +
           "\n" + std::to_string(at + 550) + " click 400 300\n";
  }
  static std::string NextAt(int at) { return std::to_string(at) + " click " + kNext + "\n"; }
};

TEST_F(StoryE2E, ANewGameOpensWithTheStoryThenTheMapOfLevelOne) {
  auto game = Folder("story", 2);
  const std::string script = game->Script(
      "s.txt", NewPlayerThen() + "210 dump story.json\n"
                                 "260 click 400 300\n"
                                 "270 dump early.json\n"
                                 "400 click 400 300\n"
                                 "410 dump map.json\n"
                                 "600 dump walking.json\n"
                                 "690 dump arrived.json\n"
                                 "700 click 400 300\n"
                                 "710 dump fading.json\n"
                                 "1000 dump play.json\n"
                                 "1002 quit\n");
  ASSERT_EQ(game->Run("--seed 3 --script " + script), 0) << game->Errors;
  const std::string story = game->Read("story.json");
  EXPECT_EQ(Number(story, "screen_state"), 7);
  EXPECT_TRUE(Has(story, "\"music:play:GameHistoryMusic\""));
  // A click in the story's first second does nothing.
  const std::string early = game->Read("early.json");
  EXPECT_EQ(Number(early, "screen_state"), 7);
  EXPECT_EQ(Number(early, "seconds", "story"), 0);
  // A later click ends the story: the map of level 1 follows.
  const std::string map = game->Read("map.json");
  EXPECT_EQ(Number(map, "screen_state"), 8);
  EXPECT_EQ(Number(map, "level", "map"), 1);
  EXPECT_TRUE(Has(map, "\"music:stop:GameHistoryMusic\""));
  EXPECT_TRUE(Has(map, "\"music:play:MapMusic\""));
  // On level 1 the marker stands still on the first point, with no burst.
  const double x = Real(map, "marker_x", "map"), y = Real(map, "marker_y", "map");
  const std::string walking = game->Read("walking.json");
  EXPECT_EQ(Real(walking, "marker_x", "map"), x);
  EXPECT_EQ(Real(walking, "marker_y", "map"), y);
  EXPECT_EQ(Number(walking, "arrived", "map"), 0);
  const std::string arrived = game->Read("arrived.json");
  EXPECT_EQ(Number(arrived, "arrived", "map"), 1);
  EXPECT_EQ(Number(arrived, "explosions_added"), 0);
  EXPECT_FALSE(Has(arrived, "break-wood.ogg"));
  const std::string fading = game->Read("fading.json");
  EXPECT_EQ(Number(fading, "start_requested", "map"), 1);
  EXPECT_LT(Real(fading, "fade_level", "map"), 255.0);
  const std::string play = game->Read("play.json");
  EXPECT_EQ(Number(play, "screen_state"), 2);
  EXPECT_EQ(Number(play, "level", "board"), 1);
  EXPECT_TRUE(Has(play, "\"music:stop:MapMusic\""));
}

TEST_F(StoryE2E, AWonLevelLeadsToTheMapOfTheNextWithTheMarkerWalking) {
  auto game = Folder("next-map", 2);
  const std::string script = game->Script(
      "s.txt", NewPlayerThen() + SkipStoryAndStart() + WinLevel(1280) + NextAt(2500) +
                   "2510 dump map2.json\n"
                   "2600 dump walking.json\n"
                   "2800 dump arrived.json\n"
                   "2802 quit\n");
  ASSERT_EQ(game->Run("--seed 3 --script " + script), 0) << game->Errors;
  const std::string map2 = game->Read("map2.json");
  ASSERT_EQ(Number(map2, "screen_state"), 8) << map2.substr(0, 300);
  EXPECT_EQ(Number(map2, "level", "map"), 2);
  const double x0 = Real(map2, "marker_x", "map");
  const std::string walking = game->Read("walking.json");
  EXPECT_NE(Real(walking, "marker_x", "map"), x0) << "the marker walks from level 1 to level 2";
  const std::string arrived = game->Read("arrived.json");
  EXPECT_EQ(Number(arrived, "arrived", "map"), 1);
  // Past level 1 the arrival bursts and knocks.
  EXPECT_EQ(Number(arrived, "explosions_added"), Number(walking, "explosions_added") + 1);
  EXPECT_TRUE(Has(walking + arrived, "play:break-wood.ogg"));
}

TEST_F(StoryE2E, TheLastStoryLevelLeadsThroughTheEndingAndCreditsToABlinkingHiscore) {
  // A long clock: its seconds make a bonus that enters the table.
  auto game = Folder("ending", 1, 1000);
  const std::string before = game->Read("data/hiscore.arv");
  const std::string script = game->Script(
      "s.txt", NewPlayerThen() + SkipStoryAndStart() + WinLevel(1280) + NextAt(2500) +
                   "2510 dump ending.json\n"
                   "5000 dump credits.json\n"
                   "5100 click 400 300\n"
                   "5110 dump hiscores.json\n"
                   "5350 screenshot shown.png\n"
                   "5380 screenshot hidden.png\n"
                   "5410 screenshot shown-again.png\n"
                   "5500 click 400 300\n"
                   "5510 dump menu.json\n"
                   "5512 quit\n");
  ASSERT_EQ(game->Run("--seed 3 --script " + script), 0) << game->Errors;
  const std::string ending = game->Read("ending.json");
  ASSERT_EQ(Number(ending, "screen_state"), 11) << ending.substr(0, 300);
  EXPECT_TRUE(Has(ending, "\"music:play:GameHistoryMusic\""));
  const long rank = Number(ending, "hiscore_rank");
  EXPECT_GE(rank, 1);
  EXPECT_LE(rank, 9);
  EXPECT_NE(game->Read("data/hiscore.arv"), before);
  const std::string credits = game->Read("credits.json");
  EXPECT_EQ(Number(credits, "screen_state"), 6);
  EXPECT_TRUE(Has(credits, "\"text\":\"Producer\""));
  const std::string hiscores = game->Read("hiscores.json");
  EXPECT_EQ(Number(hiscores, "screen_state"), 10);
  EXPECT_TRUE(Has(hiscores, "\"name\":\"Ann\""));
  EXPECT_EQ(Number(hiscores, "new_rank", "hiscores"), rank);
  // The new entry blinks: a quarter second shown, a quarter second hidden.
  EXPECT_NE(game->Read("shown.png"), game->Read("hidden.png"));
  EXPECT_EQ(game->Read("shown.png"), game->Read("shown-again.png"));
  EXPECT_EQ(Number(game->Read("menu.json"), "screen_state"), 1);
}

TEST_F(StoryE2E, GameOverLeadsToTheHiscoresOfWhichOnlyStoryGamesAreMade) {
  // One second a try: three times out and the game is over.
  auto game = Folder("gameover", 1, 1, "Meadow");
  const std::string before = game->Read("data/hiscore.arv");
  const std::string script = game->Script("s.txt",
                                          "300 click 400 300\n"  // the first time over: a retry
                                          "600 click 400 300\n"  // the second: the last retry
                                          "900 dump over.json\n"
                                          "1500 click 400 300\n"  // too early for the game-over screen
                                          "1510 dump early.json\n"
                                          "1900 click 400 300\n"
                                          "1910 dump hiscores.json\n"
                                          "1912 quit\n");
  ASSERT_EQ(game->Run("--seed 3 --play Meadow 1 --script " + script), 0) << game->Errors;
  const std::string over = game->Read("over.json");
  ASSERT_EQ(Number(over, "screen_state"), 9) << over.substr(0, 300);
  EXPECT_EQ(Number(game->Read("early.json"), "screen_state"), 9);
  const std::string hiscores = game->Read("hiscores.json");
  EXPECT_EQ(Number(hiscores, "screen_state"), 10);
  EXPECT_EQ(Number(hiscores, "new_rank", "hiscores"), -1);
  EXPECT_EQ(game->Read("data/hiscore.arv"), before);
}

TEST_F(StoryE2E, TheLastLevelOfAnotherPackLeadsToTheEndCredits) {
  auto game = Folder("other-pack", 1, 100, "Meadow");
  const std::string before = game->Read("data/hiscore.arv");
  const std::string script =
      game->Script("s.txt", WinLevel(10) + NextAt(1250) + "1270 click 400 377\n1280 dump credits.json\n1282 quit\n");
  ASSERT_EQ(game->Run("--seed 3 --play Meadow 1 --script " + script), 0) << game->Errors;
  const std::string credits = game->Read("credits.json");
  EXPECT_EQ(Number(credits, "screen_state"), 6);
  EXPECT_TRUE(Has(credits, "\"music:play:MapMusic\""));
  EXPECT_EQ(game->Read("data/hiscore.arv"), before);
}

TEST_F(StoryE2E, ARelaxedGameNeverTouchesTheHiscores) {
  auto game = Folder("relaxed", 1);
  const std::string before = game->Read("data/hiscore.arv");
  // Relaxed play skips the story: the map comes at once, play at about 760
  // and the first hint at about 1060.
  const std::string script = game->Script(
      "s.txt", NewPlayerThen(kRelaxed) + "210 dump map.json\n500 click 400 300\n1070 click 437 349\n" +
                   WinLevel(1080) + NextAt(2100) + "2120 click 400 377\n2130 dump credits.json\n2132 quit\n");
  ASSERT_EQ(game->Run("--seed 3 --script " + script), 0) << game->Errors;
  EXPECT_EQ(Number(game->Read("map.json"), "screen_state"), 8);
  const std::string credits = game->Read("credits.json");
  EXPECT_EQ(Number(credits, "screen_state"), 6) << "the end credits, not the ending";
  EXPECT_EQ(Number(credits, "hiscore_rank"), -1);
  EXPECT_EQ(game->Read("data/hiscore.arv"), before);
}

TEST_F(StoryE2E, TheMenuCreditsRollNeverShowsTheStudiosLines) {
  GameRunner game("menu-credits");
  // Options, then Credits; the roll runs over the menu, then Back.
  std::string body = std::string("1 key Escape\n20 text \"Ann\"\n30 click ") + kCreateOk +
                     "\n200 click 100 385\n210 click 564 360\n220 dump start.json\n";
  for (int t = 400; t <= 6400; t += 400) body += std::to_string(t) + " dump roll" + std::to_string(t) + ".json\n";
  body += "6500 click 510 437\n6510 dump back.json\n6512 quit\n";
  const std::string script = game.Script("s.txt", body);
  ASSERT_EQ(game.Run("--script " + script), 0) << game.Errors;
  const std::string start = game.Read("start.json");
  EXPECT_EQ(Number(start, "running", "credits"), 1);
  EXPECT_TRUE(Has(start, "\"music:play:MapMusic\""));
  bool sawThanks = false;
  for (int t = 400; t <= 6400; t += 400) {
    const std::string roll = game.Read("roll" + std::to_string(t) + ".json");
    EXPECT_FALSE(Has(roll, "Created By")) << t;
    EXPECT_FALSE(Has(roll, "Kestrava")) << t;
    sawThanks = sawThanks || Has(roll, "\"text\":\"Thanks To\"");
    // Lines show only inside the frame.
    const size_t from = roll.find("\"credits\":"), to = roll.find("\"hiscores\":");
    ASSERT_NE(from, std::string::npos);
    const std::string lines = roll.substr(from, to - from);
    for (size_t at = lines.find("\"y\":"); at != std::string::npos; at = lines.find("\"y\":", at + 1)) {
      const double y = std::stod(lines.substr(at + 4));
      EXPECT_GE(y, 150.0);
      EXPECT_LE(y, 450.0);
    }
  }
  EXPECT_TRUE(sawThanks);
  const std::string back = game.Read("back.json");
  EXPECT_EQ(Number(back, "running", "credits"), 0);
  EXPECT_TRUE(Has(back, "\"gui\":[\"GameOptions\"]"));
  EXPECT_TRUE(Has(back, "\"music:play:MainMenuMusic\""));
}

TEST_F(StoryE2E, ALevelBeyondTheMapsPointsStillStartsFromTheMap) {
  // More levels than the map has points (110): the marker stands off the screen.
  auto game = Folder("beyond", 111);
  game_test::WriteKnownPlayer(game->Home, "Ann", 111, 500, 3);
  game_test::WriteConfig(game->Home, "Ann");
  const std::string script = game->Script(
      "s.txt", std::string("1 key Escape\n130 click ") + kAdventure + "\n140 click 367 239\n" +
                   "150 dump map.json\n400 dump arrived.json\n410 click 400 300\n700 dump play.json\n702 quit\n");
  ASSERT_EQ(game->Run("--seed 3 --script " + script), 0) << game->Errors;
  const std::string map = game->Read("map.json");
  EXPECT_EQ(Number(map, "screen_state"), 8);
  EXPECT_EQ(Number(map, "level", "map"), 111);
  // It walks from the last point off the screen, and arrives there.
  const std::string arrived = game->Read("arrived.json");
  EXPECT_EQ(Number(arrived, "arrived", "map"), 1);
  EXPECT_LT(Real(arrived, "marker_x", "map"), 0.0);
  EXPECT_LT(Real(arrived, "marker_y", "map"), 0.0);
  const std::string play = game->Read("play.json");
  EXPECT_EQ(Number(play, "screen_state"), 2);
  EXPECT_EQ(Number(play, "level", "board"), 111);
}

TEST_F(StoryE2E, AMissingOrCutMapPointsFileEndsStartUpNamingIt) {
  GameRunner game("map-points");
  fs::remove(game.Home / "data" / "mappoints.map");
  EXPECT_EQ(game.Run("--ticks 5"), 1);
  EXPECT_NE(game.Errors.find("mappoints.map"), std::string::npos) << game.Errors;
  std::ofstream(game.Home / "data" / "mappoints.map", std::ios::binary) << std::string(12, '\1');
  EXPECT_EQ(game.Run("--ticks 5"), 1);
  EXPECT_NE(game.Errors.find("mappoints.map"), std::string::npos) << game.Errors;
  EXPECT_NE(game.Errors.find("cut short"), std::string::npos) << game.Errors;
  // A pipe in its place is refused at once, not waited on.
  fs::remove(game.Home / "data" / "mappoints.map");
  ASSERT_EQ(::mkfifo((game.Home / "data" / "mappoints.map").c_str(), 0600), 0);
  EXPECT_EQ(game.Run("--ticks 5"), 1);
  EXPECT_NE(game.Errors.find("not a plain file"), std::string::npos) << game.Errors;
}

TEST_F(StoryE2E, ADamagedHiscoreTableIsMadeAgainWithOneMessage) {
  GameRunner game("damaged-hiscores");
  fs::remove(game.Home / "data" / "hiscore.arv");
  std::ofstream(game.Home / "data" / "hiscore.arv", std::ios::binary) << "short";
  const std::string script = game.Script(
      "s.txt", std::string("1 key Escape\n20 text \"Ann\"\n30 click ") + kCreateOk +
                   "\n200 click 100 460\n210 dump table.json\n212 quit\n");
  ASSERT_EQ(game.Run("--script " + script), 0) << game.Errors;
  EXPECT_EQ(Number(game.Read("table.json"), "screen_state"), 10);
  EXPECT_TRUE(Has(game.Read("table.json"), "\"name\":\"Arvanel of Fire\""));
  EXPECT_NE(game.Errors.find("damaged"), std::string::npos) << game.Errors;
  EXPECT_EQ(game.Read("data/hiscore.arv"), game.Read("data/hiscore-shipped.arv"));
}

// Escape on the map before a level: the journey is saved as "Save and Quit"
// saves it, and the main menu comes back; the next Adventure offers to go on.
TEST_F(StoryE2E, EscapeOnTheMapSavesTheJourneyAndGoesBackToTheMenu) {
  auto game = Folder("escape-map", 2);
  const std::string script = game->Script(
      "s.txt", NewPlayerThen() + SkipStoryAndStart() + WinLevel(1280) + NextAt(2500) +
                   "2700 dump map.json\n"
                   "2710 key Escape\n"
                   "2730 dump menu.json\n"
                   "2900 click " + kAdventure + "\n"
                   "2920 dump again.json\n"
                   "2922 quit\n");
  ASSERT_EQ(game->Run("--seed 3 --script " + script), 0) << game->Errors;
  const std::string map = game->Read("map.json");
  ASSERT_EQ(Number(map, "screen_state"), 8) << map.substr(0, 300);
  EXPECT_EQ(Number(map, "level", "map"), 2);
  const long score = Number(map, "score");
  EXPECT_GT(score, 0);
  const std::string menu = game->Read("menu.json");
  EXPECT_EQ(Number(menu, "screen_state"), 1);
  EXPECT_TRUE(Has(menu, "\"music:stop:MapMusic\""));
  EXPECT_TRUE(Has(menu, "\"music:play:MainMenuMusic\""));
  const std::vector<uint8_t> saved = game_test::ReadBytes(game->Home / "save" / "Ann - Game Levels.sa2");
  EXPECT_EQ(saved, game_test::ProgressBytes(2, static_cast<int>(score), 3)) << "level 2 with the score won";
  EXPECT_TRUE(Has(game->Read("again.json"), "\"formContinue\"")) << "the saved journey is offered";
}

// Escape while the map fades into the level: the level begins at once with
// its quit menu open.
TEST_F(StoryE2E, EscapeWhileTheMapFadesIntoTheLevelOpensItsQuitMenu) {
  auto game = Folder("escape-fade", 1);
  const std::string script = game->Script(
      "s.txt", NewPlayerThen() + "400 click 400 300\n700 click 400 300\n720 dump fading.json\n"
                                 "730 key Escape\n740 dump d.json\n742 quit\n");
  ASSERT_EQ(game->Run("--seed 3 --script " + script), 0) << game->Errors;
  const std::string fading = game->Read("fading.json");
  ASSERT_EQ(Number(fading, "screen_state"), 8);
  EXPECT_EQ(Number(fading, "start_requested"), 1);
  const std::string d = game->Read("d.json");
  EXPECT_EQ(Number(d, "screen_state"), 2);
  EXPECT_TRUE(Has(d, "\"gui\":[\"QuitMenu\"]")) << d.substr(0, 300);
  EXPECT_EQ(Number(d, "dialog_open"), 1);
}

}  // namespace
