#include "audiogen/MusicTheory.h"

#include <cstdlib>

namespace audiogen {

const std::array<int, 7>& ModeSteps(Mode mode) {
  static const std::array<int, 7> steps[] = {
      {0, 2, 4, 5, 7, 9, 11},  // ionian
      {0, 2, 3, 5, 7, 9, 10},  // dorian
      {0, 1, 3, 5, 7, 8, 10},  // phrygian
      {0, 2, 4, 6, 7, 9, 11},  // lydian
      {0, 2, 4, 5, 7, 9, 10},  // mixolydian
      {0, 2, 3, 5, 7, 8, 10},  // aeolian
      {0, 2, 3, 5, 7, 8, 11},  // harmonic minor
  };
  return steps[static_cast<int>(mode)];
}

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int Mod(int a, int b) {
  int m = a % b;
  return m < 0 ? m + b : m;
}

int Key::Pitch(int idx) const { return 48 + tonic + 12 * FloorDiv(idx, 7) + ModeSteps(mode)[Mod(idx, 7)]; }

int Key::IndexNear(int midi) const {
  int guess = (midi - 48 - tonic) * 7 / 12, best = guess, bestDist = 1000;
  for (int i = guess - 4; i <= guess + 4; ++i) {
    int d = std::abs(Pitch(i) - midi);
    if (d < bestDist) best = i, bestDist = d;
  }
  return best;
}

bool IsChordTone(int idx, int degree) {
  int r = Mod(idx - degree, 7);
  return r == 0 || r == 2 || r == 4;
}

int NearestChordTone(int idx, int degree, int dir) {
  if (IsChordTone(idx, degree)) return idx;
  int d = dir >= 0 ? 1 : -1;
  if (IsChordTone(idx + d, degree)) return idx + d;
  return idx - d;
}

std::array<int, 3> Voicing(const Key& key, int degree, const std::array<int, 3>* prev) {
  int pcs[3] = {Mod(key.Pitch(degree), 12), Mod(key.Pitch(degree + 2), 12), Mod(key.Pitch(degree + 4), 12)};
  auto inChord = [&](int p) { return Mod(p, 12) == pcs[0] || Mod(p, 12) == pcs[1] || Mod(p, 12) == pcs[2]; };
  std::array<int, 3> best{};
  double bestCost = 1e9;
  for (int a = 50; a <= 66; ++a) {
    if (!inChord(a)) continue;
    for (int b = a + 1; b <= a + 9; ++b) {
      if (!inChord(b) || Mod(b, 12) == Mod(a, 12)) continue;
      for (int c = b + 1; c <= b + 9 && c <= 76; ++c) {
        if (!inChord(c) || Mod(c, 12) == Mod(a, 12) || Mod(c, 12) == Mod(b, 12)) continue;
        double cost = prev ? std::abs(a - (*prev)[0]) + std::abs(b - (*prev)[1]) + std::abs(c - (*prev)[2])
                           : std::abs((a + b + c) / 3.0 - 62.0);
        if (cost < bestCost) bestCost = cost, best = {a, b, c};
      }
    }
  }
  return best;
}

int BassPitch(const Key& key, int idx) {
  int p = key.Pitch(idx);
  while (p > 45) p -= 12;
  while (p < 34) p += 12;
  return p;
}

}  // namespace audiogen
