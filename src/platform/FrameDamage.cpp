#include "platform/FrameDamage.h"

#include <algorithm>
#include <cstring>

namespace plat {

uint64_t HashBytes(const void* data, size_t size, uint64_t seed) {
  // Eight bytes at a time through a multiply-xorshift mix (as in wyhash and
  // its kin); good enough to tell apart primitives, far cheaper than a
  // cryptographic digest.
  constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
  auto mix = [](uint64_t h) {
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ull;
    h ^= h >> 32;
    return h;
  };
  const auto* p = static_cast<const uint8_t*>(data);
  uint64_t h = seed ^ (size * kMul);
  while (size >= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    h = mix(h ^ word) * kMul;
    p += 8;
    size -= 8;
  }
  if (size > 0) {
    uint64_t word = 0;
    std::memcpy(&word, p, size);
    h = mix(h ^ word ^ (uint64_t{size} << 56)) * kMul;
  }
  return mix(h);
}

FrameDamage::FrameDamage(int width, int height, int cell)
    : Width_(width), Height_(height), Cell_(cell), Cols_((width + cell - 1) / cell), Rows_((height + cell - 1) / cell) {
  Dirty_.assign(static_cast<size_t>(Cols_) * Rows_, 0);
}

void FrameDamage::Mark(const FramePrim& p) {
  if (p.X1 <= p.X0 || p.Y1 <= p.Y0) return;
  const int c0 = std::max(0, p.X0 / Cell_), c1 = std::min(Cols_ - 1, (p.X1 - 1) / Cell_);
  const int r0 = std::max(0, p.Y0 / Cell_), r1 = std::min(Rows_ - 1, (p.Y1 - 1) / Cell_);
  for (int r = r0; r <= r1; ++r) std::fill_n(Dirty_.begin() + r * Cols_ + c0, c1 - c0 + 1, uint8_t{1});
}

bool FrameDamage::Compute(const std::vector<FramePrim>& before, const std::vector<FramePrim>& after,
                          std::vector<DamageRect>& rects) {
  rects.clear();
  const int nOld = static_cast<int>(before.size()), nNew = static_cast<int>(after.size());

  // Pair each new primitive with the earliest unused old one of the same hash.
  Sorted_.resize(static_cast<size_t>(nOld));
  for (int i = 0; i < nOld; ++i) Sorted_[i] = {before[i].Hash, i};
  std::sort(Sorted_.begin(), Sorted_.end());
  MatchOf_.assign(static_cast<size_t>(nNew), -1);
  Taken_.assign(static_cast<size_t>(nOld), 0);  // per group of equal hashes, how many are paired
  for (int i = 0; i < nNew; ++i) {
    const uint64_t h = after[i].Hash;
    const auto group = std::lower_bound(Sorted_.begin(), Sorted_.end(), std::make_pair(h, -1));
    if (group == Sorted_.end() || group->first != h) continue;
    const size_t g = static_cast<size_t>(group - Sorted_.begin());
    const size_t candidate = g + static_cast<size_t>(Taken_[g]);
    if (candidate < Sorted_.size() && Sorted_[candidate].first == h) {
      MatchOf_[i] = Sorted_[candidate].second;
      ++Taken_[g];
    }
  }

  // The pairs kept are the longest run in which the old order is the new
  // order: drawn in the same order, they give each pixel outside the damage
  // the same colours as before.
  Tails_.clear();
  TailIndex_.clear();
  Parent_.assign(static_cast<size_t>(nNew), -1);
  for (int i = 0; i < nNew; ++i) {
    const int m = MatchOf_[i];
    if (m < 0) continue;
    const auto at = std::lower_bound(Tails_.begin(), Tails_.end(), m);
    const size_t k = static_cast<size_t>(at - Tails_.begin());
    if (at == Tails_.end()) {
      Tails_.push_back(m);
      TailIndex_.push_back(i);
    } else {
      *at = m;
      TailIndex_[k] = i;
    }
    Parent_[i] = k > 0 ? TailIndex_[k - 1] : -1;
  }
  Kept_.assign(static_cast<size_t>(nNew), 0);
  std::vector<uint8_t> oldKept(static_cast<size_t>(nOld), 0);
  for (int i = TailIndex_.empty() ? -1 : TailIndex_.back(); i >= 0; i = Parent_[i]) {
    Kept_[i] = 1;
    oldKept[static_cast<size_t>(MatchOf_[i])] = 1;
  }

  std::fill(Dirty_.begin(), Dirty_.end(), uint8_t{0});
  for (int i = 0; i < nNew; ++i)
    if (!Kept_[i]) Mark(after[i]);
  for (int i = 0; i < nOld; ++i)
    if (!oldKept[i]) Mark(before[i]);

  // Rows of dirty cells become rectangles; a run continues the rectangle
  // above it when it spans the same columns.
  struct Open {
    int C0, C1, R0, R1;
  };
  std::vector<Open> done, open, next;
  for (int r = 0; r < Rows_; ++r) {
    next.clear();
    const uint8_t* row = Dirty_.data() + r * Cols_;
    for (int c = 0; c < Cols_;) {
      if (!row[c]) {
        ++c;
        continue;
      }
      int e = c;
      while (e < Cols_ && row[e]) ++e;
      auto same = std::find_if(open.begin(), open.end(), [&](const Open& o) { return o.C0 == c && o.C1 == e; });
      if (same != open.end()) {
        same->R1 = r + 1;
        next.push_back(*same);
        same->C0 = -1;  // continued
      } else {
        next.push_back({c, e, r, r + 1});
      }
      c = e;
    }
    for (const Open& o : open)
      if (o.C0 >= 0) done.push_back(o);
    open.swap(next);
  }
  done.insert(done.end(), open.begin(), open.end());
  if (done.empty()) return true;

  auto area = [](const Open& o) { return (o.C1 - o.C0) * (o.R1 - o.R0); };
  auto joined = [](const Open& a, const Open& b) {
    return Open{std::min(a.C0, b.C0), std::max(a.C1, b.C1), std::min(a.R0, b.R0), std::max(a.R1, b.R1)};
  };
  if (done.size() > 64) {
    // Scattered all over: one rectangle around everything.
    Open all = done[0];
    for (const Open& o : done) all = joined(all, o);
    done.assign(1, all);
  }
  // Merge the two rectangles whose union wastes least, until few are left.
  while (done.size() > static_cast<size_t>(kMaxRects)) {
    size_t bi = 0, bj = 1;
    int best = -1;
    for (size_t i = 0; i < done.size(); ++i) {
      for (size_t j = i + 1; j < done.size(); ++j) {
        const int waste = area(joined(done[i], done[j])) - area(done[i]) - area(done[j]);
        if (best < 0 || waste < best) {
          best = waste;
          bi = i;
          bj = j;
        }
      }
    }
    done[bi] = joined(done[bi], done[bj]);
    done.erase(done.begin() + static_cast<std::ptrdiff_t>(bj));
  }
  // Merged rectangles may overlap; their area is counted as drawn.
  int64_t cells = 0;
  for (const Open& o : done) cells += area(o);
  if (cells * 100 > int64_t{kFullRedrawPercent} * Cols_ * Rows_) return false;

  for (const Open& o : done) {
    DamageRect d;
    d.X = o.C0 * Cell_;
    d.Y = o.R0 * Cell_;
    d.W = std::min(Width_, o.C1 * Cell_) - d.X;
    d.H = std::min(Height_, o.R1 * Cell_) - d.Y;
    rects.push_back(d);
  }
  return true;
}

}  // namespace plat
