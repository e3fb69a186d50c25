// The current player, a singleton of the game object: created on first use.
#pragma once

class TPlayer;

class TPlayerAccess {
 public:
  virtual TPlayer& Player() = 0;
  virtual bool HasPlayer() const = 0;

 protected:
  ~TPlayerAccess() = default;
};
