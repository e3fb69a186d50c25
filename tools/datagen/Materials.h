// Procedural materials shared by the drawings: wood, bark, brushed metal,
// stone, parchment and moss, each an opaque texture to clip into a shape.
#pragma once

#include "Paint.h"

// Planks: grain along x when horizontal, along y otherwise.
TSurface WoodTexture(int w, int h, uint32_t seed, const TRgba& light, const TRgba& dark, bool horizontal,
                     double grainScale = 1.0);
TSurface MetalTexture(int w, int h, uint32_t seed, const TRgba& light, const TRgba& dark);
TSurface StoneTexture(int w, int h, uint32_t seed, const TRgba& light, const TRgba& dark, double scale = 1.0);
TSurface ParchmentTexture(int w, int h, uint32_t seed);
TSurface MossTexture(int w, int h, uint32_t seed);

// Fills the current path with a texture placed at (x, y); the path is kept.
void FillTexture(cairo_t* cr, const TSurface& texture, double x, double y);

// A soft bevel inside the current path: light on the upper left, shade on
// the lower right; the path is kept.
void Bevel(cairo_t* cr, double width, double lightAlpha, double shadeAlpha);

// A leaf (pointed ellipse) at a point, angle in radians, with a midrib.
void Leaf(cairo_t* cr, double x, double y, double length, double width, double angle, const TRgba& color);
// A twining vine along a polyline with leaves every few pixels.
void Vine(cairo_t* cr, const std::vector<TPt>& path, double width, uint32_t seed, double leafEvery = 9.0,
          double leafSize = 7.0);
