// Which parts of the picture a new frame changes. A windowed frame is a list
// of primitives drawn in order over the last one; the frame texture still
// holds the last frame's pixels, so only the places where the two lists differ
// need drawing again. Everywhere else each pixel is covered by the same
// primitives in the same order, and therefore keeps its colour.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat {

// One primitive of a recorded frame: a hash of everything that decides its
// pixels (texture and its contents, blending, clipping, vertices), and the
// rectangle it may touch, [X0, X1) x [Y0, Y1), already inside the picture.
struct FramePrim {
  uint64_t Hash = 0;
  int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
};

struct DamageRect {
  int X = 0, Y = 0, W = 0, H = 0;
};

class FrameDamage {
 public:
  // The picture's size; damage is gathered on a grid of cell x cell pixels.
  FrameDamage(int width, int height, int cell = 16);

  // The rectangles to draw again so that the picture of `before` becomes the
  // picture of `after` (none when the frames draw the same). Returns false
  // when so much changed that drawing the whole frame is cheaper.
  bool Compute(const std::vector<FramePrim>& before, const std::vector<FramePrim>& after,
               std::vector<DamageRect>& rects);

  // At most this many rectangles come out; more are merged.
  static constexpr int kMaxRects = 8;
  // Above this share of the picture (in per cent) the whole frame is drawn.
  static constexpr int kFullRedrawPercent = 70;

 private:
  void Mark(const FramePrim& p);

  int Width_, Height_, Cell_, Cols_, Rows_;
  std::vector<uint8_t> Dirty_;
  // Scratch space kept between frames.
  std::vector<std::pair<uint64_t, int>> Sorted_;
  std::vector<int> MatchOf_, Taken_, Tails_, TailIndex_, Parent_;
  std::vector<uint8_t> Kept_;
};

// A 64-bit hash of bytes, seeded; fast on the few dozen bytes of a primitive.
uint64_t HashBytes(const void* data, size_t size, uint64_t seed);

}  // namespace plat
