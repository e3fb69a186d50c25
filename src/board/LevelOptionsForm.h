// The level editor's options form ("formLevelOptions"): the fields for the
// level time, the most skulls and the background, and the eight check boxes
// of the piece kinds. The form is where the editor keeps the options of the
// level being edited: loading a level shows its options here, and saving
// reads them back from here, so there is no second copy to fall out of step.
#pragma once

#include <cstdint>
#include <string>

#include "board/LevelFile.h"

class TGuiBase;

// The fields accept the ranges of LevelFile.h, the same as the level sources'.

// The text as a 32-bit whole number: optional blanks around an optional sign
// and decimal digits. False for anything else, or a number out of 32 bits.
bool ParseWholeNumber(const std::string& text, int32_t& out);

// The names of the kinds whose boxes the form shows, as the form labels them
// ("Tree, Fire, Shadow, ..."), for messages.
std::string PieceKindNames();

class TLevelOptionsForm {
 public:
  explicit TLevelOptionsForm(TGuiBase& gui) : Gui(gui) {}

  // Writes the options into the fields and the boxes.
  void Show(const TLevelOptions& options) const;
  // The options the form holds; Tested and Reserved are left as `out` has
  // them. False, with a message naming the field and its range, when a field
  // is not a whole number within it, or when the layout lacks the form.
  bool Read(TLevelOptions& out, std::string& error) const;
  // Shows the background number in its field.
  void ShowBackground(int32_t background) const;

 private:
  TGuiBase& Gui;
};
