// The game controllers SDL knows: opened when they are plugged in (or found
// at start), closed when they are pulled, and their buttons and axes turned
// into the platform's own pad events. Only the platform uses it.
#pragma once

#include <SDL.h>

#include <map>
#include <vector>

#include "platform/Platform.h"

namespace plat {

class SdlControllers {
 public:
  ~SdlControllers();
  // Starts SDL's game-controller part; false (and nothing opened) when it
  // cannot start: the game then plays without pads.
  bool Init();
  // Turns a controller event into pad events; false when ev is none of them.
  bool Translate(const SDL_Event& ev, std::vector<Event>& out);
  int Count() const { return static_cast<int>(Open_.size()); }

 private:
  bool Started_ = false;
  std::map<SDL_JoystickID, SDL_GameController*> Open_;
};

}  // namespace plat
