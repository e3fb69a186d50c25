#include "screens/HistorySprites.h"

#include <cmath>

#include <algorithm>

#include "board/Board.h"
#include "engine/render/Canvas.h"
#include "engine/sprites/SpriteEngine.h"
#include "magic/Effects.h"
#include "platform/Platform.h"
#include "screens/ScreenHost.h"

THistoryBackground::THistoryBackground(TSpriteEngine* engine) : TAnimSprite(engine) {
  FadeMode = 1;
  Visible = false;
  BlendMode = kBlendAlpha;
  SetAlpha(255);
  Game().LevelStartRequested = false;
}

TScreenHost& THistoryBackground::Game() const { return ScreenHostOf(Engine); }

void THistoryBackground::Move(float step) {
  TAnimSprite::Move(step);
  TScreenHost& g = Game();
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
  // The ends of the screens are tested here, by every living picture of the
  // screen.
  if (s == ssStory && g.ScreenTicks > 5759) {
    g.StartNewGame();  // leaves the story: every sprite of it dies
    g.StopGameMusic("GameHistoryMusic");
  }
  if (s == ssGameOver && g.ScreenTicks > 960) g.GameOverClickable = true;
  if (s == ssHiscores && g.ScreenTicks > 240) g.HiscoresClickable = true;
  if (s == ssEnding && g.ScreenTicks > 2399) {
    g.StopGameMusic("GameHistoryMusic");
    g.ShowEndCredits();
  }
  if (s == ssMap && g.LevelStartRequested) {
    // The map fades out; at nothing, the level begins.
    SetAlpha(Alpha - 1);
    g.FadeLevel = Alpha;
    if (Alpha < 1) {
      g.LevelStartRequested = false;
      g.BeginLevelPlay();
      g.StopGameMusic("MapMusic");
    }
  }
  if (g.ScreenTicks >= EndSecond * 120) Dead();
}

void THistoryBackground::Draw() {
  TAnimSprite::Draw();
  if (ImageName != "mapa-correto.image" || !Visible) return;
  TScreenHost& g = Game();
  const TBoard* board = g.BoardIfAny();
  if (!board) return;
  if (board->PackName == kStoryPackName) {
    // The marks stand on the levels not reached yet; the mark of the level
    // just won goes when the marker arrives.
    TCanopyImage* mark = g.Images.Items(g.ImageIndexes[ciMarcadorFinal]);
    if (!mark || !Engine->Canvas) return;
    int k = std::max(1, board->LevelNumber - 1) + (g.MapArrived ? 1 : 0);
    const TColor tint = 0x00FFFFFFu | (static_cast<uint32_t>(std::clamp(Alpha, 0, 255)) << 24);
    for (int i = k; i <= 110; ++i)
      Engine->Canvas->DrawColored(mark, tint, static_cast<float>(g.MapPoints[i].X - 8),
                                  static_cast<float>(g.MapPoints[i].Y - 16), 0, kBlendAlpha);
  } else if (Alpha == 255) {
    const TMapTitle title = MapTitleOf(g);
    TCanopyFont* f = g.Fonts.Items(kMapTitleFont);
    if (title.Text.empty() || !f || !Engine->Canvas) return;
    // On a dark strip along the map's top edge, above the painted names of
    // the places.
    const TRect& b = title.Box;
    TCanopyCanvas& canvas = *Engine->Canvas;
    canvas.FillRect(static_cast<float>(b.Left - 15), static_cast<float>(b.Top - 5), static_cast<float>(b.Right + 15),
                    static_cast<float>(b.Bottom + 3), 0xFF3A7FB8, kBlendAlpha);
    canvas.FillRect(static_cast<float>(b.Left - 14), static_cast<float>(b.Top - 4), static_cast<float>(b.Right + 14),
                    static_cast<float>(b.Bottom + 2), 0xE8101C24, kBlendAlpha);
    const double scale = f->Scale;
    f->Scale = title.Scale;
    f->TextOutEx(title.Text, 0xFF00FFFF, static_cast<float>(b.Left), static_cast<float>(b.Top), 0xFF0000FF,
                 kBlendAlpha);
    f->Scale = scale;
  }
}

TMapTitle MapTitleOf(TScreenHost& game) {
  TMapTitle title;
  const TBoard* board = game.BoardIfAny();
  if (!board || board->PackName == kStoryPackName) return title;
  title.Text = plat::Utf8ToAnsi(board->PackName) + " Level Pack!";
  TCanopyFont* f = game.Fonts.Items(kMapTitleFont);
  int w = 12 * static_cast<int>(title.Text.size()), h = 24;
  if (f) {
    const double scale = f->Scale;
    f->Scale = 1.0;
    w = f->TextWidth(title.Text);
    h = f->TextHeight(title.Text);
    // A long name shrinks to stay clear of the castle in the corner.
    if (w > kMapTitleWidest) {
      title.Scale = static_cast<double>(kMapTitleWidest) / w;
      f->Scale = title.Scale;
      w = f->TextWidth(title.Text);
      h = f->TextHeight(title.Text);
    }
    f->Scale = scale;
  }
  title.Box = {400 - w / 2, kMapTitleTop, 400 - w / 2 + w, kMapTitleTop + h};
  return title;
}

THistoryText::THistoryText(TSpriteEngine* engine) : TSprite(engine) { Visible = false; }

TScreenHost& THistoryText::Game() const { return ScreenHostOf(Engine); }

void THistoryText::Move(float step) {
  TSprite::Move(step);
  TScreenHost& g = Game();
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
  TScreenHost& g = Game();
  TCanopyFont* f = g.Fonts.Items(FontIndex);
  if (!f) return;
  f->Scale = FontScale;
  f->Style = feShadow;
  if (!Visible) return;
  if (Blink && BlinkHidden(g.ScreenTicks))
    f->TextOutEx(Text, 0x00808080, X, Y, 0x00808080, kBlendAlpha);
  else
    f->TextOutEx(Text, Color1, X, Y, Color2, kBlendAlpha);
}

THistoryBackground* AddHistoryPicture(TScreenHost& game, const std::string& image, int from, int to, uint8_t fade, int z,
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

THistoryText* AddHistoryText(TScreenHost& game, const std::string& text, int from, int to, float y, uint8_t owner, int font,
                             float x, int z) {
  auto* t = new THistoryText(&game.SpriteEngine());
  t->Text = text;
  t->StartSecond = from;
  t->EndSecond = to;
  t->FontIndex = font;
  t->OwnerState = owner;
  t->SetX(x);
  t->SetY(y);
  t->SetZ(z);
  return t;
}

THistorySprite::THistorySprite(TSpriteEngine* engine) : TAnimSprite(engine) {
  BlendMode = kBlendAlpha;
  Animating = false;
}

TScreenHost& THistorySprite::Game() const { return ScreenHostOf(Engine); }

void THistorySprite::Move(float step) {
  TAnimSprite::Move(step);
  TScreenHost& g = Game();
  Duration = (EndSecond - StartSecond) * 120;
  Visible = g.ScreenTicks >= StartSecond * 120;
  if (Visible) {
    ++OwnTicks;
    if (OwnTicks > Duration) {
      if (!g.MapArrived) {
        const TBoard* board = g.BoardIfAny();
        const int level = board ? board->LevelNumber : 1;
        if (level > 1) {
          g.Explosions().Add(10, static_cast<float>(FromX + 8), static_cast<float>(FromY + 16));
          g.PlayGameSound("break-wood.ogg");
        }
        const int from = (g.ScreenTicks + 119) / 120;
        THistoryText* line =
            AddHistoryText(g, "Click to Start Level " + std::to_string(level), from, from + 20, 520, ssMap, 2, 0,
                           9999999);
        line->Color1 = 0xFF00FFFF;
        line->Color2 = 0xFF0000FF;
        if (g.ScreenState == ssMap) g.MapArrived = true;
      }
    } else if (Duration > 1) {
      SetX(static_cast<float>(FromX + static_cast<double>(ToX - FromX) * OwnTicks / (Duration - 1)));
      SetY(static_cast<float>(FromY + static_cast<double>(ToY - FromY) * OwnTicks / (Duration - 1)));
    }
  }
  if (g.ScreenState != ssStory && g.ScreenState != ssMap) Dead();
  SetAlpha(static_cast<int>(std::ceil(g.FadeLevel)));
  // On other packs the marker travels unseen.
  const TBoard* board = g.BoardIfAny();
  Visible = board && board->PackName == kStoryPackName;
}

TCreditsText::TCreditsText(TSpriteEngine* engine) : TSprite(engine) { Visible = false; }

TScreenHost& TCreditsText::Game() const { return ScreenHostOf(Engine); }

void TCreditsText::Move(float step) {
  TSprite::Move(step);
  TScreenHost& g = Game();
  if (g.ScreenState != OwnerState || (g.ScreenState == ssMainMenu && !g.CreditsRunning)) Dead();
  SetY(Y - 0.25f);  // 30 pixels a second
  TCanopyFont* f = g.Fonts.Items(FontIndex);
  const float width = f ? static_cast<float>(f->TextWidth(Text)) : 0.0f;
  if (g.ScreenState == ssMainMenu) {
    // Inside the frame beside the menu: between y 150 and 450.
    Visible = Y <= 450;
    if (Y <= 150) Dead();
    SetX(400.0f - width / 2.0f + 120.0f);
  } else {
    Visible = Y <= 800;
    SetX(400.0f - width / 2.0f);
  }
}

void TCreditsText::Draw() {
  if (!Visible) return;
  if (TCanopyFont* f = Game().Fonts.Items(FontIndex)) {
    f->Scale = 1.0;
    f->TextOutEx(Text, Color1, X, Y, Color2, kBlendAlpha);
  }
}
