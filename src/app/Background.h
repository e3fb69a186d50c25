// The full-screen picture: the main menu's "mainscreen.jpg" and each level's
// world picture, drawn by the screens that show a background.
#pragma once

#include "engine/Images.h"

class TBackground : public TCanopyImage {};
