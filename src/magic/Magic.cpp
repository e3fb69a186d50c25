#include "magic/Magic.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "automation/JsonWriter.h"
#include "board/Board.h"
#include "board/BoardTab.h"
#include "board/GameSprite.h"
#include "board/Mouse.h"
#include "engine/particles/XParticleSystem.h"
#include "engine/render/Canvas.h"
#include "engine/render/Fonts.h"
#include "engine/sprites/SpriteEngine.h"
#include "layout/PlayForms.h"
#include "magic/Effects.h"
#include "magic/MagicHost.h"
#include "magic/TimeReadout.h"
#include "players/Player.h"

namespace {

constexpr int kVineLength = 336;
constexpr int kVineHeight = 69;
constexpr int kVineTop = 540;
constexpr int kPotSize = 31;
// The empty rows a pot short of full shows at least: the gold ring and the
// top third of the flask.
constexpr int kLeastEmptyRows = 11;
// The halo of a full pot's button: its size, and the ticks of one pulse.
constexpr int kGlowSize = 64;
constexpr int kGlowPulseTicks = 96;

const char* const kPotImages[5] = {"", "gui-tree.image", "gui-gota.image", "gui-fogo.image", "gui-montanha.image"};

const char* const kManaTips[5] = {
    "",
    "When you match 3 or more tree pieces, the tree mana pot fills up! When the pot is full, you can cast a "
    "magic spell!",
    "When you match 3 or more water pieces, the water mana pot fills up! When the pot is full, you can cast a "
    "magic spell!",
    "When you match 3 or more fire pieces, the fire mana pot fills up! When the pot is full, you can cast a "
    "magic spell!",
    "When you match 3 or more mountain pieces, the mountain mana pot fills up! When the pot is full, you can "
    "cast a magic spell!",
};
const char* const kFullTips[5] = {
    "",
    "Your tree mana pot is full! Click it to ready the spell, then click a piece on the board to cast it.",
    "Your water mana pot is full! Click it to ready the spell, then click a piece on the board to cast it.",
    "Your fire mana pot is full! Click it to ready the spell, then click a piece on the board to cast it.",
    "Your mountain mana pot is full! Click it to ready the spell, then click a piece on the board to cast it.",
};

// Tutorial flags of the two mana hints.
constexpr int kManaFullHint = 6;
constexpr int kManaTipHint = 7;

bool Quiet(const TMagicHost& game) { return !game.HintShown && !game.DialogOpen && !game.GamePaused; }

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
  if (mana >= kManaFull) return 0;
  if (mana <= 0) return kPotSize;
  // Short of full, the liquid rises over the flask's lower two thirds only:
  // its top third stays dark glass until the last point fills it at once.
  // (Risen in proportion to the whole flask, a pot one point short would
  // show a single dark row under its gold ring and read as full.)
  const int filled = static_cast<int>(std::ceil((kPotSize - kLeastEmptyRows) * static_cast<double>(mana) / kManaFull));
  return kPotSize - filled;
}

// ---------------------------------------------------------------------------
// Spell buttons

TArvanelMagics::TArvanelMagics(TMagicHost& game, int element)
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
  ++PulseTicks;
  const TBoard* board = Game.BoardIfAny();
  if (board && (board->TimeOver || board->NoMoves || board->Completed)) Dead();
}

void TArvanelMagics::Draw() {
  if (Game.DialogOpen) return;
  // A halo of the element's light swells and fades behind the button: a
  // full pot cannot be missed.
  if (TCanopyImage* glow = Game.Images.Find("pot-glow.image")) {
    static const TColor kTints[5] = {0xFFFFFFFF, 0xFF70FF9C, 0xFFFFE090, 0xFF60D0FF, 0xFF809AFF};
    const double wave = 0.5 + 0.5 * std::sin(2.0 * M_PI * PulseTicks / kGlowPulseTicks);
    const auto a = static_cast<uint32_t>(255.0 * (0.35 + 0.65 * wave));
    const TColor tint = (kTints[Element] & 0x00FFFFFF) | (a << 24);
    const float half = (kGlowSize - kPotSize) / 2.0f;
    Game.Canvas.DrawColored(glow, tint, X - half, Y - half, 0, kBlendAdditive);
  }
  TAnimSprite::Draw();
}

void TArvanelMagics::OnCollision(TSprite& other) {
  TAnimSprite::OnCollision(other);
  // Under a hint bubble the button waits: the bubble is read and closed
  // first, and the hint of the full pot still comes the first time.
  if (Game.DialogOpen || Game.HintShown || Killed) return;
  if (&other != Game.MouseIfAny() || !Game.aMouse.Pressed(0)) return;
  Use();
}

void TArvanelMagics::Use() {
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

bool TMagic::UseButton(int element) {
  TArvanelMagics* button = ButtonIfAny(element);
  if (!button || button->Killed || Game_.DialogOpen || Game_.HintShown || Game_.GamePaused) return false;
  button->Use();
  return true;
}

// ---------------------------------------------------------------------------
// The bar

TGUI::TGUI(TMagicHost& game) : TAnimSprite(&game.SpriteEngine()), Game(game) {
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
  const TBoard* board = Game.BoardIfAny();
  if (Game.LevelClockRuns()) {
    const TClockLook look = board ? ClockLookOf(*board) : TClockLook{};
    DrawVine(look);
    if (board) DrawClockPlate(Game, look);
  } else {
    // No clock runs in relaxed play: no vine and no seconds, but a word why.
    LastVineWidth = 0;
    DrawRelaxedLabel(Game);
  }
  if (Game.ScreenState == ssEditorTest) {
    if (const TBoard* board = Game.BoardIfAny()) {
      if (TCanopyFont* font = Game.Fonts.Items(2)) {
        font->Scale = 1.0;
        // From x 500, or further left when the font's spacing would run the
        // seconds off the screen's edge.
        const std::string text = "Time Remaining : " + ClockText(board->Options.LevelTime - board->ElapsedSeconds);
        const float x = std::min(500.0f, 792.0f - static_cast<float>(font->TextWidth(text)));
        font->TextOut(text, 0xFFFFFFFF, x, 5);
      }
    }
  }
  DrawPots();
  RaiseButtons();
}

void TGUI::DrawVine(const TClockLook& look) {
  const TBoard* board = Game.BoardIfAny();
  LastVineWidth = board ? VineWidth(board->ElapsedSeconds, board->Options.LevelTime) : kVineLength;
  TCanopyImage* vine = Game.Images.Items(Game.ImageIndexes[ciCipo]);
  if (!vine || LastVineWidth <= 0) return;
  TPatternRec part;
  part.Index = 0;
  part.Width = LastVineWidth;
  part.Height = kVineHeight;
  const float right = static_cast<float>(LastVineWidth);
  const TQuad quad = QuadFromRect(0, kVineTop, right, kVineTop + kVineHeight);
  TColor tint = 0xFFFFFFFF;
  if (look.Warning) {
    // The last seconds: the vine withers red with each beat of the clock
    // and greens again over the second.
    const auto fade = [&](double to) { return static_cast<uint32_t>(255.0 - (255.0 - to) * look.Pulse); };
    tint = 0xFF000000 | (fade(40) << 16) | (fade(70) << 8) | 0xFF;
  }
  Game.Canvas.TexMap(vine, quad, Color4(tint), part, kBlendAlpha);
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
  const bool clock = Bar_ && board && Game_.LevelClockRuns();
  j.Value("vine_width", clock ? VineWidth(board->ElapsedSeconds, board->Options.LevelTime) : 0);
  // The seconds the bar's plate shows ("" without a clock: relaxed play).
  const TClockLook look = clock ? ClockLookOf(*board) : TClockLook{};
  j.Value("clock", clock ? ClockDigits(look.SecondsLeft) : std::string());
  j.Value("clock_warning", look.Warning);
  j.EndObject();
}
