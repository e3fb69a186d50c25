// Sprites: every moving or animated thing on screen. A sprite is owned by the
// sprite engine from its creation; it never frees itself but calls Dead, and
// the engine frees it at the next CollectDead.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/render/CanopyTypes.h"

class TSpriteEngine;
class TCanopyImage;

// Whole pixels from a float position: halves round away from zero, and values
// within 0.00005 below a half already round up.
int RoundCoord(double x);
// Round to nearest, ties to even.
int RoundEven(double x);

class TSprite {
 public:
  explicit TSprite(TSpriteEngine* engine);
  virtual ~TSprite();
  TSprite(const TSprite&) = delete;
  TSprite& operator=(const TSprite&) = delete;

  // Setters (virtual: game sprites react to some of them).
  virtual void SetName(const std::string& text) { Name = text; }
  virtual void SetRed(int v) { Red = v; }
  virtual void SetGreen(int v) { Green = v; }
  virtual void SetBlue(int v) { Blue = v; }
  virtual void SetAlpha(int v) { Alpha = v; }
  virtual void SetImageName(const std::string& text) { ImageName = text; }
  virtual void SetPatternIndex(int n) { PatternIndex = n; }
  virtual void SetDrawMode(int n);
  virtual void SetX(float v) { X = v; }
  virtual void SetY(float v) { Y = v; }
  virtual void SetZ(int n);
  virtual void Assign(const TSprite& source);
  // Sets Collided to Hits(other) and, on a hit, calls this sprite's
  // OnCollision and then the other's. Final: the engine's collision pass
  // finds the pairs to test from the hit shapes that Hits reads.
  virtual void Collision(TSprite& other) final;
  virtual void Dead();
  virtual void OnCollision(TSprite& /*other*/) {}
  virtual void Move(float /*step*/) {}
  virtual void Draw();

  // The hit test of Collision alone: both sprites can collide, neither is
  // killed, and this sprite's HitShape meets the other's matching shape
  // (circles, rectangles strictly overlapping, or one of the other's quad
  // corners inside this quad). Sets no flag and calls no handler.
  bool Hits(const TSprite& other) const;

  // Properties of the current image (0 when it is not in the list).
  int ImageWidth() const;
  int ImageHeight() const;
  int PatternWidth() const;
  int PatternHeight() const;
  // The image this sprite draws now, by NameMode; nullptr when absent.
  TCanopyImage* CurrentImage() const;
  std::string CurrentImageName() const;

  TSpriteEngine* Engine;
  std::string Name;
  float X = 0, Y = 0;
  int Z = 0;
  TQuad Corners = {TPoint2{0, 0}, TPoint2{10, 0}, TPoint2{10, 10}, TPoint2{0, 10}};
  float ShiftX = 0, ShiftY = 0;
  bool Visible = true;
  bool UserFlag = false;
  int BlendMode = kBlendAlpha;
  bool Flip = false;
  bool Mirror = false;
  uint8_t ScaleAnchor = 1;
  TColor4 CornerColors = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
  int Red = 255, Green = 255, Blue = 255, Alpha = 255;
  bool CanCollide = false;
  bool CollideSpare = false;
  bool Collided = false;
  float Angle = 0;
  std::string ImageName;
  int PatternIndex = 0;
  int ImageSuffix = 0;
  float ScaleX = 1, ScaleY = 1;
  float OffsetX = 0, OffsetY = 0;
  bool Killed = false;
  bool MoveEnabled = true;
  int DrawMode = 0;
  TRect DrawArea{-200, -200, 800, 600};
  float HitCenterX = 0, HitCenterY = 0;
  int HitRadius = 0;
  TRect HitRect;
  TQuad HitQuad{};
  uint8_t HitShape = 0;
  uint8_t NameMode = 1;

 protected:
  // The tint as one colour: Red | Green << 8 | Blue << 16 | Alpha << 24.
  TColor Tint() const;
  bool InDrawArea() const;
};

class TAnimSprite : public TSprite {
 public:
  explicit TAnimSprite(TSpriteEngine* engine);

  void Assign(const TSprite& source) override;
  void Move(float step) override;
  void Draw() override;
  void SetFirstFrame(int n);

  bool Animating = true;
  bool Looping = false;
  int FirstFrame = 0;
  int FrameCount = 0;
  float FrameSpeed = 0;
  float FramePos = 0;
  bool PassedEnd = false;
  bool PingReachedEnd = false;
  bool PingBackAtStart = false;
  uint8_t PlayMode = 0;  // 0 forward, 1 backward, 2 ping-pong
};
