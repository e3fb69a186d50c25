// Encoders and decoders the generator needs: Ogg Vorbis for the effects, MP3
// for the one streamed level track, libopenmpt to render modules, and WAV
// output so every generated file can be measured with ordinary tools.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace audiogen {

class CodecError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Decoded or rendered audio: interleaved float frames.
struct Pcm {
  int rate = 44100;
  int channels = 2;
  std::vector<float> samples;

  size_t Frames() const { return channels > 0 ? samples.size() / channels : 0; }
  double Seconds() const { return rate > 0 ? static_cast<double>(Frames()) / rate : 0; }
};

// Ogg Vorbis at the given VBR quality (-0.1..1). The Ogg serial number is
// fixed by the caller so the output is the same on every run.
std::vector<uint8_t> EncodeVorbis(const Pcm& pcm, float quality, int serial);
Pcm DecodeVorbis(const std::vector<uint8_t>& data);

// Constant bit-rate MP3 with a LAME header, which tells gapless decoders how
// many priming and padding samples to drop, so a looped stream has no gap.
std::vector<uint8_t> EncodeMp3(const Pcm& pcm, int kbps);
Pcm DecodeMp3(const std::vector<uint8_t>& data);

// Loads a tracker module through libopenmpt; throws CodecError with the
// library's message when it cannot be loaded.
struct ModuleInfo {
  double seconds = 0;
  int orders = 0, patterns = 0, samples = 0, instruments = 0, channels = 0;
};
ModuleInfo InspectModule(const std::vector<uint8_t>& data);

// Renders a module with libopenmpt's default settings (as the game plays it).
// `repeats` extra passes through the song; rendering stops at the song's end
// or after `maxSeconds`. A positive `interpolation` (1 = nearest, 2 =
// linear, up to 8) trades quality for speed, for measurements.
Pcm RenderModule(const std::vector<uint8_t>& data, int rate, int repeats, double maxSeconds,
                 int interpolation = 0);

// The second pass through a song `passFrames` long at 44.1 kHz: it begins
// with the tails of the first pass's last notes, so looping it is seamless.
// The first pass is mixed at the lowest quality, since only its state counts.
Pcm RenderSecondPass(const std::vector<uint8_t>& data, size_t passFrames);

// Decodes by file name extension: modules render once, .ogg and .mp3 decode.
Pcm DecodeAny(const std::string& fileName, const std::vector<uint8_t>& data, double maxSeconds);

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// 16-bit PCM WAV; samples beyond full scale are clamped (and so show as
// clipping when measured).
std::vector<uint8_t> EncodeWav(const Pcm& pcm);

}  // namespace audiogen
