// The level editor's painting tools: which button selects which tool, whether
// the tool paints every cell the cursor is dragged across or acts once per
// click, and what it does to a cell.
#pragma once

#include <cstdint>
#include <vector>

#include "layout/ControlNames.h"

class TBoard;
class TBoardTab;

// Tool numbers as the board keeps them in EditorTool; 13 is not used.
enum TEditorTool : uint8_t {
  etTab = 0, etWood = 1, etSpawn = 2, etForceField = 3, etForceField2 = 4,
  etRebarba1 = 5, etRebarba8 = 12,
  etFerro = 14,
  etSpriteRed = 15, etSpriteFire = 16, etSpritePearl = 17, etSpriteCristal = 18, etSpriteTree = 19,
  etSpriteBlack = 20, etSpriteBook = 21, etSpriteGota = 22,
  etEraser = 23
};

struct TEditorToolInfo {
  TControlName Button;
  uint8_t Tool;
  bool Drag;      // paints while the button is held; otherwise once per click
  int PieceKind;  // the kind a piece tool puts, -1 for the others
};

// The 23 tools, in the order of the editor bar.
const std::vector<TEditorToolInfo>& EditorTools();
// nullptr for a number that names no tool.
const TEditorToolInfo* FindEditorTool(uint8_t tool);
bool IsDragTool(uint8_t tool);

// Applies the tool to the cell. Painting the tab type a cell already has
// does nothing more (a force field keeps running rather than starting over
// on every tick of a drag).
void PaintCell(TBoard& board, TBoardTab& cell, uint8_t tool);
