// The main menu worked by keys and pad: the entries in their order on the
// picture, then the player sign.
#include "screens/MenuSprites.h"
#include "screens/Menus.h"
#include "screens/ScreenHost.h"

namespace {
constexpr uint8_t kOrder[] = {TMenuButton::kAdventure, TMenuButton::kRelaxed, TMenuButton::kOptions,
                              TMenuButton::kHiscores, TMenuButton::kQuit, TMenuButton::kPlayer};
constexpr int kEntries = static_cast<int>(sizeof(kOrder));
}  // namespace

bool TMenus::MenuKeyMove(int dy) {
  if (Game.ScreenState != ssMainMenu || Game.DialogOpen) return false;
  int at = -1;
  for (int i = 0; i < kEntries; ++i)
    if (kOrder[i] == KeyLit_) at = i;
  if (at < 0)
    at = 0;
  else
    at = (at + (dy < 0 ? kEntries - 1 : 1)) % kEntries;
  KeyLit_ = kOrder[at];
  return true;
}

bool TMenus::MenuKeyPress() {
  if (Game.ScreenState != ssMainMenu || Game.DialogOpen || KeyLit_ < 0) return false;
  // As a click: not before the menu has settled.
  if (Game.ScreenTicks <= 120 || !Buttons_[static_cast<size_t>(KeyLit_)]) return true;
  RequestClick(static_cast<uint8_t>(KeyLit_));
  return true;
}
