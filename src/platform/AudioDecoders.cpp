#include "platform/AudioDecoders.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <ostream>

#include <libopenmpt/libopenmpt.hpp>
#include <mpg123.h>
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include "platform/Audio.h"

namespace plat {
namespace {

// Read position over a block of memory, shared by the OGG and MP3 readers.
struct MemoryReader {
  const uint8_t* Data = nullptr;
  size_t Size = 0;
  size_t Pos = 0;

  size_t Read(void* out, size_t bytes) {
    size_t n = std::min(bytes, Size - Pos);
    if (n > 0) std::memcpy(out, Data + Pos, n);
    Pos += n;
    return n;
  }
  // Returns the new position, or -1 when the target lies outside the block.
  int64_t Seek(int64_t offset, int whence) {
    int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<int64_t>(Pos) : static_cast<int64_t>(Size);
    int64_t target = base + offset;
    if (target < 0 || target > static_cast<int64_t>(Size)) return -1;
    Pos = static_cast<size_t>(target);
    return target;
  }
};

// A decoder at the data's own rate and channel count.
class PcmDecoder {
 public:
  virtual ~PcmDecoder() = default;
  // Writes up to frames frames of Channels interleaved samples; 0 at the end.
  virtual int Read(float* out, int frames) = 0;
  virtual void Rewind() = 0;
  int Rate = 0;
  int Channels = 0;
};

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

// RIFF WAVE with integer PCM of 8 to 32 bits or 32/64-bit float.
class WavDecoder final : public PcmDecoder {
 public:
  static std::unique_ptr<WavDecoder> Open(const uint8_t* data, size_t size) {
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) return nullptr;
    auto dec = std::make_unique<WavDecoder>();
    bool haveFormat = false, haveData = false;
    size_t pos = 12;
    while (pos + 8 <= size && !haveData) {
      const uint8_t* chunk = data + pos;
      uint32_t chunkSize = Le32(chunk + 4);
      size_t body = pos + 8;
      size_t avail = size - body;
      if (std::memcmp(chunk, "fmt ", 4) == 0) {
        if (chunkSize < 16 || avail < 16) return nullptr;
        uint16_t tag = Le16(data + body);
        dec->Channels = Le16(data + body + 2);
        dec->Rate = static_cast<int>(Le32(data + body + 4));
        dec->Align_ = Le16(data + body + 12);
        dec->Bits_ = Le16(data + body + 14);
        if (tag == 0xFFFE) {  // extensible: the sub-format's first two bytes are the real tag
          if (chunkSize < 40 || avail < 40) return nullptr;
          tag = Le16(data + body + 24);
        }
        if (tag == 1) {
          dec->Float_ = false;
          if (dec->Bits_ != 8 && dec->Bits_ != 16 && dec->Bits_ != 24 && dec->Bits_ != 32) return nullptr;
        } else if (tag == 3) {
          dec->Float_ = true;
          if (dec->Bits_ != 32 && dec->Bits_ != 64) return nullptr;
        } else {
          return nullptr;
        }
        if (dec->Channels < 1 || dec->Channels > 16 || dec->Rate < 1000 || dec->Rate > 384000) return nullptr;
        if (dec->Align_ != dec->Channels * (dec->Bits_ / 8)) return nullptr;
        haveFormat = true;
      } else if (std::memcmp(chunk, "data", 4) == 0) {
        if (!haveFormat) return nullptr;
        // A truncated file plays what it holds.
        size_t bytes = std::min<size_t>(chunkSize, avail);
        dec->Data_ = data + body;
        dec->Frames_ = bytes / dec->Align_;
        haveData = true;
      }
      // Chunks are padded to an even size.
      uint64_t next = static_cast<uint64_t>(body) + chunkSize + (chunkSize & 1);
      if (next > size) break;
      pos = static_cast<size_t>(next);
    }
    if (!haveData) return nullptr;
    return dec;
  }

  int Read(float* out, int frames) override {
    size_t n = std::min<size_t>(static_cast<size_t>(frames), Frames_ - Pos_);
    const uint8_t* p = Data_ + Pos_ * Align_;
    size_t count = n * static_cast<size_t>(Channels);
    for (size_t i = 0; i < count; ++i) {
      float v;
      if (Float_) {
        if (Bits_ == 32) {
          float f;
          std::memcpy(&f, p, 4);
          v = f;
        } else {
          double d;
          std::memcpy(&d, p, 8);
          v = static_cast<float>(d);
        }
      } else if (Bits_ == 8) {
        v = (static_cast<int>(p[0]) - 128) / 128.0f;
      } else if (Bits_ == 16) {
        v = static_cast<int16_t>(Le16(p)) / 32768.0f;
      } else if (Bits_ == 24) {
        int32_t s = static_cast<int32_t>((static_cast<uint32_t>(p[0]) << 8) | (static_cast<uint32_t>(p[1]) << 16) |
                                         (static_cast<uint32_t>(p[2]) << 24));
        v = static_cast<float>(s / 2147483648.0);
      } else {
        v = static_cast<float>(static_cast<int32_t>(Le32(p)) / 2147483648.0);
      }
      // Float files may hold anything; keep the mixer's arithmetic finite.
      if (!(v >= -4.0f && v <= 4.0f)) v = 0.0f;
      out[i] = v;
      p += Bits_ / 8;
    }
    Pos_ += n;
    return static_cast<int>(n);
  }

  void Rewind() override { Pos_ = 0; }

 private:
  const uint8_t* Data_ = nullptr;
  size_t Frames_ = 0;
  size_t Pos_ = 0;
  int Align_ = 0;
  int Bits_ = 0;
  bool Float_ = false;
};

size_t OggRead(void* ptr, size_t size, size_t nmemb, void* source) {
  if (size == 0) return 0;
  return static_cast<MemoryReader*>(source)->Read(ptr, size * nmemb) / size;
}
int OggSeek(void* source, ogg_int64_t offset, int whence) {
  return static_cast<MemoryReader*>(source)->Seek(offset, whence) < 0 ? -1 : 0;
}
long OggTell(void* source) { return static_cast<long>(static_cast<MemoryReader*>(source)->Pos); }

class OggDecoder final : public PcmDecoder {
 public:
  static std::unique_ptr<OggDecoder> Open(const uint8_t* data, size_t size) {
    auto dec = std::unique_ptr<OggDecoder>(new OggDecoder);
    dec->Reader_ = {data, size, 0};
    ov_callbacks callbacks{OggRead, OggSeek, nullptr, OggTell};
    if (ov_open_callbacks(&dec->Reader_, &dec->File_, nullptr, 0, callbacks) != 0) return nullptr;
    dec->Opened_ = true;
    vorbis_info* info = ov_info(&dec->File_, -1);
    if (!info || info->channels < 1 || info->rate < 1000 || info->rate > 384000) return nullptr;
    dec->Channels = info->channels;
    dec->Rate = static_cast<int>(info->rate);
    return dec;
  }
  ~OggDecoder() override {
    if (Opened_) ov_clear(&File_);
  }

  int Read(float* out, int frames) override {
    int done = 0;
    int failures = 0;
    while (done < frames) {
      float** pcm = nullptr;
      int section = 0;
      long got = ov_read_float(&File_, &pcm, frames - done, &section);
      if (got == OV_HOLE && ++failures < 16) continue;  // a gap in the data: go on after it
      if (got <= 0) break;
      // A chained file may change its channel count: repeat its last channel.
      vorbis_info* info = ov_info(&File_, section);
      int have = info ? info->channels : Channels;
      for (long f = 0; f < got; ++f)
        for (int c = 0; c < Channels; ++c) out[(done + f) * Channels + c] = pcm[std::min(c, have - 1)][f];
      done += static_cast<int>(got);
    }
    return done;
  }

  void Rewind() override { ov_pcm_seek(&File_, 0); }

 private:
  OggDecoder() = default;
  MemoryReader Reader_;
  OggVorbis_File File_{};
  bool Opened_ = false;
};

mpg123_ssize_t Mp3Read(void* handle, void* buffer, size_t bytes) {
  return static_cast<mpg123_ssize_t>(static_cast<MemoryReader*>(handle)->Read(buffer, bytes));
}
off_t Mp3Seek(void* handle, off_t offset, int whence) {
  return static_cast<off_t>(static_cast<MemoryReader*>(handle)->Seek(offset, whence));
}

class Mp3Decoder final : public PcmDecoder {
 public:
  static std::unique_ptr<Mp3Decoder> Open(const uint8_t* data, size_t size) {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
    auto dec = std::unique_ptr<Mp3Decoder>(new Mp3Decoder);
    dec->Reader_ = {data, size, 0};
    int err = 0;
    dec->Handle_ = mpg123_new(nullptr, &err);
    mpg123_handle* mh = dec->Handle_;
    if (!mh) return nullptr;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    // Decode to float at whatever rate the file has; the stream resamples.
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i) mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
    if (mpg123_replace_reader_handle(mh, Mp3Read, Mp3Seek, nullptr) != MPG123_OK) return nullptr;
    if (mpg123_open_handle(mh, &dec->Reader_) != MPG123_OK) return nullptr;
    dec->Opened_ = true;
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK) return nullptr;
    if (encoding != MPG123_ENC_FLOAT_32 || channels < 1 || channels > 2 || rate < 1000) return nullptr;
    // Hold the format: a later frame of another kind is converted, not switched to.
    mpg123_format_none(mh);
    mpg123_format(mh, rate, channels, encoding);
    dec->Rate = static_cast<int>(rate);
    dec->Channels = channels;
    return dec;
  }
  ~Mp3Decoder() override {
    if (Handle_) {
      if (Opened_) mpg123_close(Handle_);
      mpg123_delete(Handle_);
    }
  }

  int Read(float* out, int frames) override {
    size_t frameBytes = sizeof(float) * static_cast<size_t>(Channels);
    size_t wanted = static_cast<size_t>(frames) * frameBytes;
    size_t total = 0;
    int idle = 0;
    while (total < wanted) {
      size_t done = 0;
      int r = mpg123_read(Handle_, reinterpret_cast<unsigned char*>(out) + total, wanted - total, &done);
      total += done;
      if (r == MPG123_NEW_FORMAT || (r == MPG123_OK && done > 0)) {
        idle = 0;
        continue;
      }
      if (r != MPG123_OK || ++idle > 4) break;  // done, or an error: the stream ends here
    }
    return static_cast<int>(total / frameBytes);
  }

  void Rewind() override { mpg123_seek(Handle_, 0, SEEK_SET); }

 private:
  Mp3Decoder() = default;
  MemoryReader Reader_;
  mpg123_handle* Handle_ = nullptr;
  bool Opened_ = false;
};

std::unique_ptr<PcmDecoder> OpenDecoder(const uint8_t* data, size_t size) {
  switch (SniffAudioFormat(data, size)) {
    case AudioFormat::Wav: return WavDecoder::Open(data, size);
    case AudioFormat::Ogg: return OggDecoder::Open(data, size);
    case AudioFormat::Mp3: return Mp3Decoder::Open(data, size);
    case AudioFormat::Unknown: break;
  }
  return nullptr;
}

// Turns a decoder's output into stereo frames at the mixer's rate: mono is
// spread to both sides, extra channels are dropped, other rates are resampled
// by linear interpolation.
class StreamSource final : public AudioSource {
 public:
  explicit StreamSource(std::unique_ptr<PcmDecoder> decoder)
      : Decoder_(std::move(decoder)),
        Step_(static_cast<double>(Decoder_->Rate) / kAudioRate),
        In_(static_cast<size_t>(kChunk) * static_cast<size_t>(Decoder_->Channels)) {}

  int Read(float* out, int frames) override {
    return Decoder_->Rate == kAudioRate ? ReadDirect(out, frames) : ReadResampled(out, frames);
  }

  void Rewind() override {
    Decoder_->Rewind();
    InPos_ = InCount_ = 0;
    Primed_ = false;
    Ended_ = false;
    T_ = 0;
  }

 private:
  static constexpr int kChunk = 1024;

  bool Refill() {
    InPos_ = 0;
    InCount_ = Decoder_->Read(In_.data(), kChunk);
    return InCount_ > 0;
  }
  void Take(float& left, float& right) {
    const float* s = &In_[static_cast<size_t>(InPos_) * static_cast<size_t>(Decoder_->Channels)];
    left = s[0];
    right = Decoder_->Channels > 1 ? s[1] : s[0];
    ++InPos_;
  }
  bool Next(float* frame) {
    if (InPos_ == InCount_ && !Refill()) return false;
    Take(frame[0], frame[1]);
    return true;
  }

  int ReadDirect(float* out, int frames) {
    int n = 0;
    while (n < frames) {
      if (InPos_ == InCount_ && !Refill()) break;
      while (n < frames && InPos_ < InCount_) {
        Take(out[2 * n], out[2 * n + 1]);
        ++n;
      }
    }
    return n;
  }

  int ReadResampled(float* out, int frames) {
    if (!Primed_) {
      if (!Next(A_)) return 0;
      if (!Next(B_)) Ended_ = true;
      T_ = 0;
      Primed_ = true;
    }
    int n = 0;
    while (n < frames && !Ended_) {
      float t = static_cast<float>(T_);
      out[2 * n] = A_[0] + (B_[0] - A_[0]) * t;
      out[2 * n + 1] = A_[1] + (B_[1] - A_[1]) * t;
      ++n;
      T_ += Step_;
      while (T_ >= 1.0) {
        T_ -= 1.0;
        A_[0] = B_[0];
        A_[1] = B_[1];
        if (!Next(B_)) {
          Ended_ = true;
          break;
        }
      }
    }
    return n;
  }

  std::unique_ptr<PcmDecoder> Decoder_;
  double Step_;
  std::vector<float> In_;
  int InPos_ = 0;
  int InCount_ = 0;
  bool Primed_ = false;
  bool Ended_ = false;
  double T_ = 0;
  float A_[2] = {0, 0};
  float B_[2] = {0, 0};
};

class ModuleSource final : public AudioSource {
 public:
  explicit ModuleSource(std::unique_ptr<openmpt::module> module) : Module_(std::move(module)) {
    Module_->set_repeat_count(0);
  }

  int Read(float* out, int frames) override {
    try {
      return static_cast<int>(Module_->read_interleaved_stereo(kAudioRate, static_cast<size_t>(frames), out));
    } catch (...) {
      return 0;  // the module cannot go on: it ends here
    }
  }
  void Rewind() override {
    try {
      Module_->set_position_seconds(0.0);
    } catch (...) {
    }
  }
  bool SetLoop(bool loop) override {
    Module_->set_repeat_count(loop ? -1 : 0);
    return true;
  }

 private:
  std::unique_ptr<openmpt::module> Module_;
};

class PcmSource final : public AudioSource {
 public:
  explicit PcmSource(std::shared_ptr<const std::vector<float>> pcm) : Pcm_(std::move(pcm)) {}

  int Read(float* out, int frames) override {
    size_t total = Pcm_->size() / 2;
    size_t n = std::min<size_t>(static_cast<size_t>(frames), total - Pos_);
    std::memcpy(out, Pcm_->data() + Pos_ * 2, n * 2 * sizeof(float));
    Pos_ += n;
    return static_cast<int>(n);
  }
  void Rewind() override { Pos_ = 0; }

 private:
  std::shared_ptr<const std::vector<float>> Pcm_;
  size_t Pos_ = 0;
};

// libopenmpt reports load warnings to a stream; the game has no use for them.
std::ostream& SilentLog() {
  static std::ostream log(nullptr);
  return log;
}

}  // namespace

AudioFormat SniffAudioFormat(const uint8_t* data, size_t size) {
  if (!data || size < 4) return AudioFormat::Unknown;
  if (size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WAVE", 4) == 0) return AudioFormat::Wav;
  if (std::memcmp(data, "OggS", 4) == 0) return AudioFormat::Ogg;
  if (std::memcmp(data, "ID3", 3) == 0) return AudioFormat::Mp3;
  // An MPEG audio frame header: eleven set sync bits, a valid version and layer.
  if (data[0] == 0xFF && (data[1] & 0xE0) == 0xE0 && (data[1] & 0x18) != 0x08 && (data[1] & 0x06) != 0)
    return AudioFormat::Mp3;
  return AudioFormat::Unknown;
}

std::unique_ptr<AudioSource> CreateModuleSource(const uint8_t* data, size_t size) {
  if (!data || size == 0) return nullptr;
  try {
    auto module = std::make_unique<openmpt::module>(data, size, SilentLog());
    return std::make_unique<ModuleSource>(std::move(module));
  } catch (...) {
    return nullptr;
  }
}

std::unique_ptr<AudioSource> CreateStreamSource(const uint8_t* data, size_t size) {
  auto decoder = OpenDecoder(data, size);
  if (!decoder) return nullptr;
  return std::make_unique<StreamSource>(std::move(decoder));
}

int DecodeToPcm(const uint8_t* data, size_t size, size_t maxFrames, std::vector<float>& pcm) {
  auto source = CreateStreamSource(data, size);
  if (!source) return aeFormat;
  pcm.clear();
  constexpr int kBlock = 4096;
  std::vector<float> block(kBlock * 2);
  for (;;) {
    int n = source->Read(block.data(), kBlock);
    if (n <= 0) break;
    if (pcm.size() / 2 + static_cast<size_t>(n) > maxFrames) {
      pcm.clear();
      return aeMemory;
    }
    pcm.insert(pcm.end(), block.begin(), block.begin() + 2 * n);
  }
  if (pcm.empty()) return aeFormat;
  return aeOk;
}

std::unique_ptr<AudioSource> CreatePcmSource(std::shared_ptr<const std::vector<float>> pcm) {
  return std::make_unique<PcmSource>(std::move(pcm));
}

}  // namespace plat
