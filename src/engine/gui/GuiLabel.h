// A label: text on one line or wrapped into lines, aligned left, right,
// centred or justified, and optionally typed out a character at a time.
#pragma once

#include <string>
#include <vector>

#include "engine/gui/GuiControl.h"

enum TGuiAlignment : int { taLeft = 0, taRight = 1, taCenter = 2, taJustify = 3 };

class TGuiLabel : public TGuiControl {
 public:
  TGuiLabel();

  bool WordWrap = false;
  int TextAdjust = 0;
  int Alignment = taLeft;
  int LineSpacing = 0;  // 0: the font's line height
  bool Progressive = false;
  int ShowDelay = 2;

  const std::string& Text() const { return Text_; }
  // Sets the text and starts progressive typing again from no characters.
  void SetText(std::string text);
  // The characters shown now: all of them, or the typed part when Progressive.
  std::string VisibleText() const;
  int ShownChars() const { return Shown_; }

  // One laid-out line: its words, and whether a paragraph ends with it (such a
  // line is not stretched when justified).
  struct Line {
    std::vector<std::string> Words;
    bool ParagraphEnd = false;
  };
  // Cuts the visible text into words at spaces, carriage returns and the
  // character 8; a line feed starts a new line. With WordWrap the words are
  // gathered into lines that fit the label's width less its margins.
  std::vector<Line> Layout() const;

 protected:
  bool ApplyProp(int32_t id, uint8_t type, std::string_view value) override;
  void Tick() override;
  void DrawSelf(const TRect& r) override;

 private:
  std::string Text_;
  int Shown_ = 0;
  int Counter_ = 0;
};
