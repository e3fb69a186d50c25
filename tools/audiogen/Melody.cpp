#include "audiogen/Melody.h"

#include <algorithm>
#include <cstdlib>

namespace audiogen {

const std::vector<Rhythm>& Rhythms(Meter meter, int level) {
  static const std::vector<Rhythm> common[4] = {
      {{{0, 8}, {8, 8}}, {{0, 12}, {12, 4}}, {{0, 4}, {4, 4}, {8, 8}}, {{0, 6}, {6, 2}, {8, 8}}, {{0, 8}, {8, 4}, {12, 4}}},
      {{{0, 4}, {4, 4}, {8, 4}, {12, 4}},
       {{0, 6}, {6, 2}, {8, 4}, {12, 4}},
       {{0, 4}, {4, 2}, {6, 2}, {8, 8}},
       {{0, 2}, {2, 2}, {4, 4}, {8, 4}, {12, 4}},
       {{0, 4}, {6, 2}, {8, 6}, {14, 2}},
       {{0, 4}, {4, 4}, {8, 8}}},
      {{{0, 2}, {2, 2}, {4, 2}, {6, 2}, {8, 4}, {12, 4}},
       {{0, 3}, {3, 3}, {6, 2}, {8, 2}, {10, 2}, {12, 4}},
       {{0, 4}, {4, 2}, {6, 2}, {8, 2}, {10, 2}, {12, 4}},
       {{0, 2}, {2, 2}, {4, 4}, {8, 2}, {10, 2}, {12, 4}},
       {{0, 6}, {6, 2}, {8, 2}, {10, 2}, {12, 2}, {14, 2}}},
      {{{0, 4}, {4, 12}}, {{0, 16}}, {{0, 8}, {8, 8}}},  // phrase endings
  };
  static const std::vector<Rhythm> waltz[4] = {
      {{{0, 12}}, {{0, 8}, {8, 4}}, {{0, 4}, {4, 8}}},
      {{{0, 4}, {4, 4}, {8, 4}}, {{0, 6}, {6, 2}, {8, 4}}, {{0, 8}, {8, 2}, {10, 2}}, {{0, 4}, {4, 2}, {6, 2}, {8, 4}}},
      {{{0, 2}, {2, 2}, {4, 4}, {8, 4}}, {{0, 4}, {4, 2}, {6, 2}, {8, 2}, {10, 2}}, {{0, 2}, {2, 2}, {4, 2}, {6, 2}, {8, 4}}},
      {{{0, 12}}, {{0, 4}, {4, 8}}},
  };
  static const std::vector<Rhythm> jig[4] = {
      {{{0, 6}, {6, 6}}, {{0, 12}}, {{0, 4}, {4, 2}, {6, 6}}},
      {{{0, 4}, {4, 2}, {6, 4}, {10, 2}}, {{0, 2}, {2, 2}, {4, 2}, {6, 6}}, {{0, 6}, {6, 2}, {8, 2}, {10, 2}}, {{0, 4}, {4, 2}, {6, 6}}},
      {{{0, 2}, {2, 2}, {4, 2}, {6, 2}, {8, 2}, {10, 2}}, {{0, 4}, {4, 2}, {6, 2}, {8, 2}, {10, 2}}, {{0, 2}, {2, 2}, {4, 2}, {6, 4}, {10, 2}}},
      {{{0, 12}}, {{0, 6}, {6, 6}}},
  };
  level = std::clamp(level, 0, 3);
  switch (meter) {
    case Meter::Waltz:
      return waltz[level];
    case Meter::Jig:
      return jig[level];
    default:
      return common[level];
  }
}

Rhythm Melodist::Pick(int level) {
  const std::vector<Rhythm>& set = Rhythms(Meter_, level);
  return set[Rng_.Int(0, static_cast<int>(set.size()) - 1)];
}

bool Melodist::Strong(int row) const {
  int inBar = row % T_.rowsPerBar;
  if (Meter_ == Meter::Waltz) return inBar == 0;
  if (Meter_ == Meter::Jig) return inBar % 6 == 0;
  return inBar % 8 == 0;
}

std::vector<MelNote> Melodist::Phrase(const std::vector<int>& chords, const std::vector<Rhythm>& rhythms,
                                      int startIdx, int endDegree) {
  std::vector<MelNote> out;
  int idx = NearestChordTone(std::clamp(startIdx, Lo_, Hi_), chords[0], 1);
  int dir = Rng_.Chance(0.5) ? 1 : -1;
  int prevStep = 0, repeats = 0;
  for (size_t bar = 0; bar < chords.size(); ++bar) {
    for (auto [row, len] : rhythms[bar]) {
      int at = static_cast<int>(bar) * T_.rowsPerBar + row;
      int cand = idx;
      if (!out.empty()) {
        int step;
        if (std::abs(prevStep) >= 3) {
          dir = prevStep > 0 ? -1 : 1;
          step = 1;
        } else {
          double r = Rng_.Uniform();
          step = r < 0.55 ? 1 : r < 0.78 ? 2 : r < 0.88 ? 0 : Rng_.Int(3, 4);
          if (Rng_.Chance(0.22)) dir = -dir;
        }
        if (step == 0 && repeats >= 1) step = 1;
        cand = idx + dir * step;
        if (cand > Hi_ || cand < Lo_) {
          dir = -dir;
          cand = idx + dir * step;
        }
      }
      if (Strong(at) || len >= 2 * T_.rowsPerBeat) cand = NearestChordTone(cand, chords[bar], dir);
      cand = Inside(cand, chords[bar]);
      if (!out.empty()) prevStep = cand - idx;
      repeats = cand == idx ? repeats + 1 : 0;
      idx = cand;
      out.push_back({at, len, idx});
    }
  }
  if (endDegree >= 0 && !out.empty()) Cadence(out, endDegree);
  return out;
}

std::vector<MelNote> Melodist::Sequence(const std::vector<MelNote>& motif, int shift, const std::vector<int>& chords,
                                        int from) {
  if (motif.empty()) return motif;
  int best = shift, bestCost = 1 << 20;
  for (int s : {shift - 7, shift, shift + 7}) {
    int lowest = 1 << 20, highest = -(1 << 20);
    for (const MelNote& n : motif) lowest = std::min(lowest, n.idx + s), highest = std::max(highest, n.idx + s);
    int outside = std::max(0, highest - Hi_) + std::max(0, Lo_ - lowest);
    int cost = 100 * outside + std::abs(motif[0].idx + s - from);
    if (cost < bestCost) best = s, bestCost = cost;
  }
  std::vector<MelNote> out = motif;
  int prev = from;
  for (MelNote& n : out) {
    int degree = chords[std::min<size_t>(n.start / T_.rowsPerBar, chords.size() - 1)];
    int idx = n.idx + best;
    if (Strong(n.start) || n.len >= 2 * T_.rowsPerBeat) idx = NearestChordTone(idx, degree, idx >= prev ? 1 : -1);
    n.idx = Inside(idx, degree);
    prev = n.idx;
  }
  return out;
}

// Keeps a note inside the range, moving it by an octave if it must.
int Melodist::Inside(int idx, int degree) const {
  while (idx > Hi_) idx -= 7;
  while (idx < Lo_) idx += 7;
  if (idx > Hi_) idx = NearestChordTone(Hi_, degree, -1);
  return idx;
}

void Melodist::Cadence(std::vector<MelNote>& notes, int degree) {
  MelNote& last = notes.back();
  int from = notes.size() > 1 ? notes[notes.size() - 2].idx : last.idx;
  // The chord's root within three steps, else its nearest tone.
  int best = NearestChordTone(from, degree, 1), bestCost = 100;
  for (int i = from - 3; i <= from + 3; ++i) {
    if (i < Lo_ || i > Hi_ || !IsChordTone(i, degree)) continue;
    int cost = std::abs(i - from) + (Mod(i - degree, 7) == 0 ? 0 : 2);
    if (cost < bestCost) best = i, bestCost = cost;
  }
  last.idx = best;
  // Arrive by step.
  if (notes.size() > 1) {
    MelNote& before = notes[notes.size() - 2];
    if (std::abs(before.idx - best) > 2) {
      int step = before.idx > best ? 1 : -1;
      if (best + step > Hi_ || best + step < Lo_) step = -step;
      before.idx = best + step;
    }
  }
}

}  // namespace audiogen
