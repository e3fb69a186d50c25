// Sounds and music that play asks for. The game object hands them to its
// sound manager (once it has started) and gates them by the player's options;
// the parts only say what should sound.
#pragma once

#include <string>

class TGameSound {
 public:
  // A sample by its file name ("swapback.ogg").
  virtual void PlayGameSound(const std::string& file) = 0;
  // A tune by its key ("Music3", "life", "levelcompleted").
  virtual void PlayGameMusic(const std::string& key, bool loop) = 0;
  virtual void StopGameMusic(const std::string& key) = 0;
  virtual void ResumeGameMusic(const std::string& key) = 0;

 protected:
  ~TGameSound() = default;
};
