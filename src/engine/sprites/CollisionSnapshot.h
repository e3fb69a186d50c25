// The sprite engine's collision pass works from a snapshot of its sprite list:
// the sprites that can collide ("colliders"), each with what TSprite::Hits
// reads of it, and the pairs of colliders that can hit, in list order. The
// pairs are found on a grid of cells about as large as a typical hit box, so
// that the cost follows the sprites and the overlapping pairs, not all pairs.
//
// The snapshot is kept from pass to pass. Refresh walks the list once; when
// the same colliders stand in the same order and only a few of them changed
// (the cursor moves, the tiles stay), only the changed ones are looked up on
// the grid again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/render/CanopyTypes.h"

class TSprite;

class TCollisionSnapshot {
 public:
  // What Hits reads of a sprite that can collide, but for its quad: a quad's
  // reach has no bounds that a box could hold, so a collider with a quad
  // shape is paired with every collider after it.
  struct TCollider {
    const TSprite* Sprite = nullptr;  // compared, never followed
    size_t Index = 0;                 // its place in the list at the last refresh
    float CenterX = 0, CenterY = 0;
    int Radius = 0;
    TRect Rect;
    bool Killed = false;
    uint8_t Shape = 0;
  };
  // Two colliders by their place among the colliders, first < second.
  struct TPair {
    uint64_t Key;
    size_t First() const { return static_cast<size_t>(Key >> 32); }
    size_t Second() const { return static_cast<size_t>(Key & 0xFFFFFFFFu); }
    bool operator<(const TPair& o) const { return Key < o.Key; }
    bool operator==(const TPair& o) const { return Key == o.Key; }
  };

  // Brings the snapshot up to date with the list: afterwards Pairs holds
  // every pair of colliders that Hits could report now (and a few more).
  void Refresh(const std::vector<TSprite*>& list);
  // The first pair at or after the list positions (i, j) in walking order.
  size_t FirstPairFrom(size_t i, size_t j) const;
  // The first collider at or after list position i.
  size_t FirstColliderFrom(size_t i) const;
  // One past the list position of the last collider (0 when there is none).
  size_t CollidersEnd() const { return Colliders.empty() ? 0 : Colliders.back().Index + 1; }
  size_t FirstIndex(TPair p) const { return Colliders[p.First()].Index; }
  size_t SecondIndex(TPair p) const { return Colliders[p.Second()].Index; }

  std::vector<TCollider> Colliders;  // in list order
  std::vector<TPair> Pairs;          // sorted

 private:
  // A closed box that holds every point where a hit shape can reach.
  struct TBox {
    double Left, Top, Right, Bottom;
  };
  // The grid along one axis: cells of equal size from Origin on; positions
  // before the first cell or beyond the last fall into it.
  struct TAxis {
    double Origin = 0;
    double Inverse = 1;
    int32_t Count = 1;
    int32_t Cell(double v) const;
  };
  // The grid of one hit shape (0 circle, 1 rectangle): every live collider
  // with a box of that shape, filed in each cell its box covers, but for the
  // wide ones, which meet every other.
  struct TGrid {
    bool Built = false;
    TAxis X, Y;
    std::vector<TBox> Boxes;  // by collider, as filed
    std::vector<uint8_t> HasBox;
    std::vector<uint32_t> CellStart;  // after filing, cell c runs from CellStart[c - 1] to CellStart[c]
    std::vector<uint32_t> CellItems;
    std::vector<uint32_t> Wide;
    std::vector<uint8_t> IsWide;
  };

  // Everything anew from the list, or from the colliders as they stand.
  void Build(const std::vector<TSprite*>& list);
  void BuildPairs();
  void BuildGrid(TGrid& grid, uint8_t shape);
  // Replaces the pairs of the changed colliders; false when that would cost
  // more than building everything anew.
  bool UpdatePairs();
  // Adds the pair of two colliders when they may hit, looking at the boxes
  // of the first one's shape.
  void AddIfNear(size_t a, size_t b);
  static bool BoxOf(const TCollider& c, uint8_t shape, TBox& box);

  TGrid Grids_[2];
  std::vector<uint32_t> Changed_;     // colliders changed at this refresh
  std::vector<uint8_t> IsChanged_;
  std::vector<uint32_t> Loose_;       // colliders whose filing on the grids is out of date
  std::vector<uint8_t> IsLoose_;
  std::vector<double> Sizes_;
};
