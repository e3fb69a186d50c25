// Sprites drawn through a recording back end: where the quads land.
#include <gtest/gtest.h>

#include <memory>

#include "engine/sprites/Sprite.h"
#include "engine/sprites/SpriteDraw.h"
#include "engine/sprites/SpriteEngine.h"
#include "support/RenderFixtures.h"

namespace {

using render_test::RecordingRenderer;
using render_test::RenderRig;

struct SpriteRig {
  RecordingRenderer* Rec = new RecordingRenderer;
  RenderRig Rig{std::unique_ptr<plat::Renderer>(Rec)};
  TSpriteEngine Engine;
  SpriteRig() {
    Engine.Canvas = &Rig.Canvas;
    Engine.Images = &Rig.Images;
    Rig.AddImage("fire12", render_test::SolidRecord(40, 40, 0xFFFF0000));
    Rig.AddImage("box", render_test::SolidRecord(20, 10, 0xFF00FF00));
  }
  // Draws every sprite and returns the quads' top-left corners.
  std::vector<plat::Vertex> Drawn() {
    Rec->Draws.clear();
    Engine.DrawAll();
    Rig.Canvas.Flush();
    std::vector<plat::Vertex> corners;
    for (const auto& d : Rec->Draws)
      for (size_t i = 0; i < d.Vertices.size(); i += 4) corners.push_back(d.Vertices[i]);
    return corners;
  }
};

TEST(SpriteDraw, DrawAreaIsStrictAndFollowsTheWorldOffset) {
  SpriteRig r;
  auto* s = new TSprite(&r.Engine);
  s->SetImageName("box");
  s->SetX(800);
  EXPECT_TRUE(r.Drawn().empty());
  s->SetX(-200);
  EXPECT_TRUE(r.Drawn().empty());
  s->SetX(799.5f);
  ASSERT_EQ(r.Drawn().size(), 1u);
  s->Visible = false;
  EXPECT_TRUE(r.Drawn().empty());
  s->Visible = true;
  r.Engine.WorldX = 100;  // the area moves with the camera, the picture moves against it
  s->SetX(850);
  auto drawn = r.Drawn();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_FLOAT_EQ(drawn[0].X, 750 - 0.5f);  // textured quads sit half a texel up-left
}

TEST(SpriteDraw, NameModeSuffixAndMissingImages) {
  SpriteRig r;
  auto* s = new TSprite(&r.Engine);
  s->SetImageName("fire");
  s->NameMode = 0;
  s->ImageSuffix = 12;
  EXPECT_EQ(r.Drawn().size(), 1u);
  EXPECT_EQ(s->PatternWidth(), 40);
  s->NameMode = 1;  // "fire" is not in the list: nothing drawn, nothing breaks
  EXPECT_TRUE(r.Drawn().empty());
  EXPECT_EQ(s->ImageWidth(), 0);
}

TEST(SpriteDraw, PositionsRoundAndScaleAboutTheCentre) {
  SpriteRig r;
  auto* s = new TSprite(&r.Engine);
  s->SetImageName("box");
  s->SetX(10.5f);
  s->SetY(-0.4f);
  s->OffsetX = 1;
  s->ShiftY = 2;
  auto drawn = r.Drawn();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_FLOAT_EQ(drawn[0].X, 12 - 0.5f);  // 11.5 rounds away from zero
  EXPECT_FLOAT_EQ(drawn[0].Y, 2 - 0.5f);   // 1.6 rounds to 2
  s->ScaleX = 2;  // a 20-wide box doubled about its centre starts 10 further left
  drawn = r.Drawn();
  EXPECT_FLOAT_EQ(drawn[0].X, 2 - 0.5f);
  s->ScaleAnchor = 0;
  drawn = r.Drawn();
  EXPECT_FLOAT_EQ(drawn[0].X, 12 - 0.5f);
  s->ScaleAnchor = 2;
  EXPECT_TRUE(r.Drawn().empty());
}

TEST(SpriteDraw, TintAndCornerColours) {
  SpriteRig r;
  auto* s = new TSprite(&r.Engine);
  s->SetImageName("box");
  s->SetX(5);
  s->SetRed(0x11);
  s->SetGreen(0x22);
  s->SetBlue(0x33);
  s->SetAlpha(0x44);
  r.Drawn();
  ASSERT_FALSE(r.Rec->Draws.empty());
  EXPECT_EQ(r.Rec->Draws[0].Vertices[0].Color, 0x44332211u);
  EXPECT_EQ(r.Rec->Draws[0].Effect & 0xFFFF, 1284);
  s->SetDrawMode(2);
  s->CornerColors = {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF};
  r.Drawn();
  EXPECT_EQ(r.Rec->Draws[0].Vertices[2].Color, 0xFFFF0000u);
}

TEST(SpriteDraw, RotatedQuadTurnsFromXTowardsY) {
  const TQuad q = RotatedRect(100, 100, 20, 10, 3.14159265f / 2, 1, 1);
  // The top-left corner (-10, -5) turns a quarter to (5, -10).
  EXPECT_NEAR(q[0].X, 105, 1e-3);
  EXPECT_NEAR(q[0].Y, 90, 1e-3);
  EXPECT_TRUE(PointInQuad(q, TPoint2{100, 100}));
  EXPECT_FALSE(PointInQuad(q, TPoint2{100, 115}));
}

}  // namespace
