#include "engine/sprites/Sprite.h"

#include <cmath>

#include "engine/render/Canvas.h"
#include "engine/render/Images.h"
#include "engine/sprites/SpriteDraw.h"
#include "engine/sprites/SpriteEngine.h"

int RoundEven(double x) { return static_cast<int>(std::nearbyint(x)); }

int RoundCoord(double x) {
  // The product is rounded to four decimals first so that values a hair below a
  // half (float noise) still round up.
  if (x >= 0) return static_cast<int>(std::trunc(std::nearbyint((x + 0.5) * 10000.0) / 10000.0));
  return static_cast<int>(std::trunc(std::nearbyint((x - 0.5) * 10000.0) / 10000.0));
}

TSprite::TSprite(TSpriteEngine* engine) : Engine(engine) {
  if (Engine) Engine->InsertByZ(this);
}

TSprite::~TSprite() {
  if (Engine) {
    Engine->Remove(this);
    Engine->ForgetDead(this);
  }
}

void TSprite::SetDrawMode(int n) { DrawMode = n > 4 ? 0 : n; }

void TSprite::SetZ(int n) {
  if (n == Z) return;
  if (Engine) Engine->Remove(this);
  Z = n;
  if (Engine) Engine->InsertByZ(this);
}

void TSprite::Assign(const TSprite& source) {
  SetName(source.Name);
  Corners = source.Corners;
  SetZ(source.Z);
  SetRed(source.Red);
  SetGreen(source.Green);
  SetBlue(source.Blue);
  SetAlpha(source.Alpha);
  SetPatternIndex(source.PatternIndex);
  CanCollide = source.CanCollide;
  CollideSpare = source.CollideSpare;
  Angle = source.Angle;
  ScaleX = source.ScaleX;
  ScaleY = source.ScaleY;
  OffsetX = source.OffsetX;
  OffsetY = source.OffsetY;
  Flip = source.Flip;
  Mirror = source.Mirror;
  BlendMode = source.BlendMode;
  Visible = source.Visible;
  UserFlag = source.UserFlag;
  DrawMode = 0;
}

bool TSprite::Hits(const TSprite& other) const {
  if (!CanCollide || !other.CanCollide || Killed || other.Killed) return false;
  switch (HitShape) {
    case 0: {
      const double dx = static_cast<double>(HitCenterX) - other.HitCenterX;
      const double dy = static_cast<double>(HitCenterY) - other.HitCenterY;
      // The radii are added as 64-bit integers: two huge radii must not wrap.
      const int64_t radii = static_cast<int64_t>(HitRadius) + other.HitRadius;
      return static_cast<double>(radii) > std::sqrt(dx * dx + dy * dy);
    }
    case 1:
      return HitRect.Left < other.HitRect.Right && other.HitRect.Left < HitRect.Right &&
             HitRect.Top < other.HitRect.Bottom && other.HitRect.Top < HitRect.Bottom;
    case 2:
      for (const TPoint2& q : other.HitQuad) {
        if (PointInQuad(HitQuad, q)) return true;
      }
      return false;
    default:
      return false;
  }
}

void TSprite::Collision(TSprite& other) {
  const bool hit = Hits(other);
  Collided = hit;
  if (hit) {
    OnCollision(other);
    other.OnCollision(*this);
  }
}

void TSprite::Dead() {
  if (Killed) return;
  Killed = true;
  if (Engine) Engine->QueueDead(this);
}

TColor TSprite::Tint() const {
  return (static_cast<uint32_t>(Red) & 0xFF) | ((static_cast<uint32_t>(Green) & 0xFF) << 8) |
         ((static_cast<uint32_t>(Blue) & 0xFF) << 16) | ((static_cast<uint32_t>(Alpha) & 0xFF) << 24);
}

bool TSprite::InDrawArea() const {
  float wx = Engine ? Engine->WorldX : 0;
  float wy = Engine ? Engine->WorldY : 0;
  return wx + DrawArea.Left < X && X < wx + DrawArea.Right && wy + DrawArea.Top < Y &&
         Y < wy + DrawArea.Bottom;
}

std::string TSprite::CurrentImageName() const {
  if (NameMode == 0) return ImageName + std::to_string(ImageSuffix);
  if (NameMode == 1) return ImageName;
  return std::string();
}

TCanopyImage* TSprite::CurrentImage() const {
  if (!Engine || !Engine->Images) return nullptr;
  return Engine->Images->Find(CurrentImageName());
}

int TSprite::ImageWidth() const {
  TCanopyImage* image = CurrentImage();
  return image ? image->VisibleSize.W : 0;
}

int TSprite::ImageHeight() const {
  TCanopyImage* image = CurrentImage();
  return image ? image->VisibleSize.H : 0;
}

int TSprite::PatternWidth() const {
  TCanopyImage* image = CurrentImage();
  return image ? image->PatternSize.W : 0;
}

int TSprite::PatternHeight() const {
  TCanopyImage* image = CurrentImage();
  return image ? image->PatternSize.H : 0;
}

void TSprite::Draw() {
  if (!InDrawArea() || !Visible) return;
  if (!Engine || !Engine->Canvas) return;
  TCanopyImage* image = CurrentImage();
  // A name that is not in the image list is simply not drawn.
  if (!image) return;
  if (DrawMode < 0 || DrawMode > 4) return;
  TCanopyCanvas& canvas = *Engine->Canvas;
  const float wx = Engine->WorldX, wy = Engine->WorldY;
  const float px = static_cast<float>(RoundCoord(static_cast<double>(X) + ShiftX + OffsetX - wx));
  const float py = static_cast<float>(RoundCoord(static_cast<double>(Y) + ShiftY + OffsetY - wy));
  switch (DrawMode) {
    case 0:
      DrawScaled(canvas, image, PatternIndex, px, py, ScaleX, ScaleY, ScaleAnchor, Mirror, Flip,
                 Color4(Tint()), BlendMode);
      break;
    case 1:
      DrawRotated(canvas, image, PatternIndex, px, py, Angle, ScaleX, ScaleY, Mirror, Flip, Color4(Tint()),
                  BlendMode);
      break;
    case 2:
      DrawScaled(canvas, image, PatternIndex, px, py, ScaleX, ScaleY, ScaleAnchor, Mirror, Flip, CornerColors,
                 BlendMode);
      break;
    case 3:
    case 4: {
      TQuad q;
      for (int i = 0; i < 4; ++i) {
        q[i].X = static_cast<float>(RoundCoord(static_cast<double>(Corners[i].X) + ShiftX + OffsetX - wx));
        q[i].Y = static_cast<float>(RoundCoord(static_cast<double>(Corners[i].Y) + ShiftY + OffsetY - wy));
      }
      DrawCorners(canvas, image, PatternIndex, q, Mirror, Flip, DrawMode == 3 ? Color4(Tint()) : CornerColors,
                  BlendMode);
      break;
    }
  }
}

TAnimSprite::TAnimSprite(TSpriteEngine* engine) : TSprite(engine) {}

void TAnimSprite::SetFirstFrame(int n) {
  if (n == FirstFrame) return;
  FirstFrame = n;
  FramePos = static_cast<float>(n);
}

void TAnimSprite::Assign(const TSprite& source) {
  if (auto* anim = dynamic_cast<const TAnimSprite*>(&source)) {
    Animating = anim->Animating;
    SetFirstFrame(anim->FirstFrame);
    FrameCount = anim->FrameCount;
    FrameSpeed = anim->FrameSpeed;
    Looping = anim->Looping;
  }
  TSprite::Assign(source);
}

void TAnimSprite::Move(float step) {
  if (!MoveEnabled || !Animating) return;
  const int last = FirstFrame + FrameCount - 1;
  switch (PlayMode) {
    case 0:
      FramePos += FrameSpeed * step;
      if (FramePos > static_cast<float>(last)) {
        if (static_cast<int>(std::trunc(FramePos)) == FirstFrame + FrameCount) PassedEnd = true;
        if (Looping) {
          FramePos = static_cast<float>(FirstFrame);
        } else {
          FramePos = static_cast<float>(last);
          Animating = false;
        }
      }
      break;
    case 1:
      FramePos -= FrameSpeed * step;
      if (FramePos < static_cast<float>(FirstFrame)) {
        if (Looping) {
          FramePos = static_cast<float>(last);
        } else {
          FramePos = static_cast<float>(FirstFrame);
          Animating = false;
        }
      }
      break;
    case 2:
      FramePos += FrameSpeed * step;
      if (Looping) {
        if (FramePos > static_cast<float>(last) || FramePos < static_cast<float>(FirstFrame))
          FrameSpeed = -FrameSpeed;
      } else {
        if (FramePos > static_cast<float>(FirstFrame + FrameCount) || FramePos < static_cast<float>(FirstFrame))
          FrameSpeed = -FrameSpeed;
        const int rounded = RoundCoord(FramePos);
        if (rounded == FirstFrame + FrameCount) PingReachedEnd = true;
        if (rounded == FirstFrame && PingReachedEnd) PingBackAtStart = true;
        if (PingReachedEnd && PingBackAtStart) {
          Animating = false;
          PingReachedEnd = false;
          PingBackAtStart = false;
        }
      }
      break;
    default:
      break;
  }
  PatternIndex = RoundCoord(FramePos);
  ImageSuffix = PatternIndex;
}

void TAnimSprite::Draw() {
  if (!InDrawArea()) return;
  TSprite::Draw();
}
