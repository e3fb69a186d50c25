#include "Figures.h"

#include <cmath>

#include "Materials.h"

namespace {

struct TLook {
  TRgba Light, Dark, Crown;
};

TLook LookOf(TElementKind e) {
  switch (e) {
    case ekForest: return {Rgb(0x9ae060), Rgb(0x2e7a2a), Rgb(0x5ac040)};
    case ekWater: return {Rgb(0x90e0ff), Rgb(0x1e62c8), Rgb(0x60c8ff)};
    case ekFire: return {Rgb(0xffc070), Rgb(0xc83c10), Rgb(0xffa020)};
    case ekMountain: return {Rgb(0xe0b890), Rgb(0x7a4a2a), Rgb(0x9a6a4a)};
  }
  return {};
}

void Crown(cairo_t* cr, TElementKind e, double r, const TLook& look) {
  // Drawn in head space: the head's centre at (0, 0), radius r.
  switch (e) {
    case ekForest: {
      Leaf(cr, -1, -r * 0.9, r * 0.9, r * 0.35, -M_PI / 2 - 0.5, look.Crown);
      Leaf(cr, 1, -r * 0.9, r * 0.9, r * 0.35, -M_PI / 2 + 0.5, Shade(look.Crown, 0.2));
      cairo_move_to(cr, 0, -r * 0.85);
      cairo_line_to(cr, 0, -r * 1.25);
      SetColor(cr, Rgb(0x3a6a20));
      cairo_set_line_width(cr, r * 0.08);
      cairo_stroke(cr);
      for (int k = 0; k < 5; ++k) {
        double a = k * 2 * M_PI / 5;
        cairo_arc(cr, r * 0.12 * std::cos(a), -r * 1.3 + r * 0.12 * std::sin(a), r * 0.1, 0, 2 * M_PI);
      }
      SetColor(cr, Rgb(0xffe0f0));
      cairo_fill(cr);
      break;
    }
    case ekWater: {
      cairo_move_to(cr, 0, -r * 1.55);
      cairo_curve_to(cr, r * 0.3, -r * 1.2, r * 0.45, -r * 1.0, r * 0.4, -r * 0.82);
      cairo_curve_to(cr, r * 0.2, -r * 0.7, -r * 0.2, -r * 0.7, -r * 0.4, -r * 0.82);
      cairo_curve_to(cr, -r * 0.45, -r * 1.0, -r * 0.3, -r * 1.2, 0, -r * 1.55);
      cairo_close_path(cr);
      SourceLinear(cr, -r * 0.4, -r * 1.5, r * 0.4, -r * 0.8, {{0, Rgb(0xe0ffff)}, {1, look.Crown}});
      cairo_fill_preserve(cr);
      SetColor(cr, Shade(look.Dark, -0.3));
      cairo_set_line_width(cr, r * 0.05);
      cairo_stroke(cr);
      break;
    }
    case ekFire: {
      for (int k = -2; k <= 2; ++k) {
        double x = k * r * 0.32, h = r * (0.9 - std::abs(k) * 0.18);
        cairo_move_to(cr, x - r * 0.25, -r * 0.75);
        cairo_curve_to(cr, x - r * 0.2, -r * 0.75 - h * 0.6, x + r * 0.1, -r * 0.75 - h * 0.7, x + k * r * 0.05,
                       -r * 0.75 - h);
        cairo_curve_to(cr, x + r * 0.25, -r * 0.75 - h * 0.5, x + r * 0.25, -r * 0.8, x + r * 0.25, -r * 0.75);
        cairo_close_path(cr);
      }
      SourceLinear(cr, 0, -r * 1.7, 0, -r * 0.7, {{0, Rgb(0xfff2a0)}, {0.5, Rgb(0xffa020)}, {1, Rgb(0xe04010)}});
      cairo_fill(cr);
      break;
    }
    case ekMountain: {
      Polygon(cr, {{-r * 0.6, -r * 0.78}, {-r * 0.1, -r * 1.5}, {r * 0.15, -r * 1.2}, {r * 0.3, -r * 1.35},
                   {r * 0.65, -r * 0.78}});
      SourceLinear(cr, -r * 0.5, -r * 1.4, r * 0.5, -r * 0.8, {{0, Rgb(0xb88a6a)}, {1, Rgb(0x5a3a24)}});
      cairo_fill_preserve(cr);
      SetColor(cr, Rgb(0x3a2414));
      cairo_set_line_width(cr, r * 0.05);
      cairo_stroke(cr);
      Polygon(cr, {{-r * 0.28, -r * 1.24}, {-r * 0.1, -r * 1.5}, {r * 0.06, -r * 1.3}, {-r * 0.06, -r * 1.22}});
      SetColor(cr, Rgb(0xffffff));
      cairo_fill(cr);
      break;
    }
  }
}

}  // namespace

void DrawArvanel(cairo_t* cr, double x, double baseY, double height, TElementKind element, int facing, int pose) {
  TLook look = LookOf(element);
  TSaved s(cr);
  cairo_translate(cr, x, baseY);
  cairo_scale(cr, facing < 0 ? -1 : 1, 1);
  double h = height;
  double headR = h * 0.25, headY = -h * 0.66;
  double stride = pose == 1 ? h * 0.06 : 0;
  // Shadow on the ground.
  Ellipse(cr, 0, 0, h * 0.22, h * 0.04);
  SetColor(cr, Rgb(0, 0.35));
  cairo_fill(cr);
  // Feet.
  for (int side : {-1, 1}) {
    Ellipse(cr, side * h * 0.08 + (side > 0 ? stride : -stride), -h * 0.03, h * 0.08, h * 0.04);
    SetColor(cr, Shade(look.Dark, -0.3));
    cairo_fill(cr);
  }
  // Body.
  auto body = [&] {
    cairo_move_to(cr, 0, -h * 0.48);
    cairo_curve_to(cr, h * 0.2, -h * 0.48, h * 0.2, -h * 0.05, 0, -h * 0.05);
    cairo_curve_to(cr, -h * 0.2, -h * 0.05, -h * 0.2, -h * 0.48, 0, -h * 0.48);
    cairo_close_path(cr);
  };
  body();
  SourceLinear(cr, -h * 0.15, -h * 0.45, h * 0.18, -h * 0.05, {{0, look.Light}, {1, look.Dark}});
  cairo_fill_preserve(cr);
  SetColor(cr, Shade(look.Dark, -0.5));
  cairo_set_line_width(cr, h * 0.012);
  cairo_stroke(cr);
  // A little golden scarf.
  cairo_move_to(cr, -h * 0.14, -h * 0.42);
  cairo_curve_to(cr, -h * 0.05, -h * 0.37, h * 0.05, -h * 0.37, h * 0.14, -h * 0.42);
  cairo_line_to(cr, h * 0.16, -h * 0.36);
  cairo_curve_to(cr, h * 0.05, -h * 0.31, -h * 0.05, -h * 0.31, -h * 0.16, -h * 0.36);
  cairo_close_path(cr);
  SourceLinear(cr, 0, -h * 0.42, 0, -h * 0.32, {{0, Rgb(0xffe080)}, {1, Rgb(0xc08020)}});
  cairo_fill(cr);
  // Arms.
  for (int side : {-1, 1}) {
    TSaved a(cr);
    cairo_translate(cr, side * h * 0.15, -h * 0.34);
    double angle = pose == 2 ? side * -2.45 : side * (0.5 + (pose == 1 ? 0.25 * side : 0));
    cairo_rotate(cr, angle);
    // Raised arms reach up past the head.
    double reach = pose == 2 ? 1.35 : 1.0;
    Ellipse(cr, 0, h * 0.09 * reach, h * 0.045, h * 0.1 * reach);
    SourceLinear(cr, -h * 0.05, 0, h * 0.05, 0, {{0, look.Light}, {1, look.Dark}});
    cairo_fill_preserve(cr);
    SetColor(cr, Shade(look.Dark, -0.5));
    cairo_set_line_width(cr, h * 0.01);
    cairo_stroke(cr);
  }
  // Head with leaf ears.
  cairo_translate(cr, 0, headY);
  for (int side : {-1, 1}) {
    Leaf(cr, side * headR * 0.8, headR * 0.05, headR * 0.75, headR * 0.3, side < 0 ? M_PI + 0.35 : -0.35,
         Mix(look.Light, look.Dark, 0.35));
  }
  Crown(cr, element, headR, look);
  cairo_arc(cr, 0, 0, headR, 0, 2 * M_PI);
  SourceRadial2(cr, -headR * 0.35, -headR * 0.4, headR * 0.1, 0, 0, headR * 1.1,
                {{0, Shade(look.Light, 0.3)}, {0.6, look.Light}, {1, look.Dark}});
  cairo_fill_preserve(cr);
  SetColor(cr, Shade(look.Dark, -0.5));
  cairo_set_line_width(cr, h * 0.012);
  cairo_stroke(cr);
  // Eyes, looking the way it faces.
  for (int side : {-1, 1}) {
    double ex = side * headR * 0.38 + headR * 0.08, ey = headR * 0.05;
    Ellipse(cr, ex, ey, headR * 0.2, headR * 0.27);
    SetColor(cr, Rgb(0xffffff));
    cairo_fill(cr);
    Ellipse(cr, ex + headR * 0.06, ey + headR * 0.04, headR * 0.12, headR * 0.17);
    SetColor(cr, Rgb(0x1a1020));
    cairo_fill(cr);
    cairo_arc(cr, ex + headR * 0.1, ey - headR * 0.04, headR * 0.05, 0, 2 * M_PI);
    SetColor(cr, Rgb(0xffffff));
    cairo_fill(cr);
  }
  // Cheeks and a smile.
  for (int side : {-1, 1}) {
    Ellipse(cr, side * headR * 0.55 + headR * 0.08, headR * 0.4, headR * 0.12, headR * 0.07);
    SetColor(cr, Rgb(0xff6a6a, 0.35));
    cairo_fill(cr);
  }
  cairo_arc(cr, headR * 0.08, headR * 0.38, headR * 0.16, 0.3, M_PI - 0.3);
  SetColor(cr, Rgb(0x2a1010));
  cairo_set_line_width(cr, h * 0.012);
  cairo_stroke(cr);
}

void DrawThief(cairo_t* cr, double x, double baseY, double height, bool carrying, bool bound) {
  TSaved s(cr);
  cairo_translate(cr, x, baseY);
  double h = height;
  Ellipse(cr, 0, 0, h * 0.3, h * 0.04);
  SetColor(cr, Rgb(0, 0.4));
  cairo_fill(cr);
  // The cloak, hood and all.
  auto cloak = [&] {
    cairo_move_to(cr, 0, -h);
    cairo_curve_to(cr, h * 0.16, -h * 0.98, h * 0.2, -h * 0.85, h * 0.2, -h * 0.76);
    cairo_curve_to(cr, h * 0.3, -h * 0.7, h * 0.32, -h * 0.4, h * 0.36, -h * 0.02);
    for (int k = 0; k < 6; ++k) {
      double hx = h * 0.36 - (k + 1) * h * 0.12;
      cairo_line_to(cr, hx + h * 0.06, -h * (k % 2 ? 0.0 : 0.05));
    }
    cairo_curve_to(cr, -h * 0.34, -h * 0.4, -h * 0.3, -h * 0.7, -h * 0.2, -h * 0.76);
    cairo_curve_to(cr, -h * 0.2, -h * 0.85, -h * 0.16, -h * 0.98, 0, -h);
    cairo_close_path(cr);
  };
  cloak();
  SourceLinear(cr, -h * 0.3, -h, h * 0.3, 0, {{0, Rgb(0x4a2a5a)}, {0.5, Rgb(0x2a1638)}, {1, Rgb(0x120818)}});
  cairo_fill_preserve(cr);
  SetColor(cr, Rgb(0x0a0410));
  cairo_set_line_width(cr, h * 0.01);
  cairo_stroke(cr);
  // Folds.
  cairo_set_line_width(cr, h * 0.008);
  SetColor(cr, Rgb(0x8a5aa0, 0.35));
  for (double fx : {-0.12, 0.02, 0.16}) {
    cairo_move_to(cr, fx * h, -h * 0.62);
    cairo_curve_to(cr, fx * h - h * 0.02, -h * 0.4, fx * h + h * 0.03, -h * 0.2, fx * h * 1.4, -h * 0.03);
  }
  cairo_stroke(cr);
  // The dark of the hood and the eyes in it.
  Ellipse(cr, h * 0.02, -h * 0.84, h * 0.1, h * 0.085);
  SetColor(cr, Rgb(0x040208));
  cairo_fill(cr);
  for (int side : {-1, 1}) {
    double ex = h * 0.02 + side * h * 0.04, ey = -h * 0.845;
    if (bound) {
      cairo_move_to(cr, ex - h * 0.015, ey - h * 0.015);
      cairo_line_to(cr, ex + h * 0.015, ey + h * 0.015);
      cairo_move_to(cr, ex + h * 0.015, ey - h * 0.015);
      cairo_line_to(cr, ex - h * 0.015, ey + h * 0.015);
      SetColor(cr, Rgb(0xc0a060));
      cairo_set_line_width(cr, h * 0.008);
      cairo_stroke(cr);
    } else {
      SourceRadial(cr, ex, ey, h * 0.04, {{0, Rgb(0xfff080)}, {0.3, Rgb(0xffc020, 0.8)}, {1, Rgb(0xff8000, 0)}});
      cairo_arc(cr, ex, ey, h * 0.04, 0, 2 * M_PI);
      cairo_fill(cr);
    }
  }
  if (carrying) {
    TSaved b(cr);
    cairo_translate(cr, h * 0.22, -h * 0.45);
    cairo_rotate(cr, 0.25);
    DrawMagicBook(cr, 0, 0, h * 0.24, false, 0.6);
    // The hand over it.
    Ellipse(cr, -h * 0.06, -h * 0.02, h * 0.05, h * 0.035);
    SetColor(cr, Rgb(0x1a0c22));
    cairo_fill(cr);
  }
  if (bound) {
    // Bound in vines by the arvanels.
    for (int k = 0; k < 4; ++k) {
      double y = -h * (0.25 + k * 0.13);
      std::vector<TPt> band;
      for (int i = 0; i <= 8; ++i) {
        double t = i / 8.0;
        band.push_back({-h * 0.3 + t * h * 0.6, y + std::sin(t * M_PI) * h * 0.05 + t * h * 0.03});
      }
      Vine(cr, band, h * 0.015, static_cast<uint32_t>(90 + k), h * 0.05, h * 0.06);
    }
  }
}

void DrawMagicBook(cairo_t* cr, double x, double y, double width, bool open, double glow) {
  TSaved s(cr);
  cairo_translate(cr, x, y);
  double w = width, h = width * (open ? 0.62 : 1.25);
  if (glow > 0) {
    SourceRadial(cr, 0, 0, w * 1.6, {{0, Rgb(0xfff4c0, 0.8 * glow)}, {0.4, Rgb(0xffd060, 0.35 * glow)},
                                     {1, Rgb(0xffd060, 0)}});
    cairo_arc(cr, 0, 0, w * 1.6, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  auto gold = [&](double y0, double y1) {
    SourceLinear(cr, 0, y0, 0, y1, {{0, Rgb(0xfff0a0)}, {0.5, Rgb(0xe0a838)}, {1, Rgb(0x8a5a14)}});
  };
  if (open) {
    // Two pages spread, curving up at the spine, with lines of runes.
    for (int side : {-1, 1}) {
      cairo_move_to(cr, 0, -h * 0.45);
      cairo_curve_to(cr, side * w * 0.2, -h * 0.6, side * w * 0.35, -h * 0.55, side * w * 0.5, -h * 0.5);
      cairo_line_to(cr, side * w * 0.5, h * 0.4);
      cairo_curve_to(cr, side * w * 0.35, h * 0.45, side * w * 0.2, h * 0.5, 0, h * 0.45);
      cairo_close_path(cr);
      SourceLinear(cr, 0, 0, side * w * 0.5, 0, {{0, Rgb(0xd8c490)}, {0.3, Rgb(0xfffbe8)}, {1, Rgb(0xf0e0b8)}});
      cairo_fill_preserve(cr);
      SetColor(cr, Rgb(0x6a4a20));
      cairo_set_line_width(cr, w * 0.012);
      cairo_stroke(cr);
      SetColor(cr, Rgb(0x8a5a30, 0.7));
      cairo_set_line_width(cr, w * 0.01);
      for (int k = 0; k < 6; ++k) {
        double ly = -h * 0.32 + k * h * 0.12;
        cairo_move_to(cr, side * w * 0.08, ly);
        cairo_line_to(cr, side * w * 0.42, ly + side * 0.0);
      }
      cairo_stroke(cr);
    }
    // Light rising from the pages.
    SourceRadial(cr, 0, -h * 0.2, w * 0.6, {{0, Rgb(0xffffff, 0.8 * glow)}, {1, Rgb(0xfff0a0, 0)}});
    cairo_arc(cr, 0, -h * 0.2, w * 0.6, 0, 2 * M_PI);
    cairo_fill(cr);
    return;
  }
  // Closed: pages at the fore-edge, the cover over them.
  RoundRect(cr, -w * 0.45, -h * 0.47, w * 0.98, h * 0.98, w * 0.05);
  SetColor(cr, Rgb(0xf4e8c8));
  cairo_fill(cr);
  RoundRect(cr, -w * 0.5, -h * 0.5, w * 0.94, h, w * 0.06);
  SourceLinear(cr, -w * 0.5, -h * 0.5, w * 0.5, h * 0.5, {{0, Rgb(0x8a2a5a)}, {0.5, Rgb(0x5a1a40)}, {1, Rgb(0x2a0a1e)}});
  cairo_fill_preserve(cr);
  SetColor(cr, Rgb(0x1a0410));
  cairo_set_line_width(cr, w * 0.02);
  cairo_stroke(cr);
  // Gold frame, corners, and the tree of life.
  RoundRect(cr, -w * 0.4, -h * 0.42, w * 0.74, h * 0.84, w * 0.04);
  gold(-h * 0.42, h * 0.42);
  cairo_set_line_width(cr, w * 0.025);
  cairo_stroke(cr);
  double cx = -w * 0.03;
  cairo_arc(cr, cx, 0, w * 0.2, 0, 2 * M_PI);
  gold(-w * 0.2, w * 0.2);
  cairo_set_line_width(cr, w * 0.03);
  cairo_stroke(cr);
  cairo_move_to(cr, cx, w * 0.15);
  cairo_line_to(cr, cx, -w * 0.02);
  for (int side : {-1, 1}) {
    cairo_move_to(cr, cx, w * 0.02);
    cairo_curve_to(cr, cx + side * w * 0.05, -w * 0.03, cx + side * w * 0.1, -w * 0.05, cx + side * w * 0.12, -w * 0.1);
  }
  cairo_set_line_width(cr, w * 0.025);
  cairo_stroke(cr);
  cairo_arc(cr, cx, -w * 0.08, w * 0.06, 0, 2 * M_PI);
  SetColor(cr, Rgb(0x7af0a0));
  cairo_fill(cr);
  for (int sx : {-1, 1})
    for (int sy : {-1, 1}) {
      cairo_arc(cr, cx + sx * w * 0.34, sy * h * 0.4, w * 0.045, 0, 2 * M_PI);
      gold(sy * h * 0.4 - w * 0.05, sy * h * 0.4 + w * 0.05);
      cairo_fill(cr);
    }
}

void DrawPedestal(cairo_t* cr, double x, double topY, double width) {
  TSurface stone = StoneTexture(static_cast<int>(width * 1.4) + 2, static_cast<int>(width * 1.6) + 2, 555,
                                Rgb(0xb8bcb0), Rgb(0x5a6058), 1.0);
  double w = width;
  auto part = [&](double l, double t, double ww, double hh) {
    RoundRect(cr, x + l, topY + t, ww, hh, w * 0.03);
    FillTexture(cr, stone, x - w * 0.7, topY);
    SourceLinear(cr, x + l, 0, x + l + ww, 0, {{0, Rgb(0xffffff, 0.2)}, {0.4, Rgb(0, 0)}, {1, Rgb(0, 0.45)}});
    cairo_fill_preserve(cr);
    SetColor(cr, Rgb(0x2a2e28));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
  };
  part(-w * 0.5, 0, w, w * 0.12);
  part(-w * 0.3, w * 0.12, w * 0.6, w * 0.9);
  part(-w * 0.6, w * 1.02, w * 1.2, w * 0.16);
  std::vector<TPt> ivy;
  for (int i = 0; i < 8; ++i) ivy.push_back({x - w * 0.25 + std::sin(i * 1.1) * w * 0.05, topY + w * (1.1 - i * 0.13)});
  Vine(cr, ivy, 1.5, 77, 9, 9);
}

void DrawOpenChest(cairo_t* cr, double x, double baseY, double width) {
  double w = width, h = width * 0.5;
  TSurface wood = WoodTexture(static_cast<int>(w * 1.2) + 2, static_cast<int>(w * 1.2) + 2, 808, Rgb(0xa86a38),
                              Rgb(0x4a260c), true, 1.0);
  auto gold = [&](double y0, double y1) {
    SourceLinear(cr, 0, y0, 0, y1, {{0, Rgb(0xfff0a0)}, {0.5, Rgb(0xd8a038)}, {1, Rgb(0x7a4a10)}});
  };
  // The lid, thrown back.
  double lidTop = baseY - h - w * 0.42;
  Polygon(cr, {{x - w * 0.5, baseY - h}, {x - w * 0.46, lidTop}, {x + w * 0.46, lidTop}, {x + w * 0.5, baseY - h}});
  FillTexture(cr, wood, x - w * 0.6, lidTop - 10);
  SourceLinear(cr, 0, lidTop, 0, baseY - h, {{0, Rgb(0, 0.1)}, {1, Rgb(0, 0.55)}});
  cairo_fill_preserve(cr);
  SetColor(cr, Rgb(0x2a1404));
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  // Inside: red velvet, empty, still faintly glowing where the book lay.
  Polygon(cr, {{x - w * 0.46, baseY - h}, {x + w * 0.46, baseY - h}, {x + w * 0.42, baseY - h + w * 0.08},
               {x - w * 0.42, baseY - h + w * 0.08}});
  SetColor(cr, Rgb(0x5a0a18));
  cairo_fill(cr);
  SourceRadial(cr, x, baseY - h, w * 0.35, {{0, Rgb(0xfff0a0, 0.5)}, {1, Rgb(0xfff0a0, 0)}});
  cairo_arc(cr, x, baseY - h, w * 0.35, 0, 2 * M_PI);
  cairo_fill(cr);
  // The body.
  cairo_rectangle(cr, x - w * 0.5, baseY - h, w, h);
  FillTexture(cr, wood, x - w * 0.6, baseY - h - 5);
  SourceLinear(cr, x - w * 0.5, 0, x + w * 0.5, 0, {{0, Rgb(0xffffff, 0.15)}, {0.5, Rgb(0, 0)}, {1, Rgb(0, 0.4)}});
  cairo_fill_preserve(cr);
  SetColor(cr, Rgb(0x2a1404));
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  for (double bx : {-0.42, 0.36}) {
    cairo_rectangle(cr, x + bx * w, baseY - h, w * 0.06, h);
    gold(baseY - h, baseY);
    cairo_fill(cr);
  }
  cairo_rectangle(cr, x - w * 0.5, baseY - h, w, w * 0.04);
  gold(baseY - h, baseY - h + w * 0.04);
  cairo_fill(cr);
  // The broken lock on the ground.
  RoundRect(cr, x + w * 0.55, baseY - w * 0.07, w * 0.08, w * 0.07, w * 0.015);
  gold(baseY - w * 0.07, baseY);
  cairo_fill(cr);
  cairo_arc(cr, x + w * 0.59, baseY - w * 0.07, w * 0.03, M_PI, 1.8 * M_PI);
  SetColor(cr, Rgb(0xa08040));
  cairo_set_line_width(cr, w * 0.012);
  cairo_stroke(cr);
}

void DrawRootDoor(cairo_t* cr, double x, double baseY, double size, bool lit) {
  double r = size / 2;
  cairo_move_to(cr, x - r, baseY);
  cairo_line_to(cr, x - r, baseY - r);
  cairo_arc(cr, x, baseY - r, r, M_PI, 2 * M_PI);
  cairo_line_to(cr, x + r, baseY);
  cairo_close_path(cr);
  SourceLinear(cr, x - r, 0, x + r, 0, {{0, Rgb(0xc08040)}, {1, Rgb(0x6a3a14)}});
  cairo_fill_preserve(cr);
  SetColor(cr, Rgb(0x2a1404));
  cairo_set_line_width(cr, std::max(1.0, size * 0.06));
  cairo_stroke(cr);
  cairo_arc(cr, x, baseY - r * 1.1, r * 0.32, 0, 2 * M_PI);
  SetColor(cr, lit ? Rgb(0xffd870) : Rgb(0x2a1a10));
  cairo_fill(cr);
  if (lit) Shadow(cr, static_cast<int>(x + r * 3), static_cast<int>(baseY + 5), [&](cairo_t* c) {
      cairo_arc(c, x, baseY - r * 1.1, r * 0.32, 0, 2 * M_PI);
      cairo_fill(c);
    }, 0, 0, r * 0.5, Rgb(0xffd870, 0.8));
  cairo_arc(cr, x + r * 0.55, baseY - r * 0.6, r * 0.08, 0, 2 * M_PI);
  SetColor(cr, Rgb(0xf0d080));
  cairo_fill(cr);
}
