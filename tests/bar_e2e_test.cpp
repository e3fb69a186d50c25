// The in-game bar as a player reads it, end to end: the seconds left on the
// vine's plate and the warning of the last ten (a tick a second), relaxed
// play without any time, a pot one point short that looks short, a full pot
// that glows, and the full-pot hint that comes the first time a pot fills
// even while another hint is up.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/render/ImageFile.h"
#include "support/GameRunner.h"

namespace {

using game_test::DumpNumber;
using game_test::GameRunner;
using game_test::Occurrences;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A level no swap can win at once: the clock runs out on it.
bool WriteStillLevel(GameRunner& game, const std::string& pack, int levelTime) {
  return game.WriteLevel(pack, 1, {"TBWF", "FWTB"}, {"1211", "1111"}, levelTime);
}

// A level one swap wins: three trees over the only wooden box.
bool WriteSwapLevel(GameRunner& game, const std::string& pack) {
  return game.WriteLevel(pack, 1, {"TTBT", "BFWF"}, {"1121", "1111"}, 100);
}

TBitmap32 Picture(const GameRunner& game, const std::string& file) {
  const std::string bytes = game.Read(file);
  TBitmap32 bitmap;
  std::string error;
  EXPECT_TRUE(DecodeImageFile(file, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), bitmap, &error))
      << file << ": " << error;
  return bitmap;
}

double Lightness(const TBitmap32& b, int x, int y) {
  const uint32_t p = b.Pixels[static_cast<size_t>(y) * static_cast<size_t>(b.Width) + static_cast<size_t>(x)];
  return 0.299 * ((p >> 16) & 255) + 0.587 * ((p >> 8) & 255) + 0.114 * (p & 255);
}

// The mean lightness of a rectangle of the picture.
double MeanLightness(const TBitmap32& b, int left, int top, int right, int bottom) {
  double sum = 0;
  int n = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x, ++n) sum += Lightness(b, x, y);
  return n ? sum / n : 0;
}

class BarE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GameRunner::Built()) GTEST_SKIP() << "the game and its data have not been built";
  }
};

TEST_F(BarE2E, ThePlateShowsTheSecondsLeftAndTheLastTenTickAndPulse) {
  GameRunner game("bar-clock");
  ASSERT_TRUE(WriteStillLevel(game, "Still", 12)) << game.Errors;
  // A clock second is 121 ticks: 12 s left at the start, 10 from the
  // second second on; the time is over at the thirteenth.
  const std::string script = game.Script("s.txt",
                                         "60 dump start.json\n"
                                         "130 dump eleven.json\n"
                                         "250 dump ten.json\n"
                                         "1700 dump over.json\n"
                                         "1702 quit\n");
  ASSERT_EQ(game.Run("--seed 3 --play Still 1 --script " + script), 0) << game.Errors;
  const std::string start = game.Read("start.json");
  EXPECT_TRUE(Has(start, "\"clock\":\"12\"")) << start.substr(start.find("\"bar\""), 120);
  EXPECT_EQ(DumpNumber(start, "clock_warning"), 0);
  const std::string eleven = game.Read("eleven.json");
  EXPECT_TRUE(Has(eleven, "\"clock\":\"11\""));
  EXPECT_EQ(DumpNumber(eleven, "clock_warning"), 0);
  const std::string ten = game.Read("ten.json");
  EXPECT_TRUE(Has(ten, "\"clock\":\"10\""));
  EXPECT_EQ(DumpNumber(ten, "clock_warning"), 1) << "the last ten seconds warn";
  const std::string over = game.Read("over.json");
  EXPECT_EQ(DumpNumber(over, "time_over"), 1);
  EXPECT_EQ(DumpNumber(over, "clock_warning"), 0) << "the warning ends with the time";
  // One tick as each of the seconds 10 down to 0 begins, none before.
  int ticks = 0;
  for (const char* dump : {"start.json", "eleven.json", "ten.json", "over.json"})
    ticks += Occurrences(game.Read(dump), "\"play:clock-tick.ogg\"");
  EXPECT_EQ(Occurrences(ten, "\"play:clock-tick.ogg\""), 1);
  EXPECT_EQ(ticks, 11);
}

TEST_F(BarE2E, RelaxedPlayShowsNoTimeAndItsResultNoTimeLeft) {
  for (const bool relaxed : {true, false}) {
    GameRunner game(relaxed ? "bar-relaxed" : "bar-timed");
    ASSERT_TRUE(WriteSwapLevel(game, "Win")) << game.Errors;
    const std::string script = game.Script("s.txt",
                                           "60 dump start.json\n"
                                           "62 screenshot start.png\n"
                                           "100 click 140 50\n110 click 180 50\n"
                                           "700 dump result.json\n"
                                           "702 quit\n");
    ASSERT_EQ(game.Run(std::string("--seed 3 --play Win 1 ") + (relaxed ? "--relaxed " : "") + "--script " + script),
              0)
        << game.Errors;
    const std::string start = game.Read("start.json");
    const std::string result = game.Read("result.json");
    ASSERT_TRUE(Has(result, "\"formNextLevel\"")) << result.substr(0, 300);
    if (relaxed) {
      EXPECT_TRUE(Has(start, "\"clock\":\"\"")) << "no seconds on the bar";
      EXPECT_EQ(DumpNumber(start, "vine_width"), 0) << "no vine";
      EXPECT_FALSE(Has(result, "\"nlTime\"")) << "no \"Time left\" on the result";
      EXPECT_TRUE(Has(result, "\"nlTimeCaption\":\"No clock in relaxed play\""));
      EXPECT_TRUE(Has(result, "\"nlMana\""));
    } else {
      EXPECT_TRUE(Has(start, "\"clock\":\"100\""));
      EXPECT_TRUE(Has(result, "\"nlTimeCaption\":\"Time left\""));
      // The seconds with their unit: "97 s".
      const size_t at = result.find("\"nlTime\":\"");
      ASSERT_NE(at, std::string::npos);
      const std::string value = result.substr(at + 10, result.find('"', at + 10) - at - 10);
      EXPECT_GE(value.size(), 3u);
      EXPECT_EQ(value.substr(value.size() - 2), " s") << value;
    }
  }
}

// The fire pot stands at (367, 540), 31 pixels square. One point short, the
// top of its flask is empty glass; full, it is bright and a halo pulses
// round it.
TEST_F(BarE2E, APotOneShortLooksShortAndAFullOneGlows) {
  TBitmap32 pictures[2];
  for (int full = 0; full < 2; ++full) {
    GameRunner game(full ? "bar-pot-full" : "bar-pot-short");
    ASSERT_TRUE(WriteStillLevel(game, "Still", 100)) << game.Errors;
    std::string script;
    for (int i = 0; i < 59 + full; ++i) script += std::to_string(100 + i) + " char a\n";
    script += "300 dump pot.json\n302 screenshot pot.png\n304 quit\n";
    ASSERT_EQ(game.Run("--seed 3 --play Still 1 --script " + game.Script("s.txt", script)), 0) << game.Errors;
    EXPECT_EQ(DumpNumber(game.Read("pot.json"), "fire", "mana"), 59 + full);
    pictures[full] = Picture(game, "pot.png");
    ASSERT_EQ(pictures[full].Width, 800);
  }
  const TBitmap32& shortPot = pictures[0];
  const TBitmap32& fullPot = pictures[1];
  // The band under the gold ring, across the flask.
  const double shortTop = MeanLightness(shortPot, 367 + 10, 540 + 4, 367 + 21, 540 + 7);
  const double fullTop = MeanLightness(fullPot, 367 + 10, 540 + 4, 367 + 21, 540 + 7);
  EXPECT_GT(fullTop, shortTop + 40) << "one point short, the flask's top is plainly empty";
  // Points round the pot, outside its ring, between it and its neighbours.
  double shortRing = 0, fullRing = 0;
  const double cx = 367 + 15.5, cy = 540 + 15.5;
  for (int k = 0; k < 8; ++k) {
    const double a = k * M_PI / 4;
    const int x = static_cast<int>(cx + 18 * std::cos(a)), y = static_cast<int>(cy + 18 * std::sin(a));
    shortRing += Lightness(shortPot, x, y);
    fullRing += Lightness(fullPot, x, y);
  }
  EXPECT_GT(fullRing / 8, shortRing / 8 + 15) << "the full pot's halo";
}

// The hint of the full pot points at its button the first time a pot fills.
// A pot filled under another hint waits for that hint to close: its button
// takes no click meanwhile, so the hint is not lost.
TEST_F(BarE2E, TheFullPotHintComesTheFirstTimeEvenUnderAnotherHint) {
  GameRunner game("bar-pot-hint");
  std::string script = "320 dump first.json\n";
  for (int i = 0; i < 60; ++i) script += std::to_string(330 + i) + " char a\n";
  script += "400 tap 382 555\n"  // the fire pot's button, under the first hint
            "410 dump under.json\n";
  ASSERT_EQ(game.Run("--seed 3 --play \"Game Levels\" 1 --script " +
                     game.Script("s.txt", script + "412 quit\n")),
            0)
      << game.Errors;
  const std::string first = game.Read("first.json");
  ASSERT_EQ(DumpNumber(first, "shown", "hint"), 1) << "the first hint is up";
  const std::string under = game.Read("under.json");
  EXPECT_EQ(DumpNumber(under, "fire", "mana"), 60) << "the pot's button waits under the hint";
  EXPECT_EQ(DumpNumber(under, "armed_spell"), 0);
  // Its "Continue" at the bubble's lower right.
  const long left = DumpNumber(first, "left", "hint"), top = DumpNumber(first, "top", "hint");
  script += "420 click " + std::to_string(left + 336) + " " + std::to_string(top + 109) + "\n"
            "440 dump full.json\n"
            "450 tap 382 555\n"
            "460 dump armed.json\n"
            "462 quit\n";
  ASSERT_EQ(game.Run("--seed 3 --play \"Game Levels\" 1 --script " + game.Script("t.txt", script)), 0)
      << game.Errors;
  const std::string full = game.Read("full.json");
  EXPECT_EQ(DumpNumber(full, "shown", "hint"), 1);
  EXPECT_TRUE(Has(full, "\"text\":\"Your fire mana pot is full! Click it to ready the spell, then click a piece on "
                        "the board to cast it.\""))
      << full.substr(full.find("\"hint\""), 300);
  // A tap on the pot closes that hint and arms the spell.
  const std::string armed = game.Read("armed.json");
  EXPECT_EQ(DumpNumber(armed, "shown", "hint"), 0);
  EXPECT_EQ(DumpNumber(armed, "armed_spell"), 3);
  EXPECT_EQ(DumpNumber(armed, "fire", "mana"), 0);
}

}  // namespace
