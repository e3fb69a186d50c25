// The game object's side of level play: the board, cursor, player and
// explosion singletons, the sounds play asks for, the parts of the process
// tick that drive the board, leaving a game, the game-over screen, the
// developer keys, starting a level straight from the command line, and the
// board and player in the state dump.
#include <filesystem>

#include "app/Main.h"
#include "automation/JsonWriter.h"
#include "board/Board.h"
#include "board/BoardCursor.h"
#include "board/BoardTab.h"
#include "board/GameSprite.h"
#include "board/Mouse.h"
#include "editor/LevelEditor.h"
#include "engine/core/SafeFile.h"
#include "engine/gui/GuiButton.h"
#include "engine/gui/GuiCheckBox.h"
#include "engine/gui/GuiForm.h"
#include "engine/gui/GuiTaskbar.h"
#include "engine/sprites/Sprite.h"
#include "engine/sprites/SpriteEngine.h"
#include "layout/PlayForms.h"
#include "magic/TimeReadout.h"
#include "screens/HistorySprites.h"
#include "screens/MenuSprites.h"
#include "screens/Menus.h"
#include "screens/StoryScreens.h"

namespace {
}  // namespace

TBoard& Tmain::Board() {
  if (!Board_) Board_ = new TBoard(*this);
  return *Board_;
}

void Tmain::FreeBoard() {
  if (!Board_) return;
  TBoard* board = Board_;
  Board_ = nullptr;
  board->Dead();  // takes its tiles, pieces and marker along
}

TMouse& Tmain::Mouse() {
  if (!Mouse_) Mouse_ = new TMouse(*this);
  return *Mouse_;
}

void Tmain::FreeMouse() {
  if (!Mouse_) return;
  TMouse* mouse = Mouse_;
  Mouse_ = nullptr;
  mouse->Dead();
}

void Tmain::SpriteSingletonGone(const TSprite* sprite) {
  if (sprite == Board_) Board_ = nullptr;
  if (sprite == Mouse_) Mouse_ = nullptr;
}

TPlayer& Tmain::Player() {
  if (!Player_) Player_ = std::make_unique<TPlayer>();
  return *Player_;
}

void Tmain::FreePlayer() { Player_.reset(); }

TParticleExplosions& Tmain::Explosions() {
  if (!Explosions_) Explosions_ = std::make_unique<TParticleExplosions>(*this);
  return *Explosions_;
}

void Tmain::FreeExplosions() { Explosions_.reset(); }

TMagic& Tmain::Magic() {
  if (!Magic_) Magic_ = std::make_unique<TMagic>(*this);
  return *Magic_;
}

void Tmain::FreeSpellButtons() { Magic().FreeButtons(); }

void Tmain::CastSpell(int row, int col, int element) { Magic().CastSpell(row, col, element); }

void Tmain::AddExplosion(int effect, float x, float y) { Explosions().Add(effect, x, y); }

void Tmain::SendManaToPot(int element, double x, double y) { LaunchManaFlight(*this, element, x, y); }

void Tmain::EditorPaintAt(TBoardTab& tab) {
  if (Editor) Editor->PaintAt(tab);
}

void Tmain::PlayGameSound(const std::string& file) {
  if (OnGameAudio) OnGameAudio("play:" + file);
  if (!Sound.Started()) return;
  for (const SoundManager::SampleInfo& sample : SoundManager::SampleTable()) {
    if (file == sample.File) {
      Sound.PlaySound(Sound.*sample.Handle);
      return;
    }
  }
}

void Tmain::PlayGameMusic(const std::string& key, bool loop) {
  if (OnGameAudio) OnGameAudio("music:play:" + key);
  if (Sound.Started()) Sound.PlayMusic(key, loop);
}

void Tmain::StopGameMusic(const std::string& key) {
  // No tune has played yet (a pack that failed to open): nothing to stop.
  if (key.empty()) return;
  if (OnGameAudio) OnGameAudio("music:stop:" + key);
  if (Sound.Started()) Sound.StopMusic(key);
}

void Tmain::ResumeGameMusic(const std::string& key) {
  if (OnGameAudio) OnGameAudio("music:resume:" + key);
  if (Sound.Started()) Sound.ResumeMusic(key);
}

void Tmain::LoadLevelBackground(const std::string& picture) {
  // Without a device (a board driven by tests) there is nothing to load into.
  if (Canopy.Initialized()) LoadBackground(picture, 512, 512);
}

void Tmain::BeginLevelPlay() {
  BindPlayControls();
  Mouse();
  Magic().Bar();
  ScreenState = ssPlaying;
  PlayGameMusic(CurrentMusic, true);
  ScreenTicks = 0;
}

void Tmain::BindPlayControls() {
  if (TGuiButton* next = FindButton(GuiBase1, TControlName::nlNext)) {
    next->OnClick = [this](TGuiControl&) {
      if (Board_) Board_->NextLevelClick();
    };
  }
  if (TGuiButton* help = FindButton(GuiBase1, TControlName::HelpGuiContinue))
    help->OnClick = [this](TGuiControl&) { CloseHint(); };
  if (TGuiButton* again = FindButton(GuiBase1, TControlName::btTryAgain))
    again->OnClick = [this](TGuiControl&) { Board().RetryLevel(); };
}

void Tmain::FreeGameObjects() {
  if (Board_) {
    for (auto& row : Board_->Tabs) {
      for (TBoardTab* tab : row) {
        if (tab) tab->Visible = false;
      }
    }
  }
  FreeBoard();
  Magic().FreeBar();
  // An armed spell goes with the board: its trail leaves the cursor.
  if (Mouse_) Mouse_->MagicTrail.reset();
  SpriteEngine().CollectDead();
  aMouse.ClearOnUpdate = true;
}

void Tmain::QuitToMainMenu() {
  FreeGameObjects();
  Explosions().Clear();
  GamePaused = false;
  StopGameMusic(CurrentMusic);
  // The forms of play close with it: a result form or a hint bubble left on
  // screen would stand over the menu.
  ShowForm(GuiBase1, TControlName::formNextLevel, false);
  ShowForm(GuiBase1, TControlName::LevelTestCompleted, false);
  ShowForm(GuiBase1, TControlName::formTimeOver, false);
  if (HintShown) {
    ShowForm(GuiBase1, TControlName::HelpGUI, false);
    HintShown = false;
  }
  HintSwapCol = HintSwapRow = 0;
  ShowMainMenu();
}

void Tmain::GameOverStep() {
  std::string pack;
  if (Board_) {
    Board_->GameOver = 1;
    pack = Board_->PackName;
  }
  FreeGameObjects();
  ScreenState = ssGameOver;
  GameOverClickable = false;
  if (pack == kStoryPackName && !RelaxedMode) RecordHiscore();
  Story->ShowGameOver();
  ScreenTicks = 0;
  FadeLevel = 255.0;
}

bool Tmain::StartPlay(std::string& error) {
  const std::string& pack = Options.PlayPack;
  std::error_code ec;
  std::string reason;
  if (!ValidateFileName(pack, reason)) {
    error = "\"" + PrintableName(pack) + "\" cannot be a level pack: " + reason + ".";
    return false;
  }
  const std::string home = PackHome(pack);
  if (!std::filesystem::exists(LevelCellsPath(home, pack, 1), ec)) {
    error = "There is no level pack \"" + PrintableName(pack) + "\" (no " +
            PrintableName(LevelCellsPath(home, pack, 1)) + ").";
    return false;
  }
  const int count = CountPackLevels(home, pack);
  if (Options.PlayLevel < 1 || Options.PlayLevel > count) {
    error = "The level pack \"" + PrintableName(pack) + "\" has " + std::to_string(count) +
            " level(s); there is no level " + std::to_string(Options.PlayLevel) + ".";
    return false;
  }
  // As a new game and the map's click would set it up.
  ClearMainMenu();
  RelaxedMode = Options.Relaxed;
  TPlayer& player = Player();
  // A stand-in player: nothing of this game reaches the save folder or the
  // options file, whoever played last.
  player.PlayerName = "Tester";
  player.Persistent = false;
  player.StartGame(pack == "Game Levels");
  // --hints-seen: a player who has played before (the level bot is one).
  if (Options.HintsSeen)
    for (size_t i = 1; i < player.TutorialFlags.size(); ++i) player.TutorialFlags[i] = 0;
  TBoard& board = Board();
  board.InitTiles();
  if (!board.OpenPack(pack)) {
    error = board.LastError;
    return false;
  }
  board.LevelNumber = Options.PlayLevel;
  if (!board.LoadLevel()) {
    error = board.LastError;
    return false;
  }
  aMouse.ClearOnUpdate = false;
  // The click on the map that starts a level has been let go by now.
  int x = 0, y = 0;
  Platform.CursorPosition(x, y);
  plat::Event up;
  up.Type = plat::EventType::MouseUp;
  up.Button = 0;
  up.X = x;
  up.Y = y;
  Platform.InjectEvent(up);
  Mouse();
  BeginLevelPlay();
  return true;
}

void Tmain::IdleCheck() {
  if (GamePaused || !IsPlayState(ScreenState) || ScreenTicks <= 2000 || StartDelay > 0) return;
  if (!Board_ || !Board_->Quiet()) return;
  if (++IdleCheckTicks > 120) {
    if (!Board_->HasMove()) Board_->NoMoves = 1;
    IdleCheckTicks = 0;
    ScreenTicks = 0;
  }
}

void Tmain::LevelClockTick() {
  if (!IsPlayState(ScreenState) || DialogOpen || HintShown || GamePaused || !Board_) return;
  TBoard& board = *Board_;
  if (LevelClockRuns()) ++board.SecondTicks;
  if (board.SecondTicks > 120 && !board.Completed) {
    board.SecondTicks = 0;
    if (!board.Cleared) {
      ++board.ElapsedSeconds;
      // The last seconds tick aloud, as the bar's clock pulses with them.
      if (ClockWarns(board.Options.LevelTime - board.ElapsedSeconds) && !board.TimeOver)
        PlayGameSound("clock-tick.ogg");
    }
    // Once: the clock runs on over "TIME OVER", but the time is up only once.
    if (board.ElapsedSeconds > board.Options.LevelTime && !board.GameOver && !board.TimeOver) {
      const std::string music = CurrentMusic;
      board.TimeUp();  // the last life ends the game and frees the board
      StopGameMusic(music);
    }
  }
}

void Tmain::BoardSteps() {
  if (!IsPlayState(ScreenState) || !Board_ || !Board_->Quiet() || ScreenTicks % 2 != 0) return;
  Board_->GravityStep();
  Board_->MatchStep(true);
}

void Tmain::DeveloperKey(unsigned char ch) {
  switch (ch) {
    case 'a':
      Player().ManaFire += 1;
      break;
    case 'z':
      Player().ManaFire -= 1;
      break;
    case '.':
      Player().LevelReached = 119;
      break;
    case '-':
      // One level back: in the editor as its prior-level button, which asks
      // to save a changed level; in its test play the test goes on with the
      // level before. A fresh board stands on level 1, so without a board
      // there is nothing to go back to.
      if (ScreenState == ssEditor || ScreenState == ssEditorTest) {
        Editor->PriorLevel();
      } else if (Board_ && Board_->LevelNumber >= 2) {
        Board_->LevelNumber -= 1;
        if (!Board_->LoadLevel()) ShowError(Board_->LastError);
      }
      break;
    default:
      break;
  }
}

void Tmain::DumpBoardAndPlayer(TJsonWriter& j) {
  if (Board_) {
    const TBoard& b = *Board_;
    j.BeginObject("board");
    j.Value("pack", b.PackName);
    j.Value("level", b.LevelNumber);
    j.Value("level_count", b.LevelCount);
    j.Value("level_time", b.Options.LevelTime);
    j.Value("elapsed_seconds", b.ElapsedSeconds);
    j.BeginObject("flags");
    j.Value("completed", b.Completed != 0);
    j.Value("fading_in", b.FadingIn != 0);
    j.Value("time_over", b.TimeOver != 0);
    j.Value("no_moves", b.NoMoves != 0);
    j.Value("result_shown", b.ResultShown != 0);
    j.Value("cleared", b.Cleared != 0);
    j.Value("game_over", b.GameOver != 0);
    j.EndObject();
    j.Value("combo_multiplier", b.ComboMultiplier);
    j.Value("armed_spell", static_cast<int>(b.ArmedSpell));
    if (b.Cursor) {
      j.BeginObject("key_cursor");
      j.Value("col", b.Cursor->Col);
      j.Value("row", b.Cursor->Row);
      j.Value("shown", b.Cursor->Shown());
      j.Value("picked", b.Cursor->Picked());
      j.EndObject();
    }
    j.Value("max_caveiras", b.Options.MaxCaveiras);
    j.BeginArray("cells");
    for (int r = 1; r <= kBoardRows; ++r) {
      j.BeginArray();
      for (int c = 1; c <= kBoardCols; ++c) {
        const TBoardTab* tab = b.TabAt(c, r);
        const TGameSprite* piece = tab ? tab->Piece : nullptr;
        j.BeginObject();
        j.Value("tab", tab ? static_cast<int>(tab->TabType) : 0);
        j.Value("spawn", tab && tab->Spawn);
        j.Value("piece", piece ? static_cast<int>(piece->Kind) : -1);
        j.Value("state", piece ? static_cast<int>(piece->State) : 0);
        j.Value("falling", piece && piece->Falling);
        j.Value("dying", piece && piece->Dying);
        j.EndObject();
      }
      j.EndArray();
    }
    j.EndArray();
    j.EndObject();
  }
  // The forms on screen, the hint bubble, the tally and the cursor's
  // selection: what the tests of level play read.
  if (ScreenState == ssEditor || ScreenState == ssEditorTest) Editor->Dump(j);
  j.BeginArray("gui");
  TGuiTaskbar& root = GuiBase1.Root();
  for (int i = 0; i < root.ChildCount(); ++i) {
    const TGuiControl* form = root.Child(i);
    if (form && form->Kind() == TGuiKind::Form && form->Visible()) j.Value(nullptr, form->Name);
  }
  j.EndArray();
  j.BeginObject("hint");
  j.Value("shown", HintShown);
  j.Value("x", HintX);
  j.Value("y", HintY);
  j.Value("side", static_cast<int>(HintPointerSide));
  j.Value("swap_col", HintSwapCol);
  j.Value("swap_row", HintSwapRow);
  if (const TGuiForm* bubble = FindForm(GuiBase1, TControlName::HelpGUI)) {
    j.Value("left", bubble->Bounds.Left);
    j.Value("top", bubble->Bounds.Top);
  }
  j.Value("text", LabelText(GuiBase1, TControlName::HelpText));
  j.EndObject();
  if (Board_) {
    const TBoard& b = *Board_;
    j.BeginObject("tally");
    j.Value("phase", b.TallyPhase);
    j.Value("clock", b.TallyClock);
    j.Value("bonus", b.Bonus);
    j.Value("time_bonus_left", b.TimeBonusLeft);
    j.Value("skip", SkipTally);
    j.Value("next_visible", ButtonVisible(GuiBase1, TControlName::nlNext));
    j.Value("nl_time", LabelText(GuiBase1, TControlName::nlTime));
    j.Value("nl_mana", LabelText(GuiBase1, TControlName::nlMana));
    j.Value("nl_bonus", LabelText(GuiBase1, TControlName::nlBonusPoints));
    j.Value("nl_score", LabelText(GuiBase1, TControlName::nlScore));
    j.Value("nl_lives", LabelText(GuiBase1, TControlName::nlLives));
    j.EndObject();
  }
  if (Mouse_) {
    j.BeginObject("cursor");
    j.Value("sel_col", Mouse_->SelCol);
    j.Value("sel_row", Mouse_->SelRow);
    j.Value("marker_visible", Board_ && Board_->Selection && Board_->Selection->Visible);
    j.EndObject();
  }
  j.Value("game_over_clickable", GameOverClickable);
  j.Value("hiscores_clickable", HiscoresClickable);
  // The main menu's buttons, in the order they were made, and the options.
  j.BeginArray("menu_buttons");
  for (uint8_t kind : {0, 5, 2, 4, 1, 3, 6}) {
    const TMenuButton* button = Menus->Buttons()[kind];
    if (!button || button->Killed) continue;
    j.BeginObject();
    j.Value("kind", static_cast<int>(button->Kind));
    j.Value("alpha", button->Alpha);
    j.Value("visible", button->Visible);
    j.EndObject();
  }
  j.EndArray();
  j.BeginObject("options");
  j.Value("music", Player().MusicOn != 0);
  j.Value("sound", Player().SoundOn != 0);
  j.Value("system_cursor", Player().SystemCursor != 0);
  j.Value("fullscreen", Platform.FullScreen());
  j.EndObject();
  // What the options' full-screen box shows.
  const TGuiCheckBox* fullBox = FindCheckBox(GuiBase1, TControlName::CbxFull);
  j.Value("fullscreen_box", fullBox && fullBox->Checked());
  j.Value("status_line", StatusLine());
  j.Value("level_packs", static_cast<int64_t>(LevelPacks.size()));
  if (Player_) {
    const TPlayer& p = *Player_;
    j.BeginObject("player");
    j.Value("name", p.PlayerName);
    j.Value("score", p.Score);
    j.Value("lives", p.Lives);
    j.Value("level_start_score", p.LevelStartScore);
    j.Value("next_life_score", p.NextLifeScore);
    j.Value("level_reached", p.LevelReached);
    j.Value("hiscore_rank", p.HiscoreRank);
    j.BeginArray("tutorial_flags");
    for (size_t i = 1; i < p.TutorialFlags.size(); ++i) j.Value(nullptr, static_cast<int>(p.TutorialFlags[i]));
    j.EndArray();
    j.BeginObject("mana");
    j.Value("tree", p.ManaTree);
    j.Value("water", p.ManaWater);
    j.Value("fire", p.ManaFire);
    j.Value("mountain", p.ManaMountain);
    j.EndObject();
    j.EndObject();
  }
}
