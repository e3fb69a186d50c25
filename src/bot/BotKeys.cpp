// The level bot's keyboard hand: what a player without a mouse presses.
#include <algorithm>

#include "app/GameSession.h"
#include "board/Board.h"
#include "board/BoardCursor.h"
#include "bot/BotPlayer.h"

void TBotPlayer::QueueKey(int key, THandCheck check, int frames) {
  plat::Event e;
  e.Type = plat::EventType::KeyDown;
  e.Key = key;
  Hand_.push_back({frames, e, check});
  e.Type = plat::EventType::KeyUp;
  Hand_.push_back({1, e, hcNone});
}

void TBotPlayer::StartKeyPlan() {
  // A fresh plan starts from where the frame is (a new board puts it back
  // in the middle); a hidden frame is shown by the first arrow, which does
  // not move it.
  const TBoard* board = Game_.BoardIfAny();
  const TBoardCursor* cursor = board ? board->Cursor : nullptr;
  if (!cursor) return;
  KeyCursor_ = {cursor->Col, cursor->Row};
  if (!cursor->Shown()) QueueKey(plat::vkRight, hcNone, HandFrames());
}

void TBotPlayer::QueueKeyMove(TCell cell) {
  // Arrows are tapped quicker than a mouse is aimed: a few frames apart.
  const int quick = std::max(2, HandFrames() / 3);
  while (KeyCursor_.Col != cell.Col) {
    const bool right = cell.Col > KeyCursor_.Col;
    QueueKey(right ? plat::vkRight : plat::vkLeft, hcNone, quick);
    KeyCursor_.Col += right ? 1 : -1;
  }
  while (KeyCursor_.Row != cell.Row) {
    const bool down = cell.Row > KeyCursor_.Row;
    QueueKey(down ? plat::vkDown : plat::vkUp, hcNone, quick);
    KeyCursor_.Row += down ? 1 : -1;
  }
}

// Space and the swapping arrow follow the last step at once, as the hand is
// already on the keys.
void TBotPlayer::QueueKeyPress(TCell, THandCheck check) {
  QueueKey(plat::vkSpace, check, std::max(2, HandFrames() / 2));
}

void TBotPlayer::QueueKeySwap(TCell from, TCell to) {
  int key = plat::vkRight;
  if (to.Col < from.Col) key = plat::vkLeft;
  if (to.Row < from.Row) key = plat::vkUp;
  if (to.Row > from.Row) key = plat::vkDown;
  QueueKey(key, hcSwapPress, std::max(2, HandFrames() / 2));
}
