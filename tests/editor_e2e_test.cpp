// The level editor end to end: the built game, headless, reaches the editor
// through the options, creates a pack, sets the level's options, paints wood,
// iron, both force fields, edge pieces, spawn points and pieces with the
// mouse, saves, wins a test play, paints again, appends a level, goes back to
// level 1 and leaves; the files then decompile to the painted grid, and the
// new pack is offered by the main menu's pack chooser and its level 1 plays.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "board/LevelFile.h"
#include "support/GameRunner.h"

namespace {

namespace fs = std::filesystem;
using game_test::GameRunner;

// Screen points of the editor's controls: the bar stands at (0, 515) with the
// tool buttons in its first row and the page buttons in its second; the pack
// choice, the options and the go-to form are placed by the game.
int ToolX(const std::string& tool) {
  static const std::vector<std::string> kTools = {"tab",   "wood",  "spawn", "blue",  "orange", "edge1", "edge2",
                                                  "edge3", "edge4", "edge5", "edge6", "edge7",  "edge8", "iron",
                                                  "red",   "fire",  "pearl", "crystal", "tree", "black", "book",
                                                  "water", "eraser"};
  for (size_t i = 0; i < kTools.size(); ++i)
    if (kTools[i] == tool) return 25 + 34 * static_cast<int>(i);
  ADD_FAILURE() << "no tool " << tool;
  return 0;
}
constexpr const char* kOptions = "100 385";
constexpr const char* kGoLevelEditor = "430 360";
constexpr const char* kCreatePack = "500 419";
constexpr const char* kBarOptions = "325 577";
constexpr const char* kBarClean = "253 577";
constexpr const char* kBarSave = "181 577";
constexpr const char* kBarInsert = "145 577";
constexpr const char* kBarTest = "361 577";
constexpr const char* kBarExit = "397 577";
constexpr const char* kBarGoTo = "468 577";
constexpr const char* kLevelTime = "410 297";
constexpr const char* kMostSkulls = "410 331";
constexpr const char* kBackgroundUp = "462 365";
constexpr const char* kAllowWater = "417 432";
constexpr const char* kAllowShadow = "417 510";
constexpr const char* kOptionsOk = "324 537";
constexpr const char* kTestOk = "400 408";
constexpr const char* kConfirmYes = "320 260";
constexpr const char* kGoToOk = "338 336";
constexpr const char* kAdventure = "100 270";
constexpr const char* kPackSecond = "400 170";
constexpr const char* kPackOk = "367 369";
constexpr const char* kEditPack = "500 354";
constexpr const char* kBarNext = "109 577";
constexpr const char* kQuitNoSave = "397 353";

// An input script built in order, each command some ticks after the last.
class TScript {
 public:
  void At(int after, const std::string& command) {
    Tick_ += after;
    Text_ += std::to_string(Tick_) + " " + command + "\n";
  }
  void Click(const std::string& point) { At(6, "click " + point); }
  void Cell(int col, int row) { Click(game_test::CellCentre(col, row)); }
  void Tool(const std::string& tool) { Click(std::to_string(ToolX(tool)) + " 537"); }
  // Holds the button down from the first cell across the others.
  void Drag(const std::vector<std::pair<int, int>>& cells) {
    At(6, "mouse " + game_test::CellCentre(cells[0].first, cells[0].second));
    At(4, "down");
    for (size_t i = 1; i < cells.size(); ++i) At(4, "mouse " + game_test::CellCentre(cells[i].first, cells[i].second));
    At(4, "up");
  }
  // Replaces the text of a field.
  void Retype(const std::string& field, int length, const std::string& text) {
    Click(field);
    At(4, "key End");
    for (int i = 0; i < length; ++i) At(2, "key Backspace");
    At(2, "text \"" + text + "\"");
  }
  const std::string& Text() const { return Text_; }

 private:
  int Tick_ = 0;
  std::string Text_;
};

class EditorE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
  }
  // A known player, so the menu opens without the new-player form.
  static void WriteKnownPlayer(const fs::path& home) {
    std::vector<uint8_t> config(105, 0);
    const std::string name = "Ann";
    config[0] = static_cast<uint8_t>(name.size());
    for (size_t i = 0; i < name.size(); ++i) config[1 + i] = static_cast<uint8_t>(name[i]);
    config[102] = 1;
    config[104] = 1;
    std::ofstream(home / "arvanels.cfg", std::ios::binary)
        .write(reinterpret_cast<const char*>(config.data()), static_cast<std::streamsize>(config.size()));
    fs::create_directories(home / "save");
    const uint8_t progress[12] = {1, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0};
    std::ofstream(home / "save" / (name + ".sav"), std::ios::binary)
        .write(reinterpret_cast<const char*>(progress), sizeof progress);
  }
  static std::string Editor(const std::string& dump, const std::string& key) {
    const size_t at = dump.find("\"editor\":");
    if (at == std::string::npos) return "";
    const std::string tag = "\"" + key + "\":";
    const size_t k = dump.find(tag, at);
    if (k == std::string::npos) return "";
    const size_t start = k + tag.size();
    return dump.substr(start, dump.find_first_of(",}", start) - start);
  }
};

TEST_F(EditorE2E, APackDrawnInTheEditorIsTestedSavedDecompiledAndPlayed) {
  GameRunner game("editor");
  WriteKnownPlayer(game.Home);
  TScript s;
  s.At(1, "key Escape");
  s.At(129, std::string("click ") + kOptions);
  s.At(20, std::string("click ") + kGoLevelEditor);
  s.At(20, "dump choice.json");
  s.At(2, "text \"My Pack\"");
  s.At(8, std::string("click ") + kCreatePack);
  s.At(20, "dump created.json");
  // The options: 240 seconds, no skulls, background 3, water instead of
  // shadow pieces.
  s.Click(kBarOptions);
  s.Retype(kLevelTime, 5, "240");
  s.Retype(kMostSkulls, 4, "0");
  s.Click(kBackgroundUp);
  s.Click(kBackgroundUp);
  s.Click(kAllowWater);
  s.Click(kAllowShadow);
  s.Click(kOptionsOk);
  // The clean asks first, as the level has cells to lose: "Yes", and every
  // cell is gone.
  s.Click(kBarClean);
  s.At(6, "dump asked.json");
  s.Click(kConfirmYes);
  s.At(6, "dump cleaned.json");
  // Three groups of three boxes, each under a line of trees (orange fields,
  // blue fields, iron), and wood under fire; above them pieces that fall in
  // once the first lines have broken.
  const std::vector<std::pair<std::string, int>> groups = {{"orange", 2}, {"blue", 6}, {"iron", 10}};
  for (const auto& [tool, c] : groups) {
    s.Tool(tool);
    s.Drag({{c, 12}, {c + 1, 12}, {c + 2, 12}});
  }
  s.Tool("wood");
  s.Drag({{14, 12}, {15, 12}, {16, 12}});
  // Two spawn points in pockets of their own, and the eight edge pieces.
  s.Tool("tab");
  s.Drag({{17, 2}});
  s.Drag({{18, 5}});
  s.Tool("spawn");
  s.Cell(17, 2);
  s.Cell(18, 5);
  for (int i = 1; i <= 8; ++i) {
    s.Tool("edge" + std::to_string(i));
    s.Cell(1 + i, 1);
  }
  s.Tool("tree");
  for (const auto& [tool, c] : groups) {
    for (int k = 0; k < 3; ++k) s.Cell(c + k, 12);
    s.Cell(c + 1, 10);
  }
  s.Tool("fire");
  for (int c : {14, 15, 16}) s.Cell(c, 12);
  for (const auto& [tool, c] : groups) {
    s.Cell(c + 2, 11);
    s.Cell(c, 10);
  }
  s.Tool("water");
  for (const auto& [tool, c] : groups) {
    s.Cell(c, 11);
    s.Cell(c + 1, 11);
    s.Cell(c + 2, 10);
  }
  s.At(10, "dump painted.json");
  s.Click(kBarSave);
  s.At(10, "dump saved.json");
  // The test: the lines over the fields, the iron and the wood break by
  // themselves; one swap in each group breaks what became wood.
  s.Click(kBarTest);
  s.At(150, "dump testing.json");
  for (const auto& [tool, c] : groups) {
    s.At(10, "click " + game_test::CellCentre(c + 2, 12));
    s.At(12, "click " + game_test::CellCentre(c + 2, 11));
    s.At(60, "mouse 400 300");
  }
  s.At(500, "dump result.json");
  s.At(2, std::string("click ") + kTestOk);
  s.At(20, "dump tested.json");
  // Painting again: the level is no longer tested.
  s.Tool("tree");
  s.Cell(15, 11);
  s.At(10, "dump repainted.json");
  s.Click(kBarSave);
  s.Click(kBarInsert);
  s.At(10, "dump appended.json");
  s.Click(kBarGoTo);
  s.At(10, "text \"1\"");
  s.At(6, std::string("click ") + kGoToOk);
  s.At(10, "dump level1.json");
  s.Click(kBarExit);
  s.At(20, "dump menu.json");
  // The pack is offered for play and its level 1 plays.
  s.At(150, std::string("click ") + kAdventure);
  s.At(20, "dump chooser.json");
  s.At(6, std::string("click ") + kPackSecond);
  s.At(6, std::string("click ") + kPackOk);
  s.At(700, "click 400 300");
  s.At(600, "dump play.json");
  s.At(2, "quit");
  ASSERT_EQ(game.Run("--seed 7 --script " + game.Script("s.txt", s.Text())), 0) << game.Errors;

  const std::string choice = game.Read("choice.json");
  EXPECT_NE(choice.find("\"screen_state_name\":\"editor\""), std::string::npos);
  EXPECT_NE(choice.find("\"gui\":[\"formLevelEditorSelect\"]"), std::string::npos);
  EXPECT_EQ(Editor(choice, "packs"), "[]") << "the story pack is never offered";
  const std::string created = game.Read("created.json");
  EXPECT_EQ(Editor(created, "pack"), "\"My Pack\"");
  EXPECT_EQ(Editor(created, "bar_level"), "\"Level 1/1\"");
  EXPECT_EQ(Editor(game.Read("asked.json"), "question"), "\"Are you sure you want to clean this level?\"");
  EXPECT_EQ(game_test::DumpNumber(game.Read("cleaned.json"), "tab", "cells"), 0);
  EXPECT_EQ(Editor(game.Read("painted.json"), "modified"), "1");
  EXPECT_EQ(Editor(game.Read("saved.json"), "modified"), "0");
  EXPECT_NE(game.Read("testing.json").find("\"screen_state_name\":\"editor_test\""), std::string::npos);
  const std::string result = game.Read("result.json");
  EXPECT_NE(result.find("\"LevelTestCompleted\""), std::string::npos) << "the test is won";
  const std::string tested = game.Read("tested.json");
  EXPECT_EQ(Editor(tested, "status"), "\"Tested Ok\"");
  EXPECT_NE(tested.find("\"screen_state_name\":\"editor\""), std::string::npos);
  EXPECT_EQ(Editor(game.Read("repainted.json"), "status"), "\"Not Tested\"");
  const std::string appended = game.Read("appended.json");
  EXPECT_EQ(Editor(appended, "bar_level"), "\"Level 2/2\"");
  EXPECT_EQ(Editor(game.Read("level1.json"), "bar_level"), "\"Level 1/2\"");
  EXPECT_NE(game.Read("menu.json").find("\"screen_state_name\":\"main_menu\""), std::string::npos);
  EXPECT_TRUE(game.Exists("levels/My Pack/2.lvl"));

  // The files decompile to exactly the painted grid.
  const fs::path text = game.Home / "level1.txt";
  const std::string command = "\"" + GW_BUILD_DIR + "/levelc\" decompile \"" +
                              (game.Home / "levels" / "My Pack" / "1.lvl").string() + "\" \"" + text.string() + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::string decompiled = game_test::ReadFile(text);
  decompiled = decompiled.substr(decompiled.find('\n') + 1);  // past the heading comment
  EXPECT_EQ(decompiled,
            "time 240\n"
            "background 3\n"
            "max-skulls 0\n"
            "allow fire tree water\n"
            "tiles\n"
            "\t.12345678.........\n"
            "\t................_.\n"
            "\t..................\n"
            "\t..................\n"
            "\t................._\n"
            "\t..................\n"
            "\t..................\n"
            "\t..................\n"
            "\t..................\n"
            "\t.___.___.___......\n"
            "\t.___.___.___.._...\n"
            "\t.ooo.bbb.iii.www..\n"
            "spawns\n"
            "\t..................\n"
            "\t................v.\n"
            "\t..................\n"
            "\t..................\n"
            "\t.................v\n"
            "\t..................\n"
            "\t..................\n"
            "\t..................\n"
            "\t..................\n"
            "\t..................\n"
            "\t..................\n"
            "\t..................\n"
            "pieces\n"
            "\t..................\n"
            "\t..................\n"
            "\t..................\n"
            "\t..................\n"
            "\t..................\n"
            "\t..................\n"
            "\t..................\n"
            "\t..................\n"
            "\t..................\n"
            "\t.ftw.ftw.ftw......\n"
            "\t.wwf.wwf.wwf..t...\n"
            "\t.ttt.ttt.ttt.fff..\n");

  const std::string chooser = game.Read("chooser.json");
  EXPECT_NE(chooser.find("\"fmLevelPacks\""), std::string::npos);
  EXPECT_EQ(game_test::DumpNumber(chooser, "level_packs"), 2);
  const std::string play = game.Read("play.json");
  EXPECT_NE(play.find("\"screen_state_name\":\"playing\""), std::string::npos) << play.substr(0, 300);
  EXPECT_NE(play.find("\"pack\":\"My Pack\""), std::string::npos);
  EXPECT_EQ(game_test::DumpNumber(play, "level", "board"), 1);
}

// A test play after a relaxed game: relaxed play stands the level clock
// still, but the test races it all the same, and its result tells the time
// the test took.
TEST_F(EditorE2E, TestPlayAfterARelaxedGameRunsItsClockAndTellsTheTimeTaken) {
  GameRunner game("editor-relaxed");
  ASSERT_TRUE(game.WriteLevel("Tess", 1, {"TTBT", "BFWF"}, {"1121", "1111"}, 100)) << game.Errors;
  TScript s;
  s.At(300, "key Escape");  // the relaxed game's quit menu
  s.At(20, std::string("click ") + kQuitNoSave);
  s.At(150, std::string("click ") + kOptions);
  s.At(20, std::string("click ") + kGoLevelEditor);
  s.At(20, std::string("click ") + kEditPack);
  s.At(20, "dump editing.json");
  s.Click(kBarTest);
  s.At(4 * 121 + 10, "dump testing.json");
  s.Cell(3, 1);
  s.Cell(4, 1);
  s.At(600, "dump result.json");
  s.At(2, "quit");
  ASSERT_EQ(game.Run("--seed 7 --relaxed --play Tess 1 --script " + game.Script("s.txt", s.Text())), 0)
      << game.Errors;
  const std::string editing = game.Read("editing.json");
  ASSERT_EQ(Editor(editing, "in_level"), "1") << editing.substr(0, 300);
  EXPECT_EQ(game_test::DumpNumber(editing, "relaxed"), 1) << "the last game was relaxed";
  const std::string testing = game.Read("testing.json");
  EXPECT_NE(testing.find("\"screen_state_name\":\"editor_test\""), std::string::npos);
  EXPECT_EQ(game_test::DumpNumber(testing, "elapsed_seconds", "board"), 4) << "the test's clock runs";
  EXPECT_NE(testing.find("\"clock\":\"96\""), std::string::npos) << "the bar shows the seconds left";
  const std::string result = game.Read("result.json");
  ASSERT_NE(result.find("\"LevelTestCompleted\""), std::string::npos) << result.substr(0, 300);
  // The win came a moment after the fourth second.
  const std::string taken = "\"ltTimeToComplete\":\"00:00:0";
  const size_t at = result.find(taken);
  ASSERT_NE(at, std::string::npos) << result.substr(result.find("\"labels\""), 300);
  const int seconds = result[at + taken.size()] - '0';
  EXPECT_GE(seconds, 4) << "the time taken";
  EXPECT_LE(seconds, 5);
  EXPECT_NE(result.find("\"ltTimeRemain\":\"00:01:" + std::to_string(100 - seconds - 60) + "\""), std::string::npos);
}

// "OK" in the level's options marks the level changed: "Save" and "Cancel"
// wake up.
TEST_F(EditorE2E, TheOptionsOkMarksTheLevelChanged) {
  GameRunner game("editor-options");
  WriteKnownPlayer(game.Home);
  TScript s;
  s.At(1, "key Escape");
  s.At(129, std::string("click ") + kOptions);
  s.At(20, std::string("click ") + kGoLevelEditor);
  s.At(2, "text \"Opts\"");
  s.At(8, std::string("click ") + kCreatePack);
  s.At(20, "dump created.json");
  s.Click(kBarOptions);
  s.Retype(kLevelTime, 5, "150");
  s.Click(kOptionsOk);
  s.At(10, "dump applied.json");
  s.At(2, "quit");
  ASSERT_EQ(game.Run("--seed 7 --script " + game.Script("s.txt", s.Text())), 0) << game.Errors;
  const std::string created = game.Read("created.json");
  EXPECT_EQ(Editor(created, "modified"), "0");
  EXPECT_EQ(created.find("\"gpSave\""), std::string::npos);
  const std::string applied = game.Read("applied.json");
  EXPECT_EQ(Editor(applied, "modified"), "1");
  EXPECT_NE(applied.find("\"gpSave\""), std::string::npos) << "Save is enabled";
  EXPECT_NE(applied.find("\"gpCancel\""), std::string::npos) << "Cancel is enabled";
  EXPECT_NE(applied.find("\"level_time\":150"), std::string::npos);
}

// "Edit Pack" says what is missing rather than doing nothing; with packs
// listed the first one is chosen already.
TEST_F(EditorE2E, EditPackWithNothingToEditSaysWhatToDo) {
  for (const bool withPack : {false, true}) {
    GameRunner game(withPack ? "editor-edit-one" : "editor-edit-none");
    WriteKnownPlayer(game.Home);
    if (withPack) {
      ASSERT_TRUE(game.WriteLevel("Tess", 1, {"TTBT", "BFWF"}, {"1121", "1111"})) << game.Errors;
    }
    TScript s;
    s.At(1, "key Escape");
    s.At(129, std::string("click ") + kOptions);
    s.At(20, std::string("click ") + kGoLevelEditor);
    s.At(20, std::string("tap ") + kEditPack);
    s.At(20, "dump pressed.json");
    s.At(2, "quit");
    ASSERT_EQ(game.Run("--seed 7 --script " + game.Script("s.txt", s.Text())), 0) << game.Errors;
    const std::string pressed = game.Read("pressed.json");
    if (withPack) {
      EXPECT_EQ(Editor(pressed, "in_level"), "1") << "the first pack is chosen when the list opens";
      EXPECT_EQ(Editor(pressed, "pack"), "\"Tess\"");
    } else {
      EXPECT_EQ(Editor(pressed, "in_level"), "0");
      EXPECT_EQ(Editor(pressed, "message"),
                "\"There is no level pack to edit yet. Type a name for a new pack and press \\\"Create\\\".\"");
    }
  }
}

// The bar's icons name themselves when the cursor rests on one for half a
// second; moving on or pressing hides the name.
TEST_F(EditorE2E, ToolTipsNameEachIconAfterHalfASecondsRest) {
  GameRunner game("editor-tips");
  WriteKnownPlayer(game.Home);
  const std::string spawn = std::to_string(ToolX("spawn")) + " 537";
  const std::string iron = std::to_string(ToolX("iron")) + " 537";
  TScript s;
  s.At(1, "key Escape");
  s.At(129, std::string("click ") + kOptions);
  s.At(20, std::string("click ") + kGoLevelEditor);
  s.At(2, "text \"Tips\"");
  s.At(8, std::string("click ") + kCreatePack);
  s.At(20, "mouse " + spawn);
  s.At(40, "dump early.json");
  s.At(30, "dump spawn.json");
  s.At(2, "screenshot tip.png");
  s.At(2, "mouse " + iron);
  s.At(4, "dump moved.json");
  s.At(70, "dump iron.json");
  s.At(2, "tap " + iron);  // a real mouse's quick click: the tool is taken, the tip goes
  s.At(4, "dump tapped.json");
  s.At(70, "dump back.json");
  s.At(2, "click " + spawn);  // a press held over a frame
  s.At(4, "dump clicked.json");
  s.At(2, "mouse 400 300");  // over the board: no tip
  s.At(80, "dump board.json");
  s.At(2, "quit");
  ASSERT_EQ(game.Run("--seed 7 --script " + game.Script("s.txt", s.Text())), 0) << game.Errors;
  EXPECT_EQ(Editor(game.Read("early.json"), "tooltip"), "\"\"") << "not before half a second";
  EXPECT_EQ(Editor(game.Read("spawn.json"), "tooltip"), "\"Spawn point (new pieces fall from it)\"");
  EXPECT_EQ(Editor(game.Read("moved.json"), "tooltip"), "\"\"");
  EXPECT_EQ(Editor(game.Read("iron.json"), "tooltip"), "\"Iron box\"");
  const std::string tapped = game.Read("tapped.json");
  EXPECT_EQ(Editor(tapped, "tooltip"), "\"\"");
  EXPECT_EQ(Editor(tapped, "tool"), "14") << "the tap took the iron tool";
  EXPECT_EQ(Editor(game.Read("back.json"), "tooltip"), "\"Iron box\"") << "resting again names it again";
  const std::string clicked = game.Read("clicked.json");
  EXPECT_EQ(Editor(clicked, "tooltip"), "\"\"");
  EXPECT_EQ(Editor(clicked, "tool"), "2");
  EXPECT_EQ(Editor(game.Read("board.json"), "tooltip"), "\"\"");
  EXPECT_GT(game.Read("tip.png").size(), 1000u);
}

// The "-" key in a test play goes one level back, and the test goes on
// there; Escape then leaves the test with the mouse reporting each press
// once, and a drag tool in hand still paints every cell it is dragged over.
TEST_F(EditorE2E, MinusInATestGoesBackALevelAndEscapeLeavesItClickByClick) {
  GameRunner game("editor-minus");
  WriteKnownPlayer(game.Home);
  ASSERT_TRUE(game.WriteLevel("Duo", 1, {"TTBT", "BFWF"}, {"1121", "1111"})) << game.Errors;
  ASSERT_TRUE(game.WriteLevel("Duo", 2, {"FTWB", "WBTF", "TFBW"}, {"2111", "1111", "1112"})) << game.Errors;
  TScript s;
  s.At(1, "key Escape");
  s.At(129, std::string("click ") + kOptions);
  s.At(20, std::string("click ") + kGoLevelEditor);
  s.At(20, std::string("click ") + kEditPack);
  s.Click(kBarNext);
  s.Tool("wood");
  s.Click(kBarTest);
  s.At(60, "dump level2.json");
  s.At(2, "char -");
  s.At(30, "dump level1.json");
  s.At(2, "key Escape");
  s.At(10, "dump editor.json");
  s.Drag({{6, 6}, {7, 6}, {8, 6}});
  s.At(10, "dump dragged.json");
  s.At(2, "quit");
  ASSERT_EQ(game.Run("--seed 7 --script " + game.Script("s.txt", s.Text())), 0) << game.Errors;
  const std::string level2 = game.Read("level2.json");
  ASSERT_NE(level2.find("\"screen_state_name\":\"editor_test\""), std::string::npos) << level2.substr(0, 300);
  EXPECT_EQ(game_test::DumpNumber(level2, "level", "board"), 2);
  const std::string level1 = game.Read("level1.json");
  EXPECT_NE(level1.find("\"screen_state_name\":\"editor_test\""), std::string::npos) << "the test goes on";
  EXPECT_EQ(game_test::DumpNumber(level1, "level", "board"), 1);
  EXPECT_EQ(game_test::DumpGrid(level1).At(3, 1).Tab, ttWood) << "level 1's own cells";
  const std::string editor = game.Read("editor.json");
  EXPECT_NE(editor.find("\"screen_state_name\":\"editor\""), std::string::npos);
  EXPECT_EQ(Editor(editor, "clear_on_update"), "1") << "whatever the tool in hand";
  EXPECT_EQ(Editor(editor, "tool"), "1");
  const TBotGrid dragged = game_test::DumpGrid(game.Read("dragged.json"));
  for (int c = 6; c <= 8; ++c) EXPECT_EQ(dragged.At(c, 6).Tab, ttWood) << "column " << c;
}

}  // namespace
