// The main menu: the picture with the game's name and the menu's words, the
// lit words under the cursor, the player's sign, the foliage over the menu,
// the option buttons and the credits frame.
#include <cmath>

#include "Art.h"
#include "Materials.h"
#include "Scenery.h"

namespace {

// The menu's entries: words, and where the game puts their lit sprites.
struct TMenuWord {
  const char* Key;
  const char* Text;
  double X, Y;
};
const TMenuWord kWords[] = {
    {"menu-newgame-on.image", "Adventure", 14, 241}, {"menu-continue-on.image", "Relaxed Play", 4, 304},
    {"menu-options-on.image", "Options", 1, 360},    {"menu-hiscore-on.image", "Hiscores", -1, 434},
    {"menu-quit-on.image", "Quit", -2, 503},
};
constexpr double kWordSize = 33;
constexpr double kWordLeft = 26, kWordBaseline = 38;  // inside the sprite

void WordPath(cairo_t* cr, const TMenuWord& w, double ox, double oy) {
  SetFont(cr, fontfiles::kBookmanDemi, kWordSize);
  TextPath(cr, w.Text, ox + kWordLeft, oy + kWordBaseline);
}

// A word as the menu shows it at rest: cream letters with a dark edge,
// painted on the sign.
void RestingWord(cairo_t* cr, const TMenuWord& w) {
  WordPath(cr, w, w.X, w.Y + 2.5);
  SetColor(cr, Rgb(0x1a0a02, 0.7));
  cairo_fill(cr);
  WordPath(cr, w, w.X, w.Y);
  SetColor(cr, Rgb(0x2a1404));
  cairo_set_line_width(cr, 3.5);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke_preserve(cr);
  SourceLinear(cr, 0, w.Y + 12, 0, w.Y + kWordBaseline + 4,
               {{0, Rgb(0xfff2d0)}, {0.6, Rgb(0xe8c890)}, {1, Rgb(0xb88a50)}});
  cairo_fill(cr);
}

// The same word lit: bright gold with a halo, drawn at the sprite's origin.
TPatterns LitWord(const TMenuWord& w) {
  return DrawOne(300, 70, [w](cairo_t* cr) {
    Shadow(cr, 300, 70, [&](cairo_t* c) { WordPath(c, w, 0, 0); }, 0, 0, 9, Rgb(0xffd860, 0.95));
    Shadow(cr, 300, 70, [&](cairo_t* c) { WordPath(c, w, 0, 0); }, 0, 0, 3, Rgb(0xfff4c0, 0.9));
    WordPath(cr, w, 0, 0);
    SetColor(cr, Rgb(0x3a1c04));
    cairo_set_line_width(cr, 2.5);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    SourceLinear(cr, 0, 12, 0, kWordBaseline + 4, {{0, Rgb(0xffffff)}, {0.5, Rgb(0xfff0a0)}, {1, Rgb(0xf0b030)}});
    cairo_fill(cr);
    // A leaf and sparkles mark the chosen entry.
    SetFont(cr, fontfiles::kBookmanDemi, kWordSize);
    double width = TextWidth(cr, w.Text);
    Leaf(cr, kWordLeft - 6, 27, 14, 5.5, M_PI + 0.3, Rgb(0x7ad04a));
    for (TPt p : {TPt{kWordLeft + width + 10, 14}, TPt{kWordLeft + width * 0.3, 8}}) {
      StarPath(cr, p.X, p.Y, 4, 6, 1.1, 0);
      SetColor(cr, Rgb(0xffffff));
      cairo_fill(cr);
    }
  });
}

// The menu's sign: a tall board of planks down the left side.
void MenuSign(cairo_t* cr) {
  auto board = [](cairo_t* c) {
    cairo_move_to(c, -10, 224);
    cairo_curve_to(c, 120, 214, 220, 212, 318, 226);
    cairo_curve_to(c, 330, 360, 334, 470, 322, 610);
    cairo_line_to(c, -10, 610);
    cairo_close_path(c);
  };
  Shadow(cr, 800, 600, board, 6, 6, 10, Rgb(0, 0.7));
  board(cr);
  TSurface wood = WoodTexture(340, 400, 7070, Rgb(0x9a6236), Rgb(0x4a260e), true, 1.5);
  FillTexture(cr, wood, -10, 210);
  SourceLinear(cr, 0, 0, 330, 0, {{0, Rgb(0, 0.35)}, {0.25, Rgb(0, 0.05)}, {0.8, Rgb(0, 0.1)}, {1, Rgb(0, 0.45)}});
  cairo_fill_preserve(cr);
  Bevel(cr, 4, 0.35, 0.6);
  SourceLinear(cr, 0, 212, 0, 600, {{0, Rgb(0xfff0a0)}, {1, Rgb(0x8a5a18)}});
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  // Plank seams between the entries.
  SetColor(cr, Rgb(0x2a1406, 0.55));
  cairo_set_line_width(cr, 1.5);
  for (double y : {296.0, 356.0, 426.0, 497.0, 568.0}) {
    cairo_move_to(cr, 0, y);
    cairo_curve_to(cr, 100, y - 2, 220, y + 2, 322, y - 1);
  }
  cairo_stroke(cr);
  // Pegs.
  for (TPt p : {TPt{300, 240}, TPt{302, 585}, TPt{12, 240}}) {
    cairo_arc(cr, p.X, p.Y, 4, 0, 2 * M_PI);
    SourceRadial2(cr, p.X - 1, p.Y - 1, 0.5, p.X, p.Y, 4, {{0, Rgb(0xf0d8a0)}, {1, Rgb(0x4a2a0a)}});
    cairo_fill(cr);
  }
}

TPatterns MainScreen() {
  TSurface pic(1024, 1024);
  {
    TPen cr(pic);
    cairo_set_source_rgb(cr, 0.02, 0.05, 0.03);
    cairo_paint(cr);
    cairo_rectangle(cr, 0, 0, 800, 600);
    cairo_clip(cr);
    // Evening in the grove; far off, on a crag, the dark castle.
    Sky(cr, 800, 360, {Rgb(0x3a5a8a), Rgb(0xd0a0a0), Rgb(0xffd8a0), 0.6});
    Glow(cr, 560, 300, 320, Rgb(0xfff0c0, 0.75));
    Clouds(cr, 800, 600, 190, 40, 6, 201, Rgb(0xffe0c8, 0.8), Rgb(0xa07a90, 0.7));
    Peaks(cr, 800, 600, 330, 120, 202, Rgb(0x8a80a8), Rgb(0x6a5a88, 0.6), Rgb(0xfff0f0));
    // The crag the castle stands on.
    cairo_move_to(cr, 560, 340);
    cairo_curve_to(cr, 585, 300, 590, 250, 596, 232);
    cairo_line_to(cr, 632, 230);
    cairo_curve_to(cr, 640, 260, 650, 300, 672, 340);
    cairo_close_path(cr);
    SourceLinear(cr, 580, 0, 660, 0, {{0, Rgb(0x6a5a80)}, {0.5, Rgb(0x4a3a60)}, {1, Rgb(0x2e2444)}});
    cairo_fill(cr);
    Castle(cr, 614, 234, 0.32, Rgb(0x3a2a4a), Rgb(0xffd070), 203);
    Mist(cr, 800, 330, 40, Rgb(0xffe8d0, 0.6));
    TreeLine(cr, 800, 600, 380, 110, 204, Rgb(0x4a6a58), true, 0.08);
    Mist(cr, 800, 395, 30, Rgb(0xffe0c0, 0.4));
    TreeLine(cr, 800, 600, 440, 150, 205, Rgb(0x2a4a34), false, 0.12);
    Meadow(cr, 800, 470, 600, 206, Rgb(0x3a6a2a), Rgb(0x7ab848), 1.0);
    // The path into the distance, over the meadow.
    cairo_move_to(cr, 440, 600);
    cairo_curve_to(cr, 500, 540, 600, 520, 572, 486);
    cairo_curve_to(cr, 556, 468, 586, 458, 600, 456);
    cairo_curve_to(cr, 610, 458, 598, 470, 610, 486);
    cairo_curve_to(cr, 660, 530, 690, 570, 740, 600);
    cairo_close_path(cr);
    SourceLinear(cr, 0, 456, 0, 600, {{0, Rgb(0xd8b888)}, {1, Rgb(0xa87a48)}});
    cairo_fill_preserve(cr);
    SetColor(cr, Rgb(0x5a3a18, 0.6));
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    LightRays(cr, 800, 600, 560, 200, 10, 207, Rgb(0xfff0c0, 0.28));
    // The great tree on the right.
    GreatTrunk(cr, 745, 640, -30, 80, 208, Rgb(0x6a4428), 0.03);
    Foliage(cr, 700, 40, 200, 110, 209, Rgb(0x1a4a20), Rgb(0x8ad050), 60);
    Foliage(cr, 360, -20, 200, 60, 210, Rgb(0x1a4a20), Rgb(0x8ad050), 30);
    for (int i = 0; i < 5; ++i) Mushroom(cr, 660 + i * 24, 585 - (i % 2) * 8, 14 + (i % 3) * 5, Rgb(0x40d0ff), true);
    Fireflies(cr, 340, 200, 790, 580, 40, 211, Rgb(0xfff4a0, 0.9));
    MenuSign(cr);
    GameTitle(cr, 800, 600, 250, 128, 1.0);
    for (const TMenuWord& w : kWords) RestingWord(cr, w);
  }
  Grain(pic, TNoise(212), 3, 0.025, 2);
  TPatterns out;
  out.push_back(std::move(pic));
  return out;
}

// The player's sign hanging at the top right; the name is written on it.
TPatterns PlayerSign() {
  return DrawOne(279, 100, [](cairo_t* cr) {
    // Ropes.
    for (double x : {40.0, 240.0}) {
      cairo_move_to(cr, x, 0);
      cairo_line_to(cr, x, 22);
      SetColor(cr, Rgb(0x3a2a14));
      cairo_set_line_width(cr, 3);
      cairo_stroke(cr);
      cairo_move_to(cr, x - 0.8, 0);
      cairo_line_to(cr, x - 0.8, 22);
      SetColor(cr, Rgb(0xc8a870, 0.6));
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
    }
    auto board = [](cairo_t* c) { RoundRect(c, 8, 18, 262, 76, 12); };
    Shadow(cr, 279, 100, board, 3, 4, 5, Rgb(0, 0.65));
    board(cr);
    TSurface wood = WoodTexture(279, 100, 3131, Rgb(0xa86a38), Rgb(0x54300e), true, 1.2);
    FillTexture(cr, wood, 0, 0);
    Bevel(cr, 3, 0.4, 0.55);
    SourceLinear(cr, 0, 18, 0, 94, {{0, Rgb(0xfff0a0)}, {1, Rgb(0x8a5a18)}});
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    // The name's plate.
    RoundRect(cr, 30, 27, 238, 34, 8);
    SourceLinear(cr, 0, 27, 0, 61, {{0, Rgb(0x142414, 0.85)}, {1, Rgb(0x24402a, 0.85)}});
    cairo_fill_preserve(cr);
    SetColor(cr, Rgb(0xe0b868, 0.8));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    // "Not you? Click" before the lit "here".
    SetFont(cr, fontfiles::kBiolinumBold, 15);
    const std::string text = "Not you? Click";
    double w = TextWidth(cr, text);
    TextPath(cr, text, 166 - w, 77);
    SetColor(cr, Rgb(0x1a0c02));
    cairo_set_line_width(cr, 2.5);
    cairo_stroke_preserve(cr);
    SetColor(cr, Rgb(0xfff0d0));
    cairo_fill(cr);
    Leaf(cr, 20, 78, 14, 5, -0.3, Rgb(0x6ab840));
    Leaf(cr, 258, 78, 14, 5, M_PI + 0.3, Rgb(0x6ab840));
  });
}

TPatterns HereWord() {
  return DrawFrames(2, 64, 26, [](cairo_t* cr, int lit) {
    SetFont(cr, fontfiles::kBiolinumBold, 15);
    auto word = [](cairo_t* c) {
      SetFont(c, fontfiles::kBiolinumBold, 15);
      TextPath(c, "here", 6, 20);
    };
    if (lit) Shadow(cr, 64, 26, word, 0, 0, 4, Rgb(0xffe070, 1));
    word(cr);
    SetColor(cr, Rgb(0x1a0c02));
    cairo_set_line_width(cr, 2.5);
    cairo_stroke_preserve(cr);
    SetColor(cr, lit ? Rgb(0xffffff) : Rgb(0xffd060));
    cairo_fill(cr);
    double w = TextWidth(cr, "here");
    cairo_rectangle(cr, 6, 22, w, 1.5);
    SetColor(cr, lit ? Rgb(0xffffff) : Rgb(0xffd060));
    cairo_fill(cr);
  });
}

// Buttons: 0 at rest and 1 under the cursor (blank, for captions), 2 "Back".
TPatterns OptionButtons() {
  return DrawFrames(3, 200, 48, [](cairo_t* cr, int i) {
    auto shape = [](cairo_t* c) { RoundRect(c, 6, 5, 188, 36, 16); };
    Shadow(cr, 200, 48, shape, 2, 3, 3, Rgb(0, 0.6));
    if (i == 1) Shadow(cr, 200, 48, shape, 0, 0, 5, Rgb(0xffd860, 0.9));
    shape(cr);
    SourceLinear(cr, 0, 5, 0, 41,
                 i == 1 ? std::initializer_list<TStop>{{0, Rgb(0x8ad86a)}, {0.5, Rgb(0x3a9a3a)}, {1, Rgb(0x1a5a24)}}
                        : std::initializer_list<TStop>{{0, Rgb(0x5aa84a)}, {0.5, Rgb(0x2a7a2e)}, {1, Rgb(0x124a1a)}});
    cairo_fill_preserve(cr);
    Bevel(cr, 2.5, 0.45, 0.5);
    SourceLinear(cr, 0, 5, 0, 41, {{0, Rgb(0xfff2b0)}, {1, Rgb(0x8a5a14)}});
    cairo_set_line_width(cr, 2.2);
    cairo_stroke(cr);
    RoundRect(cr, 14, 8, 172, 10, 5);
    SetColor(cr, Rgb(0xffffff, 0.16));
    cairo_fill(cr);
    if (i == 2) {
      SetFont(cr, fontfiles::kBookmanDemi, 21);
      TextPathCentred(cr, "Back", 100, 31);
      SetColor(cr, Rgb(0x102a10));
      cairo_set_line_width(cr, 3);
      cairo_stroke_preserve(cr);
      SourceLinear(cr, 0, 14, 0, 32, {{0, Rgb(0xffffff)}, {1, Rgb(0xffe090)}});
      cairo_fill(cr);
      Leaf(cr, 56, 23, 13, 5, M_PI, Rgb(0xb8f080));
      Leaf(cr, 144, 23, 13, 5, 0, Rgb(0xb8f080));
    }
  });
}

TPatterns MenuFoliage() {
  return DrawOne(400, 400, [](cairo_t* cr) {
    // Ivy down the left edge, a branch across the top of the menu and a bush
    // at its foot, leaving the words clear.
    std::vector<TPt> edge;
    for (int i = 0; i <= 20; ++i) edge.push_back({7 + std::sin(i * 0.8) * 5, -5 + i * 20.5});
    Vine(cr, edge, 2.6, 301, 10, 13);
    std::vector<TPt> top;
    for (int i = 0; i <= 16; ++i) top.push_back({-4 + i * 21.0, 14 + std::sin(i * 0.7) * 5 + i * 0.3});
    Vine(cr, top, 2.4, 302, 11, 12);
    Foliage(cr, 30, 392, 110, 40, 303, Rgb(0x1e5a22), Rgb(0x8ad050), 26);
    Foliage(cr, 250, 400, 70, 22, 304, Rgb(0x1e5a22), Rgb(0x8ad050), 14);
    for (TPt p : {TPt{70, 372}, TPt{120, 382}, TPt{30, 360}, TPt{180, 16}, TPt{60, 22}}) {
      for (int k = 0; k < 5; ++k) {
        double a = k * 2 * M_PI / 5;
        cairo_arc(cr, p.X + 4 * std::cos(a), p.Y + 4 * std::sin(a), 3.2, 0, 2 * M_PI);
      }
      SourceRadial(cr, p.X, p.Y, 8, {{0, Rgb(0xffffff)}, {1, Rgb(0xffc0dc)}});
      cairo_fill(cr);
      cairo_arc(cr, p.X, p.Y, 2, 0, 2 * M_PI);
      SetColor(cr, Rgb(0xffd040));
      cairo_fill(cr);
    }
  });
}

// The credits: 0 the frame, its window clear for the scrolling lines; 1 the
// backdrop behind them.
TPatterns Credits() {
  const double wx = 24, wy = 48, ww = 392, wh = 252;
  return DrawFrames(2, 440, 400, [=](cairo_t* cr, int i) {
    if (i == 1) {
      // Opaque: nothing of the menu's picture may show through the lines.
      RoundRect(cr, wx - 4, wy - 4, ww + 8, wh + 8, 10);
      SourceLinear(cr, 0, wy, 0, wy + wh, {{0, Rgb(0x081a10)}, {0.5, Rgb(0x10281a)}, {1, Rgb(0x081a10)}});
      cairo_fill(cr);
      SourceRadial(cr, 220, 170, 200, {{0, Rgb(0x60c080, 0.12)}, {1, Rgb(0x60c080, 0)}});
      cairo_paint(cr);
      return;
    }
    auto frame = [=](cairo_t* c) {
      RoundRect(c, 4, 4, 432, 392, 22);
      RoundRect(c, wx, wy, ww, wh, 8);
      cairo_set_fill_rule(c, CAIRO_FILL_RULE_EVEN_ODD);
    };
    Shadow(cr, 440, 400, frame, 4, 6, 8, Rgb(0, 0.7));
    frame(cr);
    TSurface wood = WoodTexture(440, 400, 4040, Rgb(0xa86a38), Rgb(0x4a280c), true, 1.4);
    FillTexture(cr, wood, 0, 0);
    cairo_new_path(cr);
    RoundRect(cr, 4, 4, 432, 392, 22);
    Bevel(cr, 4, 0.4, 0.6);
    SourceLinear(cr, 0, 4, 0, 396, {{0, Rgb(0xfff0a0)}, {1, Rgb(0x8a5a18)}});
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    RoundRect(cr, wx, wy, ww, wh, 8);
    SetColor(cr, Rgb(0x1a0c02));
    cairo_set_line_width(cr, 4);
    cairo_stroke_preserve(cr);
    SourceLinear(cr, 0, wy, 0, wy + wh, {{0, Rgb(0xf0c060)}, {1, Rgb(0x8a5a18)}});
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    // The heading.
    SetFont(cr, fontfiles::kChancery, 38);
    TextPathCentred(cr, "Credits", 220, 38);
    SetColor(cr, Rgb(0x1a0c02));
    cairo_set_line_width(cr, 4);
    cairo_stroke_preserve(cr);
    SourceLinear(cr, 0, 10, 0, 40, {{0, Rgb(0xfffbe0)}, {1, Rgb(0xf0b040)}});
    cairo_fill(cr);
    // Vines round the window and leaves in the corners.
    std::vector<TPt> left, right;
    for (int k = 0; k <= 10; ++k) {
      left.push_back({14 + std::sin(k * 0.9) * 4, 30 + k * 34.0});
      right.push_back({426 + std::sin(k * 0.9 + 1) * 4, 30 + k * 34.0});
    }
    Vine(cr, left, 2, 401, 12, 11);
    Vine(cr, right, 2, 402, 12, 11);
    for (TPt p : {TPt{24, 24}, TPt{416, 24}, TPt{24, 376}, TPt{416, 376}}) {
      cairo_arc(cr, p.X, p.Y, 7, 0, 2 * M_PI);
      SourceRadial2(cr, p.X - 2, p.Y - 2, 1, p.X, p.Y, 7, {{0, Rgb(0xfff4b0)}, {0.6, Rgb(0xd8a038)}, {1, Rgb(0x6a4010)}});
      cairo_fill(cr);
    }
  });
}

}  // namespace

void AddMenuArt(std::vector<TArtItem>& items) {
  const std::vector<std::string> src = {"ArtMenu.cpp", "Materials.cpp", "Materials.h", "Scenery.cpp", "Scenery.h"};
  auto add = [&](const std::string& key, std::function<TPatterns()> fn) {
    items.push_back({key, src, {}, [fn](const TArtInputs&) { return fn(); }});
  };
  add("mainscreen.jpg", MainScreen);
  for (const TMenuWord& w : kWords) add(w.Key, [w] { return LitWord(w); });
  add("notyouclickhere.image", PlayerSign);
  add("here.image", HereWord);
  add("optionsbuttons.image", OptionButtons);
  add("foliage.image", MenuFoliage);
  add("credits.image", Credits);
}
