#include "AppIcon.h"

#include <cairo-svg.h>

#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "Paint.h"

namespace {

// Colours shared by every size.
constexpr uint32_t kTileTop = 0x3f8a3a, kTileBottom = 0x123a1c;
constexpr uint32_t kGoldTop = 0xf4d88a, kGoldBottom = 0x9a6a24;
constexpr uint32_t kLeafLight = 0x86d64c, kLeafMid = 0x3f9a2e, kLeafDark = 0x1c5a1e;
constexpr uint32_t kLeafLine = 0x0c2e0e, kBarkLine = 0x24140a;
constexpr uint32_t kTreeRim = 0xf4ecd8;

enum class TDetail { Tiny, Small, Medium, Full };

TDetail DetailFor(int size) {
  if (size < 32) return TDetail::Tiny;
  if (size < 48) return TDetail::Small;
  if (size < 128) return TDetail::Medium;
  return TDetail::Full;
}

struct TBlob {
  double X, Y, R;
};

// ---------------------------------------------------------------------------
// 48 pixels and up: drawn on a 64-unit square. The tree keeps the layout of
// the tree piece on the board (a 40-unit cell), enlarged to fill the tile.

const TBlob kCrown[] = {{12.5, 20, 7.2}, {27.5, 20, 7.2}, {20, 11.5, 8.8},
                        {20, 21, 8.6},   {14.2, 13.5, 6.2}, {25.8, 13.5, 6.2}};

void CrownPath(cairo_t* cr) {
  for (const TBlob& b : kCrown) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, b.X, b.Y, b.R, 0, 2 * M_PI);
  }
}

void TrunkPath(cairo_t* cr) {
  cairo_move_to(cr, 13, 37);
  cairo_curve_to(cr, 16, 35.5, 17.5, 33, 17.6, 26);
  cairo_line_to(cr, 22.4, 26);
  cairo_curve_to(cr, 22.5, 33, 24, 35.5, 27, 37);
  cairo_close_path(cr);
}

void Tile(cairo_t* cr, double inset, double radius, double rim) {
  const double side = 64 - 2 * inset;
  RoundRect(cr, inset, inset, side, side, radius);
  SourceLinear(cr, 0, 0, 0, 64, {{0, Rgb(kTileTop)}, {1, Rgb(kTileBottom)}});
  cairo_fill_preserve(cr);
  // Light falls on the tile from above.
  {
    TSaved s(cr);
    cairo_clip_preserve(cr);
    SourceRadial2(cr, 32, 4, 2, 32, 18, 40, {{0, Rgb(0xb8f08a, 0.35)}, {1, Rgb(0xb8f08a, 0)}});
    cairo_paint(cr);
  }
  cairo_set_line_width(cr, rim);
  SourceLinear(cr, 0, 0, 0, 64, {{0, Rgb(kGoldTop)}, {1, Rgb(kGoldBottom)}});
  cairo_stroke(cr);
}

void DrawLarge(cairo_t* cr, bool flecks) {
  const double line = flecks ? 2.2 : 2.8;  // the crown's outline, in cell units
  Tile(cr, 2.5, 11.5, flecks ? 2.0 : 2.6);
  // The tree stands on a soft shadow.
  {
    TSaved s(cr);
    cairo_translate(cr, 32.5, 52.5);
    cairo_scale(cr, 15, 3.2);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    SourceRadial(cr, 0, 0, 1, {{0, Rgb(0x000000, 0.5)}, {1, Rgb(0x000000, 0)}});
    cairo_fill(cr);
  }

  TSaved tree(cr);
  cairo_translate(cr, 7, 6);
  cairo_scale(cr, 1.25, 1.25);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  // A shade cast down and to the right, then a pale rim round the whole tree
  // that keeps its dark outline from melting into the dark tile.
  {
    TSaved s(cr);
    cairo_translate(cr, 1.0, 1.6);
    CrownPath(cr);
    TrunkPath(cr);
    SetColor(cr, Rgb(0x000000, 0.3));
    cairo_fill(cr);
  }
  CrownPath(cr);
  TrunkPath(cr);
  cairo_set_line_width(cr, line + 1.8);
  SetColor(cr, Rgb(kTreeRim, 0.5));
  cairo_stroke(cr);

  TrunkPath(cr);
  SourceLinear(cr, 14, 0, 26, 0, {{0, Rgb(0x8a5a32)}, {0.45, Rgb(0x6b4223)}, {1, Rgb(0x3b2210)}});
  cairo_fill_preserve(cr);
  cairo_set_line_width(cr, flecks ? 1.0 : 1.4);
  SetColor(cr, Rgb(kBarkLine));
  cairo_stroke(cr);

  CrownPath(cr);
  cairo_set_line_width(cr, line);
  SetColor(cr, Rgb(kLeafLine));
  cairo_stroke_preserve(cr);
  SourceLinear(cr, 8, 4, 30, 29, {{0, Rgb(kLeafLight)}, {0.5, Rgb(kLeafMid)}, {1, Rgb(kLeafDark)}});
  cairo_fill(cr);
  // Each mass catches light on its upper left.
  for (const TBlob& b : kCrown) {
    SourceRadial2(cr, b.X - b.R * 0.35, b.Y - b.R * 0.4, 0.5, b.X, b.Y, b.R,
                  {{0, Rgb(0xc4f27a, 0.55)}, {0.6, Rgb(0x7fcf4a, 0.12)}, {1, Rgb(0x2a6e22, 0)}});
    cairo_arc(cr, b.X, b.Y, b.R, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  if (!flecks) return;
  const TPt spots[] = {{15, 9}, {23, 8}, {10, 18}, {18, 16}, {26, 17}, {30, 22}, {14, 24}, {22, 24}};
  for (size_t i = 0; i < std::size(spots); ++i) {
    TSaved s(cr);
    cairo_translate(cr, spots[i].X, spots[i].Y);
    cairo_rotate(cr, -0.6 + 0.4 * static_cast<double>(i));
    Ellipse(cr, 0, 0, 1.7, 0.9);
    SetColor(cr, i % 2 ? Rgb(0xd8ff9a, 0.55) : Rgb(0x1b5219, 0.5));
    cairo_fill(cr);
  }
}

// ---------------------------------------------------------------------------
// 32 pixels: drawn on the pixel grid of a 32-pixel square.

void DrawSmall(cairo_t* cr) {
  RoundRect(cr, 1, 1, 30, 30, 6);
  SourceLinear(cr, 0, 0, 0, 32, {{0, Rgb(kTileTop)}, {1, Rgb(kTileBottom)}});
  cairo_fill(cr);
  RoundRect(cr, 1.5, 1.5, 29, 29, 5.5);
  cairo_set_line_width(cr, 1);
  SourceLinear(cr, 0, 0, 0, 32, {{0, Rgb(kGoldTop)}, {1, Rgb(kGoldBottom)}});
  cairo_stroke(cr);
  Ellipse(cr, 16, 26.5, 8, 1.6);
  SetColor(cr, Rgb(0x000000, 0.4));
  cairo_fill(cr);

  const TBlob crown[] = {{10.5, 14.5, 5}, {21.5, 14.5, 5}, {16, 9.5, 6}, {16, 15, 5.5}};
  auto crownPath = [&] {
    for (const TBlob& b : crown) {
      cairo_new_sub_path(cr);
      cairo_arc(cr, b.X, b.Y, b.R, 0, 2 * M_PI);
    }
  };
  auto trunkPath = [&] {
    cairo_move_to(cr, 12, 27);
    cairo_curve_to(cr, 13.5, 26, 14.5, 25, 14.5, 19);
    cairo_line_to(cr, 17.5, 19);
    cairo_curve_to(cr, 17.5, 25, 18.5, 26, 20, 27);
    cairo_close_path(cr);
  };
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  trunkPath();
  SetColor(cr, Rgb(0x6b4223));
  cairo_fill_preserve(cr);
  cairo_set_line_width(cr, 1);
  SetColor(cr, Rgb(kBarkLine));
  cairo_stroke(cr);
  crownPath();
  cairo_set_line_width(cr, 2);
  SetColor(cr, Rgb(kLeafLine));
  cairo_stroke_preserve(cr);
  SourceLinear(cr, 6, 4, 24, 20, {{0, Rgb(kLeafLight)}, {0.55, Rgb(kLeafMid)}, {1, Rgb(kLeafDark)}});
  cairo_fill(cr);
  SourceRadial(cr, 13, 8.5, 4.5, {{0, Rgb(0xd8ff9a, 0.7)}, {1, Rgb(0xd8ff9a, 0)}});
  cairo_arc(cr, 13, 8.5, 4.5, 0, 2 * M_PI);
  cairo_fill(cr);
}

// ---------------------------------------------------------------------------
// 16 pixels: flat colours on whole and half pixels, so that every edge is
// sharp; the tile fills the square.

void DrawTiny(cairo_t* cr) {
  RoundRect(cr, 0.5, 0.5, 15, 15, 3);
  SourceLinear(cr, 0, 0, 0, 16, {{0, Rgb(0x2f7230)}, {1, Rgb(0x103418)}});
  cairo_fill_preserve(cr);
  cairo_set_line_width(cr, 1);
  SetColor(cr, Rgb(0xc99a45));
  cairo_stroke(cr);
  // The trunk and its roots.
  cairo_rectangle(cr, 7, 9, 2, 4);
  cairo_rectangle(cr, 6, 12, 4, 1);
  SetColor(cr, Rgb(0x7a4c28));
  cairo_fill(cr);
  // The crown: three masses in a dark outline, lit on the upper left.
  const TBlob crown[] = {{5.5, 7.5, 2.5}, {10.5, 7.5, 2.5}, {8, 5.5, 3.5}};
  for (const TBlob& b : crown) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, b.X, b.Y, b.R, 0, 2 * M_PI);
  }
  cairo_set_line_width(cr, 2);
  SetColor(cr, Rgb(kLeafLine));
  cairo_stroke_preserve(cr);
  SetColor(cr, Rgb(0x4ea832));
  cairo_fill(cr);
  cairo_arc(cr, 6.8, 4.8, 1.5, 0, 2 * M_PI);
  SetColor(cr, Rgb(0xa6e466));
  cairo_fill(cr);
}

void WritePngOf(cairo_surface_t* surface, const std::string& path) {
  const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
  if (status != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cannot write " + path);
}

}  // namespace

void DrawAppIcon(cairo_t* cr, int size) {
  TSaved s(cr);
  switch (DetailFor(size)) {
    case TDetail::Tiny:
      cairo_scale(cr, size / 16.0, size / 16.0);
      DrawTiny(cr);
      break;
    case TDetail::Small:
      cairo_scale(cr, size / 32.0, size / 32.0);
      DrawSmall(cr);
      break;
    case TDetail::Medium:
    case TDetail::Full:
      cairo_scale(cr, size / 64.0, size / 64.0);
      DrawLarge(cr, DetailFor(size) == TDetail::Full);
      break;
  }
}

void WriteAppIcon(const std::string& path, int size) {
  if (size < 16 || size > 1024) throw std::runtime_error("an icon is 16 to 1024 pixels wide");
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
  cairo_t* cr = cairo_create(surface);
  DrawAppIcon(cr, size);
  cairo_destroy(cr);
  try {
    WritePngOf(surface, path);
  } catch (...) {
    cairo_surface_destroy(surface);
    throw;
  }
  cairo_surface_destroy(surface);
}

void WriteAppIconSvg(const std::string& path) {
  cairo_surface_t* surface = cairo_svg_surface_create(path.c_str(), 512, 512);
  cairo_svg_surface_set_document_unit(surface, CAIRO_SVG_UNIT_PX);
  cairo_t* cr = cairo_create(surface);
  DrawAppIcon(cr, 512);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  const cairo_status_t status = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cannot write " + path);
}

void WriteAppIconTheme(const std::string& dir, const std::string& name) {
  namespace fs = std::filesystem;
  for (int size : kAppIconSizes) {
    const fs::path folder = fs::path(dir) / (std::to_string(size) + "x" + std::to_string(size)) / "apps";
    fs::create_directories(folder);
    WriteAppIcon((folder / (name + ".png")).string(), size);
  }
  const fs::path scalable = fs::path(dir) / "scalable" / "apps";
  fs::create_directories(scalable);
  WriteAppIconSvg((scalable / (name + ".svg")).string());
}

void WriteAppIconSheet(const std::string& path) {
  constexpr int kCell = 256, kGap = 16;
  constexpr int kCount = static_cast<int>(std::size(kAppIconSizes));
  const int width = kCount * (kCell + kGap) + kGap;
  const int rowY[] = {kCell + 2 * kGap, kCell + 2 * kGap + 512 + 2 * kGap};
  TSurface sheet(width, rowY[1] + 512 + 2 * kGap);
  TPen pen(sheet);
  SetColor(pen, Rgb(0x808080));
  cairo_paint(pen);
  const uint32_t grounds[] = {0x202020, 0xf2f2f2};
  for (int row = 0; row < 2; ++row) {
    SetColor(pen, Rgb(grounds[row]));
    cairo_rectangle(pen, 0, rowY[row], width, 512 + 2 * kGap);
    cairo_fill(pen);
  }
  int cellX = kGap;
  int plainX = kGap;
  for (int size : kAppIconSizes) {
    TSurface icon(size, size);
    {
      TPen draw(icon);
      DrawAppIcon(draw, size);
    }
    // Magnified (the 512 one halved) so that each pixel shows.
    {
      TSaved s(pen);
      const double zoom = static_cast<double>(kCell) / size;
      cairo_translate(pen, cellX, kGap);
      cairo_scale(pen, zoom, zoom);
      cairo_set_source_surface(pen, icon.Get(), 0, 0);
      cairo_pattern_set_filter(cairo_get_source(pen), zoom >= 1 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
      cairo_paint(pen);
    }
    cellX += kCell + kGap;
    // As it is, on a dark and on a light ground.
    for (int row = 0; row < 2; ++row) {
      cairo_set_source_surface(pen, icon.Get(), plainX, rowY[row] + kGap);
      cairo_paint(pen);
    }
    plainX += size + kGap;
  }
  if (!WritePng(sheet, path)) throw std::runtime_error("cannot write " + path);
}
