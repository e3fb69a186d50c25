#include "pieces/Player.h"

#include "app/Main.h"
#include "board/Board.h"

int32_t* TPlayer::Mana(int element) {
  switch (element) {
    case 1: return &ManaTree;
    case 2: return &ManaWater;
    case 3: return &ManaFire;
    case 4: return &ManaMountain;
    default: return nullptr;
  }
}

void TPlayer::StartGame(bool storyPack) {
  ClearMana();
  Score = 0;
  Lives = 3;
  // The extra-life threshold starts over with the score; a threshold left
  // from an earlier game would hold back the first extra lives.
  NextLifeScore = kLifeScoreStep;
  for (size_t i = 1; i < TutorialFlags.size(); ++i) TutorialFlags[i] = storyPack ? 2 : 0;
}

void TPlayer::Retry(Tmain& game) {
  game.PlayGameSound("menu-select.ogg");
  if (Lives <= 1) return;
  Lives -= 1;
  Score = LevelStartScore;
  TBoard& board = game.Board();
  if (!board.LoadLevel()) game.ShowError(board.LastError);
  board.TimeOver = 0;
}
