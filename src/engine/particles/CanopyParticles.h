// The simple image particles of the main form: straight motion with constant
// acceleration, spinning, animated through the patterns of their image and
// (for the alpha kind) fading out. Game pieces spawn them; the main loop
// updates the list every tick and draws it every frame.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/render/CanopyTypes.h"
#include "engine/render/Device.h"

class TCanopyCanvas;
class TCanopyImages;
class TCanopyParticles;

class TCanopyParticle {
 public:
  virtual ~TCanopyParticle() = default;
  // velocity += acceleration; position += velocity.
  virtual void Move();
  virtual void Render(TCanopyCanvas& canvas, const TCanopyImages& images, TSize screen);

  TCanopyParticles* Owner = nullptr;
  TCanopyParticle* Prev = nullptr;
  TCanopyParticle* Next = nullptr;
  float AccelX = 0, AccelY = 0;
  float X = 0, Y = 0;
  float VelX = 0, VelY = 0;
  int OrderKey = 0;  // the list is kept in ascending key order
  int Age = 0;       // ticks
  int Life = 1;      // ticks; the particle dies when its age reaches it
};

// Draws pattern Age * PatternCount / Life of its image, rotated about its centre.
class TImageParticle : public TCanopyParticle {
 public:
  // The angle starts at random in 0..2π.
  explicit TImageParticle(double random01 = 0.0);
  // Also adds the spin to the angle, kept at or below 2π.
  void Move() override;
  void Render(TCanopyCanvas& canvas, const TCanopyImages& images, TSize screen) override;

  TColor4 Colors = Color4(0xFFFFFFFFu);
  int Effect = kBlendAlpha;
  float W = 0, H = 0;
  int ImageIndex = -1;
  float CenterX = 0, CenterY = 0;
  float Angle = 0;
  float Spin = 0;  // radians per tick
};

// An image particle whose alpha falls from 255 to 0 over its life, over the
// red, green and blue of its second colour.
class TAlphaImageParticle : public TImageParticle {
 public:
  using TImageParticle::TImageParticle;
  void Render(TCanopyCanvas& canvas, const TCanopyImages& images, TSize screen) override;
};

class TCanopyParticles : public TCanopySubscriber {
 public:
  TCanopyParticles();
  ~TCanopyParticles() override;
  TCanopyParticles(const TCanopyParticles&) = delete;
  TCanopyParticles& operator=(const TCanopyParticles&) = delete;

  bool HandleNotice(int) override { return true; }

  // A new fading particle of the image at (x, y) (its centre), drawn with the
  // blend effect, living `life` ticks; the caller sets its velocity,
  // acceleration, colours and spin. Its size and centre come from the image
  // (none when Images lacks it: nothing is drawn).
  TAlphaImageParticle* CreateAlphaParticle(int imageIndex, float x, float y, int effect, int life);
  // Takes ownership and links the particle in key order.
  void Add(TCanopyParticle* particle);
  // One tick: every particle moves and ages, in a direction chosen at random;
  // those whose age reaches their life are freed.
  void Update();
  // Draws front to back (ascending key) what meets the screen.
  void Render();
  void Clear();
  int Count() const { return Count_; }
  TCanopyParticle* First() const { return First_; }
  TCanopyParticle* Last() const { return Last_; }

  TCanopyImages* Images = nullptr;
  TCanopyCanvas* Canvas = nullptr;
  // Uniform in [0, 1): the direction of each update and the start angles.
  // The game plugs in its own source; by default a small generator of the list.
  std::function<double()> Random01;

 private:
  void Unlink(TCanopyParticle* p);
  double NextRandom();

  TCanopyParticle* First_ = nullptr;
  TCanopyParticle* Last_ = nullptr;
  int Count_ = 0;
  uint32_t Seed_ = 0;
};
