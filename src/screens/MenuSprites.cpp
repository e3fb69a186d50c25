#include "screens/MenuSprites.h"

#include <cmath>

#include "board/GameSprite.h"
#include "board/Mouse.h"
#include "engine/render/Canvas.h"
#include "engine/render/Images.h"
#include "engine/sprites/SpriteEngine.h"
#include "players/Player.h"
#include "screens/Menus.h"
#include "screens/ScreenHost.h"

TMenuFoliage::TMenuFoliage(TSpriteEngine* engine) : TSprite(engine) {
  SetImageName("foliage.image");
  SetX(0);
  SetY(200);
  BlendMode = kBlendAlpha;
  SetDrawMode(3);
  Move(0);
}

void TMenuFoliage::Move(float step) {
  // About one sway every five seconds; corners are absolute positions.
  Phase_ += step * 0.0105f;
  const float sway = 3.0f * std::sin(Phase_);
  const float w = 400, h = 400;
  Corners = {TPoint2{X + sway, Y}, TPoint2{X + w + sway * 0.6f, Y}, TPoint2{X + w, Y + h}, TPoint2{X, Y + h}};
}

void TMenuFoliage::Draw() {
  if (!Visible || !Engine || !Engine->Canvas) return;
  TCanopyImage* image = CurrentImage();
  if (!image) return;
  const float wx = Engine->WorldX, wy = Engine->WorldY;
  auto at = [&](TPoint2 p) {
    return TPoint2{static_cast<float>(RoundCoord(static_cast<double>(p.X) + ShiftX + OffsetX - wx)),
                   static_cast<float>(RoundCoord(static_cast<double>(p.Y) + ShiftY + OffsetY - wy))};
  };
  const TPoint2 tl = at(Corners[0]), tr = at(Corners[1]), br = at(Corners[2]), bl = at(Corners[3]);
  const int top = static_cast<int>(tl.Y), height = static_cast<int>(bl.Y - tl.Y);
  const int texW = image->PatternSize.W, texH = image->PatternSize.H;
  if (height <= 0 || texW <= 0 || texH <= 0) return;
  // The left and right edges at row y, to the nearest pixel.
  auto edges = [&](int y, int& left, int& right) {
    const float t = (static_cast<float>(y) + 0.5f) / static_cast<float>(height);
    left = RoundCoord(static_cast<double>(tl.X + (bl.X - tl.X) * t));
    right = RoundCoord(static_cast<double>(tr.X + (br.X - tr.X) * t));
  };
  TPatternRec rec;
  rec.Index = PatternIndex;
  rec.Mirror = Mirror;
  rec.Flip = Flip;
  rec.Left = 0;
  rec.Width = texW;
  for (int y0 = 0; y0 < height;) {
    int left, right;
    edges(y0, left, right);
    int y1 = y0 + 1;
    for (int l, r; y1 < height; ++y1) {
      edges(y1, l, r);
      if (l != left || r != right) break;
    }
    // The band's rows of the picture, scaled as the whole is to its height.
    const int v0 = y0 * texH / height, v1 = y1 * texH / height;
    if (v1 > v0) {
      rec.Top = v0;
      rec.Height = v1 - v0;
      Engine->Canvas->TexMap(image,
                             QuadFromRect(static_cast<float>(left), static_cast<float>(top + y0),
                                          static_cast<float>(right), static_cast<float>(top + y1)),
                             Color4(Tint()), rec, BlendMode);
    }
    y0 = y1;
  }
}

namespace {
struct TMenuButtonLook {
  const char* Image;
  float X, Y;
  int Z;
  int Pattern;
  int Alpha;
};
const TMenuButtonLook kLooks[TMenuButton::kCount] = {
    {"menu-newgame-on.image", 14, 241, 2, 0, 0},  {"menu-continue-on.image", 4, 304, 2, 0, 0},
    {"menu-options-on.image", 1, 360, 1, 0, 0},   {"menu-hiscore-on.image", -1, 434, 2, 0, 0},
    {"menu-quit-on.image", -2, 503, 2, 0, 0},     {"here.image", 691, 57, 2, 0, 255},
    {"optionsbuttons.image", 410, 412, 10, 2, 0},
};
}  // namespace

TMenuButton::TMenuButton(TScreenHost& game, uint8_t kind)
    : TAnimSprite(&game.SpriteEngine()), Kind(kind < kCount ? kind : static_cast<uint8_t>(kAdventure)), Game(game) {
  const TMenuButtonLook& look = kLooks[Kind];
  SetImageName(look.Image);
  SetX(look.X);
  SetY(look.Y);
  SetZ(look.Z);
  SetPatternIndex(look.Pattern);
  Alpha = look.Alpha;
  BlendMode = kBlendAlpha;
  Animating = false;
  HitShape = 1;
  CanCollide = true;
  // The player sign keeps the rectangle of its whole pattern, set once.
  if (Kind == kPlayer)
    HitRect = {CeilToInt(X), CeilToInt(Y), CeilToInt(X + PatternWidth()), CeilToInt(Y + PatternHeight())};
}

TMenuButton::~TMenuButton() {
  if (Game.Menus) Game.Menus->ButtonGone(this);
}

void TMenuButton::PlaceHitRect() {
  HitRect = {CeilToInt(X), CeilToInt(Y), CeilToInt(X + PatternWidth() - 20), CeilToInt(Y + PatternHeight() - 20)};
}

void TMenuButton::Move(float step) {
  TAnimSprite::Move(step);
  const bool keyLit = Game.Menus && Game.Menus->KeyLit() == Kind;
  const bool lit = Collided || keyLit || (Kind == kPlayer && !Game.Player().PlayerName.empty());
  if (lit) {
    if (Alpha < 255) Game.PlayGameSound("mouse-over-menu.ogg");  // once, on entry
    Alpha = 255;
  } else {
    Alpha = 0;
  }
  if (Kind == kCreditsBack) {
    Alpha = 255;
    SetPatternIndex(2);
    Visible = Game.CreditsRunning;
  }
  if (Kind != kPlayer) PlaceHitRect();
  if (Game.ScreenState != ssMainMenu && Game.ScreenState != ssEndCredits) Dead();
}

void TMenuButton::Draw() {
  if ((Collided || (Game.Menus && Game.Menus->KeyLit() == Kind)) && Kind == kPlayer)
    SetPatternIndex(1);
  else if (Kind != kCreditsBack)
    SetPatternIndex(0);
  TAnimSprite::Draw();
}

void TMenuButton::OnCollision(TSprite& other) {
  TAnimSprite::OnCollision(other);
  if (!dynamic_cast<TMouse*>(&other) || !Game.aMouse.Pressed(0) || !Game.Menus) return;
  // The back button of the credits roll works whatever else is open.
  if (Kind == kCreditsBack) {
    if (Visible) Game.Menus->RequestClick(Kind);
    return;
  }
  if (!Visible || Game.DialogOpen || Game.ScreenTicks <= 120) return;
  // The action runs once the sprites have moved: it may clear the menu and
  // free these very sprites.
  Game.Menus->RequestClick(Kind);
}
