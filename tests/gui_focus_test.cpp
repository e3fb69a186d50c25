// The keys' focus over a form's buttons: which form takes the keys, the
// order Tab goes and where the arrows go, the default and cancel buttons,
// and that a pressed focus works the control as a click would.
#include <gtest/gtest.h>

#include <string>

#include "engine/gui/GuiBase.h"
#include "engine/gui/GuiButton.h"
#include "engine/gui/GuiCheckBox.h"
#include "engine/gui/GuiFocus.h"
#include "engine/gui/GuiForm.h"
#include "engine/gui/GuiListBox.h"

namespace {

template <class T>
T* Add(TGuiControl& parent, TGuiKind kind, const std::string& name, int l, int t, int w, int h) {
  auto* c = static_cast<T*>(TGuiBase::AddControl(parent, kind));
  c->Name = name;
  c->SetBounds(l, t, w, h);
  return c;
}

// A form laid out as the options are: a check box on top, two buttons side
// by side, and "Back" centred below them.
struct Options {
  TGuiBase Gui;
  TGuiForm* Form;
  TGuiCheckBox* Box;
  TGuiButton *Left, *Right, *Back;
  std::string Clicked;
  Options() {
    Form = Add<TGuiForm>(Gui.Root(), TGuiKind::Form, "Opts", 100, 100, 300, 200);
    // Added out of place order: the focus goes by place, not by order.
    Back = Add<TGuiButton>(*Form, TGuiKind::Button, "Back", 87, 150, 126, 30);
    Box = Add<TGuiCheckBox>(*Form, TGuiKind::CheckBox, "Box", 32, 40, 200, 20);
    Left = Add<TGuiButton>(*Form, TGuiKind::Button, "Left", 20, 100, 126, 30);
    Right = Add<TGuiButton>(*Form, TGuiKind::Button, "Right", 154, 100, 126, 30);
    for (TGuiButton* b : {Left, Right, Back}) b->OnClick = [this](TGuiControl& c) { Clicked += c.Name + ";"; };
    Gui.Focus.FormButtons = [](const std::string& form, std::string& def, std::string& cancel) {
      if (form == "Opts") def = cancel = "Back";
    };
  }
  std::string Focused() {
    TGuiControl* c = Gui.Focus.Focused(Gui.Root());
    return c ? c->Name : "";
  }
};

TEST(GuiFocus, TabAndArrowsGoByPlaceStartingOnTheDefaultButton) {
  Options o;
  TGuiTaskbar& root = o.Gui.Root();
  EXPECT_EQ(TGuiFocus::FrontForm(root), o.Form);
  EXPECT_EQ(o.Focused(), "Back");
  EXPECT_FALSE(o.Gui.Focus.Shown());
  // The first key only shows where the focus is.
  EXPECT_TRUE(o.Gui.Focus.Next(root, false));
  EXPECT_TRUE(o.Gui.Focus.Shown());
  EXPECT_EQ(o.Focused(), "Back");
  // Tab goes top to bottom, left to right, and round; Shift+Tab back.
  o.Gui.Focus.Next(root, false);
  EXPECT_EQ(o.Focused(), "Box");
  o.Gui.Focus.Next(root, false);
  EXPECT_EQ(o.Focused(), "Left");
  o.Gui.Focus.Next(root, true);
  EXPECT_EQ(o.Focused(), "Box");
  // Arrows: down from the box to the nearer button below, right across,
  // down to "Back", and up from the top wraps to the bottom.
  o.Gui.Focus.Move(root, 0, 1);
  EXPECT_EQ(o.Focused(), "Left");
  o.Gui.Focus.Move(root, 1, 0);
  EXPECT_EQ(o.Focused(), "Right");
  o.Gui.Focus.Move(root, 1, 0);
  EXPECT_EQ(o.Focused(), "Right") << "nothing further right";
  o.Gui.Focus.Move(root, 0, 1);
  EXPECT_EQ(o.Focused(), "Back");
  o.Gui.Focus.Move(root, 0, -1);
  o.Gui.Focus.Move(root, 0, -1);
  EXPECT_EQ(o.Focused(), "Box");
  o.Gui.Focus.Move(root, 0, -1);
  EXPECT_EQ(o.Focused(), "Back") << "up from the top wraps round";
  // A moving mouse hides the focus (a mouse event at the same place does not).
  o.Gui.MouseMove(5, 5);
  o.Gui.MouseMove(5, 5);
  EXPECT_FALSE(o.Gui.Focus.Shown());
  o.Gui.Focus.Next(root, false);
  EXPECT_TRUE(o.Gui.Focus.Shown());
  o.Gui.MouseMove(6, 5);
  EXPECT_FALSE(o.Gui.Focus.Shown());
}

TEST(GuiFocus, PressWorksTheFocusOrTheDefaultAndCancelItsButton) {
  Options o;
  TGuiTaskbar& root = o.Gui.Root();
  // Before the focus has moved, a press works the default button.
  EXPECT_TRUE(o.Gui.Focus.Press(root));
  EXPECT_EQ(o.Clicked, "Back;");
  o.Gui.Focus.Next(root, false);
  o.Gui.Focus.Next(root, false);  // the check box
  EXPECT_TRUE(o.Gui.Focus.Press(root));
  EXPECT_TRUE(o.Box->Checked());
  o.Gui.Focus.Press(root);
  EXPECT_FALSE(o.Box->Checked());
  o.Gui.Focus.Move(root, 0, 1);
  o.Gui.Focus.Move(root, 1, 0);
  o.Gui.Focus.Press(root);
  EXPECT_EQ(o.Clicked, "Back;Right;");
  EXPECT_TRUE(o.Gui.Focus.Cancel(root));
  EXPECT_EQ(o.Clicked, "Back;Right;Back;");
  EXPECT_FALSE(o.Right->Down()) << "the press is let go again";

  // Disabled and hidden controls are passed over; a focused one that goes
  // leaves the focus on the form's first.
  o.Back->SetEnabled(false);
  EXPECT_FALSE(o.Gui.Focus.Cancel(root)) << "a disabled cancel button is not pressed";
  o.Right->SetVisible(false);
  EXPECT_EQ(o.Focused(), "Box");
  // A form without anything to press takes no keys; another form in front
  // with buttons does.
  o.Box->SetVisible(false);
  o.Left->SetVisible(false);
  EXPECT_EQ(TGuiFocus::FrontForm(root), nullptr);
  EXPECT_FALSE(o.Gui.Focus.Press(root));
  EXPECT_FALSE(o.Gui.Focus.Next(root, false));
  auto* front = Add<TGuiForm>(root, TGuiKind::Form, "Front", 0, 0, 100, 100);
  auto* ok = Add<TGuiButton>(*front, TGuiKind::Button, "Ok", 10, 10, 50, 20);
  front->BringToFront();
  EXPECT_EQ(TGuiFocus::FrontForm(root), front);
  EXPECT_EQ(o.Gui.Focus.Focused(root), ok);
  EXPECT_FALSE(o.Gui.Focus.Cancel(root)) << "it names no cancel button";
}

TEST(GuiFocus, UpAndDownChooseAListsLinesAndAPressThereWorksTheDefault) {
  TGuiBase gui;
  auto* form = Add<TGuiForm>(gui.Root(), TGuiKind::Form, "Packs", 100, 100, 320, 300);
  auto* list = Add<TGuiListBox>(*form, TGuiKind::ListBox, "List", 16, 42, 288, 200);
  auto* play = Add<TGuiButton>(*form, TGuiKind::Button, "Play", 24, 254, 126, 30);
  Add<TGuiButton>(*form, TGuiKind::Button, "Cancel", 170, 254, 126, 30);
  std::string clicked;
  int changes = 0;
  play->OnClick = [&](TGuiControl&) { clicked += "Play;"; };
  list->OnChange = [&](TGuiControl&) { ++changes; };
  gui.Focus.FormButtons = [](const std::string&, std::string& def, std::string& cancel) {
    def = "Play";
    cancel = "Cancel";
  };
  TGuiTaskbar& root = gui.Root();
  // An empty list takes no focus.
  list->Clear();
  gui.Focus.Next(root, false);
  gui.Focus.Move(root, 0, -1);
  EXPECT_EQ(gui.Focus.Focused(root)->Name, "Cancel") << "up from Play wraps round: the empty list takes no focus";
  list->SetItems({"Game Levels", "Winter", "Mine"});
  list->SetItemIndex(0);
  gui.Focus.Move(root, -1, 0);
  gui.Focus.Move(root, 0, -1);
  EXPECT_EQ(gui.Focus.Focused(root), list);
  gui.Focus.Move(root, 0, 1);
  gui.Focus.Move(root, 0, 1);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(changes, 2);
  gui.Focus.Move(root, 0, 1);  // past the last line: down to the buttons
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(gui.Focus.Focused(root), play);
  gui.Focus.Move(root, 0, -1);
  gui.Focus.Move(root, 0, -1);
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_TRUE(gui.Focus.Press(root));
  EXPECT_EQ(clicked, "Play;");
  EXPECT_EQ(list->ItemIndex(), 1) << "the press did not click a line of the list";
}

}  // namespace
