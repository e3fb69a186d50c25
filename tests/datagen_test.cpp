// The data generator's parts: the story map and hiscore sources, the code
// page, fonts, the image records it packs, its noise and blur, and the
// coverage of its drawings.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>

#include "data/DataManifest.h"
#include "datagen/Art.h"
#include "datagen/FontGen.h"
#include "datagen/MapData.h"
#include "datagen/Pack.h"
#include "datagen/Paint.h"
#include "engine/core/DataFile.h"

namespace fs = std::filesystem;

namespace {

const char* const kTrail = "levels 5\ntrail\n\tpoint 100 500\n\tpoint 300 500\n\tpoint 500 300\n";

std::string ErrorOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

}  // namespace

// ---------------------------------------------------------------------------
// The story map

TEST(DatagenStoryMap, PointsRunEvenlyFromStartToEnd) {
  TStoryMap map = ParseStoryMap(kTrail, "map.txt", 0);
  ASSERT_EQ(map.Points.size(), 5u);
  EXPECT_NEAR(map.Points.front().X, 100, 0.01);
  EXPECT_NEAR(map.Points.front().Y, 500, 0.01);
  EXPECT_NEAR(map.Points.back().X, 500, 0.01);
  EXPECT_NEAR(map.Points.back().Y, 300, 0.01);
  // Along the curve the steps are equal; straight-line gaps never exceed them.
  std::vector<TPt> line = TrailPolyline(map.Trail);
  double total = 0;
  for (size_t i = 1; i < line.size(); ++i) total += std::hypot(line[i].X - line[i - 1].X, line[i].Y - line[i - 1].Y);
  for (size_t i = 1; i < map.Points.size(); ++i) {
    double gap = std::hypot(map.Points[i].X - map.Points[i - 1].X, map.Points[i].Y - map.Points[i - 1].Y);
    EXPECT_LE(gap, total / 4 + 0.5);
    EXPECT_GT(gap, total / 4 * 0.8);
  }
}

TEST(DatagenStoryMap, LevelCountAutoFollowsTheCampaignAndIsCapped) {
  const std::string source = "levels auto\ntrail\n\tpoint 10 10\n\tpoint 700 500\n";
  EXPECT_EQ(ParseStoryMap(source, "m", 7).Points.size(), 7u);
  EXPECT_EQ(ParseStoryMap(source, "m", 150).Points.size(), 110u);  // the game holds 110 points
  EXPECT_NE(ErrorOf([&] { ParseStoryMap(source, "m", 0); }).find("m:1"), std::string::npos);
  EXPECT_EQ(ParseStoryMap("levels 1\ntrail\n\tpoint 10 10\n\tpoint 700 500\n", "m", 0).Points.size(), 1u);
}

TEST(DatagenStoryMap, MistakesNameFileAndLine) {
  EXPECT_NE(ErrorOf([] { ParseStoryMap("levels 0\ntrail\n\tpoint 1 1\n\tpoint 2 2\n", "m", 0); }).find("m:1"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseStoryMap("levels 2\ntrail\n\tpoint 1 1\n\tpoint 900 2\n", "m", 0); }).find("m:4"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseStoryMap("levels 2\nroad\n", "m", 0); }).find("m:2"), std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseStoryMap("levels 2\ntrail\n\tpoint 1 1\n", "m", 0); }).find("two points"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseStoryMap("trail\n\tpoint 1 1\n\tpoint 5 5\n", "m", 0); }).find("levels"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseStoryMap("levels 2\nlabel \"A\" 10\n", "m", 0); }).find("m:2"), std::string::npos);
}

TEST(DatagenStoryMap, PointsFileIsLittleEndianPairs) {
  TStoryMap map;
  map.Points = {{1.4, 2.6}, {-3, 70000}};
  std::vector<uint8_t> b = MapPointsBytes(map);
  ASSERT_EQ(b.size(), 16u);
  EXPECT_EQ(b[0], 1);
  EXPECT_EQ(b[4], 3);  // 2.6 rounds to 3
  EXPECT_EQ(b[8], 0xFD);
  EXPECT_EQ(b[11], 0xFF);  // -3
  EXPECT_EQ(b[12] | (b[13] << 8) | (b[14] << 16), 70000);
}

TEST(DatagenStoryMap, CampaignLevelsCountUpToTheFirstGap) {
  fs::path dir = fs::temp_directory_path() / ("grovewright-campaign-" + std::to_string(getpid()));
  fs::remove_all(dir);
  EXPECT_EQ(CampaignLevelCount(dir.string()), 0);
  fs::path levels = dir / kCampaignFolder;
  fs::create_directories(levels);
  for (const char* name : {"01.txt", "2.txt", "03.txt", "05.txt", "notes.txt", "04.lvl"})
    std::ofstream(levels / name) << "x";
  EXPECT_EQ(CampaignLevelCount(dir.string()), 3);
  std::ofstream(levels / "04.txt") << "x";
  EXPECT_EQ(CampaignLevelCount(dir.string()), 5);
  fs::remove_all(dir);
}

// ---------------------------------------------------------------------------
// Hiscores and the code page

TEST(DatagenHiscores, TableOfTenDescending) {
  std::string ten;
  for (int i = 0; i < 10; ++i) ten += "entry \"Name " + std::to_string(i) + "\" " + std::to_string(1000 - i * 10) + "\n";
  std::vector<THiscoreEntry> entries = ParseHiscores(ten, "h");
  ASSERT_EQ(entries.size(), 10u);
  std::vector<uint8_t> b = HiscoreBytes(entries);
  ASSERT_EQ(b.size(), 480u);
  EXPECT_EQ(b[0], 6);
  EXPECT_EQ(std::string(b.begin() + 1, b.begin() + 7), "Name 0");
  for (size_t k = 7; k < 44; ++k) EXPECT_EQ(b[k], 0);
  EXPECT_EQ(b[44] | (b[45] << 8), 1000);
  EXPECT_EQ(b[48 * 9 + 44] | (b[48 * 9 + 45] << 8), 910);
  // Equal scores may stand one under the other.
  EXPECT_NO_THROW(ParseHiscores("entry A 5\nentry B 5\nentry C 5\nentry D 5\nentry E 5\n"
                                "entry F 5\nentry G 5\nentry H 5\nentry I 5\nentry J 5\n", "h"));
}

TEST(DatagenHiscores, RejectsWhatTheGameCannotHold) {
  std::string nine;
  for (int i = 0; i < 9; ++i) nine += "entry \"N\" 100\n";
  EXPECT_NE(ErrorOf([&] { ParseHiscores(nine, "h"); }).find("ten entries"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { ParseHiscores(nine + "entry \"Up\" 200\n", "h"); }).find("h:10"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { ParseHiscores("entry \"" + std::string(41, 'a') + "\" 5\n", "h"); }).find("h:1"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseHiscores("entry \"Snow\xE2\x98\x83\" 5\n", "h"); }).find("h:1"), std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseHiscores("entry \"A\" -5\n", "h"); }).find("h:1"), std::string::npos);
}

TEST(DatagenCodePage, Utf8ToCp1252AndBack) {
  std::string out;
  ASSERT_TRUE(Utf8ToCp1252("caf\xC3\xA9 \xE2\x80\xA6 it\xE2\x80\x99s \xE2\x82\xAC", out));
  EXPECT_EQ(out, "caf\xE9 \x85 it\x92s \x80");
  EXPECT_FALSE(Utf8ToCp1252("\xE2\x98\x83", out));  // no place in the code page
  EXPECT_FALSE(Utf8ToCp1252("\xC3", out));          // cut short
  EXPECT_FALSE(Utf8ToCp1252("\xC3\x41", out));      // not a continuation
  EXPECT_EQ(Cp1252ToUnicode(0x85), 0x2026u);
  EXPECT_EQ(Cp1252ToUnicode(0x92), 0x2019u);
  EXPECT_EQ(Cp1252ToUnicode(0x81), 0u);
  EXPECT_EQ(Cp1252ToUnicode(0xE9), 0xE9u);
  for (int c = 0x80; c < 0xA0; ++c) {
    uint32_t u = Cp1252ToUnicode(static_cast<uint8_t>(c));
    if (u == 0) continue;
    std::string utf8;
    utf8 += static_cast<char>(0xE0 | (u >> 12));
    utf8 += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    utf8 += static_cast<char>(0x80 | (u & 0x3F));
    if (u < 0x800) {
      utf8 = std::string(1, static_cast<char>(0xC0 | (u >> 6))) + static_cast<char>(0x80 | (u & 0x3F));
    }
    ASSERT_TRUE(Utf8ToCp1252(utf8, out)) << c;
    EXPECT_EQ(static_cast<uint8_t>(out[0]), c);
  }
}

// ---------------------------------------------------------------------------
// Records

TEST(DatagenRecords, PatternsSurviveTheRecord) {
  const TImageSpec spec{"t.image", 3, 2, 3, 2, 5};
  TPatterns patterns;
  for (int i = 0; i < 5; ++i) {
    TSurface s(3, 2);
    TPen pen(s);
    cairo_set_source_rgba(pen, i / 5.0, 1 - i / 5.0, 0.5, 1);
    cairo_paint(pen);
    patterns.push_back(std::move(s));
  }
  TImageRecord r = RecordFromPatterns(spec, patterns);
  EXPECT_EQ(r.PatternCount, 5);
  EXPECT_GE((r.TextureWidth / 3) * (r.TextureHeight / 2), 5);
  TPatterns back = PatternsFromRecord(r);
  ASSERT_EQ(back.size(), 5u);
  for (int i = 0; i < 5; ++i)
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) EXPECT_EQ(StraightPixel(back[i], x, y), StraightPixel(patterns[i], x, y));
  // Half-clear pixels keep their alpha and colour.
  TSurface clear(3, 2);
  {
    TPen pen(clear);
    cairo_set_source_rgba(pen, 1, 0, 0, 0.5);
    cairo_paint(pen);
  }
  TPatterns one;
  one.push_back(std::move(clear));
  TImageRecord half = RecordFromPatterns(TImageSpec{"h.image", 3, 2, 3, 2, 1}, one);
  uint32_t argb = PixelToArgb(half.Format, half.Pixels.data());
  EXPECT_NEAR(static_cast<int>(argb >> 24), 128, 1);
  EXPECT_EQ((argb >> 16) & 0xFF, 255u);
}

TEST(DatagenRecords, WrongDrawingsAreRefused) {
  TPatterns two;
  two.emplace_back(4, 4);
  two.emplace_back(4, 4);
  EXPECT_THROW(RecordFromPatterns(TImageSpec{"a.image", 4, 4, 4, 4, 3}, two), std::runtime_error);
  EXPECT_THROW(RecordFromPatterns(TImageSpec{"a.image", 5, 4, 5, 4, 2}, two), std::runtime_error);
}

TEST(DatagenRecords, TexturesStaySmall) {
  TPatterns twelve;
  for (int i = 0; i < 12; ++i) twelve.emplace_back(40, 40);
  TImageRecord r = RecordFromPatterns(TImageSpec{"p.image", 40, 40, 40, 40, 12}, twelve);
  EXPECT_EQ(r.TextureCount, 1);
  EXPECT_LE(r.TextureWidth * r.TextureHeight, 40 * 40 * 12 * 3 / 2);  // little waste
  TPatterns big;
  big.emplace_back(800, 600);
  TImageRecord b = RecordFromPatterns(TImageSpec{"b.image", 800, 600, 800, 600, 1}, big);
  EXPECT_EQ(b.TextureWidth, 800);
  EXPECT_EQ(b.TextureHeight, 600);
}

TEST(DatagenFonts, GlyphsCoverTheCodePageWithSteadyDigits) {
  TFontRecord f = BuildFontRecord(GameFonts()[2]);
  ASSERT_EQ(f.Glyphs.size(), 224u);
  const int digit = f.Glyphs['0' - 32].Width;
  for (int c = '0'; c <= '9'; ++c) EXPECT_EQ(f.Glyphs[static_cast<size_t>(c - 32)].Width, digit);
  const int space = f.Glyphs[0].Width;
  EXPECT_GT(space, 0);
  EXPECT_EQ(f.Glyphs[0x81 - 32].Width, space);  // unassigned: a blank the width of a space
  EXPECT_GT(f.Glyphs['W' - 32].Width, f.Glyphs['i' - 32].Width);
  for (const TGlyph& g : f.Glyphs) EXPECT_EQ(g.Height, f.Image.PatternHeight);
  // No ink is cut off: the cell's outer rows and columns stay clear.
  TPatterns cells = PatternsFromRecord(f.Image);
  for (const TSurface& cell : cells) {
    for (int x = 0; x < cell.Width(); ++x) {
      EXPECT_EQ(StraightPixel(cell, x, 0) >> 24, 0u);
      EXPECT_EQ(StraightPixel(cell, x, cell.Height() - 1) >> 24, 0u);
    }
    for (int y = 0; y < cell.Height(); ++y) EXPECT_EQ(StraightPixel(cell, cell.Width() - 1, y) >> 24, 0u);
  }
}

// ---------------------------------------------------------------------------
// Drawing helpers and the drawings

TEST(DatagenPaint, RandomAndNoiseRepeatAndTile) {
  TRandom a(42), b(42), c(43);
  for (int i = 0; i < 100; ++i) {
    double u = a.Unit();
    EXPECT_EQ(u, b.Unit());
    EXPECT_GE(u, 0.0);
    EXPECT_LT(u, 1.0);
  }
  EXPECT_NE(TRandom(42).Next(), c.Next());
  TNoise tiled(7, 16);
  for (double x : {0.3, 5.7, 11.1})
    for (double y : {0.9, 8.2}) {
      EXPECT_NEAR(tiled.Value(x, y), tiled.Value(x + 16, y), 1e-12);
      EXPECT_NEAR(tiled.Value(x, y), tiled.Value(x, y - 16), 1e-12);
      double v = tiled.Fbm(x, y, 4);
      EXPECT_GE(v, 0.0);
      EXPECT_LE(v, 1.0);
    }
}

TEST(DatagenPaint, BlurSpreadsButKeepsTheInk) {
  TSurface s(40, 40);
  {
    TPen pen(s);
    cairo_rectangle(pen, 15, 15, 10, 10);
    cairo_set_source_rgba(pen, 1, 0.5, 0, 1);
    cairo_fill(pen);
  }
  auto totalAlpha = [](TSurface& t) {
    t.Flush();
    double sum = 0;
    for (int y = 0; y < t.Height(); ++y)
      for (int x = 0; x < t.Width(); ++x) sum += t.Row(y)[x] >> 24;
    return sum;
  };
  double before = totalAlpha(s);
  Blur(s, 3);
  EXPECT_NEAR(totalAlpha(s), before, before * 0.02);
  EXPECT_GT(StraightPixel(s, 13, 20) >> 24, 0u);  // ink spread out
  // Premultiplied colour never exceeds alpha.
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      uint32_t p = s.Row(y)[x];
      EXPECT_LE((p >> 16) & 0xFF, p >> 24);
    }
}

TEST(DatagenArt, EveryManifestEntryHasOneDrawing) {
  std::set<std::string> drawn;
  for (const TArtItem& item : ArtItems()) {
    EXPECT_TRUE(drawn.insert(item.Key).second) << item.Key << " drawn twice";
    EXPECT_NO_THROW(SpecOf(item.Key)) << item.Key << " is not in the manifest";
    for (const std::string& src : item.Sources)
      EXPECT_TRUE(fs::exists(fs::path(GW_SOURCE_DIR) / "tools" / "datagen" / src)) << item.Key << ": " << src;
  }
  for (const TImageSpec& s : GameImages()) EXPECT_TRUE(drawn.count(s.Key)) << s.Key;
  for (const TImageSpec& s : ParticleImages()) EXPECT_TRUE(drawn.count(s.Key)) << s.Key;
  for (const std::string& p : PictureFiles()) EXPECT_TRUE(drawn.count(p)) << p;
}

TEST(DatagenArt, DrawingsRepeatExactly) {
  for (const char* key : {"black.image", "forcefield2.image", "particles-arvanels.image"}) {
    const TArtItem* item = FindArt(key);
    ASSERT_NE(item, nullptr);
    TImageSpec spec = SpecOf(key);
    std::vector<uint8_t> a = EncodeImageRecord(RecordFromPatterns(spec, item->Draw(TArtInputs{})));
    std::vector<uint8_t> b = EncodeImageRecord(RecordFromPatterns(spec, item->Draw(TArtInputs{})));
    EXPECT_TRUE(a == b) << key;
  }
}
