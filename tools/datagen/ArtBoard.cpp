// The board: cells, boxes and edge pieces, the two force fields, the hover
// and selection marks and the glint over wooden boxes.
#include <cmath>

#include "Art.h"
#include "Materials.h"

namespace {

// ---------------------------------------------------------------------------
// Cells

// A plain cell: a dark, half-clear hollow in the moss through which the level
// picture shows, so the grid reads without hiding the scenery.
void PlainCell(cairo_t* cr, int variant) {
  RoundRect(cr, 1, 1, 38, 38, 4.5);
  SourceLinear(cr, 0, 1, 0, 39, {{0, Rgb(0x04100a, 0.74)}, {0.5, Rgb(0x0a1e12, 0.6)}, {1, Rgb(0x12301c, 0.58)}});
  cairo_fill_preserve(cr);
  // Inner shadow along the top and left, a lit lip along the bottom and right.
  cairo_save(cr);
  cairo_clip_preserve(cr);
  cairo_set_line_width(cr, 3);
  SourceLinear(cr, 1, 1, 39, 39, {{0, Rgb(0x000000, 0.55)}, {0.5, Rgb(0x000000, 0)}, {1, Rgb(0xa8e0a0, 0.18)}});
  cairo_stroke_preserve(cr);
  cairo_restore(cr);
  SetColor(cr, Rgb(0x000000, 0.55));
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  if (variant > 0) {
    // Decorated cells: a tuft of moss and a tiny flower in one corner.
    TRandom rnd(static_cast<uint64_t>(variant) * 77);
    double cx = variant % 2 ? 6 : 34, cy = variant < 3 ? 34 : 6;
    for (int i = 0; i < 7; ++i) {
      cairo_arc(cr, cx + rnd.Range(-4, 4), cy + rnd.Range(-3, 3), rnd.Range(1.2, 2.4), 0, 2 * M_PI);
      SetColor(cr, Mix(Rgb(0x3a6e28, 0.8), Rgb(0x7ab848, 0.8), rnd.Unit()));
      cairo_fill(cr);
    }
    StarPath(cr, cx, cy, 5, 2.4, 1.1, 0);
    SetColor(cr, variant % 2 ? Rgb(0xfff2a0) : Rgb(0xffc0e0));
    cairo_fill(cr);
  }
}

// Rivet with a highlight.
void Rivet(cairo_t* cr, double x, double y, double r) {
  cairo_arc(cr, x + 0.4, y + 0.6, r, 0, 2 * M_PI);
  SetColor(cr, Rgb(0x000000, 0.45));
  cairo_fill(cr);
  cairo_arc(cr, x, y, r, 0, 2 * M_PI);
  SourceRadial2(cr, x - r * 0.4, y - r * 0.4, 0.2, x, y, r, {{0, Rgb(0xf4f8fc)}, {0.5, Rgb(0x9aa6b2)}, {1, Rgb(0x3c444c)}});
  cairo_fill(cr);
}

void IronBox(cairo_t* cr) {
  const TSurface metal = MetalTexture(40, 40, 4242, Rgb(0xb8c4ce), Rgb(0x4a545e));
  RoundRect(cr, 1, 1, 38, 38, 3.5);
  FillTexture(cr, metal, 0, 0);
  Bevel(cr, 2.5, 0.7, 0.6);
  SetColor(cr, Rgb(0x14181c));
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  // The recessed plate the piece stands on.
  RoundRect(cr, 6.5, 6.5, 27, 27, 2);
  SourceLinear(cr, 0, 6, 0, 34, {{0, Rgb(0x2c333a)}, {1, Rgb(0x4c565f)}});
  cairo_fill_preserve(cr);
  cairo_save(cr);
  cairo_clip_preserve(cr);
  cairo_set_line_width(cr, 2.5);
  SourceLinear(cr, 6, 6, 34, 34, {{0, Rgb(0x000000, 0.6)}, {0.6, Rgb(0, 0)}, {1, Rgb(0xffffff, 0.25)}});
  cairo_stroke_preserve(cr);
  cairo_restore(cr);
  cairo_new_path(cr);
  // Cross straps under the plate's edge.
  cairo_set_line_width(cr, 1.4);
  SetColor(cr, Rgb(0x1c2228, 0.6));
  cairo_move_to(cr, 8, 8);
  cairo_line_to(cr, 32, 32);
  cairo_move_to(cr, 32, 8);
  cairo_line_to(cr, 8, 32);
  cairo_stroke(cr);
  for (double x : {4.3, 35.7})
    for (double y : {4.3, 35.7}) Rivet(cr, x, y, 1.9);
  for (double t : {20.0}) {
    Rivet(cr, t, 3.6, 1.3);
    Rivet(cr, t, 36.4, 1.3);
    Rivet(cr, 3.6, t, 1.3);
    Rivet(cr, 36.4, t, 1.3);
  }
}

// A wooden crate: a frame of light planks round a panel of darker boards,
// with a brace and nails. Four variants differ in boards and brace.
void WoodBox(cairo_t* cr, int variant) {
  bool boardsAcross = variant == 1 || variant == 3;
  TSurface frameWood = WoodTexture(40, 40, 900 + variant * 13, Rgb(0xe0a25a), Rgb(0x8e5220), !boardsAcross, 0.7);
  TSurface panelWood = WoodTexture(40, 40, 950 + variant * 7, Rgb(0xb06a2c), Rgb(0x5e3210), boardsAcross, 0.7);
  RoundRect(cr, 1, 1, 38, 38, 3);
  FillTexture(cr, frameWood, 0, 0);
  Bevel(cr, 2, 0.55, 0.5);
  SetColor(cr, Rgb(0x2e1606));
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  // The panel.
  cairo_rectangle(cr, 6, 6, 28, 28);
  FillTexture(cr, panelWood, 0, 0);
  cairo_save(cr);
  cairo_clip_preserve(cr);
  cairo_set_line_width(cr, 3);
  SourceLinear(cr, 6, 6, 34, 34, {{0, Rgb(0x000000, 0.55)}, {0.55, Rgb(0, 0)}, {1, Rgb(0xffe0b0, 0.2)}});
  cairo_stroke_preserve(cr);
  cairo_restore(cr);
  cairo_new_path(cr);
  // Board seams.
  cairo_set_line_width(cr, 0.9);
  SetColor(cr, Rgb(0x2e1606, 0.7));
  for (double t : {13.0, 20.0, 27.0}) {
    if (boardsAcross) {
      cairo_move_to(cr, 6, t);
      cairo_line_to(cr, 34, t);
    } else {
      cairo_move_to(cr, t, 6);
      cairo_line_to(cr, t, 34);
    }
  }
  cairo_stroke(cr);
  // Brace.
  if (variant != 3) {
    TSaved s(cr);
    cairo_rectangle(cr, 6, 6, 28, 28);
    cairo_clip(cr);
    double a = variant == 1 ? -M_PI / 4 : M_PI / 4;
    cairo_translate(cr, 20, 20);
    cairo_rotate(cr, a);
    cairo_rectangle(cr, -22, -3.2, 44, 6.4);
    FillTexture(cr, frameWood, -20, -20);
    SetColor(cr, Rgb(0x2e1606, 0.8));
    cairo_set_line_width(cr, 0.9);
    cairo_stroke(cr);
    if (variant == 2) {
      cairo_rotate(cr, -2 * a);
      cairo_rectangle(cr, -22, -2.6, 44, 5.2);
      FillTexture(cr, frameWood, -20, -20);
      SetColor(cr, Rgb(0x2e1606, 0.8));
      cairo_stroke(cr);
    }
  } else {
    // A knot hole instead of a brace.
    Ellipse(cr, 24, 15, 2.4, 1.6);
    SetColor(cr, Rgb(0x3a1c08));
    cairo_fill(cr);
  }
  // Nails.
  for (double x : {3.8, 36.2})
    for (double y : {3.8, 36.2}) {
      cairo_arc(cr, x, y, 1.3, 0, 2 * M_PI);
      SourceRadial2(cr, x - 0.4, y - 0.4, 0.1, x, y, 1.3, {{0, Rgb(0xe8e4dc)}, {1, Rgb(0x3c3630)}});
      cairo_fill(cr);
    }
}

// Edge pieces: a rounded log hugging the side that faces the board, with ivy.
// side: 0 top-left corner, 1 top, 2 top-right, 3 right, 4 bottom-right,
// 5 bottom, 6 bottom-left, 7 left (where the piece stands round the board).
void EdgePiece(cairo_t* cr, int side) {
  const TSurface barkH = WoodTexture(40, 40, 333, Rgb(0x9a6434), Rgb(0x4a2810), true, 0.5);
  const TSurface barkV = WoodTexture(40, 40, 333, Rgb(0x9a6434), Rgb(0x4a2810), false, 0.5);
  const double thick = 13;
  auto log = [&](bool horizontal, double from, double to, double at) {
    // at: the log's near edge; it runs from..to along its length.
    if (horizontal) {
      cairo_rectangle(cr, from, at, to - from, thick);
      FillTexture(cr, barkH, 0, 0);
      SourceLinear(cr, 0, at, 0, at + thick,
                   {{0, Rgb(0xffe0b0, 0.35)}, {0.35, Rgb(0, 0)}, {0.8, Rgb(0, 0.25)}, {1, Rgb(0, 0.6)}});
      cairo_fill(cr);
      cairo_move_to(cr, from, at + 0.5);
      cairo_line_to(cr, to, at + 0.5);
      cairo_move_to(cr, from, at + thick - 0.5);
      cairo_line_to(cr, to, at + thick - 0.5);
    } else {
      cairo_rectangle(cr, at, from, thick, to - from);
      FillTexture(cr, barkV, 0, 0);
      SourceLinear(cr, at, 0, at + thick, 0,
                   {{0, Rgb(0xffe0b0, 0.35)}, {0.35, Rgb(0, 0)}, {0.8, Rgb(0, 0.25)}, {1, Rgb(0, 0.6)}});
      cairo_fill(cr);
      cairo_move_to(cr, at + 0.5, from);
      cairo_line_to(cr, at + 0.5, to);
      cairo_move_to(cr, at + thick - 0.5, from);
      cairo_line_to(cr, at + thick - 0.5, to);
    }
    SetColor(cr, Rgb(0x2a1406));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  };
  auto post = [&](double cx, double cy) {
    // The corner joint: a round post cap with rings.
    cairo_arc(cr, cx + 1, cy + 1.5, 9.5, 0, 2 * M_PI);
    SetColor(cr, Rgb(0, 0.4));
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, 9.5, 0, 2 * M_PI);
    SourceRadial2(cr, cx - 3, cy - 3, 1, cx, cy, 9.5, {{0, Rgb(0xe8b070)}, {0.7, Rgb(0xa06430)}, {1, Rgb(0x5a3012)}});
    cairo_fill_preserve(cr);
    SetColor(cr, Rgb(0x2a1406));
    cairo_set_line_width(cr, 1.1);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 0.7);
    SetColor(cr, Rgb(0x5a3012, 0.7));
    for (double r : {3.0, 5.5, 7.5}) {
      cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
      cairo_stroke(cr);
    }
  };
  switch (side) {
    case 1: log(true, 0, 40, 40 - thick); break;
    case 5: log(true, 0, 40, 0); break;
    case 3: log(false, 0, 40, 0); break;
    case 7: log(false, 0, 40, 40 - thick); break;
    case 0:
      log(true, 33, 40, 40 - thick);
      log(false, 33, 40, 40 - thick);
      post(33.5, 33.5);
      break;
    case 2:
      log(true, 0, 7, 40 - thick);
      log(false, 33, 40, 0);
      post(6.5, 33.5);
      break;
    case 4:
      log(true, 0, 7, 0);
      log(false, 0, 7, 0);
      post(6.5, 6.5);
      break;
    case 6:
      log(true, 33, 40, 0);
      log(false, 0, 7, 40 - thick);
      post(33.5, 6.5);
      break;
  }
  // Ivy on the straight logs, kept clear of the tiling edges.
  if (side % 2 == 1) {
    bool horizontal = side == 1 || side == 5;
    double at = (side == 1 || side == 7) ? 40 - thick / 2 : thick / 2;
    std::vector<TPt> vine;
    for (int i = 0; i <= 8; ++i) {
      double t = 6 + i * 3.5, w = std::sin(i * 1.3 + side) * 3.5;
      vine.push_back(horizontal ? TPt{t, at + w} : TPt{at + w, t});
    }
    Vine(cr, vine, 1.1, 50 + side, 7, 6.5);
  }
}

// ---------------------------------------------------------------------------
// Force fields

double Lattice(double x, double y, bool hex) {
  // Distance to the nearest lattice line, in pixels.
  if (hex) {
    const double s = 7.0;
    double best = 1e9;
    for (int k = 0; k < 3; ++k) {
      double a = k * M_PI / 3;
      double d = x * std::cos(a) + y * std::sin(a);
      double m = std::fmod(std::fabs(d), s);
      best = std::min(best, std::min(m, s - m));
    }
    return best;
  }
  const double s = 8.0;
  double u = (x + y) / std::sqrt(2.0), v = (x - y) / std::sqrt(2.0);
  double mu = std::fmod(std::fabs(u), s), mv = std::fmod(std::fabs(v), s);
  return std::min(std::min(mu, s - mu), std::min(mv, s - mv));
}

// One frame of a field: a shimmering shell of light over the cell. pulse is
// 0 at rest and grows with the pulse's bright ring; wave runs 0..1 round the
// idle loop.
void FieldFrame(TSurface& out, bool orange, double wave, double pulse, double ringRadius) {
  TRgba core = orange ? Rgb(0xf06010) : Rgb(0x2a9cff);
  TRgba rim = orange ? Rgb(0xffd890) : Rgb(0xc8f4ff);
  TRgba deep = orange ? Rgb(0x6a1800) : Rgb(0x0a4ab8);
  out.Flush();
  for (int y = 0; y < 40; ++y) {
    uint32_t* row = out.Row(y);
    for (int x = 0; x < 40; ++x) {
      double px = x + 0.5, py = y + 0.5;
      // Distance inside the rounded square 2..38.
      double qx = std::fabs(px - 20) - 12, qy = std::fabs(py - 20) - 12;
      double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - 6;
      double inside = -outside;  // > 0 inside, pixels from the edge
      if (inside < -1.5) {
        row[x] = 0;
        continue;
      }
      double edge = std::clamp(inside + 0.5, 0.0, 1.0);
      // Fresnel: clear in the middle, dense at the rim.
      double fres = std::exp(-std::max(inside, 0.0) / 4.5);
      double line = Lattice(px - 20, py - 20, !orange);
      double latt = std::exp(-line * line / 0.8);
      // A band of brightness sweeping diagonally, periodic so the loop is seamless.
      double band = 0.5 + 0.5 * std::cos(2 * M_PI * ((px + py) / 80.0 - wave));
      band = std::pow(band, 4);
      double ring = 0;
      if (ringRadius > 0) {
        double d = std::hypot(px - 20, py - 20) - ringRadius;
        ring = std::exp(-d * d / 6.0) * pulse;
      }
      // The orange field is the brighter colour, so it is kept thinner to
      // show its piece as clearly as the blue one does.
      double body = orange ? 0.75 : 1.0;
      double a = body * (0.08 + 0.45 * fres + latt * (0.12 + 0.45 * band)) + 0.2 * pulse + 0.7 * ring;
      double rimLine = std::exp(-std::pow(inside - 1.2, 2) / 0.9);
      a += rimLine * 0.8;
      if (orange) {
        // The stronger field has a second rim.
        double inner = std::exp(-std::pow(inside - 4.6, 2) / 0.7);
        a += inner * 0.45;
        rimLine = std::max(rimLine, inner);
      }
      a = std::clamp(a, 0.0, 0.95) * edge;
      double warmth = std::clamp(0.6 * fres + 0.7 * latt * band + rimLine + ring, 0.0, 1.0);
      TRgba c = Mix(Mix(deep, core, 0.5 + 0.5 * fres), rim, warmth);
      auto q = [&](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255 * a)); };
      row[x] = (static_cast<uint32_t>(std::lround(a * 255)) << 24) | (q(c.R) << 16) | (q(c.G) << 8) | q(c.B);
    }
  }
  out.MarkDirty();
  // Glowing studs at the corners.
  TPen pen(out);
  for (double x : {6.0, 34.0})
    for (double y : {6.0, 34.0}) {
      double glow = 0.7 + 0.3 * std::cos(2 * M_PI * (wave + (x + y) / 80.0)) + pulse * 0.5;
      SourceRadial(pen, x, y, 3.5, {{0, WithAlpha(rim, std::min(1.0, glow))}, {1, WithAlpha(core, 0)}});
      cairo_arc(pen, x, y, 3.5, 0, 2 * M_PI);
      cairo_fill(pen);
    }
}

TPatterns ForceField(bool orange) {
  TPatterns frames;
  for (int i = 0; i < 15; ++i) {
    TSurface s(40, 40);
    if (i < 6) {
      // The pulse: a bright ring bursts outwards and the shell flares.
      double t = i / 5.0;
      FieldFrame(s, orange, 0, 1.0 - t * 0.8, 3 + t * 24);
    } else {
      FieldFrame(s, orange, (i - 6) / 9.0, 0, 0);
    }
    frames.push_back(std::move(s));
  }
  return frames;
}

// ---------------------------------------------------------------------------
// Marks

TPatterns Selection() {
  return DrawFrames(2, 40, 40, [](cairo_t* cr, int i) {
    if (i == 0) {
      // Hover: a glowing frame (added to the screen, and tinted for spells).
      Shadow(cr, 40, 40, [](cairo_t* c) {
        RoundRect(c, 2.5, 2.5, 35, 35, 5);
        cairo_set_line_width(c, 2.5);
        cairo_stroke(c);
      }, 0, 0, 2.5, Rgb(0xfff4d0, 0.9));
      RoundRect(cr, 2.5, 2.5, 35, 35, 5);
      SetColor(cr, Rgb(0xffffff, 0.9));
      cairo_set_line_width(cr, 1.4);
      cairo_stroke(cr);
      RoundRect(cr, 3, 3, 34, 34, 5);
      SourceRadial(cr, 20, 20, 26, {{0, Rgb(0xffffff, 0.0)}, {0.6, Rgb(0xffffff, 0.05)}, {1, Rgb(0xffffff, 0.3)}});
      cairo_fill(cr);
      // Corner brackets.
      cairo_set_line_width(cr, 2);
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
      SetColor(cr, Rgb(0xffffff, 1));
      for (int cx : {0, 1})
        for (int cy : {0, 1}) {
          double x = cx ? 36.5 : 3.5, y = cy ? 36.5 : 3.5, dx = cx ? -1 : 1, dy = cy ? -1 : 1;
          cairo_move_to(cr, x, y + dy * 7);
          cairo_line_to(cr, x, y);
          cairo_line_to(cr, x + dx * 7, y);
        }
      cairo_stroke(cr);
    } else {
      // Selected: warm golden light welling up under the piece.
      RoundRect(cr, 1.5, 1.5, 37, 37, 5);
      SourceRadial(cr, 20, 20, 26, {{0, Rgb(0xfff0a0, 0.75)}, {0.55, Rgb(0xffc040, 0.45)}, {1, Rgb(0xff9010, 0.25)}});
      cairo_fill(cr);
      Shadow(cr, 40, 40, [](cairo_t* c) {
        RoundRect(c, 2, 2, 36, 36, 5);
        cairo_set_line_width(c, 2);
        cairo_stroke(c);
      }, 0, 0, 2, Rgb(0xffd040, 1));
      RoundRect(cr, 2, 2, 36, 36, 5);
      SetColor(cr, Rgb(0xfff6c8));
      cairo_set_line_width(cr, 1.6);
      cairo_stroke(cr);
      for (TPt p : {TPt{5, 5}, TPt{35, 35}}) {
        StarPath(cr, p.X, p.Y, 4, 4, 0.8, 0);
        SetColor(cr, Rgb(0xffffff));
        cairo_fill(cr);
      }
    }
  });
}

TPatterns Glint() {
  return DrawFrames(13, 40, 40, [](cairo_t* cr, int k) {
    RoundRect(cr, 1, 1, 38, 38, 3);
    cairo_clip(cr);
    if (k == 0) {
      // At rest: only a faint warm sheen.
      SourceLinear(cr, 0, 0, 40, 40, {{0, Rgb(0xfff0c0, 0.12)}, {0.5, Rgb(0xfff0c0, 0)}});
      cairo_paint(cr);
      return;
    }
    // A bright band sweeps from the top-left corner to the bottom-right.
    double c = -3 + (k - 1) * (46.0 / 11.0);
    double t = (c + 3) / 46.0;
    double strength = std::sin(t * M_PI) * 0.55 + 0.35;
    double x0 = c - 10, x1 = c + 10;
    SourceLinear(cr, x0, x0, x1, x1,
                 {{0, Rgb(0xfff4d0, 0)}, {0.4, Rgb(0xfff4d0, strength * 0.7)}, {0.5, Rgb(0xffffff, strength)},
                  {0.6, Rgb(0xfff4d0, strength * 0.7)}, {1, Rgb(0xfff4d0, 0)}});
    cairo_paint(cr);
    if (k >= 5 && k <= 8) {
      double p = c + 2;
      StarPath(cr, std::clamp(p, 4.0, 36.0), 4, 4, 5.5, 0.9, 0);
      StarPath(cr, 36, std::clamp(p, 4.0, 36.0), 4, 4.5, 0.8, 0);
      SetColor(cr, Rgb(0xffffff, 0.95));
      cairo_fill(cr);
    }
  });
}

TPatterns BoardWood() {
  return DrawFrames(18, 40, 40, [](cairo_t* cr, int i) {
    if (i == 0)
      PlainCell(cr, 0);
    else if (i == 1)
      IronBox(cr);
    else if (i <= 5)
      WoodBox(cr, i - 2);
    else if (i <= 9)
      PlainCell(cr, i - 5);
    else
      EdgePiece(cr, i - 10);
  });
}

}  // namespace

void AddBoardArt(std::vector<TArtItem>& items) {
  const std::vector<std::string> src = {"ArtBoard.cpp", "Materials.cpp", "Materials.h"};
  auto add = [&](const char* key, std::function<TPatterns()> fn) {
    items.push_back({key, src, {}, [fn](const TArtInputs&) { return fn(); }});
  };
  add("board-wood.image", BoardWood);
  add("forcefield1.image", [] { return ForceField(false); });
  add("forcefield2.image", [] { return ForceField(true); });
  add("tab-selection.image", Selection);
  add("hint.image", Glint);
}
