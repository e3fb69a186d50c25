#include "editor/EditorTools.h"

#include "board/Board.h"
#include "board/BoardTab.h"
#include "board/GameSprite.h"

const std::vector<TEditorToolInfo>& EditorTools() {
  using N = TControlName;
  static const std::vector<TEditorToolInfo> tools = {
      {N::btnTab, etTab, true, -1},
      {N::btnWood, etWood, true, -1},
      {N::btnSpawn, etSpawn, false, -1},
      {N::btnForceField, etForceField, true, -1},
      {N::btnForceField2, etForceField2, true, -1},
      {N::btnRebarba1, 5, false, -1},
      {N::btnRebarba2, 6, false, -1},
      {N::btnRebarba3, 7, false, -1},
      {N::btnRebarba4, 8, false, -1},
      {N::btnRebarba5, 9, false, -1},
      {N::btnRebarba6, 10, false, -1},
      {N::btnRebarba7, 11, false, -1},
      {N::btnRebarba8, 12, false, -1},
      {N::btnFerro, etFerro, true, -1},
      {N::btnSpriteRed, etSpriteRed, false, pkMontanha},
      {N::btnSpriteFire, etSpriteFire, false, pkFire},
      {N::btnSpritePearl, etSpritePearl, false, pkPearl},
      {N::btnSpriteCristal, etSpriteCristal, false, pkCristal},
      {N::btnSpriteTree, etSpriteTree, false, pkTree},
      {N::btnSpriteBlack, etSpriteBlack, false, pkBlack},
      {N::btnSpriteBook, etSpriteBook, false, pkBook},
      {N::btnSpriteGota, etSpriteGota, false, pkGota},
      {N::btnEraser, etEraser, true, -1},
  };
  return tools;
}

const TEditorToolInfo* FindEditorTool(uint8_t tool) {
  for (const TEditorToolInfo& t : EditorTools())
    if (t.Tool == tool) return &t;
  return nullptr;
}

bool IsDragTool(uint8_t tool) {
  const TEditorToolInfo* t = FindEditorTool(tool);
  return t && t->Drag;
}

void PaintCell(TBoard& board, TBoardTab& cell, uint8_t tool) {
  const TEditorToolInfo* info = FindEditorTool(tool);
  if (!info) return;
  // Plain cells, wood and iron take the piece away; fields and edge pieces
  // keep it.
  auto box = [&](int type, bool killsPiece) {
    if (killsPiece) cell.KillPiece();
    if (cell.TabType != type) cell.SetType(type);
  };
  switch (tool) {
    case etTab: box(ttTab, true); return;
    case etWood: box(ttWood, true); return;
    case etFerro: box(ttFerro, true); return;
    case etForceField: box(ttForceField, false); return;
    case etForceField2: box(ttForceField2, false); return;
    case etSpawn:
      if (cell.TabType != ttNone) cell.ToggleSpawn();
      return;
    case etEraser:
      cell.KillPiece();
      cell.SetType(ttNone);
      cell.Spawn = 0;
      return;
    default:
      break;
  }
  if (tool >= etRebarba1 && tool <= etRebarba8) {
    box(ttRebarba1 + (tool - etRebarba1), false);
    return;
  }
  if (info->PieceKind >= 0) {
    // A piece on a cell that is no cell makes it a plain one.
    if (cell.TabType == ttNone) cell.TabType = ttTab;
    board.PutPiece(cell.Col, cell.Row, info->PieceKind);
  }
}
