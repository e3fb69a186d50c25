// The music and sound generator: the IT writer against libopenmpt, the
// synthesized instruments, the composer's output, the effects and the codecs.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <set>
#include <tuple>

#include "audiogen/Codecs.h"
#include "audiogen/Composer.h"
#include "audiogen/Effects.h"
#include "audiogen/Generator.h"
#include "audiogen/Instruments.h"
#include "audiogen/ItWriter.h"
#include "audiogen/Melody.h"
#include "audiogen/MusicTheory.h"
#include "audiogen/SongBuilder.h"

using namespace audiogen;

namespace {

ItSample SineSample() {
  ItSample s;
  s.name = "sine";
  s.pcm.resize(44100);
  for (size_t i = 0; i < s.pcm.size(); ++i)
    s.pcm[i] = static_cast<int16_t>(12000 * std::sin(2 * kPi * 440 * static_cast<double>(i) / 44100));
  s.loop = true;
  s.loopStart = 0;
  s.loopEnd = 44100;
  return s;
}

ItSample BurstSample() {
  ItSample s;
  s.name = "burst";
  Rng rng(3);
  for (int i = 0; i < 4000; ++i) s.pcm.push_back(static_cast<int16_t>(9000 * rng.Noise() * (1.0 - i / 4000.0)));
  return s;
}

// Three patterns of different lengths, a skipped order, both instruments,
// note-off and note-cut, repeated cells (which the packer writes as "same as
// before") and the last channel.
ItModule SmallModule() {
  ItModule m;
  m.name = "test";
  m.channels = 64;
  m.samples = {SineSample(), BurstSample()};
  ItInstrument a;
  a.name = "sine";
  a.sample = 1;
  a.nna = nnaNoteOff;
  a.volumeEnvelope.enabled = true;
  a.volumeEnvelope.nodes = {{0, 0}, {4, 64}, {20, 0}};
  a.volumeEnvelope.sustain = true;
  a.volumeEnvelope.sustainStart = a.volumeEnvelope.sustainEnd = 1;
  ItInstrument b;
  b.name = "burst";
  b.sample = 2;
  m.instruments = {a, b};
  m.patterns = {ItPattern(64, 64), ItPattern(32, 64), ItPattern(48, 64)};
  auto& p0 = m.patterns[0];
  p0.At(0, 0, 64) = {60, 1, 64, 0, 0};
  p0.At(0, 63, 64) = {72, 2, 50, 0, 0};
  p0.At(16, 0, 64).note = kItNoteOff;
  p0.At(32, 0, 64) = {62, 1, 40, ItCommand('X'), 0x80};
  p0.At(33, 0, 64) = {62, 1, 40, ItCommand('X'), 0x80};
  p0.At(34, 0, 64) = {64, 1, 40, 0, 0};
  p0.At(40, 1, 64).note = kItNoteCut;
  m.patterns[1].At(31, 2, 64) = {48, 2, -1, 0, 0};
  m.patterns[2].At(47, 5, 64) = {-1, 0, 30, 0, 0};
  m.orders = {0, 1, kItOrderSkip, 0, 2};
  return m;
}

struct ModuleDeleter {
  void operator()(openmpt_module* m) const { openmpt_module_destroy(m); }
};
using Module = std::unique_ptr<openmpt_module, ModuleDeleter>;

Module Load(const std::vector<uint8_t>& bytes) {
  return Module(openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr,
                                                   openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr));
}

double PeakOf(const std::vector<float>& s) {
  double p = 0;
  for (float v : s) p = std::max(p, static_cast<double>(std::fabs(v)));
  return p;
}

double RmsOf(const std::vector<float>& s, size_t from = 0, size_t to = SIZE_MAX) {
  to = std::min(to, s.size());
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += static_cast<double>(s[i]) * s[i];
  return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0;
}

// Frequency of the strongest partial near the expected pitch: the peak of
// the Hann-windowed spectrum, searched coarsely and then finely.
double MeasurePitch(const Buffer& b, size_t from, size_t length, int rate, double expected) {
  const size_t n = std::min(length, b.size() - from);
  auto magnitude = [&](double hz) {
    double re = 0, im = 0;
    for (size_t i = 0; i < n; ++i) {
      double w = 0.5 - 0.5 * std::cos(2 * kPi * static_cast<double>(i) / static_cast<double>(n));
      double ph = 2 * kPi * hz * static_cast<double>(i) / rate;
      re += w * b[from + i] * std::cos(ph);
      im -= w * b[from + i] * std::sin(ph);
    }
    return re * re + im * im;
  };
  double best = expected, step = expected / 200;
  for (int pass = 0; pass < 3; ++pass) {
    double lo = pass == 0 ? expected * 0.85 : best - step, hi = pass == 0 ? expected * 1.15 : best + step;
    double bestMag = -1;
    double fine = pass == 0 ? step : step / 10;
    for (double hz = lo; hz <= hi; hz += fine) {
      double m = magnitude(hz);
      if (m > bestMag) bestMag = m, best = hz;
    }
    step = fine;
  }
  return best;
}

bool InScale(int note, int tonic, Mode mode) {
  int pc = ((note - tonic) % 12 + 12) % 12;
  const auto& steps = ModeSteps(mode);
  return std::find(steps.begin(), steps.end(), pc) != steps.end();
}

}  // namespace

TEST(AudiogenItWriter, LibopenmptReadsBackWhatWasWritten) {
  ItModule m = SmallModule();
  std::vector<uint8_t> bytes = WriteIt(m);
  Module mod = Load(bytes);
  ASSERT_NE(mod, nullptr);
  EXPECT_EQ(openmpt_module_get_num_orders(mod.get()), 5);  // the skip marker counts, the end marker not
  EXPECT_EQ(openmpt_module_get_num_patterns(mod.get()), 3);
  EXPECT_EQ(openmpt_module_get_num_samples(mod.get()), 2);
  EXPECT_EQ(openmpt_module_get_num_instruments(mod.get()), 2);
  EXPECT_EQ(openmpt_module_get_order_pattern(mod.get(), 0), 0);
  EXPECT_EQ(openmpt_module_get_order_pattern(mod.get(), 4), 2);
  EXPECT_EQ(openmpt_module_get_pattern_num_rows(mod.get(), 1), 32);
  EXPECT_EQ(openmpt_module_get_pattern_num_rows(mod.get(), 2), 48);
  // Skipped orders do not play: 64 + 32 + 64 + 48 rows of 6 ticks at 125.
  EXPECT_NEAR(openmpt_module_get_duration_seconds(mod.get()), 208 * 6 * 2.5 / 125, 0.05);
  EXPECT_NEAR(ItSongSeconds(m), 208 * 6 * 2.5 / 125, 1e-9);

  auto cmd = [&](int pat, int row, int ch, int what) {
    return openmpt_module_get_pattern_row_channel_command(mod.get(), pat, row, ch, what);
  };
  // libopenmpt counts notes from 1 (C-0); 254 and 255 are cut and off.
  EXPECT_EQ(cmd(0, 0, 0, OPENMPT_MODULE_COMMAND_NOTE), 61);
  EXPECT_EQ(cmd(0, 0, 0, OPENMPT_MODULE_COMMAND_INSTRUMENT), 1);
  EXPECT_EQ(cmd(0, 0, 0, OPENMPT_MODULE_COMMAND_VOLUME), 64);
  EXPECT_EQ(cmd(0, 0, 63, OPENMPT_MODULE_COMMAND_NOTE), 73);
  EXPECT_EQ(cmd(0, 0, 63, OPENMPT_MODULE_COMMAND_INSTRUMENT), 2);
  EXPECT_EQ(cmd(0, 16, 0, OPENMPT_MODULE_COMMAND_NOTE), 255);
  EXPECT_EQ(cmd(0, 40, 1, OPENMPT_MODULE_COMMAND_NOTE), 254);
  for (int row : {32, 33}) {  // the second is packed as "all as before"
    EXPECT_EQ(cmd(0, row, 0, OPENMPT_MODULE_COMMAND_NOTE), 63) << row;
    EXPECT_EQ(cmd(0, row, 0, OPENMPT_MODULE_COMMAND_INSTRUMENT), 1) << row;
    EXPECT_EQ(cmd(0, row, 0, OPENMPT_MODULE_COMMAND_VOLUME), 40) << row;
    EXPECT_NE(cmd(0, row, 0, OPENMPT_MODULE_COMMAND_EFFECT), 0) << row;
    EXPECT_EQ(cmd(0, row, 0, OPENMPT_MODULE_COMMAND_PARAMETER), 0x80) << row;
  }
  // Same instrument and volume, new note, no effect.
  EXPECT_EQ(cmd(0, 34, 0, OPENMPT_MODULE_COMMAND_NOTE), 65);
  EXPECT_EQ(cmd(0, 34, 0, OPENMPT_MODULE_COMMAND_VOLUME), 40);
  EXPECT_EQ(cmd(0, 34, 0, OPENMPT_MODULE_COMMAND_EFFECT), 0);
  EXPECT_EQ(cmd(0, 35, 0, OPENMPT_MODULE_COMMAND_NOTE), 0);
  EXPECT_EQ(cmd(1, 31, 2, OPENMPT_MODULE_COMMAND_NOTE), 49);
  EXPECT_EQ(cmd(2, 47, 5, OPENMPT_MODULE_COMMAND_VOLUME), 30);
  EXPECT_EQ(cmd(2, 47, 5, OPENMPT_MODULE_COMMAND_NOTE), 0);
}

TEST(AudiogenItWriter, WrittenModulePlaysItsNotes) {
  std::vector<uint8_t> bytes = WriteIt(SmallModule());
  Pcm pcm = RenderModule(bytes, 44100, 0, 60);
  EXPECT_NEAR(pcm.Seconds(), 208 * 6 * 2.5 / 125, 0.3);
  // The sine sounds from the first row until its note-off at row 16
  // (1.92 s) plus the envelope's release.
  EXPECT_GT(RmsOf(pcm.samples, 2 * 22050, 2 * 66150), 0.02);
  EXPECT_LT(RmsOf(pcm.samples, 2 * 110250, 2 * 132300), 0.001);
  EXPECT_LT(PeakOf(pcm.samples), 1.0);
}

TEST(AudiogenItWriter, RejectsWhatTheFormatCannotHold) {
  auto broken = [](auto change) {
    ItModule m = SmallModule();
    change(m);
    return m;
  };
  EXPECT_THROW(WriteIt(broken([](ItModule& m) { m.channels = 65; })), ItWriteError);
  EXPECT_THROW(WriteIt(broken([](ItModule& m) { m.patterns[1] = ItPattern(201, 64); })), ItWriteError);
  EXPECT_THROW(WriteIt(broken([](ItModule& m) { m.patterns[0].At(1, 1, 64).note = 120; })), ItWriteError);
  EXPECT_THROW(WriteIt(broken([](ItModule& m) { m.patterns[0].At(1, 1, 64).instrument = 3; })), ItWriteError);
  EXPECT_THROW(WriteIt(broken([](ItModule& m) { m.orders.push_back(3); })), ItWriteError);
  EXPECT_THROW(WriteIt(broken([](ItModule& m) { m.instruments[1].sample = 3; })), ItWriteError);
  EXPECT_THROW(WriteIt(broken([](ItModule& m) { m.samples[0].loopEnd = 44101; })), ItWriteError);
  EXPECT_THROW(WriteIt(broken([](ItModule& m) { m.instruments[0].volumeEnvelope.nodes[2].tick = 4; })),
               ItWriteError);
  EXPECT_THROW(WriteIt(broken([](ItModule& m) { m.orders.clear(); })), ItWriteError);
}

TEST(AudiogenInstruments, VoicesAreInTuneLoopCleanlyAndEndQuietly) {
  for (int i = 0; i < static_cast<int>(Voice::Count); ++i) {
    const InstrumentSound& s = GetVoice(static_cast<Voice>(i));
    SCOPED_TRACE(s.name);
    ASSERT_FALSE(s.pcm.empty());
    EXPECT_LE(PeakOf(s.pcm), 0.9001);
    EXPECT_GT(RmsOf(s.pcm), 0.005);
    if (s.loop) {
      ASSERT_LE(s.loopEnd, s.pcm.size());
      // Jumping from the loop's end to its start is no bigger a step than
      // any inside the loop, and the sample before the start (if any)
      // matches the loop's last one, since both lead into the start.
      float maxStep = 0;
      for (size_t i = s.loopStart; i + 1 < s.loopEnd; ++i)
        maxStep = std::max(maxStep, std::fabs(s.pcm[i + 1] - s.pcm[i]));
      EXPECT_LE(std::fabs(s.pcm[s.loopStart] - s.pcm[s.loopEnd - 1]), maxStep * 1.2f + 1e-3f);
      if (s.loopStart > 0) {
        EXPECT_NEAR(s.pcm[s.loopStart - 1], s.pcm[s.loopEnd - 1], 0.01);
      }
    } else {
      size_t tail = s.rate / 100;
      EXPECT_LT(PeakOf(Buffer(s.pcm.end() - static_cast<long>(tail), s.pcm.end())), 0.01);
    }
    if (s.pitchHz > 0) {
      // The recording's pitch, then what note 60 plays at through C5Speed.
      // A whole loop resolves the 1 Hz detuning of ensemble voices.
      size_t from = s.loop ? s.loopStart : static_cast<size_t>(0.05 * s.rate);
      size_t length = s.loop ? s.loopEnd - s.loopStart : 8192;
      double hz = MeasurePitch(s.pcm, from, length, s.rate, s.pitchHz);
      double atC5 = hz * C5Speed(s) / s.rate;
      EXPECT_NEAR(1200 * std::log2(atC5 / 261.6256), 0.0, 12.0) << hz;
    }
  }
}

TEST(AudiogenComposer, TracksStayInKeyInRangeAndInLength) {
  ASSERT_EQ(GameTracks().size(), 15u);
  for (const TrackPlan& plan : GameTracks()) {
    SCOPED_TRACE(plan.file);
    ComposedSong song = Compose(plan);
    const ItModule& m = song.module;
    EXPECT_LE(m.patterns.size(), 200u);
    EXPECT_LE(m.orders.size(), 255u);
    int bJumps = 0;
    for (const ItPattern& p : m.patterns) {
      for (int row = 0; row < p.rows; ++row) {
        for (int ch = 0; ch < m.channels; ++ch) {
          const ItCell& c = p.At(row, ch, m.channels);
          if (c.command == ItCommand('B')) ++bJumps;
          EXPECT_NE(c.command, ItCommand('C'));
          if (c.note < 0 || c.note >= 120) continue;
          ASSERT_GE(c.instrument, 1);
          const InstrumentSound& v = GetVoice(song.voices.at(c.instrument - 1));
          EXPECT_GE(c.note, v.lowNote) << v.name << " row " << row << " channel " << ch;
          EXPECT_LE(c.note, v.highNote) << v.name << " row " << row << " channel " << ch;
          if (ch == chLead) {
            EXPECT_TRUE(InScale(c.note, plan.tonic, plan.mode)) << c.note;
          }
        }
      }
    }
    const double seconds = ItSongSeconds(m);
    if (plan.kind == TrackKind::Song) {
      // Level themes play 1.5 to 3 minutes before they loop; all songs loop
      // from their last row, and only from there.
      if (plan.file.rfind("ingame", 0) == 0) {
        EXPECT_GE(seconds, 90.0);
        EXPECT_LE(seconds, 180.0);
      }
      ASSERT_GE(song.loopOrder, 0);
      const ItPattern& last = m.patterns[m.orders.back()];
      const ItCell& jump = last.At(last.rows - 1, chLead, m.channels);
      EXPECT_EQ(jump.command, ItCommand('B'));
      EXPECT_EQ(jump.param, song.loopOrder);
      EXPECT_EQ(bJumps, 1);
      if (plan.mp3) {
        EXPECT_EQ(song.loopOrder, 0);  // the stream loops as a whole
      }
    } else {
      EXPECT_LE(seconds, 10.0);
      EXPECT_EQ(song.loopOrder, -1);
      EXPECT_EQ(bJumps, 0);
    }
    ModuleInfo info = InspectModule(WriteIt(m));
    EXPECT_NEAR(info.seconds, seconds, seconds * 0.003 + 0.01);
  }
}

TEST(AudiogenComposer, SamePlanSameBytes) {
  const TrackPlan& plan = GameTracks()[3];
  EXPECT_EQ(WriteIt(Compose(plan).module), WriteIt(Compose(plan).module));
  TrackPlan other = plan;
  other.seed += 1;
  EXPECT_NE(WriteIt(Compose(plan).module), WriteIt(Compose(other).module));
}

TEST(AudiogenComposer, LevelThemesAreDistinct) {
  std::set<std::tuple<int, Mode, int, Meter>> settings;
  std::set<Voice> leads;
  for (const TrackPlan& p : GameTracks()) {
    if (p.file < "ingame001" || p.file > "ingame009z") continue;  // Music1..Music9
    settings.insert({p.tonic, p.mode, p.bpm, p.meter});
    leads.insert(p.lead);
  }
  EXPECT_EQ(settings.size(), 9u);
  EXPECT_EQ(leads.size(), 9u);
}

TEST(AudiogenComposer, TempoMatchesBeatsPerMinute) {
  for (const TrackPlan& p : GameTracks()) {
    Timing t = TimingFor(p);
    EXPECT_EQ(24 * t.tempo / t.speed, p.bpm * t.rowsPerBeat) << p.file;
    // The stream's loop must be a whole number of samples: a tick of
    // 2.5 / tempo s is then exactly 110250 / tempo samples.
    if (p.mp3) {
      EXPECT_EQ(110250 % t.tempo, 0) << p.file;
    }
  }
}

TEST(AudiogenTheory, KeysChordsAndVoicings) {
  Key d{2, Mode::Dorian};
  EXPECT_EQ(d.Pitch(0), 50);   // D
  EXPECT_EQ(d.Pitch(2), 53);   // F: the minor third of dorian
  EXPECT_EQ(d.Pitch(5), 59);   // B: its major sixth
  EXPECT_EQ(d.Pitch(-1), 48);  // C, an octave down through the wrap
  EXPECT_EQ(d.Pitch(-7), 38);
  for (int idx = -20; idx <= 20; ++idx) {
    EXPECT_EQ(d.IndexNear(d.Pitch(idx)), idx);
    for (int degree = 0; degree < 7; ++degree) {
      int tone = NearestChordTone(idx, degree, 1);
      EXPECT_TRUE(IsChordTone(tone, degree));
      EXPECT_LE(std::abs(tone - idx), 1);
    }
  }
  Key c{0, Mode::Ionian};
  std::array<int, 3> first = Voicing(c, 0, nullptr);
  std::array<int, 3> next = Voicing(c, 5, &first);  // C major to A minor
  int moved = 0;
  for (int i = 0; i < 3; ++i) {
    EXPECT_GE(next[i], 50);
    EXPECT_LE(next[i], 76);
    moved += std::abs(next[i] - first[i]);
  }
  EXPECT_LE(moved, 2);  // two common tones stay, one voice steps
  std::set<int> classes;
  for (int p : next) classes.insert(p % 12);
  EXPECT_EQ(classes, (std::set<int>{9, 0, 4}));
  for (int idx = -14; idx <= 14; ++idx) {
    EXPECT_GE(BassPitch(c, idx), 34);
    EXPECT_LE(BassPitch(c, idx), 45);
  }
}

TEST(AudiogenMelody, PhrasesKeepTheirRulesOverManySeeds) {
  Key key{7, Mode::Ionian};
  Timing t{4, 16, 6, 120};
  const std::vector<int> chords = {0, 4, 5, 3};
  for (uint64_t seed = 1; seed <= 60; ++seed) {
    Rng rng(seed);
    Melodist m(key, t, Meter::Common, 10, 21, rng);
    int level = static_cast<int>(seed % 3);
    std::vector<MelNote> phrase =
        m.Phrase(chords, {m.Pick(level), m.Pick(level), m.Pick(level), m.Pick(kEnding)}, 15, 3);
    ASSERT_FALSE(phrase.empty());
    for (size_t i = 0; i < phrase.size(); ++i) {
      const MelNote& n = phrase[i];
      int bar = n.start / t.rowsPerBar;
      SCOPED_TRACE(testing::Message() << "seed " << seed << " note " << i);
      EXPECT_GE(n.idx, m.Lo());
      EXPECT_LE(n.idx, m.Hi());
      EXPECT_LE(n.start + n.len, (bar + 1) * t.rowsPerBar);  // no note runs over its bar
      if (i + 1 < phrase.size()) {
        EXPECT_LE(n.start + n.len, phrase[i + 1].start);
        EXPECT_LE(std::abs(phrase[i + 1].idx - n.idx), 7);  // never more than an octave
      }
      if (m.Strong(n.start)) {
        EXPECT_TRUE(IsChordTone(n.idx, chords[bar]));
      }
    }
    EXPECT_TRUE(IsChordTone(phrase.back().idx, 3));  // the cadence lands on the last chord
    if (phrase.size() > 1) {
      EXPECT_LE(std::abs(phrase.back().idx - phrase[phrase.size() - 2].idx), 2);  // arriving by step
    }

    // Moved onto new chords, the motif keeps its rhythm and range.
    std::vector<MelNote> moved = m.Sequence(phrase, 2, {5, 3, 0, 4}, phrase.back().idx);
    ASSERT_EQ(moved.size(), phrase.size());
    for (size_t i = 0; i < moved.size(); ++i) {
      EXPECT_EQ(moved[i].start, phrase[i].start);
      EXPECT_EQ(moved[i].len, phrase[i].len);
      EXPECT_GE(moved[i].idx, m.Lo());
      EXPECT_LE(moved[i].idx, m.Hi());
    }
  }
}

TEST(AudiogenSongBuilder, NoteOffsOnlyWhereANoteEndsInSilence) {
  SongBuilder b(40, 2);
  b.Note(0, 0, 4, 60, 1, 50, true);    // rests after: off at row 4
  b.Note(0, 8, 8, 62, 1, 50, true);    // the next note starts at 12: no off at 16
  b.Note(0, 12, 4, 64, 1, 50, true);   // ends in silence at 16
  b.Note(0, 36, 8, 65, 1, 50, true);   // rings past the end: no off
  b.Note(1, 0, 4, 48, 2, 99, false);   // no release wanted; volume clamps
  b.Note(1, 45, 1, 48, 2, 40, false);  // outside the song: dropped
  b.Command(1, 39, ItCommand('B'), 1);
  std::vector<ItPattern> p = b.Patterns(32);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0].rows, 32);
  EXPECT_EQ(p[1].rows, 8);
  auto at = [&](int row, int ch) { return row < 32 ? p[0].At(row, ch, 2) : p[1].At(row - 32, ch, 2); };
  EXPECT_EQ(at(4, 0).note, kItNoteOff);
  EXPECT_EQ(at(12, 0).note, 64);
  EXPECT_EQ(at(16, 0).note, kItNoteOff);
  int offs = 0;
  for (int row = 0; row < 40; ++row) offs += at(row, 0).note == kItNoteOff;
  EXPECT_EQ(offs, 2);
  EXPECT_EQ(at(0, 1).volume, 64);
  EXPECT_TRUE(at(4, 1).Empty());
  EXPECT_EQ(at(39, 1).command, ItCommand('B'));
  InstrumentTable ins;
  EXPECT_EQ(ins(Voice::Bell), 1);
  EXPECT_EQ(ins(Voice::Kick), 2);
  EXPECT_EQ(ins(Voice::Bell), 1);
}

TEST(AudiogenDsp, FiltersPassAndStopWhereTheyShould) {
  auto gain = [](Biquad f, double hz) {
    double peak = 0;
    for (int i = 0; i < 44100; ++i) {
      float y = f.Run(static_cast<float>(std::sin(2 * kPi * hz * i / 44100)));
      if (i > 22050) peak = std::max(peak, static_cast<double>(std::fabs(y)));
    }
    return peak;
  };
  EXPECT_NEAR(gain(Biquad::LowPass(44100, 1000, 0.707), 100), 1.0, 0.02);
  EXPECT_LT(gain(Biquad::LowPass(44100, 1000, 0.707), 8000), 0.03);
  EXPECT_LT(gain(Biquad::HighPass(44100, 5000, 0.707), 300), 0.01);
  EXPECT_NEAR(gain(Biquad::HighPass(44100, 5000, 0.707), 15000), 1.0, 0.05);
  EXPECT_NEAR(gain(Biquad::BandPass(44100, 2000, 2), 2000), 1.0, 0.02);
  EXPECT_LT(gain(Biquad::BandPass(44100, 2000, 2), 200), 0.06);  // 1 / sqrt(1 + 4 * 9.9^2)

  Buffer b(1000, 0.5f);
  FadeEdges(b, 100, 100);
  EXPECT_EQ(b.front(), 0.0f);
  EXPECT_LT(b.back(), 0.001f);
  EXPECT_EQ(b[500], 0.5f);
  Rng a(9), c(9);
  for (int i = 0; i < 1000; ++i) {
    int v = a.Int(-2, 2);
    EXPECT_GE(v, -2);
    EXPECT_LE(v, 2);
    EXPECT_EQ(v, c.Int(-2, 2));
  }
}

TEST(AudiogenGenerator, LevelledModulePeaksWhereIntended) {
  // Levelling sets the global volume from one measurement, which assumes the
  // player scales the mix linearly with it; the built file must then peak
  // at the target when played at full quality.
  const TrackPlan* life = nullptr;
  for (const TrackPlan& p : GameTracks())
    if (p.file == "life.it") life = &p;
  ASSERT_NE(life, nullptr);
  BuiltFile built = BuildTrack(*life);
  EXPECT_NEAR(built.peakDb, kMusicPeakDb, 0.3);
  Pcm pcm = RenderModule(built.bytes, 44100, 0, 30);
  EXPECT_NEAR(20 * std::log10(PeakOf(pcm.samples)), kMusicPeakDb, 0.6);
  BuiltFile effect = BuildEffect("snap.ogg");
  EXPECT_EQ(DecodeVorbis(effect.bytes).Frames(), SynthesizeEffect("snap.ogg").size());
}

TEST(AudiogenEffects, EveryEffectIsShortAudibleAndEndsWithoutAClick) {
  const std::vector<std::string> expected = {
      "break-tab.ogg", "break-wood.ogg",  "break-steel.ogg", "checkbox.ogg",        "force-field-off.ogg",
      "magic-cast.ogg", "menu-select.ogg", "mouse-over-menu.ogg", "contagem-pontos.ogg", "snap.ogg",
      "swap1.ogg",     "swapback.ogg",    "roll.ogg",        "pontos-subindo.ogg",  "digitac.ogg",
      "clock-tick.ogg"};
  ASSERT_EQ(EffectFiles(), expected);
  for (const std::string& f : EffectFiles()) {
    SCOPED_TRACE(f);
    Buffer b = SynthesizeEffect(f);
    double seconds = static_cast<double>(b.size()) / kEffectRate;
    EXPECT_GE(seconds, 0.03);
    EXPECT_LE(seconds, 1.5);
    EXPECT_LT(PeakOf(b), 0.75);   // below -2.5 dBFS
    EXPECT_GT(PeakOf(b), 0.15);   // above -16 dBFS
    EXPECT_GT(RmsOf(b), 0.01);    // above -40 dBFS
    EXPECT_LT(PeakOf(Buffer(b.end() - kEffectRate / 1000, b.end())), 0.02);
    EXPECT_EQ(b, SynthesizeEffect(f));
  }
  EXPECT_THROW(SynthesizeEffect("nope.ogg"), std::invalid_argument);
}

TEST(AudiogenCodecs, VorbisKeepsLengthAndLevelAndIsRepeatable) {
  for (const std::string& f : {std::string("break-wood.ogg"), std::string("digitac.ogg")}) {
    Pcm pcm;
    pcm.rate = kEffectRate;
    pcm.channels = 1;
    pcm.samples = SynthesizeEffect(f);
    std::vector<uint8_t> ogg = EncodeVorbis(pcm, 0.4f, 77);
    EXPECT_EQ(ogg, EncodeVorbis(pcm, 0.4f, 77)) << f;
    Pcm back = DecodeVorbis(ogg);
    EXPECT_EQ(back.channels, 1);
    EXPECT_EQ(back.rate, kEffectRate);
    EXPECT_EQ(back.Frames(), pcm.Frames()) << f;
    EXPECT_NEAR(20 * std::log10(PeakOf(back.samples) / PeakOf(pcm.samples)), 0.0, 1.5) << f;
  }
}

TEST(AudiogenCodecs, Mp3DecodesGaplessAndAligned) {
  // One second of a chord: after decoding, the priming and padding samples
  // must be gone, or a looped stream would stutter at every turn.
  Pcm pcm;
  const size_t frames = 44100;
  for (size_t i = 0; i < frames; ++i) {
    double t = static_cast<double>(i) / 44100;
    float v = static_cast<float>(0.3 * std::sin(2 * kPi * 220 * t) + 0.2 * std::sin(2 * kPi * 330 * t));
    pcm.samples.push_back(v);
    pcm.samples.push_back(v);
  }
  std::vector<uint8_t> mp3 = EncodeMp3(pcm, 128);
  EXPECT_EQ(mp3, EncodeMp3(pcm, 128));
  Pcm back = DecodeMp3(mp3);
  ASSERT_EQ(back.channels, 2);
  EXPECT_EQ(back.Frames(), frames);
  ASSERT_GE(back.samples.size(), 2 * 2000u);
  EXPECT_GT(RmsOf(back.samples, 0, 2 * 441), 0.1);  // no silence at the start
  std::vector<float> diff;
  for (size_t i = 2 * 2000; i < std::min(back.samples.size(), pcm.samples.size()) - 2 * 2000; ++i)
    diff.push_back(back.samples[i] - pcm.samples[i]);
  EXPECT_LT(RmsOf(diff), 0.1 * RmsOf(pcm.samples));
}

TEST(AudiogenCodecs, WavClampsBeyondFullScale) {
  Pcm pcm;
  pcm.channels = 2;
  pcm.samples = {1.5f, -1.5f, 0.5f, 0.0f};
  std::vector<uint8_t> wav = EncodeWav(pcm);
  ASSERT_EQ(wav.size(), 44u + 8u);
  EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
  auto sample = [&](int i) { return static_cast<int16_t>(wav[44 + 2 * i] | wav[45 + 2 * i] << 8); };
  EXPECT_EQ(sample(0), 32767);
  EXPECT_EQ(sample(1), -32768);
  EXPECT_EQ(sample(2), 16384);
}

// The files the build generated for the archive (skipped before the data
// step has run): each decodes and sounds, without clipping.
TEST(AudiogenBuiltFiles, EveryGeneratedFileSounds) {
  const std::filesystem::path dir = std::filesystem::path(GW_BUILD_DIR) / "gen" / "audio";
  if (!std::filesystem::exists(dir / "ingame006.mp3")) GTEST_SKIP() << "no generated audio in " << dir;
  std::vector<std::string> files = EffectFiles();
  for (const TrackPlan& p : GameTracks()) files.push_back(p.file);
  for (const std::string& f : files) {
    SCOPED_TRACE(f);
    Pcm pcm = DecodeAny(f, ReadFileBytes((dir / f).string()), 4.0);
    ASSERT_GT(pcm.Frames(), 0u);
    EXPECT_LT(PeakOf(pcm.samples), 0.99);
    EXPECT_GT(RmsOf(pcm.samples), 0.01);
  }
  // The stream is exactly one pass of its song, so looping it has no gap.
  for (const TrackPlan& p : GameTracks()) {
    if (!p.mp3) continue;
    Pcm pcm = DecodeMp3(ReadFileBytes((dir / p.file).string()));
    double seconds = ItSongSeconds(Compose(p).module);
    EXPECT_EQ(pcm.Frames(), static_cast<size_t>(std::llround(seconds * 44100)));
    EXPECT_GT(RmsOf(pcm.samples, 0, 2 * 882), 0.005);
    EXPECT_GT(RmsOf(pcm.samples, pcm.samples.size() - 2 * 882), 0.005);
  }
}
