#include "audiogen/Effects.h"

#include <cmath>
#include <stdexcept>

namespace audiogen {

namespace {

constexpr double kRate = kEffectRate;

Buffer Silence(double seconds) { return Buffer(static_cast<size_t>(seconds * kRate), 0.0f); }
double Time(size_t i) { return static_cast<double>(i) / kRate; }

// A decaying sine with an optional exponential pitch glide.
void AddTone(Buffer& b, double at, double hz, double toHz, double glide, double amp, double attack, double t60) {
  double phase = 0;
  size_t first = static_cast<size_t>(at * kRate);
  for (size_t i = first; i < b.size(); ++i) {
    double t = Time(i - first);
    double f = glide > 0 ? toHz + (hz - toHz) * std::exp(-t / glide) : hz;
    phase += 2 * kPi * f / kRate;
    b[i] += static_cast<float>(amp * std::sin(phase) * PercEnv(t, attack, t60));
  }
}

// Filtered noise under an attack/decay envelope.
void AddNoise(Buffer& b, Rng& rng, double at, Biquad filter, double amp, double attack, double t60) {
  size_t first = static_cast<size_t>(at * kRate);
  for (size_t i = first; i < b.size(); ++i)
    b[i] += static_cast<float>(amp * filter.Run(static_cast<float>(rng.Noise())) * PercEnv(Time(i - first), attack, t60));
}

// An impulse ringing a resonant band-pass: the knock of a hollow body.
// The band-pass answers an impulse with about sin(w) / 2q; the gain undoes
// that so `amp` is the knock's peak.
void AddKnock(Buffer& b, double at, double hz, double q, double amp) {
  Biquad r = Biquad::BandPass(kRate, hz, q);
  const double gain = amp * 2 * q / std::sin(2 * kPi * hz / kRate);
  size_t first = static_cast<size_t>(at * kRate);
  for (size_t i = first; i < b.size(); ++i) b[i] += static_cast<float>(gain * r.Run(i == first ? 1.0f : 0.0f));
}

Buffer Finish(Buffer b, double peakDb) {
  RemoveDc(b);
  FadeEdges(b, 24, static_cast<int>(0.004 * kRate));
  NormalizePeak(b, std::pow(10.0, peakDb / 20.0));
  return b;
}

// A box under a piece gives way: a dull thump with a short crunch.
Buffer BreakTab(Rng& rng) {
  Buffer b = Silence(0.3);
  AddTone(b, 0, 150, 70, 0.03, 0.8, 0.002, 0.12);
  AddNoise(b, rng, 0, Biquad::BandPass(kRate, 1800, 1.2), 1.2, 0.001, 0.15);
  for (int i = 0; i < 4; ++i) AddNoise(b, rng, rng.Range(0.0, 0.08), Biquad::BandPass(kRate, 3200, 2), 0.6, 0.0005, 0.01);
  return Finish(b, -4);
}

// A wooden box cracks: a sharp snap, the hollow knock of the planks and a
// run of splinters dying away, over a low thud.
Buffer BreakWood(Rng& rng) {
  Buffer b = Silence(0.6);
  AddNoise(b, rng, 0, Biquad::HighPass(kRate, 2000, 0.7), 1.0, 0.0003, 0.012);
  AddTone(b, 0, 110, 80, 0.05, 0.5, 0.002, 0.15);
  const double body[3] = {420, 780, 1350};
  double at = 0, amp = 0.9;
  for (int crack = 0; crack < 8; ++crack) {
    for (double f : body) AddKnock(b, at, f * rng.Range(0.9, 1.1), 10, amp * rng.Range(0.5, 1.0));
    AddNoise(b, rng, at, Biquad::BandPass(kRate, rng.Range(1500, 4000), 1.5), amp * 0.8, 0.0003, 0.02);
    at += rng.Range(0.012, 0.045);
    amp *= 0.72;
  }
  return Finish(b, -3);
}

// Iron is struck: the inharmonic ring of a steel plate, each mode with a
// slightly detuned twin so it shimmers, after a bright hit.
Buffer BreakSteel(Rng& rng) {
  Buffer b = Silence(1.2);
  const double f0 = 380;
  const double ratios[5] = {1.0, 2.32, 4.25, 6.63, 9.38};
  const double amps[5] = {0.7, 1.0, 0.6, 0.35, 0.2};
  const double t60s[5] = {1.1, 0.9, 0.6, 0.4, 0.25};
  for (int i = 0; i < 5; ++i) {
    AddTone(b, 0, f0 * ratios[i], 0, 0, amps[i], 0.0005, t60s[i]);
    AddTone(b, 0, f0 * ratios[i] + 2.5 + i, 0, 0, amps[i] * 0.5, 0.0005, t60s[i] * 0.8);
  }
  AddNoise(b, rng, 0, Biquad::HighPass(kRate, 3000, 0.7), 1.5, 0.0002, 0.02);
  return Finish(b, -3);
}

// An options box is ticked: a crisp click with a short tone.
Buffer Checkbox(Rng& rng) {
  Buffer b = Silence(0.08);
  AddNoise(b, rng, 0, Biquad::BandPass(kRate, 4000, 2), 1.0, 0.0002, 0.006);
  AddTone(b, 0.002, 1500, 0, 0, 0.4, 0.001, 0.035);
  return Finish(b, -8);
}

// A force field collapses: an electric buzz sliding down while its
// brightness closes, with a few sparks.
Buffer ForceFieldOff(Rng& rng) {
  Buffer b = Silence(0.75);
  Biquad lp = Biquad::LowPass(kRate, 4000, 1.5);
  double phase = 0;
  for (size_t i = 0; i < b.size(); ++i) {
    double t = Time(i);
    double f = 55 + 275 * std::exp(-t / 0.18);
    phase += 2 * kPi * f / kRate;
    double saw = 0;
    for (int h = 1; h <= 24 && h * f < 9000; ++h) saw += std::sin(h * phase) / h;
    lp.SetLowPass(kRate, 200 + 3800 * std::exp(-t / 0.2), 1.5);
    double tremolo = 0.75 + 0.25 * std::sin(2 * kPi * 9 * t);
    double env = std::min(1.0, t / 0.01) * std::exp(-t / 0.28);
    b[i] = static_cast<float>(0.5 * lp.Run(static_cast<float>(saw)) * tremolo * env);
  }
  for (int i = 0; i < 7; ++i)
    AddNoise(b, rng, rng.Range(0.0, 0.35), Biquad::HighPass(kRate, 3000, 0.7), 0.5 * rng.Range(0.4, 1.0), 0.0002, 0.01);
  return Finish(b, -4);
}

// A spell is cast: a soft rush of air rising in pitch, a gentle rising tone
// and sparkles scattered over it.
Buffer MagicCast(Rng& rng) {
  Buffer b = Silence(1.2);
  Biquad bp = Biquad::BandPass(kRate, 300, 2);
  OnePole soft(kRate, 5000);  // keeps the rush from hissing
  for (size_t i = 0; i < b.size(); ++i) {
    double t = Time(i);
    double sweep = std::min(t / 0.7, 1.0);
    bp.SetBandPass(kRate, 300 * std::pow(12.0, sweep), 2.0);
    double env = t < 0.9 ? std::sin(kPi * t / 0.9) : 0.0;
    b[i] = static_cast<float>(0.9 * soft.Run(bp.Run(static_cast<float>(rng.Noise()))) * env * env);
  }
  double phase = 0;
  for (size_t i = 0; i < b.size(); ++i) {
    double t = Time(i);
    phase += 2 * kPi * (400 + 800 * std::min(t / 0.8, 1.0) + 8 * std::sin(2 * kPi * 6 * t)) / kRate;
    double env = t < 1.0 ? std::sin(kPi * t / 1.0) : 0.0;
    b[i] += static_cast<float>(0.12 * std::sin(phase) * env);
  }
  for (int i = 0; i < 12; ++i) AddTone(b, rng.Range(0.08, 0.85), rng.Range(2000, 6000), 0, 0, 0.18, 0.001, 0.25);
  return Finish(b, -3);
}

// A bell-like partial pair, for chimes and pings.
void AddPing(Buffer& b, double at, double hz, double amp, double t60) {
  AddTone(b, at, hz, 0, 0, amp, 0.002, t60);
  AddTone(b, at, hz * 2, 0, 0, amp * 0.3, 0.002, t60 * 0.6);
  AddTone(b, at, hz * 2.76, 0, 0, amp * 0.1, 0.001, t60 * 0.4);
}

// A menu choice: a rising two-note chime.
Buffer MenuSelect(Rng&) {
  Buffer b = Silence(0.45);
  AddPing(b, 0, 1318.5, 0.8, 0.35);
  AddPing(b, 0.07, 1975.5, 0.8, 0.35);
  return Finish(b, -6);
}

// The cursor enters a menu button: a soft short blip.
Buffer MouseOverMenu(Rng&) {
  Buffer b = Silence(0.1);
  AddTone(b, 0, 880, 1100, 0.015, 1.0, 0.005, 0.08);
  return Finish(b, -12);
}

// One step of the score tally: a bright, very short tick.
Buffer ContagemPontos(Rng& rng) {
  Buffer b = Silence(0.08);
  AddTone(b, 0, 2637, 0, 0, 1.0, 0.001, 0.06);
  AddTone(b, 0, 3951, 0, 0, 0.3, 0.001, 0.04);
  AddNoise(b, rng, 0, Biquad::HighPass(kRate, 5000, 0.7), 0.3, 0.0002, 0.004);
  return Finish(b, -9);
}

// The cursor moves onto a new cell: a faint tick that never tires.
Buffer Snap(Rng& rng) {
  Buffer b = Silence(0.05);
  AddNoise(b, rng, 0, Biquad::BandPass(kRate, 2500, 3), 1.0, 0.0003, 0.02);
  AddTone(b, 0, 1800, 0, 0, 0.3, 0.0005, 0.02);
  return Finish(b, -14);
}

// Filtered noise whose centre glides from `from` to `to` Hz.
void AddWhoosh(Buffer& b, Rng& rng, double from, double to, double rise, double length, double amp) {
  Biquad bp = Biquad::BandPass(kRate, from, 1.5);
  for (size_t i = 0; i < b.size(); ++i) {
    double t = Time(i);
    if (t > length) break;
    bp.SetBandPass(kRate, from * std::pow(to / from, t / length), 1.5);
    double env = t < rise ? t / rise : std::max(0.0, 1.0 - (t - rise) / (length - rise));
    b[i] += static_cast<float>(amp * bp.Run(static_cast<float>(rng.Noise())) * env);
  }
}

// Two pieces trade places: a quick swish.
Buffer Swap(Rng& rng) {
  Buffer b = Silence(0.25);
  AddWhoosh(b, rng, 600, 2200, 0.08, 0.24, 1.0);
  return Finish(b, -8);
}

// A swap without a match springs back: a falling "boing" over a reversed
// swish.
Buffer SwapBack(Rng& rng) {
  Buffer b = Silence(0.3);
  AddWhoosh(b, rng, 2200, 600, 0.05, 0.22, 0.6);
  AddTone(b, 0.02, 700, 300, 0.08, 0.8, 0.004, 0.22);
  return Finish(b, -7);
}

// Something heavy rolls: low rumble in uneven bumps that slow down.
Buffer Roll(Rng& rng) {
  Buffer b = Silence(0.9);
  Biquad lp = Biquad::LowPass(kRate, 260, 0.9), lp2 = Biquad::LowPass(kRate, 260, 0.9);
  double bumpPhase = 0, bump = 1;
  for (size_t i = 0; i < b.size(); ++i) {
    double t = Time(i);
    double rate = 14 - 6 * t / 0.9;
    double before = bumpPhase;
    bumpPhase += rate / kRate;
    if (std::floor(bumpPhase) != std::floor(before)) bump = rng.Range(0.5, 1.0);
    double shape = std::pow(0.5 + 0.5 * std::cos(2 * kPi * bumpPhase), 3.0) * bump;
    double env = std::min(1.0, t / 0.05) * (t > 0.6 ? std::max(0.0, 1 - (t - 0.6) / 0.3) : 1.0);
    b[i] = static_cast<float>(lp2.Run(lp.Run(static_cast<float>(rng.Noise()))) * (0.3 + shape) * env);
  }
  return Finish(b, -5);
}

// Points are awarded: four quick pings climbing a major arpeggio.
Buffer PontosSubindo(Rng&) {
  Buffer b = Silence(0.4);
  const double notes[4] = {1046.5, 1318.5, 1568.0, 2093.0};
  for (int i = 0; i < 4; ++i) AddPing(b, 0.045 * i, notes[i], 0.6 + 0.1 * i, 0.15);
  return Finish(b, -8);
}

// A key press: the soft click of a key and the low knock of its travel.
Buffer Digitac(Rng& rng) {
  Buffer b = Silence(0.05);
  AddNoise(b, rng, 0, Biquad::HighPass(kRate, 2000, 0.7), 1.0, 0.0002, 0.01);
  AddTone(b, 0.001, 250, 0, 0, 0.4, 0.001, 0.025);
  return Finish(b, -12);
}

// The last seconds of the level clock: the soft wooden tock of an old clock,
// a hollow knock and its overtone after a tiny click.
Buffer ClockTick(Rng& rng) {
  Buffer b = Silence(0.16);
  AddNoise(b, rng, 0, Biquad::BandPass(kRate, 3000, 2), 0.4, 0.0003, 0.006);
  AddKnock(b, 0.001, 1180, 14, 1.0);
  AddKnock(b, 0.001, 2340, 18, 0.35);
  AddTone(b, 0.001, 620, 0, 0, 0.25, 0.001, 0.05);
  return Finish(b, -11);
}

struct EffectDef {
  const char* file;
  Buffer (*make)(Rng&);
};

const EffectDef kEffects[] = {
    {"break-tab.ogg", BreakTab},
    {"break-wood.ogg", BreakWood},
    {"break-steel.ogg", BreakSteel},
    {"checkbox.ogg", Checkbox},
    {"force-field-off.ogg", ForceFieldOff},
    {"magic-cast.ogg", MagicCast},
    {"menu-select.ogg", MenuSelect},
    {"mouse-over-menu.ogg", MouseOverMenu},
    {"contagem-pontos.ogg", ContagemPontos},
    {"snap.ogg", Snap},
    {"swap1.ogg", Swap},
    {"swapback.ogg", SwapBack},
    {"roll.ogg", Roll},
    {"pontos-subindo.ogg", PontosSubindo},
    {"digitac.ogg", Digitac},
    {"clock-tick.ogg", ClockTick},
};

}  // namespace

const std::vector<std::string>& EffectFiles() {
  static const std::vector<std::string> files = [] {
    std::vector<std::string> f;
    for (const EffectDef& e : kEffects) f.push_back(e.file);
    return f;
  }();
  return files;
}

Buffer SynthesizeEffect(const std::string& file) {
  uint64_t seed = 0xEFFEC7;
  for (const EffectDef& e : kEffects) {
    ++seed;
    if (file == e.file) {
      Rng rng(seed * 0x100000001B3ull);
      return e.make(rng);
    }
  }
  throw std::invalid_argument("unknown sound effect " + file);
}

}  // namespace audiogen
