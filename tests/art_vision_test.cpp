// The pieces as players with other eyes see them: in greyscale and with
// deuteranopia every piece kind must stand out from every kind of cell, and
// the kinds must stay apart by their shapes alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "datagen/Art.h"
#include "datagen/Vision.h"

namespace {

const char* const kPieceImages[] = {"black.image", "red.image",  "fire.image",    "tree.image",         "gota.image",
                                    "book.image",  "pearl.image", "cristal.image", "celtic-cross.image"};

const TPatterns& Drawing(const std::string& key) {
  static std::map<std::string, TPatterns> cache;
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  const TArtItem* item = FindArt(key);
  if (!item) throw std::runtime_error("no drawing " + key);
  return cache[key] = item->Draw(TArtInputs{GW_SOURCE_DIR "/content"});
}

TSurface Filled(uint32_t argb) {
  TSurface s(40, 40);
  TPen pen(s);
  cairo_set_source_rgba(pen, ((argb >> 16) & 255) / 255.0, ((argb >> 8) & 255) / 255.0, (argb & 255) / 255.0,
                        (argb >> 24) / 255.0);
  cairo_paint(pen);
  return s;
}

TEST(ArtVision, SimulationsOfGreyAndDeuteranopia) {
  for (TVision v : {TVision::Grey, TVision::Deuteranopia}) {
    double r = 0.5, g = 0.5, b = 0.5;
    SimulateColour(v, r, g, b);
    EXPECT_NEAR(r, 0.5, 0.01) << "a grey stays grey";
    EXPECT_NEAR(g, 0.5, 0.01);
    EXPECT_NEAR(b, 0.5, 0.01);
  }
  double r = 0.9, g = 0.2, b = 0.1;
  SimulateColour(TVision::Grey, r, g, b);
  EXPECT_DOUBLE_EQ(r, g);
  EXPECT_DOUBLE_EQ(g, b);
  // Deuteranopia loses the red-green axis: a red and a green of about the
  // same lightness come out close, where they were far apart.
  double r1 = 0.8, g1 = 0.3, b1 = 0.2, r2 = 0.45, g2 = 0.55, b2 = 0.2;
  const TLab red = LabOf(r1, g1, b1), green = LabOf(r2, g2, b2);
  SimulateColour(TVision::Deuteranopia, r1, g1, b1);
  SimulateColour(TVision::Deuteranopia, r2, g2, b2);
  const TLab red2 = LabOf(r1, g1, b1), green2 = LabOf(r2, g2, b2);
  EXPECT_GT(std::abs(red.A - green.A), 50);
  EXPECT_LT(std::abs(red2.A - green2.A), 10);
  EXPECT_NEAR(LabOf(1, 1, 1).L, 100, 0.1);

  // A dark square on a dark cell does not stand out; on a light one it does.
  TSurface piece(40, 40);
  {
    TPen pen(piece);
    cairo_rectangle(pen, 10, 10, 20, 20);
    cairo_set_source_rgb(pen, 0.1, 0.1, 0.1);
    cairo_fill(pen);
  }
  EXPECT_LT(RimContrast(piece, Filled(0xFF1A1A1A), TVision::Grey), 1);
  EXPECT_GT(RimContrast(piece, Filled(0xFFF0F0F0), TVision::Grey), 80);
}

// The plain, iron and four wooden cells (the cells under force fields are
// iron: the field is drawn over the piece as a veil).
TEST(ArtVision, EveryPieceStandsOutFromEveryCell) {
  constexpr double kLeast = 20;  // delta E: clearly apart at a glance
  const TPatterns& cells = Drawing("board-wood.image");
  for (TVision v : {TVision::Normal, TVision::Grey, TVision::Deuteranopia}) {
    for (const char* key : kPieceImages) {
      const bool additive = std::string(key) == "fire.image";  // the game adds the flames to the cell
      for (int cell = 0; cell <= 5; ++cell)
        EXPECT_GE(RimContrast(Drawing(key)[0], cells[static_cast<size_t>(cell)], v, additive), kLeast)
            << key << " on cell pattern " << cell << " in vision " << static_cast<int>(v);
    }
  }
}

// Without colour the kinds are told apart by their shapes: drawn on a cell
// and seen in greyscale, every two kinds differ over much of the cell (mean
// lightness difference, L* 0..100, per pixel).
TEST(ArtVision, KindsDifferInGrey) {
  const TSurface& cell = Drawing("board-wood.image")[0];
  std::vector<std::vector<double>> seen;
  for (const char* key : kPieceImages) {
    TSurface s = cell.Clone();
    {
      TPen pen(s);
      if (std::string(key) == "fire.image") cairo_set_operator(pen, CAIRO_OPERATOR_ADD);
      cairo_set_source_surface(pen, Drawing(key)[0].Get(), 0, 0);
      cairo_paint(pen);
    }
    SimulateVision(s, TVision::Grey);
    s.Flush();
    std::vector<double> light;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) light.push_back((s.Row(y)[x] & 0xFF) / 255.0 * 100);
    seen.push_back(light);
  }
  for (size_t i = 0; i < seen.size(); ++i)
    for (size_t j = i + 1; j < seen.size(); ++j) {
      double sum = 0;
      for (size_t p = 0; p < seen[i].size(); ++p) sum += std::abs(seen[i][p] - seen[j][p]);
      EXPECT_GE(sum / static_cast<double>(seen[i].size()), 8) << kPieceImages[i] << " and " << kPieceImages[j];
    }
}

}  // namespace
