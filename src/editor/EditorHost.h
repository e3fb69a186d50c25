// What the level editor asks of the game object: everything of play (the
// editor shows and test-plays levels on the same board), the full-screen
// picture behind the level, and the way back to the main menu.
#pragma once

#include "magic/MagicHost.h"

class TBackground;

class TEditorHost : public TMagicHost {
 public:
  using TMagicHost::TMagicHost;

  // The full-screen picture: created on first use.
  virtual TBackground& Background() = 0;
  virtual bool HasBackground() const = 0;
  virtual void ShowMainMenu() = 0;

 protected:
  ~TEditorHost() override = default;
};
