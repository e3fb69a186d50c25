#include "Materials.h"

#include <cmath>

namespace {

// Fills a new surface pixel by pixel with a blend of two colours: `shade`
// gives, for each pixel, how far towards `dark` it lies (clamped to 0..1).
template <typename Shade>
TSurface ShadedTexture(int w, int h, const TRgba& light, const TRgba& dark, Shade shade) {
  TSurface s(w, h);
  s.Flush();
  auto q = [](double c) { return static_cast<uint32_t>(std::lround(std::clamp(c, 0.0, 1.0) * 255)); };
  for (int y = 0; y < h; ++y) {
    uint32_t* row = s.Row(y);
    for (int x = 0; x < w; ++x) {
      const TRgba c = Mix(light, dark, std::clamp(shade(x, y), 0.0, 1.0));
      row[x] = 0xFF000000u | (q(c.R) << 16) | (q(c.G) << 8) | q(c.B);
    }
  }
  s.MarkDirty();
  return s;
}

}  // namespace

TSurface WoodTexture(int w, int h, uint32_t seed, const TRgba& light, const TRgba& dark, bool horizontal,
                     double grainScale) {
  TNoise warp(seed), fine(seed + 17), knots(seed + 31);
  return ShadedTexture(w, h, light, dark, [&](int x, int y) {
    // u runs along the grain, v across it.
    double u = horizontal ? x : y, v = horizontal ? y : x;
    u /= grainScale;
    v /= grainScale;
    double bend = warp.Fbm(u * 0.012, v * 0.05, 3) * 6.0;
    double rings = 0.5 + 0.5 * std::sin((v * 0.55 + bend * 2.2) * 1.3);
    rings = std::pow(rings, 3.0);
    double streak = fine.Fbm(u * 0.02, v * 0.9, 2);
    double knot = knots.Value(u * 0.03, v * 0.08);
    knot = knot > 0.86 ? (knot - 0.86) * 4 : 0;
    return 0.55 * rings + 0.35 * streak + knot;
  });
}

TSurface MetalTexture(int w, int h, uint32_t seed, const TRgba& light, const TRgba& dark) {
  TNoise brush(seed), cloud(seed + 5);
  return ShadedTexture(w, h, light, dark, [&](int x, int y) {
    return 0.35 * brush.Fbm(x * 0.01, y * 0.7, 2) + 0.35 * cloud.Fbm(x * 0.05, y * 0.05, 3) +
           0.3 * static_cast<double>(y) / h;
  });
}

TSurface StoneTexture(int w, int h, uint32_t seed, const TRgba& light, const TRgba& dark, double scale) {
  TNoise n(seed), m(seed + 9);
  return ShadedTexture(w, h, light, dark, [&](int x, int y) {
    double t = n.Fbm(x * 0.04 / scale, y * 0.04 / scale, 4);
    double speck = m.Value(x * 0.5, y * 0.5);
    return t * 1.2 - 0.1 + (speck > 0.8 ? 0.15 : 0);
  });
}

TSurface ParchmentTexture(int w, int h, uint32_t seed) {
  TNoise n(seed), fibre(seed + 3);
  return ShadedTexture(w, h, Rgb(0xf4e4bc), Rgb(0xc9a46a), [&](int x, int y) {
    double t = 0.7 * n.Fbm(x * 0.008, y * 0.008, 5) + 0.3 * fibre.Fbm(x * 0.08, y * 0.02, 2);
    return (t - 0.3) * 1.4;
  });
}

TSurface MossTexture(int w, int h, uint32_t seed) {
  TNoise n(seed), m(seed + 11);
  return ShadedTexture(w, h, Rgb(0x6fa83c), Rgb(0x1f4a1c), [&](int x, int y) {
    return 0.6 * n.Fbm(x * 0.06, y * 0.06, 4) + 0.4 * m.Value(x * 0.6, y * 0.6);
  });
}

void FillTexture(cairo_t* cr, const TSurface& texture, double x, double y) {
  cairo_save(cr);
  cairo_set_source_surface(cr, texture.Get(), x, y);
  cairo_fill_preserve(cr);
  cairo_restore(cr);
}

void Bevel(cairo_t* cr, double width, double lightAlpha, double shadeAlpha) {
  double x0, y0, x1, y1;
  cairo_path_extents(cr, &x0, &y0, &x1, &y1);
  cairo_save(cr);
  cairo_path_t* path = cairo_copy_path(cr);
  cairo_clip_preserve(cr);
  cairo_set_line_width(cr, width * 2);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  SourceLinear(cr, x0, y0, x1, y1,
               {{0, Rgb(0xffffff, lightAlpha)}, {0.45, Rgb(0xffffff, 0)}, {0.55, Rgb(0, 0)}, {1, Rgb(0, shadeAlpha)}});
  cairo_stroke(cr);
  cairo_restore(cr);
  cairo_new_path(cr);
  cairo_append_path(cr, path);
  cairo_path_destroy(path);
}

void Leaf(cairo_t* cr, double x, double y, double length, double width, double angle, const TRgba& color) {
  TSaved s(cr);
  cairo_translate(cr, x, y);
  cairo_rotate(cr, angle);
  cairo_move_to(cr, 0, 0);
  cairo_curve_to(cr, length * 0.3, -width, length * 0.75, -width * 0.8, length, 0);
  cairo_curve_to(cr, length * 0.75, width * 0.8, length * 0.3, width, 0, 0);
  cairo_close_path(cr);
  SourceLinear(cr, 0, -width, 0, width, {{0, Shade(color, 0.25)}, {1, Shade(color, -0.3)}});
  cairo_fill_preserve(cr);
  SetColor(cr, WithAlpha(Shade(color, -0.55), 0.8 * color.A));
  cairo_set_line_width(cr, 0.6);
  cairo_stroke(cr);
  cairo_move_to(cr, length * 0.1, 0);
  cairo_line_to(cr, length * 0.85, 0);
  SetColor(cr, WithAlpha(Shade(color, 0.45), 0.6 * color.A));
  cairo_set_line_width(cr, 0.5);
  cairo_stroke(cr);
}

void Vine(cairo_t* cr, const std::vector<TPt>& path, double width, uint32_t seed, double leafEvery,
          double leafSize) {
  if (path.size() < 2) return;
  TRandom rnd(seed);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  SmoothOpen(cr, path);
  SetColor(cr, Rgb(0x1e3f16));
  cairo_set_line_width(cr, width + 1.2);
  cairo_stroke(cr);
  SmoothOpen(cr, path);
  SetColor(cr, Rgb(0x4f7a2a));
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
  double travelled = 0, next = leafEvery * 0.5;
  int side = 1;
  for (size_t i = 1; i < path.size(); ++i) {
    double dx = path[i].X - path[i - 1].X, dy = path[i].Y - path[i - 1].Y;
    double len = std::hypot(dx, dy);
    while (len > 0 && next <= travelled + len) {
      double t = (next - travelled) / len;
      double x = path[i - 1].X + dx * t, y = path[i - 1].Y + dy * t;
      double a = std::atan2(dy, dx) + side * (0.8 + rnd.Range(-0.25, 0.25));
      double size = leafSize * rnd.Range(0.75, 1.15);
      TRgba col = Mix(Rgb(0x3e8a2c), Rgb(0x86c94a), rnd.Unit());
      Leaf(cr, x, y, size, size * 0.42, a, col);
      side = -side;
      next += leafEvery * rnd.Range(0.8, 1.2);
    }
    travelled += len;
  }
}
