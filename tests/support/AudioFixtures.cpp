#include "support/AudioFixtures.h"

#include <lame.h>
#include <vorbis/vorbisenc.h>

namespace audiofixtures {

std::vector<uint8_t> MakeOgg(int rate, int channels, int frames, double hz, double amplitude) {
  std::vector<uint8_t> out;
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, channels, rate, 0.3f) != 0) {
    vorbis_info_clear(&info);
    return out;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1234);  // fixed serial: the same tone gives the same bytes

  auto writePage = [&](const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
  };
  ogg_packet header, headerComment, headerCode;
  vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &headerComment);
  ogg_stream_packetin(&stream, &headerCode);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page) != 0) writePage(page);

  const int kChunk = 1024;
  int done = 0;
  bool eos = false;
  while (!eos) {
    int n = std::min(kChunk, frames - done);
    if (n > 0) {
      float** buffer = vorbis_analysis_buffer(&dsp, n);
      for (int i = 0; i < n; ++i) {
        float s = static_cast<float>(amplitude * std::sin(2 * M_PI * hz * (done + i) / rate));
        for (int c = 0; c < channels; ++c) buffer[c][i] = s;
      }
      vorbis_analysis_wrote(&dsp, n);
      done += n;
    } else {
      vorbis_analysis_wrote(&dsp, 0);
    }
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) {
          writePage(page);
          if (ogg_page_eos(&page)) eos = true;
        }
      }
    }
  }
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

std::vector<uint8_t> MakeMp3(int rate, int channels, int frames, double hz, double amplitude) {
  std::vector<uint8_t> out;
  lame_global_flags* lame = lame_init();
  if (!lame) return out;
  lame_set_in_samplerate(lame, rate);
  lame_set_out_samplerate(lame, rate);
  lame_set_num_channels(lame, channels);
  lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
  lame_set_brate(lame, 128);
  lame_set_quality(lame, 5);
  lame_set_bWriteVbrTag(lame, 1);  // the Info frame tells the decoder the encoder's delay
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    return out;
  }
  std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i)
    left[i] = right[i] = static_cast<float>(amplitude * std::sin(2 * M_PI * hz * i / rate));
  std::vector<unsigned char> buffer(static_cast<size_t>(frames) * 5 / 4 + 7200);
  int n = lame_encode_buffer_ieee_float(lame, left.data(), right.data(), frames, buffer.data(),
                                        static_cast<int>(buffer.size()));
  if (n > 0) out.insert(out.end(), buffer.begin(), buffer.begin() + n);
  n = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
  if (n > 0) out.insert(out.end(), buffer.begin(), buffer.begin() + n);
  // The first frame was written as a placeholder for the Info frame.
  size_t tag = lame_get_lametag_frame(lame, buffer.data(), buffer.size());
  if (tag > 0 && tag <= out.size()) std::copy(buffer.begin(), buffer.begin() + static_cast<long>(tag), out.begin());
  lame_close(lame);
  return out;
}

}  // namespace audiofixtures
