// The level editor's icons: one for each tool button (the cells, boxes,
// fields, edge pieces and pieces the tool paints) and for the page buttons.
#include <cmath>
#include <map>

#include "Art.h"
#include "Materials.h"
#include "Scenery.h"

namespace {

// The carved tile every icon sits on.
void Tile(cairo_t* cr) {
  RoundRect(cr, 1, 1, 30, 30, 6);
  SourceLinear(cr, 0, 1, 0, 31, {{0, Rgb(0x5a3a1e)}, {1, Rgb(0x2a1a0a)}});
  cairo_fill_preserve(cr);
  SourceLinear(cr, 0, 1, 0, 31, {{0, Rgb(0xf0d080)}, {1, Rgb(0x6a4410)}});
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
}

// A pattern of another drawing, scaled into the tile.
void Pattern(cairo_t* cr, const std::string& key, int pattern, double size = 26) {
  static thread_local std::map<std::string, TPatterns> cache;
  auto it = cache.find(key);
  if (it == cache.end()) it = cache.emplace(key, FindArt(key)->Draw(TArtInputs{})).first;
  const TSurface& s = it->second[static_cast<size_t>(pattern)];
  TSaved saved(cr);
  double k = size / s.Width();
  cairo_translate(cr, 16 - size / 2, 16 - size / 2);
  cairo_scale(cr, k, k);
  cairo_set_source_surface(cr, s.Get(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
}

void Stroke(cairo_t* cr, const TRgba& c, double width) {
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  SetColor(cr, Rgb(0x120a02));
  cairo_set_line_width(cr, width + 2);
  cairo_stroke_preserve(cr);
  SetColor(cr, c);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

void FillOutlined(cairo_t* cr, const TRgba& top, const TRgba& bottom, double y0, double y1) {
  SourceLinear(cr, 0, y0, 0, y1, {{0, top}, {1, bottom}});
  cairo_fill_preserve(cr);
  SetColor(cr, Rgb(0x120a02));
  cairo_set_line_width(cr, 1.2);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}

void Arrow(cairo_t* cr, int dir) {
  TSaved s(cr);
  cairo_translate(cr, 16, 16);
  cairo_scale(cr, dir, 1);
  Polygon(cr, {{-9, 0}, {1, -9}, {1, -4}, {9, -4}, {9, 4}, {1, 4}, {1, 9}});
  FillOutlined(cr, Rgb(0xfff0a0), Rgb(0xd08a20), -9, 9);
}

void Icon(cairo_t* cr, int i) {
  Tile(cr);
  static const char* pieces[] = {"red.image", "fire.image", "pearl.image", "cristal.image",
                                 "tree.image", "black.image", "book.image", "gota.image"};
  switch (i) {
    case 0:  // no tool: a pointer
      cairo_move_to(cr, 10, 7);
      cairo_line_to(cr, 10, 24);
      cairo_line_to(cr, 14, 20);
      cairo_line_to(cr, 17, 26);
      cairo_line_to(cr, 20, 25);
      cairo_line_to(cr, 17, 19);
      cairo_line_to(cr, 22, 19);
      cairo_close_path(cr);
      FillOutlined(cr, Rgb(0xfffbe0), Rgb(0xe0b040), 7, 26);
      break;
    case 1: Pattern(cr, "board-wood.image", 0); break;
    case 2: Pattern(cr, "board-wood.image", 2); break;
    case 3:  // spawn point: pieces pour in here
      Glow(cr, 16, 20, 12, Rgb(0x80ff90, 0.6));
      Polygon(cr, {{10, 6}, {22, 6}, {22, 13}, {27, 13}, {16, 25}, {5, 13}, {10, 13}});
      FillOutlined(cr, Rgb(0xc8ffb0), Rgb(0x3aa03a), 6, 25);
      Ellipse(cr, 16, 27, 9, 2.5);
      SetColor(cr, Rgb(0x9aff9a, 0.7));
      cairo_fill(cr);
      break;
    case 4:
      Pattern(cr, "board-wood.image", 1);
      Pattern(cr, "forcefield1.image", 8);
      break;
    case 5:
      Pattern(cr, "board-wood.image", 1);
      Pattern(cr, "forcefield2.image", 8);
      break;
    case 14:  // the tool number the editor does not use
      Leaf(cr, 9, 22, 16, 6, -0.8, Rgb(0x4a7a3a, 0.6));
      break;
    case 15: Pattern(cr, "board-wood.image", 1); break;
    case 24:  // eraser
      {
        TSaved s(cr);
        cairo_translate(cr, 16, 17);
        cairo_rotate(cr, -0.6);
        RoundRect(cr, -10, -6, 20, 12, 2.5);
        FillOutlined(cr, Rgb(0xffc0c8), Rgb(0xd8707a), -6, 6);
        cairo_rectangle(cr, -10, -6, 7, 12);
        SetColor(cr, Rgb(0x6a8ad8));
        cairo_fill(cr);
      }
      cairo_move_to(cr, 6, 27);
      cairo_line_to(cr, 26, 27);
      Stroke(cr, Rgb(0xe0e0e0), 1.2);
      break;
    case 25: Arrow(cr, 1); break;   // previous level: pointing left
    case 26: Arrow(cr, -1); break;  // next level: pointing right
    case 27:  // insert a level
      Polygon(cr, {{13, 6}, {19, 6}, {19, 13}, {26, 13}, {26, 19}, {19, 19}, {19, 26}, {13, 26}, {13, 19}, {6, 19},
                   {6, 13}, {13, 13}});
      FillOutlined(cr, Rgb(0xc8ffb0), Rgb(0x3aa03a), 6, 26);
      break;
    case 28:  // save: a scroll sealed with wax
      RoundRect(cr, 7, 6, 18, 20, 3);
      FillOutlined(cr, Rgb(0xfff4d8), Rgb(0xd8c090), 6, 26);
      for (double y : {11.0, 15.0, 19.0}) {
        cairo_move_to(cr, 10, y);
        cairo_line_to(cr, 22, y);
      }
      SetColor(cr, Rgb(0x8a6a3a));
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
      cairo_arc(cr, 21, 23, 5, 0, 2 * M_PI);
      FillOutlined(cr, Rgb(0xff6a5a), Rgb(0xa01a1a), 18, 28);
      break;
    case 29:  // cancel
      cairo_move_to(cr, 9, 9);
      cairo_line_to(cr, 23, 23);
      cairo_move_to(cr, 23, 9);
      cairo_line_to(cr, 9, 23);
      Stroke(cr, Rgb(0xff5a4a), 4);
      break;
    case 30:  // clean: a broom
      cairo_move_to(cr, 24, 5);
      cairo_line_to(cr, 15, 18);
      Stroke(cr, Rgb(0xc89050), 2.5);
      Polygon(cr, {{12, 16}, {19, 21}, {14, 28}, {5, 24}});
      FillOutlined(cr, Rgb(0xf0d070), Rgb(0xb08020), 16, 28);
      break;
    case 31:  // fill: a bucket pouring
      Polygon(cr, {{7, 12}, {21, 12}, {19, 26}, {9, 26}});
      FillOutlined(cr, Rgb(0xd0d8e0), Rgb(0x7a8490), 12, 26);
      Ellipse(cr, 14, 12, 7, 2.2);
      SetColor(cr, Rgb(0x5ac8ff));
      cairo_fill(cr);
      cairo_move_to(cr, 21, 12);
      cairo_curve_to(cr, 26, 12, 27, 18, 26, 24);
      Stroke(cr, Rgb(0x5ac8ff), 2.5);
      break;
    case 32:  // options: a gear
      StarPath(cr, 16, 16, 8, 11, 8.5, 0);
      FillOutlined(cr, Rgb(0xfff0a0), Rgb(0xb07a20), 5, 27);
      cairo_arc(cr, 16, 16, 3.5, 0, 2 * M_PI);
      SetColor(cr, Rgb(0x3a220a));
      cairo_fill(cr);
      break;
    case 33:  // exit: a door with an arrow
      cairo_move_to(cr, 7, 27);
      cairo_line_to(cr, 7, 11);
      cairo_arc(cr, 13, 11, 6, M_PI, 2 * M_PI);
      cairo_line_to(cr, 19, 27);
      cairo_close_path(cr);
      FillOutlined(cr, Rgb(0xc08040), Rgb(0x6a3a14), 5, 27);
      Polygon(cr, {{20, 13}, {27, 18}, {20, 23}, {20, 20}, {14, 20}, {14, 16}, {20, 16}});
      FillOutlined(cr, Rgb(0xfff0a0), Rgb(0xd08a20), 13, 23);
      break;
    case 34:  // test play
      Polygon(cr, {{10, 7}, {25, 16}, {10, 25}});
      FillOutlined(cr, Rgb(0xc8ffb0), Rgb(0x2a902a), 7, 25);
      break;
    default:
      if (i >= 6 && i <= 13) Pattern(cr, "board-wood.image", i + 4);
      if (i >= 16 && i <= 23) Pattern(cr, pieces[i - 16], 0, 28);
      break;
  }
}

}  // namespace

void AddIconArt(std::vector<TArtItem>& items) {
  const std::vector<std::string> src = {"ArtIcons.cpp",  "ArtBoard.cpp",  "ArtPieces.cpp", "PieceLook.cpp", "PieceLook.h",
                                        "Materials.cpp", "Materials.h",   "Scenery.cpp",   "Scenery.h"};
  items.push_back({"icons.image", src, {}, [](const TArtInputs&) {
                     return DrawFrames(35, 32, 32, [](cairo_t* cr, int i) { Icon(cr, i); });
                   }});
}
