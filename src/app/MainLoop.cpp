// The frame and the process tick of the game object, and the keyboard.
#include <cstdio>

#include "app/Main.h"
#include "engine/Sprite.h"
#include "engine/SpriteEngine.h"

namespace {
bool IsPlayState(uint8_t s) { return s == ssPlaying || s == ssEditorTest; }
}  // namespace

void Tmain::TimerTimer() {
  aKeyboard.Update();
  aMouse.Update();
  if (!DeviceDead_) Canopy.Render(0, true);
  Timer.Process();
  if (!DeviceDead_) Canopy.Present();
  RenderReady = true;
  ++TotalFrames;
}

void Tmain::TimerProcess() {
  // 1.
  if (!GamePaused) ++ScreenTicks;
  // 2. The idle check for a stuck board runs with the board.
  // 3. The cursor sprite's own tick counter: with the cursor sprite.
  // 4.
  if (BreakSoundThrottle < 20) ++BreakSoundThrottle;
  // 5. The GUI update: with the GUI.
  // 6. The level clock: with the board.
  // 7.
  if (!GamePaused) {
    // 7.1 The board's GravityStep and MatchStep every second tick: with the board.
    if (ScreenState != ssUnused && ScreenState <= ssEnding) {
      SpriteEngine().MoveAll(1.0f);
      SpriteEngine().CollectDead();
    }
  }
  // 8. The particle manager: with the particles. 9. The explosions: with the effects.
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
      centredText(0, "A Kestrava Studio game", 570, 0xFF000000, 0, false);
      break;
    case ssMainMenu:
      // The menu picture, the GUI and the player's name arrive with their parts.
      if (TCanopyImage* img = Images.Items(ImageIndexes[ciNotYouClickHere]))
        Canvas.Draw(img, 0, 521, 0, kBlendAlpha);
      sprites.DrawAll();
      fadeLayer();
      break;
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
      sprites.DrawAll();
      fadeLayer();
      break;
    case ssEditor:
      sprites.CollideAll();
      sprites.CollectDead();
      sprites.DrawAll();
      break;
    case ssPlaying:
    case ssEditorTest:
      sprites.DrawAll();
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
  // Every character plays the typing sound: with the sound manager.
  // The developer keys a, z, . and - act on the player and the board: with them.
  if ((ch == 'P' || ch == 'p') && IsPlayState(ScreenState)) {
    GamePaused = !GamePaused;  // the level music stops and resumes with the sound manager
  }
}

void Tmain::ShowSplash() {
  ScreenState = ssSplash;
  // The three logo pictures are created here with the screen sprites.
  ScreenTicks = 0;
}

void Tmain::ShowMainMenu() {
  ScreenTicks = 0;
  ScreenState = ssMainMenu;
  aMouse.ClearOnUpdate = true;
  ScreenTicks = 0;
}

void Tmain::ClearMainMenu() {
  if (MenuFoliage) {
    MenuFoliage->Dead();
    MenuFoliage = nullptr;
  }
  SpriteEngine().CollectDead();
}
