#include "FontGen.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "Pack.h"
#include "Paint.h"

namespace {

struct TFontStyle {
  int Number;
  const char* File;
  int Outline;  // dark outline width in pixels (0: none)
};

// Faces: a storybook display face for titles and messages, a friendly
// humanist sans for everything that must be read at a glance.
const TFontStyle kStyles[] = {
    {0, fontfiles::kBookmanDemi, 2},
    {1, fontfiles::kBiolinumBold, 0},
    {2, fontfiles::kBiolinumBold, 0},
    {3, fontfiles::kGaramondBold, 2},
    {4, fontfiles::kBiolinumBold, 0},
};

const TFontStyle& StyleOf(int number) {
  for (const TFontStyle& s : kStyles) {
    if (s.Number == number) return s;
  }
  throw std::runtime_error("no style for font " + std::to_string(number));
}

struct TGlyphBitmap {
  int Left = 0, Top = 0, Width = 0, Height = 0, Advance = 0;
  std::vector<uint8_t> Alpha;
};

class TFace {
 public:
  TFace(FT_Library lib, const char* file, int size) {
    RequireFontFile(file);
    if (FT_New_Face(lib, file, 0, &Face_) != 0) throw std::runtime_error(std::string("cannot open ") + file);
    FT_Set_Pixel_Sizes(Face_, 0, static_cast<FT_UInt>(size));
  }
  ~TFace() { FT_Done_Face(Face_); }
  TFace(const TFace&) = delete;
  TFace& operator=(const TFace&) = delete;

  bool Has(uint32_t code) const { return FT_Get_Char_Index(Face_, code) != 0; }

  TGlyphBitmap Render(uint32_t code) const {
    TGlyphBitmap g;
    if (FT_Load_Char(Face_, code, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0)
      throw std::runtime_error("cannot render character " + std::to_string(code));
    FT_GlyphSlot slot = Face_->glyph;
    g.Left = slot->bitmap_left;
    g.Top = slot->bitmap_top;
    g.Width = static_cast<int>(slot->bitmap.width);
    g.Height = static_cast<int>(slot->bitmap.rows);
    g.Advance = static_cast<int>(std::lround(slot->advance.x / 64.0));
    g.Alpha.resize(static_cast<size_t>(g.Width) * g.Height);
    for (int y = 0; y < g.Height; ++y) {
      for (int x = 0; x < g.Width; ++x)
        g.Alpha[static_cast<size_t>(y) * g.Width + x] = slot->bitmap.buffer[y * slot->bitmap.pitch + x];
    }
    return g;
  }

 private:
  FT_Face Face_ = nullptr;
};

}  // namespace

uint32_t Cp1252ToUnicode(uint8_t byte) {
  static const uint16_t high[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  if (byte >= 0x80 && byte < 0xA0) return high[byte - 0x80];
  return byte;
}

std::vector<std::string> FontInputFiles(const TFontSpec& spec) {
  return {StyleOf(spec.Number).File, fontfiles::kDejaVuSansBold};
}

TFontRecord BuildFontRecord(const TFontSpec& spec) {
  const TFontStyle& style = StyleOf(spec.Number);
  FT_Library lib = nullptr;
  if (FT_Init_FreeType(&lib) != 0) throw std::runtime_error("FreeType init failed");
  struct TLibrary {
    FT_Library L;
    ~TLibrary() { FT_Done_FreeType(L); }
  } holder{lib};

  std::vector<TGlyphBitmap> glyphs;
  {
    TFace face(lib, style.File, spec.PixelSize);
    TFace fallback(lib, fontfiles::kDejaVuSansBold, spec.PixelSize);
    TGlyphBitmap space = face.Render(' ');
    for (int c = 32; c <= 255; ++c) {
      uint32_t code = Cp1252ToUnicode(static_cast<uint8_t>(c));
      if (c == 0xA0) code = ' ';
      if (c == 0xAD) code = '-';  // soft hyphen: show it where it stands
      if (code == 0) {
        TGlyphBitmap blank;
        blank.Advance = space.Advance;
        glyphs.push_back(blank);
      } else if (face.Has(code)) {
        glyphs.push_back(face.Render(code));
      } else {
        glyphs.push_back(fallback.Render(code));
      }
    }
  }

  // Digits share one advance so that scores and clocks do not wobble.
  int digitAdvance = 0;
  for (int c = '0'; c <= '9'; ++c) digitAdvance = std::max(digitAdvance, glyphs[static_cast<size_t>(c - 32)].Advance);
  for (int c = '0'; c <= '9'; ++c) {
    TGlyphBitmap& g = glyphs[static_cast<size_t>(c - 32)];
    g.Left += (digitAdvance - g.Advance) / 2;
    g.Advance = digitAdvance;
  }

  // One cell for every glyph: the origin leaves room for the furthest left
  // and highest ink and the outline.
  int pad = style.Outline + 1;
  int minLeft = 0, maxRight = 0, maxTop = 0, maxBelow = 0;
  for (const TGlyphBitmap& g : glyphs) {
    if (g.Width == 0) continue;
    minLeft = std::min(minLeft, g.Left);
    maxRight = std::max(maxRight, g.Left + g.Width);
    maxTop = std::max(maxTop, g.Top);
    maxBelow = std::max(maxBelow, g.Height - g.Top);
  }
  int originX = pad - minLeft, baseline = pad + maxTop;
  int cellW = originX + maxRight + pad, cellH = baseline + maxBelow + pad;

  TPatterns cells;
  for (const TGlyphBitmap& g : glyphs) {
    std::vector<float> ink(static_cast<size_t>(cellW) * cellH, 0.0f);
    for (int y = 0; y < g.Height; ++y) {
      for (int x = 0; x < g.Width; ++x) {
        int cx = originX + g.Left + x, cy = baseline - g.Top + y;
        if (cx >= 0 && cy >= 0 && cx < cellW && cy < cellH)
          ink[static_cast<size_t>(cy) * cellW + cx] = g.Alpha[static_cast<size_t>(y) * g.Width + x] / 255.0f;
      }
    }
    // The outline: the ink grown by a round brush, drawn dark under the glyph.
    std::vector<float> rim(ink.size(), 0.0f);
    if (style.Outline > 0) {
      int r = style.Outline;
      for (int y = 0; y < cellH; ++y) {
        for (int x = 0; x < cellW; ++x) {
          float best = 0;
          for (int dy = -r; dy <= r; ++dy) {
            for (int dx = -r; dx <= r; ++dx) {
              double d = std::sqrt(dx * dx + dy * dy);
              if (d > r + 0.5) continue;
              int sx = x + dx, sy = y + dy;
              if (sx < 0 || sy < 0 || sx >= cellW || sy >= cellH) continue;
              float w = static_cast<float>(std::min(1.0, r + 0.5 - d + 0.5));
              best = std::max(best, ink[static_cast<size_t>(sy) * cellW + sx] * w);
            }
          }
          rim[static_cast<size_t>(y) * cellW + x] = best * 0.85f;
        }
      }
    }
    TSurface cell(cellW, cellH);
    cell.Flush();
    for (int y = 0; y < cellH; ++y) {
      uint32_t* row = cell.Row(y);
      for (int x = 0; x < cellW; ++x) {
        float a = ink[static_cast<size_t>(y) * cellW + x];
        float o = rim[static_cast<size_t>(y) * cellW + x];
        float total = a + o * (1 - a);
        // Premultiplied: white ink over a black rim.
        uint32_t al = static_cast<uint32_t>(std::lround(total * 255));
        uint32_t c = static_cast<uint32_t>(std::lround(a * 255));
        row[x] = (al << 24) | (c << 16) | (c << 8) | c;
      }
    }
    cell.MarkDirty();
    cells.push_back(std::move(cell));
  }

  TFontRecord record;
  record.FirstChar = 32;
  record.ExtraAdvance = 0;
  for (const TGlyphBitmap& g : glyphs) record.Glyphs.push_back(TGlyph{g.Advance, cellH});
  TImageSpec spec2{spec.Key, cellW, cellH, cellW, cellH, static_cast<int>(cells.size())};
  record.Image = RecordFromPatterns(spec2, cells);
  return record;
}

std::vector<uint8_t> FontRecordBytes(const TFontSpec& spec) { return EncodeFontRecord(BuildFontRecord(spec)); }
