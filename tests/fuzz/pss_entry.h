// The one entry point shared by the particle-settings fuzz target and the test
// that replays its corpus: arbitrary bytes are read as a settings record (a
// short one over a known record), and a system with those settings runs a few
// hundred ticks as the game drives its bursts and trails, drawing into a
// canvas on a back end that keeps nothing. Whatever the numbers (not a number,
// infinities, huge rates and sizes), the settings come out of the game's
// bounds finite and within them, and a run must end quickly and never hold
// more than 5000 particles.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/particles/XParticleSystem.h"
#include "engine/render/Canvas.h"
#include "engine/render/Device.h"
#include "engine/render/ImageRecord.h"
#include "engine/render/Images.h"
#include "platform/Platform.h"

namespace pss_fuzz {

// Takes every draw and keeps nothing.
class NullRenderer : public plat::Renderer {
 public:
  int Width() const override { return 800; }
  int Height() const override { return 600; }
  plat::TextureId CreateTexture(int, int) override { return ++Next_; }
  bool UpdateTexture(plat::TextureId, const uint32_t*, int) override { return true; }
  void DestroyTexture(plat::TextureId) override {}
  void SetLinearFiltering(bool) override {}
  void DrawTriangles(plat::TextureId, const plat::Vertex* v, int n, const int*, int, int) override {
    for (int i = 0; i < n; ++i) Sum += v[i].X + v[i].Y;
  }
  void DrawLines(const plat::Vertex*, int, const int*, int, int) override {}
  void DrawPoints(const plat::Vertex*, int, int) override {}
  void SetClip(const plat::ClipRect*) override {}
  void Clear(uint32_t) override {}
  void Present() override {}
  bool ReadPixels(std::vector<uint32_t>&, int&, int&) override { return false; }
  int DrawCalls() const override { return 0; }
  float Sum = 0;

 private:
  plat::TextureId Next_ = 0;
};

// One device, canvas and particle image (16 patterns of 32 x 32) for the run.
struct Rig {
  NullRenderer Renderer;
  TCanopyDevice Device{&Renderer};
  TCanopyCanvas Canvas;
  TCanopyImage Image;

  Rig() {
    Device.Width = 800;
    Device.Height = 600;
    Canvas.SetPublisher(&Device);
    Device.Initialize();
    TImageRecord r;
    r.Format = pfA8R8G8B8;
    r.PatternWidth = r.PatternHeight = r.VisibleWidth = r.VisibleHeight = 32;
    r.TextureWidth = r.TextureHeight = 128;
    r.TextureCount = 1;
    r.PatternCount = 16;
    r.Pixels.assign(128 * 128 * 4, 0xFF);
    Image.SetRenderer(&Renderer);
    Image.LoadFromRecord(r);
  }
};

inline Rig& TheRig() {
  static Rig* rig = new Rig;  // lives as long as the process
  return *rig;
}

// A burst as the shipped ones are: what a short input lays its bytes over.
inline TPssSettings Known() {
  TPssSettings s;
  s.Pattern = 5;
  s.BlendEffect = 1284;
  s.Emission = 400;
  s.Lifetime = 100;
  s.LifeMin = 500;
  s.LifeMax = 900;
  s.Spread = 2.6f;
  s.SpeedMin = 70;
  s.SpeedMax = 190;
  s.GravityMin = s.GravityMax = 400;
  s.SizeStart = 0.5f;
  s.SizeEnd = 0.3f;
  s.ColorStart = 0xFFFFDCA8u;
  s.ColorEnd = 0x00D86E2Au;
  return s;
}

// Returns false when an invariant is broken (the fuzz target then traps).
inline bool PssFuzzEntry(const uint8_t* data, size_t size) {
  TPssSettings s = Known();
  const bool read = ReadPssRecord(data, size, s);
  if (read != (size > 0)) return false;
  // A whole record is kept byte for byte.
  if (size >= kPssRecordSize) {
    const auto back = WritePssRecord(s);
    if (std::memcmp(back.data(), data, kPssRecordSize) != 0) return false;
  }
  // Then bounded, as every settings file is when the game loads it: every
  // number finite, the emitter endless or running at most two seconds.
  BoundPssSettings(s);
  for (float v : {s.Emission, s.Lifetime, s.Direction, s.Spread, s.SpeedMin, s.SpeedMax, s.GravityMin, s.GravityMax,
                  s.RadialMin, s.RadialMax, s.TangentialMin, s.TangentialMax, s.SizeStart, s.SizeEnd, s.SizeVar,
                  s.SpinStart, s.SpinEnd, s.SpinVar, s.ColorVar, s.AlphaVar})
    if (!std::isfinite(v)) return false;
  if (s.Lifetime != TXParticleSystem::kEndless && !(s.Lifetime >= 0 && s.Lifetime <= kMaxPssLifetime)) return false;
  if (s.LifeMin < 1 || s.LifeMax < 1 || s.Emission < 0 || s.Emission > 5000) return false;
  Rig& rig = TheRig();
  auto sys = std::make_unique<TXParticleSystem>(s);
  sys->Image = &rig.Image;
  // Bytes after the record shape the emitter: up to eight more points.
  for (size_t at = kPssRecordSize; at + 2 <= size && sys->ShapeCount() < 9; at += 2)
    sys->AddShapePoint(static_cast<float>(static_cast<int8_t>(data[at])),
                       static_cast<float>(static_cast<int8_t>(data[at + 1])));
  const bool endless = s.Lifetime <= -0.9f;
  float x = 400, y = 300;
  sys->FireAt(x, y);
  for (int tick = 0; tick < 240; ++tick) {
    // Now and then a long step, as after a stall.
    sys->Update(tick % 60 == 59 ? 1000 : 9);
    if (sys->LiveCount() < 0 || sys->LiveCount() > TXParticleSystem::kMaxParticles) return false;
    if (endless) {
      x += 2.5f;
      y -= 1.0f;
      sys->FireAt(x, y);
    } else if (tick == 120) {
      sys->MoveTo(x + 30, y, true);
    }
    if (tick % 40 == 0) {
      sys->Render(rig.Canvas);
      rig.Canvas.Flush();
    }
  }
  // A finite emitter of less than the run's time has stopped itself.
  if (!endless && s.Lifetime < 2000 && sys->EmitterTimer() != TXParticleSystem::kStopped) return false;
  sys->Stop(true);
  return sys->LiveCount() == 0;
}

}  // namespace pss_fuzz
