#include "editor/ToolTips.h"

#include <algorithm>

#include "engine/gui/GuiBase.h"
#include "engine/gui/GuiButton.h"
#include "engine/render/Canvas.h"
#include "engine/render/Fonts.h"

namespace {

using N = TControlName;

struct TTip {
  N Button;
  const char* Text;
};

// The bar's icon buttons, in the order they stand.
const TTip kTips[] = {
    {N::btnTab, "Plain cell"},
    {N::btnWood, "Wooden box"},
    {N::btnSpawn, "Spawn point (new pieces fall from it)"},
    {N::btnForceField, "Blue force field"},
    {N::btnForceField2, "Orange force field"},
    {N::btnRebarba1, "Edge piece: top-left corner"},
    {N::btnRebarba2, "Edge piece: top side"},
    {N::btnRebarba3, "Edge piece: top-right corner"},
    {N::btnRebarba4, "Edge piece: right side"},
    {N::btnRebarba5, "Edge piece: bottom-right corner"},
    {N::btnRebarba6, "Edge piece: bottom side"},
    {N::btnRebarba7, "Edge piece: bottom-left corner"},
    {N::btnRebarba8, "Edge piece: left side"},
    {N::btnFerro, "Iron box"},
    {N::btnSpriteRed, "Mountain piece"},
    {N::btnSpriteFire, "Fire piece"},
    {N::btnSpritePearl, "Pearl piece"},
    {N::btnSpriteCristal, "Crystal piece"},
    {N::btnSpriteTree, "Tree piece"},
    {N::btnSpriteBlack, "Black piece"},
    {N::btnSpriteBook, "Book piece"},
    {N::btnSpriteGota, "Water piece"},
    {N::btnEraser, "Eraser (removes cells)"},
    {N::gpPrior, "Previous level"},
    {N::gpNext, "Next level"},
    {N::gpInsert, "Add a level at the end"},
    {N::gpSave, "Save the level"},
    {N::gpCancel, "Drop the changes"},
    {N::gpClean, "Clean the level"},
    {N::gpFill, "Fill the level"},
    {N::gpOptions, "Level options"},
    {N::btnTestar, "Test play"},
    {N::gpExit, "Leave the editor"},
};

// The button of the tips under (x, y), shown with every control around it.
int ButtonAt(TGuiBase& gui, int x, int y) {
  for (const TTip& tip : kTips) {
    const TGuiButton* b = FindButton(gui, tip.Button);
    bool shown = b != nullptr;
    for (const TGuiControl* c = b; shown && c; c = c->Parent()) shown = c->Visible();
    if (!shown) continue;
    const TRect r = b->ScreenRect();
    if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return static_cast<int>(tip.Button);
  }
  return -1;
}

}  // namespace

std::string TToolTips::TextOf(TControlName button) {
  for (const TTip& tip : kTips)
    if (tip.Button == button) return tip.Text;
  return {};
}

void TToolTips::Track(TGuiBase& gui, int x, int y, int64_t tick, bool held) {
  const int over = ButtonAt(gui, x, y);
  if (over != Over_ || held || tick < Since_) {
    Over_ = over;
    Since_ = tick;
    Shown_.clear();
  }
  if (Over_ < 0 || !Shown_.empty() || tick - Since_ < kRestTicks) return;
  Shown_ = TextOf(static_cast<TControlName>(Over_));
  X_ = x;
  Y_ = y;
}

void TToolTips::Hide() {
  Over_ = -1;
  Shown_.clear();
}

void TToolTips::Draw(TCanopyCanvas& canvas, TCanopyFont* font) const {
  if (Shown_.empty() || !font) return;
  font->Scale = 1.0;
  const float w = static_cast<float>(font->TextWidth(Shown_)), h = static_cast<float>(font->TextHeight(Shown_));
  // Above and right of the cursor, kept on the screen.
  const float left = std::clamp(static_cast<float>(X_) + 10.0f, 2.0f, 798.0f - w - 12.0f);
  const float top = std::max(2.0f, static_cast<float>(Y_) - h - 22.0f);
  canvas.FillRect(left - 1, top - 1, left + w + 13, top + h + 9, 0xFF5CB2D9, kBlendAlpha);
  canvas.FillRect(left, top, left + w + 12, top + h + 8, 0xF6CBEBF6, kBlendAlpha);
  font->TextOut(Shown_, 0xFF0A1A2E, left + 6, top + 4);
}
