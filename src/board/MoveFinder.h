// The level bot's eyes and judgement: a snapshot of the board as a player
// sees it (what each cell is, which piece stands there, whether it has come
// to rest), and a search over every swap a player may make on it. A swap
// counts only when it lines up three or more, since any other swap is undone
// by the game; the lines it would make are scored the way a player who knows
// match-3 games weighs them: boxes and force fields first, then lower cells
// (their breaks stir up more of the board), bigger lines and likely chain
// reactions, and never a skull line that would leave a new box behind. The
// search is also the game's own test for a move that is left (TBoard::HasMove).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "board/Board.h"

struct TBotCell {
  uint8_t Tab = 0;     // tab type 0..13
  int8_t Kind = -1;    // piece kind 0..8, -1 for no piece
  bool Settled = false;  // the piece is idle, not falling and not breaking
  bool Spawn = false;
};

class TBotGrid {
 public:
  // Cells outside 1..18 x 1..12 read as "no cell".
  TBotCell& At(int col, int row) { return Cells_[Index(col, row)]; }
  const TBotCell& At(int col, int row) const { return Cells_[Index(col, row)]; }
  static bool Inside(int col, int row) { return col >= 1 && col <= kBoardCols && row >= 1 && row <= kBoardRows; }

  // What the board shows right now.
  static TBotGrid FromBoard(const TBoard& board);
  // A grid drawn as text, one string a row from row 1 and one character a
  // cell from column 1 (tests and tools): piece letters k m f t w b p c x
  // (black, mountain, fire, tree, water, book, pearl, crystal, skull) on a
  // plain cell, upper case for a wooden box; '.' an empty plain cell; '#' no
  // cell. Every piece is settled. Tab types can then be set through At.
  static TBotGrid FromText(const std::vector<std::string>& rows);

  // Boxes and force fields left (tab types 2..5).
  int BoxCount() const;

 private:
  static size_t Index(int col, int row) {
    if (!Inside(col, row)) return 0;  // the spare cell: always "no cell"
    return static_cast<size_t>((row - 1) * kBoardCols + col);
  }
  std::array<TBotCell, kBoardCols * kBoardRows + 1> Cells_{};
};

struct TBotMove {
  TCell From, To;  // the piece clicked first and its orthogonal neighbour
  double Score = 0;
  int BoxHits = 0;   // steps taken off boxes and fields by the lines of the swap
  int Broken = 0;    // pieces those lines break
  int Longest = 0;   // length of the longest line
  int ChainLines = 0;  // further lines expected once the broken cells refill from above
  int NextBoxHits = 0; // box steps the best swap after this one could take
};

// Whether swapping the pieces of two orthogonal neighbours is a move the game
// keeps: both cells selectable (plain, wood, iron) with settled pieces, and
// after the exchange one of the two pieces stands in a line of three or more.
bool IsLineSwap(const TBotGrid& grid, TCell a, TCell b);

struct TLineSwap {
  TCell From, To;  // To is the right or the lower neighbour of From
};

// The game's one move finder: every swap that makes a line (IsLineSwap), in
// the board's scan order (columns from the left, rows from the top, the right
// neighbour before the lower one). The level bot scores these moves and the
// idle check asks whether any is left, so both always agree on what a move is.
std::vector<TLineSwap> FindLineSwaps(const TBotGrid& grid);

// The steps the lines of a line-making swap take off boxes and force fields
// at once (a wooden box broken, an iron box or a field worn down), before
// anything falls; a skull that would leave a new box behind takes nothing
// back here. 0 for a swap that makes no line or touches no box.
int SwapBoxSteps(const TBotGrid& grid, TCell a, TCell b);

// Every swap that makes a line, scored, best first. Equal scores keep the
// scan order of FindLineSwaps.
std::vector<TBotMove> FindBotMoves(const TBotGrid& grid);

// The score of one line-making swap (0 when it makes no line).
TBotMove ScoreBotMove(const TBotGrid& grid, TCell a, TCell b);
