// The credits: 38 lines that roll up the screen after the game, and the same
// lines (but the studio's last three) in a frame beside the main menu. Where
// each line stands and its font and colours are fixed here; the words come
// from the credits file "data/credits.txt".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/render/CanopyTypes.h"

class TScreenHost;
class TSprite;

constexpr int kCreditsLines = 38;

struct TCreditsLine {
  int MenuY = 0;  // in the roll over the menu
  int EndY = 0;   // in the roll after the game (which starts 150 pixels lower)
  int Font = 1;
  TColor Top = 0, Bottom = 0;
  bool EndOnly = false;  // shown only after the game
  const char* FixedText = nullptr;  // a heading whose words are the game's
};

// The 38 lines in roll order.
const std::vector<TCreditsLine>& CreditsLayout();

// Reads the words of the credits from a credits file (one "line" a line, 38
// of them, headings in their places). Throws DataError naming the file and
// line of a mistake. Words are returned in the game's 8-bit text.
std::vector<std::string> LoadCreditsTexts(const std::string& path);
// The same from the text of a credits file; name stands for the file in messages.
std::vector<std::string> ParseCreditsTexts(const std::string& text, const std::string& name);
// The largest credits file read: 38 short lines fit in a few kilobytes.
constexpr size_t kMaxCreditsFileBytes = 64 * 1024;

class TCredits {
 public:
  explicit TCredits(TScreenHost& game);

  // Reads the credits file; false with the reason in error.
  bool Load(const std::string& path, std::string& error);
  const std::vector<std::string>& Texts() const { return Texts_; }

  // The last level of a pack without an ending is won: a message tells the
  // player the pack is done, with the score, and that only the story
  // journey's timed games enter the hiscores; "Continue" rolls the credits.
  void ShowPackComplete();
  void PackCompleteContinue();
  // The roll after the game; a click after its first second leads to the
  // hiscores.
  void ShowEndCredits();
  void EndCreditsClick();
  // The roll beside the menu, started from the options, and its back button.
  void ShowMenuCredits();
  void EndMenuCredits();
  // Every line of the running roll has gone by: the roll is over and says
  // how to go on. The screens draw that prompt with DrawEndPrompt; over the
  // menu a click anywhere then ends the roll as its back button does.
  bool RollOver() const;
  void DrawEndPrompt();

 private:
  void AddLines(uint8_t owner);
  TScreenHost& Game;
  std::vector<std::string> Texts_;
  TSprite* Frame_[2] = {nullptr, nullptr};
};
