#include "AppIcon.h"

#include <stdexcept>

#include "PieceLook.h"

void WriteAppIcon(const std::string& path, int size) {
  if (size < 16 || size > 1024) throw std::runtime_error("an icon is 16 to 1024 pixels wide");
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
  cairo_t* cr = cairo_create(surface);
  const double s = size;
  // The tile: deep grove green, lighter at the top, with a thin golden rim.
  RoundRect(cr, s * 0.04, s * 0.04, s * 0.92, s * 0.92, s * 0.18);
  SourceLinear(cr, 0, 0, 0, s, {{0, Rgb(0x3f8a3a)}, {1, Rgb(0x123a1c)}});
  cairo_fill_preserve(cr);
  cairo_set_line_width(cr, s * 0.03);
  SourceLinear(cr, 0, 0, 0, s, {{0, Rgb(0xf4d88a)}, {1, Rgb(0x9a6a24)}});
  cairo_stroke(cr);
  // The tree, drawn in its 40 x 40 cell and scaled to fill most of the tile.
  const double scale = s * 0.78 / 40.0;
  cairo_save(cr);
  cairo_translate(cr, (s - 40.0 * scale) / 2, (s - 40.0 * scale) / 2);
  cairo_scale(cr, scale, scale);
  DrawPiece(cr, pkTree, TPiecePose{});
  cairo_restore(cr);
  cairo_destroy(cr);
  const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cannot write " + path);
}
