// The game object's way from the main menu into play: a new game or a saved
// one of the pack on the board, the screens between the menu and the level,
// and the hiscore table reached from the menu.
#include <algorithm>

#include "app/HistorySprites.h"
#include "app/Main.h"
#include "app/Resources.h"
#include "board/Board.h"
#include "engine/Fonts.h"
#include "pieces/Hiscores.h"
#include "pieces/Mouse.h"

namespace {
const char* const kStoryPack = "Game Levels";
}

void Tmain::StartNewGame() {
  ClearMainMenu();
  TBoard& board = Board();
  const std::string pack = board.PackName;
  Player().StartGame(pack == kStoryPack);
  board.InitTiles();
  if (!board.OpenPack(pack) || !board.LoadLevel()) {
    ShowError(board.LastError);
    QuitToMainMenu();
    return;
  }
  SaveProgress();
  aMouse.ClearOnUpdate = false;
  ShowMap();
}

void Tmain::ContinueGame() {
  PlayGameSound("menu-select.ogg");
  ClearMainMenu();
  ScreenState = ssPlaying;
  TBoard& board = Board();
  const std::string pack = board.PackName;
  board.InitTiles();
  if (!board.OpenPack(pack)) {
    ShowError(board.LastError);
    QuitToMainMenu();
    return;
  }
  // A saved level beyond the pack (a pack that lost levels since) resumes on
  // its last level.
  board.LevelNumber = std::clamp(Player().LevelReached, 1, std::max(1, board.LevelCount));
  if (!board.LoadLevel()) {
    ShowError(board.LastError);
    QuitToMainMenu();
    return;
  }
  ShowMap();
  aMouse.ClearOnUpdate = false;
}

void Tmain::ShowStory() {
  // The opening story plays here before a new game of the story pack; until
  // it exists the game starts at once.
  StartNewGame();
}

void Tmain::ShowMap() {
  // The story map shows the way to the level here, and its click sets the
  // level up again and starts it; until the map exists that happens at once.
  TBoard& board = Board();
  if (!board.LoadLevel()) {
    ShowError(board.LastError);
    QuitToMainMenu();
    return;
  }
  Mouse();
  BeginLevelPlay();
}

void Tmain::ShowHiscores() {
  PlayGameSound("menu-select.ogg");
  std::string error;
  std::optional<THiscoreTable> table = ReadHiscoreFile(HiscorePath(Options.Home), error);
  if (!table) {
    ShowError(error);
    return;
  }
  if (TCanopyFont* f = Fonts.Items(4)) f->Interleave = 2.0;
  HiscoresClickable = false;
  if (ScreenState == ssMainMenu) ClearMainMenu();
  ScreenTicks = 0;
  ScreenState = ssHiscores;
  AddHistoryPicture(*this, "hiscore.image", 0, 2, 0, 1, ssHiscores);
  AddHistoryPicture(*this, "hiscore.image", 2, 100, 1, 1, ssHiscores);
  // Nine rows; the tenth entry stays in the file unseen.
  for (int i = 1; i <= 9; ++i) {
    const THiscoreEntry& entry = table->Entries[static_cast<size_t>(i - 1)];
    const bool blink = i == Player().HiscoreRank;
    for (int column = 0; column < 2; ++column) {
      auto* text = new THistoryText(&SpriteEngine());
      text->OwnerState = ssHiscores;
      text->StartSecond = 2;
      text->EndSecond = 100;
      text->SetZ(2);
      text->FontIndex = 4;
      text->FontScale = 1.0;
      text->Color1 = 0xFF40D0FF;
      text->Color2 = 0xFFFFFFFF;
      text->Text = column == 0 ? entry.Name : ZeroPad(entry.Score, 11);
      text->SetX(column == 0 ? 160 : 500);
      text->SetY(static_cast<float>(150 + 35 * i));
      text->Blink = blink;
    }
  }
}

void Tmain::ShowCredits() {
  // The credits roll over the menu comes here; until it exists the button
  // only answers with its sound.
  PlayGameSound("menu-select.ogg");
}

void Tmain::EndMenuCredits() { CreditsRunning = false; }
