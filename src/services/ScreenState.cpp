#include "services/ScreenState.h"

const char* ScreenStateName(uint8_t state) {
  static const char* const kNames[] = {"splash",  "main_menu",   "playing", "unused", "editor",  "editor_test",
                                       "end_credits", "story", "map",     "game_over", "hiscores", "ending"};
  return state < 12 ? kNames[state] : "unknown";
}
