// The game object: owns every engine component and the game-wide objects, runs
// start-up and shut-down, and drives the fixed-rate loop through the screen
// state. Tests build one with a headless platform; nothing here is global.
// The parts below it reach it only through the interfaces it implements:
// TGameServices (services/), TBoardHost (board/), TMagicHost (magic/),
// TEditorHost (editor/), TScreenHost (screens/) and, for programs that drive
// a game, TGameSession (app/GameSession.h).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/GameSession.h"
#include "app/SoundManager.h"
#include "automation/InputScript.h"
#include "automation/Replay.h"
#include "engine/archive/CPDb.h"
#include "engine/input/Screener.h"
#include "magic/Effects.h"
#include "magic/Magic.h"
#include "players/Player.h"

class TSprite;
class TSpriteEngine;
class TBackground;
class TBoard;
class TMouse;
class TJsonWriter;
class TBoardTab;
class TStartTimings;
class TControls;

class Tmain final : public TGameSession {
 public:
  Tmain(plat::Platform& platform, const TLaunchOptions& options);
  ~Tmain() override;
  Tmain(const Tmain&) = delete;
  Tmain& operator=(const Tmain&) = delete;

  // Start-up. False when the program must end (ExitCode says how).
  bool FormCreate() override;
  // Shut-down; also run by the destructor if start-up succeeded.
  void FormDestroy();
  // The message loop: events, then one timer frame, until the window closes.
  int Run() override;
  // One pass of the loop (tests step the game with it).
  void RunFrame() override;
  void Close() override { Closing_ = true; }
  bool Closing() const override { return Closing_; }

  // Event handlers.
  void CanopyInitialize(bool& success);
  void ImagesCPDbLoad(const std::string& key, bool& accept, std::string& name, TCanopyQuality& quality,
                      TAlphaLevel& alphaLevel);
  void FontsCPDbLoad();
  void TimerTimer();
  void TimerProcess() override;
  void CanopyRender();
  void FormKeyDown(int key) override;
  // typedIntoField: an edit field of the GUI took the character as text; it
  // is then no command to the game.
  void FormKeyPress(unsigned char ch, bool typedIntoField = false) override;
  // A key or pad press on a screen a click leads on from: the frame's
  // Click() sees it as a click.
  bool KeyClick = false;
  void LoadImageIndexes();
  bool LoadMapPoints(std::string& error);

  // Screens.
  void ShowSplash();
  void ShowMainMenu() override;
  void ClearMainMenu() override;
  static int CentreOffset(int inner, int outer);
  // A game of the pack on the board from its first level, or from the level
  // its saved game reached (MainGame.cpp).
  void StartNewGame() override;
  void ContinueGame() override;
  // The opening story before a new game of the story pack, and the map
  // before each level (for now both lead straight on to the level).
  void ShowStory() override;
  void ShowMap() override;
  // The hiscore table, and the entry of the finished story game into it.
  void ShowHiscores() override;
  void RecordHiscore() override;
  // The credits over the menu and their back button; the ending after the
  // story's last level, and the credits after the game.
  void ShowCredits() override;
  void EndMenuCredits() override;
  void ShowEnding() override;
  void ShowEndCredits() override;
  void ShowPackComplete() override;
  // Full screen on or off; false when the window system refused.
  bool SetFullScreen(bool fullScreen) override;
  // Once a frame: full screen that the window system took back after all is
  // told to the player, and the options' box no longer claims it.
  void WatchFullScreen();
  void FullScreenRefused();
  // A short message at the foot of the screen for a few seconds, over every
  // screen (StatusLine.cpp).
  void ShowStatusLine(const std::string& text);
  void DrawStatusLine();
  const std::string& StatusLine() const;

  // The player's files (MainProfile.cpp): the options file, read once at
  // start-up (switching to full screen as it says), and the progress of the
  // current player in the pack on the board and the current mode. Failures
  // to write are told to the player; reads of missing or damaged files fall
  // back to the defaults.
  void LoadConfig();
  void SaveConfig() override;
  void SaveProgress() override;
  void LoadProgress() override;
  // The pack the board stands in ("" before one is chosen).
  std::string CurrentPack() const;

  // The program's folder joined with a relative path ("data/interface.gui").
  std::string ProgramPath(const std::string& relative) const override;
  // The folder under which a level pack lies: the player's folder for packs
  // made in the editor (and new ones), the program's for shipped packs.
  std::string PackHome(const std::string& pack) const override;
  // The player's folder joined with a relative path ("arvanels.cfg").
  std::string SavePath(const std::string& relative) const override;
  // An error the player must see: a message box, or standard error when headless.
  void ShowError(const std::string& text) override;
  // Ends drawing for good after a fatal error; the message is shown and the
  // program closes.
  void FatalError(const std::string& text) override;

  // Automation.
  void RunScriptCommands();
  // One command of a script or a replay: its events go to the game.
  void RunScriptCommand(const TScriptCommand& c);
  bool ScriptPictureDueBy(int64_t tick) const;

  // Replays (MainReplay.cpp). Every session is recorded; a replay set before
  // start-up is played instead of live input, and Run then answers 1 when
  // its end differs from the recording's.
  // False, with the reason, when the replay's save folder cannot be made.
  bool SetReplay(std::unique_ptr<TReplay> replay, std::string& error) override;
  bool Replaying() const { return Replay_ != nullptr; }
  // The digest of what play has decided: the screen, the board, the player's
  // score, lives and mana, the selection and the random generator; and the
  // same in words.
  uint64_t StateDigest() const override;
  std::string StateSummary() const;
  // The session so far as a replay ("" while replaying).
  std::string ReplayText() const override;
  // replays/last.replay under the save folder (the older ones move up to
  // last-4.replay), and the --record file.
  void SaveSessionReplay();
  // F9: the replay so far under a name with the date and time; its name
  // shows for two seconds.
  void SaveReplaySnapshot();
  void DrawReplayNotice();
  std::string DumpState() override;
  bool WriteDump(const std::string& path);

  // Reads a picture of the main archive into the full-screen picture with the
  // given pattern size ("mainscreen.jpg" 1024 x 1024, "world3.jpg" 512 x 512).
  bool LoadBackground(const std::string& file, int width, int height);
  // Draws the full-screen picture at (0, 0), or stretched over the screen.
  void DrawBackground(bool stretched);

  // Singletons: created on first use; freeing clears the reference so the next
  // use creates a fresh one.
  TBackground& Background() override;
  void FreeBackground();
  bool HasBackground() const override { return Background_ != nullptr; }
  TSpriteEngine& SpriteEngine() override;
  void FreeSpriteEngine();
  bool HasSpriteEngine() const override { return SpriteEngine_ != nullptr; }
  // The board, the cursor sprite, the player and the explosion manager
  // (MainBoard.cpp). The board and the cursor are sprites owned by the sprite
  // engine; their destructors clear the reference.
  TBoard& Board() override;
  TBoard* BoardIfAny() const override { return Board_; }
  void FreeBoard() override;
  TMouse& Mouse() override;
  TMouse* MouseIfAny() const override { return Mouse_; }
  void FreeMouse();
  void SpriteSingletonGone(const TSprite* sprite) override;
  TPlayer& Player() override;
  bool HasPlayer() const override { return Player_ != nullptr; }
  void FreePlayer();
  TParticleExplosions& Explosions() override;
  void FreeExplosions();
  // The in-game bar, the spell buttons and the spells (magic/Magic.h).
  TMagic& Magic() override;

  // Sounds and music asked for by play, handed to Sound once it has started
  // (OnGameAudio hears each request).
  void PlayGameSound(const std::string& file) override;
  void PlayGameMusic(const std::string& key, bool loop) override;
  void StopGameMusic(const std::string& key) override;
  void ResumeGameMusic(const std::string& key) override;
  // Makes the picture (for example "world3.jpg") the full-screen background.
  void LoadLevelBackground(const std::string& picture) override;

  // Level play.
  void BeginLevelPlay() override;
  void FreeGameObjects() override;
  // Leaves the game for the main menu: the board and the bar are freed, the
  // explosions cleared, the pause lifted and the level music stopped.
  void QuitToMainMenu() override;
  // The last life is gone: frees the game objects and shows the game-over
  // screen.
  void GameOverStep() override;
  // Binds the buttons of the forms that play opens ("nlNext",
  // "HelpGuiContinue", "btTryAgain").
  void BindPlayControls() override;
  // One tick of the end-of-level tally (Tally.cpp).
  void TallyStep();
  // The hint bubble and the tutorial's chain of hints (Hints.cpp).
  void ShowHint(int x, int y, const std::string& text) override;
  void CloseHint() override;
  void TutorialStep();
  void DrawHintPointer();
  // The glow on the first hint's swap partner.
  void DrawHintSwapGlow();
  // The frame of a level in play or in test play (MainLoop.cpp).
  void DrawPlay();
  // Hides the board under a dark panel (the pause, the quit menu).
  void CoverBoard();
  // "TIME OVER" or "NO MORE MOVES LEFT" and the prompt under it, over the
  // board.
  void DrawNotice(const std::string& headline, const std::string& prompt);
  // --play: a game of the pack and level of the options, as player "Tester".
  bool StartPlay(std::string& error) override;
  // Parts of the process tick that drive the board.
  void IdleCheck();
  void LevelClockTick();
  void BoardSteps();
  void DeveloperKey(unsigned char ch);
  void DumpBoardAndPlayer(TJsonWriter& j);
  void DumpScreens(TJsonWriter& j);

  // The game object's side of the board's, the magic's and the editor's
  // interfaces (MainBoard.cpp).
  void FreeSpellButtons() override;
  void CastSpell(int row, int col, int element) override;
  void AddExplosion(int effect, float x, float y) override;
  void SendManaToPot(int element, double x, double y) override;
  void EditorPaintAt(TBoardTab& tab) override;
  const std::string& Home() const override { return Options.Home; }
  const std::string& SaveHome() const override { return Options.SaveHome; }

  // The engine components of the form that play does not reach (the rest
  // are in TEngineParts).
  TCPDb CPDb1;
  TCPDb CPDb2;
  TCanopyScreener CanopyScreener1;
  SoundManager Sound;

  // Game-wide state of the game object alone (the shared state is in
  // TGameState and TScreenHost).
  bool DebugOverlay = false;
  int32_t SortTicks = 0;
  // The point the hint bubble explains, and where its pointer leaves it:
  // 0 the left end of its bottom edge, 1 the middle, 2 the right end.
  int32_t HintX = 0, HintY = 0;
  uint8_t HintPointerSide = 0;
  // The first hint's whole swap: the neighbour to swap the piece under its
  // point with glows while the bubble is up (column 0: no glow).
  int32_t HintSwapCol = 0, HintSwapRow = 0;
  TSprite* MenuFoliage = nullptr;

 private:
  void DispatchEvent(const plat::Event& e);
  // Lets go of every pad button and axis held, as events.
  void ReleasePad();
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
  // A press of the left button this frame, or a key or pad press that
  // works as one (KeyClick).
  bool Click();

  // Declared before the sprite engine so that they outlive its sprites.
  TBoard* Board_ = nullptr;
  TMouse* Mouse_ = nullptr;
  std::unique_ptr<TControls> Controls_;
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
  bool FullScreenWanted_ = false;    // full screen was asked for and granted
  std::string StatusLine_;           // the message at the foot of the screen
  int64_t StatusLineUntil_ = 0;      // the tick it goes at
  int LastMouseX_ = 0, LastMouseY_ = 0;  // the last position the window reported
  int ScriptX_ = 0, ScriptY_ = 0;        // the input script's cursor
  std::unique_ptr<TStartTimings> Timings_;  // GW_TIMINGS=1: start-up and frame timings
};
