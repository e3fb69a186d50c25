// Bitmap fonts: colour tags, advances, extents, the four styles, the font list,
// and a text line on the headless renderer.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "engine/archive/CPDb.h"
#include "engine/archive/CPDbWriter.h"
#include "engine/gui/GuiForm.h"
#include "support/RenderFixtures.h"

using namespace render_test;

namespace {

// One drawn glyph: its four corners and colours, in drawing order.
struct Quad {
  plat::Vertex V[4];
};

struct FontRig {
  FontRig() : Rig(MakeRecorder()) { Font = Rig.AddFont(BlockFont(32, 96, 8, 10, 9)); }

  std::unique_ptr<plat::Renderer> MakeRecorder() {
    auto r = std::make_unique<RecordingRenderer>();
    Rec = r.get();
    return r;
  }

  // Draws the text in one scene and returns the glyph quads.
  std::vector<Quad> Draw(std::string_view text, TColor top = 0xFFFFFFFF, TColor bottom = 0xFFFFFFFF,
                         float x = 0, float y = 0) {
    Rec->Draws.clear();
    Rig.Device.OnRender = [&](TCanopyDevice&) { Font->TextOutEx(text, top, x, y, bottom, kBlendAlpha); };
    Rig.Device.Render(0, true);
    std::vector<Quad> quads;
    for (const RecordedDraw& d : Rec->Draws) {
      for (size_t i = 0; i + 4 <= d.Vertices.size(); i += 4) {
        quads.push_back(Quad{{d.Vertices[i], d.Vertices[i + 1], d.Vertices[i + 2], d.Vertices[i + 3]}});
      }
    }
    return quads;
  }

  RecordingRenderer* Rec = nullptr;
  RenderRig Rig;
  TCanopyFont* Font = nullptr;
};

// A caption too wide for its strip keeps the longest start that fits with
// "..." after it, found by halving: the same as cutting one character at a
// time, for captions of every length.
TEST(FitText, KeepsTheLongestStartThatFitsWithAnEllipsis) {
  FontRig f;
  TCanopyFonts* fonts = &f.Rig.Fonts;
  TGuiFont font;
  font.Index = 0;
  auto oneByOne = [&](const std::string& text, int width) {
    if (font.Extent(fonts, text).W <= width) return text;
    std::string s = text;
    while (!s.empty()) {
      s.pop_back();
      if (font.Extent(fonts, s + "...").W <= width) return s + "...";
    }
    return std::string("...");
  };
  std::string text;
  for (int n = 0; n < 40; ++n) {
    text += static_cast<char>('A' + n % 26);
    for (int width : {0, 10, 27, 50, 99, 180, 400})
      EXPECT_EQ(TGuiForm::FitText(font, fonts, text, width), oneByOne(text, width)) << n << " " << width;
  }
  const std::string huge(10000, 'W');
  const std::string fitted = TGuiForm::FitText(font, fonts, huge, 300);
  EXPECT_LE(font.Extent(fonts, fitted).W, 300);
  EXPECT_EQ(fitted.substr(fitted.size() - 3), "...");
  EXPECT_GT(font.Extent(fonts, fitted.substr(0, fitted.size() - 3) + "W...").W, 300);
}

}  // namespace

TEST(FontTags, ColourTagsAreConsumedOnlyWithTwoCharactersAfterThem) {
  FontRig f;
  // Opaque red in the game's order is 0xFF0000FF.
  auto quads = f.Draw("0xFF0000FFAB");
  ASSERT_EQ(quads.size(), 2u);
  for (const Quad& q : quads) {
    for (const auto& v : q.V) EXPECT_EQ(v.Color, 0xFF0000FFu);
  }
  // One letter after the tag is too short: all eleven characters are text.
  quads = f.Draw("0xFF0000FFA");
  ASSERT_EQ(quads.size(), 11u);
  EXPECT_EQ(quads[0].V[0].Color, 0xFFFFFFFFu);
}

TEST(FontTags, TopAndBottomTagsAndUnreadableDigits) {
  FontRig f;
  auto quads = f.Draw("#$FF00FF00&$FFFF0000AB", 1, 2);
  ASSERT_EQ(quads.size(), 2u);
  EXPECT_EQ(quads[0].V[0].Color, 0xFF00FF00u);  // top corners
  EXPECT_EQ(quads[0].V[1].Color, 0xFF00FF00u);
  EXPECT_EQ(quads[0].V[2].Color, 0xFFFF0000u);  // bottom corners
  EXPECT_EQ(quads[0].V[3].Color, 0xFFFF0000u);
  // A tag whose digits do not read is still consumed; the colour stays.
  quads = f.Draw("#$GG00FF00AB", 5, 6);
  ASSERT_EQ(quads.size(), 2u);
  EXPECT_EQ(quads[0].V[0].Color, 5u);
  EXPECT_EQ(quads[0].V[3].Color, 6u);
  // The three checks run once per character, in their order: a both-colours
  // tag before a top tag leaves the top tag as text.
  EXPECT_EQ(f.Draw("0xFF0000FF#$FF00FF00AB").size(), 12u);
  EXPECT_EQ(f.Draw("#$FF00FF000xFF0000FFAB").size(), 2u);
  f.Font->TextTags = false;
  EXPECT_EQ(f.Draw("0xFF0000FFAB").size(), 12u);
}

TEST(FontLayout, AdvancesBlanksScaleAndInterleave) {
  FontRig f;
  // Glyphs are 8 x 10 with an advance of 9.
  auto quads = f.Draw("AB", 0xFFFFFFFF, 0xFFFFFFFF, 10.7f, 20.2f);
  ASSERT_EQ(quads.size(), 2u);
  EXPECT_FLOAT_EQ(quads[0].V[0].X, 10 - 0.5f);  // truncated, then the texel shift
  EXPECT_FLOAT_EQ(quads[0].V[0].Y, 20 - 0.5f);
  EXPECT_FLOAT_EQ(quads[0].V[2].X, 18 - 0.5f);
  EXPECT_FLOAT_EQ(quads[1].V[0].X, 19 - 0.5f);  // 10.7 + 9 = 19.7
  EXPECT_EQ(f.Font->TextExtent("AB").W, 18);
  EXPECT_EQ(f.Font->TextExtent("AB").H, 10);
  EXPECT_EQ(f.Font->TextExtent("").H, 0);

  f.Font->Scale = 2;
  f.Font->Interleave = 1;
  quads = f.Draw("AB");
  EXPECT_FLOAT_EQ(quads[0].V[2].X, 16 - 0.5f);  // 8 x 2 wide
  EXPECT_FLOAT_EQ(quads[0].V[2].Y, 20 - 0.5f);
  EXPECT_FLOAT_EQ(quads[1].V[0].X, 20 - 0.5f);  // (9 + 1) x 2
  EXPECT_EQ(f.Font->TextWidth("AB"), 40);
  EXPECT_EQ(f.Font->TextHeight("AB"), 20);

  // Characters without a glyph advance by BlankSpacing x visible width each.
  TCanopyFont* upper = f.Rig.AddFont(BlockFont('A', 26, 8, 10, 9));
  EXPECT_EQ(upper->TextWidth("  "), 5);  // 2 x 0.3 x 8 = 4.8
  EXPECT_EQ(upper->TextHeight("  "), 0);
  EXPECT_EQ(upper->TextWidth("a"), 2);  // 2.4 rounds to 2
  // The record's extra advance adds to every glyph.
  TFontRecord extra = BlockFont('A', 26, 8, 10, 9);
  extra.ExtraAdvance = 3;
  EXPECT_EQ(f.Rig.AddFont(extra)->TextWidth("AAA"), 36);
}

TEST(FontStyles, BoldItalicShadowAndEmboss) {
  FontRig f;
  f.Font->Style = feBold;
  auto quads = f.Draw("A", 0xFFFFFFFF, 0xFFFFFFFF, 100, 100);
  ASSERT_EQ(quads.size(), 3u);
  EXPECT_FLOAT_EQ(quads[1].V[0].X - quads[0].V[0].X, -1);
  EXPECT_FLOAT_EQ(quads[2].V[0].X - quads[0].V[0].X, 1);

  f.Font->Style = feItalic;
  quads = f.Draw("A", 0xFFFFFFFF, 0xFFFFFFFF, 100, 100);
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_FLOAT_EQ(quads[0].V[0].X, 101 - 0.5f);  // 8 / 8 = 1 to the right on top
  EXPECT_FLOAT_EQ(quads[0].V[1].X, 109 - 0.5f);
  EXPECT_FLOAT_EQ(quads[0].V[2].X, 107 - 0.5f);  // and to the left at the bottom
  EXPECT_FLOAT_EQ(quads[0].V[3].X, 99 - 0.5f);

  f.Font->Style = feShadow;
  f.Font->ShadowColor = 0x00112233;
  f.Font->ShadowDistance = 1.5;
  quads = f.Draw("A", 0xFFFFFFFF, 0xFFFFFFFF, 100, 100);
  ASSERT_EQ(quads.size(), 2u);
  EXPECT_FLOAT_EQ(quads[0].V[0].X, 103 - 0.5f);  // (2, 2) x 1.5 first
  EXPECT_FLOAT_EQ(quads[0].V[0].Y, 103 - 0.5f);
  EXPECT_EQ(quads[0].V[0].Color, 0x80112233u);  // alpha R(0.5 x 255)
  EXPECT_FLOAT_EQ(quads[1].V[0].X, 100 - 0.5f);

  f.Font->Style = feEmboss;
  f.Font->EmbossColor = 0x00FFFFFF;
  quads = f.Draw("A", 0xFF000000, 0xFF000000, 100, 100);
  ASSERT_EQ(quads.size(), 2u);
  EXPECT_FLOAT_EQ(quads[0].V[0].X, 99 - 0.5f);  // the glyph moved up and left
  EXPECT_EQ(quads[0].V[0].Color, 0xFF000000u);
  EXPECT_FLOAT_EQ(quads[1].V[0].X, 100 - 0.5f);  // the emboss back in place
  EXPECT_EQ(quads[1].V[0].Color, 0xCCFFFFFFu);   // alpha R(0.8 x 255) = 204

  f.Font->Style = feEmboss | feBold;
  quads = f.Draw("A", 0xFF000000, 0xFF000000, 100, 100);
  ASSERT_EQ(quads.size(), 6u);
  EXPECT_EQ(quads[5].V[0].Color, 0x85FFFFFFu);  // R(0.8 x 255 x 0.65) = 133
}

TEST(FontList, NamesOwnersAndUnloadedFonts) {
  FontRig f;
  EXPECT_EQ(f.Rig.Fonts.Items(0)->Name, "Font00");
  TCanopyFont* second = f.Rig.Fonts.Add();
  EXPECT_EQ(second->Name, "Font01");
  EXPECT_EQ(f.Rig.Fonts.Find("FONT01"), second);
  EXPECT_EQ(f.Rig.Fonts.Items(2), nullptr);
  // An unloaded font draws nothing.
  f.Rec->Draws.clear();
  second->TextOut("AB", 0xFFFFFFFF, 0, 0);
  f.Rig.Canvas.Flush();
  EXPECT_TRUE(f.Rec->Draws.empty());

  f.Rig.Fonts.Canvas = nullptr;
  try {
    f.Font->TextOut("A", 0xFFFFFFFF, 0, 0);
    FAIL() << "no exception";
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "TCanopyFont: Unassigned Owner.Canvas property.");
  }
  TCanopyFont orphan(nullptr);
  orphan.Image().SetRenderer(&f.Rig.BackEnd());
  ASSERT_TRUE(orphan.LoadFromRecord(BlockFont(32, 2, 4, 4, 4)));
  EXPECT_THROW(orphan.TextOut("A", 0xFFFFFFFF, 0, 0), std::logic_error);
}

TEST(FontList, LoadFromArchiveKeepsAFailedFontAndStops) {
  FontRig f;
  f.Rig.Fonts.RemoveAll();
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "gw-font-test";
  std::filesystem::remove_all(dir);
  TCPDbWriter writer;
  writer.Add("small", kRecordFont, EncodeFontRecord(BlockFont(32, 64, 6, 8, 7)), false);
  writer.Add("picture.image", kRecordImage, EncodeImageRecord(SolidRecord(2, 2, 0xFFFFFFFF)), false);
  std::vector<uint8_t> broken = EncodeFontRecord(BlockFont(32, 64, 6, 8, 7));
  broken.resize(40);
  writer.Add("broken", kRecordFont, broken, false);
  writer.Add("never", kRecordFont, EncodeFontRecord(BlockFont(32, 64, 6, 8, 7)), false);
  ASSERT_TRUE(writer.Save((dir / "fonts.CPDB").string()));
  TCPDb archive;
  archive.SetFileName((dir / "fonts.CPDB").string());
  archive.OpenMode = TCPDb::opReadOnly;
  std::vector<int> indexes;
  f.Rig.Fonts.OnCPDbLoad = [&](TCanopyFonts&, const std::string& key, int index, bool&, std::string& name) {
    indexes.push_back(index);
    if (key == "small") name = "Small";
  };
  EXPECT_FALSE(f.Rig.Fonts.LoadFromCPDb(archive));
  EXPECT_EQ(indexes, (std::vector<int>{0, 1}));
  ASSERT_EQ(f.Rig.Fonts.Count(), 2);
  EXPECT_EQ(f.Rig.Fonts.Items(0)->Name, "Small");
  EXPECT_TRUE(f.Rig.Fonts.Items(0)->Loaded());
  EXPECT_FALSE(f.Rig.Fonts.Items(1)->Loaded());
  std::filesystem::remove_all(dir);
}

TEST(FontPixels, ATextLineLandsInItsColours) {
  RenderRig rig;
  TCanopyFont* font = rig.AddFont(BlockFont('A', 26, 4, 6, 6));
  rig.Frame(0xFF000000, [&] { font->TextOutEx("AB", 0xFF0000FF, 10, 20, 0xFFFF0000, kBlendAlpha); });
  auto red = [&](int x, int y) { return (rig.Pixel(x, y) >> 16) & 0xFF; };
  auto blue = [&](int x, int y) { return rig.Pixel(x, y) & 0xFF; };
  // Red at the top, turning blue towards the bottom.
  for (int x : {10, 13, 16, 19}) {
    EXPECT_GT(red(x, 20), 0xC0u) << x;
    EXPECT_LT(blue(x, 20), 0x40u) << x;
    EXPECT_LT(red(x, 25), 0x40u) << x;
    EXPECT_GT(blue(x, 25), 0xC0u) << x;
  }
  EXPECT_EQ(rig.Pixel(14, 20), 0xFF000000u);  // the gap between A and B
  EXPECT_EQ(rig.Pixel(10, 26), 0xFF000000u);
  EXPECT_EQ(rig.Pixel(20, 20), 0xFF000000u);
}
