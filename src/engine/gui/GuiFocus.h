// Keyboard and controller focus over the front form's buttons: Tab and the
// arrow keys move it among the visible, enabled buttons, check boxes and
// lists, and a press works the focused one as a click would (up and down
// choose a list's lines, and a press there works the default button). The focus is drawn as a
// frame once a key has moved it, and hides when the mouse moves. A form may
// name its default button (the first focus, and what Enter presses before the
// focus has been moved) and its cancel button (what Escape presses); the game
// gives those names (layout/FormKeys).
#pragma once

#include <functional>
#include <string>
#include <vector>

class TGuiControl;
class TGuiTaskbar;
class TCanopyCanvas;

class TGuiFocus {
 public:
  // The names of a form's default and cancel buttons ("" for none).
  using TFormButtons = std::function<void(const std::string& form, std::string& defaultButton,
                                          std::string& cancelButton)>;
  TFormButtons FormButtons;

  // The front form: the topmost visible form that holds a visible, enabled
  // button or check box; nullptr when there is none.
  static TGuiControl* FrontForm(TGuiTaskbar& root);
  // Its buttons, check boxes and lists that can be worked, by place.
  static std::vector<TGuiControl*> Choices(TGuiControl& form);

  // Tab (back: Shift+Tab) steps through the choices in order; an arrow goes
  // to the nearest choice that way. False when no form takes keys.
  bool Next(TGuiTaskbar& root, bool back);
  bool Move(TGuiTaskbar& root, int dx, int dy);
  // Works the focused choice; before the focus has been moved, the default
  // button. False when there was nothing to press.
  bool Press(TGuiTaskbar& root);
  // Works the front form's cancel button; false when it has none.
  bool Cancel(TGuiTaskbar& root);
  // The focused control of the front form (nullptr when none).
  TGuiControl* Focused(TGuiTaskbar& root);
  bool Shown() const { return Shown_; }
  void Hide() { Shown_ = false; }

  // The frame around the focused choice, while shown.
  void Draw(TGuiTaskbar& root, TCanopyCanvas& canvas);

  // Works a control as a click on its middle would.
  static void Click(TGuiControl& control);

 private:
  // The focus of this form, put on its first choice (or its default button)
  // when it has none yet.
  TGuiControl* Current(TGuiControl& form);
  void FormNames(TGuiControl& form, std::string& defaultButton, std::string& cancelButton) const;
  std::string Form_;     // the form the focus belongs to
  std::string Control_;  // the focused control's name in it
  bool Shown_ = false;
  int Ticks_ = 0;
};
