#include "board/BoardTab.h"

#include <algorithm>

#include "board/Board.h"
#include "board/BoardCursor.h"
#include "board/BoardEffects.h"
#include "board/BoardHost.h"
#include "board/GameSprite.h"
#include "board/Mouse.h"
#include "engine/render/Canvas.h"
#include "engine/render/Fonts.h"
#include "engine/render/Images.h"
#include "engine/sprites/SpriteEngine.h"

namespace {
}  // namespace

// The force field.

TForceField::TForceField(TSpriteEngine* engine) : TAnimSprite(engine) {
  SetImageName("forcefield1.image");
  BlendMode = kBlendAlpha;
  CanCollide = false;
  SetZ(150);  // over the piece (100) and the tile (2)
  StartIdleLoop();
  PulseTicks = 0;
  TBoardHost* game = BoardHostOf(engine);
  PulsePeriod = 1000 + (game ? game->Random.Next(500) : 0);
}

void TForceField::StartIdleLoop() {
  SetFirstFrame(6);
  FrameCount = 9;
  FramePos = 6.0f;
  Looping = true;
  FrameSpeed = 0.05f;
}

void TForceField::Move(float step) {
  TAnimSprite::Move(step);
  if (++PulseTicks > PulsePeriod) {
    PulseTicks = 0;
    SetFirstFrame(0);
    FrameCount = 6;
    FramePos = 0;
    Looping = false;
  }
  // The pulse has played frames 0..5 and stopped on the last: back to idling.
  if (FramePos == 5.0f) {
    StartIdleLoop();
    PulseTicks = 0;
    Animating = true;
  }
}

// The tile.

TBoardTab::TBoardTab(TSpriteEngine* engine) : TAnimSprite(engine) {
  SetImageName("board-wood.image");
  ShineTicks = 0;
  SpawnPending = 0;
  SpawnDelay = 0;
  BlendMode = kBlendAlpha;
  HitShape = 1;
  CanCollide = true;
  SetZ(2);
  ScaleX = ScaleY = 1.0f;
  // The pattern follows the tab type; no frame animation runs over it.
  Animating = false;
  SetType(ttTab);
  Spawn = 0;
  TBoardHost* game = Game();
  if (game && game->ScreenState == ssPlaying) SetAlpha(255);
  WoodVariant = 2 + (game ? game->Random.Next(4) : 0);
  FadeStep = 0;
}

TBoardTab::~TBoardTab() {
  // While the engine tears everything down (Engine cleared) the piece and the
  // field are freed by the engine itself.
  if (Engine) {
    KillPiece();
    KillForceField();
  }
}

TBoardHost* TBoardTab::Game() const { return BoardHostOf(Engine); }

TBoard* TBoardTab::Board() const {
  TBoardHost* game = Game();
  return game ? game->BoardIfAny() : nullptr;
}

void TBoardTab::Dead() {
  KillPiece();
  KillForceField();
  TAnimSprite::Dead();
}

void TBoardTab::KillPiece() {
  if (Piece) {
    Piece->Dead();
    Piece = nullptr;
  }
}

void TBoardTab::KillForceField() {
  if (ForceField) {
    ForceField->Dead();
    ForceField = nullptr;
  }
}

void TBoardTab::SetType(int type) {
  if ((TabType == ttForceField && type != ttForceField) || (TabType == ttForceField2 && type != ttForceField2))
    KillForceField();
  if (type == ttForceField || type == ttForceField2) {
    // Setting a field again restarts it.
    KillForceField();
    ForceField = new TForceField(Engine);
    ForceField->SetImageName(type == ttForceField ? "forcefield1.image" : "forcefield2.image");
    ForceField->SetX(X);
    ForceField->SetY(Y);
  }
  TabType = static_cast<uint8_t>(type);
}

void TBoardTab::HitField() {
  if (TabType != ttForceField && TabType != ttForceField2) return;
  TBoardHost* game = Game();
  const float cx = static_cast<float>(CeilToInt(X + 20.0));
  const float cy = static_cast<float>(CeilToInt(Y + 20.0));
  const bool orange = TabType == ttForceField2;
  SetType(orange ? ttForceField : ttFerro);
  if (game) {
    game->AddExplosion(orange ? 11 : 12, cx, cy);
    game->PlayGameSound("force-field-off.ogg");
  }
}

void TBoardTab::Move(float step) {
  TBoardHost* game = Game();
  TBoard* board = Board();
  ++ShineTicks;
  if (ForceField) ForceField->Visible = !(game && game->DialogOpen);

  // A spawn point produces its piece 21 ticks after it was found empty.
  if (SpawnPending) {
    if (++SpawnDelay > 20) {
      SpawnPending = 0;
      SpawnDelay = 0;
      if (board) board->RefillCell(Row, Col);
    }
  }

  // Fading: 2 alpha units every second tick.
  if (FadeStep > 1) {
    FadeStep = 0;
    if (game && board && IsPlayState(game->ScreenState)) {
      if (board->FadingIn) {
        if (Alpha > 254) {
          SetAlpha(255);
          board->FadingIn = 0;
        } else {
          SetAlpha(Alpha + 2);
        }
      }
      if (board->Completed) {
        if (Alpha < 1) {
          SetAlpha(0);
          // The first tile to fade out opens the result; the rest find it open.
          if (!board->ResultShown) {
            if (game->ScreenState == ssPlaying)
              board->ShowLevelResult();
            else
              board->ShowTestResult();
          }
        } else {
          SetAlpha(Alpha - 2);
        }
      }
      SetAlpha(std::clamp(Alpha, 0, 255));
    }
  }
  ++FadeStep;

  switch (TabType) {
    case ttNone:
      KillPiece();  // a cell of type 0 never keeps a piece
      break;
    case ttTab: SetPatternIndex(0); break;
    case ttWood: SetPatternIndex(WoodVariant); break;
    case ttFerro:
    case ttForceField:
    case ttForceField2: SetPatternIndex(1); break;
    default:
      if (TabType <= ttRebarba8) SetPatternIndex(TabType + 4);
      break;
  }

  TAnimSprite::Move(step);
  HitRect = {CeilToInt(X), CeilToInt(Y), CeilToInt(X + 40.0), CeilToInt(Y + 40.0)};
  if (ForceField) ForceField->SetAlpha(Alpha);
}

void TBoardTab::Draw() {
  TBoardHost* game = Game();
  if (TabType == ttNone || (game && game->DialogOpen)) return;
  TAnimSprite::Draw();
  if (!game || !Engine || !Engine->Canvas) return;
  TCanopyCanvas& canvas = *Engine->Canvas;
  if (game->ScreenState == ssEditor && Spawn) {
    if (TCanopyFont* font = game->Fonts.Items(1)) font->TextOut("S", 0xFF00FF00, X + 15, Y + 15);
  }
  if (Selected) {
    if (TCanopyImage* img = game->Images.Items(game->ImageIndexes[ciTabSelection]))
      canvas.Draw(img, 1, X, Y, kBlendAlpha);
  }
  if (TabType == ttWood) {
    // The glint: 12 frames, each for the 29 ticks strictly inside its window.
    TCanopyImage* hint = game->Images.Items(game->ImageIndexes[ciHint]);
    for (int k = 1; k <= 12; ++k) {
      const int from = 1000 + 30 * (k - 1);
      if (hint && ShineTicks > from && ShineTicks < from + 30) canvas.Draw(hint, k, X, Y, kBlendAlpha);
    }
    if (ShineTicks > 1360) ShineTicks = 0;
  }
}

void TBoardTab::OnCollision(TSprite& other) {
  TAnimSprite::OnCollision(other);
  TBoardHost* game = Game();
  TBoard* board = Board();
  if (!game || !board) return;
  // In the level editor the cursor paints the cell (the editor checks the
  // button, the tool and its dialogs). In play a press on a piece casts the
  // armed spell, unless it is the press that armed it.
  if (game->ScreenState == ssEditor && &other == game->MouseIfAny()) game->EditorPaintAt(*this);
  if (game->DialogOpen || game->HintShown) return;
  TMouse* mouse = game->MouseIfAny();
  if (mouse && &other == mouse && IsPlayState(game->ScreenState) && board->ArmedSpell >= 1 &&
      board->ArmedSpell <= 4 && Piece && game->aMouse.Pressed(0) && !mouse->ArmingPress && !board->Completed &&
      !board->TimeOver && !board->NoMoves)
    game->CastSpell(Piece->Row, Piece->Col, board->ArmedSpell);
  if (TabType >= ttTab && TabType <= ttFerro) {
    // While the board cursor shows, the marker stays on its cell.
    const bool keyCursor = board->Cursor && board->Cursor->Shown();
    if (board->Selection && !keyCursor) {
      board->Selection->SetX(X);
      board->Selection->SetY(Y);
      board->Selection->Visible = true;
    }
    if (TMouse* mouse = game->MouseIfAny(); mouse && &other == mouse) mouse->AwayTicks = 0;
  }
}
