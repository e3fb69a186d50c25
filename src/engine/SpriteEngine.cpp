#include "engine/SpriteEngine.h"

#include <algorithm>

#include "engine/Sprite.h"

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

void TSpriteEngine::CollideAll() {
  TWalk walk(Walking_);
  for (size_t i = 0; i < SpriteList.size(); ++i) {
    for (size_t j = i + 1; j < SpriteList.size(); ++j) {
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
