// The one GUI of the main window: it owns the root of the control tree, loads
// the layout file into it, takes the window's mouse and keyboard input before
// the game's own handlers, updates the controls every tick and draws them
// every frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/gui/GuiControl.h"
#include "engine/gui/GuiFocus.h"
#include "engine/gui/GuiTaskbar.h"
#include "engine/render/Device.h"

struct TGuiLayoutControl;

class TGuiBase : public TCanopySubscriber {
  // What the controls draw with; the public names below refer into it.
  TGuiContext Context_;

 public:
  TGuiBase();
  ~TGuiBase() override;

  TCanopyCanvas*& Canvas = Context_.Canvas;
  TCanopyImages*& Images = Context_.Images;
  TCanopyFonts*& Fonts = Context_.Fonts;
  // Text for Ctrl+V in edit fields, already in the game's 8-bit code page.
  std::function<std::string()>& ClipboardText = Context_.ClipboardText;

  bool HandleNotice(int code) override;

  TGuiTaskbar& Root() { return *Root_; }

  // Reads the layout file into the root, after any controls already there.
  // With an image list that holds images, the controls' image keys are looked
  // up in it (see GuiImageKeyProperty); without one, the image properties keep
  // the positions the layout was compiled with. False when the file cannot be opened or read,
  // or names an image the list lacks; then nothing is added.
  bool LoadLayout(const std::string& path);
  bool LoadLayoutData(const uint8_t* data, size_t size);
  // Builds controls from layout records as children of parent.
  void Build(TGuiControl& parent, const std::vector<TGuiLayoutControl>& controls);
  std::string LastError() const { return LastError_; }

  // Depth-first from the root, ignoring case; nullptr when absent.
  TGuiControl* FindControl(std::string_view name);

  // The per-tick step of every control (label typing, caret blink).
  void Update();
  // Draws the whole tree over a screen of width x height.
  void Draw(int width = 800, int height = 600);

  // Window input. Mouse buttons: 0 left, 1 right, 2 middle; coordinates in
  // game pixels. Keys: virtual-key codes; KeyPress takes an 8-bit character.
  // Each returns true when the GUI took the event; the game's own handler
  // should then leave it alone. Releasing the left button also sends a click.
  bool MouseDown(int button, int x, int y, TShiftState shift = 0);
  bool MouseUp(int button, int x, int y, TShiftState shift = 0);
  bool MouseMove(int x, int y, TShiftState shift = 0);
  bool Click();
  bool DblClick();
  bool KeyDown(int key, TShiftState shift = 0);
  bool KeyUp(int key, TShiftState shift = 0);
  bool KeyPress(char c, TShiftState shift = 0);
  // How many left-button presses a control has taken so far. The game's own
  // mouse handling compares it from tick to tick to leave alone a press that
  // belongs to a form, even after the form has closed on its release.
  int LeftPressesTaken() const { return LeftPressesTaken_; }

  // The keyboard and controller focus over the front form (drawn by Draw;
  // a mouse that moves hides it).
  TGuiFocus Focus;

  // A new control of a loadable kind (nullptr for the root or scroll bar kinds).
  static std::unique_ptr<TGuiControl> CreateControl(TGuiKind kind);
  // Adds a new control as the last child of parent (an edit takes the next
  // TabOrder among its siblings).
  static TGuiControl* AddControl(TGuiControl& parent, TGuiKind kind);

 private:
  TShiftState Shift(TShiftState given) const;
  bool HasImages() const;
  std::unique_ptr<TGuiTaskbar> Root_;
  std::string LastError_;
  TShiftState HeldKeys_ = 0;
  TShiftState HeldButtons_ = 0;
  int LeftPressesTaken_ = 0;
  int LastX_ = -1, LastY_ = -1;
};
