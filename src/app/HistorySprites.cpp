#include "app/HistorySprites.h"

#include <cmath>

#include "app/Main.h"
#include "engine/SpriteEngine.h"

THistoryBackground::THistoryBackground(TSpriteEngine* engine) : TAnimSprite(engine) {
  FadeMode = 1;
  Visible = false;
  BlendMode = kBlendAlpha;
  SetAlpha(255);
  Game().LevelStartRequested = false;
}

Tmain& THistoryBackground::Game() const { return *Engine->Game; }

void THistoryBackground::Move(float step) {
  TAnimSprite::Move(step);
  Tmain& g = Game();
  if (g.ScreenState != OwnerState) Dead();
  const int32_t b = StartSecond * 120;
  Visible = g.ScreenTicks >= b;
  const uint8_t s = g.ScreenState;
  if (Visible && (s == ssSplash || s == ssStory || s == ssGameOver || s == ssHiscores || s == ssEnding)) {
    const double span = static_cast<double>(EndSecond) * 120 - b;
    const double t = static_cast<double>(g.ScreenTicks) - b;
    switch (FadeMode) {
      case 0:
        SetAlpha(span > 0 ? static_cast<int>(std::ceil(t * 255 / span)) : 255);
        break;
      case 1:
        SetAlpha(255);
        break;
      case 2:
        SetAlpha(span > 0 ? static_cast<int>(std::ceil(255 - t * 255 / span)) : 0);
        break;
      default:
        break;
    }
  }
  // The ends of the story, game-over, hiscore, ending and map screens are tested
  // here by every living picture of the screen; they arrive with those screens.
  if (s == ssGameOver && g.ScreenTicks > 960) g.GameOverClickable = true;
  if (s == ssHiscores && g.ScreenTicks > 240) g.HiscoresClickable = true;
  if (g.ScreenTicks >= EndSecond * 120) Dead();
}

void THistoryBackground::Draw() {
  TAnimSprite::Draw();
  // The map's level marks are drawn over "mapa-correto.image" with the story map.
}

THistoryText::THistoryText(TSpriteEngine* engine) : TSprite(engine) { Visible = false; }

Tmain& THistoryText::Game() const { return *Engine->Game; }

void THistoryText::Move(float step) {
  TSprite::Move(step);
  Tmain& g = Game();
  if (g.ScreenState != OwnerState) Dead();
  Visible = g.ScreenTicks >= StartSecond * 120;
  if (EndSecond * 120 < g.ScreenTicks) Dead();
  if (X == 0) {
    if (TCanopyFont* f = g.Fonts.Items(FontIndex))
      X = 400.0f - static_cast<float>(f->TextWidth(Text)) / 2.0f;
  }
  if (g.ScreenState < ssStory || g.ScreenState > ssEnding || g.LevelStartRequested) Dead();
  SetAlpha(static_cast<int>(std::ceil(g.FadeLevel)));
}

void THistoryText::Draw() {
  Tmain& g = Game();
  TCanopyFont* f = g.Fonts.Items(FontIndex);
  if (!f) return;
  f->Scale = FontScale;
  f->Style = feShadow;
  if (!Visible) return;
  if (Blink && (g.ScreenTicks % 2) != 0)
    f->TextOutEx(Text, 0x00808080, X, Y, 0x00808080, kBlendAlpha);
  else
    f->TextOutEx(Text, Color1, X, Y, Color2, kBlendAlpha);
}

THistoryBackground* AddHistoryPicture(Tmain& game, const std::string& image, int from, int to, uint8_t fade, int z,
                                      uint8_t owner, float x, float y) {
  auto* p = new THistoryBackground(&game.SpriteEngine());
  p->SetImageName(image);
  p->StartSecond = from;
  p->EndSecond = to;
  p->FadeMode = fade;
  p->OwnerState = owner;
  p->SetX(x);
  p->SetY(y);
  p->SetZ(z);
  return p;
}
