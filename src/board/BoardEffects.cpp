#include "board/BoardEffects.h"

#include <algorithm>
#include <string>

#include "board/BoardHost.h"
#include "engine/render/Fonts.h"
#include "engine/sprites/SpriteEngine.h"

void EmitBoxParticles(TGameServices& game, float x, float y, bool iron) {
  const int count = iron ? 1 : 21;
  TRandom& random = game.EffectRandom;
  for (int i = 0; i < count; ++i) {
    const int image = iron ? 4 : random.Next(4);
    const float px = x + static_cast<float>(random.Next(40));
    const float py = y + static_cast<float>(random.Next(40));
    TAlphaImageParticle* p = game.Particles.CreateAlphaParticle(image, px, py, kBlendAlpha, iron ? 512 : 256);
    if (!p) continue;
    p->VelX = static_cast<float>(random.NextDouble() * 2.0 - 1.0);
    p->VelY = -static_cast<float>(random.NextDouble() * 5.0);
    p->AccelX = 0;
    p->AccelY = static_cast<float>(0.02 + random.NextDouble() * 0.10);
  }
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
  if (const TBoardHost* game = BoardHostOf(Engine)) {
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
  // Each step moves below one number in the way; the numbers are few, so
  // this ends after a handful of steps. Numbers that merely touch side by
  // side are in each other's way too: "300" against "600" reads "300600".
  for (size_t step = 0; step <= Engine->SpriteList.size(); ++step) {
    const TRect mine = TextBox();
    const TScoreSprite* inTheWay = nullptr;
    for (const TSprite* s : Engine->SpriteList) {
      const auto* other = dynamic_cast<const TScoreSprite*>(s);
      if (!other || other == this || other->Killed) continue;
      if (ScoreNumbersCrowd(mine, other->TextBox())) {
        inTheWay = other;
        break;
      }
    }
    if (!inTheWay) return;
    SetY(static_cast<float>(inTheWay->TextBox().Bottom + kScoreNumberGapY));
  }
}

bool ScoreNumbersCrowd(const TRect& a, const TRect& b) {
  return a.Left < b.Right + kScoreNumberGapX && b.Left < a.Right + kScoreNumberGapX &&
         a.Top < b.Bottom + kScoreNumberGapY && b.Top < a.Bottom + kScoreNumberGapY;
}

void TScoreSprite::Draw() {
  const TBoardHost* game = BoardHostOf(Engine);
  if (!game || game->DialogOpen) return;
  TCanopyFont* font = game->Fonts.Items(2);
  if (!font) return;
  font->Scale = 1.0;
  const uint32_t a = static_cast<uint32_t>(std::clamp(Alpha, 0, 255)) << 24;
  font->TextOutEx(std::to_string(Points), a | 0xFFFFFF, X, Y, a | 0xE0E0E0, kBlendAlpha);
}
