// The two files of a level: byte layout of the records, reading errors,
// atomic writing, and counting the levels of a pack.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "board/LevelFile.h"

namespace {

namespace fs = std::filesystem;

class LevelFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    Home = (fs::temp_directory_path() /
            ("gw-levelfile-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())))
               .string();
    fs::remove_all(Home);
    fs::create_directories(Home);
  }
  void TearDown() override { fs::remove_all(Home); }
  void WriteRaw(const std::string& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
  }
  std::string Home;
};

TEST_F(LevelFiles, OptionsRecordLayout) {
  TLevelOptions o;
  o.LevelTime = 0x01020304;
  o.Background = 7;
  o.Reserved = "ignored";
  o.AllowTree = 1;
  o.AllowFire = 0;
  o.AllowBlack = 1;
  o.AllowCristal = 1;
  o.AllowGota = 0;
  o.AllowBook = 1;
  o.AllowPearl = 0;
  o.AllowRed = 1;
  o.MaxCaveiras = -2;
  o.Tested = 1;
  const auto b = o.Encode();
  ASSERT_EQ(b.size(), 76u);
  EXPECT_EQ(b[0], 0x04);
  EXPECT_EQ(b[3], 0x01);
  EXPECT_EQ(b[4], 7);
  EXPECT_EQ(b[8], 7) << "the short string's length byte";
  EXPECT_EQ(b[9], 'i');
  const uint8_t flags[8] = {1, 0, 1, 1, 0, 1, 0, 1};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(b[59 + i], flags[i]) << i;
  EXPECT_EQ(b[67], 0);
  EXPECT_EQ(b[68], 0xFE);
  EXPECT_EQ(b[71], 0xFF);
  EXPECT_EQ(b[72], 1);
  const TLevelOptions back = TLevelOptions::Decode(b.data());
  EXPECT_EQ(back.LevelTime, o.LevelTime);
  EXPECT_EQ(back.MaxCaveiras, -2);
  EXPECT_EQ(back.AllowRed, 1);
  EXPECT_TRUE(back.Reserved.empty()) << "the reserved text is not read back";
  EXPECT_FALSE(TLevelOptions{}.AllowCristal);
  TLevelOptions none;
  none.AllowTree = none.AllowFire = none.AllowBlack = 0;
  EXPECT_FALSE(none.AnyAllowed());
}

TEST_F(LevelFiles, CellRecordLayout) {
  TCellRecord r;
  r.Col = 18;
  r.Row = 12;
  r.Piece = kNoPiece;
  r.TabType = 5;
  r.Spawn = 1;
  const auto b = r.Encode();
  const std::array<uint8_t, 12> expected = {18, 0, 0, 0, 12, 0, 0, 0, 9, 5, 1, 0};
  EXPECT_EQ(b, expected);
  EXPECT_TRUE(r.InGrid());
  r.Col = 19;
  EXPECT_FALSE(r.InGrid());
  const uint8_t neg[12] = {0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 3, 2, 0, 0};
  const TCellRecord d = TCellRecord::Decode(neg);
  EXPECT_EQ(d.Col, -1);
  EXPECT_FALSE(d.InGrid());
}

TEST_F(LevelFiles, ShortOrMissingFilesAreReportedNotRead) {
  std::string error;
  EXPECT_FALSE(ReadLevelOptions(Home + "/none.opt", error));
  EXPECT_NE(error.find("none.opt"), std::string::npos);
  WriteRaw(Home + "/a.opt", std::vector<uint8_t>(75, 0));
  EXPECT_FALSE(ReadLevelOptions(Home + "/a.opt", error));
  EXPECT_NE(error.find("cut short"), std::string::npos);
  WriteRaw(Home + "/a.lvl", std::vector<uint8_t>(25, 0));
  EXPECT_FALSE(ReadLevelCells(Home + "/a.lvl", error));
  WriteRaw(Home + "/b.lvl", {});
  auto empty = ReadLevelCells(Home + "/b.lvl", error);
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->empty());
}

TEST_F(LevelFiles, PipesFoldersAndHugeFilesAreRefusedWithoutWaiting) {
  std::string error;
  ASSERT_EQ(::mkfifo((Home + "/1.lvl").c_str(), 0600), 0);
  EXPECT_FALSE(ReadLevelCells(Home + "/1.lvl", error));  // a pipe would block for ever
  EXPECT_NE(error.find("not a plain file"), std::string::npos) << error;
  fs::create_directories(Home + "/1.opt");
  EXPECT_FALSE(ReadLevelOptions(Home + "/1.opt", error));
  std::ofstream(Home + "/2.lvl", std::ios::binary).seekp((2 << 20) - 1).put('x');  // a sparse 2 MB file
  EXPECT_FALSE(ReadLevelCells(Home + "/2.lvl", error));
  EXPECT_NE(error.find("too large"), std::string::npos) << error;
}

TEST_F(LevelFiles, WritingReplacesThroughATemporaryFile) {
  const std::string path = LevelCellsPath(Home, "P", 1);
  std::string error;
  std::vector<TCellRecord> cells(3);
  ASSERT_TRUE(WriteLevelCells(path, cells, error)) << error;
  cells.resize(216);
  ASSERT_TRUE(WriteLevelCells(path, cells, error)) << error;
  EXPECT_EQ(fs::file_size(path), 216u * 12);
  EXPECT_FALSE(fs::exists(path + ".tmp"));
  // A folder in the way of the file: the write fails and says so.
  fs::create_directories(Home + "/blocked.lvl");
  EXPECT_FALSE(WriteLevelCells(Home + "/blocked.lvl", cells, error));
  EXPECT_FALSE(error.empty());
}

TEST_F(LevelFiles, PackCountStopsAtTheFirstGap) {
  EXPECT_EQ(CountPackLevels(Home, "P"), 0);
  std::string error;
  for (int n : {1, 2, 3, 5}) ASSERT_TRUE(WriteLevelCells(LevelCellsPath(Home, "P", n), {}, error));
  EXPECT_EQ(CountPackLevels(Home, "P"), 3);
}

}  // namespace

namespace {

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
void Spit(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
// Hidden files of a folder: temporary files and commit records.
int HiddenFiles(const fs::path& folder) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(folder)) n += e.path().filename().string()[0] == '.';
  return n;
}

}  // namespace

TEST_F(LevelFiles, ALevelsTwoFilesChangeTogetherEvenWhenTheWriteIsCutOff) {
  std::string error;
  TLevelOptions options;
  options.LevelTime = 77;
  ASSERT_TRUE(WriteLevel(Home, "P", 1, options, {TCellRecord{}}, error)) << error;
  const fs::path folder = PackFolder(Home, "P");
  EXPECT_EQ(fs::file_size(LevelCellsPath(Home, "P", 1)), kCellRecordSize);
  EXPECT_EQ(ReadLevelOptions(LevelOptionsPath(Home, "P", 1), error)->LevelTime, 77);
  EXPECT_EQ(HiddenFiles(folder), 0);

  // Cut off after both new files and their record reached the disk, before
  // the renames: the next opening finishes the write.
  Spit(folder / ".1.opt.AAAAAA", "new options");
  Spit(folder / ".1.lvl.BBBBBB", "new cells");
  Spit(folder / ".1.opt.group", "grovewright-group 1\n.1.opt.AAAAAA\t1.opt\n.1.lvl.BBBBBB\t1.lvl\n");
  RecoverFileGroups(folder.string());
  EXPECT_EQ(Slurp(LevelOptionsPath(Home, "P", 1)), "new options");
  EXPECT_EQ(Slurp(LevelCellsPath(Home, "P", 1)), "new cells");
  EXPECT_EQ(HiddenFiles(folder), 0);

  // Cut off before the record: the old pair stays whole and the halves go.
  Spit(folder / ".1.opt.CCCCCC", "newer options");
  RecoverFileGroups(folder.string());
  EXPECT_EQ(Slurp(LevelOptionsPath(Home, "P", 1)), "new options");
  EXPECT_EQ(HiddenFiles(folder), 0);

  // A record never moves anything out of its folder.
  Spit(Home + "/outside", "safe");
  Spit(folder / ".x.group", ".1.opt.DDDDDD\t../outside\n");
  Spit(folder / ".1.opt.DDDDDD", "evil");
  RecoverFileGroups(folder.string());
  EXPECT_EQ(Slurp(Home + "/outside"), "safe");
}

// Opening a pack touches only what the game itself wrote: other hidden
// files stay, a record without the game's first line, or one naming files
// other than a level's two, moves nothing, and a new file that is a link is
// never moved into place.
TEST_F(LevelFiles, RecoveryFollowsOnlyTheRecordsTheGameWrote) {
  std::string error;
  TLevelOptions options;
  for (int n = 1; n <= 3; ++n) {
    options.LevelTime = 100 + n;
    ASSERT_TRUE(WriteLevel(Home, "P", n, options, std::vector<TCellRecord>(static_cast<size_t>(n)), error)) << error;
  }
  const fs::path folder = PackFolder(Home, "P");
  Spit(folder / ".notes.backup", "the player's notes");
  Spit(folder / ".project.config", "an editor's settings");
  Spit(folder / ".3.lvl.Aa1234", "the game's half write");
  auto state = [&] {
    std::string text;
    for (const auto& e : fs::directory_iterator(folder))
      text += e.path().filename().string() + "=" + (fs::is_symlink(e.path()) ? "link" : Slurp(e.path())) + ";";
    return text;
  };
  auto plantedAndRecovered = [&](const std::string& record, const std::string& recordName = ".1.opt.group") {
    Spit(folder / recordName, record);
    const std::string before = state();
    RecoverPackWrites(Home, "P");
    return std::make_pair(before, state());
  };
  // A planted record without the game's first line: 3.lvl is not moved over
  // 1.lvl, and nothing the game did not write goes.
  const std::string oneCells = Slurp(LevelCellsPath(Home, "P", 1));
  auto [before, after] = plantedAndRecovered("3.lvl\t1.lvl\n");
  EXPECT_EQ(Slurp(LevelCellsPath(Home, "P", 1)), oneCells);
  EXPECT_TRUE(fs::exists(LevelCellsPath(Home, "P", 3)));
  EXPECT_EQ(Slurp(folder / ".notes.backup"), "the player's notes");
  EXPECT_EQ(Slurp(folder / ".project.config"), "an editor's settings");
  EXPECT_FALSE(fs::exists(folder / ".3.lvl.Aa1234")) << "the game's own half write goes";
  // With the first line, but naming what is no new file of the game's, or
  // files of two levels, or a level's file without its twin, or out of
  // order, or a record named after another file.
  for (const auto& [record, name] : std::vector<std::pair<std::string, std::string>>{
           {"grovewright-group 1\n3.lvl\t1.lvl\n", ".1.opt.group"},
           {"grovewright-group 1\n.1.opt.Bb1234\t1.opt\n.2.lvl.Cc1234\t2.lvl\n", ".1.opt.group"},
           {"grovewright-group 1\n.1.lvl.Cc1234\t1.lvl\n", ".1.lvl.group"},
           {"grovewright-group 1\n.1.lvl.Cc1234\t1.lvl\n.1.opt.Bb1234\t1.opt\n", ".1.lvl.group"},
           {"grovewright-group 1\n.1.opt.Bb1234\t1.opt\n.1.lvl.Cc1234\t1.lvl\n", ".2.opt.group"},
           {"grovewright-group 1\n.1.opt.Bb1234\t.notes.backup\n", ".1.opt.group"}}) {
    Spit(folder / ".1.opt.Bb1234", "planted options");
    Spit(folder / ".1.lvl.Cc1234", "planted cells");
    Spit(folder / ".2.lvl.Cc1234", "planted cells");
    const auto [was, now] = plantedAndRecovered(record, name);
    EXPECT_EQ(Slurp(LevelCellsPath(Home, "P", 1)), oneCells) << record;
    EXPECT_EQ(Slurp(folder / ".notes.backup"), "the player's notes") << record;
    EXPECT_EQ(Slurp(folder / name), record) << "a record the game did not write stays";
    fs::remove(folder / name);
  }
  // A new file that is a link, in a record otherwise right: nothing moves.
  Spit(folder / "elsewhere", "elsewhere");
  fs::create_symlink(folder / "elsewhere", folder / ".1.lvl.Ln1234");
  Spit(folder / ".1.opt.Op1234", "new options");
  plantedAndRecovered("grovewright-group 1\n.1.opt.Op1234\t1.opt\n.1.lvl.Ln1234\t1.lvl\n");
  EXPECT_EQ(Slurp(LevelCellsPath(Home, "P", 1)), oneCells);
  EXPECT_FALSE(fs::is_symlink(LevelCellsPath(Home, "P", 1)));
  EXPECT_TRUE(fs::exists(folder / ".1.opt.group"));
  fs::remove(folder / ".1.opt.group");
  fs::remove(folder / ".1.lvl.Ln1234");
  // The game's own record of a level's two files is finished as before.
  Spit(folder / ".2.opt.Dd1234", "new options 2");
  Spit(folder / ".2.lvl.Ee1234", "new cells 2");
  plantedAndRecovered("grovewright-group 1\n.2.opt.Dd1234\t2.opt\n.2.lvl.Ee1234\t2.lvl\n", ".2.opt.group");
  EXPECT_EQ(Slurp(LevelOptionsPath(Home, "P", 2)), "new options 2");
  EXPECT_EQ(Slurp(LevelCellsPath(Home, "P", 2)), "new cells 2");
  EXPECT_FALSE(fs::exists(folder / ".2.opt.group"));
  EXPECT_EQ(Slurp(folder / ".notes.backup"), "the player's notes");
  EXPECT_EQ(Slurp(folder / ".project.config"), "an editor's settings");
  (void)before;
  (void)after;
}

TEST_F(LevelFiles, NumbersOutsideTheCompilersRangesAreBroughtIntoThemOnRead) {
  struct Case {
    int32_t Time, Skulls, Background;
    int32_t WantTime, WantSkulls, WantBackground;
  };
  // A time of 0 or less runs out at once, and stays so; the background keeps
  // its number (the nearest picture is shown).
  const Case cases[] = {
      {30000000, 5, 3, kMaxLevelTime, 5, 3},
      {INT32_MIN, -5, 99, 0, kMinSkulls, 99},
      {0, INT32_MAX, 0, 0, kMaxSkulls, 0},
      {240, 0, 11, 240, 0, 11},
  };
  const std::string path = LevelOptionsPath(Home, "P", 1);
  for (const Case& c : cases) {
    TLevelOptions o;
    o.LevelTime = c.Time;
    o.MaxCaveiras = c.Skulls;
    o.Background = c.Background;
    const auto b = o.Encode();
    WriteRaw(path, {b.begin(), b.end()});
    std::string error;
    const auto read = ReadLevelOptions(path, error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->LevelTime, c.WantTime) << c.Time;
    EXPECT_EQ(read->MaxCaveiras, c.WantSkulls) << c.Skulls;
    EXPECT_EQ(read->Background, c.WantBackground) << c.Background;
  }
}
