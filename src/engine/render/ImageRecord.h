// Image and font records as stored in the archives (record types 1 and 3):
// parsing for the loaders and encoding for the data tools.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum TPixelFormat : uint8_t {
  pfR3G3B2 = 0, pfR5G6B5 = 1, pfX8R8G8B8 = 2, pfX1R5G5B5 = 3, pfX4R4G4B4 = 4, pfA8R8G8B8 = 5,
  pfA1R5G5B5 = 6, pfA4R4G4B4 = 7, pfA8R3G3B2 = 8, pfA2R2G2B2 = 9, pfA8 = 10, pfUnknown = 11
};

constexpr uint16_t kRecordImage = 1;
constexpr uint16_t kRecordFont = 3;

// Bytes per pixel of a stored format (0 for pfUnknown or a bad code).
int PixelFormatBytes(int format);
// Converts one stored pixel to A8R8G8B8 (0xAARRGGBB); full channels map to 255,
// zero to 0. Formats without alpha give alpha 255.
uint32_t PixelToArgb(int format, const uint8_t* p);
// Converts count stored pixels, exactly as PixelToArgb does one at a time but
// much faster for the formats the game's data uses (A8R8G8B8, X8R8G8B8). For
// those two, src and dst may be the same memory.
void PixelsToArgb(int format, const uint8_t* src, size_t count, uint32_t* dst);
// Converts one A8R8G8B8 pixel to a stored format, writing PixelFormatBytes bytes.
void ArgbToPixel(int format, uint32_t argb, uint8_t* out);

struct TImageRecord {
  uint8_t Format = pfA8R8G8B8;
  int32_t PatternWidth = 0, PatternHeight = 0;
  int32_t VisibleWidth = 0, VisibleHeight = 0;
  int32_t PatternCount = 0;  // 0 or less: every cell of every texture
  int32_t TextureWidth = 0, TextureHeight = 0;
  int32_t TextureCount = 0;
  // TextureCount textures, each TextureHeight rows of TextureWidth pixels in Format.
  std::vector<uint8_t> Pixels;
};

struct TGlyph {
  int32_t Width = 0, Height = 0;  // advance width and height
};

struct TFontRecord {
  uint8_t FirstChar = 32;
  int32_t ExtraAdvance = 0;
  std::vector<TGlyph> Glyphs;
  TImageRecord Image;  // pattern i = character FirstChar + i
};

// Parsing never reads past size and refuses sizes that do not add up; it returns
// nullopt with a reason in error. Offset moves past what was read.
std::optional<TImageRecord> ParseImageRecord(const uint8_t* data, size_t size, size_t& offset,
                                             std::string* error = nullptr);
// Bytes of an image record's header; its pixels follow.
constexpr size_t kImageRecordHeaderSize = 33;
// The header alone (kImageRecordHeaderSize bytes at header), checked as
// ParseImageRecord checks it against the bytes that follow it (available):
// the pixels are not read and Pixels stays empty. pixelBytes is the size of
// the pixel data the header declares.
std::optional<TImageRecord> ParseImageHeader(const uint8_t* header, uint64_t available, uint64_t& pixelBytes,
                                             std::string* error = nullptr);
std::optional<TFontRecord> ParseFontRecord(const uint8_t* data, size_t size,
                                           std::string* error = nullptr);
std::vector<uint8_t> EncodeImageRecord(const TImageRecord& record);
std::vector<uint8_t> EncodeFontRecord(const TFontRecord& record);
