// The current player: score, lives and mana of the game in progress, the
// options that gate sound and the cursor, and the tutorial hint flags.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class Tmain;

constexpr int kManaFull = 60;
constexpr int kLifeScoreStep = 100000;

class TPlayer {
 public:
  int32_t LevelReached = 0;
  int32_t Lives = 3;
  int32_t ManaFire = 0, ManaWater = 0, ManaMountain = 0, ManaTree = 0;
  std::string PlayerName;
  int32_t Score = 0;
  int32_t NextLifeScore = kLifeScoreStep;
  int32_t LevelStartScore = 0;
  uint8_t SoundOn = 1;
  uint8_t MusicOn = 1;
  uint8_t SystemCursor = 0;
  int32_t HiscoreRank = -1;
  // Hints 1..7 (index 0 unused): 2 pending, 1 on screen, 0 done.
  std::array<uint8_t, 8> TutorialFlags{};

  // The pot of an element (1 tree, 2 water, 3 fire, 4 mountain); nullptr for
  // any other number.
  int32_t* Mana(int element);
  void ClearMana() { ManaFire = ManaWater = ManaMountain = ManaTree = 0; }
  int32_t ManaTotal() const { return ManaFire + ManaWater + ManaMountain + ManaTree; }
  // A fresh game: no score, three lives, empty pots, the tutorial flags
  // pending for the story pack and done for any other.
  void StartGame(bool storyPack);
  // Tries the level again: with more than one life it costs a life, puts the
  // score back to its value at the level's start and sets the level up again;
  // with one life nothing happens.
  void Retry(Tmain& game);
};
