#include "engine/sprites/CollisionSnapshot.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <utility>

#include "engine/sprites/Sprite.h"

namespace {

using TCollider = TCollisionSnapshot::TCollider;
using TPair = TCollisionSnapshot::TPair;

// A box covering more cells than this is not filed in cells but meets every
// filed box (a backdrop's rectangle, a huge radius).
constexpr int64_t kWideCells = 64;
// Changed colliders whose filing may stay out of date before the grids are
// built anew: each one is compared with every changed one after it.
constexpr size_t kMostLoose = 16;

TCollider ColliderOf(const TSprite& s, size_t index) {
  TCollider c;
  c.Sprite = &s;
  c.Index = index;
  c.CenterX = s.HitCenterX;
  c.CenterY = s.HitCenterY;
  c.Radius = s.HitRadius;
  c.Rect = s.HitRect;
  c.Killed = s.Killed;
  c.Shape = s.HitShape;
  return c;
}

// Bit for bit, so that a NaN centre that stays NaN counts as unchanged.
bool SameBits(float a, float b) { return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b); }

bool Same(const TCollider& c, const TSprite& s) {
  return c.Killed == s.Killed && c.Shape == s.HitShape && c.Radius == s.HitRadius &&
         SameBits(c.CenterX, s.HitCenterX) && SameBits(c.CenterY, s.HitCenterY) && c.Rect.Left == s.HitRect.Left &&
         c.Rect.Top == s.HitRect.Top && c.Rect.Right == s.HitRect.Right && c.Rect.Bottom == s.HitRect.Bottom;
}

TPair MakePair(size_t a, size_t b) { return {(static_cast<uint64_t>(a) << 32) | static_cast<uint64_t>(b)}; }

template <typename TBox>
bool Overlap(const TBox& a, const TBox& b) {
  return a.Left <= b.Right && b.Left <= a.Right && a.Top <= b.Bottom && b.Top <= a.Bottom;
}

// Two boxes that may hold a hit: for rectangles the hit test itself, so that
// rectangles that only touch, or are empty (cells not yet placed all sit at
// 0, 0), make no pair.
template <typename TBox>
bool MayHit(uint8_t shape, const TCollider& a, const TBox& boxA, const TCollider& b, const TBox& boxB) {
  if (!Overlap(boxA, boxB)) return false;
  return shape != 1 || (a.Rect.Left < b.Rect.Right && b.Rect.Left < a.Rect.Right && a.Rect.Top < b.Rect.Bottom &&
                        b.Rect.Top < a.Rect.Bottom);
}

double Median(std::vector<double>& values) {
  auto mid = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), mid, values.end());
  return *mid;
}

}  // namespace

// The mapping never decreases, so two boxes that overlap share a cell.
int32_t TCollisionSnapshot::TAxis::Cell(double v) const {
  const double t = (v - Origin) * Inverse;
  if (!(t > 0)) return 0;
  if (t >= Count - 1) return Count - 1;
  return static_cast<int32_t>(t);
}

bool TCollisionSnapshot::BoxOf(const TCollider& c, uint8_t shape, TBox& box) {
  if (shape == 1) {
    // Integer rectangles hit when they overlap strictly, that is when the
    // closed boxes [Left, Right - 1] x [Top, Bottom - 1] overlap. Taken with
    // its ends in order, a box still holds every hit of a rectangle whose
    // Left lies beyond its Right.
    const int64_t l = c.Rect.Left, r = static_cast<int64_t>(c.Rect.Right) - 1;
    const int64_t t = c.Rect.Top, b = static_cast<int64_t>(c.Rect.Bottom) - 1;
    box = {static_cast<double>(std::min(l, r)), static_cast<double>(std::min(t, b)),
           static_cast<double>(std::max(l, r)), static_cast<double>(std::max(t, b))};
    return true;
  }
  // Circles hit when their centres lie closer than the two radii together
  // (a radius below zero shrinks the other's reach, so its size counts).
  // One pixel more each way, and a little more for far centres where doubles
  // round coarsely, keeps rounding from losing a hit.
  const double cx = c.CenterX, cy = c.CenterY;
  if (!std::isfinite(cx) || !std::isfinite(cy)) return false;  // the distance is never below the radii
  const double r = std::abs(static_cast<double>(c.Radius)) + 1.0;
  const double rx = r + std::abs(cx) * 0x1p-40, ry = r + std::abs(cy) * 0x1p-40;
  box = {cx - rx, cy - ry, cx + rx, cy + ry};
  return true;
}

void TCollisionSnapshot::Refresh(const std::vector<TSprite*>& list) {
  Changed_.clear();
  size_t c = 0;
  for (size_t k = 0; k < list.size(); ++k) {
    const TSprite& s = *list[k];
    if (!s.CanCollide) continue;
    if (c == Colliders.size() || Colliders[c].Sprite != &s) return Build(list);
    TCollider& collider = Colliders[c];
    collider.Index = k;
    if (!Same(collider, s)) {
      collider = ColliderOf(s, k);
      Changed_.push_back(static_cast<uint32_t>(c));
    }
    ++c;
  }
  if (c != Colliders.size()) return Build(list);
  if (!Changed_.empty() && !UpdatePairs()) BuildPairs();
}

size_t TCollisionSnapshot::FirstPairFrom(size_t i, size_t j) const {
  const auto at = std::lower_bound(Pairs.begin(), Pairs.end(), std::make_pair(i, j),
                                   [this](TPair p, const std::pair<size_t, size_t>& key) {
                                     return std::make_pair(FirstIndex(p), SecondIndex(p)) < key;
                                   });
  return static_cast<size_t>(at - Pairs.begin());
}

size_t TCollisionSnapshot::FirstColliderFrom(size_t i) const {
  const auto at = std::lower_bound(Colliders.begin(), Colliders.end(), i,
                                   [](const TCollider& c, size_t index) { return c.Index < index; });
  return static_cast<size_t>(at - Colliders.begin());
}

void TCollisionSnapshot::Build(const std::vector<TSprite*>& list) {
  Colliders.clear();
  for (size_t k = 0; k < list.size(); ++k)
    if (list[k]->CanCollide) Colliders.push_back(ColliderOf(*list[k], k));
  BuildPairs();
}

void TCollisionSnapshot::BuildPairs() {
  const size_t m = Colliders.size();
  Pairs.clear();
  Changed_.clear();
  IsChanged_.assign(m, 0);
  Loose_.clear();
  IsLoose_.assign(m, 0);
  bool shapes[2] = {false, false};
  for (const TCollider& c : Colliders)
    if (!c.Killed && c.Shape < 2) shapes[c.Shape] = true;
  for (uint8_t shape = 0; shape < 2; ++shape) {
    Grids_[shape].Built = shapes[shape];
    if (shapes[shape]) BuildGrid(Grids_[shape], shape);
  }
  for (size_t a = 0; a < m; ++a) {
    if (Colliders[a].Killed || Colliders[a].Shape != 2) continue;
    for (size_t b = a + 1; b < m; ++b)
      if (!Colliders[b].Killed) Pairs.push_back(MakePair(a, b));
  }
  std::sort(Pairs.begin(), Pairs.end());
}

void TCollisionSnapshot::BuildGrid(TGrid& grid, uint8_t shape) {
  const size_t m = Colliders.size();
  grid.Boxes.resize(m);
  grid.HasBox.assign(m, 0);
  double left = std::numeric_limits<double>::infinity(), top = left;
  double right = -left, bottom = -left;
  size_t filed = 0;
  for (size_t c = 0; c < m; ++c) {
    if (Colliders[c].Killed || !BoxOf(Colliders[c], shape, grid.Boxes[c])) continue;
    grid.HasBox[c] = 1;
    ++filed;
    const TBox& b = grid.Boxes[c];
    left = std::min(left, b.Left);
    top = std::min(top, b.Top);
    right = std::max(right, b.Right);
    bottom = std::max(bottom, b.Bottom);
  }

  // Cells as large as the median box (plus the one pixel an integer
  // rectangle's last column adds), larger when there would be many more
  // cells than boxes. They start in step with a box of the median size: a
  // board of tiles then has each tile in a cell of its own, wherever the
  // other boxes lie.
  double cellW = 1, cellH = 1, phaseX = 0, phaseY = 0;
  if (filed > 0) {
    Sizes_.clear();
    for (size_t c = 0; c < m; ++c)
      if (grid.HasBox[c]) Sizes_.push_back(grid.Boxes[c].Right - grid.Boxes[c].Left);
    const double medianW = Median(Sizes_);
    Sizes_.clear();
    for (size_t c = 0; c < m; ++c)
      if (grid.HasBox[c]) Sizes_.push_back(grid.Boxes[c].Bottom - grid.Boxes[c].Top);
    const double medianH = Median(Sizes_);
    cellW = std::max(1.0, medianW + 1);
    cellH = std::max(1.0, medianH + 1);
    for (size_t c = 0; c < m; ++c) {
      if (grid.HasBox[c] && grid.Boxes[c].Right - grid.Boxes[c].Left == medianW) {
        phaseX = grid.Boxes[c].Left;
        break;
      }
    }
    for (size_t c = 0; c < m; ++c) {
      if (grid.HasBox[c] && grid.Boxes[c].Bottom - grid.Boxes[c].Top == medianH) {
        phaseY = grid.Boxes[c].Top;
        break;
      }
    }
  } else {
    left = top = right = bottom = 0;
  }
  const int64_t most = std::max<int64_t>(64, 2 * static_cast<int64_t>(filed));
  const double wanted = (std::floor((right - left) / cellW) + 2) * (std::floor((bottom - top) / cellH) + 2);
  if (wanted > static_cast<double>(most)) {
    const double grow = std::sqrt(wanted / static_cast<double>(most));
    cellW *= grow;
    cellH *= grow;
  }
  auto axis = [](double low, double high, double phase, double cell, int64_t cap) {
    TAxis a;
    a.Origin = phase - std::ceil((phase - low) / cell) * cell;
    if (!(a.Origin <= low)) a.Origin = low;  // rounding, or a phase far away
    a.Inverse = 1.0 / cell;
    const double count = std::floor((high - a.Origin) * a.Inverse) + 1;
    a.Count = static_cast<int32_t>(std::clamp<double>(count, 1, static_cast<double>(cap)));
    return a;
  };
  grid.X = axis(left, right, phaseX, cellW, most);
  grid.Y = axis(top, bottom, phaseY, cellH, std::max<int64_t>(1, most / grid.X.Count));
  const size_t cells = static_cast<size_t>(grid.X.Count) * static_cast<size_t>(grid.Y.Count);

  // File each box in every cell it covers, in collider order: count, turn
  // the counts into starts, then place (each start moves to its cell's end).
  grid.IsWide.assign(m, 0);
  grid.Wide.clear();
  grid.CellStart.assign(cells + 1, 0);
  auto eachCell = [&grid](const TBox& b, auto&& visit) {
    const int32_t x0 = grid.X.Cell(b.Left), x1 = grid.X.Cell(b.Right);
    const int32_t y0 = grid.Y.Cell(b.Top), y1 = grid.Y.Cell(b.Bottom);
    for (int32_t cy = y0; cy <= y1; ++cy)
      for (int32_t cx = x0; cx <= x1; ++cx) visit(static_cast<size_t>(cy) * grid.X.Count + cx);
  };
  for (size_t c = 0; c < m; ++c) {
    if (!grid.HasBox[c]) continue;
    const TBox& b = grid.Boxes[c];
    const int64_t covered = static_cast<int64_t>(grid.X.Cell(b.Right) - grid.X.Cell(b.Left) + 1) *
                            (grid.Y.Cell(b.Bottom) - grid.Y.Cell(b.Top) + 1);
    if (covered > kWideCells) {
      grid.IsWide[c] = 1;
      grid.Wide.push_back(static_cast<uint32_t>(c));
      continue;
    }
    eachCell(b, [&grid](size_t cell) { ++grid.CellStart[cell + 1]; });
  }
  for (size_t cell = 1; cell <= cells; ++cell) grid.CellStart[cell] += grid.CellStart[cell - 1];
  grid.CellItems.resize(grid.CellStart[cells]);
  for (size_t c = 0; c < m; ++c) {
    if (!grid.HasBox[c] || grid.IsWide[c]) continue;
    eachCell(grid.Boxes[c],
             [&grid, c](size_t cell) { grid.CellItems[grid.CellStart[cell]++] = static_cast<uint32_t>(c); });
  }

  // Two boxes that overlap share every cell their overlap touches; the pair
  // is taken in one of them, the cell of the overlap's top-left corner.
  for (int32_t cy = 0; cy < grid.Y.Count; ++cy) {
    for (int32_t cx = 0; cx < grid.X.Count; ++cx) {
      const size_t cell = static_cast<size_t>(cy) * grid.X.Count + cx;
      const uint32_t begin = cell == 0 ? 0 : grid.CellStart[cell - 1], end = grid.CellStart[cell];
      for (uint32_t u = begin; u + 1 < end; ++u) {
        const uint32_t a = grid.CellItems[u];
        if (Colliders[a].Shape != shape) continue;  // its pairs come from its own shape's grid
        const TBox& ba = grid.Boxes[a];
        for (uint32_t v = u + 1; v < end; ++v) {
          const uint32_t b = grid.CellItems[v];
          const TBox& bb = grid.Boxes[b];
          if (!MayHit(shape, Colliders[a], ba, Colliders[b], bb)) continue;
          if (grid.X.Cell(std::max(ba.Left, bb.Left)) != cx || grid.Y.Cell(std::max(ba.Top, bb.Top)) != cy) continue;
          Pairs.push_back(MakePair(a, b));
        }
      }
    }
  }
  // The wide boxes meet every filed box, and each other once.
  for (uint32_t w : grid.Wide) {
    for (size_t o = 0; o < m; ++o) {
      if (!grid.HasBox[o] || o == w || (grid.IsWide[o] && o < w)) continue;
      const size_t a = std::min<size_t>(o, w), b = std::max<size_t>(o, w);
      if (Colliders[a].Shape == shape && MayHit(shape, Colliders[a], grid.Boxes[a], Colliders[b], grid.Boxes[b]))
        Pairs.push_back(MakePair(a, b));
    }
  }
}

void TCollisionSnapshot::AddIfNear(size_t a, size_t b) {
  const TCollider& first = Colliders[a];
  const TCollider& second = Colliders[b];
  if (first.Killed || second.Killed || first.Shape >= 2) return;  // quad pairs are added on their own
  TBox boxA, boxB;
  if (BoxOf(first, first.Shape, boxA) && BoxOf(second, first.Shape, boxB) &&
      MayHit(first.Shape, first, boxA, second, boxB))
    Pairs.push_back(MakePair(a, b));
}

bool TCollisionSnapshot::UpdatePairs() {
  const size_t m = Colliders.size();
  for (uint32_t c : Changed_) {
    const TCollider& collider = Colliders[c];
    if (!collider.Killed && collider.Shape < 2 && !Grids_[collider.Shape].Built) return false;  // no grid yet
    IsChanged_[c] = 1;
    if (!IsLoose_[c]) {
      IsLoose_[c] = 1;
      Loose_.push_back(c);
    }
  }
  if (Loose_.size() > kMostLoose) return false;
  // The changed colliders' pairs go; they are looked up again below.
  Pairs.erase(std::remove_if(Pairs.begin(), Pairs.end(),
                             [this](TPair p) { return IsChanged_[p.First()] || IsChanged_[p.Second()]; }),
              Pairs.end());
  bool quads = false;
  for (const TCollider& c : Colliders) quads = quads || (!c.Killed && c.Shape == 2);
  for (uint32_t x : Changed_) {
    const TCollider& changed = Colliders[x];
    if (changed.Killed) continue;
    // Its neighbours among the colliders filed where they stand.
    for (uint8_t shape = 0; shape < 2; ++shape) {
      const TGrid& grid = Grids_[shape];
      TBox box;
      if (!grid.Built || !BoxOf(changed, shape, box)) continue;
      const int32_t x0 = grid.X.Cell(box.Left), x1 = grid.X.Cell(box.Right);
      const int32_t y0 = grid.Y.Cell(box.Top), y1 = grid.Y.Cell(box.Bottom);
      if (static_cast<int64_t>(x1 - x0 + 1) * (y1 - y0 + 1) > kWideCells) return false;
      auto consider = [&](uint32_t y, int32_t cx, int32_t cy, bool anyCell) {
        if (IsLoose_[y]) return;
        const size_t a = std::min<size_t>(x, y), b = std::max<size_t>(x, y);
        if (Colliders[a].Shape != shape) return;
        const TBox& other = grid.Boxes[y];
        const TBox& boxA = a == x ? box : other;
        const TBox& boxB = a == x ? other : box;
        if (!MayHit(shape, Colliders[a], boxA, Colliders[b], boxB)) return;
        if (!anyCell &&
            (grid.X.Cell(std::max(box.Left, other.Left)) != cx || grid.Y.Cell(std::max(box.Top, other.Top)) != cy))
          return;
        Pairs.push_back(MakePair(a, b));
      };
      for (int32_t cy = y0; cy <= y1; ++cy) {
        for (int32_t cx = x0; cx <= x1; ++cx) {
          const size_t cell = static_cast<size_t>(cy) * grid.X.Count + cx;
          const uint32_t begin = cell == 0 ? 0 : grid.CellStart[cell - 1], end = grid.CellStart[cell];
          for (uint32_t u = begin; u < end; ++u) consider(grid.CellItems[u], cx, cy, false);
        }
      }
      for (uint32_t y : grid.Wide) consider(y, 0, 0, true);
    }
    // The loose ones, whose filing is out of date; two changed ones once.
    for (uint32_t y : Loose_) {
      if (y == x || (IsChanged_[y] && y < x)) continue;
      AddIfNear(std::min<size_t>(x, y), std::max<size_t>(x, y));
    }
    // A quad meets every collider after it.
    if (changed.Shape == 2) {
      for (size_t y = x + 1; y < m; ++y)
        if (!Colliders[y].Killed) Pairs.push_back(MakePair(x, y));
    }
    if (quads) {
      for (size_t q = 0; q < x; ++q)
        if (!IsChanged_[q] && !Colliders[q].Killed && Colliders[q].Shape == 2) Pairs.push_back(MakePair(q, x));
    }
  }
  for (uint32_t c : Changed_) IsChanged_[c] = 0;
  Changed_.clear();
  std::sort(Pairs.begin(), Pairs.end());
  Pairs.erase(std::unique(Pairs.begin(), Pairs.end()), Pairs.end());
  return true;
}
