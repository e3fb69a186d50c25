#include "editor/LevelEditor.h"

#include <algorithm>
#include <filesystem>

#include "automation/JsonWriter.h"
#include "board/Board.h"
#include "board/BoardTab.h"
#include "board/GameSprite.h"
#include "board/LevelPacks.h"
#include "board/Mouse.h"
#include "editor/EditorHost.h"
#include "editor/EditorTools.h"
#include "engine/core/SafeFile.h"
#include "engine/core/TextCompare.h"
#include "engine/core/TextSpaces.h"
#include "engine/gui/GuiButton.h"
#include "engine/gui/GuiEdit.h"
#include "engine/gui/GuiForm.h"
#include "engine/gui/GuiGauge.h"
#include "engine/gui/GuiListBox.h"
#include "engine/render/Background.h"
#include "engine/sprites/SpriteEngine.h"
#include "layout/PlayForms.h"
#include "magic/Effects.h"
#include "magic/Magic.h"
#include "platform/Platform.h"
#include "players/Player.h"

namespace fs = std::filesystem;
using N = TControlName;

namespace {
constexpr TColor kTestedColor = 0xFFFF0000;     // blue
constexpr TColor kNotTestedColor = 0xFF0000FF;  // red
constexpr int kBarTop = 515;

// The forms the editor opens over the board, all closed when it ends.
constexpr N kEditorForms[] = {N::formLevelEditorSelect, N::BoardOperations, N::formLevelOptions,
                              N::formConfirmation,      N::formGotoLevel,   N::QuitLevelEditor,
                              N::LevelTestCompleted,    N::formTimeOver};

// Shows a form at (left, top) in front of the others.
void ShowDialog(TGuiBase& gui, N form, int left, int top) {
  PlaceForm(gui, form, left, top);
  ShowForm(gui, form, true);
  if (TGuiForm* f = FindForm(gui, form)) f->BringToFront();
}
void ShowCentred(TGuiBase& gui, N form) {
  ShowDialog(gui, form, 400 - FormWidth(gui, form) / 2, 300 - FormHeight(gui, form) / 2);
}


// Whether cleaning (or filling) the level would wipe anything: a cell that is
// not what the action leaves (no cell, or a plain one), a piece or a spawn
// point.
bool WouldWipe(const TBoard& board, bool fill) {
  const uint8_t left = fill ? ttTab : ttNone;
  for (int r = 1; r <= kBoardRows; ++r) {
    for (int c = 1; c <= kBoardCols; ++c) {
      const TBoardTab* tab = board.TabAt(c, r);
      if (tab && (tab->TabType != left || tab->Piece || tab->Spawn)) return true;
    }
  }
  return false;
}

// Whether the level allows the kind a piece tool puts.
bool Allows(const TLevelOptions& o, int kind) {
  switch (kind) {
    case pkBlack: return o.AllowBlack;
    case pkMontanha: return o.AllowRed;
    case pkFire: return o.AllowFire;
    case pkTree: return o.AllowTree;
    case pkGota: return o.AllowGota;
    case pkBook: return o.AllowBook;
    case pkPearl: return o.AllowPearl;
    case pkCristal: return o.AllowCristal;
    default: return false;
  }
}
}  // namespace

TLevelEditor::TLevelEditor(TEditorHost& game) : Game(game), Form_(game.GuiBase1) {}

TBoard& TLevelEditor::Board() { return Game.Board(); }

// ---- Entering and leaving ----------------------------------------------------

void TLevelEditor::Enter() {
  // A board the menus left behind (the pack chooser names its pack on one)
  // makes way for a fresh board.
  Game.FreeBoard();
  Game.SpriteEngine().CollectDead();
  PackNames_.clear();
  InLevel_ = false;
  LastMessage_.clear();
  OnYes_ = OnNo_ = nullptr;
  Game.GamePaused = false;
  Game.HintShown = false;
  Game.ScreenState = ssEditor;
  Game.ScreenTicks = 0;
  Game.aMouse.ClearOnUpdate = true;
  Bind();
  ShowPackChoice();
  Board().SetModified(false);
  Board().ShowLevelBackground();
  Game.Mouse();  // the cursor sprite, whose collision with the cells paints
}

void TLevelEditor::Bind() {
  TGuiBase& gui = Game.GuiBase1;
  auto click = [&](N name, std::function<void()> handler) {
    if (TGuiButton* b = FindButton(gui, name)) b->OnClick = [handler](TGuiControl&) { handler(); };
  };
  click(N::btnNew, [this] { NewPack(); });
  click(N::btnLoad, [this] { OpenSelectedPack(); });
  click(N::btnExitLevelEditor, [this] { ExitEditor(); });
  click(N::gpPrior, [this] { PriorLevel(); });
  click(N::gpNext, [this] { NextLevel(); });
  click(N::gpInsert, [this] { AppendLevel(); });
  click(N::gpSave, [this] { Save(); });
  click(N::gpCancel, [this] { Cancel(); });
  click(N::gpClean, [this] { CleanClicked(); });
  click(N::gpFill, [this] { FillClicked(); });
  click(N::gpOptions, [this] { OpenOptions(); });
  click(N::gpExit, [this] { ExitClicked(); });
  click(N::btnTestar, [this] { StartTest(); });
  click(N::btLevel, [this] { OpenGotoLevel(); });
  click(N::btnBackUp, [this] { StepBackground(1); });
  click(N::btnBackDown, [this] { StepBackground(-1); });
  click(N::loOk, [this] { ApplyOptions(); });
  click(N::loCancel, [this] { CancelOptions(); });
  click(N::gotoOk, [this] { GotoOk(); });
  click(N::gotoCancel, [this] { GotoCancel(); });
  click(N::QuitYes, [this] { ExitClicked(); });
  click(N::QuitNo, [this] { QuitNo(); });
  click(N::ltOk, [this] { EndTest(); });
  click(N::btGiveUp, [this] { EndTest(); });
  // The question's answers change with the question: each runs what the
  // question that is up now asked for.
  click(N::btnYes, [this] {
    const std::function<void()> answer = OnYes_;
    if (answer) answer();
  });
  click(N::btnNo, [this] {
    const std::function<void()> answer = OnNo_;
    if (answer) answer();
  });
  for (const TEditorToolInfo& tool : EditorTools()) {
    const uint8_t t = tool.Tool;
    click(tool.Button, [this, t] { SelectTool(t); });
  }
  // The level's picture in the options, and the current tool in the bar.
  if (TGuiPaint* paint = FindPaint(gui, N::Paint1)) {
    paint->OnPaint = [this](TGuiPaint&, const TRect& r) {
      if (Game.HasBackground()) Game.Canvas.StretchDraw(&Game.Background(), r, 0, kBlendOpaque);
    };
  }
  if (TGuiPaint* paint = FindPaint(gui, N::PaintSelection)) {
    paint->OnPaint = [this](TGuiPaint&, const TRect& r) {
      const TBoard* board = Game.BoardIfAny();
      TCanopyImage* icons = Game.Images.Items(Game.ImageIndexes[ciIcons]);
      if (board && icons)
        Game.Canvas.StretchDraw(icons, TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, board->PaintIcon,
                                kBlendAlpha);
    };
  }
}

void TLevelEditor::ShowPackChoice() {
  TGuiBase& gui = Game.GuiBase1;
  Board().InitTiles();
  for (N form : kEditorForms) ShowForm(gui, form, false);
  ShowForm(gui, N::GameOptions, false);
  InLevel_ = false;
  ShowCentred(gui, N::formLevelEditorSelect);
  TGuiListBox* list = FindListBox(gui, N::LevelList);
  if (list) list->Clear();
  PackNames_.clear();
  for (const TPackEntry& pack : ScanLevelPacks(Game.SavePath("levels"), Game.ProgramPath("levels"))) {
    // The story campaign is not offered for editing.
    if (SameText(pack.Name, kStoryPackName)) continue;
    if (list) list->Add(plat::Utf8ToAnsi(pack.Name) + " - " + std::to_string(pack.LevelFiles) + " Levels");
    PackNames_.push_back(pack.Name);
  }
  if (list) list->SetItemIndex(0);
  if (TGuiEdit* name = FindEdit(gui, N::newName)) {
    name->SetText("");
    name->SetFocus(true);
  }
  // The choice is a dialog over the level's picture: no cell shows or paints.
  Game.DialogOpen = true;
}

void TLevelEditor::ExitClicked() {
  ShowForm(Game.GuiBase1, N::QuitLevelEditor, false);
  Game.DialogOpen = false;
  if (!InLevel_) {
    ExitEditor();
    return;
  }
  LeaveLevel([this] { ExitEditor(); });
}

void TLevelEditor::ExitEditor() {
  TGuiBase& gui = Game.GuiBase1;
  for (N form : kEditorForms) ShowForm(gui, form, false);
  Game.DialogOpen = false;
  Game.FreeBoard();  // the tiles with it; the next use makes a fresh board
  Game.SpriteEngine().CollectDead();
  PackNames_.clear();
  InLevel_ = false;
  OnYes_ = OnNo_ = nullptr;
  Game.ShowMainMenu();
}

void TLevelEditor::QuitNo() {
  ShowForm(Game.GuiBase1, N::QuitLevelEditor, false);
  Game.DialogOpen = QuitOverDialog_;
}

void TLevelEditor::EscapeKey() {
  TGuiBase& gui = Game.GuiBase1;
  if (Game.ScreenState == ssEditorTest) {
    // Back without recording the test; the mouse reports each press once,
    // as on every form of the editor.
    BackFromTest();
    Game.aMouse.ClearOnUpdate = true;
    LoadCurrent();
    return;
  }
  if (Game.ScreenState != ssEditor) return;
  if (FormVisible(gui, N::QuitLevelEditor)) {
    QuitNo();
    return;
  }
  if (Game.BoardIfAny() && Board().OptionsOpen) {
    CancelOptions();
    return;
  }
  if (FormVisible(gui, N::formGotoLevel)) {
    GotoCancel();
    return;
  }
  // A question waits for its answer.
  if (FormVisible(gui, N::formConfirmation)) return;
  QuitOverDialog_ = Game.DialogOpen;
  ShowCentred(gui, N::QuitLevelEditor);
  Game.DialogOpen = true;
}

// ---- Packs ---------------------------------------------------------------------

void TLevelEditor::NewPack() {
  const TGuiEdit* edit = FindEdit(Game.GuiBase1, N::newName);
  // Without spaces at either end, no-break spaces too.
  const std::string name = TrimSpaces8(edit ? edit->Text() : std::string());
  if (name.empty()) return;
  std::string reason;
  if (!ValidateFileName(name, reason)) {
    Tell("\"" + name + "\" cannot be the name of a level pack: " + reason + ". Please type another name.");
    return;
  }
  const std::string pack = plat::AnsiToUtf8(name);
  // A name that reads as another pack's would stand beside it in the lists
  // looking just the same.
  if (SameNameAsRead(pack, kStoryPackName)) {
    Tell(std::string("\"") + kStoryPackName +
         "\" is the story campaign, which cannot be edited. Please type another name.");
    return;
  }
  for (const TPackEntry& other : ScanLevelPacks(Game.SavePath("levels"), Game.ProgramPath("levels"))) {
    if (other.Name != pack && SameNameAsRead(other.Name, pack)) {
      Tell("\"" + name + "\" looks just like the level pack \"" + plat::Utf8ToAnsi(other.Name) +
           "\". Please type another name.");
      return;
    }
  }
  const fs::path folder = PackFolder(Game.PackHome(pack), pack);
  std::error_code ec;
  fs::create_directories(folder, ec);  // an existing pack's folder stays as it is
  if (!fs::is_directory(folder, ec)) {
    Tell("Cannot make the folder " + plat::Utf8ToAnsi(folder.string()) + " for the level pack" +
         (ec ? ": " + ec.message() : std::string(".")));
    return;
  }
  OpenPackForEditing(pack);
}

void TLevelEditor::OpenSelectedPack() {
  const TGuiListBox* list = FindListBox(Game.GuiBase1, N::LevelList);
  const int line = list ? list->ItemIndex() : -1;
  if (PackNames_.empty()) {
    Tell("There is no level pack to edit yet. Type a name for a new pack and press \"Create\".");
    return;
  }
  if (line < 0 || line >= static_cast<int>(PackNames_.size())) {
    Tell("Choose a pack first.");
    return;
  }
  OpenPackForEditing(PackNames_[static_cast<size_t>(line)]);
}

bool TLevelEditor::OpenPackForEditing(const std::string& name) {
  TBoard& board = Board();
  // A pack without a first level gets one, with the options of a new board.
  Form_.Show(TLevelOptions{});
  board.LevelNumber = 1;
  if (!board.OpenPack(name)) {
    Tell(board.LastError);
    return false;
  }
  // The choice closes first: setting a level up takes the score at its start
  // only while no dialog is open.
  ShowForm(Game.GuiBase1, N::formLevelEditorSelect, false);
  Game.DialogOpen = false;
  Game.HintShown = false;
  if (!LoadCurrent()) {
    ShowPackChoice();
    return false;
  }
  InLevel_ = true;
  ShowBar(true);
  RefreshBar();
  return true;
}

// ---- The bar ---------------------------------------------------------------------

bool TLevelEditor::LoadCurrent() {
  TBoard& board = Board();
  const bool loaded = board.LoadLevel();
  if (!loaded) Tell(board.LastError);
  EnablePieceTools();
  RefreshBar();
  return loaded;
}

void TLevelEditor::RefreshBar() {
  const TBoard* board = Game.BoardIfAny();
  if (!board) return;
  TGuiBase& gui = Game.GuiBase1;
  auto enable = [&](N name, bool on) {
    if (TGuiButton* b = FindButton(gui, name)) b->SetEnabled(on);
  };
  enable(N::gpSave, board->Modified);
  enable(N::gpCancel, board->Modified);
  enable(N::gpPrior, board->LevelNumber != 1);
  enable(N::gpNext, board->LevelNumber != board->LevelCount);
  SetLabelText(gui, N::gpLevel,
               "Level " + std::to_string(board->LevelNumber) + "/" + std::to_string(board->LevelCount));
  const bool tested = board->Options.Tested != 0;
  SetLabelText(gui, N::LevelStatus, tested ? "Tested Ok" : "Not Tested");
  const TColor color = tested ? kTestedColor : kNotTestedColor;
  SetLabelColors(gui, N::LevelStatus, color, color);
}

void TLevelEditor::EnablePieceTools() {
  TBoard& board = Board();
  bool toolGone = false;
  for (const TEditorToolInfo& tool : EditorTools()) {
    if (tool.PieceKind < 0) continue;
    const bool allowed = Allows(board.Options, tool.PieceKind);
    if (TGuiButton* b = FindButton(Game.GuiBase1, tool.Button)) b->SetEnabled(allowed);
    if (!allowed && board.EditorTool == tool.Tool) toolGone = true;
  }
  // A piece the level no longer allows cannot stay the tool in hand.
  if (toolGone) SelectTool(etTab);
}

void TLevelEditor::ShowBar(bool visible) {
  if (visible) {
    ShowDialog(Game.GuiBase1, N::BoardOperations, 0, kBarTop);
  } else {
    ShowForm(Game.GuiBase1, N::BoardOperations, false);
  }
}

void TLevelEditor::SelectTool(uint8_t tool) {
  const TEditorToolInfo* info = FindEditorTool(tool);
  if (!info) return;
  TBoard& board = Board();
  if (const TGuiButton* b = FindButton(Game.GuiBase1, info->Button)) board.PaintIcon = b->NormalGlyph;
  // Drag tools read the button as held; click tools see each press once.
  Game.aMouse.ClearOnUpdate = false;
  board.EditorTool = tool;
  if (!info->Drag) Game.aMouse.ClearOnUpdate = true;
}

void TLevelEditor::Tell(const std::string& message) {
  LastMessage_ = message;
  Game.ShowError(message);
}

// ---- Painting ----------------------------------------------------------------------

void TLevelEditor::FrameStart() {
  // Whether the left button is held, however the mouse reports presses
  // (with ClearOnUpdate a press shows in one frame only).
  Held_ = Game.aMouse.Held(0);
  const bool pressed = Held_;
  const int taken = Game.GuiBase1.LeftPressesTaken();
  // A press that a form's control took is the form's, not the board's, for
  // as long as the button stays down.
  if (pressed && taken != GuiPressesSeen_) GuiPress_ = true;
  if (!pressed) {
    GuiPress_ = false;
    ClickSpent_ = false;
  }
  GuiPressesSeen_ = taken;
  if (InLevel_ && Game.ScreenState == ssEditor && !Game.DialogOpen)
    Tips_.Track(Game.GuiBase1, Game.MouseX, Game.MouseY, Game.ScreenTicks, Held_);
  else
    Tips_.Hide();
  // The frame's collision pass comes before the ticks that move the cursor
  // sprite: it must meet the cell under the pointer now, not the one the
  // pointer left.
  if (TMouse* mouse = Game.MouseIfAny()) {
    mouse->SetX(static_cast<float>(Game.MouseX));
    mouse->SetY(static_cast<float>(Game.MouseY));
    mouse->HitRect = {Game.MouseX, Game.MouseY, Game.MouseX + 1, Game.MouseY + 1};
  }
}

void TLevelEditor::DrawToolTip() {
  if (Game.ScreenState == ssEditor) Tips_.Draw(Game.Canvas, Game.Fonts.Items(1));
}

void TLevelEditor::PaintAt(TBoardTab& cell) {
  TBoard* board = Game.BoardIfAny();
  if (!board || !InLevel_ || Game.ScreenState != ssEditor) return;
  if (Game.DialogOpen || Game.HintShown || board->OptionsOpen || board->Cleared) return;
  if (!Held_ || GuiPress_) return;
  const bool drag = IsDragTool(board->EditorTool);
  // A click tool acts once per press, however many collision passes see it.
  // One pass may even meet this cell twice: a new piece is filed into the
  // sprite list by its depth and shifts the cursor further along.
  if (!drag) {
    if (ClickSpent_) return;
    ClickSpent_ = true;
  }
  const bool barShows = board->Modified && !board->Options.Tested;
  board->SetModified(true);
  PaintCell(*board, cell, board->EditorTool);
  if (!barShows) RefreshBar();
}

// ---- Page buttons ------------------------------------------------------------------

void TLevelEditor::LeaveLevel(std::function<void()> go) {
  if (!Board().Modified) {
    go();
    return;
  }
  Ask(
      "There are changes in this level. Do you want to save?",
      [this, go] {
        CloseQuestion();
        TBoard& board = Board();
        if (!board.SaveLevel()) {
          // Nothing is lost: the level stays, changes and all.
          Tell(board.LastError);
          RefreshBar();
          return;
        }
        go();
      },
      [this, go] {
        CloseQuestion();
        Game.HintShown = false;
        Board().SetModified(false);  // the changes are dropped
        go();
      });
}

void TLevelEditor::PriorLevel() {
  if (InLevel_ && Game.ScreenState == ssEditorTest) {
    PriorLevelInTest();
    return;
  }
  if (!InLevel_ || Game.ScreenState != ssEditor || Game.DialogOpen || Board().OptionsOpen) return;
  if (Board().LevelNumber < 2) return;
  LeaveLevel([this] {
    Board().LevelNumber -= 1;
    LoadCurrent();
  });
}

void TLevelEditor::NextLevel() {
  if (Board().LevelNumber >= Board().LevelCount) return;
  LeaveLevel([this] {
    Board().AdvanceLevel();
    EnablePieceTools();
    RefreshBar();
  });
}

void TLevelEditor::AppendLevel() {
  LeaveLevel([this] {
    TBoard& board = Board();
    const int32_t back = board.LevelNumber;
    board.AskConfirm = 0;
    board.FillLevel();
    board.LevelCount += 1;
    board.LevelNumber = board.LevelCount;
    board.Options.Tested = 0;
    if (!board.SaveLevel()) {
      const std::string why = board.LastError;
      board.LevelCount -= 1;
      board.LevelNumber = back;
      LoadCurrent();
      Tell(why);
      return;
    }
    // The count follows the files: the new level may join ones beyond it.
    board.LevelCount = CountPackLevels(Game.PackHome(board.PackName), board.PackName);
    RefreshBar();
  });
}

void TLevelEditor::Save() {
  TBoard& board = Board();
  if (!board.SaveLevel()) Tell(board.LastError);
  RefreshBar();
}

void TLevelEditor::Cancel() { LoadCurrent(); }

// ---- Questions ---------------------------------------------------------------------

void TLevelEditor::Ask(const std::string& message, std::function<void()> yes, std::function<void()> no) {
  TGuiBase& gui = Game.GuiBase1;
  ShowBar(false);
  const int w = FormWidth(gui, N::formConfirmation);
  ShowDialog(gui, N::formConfirmation, 400 - w / 2, 300 - w / 2);
  Game.DialogOpen = true;
  SetLabelText(gui, N::Message, message);
  OnYes_ = std::move(yes);
  OnNo_ = std::move(no);
}

void TLevelEditor::CloseQuestion() {
  ShowBar(true);
  ShowForm(Game.GuiBase1, N::formConfirmation, false);
  Game.DialogOpen = false;
  OnYes_ = OnNo_ = nullptr;
}

void TLevelEditor::CleanClicked() { CleanOrFill(false); }
void TLevelEditor::FillClicked() { CleanOrFill(true); }

void TLevelEditor::CleanOrFill(bool fill) {
  TBoard& board = Board();
  // Every time the level holds something the action would wipe, the player
  // is asked first; a level it would leave as it is needs no question.
  if (!board.ConfirmOpen && WouldWipe(board, fill)) {
    AskCleanOrFill(fill);
    return;
  }
  if (board.ConfirmOpen) CloseConfirm();
  if (fill)
    board.FillLevel();
  else
    board.CleanLevel();
  board.AskConfirm = 1;
  RefreshBar();
}

void TLevelEditor::AskCleanOrFill(bool fill) {
  TBoard& board = Board();
  board.AskConfirm = 0;
  board.ConfirmOpen = 1;
  Ask(fill ? "Are you sure you want to fill this level?" : "Are you sure you want to clean this level?",
      [this, fill] { CleanOrFill(fill); }, [this] { CloseConfirm(); });
}

void TLevelEditor::CloseConfirm() {
  CloseQuestion();
  TBoard& board = Board();
  board.AskConfirm = 1;
  board.ConfirmOpen = 0;
}

// ---- Options -------------------------------------------------------------------------

void TLevelEditor::OpenOptions() {
  TGuiBase& gui = Game.GuiBase1;
  TBoard& board = Board();
  board.OptionsOpen = 1;  // painting stops
  BackgroundAtOpen_ = board.Options.Background;
  ShowBar(false);
  ShowForm(gui, N::formConfirmation, false);
  ShowDialog(gui, N::formLevelOptions, 400 - FormWidth(gui, N::formLevelOptions) / 2,
             400 - FormHeight(gui, N::formLevelOptions) / 2);
}

void TLevelEditor::ApplyOptions() {
  TBoard& board = Board();
  if (!board.SaveLevel()) {
    // The form stays open with what was typed, and the files as they were.
    Tell(board.LastError);
    return;
  }
  LoadCurrent();
  // The level counts as changed (its options are, though already saved):
  // "Save" and "Cancel" wake up, and leaving it asks first.
  board.Modified = 1;
  board.OptionsOpen = 0;
  ShowBar(true);
  ShowForm(Game.GuiBase1, N::formConfirmation, false);
  ShowForm(Game.GuiBase1, N::formLevelOptions, false);
  RefreshBar();
  EnablePieceTools();
}

void TLevelEditor::CancelOptions() {
  TBoard& board = Board();
  const bool pictureChanged = board.Options.Background != BackgroundAtOpen_;
  board.Options.Background = BackgroundAtOpen_;
  Form_.Show(board.Options);
  if (pictureChanged) board.ShowLevelBackground();
  board.OptionsOpen = 0;
  ShowForm(Game.GuiBase1, N::formLevelOptions, false);
  ShowBar(true);
}

void TLevelEditor::StepBackground(int delta) {
  TBoard& board = Board();
  int32_t& background = board.Options.Background;
  if (delta > 0 && background <= kMaxBackground - 1) background += 1;
  if (delta < 0 && background > kMinBackground) background -= 1;
  background = std::clamp(background, kMinBackground, kMaxBackground);
  Form_.ShowBackground(background);
  board.ShowLevelBackground();
}

// ---- Go to a level -------------------------------------------------------------------

void TLevelEditor::OpenGotoLevel() {
  TGuiBase& gui = Game.GuiBase1;
  Game.DialogOpen = true;
  ShowCentred(gui, N::formGotoLevel);
  if (TGuiEdit* edit = FindEdit(gui, N::GotoLevel)) {
    edit->SetText("");
    edit->SetFocus(true);
  }
}

void TLevelEditor::GotoOk() {
  TGuiBase& gui = Game.GuiBase1;
  const TGuiEdit* edit = FindEdit(gui, N::GotoLevel);
  const int32_t count = Board().LevelCount;
  int32_t n = 0;
  if (!edit || !ParseWholeNumber(edit->Text(), n) || n < 1 || n > count) {
    // The form stays for another number.
    Tell("Type the number of a level of this pack, from 1 to " + std::to_string(count) + ".");
    return;
  }
  Game.DialogOpen = false;
  Game.HintShown = false;
  ShowForm(gui, N::formGotoLevel, false);
  LeaveLevel([this, n] {
    Board().LevelNumber = n;
    LoadCurrent();
  });
}

void TLevelEditor::GotoCancel() {
  Game.DialogOpen = false;
  ShowForm(Game.GuiBase1, N::formGotoLevel, false);
}

// ---- Test play -----------------------------------------------------------------------

void TLevelEditor::StartTest() {
  TBoard& board = Board();
  if (!board.SaveLevel()) {
    Tell(board.LastError);
    RefreshBar();
    return;
  }
  RefreshBar();
  // The test stakes nothing of the player's game: score, lives and mana come
  // back as they were when it ends.
  TPlayer& player = Game.Player();
  Stake_ = {player.Score,           player.Lives,           player.NextLifeScore,
            player.LevelStartScore, player.LevelStartLives, player.LevelStartNextLife,
            player.ManaFire,        player.ManaWater,       player.ManaMountain,
            player.ManaTree};
  player.ClearMana();
  player.LevelStartScore = player.Score;
  player.LevelStartLives = player.Lives;
  player.LevelStartNextLife = player.NextLifeScore;
  if (TMouse* mouse = Game.MouseIfAny()) mouse->Deselect();
  ShowBar(false);
  Game.Magic().Bar();
  Game.ScreenState = ssEditorTest;
  board.ResultShown = 0;
  board.Completed = 0;
  board.TimeOver = 0;
  board.NoMoves = 0;
  Game.aMouse.ClearOnUpdate = false;
  Game.ScreenTicks = 0;
  Game.IdleCheckTicks = 0;
  Game.StartDelay = 120;
}

void TLevelEditor::EndTest() {
  TBoard& board = Board();
  const uint8_t tested = board.Options.Tested;
  BackFromTest();
  if (!LoadCurrent()) return;
  // The level now records whether the test was won.
  board.Options.Tested = tested;
  if (!board.SaveLevel()) Tell(board.LastError);
  board.TimeOver = 0;
  RefreshBar();
}

void TLevelEditor::BackFromTest() {
  TGuiBase& gui = Game.GuiBase1;
  TBoard& board = Board();
  ShowForm(gui, N::LevelTestCompleted, false);
  ShowForm(gui, N::formTimeOver, false);
  Game.ScreenState = ssEditor;
  Game.DialogOpen = false;
  Game.GamePaused = false;
  Game.Magic().FreeBar();
  Game.Explosions().Clear();
  TPlayer& player = Game.Player();
  player.Score = Stake_.Score;
  player.Lives = Stake_.Lives;
  player.NextLifeScore = Stake_.NextLifeScore;
  player.LevelStartScore = Stake_.LevelStartScore;
  player.LevelStartLives = Stake_.LevelStartLives;
  player.LevelStartNextLife = Stake_.LevelStartNextLife;
  player.ManaFire = Stake_.ManaFire;
  player.ManaWater = Stake_.ManaWater;
  player.ManaMountain = Stake_.ManaMountain;
  player.ManaTree = Stake_.ManaTree;
  board.TimeOver = board.NoMoves = 0;
  board.ResultShown = board.Completed = 0;
  if (TMouse* mouse = Game.MouseIfAny()) mouse->Deselect();
  ShowBar(true);
  Game.aMouse.ClearOnUpdate = !IsDragTool(board.EditorTool);
  Game.ScreenTicks = 0;
}

// ---- State dump ------------------------------------------------------------------------

void TLevelEditor::Dump(TJsonWriter& j) const {
  TGuiBase& gui = Game.GuiBase1;
  const TBoard* board = Game.BoardIfAny();
  j.BeginObject("editor");
  j.Value("in_level", InLevel_);
  if (board) {
    j.Value("pack", board->PackName);
    j.Value("level", board->LevelNumber);
    j.Value("level_count", board->LevelCount);
    j.Value("tool", static_cast<int>(board->EditorTool));
    j.Value("paint_icon", board->PaintIcon);
    j.Value("modified", board->Modified != 0);
    j.Value("tested", board->Options.Tested != 0);
    j.Value("ask_confirm", board->AskConfirm != 0);
    j.Value("confirm_open", board->ConfirmOpen != 0);
    j.Value("options_open", board->OptionsOpen != 0);
    j.Value("background", board->Options.Background);
  }
  j.Value("clear_on_update", Game.aMouse.ClearOnUpdate);
  j.Value("tooltip", Tips_.Shown());
  j.Value("bar_level", LabelText(gui, N::gpLevel));
  j.Value("status", LabelText(gui, N::LevelStatus));
  j.Value("question", FormVisible(gui, N::formConfirmation) ? LabelText(gui, N::Message) : std::string());
  j.Value("message", LastMessage_);
  j.BeginArray("packs");
  if (const TGuiListBox* list = FindListBox(gui, N::LevelList)) {
    for (const std::string& line : list->Items()) j.Value(nullptr, line);
  }
  j.EndArray();
  // The bar's buttons that are enabled.
  j.BeginArray("enabled");
  for (N name : {N::gpPrior, N::gpNext, N::gpSave, N::gpCancel, N::btnSpriteRed, N::btnSpriteFire,
                 N::btnSpritePearl, N::btnSpriteCristal, N::btnSpriteTree, N::btnSpriteBlack, N::btnSpriteBook,
                 N::btnSpriteGota}) {
    const TGuiButton* b = FindButton(gui, name);
    if (b && b->Enabled()) j.Value(nullptr, std::string(ControlNameText(name)));
  }
  j.EndArray();
  j.BeginObject("fields");
  for (N name : {N::loLevelTime, N::loMaxCaveiras, N::loBackGround, N::GotoLevel, N::newName}) {
    const TGuiEdit* edit = FindEdit(gui, name);
    j.Value(std::string(ControlNameText(name)).c_str(), edit ? edit->Text() : std::string());
  }
  j.EndObject();
  j.EndObject();
}
