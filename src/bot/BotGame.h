// A game started once for the level bot: headless, through the whole start-up
// (archives, pictures, layout), but without a level yet. A run then starts a
// level on it exactly as a game started with that level and seed would, and
// plays it with the bot. One game serves one run; the level bot plays each
// run in a copy of the started game (a forked process), so the start-up is
// paid once however many runs follow.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "bot/BotPlayer.h"

class TGameSession;

class TBotGame {
 public:
  TBotGame();
  ~TBotGame();
  TBotGame(const TBotGame&) = delete;
  TBotGame& operator=(const TBotGame&) = delete;

  // Starts the game in the program folder `home`; false, with a message,
  // when it cannot start.
  bool Start(const std::string& home, std::string& error);

  // Plays a level of a pack with the game seeded by `seed`: the same run as
  // RunBotOnLevel with that seed (without its replay). With a profile the
  // player enters the level with that score, those lives and that extra-life
  // threshold, as after the levels before it in one game. Only once per game.
  TBotLevelResult PlayLevel(const std::string& pack, int level, uint32_t seed, const TBotSettings& settings,
                            const TBotProfile* profile = nullptr);

  // The game itself (nullptr before Start), to look at after a run.
  TGameSession* Game() const { return Game_.get(); }

 private:
  std::unique_ptr<plat::Platform> Platform_;
  std::unique_ptr<TGameSession> Game_;
  // Numbers the start-up drew from the game's two generators after seeding
  // them: a run seeds them anew and draws as many.
  uint32_t RandomDraws_ = 0, EffectDraws_ = 0;
  bool Spent_ = false;
  // The runs' save folder, of this game's own: a game over enters the
  // hiscore table there, not in the program folder's.
  std::string SaveHome_;
};
