#include "bot/BotPlayer.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "app/GameSession.h"
#include "board/Board.h"
#include "board/BoardTab.h"
#include "board/GameSprite.h"
#include "board/Mouse.h"
#include "layout/PlayForms.h"
#include "magic/Magic.h"
#include "players/Player.h"

TBotPlayer::TBotPlayer(TGameSession& game, uint32_t seed, const TBotSettings& settings)
    : Game_(game),
      Settings_(settings),
      Rng_(seed),
      StartTicks_(game.TotalTicks),
      AttemptStartTicks_(game.TotalTicks),
      LastLives_(game.HasPlayer() ? game.Player().Lives : 0) {
  if (game.HasPlayer()) {
    const TPlayer& player = game.Player();
    Result_.Start = {player.Score, player.Lives, player.NextLifeScore};
    Result_.End = Result_.Start;
  }
}

void TBotPlayer::Finish() {
  Finished_ = true;
  if (Game_.HasPlayer()) {
    const TPlayer& player = Game_.Player();
    Result_.End = {player.Score, player.Lives, player.NextLifeScore};
  }
}

int TBotPlayer::HandFrames() {
  const int most = std::max(Settings_.HandMinFrames, Settings_.HandMaxFrames);
  return std::uniform_int_distribution<int>(Settings_.HandMinFrames, most)(Rng_);
}

void TBotPlayer::QueueMove(TCell cell) {
  if (Settings_.Keys) {
    QueueKeyMove(cell);
    return;
  }
  plat::Event e;
  e.Type = plat::EventType::MouseMove;
  e.X = CellX(cell);
  e.Y = CellY(cell);
  Hand_.push_back({HandFrames(), e, hcNone});
}

void TBotPlayer::QueuePress(TCell cell, THandCheck check) {
  if (Settings_.Keys) {
    QueueKeyPress(cell, check);
    return;
  }
  plat::Event e;
  e.X = CellX(cell);
  e.Y = CellY(cell);
  e.Button = 0;
  e.Type = plat::EventType::MouseDown;
  Hand_.push_back({HandFrames(), e, check});
  e.Type = plat::EventType::MouseUp;
  Hand_.push_back({HandFrames(), e, hcNone});
}

void TBotPlayer::QueuePressAt(int x, int y) {
  plat::Event e;
  e.Type = plat::EventType::MouseMove;
  e.X = x;
  e.Y = y;
  Hand_.push_back({HandFrames(), e, hcNone});
  e.Button = 0;
  e.Type = plat::EventType::MouseDown;
  Hand_.push_back({HandFrames(), e, hcNone});
  e.Type = plat::EventType::MouseUp;
  Hand_.push_back({HandFrames(), e, hcNone});
}

// What a spell centred on (col, row) is worth: boxes and fields it wears
// down count most, a piece it merely breaks a little (the fall may line
// others up). Only settled pieces are hit.
int SpellTargetValue(const TBotGrid& grid, int element, int col, int row) {
  // The click must land on a piece for the spell to go off.
  const TBotCell& centre = grid.At(col, row);
  if (centre.Kind < 0 || !centre.Settled) return 0;
  const TSpellArea& area = SpellArea(element);
  int value = 0;
  for (int i = 0; i < area.Count; ++i) {
    const int c = col + area.Cells[i].Col, r = row + area.Cells[i].Row;
    if (c < 1 || c > kBoardCols || r < 1 || r > kBoardRows) continue;
    const TBotCell& cell = grid.At(c, r);
    if (cell.Kind < 0 || !cell.Settled) continue;
    switch (cell.Tab) {
      case ttWood: value += 10; break;
      case ttFerro: value += 8; break;
      case ttForceField:
      case ttForceField2: value += 9; break;
      default: value += 1; break;
    }
  }
  return value;
}

TCell BestSpellTarget(const TBotGrid& grid, int element) {
  int best = 0;
  TCell target{};
  for (int r = 1; r <= kBoardRows; ++r) {
    for (int c = 1; c <= kBoardCols; ++c) {
      const int value = SpellTargetValue(grid, element, c, r);
      if (value > best) {
        best = value;
        target = {c, r};
      }
    }
  }
  return target;
}

bool TBotPlayer::PlanSpell() {
  TBoard& board = *Game_.BoardIfAny();
  int element = board.ArmedSpell;
  const TArvanelMagics* button = nullptr;
  if (element == 0) {
    for (int e = 1; e <= 4 && !button; ++e) {
      button = Game_.Magic().ButtonIfAny(e);
      if (button) element = e;
    }
    if (!button) return false;
  }
  const TCell target = BestSpellTarget(TBotGrid::FromBoard(board), element);
  if (target.Col == 0) return false;
  if (button) {
    if (Settings_.Keys)
      QueueKey('0' + element, hcNone, HandFrames());
    else
      QueuePressAt(static_cast<int>(button->X) + 15, static_cast<int>(button->Y) + 15);
    ++Result_.Spells;
  }
  QueueClick(target);
  return true;
}

void TBotPlayer::QueueClick(TCell cell) {
  QueueMove(cell);
  QueuePress(cell, hcNone);
}

bool TBotPlayer::Calm() const {
  const TBoard* board = Game_.BoardIfAny();
  if (!board || board->FadingIn) return false;
  for (int r = 1; r <= kBoardRows; ++r) {
    for (int c = 1; c <= kBoardCols; ++c) {
      const TGameSprite* piece = board->PieceAt(c, r);
      if (!piece) continue;
      if (piece->Dying) return false;
      if (piece->State != PieceState::Idle && !piece->Falling) return false;  // a swap or a swap back
    }
  }
  return true;
}

bool TBotPlayer::MoveStillGood() const {
  const TBoard* board = Game_.BoardIfAny();
  if (!board) return false;
  return board->PieceAt(SwapA_.Col, SwapA_.Row) == PieceA_ && board->PieceAt(SwapB_.Col, SwapB_.Row) == PieceB_ &&
         IsLineSwap(TBotGrid::FromBoard(*board), SwapA_, SwapB_);
}

void TBotPlayer::Plan() {
  RestFrames_ = 0;
  ThinkFrames_ = -1;
  TBoard& board = *Game_.BoardIfAny();
  if (Settings_.Keys) StartKeyPlan();
  // A piece left selected (a click the game refused) is let go first, so the
  // next click cannot swap with it by accident.
  if (TMouse* mouse = Game_.MouseIfAny(); mouse && mouse->HasSelection()) {
    QueueClick({mouse->SelCol, mouse->SelRow});
    return;
  }
  if (PlanSpell()) return;
  TLineSwap m;
  if (!ChooseSwap(Settings_.Player, TBotGrid::FromBoard(board), Rng_, m)) {
    // Nothing lines up among the pieces at rest: look again in a moment.
    ++Result_.Blank;
    ThinkFrames_ = std::uniform_int_distribution<int>(15, 30)(Rng_);
    return;
  }
  const bool flip = std::uniform_int_distribution<int>(0, 1)(Rng_) == 1;
  SwapA_ = flip ? m.To : m.From;
  SwapB_ = flip ? m.From : m.To;
  PieceA_ = board.PieceAt(SwapA_.Col, SwapA_.Row);
  PieceB_ = board.PieceAt(SwapB_.Col, SwapB_.Row);
  QueueMove(SwapA_);
  QueuePress(SwapA_, hcFirstPress);
  if (Settings_.Keys) {
    QueueKeySwap(SwapA_, SwapB_);
    return;
  }
  QueueMove(SwapB_);
  QueuePress(SwapB_, hcSwapPress);
}

void TBotPlayer::StepLost(bool lifeLost) {
  TBoard& board = *Game_.BoardIfAny();
  if (lifeLost) {
    // The level is set up again: a new board, a new clock.
    ++Result_.Retries;
    AttemptStartTicks_ = Game_.TotalTicks;
    Hand_.clear();
    Checking_ = false;
    RetryClicked_ = false;
    RestFrames_ = 0;
    ThinkFrames_ = -1;
    return;
  }
  if (board.TimeOver || board.NoMoves) {
    // "CLICK TO CONTINUE": a click where no cell and no button is.
    if (!RetryClicked_) {
      Hand_.clear();
      Checking_ = false;
      if (Settings_.Keys)
        QueueKey(plat::vkSpace, hcNone, HandFrames());
      else
        QueuePressAt(10, 10);
      RetryClicked_ = true;
    }
  } else if (Hand_.empty()) {
    // With the last life "no more moves" only goes away: play on.
    RetryClicked_ = false;
  }
}

void TBotPlayer::StepTally() {
  if (!Hand_.empty()) return;
  const TBoard* board = Game_.BoardIfAny();
  // The board fades out, then the result form opens with its button to the
  // next level hidden; the button shows once the bonus is in the score.
  if (!board->ResultShown) return;
  if (ButtonVisible(Game_.GuiBase1, TControlName::nlNext)) {
    Finish();
    return;
  }
  // The count may be cut short by a click once the form has been up a second.
  if (!TallyClicked_ && Game_.ScreenTicks > 150) {
    if (Settings_.Keys)
      QueueKey(plat::vkSpace, hcNone, HandFrames());
    else
      QueuePressAt(10, 10);
    TallyClicked_ = true;
  }
}

void TBotPlayer::Step() {
  if (Finished_) return;
  TBoard* board = Game_.BoardIfAny();
  if (!board || Game_.ScreenState != ssPlaying) {
    // The last life ran out: the game is over and the board gone.
    Result_.TimeOver = true;
    Result_.GameOver = true;
    Finish();
    return;
  }
  if (Tallying_) {
    StepTally();
  } else {
    Result_.Ticks = Game_.TotalTicks - StartTicks_;
    Result_.LevelTime = board->Options.LevelTime;
    const TBotGrid grid = TBotGrid::FromBoard(*board);
    Result_.BoxesLeft = grid.BoxCount();
    if (board->Cleared || board->Completed) {
      Result_.Won = true;
      Result_.SecondsLeft = board->Options.LevelTime - board->ElapsedSeconds;
      Result_.FinalBoard = DrawBotGrid(grid);
      // The moves are counted up to the win; the tally's click is no move.
      Hand_.clear();
      Checking_ = false;
      if (Settings_.PlayTally) {
        Tallying_ = true;
      } else {
        Finish();
        return;
      }
    } else {
      // Time over or "no more moves" came up while the button was still held
      // from a click: that press already took the retry, a life, and set the
      // level up again (its clock starts over).
      const int lives = Game_.HasPlayer() ? Game_.Player().Lives : 0;
      const bool lifeLost = lives < LastLives_ || board->ElapsedSeconds < LastElapsed_;
      const bool clockRanOut = LastElapsed_ >= board->Options.LevelTime;
      LastLives_ = lives;
      LastElapsed_ = board->ElapsedSeconds;
      const bool lost = board->TimeOver || board->NoMoves || lifeLost;
      if (lost) {
        Result_.TimeOver = Result_.TimeOver || board->TimeOver != 0 || (lifeLost && clockRanOut);
        Result_.NoMoves = Result_.NoMoves || board->NoMoves != 0 || (lifeLost && !clockRanOut);
      }
      if (lost && !Settings_.RetryOnLoss) {
        Result_.FinalBoard = DrawBotGrid(grid);
        for (const TBotMove& m : FindBotMoves(grid)) {
          if (m.BoxHits <= 0) continue;
          Result_.FinalBoard += "a move over a box was left: (" + std::to_string(m.From.Col) + "," +
                                std::to_string(m.From.Row) + ") with (" + std::to_string(m.To.Col) + "," +
                                std::to_string(m.To.Row) + ")\n";
          break;
        }
        Finish();
        return;
      }
      if (lost || RetryClicked_) StepLost(lifeLost);
    }
  }

  if (Checking_) {
    // The press on the neighbour ran last frame: the game either exchanged
    // the two cells' pieces or refused.
    Checking_ = false;
    if (board->PieceAt(SwapA_.Col, SwapA_.Row) == PieceB_ && board->PieceAt(SwapB_.Col, SwapB_.Row) == PieceA_)
      ++Result_.Moves;
    else
      ++Result_.Refused;
  }

  if (!Hand_.empty()) {
    THandStep& step = Hand_.front();
    if (step.Frames > 0) {
      --step.Frames;
      return;
    }
    if (step.Check != hcNone && !MoveStillGood()) {
      // The pieces moved on while the hand was on its way: start over (a
      // piece already picked is let go by the next plan).
      Hand_.clear();
      ++Result_.Aborted;
      return;
    }
    Game_.Platform.InjectEvent(step.Event);
    // Only a mouse event moves the drawn cursor; a key leaves it where it was.
    if (step.Event.Type == plat::EventType::MouseMove || step.Event.Type == plat::EventType::MouseDown ||
        step.Event.Type == plat::EventType::MouseUp) {
      Injected_ = true;
      HandX_ = step.Event.X;
      HandY_ = step.Event.Y;
    }
    Checking_ = step.Check == hcSwapPress;
    Hand_.pop_front();
    return;
  }
  if (Tallying_ || RetryClicked_) return;

  if (!Calm() || Game_.DialogOpen || Game_.HintShown || Game_.GamePaused) {
    RestFrames_ = 0;
    ThinkFrames_ = -1;
    return;
  }
  if (ThinkFrames_ < 0) {
    std::uniform_real_distribution<double> think(Settings_.ThinkMinSeconds,
                                                 std::max(Settings_.ThinkMinSeconds, Settings_.ThinkMaxSeconds));
    ThinkFrames_ = static_cast<int>(think(Rng_) * 60.0);
  }
  if (++RestFrames_ >= ThinkFrames_) Plan();
}

// DrawPlay and the sprites' Draw decide a few things besides the picture:
// the cursor sprite takes the position of the last mouse event the game saw
// (TGameSession::CanopyRender), the bar raises a button over each full pot and the
// cursor shows unless the system's is used (their Draw), a click closes the
// mana-full hint, and a wooden box's glint clock wraps. A frame without a new
// event leaves the position as it was; the rest is done here without drawing.
void TBotPlayer::UnseenFrame() {
  if (TGUI* bar = Game_.Magic().BarIfAny()) bar->Draw();
  if (TMouse* mouse = Game_.MouseIfAny()) mouse->Draw();
  if (Game_.aMouse.Pressed(0) && Game_.HasPlayer() && Game_.Player().TutorialFlags[6] == 1) Game_.CloseHint();
  TBoard* board = Game_.BoardIfAny();
  if (!board || Game_.DialogOpen) return;
  for (int r = 1; r <= kBoardRows; ++r) {
    for (int c = 1; c <= kBoardCols; ++c) {
      TBoardTab* tab = board->TabAt(c, r);
      if (tab && tab->TabType == ttWood && tab->ShineTicks > 1360) tab->ShineTicks = 0;
    }
  }
}

const TBotLevelResult& TBotPlayer::Play(int64_t maxTicks) {
  // Frames are drawn in full while anything but a level in play is on the
  // screen. In play a frame in which the hand moved the mouse or clicked only
  // moves the cursor where the event put it, as the drawing would.
  const std::function<void(TCanopyDevice&)> draw = Game_.Canopy.OnRender;
  const bool skip = Settings_.SkipUnseenFrames && Game_.Platform.Headless() && Game_.Options.Script.empty();
  if (skip) {
    Game_.Canopy.OnRender = [this, draw](TCanopyDevice& device) {
      if (FirstFrame_ || Game_.ScreenState != ssPlaying || !Game_.RenderReady) {
        draw(device);
        return;
      }
      if (Injected_) {
        Game_.MouseX = HandX_;
        Game_.MouseY = HandY_;
      }
      UnseenFrame();
    };
  }
  while (!Finished_ && !Game_.Closing()) {
    Step();
    if (Finished_) break;
    if (Game_.TotalTicks - AttemptStartTicks_ >= maxTicks) {
      Result_.Stuck = true;
      Finished_ = true;
      // Say what held the clock.
      if (const TBoard* board = Game_.BoardIfAny()) {
        Result_.FinalBoard = DrawBotGrid(TBotGrid::FromBoard(*board)) +
                             "elapsed " + std::to_string(board->ElapsedSeconds) + " of " +
                             std::to_string(board->Options.LevelTime) + (Game_.DialogOpen ? ", dialog open" : "") +
                             (Game_.HintShown ? ", hint shown" : "") + (Game_.GamePaused ? ", paused" : "") +
                             (board->FadingIn ? ", fading in" : "") + (board->Cleared ? ", cleared" : "") + "\n";
      }
      break;
    }
    Game_.RunFrame();
    Injected_ = false;
    FirstFrame_ = false;
  }
  if (skip) Game_.Canopy.OnRender = draw;
  return Result_;
}

std::string DrawBotGrid(const TBotGrid& grid) {
  static const char kTabs[] = "._wibo";
  static const char kPieces[] = "kmftwbpcx";
  std::string text;
  for (int r = 1; r <= kBoardRows; ++r) {
    for (int c = 1; c <= kBoardCols; ++c) {
      const TBotCell& cell = grid.At(c, r);
      text += cell.Tab <= ttForceField2 ? kTabs[cell.Tab] : '#';
      char piece = cell.Kind >= 0 && cell.Kind < kPieceKinds ? kPieces[cell.Kind] : '.';
      if (cell.Kind >= 0 && !cell.Settled) piece = static_cast<char>(piece - 'a' + 'A');
      text += piece;
    }
    text += '\n';
  }
  return text;
}

TBotLevelResult RunBotOnLevel(const std::string& home, const std::string& pack, int level, uint32_t seed,
                              const TBotSettings& settings) {
  TBotLevelResult result;
  std::string error;
  plat::PlatformOptions platformOptions;
  platformOptions.Headless = true;
  std::unique_ptr<plat::Platform> platform = plat::Platform::Create(platformOptions, error);
  if (!platform) {
    result.Error = "cannot start the headless platform: " + error;
    return result;
  }
  TLaunchOptions options;
  options.Headless = true;
  options.Home = home;
  options.Seed = seed;
  options.Play = true;
  options.PlayPack = pack;
  options.PlayLevel = level;
  // A player who has played before: the tutorial hints are done.
  options.HintsSeen = true;
  options.NoMusic = true;
  const std::unique_ptr<TGameSession> session = NewGameSession(*platform, options);
  TGameSession& game = *session;
  if (!game.FormCreate()) {
    result.Error = "the game could not start " + pack + " level " + std::to_string(level) + " in " + home;
    return result;
  }
  result = PlayStartedLevel(game, seed, settings);
  if (settings.KeepReplay) result.Replay = game.ReplayText();
  return result;
}

TBotLevelResult PlayStartedLevel(TGameSession& game, uint32_t seed, const TBotSettings& settings) {
  if (TBoard* board = game.BoardIfAny()) {
    if (settings.LevelTime > 0) {
      board->Options.LevelTime = settings.LevelTime;
    } else if (settings.LevelTimeScale > 0) {
      board->Options.LevelTime =
          std::max(1, static_cast<int>(std::lround(board->Options.LevelTime * settings.LevelTimeScale)));
    }
  }
  const int levelTime = game.BoardIfAny() ? game.BoardIfAny()->Options.LevelTime : 0;
  // The bot's own choices draw from a generator of their own, so its timing
  // does not disturb the game's refills of the same seed.
  TBotPlayer bot(game, seed * 2654435761u + 17u, settings);
  // Time over ends every attempt; the limit only guards against a stopped
  // clock (the tally takes about 1000 ticks more).
  const int64_t limit = static_cast<int64_t>(levelTime + 60) * 121 + 4000 + (settings.PlayTally ? 3000 : 0);
  return bot.Play(limit);
}
