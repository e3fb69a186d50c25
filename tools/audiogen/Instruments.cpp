#include "audiogen/Instruments.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <functional>

namespace audiogen {

namespace {

constexpr double kMiddleC = 261.6255653005986;

struct Partial {
  double hz;
  double amp;
  double phase;
};

// Sum of sine partials, each advanced by a complex rotation (cheaper than a
// sine call per sample and exact enough over a few seconds).
Buffer Additive(int rate, size_t n, const std::vector<Partial>& partials) {
  std::vector<double> acc(n, 0.0);
  for (const Partial& p : partials) {
    if (p.hz <= 0 || p.hz >= rate * 0.5 || p.amp == 0) continue;
    const std::complex<double> step = std::polar(1.0, 2 * kPi * p.hz / rate);
    std::complex<double> z = std::polar(1.0, p.phase);
    for (size_t i = 0; i < n; ++i) {
      acc[i] += p.amp * z.imag();
      z *= step;
    }
  }
  return Buffer(acc.begin(), acc.end());
}

// A sustained tone that repeats exactly once a second: every partial sits on
// a whole number of hertz, so the loop [start, start + rate) joins without a
// seam. `harmonicAmp(h, hz)` shapes the spectrum; `voices` detuned copies
// (1 Hz apart) give the slow beating of an ensemble.
Buffer PeriodicTone(int rate, size_t n, int baseHz, int voices, Rng& rng,
                    const std::function<double(int, double)>& harmonicAmp) {
  std::vector<Partial> partials;
  for (int v = 0; v < voices; ++v) {
    int hz = baseHz + v - (voices - 1) / 2;
    for (int h = 1; h * hz < rate / 2; ++h) {
      double amp = harmonicAmp(h, static_cast<double>(h) * hz);
      if (amp > 1e-4) partials.push_back({static_cast<double>(h * hz), amp, rng.Range(0, 2 * kPi)});
    }
  }
  return Additive(rate, n, partials);
}

// Band-limited noise that repeats every `period` samples: the filter runs over
// two laps of the same noise and the second lap, whose start has the first
// lap's end as its history, is kept.
Buffer PeriodicNoise(int rate, size_t period, double lowHz, double highHz, Rng& rng) {
  Buffer noise(period);
  for (float& v : noise) v = static_cast<float>(rng.Noise());
  Biquad hp = Biquad::HighPass(rate, lowHz, 0.707), lp = Biquad::LowPass(rate, highHz, 0.707);
  Buffer out(period);
  for (int lap = 0; lap < 2; ++lap)
    for (size_t i = 0; i < period; ++i) out[i] = lp.Run(hp.Run(noise[i]));
  return out;
}

Buffer Tile(const Buffer& period, size_t n) {
  Buffer out(n);
  for (size_t i = 0; i < n; ++i) out[i] = period[i % period.size()];
  return out;
}

// Karplus-Strong plucked string. The two-point average in the loop delays by
// half a sample, so the pitch is rate / (N + 0.5); the exact value is returned
// and later tunes the sample through its playback rate.
Buffer Pluck(int rate, double hz, double seconds, double t60, double brightHz, double pickPos, Rng& rng,
             double& actualHz) {
  int period = std::max(2, static_cast<int>(std::floor(rate / hz - 0.5)));
  actualHz = rate / (period + 0.5);
  Buffer excite(period);
  OnePole soft(rate, brightHz);
  for (float& v : excite) v = soft.Run(static_cast<float>(rng.Noise()));
  RemoveDc(excite);
  // Plucking away from the end removes the harmonics with a node there.
  int pick = std::max(1, static_cast<int>(period * pickPos));
  Buffer shaped(period);
  for (int i = 0; i < period; ++i) shaped[i] = excite[i] - (i >= pick ? excite[i - pick] : 0.0f);
  size_t n = static_cast<size_t>(seconds * rate);
  Buffer y(n, 0.0f);
  const double rho = std::pow(0.001, 1.0 / (actualHz * t60));
  for (size_t i = 0; i < n; ++i) {
    double fed = 0;
    if (i >= static_cast<size_t>(period) + 1) fed = rho * 0.5 * (y[i - period] + y[i - period - 1]);
    else if (i >= static_cast<size_t>(period)) fed = rho * 0.5 * y[i - period];
    y[i] = static_cast<float>((i < static_cast<size_t>(period) ? shaped[i] : 0.0) + fed);
  }
  return y;
}

// Struck bars, bells and drums: partials at fixed ratios, each with its own
// decay.
struct Mode {
  double ratio, amp, t60;
};
Buffer Struck(int rate, double hz, double seconds, const std::vector<Mode>& modes, double attack, Rng& rng) {
  size_t n = static_cast<size_t>(seconds * rate);
  std::vector<double> acc(n, 0.0);
  for (const Mode& m : modes) {
    double f = hz * m.ratio;
    if (f >= rate * 0.45) continue;
    const std::complex<double> step = std::polar(1.0, 2 * kPi * f / rate);
    std::complex<double> z = std::polar(1.0, rng.Range(0, 2 * kPi));
    const double decay = std::exp(-6.907755 / (m.t60 * rate));
    double env = m.amp;
    for (size_t i = 0; i < n; ++i) {
      double a = static_cast<double>(i) / rate < attack ? (static_cast<double>(i) / rate) / attack : 1.0;
      acc[i] += env * a * z.imag();
      z *= step;
      env *= decay;
    }
  }
  return Buffer(acc.begin(), acc.end());
}

// A short burst of filtered noise, for mallet and hammer contacts.
Buffer Click(int rate, double seconds, double lowHz, double highHz, double t60, Rng& rng) {
  size_t n = static_cast<size_t>(seconds * rate);
  Buffer b(n);
  Biquad hp = Biquad::HighPass(rate, lowHz, 0.707), lp = Biquad::LowPass(rate, highHz, 0.707);
  for (size_t i = 0; i < n; ++i)
    b[i] = lp.Run(hp.Run(static_cast<float>(rng.Noise() * PercEnv(static_cast<double>(i) / rate, 0.0005, t60))));
  return b;
}

void Finish(InstrumentSound& s, double peak = 0.9) {
  if (!s.loop) {
    RemoveDc(s.pcm);
    FadeEdges(s.pcm, 0, std::min<int>(static_cast<int>(s.pcm.size() / 8), s.rate / 20));
  }
  NormalizePeak(s.pcm, peak);
}

// A sustained instrument: an optional attack section followed by exactly one
// second of a periodic tone, which is the loop.
void MakeSustained(InstrumentSound& s, int rate, int baseHz, double attackSeconds, const Buffer& tone) {
  s.rate = rate;
  s.pitchHz = baseHz;
  s.loop = true;
  s.loopStart = static_cast<uint32_t>(attackSeconds * rate);
  s.loopEnd = s.loopStart + static_cast<uint32_t>(rate);
  s.pcm = tone;
  s.pcm.resize(s.loopEnd);
}

InstrumentSound Synthesize(Voice v) {
  InstrumentSound s;
  Rng rng(0x6A7E5EEDull + static_cast<uint64_t>(v) * 7919);
  switch (v) {
    case Voice::Harp: {
      s.name = "harp";
      s.rate = 32000;
      s.pcm = Pluck(s.rate, NoteHz(69), 1.4, 1.5, 5200, 0.18, rng, s.pitchHz);
      Biquad body = Biquad::LowPass(s.rate, 6500, 0.6);
      for (float& x : s.pcm) x = body.Run(x);
      s.fade = 0.6;
      s.lowNote = 48, s.highNote = 91;
      break;
    }
    case Voice::Guitar: {
      s.name = "nylon guitar";
      s.rate = 22050;
      s.pcm = Pluck(s.rate, NoteHz(55), 1.4, 1.8, 2600, 0.23, rng, s.pitchHz);
      Biquad body = Biquad::LowPass(s.rate, 3800, 0.8);
      for (float& x : s.pcm) x = body.Run(x);
      s.fade = 0.5;
      s.lowNote = 40, s.highNote = 84;
      break;
    }
    case Voice::Pad: {
      s.name = "soft pad";
      // Three detuned voices of a saw-like spectrum with a low roll-off.
      Buffer tone = PeriodicTone(22050, 22050, 262, 3, rng, [](int h, double hz) {
        return (1.0 / h) / (1.0 + std::pow(hz / 1100.0, 2.0));
      });
      MakeSustained(s, 22050, 262, 0, tone);
      s.attack = 0.45, s.release = 0.9, s.fade = 1.0;
      s.nna = nnaNoteOff;
      s.lowNote = 43, s.highNote = 79;
      break;
    }
    case Voice::Strings: {
      s.name = "strings";
      Buffer tone = PeriodicTone(32000, 32000 + 3200, 262, 3, rng, [](int h, double hz) {
        double formant = 1.0 + 0.6 * std::exp(-std::pow((hz - 2600.0) / 900.0, 2.0));
        return (1.0 / h) * formant / (1.0 + std::pow(hz / 3500.0, 3.0));
      });
      // A little bow noise in the attack.
      Buffer bow = Click(32000, 0.1, 1500, 6000, 0.08, rng);
      MixInto(tone, bow, 0, 0.05f);
      MakeSustained(s, 32000, 262, 0.1, tone);
      s.attack = 0.18, s.release = 0.5, s.fade = 0.7;
      s.nna = nnaNoteOff;
      s.vibratoSpeed = 18, s.vibratoDepth = 6, s.vibratoRate = 24;
      s.lowNote = 48, s.highNote = 91;
      break;
    }
    case Voice::Flute: {
      s.name = "flute";
      const int rate = 32000;
      Buffer tone = PeriodicTone(rate, rate + 3200, 523, 1, rng, [](int h, double) {
        static const double amps[] = {1.0, 0.22, 0.1, 0.04, 0.02, 0.01};
        return h <= 6 ? amps[h - 1] : 0.0;
      });
      Buffer breath = Tile(PeriodicNoise(rate, rate, 1800, 5000, rng), tone.size());
      for (size_t i = 0; i < tone.size(); ++i) {
        double t = static_cast<double>(i) / rate;
        double chiff = t < 0.1 ? 0.35 * (1.0 - t / 0.1) : 0.0;
        tone[i] += breath[i] * static_cast<float>(0.5 * (0.06 + chiff));
      }
      MakeSustained(s, rate, 523, 0.1, tone);
      s.attack = 0.05, s.release = 0.15, s.fade = 0.3;
      s.nna = nnaNoteOff;
      s.vibratoSpeed = 20, s.vibratoDepth = 8, s.vibratoRate = 12;
      s.lowNote = 60, s.highNote = 96;
      break;
    }
    case Voice::Bell: {
      s.name = "bell";
      s.rate = 32000;
      s.pitchHz = NoteHz(84);
      s.pcm = Struck(s.rate, s.pitchHz, 1.5,
                     {{1.0, 1.0, 1.8}, {2.0, 0.12, 1.2}, {2.76, 0.35, 0.8}, {5.40, 0.18, 0.45}, {8.93, 0.08, 0.25}},
                     0.001, rng);
      MixInto(s.pcm, Click(s.rate, 0.01, 3000, 12000, 0.004, rng), 0, 0.15f);
      s.fade = 0.8;
      s.lowNote = 67, s.highNote = 103;
      break;
    }
    case Voice::Marimba: {
      s.name = "marimba";
      s.rate = 32000;
      s.pitchHz = NoteHz(67);
      s.pcm = Struck(s.rate, s.pitchHz, 0.9, {{1.0, 1.0, 0.7}, {3.93, 0.3, 0.16}, {9.2, 0.07, 0.05}}, 0.0015, rng);
      MixInto(s.pcm, Click(s.rate, 0.01, 200, 2500, 0.005, rng), 0, 0.25f);
      s.fade = 0.35;
      s.lowNote = 48, s.highNote = 91;
      break;
    }
    case Voice::Kalimba: {
      s.name = "kalimba";
      s.rate = 32000;
      s.pitchHz = NoteHz(72);
      s.pcm = Struck(s.rate, s.pitchHz, 1.1, {{1.0, 1.0, 1.1}, {5.84, 0.16, 0.18}, {15.6, 0.05, 0.04}}, 0.001, rng);
      MixInto(s.pcm, Click(s.rate, 0.008, 1000, 6000, 0.003, rng), 0, 0.2f);
      s.fade = 0.5;
      s.lowNote = 60, s.highNote = 96;
      break;
    }
    case Voice::EPiano: {
      s.name = "electric piano";
      s.rate = 32000;
      s.pitchHz = NoteHz(60);
      size_t n = static_cast<size_t>(1.6 * s.rate);
      s.pcm.resize(n);
      // Two-operator FM: the modulation index falls as the note rings, so
      // the tone starts bright and mellows.
      for (size_t i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / s.rate;
        double w = 2 * kPi * s.pitchHz * t;
        double index = 0.3 + 1.8 * std::exp(-t / 0.25);
        double tine = 0.12 * std::exp(-t / 0.04) * std::sin(w * 14.0);
        s.pcm[i] = static_cast<float>((std::sin(w + index * std::sin(w)) + tine) * PercEnv(t, 0.002, 2.2));
      }
      s.fade = 0.35;
      s.lowNote = 45, s.highNote = 88;
      break;
    }
    case Voice::Brass: {
      s.name = "brass";
      const int rate = 32000;
      Buffer tone = PeriodicTone(rate, rate + 1600, 262, 2, rng, [](int h, double hz) {
        return std::pow(h, -0.6) / (1.0 + std::pow(hz / 2400.0, 4.0));
      });
      // The attack is brighter and a little noisy, like a lip buzz.
      Buffer blat = Click(rate, 0.05, 800, 5000, 0.04, rng);
      MixInto(tone, blat, 0, 0.15f);
      MakeSustained(s, rate, 262, 0.05, tone);
      s.attack = 0.04, s.release = 0.2, s.fade = 0.3;
      s.nna = nnaNoteOff;
      s.vibratoSpeed = 16, s.vibratoDepth = 4, s.vibratoRate = 10;
      s.lowNote = 48, s.highNote = 84;
      break;
    }
    case Voice::Choir: {
      s.name = "choir";
      // A sung "ah": a harmonic source shaped by the three vowel formants.
      Buffer tone = PeriodicTone(32000, 32000, 262, 3, rng, [](int h, double hz) {
        auto peak = [&](double f, double bw, double a) { return a / (1.0 + std::pow((hz - f) / bw, 2.0)); };
        return (1.0 / h) * (0.05 + peak(750, 110, 1.0) + peak(1180, 130, 0.55) + peak(2800, 200, 0.25));
      });
      MakeSustained(s, 32000, 262, 0, tone);
      s.attack = 0.5, s.release = 1.0, s.fade = 1.0;
      s.nna = nnaNoteOff;
      s.vibratoSpeed = 14, s.vibratoDepth = 5, s.vibratoRate = 8;
      s.lowNote = 48, s.highNote = 81;
      break;
    }
    case Voice::Bass: {
      s.name = "round bass";
      Buffer tone = PeriodicTone(22050, 22050, 65, 1, rng, [](int h, double) {
        static const double amps[] = {1.0, 0.55, 0.28, 0.14, 0.08, 0.04, 0.02};
        return h <= 7 ? amps[h - 1] : 0.0;
      });
      MakeSustained(s, 22050, 65, 0, tone);
      s.attack = 0.01, s.release = 0.12, s.fade = 0.2;
      s.nna = nnaNoteOff;
      s.lowNote = 28, s.highNote = 60;
      break;
    }
    case Voice::PluckBass: {
      s.name = "plucked bass";
      s.rate = 22050;
      s.pcm = Pluck(s.rate, NoteHz(36), 1.4, 1.6, 900, 0.3, rng, s.pitchHz);
      s.fade = 0.3;
      s.lowNote = 28, s.highNote = 60;
      break;
    }
    case Voice::Timpani: {
      s.name = "timpani";
      s.rate = 22050;
      s.pitchHz = NoteHz(43);
      s.pcm = Struck(s.rate, s.pitchHz, 1.8, {{1.0, 1.0, 1.6}, {1.5, 0.5, 1.1}, {1.98, 0.3, 0.8}, {2.44, 0.15, 0.5}},
                     0.004, rng);
      MixInto(s.pcm, Click(s.rate, 0.08, 40, 400, 0.05, rng), 0, 0.5f);
      s.fade = 0.6;
      s.lowNote = 36, s.highNote = 55;
      break;
    }
    case Voice::Kick: {
      s.name = "kick";
      s.rate = 22050;
      size_t n = static_cast<size_t>(0.45 * s.rate);
      s.pcm.resize(n);
      double phase = 0;
      for (size_t i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / s.rate;
        phase += 2 * kPi * (46.0 + 110.0 * std::exp(-t / 0.035)) / s.rate;
        s.pcm[i] = static_cast<float>(std::sin(phase) * PercEnv(t, 0.001, 0.42));
      }
      MixInto(s.pcm, Click(s.rate, 0.01, 1000, 8000, 0.004, rng), 0, 0.2f);
      s.nna = nnaCut;
      break;
    }
    case Voice::Snare: {
      s.name = "snare";
      s.rate = 44100;
      size_t n = static_cast<size_t>(0.35 * s.rate);
      s.pcm.resize(n);
      Biquad hp = Biquad::HighPass(s.rate, 900, 0.707), bp = Biquad::BandPass(s.rate, 3500, 0.6);
      for (size_t i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / s.rate;
        float noise = static_cast<float>(rng.Noise());
        double body = std::sin(2 * kPi * 185 * t) * PercEnv(t, 0.001, 0.1);
        double rattle = (0.6 * hp.Run(noise) + 0.8 * bp.Run(noise)) * PercEnv(t, 0.001, 0.22);
        s.pcm[i] = static_cast<float>(0.7 * body + rattle);
      }
      s.nna = nnaCut;
      break;
    }
    case Voice::HatClosed:
    case Voice::HatOpen: {
      bool open = v == Voice::HatOpen;
      s.name = open ? "open hat" : "closed hat";
      s.rate = 44100;
      size_t n = static_cast<size_t>((open ? 0.55 : 0.12) * s.rate);
      s.pcm.resize(n);
      // Square waves at clashing frequencies plus noise, high-passed: a
      // metallic hiss rather than plain noise.
      static const double freqs[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
      Biquad hp1 = Biquad::HighPass(s.rate, 7000, 0.707), hp2 = Biquad::HighPass(s.rate, 7000, 0.707);
      for (size_t i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / s.rate;
        double metal = 0;
        for (double f : freqs) metal += std::sin(2 * kPi * f * 2.3 * t) > 0 ? 1 : -1;
        double x = 0.08 * metal + rng.Noise();
        s.pcm[i] = hp2.Run(hp1.Run(static_cast<float>(x * PercEnv(t, 0.0005, open ? 0.5 : 0.07))));
      }
      s.nna = nnaCut;
      break;
    }
    case Voice::Shaker: {
      s.name = "shaker";
      s.rate = 44100;
      size_t n = static_cast<size_t>(0.18 * s.rate);
      s.pcm.resize(n);
      Biquad bp = Biquad::BandPass(s.rate, 6500, 1.2);
      for (size_t i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / s.rate;
        s.pcm[i] = bp.Run(static_cast<float>(rng.Noise() * PercEnv(t, 0.018, 0.13)));
      }
      s.nna = nnaCut;
      break;
    }
    case Voice::FrameDrum: {
      s.name = "frame drum";
      s.rate = 22050;
      size_t n = static_cast<size_t>(0.5 * s.rate);
      s.pcm.resize(n);
      double phase = 0;
      OnePole muffle(s.rate, 700);
      for (size_t i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / s.rate;
        phase += 2 * kPi * (92.0 + 45.0 * std::exp(-t / 0.03)) / s.rate;
        double skin = muffle.Run(static_cast<float>(rng.Noise())) * PercEnv(t, 0.001, 0.12);
        s.pcm[i] = static_cast<float>(std::sin(phase) * PercEnv(t, 0.002, 0.5) + 0.8 * skin);
      }
      s.nna = nnaCut;
      break;
    }
    case Voice::Rim: {
      s.name = "rim click";
      s.rate = 44100;
      s.pcm = Struck(s.rate, 820, 0.08, {{1.0, 0.6, 0.03}, {2.3, 0.3, 0.02}}, 0.0003, rng);
      MixInto(s.pcm, Click(s.rate, 0.05, 1200, 5000, 0.02, rng), 0, 0.8f);
      s.nna = nnaCut;
      break;
    }
    case Voice::Crash: {
      s.name = "crash";
      s.rate = 22050;
      size_t n = static_cast<size_t>(1.3 * s.rate);
      s.pcm.resize(n);
      Biquad hp = Biquad::HighPass(s.rate, 3500, 0.707);
      for (size_t i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / s.rate;
        double metal = std::sin(2 * kPi * 3120 * t) * std::sin(2 * kPi * 4513 * t + 3 * std::sin(2 * kPi * 1013 * t));
        s.pcm[i] = hp.Run(static_cast<float>((rng.Noise() + 0.5 * metal) * PercEnv(t, 0.002, 1.5)));
      }
      s.nna = nnaCut;
      break;
    }
    case Voice::Count:
      break;
  }
  Finish(s);
  return s;
}

}  // namespace

const InstrumentSound& GetVoice(Voice v) {
  static const std::array<InstrumentSound, static_cast<size_t>(Voice::Count)> bank = [] {
    std::array<InstrumentSound, static_cast<size_t>(Voice::Count)> b;
    for (size_t i = 0; i < b.size(); ++i) b[i] = Synthesize(static_cast<Voice>(i));
    return b;
  }();
  return bank.at(static_cast<size_t>(v));
}

uint32_t C5Speed(const InstrumentSound& s) {
  if (s.pitchHz <= 0) return static_cast<uint32_t>(s.rate);
  return static_cast<uint32_t>(std::lround(s.rate * kMiddleC / s.pitchHz));
}

ItSample MakeItSample(const InstrumentSound& s) {
  ItSample out;
  out.name = s.name;
  out.pcm.resize(s.pcm.size());
  for (size_t i = 0; i < s.pcm.size(); ++i)
    out.pcm[i] = static_cast<int16_t>(std::lround(std::clamp(s.pcm[i], -1.0f, 1.0f) * 32767.0f));
  out.c5speed = C5Speed(s);
  out.loop = s.loop;
  out.loopStart = s.loopStart;
  out.loopEnd = s.loopEnd;
  out.vibratoSpeed = s.vibratoSpeed;
  out.vibratoDepth = s.vibratoDepth;
  out.vibratoRate = s.vibratoRate;
  return out;
}

ItInstrument MakeItInstrument(const InstrumentSound& s, int sampleIndex, int tempo) {
  const double tick = 2.5 / tempo;
  ItInstrument ins;
  ins.name = s.name;
  ins.sample = sampleIndex;
  ins.nna = s.nna;
  ins.globalVolume = s.globalVolume;
  ins.fadeout = s.fade > 0 ? std::clamp(static_cast<int>(std::lround(1024.0 * tick / s.fade)), 1, 128) : 0;
  if (s.attack > 0 || s.release > 0) {
    int attack = std::max(1, static_cast<int>(std::lround(s.attack / tick)));
    int release = std::max(1, static_cast<int>(std::lround(s.release / tick)));
    ItEnvelope& e = ins.volumeEnvelope;
    e.enabled = true;
    e.nodes = {{0, 0}, {attack, 64}, {attack + release, 0}};
    e.sustain = true;
    e.sustainStart = e.sustainEnd = 1;
  }
  return ins;
}

}  // namespace audiogen
