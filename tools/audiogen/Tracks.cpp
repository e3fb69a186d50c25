// The game's music: one plan per file of the music registry. Keys, modes,
// tempi and instrument sets differ from track to track so that the nine level
// themes are told apart at once.
#include "audiogen/Composer.h"

namespace audiogen {

namespace {

TrackPlan Plan(const char* file, const char* title, uint64_t seed, int tonic, Mode mode, Meter meter, int bpm) {
  TrackPlan p;
  p.file = file;
  p.title = title;
  p.seed = seed;
  p.tonic = tonic;
  p.mode = mode;
  p.meter = meter;
  p.bpm = bpm;
  return p;
}

std::vector<TrackPlan> MakeTracks() {
  std::vector<TrackPlan> t;
  enum { C = 0, Db = 1, D = 2, Eb = 3, E = 4, F = 5, Gb = 6, G = 7, Ab = 8, A = 9, Bb = 10, B = 11 };

  // Main menu: a calm overture. Flute over harp, strings in the bridge,
  // timpani marking the sections.
  TrackPlan p = Plan("Overture.it", "Grovewright Overture", 0x0E17, D, Mode::Ionian, Meter::Common, 76);
  p.lead = Voice::Flute, p.alt = Voice::Strings, p.arp = Voice::Harp, p.pad = Voice::Pad, p.bass = Voice::PluckBass;
  p.arpStyle = ArpStyle::UpDown, p.bassStyle = BassStyle::RootFifth, p.drums = DrumStyle::Orchestral;
  p.density = 0, p.leadCenter = 79;
  p.progA = {0, 5, 3, 4}, p.progB = {3, 0, 1, 4}, p.progC = {5, 2, 3, 4};
  p.form = "IAaBCAT";
  t.push_back(p);

  // The story: slow and mysterious, bells over a choir in harmonic minor.
  p = Plan("story.it", "The Old Grove", 0x5707, D, Mode::HarmonicMinor, Meter::Common, 66);
  p.lead = Voice::Bell, p.alt = Voice::Choir, p.arp = Voice::Kalimba, p.pad = Voice::Choir, p.bass = Voice::Bass;
  p.arpStyle = ArpStyle::Sparkle, p.bassStyle = BassStyle::Whole, p.drums = DrumStyle::Orchestral;
  p.density = 0, p.leadCenter = 84;
  p.progA = {0, 5, 3, 4}, p.progB = {0, 3, 5, 4}, p.progC = {5, 3, 0, 4};
  p.form = "IACBAT";
  t.push_back(p);

  // The map: a wandering walk in lydian, marimba over guitar.
  p = Plan("map.it", "Paths Through the Grove", 0x3A9, F, Mode::Lydian, Meter::Common, 92);
  p.lead = Voice::Marimba, p.alt = Voice::Flute, p.arp = Voice::Guitar, p.pad = Voice::Pad, p.bass = Voice::PluckBass;
  p.arpStyle = ArpStyle::Broken, p.bassStyle = BassStyle::Walking, p.drums = DrumStyle::Soft;
  p.density = 1, p.leadCenter = 76;
  p.progA = {0, 1, 0, 1}, p.progB = {5, 1, 0, 4}, p.progC = {2, 5, 1, 4};
  p.form = "IAaBCAT";
  t.push_back(p);

  // Level 1: bright G major pop, flute and harp.
  p = Plan("ingame001.it", "Greenwood", 0x1001, G, Mode::Ionian, Meter::Common, 112);
  p.lead = Voice::Flute, p.alt = Voice::Strings, p.arp = Voice::Harp, p.pad = Voice::Pad, p.bass = Voice::Bass;
  p.arpStyle = ArpStyle::Up, p.bassStyle = BassStyle::RootFifth, p.drums = DrumStyle::Pop;
  p.density = 1, p.leadCenter = 79;
  p.progA = {0, 4, 5, 3}, p.progB = {3, 0, 4, 5}, p.progC = {5, 3, 0, 4};
  t.push_back(p);

  // Level 2: D dorian, electric piano and guitar over brushes.
  p = Plan("ingame002.it", "River Stones", 0x1002, D, Mode::Dorian, Meter::Common, 96);
  p.lead = Voice::EPiano, p.alt = Voice::Flute, p.arp = Voice::Guitar, p.pad = Voice::Strings, p.bass = Voice::PluckBass;
  p.arpStyle = ArpStyle::Broken, p.bassStyle = BassStyle::Syncopated, p.drums = DrumStyle::Brush;
  p.density = 1, p.leadCenter = 72;
  p.progA = {0, 3, 0, 3}, p.progB = {6, 3, 4, 0}, p.progC = {2, 3, 6, 4};
  t.push_back(p);

  // Level 3: driving A harmonic minor, strings and brass.
  p = Plan("ingame003.it", "Ember Run", 0x1003, A, Mode::HarmonicMinor, Meter::Common, 132);
  p.lead = Voice::Strings, p.alt = Voice::Brass, p.arp = Voice::Bell, p.pad = Voice::Pad, p.bass = Voice::Bass;
  p.arpStyle = ArpStyle::UpDown, p.bassStyle = BassStyle::Pulse, p.drums = DrumStyle::Driving;
  p.density = 2, p.leadCenter = 76;
  p.progA = {0, 5, 3, 4}, p.progB = {3, 0, 5, 4}, p.progC = {5, 3, 4, 0};
  t.push_back(p);

  // Level 4: a waltz in F lydian, kalimba and harp.
  p = Plan("ingame004.it", "Meadow Waltz", 0x1004, F, Mode::Lydian, Meter::Waltz, 150);
  p.lead = Voice::Kalimba, p.alt = Voice::Flute, p.arp = Voice::Harp, p.pad = Voice::Pad, p.bass = Voice::PluckBass;
  p.arpStyle = ArpStyle::UpDown, p.bassStyle = BassStyle::Waltz, p.drums = DrumStyle::Waltz;
  p.density = 1, p.leadCenter = 79;
  p.progA = {0, 1, 5, 4}, p.progB = {2, 5, 1, 4}, p.progC = {5, 2, 1, 4};
  p.form = "IAaBAaCBaBAT";
  t.push_back(p);

  // Level 5: broad E minor, brass over choir, half-time drums.
  p = Plan("ingame005.it", "Mountain Hall", 0x1005, E, Mode::Aeolian, Meter::Common, 88);
  p.lead = Voice::Brass, p.alt = Voice::Strings, p.arp = Voice::Harp, p.pad = Voice::Choir, p.bass = Voice::Bass;
  p.arpStyle = ArpStyle::Up, p.bassStyle = BassStyle::RootFifth, p.drums = DrumStyle::HalfTime;
  p.density = 0, p.leadCenter = 70;
  p.progA = {0, 5, 2, 6}, p.progB = {3, 0, 5, 6}, p.progC = {5, 6, 3, 4};
  t.push_back(p);

  // Level 6: the streamed track, E flat major, marimba and guitar. No intro,
  // so the whole recording is the loop.
  p = Plan("ingame006.mp3", "Harvest Lanes", 0x1006, Eb, Mode::Ionian, Meter::Common, 105);
  p.lead = Voice::Marimba, p.alt = Voice::Bell, p.arp = Voice::Guitar, p.pad = Voice::Strings, p.bass = Voice::PluckBass;
  p.arpStyle = ArpStyle::Alberti, p.bassStyle = BassStyle::RootFifth, p.drums = DrumStyle::Pop;
  p.density = 1, p.leadCenter = 74;
  p.progA = {0, 5, 3, 4}, p.progB = {3, 4, 2, 5}, p.progC = {1, 4, 0, 5};
  p.form = "AaBACBaT";
  p.mp3 = true;
  t.push_back(p);

  // Level 7: a jig in B flat mixolydian, plucked lead and flute.
  p = Plan("ingame007.it", "Fiddler's Clearing", 0x1007, Bb, Mode::Mixolydian, Meter::Jig, 100);
  p.lead = Voice::Guitar, p.alt = Voice::Flute, p.arp = Voice::Harp, p.pad = Voice::Strings, p.bass = Voice::PluckBass;
  p.arpStyle = ArpStyle::Broken, p.bassStyle = BassStyle::Jig, p.drums = DrumStyle::Jig;
  p.density = 2, p.leadCenter = 72;
  p.progA = {0, 6, 3, 0}, p.progB = {3, 6, 0, 4}, p.progC = {5, 3, 6, 0};
  p.form = "IAaBAaCBaBAT";
  t.push_back(p);

  // Level 8: night-time C minor, bells and electric piano, walking bass.
  p = Plan("ingame008.it", "Lanterns", 0x1008, C, Mode::Aeolian, Meter::Common, 104);
  p.lead = Voice::Bell, p.alt = Voice::Strings, p.arp = Voice::EPiano, p.pad = Voice::Pad, p.bass = Voice::Bass;
  p.arpStyle = ArpStyle::Broken, p.bassStyle = BassStyle::Walking, p.drums = DrumStyle::Brush;
  p.density = 1, p.leadCenter = 84;
  p.progA = {0, 3, 6, 2}, p.progB = {5, 6, 2, 5}, p.progC = {3, 4, 0, 5};
  t.push_back(p);

  // Level 9: uplifting E major, harp lead over running marimba.
  p = Plan("ingame009.it", "Skyward", 0x1009, E, Mode::Ionian, Meter::Common, 126);
  p.lead = Voice::Harp, p.alt = Voice::Strings, p.arp = Voice::Marimba, p.pad = Voice::Pad, p.bass = Voice::Bass;
  p.arpStyle = ArpStyle::Alberti, p.bassStyle = BassStyle::Pulse, p.drums = DrumStyle::Driving;
  p.density = 1, p.leadCenter = 79;
  p.progA = {0, 2, 3, 4}, p.progB = {5, 3, 0, 4}, p.progC = {1, 4, 0, 5};
  t.push_back(p);

  // Level 10 (registered, not played): F sharp dorian, flute over choir.
  p = Plan("ingame010.it", "Deep Roots", 0x1010, Gb, Mode::Dorian, Meter::Common, 116);
  p.lead = Voice::Flute, p.alt = Voice::EPiano, p.arp = Voice::Bell, p.pad = Voice::Choir, p.bass = Voice::PluckBass;
  p.arpStyle = ArpStyle::Sparkle, p.bassStyle = BassStyle::Syncopated, p.drums = DrumStyle::HalfTime;
  p.density = 1, p.leadCenter = 78;
  p.progA = {0, 3, 6, 3}, p.progB = {2, 6, 3, 0}, p.progC = {4, 3, 2, 6};
  t.push_back(p);

  p = Plan("levelcompleted.it", "Level Complete", 0xFA7F, C, Mode::Ionian, Meter::Common, 120);
  p.kind = TrackKind::Fanfare;
  t.push_back(p);

  p = Plan("life.it", "Extra Life", 0x11FE, G, Mode::Ionian, Meter::Common, 150);
  p.kind = TrackKind::Jingle;
  t.push_back(p);
  return t;
}

}  // namespace

const std::vector<TrackPlan>& GameTracks() {
  static const std::vector<TrackPlan> tracks = MakeTracks();
  return tracks;
}

}  // namespace audiogen
