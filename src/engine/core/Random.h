// The game's one random generator: a 32-bit linear congruential generator,
// seeded once at start-up (from the clock, or from --seed for reproducible runs).
#pragma once

#include <cstdint>

class TRandom {
 public:
  void Seed(uint32_t seed) { State_ = seed; }
  uint32_t State() const { return State_; }
  // A whole number in 0..range-1 (0 when range <= 0).
  int32_t Next(int32_t range) {
    Step();
    if (range <= 0) return 0;
    return static_cast<int32_t>((static_cast<uint64_t>(State_) * static_cast<uint32_t>(range)) >> 32);
  }
  // A number in [0, 1).
  double NextDouble() {
    Step();
    return State_ / 4294967296.0;
  }

 private:
  void Step() { State_ = State_ * 134775813u + 1u; }
  uint32_t State_ = 0;
};
