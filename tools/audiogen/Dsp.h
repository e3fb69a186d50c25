// Small signal-processing kit shared by the instrument, effect and music
// generators: a seeded random generator (so every build writes the same
// bytes), envelopes, filters and level measurement. Everything works on mono
// float buffers in -1..1.
#pragma once

#include <cstdint>
#include <vector>

namespace audiogen {

constexpr double kPi = 3.14159265358979323846;

// splitmix64: tiny, fast and identical on every platform, unlike the
// distributions of <random>, whose output the standard leaves open.
class Rng {
 public:
  explicit Rng(uint64_t seed) : State_(seed) {}
  uint64_t Next();
  double Uniform();                        // [0, 1)
  double Range(double lo, double hi);      // [lo, hi)
  int Int(int lo, int hi);                 // lo..hi inclusive
  bool Chance(double p) { return Uniform() < p; }
  double Noise() { return Uniform() * 2.0 - 1.0; }  // white noise sample

 private:
  uint64_t State_;
};

using Buffer = std::vector<float>;

// Frequency of a MIDI note (69 = A 440 Hz).
double NoteHz(double midi);

// Linear attack then exponential decay to -60 dB after `decay` seconds.
double PercEnv(double t, double attack, double decay);

// Biquad filter (RBJ cookbook forms).
class Biquad {
 public:
  static Biquad LowPass(double rate, double hz, double q);
  static Biquad HighPass(double rate, double hz, double q);
  static Biquad BandPass(double rate, double hz, double q);  // 0 dB peak
  float Run(float x);
  // Retunes a band-pass in place (for sweeps) without resetting its state.
  void SetBandPass(double rate, double hz, double q);
  void SetLowPass(double rate, double hz, double q);

 private:
  double B0_ = 1, B1_ = 0, B2_ = 0, A1_ = 0, A2_ = 0;
  double X1_ = 0, X2_ = 0, Y1_ = 0, Y2_ = 0;
};

// One-pole low-pass, for smoothing noise and softening excitations.
class OnePole {
 public:
  OnePole(double rate, double hz);
  float Run(float x);

 private:
  double A_, Y_ = 0;
};

double Peak(const Buffer& b);
double Rms(const Buffer& b);
double PeakDb(const Buffer& b);
double RmsDb(const Buffer& b);

// Scales the buffer so its peak is `peak` (linear); a silent buffer stays.
void NormalizePeak(Buffer& b, double peak);
// Short raised-cosine fades at both ends so a sound never starts or stops
// with a click.
void FadeEdges(Buffer& b, int fadeIn, int fadeOut);
// Removes any DC offset (a constant shift wastes headroom and clicks).
void RemoveDc(Buffer& b);
// Mixes `src` into `dst` starting at `offset`, growing dst when needed.
void MixInto(Buffer& dst, const Buffer& src, int offset, float gain);

}  // namespace audiogen
