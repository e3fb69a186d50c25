// The level editor's tool tips: the icon buttons of the editor bar say what
// they are when the cursor rests on one for half a second.
#pragma once

#include <cstdint>
#include <string>

#include "layout/ControlNames.h"

class TGuiBase;
class TCanopyCanvas;
class TCanopyFont;

class TToolTips {
 public:
  // Ticks the cursor must rest on a button before its tip shows.
  static constexpr int kRestTicks = 60;

  // The tip of an icon button of the bar, "" for any other control.
  static std::string TextOf(TControlName button);

  // Once a frame: the cursor at (x, y) at tick `tick` (a count that rises
  // by one each tick), the left button held or not. A press hides the tip
  // until the cursor rests again.
  void Track(TGuiBase& gui, int x, int y, int64_t tick, bool held);
  void Hide();
  // The tip on screen now, "" for none.
  const std::string& Shown() const { return Shown_; }
  // Draws the tip above the cursor.
  void Draw(TCanopyCanvas& canvas, TCanopyFont* font) const;

 private:
  int Over_ = -1;  // the button under the cursor (a TControlName), -1 none
  int64_t Since_ = 0;
  int X_ = 0, Y_ = 0;
  std::string Shown_;
};
