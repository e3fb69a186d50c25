// The level bot: a player that plays a level of the real game in process,
// through the same mouse a person uses. Once the last move's lines have
// broken it thinks for a human while (seeded), picks a line-making
// swap among the pieces that have come to rest (board/MoveFinder.h), moves the cursor
// onto the piece, clicks, moves onto the neighbour and clicks again; then it
// watches the board's flags until the level is cleared or the time is over.
// Which swap it picks is the rule of its player model (bot/PlayerModel.h).
// When a pot is full it clicks the spell button and casts the spell where its
// area hits the most boxes and force fields. As a player in a whole game it
// may also try a lost level again and sit through the end-of-level tally
// (TBotSettings); TBotGame (BotGame.h) starts the game once for many runs.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <random>
#include <string>

#include "board/MoveFinder.h"
#include "bot/PlayerModel.h"
#include "platform/Platform.h"

class TGameSession;

struct TBotSettings {
  // How the player picks a swap (bot/PlayerModel.h). Its thinking time is
  // the two fields below, DefaultThink(Player) unless a caller says else.
  TPlayerModel Player = TPlayerModel::Expert;
  // Thinking time before each move, from the moment the last move's lines
  // have broken, drawn evenly between the two (seconds of game time).
  double ThinkMinSeconds = 1.5;
  double ThinkMaxSeconds = 3.0;
  // Frames (1/60 s) between the hand's steps: onto a piece, press, release.
  int HandMinFrames = 5;
  int HandMaxFrames = 9;
  // Seconds the level gives, instead of its own `time` (0: its own). Timing
  // a level: with a long time the run shows how long the player needs.
  int LevelTime = 0;
  // Or, when above 0, the level's own time times this (rounded).
  double LevelTimeScale = 0;
  // Keep the run's replay in the result.
  bool KeepReplay = false;
  // Frames nobody sees (headless, no picture due) skip their drawing and run
  // only what the game decides while drawing: the cursor's place, the spell
  // buttons over full pots, the wooden boxes' glint clock. Only frames of
  // other screens than play are drawn in full. The run goes exactly as with
  // every frame drawn, only faster.
  bool SkipUnseenFrames = false;
  // After time over or "no more moves" click to try again, as a player in a
  // game does (a life each time), instead of ending the run; the run then
  // ends with the win or with the game over.
  bool RetryOnLoss = false;
  // After the win let the end-of-level tally add its bonus (seconds left and
  // mana) to the score, skipping its count with a click once it may be
  // skipped, and end when the button to the next level shows.
  bool PlayTally = false;
  // Play through the keyboard alone (BotKeys.cpp): the arrow keys take the
  // board cursor to the piece, Space picks it, an arrow swaps it; the number
  // keys arm the spells and Space casts them; Space tries a lost level again.
  // The mouse is never moved; Space also hurries the tally.
  bool Keys = false;
};

// What a game carries from level to level.
struct TBotProfile {
  int32_t Score = 0;
  int32_t Lives = 3;
  int32_t NextLifeScore = 100000;
  bool operator==(const TBotProfile&) const = default;
};

struct TBotLevelResult {
  bool Won = false;        // every box broken in time
  bool TimeOver = false;   // the clock ran out
  bool NoMoves = false;    // the game found no move left (a life lost)
  bool Stuck = false;      // the tick limit came first
  int LevelTime = 0;
  int SecondsLeft = 0;     // at the win: LevelTime - ElapsedSeconds
  int Moves = 0;           // swaps the game accepted
  int Refused = 0;         // click pairs that did not lead to a swap
  int Aborted = 0;         // moves given up because the board changed under them
  int Blank = 0;           // looks at a board at rest without any line to make
  int Spells = 0;          // spells armed and aimed
  int BoxesLeft = 0;       // boxes and fields standing at the end
  std::string FinalBoard;  // the board at the end, drawn by DrawBotGrid
  int64_t Ticks = 0;       // process ticks played up to the win or the end
  int Retries = 0;         // lives spent on trying the level again (RetryOnLoss)
  bool GameOver = false;   // the last life ran out (RetryOnLoss)
  TBotProfile Start, End;  // the player as the level began and as it ended
  // Net score of the level (with the tally's bonus under PlayTally), and the
  // extra lives it granted, both counted from its last attempt.
  int32_t ScoreGained() const { return End.Score - Start.Score; }
  int LivesGained() const { return (End.NextLifeScore - Start.NextLifeScore) / 100000; }
  std::string Error;       // the game could not start the level
  std::string Replay;      // the run as a replay, when the settings ask for it
};

class TBotPlayer {
 public:
  TBotPlayer(TGameSession& game, uint32_t seed, const TBotSettings& settings = {});

  // One frame of the bot: looks at the board and, when its hand is due,
  // injects the next mouse event. Call it before each TGameSession::RunFrame.
  void Step();
  // True once the level is won or lost (Result then holds the outcome).
  bool Finished() const { return Finished_; }
  const TBotLevelResult& Result() const { return Result_; }

  // Plays until the level ends or an attempt at it has run maxTicks process
  // ticks.
  const TBotLevelResult& Play(int64_t maxTicks);

 private:
  // A step of the hand. The two presses of a swap first look again: when
  // the board changed under the move, the hand stops and the bot thinks anew.
  enum THandCheck : uint8_t { hcNone, hcFirstPress, hcSwapPress };
  struct THandStep {
    int Frames;  // frames to wait before this step
    plat::Event Event;
    THandCheck Check;
  };
  // No piece breaks and none is on a swap: the board shows what the last
  // move did. Falls and refills may still be on their way.
  bool Calm() const;
  bool MoveStillGood() const;
  void Plan();
  void QueueClick(TCell cell);
  void QueueMove(TCell cell);
  void QueuePress(TCell cell, THandCheck check);
  void QueuePressAt(int x, int y);
  // Time over or "no more moves": the click that tries again (RetryOnLoss).
  void StepLost(bool lifeLost);
  // The tally after the win (PlayTally).
  void StepTally();
  void Finish();
  // What a frame nobody sees still decides (SkipUnseenFrames).
  void UnseenFrame();
  // Arms a full pot's spell, or casts an armed one, at the best target; false
  // when there is no spell to use.
  bool PlanSpell();
  int HandFrames();
  // The keyboard's hand (BotKeys.cpp): a key pressed and let go; the board
  // cursor taken to a cell (shown first if hidden); the picked piece swapped
  // by the arrow towards its neighbour.
  void QueueKey(int key, THandCheck check, int frames);
  void StartKeyPlan();
  void QueueKeyMove(TCell cell);
  void QueueKeyPress(TCell cell, THandCheck check);
  void QueueKeySwap(TCell from, TCell to);
  static int CellX(TCell c) { return 40 * c.Col + 20; }
  static int CellY(TCell c) { return 40 * c.Row + 10; }

  TGameSession& Game_;
  TBotSettings Settings_;
  std::mt19937 Rng_;
  TBotLevelResult Result_;
  bool Finished_ = false;
  std::deque<THandStep> Hand_;
  int HandWait_ = 0;
  int RestFrames_ = 0;    // frames the board has been calm
  int ThinkFrames_ = -1;  // frames of thought before the next move (-1: not drawn yet)
  bool Checking_ = false;  // a swap was clicked: see whether the game took it
  TCell SwapA_{}, SwapB_{};
  const void* PieceA_ = nullptr;
  const void* PieceB_ = nullptr;
  int64_t StartTicks_ = 0;
  int64_t AttemptStartTicks_ = 0;  // the level was last set up (a retry sets it up again)
  int LastLives_ = 0;     // lives and clock as last seen: a drop means a retry
  int LastElapsed_ = 0;
  bool RetryClicked_ = false;  // the click after a loss is on its way
  bool Tallying_ = false;      // won: the tally runs
  bool TallyClicked_ = false;
  bool Injected_ = false;      // an event went to the game for the next frame
  bool FirstFrame_ = true;     // the first frame of the run is drawn in full
  int HandX_ = 0, HandY_ = 0;  // where the last event put the mouse
  TCell KeyCursor_{};          // where the board cursor will be once the queued keys ran
};

// What a spell of the element (1..4) clicked on (col, row) would hit: boxes
// and force fields count most, other pieces a little; 0 when the cell holds
// no piece at rest. And the cell where it is worth most ({0, 0}: nowhere).
int SpellTargetValue(const TBotGrid& grid, int element, int col, int row);
TCell BestSpellTarget(const TBotGrid& grid, int element);

// A grid as text, one line a row: for each cell its tab ('.' no cell, '#'
// edge piece, '_' plain, 'w' wood, 'i' iron, 'b' blue field, 'o' orange
// field) and its piece (k m f t w b p c x, '.' none; upper case while the
// piece moves or breaks).
std::string DrawBotGrid(const TBotGrid& grid);

// Starts the game headless in the program folder `home`, seeded with `seed`,
// straight into a level of a pack as --play does (tutorial hints already
// seen), and lets the bot play it.
TBotLevelResult RunBotOnLevel(const std::string& home, const std::string& pack, int level, uint32_t seed,
                              const TBotSettings& settings = {});

// Lets the bot play the level `game` has just started (as --play does), its
// hand seeded from the run's seed.
TBotLevelResult PlayStartedLevel(TGameSession& game, uint32_t seed, const TBotSettings& settings);
