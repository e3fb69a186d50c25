#include "Sheets.h"

#include <cmath>
#include <iostream>
#include <map>
#include <stdexcept>

#include "FontGen.h"
#include "MapData.h"

namespace {

void Checker(cairo_t* cr, int w, int h, int cell) {
  for (int y = 0; y < h; y += cell)
    for (int x = 0; x < w; x += cell) {
      bool dark = ((x / cell) + (y / cell)) % 2;
      cairo_rectangle(cr, x, y, cell, cell);
      SetColor(cr, dark ? Rgb(0x2a3a30) : Rgb(0x34463a));
      cairo_fill(cr);
    }
}

}  // namespace

int WritePreview(const std::string& keys, const std::string& out, const TGenOptions& options, int zoom) {
  // Several keys, separated by commas, go one below the other.
  std::vector<TPatterns> all;
  size_t from = 0;
  while (from <= keys.size()) {
    size_t comma = keys.find(',', from);
    std::string key = keys.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
    from = comma == std::string::npos ? keys.size() + 1 : comma + 1;
    const TArtItem* item = FindArt(key);
    if (!item) throw std::runtime_error("no drawing named " + key);
    all.push_back(item->Draw(TArtInputs{options.ContentDir}));
    if (all.back().empty()) throw std::runtime_error(key + " drew nothing");
  }
  int W = 8, H = 8;
  struct TPlace { int Cols, Y, Pw, Ph; };
  std::vector<TPlace> places;
  for (const TPatterns& patterns : all) {
    int pw = patterns[0].Width(), ph = patterns[0].Height();
    int cols = std::max(1, std::min(static_cast<int>(patterns.size()), std::max(1, 1800 / (pw * zoom + 8))));
    int rows = (static_cast<int>(patterns.size()) + cols - 1) / cols;
    places.push_back({cols, H, pw, ph});
    W = std::max(W, cols * (pw * zoom + 8) + 8);
    H += rows * (ph * zoom + 8);
  }
  TSurface sheet(W, H);
  TPen pen(sheet);
  Checker(pen, W, H, 8 * zoom);
  for (size_t k = 0; k < all.size(); ++k) {
    const TPlace& pl = places[k];
    for (size_t i = 0; i < all[k].size(); ++i) {
      int c = static_cast<int>(i) % pl.Cols, r = static_cast<int>(i) / pl.Cols;
      TSaved s(pen);
      cairo_translate(pen, 8 + c * (pl.Pw * zoom + 8), pl.Y + r * (pl.Ph * zoom + 8));
      cairo_scale(pen, zoom, zoom);
      cairo_set_source_surface(pen, all[k][i].Get(), 0, 0);
      cairo_pattern_set_filter(cairo_get_source(pen), CAIRO_FILTER_NEAREST);
      cairo_paint(pen);
    }
  }
  if (!WritePng(sheet, out)) throw std::runtime_error("cannot write " + out);
  return 0;
}

namespace {

// The drawings a scene uses, drawn once each.
class TArtBox {
 public:
  explicit TArtBox(const TGenOptions& options) : Options_(options) {}
  const TPatterns& Get(const std::string& key) {
    auto it = Cache_.find(key);
    if (it != Cache_.end()) return it->second;
    const TArtItem* item = FindArt(key);
    if (!item) throw std::runtime_error("no drawing named " + key);
    return Cache_[key] = item->Draw(TArtInputs{Options_.ContentDir});
  }
  bool Has(const std::string& key) const { return FindArt(key) != nullptr; }
  // Draws a pattern at (x, y) the way the game's blend codes do.
  void Draw(cairo_t* cr, const std::string& key, int pattern, double x, double y, int blend = 1284,
            double alpha = 1.0) {
    const TPatterns& p = Get(key);
    const TSurface& s = p[static_cast<size_t>(std::clamp(pattern, 0, static_cast<int>(p.size()) - 1))];
    TSaved saved(cr);
    cairo_set_operator(cr, blend == 260 ? CAIRO_OPERATOR_ADD : CAIRO_OPERATOR_OVER);
    cairo_set_source_surface(cr, s.Get(), x, y);
    cairo_paint_with_alpha(cr, alpha);
  }
  // Draws part of a pattern (the vine, the pots).
  void DrawPart(cairo_t* cr, const std::string& key, int pattern, double x, double y, double w, double h) {
    TSaved saved(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    Draw(cr, key, pattern, x, y);
  }
  void Stretch(cairo_t* cr, const std::string& key, double w, double h) {
    const TSurface& s = Get(key)[0];
    TSaved saved(cr);
    cairo_scale(cr, w / s.Width(), h / s.Height());
    cairo_set_source_surface(cr, s.Get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
  }

 private:
  const TGenOptions& Options_;
  std::map<std::string, TPatterns> Cache_;
};

// Text as the game's font would write it, with a top and a bottom colour.
void GameText(cairo_t* cr, int font, const std::string& text, double x, double y, const TRgba& top,
              const TRgba& bottom, bool centred = false) {
  static const char* files[] = {fontfiles::kBookmanDemi, fontfiles::kBiolinumBold, fontfiles::kBiolinumBold,
                                fontfiles::kGaramondBold, fontfiles::kBiolinumBold};
  const TFontSpec& spec = GameFonts()[static_cast<size_t>(font)];
  TSaved s(cr);
  SetFont(cr, files[font], spec.PixelSize);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  double w = TextWidth(cr, text);
  double left = centred ? x - w / 2 : x;
  TextPath(cr, text, left + 2, y + fe.ascent + 2);
  if (font == 0 || font == 3) {
    SetColor(cr, Rgb(0, 0.85));
    cairo_set_line_width(cr, 4);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
  }
  SourceLinear(cr, 0, y, 0, y + fe.ascent + fe.descent, {{0, top}, {1, bottom}});
  cairo_fill(cr);
}

void BoardScene(cairo_t* cr, TArtBox& art, int world) {
  art.Stretch(cr, "world" + std::to_string(world) + ".jpg", 800, 600);
  // A level: a ring of edge pieces round the play area, a notch of open
  // scenery, wooden boxes in the middle, iron boxes and fields round them.
  int type[13][19] = {};
  for (int r = 1; r <= 12; ++r)
    for (int c = 1; c <= 18; ++c) {
      int t = 1;
      if (r == 1) t = c == 1 ? 6 : c == 18 ? 8 : 7;
      else if (r == 12) t = c == 1 ? 12 : c == 18 ? 10 : 11;
      else if (c == 1) t = 13;
      else if (c == 18) t = 9;
      type[r][c] = t;
    }
  for (int c = 8; c <= 11; ++c) type[1][c] = 0;
  type[2][8] = type[2][11] = 1;
  for (int r = 4; r <= 9; ++r)
    for (int c = 5; c <= 14; ++c) type[r][c] = 2;
  for (int c = 5; c <= 14; ++c) type[3][c] = type[10][c] = 3;
  type[6][3] = type[7][3] = 4;
  type[6][16] = type[7][16] = 5;
  type[5][8] = type[5][11] = 3;
  TRandom rnd(2024);
  static const char* pieceImages[] = {"black.image", "red.image", "fire.image", "tree.image", "gota.image",
                                      "book.image", "pearl.image", "cristal.image", "celtic-cross.image"};
  int piece[13][19];
  for (int r = 1; r <= 12; ++r)
    for (int c = 1; c <= 18; ++c) {
      int t = type[r][c];
      bool holds = t >= 1 && t <= 5;
      piece[r][c] = holds ? static_cast<int>(rnd.Next() % 8) : -1;
    }
  piece[4][4] = 8;
  piece[9][13] = 8;
  for (int r = 2; r <= 11; ++r) piece[r][2] = r % 8;  // every kind shows at least once
  int selR = 8, selC = 7, hoverR = 8, hoverC = 8;
  // Tiles.
  for (int r = 1; r <= 12; ++r)
    for (int c = 1; c <= 18; ++c) {
      int t = type[r][c];
      if (t == 0) continue;
      int pattern = t == 1 ? 0 : t == 2 ? 2 + (r * 7 + c * 3) % 4 : t <= 5 ? 1 : t + 4;
      double x = 40 * c, y = 40 * r - 10;
      art.Draw(cr, "board-wood.image", pattern, x, y);
      if (r == selR && c == selC) art.Draw(cr, "tab-selection.image", 1, x, y);
      if (t == 2 && r == 6 && c >= 6 && c <= 8) art.Draw(cr, "hint.image", 4 + (c - 6) * 2, x, y);
    }
  // Fire glows, then pieces, then fields.
  for (int r = 1; r <= 12; ++r)
    for (int c = 1; c <= 18; ++c)
      if (piece[r][c] == 2) art.Draw(cr, "fire-fx.image", (r + c) % 6, 40 * c, 40 * r - 10, 260, 155.0 / 255);
  for (int r = 1; r <= 12; ++r)
    for (int c = 1; c <= 18; ++c) {
      int k = piece[r][c];
      if (k < 0) continue;
      int pose = (r * 5 + c) % 7 == 0 ? 1 : (r + c * 3) % 9 == 0 ? 2 : 0;
      art.Draw(cr, pieceImages[k], k == 8 ? 0 : pose, 40 * c, 40 * r - 10, k == 2 ? 260 : 1284);
    }
  for (int r = 1; r <= 12; ++r)
    for (int c = 1; c <= 18; ++c) {
      if (type[r][c] == 4) art.Draw(cr, "forcefield1.image", 6 + (r + c) % 9, 40 * c, 40 * r - 10);
      if (type[r][c] == 5) art.Draw(cr, "forcefield2.image", r == 7 ? 2 : 6 + (r + c) % 9, 40 * c, 40 * r - 10);
    }
  art.Draw(cr, "tab-selection.image", 0, 40 * hoverC, 40 * hoverR - 10, 260);
  // The bar, the vine (two thirds of the time left) and the pots.
  const TImageSpec bar = SpecOf("gui-bar.image");
  art.Draw(cr, "gui-bar.image", 0, 800 - bar.PatternWidth, 600 - bar.PatternHeight);
  art.DrawPart(cr, "cipo.image", 0, 0, 540, 224, 69);
  struct TPot { const char* Key; double X, Y; int Mana; };
  const TPot pots[] = {{"gui-tree.image", 397, 522, 60}, {"gui-gota.image", 397, 557, 25},
                       {"gui-montanha.image", 426, 540, 40}, {"gui-fogo.image", 367, 540, 12}};
  for (const TPot& p : pots) {
    art.Draw(cr, p.Key, 4, p.X, p.Y);
    double h = std::ceil(31 - 31.0 * p.Mana / 60);
    art.DrawPart(cr, p.Key, 1, p.X, p.Y, 31, h);
  }
  art.Draw(cr, "gui-tree.image", 3, 397, 522);  // the tree pot is full: its button pulses
  GameText(cr, 2, "03", 476, 555, Rgb(0xffffff), Rgb(0xffffff));
  GameText(cr, 2, "07", 540, 555, Rgb(0xffffff), Rgb(0xffffff));
  GameText(cr, 2, "00000123450", 610, 555, Rgb(0xffffff), Rgb(0xffffff));
  art.Draw(cr, "mouse.image", 0, 40 * hoverC + 22, 40 * hoverR + 4);
}

void MenuScene(cairo_t* cr, TArtBox& art, bool credits) {
  art.Draw(cr, "mainscreen.jpg", 0, 0, 0, 1);
  art.Draw(cr, "notyouclickhere.image", 0, 521, 0);
  art.Draw(cr, "here.image", 0, 691, 57);
  if (!credits) art.Draw(cr, "menu-options-on.image", 0, 1, 360);
  if (credits) {
    art.Draw(cr, "credits.image", 1, 300, 100);
    const char* lines[] = {"Producer", "Moss Fernwood", "Game Design", "Ayla Brightleaf", "Tobin Reed",
                           "Game Programming", "Wren Ashdown"};
    for (int i = 0; i < 7; ++i) {
      double y = 160 + i * 20 + (i > 1 ? 20 : 0) + (i > 4 ? 20 : 0);
      bool heading = i == 0 || i == 2 || i == 5;
      TSaved s(cr);
      cairo_rectangle(cr, 300, 150, 440, 300);
      cairo_clip(cr);
      GameText(cr, 1, lines[i], 520, y, heading ? Rgb(0x808080) : Rgb(0x008000), Rgb(0xffffff), true);
    }
    art.Draw(cr, "credits.image", 0, 300, 100);
    art.Draw(cr, "optionsbuttons.image", 2, 410, 412);
  }
  art.Draw(cr, "foliage.image", 0, 0, 200);
  GameText(cr, 3, "Ayla", 670, 30, Rgb(0xffffff), Rgb(0xffffff), true);
  art.Draw(cr, "mouse.image", 0, 150, 392);
}

void MapScene(cairo_t* cr, TArtBox& art, const TGenOptions& options) {
  TStoryMap map = LoadStoryMap(options.ContentDir);
  art.Draw(cr, "mapa-correto.image", 0, 0, 0, 1);
  int level = std::min<int>(4, static_cast<int>(map.Points.size()));
  for (size_t i = static_cast<size_t>(level); i < map.Points.size(); ++i)
    art.Draw(cr, "marcador-final.image", 0, std::lround(map.Points[i].X) - 8, std::lround(map.Points[i].Y) - 16);
  const TPt& p = map.Points[static_cast<size_t>(level - 1)];
  art.Draw(cr, "mapa-arvanel.image", 0, std::lround(p.X) - 15, std::lround(p.Y) - 20);
  GameText(cr, 2, "Click to Start Level " + std::to_string(level), 400, 520, Rgb(0xffff00), Rgb(0xff0000), true);
}

void StoryScene(cairo_t* cr, TArtBox& art) {
  art.Draw(cr, "open1-2.image", 0, 0, 117);
  GameText(cr, 2, "It was a time of peace, where everything was happy and peaceful", 400, 500, Rgb(0xffff00),
           Rgb(0xff0000), true);
}

void EndingScene(cairo_t* cr, TArtBox& art) {
  art.Draw(cr, "zeradojogo.image", 0, 0, 117);
  GameText(cr, 2, "The Arvanels captured the thief, recovering the lost book.", 400, 500, Rgb(0xffff00),
           Rgb(0xff0000), true);
}

void HiscoreScene(cairo_t* cr, TArtBox& art, const TGenOptions& options) {
  art.Draw(cr, "hiscore.image", 0, 0, 0, 1);
  std::vector<THiscoreEntry> table = LoadHiscores(options.ContentDir);
  for (int i = 1; i <= 9; ++i) {
    const THiscoreEntry& e = table[static_cast<size_t>(i - 1)];
    std::string score = std::to_string(e.Score);
    while (score.size() < 11) score = "0" + score;
    GameText(cr, 4, e.Name, 160, 150 + 35 * i, Rgb(0xffd040), Rgb(0xffffff));
    GameText(cr, 4, score, 500, 150 + 35 * i, Rgb(0xffd040), Rgb(0xffffff));
  }
}

void GameOverScene(cairo_t* cr, TArtBox& art) {
  art.Draw(cr, "gameover.image", 0, 271, 100);
  GameText(cr, 0, "GAME          OVER", 400, 300, Rgb(0xffff00), Rgb(0xff0000), true);
}

void SplashScene(cairo_t* cr, TArtBox& art) {
  art.Draw(cr, "kestrava.image", 0, 0, 0);
  GameText(cr, 0, "Click to continue", 400, 570, Rgb(0x000000), Rgb(0x000000), true);
}

// Text written glyph by glyph from the font records, the way the game's
// fonts draw it: each glyph cell at the pen, the pen moved by its advance.
void FontScene(cairo_t* cr) {
  cairo_rectangle(cr, 0, 0, 800, 600);
  SourceLinear(cr, 0, 0, 0, 600, {{0, Rgb(0x1e3a26)}, {1, Rgb(0x0a1a10)}});
  cairo_fill(cr);
  const char* sample[] = {"GAME PAUSED - Time Over! 0123456789", "Credits: Producer, Game Design \x85 caf\xe9",
                          "Something that could change everybody\x92s destiny forever!", "Ayla Brightleaf",
                          "Arvanel of the Mountain  00000125000"};
  const uint32_t tops[] = {0xffff00, 0x808080, 0xffff00, 0xffffff, 0xffd040};
  const uint32_t bottoms[] = {0xff0000, 0xffffff, 0xff0000, 0xffffff, 0xffffff};
  double y = 20;
  for (const TFontSpec& f : GameFonts()) {
    TFontRecord font = BuildFontRecord(f);
    TPatterns glyphs = PatternsFromRecord(font.Image);
    for (int line = 0; line < 2; ++line) {
      const std::string text = line == 0 ? sample[f.Number] : "Font " + std::to_string(f.Number) + ": " + f.Purpose;
      double x = 20;
      for (unsigned char c : text) {
        int g = c - font.FirstChar;
        if (g < 0 || g >= static_cast<int>(glyphs.size())) continue;
        TSaved saved(cr);
        // Tint as the vertex colours do: top colour to bottom colour.
        SourceLinear(cr, 0, y, 0, y + font.Image.PatternHeight,
                     {{0, Rgb(tops[f.Number])}, {1, Rgb(bottoms[f.Number])}});
        cairo_mask_surface(cr, glyphs[static_cast<size_t>(g)].Get(), x, y);
        // The outline is dark in the glyph itself; put it back under the tint.
        cairo_set_operator(cr, CAIRO_OPERATOR_MULTIPLY);
        cairo_set_source_surface(cr, glyphs[static_cast<size_t>(g)].Get(), x, y);
        cairo_paint(cr);
        x += font.Glyphs[static_cast<size_t>(g)].Width;
      }
      y += font.Image.PatternHeight + 6;
    }
    y += 10;
  }
}

}  // namespace

int WriteScene(const std::string& name, const std::string& out, const TGenOptions& options, TVision vision) {
  TArtBox art(options);
  TSurface screen(800, 600);
  {
    TPen pen(screen);
    cairo_set_source_rgb(pen, 0, 0, 0);
    cairo_paint(pen);
    if (name == "board")
      BoardScene(pen, art, 1);
    else if (name.rfind("board", 0) == 0 && name.size() > 5)
      BoardScene(pen, art, std::clamp(std::atoi(name.c_str() + 5), 1, 11));
    else if (name == "menu")
      MenuScene(pen, art, false);
    else if (name == "credits")
      MenuScene(pen, art, true);
    else if (name == "map")
      MapScene(pen, art, options);
    else if (name == "story")
      StoryScene(pen, art);
    else if (name == "ending")
      EndingScene(pen, art);
    else if (name == "hiscore")
      HiscoreScene(pen, art, options);
    else if (name == "gameover")
      GameOverScene(pen, art);
    else if (name == "splash")
      SplashScene(pen, art);
    else if (name == "fonts")
      FontScene(pen);
    else
      throw std::runtime_error("no scene named " + name);
  }
  SimulateVision(screen, vision);
  if (!WritePng(screen, out)) throw std::runtime_error("cannot write " + out);
  return 0;
}

int WriteContactSheet(const std::string& out, const TGenOptions& options) {
  // Every image of both archives and every picture file, each with all its
  // patterns, labelled with its key and layout.
  struct TEntry {
    std::string Key;
    TImageSpec Spec;
  };
  std::vector<TEntry> entries;
  for (const TImageSpec& s : GameImages()) entries.push_back({s.Key, s});
  for (const TImageSpec& s : ParticleImages()) entries.push_back({s.Key, s});
  for (const TPictureSpec& p : Pictures()) entries.push_back({p.Key, SpecOf(p.Key)});
  const double kWidth = 1900;
  struct TPlaced {
    size_t Entry;
    double Scale, X, Y;
  };
  std::vector<TPlaced> placed;
  double x = 20, y = 20, rowH = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    const TImageSpec& s = entries[i].Spec;
    double scale = s.PatternWidth <= 48 ? 2 : s.PatternWidth <= 340 ? 1 : s.PatternWidth <= 512 ? 0.6 : 0.42;
    double pw = s.PatternWidth * scale + 6, ph = s.PatternHeight * scale;
    int perRow = std::max(1, static_cast<int>((kWidth - 40) / pw));
    int rows = (s.PatternCount + perRow - 1) / perRow;
    double blockW = std::min(s.PatternCount, perRow) * pw, blockH = rows * (ph + 6) + 22;
    if (x + blockW > kWidth - 20) {
      x = 20;
      y += rowH + 14;
      rowH = 0;
    }
    placed.push_back({i, scale, x, y});
    x += std::max(blockW, 150.0) + 24;
    rowH = std::max(rowH, blockH);
  }
  double height = y + rowH + 20;
  TSurface sheet(static_cast<int>(kWidth), static_cast<int>(height));
  TArtBox art(options);
  {
    TPen cr(sheet);
    Checker(cr, static_cast<int>(kWidth), static_cast<int>(height), 8);
    for (const TPlaced& p : placed) {
      const TEntry& e = entries[p.Entry];
      const TPatterns& patterns = art.Get(e.Key);
      std::string label = e.Key + "  " + std::to_string(e.Spec.PatternWidth) + "x" +
                          std::to_string(e.Spec.PatternHeight) + " x" + std::to_string(e.Spec.PatternCount);
      SetFont(cr, fontfiles::kBiolinumBold, 13);
      TextPath(cr, label, p.X, p.Y + 13);
      SetColor(cr, Rgb(0xfff0c0));
      cairo_fill(cr);
      double pw = e.Spec.PatternWidth * p.Scale + 6, ph = e.Spec.PatternHeight * p.Scale;
      int perRow = std::max(1, static_cast<int>((kWidth - 40) / pw));
      for (size_t k = 0; k < patterns.size(); ++k) {
        double px = p.X + static_cast<double>(k % static_cast<size_t>(perRow)) * pw;
        double py = p.Y + 20 + static_cast<double>(k / static_cast<size_t>(perRow)) * (ph + 6);
        TSaved s(cr);
        cairo_rectangle(cr, px - 1, py - 1, e.Spec.PatternWidth * p.Scale + 2, ph + 2);
        SetColor(cr, Rgb(0x000000, 0.35));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        cairo_translate(cr, px, py);
        cairo_scale(cr, p.Scale, p.Scale);
        cairo_set_source_surface(cr, patterns[k].Get(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), p.Scale >= 2 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
        cairo_paint(cr);
      }
    }
  }
  if (!WritePng(sheet, out)) throw std::runtime_error("cannot write " + out);
  return 0;
}

