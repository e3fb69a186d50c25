// Drawing helpers of the sprite layer: patterns as scaled rectangles, rotated
// quads, four free corners, or sub-rectangles.
#pragma once

#include "engine/render/CanopyTypes.h"

class TCanopyCanvas;
class TCanopyImage;

// The pattern as an axis-aligned rectangle. Anchor 0 keeps the top-left corner at
// (x, y); anchor 1 scales about the centre; other anchors draw nothing.
void DrawScaled(TCanopyCanvas& canvas, TCanopyImage* image, int pattern, float x, float y, float scaleX,
                float scaleY, int anchor, bool mirror, bool flip, const TColor4& colors, int blend);
void DrawScaled(TCanopyCanvas& canvas, TCanopyImage* image, int pattern, float x, float y, float scaleX,
                float scaleY, int anchor, bool mirror, bool flip, int red, int green, int blue, int alpha,
                int blend);
// The pattern rotated by angle (radians) and scaled about its centre, centred on (x, y).
void DrawRotated(TCanopyCanvas& canvas, TCanopyImage* image, int pattern, float x, float y, float angle,
                 float scaleX, float scaleY, bool mirror, bool flip, const TColor4& colors, int blend);
void DrawCorners(TCanopyCanvas& canvas, TCanopyImage* image, int pattern, const TQuad& corners, bool mirror,
                 bool flip, const TColor4& colors, int blend);
// The sub-rectangle (left, top, width, height) of the pattern, unscaled, at (x, y).
// A width or height below 1 means the image's visible width or height.
void DrawRegion(TCanopyCanvas& canvas, TCanopyImage* image, int pattern, float x, float y, int left, int top,
                int width, int height, const TColor4& colors, int blend);
// The quad of DrawRotated's geometry, for hit tests.
TQuad RotatedRect(float x, float y, float width, float height, float angle, float scaleX, float scaleY);
// True when q lies inside the quad p (corners in order, boundary included).
bool PointInQuad(const TQuad& p, TPoint2 q);
