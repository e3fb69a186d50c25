#include "pieces/Player.h"

#include "app/Main.h"
#include "app/PlayForms.h"
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
  // The four spell buttons are removed here once the spells exist.
  TBoard& board = game.Board();
  const std::string music = game.CurrentMusic;
  if (!board.LoadLevel()) game.ShowError(board.LastError);
  if (game.ScreenState == ssPlaying) {
    // Setting the level up again draws its music anew. The old tune must stop
    // under its own name, or it would play on unseen by the pause key, which
    // stops the current one.
    game.StopGameMusic(music);
    game.PlayGameMusic(game.CurrentMusic, true);
  }
  // The retry may come from the quit menu: close it.
  if (FormVisible(game.GuiBase1, TControlName::QuitMenu)) {
    ShowForm(game.GuiBase1, TControlName::QuitMenu, false);
    game.PlayGameSound("menu-select.ogg");
  }
  game.DialogOpen = false;
  ShowForm(game.GuiBase1, TControlName::formTimeOver, false);
  board.TimeOver = 0;
}
