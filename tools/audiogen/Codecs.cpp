#include "audiogen/Codecs.h"

#include <lame/lame.h>
#include <libopenmpt/libopenmpt.h>
#include <mpg123.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

namespace audiogen {

namespace {

// A read position over bytes held in memory, for the decoders' callbacks.
struct MemoryReader {
  const std::vector<uint8_t>* Data;
  size_t Pos = 0;

  size_t Read(void* dst, size_t n) {
    n = std::min(n, Data->size() - Pos);
    std::memcpy(dst, Data->data() + Pos, n);
    Pos += n;
    return n;
  }
  long Seek(long long offset, int whence) {
    long long base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<long long>(Pos)
                                                                  : static_cast<long long>(Data->size());
    long long to = base + offset;
    if (to < 0 || to > static_cast<long long>(Data->size())) return -1;
    Pos = static_cast<size_t>(to);
    return static_cast<long>(Pos);
  }
};

void AppendPage(std::vector<uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

std::vector<uint8_t> EncodeVorbis(const Pcm& pcm, float quality, int serial) {
  if (pcm.channels < 1 || pcm.channels > 2) throw CodecError("Vorbis: 1 or 2 channels only");
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, pcm.channels, pcm.rate, quality) != 0) {
    vorbis_info_clear(&vi);
    throw CodecError("Vorbis: encoder set-up failed");
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block vb;
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, serial);

  std::vector<uint8_t> out;
  ogg_packet header, comments, codebooks;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codebooks);
  ogg_page page;
  while (ogg_stream_flush(&os, &page) != 0) AppendPage(out, page);

  auto drain = [&] {
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&vd, &packet) != 0) {
        ogg_stream_packetin(&os, &packet);
        while (ogg_stream_pageout(&os, &page) != 0) AppendPage(out, page);
      }
    }
  };
  const size_t frames = pcm.Frames();
  const size_t chunk = 1024;
  for (size_t done = 0; done < frames; done += chunk) {
    size_t n = std::min(chunk, frames - done);
    float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
    for (size_t i = 0; i < n; ++i)
      for (int c = 0; c < pcm.channels; ++c) buf[c][i] = pcm.samples[(done + i) * pcm.channels + c];
    vorbis_analysis_wrote(&vd, static_cast<int>(n));
    drain();
  }
  vorbis_analysis_wrote(&vd, 0);  // end of stream
  drain();
  while (ogg_stream_flush(&os, &page) != 0) AppendPage(out, page);
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

Pcm DecodeVorbis(const std::vector<uint8_t>& data) {
  MemoryReader reader{&data};
  ov_callbacks cb{};
  cb.read_func = [](void* ptr, size_t size, size_t n, void* src) -> size_t {
    return static_cast<MemoryReader*>(src)->Read(ptr, size * n) / std::max<size_t>(size, 1);
  };
  cb.seek_func = [](void* src, ogg_int64_t offset, int whence) -> int {
    return static_cast<MemoryReader*>(src)->Seek(offset, whence) < 0 ? -1 : 0;
  };
  cb.close_func = nullptr;
  cb.tell_func = [](void* src) -> long { return static_cast<long>(static_cast<MemoryReader*>(src)->Pos); };
  OggVorbis_File vf;
  if (ov_open_callbacks(&reader, &vf, nullptr, 0, cb) != 0) throw CodecError("Vorbis: not an Ogg Vorbis stream");
  vorbis_info* vi = ov_info(&vf, -1);
  Pcm pcm;
  pcm.rate = static_cast<int>(vi->rate);
  pcm.channels = vi->channels;
  int section = 0;
  for (;;) {
    float** chans = nullptr;
    long n = ov_read_float(&vf, &chans, 4096, &section);
    if (n == 0) break;
    if (n < 0) {
      ov_clear(&vf);
      throw CodecError("Vorbis: corrupt stream");
    }
    for (long i = 0; i < n; ++i)
      for (int c = 0; c < pcm.channels; ++c) pcm.samples.push_back(chans[c][i]);
  }
  ov_clear(&vf);
  return pcm;
}

std::vector<uint8_t> EncodeMp3(const Pcm& pcm, int kbps) {
  if (pcm.channels != 2) throw CodecError("MP3: stereo input expected");
  lame_t lame = lame_init();
  if (!lame) throw CodecError("MP3: encoder set-up failed");
  lame_set_in_samplerate(lame, pcm.rate);
  lame_set_out_samplerate(lame, pcm.rate);
  lame_set_num_channels(lame, 2);
  lame_set_mode(lame, JOINT_STEREO);
  lame_set_VBR(lame, vbr_off);
  lame_set_brate(lame, kbps);
  lame_set_quality(lame, 5);
  lame_set_bWriteVbrTag(lame, 1);  // the LAME header with delay and padding
  lame_set_write_id3tag_automatic(lame, 0);
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    throw CodecError("MP3: encoder parameters rejected");
  }
  const size_t frames = pcm.Frames();
  const size_t chunk = 8192;
  std::vector<float> left(chunk), right(chunk);
  std::vector<unsigned char> buf(chunk * 5 / 4 + 7200);
  std::vector<uint8_t> out;
  for (size_t done = 0; done < frames; done += chunk) {
    size_t n = std::min(chunk, frames - done);
    for (size_t i = 0; i < n; ++i) {
      left[i] = pcm.samples[(done + i) * 2];
      right[i] = pcm.samples[(done + i) * 2 + 1];
    }
    int got = lame_encode_buffer_ieee_float(lame, left.data(), right.data(), static_cast<int>(n), buf.data(),
                                            static_cast<int>(buf.size()));
    if (got < 0) {
      lame_close(lame);
      throw CodecError("MP3: encoding failed");
    }
    out.insert(out.end(), buf.begin(), buf.begin() + got);
  }
  int got = lame_encode_flush(lame, buf.data(), static_cast<int>(buf.size()));
  if (got > 0) out.insert(out.end(), buf.begin(), buf.begin() + got);
  // The stream starts with a placeholder frame; the real header replaces it.
  std::vector<unsigned char> tag(8192);
  size_t tagSize = lame_get_lametag_frame(lame, tag.data(), tag.size());
  lame_close(lame);
  if (tagSize == 0 || tagSize > tag.size() || tagSize > out.size()) throw CodecError("MP3: no LAME header");
  std::copy(tag.begin(), tag.begin() + static_cast<long>(tagSize), out.begin());
  return out;
}

Pcm DecodeMp3(const std::vector<uint8_t>& data) {
  static const bool initialised = [] {
    mpg123_init();
    return true;
  }();
  (void)initialised;
  int err = 0;
  mpg123_handle* mh = mpg123_new(nullptr, &err);
  if (!mh) throw CodecError("MP3: decoder set-up failed");
  std::unique_ptr<mpg123_handle, void (*)(mpg123_handle*)> guard(mh, [](mpg123_handle* h) {
    mpg123_close(h);
    mpg123_delete(h);
  });
  mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
  mpg123_format_none(mh);
  for (long rate : {44100L, 48000L, 32000L, 22050L})
    mpg123_format(mh, rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
  MemoryReader reader{&data};
  mpg123_replace_reader_handle(
      mh,
      [](void* h, void* dst, size_t n) -> mpg123_ssize_t {
        return static_cast<mpg123_ssize_t>(static_cast<MemoryReader*>(h)->Read(dst, n));
      },
      [](void* h, off_t offset, int whence) -> off_t {
        return static_cast<off_t>(static_cast<MemoryReader*>(h)->Seek(offset, whence));
      },
      nullptr);
  if (mpg123_open_handle(mh, &reader) != MPG123_OK) throw CodecError("MP3: cannot open stream");
  mpg123_scan(mh);  // reads the LAME header so the exact length is known
  long rate = 0;
  int channels = 0, encoding = 0;
  if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK) throw CodecError("MP3: no audio frames");
  Pcm pcm;
  pcm.rate = static_cast<int>(rate);
  pcm.channels = channels;
  std::vector<unsigned char> buf(65536);
  for (;;) {
    size_t got = 0;
    int r = mpg123_read(mh, buf.data(), buf.size(), &got);
    const float* f = reinterpret_cast<const float*>(buf.data());
    pcm.samples.insert(pcm.samples.end(), f, f + got / sizeof(float));
    if (r == MPG123_DONE) break;
    if (r == MPG123_NEW_FORMAT) continue;
    if (r != MPG123_OK) throw CodecError(std::string("MP3: ") + mpg123_strerror(mh));
  }
  return pcm;
}

namespace {
struct ModuleDeleter {
  void operator()(openmpt_module* m) const { openmpt_module_destroy(m); }
};
using ModulePtr = std::unique_ptr<openmpt_module, ModuleDeleter>;

ModulePtr LoadModule(const std::vector<uint8_t>& data) {
  int error = 0;
  const char* message = nullptr;
  openmpt_module* mod = openmpt_module_create_from_memory2(data.data(), data.size(), openmpt_log_func_silent,
                                                          nullptr, openmpt_error_func_store, nullptr, &error,
                                                          &message, nullptr);
  if (!mod) {
    std::string text = message ? message : "unknown error";
    openmpt_free_string(message);
    throw CodecError("libopenmpt cannot load the module: " + text);
  }
  openmpt_free_string(message);
  return ModulePtr(mod);
}
}  // namespace

ModuleInfo InspectModule(const std::vector<uint8_t>& data) {
  ModulePtr mod = LoadModule(data);
  ModuleInfo info;
  info.seconds = openmpt_module_get_duration_seconds(mod.get());
  info.orders = openmpt_module_get_num_orders(mod.get());
  info.patterns = openmpt_module_get_num_patterns(mod.get());
  info.samples = openmpt_module_get_num_samples(mod.get());
  info.instruments = openmpt_module_get_num_instruments(mod.get());
  info.channels = openmpt_module_get_num_channels(mod.get());
  return info;
}

namespace {
// Appends up to `limit` frames; returns how many came.
size_t Read(openmpt_module* mod, int rate, size_t limit, std::vector<float>* out) {
  const size_t chunk = 4096;
  std::vector<float> buf(chunk * 2);
  size_t frames = 0;
  while (frames < limit) {
    size_t got = openmpt_module_read_interleaved_float_stereo(mod, rate, std::min(chunk, limit - frames), buf.data());
    if (got == 0) break;
    if (out) out->insert(out->end(), buf.begin(), buf.begin() + static_cast<long>(got * 2));
    frames += got;
  }
  return frames;
}
}  // namespace

Pcm RenderModule(const std::vector<uint8_t>& data, int rate, int repeats, double maxSeconds, int interpolation) {
  ModulePtr mod = LoadModule(data);
  openmpt_module_set_repeat_count(mod.get(), repeats);
  if (interpolation > 0)
    openmpt_module_set_render_param(mod.get(), OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, interpolation);
  Pcm pcm;
  pcm.rate = rate;
  pcm.channels = 2;
  Read(mod.get(), rate, static_cast<size_t>(maxSeconds * rate), &pcm.samples);
  return pcm;
}

Pcm RenderSecondPass(const std::vector<uint8_t>& data, size_t passFrames) {
  ModulePtr mod = LoadModule(data);
  openmpt_module_set_repeat_count(mod.get(), 1);
  int32_t quality = 0;
  openmpt_module_get_render_param(mod.get(), OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, &quality);
  openmpt_module_set_render_param(mod.get(), OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 1);
  if (Read(mod.get(), 44100, passFrames, nullptr) != passFrames) throw CodecError("module ends before one pass");
  openmpt_module_set_render_param(mod.get(), OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, quality);
  Pcm pcm;
  pcm.rate = 44100;
  pcm.channels = 2;
  if (Read(mod.get(), 44100, passFrames, &pcm.samples) != passFrames) throw CodecError("module ends before two passes");
  return pcm;
}

static std::string LowerExtension(const std::string& name) {
  size_t dot = name.find_last_of('.');
  std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

Pcm DecodeAny(const std::string& fileName, const std::vector<uint8_t>& data, double maxSeconds) {
  std::string ext = LowerExtension(fileName);
  Pcm pcm;
  if (ext == "ogg") {
    pcm = DecodeVorbis(data);
  } else if (ext == "mp3") {
    pcm = DecodeMp3(data);
  } else {
    return RenderModule(data, 44100, 0, maxSeconds);
  }
  size_t limit = static_cast<size_t>(maxSeconds * pcm.rate) * pcm.channels;
  if (pcm.samples.size() > limit) pcm.samples.resize(limit);
  return pcm;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw CodecError("cannot read " + path);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw CodecError("cannot write " + path);
}

std::vector<uint8_t> EncodeWav(const Pcm& pcm) {
  std::vector<uint8_t> b;
  auto u16 = [&](int v) {
    b.push_back(static_cast<uint8_t>(v & 0xFF));
    b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
  };
  auto u32 = [&](uint32_t v) {
    u16(static_cast<int>(v & 0xFFFF));
    u16(static_cast<int>(v >> 16));
  };
  auto tag = [&](const char* t) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(t[i]));
  };
  uint32_t dataBytes = static_cast<uint32_t>(pcm.samples.size() * 2);
  b.reserve(44 + dataBytes);
  tag("RIFF");
  u32(36 + dataBytes);
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);  // PCM
  u16(pcm.channels);
  u32(static_cast<uint32_t>(pcm.rate));
  u32(static_cast<uint32_t>(pcm.rate * pcm.channels * 2));
  u16(pcm.channels * 2);
  u16(16);
  tag("data");
  u32(dataBytes);
  for (float v : pcm.samples) {
    long s = std::lround(static_cast<double>(v) * 32767.0);
    u16(static_cast<int>(std::clamp(s, -32768L, 32767L)) & 0xFFFF);
  }
  return b;
}

}  // namespace audiogen
