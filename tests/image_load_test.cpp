// The image list decodes records on several threads and makes the textures on
// its own: the list must come out the same whatever the number of threads,
// and an image decoded only when first drawn must be the same image.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "engine/archive/ArchiveKey.h"
#include "engine/archive/CPDb.h"
#include "engine/archive/CPDbWriter.h"
#include "engine/render/ImageFile.h"
#include "support/RenderFixtures.h"

using render_test::MakeRecord;
using render_test::RecordingRenderer;
using render_test::RenderRig;

namespace {

// A back end that keeps what was uploaded to each texture.
class KeepingRenderer : public RecordingRenderer {
 public:
  plat::TextureId CreateTexture(int w, int h) override {
    const plat::TextureId id = RecordingRenderer::CreateTexture(w, h);
    Sizes[id] = {w, h};
    return id;
  }
  bool UpdateTexture(plat::TextureId id, const uint32_t* argb, int pitch) override {
    const TSize size = Sizes.at(id);
    std::vector<uint32_t>& pixels = Pixels[id];
    pixels.clear();
    for (int y = 0; y < size.H; ++y) pixels.insert(pixels.end(), argb + y * pitch, argb + y * pitch + size.W);
    return true;
  }
  std::map<plat::TextureId, TSize> Sizes;
  std::map<plat::TextureId, std::vector<uint32_t>> Pixels;
};

struct Rig {
  KeepingRenderer* Back = nullptr;
  std::unique_ptr<RenderRig> R;
  Rig() {
    auto back = std::make_unique<KeepingRenderer>();
    Back = back.get();
    R = std::make_unique<RenderRig>(std::move(back));
  }
  TCanopyImages& Images() { return R->Images; }
  // Draws the image's first pattern, which makes a waiting image's textures.
  bool Draw(TCanopyImage& image) {
    int texture = 0;
    float u[4], v[4];
    return image.PatternCoords(TPatternRec{}, texture, u, v);
  }
  const std::vector<uint32_t>& TexturePixels(const TCanopyImage& image, int t) {
    return Back->Pixels.at(image.Texture(t));
  }
};

// A record in any stored format, with pixels from a seed.
TImageRecord Noisy(uint8_t format, int tw, int th, int count, int pw, int ph, uint32_t seed) {
  TImageRecord r;
  r.Format = format;
  r.PatternWidth = r.VisibleWidth = pw;
  r.PatternHeight = r.VisibleHeight = ph;
  r.TextureWidth = tw;
  r.TextureHeight = th;
  r.TextureCount = count;
  std::mt19937 random(seed);
  r.Pixels.resize(static_cast<size_t>(tw) * th * count * PixelFormatBytes(format));
  for (auto& b : r.Pixels) b = static_cast<uint8_t>(random());
  return r;
}

// What one image of the list is: its settings, sizes and every texel.
struct Snapshot {
  std::string Name;
  TCanopyQuality Quality;
  TAlphaLevel Alpha;
  int TW, TH, PW, PH, VW, VH, Patterns, Textures;
  std::vector<std::vector<uint32_t>> Pixels;
  bool operator==(const Snapshot&) const = default;
};

std::vector<Snapshot> SnapshotOf(Rig& rig) {
  std::vector<Snapshot> list;
  for (int i = 0; i < rig.Images().Count(); ++i) {
    TCanopyImage& image = *rig.Images().Items(i);
    EXPECT_TRUE(rig.Draw(image) || image.TextureCount() == 0) << image.Name << ": " << image.LastError();
    Snapshot s{image.Name, image.Quality, image.AlphaLevel, image.TextureSize.W, image.TextureSize.H,
               image.PatternSize.W, image.PatternSize.H, image.VisibleSize.W, image.VisibleSize.H,
               image.PatternCount, image.TextureCount(), {}};
    for (int t = 0; t < image.TextureCount(); ++t) s.Pixels.push_back(rig.TexturePixels(image, t));
    list.push_back(std::move(s));
  }
  return list;
}

class ImageLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = std::filesystem::temp_directory_path() /
          ("grovewright-imageload-" + std::to_string(getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(Dir);
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }
  TCPDb Save(TCPDbWriter& writer) {
    const std::string path = (Dir / "x.cpdb").string();
    EXPECT_TRUE(writer.Save(path));
    TCPDb archive;
    archive.OpenMode = TCPDb::opReadOnly;
    archive.SetFileName(path);
    return archive;
  }
  // Many images of every format and several textures, a font between them.
  TCPDb Mixed() {
    TCPDbWriter writer(GameArchiveKey());
    const uint8_t formats[] = {pfA8R8G8B8, pfX8R8G8B8, pfR5G6B5, pfA4R4G4B4, pfA8, pfA1R5G5B5, pfR3G3B2};
    for (int i = 0; i < 21; ++i) {
      const uint8_t format = formats[i % 7];
      const int tw = 16 << (i % 3), th = 8 << (i % 4);
      writer.Add("img" + std::to_string(i) + ".image", kRecordImage,
                 EncodeImageRecord(Noisy(format, tw, th, 1 + i % 3, tw / 2, th / 2, static_cast<uint32_t>(i))),
                 i % 2 == 0);
      if (i == 5) writer.Add("font", kRecordFont, EncodeFontRecord(render_test::BlockFont(32, 2, 4, 4, 4)), true);
    }
    TCPDb archive = Save(writer);
    const std::vector<uint8_t> key = GameArchiveKey();
    archive.SetKey(key.data(), static_cast<int>(key.size()));
    return archive;
  }
  // Every alpha level and quality in turn, a skipped image and a renamed one.
  static void Ask(TCanopyImages& images) {
    images.OnCPDbLoad = [](TCanopyImages&, const std::string& key, int, bool& accept, std::string& name,
                           TCanopyQuality& quality, TAlphaLevel& alpha) {
      const int n = std::stoi(key.substr(3));
      alpha = static_cast<TAlphaLevel>(n % 4);
      quality = static_cast<TCanopyQuality>(n % 3);
      if (n == 7) accept = false;
      if (n == 9) name = "nine";
    };
  }
  std::filesystem::path Dir;
};

}  // namespace

TEST_F(ImageLoad, EveryNumberOfThreadsGivesTheSameListAsOne) {
  TCPDb archive = Mixed();
  Rig serial;
  Ask(serial.Images());
  serial.Images().DecodeThreads = 1;
  ASSERT_TRUE(serial.Images().LoadFromCPDb(archive)) << serial.Images().LastError();
  const std::vector<Snapshot> expected = SnapshotOf(serial);
  ASSERT_EQ(expected.size(), 20u);
  EXPECT_EQ(expected[7].Name, "img8.image");
  EXPECT_EQ(expected[8].Name, "nine");

  // The texels are the records' pixels widened one by one, with the alpha level.
  size_t at = 0;
  for (int i = 0; i < 21; ++i) {
    if (i == 7) continue;
    const Snapshot& s = expected[at++];
    const TImageRecord r = Noisy(std::array<uint8_t, 7>{pfA8R8G8B8, pfX8R8G8B8, pfR5G6B5, pfA4R4G4B4, pfA8,
                                                        pfA1R5G5B5, pfR3G3B2}[static_cast<size_t>(i % 7)],
                                 16 << (i % 3), 8 << (i % 4), 1 + i % 3, 0, 0, static_cast<uint32_t>(i));
    const int bpp = PixelFormatBytes(r.Format);
    ASSERT_EQ(s.Textures, r.TextureCount) << s.Name;
    for (int t = 0; t < r.TextureCount; ++t) {
      const size_t texels = static_cast<size_t>(r.TextureWidth) * r.TextureHeight;
      for (size_t p = 0; p < texels; ++p) {
        const uint32_t want = ApplyAlphaLevel(PixelToArgb(r.Format, &r.Pixels[(t * texels + p) * bpp]), s.Alpha);
        ASSERT_EQ(s.Pixels[static_cast<size_t>(t)][p], want) << s.Name << " texture " << t << " texel " << p;
      }
    }
  }

  for (int threads : {2, 3, 8}) {
    Rig parallel;
    Ask(parallel.Images());
    parallel.Images().DecodeThreads = threads;
    ASSERT_TRUE(parallel.Images().LoadFromCPDb(archive)) << parallel.Images().LastError();
    EXPECT_TRUE(SnapshotOf(parallel) == expected) << threads << " threads";
  }
}

TEST_F(ImageLoad, AnyNumberOfThreadsStopsAtTheSameBadRecord) {
  TCPDbWriter writer;
  for (int i = 0; i < 12; ++i) {
    std::vector<uint8_t> bytes = EncodeImageRecord(Noisy(pfA8R8G8B8, 32, 32, 1, 32, 32, static_cast<uint32_t>(i)));
    if (i == 6) bytes.resize(bytes.size() - 1);  // cut short
    if (i == 9) bytes[0] = 77;                   // no such pixel format
    writer.Add("img" + std::to_string(i) + ".image", kRecordImage, bytes, false);
  }
  TCPDb archive = Save(writer);
  for (int threads : {1, 4}) {
    Rig rig;
    rig.Images().DecodeThreads = threads;
    EXPECT_FALSE(rig.Images().LoadFromCPDb(archive));
    EXPECT_EQ(rig.Images().Count(), 6) << threads;
    EXPECT_NE(rig.Images().LastError().find("img6.image: image record: pixel data is cut short"), std::string::npos)
        << rig.Images().LastError();
  }
}

TEST_F(ImageLoad, APictureDecodedWhenFirstDrawnIsTheSamePicture) {
  TCPDb archive = Mixed();
  Rig eager;
  Ask(eager.Images());
  ASSERT_TRUE(eager.Images().LoadFromCPDb(archive));
  const std::vector<Snapshot> expected = SnapshotOf(eager);
  auto later = [](const std::string& name) { return name == "img3.image" || name == "nine" || name == "img20.image"; };

  // Drawn early, on the game thread.
  {
    Rig rig;
    Ask(rig.Images());
    rig.Images().DecodeWhenDrawn = later;
    ASSERT_TRUE(rig.Images().LoadFromCPDb(archive)) << rig.Images().LastError();
    EXPECT_EQ(rig.Images().WaitingCount(), 3);
    TCanopyImage& nine = *rig.Images().Find("nine");
    EXPECT_TRUE(nine.Waiting());
    EXPECT_TRUE(nine.Ready()) << "it can be drawn";
    EXPECT_EQ(nine.TextureSize.W, expected[8].TW) << "its sizes are known before its pixels";
    EXPECT_EQ(nine.PatternCount, expected[8].Patterns);
    const size_t textures = rig.Back->Sizes.size();
    EXPECT_TRUE(rig.Draw(nine));
    EXPECT_FALSE(nine.Waiting());
    EXPECT_GT(rig.Back->Sizes.size(), textures);
    EXPECT_TRUE(SnapshotOf(rig) == expected);
    EXPECT_EQ(rig.Images().WaitingCount(), 0);
  }
  // Decoded in the background: each decoded picture gets its textures at the
  // end of a scene, or when drawn while still waiting.
  for (bool drawEarly : {false, true}) {
    Rig rig;
    Ask(rig.Images());
    rig.Images().DecodeWhenDrawn = later;
    ASSERT_TRUE(rig.Images().LoadFromCPDb(archive));
    rig.Images().DecodeWaitingInBackground();
    if (drawEarly) {
      EXPECT_TRUE(rig.Draw(*rig.Images().Find("img20.image")));
    }
    for (int scene = 0; scene < 2000 && rig.Images().WaitingCount() > 0; ++scene) {
      rig.R->Frame(0, [] {});
      if (rig.Images().WaitingCount() > 0) usleep(1000);
    }
    EXPECT_EQ(rig.Images().WaitingCount(), 0);
    EXPECT_TRUE(SnapshotOf(rig) == expected) << drawEarly;
  }
}

TEST_F(ImageLoad, APictureDecodedLateReportsADamagedRecordWhenDrawn) {
  TCPDbWriter writer;
  std::vector<uint8_t> good = EncodeImageRecord(Noisy(pfA8R8G8B8, 64, 64, 2, 64, 64, 3));
  writer.Add("good.image", kRecordImage, good, false);
  writer.Add("bad.image", kRecordImage, good, false);
  TCPDb archive = Save(writer);
  // Damage the second record's stored bytes at their end: its start (the
  // header) still reads.
  std::vector<uint8_t> file;
  {
    std::ifstream in((Dir / "x.cpdb").string(), std::ios::binary);
    file.assign(std::istreambuf_iterator<char>(in), {});
  }
  const std::vector<TCPDbEntry> entries = archive.Entries();
  file[entries[1].HeaderOffset + 44 + entries[1].StoredSize - 10] ^= 0xFF;
  TCPDb damaged;
  damaged.OpenMode = TCPDb::opReadOnly;
  damaged.SetFileData(file);

  Rig rig;
  std::vector<std::string> failures;
  rig.Images().DecodeWhenDrawn = [](const std::string&) { return true; };
  rig.Images().OnDecodeFailed = [&](const std::string& name, const std::string& error) {
    failures.push_back(name + ": " + error);
  };
  ASSERT_TRUE(rig.Images().LoadFromCPDb(damaged)) << rig.Images().LastError();
  EXPECT_TRUE(rig.Draw(*rig.Images().Items(0)));
  EXPECT_FALSE(rig.Draw(*rig.Images().Items(1)));
  EXPECT_EQ(failures, std::vector<std::string>{"bad.image: cannot read the record"});
  EXPECT_EQ(rig.Images().Items(1)->Texture(0), 0u);
  EXPECT_FALSE(rig.Draw(*rig.Images().Items(1)));
  EXPECT_EQ(failures.size(), 1u) << "told once";

  // A header that cannot be right fails the load itself, as ever.
  TCPDbWriter bad;
  std::vector<uint8_t> negative = good;
  negative[29] = 0xFF, negative[30] = 0xFF, negative[31] = 0xFF, negative[32] = 0xFF;  // texture count -1
  bad.Add("neg.image", kRecordImage, negative, false);
  TCPDb badArchive;
  badArchive.OpenMode = TCPDb::opReadOnly;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(bad.Serialize(bytes));
  badArchive.SetFileData(bytes);
  Rig other;
  other.Images().DecodeWhenDrawn = [](const std::string&) { return true; };
  EXPECT_FALSE(other.Images().LoadFromCPDb(badArchive));
  EXPECT_NE(other.Images().LastError().find("neg.image: image record: negative texture count"), std::string::npos)
      << other.Images().LastError();
}

TEST_F(ImageLoad, APictureReadAheadIsThePictureReadWhenAskedFor) {
  TBitmap32 picture{5, 3, {}};
  for (int i = 0; i < 15; ++i) picture.Pixels.push_back(0xFF000000u | static_cast<uint32_t>(i * 0x010203));
  std::vector<uint8_t> png;
  ASSERT_TRUE(EncodeImageFile("p.png", picture, png));
  TCPDbWriter writer(GameArchiveKey());
  writer.Add("Picture.PNG", 2, png, true);
  writer.Add("stack.image", kRecordImage, EncodeImageRecord(Noisy(pfR5G6B5, 4, 4, 2, 4, 4, 1)), true);
  TCPDb archive = Save(writer);
  const std::vector<uint8_t> key = GameArchiveKey();
  archive.SetKey(key.data(), static_cast<int>(key.size()));

  Rig rig;
  for (const char* name : {"picture.png", "stack.image"}) {
    TBitmap32 direct, ahead;
    ASSERT_TRUE(LoadBitmap(name, direct, archive)) << name;
    rig.Images().PrefetchPicture(name, archive);
    ASSERT_TRUE(rig.Images().LoadPicture(name, ahead, archive)) << name;
    EXPECT_EQ(ahead.Width, direct.Width);
    EXPECT_EQ(ahead.Height, direct.Height);
    EXPECT_EQ(ahead.Pixels, direct.Pixels) << name;
  }
  EXPECT_EQ(TBitmap32{}.Pixels.size(), 0u);
  TBitmap32 none;
  rig.Images().PrefetchPicture("absent.jpg", archive);
  EXPECT_FALSE(rig.Images().LoadPicture("absent.jpg", none, archive));
}

TEST(PixelConversion, ManyAtOnceMatchOneAtATimeInEveryFormat) {
  std::mt19937 random(11);
  std::vector<uint8_t> bytes(4 * 1000);
  for (auto& b : bytes) b = static_cast<uint8_t>(random());
  for (int format = 0; format <= pfUnknown; ++format) {
    const int bpp = PixelFormatBytes(format);
    std::vector<uint32_t> many(1000);
    PixelsToArgb(format, bytes.data(), many.size(), many.data());
    for (size_t i = 0; i < many.size(); ++i)
      ASSERT_EQ(many[i], bpp ? PixelToArgb(format, &bytes[i * static_cast<size_t>(bpp)]) : 0u)
          << "format " << format << " pixel " << i;
  }
}

// The game's own archives: the same images on one thread as on every core.
TEST(ImageLoadBuiltData, TheGameArchivesLoadTheSameOnOneThreadAsOnMany) {
  const std::string path = std::string(GW_BUILD_DIR) + "/Data/GameData.CPDB";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "the game data has not been built";
  TCPDb archive, unused;
  archive.OpenMode = TCPDb::opReadOnly;
  archive.SetFileName(path);
  ApplyGameArchiveKey(archive, unused);
  auto alphaByName = [](TCanopyImages&, const std::string& key, int, bool&, std::string&, TCanopyQuality&,
                        TAlphaLevel& alpha) {
    if (key == "kestrava.image" || key == "open1-1.image") alpha = alNone;
  };
  Rig one, many;
  one.Images().OnCPDbLoad = many.Images().OnCPDbLoad = alphaByName;
  one.Images().DecodeThreads = 1;
  many.Images().DecodeThreads = 4;
  ASSERT_TRUE(one.Images().LoadFromCPDb(archive)) << one.Images().LastError();
  ASSERT_TRUE(many.Images().LoadFromCPDb(archive)) << many.Images().LastError();
  const std::vector<Snapshot> a = SnapshotOf(one), b = SnapshotOf(many);
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) EXPECT_TRUE(a[i] == b[i]) << a[i].Name;
}
