// Tiny audio data built at test time: tracker modules, WAV, OGG and MP3.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace audiofixtures {

inline void PutBe16(std::vector<uint8_t>& v, size_t at, uint16_t x) {
  v[at] = static_cast<uint8_t>(x >> 8);
  v[at + 1] = static_cast<uint8_t>(x & 0xFF);
}
inline void AppendLe(std::vector<uint8_t>& v, uint32_t x, int bytes) {
  for (int i = 0; i < bytes; ++i) v.push_back(static_cast<uint8_t>((x >> (8 * i)) & 0xFF));
}
inline void AppendTag(std::vector<uint8_t>& v, const char* tag) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(tag[i]));
}

// A ProTracker module of one pattern with a looped square-wave instrument.
// channels is 4 or 8. speed ticks per row at 125 BPM: a row lasts speed * 20 ms,
// so the song lasts 64 * speed * 20 ms. noteEvery > 0 strikes a note in every
// channel each noteEvery rows; 0 strikes one note on the first row only.
inline std::vector<uint8_t> MakeMod(int channels = 4, int speed = 1, int noteEvery = 0) {
  const int kPatternBytes = 64 * channels * 4;
  const int kSampleBytes = 64;
  std::vector<uint8_t> mod(1084, 0);
  std::memcpy(mod.data(), "grovewright test", 16);
  // Sample 1: 64 bytes (32 words), volume 64, looped over its whole length.
  size_t s1 = 20;
  std::memcpy(&mod[s1], "square", 6);
  PutBe16(mod, s1 + 22, kSampleBytes / 2);
  mod[s1 + 25] = 64;
  PutBe16(mod, s1 + 26, 0);
  PutBe16(mod, s1 + 28, kSampleBytes / 2);
  for (int i = 1; i < 31; ++i) PutBe16(mod, 20 + i * 30 + 28, 1);  // empty samples: no loop
  mod[950] = 1;    // one order
  mod[951] = 127;  // no restart position
  mod[952] = 0;    // order 0 plays pattern 0
  std::memcpy(&mod[1080], channels == 8 ? "8CHN" : "M.K.", 4);

  std::vector<uint8_t> pattern(kPatternBytes, 0);
  static const uint16_t kPeriods[] = {428, 381, 339, 320, 285, 254, 226, 214};
  auto cell = [&](int row, int channel) { return &pattern[(row * channels + channel) * 4]; };
  for (int row = 0; row < 64; ++row) {
    bool strike = noteEvery > 0 ? row % noteEvery == 0 : row == 0;
    for (int c = 0; c < channels && strike; ++c) {
      if (noteEvery == 0 && c > 0) break;
      uint16_t period = kPeriods[(c + row / std::max(noteEvery, 1)) % 8];
      uint8_t* p = cell(row, c);
      p[0] = static_cast<uint8_t>(period >> 8);  // sample 1: high nibble 0
      p[1] = static_cast<uint8_t>(period & 0xFF);
      p[2] = 0x10;  // sample 1, no effect
    }
  }
  // Speed command on the first row of the last channel.
  uint8_t* fx = cell(0, channels - 1);
  fx[2] = static_cast<uint8_t>((fx[2] & 0xF0) | 0x0F);
  fx[3] = static_cast<uint8_t>(speed);
  mod.insert(mod.end(), pattern.begin(), pattern.end());
  for (int i = 0; i < kSampleBytes; ++i) mod.push_back(static_cast<uint8_t>(i < kSampleBytes / 2 ? 100 : -100));
  return mod;
}

// Seconds a MakeMod song lasts.
inline double ModSeconds(int speed) { return 64 * speed * 0.02; }

// A sine tone as 16-bit PCM WAV; every channel carries the same tone.
inline std::vector<uint8_t> MakeWav(int rate, int channels, int frames, double hz, double amplitude = 0.5) {
  std::vector<uint8_t> wav;
  uint32_t dataBytes = static_cast<uint32_t>(frames * channels * 2);
  AppendTag(wav, "RIFF");
  AppendLe(wav, 36 + dataBytes, 4);
  AppendTag(wav, "WAVE");
  AppendTag(wav, "fmt ");
  AppendLe(wav, 16, 4);
  AppendLe(wav, 1, 2);
  AppendLe(wav, static_cast<uint32_t>(channels), 2);
  AppendLe(wav, static_cast<uint32_t>(rate), 4);
  AppendLe(wav, static_cast<uint32_t>(rate * channels * 2), 4);
  AppendLe(wav, static_cast<uint32_t>(channels * 2), 2);
  AppendLe(wav, 16, 2);
  AppendTag(wav, "data");
  AppendLe(wav, dataBytes, 4);
  for (int f = 0; f < frames; ++f) {
    auto s = static_cast<int16_t>(std::lround(amplitude * 32767 * std::sin(2 * M_PI * hz * f / rate)));
    for (int c = 0; c < channels; ++c) AppendLe(wav, static_cast<uint16_t>(s), 2);
  }
  return wav;
}

// A sine tone encoded as Ogg Vorbis / MP3 (encoders linked into the tests).
std::vector<uint8_t> MakeOgg(int rate, int channels, int frames, double hz, double amplitude = 0.5);
std::vector<uint8_t> MakeMp3(int rate, int channels, int frames, double hz, double amplitude = 0.5);

// Root-mean-square level of interleaved stereo frames, per side.
inline double Rms(const std::vector<float>& stereo, int side) {
  double sum = 0;
  size_t n = stereo.size() / 2;
  for (size_t i = 0; i < n; ++i) sum += static_cast<double>(stereo[2 * i + side]) * stereo[2 * i + side];
  return n ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}

// Sign changes of one side: twice the frequency per second of a pure tone.
inline int ZeroCrossings(const std::vector<float>& stereo, int side) {
  int count = 0;
  for (size_t i = 2 + side; i < stereo.size(); i += 2)
    if ((stereo[i - 2] < 0) != (stereo[i] < 0)) ++count;
  return count;
}

}  // namespace audiofixtures
