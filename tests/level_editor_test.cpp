// The level editor in process, with the game's form layout: painting by drag
// and by click, the eraser and what each tool does to a cell's piece, the bar
// after painting, clean and fill behind their question, the background
// buttons, the checks on the typed fields and on the level before saving, the
// save question when a changed level is left, the packs offered and refused,
// appending a level, and test play with its result and its way back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "editor/EditorTools.h"
#include "editor/LevelEditor.h"
#include "engine/gui/GuiButton.h"
#include "engine/gui/GuiCheckBox.h"
#include "engine/gui/GuiEdit.h"
#include "engine/gui/GuiListBox.h"
#include "layout/PlayForms.h"
#include "platform/Platform.h"
#include "support/PlayFixture.h"

namespace {

namespace fs = std::filesystem;
using N = TControlName;

class LevelEditor : public PlayFixture {
 protected:
  void SetUp() override {
    PlayFixture::SetUp();
    if (IsSkipped()) return;
    Game->Editor->Enter();
  }

  TLevelEditor& E() { return *Game->Editor; }
  TGuiEdit& Field(N name) { return *FindEdit(Game->GuiBase1, name); }
  TGuiCheckBox& Box(N name) { return *FindCheckBox(Game->GuiBase1, name); }
  bool Enabled(N button) { return FindButton(Game->GuiBase1, button)->Enabled(); }

  // Types the name into the pack choice and presses "Create".
  void NewPack(const std::string& name) {
    Field(N::newName).SetText(name);
    E().NewPack();
  }
  // Opens the pack of that name from the list.
  void OpenListed(const std::string& name) {
    Game->Editor->Enter();  // the list is read as the choice opens
    const auto& names = E().PackNames();
    const auto at = std::find(names.begin(), names.end(), name);
    ASSERT_NE(at, names.end()) << name;
    FindListBox(Game->GuiBase1, N::LevelList)->SetItemIndex(static_cast<int>(at - names.begin()));
    E().OpenSelectedPack();
    ASSERT_TRUE(E().InLevel()) << E().LastMessage();
  }
  // One frame: the pointer over the cell and the left button as given, then
  // the frame's own collision bookkeeping and its two ticks.
  void Frame(int col, int row, bool down) {
    Point(col, row);
    if (down != Down_) Game->aMouse.DeviceButton(0, down);
    Down_ = down;
    Game->aMouse.Update();
    E().FrameStart();
    Tick(2);
  }
  void ClickCell(int col, int row) {
    Frame(col, row, true);
    Frame(col, row, false);
  }
  // Cleans the level, answering its question.
  void Clean() {
    E().CleanClicked();
    if (Visible(N::formConfirmation)) Press(N::btnYes);
  }
  void Paint(uint8_t tool, int col, int row) {
    E().SelectTool(tool);
    ClickCell(col, row);
  }
  std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

  bool Down_ = false;
};

TEST_F(LevelEditor, DragToolsPaintEveryCellCrossedClickToolsOnlyWhereThePressBegan) {
  NewPack("Mine");
  ASSERT_TRUE(E().InLevel()) << E().LastMessage();
  EXPECT_TRUE(fs::exists(LevelCellsPath(Home, "Mine", 1))) << "a new pack starts with a filled level 1";
  EXPECT_EQ(Text(N::gpLevel), "Level 1/1");

  E().SelectTool(etWood);
  EXPECT_FALSE(Game->aMouse.ClearOnUpdate) << "a drag tool reads the button as held";
  EXPECT_EQ(B().PaintIcon, 2);
  Frame(2, 2, true);
  Frame(3, 2, true);
  Frame(4, 2, true);
  Frame(5, 3, false);
  for (int c = 2; c <= 4; ++c) EXPECT_EQ(Tab(c, 2).TabType, ttWood) << c;
  EXPECT_EQ(Tab(5, 3).TabType, ttTab) << "nothing is painted once the button is up";
  EXPECT_TRUE(B().Modified);

  E().SelectTool(etSpriteTree);
  EXPECT_TRUE(Game->aMouse.ClearOnUpdate) << "a click tool sees each press once";
  Frame(2, 4, true);
  Frame(3, 4, true);
  Frame(4, 4, true);
  Frame(4, 4, false);
  ASSERT_NE(PieceAt(2, 4), nullptr);
  EXPECT_EQ(PieceAt(2, 4)->Kind, pkTree);
  EXPECT_EQ(PieceAt(3, 4), nullptr) << "a piece tool puts a piece only where the button went down";
  EXPECT_EQ(PieceAt(4, 4), nullptr);

  // The spawn tool flips the flag once per click, however many collision
  // passes the press lasts, and never on a cell that is no cell.
  E().SelectTool(etSpawn);
  Frame(6, 6, true);
  Frame(6, 6, true);
  Frame(6, 6, false);
  EXPECT_TRUE(Tab(6, 6).Spawn);
  ClickCell(6, 6);
  EXPECT_FALSE(Tab(6, 6).Spawn);
  Paint(etEraser, 7, 6);
  Paint(etSpawn, 7, 6);
  EXPECT_FALSE(Tab(7, 6).Spawn);
}

TEST_F(LevelEditor, ToolsKeepOrTakeThePieceAndTheEraserLeavesNoCell) {
  NewPack("Mine");
  Paint(etSpriteFire, 2, 2);
  Paint(etForceField2, 2, 2);
  EXPECT_EQ(Tab(2, 2).TabType, ttForceField2);
  ASSERT_NE(Tab(2, 2).ForceField, nullptr);
  EXPECT_NE(PieceAt(2, 2), nullptr) << "a force field keeps the piece";
  Paint(etRebarba1 + 2, 2, 2);
  EXPECT_EQ(Tab(2, 2).TabType, ttRebarba1 + 2);
  EXPECT_EQ(Tab(2, 2).ForceField, nullptr);
  EXPECT_NE(PieceAt(2, 2), nullptr) << "an edge piece keeps the piece";
  Paint(etFerro, 2, 2);
  EXPECT_EQ(Tab(2, 2).TabType, ttFerro);
  EXPECT_EQ(PieceAt(2, 2), nullptr) << "iron takes the piece";
  Paint(etSpriteGota, 3, 3);
  Paint(etTab, 3, 3);
  EXPECT_EQ(PieceAt(3, 3), nullptr) << "a plain cell takes the piece";

  Paint(etSpriteTree, 4, 4);
  Paint(etSpawn, 4, 4);
  Paint(etEraser, 4, 4);
  Tick(2);
  EXPECT_EQ(Tab(4, 4).TabType, ttNone);
  EXPECT_EQ(PieceAt(4, 4), nullptr);
  EXPECT_FALSE(Tab(4, 4).Spawn);
  Paint(etSpriteBlack, 4, 4);
  EXPECT_EQ(Tab(4, 4).TabType, ttTab) << "a piece on no cell makes it a plain cell";
  EXPECT_EQ(PieceAt(4, 4)->Kind, pkBlack);
}

TEST_F(LevelEditor, PaintingMarksTheLevelChangedAndNotTestedUntilItIsLoadedAgain) {
  TLevelOptions tested;
  tested.Tested = 1;
  std::string error;
  ASSERT_TRUE(WriteLevelOptions(LevelOptionsPath(Home, "P", 1), tested, error));
  ASSERT_TRUE(WriteLevelCells(LevelCellsPath(Home, "P", 1), CellsFromPictures({"TB"}, {"22"}), error));
  OpenListed("P");
  EXPECT_EQ(Text(N::LevelStatus), "Tested Ok");
  EXPECT_FALSE(Enabled(N::gpSave));
  EXPECT_FALSE(Enabled(N::gpCancel));
  EXPECT_FALSE(Enabled(N::gpPrior));
  EXPECT_FALSE(Enabled(N::gpNext));
  Paint(etWood, 5, 5);
  EXPECT_TRUE(B().Modified);
  EXPECT_EQ(Text(N::LevelStatus), "Not Tested");
  EXPECT_TRUE(Enabled(N::gpSave));
  EXPECT_TRUE(Enabled(N::gpCancel));
  E().Cancel();
  EXPECT_FALSE(B().Modified);
  EXPECT_EQ(Text(N::LevelStatus), "Tested Ok") << "the changes are dropped";
  EXPECT_EQ(Tab(5, 5).TabType, ttNone);
}

TEST_F(LevelEditor, CleanAndFillAskEveryTimeTheyWouldWipeSomething) {
  NewPack("Mine");
  // The new pack's filled level has cells to lose: even right after the
  // load the clean asks first, and it asks again after a "No".
  for (int time = 0; time < 2; ++time) {
    E().CleanClicked();
    ASSERT_TRUE(Visible(N::formConfirmation)) << "time " << time;
    EXPECT_EQ(Text(N::Message), "Are you sure you want to clean this level?");
    EXPECT_TRUE(Game->DialogOpen);
    EXPECT_FALSE(Visible(N::BoardOperations));
    Press(N::btnNo);
    EXPECT_FALSE(Visible(N::formConfirmation));
    EXPECT_TRUE(Visible(N::BoardOperations));
    EXPECT_EQ(Tab(1, 1).TabType, ttTab) << "no: nothing is cleaned";
  }
  E().CleanClicked();
  Press(N::btnYes);
  EXPECT_FALSE(Game->DialogOpen);
  EXPECT_EQ(Tab(1, 1).TabType, ttNone);
  EXPECT_EQ(Tab(18, 12).TabType, ttNone);
  // An empty level has nothing to lose to a clean: no question.
  E().CleanClicked();
  EXPECT_FALSE(Visible(N::formConfirmation));
  // A piece would be lost to a fill: asked; "Yes" fills.
  Paint(etSpriteTree, 3, 3);
  E().FillClicked();
  ASSERT_TRUE(Visible(N::formConfirmation));
  EXPECT_EQ(Text(N::Message), "Are you sure you want to fill this level?");
  Press(N::btnYes);
  EXPECT_FALSE(Visible(N::formConfirmation));
  EXPECT_FALSE(Game->DialogOpen);
  EXPECT_EQ(Tab(1, 1).TabType, ttTab);
  EXPECT_EQ(PieceAt(3, 3), nullptr);
  // Filling a level that is filled already changes nothing: no question.
  E().FillClicked();
  EXPECT_FALSE(Visible(N::formConfirmation));
}

TEST_F(LevelEditor, BackgroundButtonsStopAtElevenAndOneAndCancelPutsItBack) {
  NewPack("Mine");
  E().OpenOptions();
  ASSERT_TRUE(Visible(N::formLevelOptions));
  EXPECT_TRUE(B().OptionsOpen);
  for (int i = 0; i < 15; ++i) Press(N::btnBackUp);
  EXPECT_EQ(B().Options.Background, 11);
  EXPECT_EQ(Field(N::loBackGround).Text(), "11");
  EXPECT_EQ(B().BackgroundPicture, "world11.jpg");
  for (int i = 0; i < 15; ++i) Press(N::btnBackDown);
  EXPECT_EQ(B().Options.Background, 1);
  Press(N::btnBackUp);
  Press(N::btnBackUp);
  Press(N::loCancel);
  EXPECT_FALSE(Visible(N::formLevelOptions));
  EXPECT_FALSE(B().OptionsOpen);
  EXPECT_EQ(B().Options.Background, 1);
  EXPECT_EQ(Field(N::loBackGround).Text(), "1");
  EXPECT_EQ(B().BackgroundPicture, "world1.jpg");
}

TEST_F(LevelEditor, TypedFieldsAndTheLevelAreCheckedBeforeAnythingIsWritten) {
  NewPack("P");
  const std::string opt = Bytes(LevelOptionsPath(Home, "P", 1));
  const std::string lvl = Bytes(LevelCellsPath(Home, "P", 1));
  E().OpenOptions();
  const std::pair<N, std::string> bad[] = {{N::loLevelTime, "12a"}, {N::loLevelTime, "0"},
                                           {N::loLevelTime, "1 2"}, {N::loMaxCaveiras, "-1"},
                                           {N::loMaxCaveiras, ""}};
  for (const auto& [field, text] : bad) {
    SCOPED_TRACE(text);
    Field(N::loLevelTime).SetText("100");
    Field(N::loMaxCaveiras).SetText("5");
    Field(field).SetText(text);
    E().ApplyOptions();
    EXPECT_TRUE(Has(E().LastMessage(), field == N::loLevelTime ? "The time must be a whole number from 1 to 99999"
                                                                : "number of skulls must be a whole number"))
        << E().LastMessage();
    EXPECT_TRUE(Visible(N::formLevelOptions)) << "the form stays open";
  }
  Field(N::loLevelTime).SetText("240");
  Field(N::loMaxCaveiras).SetText("3");
  for (N kind : {N::LsTree, N::LsFire, N::LsBlack}) Box(kind).SetChecked(false);
  E().ApplyOptions();
  EXPECT_TRUE(Has(E().LastMessage(), "tick at least one of Tree, Fire, Shadow, Crystal, Water, Book, Pearl, Mountain"))
      << E().LastMessage();
  EXPECT_EQ(Bytes(LevelOptionsPath(Home, "P", 1)), opt) << "nothing is written on bad input";
  EXPECT_EQ(Bytes(LevelCellsPath(Home, "P", 1)), lvl);
  Box(N::LsGota).SetChecked(true);
  E().ApplyOptions();
  EXPECT_FALSE(Visible(N::formLevelOptions));
  EXPECT_EQ(B().Options.LevelTime, 240);
  EXPECT_TRUE(B().Options.AllowGota);
  EXPECT_FALSE(B().Options.AllowTree);
  EXPECT_TRUE(Enabled(N::btnSpriteGota));
  EXPECT_FALSE(Enabled(N::btnSpriteTree)) << "the piece tools follow the kinds allowed";

  // A force field without a piece is named before anything is written.
  const std::string saved = Bytes(LevelCellsPath(Home, "P", 1));
  E().SelectTool(etForceField);
  ClickCell(3, 4);
  E().Save();
  EXPECT_TRUE(Has(E().LastMessage(), "The force field at column 3, row 4 holds no piece")) << E().LastMessage();
  EXPECT_EQ(Bytes(LevelCellsPath(Home, "P", 1)), saved);
  EXPECT_TRUE(B().Modified);

  // The level number to go to.
  E().OpenGotoLevel();
  for (const char* text : {"", "x", "0", "2", "-1"}) {
    SCOPED_TRACE(text);
    Field(N::GotoLevel).SetText(text);
    E().GotoOk();
    EXPECT_TRUE(Has(E().LastMessage(), "from 1 to 1")) << E().LastMessage();
    EXPECT_TRUE(Visible(N::formGotoLevel));
  }
  Press(N::gotoCancel);
  EXPECT_FALSE(Visible(N::formGotoLevel));
  EXPECT_FALSE(Game->DialogOpen);
}

TEST_F(LevelEditor, LeavingAChangedLevelAsksToSaveWhicheverWayItIsLeft) {
  WriteLevel("P", 1, {"TB"}, {"22"});
  WriteLevel("P", 2, {"BT"}, {"22"});
  OpenListed("P");
  const std::string level1 = Bytes(LevelCellsPath(Home, "P", 1));
  const std::string level2 = Bytes(LevelCellsPath(Home, "P", 2));
  auto asked = [&] {
    return Visible(N::formConfirmation) && Text(N::Message) == "There are changes in this level. Do you want to save?";
  };

  Paint(etWood, 5, 5);
  E().NextLevel();
  ASSERT_TRUE(asked());
  EXPECT_EQ(B().LevelNumber, 1);
  Press(N::btnNo);
  EXPECT_EQ(B().LevelNumber, 2);
  EXPECT_EQ(Bytes(LevelCellsPath(Home, "P", 1)), level1) << "no: the changes are dropped";

  Paint(etWood, 6, 6);
  E().PriorLevel();
  ASSERT_TRUE(asked());
  Press(N::btnYes);
  EXPECT_EQ(B().LevelNumber, 1);
  EXPECT_NE(Bytes(LevelCellsPath(Home, "P", 2)), level2) << "yes: saved before leaving";

  Paint(etWood, 6, 6);
  Game->FormKeyPress('-');
  EXPECT_FALSE(asked()) << "level 1 has no level before it";
  E().OpenGotoLevel();
  Field(N::GotoLevel).SetText("2");
  E().GotoOk();
  ASSERT_TRUE(asked());
  Press(N::btnNo);
  EXPECT_EQ(B().LevelNumber, 2);

  Paint(etWood, 7, 7);
  Game->FormKeyPress('-');
  ASSERT_TRUE(asked()) << "the \"-\" key is the prior-level button";
  Press(N::btnNo);
  EXPECT_EQ(B().LevelNumber, 1);

  Paint(etWood, 8, 8);
  E().AppendLevel();
  ASSERT_TRUE(asked());
  Press(N::btnNo);
  EXPECT_EQ(B().LevelNumber, 3);
  EXPECT_EQ(B().LevelCount, 3);

  Paint(etWood, 8, 8);
  const std::string level3 = Bytes(LevelCellsPath(Home, "P", 3));
  Press(N::gpExit);
  ASSERT_TRUE(asked());
  Press(N::btnYes);
  EXPECT_EQ(Game->ScreenState, ssMainMenu);
  EXPECT_EQ(Game->BoardIfAny(), nullptr) << "the board is freed with the editor";
  EXPECT_NE(Bytes(LevelCellsPath(Home, "P", 3)), level3);
}

TEST_F(LevelEditor, TheStoryPackIsNeitherListedNorOpenedAndBadNamesAreRefused) {
  WriteLevel(kStoryPackName, 1, {"TB"}, {"22"});
  WriteLevel("Other", 1, {"TB"}, {"22"});
  fs::create_directories(fs::path(Home) / "levels" / "Empty");
  Game->Editor->Enter();
  EXPECT_EQ(E().PackNames(), std::vector<std::string>{"Other"});
  EXPECT_EQ(FindListBox(Game->GuiBase1, N::LevelList)->Items(), std::vector<std::string>{"Other - 1 Levels"});
  const std::string story = Bytes(LevelCellsPath(Home, kStoryPackName, 1));

  for (const char* name : {"Game Levels", "game LEVELS", "  Game Levels "}) {
    SCOPED_TRACE(name);
    NewPack(name);
    EXPECT_FALSE(E().InLevel());
    EXPECT_TRUE(Has(E().LastMessage(), "story campaign, which cannot be edited")) << E().LastMessage();
    EXPECT_TRUE(Visible(N::formLevelEditorSelect));
  }
  EXPECT_EQ(Bytes(LevelCellsPath(Home, kStoryPackName, 1)), story);

  const std::pair<std::string, std::string> refused[] = {{"up/../../Outside", "contains a \"/\""},
                                                         {"../Outside", "starts with a dot"},
                                                         {"a\\b", "contains a \"\\\""},
                                                         {"tab\there", "contains a control character"}};
  for (const auto& [name, why] : refused) {
    SCOPED_TRACE(name);
    NewPack(name);
    EXPECT_FALSE(E().InLevel());
    EXPECT_TRUE(Has(E().LastMessage(), why)) << E().LastMessage();
  }
  EXPECT_FALSE(fs::exists(fs::path(Home) / "Outside"));
  const std::string said = E().LastMessage();
  NewPack("   ");
  EXPECT_EQ(E().LastMessage(), said) << "a blank name does nothing";
  EXPECT_FALSE(E().InLevel());

  const std::string other = Bytes(LevelCellsPath(Home, "Other", 1));
  NewPack("Other");
  ASSERT_TRUE(E().InLevel()) << "an existing pack's name opens it";
  EXPECT_EQ(B().PackName, "Other");
  EXPECT_EQ(Bytes(LevelCellsPath(Home, "Other", 1)), other);
  EXPECT_EQ(PieceAt(1, 1)->Kind, pkTree);
}

TEST_F(LevelEditor, AppendedLevelIsFilledAndSavedAtTheEndOfThePack) {
  NewPack("Mine");
  Paint(etWood, 2, 2);
  E().Save();
  E().AppendLevel();
  EXPECT_EQ(B().LevelNumber, 2);
  EXPECT_EQ(B().LevelCount, 2);
  EXPECT_EQ(Text(N::gpLevel), "Level 2/2");
  EXPECT_TRUE(Enabled(N::gpPrior));
  EXPECT_FALSE(Enabled(N::gpNext));
  EXPECT_FALSE(B().Modified);
  std::string error;
  const auto cells = ReadLevelCells(LevelCellsPath(Home, "Mine", 2), error);
  ASSERT_TRUE(cells) << error;
  ASSERT_EQ(cells->size(), 216u);
  for (const TCellRecord& rec : *cells) {
    EXPECT_EQ(rec.TabType, ttTab);
    EXPECT_EQ(rec.Piece, kNoPiece);
  }
}

TEST_F(LevelEditor, AWonTestIsRecordedAndThePlayerKeepsHisGame) {
  NewPack("Mine");
  Clean();
  E().SelectTool(etWood);
  Frame(2, 3, true);
  Frame(3, 3, true);
  Frame(4, 3, false);
  for (int c = 2; c <= 4; ++c) Paint(etSpriteTree, c, 3);
  Player().Score = 500;
  Player().Lives = 2;
  Player().ManaFire = 7;
  E().StartTest();
  ASSERT_EQ(Game->ScreenState, ssEditorTest) << E().LastMessage();
  EXPECT_FALSE(Visible(N::BoardOperations));
  EXPECT_FALSE(Game->aMouse.ClearOnUpdate);
  EXPECT_EQ(Player().ManaFire, 0);
  for (int i = 0; i < 3000 && !Visible(N::LevelTestCompleted); ++i) Tick();
  ASSERT_TRUE(Visible(N::LevelTestCompleted)) << "the line over the boxes wins the test";
  EXPECT_TRUE(B().Options.Tested);
  EXPECT_GT(Player().Score, 500);
  Press(N::ltOk);
  EXPECT_EQ(Game->ScreenState, ssEditor);
  EXPECT_TRUE(Visible(N::BoardOperations));
  EXPECT_EQ(Text(N::LevelStatus), "Tested Ok");
  std::string error;
  EXPECT_TRUE(ReadLevelOptions(LevelOptionsPath(Home, "Mine", 1), error)->Tested) << "the level records the win";
  EXPECT_EQ(Tab(3, 3).TabType, ttWood) << "the level is back as it was drawn";
  EXPECT_EQ(Player().Score, 500);
  EXPECT_EQ(Player().Lives, 2);
  EXPECT_EQ(Player().ManaFire, 7);
  Paint(etSpawn, 3, 3);
  EXPECT_EQ(Text(N::LevelStatus), "Not Tested");
}

TEST_F(LevelEditor, TimeOverInATestNeverEndsTheGameAndEscapeRecordsNothing) {
  NewPack("Mine");
  Clean();
  Paint(etWood, 2, 3);
  Paint(etSpriteTree, 2, 3);
  E().StartTest();
  ASSERT_EQ(Game->ScreenState, ssEditorTest) << E().LastMessage();
  Player().Lives = 1;
  B().Options.LevelTime = 1;
  for (int i = 0; i < 400 && !B().TimeOver; ++i) Tick();
  ASSERT_TRUE(B().TimeOver);
  EXPECT_EQ(Game->ScreenState, ssEditorTest) << "a test on the last life is no game over";
  EXPECT_TRUE(Visible(N::formTimeOver));
  Press(N::btTryAgain);
  EXPECT_FALSE(Visible(N::formTimeOver));
  EXPECT_FALSE(B().TimeOver);
  EXPECT_EQ(Player().Lives, 1) << "a test's retry costs no life";

  Game->FormKeyPress('-');
  EXPECT_EQ(Game->ScreenState, ssEditorTest) << "level 1 has no level before it: the test goes on";
  EXPECT_EQ(B().LevelNumber, 1);
  Game->FormKeyDown(plat::vkEscape);
  EXPECT_EQ(Game->ScreenState, ssEditor);
  EXPECT_TRUE(Visible(N::BoardOperations));
  EXPECT_TRUE(Game->aMouse.ClearOnUpdate);
  EXPECT_EQ(Text(N::LevelStatus), "Not Tested");
  EXPECT_EQ(Tab(2, 3).TabType, ttWood);

  // Escape in the editor asks whether to leave it; Escape again stays.
  Game->FormKeyDown(plat::vkEscape);
  EXPECT_TRUE(Visible(N::QuitLevelEditor));
  EXPECT_TRUE(Game->DialogOpen);
  Game->FormKeyDown(plat::vkEscape);
  EXPECT_FALSE(Visible(N::QuitLevelEditor));
  EXPECT_FALSE(Game->DialogOpen);
}

}  // namespace

TEST_F(LevelEditor, NumbersBeyondTheCompilersRangesAreBroughtIntoThemForPlayAndEditing) {
  // A hand-made options file: a level time of thirty million seconds.
  WriteLevel("Odd", 1, {"TBW"}, {"111"}, 30000000);
  ASSERT_TRUE(Open("Odd", 1));
  EXPECT_EQ(B().Options.LevelTime, kMaxLevelTime);
  OpenListed("Odd");
  EXPECT_EQ(B().Options.LevelTime, kMaxLevelTime);
  EXPECT_EQ(Field(N::loLevelTime).Text(), std::to_string(kMaxLevelTime));
}
