// Writer for Impulse Tracker modules (.it), the format the game's music is
// stored in. It writes instrument-mode songs with 16-bit signed PCM samples,
// volume envelopes and packed patterns, which libopenmpt plays.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace audiogen {

constexpr int kItNoteOff = 255;  // "==="
constexpr int kItNoteCut = 254;  // "^^^"
constexpr int kItOrderSkip = 254;  // "+++" in the order list
constexpr int kItMaxChannels = 64;
constexpr int kItMaxRows = 200;

// IT effect letters as command numbers (A = 1).
constexpr uint8_t ItCommand(char letter) { return static_cast<uint8_t>(letter - 'A' + 1); }

struct ItCell {
  int note = -1;        // -1 none, 0..119 (C-0..B-9), kItNoteCut or kItNoteOff
  int instrument = 0;   // 0 none, else 1-based
  int volume = -1;      // -1 none, 0..64 volume, 128..192 panning
  uint8_t command = 0;  // 0 none, else ItCommand('A'..'Z')
  uint8_t param = 0;

  bool Empty() const { return note < 0 && instrument == 0 && volume < 0 && command == 0; }
  bool operator==(const ItCell&) const = default;
};

struct ItPattern {
  int rows = 64;
  std::vector<ItCell> cells;  // rows * module channel count, row-major

  ItPattern() = default;
  ItPattern(int rowCount, int channels) : rows(rowCount), cells(static_cast<size_t>(rowCount) * channels) {}
  ItCell& At(int row, int channel, int channels) { return cells[static_cast<size_t>(row) * channels + channel]; }
  const ItCell& At(int row, int channel, int channels) const {
    return cells[static_cast<size_t>(row) * channels + channel];
  }
  bool operator==(const ItPattern&) const = default;
};

struct ItSample {
  std::string name;
  std::vector<int16_t> pcm;  // mono
  uint32_t c5speed = 44100;  // playback rate at note C-5 (60)
  bool loop = false;
  uint32_t loopStart = 0, loopEnd = 0;  // loopEnd is one past the last looped sample
  int volume = 64;                      // default volume 0..64
  int globalVolume = 64;                // 0..64
  // Automatic vibrato (IT's sample vibrato): speed, depth, sweep rate.
  int vibratoSpeed = 0, vibratoDepth = 0, vibratoRate = 0;
};

struct ItEnvelopeNode {
  int tick = 0;
  int value = 0;  // 0..64 for volume
};

struct ItEnvelope {
  bool enabled = false;
  std::vector<ItEnvelopeNode> nodes;  // up to 25, ticks rising
  bool loop = false;
  int loopStart = 0, loopEnd = 0;
  bool sustain = false;
  int sustainStart = 0, sustainEnd = 0;
};

enum ItNewNoteAction : uint8_t { nnaCut = 0, nnaContinue = 1, nnaNoteOff = 2, nnaNoteFade = 3 };

struct ItInstrument {
  std::string name;
  int sample = 1;  // 1-based sample every note plays
  ItNewNoteAction nna = nnaCut;
  int fadeout = 0;        // 0..128; the voice fades over 1024 / fadeout ticks after note-off
  int globalVolume = 128;  // 0..128
  int pan = -1;            // -1 channel pan, else 0..64
  ItEnvelope volumeEnvelope;
};

struct ItModule {
  std::string name;
  int channels = 8;  // channels the patterns hold, 1..64
  int speed = 6;     // ticks per row
  int tempo = 125;   // a tick lasts 2.5 / tempo seconds
  int globalVolume = 128;  // 0..128
  int mixVolume = 48;      // 0..128
  int separation = 128;    // stereo separation 0..128
  int rowsPerBeat = 4, rowsPerBar = 16;  // tracker row highlights only
  std::vector<int> channelPan;     // 0..64 per channel (default 32)
  std::vector<int> channelVolume;  // 0..64 per channel (default 64)
  std::vector<int> orders;         // pattern numbers or kItOrderSkip
  std::vector<ItPattern> patterns;
  std::vector<ItSample> samples;
  std::vector<ItInstrument> instruments;
};

class ItWriteError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// Serialises the module; throws ItWriteError when a value does not fit the
// format (too many channels, a note out of range, a pattern that is missing).
std::vector<uint8_t> WriteIt(const ItModule& module);

// Duration of one pass through the order list in seconds, with no pattern
// jumps other than a final Bxx (which only sets where playback loops).
double ItSongSeconds(const ItModule& module);

}  // namespace audiogen
