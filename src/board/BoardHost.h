// What the board, its tiles, its pieces and the cursor ask of the game object:
// the services every part has, the board and cursor singletons, and the few
// things that lie above the board: the spells and effects that its matches
// set off, the level editor's brush, and the screens a level leads to.
#pragma once

#include <string>

#include "services/GameServices.h"

class TBoard;
class TBoardTab;
class TMouse;
class TSpriteEngine;

class TBoardHost : public TGameServices {
 public:
  using TGameServices::TGameServices;

  // The board and the cursor sprite: created on first use, owned by the
  // sprite engine; their destructors clear the reference.
  virtual TBoard& Board() = 0;
  virtual TBoard* BoardIfAny() const = 0;
  virtual void FreeBoard() = 0;
  virtual TMouse& Mouse() = 0;
  virtual TMouse* MouseIfAny() const = 0;

  // Magic and effects.
  // The four spell buttons over the pots go (a level ends or starts again).
  virtual void FreeSpellButtons() = 0;
  // The armed spell of the element is cast at the cell.
  virtual void CastSpell(int row, int col, int element) = 0;
  // An explosion effect (1..12) centred at (x, y).
  virtual void AddExplosion(int effect, float x, float y) = 0;
  // One mana point of the element flies from (x, y) to its pot.
  virtual void SendManaToPot(int element, double x, double y) = 0;

  // The level editor paints the cell under the cursor (with its tool, when
  // its button is down and no dialog of its own is open).
  virtual void EditorPaintAt(TBoardTab& tab) = 0;

  // Where a level leads.
  // Makes the picture (for example "world3.jpg") the full-screen background.
  virtual void LoadLevelBackground(const std::string& picture) = 0;
  virtual void ShowMap() = 0;
  virtual void ShowEnding() = 0;
  virtual void ShowEndCredits() = 0;
  // The last level of a pack without an ending is won: a message says so,
  // then the end credits roll.
  virtual void ShowPackComplete() = 0;
  // The last life is gone: frees the game objects and shows the game-over screen.
  virtual void GameOverStep() = 0;
  // Leaves the game for the main menu.
  virtual void QuitToMainMenu() = 0;

 protected:
  ~TBoardHost() override = default;
};

// The game object that owns the engine, for the board's sprites (nullptr for
// an engine of its own, as in engine tests).
inline TBoardHost* BoardHostOf(const TSpriteEngine* engine) {
  return engine ? static_cast<TBoardHost*>(engine->Owner) : nullptr;
}
