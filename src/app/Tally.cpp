// The end-of-level tally: after a won level the result form counts the
// seconds left (100 points each) and the mana in the four pots (150 a point)
// into a bonus, one step every second tick with a counting sound, after a
// pause of two seconds before each of the two phases. A click after the
// first second finishes the count at once with the same bonus. The bonus
// then goes to the score and "nlNext" appears.
#include <string>

#include "app/Main.h"
#include "board/Board.h"
#include "engine/gui/GuiForm.h"
#include "layout/PlayForms.h"

namespace {
constexpr TColor kWhite = 0xFFFFFFFF;
constexpr TColor kDoneTop = 0xFD00FEFE;
constexpr TColor kDoneBottom = 0xFD40D0FF;
constexpr int kSecondBonus = 100;
constexpr int kManaBonus = 150;

// The bonus grows up to the largest score and no further, like the score.
int32_t WithBonus(int32_t bonus, int64_t points) {
  const int64_t sum = int64_t{bonus} + points;
  return sum > INT32_MAX ? INT32_MAX : sum < 0 ? 0 : static_cast<int32_t>(sum);
}
}  // namespace

void Tmain::TallyStep() {
  if (!Board_) return;
  TBoard& board = *Board_;
  TPlayer& player = Player();
  TGuiBase& gui = GuiBase1;

  board.TallyClock += 1.0;
  board.TallyPhase += 1;
  if (Click() && ScreenTicks > 120) SkipTally = true;  // a click, or Space, Enter or A
  // The count runs every second tick.
  if (board.TallyPhase == 1) return;
  board.TallyPhase = 0;
  // About two seconds of rest before counting starts, and between the phases.
  if (board.TallyClock <= 240.0) return;

  bool stepped = false;
  if (board.TimeBonusLeft >= 1) {
    // Time phase.
    SetLabelColors(gui, TControlName::nlTime, kWhite, kWhite);
    if (SkipTally) {
      board.Bonus = WithBonus(board.Bonus, int64_t{board.TimeBonusLeft} * kSecondBonus);
      board.TimeBonusLeft = 0;
    } else {
      board.TimeBonusLeft -= 1;
      board.Bonus = WithBonus(board.Bonus, kSecondBonus);
    }
    PlayGameSound("contagem-pontos.ogg");
    if (board.TimeBonusLeft == 0) {
      board.TallyClock = 0.0;
      SetLabelColors(gui, TControlName::nlTime, kDoneTop, kDoneBottom);
      SetLabelColors(gui, TControlName::nlMana, kWhite, kWhite);
    }
    stepped = true;
  } else if (player.ManaTotal() > 0) {
    // Mana phase: the pots empty in the order tree, water, fire, mountain.
    PlayGameSound("contagem-pontos.ogg");
    if (SkipTally) {
      board.Bonus = WithBonus(board.Bonus, int64_t{player.ManaTotal()} * kManaBonus);
      player.ClearMana();
    } else {
      for (int element = 1; element <= 4; ++element) {
        int32_t* pot = player.Mana(element);
        if (*pot > 0) {
          *pot -= 1;
          break;
        }
      }
      board.Bonus = WithBonus(board.Bonus, kManaBonus);
    }
    if (player.ManaTotal() == 0) board.TallyClock = 0.0;
    stepped = true;
  } else if (!ButtonVisible(gui, TControlName::nlNext)) {
    // Hand-over: the bonus goes to the score, rising from the form's top edge.
    SetLabelColors(gui, TControlName::nlMana, kDoneTop, kDoneBottom);
    SetLabelColors(gui, TControlName::nlBonusPoints, kDoneTop, kDoneBottom);
    SetLabelColors(gui, TControlName::nlScore, kWhite, kWhite);
    int left = 0, top = 0;
    if (const TGuiForm* form = FindForm(gui, TControlName::formNextLevel)) {
      const TRect r = form->ScreenRect();
      left = r.Left;
      top = r.Top;
    }
    board.AwardPoints(board.Bonus, static_cast<float>(left + 200), static_cast<float>(top));
    board.Bonus = 0;
    ShowButton(gui, TControlName::nlNext, true);
    // The extra life the bonus may have brought shows at once.
    SetLabelText(gui, TControlName::nlLives, std::to_string(player.Lives));
    stepped = true;
  }
  if (!stepped) return;
  SetLabelText(gui, TControlName::nlBonusPoints, std::to_string(board.Bonus));
  SetLabelText(gui, TControlName::nlTime, SecondsText(board.TimeBonusLeft));
  SetLabelText(gui, TControlName::nlScore, std::to_string(player.Score));
  SetLabelText(gui, TControlName::nlMana, std::to_string(player.ManaTotal()));
}
