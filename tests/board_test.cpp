// The board and its level files: opening packs, loading and setting levels
// up, saving from the editor's fields, the level clock, retries, the developer
// keys and the board in the state dump.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "board/LevelOptionsForm.h"
#include "board/Mouse.h"
#include "engine/gui/GuiCheckBox.h"
#include "engine/gui/GuiEdit.h"
#include "engine/sprites/SpriteEngine.h"
#include "layout/ControlNames.h"
#include "support/BoardFixture.h"

namespace {

namespace fs = std::filesystem;

class Board : public BoardFixture {
 protected:
  // A level whose cells are given as in Build: pieces by letter, tab types by
  // digit; cells not given are left out of the file.
  void WriteLevel(const std::string& pack, int n, const std::vector<std::string>& pieces,
                  const std::vector<std::string>& tabs = {}, TLevelOptions options = {}) {
    WriteCells(pack, n, CellsFromPictures(pieces, tabs), options);
  }
  void WriteCells(const std::string& pack, int n, const std::vector<TCellRecord>& cells,
                  const TLevelOptions& options = {}) {
    std::string error;
    ASSERT_TRUE(WriteLevelOptions(LevelOptionsPath(Home, pack, n), options, error)) << error;
    ASSERT_TRUE(WriteLevelCells(LevelCellsPath(Home, pack, n), cells, error)) << error;
  }
  bool Load(const std::string& pack, int n) {
    B().PackName = pack;
    B().LevelNumber = n;
    return B().LoadLevel();
  }
  // The game's form layout, for the tests of the editor's options form.
  bool LoadLayout() {
    const fs::path layout = fs::path(GW_BUILD_DIR) / "data" / "interface.gui";
    return fs::exists(layout) && Game->GuiBase1.LoadLayout(layout.string());
  }
  TGuiEdit& Field(TControlName name) { return *FindEdit(Game->GuiBase1, name); }
  void ShowInFields(const TLevelOptions& options) { TLevelOptionsForm(Game->GuiBase1).Show(options); }
  static std::vector<uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
};

TEST_F(Board, TilesStandOnTheirCells) {
  for (int c = 1; c <= kBoardCols; ++c) {
    for (int r = 1; r <= kBoardRows; ++r) {
      const TBoardTab& tab = Tab(c, r);
      EXPECT_EQ(tab.Col, c);
      EXPECT_EQ(tab.Row, r);
      EXPECT_FLOAT_EQ(tab.X, 40.0f * c);
      EXPECT_FLOAT_EQ(tab.Y, 40.0f * r - 10);
    }
  }
  EXPECT_EQ(B().TabAt(0, 1), nullptr);
  EXPECT_EQ(B().TabAt(19, 1), nullptr);
  EXPECT_EQ(B().TabAt(1, 13), nullptr);
}

TEST_F(Board, LoadLevelReadsOptionsCellsAndSetsThemUp) {
  TLevelOptions o;
  o.LevelTime = 77;
  o.Background = 3;
  o.MaxCaveiras = 2;
  o.AllowGota = 1;
  WriteLevel("P", 1, {"TBW", "...", "WTB"}, {"s23", "145", "111"}, o);
  Player().Score = 1234;
  Game->ScreenState = ssMap;
  ASSERT_TRUE(Load("P", 1)) << B().LastError;
  EXPECT_EQ(B().Options.LevelTime, 77);
  EXPECT_EQ(B().Options.MaxCaveiras, 2);
  EXPECT_EQ(B().BackgroundPicture, "world3.jpg");
  EXPECT_EQ(Player().LevelStartScore, 1234);
  EXPECT_TRUE(B().FadingIn);
  EXPECT_EQ(Game->CurrentMusic.rfind("Music", 0), 0u);
  EXPECT_EQ(Pieces(3), (std::vector<std::string>{"TBW", "...", "WTB"}));
  EXPECT_TRUE(Tab(1, 1).Spawn);
  EXPECT_EQ(Tab(2, 1).TabType, ttWood);
  EXPECT_EQ(Tab(3, 2).TabType, ttForceField2);
  ASSERT_NE(Tab(3, 2).ForceField, nullptr);
  EXPECT_EQ(Tab(3, 2).ForceField->ImageName, "forcefield2.image");
  EXPECT_EQ(Tab(2, 2).ForceField->ImageName, "forcefield1.image");
  EXPECT_EQ(Tab(1, 2).ForceField, nullptr);
  EXPECT_EQ(Tab(4, 1).TabType, ttNone) << "cells missing from the file are no cells";
  const TGameSprite* w = PieceAt(3, 3);
  EXPECT_EQ(w->Col, 3);
  EXPECT_EQ(w->Row, 3);
  EXPECT_FLOAT_EQ(w->X, 120.0f);
  EXPECT_FLOAT_EQ(w->Y, 110.0f);
  EXPECT_FALSE(B().Modified);
}

TEST_F(Board, LockedCellsWithoutAPieceGetOneOnlyDuringPlay) {
  WriteLevel("P", 1, {"..", "TB"}, {"45", "22"});
  Game->ScreenState = ssMap;
  ASSERT_TRUE(Load("P", 1));
  EXPECT_EQ(PieceAt(1, 1), nullptr);
  EXPECT_EQ(PieceAt(2, 1), nullptr);
  Game->ScreenState = ssPlaying;
  ASSERT_TRUE(Load("P", 1));
  EXPECT_NE(PieceAt(1, 1), nullptr);
  EXPECT_NE(PieceAt(2, 1), nullptr);
}

TEST_F(Board, RecordsOffTheGridAndShortFilesAreHandled) {
  std::vector<TCellRecord> cells;
  auto add = [&](int c, int r, uint8_t piece, uint8_t type) {
    TCellRecord rec;
    rec.Col = c;
    rec.Row = r;
    rec.Piece = piece;
    rec.TabType = type;
    cells.push_back(rec);
  };
  add(0, 1, 3, 2);
  add(19, 1, 3, 2);
  add(1, 13, 3, 2);
  add(-5, -5, 3, 2);
  add(2, 2, 3, 2);
  add(3, 3, 200, 1);  // a piece byte above 8 places no piece
  WriteCells("P", 1, cells);
  ASSERT_TRUE(Load("P", 1)) << B().LastError;
  EXPECT_EQ(Pieces(3), (std::vector<std::string>{"", "#T", "##."}));
  EXPECT_EQ(Tab(1, 1).TabType, ttNone);
  EXPECT_EQ(Tab(2, 2).TabType, ttWood);

  // A file cut inside a record, and a missing options file.
  std::ofstream(LevelCellsPath(Home, "P", 1), std::ios::binary | std::ios::app).write("abc", 3);
  EXPECT_FALSE(Load("P", 1));
  EXPECT_NE(B().LastError.find("1.lvl"), std::string::npos) << B().LastError;
  fs::remove(LevelOptionsPath(Home, "P", 1));
  EXPECT_FALSE(Load("P", 1));
  EXPECT_NE(B().LastError.find("1.opt"), std::string::npos) << B().LastError;
}

TEST_F(Board, SetupPassLeavesNoReadyMadeLine) {
  std::vector<std::string> rows(12, std::string(18, 'T'));
  TLevelOptions o;  // trees, fire and black
  o.MaxCaveiras = 3;
  WriteLevel("P", 1, rows, {}, o);
  ASSERT_TRUE(Load("P", 1));
  for (int c = 1; c <= kBoardCols; ++c) {
    for (int r = 1; r <= kBoardRows; ++r) {
      const TGameSprite* p = PieceAt(c, r);
      ASSERT_NE(p, nullptr);
      EXPECT_LT(p->RowRun(), 2) << c << "," << r;
      EXPECT_LT(p->ColumnRun(), 2) << c << "," << r;
    }
  }
}

TEST_F(Board, SetupOfALevelWithOneKindEnds) {
  TLevelOptions o;
  o.AllowFire = o.AllowBlack = 0;
  o.MaxCaveiras = 0;
  WriteLevel("P", 1, {"TTT"}, {}, o);
  EXPECT_TRUE(Load("P", 1));
}

TEST_F(Board, ABackgroundNumberOutsideThePicturesShowsTheNearestOne) {
  for (const auto& [number, picture] : {std::pair{99, "world11.jpg"}, std::pair{0, "world1.jpg"}}) {
    TLevelOptions o;
    o.Background = number;
    WriteLevel("P", 1, {"TB"}, {"22"}, o);
    ASSERT_TRUE(Load("P", 1)) << B().LastError;
    EXPECT_EQ(B().BackgroundPicture, picture);
    EXPECT_EQ(B().Options.Background, number) << "the level keeps its number";
  }
}

TEST_F(Board, LevelWithoutAnyAllowedKindIsRefusedInPlay) {
  TLevelOptions o;
  o.AllowTree = o.AllowFire = o.AllowBlack = 0;
  WriteLevel("P", 1, {"TTT", "..."}, {"s"}, o);
  EXPECT_FALSE(Load("P", 1));
  EXPECT_NE(B().LastError.find("allows no kind of piece"), std::string::npos) << B().LastError;
  Game->ScreenState = ssEditor;
  EXPECT_TRUE(Load("P", 1)) << "the editor may still open it to mend it";
}

TEST_F(Board, OpenPackCountsConsecutiveLevels) {
  WriteLevel("Three", 1, {"T"});
  WriteLevel("Three", 2, {"T"});
  WriteLevel("Three", 4, {"T"});
  B().LevelNumber = 3;
  ASSERT_TRUE(B().OpenPack("Three"));
  EXPECT_EQ(B().LevelCount, 2) << "levels 1, 2 and 4 make a pack of two";
  EXPECT_EQ(B().LevelNumber, 1);
  EXPECT_EQ(B().PackName, "Three");
}

TEST_F(Board, OpeningAPackWithoutLevelOneCreatesAFilledOne) {
  ASSERT_TRUE(B().OpenPack("New")) << B().LastError;
  EXPECT_EQ(B().LevelCount, 1);
  std::string error;
  auto cells = ReadLevelCells(LevelCellsPath(Home, "New", 1), error);
  ASSERT_TRUE(cells) << error;
  ASSERT_EQ(cells->size(), 216u);
  EXPECT_EQ((*cells)[0].Col, 1);
  EXPECT_EQ((*cells)[1].Row, 2) << "column by column";
  EXPECT_EQ((*cells)[12].Col, 2);
  for (const TCellRecord& rec : *cells) {
    EXPECT_EQ(rec.TabType, ttTab);
    EXPECT_EQ(rec.Piece, kNoPiece);
  }
}

TEST_F(Board, SaveLevelWritesTheGridAndTheEditorFields) {
  if (!LoadLayout()) GTEST_SKIP() << "the form layout has not been built";
  Game->ScreenState = ssEditor;
  Build({"TBW", "W"}, {"s24", "0"});  // every force field holds a piece
  B().PackName = "P";
  B().LevelNumber = 1;
  ShowInFields({});
  Field(TControlName::loLevelTime).SetText(" 90 ");
  Field(TControlName::loMaxCaveiras).SetText("0");
  FindCheckBox(Game->GuiBase1, TControlName::LsRed)->SetChecked(true);
  B().Options.Tested = 1;
  B().Options.LevelTime = 5;
  ASSERT_TRUE(B().SaveLevel()) << B().LastError;
  EXPECT_EQ(B().Options.LevelTime, 5) << "saving does not change the board's copy";
  ASSERT_TRUE(Load("P", 1));
  EXPECT_EQ(Field(TControlName::loLevelTime).Text(), "90") << "loading in the editor shows the options";
  EXPECT_TRUE(FindCheckBox(Game->GuiBase1, TControlName::LsRed)->Checked());
  EXPECT_EQ(B().Options.LevelTime, 90);
  EXPECT_EQ(B().Options.MaxCaveiras, 0);
  EXPECT_TRUE(B().Options.AllowRed);
  EXPECT_TRUE(B().Options.Tested);
  EXPECT_EQ(Pieces(2), (std::vector<std::string>{"TBW", ""})) << "a cell of type 0 keeps no piece";
  EXPECT_TRUE(Tab(1, 1).Spawn);
  EXPECT_EQ(Tab(2, 1).TabType, ttWood);
  EXPECT_EQ(Tab(3, 1).TabType, ttForceField);
}

TEST_F(Board, SaveLevelChecksTheFieldsBeforeItTouchesTheFiles) {
  WriteLevel("P", 1, {"TBW"});
  const auto opt = Bytes(LevelOptionsPath(Home, "P", 1));
  const auto lvl = Bytes(LevelCellsPath(Home, "P", 1));
  if (!LoadLayout()) GTEST_SKIP() << "the form layout has not been built";
  Game->ScreenState = ssEditor;
  B().PackName = "P";
  B().LevelNumber = 1;
  const char* bad[] = {"", "abc", "12x", "99999999999", "1.5", "0", "12"};
  for (const char* text : bad) {
    SCOPED_TRACE(text);
    ShowInFields({});
    Field(TControlName::loBackGround).SetText(text);
    EXPECT_FALSE(B().SaveLevel());
    EXPECT_NE(B().LastError.find("background must be a whole number from 1 to 11"), std::string::npos)
        << B().LastError;
  }
  TLevelOptions none;
  none.AllowTree = none.AllowFire = none.AllowBlack = 0;
  ShowInFields(none);
  EXPECT_FALSE(B().SaveLevel());
  EXPECT_NE(B().LastError.find("tick at least one of Tree, Fire, Shadow"), std::string::npos) << B().LastError;
  // A force field without a piece could never be broken.
  ShowInFields({});
  Build({"T.."}, {"145"});
  EXPECT_FALSE(B().SaveLevel());
  EXPECT_NE(B().LastError.find("column 2, row 1 holds no piece (and 1 more)"), std::string::npos)
      << B().LastError;
  EXPECT_EQ(Bytes(LevelOptionsPath(Home, "P", 1)), opt) << "nothing is lost on bad input";
  EXPECT_EQ(Bytes(LevelCellsPath(Home, "P", 1)), lvl);
}

TEST_F(Board, LevelClockSecondsLastOneHundredTwentyOneTicks) {
  Build({"TB"}, {"2"});
  B().Options.LevelTime = 2;
  Game->StartDelay = 0;
  Tick(120);
  EXPECT_EQ(B().ElapsedSeconds, 0);
  Tick(1);
  EXPECT_EQ(B().ElapsedSeconds, 1);
  Tick(120);
  EXPECT_EQ(B().ElapsedSeconds, 1);
  Tick(1);
  EXPECT_EQ(B().ElapsedSeconds, 2);
  Game->RelaxedMode = true;
  Tick(500);
  EXPECT_EQ(B().ElapsedSeconds, 2) << "the relaxed clock stands still";
  EXPECT_FALSE(B().TimeOver);
}

TEST_F(Board, TimeOverCostsManaAndAClickRetriesTheLevel) {
  WriteLevel("P", 1, {"TB"}, {"22"});
  ASSERT_TRUE(Load("P", 1));
  B().FadingIn = 0;
  Player().Lives = 2;
  Player().Score = 500;
  Player().LevelStartScore = 200;
  Player().ManaTree = 30;
  B().Options.LevelTime = 0;
  Tick(122);
  EXPECT_TRUE(B().TimeOver);
  EXPECT_EQ(Player().ManaTree, 0);
  EXPECT_GE(Count("music:stop:" + Game->CurrentMusic), 1);

  Game->Mouse();
  Game->aMouse.ClearOnUpdate = false;
  Game->aMouse.DeviceButton(0, true);
  Game->aMouse.Update();
  Tick();
  EXPECT_FALSE(B().TimeOver);
  EXPECT_EQ(Player().Lives, 1);
  EXPECT_EQ(Player().Score, 200);
  EXPECT_EQ(B().Options.LevelTime, 100) << "the level was set up again";
}

TEST_F(Board, TimeOverOnTheLastLifeEndsTheGame) {
  Build({"TB"}, {"2"});
  Player().Lives = 1;
  B().Options.LevelTime = 0;
  Tick(122);
  EXPECT_EQ(Game->BoardIfAny(), nullptr);
  EXPECT_EQ(Game->ScreenState, ssGameOver);
}

TEST_F(Board, DeveloperKeysChangeManaAndStepALevelBack) {
  WriteLevel("P", 1, {"T"});
  WriteLevel("P", 2, {"B"});
  Game->FormKeyPress('a');
  Game->FormKeyPress('a');
  Game->FormKeyPress('z');
  EXPECT_EQ(Player().ManaFire, 1);
  Game->FormKeyPress('.');
  EXPECT_EQ(Player().LevelReached, 119);
  ASSERT_TRUE(Load("P", 2));
  Game->FormKeyPress('-');
  EXPECT_EQ(B().LevelNumber, 1);
  EXPECT_EQ(Pieces(1)[0], "T");
  Game->FormKeyPress('-');
  EXPECT_EQ(B().LevelNumber, 1);
}

TEST_F(Board, DumpShowsTheBoardAndThePlayer) {
  Build({"T.", ".F"}, {"s5"});
  Player().PlayerName = "Tester";
  PieceAt(1, 1)->Explode();
  const std::string dump = Game->DumpState();
  EXPECT_NE(dump.find("\"board\""), std::string::npos);
  EXPECT_NE(dump.find("\"cells\""), std::string::npos);
  EXPECT_NE(dump.find("{\"tab\":1,\"spawn\":1,\"piece\":3,\"state\":0,\"falling\":0,\"dying\":1}"),
            std::string::npos)
      << dump.substr(0, 600);
  EXPECT_NE(dump.find("{\"tab\":5,\"spawn\":0,\"piece\":-1,"), std::string::npos);
  EXPECT_NE(dump.find("\"name\":\"Tester\""), std::string::npos);
  EXPECT_NE(dump.find("\"mana\":{\"tree\":0,\"water\":0,\"fire\":0,\"mountain\":0}"), std::string::npos);
}

}  // namespace
