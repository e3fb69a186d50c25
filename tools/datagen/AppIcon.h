// The game's icon for desktop menus and software centres: a tree on a rounded
// grove-green tile with a golden rim. Every size has a drawing of its own
// rather than a scaled-down copy of the big one: from 128 pixels up the whole
// picture (six lit crown masses, leaf flecks, a pale rim round the tree, a
// ground shadow); at 48 and 64 the same without the flecks and with bolder
// lines; at 32 three crown masses and one highlight; at 16 a few crisp shapes
// set on the pixel grid. Everything is drawn as vector paths and gradients, so
// the scalable version is the full picture as SVG.
#pragma once

#include <cairo.h>

#include <string>

// The sizes of the icon theme's fixed-size folders.
inline constexpr int kAppIconSizes[] = {16, 32, 48, 64, 128, 256, 512};

// Draws the icon for a size x size square at the context's origin. Sizes
// between the listed ones use the drawing of the next smaller listed size.
void DrawAppIcon(cairo_t* cr, int size);

// Writes a size x size PNG; throws std::runtime_error when it cannot.
void WriteAppIcon(const std::string& path, int size);

// Writes the scalable icon: the full picture as SVG on a 512-pixel page.
void WriteAppIconSvg(const std::string& path);

// Writes the icon theme's files under dir: <N>x<N>/apps/<name>.png for every
// size of kAppIconSizes and scalable/apps/<name>.svg.
void WriteAppIconTheme(const std::string& dir, const std::string& name);

// Writes one picture to look at every size at once: each drawn at its own size
// and magnified without smoothing, and below them the sizes as they are, on a
// dark and a light background.
void WriteAppIconSheet(const std::string& path);
