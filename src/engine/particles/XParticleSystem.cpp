#include "engine/particles/XParticleSystem.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "engine/core/LittleEndian.h"
#include "engine/core/SafeFile.h"
#include "engine/render/Canvas.h"
#include "engine/render/Images.h"
#include "engine/sprites/SpriteDraw.h"

namespace {

// π/2 as the emission angle uses it.
constexpr float kHalfPi = 1.57079632f;
// Settings files are one record; anything much larger is not one.
constexpr size_t kMaxSettingsFileBytes = 64 * 1024;
// A particle scaled beyond this is thousands of pixels wide and covers the
// screen many times over; coordinates much larger than that are more than the
// back end's fixed-point rasteriser takes. Only broken settings get there.
constexpr float kMaxDrawnSize = 256.0f;

uint32_t g_SharedSeed = 0;

float GetF32(const uint8_t* p) { return std::bit_cast<float>(GetI32(p)); }
void PutF32(uint8_t* p, float v) { PutI32(p, std::bit_cast<int32_t>(v)); }

// 0..255; not-a-number becomes 0, so that a colour can always be packed.
float Clamp255(float v) {
  if (!(v > 0.0f)) return 0.0f;
  return v > 255.0f ? 255.0f : v;
}

float ColorByte(TColor c, int k) { return static_cast<float>((c >> (8 * k)) & 0xFFu); }

}  // namespace

bool ReadPssRecord(const uint8_t* data, size_t size, TPssSettings& out) {
  if (size == 0 || data == nullptr) return false;
  // A short record lays its bytes over the current settings.
  std::array<uint8_t, kPssRecordSize> b = WritePssRecord(out);
  std::memcpy(b.data(), data, std::min(size, kPssRecordSize));
  const uint8_t* p = b.data();
  TPssSettings s;
  s.Pattern = GetI32(p + 0);
  s.Reserved1 = GetI32(p + 4);
  s.Reserved2 = GetI32(p + 8);
  s.BlendEffect = GetI32(p + 12);
  s.Emission = GetF32(p + 16);
  s.Lifetime = GetF32(p + 20);
  s.LifeMin = GetI32(p + 24);
  s.LifeMax = GetI32(p + 28);
  s.Direction = GetF32(p + 32);
  s.Spread = GetF32(p + 36);
  s.Relative = p[40];
  s.Padding = {p[41], p[42], p[43]};
  s.SpeedMin = GetF32(p + 44);
  s.SpeedMax = GetF32(p + 48);
  s.GravityMin = GetF32(p + 52);
  s.GravityMax = GetF32(p + 56);
  s.RadialMin = GetF32(p + 60);
  s.RadialMax = GetF32(p + 64);
  s.TangentialMin = GetF32(p + 68);
  s.TangentialMax = GetF32(p + 72);
  s.SizeStart = GetF32(p + 76);
  s.SizeEnd = GetF32(p + 80);
  s.SizeVar = GetF32(p + 84);
  s.SpinStart = GetF32(p + 88);
  s.SpinEnd = GetF32(p + 92);
  s.SpinVar = GetF32(p + 96);
  s.ColorStart = static_cast<TColor>(GetI32(p + 100));
  s.ColorEnd = static_cast<TColor>(GetI32(p + 104));
  s.ColorVar = GetF32(p + 108);
  s.AlphaVar = GetF32(p + 112);
  out = s;
  return true;
}

std::array<uint8_t, kPssRecordSize> WritePssRecord(const TPssSettings& s) {
  std::array<uint8_t, kPssRecordSize> b{};
  uint8_t* p = b.data();
  PutI32(p + 0, s.Pattern);
  PutI32(p + 4, s.Reserved1);
  PutI32(p + 8, s.Reserved2);
  PutI32(p + 12, s.BlendEffect);
  PutF32(p + 16, s.Emission);
  PutF32(p + 20, s.Lifetime);
  PutI32(p + 24, s.LifeMin);
  PutI32(p + 28, s.LifeMax);
  PutF32(p + 32, s.Direction);
  PutF32(p + 36, s.Spread);
  p[40] = s.Relative;
  p[41] = s.Padding[0];
  p[42] = s.Padding[1];
  p[43] = s.Padding[2];
  PutF32(p + 44, s.SpeedMin);
  PutF32(p + 48, s.SpeedMax);
  PutF32(p + 52, s.GravityMin);
  PutF32(p + 56, s.GravityMax);
  PutF32(p + 60, s.RadialMin);
  PutF32(p + 64, s.RadialMax);
  PutF32(p + 68, s.TangentialMin);
  PutF32(p + 72, s.TangentialMax);
  PutF32(p + 76, s.SizeStart);
  PutF32(p + 80, s.SizeEnd);
  PutF32(p + 84, s.SizeVar);
  PutF32(p + 88, s.SpinStart);
  PutF32(p + 92, s.SpinEnd);
  PutF32(p + 96, s.SpinVar);
  PutI32(p + 100, static_cast<int32_t>(s.ColorStart));
  PutI32(p + 104, static_cast<int32_t>(s.ColorEnd));
  PutF32(p + 108, s.ColorVar);
  PutF32(p + 112, s.AlphaVar);
  return b;
}

TSize CanvasScreenSize(const TCanopyCanvas& canvas) {
  if (const auto* device = dynamic_cast<const TCanopyDevice*>(canvas.Publisher()))
    return TSize{device->Width, device->Height};
  const TRect clip = canvas.GetClipRect();
  return TSize{clip.Right, clip.Bottom};
}

float TXParticleSystem::SharedRandom(float a, float b) {
  g_SharedSeed = g_SharedSeed * 214013u + 2531011u;
  const float lo = std::min(a, b), hi = std::max(a, b);
  const double r = static_cast<double>(g_SharedSeed >> 16) / 65535.0;
  return static_cast<float>(lo + r * (static_cast<double>(hi) - lo));
}

void TXParticleSystem::ResetSharedRandom() { g_SharedSeed = 0; }

uint32_t TXParticleSystem::SharedSeed() { return g_SharedSeed; }

TXParticleSystem::TXParticleSystem() : TXParticleSystem(TPssSettings{}) {}

TXParticleSystem::TXParticleSystem(const TPssSettings& settings) : Settings(settings) {
  Shape_.push_back(TPoint2{0, 0});
}

namespace {
// Within [lo, hi]; not a number becomes 0, or the bound nearest to it.
float Bounded(float v, float lo, float hi) {
  if (std::isnan(v)) v = 0;
  return std::clamp(v, lo, hi);
}
}  // namespace

void BoundPssSettings(TPssSettings& s) {
  constexpr float kTurn = 6.2831853f;
  s.Emission = Bounded(s.Emission, 0, 5000);  // particles a second
  // Endless, or a run of at most two seconds: +Inf and not-a-number too.
  if (s.Lifetime <= -0.9f)
    s.Lifetime = TXParticleSystem::kEndless;
  else
    s.Lifetime = Bounded(s.Lifetime, 0, kMaxPssLifetime);
  s.LifeMin = std::clamp(s.LifeMin, 1, 10000);  // ms
  s.LifeMax = std::clamp(s.LifeMax, 1, 10000);
  s.Direction = Bounded(s.Direction, -4 * kTurn, 4 * kTurn);
  s.Spread = Bounded(s.Spread, 0, 2 * kTurn);
  for (float* v : {&s.SpeedMin, &s.SpeedMax}) *v = Bounded(*v, -2000, 2000);      // px/s
  for (float* v : {&s.GravityMin, &s.GravityMax}) *v = Bounded(*v, -5000, 5000);  // px/s²
  for (float* v : {&s.RadialMin, &s.RadialMax, &s.TangentialMin, &s.TangentialMax}) *v = Bounded(*v, -2, 2);
  for (float* v : {&s.SizeStart, &s.SizeEnd}) *v = Bounded(*v, 0, 16);
  for (float* v : {&s.SpinStart, &s.SpinEnd}) *v = Bounded(*v, -16 * kTurn, 16 * kTurn);
  for (float* v : {&s.SizeVar, &s.SpinVar, &s.ColorVar, &s.AlphaVar}) *v = Bounded(*v, 0, 1);
}

bool LoadPssFile(const std::string& path, TPssSettings& settings, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadSmallFile(path, kMaxSettingsFileBytes, bytes, error)) return false;
  if (!ReadPssRecord(bytes.data(), bytes.size(), settings)) {
    error = "\"" + path + "\" is empty.";
    return false;
  }
  BoundPssSettings(settings);
  return true;
}

bool TXParticleSystem::LoadSettings(const std::string& path) {
  std::string error;
  return LoadPssFile(path, Settings, error);
}

void TXParticleSystem::AddShapePoints(const TPoint2* points, int n) {
  if (!points || n < 0) return;
  Shape_.insert(Shape_.end(), points, points + n + 1);
}

void TXParticleSystem::AddShapePoint(float x, float y) { Shape_.push_back(TPoint2{x, y}); }

void TXParticleSystem::Fire() {
  if (Shape_.empty()) return;
  Timer_ = Settings.Lifetime <= -0.9f ? kEndless : 0.0f;
}

void TXParticleSystem::Stop(bool kill) {
  Timer_ = kStopped;
  if (kill) Live_ = 0;
}

void TXParticleSystem::MoveTo(float x, float y, bool moveParticles) {
  if (moveParticles) {
    const float dx = x - Current_.X, dy = y - Current_.Y;
    for (int i = 0; i < Live_; ++i) {
      Particles_[static_cast<size_t>(i)].X += dx;
      Particles_[static_cast<size_t>(i)].Y += dy;
    }
    Previous_.X += dx;
    Previous_.Y += dy;
  } else if (Timer_ != kStopped) {
    Previous_ = Current_;
  } else {
    Previous_ = TPoint2{x, y};
  }
  Current_ = TPoint2{x, y};
}

void TXParticleSystem::FireAt(float x, float y) {
  Stop(false);
  MoveTo(x, y, false);
  Fire();
}

int TXParticleSystem::ChooseShapePoint() {
  const auto n = static_cast<int32_t>(Shape_.size());
  if (n <= 1) return 0;
  if (PickShape) {
    const int32_t i = PickShape(n);
    return static_cast<int>(((i % n) + n) % n);
  }
  ShapeSeed_ = ShapeSeed_ * 134775813u + 1u;
  return static_cast<int>((static_cast<uint64_t>(ShapeSeed_) * static_cast<uint32_t>(n)) >> 32);
}

void TXParticleSystem::Emit() {
  if (Live_ >= kMaxParticles || Shape_.empty()) return;
  const TPssSettings& s = Settings;
  if (static_cast<size_t>(Live_) == Particles_.size()) Particles_.push_back(TParticle{});
  TParticle& p = Particles_[static_cast<size_t>(Live_)];
  ++Live_;
  p.Age = 0;
  p.Life = SharedRandom(static_cast<float>(s.LifeMin), static_cast<float>(s.LifeMax));

  // Spread along the way the emitter moved since the last update.
  const float along = SharedRandom(0, 1);
  p.X = Previous_.X + (Current_.X - Previous_.X) * along;
  p.Y = Previous_.Y + (Current_.Y - Previous_.Y) * along;
  const TPoint2& shape = Shape_[static_cast<size_t>(ChooseShapePoint())];
  p.X += shape.X + SharedRandom(-1, 1);
  p.Y += shape.Y + SharedRandom(-1, 1);
  p.AnchorX = Current_.X - p.X;
  p.AnchorY = Current_.Y - p.Y;

  float angle = SharedRandom(0, s.Spread) + s.Direction - kHalfPi - s.Spread / 2;
  if (s.Relative != 0) {
    const float dx = Previous_.X - Current_.X, dy = Previous_.Y - Current_.Y;
    angle += std::atan2(dx, dy) + kHalfPi;
  }
  const float speed = SharedRandom(s.SpeedMin, s.SpeedMax);
  p.VelX = std::cos(angle) * speed;
  p.VelY = std::sin(angle) * speed;
  p.Gravity = SharedRandom(s.GravityMin, s.GravityMax);
  p.Radial = SharedRandom(s.RadialMin, s.RadialMax);
  p.Tangential = SharedRandom(s.TangentialMin, s.TangentialMax);

  p.Size = SharedRandom(s.SizeStart, s.SizeStart + (s.SizeEnd - s.SizeStart) * s.SizeVar);
  p.SizeDelta = (s.SizeEnd - p.Size) / p.Life;
  p.Spin = SharedRandom(s.SpinStart, s.SpinStart + (s.SpinEnd - s.SpinStart) * s.SpinVar);
  p.SpinDelta = (s.SpinEnd - p.Spin) / p.Life;

  for (int k = 0; k < 4; ++k) {
    const float from = ColorByte(s.ColorStart, k), to = ColorByte(s.ColorEnd, k);
    const float var = k < 3 ? s.ColorVar : s.AlphaVar;
    p.Color[k] = Clamp255(SharedRandom(from, from + (to - from) * var));
    p.ColorDelta[k] = (to - p.Color[k]) / p.Life;
  }
}

void TXParticleSystem::Update(int dtMs, int maxNew) {
  const int dt = std::max(dtMs, 0);
  const auto fdt = static_cast<float>(dt);
  if (Timer_ >= 0) {
    Timer_ += fdt;
    if (!(Settings.Lifetime > Timer_)) Timer_ = kStopped;
  }

  const float t = fdt / 1000.0f;
  int i = 0;
  while (i < Live_) {
    TParticle& p = Particles_[static_cast<size_t>(i)];
    p.Age += fdt;
    if (p.Age >= p.Life) {
      // The last particle fills the hole and is examined next.
      p = Particles_[static_cast<size_t>(Live_ - 1)];
      --Live_;
      continue;
    }
    const float ux = p.X - (Current_.X + p.AnchorX), uy = p.Y - (Current_.Y + p.AnchorY);
    const float length = std::sqrt(ux * ux + uy * uy);
    // On the reference point itself there is no direction to push along.
    if (length > 0) {
      const float nx = ux / length, ny = uy / length;
      p.VelX += (nx * p.Radial - ny * p.Tangential) * fdt;
      p.VelY += (ny * p.Radial + nx * p.Tangential) * fdt;
    }
    p.VelY += p.Gravity * t;
    p.X += p.VelX * t;
    p.Y += p.VelY * t;
    p.Spin += p.SpinDelta * fdt;
    p.Size += p.SizeDelta * fdt;
    for (int k = 0; k < 4; ++k) p.Color[k] = Clamp255(p.Color[k] + p.ColorDelta[k] * fdt);
    ++i;
  }

  if (Timer_ != kStopped) {
    const float wanted = t * Settings.Emission + Carry_;
    int64_t count = 0;
    if (wanted > -1.0e9f && wanted < 1.0e9f) {
      const float whole = std::trunc(wanted);
      count = static_cast<int64_t>(whole);
      Carry_ = wanted - whole;
    } else {
      // Not a number, or more than any system can hold: as many as fit.
      count = wanted > 0 ? kMaxParticles : 0;
      Carry_ = 0;
    }
    count = std::min<int64_t>({count, kMaxParticles - Live_, std::max(maxNew, 0)});
    for (int64_t n = 0; n < count; ++n) Emit();
  }
  Previous_ = Current_;
}

void TXParticleSystem::Render(TCanopyCanvas& canvas) const {
  if (!Image || Live_ == 0) return;
  const TSize screen = CanvasScreenSize(canvas);
  const float halfW = static_cast<float>(Image->VisibleSize.W) / 2;
  const float halfH = static_cast<float>(Image->VisibleSize.H) / 2;
  for (int i = 0; i < Live_; ++i) {
    const TParticle& p = Particles_[static_cast<size_t>(i)];
    const float x = p.X + Offset.X, y = p.Y + Offset.Y;
    // Written as "inside" so that a position that is not a number is skipped too.
    if (!(x + halfW >= 0 && y + halfH >= 0 && x - halfW <= static_cast<float>(screen.W) &&
          y - halfH <= static_cast<float>(screen.H)))
      continue;
    if (!(std::fabs(p.Size) <= kMaxDrawnSize) || !std::isfinite(p.Spin)) continue;
    const TColor color = static_cast<uint32_t>(Clamp255(p.Color[0])) |
                         static_cast<uint32_t>(Clamp255(p.Color[1])) << 8 |
                         static_cast<uint32_t>(Clamp255(p.Color[2])) << 16 |
                         static_cast<uint32_t>(Clamp255(p.Color[3])) << 24;
    DrawRotated(canvas, Image, Settings.Pattern, x, y, p.Spin, p.Size, p.Size, false, false, Color4(color),
                Settings.BlendEffect);
  }
}
