#include "audiogen/Dsp.h"

#include <algorithm>
#include <cmath>

namespace audiogen {

uint64_t Rng::Next() {
  uint64_t z = (State_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Rng::Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

double Rng::Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

int Rng::Int(int lo, int hi) {
  if (hi <= lo) return lo;
  return lo + static_cast<int>(Next() % static_cast<uint64_t>(hi - lo + 1));
}

double NoteHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

double PercEnv(double t, double attack, double decay) {
  if (t < 0) return 0;
  if (attack > 0 && t < attack) return t / attack;
  // exp(-6.9) is -60 dB.
  return std::exp(-6.907755 * (t - attack) / decay);
}

namespace {
struct Coefs {
  double b0, b1, b2, a0, a1, a2;
};
Coefs Design(int kind, double rate, double hz, double q) {
  hz = std::clamp(hz, 10.0, rate * 0.49);
  double w = 2 * kPi * hz / rate, cw = std::cos(w), alpha = std::sin(w) / (2 * q);
  switch (kind) {
    case 0:  // low-pass
      return {(1 - cw) / 2, 1 - cw, (1 - cw) / 2, 1 + alpha, -2 * cw, 1 - alpha};
    case 1:  // high-pass
      return {(1 + cw) / 2, -(1 + cw), (1 + cw) / 2, 1 + alpha, -2 * cw, 1 - alpha};
    default:  // band-pass, constant 0 dB peak gain
      return {alpha, 0, -alpha, 1 + alpha, -2 * cw, 1 - alpha};
  }
}
}  // namespace

static void Apply(const Coefs& c, double& b0, double& b1, double& b2, double& a1, double& a2) {
  b0 = c.b0 / c.a0;
  b1 = c.b1 / c.a0;
  b2 = c.b2 / c.a0;
  a1 = c.a1 / c.a0;
  a2 = c.a2 / c.a0;
}

Biquad Biquad::LowPass(double rate, double hz, double q) {
  Biquad f;
  Apply(Design(0, rate, hz, q), f.B0_, f.B1_, f.B2_, f.A1_, f.A2_);
  return f;
}

Biquad Biquad::HighPass(double rate, double hz, double q) {
  Biquad f;
  Apply(Design(1, rate, hz, q), f.B0_, f.B1_, f.B2_, f.A1_, f.A2_);
  return f;
}

Biquad Biquad::BandPass(double rate, double hz, double q) {
  Biquad f;
  Apply(Design(2, rate, hz, q), f.B0_, f.B1_, f.B2_, f.A1_, f.A2_);
  return f;
}

void Biquad::SetBandPass(double rate, double hz, double q) {
  Apply(Design(2, rate, hz, q), B0_, B1_, B2_, A1_, A2_);
}

void Biquad::SetLowPass(double rate, double hz, double q) {
  Apply(Design(0, rate, hz, q), B0_, B1_, B2_, A1_, A2_);
}

float Biquad::Run(float x) {
  double y = B0_ * x + B1_ * X1_ + B2_ * X2_ - A1_ * Y1_ - A2_ * Y2_;
  X2_ = X1_;
  X1_ = x;
  Y2_ = Y1_;
  Y1_ = y;
  return static_cast<float>(y);
}

OnePole::OnePole(double rate, double hz) : A_(1.0 - std::exp(-2 * kPi * hz / rate)) {}

float OnePole::Run(float x) {
  Y_ += A_ * (x - Y_);
  return static_cast<float>(Y_);
}

double Peak(const Buffer& b) {
  double p = 0;
  for (float v : b) p = std::max(p, static_cast<double>(std::fabs(v)));
  return p;
}

double Rms(const Buffer& b) {
  if (b.empty()) return 0;
  double s = 0;
  for (float v : b) s += static_cast<double>(v) * v;
  return std::sqrt(s / static_cast<double>(b.size()));
}

static double ToDb(double v) { return v > 0 ? 20.0 * std::log10(v) : -200.0; }
double PeakDb(const Buffer& b) { return ToDb(Peak(b)); }
double RmsDb(const Buffer& b) { return ToDb(Rms(b)); }

void NormalizePeak(Buffer& b, double peak) {
  double p = Peak(b);
  if (p <= 0) return;
  float g = static_cast<float>(peak / p);
  for (float& v : b) v *= g;
}

void FadeEdges(Buffer& b, int fadeIn, int fadeOut) {
  int n = static_cast<int>(b.size());
  fadeIn = std::min(fadeIn, n);
  fadeOut = std::min(fadeOut, n);
  for (int i = 0; i < fadeIn; ++i)
    b[i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * i / fadeIn));
  for (int i = 0; i < fadeOut; ++i)
    b[n - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * i / fadeOut));
}

void RemoveDc(Buffer& b) {
  if (b.empty()) return;
  double mean = 0;
  for (float v : b) mean += v;
  mean /= static_cast<double>(b.size());
  for (float& v : b) v -= static_cast<float>(mean);
}

void MixInto(Buffer& dst, const Buffer& src, int offset, float gain) {
  if (offset < 0) return;
  size_t need = static_cast<size_t>(offset) + src.size();
  if (dst.size() < need) dst.resize(need, 0.0f);
  for (size_t i = 0; i < src.size(); ++i) dst[offset + i] += src[i] * gain;
}

}  // namespace audiogen
