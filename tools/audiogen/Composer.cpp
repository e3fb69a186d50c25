#include "audiogen/Composer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "audiogen/Dsp.h"
#include "audiogen/Melody.h"
#include "audiogen/SongBuilder.h"

namespace audiogen {

namespace {

// Volume column levels of the parts (0..64).
constexpr int kLeadVol = 56, kCounterVol = 30, kArpVol = 32, kPadVol = 24, kBassVol = 40;

struct Section {
  char kind;
  int firstBar;
  int bars;
  std::vector<int> chords;
};

class SongComposer {
 public:
  explicit SongComposer(const TrackPlan& plan)
      : P_(plan), T_(TimingFor(plan)), Key_{plan.tonic, plan.mode}, Rng_(plan.seed) {}

  ComposedSong Run() {
    BuildSections();
    int totalBars = Sections_.back().firstBar + Sections_.back().bars;
    SongBuilder b(totalBars * T_.rowsPerBar, kSongChannels);
    B_ = &b;
    MakeThemes();
    for (size_t s = 0; s < Sections_.size(); ++s) Compose(Sections_[s], s);

    ComposedSong song;
    song.loopOrder = LoopOrder();
    if (song.loopOrder >= 0) b.Command(chLead, b.Rows() - 1, ItCommand('B'), static_cast<uint8_t>(song.loopOrder));
    Assemble(song, b.Patterns(4 * T_.rowsPerBar));
    return song;
  }

  // Shared by the short pieces, which write their own notes.
  ComposedSong Finish(SongBuilder& b, int rowsPerPattern) {
    ComposedSong song;
    Assemble(song, b.Patterns(rowsPerPattern));
    return song;
  }

  const Key& GetKey() const { return Key_; }
  const Timing& GetTiming() const { return T_; }
  InstrumentTable& Ins() { return Ins_; }

 private:
  void BuildSections() {
    int bar = 0;
    auto eight = [&](const std::vector<int>& prog) {
      std::vector<int> c = prog;
      c.insert(c.end(), prog.begin(), prog.end());
      c[7] = 4;  // every section closes on the dominant, pointing onwards
      return c;
    };
    for (char k : P_.form) {
      Section s{k, bar, 8, {}};
      switch (k) {
        case 'I':
          s.bars = 4;
          s.chords = P_.progA;
          break;
        case 'T':
          s.bars = 4;
          s.chords = {P_.progB[0], P_.progB[1], P_.progB[2], 4};
          break;
        case 'A':
        case 'a':
          s.chords = eight(P_.progA);
          break;
        case 'B':
          s.chords = eight(P_.progB);
          break;
        case 'C':
          s.chords = eight(P_.progC);
          break;
        default:
          throw std::invalid_argument("unknown section '" + std::string(1, k) + "' in " + P_.file);
      }
      bar += s.bars;
      Sections_.push_back(s);
    }
  }

  int LoopOrder() const {
    for (const Section& s : Sections_)
      if (s.kind != 'I') return s.firstBar / 4;
    return 0;
  }

  Melodist LeadMelodist(Voice v, int center) {
    // Five scale steps below and six above the centre: about nine semitones
    // down and eleven up, all inside the instrument's range.
    const InstrumentSound& s = GetVoice(v);
    center = std::clamp(center, s.lowNote + 9, s.highNote - 11);
    int c = Key_.IndexNear(center);
    int lo = c - 5, hi = c + 6;
    while (Key_.Pitch(lo) < s.lowNote) ++lo;
    while (Key_.Pitch(hi) > s.highNote) --hi;
    return Melodist(Key_, T_, P_.meter, lo, hi, Rng_);
  }

  std::vector<MelNote> Theme(Melodist& m, const std::vector<int>& ch, int level, const std::vector<MelNote>* firstHalf) {
    auto bars = [&](int from, int count) { return std::vector<int>(ch.begin() + from, ch.begin() + from + count); };
    const int bar = T_.rowsPerBar;
    std::vector<MelNote> x, x2;
    if (firstHalf) {
      for (const MelNote& n : *firstHalf)
        if (n.start < 4 * bar) (n.start < 2 * bar ? x : x2).push_back(n);
      for (MelNote& n : x2) n.start -= 2 * bar;
    } else {
      int start = (m.Lo() + m.Hi()) / 2 + Rng_.Int(-1, 1);
      x = m.Phrase(bars(0, 2), {m.Pick(level), m.Pick(level - 1)}, start, -1);
      int shift = Mod(ch[2] - ch[0] + 3, 7) - 3;
      x2 = m.Sequence(x, shift, bars(2, 2), x.back().idx);
    }
    int climb = x2.empty() ? (m.Lo() + m.Hi()) / 2 : x2.back().idx + Rng_.Int(0, 2);
    std::vector<MelNote> y = m.Phrase(bars(4, 2), {m.Pick(std::min(level + 1, 2)), m.Pick(level)}, climb, -1);
    std::vector<MelNote> z =
        m.Phrase(bars(6, 2), {m.Pick(level), m.Pick(kEnding)}, y.empty() ? climb : y.back().idx, ch[7]);
    std::vector<MelNote> out;
    auto add = [&](const std::vector<MelNote>& part, int offsetBars) {
      for (MelNote n : part) {
        n.start += offsetBars * bar;
        out.push_back(n);
      }
    };
    add(x, 0);
    add(x2, 2);
    add(y, 4);
    add(z, 6);
    return out;
  }

  void MakeThemes() {
    const Section* a = nullptr;
    const Section* bSec = nullptr;
    const Section* c = nullptr;
    for (const Section& s : Sections_) {
      if ((s.kind == 'A' || s.kind == 'a') && !a) a = &s;
      if (s.kind == 'B' && !bSec) bSec = &s;
      if (s.kind == 'C' && !c) c = &s;
    }
    Melodist lead = LeadMelodist(P_.lead, P_.leadCenter);
    if (a) {
      ThemeA_ = Theme(lead, a->chords, P_.density, nullptr);
      ThemeA2_ = Theme(lead, a->chords, P_.density, &ThemeA_);
    }
    if (bSec) {
      // The contrasting section sits a little higher and moves differently.
      Melodist high = LeadMelodist(P_.lead, P_.leadCenter + 3);
      ThemeB_ = Theme(high, bSec->chords, std::max(P_.density - 1, 0) + (P_.density == 2 ? 1 : 0), nullptr);
    }
    if (c) {
      Melodist alt = LeadMelodist(P_.alt, P_.leadCenter - 5);
      Bridge_ = Theme(alt, c->chords, std::max(P_.density - 1, 0), nullptr);
    }
  }

  void PlaceMelody(const std::vector<MelNote>& notes, int row0, Voice v, int ch, int volume, int delay) {
    int ins = Ins_(v);
    for (const MelNote& n : notes) {
      int accent = (n.start % T_.rowsPerBeat == 0) ? 3 : -3;
      int vol = ch == chEcho ? volume : volume + accent + Rng_.Int(-2, 2);
      B_->Note(ch, row0 + n.start + delay, n.len, Key_.Pitch(n.idx), ins, vol, true);
    }
  }

  void Compose(const Section& s, size_t index) {
    const int row0 = s.firstBar * T_.rowsPerBar;
    const std::vector<MelNote>* melody = nullptr;
    Voice melodyVoice = P_.lead;
    switch (s.kind) {
      case 'A':
        melody = &ThemeA_;
        break;
      case 'a':
        melody = &ThemeA2_;
        break;
      case 'B':
        melody = &ThemeB_;
        break;
      case 'C':
        melody = &Bridge_;
        melodyVoice = P_.alt;
        break;
      default:
        break;
    }
    if (melody) {
      PlaceMelody(*melody, row0, melodyVoice, chLead, kLeadVol, 0);
      if (P_.echo) PlaceMelody(*melody, row0, melodyVoice, chEcho, kLeadVol * 3 / 8, T_.rowsPerBeat == 6 ? 4 : 3);
    }
    if (s.kind == 'a') CounterLine(s, row0);
    for (int bar = 0; bar < s.bars; ++bar) {
      int r = row0 + bar * T_.rowsPerBar;
      int degree = s.chords[bar];
      int next = bar + 1 < s.bars ? s.chords[bar + 1] : NextChord(index);
      Pads(r, degree);
      if (!(s.kind == 'I' && bar < 2)) Bass(r, degree, next, bar, s.kind);
      if (!(s.kind == 'I' && bar == 0 && P_.drums != DrumStyle::None)) Arpeggio(r, degree, s.kind);
      Drums(r, bar, s, index);
    }
  }

  int NextChord(size_t index) const {
    if (index + 1 < Sections_.size()) return Sections_[index + 1].chords[0];
    for (const Section& s : Sections_)
      if (s.kind != 'I') return s.chords[0];
    return 0;
  }

  void CounterLine(const Section& s, int row0) {
    const InstrumentSound& v = GetVoice(P_.alt);
    int center = std::clamp(P_.leadCenter - 10, v.lowNote + 7, v.highNote - 7);
    int c = Key_.IndexNear(center);
    int prev = c;
    int ins = Ins_(P_.alt);
    for (int bar = 0; bar < s.bars; ++bar) {
      int degree = s.chords[bar];
      int best = prev;
      double bestCost = 1e9;
      for (int i = c - 4; i <= c + 4; ++i) {
        if (!IsChordTone(i, degree)) continue;
        double cost = std::abs(i - prev) + (Mod(i - degree, 7) == 2 ? 0.0 : 0.6);
        if (cost < bestCost) best = i, bestCost = cost;
      }
      prev = best;
      B_->Note(chCounter, row0 + bar * T_.rowsPerBar, T_.rowsPerBar, Key_.Pitch(best), ins, kCounterVol, true);
    }
  }

  void Pads(int row, int degree) {
    std::array<int, 3> v = Voicing(Key_, degree, HavePad_ ? &Pad_ : nullptr);
    int ins = Ins_(P_.pad);
    for (int i = 0; i < 3; ++i) {
      // A held note that stays in the next chord is not struck again.
      if (HavePad_ && Pad_[i] == v[i] && PadHeld_[i] < 3) {
        ++PadHeld_[i];
        continue;
      }
      PadHeld_[i] = 0;
      B_->Note(chPad1 + i, row, T_.rowsPerBar * 4, v[i], ins, kPadVol, false);
    }
    Pad_ = v;
    HavePad_ = true;
  }

  void Bass(int row, int degree, int next, int bar, char kind) {
    int ins = Ins_(P_.bass);
    const int R = T_.rowsPerBar, beat = T_.rowsPerBeat;
    int root = BassPitch(Key_, degree);
    int fifth = BassPitch(Key_, degree + 4);
    if (fifth < root) fifth += 12;
    auto note = [&](int at, int len, int pitch, int vol) { B_->Note(chBass, row + at, len, pitch, ins, vol, true); };
    BassStyle style = kind == 'C' ? BassStyle::Whole : P_.bassStyle;
    switch (style) {
      case BassStyle::Whole:  // long sustained notes carry more weight
        note(0, R, root, kBassVol - 6);
        break;
      case BassStyle::RootFifth:
        note(0, R / 2, root, kBassVol);
        note(R / 2, R - R / 2, bar % 2 ? fifth : root + 12, kBassVol - 6);
        break;
      case BassStyle::Pulse:
        for (int r = 0; r < R; r += 2) note(r, 2, (r == R - 2 && bar % 2) ? root + 12 : root, r % beat == 0 ? kBassVol : kBassVol - 8);
        break;
      case BassStyle::Syncopated:
        note(0, 6, root, kBassVol);
        note(6, 2, root + 12, kBassVol - 10);
        note(8, 4, fifth, kBassVol - 4);
        note(12, 2, root, kBassVol - 6);
        note(14, 2, BassPitch(Key_, next) + (Rng_.Chance(0.5) ? 1 : -1), kBassVol - 8);
        break;
      case BassStyle::Walking: {
        int beats = R / beat;
        int target = BassPitch(Key_, next);
        int third = BassPitch(Key_, degree + 2);
        if (third < root) third += 12;
        for (int i = 0; i < beats; ++i) {
          int pitch = root;
          if (i == beats - 1) pitch = Rng_.Chance(0.4) ? target + (target > root ? -1 : 1) : Key_.Pitch(Key_.IndexNear(target) + (target > root ? -1 : 1));
          else if (i == 1) pitch = Rng_.Chance(0.5) ? third : fifth;
          else if (i == 2) pitch = Rng_.Chance(0.5) ? fifth : root + 12;
          while (pitch > 50) pitch -= 12;
          while (pitch < 31) pitch += 12;
          note(i * beat, beat, pitch, i == 0 ? kBassVol : kBassVol - 6);
        }
        break;
      }
      case BassStyle::Waltz:
        note(0, beat * 2, bar % 2 ? fifth - 12 : root, kBassVol);
        break;
      case BassStyle::Jig:
        note(0, 6, root, kBassVol);
        note(6, 6, bar % 2 ? fifth : root, kBassVol - 8);
        break;
    }
  }

  void Arpeggio(int row, int degree, char kind) {
    if (P_.arpStyle == ArpStyle::None) return;
    const InstrumentSound& v = GetVoice(P_.arp);
    int ins = Ins_(P_.arp);
    int center = std::clamp(P_.leadCenter - 8, v.lowNote + 6, v.highNote - 12);
    int base = Key_.IndexNear(center);
    while (Mod(base - degree, 7) != 0) --base;  // the chord's root below
    while (Key_.Pitch(base) < v.lowNote) base += 7;
    while (Key_.Pitch(base + 7) > v.highNote && Key_.Pitch(base - 7) >= v.lowNote) base -= 7;
    int tones[4] = {Key_.Pitch(base), Key_.Pitch(base + 2), Key_.Pitch(base + 4), Key_.Pitch(base + 7)};
    static const int up[] = {0, 1, 2, 3, 0, 1, 2, 3};
    static const int upDown[] = {0, 1, 2, 3, 2, 1, 0, 1};
    static const int broken[] = {0, 2, 1, 3, 0, 2, 1, 2};
    static const int alberti[] = {0, 2, 1, 2};
    ArpStyle style = P_.arpStyle;
    if (kind == 'C' && style == ArpStyle::Alberti) style = ArpStyle::Up;
    // Bells and tines ring on and need less; plucked strings fade fast.
    int weight = (P_.arp == Voice::Bell || P_.arp == Voice::Kalimba || P_.arp == Voice::EPiano) ? -6
                 : (P_.arp == Voice::Harp || P_.arp == Voice::Guitar)                           ? 4
                                                                                                 : 0;
    int steps = style == ArpStyle::Alberti ? T_.rowsPerBar : T_.rowsPerBar / 2;
    int len = T_.rowsPerBar / steps;
    for (int i = 0; i < steps; ++i) {
      int tone;
      int vol = kArpVol + (i * len % T_.rowsPerBeat == 0 ? 3 : -3);
      switch (style) {
        case ArpStyle::Up:
          tone = up[i % 8];
          break;
        case ArpStyle::UpDown:
          tone = upDown[i % 8];
          break;
        case ArpStyle::Broken:
          tone = broken[i % 8];
          break;
        case ArpStyle::Alberti:
          tone = alberti[i % 4];
          vol -= 4;
          break;
        case ArpStyle::Sparkle:
        default:
          if (!Rng_.Chance(0.45)) continue;
          tone = Rng_.Int(0, 3);
          vol = kArpVol - 6 + Rng_.Int(-4, 4);
          break;
      }
      vol += weight;
      int pitch = tones[tone] + (style == ArpStyle::Sparkle ? 12 : 0);
      if (pitch > v.highNote) pitch -= 12;
      B_->Note(chArp, row + i * len, len, pitch, ins, vol, false);
    }
  }

  // An unpitched hit: drums play at their recorded speed on note C-5.
  void Hit(int ch, int row, Voice v, int vol) { B_->Note(ch, row, 0, 60, Ins_(v), vol, false); }

  void Drums(int row, int bar, const Section& s, size_t index) {
    const int R = T_.rowsPerBar;
    const bool last = bar == s.bars - 1;
    const bool lightIntro = s.kind == 'I' && bar < 2;
    const bool bridge = s.kind == 'C' && bar < s.bars - 2;
    const bool sectionStart = bar == 0 && index > 0 && s.kind != 'C';
    const bool fill = last;
    switch (P_.drums) {
      case DrumStyle::None:
        return;
      case DrumStyle::Orchestral: {
        int ins = Ins_(Voice::Timpani);
        int root = Key_.Pitch(s.chords[bar]);
        while (root > 55) root -= 12;
        while (root < 36) root += 12;
        if (bar == 0 || bar == 4) B_->Note(chKick, row, 0, root, ins, bar == 0 ? 46 : 34, false);
        if (sectionStart && (s.kind == 'A' || s.kind == 'B')) Hit(chPerc, row, Voice::Crash, 22);
        if (last && s.kind == 'T') {
          for (int r = R / 2; r < R; ++r) B_->Note(chKick, row + r, 0, root, ins, 18 + (r - R / 2) * 30 / (R / 2), false);
        }
        return;
      }
      default:
        break;
    }
    if (sectionStart && (P_.drums == DrumStyle::Pop || P_.drums == DrumStyle::Driving || P_.drums == DrumStyle::HalfTime))
      Hit(chPerc, row, Voice::Crash, 30);
    const int fillFrom = fill ? R / 2 : R;
    auto hats = [&](int every, Voice v, int strong, int weak) {
      for (int r = 0; r < fillFrom; r += every) Hit(chHat, row + r, v, r % T_.rowsPerBeat == 0 ? strong : weak);
    };
    switch (P_.drums) {
      case DrumStyle::Pop:
        hats(2, Voice::HatClosed, 30, 20);
        if (bar % 4 == 3 && !fill) Hit(chHat, row + 14, Voice::HatOpen, 24);
        if (lightIntro || bridge) break;
        Hit(chKick, row, Voice::Kick, 58);
        if (fillFrom > 8) Hit(chKick, row + 8, Voice::Kick, 52);
        if (bar % 2 && fillFrom > 10) Hit(chKick, row + 10, Voice::Kick, 44);
        Hit(chSnare, row + 4, Voice::Snare, 46);
        if (fillFrom > 12) Hit(chSnare, row + 12, Voice::Snare, 46);
        break;
      case DrumStyle::Driving:
        hats(1, Voice::HatClosed, 26, 16);
        if (lightIntro || bridge) break;
        Hit(chKick, row, Voice::Kick, 58);
        Hit(chKick, row + 6, Voice::Kick, 46);
        if (fillFrom > 8) Hit(chKick, row + 8, Voice::Kick, 54);
        if (bar % 2 == 0 && fillFrom > 11) Hit(chKick, row + 11, Voice::Kick, 42);
        Hit(chSnare, row + 4, Voice::Snare, 48);
        if (fillFrom > 12) Hit(chSnare, row + 12, Voice::Snare, 48);
        break;
      case DrumStyle::HalfTime:
        hats(2, Voice::HatClosed, 28, 18);
        if (lightIntro || bridge) break;
        Hit(chKick, row, Voice::Kick, 58);
        if (bar % 2) Hit(chKick, row + 6, Voice::Kick, 40);
        if (fillFrom > 8) Hit(chSnare, row + 8, Voice::Snare, 50);
        if (fillFrom > 10) Hit(chKick, row + 10, Voice::Kick, 46);
        break;
      case DrumStyle::Brush:
        hats(2, Voice::Shaker, 24, 16);
        if (lightIntro || bridge) break;
        Hit(chKick, row, Voice::Kick, 40);
        if (fillFrom > 8) Hit(chKick, row + 8, Voice::Kick, 34);
        Hit(chSnare, row + 4, Voice::Rim, 34);
        if (fillFrom > 12) Hit(chSnare, row + 12, Voice::Rim, 34);
        break;
      case DrumStyle::Soft:
        hats(2, Voice::Shaker, 24, 15);
        if (lightIntro || bridge) break;
        Hit(chKick, row, Voice::FrameDrum, 44);
        if (T_.rowsPerBar == 16 && fillFrom > 8) Hit(chKick, row + 8, Voice::FrameDrum, 30);
        if (bar % 2 && fillFrom > 12) Hit(chSnare, row + 12, Voice::Rim, 24);
        break;
      case DrumStyle::Waltz:
        hats(2, Voice::Shaker, 22, 14);
        if (lightIntro || bridge) break;
        Hit(chKick, row, Voice::Kick, 46);
        if (fillFrom > 4) Hit(chSnare, row + 4, Voice::Rim, 26);
        if (fillFrom > 8) Hit(chSnare, row + 8, Voice::Rim, 22);
        break;
      case DrumStyle::Jig:
        for (int r = 0; r < fillFrom; r += 2) Hit(chHat, row + r, Voice::Shaker, r % 6 == 0 ? 26 : 15);
        if (lightIntro || bridge) break;
        Hit(chKick, row, Voice::Kick, 50);
        Hit(chSnare, row + 6, Voice::FrameDrum, 38);
        break;
      default:
        break;
    }
    if (!fill || lightIntro) return;
    // The fill: hits through the bar's second half, growing louder.
    bool soft = P_.drums == DrumStyle::Soft || P_.drums == DrumStyle::Waltz || P_.drums == DrumStyle::Jig ||
                P_.drums == DrumStyle::Brush;
    Voice v = soft ? Voice::FrameDrum : Voice::Snare;
    int step = P_.drums == DrumStyle::Driving ? 1 : 2;
    int count = (R - fillFrom + step - 1) / step, i = 0;
    for (int r = fillFrom; r < R; r += step, ++i) Hit(chSnare, row + r, v, 24 + 26 * i / std::max(1, count - 1));
    Hit(chKick, row + fillFrom, soft ? Voice::FrameDrum : Voice::Kick, 44);
  }

  void Assemble(ComposedSong& song, std::vector<ItPattern> patterns) {
    ItModule& m = song.module;
    m.name = P_.title;
    m.channels = kSongChannels;
    m.speed = T_.speed;
    m.tempo = T_.tempo;
    m.rowsPerBeat = T_.rowsPerBeat;
    m.rowsPerBar = T_.rowsPerBar;
    m.globalVolume = 128;
    m.mixVolume = 48;
    m.channelPan = {32, 46, 20, 42, 18, 32, 46, 32, 32, 28, 40, 24};
    m.channelVolume.assign(kSongChannels, 64);
    for (ItPattern& p : patterns) {
      auto same = std::find(m.patterns.begin(), m.patterns.end(), p);
      if (same != m.patterns.end()) {
        m.orders.push_back(static_cast<int>(same - m.patterns.begin()));
      } else {
        m.orders.push_back(static_cast<int>(m.patterns.size()));
        m.patterns.push_back(std::move(p));
      }
    }
    song.voices = Ins_.Voices;
    for (size_t i = 0; i < Ins_.Voices.size(); ++i) {
      const InstrumentSound& s = GetVoice(Ins_.Voices[i]);
      m.samples.push_back(MakeItSample(s));
      m.instruments.push_back(MakeItInstrument(s, static_cast<int>(i) + 1, T_.tempo));
    }
  }

  TrackPlan P_;
  Timing T_;
  Key Key_;
  Rng Rng_;
  InstrumentTable Ins_;
  SongBuilder* B_ = nullptr;
  std::vector<Section> Sections_;
  std::vector<MelNote> ThemeA_, ThemeA2_, ThemeB_, Bridge_;
  std::array<int, 3> Pad_{};
  std::array<int, 3> PadHeld_{};
  bool HavePad_ = false;

};

// Three voices of one chord on the pad channels.
void Chord(SongBuilder& b, const Key& key, int degree, int row, int len, int ins, int vol) {
  std::array<int, 3> v = Voicing(key, degree, nullptr);
  for (int i = 0; i < 3; ++i) b.Note(chPad1 + i, row, len, v[i] + 12 * (v[i] < 55), ins, vol, true);
}

// Rows of silence after a short piece so its last notes can ring out.
int TailRows(const Timing& t, double seconds) {
  return static_cast<int>(std::ceil(seconds * t.tempo / (2.5 * t.speed)));
}

// The won-level fanfare: three repeated pickup notes on the fifth, a leap to
// the tonic, a climb through IV and V, and a held tonic chord with a timpani
// roll, a cymbal and a rising bell arpeggio.
ComposedSong ComposeFanfare(const TrackPlan& plan) {
  SongComposer c(plan);
  const Timing& t = c.GetTiming();
  const Key& key = c.GetKey();
  const int R = t.rowsPerBar;
  SongBuilder b(3 * R + TailRows(t, 2.0), kSongChannels);
  InstrumentTable& ins = c.Ins();
  int brass = ins(Voice::Brass), timp = ins(Voice::Timpani), bell = ins(Voice::Bell), strings = ins(Voice::Strings),
      bass = ins(Voice::Bass), crash = ins(Voice::Crash);
  const int top = 14;  // the tonic an octave above middle
  for (int r = 0; r < 6; r += 2) b.Note(chLead, r, 2, key.Pitch(top - 3), brass, 50 + r, true);
  b.Note(chLead, 6, 10, key.Pitch(top), brass, 60, true);
  const int climb[4] = {top - 2, top, top + 1, top - 1};  // over IV, IV, V, V
  for (int i = 0; i < 4; ++i) b.Note(chLead, R + 4 * i, 4, key.Pitch(climb[i]), brass, 56, true);
  b.Note(chLead, 2 * R, R - 2, key.Pitch(top + 2), brass, 62, true);
  Chord(b, key, 0, 6, 10, brass, 40);
  Chord(b, key, 3, R, 8, brass, 40);
  Chord(b, key, 4, R + 8, 8, brass, 42);
  Chord(b, key, 0, 2 * R, R - 2, brass, 44);
  b.Note(chCounter, 2 * R, R - 2, key.Pitch(7), strings, 40, true);
  b.Note(chBass, 6, 10, BassPitch(key, 0), bass, 54, true);
  b.Note(chBass, R, 8, BassPitch(key, 3), bass, 54, true);
  b.Note(chBass, R + 8, 8, BassPitch(key, 4), bass, 54, true);
  b.Note(chBass, 2 * R, R - 2, BassPitch(key, 0), bass, 58, true);
  auto drum = [&](int idx) {
    int p = key.Pitch(idx);
    while (p > 55) p -= 12;
    while (p < 38) p += 12;
    return p;
  };
  for (int r = 0; r < 6; r += 2) b.Note(chKick, r, 0, drum(4), timp, 30 + 3 * r, false);
  b.Note(chKick, 6, 0, drum(0), timp, 52, false);
  b.Note(chKick, R, 0, drum(3), timp, 42, false);
  for (int r = R + 8; r < 2 * R; ++r) b.Note(chKick, r, 0, drum(4), timp, 22 + (r - R - 8) * 4, false);
  b.Note(chKick, 2 * R, 0, drum(0), timp, 60, false);
  b.Note(chPerc, 2 * R, 0, 60, crash, 40, false);
  for (int i = 0; i < 6; ++i) b.Note(chArp, 2 * R + 2 * i, 2, key.Pitch(21 + (i / 3) * 7 + (i % 3) * 2), bell, 40, false);
  return c.Finish(b, b.Rows());
}

// The extra-life jingle: a quick rising arpeggio on bell and harp, a leading
// note, and a bright tonic chord with sparkles.
ComposedSong ComposeJingle(const TrackPlan& plan) {
  SongComposer c(plan);
  const Timing& t = c.GetTiming();
  const Key& key = c.GetKey();
  SongBuilder b(t.rowsPerBar + TailRows(t, 1.6), kSongChannels);
  InstrumentTable& ins = c.Ins();
  int bell = ins(Voice::Bell), harp = ins(Voice::Harp), pad = ins(Voice::Strings), bass = ins(Voice::PluckBass),
      kal = ins(Voice::Kalimba);
  for (int i = 0; i < 6; ++i) {
    int idx = 7 + (i / 3) * 7 + (i % 3) * 2;  // 1-3-5 in two octaves
    b.Note(chLead, i, 1, key.Pitch(idx), bell, 44 + 2 * i, false);
    b.Note(chArp, i, 1, key.Pitch(idx - 7), harp, 36, false);
  }
  b.Note(chLead, 6, 2, key.Pitch(20), bell, 50, false);  // the leading note
  b.Note(chLead, 8, 8, key.Pitch(21), bell, 60, false);
  b.Note(chArp, 8, 8, key.Pitch(14), harp, 44, false);
  Chord(b, key, 0, 8, 8, pad, 34);
  b.Note(chBass, 8, 8, BassPitch(key, 0), bass, 54, false);
  const int sparkle[4] = {14, 16, 18, 21};
  for (int i = 0; i < 4; ++i) b.Note(chCounter, 10 + 2 * i, 2, key.Pitch(sparkle[i]), kal, 28 - 3 * i, false);
  return c.Finish(b, b.Rows());
}

}  // namespace

Timing TimingFor(const TrackPlan& plan) {
  Timing t{};
  t.rowsPerBeat = plan.meter == Meter::Jig ? 6 : 4;
  t.rowsPerBar = plan.meter == Meter::Common ? 16 : 12;
  const int rowsPerMinute = plan.bpm * t.rowsPerBeat;
  // A tick lasts 2.5 / tempo s and a row `speed` ticks:
  // rows per minute = 24 * tempo / speed.
  for (int speed : {6, 5, 4, 3, 7, 8}) {
    if ((rowsPerMinute * speed) % 24) continue;
    int tempo = rowsPerMinute * speed / 24;
    if (tempo >= 32 && tempo <= 255) return {t.rowsPerBeat, t.rowsPerBar, speed, tempo};
  }
  throw std::invalid_argument("no tracker tempo for " + std::to_string(plan.bpm) + " bpm");
}

ComposedSong Compose(const TrackPlan& plan) {
  switch (plan.kind) {
    case TrackKind::Fanfare:
      return ComposeFanfare(plan);
    case TrackKind::Jingle:
      return ComposeJingle(plan);
    default:
      return SongComposer(plan).Run();
  }
}

}  // namespace audiogen
