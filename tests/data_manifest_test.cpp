// The data manifest against the archives and loose data files the build
// generated, the game's code against the manifest, and the generator's
// determinism and its handling of broken sources.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>

#include "data/DataManifest.h"
#include "engine/archive/ArchiveKey.h"
#include "engine/archive/CPDb.h"
#include "engine/render/ImageFile.h"
#include "engine/render/ImageRecord.h"
#include "support/RenderFixtures.h"

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::vector<uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int32_t I32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<int32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24));
}

const fs::path kBuild = GW_BUILD_DIR;
const fs::path kSource = GW_SOURCE_DIR;

}  // namespace

// ---------------------------------------------------------------------------
// The manifest itself

TEST(DataManifest, KeysAreUniqueAndLayoutsSound) {
  std::set<std::string> seen;
  for (const auto* list : {&GameImages(), &ParticleImages()}) {
    for (const TImageSpec& s : *list) {
      EXPECT_TRUE(seen.insert(Lower(s.Key)).second) << s.Key << " listed twice";
      EXPECT_TRUE(std::string(s.Key).ends_with(".image")) << s.Key;
      EXPECT_GT(s.PatternCount, 0) << s.Key;
      EXPECT_GT(s.VisibleWidth, 0) << s.Key;
      EXPECT_LE(s.VisibleWidth, s.PatternWidth) << s.Key;
      EXPECT_LE(s.VisibleHeight, s.PatternHeight) << s.Key;
    }
  }
  for (const std::string& p : PictureFiles()) EXPECT_TRUE(seen.insert(Lower(p)).second) << p;
}

TEST(DataManifest, IndicesIgnoreCaseAndMissEmpty) {
  EXPECT_EQ(GameImageIndex("black.image"), 0);
  EXPECT_EQ(GameImageIndex("BLACK.Image"), 0);
  EXPECT_EQ(GameImageIndex("zzzzzzz"), -1);
  EXPECT_EQ(GameImageIndex(""), -1);
  EXPECT_EQ(ParticleImageIndex("splinter1.image"), 0);
  EXPECT_EQ(ParticleImageIndex("iron-chip.image"), 4);  // the breaking iron box asks for image 4
  for (size_t i = 0; i < GameImages().size(); ++i) EXPECT_EQ(GameImageIndex(GameImages()[i].Key), static_cast<int>(i));
  ASSERT_NE(FindGameImage("cipo.image"), nullptr);
  EXPECT_EQ(FindGameImage("nothing.image"), nullptr);
}

TEST(DataManifest, PatternLayoutsMatchTheirUse) {
  struct TWant {
    const char* Key;
    int W, H, Count;
  };
  const TWant wants[] = {
      {"black.image", 40, 40, 12},     {"red.image", 40, 40, 12},         {"fire.image", 40, 40, 12},
      {"tree.image", 40, 40, 12},      {"gota.image", 40, 40, 12},        {"book.image", 40, 40, 8},
      {"pearl.image", 40, 40, 3},      {"cristal.image", 40, 40, 3},      {"celtic-cross.image", 40, 40, 3},
      {"fire-fx.image", 40, 40, 16},   {"board-wood.image", 40, 40, 18},  {"forcefield1.image", 40, 40, 15},
      {"forcefield2.image", 40, 40, 15}, {"tab-selection.image", 40, 40, 2}, {"hint.image", 40, 40, 13},
      {"cipo.image", 336, 69, 1},      {"gui-tree.image", 31, 31, 5},     {"gui-gota.image", 31, 31, 5},
      {"gui-fogo.image", 31, 31, 5},   {"gui-montanha.image", 31, 31, 5}, {"here.image", 64, 26, 2},
      {"credits.image", 440, 400, 2},  {"optionsbuttons.image", 200, 48, 3}, {"kestrava.image", 800, 600, 1},
      {"zeradojogo.image", 800, 368, 1}, {"icons.image", 32, 32, 35},
  };
  for (const TWant& w : wants) {
    const TImageSpec* s = FindGameImage(w.Key);
    ASSERT_NE(s, nullptr) << w.Key;
    EXPECT_EQ(s->PatternWidth, w.W) << w.Key;
    EXPECT_EQ(s->PatternHeight, w.H) << w.Key;
    EXPECT_EQ(s->PatternCount, w.Count) << w.Key;
  }
  // The bar stands in the bottom-right corner and must reach the number plates.
  const TImageSpec* bar = FindGameImage("gui-bar.image");
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->PatternWidth, 800);
  EXPECT_GE(bar->PatternHeight, 600 - 522);
  // A level's mark is drawn 8 left and 16 above its point: points the file
  // does not supply sit at (0, 0), and their marks must fall off the screen.
  const TImageSpec* mark = FindGameImage("marcador-final.image");
  ASSERT_NE(mark, nullptr);
  EXPECT_LE(mark->VisibleHeight, 16);
}

TEST(DataManifest, EditorIconsAndFonts) {
  EXPECT_EQ(EditorIconIndex("btnTab"), 1);  // the pattern a fresh board shows
  EXPECT_EQ(EditorIconIndex("BTNEraser"), 24);
  EXPECT_EQ(EditorIconIndex("btnNothing"), -1);
  const int icons = FindGameImage("icons.image")->PatternCount;
  std::set<int> used;
  for (const auto& [name, index] : EditorIcons()) {
    EXPECT_GT(index, 0) << name;
    EXPECT_LT(index, icons) << name;
    EXPECT_TRUE(used.insert(index).second) << name << " shares its icon";
  }
  ASSERT_EQ(GameFonts().size(), 5u);
  for (size_t i = 0; i < GameFonts().size(); ++i) EXPECT_EQ(GameFonts()[i].Number, static_cast<int>(i));
  EXPECT_EQ(PictureFiles().front(), "mainscreen.jpg");
  EXPECT_EQ(PictureFiles().back(), "world11.jpg");
  EXPECT_EQ(SoundFiles().size(), 31u);
}

// Every image name in the game's code is one the archives hold, and every
// picture file it names is in the manifest.
TEST(DataManifest, EveryImageTheCodeNamesIsListed) {
  const std::regex image("\"([A-Za-z0-9_.-]+\\.image)\"", std::regex::icase);
  const std::regex picture("\"([A-Za-z0-9_.-]+\\.jpg)\"", std::regex::icase);
  int found = 0;
  for (const auto& entry : fs::recursive_directory_iterator(kSource / "src")) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".cpp" && ext != ".h") continue;
    std::ifstream in(entry.path());
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::sregex_iterator it(text.begin(), text.end(), image), end; it != end; ++it) {
      const std::string key = (*it)[1];
      ++found;
      EXPECT_TRUE(GameImageIndex(key) >= 0 || ParticleImageIndex(key) >= 0)
          << key << " (named in " << entry.path().filename() << ") is not in the manifest";
    }
    for (std::sregex_iterator it(text.begin(), text.end(), picture), end; it != end; ++it) {
      const std::string key = Lower((*it)[1]);
      if (key == "screen.jpg") continue;  // the screenshot files' name
      const auto& files = PictureFiles();
      EXPECT_TRUE(std::find(files.begin(), files.end(), key) != files.end())
          << key << " (named in " << entry.path().filename() << ") is not in the manifest";
    }
  }
  EXPECT_GT(found, 0) << "the scan found no image names at all";
}

// ---------------------------------------------------------------------------
// The built archives

class BuiltData : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kBuild / "Data" / "GameData.CPDB")) GTEST_SKIP() << "the data was not generated";
  }
  static void Open(TCPDb& db, const std::string& name) {
    db.SetFileName((kBuild / "Data" / name).string());
    db.OpenMode = TCPDb::opReadOnly;
    const std::vector<uint8_t> key = GameArchiveKey();
    db.SetKey(key.data(), static_cast<int>(key.size()));
    ASSERT_TRUE(db.Open()) << name;
  }
  static void CheckImages(TCPDb& db, const std::vector<TImageSpec>& specs) {
    // Image records come in manifest order, so list indices match.
    std::vector<std::string> imageKeys;
    for (int i = 0; i < db.RecordCount(); ++i)
      if (db.RecordType(i) == kRecordImage) imageKeys.push_back(db.RecordKey(i));
    ASSERT_EQ(imageKeys.size(), specs.size());
    for (size_t i = 0; i < specs.size(); ++i) {
      const TImageSpec& s = specs[i];
      EXPECT_EQ(Lower(imageKeys[i]), Lower(s.Key)) << "image " << i;
      std::vector<uint8_t> bytes;
      ASSERT_TRUE(db.ReadRecord(s.Key, bytes)) << s.Key;
      size_t offset = 0;
      std::string error;
      auto r = ParseImageRecord(bytes.data(), bytes.size(), offset, &error);
      ASSERT_TRUE(r.has_value()) << s.Key << ": " << error;
      EXPECT_EQ(offset, bytes.size()) << s.Key;
      EXPECT_EQ(r->PatternWidth, s.PatternWidth) << s.Key;
      EXPECT_EQ(r->PatternHeight, s.PatternHeight) << s.Key;
      EXPECT_EQ(r->VisibleWidth, s.VisibleWidth) << s.Key;
      EXPECT_EQ(r->VisibleHeight, s.VisibleHeight) << s.Key;
      EXPECT_EQ(r->PatternCount, s.PatternCount) << s.Key;
      const int perTexture = (r->TextureWidth / r->PatternWidth) * (r->TextureHeight / r->PatternHeight);
      EXPECT_GE(perTexture * r->TextureCount, s.PatternCount) << s.Key;
      // Nothing is an empty pattern: every pattern has some ink (the hint's
      // pattern 0 is a faint sheen, still not nothing).
      const int bpp = PixelFormatBytes(r->Format);
      for (int p = 0; p < s.PatternCount; ++p) {
        const int t = p / perTexture, cell = p % perTexture, perRow = r->TextureWidth / r->PatternWidth;
        const int ox = (cell % perRow) * r->PatternWidth, oy = (cell / perRow) * r->PatternHeight;
        bool ink = false;
        for (int y = 0; y < r->PatternHeight && !ink; ++y)
          for (int x = 0; x < r->PatternWidth && !ink; ++x) {
            const size_t at = static_cast<size_t>(t) * r->TextureWidth * r->TextureHeight * bpp +
                              (static_cast<size_t>(oy + y) * r->TextureWidth + ox + x) * bpp;
            ink = (PixelToArgb(r->Format, &r->Pixels[at]) >> 24) != 0;
          }
        EXPECT_TRUE(ink) << s.Key << " pattern " << p << " is empty";
      }
    }
  }
};

TEST_F(BuiltData, MainArchiveHoldsEveryImageInOrder) {
  TCPDb db;
  Open(db, "GameData.CPDB");
  CheckImages(db, GameImages());
}

TEST_F(BuiltData, ParticleArchiveHoldsItsImagesInOrder) {
  TCPDb db;
  Open(db, "GameDataParticles.CPDB");
  CheckImages(db, ParticleImages());
}

TEST_F(BuiltData, FontsLoadAndCoverTheCodePage) {
  TCPDb db;
  Open(db, "GameData.CPDB");
  std::vector<std::string> fontKeys;
  for (int i = 0; i < db.RecordCount(); ++i)
    if (db.RecordType(i) == kRecordFont) fontKeys.push_back(db.RecordKey(i));
  ASSERT_EQ(fontKeys.size(), GameFonts().size());
  for (const TFontSpec& f : GameFonts()) {
    EXPECT_EQ(fontKeys[static_cast<size_t>(f.Number)], f.Key);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(db.ReadRecord(f.Key, bytes)) << f.Key;
    std::string error;
    auto font = ParseFontRecord(bytes.data(), bytes.size(), &error);
    ASSERT_TRUE(font.has_value()) << f.Key << ": " << error;
    EXPECT_EQ(font->FirstChar, 32);
    ASSERT_EQ(font->Glyphs.size(), 224u) << f.Key;  // 32 .. 255
    ASSERT_EQ(font->Image.PatternCount, 224) << f.Key;
    // Digits share one advance, so numbers do not wobble.
    for (int c = '1'; c <= '9'; ++c) EXPECT_EQ(font->Glyphs[c - 32].Width, font->Glyphs['0' - 32].Width) << f.Key;
    // The story's ellipsis and right quote (code page bytes 0x85, 0x92),
    // letters and accented letters have ink and an advance.
    const TImageRecord& img = font->Image;
    const int perRow = img.TextureWidth / img.PatternWidth;
    const int perTexture = perRow * (img.TextureHeight / img.PatternHeight);
    const int bpp = PixelFormatBytes(img.Format);
    for (int c : {0x85, 0x92, int{'A'}, int{'g'}, 0xE9, 0xC5}) {
      const int g = c - 32;
      EXPECT_GT(font->Glyphs[static_cast<size_t>(g)].Width, 0) << f.Key << " char " << c;
      const int t = g / perTexture, cell = g % perTexture;
      const int ox = (cell % perRow) * img.PatternWidth, oy = (cell / perRow) * img.PatternHeight;
      int inked = 0;
      for (int y = 0; y < img.PatternHeight; ++y)
        for (int x = 0; x < img.PatternWidth; ++x) {
          const size_t at = static_cast<size_t>(t) * img.TextureWidth * img.TextureHeight * bpp +
                            (static_cast<size_t>(oy + y) * img.TextureWidth + ox + x) * bpp;
          inked += (PixelToArgb(img.Format, &img.Pixels[at]) >> 24) > 128;
        }
      EXPECT_GT(inked, 0) << f.Key << " char " << c << " has no ink";
    }
  }
}

// The engine's own loaders take both archives whole, in manifest order, and
// the fonts' numbers fit the places the game writes them.
TEST_F(BuiltData, EngineLoadsEveryImageAndFont) {
  render_test::RenderRig rig(std::make_unique<render_test::RecordingRenderer>());
  TCPDb main, particles;
  Open(main, "GameData.CPDB");
  Open(particles, "GameDataParticles.CPDB");
  ASSERT_TRUE(rig.Images.LoadFromCPDb(main));
  ASSERT_EQ(rig.Images.Count(), static_cast<int>(GameImages().size()));
  for (int i = 0; i < rig.Images.Count(); ++i) {
    EXPECT_EQ(Lower(rig.Images.Items(i)->Name), Lower(GameImages()[static_cast<size_t>(i)].Key));
    EXPECT_TRUE(rig.Images.Items(i)->Ready()) << GameImages()[static_cast<size_t>(i)].Key;
    EXPECT_EQ(rig.Images.Items(i)->PatternCount, GameImages()[static_cast<size_t>(i)].PatternCount);
  }
  TCanopyImages particleImages;
  particleImages.SetPublisher(&rig.Device);
  ASSERT_TRUE(particleImages.LoadFromCPDb(particles));
  EXPECT_EQ(particleImages.Count(), static_cast<int>(ParticleImages().size()));

  ASSERT_TRUE(rig.Fonts.LoadFromCPDb(main));
  ASSERT_EQ(rig.Fonts.Count(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(rig.Fonts.Items(i)->Loaded()) << "font " << i;
  // The bar's score: eleven digits from x 610 with 2 pixels between them must
  // stay on the screen; lives and level numbers fit their 44-pixel plates.
  TCanopyFont* numbers = rig.Fonts.Items(2);
  numbers->Interleave = 2.0;
  EXPECT_LE(610 + numbers->TextWidth("00000123450"), 795);
  EXPECT_LE(numbers->TextWidth("03"), 40);
  // The splash caption at y 570 stays mostly on the screen.
  EXPECT_LE(rig.Fonts.Items(0)->TextHeight("Click"), 40);
  // The hiscore table: a long name from x 160 stops short of the scores at x 500.
  TCanopyFont* table = rig.Fonts.Items(4);
  table->Interleave = 2.0;
  EXPECT_LT(160 + table->TextWidth("Arvanel of the Mountain"), 495);
  EXPECT_LE(500 + table->TextWidth("00000250000"), 700);
}

TEST_F(BuiltData, PicturesDecodeAtTheirSizes) {
  TCPDb db;
  Open(db, "GameData.CPDB");
  for (const TPictureSpec& p : Pictures()) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(db.ReadRecord(p.Key, bytes)) << p.Key;
    TBitmap32 bitmap;
    std::string error;
    ASSERT_TRUE(DecodeImageFile(p.Key, bytes.data(), bytes.size(), bitmap, &error)) << p.Key << ": " << error;
    EXPECT_EQ(bitmap.Width, p.Width) << p.Key;
    EXPECT_EQ(bitmap.Height, p.Height) << p.Key;
  }
}

TEST_F(BuiltData, SoundsFollowThePicturesWhenPacked) {
  TCPDb db;
  Open(db, "GameData.CPDB");
  int present = 0;
  for (const std::string& s : SoundFiles()) present += db.IndexOf(s) >= 0;
  if (present == 0) GTEST_SKIP() << "built without the generated sounds";
  EXPECT_EQ(present, static_cast<int>(SoundFiles().size()));
  int lastPicture = -1;
  for (const std::string& p : PictureFiles()) lastPicture = std::max(lastPicture, db.IndexOf(p));
  for (const std::string& s : SoundFiles()) EXPECT_GT(db.IndexOf(s), lastPicture) << s;
}

TEST_F(BuiltData, MapPointsFollowTheTrail) {
  const std::vector<uint8_t> bytes = ReadAll(kBuild / "data" / "mappoints.map");
  ASSERT_FALSE(bytes.empty());
  ASSERT_EQ(bytes.size() % 8, 0u);
  const size_t points = bytes.size() / 8;
  EXPECT_LE(points, 110u);
  for (size_t k = 0; k < points; ++k) {
    const int x = I32(bytes, 8 * k), y = I32(bytes, 8 * k + 4);
    // The marker is drawn 15 left and 20 above a point, the mark 8 and 16.
    EXPECT_GE(x - 15, 0) << "point " << k + 1;
    EXPECT_LE(x + 15, 800) << "point " << k + 1;
    EXPECT_GE(y - 20, 0) << "point " << k + 1;
    EXPECT_LE(y + 12, 600) << "point " << k + 1;
    if (k > 0) {
      // Evenly spaced: no two levels share a spot.
      const int px = I32(bytes, 8 * (k - 1)), py = I32(bytes, 8 * (k - 1) + 4);
      EXPECT_GT(std::hypot(x - px, y - py), 10.0) << "points " << k << " and " << k + 1;
    }
  }
}

TEST_F(BuiltData, HiscoreTableHoldsTenDescendingEntries) {
  const std::vector<uint8_t> bytes = ReadAll(kBuild / "data" / "hiscore.arv");
  ASSERT_EQ(bytes.size(), 480u);
  int32_t previous = INT32_MAX;
  for (size_t i = 0; i < 10; ++i) {
    const size_t at = 48 * i;
    EXPECT_GE(bytes[at], 1) << "entry " << i + 1;
    EXPECT_LE(bytes[at], 40) << "entry " << i + 1;
    for (size_t k = 1 + bytes[at]; k < 44; ++k) EXPECT_EQ(bytes[at + k], 0) << "entry " << i + 1;
    const int32_t score = I32(bytes, at + 44);
    EXPECT_LE(score, previous) << "entry " << i + 1;
    EXPECT_GT(score, 0);
    previous = score;
  }
}

// ---------------------------------------------------------------------------
// The generator as a program

namespace {

struct TRun {
  int Code = -1;
  std::string Output;
};

TRun Datagen(const std::string& args) {
  // Cairo and FreeType keep their caches to the end of the run; under the
  // sanitizers that is not a leak of ours.
  const std::string command = "ASAN_OPTIONS=detect_leaks=0 '" + (kBuild / "datagen").string() + "' " + args + " 2>&1";
  TRun run;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.Output.append(buffer, n);
  const int status = pclose(pipe);
  run.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class Generator : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kBuild / "datagen")) GTEST_SKIP() << "the generator was not built";
    Dir = fs::temp_directory_path() /
          ("grovewright-datagen-" + std::to_string(getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
  }
  void TearDown() override {
    if (!Dir.empty()) fs::remove_all(Dir);
  }
  // A copy of content/ to break.
  fs::path CopyContent() {
    fs::path content = Dir / "content";
    fs::create_directories(content);
    for (const char* sub : {"map", "hiscores", "levels"})
      fs::copy(kSource / "content" / sub, content / sub, fs::copy_options::recursive);
    return content;
  }
  std::string Build(const fs::path& out, const fs::path& content, const fs::path& cache) {
    return "build --out '" + out.string() + "' --source '" + (kSource / "tools" / "datagen").string() +
           "' --content '" + content.string() + "' --cache '" + cache.string() + "'";
  }
  fs::path Dir;
};

}  // namespace

// A fresh run, drawing everything again without the build's cache, gives
// archives identical to the build's own, byte for byte.
TEST_F(Generator, ARedrawGivesIdenticalArchives) {
  if (!fs::exists(kBuild / "Data" / "GameData.CPDB")) GTEST_SKIP() << "the data was not generated";
  // Pack the same sounds the build packed, if it packed any.
  std::string audio;
  if (fs::exists(kBuild / "gen" / "audio" / "ingame006.mp3")) {
    TCPDb db;
    db.SetFileName((kBuild / "Data" / "GameData.CPDB").string());
    db.OpenMode = TCPDb::opReadOnly;
    if (db.IndexOf("ingame006.mp3") >= 0) audio = " --audio '" + (kBuild / "gen" / "audio").string() + "'";
  }
  TRun run = Datagen(Build(Dir / "out", kSource / "content", Dir / "cache") + audio);
  ASSERT_EQ(run.Code, 0) << run.Output;
  for (const char* name : {"Data/GameData.CPDB", "Data/GameDataParticles.CPDB", "data/mappoints.map", "data/hiscore.arv"})
    EXPECT_TRUE(ReadAll(Dir / "out" / name) == ReadAll(kBuild / name)) << name << " differs";
  // And a second run takes everything from the cache it left.
  run = Datagen(Build(Dir / "out2", kSource / "content", Dir / "cache") + audio);
  ASSERT_EQ(run.Code, 0) << run.Output;
  EXPECT_NE(run.Output.find("(0 drawn"), std::string::npos) << run.Output;
  EXPECT_TRUE(ReadAll(Dir / "out2" / "Data/GameData.CPDB") == ReadAll(kBuild / "Data/GameData.CPDB"));
}

TEST_F(Generator, BrokenSourcesStopTheBuildWithFileAndLine) {
  fs::path content = CopyContent();
  {
    std::ofstream(content / "map" / "story-map.txt") << "levels 5\ntrail\n\tpoint 10 10\n\tpint 20 20\n";
    TRun run = Datagen(Build(Dir / "out", content, Dir / "cache"));
    EXPECT_NE(run.Code, 0);
    EXPECT_NE(run.Output.find("story-map.txt:4"), std::string::npos) << run.Output;
    EXPECT_FALSE(fs::exists(Dir / "out" / "Data" / "GameData.CPDB"));
  }
  {
    std::ofstream(content / "map" / "story-map.txt") << "levels 111\ntrail\n\tpoint 10 10\n\tpoint 20 20\n";
    TRun run = Datagen(Build(Dir / "out", content, Dir / "cache"));
    EXPECT_NE(run.Code, 0);
    EXPECT_NE(run.Output.find("story-map.txt:1"), std::string::npos) << run.Output;
  }
  fs::copy_file(kSource / "content" / "map" / "story-map.txt", content / "map" / "story-map.txt",
                fs::copy_options::overwrite_existing);
  {
    // Nine entries, and then one whose score rises.
    std::ofstream out(content / "hiscores" / "hiscore.txt");
    for (int i = 0; i < 9; ++i) out << "entry \"Name " << i << "\" " << 1000 - i << "\n";
    out.close();
    TRun run = Datagen(Build(Dir / "out", content, Dir / "cache"));
    EXPECT_NE(run.Code, 0);
    EXPECT_NE(run.Output.find("ten entries"), std::string::npos) << run.Output;
    std::ofstream(content / "hiscores" / "hiscore.txt", std::ios::app) << "entry \"Climber\" 5000\n";
    run = Datagen(Build(Dir / "out", content, Dir / "cache"));
    EXPECT_NE(run.Code, 0);
    EXPECT_NE(run.Output.find("hiscore.txt:10"), std::string::npos) << run.Output;
  }
}
