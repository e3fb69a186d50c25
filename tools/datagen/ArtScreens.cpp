// Screens: the studio's logo, the story map with its marker and level marks,
// game over, the hiscore hall, and the board's own panel.
#include <algorithm>
#include <cmath>

#include "Art.h"
#include "Figures.h"
#include "MapData.h"
#include "Materials.h"
#include "Scenery.h"

namespace {

// ---------------------------------------------------------------------------
// The studio's logo

void KestrelPath(cairo_t* cr) {
  // A kestrel hovering, wings spread, seen from below.
  cairo_move_to(cr, 0, -58);
  cairo_curve_to(cr, 9, -58, 13, -48, 12, -38);
  // Right wing: leading edge out to the tip, trailing edge back in.
  cairo_curve_to(cr, 40, -46, 90, -70, 150, -76);
  cairo_curve_to(cr, 120, -56, 92, -34, 70, -22);
  cairo_curve_to(cr, 60, -17, 48, -12, 30, -10);
  cairo_curve_to(cr, 22, -8, 16, 0, 14, 14);
  // Tail.
  cairo_line_to(cr, 26, 62);
  cairo_curve_to(cr, 10, 70, -10, 70, -26, 62);
  cairo_line_to(cr, -14, 14);
  // Left wing.
  cairo_curve_to(cr, -16, 0, -22, -8, -30, -10);
  cairo_curve_to(cr, -48, -12, -60, -17, -70, -22);
  cairo_curve_to(cr, -92, -34, -120, -56, -150, -76);
  cairo_curve_to(cr, -90, -70, -40, -46, -12, -38);
  cairo_curve_to(cr, -13, -48, -9, -58, 0, -58);
  cairo_close_path(cr);
}

TPatterns Logo() {
  return DrawOne(800, 600, [](cairo_t* cr) {
    cairo_rectangle(cr, 0, 0, 800, 600);
    SourceRadial(cr, 400, 260, 560, {{0, Rgb(0xfffbef)}, {0.55, Rgb(0xf4e6c8)}, {1, Rgb(0xc8a878)}});
    cairo_fill(cr);
    // The emblem: a gold ring with a sunburst, the kestrel across it.
    double cx = 400, cy = 250;
    for (int i = 0; i < 24; ++i) {
      double a = i * M_PI / 12;
      cairo_move_to(cr, cx, cy);
      cairo_line_to(cr, cx + 200 * std::cos(a - 0.05), cy + 200 * std::sin(a - 0.05));
      cairo_line_to(cr, cx + 200 * std::cos(a + 0.05), cy + 200 * std::sin(a + 0.05));
      cairo_close_path(cr);
    }
    SourceRadial(cr, cx, cy, 200, {{0, Rgb(0xffd890, 0.5)}, {1, Rgb(0xffd890, 0)}});
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, 118, 0, 2 * M_PI);
    SourceRadial(cr, cx, cy - 30, 130, {{0, Rgb(0x3a7a4a)}, {1, Rgb(0x123a22)}});
    cairo_fill_preserve(cr);
    SourceLinear(cr, 0, cy - 120, 0, cy + 120, {{0, Rgb(0xfff0a0)}, {0.5, Rgb(0xd8a038)}, {1, Rgb(0x8a5a14)}});
    cairo_set_line_width(cr, 9);
    cairo_stroke(cr);
    cairo_arc(cr, cx, cy, 106, 0, 2 * M_PI);
    SetColor(cr, Rgb(0xf0d080, 0.6));
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    // Leaves round the ring.
    for (int i = 0; i < 18; ++i) {
      double a = M_PI * 0.62 + i * M_PI * 0.1;
      if (i >= 9) a = M_PI * 0.38 - (i - 9) * M_PI * 0.1;
      double x = cx + 132 * std::cos(a), y = cy + 132 * std::sin(a);
      Leaf(cr, x, y, 22, 8, a + (i >= 9 ? -1.9 : 1.9), Rgb(0x4a9a3a));
    }
    Shadow(cr, 800, 600, [](cairo_t* c) {
      cairo_translate(c, 400, 256);
      KestrelPath(c);
    }, 4, 6, 6, Rgb(0, 0.5));
    {
      TSaved s(cr);
      cairo_translate(cr, cx, cy + 6);
      KestrelPath(cr);
      SourceLinear(cr, 0, -70, 0, 70, {{0, Rgb(0xe8a050)}, {0.5, Rgb(0xb8602a)}, {1, Rgb(0x6a3014)}});
      cairo_fill_preserve(cr);
      SetColor(cr, Rgb(0x2a1004));
      cairo_set_line_width(cr, 2.5);
      cairo_stroke(cr);
      // Feathers along the wings' trailing edges, and the eye.
      {
        TSaved clip(cr);
        KestrelPath(cr);
        cairo_clip(cr);
        cairo_set_line_width(cr, 1.3);
        SetColor(cr, Rgb(0x3a1a08, 0.55));
        for (int side : {-1, 1})
          for (int k = 0; k < 5; ++k) {
            double x = side * (36 + k * 20);
            cairo_move_to(cr, x, -16 - k * 4.5);
            cairo_line_to(cr, x + side * 12, -34 - k * 6);
          }
        cairo_stroke(cr);
      }
      cairo_arc(cr, 4, -48, 2.5, 0, 2 * M_PI);
      SetColor(cr, Rgb(0x101010));
      cairo_fill(cr);
    }
    // The studio's name.
    SetFont(cr, fontfiles::kLibertineBold, 64);
    const std::string name = "KESTRAVA";
    double spacing = 10, width = 0;
    for (char c : name) width += TextWidth(cr, std::string(1, c)) + spacing;
    width -= spacing;
    double x = cx - width / 2;
    for (char c : name) {
      std::string ch(1, c);
      TextPath(cr, ch, x, 462);
      x += TextWidth(cr, ch) + spacing;
    }
    SetColor(cr, Rgb(0x0a2414));
    cairo_fill(cr);
    SetFont(cr, fontfiles::kBiolinumBold, 22);
    const std::string games = "G  A  M  E  S";
    TextPathCentred(cr, games, cx, 500);
    SetColor(cr, Rgb(0x9a6a24));
    cairo_fill(cr);
    for (int side : {-1, 1}) {
      cairo_move_to(cr, cx + side * 70, 493);
      cairo_line_to(cr, cx + side * 170, 493);
      SetColor(cr, Rgb(0x9a6a24, 0.8));
      cairo_set_line_width(cr, 1.5);
      cairo_stroke(cr);
    }
  });
}

// ---------------------------------------------------------------------------
// The story map

void TreeIcon(cairo_t* cr, double x, double y, double s, bool conifer, const TRgba& c) {
  if (conifer) {
    Polygon(cr, {{x, y - 14 * s}, {x + 6 * s, y}, {x - 6 * s, y}});
  } else {
    cairo_arc(cr, x, y - 8 * s, 6 * s, 0, 2 * M_PI);
  }
  SetColor(cr, c);
  cairo_fill_preserve(cr);
  SetColor(cr, Rgb(0x2a1a08, 0.7));
  cairo_set_line_width(cr, 0.9);
  cairo_stroke(cr);
  cairo_move_to(cr, x, y - (conifer ? 0 : 3 * s));
  cairo_line_to(cr, x, y + 3 * s);
  cairo_stroke(cr);
}

void MountainIcon(cairo_t* cr, double x, double y, double s) {
  Polygon(cr, {{x - 18 * s, y}, {x, y - 26 * s}, {x + 18 * s, y}});
  SourceLinear(cr, x - 10 * s, 0, x + 10 * s, 0, {{0, Rgb(0xb8a080)}, {0.5, Rgb(0xa08868)}, {0.51, Rgb(0x7a6448)}, {1, Rgb(0x6a5438)}});
  cairo_fill_preserve(cr);
  SetColor(cr, Rgb(0x3a2a14, 0.8));
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  Polygon(cr, {{x - 6 * s, y - 17 * s}, {x, y - 26 * s}, {x + 6 * s, y - 17 * s}, {x + 2 * s, y - 19 * s},
               {x - 2 * s, y - 16 * s}});
  SetColor(cr, Rgb(0xfffaf0));
  cairo_fill(cr);
}

TPatterns Map(const TArtInputs& in) {
  TStoryMap story = LoadStoryMap(in.ContentDir);
  TSurface pic(800, 600);
  {
    TPen cr(pic);
    TSurface parchment = ParchmentTexture(800, 600, 700);
    cairo_set_source_surface(cr, parchment.Get(), 0, 0);
    cairo_paint(cr);
    TRandom rnd(701);
    // Regions in washes of colour.
    struct TWash {
      double X, Y, RX, RY;
      uint32_t C;
    };
    const TWash washes[] = {{150, 520, 170, 90, 0x7ab060}, {170, 360, 140, 110, 0x4a8a50}, {620, 460, 140, 60, 0x8a9a78},
                            {700, 340, 110, 90, 0xd09a58}, {440, 220, 170, 90, 0xa8b4c8}, {220, 130, 110, 60, 0xb098d0},
                            {480, 100, 100, 50, 0xc88a78}, {710, 80, 100, 70, 0x6a5a78}};
    for (const TWash& w : washes) {
      BlobPath(cr, w.X, w.Y, w.RX, w.RY, 0.25, static_cast<uint32_t>(rnd.Next()), 40);
      SetColor(cr, Rgb(w.C, 0.32));
      cairo_fill(cr);
    }
    // The river from the mountains down past the marsh.
    std::vector<TPt> river = {{470, 170}, {420, 260}, {440, 340}, {380, 420}, {430, 480}, {520, 520}, {600, 560}, {640, 610}};
    SmoothOpen(cr, river);
    SetColor(cr, Rgb(0x4a80b0, 0.55));
    cairo_set_line_width(cr, 10);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
    SmoothOpen(cr, river);
    SetColor(cr, Rgb(0xa8d0f0, 0.7));
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    // Woods, hills, peaks and the castle as little drawings.
    for (int i = 0; i < 70; ++i) {
      const TWash& w = washes[i % 2];
      double a = rnd.Range(0, 2 * M_PI), d = std::sqrt(rnd.Unit());
      double x = w.X + std::cos(a) * w.RX * d * 0.9, y = w.Y + std::sin(a) * w.RY * d * 0.9;
      TreeIcon(cr, x, y, rnd.Range(0.8, 1.2), i % 2 == 1, i % 2 ? Rgb(0x3a7a3a) : Rgb(0x6aa04a));
    }
    for (int i = 0; i < 14; ++i) {
      double x = 700 + rnd.Range(-90, 60), y = 340 + rnd.Range(-70, 70);
      TreeIcon(cr, x, y, rnd.Range(0.8, 1.1), false, Rgb(0xd08a38));
    }
    for (int i = 0; i < 9; ++i) MountainIcon(cr, 330 + i * 30 + rnd.Range(-8, 8), 250 + (i % 3) * 18 - 20 + rnd.Range(-6, 6), rnd.Range(0.9, 1.3));
    for (int i = 0; i < 10; ++i) {
      double x = 620 + rnd.Range(-110, 110), y = 462 + rnd.Range(-30, 30);
      cairo_move_to(cr, x - 6, y);
      cairo_curve_to(cr, x - 2, y - 3, x + 2, y - 3, x + 6, y);
      SetColor(cr, Rgb(0x4a6a50, 0.8));
      cairo_set_line_width(cr, 1.2);
      cairo_stroke(cr);
    }
    for (int i = 0; i < 5; ++i) {
      double x = 200 + rnd.Range(-60, 60), y = 130 + rnd.Range(-20, 20);
      Polygon(cr, {{x - 4, y}, {x, y - 14}, {x + 4, y}});
      SetColor(cr, Rgb(0xb070e0, 0.85));
      cairo_fill(cr);
    }
    Ruins(cr, 480, 110, 0.35, Rgb(0x9a8070), 702);
    // The grove's great tree and the castle.
    TreeIcon(cr, 58, 530, 2.6, false, Rgb(0x4a9a3a));
    cairo_move_to(cr, 708, 86);
    cairo_curve_to(cr, 716, 70, 720, 50, 722, 40);
    cairo_line_to(cr, 760, 40);
    cairo_curve_to(cr, 764, 55, 770, 70, 782, 86);
    cairo_close_path(cr);
    SetColor(cr, Rgb(0x4a3a58, 0.9));
    cairo_fill(cr);
    Castle(cr, 741, 44, 0.28, Rgb(0x2a1e38), Rgb(0xffc860), 703);
    // The trail, dashed like footsteps, with a shadow.
    std::vector<TPt> line = TrailPolyline(story.Trail);
    auto trail = [&] {
      cairo_move_to(cr, line[0].X, line[0].Y);
      for (size_t i = 1; i < line.size(); ++i) cairo_line_to(cr, line[i].X, line[i].Y);
    };
    trail();
    SetColor(cr, Rgb(0xfff4d8, 0.6));
    cairo_set_line_width(cr, 7);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    trail();
    const double dash[] = {7, 5};
    cairo_set_dash(cr, dash, 2, 0);
    SetColor(cr, Rgb(0x7a3a14, 0.9));
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    // Small stones where the levels lie (the game's marks stand on them).
    for (const TPt& p : story.Points) {
      cairo_arc(cr, p.X, p.Y, 3.2, 0, 2 * M_PI);
      SetColor(cr, Rgb(0x5a2a0a, 0.85));
      cairo_fill(cr);
      cairo_arc(cr, p.X - 0.8, p.Y - 0.8, 1.2, 0, 2 * M_PI);
      SetColor(cr, Rgb(0xffe8b0, 0.8));
      cairo_fill(cr);
    }
    // Names of the places.
    for (const TStoryMap::TLabel& l : story.Labels) {
      SetFont(cr, fontfiles::kChancery, 21);
      TextPathCentred(cr, l.Text, l.At.X, l.At.Y);
      SetColor(cr, Rgb(0xfff4dc, 0.85));
      cairo_set_line_width(cr, 4);
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
      cairo_stroke_preserve(cr);
      SetColor(cr, Rgb(0x4a220a));
      cairo_fill(cr);
    }
    // A compass rose.
    double kx = 735, ky = 545;
    cairo_arc(cr, kx, ky, 30, 0, 2 * M_PI);
    SetColor(cr, Rgb(0x7a4a1a, 0.6));
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    StarPath(cr, kx, ky, 4, 34, 7, 0);
    SourceRadial(cr, kx, ky, 34, {{0, Rgb(0xffe8a0)}, {1, Rgb(0xb07a2a)}});
    cairo_fill_preserve(cr);
    SetColor(cr, Rgb(0x4a2a0a));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    StarPath(cr, kx, ky, 4, 20, 5, M_PI / 4);
    SetColor(cr, Rgb(0x8a5a2a, 0.9));
    cairo_fill(cr);
    SetFont(cr, fontfiles::kLibertineBold, 14);
    TextPathCentred(cr, "N", kx, ky - 38);
    SetColor(cr, Rgb(0x4a2a0a));
    cairo_fill(cr);
  }
  // Burnt, darkened edges and a frame.
  ForEachPixel(pic, [](int x, int y, double& r, double& g, double& b, double&) {
    double dx = std::min(x, 799 - x), dy = std::min(y, 599 - y);
    double d = std::min(dx, dy);
    double f = d < 30 ? 0.45 + 0.55 * std::pow(d / 30.0, 0.7) : 1.0;
    r *= f;
    g *= f * 0.96;
    b *= f * 0.9;
  });
  {
    TPen cr(pic);
    cairo_rectangle(cr, 8, 8, 784, 584);
    SetColor(cr, Rgb(0x4a2a0a, 0.7));
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_rectangle(cr, 13, 13, 774, 574);
    SetColor(cr, Rgb(0x4a2a0a, 0.45));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  }
  Grain(pic, TNoise(704), 2.5, 0.04, 2);
  TPatterns out;
  out.push_back(std::move(pic));
  return out;
}

TPatterns MapMarker() {
  return DrawOne(30, 32, [](cairo_t* cr) {
    // The travelling arvanel with a soft light round it; the point it stands
    // for lies at (15, 20).
    SourceRadial(cr, 15, 20, 15, {{0, Rgb(0xfff6c0, 0.8)}, {1, Rgb(0xfff6c0, 0)}});
    cairo_paint(cr);
    DrawArvanel(cr, 15, 31, 27, ekForest, 1, 1);
  });
}

TPatterns LevelMark() {
  return DrawOne(16, 16, [](cairo_t* cr) {
    // A pennant on a pole, the pole's foot at the bottom middle, (8, 16).
    cairo_move_to(cr, 8, 15.5);
    cairo_line_to(cr, 8, 1.5);
    SetColor(cr, Rgb(0x3a2008));
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    Polygon(cr, {{8.6, 1.5}, {15.5, 4.2}, {8.6, 7.5}});
    SourceLinear(cr, 8, 1, 15, 7, {{0, Rgb(0xff6a4a)}, {1, Rgb(0xb81a1a)}});
    cairo_fill_preserve(cr);
    SetColor(cr, Rgb(0x4a0a0a));
    cairo_set_line_width(cr, 0.7);
    cairo_stroke(cr);
    cairo_arc(cr, 8, 1.6, 1.3, 0, 2 * M_PI);
    SetColor(cr, Rgb(0xffd060));
    cairo_fill(cr);
    Ellipse(cr, 8, 15, 3.5, 1);
    SetColor(cr, Rgb(0, 0.4));
    cairo_fill(cr);
  });
}

// ---------------------------------------------------------------------------
// Game over: a withered tree over a cracked seal that sits between the two
// words of the game-over line.

TPatterns GameOver() {
  return DrawOne(258, 400, [](cairo_t* cr) {
    // Where the gap between "GAME" and "OVER" falls (the line is centred on
    // the screen at y 300; the picture stands at (271, 100)).
    const double gapX = 400 - 271, lineY = 300 - 100 + 16;
    Glow(cr, gapX, 120, 140, Rgb(0x8a6ab0, 0.35));
    // The withered tree.
    auto branch = [&](auto&& self, double x, double y, double angle, double length, double width, int depth) -> void {
      double x1 = x + length * std::cos(angle), y1 = y + length * std::sin(angle);
      cairo_move_to(cr, x, y);
      cairo_line_to(cr, x1, y1);
      SetColor(cr, Rgb(0x2a2030));
      cairo_set_line_width(cr, width);
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
      cairo_stroke(cr);
      if (depth == 0) return;
      self(self, x1, y1, angle - 0.45 - depth * 0.03, length * 0.72, width * 0.65, depth - 1);
      self(self, x1, y1, angle + 0.38, length * 0.68, width * 0.62, depth - 1);
    };
    Ellipse(cr, gapX, 176, 110, 14);
    SourceRadial(cr, gapX, 176, 110, {{0, Rgb(0x2a2030)}, {0.7, Rgb(0x2a2030, 0.8)}, {1, Rgb(0x2a2030, 0)}});
    cairo_fill(cr);
    branch(branch, gapX, 172, -M_PI / 2, 46, 9, 5);
    // Falling leaves.
    TRandom rnd(802);
    for (int i = 0; i < 9; ++i)
      Leaf(cr, rnd.Range(20, 240), rnd.Range(60, 190), 8, 3, rnd.Range(0, 6.3), Rgb(0x8a6a3a, 0.8));
    // The cracked seal.
    cairo_arc(cr, gapX, lineY, 26, 0, 2 * M_PI);
    SourceRadial2(cr, gapX - 8, lineY - 8, 2, gapX, lineY, 26, {{0, Rgb(0x9a7ab8)}, {0.6, Rgb(0x4a2a6a)}, {1, Rgb(0x1a0a28)}});
    cairo_fill_preserve(cr);
    SetColor(cr, Rgb(0xc0a060));
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    cairo_move_to(cr, gapX - 6, lineY - 24);
    cairo_line_to(cr, gapX + 2, lineY - 8);
    cairo_line_to(cr, gapX - 4, lineY + 4);
    cairo_line_to(cr, gapX + 5, lineY + 24);
    SetColor(cr, Rgb(0x0a0410));
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    // Thorny roots below.
    for (int side : {-1, 1}) {
      std::vector<TPt> root;
      for (int k = 0; k <= 8; ++k) root.push_back({gapX + side * (8 + k * 12), lineY + 36 + k * 16 + std::sin(k) * 6});
      SmoothOpen(cr, root);
      SourceLinear(cr, 0, lineY, 0, 400, {{0, Rgb(0x4a3a50)}, {1, Rgb(0x4a3a50, 0)}});
      cairo_set_line_width(cr, 3);
      cairo_stroke(cr);
    }
  });
}

// ---------------------------------------------------------------------------
// The hiscore hall: a carved panel with rank medallions beside the rows the
// game writes (names at x 160, scores at x 500, rows at 150 + 35 i).

TPatterns Hiscores() {
  return DrawOne(800, 600, [](cairo_t* cr) {
    cairo_rectangle(cr, 0, 0, 800, 600);
    SourceRadial(cr, 400, 300, 520, {{0, Rgb(0x1e4a2a)}, {0.7, Rgb(0x0c2414)}, {1, Rgb(0x040c06)}});
    cairo_fill(cr);
    Fireflies(cr, 10, 10, 790, 590, 50, 901, Rgb(0xfff0a0, 0.5));
    HangingLeaves(cr, 0, 800, -10, 110, 902, Rgb(0x103a18), Rgb(0x5aa040));
    // The panel.
    auto panel = [](cairo_t* c) { RoundRect(c, 90, 160, 620, 360, 24); };
    Shadow(cr, 800, 600, panel, 5, 8, 12, Rgb(0, 0.8));
    panel(cr);
    TSurface wood = WoodTexture(640, 380, 903, Rgb(0x8a5a30), Rgb(0x3a1e0a), true, 1.6);
    FillTexture(cr, wood, 80, 150);
    Bevel(cr, 5, 0.35, 0.6);
    SourceLinear(cr, 0, 160, 0, 520, {{0, Rgb(0xfff0a0)}, {1, Rgb(0x8a5a18)}});
    cairo_set_line_width(cr, 3.5);
    cairo_stroke(cr);
    RoundRect(cr, 106, 176, 588, 328, 14);
    SetColor(cr, Rgb(0x06140a, 0.82));
    cairo_fill(cr);
    // Rows, with medallions bearing the ranks.
    for (int i = 1; i <= 9; ++i) {
      double top = 150 + 35 * i;
      if (i % 2 == 0) {
        RoundRect(cr, 116, top - 2, 568, 33, 6);
        SetColor(cr, Rgb(0x3a7a4a, 0.18));
        cairo_fill(cr);
      }
      double mx = 132, my = top + 14;
      uint32_t face = i == 1 ? 0xffd860 : i == 2 ? 0xe0e8f0 : i == 3 ? 0xe09a58 : 0x8a6a40;
      cairo_arc(cr, mx, my, 13, 0, 2 * M_PI);
      SourceRadial2(cr, mx - 4, my - 4, 1, mx, my, 13, {{0, Shade(Rgb(face), 0.5)}, {0.6, Rgb(face)}, {1, Shade(Rgb(face), -0.5)}});
      cairo_fill_preserve(cr);
      SetColor(cr, Rgb(0x2a1404));
      cairo_set_line_width(cr, 1.5);
      cairo_stroke(cr);
      SetFont(cr, fontfiles::kLibertineBold, 17);
      TextPathCentred(cr, std::to_string(i), mx, my + 6);
      SetColor(cr, Rgb(0x2a1404));
      cairo_fill(cr);
    }
    // The title on a ribbon.
    auto ribbon = [](cairo_t* c) {
      cairo_move_to(c, 180, 70);
      cairo_curve_to(c, 330, 52, 470, 52, 620, 70);
      cairo_line_to(c, 620, 130);
      cairo_curve_to(c, 470, 112, 330, 112, 180, 130);
      cairo_close_path(c);
    };
    for (int side : {-1, 1}) {
      double x0 = side < 0 ? 180 : 620, x1 = x0 + side * 50;
      Polygon(cr, {{x0, 84}, {x1, 84}, {x1 - side * 16, 112}, {x1, 140}, {x0, 140}});
      SourceLinear(cr, 0, 84, 0, 140, {{0, Rgb(0x2e7a2a)}, {1, Rgb(0x123e14)}});
      cairo_fill(cr);
    }
    Shadow(cr, 800, 600, ribbon, 2, 5, 5, Rgb(0, 0.6));
    ribbon(cr);
    SourceLinear(cr, 0, 52, 0, 130, {{0, Rgb(0x6ac84e)}, {0.45, Rgb(0x2e8a2e)}, {1, Rgb(0x155a1c)}});
    cairo_fill_preserve(cr);
    SetColor(cr, Rgb(0x0a2a0c));
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    SetFont(cr, fontfiles::kChancery, 50);
    TextPathCentred(cr, "Hall of Heroes", 400, 110);
    SetColor(cr, Rgb(0x2a1404));
    cairo_set_line_width(cr, 5);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    SourceLinear(cr, 0, 70, 0, 112, {{0, Rgb(0xfffbe0)}, {0.5, Rgb(0xffd860)}, {1, Rgb(0xd07a18)}});
    cairo_fill(cr);
    for (TPt p : {TPt{190, 58}, TPt{612, 56}, TPt{400, 40}}) {
      StarPath(cr, p.X, p.Y, 4, 10, 1.6, 0);
      SetColor(cr, Rgb(0xffffff, 0.95));
      cairo_fill(cr);
    }
    // Ivy climbing the panel's sides, outside its window: the rank
    // medallions along the left edge must stay clear.
    for (int side : {-1, 1}) {
      std::vector<TPt> ivy;
      for (int k = 0; k <= 12; ++k)
        ivy.push_back({400 + side * (338 - std::min(k, 3) * 6.0) + std::sin(k * 0.9) * 3, 560 - k * 22.0});
      Vine(cr, ivy, 2.2, side < 0 ? 904 : 905, 11, 12);
    }
    SetFont(cr, fontfiles::kGaramondItalic, 18);
    TextPathCentred(cr, "Click to return to the grove", 400, 570);
    SetColor(cr, Rgb(0xd8e8c0, 0.75));
    cairo_fill(cr);
  });
}

TPatterns BoardPanel() {
  return DrawOne(256, 256, [](cairo_t* cr) {
    // A framed panel of dark green: the board's own picture, never shown in
    // play, and a backing for windows.
    RoundRect(cr, 4, 4, 248, 248, 18);
    SourceLinear(cr, 0, 4, 0, 252, {{0, Rgb(0x1e4a2a, 0.95)}, {1, Rgb(0x0a2012, 0.95)}});
    cairo_fill_preserve(cr);
    SourceLinear(cr, 0, 4, 0, 252, {{0, Rgb(0xfff0a0)}, {1, Rgb(0x8a5a18)}});
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    RoundRect(cr, 12, 12, 232, 232, 12);
    SetColor(cr, Rgb(0xe8c070, 0.4));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    for (TPt p : {TPt{20, 20}, TPt{236, 20}, TPt{20, 236}, TPt{236, 236}}) {
      Leaf(cr, p.X, p.Y, 16, 6, std::atan2(128 - p.Y, 128 - p.X), Rgb(0x5ab040));
    }
  });
}

}  // namespace

void AddScreenArt(std::vector<TArtItem>& items) {
  const std::vector<std::string> src = {"ArtScreens.cpp", "Materials.cpp", "Materials.h", "Scenery.cpp",
                                        "Scenery.h",      "Figures.cpp",   "Figures.h",   "MapData.cpp"};
  auto add = [&](const char* key, std::function<TPatterns()> fn) {
    items.push_back({key, src, {}, [fn](const TArtInputs&) { return fn(); }});
  };
  add("kestrava.image", Logo);
  items.push_back({"mapa-correto.image", src, {"map/story-map.txt", std::string(kCampaignFolder) + "/"}, Map});
  add("mapa-arvanel.image", MapMarker);
  add("marcador-final.image", LevelMark);
  add("gameover.image", GameOver);
  add("hiscore.image", Hiscores);
  add("background1.image", BoardPanel);
}
