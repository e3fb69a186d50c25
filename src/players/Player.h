// The current player: score, lives and mana of the game in progress, the
// options that gate sound and the cursor, and the tutorial hint flags.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "players/PlayerFiles.h"

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
  // False for a stand-in player (a level started from the command line):
  // nothing of it is ever written to the save folder or the options file.
  bool Persistent = true;
  // The lives and the extra-life threshold when the current level was set
  // up: a retry starts from them again.
  int32_t LevelStartLives = 3;
  int32_t LevelStartNextLife = kLifeScoreStep;

  // What the options file said.
  enum class TConfigState { Missing, Damaged, Windowed, FullScreen };
  // Reads the options and the last player's name from "arvanels.cfg" in the
  // folder home. The name is taken only while the player's marker still
  // exists. A missing or damaged file leaves the options at their defaults
  // (sound and music on, the game's own cursor).
  TConfigState LoadConfig(const std::string& home);
  // Writes the options file: this player's name and options, and whether the
  // game runs full screen.
  bool SaveConfig(const std::string& home, bool fullScreen, std::string& error) const;
  // The progress file of this player for the pack and mode: the marker
  // "<name>.sav" while no pack is chosen, else "<name> - <pack>.sa2" with
  // " Relaxed" before the extension in relaxed mode.
  std::string ProgressFile(const std::string& home, const std::string& pack, bool relaxed) const;
  // Takes a saved game's level, score and lives, and the extra-life
  // threshold that goes with its score.
  void ApplyProgress(const TProgressRecord& progress);

  // The pot of an element (1 tree, 2 water, 3 fire, 4 mountain); nullptr for
  // any other number.
  int32_t* Mana(int element);
  void ClearMana() { ManaFire = ManaWater = ManaMountain = ManaTree = 0; }
  int32_t ManaTotal() const { return ManaFire + ManaWater + ManaMountain + ManaTree; }
  // A fresh game: no score, three lives, empty pots, the tutorial flags
  // pending for the story pack and done for any other.
  void StartGame(bool storyPack);
  // The player's side of trying the level again: with more than one life it
  // costs a life and puts the score, the lives and the extra-life threshold
  // back to their values at the level's start (less the life it costs); a
  // retry free of charge (the editor's test play) only puts the score back.
  // With one life nothing changes and the answer is false.
  bool Retry(bool freeOfCharge);
};
