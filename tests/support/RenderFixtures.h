// Helpers for the rendering tests: a headless device with its canvas, image
// and font lists, a renderer that records what the canvas hands it, and
// builders for image and font records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/render/Canvas.h"
#include "engine/render/Device.h"
#include "engine/render/Fonts.h"
#include "engine/render/ImageRecord.h"
#include "engine/render/Images.h"
#include "platform/Platform.h"

namespace render_test {

// An image record of `count` textures of tw x th in A8R8G8B8, every texel set
// by fill(texture, x, y) (0xAARRGGBB).
template <typename Fill>
TImageRecord MakeRecord(int tw, int th, int count, int pw, int ph, int vw, int vh, Fill fill,
                        int patternCount = 0) {
  TImageRecord r;
  r.Format = pfA8R8G8B8;
  r.PatternWidth = pw;
  r.PatternHeight = ph;
  r.VisibleWidth = vw;
  r.VisibleHeight = vh;
  r.PatternCount = patternCount;
  r.TextureWidth = tw;
  r.TextureHeight = th;
  r.TextureCount = count;
  for (int t = 0; t < count; ++t) {
    for (int y = 0; y < th; ++y) {
      for (int x = 0; x < tw; ++x) {
        uint8_t p[4];
        ArgbToPixel(pfA8R8G8B8, fill(t, x, y), p);
        r.Pixels.insert(r.Pixels.end(), p, p + 4);
      }
    }
  }
  return r;
}

inline TImageRecord SolidRecord(int w, int h, uint32_t argb) {
  return MakeRecord(w, h, 1, w, h, w, h, [argb](int, int, int) { return argb; });
}

// A font whose glyph i is a solid w x h block, advance `advance`, for the
// characters first .. first + count - 1.
inline TFontRecord BlockFont(uint8_t first, int count, int w, int h, int advance) {
  TFontRecord f;
  f.FirstChar = first;
  f.Glyphs.assign(static_cast<size_t>(count), TGlyph{advance, h});
  f.Image = MakeRecord(w * count, h, 1, w, h, w, h, [](int, int, int) { return 0xFFFFFFFFu; });
  return f;
}

// One call the canvas made on the back end.
struct RecordedDraw {
  enum Kind { Triangles, Lines, Points } What;
  uint32_t Texture;
  int Effect;
  std::vector<plat::Vertex> Vertices;
  std::vector<int> Indices;
};

// A back end that draws nothing and remembers every call.
class RecordingRenderer : public plat::Renderer {
 public:
  int Width() const override { return 800; }
  int Height() const override { return 600; }
  plat::TextureId CreateTexture(int, int) override { return ++NextTexture; }
  bool UpdateTexture(plat::TextureId, const uint32_t*, int) override { return true; }
  void DestroyTexture(plat::TextureId) override { ++Destroyed; }
  void SetLinearFiltering(bool linear) override { Linear = linear; }
  void DrawTriangles(plat::TextureId tex, const plat::Vertex* v, int nv, const int* idx, int ni,
                     int effect) override {
    Draws.push_back({RecordedDraw::Triangles, tex, effect, {v, v + nv}, {idx, idx + ni}});
  }
  void DrawLines(const plat::Vertex* v, int nv, const int* idx, int ni, int effect) override {
    Draws.push_back({RecordedDraw::Lines, 0, effect, {v, v + nv}, {idx, idx + ni}});
  }
  void DrawPoints(const plat::Vertex* v, int nv, int effect) override {
    Draws.push_back({RecordedDraw::Points, 0, effect, {v, v + nv}, {}});
  }
  void SetClip(const plat::ClipRect* rect) override {
    HasClip = rect != nullptr;
    if (rect) Clip = *rect;
  }
  void Clear(uint32_t) override {}
  void Present() override {}
  bool ReadPixels(std::vector<uint32_t>&, int&, int&) override { return false; }
  int DrawCalls() const override { return static_cast<int>(Draws.size()); }

  std::vector<RecordedDraw> Draws;
  plat::TextureId NextTexture = 0;
  int Destroyed = 0;
  bool Linear = false;
  bool HasClip = false;
  plat::ClipRect Clip;
};

// A device with a canvas, an image list and a font list, initialised on the
// given back end (the headless SDL renderer when none is given).
class RenderRig {
 public:
  explicit RenderRig(std::unique_ptr<plat::Renderer> backEnd = nullptr);
  ~RenderRig();

  plat::Renderer& BackEnd() { return *BackEnd_; }
  // Loads a record into a new image of the list, named name.
  TCanopyImage* AddImage(const std::string& name, const TImageRecord& record, TAlphaLevel alpha = alFull);
  TCanopyFont* AddFont(const TFontRecord& record);
  // Clears to colour, runs draw inside a scene, presents, and reads the picture.
  template <typename Draw>
  void Frame(TColor clear, Draw draw) {
    Device.OnRender = [&](TCanopyDevice&) { draw(); };
    Device.Render(clear, true);
    Device.Present();
    int w = 0, h = 0;
    BackEnd_->ReadPixels(Pixels, w, h);
  }
  // 0xAARRGGBB of the last frame's pixel.
  uint32_t Pixel(int x, int y) const { return Pixels[static_cast<size_t>(y) * 800 + x]; }

  std::unique_ptr<plat::Renderer> BackEnd_;
  TCanopyDevice Device;
  TCanopyCanvas Canvas;
  TCanopyImages Images;
  TCanopyFonts Fonts;
  std::vector<uint32_t> Pixels;
};

}  // namespace render_test
