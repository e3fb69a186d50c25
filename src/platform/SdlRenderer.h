// The SDL_Renderer back end of the rendering layer.
#pragma once

#include <memory>
#include <string>

#include <SDL.h>

#include "platform/Platform.h"

namespace plat {

// With a window: draws into a width x height target texture that Present
// scales onto the window (letterboxed, black bars). With window == nullptr:
// a software renderer drawing into a width x height surface; nothing is shown,
// and every run draws the same pixels. Returns nullptr and fills error when SDL
// cannot provide a renderer.
std::unique_ptr<Renderer> CreateSdlRenderer(SDL_Window* window, int width, int height, bool vsync,
                                            std::string& error);

// The largest w x h rectangle of the same shape that fits a windowW x windowH
// window, centred.
SDL_Rect LetterboxRect(int windowW, int windowH, int w, int h);

}  // namespace plat
