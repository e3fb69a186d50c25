// The GUI framework without a screen: dispatch, focus, capture, drawing order
// and the behaviour of each control kind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/gui/GuiBase.h"
#include "engine/gui/GuiButton.h"
#include "engine/gui/GuiCheckBox.h"
#include "engine/gui/GuiEdit.h"
#include "engine/gui/GuiForm.h"
#include "engine/gui/GuiGauge.h"
#include "engine/gui/GuiLabel.h"
#include "engine/gui/GuiListBox.h"
#include "support/RenderFixtures.h"

namespace {

template <class T>
T* Add(TGuiControl& parent, TGuiKind kind, const std::string& name, int l, int t, int w, int h) {
  auto* c = static_cast<T*>(TGuiBase::AddControl(parent, kind));
  c->Name = name;
  c->SetBounds(l, t, w, h);
  return c;
}

TGuiForm* AddForm(TGuiBase& gui, const std::string& name, int l, int t, int w, int h) {
  return Add<TGuiForm>(gui.Root(), TGuiKind::Form, name, l, t, w, h);
}

// Presses and releases the left button, as the window reports it.
void ClickAt(TGuiBase& gui, int x, int y) {
  gui.MouseMove(x, y);
  gui.MouseDown(mbLeft, x, y);
  gui.MouseUp(mbLeft, x, y);
}

}  // namespace

TEST(GuiTree, FindControlIgnoresCaseAndSearchesDepthFirst) {
  TGuiBase gui;
  TGuiForm* a = AddForm(gui, "formA", 0, 0, 100, 100);
  Add<TGuiButton>(*a, TGuiKind::Button, "shared", 0, 0, 10, 10);
  TGuiForm* next = AddForm(gui, "formNextLevel", 0, 0, 100, 100);
  auto* label = Add<TGuiLabel>(*next, TGuiKind::Label, "nlTime", 0, 0, 10, 10);
  Add<TGuiLabel>(*next, TGuiKind::Label, "shared", 0, 0, 10, 10);

  EXPECT_EQ(gui.FindControl("FORMNEXTLEVEL"), next);
  EXPECT_EQ(gui.FindControl("NLTIME"), label);
  // The first form's subtree is searched before the second form.
  EXPECT_EQ(gui.FindControl("shared")->Parent(), a);
  EXPECT_EQ(gui.FindControl("missing"), nullptr);
  EXPECT_EQ(gui.FindControl(""), nullptr);
}

TEST(GuiTree, BoundsVisibilityAndEnabledSteps) {
  TGuiBase gui;
  TGuiForm* f = AddForm(gui, "f", 10, 20, 300, 200);
  f->SetBound(0, 50);  // Left keeps the width
  EXPECT_EQ(f->GetSize(2), 300);
  EXPECT_EQ(f->Bounds.Right, 350);
  f->SetBound(1, 60);
  EXPECT_EQ(f->GetSize(3), 200);
  f->SetBound(2, 120);
  EXPECT_EQ(f->Bounds.Right, 170);

  std::vector<std::string> events;
  f->OnShow = [&](TGuiComponent&) { events.push_back("show"); };
  f->OnHide = [&](TGuiComponent&) { events.push_back("hide"); };
  f->SetVisible(true);  // already visible: nothing
  f->SetVisible(false);
  f->SetVisible(false);
  f->SetVisible(true);
  EXPECT_EQ(events, (std::vector<std::string>{"hide", "show"}));

  auto* b = Add<TGuiButton>(*f, TGuiKind::Button, "b", 0, 0, 40, 20);
  gui.MouseDown(mbLeft, 55, 65);
  EXPECT_TRUE(b->Down());
  b->SetEnabled(false);  // disabling drops the pressed state
  EXPECT_FALSE(b->Down());
}

TEST(GuiTree, DefaultsWhenTheLayoutOmitsThem) {
  TGuiBase gui;
  auto size = [&](TGuiKind kind) {
    TGuiControl* c = TGuiBase::AddControl(gui.Root(), kind);
    return std::make_pair(c->Width(), c->Height());
  };
  EXPECT_EQ(size(TGuiKind::Form), std::make_pair(300, 200));
  EXPECT_EQ(size(TGuiKind::Button), std::make_pair(90, 24));
  EXPECT_EQ(size(TGuiKind::CheckBox), std::make_pair(100, 15));
  EXPECT_EQ(size(TGuiKind::RadioButton), std::make_pair(120, 15));
  EXPECT_EQ(size(TGuiKind::ListBox), std::make_pair(200, 150));
  EXPECT_EQ(size(TGuiKind::Label), std::make_pair(100, 20));
  EXPECT_EQ(size(TGuiKind::Edit), std::make_pair(100, 20));
  EXPECT_EQ(size(TGuiKind::Gauge), std::make_pair(120, 20));
  EXPECT_EQ(size(TGuiKind::Paint), std::make_pair(120, 120));

  TGuiForm form;
  EXPECT_EQ(form.CaptSize, 20);
  EXPECT_EQ(form.ShadowSize, 4);
  EXPECT_EQ(form.IconIndex, -1);
  EXPECT_EQ(form.IconWidth, 12);
  TGuiButton button;
  EXPECT_EQ(button.Caption, "Button1");
  EXPECT_EQ(button.GlyphWidth, 18);
  EXPECT_EQ(button.GlyphSpacer, 4);
  TGuiListBox list;
  EXPECT_EQ(list.Items(), (std::vector<std::string>{"Item 1", "Item 2", "Item 3"}));
  EXPECT_EQ(list.ItemSize, 18);
  EXPECT_EQ(list.ItemIndex(), -1);
  TGuiLabel label;
  EXPECT_EQ(label.Text(), "");
  EXPECT_EQ(label.ShowDelay, 2);
  TGuiEdit edit;
  EXPECT_EQ(edit.Text(), "Some text");
  EXPECT_EQ(edit.BlinkTicks, 8);
  TGuiGauge gauge;
  EXPECT_EQ(gauge.Theta, 50);
  EXPECT_EQ(gauge.MaxValue, 100);
  EXPECT_EQ(gauge.Caption, "Gauge");
  EXPECT_EQ(form.DrawFx, 1);
  EXPECT_EQ(form.Tag, "0");
}

TEST(GuiDispatch, OverlappingFormsDrawAndClickByIndex) {
  TGuiBase gui;
  TGuiForm* a = AddForm(gui, "a", 100, 100, 200, 200);
  TGuiForm* b = AddForm(gui, "b", 200, 150, 200, 200);
  std::vector<std::string> drawn;
  auto* pa = Add<TGuiPaint>(*a, TGuiKind::Paint, "pa", 0, 0, 200, 200);
  auto* pb = Add<TGuiPaint>(*b, TGuiKind::Paint, "pb", 0, 0, 200, 200);
  pa->OnPaint = [&](TGuiPaint&, const TRect&) { drawn.push_back("a"); };
  pb->OnPaint = [&](TGuiPaint&, const TRect&) { drawn.push_back("b"); };

  gui.Draw();
  EXPECT_EQ(drawn, (std::vector<std::string>{"b", "a"}));  // index 0 last, on top

  // In the overlap the form at index 0 takes the press.
  EXPECT_EQ(gui.Root().FindTarget(250, 200), pa);
  // A press on the visible part of the other brings it to the front.
  gui.MouseDown(mbLeft, 350, 320);
  gui.MouseUp(mbLeft, 350, 320);
  EXPECT_EQ(gui.Root().IndexOf(b), 0);
  EXPECT_EQ(gui.Root().IndexOf(a), 1);
  EXPECT_TRUE(pb->Focused());
  drawn.clear();
  gui.Draw();
  EXPECT_EQ(drawn, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(gui.Root().FindTarget(250, 200), pb);
}

TEST(GuiDispatch, AFormThatOpensComesToTheFrontWithTheKeyboard) {
  TGuiBase gui;
  TGuiForm* a = AddForm(gui, "a", 0, 0, 200, 200);
  TGuiForm* b = AddForm(gui, "b", 0, 0, 200, 200);
  auto* e = Add<TGuiEdit>(*b, TGuiKind::Edit, "e", 10, 10, 100, 20);
  b->SetVisible(false);
  EXPECT_EQ(gui.Root().IndexOf(a), 0);
  b->SetVisible(true);
  EXPECT_EQ(gui.Root().IndexOf(b), 0);
  EXPECT_TRUE(e->Focused());
  EXPECT_TRUE(gui.KeyPress('z'));
  EXPECT_EQ(e->Text(), "Some textz");
}

TEST(GuiDispatch, HiddenAndClippedControlsAreSkipped) {
  TGuiBase gui;
  TGuiForm* f = AddForm(gui, "f", 0, 0, 100, 100);
  int painted = 0;
  auto* inside = Add<TGuiPaint>(*f, TGuiKind::Paint, "in", 10, 10, 50, 50);
  auto* outside = Add<TGuiPaint>(*f, TGuiKind::Paint, "out", 150, 10, 50, 50);  // beyond its form
  inside->OnPaint = [&](TGuiPaint&, const TRect&) { painted |= 1; };
  outside->OnPaint = [&](TGuiPaint&, const TRect&) { painted |= 2; };
  gui.Draw();
  EXPECT_EQ(painted, 1);
  EXPECT_EQ(gui.Root().FindTarget(160, 20), nullptr);  // not clickable either
  EXPECT_FALSE(gui.MouseDown(mbLeft, 160, 20));        // the game gets it

  painted = 0;
  f->SetVisible(false);
  gui.Draw();
  EXPECT_EQ(painted, 0);
  EXPECT_EQ(gui.Root().FindTarget(20, 20), nullptr);
}

TEST(GuiDispatch, ClickReleasedOutsideReachesTheCapturedButtonWithoutOnClick) {
  TGuiBase gui;
  TGuiForm* f = AddForm(gui, "f", 0, 0, 400, 300);
  auto* b = Add<TGuiButton>(*f, TGuiKind::Button, "b", 50, 50, 90, 24);
  auto* other = Add<TGuiButton>(*f, TGuiKind::Button, "other", 200, 50, 90, 24);
  int clicks = 0, otherClicks = 0;
  std::vector<TGuiMouseEvent> seen;
  b->OnClick = [&](TGuiControl&) { ++clicks; };
  other->OnClick = [&](TGuiControl&) { ++otherClicks; };
  b->OnMouse = [&](TGuiControl&, TGuiMouseEvent e, int, TShiftState, int, int) { seen.push_back(e); };

  EXPECT_TRUE(gui.MouseDown(mbLeft, 60, 60));
  EXPECT_TRUE(b->Pressed());
  EXPECT_EQ(gui.Root().Captured(), b);
  gui.MouseMove(210, 60);
  EXPECT_FALSE(b->Pressed());  // still down, but drawn raised outside
  EXPECT_TRUE(b->Down());
  gui.MouseUp(mbLeft, 210, 60);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(otherClicks, 0);
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(gui.Root().Captured(), nullptr);
  ASSERT_FALSE(seen.empty());
  EXPECT_NE(std::find(seen.begin(), seen.end(), TGuiMouseEvent::Click), seen.end());
  EXPECT_NE(std::find(seen.begin(), seen.end(), TGuiMouseEvent::Up), seen.end());

  ClickAt(gui, 70, 60);
  EXPECT_EQ(clicks, 1);
  b->SetEnabled(false);
  ClickAt(gui, 70, 60);
  EXPECT_EQ(clicks, 1);
}

TEST(GuiDispatch, HoverEntersAndLeavesOnlyWithNoButtonHeld) {
  TGuiBase gui;
  TGuiForm* f = AddForm(gui, "f", 0, 0, 400, 300);
  auto* b = Add<TGuiButton>(*f, TGuiKind::Button, "b", 50, 50, 90, 24);
  int enters = 0, leaves = 0;
  b->OnMouseEnter = [&](TGuiControl&) { ++enters; };
  b->OnMouseLeave = [&](TGuiControl&) { ++leaves; };
  gui.MouseMove(60, 60);
  gui.MouseMove(61, 61);
  EXPECT_TRUE(b->MouseOver);
  EXPECT_EQ(enters, 1);
  gui.MouseMove(300, 200);
  EXPECT_FALSE(b->MouseOver);
  EXPECT_EQ(leaves, 1);

  gui.MouseDown(mbLeft, 300, 200);  // on the form
  gui.MouseMove(60, 60);            // dragged over the button: no enter yet
  EXPECT_EQ(enters, 1);
  gui.MouseUp(mbLeft, 60, 60);      // released over it: now it is hovered
  EXPECT_TRUE(b->MouseOver);
  EXPECT_EQ(gui.Root().Hovered(), b);
}

TEST(GuiDispatch, FormsDragByTheirCaption) {
  TGuiBase gui;
  TGuiForm* f = AddForm(gui, "f", 100, 100, 200, 150);
  f->CaptSize = 20;
  gui.MouseDown(mbLeft, 150, 110);  // in the caption strip
  EXPECT_TRUE(f->Dragging());
  gui.MouseMove(170, 115);
  gui.MouseMove(180, 125);
  gui.MouseUp(mbLeft, 180, 125);
  EXPECT_FALSE(f->Dragging());
  EXPECT_EQ(f->Bounds.Left, 130);
  EXPECT_EQ(f->Bounds.Top, 115);
  EXPECT_EQ(f->Width(), 200);

  gui.MouseDown(mbLeft, 200, 200);  // in the body: no drag
  gui.MouseMove(220, 220);
  gui.MouseUp(mbLeft, 220, 220);
  EXPECT_EQ(f->Bounds.Left, 130);
}

TEST(GuiControls, CheckBoxTogglesOnlyOnAReleaseInside) {
  TGuiBase gui;
  TGuiForm* f = AddForm(gui, "f", 0, 0, 400, 300);
  auto* c = Add<TGuiCheckBox>(*f, TGuiKind::CheckBox, "c", 20, 20, 100, 15);
  int changes = 0;
  c->OnChange = [&](TGuiControl&) { ++changes; };

  gui.MouseDown(mbLeft, 25, 25);
  EXPECT_TRUE(c->Armed());
  gui.MouseMove(250, 250);
  gui.MouseUp(mbLeft, 250, 250);
  EXPECT_FALSE(c->Checked());
  EXPECT_FALSE(c->Armed());
  EXPECT_EQ(changes, 0);

  ClickAt(gui, 25, 25);
  EXPECT_TRUE(c->Checked());
  EXPECT_EQ(changes, 1);
  c->SetChecked(true);  // no change, no event
  EXPECT_EQ(changes, 1);
  c->SetChecked(false);
  EXPECT_EQ(changes, 2);
}

TEST(GuiControls, RadioButtonsOfAGroupExcludeEachOther) {
  TGuiBase gui;
  TGuiForm* f = AddForm(gui, "f", 0, 0, 400, 300);
  auto* r1 = Add<TGuiRadioButton>(*f, TGuiKind::RadioButton, "r1", 10, 10, 120, 15);
  auto* r2 = Add<TGuiRadioButton>(*f, TGuiKind::RadioButton, "r2", 10, 30, 120, 15);
  auto* other = Add<TGuiRadioButton>(*f, TGuiKind::RadioButton, "r3", 10, 50, 120, 15);
  other->GroupIndex = 1;
  other->SetChecked(true);
  r1->SetChecked(true);
  ClickAt(gui, 15, 35);
  EXPECT_FALSE(r1->Checked());
  EXPECT_TRUE(r2->Checked());
  EXPECT_TRUE(other->Checked());  // another group

  // Armed and released outside: a checked button stays checked, an unchecked
  // one stays unchecked.
  gui.MouseDown(mbLeft, 15, 35);
  gui.MouseUp(mbLeft, 300, 200);
  EXPECT_TRUE(r2->Checked());
  gui.MouseDown(mbLeft, 15, 15);
  gui.MouseUp(mbLeft, 300, 200);
  EXPECT_FALSE(r1->Checked());
}

TEST(GuiControls, ListBoxHitsRowsByItemSize) {
  TGuiBase gui;
  TGuiForm* f = AddForm(gui, "f", 0, 0, 400, 300);
  auto* list = Add<TGuiListBox>(*f, TGuiKind::ListBox, "list", 50, 40, 200, 150);
  list->SetItems({"one", "two", "three"});
  int changes = 0;
  list->OnChange = [&](TGuiControl&) { ++changes; };

  ClickAt(gui, 60, 40 + 40);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(changes, 1);
  ClickAt(gui, 60, 40 + 60);  // below the last item
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(list->ItemAt(60, 40), -1);  // the border line
  EXPECT_EQ(list->ItemAt(60, 41), 0);
  EXPECT_EQ(list->ItemAt(60, 40 + 18), 0);
  EXPECT_EQ(list->ItemAt(60, 40 + 19), 1);

  list->SetEnabled(false);
  ClickAt(gui, 60, 40 + 5);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(changes, 1);
}

TEST(GuiControls, ListBoxScrollsByWholeItems) {
  TGuiBase gui;
  TGuiForm* f = AddForm(gui, "f", 0, 0, 400, 300);
  auto* list = Add<TGuiListBox>(*f, TGuiKind::ListBox, "list", 0, 0, 200, 92);  // 5 rows
  EXPECT_FALSE(list->ScrollBar()->Visible());
  std::vector<std::string> items;
  for (int i = 0; i < 12; ++i) items.push_back("item " + std::to_string(i));
  list->SetItems(items);
  EXPECT_EQ(list->VisibleRows(), 5);
  ASSERT_TRUE(list->ScrollBar()->Visible());
  TRect down = list->ScrollBar()->DownRect();
  ClickAt(gui, down.Left + 2, down.Top + 2);
  EXPECT_EQ(list->TopIndex(), 1);
  EXPECT_EQ(list->ItemAt(10, 5), 1);  // rows count from the first visible item
  EXPECT_EQ(list->ItemAt(down.Left + 2, 5), -1);  // over the scroll bar

  list->SetItemIndex(11);  // scrolls it into view
  EXPECT_EQ(list->TopIndex(), 7);
  list->Delete(11);
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(list->TopIndex(), 6);
  list->Clear();
  EXPECT_FALSE(list->ScrollBar()->Visible());
}

TEST(GuiControls, EditTypingKeysAndMaxLength) {
  TGuiBase gui;
  TGuiForm* f = AddForm(gui, "f", 0, 0, 400, 300);
  auto* e = Add<TGuiEdit>(*f, TGuiKind::Edit, "e", 10, 10, 200, 20);
  int changes = 0;
  e->OnChange = [&](TGuiControl&) { ++changes; };
  e->MaxLength = 10;
  e->SetText("");
  EXPECT_EQ(changes, 1);
  e->SetFocus();
  for (char c : std::string("abcdefghij")) EXPECT_TRUE(gui.KeyPress(c));
  EXPECT_EQ(e->Text(), "abcdefghij");
  gui.KeyPress('k');  // an 11th character is ignored
  EXPECT_EQ(e->Text(), "abcdefghij");
  EXPECT_EQ(changes, 11);

  gui.KeyDown(36);  // Home
  gui.KeyDown(46);  // Delete
  EXPECT_EQ(e->Text(), "bcdefghij");
  gui.KeyDown(39);  // Right
  gui.KeyDown(8);   // Backspace
  EXPECT_EQ(e->Text(), "cdefghij");
  EXPECT_EQ(e->Caret(), 0);
  gui.KeyDown(35);  // End
  EXPECT_EQ(e->Caret(), 8);
  gui.KeyDown(37);  // Left
  gui.KeyPress('Z');
  EXPECT_EQ(e->Text(), "cdefghiZj");
  EXPECT_FALSE(gui.KeyPress(27));  // control characters are the game's
  EXPECT_FALSE(gui.KeyDown(27));

  e->SetText("0123456789abc");  // cut to MaxLength
  EXPECT_EQ(e->Text(), "0123456789");
  EXPECT_EQ(e->Caret(), 10);

  e->ReadOnly = true;
  EXPECT_FALSE(gui.KeyPress('x'));
  gui.KeyDown(8);
  EXPECT_EQ(e->Text(), "0123456789");
  gui.KeyDown(36);  // moving the caret still works
  EXPECT_EQ(e->Caret(), 0);
}

TEST(GuiControls, EditPastesCleanedClipboardText) {
  TGuiBase gui;
  gui.ClipboardText = [] { return std::string("  Ab\tc\r\nde  "); };
  TGuiForm* f = AddForm(gui, "f", 0, 0, 400, 300);
  auto* e = Add<TGuiEdit>(*f, TGuiKind::Edit, "e", 10, 10, 200, 20);
  e->SetText("xy");
  e->MaxLength = 6;
  e->SetFocus();
  gui.KeyDown(86);  // V alone types nothing here
  EXPECT_EQ(e->Text(), "xy");
  gui.KeyDown(17);  // Ctrl held
  EXPECT_TRUE(gui.KeyDown(86));
  gui.KeyUp(17);
  EXPECT_EQ(e->Text(), "xyAbcd");  // trimmed, control characters dropped, cut to fit
}

TEST(GuiControls, TabMovesToTheNextEditByTabOrder) {
  TGuiBase gui;
  TGuiForm* f = AddForm(gui, "f", 0, 0, 400, 300);
  auto* e0 = Add<TGuiEdit>(*f, TGuiKind::Edit, "e0", 10, 10, 100, 20);
  Add<TGuiButton>(*f, TGuiKind::Button, "b", 10, 40, 100, 20);
  auto* e1 = Add<TGuiEdit>(*f, TGuiKind::Edit, "e1", 10, 70, 100, 20);
  auto* e2 = Add<TGuiEdit>(*f, TGuiKind::Edit, "e2", 10, 100, 100, 20);
  auto* locked = Add<TGuiEdit>(*f, TGuiKind::Edit, "locked", 10, 130, 100, 20);
  EXPECT_EQ(e0->TabOrder, 0);
  EXPECT_EQ(e1->TabOrder, 1);
  EXPECT_EQ(e2->TabOrder, 2);
  locked->ReadOnly = true;
  // Order by TabOrder, not by position in the list.
  e1->TabOrder = 5;
  e2->TabOrder = 3;

  e0->SetFocus();
  EXPECT_TRUE(gui.KeyDown(9));
  EXPECT_TRUE(e2->Focused());
  gui.KeyDown(9);
  EXPECT_TRUE(e1->Focused());
  gui.KeyDown(9);  // wraps to the lowest, passing over the read-only field
  EXPECT_TRUE(e0->Focused());
  gui.KeyPress('q');
  EXPECT_EQ(e0->Text(), "Some textq");
}

TEST(GuiControls, KeysGoOnlyDownTheVisibleFocusChain) {
  TGuiBase gui;
  TGuiForm* f = AddForm(gui, "f", 0, 0, 400, 300);
  auto* e = Add<TGuiEdit>(*f, TGuiKind::Edit, "e", 10, 10, 100, 20);
  TGuiForm* g = AddForm(gui, "g", 500, 0, 200, 200);
  auto* b = Add<TGuiButton>(*g, TGuiKind::Button, "b", 10, 10, 90, 24);
  e->SetText("");
  e->SetFocus();
  EXPECT_TRUE(gui.KeyPress('a'));
  ClickAt(gui, 520, 20);  // the press moves the focus to the other form's button
  EXPECT_TRUE(b->Focused());
  EXPECT_FALSE(e->Focused());
  EXPECT_FALSE(gui.KeyPress('b'));
  EXPECT_EQ(e->Text(), "a");
  e->SetFocus(true);  // the game gives the field the focus again
  EXPECT_EQ(gui.Root().IndexOf(f), 0);
  f->SetVisible(false);
  EXPECT_FALSE(gui.KeyPress('c'));  // a hidden form takes no keys
  EXPECT_EQ(e->Text(), "a");
}

TEST(GuiControls, EditCaretBlinksEveryBlinkTicks) {
  TGuiBase gui;
  TGuiForm* f = AddForm(gui, "f", 0, 0, 400, 300);
  auto* e = Add<TGuiEdit>(*f, TGuiKind::Edit, "e", 10, 10, 100, 20);
  e->BlinkTicks = 3;
  EXPECT_TRUE(e->CaretShown());
  gui.Update();
  gui.Update();
  EXPECT_TRUE(e->CaretShown());
  gui.Update();
  EXPECT_FALSE(e->CaretShown());
  gui.KeyPress('x');  // focused by default as the form's first child; typing shows the caret again
  EXPECT_TRUE(e->CaretShown());
}

TEST(GuiControls, ProgressiveLabelTypesOneCharacterPerShowDelay) {
  TGuiBase gui;
  TGuiForm* f = AddForm(gui, "f", 0, 0, 400, 300);
  auto* l = Add<TGuiLabel>(*f, TGuiKind::Label, "l", 10, 10, 300, 20);
  l->SetText("Hello there");
  EXPECT_EQ(l->VisibleText(), "Hello there");  // not progressive: all at once
  l->Progressive = true;
  l->SetText("Hello there");
  EXPECT_EQ(l->VisibleText(), "");
  for (int i = 0; i < 4; ++i) gui.Update();
  EXPECT_EQ(l->VisibleText(), "He");
  gui.Update();
  EXPECT_EQ(l->VisibleText(), "He");
  for (int i = 0; i < 100; ++i) gui.Update();
  EXPECT_EQ(l->VisibleText(), "Hello there");
  l->SetText("Again");
  EXPECT_EQ(l->VisibleText(), "");
  l->ShowDelay = 1;
  gui.Update();
  EXPECT_EQ(l->VisibleText(), "A");
}

TEST(GuiControls, LabelCutsWordsAndBreaksLinesAtLineFeeds) {
  TGuiBase gui;
  TGuiForm* f = AddForm(gui, "f", 0, 0, 400, 300);
  auto* l = Add<TGuiLabel>(*f, TGuiKind::Label, "l", 10, 10, 300, 60);
  l->SetText("one  two\r\nthree\bfour");
  auto lines = l->Layout();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].Words, (std::vector<std::string>{"one", "two", "three", "four"}));
  l->WordWrap = true;
  lines = l->Layout();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].Words, (std::vector<std::string>{"one", "two"}));
  EXPECT_TRUE(lines[0].ParagraphEnd);
  EXPECT_EQ(lines[1].Words, (std::vector<std::string>{"three", "four"}));
}

TEST(GuiControls, GaugeBarWidth) {
  TGuiGauge g;
  g.SetBounds(0, 0, 102, 20);
  EXPECT_EQ(g.BarWidth(), 50);
  g.Theta = -5;
  EXPECT_EQ(g.BarWidth(), 0);
  g.Theta = 10;
  g.MinValue = g.MaxValue = 10;  // an empty range draws no bar
  EXPECT_EQ(g.BarWidth(), 0);
  g.Caption = "Mana";
  EXPECT_EQ(g.BarText(), "Mana 10");
}

TEST(GuiProperties, RegistryNamesTypesAndIds) {
  const auto& form = GuiClassInfo(TGuiKind::Form).Props;
  const TGuiPropDesc* left = FindGuiProp(form, "LEFT");
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(left->Id, 0x70000);
  EXPECT_EQ(left->Type, ptInteger);
  EXPECT_EQ(FindGuiProp(form, "Enabled")->Id, 0x70006);
  EXPECT_EQ(FindGuiProp(form, "DrawFx")->Type, ptEffect);
  EXPECT_EQ(FindGuiProp(form, "Caption")->Id, 0xA000);
  EXPECT_EQ(FindGuiProp(form, "ShadowColor")->Id, 0xA00F);
  EXPECT_EQ(FindGuiProp(form, "ShadowColor")->Type, ptColor);
  EXPECT_EQ(FindGuiProp(form, "Font"), nullptr);  // forms write with FontActive/FontUnactive

  const auto& list = GuiClassInfo(TGuiKind::ListBox).Props;
  EXPECT_EQ(FindGuiProp(list, "Items")->Type, ptStrings);
  EXPECT_EQ(FindGuiProp(list, "ScrollArrow")->Id, 0xA00A);
  EXPECT_EQ(FindGuiProp(list, "Selected")->Id, 0x80005);
  EXPECT_EQ(FindGuiProp(list, "Border"), nullptr);
  EXPECT_EQ(FindGuiProp(GuiClassInfo(TGuiKind::Button).Props, "GlyphPosition")->Type, ptGlyphPos);
  EXPECT_EQ(FindGuiProp(GuiClassInfo(TGuiKind::Label).Props, "Alignment")->Type, ptAlignment);
  EXPECT_EQ(FindGuiProp(GuiClassInfo(TGuiKind::Edit).Props, "TabOrder")->Id, 0xA006);
  EXPECT_EQ(GuiClassInfo(TGuiKind::Paint).Props.size(), 11u);  // shared rows, Bkgrnd, Border

  EXPECT_EQ(GuiKindFromClassName("tguilistbox"), TGuiKind::ListBox);
  EXPECT_FALSE(GuiKindFromClassName("TGuiScroll").has_value());
  EXPECT_FALSE(GuiKindFromClassName("TGuiTaskbar").has_value());
}

TEST(GuiProperties, SetPropertyConvertsByType) {
  TGuiBase gui;
  auto* l = static_cast<TGuiLabel*>(TGuiBase::AddControl(gui.Root(), TGuiKind::Label));
  EXPECT_TRUE(l->SetProperty("text", "Hi"));
  EXPECT_EQ(l->Text(), "Hi");
  EXPECT_TRUE(l->SetProperty("WordWrap", "True"));
  EXPECT_TRUE(l->WordWrap);
  EXPECT_TRUE(l->SetProperty("Visible", "false"));
  EXPECT_FALSE(l->Visible());
  EXPECT_TRUE(l->SetProperty("Width", "250"));
  EXPECT_EQ(l->Width(), 250);
  EXPECT_FALSE(l->SetProperty("Width", "wide"));
  EXPECT_EQ(l->Width(), 250);
  EXPECT_FALSE(l->SetProperty("NoSuchThing", "1"));
  EXPECT_FALSE(l->SetProperty("Font", "1"));  // fills and fonts are not text
  ASSERT_NE(l->GetFont("font"), nullptr);
  EXPECT_EQ(l->GetFill("Selected"), nullptr);  // labels have no Selected fill

  auto* list = static_cast<TGuiListBox*>(TGuiBase::AddControl(gui.Root(), TGuiKind::ListBox));
  EXPECT_TRUE(list->SetProperty("Items", "a\r\nb\r\n"));
  EXPECT_EQ(list->Items(), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(list->SetProperty("BorderColor", "-1"));
  EXPECT_EQ(list->BorderColor, 0xFFFFFFFFu);
  EXPECT_TRUE(list->SetProperty("BorderColor", "4278190335"));
  EXPECT_EQ(list->BorderColor, 0xFF0000FFu);
}

// Drawing on the headless renderer: what ends up on top, and clipping.
namespace {

TGuiForm* PlainForm(TGuiBase& gui, const std::string& name, int l, int t, int w, int h, TColor color) {
  TGuiForm* f = AddForm(gui, name, l, t, w, h);
  f->CaptSize = 0;
  f->ShadowSize = 0;
  f->Border.Active = 0;
  f->Bkgrnd.SetAll(color);
  return f;
}

}  // namespace

TEST(GuiDrawing, IndexZeroEndsOnTopAndChildrenAreClipped) {
  render_test::RenderRig rig;
  TGuiBase gui;
  gui.Canvas = &rig.Canvas;
  gui.Images = &rig.Images;
  gui.Fonts = &rig.Fonts;
  PlainForm(gui, "red", 100, 100, 200, 200, 0xFF0000FF);
  TGuiForm* blue = PlainForm(gui, "blue", 200, 150, 200, 200, 0xFFFF0000);
  auto* green = Add<TGuiPaint>(*blue, TGuiKind::Paint, "green", 150, 20, 120, 40);  // sticks out right
  green->Border.Active = 0;
  green->Bkgrnd.SetAll(0xFF00FF00);

  rig.Frame(0xFF000000, [&] {
    rig.Canvas.SetClipRect({0, 0, 700, 500});
    gui.Draw();
    TRect after = rig.Canvas.GetClipRect();  // the caller's clip comes back
    EXPECT_EQ(after.Right, 700);
    EXPECT_EQ(after.Bottom, 500);
    rig.Canvas.SetClipRect({0, 0, 800, 600});
  });
  // Pixels read back as 0xAARRGGBB: the red form (index 0) lies over the blue.
  EXPECT_EQ(rig.Pixel(250, 200), 0xFFFF0000u);
  EXPECT_EQ(rig.Pixel(120, 120), 0xFFFF0000u);
  EXPECT_EQ(rig.Pixel(350, 300), 0xFF0000FFu);
  EXPECT_EQ(rig.Pixel(380, 180), 0xFF00FF00u);  // the paint box inside its form
  EXPECT_EQ(rig.Pixel(410, 180), 0xFF000000u);  // cut at the form's edge

  gui.MouseDown(mbLeft, 350, 300);  // a press on the blue form brings it to the front
  gui.MouseUp(mbLeft, 350, 300);
  rig.Frame(0xFF000000, [&] { gui.Draw(); });
  EXPECT_EQ(rig.Pixel(250, 200), 0xFF0000FFu);
}

TEST(GuiDrawing, LabelsWrapAndAlignByTextWidth) {
  render_test::RenderRig rig;
  rig.AddFont(render_test::BlockFont(32, 96, 8, 10, 8));
  TGuiBase gui;
  gui.Canvas = &rig.Canvas;
  gui.Images = &rig.Images;
  gui.Fonts = &rig.Fonts;
  TGuiForm* f = PlainForm(gui, "f", 0, 0, 400, 300, 0xFF000000);
  auto* l = Add<TGuiLabel>(*f, TGuiKind::Label, "l", 10, 10, 100, 60);
  l->Font.SetColors(0xFFFFFFFF, 0xFFFFFFFF);
  l->WordWrap = true;
  l->LineSpacing = 20;
  l->SetText("aaaa bbbb cccc");  // 32 px words, 8 px spaces, 92 px to fill
  auto lines = l->Layout();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].Words.size(), 2u);

  l->Alignment = taRight;
  rig.Frame(0xFF000000, [&] { gui.Draw(); });
  // The second line ("cccc") ends 4 pixels inside the right edge.
  EXPECT_EQ(rig.Pixel(10 + 100 - 5, 10 + 20 + 2), 0xFFFFFFFFu);
  EXPECT_EQ(rig.Pixel(10 + 100 - 3, 10 + 20 + 2), 0xFF000000u);
  EXPECT_EQ(rig.Pixel(10 + 100 - 4 - 33, 10 + 20 + 2), 0xFF000000u);
}
