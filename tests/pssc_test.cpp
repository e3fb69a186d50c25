// The particle settings sources, their compiler and the shipped settings
// files: the text reads strictly and round-trips, every source of
// content/particles is compiled into the build's Data folder, and the shipped
// effects behave as the game needs (bursts end, trails do not).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "data/DataManifest.h"
#include "data/ParticleSource.h"
#include "engine/core/DataFile.h"
#include "engine/particles/XParticleSystem.h"

namespace {

namespace fs = std::filesystem;

const fs::path kContent = fs::path(GW_SOURCE_DIR) / "content" / "particles";
const fs::path kData = fs::path(GW_BUILD_DIR) / "Data";

// The bursts of the explosion manager and the endless trails of the flights
// and armed spells.
const std::vector<std::string> kBursts = {
    "gota-spark",  "book-spark",     "fire-spark",    "green-spark",         "red-spark",         "black-spark",
    "pearl-spark", "cristal-spark",  "spawn-spark",   "map-explosion-spark", "forcefield-orange", "forcefield-blue"};
const std::vector<std::string> kTrails = {
    "managreen",        "manablue",          "manayellow",     "manared",        "magic-green-ball", "magic-blue-ball",
    "magic-yellow-ball", "magic-red-ball",   "magic-green",    "magic-blue",     "magic-yellow",     "magic-red"};

constexpr double kPi = 3.14159265358979323846;

const char* kGota =
    "# droplets\n"
    "pattern drop\n"
    "blend alpha\n"
    "emission 420      # per second\n"
    "lifetime 100\n"
    "life 520 860\n"
    "direction 90\n"
    "spread 150\n"
    "relative yes\n"
    "speed 70 190\n"
    "gravity 400\n"
    "radial -0.5 0.5\n"
    "size 0.5 0.25\n"
    "size-var 0.4\n"
    "spin 0 180\n"
    "color-start A8DCFF 255\n"
    "color-end 2A6ED8 0\n"
    "color-var 0.35\n";

std::string Error(const std::string& text) {
  try {
    ParseParticleSource(text, "fx.txt");
  } catch (const DataError& e) {
    return e.what();
  }
  return "";
}

std::vector<uint8_t> ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> SourceNames() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(kContent))
    if (e.path().extension() == ".txt") names.push_back(e.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ParticleSource, ReadsEverySetting) {
  const TPssSettings s = ParseParticleSource(kGota, "gota.txt");
  EXPECT_EQ(s.Pattern, psDrop);
  EXPECT_EQ(s.BlendEffect, kBlendAlpha);
  EXPECT_EQ(s.Emission, 420.0f);
  EXPECT_EQ(s.Lifetime, 100.0f);
  EXPECT_EQ(s.LifeMin, 520);
  EXPECT_EQ(s.LifeMax, 860);
  EXPECT_EQ(s.Direction, static_cast<float>(kPi / 2));  // degrees in the text, radians in the record
  EXPECT_EQ(s.Spread, static_cast<float>(150 * kPi / 180));
  EXPECT_EQ(s.Relative, 1);
  EXPECT_EQ(s.GravityMin, 400.0f);  // one value: both ends
  EXPECT_EQ(s.GravityMax, 400.0f);
  EXPECT_EQ(s.RadialMin, -0.5f);
  EXPECT_EQ(s.TangentialMax, 0.0f);  // left out: 0
  EXPECT_EQ(s.SizeEnd, 0.25f);
  EXPECT_EQ(s.SpinEnd, static_cast<float>(kPi));
  EXPECT_EQ(s.SpinVar, 0.0f);
  // RRGGBB becomes the canvas order, red in the low byte.
  EXPECT_EQ(s.ColorStart, 0xFFFFDCA8u);
  EXPECT_EQ(s.ColorEnd, 0x00D86E2Au);
  EXPECT_EQ(s.ColorVar, 0.35f);

  const TPssSettings endless = ParseParticleSource(
      "pattern 10\nblend 260\nemission 1\nlifetime endless\nlife 5\nspeed 0\nsize 1\ncolor-start FFFFFF 255\n"
      "color-end 000000 0\nrelative no\n",
      "x");
  EXPECT_EQ(endless.Pattern, psStar8);
  EXPECT_EQ(endless.BlendEffect, kBlendAdditive);
  EXPECT_EQ(endless.Lifetime, -1.0f);
  EXPECT_EQ(endless.LifeMax, 5);
  EXPECT_EQ(endless.Relative, 0);
}

TEST(ParticleSource, PatternWordsNameTheParticleImagesPatterns) {
  std::set<std::string> words;
  for (int i = 0; i < psShapeCount; ++i) {
    const std::string w = ParticlePatternName(i);
    ASSERT_FALSE(w.empty()) << i;
    EXPECT_EQ(ParticlePatternByName(w), i);
    words.insert(w);
  }
  EXPECT_EQ(words.size(), static_cast<size_t>(psShapeCount));
  EXPECT_EQ(ParticlePatternByName("leaf"), psLeaf);
  EXPECT_EQ(ParticlePatternByName("crystal"), psCrystal);
  EXPECT_EQ(ParticlePatternByName("Leaf"), -1);
  EXPECT_EQ(ParticlePatternName(psShapeCount), "");
}

TEST(ParticleSource, MistakesNameTheFileAndLine) {
  const std::string base(kGota);
  struct Case {
    std::string Text;
    std::string Expect;
  };
  const Case cases[] = {
      {base + "sped 1 2\n", "fx.txt:19: unknown setting \"sped\""},
      {base + "emission 5\n", "fx.txt:19: \"emission\" given twice (first on line 4)"},
      {base + "alpha-var\n", "fx.txt:19: \"alpha-var\" takes 1 value(s)"},
      {base + "tangential 1 2 3\n", "fx.txt:19:"},
      {"pattern twig\n", "fx.txt:1: unknown pattern \"twig\""},
      {"pattern 16\n", "fx.txt:1: \"16\" is out of range 0..15"},
      {"blend glowing\n", "fx.txt:1: unknown blend \"glowing\""},
      {"color-start #FFFFFF 255\n", "fx.txt:1: \"color-start\" takes 2 value(s)"},
      {"color-start FFFFF 255\n", "fx.txt:1: \"FFFFF\" is not a colour"},
      {"color-end FFFFFF 256\n", "fx.txt:1: \"256\" is out of range 0..255"},
      {"life 1.5\n", "fx.txt:1: \"1.5\" is not a whole number"},
      {"speed fast\n", "fx.txt:1: \"fast\" is not a number"},
      {"relative maybe\n", "fx.txt:1:"},
      {"size 1\n  more 2\n", "fx.txt:2: settings take no indented lines"},
      {"pattern leaf\n", "fx.txt: missing \"blend\""},
  };
  for (const Case& c : cases) {
    const std::string error = Error(c.Text);
    EXPECT_EQ(error.substr(0, c.Expect.size()), c.Expect) << c.Text;
  }
  EXPECT_EQ(Error(base), "");
}

TEST(ParticleSource, TextAndRecordRoundTrip) {
  // Every shipped source, and records of every kind of number.
  std::vector<TPssSettings> records;
  for (const std::string& name : SourceNames())
    records.push_back(LoadParticleSource((kContent / (name + ".txt")).string()));
  uint32_t x = 99;
  auto next = [&] { return x = x * 1664525u + 1013904223u; };
  for (int i = 0; i < 200; ++i) {
    std::array<uint8_t, kPssRecordSize> bytes;
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(next() >> 24);
    TPssSettings s;
    ReadPssRecord(bytes.data(), bytes.size(), s);
    s.Pattern = static_cast<int32_t>(next() % psShapeCount);
    s.Padding = {};
    // Angles as real settings have them, and finite numbers elsewhere.
    for (float* f : {&s.Emission, &s.Lifetime, &s.Direction, &s.Spread, &s.SpeedMin, &s.SpeedMax, &s.GravityMin,
                     &s.GravityMax, &s.RadialMin, &s.RadialMax, &s.TangentialMin, &s.TangentialMax, &s.SizeStart,
                     &s.SizeEnd, &s.SizeVar, &s.SpinStart, &s.SpinEnd, &s.SpinVar, &s.ColorVar, &s.AlphaVar})
      if (!std::isfinite(*f) || std::fabs(*f) > 1e30f) *f = static_cast<float>(next() % 100000) / 37.0f;
    if (i % 3 == 0) s.Lifetime = -1;
    if (i % 4 == 0) s.Relative = 1;
    if (i % 5 == 0) s.Direction = static_cast<float>((next() % 720) * kPi / 180);
    records.push_back(s);
  }
  for (const TPssSettings& s : records) {
    const std::string text = ParticleSourceText(s, "round trip");
    const TPssSettings back = ParseParticleSource(text, "round.txt");
    EXPECT_EQ(WritePssRecord(back), WritePssRecord(s)) << text;
    EXPECT_EQ(ParticleSourceText(back, "round trip"), text);
  }
  // The written numbers are the short ones people write.
  const std::string gota = ParticleSourceText(ParseParticleSource(kGota, "g"));
  EXPECT_NE(gota.find("emission 420\n"), std::string::npos) << gota;
  EXPECT_NE(gota.find("direction 90\n"), std::string::npos) << gota;
  EXPECT_NE(gota.find("spread 150\n"), std::string::npos) << gota;
  EXPECT_NE(gota.find("color-start A8DCFF 255\n"), std::string::npos) << gota;
}

// ------------------------------------------------------ the shipped effects

TEST(ShippedParticles, EverySourceIsCompiledIntoTheBuild) {
  std::vector<std::string> expected = kBursts;
  expected.insert(expected.end(), kTrails.begin(), kTrails.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(SourceNames(), expected);
  for (const std::string& name : expected) {
    const fs::path record = kData / (name + ".pss");
    ASSERT_TRUE(fs::exists(record)) << record;
    const auto bytes = ReadBytes(record);
    EXPECT_EQ(bytes.size(), kPssRecordSize) << name;
    const auto compiled = WritePssRecord(LoadParticleSource((kContent / (name + ".txt")).string()));
    EXPECT_EQ(std::vector<uint8_t>(compiled.begin(), compiled.end()), bytes) << name << " is out of date";
  }
}

TEST(ShippedParticles, DesignsUseThePatternsAndBlendsOfTheGame) {
  for (const std::string& name : SourceNames()) {
    TXParticleSystem sys;
    ASSERT_TRUE(sys.LoadSettings((kData / (name + ".pss")).string())) << name;
    const TPssSettings& s = sys.Settings;
    EXPECT_GE(s.Pattern, 0) << name;
    EXPECT_LT(s.Pattern, psShapeCount) << name;
    EXPECT_TRUE(s.BlendEffect == kBlendAdditive || s.BlendEffect == kBlendAlpha) << name;
    EXPECT_GT(s.Emission, 0) << name;
    EXPECT_GT(std::min(s.LifeMin, s.LifeMax), 0) << name;
  }
  // Leaves, dust and smoke hide what is behind them; light adds up.
  for (const char* name : {"green-spark", "red-spark", "black-spark"})
    EXPECT_EQ(LoadParticleSource((kContent / (std::string(name) + ".txt")).string()).BlendEffect, kBlendAlpha)
        << name;
  for (const char* name : {"managreen", "magic-red-ball", "map-explosion-spark", "forcefield-blue"})
    EXPECT_EQ(LoadParticleSource((kContent / (std::string(name) + ".txt")).string()).BlendEffect, kBlendAdditive)
        << name;
  EXPECT_EQ(LoadParticleSource((kContent / "green-spark.txt").string()).Pattern, psLeaf);
  EXPECT_EQ(LoadParticleSource((kContent / "gota-spark.txt").string()).Pattern, psDrop);
}

TEST(ShippedParticles, BurstsEndWithinTwoSecondsAndTrailsGoOn) {
  // As the explosion manager runs a burst: fired once, then 9 ms a tick until
  // its emitter has stopped and its last particle died.
  for (const std::string& name : kBursts) {
    auto sys = std::make_unique<TXParticleSystem>();
    ASSERT_TRUE(sys->LoadSettings((kData / (name + ".pss")).string())) << name;
    sys->FireAt(400, 300);
    int ms = 0, most = 0;
    do {
      sys->Update(9);
      ms += 9;
      most = std::max(most, sys->LiveCount());
    } while (!(sys->LiveCount() == 0 && sys->EmitterTimer() < 1.9f) && ms < 10000);
    EXPECT_LE(ms, 2000) << name;
    EXPECT_GE(most, 5) << name << " shows too little";
    EXPECT_LE(most, 200) << name << " is heavier than a burst needs";
  }
  // As a flight drives its trail: update, then fire again where it now is.
  for (const std::string& name : kTrails) {
    auto sys = std::make_unique<TXParticleSystem>();
    ASSERT_TRUE(sys->LoadSettings((kData / (name + ".pss")).string())) << name;
    EXPECT_LE(sys->Settings.Lifetime, -0.9f) << name;
    float x = 100;
    sys->FireAt(x, 300);
    int fewest = 1 << 30, most = 0;
    for (int tick = 0; tick < 1200; ++tick) {
      sys->Update(9);
      sys->FireAt(x += 2.5f, 300);
      if (tick > 120) {
        fewest = std::min(fewest, sys->LiveCount());
        most = std::max(most, sys->LiveCount());
      }
    }
    EXPECT_EQ(sys->EmitterTimer(), TXParticleSystem::kEndless) << name;
    EXPECT_GE(fewest, 5) << name;
    EXPECT_LE(most, 400) << name;
  }
}

// ------------------------------------------------------------------- pssc

struct ToolRun {
  int Status = -1;
  std::string Out;
};

ToolRun Pssc(const std::string& args) {
  // Under the sanitizers the tool's leak check is off, as for the data
  // generator: fontconfig, which Cairo loads, keeps its caches to the end.
  const std::string command = "env ASAN_OPTIONS=detect_leaks=0 \"" + GW_BUILD_DIR + "/pssc\" " + args + " 2>&1";
  ToolRun run;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.Out.append(buffer, n);
  run.Status = pclose(pipe);
  return run;
}

TEST(PsscTool, CompilesDecompilesAndPaints) {
  const fs::path dir = fs::temp_directory_path() / ("gw-pssc-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string src = (dir / "gota.txt").string(), record = (dir / "gota.pss").string();
  std::ofstream(src) << kGota;
  ASSERT_EQ(Pssc("compile \"" + src + "\" \"" + record + "\"").Status, 0);
  const auto bytes = ReadBytes(record);
  const auto expected = WritePssRecord(ParseParticleSource(kGota, "g"));
  EXPECT_EQ(bytes, std::vector<uint8_t>(expected.begin(), expected.end()));

  // Decompiled and compiled again: the same record.
  const ToolRun text = Pssc("decompile \"" + record + "\"");
  ASSERT_EQ(text.Status, 0) << text.Out;
  EXPECT_NE(text.Out.find("pattern drop\n"), std::string::npos) << text.Out;
  std::ofstream(dir / "again.txt") << text.Out;
  const std::string again = (dir / "again.txt").string(), againRecord = (dir / "again.pss").string();
  ASSERT_EQ(Pssc("compile \"" + again + "\" \"" + againRecord + "\"").Status, 0);
  EXPECT_EQ(ReadBytes(dir / "again.pss"), bytes);

  // A mistake: the file and line, and no record.
  std::ofstream(dir / "bad.txt") << "pattern leaf\nblend alpha\nsped 5\n";
  const ToolRun bad = Pssc("compile \"" + (dir / "bad.txt").string() + "\" \"" + (dir / "bad.pss").string() + "\"");
  EXPECT_NE(bad.Status, 0);
  EXPECT_NE(bad.Out.find("bad.txt:3: unknown setting \"sped\""), std::string::npos) << bad.Out;
  EXPECT_FALSE(fs::exists(dir / "bad.pss"));
  EXPECT_NE(Pssc("decompile \"" + (dir / "missing.pss").string() + "\"").Status, 0);

  // A strip of 5 frames of 64 pixels: a PNG 320 x 64.
  const std::string png = (dir / "strip.png").string();
  const ToolRun paint = Pssc("preview \"" + record + "\" \"" + png + "\" --frames 5 --cell 64 --every 50");
  ASSERT_EQ(paint.Status, 0) << paint.Out;
  const auto head = ReadBytes(png);
  ASSERT_GT(head.size(), 24u);
  EXPECT_EQ(head[1], 'P');
  auto be32 = [&](size_t at) {
    return static_cast<uint32_t>(head[at]) << 24 | static_cast<uint32_t>(head[at + 1]) << 16 |
           static_cast<uint32_t>(head[at + 2]) << 8 | head[at + 3];
  };
  EXPECT_EQ(be32(16), 320u);
  EXPECT_EQ(be32(20), 64u);
  EXPECT_NE(Pssc("preview \"" + record + "\" \"" + png + "\" --frames zero").Status, 0);
  fs::remove_all(dir);
}

}  // namespace
