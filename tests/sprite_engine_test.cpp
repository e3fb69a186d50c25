#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "engine/sprites/Sprite.h"
#include "engine/sprites/SpriteEngine.h"

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
    if (OnHit) OnHit(other);
  }
  std::vector<std::string>* Log;
  std::function<void(Probe&)> OnMove;
  std::function<void(TSprite&)> OnHit;
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

// ---- The collision pass against the plain walk over all pairs ----------------------

// A world of sprites for comparing CollideAll with CollideAllPairs. Two worlds
// built from the same seed hold the same sprites, and their handlers draw from
// the world's own generator, so they stay alike for as long as the two passes
// make the same calls in the same order.
struct World;

class Mote : public TSprite {
 public:
  explicit Mote(World& w);
  void OnCollision(TSprite& other) override;
  World& W;
  int Id;
};

struct World {
  World(uint32_t seed, bool grid) : Rng(seed), Grid(grid) {}
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(Rng); }
  float Coord() { return std::uniform_real_distribution<float>(0, Arena)(Rng); }
  bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(Rng) < p; }
  Mote& Any() { return static_cast<Mote&>(*Engine.SpriteList[Pick(Engine.Count())]); }
  void Pass() {
    if (Grid)
      Engine.CollideAll();
    else
      Engine.CollideAllPairs();
  }

  // Gives a sprite a random hit shape, with the odd ones the pass must not
  // miss: rectangles turned inside out, huge ones, circles with negative or
  // huge radii or no centre at all, quads that are points or turned around.
  void Shape(Mote& m) {
    m.CanCollide = Chance(0.85);
    const int shape = Pick(20);
    m.HitShape = static_cast<uint8_t>(shape < 9 ? 0 : shape < 17 ? 1 : shape < 19 ? 2 : 5);
    m.HitCenterX = Coord();
    m.HitCenterY = Coord();
    m.HitRadius = Pick(30) - 4;
    if (Chance(0.03)) m.HitCenterX = std::numeric_limits<float>::quiet_NaN();
    if (Chance(0.02)) m.HitRadius = 1 << 20;
    const int left = static_cast<int>(Coord()), top = static_cast<int>(Coord());
    m.HitRect = {left, top, left + Pick(50) - 8, top + Pick(50) - 8};
    if (Chance(0.02)) m.HitRect = {-100000, -100000, 100000, 100000};
    const float x = Coord(), y = Coord();
    switch (Pick(4)) {
      case 0: m.HitQuad = TQuad{}; break;
      case 1:
        m.HitQuad = {TPoint2{x, y}, TPoint2{Coord(), Coord()}, TPoint2{Coord(), Coord()}, TPoint2{x, Coord()}};
        break;
      default: m.HitQuad = QuadFromRect(x, y, x + Pick(40), y + Pick(40)); break;
    }
  }
  // Moves a sprite's circle and rectangle a little, as a sprite on its way does.
  void Nudge(Mote& m) {
    const int dx = Pick(21) - 10, dy = Pick(21) - 10;
    m.HitCenterX += static_cast<float>(dx);
    m.HitCenterY += static_cast<float>(dy);
    m.HitRect = {m.HitRect.Left + dx, m.HitRect.Top + dy, m.HitRect.Right + dx, m.HitRect.Bottom + dy};
  }
  Mote& Spawn() {
    auto* m = new Mote(*this);
    m->SetZ(Pick(4));  // few depths: many sprites of equal Z
    Shape(*m);
    return *m;
  }

  // What a handler may do to the world, now and then.
  void Act() {
    if (!Chance(ActionRate)) return;
    switch (Pick(8)) {
      case 0:
        if (Created < 25) {
          ++Created;
          Spawn();
        }
        break;
      case 1: Any().Dead(); break;
      case 2: Any().SetZ(Pick(4)); break;
      case 3: Shape(Any()); break;
      case 4: {
        Mote& m = Any();
        m.CanCollide = !m.CanCollide;
        break;
      }
      case 5:
        Any().Z = Pick(4);  // behind the engine's back, then sorted again
        Engine.SortByZ();
        break;
      case 7: Nudge(Any()); break;
      case 6:
        if (!Nested && NestedLeft > 0) {
          --NestedLeft;
          Nested = true;
          Pass();
          Nested = false;
        }
        break;
    }
  }

  // The list as it stands: each sprite's id and flags, in list order.
  std::vector<std::string> State() const {
    std::vector<std::string> out;
    for (const TSprite* s : Engine.SpriteList) {
      const auto* m = static_cast<const Mote*>(s);
      out.push_back(std::to_string(m->Id) + (m->Collided ? " collided" : "") + (m->Killed ? " killed" : "") +
                    (m->CanCollide ? "" : " off"));
    }
    return out;
  }

  TSpriteEngine Engine;
  std::mt19937 Rng;
  bool Grid;
  float Arena = 200;
  double ActionRate = 0.2;
  int NextId = 0;
  int Created = 0;     // sprites the handlers made this pass
  int NestedLeft = 3;  // passes the handlers may still start inside a pass
  bool Nested = false;
  std::vector<std::string> Log;
};

Mote::Mote(World& w) : TSprite(&w.Engine), W(w), Id(w.NextId++) {}

void Mote::OnCollision(TSprite& other) {
  const auto& o = static_cast<const Mote&>(other);
  // The flags as the handler sees them are part of what must match.
  W.Log.push_back(std::to_string(Id) + " hits " + std::to_string(o.Id) + (Collided ? " C" : " -") +
                  (o.Collided ? "C" : "-"));
  W.Act();
}

// Builds the same world twice, runs the plain walk in one and CollideAll in
// the other for a few passes, with sprites moving and dying between them, and
// compares the calls, the flags and the list after each pass.
void ComparePasses(uint32_t seed, int sprites, float arena, double actionRate, int passes = 5) {
  World plain(seed, false), grid(seed, true);
  for (World* w : {&plain, &grid}) {
    w->Arena = arena;
    w->ActionRate = actionRate;
    for (int i = 0; i < sprites; ++i) {
      Mote& m = w->Spawn();
      if (w->Chance(0.05)) m.Dead();
      if (w->Chance(0.1)) m.Collided = true;  // left from an earlier pass
    }
  }
  for (int pass = 0; pass < passes; ++pass) {
    plain.Pass();
    grid.Pass();
    ASSERT_EQ(plain.Log, grid.Log) << "seed " << seed << ", pass " << pass;
    ASSERT_EQ(plain.State(), grid.State()) << "seed " << seed << ", pass " << pass;
    // Between passes a few sprites move (the grid is kept and looked up
    // again for them), or many change (it is built anew).
    for (World* w : {&plain, &grid}) {
      w->Engine.CollectDead();
      if (w->Engine.Count() == 0) continue;
      const int moving = w->Pick(5);
      for (int i = 0; i < moving; ++i) w->Nudge(w->Any());
      if (w->Chance(0.3))
        for (int i = 0; i < w->Engine.Count() / 3; ++i) w->Shape(w->Any());
      w->Created = 0;
      w->NestedLeft = 3;
    }
  }
}

TEST(SpriteCollision, PassMatchesThePlainWalkOnRandomSprites) {
  // Crowded and sparse worlds, quiet handlers and busy ones.
  for (uint32_t seed = 1; seed <= 150; ++seed) {
    ComparePasses(seed, static_cast<int>(seed % 40), 200, 0.2);
    ComparePasses(seed + 1000, static_cast<int>(seed % 60), 600, 0.05);
    ComparePasses(seed + 2000, static_cast<int>(seed % 25), 40, 0.6);
    if (HasFatalFailure()) return;
  }
}

TEST(SpriteCollision, PassMatchesThePlainWalkOnLargeWorlds) {
  // Many sprites, some in the crowd and most apart; and a crowd where every
  // handler changes something, which ends in the plain walk.
  ComparePasses(7, 1500, 3000, 0.0, 2);
  ComparePasses(8, 400, 800, 0.01, 2);
  ComparePasses(9, 120, 30, 0.9, 1);
}

// A board of tiles that touch but never overlap, and a one-pixel cursor on top:
// the cursor meets only the tile under it, once per pass.
TEST(SpriteCollision, CursorMeetsOnlyTheTileUnderIt) {
  std::vector<std::string> log;
  TSpriteEngine e;
  for (int r = 1; r <= 12; ++r) {
    for (int c = 1; c <= 18; ++c) {
      auto* tab = new Probe(&e, std::to_string(c) + "," + std::to_string(r), &log, 2);
      tab->CanCollide = true;
      tab->HitShape = 1;
      tab->HitRect = {40 * c, 40 * r - 10, 40 * c + 40, 40 * r + 30};
    }
  }
  auto* cursor = new Probe(&e, "cursor", &log, 10000000);
  cursor->CanCollide = true;
  cursor->HitShape = 1;
  for (int x : {220, 240, 239}) {
    cursor->HitRect = {x, 200, x + 1, 201};
    log.clear();
    e.CollideAll();
    const std::string tab = std::to_string(x / 40) + ",5";
    EXPECT_EQ(log, (std::vector<std::string>{tab + " hits cursor", "cursor hits " + tab})) << x;
  }
}

// A handler that files a new sprite in front of the pair shifts the list under
// the walk: the row goes on with the sprite before the first (here meeting
// nobody), and the next row meets the same pair once more. Both passes keep
// that (the level editor's click tools count on a press acting only once).
TEST(SpriteCollision, ASpriteFiledInFrontShiftsTheWalk) {
  for (bool grid : {false, true}) {
    std::vector<std::string> log;
    TSpriteEngine e;
    auto* a = new Probe(&e, "a", &log, 1);
    auto* b = new Probe(&e, "b", &log, 2);
    auto* c = new Probe(&e, "c", &log, 3);
    auto* d = new Probe(&e, "d", &log, 4);
    for (Probe* p : {a, b, c, d}) {
      p->CanCollide = true;
      p->HitRadius = 5;
    }
    a->HitCenterX = -100;  // a meets nobody; b, c and d all overlap
    int spawned = 0;
    b->OnHit = [&](TSprite& other) {
      if (other.Name == "c" && spawned++ == 0) new Probe(&e, "new", nullptr, 0);
    };
    if (grid)
      e.CollideAll();
    else
      e.CollideAllPairs();
    EXPECT_EQ(spawned, 2);
    EXPECT_EQ(log, (std::vector<std::string>{"b hits c", "c hits b", "b hits c", "c hits b", "b hits d", "d hits b",
                                             "c hits d", "d hits c"}))
        << (grid ? "grid" : "plain");
  }
}

// The pass keeps what it found from one pass to the next: a sprite that moves,
// or turns to a shape that no sprite had before, is looked up again.
TEST(SpriteCollision, SpritesThatMoveOrChangeShapeBetweenPasses) {
  std::vector<std::string> log;
  TSpriteEngine e;
  auto* a = new Probe(&e, "a", &log, 0);
  auto* b = new Probe(&e, "b", &log, 1);
  for (Probe* p : {a, b}) {
    p->CanCollide = true;
    p->HitShape = 1;
    p->HitRadius = 5;  // the circles overlap, the rectangles are apart
  }
  a->HitRect = {0, 0, 10, 10};
  b->HitRect = {20, 0, 30, 10};
  e.CollideAll();
  EXPECT_TRUE(log.empty());
  b->HitRect = {5, 5, 15, 15};
  e.CollideAll();
  EXPECT_EQ(log, (std::vector<std::string>{"a hits b", "b hits a"}));
  log.clear();
  b->HitRect = {20, 0, 30, 10};
  e.CollideAll();
  EXPECT_TRUE(log.empty());

  TSpriteEngine f;
  auto* c = new Probe(&f, "c", &log, 0);
  auto* d = new Probe(&f, "d", &log, 1);
  for (Probe* p : {c, d}) {
    p->CanCollide = true;
    p->HitShape = 1;
    p->HitRadius = 5;
  }
  d->HitRect = {20, 0, 30, 10};
  f.CollideAll();
  EXPECT_TRUE(log.empty());
  c->HitShape = 0;  // the first circle among the sprites
  f.CollideAll();
  EXPECT_EQ(log, (std::vector<std::string>{"c hits d", "d hits c"}));
}

TEST(SpriteCollision, CollidedKeepsTheLastPairAsFirst) {
  for (bool grid : {false, true}) {
    TSpriteEngine e;
    auto* a = new Probe(&e, "a", nullptr, 0);
    auto* b = new Probe(&e, "b", nullptr, 1);
    auto* c = new Probe(&e, "c", nullptr, 2);
    auto* off = new Probe(&e, "off", nullptr, 3);
    for (Probe* p : {a, b, c}) {
      p->CanCollide = true;
      p->HitRadius = 5;
    }
    c->HitCenterX = 50;  // a and b meet, c meets nobody
    off->Collided = true;
    c->Collided = true;
    if (grid)
      e.CollideAll();
    else
      e.CollideAllPairs();
    // a met b, then missed c: its last test as first was a miss.
    EXPECT_FALSE(a->Collided);
    EXPECT_FALSE(b->Collided);
    // c and off never stood first in a tested pair: their flags stay.
    EXPECT_TRUE(c->Collided);
    EXPECT_TRUE(off->Collided);
    c->HitCenterX = 0;
    c->Collided = false;
    if (grid)
      e.CollideAll();
    else
      e.CollideAllPairs();
    EXPECT_TRUE(a->Collided);
    EXPECT_TRUE(b->Collided);
    EXPECT_FALSE(c->Collided);
  }
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
