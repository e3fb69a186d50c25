#include "play/Magic.h"

#include <cmath>
#include <string>

#include "automation/JsonWriter.h"
#include "app/Main.h"
#include "layout/PlayForms.h"
#include "board/Board.h"
#include "board/BoardTab.h"
#include "engine/render/Canvas.h"
#include "engine/render/Fonts.h"
#include "engine/sprites/SpriteEngine.h"
#include "engine/particles/XParticleSystem.h"
#include "play/Effects.h"
#include "board/GameSprite.h"
#include "play/Mouse.h"

namespace {

constexpr int kVineLength = 336;
constexpr int kVineHeight = 69;
constexpr int kVineTop = 540;
constexpr int kPotSize = 31;

const char* const kPotImages[5] = {"", "gui-tree.image", "gui-gota.image", "gui-fogo.image", "gui-montanha.image"};

const char* const kManaTips[5] = {
    "",
    "When you match 3 or more Tree Pieces, the Tree Mana pot increases! When this mana is full, you can Cast a "
    "Magic Spell!",
    "When you match 3 or more Water Pieces, the Water Mana pot increases! When this mana is full, you can Cast a "
    "Magic Spell!",
    "When you match 3 or more Fire Pieces, the Fire Mana pot increases! When this mana is full, you can Cast a "
    "Magic Spell!",
    "When you match 3 or more Mountain Pieces, the Mountain Mana pot increases! When this mana is full, you can "
    "cast a Magic Spell!",
};
const char* const kFullTips[5] = {
    "",
    "You are full of Tree Mana. Click here to Activate the Magic and click in target!!",
    "You are full of Water Mana. Click here to Activate the Magic and click in the target!!",
    "You are full of Fire Mana. Click here to Activate the Magic and click in the target!!",
    "You are full of Mountain Mana . Click here to Activate the Spell, so click where to catch the spell!!",
};

// Tutorial flags of the two mana hints.
constexpr int kManaFullHint = 6;
constexpr int kManaTipHint = 7;

bool Quiet(const Tmain& game) { return !game.HintShown && !game.DialogOpen && !game.GamePaused; }

}  // namespace

const TSpellArea& SpellArea(int element) {
  static const TSpellArea kAreas[5] = {
      {0, {}},
      {3, {{0, 0}, {1, 0}, {-1, 0}}},
      {3, {{0, 0}, {0, 1}, {0, -1}}},
      {5, {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {0, 0}}},
      {9, {{0, 0}, {1, 1}, {1, 0}, {1, -1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, 1}, {0, -1}}},
  };
  return kAreas[element >= 1 && element <= 4 ? element : 0];
}

TPotPlace PotPlace(int element) {
  switch (element) {
    case 1: return {397, 522};
    case 2: return {397, 557};
    case 3: return {367, 540};
    case 4: return {426, 540};
    default: return {0, 0};
  }
}

int VineWidth(int elapsed, int levelTime) {
  if (levelTime <= 0) return 0;
  const double p = static_cast<double>(elapsed) * 100.0 / levelTime;
  const double w = std::ceil(kVineLength - kVineLength * p / 100.0);
  if (w <= 0) return 0;
  return w >= kVineLength ? kVineLength : static_cast<int>(w);
}

int PotEmptyRows(int mana) {
  const double h = std::ceil(kPotSize - kPotSize * static_cast<double>(mana) / kManaFull);
  if (h <= 0) return 0;
  return h >= kPotSize ? kPotSize : static_cast<int>(h);
}

// ---------------------------------------------------------------------------
// Spell buttons

TArvanelMagics::TArvanelMagics(Tmain& game, int element)
    : TAnimSprite(&game.SpriteEngine()), Element(element), Game(game) {
  HitShape = 1;
  CanCollide = true;
  SetImageName(kPotImages[element]);
  BlendMode = kBlendAlpha;
  SetFirstFrame(2);
  FrameCount = 3;
  Looping = true;
  FrameSpeed = 0.15f;
  PlayMode = 2;  // ping-pong
  Animating = true;
  SetZ(kInGameBarZ + 1);
  const TPotPlace place = PotPlace(element);
  SetX(static_cast<float>(place.X));
  SetY(static_cast<float>(place.Y));
  const int w = PatternWidth() > 0 ? PatternWidth() : kPotSize, h = PatternHeight() > 0 ? PatternHeight() : kPotSize;
  HitRect = {place.X, place.Y, place.X + w, place.Y + h};
}

TArvanelMagics::~TArvanelMagics() { Game.Magic().Gone(this); }

void TArvanelMagics::Move(float step) {
  TAnimSprite::Move(step);
  const TBoard* board = Game.BoardIfAny();
  if (board && (board->TimeOver || board->NoMoves || board->Completed)) Dead();
}

void TArvanelMagics::Draw() {
  if (Game.DialogOpen) return;
  TAnimSprite::Draw();
}

void TArvanelMagics::OnCollision(TSprite& other) {
  TAnimSprite::OnCollision(other);
  if (Game.DialogOpen || Killed) return;
  if (&other != Game.MouseIfAny() || !Game.aMouse.Pressed(0)) return;
  TMagic& magic = Game.Magic();
  magic.ArmSpell(Element);
  if (int32_t* mana = Game.Player().Mana(Element)) *mana = 0;
  // Gone at once: it takes no further part in this collision pass, and a
  // pot filled again before the engine frees it raises a new button.
  CanCollide = false;
  Visible = false;
  magic.Gone(this);
  Dead();
}

// ---------------------------------------------------------------------------
// The bar

TGUI::TGUI(Tmain& game) : TAnimSprite(&game.SpriteEngine()), Game(game) {
  SetImageName("gui-bar.image");
  BlendMode = kBlendAlpha;
  CanCollide = false;
  Animating = false;
  const int w = PatternWidth() > 0 ? PatternWidth() : 800, h = PatternHeight() > 0 ? PatternHeight() : 90;
  SetX(static_cast<float>(800 - w));
  SetY(static_cast<float>(600 - h));
  SetZ(kInGameBarZ);
}

TGUI::~TGUI() {
  TMagic& magic = Game.Magic();
  magic.FreeButtons();
  magic.Gone(this);
}

void TGUI::Draw() {
  if (Game.DialogOpen) return;
  TAnimSprite::Draw();
  DrawVine();
  if (Game.ScreenState == ssEditorTest) {
    if (const TBoard* board = Game.BoardIfAny()) {
      if (TCanopyFont* font = Game.Fonts.Items(2)) {
        font->Scale = 1.0;
        font->TextOut("Time Remaining : " + ClockText(board->Options.LevelTime - board->ElapsedSeconds),
                      0xFFFFFFFF, 500, 5);
      }
    }
  }
  DrawPots();
  RaiseButtons();
}

void TGUI::DrawVine() {
  const TBoard* board = Game.BoardIfAny();
  LastVineWidth = board ? VineWidth(board->ElapsedSeconds, board->Options.LevelTime) : kVineLength;
  TCanopyImage* vine = Game.Images.Items(Game.ImageIndexes[ciCipo]);
  if (!vine || LastVineWidth <= 0) return;
  TPatternRec part;
  part.Index = 0;
  part.Width = LastVineWidth;
  part.Height = kVineHeight;
  const float right = static_cast<float>(LastVineWidth);
  Game.Canvas.TexMap(vine, QuadFromRect(0, kVineTop, right, kVineTop + kVineHeight), Color4(0xFFFFFFFF), part,
                     kBlendAlpha);
}

void TGUI::DrawPots() {
  static const int kOrder[4] = {1, 2, 4, 3};  // tree, water, mountain, fire
  static const TCachedImage kImages[5] = {ciCount, ciGuiTree, ciGuiGota, ciGuiFogo, ciGuiMontanha};
  for (int element : kOrder) {
    TCanopyImage* pot = Game.Images.Items(Game.ImageIndexes[kImages[element]]);
    if (!pot) continue;
    const TPotPlace place = PotPlace(element);
    const float x = static_cast<float>(place.X), y = static_cast<float>(place.Y);
    Game.Canvas.Draw(pot, 4, x, y, kBlendAlpha);
    const int32_t* mana = Game.Player().Mana(element);
    const int rows = PotEmptyRows(mana ? *mana : 0);
    if (rows <= 0) continue;
    TPatternRec part;
    part.Index = 1;
    part.Width = kPotSize;
    part.Height = rows;
    Game.Canvas.TexMap(pot, QuadFromRect(x, y, x + kPotSize, y + static_cast<float>(rows)), Color4(0xFFFFFFFF),
                       part, kBlendAlpha);
  }
}

void TGUI::RaiseButtons() {
  const TBoard* board = Game.BoardIfAny();
  if (board && (board->Completed || board->ResultShown)) return;
  static const int kOrder[4] = {1, 3, 4, 2};  // tree, fire, mountain, water
  TPlayer& player = Game.Player();
  for (int element : kOrder) {
    const int32_t* mana = player.Mana(element);
    if (!mana || *mana < kManaFull) continue;
    TArvanelMagics& button = Game.Magic().Button(element);
    uint8_t& hint = player.TutorialFlags[kManaFullHint];
    if (hint == 2 && Quiet(Game)) {
      hint = 1;
      Game.ShowHint(static_cast<int>(button.X), static_cast<int>(button.Y), kFullTips[element]);
    }
  }
}

// ---------------------------------------------------------------------------
// The owner of the bar and the buttons

TGUI& TMagic::Bar() {
  if (!Bar_) Bar_ = new TGUI(Game_);
  return *Bar_;
}

void TMagic::FreeBar() {
  if (!Bar_) return;
  TGUI* bar = Bar_;
  bar->Dead();
  bar->Visible = false;
  Bar_ = nullptr;
  FreeButtons();
}

TArvanelMagics& TMagic::Button(int element) {
  TArvanelMagics*& slot = Buttons_[static_cast<size_t>(element >= 1 && element <= 4 ? element : 1)];
  if (!slot) {
    switch (element) {
      case 2: slot = new TMagicGota(Game_); break;
      case 3: slot = new TMagicFogo(Game_); break;
      case 4: slot = new TMagicMontanha(Game_); break;
      default: slot = new TMagicTree(Game_); break;
    }
  }
  return *slot;
}

TArvanelMagics* TMagic::ButtonIfAny(int element) const {
  return element >= 1 && element <= 4 ? Buttons_[static_cast<size_t>(element)] : nullptr;
}

void TMagic::FreeButtons() {
  for (int e = 1; e <= 4; ++e) {
    TArvanelMagics* button = Buttons_[static_cast<size_t>(e)];
    if (!button) continue;
    Buttons_[static_cast<size_t>(e)] = nullptr;
    button->CanCollide = false;
    button->Visible = false;
    button->Dead();
  }
}

void TMagic::Gone(const TSprite* sprite) {
  if (sprite == Bar_) Bar_ = nullptr;
  for (TArvanelMagics*& button : Buttons_)
    if (button == sprite) button = nullptr;
}

void TMagic::ArmSpell(int element) {
  TMouse& mouse = Game_.Mouse();
  mouse.MagicTrail.reset();
  if (element != 0) {
    mouse.MagicTrail = Game_.Explosions().Settings.Make(TrailSettingsFile(element));
    if (mouse.MagicTrail) mouse.MagicTrail->FireAt(mouse.X, mouse.Y);
    // The press that armed the spell must not also cast it where the pointer
    // drags on to: the cast waits for a new press.
    mouse.ArmingPress = Game_.aMouse.Pressed(0);
  }
  if (TBoard* board = Game_.BoardIfAny()) board->ArmedSpell = static_cast<uint8_t>(element);
}

void TMagic::CastSpell(int row, int col, int element) {
  TBoard* board = Game_.BoardIfAny();
  if (!board || element < 1 || element > 4) return;
  const TSpellArea& area = SpellArea(element);
  for (int i = 0; i < area.Count; ++i) {
    const int r = row + area.Cells[i].Row, c = col + area.Cells[i].Col;
    if (r < 1 || r > kBoardRows || c < 1 || c > kBoardCols) continue;
    TGameSprite* piece = board->PieceAt(c, r);
    if (!piece || piece->State != PieceState::Idle) continue;
    LaunchSpellBall(*piece);
  }
  board->ArmedSpell = 0;
}

void TMagic::LaunchSpellBall(TGameSprite& piece) {
  TBoard* board = Game_.BoardIfAny();
  if (!board) return;
  if (TMouse* mouse = Game_.MouseIfAny()) mouse->MagicTrail.reset();
  LaunchSpellFlight(Game_, board->ArmedSpell, piece.Col, piece.Row, piece.X, piece.Y);
  Game_.PlayGameSound("magic-cast.ogg");
}

void TMagic::ManaArrived(int element, float x, float y) {
  TPlayer& player = Game_.Player();
  uint8_t& tip = player.TutorialFlags[kManaTipHint];
  if (tip == 2 && Quiet(Game_) && element >= 1 && element <= 4) {
    tip = 1;
    Game_.ShowHint(static_cast<int>(x), static_cast<int>(y), kManaTips[element]);
  }
  if (int32_t* mana = player.Mana(element); mana && *mana < kManaFull) ++*mana;
}

void TMagic::Dump(TJsonWriter& j) const {
  j.BeginArray("spell_buttons");
  for (int e = 1; e <= 4; ++e) {
    if (Buttons_[static_cast<size_t>(e)]) j.Value(nullptr, e);
  }
  j.EndArray();
  j.BeginArray("mana_flights");
  int balls = 0;
  if (Game_.HasSpriteEngine()) {
    for (const TSprite* s : Game_.SpriteEngine().SpriteList) {
      const auto* flight = dynamic_cast<const TMoveFromToEffect*>(s);
      if (!flight || flight->Killed) continue;
      if (flight->EffectType > 4) {
        ++balls;
        continue;
      }
      j.BeginObject();
      j.Value("element", flight->EffectType);
      j.Value("x", static_cast<double>(flight->X));
      j.Value("y", static_cast<double>(flight->Y));
      j.Value("remaining", flight->StepCount - flight->StepIndex);
      j.EndObject();
    }
  }
  j.EndArray();
  j.Value("spell_balls", balls);
  j.BeginObject("bar");
  j.Value("exists", Bar_ != nullptr);
  const TBoard* board = Game_.BoardIfAny();
  j.Value("vine_width", Bar_ && board ? VineWidth(board->ElapsedSeconds, board->Options.LevelTime) : 0);
  j.EndObject();
}
