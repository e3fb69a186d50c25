// The timing lines tools read from the game's standard error (GW_TIMINGS=1):
// their names and form, each printed once, and the frames they are taken over.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/StartTimings.h"
#include "services/ScreenState.h"

namespace {

std::string Printed(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
  return text;
}

}  // namespace

TEST(StartTimings, LinesNameTheMomentsOnceAndTheWorstFrameAroundTheMenu) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  TStartTimings timings(out);
  timings.Mark("loaded", 95.4);
  timings.Mark("loaded", 99);  // once only
  double t = 100;
  auto frame = [&](uint8_t before, uint8_t after, double length, double gapBefore = 0) {
    t += gapBefore;
    timings.Frame(before, after, t, t + length);
    t += length;
  };
  frame(ssSplash, ssSplash, 16);
  timings.FirstTick(117.2);
  timings.FirstTick(150);
  for (int i = 0; i < 20; ++i) frame(ssSplash, ssSplash, 16);
  frame(ssSplash, ssSplash, 12, 30);  // a late frame just before the change: 42 ms since the last
  frame(ssSplash, ssMainMenu, 19);
  for (int i = 0; i < TStartTimings::kAfter; ++i) frame(ssMainMenu, ssMainMenu, i == 10 ? 25 : 16);
  frame(ssMainMenu, ssMainMenu, 90);  // past the frames watched
  EXPECT_EQ(Printed(out),
            "timing loaded-ms 95.4\n"
            "timing first-frame-ms 116\n"
            "timing interactive-ms 117\n"
            "timing switch-frame-ms 19.0\n"
            "timing menu-ms 513\n"
            "timing switch-worst-frame-ms 25.0\n"
            "timing switch-worst-gap-ms 42.0\n");
  std::fclose(out);
}
