// The sprites of the timed slide-show screens: pictures and text lines that show
// and fade during a window of the current screen, and remove themselves when
// the screen changes.
#pragma once

#include <cstdint>
#include <string>

#include "engine/sprites/Sprite.h"

class TScreenHost;

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
  TScreenHost& Game() const;
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

  // Whether a blinking line is hidden at this tick of the screen: a quarter
  // second shown, a quarter second hidden. (Hiding it on every other tick
  // would hide it in every frame, or in none, of a display that draws once
  // every two ticks.)
  static bool BlinkHidden(int32_t ticks) { return (ticks / 30) % 2 == 1; }

 private:
  TScreenHost& Game() const;
};

// The map marker: travels from one point to another over a window of the
// screen, and once there bursts, plays its sound and asks for the click that
// starts the level.
class THistorySprite : public TAnimSprite {
 public:
  explicit THistorySprite(TSpriteEngine* engine);
  void Move(float step) override;

  int32_t StartSecond = 0;
  int32_t EndSecond = 0;
  int32_t FromX = 0, ToX = 0;
  int32_t FromY = 0, ToY = 0;
  int32_t OwnTicks = 0;
  int32_t Duration = 0;

 private:
  TScreenHost& Game() const;
};

// One scrolling line of the credits, over the menu (owner ssMainMenu) or
// after the game (owner ssEndCredits).
class TCreditsText : public TSprite {
 public:
  explicit TCreditsText(TSpriteEngine* engine);
  void Move(float step) override;
  void Draw() override;

  std::string Text;
  TColor Color1 = 0xFF00FFFF;
  TColor Color2 = 0xFF0000FF;
  int32_t FontIndex = 2;
  uint8_t OwnerState = 0;

 private:
  TScreenHost& Game() const;
};

// The title of the story map on a pack other than the story journey: the
// pack's name and " Level Pack!", along the map's top edge (above the
// painted names of the places, and narrow enough to miss the castle in the
// corner). An empty text on the story journey's map, which has none.
constexpr int kMapTitleFont = 2;
constexpr int kMapTitleTop = 10;
constexpr int kMapTitleWidest = 540;
struct TMapTitle {
  std::string Text;
  double Scale = 1.0;
  TRect Box{};
};
TMapTitle MapTitleOf(TScreenHost& game);

// Creates a picture of a slide show: image at (x, y), shown from second `from` to
// second `to` of the screen, with fade mode and depth.
THistoryBackground* AddHistoryPicture(TScreenHost& game, const std::string& image, int from, int to, uint8_t fade, int z,
                                      uint8_t owner, float x = 0, float y = 0);

// Creates a line of a slide show, centred when x is 0.
THistoryText* AddHistoryText(TScreenHost& game, const std::string& text, int from, int to, float y, uint8_t owner,
                             int font = 2, float x = 0, int z = 2);
