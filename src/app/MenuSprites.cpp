#include "app/MenuSprites.h"

#include <cmath>

TMenuFoliage::TMenuFoliage(TSpriteEngine* engine) : TSprite(engine) {
  SetImageName("foliage.image");
  SetX(0);
  SetY(200);
  BlendMode = kBlendAlpha;
  SetDrawMode(3);
  Move(0);
}

void TMenuFoliage::Move(float step) {
  // About one sway every five seconds; corners are absolute positions.
  Phase_ += step * 0.0105f;
  const float sway = 3.0f * std::sin(Phase_);
  const float w = 400, h = 400;
  Corners = {TPoint2{X + sway, Y}, TPoint2{X + w + sway * 0.6f, Y}, TPoint2{X + w, Y + h}, TPoint2{X, Y + h}};
}
