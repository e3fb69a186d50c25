// The runs of the level bot, each played in a process of its own that is a
// copy of one started game (TBotGame), several at a time. A run's result
// comes back from its process as one line of numbers.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bot/BotGame.h"

struct TRunTask {
  int Level = 0;
  uint32_t Seed = 0;
  bool HasProfile = false;  // the player enters with Profile (a campaign)
  TBotProfile Profile;
};

std::string EncodeResult(const TBotLevelResult& r);
bool DecodeResult(const std::string& text, TBotLevelResult& r);

class TRunPool {
 public:
  TRunPool(TBotGame& game, std::string pack, const TBotSettings& settings, int jobs)
      : Game_(game), Pack_(std::move(pack)), Settings_(settings), Jobs_(jobs) {}

  bool HasRoom() const { return static_cast<int>(Busy_.size()) < Jobs_; }
  bool Idle() const { return Busy_.empty(); }
  // Starts a run under the caller's number `id`; false when no process could
  // be made.
  bool Launch(size_t id, const TRunTask& task);
  // Waits for a run to end: its number and its result (an error when the
  // process ended without one).
  void WaitOne(size_t& id, TBotLevelResult& result);

 private:
  struct TWorker {
    pid_t Pid = -1;
    int Fd = -1;
    size_t Id = 0;
  };
  TBotGame& Game_;
  std::string Pack_;
  TBotSettings Settings_;
  int Jobs_;
  std::vector<TWorker> Busy_;
};
