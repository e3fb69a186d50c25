// Picture files: round trips through the four encoders, hand-made Targa and
// bitmap variants, and damaged or lying files.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <zlib.h>

#include "engine/render/ImageFile.h"

namespace {

TBitmap32 TestPicture(int w, int h, bool alpha) {
  TBitmap32 b{w, h, {}};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t a = alpha ? static_cast<uint32_t>((x * 37 + y * 11) & 0xFF) : 0xFF;
      b.Pixels.push_back(a << 24 | static_cast<uint32_t>((x * 4) & 0xFF) << 16 |
                         static_cast<uint32_t>((y * 4) & 0xFF) << 8 | static_cast<uint32_t>((x + y) & 0xFF));
    }
  }
  return b;
}

bool Decode(const std::string& name, const std::vector<uint8_t>& bytes, TBitmap32& out,
            std::string* error = nullptr) {
  return DecodeImageFile(name, bytes.data(), bytes.size(), out, error);
}

void Put16(std::vector<uint8_t>& o, uint32_t v) {
  o.push_back(static_cast<uint8_t>(v));
  o.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& o, uint32_t v) {
  Put16(o, v & 0xFFFF);
  Put16(o, v >> 16);
}

// A bitmap with an information header, `bpp` bits and the given palette,
// followed by `pixels` as stored.
std::vector<uint8_t> Bmp(int w, int h, int bpp, uint32_t compression, const std::vector<uint32_t>& palette,
                         const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> o{'B', 'M'};
  const uint32_t offset = 14 + 40 + static_cast<uint32_t>(palette.size()) * 4;
  Put32(o, offset + static_cast<uint32_t>(pixels.size()));
  Put32(o, 0);
  Put32(o, offset);
  Put32(o, 40);
  Put32(o, static_cast<uint32_t>(w));
  Put32(o, static_cast<uint32_t>(h));
  Put16(o, 1);
  Put16(o, static_cast<uint32_t>(bpp));
  Put32(o, compression);
  Put32(o, static_cast<uint32_t>(pixels.size()));
  Put32(o, 0);
  Put32(o, 0);
  Put32(o, static_cast<uint32_t>(palette.size()));
  Put32(o, 0);
  for (uint32_t c : palette) Put32(o, c);
  o.insert(o.end(), pixels.begin(), pixels.end());
  return o;
}

std::vector<uint8_t> TgaHeader(int type, int depth, int w, int h, int descriptor) {
  std::vector<uint8_t> o(18, 0);
  o[2] = static_cast<uint8_t>(type);
  o[12] = static_cast<uint8_t>(w);
  o[14] = static_cast<uint8_t>(h);
  o[16] = static_cast<uint8_t>(depth);
  o[17] = static_cast<uint8_t>(descriptor);
  return o;
}

}  // namespace

TEST(ImageFiles, LosslessFormatsRoundTripExactly) {
  const TBitmap32 withAlpha = TestPicture(37, 23, true);
  const TBitmap32 opaque = TestPicture(64, 5, false);
  for (const char* name : {"a.png", "A.PNG", "b.tga", "c.bmp", "d.dat"}) {
    for (const TBitmap32* in : {&withAlpha, &opaque}) {
      std::vector<uint8_t> bytes;
      std::string error;
      ASSERT_TRUE(EncodeImageFile(name, *in, bytes, &error)) << name << ": " << error;
      TBitmap32 out;
      ASSERT_TRUE(Decode(name, bytes, out, &error)) << name << ": " << error;
      EXPECT_EQ(out.Width, in->Width);
      EXPECT_EQ(out.Height, in->Height);
      EXPECT_EQ(out.Pixels, in->Pixels) << name;
    }
  }
}

TEST(ImageFiles, JpegIsProgressiveAndClose) {
  const TBitmap32 in = TestPicture(80, 48, false);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodeImageFile("shot.JPEG", in, bytes));
  // A progressive frame starts with the SOF2 marker.
  bool progressive = false;
  for (size_t i = 0; i + 1 < bytes.size(); ++i) progressive |= bytes[i] == 0xFF && bytes[i + 1] == 0xC2;
  EXPECT_TRUE(progressive);
  TBitmap32 out;
  ASSERT_TRUE(Decode("x.jpg", bytes, out));
  ASSERT_EQ(out.Pixels.size(), in.Pixels.size());
  double error = 0;
  for (size_t i = 0; i < in.Pixels.size(); ++i) {
    EXPECT_EQ(out.Pixels[i] >> 24, 0xFFu);
    for (int s = 0; s < 24; s += 8) {
      error += std::abs(static_cast<int>((in.Pixels[i] >> s) & 0xFF) - static_cast<int>((out.Pixels[i] >> s) & 0xFF));
    }
  }
  EXPECT_LT(error / (in.Pixels.size() * 3.0), 4.0);
}

TEST(ImageFiles, SaveWritesTheFile) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "gw-image-file-test";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "screen001.png").string();
  const TBitmap32 in = TestPicture(16, 16, false);
  ASSERT_TRUE(SaveImageFile(path, in));
  std::ifstream file(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  TBitmap32 out;
  ASSERT_TRUE(Decode(path, bytes, out));
  EXPECT_EQ(out.Pixels, in.Pixels);
  std::string error;
  // A missing folder is made; a file standing where the folder should be is
  // an error, and nothing is left behind.
  EXPECT_TRUE(SaveImageFile((dir / "shots" / "x.png").string(), in, &error)) << error;
  std::ofstream(dir / "blocker") << "x";
  EXPECT_FALSE(SaveImageFile((dir / "blocker" / "x.png").string(), in, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(SaveImageFile(path, TBitmap32{}, &error));  // nothing to write
  std::filesystem::remove_all(dir);
}

TEST(ImageFiles, AFullDiskLeavesTheOldPictureAndNoCutOffFile) {
  // A file size limit stands in for a full disk: writes past it fail.
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "gw-image-full-disk";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "shot.png").string();
  ASSERT_TRUE(SaveImageFile(path, TestPicture(8, 8, false)));
  const auto oldSize = std::filesystem::file_size(path);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 512;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string error;
  const bool saved = SaveImageFile(path, TestPicture(256, 256, false), &error);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(saved);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(std::filesystem::file_size(path), oldSize) << "the old picture stays whole";
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir)) files += e.is_regular_file();
  EXPECT_EQ(files, 1) << "no temporary file is left";
  std::filesystem::remove_all(dir);
}

TEST(ImageFiles, BitmapVariants) {
  TBitmap32 out;
  // 1-bit palette, bottom row first, rows padded to four bytes.
  ASSERT_TRUE(Decode("x.bmp", Bmp(3, 2, 1, 0, {0x000000, 0xFF8000}, {0xA0, 0, 0, 0, 0x40, 0, 0, 0}), out));
  EXPECT_EQ(out.Pixels, (std::vector<uint32_t>{0xFF000000, 0xFFFF8000, 0xFF000000, 0xFFFF8000, 0xFF000000,
                                               0xFFFF8000}));
  // 16-bit 5-5-5 by default.
  ASSERT_TRUE(Decode("x.bmp", Bmp(1, 1, 16, 0, {}, {0x00, 0x7C, 0, 0}), out));
  EXPECT_EQ(out.Pixels[0], 0xFFFF0000u);
  // 24-bit, top row first when the height is negative.
  ASSERT_TRUE(Decode("x.bmp", Bmp(1, -2, 24, 0, {}, {1, 2, 3, 0, 4, 5, 6, 0}), out));
  EXPECT_EQ(out.Pixels, (std::vector<uint32_t>{0xFF030201, 0xFF060504}));
  // Run-length 8: a run of three, a literal pair, end of line, end of bitmap;
  // pixels never written stay black.
  ASSERT_TRUE(Decode("x.bmp",
                     Bmp(5, 2, 8, 1, {0x0000FF, 0x00FF00, 0xFF0000}, {3, 1, 0, 3, 2, 0, 2, 0, 0, 0, 0, 1}),
                     out));
  EXPECT_EQ(out.Pixels[5], 0xFF00FF00u);  // bottom row, first pixel
  EXPECT_EQ(out.Pixels[8], 0xFFFF0000u);
  EXPECT_EQ(out.Pixels[9], 0xFF0000FFu);
  EXPECT_EQ(out.Pixels[0], 0xFF000000u);
  // Palette indices beyond the palette read as black rather than past it.
  ASSERT_TRUE(Decode("x.bmp", Bmp(1, 1, 8, 0, {0xFFFFFF}, {200, 0, 0, 0}), out));
  EXPECT_EQ(out.Pixels[0], 0xFF000000u);
}

TEST(ImageFiles, TargaVariants) {
  TBitmap32 out;
  // 24-bit, bottom row first.
  auto tga = TgaHeader(2, 24, 1, 2, 0);
  tga.insert(tga.end(), {1, 2, 3, 4, 5, 6});
  ASSERT_TRUE(Decode("x.TGA", tga, out));
  EXPECT_EQ(out.Pixels, (std::vector<uint32_t>{0xFF060504, 0xFF030201}));
  // Run-length 32-bit, top row first, right to left.
  tga = TgaHeader(10, 32, 3, 1, 0x38);
  tga.insert(tga.end(), {0x81, 10, 20, 30, 40, 0x00, 1, 2, 3, 4});
  ASSERT_TRUE(Decode("x.tga", tga, out));
  EXPECT_EQ(out.Pixels, (std::vector<uint32_t>{0x04030201, 0x281E140A, 0x281E140A}));
  // Grey, and a 32-bit picture whose alpha is zero throughout reads opaque.
  tga = TgaHeader(3, 8, 2, 1, 0x20);
  tga.insert(tga.end(), {0x10, 0xF0});
  ASSERT_TRUE(Decode("x.tga", tga, out));
  EXPECT_EQ(out.Pixels[1], 0xFFF0F0F0u);
  tga = TgaHeader(2, 32, 1, 1, 0x20);
  tga.insert(tga.end(), {1, 2, 3, 0});
  ASSERT_TRUE(Decode("x.tga", tga, out));
  EXPECT_EQ(out.Pixels[0], 0xFF030201u);
  // Colour-mapped with a 24-bit map of two entries starting at index 5.
  tga = TgaHeader(1, 8, 2, 1, 0x20);
  tga[1] = 1;
  tga[3] = 5;
  tga[5] = 2;
  tga[7] = 24;
  tga.insert(tga.end(), {0, 0, 255, 0, 255, 0, 6, 9});
  ASSERT_TRUE(Decode("x.tga", tga, out));
  EXPECT_EQ(out.Pixels, (std::vector<uint32_t>{0xFF00FF00, 0xFF000000}));
}

TEST(ImageFiles, DamagedAndLyingFilesFailCleanly) {
  const TBitmap32 in = TestPicture(40, 30, true);
  for (const char* name : {"x.png", "x.jpg", "x.tga", "x.bmp"}) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(EncodeImageFile(name, in, bytes));
    TBitmap32 out;
    std::string error;
    // Every cut that removes pixel data must fail, and never read past the end.
    for (size_t keep : {size_t{0}, size_t{1}, size_t{10}, size_t{17}, bytes.size() / 2, bytes.size() - 13}) {
      std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(keep));
      EXPECT_FALSE(Decode(name, cut, out, &error)) << name << " cut to " << keep;
      EXPECT_FALSE(error.empty());
    }
  }
  TBitmap32 out;
  // Sizes beyond the limits are refused before anything is allocated.
  auto huge = TgaHeader(2, 32, 0xFF, 0xFF, 0);
  huge[13] = 0xFF;
  huge[15] = 0xFF;  // 65535 x 65535
  EXPECT_FALSE(Decode("x.tga", huge, out));
  EXPECT_FALSE(Decode("x.bmp", Bmp(100000, 100000, 24, 0, {}, {}), out));
  EXPECT_FALSE(Decode("x.bmp", Bmp(4, 4, 8, 0, {}, std::vector<uint8_t>(16)), out));  // no palette
  EXPECT_FALSE(Decode("x.bmp", Bmp(4, 4, 12, 0, {}, std::vector<uint8_t>(64)), out));
  EXPECT_FALSE(Decode("x.bmp", Bmp(4, -4, 8, 1, {0}, std::vector<uint8_t>(64)), out));  // top-down RLE
  EXPECT_FALSE(Decode("x.bmp", Bmp(4, 4, 8, 1, {0}, {4, 0, 0, 0}), out));  // RLE runs out
  auto tgaRle = TgaHeader(10, 24, 200, 200, 0);
  tgaRle.insert(tgaRle.end(), {0xFF, 1, 2, 3});
  EXPECT_FALSE(Decode("x.tga", tgaRle, out));
  EXPECT_FALSE(Decode("x.tga", TgaHeader(7, 24, 1, 1, 0), out));
  EXPECT_FALSE(DecodeImageFile("x.png", nullptr, 100, out));
  // A PNG header claiming a picture far larger than its data could hold.
  std::vector<uint8_t> png;
  ASSERT_TRUE(EncodeImageFile("x.png", TestPicture(1, 1, false), png));
  for (int i : {16, 20}) {  // width and height 4096, big-endian
    png[static_cast<size_t>(i)] = 0;
    png[static_cast<size_t>(i) + 1] = 0;
    png[static_cast<size_t>(i) + 2] = 0x10;
    png[static_cast<size_t>(i) + 3] = 0;
  }
  const uLong crc = crc32(crc32(0, nullptr, 0), png.data() + 12, 17);
  for (int i = 0; i < 4; ++i) png[29 + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  std::string error;
  EXPECT_FALSE(Decode("x.png", png, out, &error));
  EXPECT_NE(error.find("too short"), std::string::npos) << error;
}
