// The game's icon for desktop menus: a tree piece on a rounded green tile,
// drawn at any size from the same drawing as the piece itself.
#pragma once

#include <string>

// Writes a size x size PNG; throws std::runtime_error when it cannot.
void WriteAppIcon(const std::string& path, int size);
