#include "engine/sprites/SpriteEngine.h"

#include <algorithm>
#include <utility>

#include "engine/sprites/CollisionSnapshot.h"
#include "engine/sprites/Sprite.h"

TSpriteEngine::TSpriteEngine() = default;

TSpriteEngine::~TSpriteEngine() {
  Destroying_ = true;
  DeadList.clear();
  while (!SpriteList.empty()) {
    TSprite* last = SpriteList.back();
    SpriteList.pop_back();
    last->Engine = nullptr;  // already out of the lists
    delete last;
  }
}

namespace {
// Counts a walk of the sprite list for as long as it lasts.
struct TWalk {
  explicit TWalk(int& depth) : Depth(depth) { ++Depth; }
  ~TWalk() { --Depth; }
  int& Depth;
};
}  // namespace

void TSpriteEngine::MoveAll(float step) {
  TWalk walk(Walking_);
  // Sprites created during the walk are filed by Z and may shift entries; the
  // walk still makes exactly as many calls as there were sprites at the start.
  const size_t count = SpriteList.size();
  for (size_t i = 0; i < count && i < SpriteList.size(); ++i) SpriteList[i]->Move(step);
}

void TSpriteEngine::DrawAll() {
  TWalk walk(Walking_);
  const size_t count = SpriteList.size();
  for (size_t i = 0; i < count && i < SpriteList.size(); ++i) SpriteList[i]->Draw();
}

void TSpriteEngine::CollectDead() {
  if (Walking_ > 0) return;
  while (!DeadList.empty()) {
    TSprite* sprite = DeadList.back();
    DeadList.pop_back();
    delete sprite;  // its destructor takes it out of SpriteList
  }
}

// ---- Collisions ----------------------------------------------------------------
//
// A handler may change anything, but between two hits nothing changes but the
// Collided flag of the first sprite of each pair tested. So the pass brings
// its snapshot up to date (the sprites that can collide and the pairs of them
// that can hit, found on a grid), runs to the next pair that hits, calls
// Collision on it, brings the snapshot up to date again, and goes on from the
// same place in the list. The pairs that miss in between leave one trace: a
// row (the pairs of one first sprite) that ends without a hit, after testing
// at least one pair, clears its first sprite's Collided.

void TSpriteEngine::CollideAll() {
  TWalk walk(Walking_);
  // The snapshot is kept for the next pass. A pass that a handler starts in
  // the middle of this one finds none and takes one of its own.
  struct TKeep {
    std::unique_ptr<TCollisionSnapshot>& Home;
    std::unique_ptr<TCollisionSnapshot> Snap;
    ~TKeep() { Home = std::move(Snap); }
  } keep{Snapshot_, std::move(Snapshot_)};
  if (!keep.Snap) keep.Snap = std::make_unique<TCollisionSnapshot>();
  TCollisionSnapshot& snap = *keep.Snap;

  snap.Refresh(SpriteList);
  // A pass with this many hits is one where most sprites meet: the plain
  // walk is cheaper than a snapshot after every hit for the rest of it.
  const size_t mostHits = 4 + SpriteList.size() / 8;
  size_t hits = 0;
  size_t i = 0, j = 1;  // the walk's place: the next pair it would test
  size_t next = 0;      // the first pair of the snapshot at or after (i, j)
  for (;;) {
    size_t hit = snap.Pairs.size();
    for (; next < snap.Pairs.size(); ++next) {
      const TCollisionSnapshot::TPair pair = snap.Pairs[next];
      if (SpriteList[snap.FirstIndex(pair)]->Hits(*SpriteList[snap.SecondIndex(pair)])) {
        hit = next;
        break;
      }
    }
    const bool found = hit < snap.Pairs.size();
    // The rows before the hit end without one.
    const size_t rowsEnd = found ? snap.FirstIndex(snap.Pairs[hit]) : SpriteList.size();
    const size_t collidersEnd = snap.CollidersEnd();
    for (size_t c = snap.FirstColliderFrom(i); c < snap.Colliders.size(); ++c) {
      const size_t row = snap.Colliders[c].Index;
      if (row >= rowsEnd) break;
      const size_t from = row == i ? j : row + 1;
      if (from < collidersEnd) SpriteList[row]->Collided = false;
    }
    if (!found) return;
    const TCollisionSnapshot::TPair pair = snap.Pairs[hit];
    i = snap.FirstIndex(pair);
    j = snap.SecondIndex(pair) + 1;
    SpriteList[i]->Collision(*SpriteList[j - 1]);
    if (++hits > mostHits) {
      CollidePairsFrom(i, j);
      return;
    }
    snap.Refresh(SpriteList);
    next = snap.FirstPairFrom(i, j);
  }
}

void TSpriteEngine::CollideAllPairs() {
  TWalk walk(Walking_);
  CollidePairsFrom(0, 1);
}

void TSpriteEngine::CollidePairsFrom(size_t i, size_t j) {
  for (; i < SpriteList.size(); ++i, j = i + 1) {
    for (; j < SpriteList.size(); ++j) {
      TSprite* a = SpriteList[i];
      TSprite* b = SpriteList[j];
      if (a->CanCollide && b->CanCollide) a->Collision(*b);
    }
  }
}

void TSpriteEngine::SortByZ() {
  std::stable_sort(SpriteList.begin(), SpriteList.end(),
                   [](const TSprite* a, const TSprite* b) { return a->Z < b->Z; });
}

void TSpriteEngine::Remove(TSprite* sprite) {
  if (Destroying_) return;
  // The list is ordered by Z, so look among the sprites of equal Z first.
  auto first = std::lower_bound(SpriteList.begin(), SpriteList.end(), sprite->Z,
                                [](const TSprite* s, int z) { return s->Z < z; });
  for (auto it = first; it != SpriteList.end() && (*it)->Z == sprite->Z; ++it) {
    if (*it == sprite) {
      SpriteList.erase(it);
      return;
    }
  }
  auto it = std::find(SpriteList.begin(), SpriteList.end(), sprite);
  if (it != SpriteList.end()) SpriteList.erase(it);
}

void TSpriteEngine::ForgetDead(TSprite* sprite) {
  if (Destroying_) return;
  auto it = std::find(DeadList.begin(), DeadList.end(), sprite);
  if (it != DeadList.end()) DeadList.erase(it);
}

void TSpriteEngine::InsertByZ(TSprite* sprite) {
  int low = 0;
  int high = static_cast<int>(SpriteList.size()) - 1;
  while (low <= high) {
    const int mid = (low + high) / 2;
    if (SpriteList[mid]->Z < sprite->Z)
      low = mid + 1;
    else
      high = mid - 1;
  }
  SpriteList.insert(SpriteList.begin() + low, sprite);
}
