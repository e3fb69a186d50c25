// A board fixture with the game's form layout loaded and the play buttons
// bound, for the tests of the level flow, the tally and the hints; it also
// writes small level packs into the test's own folder and works the mouse.
#pragma once

#include <string>
#include <vector>

#include "layout/ControlNames.h"
#include "support/BoardFixture.h"

class TGuiForm;

class PlayFixture : public BoardFixture {
 protected:
  void SetUp() override;

  // Level n of a pack, from piece letters and tab digits as in Build ('s' a
  // plain spawn point); cells not given are left out of the file.
  void WriteLevel(const std::string& pack, int n, const std::vector<std::string>& pieces,
                  const std::vector<std::string>& tabs, int levelTime = 100);
  // Opens the pack and sets its level n up, as a game would.
  bool Open(const std::string& pack, int n = 1);

  // The cursor over the centre of a cell (it takes effect at the next tick).
  void Point(int col, int row);
  // The left button's state, as the next frame reads it.
  void Button(bool down);
  // Runs the handler of a button of the layout, as a click on it would.
  void Press(TControlName button);

  TGuiForm* Form(TControlName name);
  bool Visible(TControlName form);
  std::string Text(TControlName label);
};
