// The piece images: three idle poses, then the move animations, and the fire
// piece's glow.
#include <cmath>

#include "Art.h"
#include "PieceLook.h"

namespace {

TPiecePose Idle(int i) {
  TPiecePose p;
  if (i == 1) {
    p.Glint = 1;
    p.Phase = 0.33;
    p.ScaleY = 1.02;
  } else if (i == 2) {
    p.Glint = 2;
    p.Phase = 0.66;
    p.ScaleX = 1.02;
  }
  return p;
}

// Moving sideways: the piece leans into the move and stretches, with speed
// lines behind it. dir -1 moves left, 1 right.
TPiecePose Sideways(int frame, int dir) {
  TPiecePose p;
  const double sx[] = {1.05, 1.12, 1.04}, sy[] = {0.96, 0.9, 0.97}, lean[] = {0.08, 0.16, 0.05};
  p.ScaleX = sx[frame];
  p.ScaleY = sy[frame];
  p.Lean = dir * lean[frame];
  p.Trail = frame == 0 ? 0 : -dir;
  p.Phase = 0.2 * frame;
  return p;
}

// Moving up or down: stretched in flight, squashed on landing.
TPiecePose Vertical(int frame) {
  TPiecePose p;
  const double sx[] = {0.94, 0.9, 1.08}, sy[] = {1.07, 1.12, 0.92};
  p.ScaleX = sx[frame];
  p.ScaleY = sy[frame];
  if (p.ScaleY > 1) p.Lift = -(p.ScaleY - 1) * 17;
  p.Trail = frame == 1 ? 2 : 0;
  p.Phase = 0.5 + 0.2 * frame;
  return p;
}

TPatterns StandardPiece(TPieceKind kind) {
  return DrawFrames(12, 40, 40, [kind](cairo_t* cr, int i) {
    TPiecePose pose = i < 3 ? Idle(i) : i < 6 ? Sideways(i - 3, -1) : i < 9 ? Sideways(i - 6, 1) : Vertical(i - 9);
    DrawPiece(cr, kind, pose);
  });
}

TPatterns BookPiece() {
  return DrawFrames(8, 40, 40, [](cairo_t* cr, int i) {
    TPiecePose pose;
    if (i < 3) {
      pose = Idle(i);
    } else if (i < 6) {
      // Sideways the cover flips open and the pages flare.
      const double open[] = {0.35, 0.85, 0.3};
      pose.Open = open[i - 3];
    } else {
      pose = Vertical(i == 6 ? 1 : 2);
      pose.Trail = 0;
    }
    DrawPiece(cr, pkBook, pose);
  });
}

TPatterns IdleOnly(TPieceKind kind) {
  return DrawFrames(3, 40, 40, [kind](cairo_t* cr, int i) { DrawPiece(cr, kind, Idle(i)); });
}

// The fire piece's glow, drawn additively under the piece: a flickering
// halo whose flames stream away from the direction of travel.
void FireGlow(cairo_t* cr, double phase, double trailX, double trailY) {
  double cx = 20 + trailX * 3, cy = 22 + trailY * 2;
  TSaved s(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, 1 + std::fabs(trailX) * 0.35, 1 + std::fabs(trailY) * 0.3);
  double pulse = 0.85 + 0.15 * std::sin(phase * 2 * M_PI);
  SourceRadial(cr, 0, 0, 19, {{0, Rgb(0xffb040, 0.75 * pulse)}, {0.45, Rgb(0xff6a10, 0.45 * pulse)},
                              {1, Rgb(0xff3000, 0)}});
  cairo_arc(cr, 0, 0, 19, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_save(cr);
  // Rising flames around the rim.
  for (int k = 0; k < 5; ++k) {
    double t = std::fmod(phase + k / 5.0, 1.0);
    double x = 7 + k * 6.5 + trailX * 8 * t, y = 30 - 26 * t + trailY * 6 * t;
    double size = 4.5 * (1 - t) + 1;
    double alpha = std::sin(t * M_PI) * 0.85;
    SourceRadial(cr, x, y, size, {{0, Rgb(0xffe080, alpha)}, {0.5, Rgb(0xff7a18, alpha * 0.6)},
                                  {1, Rgb(0xff3000, 0)}});
    Ellipse(cr, x, y, size * 0.75, size * 1.2);
    cairo_fill(cr);
  }
}

TPatterns FireFx() {
  return DrawFrames(16, 40, 40, [](cairo_t* cr, int i) {
    double tx = 0, ty = 0, phase = i / 6.0;
    if (i >= 6 && i <= 10) tx = i == 6 || i == 10 ? 0.4 : 1;   // moving left: streams right
    if (i >= 11 && i <= 12) tx = -1;                            // moving right: streams left
    if (i == 13) tx = -0.5, ty = 0.5;                           // shared by both
    if (i >= 14) ty = 1;                                        // moving up or down
    FireGlow(cr, phase, tx, ty);
  });
}

}  // namespace

void AddPieceArt(std::vector<TArtItem>& items) {
  const std::vector<std::string> sources = {"ArtPieces.cpp", "PieceLook.cpp", "PieceLook.h"};
  auto add = [&](const char* key, std::function<TPatterns()> fn) {
    items.push_back({key, sources, {}, [fn](const TArtInputs&) { return fn(); }});
  };
  add("black.image", [] { return StandardPiece(pkBlack); });
  add("red.image", [] { return StandardPiece(pkMountain); });
  add("fire.image", [] { return StandardPiece(pkFire); });
  add("tree.image", [] { return StandardPiece(pkTree); });
  add("gota.image", [] { return StandardPiece(pkWater); });
  add("book.image", [] { return BookPiece(); });
  add("pearl.image", [] { return IdleOnly(pkPearl); });
  add("cristal.image", [] { return IdleOnly(pkCrystal); });
  add("celtic-cross.image", [] { return IdleOnly(pkCross); });
  add("fire-fx.image", [] { return FireFx(); });
}
