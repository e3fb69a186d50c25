#include "Paint.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>

TRgba Rgb(uint32_t hex, double alpha) {
  return TRgba{((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0, alpha};
}

TRgba Mix(const TRgba& a, const TRgba& b, double t) {
  return TRgba{a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t, a.A + (b.A - a.A) * t};
}

TRgba Shade(const TRgba& c, double f) {
  TRgba target = f >= 0 ? TRgba{1, 1, 1, c.A} : TRgba{0, 0, 0, c.A};
  return Mix(c, target, std::fabs(f));
}

TRgba WithAlpha(const TRgba& c, double alpha) { return TRgba{c.R, c.G, c.B, alpha}; }

// ---------------------------------------------------------------------------
// Surfaces

TSurface::TSurface(int width, int height) : Width_(width), Height_(height) {
  Surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (cairo_surface_status(Surface_) != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error("cannot create a drawing surface");
}

TSurface::~TSurface() {
  if (Surface_) cairo_surface_destroy(Surface_);
}

TSurface::TSurface(TSurface&& other) noexcept
    : Surface_(other.Surface_), Width_(other.Width_), Height_(other.Height_) {
  other.Surface_ = nullptr;
  other.Width_ = other.Height_ = 0;
}

TSurface& TSurface::operator=(TSurface&& other) noexcept {
  if (this != &other) {
    if (Surface_) cairo_surface_destroy(Surface_);
    Surface_ = other.Surface_;
    Width_ = other.Width_;
    Height_ = other.Height_;
    other.Surface_ = nullptr;
    other.Width_ = other.Height_ = 0;
  }
  return *this;
}

uint32_t* TSurface::Row(int y) {
  return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(Surface_) +
                                     static_cast<size_t>(y) * cairo_image_surface_get_stride(Surface_));
}

const uint32_t* TSurface::Row(int y) const {
  return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(Surface_) +
                                           static_cast<size_t>(y) * cairo_image_surface_get_stride(Surface_));
}

void TSurface::Flush() { cairo_surface_flush(Surface_); }
void TSurface::MarkDirty() { cairo_surface_mark_dirty(Surface_); }

TSurface TSurface::Clone() const {
  TSurface copy(Width_, Height_);
  TPen pen(copy);
  cairo_set_source_surface(pen, Surface_, 0, 0);
  cairo_set_operator(pen, CAIRO_OPERATOR_SOURCE);
  cairo_paint(pen);
  return copy;
}

TPen::TPen(TSurface& surface) : Cr_(cairo_create(surface.Get())) {}
TPen::~TPen() { cairo_destroy(Cr_); }

// ---------------------------------------------------------------------------
// Sources

void SetColor(cairo_t* cr, const TRgba& c) { cairo_set_source_rgba(cr, c.R, c.G, c.B, c.A); }

namespace {

void AddStops(cairo_pattern_t* p, std::initializer_list<TStop> stops) {
  for (const TStop& s : stops)
    cairo_pattern_add_color_stop_rgba(p, s.Offset, s.Color.R, s.Color.G, s.Color.B, s.Color.A);
}

void UsePattern(cairo_t* cr, cairo_pattern_t* p) {
  cairo_set_source(cr, p);
  cairo_pattern_destroy(p);
}

}  // namespace

void SourceLinear(cairo_t* cr, double x0, double y0, double x1, double y1, std::initializer_list<TStop> stops) {
  cairo_pattern_t* p = cairo_pattern_create_linear(x0, y0, x1, y1);
  AddStops(p, stops);
  UsePattern(cr, p);
}

void SourceRadial(cairo_t* cr, double cx, double cy, double r, std::initializer_list<TStop> stops) {
  SourceRadial2(cr, cx, cy, 0, cx, cy, r, stops);
}

void SourceRadial2(cairo_t* cr, double cx0, double cy0, double r0, double cx1, double cy1, double r1,
                   std::initializer_list<TStop> stops) {
  cairo_pattern_t* p = cairo_pattern_create_radial(cx0, cy0, r0, cx1, cy1, r1);
  AddStops(p, stops);
  UsePattern(cr, p);
}

void SourceSurface(cairo_t* cr, const TSurface& s, double x, double y) {
  cairo_set_source_surface(cr, s.Get(), x, y);
}

// ---------------------------------------------------------------------------
// Paths

void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  r = std::min({r, w / 2, h / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry) {
  if (rx <= 0 || ry <= 0) return;
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_close_path(cr);
  cairo_restore(cr);
}

void Polygon(cairo_t* cr, const std::vector<TPt>& points) {
  if (points.empty()) return;
  cairo_move_to(cr, points[0].X, points[0].Y);
  for (size_t i = 1; i < points.size(); ++i) cairo_line_to(cr, points[i].X, points[i].Y);
  cairo_close_path(cr);
}

namespace {

void CatmullSegment(cairo_t* cr, const TPt& p0, const TPt& p1, const TPt& p2, const TPt& p3, double t) {
  double k = t / 6.0;
  cairo_curve_to(cr, p1.X + (p2.X - p0.X) * k, p1.Y + (p2.Y - p0.Y) * k, p2.X - (p3.X - p1.X) * k,
                 p2.Y - (p3.Y - p1.Y) * k, p2.X, p2.Y);
}

}  // namespace

void SmoothClosed(cairo_t* cr, const std::vector<TPt>& p, double tension) {
  size_t n = p.size();
  if (n < 3) return Polygon(cr, p);
  cairo_move_to(cr, p[0].X, p[0].Y);
  for (size_t i = 0; i < n; ++i)
    CatmullSegment(cr, p[(i + n - 1) % n], p[i], p[(i + 1) % n], p[(i + 2) % n], tension);
  cairo_close_path(cr);
}

void SmoothOpen(cairo_t* cr, const std::vector<TPt>& p, double tension) {
  size_t n = p.size();
  if (n < 2) return;
  cairo_move_to(cr, p[0].X, p[0].Y);
  for (size_t i = 0; i + 1 < n; ++i) {
    const TPt& a = i == 0 ? p[0] : p[i - 1];
    const TPt& d = i + 2 < n ? p[i + 2] : p[n - 1];
    CatmullSegment(cr, a, p[i], p[i + 1], d, tension);
  }
}

void StarPath(cairo_t* cr, double cx, double cy, int points, double outer, double inner, double rotation) {
  for (int i = 0; i < points * 2; ++i) {
    double r = (i % 2 == 0) ? outer : inner;
    double a = rotation + i * M_PI / points - M_PI / 2;
    double x = cx + r * std::cos(a), y = cy + r * std::sin(a);
    if (i == 0)
      cairo_move_to(cr, x, y);
    else
      cairo_line_to(cr, x, y);
  }
  cairo_close_path(cr);
}

void BlobPath(cairo_t* cr, double cx, double cy, double rx, double ry, double wobble, uint32_t seed, int steps) {
  TNoise noise(seed, steps);
  std::vector<TPt> pts;
  for (int i = 0; i < steps; ++i) {
    double a = 2 * M_PI * i / steps;
    double n = noise.Fbm(i * 0.35, 3.7, 3) - 0.5;
    double f = 1 + wobble * 2 * n;
    pts.push_back({cx + rx * f * std::cos(a), cy + ry * f * std::sin(a)});
  }
  SmoothClosed(cr, pts);
}

// ---------------------------------------------------------------------------
// Random numbers and noise

uint64_t TRandom::Next() {
  uint64_t z = (State_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double TRandom::Unit() { return static_cast<double>(Next() >> 11) / static_cast<double>(1ull << 53); }

double TNoise::Lattice(int x, int y) const {
  if (Period_ > 0) {
    x = ((x % Period_) + Period_) % Period_;
    y = ((y % Period_) + Period_) % Period_;
  }
  uint32_t h = Seed_ * 0x27d4eb2du ^ static_cast<uint32_t>(x) * 0x85ebca6bu ^ static_cast<uint32_t>(y) * 0xc2b2ae35u;
  h ^= h >> 15;
  h *= 0x2c1b3c6du;
  h ^= h >> 12;
  h *= 0x297a2d39u;
  h ^= h >> 15;
  return (h & 0xFFFFFF) / static_cast<double>(0xFFFFFF);
}

double TNoise::Value(double x, double y) const {
  double fx = std::floor(x), fy = std::floor(y);
  int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  double tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  double a = Lattice(ix, iy), b = Lattice(ix + 1, iy), c = Lattice(ix, iy + 1), d = Lattice(ix + 1, iy + 1);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

double TNoise::Fbm(double x, double y, int octaves, double gain) const {
  double sum = 0, amp = 1, norm = 0, f = 1;
  for (int i = 0; i < octaves; ++i) {
    TNoise layer(Seed_ + static_cast<uint32_t>(i) * 1013u, Period_ > 0 ? Period_ * static_cast<int>(f) : 0);
    sum += amp * layer.Value(x * f, y * f);
    norm += amp;
    amp *= gain;
    f *= 2;
  }
  return sum / norm;
}

// ---------------------------------------------------------------------------
// Blur and pixel passes

namespace {

// One horizontal box pass over premultiplied channels, radius r, clamped edges.
void BoxPass(std::vector<float>& src, std::vector<float>& dst, int w, int h, int r, bool horizontal) {
  int len = horizontal ? w : h, lines = horizontal ? h : w;
  float inv = 1.0f / static_cast<float>(2 * r + 1);
  for (int line = 0; line < lines; ++line) {
    for (int c = 0; c < 4; ++c) {
      auto at = [&](int i) -> float& {
        i = std::clamp(i, 0, len - 1);
        size_t idx = horizontal ? (static_cast<size_t>(line) * w + i) : (static_cast<size_t>(i) * w + line);
        return src[idx * 4 + c];
      };
      float acc = 0;
      for (int i = -r; i <= r; ++i) acc += at(i);
      for (int i = 0; i < len; ++i) {
        size_t idx = horizontal ? (static_cast<size_t>(line) * w + i) : (static_cast<size_t>(i) * w + line);
        dst[idx * 4 + c] = acc * inv;
        acc += at(i + r + 1) - at(i - r);
      }
    }
  }
}

}  // namespace

void Blur(TSurface& s, double radius) {
  if (radius < 0.5 || s.Empty()) return;
  int w = s.Width(), h = s.Height();
  s.Flush();
  std::vector<float> a(static_cast<size_t>(w) * h * 4), b(a.size());
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = s.Row(y);
    for (int x = 0; x < w; ++x) {
      uint32_t p = row[x];
      size_t i = (static_cast<size_t>(y) * w + x) * 4;
      a[i] = (p >> 24) & 0xFF;
      a[i + 1] = (p >> 16) & 0xFF;
      a[i + 2] = (p >> 8) & 0xFF;
      a[i + 3] = p & 0xFF;
    }
  }
  // Three box passes of this radius approximate a Gaussian of sigma ~ radius/1.7.
  int r = std::max(1, static_cast<int>(std::lround(radius / 1.5)));
  for (int pass = 0; pass < 3; ++pass) {
    BoxPass(a, b, w, h, r, true);
    BoxPass(b, a, w, h, r, false);
  }
  for (int y = 0; y < h; ++y) {
    uint32_t* row = s.Row(y);
    for (int x = 0; x < w; ++x) {
      size_t i = (static_cast<size_t>(y) * w + x) * 4;
      auto q = [&](int k) { return static_cast<uint32_t>(std::clamp(std::lround(a[i + k]), 0L, 255L)); };
      uint32_t al = q(0), rr = std::min(q(1), al), gg = std::min(q(2), al), bb = std::min(q(3), al);
      row[x] = (al << 24) | (rr << 16) | (gg << 8) | bb;
    }
  }
  s.MarkDirty();
}

TSurface MaskOf(int width, int height, const std::function<void(cairo_t*)>& draw) {
  TSurface m(width, height);
  TPen pen(m);
  cairo_set_source_rgba(pen, 1, 1, 1, 1);
  draw(pen);
  return m;
}

void Shadow(cairo_t* cr, int width, int height, const std::function<void(cairo_t*)>& shape, double dx, double dy,
            double blur, const TRgba& color, cairo_operator_t op) {
  int pad = static_cast<int>(std::ceil(blur * 2 + 2));
  TSurface m(width + 2 * pad, height + 2 * pad);
  {
    TPen pen(m);
    cairo_translate(pen, pad, pad);
    cairo_set_source_rgba(pen, 1, 1, 1, 1);
    shape(pen);
  }
  Blur(m, blur);
  TSaved saved(cr);
  cairo_set_operator(cr, op);
  SetColor(cr, color);
  cairo_mask_surface(cr, m.Get(), dx - pad, dy - pad);
}

void ForEachPixel(TSurface& s, const std::function<void(int, int, double&, double&, double&, double&)>& fn) {
  s.Flush();
  for (int y = 0; y < s.Height(); ++y) {
    uint32_t* row = s.Row(y);
    for (int x = 0; x < s.Width(); ++x) {
      uint32_t p = row[x];
      double a = (p >> 24) & 0xFF;
      double r = 0, g = 0, b = 0;
      if (a > 0) {
        r = ((p >> 16) & 0xFF) * 255.0 / a;
        g = ((p >> 8) & 0xFF) * 255.0 / a;
        b = (p & 0xFF) * 255.0 / a;
      }
      fn(x, y, r, g, b, a);
      a = std::clamp(a, 0.0, 255.0);
      auto pm = [&](double c) {
        return static_cast<uint32_t>(std::lround(std::clamp(c, 0.0, 255.0) * a / 255.0));
      };
      row[x] = (static_cast<uint32_t>(std::lround(a)) << 24) | (pm(r) << 16) | (pm(g) << 8) | pm(b);
    }
  }
  s.MarkDirty();
}

void Grain(TSurface& s, const TNoise& noise, double scale, double strength, int octaves) {
  ForEachPixel(s, [&](int x, int y, double& r, double& g, double& b, double&) {
    double f = 1 + strength * (noise.Fbm(x / scale, y / scale, octaves) - 0.5) * 2;
    r *= f;
    g *= f;
    b *= f;
  });
}

void Vignette(TSurface& s, double strength, double inner) {
  double cx = s.Width() / 2.0, cy = s.Height() / 2.0;
  ForEachPixel(s, [&](int x, int y, double& r, double& g, double& b, double&) {
    double dx = (x - cx) / cx, dy = (y - cy) / cy;
    double d = std::sqrt(dx * dx + dy * dy) / std::sqrt(2.0);
    double t = std::clamp((d - inner * 0.7) / (1.0 - inner * 0.7), 0.0, 1.0);
    double f = 1 - strength * t * t;
    r *= f;
    g *= f;
    b *= f;
  });
}

uint32_t StraightPixel(const TSurface& s, int x, int y) {
  uint32_t p = s.Row(y)[x];
  uint32_t a = p >> 24;
  if (a == 0) return 0;
  auto un = [&](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
  return (a << 24) | (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) | un(p & 0xFF);
}

TSurface Scaled(const TSurface& s, int width, int height) {
  TSurface out(width, height);
  TPen pen(out);
  cairo_scale(pen, static_cast<double>(width) / s.Width(), static_cast<double>(height) / s.Height());
  cairo_set_source_surface(pen, s.Get(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(pen), CAIRO_FILTER_BEST);
  cairo_paint(pen);
  return out;
}

void Paste(TSurface& dst, const TSurface& src, double x, double y, double alpha, cairo_operator_t op) {
  TPen pen(dst);
  cairo_set_operator(pen, op);
  cairo_set_source_surface(pen, src.Get(), x, y);
  cairo_paint_with_alpha(pen, alpha);
}

// ---------------------------------------------------------------------------
// Text

namespace fontfiles {
const char* const kBookmanDemi = "/usr/share/fonts/opentype/urw-base35/URWBookman-Demi.otf";
const char* const kBookmanLight = "/usr/share/fonts/opentype/urw-base35/URWBookman-Light.otf";
const char* const kChancery = "/usr/share/fonts/opentype/urw-base35/Z003-MediumItalic.otf";
const char* const kLibertineBold = "/usr/share/fonts/opentype/linux-libertine/LinLibertine_RB.otf";
const char* const kLibertine = "/usr/share/fonts/opentype/linux-libertine/LinLibertine_R.otf";
const char* const kBiolinumBold = "/usr/share/fonts/opentype/linux-libertine/LinBiolinum_RB.otf";
const char* const kBiolinum = "/usr/share/fonts/opentype/linux-libertine/LinBiolinum_R.otf";
const char* const kGaramondBold = "/usr/share/fonts/opentype/ebgaramond/EBGaramond12-Bold.otf";
const char* const kGaramondItalic = "/usr/share/fonts/opentype/ebgaramond/EBGaramond12-Italic.otf";
const char* const kDejaVuSansBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char* const kDejaVuSerifBold = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf";
}  // namespace fontfiles

void RequireFontFile(const char* path) {
  if (std::filesystem::exists(path)) return;
  std::string p = path;
  const char* package = p.find("urw-base35") != std::string::npos        ? "fonts-urw-base35"
                        : p.find("linux-libertine") != std::string::npos ? "fonts-linuxlibertine"
                        : p.find("ebgaramond") != std::string::npos      ? "fonts-ebgaramond"
                                                                         : "fonts-dejavu-core";
  throw std::runtime_error(std::string("font file missing: ") + path + " (install the Debian package " + package +
                           ", for example with scripts/setup.sh)");
}

namespace {

// One FreeType library and one face per file for the whole run. Cairo locks a
// face while it reads it, so the drawing threads may share them; they live
// until the program ends.
std::mutex gFaceMutex;
FT_Library gLibrary = nullptr;
std::map<std::string, cairo_font_face_t*> gFaces;

cairo_font_face_t* FaceFor(const char* file) {
  std::lock_guard<std::mutex> lock(gFaceMutex);
  auto it = gFaces.find(file);
  if (it != gFaces.end()) return it->second;
  RequireFontFile(file);
  if (!gLibrary && FT_Init_FreeType(&gLibrary) != 0) throw std::runtime_error("FreeType init failed");
  FT_Face face = nullptr;
  if (FT_New_Face(gLibrary, file, 0, &face) != 0) throw std::runtime_error(std::string("cannot open font ") + file);
  cairo_font_face_t* cf = cairo_ft_font_face_create_for_ft_face(face, 0);
  gFaces[file] = cf;
  return cf;
}

}  // namespace

void SetFont(cairo_t* cr, const char* file, double size) {
  cairo_set_font_face(cr, FaceFor(file));
  cairo_set_font_size(cr, size);
  cairo_font_options_t* opt = cairo_font_options_create();
  cairo_font_options_set_hint_style(opt, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(opt, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(opt, CAIRO_ANTIALIAS_GRAY);
  cairo_set_font_options(cr, opt);
  cairo_font_options_destroy(opt);
}

double TextWidth(cairo_t* cr, const std::string& text) {
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  return e.x_advance;
}

void TextPath(cairo_t* cr, const std::string& text, double x, double y) {
  cairo_move_to(cr, x, y);
  cairo_text_path(cr, text.c_str());
}

void TextPathCentred(cairo_t* cr, const std::string& text, double cx, double y) {
  TextPath(cr, text, cx - TextWidth(cr, text) / 2, y);
}

void FillVertical(cairo_t* cr, double y0, double y1, const TRgba& top, const TRgba& bottom) {
  SourceLinear(cr, 0, y0, 0, y1, {{0, top}, {1, bottom}});
  cairo_fill_preserve(cr);
}

bool WritePng(const TSurface& s, const std::string& path) {
  return cairo_surface_write_to_png(s.Get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}
