// The bits of music theory the composer works with: modes, metres, the
// tracker timing of a beat, keys as scale positions, chord tones, voice-led
// chord voicings and the bass register.
#pragma once

#include <array>

namespace audiogen {

enum class Mode { Ionian, Dorian, Phrygian, Lydian, Mixolydian, Aeolian, HarmonicMinor };
enum class Meter { Common, Waltz, Jig };  // 4/4, 3/4, 6/8

// Rows of a beat and a bar, and the tracker speed and tempo that play them.
struct Timing {
  int rowsPerBeat, rowsPerBar, speed, tempo;
};

// Semitone steps of the mode's seven degrees above the tonic.
const std::array<int, 7>& ModeSteps(Mode mode);

int FloorDiv(int a, int b);
int Mod(int a, int b);  // always 0..b-1

// Scale positions: index 0 is the tonic in the octave starting at MIDI 48,
// each step up is the next degree of the mode.
struct Key {
  int tonic;
  Mode mode;

  int Pitch(int idx) const;
  int IndexNear(int midi) const;  // the scale position sounding nearest
};

// Chord degrees count from 0 (the tonic); a chord is a stack of thirds.
bool IsChordTone(int idx, int degree);
// Chord tones are at most one scale step away; ties go the way the line moves.
int NearestChordTone(int idx, int degree, int dir);

// Three notes of the chord between MIDI 50 and 76, moving as little as
// possible from `prev` (or centred on 62 without one).
std::array<int, 3> Voicing(const Key& key, int degree, const std::array<int, 3>* prev);

// The scale position's pitch class placed in the bass octave, MIDI 34..45.
int BassPitch(const Key& key, int idx);

}  // namespace audiogen
