// The tutorial hints: a bubble ("HelpGUI") that points at a spot of the
// screen with a translucent triangle and explains it, and the chain of the
// five hints of the story campaign: the first match, then the first wooden
// box, iron box, blue and orange force field on the board.
#include <algorithm>
#include <cmath>
#include <string>

#include "app/Main.h"
#include "board/Board.h"
#include "board/Mouse.h"
#include "board/MoveFinder.h"
#include "engine/gui/GuiForm.h"
#include "layout/PlayForms.h"

namespace {

constexpr TColor kPointerColor = 0x8700FBFB;
// The glow on the first hint's swap partner: the pointer's colour, brighter
// towards the cell's middle, breathing once a second.
constexpr TColor kGlowRgb = 0x00FBFB;
constexpr float kCell = 40.0f;

struct TTutorialHint {
  int BoxKind;  // the tab type the hint explains; 0 for the first, shown at once
  const char* Text;
};

// Flags 1..5 of the player's tutorial flags, in the order of the chain.
const TTutorialHint kChain[5] = {
    {0, "Make matches of 3 in a row: click two neighbouring pieces to swap them."},
    {ttWood, "Behind this piece is a wooden box. Make a match over every wooden box to finish the level."},
    {ttFerro, "Behind this piece is an iron box. Make a match over an iron box to turn it into a wooden box."},
    {ttForceField,
     "In front of this piece is a blue force field, which locks the piece in place. Make matches with the "
     "locked piece to break the field: it turns into an iron box."},
    {ttForceField2,
     "In front of this piece is an orange force field, which locks the piece in place. Make matches with the "
     "locked piece to weaken the field: it turns into a blue force field."},
};

// The first explained point of the first hint: the middle of the board's
// lower half, where the first swap is usually made.
constexpr int kFirstHintX = 225, kFirstHintY = 405;

// The neighbour of the piece at a screen point that makes a line with it;
// false when that piece has no such neighbour.
bool SwapPartnerAt(const TBoard& board, int x, int y, TCell& partner) {
  TCell at{};
  if (!CellAtPoint(x, y, at.Col, at.Row)) return false;
  const TBotGrid grid = TBotGrid::FromBoard(board);
  for (const TLineSwap& swap : FindLineSwaps(grid)) {
    if (swap.From.Col == at.Col && swap.From.Row == at.Row) {
      partner = swap.To;
      return true;
    }
    if (swap.To.Col == at.Col && swap.To.Row == at.Row) {
      partner = swap.From;
      return true;
    }
  }
  return false;
}

}  // namespace

void Tmain::ShowHint(int x, int y, const std::string& text) {
  if (HintShown) return;
  HintShown = true;
  TGuiBase& gui = GuiBase1;
  ShowForm(gui, TControlName::HelpGUI, true);
  SetLabelText(gui, TControlName::HelpText, text);
  int left = 0;
  bool placed = true;
  if (x < 200) {
    HintPointerSide = 0;
    left = 200;
  } else if (x < 400) {
    HintPointerSide = 1;
    left = 100;
  } else if (x < 600) {
    HintPointerSide = 2;
    left = 200;
  } else if (x < 800) {
    HintPointerSide = 1;
    left = 300;
  } else {
    placed = false;  // off the right edge: the bubble keeps its side and place
  }
  if (!placed) {
    if (const TGuiForm* form = FindForm(gui, TControlName::HelpGUI)) left = form->Bounds.Left;
  }
  HintX = x;
  HintY = y;
  PlaceForm(gui, TControlName::HelpGUI, left, y - FormHeight(gui, TControlName::HelpGUI) - 30);
}

void Tmain::CloseHint() {
  PlayGameSound("mouse-over-menu.ogg");
  for (uint8_t& flag : Player().TutorialFlags)
    if (flag == 1) flag = 0;
  ShowForm(GuiBase1, TControlName::HelpGUI, false);
  HintShown = false;
  HintSwapCol = HintSwapRow = 0;
  ScreenTicks = 0;
}

void Tmain::TutorialStep() {
  if (DialogOpen || GamePaused || !Board_) return;
  // One bubble at a time: a hint that came up while another is on screen
  // would be marked as shown and never seen.
  if (HintShown) return;
  // A swap under way is never cut short: while the button is held, a piece
  // is picked or two pieces are changing places, a hint due now waits, so a
  // click already on its way reaches the board. Asked only when a hint would
  // open, not on every tick of play.
  auto swapUnderWay = [this] {
    if (aMouse.Pressed(0) || (Mouse_ && Mouse_->HasSelection())) return true;
    for (int r = 1; r <= kBoardRows; ++r) {
      for (int c = 1; c <= kBoardCols; ++c) {
        const TGameSprite* piece = Board_->PieceAt(c, r);
        if (piece && piece->State != PieceState::Idle && !piece->Falling) return true;
      }
    }
    return false;
  };
  TPlayer& player = Player();
  for (int i = 1; i <= 5; ++i) {
    uint8_t& flag = player.TutorialFlags[i];
    if (flag != 2) continue;  // shown or done: the chain goes on to the next
    const TTutorialHint& hint = kChain[i - 1];
    if (hint.BoxKind == 0) {
      if (swapUnderWay()) return;
      flag = 1;
      ShowHint(kFirstHintX, kFirstHintY, hint.Text);
      // The whole swap: the piece the pointer shows and its partner.
      TCell partner{};
      if (HintShown && SwapPartnerAt(*Board_, kFirstHintX, kFirstHintY, partner)) {
        HintSwapCol = partner.Col;
        HintSwapRow = partner.Row;
      }
      return;
    }
    // The first such cell from the bottom row up, each row from the left.
    for (int r = kBoardRows - 1; r >= 1; --r) {
      for (int c = 1; c <= kBoardCols; ++c) {
        const TBoardTab* tab = Board_->TabAt(c, r);
        if (tab && tab->TabType == hint.BoxKind) {
          if (swapUnderWay()) return;
          flag = 1;
          ShowHint(static_cast<int>(std::ceil(tab->X + 15.0)), static_cast<int>(std::ceil(tab->Y + 15.0)), hint.Text);
          return;
        }
      }
    }
    return;  // pending until such a cell is on the board; the chain waits
  }
}

void Tmain::DrawHintSwapGlow() {
  if (HintSwapCol == 0 || !Board_) return;
  const float left = kCell * static_cast<float>(HintSwapCol);
  const float top = kCell * static_cast<float>(HintSwapRow) - 10.0f;
  // Rings from the cell's edge outwards, fainter as they go, over a soft
  // fill; the whole breathes between half and full strength.
  const double phase = static_cast<double>(ScreenTicks % 120) / 120.0;
  const float strength = 0.75f + 0.25f * static_cast<float>(std::sin(phase * 6.283185307179586));
  auto colour = [&](float alpha) {
    const uint32_t a = static_cast<uint32_t>(std::clamp(alpha * strength, 0.0f, 255.0f));
    return static_cast<TColor>((a << 24) | kGlowRgb);
  };
  Canvas.FillRect(left + 4, top + 4, left + kCell - 4, top + kCell - 4, colour(60), kBlendAdditive);
  for (int ring = 0; ring < 5; ++ring) {
    const float out = static_cast<float>(ring) - 1.0f;
    Canvas.FrameQuad(QuadFromRect(left - out, top - out, left + kCell + out, top + kCell + out),
                     Color4(colour(200.0f - 40.0f * static_cast<float>(ring))), kBlendAdditive);
  }
}

void Tmain::DrawHintPointer() {
  DrawHintSwapGlow();
  const TGuiForm* form = FindForm(GuiBase1, TControlName::HelpGUI);
  if (!form) return;
  const TRect r = form->ScreenRect();
  const float bottom = static_cast<float>(r.Bottom);
  float a = 0, b = 0;
  switch (HintPointerSide) {
    case 0:
      a = static_cast<float>(r.Left);
      b = a + 50;
      break;
    case 1: {
      const float middle = static_cast<float>(r.Left + r.Right) / 2.0f;
      a = middle - 25;
      b = middle + 25;
      break;
    }
    default:
      b = static_cast<float>(r.Right);
      a = b - 50;
      break;
  }
  Canvas.FillTriangle(kPointerColor, kBlendAlpha, TPoint2{static_cast<float>(HintX), static_cast<float>(HintY)},
                      TPoint2{a, bottom}, TPoint2{b, bottom});
}
