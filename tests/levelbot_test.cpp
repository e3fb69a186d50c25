// The level bot: which swaps it sees and how it ranks them, that it reads a
// live board the way the rules do, and that it plays campaign levels of the
// real game through the mouse and wins them.
#include <gtest/gtest.h>

#include <filesystem>

#include "board/LevelFile.h"
#include "board/MoveFinder.h"
#include "bot/BotPlayer.h"
#include "levels/LevelSource.h"
#include "support/BoardFixture.h"

namespace {

namespace fs = std::filesystem;

bool HasMove(const std::vector<TBotMove>& moves, TCell a, TCell b) {
  for (const TBotMove& m : moves) {
    if ((m.From.Col == a.Col && m.From.Row == a.Row && m.To.Col == b.Col && m.To.Row == b.Row) ||
        (m.From.Col == b.Col && m.From.Row == b.Row && m.To.Col == a.Col && m.To.Row == a.Row))
      return true;
  }
  return false;
}

TEST(BotMoves, SeesOnlySwapsTheGameKeeps) {
  // Row 1: f f t f  -> swapping (3,1) with (4,1) lines up three fire pieces.
  // Column 6: t over t over w, with a t to the right of the w -> (6,3)<->(7,3).
  TBotGrid g = TBotGrid::FromText({
      "fftfmtk",
      "wkmwftm",
      "mwkmfwt",
      "kmwkmkw",
  });
  EXPECT_TRUE(IsLineSwap(g, {3, 1}, {4, 1}));
  EXPECT_TRUE(IsLineSwap(g, {6, 3}, {7, 3}));
  EXPECT_FALSE(IsLineSwap(g, {3, 1}, {4, 2})) << "diagonal";
  EXPECT_FALSE(IsLineSwap(g, {3, 1}, {5, 1})) << "not neighbours";
  EXPECT_FALSE(IsLineSwap(g, {1, 4}, {2, 4})) << "makes no line";
  EXPECT_FALSE(IsLineSwap(g, {1, 1}, {2, 1})) << "same kind";

  // A locked piece cannot be moved, a moving piece cannot be picked, and a
  // missing cell holds nothing.
  TBotGrid locked = g;
  locked.At(4, 1).Tab = ttForceField;
  EXPECT_FALSE(IsLineSwap(locked, {3, 1}, {4, 1}));
  TBotGrid moving = g;
  moving.At(3, 1).Settled = false;
  EXPECT_FALSE(IsLineSwap(moving, {3, 1}, {4, 1}));
  TBotGrid hole = TBotGrid::FromText({"ff#f"});
  EXPECT_FALSE(IsLineSwap(hole, {3, 1}, {4, 1}));

  const std::vector<TBotMove> moves = FindBotMoves(g);
  EXPECT_TRUE(HasMove(moves, {3, 1}, {4, 1}));
  EXPECT_TRUE(HasMove(moves, {6, 3}, {7, 3}));
  for (const TBotMove& m : moves) EXPECT_TRUE(IsLineSwap(g, m.From, m.To));
}

TEST(BotMoves, SpellsAimAtBoxesAndFieldsFromACellThatHoldsAPiece) {
  TBotGrid g = TBotGrid::FromText({
      "fftfm",
      "wkmwf",
      "mwkmf",
  });
  g.At(4, 2).Tab = ttWood;
  g.At(4, 3).Tab = ttForceField2;
  // The tree spell is a column of three: centred on (4, 2) it meets both.
  EXPECT_EQ(SpellTargetValue(g, 1, 4, 2), 10 + 9 + 1);
  TCell best = BestSpellTarget(g, 1);
  EXPECT_EQ(best.Col, 4);
  EXPECT_EQ(best.Row, 2);
  // An empty or moving centre casts nothing, however much lies around it.
  g.At(4, 2).Kind = -1;
  EXPECT_EQ(SpellTargetValue(g, 1, 4, 2), 0);
  best = BestSpellTarget(g, 1);
  EXPECT_EQ(best.Col, 4);
  EXPECT_EQ(best.Row, 3) << "the field below, its column still worth most";
  g.At(4, 3).Settled = false;
  EXPECT_EQ(SpellTargetValue(g, 1, 4, 3), 0);
  EXPECT_EQ(BestSpellTarget(TBotGrid::FromText({"###"}), 4).Col, 0) << "no piece anywhere";
}

TEST(BotMoves, LinesThroughLockedPiecesCountAndLockedPiecesStay) {
  // The fire piece at (3,1) is locked in an orange field; swapping (4,1)
  // and (4,2) lines up fire at (2..4, 1) through it.
  TBotGrid g = TBotGrid::FromText({
      "mfftkw",
      "kwmfwm",
      "wkwmkt",
  });
  g.At(3, 1).Tab = ttForceField2;
  const TBotMove m = ScoreBotMove(g, {4, 1}, {4, 2});
  EXPECT_EQ(m.Longest, 3);
  EXPECT_EQ(m.BoxHits, 1) << "the orange field drops to blue";
  EXPECT_EQ(m.Broken, 2) << "the locked piece stays";
}

TEST(BotMoves, RanksBoxesFirstThenLowerCellsAndShunsSkullsOnPlainCells) {
  // Two ready moves of equal shape: one breaks pieces over wooden boxes
  // (upper case) near the top, the other plain cells lower down.
  TBotGrid boxes = TBotGrid::FromText({
      "FFtFmk",
      "wkmwkt",
      "mwkmwk",
      "ffwfmt",
  });
  std::vector<TBotMove> moves = FindBotMoves(boxes);
  ASSERT_FALSE(moves.empty());
  EXPECT_EQ(moves[0].BoxHits, 2);
  EXPECT_EQ(moves[0].From.Row, 1);

  // Without boxes the lower of two equal lines comes first: its fall stirs
  // more of the board.
  TBotGrid plain = TBotGrid::FromText({
      "fftfmk",
      "wkmwkt",
      "mwkmwk",
      "ffwfmt",
  });
  moves = FindBotMoves(plain);
  ASSERT_GE(moves.size(), 2u);
  EXPECT_EQ(moves[0].From.Row, 4);

  // The move that breaks the last box wins the level: it beats a line of
  // five elsewhere.
  TBotGrid last = TBotGrid::FromText({
      "Fftfkm",
      "wkmwtk",
      "mmwmmk",
      "twktwt",
  });
  moves = FindBotMoves(last);
  ASSERT_GE(moves.size(), 2u);
  EXPECT_EQ(moves[0].BoxHits, 1);
  bool five = false;
  for (const TBotMove& m : moves) five = five || m.Longest == 5;
  EXPECT_TRUE(five);

  // A line of skulls on plain cells would leave three new boxes: any other
  // line is better.
  TBotGrid skulls = TBotGrid::FromText({
      "xxkxmt",
      "wkmwkt",
      "mwkmwk",
      "ffwfmk",
  });
  moves = FindBotMoves(skulls);
  ASSERT_GE(moves.size(), 2u);
  EXPECT_NE(moves[0].From.Row, 1);
  EXPECT_LT(moves.back().BoxHits, 0);
}

TEST(BotMoves, ExpectsTheChainWhenFallingPiecesLineUp) {
  // Breaking the fire line of row 3 drops the two trees of column 1 onto
  // the tree in row 4: a second line the bot can count on.
  TBotGrid g = TBotGrid::FromText({
      "tkmwk",
      "twkmw",
      "ffmfk",
      "tmwkm",
  });
  const TBotMove m = ScoreBotMove(g, {3, 3}, {4, 3});
  ASSERT_EQ(m.Longest, 3);
  EXPECT_GE(m.ChainLines, 1) << "t, t fall onto the t of row 4";
  const TBotMove none = ScoreBotMove(g, {2, 1}, {3, 1});
  EXPECT_EQ(none.Longest, 0);
}

// The level check the campaign is tuned with: a piece in column 18 never
// slides, so a column 17 with no cell on top is fed only from column 16.
TEST(BotLevels, ColumnSeventeenUnderAGapIsFedOnlyFromTheLeft) {
  auto level = [](const std::string& top, const std::string& spawns) {
    std::string text = "time 100\nbackground 1\nmax-skulls 0\nallow fire tree water\ntiles\n";
    text += "\t" + std::string(15, '.') + top + "\n";
    for (int r = 2; r <= 12; ++r) text += "\t" + std::string(16, '.') + "__\n";
    text += "spawns\n\t" + std::string(15, '.') + spawns + "\n";
    for (int r = 2; r <= 12; ++r) text += "\t" + std::string(18, '.') + "\n";
    return ParseLevelSource(text, "test.txt");
  };
  // Spawn points over columns 16 and 18: column 17 fills by slides from 16.
  EXPECT_TRUE(UnfedCells(level("_._", "v.v")).empty());
  // Only the spawn point over column 18: column 17 starves.
  const std::vector<std::pair<int, int>> unfed = UnfedCells(level("_._", "..v"));
  EXPECT_EQ(unfed.size(), 11u + 1u);  // rows 2..12 of column 17, and the lone cell over column 16
  for (auto [c, r] : unfed) EXPECT_TRUE(c == 17 || (c == 16 && r == 1)) << c << "," << r;
}

class BotBoard : public BoardFixture {};

TEST_F(BotBoard, ReadsTheLiveBoardAsTheRulesSeeIt) {
  Build({"TTFT#", "FBTF.", "BFBBF"}, {"   5 ", "  2  ", "3    "});
  TBotGrid g = TBotGrid::FromBoard(B());
  EXPECT_EQ(g.At(1, 1).Kind, pkTree);
  EXPECT_EQ(g.At(4, 1).Tab, ttForceField2);
  EXPECT_EQ(g.At(3, 2).Tab, ttWood);
  EXPECT_EQ(g.At(1, 3).Tab, ttFerro);
  EXPECT_EQ(g.At(5, 1).Tab, ttNone);
  EXPECT_EQ(g.At(5, 2).Kind, -1);
  EXPECT_EQ(g.BoxCount(), 3);
  for (int c = 1; c <= 4; ++c) EXPECT_TRUE(g.At(c, 1).Settled);
  // The fire piece at (3,1) would complete T T _ T, but (4,1) is locked:
  // (3,1)<->(3,2) brings a tree up instead and is the one line to make.
  const std::vector<TBotMove> moves = FindBotMoves(g);
  ASSERT_FALSE(moves.empty());
  EXPECT_TRUE(HasMove(moves, {3, 1}, {3, 2}));
  for (const TBotMove& m : moves) {
    EXPECT_NE(g.At(m.From.Col, m.From.Row).Tab, ttForceField2);
    EXPECT_NE(g.At(m.To.Col, m.To.Row).Tab, ttForceField2);
  }
  // A piece on its way is not there for the bot to pick.
  PieceAt(3, 2)->StartMoveDown();
  EXPECT_FALSE(TBotGrid::FromBoard(B()).At(3, 2).Settled);
  EXPECT_FALSE(HasMove(FindBotMoves(TBotGrid::FromBoard(B())), {3, 1}, {3, 2}));
}

// Runs of the real game: skipped until the game data and the levels are built.
class BotPlays : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path build(GW_BUILD_DIR);
    if (!fs::exists(build / "Data" / "GameData.CPDB") || !fs::exists(build / "data" / "interface.gui") ||
        !fs::exists(build / "levels" / "Game Levels" / "1.lvl"))
      GTEST_SKIP() << "the game data and the levels have not been built in " << build;
  }
};

TEST_F(BotPlays, WinsCampaignLevelsThroughTheMouse) {
  struct Case {
    int Level;
    uint32_t Seed;
  };
  // The first level, the first iron boxes, and the first blue fields.
  for (const Case c : {Case{1, 11}, Case{3, 21}, Case{9, 31}}) {
    const TBotLevelResult r = RunBotOnLevel(GW_BUILD_DIR, "Game Levels", c.Level, c.Seed);
    ASSERT_TRUE(r.Error.empty()) << r.Error;
    EXPECT_TRUE(r.Won) << "level " << c.Level << " seed " << c.Seed << "\n" << r.FinalBoard;
    EXPECT_GT(r.SecondsLeft, 0);
    EXPECT_GT(r.Moves, 0);
    // Every click pair the bot made was a swap the game took.
    EXPECT_EQ(r.Refused, 0) << "level " << c.Level;
    EXPECT_EQ(r.BoxesLeft, 0);
  }
}

TEST_F(BotPlays, SameSeedPlaysTheSameGame) {
  const TBotLevelResult a = RunBotOnLevel(GW_BUILD_DIR, "Game Levels", 1, 5);
  const TBotLevelResult b = RunBotOnLevel(GW_BUILD_DIR, "Game Levels", 1, 5);
  ASSERT_TRUE(a.Error.empty()) << a.Error;
  EXPECT_EQ(a.Won, b.Won);
  EXPECT_EQ(a.Moves, b.Moves);
  EXPECT_EQ(a.SecondsLeft, b.SecondsLeft);
  EXPECT_EQ(a.Ticks, b.Ticks);
}

TEST_F(BotPlays, AnUnwinnableLevelEndsAtTimeOverAndAMissingOneIsAnError) {
  // A small board whose one box sits alone in a cell with no neighbours:
  // no line can ever pass over it.
  const fs::path home = fs::temp_directory_path() / "gw-levelbot-unwinnable";
  fs::remove_all(home);
  fs::create_directories(home);
  const fs::path build(GW_BUILD_DIR);
  fs::create_directory_symlink(build / "Data", home / "Data");
  fs::create_directory_symlink(build / "data", home / "data");
  std::vector<TCellRecord> cells;
  const char* rows[] = {"vvvvv", "_____", "_____", "#####", "##w##"};
  const uint8_t kinds[3] = {pkBlack, pkTree, pkFire};
  for (int c = 1; c <= 5; ++c) {
    for (int r = 1; r <= 5; ++r) {
      TCellRecord rec;
      rec.Col = c;
      rec.Row = r;
      const char t = rows[r - 1][c - 1];
      rec.TabType = t == '#' ? ttNone : t == 'w' ? ttWood : ttTab;
      rec.Spawn = t == 'v';
      rec.Piece = t == '#' ? kNoPiece : kinds[(c + r) % 3];
      cells.push_back(rec);
    }
  }
  TLevelOptions options;
  options.LevelTime = 4;
  options.MaxCaveiras = 0;
  std::string error;
  ASSERT_TRUE(WriteLevelOptions(LevelOptionsPath(home.string(), "Lock", 1), options, error)) << error;
  ASSERT_TRUE(WriteLevelCells(LevelCellsPath(home.string(), "Lock", 1), cells, error)) << error;

  const TBotLevelResult r = RunBotOnLevel(home.string(), "Lock", 1, 3);
  EXPECT_TRUE(r.Error.empty()) << r.Error;
  EXPECT_FALSE(r.Won);
  EXPECT_TRUE(r.TimeOver);
  EXPECT_FALSE(r.Stuck);
  EXPECT_EQ(r.BoxesLeft, 1);
  EXPECT_LT(r.Ticks, 6 * 121 + 600);

  const TBotLevelResult missing = RunBotOnLevel(home.string(), "Lock", 2, 3);
  EXPECT_FALSE(missing.Error.empty());
  EXPECT_FALSE(missing.Won);
  std::error_code ec;
  fs::remove_all(home, ec);
}

}  // namespace
