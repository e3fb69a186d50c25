#include "board/Mouse.h"

#include <cstdlib>

#include "board/Board.h"
#include "board/BoardCursor.h"
#include "board/BoardHost.h"
#include "board/BoardTab.h"
#include "board/GameSprite.h"
#include "engine/particles/XParticleSystem.h"
#include "engine/render/Canvas.h"
#include "engine/sprites/SpriteEngine.h"
#include "players/Player.h"

namespace {
bool HoldsIdlePiece(const TBoardTab* tab) { return tab && tab->Piece && tab->Piece->State == PieceState::Idle; }
}  // namespace

TMouse::TMouse(TBoardHost& game) : TAnimSprite(&game.SpriteEngine()), Game(game) {
  SetImageName("mouse.image");
  SetZ(10000000);  // over everything else
  BlendMode = kBlendAlpha;
  CanCollide = true;
  HitShape = 1;
  ScaleX = ScaleY = 1.0f;
  Animating = false;  // one still picture
}

TMouse::~TMouse() { Game.SpriteSingletonGone(this); }

void TMouse::Move(float step) {
  TAnimSprite::Move(step);
  // The cursor takes its place before the collision pass, not after it: a
  // press arrives in the same frame as the motion that brought the pointer to
  // it, and it must meet the cell under the pointer, not the one it left.
  SetX(static_cast<float>(Game.MouseX));
  SetY(static_cast<float>(Game.MouseY));
  HitRect = {CeilToInt(X), CeilToInt(Y), CeilToInt(X + 1.0), CeilToInt(Y + 1.0)};
  // A press that begins now may act once, also when the pointer never rested
  // on a cell with the button up before it (a quick move and click).
  const bool held = Game.aMouse.Pressed(0);
  // A press that a form's control took (the hint's "Continue", a dialog
  // button) is not the board's. A quick click reaches the form, which may
  // close on its release, before the game's tick sees the press: without this
  // the click would also land on the cell under the button.
  const int guiPresses = Game.GuiBase1.LeftPressesTaken();
  if (held && !WasHeld_) GuiPress_ = guiPresses != GuiPressesSeen_;
  if (!held) GuiPress_ = false;
  GuiPressesSeen_ = guiPresses;
  if (held && !WasHeld_ && !GuiPress_) FreshPress = 1;
  WasHeld_ = held;
  if (!held) ArmingPress = false;

  // The one collision pass of the game: cells, buttons and the cursor meet here.
  Engine->CollideAll();

  TBoard* board = Game.BoardIfAny();
  // A click after time over or "no more moves" tries the level again. When
  // both are up, the one click clears both and costs one life, not two. The
  // press is used up: held on, it must not also pick a piece of the new board.
  if (board && held && !GuiPress_ && (board->TimeOver || board->NoMoves)) {
    board->TimeOver = 0;
    board->NoMoves = 0;
    FreshPress = 0;
    Game.Board().RetryLevel();
  }
  if (MagicTrail) {
    MagicTrail->Update(ParticleStepMs(Game));
    // The trail marks where the spell will go: with the keys' frame up,
    // the middle of its cell.
    const TBoard* now = Game.BoardIfAny();
    if (now && now->Cursor && now->Cursor->Shown())
      MagicTrail->FireAt(40.0f * static_cast<float>(now->Cursor->Col) + 20.0f,
                         40.0f * static_cast<float>(now->Cursor->Row) + 10.0f);
    else
      MagicTrail->FireAt(X, Y);
  }
  board = Game.BoardIfAny();
  if (AwayTicks > 1 && board && board->Selection) board->Selection->Visible = false;
}

void TMouse::Draw() {
  TAnimSprite::Draw();
  if (MagicTrail) MagicTrail->Render(Game.Canvas);
  const bool system = Game.HasPlayer() && Game.Player().SystemCursor;
  Visible = !system;
  Game.Platform.SetSystemCursorVisible(system);
}

void TMouse::Select(TBoardTab& cell) {
  Game.PlayGameSound("snap.ogg");
  FreshPress = 0;
  SelCol = cell.Col;
  SelRow = cell.Row;
  cell.Selected = 1;
  cell.SetPatternIndex(0);
}

void TMouse::Deselect() {
  if (!HasSelection()) return;
  if (TBoard* board = Game.BoardIfAny()) {
    if (TBoardTab* cell = board->TabAt(SelCol, SelRow)) {
      cell->Selected = 0;
      cell->BlendMode = kBlendAlpha;
      cell->SetPatternIndex(0);
    }
  }
  SelCol = SelRow = 0;
}

void TMouse::CommitSwap(TBoardTab& cell) {
  TBoard* board = Game.BoardIfAny();
  if (!board) return;
  board->SwapCells({SelCol, SelRow}, {cell.Col, cell.Row});
  if (TGameSprite* piece = board->PieceAt(SelCol, SelRow)) piece->CheckOnArrival = 1;
}

void TMouse::OnCollision(TSprite& other) {
  TAnimSprite::OnCollision(other);
  if (!IsPlayState(Game.ScreenState)) return;
  auto* t = dynamic_cast<TBoardTab*>(&other);
  TBoard* board = Game.BoardIfAny();
  if (!t || !board) return;
  if (board->FadingIn || board->Completed || board->TimeOver || board->NoMoves || board->Cleared) return;
  if (Game.DialogOpen || Game.HintShown || GuiPress_) return;

  if (Game.aMouse.Released(0)) FreshPress = 1;
  if (!Game.aMouse.Pressed(0) || !t->Piece || !TBoard::IsSelectable(t->TabType) || board->ArmedSpell) return;

  if (FreshPress) {
    if (t->Col == SelCol && t->Row == SelRow) {
      Deselect();  // a second click on the selected piece lets it go
      FreshPress = 0;
    } else if (!HasSelection()) {
      Select(*t);
    }
  }
  if (!HasSelection()) return;

  if (std::abs(t->Col - SelCol) <= 1 && std::abs(t->Row - SelRow) <= 1) {
    // The press is used up whether the pieces swap or not: held on, it must
    // not pick the cell it swapped into on the next tick.
    SwapWith(*t);
    FreshPress = 0;
  } else {
    // Dragging across a farther cell moves the selection there.
    Deselect();
    Select(*t);
  }
}

bool TMouse::SwapWith(TBoardTab& t) {
  TBoard* board = Game.BoardIfAny();
  if (!board || !HasSelection()) return false;
  TBoardTab* s = board->TabAt(SelCol, SelRow);
  if (!HoldsIdlePiece(s) || !HoldsIdlePiece(&t)) return false;
  if (t.Row == SelRow && t.Col == SelCol - 1) {
    s->Piece->StartMoveLeft();
    t.Piece->StartMoveRight();
  } else if (t.Row == SelRow && t.Col == SelCol + 1) {
    s->Piece->StartMoveRight();
    t.Piece->StartMoveLeft();
  } else if (t.Col == SelCol && t.Row == SelRow - 1) {
    s->Piece->StartMoveUp();
    t.Piece->StartMoveDown();
  } else if (t.Col == SelCol && t.Row == SelRow + 1) {
    s->Piece->StartMoveDown();
    t.Piece->StartMoveUp();
  } else {
    return false;
  }
  CommitSwap(t);
  Deselect();
  return true;
}

TSelection::TSelection(TSpriteEngine* engine) : TAnimSprite(engine) {
  SetImageName("tab-selection.image");
  SetZ(10000);
  Visible = false;
  BlendMode = kBlendAdditive;
  SetX(-100);
  SetY(-100);
  Animating = false;
}

void TSelection::Draw() {
  TBoardHost* game = BoardHostOf(Engine);
  if (!game) return;
  const TBoard* board = game->BoardIfAny();
  if (game->DialogOpen) return;
  if (board && (board->FadingIn || board->Completed || board->TimeOver || board->NoMoves)) return;
  if (!board || !board->ArmedSpell) {
    TAnimSprite::Draw();
    return;
  }
  if (!Visible || !Engine->Canvas) return;
  TCanopyImage* image = game->Images.Items(game->ImageIndexes[ciTabSelection]);
  if (!image) return;
  struct TArea {
    TColor Color;
    int Count;
    int Cells[10][2];
  };
  static const TArea kAreas[4] = {
      {0xFF00FF00, 3, {{0, 0}, {0, -40}, {0, 40}}},
      {0xFFFF8040, 3, {{0, 0}, {-40, 0}, {40, 0}}},
      {0xFF40D0FF, 5, {{0, 0}, {-40, 0}, {40, 0}, {0, 40}, {0, -40}}},
      // The centre twice: under the additive blend it shows brighter.
      {0xFF0000FF, 10,
       {{0, 0}, {0, 0}, {-40, 0}, {40, 0}, {0, 40}, {0, -40}, {-40, 40}, {-40, -40}, {40, 40}, {40, -40}}},
  };
  if (board->ArmedSpell < 1 || board->ArmedSpell > 4) return;
  const TArea& area = kAreas[board->ArmedSpell - 1];
  for (int i = 0; i < area.Count; ++i)
    Engine->Canvas->DrawColored(image, area.Color, X + area.Cells[i][0], Y + area.Cells[i][1], 0,
                                kBlendAdditive);
}
