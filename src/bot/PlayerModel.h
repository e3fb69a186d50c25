// The kinds of player the level bot can be. Each is a rule for picking the
// next swap among those the move finder sees, and a thinking time before
// each move; the hand that then moves the mouse is the same for all.
//   expert  weighs every swap on the board and takes the best (1.5-3 s);
//   casual  takes any swap whose lines break or wear down a box or a force
//           field at once, and when there is none any line-making swap
//           (2-4 s);
//   novice  takes any line-making swap (3-6 s).
// All three arm a full pot and cast its spell where it hits the most boxes.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "board/MoveFinder.h"

enum class TPlayerModel : uint8_t { Expert, Casual, Novice };

const char* PlayerModelName(TPlayerModel model);
// "expert", "casual" or "novice"; false for any other word.
bool ParsePlayerModel(const std::string& name, TPlayerModel& model);

// Seconds of thought before each move, drawn evenly between the two.
struct TThinkRange {
  double Min = 1.5, Max = 3.0;
};
TThinkRange DefaultThink(TPlayerModel model);
// "A-B" (seconds, A <= B, both within 0..60) or a single "A"; false when
// the text is no such range.
bool ParseThinkRange(const std::string& text, TThinkRange& range);

// The swaps the player picks among on this grid, every one as likely as the
// others (From is the left or upper cell); empty when no swap makes a line.
std::vector<TLineSwap> ModelChoices(TPlayerModel model, const TBotGrid& grid);

// Draws the player's next swap; false when no swap makes a line.
bool ChooseSwap(TPlayerModel model, const TBotGrid& grid, std::mt19937& rng, TLineSwap& swap);
