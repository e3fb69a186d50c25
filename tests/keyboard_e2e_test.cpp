// Keyboard play end to end, headless: the board cursor moves with the arrow
// keys, Space picks and an arrow swaps; the letters of WASD move it without
// working as developer keys; a moving mouse hides it; the number keys arm a
// spell that Space casts; and a session played with keys and a game
// controller replays to the same final state.
#include <gtest/gtest.h>

#include <memory>
#include <regex>

#include "board/LevelFile.h"
#include "support/BoardFixture.h"
#include "support/GameRunner.h"

namespace {

using game_test::DumpNumber;
using game_test::GameRunner;
using game_test::Occurrences;

class KeyboardE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
    Runner = std::make_unique<GameRunner>(
        std::string("keys-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(), false);
    // Swapping the tree at (3, 3) with the fire piece below it lines up
    // four trees in row 4.
    ASSERT_TRUE(Runner->WriteLevel("Swap", 1, {".....", "TFBTF", "FBTFB", "TTFTB", "BFBBF"},
                                   {"sssss", "11111", "11111", "22221", "22222"}))
        << Runner->Errors;
  }

  // Lines "TICK key NAME", two ticks apart from the first.
  static std::string Keys(int tick, const std::vector<std::string>& names, int* next = nullptr) {
    std::string text;
    for (const std::string& n : names) {
      text += std::to_string(tick) + " key " + n + "\n";
      tick += 2;
    }
    if (next) *next = tick;
    return text;
  }
  // From the cursor's first place (9, 6): the first arrow only shows it,
  // then six to the left and three up reach (3, 3).
  static std::vector<std::string> ToTree() {
    return {"Right", "Left", "Left", "Left", "Left", "Left", "Left", "Up", "Up", "Up"};
  }

  std::unique_ptr<GameRunner> Runner;
};

TEST_F(KeyboardE2E, ArrowsMoveTheFrameSpacePicksAndAnArrowSwaps) {
  int t = 0;
  std::string script = Keys(30, ToTree(), &t);
  script += std::to_string(t) + " dump moved.json\n";
  script += Keys(t + 2, {"Space"}, &t);
  script += std::to_string(t) + " dump picked.json\n";
  script += Keys(t + 2, {"Down"}, &t);
  script += std::to_string(t) + " dump swap.json\n900 dump after.json\n902 quit\n";
  ASSERT_EQ(Runner->Run("--seed 7 --play Swap 1 --script " + Runner->Script("s.txt", script)), 0) << Runner->Errors;

  const std::string moved = Runner->Read("moved.json");
  EXPECT_EQ(DumpNumber(moved, "col", "key_cursor"), 3);
  EXPECT_EQ(DumpNumber(moved, "row", "key_cursor"), 3);
  EXPECT_NE(moved.find("\"shown\":1,\"picked\":0"), std::string::npos) << moved.substr(0, 800);
  const std::string picked = Runner->Read("picked.json");
  EXPECT_NE(picked.find("\"picked\":1"), std::string::npos);
  EXPECT_NE(picked.find("play:snap.ogg"), std::string::npos);
  // The arrow took the picked tree down, as a click on the fire piece below
  // would: both on their way, the frame where it was.
  const std::string swap = Runner->Read("swap.json");
  EXPECT_EQ(Occurrences(swap, "\"piece\":2,\"state\":3"), 1);
  EXPECT_EQ(Occurrences(swap, "\"piece\":3,\"state\":4"), 1);
  EXPECT_EQ(DumpNumber(swap, "row", "key_cursor"), 3);
  EXPECT_NE(swap.find("\"picked\":0"), std::string::npos);
  EXPECT_GE(DumpNumber(Runner->Read("after.json"), "score"), 400);
}

TEST_F(KeyboardE2E, FrameStaysOnTheBoardHidesForTheMouseAndWasdAreNoDeveloperKeys) {
  std::string script;
  // Shown, then pushed past the left edge: it stops at column 1.
  int t = 0;
  script += Keys(30, {"Left"}, &t);
  for (int i = 0; i < 12; ++i) {
    // The A key as a window reports it: the key, then its letter.
    script += std::to_string(t) + " key A\n" + std::to_string(t) + " char a\n";
    t += 2;
  }
  script += std::to_string(t) + " dump edge.json\n";
  // The mouse moves over (4, 2): the frame hides and takes that cell.
  script += std::to_string(t + 2) + " mouse 170 80\n" + std::to_string(t + 4) + " dump mouse.json\n";
  // A lone typed "a" is still the developer's fire mana.
  script += std::to_string(t + 6) + " char a\n" + std::to_string(t + 8) + " dump dev.json\n";
  script += std::to_string(t + 10) + " quit\n";
  ASSERT_EQ(Runner->Run("--seed 7 --play Swap 1 --script " + Runner->Script("s.txt", script)), 0) << Runner->Errors;

  const std::string edge = Runner->Read("edge.json");
  EXPECT_EQ(DumpNumber(edge, "col", "key_cursor"), 1);
  EXPECT_EQ(DumpNumber(edge, "row", "key_cursor"), 6);
  EXPECT_EQ(DumpNumber(edge, "fire", "mana"), 0) << "the letters of the A key moved the frame only";
  const std::string mouse = Runner->Read("mouse.json");
  EXPECT_NE(mouse.find("\"col\":4,\"row\":2,\"shown\":0"), std::string::npos) << mouse.substr(0, 900);
  EXPECT_EQ(DumpNumber(Runner->Read("dev.json"), "fire", "mana"), 1);
}

TEST_F(KeyboardE2E, NumberKeyArmsAFullPotsSpellAndSpaceCastsItAtTheFrame) {
  std::string script;
  for (int i = 0; i < 60; ++i) script += std::to_string(100 + i) + " char a\n";  // the fire pot full
  int t = 0;
  // Digit keys go by their codes in a script: 49 is "1", 51 is "3".
  script += Keys(200, {"49"}, &t);  // the tree pot is empty: nothing
  script += std::to_string(t) + " dump empty.json\n";
  script += Keys(t + 2, {"51"}, &t);
  script += std::to_string(t) + " dump armed.json\n";
  script += Keys(t + 2, ToTree(), &t);
  script += Keys(t + 2, {"Space"}, &t);
  script += std::to_string(t) + " dump cast.json\n" + std::to_string(t + 2) + " quit\n";
  // The hints seen: the full pot's hint would hold the button until it is closed.
  ASSERT_EQ(Runner->Run("--seed 7 --play Swap 1 --hints-seen --script " + Runner->Script("s.txt", script)), 0)
      << Runner->Errors;

  const std::string empty = Runner->Read("empty.json");
  EXPECT_EQ(DumpNumber(empty, "armed_spell"), 0);
  EXPECT_EQ(DumpNumber(empty, "fire", "mana"), 60);
  const std::string armed = Runner->Read("armed.json");
  EXPECT_EQ(DumpNumber(armed, "armed_spell"), 3);
  EXPECT_EQ(DumpNumber(armed, "fire", "mana"), 0) << "the pot empties as its button is used";
  // The fire spell's plus of five around (3, 3): five balls on their way.
  const std::string cast = Runner->Read("cast.json");
  EXPECT_EQ(DumpNumber(cast, "armed_spell"), 0);
  EXPECT_NE(cast.find("play:magic-cast.ogg"), std::string::npos);
}

TEST_F(KeyboardE2E, KeysAndPadReplayToTheSameFinalState) {
  int t = 0;
  std::string script = Keys(30, ToTree(), &t);
  script += Keys(t, {"Enter", "Down"}, &t);
  // The pad: the d-pad and the stick move the frame (held, it repeats), A
  // picks, B lets go, and a swap by the stick.
  script += std::to_string(t + 200) + " paddown Right\n" + std::to_string(t + 260) + " padup Right\n";
  script += std::to_string(t + 270) + " axis LeftX -30000\n" + std::to_string(t + 272) + " axis LeftX 0\n";
  script += std::to_string(t + 280) + " pad A\n" + std::to_string(t + 284) + " pad B\n";
  script += std::to_string(t + 290) + " pad A\n" + std::to_string(t + 294) + " axis LeftY 32767\n";
  script += std::to_string(t + 296) + " axis LeftY 0\n";
  script += std::to_string(t + 300) + " dump pad.json\n" + std::to_string(t + 600) + " quit\n";
  ASSERT_EQ(Runner->Run("--seed 5 --play Swap 1 --record rec.replay --script " + Runner->Script("s.txt", script)), 0)
      << Runner->Errors;
  const std::string rec = Runner->Read("rec.replay");
  EXPECT_TRUE(std::regex_search(rec, std::regex("\n\\d+ keydown Down\n"))) << rec.substr(0, 2000);
  EXPECT_TRUE(std::regex_search(rec, std::regex("\n\\d+ paddown Right\n")));
  EXPECT_TRUE(std::regex_search(rec, std::regex("\n\\d+ axis LeftX -30000\n")));
  // The d-pad held 60 ticks moved the frame once at once and again after
  // its delay (42 ticks, then every 12): three cells right, one back left by
  // the stick.
  const std::string pad = Runner->Read("pad.json");
  EXPECT_EQ(DumpNumber(pad, "col", "key_cursor"), 3 + 3 - 1) << pad.substr(0, 900);

  ASSERT_EQ(Runner->Run("--replay rec.replay"), 0) << Runner->Output << Runner->Errors;
  EXPECT_NE(Runner->Output.find("the same as the recording's final state"), std::string::npos) << Runner->Output;
}

// The menus without a mouse: the logo skipped, a player named (Enter takes
// the name; the space in it is typed, not a press), Options lit by the arrow
// keys and opened, "Controls" reached from "Back" and pressed, and Escape
// back out of both forms.
TEST_F(KeyboardE2E, MenusAndTheControlsPictureByKeys) {
  const std::string script =
      "60 key Space\n400 text Ann\n402 key Space\n402 char 32\n404 text Lee\n410 key Enter\n420 dump named.json\n"
      "500 key Down\n510 key Down\n520 key Down\n525 dump lit.json\n530 key Enter\n"
      "900 key Left\n910 key Left\n920 key Enter\n930 dump controls.json\n"
      "940 key Escape\n950 dump options.json\n960 key Escape\n970 dump menu.json\n980 quit\n";
  ASSERT_EQ(Runner->Run("--seed 5 --script " + Runner->Script("s.txt", script)), 0) << Runner->Errors;
  const std::string named = Runner->Read("named.json");
  EXPECT_NE(named.find("\"Ann Lee\""), std::string::npos) << "Space typed into the name" << named.substr(0, 1500);
  EXPECT_NE(named.find("\"gui\":[]"), std::string::npos);
  // The third entry lit: Options (kind 2).
  EXPECT_NE(Runner->Read("lit.json").find("{\"kind\":2,\"alpha\":255"), std::string::npos);
  EXPECT_NE(Runner->Read("controls.json").find("\"gui\":[\"ControlsPicture\",\"GameOptions\"]"), std::string::npos);
  EXPECT_NE(Runner->Read("options.json").find("\"gui\":[\"GameOptions\"]"), std::string::npos);
  const std::string menu = Runner->Read("menu.json");
  EXPECT_NE(menu.find("\"gui\":[]"), std::string::npos);
  EXPECT_EQ(DumpNumber(menu, "dialog_open"), 0);
}

// A level won with the keys alone: the swap breaks the only boxes, Enter
// hurries the tally as a click does, and once "Next" shows Enter presses it.
TEST_F(KeyboardE2E, AWonLevelsTallyAndNextByKeys) {
  const std::vector<TCellRecord> cells =
      CellsFromPictures({".....", "TFBTF", "FBTFB", "TTFTB", "BFBBF"}, {"sssss", "11111", "11111", "22221", "11111"});
  TLevelOptions options;
  options.MaxCaveiras = 0;
  std::string error;
  const std::string home = Runner->Home.string();
  ASSERT_TRUE(WriteLevelOptions(LevelOptionsPath(home, "Won", 1), options, error)) << error;
  ASSERT_TRUE(WriteLevelCells(LevelCellsPath(home, "Won", 1), cells, error)) << error;
  int t = 0;
  std::string script = Keys(30, ToTree(), &t);
  script += Keys(t, {"Space", "Down"}, &t);
  // The result's count may be hurried a second after it opens; Enter is
  // pressed every half second from then on.
  script += "690 dump result.json\n";
  for (int tick = 700; tick < 2400; tick += 60) script += std::to_string(tick) + " key Enter\n";
  script += "2400 dump after.json\n2402 quit\n";
  ASSERT_EQ(Runner->Run("--seed 7 --play Won 1 --hints-seen --script " + Runner->Script("s.txt", script)), 0)
      << Runner->Errors;
  const std::string result = Runner->Read("result.json");
  EXPECT_NE(result.find("\"completed\":1"), std::string::npos) << result.substr(0, 900);
  EXPECT_NE(result.find("\"formNextLevel\""), std::string::npos) << result.substr(0, 900);
  // "Next" took the game on from the level: the pack's only level leads on
  // through its end, the credits and the hiscores (each left by Enter) to
  // the main menu.
  const std::string after = Runner->Read("after.json");
  EXPECT_EQ(DumpNumber(after, "screen_state"), 1) << after.substr(0, 600);
}

}  // namespace
