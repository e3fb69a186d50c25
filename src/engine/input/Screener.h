// Saves the last presented picture as an image file with an automatically
// numbered name (screen000.jpg, screen001.jpg, ...).
#pragma once

#include <string>

namespace plat {
class Renderer;
}

class TCanopyScreener {
 public:
  std::string FileName = "screen.jpg";
  bool AutoInc = true;
  // The renderer whose last presented picture is captured (null: Capture fails).
  plat::Renderer* Source = nullptr;

  // The name Capture will use: with AutoInc the first free name with a
  // three-digit number before the extension.
  std::string NextFileName() const;
  bool Capture();
  // Saves the picture to a given file name (the input script uses it).
  bool CaptureTo(const std::string& path);
};
