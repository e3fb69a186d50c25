// The slide-show screens around the levels: the opening story, the story map
// before each level, the game-over picture and the ending. Each is built from
// the sprites of HistorySprites.h, timed by the game's ScreenTicks, and ends
// through its pictures or a click.
#pragma once

class TScreenHost;

class TStoryScreens {
 public:
  explicit TStoryScreens(TScreenHost& game);

  // The opening story before a new game of the story pack: 48 seconds of
  // pictures and lines, then the game starts.
  void ShowStory();
  // A click during the story: between its first second and its last two it
  // jumps to the end.
  void StoryClick();
  // The map of the board's level: the marker walks from the level before,
  // and a click after it arrived sets the level up and fades into play.
  void ShowMap();
  void MapClick();
  // Escape on the map. Before the level is started the journey is saved, as
  // by "Save and Quit", and the main menu comes back; while the map fades
  // into the level, the level begins at once with the quit menu open.
  void MapEscape();
  // The sprites of the game-over screen.
  void ShowGameOver();
  // The ending after the story pack's last level; the end credits follow.
  void ShowEnding();

 private:
  TScreenHost& Game;
};
