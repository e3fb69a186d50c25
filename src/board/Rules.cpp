// The rules of play: gravity and spawn points, the match scan with its
// scoring and combo multiplier, the random refill, the swap of two cells, the
// test for a move that is left, points, lives and mana.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "board/Board.h"
#include "board/BoardEffects.h"
#include "board/BoardHost.h"
#include "board/BoardTab.h"
#include "board/GameSprite.h"
#include "board/Mouse.h"
#include "board/MoveFinder.h"
#include "engine/sprites/SpriteEngine.h"
#include "players/Player.h"

namespace {

// Scores stop at the largest 32-bit value: a cascade that never ends (a level
// with a single kind of piece) must not wrap the score round to a negative one.
int32_t Saturated(int64_t v) {
  return static_cast<int32_t>(std::min<int64_t>(v, std::numeric_limits<int32_t>::max()));
}
}  // namespace

bool TBoard::CanReceive(int col, int row) {
  const TBoardTab* tab = TabAt(col, row);
  if (!tab || tab->Piece || !IsSelectable(tab->TabType) || tab->Spawn) return false;
  Game.StartDelay = 120;  // something will fall: the board is not settled
  return true;
}

TGameSprite* TBoard::PutPiece(int col, int row, int kind) {
  TBoardTab* tab = TabAt(col, row);
  if (!tab || kind < 0 || kind >= kPieceKinds) return nullptr;
  tab->KillPiece();
  TGameSprite* piece = CreatePiece(Engine, kind);
  tab->Piece = piece;
  piece->SetX(tab->X);
  piece->SetY(tab->Y);
  piece->CellFromPosition();
  return piece;
}

void TBoard::RefillCell(int row, int col) {
  TBoardTab* tab = TabAt(col, row);
  if (!tab) return;
  const int d = Game.Random.Next(10);
  if (tab->Piece) return;
  if (d < 2 && Options.MaxCaveiras > 0) {
    --Options.MaxCaveiras;
    PutPiece(col, row, pkCaveira);
    return;
  }
  if (!Options.AnyAllowed()) return;  // nothing to draw from
  static const PieceKind kKinds[8] = {pkBlack, pkGota, pkBook, pkPearl, pkMontanha, pkTree, pkFire, pkCristal};
  const uint8_t allowed[8] = {Options.AllowBlack, Options.AllowGota, Options.AllowBook, Options.AllowPearl,
                              Options.AllowRed,   Options.AllowTree, Options.AllowFire, Options.AllowCristal};
  while (!tab->Piece) {
    const int k = Game.Random.Next(8);
    if (allowed[k]) PutPiece(col, row, kKinds[k]);
  }
}

void TBoard::GravityStep() {
  const bool play = IsPlayState(Game.ScreenState);
  // A column cannot feed the cell below (col, row) when a field sits at or
  // above that spot, or when the spot holds no piece and is no spawn point.
  auto cannotFeed = [&](int col, int row) {
    const TBoardTab* above = row > 1 ? TabAt(col, row - 1) : nullptr;
    const TBoardTab* side = TabAt(col, row);
    if (above && IsLocked(above->TabType)) return true;
    if (!side) return true;
    return IsLocked(side->TabType) || (!CanHoldPiece(side->TabType) && !side->Spawn);
  };
  for (int r = 1; r < kBoardRows; ++r) {
    for (int c = 1; c <= kBoardCols; ++c) {
      TBoardTab* tab = TabAt(c, r);
      if (!tab) continue;
      if (play && tab->Spawn && !tab->Piece && !tab->SpawnPending) {
        tab->SpawnPending = 1;
        continue;
      }
      if (!CanFall(c, r)) continue;
      TGameSprite* piece = tab->Piece;
      TBoardTab* target = nullptr;
      if (CanReceive(c, r + 1)) {
        target = TabAt(c, r + 1);
        piece->Falling = 1;
        piece->StartMoveDown();
      } else if (c < kBoardCols) {
        if (CanReceive(c + 1, r + 1)) {
          if (cannotFeed(c + 1, r)) {
            target = TabAt(c + 1, r + 1);
            piece->Falling = 1;
            piece->StartMoveDownRight();
          }
        } else if (c > 1 && CanReceive(c - 1, r + 1)) {
          if (cannotFeed(c - 1, r)) {
            target = TabAt(c - 1, r + 1);
            piece->Falling = 1;
            piece->StartMoveDownLeft();
          }
        }
      }
      if (!target) continue;
      target->Piece = piece;
      tab->Piece = nullptr;
      if (TMouse* mouse = Game.MouseIfAny(); mouse && mouse->SelCol == c && mouse->SelRow == r) mouse->Deselect();
    }
  }
}

void TBoard::BumpCombo() {
  if (ComboTicks > 0) ++ComboMultiplier;
  ComboTicks = 100.0;
}

void TBoard::HitVerticalLineThrough(int col, int row) {
  const TGameSprite* piece = PieceAt(col, row);
  if (!piece) return;
  const PieceKind kind = piece->Kind;
  auto same = [&](int r) { return IsSettled(col, r) && PieceAt(col, r)->Kind == kind; };
  // Gather first: hitting a cell unsettles it.
  std::vector<int> rows;
  int top = row;
  while (top > 1 && same(top - 1)) --top;
  for (int r = top; r < row; ++r) rows.push_back(r);
  for (int r = row + 1; r <= kBoardRows && same(r); ++r) rows.push_back(r);
  for (int r : rows) HitCell(col, r);
}

void TBoard::ScoreHorizontal(int col, int row, int h) {
  BumpCombo();
  const TGameSprite* piece = PieceAt(col, row);
  AwardPoints(Saturated(int64_t{h + 1} * 100 * ComboMultiplier), piece->X, piece->Y);
  for (int k = h; k >= 0; --k) {
    const int c = col + k;
    if (c > kBoardCols) continue;
    const TGameSprite* p = PieceAt(c, row);
    if (p && p->ColumnRun() >= 2) HitVerticalLineThrough(c, row);
    HitCell(c, row);
  }
}

void TBoard::ScoreVertical(int col, int row, int v, bool alsoHorizontal) {
  BumpCombo();
  const int f = alsoHorizontal ? 150 : 100;
  if (const TGameSprite* piece = PieceAt(col, row))
    AwardPoints(Saturated(int64_t{v + 1} * f * ComboMultiplier), piece->X, piece->Y);
  for (int k = v; k >= 0; --k)
    if (row + k <= kBoardRows) HitCell(col, row + k);
}

void TBoard::ReplaceInSetup(int col, int row) {
  TBoardTab* tab = TabAt(col, row);
  tab->KillPiece();
  RefillCell(row, col);
}

bool TBoard::MatchStep(bool scoring) {
  bool result = false;
  int boxes = 0;
  for (int c = 1; c <= kBoardCols; ++c) {
    for (int r = 1; r <= kBoardRows; ++r) {
      TBoardTab* tab = TabAt(c, r);
      if (!tab) continue;
      if (tab->Piece && tab->Piece->State == PieceState::Idle) tab->Piece->SnapToCell();
      if (IsBox(tab->TabType)) {
        ++boxes;
        Cleared = 0;
      }
      if (!IsSettled(c, r)) continue;
      const TGameSprite* piece = tab->Piece;
      const PieceKind kind = piece->Kind;
      const int h = piece->RowRun();
      const int v = piece->ColumnRun();
      // A line is handled once, from its first piece. Broken pieces unsettle
      // at once, but locked pieces stay settled, and a run of them must not be
      // taken again from each of its members.
      const bool first = !(IsSettled(c - 1, r) && PieceAt(c - 1, r)->Kind == kind);
      const bool top = !(IsSettled(c, r - 1) && PieceAt(c, r - 1)->Kind == kind);
      const bool horizontal = h >= 2 && first;
      if (horizontal) {
        result = true;
        if (scoring)
          ScoreHorizontal(c, r, h);
        else
          ReplaceInSetup(c, r);
      }
      if (v >= 2 && top) {
        result = true;
        if (scoring)
          ScoreVertical(c, r, v, horizontal);
        else
          ReplaceInSetup(c, r);
      }
    }
  }
  if (IsPlayState(Game.ScreenState) && boxes == 0) {
    // The level tune stops when the last box goes, once: the board keeps
    // being scanned while it settles before the win.
    if (!Cleared)
      for (int m = 1; m <= 9; ++m) Game.StopGameMusic("Music" + std::to_string(m));
    Cleared = 1;
    // The level is won once the board has settled.
    if (Game.StartDelay <= 0) {
      Game.PlayGameMusic("levelcompleted", false);
      LevelWon();
    }
  }
  return result;
}

void TBoard::HitCell(int col, int row) {
  TBoardTab* tab = TabAt(col, row);
  if (!tab) return;
  if (IsLocked(tab->TabType)) {
    tab->HitField();  // the field takes the hit; the piece stays
    return;
  }
  if (IsSettled(col, row)) {
    TGameSprite* piece = tab->Piece;
    piece->Explode();
    ManaFlight(*piece);
  }
}

void TBoard::SwapCells(TCell a, TCell b) {
  TBoardTab* ta = TabAt(a.Col, a.Row);
  TBoardTab* tb = TabAt(b.Col, b.Row);
  if (!ta || !tb) return;
  if (ta->Piece) {
    ta->Piece->Col = b.Col;
    ta->Piece->Row = b.Row;
  }
  if (tb->Piece) {
    tb->Piece->Col = a.Col;
    tb->Piece->Row = a.Row;
  }
  std::swap(ta->Piece, tb->Piece);
}

bool TBoard::HasMove() {
  // Idle pieces first stand exactly on their cells, as the match scan expects.
  for (int c = 1; c <= kBoardCols; ++c) {
    for (int r = 1; r <= kBoardRows; ++r) {
      const TBoardTab* tab = TabAt(c, r);
      if (tab && tab->Piece && tab->Piece->State == PieceState::Idle) tab->Piece->SnapToCell();
    }
  }
  // Any swap of settled pieces that lines up three, from any side and on any
  // row or column, is a move: the same search the level bot plays by.
  return !FindLineSwaps(TBotGrid::FromBoard(*this)).empty();
}

void TBoard::AwardPoints(int points, float x, float y) {
  Game.PlayGameSound("pontos-subindo.ogg");
  TPlayer& player = Game.Player();
  player.Score = Saturated(int64_t{player.Score} + points);
  auto* number = new TScoreSprite(Engine);
  number->Points = points;
  number->Place(x, y);
  if (player.Score > player.NextLifeScore) {
    player.NextLifeScore = Saturated(int64_t{player.NextLifeScore} + kLifeScoreStep);
    player.Lives += 1;
    Game.PlayGameMusic("life", false);
  }
}

void TBoard::ManaFlight(const TGameSprite& piece) {
  const int element = ElementOfKind(piece.Kind);
  if (element == 0) return;
  const int32_t* mana = Game.Player().Mana(element);
  if (mana && *mana < kManaFull) Game.SendManaToPot(element, piece.X + 20.0, piece.Y + 20.0);
}
