// Drawing toolkit of the data generator: colours, Cairo surfaces and paths,
// gradients, blur, shadows and glows, deterministic noise, and text outlines
// from the installed font files.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// Colour with straight alpha, channels 0..1.
struct TRgba {
  double R = 0, G = 0, B = 0, A = 1;
};

TRgba Rgb(uint32_t hex, double alpha = 1.0);  // 0xRRGGBB
TRgba Mix(const TRgba& a, const TRgba& b, double t);
// Towards white for f > 0, towards black for f < 0 (|f| <= 1); alpha kept.
TRgba Shade(const TRgba& c, double f);
TRgba WithAlpha(const TRgba& c, double alpha);

struct TPt {
  double X = 0, Y = 0;
};

// An ARGB32 surface (premultiplied alpha), owned by value.
class TSurface {
 public:
  TSurface() = default;
  TSurface(int width, int height);
  ~TSurface();
  TSurface(TSurface&& other) noexcept;
  TSurface& operator=(TSurface&& other) noexcept;
  TSurface(const TSurface&) = delete;
  TSurface& operator=(const TSurface&) = delete;

  cairo_surface_t* Get() const { return Surface_; }
  int Width() const { return Width_; }
  int Height() const { return Height_; }
  bool Empty() const { return Surface_ == nullptr; }
  // Premultiplied 0xAARRGGBB pixels of a row; call Flush before reading and
  // MarkDirty after writing.
  uint32_t* Row(int y);
  const uint32_t* Row(int y) const;
  void Flush();
  void MarkDirty();
  TSurface Clone() const;

 private:
  cairo_surface_t* Surface_ = nullptr;
  int Width_ = 0, Height_ = 0;
};

// A Cairo context on a surface, destroyed with the object.
class TPen {
 public:
  explicit TPen(TSurface& surface);
  ~TPen();
  TPen(const TPen&) = delete;
  TPen& operator=(const TPen&) = delete;
  operator cairo_t*() const { return Cr_; }
  cairo_t* Get() const { return Cr_; }

 private:
  cairo_t* Cr_;
};

// Saves the context state for a scope.
class TSaved {
 public:
  explicit TSaved(cairo_t* cr) : Cr_(cr) { cairo_save(cr); }
  ~TSaved() { cairo_restore(Cr_); }
  TSaved(const TSaved&) = delete;
  TSaved& operator=(const TSaved&) = delete;

 private:
  cairo_t* Cr_;
};

struct TStop {
  double Offset;
  TRgba Color;
};

void SetColor(cairo_t* cr, const TRgba& c);
void SourceLinear(cairo_t* cr, double x0, double y0, double x1, double y1, std::initializer_list<TStop> stops);
void SourceRadial(cairo_t* cr, double cx, double cy, double r, std::initializer_list<TStop> stops);
void SourceRadial2(cairo_t* cr, double cx0, double cy0, double r0, double cx1, double cy1, double r1,
                   std::initializer_list<TStop> stops);
void SourceSurface(cairo_t* cr, const TSurface& s, double x, double y);

// Paths (each starts a new sub-path; none fills or strokes).
void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r);
void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry);
void Polygon(cairo_t* cr, const std::vector<TPt>& points);
// A smooth closed curve through the points (Catmull-Rom).
void SmoothClosed(cairo_t* cr, const std::vector<TPt>& points, double tension = 1.0);
void SmoothOpen(cairo_t* cr, const std::vector<TPt>& points, double tension = 1.0);
void StarPath(cairo_t* cr, double cx, double cy, int points, double outer, double inner, double rotation);
// A circle whose radius wobbles by noise: rocks, bushes, clouds.
void BlobPath(cairo_t* cr, double cx, double cy, double rx, double ry, double wobble, uint32_t seed,
              int steps = 48);

// Deterministic random numbers (splitmix64).
class TRandom {
 public:
  explicit TRandom(uint64_t seed) : State_(seed * 0x9E3779B97F4A7C15ull + 0x1234567ull) {}
  uint64_t Next();
  double Unit();  // 0..1
  double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }
  int Int(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }

 private:
  uint64_t State_;
};

// Smooth value noise in 0..1, tiling every `period` units when period > 0.
class TNoise {
 public:
  explicit TNoise(uint32_t seed, int period = 0) : Seed_(seed), Period_(period) {}
  double Value(double x, double y) const;
  double Fbm(double x, double y, int octaves, double gain = 0.5) const;

 private:
  double Lattice(int x, int y) const;
  uint32_t Seed_;
  int Period_;
};

// Blurs in place with three box passes (close to a Gaussian of the radius).
void Blur(TSurface& s, double radius);
// Draws a shape mask with the function (fill in any opaque colour), blurs it and
// paints it onto cr in the colour at an offset: drop shadows and glows.
void Shadow(cairo_t* cr, int width, int height, const std::function<void(cairo_t*)>& shape, double dx,
            double dy, double blur, const TRgba& color, cairo_operator_t op = CAIRO_OPERATOR_OVER);
// Alpha mask of a drawing, as an A8-like surface (in ARGB32, colour white).
TSurface MaskOf(int width, int height, const std::function<void(cairo_t*)>& draw);

// Per-pixel pass over a surface in straight-alpha ARGB (0..255 channels).
void ForEachPixel(TSurface& s, const std::function<void(int x, int y, double& r, double& g, double& b,
                                                         double& a)>& fn);
// Multiplies the colour by 1 + strength * (noise - 0.5) * 2: grain and texture.
void Grain(TSurface& s, const TNoise& noise, double scale, double strength, int octaves = 3);
// Darkens towards the edges.
void Vignette(TSurface& s, double strength, double inner = 0.55);

// Straight-alpha 0xAARRGGBB of a pixel.
uint32_t StraightPixel(const TSurface& s, int x, int y);
// A copy scaled to a size with good filtering.
TSurface Scaled(const TSurface& s, int width, int height);
// Pastes src onto dst at (x, y).
void Paste(TSurface& dst, const TSurface& src, double x, double y, double alpha = 1.0,
           cairo_operator_t op = CAIRO_OPERATOR_OVER);

// Text outlines from installed font files (UTF-8 text).
namespace fontfiles {
extern const char* const kBookmanDemi;
extern const char* const kBookmanLight;
extern const char* const kChancery;
extern const char* const kLibertineBold;
extern const char* const kLibertine;
extern const char* const kBiolinumBold;
extern const char* const kBiolinum;
extern const char* const kGaramondBold;
extern const char* const kGaramondItalic;
extern const char* const kDejaVuSansBold;
extern const char* const kDejaVuSerifBold;
}  // namespace fontfiles

// Throws std::runtime_error naming the file and the package when it is missing.
void RequireFontFile(const char* path);
void SetFont(cairo_t* cr, const char* file, double size);
double TextWidth(cairo_t* cr, const std::string& text);
// Adds the outline of text with its baseline starting at (x, y).
void TextPath(cairo_t* cr, const std::string& text, double x, double y);
// Adds the outline centred on x.
void TextPathCentred(cairo_t* cr, const std::string& text, double cx, double y);

// Fills the current path with a vertical gradient between two colours over
// [y0, y1], keeping the path.
void FillVertical(cairo_t* cr, double y0, double y1, const TRgba& top, const TRgba& bottom);

// Writes a PNG (for the contact sheet and previews).
bool WritePng(const TSurface& s, const std::string& path);
