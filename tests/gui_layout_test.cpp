// The layout file: reading it (also when it is damaged or hostile), the text
// form and its compiler, and the game's own layout against the list of names
// the game finds.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "data/DataManifest.h"
#include "engine/gui/GuiBase.h"
#include "engine/gui/GuiButton.h"
#include "engine/gui/GuiEdit.h"
#include "engine/gui/GuiForm.h"
#include "engine/gui/GuiLabel.h"
#include "engine/gui/GuiLayoutFile.h"
#include "engine/gui/GuiLayoutSource.h"
#include "engine/gui/GuiListBox.h"
#include "layout/ControlNames.h"

namespace {

TGuiLayoutProp Text(const std::string& name, const std::string& value, uint8_t type = ptString) {
  TGuiLayoutProp p;
  p.Name = name;
  p.Type = type;
  p.Value = value;
  return p;
}

TGuiLayoutControl Ctl(const std::string& cls, const std::string& name, std::vector<TGuiLayoutControl> children = {}) {
  TGuiLayoutControl c;
  c.ClassName = cls;
  c.Props.push_back(Text("Name", name));
  c.Children = std::move(children);
  return c;
}

// A small table of image keys for the compiler.
TGuiSourceImages TestImages() {
  static const std::vector<std::string> keys = {"mouse.image", "icons.image", "hint.image"};
  TGuiSourceImages images;
  images.IndexOf = [](std::string_view key) {
    for (size_t i = 0; i < keys.size(); ++i)
      if (keys[i] == key) return static_cast<int>(i);
    return -1;
  };
  images.KeyOf = [](int i) { return i >= 0 && i < static_cast<int>(keys.size()) ? keys[static_cast<size_t>(i)] : ""; };
  return images;
}

std::vector<TGuiLayoutControl> Compile(const std::string& text) {
  return CompileGuiSource({DataFile::Parse(text, "test.txt")}, TestImages());
}

std::string CompileError(const std::string& text) {
  try {
    Compile(text);
  } catch (const DataError& e) {
    return e.what();
  }
  return "";
}

const char* kSample = R"(
color moss rgb:204030
style body
	DrawFx alpha
	Bkgrnd moss argb:80102030
form Main
	style body
	bounds 10 20 300 200
	Caption "Main form"
	IconIndex "hint.image"
	FontActive 2 rgb:FFFFFF rgb:FFD080 scale 1.5 style bold+shadow interleave 1
	button Go
		bounds 5 30 90 24
		ImageIndex icons.image
		NormalGlyph 4
		GlyphPosition top
		Border none
	listbox Choices
		Items "first" "second"
		ItemIndex 1
	label
		Text "line one" "line two"
		Alignment justify
		WordWrap true
	edit Field
		Text ""
		MaxLength 8
		Selector 0xFF0000FF
)";

}  // namespace

TEST(GuiLayoutFile, ReadsWhatIsWritten) {
  std::vector<TGuiLayoutControl> in = {Ctl("TGuiForm", "a", {Ctl("TGuiButton", "b"), Ctl("TGuiLabel", "c")}),
                                       Ctl("TGuiForm", "d")};
  TGuiLayoutProp fill;
  fill.Name = "Bkgrnd";
  fill.Type = ptFill;
  fill.Fill.Colors = {1, 2, 3, 4};
  fill.Fill.Active = 0;
  TGuiLayoutProp font;
  font.Name = "FontActive";
  font.Type = ptFont;
  font.Font = {3, 0xFF00FF00, 0xFFFF0000, 1.25, 5, 2.5};
  in[0].Props.push_back(fill);
  in[0].Props.push_back(font);
  std::vector<uint8_t> bytes = WriteGuiLayout(in);
  std::vector<TGuiLayoutControl> out;
  std::string error;
  ASSERT_TRUE(ReadGuiLayout(bytes.data(), bytes.size(), out, &error)) << error;
  EXPECT_EQ(out, in);
}

TEST(GuiLayoutFile, AnUnknownClassEndsItsList) {
  // Nothing after the unknown class in its own list is read; the parent's list
  // then goes on (here it is complete, so the rest of the file is left).
  std::vector<uint8_t> bytes = WriteGuiLayout(
      {Ctl("TGuiForm", "a", {Ctl("TGuiButton", "b"), Ctl("TGuiSpinner", "x"), Ctl("TGuiButton", "never")})});
  std::vector<TGuiLayoutControl> out;
  ASSERT_TRUE(ReadGuiLayout(bytes.data(), bytes.size(), out));
  ASSERT_EQ(out.size(), 1u);
  ASSERT_EQ(out[0].Children.size(), 1u);
  EXPECT_EQ(*out[0].Children[0].Value("Name"), "b");

  bytes = WriteGuiLayout({Ctl("TGuiForm", "a"), Ctl("tguilabel", "b"), Ctl("TBogus", "c"), Ctl("TGuiForm", "d")});
  ASSERT_TRUE(ReadGuiLayout(bytes.data(), bytes.size(), out));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(*out[1].Value("name"), "b");

  TGuiBase gui;
  ASSERT_TRUE(gui.LoadLayoutData(bytes.data(), bytes.size()));
  EXPECT_EQ(gui.Root().ChildCount(), 2);
  EXPECT_EQ(gui.FindControl("b")->Kind(), TGuiKind::Label);
  EXPECT_EQ(gui.FindControl("c"), nullptr);
  EXPECT_EQ(gui.FindControl("d"), nullptr);
}

TEST(GuiLayoutFile, UnknownPropertiesAreSkippedWholly) {
  TGuiLayoutControl form = Ctl("TGuiForm", "f");
  TGuiLayoutProp strange;
  strange.Name = "NoSuchFill";
  strange.Type = ptFill;
  strange.Fill.SetAll(0x12345678);
  form.Props.push_back(strange);
  strange.Name = "NoSuchFont";
  strange.Type = ptFont;
  form.Props.push_back(strange);
  form.Props.push_back(Text("NoSuchValue", "whatever"));
  form.Props.push_back(Text("Caption", "after them"));
  form.Props.push_back(Text("Width", "not a number", ptInteger));
  // A fill given under a value name is read as a fill and not applied.
  strange.Name = "Caption";
  strange.Type = ptFill;
  form.Props.push_back(strange);
  std::vector<uint8_t> bytes = WriteGuiLayout({form});

  TGuiBase gui;
  ASSERT_TRUE(gui.LoadLayoutData(bytes.data(), bytes.size()));
  auto* f = static_cast<TGuiForm*>(gui.FindControl("f"));
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Caption, "after them");
  EXPECT_EQ(f->Width(), 300);
}

TEST(GuiLayoutFile, DamagedFilesAreRefusedWithoutAddingControls) {
  std::vector<TGuiLayoutControl> controls = Compile(kSample);
  std::vector<uint8_t> bytes = WriteGuiLayout(controls);
  // Truncated anywhere.
  for (size_t n = 0; n < bytes.size(); ++n) {
    std::vector<TGuiLayoutControl> out;
    ASSERT_FALSE(ReadGuiLayout(bytes.data(), n, out)) << "length " << n;
    TGuiBase gui;
    ASSERT_FALSE(gui.LoadLayoutData(bytes.data(), n));
    ASSERT_EQ(gui.Root().ChildCount(), 0);
  }
  // Huge counts and string lengths fail at once instead of allocating.
  const std::vector<uint8_t> hugeCount = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
  const std::vector<uint8_t> hugeString = {1, 0, 0, 0, 0xF0, 0xFF, 0xFF, 0x7F, 'T'};
  std::vector<uint8_t> hugeProps = {1, 0, 0, 0, 8, 0, 0, 0};
  for (char c : std::string("TGuiForm")) hugeProps.push_back(static_cast<uint8_t>(c));
  hugeProps.insert(hugeProps.end(), {0xFF, 0xFF, 0xFF, 0x0F});
  for (const auto& b : {hugeCount, hugeString, hugeProps}) {
    std::vector<TGuiLayoutControl> out;
    std::string error;
    EXPECT_FALSE(ReadGuiLayout(b.data(), b.size(), out, &error));
    EXPECT_FALSE(error.empty());
  }
  EXPECT_FALSE(TGuiBase().LoadLayout("/nonexistent/interface.gui"));
}

TEST(GuiLayoutFile, NestingIsBounded) {
  auto nest = [](int depth) {
    TGuiLayoutControl c = Ctl("TGuiPaint", "leaf");
    for (int i = 0; i < depth; ++i) c = Ctl("TGuiForm", "f" + std::to_string(i), {c});
    return WriteGuiLayout({c});
  };
  std::vector<TGuiLayoutControl> out;
  std::vector<uint8_t> ok = nest(kGuiLayoutMaxDepth - 1);
  EXPECT_TRUE(ReadGuiLayout(ok.data(), ok.size(), out));
  std::vector<uint8_t> deep = nest(kGuiLayoutMaxDepth + 5);
  EXPECT_FALSE(ReadGuiLayout(deep.data(), deep.size(), out));
}

TEST(GuiLayoutSource, CompilesStylesColoursAndImages) {
  std::vector<uint8_t> bytes = WriteGuiLayout(Compile(kSample));
  TGuiBase gui;
  ASSERT_TRUE(gui.LoadLayoutData(bytes.data(), bytes.size()));
  auto* form = static_cast<TGuiForm*>(gui.FindControl("main"));
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->DrawFx, 1284);
  EXPECT_EQ(form->Bounds.Left, 10);
  EXPECT_EQ(form->Bounds.Bottom, 220);
  EXPECT_EQ(form->Caption, "Main form");
  EXPECT_EQ(form->IconIndex, 2);
  // rgb:204030 is red 0x20, green 0x40, blue 0x30 in the game's colour order.
  EXPECT_EQ(form->Bkgrnd.Colors, (TColor4{0xFF304020, 0xFF304020, 0x80302010, 0x80302010}));
  EXPECT_EQ(form->FontActive.Index, 2);
  EXPECT_EQ(form->FontActive.Bottom, 0xFF80D0FFu);
  EXPECT_EQ(form->FontActive.Scale, 1.5);
  EXPECT_EQ(form->FontActive.Style, 5);
  EXPECT_EQ(form->FontActive.Interleave, 1.0);

  auto* go = static_cast<TGuiButton*>(gui.FindControl("Go"));
  EXPECT_EQ(go->ImageIndex, 1);
  EXPECT_EQ(go->NormalGlyph, 4);
  EXPECT_EQ(go->GlyphPosition, gpTop);
  EXPECT_EQ(go->Border.Active, 0);
  auto* list = static_cast<TGuiListBox*>(gui.FindControl("Choices"));
  EXPECT_EQ(list->Items(), (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(list->ItemIndex(), 1);
  auto* label = static_cast<TGuiLabel*>(form->Child(2));
  EXPECT_EQ(label->Text(), "line one\r\nline two");
  EXPECT_EQ(label->Alignment, taJustify);
  EXPECT_TRUE(label->Name.empty());
  auto* edit = static_cast<TGuiEdit*>(gui.FindControl("field"));
  EXPECT_EQ(edit->Text(), "");
  EXPECT_EQ(edit->MaxLength, 8);
  EXPECT_EQ(edit->Selector.Colors[0], 0xFF0000FFu);
}

TEST(GuiLayoutSource, LaterPropertiesReplaceEarlierOnesInPlace) {
  auto controls = Compile("form f\n\tCaption a\n\tWidth 5\n\tcaption b\n");
  ASSERT_EQ(controls[0].Props.size(), 3u);
  EXPECT_EQ(controls[0].Props[1].Name, "Caption");
  EXPECT_EQ(controls[0].Props[1].Value, "b");
}

TEST(GuiLayoutSource, ErrorsNameTheFileAndLine) {
  EXPECT_EQ(CompileError("form f\n\tColour 3\n"), "test.txt:2: TGuiForm has no property \"Colour\"");
  EXPECT_EQ(CompileError("window f\n"), "test.txt:1: unknown word \"window\"");
  EXPECT_EQ(CompileError("form f\n\tImageIndex sky.image\n"), "test.txt:2: unknown image \"sky.image\"");
  EXPECT_EQ(CompileError("form f\n\tShadowColor blue\n"), "test.txt:2: \"blue\" is not a colour");
  EXPECT_EQ(CompileError("form f\n\tShadowColor rgb:12345\n"), "test.txt:2: \"rgb:12345\" is not a colour");
  EXPECT_EQ(CompileError("form f\n\tstyle nothing\n"), "test.txt:2: unknown style \"nothing\"");
  EXPECT_EQ(CompileError("label l\n\tWordWrap maybe\n"), "test.txt:2: \"maybe\" is not true or false");
  EXPECT_EQ(CompileError("label l\n\tAlignment middle\n"), "test.txt:2: unknown word \"middle\"");
  EXPECT_EQ(CompileError("style s\n\tstyle s\nform f\n\tstyle s\n"),
            "test.txt:2: styles nest too deep (a style uses itself?)");
  EXPECT_EQ(CompileError("form f\n\tBkgrnd rgb:000000 rgb:000000 rgb:000000\n"),
            "test.txt:2: a fill takes none, or 1, 2 or 4 colours");
  EXPECT_EQ(CompileError("style s\n\tbutton b\nform f\n\tstyle s\n"),
            "test.txt:2: a style holds properties, not controls");
}

TEST(GuiLayoutSource, DecompilingAndCompilingAgainGivesTheSameBytes) {
  std::vector<uint8_t> first = WriteGuiLayout(Compile(kSample));
  std::vector<TGuiLayoutControl> read;
  ASSERT_TRUE(ReadGuiLayout(first.data(), first.size(), read));
  std::string text = DecompileGuiLayout(read, TestImages());
  EXPECT_NE(text.find("ImageIndex icons.image"), std::string::npos) << text;
  EXPECT_NE(text.find("GlyphPosition top"), std::string::npos);
  std::vector<uint8_t> second = WriteGuiLayout(Compile(text));
  EXPECT_EQ(first, second) << text;
  EXPECT_EQ(DecompileGuiLayout(Compile(text), TestImages()), text);

  // Values that do not fit their registered type are kept as raw lines.
  TGuiLayoutControl odd = Ctl("TGuiForm", "odd");
  odd.Props.push_back(Text("Width", "wide", ptInteger));
  odd.Props.push_back(Text("Mystery", "x", 42));
  std::vector<uint8_t> oddBytes = WriteGuiLayout({odd});
  std::string oddText = DecompileGuiLayout({odd}, TestImages());
  EXPECT_NE(oddText.find("raw Width 0 wide"), std::string::npos) << oddText;
  EXPECT_EQ(WriteGuiLayout(Compile(oddText)), oddBytes);
}

TEST(GuiLayoutSource, TheGameLayoutRoundTrips) {
  std::vector<DataFile> files;
  std::vector<std::filesystem::path> paths;
  for (const auto& item : std::filesystem::directory_iterator(std::filesystem::path(GW_SOURCE_DIR) / "content/gui"))
    if (item.path().extension() == ".txt") paths.push_back(item.path());
  std::sort(paths.begin(), paths.end());
  ASSERT_FALSE(paths.empty());
  for (const auto& p : paths) files.push_back(DataFile::Load(p.string()));
  TGuiSourceImages images;
  images.IndexOf = [](std::string_view key) { return GameImageIndex(key); };
  images.KeyOf = [](int i) { return std::string(GameImages()[static_cast<size_t>(i)].Key); };
  std::vector<uint8_t> bytes = WriteGuiLayout(CompileGuiSource(files, images));
  std::vector<TGuiLayoutControl> read;
  ASSERT_TRUE(ReadGuiLayout(bytes.data(), bytes.size(), read));
  std::string text = DecompileGuiLayout(read, images);
  EXPECT_EQ(WriteGuiLayout(CompileGuiSource({DataFile::Parse(text, "decompiled")}, images)), bytes);
}

// The built layout file against the one list of names the game finds.
class BuiltLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::filesystem::path path = std::filesystem::path(GW_BUILD_DIR) / "data/interface.gui";
    ASSERT_TRUE(std::filesystem::exists(path)) << path << " is built with the game data";
    ASSERT_TRUE(Gui.LoadLayout(path.string())) << Gui.LastError();
  }
  TGuiBase Gui;
};

namespace {
void CollectNamed(TGuiControl& c, std::vector<TGuiControl*>& out) {
  if (!c.Name.empty()) out.push_back(&c);
  for (int i = 0; i < c.ChildCount(); ++i) CollectNamed(*c.Child(i), out);
}
}  // namespace

TEST_F(BuiltLayout, HoldsEveryListedNameWithItsKindAndNoOthers) {
  std::set<std::string> listed;
  for (const TControlNameInfo& info : ControlNameTable()) {
    listed.insert(info.Name);
    TGuiControl* c = FindNamed(Gui, info.Id);
    ASSERT_NE(c, nullptr) << info.Name << " is missing from the layout";
    EXPECT_EQ(c->Kind(), info.Kind) << info.Name << " is a " << c->ClassName();
  }
  std::vector<TGuiControl*> named;
  CollectNamed(Gui.Root(), named);
  std::map<std::string, int> seen;
  for (TGuiControl* c : named) {
    EXPECT_TRUE(listed.count(c->Name)) << c->Name << " is named in the layout but not listed";
    EXPECT_EQ(++seen[c->Name], 1) << c->Name << " is named twice";
  }
  // The typed finders agree with the list.
  EXPECT_NE(FindForm(Gui, TControlName::formNextLevel), nullptr);
  EXPECT_NE(FindButton(Gui, TControlName::nlNext), nullptr);
  EXPECT_NE(FindEdit(Gui, TControlName::newPlayerName), nullptr);
  EXPECT_NE(FindCheckBox(Gui, TControlName::CbxFull), nullptr);
  EXPECT_NE(FindListBox(Gui, TControlName::LevelList), nullptr);
  EXPECT_NE(FindLabel(Gui, TControlName::HelpText), nullptr);
  EXPECT_NE(FindPaint(Gui, TControlName::PaintSelection), nullptr);
  EXPECT_EQ(FindButton(Gui, TControlName::HelpText), nullptr);  // listed as a label
}

TEST_F(BuiltLayout, FormsStartHiddenInsideTheScreen) {
  ASSERT_GT(Gui.Root().ChildCount(), 0);
  for (int i = 0; i < Gui.Root().ChildCount(); ++i) {
    TGuiControl* form = Gui.Root().Child(i);
    EXPECT_EQ(form->Kind(), TGuiKind::Form);
    EXPECT_FALSE(form->Visible()) << form->Name;
    EXPECT_GE(form->Bounds.Left, 0) << form->Name;
    EXPECT_GE(form->Bounds.Top, 0) << form->Name;
    EXPECT_LE(form->Bounds.Right, 800) << form->Name;
    EXPECT_LE(form->Bounds.Bottom, 600) << form->Name;
    // Every control lies inside its form.
    std::vector<TGuiControl*> named;
    CollectNamed(*form, named);
    for (TGuiControl* c : named) {
      if (c == form) continue;
      TRect r = c->ScreenRect(), clipped = c->ClippedRect();
      EXPECT_TRUE(r.Left == clipped.Left && r.Top == clipped.Top && r.Right == clipped.Right &&
                  r.Bottom == clipped.Bottom)
          << c->Name << " sticks out of " << form->Name;
    }
  }
  EXPECT_EQ(Gui.FindControl("BoardOperations")->Bounds.Top, 515);
}

TEST_F(BuiltLayout, EditorButtonsShowTheirIcons) {
  const int icons = GameImageIndex("icons.image");
  ASSERT_GE(icons, 0);
  int checked = 0;
  for (const auto& [name, pattern] : EditorIcons()) {
    auto* b = dynamic_cast<TGuiButton*>(Gui.FindControl(name));
    ASSERT_NE(b, nullptr) << name;
    EXPECT_EQ(b->ImageIndex, icons) << name;
    EXPECT_EQ(b->NormalGlyph, pattern) << name;
    EXPECT_EQ(b->DisabledGlyph, pattern) << name;
    ++checked;
  }
  EXPECT_EQ(checked, 33);
}
