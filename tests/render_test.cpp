// The canvas's batching and geometry (through a recording back end), pattern
// arithmetic, the image list, and pixel probes on the headless SDL renderer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "engine/archive/CPDb.h"
#include "engine/archive/CPDbWriter.h"
#include "engine/render/ImageFile.h"
#include "platform/SdlRenderer.h"
#include "support/RenderFixtures.h"

using namespace render_test;

namespace {

std::unique_ptr<RecordingRenderer> Recorder(RecordingRenderer*& raw) {
  auto r = std::make_unique<RecordingRenderer>();
  raw = r.get();
  return r;
}

uint32_t White(int, int, int) { return 0xFFFFFFFFu; }

// Runs one scene on the rig's device.
template <typename Draw>
void Scene(RenderRig& rig, Draw draw) {
  rig.Device.OnRender = [&](TCanopyDevice&) { draw(); };
  rig.Device.Render(0, true);
}

}  // namespace

TEST(RenderCanvas, VertexCacheIsRoundedUpToFourAndClamped) {
  TCanopyCanvas canvas;
  const std::pair<int, int> cases[] = {{1000, 1000}, {1001, 1004}, {100, 512}, {100000, 65536},
                                       {-5, 512},    {65535, 65536}, {4096, 4096}};
  for (auto [in, out] : cases) {
    canvas.SetVertexCache(in);
    EXPECT_EQ(canvas.VertexCache(), out) << in;
  }
  // Fixed once the device exists.
  RecordingRenderer* rec;
  RenderRig rig(Recorder(rec));
  rig.Canvas.SetVertexCache(1000);
  EXPECT_EQ(rig.Canvas.VertexCache(), 4096);
}

TEST(RenderCanvas, TexturedQuadIsShiftedHalfAPixelAndIndexedAsTwoTriangles) {
  RecordingRenderer* rec;
  RenderRig rig(Recorder(rec));
  TCanopyImage* img = rig.AddImage("a", MakeRecord(64, 64, 1, 32, 32, 32, 32, White));
  Scene(rig, [&] {
    rig.Canvas.Draw(img, 0, 10, 20, kBlendAlpha);
    EXPECT_EQ(rig.Canvas.QueuedVertices(), 4);
    EXPECT_EQ(rig.Canvas.QueuedIndices(), 6);
    EXPECT_EQ(rig.Canvas.QueuedPrimitives(), 2);
    rig.Canvas.FillRect(0, 0, 5, 5, 0xFF0000FF, kBlendAlpha);
  });
  ASSERT_EQ(rec->Draws.size(), 2u);
  const RecordedDraw& quad = rec->Draws[0];
  EXPECT_EQ(quad.Texture, img->Texture(0));
  EXPECT_EQ(quad.Effect, kBlendAlpha);
  ASSERT_EQ(quad.Vertices.size(), 4u);
  EXPECT_FLOAT_EQ(quad.Vertices[0].X, 9.5f);
  EXPECT_FLOAT_EQ(quad.Vertices[0].Y, 19.5f);
  EXPECT_FLOAT_EQ(quad.Vertices[2].X, 41.5f);
  EXPECT_FLOAT_EQ(quad.Vertices[2].Y, 51.5f);
  EXPECT_EQ(quad.Indices, (std::vector<int>{0, 1, 3, 1, 2, 3}));
  // Untextured primitives keep their coordinates.
  const RecordedDraw& fill = rec->Draws[1];
  EXPECT_EQ(fill.Texture, 0u);
  EXPECT_FLOAT_EQ(fill.Vertices[0].X, 0.0f);
  EXPECT_FLOAT_EQ(fill.Vertices[2].X, 5.0f);
  EXPECT_EQ(fill.Vertices[0].Color, 0xFF0000FFu);
}

TEST(RenderCanvas, NonWhiteCornersSwitchToModulate) {
  RecordingRenderer* rec;
  RenderRig rig(Recorder(rec));
  TCanopyImage* img = rig.AddImage("a", MakeRecord(32, 32, 1, 32, 32, 32, 32, White));
  const TQuad q = QuadFromRect(0, 0, 32, 32);
  Scene(rig, [&] {
    rig.Canvas.TexMap(img, q, Color4(0xFFFFFFFF), TPatternRec{}, kBlendAlpha);
    rig.Canvas.TexMap(img, q, {0xFFFFFFFF, 0xFEFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}, TPatternRec{}, kBlendAlpha);
  });
  ASSERT_EQ(rec->Draws.size(), 2u);  // the effect changed, so two batches
  EXPECT_EQ(rec->Draws[0].Effect, kBlendAlpha);
  EXPECT_EQ(rec->Draws[1].Effect, kBlendAlpha | kEffectModulate);
}

TEST(RenderCanvas, BatchesBreakOnEffectTextureKindAndFullCache) {
  RecordingRenderer* rec;
  RenderRig rig(Recorder(rec));
  TCanopyImage* a = rig.AddImage("a", MakeRecord(32, 32, 1, 32, 32, 32, 32, White));
  TCanopyImage* b = rig.AddImage("b", MakeRecord(32, 32, 1, 32, 32, 32, 32, White));
  Scene(rig, [&] {
    for (int i = 0; i < 10; ++i) rig.Canvas.Draw(a, 0, i, 0, kBlendAlpha);  // one run
    rig.Canvas.Draw(a, 0, 0, 0, kBlendAdditive);                            // effect
    rig.Canvas.Draw(b, 0, 0, 0, kBlendAdditive);                            // texture
    rig.Canvas.Line({0, 0}, {5, 5}, 0xFFFFFFFF, 0xFFFFFFFF, kBlendAdditive);  // kind
    rig.Canvas.Point({1, 1}, 0xFFFFFFFF, kBlendAdditive);                   // kind
  });
  ASSERT_EQ(rec->Draws.size(), 5u);
  EXPECT_EQ(rec->Draws[0].Vertices.size(), 40u);
  EXPECT_EQ(rec->Draws[0].Indices.size(), 60u);
  EXPECT_EQ(rec->Draws[1].Effect, kBlendAdditive);
  EXPECT_EQ(rec->Draws[2].Texture, b->Texture(0));
  EXPECT_EQ(rec->Draws[3].What, RecordedDraw::Lines);
  EXPECT_EQ(rec->Draws[4].What, RecordedDraw::Points);
  EXPECT_EQ(rig.Canvas.BatchCount(), 5);
  EXPECT_EQ(rig.Canvas.CacheStalls(), 0);
}

TEST(RenderCanvas, FullCacheFlushesBeforeOverflowing) {
  RecordingRenderer* rec;
  auto backEnd = Recorder(rec);
  TCanopyDevice device(backEnd.get());
  TCanopyCanvas canvas;
  canvas.SetVertexCache(512);
  canvas.SetPublisher(&device);
  ASSERT_TRUE(device.Initialize());
  device.OnRender = [&](TCanopyDevice&) {
    // 86 quads use 344 vertices and 516 indices: the 86th does not fit the
    // 512 indices, so it starts the second batch.
    for (int i = 0; i < 86; ++i) canvas.FillRect(0, 0, 1, 1, 0xFFFFFFFF, kBlendAlpha);
  };
  device.Render(0, true);
  ASSERT_EQ(rec->Draws.size(), 2u);
  EXPECT_EQ(rec->Draws[0].Indices.size(), 510u);
  EXPECT_EQ(rec->Draws[1].Indices.size(), 6u);
  // Indices restart at the first vertex of each batch.
  EXPECT_EQ(rec->Draws[1].Indices[0], 0);
  EXPECT_EQ(canvas.CacheStalls(), 1);
  device.Finalize();
}

TEST(RenderCanvas, NothingOutlivesTheSceneOrALostDevice) {
  RecordingRenderer* rec;
  RenderRig rig(Recorder(rec));
  Scene(rig, [&] { rig.Canvas.FillRect(0, 0, 10, 10, 0xFFFFFFFF, kBlendAlpha); });
  EXPECT_EQ(rec->Draws.size(), 1u);  // the end of the scene flushed it
  EXPECT_EQ(rig.Canvas.QueuedVertices(), 0);

  rig.Canvas.FillRect(0, 0, 10, 10, 0xFFFFFFFF, kBlendAlpha);
  rig.Device.NotifyRenderTargetsReset();
  EXPECT_EQ(rig.Canvas.QueuedVertices(), 0);
  rig.Canvas.Flush();
  EXPECT_EQ(rec->Draws.size(), 1u);  // dropped, not drawn
}

TEST(RenderCanvas, FrameQuadPullsInTheRightAndBottomEdgesOfRectangles) {
  RecordingRenderer* rec;
  RenderRig rig(Recorder(rec));
  const TColor4 colors{1, 2, 3, 4};
  Scene(rig, [&] {
    rig.Canvas.FrameQuad(QuadFromRect(10, 20, 30, 40), colors, kBlendAlpha);
    rig.Canvas.Flush();
    rig.Canvas.FrameQuad({TPoint2{10, 10}, TPoint2{20, 12}, TPoint2{20, 20}, TPoint2{10, 20}}, colors,
                         kBlendAlpha);
  });
  ASSERT_EQ(rec->Draws.size(), 2u);
  const auto& v = rec->Draws[0].Vertices;
  ASSERT_EQ(v.size(), 8u);
  // Corner i to corner i + 1, each end in its corner's colour.
  EXPECT_EQ(v[0].X, 10);
  EXPECT_EQ(v[1].X, 29);
  EXPECT_EQ(v[3].Y, 39);
  EXPECT_EQ(v[4].X, 29);
  EXPECT_EQ(v[5].X, 10);
  EXPECT_EQ(v[7].Y, 20);
  EXPECT_EQ(v[0].Color, 1u);
  EXPECT_EQ(v[1].Color, 2u);
  EXPECT_EQ(v[7].Color, 1u);
  // Not a rectangle: corners untouched.
  EXPECT_EQ(rec->Draws[1].Vertices[1].X, 20);
  EXPECT_EQ(rec->Draws[1].Vertices[3].Y, 20);
}

TEST(RenderCanvas, ClipRectIsClampedAndSentToTheBackEnd) {
  RecordingRenderer* rec;
  RenderRig rig(Recorder(rec));
  const TRect full = rig.Canvas.GetClipRect();
  EXPECT_EQ(full.Right, 800);
  EXPECT_EQ(full.Bottom, 600);
  rig.Canvas.FillRect(0, 0, 10, 10, 0xFFFFFFFF, kBlendAlpha);
  rig.Canvas.SetClipRect(TRect{-20, 100, 900, 150});
  EXPECT_EQ(rec->Draws.size(), 1u);  // flushed before the clip changed
  const TRect r = rig.Canvas.GetClipRect();
  EXPECT_EQ(r.Left, 0);
  EXPECT_EQ(r.Right, 800);
  EXPECT_EQ(rec->Clip.Y, 100);
  EXPECT_EQ(rec->Clip.H, 50);
}

TEST(RenderPatterns, CellsTexturesAndClamping) {
  RecordingRenderer* rec;
  RenderRig rig(Recorder(rec));
  // 5 x 4 patterns of 32 x 32 per 160 x 128 texture, two textures.
  TCanopyImage* img = rig.AddImage("grid", MakeRecord(160, 128, 2, 32, 32, 32, 32, White));
  EXPECT_EQ(img->PatternsPerRow(), 5);
  EXPECT_EQ(img->PatternsPerColumn(), 4);
  EXPECT_EQ(img->PatternCount, 40);
  int tex = -1;
  float u[4], v[4];
  auto coords = [&](int pattern) {
    TPatternRec rec;
    rec.Index = pattern;
    EXPECT_TRUE(img->PatternCoords(rec, tex, u, v));
  };
  coords(12);
  EXPECT_EQ(tex, 0);
  EXPECT_FLOAT_EQ(u[0], 64.0f / 160);  // column 2
  EXPECT_FLOAT_EQ(v[0], 64.0f / 128);  // row 2
  EXPECT_FLOAT_EQ(u[1], 96.0f / 160);
  EXPECT_FLOAT_EQ(v[2], 96.0f / 128);
  coords(25);
  EXPECT_EQ(tex, 1);
  EXPECT_FLOAT_EQ(u[0], 0.0f);  // cell 5: column 0, row 1
  EXPECT_FLOAT_EQ(v[0], 32.0f / 128);
  coords(1000);  // past the end: the last pattern
  EXPECT_EQ(tex, 1);
  EXPECT_FLOAT_EQ(u[0], 128.0f / 160);
  EXPECT_FLOAT_EQ(v[0], 96.0f / 128);
  coords(-3);
  EXPECT_EQ(tex, 0);
  EXPECT_FLOAT_EQ(u[0], 0.0f);
}

TEST(RenderPatterns, VisiblePartSubRectangleMirrorAndFlip) {
  RecordingRenderer* recorder;
  RenderRig rig(Recorder(recorder));
  // 32 x 32 cells with a 30 x 20 visible part: offset (1, 6).
  TCanopyImage* img = rig.AddImage("v", MakeRecord(64, 64, 1, 32, 32, 30, 20, White));
  int tex;
  float u[4], v[4];
  TPatternRec rec;
  rec.Index = 1;
  ASSERT_TRUE(img->PatternCoords(rec, tex, u, v));
  EXPECT_FLOAT_EQ(u[0], 33.0f / 64);
  EXPECT_FLOAT_EQ(u[1], 63.0f / 64);
  EXPECT_FLOAT_EQ(v[0], 6.0f / 64);
  EXPECT_FLOAT_EQ(v[3], 26.0f / 64);
  rec.Left = 2;
  rec.Top = 3;
  rec.Width = 4;
  rec.Height = 5;
  ASSERT_TRUE(img->PatternCoords(rec, tex, u, v));
  EXPECT_FLOAT_EQ(u[0], 35.0f / 64);
  EXPECT_FLOAT_EQ(u[1], 39.0f / 64);
  EXPECT_FLOAT_EQ(v[0], 9.0f / 64);
  EXPECT_FLOAT_EQ(v[3], 14.0f / 64);
  // Mirror and Flip together turn the pattern by 180 degrees: each corner
  // takes the coordinates of the opposite one.
  float u0[4], v0[4];
  rec = TPatternRec{};
  ASSERT_TRUE(img->PatternCoords(rec, tex, u0, v0));
  rec.Mirror = rec.Flip = true;
  ASSERT_TRUE(img->PatternCoords(rec, tex, u, v));
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(u[i], u0[(i + 2) % 4]);
    EXPECT_FLOAT_EQ(v[i], v0[(i + 2) % 4]);
  }
}

TEST(RenderPatterns, LayoutDefaultsAndRefusals) {
  RecordingRenderer* rec;
  RenderRig rig(Recorder(rec));
  TCanopyImage* img = rig.Images.Add();
  // Zero sizes take the texture's; zero count: every cell.
  ASSERT_TRUE(img->LoadFromRecord(MakeRecord(64, 32, 3, 0, 0, 0, 0, White)));
  EXPECT_EQ(img->PatternSize.W, 64);
  EXPECT_EQ(img->VisibleSize.H, 32);
  EXPECT_EQ(img->PatternCount, 3);
  // A texture smaller than a pattern, a pattern smaller than its visible part.
  EXPECT_FALSE(img->LoadFromRecord(MakeRecord(32, 32, 1, 64, 32, 32, 32, White)));
  EXPECT_FALSE(img->Ready());
  EXPECT_FALSE(img->LoadFromRecord(MakeRecord(32, 32, 1, 16, 16, 20, 16, White)));
  EXPECT_NE(img->LastError().find("visible"), std::string::npos);
  // Sizes far past any texture fail before anything is allocated, even when
  // there is no texture to fill; an empty record of sane size loads empty.
  TImageRecord none;
  none.TextureWidth = none.TextureHeight = 100000;
  EXPECT_FALSE(img->LoadFromRecord(none));
  none.TextureWidth = none.TextureHeight = 16;
  EXPECT_TRUE(img->LoadFromRecord(none));
  EXPECT_EQ(img->TextureCount(), 0);
  EXPECT_EQ(rig.Canvas.QueuedVertices(), 0);
  rig.Canvas.Draw(img, 0, 0, 0, kBlendAlpha);
  EXPECT_EQ(rig.Canvas.QueuedVertices(), 0);
  // More patterns claimed than the textures hold: those beyond draw nothing.
  ASSERT_TRUE(img->LoadFromRecord(MakeRecord(32, 32, 1, 16, 16, 16, 16, White, 9)));
  int tex;
  float u[4], v[4];
  TPatternRec p;
  p.Index = 3;
  EXPECT_TRUE(img->PatternCoords(p, tex, u, v));
  p.Index = 4;
  EXPECT_FALSE(img->PatternCoords(p, tex, u, v));
}

TEST(RenderImages, NamesAreFoundIgnoringCaseFirstMatchFirst) {
  RecordingRenderer* rec;
  RenderRig rig(Recorder(rec));
  rig.Images.Add()->Name = "Red.Image";
  rig.Images.Add()->Name = "gota.image";
  rig.Images.Add()->Name = "RED.IMAGE";
  EXPECT_EQ(rig.Images.IndexOf("red.image"), 0);
  EXPECT_EQ(rig.Images.IndexOf("GOTA.image"), 1);
  EXPECT_EQ(rig.Images.IndexOf("gota"), -1);
  EXPECT_EQ(rig.Images.Find("rEd.ImAgE"), rig.Images.Items(0));
  EXPECT_EQ(rig.Images.Find("missing"), nullptr);
  EXPECT_EQ(rig.Images.Items(3), nullptr);
  EXPECT_EQ(rig.Images.Items(-1), nullptr);
  rig.Images.Remove(7);
  EXPECT_EQ(rig.Images.Count(), 3);
  rig.Images.Remove(0);
  EXPECT_EQ(rig.Images.IndexOf("red.image"), 1);
  // Drawing a missing image is skipped.
  rig.Canvas.Draw(rig.Images.Find("missing"), 0, 0, 0, kBlendAlpha);
  EXPECT_EQ(rig.Canvas.QueuedVertices(), 0);
}

TEST(RenderImages, TexturesTooLargeForTheBackEndFailClearly) {
  struct Small : RecordingRenderer {
    int MaxTextureSize() const override { return 256; }
  };
  RenderRig rig(std::make_unique<Small>());
  TCanopyImage* img = rig.Images.Add();
  EXPECT_FALSE(img->LoadFromRecord(MakeRecord(512, 16, 1, 16, 16, 16, 16, White)));
  EXPECT_NE(img->LastError().find("larger than the renderer allows"), std::string::npos);
  EXPECT_TRUE(img->LoadFromRecord(MakeRecord(256, 16, 1, 16, 16, 16, 16, White)));
}

TEST(RenderImages, BitmapsPadToThePatternAndSplitIntoTextures) {
  RecordingRenderer* rec;
  RenderRig rig(Recorder(rec));
  TBitmap32 screen{800, 600, std::vector<uint32_t>(800 * 600, 0xFF123456)};
  TCanopyImage* bg = rig.Images.Add();
  bg->TextureSize = {800, 600};
  bg->PatternSize = bg->VisibleSize = {1024, 1024};
  ASSERT_TRUE(bg->LoadFromBitmap(screen)) << bg->LastError();
  EXPECT_EQ(bg->TextureSize.W, 1024);
  EXPECT_EQ(bg->TextureCount(), 1);

  TCanopyImage* tiles = rig.Images.Add();
  tiles->TextureSize = {256, 256};
  tiles->PatternSize = tiles->VisibleSize = {256, 256};
  ASSERT_TRUE(tiles->LoadFromBitmap(screen));
  EXPECT_EQ(tiles->TextureCount(), 12);  // 4 columns x 3 rows
  EXPECT_EQ(tiles->PatternCount, 12);
}

TEST(RenderImages, FinalizingTheDeviceFreesEveryTexture) {
  RecordingRenderer* rec;
  RenderRig rig(Recorder(rec));
  rig.AddImage("a", MakeRecord(32, 32, 3, 32, 32, 32, 32, White));
  rig.Device.Finalize();
  EXPECT_EQ(rig.Images.Count(), 0);
  EXPECT_EQ(rec->Destroyed, 3);
}

namespace {

// An archive in a fresh temporary folder, removed with the object.
struct TempArchive {
  TempArchive() {
    char pattern[] = "/tmp/gw-render-XXXXXX";
    Folder = mkdtemp(pattern);
    Path = Folder + "/test.CPDB";
  }
  ~TempArchive() {
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
  }
  bool Save(TCPDbWriter& w) { return w.Save(Path); }
  std::string Folder, Path;
};

}  // namespace

TEST(RenderImages, LoadFromArchiveAsksTheEventAndStopsAtABadRecord) {
  RecordingRenderer* rec;
  RenderRig rig(Recorder(rec));
  TempArchive tmp;
  TCPDbWriter writer;
  writer.Add("one.image", kRecordImage, EncodeImageRecord(SolidRecord(8, 8, 0xFFFFFFFF)), false);
  writer.Add("font", kRecordFont, EncodeFontRecord(BlockFont(32, 2, 4, 4, 4)), false);
  writer.Add("skip.image", kRecordImage, EncodeImageRecord(SolidRecord(8, 8, 0xFFFFFFFF)), false);
  writer.Add("two.image", kRecordImage, EncodeImageRecord(SolidRecord(4, 4, 0xFFFFFFFF)), false);
  ASSERT_TRUE(tmp.Save(writer));

  TCPDb archive;
  archive.SetFileName(tmp.Path);
  archive.OpenMode = TCPDb::opReadOnly;
  std::vector<std::pair<std::string, int>> asked;
  rig.Images.OnCPDbLoad = [&](TCanopyImages&, const std::string& key, int index, bool& accept, std::string& name,
                              TCanopyQuality&, TAlphaLevel& alpha) {
    asked.emplace_back(key, index);
    if (key == "skip.image") accept = false;
    if (key == "two.image") {
      name = "renamed";
      alpha = alNone;
    }
  };
  ASSERT_TRUE(rig.Images.LoadFromCPDb(archive));
  ASSERT_EQ(asked.size(), 3u);  // image records only
  EXPECT_EQ(asked[2], std::make_pair(std::string("two.image"), 1));
  ASSERT_EQ(rig.Images.Count(), 2);
  EXPECT_EQ(rig.Images.Items(1)->Name, "renamed");
  EXPECT_EQ(rig.Images.Items(1)->AlphaLevel, alNone);
  EXPECT_FALSE(rig.Images.LoadImage("font", archive, aqHigh, alFull));  // wrong type
  EXPECT_FALSE(rig.Images.LoadImage("absent", archive, aqHigh, alFull));
  EXPECT_EQ(rig.Images.Count(), 2);

  // A record that does not parse stops the loading and leaves no image behind.
  TempArchive bad;
  TCPDbWriter badWriter;
  auto cut = EncodeImageRecord(SolidRecord(8, 8, 0xFFFFFFFF));
  cut.resize(cut.size() - 1);
  badWriter.Add("good.image", kRecordImage, EncodeImageRecord(SolidRecord(2, 2, 0xFFFFFFFF)), false);
  badWriter.Add("cut.image", kRecordImage, cut, false);
  badWriter.Add("after.image", kRecordImage, EncodeImageRecord(SolidRecord(2, 2, 0xFFFFFFFF)), false);
  ASSERT_TRUE(bad.Save(badWriter));
  TCPDb badArchive;
  badArchive.SetFileName(bad.Path);
  badArchive.OpenMode = TCPDb::opReadOnly;
  rig.Images.OnCPDbLoad = nullptr;
  rig.Images.RemoveAll();
  EXPECT_FALSE(rig.Images.LoadFromCPDb(badArchive));
  EXPECT_EQ(rig.Images.Count(), 1);
  EXPECT_NE(rig.Images.LastError().find("cut.image"), std::string::npos);
}

TEST(RenderImages, LoadBitmapStacksTexturesOrDecodesPictureFiles) {
  TempArchive tmp;
  TCPDbWriter writer;
  TImageRecord two = MakeRecord(2, 2, 2, 2, 2, 2, 2, [](int t, int x, int y) {
    return 0xFF000000u | static_cast<uint32_t>(t << 16 | y << 8 | x);
  });
  writer.Add("stack.image", kRecordImage, EncodeImageRecord(two), false);
  TBitmap32 pic{3, 1, {0xFFFF0000, 0x8000FF00, 0x000000FF}};
  std::vector<uint8_t> png;
  ASSERT_TRUE(EncodeImageFile("x.png", pic, png));
  writer.Add("Pic.PNG", 7, png, false);
  ASSERT_TRUE(tmp.Save(writer));
  TCPDb archive;
  archive.SetFileName(tmp.Path);
  archive.OpenMode = TCPDb::opReadOnly;

  TBitmap32 out;
  ASSERT_TRUE(LoadBitmap("stack.image", out, archive));
  EXPECT_EQ(out.Width, 2);
  EXPECT_EQ(out.Height, 4);
  EXPECT_EQ(out.Pixels[3 * 2 + 1], 0xFF010101u);  // texture 1, row 1, column 1
  ASSERT_TRUE(LoadBitmap("pic.png", out, archive));
  EXPECT_EQ(out.Pixels, pic.Pixels);
  EXPECT_FALSE(LoadBitmap("nothing.jpg", out, archive));
}

// ---------------------------------------------------------------- pixels

TEST(RenderPixels, OpaqueBlendedAdditiveAndTintedDraws) {
  RenderRig rig;
  TCanopyImage* solid = rig.AddImage("solid", SolidRecord(4, 4, 0xFF336699));
  TCanopyImage* half = rig.AddImage("half", SolidRecord(4, 4, 0x80FF0000));
  TCanopyImage* glow = rig.AddImage("glow", SolidRecord(4, 4, 0xFF102030));
  TCanopyImage* clear = rig.AddImage("clear", SolidRecord(4, 4, 0x0000FF00));
  TCanopyImage* white = rig.AddImage("white", SolidRecord(4, 4, 0xFFFFFFFF));
  // The clear colour is in the game's order: 0xFF404040 is grey either way.
  rig.Frame(0xFF404040, [&] {
    rig.Canvas.Draw(solid, 0, 10, 10, kBlendOpaque);
    rig.Canvas.Draw(half, 0, 20, 10, kBlendAlpha);
    rig.Canvas.Draw(glow, 0, 30, 10, kBlendAdditive);
    rig.Canvas.Draw(clear, 0, 40, 10, kBlendOpaque);  // blending off: copied as is
    rig.Canvas.Draw(clear, 0, 50, 10, kBlendAlpha);   // fully transparent: skipped
    rig.Canvas.DrawColored(white, 0xFF0000FF, 60, 10, 0, kBlendAlpha);  // opaque red, game order
    rig.Canvas.DrawColored(white, 0xFF808080, 70, 10, 0, kBlendAlpha);
  });
  EXPECT_EQ(rig.Pixel(10, 10), 0xFF336699u);
  EXPECT_EQ(rig.Pixel(13, 13), 0xFF336699u);
  EXPECT_EQ(rig.Pixel(14, 13), 0xFF404040u);
  EXPECT_EQ(rig.Pixel(9, 10), 0xFF404040u);
  const uint32_t blended = rig.Pixel(21, 11);
  EXPECT_NEAR((blended >> 16) & 0xFF, 0x40 + (0xFF - 0x40) / 2, 2);
  EXPECT_NEAR(blended & 0xFF, 0x20, 2);
  EXPECT_EQ(rig.Pixel(31, 11), 0xFF506070u);
  EXPECT_EQ(rig.Pixel(41, 11), 0xFF00FF00u);
  EXPECT_EQ(rig.Pixel(51, 11), 0xFF404040u);
  EXPECT_EQ(rig.Pixel(61, 11), 0xFFFF0000u);
  EXPECT_NEAR(rig.Pixel(71, 11) & 0xFF, 0x80, 1);
}

TEST(RenderPixels, AlphaLevelsAndStretching) {
  RenderRig rig;
  TCanopyImage* none = rig.AddImage("none", SolidRecord(2, 2, 0x40FF0000), alNone);
  TCanopyImage* maskOn = rig.AddImage("on", SolidRecord(2, 2, 0x90FF0000), alMask);
  TCanopyImage* maskOff = rig.AddImage("off", SolidRecord(2, 2, 0x70FF0000), alMask);
  TCanopyImage* exclusive = rig.AddImage("ex", SolidRecord(2, 2, 0xFF123456), alExclusive);
  TCanopyImage* solid = rig.AddImage("solid", SolidRecord(2, 2, 0xFF00FF00));
  rig.Frame(0xFF000000, [&] {
    rig.Canvas.Draw(none, 0, 10, 10, kBlendAlpha);
    rig.Canvas.Draw(maskOn, 0, 20, 10, kBlendAlpha);
    rig.Canvas.Draw(maskOff, 0, 30, 10, kBlendAlpha);
    rig.Canvas.DrawColored(exclusive, 0xFFFF0000, 40, 10, 0, kBlendAlpha);  // blue, game order
    rig.Canvas.StretchDraw(solid, TRect{100, 10, 108, 14}, 0, kBlendOpaque);
  });
  EXPECT_EQ(rig.Pixel(10, 10), 0xFFFF0000u);  // alpha forced opaque
  EXPECT_EQ(rig.Pixel(20, 10), 0xFFFF0000u);  // above half: opaque
  EXPECT_EQ(rig.Pixel(30, 10), 0xFF000000u);  // below half: clear
  EXPECT_EQ(rig.Pixel(40, 10), 0xFF0000FFu);  // only alpha kept, tinted by the vertex colour
  EXPECT_EQ(rig.Pixel(100, 10), 0xFF00FF00u);
  EXPECT_EQ(rig.Pixel(107, 13), 0xFF00FF00u);
  EXPECT_EQ(rig.Pixel(108, 13), 0xFF000000u);
  EXPECT_EQ(rig.Pixel(107, 14), 0xFF000000u);
}

TEST(RenderPixels, ClippedFillsPointsLinesAndFrames) {
  RenderRig rig;
  rig.Frame(0xFF000000, [&] {
    rig.Canvas.SetClipRect(TRect{100, 100, 110, 110});
    rig.Canvas.FillRect(0, 0, 800, 600, 0xFF00FF00, kBlendOpaque);
    rig.Canvas.SetClipRect(TRect{0, 0, 800, 600});
    rig.Canvas.FrameQuad(QuadFromRect(200, 200, 210, 205), Color4(0xFFFFFFFF), kBlendAlpha);
    rig.Canvas.Point({300, 300}, 0xFF0000FF, kBlendAlpha);
  });
  EXPECT_EQ(rig.Pixel(100, 100), 0xFF00FF00u);
  EXPECT_EQ(rig.Pixel(109, 109), 0xFF00FF00u);
  EXPECT_EQ(rig.Pixel(110, 109), 0xFF000000u);
  EXPECT_EQ(rig.Pixel(99, 100), 0xFF000000u);
  // The frame outlines exactly the pixels a fill of the rectangle covers.
  for (int x = 200; x < 210; ++x) {
    EXPECT_EQ(rig.Pixel(x, 200), 0xFFFFFFFFu) << x;
    EXPECT_EQ(rig.Pixel(x, 204), 0xFFFFFFFFu) << x;
    EXPECT_EQ(rig.Pixel(x, 205), 0xFF000000u) << x;
  }
  for (int y = 200; y < 205; ++y) {
    EXPECT_EQ(rig.Pixel(200, y), 0xFFFFFFFFu) << y;
    EXPECT_EQ(rig.Pixel(209, y), 0xFFFFFFFFu) << y;
    EXPECT_EQ(rig.Pixel(210, y), 0xFF000000u) << y;
  }
  EXPECT_EQ(rig.Pixel(205, 202), 0xFF000000u);
  EXPECT_EQ(rig.Pixel(300, 300), 0xFFFF0000u);
  EXPECT_EQ(rig.Pixel(301, 300), 0xFF000000u);
}

TEST(RenderPixels, PatternsLandTexelForTexelAndTurnWithMirrorAndFlip) {
  RenderRig rig;
  // Two 4 x 4 patterns side by side; texel value encodes pattern, x and y.
  TCanopyImage* img = rig.AddImage("p", MakeRecord(8, 4, 1, 4, 4, 4, 4, [](int, int x, int y) {
    return 0xFF000000u | static_cast<uint32_t>((x / 4) << 16 | (x % 4) << 8 | y);
  }));
  TPatternRec turned;
  turned.Index = 1;
  turned.Mirror = turned.Flip = true;
  rig.Frame(0, [&] {
    rig.Canvas.Draw(img, 1, 10, 10, kBlendOpaque);
    rig.Canvas.TexMap(img, QuadFromRect(20, 10, 24, 14), Color4(0xFFFFFFFF), turned, kBlendOpaque);
    rig.Canvas.Draw(img, 0, -2, 30, kBlendOpaque);  // partly off the left edge
  });
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(rig.Pixel(10 + x, 10 + y), 0xFF010000u | static_cast<uint32_t>(x << 8 | y)) << x << "," << y;
      EXPECT_EQ(rig.Pixel(20 + x, 10 + y), 0xFF010000u | static_cast<uint32_t>((3 - x) << 8 | (3 - y)));
    }
  }
  EXPECT_EQ(rig.Pixel(0, 30), 0xFF000200u);
  EXPECT_EQ(rig.Pixel(1, 31), 0xFF000301u);
}

TEST(RenderPixels, AFrameIsTheSameEveryRun) {
  auto draw = [](RenderRig& rig) {
    TCanopyImage* img = rig.AddImage("p", MakeRecord(16, 16, 1, 16, 16, 16, 16, [](int, int x, int y) {
      return 0x80000000u | static_cast<uint32_t>(x * 16 << 16 | y * 16 << 8 | 0x40);
    }));
    rig.Frame(0xFF102030, [&] {
      for (int i = 0; i < 50; ++i) {
        rig.Canvas.TexMap(img, {TPoint2{10.f + i, 5.f}, TPoint2{60.f + i, 20.f}, TPoint2{40.f + i, 70.f},
                                TPoint2{5.f, 50.f + i}},
                          {0xFFFFFFFF, 0x80FF00FF, 0xFF00FFFF, 0xFFFFFF00}, TPatternRec{}, kBlendAlpha);
        rig.Canvas.FillTriangle(0x4000FF00, kBlendAdditive, {100.f + i, 100}, {200, 150.f + i}, {120, 250});
      }
    });
    return rig.Pixels;
  };
  RenderRig a, b;
  EXPECT_EQ(draw(a), draw(b));
}

TEST(RenderPlatform, LetterboxKeepsTheShapeAndCentres) {
  const SDL_Rect same = plat::LetterboxRect(800, 600, 800, 600);
  EXPECT_EQ(same.x, 0);
  EXPECT_EQ(same.w, 800);
  const SDL_Rect wide = plat::LetterboxRect(1920, 1080, 800, 600);
  EXPECT_EQ(wide.h, 1080);
  EXPECT_EQ(wide.w, 1440);
  EXPECT_EQ(wide.x, 240);
  EXPECT_EQ(wide.y, 0);
  const SDL_Rect tall = plat::LetterboxRect(800, 1000, 800, 600);
  EXPECT_EQ(tall.w, 800);
  EXPECT_EQ(tall.y, 200);
  EXPECT_EQ(plat::LetterboxRect(0, 100, 800, 600).w, 0);
}
