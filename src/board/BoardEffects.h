// The board's own effects: the score number that rises from a scoring line,
// and the splinters thrown by a broken box.
#pragma once

#include <cstdint>

#include "engine/render/CanopyTypes.h"
#include "engine/sprites/Sprite.h"

class TGameServices;

// Splinters of a broken wooden box (21) or the chip of an iron box (1),
// thrown from the cell at (x, y).
void EmitBoxParticles(TGameServices& game, float x, float y, bool iron);

// The space kept between two score numbers, across and down: closer than
// that, two numbers read as one.
constexpr int kScoreNumberGapX = 10, kScoreNumberGapY = 2;
// Whether two numbers' boxes stand closer than that.
bool ScoreNumbersCrowd(const TRect& a, const TRect& b);

// A score number that rises one pixel a tick and fades out over 255 ticks.
class TScoreSprite : public TAnimSprite {
 public:
  explicit TScoreSprite(TSpriteEngine* engine);
  void Move(float step) override;
  void Draw() override;

  // Puts the number at (x, y), or as far below that as it takes to clear the
  // numbers still rising there: the lines of a cascade score one after the
  // other, often from the same cells, and numbers drawn over each other are
  // unreadable. All numbers rise alike, so once apart they stay apart.
  void Place(float x, float y);
  // The box the number's text covers at its position.
  TRect TextBox() const;

  int32_t Points = 0;
};
