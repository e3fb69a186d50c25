// Windowed frames are drawn again only where they differ from the frame on
// screen. The damage must cover every changed pixel: a picture built from
// partial redraws must equal the picture drawn whole, frame after frame.
#include <gtest/gtest.h>

#include <SDL.h>

#include <random>
#include <vector>

#include "platform/FrameDamage.h"
#include "platform/SdlRenderer.h"

namespace {

using plat::DamageRect;
using plat::FrameDamage;
using plat::FramePrim;

FramePrim Prim(uint64_t hash, int x, int y, int w, int h) { return FramePrim{hash, x, y, x + w, y + h}; }

bool Covers(const std::vector<DamageRect>& rects, int x, int y) {
  for (const DamageRect& r : rects)
    if (x >= r.X && x < r.X + r.W && y >= r.Y && y < r.Y + r.H) return true;
  return false;
}

TEST(FrameDamage, FindsWhatMovedChangedOrwasReorderedAndNothingElse) {
  FrameDamage damage(800, 600);
  std::vector<DamageRect> rects;
  const std::vector<FramePrim> board = {Prim(1, 0, 0, 800, 600), Prim(2, 100, 100, 40, 40),
                                        Prim(3, 300, 300, 40, 40), Prim(4, 600, 100, 40, 40)};

  // The same frame again: nothing to draw.
  ASSERT_TRUE(damage.Compute(board, board, rects));
  EXPECT_TRUE(rects.empty());

  // One piece moves: its old and its new place are damaged, the far corner is not.
  std::vector<FramePrim> moved = board;
  moved[2] = Prim(5, 340, 300, 40, 40);
  ASSERT_TRUE(damage.Compute(board, moved, rects));
  EXPECT_TRUE(Covers(rects, 301, 301));
  EXPECT_TRUE(Covers(rects, 379, 339));
  EXPECT_FALSE(Covers(rects, 700, 500));
  EXPECT_FALSE(Covers(rects, 110, 110));

  // A piece drawn later than before (raised over the others) is damaged even
  // though it did not change; the rest keeps its order and stays.
  std::vector<FramePrim> raised = {board[0], board[2], board[3], board[1]};
  ASSERT_TRUE(damage.Compute(board, raised, rects));
  EXPECT_TRUE(Covers(rects, 120, 120));
  EXPECT_FALSE(Covers(rects, 320, 320));
  EXPECT_FALSE(Covers(rects, 620, 120));

  // Something new appears, something goes.
  std::vector<FramePrim> swapped = {board[0], board[1], board[2], Prim(9, 700, 500, 20, 20)};
  ASSERT_TRUE(damage.Compute(board, swapped, rects));
  EXPECT_TRUE(Covers(rects, 610, 110));
  EXPECT_TRUE(Covers(rects, 710, 510));

  // Twins: two equal primitives, one of them gone, still damage one place.
  const std::vector<FramePrim> twins = {Prim(1, 0, 0, 800, 600), Prim(7, 10, 10, 20, 20), Prim(7, 10, 10, 20, 20)};
  const std::vector<FramePrim> single = {twins[0], twins[1]};
  ASSERT_TRUE(damage.Compute(twins, single, rects));
  EXPECT_TRUE(Covers(rects, 15, 15));

  // A new background changes everything: the whole frame is drawn.
  std::vector<FramePrim> repainted = board;
  repainted[0].Hash = 99;
  EXPECT_FALSE(damage.Compute(board, repainted, rects));
}

TEST(FrameDamage, ScatteredChangesBecomeAFewRectangles) {
  FrameDamage damage(800, 600);
  std::vector<DamageRect> rects;
  std::vector<FramePrim> before, after;
  before.push_back(Prim(1, 0, 0, 800, 600));
  after.push_back(before[0]);
  for (int i = 0; i < 40; ++i) {
    before.push_back(Prim(100 + i, (i * 97) % 780, (i * 53) % 580, 8, 8));
    after.push_back(Prim(200 + i, (i * 97) % 780, (i * 53) % 580, 8, 8));
  }
  ASSERT_TRUE(damage.Compute(before, after, rects));
  EXPECT_LE(rects.size(), static_cast<size_t>(FrameDamage::kMaxRects));
  for (int i = 0; i < 40; ++i) EXPECT_TRUE(Covers(rects, (i * 97) % 780 + 4, (i * 53) % 580 + 4)) << i;
}

// Two windows on SDL's dummy video driver, each with the windowed renderer:
// one draws only the damage, the other is made to draw every frame whole.
class WindowedFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << SDL_GetError();
    for (int i = 0; i < 2; ++i) {
      Windows_[i] = SDL_CreateWindow("frames", 0, 0, 800, 600, SDL_WINDOW_HIDDEN);
      if (!Windows_[i]) GTEST_SKIP() << SDL_GetError();
      std::string error;
      Renderers_[i] = plat::CreateSdlRenderer(Windows_[i], 800, 600, false, error);
      if (!Renderers_[i]) GTEST_SKIP() << error;
    }
  }
  void TearDown() override {
    for (auto& r : Renderers_) r.reset();
    for (SDL_Window* w : Windows_)
      if (w) SDL_DestroyWindow(w);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  SDL_Window* Windows_[2] = {nullptr, nullptr};
  std::unique_ptr<plat::Renderer> Renderers_[2];
};

struct Sprite {
  int Texture;
  float X, Y, W, H;
  uint32_t Color;
  int Effect;
};

void Quad(plat::Renderer& r, plat::TextureId tex, const Sprite& s) {
  plat::Vertex v[4];
  v[0] = {s.X, s.Y, s.Color, 0, 0};
  v[1] = {s.X + s.W, s.Y, s.Color, 1, 0};
  v[2] = {s.X + s.W, s.Y + s.H, s.Color, 1, 1};
  v[3] = {s.X, s.Y + s.H, s.Color, 0, 1};
  const int idx[6] = {0, 1, 3, 1, 2, 3};
  r.DrawTriangles(tex, v, 4, idx, 6, s.Effect);
}

TEST_F(WindowedFrames, PartialRedrawsGiveTheSamePictureAsWholeOnes) {
  std::mt19937 rng(7);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
  // Textures: a background and a few sprite sheets, one of which changes.
  std::vector<std::vector<uint32_t>> pixels(4);
  auto fill = [&](int t, int w, int h, uint32_t seed) {
    pixels[t].resize(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < pixels[t].size(); ++i)
      pixels[t][i] = (t == 0 ? 0xFF000000u : (i % 7 == 0 ? 0x00000000u : 0x80000000u)) |
                     ((static_cast<uint32_t>(i) * 2654435761u + seed) & 0x00FFFFFFu);
  };
  const int sizes[4][2] = {{800, 600}, {40, 40}, {64, 32}, {16, 16}};
  plat::TextureId ids[2][4];
  for (int t = 0; t < 4; ++t) {
    fill(t, sizes[t][0], sizes[t][1], static_cast<uint32_t>(t));
    for (int k = 0; k < 2; ++k) {
      Renderers_[k]->SetLinearFiltering(t == 2);
      ids[k][t] = Renderers_[k]->CreateTexture(sizes[t][0], sizes[t][1]);
      ASSERT_NE(ids[k][t], 0u);
      ASSERT_TRUE(Renderers_[k]->UpdateTexture(ids[k][t], pixels[t].data(), sizes[t][0]));
    }
  }
  std::vector<Sprite> sprites;
  for (int i = 0; i < 120; ++i) {
    const int t = 1 + pick(3);
    sprites.push_back({t, static_cast<float>(pick(780)) - 10.5f, static_cast<float>(pick(580)) - 10.0f,
                       static_cast<float>(sizes[t][0]), static_cast<float>(sizes[t][1]),
                       pick(4) == 0 ? 0xC080FFFFu : 0xFFFFFFFFu, pick(3) == 0 ? 260 : 1284});
  }

  std::vector<uint32_t> a, b;
  for (int frame = 0; frame < 40; ++frame) {
    // A few sprites move, one is raised to the top, now and then a texture
    // changes its pixels or the frame is the same as the last.
    if (frame % 9 != 4) {
      for (int m = 0; m < 3; ++m) {
        Sprite& s = sprites[static_cast<size_t>(pick(static_cast<int>(sprites.size())))];
        s.X += static_cast<float>(pick(21) - 10) * 0.75f;
        s.Y += static_cast<float>(pick(21) - 10);
      }
      const size_t up = static_cast<size_t>(pick(static_cast<int>(sprites.size())));
      Sprite raised = sprites[up];
      sprites.erase(sprites.begin() + static_cast<std::ptrdiff_t>(up));
      sprites.push_back(raised);
    }
    if (frame % 7 == 3) {
      fill(3, 16, 16, static_cast<uint32_t>(frame));
      for (int k = 0; k < 2; ++k) Renderers_[k]->UpdateTexture(ids[k][3], pixels[3].data(), 16);
    }
    for (int k = 0; k < 2; ++k) {
      plat::Renderer& r = *Renderers_[k];
      r.Clear(0xFF000000);
      Quad(r, ids[k][0], {0, -0.5f, -0.5f, 800, 600, 0xFFFFFFFF, 1});
      for (size_t i = 0; i < sprites.size(); ++i) {
        if (i == 60) {
          const plat::ClipRect clip{100, 80, 500, 300};
          r.SetClip(&clip);
        }
        if (i == 90) r.SetClip(nullptr);
        Quad(r, ids[k][sprites[i].Texture], sprites[i]);
      }
      const plat::Vertex line[2] = {{10, static_cast<float>(frame * 5), 0xFF00FF00, 0, 0},
                                    {300, static_cast<float>(frame * 5 + 40), 0xFF0000FF, 0, 0}};
      const int li[2] = {0, 1};
      r.DrawLines(line, 2, li, 2, 1284);
      if (k == 1) r.Invalidate();
      r.Present();
    }
    int w = 0, h = 0;
    ASSERT_TRUE(Renderers_[0]->ReadPixels(a, w, h));
    ASSERT_TRUE(Renderers_[1]->ReadPixels(b, w, h));
    ASSERT_EQ(a.size(), b.size());
    size_t differ = 0, first = 0;
    for (size_t i = 0; i < a.size(); ++i)
      if (a[i] != b[i] && differ++ == 0) first = i;
    ASSERT_EQ(differ, 0u) << "frame " << frame << ": first difference at (" << first % 800 << ", " << first / 800
                          << ")";
    // What the window shows, where only the changed parts were sent, is the
    // same picture.
    SDL_Surface* shown = SDL_GetWindowSurface(Windows_[0]);
    ASSERT_NE(shown, nullptr);
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(shown, SDL_PIXELFORMAT_ARGB8888, 0);
    ASSERT_NE(argb, nullptr);
    ASSERT_EQ(argb->w, 800);
    differ = 0;
    for (int y = 0; y < 600; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) + y * argb->pitch);
      for (int x = 0; x < 800; ++x)
        if ((row[x] | 0xFF000000u) != b[static_cast<size_t>(y) * 800 + x] && differ++ == 0) first = static_cast<size_t>(y) * 800 + x;
    }
    SDL_FreeSurface(argb);
    ASSERT_EQ(differ, 0u) << "window, frame " << frame << ": first difference at (" << first % 800 << ", "
                          << first / 800 << ")";
  }
}

}  // namespace
