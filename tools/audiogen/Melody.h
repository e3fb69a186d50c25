// Melody writing: bar rhythms by metre and liveliness, and a melodist that
// turns chords into phrases (chord tones on strong beats, steps between, a
// leap answered by a step back), moves motifs onto new chords, and closes
// phrases with cadences.
#pragma once

#include <utility>
#include <vector>

#include "audiogen/Dsp.h"
#include "audiogen/MusicTheory.h"

namespace audiogen {

using Rhythm = std::vector<std::pair<int, int>>;  // (row, length) within a bar

// Bar rhythms: level 0 calm, 1 moving, 2 busy, kEnding phrase endings.
constexpr int kEnding = 3;
const std::vector<Rhythm>& Rhythms(Meter meter, int level);

struct MelNote {
  int start;  // rows from the start of the passage
  int len;
  int idx;  // scale position
};

class Melodist {
 public:
  // Notes stay between scale positions lo and hi.
  Melodist(const Key& key, const Timing& t, Meter meter, int lo, int hi, Rng& rng)
      : Key_(key), T_(t), Meter_(meter), Lo_(lo), Hi_(hi), Rng_(rng) {}

  int Lo() const { return Lo_; }
  int Hi() const { return Hi_; }

  Rhythm Pick(int level);
  // Beats that carry a chord tone: 1 and 3 in 4/4, 1 in 3/4, both in 6/8.
  bool Strong(int row) const;

  // A phrase over one chord per bar, starting near startIdx; when endDegree
  // is given (>= 0) the last note lands on that chord, by step.
  std::vector<MelNote> Phrase(const std::vector<int>& chords, const std::vector<Rhythm>& rhythms, int startIdx,
                              int endDegree);

  // The motif moved by `shift` scale steps onto new chords: the shape stays,
  // strong and long notes are nudged onto the new chord's tones. Of the
  // octaves that fit the range, the one starting nearest `from` is used.
  std::vector<MelNote> Sequence(const std::vector<MelNote>& motif, int shift, const std::vector<int>& chords,
                                int from);

 private:
  int Inside(int idx, int degree) const;
  void Cadence(std::vector<MelNote>& notes, int degree);

  Key Key_;
  Timing T_;
  Meter Meter_;
  int Lo_, Hi_;
  Rng& Rng_;
};

}  // namespace audiogen
