// The game object's way from the main menu into play (a new game or a saved
// one of the pack on the board), and the screens between the menu and the
// levels, which their own classes build.
#include <algorithm>

#include "app/Main.h"
#include "board/Board.h"
#include "screens/Credits.h"
#include "screens/HiscoreScreen.h"
#include "screens/StoryScreens.h"

void Tmain::StartNewGame() {
  ClearMainMenu();
  TBoard& board = Board();
  const std::string pack = board.PackName;
  Player().StartGame(pack == kStoryPackName);
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

void Tmain::ShowStory() { Story->ShowStory(); }

void Tmain::ShowMap() { Story->ShowMap(); }

void Tmain::ShowEnding() { Story->ShowEnding(); }

void Tmain::ShowHiscores() { Hiscores->Show(); }

void Tmain::RecordHiscore() { Hiscores->Record(); }

void Tmain::ShowCredits() { Credits->ShowMenuCredits(); }

void Tmain::EndMenuCredits() { Credits->EndMenuCredits(); }

void Tmain::ShowEndCredits() { Credits->ShowEndCredits(); }

void Tmain::ShowPackComplete() { Credits->ShowPackComplete(); }
