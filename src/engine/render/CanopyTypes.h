// Small value types shared by the rendering layer, the sprite engine and the GUI.
#pragma once

#include <array>
#include <cstdint>

// Colour: red in bits 0-7, green 8-15, blue 16-23, alpha 24-31.
using TColor = uint32_t;

struct TPoint2 {
  float X = 0, Y = 0;
};

// Four corners: top-left, top-right, bottom-right, bottom-left.
using TQuad = std::array<TPoint2, 4>;
using TColor4 = std::array<TColor, 4>;

struct TRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

struct TSize {
  int32_t W = 0, H = 0;
};

// Which part of an image pattern a textured quad shows. Left/Top/Width/Height of
// 0 mean the whole visible pattern.
struct TPatternRec {
  int32_t Index = 0;
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  bool Flip = false;
  bool Mirror = false;
};

// Blend-effect codes the game uses.
constexpr int kBlendOpaque = 1;      // one, zero, add
constexpr int kBlendAlpha = 1284;    // source alpha, inverse source alpha, add
constexpr int kBlendAdditive = 260;  // source alpha, one, add
// Added by the canvas when a textured quad's colours are not all white.
constexpr int kEffectModulate = 0x10000000;

inline TQuad QuadFromRect(float left, float top, float right, float bottom) {
  return {TPoint2{left, top}, TPoint2{right, top}, TPoint2{right, bottom}, TPoint2{left, bottom}};
}

inline TColor4 Color4(TColor c) { return {c, c, c, c}; }
