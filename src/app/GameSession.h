// The game as a program that drives it sees it (the level bot, tests): made
// by NewGameSession, started with FormCreate, stepped frame by frame, and
// looked into through the interfaces of the floors below. Including this
// instead of Main.h keeps a driver apart from the game object's insides.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/LaunchOptions.h"
#include "automation/Replay.h"
#include "screens/ScreenHost.h"

class TGameSession : public TScreenHost {
 public:
  TGameSession(plat::Platform& platform, const TLaunchOptions& options) : TScreenHost(platform), Options(options) {}

  // Start-up. False when the program must end (ExitCode says how).
  virtual bool FormCreate() = 0;
  // The message loop: events, then one timer frame, until the window closes;
  // answers the program's exit code.
  virtual int Run() = 0;
  // A replay to play instead of live input, set before start-up; false, with
  // the reason, when the replay's save folder cannot be made.
  virtual bool SetReplay(std::unique_ptr<TReplay> replay, std::string& error) = 0;
  // --play: a game of the pack and level of the options, as player "Tester".
  virtual bool StartPlay(std::string& error) = 0;
  // One pass of the loop: events, then one timer frame.
  virtual void RunFrame() = 0;
  // One process tick alone, without events or drawing (tests step play with it).
  virtual void TimerProcess() = 0;
  virtual bool Closing() const = 0;
  // A key went down (a platform key code), and a character was typed;
  // typedIntoField: an edit field of the GUI took the character as text, so
  // it is no command to the game.
  virtual void FormKeyDown(int key) = 0;
  virtual void FormKeyPress(unsigned char ch, bool typedIntoField = false) = 0;
  // The state as JSON: screen, board, player, bar, effects (the state dump).
  virtual std::string DumpState() = 0;
  // The hint bubble closes.
  virtual void CloseHint() = 0;
  // The session so far as a replay ("" while replaying).
  virtual std::string ReplayText() const = 0;
  // The digest of what play has decided: the screen, the board, the player's
  // score, lives and mana, the selection and the random generator.
  virtual uint64_t StateDigest() const = 0;

  TLaunchOptions Options;
  // When set, hears each sound and music request of play as
  // "play:swapback.ogg", "music:play:life", "music:stop:Music3" (tests
  // listen there).
  std::function<void(const std::string&)> OnGameAudio;
  int ExitCode = 0;
  // The device is ready to draw: start-up has reached the first frame.
  bool RenderReady = false;
  // Process ticks run since start-up (the input script's clock).
  int64_t TotalTicks = 0;
  // Frames rendered since start-up.
  int64_t TotalFrames = 0;
};

// A new game object on the platform, not yet started.
std::unique_ptr<TGameSession> NewGameSession(plat::Platform& platform, const TLaunchOptions& options);
