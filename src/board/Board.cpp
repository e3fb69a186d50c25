// The board: its life as a sprite, the grid of tiles, level packs, and
// loading, saving and clearing levels.
#include "board/Board.h"

#include <algorithm>
#include <filesystem>
#include <new>

#include "board/BoardCursor.h"
#include "board/BoardHost.h"
#include "board/BoardTab.h"
#include "board/GameSprite.h"
#include "board/LevelOptionsForm.h"
#include "board/Mouse.h"
#include "engine/core/SafeFile.h"
#include "engine/sprites/SpriteEngine.h"
#include "players/Player.h"

namespace {
// A level whose setup keeps producing lines (only one kind of piece allowed)
// would otherwise never finish loading; after this many passes the board is
// left as it is and the first match step of play breaks what is left.
constexpr int kMaxSetupPasses = 1000;

bool InEditor(uint8_t screenState) { return screenState == ssEditor || screenState == ssEditorTest; }
}  // namespace

TBoard::TBoard(TBoardHost& game) : TSprite(&game.SpriteEngine()), Game(game) {
  SetZ(1);
  BlendMode = kBlendAlpha;
  CanCollide = false;
  SetImageName("background1.image");
  Selection = new TSelection(Engine);
  Cursor = new TBoardCursor(game);
}

TBoard::~TBoard() {
  // While the engine tears everything down (Engine cleared) the tiles and the
  // marker are freed by the engine itself.
  if (Engine) {
    KillTiles();
    if (Selection) Selection->Dead();
    if (Cursor) Cursor->Dead();
  }
  Game.SpriteSingletonGone(this);
}

void TBoard::Dead() {
  KillTiles();
  if (Selection) {
    Selection->Dead();
    Selection = nullptr;
  }
  if (Cursor) {
    Cursor->Dead();
    Cursor = nullptr;
  }
  TSprite::Dead();
}

void TBoard::KillTiles() {
  for (auto& row : Tabs) {
    for (TBoardTab*& tab : row) {
      if (tab) {
        tab->Dead();
        tab = nullptr;
      }
    }
  }
}

void TBoard::Move(float /*step*/) {
  // The combo clock counts ticks, whatever the step.
  if (ComboTicks > 0)
    ComboTicks -= 1.0;
  else
    ComboMultiplier = 1;
}

bool TBoard::Quiet() const {
  return !FadingIn && !Completed && !TimeOver && !NoMoves && !Game.DialogOpen && !Game.HintShown;
}

void TBoard::InitTiles() {
  GameOver = TimeOver = NoMoves = OptionsOpen = 0;
  SecondTicks = ElapsedSeconds = 0;
  PaintIcon = 1;
  KillTiles();  // a second call replaces the grid rather than stacking one on it
  for (int c = 1; c <= kBoardCols; ++c) {
    for (int r = 1; r <= kBoardRows; ++r) {
      auto* tab = new TBoardTab(Engine);
      tab->Col = c;
      tab->Row = r;
      tab->SetX(static_cast<float>(40 * c));
      tab->SetY(static_cast<float>(40 * r - 10));
      Tabs[r][c] = tab;
    }
  }
}

bool TBoard::OpenPack(const std::string& name) {
  LastError.clear();
  // A pack is a folder of levels/: a name that would lead elsewhere, or
  // that no folder can carry, is no pack.
  std::string reason;
  if (!ValidateFileName(name, reason)) {
    LastError = "\"" + PrintableName(name) + "\" cannot be a level pack: " + reason + ".";
    return false;
  }
  PackName = name;
  LevelCount = 0;
  const std::string home = Game.PackHome(name);
  // A level saved when the game died half-way is finished or rolled back
  // before anything of the pack is read; only in the folder the game writes
  // to (a shipped pack, or the player's while a replay plays, is only read).
  if (home == Game.SaveHome()) RecoverPackWrites(home, name);
  std::error_code ec;
  if (!std::filesystem::exists(LevelCellsPath(home, name, 1), ec)) {
    // A new pack starts with one filled level.
    FillLevel();
    SaveLevel();
    LevelCount = 0;
  }
  if (std::filesystem::exists(LevelCellsPath(home, name, 1), ec)) {
    LevelCount = CountPackLevels(home, name);
    LevelNumber = 1;
    return true;
  }
  if (LastError.empty()) LastError = "The level pack \"" + name + "\" has no first level.";
  return false;
}

bool TBoard::LoadLevel() {
  LastError.clear();
  Cleared = 0;
  if (!Game.DialogOpen) {
    TPlayer& player = Game.Player();
    player.LevelStartScore = player.Score;
    player.LevelStartLives = player.Lives;
    player.LevelStartNextLife = player.NextLifeScore;
  }
  AskConfirm = 0;
  FadingIn = 1;
  Completed = 0;
  CleanLevel();

  const std::string home = Game.PackHome(PackName);
  std::string error;
  // A level's files are small and read with a cap; should memory still run
  // out, the level is refused with its name like any unreadable level.
  const std::string where = "level " + std::to_string(LevelNumber) + " of the pack \"" + PackName + "\"";
  std::optional<TLevelOptions> options;
  try {
    options = ReadLevelOptions(LevelOptionsPath(home, PackName, LevelNumber), error);
  } catch (const std::bad_alloc&) {
    error = "Not enough memory to load " + where + ".";
  }
  if (!options) {
    LastError = error;
    return false;
  }
  Options = *options;
  Options.Reserved.clear();
  // Without a single kind to draw from, the spawn points could never refill.
  if (!Options.AnyAllowed() && Game.ScreenState != ssEditor) {
    LastError = "Level " + std::to_string(LevelNumber) + " of the pack \"" + PackName +
                "\" allows no kind of piece, so it cannot be played.";
    return false;
  }
  std::optional<std::vector<TCellRecord>> cells;
  try {
    cells = ReadLevelCells(LevelCellsPath(home, PackName, LevelNumber), error);
  } catch (const std::bad_alloc&) {
    error = "Not enough memory to load " + where + ".";
  }
  if (!cells) {
    LastError = error;
    return false;
  }

  const bool play = Game.ScreenState == ssPlaying || Game.ScreenState == ssEditorTest;
  for (const TCellRecord& rec : *cells) {
    if (!rec.InGrid()) continue;  // records outside the grid are not applied
    TBoardTab* tab = TabAt(rec.Col, rec.Row);
    if (!tab) continue;
    tab->Col = rec.Col;
    tab->Row = rec.Row;
    tab->Spawn = rec.Spawn ? 1 : 0;
    if (rec.Piece < kPieceKinds) {
      PutPiece(rec.Col, rec.Row, rec.Piece);
    } else if ((rec.TabType == ttForceField || rec.TabType == ttForceField2 || rec.TabType > ttRebarba8) &&
               play) {
      // A locked cell never receives a falling piece: give it one now.
      RefillCell(rec.Row, rec.Col);
    }
    if (tab->Piece) {
      tab->Piece->SetX(tab->X);
      tab->Piece->SetY(tab->Y);
      tab->Piece->CellFromPosition();
    }
    tab->SetType(rec.TabType);
    tab->SetAlpha(255);
  }

  // Break up every line the file holds, so play never starts with one. The
  // editor shows the level as it is stored: its pieces change only when it
  // is played.
  if (Game.ScreenState != ssEditor) {
    for (int pass = 0; pass < kMaxSetupPasses && MatchStep(false); ++pass) {
    }
  }
  SetModified(false);
  if (Game.ScreenState == ssEditor) TLevelOptionsForm(Game.GuiBase1).Show(Options);
  ShowLevelBackground();
  Game.CurrentMusic = "Music" + std::to_string(1 + Game.Random.Next(9));
  SecondTicks = 0;
  ElapsedSeconds = 0;
  return true;
}

bool TBoard::SaveLevel() {
  LastError.clear();
  // Everything is checked before anything is written, so bad input never
  // costs the level that is on disk.
  TLevelOptions o = Options;
  if (InEditor(Game.ScreenState) && !TLevelOptionsForm(Game.GuiBase1).Read(o, LastError)) return false;
  o.Reserved.clear();
  o.Tested = Options.Tested;
  if (!o.AnyAllowed()) {
    LastError = "No kind of piece is allowed, so new pieces could never appear: tick at least one of " +
                PieceKindNames() + " in the level options.";
    return false;
  }
  // A locked cell never receives a falling piece: a field without one could
  // never be broken.
  int empty = 0;
  std::string first;
  for (int c = 1; c <= kBoardCols; ++c) {
    for (int r = 1; r <= kBoardRows; ++r) {
      const TBoardTab* tab = TabAt(c, r);
      if (!tab || !IsLocked(tab->TabType) || tab->Piece) continue;
      if (++empty == 1) first = "column " + std::to_string(c) + ", row " + std::to_string(r);
    }
  }
  if (empty > 0) {
    LastError = "The force field at " + first + " holds no piece" +
                (empty > 1 ? " (and " + std::to_string(empty - 1) + " more)" : std::string()) +
                ": a locked cell never receives a falling piece, so its field could never be broken. Put a "
                "piece in every force field before saving.";
    return false;
  }

  std::vector<TCellRecord> cells;
  cells.reserve(kBoardCols * kBoardRows);
  for (int c = 1; c <= kBoardCols; ++c) {
    for (int r = 1; r <= kBoardRows; ++r) {
      TCellRecord rec;
      rec.Col = c;
      rec.Row = r;
      rec.TabType = ttNone;
      if (const TBoardTab* tab = TabAt(c, r)) {
        rec.Col = tab->Col;
        rec.Row = tab->Row;
        rec.TabType = tab->TabType;
        rec.Spawn = tab->Spawn;
        if (tab->TabType != ttNone && tab->Piece) rec.Piece = tab->Piece->Kind;
      }
      cells.push_back(rec);
    }
  }
  const std::string home = Game.PackHome(PackName);
  std::string error;
  if (!WriteLevel(home, PackName, LevelNumber, o, cells, error)) {
    LastError = error;
    return false;
  }
  SetModified(false);
  return true;
}

void TBoard::CleanLevel() {
  if (TMouse* mouse = Game.MouseIfAny()) mouse->Deselect();
  for (auto& row : Tabs) {
    for (TBoardTab* tab : row) {
      if (!tab) continue;
      tab->KillPiece();
      tab->SetType(ttNone);
      tab->Spawn = 0;
      tab->Selected = 0;
    }
  }
  Modified = 1;
  Engine->CollectDead();
}

void TBoard::FillLevel() {
  if (TMouse* mouse = Game.MouseIfAny()) mouse->Deselect();
  for (auto& row : Tabs) {
    for (TBoardTab* tab : row) {
      if (!tab) continue;
      tab->SetType(ttTab);
      tab->KillPiece();
      tab->Spawn = 0;
      tab->Selected = 0;
    }
  }
  Modified = 1;
  AskConfirm = 1;
}

void TBoard::SetModified(bool flag) {
  Modified = flag ? 1 : 0;
  if (flag) Options.Tested = 0;
}

void TBoard::ShowLevelBackground() {
  // A number outside the pictures (a damaged or hand-made file) shows the
  // nearest one rather than ending the game over a missing picture.
  const int32_t picture = std::clamp(Options.Background, kMinBackground, kMaxBackground);
  BackgroundPicture = "world" + std::to_string(picture) + ".jpg";
  Game.LoadLevelBackground(BackgroundPicture);
}
