#include "board/BoardCursor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "board/Board.h"
#include "board/BoardHost.h"
#include "board/BoardTab.h"
#include "board/GameSprite.h"
#include "board/Mouse.h"
#include "engine/render/Canvas.h"

TBoardCursor::TBoardCursor(TBoardHost& game) : TSprite(&game.SpriteEngine()), Game_(game) {
  SetZ(10001);  // over the pieces and the hover marker, under the cursor sprite
  CanCollide = false;
  Visible = false;
}

TBoard* TBoardCursor::Board() const {
  TBoard* board = Game_.BoardIfAny();
  return board && board->Cursor == this && !Killed ? board : nullptr;
}

bool TBoardCursor::Accepting() const {
  const TBoard* board = Board();
  if (!board || !IsPlayState(Game_.ScreenState)) return false;
  if (board->FadingIn || board->Completed || board->Cleared) return false;
  return !Game_.DialogOpen && !Game_.HintShown && !Game_.GamePaused;
}

bool TBoardCursor::Picked() const {
  const TMouse* mouse = Game_.MouseIfAny();
  return Picked_ && mouse && mouse->SelCol == Col && mouse->SelRow == Row;
}

bool TBoardCursor::Reveal() {
  if (Shown_) return false;
  Shown_ = true;
  Ticks_ = 0;
  return true;
}

void TBoardCursor::MouseMoved(int x, int y) {
  Shown_ = false;
  Picked_ = false;
  // The frame comes back on the cell under the pointer.
  CellAtPoint(x, y, Col, Row);
}

void TBoardCursor::Step(int dx, int dy) {
  if (!Accepting()) return;
  TBoard& board = *Board();
  if (board.TimeOver || board.NoMoves) return;
  if (Reveal()) return;
  TMouse& mouse = Game_.Mouse();
  if (Picked() && !board.ArmedSpell) {
    // The picked piece goes to the neighbour, as a click there would take it.
    if (TBoardTab* next = board.TabAt(Col + dx, Row + dy)) {
      if (next->Piece && TBoard::IsSelectable(next->TabType) && mouse.SwapWith(*next)) Picked_ = false;
    }
    return;
  }
  Col = std::clamp(Col + dx, 1, static_cast<int>(kBoardCols));
  Row = std::clamp(Row + dy, 1, static_cast<int>(kBoardRows));
  Ticks_ = 0;
}

void TBoardCursor::Press() {
  if (!Accepting()) return;
  TBoard& board = *Board();
  if (board.TimeOver || board.NoMoves) {
    // "Click to continue": the level starts again, as after a click.
    board.TimeOver = 0;
    board.NoMoves = 0;
    Game_.Board().RetryLevel();
    return;
  }
  if (Reveal()) return;
  TBoardTab* tab = board.TabAt(Col, Row);
  if (!tab || !tab->Piece) return;
  if (board.ArmedSpell >= 1 && board.ArmedSpell <= 4) {
    Game_.CastSpell(tab->Piece->Row, tab->Piece->Col, board.ArmedSpell);
    return;
  }
  if (!TBoard::IsSelectable(tab->TabType)) return;
  TMouse& mouse = Game_.Mouse();
  if (mouse.SelCol == Col && mouse.SelRow == Row) {
    mouse.Deselect();  // a second press on the picked piece lets it go
    Picked_ = false;
  } else if (mouse.HasSelection() && std::abs(mouse.SelCol - Col) + std::abs(mouse.SelRow - Row) == 1) {
    mouse.SwapWith(*tab);  // the neighbour of a piece picked before
    Picked_ = false;
  } else if (mouse.HasSelection() && std::abs(mouse.SelCol - Col) <= 1 && std::abs(mouse.SelRow - Row) <= 1) {
    // A diagonal neighbour: nothing, as with a click there.
  } else {
    mouse.Deselect();
    mouse.Select(*tab);
    Picked_ = true;
  }
}

bool TBoardCursor::CancelPick() {
  if (!Picked()) return false;
  Game_.Mouse().Deselect();
  Picked_ = false;
  return true;
}

void TBoardCursor::Move(float step) {
  TSprite::Move(step);
  ++Ticks_;
  // A pick the game has let go of (the piece broke or fell away) is over.
  if (Picked_ && !Picked()) Picked_ = false;
  if (!Shown_) return;
  // The hover marker follows the frame, so an armed spell shows its area
  // where the next press will cast it.
  TBoard* board = Board();
  if (board && board->Selection) {
    if (const TBoardTab* tab = board->TabAt(Col, Row); tab && tab->TabType >= ttTab && tab->TabType <= ttFerro) {
      board->Selection->SetX(tab->X);
      board->Selection->SetY(tab->Y);
      board->Selection->Visible = true;
      if (TMouse* mouse = Game_.MouseIfAny()) mouse->AwayTicks = 0;
    }
  }
}

void TBoardCursor::Draw() {
  if (!Shown_ || !Engine || !Engine->Canvas || Game_.DialogOpen) return;
  const TBoard* board = Board();
  if (!board || !IsPlayState(Game_.ScreenState) || board->FadingIn || board->Completed) return;
  TCanopyCanvas& canvas = *Engine->Canvas;
  const float left = 40.0f * static_cast<float>(Col), top = 40.0f * static_cast<float>(Row) - 10.0f;
  const float right = left + 40.0f, bottom = top + 40.0f;
  // A bright frame that breathes: white while moving about, gold with a
  // piece picked, so the next arrow is seen to swap.
  const float glow = 0.5f + 0.5f * std::sin(static_cast<float>(Ticks_) * 0.08f);
  const auto alpha = static_cast<TColor>(150 + static_cast<int>(105.0f * glow));
  const TColor inner = Picked() ? 0x0030D0FFu : 0x00FFFFFFu;
  const TColor outer = 0xC0000000u;
  auto frame = [&](float inset, float width, TColor color) {
    const float l = left + inset, t = top + inset, r = right - inset, b = bottom - inset;
    canvas.FillRect(l, t, r, t + width, color, kBlendAlpha);
    canvas.FillRect(l, b - width, r, b, color, kBlendAlpha);
    canvas.FillRect(l, t + width, l + width, b - width, color, kBlendAlpha);
    canvas.FillRect(r - width, t + width, r, b - width, color, kBlendAlpha);
  };
  frame(-1.0f, 2.0f, outer);
  frame(1.0f, 3.0f, inner | (alpha << 24));
  frame(4.0f, 1.0f, outer);
}
