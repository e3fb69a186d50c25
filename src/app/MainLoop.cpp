// The frame and the process tick of the game object, and the keyboard.
#include <cstdio>

#include "app/HistorySprites.h"
#include "app/Main.h"
#include "engine/Sprite.h"
#include "engine/SpriteEngine.h"
#include "pieces/Mouse.h"

namespace {
bool IsPlayState(uint8_t s) { return s == ssPlaying || s == ssEditorTest; }
}  // namespace

void Tmain::TimerTimer() {
  aKeyboard.Update();
  aMouse.Update();
  if (Platform.Headless()) {
    // Nobody sees a headless frame unless a screenshot will capture it: draw
    // it only when one is due at the start of the next frame, that is by the
    // tick count this frame's banked ticks will reach.
    const int64_t reached = TotalTicks + (Timer.TickBank() >> 20);
    Platform.GetRenderer().SetDiscardFrames(!ScriptPictureDueBy(reached));
  }
  if (!DeviceDead_) Canopy.Render(0, true);
  Timer.Process();
  if (!DeviceDead_) Canopy.Present();
  RenderReady = true;
  ++TotalFrames;
}

void Tmain::TimerProcess() {
  // 1.
  if (!GamePaused) ++ScreenTicks;
  // 2.
  IdleCheck();
  // 3.
  if (TMouse* mouse = MouseIfAny()) ++mouse->AwayTicks;
  // 4.
  if (BreakSoundThrottle < 20) ++BreakSoundThrottle;
  // 5.
  GuiBase1.Update();
  // 6.
  LevelClockTick();
  // 7.
  if (!GamePaused) {
    // 7.1
    BoardSteps();
    if (ScreenState != ssUnused && ScreenState <= ssEnding) {
      SpriteEngine().MoveAll(1.0f);
      SpriteEngine().CollectDead();
    }
  }
  // 8. The particle manager: with the particles.
  // 9.
  if (!DialogOpen) Explosions().Update();
  // 10.
  if (++SortTicks == 120) {
    SpriteEngine().SortByZ();
    SortTicks = 0;
  }
  // 11.
  --StartDelay;
  // 12-13. The end-of-level tally and the tutorial hints: with level play.
}

bool Tmain::Click() { return aMouse.Pressed(0); }

void Tmain::CanopyRender() {
  if (!RenderReady) return;
  Platform.CursorPosition(MouseX, MouseY);
  TSpriteEngine& sprites = SpriteEngine();
  auto blackFill = [&] { Canvas.FillRect(0, 0, 800, 600, 0xFF000000, kBlendOpaque); };
  auto fadeLayer = [&] {
    if (ScreenTicks <= 255) {
      const uint32_t alpha = static_cast<uint32_t>(255 - (ScreenTicks < 0 ? 0 : ScreenTicks));
      Canvas.FillRect(0, 0, 800, 600, alpha << 24, kBlendAlpha);
    }
  };
  auto centredText = [&](int font, const std::string& text, float y, TColor top, TColor bottom, bool two) {
    TCanopyFont* f = Fonts.Items(font);
    if (!f) return;
    const float x = 400.0f - static_cast<float>(f->TextWidth(text)) / 2.0f;
    if (two)
      f->TextOutEx(text, top, x, y, bottom, kBlendAlpha);
    else
      f->TextOut(text, top, x, y);
  };

  switch (ScreenState) {
    case ssSplash:
      blackFill();
      sprites.DrawAll();
      if (Click() || ScreenTicks > 600) {
        ShowMainMenu();
        break;
      }
      centredText(0, "\xA9 2026 Kestrava Games", 570, 0xFF000000, 0, false);
      break;
    case ssMainMenu: {
      DrawBackground(false);
      if (TCanopyImage* img = Images.Items(ImageIndexes[ciNotYouClickHere]))
        Canvas.Draw(img, 0, 521, 0, kBlendAlpha);
      GuiBase1.Draw();
      sprites.DrawAll();
      if (TCanopyFont* f = Fonts.Items(3)) {
        f->Scale = 1.0;
        f->Interleave = 1.0;
        const std::string& name = Player().PlayerName;
        f->TextOut(name, 0xFFFFFFFF, 670.0f - static_cast<float>(f->TextWidth(name)) / 2.0f, 30);
      }
      fadeLayer();
      break;
    }
    case ssStory:
    case ssEnding:
    case ssEndCredits:
    case ssHiscores:
      blackFill();
      sprites.DrawAll();
      break;
    case ssGameOver:
      Canvas.FillRect(0, 0, 800, 600, 0xFF000000, kBlendOpaque);
      sprites.DrawAll();
      break;
    case ssMap:
      DrawBackground(true);
      sprites.DrawAll();
      fadeLayer();
      break;
    case ssEditor:
      DrawBackground(true);
      sprites.CollideAll();
      sprites.CollectDead();
      sprites.DrawAll();
      GuiBase1.Draw();
      break;
    case ssPlaying:
    case ssEditorTest:
      sprites.DrawAll();
      GuiBase1.Draw();
      break;
    default:
      break;
  }
}

void Tmain::FormKeyDown(int key) {
  if (ScreenState == ssSplash && (key == plat::vkEscape || key == plat::vkSpace)) {
    ShowMainMenu();
    return;
  }
  // Escape during play opens or closes the quit menu: with the menus.
  if (ScreenState == ssEditorTest && key == plat::vkEscape) {
    // Back to the editor: with the level editor.
  } else if (ScreenState == ssEditor && key == plat::vkEscape) {
    // The editor's quit question: with the level editor.
  } else if (key == plat::vkF12) {
    const std::string name = CanopyScreener1.NextFileName();
    if (!CanopyScreener1.Capture())
      std::fprintf(stderr, "grovewright: cannot save the screenshot %s\n", name.c_str());
  }
}

void Tmain::FormKeyPress(unsigned char ch) {
  Sound.PlaySound(Sound.SndDigitac);
  DeveloperKey(ch);
  if ((ch == 'P' || ch == 'p') && IsPlayState(ScreenState)) {
    if (GamePaused) {
      Sound.ResumeMusic(CurrentMusic);  // plays on where it stopped
      GamePaused = false;
    } else {
      Sound.StopMusic(CurrentMusic);
      GamePaused = true;
    }
  }
}
