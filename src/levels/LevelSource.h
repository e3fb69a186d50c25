// The readable source of a level, as kept in content/levels/<pack>/<n>.txt:
// the options as named lines, and the grid as three pictures of 12 rows by
// 18 characters (tiles, spawn points, pieces). The level compiler turns these
// sources into the game's ".opt"/".lvl" files and the decompiler turns those
// files back into text. content/levels/README.md describes the format.
//
//   time 240
//   background 1
//   max-skulls 0
//   allow tree fire water
//   tiles
//       ..................        (12 rows)
//   spawns
//       ..vvvvvvvvvvvvvv..        (12 rows, optional)
//   pieces
//       ..??tf??????????..        (12 rows, optional: "?" everywhere)
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "board/LevelFile.h"

// A piece of the pieces picture that the compiler draws ("?").
constexpr uint8_t kRandomPiece = 0xFF;

struct TLevelCell {
  uint8_t TabType = ttNone;
  uint8_t Piece = kNoPiece;  // 0..8, kNoPiece, or kRandomPiece before compiling
  uint8_t Spawn = 0;
  bool operator==(const TLevelCell&) const = default;
};

struct TLevelSource {
  TLevelOptions Options;
  // The seed of the "?" pieces; 0 means "use the level's number".
  uint32_t Seed = 0;
  // Cells by row 1..12, then column 1..18.
  std::array<TLevelCell, kBoardCols * kBoardRows> Cells{};

  TLevelCell& At(int col, int row) { return Cells[static_cast<size_t>((row - 1) * kBoardCols + col - 1)]; }
  const TLevelCell& At(int col, int row) const {
    return Cells[static_cast<size_t>((row - 1) * kBoardCols + col - 1)];
  }

  // Where the level came from, for messages: the file name and the line of
  // each grid row of each picture (0 when the level was not read from text).
  std::string File;
  std::array<int, kBoardRows> TileLines{}, SpawnLines{}, PieceLines{};
  int AllowLine = 0;
};

// Reads a level from its text. Every unknown word or character, every
// malformed picture and every rule of LevelErrors raises a DataError that
// names the file and line.
TLevelSource ParseLevelSource(const std::string& text, const std::string& name);
TLevelSource LoadLevelSource(const std::string& path);

// The canonical text of a level: what the decompiler writes and what
// ParseLevelSource reads back into the same level. The heading, when given,
// becomes a comment on the first line.
std::string FormatLevelSource(const TLevelSource& level, const std::string& heading = "");

// The rules every playable level keeps: at least one allowed kind; the
// background in 1..11; a positive time; a piece on every force field; pieces
// only on cells that hold them and only of allowed kinds (skulls aside);
// spawn points only on cells whose pieces can be picked (plain, wood, iron).
// Each message starts with "file:line: " when the place is known.
std::vector<std::string> LevelErrors(const TLevelSource& level);

// Design warnings: ready-made lines, cells that are never refilled, boxes no
// line can pass over, no move for the game's idle check to find, spawn points
// that never produce, a level without boxes. Our own packs compile without any.
std::vector<std::string> LevelWarnings(const TLevelSource& level);

// Draws every "?" piece from the allowed kinds, the same way for the same
// seed, so that no line of three stands ready and the game's idle check finds
// moves. False, with a message, when no kind fits a cell.
bool ResolveRandomPieces(TLevelSource& level, uint32_t seed, std::string& error);

// The number of cells with a straight move ready in the starting pieces:
// X X o X and X o X X along a row or a column. The drawing of "?" pieces
// looks for plenty of these; the game's idle check (and the warning about a
// level without a move) also sees the moves from the side (FindLineSwaps).
int CountIdleCheckMoves(const TLevelSource& level);

// Cells (column, row) that hold pieces but that no spawn point feeds, straight
// down or by a diagonal slide, with the tab types as given.
std::vector<std::pair<int, int>> UnfedCells(const TLevelSource& level);

// The cells that are never refilled, with the force fields standing or once
// every box is gone (the warning of LevelWarnings; the level bot reports
// their number), each once, by row and then by column.
std::vector<std::pair<int, int>> NeverRefilledCells(const TLevelSource& level);

// The names of the allowed kinds ("black", "mountain", ...), in kind order.
std::vector<std::string> AllowedKindNames(const TLevelOptions& options);

// The 216 records of the ".lvl" file, column by column (no "?" allowed).
std::vector<TCellRecord> LevelCellRecords(const TLevelSource& level);
// A level from the game's files, applying the records in order as the game
// does; records outside the grid are skipped and cells without a record stay
// "no cell". Notes describe what the text cannot keep exactly.
TLevelSource LevelFromRecords(const TLevelOptions& options, const std::vector<TCellRecord>& records,
                              std::vector<std::string>& notes);

// A pack of level sources: the files "<n>.txt" of one folder, numbered from 1
// without gaps (leading zeros allowed, so "01.txt" is level 1).
struct TPackSource {
  std::string Name;
  std::vector<TLevelSource> Levels;
};
TPackSource LoadPackSource(const std::string& folder);

// Compiles a pack into <home>/levels/<name>/<n>.opt and .lvl, drawing the "?"
// pieces with each level's seed (its number unless it names one) and removing
// the files of levels beyond the pack's last. Warnings are appended with the
// level's file name. False, with a message, on a failed write or draw.
bool CompilePack(const TPackSource& pack, const std::string& home, std::vector<std::string>& warnings,
                 std::string& error);

// Reads level n of a compiled pack back into a level.
bool ReadCompiledLevel(const std::string& home, const std::string& pack, int level, TLevelSource& out,
                       std::vector<std::string>& notes, std::string& error);
