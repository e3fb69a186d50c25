#include "PieceLook.h"

#include <cmath>

namespace {

// The pale rim round every piece but the fire (which glows by itself).
constexpr uint32_t kRimColour = 0xf4ecd8;
constexpr double kRimAlpha = 0.55;
constexpr double kRimWidth = 1.1;

// A small four-pointed sparkle with a soft halo.
void Sparkle(cairo_t* cr, double x, double y, double size, double alpha = 1.0) {
  TSaved s(cr);
  SourceRadial(cr, x, y, size * 1.1, {{0, Rgb(0xFFFFFF, 0.75 * alpha)}, {1, Rgb(0xFFFFFF, 0)}});
  cairo_arc(cr, x, y, size * 1.1, 0, 2 * M_PI);
  cairo_fill(cr);
  StarPath(cr, x, y, 4, size, size * 0.18, 0);
  SetColor(cr, Rgb(0xFFFFFF, alpha));
  cairo_fill(cr);
}

void Outline(cairo_t* cr, const TRgba& c, double width) {
  SetColor(cr, c);
  cairo_set_line_width(cr, width);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke_preserve(cr);
}

// ---------------------------------------------------------------------------

void BlackBody(cairo_t* cr, const TPiecePose& pose) {
  const double cx = 20, cy = 20.5, R = 15.5, r = 8.2;
  const double tx = 19.4, ty = 19.6;
  auto outer = [&](int i) {
    double a = (-90 + 60 * i) * M_PI / 180;
    return TPt{cx + R * std::cos(a), cy + R * std::sin(a)};
  };
  auto inner = [&](int i) {
    double a = (-90 + 60 * i) * M_PI / 180;
    return TPt{tx + r * std::cos(a), ty + r * std::sin(a)};
  };
  // Crown facets, lit from the top left.
  const double light = -135 * M_PI / 180;
  for (int i = 0; i < 6; ++i) {
    TPt a = outer(i), b = outer(i + 1), c = inner(i + 1), d = inner(i);
    double mid = (-60 + 60 * i) * M_PI / 180;
    double lit = 0.5 + 0.5 * std::cos(mid - light);
    Polygon(cr, {a, b, c, d});
    TRgba dark = Rgb(0x07060c), bright = Rgb(0x7a6db4);
    TRgba col = Mix(dark, bright, std::pow(lit, 2.0));
    SourceLinear(cr, a.X, a.Y, c.X, c.Y, {{0, Shade(col, 0.12)}, {1, Shade(col, -0.25)}});
    cairo_fill(cr);
  }
  // The table with a violet sheen.
  std::vector<TPt> table;
  for (int i = 0; i < 6; ++i) table.push_back(inner(i));
  Polygon(cr, table);
  SourceLinear(cr, tx - r, ty - r, tx + r, ty + r, {{0, Rgb(0x3a3160)}, {0.5, Rgb(0x1a1530)}, {1, Rgb(0x0c0a15)}});
  cairo_fill_preserve(cr);
  // A streak of reflected light across the table.
  cairo_save(cr);
  cairo_clip(cr);
  cairo_move_to(cr, tx - 9, ty + 2);
  cairo_line_to(cr, tx + 1, ty - 9);
  cairo_line_to(cr, tx + 4.5, ty - 9);
  cairo_line_to(cr, tx - 9, ty + 6);
  cairo_close_path(cr);
  SourceLinear(cr, tx - 6, ty - 6, tx + 2, ty + 2, {{0, Rgb(0xc8bcff, 0.3)}, {1, Rgb(0xc8bcff, 0.0)}});
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_new_path(cr);
  // Facet edges.
  cairo_set_line_width(cr, 0.6);
  for (int i = 0; i < 6; ++i) {
    TPt a = outer(i), d = inner(i);
    cairo_move_to(cr, a.X, a.Y);
    cairo_line_to(cr, d.X, d.Y);
  }
  SetColor(cr, Rgb(0x8c80c8, 0.35));
  cairo_stroke(cr);
  // Rim: dark outline, light on the upper-left edges.
  std::vector<TPt> hex;
  for (int i = 0; i < 6; ++i) hex.push_back(outer(i));
  Polygon(cr, hex);
  Outline(cr, Rgb(0x040308), 1.3);
  cairo_new_path(cr);
  TPt p4 = outer(4), p5 = outer(5), p0 = outer(0);
  cairo_move_to(cr, outer(3).X + 1.2, outer(3).Y - 0.6);
  cairo_line_to(cr, p4.X + 0.9, p4.Y);
  cairo_line_to(cr, p5.X + 0.8, p5.Y + 0.5);
  cairo_line_to(cr, p0.X, p0.Y + 1.0);
  SetColor(cr, Rgb(0xb4a8f0, 0.7));
  cairo_set_line_width(cr, 0.9);
  cairo_stroke(cr);
  if (pose.Glint == 1) Sparkle(cr, 13.5, 11.5, 5.5);
  if (pose.Glint == 2) Sparkle(cr, 26.5, 25, 4.5);
}

void MountainBody(cairo_t* cr, const TPiecePose& pose) {
  TPt base0{3.5, 35}, peak{20, 4.5}, base1{36.5, 35};
  // A lesser peak behind on the right gives it a mountain's outline.
  Polygon(cr, {{22, 35}, {29.5, 17.5}, {37.5, 35}});
  SourceLinear(cr, 25, 18, 36, 35, {{0, Rgb(0x8a3322)}, {1, Rgb(0x4d160d)}});
  cairo_fill_preserve(cr);
  Outline(cr, Rgb(0x2e0a05), 1.1);
  cairo_new_path(cr);
  // Lit west face and shaded east face of the main peak.
  Polygon(cr, {base0, peak, {21.5, 35}});
  SourceLinear(cr, 8, 12, 20, 35, {{0, Rgb(0xe2684a)}, {0.6, Rgb(0xb23e28)}, {1, Rgb(0x8a2b1b)}});
  cairo_fill(cr);
  Polygon(cr, {{21.5, 35}, peak, {33, 35}});
  SourceLinear(cr, 20, 10, 32, 35, {{0, Rgb(0x8e2e1f)}, {1, Rgb(0x591a10)}});
  cairo_fill(cr);
  // Rock strata.
  cairo_set_line_width(cr, 0.9);
  SetColor(cr, Rgb(0x5e1b10, 0.55));
  cairo_move_to(cr, 9, 27);
  cairo_line_to(cr, 14, 24.5);
  cairo_line_to(cr, 17, 26);
  cairo_move_to(cr, 12.5, 32);
  cairo_line_to(cr, 17.5, 29.5);
  cairo_move_to(cr, 24, 25);
  cairo_line_to(cr, 28, 28.5);
  cairo_stroke(cr);
  // Snow cap.
  std::vector<TPt> snow = {{12.8, 17}, {20, 4.5}, {26.2, 16.2}, {24, 15.2}, {22.3, 17.8}, {20.4, 14.6},
                           {18.2, 17.4}, {16, 15.4}};
  Polygon(cr, snow);
  SourceLinear(cr, 14, 6, 24, 18, {{0, Rgb(0xffffff)}, {1, Rgb(0xdfe8f4)}});
  cairo_fill(cr);
  Polygon(cr, {{20, 4.5}, {26.2, 16.2}, {24, 15.2}, {22.3, 17.8}, {20.8, 15}});
  SetColor(cr, Rgb(0xa9bddb, 0.85));
  cairo_fill(cr);
  // Outline of the main peak.
  Polygon(cr, {base0, peak, base1});
  Outline(cr, Rgb(0x2e0a05), 1.3);
  cairo_new_path(cr);
  cairo_move_to(cr, base0.X + 1.2, base0.Y - 0.8);
  cairo_line_to(cr, peak.X - 0.3, peak.Y + 1.5);
  SetColor(cr, Rgb(0xffc0a8, 0.55));
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
  if (pose.Glint == 1) Sparkle(cr, 18, 9, 5);
  if (pose.Glint == 2) Sparkle(cr, 12, 28, 4);
}

std::vector<TPt> FlameOutline(double phase, double scale, double cx, double base) {
  double s1 = std::sin(phase * 2 * M_PI), s2 = std::sin(phase * 2 * M_PI + 2.1), s3 = std::cos(phase * 2 * M_PI);
  std::vector<TPt> pts = {{20, 36},
                          {27, 34.5},
                          {31, 29},
                          {31.5, 23},
                          {30, 19},
                          {32.5 + 1.2 * s2, 11.5 + 1.5 * s1},
                          {27, 16.5},
                          {25, 12},
                          {20 + 1.8 * s1, 2.5 + 1.2 * s3},
                          {15.5, 11.5},
                          {13, 16.5},
                          {8.5 + 1.2 * s1, 9.5 + 1.5 * s2},
                          {10.5, 18.5},
                          {8.8, 24},
                          {9.5, 30},
                          {13, 34.5}};
  for (TPt& p : pts) {
    p.X = cx + (p.X - 20) * scale;
    p.Y = base + (p.Y - 36) * scale;
  }
  return pts;
}

void FireBody(cairo_t* cr, const TPiecePose& pose) {
  double ph = pose.Phase;
  SmoothClosed(cr, FlameOutline(ph, 1.0, 20, 36.5));
  SourceLinear(cr, 0, 4, 0, 36, {{0, Rgb(0xff3a0a, 0.75)}, {0.5, Rgb(0xff5a14, 0.95)}, {1, Rgb(0xd92a08, 0.95)}});
  cairo_fill(cr);
  SmoothClosed(cr, FlameOutline(ph + 0.33, 0.74, 20, 36));
  SourceLinear(cr, 0, 10, 0, 36, {{0, Rgb(0xff9a1c, 0.9)}, {1, Rgb(0xffb02e, 1.0)}});
  cairo_fill(cr);
  SmoothClosed(cr, FlameOutline(ph + 0.66, 0.46, 20, 35));
  SourceLinear(cr, 0, 18, 0, 36, {{0, Rgb(0xffe27a, 0.95)}, {1, Rgb(0xfffbe0, 1.0)}});
  cairo_fill(cr);
  SourceRadial(cr, 20, 30, 6, {{0, Rgb(0xffffff, 0.9)}, {1, Rgb(0xffffff, 0)}});
  cairo_arc(cr, 20, 30, 6, 0, 2 * M_PI);
  cairo_fill(cr);
  if (pose.Glint == 1) Sparkle(cr, 14, 13, 4, 0.9);
  if (pose.Glint == 2) Sparkle(cr, 27, 15, 3.5, 0.9);
}

void TreeBody(cairo_t* cr, const TPiecePose& pose) {
  // Trunk with flared roots.
  cairo_move_to(cr, 13, 37);
  cairo_curve_to(cr, 16, 35.5, 17.5, 33, 17.6, 26);
  cairo_line_to(cr, 22.4, 26);
  cairo_curve_to(cr, 22.5, 33, 24, 35.5, 27, 37);
  cairo_close_path(cr);
  SourceLinear(cr, 14, 0, 26, 0, {{0, Rgb(0x8a5a32)}, {0.45, Rgb(0x6b4223)}, {1, Rgb(0x3b2210)}});
  cairo_fill_preserve(cr);
  Outline(cr, Rgb(0x24140a), 1.0);
  cairo_new_path(cr);
  // The crown: overlapping rounded masses.
  struct Blob {
    double X, Y, R;
  };
  double sway = 0.6 * std::sin(pose.Phase * 2 * M_PI);
  const Blob blobs[] = {{12.5 + sway, 20, 7.2}, {27.5 + sway, 20, 7.2}, {20 + sway, 11.5, 8.8},
                        {20 + sway, 21, 8.6},   {14.2 + sway, 13.5, 6.2}, {25.8 + sway, 13.5, 6.2}};
  for (const Blob& b : blobs) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, b.X, b.Y, b.R, 0, 2 * M_PI);
  }
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  Outline(cr, Rgb(0x0c2e0e), 2.2);
  SourceLinear(cr, 8, 4, 30, 29, {{0, Rgb(0x86d64c)}, {0.5, Rgb(0x3f9a2e)}, {1, Rgb(0x1c5a1e)}});
  cairo_fill(cr);
  // Each mass catches light on its upper left.
  for (const Blob& b : blobs) {
    SourceRadial2(cr, b.X - b.R * 0.35, b.Y - b.R * 0.4, 0.5, b.X, b.Y, b.R,
                  {{0, Rgb(0xc4f27a, 0.55)}, {0.6, Rgb(0x7fcf4a, 0.12)}, {1, Rgb(0x2a6e22, 0)}});
    cairo_arc(cr, b.X, b.Y, b.R, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  // Leaf flecks.
  const TPt flecks[] = {{15, 9}, {23, 8}, {10, 18}, {18, 16}, {26, 17}, {30, 22}, {14, 24}, {22, 24}};
  for (size_t i = 0; i < std::size(flecks); ++i) {
    TSaved s(cr);
    cairo_translate(cr, flecks[i].X + sway, flecks[i].Y);
    cairo_rotate(cr, -0.6 + 0.4 * static_cast<double>(i));
    Ellipse(cr, 0, 0, 1.7, 0.9);
    SetColor(cr, i % 2 ? Rgb(0xd8ff9a, 0.55) : Rgb(0x1b5219, 0.5));
    cairo_fill(cr);
  }
  if (pose.Glint == 1) Sparkle(cr, 14 + sway, 9, 5);
  if (pose.Glint == 2) Sparkle(cr, 27 + sway, 15, 4.5);
}

void DropPath(cairo_t* cr) {
  cairo_move_to(cr, 20, 3.5);
  cairo_curve_to(cr, 24, 11, 32.5, 16, 32.5, 23.5);
  cairo_curve_to(cr, 32.5, 30.4, 26.9, 36, 20, 36);
  cairo_curve_to(cr, 13.1, 36, 7.5, 30.4, 7.5, 23.5);
  cairo_curve_to(cr, 7.5, 16, 16, 11, 20, 3.5);
  cairo_close_path(cr);
}

void WaterBody(cairo_t* cr, const TPiecePose& pose) {
  DropPath(cr);
  SourceRadial2(cr, 15.5, 18, 1, 19, 22, 18.5,
                {{0, Rgb(0xd8fbff)}, {0.35, Rgb(0x5cc4f5)}, {0.75, Rgb(0x1e6fd6)}, {1, Rgb(0x0d3a9a)}});
  cairo_fill_preserve(cr);
  Outline(cr, Rgb(0x082a70), 1.2);
  cairo_new_path(cr);
  // Light caught at the bottom, seen through the water.
  cairo_save(cr);
  DropPath(cr);
  cairo_clip(cr);
  double ripple = std::sin(pose.Phase * 2 * M_PI);
  SourceRadial(cr, 23, 34, 9, {{0, Rgb(0x9ff0ff, 0.55)}, {1, Rgb(0x9ff0ff, 0)}});
  cairo_paint(cr);
  // A rising bubble.
  cairo_arc(cr, 24.5, 27 - 2 * ripple, 1.4, 0, 2 * M_PI);
  SetColor(cr, Rgb(0xe8fdff, 0.7));
  cairo_set_line_width(cr, 0.7);
  cairo_stroke(cr);
  cairo_restore(cr);
  // Highlights.
  {
    TSaved s(cr);
    cairo_translate(cr, 14.8, 20);
    cairo_rotate(cr, 0.45);
    Ellipse(cr, 0, 0, 2.6, 5.2);
    SourceLinear(cr, 0, -5, 0, 5, {{0, Rgb(0xffffff, 0.95)}, {1, Rgb(0xffffff, 0.15)}});
    cairo_fill(cr);
  }
  cairo_arc(cr, 16, 28.5, 1.1, 0, 2 * M_PI);
  SetColor(cr, Rgb(0xffffff, 0.6));
  cairo_fill(cr);
  cairo_arc_negative(cr, 20, 23.5, 10, 1.2, 0.2);
  SetColor(cr, Rgb(0xc8f6ff, 0.55));
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  if (pose.Glint == 1) Sparkle(cr, 15, 13, 4.5);
  if (pose.Glint == 2) Sparkle(cr, 27, 27, 4);
}

void Gold(cairo_t* cr, double y0, double y1) {
  SourceLinear(cr, 0, y0, 0, y1, {{0, Rgb(0xfff0a0)}, {0.45, Rgb(0xe8b43c)}, {1, Rgb(0xa06a14)}});
}

void BookBody(cairo_t* cr, const TPiecePose& pose) {
  const double x0 = 8, y0 = 5, w = 24, h = 29;
  double open = pose.Open;
  // Page block, seen at the fore-edge and the foot.
  RoundRect(cr, x0 + 2, y0 + 2, w + 3, h + 2.5, 2);
  SourceLinear(cr, 0, y0, 0, y0 + h + 4, {{0, Rgb(0xfbf2d6)}, {1, Rgb(0xd9c690)}});
  cairo_fill_preserve(cr);
  Outline(cr, Rgb(0x4a3212), 1.0);
  cairo_new_path(cr);
  cairo_set_line_width(cr, 0.5);
  SetColor(cr, Rgb(0xa08850, 0.7));
  for (double y = y0 + 5; y < y0 + h; y += 2.2) {
    cairo_move_to(cr, x0 + w + 1.2, y);
    cairo_line_to(cr, x0 + w + 4.2, y + 0.6);
  }
  cairo_stroke(cr);
  // When the cover lifts, the pages inside glow.
  double coverW = w * (1 - 0.6 * open);
  if (open > 0) {
    SourceRadial(cr, x0 + coverW + 6, y0 + h / 2, 16 * open + 4,
                 {{0, Rgb(0xfff6c0, 0.9 * open + 0.1)}, {1, Rgb(0xffd860, 0)}});
    cairo_rectangle(cr, 0, 0, 40, 40);
    cairo_fill(cr);
    RoundRect(cr, x0 + 1, y0 + 0.5, w + 2, h, 1.5);
    SetColor(cr, Rgb(0xfdf6dc));
    cairo_fill(cr);
    cairo_set_line_width(cr, 0.6);
    SetColor(cr, Rgb(0x8a7a50, 0.6));
    for (double y = y0 + 6; y < y0 + h - 3; y += 3.2) {
      cairo_move_to(cr, x0 + coverW + 3, y);
      cairo_line_to(cr, x0 + w - 1, y);
    }
    cairo_stroke(cr);
  }
  // Cover.
  RoundRect(cr, x0, y0, coverW, h, 2.5);
  SourceLinear(cr, x0, y0, x0 + coverW, y0 + h, {{0, Rgb(0x9c3e22)}, {0.5, Rgb(0x7a2c18)}, {1, Rgb(0x4e170c)}});
  cairo_fill_preserve(cr);
  Outline(cr, Rgb(0x240804), 1.3);
  cairo_new_path(cr);
  // Spine bands.
  cairo_rectangle(cr, x0 + 0.5, y0 + 0.5, 4, h - 1);
  SetColor(cr, Rgb(0x3a0f07, 0.55));
  cairo_fill(cr);
  for (double y : {y0 + 4.0, y0 + h / 2 - 1, y0 + h - 6}) {
    cairo_rectangle(cr, x0 + 0.5, y, 4, 2);
    Gold(cr, y, y + 2);
    cairo_fill(cr);
  }
  double mx = x0 + 4 + (coverW - 4) / 2, my = y0 + h / 2;
  double squeeze = coverW / w;
  // Gold corners.
  for (int corner = 0; corner < 2; ++corner) {
    double cy = corner == 0 ? y0 : y0 + h;
    double dir = corner == 0 ? 1 : -1;
    Polygon(cr, {{x0 + coverW, cy}, {x0 + coverW - 6 * squeeze, cy}, {x0 + coverW, cy + 6 * dir}});
    Gold(cr, cy - 6, cy + 6);
    cairo_fill(cr);
  }
  // The emblem: a ring with a leaf.
  {
    TSaved s(cr);
    cairo_translate(cr, mx, my);
    cairo_scale(cr, squeeze, 1);
    cairo_arc(cr, 0, 0, 6.2, 0, 2 * M_PI);
    cairo_arc_negative(cr, 0, 0, 4.6, 2 * M_PI, 0);
    Gold(cr, -6, 6);
    cairo_fill(cr);
    cairo_move_to(cr, 0, -3.6);
    cairo_curve_to(cr, 3, -1.5, 2.2, 2.5, 0, 3.8);
    cairo_curve_to(cr, -2.2, 2.5, -3, -1.5, 0, -3.6);
    Gold(cr, -4, 4);
    cairo_fill(cr);
  }
  // Clasp.
  RoundRect(cr, x0 + coverW - 2.5, my - 2.5, 5, 5, 1.2);
  Gold(cr, my - 2.5, my + 2.5);
  cairo_fill_preserve(cr);
  Outline(cr, Rgb(0x5a3a08), 0.6);
  cairo_new_path(cr);
  // Leather sheen.
  RoundRect(cr, x0 + 5, y0 + 1.5, coverW - 7, 5, 2);
  SourceLinear(cr, 0, y0, 0, y0 + 7, {{0, Rgb(0xffd0b0, 0.3)}, {1, Rgb(0xffd0b0, 0)}});
  cairo_fill(cr);
  if (pose.Glint == 1) Sparkle(cr, mx - 4, my - 5, 4.5);
  if (pose.Glint == 2) Sparkle(cr, x0 + coverW - 2, y0 + 2, 4);
}

void PearlBody(cairo_t* cr, const TPiecePose& pose) {
  const double cx = 20, cy = 21, r = 13.5;
  double shift = pose.Glint == 1 ? -1.0 : pose.Glint == 2 ? 1.0 : 0.0;
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  SourceRadial2(cr, cx - 5 + shift, cy - 5.5, 1, cx, cy, r,
                {{0, Rgb(0xffffff)}, {0.3, Rgb(0xf8f1ea)}, {0.72, Rgb(0xd6c6e0)}, {1, Rgb(0x85749c)}});
  cairo_fill_preserve(cr);
  Outline(cr, Rgb(0x4a3c5e, 0.95), 1.3);
  cairo_new_path(cr);
  // Nacre: soft bands of pink and aqua.
  cairo_save(cr);
  cairo_arc(cr, cx, cy, r - 0.6, 0, 2 * M_PI);
  cairo_clip(cr);
  SourceRadial2(cr, cx + 6, cy + 7, 2, cx + 2, cy + 3, 14,
                {{0, Rgb(0xffc8e8, 0.55)}, {0.5, Rgb(0xc8f0ff, 0.28)}, {1, Rgb(0xffffff, 0)}});
  cairo_paint(cr);
  SourceRadial2(cr, cx - 8, cy + 9, 1, cx - 6, cy + 6, 10, {{0, Rgb(0xb8ffe8, 0.35)}, {1, Rgb(0xb8ffe8, 0)}});
  cairo_paint(cr);
  cairo_restore(cr);
  // Specular highlight and the window reflection.
  {
    TSaved s(cr);
    cairo_translate(cr, cx - 5 + shift, cy - 6);
    cairo_rotate(cr, -0.6);
    Ellipse(cr, 0, 0, 4.2, 2.6);
    SourceRadial(cr, 0, 0, 4.2, {{0, Rgb(0xffffff, 1)}, {1, Rgb(0xffffff, 0.1)}});
    cairo_fill(cr);
  }
  cairo_arc(cr, cx + 5.5, cy + 6.5, 1.6, 0, 2 * M_PI);
  SetColor(cr, Rgb(0xffffff, 0.55));
  cairo_fill(cr);
  if (pose.Glint == 1) Sparkle(cr, cx - 6, cy - 7, 5);
  if (pose.Glint == 2) Sparkle(cr, cx + 7, cy - 4, 4);
}

void CrystalBody(cairo_t* cr, const TPiecePose& pose) {
  TPt top{20, 2.5}, right{33.5, 18.5}, bottom{20, 37.5}, left{6.5, 18.5}, mid{19, 17};
  TPt tl{13, 10}, tr{27, 10};
  // Faceted halves: the crown (upper) in four facets, the pavilion in two.
  struct Facet {
    std::vector<TPt> P;
    uint32_t C0, C1;
  };
  const Facet facets[] = {
      {{top, tl, mid}, 0xffd2f4, 0xff8ae0},
      {{top, mid, tr}, 0xf070d4, 0xd040b4},
      {{tl, left, mid}, 0xff9ae6, 0xe050c4},
      {{tr, mid, right}, 0xb02c98, 0x8c1c7c},
      {{left, bottom, mid}, 0xc42ea6, 0x7a1468},
      {{mid, bottom, right}, 0x6c1060, 0x420840},
  };
  for (const Facet& f : facets) {
    Polygon(cr, f.P);
    SourceLinear(cr, f.P[0].X, f.P[0].Y, f.P[2].X, f.P[2].Y, {{0, Rgb(f.C0)}, {1, Rgb(f.C1)}});
    cairo_fill(cr);
  }
  // Facet edges catch the light.
  cairo_set_line_width(cr, 0.6);
  SetColor(cr, Rgb(0xffe8fa, 0.55));
  for (const TPt& p : {top, tl, tr, left, right, bottom}) {
    cairo_move_to(cr, mid.X, mid.Y);
    cairo_line_to(cr, p.X, p.Y);
  }
  cairo_move_to(cr, left.X, left.Y);
  cairo_line_to(cr, tl.X, tl.Y);
  cairo_line_to(cr, top.X, top.Y);
  cairo_stroke(cr);
  // Inner fire.
  SourceRadial(cr, 17, 21, 9, {{0, Rgb(0xffffff, 0.35)}, {1, Rgb(0xff60d0, 0)}});
  Polygon(cr, {top, right, bottom, left});
  cairo_fill(cr);
  Polygon(cr, {top, right, bottom, left});
  Outline(cr, Rgb(0x3a0636), 1.3);
  cairo_new_path(cr);
  if (pose.Glint == 1) Sparkle(cr, 14.5, 9.5, 5.5);
  if (pose.Glint == 2) Sparkle(cr, 25.5, 25, 4.5);
}

void CrossPath(cairo_t* cr) {
  // Shaft widening to a base, and the arms.
  cairo_move_to(cr, 16.8, 2.5);
  cairo_line_to(cr, 23.2, 2.5);
  cairo_line_to(cr, 23.2, 11.5);
  cairo_line_to(cr, 36, 11.5);
  cairo_line_to(cr, 36, 18.5);
  cairo_line_to(cr, 23.2, 18.5);
  cairo_line_to(cr, 24, 33);
  cairo_line_to(cr, 27.5, 37.5);
  cairo_line_to(cr, 12.5, 37.5);
  cairo_line_to(cr, 16, 33);
  cairo_line_to(cr, 16.8, 18.5);
  cairo_line_to(cr, 4, 18.5);
  cairo_line_to(cr, 4, 11.5);
  cairo_line_to(cr, 16.8, 11.5);
  cairo_close_path(cr);
}

void CrossBody(cairo_t* cr, const TPiecePose& pose) {
  auto stone = [&](double y0, double y1) {
    SourceLinear(cr, 6, y0, 32, y1, {{0, Rgb(0xb4bab0)}, {0.5, Rgb(0x7c8279)}, {1, Rgb(0x4a4f48)}});
  };
  // The ring behind the arms.
  cairo_arc(cr, 20, 15, 11.6, 0, 2 * M_PI);
  cairo_arc_negative(cr, 20, 15, 7.0, 2 * M_PI, 0);
  SourceLinear(cr, 8, 4, 32, 26, {{0, Rgb(0xc4cabf)}, {0.6, Rgb(0x8a9086)}, {1, Rgb(0x5a6058)}});
  cairo_fill_preserve(cr);
  Outline(cr, Rgb(0x1c201b), 0.9);
  cairo_new_path(cr);
  CrossPath(cr);
  stone(2, 38);
  cairo_fill_preserve(cr);
  Outline(cr, Rgb(0x1c201b), 1.3);
  cairo_new_path(cr);
  // Carved knots along the shaft and arms.
  cairo_set_line_width(cr, 0.8);
  SetColor(cr, Rgb(0x30352f, 0.75));
  for (double y = 21; y < 32; y += 3.4) {
    cairo_move_to(cr, 18, y);
    cairo_curve_to(cr, 20, y + 2.2, 20, y - 0.6, 22, y + 1.6);
  }
  for (double x : {7.0, 27.5}) {
    cairo_move_to(cr, x, 13.5);
    cairo_curve_to(cr, x + 2, 16.5, x + 3, 13, x + 5, 16);
  }
  cairo_stroke(cr);
  // Moss creeping up the foot and over one arm, kept on the stone.
  {
    TSaved clip(cr);
    CrossPath(cr);
    cairo_clip(cr);
    TNoise noise(77);
    for (int i = 0; i < 9; ++i) {
      double x = 14 + noise.Value(i * 1.7, 0.3) * 12, y = 33.5 + noise.Value(i * 2.3, 5.1) * 4;
      cairo_arc(cr, x, y, 0.9 + noise.Value(i, 9) * 0.9, 0, 2 * M_PI);
    }
    cairo_arc(cr, 6.5, 17.5, 1.6, 0, 2 * M_PI);
    cairo_arc(cr, 8.5, 18, 1.2, 0, 2 * M_PI);
    SetColor(cr, Rgb(0x6a9c3a, 0.9));
    cairo_fill(cr);
  }
  // The boss at the crossing glows faintly, a cursed stone.
  double glow = pose.Glint == 1 ? 0.75 : pose.Glint == 2 ? 0.5 : 0.6;
  SourceRadial(cr, 20, 15, 6, {{0, Rgb(0x9cff8a, glow)}, {1, Rgb(0x9cff8a, 0)}});
  cairo_arc(cr, 20, 15, 6, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_arc(cr, 20, 15, 2.8, 0, 2 * M_PI);
  SourceRadial(cr, 19.3, 14.3, 2.8, {{0, Rgb(0xe0ffd0)}, {1, Rgb(0x3c7a2a)}});
  cairo_fill_preserve(cr);
  Outline(cr, Rgb(0x1c201b), 0.8);
  cairo_new_path(cr);
  // Light edge on the upper arms.
  cairo_move_to(cr, 4.8, 12.2);
  cairo_line_to(cr, 16.4, 12.2);
  cairo_move_to(cr, 17.5, 3.2);
  cairo_line_to(cr, 22.5, 3.2);
  SetColor(cr, Rgb(0xe8ece4, 0.6));
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
}

void Body(cairo_t* cr, TPieceKind kind, const TPiecePose& pose) {
  switch (kind) {
    case pkBlack: return BlackBody(cr, pose);
    case pkMountain: return MountainBody(cr, pose);
    case pkFire: return FireBody(cr, pose);
    case pkTree: return TreeBody(cr, pose);
    case pkWater: return WaterBody(cr, pose);
    case pkBook: return BookBody(cr, pose);
    case pkPearl: return PearlBody(cr, pose);
    case pkCrystal: return CrystalBody(cr, pose);
    case pkCross: return CrossBody(cr, pose);
  }
}

void SpeedLines(cairo_t* cr, int trail) {
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_width(cr, 1.3);
  if (trail == 1 || trail == -1) {
    double x0 = trail == 1 ? 33 : 7, dir = trail == 1 ? 1 : -1;
    const double ys[] = {13, 21, 29};
    for (int i = 0; i < 3; ++i) {
      double len = i == 1 ? 6 : 4;
      SourceLinear(cr, x0, 0, x0 + dir * len, 0, {{0, Rgb(0xffffff, 0.6)}, {1, Rgb(0xffffff, 0)}});
      cairo_move_to(cr, x0, ys[i]);
      cairo_line_to(cr, x0 + dir * len, ys[i]);
      cairo_stroke(cr);
    }
  } else if (trail == 2) {
    for (double x : {14.0, 26.0}) {
      for (int dir : {-1, 1}) {
        double y0 = dir < 0 ? 4 : 36;
        SourceLinear(cr, 0, y0, 0, y0 + dir * 4, {{0, Rgb(0xffffff, 0.5)}, {1, Rgb(0xffffff, 0)}});
        cairo_move_to(cr, x, y0);
        cairo_line_to(cr, x, y0 + dir * 4);
        cairo_stroke(cr);
      }
    }
  }
}

}  // namespace

void DrawPiece(cairo_t* cr, TPieceKind kind, const TPiecePose& pose) {
  TSurface body(40, 40);
  {
    TPen pen(body);
    cairo_translate(pen, 20, 37 - pose.Lift);
    cairo_matrix_t m;
    cairo_matrix_init(&m, pose.ScaleX, 0, -pose.Lean, pose.ScaleY, 0, 0);
    cairo_transform(pen, &m);
    cairo_translate(pen, -20, -37);
    Body(pen, kind, pose);
  }
  TSaved s(cr);
  if (kind != pkFire) {
    // A soft shadow below and to the right grounds the piece on its cell.
    TSurface shade = body.Clone();
    Blur(shade, 1.8);
    SetColor(cr, Rgb(0x000000, 0.55));
    cairo_mask_surface(cr, shade.Get(), 1.2, 2.2);
    // A thin pale rim round the dark outline: on the dark plain cells the
    // outline alone melts into the cell, the rim keeps the shape standing out.
    SetColor(cr, Rgb(kRimColour, kRimAlpha));
    for (int i = 0; i < 8; ++i) {
      const double a = i * M_PI / 4;
      cairo_mask_surface(cr, body.Get(), kRimWidth * std::cos(a), kRimWidth * std::sin(a));
    }
  }
  cairo_set_source_surface(cr, body.Get(), 0, 0);
  cairo_paint(cr);
  if (pose.Trail != 0) SpeedLines(cr, pose.Trail);
}
