// The story told in pictures: the grove in its time of peace, the thief
// watching, the empty chest, the four arvanels setting out, and the ending.
#include <cmath>

#include "Art.h"
#include "Figures.h"
#include "Materials.h"
#include "Scenery.h"

namespace {

constexpr int W = 800, H = 368;

void Finish(TSurface& s, uint32_t seed, double vignette = 0.55) {
  Grain(s, TNoise(seed), 3, 0.03, 2);
  Vignette(s, vignette, 0.6);
  // A fine gold border frames every picture.
  TPen pen(s);
  cairo_rectangle(pen, 3, 3, W - 6, H - 6);
  SetColor(pen, Rgb(0xe8c068, 0.8));
  cairo_set_line_width(pen, 1.5);
  cairo_stroke(pen);
  cairo_rectangle(pen, 0.5, 0.5, W - 1, H - 1);
  SetColor(pen, Rgb(0x000000));
  cairo_set_line_width(pen, 1);
  cairo_stroke(pen);
}

// The great tree of the grove, its base centred on x.
void GreatTree(cairo_t* cr, double x, double baseY, double scale, bool night) {
  TRgba bark = night ? Rgb(0x3a3048) : Rgb(0x6a4428);
  TRgba dark = night ? Rgb(0x0c1a2a) : Rgb(0x1e5a22), light = night ? Rgb(0x3a6a7a) : Rgb(0x9ad85a);
  GreatTrunk(cr, x, baseY + 10, baseY - 220 * scale, 70 * scale, 501, bark);
  // Branches reaching into the crown.
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int side : {-1, 1}) {
    cairo_move_to(cr, x, baseY - 150 * scale);
    cairo_curve_to(cr, x + side * 60 * scale, baseY - 190 * scale, x + side * 120 * scale, baseY - 200 * scale,
                   x + side * 170 * scale, baseY - 250 * scale);
    SetColor(cr, Shade(bark, -0.3));
    cairo_set_line_width(cr, 16 * scale);
    cairo_stroke(cr);
  }
  Foliage(cr, x, baseY - 290 * scale, 250 * scale, 120 * scale, 502, dark, light, 70);
  if (!night) Fireflies(cr, x - 250 * scale, baseY - 380 * scale, x + 250 * scale, baseY - 180 * scale, 30, 503,
                        Rgb(0xfff8c0, 0.9));
}

TPatterns Picture(const std::function<void(cairo_t*)>& paint, uint32_t seed, double vignette = 0.55) {
  TSurface s(W, H);
  {
    TPen pen(s);
    paint(pen);
  }
  Finish(s, seed, vignette);
  TPatterns out;
  out.push_back(std::move(s));
  return out;
}

// "In the time of the ancient arvanels... in a far away place..."
void Valley(cairo_t* cr) {
  Sky(cr, W, 240, {Rgb(0x6a9ad8), Rgb(0xf0c8b0), Rgb(0xfff0c8), 0.6});
  Glow(cr, 560, 200, 240, Rgb(0xfff4d0, 0.85));
  Clouds(cr, W, H, 80, 30, 6, 601, Rgb(0xfff0e8, 0.9), Rgb(0xd0a8b0, 0.7));
  Peaks(cr, W, H, 210, 110, 602, Rgb(0x9a98c0), Rgb(0x7a78a8, 0.6), Rgb(0xfff8f0));
  Mist(cr, W, 210, 25, Rgb(0xfff0e0, 0.7));
  Ridge(cr, W, H, 250, 45, 0.1, 603, Rgb(0x7aa888), Rgb(0x6a9878));
  TreeLine(cr, W, H, 270, 60, 604, Rgb(0x4a8058), false, 0.1);
  Meadow(cr, W, 300, H, 605, Rgb(0x5a9a44), Rgb(0x90d058), 0.8);
  // The river winding out of the valley.
  cairo_move_to(cr, 360, 268);
  cairo_curve_to(cr, 300, 290, 480, 310, 380, 340);
  cairo_curve_to(cr, 330, 355, 300, 368, 280, 368);
  cairo_line_to(cr, 470, 368);
  cairo_curve_to(cr, 470, 350, 560, 320, 470, 300);
  cairo_curve_to(cr, 400, 285, 420, 272, 380, 268);
  cairo_close_path(cr);
  SourceLinear(cr, 0, 268, 0, 368, {{0, Rgb(0xe8f4ff)}, {1, Rgb(0x4a90c8)}});
  cairo_fill_preserve(cr);
  SetColor(cr, Rgb(0x2a5a3a, 0.6));
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  GreatTree(cr, 180, 300, 0.75, false);
  DrawRootDoor(cr, 160, 306, 14, true);
  DrawRootDoor(cr, 205, 304, 11, true);
  LightRays(cr, W, H, 560, 120, 8, 607, Rgb(0xfff4d0, 0.25));
  // Bushes in the near corners.
  Foliage(cr, 40, 372, 110, 40, 606, Rgb(0x1e5a22), Rgb(0x8ad050), 22);
  Foliage(cr, 770, 370, 120, 45, 608, Rgb(0x1e5a22), Rgb(0x8ad050), 22);
}

// "It was a time of peace..."
void Peace(cairo_t* cr) {
  Sky(cr, W, 220, {Rgb(0x8ac8f0), Rgb(0xd0eaf0), Rgb(0xf8f4d0), 0.5});
  TreeLine(cr, W, H, 200, 110, 611, Rgb(0x6a9a70), false, 0.1);
  Mist(cr, W, 210, 25, Rgb(0xf8f8e0, 0.6));
  TreeLine(cr, W, H, 240, 130, 612, Rgb(0x3e7a44), false, 0.12);
  Meadow(cr, W, 250, H, 613, Rgb(0x5aa048), Rgb(0x98d860), 1.4);
  LightRays(cr, W, H, 400, -60, 10, 614, Rgb(0xfff8d0, 0.35));
  DrawPedestal(cr, 400, 218, 60);
  DrawMagicBook(cr, 400, 196, 56, true, 1.0);
  Fireflies(cr, 330, 120, 470, 230, 16, 615, Rgb(0xfff4a0, 1));
  const struct {
    double X, Y, H;
    TElementKind E;
    int Facing, Pose;
  } dancers[] = {{250, 330, 70, ekForest, 1, 2},   {320, 300, 58, ekWater, 1, 1},  {480, 300, 58, ekFire, -1, 2},
                 {550, 334, 72, ekMountain, -1, 1}, {150, 350, 50, ekFire, 1, 0},   {660, 352, 52, ekWater, -1, 2}};
  for (const auto& d : dancers) DrawArvanel(cr, d.X, d.Y, d.H, d.E, d.Facing, d.Pose);
  // Butterflies.
  TRandom rnd(616);
  for (int i = 0; i < 7; ++i) {
    double x = rnd.Range(80, 720), y = rnd.Range(60, 240);
    TRgba c = Rgb(i % 2 ? 0xffb0e0 : 0xfff090);
    for (int side : {-1, 1}) {
      Ellipse(cr, x + side * 4, y - 2, 4, 3);
      Ellipse(cr, x + side * 3, y + 3, 3, 2.2);
    }
    SetColor(cr, c);
    cairo_fill(cr);
  }
  GreatTrunk(cr, 30, 380, -20, 50, 617, Rgb(0x6a4428));
  GreatTrunk(cr, 770, 380, -20, 56, 618, Rgb(0x6a4428));
  Foliage(cr, 80, -10, 180, 60, 619, Rgb(0x1e5a22), Rgb(0x9ad85a), 36);
  Foliage(cr, 720, -10, 180, 60, 620, Rgb(0x1e5a22), Rgb(0x9ad85a), 36);
}

// "But some day, a very bad thing happened!"
void Watching(cairo_t* cr) {
  Sky(cr, W, 260, {Rgb(0x060818), Rgb(0x141c40), Rgb(0x22305a), 0.6});
  Stars(cr, W, 200, 140, 621);
  Moon(cr, 640, 70, 28, Rgb(0xeef0ff));
  TreeLine(cr, W, H, 230, 120, 622, Rgb(0x142038), true, 0.1);
  Mist(cr, W, 250, 30, Rgb(0x4a5a8a, 0.4));
  Meadow(cr, W, 270, H, 623, Rgb(0x0e1a24), Rgb(0x1e3038), 0.0);
  // The book's glow under the far tree.
  GreatTree(cr, 560, 270, 0.55, true);
  DrawPedestal(cr, 560, 250, 34);
  DrawMagicBook(cr, 560, 238, 30, false, 1.0);
  Glow(cr, 560, 238, 90, Rgb(0xfff0a0, 0.5), CAIRO_OPERATOR_ADD);
  // The thief peers out from behind a trunk in the foreground.
  DrawThief(cr, 220, 372, 230, false);
  GreatTrunk(cr, 130, 400, -20, 90, 624, Rgb(0x2a2232));
  Foliage(cr, 120, -20, 220, 80, 625, Rgb(0x06101a), Rgb(0x1a3040), 40);
  TreeLine(cr, W, H, 380, 60, 626, Rgb(0x060a10), false, 0.05);
}

// "The Book of The Arvanels have been stolen..."
void EmptyChest(cairo_t* cr) {
  Sky(cr, W, 240, {Rgb(0x2a3050), Rgb(0x6a5a7a), Rgb(0xb08a8a), 0.55});
  TreeLine(cr, W, H, 220, 110, 631, Rgb(0x3a3a50), false, 0.08);
  Mist(cr, W, 235, 30, Rgb(0x9a8aa0, 0.5));
  Meadow(cr, W, 250, H, 632, Rgb(0x2a4030), Rgb(0x4a6a40), 0.2);
  GreatTree(cr, 400, 262, 0.6, true);
  DrawOpenChest(cr, 400, 322, 124);
  // Footprints leading away into the dark.
  for (int i = 0; i < 9; ++i) {
    double t = i / 8.0;
    double x = 500 + t * 280, y = 340 - t * 70 + (i % 2) * 6;
    Ellipse(cr, x, y, 6 * (1 - t * 0.5), 3 * (1 - t * 0.5));
    SetColor(cr, Rgb(0x0a0a08, 0.6));
    cairo_fill(cr);
  }
  // A scrap of the thief's cloak caught on a root, and scattered pages.
  Polygon(cr, {{590, 300}, {612, 296}, {606, 312}, {596, 318}});
  SetColor(cr, Rgb(0x3a1a48));
  cairo_fill(cr);
  TRandom rnd(633);
  for (int i = 0; i < 4; ++i) {
    TSaved s(cr);
    cairo_translate(cr, 280 + rnd.Range(-40, 60), 335 + rnd.Range(-10, 20));
    cairo_rotate(cr, rnd.Range(-0.6, 0.6));
    cairo_rectangle(cr, -9, -6, 18, 12);
    SetColor(cr, Rgb(0xf0e4c0));
    cairo_fill(cr);
  }
  DrawArvanel(cr, 250, 356, 62, ekWater, 1, 0);
  DrawArvanel(cr, 170, 350, 52, ekForest, 1, 2);
  DrawArvanel(cr, 560, 358, 60, ekFire, -1, 0);
}

// "Four ancient arvanels went on a quest to rescue the magic book..."
void SettingOut(cairo_t* cr) {
  Sky(cr, W, 250, {Rgb(0x2a2a5a), Rgb(0xb07a8a), Rgb(0xffd0a0), 0.6});
  Glow(cr, 200, 240, 220, Rgb(0xfff0c0, 0.7));
  Clouds(cr, W, H, 70, 30, 6, 641, Rgb(0xffc0a0, 0.7), Rgb(0x5a3a6a, 0.8));
  // The dark castle on its crag, far away on the right.
  cairo_move_to(cr, 590, 252);
  cairo_line_to(cr, 620, 236);
  cairo_line_to(cr, 632, 206);
  cairo_line_to(cr, 648, 190);
  cairo_line_to(cr, 654, 160);
  cairo_line_to(cr, 664, 142);
  cairo_line_to(cr, 716, 140);
  cairo_line_to(cr, 724, 168);
  cairo_line_to(cr, 738, 182);
  cairo_line_to(cr, 742, 214);
  cairo_line_to(cr, 762, 232);
  cairo_line_to(cr, 796, 252);
  cairo_close_path(cr);
  SourceLinear(cr, 640, 0, 760, 0, {{0, Rgb(0x4a3a5e)}, {0.5, Rgb(0x2e2240)}, {1, Rgb(0x1a1228)}});
  cairo_fill(cr);
  Castle(cr, 690, 142, 0.55, Rgb(0x241832), Rgb(0xffc060), 642);
  Glow(cr, 690, 110, 120, Rgb(0x8a2a8a, 0.35));
  Peaks(cr, W, H, 250, 90, 643, Rgb(0x6a5a80), Rgb(0x4a3a60, 0.6), Rgb(0xf0e0f0));
  Mist(cr, W, 250, 30, Rgb(0xffd8c0, 0.5));
  Ridge(cr, W, H, 290, 40, 0.2, 644, Rgb(0x4a6a58), Rgb(0x3a5a48));
  // The path winding away towards the castle.
  cairo_move_to(cr, 240, 368);
  cairo_curve_to(cr, 340, 330, 300, 300, 420, 290);
  cairo_curve_to(cr, 500, 284, 540, 270, 600, 256);
  cairo_line_to(cr, 606, 258);
  cairo_curve_to(cr, 560, 276, 520, 292, 440, 300);
  cairo_curve_to(cr, 350, 310, 420, 340, 330, 368);
  cairo_close_path(cr);
  SourceLinear(cr, 0, 256, 0, 368, {{0, Rgb(0xc8a880)}, {1, Rgb(0xa07848)}});
  cairo_fill(cr);
  // The hill the four stand on.
  cairo_move_to(cr, 0, 368);
  cairo_line_to(cr, 0, 270);
  cairo_curve_to(cr, 120, 250, 260, 262, 330, 300);
  cairo_curve_to(cr, 360, 320, 370, 350, 380, 368);
  cairo_close_path(cr);
  SourceLinear(cr, 0, 250, 0, 368, {{0, Rgb(0x6aa050)}, {1, Rgb(0x2a5a28)}});
  cairo_fill(cr);
  const TElementKind four[] = {ekFire, ekForest, ekWater, ekMountain};
  for (int i = 0; i < 4; ++i) DrawArvanel(cr, 80 + i * 62, 272 + (i % 2) * 4, 72 + (i % 2) * 4, four[i], 1, 0);
  Fireflies(cr, 60, 160, 340, 270, 14, 645, Rgb(0xfff0a0, 0.9));
}

// The ending: "The Arvanels captured the thief, recovering the lost book."
void Victory(cairo_t* cr) {
  Sky(cr, W, 260, {Rgb(0x5a8ad0), Rgb(0xffc8a0), Rgb(0xfff4c8), 0.55});
  Glow(cr, 400, 230, 320, Rgb(0xfff8d8, 0.9));
  LightRays(cr, W, H, 400, 200, 14, 651, Rgb(0xfff0c0, 0.4));
  // The castle in ruins behind, the darkness gone.
  Ruins(cr, 640, 250, 1.0, Rgb(0x8a7a88), 652);
  Ruins(cr, 160, 245, 0.8, Rgb(0x8a7a88), 653);
  Ridge(cr, W, H, 260, 40, 0.3, 654, Rgb(0x7a9a70), Rgb(0x5a8a58));
  Meadow(cr, W, 270, H, 655, Rgb(0x5a9a48), Rgb(0x98d060), 1.2);
  DrawThief(cr, 660, 350, 140, false, true);
  const TElementKind four[] = {ekFire, ekWater, ekMountain};
  DrawArvanel(cr, 400, 350, 96, ekForest, 1, 2);
  // The recovered book rises over the forest arvanel on a column of light.
  {
    TSaved s(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
    cairo_translate(cr, 400, 245);
    cairo_scale(cr, 0.35, 1);
    SourceRadial(cr, 0, 0, 70, {{0, Rgb(0xfff4c0, 0.7)}, {1, Rgb(0xfff4c0, 0)}});
    cairo_arc(cr, 0, 0, 70, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  DrawMagicBook(cr, 400, 205, 74, true, 1.0);
  for (int i = 0; i < 3; ++i) {
    double x = i == 0 ? 290 : i == 1 ? 510 : 200;
    DrawArvanel(cr, x, 345 + (i == 2 ? 8 : 0), 80, four[i], i == 1 ? -1 : 1, 2);
  }
  Fireflies(cr, 150, 100, 650, 300, 30, 656, Rgb(0xfff8c0, 1));
}

}  // namespace

void AddStoryArt(std::vector<TArtItem>& items) {
  const std::vector<std::string> src = {"ArtStory.cpp",  "Figures.cpp",   "Figures.h", "Scenery.cpp",
                                        "Scenery.h",     "Materials.cpp", "Materials.h"};
  auto add = [&](const char* key, std::function<TPatterns()> fn) {
    items.push_back({key, src, {}, [fn](const TArtInputs&) { return fn(); }});
  };
  add("open1-1.image", [] { return Picture(Valley, 1); });
  add("open1-2.image", [] { return Picture(Peace, 2); });
  add("dwatch.image", [] { return Picture(Watching, 3, 0.7); });
  add("open-box.image", [] { return Picture(EmptyChest, 4); });
  add("abertura.image", [] { return Picture(SettingOut, 5); });
  add("zeradojogo.image", [] { return Picture(Victory, 6); });
}
