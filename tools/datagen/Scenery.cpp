#include "Scenery.h"

#include <algorithm>
#include <cmath>

#include "Materials.h"

void Sky(cairo_t* cr, double w, double horizonY, const TSky& sky) {
  cairo_rectangle(cr, 0, 0, w, horizonY + 1);
  SourceLinear(cr, 0, 0, 0, horizonY, {{0, sky.Top}, {sky.MiddleAt, sky.Middle}, {1, sky.Horizon}});
  cairo_fill(cr);
}

void Glow(cairo_t* cr, double x, double y, double r, const TRgba& color, cairo_operator_t op) {
  TSaved s(cr);
  cairo_set_operator(cr, op);
  SourceRadial(cr, x, y, r, {{0, color}, {0.3, WithAlpha(color, color.A * 0.45)}, {1, WithAlpha(color, 0)}});
  cairo_arc(cr, x, y, r, 0, 2 * M_PI);
  cairo_fill(cr);
}

void Stars(cairo_t* cr, double w, double maxY, int count, uint32_t seed, double brightness) {
  TRandom rnd(seed);
  for (int i = 0; i < count; ++i) {
    double x = rnd.Range(0, w), y = rnd.Range(0, maxY);
    double b = rnd.Range(0.3, 1.0) * brightness * (1 - 0.6 * y / maxY);
    double r = rnd.Unit() < 0.1 ? 1.4 : 0.7;
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    SetColor(cr, TRgba{1, 1, 0.92, b});
    cairo_fill(cr);
    if (r > 1) {
      StarPath(cr, x, y, 4, 4.5, 0.6, 0);
      SetColor(cr, TRgba{1, 1, 1, b * 0.7});
      cairo_fill(cr);
    }
  }
}

void Moon(cairo_t* cr, double x, double y, double r, const TRgba& color) {
  Glow(cr, x, y, r * 4, WithAlpha(color, 0.35));
  cairo_arc(cr, x, y, r, 0, 2 * M_PI);
  SourceRadial2(cr, x - r * 0.3, y - r * 0.3, 0, x, y, r, {{0, Shade(color, 0.5)}, {1, color}});
  cairo_fill(cr);
  TRandom rnd(5);
  for (int i = 0; i < 5; ++i) {
    double a = rnd.Range(0, 2 * M_PI), d = rnd.Range(0, r * 0.6);
    cairo_arc(cr, x + d * std::cos(a), y + d * std::sin(a), rnd.Range(r * 0.08, r * 0.2), 0, 2 * M_PI);
    SetColor(cr, WithAlpha(Shade(color, -0.2), 0.35));
    cairo_fill(cr);
  }
}

void Clouds(cairo_t* cr, int w, int h, double y, double spread, int count, uint32_t seed, const TRgba& light,
            const TRgba& shade) {
  TSurface mask(w, h);
  TRandom rnd(seed);
  {
    TPen pen(mask);
    cairo_set_source_rgba(pen, 1, 1, 1, 1);
    for (int i = 0; i < count; ++i) {
      double cx = rnd.Range(-40, w + 40), cy = y + rnd.Range(-spread, spread);
      double size = rnd.Range(25, 60);
      for (int k = 0; k < 7; ++k) {
        double dx = rnd.Range(-size * 1.4, size * 1.4), dy = rnd.Range(-size * 0.25, size * 0.15);
        double r = size * rnd.Range(0.35, 0.7);
        Ellipse(pen, cx + dx, cy + dy, r * 1.3, r * 0.8);
        cairo_fill(pen);
      }
    }
  }
  Blur(mask, 5);
  TSaved s(cr);
  SourceLinear(cr, 0, y - spread - 40, 0, y + spread + 30, {{0, light}, {1, shade}});
  cairo_mask_surface(cr, mask.Get(), 0, 0);
}

namespace {

double RidgeHeight(const TNoise& n, double x, double jag) {
  double v = n.Fbm(x * 0.004, 0.5, 5, 0.45 + 0.15 * jag);
  if (jag > 0) {
    double ridged = 1 - std::fabs(2 * n.Fbm(x * 0.008, 2.5, 4) - 1);
    v = v * (1 - jag) + ridged * jag;
  }
  return v;
}

}  // namespace

void Ridge(cairo_t* cr, double w, double h, double baseY, double height, double jag, uint32_t seed,
           const TRgba& top, const TRgba& bottom) {
  TNoise n(seed);
  cairo_move_to(cr, -2, h + 2);
  double minY = baseY;
  for (double x = -2; x <= w + 4; x += 3) {
    double y = baseY - height * RidgeHeight(n, x, jag);
    minY = std::min(minY, y);
    cairo_line_to(cr, x, y);
  }
  cairo_line_to(cr, w + 4, h + 2);
  cairo_close_path(cr);
  SourceLinear(cr, 0, minY, 0, h, {{0, top}, {1, bottom}});
  cairo_fill(cr);
}

void Peaks(cairo_t* cr, double w, double h, double baseY, double height, uint32_t seed, const TRgba& rock,
           const TRgba& shade, const TRgba& snow) {
  TRandom rnd(seed);
  TNoise n(seed + 1);
  struct TPeak {
    double X, H, W;
  };
  std::vector<TPeak> peaks;
  for (double x = rnd.Range(-60, 40); x < w + 80; x += rnd.Range(110, 190))
    peaks.push_back({x, height * rnd.Range(0.55, 1.0), rnd.Range(90, 150)});
  auto skyline = [&](double x) {
    double y = 0;
    for (const TPeak& p : peaks) y = std::max(y, p.H * (1 - std::fabs(x - p.X) / p.W));
    return baseY - y - 8 * (n.Fbm(x * 0.05, 0.3, 3) - 0.5);
  };
  auto outline = [&] {
    cairo_move_to(cr, -2, h + 2);
    for (double x = -2; x <= w + 4; x += 2) cairo_line_to(cr, x, skyline(x));
    cairo_line_to(cr, w + 4, h + 2);
    cairo_close_path(cr);
  };
  outline();
  SourceLinear(cr, 0, baseY - height, 0, h, {{0, rock}, {1, Shade(rock, -0.4)}});
  cairo_fill(cr);
  TSaved s(cr);
  outline();
  cairo_clip(cr);
  // The east flank of each peak lies in shadow.
  for (const TPeak& p : peaks) {
    double sx = p.X, sy = baseY - p.H;
    cairo_move_to(cr, sx, sy - 4);
    cairo_line_to(cr, sx + p.W, baseY + 4);
    cairo_line_to(cr, sx + p.W * 0.15, h);
    cairo_line_to(cr, sx - 2, h);
    cairo_close_path(cr);
    SetColor(cr, shade);
    cairo_fill(cr);
  }
  // Snow on the upper slopes, ragged at its lower edge.
  for (const TPeak& p : peaks) {
    double sy = baseY - p.H, depth = p.H * 0.35;
    cairo_move_to(cr, p.X - p.W * 0.4, sy + depth * 1.2);
    for (int k = 0; k <= 10; ++k) {
      double t = k / 10.0;
      double x = p.X - p.W * 0.4 + t * p.W * 0.8;
      cairo_line_to(cr, x, sy + depth * (0.8 + 0.5 * n.Value(x * 0.2, 7)) * (0.6 + 0.8 * std::fabs(t - 0.5)));
    }
    cairo_line_to(cr, p.X + p.W * 0.4, sy - 20);
    cairo_line_to(cr, p.X - p.W * 0.4, sy - 20);
    cairo_close_path(cr);
    SourceLinear(cr, p.X - 30, sy, p.X + 30, sy, {{0, snow}, {0.52, snow}, {0.56, Mix(snow, shade, 0.45)}, {1, Mix(snow, shade, 0.5)}});
    cairo_fill(cr);
  }
}

void Mist(cairo_t* cr, double w, double y, double thickness, const TRgba& color) {
  cairo_rectangle(cr, 0, y - thickness, w, thickness * 2);
  SourceLinear(cr, 0, y - thickness, 0, y + thickness,
               {{0, WithAlpha(color, 0)}, {0.5, color}, {1, WithAlpha(color, 0)}});
  cairo_fill(cr);
}

void TreeLine(cairo_t* cr, double w, double h, double baseY, double treeHeight, uint32_t seed, const TRgba& color,
              bool conifers, double rimLight) {
  auto path = [&](double dx, double dy) {
    TRandom r2(seed);
    cairo_new_path(cr);
    // The wood's floor, hidden below the crowns.
    double floor = conifers ? treeHeight * 0.2 : treeHeight * 0.02;
    cairo_rectangle(cr, -4 + dx, baseY - floor + dy, w + 8, h - baseY + floor + 4);
    for (double x = r2.Range(-20, 0); x < w + 20; x += treeHeight * r2.Range(0.22, 0.4)) {
      double th = treeHeight * r2.Range(0.6, 1.1);
      double by = baseY + r2.Range(-treeHeight * 0.12, treeHeight * 0.1);
      if (conifers) {
        double width = th * r2.Range(0.3, 0.4);
        int tiers = 5;
        cairo_move_to(cr, x + dx, by - th + dy);
        for (int t = 1; t <= tiers; ++t) {
          double ty = by - th + th * t / tiers;
          double tw = width * (0.35 + 0.65 * t / tiers);
          cairo_line_to(cr, x + tw + dx + r2.Range(-1, 1), ty + dy);
          if (t < tiers) cairo_line_to(cr, x + tw * 0.55 + dx, ty - th * 0.05 + dy);
        }
        for (int t = tiers; t >= 1; --t) {
          double ty = by - th + th * t / tiers;
          double tw = width * (0.35 + 0.65 * t / tiers);
          if (t < tiers) cairo_line_to(cr, x - tw * 0.55 + dx, ty - th * 0.05 + dy);
          cairo_line_to(cr, x - tw + dx + r2.Range(-1, 1), ty + dy);
        }
        cairo_close_path(cr);
      } else {
        double cr0 = th * r2.Range(0.26, 0.36);
        for (int k = 0; k < 6; ++k) {
          double ox = r2.Range(-cr0 * 0.8, cr0 * 0.8), oy = r2.Range(-cr0 * 0.6, cr0 * 0.5);
          BlobPath(cr, x + ox + dx, by - th + cr0 * 1.2 + oy + dy, cr0 * r2.Range(0.55, 0.85),
                   cr0 * r2.Range(0.5, 0.75), 0.16, static_cast<uint32_t>(r2.Next()), 18);
        }
        // Trunks under the crowns, and undergrowth round their feet.
        double tw = std::max(2.0, th * 0.06);
        cairo_rectangle(cr, x - tw / 2 + dx, by - th + cr0 * 1.6 + dy, tw, th - cr0 * 1.6 + 2);
        for (int k = 0; k < 3; ++k) {
          double bx = x + r2.Range(-th * 0.3, th * 0.3), br = th * r2.Range(0.1, 0.18);
          BlobPath(cr, bx + dx, baseY + dy - br * 0.3, br * 1.4, br, 0.2, static_cast<uint32_t>(r2.Next()), 14);
        }
      }
    }
  };
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  path(0, 0);
  SetColor(cr, rimLight > 0 ? Shade(color, rimLight * 2) : color);
  cairo_fill(cr);
  path(rimLight > 0 ? 1.5 : 0, rimLight > 0 ? 2 : 0);
  cairo_path_t* shape = cairo_copy_path(cr);
  SetColor(cr, color);
  cairo_fill(cr);
  // Shade the wood darker towards its floor, for depth.
  TSaved s(cr);
  cairo_append_path(cr, shape);
  cairo_path_destroy(shape);
  cairo_clip(cr);
  SourceLinear(cr, 0, baseY - treeHeight, 0, baseY + treeHeight * 0.8,
               {{0, Rgb(0xffffff, 0.06)}, {0.45, Rgb(0, 0)}, {1, Rgb(0, 0.35)}});
  cairo_paint(cr);
  // Texture of leaves or needles: small flecks, lighter towards the tops.
  TRandom flecks(seed + 77);
  int count = static_cast<int>(w * treeHeight / 60);
  for (int i = 0; i < count; ++i) {
    double x = flecks.Range(0, w), y = flecks.Range(baseY - treeHeight * 1.1, baseY + treeHeight * 0.2);
    double up = std::clamp((baseY - y) / treeHeight, 0.0, 1.0);
    double r = flecks.Range(1.0, 2.6) * (treeHeight > 100 ? 1.4 : 1.0);
    if (conifers) {
      cairo_move_to(cr, x - r * 1.6, y + r * 0.6);
      cairo_line_to(cr, x, y - r * 0.4);
      cairo_line_to(cr, x + r * 1.6, y + r * 0.6);
      cairo_set_line_width(cr, r * 0.5);
      SetColor(cr, WithAlpha(Shade(color, flecks.Unit() < 0.3 + 0.4 * up ? 0.18 : -0.2), 0.55));
      cairo_stroke(cr);
    } else {
      Ellipse(cr, x, y, r * 1.3, r);
      SetColor(cr, WithAlpha(Shade(color, flecks.Unit() < 0.3 + 0.4 * up ? 0.16 : -0.18), 0.5));
      cairo_fill(cr);
    }
  }
}

void LightRays(cairo_t* cr, double w, double h, double x, double y, int count, uint32_t seed, const TRgba& color) {
  TSurface rays(static_cast<int>(w), static_cast<int>(h));
  TRandom rnd(seed);
  {
    TPen pen(rays);
    for (int i = 0; i < count; ++i) {
      double a = M_PI / 2 + rnd.Range(-0.55, 0.55);
      double spread = rnd.Range(0.02, 0.07);
      double len = h * rnd.Range(0.7, 1.3);
      double x1 = x + len * std::cos(a - spread), y1 = y + len * std::sin(a - spread);
      double x2 = x + len * std::cos(a + spread), y2 = y + len * std::sin(a + spread);
      cairo_move_to(pen, x, y);
      cairo_line_to(pen, x1, y1);
      cairo_line_to(pen, x2, y2);
      cairo_close_path(pen);
      double alpha = color.A * rnd.Range(0.4, 1.0);
      SourceLinear(pen, x, y, x + len * std::cos(a), y + len * std::sin(a),
                   {{0, WithAlpha(color, alpha)}, {1, WithAlpha(color, 0)}});
      cairo_fill(pen);
    }
  }
  Blur(rays, 8);
  TSaved s(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
  cairo_set_source_surface(cr, rays.Get(), 0, 0);
  cairo_paint(cr);
}

void GreatTrunk(cairo_t* cr, double x, double baseY, double topY, double width, uint32_t seed, const TRgba& bark,
                double lean) {
  TNoise n(seed);
  auto edge = [&](double t, int side) {
    // t: 0 at the base, 1 at the top.
    double y = baseY + (topY - baseY) * t;
    double flare = std::pow(std::max(0.0, 1 - t * 4), 2) * width * 0.9;
    double wob = (n.Fbm(t * 3 + side * 7, 1.5, 3) - 0.5) * width * 0.25;
    double cx = x + lean * (baseY - y);
    return TPt{cx + side * (width / 2 + flare + wob), y};
  };
  auto outline = [&] {
    TPt p0 = edge(0, -1);
    cairo_move_to(cr, p0.X, p0.Y);
    for (int i = 1; i <= 40; ++i) {
      TPt p = edge(i / 40.0, -1);
      cairo_line_to(cr, p.X, p.Y);
    }
    for (int i = 40; i >= 0; --i) {
      TPt p = edge(i / 40.0, 1);
      cairo_line_to(cr, p.X, p.Y);
    }
    cairo_close_path(cr);
  };
  double x0 = x - width * 2.5, x1 = x + width * 2.5;
  int tw = static_cast<int>(x1 - x0) + 2, th = static_cast<int>(baseY - topY) + 4;
  if (tw < 2 || th < 2) return;
  TSurface tex = WoodTexture(tw, th, seed + 3, Shade(bark, 0.25), Shade(bark, -0.55), false, 1.6);
  outline();
  FillTexture(cr, tex, x0, topY - 2);
  // Round it: light from the left, shade on the right.
  SourceLinear(cr, x - width, 0, x + width, 0,
               {{0, Rgb(0xffe0a0, 0.25)}, {0.35, Rgb(0, 0)}, {0.75, Rgb(0, 0.35)}, {1, Rgb(0, 0.65)}});
  cairo_fill_preserve(cr);
  SetColor(cr, Shade(bark, -0.75));
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  // Moss on the shaded foot.
  TRandom rnd(seed + 9);
  for (int i = 0; i < 26; ++i) {
    double t = rnd.Range(0, 0.35);
    TPt l = edge(t, -1), r = edge(t, 1);
    double px = l.X + (r.X - l.X) * rnd.Range(0.45, 1.0), py = l.Y;
    cairo_arc(cr, px, py, rnd.Range(2, 5), 0, 2 * M_PI);
    SetColor(cr, Mix(Rgb(0x3a6a22, 0.85), Rgb(0x7aaa3a, 0.85), rnd.Unit()));
    cairo_fill(cr);
  }
}

void Foliage(cairo_t* cr, double cx, double cy, double rx, double ry, uint32_t seed, const TRgba& dark,
             const TRgba& light, int clumps) {
  TRandom rnd(seed);
  struct TClump {
    double X, Y, R;
  };
  std::vector<TClump> list;
  for (int i = 0; i < clumps; ++i) {
    double a = rnd.Range(0, 2 * M_PI), d = std::sqrt(rnd.Unit());
    list.push_back({cx + std::cos(a) * rx * d, cy + std::sin(a) * ry * d, std::min(rx, ry) * rnd.Range(0.22, 0.4)});
  }
  // Lower clumps first, so the lit upper ones lie over them.
  std::sort(list.begin(), list.end(), [](const TClump& a, const TClump& b) { return a.Y > b.Y; });
  for (const TClump& c : list) {
    double height = std::clamp((cy + ry - c.Y) / (2 * ry), 0.0, 1.0);
    TRgba base = Mix(dark, light, 0.2 + 0.55 * height);
    BlobPath(cr, c.X, c.Y, c.R, c.R * 0.85, 0.3, static_cast<uint32_t>(rnd.Next()), 26);
    SourceRadial2(cr, c.X - c.R * 0.4, c.Y - c.R * 0.5, c.R * 0.2, c.X, c.Y, c.R * 1.1,
                  {{0, Shade(base, 0.14)}, {0.6, base}, {1, Shade(base, -0.4)}});
    cairo_fill(cr);
    // The clump's leaves: a fringe of single leaves, lit on the upper left.
    if (c.R < 9) continue;
    int leaves = std::max(5, static_cast<int>(c.R * 0.8));
    for (int k = 0; k < leaves; ++k) {
      double a = rnd.Range(M_PI * 0.9, M_PI * 2.1), d = rnd.Range(0.55, 0.95);
      double x = c.X + std::cos(a) * c.R * d, y = c.Y + std::sin(a) * c.R * 0.85 * d;
      double lit = 0.5 + 0.5 * std::cos(a - M_PI * 1.25);
      TRgba col = Mix(Shade(base, -0.15), Shade(base, 0.35), lit);
      double size = std::clamp(c.R * 0.45, 3.0, 11.0) * rnd.Range(0.8, 1.2);
      Leaf(cr, x, y, size, size * 0.42, a + rnd.Range(-0.6, 0.6), WithAlpha(col, 0.95));
    }
  }
}

void Meadow(cairo_t* cr, double w, double y, double h, uint32_t seed, const TRgba& back, const TRgba& front,
            double flowers) {
  TRandom rnd(seed);
  TNoise n(seed);
  cairo_move_to(cr, -2, h + 2);
  for (double x = -2; x <= w + 4; x += 6) cairo_line_to(cr, x, y + 6 * (n.Fbm(x * 0.01, 0.2, 3) - 0.5));
  cairo_line_to(cr, w + 4, h + 2);
  cairo_close_path(cr);
  SourceLinear(cr, 0, y, 0, h, {{0, back}, {1, Shade(front, -0.4)}});
  cairo_fill(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  int blades = static_cast<int>(w * 1.2);
  for (int i = 0; i < blades; ++i) {
    double t = rnd.Unit();
    double bx = rnd.Range(-5, w + 5), by = y + (h - y) * t * 0.9 + 4;
    double len = rnd.Range(6, 16) * (0.7 + t);
    double bend = rnd.Range(-5, 5);
    cairo_move_to(cr, bx, by);
    cairo_curve_to(cr, bx, by - len * 0.5, bx + bend * 0.5, by - len * 0.8, bx + bend, by - len);
    TRgba c = Mix(back, front, t);
    SetColor(cr, Shade(c, rnd.Range(-0.2, 0.25)));
    cairo_set_line_width(cr, rnd.Range(1, 2.2));
    cairo_stroke(cr);
  }
  int count = static_cast<int>(w / 14 * flowers);
  const uint32_t colours[] = {0xfff6a0, 0xffc0dc, 0xd0b8ff, 0xffffff, 0xffa860};
  for (int i = 0; i < count; ++i) {
    double fx = rnd.Range(0, w), fy = y + (h - y) * rnd.Range(0.1, 0.9);
    double r = rnd.Range(1.6, 3.2) * (0.6 + (fy - y) / (h - y + 1));
    TRgba c = Rgb(colours[rnd.Int(5)]);
    for (int p = 0; p < 5; ++p) {
      double a = p * 2 * M_PI / 5;
      cairo_arc(cr, fx + r * std::cos(a), fy + r * std::sin(a), r * 0.75, 0, 2 * M_PI);
      SetColor(cr, c);
      cairo_fill(cr);
    }
    cairo_arc(cr, fx, fy, r * 0.5, 0, 2 * M_PI);
    SetColor(cr, Rgb(0xffc030));
    cairo_fill(cr);
  }
}

void Mushroom(cairo_t* cr, double x, double baseY, double size, const TRgba& cap, bool glowing) {
  if (glowing) Glow(cr, x, baseY - size * 0.9, size * 2.2, WithAlpha(Shade(cap, 0.3), 0.45));
  // Stem.
  cairo_move_to(cr, x - size * 0.18, baseY);
  cairo_curve_to(cr, x - size * 0.22, baseY - size * 0.4, x - size * 0.12, baseY - size * 0.7, x - size * 0.1,
                 baseY - size * 0.8);
  cairo_line_to(cr, x + size * 0.1, baseY - size * 0.8);
  cairo_curve_to(cr, x + size * 0.12, baseY - size * 0.7, x + size * 0.22, baseY - size * 0.4, x + size * 0.18,
                 baseY);
  cairo_close_path(cr);
  SourceLinear(cr, x - size * 0.2, 0, x + size * 0.2, 0, {{0, Rgb(0xf4ead0)}, {1, Rgb(0xa89a80)}});
  cairo_fill(cr);
  // Cap.
  double cy = baseY - size * 0.8;
  cairo_move_to(cr, x - size * 0.55, cy + size * 0.05);
  cairo_curve_to(cr, x - size * 0.55, cy - size * 0.55, x + size * 0.55, cy - size * 0.55, x + size * 0.55,
                 cy + size * 0.05);
  cairo_curve_to(cr, x + size * 0.2, cy - size * 0.05, x - size * 0.2, cy - size * 0.05, x - size * 0.55,
                 cy + size * 0.05);
  cairo_close_path(cr);
  SourceLinear(cr, 0, cy - size * 0.45, 0, cy, {{0, Shade(cap, 0.35)}, {1, Shade(cap, -0.3)}});
  cairo_fill_preserve(cr);
  SetColor(cr, Shade(cap, -0.6));
  cairo_set_line_width(cr, std::max(0.6, size * 0.04));
  cairo_stroke(cr);
  for (int i = 0; i < 4; ++i) {
    double sx = x + size * (-0.3 + 0.2 * i), sy = cy - size * (0.15 + 0.12 * (i % 2));
    cairo_arc(cr, sx, sy, size * 0.06, 0, 2 * M_PI);
    SetColor(cr, Rgb(0xffffff, glowing ? 0.95 : 0.85));
    cairo_fill(cr);
  }
}

void Fireflies(cairo_t* cr, double x0, double y0, double x1, double y1, int count, uint32_t seed,
               const TRgba& color) {
  TRandom rnd(seed);
  TSaved s(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
  for (int i = 0; i < count; ++i) {
    double x = rnd.Range(x0, x1), y = rnd.Range(y0, y1), r = rnd.Range(2.5, 6);
    double a = rnd.Range(0.4, 1.0);
    SourceRadial(cr, x, y, r, {{0, WithAlpha(color, a)}, {0.25, WithAlpha(color, a * 0.5)}, {1, WithAlpha(color, 0)}});
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_arc(cr, x, y, 0.9, 0, 2 * M_PI);
    SetColor(cr, TRgba{1, 1, 0.9, a});
    cairo_fill(cr);
  }
}

void Water(cairo_t* cr, double w, double y, double h, const TRgba& deep, const TRgba& shine, uint32_t seed) {
  cairo_rectangle(cr, 0, y, w, h - y);
  SourceLinear(cr, 0, y, 0, h, {{0, Shade(deep, 0.15)}, {1, Shade(deep, -0.35)}});
  cairo_fill(cr);
  TRandom rnd(seed);
  int lines = static_cast<int>((h - y) * 0.8);
  for (int i = 0; i < lines; ++i) {
    double t = rnd.Unit();
    double ly = y + 2 + (h - y - 4) * t * t;
    double lx = rnd.Range(-20, w), len = rnd.Range(10, 60) * (0.5 + t);
    Ellipse(cr, lx, ly, len, 0.6 + t);
    SetColor(cr, WithAlpha(shine, shine.A * rnd.Range(0.2, 0.8) * (1 - 0.5 * t)));
    cairo_fill(cr);
  }
}

void Castle(cairo_t* cr, double x, double baseY, double s, const TRgba& stone, const TRgba& windows,
            uint32_t seed) {
  TRandom rnd(seed);
  struct TTower {
    double X, W, H;
    bool Roof;
  };
  const TTower towers[] = {{-70, 18, 95, true}, {-42, 26, 130, true}, {-10, 34, 175, true}, {24, 24, 140, true},
                           {52, 20, 105, true}, {76, 14, 80, false}};
  auto shape = [&] {
    // The curtain wall with battlements.
    cairo_move_to(cr, x - 90 * s, baseY);
    cairo_line_to(cr, x - 90 * s, baseY - 50 * s);
    for (double bx = -90; bx < 90; bx += 10) {
      cairo_line_to(cr, x + bx * s, baseY - 56 * s);
      cairo_line_to(cr, x + (bx + 5) * s, baseY - 56 * s);
      cairo_line_to(cr, x + (bx + 5) * s, baseY - 50 * s);
      cairo_line_to(cr, x + (bx + 10) * s, baseY - 50 * s);
    }
    cairo_line_to(cr, x + 90 * s, baseY);
    cairo_close_path(cr);
    for (const TTower& t : towers) {
      double l = x + (t.X - t.W / 2) * s, r = x + (t.X + t.W / 2) * s, top = baseY - t.H * s;
      cairo_rectangle(cr, l, top, r - l, t.H * s);
      if (t.Roof) {
        cairo_move_to(cr, l - 3 * s, top);
        cairo_line_to(cr, (l + r) / 2, top - t.W * 1.5 * s);
        cairo_line_to(cr, r + 3 * s, top);
        cairo_close_path(cr);
      }
    }
  };
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  shape();
  SourceLinear(cr, 0, baseY - 200 * s, 0, baseY, {{0, Shade(stone, 0.15)}, {1, Shade(stone, -0.3)}});
  cairo_fill(cr);
  // Lit windows.
  for (const TTower& t : towers) {
    for (int k = 0; k < 3; ++k) {
      if (rnd.Unit() < 0.35) continue;
      double wx = x + (t.X + rnd.Range(-t.W * 0.25, t.W * 0.25)) * s;
      double wy = baseY - t.H * s * rnd.Range(0.45, 0.85);
      Glow(cr, wx, wy, 9 * s, WithAlpha(windows, 0.5));
      cairo_rectangle(cr, wx - 1.6 * s, wy - 3 * s, 3.2 * s, 6 * s);
      SetColor(cr, windows);
      cairo_fill(cr);
    }
    if (t.Roof) {
      double tip = baseY - t.H * s - t.W * 1.5 * s;
      cairo_move_to(cr, x + t.X * s, tip);
      cairo_line_to(cr, x + t.X * s, tip - 10 * s);
      SetColor(cr, Shade(stone, -0.3));
      cairo_set_line_width(cr, std::max(0.8, s));
      cairo_stroke(cr);
      Polygon(cr, {{x + t.X * s, tip - 10 * s}, {x + (t.X + 7) * s, tip - 8 * s}, {x + t.X * s, tip - 6 * s}});
      SetColor(cr, Rgb(0x8a1a2a));
      cairo_fill(cr);
    }
  }
  // The gate.
  cairo_move_to(cr, x - 9 * s, baseY);
  cairo_line_to(cr, x - 9 * s, baseY - 20 * s);
  cairo_arc(cr, x, baseY - 20 * s, 9 * s, M_PI, 2 * M_PI);
  cairo_line_to(cr, x + 9 * s, baseY);
  cairo_close_path(cr);
  SetColor(cr, Rgb(0x0a0408));
  cairo_fill(cr);
}

void Ruins(cairo_t* cr, double x, double baseY, double s, const TRgba& stone, uint32_t seed) {
  TSurface tex = StoneTexture(static_cast<int>(140 * s) + 2, static_cast<int>(130 * s) + 2, seed, Shade(stone, 0.2),
                              Shade(stone, -0.4), s);
  auto block = [&](double l, double t, double w, double h) {
    cairo_rectangle(cr, x + l * s, baseY - t * s, w * s, h * s);
  };
  // Two pillars and a broken arch.
  block(-60, 110, 22, 110);
  block(38, 80, 22, 80);
  cairo_move_to(cr, x - 60 * s, baseY - 110 * s);
  cairo_arc(cr, x, baseY - 96 * s, 60 * s, M_PI * 1.08, M_PI * 1.62);
  cairo_line_to(cr, x + 10 * s, baseY - 134 * s);
  cairo_arc_negative(cr, x, baseY - 96 * s, 40 * s, M_PI * 1.6, M_PI * 1.1);
  cairo_close_path(cr);
  FillTexture(cr, tex, x - 70 * s, baseY - 130 * s);
  SetColor(cr, Shade(stone, -0.6));
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  // Ivy over the stones.
  std::vector<TPt> ivy;
  for (int i = 0; i < 9; ++i) ivy.push_back({x + (-52 + std::sin(i) * 6) * s, baseY - (110 - i * 12) * s});
  Vine(cr, ivy, 1.4 * s, seed, 8 * s, 7 * s);
}

void Crystals(cairo_t* cr, double x, double baseY, double size, const TRgba& color, uint32_t seed) {
  TRandom rnd(seed);
  Glow(cr, x, baseY - size * 0.5, size * 1.6, WithAlpha(Shade(color, 0.3), 0.4));
  for (int i = 0; i < 5; ++i) {
    double a = rnd.Range(-0.6, 0.6), h = size * rnd.Range(0.5, 1.1), w = size * rnd.Range(0.14, 0.22);
    TSaved s(cr);
    cairo_translate(cr, x + rnd.Range(-size * 0.3, size * 0.3), baseY);
    cairo_rotate(cr, a);
    Polygon(cr, {{-w, 0}, {-w, -h * 0.8}, {0, -h}, {w, -h * 0.8}, {w, 0}});
    SourceLinear(cr, -w, 0, w, 0, {{0, Shade(color, 0.55)}, {0.5, color}, {0.51, Shade(color, -0.3)}, {1, Shade(color, -0.5)}});
    cairo_fill_preserve(cr);
    SetColor(cr, WithAlpha(Shade(color, 0.7), 0.8));
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
  }
}

void HangingLeaves(cairo_t* cr, double x0, double x1, double y, double depth, uint32_t seed, const TRgba& dark,
                   const TRgba& light) {
  TRandom rnd(seed);
  for (double x = x0; x < x1; x += rnd.Range(18, 40)) {
    std::vector<TPt> strand;
    double len = depth * rnd.Range(0.4, 1.0), sway = rnd.Range(-10, 10);
    for (int i = 0; i <= 8; ++i) {
      double t = i / 8.0;
      strand.push_back({x + sway * t * t + std::sin(t * 5 + x) * 3, y + len * t});
    }
    Vine(cr, strand, 1.2, static_cast<uint32_t>(rnd.Next()), 8, 8);
  }
  for (double x = x0; x < x1; x += rnd.Range(40, 70))
    Foliage(cr, x, y + depth * 0.1, rnd.Range(25, 45), depth * 0.22, static_cast<uint32_t>(rnd.Next()), dark, light, 12);
}

void GameTitle(cairo_t* cr, int w, int h, double cx, double y, double scale) {
  const std::string title = "Grovewright";
  const double size = 96 * scale;
  SetFont(cr, fontfiles::kChancery, size);
  const double tw = TextWidth(cr, title);
  const double x = cx - tw / 2;
  Shadow(cr, w, h, [&](cairo_t* c) {
    SetFont(c, fontfiles::kChancery, size);
    TextPath(c, title, x, y);
  }, 0, 0, 14 * scale, Rgb(0xfff0b0, 0.85));
  SetFont(cr, fontfiles::kChancery, size);
  TextPath(cr, title, x + 3 * scale, y + 5 * scale);
  SetColor(cr, Rgb(0x1a0c02, 0.6));
  cairo_fill(cr);
  TextPath(cr, title, x, y);
  SetColor(cr, Rgb(0x2a1404));
  cairo_set_line_width(cr, 5 * scale);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke_preserve(cr);
  SourceLinear(cr, 0, y - 70 * scale, 0, y + 20 * scale,
               {{0, Rgb(0xfffbe8)}, {0.4, Rgb(0xffe07a)}, {0.7, Rgb(0xf0a830)}, {1, Rgb(0xa05a10)}});
  cairo_fill(cr);
  // The subtitle on a ribbon of light.
  const std::string sub = "The Book of the Arvanels";
  SetFont(cr, fontfiles::kGaramondItalic, 27 * scale);
  const double sw = TextWidth(cr, sub);
  TextPath(cr, sub, cx - sw / 2, y + 44 * scale);
  SetColor(cr, Rgb(0x1a0c02));
  cairo_set_line_width(cr, 3.5 * scale);
  cairo_stroke_preserve(cr);
  SetColor(cr, Rgb(0xf4fff0));
  cairo_fill(cr);
  for (int side : {-1, 1})
    Leaf(cr, cx + side * (sw / 2 + 12 * scale), y + 35 * scale, 26 * scale, 8 * scale, side < 0 ? M_PI : 0,
         Rgb(0x6ac040));
  for (TPt p : {TPt{x + tw - 20 * scale, y - 72 * scale}, TPt{x + 30 * scale, y - 60 * scale},
                TPt{x + tw * 0.55, y + 8 * scale}}) {
    StarPath(cr, p.X, p.Y, 4, 10 * scale, 1.6 * scale, 0);
    SetColor(cr, Rgb(0xffffff, 0.95));
    cairo_fill(cr);
  }
}
