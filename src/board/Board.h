// The board: the 18 x 12 grid of tiles of the level being played, tested or
// edited, the options of that level, the place in the current level pack, and
// the flags that the swap-and-match rules and the level flow step through.
// The board is itself a sprite (it draws nothing; its Move runs the combo
// clock) and is owned by the sprite engine like its tiles and pieces.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "board/BoardTab.h"
#include "board/GameSprite.h"
#include "board/LevelFile.h"
#include "engine/sprites/Sprite.h"

class TBoardHost;
class TSelection;
class TBoardCursor;

// The cell whose tile lies under a screen point: tile (c, r) spans 40 x 40
// pixels from (40 c, 40 r - 10). False off the board's 18 x 12 cells.
inline bool CellAtPoint(int x, int y, int& col, int& row) {
  if (x < 0 || y < -10) return false;
  const int c = x / 40, r = (y + 10) / 40;
  if (c < 1 || c > kBoardCols || r < 1 || r > kBoardRows) return false;
  col = c;
  row = r;
  return true;
}

struct TCell {
  int Col = 0, Row = 0;
};

class TBoard : public TSprite {
 public:
  explicit TBoard(TBoardHost& game);
  ~TBoard() override;

  void Move(float step) override;  // the combo clock
  void Draw() override {}
  // Takes the tiles (with their pieces and fields) and the marker along.
  void Dead() override;

  // The grid. TabAt is nullptr outside 1..18 x 1..12 and before InitTiles.
  TBoardTab* TabAt(int col, int row) const {
    if (col < 1 || col > kBoardCols || row < 1 || row > kBoardRows) return nullptr;
    return Tabs[row][col];
  }
  TGameSprite* PieceAt(int col, int row) const {
    const TBoardTab* tab = TabAt(col, row);
    return tab ? tab->Piece : nullptr;
  }
  // Cell predicates shared by every rule.
  static bool CanHoldPiece(int tabType) { return tabType != 0 && !(tabType >= 6 && tabType <= 13); }
  static bool IsSelectable(int tabType) { return tabType != 0 && !(tabType >= 4 && tabType <= 13); }
  static bool IsBox(int tabType) { return tabType >= 2 && tabType <= 5; }
  static bool IsLocked(int tabType) { return tabType == 4 || tabType == 5; }
  bool IsSettled(int col, int row) const {
    const TBoardTab* tab = TabAt(col, row);
    return tab && tab->Piece && CanHoldPiece(tab->TabType) && tab->Piece->Ready();
  }
  bool CanFall(int col, int row) const {
    const TBoardTab* tab = TabAt(col, row);
    return tab && tab->Piece && !IsLocked(tab->TabType) && tab->Piece->Ready();
  }
  // True for an empty, selectable cell that is not a spawn point; a true
  // answer also re-arms the settle countdown (StartDelay).
  bool CanReceive(int col, int row);
  // A new piece of the kind in the cell, placed at the tile's position; an old
  // piece in the cell is killed first. nullptr for a kind outside 0..8.
  TGameSprite* PutPiece(int col, int row, int kind);

  // Level set-up and files. The ones returning bool leave a message for the
  // player in LastError when they fail. In the level editor, loading shows
  // the level's options in the editor's options form and saving writes the
  // options that form holds (LevelOptionsForm.h); elsewhere saving writes
  // the board's own copy. Saving refuses a level that allows no kind of
  // piece or that has a force field without a piece, before it writes.
  void InitTiles();
  bool OpenPack(const std::string& name);
  bool LoadLevel();
  bool SaveLevel();
  void CleanLevel();
  void FillLevel();
  void SetModified(bool flag);
  void ShowLevelBackground();

  // The rules of swap, match and cascade.
  void GravityStep();
  bool MatchStep(bool scoring);
  void RefillCell(int row, int col);
  void SwapCells(TCell a, TCell b);
  bool HasMove();
  void AwardPoints(int points, float x, float y);
  void ManaFlight(const TGameSprite& piece);
  void HitCell(int col, int row);

  // The level flow (LevelFlow.cpp): the win, the result forms, the way on to
  // the next level, and the time running out.
  void LevelWon();
  void ShowLevelResult();
  void ShowTestResult();
  // "nlNext" of the result form.
  void NextLevelClick();
  // The next level of the pack, or the end of the pack.
  void AdvanceLevel();
  // The clock has passed the level's time. The last life ends the game, which
  // frees this board: nothing may use it after this call.
  void TimeUp();
  // True when the board steps, the idle check and clicks may run: none of
  // FadingIn, Completed, TimeOver, NoMoves, and no dialog or hint open.
  bool Quiet() const;
  // Tries the level again (the quit menu's "Restart Level", the click after
  // time over or no more moves): the player pays for it (TPlayer::Retry),
  // the spell buttons go, the level is set up again, the quit menu and the
  // time-over form close. With one life left nothing happens but the sound.
  void RetryLevel();

  TBoardHost& Game;

  uint8_t ArmedSpell = 0;
  int32_t Bonus = 0;
  std::array<std::array<TBoardTab*, kBoardCols + 1>, kBoardRows + 1> Tabs{};  // [row][col], 1-based
  int32_t LevelNumber = 1;
  uint8_t GameOver = 0;
  uint8_t Modified = 0;
  TLevelOptions Options;
  std::string PackName;
  uint8_t EditorTool = 0;
  double TallyClock = 0;
  int32_t TallyPhase = 0;
  int32_t PaintIcon = 0;
  TSelection* Selection = nullptr;
  // The frame of keyboard and controller play (owned by the sprite engine).
  TBoardCursor* Cursor = nullptr;
  int32_t ElapsedSeconds = 0;
  int32_t SecondTicks = 0;
  int32_t LevelCount = 0;
  int32_t TimeBonusLeft = 0;
  uint8_t Completed = 0, FadingIn = 0, TimeOver = 0, NoMoves = 0, ResultShown = 0, Cleared = 0;
  double ComboTicks = 0.0;
  int32_t ComboMultiplier = 1;
  uint8_t AskConfirm = 1, ConfirmOpen = 0, OptionsOpen = 0;

  // The full-screen picture of the current level ("world3.jpg").
  std::string BackgroundPicture;
  std::string LastError;

 private:
  void KillTiles();
  void ScoreHorizontal(int col, int row, int h);
  void ScoreVertical(int col, int row, int v, bool alsoHorizontal);
  void HitVerticalLineThrough(int col, int row);
  void ReplaceInSetup(int col, int row);
  void BumpCombo();
};
