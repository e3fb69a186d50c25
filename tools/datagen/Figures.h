// The story's figures: the four arvanels, the thief, the magic book and the
// places it was kept.
#pragma once

#include "Paint.h"

enum TElementKind { ekForest = 0, ekWater = 1, ekFire = 2, ekMountain = 3 };

// An arvanel standing with its feet on (x, baseY), height pixels tall.
// pose: 0 standing, 1 walking, 2 arms raised (cheering or holding up).
void DrawArvanel(cairo_t* cr, double x, double baseY, double height, TElementKind element, int facing = 1,
                 int pose = 0);
// The hooded thief; with the book under his arm when carrying.
void DrawThief(cairo_t* cr, double x, double baseY, double height, bool carrying, bool bound = false);
// The Book of the Arvanels, centred on (x, y), width pixels wide.
void DrawMagicBook(cairo_t* cr, double x, double y, double width, bool open, double glow);
// The stone pedestal the book lay on; its top centre at (x, topY).
void DrawPedestal(cairo_t* cr, double x, double topY, double width);
// The carved chest the book was kept in, lid thrown open; base centred on x.
void DrawOpenChest(cairo_t* cr, double x, double baseY, double width);
// A little round door in a tree root, the arvanels' homes.
void DrawRootDoor(cairo_t* cr, double x, double baseY, double size, bool lit);
