// The hiscore table on screen, and the entry of a finished game of the story
// campaign into it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "players/Hiscores.h"

class TScreenHost;

class THiscoreScreen {
 public:
  explicit THiscoreScreen(TScreenHost& game);

  // Enters the player's score; the player's HiscoreRank names the new entry
  // (or -1 when the score did not enter).
  void Record();
  // The table: nine rows (the tenth stays in the file), the game's entry
  // blinking; a click after two seconds returns to the main menu.
  void Show();
  // The table as stored. A missing, short or damaged table is told to the
  // player once and made again from the table the game ships with.
  std::optional<THiscoreTable> ReadTable();
  // The rows on screen now (nine), empty before the table is first shown.
  const std::vector<THiscoreEntry>& ShownRows() const { return Shown_; }

 private:
  TScreenHost& Game;
  std::vector<THiscoreEntry> Shown_;
};
