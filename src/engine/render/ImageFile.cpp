// Picture files: JPEG through libjpeg-turbo, PNG through libpng, Targa and
// Windows bitmaps by hand. Every decoder treats its input as hostile: sizes are
// checked against the bytes present and against the picture limits before
// anything is allocated, and no read goes past the end of the data.
#include "engine/render/ImageFile.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>

#include "engine/core/SafeFile.h"

namespace {

bool Fail(std::string* error, const std::string& message) {
  if (error) *error = message;
  return false;
}

std::string LowerExtension(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  const size_t slash = name.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = name.substr(dot);
  for (char& c : ext) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return ext;
}

enum class TFileKind { Targa, Jpeg, Png, Bitmap };

TFileKind KindOf(const std::string& name) {
  const std::string ext = LowerExtension(name);
  if (ext == ".tga") return TFileKind::Targa;
  if (ext == ".jpg" || ext == ".jpeg") return TFileKind::Jpeg;
  if (ext == ".png") return TFileKind::Png;
  return TFileKind::Bitmap;
}

bool SizeAllowed(int64_t w, int64_t h) {
  return w > 0 && h > 0 && w <= kMaxImageSide && h <= kMaxImageSide && w * h <= kMaxImagePixels;
}

bool CheckSize(int64_t w, int64_t h, std::string* error) {
  if (SizeAllowed(w, h)) return true;
  return Fail(error, "picture size " + std::to_string(w) + " x " + std::to_string(h) +
                         " is empty or too large");
}

bool CheckBitmap(const TBitmap32& b, std::string* error) {
  if (!SizeAllowed(b.Width, b.Height) ||
      b.Pixels.size() != static_cast<size_t>(b.Width) * static_cast<size_t>(b.Height)) {
    return Fail(error, "picture is empty, too large or its pixels do not match its size");
  }
  return true;
}

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(std::vector<uint8_t>& o, uint32_t v) {
  o.push_back(static_cast<uint8_t>(v));
  o.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& o, uint32_t v) {
  Put16(o, v & 0xFFFF);
  Put16(o, v >> 16);
}

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

uint32_t Expand5(uint32_t v) { return (v * 255 + 15) / 31; }

// ---------------------------------------------------------------- JPEG

struct TJpegError {
  jpeg_error_mgr Manager;
  jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr info) {
  auto* e = reinterpret_cast<TJpegError*>(info->err);
  (*info->err->format_message)(info, e->Message);
  longjmp(e->Jump, 1);
}

// A picture that ends early would be padded with grey; we refuse it instead,
// which also stops a tiny hostile file from making us decode a huge empty frame.
void JpegMessage(j_common_ptr info, int level) {
  if (level < 0) {
    info->err->num_warnings++;
    if (info->err->msg_code == JWRN_JPEG_EOF) JpegErrorExit(info);
  }
}

// Progressive files with absurd numbers of scans cost minutes of decoding.

void JpegProgress(j_common_ptr info) {
  auto* d = reinterpret_cast<j_decompress_ptr>(info);
  if (d->input_scan_number > 256) {
    info->err->msg_code = JERR_BAD_PROGRESSION;
    JpegErrorExit(info);
  }
}

struct TJpegDecode {
  jpeg_decompress_struct Info;
  TJpegError Error;
  jpeg_progress_mgr Progress;
  const uint8_t* Data;
  size_t Size;
  TBitmap32* Out;
  std::string SizeError;
};

// Everything between setjmp and longjmp lives in *s (not in this frame), and no
// object with a destructor is created here after the setjmp.
bool JpegDecodeInner(TJpegDecode* s) {
  if (setjmp(s->Error.Jump)) return false;
  jpeg_create_decompress(&s->Info);
  s->Info.progress = &s->Progress;
  jpeg_mem_src(&s->Info, s->Data, static_cast<unsigned long>(s->Size));
  jpeg_read_header(&s->Info, TRUE);
  if (!SizeAllowed(s->Info.image_width, s->Info.image_height)) {
    s->SizeError = "picture size " + std::to_string(s->Info.image_width) + " x " +
                   std::to_string(s->Info.image_height) + " is empty or too large";
    return false;
  }
  s->Info.out_color_space = JCS_EXT_BGRA;
  s->Info.mem->max_memory_to_use = 512L * 1024 * 1024;
  jpeg_start_decompress(&s->Info);
  const size_t w = s->Info.output_width, h = s->Info.output_height;
  if (s->Info.output_components != 4 || !SizeAllowed(static_cast<int64_t>(w), static_cast<int64_t>(h))) {
    s->SizeError = "unexpected JPEG output layout";
    return false;
  }
  s->Out->Width = static_cast<int>(w);
  s->Out->Height = static_cast<int>(h);
  s->Out->Pixels.assign(w * h, 0);
  while (s->Info.output_scanline < s->Info.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(&s->Out->Pixels[s->Info.output_scanline * w]);
    if (jpeg_read_scanlines(&s->Info, &row, 1) != 1) return false;
  }
  jpeg_finish_decompress(&s->Info);
  return true;
}

bool DecodeJpeg(const uint8_t* data, size_t size, TBitmap32& out, std::string* error) {
  auto s = std::make_unique<TJpegDecode>();
  s->Info.err = jpeg_std_error(&s->Error.Manager);
  s->Error.Manager.error_exit = JpegErrorExit;
  s->Error.Manager.emit_message = JpegMessage;
  s->Error.Message[0] = 0;
  s->Progress.progress_monitor = JpegProgress;
  s->Data = data;
  s->Size = size;
  TBitmap32 result;
  s->Out = &result;
  const bool ok = size > 0 && JpegDecodeInner(s.get());
  jpeg_destroy_decompress(&s->Info);
  if (!ok) {
    if (size == 0) return Fail(error, "JPEG: no data");
    if (!s->SizeError.empty()) return Fail(error, "JPEG: " + s->SizeError);
    return Fail(error, std::string("JPEG: ") + s->Error.Message);
  }
  out = std::move(result);
  return true;
}

struct TJpegEncode {
  jpeg_compress_struct Info;
  TJpegError Error;
  const TBitmap32* In;
  unsigned char* Buffer = nullptr;
  unsigned long BufferSize = 0;
};

bool JpegEncodeInner(TJpegEncode* s) {
  if (setjmp(s->Error.Jump)) return false;
  jpeg_create_compress(&s->Info);
  jpeg_mem_dest(&s->Info, &s->Buffer, &s->BufferSize);
  s->Info.image_width = static_cast<JDIMENSION>(s->In->Width);
  s->Info.image_height = static_cast<JDIMENSION>(s->In->Height);
  s->Info.input_components = 4;
  s->Info.in_color_space = JCS_EXT_BGRX;  // 0xAARRGGBB in memory, alpha ignored
  jpeg_set_defaults(&s->Info);
  jpeg_set_quality(&s->Info, 87, TRUE);
  jpeg_simple_progression(&s->Info);
  jpeg_start_compress(&s->Info, TRUE);
  const size_t w = static_cast<size_t>(s->In->Width);
  while (s->Info.next_scanline < s->Info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(
        reinterpret_cast<const JSAMPLE*>(&s->In->Pixels[s->Info.next_scanline * w]));
    jpeg_write_scanlines(&s->Info, &row, 1);
  }
  jpeg_finish_compress(&s->Info);
  return true;
}

bool EncodeJpeg(const TBitmap32& in, std::vector<uint8_t>& out, std::string* error) {
  auto s = std::make_unique<TJpegEncode>();
  s->Info.err = jpeg_std_error(&s->Error.Manager);
  s->Error.Manager.error_exit = JpegErrorExit;
  s->Error.Message[0] = 0;
  s->In = &in;
  const bool ok = JpegEncodeInner(s.get());
  jpeg_destroy_compress(&s->Info);
  if (ok) out.assign(s->Buffer, s->Buffer + s->BufferSize);
  free(s->Buffer);
  if (!ok) return Fail(error, std::string("JPEG: ") + s->Error.Message);
  return true;
}

// ---------------------------------------------------------------- PNG

bool DecodePng(const uint8_t* data, size_t size, TBitmap32& out, std::string* error) {
  png_image image;
  std::memset(&image, 0, sizeof(image));
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) {
    const std::string message = image.message;
    png_image_free(&image);
    return Fail(error, "PNG: " + message);
  }
  if (!SizeAllowed(image.width, image.height)) {
    png_image_free(&image);
    return CheckSize(image.width, image.height, error);
  }
  // Deflate packs at most about 1032 bytes into one, and a 1-bit picture holds
  // 8 pixels a byte: a picture claiming more pixels than that is a lie that
  // would only cost us a large allocation.
  if (static_cast<uint64_t>(image.width) * image.height > static_cast<uint64_t>(size) * 8300) {
    png_image_free(&image);
    return Fail(error, "PNG: data is too short for a " + std::to_string(image.width) + " x " +
                           std::to_string(image.height) + " picture");
  }
  image.format = PNG_FORMAT_BGRA;  // 0xAARRGGBB in memory
  TBitmap32 result;
  result.Width = static_cast<int>(image.width);
  result.Height = static_cast<int>(image.height);
  result.Pixels.assign(static_cast<size_t>(image.width) * image.height, 0);
  if (!png_image_finish_read(&image, nullptr, result.Pixels.data(),
                             static_cast<png_int_32>(image.width * 4), nullptr)) {
    const std::string message = image.message;
    png_image_free(&image);
    return Fail(error, "PNG: " + message);
  }
  png_image_free(&image);
  out = std::move(result);
  return true;
}

struct TPngEncode {
  png_structp Png = nullptr;
  png_infop Info = nullptr;
  const TBitmap32* In;
  std::vector<uint8_t>* Out;
  std::vector<png_bytep>* Rows;
  bool Opaque;
  char Message[256];
};

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp) {}

void PngError(png_structp png, png_const_charp message) {
  auto* s = static_cast<TPngEncode*>(png_get_error_ptr(png));
  std::snprintf(s->Message, sizeof(s->Message), "%s", message);
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

bool PngEncodeInner(TPngEncode* s) {
  if (setjmp(png_jmpbuf(s->Png))) return false;
  png_set_write_fn(s->Png, s->Out, PngWrite, PngFlush);
  png_set_compression_level(s->Png, 9);
  png_set_IHDR(s->Png, s->Info, static_cast<png_uint_32>(s->In->Width),
               static_cast<png_uint_32>(s->In->Height), 8,
               s->Opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(s->Png, s->Info);
  png_set_bgr(s->Png);
  if (s->Opaque) png_set_filler(s->Png, 0, PNG_FILLER_AFTER);
  png_write_image(s->Png, s->Rows->data());
  png_write_end(s->Png, nullptr);
  return true;
}

bool EncodePng(const TBitmap32& in, std::vector<uint8_t>& out, std::string* error) {
  TPngEncode s;
  s.In = &in;
  s.Out = &out;
  s.Message[0] = 0;
  std::vector<png_bytep> rows(static_cast<size_t>(in.Height));
  for (int y = 0; y < in.Height; ++y) {
    rows[static_cast<size_t>(y)] = const_cast<png_bytep>(
        reinterpret_cast<const uint8_t*>(&in.Pixels[static_cast<size_t>(y) * in.Width]));
  }
  s.Rows = &rows;
  s.Opaque = std::all_of(in.Pixels.begin(), in.Pixels.end(),
                         [](uint32_t p) { return (p >> 24) == 0xFF; });
  s.Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &s, PngError, PngWarning);
  if (!s.Png) return Fail(error, "PNG: out of memory");
  s.Info = png_create_info_struct(s.Png);
  if (!s.Info) {
    png_destroy_write_struct(&s.Png, nullptr);
    return Fail(error, "PNG: out of memory");
  }
  out.clear();
  const bool ok = PngEncodeInner(&s);
  png_destroy_write_struct(&s.Png, &s.Info);
  if (!ok) return Fail(error, std::string("PNG: ") + s.Message);
  return true;
}

// ---------------------------------------------------------------- Targa

// Reads one Targa pixel of `depth` bits (15/16/24/32 colour, 8 grey).
uint32_t TgaPixel(const uint8_t* p, int depth, bool grey, bool alphaBit) {
  switch (depth) {
    case 8:
      return Argb(255, p[0], p[0], p[0]);
    case 15:
    case 16: {
      const uint32_t v = U16(p);
      if (grey) return Argb(p[1], p[0], p[0], p[0]);  // grey with alpha
      const uint32_t a = (alphaBit && depth == 16) ? ((v & 0x8000) ? 255 : 0) : 255;
      return Argb(a, Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31));
    }
    case 24:
      return Argb(255, p[2], p[1], p[0]);
    default:
      return Argb(p[3], p[2], p[1], p[0]);
  }
}

bool DecodeTga(const uint8_t* data, size_t size, TBitmap32& out, std::string* error) {
  if (size < 18) return Fail(error, "Targa: header is cut short");
  const int idLength = data[0];
  const int mapType = data[1];
  const int type = data[2];
  const int mapFirst = U16(data + 3);
  const int mapLength = U16(data + 5);
  const int mapDepth = data[7];
  const int width = U16(data + 12);
  const int height = U16(data + 14);
  const int depth = data[16];
  const int descriptor = data[17];

  const bool rle = type >= 9;
  const int base = rle ? type - 8 : type;
  if (base < 1 || base > 3) return Fail(error, "Targa: unsupported image type " + std::to_string(type));
  const bool mapped = base == 1, grey = base == 3;
  if (mapped && (mapType != 1 || (depth != 8 && depth != 16))) {
    return Fail(error, "Targa: bad colour-mapped layout");
  }
  if (base == 2 && depth != 15 && depth != 16 && depth != 24 && depth != 32) {
    return Fail(error, "Targa: unsupported pixel depth " + std::to_string(depth));
  }
  if (grey && depth != 8 && depth != 16) return Fail(error, "Targa: unsupported grey depth");
  if (!CheckSize(width, height, error)) return false;

  size_t pos = 18 + static_cast<size_t>(idLength);
  std::vector<uint32_t> palette;
  if (mapType == 1) {
    if (mapDepth != 15 && mapDepth != 16 && mapDepth != 24 && mapDepth != 32) {
      return Fail(error, "Targa: unsupported colour map depth");
    }
    const size_t entryBytes = static_cast<size_t>((mapDepth + 7) / 8);
    const size_t mapBytes = entryBytes * static_cast<size_t>(mapLength);
    if (pos > size || size - pos < mapBytes) return Fail(error, "Targa: colour map is cut short");
    palette.resize(static_cast<size_t>(mapLength));
    for (int i = 0; i < mapLength; ++i) {
      palette[static_cast<size_t>(i)] = TgaPixel(data + pos + entryBytes * static_cast<size_t>(i),
                                                 mapDepth, false, (descriptor & 15) > 0);
    }
    pos += mapBytes;
  } else if (mapType != 0) {
    return Fail(error, "Targa: unknown colour map type");
  }
  if (pos > size) return Fail(error, "Targa: data is cut short");

  const size_t bytesPerPixel = static_cast<size_t>((depth + 7) / 8);
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  // Bound the work by the data present: raw pixels need their bytes, and one
  // run-length packet of at least 1 + bytesPerPixel bytes gives at most 128.
  const size_t remaining = size - pos;
  if (!rle && remaining / bytesPerPixel < count) return Fail(error, "Targa: pixel data is cut short");
  if (rle && remaining / (1 + bytesPerPixel) < (count + 127) / 128) {
    return Fail(error, "Targa: pixel data is cut short");
  }

  const bool alphaBit = (descriptor & 15) > 0;
  auto convert = [&](const uint8_t* p) -> uint32_t {
    if (mapped) {
      const int index = (depth == 8 ? p[0] : U16(p)) - mapFirst;
      if (index < 0 || index >= static_cast<int>(palette.size())) return Argb(255, 0, 0, 0);
      return palette[static_cast<size_t>(index)];
    }
    return TgaPixel(p, depth, grey, alphaBit);
  };

  std::vector<uint32_t> stream(count);
  size_t n = 0;
  while (n < count) {
    if (!rle) {
      stream[n++] = convert(data + pos);
      pos += bytesPerPixel;
      continue;
    }
    if (pos >= size) return Fail(error, "Targa: pixel data is cut short");
    const int header = data[pos++];
    const size_t run = static_cast<size_t>((header & 0x7F) + 1);
    if (header & 0x80) {
      if (size - pos < bytesPerPixel) return Fail(error, "Targa: pixel data is cut short");
      const uint32_t value = convert(data + pos);
      pos += bytesPerPixel;
      for (size_t i = 0; i < run && n < count; ++i) stream[n++] = value;
    } else {
      if ((size - pos) / bytesPerPixel < run) return Fail(error, "Targa: pixel data is cut short");
      for (size_t i = 0; i < run && n < count; ++i) {
        stream[n++] = convert(data + pos);
        pos += bytesPerPixel;
      }
    }
  }

  // 32-bit files whose alpha is zero throughout were written without alpha.
  if (depth == 32 && !mapped &&
      std::all_of(stream.begin(), stream.end(), [](uint32_t p) { return (p >> 24) == 0; })) {
    for (uint32_t& p : stream) p |= 0xFF000000u;
  }

  const bool topDown = (descriptor & 0x20) != 0;
  const bool rightToLeft = (descriptor & 0x10) != 0;
  TBitmap32 result;
  result.Width = width;
  result.Height = height;
  result.Pixels.resize(count);
  for (int y = 0; y < height; ++y) {
    const int dy = topDown ? y : height - 1 - y;
    for (int x = 0; x < width; ++x) {
      const int dx = rightToLeft ? width - 1 - x : x;
      result.Pixels[static_cast<size_t>(dy) * width + dx] = stream[static_cast<size_t>(y) * width + x];
    }
  }
  out = std::move(result);
  return true;
}

void EncodeTga(const TBitmap32& in, std::vector<uint8_t>& out) {
  out.assign(18, 0);
  out[2] = 2;  // uncompressed true colour
  out[12] = static_cast<uint8_t>(in.Width);
  out[13] = static_cast<uint8_t>(in.Width >> 8);
  out[14] = static_cast<uint8_t>(in.Height);
  out[15] = static_cast<uint8_t>(in.Height >> 8);
  out[16] = 32;
  out[17] = 0x28;  // 8 alpha bits, first row at the top
  out.reserve(18 + in.Pixels.size() * 4);
  for (uint32_t p : in.Pixels) Put32(out, p);  // B, G, R, A
}

// ---------------------------------------------------------------- Windows bitmap

// One channel described by a bit mask.
struct TMaskChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  int Bits = 0;

  explicit TMaskChannel(uint32_t mask = 0) : Mask(mask) {
    if (!mask) return;
    while (!((mask >> Shift) & 1)) ++Shift;
    while (Shift + Bits < 32 && ((mask >> (Shift + Bits)) & 1)) ++Bits;
  }
  uint32_t Read(uint32_t v, uint32_t absent) const {
    if (!Mask) return absent;
    const uint32_t raw = (v & Mask) >> Shift;
    if (Bits >= 8) return raw >> (Bits - 8);
    const uint32_t max = (1u << Bits) - 1;
    return (raw * 255 + max / 2) / max;
  }
};

bool DecodeBmp(const uint8_t* data, size_t size, TBitmap32& out, std::string* error) {
  if (size < 26 || data[0] != 'B' || data[1] != 'M') return Fail(error, "bitmap: not a BMP file");
  const uint32_t pixelOffset = U32(data + 10);
  const uint32_t headerSize = U32(data + 14);
  if (headerSize < 12 || headerSize > size - 14) return Fail(error, "bitmap: bad header size");
  const uint8_t* h = data + 14;

  int64_t width, height;
  int bpp;
  uint32_t compression = 0, colorsUsed = 0;
  size_t paletteEntry = 4;
  if (headerSize == 12) {  // OS/2 core header
    width = U16(h + 4);
    height = U16(h + 6);
    bpp = U16(h + 10);
    paletteEntry = 3;
  } else {
    if (headerSize < 40) return Fail(error, "bitmap: bad header size");
    width = static_cast<int32_t>(U32(h + 4));
    height = static_cast<int32_t>(U32(h + 8));
    bpp = U16(h + 14);
    compression = U32(h + 16);
    colorsUsed = U32(h + 32);
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (!CheckSize(width, height, error)) return false;

  enum { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kAlphaBitfields = 6 };
  // Masks: inside a header of 52 bytes or more, else right after a 40-byte one.
  uint32_t masks[4] = {0, 0, 0, 0};
  size_t paletteStart = 14 + headerSize;
  if (compression == kBitfields || compression == kAlphaBitfields) {
    if (bpp != 16 && bpp != 32) return Fail(error, "bitmap: bit fields need 16 or 32 bits");
    const int count = compression == kAlphaBitfields ? 4 : 3;
    if (headerSize >= 52) {
      for (int i = 0; i < 3; ++i) masks[i] = U32(h + 40 + 4 * i);
      if (headerSize >= 56) masks[3] = U32(h + 52);
    } else {
      if (size - paletteStart < static_cast<size_t>(4 * count)) return Fail(error, "bitmap: masks cut short");
      for (int i = 0; i < count; ++i) masks[i] = U32(data + paletteStart + 4 * i);
      paletteStart += static_cast<size_t>(4 * count);
    }
  } else if (compression == kRgb) {
    if (bpp == 16) {
      masks[0] = 0x7C00; masks[1] = 0x03E0; masks[2] = 0x001F;
    } else if (bpp == 24 || bpp == 32) {
      masks[0] = 0xFF0000; masks[1] = 0xFF00; masks[2] = 0xFF;
    } else if (bpp != 1 && bpp != 4 && bpp != 8) {
      return Fail(error, "bitmap: unsupported depth " + std::to_string(bpp));
    }
  } else if (compression == kRle8) {
    if (bpp != 8 || topDown) return Fail(error, "bitmap: bad RLE8 layout");
  } else if (compression == kRle4) {
    if (bpp != 4 || topDown) return Fail(error, "bitmap: bad RLE4 layout");
  } else {
    return Fail(error, "bitmap: unsupported compression " + std::to_string(compression));
  }

  std::vector<uint32_t> palette;
  if (bpp <= 8) {
    size_t entries = colorsUsed == 0 ? (size_t{1} << bpp) : std::min<size_t>(colorsUsed, 256);
    // The palette lies between the header and the pixels.
    const size_t paletteEnd = std::min<size_t>(size, pixelOffset);
    if (paletteStart > paletteEnd) return Fail(error, "bitmap: palette is missing");
    entries = std::min(entries, (paletteEnd - paletteStart) / paletteEntry);
    if (entries == 0) return Fail(error, "bitmap: palette is missing");
    palette.resize(entries);
    for (size_t i = 0; i < entries; ++i) {
      const uint8_t* p = data + paletteStart + i * paletteEntry;
      palette[i] = Argb(255, p[2], p[1], p[0]);
    }
  }
  auto fromPalette = [&palette](uint32_t index) {
    return index < palette.size() ? palette[index] : Argb(255, 0, 0, 0);
  };

  if (pixelOffset > size) return Fail(error, "bitmap: pixel data is missing");
  const uint8_t* pixels = data + pixelOffset;
  const size_t available = size - pixelOffset;
  const size_t w = static_cast<size_t>(width), hgt = static_cast<size_t>(height);

  TBitmap32 result;
  result.Width = static_cast<int>(width);
  result.Height = static_cast<int>(height);

  if (compression == kRle8 || compression == kRle4) {
    result.Pixels.assign(w * hgt, Argb(255, 0, 0, 0));
    size_t pos = 0, x = 0, row = 0;  // row counts from the bottom
    auto put = [&](uint32_t index) {
      if (x < w && row < hgt) result.Pixels[(hgt - 1 - row) * w + x] = fromPalette(index);
      ++x;
    };
    const bool four = compression == kRle4;
    while (row < hgt) {
      if (available - pos < 2) return Fail(error, "bitmap: pixel data is cut short");
      const uint32_t count = pixels[pos], value = pixels[pos + 1];
      pos += 2;
      if (count > 0) {
        for (uint32_t i = 0; i < count; ++i) put(four ? ((i & 1) ? value & 15 : value >> 4) : value);
      } else if (value == 0) {
        x = 0;
        ++row;
      } else if (value == 1) {
        break;
      } else if (value == 2) {
        if (available - pos < 2) return Fail(error, "bitmap: pixel data is cut short");
        x += pixels[pos];
        row += pixels[pos + 1];
        pos += 2;
      } else {
        const size_t bytes = four ? (value + 1) / 2 : value;
        const size_t padded = (bytes + 1) & ~size_t{1};
        if (available - pos < padded) return Fail(error, "bitmap: pixel data is cut short");
        for (uint32_t i = 0; i < value; ++i) {
          const uint8_t b = pixels[pos + (four ? i / 2 : i)];
          put(four ? ((i & 1) ? b & 15 : b >> 4) : b);
        }
        pos += padded;
      }
    }
    out = std::move(result);
    return true;
  }

  const size_t stride = (w * static_cast<size_t>(bpp) + 31) / 32 * 4;
  if (available / stride < hgt) return Fail(error, "bitmap: pixel data is cut short");
  result.Pixels.resize(w * hgt);
  const TMaskChannel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
  for (size_t y = 0; y < hgt; ++y) {
    const uint8_t* src = pixels + y * stride;
    uint32_t* dst = &result.Pixels[(topDown ? y : hgt - 1 - y) * w];
    for (size_t x = 0; x < w; ++x) {
      switch (bpp) {
        case 1: dst[x] = fromPalette((src[x / 8] >> (7 - x % 8)) & 1); break;
        case 4: dst[x] = fromPalette((src[x / 2] >> (x % 2 ? 0 : 4)) & 15); break;
        case 8: dst[x] = fromPalette(src[x]); break;
        default: {
          uint32_t v;
          if (bpp == 16) v = U16(src + 2 * x);
          else if (bpp == 24) v = src[3 * x] | (src[3 * x + 1] << 8) | (src[3 * x + 2] << 16);
          else v = U32(src + 4 * x);
          dst[x] = Argb(alpha.Read(v, 255), red.Read(v, 0), green.Read(v, 0), blue.Read(v, 0));
        }
      }
    }
  }
  out = std::move(result);
  return true;
}

// A 32-bit bitmap with a version 4 header, so that alpha survives.
void EncodeBmp(const TBitmap32& in, std::vector<uint8_t>& out) {
  const uint32_t headerSize = 108;
  const uint32_t pixelOffset = 14 + headerSize;
  const uint32_t imageSize = static_cast<uint32_t>(in.Pixels.size() * 4);
  out.clear();
  out.reserve(pixelOffset + imageSize);
  out.push_back('B');
  out.push_back('M');
  Put32(out, pixelOffset + imageSize);
  Put32(out, 0);
  Put32(out, pixelOffset);
  Put32(out, headerSize);
  Put32(out, static_cast<uint32_t>(in.Width));
  Put32(out, static_cast<uint32_t>(in.Height));  // bottom row first
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 3);  // bit fields
  Put32(out, imageSize);
  Put32(out, 2835);  // 72 dots per inch
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0x00FF0000);
  Put32(out, 0x0000FF00);
  Put32(out, 0x000000FF);
  Put32(out, 0xFF000000);
  Put32(out, 0x73524742);  // "sRGB"
  out.resize(out.size() + 48, 0);  // end points and gamma, unused with sRGB
  for (int y = in.Height - 1; y >= 0; --y) {
    for (int x = 0; x < in.Width; ++x) Put32(out, in.Pixels[static_cast<size_t>(y) * in.Width + x]);
  }
}

}  // namespace

bool DecodeImageFile(const std::string& name, const uint8_t* data, size_t size, TBitmap32& out,
                     std::string* error) {
  if (!data) size = 0;
  switch (KindOf(name)) {
    case TFileKind::Targa: return DecodeTga(data, size, out, error);
    case TFileKind::Jpeg: return DecodeJpeg(data, size, out, error);
    case TFileKind::Png: return DecodePng(data, size, out, error);
    case TFileKind::Bitmap: return DecodeBmp(data, size, out, error);
  }
  return false;
}

bool EncodeImageFile(const std::string& name, const TBitmap32& bitmap, std::vector<uint8_t>& out,
                     std::string* error) {
  if (!CheckBitmap(bitmap, error)) return false;
  switch (KindOf(name)) {
    case TFileKind::Jpeg: return EncodeJpeg(bitmap, out, error);
    case TFileKind::Png: return EncodePng(bitmap, out, error);
    case TFileKind::Targa:
      if (bitmap.Width > 0xFFFF || bitmap.Height > 0xFFFF) return Fail(error, "Targa: picture too large");
      EncodeTga(bitmap, out);
      return true;
    case TFileKind::Bitmap: EncodeBmp(bitmap, out); return true;
  }
  return false;
}

bool SaveImageFile(const std::string& path, const TBitmap32& bitmap, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!EncodeImageFile(path, bitmap, bytes, error)) return false;
  // Through a temporary file: a full disk leaves no cut-off picture behind.
  std::string why;
  if (!WriteFileAtomically(path, bytes, why)) return Fail(error, why);
  return true;
}
