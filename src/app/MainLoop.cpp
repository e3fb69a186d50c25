// The frame and the process tick of the game object, and the keyboard.
#include <algorithm>
#include <cstdio>

#include "app/Main.h"
#include "app/Controls.h"
#include "board/Board.h"
#include "board/BoardTab.h"
#include "board/Mouse.h"
#include "editor/LevelEditor.h"
#include "engine/core/ZeroPad.h"
#include "engine/render/Fonts.h"
#include "engine/render/Images.h"
#include "engine/sprites/Sprite.h"
#include "engine/sprites/SpriteEngine.h"
#include "layout/PlayForms.h"
#include "screens/Credits.h"
#include "screens/HistorySprites.h"
#include "screens/Menus.h"
#include "screens/PlayerForms.h"
#include "screens/StoryScreens.h"

namespace {
// The size of the "TIME OVER" and "NO MORE MOVES LEFT" notices.
constexpr double kNoticeScale = 1.4;
}  // namespace

void Tmain::TimerTimer() {
  // The frame is recorded as it begins, with the ticks it is about to run:
  // should one of them end the program, its replay still reaches it.
  if (Recorder_) Recorder_->Frame(TotalTicks, FrameTicksDue());
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
  KeyClick = false;  // a key's click lasts its frame, as the mouse's press does
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
  // A held d-pad or stick moves the board cursor or the focus.
  Controls_->Tick();
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
  // A menu button pressed during the collision pass acts now, with the
  // sprites at rest: its action may clear the menu.
  Menus->RunPendingClick();
  // 8. The break particles move on also while the game is paused.
  Particles.Update();
  // 9.
  if (!DialogOpen) Explosions().Update();
  // 10.
  if (++SortTicks == 120) {
    SpriteEngine().SortByZ();
    SortTicks = 0;
  }
  // 11.
  --StartDelay;
  // 12. The end-of-level tally.
  if (ScreenState == ssPlaying && Board_ && Board_->ResultShown) TallyStep();
  // 13. The tutorial hints.
  if (ScreenState == ssPlaying && ScreenTicks > 300) TutorialStep();
}

bool Tmain::Click() { return aMouse.Pressed(0) || KeyClick; }

void Tmain::CanopyRender() {
  if (!RenderReady) return;
  // Where the mouse events the game took left the cursor (the window's
  // cursor, unless a replay shuts the window's input out).
  MouseX = LastMouseX_;
  MouseY = LastMouseY_;
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
      // The menu's sprites (the foliage, the lit words) lie under its
      // dialogs; only the cursor stands over them.
      if (Mouse_) Mouse_->Visible = false;
      sprites.DrawAll();
      if (CreditsRunning) {
        // The roll beside the menu is over: a click goes back to the options.
        Credits->DrawEndPrompt();
        if (Click() && Credits->RollOver()) EndMenuCredits();
      }
      GuiBase1.Draw();
      if (Mouse_) Mouse_->Draw();
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
      blackFill();
      sprites.DrawAll();
      if (Click()) Story->StoryClick();
      break;
    case ssEnding:
      blackFill();
      sprites.DrawAll();
      break;
    case ssEndCredits:
      // A click after the first second leads on to the hiscores.
      if (Click() && ScreenTicks > 120) {
        Credits->EndCreditsClick();
        break;
      }
      blackFill();
      sprites.DrawAll();
      if (ScreenTicks > 120) Credits->DrawEndPrompt();
      break;
    case ssHiscores:
      blackFill();
      sprites.DrawAll();
      Explosions().DrawAll();
      if (Click() && HiscoresClickable) {
        ScreenTicks = 0;
        ShowMainMenu();
      }
      break;
    case ssGameOver:
      Canvas.FillRect(0, 0, 800, 600, 0xFF000000, kBlendOpaque);
      sprites.DrawAll();
      if (Click() && GameOverClickable) ShowHiscores();
      break;
    case ssMap:
      DrawBackground(true);
      sprites.DrawAll();
      Explosions().DrawAll();
      if (Click() && MapArrived) Story->MapClick();
      fadeLayer();
      break;
    case ssEditor:
      DrawBackground(true);
      Editor->FrameStart();
      sprites.CollideAll();
      sprites.CollectDead();
      // The cursor stands over the editor's forms, not under them.
      if (Mouse_) Mouse_->Visible = false;
      sprites.DrawAll();
      GuiBase1.Draw();
      Editor->DrawToolTip();
      if (TCanopyFont* f = Fonts.Items(0))
        f->TextOut("FPS: " + std::to_string(Timer.FrameRate()), 0xFF00FF00, 20, 10);
      if (Mouse_) Mouse_->Draw();
      break;
    case ssPlaying:
    case ssEditorTest:
      DrawPlay();
      break;
    default:
      break;
  }
  if (HintShown && FormVisible(GuiBase1, TControlName::HelpGUI)) DrawHintPointer();
  DrawStatusLine();
  DrawReplayNotice();
}

void Tmain::DrawNotice(const std::string& headline, const std::string& prompt) {
  TCanopyFont* f = Fonts.Items(0);
  if (!f) return;
  f->Scale = kNoticeScale;
  f->Style = 0;
  // A dark wooden panel with a gilt edge hides the busy board behind the
  // words; the words are cream to gold with a black outline, so they read
  // over any level picture.
  const float half = static_cast<float>(f->TextWidth(prompt)) / 2.0f + 40.0f;
  const float top = 236.0f, bottom = 300.0f + static_cast<float>(f->TextHeight(prompt)) + 14.0f;
  Canvas.FillRect(400.0f - half - 3, top - 3, 400.0f + half + 3, bottom + 3, 0xFF3A7FB8, kBlendAlpha);
  Canvas.FillRect(400.0f - half, top, 400.0f + half, bottom, 0xF0101C24, kBlendAlpha);
  auto line = [&](const std::string& text, float y) {
    const float x = 400.0f - static_cast<float>(f->TextWidth(text)) / 2.0f;
    for (int dx = -2; dx <= 2; dx += 2) {
      for (int dy = -2; dy <= 2; dy += 2) {
        if (dx != 0 || dy != 0) f->TextOutEx(text, 0xFF000000, x + dx, y + dy, 0xFF000000, kBlendAlpha);
      }
    }
    f->TextOutEx(text, 0xFFD8FAFF, x, y, 0xFF20B8FF, kBlendAlpha);
  };
  line(headline, 250);
  line(prompt, 300);
  f->Scale = 1.0;
}

void Tmain::CoverBoard() {
  // The cells in use, with the frame around them; the whole field when the
  // level has none.
  int left = 800, top = 600, right = 0, bottom = 0;
  if (Board_) {
    for (int r = 1; r <= kBoardRows; ++r) {
      for (int c = 1; c <= kBoardCols; ++c) {
        const TBoardTab* tab = Board_->TabAt(c, r);
        if (!tab || tab->TabType == ttNone) continue;
        left = std::min(left, 40 * c);
        top = std::min(top, 40 * r - 10);
        right = std::max(right, 40 * c + 40);
        bottom = std::max(bottom, 40 * r + 30);
      }
    }
  }
  if (right <= left) {
    left = 40;
    top = 30;
    right = 760;
    bottom = 510;
  }
  constexpr int kFrame = 14;
  const float l = static_cast<float>(left - kFrame), t = static_cast<float>(top - kFrame);
  const float r = static_cast<float>(right + kFrame), b = static_cast<float>(bottom + kFrame);
  // Nearly black, with a faint green of the grove and a gilt edge.
  Canvas.FillRect(l - 2, t - 2, r + 2, b + 2, 0xFF3A7FB8, kBlendAlpha);
  Canvas.FillQuad(QuadFromRect(l, t, r, b), TColor4{0xFF0C140E, 0xFF0C140E, 0xFF060A07, 0xFF060A07}, kBlendOpaque);
}

void Tmain::DrawPlay() {
  TBoard* board = Board_;
  auto dimLayer = [&] { Canvas.FillRect(0, 0, 800, 600, 0x82000000, kBlendAlpha); };
  // Two-colour text centred on x = 400.
  auto centred = [&](int font, const std::string& text, float y, TColor top, TColor bottom) {
    if (TCanopyFont* f = Fonts.Items(font))
      f->TextOutEx(text, top, 400.0f - static_cast<float>(f->TextWidth(text)) / 2.0f, y, bottom, kBlendAlpha);
  };
  // a-d: the level's picture, the dim layer of an open dialog under the
  // sprites, the sprites, and the particles over them.
  DrawBackground(true);
  if (DialogOpen) dimLayer();
  // While the game is paused nothing moves, the cursor sprite and the hover
  // marker neither: they would stay behind as ghosts of the cursor, which
  // goes on moving on top.
  TSprite* marker = board ? board->Selection : nullptr;
  const bool markerShown = marker && marker->Visible;
  if (GamePaused) {
    if (Mouse_) Mouse_->Visible = false;
    if (marker) marker->Visible = false;
  }
  SpriteEngine().DrawAll();
  if (marker) marker->Visible = markerShown;
  if (!DialogOpen) {
    Particles.Render();
    Explosions().DrawAll();
  }
  // While the game is paused the clock stands still: the board is covered,
  // so that the pause gives no time to study it. The quit menu covers it the
  // same way.
  const bool quitMenu = FormVisible(GuiBase1, TControlName::QuitMenu);
  if (GamePaused || quitMenu) CoverBoard();
  // e-g: the board's news.
  if (board && board->Completed) {
    if (TCanopyImage* img = Images.Items(ImageIndexes[ciLevelComplete])) {
      Canvas.Draw(img, 0, 400.0f - static_cast<float>(img->PatternSize.W) / 2.0f,
                  100.0f - static_cast<float>(img->PatternSize.H) / 2.0f, kBlendAlpha);
    }
  }
  if (ScreenState == ssPlaying && board && (board->TimeOver || board->NoMoves))
    DrawNotice(board->TimeOver ? "TIME OVER" : "NO MORE MOVES LEFT", "CLICK TO CONTINUE");
  // A test play that runs out of moves says so too (its time over has a form).
  if (ScreenState == ssEditorTest && board && board->NoMoves && !board->TimeOver)
    DrawNotice("NO MORE MOVES LEFT", "CLICK TO CONTINUE");
  // h: lives, level and score.
  if (!DialogOpen && !HintShown) {
    if (TCanopyFont* f = Fonts.Items(2)) {
      f->Scale = 1.0;
      f->Interleave = 2.0;
      f->TextOut(ZeroPad(Player().Lives, 2), 0xFFFFFFFF, 476, 555);
      f->TextOut(ZeroPad(board ? board->LevelNumber : 0, 2), 0xFFFFFFFF, 540, 555);
      f->TextOut(ZeroPad(Player().Score, 11), 0xFFFFFFFF, 610, 555);
    }
  }
  // i: the pause.
  if (GamePaused) {
    dimLayer();
    centred(3, "GAME PAUSED", 250, 0xFF00FFFF, 0xFF0000FF);
    if (TCanopyFont* f = Fonts.Items(1)) {
      const std::string prompt = "Press P to resume";
      f->TextOutEx(prompt, 0xFFE0F0F0, 400.0f - static_cast<float>(f->TextWidth(prompt)) / 2.0f, 300, 0xFFA0C0C0,
                   kBlendAlpha);
    }
  }
  // A hint bubble waits behind the quit menu, its pointer too: it would
  // point across the menu's buttons.
  if (HintShown) ShowForm(GuiBase1, TControlName::HelpGUI, !quitMenu);
  // j-k: the forms, then the cursor over everything.
  GuiBase1.Draw();
  if (!Player().SystemCursor) {
    if (TCanopyImage* img = Images.Items(ImageIndexes[ciMouse]))
      Canvas.Draw(img, 0, static_cast<float>(MouseX), static_cast<float>(MouseY), kBlendAlpha);
  }
  // l: a click closes the mana-full hint.
  if (Click() && Player().TutorialFlags[6] == 1) CloseHint();
}

void Tmain::FormKeyDown(int key) {
  // The keys of play, the forms and the menu first (app/Controls.cpp).
  if (Controls_->KeyDown(key)) return;
  if (ScreenState == ssSplash && (key == plat::vkEscape || key == plat::vkSpace)) {
    ShowMainMenu();
    return;
  }
  // Escape on the story map: back to the main menu, or, once the level has
  // been started, into it with the quit menu open.
  if (ScreenState == ssMap && key == plat::vkEscape) {
    Story->MapEscape();
    return;
  }
  // Escape during play opens the quit menu, or closes it again; over any
  // other dialog or a won level it does nothing.
  if (ScreenState == ssPlaying && key == plat::vkEscape) {
    if (DialogOpen || (Board_ && Board_->Completed)) {
      if (FormVisible(GuiBase1, TControlName::QuitMenu)) Menus->ResumeGame();
    } else {
      Menus->OpenQuitMenu();
    }
  }
  // Enter in the name field confirms the new player.
  if (key == plat::vkReturn && FormVisible(GuiBase1, TControlName::CreateNewPlayer)) PlayerForms->CreateOk();
  if ((ScreenState == ssEditorTest || ScreenState == ssEditor) && key == plat::vkEscape) {
    // Test play goes back to the editor; the editor asks whether to leave.
    Editor->EscapeKey();
  } else if (key == plat::vkF1 + 8) {
    SaveReplaySnapshot();  // F9
  } else if (key == plat::vkF12 && !Replaying()) {
    // A replay writes nothing where the player keeps files: its F12 takes
    // no picture.
    const std::string name = CanopyScreener1.NextFileName();
    if (!CanopyScreener1.Capture())
      std::fprintf(stderr, "grovewright: cannot save the screenshot %s\n", name.c_str());
  }
}

void Tmain::FormKeyPress(unsigned char ch, bool typedIntoField) {
  PlayGameSound("digitac.ogg");
  // A character typed into a name field is text, not a command; the letter
  // of a key that moved the board cursor is none either.
  if (typedIntoField || Controls_->SwallowChar(ch)) return;
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

void Tmain::ReleasePad() {
  plat::Event e;
  for (int b = 0; b < static_cast<int>(plat::PadButton::Count); ++b) {
    if (!aPad.Held(static_cast<plat::PadButton>(b))) continue;
    e.Type = plat::EventType::PadUp;
    e.Button = b;
    DispatchEvent(e);
  }
  for (int a = 0; a < static_cast<int>(plat::PadAxis::Count); ++a) {
    if (aPad.Axis(static_cast<plat::PadAxis>(a)) == 0) continue;
    e.Type = plat::EventType::PadAxis;
    e.Button = a;
    e.X = 0;
    DispatchEvent(e);
  }
}
