// The sprite engine keeps every sprite in one list ordered by depth, moves them
// once per process tick, draws them once per frame in list order, tests them for
// collisions and frees dead sprites at CollectDead.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

class TSprite;
class TCollisionSnapshot;
class TCanopyCanvas;
class TCanopyImages;

// Whatever owns the engine and the sprites in it: the game object, which the
// game's own sprites reach through the narrow interface they know of it. The
// engine itself never calls it.
class TSpriteEngineOwner {
 public:
  virtual ~TSpriteEngineOwner() = default;
};

class TSpriteEngine {
 public:
  TSpriteEngine();
  // Frees every remaining sprite, from the last list entry to the first.
  ~TSpriteEngine();
  TSpriteEngine(const TSpriteEngine&) = delete;
  TSpriteEngine& operator=(const TSpriteEngine&) = delete;

  void MoveAll(float step);
  // Frees the dead sprites. Called while the engine walks its list (a sprite's
  // Move, Draw or collision starting a new screen), it leaves them for the
  // next call after the walk: a sprite must not vanish under the walk, nor
  // under the sprite that is running.
  void CollectDead();
  void DrawAll();
  // Tests every pair of colliding sprites, first (i) before second (j), i < j,
  // in list order, exactly as CollideAllPairs does: the same Collision calls
  // with a hit, in the same order, and the same Collided flags. Handlers may
  // create, kill and re-file sprites; the walk goes on by index into the
  // changed list. A grid over the hit boxes finds the pairs that can hit, so
  // the cost follows the sprites and the overlapping pairs, not all pairs.
  void CollideAll();
  // The plain walk over all pairs: for i from 0 and j from i + 1 while below
  // the count (read afresh at every step), Collision when both can collide.
  // The measure CollideAll is held to, by the tests and the benchmarks.
  void CollideAllPairs();
  void SortByZ();
  int Count() const { return static_cast<int>(SpriteList.size()); }
  void Remove(TSprite* sprite);
  // Files a sprite by its Z: in front of (drawn before) every sprite of equal Z.
  void InsertByZ(TSprite* sprite);
  void QueueDead(TSprite* sprite) { DeadList.push_back(sprite); }
  void ForgetDead(TSprite* sprite);

  TCanopyCanvas* Canvas = nullptr;
  TCanopyImages* Images = nullptr;
  // The game object, for game sprites that need the screen state and the other
  // game-wide objects. Null in engine-only tests.
  TSpriteEngineOwner* Owner = nullptr;
  float WorldX = 0, WorldY = 0;
  std::vector<TSprite*> SpriteList;
  std::vector<TSprite*> DeadList;

 private:
  // The plain walk from pair (i, j) on, to the end of the list.
  void CollidePairsFrom(size_t i, size_t j);

  bool Destroying_ = false;
  int Walking_ = 0;  // nested walks of MoveAll, DrawAll and CollideAll
  // What the last collision pass found, kept for the next one.
  std::unique_ptr<TCollisionSnapshot> Snapshot_;
};
