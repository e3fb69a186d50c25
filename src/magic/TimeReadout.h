// The level clock as a player reads it on the in-game bar: the seconds left
// in a plate at the end of the vine's channel, and in the last ten seconds a
// warning (the vine and the digits pulse with each second, and a soft tick
// sounds). In relaxed play, where no clock runs, the channel says so instead.
#pragma once

#include <string>

class TBoard;
class TMagicHost;

// The last seconds that warn: the digits from this down to 0.
constexpr int kClockWarningSeconds = 10;
inline bool ClockWarns(int secondsLeft) { return secondsLeft >= 0 && secondsLeft <= kClockWarningSeconds; }

// Where the plate of the digits stands on the screen (it covers the channel's
// right end, over the vine's tip).
constexpr int kClockPlateLeft = 280, kClockPlateTop = 551, kClockPlateWidth = 56, kClockPlateHeight = 34;

// What the bar shows of the board's clock at this moment.
struct TClockLook {
  int SecondsLeft = 0;  // never below 0
  bool Warning = false;
  // 0..1: the beat of the warning, 1 as each second begins and fading out
  // over the second; 0 without a warning.
  double Pulse = 0;
};
TClockLook ClockLookOf(const TBoard& board);

// The seconds as the plate writes them ("100", "9").
std::string ClockDigits(int secondsLeft);

// Drawing, by the bar: the plate with its digits, and the label of relaxed
// play in the empty channel.
void DrawClockPlate(TMagicHost& game, const TClockLook& look);
void DrawRelaxedLabel(TMagicHost& game);
