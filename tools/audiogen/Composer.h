// A small composer. A track plan names a key, a mode, a metre, a tempo, an
// instrument set, three chord progressions and a form; the composer turns it
// into a tracker module: melody (motifs, their sequences and cadences), an
// echo of the melody, a counter-line, arpeggios, voice-led pad chords, bass
// lines and drum patterns with fills. Everything follows from the plan's seed,
// so the same plan always gives the same song.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "audiogen/Instruments.h"
#include "audiogen/ItWriter.h"
#include "audiogen/MusicTheory.h"

namespace audiogen {

enum class ArpStyle { None, Up, UpDown, Broken, Alberti, Sparkle };
enum class BassStyle { Whole, RootFifth, Pulse, Syncopated, Walking, Waltz, Jig };
enum class DrumStyle { None, Orchestral, Soft, Pop, Driving, HalfTime, Brush, Waltz, Jig };
enum class TrackKind { Song, Fanfare, Jingle };

// Channels of a composed module, in order.
enum SongChannel {
  chLead,
  chEcho,
  chCounter,
  chArp,
  chPad1,
  chPad2,
  chPad3,
  chBass,
  chKick,
  chSnare,
  chHat,
  chPerc,
  kSongChannels
};

struct TrackPlan {
  std::string file;   // archive file name, e.g. "ingame001.it"
  std::string title;  // stored as the module's name
  TrackKind kind = TrackKind::Song;
  int tonic = 0;  // pitch class, 0 = C
  Mode mode = Mode::Ionian;
  Meter meter = Meter::Common;
  int bpm = 120;  // beats (quarters; dotted quarters in 6/8) per minute
  uint64_t seed = 1;
  Voice lead = Voice::Flute, alt = Voice::Strings, arp = Voice::Harp, pad = Voice::Pad, bass = Voice::Bass;
  ArpStyle arpStyle = ArpStyle::Up;
  BassStyle bassStyle = BassStyle::RootFifth;
  DrumStyle drums = DrumStyle::Pop;
  int density = 1;  // melody rhythm: 0 calm, 1 moving, 2 busy
  int leadCenter = 76;  // MIDI note the melody moves around
  bool echo = true;
  // Chord degrees (0 = tonic) of four bars each: the main theme, the
  // contrasting section and the bridge.
  std::vector<int> progA, progB, progC;
  // Sections: I intro (4 bars), A theme, a varied theme, B contrast, C bridge
  // (8 bars each), T turnaround (4 bars). The song loops back to its first A.
  std::string form = "IAaBACBaT";
  bool mp3 = false;  // rendered and stored as an MP3 stream instead
};

// The 15 compositions of the game: 14 modules and the streamed "ingame006".
const std::vector<TrackPlan>& GameTracks();

Timing TimingFor(const TrackPlan& plan);

struct ComposedSong {
  ItModule module;
  int loopOrder = -1;  // order the song jumps back to at its end; -1 = it ends
  std::vector<Voice> voices;  // instrument n + 1 plays voices[n]
};

ComposedSong Compose(const TrackPlan& plan);

}  // namespace audiogen
