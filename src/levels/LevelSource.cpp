#include "levels/LevelSource.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "board/MoveFinder.h"
#include "engine/core/DataFile.h"
#include "engine/core/Random.h"

namespace fs = std::filesystem;

namespace {

constexpr char kTileLetters[] = "._wibo12345678";  // tab types 0..13
constexpr int kTileLetterCount = 14;
constexpr char kPieceLetters[] = "kmftwbpcx";  // piece kinds 0..8
constexpr const char* kKindNames[] = {"black", "mountain", "fire", "tree", "water", "book", "pearl", "crystal", "skull"};
constexpr uint8_t kSkull = 8;
constexpr char kSpawnLetter = 'v';
// The idle-check moves the compiler looks for when it draws "?" pieces.
constexpr int kWantedMoves = 6;
constexpr int kDrawAttempts = 64;

// The cell predicates of the board, on tab types alone.
bool HoldsPiece(int t) { return t != ttNone && !(t >= 6 && t <= 13); }
bool Selectable(int t) { return t != ttNone && !(t >= 4 && t <= 13); }
bool IsField(int t) { return t == ttForceField || t == ttForceField2; }
bool IsBoxType(int t) { return t >= ttWood && t <= ttForceField2; }
bool ConcretePiece(uint8_t p) { return p <= kSkull; }

// The allow flags by piece kind 0..7.
constexpr uint8_t TLevelOptions::*kAllowFlags[8] = {
    &TLevelOptions::AllowBlack, &TLevelOptions::AllowRed,  &TLevelOptions::AllowFire,  &TLevelOptions::AllowTree,
    &TLevelOptions::AllowGota,  &TLevelOptions::AllowBook, &TLevelOptions::AllowPearl, &TLevelOptions::AllowCristal};
uint8_t& AllowFlag(TLevelOptions& o, int kind) { return o.*kAllowFlags[kind]; }
uint8_t AllowFlag(const TLevelOptions& o, int kind) { return o.*kAllowFlags[kind]; }

std::string Where(const TLevelSource& level, int line) {
  if (level.File.empty()) return line > 0 ? "line " + std::to_string(line) + ": " : "";
  if (line <= 0) return level.File + ": ";
  return level.File + ":" + std::to_string(line) + ": ";
}

int LineOf(const std::array<int, kBoardRows>& lines, int row) { return lines[static_cast<size_t>(row - 1)]; }
// The line of a row's pieces or spawn points, or of its tiles when the
// picture was left out.
int PieceLine(const TLevelSource& level, int row) {
  const int line = LineOf(level.PieceLines, row);
  return line ? line : LineOf(level.TileLines, row);
}
int SpawnLine(const TLevelSource& level, int row) {
  const int line = LineOf(level.SpawnLines, row);
  return line ? line : LineOf(level.TileLines, row);
}

// The kind of a settled piece at a cell, or -1.
int SettledKind(const TLevelSource& level, int col, int row) {
  if (col < 1 || col > kBoardCols || row < 1 || row > kBoardRows) return -1;
  const TLevelCell& cell = level.At(col, row);
  if (!HoldsPiece(cell.TabType) || !ConcretePiece(cell.Piece)) return -1;
  return cell.Piece;
}

// The starting pieces as the move finder reads a board.
TBotGrid StartingGrid(const TLevelSource& level) {
  TBotGrid grid;
  for (int r = 1; r <= kBoardRows; ++r) {
    for (int c = 1; c <= kBoardCols; ++c) {
      const TLevelCell& cell = level.At(c, r);
      TBotCell& b = grid.At(c, r);
      b.Tab = cell.TabType;
      b.Spawn = cell.Spawn != 0;
      if (HoldsPiece(cell.TabType) && ConcretePiece(cell.Piece)) {
        b.Kind = static_cast<int8_t>(cell.Piece);
        b.Settled = true;
      }
    }
  }
  return grid;
}

int Run(const TLevelSource& level, int col, int row, int dc, int dr) {
  const int kind = SettledKind(level, col, row);
  int n = 0;
  for (int s : {1, -1}) {
    for (int c = col + s * dc, r = row + s * dr; SettledKind(level, c, r) == kind; c += s * dc, r += s * dr) ++n;
  }
  return n;
}

// Whether a piece of `kind` at (col, row) would stand in a line of three with
// the pieces already known around it.
bool WouldMakeLine(const TLevelSource& level, int col, int row, int kind) {
  for (auto [dc, dr] : {std::pair{1, 0}, std::pair{0, 1}}) {
    for (int start = -2; start <= 0; ++start) {
      bool line = true;
      for (int k = start; k < start + 3 && line; ++k) {
        if (k == 0) continue;
        line = SettledKind(level, col + k * dc, row + k * dr) == kind;
      }
      if (line) return true;
    }
  }
  return false;
}

bool BoxCanBeMatched(const TLevelSource& level, int col, int row) {
  for (auto [dc, dr] : {std::pair{1, 0}, std::pair{0, 1}}) {
    for (int start = -2; start <= 0; ++start) {
      bool ok = true;
      for (int k = start; k < start + 3 && ok; ++k) {
        const int c = col + k * dc, r = row + k * dr;
        ok = c >= 1 && c <= kBoardCols && r >= 1 && r <= kBoardRows && HoldsPiece(level.At(c, r).TabType);
      }
      if (ok) return true;
    }
  }
  return false;
}

std::string ColumnList(const std::vector<int>& cols) {
  std::string s;
  for (size_t i = 0; i < cols.size(); ++i) s += (i ? ", " : "") + std::to_string(cols[i]);
  return s;
}

void RejectChildren(const DataNode& node) {
  if (!node.Children.empty())
    node.Children[0].Fail("\"" + node.Tokens[0] + "\" takes no indented lines");
}

// Reads the 12 rows of one picture, handing each character to `put`.
template <typename Put>
void ReadPicture(const DataNode& node, std::array<int, kBoardRows>& lines, Put put) {
  node.Expect(1, 1);
  if (node.Children.size() != kBoardRows)
    node.Fail("\"" + node.Tokens[0] + "\" needs 12 indented rows, not " + std::to_string(node.Children.size()));
  for (int r = 1; r <= kBoardRows; ++r) {
    const DataNode& row = node.Children[static_cast<size_t>(r - 1)];
    if (row.Size() != 1) row.Fail("a row is one word of 18 characters, without spaces");
    RejectChildren(row);
    const std::string& text = row.Tokens[0];
    if (text.size() != kBoardCols)
      row.Fail("a row has 18 characters, this one has " + std::to_string(text.size()));
    lines[static_cast<size_t>(r - 1)] = row.Line;
    for (int c = 1; c <= kBoardCols; ++c) {
      const char ch = text[static_cast<size_t>(c - 1)];
      if (!put(c, r, ch))
        row.Fail("unknown character '" + std::string(1, ch) + "' in column " + std::to_string(c));
    }
  }
}

}  // namespace

TLevelSource ParseLevelSource(const std::string& text, const std::string& name) {
  const DataFile file = DataFile::Parse(text, name);
  TLevelSource level;
  level.File = name;
  level.Options = TLevelOptions{};
  for (int k = 0; k < 8; ++k) AllowFlag(level.Options, k) = 0;
  std::map<std::string, int> seen;
  bool hasPieces = false;

  for (const DataNode& node : file.Nodes) {
    const std::string& key = node.Token(0);
    if (seen.count(key)) node.Fail("\"" + key + "\" is given twice (first on line " + std::to_string(seen[key]) + ")");
    seen[key] = node.Line;
    if (key == "tiles" || key == "spawns" || key == "pieces") {
      if (key == "tiles") {
        ReadPicture(node, level.TileLines, [&](int c, int r, char ch) {
          const char* p = std::find(kTileLetters, kTileLetters + kTileLetterCount, ch);
          if (p == kTileLetters + kTileLetterCount) return false;
          level.At(c, r).TabType = static_cast<uint8_t>(p - kTileLetters);
          return true;
        });
      } else if (key == "spawns") {
        ReadPicture(node, level.SpawnLines, [&](int c, int r, char ch) {
          if (ch != '.' && ch != kSpawnLetter) return false;
          level.At(c, r).Spawn = ch == kSpawnLetter;
          return true;
        });
      } else {
        hasPieces = true;
        ReadPicture(node, level.PieceLines, [&](int c, int r, char ch) {
          uint8_t piece;
          if (ch == '.') {
            piece = kNoPiece;
          } else if (ch == '?') {
            piece = kRandomPiece;
          } else {
            const char* p = std::find(kPieceLetters, kPieceLetters + 9, ch);
            if (p == kPieceLetters + 9) return false;
            piece = static_cast<uint8_t>(p - kPieceLetters);
          }
          level.At(c, r).Piece = piece;
          return true;
        });
      }
      continue;
    }
    RejectChildren(node);
    if (key == "time") {
      node.Expect(2, 2);
      level.Options.LevelTime = static_cast<int32_t>(node.Int(1, kMinLevelTime, kMaxLevelTime));
    } else if (key == "background") {
      node.Expect(2, 2);
      level.Options.Background = static_cast<int32_t>(node.Int(1, kMinBackground, kMaxBackground));
    } else if (key == "max-skulls") {
      node.Expect(2, 2);
      level.Options.MaxCaveiras = static_cast<int32_t>(node.Int(1, kMinSkulls, kMaxSkulls));
    } else if (key == "allow") {
      node.Expect(2, 9);
      level.AllowLine = node.Line;
      for (int i = 1; i < node.Size(); ++i) {
        const std::string& word = node.Tokens[static_cast<size_t>(i)];
        int kind = -1;
        for (int k = 0; k < 8; ++k)
          if (word == kKindNames[k]) kind = k;
        if (kind < 0) {
          if (word == "skull")
            node.Fail("skulls are not allowed by kind; \"max-skulls\" sets how many may enter the board");
          node.Fail("unknown piece kind \"" + word + "\"");
        }
        if (AllowFlag(level.Options, kind)) node.Fail("\"" + word + "\" is allowed twice");
        AllowFlag(level.Options, kind) = 1;
      }
    } else if (key == "tested") {
      node.Expect(1, 1);
      level.Options.Tested = 1;
    } else if (key == "seed") {
      node.Expect(2, 2);
      level.Seed = static_cast<uint32_t>(node.Int(1, 1, 4294967295LL));
    } else if (key.size() == kBoardCols) {
      node.Fail("unknown word \"" + key + "\" (grid rows are indented under \"tiles\", \"spawns\" or \"pieces\")");
    } else {
      node.Fail("unknown word \"" + key + "\"");
    }
  }
  for (const char* required : {"time", "background", "max-skulls", "allow", "tiles"})
    if (!seen.count(required)) throw DataError(name + ": the level has no \"" + std::string(required) + "\" line");
  if (!hasPieces) {
    for (TLevelCell& cell : level.Cells) cell.Piece = HoldsPiece(cell.TabType) ? kRandomPiece : kNoPiece;
  }
  const std::vector<std::string> errors = LevelErrors(level);
  if (!errors.empty()) throw DataError(errors.front());
  return level;
}

TLevelSource LoadLevelSource(const std::string& path) { return ParseLevelSource(DataFile::ReadText(path), path); }

std::string FormatLevelSource(const TLevelSource& level, const std::string& heading) {
  DataWriter out;
  if (!heading.empty()) out.Comment(heading);
  const TLevelOptions& o = level.Options;
  out.Write({"time", std::to_string(o.LevelTime)});
  out.Write({"background", std::to_string(o.Background)});
  out.Write({"max-skulls", std::to_string(o.MaxCaveiras)});
  std::vector<std::string> allow{"allow"};
  for (const std::string& name : AllowedKindNames(o)) allow.push_back(name);
  out.Write(allow);
  if (o.Tested) out.Write({"tested"});
  if (level.Seed) out.Write({"seed", std::to_string(level.Seed)});

  auto picture = [&](const char* key, auto letter) {
    out.Write({key});
    out.BeginChildren();
    for (int r = 1; r <= kBoardRows; ++r) {
      std::string row;
      for (int c = 1; c <= kBoardCols; ++c) row += letter(level.At(c, r));
      out.Write({row});
    }
    out.EndChildren();
  };
  picture("tiles", [](const TLevelCell& cell) {
    return cell.TabType < kTileLetterCount ? kTileLetters[cell.TabType] : '_';
  });
  if (std::any_of(level.Cells.begin(), level.Cells.end(), [](const TLevelCell& c) { return c.Spawn != 0; }))
    picture("spawns", [](const TLevelCell& cell) { return cell.Spawn ? kSpawnLetter : '.'; });
  picture("pieces", [](const TLevelCell& cell) {
    if (cell.Piece == kRandomPiece) return '?';
    return ConcretePiece(cell.Piece) ? kPieceLetters[cell.Piece] : '.';
  });
  return out.Text();
}

std::vector<std::string> LevelErrors(const TLevelSource& level) {
  std::vector<std::string> errors;
  const TLevelOptions& o = level.Options;
  if (!o.AnyAllowed()) errors.push_back(Where(level, level.AllowLine) + "no piece kind is allowed");
  auto range = [](int32_t min, int32_t max) { return std::to_string(min) + ".." + std::to_string(max); };
  if (o.Background < kMinBackground || o.Background > kMaxBackground)
    errors.push_back(Where(level, 0) + "background " + std::to_string(o.Background) + " is outside " +
                     range(kMinBackground, kMaxBackground));
  if (o.LevelTime < kMinLevelTime || o.LevelTime > kMaxLevelTime)
    errors.push_back(Where(level, 0) + "the level time " + std::to_string(o.LevelTime) + " is outside " +
                     range(kMinLevelTime, kMaxLevelTime) + " seconds");
  if (o.MaxCaveiras < kMinSkulls || o.MaxCaveiras > kMaxSkulls)
    errors.push_back(Where(level, 0) + "the number of skulls " + std::to_string(o.MaxCaveiras) + " is outside " +
                     range(kMinSkulls, kMaxSkulls));
  for (int r = 1; r <= kBoardRows; ++r) {
    for (int c = 1; c <= kBoardCols; ++c) {
      const TLevelCell& cell = level.At(c, r);
      const std::string col = "column " + std::to_string(c) + ": ";
      const std::string atPiece = Where(level, PieceLine(level, r)) + col;
      if (cell.TabType >= kTileLetterCount)
        errors.push_back(Where(level, LineOf(level.TileLines, r)) + col + "tab type " +
                         std::to_string(cell.TabType) + " is not one the game knows");
      const bool hasPiece = cell.Piece != kNoPiece;
      if (hasPiece && cell.Piece != kRandomPiece && !ConcretePiece(cell.Piece))
        errors.push_back(atPiece + "piece kind " + std::to_string(cell.Piece) + " does not exist");
      if (hasPiece && !HoldsPiece(cell.TabType))
        errors.push_back(atPiece + "a piece on a cell that holds none (no cell or an edge piece)");
      if (!hasPiece && IsField(cell.TabType))
        errors.push_back(atPiece + "a force field without a piece (a locked cell must store its piece)");
      if (ConcretePiece(cell.Piece) && cell.Piece != kSkull && !AllowFlag(o, cell.Piece))
        errors.push_back(atPiece + "a " + kKindNames[cell.Piece] + " piece, but the level does not allow " +
                         kKindNames[cell.Piece]);
      if (cell.Spawn && !Selectable(cell.TabType))
        errors.push_back(Where(level, SpawnLine(level, r)) + col +
                         "a spawn point on a cell whose pieces cannot be picked (only plain cells and boxes)");
    }
  }
  return errors;
}

int CountIdleCheckMoves(const TLevelSource& level) {
  int moves = 0;
  for (int c = 1; c <= kBoardCols; ++c) {
    for (int r = 1; r <= kBoardRows; ++r) {
      const int kind = SettledKind(level, c, r);
      if (kind < 0) continue;
      auto pattern = [&](int dc, int dr) {
        const int a = SettledKind(level, c + dc, r + dr), b = SettledKind(level, c + 2 * dc, r + 2 * dr);
        return a >= 0 && b >= 0 && a != kind && b == kind;
      };
      bool found = false;
      if (Run(level, c, r, 1, 0) >= 1 && c >= 3 && c <= 16) found = pattern(1, 0) || pattern(-1, 0);
      if (!found && Run(level, c, r, 0, 1) >= 1 && r >= 3 && r <= 10) found = pattern(0, 1) || pattern(0, -1);
      moves += found;
    }
  }
  return moves;
}

std::vector<std::pair<int, int>> UnfedCells(const TLevelSource& level) {
  auto tab = [&](int c, int r) { return static_cast<int>(level.At(c, r).TabType); };
  auto spawn = [&](int c, int r) { return level.At(c, r).Spawn != 0; };
  // fed[r][c]: pieces keep arriving in the cell once it empties.
  std::array<std::array<bool, kBoardCols + 2>, kBoardRows + 1> fed{};
  auto feeds = [&](int c, int r) {  // a piece leaves (c, r) downwards and more follow
    return c >= 1 && c <= kBoardCols && r >= 1 && fed[r][c] && !IsField(tab(c, r));
  };
  // Whether column c cannot feed (c, r) from above, so that a neighbour may
  // slide a piece into it (the feeding test of the diagonal slides).
  auto columnBlocked = [&](int c, int r) {
    if (r - 2 >= 1 && IsField(tab(c, r - 2))) return true;
    return IsField(tab(c, r - 1)) || (!HoldsPiece(tab(c, r - 1)) && !spawn(c, r - 1));
  };
  std::vector<std::pair<int, int>> unfed;
  for (int r = 1; r <= kBoardRows; ++r) {
    for (int c = 1; c <= kBoardCols; ++c) {
      const int t = tab(c, r);
      if (!HoldsPiece(t)) continue;
      bool f = false;
      if (spawn(c, r)) {
        f = r < kBoardRows;  // the gravity step never visits row 12
      } else if (Selectable(t) && r > 1) {
        f = feeds(c, r - 1) ||
            // A piece in column 18 never slides, so it never feeds column 17.
            (columnBlocked(c, r) && ((c > 1 && feeds(c - 1, r - 1)) || (c + 1 < kBoardCols && feeds(c + 1, r - 1))));
      }
      fed[r][c] = f;
      // A locked cell keeps its piece, so it needs no feeding while locked.
      if (!f && !IsField(t)) unfed.push_back({c, r});
    }
  }
  return unfed;
}

std::vector<std::pair<int, int>> NeverRefilledCells(const TLevelSource& level) {
  TLevelSource cleared = level;
  for (TLevelCell& cell : cleared.Cells)
    if (IsBoxType(cell.TabType)) cell.TabType = ttTab;
  std::vector<std::pair<int, int>> cells = UnfedCells(level);
  for (auto cell : UnfedCells(cleared))
    if (std::find(cells.begin(), cells.end(), cell) == cells.end()) cells.push_back(cell);
  std::sort(cells.begin(), cells.end(),
            [](auto a, auto b) { return std::pair{a.second, a.first} < std::pair{b.second, b.first}; });
  return cells;
}

std::vector<std::string> AllowedKindNames(const TLevelOptions& options) {
  std::vector<std::string> names;
  for (int k = 0; k < 8; ++k)
    if (AllowFlag(options, k)) names.push_back(kKindNames[k]);
  return names;
}

std::vector<std::string> LevelWarnings(const TLevelSource& level) {
  std::vector<std::string> warnings;
  bool anyBox = false;
  for (int r = 1; r <= kBoardRows; ++r) {
    const std::string atPieces = Where(level, PieceLine(level, r));
    const std::string atTiles = Where(level, LineOf(level.TileLines, r));
    for (int c = 1; c <= kBoardCols; ++c) {
      const int kind = SettledKind(level, c, r);
      if (kind >= 0 && c + 2 <= kBoardCols && SettledKind(level, c + 1, r) == kind &&
          SettledKind(level, c + 2, r) == kind && SettledKind(level, c - 1, r) != kind)
        warnings.push_back(atPieces + "columns " + std::to_string(c) + " to " + std::to_string(c + 2) +
                           ": a ready-made line (the game breaks it up at random)");
      if (kind >= 0 && r + 2 <= kBoardRows && SettledKind(level, c, r + 1) == kind &&
          SettledKind(level, c, r + 2) == kind && SettledKind(level, c, r - 1) != kind)
        warnings.push_back(atPieces + "column " + std::to_string(c) +
                           ": a ready-made line downwards (the game breaks it up at random)");
      const TLevelCell& cell = level.At(c, r);
      if (IsBoxType(cell.TabType)) {
        anyBox = true;
        if (!BoxCanBeMatched(level, c, r))
          warnings.push_back(atTiles + "column " + std::to_string(c) + ": no line of three can pass over this box");
      }
      if (cell.Spawn && r == kBoardRows)
        warnings.push_back(Where(level, SpawnLine(level, r)) + "column " + std::to_string(c) +
                           ": a spawn point in row 12 never produces pieces");
    }
  }
  if (!anyBox) warnings.push_back(Where(level, 0) + "the level has no boxes, so it is won at once");

  std::map<int, std::vector<int>> unfedByRow;
  for (auto [c, r] : NeverRefilledCells(level)) unfedByRow[r].push_back(c);
  for (auto& [r, cols] : unfedByRow) {
    warnings.push_back(Where(level, LineOf(level.TileLines, r)) + (cols.size() == 1 ? "column " : "columns ") +
                       ColumnList(cols) + ": never refilled (no spawn point feeds " +
                       (cols.size() == 1 ? "it" : "them") + ")");
  }

  const bool unresolved = std::any_of(level.Cells.begin(), level.Cells.end(),
                                      [](const TLevelCell& c) { return c.Piece == kRandomPiece; });
  if (!unresolved && FindLineSwaps(StartingGrid(level)).empty())
    warnings.push_back(Where(level, 0) + "the game's idle check finds no move in the starting pieces");
  return warnings;
}

bool ResolveRandomPieces(TLevelSource& level, uint32_t seed, std::string& error) {
  std::vector<int> kinds;
  for (int k = 0; k < 8; ++k)
    if (AllowFlag(level.Options, k)) kinds.push_back(k);
  const bool any = std::any_of(level.Cells.begin(), level.Cells.end(),
                               [](const TLevelCell& c) { return c.Piece == kRandomPiece; });
  if (!any) return true;
  if (kinds.empty()) {
    error = Where(level, level.AllowLine) + "no piece kind is allowed, so no \"?\" piece can be drawn";
    return false;
  }
  TLevelSource best;
  int bestMoves = -1;
  std::string lastFailure;
  for (int attempt = 0; attempt < kDrawAttempts; ++attempt) {
    TRandom random;
    random.Seed(seed * 2654435761u + static_cast<uint32_t>(attempt) * 40503u + 1u);
    TLevelSource drawn = level;
    bool ok = true;
    for (int c = 1; c <= kBoardCols && ok; ++c) {
      for (int r = 1; r <= kBoardRows && ok; ++r) {
        TLevelCell& cell = drawn.At(c, r);
        if (cell.Piece != kRandomPiece) continue;
        std::vector<int> fits;
        for (int k : kinds)
          if (!WouldMakeLine(drawn, c, r, k)) fits.push_back(k);
        if (fits.empty()) {
          ok = false;
          lastFailure = Where(level, PieceLine(level, r)) + "column " + std::to_string(c) +
                        ": no allowed kind fits here without making a line of three";
          break;
        }
        cell.Piece = static_cast<uint8_t>(fits[static_cast<size_t>(random.Next(static_cast<int32_t>(fits.size())))]);
      }
    }
    if (!ok) continue;
    const int moves = CountIdleCheckMoves(drawn);
    if (moves > bestMoves) {
      best = drawn;
      bestMoves = moves;
    }
    if (moves >= kWantedMoves) break;
  }
  if (bestMoves < 0) {
    error = lastFailure;
    return false;
  }
  level = best;
  return true;
}

std::vector<TCellRecord> LevelCellRecords(const TLevelSource& level) {
  std::vector<TCellRecord> records;
  records.reserve(kBoardCols * kBoardRows);
  for (int c = 1; c <= kBoardCols; ++c) {
    for (int r = 1; r <= kBoardRows; ++r) {
      const TLevelCell& cell = level.At(c, r);
      TCellRecord rec;
      rec.Col = c;
      rec.Row = r;
      rec.TabType = cell.TabType;
      rec.Piece = cell.TabType != ttNone && ConcretePiece(cell.Piece) ? cell.Piece : kNoPiece;
      rec.Spawn = cell.Spawn ? 1 : 0;
      records.push_back(rec);
    }
  }
  return records;
}

TLevelSource LevelFromRecords(const TLevelOptions& options, const std::vector<TCellRecord>& records,
                              std::vector<std::string>& notes) {
  TLevelSource level;
  level.Options = options;
  level.Options.Reserved.clear();
  for (int k = 0; k < 8; ++k) {
    uint8_t& flag = AllowFlag(level.Options, k);
    if (flag > 1) notes.push_back("the allow flag of " + std::string(kKindNames[k]) + " is " +
                                  std::to_string(flag) + "; read as allowed");
    flag = flag ? 1 : 0;
  }
  if (level.Options.Tested > 1) level.Options.Tested = 1;
  if (records.size() != static_cast<size_t>(kBoardCols * kBoardRows))
    notes.push_back("the file holds " + std::to_string(records.size()) +
                    " records, not 216; cells without a record are no cells");
  std::array<bool, kBoardCols * kBoardRows> seen{};
  for (size_t i = 0; i < records.size(); ++i) {
    const TCellRecord& rec = records[i];
    const std::string what = "record " + std::to_string(i + 1) + " (column " + std::to_string(rec.Col) + ", row " +
                             std::to_string(rec.Row) + ")";
    if (!rec.InGrid()) {
      notes.push_back(what + " lies outside the grid and is skipped");
      continue;
    }
    const size_t index = static_cast<size_t>((rec.Row - 1) * kBoardCols + rec.Col - 1);
    if (seen[index]) notes.push_back(what + " repeats a cell; the later record counts");
    seen[index] = true;
    TLevelCell& cell = level.At(rec.Col, rec.Row);
    cell.TabType = rec.TabType;
    if (rec.TabType >= kTileLetterCount) {
      notes.push_back(what + " has tab type " + std::to_string(rec.TabType) + "; read as a plain cell");
      cell.TabType = ttTab;
    }
    cell.Spawn = rec.Spawn ? 1 : 0;
    // As when the game loads a level: a record without a piece leaves what
    // the cell already holds.
    if (ConcretePiece(rec.Piece)) cell.Piece = rec.Piece;
    else if (rec.Piece != kNoPiece) notes.push_back(what + " has piece byte " + std::to_string(rec.Piece) +
                                                    "; read as no piece");
  }
  for (int r = 1; r <= kBoardRows; ++r)
    for (int c = 1; c <= kBoardCols; ++c) {
      TLevelCell& cell = level.At(c, r);
      // The game removes a piece from a cell that is no cell at once.
      if (cell.TabType == ttNone) cell.Piece = kNoPiece;
    }
  return level;
}

TPackSource LoadPackSource(const std::string& folder) {
  TPackSource pack;
  pack.Name = fs::path(folder).filename().string();
  if (pack.Name.empty()) pack.Name = fs::path(folder).parent_path().filename().string();
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) throw DataError(folder + ": not a folder");
  std::map<int, std::string> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    const std::string stem = entry.path().stem().string();
    const bool numbered = entry.is_regular_file() && entry.path().extension() == ".txt" && !stem.empty() &&
                          stem.size() <= 4 &&
                          std::all_of(stem.begin(), stem.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
    if (!numbered)
      throw DataError(entry.path().string() + ": not a level source (levels are named <number>.txt)");
    const int n = std::stoi(stem);
    if (files.count(n)) throw DataError(entry.path().string() + ": level " + std::to_string(n) + " is given twice");
    files[n] = entry.path().string();
  }
  int expected = 1;
  for (const auto& [n, path] : files) {
    if (n != expected)
      throw DataError(path + ": level " + std::to_string(expected) + " is missing before level " + std::to_string(n));
    pack.Levels.push_back(LoadLevelSource(path));
    ++expected;
  }
  if (pack.Levels.empty()) throw DataError(folder + ": the pack has no levels");
  return pack;
}

bool CompilePack(const TPackSource& pack, const std::string& home, std::vector<std::string>& warnings,
                 std::string& error) {
  for (size_t i = 0; i < pack.Levels.size(); ++i) {
    const int n = static_cast<int>(i) + 1;
    TLevelSource level = pack.Levels[i];
    if (!ResolveRandomPieces(level, level.Seed ? level.Seed : static_cast<uint32_t>(n), error)) return false;
    const std::vector<std::string> errors = LevelErrors(level);
    if (!errors.empty()) {
      error = errors.front();
      return false;
    }
    for (const std::string& w : LevelWarnings(level)) warnings.push_back(w);
    if (!WriteLevel(home, pack.Name, n, level.Options, LevelCellRecords(level), error)) return false;
  }
  // Levels left from an earlier, longer pack would still be counted by the game.
  std::error_code ec;
  for (int n = static_cast<int>(pack.Levels.size()) + 1;; ++n) {
    const bool opt = fs::remove(LevelOptionsPath(home, pack.Name, n), ec);
    const bool lvl = fs::remove(LevelCellsPath(home, pack.Name, n), ec);
    if (!opt && !lvl) break;
  }
  return true;
}

bool ReadCompiledLevel(const std::string& home, const std::string& pack, int level, TLevelSource& out,
                       std::vector<std::string>& notes, std::string& error) {
  const auto options = ReadLevelOptions(LevelOptionsPath(home, pack, level), error);
  if (!options) return false;
  const auto records = ReadLevelCells(LevelCellsPath(home, pack, level), error);
  if (!records) return false;
  out = LevelFromRecords(*options, *records, notes);
  out.File = LevelCellsPath(home, pack, level);
  return true;
}
