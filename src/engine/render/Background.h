// The full-screen picture: one image that the screens showing a background
// (the main menu, a level's world picture) load and draw under everything.
#pragma once

#include "engine/render/Images.h"

class TBackground : public TCanopyImage {};
