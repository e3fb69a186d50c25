// One particle emitter of up to 5000 particles: emission rate, particle life,
// direction and spread, speed, gravity, radial and tangential acceleration,
// and size, spin and colour that change linearly over each particle's life.
// Its settings are one 116-byte record, kept in the small ".pss" files of the
// Data folder. The mana flights and spell balls own one each and move it every
// tick; the explosion manager runs one per burst.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/render/CanopyTypes.h"

class TCanopyCanvas;
class TCanopyImage;

// The settings record. Times in milliseconds, speeds in pixels per second,
// angles in radians (0 points up, positive turns clockwise on screen).
struct TPssSettings {
  int32_t Pattern = 0;      // pattern of the particle image every particle shows
  int32_t Reserved1 = 0;    // offsets 4 and 8: never read, kept as they were
  int32_t Reserved2 = 0;
  int32_t BlendEffect = 0;  // canvas blend code of the particles
  float Emission = 0;       // particles per second
  float Lifetime = 0;       // emitter run time; any value <= -0.9 is endless
  int32_t LifeMin = 0;      // particle life range (either order)
  int32_t LifeMax = 0;
  float Direction = 0;      // emission angle
  float Spread = 0;         // width of the random angle range, centred on Direction
  uint8_t Relative = 0;     // 1: add the emitter's direction of motion
  std::array<uint8_t, 3> Padding{};  // the three bytes after Relative, kept as they were
  float SpeedMin = 0, SpeedMax = 0;
  float GravityMin = 0, GravityMax = 0;            // px/s², +y down
  float RadialMin = 0, RadialMax = 0;              // away from the emitter, px/s per ms
  float TangentialMin = 0, TangentialMax = 0;      // at right angles to the radial one
  float SizeStart = 0, SizeEnd = 0, SizeVar = 0;   // scale; Var 0..1 towards End
  float SpinStart = 0, SpinEnd = 0, SpinVar = 0;   // rotation
  TColor ColorStart = 0, ColorEnd = 0;             // canvas colour order
  float ColorVar = 0;                              // 0..1 for the three colour bytes
  float AlphaVar = 0;                              // 0..1 for the alpha byte
};

constexpr size_t kPssRecordSize = 116;

// Reads min(size, 116) bytes over the record (a short record replaces only
// the fields, or parts of fields, it holds); bytes after the record are
// ignored. False when there is no byte at all.
bool ReadPssRecord(const uint8_t* data, size_t size, TPssSettings& out);
std::array<uint8_t, kPssRecordSize> WritePssRecord(const TPssSettings& settings);

// The longest finite emitter run a settings file may give, in ms (the game's
// own bursts run about 100; trails and flights are endless).
constexpr float kMaxPssLifetime = 2000.0f;
// Brings every field of loaded settings within what particle effects can
// use, far beyond the game's own settings: finite numbers, rates, lives,
// speeds, forces, sizes and spins bounded, variations between 0 and 1, an
// emitter either endless or running at most kMaxPssLifetime. A value that is
// not a number becomes 0 (or the nearest bound). The pattern, the blend, the
// colours and the bytes kept as they were are left alone.
void BoundPssSettings(TPssSettings& settings);
// Reads a settings file as the game does (a plain file of at most 64 KiB,
// one record, bounded); false with the reason when it cannot be used.
bool LoadPssFile(const std::string& path, TPssSettings& settings, std::string& error);

// The pixel size of the screen a canvas draws on: its device's size, or the
// canvas's clip rectangle when it has no device.
TSize CanvasScreenSize(const TCanopyCanvas& canvas);

class TXParticleSystem {
 public:
  static constexpr int kMaxParticles = 5000;
  // Emitter timer values besides a running time >= 0.
  static constexpr float kStopped = -2.0f;
  static constexpr float kEndless = -1.0f;

  // The particle: 23 values.
  struct TParticle {
    float X, Y;
    float AnchorX, AnchorY;  // emitter position minus particle position at birth
    float VelX, VelY;
    float Gravity, Radial, Tangential;
    float Spin, SpinDelta;   // per ms
    float Size, SizeDelta;   // per ms
    float Color[4];          // channels 0, 1, 2 and alpha, 0..255
    float ColorDelta[4];     // per ms
    float Age, Life;         // ms
  };

  // An empty record, both positions (0, 0), no particles, stopped, one shape
  // point (0, 0).
  TXParticleSystem();
  explicit TXParticleSystem(const TPssSettings& settings);
  TXParticleSystem(const TXParticleSystem&) = delete;
  TXParticleSystem& operator=(const TXParticleSystem&) = delete;

  // Reads the settings file (a plain file of at most 64 KiB) over Settings,
  // bounded (BoundPssSettings). False for a missing, unreadable or empty
  // file; a file shorter than the record replaces only what it holds.
  bool LoadSettings(const std::string& path);

  // Appends points[0..n] (n + 1 points), offsets from the emitter position.
  void AddShapePoints(const TPoint2* points, int n);
  void AddShapePoint(float x, float y);
  void ClearShape() { Shape_.clear(); }
  int ShapeCount() const { return static_cast<int>(Shape_.size()); }

  // Starts the emitter (only when the shape has points): endless when
  // Lifetime <= -0.9, else for Lifetime ms.
  void Fire();
  // Stops emitting; with kill also removes every particle.
  void Stop(bool kill);
  // Moves the emitter. With moveParticles every particle moves along; else a
  // running emitter spreads its next emission along the way from the old
  // position, and a stopped one simply jumps.
  void MoveTo(float x, float y, bool moveParticles);
  // Stop (keeping the particles), jump to (x, y), Fire.
  void FireAt(float x, float y);
  // Advances the emitter timer, every particle and the emission by dtMs; at
  // most maxNew particles are born (a budget shared by many systems).
  void Update(int dtMs, int maxNew = kMaxParticles);
  // Draws every particle with the pattern Settings.Pattern of Image, centred,
  // rotated by its spin, scaled by its size, in its colour with
  // Settings.BlendEffect. Nothing without an image.
  void Render(TCanopyCanvas& canvas) const;

  int LiveCount() const { return Live_; }
  float EmitterTimer() const { return Timer_; }
  bool Running() const { return Timer_ != kStopped; }
  TPoint2 Position() const { return Current_; }
  TPoint2 PreviousPosition() const { return Previous_; }
  const TParticle& Particle(int i) const { return Particles_[static_cast<size_t>(i)]; }
  float EmissionCarry() const { return Carry_; }

  TCanopyImage* Image = nullptr;
  TPssSettings Settings;
  // Added to every particle's position when drawing.
  TPoint2 Offset;
  // Chooses a shape point: given the point count, returns an index. Asked
  // only when the shape has more than one point, so that a one-point emitter
  // never draws from the source the game plugs in here. Without it a small
  // generator of the system's own chooses.
  std::function<int32_t(int32_t)> PickShape;

  // The generator of the particle values, shared by every system: a 32-bit
  // seed that starts at 0 and is never re-seeded by the game (tests reset it).
  // Returns a value between a and b (either order).
  static float SharedRandom(float a, float b);
  static void ResetSharedRandom();
  static uint32_t SharedSeed();

 private:
  void Emit();
  int ChooseShapePoint();

  // Grown as particles are born, up to kMaxParticles: a burst of sixty holds
  // sixty, not room for five thousand.
  std::vector<TParticle> Particles_;
  int Live_ = 0;
  std::vector<TPoint2> Shape_;
  float Timer_ = kStopped;
  float Carry_ = 0;
  TPoint2 Previous_, Current_;
  uint32_t ShapeSeed_ = 0;
};
