// The cursor sprite and the hover marker. The cursor follows the system
// cursor, runs the engine's collision pass every tick, and turns presses of
// the left button over board cells into selections and swaps. The marker sits
// on the cell under the cursor and previews an armed spell's area.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/sprites/Sprite.h"

class TBoardHost;
class TBoardTab;
class TXParticleSystem;

class TMouse : public TAnimSprite {
 public:
  explicit TMouse(TBoardHost& game);
  ~TMouse() override;

  void Move(float step) override;
  void Draw() override;
  void OnCollision(TSprite& other) override;

  void Select(TBoardTab& cell);
  void Deselect();
  bool HasSelection() const { return SelCol > 0 && SelRow > 0; }
  // Exchanges the selected cell with the given one; the piece that came from
  // the given cell checks for a line when it arrives.
  void CommitSwap(TBoardTab& cell);
  // Swaps the selected piece with the one in the cell when it is an
  // orthogonal neighbour and both are at rest (the selection then goes);
  // false when the swap is refused. Clicks and the board cursor both swap so.
  bool SwapWith(TBoardTab& cell);

  TBoardHost& Game;
  int32_t SelCol = 0, SelRow = 0;
  uint8_t FreshPress = 0;
  int32_t AwayTicks = 0;
  // The armed spell's particle trail, following the cursor.
  std::unique_ptr<TXParticleSystem> MagicTrail;
  // The press that armed a spell is still held: it does not cast it.
  bool ArmingPress = false;

 private:
  bool WasHeld_ = false;  // the left button at the previous tick
  bool GuiPress_ = false;  // the button is held by a press a form's control took
  int GuiPressesSeen_ = 0;  // the GUI's count of taken presses at the previous tick
};

class TSelection : public TAnimSprite {
 public:
  explicit TSelection(TSpriteEngine* engine);
  void Draw() override;
};
