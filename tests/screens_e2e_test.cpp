// The screens around play as a player sees them, end to end: the game-over
// words clear of the seal and the new hiscore lit after a game over, the
// Hall of Heroes' rank medallions clear of the ivy, the credits' panel and
// the end of both rolls, the story's "Click to skip", the title of a pack's
// map clear of the painted names, and the message of a finished pack.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/render/ImageFile.h"
#include "layout/PlayForms.h"
#include "support/GameRunner.h"

namespace {

using game_test::DumpNumber;
using game_test::GameRunner;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TBitmap32 Picture(const GameRunner& game, const std::string& file) {
  const std::string bytes = game.Read(file);
  TBitmap32 bitmap;
  std::string error;
  EXPECT_TRUE(DecodeImageFile(file, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), bitmap, &error))
      << file << ": " << error;
  return bitmap;
}

uint32_t Pixel(const TBitmap32& b, int x, int y) {
  return b.Pixels[static_cast<size_t>(y) * static_cast<size_t>(b.Width) + static_cast<size_t>(x)];
}

// A line of a slide-show screen as the dump gives it: left edge and width.
struct TShownText {
  bool Found = false;
  double X = 0, Y = 0;
  long Width = 0;
};
TShownText ShownText(const std::string& dump, const std::string& text) {
  TShownText t;
  const size_t at = dump.find("{\"text\":\"" + text + "\"");
  if (at == std::string::npos) return t;
  const std::string entry = dump.substr(at, dump.find('}', at) - at);
  t.Found = true;
  t.X = static_cast<double>(DumpNumber(entry, "x"));
  t.Y = static_cast<double>(DumpNumber(entry, "y"));
  t.Width = DumpNumber(entry, "width");
  return t;
}

// The main menu's Adventure entry, the create form's OK, the result form's
// "Next", the pack message's "Continue", the options and their credits.
constexpr const char* kAdventure = "100 270";
constexpr const char* kCreateOk = "424 348";
constexpr const char* kNext = "400 408";
constexpr const char* kPackContinue = "400 377";
constexpr const char* kOptions = "100 385";
constexpr const char* kCredits = "564 360";

std::string NewPlayer() { return std::string("1 key Escape\n20 text \"Ann\"\n30 click ") + kCreateOk + "\n"; }
std::string Cell(int col, int row) { return game_test::CellCentre(col, row); }

class ScreensE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
  }
};

// A story game of two levels: the first won with a long clock (a bonus that
// enters the table), the second lost three times over (the game is over).
TEST_F(ScreensE2E, GameOverStandsClearOfTheSealAndLeadsToTheNewHiscoreLit) {
  GameRunner game("screens-gameover", false);
  ASSERT_TRUE(game.WriteLevel("Game Levels", 1, {"TTBT", "BFWF"}, {"1121", "1111"}, 1000)) << game.Errors;
  // Only iron: no tutorial hint holds its clock.
  ASSERT_TRUE(game.WriteLevel("Game Levels", 2, {"TBWF", "FWTB"}, {"1311", "1111"}, 1)) << game.Errors;
  const std::string script = game.Script(
      "s.txt", NewPlayer() + "200 click " + kAdventure +
                   "\n400 click 400 300\n700 click 400 300\n1270 click 437 349\n"  // story, map, first hint
                   "1280 click " + Cell(3, 1) + "\n1290 click " + Cell(4, 1) + "\n1830 click 400 300\n"
                   "2500 click " + kNext + "\n"
                   "2900 click 400 300\n"  // the map of level 2
                   "3200 click 536 483\n"  // away with the first mana's hint, still up
                   // Out of time three times (the bonus won an extra life): three retries.
                   "3550 click 400 300\n3900 click 400 300\n4250 click 400 300\n"
                   "4650 dump over.json\n"
                   "5200 dump words.json\n5202 screenshot gameover.png\n"
                   "5700 click 400 300\n"
                   "5710 dump hiscores.json\n"
                   "5950 screenshot shown.png\n5980 screenshot hidden.png\n"
                   "5982 quit\n");
  ASSERT_EQ(game.Run("--seed 3 --script " + script), 0) << game.Errors;
  const std::string over = game.Read("over.json");
  ASSERT_EQ(DumpNumber(over, "screen_state"), 9) << over.substr(0, 300);
  const long rank = DumpNumber(over, "hiscore_rank");
  ASSERT_GE(rank, 1);
  ASSERT_LE(rank, 9);
  // The seal's middle is at x 400, 28 pixels round: both words clear of it,
  // the same way each side.
  const std::string words = game.Read("words.json");
  const TShownText gameWord = ShownText(words, "GAME"), overWord = ShownText(words, "OVER");
  ASSERT_TRUE(gameWord.Found && overWord.Found) << words.substr(words.find("\"screen_texts\""), 300);
  const double gameGap = 400 - 28 - (gameWord.X + gameWord.Width), overGap = overWord.X - (400 + 28);
  EXPECT_GE(gameGap, 8) << "\"GAME\" touches the seal";
  EXPECT_GE(overGap, 8);
  EXPECT_NEAR(gameGap, overGap, 3) << "the pair is centred on the seal";
  EXPECT_EQ(gameWord.Y, overWord.Y);
  // The table after the game over lights the new entry: it blinks.
  const std::string hiscores = game.Read("hiscores.json");
  EXPECT_EQ(DumpNumber(hiscores, "screen_state"), 10);
  EXPECT_EQ(DumpNumber(hiscores, "new_rank", "hiscores"), rank);
  EXPECT_NE(game.Read("shown.png"), game.Read("hidden.png")) << "the new entry blinks";
  // And its row lies on a band of warm light all the while, blinking or not.
  for (const char* file : {"shown.png", "hidden.png"}) {
    const uint32_t p = Pixel(Picture(game, file), 154, 150 + 35 * static_cast<int>(rank) + 24);
    const int r = (p >> 16) & 255, b = p & 255;
    EXPECT_GT(r, 80) << file;
    EXPECT_LT(b, r - 40) << file;
  }
}

// The rank medallions at the left of the Hall of Heroes' rows are gold,
// silver, bronze and brown: no green leaf of the ivy lies over any of them.
TEST_F(ScreensE2E, TheHallOfHeroesMedallionsAreClearOfTheIvy) {
  GameRunner game("screens-hall");
  const std::string script =
      game.Script("s.txt", NewPlayer() + "200 click 100 460\n700 screenshot hall.png\n702 dump hall.json\n704 quit\n");
  ASSERT_EQ(game.Run("--seed 3 --script " + script), 0) << game.Errors;
  ASSERT_EQ(DumpNumber(game.Read("hall.json"), "screen_state"), 10);
  const TBitmap32 hall = Picture(game, "hall.png");
  ASSERT_EQ(hall.Width, 800);
  for (int rank = 1; rank <= 9; ++rank) {
    const int cx = 132, cy = 150 + 35 * rank + 14;
    int leaf = 0;
    for (int y = cy - 10; y <= cy + 10; ++y) {
      for (int x = cx - 10; x <= cx + 10; ++x) {
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) > 100) continue;
        const uint32_t p = Pixel(hall, x, y);
        const int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
        if (g > r + 20 && g > b + 10) ++leaf;
      }
    }
    EXPECT_EQ(leaf, 0) << "ivy over the medallion of rank " << rank;
  }
}

// The credits over the menu: their panel hides the menu's picture (no word
// of its title shows through), and once every line has gone by the roll
// says how to go on, and a click does.
TEST_F(ScreensE2E, TheMenuCreditsPanelHidesTheMenuAndItsRollEndsWithAWayOut) {
  GameRunner game("screens-credits");
  const std::string script = game.Script(
      "s.txt", NewPlayer() + "200 click " + kOptions + "\n500 click " + kCredits +
                   "\n560 screenshot panel.png\n"
                   "3000 dump rolling.json\n"
                   "6800 dump over.json\n6802 screenshot over.png\n"
                   "6810 tap 520 300\n6830 dump back.json\n6832 quit\n");
  ASSERT_EQ(game.Run("--seed 3 --script " + script), 0) << game.Errors;
  // The panel's window (its text has not rolled in yet): dark all over, where
  // the menu's subtitle ran under it.
  const TBitmap32 panel = Picture(game, "panel.png");
  int light = 0;
  for (int y = 150; y < 180; ++y)
    for (int x = 328; x < 400; ++x) {
      const uint32_t p = Pixel(panel, x, y);
      if (((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255) > 3 * 110) ++light;
    }
  EXPECT_EQ(light, 0) << "the menu's picture shows through the credits' panel";
  const std::string rolling = game.Read("rolling.json");
  EXPECT_EQ(DumpNumber(rolling, "running", "credits"), 1);
  EXPECT_EQ(DumpNumber(rolling, "roll_over", "credits"), 0);
  const std::string over = game.Read("over.json");
  EXPECT_EQ(DumpNumber(over, "running", "credits"), 1);
  EXPECT_EQ(DumpNumber(over, "roll_over", "credits"), 1) << "the roll is over and says so";
  EXPECT_NE(game.Read("over.png"), game.Read("panel.png"));
  const std::string back = game.Read("back.json");
  EXPECT_EQ(DumpNumber(back, "running", "credits"), 0) << "the click went on";
  EXPECT_TRUE(Has(back, "\"GameOptions\"")) << "back to the options";
}

// A finished pack other than the story's: its message first, with the
// score and the word that only the story journey enters the hiscores; then
// the end credits, whose roll ends with "Click to continue" and leads on.
TEST_F(ScreensE2E, AFinishedPackSaysSoThenItsCreditsEndWithAWayOut) {
  GameRunner game("screens-pack");
  ASSERT_TRUE(game.WriteLevel("Meadow", 1, {"TTBT", "BFWF"}, {"1121", "1111"}, 100)) << game.Errors;
  const std::string script = game.Script(
      "s.txt", "10 click " + Cell(3, 1) + "\n20 click " + Cell(4, 1) + "\n560 click 400 300\n1250 click " + kNext +
                   "\n1270 dump complete.json\n1272 screenshot complete.png\n"
                   "1280 tap " + kPackContinue + "\n1290 dump credits.json\n"
                   "8300 dump end.json\n8302 screenshot end.png\n"
                   "8310 click 400 300\n8330 dump hiscores.json\n8332 quit\n");
  ASSERT_EQ(game.Run("--seed 3 --play Meadow 1 --script " + script), 0) << game.Errors;
  const std::string complete = game.Read("complete.json");
  ASSERT_TRUE(Has(complete, "\"formPackComplete\"")) << complete.substr(0, 300);
  EXPECT_EQ(DumpNumber(complete, "screen_state"), 2) << "no credits yet";
  const long score = DumpNumber(complete, "score");
  EXPECT_TRUE(Has(complete, "\"pcText\":\"You have finished every level of \\\"Meadow\\\"! Only the story journey, "
                            "played against the clock, enters the Hall of Heroes.\""))
      << complete.substr(complete.find("\"labels\""), 300);
  EXPECT_GT(score, 1000);
  EXPECT_TRUE(Has(complete, "\"pcScore\":\"Your score: " + WithThousands(score) + "\""));
  const std::string credits = game.Read("credits.json");
  EXPECT_EQ(DumpNumber(credits, "screen_state"), 6);
  EXPECT_EQ(DumpNumber(credits, "roll_over", "credits"), 0);
  EXPECT_EQ(DumpNumber(game.Read("end.json"), "roll_over", "credits"), 1);
  EXPECT_EQ(DumpNumber(game.Read("hiscores.json"), "screen_state"), 10);
}

// The story says that a click skips it, in a corner of its own, from its
// first second to its last two.
TEST_F(ScreensE2E, TheStorySaysAClickSkipsIt) {
  GameRunner game("screens-story");
  const std::string script =
      game.Script("s.txt", NewPlayer() + "200 click " + kAdventure +
                               "\n250 dump start.json\n"  // the story's first half second
                               "360 dump early.json\n"
                               "5020 dump late.json\n5022 screenshot story.png\n"  // two lines at the foot
                               "5024 quit\n");
  ASSERT_EQ(game.Run("--seed 3 --script " + script), 0) << game.Errors;
  const std::string start = game.Read("start.json");
  ASSERT_EQ(DumpNumber(start, "screen_state"), 7);
  EXPECT_FALSE(ShownText(start, "Click to skip").Found) << "not while a click would not skip";
  EXPECT_TRUE(ShownText(game.Read("early.json"), "Click to skip").Found);
  const std::string late = game.Read("late.json");
  const TShownText skip = ShownText(late, "Click to skip");
  ASSERT_TRUE(skip.Found);
  EXPECT_LE(skip.X + skip.Width, 800);
  // Clear of the story's lines at the foot of the screen.
  const TShownText line = ShownText(late, "...along the trail the thief left behind, to the dark castle...");
  ASSERT_TRUE(line.Found) << late.substr(late.find("\"screen_texts\""), 400);
  EXPECT_TRUE(skip.X >= line.X + line.Width + 8 || skip.Y >= line.Y + 22) << "the skip line overlaps the story";
}

// The title of a pack's story map runs along the map's top edge, clear of
// the names painted on the map (as its source places them).
TEST_F(ScreensE2E, ThePackMapsTitleIsClearOfThePaintedNames) {
  GameRunner game("screens-map");
  ASSERT_TRUE(game.WriteLevel("Tess Grove", 1, {"TTBT", "BFWF"}, {"1121", "1111"})) << game.Errors;
  // The pack chooser: its second line, then "Play".
  const std::string script = game.Script(
      "s.txt", NewPlayer() + "200 click " + kAdventure + "\n260 click 400 178\n270 click 367 369\n" +
                   "700 dump map.json\n702 screenshot map.png\n704 quit\n");
  ASSERT_EQ(game.Run("--seed 3 --script " + script), 0) << game.Errors;
  const std::string map = game.Read("map.json");
  ASSERT_EQ(DumpNumber(map, "screen_state"), 8) << map.substr(0, 300);
  ASSERT_TRUE(Has(map, "\"title\":\"Tess Grove Level Pack!\""));
  const size_t at = map.find("\"title_box\":[");
  ASSERT_NE(at, std::string::npos);
  int box[4] = {};
  std::istringstream in(map.substr(at + 13));
  char comma = 0;
  in >> box[0] >> comma >> box[1] >> comma >> box[2] >> comma >> box[3];
  EXPECT_GT(box[2], box[0]);
  EXPECT_GE(box[1], 6) << "on the map";
  // Each painted name: centre x and baseline y in the map's source, its
  // letters at most 15 pixels above the baseline and 11 pixels wide.
  std::ifstream source(GW_SOURCE_DIR "/content/map/story-map.txt");
  std::string lineText;
  int names = 0;
  while (std::getline(source, lineText)) {
    if (lineText.rfind("label \"", 0) != 0) continue;
    const size_t close = lineText.find('"', 7);
    const std::string name = lineText.substr(7, close - 7);
    std::istringstream values(lineText.substr(close + 1));
    int cx = 0, baseline = 0;
    values >> cx >> baseline;
    const int half = static_cast<int>(name.size()) * 11 / 2;
    const int left = cx - half, right = cx + half, top = baseline - 15, bottom = baseline + 5;
    // The title's strip reaches a few pixels round its words.
    const bool apart = box[2] + 15 <= left || right <= box[0] - 15 || box[3] + 3 <= top || bottom <= box[1] - 5;
    EXPECT_TRUE(apart) << "the title covers \"" << name << "\"";
    ++names;
  }
  EXPECT_GE(names, 9);
}

}  // namespace
