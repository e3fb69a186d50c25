// What the screens around play ask of the game object: everything the editor
// has (the screens show the board, its pieces and the bar), the screens
// themselves (they open one another: the menus the player forms, the map the
// level), the state that lasts from one screen to the next, and the steps of
// the game that a button or a screen's end starts.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "editor/EditorHost.h"
#include "players/SaveGuard.h"
#include "screens/MapPoints.h"

class TCredits;
class THiscoreScreen;
class TLevelEditor;
class TMenus;
class TPlayerForms;
class TSprite;
class TStoryScreens;

class TScreenHost : public TEditorHost {
 public:
  explicit TScreenHost(plat::Platform& platform);

  // Steps of the game (the game object's own).
  virtual void ClearMainMenu() = 0;
  // A game of the pack on the board from its first level, or from the level
  // its saved game reached.
  virtual void StartNewGame() = 0;
  // The level on the board starts (after the map, or at once).
  virtual void BeginLevelPlay() = 0;
  virtual void ContinueGame() = 0;
  // The opening story before a new game of the story pack.
  virtual void ShowStory() = 0;
  // The hiscore table, and the entry of the finished story game into it.
  virtual void ShowHiscores() = 0;
  virtual void RecordHiscore() = 0;
  // The credits over the menu and their back button.
  virtual void ShowCredits() = 0;
  virtual void EndMenuCredits() = 0;
  // Full screen on or off; false when the window system refused.
  virtual bool SetFullScreen(bool fullScreen) = 0;
  // The player's files: the options, and the progress of the current player
  // in the pack on the board and the current mode.
  virtual void SaveConfig() = 0;
  virtual void SaveProgress() = 0;
  virtual void LoadProgress() = 0;
  // The board, the bar, the cursor and the effects of a game go.
  virtual void FreeGameObjects() = 0;
  // Binds the buttons of the forms that play opens.
  virtual void BindPlayControls() = 0;
  // Ends the program after this frame.
  virtual void Close() = 0;

  // The screens, created at start-up, and the level editor.
  std::unique_ptr<TMenus> Menus;
  std::unique_ptr<TPlayerForms> PlayerForms;
  std::unique_ptr<TStoryScreens> Story;
  std::unique_ptr<TCredits> Credits;
  std::unique_ptr<THiscoreScreen> Hiscores;
  std::unique_ptr<TLevelEditor> Editor;

  // What lasts from one screen to the next.
  // The packs of the pack chooser, in its order.
  std::vector<std::string> LevelPacks;
  TMapPoints MapPoints{};  // index 1..110
  // The fade of the story map's picture.
  double FadeLevel = 0;
  bool CreditsRunning = false;
  bool MapArrived = false;
  bool LevelStartRequested = false;
  bool HiscoresClickable = false;
  bool GameOverClickable = false;
  // The player's files that could not be read: kept aside or never written
  // over this session.
  TSaveGuard Saves;
  // The credits' frame and panel while they roll over the menu.
  std::array<TSprite*, 2> CreditsSprites{};

 protected:
  ~TScreenHost() override;
};

// The game object that owns the engine, for the sprites of the screens.
inline TScreenHost& ScreenHostOf(const TSpriteEngine* engine) { return *static_cast<TScreenHost*>(engine->Owner); }
