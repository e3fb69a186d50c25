#include "screens/StoryScreens.h"

#include "board/Board.h"
#include "engine/render/Fonts.h"
#include "engine/sprites/SpriteEngine.h"
#include "magic/Magic.h"
#include "screens/HistorySprites.h"
#include "screens/Menus.h"
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
    {2, 8, 500, "In the time of the ancient Arvanels, in a faraway place..."},
    {9, 13, 500, "It was a time of peace, when everyone was happy and content."},
    {15, 18, 500, "But one day, something terrible happened!"},
    {19, 22, 500, "Something that could change everyone\x92s destiny forever!"},
    {25, 28, 500, "The \"Book of the Arvanels\" has been stolen\x85"},
    {28, 32, 500, "A secret book holding the most powerful potions of Arvanel magic."},
    {35, 39, 500, "Four ancient Arvanels set out on a quest to rescue the magic book\x85"},
    {35, 39, 550, "The Arvanels of Fire, Forest, Water and Mountain."},
    {39, 46, 500, "It\x92s your mission to help them find the stolen book..."},
    {39, 46, 550, "...along the trail the thief left behind, to the dark castle..."},
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
  // A click skips the story (from its first second to its last two): a
  // quiet line in the corner says so.
  const std::string skip = "Click to skip";
  float skipX = 700;
  if (TCanopyFont* f = Game.Fonts.Items(1)) {
    f->Scale = 1.0;
    skipX = 786.0f - static_cast<float>(f->TextWidth(skip));
  }
  THistoryText* hint = AddHistoryText(Game, skip, 1, kStoryTicks / 120 - 2, 578, ssStory, 1, skipX);
  hint->Color1 = 0xFFB0C8B8;
  hint->Color2 = 0xFF708878;
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

void TStoryScreens::MapEscape() {
  if (Game.ScreenState != ssMap) return;
  if (Game.LevelStartRequested) {
    // The map's pictures see the new state and go at their next tick.
    Game.LevelStartRequested = false;
    Game.FadeLevel = 0;
    Game.BeginLevelPlay();
    Game.StopGameMusic("MapMusic");
    Game.Menus->OpenQuitMenu();
    return;
  }
  Game.PlayGameSound("menu-select.ogg");
  Game.StopGameMusic("MapMusic");
  Game.SaveProgress();
  Game.QuitToMainMenu();
}

void TStoryScreens::ShowGameOver() {
  // The picture fades in over four seconds, then stays; the words come with it.
  AddHistoryPicture(Game, "gameover.image", 0, 4, 0, 999999, ssGameOver, 271, 100);
  AddHistoryPicture(Game, "gameover.image", 4, 1000, 1, 1, ssGameOver, 271, 100);
  // The two words stand either side of the picture's cracked seal (its
  // middle at x 400, 28 pixels round), each the same way clear of it.
  constexpr float kSealX = 400, kSealRadius = 28, kGap = 16;
  float gameWidth = 80;
  if (TCanopyFont* f = Game.Fonts.Items(0)) {
    f->Scale = 1.0;
    gameWidth = static_cast<float>(f->TextWidth("GAME"));
  }
  AddHistoryText(Game, "GAME", 4, 1000, 300, ssGameOver, 0, kSealX - kSealRadius - kGap - gameWidth);
  AddHistoryText(Game, "OVER", 4, 1000, 300, ssGameOver, 0, kSealX + kSealRadius + kGap);
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
  AddHistoryText(Game, "The Arvanels captured the thief and recovered the lost book.", 3, 15, 500, ssEnding);
  AddHistoryText(Game, "The evil has now been defeated.", 15, 22, 500, ssEnding);
  Game.PlayGameMusic("GameHistoryMusic", true);
}
