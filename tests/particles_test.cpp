// The particle facilities: the emitter of up to 5000 particles with its
// settings record, and the list of simple image particles.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/core/LittleEndian.h"
#include "engine/particles/CanopyParticles.h"
#include "engine/particles/XParticleSystem.h"
#include "support/RenderFixtures.h"

namespace {

namespace fs = std::filesystem;
using render_test::RecordingRenderer;
using render_test::RenderRig;
using Particle = TXParticleSystem::TParticle;

constexpr float kPi = 3.14159265f;

// An endless emitter of still, white, full-size particles that live a second.
TPssSettings Still() {
  TPssSettings s;
  s.BlendEffect = kBlendAdditive;
  s.Emission = 100;
  s.Lifetime = -1;
  s.LifeMin = s.LifeMax = 1000;
  s.SizeStart = s.SizeEnd = 1;
  s.ColorStart = s.ColorEnd = 0xFFFFFFFFu;
  return s;
}

std::unique_ptr<TXParticleSystem> System(const TPssSettings& s) {
  TXParticleSystem::ResetSharedRandom();
  return std::make_unique<TXParticleSystem>(s);
}

class TempDir {
 public:
  TempDir() : Path(fs::temp_directory_path() / ("gw-particles-" + std::to_string(::getpid()))) {
    fs::create_directories(Path);
  }
  ~TempDir() { fs::remove_all(Path); }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const fs::path p = Path / name;
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
    return p.string();
  }
  fs::path Path;
};

// ---------------------------------------------------------------- emission

TEST(XParticleSystem, EmissionCarriesTheFractionFromTickToTick) {
  auto sys = System(Still());
  sys->Fire();
  std::vector<int> perTick;
  for (int tick = 0; tick < 4; ++tick) {
    const int before = sys->LiveCount();
    sys->Update(9);
    perTick.push_back(sys->LiveCount() - before);
  }
  // 0.9 a tick: nothing until the carry reaches a whole particle.
  EXPECT_EQ(perTick, (std::vector<int>{0, 1, 1, 1}));
  EXPECT_NEAR(sys->EmissionCarry(), 0.6f, 1e-4f);
  for (int tick = 4; tick < 100; ++tick) sys->Update(9);
  EXPECT_NEAR(sys->LiveCount(), 90, 1);  // 100 ticks of 0.9; none has died yet (900 ms < 1000)
}

TEST(XParticleSystem, AnEmptyShapeNeverEmits) {
  auto sys = System(Still());
  sys->ClearShape();
  sys->Fire();
  EXPECT_EQ(sys->EmitterTimer(), TXParticleSystem::kStopped);
  // Emptied while running: still nothing.
  auto running = System(Still());
  running->Fire();
  running->ClearShape();
  for (int i = 0; i < 50; ++i) {
    sys->Update(9);
    running->Update(9);
  }
  EXPECT_EQ(sys->LiveCount(), 0);
  EXPECT_EQ(running->LiveCount(), 0);
}

TEST(XParticleSystem, EndlessAndFiniteEmitters) {
  TPssSettings s = Still();
  for (float lifetime : {-1.0f, -0.9f, -50.0f}) {
    s.Lifetime = lifetime;
    auto sys = System(s);
    sys->Fire();
    EXPECT_EQ(sys->EmitterTimer(), TXParticleSystem::kEndless) << lifetime;
    for (int i = 0; i < 2000; ++i) sys->Update(9);
    EXPECT_EQ(sys->EmitterTimer(), TXParticleSystem::kEndless) << lifetime;
  }
  // Just above -0.9 runs for no time at all: the first update stops it.
  s.Lifetime = -0.5f;
  auto brief = System(s);
  brief->Fire();
  EXPECT_EQ(brief->EmitterTimer(), 0.0f);
  brief->Update(9);
  EXPECT_EQ(brief->EmitterTimer(), TXParticleSystem::kStopped);
  EXPECT_EQ(brief->LiveCount(), 0);
}

TEST(XParticleSystem, AFiniteEmitterStopsItselfAndItsParticlesDie) {
  TPssSettings s = Still();
  s.Lifetime = 100;
  s.Emission = 1000;
  s.LifeMin = 200;
  s.LifeMax = 300;
  auto sys = System(s);
  sys->Fire();
  for (int i = 0; i < 11; ++i) sys->Update(9);
  EXPECT_EQ(sys->EmitterTimer(), 99.0f);
  const int emitted = sys->LiveCount();
  EXPECT_GT(emitted, 90);
  sys->Update(9);  // 108 ms: used up before this tick emits
  EXPECT_EQ(sys->EmitterTimer(), TXParticleSystem::kStopped);
  EXPECT_EQ(sys->LiveCount(), emitted);
  int ticks = 0;
  while (sys->LiveCount() > 0 && ticks < 1000) sys->Update(9), ++ticks;
  EXPECT_EQ(sys->LiveCount(), 0);
  EXPECT_LE(ticks, 300 / 9 + 1);
  EXPECT_EQ(sys->EmitterTimer(), TXParticleSystem::kStopped);
}

TEST(XParticleSystem, TheParticleLimitIsFiveThousand) {
  TPssSettings s = Still();
  s.Emission = 1.0e6f;
  s.LifeMin = s.LifeMax = 1000000;
  auto sys = System(s);
  sys->Fire();
  sys->Update(9);  // 9000 wanted
  EXPECT_EQ(sys->LiveCount(), TXParticleSystem::kMaxParticles);
  sys->Update(9);
  EXPECT_EQ(sys->LiveCount(), TXParticleSystem::kMaxParticles);
  // A slot freed is filled again, one at a time.
  sys->Stop(true);
  EXPECT_EQ(sys->LiveCount(), 0);
}

TEST(XParticleSystem, WildEmissionRatesNeitherHangNorOverflow) {
  for (float emission : {1.0e30f, INFINITY, NAN, -INFINITY, -1.0e30f, -100.0f}) {
    TPssSettings s = Still();
    s.Emission = emission;
    auto sys = System(s);
    sys->Fire();
    for (int i = 0; i < 5; ++i) sys->Update(9);
    const bool floods = emission > 0;
    EXPECT_EQ(sys->LiveCount(), floods ? TXParticleSystem::kMaxParticles : 0) << emission;
    EXPECT_TRUE(std::isfinite(sys->EmissionCarry())) << emission;
  }
}

// --------------------------------------------------------- particle values

TEST(XParticleSystem, TheSharedGeneratorFollowsItsFormula) {
  TXParticleSystem::ResetSharedRandom();
  uint32_t seed = 0;
  for (int i = 0; i < 5; ++i) {
    seed = seed * 214013u + 2531011u;
    const float expected = 10.0f + static_cast<float>((seed >> 16) / 65535.0 * 20.0);
    // Either order of the ends gives the same number.
    EXPECT_FLOAT_EQ(i % 2 ? TXParticleSystem::SharedRandom(30, 10) : TXParticleSystem::SharedRandom(10, 30),
                    expected);
    EXPECT_EQ(TXParticleSystem::SharedSeed(), seed);
  }
  // Shared by every system: emission in one moves the sequence of the next.
  auto a = System(Still());
  a->Fire();
  for (int i = 0; i < 3; ++i) a->Update(9);
  EXPECT_NE(TXParticleSystem::SharedSeed(), 0u);
}

TEST(XParticleSystem, SpreadZeroAndDirectionZeroEmitStraightUp) {
  TPssSettings s = Still();
  s.SpeedMin = s.SpeedMax = 100;
  s.Emission = 1000;
  auto sys = System(s);
  sys->Fire();
  sys->Update(9);
  ASSERT_GT(sys->LiveCount(), 0);
  for (int i = 0; i < sys->LiveCount(); ++i) {
    EXPECT_NEAR(sys->Particle(i).VelX, 0.0f, 1e-3f);
    EXPECT_FLOAT_EQ(sys->Particle(i).VelY, -100.0f);
  }
  // Positive angles turn clockwise on screen: 90 degrees is to the right.
  s.Direction = kPi / 2;
  auto right = System(s);
  right->Fire();
  right->Update(9);
  ASSERT_GT(right->LiveCount(), 0);
  EXPECT_NEAR(right->Particle(0).VelX, 100.0f, 1e-3f);
  EXPECT_NEAR(right->Particle(0).VelY, 0.0f, 1e-3f);
}

TEST(XParticleSystem, RelativeEmissionTurnsWithTheEmittersMotion) {
  TPssSettings s = Still();
  s.SpeedMin = s.SpeedMax = 100;
  s.Emission = 1000;
  s.Relative = 1;
  auto sys = System(s);
  sys->Fire();
  sys->MoveTo(0, 50, false);  // moving down: previous - current = (0, -50)
  sys->Update(9);
  ASSERT_GT(sys->LiveCount(), 0);
  // Angle -pi/2 + atan2(0, -50) + pi/2 = pi: pointing left.
  EXPECT_NEAR(sys->Particle(0).VelX, -100.0f, 1e-3f);
  EXPECT_NEAR(sys->Particle(0).VelY, 0.0f, 1e-2f);
}

TEST(XParticleSystem, ParticlesMoveAgeAndChangeOverTheirLife) {
  TPssSettings s = Still();
  s.Emission = 120;  // one particle in the first tick
  s.GravityMin = s.GravityMax = 1000;
  s.SizeStart = 1;
  s.SizeEnd = -1;  // shrinks through 0 and on
  s.SpinStart = 0;
  s.SpinEnd = 2;
  s.ColorStart = 0xFF0000FFu;  // opaque red
  s.ColorEnd = 0x00FF0000u;    // clear blue
  auto sys = System(s);
  sys->Fire();
  sys->Update(9);
  ASSERT_EQ(sys->LiveCount(), 1);
  const Particle born = sys->Particle(0);
  EXPECT_EQ(born.Age, 0.0f);
  EXPECT_EQ(born.Life, 1000.0f);
  EXPECT_EQ(born.Size, 1.0f);
  EXPECT_FLOAT_EQ(born.SizeDelta, -2.0f / 1000);
  EXPECT_EQ(born.Color[0], 255.0f);
  EXPECT_EQ(born.Color[2], 0.0f);
  EXPECT_EQ(born.Color[3], 255.0f);
  EXPECT_NEAR(born.X, 0.0f, 1.0f);  // the emitter's position, give or take a pixel
  EXPECT_NEAR(born.Y, 0.0f, 1.0f);

  sys->Settings.Emission = 0;
  sys->Update(9);
  const Particle& p = sys->Particle(0);
  EXPECT_EQ(p.Age, 9.0f);
  EXPECT_FLOAT_EQ(p.VelY, 9.0f);  // 1000 px/s² for 9 ms
  EXPECT_FLOAT_EQ(p.Y, born.Y + 9.0f * 0.009f);
  for (int i = 0; i < 99; ++i) sys->Update(9);  // 900 ms
  EXPECT_NEAR(sys->Particle(0).Size, -0.8f, 1e-4f);
  EXPECT_NEAR(sys->Particle(0).Spin, 1.8f, 1e-4f);
  EXPECT_NEAR(sys->Particle(0).Color[0], 25.5f, 0.01f);
  EXPECT_NEAR(sys->Particle(0).Color[2], 229.5f, 0.01f);
}

TEST(XParticleSystem, ColourVariationStaysWithinTheBytes) {
  TPssSettings s = Still();
  s.Emission = 5000;
  s.ColorStart = 0x80FF0010u;
  s.ColorEnd = 0x0000FFF0u;
  s.ColorVar = 3.0f;  // reaches far past the end colour: clamped
  s.AlphaVar = 0.5f;
  auto sys = System(s);
  sys->Fire();
  sys->Update(9);
  ASSERT_GT(sys->LiveCount(), 40);
  for (int i = 0; i < sys->LiveCount(); ++i) {
    const Particle& p = sys->Particle(i);
    for (float c : p.Color) {
      EXPECT_GE(c, 0.0f);
      EXPECT_LE(c, 255.0f);
    }
    EXPECT_GE(p.Color[3], 64.0f);  // alpha between 128 and halfway to 0
    EXPECT_LE(p.Color[3], 128.0f);
  }
}

TEST(XParticleSystem, RadialAccelerationPushesAwayAndTangentialAcross) {
  TPssSettings s = Still();
  s.Emission = 120;
  s.RadialMin = s.RadialMax = 1;
  auto sys = System(s);
  sys->FireAt(100, 100);
  sys->Update(9);
  ASSERT_EQ(sys->LiveCount(), 1);
  const Particle born = sys->Particle(0);
  sys->Settings.Emission = 0;
  sys->Update(9);
  const Particle& p = sys->Particle(0);
  // Away from the reference point (the emitter mirrored through the birth place).
  const float rx = born.X - (100 + born.AnchorX), ry = born.Y - (100 + born.AnchorY);
  const float len = std::hypot(rx, ry);
  ASSERT_GT(len, 0.0f);
  EXPECT_NEAR(p.VelX, rx / len * 9, 1e-3f);
  EXPECT_NEAR(p.VelY, ry / len * 9, 1e-3f);

  s.RadialMin = s.RadialMax = 0;
  s.TangentialMin = s.TangentialMax = 1;
  auto across = System(s);
  across->Fire();
  across->Update(9);
  const Particle tb = across->Particle(0);
  across->Settings.Emission = 0;
  across->Update(9);
  const float tx = tb.X - tb.AnchorX, ty = tb.Y - tb.AnchorY;
  const float tl = std::hypot(tx, ty);
  EXPECT_NEAR(across->Particle(0).VelX, -ty / tl * 9, 1e-3f);
  EXPECT_NEAR(across->Particle(0).VelY, tx / tl * 9, 1e-3f);
}

TEST(XParticleSystem, TheShapePointIsDrawnOnlyWhenThereIsAChoice) {
  TPssSettings s = Still();
  s.Emission = 1000;
  auto sys = System(s);
  int asked = 0;
  sys->PickShape = [&](int32_t n) {
    ++asked;
    EXPECT_EQ(n, 3);
    return 2;
  };
  sys->Fire();
  sys->Update(9);
  EXPECT_EQ(asked, 0);  // one point: no draw from the game's generator
  sys->AddShapePoint(500, 0);
  const TPoint2 far[2] = {{0, 300}, {0, 0}};
  sys->AddShapePoints(far, 0);  // n + 1 = one point
  EXPECT_EQ(sys->ShapeCount(), 3);
  const int before = sys->LiveCount();
  sys->Update(9);
  EXPECT_EQ(asked, sys->LiveCount() - before);
  for (int i = before; i < sys->LiveCount(); ++i) EXPECT_NEAR(sys->Particle(i).Y, 300.0f, 1.0f);
}

// ----------------------------------------------------------------- motion

TEST(XParticleSystem, MoveToSpreadsEmissionAlongTheWayOrJumps) {
  auto sys = System(Still());
  // Stopped: both positions jump.
  sys->MoveTo(10, 20, false);
  EXPECT_EQ(sys->PreviousPosition().X, 10.0f);
  EXPECT_EQ(sys->Position().Y, 20.0f);
  // Running: the previous position keeps the old one, so the next emission
  // lies along the way.
  sys->Settings.Emission = 5000;
  sys->Fire();
  sys->MoveTo(210, 20, false);
  EXPECT_EQ(sys->PreviousPosition().X, 10.0f);
  EXPECT_EQ(sys->Position().X, 210.0f);
  sys->Update(9);
  float lo = 1e9f, hi = -1e9f;
  for (int i = 0; i < sys->LiveCount(); ++i) {
    lo = std::min(lo, sys->Particle(i).X);
    hi = std::max(hi, sys->Particle(i).X);
  }
  EXPECT_LT(lo, 30.0f);
  EXPECT_GT(hi, 190.0f);
  EXPECT_EQ(sys->PreviousPosition().X, 210.0f);  // the update caught up
  // Moving the particles along: everything shifts alike.
  const Particle before = sys->Particle(0);
  sys->MoveTo(260, 120, true);
  EXPECT_FLOAT_EQ(sys->Particle(0).X, before.X + 50);
  EXPECT_FLOAT_EQ(sys->Particle(0).Y, before.Y + 100);
  EXPECT_EQ(sys->PreviousPosition().X, 260.0f);
  EXPECT_EQ(sys->PreviousPosition().Y, 120.0f);
  // FireAt: stop, jump, fire.
  sys->FireAt(0, 0);
  EXPECT_EQ(sys->PreviousPosition().X, 0.0f);
  EXPECT_EQ(sys->Position().X, 0.0f);
  EXPECT_EQ(sys->EmitterTimer(), TXParticleSystem::kEndless);
  EXPECT_GT(sys->LiveCount(), 0);
}

// ----------------------------------------------------------------- records

TEST(PssRecord, FieldsSitAtTheirOffsetsAndSurviveARoundTrip) {
  TPssSettings s;
  s.Pattern = 0x01020304;
  s.Reserved1 = 7;
  s.Reserved2 = -7;
  s.BlendEffect = kBlendAlpha;
  s.Emission = 123.5f;
  s.Lifetime = -1;
  s.LifeMin = 300;
  s.LifeMax = -5;
  s.Relative = 1;
  s.Padding = {9, 8, 7};
  s.ColorStart = 0x80112233u;
  s.AlphaVar = 0.25f;
  const auto b = WritePssRecord(s);
  EXPECT_EQ(b[0], 0x04);
  EXPECT_EQ(b[3], 0x01);
  EXPECT_EQ(b[12], kBlendAlpha & 0xFF);
  EXPECT_EQ(b[13], kBlendAlpha >> 8);
  EXPECT_EQ(GetI32(b.data() + 16), std::bit_cast<int32_t>(123.5f));
  EXPECT_EQ(GetI32(b.data() + 20), std::bit_cast<int32_t>(-1.0f));
  EXPECT_EQ(GetI32(b.data() + 28), -5);
  EXPECT_EQ(b[40], 1);
  EXPECT_EQ(b[100], 0x33);  // red, the low byte
  EXPECT_EQ(b[103], 0x80);
  EXPECT_EQ(GetI32(b.data() + 112), std::bit_cast<int32_t>(0.25f));

  // Any 116 bytes read and written back are the same bytes.
  std::array<uint8_t, kPssRecordSize> noise;
  uint32_t x = 12345;
  for (uint8_t& v : noise) v = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 24);
  TPssSettings read;
  ASSERT_TRUE(ReadPssRecord(noise.data(), noise.size(), read));
  EXPECT_EQ(WritePssRecord(read), noise);
}

TEST(PssRecord, ShortEmptyAndMissingFiles) {
  TempDir dir;
  TPssSettings full = Still();
  full.Pattern = 5;
  full.Emission = 77;
  const auto bytes = WritePssRecord(full);
  auto sys = System(TPssSettings{});

  // A whole record, and one with bytes after it (ignored).
  std::vector<uint8_t> longer(bytes.begin(), bytes.end());
  longer.resize(200, 0xEE);
  ASSERT_TRUE(sys->LoadSettings(dir.Write("long.pss", longer)));
  EXPECT_EQ(WritePssRecord(sys->Settings), bytes);

  // A short file lays what it has over the settings, even half a field.
  TPssSettings before = sys->Settings;
  std::vector<uint8_t> shortBytes = {0x0B, 0, 0, 0, 0xAA, 0xBB};
  ASSERT_TRUE(sys->LoadSettings(dir.Write("short.pss", shortBytes)));
  EXPECT_EQ(sys->Settings.Pattern, 11);
  EXPECT_EQ(sys->Settings.Reserved1 & 0xFFFF, 0xBBAA);
  EXPECT_EQ(sys->Settings.Emission, before.Emission);
  EXPECT_EQ(sys->Settings.ColorEnd, before.ColorEnd);

  // Empty, missing or not a plain file: false, the settings as they were.
  before = sys->Settings;
  EXPECT_FALSE(sys->LoadSettings(dir.Write("empty.pss", {})));
  EXPECT_FALSE(sys->LoadSettings((dir.Path / "missing.pss").string()));
  EXPECT_FALSE(sys->LoadSettings(dir.Path.string()));
  EXPECT_EQ(WritePssRecord(sys->Settings), WritePssRecord(before));
  EXPECT_FALSE(ReadPssRecord(nullptr, 0, before));
}

// Settings read from a file are bounded: an endless burst of a million
// particles a second, infinities and not-a-numbers become numbers an effect
// can live with, while the game's own 24 settings, and settings several
// times as big, come through unchanged.
TEST(PssRecord, LoadedSettingsAreBoundedWithRoomOverTheGamesOwn) {
  const fs::path data = fs::path(GW_BUILD_DIR) / "Data";
  int shipped = 0;
  if (fs::is_directory(data)) {
    for (const auto& entry : fs::directory_iterator(data)) {
      if (entry.path().extension() != ".pss") continue;
      ++shipped;
      TPssSettings s;
      std::string error;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      ASSERT_TRUE(ReadPssRecord(bytes.data(), bytes.size(), s));
      TPssSettings loaded;
      ASSERT_TRUE(LoadPssFile(entry.path().string(), loaded, error)) << error;
      EXPECT_EQ(WritePssRecord(loaded), WritePssRecord(s)) << entry.path();
      // Room over them: four times every rate, life, speed, force and size.
      TPssSettings big = s;
      big.Emission *= 4;
      if (big.Lifetime > 0) big.Lifetime *= 4;
      big.LifeMin *= 4;
      big.LifeMax *= 4;
      for (float* v : {&big.SpeedMin, &big.SpeedMax, &big.GravityMin, &big.GravityMax, &big.RadialMin, &big.RadialMax,
                       &big.SizeStart, &big.SizeEnd, &big.SpinEnd})
        *v *= 4;
      TPssSettings bounded = big;
      BoundPssSettings(bounded);
      EXPECT_EQ(WritePssRecord(bounded), WritePssRecord(big)) << entry.path();
    }
    EXPECT_EQ(shipped, 24);
  }

  TPssSettings wild = Still();
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  wild.Emission = 1e6f;
  wild.LifeMin = -5;
  wild.LifeMax = 2000000000;
  wild.SpeedMin = -inf;
  wild.SpeedMax = inf;
  wild.GravityMax = nan;
  wild.RadialMin = 1e30f;
  wild.SizeStart = inf;
  wild.SizeEnd = -3;
  wild.SpinEnd = nan;
  wild.SizeVar = 7;
  wild.ColorVar = -1;
  wild.Spread = inf;
  BoundPssSettings(wild);
  EXPECT_EQ(wild.Lifetime, TXParticleSystem::kEndless) << "an endless emitter stays endless";
  EXPECT_EQ(wild.Emission, 5000);
  EXPECT_EQ(wild.LifeMin, 1);
  EXPECT_EQ(wild.LifeMax, 10000);
  EXPECT_EQ(wild.SpeedMin, -2000);
  EXPECT_EQ(wild.SpeedMax, 2000);
  EXPECT_EQ(wild.GravityMax, 0);
  EXPECT_EQ(wild.RadialMin, 2);
  EXPECT_EQ(wild.SizeStart, 16);
  EXPECT_EQ(wild.SizeEnd, 0);
  EXPECT_EQ(wild.SpinEnd, 0);
  EXPECT_EQ(wild.SizeVar, 1);
  EXPECT_EQ(wild.ColorVar, 0);
  EXPECT_TRUE(std::isfinite(wild.Spread));
  for (float lifetime : {inf, 1e9f, nan, -0.5f}) {
    TPssSettings s = Still();
    s.Lifetime = lifetime;
    BoundPssSettings(s);
    EXPECT_TRUE(s.Lifetime >= 0 && s.Lifetime <= kMaxPssLifetime) << lifetime;
  }
  // A file is bounded as it loads; an empty one is refused with its name.
  TempDir dir;
  TPssSettings endless = Still();
  endless.Emission = 1e6f;
  endless.SizeStart = inf;
  const auto bytes = WritePssRecord(endless);
  TPssSettings loaded;
  std::string error;
  ASSERT_TRUE(LoadPssFile(dir.Write("wild.pss", {bytes.begin(), bytes.end()}), loaded, error)) << error;
  EXPECT_EQ(loaded.Emission, 5000);
  EXPECT_EQ(loaded.SizeStart, 16);
  EXPECT_FALSE(LoadPssFile(dir.Write("empty.pss", {}), loaded, error));
  EXPECT_EQ(error, "\"" + (dir.Path / "empty.pss").string() + "\" is empty.");
}

// A system holds room for the particles it has, not for the most it may
// have, and a budget limits how many are born.
TEST(XParticleSystem, ABudgetLimitsTheParticlesBorn) {
  TPssSettings s = Still();
  s.Emission = 5000;
  auto sys = System(s);
  sys->Fire();
  sys->Update(100, 30);
  EXPECT_EQ(sys->LiveCount(), 30);
  sys->Update(100, 0);
  EXPECT_EQ(sys->LiveCount(), 30);
  sys->Update(100);
  EXPECT_EQ(sys->LiveCount(), 530);
  EXPECT_LT(sizeof(TXParticleSystem), 1024u);
}

// --------------------------------------------------------------- drawing

struct DrawRig {
  RecordingRenderer* Rec = new RecordingRenderer;
  RenderRig Rig{std::unique_ptr<plat::Renderer>(Rec)};
  TCanopyImage* Image = nullptr;
  std::vector<int> Effects;  // of the draws of the last Quads()
  DrawRig() {
    // Four 32 x 32 patterns on one 64 x 64 texture.
    Image = Rig.AddImage("particles", render_test::MakeRecord(64, 64, 1, 32, 32, 32, 32,
                                                             [](int, int, int) { return 0xFFFFFFFFu; }, 4));
  }
  std::vector<plat::Vertex> Quads() {
    Rig.Canvas.Flush();
    std::vector<plat::Vertex> v;
    Effects.clear();
    for (const auto& d : Rec->Draws) {
      v.insert(v.end(), d.Vertices.begin(), d.Vertices.end());
      Effects.push_back(d.Effect);
    }
    Rec->Draws.clear();
    return v;
  }
};

TEST(XParticleSystem, RenderDrawsCentredScaledQuadsInTheParticleColour) {
  DrawRig r;
  TPssSettings s = Still();
  s.Emission = 120;
  s.Pattern = 2;
  s.SizeStart = s.SizeEnd = 0.5f;
  s.ColorStart = s.ColorEnd = 0x80402010u;
  auto sys = System(s);
  sys->Render(r.Rig.Canvas);
  EXPECT_TRUE(r.Quads().empty());
  sys->FireAt(100, 200);
  sys->Update(9);
  ASSERT_EQ(sys->LiveCount(), 1);
  sys->Render(r.Rig.Canvas);  // no image: nothing
  EXPECT_TRUE(r.Quads().empty());
  sys->Image = r.Image;
  sys->Offset = TPoint2{10, -20};
  sys->Render(r.Rig.Canvas);
  const auto v = r.Quads();
  ASSERT_EQ(v.size(), 4u);
  const Particle& p = sys->Particle(0);
  // Half a 32-pixel pattern at half size, around the offset position.
  EXPECT_NEAR(v[0].X, p.X + 10 - 8 - 0.5f, 1e-3f);
  EXPECT_NEAR(v[0].Y, p.Y - 20 - 8 - 0.5f, 1e-3f);
  EXPECT_NEAR(v[2].X, p.X + 10 + 8 - 0.5f, 1e-3f);
  for (const auto& c : v) EXPECT_EQ(c.Color, 0x80402010u);
  EXPECT_EQ(r.Effects, (std::vector<int>{kBlendAdditive | kEffectModulate}));
}

TEST(XParticleSystem, RenderSkipsParticlesMoreThanHalfOffScreen) {
  DrawRig r;
  TPssSettings s = Still();
  s.Emission = 120;
  struct Case {
    float X, Y;
    bool Drawn;
  };
  // Pattern 32 wide: drawn while its centre is within 16 pixels of the screen
  // (800 x 600); the emitter scatters a pixel either way.
  for (const Case& c : {Case{-13, 300, true}, Case{-19, 300, false}, Case{400, -19, false},
                        Case{812, 300, true}, Case{819, 300, false}, Case{400, 619, false}, Case{400, 612, true}}) {
    auto sys = System(s);
    sys->Image = r.Image;
    sys->FireAt(c.X, c.Y);
    sys->Update(9);
    sys->Render(r.Rig.Canvas);
    EXPECT_EQ(r.Quads().size(), c.Drawn ? 4u : 0u) << c.X << ", " << c.Y;
  }
}

// --------------------------------------------------------- image particles

// Remembers the order its particles move in.
class LoggingParticle : public TCanopyParticle {
 public:
  LoggingParticle(int key, std::vector<int>* log) : Log(log) { OrderKey = key; Life = 100; }
  void Move() override {
    TCanopyParticle::Move();
    Log->push_back(OrderKey);
  }
  std::vector<int>* Log;
};

std::vector<TCanopyParticle*> Order(const TCanopyParticles& list) {
  std::vector<TCanopyParticle*> v;
  for (TCanopyParticle* p = list.First(); p; p = p->Next) v.push_back(p);
  // The back links agree.
  std::vector<TCanopyParticle*> back;
  for (TCanopyParticle* p = list.Last(); p; p = p->Prev) back.insert(back.begin(), p);
  EXPECT_EQ(v, back);
  return v;
}

TEST(CanopyParticles, NewParticlesGoWhereTheInsertionRuleSays) {
  std::vector<int> log;
  auto build = [&](TCanopyParticles& list, std::vector<int> keys) {
    std::vector<TCanopyParticle*> made;
    for (int k : keys) {
      made.push_back(new LoggingParticle(k, &log));
      list.Add(made.back());
    }
    return made;
  };
  auto indexOf = [](const TCanopyParticles& list, TCanopyParticle* p) {
    const auto v = Order(list);
    return static_cast<int>(std::find(v.begin(), v.end(), p) - v.begin());
  };
  struct Case {
    std::vector<int> Keys;
    int New;
    int Index;
  };
  const Case cases[] = {
      {{2, 2, 5}, 2, 0},          // not above the first: the front
      {{1, 5, 5}, 5, 3},          // not below the last: the back
      {{0, 2, 2, 2, 10}, 2, 1},   // nearer the front: before the first key >= 2
      {{0, 8, 8, 10}, 8, 3},      // nearer the back: after the last key <= 8
      {{0, 5, 5, 10}, 5, 3},      // as near: from the back
      {{0, 3, 7, 10}, 5, 2},
  };
  for (const Case& c : cases) {
    TCanopyParticles list;
    build(list, c.Keys);
    auto* p = new LoggingParticle(c.New, &log);
    list.Add(p);
    EXPECT_EQ(indexOf(list, p), c.Index) << "new key " << c.New;
    EXPECT_EQ(list.Count(), static_cast<int>(c.Keys.size()) + 1);
  }
  // Any order of arrival keeps the keys ascending.
  TCanopyParticles list;
  build(list, {5, 1, 9, 5, 3, 7, 7, 1, 9, 0, 4});
  int last = -1;
  for (TCanopyParticle* p : Order(list)) {
    EXPECT_GE(p->OrderKey, last);
    last = p->OrderKey;
  }
}

TEST(CanopyParticles, UpdateRunsInARandomDirectionAndFreesTheSpent) {
  std::vector<int> log;
  TCanopyParticles list;
  double next = 0.0;
  list.Random01 = [&] { return next; };
  for (int k : {1, 2, 3}) list.Add(new LoggingParticle(k, &log));
  list.Update();
  EXPECT_EQ(log, (std::vector<int>{1, 2, 3}));
  log.clear();
  next = 0.7;
  list.Update();
  EXPECT_EQ(log, (std::vector<int>{3, 2, 1}));

  // Straight motion with constant acceleration; death when the age reaches the life.
  TAlphaImageParticle* p = list.CreateAlphaParticle(0, 10, 20, kBlendAlpha, 3);
  p->VelX = 1;
  p->AccelY = 0.5f;
  list.Update();
  EXPECT_FLOAT_EQ(p->X, 11);
  EXPECT_FLOAT_EQ(p->Y, 20.5f);
  list.Update();
  EXPECT_FLOAT_EQ(p->Y, 21.5f);
  EXPECT_EQ(p->Age, 2);
  EXPECT_EQ(list.Count(), 4);
  list.Update();
  EXPECT_EQ(list.Count(), 3);  // freed at age 3
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.First(), nullptr);
}

TEST(CanopyParticles, AnglesStartAtRandomAndStayWithinATurn) {
  TCanopyParticles list;
  list.Random01 = [] { return 0.5; };
  TAlphaImageParticle* p = list.CreateAlphaParticle(0, 0, 0, kBlendAlpha, 100);
  EXPECT_NEAR(p->Angle, kPi, 1e-5f);
  p->Spin = 3.5f;
  list.Update();
  EXPECT_NEAR(p->Angle, kPi + 3.5f - 2 * kPi, 1e-5f);
  // A broken spin does not hang the update.
  p->Spin = 1.0e30f;
  list.Update();
  EXPECT_LE(p->Angle, 2 * kPi);
  p->Spin = -1;
  p->Angle = 0;
  list.Update();
  EXPECT_FLOAT_EQ(p->Angle, -1);  // only angles above a turn come back
}

TEST(CanopyParticles, AlphaParticlesFadeAndAnimateByAge) {
  DrawRig r;
  TCanopyParticles list;
  list.Canvas = &r.Rig.Canvas;
  list.Images = &r.Rig.Images;
  list.Random01 = [] { return 0.0; };
  TAlphaImageParticle* p = list.CreateAlphaParticle(0, 100, 100, kBlendAdditive, 4);
  EXPECT_EQ(p->W, 32.0f);
  EXPECT_EQ(p->CenterX, 16.0f);
  p->Colors[1] = 0x00112233u;
  list.Render();
  auto v = r.Quads();
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(v[0].Color, 0xFF112233u);
  EXPECT_NEAR(v[0].X, 100 - 16 - 0.5f, 1e-4f);
  const float u0 = v[0].U;
  list.Update();
  list.Render();
  v = r.Quads();
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(v[0].Color, 0xBF112233u);  // 255 - 1 * 255 / 4 = 191.25
  EXPECT_NE(v[0].U, u0);               // pattern 1 of 4 at a quarter of its life
  list.Update();
  list.Update();
  list.Render();
  v = r.Quads();
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(v[0].Color >> 24, 63u);
  list.Update();
  EXPECT_EQ(list.Count(), 0);

  // A particle whose box misses the screen is not drawn.
  TAlphaImageParticle* off = list.CreateAlphaParticle(0, -50, 100, kBlendAlpha, 10);
  list.Render();
  EXPECT_TRUE(r.Quads().empty());
  off->X = -15;  // its box reaches x = 2
  list.Render();
  EXPECT_EQ(r.Quads().size(), 4u);
}

}  // namespace
