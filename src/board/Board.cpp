// The board: its life as a sprite, the grid of tiles, level packs, and
// loading, saving and clearing levels.
#include "board/Board.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "app/Main.h"
#include "board/BoardTab.h"
#include "engine/SpriteEngine.h"
#include "pieces/GameSprite.h"
#include "pieces/Mouse.h"

namespace {
// A level whose setup keeps producing lines (only one kind of piece allowed)
// would otherwise never finish loading; after this many passes the board is
// left as it is and the first match step of play breaks what is left.
constexpr int kMaxSetupPasses = 1000;

// The whole text as a 32-bit whole number: optional blanks around an optional
// sign and decimal digits.
bool ParseWholeNumber(const std::string& text, int32_t& out) {
  size_t first = text.find_first_not_of(" \t");
  size_t last = text.find_last_not_of(" \t");
  if (first == std::string::npos) return false;
  const std::string core = text.substr(first, last - first + 1);
  size_t i = (core[0] == '-' || core[0] == '+') ? 1 : 0;
  if (i >= core.size()) return false;
  for (size_t k = i; k < core.size(); ++k)
    if (core[k] < '0' || core[k] > '9') return false;
  if (core.size() - i > 10) return false;
  const long long v = std::strtoll(core.c_str(), nullptr, 10);
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return false;
  out = static_cast<int32_t>(v);
  return true;
}
}  // namespace

TBoard::TBoard(Tmain& game) : TSprite(&game.SpriteEngine()), Game(game) {
  SetZ(1);
  BlendMode = kBlendAlpha;
  CanCollide = false;
  SetImageName("background1.image");
  Selection = new TSelection(Engine);
}

TBoard::~TBoard() {
  // While the engine tears everything down (Engine cleared) the tiles and the
  // marker are freed by the engine itself.
  if (Engine) {
    KillTiles();
    if (Selection) Selection->Dead();
  }
  Game.SpriteSingletonGone(this);
}

void TBoard::Dead() {
  KillTiles();
  if (Selection) {
    Selection->Dead();
    Selection = nullptr;
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
  PackName = name;
  LevelCount = 0;
  const std::string home = Game.Options.Home;
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

  const std::string home = Game.Options.Home;
  std::string error;
  std::optional<TLevelOptions> options =
      ReadLevelOptions(LevelOptionsPath(home, PackName, LevelNumber), error);
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
  std::optional<std::vector<TCellRecord>> cells =
      ReadLevelCells(LevelCellsPath(home, PackName, LevelNumber), error);
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

  // Break up every line the file holds, so play never starts with one.
  for (int pass = 0; pass < kMaxSetupPasses && MatchStep(false); ++pass) {
  }
  SetModified(false);
  ShowOptionsInEditorFields();
  ShowLevelBackground();
  Game.CurrentMusic = "Music" + std::to_string(1 + Game.Random.Next(9));
  SecondTicks = 0;
  ElapsedSeconds = 0;
  return true;
}

void TBoard::ShowOptionsInEditorFields() {
  EditorFields.LevelTime = std::to_string(Options.LevelTime);
  EditorFields.MaxCaveiras = std::to_string(Options.MaxCaveiras);
  EditorFields.Background = std::to_string(Options.Background);
  EditorFields.AllowTree = Options.AllowTree;
  EditorFields.AllowFire = Options.AllowFire;
  EditorFields.AllowBlack = Options.AllowBlack;
  EditorFields.AllowCristal = Options.AllowCristal;
  EditorFields.AllowGota = Options.AllowGota;
  EditorFields.AllowBook = Options.AllowBook;
  EditorFields.AllowPearl = Options.AllowPearl;
  EditorFields.AllowRed = Options.AllowRed;
}

bool TBoard::SaveLevel() {
  LastError.clear();
  // Everything is checked before anything is written, so bad input never
  // costs the level that is on disk.
  TLevelOptions o;
  auto number = [&](const std::string& text, const char* what, int32_t& out) {
    if (ParseWholeNumber(text, out)) return true;
    LastError = std::string("The ") + what + " \"" + text + "\" is not a whole number.";
    return false;
  };
  if (!number(EditorFields.LevelTime, "level time", o.LevelTime) ||
      !number(EditorFields.MaxCaveiras, "number of skulls", o.MaxCaveiras) ||
      !number(EditorFields.Background, "background number", o.Background))
    return false;
  o.Reserved.clear();
  o.AllowTree = EditorFields.AllowTree;
  o.AllowFire = EditorFields.AllowFire;
  o.AllowBlack = EditorFields.AllowBlack;
  o.AllowCristal = EditorFields.AllowCristal;
  o.AllowGota = EditorFields.AllowGota;
  o.AllowBook = EditorFields.AllowBook;
  o.AllowPearl = EditorFields.AllowPearl;
  o.AllowRed = EditorFields.AllowRed;
  o.Tested = Options.Tested;
  if (!o.AnyAllowed()) {
    LastError = "Choose at least one kind of piece: a level without any cannot be played.";
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
  const std::string home = Game.Options.Home;
  std::string error;
  if (!WriteLevelOptions(LevelOptionsPath(home, PackName, LevelNumber), o, error) ||
      !WriteLevelCells(LevelCellsPath(home, PackName, LevelNumber), cells, error)) {
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
  BackgroundPicture = "world" + std::to_string(Options.Background) + ".jpg";
  Game.LoadLevelBackground(BackgroundPicture);
}
