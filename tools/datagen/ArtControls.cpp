// The controls picture of the options: the keyboard's keys on the left, the
// game controller on the right, each with what it does, on a parchment
// sheet. The "Controls" form of the options shows it.
#include <cmath>

#include "Art.h"

namespace {

constexpr int kWidth = 580, kHeight = 390;
const TRgba kInk = Rgb(0x3a2410);
const TRgba kFaint = Rgb(0x6a4a28);

void Text(cairo_t* cr, const std::string& text, double x, double y, double size, const TRgba& color,
          bool bold = false) {
  SetFont(cr, bold ? fontfiles::kBiolinumBold : fontfiles::kBiolinum, size);
  TextPath(cr, text, x, y);
  SetColor(cr, color);
  cairo_fill(cr);
}

void Centred(cairo_t* cr, const std::string& text, double cx, double y, double size, const TRgba& color) {
  SetFont(cr, fontfiles::kBiolinumBold, size);
  TextPathCentred(cr, text, cx, y);
  SetColor(cr, color);
  cairo_fill(cr);
}

// A small triangle pointing along (dx, dy), centred on (cx, cy).
void Arrow(cairo_t* cr, double cx, double cy, int dx, int dy, double r, const TRgba& color) {
  const double ax = dx, ay = dy, px = -ay, py = ax;
  Polygon(cr, {{cx + ax * r, cy + ay * r}, {cx - ax * r * 0.6 + px * r, cy - ay * r * 0.6 + py * r},
               {cx - ax * r * 0.6 - px * r, cy - ay * r * 0.6 - py * r}});
  SetColor(cr, color);
  cairo_fill(cr);
}

// A keycap: a light top over a darker rim, a caption or an arrow on it.
void Key(cairo_t* cr, double x, double y, double w, const std::string& caption, int dx = 0, int dy = 0) {
  const double h = 26;
  RoundRect(cr, x, y + 2, w, h, 5);
  SetColor(cr, Rgb(0x5a3e22));
  cairo_fill(cr);
  RoundRect(cr, x + 1, y, w - 2, h - 2, 5);
  SourceLinear(cr, 0, y, 0, y + h, {{0, Rgb(0xfff8e8)}, {1, Rgb(0xd8c8a8)}});
  cairo_fill_preserve(cr);
  SetColor(cr, Rgb(0x4a3018));
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  if (dx != 0 || dy != 0)
    Arrow(cr, x + w / 2, y + h / 2 - 1, dx, dy, 6, kInk);
  else
    Centred(cr, caption, x + w / 2, y + 17, caption.size() > 2 ? 11 : 13, kInk);
}

// A round face button of the pad with its letter, in its colour.
void FaceButton(cairo_t* cr, double cx, double cy, const std::string& letter, const TRgba& color) {
  cairo_arc(cr, cx, cy, 11, 0, 2 * M_PI);
  SourceRadial(cr, cx - 3, cy - 3, 13, {{0, Shade(color, 0.35)}, {1, Shade(color, -0.25)}});
  cairo_fill_preserve(cr);
  SetColor(cr, Rgb(0x1a1a1a, 0.8));
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  Centred(cr, letter, cx, cy + 5, 13, Rgb(0xffffff));
}

void Keyboard(cairo_t* cr) {
  Centred(cr, "Keyboard", 145, 34, 17, kInk);
  // Arrows and WASD.
  Key(cr, 42, 50, 28, "", 0, -1);
  Key(cr, 10, 80, 28, "", -1, 0);
  Key(cr, 42, 80, 28, "", 0, 1);
  Key(cr, 74, 80, 28, "", 1, 0);
  Key(cr, 148, 50, 28, "W");
  Key(cr, 116, 80, 28, "A");
  Key(cr, 148, 80, 28, "S");
  Key(cr, 180, 80, 28, "D");
  Text(cr, "or", 106, 71, 12, kFaint);
  Text(cr, "Move the frame over the board", 14, 128, 12.5, kInk);
  // Pick and swap.
  Key(cr, 10, 142, 96, "Space");
  Text(cr, "or", 112, 160, 12, kFaint);
  Key(cr, 130, 142, 56, "Enter");
  Text(cr, "Pick a piece, then an arrow swaps it;", 14, 188, 12.5, kInk);
  Text(cr, "press buttons, cast an armed spell", 14, 204, 12.5, kInk);
  // Spells.
  const char* const numbers[] = {"1", "2", "3", "4"};
  for (int i = 0; i < 4; ++i) Key(cr, 10 + 32.0 * i, 218, 28, numbers[i]);
  Text(cr, "Spells: tree, water,", 150, 230, 12.5, kInk);
  Text(cr, "fire, mountain", 150, 245, 12.5, kInk);
  // Menus.
  Key(cr, 10, 260, 40, "Esc");
  Text(cr, "Back, let go, game menu", 58, 278, 12.5, kInk);
  Key(cr, 10, 292, 40, "Tab");
  Text(cr, "Next button (arrows too)", 58, 310, 12.5, kInk);
  Key(cr, 10, 324, 28, "P");
  Text(cr, "Pause", 58, 342, 12.5, kInk);
}

void Pad(cairo_t* cr) {
  const double ox = 290;
  Centred(cr, "Game controller", ox + 145, 34, 17, kInk);
  // The body.
  cairo_save(cr);
  cairo_translate(cr, ox + 145, 110);
  cairo_new_path(cr);
  cairo_move_to(cr, -110, -30);
  cairo_curve_to(cr, -60, -48, 60, -48, 110, -30);
  cairo_curve_to(cr, 140, 10, 130, 70, 100, 66);
  cairo_curve_to(cr, 70, 62, 55, 30, 0, 30);
  cairo_curve_to(cr, -55, 30, -70, 62, -100, 66);
  cairo_curve_to(cr, -130, 70, -140, 10, -110, -30);
  cairo_close_path(cr);
  SourceLinear(cr, 0, -48, 0, 70, {{0, Rgb(0x5a5e66)}, {1, Rgb(0x2a2c32)}});
  cairo_fill_preserve(cr);
  SetColor(cr, Rgb(0x111111));
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  // Shoulder buttons.
  for (int side : {-1, 1}) {
    RoundRect(cr, side * 95 - 22, -52, 44, 12, 5);
    SetColor(cr, Rgb(0x3a3c42));
    cairo_fill(cr);
    Centred(cr, side < 0 ? "LB" : "RB", side * 95, -42, 10, Rgb(0xffffff));
  }
  // The d-pad.
  cairo_rectangle(cr, -88, -8, 42, 14);
  cairo_rectangle(cr, -74, -22, 14, 42);
  SetColor(cr, Rgb(0x1a1a1e));
  cairo_fill(cr);
  Arrow(cr, -67, -15, 0, -1, 4, Rgb(0xcccccc));
  Arrow(cr, -67, 13, 0, 1, 4, Rgb(0xcccccc));
  Arrow(cr, -81, -1, -1, 0, 4, Rgb(0xcccccc));
  Arrow(cr, -53, -1, 1, 0, 4, Rgb(0xcccccc));
  // The left stick.
  cairo_arc(cr, -35, 32, 14, 0, 2 * M_PI);
  SourceRadial(cr, -38, 29, 15, {{0, Rgb(0x60646c)}, {1, Rgb(0x1a1a1e)}});
  cairo_fill(cr);
  // Start.
  RoundRect(cr, 10, -14, 22, 9, 4);
  SetColor(cr, Rgb(0x1a1a1e));
  cairo_fill(cr);
  // Face buttons.
  FaceButton(cr, 72, 16, "A", Rgb(0x3aa040));
  FaceButton(cr, 96, -6, "B", Rgb(0xc83a30));
  FaceButton(cr, 48, -6, "X", Rgb(0x3a70d0));
  FaceButton(cr, 72, -28, "Y", Rgb(0xd0a020));
  cairo_restore(cr);
  // What they do.
  const double x = ox + 14;
  Text(cr, "D-pad or left stick", x, 206, 12.5, kInk, true);
  Text(cr, "Move the frame (held, it repeats)", x, 221, 12.5, kInk);
  Text(cr, "A", x, 242, 12.5, kInk, true);
  Text(cr, "Pick, swap, press a button", x + 40, 242, 12.5, kInk);
  Text(cr, "B", x, 260, 12.5, kInk, true);
  Text(cr, "Let go, back", x + 40, 260, 12.5, kInk);
  Text(cr, "X  Y", x, 278, 12.5, kInk, true);
  Text(cr, "Tree spell, water spell", x + 40, 278, 12.5, kInk);
  Text(cr, "LB RB", x, 296, 12.5, kInk, true);
  Text(cr, "Fire spell, mountain spell", x + 40, 296, 12.5, kInk);
  Text(cr, "Start", x, 314, 12.5, kInk, true);
  Text(cr, "Game menu", x + 40, 314, 12.5, kInk);
}

TPatterns ControlsPicture() {
  return DrawOne(kWidth, kHeight, [](cairo_t* cr) {
    RoundRect(cr, 0, 0, kWidth, kHeight, 8);
    SourceLinear(cr, 0, 0, 0, kHeight, {{0, Rgb(0xf4e4c0)}, {1, Rgb(0xe2cc9c)}});
    cairo_fill(cr);
    // A line between the halves.
    cairo_rectangle(cr, kWidth / 2.0 - 0.5, 20, 1, kHeight - 80);
    SetColor(cr, Rgb(0x8a6a40, 0.5));
    cairo_fill(cr);
    Keyboard(cr);
    Pad(cr);
  });
}

}  // namespace

void AddControlsArt(std::vector<TArtItem>& items) {
  items.push_back({"controls.image", {"ArtControls.cpp"}, {}, [](const TArtInputs&) { return ControlsPicture(); }});
}
