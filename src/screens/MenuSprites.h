// Sprites of the main menu screen: the swaying foliage and the seven menu
// buttons, the invisible highlights laid over the words of the menu picture.
#pragma once

#include <cstdint>

#include "engine/sprites/Sprite.h"

class TScreenHost;

// The vines framing the menu board: they sway gently, the top swinging a few
// pixels while the roots stay put.
class TMenuFoliage : public TSprite {
 public:
  explicit TMenuFoliage(TSpriteEngine* engine);
  void Move(float step) override;
  // Drawn as a few level bands, each an upright rectangle shifted by the
  // sway at its height: the same shape to the eye as the leaning quad, but
  // a software renderer copies rectangles many times faster than it fills
  // a slanted shape, and the foliage is redrawn at each pixel of sway.
  void Draw() override;

 private:
  float Phase_ = 0;
};

// A highlight over one entry of the menu picture. It lights up (with one
// sound) while the cursor is over it and acts on a press of the left button.
//   0 Adventure, 1 Relaxed Play, 2 Options, 3 Hiscores, 4 Quit,
//   5 the player sign ("here"), 6 the back button of the credits roll.
class TMenuButton : public TAnimSprite {
 public:
  enum : uint8_t { kAdventure, kRelaxed, kOptions, kHiscores, kQuit, kPlayer, kCreditsBack, kCount };

  TMenuButton(TScreenHost& game, uint8_t kind);
  ~TMenuButton() override;

  void Move(float step) override;
  void Draw() override;
  void OnCollision(TSprite& other) override;

  const uint8_t Kind;

 private:
  // Keeps the hit rectangle on the lit word: its pattern less a 20-pixel
  // margin at the right and the bottom.
  void PlaceHitRect();
  TScreenHost& Game;
};
