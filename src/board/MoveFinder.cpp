#include "board/MoveFinder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "board/BoardTab.h"
#include "board/GameSprite.h"

namespace {

// A piece that only a refill will decide: it matches nothing.
constexpr int8_t kUnknownKind = -2;

struct TSegment {
  TCell Start;
  bool Horizontal = true;
  int Length = 0;
};

bool Selectable(const TBotCell& cell) { return TBoard::IsSelectable(cell.Tab); }

bool Matches(const TBotGrid& g, int col, int row, int8_t kind) {
  const TBotCell& cell = g.At(col, row);
  return kind >= 0 && cell.Settled && cell.Kind == kind && TBoard::CanHoldPiece(cell.Tab);
}

// The horizontal and the vertical line through a cell, each only when it is
// three or more long.
void LinesThrough(const TBotGrid& g, TCell p, std::vector<TSegment>& out) {
  const TBotCell& cell = g.At(p.Col, p.Row);
  if (!cell.Settled || cell.Kind < 0) return;
  const int8_t kind = cell.Kind;
  int left = p.Col, right = p.Col, top = p.Row, bottom = p.Row;
  while (Matches(g, left - 1, p.Row, kind)) --left;
  while (Matches(g, right + 1, p.Row, kind)) ++right;
  while (Matches(g, p.Col, top - 1, kind)) --top;
  while (Matches(g, p.Col, bottom + 1, kind)) ++bottom;
  auto add = [&](TSegment s) {
    for (const TSegment& o : out) {
      if (o.Horizontal == s.Horizontal && o.Start.Col == s.Start.Col && o.Start.Row == s.Start.Row) return;
    }
    out.push_back(s);
  };
  if (right - left + 1 >= 3) add({{left, p.Row}, true, right - left + 1});
  if (bottom - top + 1 >= 3) add({{p.Col, top}, false, bottom - top + 1});
}

template <typename F>
void ForEachCell(const TSegment& s, F f) {
  for (int i = 0; i < s.Length; ++i) {
    if (s.Horizontal)
      f(s.Start.Col + i, s.Start.Row);
    else
      f(s.Start.Col, s.Start.Row + i);
  }
}

// What the lines do to the boxes: steps taken off boxes and fields (a skull
// broken on a plain cell leaves a new wooden box: one step back), the cells
// whose pieces break, and how many skulls leave a box they were sitting on.
struct TLineEffect {
  int BoxSteps = 0;
  int Broken = 0;
  int FreedBoxes = 0;
  int Weakened = 0;  // steps taken off boxes and fields, the skulls' new boxes not counted
  double RowWeight = 0;
  std::vector<TCell> BrokenCells;
};

// With `damage`, the boxes of that grid wear down as the game would wear them.
TLineEffect ApplyLines(const TBotGrid& g, const std::vector<TSegment>& lines, TBotGrid* damage = nullptr) {
  TLineEffect e;
  std::array<int, kBoardCols * kBoardRows> hits{};
  auto idx = [](int c, int r) { return static_cast<size_t>((r - 1) * kBoardCols + (c - 1)); };
  for (const TSegment& s : lines) ForEachCell(s, [&](int c, int r) { ++hits[idx(c, r)]; });
  for (int r = 1; r <= kBoardRows; ++r) {
    for (int c = 1; c <= kBoardCols; ++c) {
      const int n = hits[idx(c, r)];
      if (n == 0) continue;
      const TBotCell& cell = g.At(c, r);
      if (TBoard::IsLocked(cell.Tab)) {
        // The field takes every hit and its piece stays.
        const int steps = std::min(n, cell.Tab - ttFerro);
        e.BoxSteps += steps;
        e.Weakened += steps;
        if (damage) damage->At(c, r).Tab = static_cast<uint8_t>(cell.Tab - steps);
        continue;
      }
      e.Broken += 1;
      e.RowWeight += r;
      e.BrokenCells.push_back({c, r});
      if (cell.Kind == pkCaveira) {
        if (cell.Tab == ttTab) {
          e.BoxSteps -= 1;
          if (damage) damage->At(c, r).Tab = ttWood;
        } else if (TBoard::IsBox(cell.Tab)) {
          e.FreedBoxes += 1;
        }
      } else if (TBoard::IsBox(cell.Tab)) {
        e.BoxSteps += 1;
        e.Weakened += 1;
        if (damage) damage->At(c, r).Tab = static_cast<uint8_t>(cell.Tab - 1);
      }
    }
  }
  return e;
}

// The grid once the broken cells have emptied and the pieces above have
// fallen straight down; spawn points fill with pieces nobody can know yet.
// Slides are left out: they depend on the order of the game's passes.
TBotGrid AfterFall(TBotGrid g, const std::vector<TCell>& broken, std::vector<TCell>& moved) {
  for (TCell c : broken) g.At(c.Col, c.Row).Kind = -1;
  std::array<bool, kBoardCols * kBoardRows + 1> hasMoved{};
  auto mark = [&](int c, int r) { hasMoved[static_cast<size_t>((r - 1) * kBoardCols + c)] = true; };
  for (int pass = 0; pass < 2 * kBoardRows; ++pass) {
    bool changed = false;
    for (int r = kBoardRows - 1; r >= 1; --r) {
      for (int c = 1; c <= kBoardCols; ++c) {
        TBotCell& from = g.At(c, r);
        TBotCell& to = g.At(c, r + 1);
        if (from.Kind == -1 || TBoard::IsLocked(from.Tab) || !TBoard::CanHoldPiece(from.Tab)) continue;
        if (to.Kind != -1 || !Selectable(to) || to.Spawn) continue;
        to.Kind = from.Kind;
        to.Settled = true;
        from.Kind = -1;
        mark(c, r + 1);
        changed = true;
      }
    }
    for (int r = 1; r <= kBoardRows; ++r) {
      for (int c = 1; c <= kBoardCols; ++c) {
        TBotCell& cell = g.At(c, r);
        if (cell.Spawn && cell.Kind == -1 && r < kBoardRows) {
          cell.Kind = kUnknownKind;
          cell.Settled = true;
          changed = true;
        }
      }
    }
    if (!changed) break;
  }
  for (int r = 1; r <= kBoardRows; ++r) {
    for (int c = 1; c <= kBoardCols; ++c) {
      if (hasMoved[static_cast<size_t>((r - 1) * kBoardCols + c)]) moved.push_back({c, r});
    }
  }
  return g;
}

// Distance (in cells, along rows and columns) from a cell to the nearest box.
int NearestBox(const TBotGrid& g, TCell p) {
  int best = 99;
  for (int r = 1; r <= kBoardRows; ++r) {
    for (int c = 1; c <= kBoardCols; ++c) {
      if (TBoard::IsBox(g.At(c, r).Tab)) best = std::min(best, std::abs(c - p.Col) + std::abs(r - p.Row));
    }
  }
  return best;
}

bool SwapAllowed(const TBotGrid& grid, TCell a, TCell b) {
  if (std::abs(a.Col - b.Col) + std::abs(a.Row - b.Row) != 1) return false;
  if (!TBotGrid::Inside(a.Col, a.Row) || !TBotGrid::Inside(b.Col, b.Row)) return false;
  const TBotCell& ca = grid.At(a.Col, a.Row);
  const TBotCell& cb = grid.At(b.Col, b.Row);
  if (!Selectable(ca) || !Selectable(cb) || !ca.Settled || !cb.Settled || ca.Kind < 0 || cb.Kind < 0) return false;
  return ca.Kind != cb.Kind;
}

// The lines the swap of a and b makes (the grid is left as it was).
void SwapLines(TBotGrid& g, TCell a, TCell b, std::vector<TSegment>& lines) {
  std::swap(g.At(a.Col, a.Row).Kind, g.At(b.Col, b.Row).Kind);
  LinesThrough(g, a, lines);
  LinesThrough(g, b, lines);
  std::swap(g.At(a.Col, a.Row).Kind, g.At(b.Col, b.Row).Kind);
}

// The most box steps one line-making swap of the grid could take.
int BestNextBoxSteps(TBotGrid& g) {
  int best = 0;
  std::vector<TSegment> lines;
  for (int c = 1; c <= kBoardCols; ++c) {
    for (int r = 1; r <= kBoardRows; ++r) {
      for (TCell b : {TCell{c + 1, r}, TCell{c, r + 1}}) {
        if (!SwapAllowed(g, {c, r}, b)) continue;
        lines.clear();
        SwapLines(g, {c, r}, b, lines);
        if (lines.empty()) continue;
        std::swap(g.At(c, r).Kind, g.At(b.Col, b.Row).Kind);
        best = std::max(best, ApplyLines(g, lines).BoxSteps);
        std::swap(g.At(c, r).Kind, g.At(b.Col, b.Row).Kind);
      }
    }
  }
  return best;
}

}  // namespace

TBotGrid TBotGrid::FromBoard(const TBoard& board) {
  TBotGrid g;
  for (int r = 1; r <= kBoardRows; ++r) {
    for (int c = 1; c <= kBoardCols; ++c) {
      const TBoardTab* tab = board.TabAt(c, r);
      if (!tab) continue;
      TBotCell& cell = g.At(c, r);
      cell.Tab = tab->TabType;
      cell.Spawn = tab->Spawn != 0;
      if (tab->Piece && TBoard::CanHoldPiece(tab->TabType)) {
        cell.Kind = static_cast<int8_t>(tab->Piece->Kind);
        cell.Settled = board.IsSettled(c, r);
      }
    }
  }
  return g;
}

TBotGrid TBotGrid::FromText(const std::vector<std::string>& rows) {
  static const std::string kLetters = "kmftwbpcx";
  TBotGrid g;
  for (size_t r = 0; r < rows.size() && r < static_cast<size_t>(kBoardRows); ++r) {
    for (size_t c = 0; c < rows[r].size() && c < static_cast<size_t>(kBoardCols); ++c) {
      TBotCell& cell = g.At(static_cast<int>(c) + 1, static_cast<int>(r) + 1);
      const char ch = rows[r][c];
      if (ch == '#') continue;
      cell.Tab = ttTab;
      if (ch == '.') continue;
      const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      const size_t kind = kLetters.find(lower);
      if (kind == std::string::npos) continue;
      cell.Kind = static_cast<int8_t>(kind);
      cell.Settled = true;
      if (lower != ch) cell.Tab = ttWood;
    }
  }
  return g;
}

int TBotGrid::BoxCount() const {
  int n = 0;
  for (int r = 1; r <= kBoardRows; ++r) {
    for (int c = 1; c <= kBoardCols; ++c) n += TBoard::IsBox(At(c, r).Tab) ? 1 : 0;
  }
  return n;
}

bool IsLineSwap(const TBotGrid& grid, TCell a, TCell b) {
  if (!SwapAllowed(grid, a, b)) return false;
  TBotGrid g = grid;
  std::vector<TSegment> lines;
  SwapLines(g, a, b, lines);
  return !lines.empty();
}

TBotMove ScoreBotMove(const TBotGrid& grid, TCell a, TCell b) {
  TBotMove m;
  m.From = a;
  m.To = b;
  if (!SwapAllowed(grid, a, b)) return m;
  TBotGrid g = grid;
  std::vector<TSegment> lines;
  SwapLines(g, a, b, lines);
  if (lines.empty()) return m;
  std::swap(g.At(a.Col, a.Row).Kind, g.At(b.Col, b.Row).Kind);
  const TLineEffect e = ApplyLines(g, lines, &g);
  m.BoxHits = e.BoxSteps;
  m.Broken = e.Broken;
  for (const TSegment& s : lines) m.Longest = std::max(m.Longest, s.Length);

  // The chain that follows when the pieces above drop into the gaps: only
  // lines made of pieces already on the board count.
  std::vector<TCell> moved;
  TBotGrid fallen = AfterFall(g, e.BrokenCells, moved);
  std::vector<TSegment> chain;
  for (TCell p : moved) LinesThrough(fallen, p, chain);
  const TLineEffect ce = ApplyLines(fallen, chain);
  m.ChainLines = static_cast<int>(chain.size());

  // Boxes come first: a step off a box outweighs everything else a move
  // can offer, and the move that breaks the last box wins the level.
  const bool boxesLeft = fallen.BoxCount() > 0;
  double score = 1000.0 * e.BoxSteps + 600.0 * ce.BoxSteps + 30.0 * e.FreedBoxes;
  if (!boxesLeft && grid.BoxCount() > 0) score += 100000.0;
  // Then bigger lines, lower cells (their falls stir up more of the board)
  // and the chains the falls promise.
  score += 12.0 * e.Broken + 1.5 * e.RowWeight + 35.0 * m.ChainLines;
  if (m.Longest == 4) score += 20;
  if (m.Longest >= 5) score += 50;
  if (boxesLeft) {
    // Breaking pieces near the boxes that are left stirs their neighbourhood,
    // and the refill may bring the pieces a line over them needs.
    for (TCell p : e.BrokenCells) score += 25.0 / (1.0 + NearestBox(grid, p));
    // When no swap reaches a box yet, a move that sets one up for the next
    // turn is the next best thing: look one swap ahead on the board as it
    // will stand, counting only the pieces already known.
    m.NextBoxHits = BestNextBoxSteps(fallen);
    score += 300.0 * m.NextBoxHits;
  }
  m.Score = score;
  return m;
}

int SwapBoxSteps(const TBotGrid& grid, TCell a, TCell b) {
  if (!SwapAllowed(grid, a, b)) return 0;
  TBotGrid g = grid;
  std::vector<TSegment> lines;
  SwapLines(g, a, b, lines);
  if (lines.empty()) return 0;
  std::swap(g.At(a.Col, a.Row).Kind, g.At(b.Col, b.Row).Kind);
  return ApplyLines(g, lines).Weakened;
}

std::vector<TLineSwap> FindLineSwaps(const TBotGrid& grid) {
  std::vector<TLineSwap> swaps;
  TBotGrid g = grid;  // SwapLines exchanges two pieces and puts them back
  std::vector<TSegment> lines;
  for (int c = 1; c <= kBoardCols; ++c) {
    for (int r = 1; r <= kBoardRows; ++r) {
      const TCell a{c, r};
      for (TCell b : {TCell{c + 1, r}, TCell{c, r + 1}}) {
        if (!SwapAllowed(g, a, b)) continue;
        lines.clear();
        SwapLines(g, a, b, lines);
        if (!lines.empty()) swaps.push_back({a, b});
      }
    }
  }
  return swaps;
}

std::vector<TBotMove> FindBotMoves(const TBotGrid& grid) {
  std::vector<TBotMove> moves;
  for (const TLineSwap& s : FindLineSwaps(grid)) moves.push_back(ScoreBotMove(grid, s.From, s.To));
  std::stable_sort(moves.begin(), moves.end(), [](const TBotMove& x, const TBotMove& y) { return x.Score > y.Score; });
  return moves;
}
