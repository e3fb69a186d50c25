// Particle images: the greyscale shapes the particle settings tint, and the
// splinters and iron chip that breaking boxes throw.
#include <cmath>

#include "Art.h"
#include "Materials.h"

namespace {

const TRgba kWhite = Rgb(0xffffff);

void Shape(cairo_t* cr, int i) {
  const double c = 16;
  switch (i) {
    case psGlow:
      SourceRadial(cr, c, c, 15.5, {{0, WithAlpha(kWhite, 1)}, {0.25, WithAlpha(kWhite, 0.6)}, {1, WithAlpha(kWhite, 0)}});
      cairo_paint(cr);
      break;
    case psDot:
      SourceRadial(cr, c, c, 7, {{0, kWhite}, {0.6, kWhite}, {1, WithAlpha(kWhite, 0)}});
      cairo_arc(cr, c, c, 7, 0, 2 * M_PI);
      cairo_fill(cr);
      break;
    case psStar:
      SourceRadial(cr, c, c, 10, {{0, WithAlpha(kWhite, 0.8)}, {1, WithAlpha(kWhite, 0)}});
      cairo_paint(cr);
      StarPath(cr, c, c, 4, 15, 2.2, 0);
      SetColor(cr, kWhite);
      cairo_fill(cr);
      break;
    case psRing:
      cairo_arc(cr, c, c, 11, 0, 2 * M_PI);
      SetColor(cr, WithAlpha(kWhite, 0.9));
      cairo_set_line_width(cr, 2.5);
      cairo_stroke(cr);
      Shadow(cr, 32, 32, [](cairo_t* k) {
        cairo_arc(k, 16, 16, 11, 0, 2 * M_PI);
        cairo_set_line_width(k, 3);
        cairo_stroke(k);
      }, 0, 0, 2.5, WithAlpha(kWhite, 0.8));
      break;
    case psLeaf:
      Leaf(cr, 5, 24, 24, 8.5, -0.75, Rgb(0xe8e8e8));
      break;
    case psDrop:
      cairo_move_to(cr, c, 3);
      cairo_curve_to(cr, c + 3, 10, c + 9, 14, c + 9, 20);
      cairo_curve_to(cr, c + 9, 25, c + 5, 29, c, 29);
      cairo_curve_to(cr, c - 5, 29, c - 9, 25, c - 9, 20);
      cairo_curve_to(cr, c - 9, 14, c - 3, 10, c, 3);
      cairo_close_path(cr);
      SourceRadial2(cr, c - 3, 17, 1, c, 20, 11, {{0, kWhite}, {1, Rgb(0xb8b8b8)}});
      cairo_fill(cr);
      break;
    case psFlame:
      cairo_move_to(cr, c, 30);
      cairo_curve_to(cr, c - 10, 28, c - 10, 16, c - 3, 9);
      cairo_curve_to(cr, c - 2, 14, c, 15, c + 1, 13);
      cairo_curve_to(cr, c + 1, 8, c + 3, 5, c + 2, 2);
      cairo_curve_to(cr, c + 9, 8, c + 11, 18, c + 8, 25);
      cairo_curve_to(cr, c + 6, 29, c + 3, 30, c, 30);
      cairo_close_path(cr);
      SourceLinear(cr, 0, 2, 0, 30, {{0, WithAlpha(kWhite, 0.5)}, {1, kWhite}});
      cairo_fill(cr);
      break;
    case psShard:
      Polygon(cr, {{8, 10}, {19, 4}, {27, 14}, {22, 27}, {10, 24}});
      SourceLinear(cr, 8, 4, 27, 27, {{0, kWhite}, {1, Rgb(0x9a9a9a)}});
      cairo_fill(cr);
      Polygon(cr, {{19, 4}, {27, 14}, {17, 15}});
      SetColor(cr, Rgb(0xffffff));
      cairo_fill(cr);
      break;
    case psSmoke: {
      TRandom rnd(33);
      for (int k = 0; k < 6; ++k) {
        double x = c + rnd.Range(-6, 6), y = c + rnd.Range(-5, 5), r = rnd.Range(5, 9);
        SourceRadial(cr, x, y, r, {{0, WithAlpha(kWhite, 0.5)}, {1, WithAlpha(kWhite, 0)}});
        cairo_arc(cr, x, y, r, 0, 2 * M_PI);
        cairo_fill(cr);
      }
      break;
    }
    case psSwirl:
      cairo_move_to(cr, c, c);
      for (int k = 1; k <= 60; ++k) {
        double a = k * 0.22, r = k * 0.23;
        cairo_line_to(cr, c + r * std::cos(a), c + r * std::sin(a));
      }
      SetColor(cr, kWhite);
      cairo_set_line_width(cr, 2);
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
      cairo_stroke(cr);
      break;
    case psStar8:
      SourceRadial(cr, c, c, 9, {{0, WithAlpha(kWhite, 0.8)}, {1, WithAlpha(kWhite, 0)}});
      cairo_paint(cr);
      StarPath(cr, c, c, 8, 14, 4, 0);
      SetColor(cr, kWhite);
      cairo_fill(cr);
      break;
    case psStreak:
      Ellipse(cr, c, c, 15, 3);
      SourceLinear(cr, 1, 0, 31, 0, {{0, WithAlpha(kWhite, 0)}, {0.5, kWhite}, {1, WithAlpha(kWhite, 0)}});
      cairo_fill(cr);
      break;
    case psRune:
      cairo_arc(cr, c, c, 12, 0, 2 * M_PI);
      SetColor(cr, kWhite);
      cairo_set_line_width(cr, 1.6);
      cairo_stroke(cr);
      for (int k = 0; k < 6; ++k) {
        double a = k * M_PI / 3;
        cairo_move_to(cr, c + 7 * std::cos(a), c + 7 * std::sin(a));
        cairo_line_to(cr, c + 11 * std::cos(a + 0.2), c + 11 * std::sin(a + 0.2));
      }
      StarPath(cr, c, c, 3, 6, 3, 0);
      cairo_set_line_width(cr, 1.3);
      cairo_stroke(cr);
      break;
    case psPetal:
      cairo_move_to(cr, c, 4);
      cairo_curve_to(cr, c + 10, 10, c + 8, 24, c, 28);
      cairo_curve_to(cr, c - 8, 24, c - 10, 10, c, 4);
      cairo_close_path(cr);
      SourceLinear(cr, 0, 4, 0, 28, {{0, kWhite}, {1, Rgb(0xd0d0d0)}});
      cairo_fill(cr);
      break;
    case psCrystal:
      Polygon(cr, {{c, 2}, {c + 6, 9}, {c + 6, 23}, {c, 30}, {c - 6, 23}, {c - 6, 9}});
      SourceLinear(cr, c - 6, 0, c + 6, 0, {{0, kWhite}, {0.5, Rgb(0xe0e0e0)}, {0.51, Rgb(0xa0a0a0)}, {1, Rgb(0x808080)}});
      cairo_fill(cr);
      break;
    case psBubble:
      cairo_arc(cr, c, c, 11, 0, 2 * M_PI);
      SourceRadial(cr, c, c, 11, {{0, WithAlpha(kWhite, 0.05)}, {0.8, WithAlpha(kWhite, 0.25)}, {1, WithAlpha(kWhite, 0.9)}});
      cairo_fill(cr);
      Ellipse(cr, c - 4, c - 5, 3, 2);
      SetColor(cr, kWhite);
      cairo_fill(cr);
      break;
  }
}

TPatterns Splinter(int variant) {
  return DrawOne(16, 16, [variant](cairo_t* cr) {
    // A sliver of the crates' wood, each a different shape.
    static const std::vector<TPt> shapes[] = {
        {{2, 12}, {12, 3}, {14, 5}, {5, 14}},
        {{3, 7}, {14, 6}, {13, 10}, {2, 10}},
        {{6, 2}, {10, 3}, {9, 14}, {5, 13}},
        {{2, 9}, {8, 3}, {14, 8}, {9, 14}},
    };
    Polygon(cr, shapes[variant]);
    SourceLinear(cr, 0, 2, 16, 14, {{0, Rgb(0xe8b070)}, {0.5, Rgb(0xb07030)}, {1, Rgb(0x6a3a14)}});
    cairo_fill_preserve(cr);
    SetColor(cr, Rgb(0x3a1a06));
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
  });
}

TPatterns IronChip() {
  return DrawOne(16, 16, [](cairo_t* cr) {
    Polygon(cr, {{3, 8}, {8, 3}, {13, 6}, {12, 12}, {6, 13}});
    SourceLinear(cr, 3, 3, 13, 13, {{0, Rgb(0xf0f4f8)}, {0.5, Rgb(0x9aa4ae)}, {1, Rgb(0x4a525a)}});
    cairo_fill_preserve(cr);
    SetColor(cr, Rgb(0x1a1e22));
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    cairo_arc(cr, 7, 7, 1.2, 0, 2 * M_PI);
    SetColor(cr, Rgb(0xffffff, 0.9));
    cairo_fill(cr);
  });
}

}  // namespace

void AddParticleArt(std::vector<TArtItem>& items) {
  const std::vector<std::string> src = {"ArtParticles.cpp", "Materials.cpp", "Materials.h"};
  items.push_back({"particles-arvanels.image", src, {}, [](const TArtInputs&) {
                     return DrawFrames(psShapeCount, 32, 32, [](cairo_t* cr, int i) { Shape(cr, i); });
                   }});
  for (int v = 0; v < 4; ++v)
    items.push_back({"splinter" + std::to_string(v + 1) + ".image", src, {}, [v](const TArtInputs&) { return Splinter(v); }});
  items.push_back({"iron-chip.image", src, {}, [](const TArtInputs&) { return IronChip(); }});
}
