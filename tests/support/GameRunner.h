// Runs the built game binary headless in a scratch folder of its own, for
// end-to-end tests: the folder links the built data, so tests may add level
// packs or saves without touching the build.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "board/MoveFinder.h"

namespace game_test {

class GameRunner {
 public:
  // Creates an empty scratch folder named after the test, with Data/ linked
  // from the build, a data/ folder linking the build's files (but for a copy
  // of the hiscore table) and (unless linkLevels is false) a levels/ folder
  // linking each pack of the build.
  explicit GameRunner(const std::string& name, bool linkLevels = true);
  ~GameRunner();
  GameRunner(const GameRunner&) = delete;
  GameRunner& operator=(const GameRunner&) = delete;

  // True when the game and its data have been built.
  static bool Built();
  // Runs the game with the arguments (plus --headless and --home), in the
  // scratch folder as working directory. Returns the exit code; the standard
  // error is kept in Errors, the standard output in Output.
  int Run(const std::string& arguments);
  // Writes a script file into the folder and returns its path.
  std::string Script(const std::string& name, const std::string& text);
  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  // Writes level n of a pack into the folder, from piece letters and tab
  // digits as BoardFixture's CellsFromPictures takes them; no skulls fall.
  // False, with the reason in Errors, when a file cannot be written.
  bool WriteLevel(const std::string& pack, int n, const std::vector<std::string>& pieces,
                  const std::vector<std::string>& tabs, int levelTime = 100);

  std::filesystem::path Home;
  std::string Errors;
  std::string Output;
  // Put before the game's command by Run: variables ("TMPDIR= ") or a
  // command that runs the game (WithoutFileAdminRights()).
  std::string Prefix;
};

// A command prefix that runs the game without the power to ignore file
// permissions, so that a test of unreadable or unwritable files means
// something when the tests run as root; "" for a user without that power,
// and nullptr when it cannot be had (setpriv missing).
const char* WithoutFileAdminRights();

std::string ReadFile(const std::filesystem::path& path);

// Reading a state dump: the number after the first "key": at or after the
// first "from" key (-999 when missing), and how often a text occurs.
long DumpNumber(const std::string& dump, const std::string& key, const std::string& from = "");
int Occurrences(const std::string& text, const std::string& what);
// The piece kind in a cell of a dumped board (-1 for none, -999 when missing).
int DumpPiece(const std::string& dump, int col, int row);
// The dumped board as the move finder reads it (FindLineSwaps).
TBotGrid DumpGrid(const std::string& dump);
// The centre of a cell, "X Y" for an input script.
std::string CellCentre(int col, int row);

// The player's files, as the game writes them: a progress record, an options
// file naming the player (windowed, music and sound on), and a known player
// (the marker) with a saved game of the story pack.
std::vector<uint8_t> ProgressBytes(int level, int score, int lives);
void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteConfig(const std::filesystem::path& home, const std::string& player);
void WriteKnownPlayer(const std::filesystem::path& home, const std::string& name, int level, int score, int lives);

}  // namespace game_test
