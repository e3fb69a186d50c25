#include "board/GameSprite.h"

#include <algorithm>

#include "board/Board.h"
#include "board/BoardEffects.h"
#include "board/BoardHost.h"
#include "board/BoardTab.h"
#include "board/Mouse.h"
#include "engine/sprites/SpriteEngine.h"

namespace {

// Below this a shrinking piece counts as gone; float steps of 1/20 do not add
// up to exactly zero.
constexpr float kScaleGone = 1e-4f;
}  // namespace

int ElementOfKind(int kind) {
  switch (kind) {
    case pkTree: return 1;
    case pkGota: return 2;
    case pkFire: return 3;
    case pkMontanha: return 4;
    default: return 0;
  }
}

int ExplosionOfKind(int kind) {
  static const int kEffects[kPieceKinds] = {6, 5, 3, 4, 1, 2, 7, 8, 3};
  return kind >= 0 && kind < kPieceKinds ? kEffects[kind] : 0;
}

TGameSprite::TGameSprite(TSpriteEngine* engine) : TAnimSprite(engine) {
  BlendMode = kBlendAlpha;
  CanCollide = false;
  ScaleX = ScaleY = 1.0f;
  SetZ(100);
  TargetX = TargetY = 0;
  IdleTicks = FadeTicks = 0;
  TBoardHost* game = Game();
  IdleDelay = 50 + (game ? game->Random.Next(350) : 0);
  SetState(PieceState::Idle);
  Falling = Dying = CheckOnArrival = 0;
  Speed = 1.4;
  FallSpeed = 2.4;
}

TBoardHost* TGameSprite::Game() const { return BoardHostOf(Engine); }

TBoard* TGameSprite::Board() const {
  TBoardHost* game = Game();
  return game ? game->BoardIfAny() : nullptr;
}

void TGameSprite::OnCollision(TSprite& other) { TAnimSprite::OnCollision(other); }

void TGameSprite::SetState(PieceState state) {
  State = state;
  SetPatternIndex(0);
  Animating = false;
  if (Kind == pkFire) SetStateAnimation(static_cast<uint8_t>(state));
}

void TGameSprite::SetStateAnimation(uint8_t state) {
  if (state != 0) return;
  SetFirstFrame(0);
  FrameCount = 0;
  FramePos = 0;
  Looping = false;
  Animating = false;
}

void TGameSprite::CellFromPosition() {
  const int c = CeilToInt(static_cast<double>(X) / 40.0);
  const int r = CeilToInt((static_cast<double>(Y) + 10.0) / 40.0);
  if (c <= kBoardCols && r <= kBoardRows) {
    Col = c;
    Row = r;
  }
}

void TGameSprite::SnapToCell() {
  SetX(static_cast<float>(40 * Col));
  SetY(static_cast<float>(40 * Row - 10));
}

int TGameSprite::RowRun() const {
  const TBoard* board = Board();
  if (!board) return 0;
  auto same = [&](int c) { return board->IsSettled(c, Row) && board->PieceAt(c, Row)->Kind == Kind; };
  int n = 0;
  for (int c = Col + 1; c <= kBoardCols && same(c); ++c) ++n;
  for (int c = Col - 1; c >= 1 && same(c); --c) ++n;
  return n;
}

int TGameSprite::ColumnRun() const {
  const TBoard* board = Board();
  if (!board) return 0;
  auto same = [&](int r) { return board->IsSettled(Col, r) && board->PieceAt(Col, r)->Kind == Kind; };
  int n = 0;
  for (int r = Row + 1; r <= kBoardRows && same(r); ++r) ++n;
  for (int r = Row - 1; r >= 1 && same(r); --r) ++n;
  return n;
}

void TGameSprite::BeginMoveAnimation(int standardFirst, int standardCount, int bookFirst, int bookCount) {
  int first = 0, count = 0;
  if (Kind <= pkGota) {
    first = standardFirst;
    count = standardCount;
  } else if (Kind == pkBook) {
    first = bookFirst;
    count = bookCount;
  }
  if (count <= 0) return;  // pearls, crystals and skulls do not animate a move
  FirstFrame = first;
  FramePos = static_cast<float>(first);
  FrameCount = count;
  Looping = false;
  PlayMode = 0;
  FrameSpeed = static_cast<float>(count * 0.06 / 3 * Speed / 0.6);
  Animating = true;
}

void TGameSprite::StartMoveLeft() {
  SetState(PieceState::MoveLeft);
  TargetX = X - 40.0;
  BeginMoveAnimation(3, 3, 3, 3);
}

void TGameSprite::StartMoveRight() {
  SetState(PieceState::MoveRight);
  TargetX = X + 40.0;
  BeginMoveAnimation(6, 3, 3, 3);
}

void TGameSprite::StartMoveUp() {
  SetState(PieceState::MoveUp);
  TargetY = Y - 40.0;
  BeginMoveAnimation(9, 3, 6, 2);
}

void TGameSprite::StartMoveDown() {
  SetState(PieceState::MoveDown);
  TargetY = Y + 40.0;
  // A fall shows no squash animation.
  if (Falling)
    BeginMoveAnimation(0, 0, 0, 0);
  else
    BeginMoveAnimation(9, 3, 6, 2);
}

void TGameSprite::StartMoveDownLeft() {
  SetState(PieceState::MoveDownLeft);
  TargetY = Y + 40.0;
  TargetX = X - 40.0;
}

void TGameSprite::StartMoveDownRight() {
  SetState(PieceState::MoveDownRight);
  TargetY = Y + 40.0;
  TargetX = X + 40.0;
}

bool TGameSprite::SwapBackIfNoMatch(int col, int row, int direction) {
  TBoard* board = Board();
  if (!board) return false;
  TCell partner{col, row};
  switch (direction) {
    case 1: partner.Col = col - 1; break;
    case 2: partner.Col = col + 1; break;
    case 3: partner.Row = row - 1; break;
    case 4: partner.Row = row + 1; break;
    default: return false;
  }
  TGameSprite* other = board->PieceAt(partner.Col, partner.Row);
  if (other) other->SnapToCell();
  TGameSprite* own = board->PieceAt(col, row);
  if (!own || !other) return false;
  if (own->Dying || other->Dying) return false;
  if (own->RowRun() >= 2 || own->ColumnRun() >= 2) return false;
  if (other->RowRun() >= 2 || other->ColumnRun() >= 2) return false;
  switch (direction) {
    case 1: other->StartMoveRight(); break;
    case 2: other->StartMoveLeft(); break;
    case 3: other->StartMoveDown(); break;
    case 4: other->StartMoveUp(); break;
  }
  board->SwapCells({col, row}, partner);
  if (TBoardHost* game = Game()) game->PlayGameSound("swapback.ogg");
  return true;
}

void TGameSprite::Explode() {
  TBoardHost* game = Game();
  if (game) {
    game->StartDelay = 120;
    if (TMouse* mouse = game->MouseIfAny(); mouse && mouse->SelCol == Col && mouse->SelRow == Row)
      mouse->Deselect();
    // However many pieces break at once, one break sound every 20 ticks.
    if (game->BreakSoundThrottle == 20) {
      game->PlayGameSound("break-tab.ogg");
      game->BreakSoundThrottle = 0;
    }
    game->AddExplosion(ExplosionOfKind(Kind), static_cast<float>(CeilToInt(X + 20.0)),
                           static_cast<float>(CeilToInt(Y + 20.0)));
  }
  State = PieceState::Idle;
  Dying = 1;
  Visible = false;
}

void TGameSprite::HitBySpell() {
  TBoard* board = Board();
  TBoardTab* tab = board ? board->TabAt(Col, Row) : nullptr;
  if (tab && tab->TabType >= 4) {
    tab->HitField();
    return;
  }
  Explode();
}

void TGameSprite::DyingStep(float step) {
  TBoard* board = Board();
  TBoardTab* tab = board ? board->TabAt(Col, Row) : nullptr;
  // The first dying tick wears the box under the piece down one level.
  if (ScaleX == 1.0f && tab) {
    TBoardHost* game = Game();
    if (tab->TabType == ttWood) {
      if (game) {
        game->PlayGameSound("break-wood.ogg");
        EmitBoxParticles(*game, X, Y, false);
      }
      tab->TabType = ttTab;
    } else if (tab->TabType == ttFerro) {
      if (game) {
        game->PlayGameSound("break-steel.ogg");
        EmitBoxParticles(*game, X, Y, true);
      }
      tab->TabType = ttWood;
    }
  }
  ScaleX = static_cast<float>(ScaleX - step / 20.0);
  ScaleY = static_cast<float>(ScaleY - step / 20.0);
  if (ScaleX <= kScaleGone) {
    if (tab && tab->Piece == this) {
      // A broken skull leaves a box (or a stronger one) behind.
      if (Kind == pkCaveira && tab->TabType >= ttTab && tab->TabType <= ttForceField)
        tab->SetType(tab->TabType + 1);
      tab->Piece = nullptr;
    }
    Dead();
  }
}

void TGameSprite::ArriveAndCheck(int direction, void (TGameSprite::*moveBack)()) {
  TargetX = TargetY = 0;
  SetState(PieceState::Idle);
  if (direction == 3) CellFromPosition();
  if (CheckOnArrival) {
    if (SwapBackIfNoMatch(Col, Row, direction)) (this->*moveBack)();
    CheckOnArrival = 0;
  }
}

void TGameSprite::Move(float step) {
  TAnimSprite::Move(step);
  TBoardHost* game = Game();
  if (game && (game->DialogOpen || game->HintShown)) return;
  if (FadeTicks > 1.0 && game && IsPlayState(game->ScreenState)) {
    FadeTicks = 0;
    if (TBoard* board = Board()) {
      if (board->FadingIn) SetAlpha(Alpha >= 255 ? 255 : Alpha + 2);
      if (board->Completed) SetAlpha(Alpha <= 0 ? 0 : Alpha - 2);
    }
    SetAlpha(std::clamp(Alpha, 0, 255));
  }
  IdleTicks += 1;
  FadeTicks += 1;
  if (Falling) SetStateAnimation(0);
  if (Dying) DyingStep(step);

  const double v = Falling ? FallSpeed : Speed;
  switch (State) {
    case PieceState::Idle:
      Falling = 0;
      SnapToCell();
      if (Kind != pkCaveira && IdleTicks > IdleDelay) {
        IdleTicks = 0;
        const int r = game ? game->Random.Next(300) : 0;
        SetPatternIndex(r < 100 ? 0 : r < 200 ? 1 : 2);
      }
      break;
    case PieceState::MoveLeft:
      SetX(static_cast<float>(X - step * Speed));
      if (X <= TargetX) {
        SetX(static_cast<float>(TargetX));
        ArriveAndCheck(2, &TGameSprite::StartMoveRight);
      }
      break;
    case PieceState::MoveRight:
      SetX(static_cast<float>(X + step * Speed));
      if (X >= TargetX) {
        SetX(static_cast<float>(TargetX));
        ArriveAndCheck(1, &TGameSprite::StartMoveLeft);
      }
      break;
    case PieceState::MoveUp:
      SetY(static_cast<float>(Y - step * Speed));
      if (Y <= TargetY) {
        SetY(static_cast<float>(TargetY));
        ArriveAndCheck(4, &TGameSprite::StartMoveDown);
      }
      break;
    case PieceState::MoveDown:
      SetY(static_cast<float>(Y + step * v));
      if (Y >= TargetY) {
        SetY(static_cast<float>(TargetY));
        ArriveAndCheck(3, &TGameSprite::StartMoveUp);
      }
      break;
    case PieceState::MoveDownLeft:
      SetX(static_cast<float>(X - step * v));
      SetY(static_cast<float>(Y + step * v));
      if (X <= TargetX) {
        SetX(static_cast<float>(TargetX));
        SetY(static_cast<float>(TargetY));
        CellFromPosition();
        SetState(PieceState::Idle);
        TargetX = TargetY = 0;
      }
      break;
    case PieceState::MoveDownRight:
      SetX(static_cast<float>(X + step * v));
      SetY(static_cast<float>(Y + step * v));
      if (X >= TargetX) {
        SetX(static_cast<float>(TargetX));
        SetY(static_cast<float>(TargetY));
        SetState(PieceState::Idle);
        TargetX = TargetY = 0;
        CellFromPosition();
      }
      break;
  }

  if (ImageW_ == 0 && Engine && Engine->Images) {
    ImageW_ = ImageWidth();
    ImageH_ = ImageHeight();
  }
  HitRect = {CeilToInt(X), CeilToInt(Y), CeilToInt(static_cast<double>(X) + ImageW_),
             CeilToInt(static_cast<double>(Y) + ImageH_)};
}

void TGameSprite::Draw() {
  TBoardHost* game = Game();
  if (game && game->DialogOpen) return;
  TAnimSprite::Draw();
}

// The nine kinds.

TSpriteBlack::TSpriteBlack(TSpriteEngine* engine) : TGameSprite(engine) {
  SetImageName("black.image");
  Kind = pkBlack;
}

TSpriteMontanha::TSpriteMontanha(TSpriteEngine* engine) : TGameSprite(engine) {
  SetImageName("red.image");
  Kind = pkMontanha;
}

TSpriteFire::TSpriteFire(TSpriteEngine* engine) : TGameSprite(engine) {
  SetImageName("fire.image");
  Kind = pkFire;
  BlendMode = kBlendAdditive;
  Flame = new TAnimSprite(engine);
  Flame->SetImageName("fire-fx.image");
  Flame->BlendMode = kBlendAdditive;
  Flame->CanCollide = false;
  Flame->ScaleX = Flame->ScaleY = 1.0f;
  Flame->SetZ(11);
  Flame->SetAlpha(0);
  SetStateAnimation(0);
}

TSpriteFire::~TSpriteFire() {
  // While the engine tears everything down (Engine cleared) the flame is
  // freed by the engine itself.
  if (Engine && Flame) Flame->Dead();
}

void TSpriteFire::Dead() {
  if (Flame) Flame->Dead();
  TGameSprite::Dead();
}

void TSpriteFire::SetStateAnimation(uint8_t state) {
  TGameSprite::SetStateAnimation(state);
  if (!Flame) return;
  Flame->Looping = false;
  Flame->PlayMode = 0;
  Flame->Animating = true;
  Flame->FrameSpeed = static_cast<float>(3 * 0.06 / 3 * Speed / 0.6);
  switch (state) {
    case 1:
      Flame->SetFirstFrame(7);
      Flame->FrameCount = 3;
      break;
    case 2:
      Flame->SetFirstFrame(11);
      Flame->FrameCount = 3;
      break;
    case 3:
    case 4:
      Flame->SetFirstFrame(13);
      Flame->FrameCount = 3;
      break;
    case 0: {
      Flame->SetFirstFrame(0);
      Flame->FrameCount = 6;
      TBoardHost* game = Game();
      Flame->FramePos = static_cast<float>(game ? game->Random.Next(6) : 0);
      Flame->Looping = true;
      Flame->FrameSpeed = 0.05f;
      break;
    }
    default:
      break;  // slides keep the overlay's frames
  }
}

void TSpriteFire::Move(float step) {
  TGameSprite::Move(step);
  if (!Flame) return;
  TBoardHost* game = Game();
  Flame->Visible = !(game && game->DialogOpen);
  Flame->SetX(X);
  Flame->SetY(Y);
  Flame->SetAlpha(std::max(0, CeilToInt(Alpha * 155.0 / 255.0)));
  if (Dying) {
    Flame->ScaleX = static_cast<float>(Flame->ScaleX - step / 60.0);
    Flame->ScaleY = static_cast<float>(Flame->ScaleY - step / 60.0);
  }
}

TSpriteTree::TSpriteTree(TSpriteEngine* engine) : TGameSprite(engine) {
  SetImageName("tree.image");
  Kind = pkTree;
}

TSpriteGota::TSpriteGota(TSpriteEngine* engine) : TGameSprite(engine) {
  SetImageName("gota.image");
  Kind = pkGota;
}

TSpriteBook::TSpriteBook(TSpriteEngine* engine) : TGameSprite(engine) {
  SetImageName("book.image");
  Kind = pkBook;
}

TSpritePearl::TSpritePearl(TSpriteEngine* engine) : TGameSprite(engine) {
  SetImageName("pearl.image");
  Kind = pkPearl;
}

TSpriteCristal::TSpriteCristal(TSpriteEngine* engine) : TGameSprite(engine) {
  SetImageName("cristal.image");
  Kind = pkCristal;
}

TSpriteCaveira::TSpriteCaveira(TSpriteEngine* engine) : TGameSprite(engine) {
  SetImageName("celtic-cross.image");
  Kind = pkCaveira;
  SetPatternIndex(0);
}

void TSpriteCaveira::Move(float step) {
  TGameSprite::Move(step);
  SetPatternIndex(0);
}

TGameSprite* CreatePiece(TSpriteEngine* engine, int kind) {
  switch (kind) {
    case pkBlack: return new TSpriteBlack(engine);
    case pkMontanha: return new TSpriteMontanha(engine);
    case pkFire: return new TSpriteFire(engine);
    case pkTree: return new TSpriteTree(engine);
    case pkGota: return new TSpriteGota(engine);
    case pkBook: return new TSpriteBook(engine);
    case pkPearl: return new TSpritePearl(engine);
    case pkCristal: return new TSpriteCristal(engine);
    case pkCaveira: return new TSpriteCaveira(engine);
    default: return nullptr;
  }
}
