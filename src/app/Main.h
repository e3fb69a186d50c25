// The game object: owns every engine component and the game-wide objects, runs
// start-up and shut-down, and drives the fixed-rate loop through the screen
// state. Tests build one with a headless platform; nothing here is global.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "automation/InputScript.h"
#include "app/LaunchOptions.h"
#include "screens/MapPoints.h"
#include "engine/core/Random.h"
#include "automation/Replay.h"
#include "services/ScreenState.h"
#include "app/SoundManager.h"
#include "engine/archive/CPDb.h"
#include "engine/particles/CanopyParticles.h"
#include "engine/render/Canvas.h"
#include "engine/render/Device.h"
#include "engine/render/Fonts.h"
#include "engine/gui/GuiBase.h"
#include "engine/render/Images.h"
#include "engine/input/Input.h"
#include "engine/input/Screener.h"
#include "engine/input/Timer.h"
#include "play/Effects.h"
#include "play/Magic.h"
#include "players/Player.h"
#include "players/SaveGuard.h"
#include "platform/Platform.h"

class TSprite;
class TSpriteEngine;
class TBackground;
class TBoard;
class TMouse;
class TJsonWriter;
class TMenus;
class TPlayerForms;
class TStoryScreens;
class TCredits;
class THiscoreScreen;
class TLevelEditor;
class TStartTimings;

// Indices of the image-index cache, in the order they are looked up.
enum TCachedImage {
  ciNotYouClickHere, ciMouse, ciLevelComplete, ciTabSelection, ciHint, ciIcons, ciParticlesArvanels,
  ciCipo, ciGuiTree, ciGuiFogo, ciGuiGota, ciGuiMontanha, ciMarcadorFinal, ciCount
};

class Tmain {
 public:
  Tmain(plat::Platform& platform, const TLaunchOptions& options);
  ~Tmain();
  Tmain(const Tmain&) = delete;
  Tmain& operator=(const Tmain&) = delete;

  // Start-up. False when the program must end (ExitCode says how).
  bool FormCreate();
  // Shut-down; also run by the destructor if start-up succeeded.
  void FormDestroy();
  // The message loop: events, then one timer frame, until the window closes.
  int Run();
  // One pass of the loop (tests step the game with it).
  void RunFrame();
  void Close() { Closing_ = true; }
  bool Closing() const { return Closing_; }
  int ExitCode = 0;

  // Event handlers.
  void CanopyInitialize(bool& success);
  void ImagesCPDbLoad(const std::string& key, bool& accept, std::string& name, TCanopyQuality& quality,
                      TAlphaLevel& alphaLevel);
  void FontsCPDbLoad();
  void TimerTimer();
  void TimerProcess();
  void CanopyRender();
  void FormKeyDown(int key);
  // typedIntoField: an edit field of the GUI took the character as text; it
  // is then no command to the game.
  void FormKeyPress(unsigned char ch, bool typedIntoField = false);
  void LoadImageIndexes();
  bool LoadMapPoints(std::string& error);

  // Screens.
  void ShowSplash();
  void ShowMainMenu();
  void ClearMainMenu();
  static int CentreOffset(int inner, int outer);
  // A game of the pack on the board from its first level, or from the level
  // its saved game reached (MainGame.cpp).
  void StartNewGame();
  void ContinueGame();
  // The opening story before a new game of the story pack, and the map
  // before each level (for now both lead straight on to the level).
  void ShowStory();
  void ShowMap();
  // The hiscore table, and the entry of the finished story game into it.
  void ShowHiscores();
  void RecordHiscore();
  // The credits over the menu and their back button; the ending after the
  // story's last level, and the credits after the game.
  void ShowCredits();
  void EndMenuCredits();
  void ShowEnding();
  void ShowEndCredits();
  // Full screen on or off; false when the window system refused.
  bool SetFullScreen(bool fullScreen);

  // The player's files (MainProfile.cpp): the options file, read once at
  // start-up (switching to full screen as it says), and the progress of the
  // current player in the pack on the board and the current mode. Failures
  // to write are told to the player; reads of missing or damaged files fall
  // back to the defaults.
  void LoadConfig();
  void SaveConfig();
  void SaveProgress();
  void LoadProgress();
  // The pack the board stands in ("" before one is chosen).
  std::string CurrentPack() const;

  // The program's folder joined with a relative path ("data/interface.gui").
  std::string ProgramPath(const std::string& relative) const;
  // The folder under which a level pack lies: the player's folder for packs
  // made in the editor (and new ones), the program's for shipped packs.
  std::string PackHome(const std::string& pack) const;
  // The player's folder joined with a relative path ("arvanels.cfg").
  std::string SavePath(const std::string& relative) const;
  // An error the player must see: a message box, or standard error when headless.
  void ShowError(const std::string& text);
  // Ends drawing for good after a fatal error; the message is shown and the
  // program closes.
  void FatalError(const std::string& text);

  // Automation.
  void RunScriptCommands();
  // One command of a script or a replay: its events go to the game.
  void RunScriptCommand(const TScriptCommand& c);
  bool ScriptPictureDueBy(int64_t tick) const;

  // Replays (MainReplay.cpp). Every session is recorded; a replay set before
  // start-up is played instead of live input, and Run then answers 1 when
  // its end differs from the recording's.
  // False, with the reason, when the replay's save folder cannot be made.
  bool SetReplay(std::unique_ptr<TReplay> replay, std::string& error);
  bool Replaying() const { return Replay_ != nullptr; }
  // The digest of what play has decided: the screen, the board, the player's
  // score, lives and mana, the selection and the random generator; and the
  // same in words.
  uint64_t StateDigest() const;
  std::string StateSummary() const;
  // The session so far as a replay ("" while replaying).
  std::string ReplayText() const;
  // replays/last.replay under the save folder (the older ones move up to
  // last-4.replay), and the --record file.
  void SaveSessionReplay();
  // F9: the replay so far under a name with the date and time; its name
  // shows for two seconds.
  void SaveReplaySnapshot();
  void DrawReplayNotice();
  std::string DumpState();
  bool WriteDump(const std::string& path);

  // Reads a picture of the main archive into the full-screen picture with the
  // given pattern size ("mainscreen.jpg" 1024 x 1024, "world3.jpg" 512 x 512).
  bool LoadBackground(const std::string& file, int width, int height);
  // Draws the full-screen picture at (0, 0), or stretched over the screen.
  void DrawBackground(bool stretched);

  // Singletons: created on first use; freeing clears the reference so the next
  // use creates a fresh one.
  TBackground& Background();
  void FreeBackground();
  bool HasBackground() const { return Background_ != nullptr; }
  TSpriteEngine& SpriteEngine();
  void FreeSpriteEngine();
  bool HasSpriteEngine() const { return SpriteEngine_ != nullptr; }
  // The board, the cursor sprite, the player and the explosion manager
  // (MainBoard.cpp). The board and the cursor are sprites owned by the sprite
  // engine; their destructors clear the reference.
  TBoard& Board();
  TBoard* BoardIfAny() const { return Board_; }
  void FreeBoard();
  TMouse& Mouse();
  TMouse* MouseIfAny() const { return Mouse_; }
  void FreeMouse();
  void SpriteSingletonGone(const TSprite* sprite);
  TPlayer& Player();
  bool HasPlayer() const { return Player_ != nullptr; }
  void FreePlayer();
  TParticleExplosions& Explosions();
  void FreeExplosions();
  // The in-game bar, the spell buttons and the spells (pieces/Magic.h).
  TMagic& Magic();

  // Sounds and music asked for by play, handed to Sound once it has started.
  // OnGameAudio, when set, hears each request as "play:swapback.ogg",
  // "music:play:life", "music:stop:Music3" (tests listen there).
  void PlayGameSound(const std::string& file);
  void PlayGameMusic(const std::string& key, bool loop);
  void StopGameMusic(const std::string& key);
  void ResumeGameMusic(const std::string& key);
  std::function<void(const std::string&)> OnGameAudio;
  // Makes the picture (for example "world3.jpg") the full-screen background.
  void LoadLevelBackground(const std::string& picture);

  // Level play.
  void BeginLevelPlay();
  void FreeGameObjects();
  // Leaves the game for the main menu: the board and the bar are freed, the
  // explosions cleared, the pause lifted and the level music stopped.
  void QuitToMainMenu();
  // The last life is gone: frees the game objects and shows the game-over
  // screen.
  void GameOverStep();
  // Binds the buttons of the forms that play opens ("nlNext",
  // "HelpGuiContinue", "btTryAgain").
  void BindPlayControls();
  // One tick of the end-of-level tally (Tally.cpp).
  void TallyStep();
  // The hint bubble and the tutorial's chain of hints (Hints.cpp).
  void ShowHint(int x, int y, const std::string& text);
  void CloseHint();
  void TutorialStep();
  void DrawHintPointer();
  // The frame of a level in play or in test play (MainLoop.cpp).
  void DrawPlay();
  // "TIME OVER" or "NO MORE MOVES LEFT" and the prompt under it, over the
  // board.
  void DrawNotice(const std::string& headline, const std::string& prompt);
  // --play: a game of the pack and level of the options, as player "Tester".
  bool StartPlay(std::string& error);
  // Parts of the process tick that drive the board.
  void IdleCheck();
  void LevelClockTick();
  void BoardSteps();
  void DeveloperKey(unsigned char ch);
  void DumpBoardAndPlayer(TJsonWriter& j);
  void DumpScreens(TJsonWriter& j);

  plat::Platform& Platform;
  TLaunchOptions Options;

  // Engine components.
  TCanopyDevice Canopy;
  TCanopyCanvas Canvas;
  TCanopyTimer Timer;
  TCanopyImages Images;
  TCanopyImages ImagesParticles;
  // The break particles of boxes: splinters and chips.
  TCanopyParticles Particles;
  TCanopyFonts Fonts;
  TGuiBase GuiBase1;
  TCanopyKeyboard aKeyboard;
  TCanopyMouse aMouse;
  TCPDb CPDb1;
  TCPDb CPDb2;
  TCanopyScreener CanopyScreener1;
  TRandom Random;
  // The random numbers of the particle effects: kept apart from the game's so
  // that what play draws never depends on how many particles flew.
  TRandom EffectRandom;
  SoundManager Sound;
  // The menus and the player forms (Menus.h, PlayerForms.h), the story
  // screens (StoryScreens.h), the credits (Credits.h) and the hiscore table
  // (HiscoreScreen.h).
  std::unique_ptr<TMenus> Menus;
  std::unique_ptr<TPlayerForms> PlayerForms;
  std::unique_ptr<TStoryScreens> Story;
  std::unique_ptr<TCredits> Credits;
  std::unique_ptr<THiscoreScreen> Hiscores;
  // The level editor (board/LevelEditor.h).
  std::unique_ptr<TLevelEditor> Editor;

  // Game-wide state.
  uint8_t ScreenState = ssSplash;
  bool GamePaused = false;
  bool DialogOpen = false;
  bool HintShown = false;
  bool DebugOverlay = false;
  int32_t MouseX = 0, MouseY = 0;
  std::array<int, ciCount> ImageIndexes{};
  std::vector<std::string> LevelPacks;

  bool RenderReady = false;
  int32_t ScreenTicks = 0;
  int32_t IdleCheckTicks = 0;
  int32_t BreakSoundThrottle = 0;
  int32_t StartDelay = 0;
  int32_t SortTicks = 0;
  TMapPoints MapPoints{};  // index 1..110
  double FadeLevel = 0;
  bool RelaxedMode = false;
  std::string CurrentMusic;
  bool SkipTally = false;
  bool CreditsRunning = false;
  bool MapArrived = false;
  bool LevelStartRequested = false;
  bool GameOverClickable = false;
  // The point the hint bubble explains, and where its pointer leaves it:
  // 0 the left end of its bottom edge, 1 the middle, 2 the right end.
  int32_t HintX = 0, HintY = 0;
  uint8_t HintPointerSide = 0;
  bool HiscoresClickable = false;
  TSprite* MenuFoliage = nullptr;
  std::array<TSprite*, 2> CreditsSprites{};

  // The player's files that could not be read: kept aside or never written
  // over (players/SaveGuard.h).
  TSaveGuard Saves;

  // Process ticks run since start-up (the input script's clock).
  int64_t TotalTicks = 0;
  // Frames rendered since start-up.
  int64_t TotalFrames = 0;

 private:
  void DispatchEvent(const plat::Event& e);
  // A script's or a replay's event: queued as if from the window, or, while
  // replaying (live input is shut out), dispatched at once.
  void SendEvent(const plat::Event& e);
  void RunReplayFrame();
  int FinishReplay();
  // Ends a replay that cannot go on, saying why.
  void StopReplay(const std::string& why);
  // The ticks the frame about to run will run (the --ticks limit cuts the last).
  int FrameTicksDue() const;
  // After each tick: a digest every second, recorded or compared.
  void ReplayTick();
  std::string ClipboardForGame();
  void StartRecording();
  void AdvanceProgress();
  void DrawProgress();
  bool Click();

  // Declared before the sprite engine so that they outlive its sprites.
  TBoard* Board_ = nullptr;
  TMouse* Mouse_ = nullptr;
  std::unique_ptr<TPlayer> Player_;
  std::unique_ptr<TParticleExplosions> Explosions_;
  std::unique_ptr<TMagic> Magic_;
  std::unique_ptr<TSpriteEngine> SpriteEngine_;
  std::unique_ptr<TBackground> Background_;
  std::unique_ptr<TInputScript> Script_;
  std::unique_ptr<TReplayRecorder> Recorder_;
  std::unique_ptr<TReplay> Replay_;
  std::string ReplaySaveHome_;       // the replay's own save folder, removed at the end
  int64_t ReplayDivergedAt_ = -1;    // the first tick whose digest differs
  int64_t ReplayMatchedAt_ = -1;     // the last tick whose digest matched
  uint64_t ReplayStartCounter_ = 0;  // the clock when a windowed replay began
  bool ReplayEnded_ = false;         // every frame of the replay has run
  bool ReplayStopped_ = false;       // the window was closed before the end
  std::string ReplayNotice_;         // "Replay saved as ..." after F9
  int64_t ReplayNoticeUntil_ = 0;    // the tick the notice goes at
  bool Closing_ = false;
  bool Created_ = false;
  bool Destroyed_ = false;
  bool DeviceDead_ = false;
  int Progress_ = -1;  // start-up progress; -1 when the start panel is gone
  uint64_t ProgressShownAt_ = 0;
  plat::TextureId LoadingPanel_ = 0;  // the start-up panel's picture, while it shows
  bool LoadingPanelTried_ = false;
  bool PendingRelease_ = false;
  int LastMouseX_ = 0, LastMouseY_ = 0;  // the last position the window reported
  int ScriptX_ = 0, ScriptY_ = 0;        // the input script's cursor
  std::unique_ptr<TStartTimings> Timings_;  // GW_TIMINGS=1: start-up and frame timings
};
