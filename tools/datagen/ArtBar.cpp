// The in-game bar: the carved board along the bottom with the time vine's
// channel, the pots' medallion and the number plates; the vine; the four mana
// pots; the level-complete banner and the cursor.
#include <cmath>

#include "Art.h"
#include "Materials.h"

namespace {

constexpr double kBarTop = 510;  // screen y of the bar image
constexpr double kBodyTop = 527;  // screen y where the wooden board starts
constexpr double kPotsX = 412, kPotsY = 556, kMedallion = 45;

void Label(cairo_t* cr, const std::string& text, double cx, double y) {
  SetFont(cr, fontfiles::kBiolinumBold, 10.5);
  TextPathCentred(cr, text, cx, y + 1);
  SetColor(cr, Rgb(0x1a0c04, 0.8));
  cairo_fill(cr);
  TextPathCentred(cr, text, cx, y);
  SourceLinear(cr, 0, y - 9, 0, y, {{0, Rgb(0xfff2b0)}, {1, Rgb(0xd8a040)}});
  cairo_fill(cr);
}

void Plate(cairo_t* cr, double x, double y, double w, double h) {
  RoundRect(cr, x, y, w, h, 5);
  SourceLinear(cr, 0, y, 0, y + h, {{0, Rgb(0x0e1a0e)}, {1, Rgb(0x1e3020)}});
  cairo_fill_preserve(cr);
  cairo_save(cr);
  cairo_clip_preserve(cr);
  cairo_set_line_width(cr, 4);
  SourceLinear(cr, x, y, x, y + h, {{0, Rgb(0, 0.7)}, {0.5, Rgb(0, 0)}, {1, Rgb(0x90c080, 0.15)}});
  cairo_stroke_preserve(cr);
  cairo_restore(cr);
  SourceLinear(cr, 0, y, 0, y + h, {{0, Rgb(0x3a2008)}, {1, Rgb(0xe0b060)}});
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
}

TPatterns Bar() {
  return DrawOne(800, 90, [](cairo_t* cr) {
    cairo_translate(cr, 0, -kBarTop);
    TSurface wood = WoodTexture(800, 80, 5150, Rgb(0xb67a40), Rgb(0x5c3212), true, 1.3);
    // Shadow cast up onto the board.
    Shadow(cr, 800, 600, [](cairo_t* c) {
      cairo_rectangle(c, 0, kBodyTop, 800, 80);
      cairo_arc(c, kPotsX, kPotsY, kMedallion, 0, 2 * M_PI);
    }, 0, -2, 4, Rgb(0, 0.55));
    // The board.
    cairo_rectangle(cr, 0, kBodyTop, 800, 600 - kBodyTop);
    FillTexture(cr, wood, 0, kBodyTop);
    SourceLinear(cr, 0, kBodyTop, 0, 600, {{0, Rgb(0xffe0b0, 0.25)}, {0.15, Rgb(0, 0)}, {1, Rgb(0, 0.35)}});
    cairo_fill(cr);
    // Gold trim and a dark lip along the top.
    cairo_rectangle(cr, 0, kBodyTop, 800, 3);
    SourceLinear(cr, 0, kBodyTop, 0, kBodyTop + 3, {{0, Rgb(0xfff0a0)}, {1, Rgb(0xa06a18)}});
    cairo_fill(cr);
    cairo_rectangle(cr, 0, kBodyTop + 3, 800, 1);
    SetColor(cr, Rgb(0x2a1404, 0.8));
    cairo_fill(cr);
    // The vine's channel: a hollow the vine lies in, its end capped.
    RoundRect(cr, -10, 538, 352, 58, 12);
    SourceLinear(cr, 0, 538, 0, 596, {{0, Rgb(0x08140a)}, {0.5, Rgb(0x10261a)}, {1, Rgb(0x183222)}});
    cairo_fill_preserve(cr);
    cairo_save(cr);
    cairo_clip_preserve(cr);
    cairo_set_line_width(cr, 6);
    SourceLinear(cr, 0, 538, 0, 596, {{0, Rgb(0, 0.8)}, {0.5, Rgb(0, 0)}, {1, Rgb(0x80b070, 0.18)}});
    cairo_stroke_preserve(cr);
    cairo_restore(cr);
    SourceLinear(cr, 0, 538, 0, 596, {{0, Rgb(0x2a1404)}, {1, Rgb(0xe8b868)}});
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    // Faint marks along the channel, like a sundial's.
    for (int i = 1; i < 8; ++i) {
      double x = i * 42;
      cairo_move_to(cr, x, 545);
      cairo_line_to(cr, x, 551);
      cairo_move_to(cr, x, 583);
      cairo_line_to(cr, x, 589);
    }
    SetColor(cr, Rgb(0x7ab87a, 0.25));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    // The pots' medallion.
    Shadow(cr, 800, 600, [](cairo_t* c) { cairo_arc(c, kPotsX, kPotsY, kMedallion, 0, 2 * M_PI); }, 0, 2, 3,
           Rgb(0, 0.6));
    cairo_arc(cr, kPotsX, kPotsY, kMedallion, 0, 2 * M_PI);
    TSurface stone = StoneTexture(100, 100, 6161, Rgb(0x6a7a5a), Rgb(0x2c3628), 1.2);
    FillTexture(cr, stone, kPotsX - 50, kPotsY - 50);
    Bevel(cr, 3, 0.45, 0.6);
    SourceLinear(cr, 0, kPotsY - kMedallion, 0, kPotsY + kMedallion, {{0, Rgb(0xfff0a0)}, {1, Rgb(0x7a4a10)}});
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    cairo_arc(cr, kPotsX, kPotsY, kMedallion - 5, 0, 2 * M_PI);
    SetColor(cr, Rgb(0xe8c070, 0.35));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // A four-pointed star joins the pots.
    StarPath(cr, kPotsX, kPotsY, 4, 38, 9, 0);
    SourceRadial(cr, kPotsX, kPotsY, 38, {{0, Rgb(0xfff4c0, 0.55)}, {1, Rgb(0xc89030, 0.2)}});
    cairo_fill_preserve(cr);
    SetColor(cr, Rgb(0x3a2408, 0.5));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // Sockets the pots sit in.
    const TPt sockets[] = {{397 + 15.5, 522 + 15.5}, {397 + 15.5, 557 + 15.5}, {367 + 15.5, 540 + 15.5},
                           {426 + 15.5, 540 + 15.5}};
    for (const TPt& s : sockets) {
      cairo_arc(cr, s.X, s.Y, 16.5, 0, 2 * M_PI);
      SetColor(cr, Rgb(0x0a0e08, 0.7));
      cairo_fill(cr);
    }
    // Number plates with their labels.
    Label(cr, "LIVES", 492, 547);
    Plate(cr, 470, 551, 44, 34);
    Label(cr, "LEVEL", 556, 547);
    Plate(cr, 534, 551, 44, 34);
    Label(cr, "SCORE", 700, 547);
    Plate(cr, 603, 551, 190, 34);
    // Ivy along the top edge, leaving the medallion free.
    std::vector<TPt> left, right;
    for (int i = 0; i <= 24; ++i) left.push_back({4 + i * 14.0, kBodyTop + 1 + std::sin(i * 0.9) * 2.5});
    for (int i = 0; i <= 22; ++i) right.push_back({462 + i * 15.0, kBodyTop + 1 + std::sin(i * 1.1 + 1) * 2.5});
    Vine(cr, left, 1.6, 71, 11, 8);
    Vine(cr, right, 1.6, 72, 11, 8);
  });
}

TPatterns VineImage() {
  return DrawOne(336, 69, [](cairo_t* cr) {
    // The time vine: a living stem that grows along the channel, its tip on
    // the right (the end that the clock eats away).
    std::vector<TPt> stem;
    for (int i = 0; i <= 34; ++i) {
      double x = -6 + i * 10.0;
      stem.push_back({std::min(x, 328.0), 30 + std::sin(i * 0.62) * 8});
    }
    std::vector<TPt> twin;
    for (int i = 0; i <= 34; ++i) twin.push_back({-6 + i * 10.0, 30 + std::sin(i * 0.62 + 2.6) * 7});
    Shadow(cr, 336, 69, [&](cairo_t* c) {
      SmoothOpen(c, stem);
      cairo_set_line_width(c, 7);
      cairo_stroke(c);
    }, 1, 3, 3, Rgb(0, 0.6));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    SmoothOpen(cr, twin);
    SetColor(cr, Rgb(0x1c3a12));
    cairo_set_line_width(cr, 3.4);
    cairo_stroke(cr);
    SmoothOpen(cr, twin);
    SetColor(cr, Rgb(0x4a7a26));
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    SmoothOpen(cr, stem);
    SetColor(cr, Rgb(0x1a3610));
    cairo_set_line_width(cr, 7);
    cairo_stroke(cr);
    SmoothOpen(cr, stem);
    SourceLinear(cr, 0, 22, 0, 38, {{0, Rgb(0x9ad85a)}, {0.5, Rgb(0x4f9a2e)}, {1, Rgb(0x2a5a18)}});
    cairo_set_line_width(cr, 5);
    cairo_stroke(cr);
    // Leaves and blossoms along it.
    TRandom rnd(99);
    for (int i = 0; i < 32; ++i) {
      double x = 4 + i * 10.2 + rnd.Range(-2, 2);
      if (x > 318) break;
      double y = 30 + std::sin((x + 6) / 10.0 * 0.62) * 8;
      int side = i % 2 ? 1 : -1;
      double a = side * (M_PI / 2 + rnd.Range(-0.5, 0.3)) + rnd.Range(-0.3, 0.3);
      TRgba col = Mix(Rgb(0x3c8a2a), Rgb(0x9ad04a), rnd.Unit());
      Leaf(cr, x, y, rnd.Range(11, 15), rnd.Range(4.5, 6), a, col);
      if (i % 5 == 2) {
        double fx = x + rnd.Range(-3, 3), fy = y - side * 11;
        for (int p = 0; p < 5; ++p) {
          double pa = p * 2 * M_PI / 5;
          Ellipse(cr, fx + 3 * std::cos(pa), fy + 3 * std::sin(pa), 2.6, 2.6);
        }
        SourceRadial(cr, fx, fy, 6, {{0, Rgb(0xffffff)}, {1, Rgb(0xffb8d8)}});
        cairo_fill(cr);
        cairo_arc(cr, fx, fy, 1.6, 0, 2 * M_PI);
        SetColor(cr, Rgb(0xffd040));
        cairo_fill(cr);
      }
    }
    // The growing tip: a curl and a bud.
    cairo_move_to(cr, 322, 30 + std::sin(32.8 * 0.62) * 8);
    cairo_curve_to(cr, 334, 20, 326, 10, 320, 16);
    SetColor(cr, Rgb(0x5aa030));
    cairo_set_line_width(cr, 2.2);
    cairo_stroke(cr);
    Ellipse(cr, 328, 34, 4, 5.5);
    SourceRadial(cr, 327, 32, 6, {{0, Rgb(0xfff0a0)}, {1, Rgb(0xe08a20)}});
    cairo_fill(cr);
  });
}

// The plate at the right end of the vine's channel on which the game writes
// the seconds left: a number plate like those of the lives and the score.
TPatterns ClockPlate() {
  return DrawOne(56, 34, [](cairo_t* cr) {
    Shadow(cr, 56, 34, [](cairo_t* c) { RoundRect(c, 1.5, 1.5, 53, 31, 5); }, 0, 1, 2, Rgb(0, 0.7));
    Plate(cr, 1.5, 1.5, 53, 31);
  });
}

// ---------------------------------------------------------------------------
// Mana pots

struct TElement {
  TRgba Liquid, Glow;
  int Symbol;  // 0 leaf, 1 drop, 2 flame, 3 peak
};

void Symbol(cairo_t* cr, int symbol, double cx, double cy, double s) {
  TSaved saved(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, s, s);
  switch (symbol) {
    case 0:
      cairo_move_to(cr, 0, 6);
      cairo_curve_to(cr, -6, 2, -5, -5, 0, -7);
      cairo_curve_to(cr, 5, -5, 6, 2, 0, 6);
      cairo_close_path(cr);
      break;
    case 1:
      cairo_move_to(cr, 0, -7);
      cairo_curve_to(cr, 2, -3, 5.5, 0, 5.5, 2.5);
      cairo_curve_to(cr, 5.5, 5.5, 3, 7, 0, 7);
      cairo_curve_to(cr, -3, 7, -5.5, 5.5, -5.5, 2.5);
      cairo_curve_to(cr, -5.5, 0, -2, -3, 0, -7);
      cairo_close_path(cr);
      break;
    case 2:
      cairo_move_to(cr, 0, 7);
      cairo_curve_to(cr, -5, 6, -6, 1, -3, -3);
      cairo_curve_to(cr, -2, 0, -1, 0, -1, -1);
      cairo_curve_to(cr, -1, -4, 1, -6, 1, -8);
      cairo_curve_to(cr, 4, -4, 6, 1, 4, 5);
      cairo_curve_to(cr, 3, 6.5, 1.5, 7, 0, 7);
      cairo_close_path(cr);
      break;
    case 3:
      cairo_move_to(cr, -7, 6);
      cairo_line_to(cr, -1.5, -5);
      cairo_line_to(cr, 1, -1);
      cairo_line_to(cr, 3, -3.5);
      cairo_line_to(cr, 7, 6);
      cairo_close_path(cr);
      break;
  }
}

// A round flask of glass in a gold ring. full 0 empty .. 1 full; glow for the
// spell button's pulse.
void Pot(cairo_t* cr, const TElement& e, bool full, double glow) {
  const double cx = 15.5, cy = 15.5, r = 13;
  if (glow > 0) {
    SourceRadial(cr, cx, cy, 15.5, {{0, WithAlpha(e.Glow, 0.9 * glow)}, {0.75, WithAlpha(e.Glow, 0.5 * glow)},
                                    {1, WithAlpha(e.Glow, 0)}});
    cairo_paint(cr);
  }
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  if (full) {
    // The spell button's pulse brightens the liquid itself.
    TRgba liquid = Mix(e.Liquid, e.Glow, 0.55 * glow);
    SourceRadial2(cr, cx - 4, cy - 5, 1, cx, cy, r,
                  {{0, Shade(liquid, 0.65)}, {0.45, liquid}, {1, Shade(liquid, -0.55 + 0.3 * glow)}});
  } else {
    SourceRadial2(cr, cx - 4, cy - 5, 1, cx, cy, r, {{0, Rgb(0x3a4a48)}, {0.6, Rgb(0x1a2422)}, {1, Rgb(0x0a100e)}});
  }
  cairo_fill(cr);
  // The element's sign.
  Symbol(cr, e.Symbol, cx, cy + 0.5, 1.05);
  if (full) {
    SetColor(cr, Rgb(0xffffff, 0.85 + 0.15 * glow));
  } else {
    SetColor(cr, WithAlpha(Shade(e.Liquid, -0.2), 0.45));
  }
  cairo_fill(cr);
  // Glass reflections.
  {
    TSaved s(cr);
    cairo_translate(cr, cx - 5, cy - 6);
    cairo_rotate(cr, -0.7);
    Ellipse(cr, 0, 0, 4.5, 2.2);
    SetColor(cr, Rgb(0xffffff, full ? 0.7 : 0.35));
    cairo_fill(cr);
  }
  cairo_arc(cr, cx, cy, r - 1.5, 0.3, 1.4);
  SetColor(cr, Rgb(0xffffff, 0.3));
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  // Gold ring, catching the glow when the button pulses.
  cairo_arc(cr, cx, cy, r + 0.6, 0, 2 * M_PI);
  SourceLinear(cr, 0, 2, 0, 29, {{0, Mix(Rgb(0xfff2a8), Rgb(0xffffff), glow)}, {0.5, Mix(Rgb(0xd8a038), e.Glow, 0.6 * glow)},
                                 {1, Mix(Rgb(0x7a4a10), e.Glow, 0.4 * glow)}});
  cairo_set_line_width(cr, 2.4);
  cairo_stroke(cr);
  cairo_arc(cr, cx, cy, r + 2, 0, 2 * M_PI);
  SetColor(cr, Rgb(0x2a1804, 0.8));
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
  if (glow > 0.5) {
    StarPath(cr, cx + 7, cy - 8, 4, 4.5, 0.8, 0);
    SetColor(cr, Rgb(0xffffff, glow));
    cairo_fill(cr);
  }
}

// The halo that pulses behind the spell button of a full pot: a ring of
// light around the pot and short rays, white, for an additive draw tinted
// with the element's colour. Its middle is clear, so the pot keeps its look.
TPatterns PotGlow() {
  return DrawOne(64, 64, [](cairo_t* cr) {
    const double c = 32;
    SourceRadial(cr, c, c, 32, {{0, Rgb(0xffffff, 0)}, {0.4, Rgb(0xffffff, 0)}, {0.52, Rgb(0xffffff, 0.95)},
                                {0.72, Rgb(0xffffff, 0.35)}, {1, Rgb(0xffffff, 0)}});
    cairo_paint(cr);
    for (int i = 0; i < 8; ++i) {
      const double a = i * M_PI / 4 + M_PI / 8;
      const double r0 = 18, r1 = i % 2 ? 27 : 31;
      cairo_move_to(cr, c + r0 * std::cos(a - 0.12), c + r0 * std::sin(a - 0.12));
      cairo_line_to(cr, c + r1 * std::cos(a), c + r1 * std::sin(a));
      cairo_line_to(cr, c + r0 * std::cos(a + 0.12), c + r0 * std::sin(a + 0.12));
      cairo_close_path(cr);
    }
    SourceRadial(cr, c, c, 31, {{0.5, Rgb(0xffffff, 0.8)}, {1, Rgb(0xffffff, 0)}});
    cairo_fill(cr);
  });
}

TPatterns PotImage(const TElement& e) {
  return DrawFrames(5, 31, 31, [e](cairo_t* cr, int i) {
    // 0 and 1 empty, 4 full; 2 and 3 the full pot glowing as the spell
    // button pulses (2, 3, 4, 3, 2 ...).
    if (i <= 1)
      Pot(cr, e, false, 0);
    else
      Pot(cr, e, true, i == 2 ? 1.0 : i == 3 ? 0.55 : 0.0);
  });
}

// ---------------------------------------------------------------------------

TPatterns LevelComplete() {
  return DrawOne(480, 128, [](cairo_t* cr) {
    // A green ribbon with folded tails, the words in gold over it.
    auto ribbon = [](cairo_t* c) {
      cairo_move_to(c, 52, 44);
      cairo_curve_to(c, 160, 30, 320, 30, 428, 44);
      cairo_line_to(c, 428, 96);
      cairo_curve_to(c, 320, 82, 160, 82, 52, 96);
      cairo_close_path(c);
    };
    {
      // A halo of light behind the ribbon, faded out before the picture's edges.
      TSaved halo(cr);
      cairo_translate(cr, 240, 64);
      cairo_scale(cr, 1, 0.26);
      SourceRadial(cr, 0, 0, 236, {{0, Rgb(0xfff0a0, 0.6)}, {0.5, Rgb(0xffd060, 0.2)}, {1, Rgb(0xffd060, 0)}});
      cairo_paint(cr);
    }
    // Tails behind.
    for (int side : {-1, 1}) {
      double x0 = side < 0 ? 52 : 428;
      double x1 = x0 + side * 44;
      Polygon(cr, {{x0, 56}, {x1, 56}, {x1 - side * 14, 80}, {x1, 104}, {x0, 104}});
      SourceLinear(cr, 0, 56, 0, 104, {{0, Rgb(0x2e7a2a)}, {1, Rgb(0x123e14)}});
      cairo_fill_preserve(cr);
      SetColor(cr, Rgb(0x0a2208));
      cairo_set_line_width(cr, 2);
      cairo_stroke(cr);
      Polygon(cr, {{x0, 96}, {x0, 104}, {x0 + side * 12, 104}});
      SetColor(cr, Rgb(0x082006));
      cairo_fill(cr);
    }
    Shadow(cr, 480, 128, ribbon, 2, 5, 5, Rgb(0, 0.6));
    ribbon(cr);
    SourceLinear(cr, 0, 32, 0, 96, {{0, Rgb(0x6ac84e)}, {0.45, Rgb(0x2e8a2e)}, {1, Rgb(0x155a1c)}});
    cairo_fill_preserve(cr);
    SetColor(cr, Rgb(0x0a2a0c));
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    cairo_move_to(cr, 60, 51);
    cairo_curve_to(cr, 160, 38, 320, 38, 420, 51);
    cairo_move_to(cr, 60, 89);
    cairo_curve_to(cr, 160, 76, 320, 76, 420, 89);
    SetColor(cr, Rgb(0xffe080, 0.8));
    cairo_set_line_width(cr, 1.4);
    const double dash[] = {5, 3};
    cairo_set_dash(cr, dash, 2, 0);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    // The words.
    SetFont(cr, fontfiles::kBookmanDemi, 38);
    const std::string text = "Level Complete!";
    double w = TextWidth(cr, text);
    TextPath(cr, text, 240 - w / 2, 78);
    SetColor(cr, Rgb(0x2a1404));
    cairo_set_line_width(cr, 5);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    SourceLinear(cr, 0, 48, 0, 80, {{0, Rgb(0xfffbe0)}, {0.45, Rgb(0xffd860)}, {1, Rgb(0xd07a18)}});
    cairo_fill(cr);
    // Sparkles and leaves.
    for (TPt p : {TPt{70, 30}, TPt{410, 28}, TPt{250, 18}, TPt{120, 104}, TPt{380, 108}}) {
      StarPath(cr, p.X, p.Y, 4, 9, 1.5, 0);
      SetColor(cr, Rgb(0xffffff, 0.95));
      cairo_fill(cr);
    }
    Leaf(cr, 232, 30, 22, 8, -2.6, Rgb(0x5ab83a));
    Leaf(cr, 248, 30, 22, 8, -0.5, Rgb(0x5ab83a));
  });
}

TPatterns Cursor() {
  return DrawOne(32, 32, [](cairo_t* cr) {
    // A gilded arrow, its point at the image's top-left pixel.
    auto arrow = [](cairo_t* c) {
      cairo_move_to(c, 1, 1);
      cairo_line_to(c, 1, 22);
      cairo_line_to(c, 6.5, 17);
      cairo_line_to(c, 10.5, 25.5);
      cairo_line_to(c, 14.5, 23.8);
      cairo_line_to(c, 10.6, 15.6);
      cairo_line_to(c, 17.8, 15.6);
      cairo_close_path(c);
    };
    Shadow(cr, 32, 32, arrow, 1.5, 2, 1.5, Rgb(0, 0.6));
    arrow(cr);
    SourceLinear(cr, 1, 1, 14, 22, {{0, Rgb(0xfffbe0)}, {0.4, Rgb(0xf2c04a)}, {1, Rgb(0xa86a14)}});
    cairo_fill_preserve(cr);
    SetColor(cr, Rgb(0x2a1604));
    cairo_set_line_width(cr, 1.3);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    cairo_move_to(cr, 2.6, 4);
    cairo_line_to(cr, 2.6, 17);
    SetColor(cr, Rgb(0xffffff, 0.8));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    Leaf(cr, 11, 20, 8, 3.2, 1.1, Rgb(0x4aa83a));
  });
}

}  // namespace

void AddBarArt(std::vector<TArtItem>& items) {
  const std::vector<std::string> src = {"ArtBar.cpp", "Materials.cpp", "Materials.h"};
  auto add = [&](const char* key, std::function<TPatterns()> fn) {
    items.push_back({key, src, {}, [fn](const TArtInputs&) { return fn(); }});
  };
  add("gui-bar.image", Bar);
  add("cipo.image", VineImage);
  add("gui-tree.image", [] { return PotImage({Rgb(0x56c83a), Rgb(0x9cff70), 0}); });
  add("gui-gota.image", [] { return PotImage({Rgb(0x3a9cf0), Rgb(0x90e0ff), 1}); });
  add("gui-fogo.image", [] { return PotImage({Rgb(0xf08a1c), Rgb(0xffd060), 2}); });
  add("gui-montanha.image", [] { return PotImage({Rgb(0xd84a32), Rgb(0xff9a80), 3}); });
  add("level-complete.image", LevelComplete);
  add("mouse.image", Cursor);
  add("gui-clock.image", ClockPlate);
  add("pot-glow.image", PotGlow);
}
