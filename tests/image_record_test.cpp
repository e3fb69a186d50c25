// The twelve pixel formats and the image and font record parsers, including
// records built to lie about their sizes.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/render/ImageRecord.h"

namespace {

uint32_t ToArgb(int format, uint32_t stored) {
  uint8_t p[4];
  std::memcpy(p, &stored, 4);
  return PixelToArgb(format, p);
}

uint32_t FromArgb(int format, uint32_t argb) {
  uint8_t p[4] = {0, 0, 0, 0};
  ArgbToPixel(format, argb, p);
  uint32_t v = 0;
  std::memcpy(&v, p, static_cast<size_t>(PixelFormatBytes(format)));
  return v;
}

void PutI32(std::vector<uint8_t>& out, int32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
}

std::vector<uint8_t> Header(uint8_t format, int32_t tw, int32_t th, int32_t count) {
  std::vector<uint8_t> out{format};
  for (int32_t v : {16, 16, 16, 16, 0, tw, th, count}) PutI32(out, v);
  return out;
}

}  // namespace

TEST(PixelFormats, FullStaysFullAndZeroStaysZeroInEveryFormat) {
  const int bytes[] = {1, 2, 4, 2, 2, 4, 2, 2, 2, 1, 1, 0};
  for (int f = 0; f <= pfUnknown; ++f) EXPECT_EQ(PixelFormatBytes(f), bytes[f]) << f;
  EXPECT_EQ(PixelFormatBytes(12), 0);
  EXPECT_EQ(PixelFormatBytes(-1), 0);
  for (int f = 0; f < pfUnknown; ++f) {
    const uint32_t full = ToArgb(f, FromArgb(f, 0xFFFFFFFF));
    const uint32_t zero = ToArgb(f, FromArgb(f, 0x00000000));
    EXPECT_EQ(full, 0xFFFFFFFFu) << f;
    if (f == pfA8) {
      EXPECT_EQ(zero, 0x00FFFFFFu);  // alpha only: the colour reads white
    } else if (f <= pfX4R4G4B4 || f == pfX8R8G8B8) {
      EXPECT_EQ(zero, 0xFF000000u) << f;  // no alpha: opaque
    } else {
      EXPECT_EQ(zero, 0u) << f;
    }
  }
}

TEST(PixelFormats, ChannelsSitWhereTheFormatsSay) {
  EXPECT_EQ(ToArgb(pfR3G3B2, 0xE0), 0xFFFF0000u);
  EXPECT_EQ(ToArgb(pfR3G3B2, 0x03), 0xFF0000FFu);
  EXPECT_EQ(ToArgb(pfR5G6B5, 0x07E0), 0xFF00FF00u);
  EXPECT_EQ(ToArgb(pfR5G6B5, 0x8000), 0xFF840000u);  // 16 of 31
  EXPECT_EQ(ToArgb(pfX8R8G8B8, 0x00123456), 0xFF123456u);
  EXPECT_EQ(ToArgb(pfX1R5G5B5, 0x7C00), 0xFFFF0000u);
  EXPECT_EQ(ToArgb(pfX4R4G4B4, 0x0F00), 0xFFFF0000u);
  EXPECT_EQ(ToArgb(pfA8R8G8B8, 0x80123456), 0x80123456u);
  EXPECT_EQ(ToArgb(pfA1R5G5B5, 0x801F), 0xFF0000FFu);
  EXPECT_EQ(ToArgb(pfA1R5G5B5, 0x001F), 0x000000FFu);
  EXPECT_EQ(ToArgb(pfA4R4G4B4, 0x8F00), 0x88FF0000u);
  EXPECT_EQ(ToArgb(pfA8R3G3B2, 0x401C), 0x4000FF00u);
  EXPECT_EQ(ToArgb(pfA2R2G2B2, 0x70), 0x55FF0000u);
  EXPECT_EQ(ToArgb(pfA8, 0x7F), 0x7FFFFFFFu);
  // Unused bits are written as ones.
  EXPECT_EQ(FromArgb(pfX8R8G8B8, 0x00123456), 0xFF123456u);
  EXPECT_EQ(FromArgb(pfX1R5G5B5, 0), 0x8000u);
  EXPECT_EQ(FromArgb(pfX4R4G4B4, 0), 0xF000u);
}

TEST(PixelFormats, EveryStoredValueSurvivesARoundTrip) {
  // Widening to 8 bits and narrowing back gives every stored value again.
  for (int f = 0; f < pfUnknown; ++f) {
    const int bits = PixelFormatBytes(f) * 8;
    const uint32_t limit = bits == 32 ? 0x10000 : (1u << bits);
    for (uint32_t v = 0; v < limit; v += (bits == 32 ? 257 : 1)) {
      uint32_t stored = bits == 32 ? (v * 0x10001u) : v;
      // X bits read back as ones.
      if (f == pfX8R8G8B8) stored |= 0xFF000000u;
      if (f == pfX1R5G5B5) stored |= 0x8000u;
      if (f == pfX4R4G4B4) stored |= 0xF000u;
      ASSERT_EQ(FromArgb(f, ToArgb(f, stored)), stored) << "format " << f << " value " << v;
    }
  }
}

TEST(ImageRecords, EncodeAndParseAgree) {
  TImageRecord r;
  r.Format = pfR5G6B5;
  r.PatternWidth = 4;
  r.PatternHeight = 2;
  r.VisibleWidth = 3;
  r.VisibleHeight = 1;
  r.PatternCount = -1;
  r.TextureWidth = 8;
  r.TextureHeight = 2;
  r.TextureCount = 3;
  for (int i = 0; i < 8 * 2 * 3 * 2; ++i) r.Pixels.push_back(static_cast<uint8_t>(i));
  std::vector<uint8_t> bytes = EncodeImageRecord(r);
  ASSERT_EQ(bytes.size(), 33u + r.Pixels.size());
  bytes.push_back(0xAB);  // whatever follows stays unread
  size_t offset = 0;
  auto parsed = ParseImageRecord(bytes.data(), bytes.size(), offset);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(offset, bytes.size() - 1);
  EXPECT_EQ(parsed->Format, r.Format);
  EXPECT_EQ(parsed->VisibleWidth, 3);
  EXPECT_EQ(parsed->PatternCount, -1);
  EXPECT_EQ(parsed->TextureCount, 3);
  EXPECT_EQ(parsed->Pixels, r.Pixels);

  TFontRecord f;
  f.FirstChar = 33;
  f.ExtraAdvance = -2;
  f.Glyphs = {{5, 9}, {7, 9}};
  f.Image = r;
  bytes = EncodeFontRecord(f);
  auto font = ParseFontRecord(bytes.data(), bytes.size());
  ASSERT_TRUE(font);
  EXPECT_EQ(font->FirstChar, 33);
  EXPECT_EQ(font->ExtraAdvance, -2);
  ASSERT_EQ(font->Glyphs.size(), 2u);
  EXPECT_EQ(font->Glyphs[1].Width, 7);
  EXPECT_EQ(font->Image.Pixels, r.Pixels);
  // Only the low byte of the first-character field counts.
  bytes[1] = 0x12;
  EXPECT_EQ(ParseFontRecord(bytes.data(), bytes.size())->FirstChar, 33);
}

TEST(ImageRecords, HostileHeadersAreRefusedWithoutReadingPastTheEnd) {
  std::string error;
  auto parse = [&](const std::vector<uint8_t>& bytes) {
    size_t offset = 0;
    // A copy of exactly the record's size, so a sanitizer sees any over-read.
    std::vector<uint8_t> exact(bytes);
    return ParseImageRecord(exact.data(), exact.size(), offset, &error).has_value();
  };
  EXPECT_FALSE(parse({}));
  EXPECT_FALSE(parse(std::vector<uint8_t>(32, 0)));
  EXPECT_NE(error.find("cut short"), std::string::npos);

  auto tex = Header(pfA8R8G8B8, 2, 2, 1);
  tex.resize(tex.size() + 16);
  EXPECT_TRUE(parse(tex));
  tex.pop_back();
  EXPECT_FALSE(parse(tex));  // one byte missing

  EXPECT_FALSE(parse(Header(pfUnknown, 1, 1, 0)));
  EXPECT_NE(error.find("unknown pixel format"), std::string::npos);
  EXPECT_FALSE(parse(Header(200, 1, 1, 0)));
  EXPECT_FALSE(parse(Header(pfA8, 1, 1, -1)));
  EXPECT_FALSE(parse(Header(pfA8, -4, 1, 1)));
  EXPECT_FALSE(parse(Header(pfA8, 0, 4, 1)));
  // Sizes whose product overflows 32 and 64 bits must not wrap into a small number.
  EXPECT_FALSE(parse(Header(pfA8R8G8B8, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF)));
  EXPECT_FALSE(parse(Header(pfA8R8G8B8, 65536, 65536, 65536)));
  EXPECT_FALSE(parse(Header(pfA8, 1, 1, 0x7FFFFFFF)));
  // No textures at all is a well-formed, empty record.
  EXPECT_TRUE(parse(Header(pfA8, 0x7FFFFFFF, 0x7FFFFFFF, 0)));

  size_t offset = 40;
  auto ok = Header(pfA8, 1, 1, 0);
  EXPECT_FALSE(ParseImageRecord(ok.data(), ok.size(), offset));  // offset past the end
}

TEST(ImageRecords, HostileFontRecordsAreRefused) {
  auto font = [](int32_t count, size_t tableBytes, const std::vector<uint8_t>& image) {
    std::vector<uint8_t> out;
    for (int32_t v : {32, 0, 0, count}) PutI32(out, v);
    out.resize(out.size() + tableBytes, 1);
    out.insert(out.end(), image.begin(), image.end());
    return out;
  };
  auto empty = Header(pfA8, 1, 1, 0);
  std::string error;
  auto parse = [&](std::vector<uint8_t> bytes) {
    return ParseFontRecord(bytes.data(), bytes.size(), &error).has_value();
  };
  EXPECT_TRUE(parse(font(2, 16, empty)));
  EXPECT_FALSE(parse(font(-1, 0, empty)));
  EXPECT_FALSE(parse(font(0x7FFFFFFF, 16, empty)));
  EXPECT_FALSE(parse(font(3, 16, empty)));  // the table eats into the image
  EXPECT_FALSE(parse(font(2, 16, {})));
  EXPECT_NE(error.find("font record"), std::string::npos);
  EXPECT_FALSE(parse(std::vector<uint8_t>(15, 0)));
}
