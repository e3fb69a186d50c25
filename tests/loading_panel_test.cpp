// The start-up panel the game shows before its archives are open: built
// beside them, the size the game expects, with a dark groove where the
// progress bar goes and the game's name in light letters above it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "engine/render/ImageFile.h"
#include "support/GameRunner.h"

namespace {

int Brightness(uint32_t argb) { return static_cast<int>(((argb >> 16) & 0xFF) + ((argb >> 8) & 0xFF) + (argb & 0xFF)) / 3; }

TEST(LoadingPanel, IsBuiltWithAGrooveForTheBar) {
  const std::filesystem::path path = std::filesystem::path(GW_BUILD_DIR) / "Data" / "loading.png";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "the game data has not been built";
  const std::string bytes = game_test::ReadFile(path);
  TBitmap32 panel;
  ASSERT_TRUE(DecodeImageFile("loading.png", reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), panel));
  ASSERT_EQ(panel.Width, 348);
  ASSERT_EQ(panel.Height, 290);
  auto at = [&](int x, int y) { return panel.Pixels[static_cast<size_t>(y) * 348 + x]; };
  // The groove of the bar at (50, 247), 257 x 32: dark, so the bar stands out.
  int brightest = 0;
  for (int y = 250; y < 276; y += 3) {
    for (int x = 55; x < 300; x += 7) {
      brightest = std::max(brightest, Brightness(at(x, y)));
    }
  }
  EXPECT_LT(brightest, 80);
  // The name: some bright gilt among the dark green.
  int bright = 0;
  for (int y = 70; y < 130; ++y)
    for (int x = 40; x < 310; ++x) bright += Brightness(at(x, y)) > 180 ? 1 : 0;
  EXPECT_GT(bright, 500);
  // Opaque everywhere: it is drawn over black.
  EXPECT_EQ(at(174, 145) >> 24, 0xFFu);
  EXPECT_EQ(at(10, 280) >> 24, 0xFFu);
}

}  // namespace
