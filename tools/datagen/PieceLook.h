// The nine piece kinds as drawings, shared by the piece images, the editor's
// icons and the mock board scene.
#pragma once

#include "Paint.h"

// How a piece is posed in one pattern: squash and stretch, lean, and which of
// its glints shows.
struct TPiecePose {
  double ScaleX = 1, ScaleY = 1;  // about the piece's foot
  double Lean = 0;                // horizontal shear: positive leans the top right
  double Lift = 0;                // pixels up
  int Glint = 0;                  // 0 none, 1 and 2 two glint places
  double Phase = 0;               // 0..1 for living details (flames, ripples)
  double Open = 0;                // the book's cover, 0 shut .. 1 wide
  int Trail = 0;                  // speed lines: -1 on the left, 1 on the right, 2 above and below
};

enum TPieceKind { pkBlack, pkMountain, pkFire, pkTree, pkWater, pkBook, pkPearl, pkCrystal, pkCross };

// Draws the piece into a 40 x 40 cell at the context's origin, shadow included.
void DrawPiece(cairo_t* cr, TPieceKind kind, const TPiecePose& pose);
