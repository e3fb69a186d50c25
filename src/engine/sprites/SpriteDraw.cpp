#include "engine/sprites/SpriteDraw.h"

#include <cmath>

#include "engine/render/Canvas.h"
#include "engine/render/Images.h"
#include "engine/sprites/Sprite.h"

void DrawScaled(TCanopyCanvas& canvas, TCanopyImage* image, int pattern, float x, float y, float scaleX,
                float scaleY, int anchor, bool mirror, bool flip, const TColor4& colors, int blend) {
  if (!image) return;
  const double w = image->VisibleSize.W;
  const double h = image->VisibleSize.H;
  double left = x, top = y, width = w, height = h;
  if (anchor == 0) {
    width = RoundEven(w * scaleX);
    height = RoundEven(h * scaleY);
  } else if (anchor == 1) {
    if (scaleX != 1.0f || scaleY != 1.0f) {
      width = RoundEven(w * scaleX);
      height = RoundEven(h * scaleY);
      left = x + RoundEven((w - w * scaleX) / 2);
      top = y + RoundEven((h - h * scaleY) / 2);
    }
  } else {
    return;
  }
  TPatternRec rec;
  rec.Index = pattern;
  rec.Flip = flip;
  rec.Mirror = mirror;
  canvas.TexMap(image,
                QuadFromRect(static_cast<float>(left), static_cast<float>(top), static_cast<float>(left + width),
                             static_cast<float>(top + height)),
                colors, rec, blend);
}

void DrawScaled(TCanopyCanvas& canvas, TCanopyImage* image, int pattern, float x, float y, float scaleX,
                float scaleY, int anchor, bool mirror, bool flip, int red, int green, int blue, int alpha,
                int blend) {
  const TColor c = (static_cast<uint32_t>(red) & 0xFF) | ((static_cast<uint32_t>(green) & 0xFF) << 8) |
                   ((static_cast<uint32_t>(blue) & 0xFF) << 16) | ((static_cast<uint32_t>(alpha) & 0xFF) << 24);
  DrawScaled(canvas, image, pattern, x, y, scaleX, scaleY, anchor, mirror, flip, Color4(c), blend);
}

TQuad RotatedRect(float x, float y, float width, float height, float angle, float scaleX, float scaleY) {
  const double c = std::cos(angle), s = std::sin(angle);
  const double hw = width / 2.0, hh = height / 2.0;
  const double corners[4][2] = {{-hw, -hh}, {hw, -hh}, {hw, hh}, {-hw, hh}};
  TQuad q;
  for (int i = 0; i < 4; ++i) {
    const double cx = corners[i][0] * scaleX;
    const double cy = corners[i][1] * scaleY;
    q[i].X = static_cast<float>(cx * c - cy * s + x);
    q[i].Y = static_cast<float>(cy * c + cx * s + y);
  }
  return q;
}

void DrawRotated(TCanopyCanvas& canvas, TCanopyImage* image, int pattern, float x, float y, float angle,
                 float scaleX, float scaleY, bool mirror, bool flip, const TColor4& colors, int blend) {
  if (!image) return;
  TPatternRec rec;
  rec.Index = pattern;
  rec.Flip = flip;
  rec.Mirror = mirror;
  canvas.TexMap(image,
                RotatedRect(x, y, static_cast<float>(image->VisibleSize.W), static_cast<float>(image->VisibleSize.H),
                            angle, scaleX, scaleY),
                colors, rec, blend);
}

void DrawCorners(TCanopyCanvas& canvas, TCanopyImage* image, int pattern, const TQuad& corners, bool mirror,
                 bool flip, const TColor4& colors, int blend) {
  if (!image) return;
  TPatternRec rec;
  rec.Index = pattern;
  rec.Flip = flip;
  rec.Mirror = mirror;
  canvas.TexMap(image, corners, colors, rec, blend);
}

void DrawRegion(TCanopyCanvas& canvas, TCanopyImage* image, int pattern, float x, float y, int left, int top,
                int width, int height, const TColor4& colors, int blend) {
  if (!image) return;
  const int w = width < 1 ? image->VisibleSize.W : width;
  const int h = height < 1 ? image->VisibleSize.H : height;
  TPatternRec rec;
  rec.Index = pattern;
  rec.Left = left;
  rec.Top = top;
  rec.Width = w;
  rec.Height = h;
  canvas.TexMap(image, QuadFromRect(x, y, x + static_cast<float>(w), y + static_cast<float>(h)), colors, rec,
                blend);
}

bool PointInQuad(const TQuad& p, TPoint2 q) {
  auto dot = [](TPoint2 a, TPoint2 b, TPoint2 from, TPoint2 to) {
    // (b - a) . (to - from)
    return static_cast<double>(b.X - a.X) * (to.X - from.X) + static_cast<double>(b.Y - a.Y) * (to.Y - from.Y);
  };
  return dot(p[1], p[2], p[0], q) >= 0 && dot(p[2], p[3], p[1], q) >= 0 && dot(p[3], p[0], p[2], q) >= 0 &&
         dot(p[0], p[1], p[3], q) >= 0;
}
