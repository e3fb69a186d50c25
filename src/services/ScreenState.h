// The current screen: one byte that both the tick and the frame branch on.
#pragma once

#include <cstdint>

enum TScreenState : uint8_t {
  ssSplash = 0,
  ssMainMenu = 1,
  ssPlaying = 2,
  ssUnused = 3,  // never entered
  ssEditor = 4,
  ssEditorTest = 5,
  ssEndCredits = 6,
  ssStory = 7,
  ssMap = 8,
  ssGameOver = 9,
  ssHiscores = 10,
  ssEnding = 11
};

const char* ScreenStateName(uint8_t state);

// A level in play or in the editor's test play: the states in which the board
// runs its rules.
inline bool IsPlayState(uint8_t state) { return state == ssPlaying || state == ssEditorTest; }
