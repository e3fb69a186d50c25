// Bitmap fonts: one image pattern per glyph, drawn character by character,
// with colour tags, bold, italic, shadow and emboss.
#include "engine/render/Fonts.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "engine/archive/CPDb.h"
#include "engine/render/Canvas.h"
#include "platform/Platform.h"

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Rounds to the nearest integer, halves to even.
// Saturates at the ends of the int range, so absurd sizes cannot overflow.
int Round(double x) {
  const double r = std::nearbyint(x);
  if (!(r > INT_MIN)) return INT_MIN;  // also NaN
  if (r >= INT_MAX) return INT_MAX;
  return static_cast<int>(r);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads eight hex digits; false (and value untouched) when one is not a digit.
bool ParseHex8(std::string_view digits, TColor& value) {
  uint32_t v = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    v = (v << 4) | static_cast<uint32_t>(d);
  }
  value = v;
  return true;
}

TColor WithAlpha(TColor color, int alpha) {
  return (color & 0x00FFFFFFu) | (static_cast<uint32_t>(std::clamp(alpha, 0, 255)) << 24);
}

TQuad Offset(const TQuad& q, float dx, float dy) {
  TQuad r = q;
  for (TPoint2& p : r) {
    p.X += dx;
    p.Y += dy;
  }
  return r;
}

}  // namespace

TCanopyFont::TCanopyFont(TCanopyFonts* owner) : Owner_(owner) {}

TCanopyFont::~TCanopyFont() = default;

bool TCanopyFont::Loaded() const { return Loaded_; }

bool TCanopyFont::LoadFromRecord(const TFontRecord& record) {
  Loaded_ = false;
  Image_.Name = Name;
  Image_.MipMapping = true;
  if (!Image_.LoadFromRecord(record.Image)) return false;
  FirstChar_ = record.FirstChar;
  ExtraAdvance_ = record.ExtraAdvance;
  Glyphs_ = record.Glyphs;
  Loaded_ = true;
  return true;
}

// Walks the text as drawing does: colour tags are consumed, every other
// character advances x; `glyph` is called for the characters that have one,
// with the glyph number, x, and the current top and bottom colours.
template <typename GlyphFn>
static double WalkText(const TCanopyFont& font, std::string_view text, uint8_t first, int32_t extraAdvance,
                       const std::vector<TGlyph>& glyphs, int visibleWidth, double x, TColor& top,
                       TColor& bottom, GlyphFn&& glyph) {
  const size_t length = text.size();
  const double blank = font.BlankSpacing * visibleWidth;
  // i is 1-based as the tag rule is written: a marker at i < length - 10 has
  // its ten characters and at least two more behind it.
  for (size_t i = 1; i <= length; ++i) {
    if (font.TextTags) {
      auto tag = [&](char marker, char second, bool setTop, bool setBottom) {
        if (i + 10 < length && text[i - 1] == marker && text[i] == second) {
          TColor value = setTop ? top : bottom;
          if (ParseHex8(text.substr(i + 1, 8), value)) {
            if (setTop) top = value;
            if (setBottom) bottom = value;
          }
          i += 10;
        }
      };
      tag('#', '$', true, false);
      tag('&', '$', false, true);
      tag('0', 'x', true, true);
    }
    const int g = static_cast<uint8_t>(text[i - 1]) - first;
    double advance;
    if (g < 0 || g >= static_cast<int>(glyphs.size())) {
      advance = blank;
    } else {
      glyph(g, x, top, bottom);
      advance = static_cast<double>(glyphs[static_cast<size_t>(g)].Width) + extraAdvance;
    }
    x += (advance + font.Interleave) * font.Scale;
  }
  return x;
}

void TCanopyFont::TextOut(std::string_view text, TColor color, float x, float y) {
  TextOutEx(text, color, x, y, color, kBlendAlpha);
}

void TCanopyFont::TextOutEx(std::string_view text, TColor top, float x, float y, TColor bottom, int effect) {
  if (!Loaded_) return;
  if (!Owner_) throw std::logic_error("TCanopyFont: Unassigned Owner property.");
  TCanopyCanvas* canvas = Owner_->Canvas;
  if (!canvas) throw std::logic_error("TCanopyFont: Unassigned Owner.Canvas property.");

  const int visibleW = Image_.VisibleSize.W, visibleH = Image_.VisibleSize.H;
  const float w = static_cast<float>(Round(Scale * visibleW));
  const float h = static_cast<float>(Round(Scale * visibleH));
  const float italic = static_cast<float>(visibleW / 8);
  const bool bold = Style & feBold, shadow = Style & feShadow, emboss = Style & feEmboss;
  const TColor shadowColor = WithAlpha(ShadowColor, Round(ShadowIntensity * 255));
  const TColor embossColor = WithAlpha(EmbossColor, Round(EmbossStrength * 255 * (bold ? 0.65 : 1.0)));

  auto draw = [&](int g, double gx, TColor topColor, TColor bottomColor) {
    const float left = static_cast<float>(std::trunc(gx));
    const float tp = static_cast<float>(std::trunc(y));
    TQuad q = QuadFromRect(left, tp, left + w, tp + h);
    if (Style & feItalic) {
      q[0].X += italic;
      q[1].X += italic;
      q[2].X -= italic;
      q[3].X -= italic;
    }
    TPatternRec rec;
    rec.Index = g;
    if (shadow) {
      const float d = static_cast<float>(Scale * ShadowDistance);
      canvas->TexMap(&Image_, Offset(q, (bold ? 3 : 2) * d, 2 * d), Color4(shadowColor), rec, effect);
    }
    if (emboss) q = Offset(q, -1, -1);
    const TColor4 colors{topColor, topColor, bottomColor, bottomColor};
    canvas->TexMap(&Image_, q, colors, rec, effect);
    if (bold) {
      canvas->TexMap(&Image_, Offset(q, -1, 0), colors, rec, effect);
      canvas->TexMap(&Image_, Offset(q, 1, 0), colors, rec, effect);
    }
    if (emboss) {
      canvas->TexMap(&Image_, Offset(q, 1, 1), Color4(embossColor), rec, effect);
      if (bold) {
        canvas->TexMap(&Image_, Offset(q, 0, 1), Color4(embossColor), rec, effect);
        canvas->TexMap(&Image_, Offset(q, 2, 1), Color4(embossColor), rec, effect);
      }
    }
  };
  WalkText(*this, text, FirstChar_, ExtraAdvance_, Glyphs_, visibleW, x, top, bottom, draw);
}

TSize TCanopyFont::TextExtent(std::string_view text) const {
  TColor top = 0, bottom = 0;
  int height = 0;
  const double width = WalkText(*this, text, FirstChar_, ExtraAdvance_, Glyphs_, Image_.VisibleSize.W, 0.0,
                                top, bottom,
                                [&](int g, double, TColor, TColor) {
                                  height = std::max(height, Round(Glyphs_[static_cast<size_t>(g)].Height * Scale));
                                });
  return TSize{Round(width), height};
}

// ---------------------------------------------------------------- font list

TCanopyFonts::TCanopyFonts() = default;

TCanopyFonts::~TCanopyFonts() {
  RemoveAll();
  SetPublisher(nullptr);
}

bool TCanopyFonts::HandleNotice(int code) {
  if (code == dnFinalizing) RemoveAll();
  return true;
}

TCanopyFont* TCanopyFonts::Items(int i) const {
  if (i < 0 || i >= Count()) return nullptr;
  return Items_[static_cast<size_t>(i)].get();
}

TCanopyFont* TCanopyFonts::Find(std::string_view name) const {
  for (const auto& font : Items_) {
    if (font->Name.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < name.size() && same; ++i) same = LowerAscii(font->Name[i]) == LowerAscii(name[i]);
    if (same) return font.get();
  }
  return nullptr;
}

TCanopyFont* TCanopyFonts::Add() {
  auto font = std::make_unique<TCanopyFont>(this);
  char name[16];
  std::snprintf(name, sizeof(name), "Font%02d", NextNumber_++);
  font->Name = name;
  auto* device = dynamic_cast<TCanopyDevice*>(Publisher());
  font->Image().SetRenderer(device ? device->Renderer() : nullptr);
  Items_.push_back(std::move(font));
  return Items_.back().get();
}

void TCanopyFonts::RemoveAll() {
  Items_.clear();
  NextNumber_ = 0;
}

bool TCanopyFonts::LoadFromCPDb(TCPDb& archive) {
  if (!archive.Open()) return false;
  const int records = archive.RecordCount();
  for (int i = 0; i < records; ++i) {
    if (archive.RecordType(i) != kRecordFont) continue;
    const std::string key = archive.RecordKey(i);
    bool accept = true;
    std::string name = key;
    if (OnCPDbLoad) OnCPDbLoad(*this, key, Count(), accept, name);
    if (!accept) continue;
    // The font joins the list first; one that fails to load stays, unloaded.
    TCanopyFont* font = Add();
    // A font is a glyph table (one entry per 8-bit character at most) and one
    // image: a record that claims more is refused before it is unpacked.
    constexpr uint64_t kMostGlyphTableBytes = 16 + 256 * 8;
    const uint64_t claimed = archive.Entries()[static_cast<size_t>(i)].OriginalSize;
    if (claimed > kMostGlyphTableBytes + MaxImageRecordBytes(font->Image().Renderer())) return false;
    std::vector<uint8_t> bytes;
    if (!archive.ReadRecord(key, bytes)) return false;
    auto record = ParseFontRecord(bytes.data(), bytes.size());
    if (!record) return false;
    font->Name = name;
    if (!font->LoadFromRecord(*record)) return false;
  }
  return true;
}
