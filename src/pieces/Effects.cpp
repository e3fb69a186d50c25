#include "pieces/Effects.h"

#include <algorithm>
#include <string>

#include "app/Main.h"
#include "board/Board.h"
#include "engine/Fonts.h"
#include "engine/SpriteEngine.h"
#include "pieces/GameSprite.h"

namespace {
bool IsPlayState(uint8_t s) { return s == ssPlaying || s == ssEditorTest; }
// How long a burst stays in the list before it counts as spent.
constexpr int kBurstTicks = 120;
}  // namespace

TPotCentre PotCentre(int element) {
  switch (element) {
    case 1: return {412, 537};
    case 2: return {412, 572};
    case 3: return {382, 555};
    case 4: return {441, 555};
    default: return {0, 0};
  }
}

void TParticleExplosions::Add(int type, float x, float y) {
  Explosions.push_back({type, x, y, 0});
  ++Added;
}

void TParticleExplosions::Update() {
  for (TBurst& b : Explosions) ++b.Age;
  std::erase_if(Explosions, [](const TBurst& b) { return b.Age > kBurstTicks; });
}

void TParticleExplosions::DrawAll() {}

void EmitBoxParticles(Tmain& /*game*/, float /*x*/, float /*y*/, bool /*iron*/) {}

TMoveFromToEffect::TMoveFromToEffect(TSpriteEngine* engine, int effectType) : TSprite(engine) {
  EffectType = effectType;
  SetImageName("zzzzzzz");  // no image carries this name: the sprite itself draws nothing
  SetZ(kInGameBarZ + 10);
  TargetCol = TargetRow = 0;
  LingerTicks = 0;
}

void TMoveFromToEffect::Move(float step) {
  TSprite::Move(step);
  if (Killed) return;
  Tmain* game = Engine ? Engine->Game : nullptr;
  if (!game) return;
  if (game->DialogOpen || game->HintShown) return;  // stands still under a dialog or a hint
  if (!IsPlayState(game->ScreenState)) {
    Dead();  // leaving play drops the flight without its work
    return;
  }
  ++StepIndex;
  if (StepIndex <= StepCount) {
    const double span = StepCount > 1 ? StepCount - 1 : 1;
    SetX(static_cast<float>(StartX + (EndX - StartX) * StepIndex / span));
    SetY(static_cast<float>(StartY + (EndY - StartY) * StepIndex / span));
    return;
  }
  ++LingerTicks;
  if (LingerTicks > 36 || TargetCol > 0 || TargetRow > 0) {
    Dead();
    Arrive();
  }
}

void TMoveFromToEffect::Arrive() {
  Tmain& game = *Engine->Game;
  if (TargetCol > 0 || TargetRow > 0) {
    if (TBoard* board = game.BoardIfAny()) {
      if (TGameSprite* piece = board->PieceAt(TargetCol, TargetRow)) piece->HitBySpell();
    }
    TargetCol = TargetRow = 0;
    return;
  }
  if (int32_t* mana = game.Player().Mana(EffectType); mana && *mana < kManaFull) ++*mana;
}

void TMoveFromToEffect::Draw() {}

TMoveFromToEffect* LaunchManaFlight(Tmain& game, int element, double x, double y) {
  auto* flight = new TMoveFromToEffect(&game.SpriteEngine(), element);
  const TPotCentre end = PotCentre(element);
  flight->StartX = x;
  flight->StartY = y;
  flight->EndX = end.X;
  flight->EndY = end.Y;
  flight->StepCount = kManaFlightSteps;
  flight->StepIndex = 0;
  flight->SetX(static_cast<float>(x));
  flight->SetY(static_cast<float>(y));
  flight->SetZ(kInGameBarZ + 100);
  return flight;
}

TScoreSprite::TScoreSprite(TSpriteEngine* engine) : TAnimSprite(engine) {
  SetZ(1000);
  Animating = false;
}

void TScoreSprite::Move(float step) {
  TAnimSprite::Move(step);
  SetY(Y - 1);
  SetAlpha(Alpha - 1);
  if (Alpha <= 0) Dead();
}

TRect TScoreSprite::TextBox() const {
  const std::string text = std::to_string(Points);
  int w = 12 * static_cast<int>(text.size()), h = 20;  // without the font: about its size
  if (Tmain* game = Engine ? Engine->Game : nullptr) {
    if (TCanopyFont* font = game->Fonts.Items(2)) {
      font->Scale = 1.0;
      w = font->TextWidth(text);
      h = font->TextHeight(text);
    }
  }
  const int left = static_cast<int>(X), top = static_cast<int>(Y);
  return {left, top, left + w, top + h};
}

void TScoreSprite::Place(float x, float y) {
  SetX(x);
  SetY(y);
  if (!Engine) return;
  constexpr int kGap = 2;
  // Each step moves below one number in the way; the numbers are few, so
  // this ends after a handful of steps.
  for (size_t step = 0; step <= Engine->SpriteList.size(); ++step) {
    const TRect mine = TextBox();
    const TScoreSprite* inTheWay = nullptr;
    for (const TSprite* s : Engine->SpriteList) {
      const auto* other = dynamic_cast<const TScoreSprite*>(s);
      if (!other || other == this || other->Killed) continue;
      const TRect box = other->TextBox();
      if (box.Left < mine.Right && mine.Left < box.Right && box.Top < mine.Bottom && mine.Top < box.Bottom) {
        inTheWay = other;
        break;
      }
    }
    if (!inTheWay) return;
    SetY(static_cast<float>(inTheWay->TextBox().Bottom + kGap));
  }
}

void TScoreSprite::Draw() {
  Tmain* game = Engine ? Engine->Game : nullptr;
  if (!game || game->DialogOpen) return;
  TCanopyFont* font = game->Fonts.Items(2);
  if (!font) return;
  font->Scale = 1.0;
  const uint32_t a = static_cast<uint32_t>(std::clamp(Alpha, 0, 255)) << 24;
  font->TextOutEx(std::to_string(Points), a | 0xFFFFFF, X, Y, a | 0xE0E0E0, kBlendAlpha);
}
