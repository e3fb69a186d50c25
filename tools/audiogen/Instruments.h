// The instruments of the game's music, synthesized from nothing: plucked
// strings (Karplus-Strong), soft pads, strings, flute, brass and choir built
// from additive partials, bells and mallets from inharmonic partials, and a
// small drum kit from noise and swept sines. Each becomes one IT sample and
// one IT instrument.
#pragma once

#include <string>

#include "audiogen/Dsp.h"
#include "audiogen/ItWriter.h"

namespace audiogen {

enum class Voice {
  Harp,
  Guitar,
  Pad,
  Strings,
  Flute,
  Bell,
  Marimba,
  Kalimba,
  EPiano,
  Brass,
  Choir,
  Bass,
  PluckBass,
  Timpani,
  Kick,
  Snare,
  HatClosed,
  HatOpen,
  Shaker,
  FrameDrum,
  Rim,
  Crash,
  Count
};

struct InstrumentSound {
  std::string name;
  Buffer pcm;           // mono, peak below 1
  int rate = 44100;     // rate the recording is at
  double pitchHz = 0;   // fundamental of the recording; 0 = unpitched
  bool loop = false;    // sustained sounds loop one exact period of their waveform
  uint32_t loopStart = 0, loopEnd = 0;
  double attack = 0, release = 0;  // seconds; a sustained sound gets a volume envelope
  double fade = 0.5;               // seconds to silence once released or replaced
  ItNewNoteAction nna = nnaNoteFade;
  int vibratoSpeed = 0, vibratoDepth = 0, vibratoRate = 0;
  int globalVolume = 128;     // balance between instruments
  int lowNote = 0, highNote = 119;  // the range it sounds good in (MIDI)
};

const InstrumentSound& GetVoice(Voice v);

// The rate that makes note 60 (C-5, middle C) sound at 261.63 Hz.
uint32_t C5Speed(const InstrumentSound& s);

ItSample MakeItSample(const InstrumentSound& s);
// Envelope and fade are given in seconds and converted to ticks at `tempo`.
ItInstrument MakeItInstrument(const InstrumentSound& s, int sampleIndex, int tempo);

}  // namespace audiogen
