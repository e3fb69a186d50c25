// The canvas batches textured and coloured quads, triangles, lines and points
// and hands them to the render back end.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/render/CanopyTypes.h"
#include "engine/render/Device.h"

class TCanopyImage;

class TCanopyCanvas : public TCanopySubscriber {
 public:
  TCanopyCanvas();
  ~TCanopyCanvas() override;

  bool AlphaTesting = true;  // fixed once the device exists
  bool Antialias = true;     // linear (true) or point filtering
  bool Dithering = false;
  int VertexCache() const { return VertexCache_; }
  // Rounded up to a multiple of 4 and clamped to 512..65536.
  void SetVertexCache(int value);

  bool HandleNotice(int code) override;

  void Draw(TCanopyImage* image, int pattern, float x, float y, int effect);
  void DrawColored(TCanopyImage* image, TColor color, float x, float y, int pattern, int effect);
  void StretchDraw(TCanopyImage* image, const TRect& rect, int pattern, int effect);
  void TexMap(TCanopyImage* image, const TQuad& quad, const TColor4& colors, const TPatternRec& pattern,
              int effect);
  void FillTriangle(TColor color, int effect, TPoint2 a, TPoint2 b, TPoint2 c);
  void FillQuad(const TQuad& quad, const TColor4& colors, int effect);
  void FillRect(float left, float top, float right, float bottom, TColor color, int effect) {
    FillQuad(QuadFromRect(left, top, right, bottom), Color4(color), effect);
  }
  void FrameQuad(const TQuad& quad, const TColor4& colors, int effect);
  void Line(TPoint2 a, TPoint2 b, TColor colorA, TColor colorB, int effect);
  void Point(TPoint2 p, TColor color, int effect);
  TRect GetClipRect() const;
  void SetClipRect(const TRect& rect);
  void Flush();

  // Statistics, reset at the start of each scene.
  int BatchCount() const { return Batches_; }
  int CacheStalls() const { return CacheStalls_; }
  int VerticesDrawn() const;
  int IndicesDrawn() const;
  // What is queued and not yet drawn.
  int QueuedVertices() const;
  int QueuedIndices() const;
  int QueuedPrimitives() const;

 private:
  // Makes room for one primitive (flushing as the batching rules require) and
  // returns the index its first vertex will get.
  int Reserve(int vertices, int indices, int kind, int effect, uint32_t texture);

  int VertexCache_ = 4096;
  int Batches_ = 0;
  int CacheStalls_ = 0;
  // The implementation keeps its batch state in a private structure.
  struct Batch;
  Batch* Batch_ = nullptr;
};
