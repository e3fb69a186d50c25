// Picture files: decoding the JPEG, PNG, Targa and bitmap records of the
// archives, and writing screenshots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A 32-bit picture (0xAARRGGBB per pixel, rows top first).
struct TBitmap32 {
  int Width = 0, Height = 0;
  std::vector<uint32_t> Pixels;
};

// Decodes a picture; the format is chosen by the extension of name
// (case-insensitive): ".tga" Targa, ".jpg"/".jpeg" JPEG, ".png" PNG, anything
// else a Windows bitmap. Never reads past size.
bool DecodeImageFile(const std::string& name, const uint8_t* data, size_t size, TBitmap32& out,
                     std::string* error = nullptr);
// Writes a picture chosen by the extension of path: ".jpg"/".jpeg" a progressive
// JPEG of quality 87, ".png" a PNG at compression level 9, ".tga" a Targa file,
// anything else a Windows bitmap.
bool SaveImageFile(const std::string& path, const TBitmap32& bitmap, std::string* error = nullptr);
// The same encoding into memory (the format chosen by the extension of name).
bool EncodeImageFile(const std::string& name, const TBitmap32& bitmap, std::vector<uint8_t>& out,
                     std::string* error = nullptr);

// Largest picture the decoders accept: a side of at most kMaxImageSide pixels
// and at most kMaxImagePixels pixels in all.
constexpr int kMaxImageSide = 16384;
constexpr int64_t kMaxImagePixels = int64_t{1} << 25;
