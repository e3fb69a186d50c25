#include "engine/particles/CanopyParticles.h"

#include <cmath>

#include "engine/particles/XParticleSystem.h"
#include "engine/render/Canvas.h"
#include "engine/render/Images.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;

}  // namespace

void TCanopyParticle::Move() {
  VelX += AccelX;
  VelY += AccelY;
  X += VelX;
  Y += VelY;
}

void TCanopyParticle::Render(TCanopyCanvas&, const TCanopyImages&, TSize) {}

TImageParticle::TImageParticle(double random01) : Angle(static_cast<float>(random01 * kTwoPi)) {}

void TImageParticle::Move() {
  TCanopyParticle::Move();
  Angle += Spin;
  const auto twoPi = static_cast<float>(kTwoPi);
  while (Angle > twoPi) {
    // A wild angle would take forever to bring back a turn at a time.
    if (Angle > 64 * twoPi) {
      Angle = std::fmod(Angle, twoPi);
      break;
    }
    Angle -= twoPi;
  }
}

void TImageParticle::Render(TCanopyCanvas& canvas, const TCanopyImages& images, TSize screen) {
  TCanopyImage* image = images.Items(ImageIndex);
  if (!image) return;
  const float left = X - CenterX, top = Y - CenterY;
  if (!(left + W + 1 > 0 && top + H + 1 > 0 && left < static_cast<float>(screen.W) &&
        top < static_cast<float>(screen.H)))
    return;
  TPatternRec rec;
  rec.Index = Life <= 0 ? 0 : static_cast<int>(static_cast<int64_t>(Age) * image->PatternCount / Life);
  // The corners about the centre, turned by the angle.
  const double c = std::cos(Angle), s = std::sin(Angle);
  const double corners[4][2] = {{-CenterX, -CenterY}, {W - CenterX, -CenterY}, {W - CenterX, H - CenterY},
                                {-CenterX, H - CenterY}};
  TQuad quad;
  for (int i = 0; i < 4; ++i) {
    quad[static_cast<size_t>(i)].X = static_cast<float>(corners[i][0] * c - corners[i][1] * s + X);
    quad[static_cast<size_t>(i)].Y = static_cast<float>(corners[i][1] * c + corners[i][0] * s + Y);
  }
  canvas.TexMap(image, quad, Colors, rec, Effect);
}

void TAlphaImageParticle::Render(TCanopyCanvas& canvas, const TCanopyImages& images, TSize screen) {
  double alpha = 255.0;
  if (Life > 0) alpha = std::trunc(255.0 - static_cast<double>(Age) * 255.0 / Life);
  if (alpha < 0) alpha = 0;
  if (alpha > 255) alpha = 255;
  Colors = Color4((Colors[1] & 0x00FFFFFFu) | static_cast<uint32_t>(alpha) << 24);
  TImageParticle::Render(canvas, images, screen);
}

TCanopyParticles::TCanopyParticles() = default;

TCanopyParticles::~TCanopyParticles() { Clear(); }

double TCanopyParticles::NextRandom() {
  if (Random01) return Random01();
  Seed_ = Seed_ * 134775813u + 1u;
  return Seed_ / 4294967296.0;
}

TAlphaImageParticle* TCanopyParticles::CreateAlphaParticle(int imageIndex, float x, float y, int effect,
                                                           int life) {
  auto* p = new TAlphaImageParticle(NextRandom());
  p->ImageIndex = imageIndex;
  p->OrderKey = imageIndex;
  p->X = x;
  p->Y = y;
  p->Effect = effect;
  p->Life = life;
  if (TCanopyImage* image = Images ? Images->Items(imageIndex) : nullptr) {
    p->W = static_cast<float>(image->VisibleSize.W);
    p->H = static_cast<float>(image->VisibleSize.H);
  }
  p->CenterX = p->W / 2;
  p->CenterY = p->H / 2;
  Add(p);
  return p;
}

void TCanopyParticles::Add(TCanopyParticle* p) {
  p->Owner = this;
  p->Prev = p->Next = nullptr;
  ++Count_;
  if (!First_) {
    First_ = Last_ = p;
    return;
  }
  const int key = p->OrderKey;
  TCanopyParticle* before = nullptr;  // p goes in front of this one (nullptr: at the back)
  if (key <= First_->OrderKey) {
    before = First_;
  } else if (key >= Last_->OrderKey) {
    before = nullptr;
  } else if (static_cast<int64_t>(key) - First_->OrderKey < static_cast<int64_t>(Last_->OrderKey) - key) {
    // Nearer the front: before the first one whose key is at least the new one.
    before = First_;
    while (before->OrderKey < key) before = before->Next;
  } else {
    // Nearer the back, or as near: after the last one whose key is at most the new one.
    TCanopyParticle* after = Last_;
    while (after->OrderKey > key) after = after->Prev;
    before = after->Next;
  }
  if (before) {
    p->Next = before;
    p->Prev = before->Prev;
    if (before->Prev)
      before->Prev->Next = p;
    else
      First_ = p;
    before->Prev = p;
  } else {
    p->Prev = Last_;
    Last_->Next = p;
    Last_ = p;
  }
}

void TCanopyParticles::Unlink(TCanopyParticle* p) {
  if (p->Prev)
    p->Prev->Next = p->Next;
  else
    First_ = p->Next;
  if (p->Next)
    p->Next->Prev = p->Prev;
  else
    Last_ = p->Prev;
  p->Prev = p->Next = nullptr;
  p->Owner = nullptr;
  --Count_;
}

void TCanopyParticles::Update() {
  const bool frontToBack = NextRandom() < 0.5;
  TCanopyParticle* p = frontToBack ? First_ : Last_;
  while (p) {
    TCanopyParticle* following = frontToBack ? p->Next : p->Prev;
    p->Move();
    ++p->Age;
    if (p->Age >= p->Life) {
      Unlink(p);
      delete p;
    }
    p = following;
  }
}

void TCanopyParticles::Render() {
  if (!Canvas || !Images) return;
  const TSize screen = CanvasScreenSize(*Canvas);
  for (TCanopyParticle* p = First_; p; p = p->Next) p->Render(*Canvas, *Images, screen);
}

void TCanopyParticles::Clear() {
  TCanopyParticle* p = First_;
  while (p) {
    TCanopyParticle* next = p->Next;
    delete p;
    p = next;
  }
  First_ = Last_ = nullptr;
  Count_ = 0;
}
