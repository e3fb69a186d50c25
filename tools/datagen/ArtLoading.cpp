// The loading panel: a small framed board in the colours of the menu's sign
// and the logo, the game's name in gilt letters, and a carved groove where
// the game draws its progress bar.
#include "ArtLoading.h"

#include <cmath>
#include <stdexcept>

#include "Materials.h"
#include "Paint.h"
#include "Scenery.h"
#include "engine/render/ImageFile.h"

namespace {

void Frame(cairo_t* cr) {
  const double w = kLoadingWidth, h = kLoadingHeight;
  RoundRect(cr, 1, 1, w - 2, h - 2, 14);
  TSurface wood = WoodTexture(kLoadingWidth, kLoadingHeight, 7171, Rgb(0x9a6236), Rgb(0x4a260e), true, 1.5);
  cairo_save(cr);
  cairo_clip_preserve(cr);
  FillTexture(cr, wood, 0, 0);
  cairo_restore(cr);
  Bevel(cr, 4, 0.35, 0.6);
  SourceLinear(cr, 0, 0, 0, h, {{0, Rgb(0xfff0a0)}, {1, Rgb(0x8a5a18)}});
  cairo_set_line_width(cr, 2.5);
  cairo_stroke(cr);
  // The deep green board inside, with a vignette.
  RoundRect(cr, 8, 8, w - 16, h - 16, 8);
  SourceLinear(cr, 0, 8, 0, h - 8, {{0, Rgb(0x24521f)}, {0.6, Rgb(0x153812)}, {1, Rgb(0x0b1f09)}});
  cairo_fill_preserve(cr);
  SourceRadial2(cr, w / 2, h * 0.42, 20, w / 2, h * 0.42, w * 0.62, {{0, Rgb(0x000000, 0)}, {1, Rgb(0x000000, 0.45)}});
  cairo_fill_preserve(cr);
  SetColor(cr, Rgb(0x2a1406, 0.8));
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
}

// The carved groove the bar fills, with its word above it.
void Groove(cairo_t* cr) {
  const double x = kLoadingBarX, y = kLoadingBarY, w = kLoadingBarW, h = kLoadingBarH;
  RoundRect(cr, x - 3, y - 3, w + 6, h + 6, 7);
  SourceLinear(cr, 0, y - 3, 0, y + h + 3, {{0, Rgb(0x1a0c04)}, {1, Rgb(0x6a4020)}});
  cairo_fill(cr);
  RoundRect(cr, x, y, w, h, 5);
  SourceLinear(cr, 0, y, 0, y + h, {{0, Rgb(0x020801)}, {0.3, Rgb(0x0c2209)}, {1, Rgb(0x143a10)}});
  cairo_fill(cr);
  const std::string word = "Gathering the grove\xE2\x80\xA6";
  SetFont(cr, fontfiles::kGaramondItalic, 16);
  TextPath(cr, word, kLoadingWidth / 2.0 - TextWidth(cr, word) / 2, y - 12);
  SetColor(cr, Rgb(0xe8dcb0, 0.9));
  cairo_fill(cr);
}

}  // namespace

std::vector<uint8_t> LoadingPanelPng() {
  TSurface panel(kLoadingWidth, kLoadingHeight);
  {
    TPen cr(panel);
    Frame(cr);
    Fireflies(cr, 24, 24, kLoadingWidth - 24, 200, 14, 7172, Rgb(0xfff4a0, 0.85));
    GameTitle(cr, kLoadingWidth, kLoadingHeight, kLoadingWidth / 2.0, 118, 0.62);
    Groove(cr);
  }
  TBitmap32 bitmap;
  bitmap.Width = kLoadingWidth;
  bitmap.Height = kLoadingHeight;
  bitmap.Pixels.resize(static_cast<size_t>(kLoadingWidth) * kLoadingHeight);
  for (int yy = 0; yy < kLoadingHeight; ++yy)
    for (int xx = 0; xx < kLoadingWidth; ++xx)
      bitmap.Pixels[static_cast<size_t>(yy) * kLoadingWidth + xx] = StraightPixel(panel, xx, yy);
  std::vector<uint8_t> png;
  std::string error;
  if (!EncodeImageFile("loading.png", bitmap, png, &error)) throw std::runtime_error("loading panel: " + error);
  return png;
}
