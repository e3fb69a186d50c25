// The sprites of the timed slide-show screens: pictures and text lines that show
// and fade during a window of the current screen, and remove themselves when
// the screen changes.
#pragma once

#include <cstdint>
#include <string>

#include "engine/Sprite.h"

class Tmain;

class THistoryBackground : public TAnimSprite {
 public:
  explicit THistoryBackground(TSpriteEngine* engine);
  void Move(float step) override;
  void Draw() override;

  int32_t StartSecond = 0;
  int32_t EndSecond = 0;
  uint8_t FadeMode = 1;  // 0 fade in, 1 opaque, 2 fade out
  uint8_t OwnerState = 0;

 private:
  Tmain& Game() const;
};

class THistoryText : public TSprite {
 public:
  explicit THistoryText(TSpriteEngine* engine);
  void Move(float step) override;
  void Draw() override;

  int32_t StartSecond = 0;
  int32_t EndSecond = 0;
  std::string Text;
  TColor Color1 = 0xFF00FFFF;
  TColor Color2 = 0xFF0000FF;
  int32_t FontIndex = 2;
  double FontScale = 1.0;
  uint8_t OwnerState = 0;
  bool Blink = false;

 private:
  Tmain& Game() const;
};

// Creates a picture of a slide show: image at (x, y), shown from second `from` to
// second `to` of the screen, with fade mode and depth.
THistoryBackground* AddHistoryPicture(Tmain& game, const std::string& image, int from, int to, uint8_t fade, int z,
                                      uint8_t owner, float x = 0, float y = 0);
