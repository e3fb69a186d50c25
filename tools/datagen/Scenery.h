// Landscape pieces for the level backgrounds, the story pictures, the menu and
// the map: skies, hills, forests, great trees, water, light and mist.
#pragma once

#include "Paint.h"

struct TSky {
  TRgba Top, Middle, Horizon;
  double MiddleAt = 0.55;  // where the middle colour sits, 0 top .. 1 horizon
};
void Sky(cairo_t* cr, double w, double horizonY, const TSky& sky);
void Glow(cairo_t* cr, double x, double y, double r, const TRgba& color, cairo_operator_t op = CAIRO_OPERATOR_OVER);
void Stars(cairo_t* cr, double w, double maxY, int count, uint32_t seed, double brightness = 1.0);
void Moon(cairo_t* cr, double x, double y, double r, const TRgba& color);
// Soft clouds along a band.
void Clouds(cairo_t* cr, int w, int h, double y, double spread, int count, uint32_t seed, const TRgba& light,
            const TRgba& shade);
// A ridge of hills or mountains: a noisy skyline at baseY filled down to h.
// jag 0 rolls gently, 1 is craggy.
void Ridge(cairo_t* cr, double w, double h, double baseY, double height, double jag, uint32_t seed,
           const TRgba& top, const TRgba& bottom);
// Snowy peaks: like Ridge with fewer, taller summits and snow on the tops.
void Peaks(cairo_t* cr, double w, double h, double baseY, double height, uint32_t seed, const TRgba& rock,
           const TRgba& shade, const TRgba& snow);
// A band of mist.
void Mist(cairo_t* cr, double w, double y, double thickness, const TRgba& color);
// A line of trees at a depth: conifers or round crowns, in one flat colour
// with a lighter rim on top.
void TreeLine(cairo_t* cr, double w, double h, double baseY, double treeHeight, uint32_t seed, const TRgba& color,
              bool conifers, double rimLight = 0.12);
// Shafts of light from above.
void LightRays(cairo_t* cr, double w, double h, double x, double y, int count, uint32_t seed, const TRgba& color);
// A great tree trunk rising from baseY, with roots, bark and moss.
void GreatTrunk(cairo_t* cr, double x, double baseY, double topY, double width, uint32_t seed, const TRgba& bark,
                double lean = 0);
// A mass of foliage made of many leaf clumps, shaded from top-left.
void Foliage(cairo_t* cr, double cx, double cy, double rx, double ry, uint32_t seed, const TRgba& dark,
             const TRgba& light, int clumps = 26);
// Grass and ground at the bottom edge.
void Meadow(cairo_t* cr, double w, double y, double h, uint32_t seed, const TRgba& back, const TRgba& front,
            double flowers = 0.5);
void Mushroom(cairo_t* cr, double x, double baseY, double size, const TRgba& cap, bool glowing);
void Fireflies(cairo_t* cr, double x0, double y0, double x1, double y1, int count, uint32_t seed,
               const TRgba& color);
// Calm water from y down to h with reflections of what lies above (the
// surface passed in is reflected).
void Water(cairo_t* cr, double w, double y, double h, const TRgba& deep, const TRgba& shine, uint32_t seed);
// The dark castle, its base centred at x on baseY.
void Castle(cairo_t* cr, double x, double baseY, double scale, const TRgba& stone, const TRgba& windows,
            uint32_t seed);
// A standing stone arch or ruin.
void Ruins(cairo_t* cr, double x, double baseY, double scale, const TRgba& stone, uint32_t seed);
// A crystal cluster.
void Crystals(cairo_t* cr, double x, double baseY, double size, const TRgba& color, uint32_t seed);
// Leaves hanging into the picture from the top edge.
void HangingLeaves(cairo_t* cr, double x0, double x1, double y, double depth, uint32_t seed, const TRgba& dark,
                   const TRgba& light);

// The game's name in gilt letters with a glow, and its subtitle between two
// leaves, centred on cx with the name's baseline at y. Scale 1 is the size of
// the main menu's title; w and h are the size of the surface drawn on.
void GameTitle(cairo_t* cr, int w, int h, double cx, double y, double scale);
