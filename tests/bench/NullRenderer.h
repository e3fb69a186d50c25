// A back end for the benchmarks that draws nothing but keeps the canvas's
// vertices alive, so the work of batching them is measured and not optimised
// away.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/Platform.h"

class NullRenderer : public plat::Renderer {
 public:
  int Width() const override { return 800; }
  int Height() const override { return 600; }
  plat::TextureId CreateTexture(int, int) override { return ++Next_; }
  bool UpdateTexture(plat::TextureId, const uint32_t*, int) override { return true; }
  void DestroyTexture(plat::TextureId) override {}
  void SetLinearFiltering(bool) override {}
  void DrawTriangles(plat::TextureId, const plat::Vertex* v, int, const int*, int, int) override {
    benchmark::DoNotOptimize(v);
    ++Calls_;
  }
  void DrawLines(const plat::Vertex*, int, const int*, int, int) override {}
  void DrawPoints(const plat::Vertex*, int, int) override {}
  void SetClip(const plat::ClipRect*) override {}
  void Clear(uint32_t) override {}
  void Present() override {}
  bool ReadPixels(std::vector<uint32_t>&, int&, int&) override { return false; }
  int DrawCalls() const override { return Calls_; }

 private:
  plat::TextureId Next_ = 0;
  int Calls_ = 0;
};
