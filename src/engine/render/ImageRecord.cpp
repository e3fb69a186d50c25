// Image and font records: the twelve stored pixel formats, and parsing that
// never trusts a size field further than the bytes actually present.
#include "engine/render/ImageRecord.h"

#include <cstring>
#include <limits>

namespace {

// Bit layout of one stored pixel format: bytes per pixel and, per channel, the
// number of bits and the shift of the lowest one.
struct TFormatLayout {
  int Bytes;
  int ABits, AShift;
  int RBits, RShift;
  int GBits, GShift;
  int BBits, BShift;
};

constexpr TFormatLayout kLayouts[] = {
    {1, 0, 0, 3, 5, 3, 2, 2, 0},     // R3G3B2
    {2, 0, 0, 5, 11, 6, 5, 5, 0},    // R5G6B5
    {4, 0, 0, 8, 16, 8, 8, 8, 0},    // X8R8G8B8
    {2, 0, 0, 5, 10, 5, 5, 5, 0},    // X1R5G5B5
    {2, 0, 0, 4, 8, 4, 4, 4, 0},     // X4R4G4B4
    {4, 8, 24, 8, 16, 8, 8, 8, 0},   // A8R8G8B8
    {2, 1, 15, 5, 10, 5, 5, 5, 0},   // A1R5G5B5
    {2, 4, 12, 4, 8, 4, 4, 4, 0},    // A4R4G4B4
    {2, 8, 8, 3, 5, 3, 2, 2, 0},     // A8R3G3B2
    {1, 2, 6, 2, 4, 2, 2, 2, 0},     // A2R2G2B2
    {1, 8, 0, 0, 0, 0, 0, 0, 0},     // A8
};
constexpr int kKnownFormats = sizeof(kLayouts) / sizeof(kLayouts[0]);

// Scales a channel of `bits` bits to 8 bits and back, rounding to nearest, so
// that zero stays zero and full stays full. A channel with no bits reads as full
// (a format without alpha is opaque; A8 has white colour).
uint32_t Widen(uint32_t value, int bits) {
  if (bits == 0) return 255;
  if (bits == 8) return value;
  const uint32_t max = (1u << bits) - 1;
  return (value * 255 + max / 2) / max;
}

uint32_t Narrow(uint32_t value8, int bits) {
  if (bits == 8) return value8;
  const uint32_t max = (1u << bits) - 1;
  return (value8 * max + 127) / 255;
}

uint32_t ReadLE(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

void WriteLE(uint8_t* p, int bytes, uint32_t v) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

int32_t ReadI32(const uint8_t* p) { return static_cast<int32_t>(ReadLE(p, 4)); }

void PutI32(std::vector<uint8_t>& out, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

bool Fail(std::string* error, const std::string& message) {
  if (error) *error = message;
  return false;
}

constexpr size_t kImageHeaderSize = kImageRecordHeaderSize;
constexpr size_t kFontHeaderSize = 16;

}  // namespace

int PixelFormatBytes(int format) {
  if (format < 0 || format >= kKnownFormats) return 0;
  return kLayouts[format].Bytes;
}

uint32_t PixelToArgb(int format, const uint8_t* p) {
  if (format < 0 || format >= kKnownFormats) return 0;
  const TFormatLayout& f = kLayouts[format];
  const uint32_t v = ReadLE(p, f.Bytes);
  auto channel = [v](int bits, int shift) {
    return bits == 0 ? 0u : (v >> shift) & ((1u << bits) - 1);
  };
  const uint32_t a = Widen(channel(f.ABits, f.AShift), f.ABits);
  const uint32_t r = Widen(channel(f.RBits, f.RShift), f.RBits);
  const uint32_t g = Widen(channel(f.GBits, f.GShift), f.GBits);
  const uint32_t b = Widen(channel(f.BBits, f.BShift), f.BBits);
  return (a << 24) | (r << 16) | (g << 8) | b;
}

void PixelsToArgb(int format, const uint8_t* src, size_t count, uint32_t* dst) {
  // The stored bytes are little-endian, as is every machine we build for, so
  // the 32-bit formats are the ARGB value already (alpha forced for X8R8G8B8).
  if (format == pfA8R8G8B8 || format == pfX8R8G8B8) {
    if (static_cast<const void*>(src) != static_cast<const void*>(dst)) std::memcpy(dst, src, count * 4);
    if (format == pfX8R8G8B8)
      for (size_t i = 0; i < count; ++i) dst[i] |= 0xFF000000u;
    return;
  }
  const int bpp = PixelFormatBytes(format);
  for (size_t i = 0; i < count; ++i) dst[i] = bpp ? PixelToArgb(format, src + i * static_cast<size_t>(bpp)) : 0;
}

void ArgbToPixel(int format, uint32_t argb, uint8_t* out) {
  if (format < 0 || format >= kKnownFormats) return;
  const TFormatLayout& f = kLayouts[format];
  auto put = [](uint32_t value8, int bits, int shift) {
    return bits == 0 ? 0u : Narrow(value8, bits) << shift;
  };
  uint32_t v = put(argb >> 24, f.ABits, f.AShift) | put((argb >> 16) & 0xFF, f.RBits, f.RShift) |
               put((argb >> 8) & 0xFF, f.GBits, f.GShift) | put(argb & 0xFF, f.BBits, f.BShift);
  // Unused (X) bits are written as ones, so that a reader that takes them for
  // alpha still sees an opaque pixel.
  if (f.ABits == 0 && f.RBits != 0) {
    const uint32_t all = f.Bytes == 4 ? ~0u : (1u << (f.Bytes * 8)) - 1;
    const int used = f.RShift + f.RBits;  // red is the highest channel
    const uint32_t usedMask = used >= 32 ? ~0u : (1u << used) - 1;
    v |= all & ~usedMask;
  }
  WriteLE(out, f.Bytes, v);
}

std::optional<TImageRecord> ParseImageHeader(const uint8_t* p, uint64_t available, uint64_t& pixelBytes,
                                             std::string* error) {
  TImageRecord r;
  r.Format = p[0];
  r.PatternWidth = ReadI32(p + 1);
  r.PatternHeight = ReadI32(p + 5);
  r.VisibleWidth = ReadI32(p + 9);
  r.VisibleHeight = ReadI32(p + 13);
  r.PatternCount = ReadI32(p + 17);
  r.TextureWidth = ReadI32(p + 21);
  r.TextureHeight = ReadI32(p + 25);
  r.TextureCount = ReadI32(p + 29);

  const int bpp = PixelFormatBytes(r.Format);
  if (bpp == 0) {
    Fail(error, "image record: unknown pixel format " + std::to_string(r.Format));
    return std::nullopt;
  }
  if (r.TextureCount < 0) {
    Fail(error, "image record: negative texture count");
    return std::nullopt;
  }
  if (r.TextureWidth < 0 || r.TextureHeight < 0 ||
      (r.TextureCount > 0 && (r.TextureWidth == 0 || r.TextureHeight == 0))) {
    Fail(error, "image record: texture size " + std::to_string(r.TextureWidth) + " x " +
                    std::to_string(r.TextureHeight) + " is not positive");
    return std::nullopt;
  }

  // Size of the pixel data, checked against what is present before anything is
  // allocated, so a hostile header cannot ask for more memory than it brought.
  uint64_t bytes = 0;
  if (r.TextureCount > 0) {
    const uint64_t perTexture = static_cast<uint64_t>(r.TextureWidth) *
                                static_cast<uint64_t>(r.TextureHeight) * static_cast<uint64_t>(bpp);
    if (perTexture > available || static_cast<uint64_t>(r.TextureCount) > available / perTexture) {
      Fail(error, "image record: pixel data is cut short");
      return std::nullopt;
    }
    bytes = perTexture * static_cast<uint64_t>(r.TextureCount);
  }
  pixelBytes = bytes;
  return r;
}

std::optional<TImageRecord> ParseImageRecord(const uint8_t* data, size_t size, size_t& offset,
                                             std::string* error) {
  if (offset > size || size - offset < kImageHeaderSize) {
    Fail(error, "image record: header is cut short");
    return std::nullopt;
  }
  const uint8_t* p = data + offset;
  uint64_t bytes = 0;
  auto r = ParseImageHeader(p, size - offset - kImageHeaderSize, bytes, error);
  if (!r) return std::nullopt;
  const uint8_t* pixels = p + kImageHeaderSize;
  r->Pixels.assign(pixels, pixels + bytes);
  offset += kImageHeaderSize + static_cast<size_t>(bytes);
  return r;
}

std::optional<TFontRecord> ParseFontRecord(const uint8_t* data, size_t size, std::string* error) {
  if (size < kFontHeaderSize) {
    Fail(error, "font record: header is cut short");
    return std::nullopt;
  }
  TFontRecord f;
  f.FirstChar = data[0];  // only the low byte of the 32-bit field counts
  f.ExtraAdvance = ReadI32(data + 4);
  const int32_t count = ReadI32(data + 12);
  if (count < 0) {
    Fail(error, "font record: negative glyph count");
    return std::nullopt;
  }
  if (static_cast<uint64_t>(count) * 8 > size - kFontHeaderSize) {
    Fail(error, "font record: glyph table is cut short");
    return std::nullopt;
  }
  f.Glyphs.resize(static_cast<size_t>(count));
  const uint8_t* p = data + kFontHeaderSize;
  for (TGlyph& g : f.Glyphs) {
    g.Width = ReadI32(p);
    g.Height = ReadI32(p + 4);
    p += 8;
  }
  size_t offset = kFontHeaderSize + static_cast<size_t>(count) * 8;
  std::string imageError;
  auto image = ParseImageRecord(data, size, offset, &imageError);
  if (!image) {
    Fail(error, "font record: " + imageError);
    return std::nullopt;
  }
  f.Image = std::move(*image);
  return f;
}

std::vector<uint8_t> EncodeImageRecord(const TImageRecord& r) {
  std::vector<uint8_t> out;
  out.reserve(kImageHeaderSize + r.Pixels.size());
  out.push_back(r.Format);
  PutI32(out, r.PatternWidth);
  PutI32(out, r.PatternHeight);
  PutI32(out, r.VisibleWidth);
  PutI32(out, r.VisibleHeight);
  PutI32(out, r.PatternCount);
  PutI32(out, r.TextureWidth);
  PutI32(out, r.TextureHeight);
  PutI32(out, r.TextureCount);
  out.insert(out.end(), r.Pixels.begin(), r.Pixels.end());
  return out;
}

std::vector<uint8_t> EncodeFontRecord(const TFontRecord& f) {
  std::vector<uint8_t> out;
  PutI32(out, f.FirstChar);
  PutI32(out, f.ExtraAdvance);
  PutI32(out, 0);  // reserved
  PutI32(out, static_cast<int32_t>(f.Glyphs.size()));
  for (const TGlyph& g : f.Glyphs) {
    PutI32(out, g.Width);
    PutI32(out, g.Height);
  }
  const std::vector<uint8_t> image = EncodeImageRecord(f.Image);
  out.insert(out.end(), image.begin(), image.end());
  return out;
}
