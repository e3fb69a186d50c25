// The eleven level backgrounds, one for each stretch of the journey from the
// grove to the dark castle. Each is painted at screen size and stored in a
// 512 x 512 picture that the game stretches back over the screen.
#include <cmath>

#include "Art.h"
#include "Materials.h"
#include "Scenery.h"

namespace {

constexpr int W = 800, H = 600;

// Great trunks framing the sides, with foliage over the top edge.
void Frame(cairo_t* cr, uint32_t seed, const TRgba& bark, const TRgba& dark, const TRgba& light) {
  GreatTrunk(cr, 22, 640, -20, 46, seed, bark, -0.02);
  GreatTrunk(cr, 782, 640, -20, 50, seed + 1, bark, 0.025);
  Foliage(cr, 60, -10, 170, 70, seed + 2, dark, light, 40);
  Foliage(cr, 760, -15, 180, 75, seed + 3, dark, light, 40);
  Foliage(cr, 400, -40, 260, 60, seed + 4, dark, light, 34);
}

void Finish(TSurface& s, double vignette, uint32_t seed) {
  Grain(s, TNoise(seed), 3, 0.035, 2);
  Vignette(s, vignette);
}

void Grove(cairo_t* cr) {
  Sky(cr, W, 330, {Rgb(0x8fd0f0), Rgb(0xc8ecf0), Rgb(0xf4f0c8), 0.5});
  Glow(cr, 520, 110, 260, Rgb(0xfff8d0, 0.8));
  Clouds(cr, W, H, 120, 40, 7, 11, Rgb(0xffffff, 0.85), Rgb(0xd8e8f0, 0.7));
  Ridge(cr, W, H, 320, 90, 0.1, 12, Rgb(0x9cc8b0), Rgb(0x80b898));
  Mist(cr, W, 320, 30, Rgb(0xf0f8e0, 0.6));
  TreeLine(cr, W, H, 360, 120, 13, Rgb(0x5a9a5a), false);
  TreeLine(cr, W, H, 410, 150, 14, Rgb(0x3c7a40), false);
  Mist(cr, W, 420, 25, Rgb(0xe8f4d0, 0.35));
  LightRays(cr, W, H, 520, -40, 9, 15, Rgb(0xfff4c0, 0.35));
  TreeLine(cr, W, H, 478, 40, 19, Rgb(0x2e6a2a), false, 0.15);
  Meadow(cr, W, 470, H, 16, Rgb(0x4a8a34), Rgb(0x8acd52), 0.9);
  Frame(cr, 17, Rgb(0x7a5030), Rgb(0x2a6a28), Rgb(0x8cd050));
  Fireflies(cr, 80, 120, 720, 480, 24, 18, Rgb(0xfff6b0, 0.8));
}

void Woods(cairo_t* cr) {
  Sky(cr, W, 300, {Rgb(0x6aa890), Rgb(0xa8d4b0), Rgb(0xd8ecc0), 0.5});
  Glow(cr, 380, 80, 220, Rgb(0xf8ffe0, 0.7));
  TreeLine(cr, W, H, 260, 150, 21, Rgb(0x7aa888), true, 0.08);
  Mist(cr, W, 280, 40, Rgb(0xd8f0d8, 0.55));
  TreeLine(cr, W, H, 330, 190, 22, Rgb(0x4a8060), true, 0.1);
  Mist(cr, W, 350, 30, Rgb(0xc8e8c8, 0.4));
  TreeLine(cr, W, H, 420, 240, 23, Rgb(0x2a5a3c), true, 0.12);
  LightRays(cr, W, H, 380, -60, 12, 24, Rgb(0xf8ffd8, 0.3));
  Meadow(cr, W, 480, H, 25, Rgb(0x2e5e2a), Rgb(0x6aa040), 0.3);
  for (int i = 0; i < 6; ++i) Mushroom(cr, 90 + i * 125, 560 + (i % 2) * 14, 16 + (i % 3) * 5, Rgb(0xd84a30), false);
  Frame(cr, 26, Rgb(0x5e4028), Rgb(0x1a4a24), Rgb(0x6aa848));
}

void River(cairo_t* cr) {
  Sky(cr, W, 300, {Rgb(0x7ab8e8), Rgb(0xb8dcf0), Rgb(0xe8f4f0), 0.5});
  Clouds(cr, W, H, 90, 40, 8, 31, Rgb(0xffffff, 0.9), Rgb(0xc8dcec, 0.8));
  Peaks(cr, W, H, 290, 140, 32, Rgb(0x8ca8c8), Rgb(0x6a86a8, 0.6), Rgb(0xf4f8ff));
  Mist(cr, W, 290, 30, Rgb(0xe8f0f8, 0.6));
  Ridge(cr, W, H, 330, 50, 0.1, 33, Rgb(0x6a9a80), Rgb(0x5a8a70));
  TreeLine(cr, W, H, 350, 90, 34, Rgb(0x3a7050), false);
  Water(cr, W, 360, H, Rgb(0x3a80a8), Rgb(0xe0f8ff, 0.8), 35);
  // The far bank's reflection.
  cairo_rectangle(cr, 0, 360, W, 40);
  SourceLinear(cr, 0, 360, 0, 400, {{0, Rgb(0x2a5a48, 0.6)}, {1, Rgb(0x2a5a48, 0)}});
  cairo_fill(cr);
  Meadow(cr, W, 540, H, 36, Rgb(0x3a7a34), Rgb(0x7ab848), 0.6);
  Frame(cr, 37, Rgb(0x6a4a30), Rgb(0x2a6030), Rgb(0x80c058));
  // Willow strands.
  HangingLeaves(cr, 40, 260, 0, 260, 38, Rgb(0x2a6030), Rgb(0x90c860));
  HangingLeaves(cr, 560, 780, 0, 240, 39, Rgb(0x2a6030), Rgb(0x90c860));
}

void Blossom(cairo_t* cr) {
  Sky(cr, W, 320, {Rgb(0xa8c8f0), Rgb(0xf0d8e8), Rgb(0xfff0e0), 0.55});
  Glow(cr, 300, 140, 240, Rgb(0xfff0e0, 0.7));
  Ridge(cr, W, H, 310, 70, 0.05, 41, Rgb(0xc8b0d0), Rgb(0xb8a0c0));
  TreeLine(cr, W, H, 360, 110, 42, Rgb(0xd898b8), false, 0.1);
  TreeLine(cr, W, H, 410, 140, 43, Rgb(0xb8709a), false, 0.12);
  TreeLine(cr, W, H, 478, 44, 47, Rgb(0x9a4a78), false, 0.15);
  Meadow(cr, W, 470, H, 44, Rgb(0x5a9a4a), Rgb(0x98d060), 1.2);
  Frame(cr, 45, Rgb(0x6a4038), Rgb(0xc05a8a), Rgb(0xffc8e0));
  // Drifting petals.
  TRandom rnd(46);
  for (int i = 0; i < 90; ++i) {
    double x = rnd.Range(0, W), y = rnd.Range(0, H);
    TSaved s(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, rnd.Range(0, 6.3));
    Ellipse(cr, 0, 0, 3.2, 1.8);
    SetColor(cr, Rgb(rnd.Unit() < 0.5 ? 0xffd0e4 : 0xfff0f6, 0.9));
    cairo_fill(cr);
  }
}

void Glowcap(cairo_t* cr) {
  Sky(cr, W, 330, {Rgb(0x0a1030), Rgb(0x14305a), Rgb(0x1e5a6a), 0.6});
  Stars(cr, W, 260, 160, 51);
  Moon(cr, 610, 90, 26, Rgb(0xe8f4ff));
  TreeLine(cr, W, H, 300, 160, 52, Rgb(0x16384a), true, 0.1);
  Mist(cr, W, 320, 40, Rgb(0x4ab8c8, 0.3));
  TreeLine(cr, W, H, 390, 210, 53, Rgb(0x0c2230), true, 0.12);
  Meadow(cr, W, 470, H, 54, Rgb(0x0e2a2a), Rgb(0x1e4a40), 0.0);
  const TRgba caps[] = {Rgb(0x40e0ff), Rgb(0x80a0ff), Rgb(0x50ffc0)};
  TRandom rnd(55);
  for (int i = 0; i < 16; ++i) {
    double x = rnd.Range(20, 780), y = rnd.Range(480, 590);
    Mushroom(cr, x, y, rnd.Range(12, 30), caps[i % 3], true);
  }
  Frame(cr, 56, Rgb(0x30283a), Rgb(0x0a2028), Rgb(0x2a6a6a));
  Fireflies(cr, 40, 60, 760, 560, 60, 57, Rgb(0xa0fff0, 0.9));
}

void Amber(cairo_t* cr) {
  Sky(cr, W, 320, {Rgb(0xf0b070), Rgb(0xf8d8a0), Rgb(0xfff0d0), 0.5});
  Glow(cr, 420, 200, 280, Rgb(0xfff0c0, 0.8));
  Ridge(cr, W, H, 300, 80, 0.2, 61, Rgb(0xd09870), Rgb(0xc08860));
  TreeLine(cr, W, H, 350, 130, 62, Rgb(0xd87a38), false, 0.1);
  TreeLine(cr, W, H, 410, 160, 63, Rgb(0xa84a20), false, 0.12);
  LightRays(cr, W, H, 420, -50, 10, 64, Rgb(0xffe0a0, 0.35));
  TreeLine(cr, W, H, 488, 40, 68, Rgb(0x8a3a18), false, 0.15);
  Meadow(cr, W, 480, H, 65, Rgb(0x8a6a2a), Rgb(0xd0a040), 0.3);
  Frame(cr, 66, Rgb(0x5a3a24), Rgb(0xa03a14), Rgb(0xffa040));
  TRandom rnd(67);
  for (int i = 0; i < 60; ++i)
    Leaf(cr, rnd.Range(0, W), rnd.Range(0, H), rnd.Range(6, 10), 3, rnd.Range(0, 6.3),
         Rgb(rnd.Unit() < 0.5 ? 0xe87a20 : 0xf0c040, 0.9));
}

void Marsh(cairo_t* cr) {
  Sky(cr, W, 330, {Rgb(0x6a7a78), Rgb(0x98a8a0), Rgb(0xc0c8b0), 0.5});
  Glow(cr, 300, 150, 200, Rgb(0xf0f0d0, 0.5));
  TreeLine(cr, W, H, 300, 120, 71, Rgb(0x7a8a80), true, 0.05);
  Mist(cr, W, 300, 50, Rgb(0xd0d8c8, 0.7));
  TreeLine(cr, W, H, 360, 170, 72, Rgb(0x4a5a50), false, 0.06);
  Water(cr, W, 400, H, Rgb(0x3a4a3a), Rgb(0xd0e0c0, 0.5), 73);
  Mist(cr, W, 420, 60, Rgb(0xc8d0c0, 0.55));
  // Reeds.
  TRandom rnd(74);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int i = 0; i < 120; ++i) {
    double x = rnd.Range(0, W), y = rnd.Range(470, 610), h = rnd.Range(30, 90);
    cairo_move_to(cr, x, y);
    cairo_curve_to(cr, x, y - h * 0.5, x + rnd.Range(-8, 8), y - h * 0.8, x + rnd.Range(-12, 12), y - h);
    SetColor(cr, Mix(Rgb(0x3a4a28), Rgb(0x8a9a50), rnd.Unit()));
    cairo_set_line_width(cr, rnd.Range(1.2, 2.5));
    cairo_stroke(cr);
    if (rnd.Unit() < 0.2) {
      Ellipse(cr, x + rnd.Range(-4, 4), y - h * 0.85, 2.5, 7);
      SetColor(cr, Rgb(0x5a3a20));
      cairo_fill(cr);
    }
  }
  Frame(cr, 75, Rgb(0x4a4238), Rgb(0x2a3a2a), Rgb(0x6a8a50));
  Fireflies(cr, 40, 300, 760, 560, 24, 76, Rgb(0xe0ff90, 0.7));
}

void Frost(cairo_t* cr) {
  Sky(cr, W, 320, {Rgb(0x5a90d0), Rgb(0xa8d0f0), Rgb(0xe8f4ff), 0.5});
  Peaks(cr, W, H, 260, 200, 81, Rgb(0xa0b8d8), Rgb(0x7088b0, 0.6), Rgb(0xffffff));
  Mist(cr, W, 270, 40, Rgb(0xf0f8ff, 0.6));
  Peaks(cr, W, H, 340, 140, 82, Rgb(0x7a98c0), Rgb(0x506a98, 0.6), Rgb(0xf4f8ff));
  TreeLine(cr, W, H, 380, 120, 83, Rgb(0x2a5a5a), true, 0.15);
  Meadow(cr, W, 470, H, 84, Rgb(0xd8e8f4), Rgb(0xffffff), 0.0);
  Frame(cr, 85, Rgb(0x5a4a40), Rgb(0x2a5a58), Rgb(0xa8d8d0));
  TRandom rnd(86);
  for (int i = 0; i < 140; ++i) {
    cairo_arc(cr, rnd.Range(0, W), rnd.Range(0, H), rnd.Range(0.8, 2.2), 0, 2 * M_PI);
    SetColor(cr, Rgb(0xffffff, rnd.Range(0.5, 0.95)));
    cairo_fill(cr);
  }
}

void Caverns(cairo_t* cr) {
  cairo_rectangle(cr, 0, 0, W, H);
  SourceRadial(cr, 400, 330, 520, {{0, Rgb(0x3a2a6a)}, {0.6, Rgb(0x1a1238)}, {1, Rgb(0x08060e)}});
  cairo_fill(cr);
  // Cave walls and hanging stone.
  TSurface rock = StoneTexture(W, H, 91, Rgb(0x4a3a6a), Rgb(0x140e22), 2.0);
  TNoise n(92);
  cairo_move_to(cr, 0, 0);
  for (double x = 0; x <= W; x += 10) cairo_line_to(cr, x, 60 + 70 * n.Fbm(x * 0.01, 0.5, 4));
  cairo_line_to(cr, W, 0);
  cairo_close_path(cr);
  for (double x = 30; x < W; x += 70) {
    double len = 40 + 60 * n.Value(x, 3.3);
    cairo_move_to(cr, x - 12, 80);
    cairo_line_to(cr, x, 80 + len);
    cairo_line_to(cr, x + 12, 80);
    cairo_close_path(cr);
  }
  FillTexture(cr, rock, 0, 0);
  cairo_new_path(cr);
  cairo_move_to(cr, 0, H);
  for (double x = 0; x <= W; x += 10) cairo_line_to(cr, x, 500 - 60 * n.Fbm(x * 0.01, 4.5, 4));
  cairo_line_to(cr, W, H);
  cairo_close_path(cr);
  FillTexture(cr, rock, 0, 0);
  cairo_new_path(cr);
  const TRgba colours[] = {Rgb(0xb070ff), Rgb(0x60d0ff), Rgb(0xff70d0)};
  TRandom rnd(93);
  for (int i = 0; i < 14; ++i)
    Crystals(cr, rnd.Range(10, 790), rnd.Range(470, 600), rnd.Range(30, 70), colours[i % 3],
             static_cast<uint32_t>(94 + i));
  for (int i = 0; i < 8; ++i) {
    TSaved s(cr);
    double x = rnd.Range(40, 760);
    cairo_translate(cr, x, 90 + rnd.Range(0, 60));
    cairo_scale(cr, 1, -1);
    Crystals(cr, 0, 0, rnd.Range(25, 45), colours[(i + 1) % 3], static_cast<uint32_t>(120 + i));
  }
  Fireflies(cr, 40, 100, 760, 520, 50, 95, Rgb(0xd0b0ff, 0.8));
}

void Ember(cairo_t* cr) {
  Sky(cr, W, 340, {Rgb(0x3a2050), Rgb(0xc05a50), Rgb(0xffb060), 0.55});
  Glow(cr, 400, 330, 300, Rgb(0xffd080, 0.8));
  Clouds(cr, W, H, 140, 50, 8, 101, Rgb(0xffa080, 0.8), Rgb(0x6a3050, 0.8));
  Ridge(cr, W, H, 330, 90, 0.5, 102, Rgb(0x7a3a48), Rgb(0x5a2a3a));
  Ruins(cr, 200, 470, 1.3, Rgb(0x6a4a48), 103);
  Ruins(cr, 630, 460, 1.0, Rgb(0x6a4a48), 104);
  TreeLine(cr, W, H, 430, 120, 105, Rgb(0x3a1a28), false, 0.1);
  Meadow(cr, W, 490, H, 106, Rgb(0x4a2a20), Rgb(0x8a5a30), 0.2);
  Frame(cr, 107, Rgb(0x3a2420), Rgb(0x3a1a20), Rgb(0x9a4a30));
  Fireflies(cr, 40, 200, 760, 560, 40, 108, Rgb(0xffa040, 0.85));
}

void DarkCastle(cairo_t* cr) {
  Sky(cr, W, 400, {Rgb(0x0a0418), Rgb(0x2a1040), Rgb(0x5a2a5a), 0.55});
  Stars(cr, W, 300, 120, 111, 0.7);
  Moon(cr, 180, 100, 34, Rgb(0xf0d8ff));
  Clouds(cr, W, H, 170, 60, 9, 112, Rgb(0x5a3a70, 0.85), Rgb(0x1a0a28, 0.9));
  Ridge(cr, W, H, 380, 120, 0.8, 113, Rgb(0x2a1a38), Rgb(0x1a1028));
  Castle(cr, 520, 330, 1.25, Rgb(0x1e1228), Rgb(0xffc860), 114);
  Mist(cr, W, 360, 50, Rgb(0x6a4a8a, 0.5));
  TreeLine(cr, W, H, 440, 150, 115, Rgb(0x120a18), true, 0.12);
  Meadow(cr, W, 500, H, 116, Rgb(0x1a1020), Rgb(0x3a2a3a), 0.0);
  Frame(cr, 117, Rgb(0x2a2028), Rgb(0x140a1a), Rgb(0x4a3a5a));
  Fireflies(cr, 40, 200, 760, 560, 30, 118, Rgb(0xc080ff, 0.8));
}

TPatterns World(int n) {
  TSurface s(W, H);
  {
    TPen pen(s);
    switch (n) {
      case 1: Grove(pen); break;
      case 2: Woods(pen); break;
      case 3: River(pen); break;
      case 4: Blossom(pen); break;
      case 5: Glowcap(pen); break;
      case 6: Amber(pen); break;
      case 7: Marsh(pen); break;
      case 8: Frost(pen); break;
      case 9: Caverns(pen); break;
      case 10: Ember(pen); break;
      default: DarkCastle(pen); break;
    }
  }
  Finish(s, 0.45, static_cast<uint32_t>(n) * 1000);
  TPatterns out;
  out.push_back(Scaled(s, 512, 512));
  return out;
}

}  // namespace

void AddWorldArt(std::vector<TArtItem>& items) {
  const std::vector<std::string> src = {"ArtWorlds.cpp", "Scenery.cpp", "Scenery.h", "Materials.cpp", "Materials.h"};
  for (int n = 1; n <= 11; ++n) {
    items.push_back({"world" + std::to_string(n) + ".jpg", src, {}, [n](const TArtInputs&) { return World(n); }});
  }
}
