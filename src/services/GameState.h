// The game-wide flags and values that the parts of play read and set: what
// screen shows, whether play is held (pause, a dialog, a hint), where the
// mouse is, the tick counters of the screen and of the board's settling, the
// mode, and the tune that plays. They belong to the game object, which
// derives from this; a part sees them through its interface to the game.
#pragma once

#include <cstdint>
#include <string>

#include "services/ScreenState.h"

struct TGameState {
  uint8_t ScreenState = ssSplash;
  bool GamePaused = false;
  // A modal form is open: the level clock, the idle check, the hints and the
  // explosions stand still until it closes.
  bool DialogOpen = false;
  bool HintShown = false;
  int32_t MouseX = 0, MouseY = 0;
  // Ticks since the current screen or phase began.
  int32_t ScreenTicks = 0;
  int32_t IdleCheckTicks = 0;
  // The board's settle countdown: re-armed to 120 whenever something moves.
  int32_t StartDelay = 0;
  // Counts up to 20 between two "break-tab.ogg" of breaking pieces.
  int32_t BreakSoundThrottle = 0;
  bool RelaxedMode = false;
  std::string CurrentMusic;
  // The end-of-level tally is hurried to its end.
  bool SkipTally = false;

  // Whether the level clock runs: relaxed play stands it still, but a test
  // play in the level editor always races it (the mode of the last game
  // played has nothing to do with it).
  bool LevelClockRuns() const { return !RelaxedMode || ScreenState == ssEditorTest; }

 protected:
  TGameState() = default;
  ~TGameState() = default;
};
