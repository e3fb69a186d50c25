// The sprite engine keeps every sprite in one list ordered by depth, moves them
// once per process tick, draws them once per frame in list order, tests them for
// collisions and frees dead sprites at CollectDead.
#pragma once

#include <vector>

class TSprite;
class TCanopyCanvas;
class TCanopyImages;
class Tmain;

class TSpriteEngine {
 public:
  TSpriteEngine() = default;
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
  void CollideAll();
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
  Tmain* Game = nullptr;
  float WorldX = 0, WorldY = 0;
  std::vector<TSprite*> SpriteList;
  std::vector<TSprite*> DeadList;

 private:
  bool Destroying_ = false;
  int Walking_ = 0;  // nested walks of MoveAll, DrawAll and CollideAll
};
