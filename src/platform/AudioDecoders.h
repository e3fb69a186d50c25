// Decoders that turn music, streams and samples into the mixer's PCM: stereo
// float frames at 44100 Hz.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace plat {

// Something the mixer can play. Used by one thread at a time: the game thread
// creates it, then only the mixing thread touches it.
class AudioSource {
 public:
  virtual ~AudioSource() = default;
  // Writes up to frames frames (interleaved left, right) and returns how many;
  // fewer than asked means the end was reached.
  virtual int Read(float* out, int frames) = 0;
  // Back to the beginning.
  virtual void Rewind() = 0;
  // Sources that loop by themselves (modules honour their own restart point)
  // take the loop flag and return true; the mixer rewinds the others.
  virtual bool SetLoop(bool loop) {
    (void)loop;
    return false;
  }
};

enum class AudioFormat { Unknown, Wav, Ogg, Mp3 };

// Recognises a stream's format by its first bytes.
AudioFormat SniffAudioFormat(const uint8_t* data, size_t size);

// A tracker module (libopenmpt copies the data). nullptr when it is not one.
std::unique_ptr<AudioSource> CreateModuleSource(const uint8_t* data, size_t size);

// A stream that decodes as it plays, straight from data, which must outlive it.
// Other rates than 44100 Hz are resampled; mono is spread to both sides.
// nullptr when the data is not a WAV, OGG or MP3 we can decode.
std::unique_ptr<AudioSource> CreateStreamSource(const uint8_t* data, size_t size);

// Decodes a whole WAV, OGG or MP3 to stereo 44100 Hz frames. Returns 0 on
// success, else an AudioError: aeFormat for undecodable or empty data, aeMemory
// when it would be longer than maxFrames.
int DecodeToPcm(const uint8_t* data, size_t size, size_t maxFrames, std::vector<float>& pcm);

// Plays decoded frames shared between the voices of one sample.
std::unique_ptr<AudioSource> CreatePcmSource(std::shared_ptr<const std::vector<float>> pcm);

}  // namespace plat
