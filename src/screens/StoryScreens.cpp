#include "screens/StoryScreens.h"

#include "board/Board.h"
#include "engine/sprites/SpriteEngine.h"
#include "magic/Magic.h"
#include "screens/HistorySprites.h"
#include "screens/ScreenHost.h"

namespace {

struct TStoryPicture {
  const char* Image;
  int From, To;
  uint8_t Fade;  // 0 in, 1 opaque, 2 out
  int Z;
};
const TStoryPicture kStoryPictures[] = {
    {"open1-1.image", 0, 2, 0, 0},    {"open1-1.image", 2, 10, 1, 1},   {"open1-2.image", 2, 10, 0, 2},
    {"open1-2.image", 10, 12, 1, 2},  {"open1-2.image", 12, 14, 2, 2},  {"dwatch.image", 14, 16, 0, 2},
    {"dwatch.image", 16, 22, 1, 2},   {"dwatch.image", 22, 24, 2, 2},   {"open-box.image", 24, 26, 0, 2},
    {"open-box.image", 26, 32, 1, 2}, {"open-box.image", 32, 34, 2, 2}, {"abertura.image", 34, 36, 0, 2},
    {"abertura.image", 36, 46, 1, 2}, {"abertura.image", 46, 48, 2, 2},
};

struct TStoryLine {
  int From, To, Y;
  const char* Text;
};
// The apostrophes are typographic right quotes and the "..." of lines 5 and
// 7 single ellipsis characters, in the game's 8-bit text.
const TStoryLine kStoryLines[] = {
    {2, 8, 500, "In the time of the ancient arvanels... In a far away place..."},
    {9, 13, 500, "It was a time of peace, where everything was happy and peaceful"},
    {15, 18, 500, "But some day, a very bad thing happened!"},
    {19, 22, 500, "Something that could change everybody\x92s destiny forever!"},
    {25, 28, 500, "The \"Book of The Arvanels\" have been stolen\x85"},
    {28, 32, 500, "A secret book containing the most powerful Arvanels Magic potions"},
    {35, 39, 500, "Four Ancient arvanels went in a quest to rescue the Magic Book\x85"},
    {35, 39, 550, "The Arvanel of Fire, Forest, Water, and Mountain"},
    {39, 46, 500, "It\x92s your mission to help them to find the stolen book..."},
    {39, 46, 550, "...through the path the thief left behind.. leading to the dark castle..."},
};

constexpr int kStoryTicks = 5760;  // 48 seconds
}  // namespace

TStoryScreens::TStoryScreens(TScreenHost& game) : Game(game) {}

void TStoryScreens::ShowStory() {
  Game.PlayGameSound("menu-select.ogg");
  Game.ClearMainMenu();
  Game.ScreenState = ssStory;
  Game.ScreenTicks = 0;
  for (const TStoryPicture& p : kStoryPictures) AddHistoryPicture(Game, p.Image, p.From, p.To, p.Fade, p.Z, ssStory, 0, 117);
  for (const TStoryLine& l : kStoryLines) AddHistoryText(Game, l.Text, l.From, l.To, static_cast<float>(l.Y), ssStory);
  Game.PlayGameMusic("GameHistoryMusic", true);
}

void TStoryScreens::StoryClick() {
  if (Game.ScreenTicks <= 120 || Game.ScreenTicks >= kStoryTicks - 240) return;
  Game.ScreenTicks = kStoryTicks;
  Game.StopGameMusic("GameHistoryMusic");
}

void TStoryScreens::ShowMap() {
  Game.PlayGameMusic("MapMusic", true);
  Game.MapArrived = false;
  Game.LevelStartRequested = false;
  Game.FadeLevel = 255.0;
  Game.ScreenState = ssMap;
  // The screen before goes at once: its sprites see the new state.
  Game.SpriteEngine().MoveAll(1.0f);
  Game.SpriteEngine().CollectDead();
  AddHistoryPicture(Game, "mapa-correto.image", 0, 10000000, 1, 999999, ssMap);
  auto* marker = new THistorySprite(&Game.SpriteEngine());
  marker->SetImageName("mapa-arvanel.image");
  marker->SetZ(9999999);
  marker->StartSecond = 0;
  marker->EndSecond = 2;
  const int level = Game.BoardIfAny() ? Game.BoardIfAny()->LevelNumber : 1;
  // Levels beyond the points of the map put the marker off the screen; the
  // map still starts them.
  auto point = [&](int k) { return k >= 1 && k <= 110 ? Game.MapPoints[static_cast<size_t>(k)] : TMapPoint{}; };
  const TMapPoint to = point(level);
  const TMapPoint from = level > 1 ? point(level - 1) : to;
  marker->FromX = from.X - 15;
  marker->FromY = from.Y - 20;
  marker->ToX = to.X - 15;
  marker->ToY = to.Y - 20;
  marker->SetX(static_cast<float>(marker->FromX));
  marker->SetY(static_cast<float>(marker->FromY));
  Game.ScreenTicks = 0;
}

void TStoryScreens::MapClick() {
  if (!Game.MapArrived || Game.LevelStartRequested) return;
  TBoard& board = Game.Board();
  if (!board.LoadLevel()) {
    Game.ShowError(board.LastError);
    Game.QuitToMainMenu();
    return;
  }
  Game.LevelStartRequested = true;
  Game.Magic().Bar();
}

void TStoryScreens::ShowGameOver() {
  // The picture fades in over four seconds, then stays; the words come with it.
  AddHistoryPicture(Game, "gameover.image", 0, 4, 0, 999999, ssGameOver, 271, 100);
  AddHistoryPicture(Game, "gameover.image", 4, 1000, 1, 1, ssGameOver, 271, 100);
  AddHistoryText(Game, "GAME          OVER", 4, 1000, 300, ssGameOver, 0);
}

void TStoryScreens::ShowEnding() {
  const TBoard* board = Game.BoardIfAny();
  if (board && board->PackName == kStoryPackName && !Game.RelaxedMode) Game.RecordHiscore();
  Game.FreeGameObjects();
  for (int i = 1; i <= 9; ++i) Game.StopGameMusic("Music" + std::to_string(i));
  Game.ScreenTicks = 0;
  Game.ScreenState = ssEnding;
  AddHistoryPicture(Game, "zeradojogo.image", 0, 3, 0, 1, ssEnding, 0, 117);
  AddHistoryPicture(Game, "zeradojogo.image", 3, 20, 1, 1, ssEnding, 0, 117);
  AddHistoryText(Game, "The Arvanels captured the thief, recovering the lost book.", 3, 15, 500, ssEnding);
  AddHistoryText(Game, "the evil has now been defeated.", 15, 22, 500, ssEnding);
  Game.PlayGameMusic("GameHistoryMusic", true);
}
