// The front door, end to end: the game binary run headless with input
// scripts through the main menu, the player forms, the pack chooser, the
// continue dialog, the options and the quit menu, with the files they leave
// in the game's folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/GameRunner.h"

namespace fs = std::filesystem;

namespace {

using game_test::GameRunner;

// Screen points of the controls the scripts click (the forms are placed by
// the game: the player forms and the options a little right of the middle,
// the chooser and the continue dialog at (280, 100)).
constexpr const char* kAdventure = "100 270";
constexpr const char* kRelaxed = "100 330";
constexpr const char* kOptions = "100 385";
constexpr const char* kQuitButton = "100 530";
constexpr const char* kHiscores = "100 460";
constexpr const char* kPlayerSign = "720 70";
constexpr const char* kCreateOk = "424 348";
constexpr const char* kCreateCancel = "570 348";
constexpr const char* kSelectFirst = "437 202";
constexpr const char* kSelectNew = "397 419";
constexpr const char* kSelectOk = "497 419";
constexpr const char* kSelectRemove = "597 419";
constexpr const char* kRemoveYes = "424 349";
constexpr const char* kCbxFull = "387 223";
constexpr const char* kCbxMusic = "387 253";
constexpr const char* kCbxCursor = "387 283";
constexpr const char* kCbxSound = "387 313";
// "Back" shares the last row with "Controls", on the right.
constexpr const char* kOptionsBack = "564 402";
constexpr const char* kContinueOk = "367 239";
constexpr const char* kContinueNew = "513 239";
constexpr const char* kPackSecond = "400 170";
constexpr const char* kPackOk = "367 369";
constexpr const char* kQuitResume = "397 221";
constexpr const char* kQuitRestart = "397 265";
constexpr const char* kQuitSave = "397 309";
constexpr const char* kQuitNoSave = "397 353";

class MenusE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
  }
};

using game_test::ProgressBytes;
using game_test::ReadBytes;
using game_test::WriteBytes;
using game_test::WriteConfig;
using game_test::WriteKnownPlayer;

// Numbers of the one-line JSON dump: anywhere, of the player, of the board.
long Field(const std::string& json, const std::string& key) { return game_test::DumpNumber(json, key); }
long PlayerField(const std::string& json, const std::string& key) {
  return game_test::DumpNumber(json, key, "player");
}
long BoardField(const std::string& json, const std::string& key) { return game_test::DumpNumber(json, key, "board"); }
// The text of the "gui" array: the forms on screen.
std::string Forms(const std::string& json) {
  const size_t at = json.find("\"gui\":[");
  if (at == std::string::npos) return "";
  return json.substr(at + 7, json.find(']', at) - at - 7);
}
bool Has(const std::string& json, const std::string& text) { return json.find(text) != std::string::npos; }
size_t Count(const std::string& json, const std::string& text) {
  return static_cast<size_t>(game_test::Occurrences(json, text));
}
std::vector<uint8_t> Progress(int level, int score, int lives) { return ProgressBytes(level, score, lives); }

// A script that skips the logo at tick 1, so the menu opens at once; clicks
// on the menu count from tick 122 on.
std::string Script(const std::string& body) { return "1 key Escape\n" + body; }

TEST_F(MenusE2E, FirstStartCreatesAPlayerAndAdventureStartsLevelOne) {
  GameRunner game("first-start");
  const std::string script = game.Script("s.txt", Script(std::string("20 dump create.json\n") +
                                                          "30 text \"Ann Lee\"\n"
                                                          "40 click " + kCreateOk + "\n"
                                                          "50 dump menu.json\n"
                                                          "200 click " + kAdventure + "\n"
                                                          "210 dump story.json\n"
                                                          "340 click 400 300\n"
                                                          "350 dump map.json\n"
                                                          "600 click 400 300\n"
                                                          "900 dump play.json\n"
                                                          "902 quit\n"));
  ASSERT_EQ(game.Run("--seed 4 --script " + script), 0) << game.Errors;
  const std::string create = game.Read("create.json");
  EXPECT_EQ(Forms(create), "\"CreateNewPlayer\"");
  EXPECT_EQ(Field(create, "dialog_open"), 1);
  EXPECT_EQ(Field(create, "fullscreen"), 0);  // headless: never full screen
  const std::string menu = game.Read("menu.json");
  EXPECT_EQ(Forms(menu), "");
  EXPECT_TRUE(Has(menu, "\"name\":\"Ann Lee\""));
  EXPECT_TRUE(game.Exists("save/Ann Lee.sav"));
  // The seven buttons, the player sign lit now that there is a player.
  EXPECT_TRUE(Has(menu, "{\"kind\":5,\"alpha\":255,\"visible\":1}"));
  EXPECT_TRUE(Has(menu, "{\"kind\":6,\"alpha\":255,\"visible\":0}"));
  // A new game of the story pack opens with the story; a click skips it to
  // the map of level 1.
  const std::string story = game.Read("story.json");
  EXPECT_EQ(Field(story, "screen_state"), 7);
  EXPECT_TRUE(Has(story, "\"menu_buttons\":[]"));
  const std::string map = game.Read("map.json");
  EXPECT_EQ(Field(map, "screen_state"), 8);
  EXPECT_TRUE(Has(map, "\"pack\":\"Game Levels\""));
  EXPECT_EQ(BoardField(map, "level"), 1);
  EXPECT_TRUE(Has(map, "\"tutorial_flags\":[2,2,2,2,2,2,2]"));
  // The map's click starts level 1.
  const std::string play = game.Read("play.json");
  EXPECT_EQ(Field(play, "screen_state"), 2);
  EXPECT_EQ(BoardField(play, "level"), 1);
  // A new game is saved as it starts, and the options name the player.
  EXPECT_EQ(ReadBytes(game.Home / "save" / "Ann Lee - Game Levels.sa2"), Progress(1, 0, 3));
  const std::vector<uint8_t> cfg = ReadBytes(game.Home / "arvanels.cfg");
  ASSERT_EQ(cfg.size(), 105u);
  EXPECT_EQ(std::string(cfg.begin() + 1, cfg.begin() + 1 + cfg[0]), "Ann Lee");
}

TEST_F(MenusE2E, APlayersFilesGoToTheSaveFolderAndTheGamesFolderStaysAsItWas) {
  // As an installed game runs: the shipped files in one folder, everything
  // the player makes in another.
  GameRunner game("save-folder");
  const fs::path saves = game.Home / "player-files";
  const std::string script = game.Script("s.txt", Script(std::string("30 text \"Ann\"\n"
                                                                      "40 click ") + kCreateOk + "\n"
                                                          "200 click " + kHiscores + "\n"
                                                          "300 quit\n"));
  std::vector<std::string> before;
  for (const auto& e : fs::recursive_directory_iterator(game.Home)) before.push_back(e.path().string());
  ASSERT_EQ(game.Run("--seed 4 --save-home \"" + saves.string() + "\" --script " + script), 0) << game.Errors;
  EXPECT_TRUE(fs::exists(saves / "save" / "Ann.sav"));
  EXPECT_TRUE(fs::exists(saves / "arvanels.cfg"));
  EXPECT_TRUE(fs::exists(saves / "data" / "hiscore.arv")) << "the first table comes from the shipped one";
  EXPECT_EQ(game.Errors.find("hiscore"), std::string::npos) << "without a word: " << game.Errors;
  std::vector<std::string> after;
  for (const auto& e : fs::recursive_directory_iterator(game.Home)) {
    if (e.path().string().starts_with(saves.string()) || e.path().filename() == "stderr.txt" ||
        e.path().filename() == "stdout.txt")
      continue;
    after.push_back(e.path().string());
  }
  std::sort(before.begin(), before.end());
  std::sort(after.begin(), after.end());
  EXPECT_EQ(before, after);
}

TEST_F(MenusE2E, ClicksInTheFirstHundredTwentyTicksDoNothing) {
  GameRunner game("early-click");
  WriteKnownPlayer(game.Home, "Ann", 1, 0, 3);
  WriteConfig(game.Home, "Ann");
  const std::string script = game.Script("s.txt", Script(std::string("60 click ") + kAdventure + "\n" +
                                                          "70 dump early.json\n"
                                                          "130 click " + kAdventure + "\n"
                                                          "140 dump late.json\n"
                                                          "142 quit\n"));
  ASSERT_EQ(game.Run("--script " + script), 0) << game.Errors;
  EXPECT_EQ(Field(game.Read("early.json"), "screen_state"), 1);
  EXPECT_EQ(Field(game.Read("late.json"), "screen_state"), 7);  // the story
}

TEST_F(MenusE2E, SaveAndQuitThenContinueResumesTheSavedLevel) {
  GameRunner game("continue");
  WriteKnownPlayer(game.Home, "Ann", 3, 4200, 5);
  WriteConfig(game.Home, "Ann");
  const std::string script = game.Script(
      "s.txt", Script(std::string("130 click ") + kAdventure + "\n" +
                      "140 dump dialog.json\n"
                      "150 click " + kContinueOk + "\n"
                      "160 dump resumed.json\n"
                      "400 click 400 300\n"  // the map's click starts the level
                      "700 key Escape\n"
                      "710 dump quitmenu.json\n"
                      "720 click " + kQuitSave + "\n"
                      "730 dump menu.json\n"
                      "732 quit\n"));
  ASSERT_EQ(game.Run("--seed 9 --script " + script), 0) << game.Errors;
  const std::string dialog = game.Read("dialog.json");
  EXPECT_EQ(Forms(dialog), "\"formContinue\"");
  EXPECT_EQ(PlayerField(dialog, "level_reached"), 3);
  const std::string resumed = game.Read("resumed.json");
  EXPECT_EQ(Field(resumed, "screen_state"), 8);  // the map of the saved level
  EXPECT_EQ(BoardField(resumed, "level"), 3);
  EXPECT_EQ(PlayerField(resumed, "score"), 4200);
  EXPECT_EQ(PlayerField(resumed, "lives"), 5);
  EXPECT_EQ(PlayerField(resumed, "next_life_score"), 100000);
  EXPECT_EQ(PlayerField(resumed, "level_start_score"), 4200);
  EXPECT_EQ(Forms(resumed), "");
  EXPECT_EQ(Field(resumed, "dialog_open"), 0);
  const std::string quitmenu = game.Read("quitmenu.json");
  EXPECT_EQ(Forms(quitmenu), "\"QuitMenu\"");
  EXPECT_EQ(Field(quitmenu, "dialog_open"), 1);
  EXPECT_EQ(Field(game.Read("menu.json"), "screen_state"), 1);
  EXPECT_EQ(ReadBytes(game.Home / "save" / "Ann - Game Levels.sa2"), Progress(3, 4200, 5));

  const std::string again = game.Script(
      "t.txt", Script(std::string("130 click ") + kAdventure + "\n" + "140 dump dialog2.json\n" +
                      "150 click " + kContinueNew + "\n" + "160 dump story.json\n300 click 400 300\n" +
                      "310 dump fresh.json\n312 quit\n"));
  ASSERT_EQ(game.Run("--seed 9 --script " + again), 0) << game.Errors;
  EXPECT_EQ(Forms(game.Read("dialog2.json")), "\"formContinue\"");
  // "New Game" starts the pack from its first level with a fresh score,
  // after the story.
  EXPECT_EQ(Field(game.Read("story.json"), "screen_state"), 7);
  const std::string fresh = game.Read("fresh.json");
  EXPECT_EQ(BoardField(fresh, "level"), 1);
  EXPECT_EQ(PlayerField(fresh, "score"), 0);
  EXPECT_EQ(PlayerField(fresh, "lives"), 3);
  EXPECT_EQ(ReadBytes(game.Home / "save" / "Ann - Game Levels.sa2"), Progress(1, 0, 3));
}

TEST_F(MenusE2E, QuitMenuResumesRestartsAndLeavesWithoutSaving) {
  GameRunner game("quitmenu");
  WriteKnownPlayer(game.Home, "Ann", 2, 1000, 2);
  WriteConfig(game.Home, "Ann");
  const std::string script = game.Script(
      "s.txt", Script(std::string("130 click ") + kAdventure + "\n" +
                      "140 click " + kContinueOk + "\n"
                      "400 click 400 300\n"  // the map's click starts the level
                      "700 key Escape\n"
                      "710 click " + kQuitResume + "\n"
                      "720 dump resumed.json\n"
                      "730 key Escape\n"
                      "740 key Escape\n"
                      "750 dump escaped.json\n"
                      "760 key Escape\n"
                      "770 click " + kQuitRestart + "\n"
                      "780 dump restarted.json\n"
                      "790 key Escape\n"
                      "800 dump onelife.json\n"
                      "810 click " + kQuitRestart + "\n"
                      "820 dump stillone.json\n"
                      "830 click " + kQuitNoSave + "\n"
                      "840 dump menu.json\n"
                      "842 quit\n"));
  ASSERT_EQ(game.Run("--seed 2 --script " + script), 0) << game.Errors;
  const std::string resumed = game.Read("resumed.json");
  EXPECT_EQ(Forms(resumed), "");
  EXPECT_EQ(Field(resumed, "dialog_open"), 0);
  // A second Escape closes the menu again.
  EXPECT_EQ(Forms(game.Read("escaped.json")), "");
  const std::string restarted = game.Read("restarted.json");
  EXPECT_EQ(Forms(restarted), "");
  EXPECT_EQ(PlayerField(restarted, "lives"), 1);
  EXPECT_EQ(PlayerField(restarted, "score"), 1000);
  // With one life left, "Restart Level" does nothing.
  EXPECT_EQ(Forms(game.Read("onelife.json")), "\"QuitMenu\"");
  const std::string stillone = game.Read("stillone.json");
  EXPECT_EQ(Forms(stillone), "\"QuitMenu\"");
  EXPECT_EQ(PlayerField(stillone, "lives"), 1);
  EXPECT_EQ(Field(game.Read("menu.json"), "screen_state"), 1);
  // Quitting without saving leaves the saved game as it was.
  EXPECT_EQ(ReadBytes(game.Home / "save" / "Ann - Game Levels.sa2"), Progress(2, 1000, 2));
}

TEST_F(MenusE2E, PlayersKeepSeparateProgressAndRelaxedPlayIsSeparate) {
  GameRunner game("players");
  WriteKnownPlayer(game.Home, "Ann", 4, 3000, 3);
  WriteConfig(game.Home, "Ann");
  const std::string script = game.Script(
      "s.txt", Script(std::string("130 click ") + kPlayerSign + "\n" +
                      "140 dump select.json\n"
                      "150 click " + kSelectNew + "\n"
                      "160 dump create.json\n"
                      "170 text \"Bob\"\n"
                      "180 click " + kCreateOk + "\n"
                      "190 click " + kAdventure + "\n"
                      "320 click 400 300\n"  // past the story
                      "330 dump bob.json\n"
                      "600 click 400 300\n"  // the map's click
                      "900 key Escape\n"
                      "910 click " + kQuitSave + "\n"
                      "1050 click " + kRelaxed + "\n"
                      "1060 dump relaxed.json\n"
                      "1350 click 400 300\n"
                      "1650 key Escape\n"
                      "1660 click " + kQuitSave + "\n"
                      "1800 click " + kPlayerSign + "\n"
                      "1810 click " + kSelectFirst + "\n"
                      "1820 click " + kSelectOk + "\n"
                      "1830 dump ann.json\n"
                      "1832 quit\n"));
  ASSERT_EQ(game.Run("--seed 5 --script " + script), 0) << game.Errors;
  const std::string select = game.Read("select.json");
  EXPECT_EQ(Forms(select), "\"SelectPlayer\"");
  EXPECT_EQ(Forms(game.Read("create.json")), "\"CreateNewPlayer\"");
  const std::string bob = game.Read("bob.json");
  EXPECT_TRUE(Has(bob, "\"name\":\"Bob\""));
  EXPECT_EQ(Field(bob, "screen_state"), 8);
  EXPECT_EQ(BoardField(bob, "level"), 1);
  const std::string relaxed = game.Read("relaxed.json");
  EXPECT_EQ(Field(relaxed, "relaxed"), 1);
  EXPECT_EQ(Field(relaxed, "screen_state"), 8);  // relaxed play has no story
  EXPECT_TRUE(game.Exists("save/Bob.sav"));
  EXPECT_TRUE(game.Exists("save/Bob - Game Levels.sa2"));
  EXPECT_TRUE(game.Exists("save/Bob - Game Levels Relaxed.sa2"));
  // Nothing of Bob's games touched Ann's.
  EXPECT_EQ(ReadBytes(game.Home / "save" / "Ann - Game Levels.sa2"), Progress(4, 3000, 3));
  EXPECT_FALSE(game.Exists("save/Ann - Game Levels Relaxed.sa2"));
  // Choosing Ann again loads her progress (relaxed mode is still on from
  // Bob's game, so hers starts afresh there).
  const std::string ann = game.Read("ann.json");
  EXPECT_TRUE(Has(ann, "\"name\":\"Ann\""));
  EXPECT_EQ(Forms(ann), "");
}

TEST_F(MenusE2E, RemovingAPlayerDeletesOnlyTheMarker) {
  GameRunner game("remove");
  WriteKnownPlayer(game.Home, "Ann", 2, 500, 3);
  WriteKnownPlayer(game.Home, "Cid", 5, 900, 3);
  WriteConfig(game.Home, "Cid");
  const std::string script = game.Script(
      "s.txt", Script(std::string("130 click ") + kPlayerSign + "\n" +
                      "140 click " + kSelectFirst + "\n"
                      "150 click " + kSelectRemove + "\n"
                      "160 dump ask.json\n"
                      "170 click " + kRemoveYes + "\n"
                      "180 dump after.json\n"
                      "182 quit\n"));
  ASSERT_EQ(game.Run("--script " + script), 0) << game.Errors;
  EXPECT_EQ(Forms(game.Read("ask.json")), "\"formRemoveConfirmation\"");
  EXPECT_EQ(Forms(game.Read("after.json")), "\"SelectPlayer\"");
  EXPECT_FALSE(game.Exists("save/Ann.sav"));
  EXPECT_TRUE(game.Exists("save/Ann - Game Levels.sa2"));
  EXPECT_TRUE(game.Exists("save/Cid.sav"));
}

TEST_F(MenusE2E, OptionsAreSavedAndComeBackAfterARestart) {
  GameRunner game("options");
  WriteKnownPlayer(game.Home, "Ann", 1, 0, 3);
  WriteConfig(game.Home, "Ann");
  const std::string script = game.Script(
      "s.txt", Script(std::string("130 click ") + kOptions + "\n" +
                      "140 dump options.json\n"
                      "150 click " + kCbxMusic + "\n"
                      "160 click " + kCbxSound + "\n"
                      "170 dump soundoff.json\n"
                      "180 click " + kCbxCursor + "\n"
                      "190 click " + kCbxFull + "\n"
                      "200 click " + kOptionsBack + "\n"
                      "210 dump early.json\n"
                      "420 click " + kOptionsBack + "\n"
                      "430 dump closed.json\n"
                      "432 quit\n"));
  ASSERT_EQ(game.Run("--script " + script), 0) << game.Errors;
  EXPECT_EQ(Forms(game.Read("options.json")), "\"GameOptions\"");
  const std::string soundoff = game.Read("soundoff.json");
  EXPECT_TRUE(Has(soundoff, "\"music:stop:MainMenuMusic\""));
  // Switching the sound off is heard no more: only the music box clicked.
  EXPECT_TRUE(Has(soundoff, "\"options\":{\"music\":0,\"sound\":0,"));
  EXPECT_EQ(Count(soundoff, "\"play:checkbox.ogg\""), 1u) << soundoff.substr(soundoff.find("audio_log"));
  // "Back" is ignored in the first 300 ticks of the menu.
  EXPECT_EQ(Forms(game.Read("early.json")), "\"GameOptions\"");
  const std::string closed = game.Read("closed.json");
  EXPECT_EQ(Forms(closed), "");
  EXPECT_EQ(Field(closed, "dialog_open"), 0);
  const std::vector<uint8_t> cfg = ReadBytes(game.Home / "arvanels.cfg");
  ASSERT_EQ(cfg.size(), 105u);
  EXPECT_EQ(cfg[101], 1);  // full screen
  EXPECT_EQ(cfg[102], 0);  // music
  EXPECT_EQ(cfg[103], 1);  // system cursor
  EXPECT_EQ(cfg[104], 0);  // sound

  // The next start takes them back, and sound off means no effect at all.
  const std::string again = game.Script("t.txt", Script("130 click 100 385\n140 dump again.json\n142 quit\n"));
  ASSERT_EQ(game.Run("--script " + again), 0) << game.Errors;
  const std::string restored = game.Read("again.json");
  EXPECT_TRUE(Has(restored, "\"options\":{\"music\":0,\"sound\":0,\"system_cursor\":1,\"fullscreen\":1}"));
  EXPECT_TRUE(Has(restored, "\"audio_log\":[]"));
}

TEST_F(MenusE2E, SoundComingOnIsHeardOnce) {
  GameRunner game("soundon");
  WriteKnownPlayer(game.Home, "Ann", 1, 0, 3);
  std::vector<uint8_t> cfg(105, 0);
  cfg[0] = 3;
  cfg[1] = 'A';
  cfg[2] = 'n';
  cfg[3] = 'n';
  cfg[102] = 1;  // music on, sound off
  WriteBytes(game.Home / "arvanels.cfg", cfg);
  const std::string script = game.Script(
      "s.txt", Script(std::string("130 click ") + kOptions + "\n" + "140 click " + kCbxSound + "\n" +
                      "150 dump on.json\n152 quit\n"));
  ASSERT_EQ(game.Run("--script " + script), 0) << game.Errors;
  const std::string on = game.Read("on.json");
  // Opening the options with the sound off was silent; the box coming on
  // is heard, once.
  EXPECT_EQ(Count(on, "\"play:checkbox.ogg\""), 1u) << on.substr(on.find("audio_log"));
  EXPECT_EQ(Count(on, "\"play:menu-select.ogg\""), 0u);
}

TEST_F(MenusE2E, ConfigNamingARemovedPlayerOpensTheCreateForm) {
  GameRunner game("removed-player");
  WriteConfig(game.Home, "Ghost");
  fs::create_directories(game.Home / "save");
  const std::string script = game.Script("s.txt", Script("20 dump d.json\n22 quit\n"));
  ASSERT_EQ(game.Run("--script " + script), 0) << game.Errors;
  const std::string d = game.Read("d.json");
  EXPECT_EQ(Forms(d), "\"CreateNewPlayer\"");
  EXPECT_TRUE(Has(d, "\"name\":\"\""));
}

TEST_F(MenusE2E, NamesThatCannotBeFilesAreRefusedAndTheFormStays) {
  for (const char* bad : {"../evil", "a/b", "back\\slash", ".hidden", "  "}) {
    GameRunner game("badname");
    const std::string script = game.Script(
        "s.txt", Script(std::string("20 text \"") + bad + "\"\n30 click " + kCreateOk + "\n" +
                        "40 click " + kCreateCancel + "\n50 dump d.json\n52 quit\n"));
    ASSERT_EQ(game.Run("--script " + script), 0) << game.Errors;
    const std::string d = game.Read("d.json");
    EXPECT_EQ(Forms(d), "\"CreateNewPlayer\"") << bad;
    EXPECT_TRUE(Has(d, "\"name\":\"\"")) << bad;
    EXPECT_NE(game.Errors.find("cannot be used"), std::string::npos) << bad << ": " << game.Errors;
    EXPECT_FALSE(game.Exists("save")) << bad;
    EXPECT_FALSE(fs::exists(game.Home.parent_path() / "evil.sav"));
  }
}

TEST_F(MenusE2E, ThePackChooserCountsLevelFilesAndPlaysTheNumberedOnes) {
  GameRunner game("packs", false);
  fs::create_directories(game.Home / "levels");
  fs::create_directory_symlink(fs::path(GW_BUILD_DIR) / "levels" / "Game Levels", game.Home / "levels" / "Game Levels");
  // A pack of levels 1, 2 and 4: three files, two playable levels.
  const fs::path gaps = game.Home / "levels" / "Gaps";
  fs::create_directories(gaps);
  for (int n : {1, 2, 4}) {
    for (const char* ext : {".opt", ".lvl"})
      fs::copy_file(fs::path(GW_BUILD_DIR) / "levels" / "Game Levels" / ("1" + std::string(ext)),
                    gaps / (std::to_string(n) + ext));
  }
  // Folders without levels are not offered.
  fs::create_directories(game.Home / "levels" / "Empty");
  WriteKnownPlayer(game.Home, "Ann", 1, 0, 3);
  WriteConfig(game.Home, "Ann");
  const std::string script = game.Script(
      "s.txt", Script(std::string("130 click ") + kAdventure + "\n" +
                      "140 dump chooser.json\n"
                      "150 key F12\n"
                      "160 click " + kPackSecond + "\n"
                      "170 click " + kPackOk + "\n"
                      "180 dump play.json\n"
                      "182 quit\n"));
  ASSERT_EQ(game.Run("--seed 3 --script " + script), 0) << game.Errors;
  const std::string chooser = game.Read("chooser.json");
  EXPECT_EQ(Forms(chooser), "\"fmLevelPacks\"");
  EXPECT_EQ(Field(chooser, "level_packs"), 2);
  // The screenshot lands in the folder the game was started from.
  EXPECT_TRUE(game.Exists("screen000.jpg"));
  const std::string play = game.Read("play.json");
  EXPECT_EQ(Field(play, "screen_state"), 8);  // the map of another pack
  EXPECT_TRUE(Has(play, "\"pack\":\"Gaps\""));
  EXPECT_EQ(BoardField(play, "level_count"), 2);
  EXPECT_TRUE(game.Exists("save/Ann - Gaps.sa2"));
}

TEST_F(MenusE2E, OnePackSkipsTheChooser) {
  GameRunner game("onepack", false);
  fs::create_directories(game.Home / "levels");
  fs::create_directory_symlink(fs::path(GW_BUILD_DIR) / "levels" / "Game Levels", game.Home / "levels" / "Game Levels");
  WriteKnownPlayer(game.Home, "Ann", 1, 0, 3);
  WriteConfig(game.Home, "Ann");
  const std::string script =
      game.Script("s.txt", Script(std::string("130 click ") + kRelaxed + "\n140 dump d.json\n142 quit\n"));
  ASSERT_EQ(game.Run("--script " + script), 0) << game.Errors;
  const std::string d = game.Read("d.json");
  EXPECT_EQ(Field(d, "screen_state"), 8);
  EXPECT_EQ(Field(d, "relaxed"), 1);
  EXPECT_TRUE(Has(d, "\"pack\":\"Game Levels\""));
}

TEST_F(MenusE2E, ACommandLineLevelNeverWritesARealPlayersFiles) {
  GameRunner game("play-option");
  WriteKnownPlayer(game.Home, "Ann", 3, 700, 4);
  WriteConfig(game.Home, "Ann");
  const auto before = ReadBytes(game.Home / "arvanels.cfg");
  const std::string script =
      game.Script("s.txt", std::string("100 key Escape\n110 click ") + kQuitSave + "\n120 dump d.json\n122 quit\n");
  ASSERT_EQ(game.Run("--play \"Game Levels\" 2 --script " + script), 0) << game.Errors;
  EXPECT_EQ(Field(game.Read("d.json"), "screen_state"), 1);
  EXPECT_EQ(ReadBytes(game.Home / "arvanels.cfg"), before);
  EXPECT_EQ(ReadBytes(game.Home / "save" / "Ann - Game Levels.sa2"), Progress(3, 700, 4));
  EXPECT_FALSE(game.Exists("save/Tester.sav"));
  EXPECT_FALSE(game.Exists("save/Tester - Game Levels.sa2"));
}

TEST_F(MenusE2E, PackNamesFromTheCommandLineStayInsideTheLevelsFolder) {
  GameRunner game("pack-names");
  // A pack outside levels/ that the name would reach.
  fs::create_directories(game.Home / "evil");
  fs::copy(fs::path(GW_BUILD_DIR) / "levels" / "Game Levels", game.Home / "evil");
  for (const char* name : {"../evil", "/tmp", "..", ".hidden"}) {
    EXPECT_EQ(game.Run(std::string("--play \"") + name + "\" 1 --ticks 5"), 2) << name;
    EXPECT_NE(game.Errors.find("cannot be a level pack"), std::string::npos) << name << ": " << game.Errors;
  }
  // Control characters never reach the terminal as they are.
  EXPECT_EQ(game.Run("--play \"$(printf 'a\\033[2Jb')\" 1 --ticks 5"), 2);
  EXPECT_EQ(game.Errors.find('\033'), std::string::npos) << game.Errors;
  EXPECT_NE(game.Errors.find("\\x1B"), std::string::npos) << game.Errors;
}

TEST_F(MenusE2E, DamagedSavesAreTreatedAsMissing) {
  GameRunner game("damaged");
  WriteBytes(game.Home / "save" / "Ann.sav", Progress(1, 0, 3));
  WriteBytes(game.Home / "save" / "Ann - Game Levels.sa2", {1, 2, 3});  // cut short
  WriteBytes(game.Home / "arvanels.cfg", {3, 'A', 'n', 'n'});        // cut short
  const std::string script = game.Script("s.txt", Script("20 dump d.json\n22 quit\n"));
  ASSERT_EQ(game.Run("--script " + script), 0) << game.Errors;
  const std::string d = game.Read("d.json");
  // The options fall back to their defaults and no player is named.
  EXPECT_TRUE(Has(d, "\"options\":{\"music\":1,\"sound\":1,\"system_cursor\":0,\"fullscreen\":0}"));
  EXPECT_EQ(Forms(d), "\"CreateNewPlayer\"");

  WriteConfig(game.Home, "Ann");
  const std::string start = game.Script("t.txt", Script(std::string("130 click ") + kAdventure + "\n140 dump p.json\n142 quit\n"));
  ASSERT_EQ(game.Run("--script " + start), 0) << game.Errors;
  const std::string p = game.Read("p.json");
  EXPECT_EQ(BoardField(p, "level"), 1);
  EXPECT_EQ(PlayerField(p, "lives"), 3);
  EXPECT_EQ(ReadBytes(game.Home / "save" / "Ann - Game Levels.sa2"), Progress(1, 0, 3));
}

TEST_F(MenusE2E, HiscoresShowTheTableAndAClickAfterTwoSecondsReturns) {
  GameRunner game("hiscores");
  WriteKnownPlayer(game.Home, "Ann", 1, 0, 3);
  WriteConfig(game.Home, "Ann");
  const std::string script = game.Script(
      "s.txt", Script(std::string("130 click ") + kHiscores + "\n" +
                      "140 dump table.json\n"
                      "300 click 400 300\n"
                      "310 dump early.json\n"
                      "400 click 400 300\n"
                      "410 dump back.json\n"
                      "412 quit\n"));
  ASSERT_EQ(game.Run("--script " + script), 0) << game.Errors;
  const std::string table = game.Read("table.json");
  EXPECT_EQ(Field(table, "screen_state"), 10);
  EXPECT_TRUE(Has(table, "\"menu_buttons\":[]"));
  // Clicks count only after 240 ticks of the table.
  EXPECT_EQ(Field(game.Read("early.json"), "screen_state"), 10);
  EXPECT_EQ(Field(game.Read("back.json"), "screen_state"), 1);
  // Showing the table never writes it.
  EXPECT_FALSE(game.Exists("data/hiscore.arv.tmp"));
}

TEST_F(MenusE2E, QuitButtonEndsTheProgram) {
  GameRunner game("quit");
  WriteKnownPlayer(game.Home, "Ann", 1, 0, 3);
  WriteConfig(game.Home, "Ann");
  const std::string script =
      game.Script("s.txt", Script(std::string("130 click ") + kQuitButton + "\n400 dump never.json\n"));
  // Without the button the run would go on to the tick limit.
  ASSERT_EQ(game.Run("--ticks 100000 --script " + script), 0) << game.Errors;
  EXPECT_FALSE(game.Exists("never.json"));
}

}  // namespace
