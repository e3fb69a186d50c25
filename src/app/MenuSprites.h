// Sprites of the main menu screen.
#pragma once

#include "engine/Sprite.h"

// The vines framing the menu board: they sway gently, the top swinging a few
// pixels while the roots stay put.
class TMenuFoliage : public TSprite {
 public:
  explicit TMenuFoliage(TSpriteEngine* engine);
  void Move(float step) override;

 private:
  float Phase_ = 0;
};
