#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Sprite.h"
#include "engine/SpriteEngine.h"

namespace {

// A sprite that logs its moves and draws into a shared journal.
class Probe : public TAnimSprite {
 public:
  Probe(TSpriteEngine* e, std::string name, std::vector<std::string>* log, int z = 0) : TAnimSprite(e), Log(log) {
    SetName(name);
    SetZ(z);
  }
  ~Probe() override {
    if (Log) Log->push_back("free " + Name);
  }
  void Move(float step) override {
    if (Log) Log->push_back("move " + Name);
    if (OnMove) OnMove(*this);
    TAnimSprite::Move(step);
  }
  void Draw() override {
    if (Log) Log->push_back("draw " + Name);
  }
  void OnCollision(TSprite& other) override {
    if (Log) Log->push_back(Name + " hits " + other.Name);
  }
  std::vector<std::string>* Log;
  std::function<void(Probe&)> OnMove;
};

std::vector<std::string> Order(const TSpriteEngine& e) {
  std::vector<std::string> names;
  for (TSprite* s : e.SpriteList) names.push_back(s->Name);
  return names;
}

TEST(SpriteEngine, EqualDepthGoesInFrontAndSetZRefiles) {
  TSpriteEngine e;
  new Probe(&e, "a", nullptr);
  new Probe(&e, "b", nullptr);
  auto* five = new Probe(&e, "five", nullptr, 5);
  auto* c = new Probe(&e, "c", nullptr);
  // A new sprite goes under every sprite of equal Z.
  EXPECT_EQ(Order(e), (std::vector<std::string>{"c", "b", "a", "five"}));
  c->SetZ(5);
  EXPECT_EQ(Order(e), (std::vector<std::string>{"b", "a", "c", "five"}));
  // The same Z changes nothing, not even the place among equals.
  five->SetZ(5);
  EXPECT_EQ(Order(e), (std::vector<std::string>{"b", "a", "c", "five"}));
  c->SetZ(-1);
  EXPECT_EQ(Order(e).front(), "c");
}

TEST(SpriteEngine, SortByZRestoresOrder) {
  TSpriteEngine e;
  auto* a = new Probe(&e, "a", nullptr, 3);
  new Probe(&e, "b", nullptr, 1);
  new Probe(&e, "c", nullptr, 2);
  a->Z = 0;  // changed behind the engine's back
  e.SortByZ();
  EXPECT_EQ(Order(e), (std::vector<std::string>{"a", "b", "c"}));
  delete a;  // still found and removed after the sort
  EXPECT_EQ(e.Count(), 2);
}

TEST(SpriteEngine, DeadSpritesLiveUntilCollected) {
  std::vector<std::string> log;
  TSpriteEngine e;
  auto* a = new Probe(&e, "a", &log);
  new Probe(&e, "b", &log);
  a->Dead();
  a->Dead();  // queued once
  EXPECT_EQ(e.DeadList.size(), 1u);
  e.MoveAll(1);
  e.DrawAll();
  EXPECT_EQ(log, (std::vector<std::string>{"move b", "move a", "draw b", "draw a"}));
  log.clear();
  e.CollectDead();
  EXPECT_EQ(log, (std::vector<std::string>{"free a"}));
  EXPECT_EQ(e.Count(), 1);
}

TEST(SpriteEngine, WalkCountsSpritesAtTheStart) {
  std::vector<std::string> log;
  TSpriteEngine e;
  auto* spawner = new Probe(&e, "spawner", &log, 0);
  new Probe(&e, "tail", &log, 1);
  int spawned = 0;
  spawner->OnMove = [&](Probe& self) {
    // Killing sprites and creating new ones during the walk is allowed; the new
    // one files in front and shifts the entries.
    self.Dead();
    new Probe(&e, "child" + std::to_string(spawned++), &log, 0);
  };
  e.MoveAll(1);
  // Two calls were counted at the start: the spawner, then the entry at index 1,
  // which is the spawner again after the child filed in front of it.
  EXPECT_EQ(log, (std::vector<std::string>{"move spawner", "move spawner"}));
  EXPECT_EQ(spawned, 2);
  e.CollectDead();
  EXPECT_EQ(e.Count(), 3);
}

TEST(SpriteEngine, FreeingTheEngineFreesEverySpriteLastFirst) {
  std::vector<std::string> log;
  {
    TSpriteEngine e;
    new Probe(&e, "a", &log, 1);
    new Probe(&e, "b", &log, 2);
    auto* dead = new Probe(&e, "c", &log, 3);
    dead->Dead();
  }
  EXPECT_EQ(log, (std::vector<std::string>{"free c", "free b", "free a"}));
}

TEST(SpriteCollision, CirclesRectanglesAndQuads) {
  std::vector<std::string> log;
  TSpriteEngine e;
  auto* a = new Probe(&e, "a", &log, 0);
  auto* b = new Probe(&e, "b", &log, 1);
  a->CanCollide = b->CanCollide = true;
  a->HitRadius = b->HitRadius = 10;
  b->HitCenterX = 20;  // exactly 20 apart: no hit
  a->Collision(*b);
  EXPECT_FALSE(a->Collided);
  b->HitCenterX = 19.9f;
  a->Collision(*b);
  EXPECT_TRUE(a->Collided);
  EXPECT_FALSE(b->Collided);  // the other's flag is untouched
  EXPECT_EQ(log, (std::vector<std::string>{"a hits b", "b hits a"}));

  a->HitShape = b->HitShape = 1;
  a->HitRect = {0, 0, 10, 10};
  b->HitRect = {10, 0, 20, 10};  // sharing an edge only
  a->Collision(*b);
  EXPECT_FALSE(a->Collided);
  b->HitRect = {9, 9, 20, 20};
  a->Collision(*b);
  EXPECT_TRUE(a->Collided);

  a->HitShape = 2;
  a->HitQuad = QuadFromRect(0, 0, 10, 10);
  b->HitQuad = QuadFromRect(10, 10, 30, 30);  // one corner on the boundary
  a->Collision(*b);
  EXPECT_TRUE(a->Collided);
  b->HitQuad = QuadFromRect(11, 11, 30, 30);
  a->Collision(*b);
  EXPECT_FALSE(a->Collided);

  a->HitShape = 7;  // an unknown shape never collides
  a->Collision(*b);
  EXPECT_FALSE(a->Collided);

  a->HitShape = 0;
  b->HitCenterX = 0;
  b->Dead();  // killed sprites are ignored
  a->Collision(*b);
  EXPECT_FALSE(a->Collided);
}

TEST(SpriteCollision, CollideAllTestsEachPairOnceInListOrder) {
  std::vector<std::string> log;
  TSpriteEngine e;
  auto* a = new Probe(&e, "a", &log, 0);
  auto* b = new Probe(&e, "b", &log, 1);
  auto* c = new Probe(&e, "c", &log, 2);
  auto* off = new Probe(&e, "off", &log, 3);
  for (Probe* p : {a, b, c}) {
    p->CanCollide = true;
    p->HitRadius = 5;
  }
  off->HitRadius = 5;  // CanCollide clear
  e.CollideAll();
  EXPECT_EQ(log, (std::vector<std::string>{"a hits b", "b hits a", "a hits c", "c hits a", "b hits c",
                                           "c hits b"}));
}

TEST(SpriteAnimation, ForwardStopsWithoutPassingTheEnd) {
  TSpriteEngine e;
  auto* s = new TAnimSprite(&e);
  s->SetFirstFrame(2);
  s->FrameCount = 4;
  s->FrameSpeed = 0.5f;
  std::vector<int> patterns;
  for (int i = 0; i < 7; ++i) {
    s->Move(1.0f);
    patterns.push_back(s->PatternIndex);
  }
  EXPECT_EQ(patterns, (std::vector<int>{3, 3, 4, 4, 5, 5, 5}));
  EXPECT_FALSE(s->Animating);
  EXPECT_FALSE(s->PassedEnd);
  EXPECT_EQ(s->FramePos, 5.0f);
  EXPECT_EQ(s->ImageSuffix, 5);
}

TEST(SpriteAnimation, ForwardWholeStepSetsPassedEndAndLoops) {
  TSpriteEngine e;
  auto* s = new TAnimSprite(&e);
  s->FrameCount = 3;
  s->FrameSpeed = 1.0f;
  s->Looping = true;
  std::vector<int> patterns;
  for (int i = 0; i < 5; ++i) {
    s->Move(1.0f);
    patterns.push_back(s->PatternIndex);
  }
  EXPECT_EQ(patterns, (std::vector<int>{1, 2, 0, 1, 2}));
  EXPECT_TRUE(s->PassedEnd);
  EXPECT_TRUE(s->Animating);
}

TEST(SpriteAnimation, BackwardLoopJumpsToLastFrame) {
  TSpriteEngine e;
  auto* s = new TAnimSprite(&e);
  s->SetFirstFrame(4);
  s->FrameCount = 3;  // frames 4..6
  s->FrameSpeed = 1.0f;
  s->PlayMode = 1;
  s->Looping = true;
  s->Move(1.0f);
  EXPECT_EQ(s->PatternIndex, 6);
  s->Looping = false;
  s->Move(1.0f);
  s->Move(1.0f);
  s->Move(1.0f);
  EXPECT_EQ(s->PatternIndex, 4);
  EXPECT_FALSE(s->Animating);
}

TEST(SpriteAnimation, PingPongOnceThenStops) {
  TSpriteEngine e;
  auto* s = new TAnimSprite(&e);
  s->FrameCount = 2;  // frames 0..1; turns beyond 2
  s->FrameSpeed = 1.0f;
  s->PlayMode = 2;
  std::vector<int> patterns;
  for (int i = 0; i < 10 && s->Animating; ++i) {
    s->Move(1.0f);
    patterns.push_back(s->PatternIndex);
  }
  EXPECT_FALSE(s->Animating);
  EXPECT_EQ(patterns.front(), 1);
  EXPECT_EQ(patterns.back(), 0);
  EXPECT_FALSE(s->PingReachedEnd);
  // Frozen mode and disabled moves leave the position alone.
  s->Animating = true;
  s->PlayMode = 9;
  s->Move(1.0f);
  EXPECT_EQ(s->FramePos, 0.0f);
  s->PlayMode = 0;
  s->MoveEnabled = false;
  s->Move(1.0f);
  EXPECT_EQ(s->FramePos, 0.0f);
}

TEST(SpriteFields, DefaultsSettersAndAssign) {
  TSpriteEngine e;
  auto* a = new TAnimSprite(&e);
  EXPECT_EQ(a->BlendMode, 1284);
  EXPECT_EQ(a->DrawArea.Left, -200);
  EXPECT_EQ(a->DrawArea.Right, 800);
  a->SetDrawMode(7);
  EXPECT_EQ(a->DrawMode, 0);
  a->SetDrawMode(-3);
  EXPECT_EQ(a->DrawMode, -3);
  a->NameMode = 0;
  a->SetImageName("fire");
  a->ImageSuffix = 12;
  EXPECT_EQ(a->CurrentImageName(), "fire12");
  a->NameMode = 5;
  EXPECT_EQ(a->CurrentImageName(), "");

  a->SetZ(4);
  a->SetAlpha(9);
  a->ScaleX = 2;
  a->ShiftX = 7;
  a->UserFlag = true;
  a->SetFirstFrame(3);
  a->FrameCount = 5;
  a->FrameSpeed = 0.25f;
  a->SetImageName("keep-out");
  a->X = 99;
  auto* b = new TAnimSprite(&e);
  b->SetDrawMode(3);
  b->Assign(*a);
  EXPECT_EQ(b->Z, 4);
  EXPECT_EQ(b->Alpha, 9);
  EXPECT_EQ(b->ScaleX, 2);
  EXPECT_EQ(b->ShiftX, 0);  // not copied
  EXPECT_TRUE(b->UserFlag);
  EXPECT_EQ(b->FirstFrame, 3);
  EXPECT_EQ(b->FramePos, 3);
  EXPECT_EQ(b->FrameCount, 5);
  EXPECT_EQ(b->ImageName, "");
  EXPECT_EQ(b->X, 0);
  EXPECT_EQ(b->DrawMode, 0);
}

TEST(SpriteMath, RoundCoordRoundsHalvesAwayFromZero) {
  EXPECT_EQ(RoundCoord(2.5), 3);
  EXPECT_EQ(RoundCoord(2.49996), 3);
  EXPECT_EQ(RoundCoord(2.4999), 2);
  EXPECT_EQ(RoundCoord(-2.5), -3);
  EXPECT_EQ(RoundCoord(-2.4), -2);
  EXPECT_EQ(RoundCoord(0), 0);
  EXPECT_EQ(RoundEven(2.5), 2);
  EXPECT_EQ(RoundEven(3.5), 4);
}

}  // namespace
