// The readable level sources: text -> level files -> text, the strict reader,
// the drawing of "?" pieces, the refill analysis, and the campaign itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "engine/core/DataFile.h"
#include "levels/LevelSource.h"

namespace {

namespace fs = std::filesystem;

// A level in the decompiler's own layout, using every tile, piece and option.
const char* kCanonical =
    "time 180\n"
    "background 11\n"
    "max-skulls 2\n"
    "allow black mountain fire tree water book pearl crystal\n"
    "tested\n"
    "tiles\n"
    "\t122222222222222223\n"
    "\t8________________4\n"
    "\t8_wwiibbo________4\n"
    "\t8________________4\n"
    "\t8_______.._______4\n"
    "\t8________________4\n"
    "\t8________________4\n"
    "\t8________________4\n"
    "\t8________________4\n"
    "\t8________________4\n"
    "\t8________________4\n"
    "\t766666666666666665\n"
    "spawns\n"
    "\t..................\n"
    "\t.vvvvvvvvvvvvvvvv.\n"
    "\t..................\n"
    "\t..................\n"
    "\t..................\n"
    "\t..................\n"
    "\t..................\n"
    "\t..................\n"
    "\t..................\n"
    "\t..................\n"
    "\t..................\n"
    "\t..................\n"
    "pieces\n"
    "\t..................\n"
    "\t.kmftwbpcxkmftwbp.\n"
    "\t.ftkwmkbpcfmtwbkp.\n"
    "\t..................\n"
    "\t..................\n"
    "\t..................\n"
    "\t..................\n"
    "\t..................\n"
    "\t..................\n"
    "\t..................\n"
    "\t..................\n"
    "\t..................\n";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::string ParseError(const std::string& text) {
  try {
    ParseLevelSource(text, "lvl.txt");
  } catch (const DataError& e) {
    return e.what();
  }
  return "no error";
}

// A level of plain cells from rows of tile letters (12 rows given top-down).
TLevelSource Tiles(const std::vector<std::string>& rows, const std::string& allow = "fire tree water") {
  std::string text = "time 100\nbackground 1\nmax-skulls 0\nallow " + allow + "\ntiles\n";
  for (const std::string& r : rows) text += "\t" + r + "\n";
  return ParseLevelSource(text, "t.txt");
}

class LevelSources : public ::testing::Test {
 protected:
  void SetUp() override {
    Home = fs::temp_directory_path() /
           ("gw-levelsource-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(Home);
    fs::create_directories(Home);
  }
  void TearDown() override { fs::remove_all(Home); }
  void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  fs::path Home;
};

TEST_F(LevelSources, TextToLevelFilesAndBack) {
  const TLevelSource level = ParseLevelSource(kCanonical, "canon.txt");
  EXPECT_EQ(level.At(3, 3).TabType, ttWood);
  EXPECT_EQ(level.At(9, 3).TabType, ttForceField2);
  EXPECT_EQ(level.At(1, 1).TabType, ttRebarba1);
  EXPECT_EQ(level.At(18, 12).TabType, 10);  // the bottom-right corner, 5th edge piece
  EXPECT_EQ(level.At(10, 2).Piece, 8);      // a skull
  EXPECT_EQ(level.Options.MaxCaveiras, 2);
  EXPECT_EQ(level.Options.Tested, 1);

  const std::vector<TCellRecord> records = LevelCellRecords(level);
  ASSERT_EQ(records.size(), 216u);
  EXPECT_EQ(records[1].Col, 1);  // column by column, rows within
  EXPECT_EQ(records[1].Row, 2);
  const TCellRecord& blue = records[(7 - 1) * 12 + (3 - 1)];  // (7, 3)
  EXPECT_EQ(blue.TabType, ttForceField);
  EXPECT_EQ(blue.Piece, 0);  // black
  EXPECT_EQ(records[(2 - 1) * 12 + (2 - 1)].Spawn, 1);
  EXPECT_EQ(records[(9 - 1) * 12 + (5 - 1)].Piece, kNoPiece);  // no cell

  TPackSource pack{"Round Trip", {level}};
  std::vector<std::string> warnings;
  std::string error;
  ASSERT_TRUE(CompilePack(pack, Home.string(), warnings, error)) << error;
  TLevelSource back;
  std::vector<std::string> notes;
  ASSERT_TRUE(ReadCompiledLevel(Home.string(), "Round Trip", 1, back, notes, error)) << error;
  EXPECT_TRUE(notes.empty());
  EXPECT_EQ(FormatLevelSource(back), kCanonical);
  // And once more through the binary: the same bytes.
  EXPECT_EQ(LevelCellRecords(ParseLevelSource(FormatLevelSource(back), "again")).size(), 216u);
  for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(LevelCellRecords(back)[i].Encode(), records[i].Encode());
}

TEST_F(LevelSources, DecompilingKeepsWhatTheGameWouldLoad) {
  TLevelOptions options;
  options.AllowBook = 2;
  options.AllowPearl = 1;
  std::vector<TCellRecord> records;
  TCellRecord a;  // (1, 1): a plain cell with a pearl
  a.Col = 1, a.Row = 1, a.TabType = ttTab, a.Piece = 6;
  records.push_back(a);
  TCellRecord again = a;  // the same cell again without a piece keeps the pearl
  again.Piece = kNoPiece;
  again.Spawn = 1;
  records.push_back(again);
  TCellRecord outside = a;
  outside.Col = 19;
  records.push_back(outside);
  TCellRecord odd;  // (2, 1): unknown tab type and piece byte
  odd.Col = 2, odd.Row = 1, odd.TabType = 14, odd.Piece = 12;
  records.push_back(odd);
  TCellRecord none;  // a piece on "no cell" is removed by the game
  none.Col = 3, none.Row = 1, none.TabType = ttNone, none.Piece = 3;
  records.push_back(none);

  std::vector<std::string> notes;
  const TLevelSource level = LevelFromRecords(options, records, notes);
  EXPECT_EQ(level.At(1, 1).Piece, 6);
  EXPECT_EQ(level.At(1, 1).Spawn, 1);
  EXPECT_EQ(level.At(2, 1).TabType, ttTab);
  EXPECT_EQ(level.At(2, 1).Piece, kNoPiece);
  EXPECT_EQ(level.At(3, 1).Piece, kNoPiece);
  EXPECT_EQ(level.At(5, 5).TabType, ttNone);  // no record: no cell
  EXPECT_EQ(level.Options.AllowBook, 1);
  const std::string all = [&] {
    std::string s;
    for (const std::string& n : notes) s += n + "\n";
    return s;
  }();
  EXPECT_NE(all.find("holds 5 records, not 216"), std::string::npos) << all;
  EXPECT_NE(all.find("record 2 (column 1, row 1) repeats a cell"), std::string::npos) << all;
  EXPECT_NE(all.find("record 3 (column 19, row 1) lies outside the grid"), std::string::npos) << all;
  EXPECT_NE(all.find("tab type 14; read as a plain cell"), std::string::npos) << all;
  EXPECT_NE(all.find("piece byte 12"), std::string::npos) << all;
  EXPECT_NE(all.find("allow flag of book is 2"), std::string::npos) << all;
  // The text says what it can: the pearl stays, the spawn point too.
  const TLevelSource text = ParseLevelSource(FormatLevelSource(level), "d.txt");
  EXPECT_EQ(text.At(1, 1), level.At(1, 1));
}

TEST(LevelSourceErrors, NameFileAndLine) {
  const std::string good = kCanonical;
  EXPECT_EQ(ParseError(Replace(good, "tested\n", "tested\ncolour red\n")), "lvl.txt:6: unknown word \"colour\"");
  EXPECT_EQ(ParseError(Replace(good, "\t8_wwiibbo", "\t8_wwqibbo")), "lvl.txt:9: unknown character 'q' in column 5");
  EXPECT_EQ(ParseError(Replace(good, "\t.vvvv", "\t.Vvvv")), "lvl.txt:21: unknown character 'V' in column 2");
  EXPECT_EQ(ParseError(Replace(good, "\t.kmftw", "\t.kmftz")), "lvl.txt:34: unknown character 'z' in column 6");
  EXPECT_EQ(ParseError(Replace(good, "\t8________________4\n", "\t8_______________4\n")),
            "lvl.txt:8: a row has 18 characters, this one has 17");
  EXPECT_EQ(ParseError(Replace(good, "\t8________________4\n", "")), "lvl.txt:6: \"tiles\" needs 12 indented rows, not 11");
  EXPECT_EQ(ParseError(Replace(good, "\t8________________4\n", "\t8________ _______4\n")),
            "lvl.txt:8: a row is one word of 18 characters, without spaces");
  EXPECT_EQ(ParseError(Replace(good, "background 11", "background 12")), "lvl.txt:2: \"12\" is out of range 1..11");
  EXPECT_EQ(ParseError(Replace(good, "time 180", "time 0")), "lvl.txt:1: \"0\" is out of range 1..99999");
  EXPECT_EQ(ParseError(Replace(good, "pearl crystal", "pearl banana")), "lvl.txt:4: unknown piece kind \"banana\"");
  EXPECT_EQ(ParseError(Replace(good, "pearl crystal", "pearl pearl")), "lvl.txt:4: \"pearl\" is allowed twice");
  EXPECT_EQ(ParseError(Replace(good, "pearl crystal", "skull")).substr(0, 31), "lvl.txt:4: skulls are not allow");
  EXPECT_EQ(ParseError(Replace(good, "tested\n", "tested\ntime 5\n")), "lvl.txt:6: \"time\" is given twice (first on line 1)");
  EXPECT_EQ(ParseError(Replace(good, "time 180\n", "")), "lvl.txt: the level has no \"time\" line");
  EXPECT_EQ(ParseError(Replace(good, "tested\n", "tested yes\n")), "lvl.txt:5: \"tested\" takes 0 value(s)");
  EXPECT_EQ(ParseError(Replace(good, "tiles\n", "tiles\n\t8________________4\n")),
            "lvl.txt:6: \"tiles\" needs 12 indented rows, not 13");
  EXPECT_EQ(ParseError("__________________\n" + good),
            "lvl.txt:1: unknown word \"__________________\" (grid rows are indented under \"tiles\", "
            "\"spawns\" or \"pieces\")");
  EXPECT_EQ(ParseError(Replace(good, "tested\n", "tested\n\tyes\n")), "lvl.txt:6: \"tested\" takes no indented lines");
}

TEST(LevelSourceErrors, RulesOfAPlayableLevel) {
  const std::string good = kCanonical;
  // Row 3's pieces are on line 35; the orange field is column 9.
  EXPECT_EQ(ParseError(Replace(good, "\t.ftkwmkbpcfmtwbkp.", "\t.ftkwmkb.cfmtwbkp.")),
            "lvl.txt:35: column 9: a force field without a piece (a locked cell must store its piece)");
  EXPECT_EQ(ParseError(Replace(good, "\t..................\n\t.kmftw", "\tk.................\n\t.kmftw")),
            "lvl.txt:33: column 1: a piece on a cell that holds none (no cell or an edge piece)");
  EXPECT_EQ(ParseError(Replace(good, "black mountain fire", "black fire")),
            "lvl.txt:34: column 3: a mountain piece, but the level does not allow mountain");
  EXPECT_EQ(ParseError(Replace(good, "\t.vvvvvvvvvvvvvvvv.\n\t..................\n",
                               "\t.vvvvvvvvvvvvvvvv.\n\t.......v..........\n")),
            "lvl.txt:22: column 8: a spawn point on a cell whose pieces cannot be picked (only plain cells and boxes)");
  // Without a pieces picture every cell that holds a piece gets a drawn one.
  const std::string open = good.substr(0, good.find("pieces"));
  const TLevelSource level = ParseLevelSource(open, "open.txt");
  EXPECT_EQ(level.At(2, 2).Piece, kRandomPiece);
  EXPECT_EQ(level.At(1, 2).Piece, kNoPiece);
  EXPECT_EQ(level.At(9, 5).Piece, kNoPiece);
}

TEST(LevelSourceDrawing, RandomPiecesAreReproducibleAndLeaveNoLine) {
  TLevelSource level = Tiles(std::vector<std::string>(12, "__________________"), "fire tree water");
  level.At(5, 5).Piece = 8;  // a fixed skull stays
  TLevelSource again = level, other = level;
  std::string error;
  ASSERT_TRUE(ResolveRandomPieces(level, 7, error)) << error;
  ASSERT_TRUE(ResolveRandomPieces(again, 7, error));
  ASSERT_TRUE(ResolveRandomPieces(other, 8, error));
  EXPECT_EQ(level.Cells, again.Cells);
  EXPECT_NE(level.Cells, other.Cells);
  EXPECT_EQ(level.At(5, 5).Piece, 8);
  std::set<int> kinds;
  for (const TLevelCell& c : level.Cells) kinds.insert(c.Piece);
  EXPECT_EQ(kinds, (std::set<int>{2, 3, 4, 8}));
  for (const std::string& w : LevelWarnings(level)) EXPECT_EQ(w.find("ready-made"), std::string::npos) << w;
  EXPECT_GE(CountIdleCheckMoves(level), 6);

  TLevelSource single = Tiles(std::vector<std::string>(12, "__________________"), "tree");
  EXPECT_FALSE(ResolveRandomPieces(single, 1, error));
  EXPECT_EQ(error, "t.txt:8: column 1: no allowed kind fits here without making a line of three");
}

TEST(LevelSourceChecks, StraightMoveCountSeesOnlyMovesAlongTheLine) {
  TLevelSource level = Tiles(std::vector<std::string>(12, "__________________"));
  auto setRow = [&](int row, const std::string& letters) {
    for (int c = 1; c <= 18; ++c) level.At(c, row).Piece = letters[static_cast<size_t>(c - 1)] == 't' ? 3 : 9;
  };
  for (int r = 1; r <= 12; ++r) setRow(r, "..................");
  setRow(5, "....tt.t..........");  // X X o X: the "o" must hold a piece
  EXPECT_EQ(CountIdleCheckMoves(level), 0);
  level.At(7, 5).Piece = 2;
  EXPECT_EQ(CountIdleCheckMoves(level), 1);
  // The same shape starting in column 1 is not seen (outer two columns).
  setRow(5, "tt.t..............");
  level.At(3, 5).Piece = 2;
  EXPECT_EQ(CountIdleCheckMoves(level), 0);
  // A third piece diagonally below the gap is a side move: not counted.
  setRow(5, "....tt.t..........");
  level.At(7, 5).Piece = 9;
  setRow(6, "......t...........");
  level.At(7, 5).Piece = 2;
  level.At(8, 5).Piece = 9;
  EXPECT_EQ(CountIdleCheckMoves(level), 0);
}

// The warning about a level without a move finds moves as the game's idle
// check does, from the side too.
TEST(LevelSourceChecks, NoMoveWarningSeesEveryLineMakingSwap) {
  std::vector<std::string> rows(12, "..................");
  rows[4] = "___...............";
  rows[5] = "___...............";
  TLevelSource level = Tiles(rows);
  auto put = [&](int col, int row, int kind) { level.At(col, row).Piece = static_cast<uint8_t>(kind); };
  auto warned = [&] {
    for (const std::string& w : LevelWarnings(level))
      if (w.find("finds no move") != std::string::npos) return true;
    return false;
  };
  // Trees at (1, 5) and (2, 5), fire at (3, 5), a tree below the fire: a
  // side swap, which the straight count does not see.
  put(1, 5, 3);
  put(2, 5, 3);
  put(3, 5, 2);
  put(1, 6, 4);
  put(2, 6, 2);
  put(3, 6, 3);
  EXPECT_EQ(CountIdleCheckMoves(level), 0);
  EXPECT_FALSE(warned());
  put(3, 6, 4);  // water instead: nothing lines up
  EXPECT_TRUE(warned());
}

TEST(LevelSourceChecks, RefillReachesPastGapsButNotUnderBarsOfFields) {
  std::vector<std::string> rows(12, "__________________");
  rows[3] = "____.__.._________";  // a hole and a gap of two in row 4
  TLevelSource level = Tiles(rows);
  for (int c = 1; c <= 18; ++c) level.At(c, 1).Spawn = 1;
  EXPECT_TRUE(UnfedCells(level).empty());

  // Three force fields side by side: the middle one's cell below has no feed.
  for (int c = 5; c <= 7; ++c) level.At(c, 6) = TLevelCell{ttForceField, 3, 0};
  // (Further down the slides feed it again: the field above stops column 6.)
  EXPECT_EQ(UnfedCells(level), (std::vector<std::pair<int, int>>{{6, 7}}));
  // A flat gap of four columns starves its middle; a spawn in row 12 never produces.
  rows.assign(12, "__________________");
  rows[0] = "____....__________";
  level = Tiles(rows);
  for (int c = 1; c <= 18; ++c) level.At(c, 1).Spawn = c < 5 || c > 8;
  level.At(12, 12).Spawn = 1;
  const auto unfed = UnfedCells(level);
  EXPECT_EQ(unfed.front(), (std::pair<int, int>{6, 2}));
  EXPECT_EQ(unfed.back(), (std::pair<int, int>{12, 12}));
  const auto warnings = LevelWarnings(level);
  ASSERT_FALSE(warnings.empty());
  EXPECT_EQ(warnings.front(), "t.txt:17: column 12: a spawn point in row 12 never produces pieces");
}

TEST_F(LevelSources, PacksAreNumberedFromOneWithoutGaps) {
  const std::string level = std::string(kCanonical);
  Write(Home / "src" / "Pack" / "01.txt", level);
  Write(Home / "src" / "Pack" / "3.txt", level);
  try {
    LoadPackSource((Home / "src" / "Pack").string());
    FAIL() << "a gap was accepted";
  } catch (const DataError& e) {
    EXPECT_NE(std::string(e.what()).find("level 2 is missing before level 3"), std::string::npos) << e.what();
  }
  fs::rename(Home / "src" / "Pack" / "3.txt", Home / "src" / "Pack" / "2.txt");
  Write(Home / "src" / "Pack" / "notes.md", "x");
  EXPECT_THROW(LoadPackSource((Home / "src" / "Pack").string()), DataError);
  fs::remove(Home / "src" / "Pack" / "notes.md");
  const TPackSource pack = LoadPackSource((Home / "src" / "Pack").string());
  ASSERT_EQ(pack.Levels.size(), 2u);
  EXPECT_EQ(pack.Name, "Pack");

  // Compiling drops the files of levels beyond the pack's last.
  Write(Home / "out" / "levels" / "Pack" / "3.lvl", "");
  Write(Home / "out" / "levels" / "Pack" / "3.opt", "");
  std::vector<std::string> warnings;
  std::string error;
  ASSERT_TRUE(CompilePack(pack, (Home / "out").string(), warnings, error)) << error;
  EXPECT_EQ(CountPackLevels((Home / "out").string(), "Pack"), 2);
  EXPECT_FALSE(fs::exists(Home / "out" / "levels" / "Pack" / "3.opt"));
}

// The campaign as it ships: every level compiles without a warning, and the
// tutorial hints find what they point at in the order they come.
TEST_F(LevelSources, CampaignLevelsTeachStepByStep) {
  const TPackSource pack = LoadPackSource(std::string(GW_SOURCE_DIR) + "/content/levels/Game Levels");
  ASSERT_GE(pack.Levels.size(), 20u);
  std::vector<std::string> warnings;
  std::string error;
  ASSERT_TRUE(CompilePack(pack, Home.string(), warnings, error)) << error;
  for (const std::string& w : warnings) ADD_FAILURE() << w;

  // First level holding each box kind where the hints look (rows 11 up to 1),
  // and whether a skull can enter.
  int first[6] = {0, 0, 0, 0, 0, 0};
  int firstSkulls = 0;
  for (int n = 1; n <= static_cast<int>(pack.Levels.size()); ++n) {
    TLevelSource level;
    std::vector<std::string> notes;
    ASSERT_TRUE(ReadCompiledLevel(Home.string(), "Game Levels", n, level, notes, error)) << error;
    EXPECT_TRUE(LevelErrors(level).empty()) << n;
    // Time limits are set from the level bot's runs; none is shorter than
    // the 40 seconds a new player needs to find the first moves.
    EXPECT_GE(level.Options.LevelTime, 40) << n;
    for (int kind = ttWood; kind <= ttForceField2; ++kind) {
      for (int r = 11; r >= 1 && !first[kind]; --r)
        for (int c = 1; c <= 18 && !first[kind]; ++c)
          if (level.At(c, r).TabType == kind) {
            first[kind] = n;
            EXPECT_GE(r, 4) << "the hint bubble over level " << n << "'s first box needs room above it";
          }
    }
    if (level.Options.MaxCaveiras > 0 && !firstSkulls) firstSkulls = n;
  }
  EXPECT_EQ(first[ttWood], 1);
  EXPECT_LT(first[ttWood], first[ttFerro]);
  EXPECT_LT(first[ttFerro], firstSkulls);
  EXPECT_LT(firstSkulls, first[ttForceField]);
  EXPECT_LT(first[ttForceField], first[ttForceField2]);
  EXPECT_LE(first[ttForceField2], 12);

  // The first hint points at (225, 405), cell (5, 10) of level 1: a swap of
  // that piece with a neighbour must make a line.
  TLevelSource one;
  std::vector<std::string> notes;
  ASSERT_TRUE(ReadCompiledLevel(Home.string(), "Game Levels", 1, one, notes, error));
  ASSERT_EQ(one.At(5, 10).TabType, ttTab);
  EXPECT_EQ(one.Options.MaxCaveiras, 0);
  bool move = false;
  for (auto [dc, dr] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}}) {
    TLevelSource swapped = one;
    std::swap(swapped.At(5, 10).Piece, swapped.At(5 + dc, 10 + dr).Piece);
    for (const std::string& w : LevelWarnings(swapped)) move = move || w.find("ready-made line") != std::string::npos;
  }
  EXPECT_TRUE(move);
}

}  // namespace
