#include "audiogen/ItWriter.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace audiogen {

namespace {

constexpr size_t kHeaderSize = 0xC0;
constexpr size_t kInstrumentSize = 554;
constexpr size_t kSampleHeaderSize = 0x50;
constexpr uint16_t kTrackerVersion = 0x0214;

class Out {
 public:
  explicit Out(std::vector<uint8_t>& bytes) : B_(bytes) {}
  size_t Size() const { return B_.size(); }
  void U8(int v) { B_.push_back(static_cast<uint8_t>(v)); }
  void U16(int v) {
    U8(v & 0xFF);
    U8((v >> 8) & 0xFF);
  }
  void U32(uint32_t v) {
    U16(static_cast<int>(v & 0xFFFF));
    U16(static_cast<int>(v >> 16));
  }
  void Text(const std::string& s, size_t width) {  // zero-padded, always NUL-terminated
    for (size_t i = 0; i < width; ++i) U8(i + 1 < width && i < s.size() ? s[i] : 0);
  }
  void Zeros(size_t n) { B_.insert(B_.end(), n, 0); }
  void PatchU32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) B_[at + i] = static_cast<uint8_t>((v >> (8 * i)) & 0xFF);
  }
  void PatchU16(size_t at, int v) {
    B_[at] = static_cast<uint8_t>(v & 0xFF);
    B_[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
  }

 private:
  std::vector<uint8_t>& B_;
};

void Check(bool ok, const std::string& what) {
  if (!ok) throw ItWriteError("IT module: " + what);
}

void Validate(const ItModule& m) {
  Check(m.channels >= 1 && m.channels <= kItMaxChannels, "channel count must be 1..64");
  Check(m.speed >= 1 && m.speed <= 255, "speed must be 1..255");
  Check(m.tempo >= 32 && m.tempo <= 255, "tempo must be 32..255");
  Check(m.globalVolume >= 0 && m.globalVolume <= 128, "global volume must be 0..128");
  Check(m.mixVolume >= 0 && m.mixVolume <= 128, "mix volume must be 0..128");
  Check(!m.orders.empty() && m.orders.size() <= 255, "order list must hold 1..255 entries");
  Check(m.patterns.size() <= 240, "too many patterns");
  Check(m.samples.size() <= 99 && m.instruments.size() <= 99, "too many samples or instruments");
  for (int o : m.orders)
    Check(o == kItOrderSkip || (o >= 0 && o < static_cast<int>(m.patterns.size())),
          "order names a missing pattern");
  for (const ItPattern& p : m.patterns) {
    Check(p.rows >= 1 && p.rows <= kItMaxRows, "pattern rows must be 1..200");
    Check(p.cells.size() == static_cast<size_t>(p.rows) * m.channels, "pattern size does not match channels");
    for (const ItCell& c : p.cells) {
      Check(c.note == -1 || (c.note >= 0 && c.note <= 119) || c.note == kItNoteCut || c.note == kItNoteOff,
            "note out of range");
      Check(c.instrument >= 0 && c.instrument <= static_cast<int>(m.instruments.size()),
            "cell names a missing instrument");
      Check(c.volume == -1 || (c.volume >= 0 && c.volume <= 64) || (c.volume >= 128 && c.volume <= 192),
            "volume column out of range");
      Check(c.command <= 26, "effect command out of range");
    }
  }
  for (const ItSample& s : m.samples) {
    Check(!s.pcm.empty(), "sample '" + s.name + "' is empty");
    Check(!s.loop || (s.loopStart < s.loopEnd && s.loopEnd <= s.pcm.size()),
          "sample '" + s.name + "' loop is outside the sample");
    Check(s.c5speed > 0 && s.c5speed <= 9999999, "sample rate out of range");
  }
  for (const ItInstrument& i : m.instruments) {
    Check(i.sample >= 1 && i.sample <= static_cast<int>(m.samples.size()),
          "instrument '" + i.name + "' names a missing sample");
    Check(i.fadeout >= 0 && i.fadeout <= 128, "fadeout must be 0..128");
    const ItEnvelope& e = i.volumeEnvelope;
    Check(e.nodes.size() <= 25, "envelope has more than 25 nodes");
    if (e.enabled) {
      Check(e.nodes.size() >= 2, "an enabled envelope needs two nodes");
      Check(e.nodes.front().tick == 0, "an envelope starts at tick 0");
      for (size_t n = 1; n < e.nodes.size(); ++n)
        Check(e.nodes[n].tick > e.nodes[n - 1].tick, "envelope ticks must rise");
      int last = static_cast<int>(e.nodes.size()) - 1;
      Check(!e.loop || (e.loopStart <= e.loopEnd && e.loopEnd <= last), "envelope loop out of range");
      Check(!e.sustain || (e.sustainStart <= e.sustainEnd && e.sustainEnd <= last),
            "envelope sustain out of range");
    }
  }
}

void WriteEnvelope(Out& out, const ItEnvelope& e, int flatValue) {
  std::vector<ItEnvelopeNode> nodes = e.nodes;
  if (!e.enabled && nodes.size() < 2) nodes = {{0, flatValue}, {100, flatValue}};
  out.U8((e.enabled ? 1 : 0) | (e.loop ? 2 : 0) | (e.sustain ? 4 : 0));
  out.U8(static_cast<int>(nodes.size()));
  out.U8(e.loopStart);
  out.U8(e.loopEnd);
  out.U8(e.sustainStart);
  out.U8(e.sustainEnd);
  for (size_t n = 0; n < 25; ++n) {
    if (n < nodes.size()) {
      out.U8(nodes[n].value);
      out.U16(nodes[n].tick);
    } else {
      out.Zeros(3);
    }
  }
  out.U8(0);
}

void WriteInstrument(Out& out, const ItInstrument& ins) {
  size_t start = out.Size();
  out.U8('I'), out.U8('M'), out.U8('P'), out.U8('I');
  out.Text("", 12);
  out.U8(0);
  out.U8(ins.nna);
  out.U8(0);  // duplicate check off
  out.U8(0);
  out.U16(ins.fadeout);
  out.U8(0);   // pitch-pan separation
  out.U8(60);  // pitch-pan centre C-5
  out.U8(ins.globalVolume);
  out.U8(ins.pan < 0 ? (32 | 128) : ins.pan);
  out.U8(0);  // no random volume: keeps every render identical
  out.U8(0);  // no random panning
  out.U16(kTrackerVersion);
  out.U8(1);  // samples in the instrument
  out.U8(0);
  out.Text(ins.name, 26);
  out.U8(0);  // filter cutoff off
  out.U8(0);  // filter resonance off
  out.U8(0);  // MIDI channel
  out.U8(255);  // MIDI program: none
  out.U16(0xFFFF);  // MIDI bank: none
  for (int note = 0; note < 120; ++note) {
    out.U8(note);
    out.U8(ins.sample);
  }
  WriteEnvelope(out, ins.volumeEnvelope, 64);
  WriteEnvelope(out, ItEnvelope{}, 0);  // panning
  WriteEnvelope(out, ItEnvelope{}, 0);  // pitch
  out.Zeros(4);
  if (out.Size() - start != kInstrumentSize) throw ItWriteError("IT module: instrument header size");
}

// Sample headers are written with a zero data pointer patched afterwards.
size_t WriteSampleHeader(Out& out, const ItSample& s) {
  size_t start = out.Size();
  out.U8('I'), out.U8('M'), out.U8('P'), out.U8('S');
  out.Text("", 12);
  out.U8(0);
  out.U8(std::clamp(s.globalVolume, 0, 64));
  out.U8(1 | 2 | (s.loop ? 16 : 0));  // data present, 16-bit, loop
  out.U8(std::clamp(s.volume, 0, 64));
  out.Text(s.name, 26);
  out.U8(1);   // signed samples
  out.U8(32);  // default pan unused (bit 7 clear)
  out.U32(static_cast<uint32_t>(s.pcm.size()));
  out.U32(s.loop ? s.loopStart : 0);
  out.U32(s.loop ? s.loopEnd : 0);
  out.U32(s.c5speed);
  out.U32(0);  // sustain loop
  out.U32(0);
  size_t pointerAt = out.Size();
  out.U32(0);
  out.U8(std::clamp(s.vibratoSpeed, 0, 64));
  out.U8(std::clamp(s.vibratoDepth, 0, 64));
  out.U8(std::clamp(s.vibratoRate, 0, 255));
  out.U8(0);  // sine vibrato
  if (out.Size() - start != kSampleHeaderSize) throw ItWriteError("IT module: sample header size");
  return pointerAt;
}

// Packs one pattern: each cell gives its channel, a mask of the fields that
// follow (omitted when it repeats the channel's previous mask) and only the
// fields that differ from the channel's previous values.
void WritePattern(Out& out, const ItPattern& p, int channels) {
  std::vector<uint8_t> data;
  std::array<int, kItMaxChannels> lastMask, lastNote, lastIns, lastVol, lastCmd;
  lastMask.fill(-1);
  lastNote.fill(-1);
  lastIns.fill(-1);
  lastVol.fill(-1);
  lastCmd.fill(-1);
  for (int row = 0; row < p.rows; ++row) {
    for (int ch = 0; ch < channels; ++ch) {
      const ItCell& c = p.At(row, ch, channels);
      if (c.Empty()) continue;
      int mask = 0;
      std::vector<uint8_t> fields;
      if (c.note >= 0) {
        if (lastNote[ch] == c.note) {
          mask |= 16;
        } else {
          mask |= 1;
          fields.push_back(static_cast<uint8_t>(c.note));
          lastNote[ch] = c.note;
        }
      }
      if (c.instrument > 0) {
        if (lastIns[ch] == c.instrument) {
          mask |= 32;
        } else {
          mask |= 2;
          fields.push_back(static_cast<uint8_t>(c.instrument));
          lastIns[ch] = c.instrument;
        }
      }
      if (c.volume >= 0) {
        if (lastVol[ch] == c.volume) {
          mask |= 64;
        } else {
          mask |= 4;
          fields.push_back(static_cast<uint8_t>(c.volume));
          lastVol[ch] = c.volume;
        }
      }
      if (c.command > 0) {
        int cmd = c.command << 8 | c.param;
        if (lastCmd[ch] == cmd) {
          mask |= 128;
        } else {
          mask |= 8;
          fields.push_back(c.command);
          fields.push_back(c.param);
          lastCmd[ch] = cmd;
        }
      }
      if (mask == lastMask[ch]) {
        data.push_back(static_cast<uint8_t>(ch + 1));
      } else {
        data.push_back(static_cast<uint8_t>((ch + 1) | 128));
        data.push_back(static_cast<uint8_t>(mask));
        lastMask[ch] = mask;
      }
      data.insert(data.end(), fields.begin(), fields.end());
    }
    data.push_back(0);
  }
  if (data.size() > 0xFFFF) throw ItWriteError("IT module: packed pattern exceeds 64 KiB");
  out.U16(static_cast<int>(data.size()));
  out.U16(p.rows);
  out.Zeros(4);
  for (uint8_t b : data) out.U8(b);
}

}  // namespace

std::vector<uint8_t> WriteIt(const ItModule& m) {
  Validate(m);
  std::vector<uint8_t> bytes;
  Out out(bytes);
  size_t orderCount = m.orders.size() + 1;  // with the end marker

  out.U8('I'), out.U8('M'), out.U8('P'), out.U8('M');
  out.Text(m.name, 26);
  out.U8(m.rowsPerBeat);
  out.U8(m.rowsPerBar);
  out.U16(static_cast<int>(orderCount));
  out.U16(static_cast<int>(m.instruments.size()));
  out.U16(static_cast<int>(m.samples.size()));
  out.U16(static_cast<int>(m.patterns.size()));
  out.U16(kTrackerVersion);
  out.U16(kTrackerVersion);
  out.U16(1 | 4 | 8);  // stereo, instruments, linear slides
  out.U16(0);          // no song message
  out.U8(m.globalVolume);
  out.U8(m.mixVolume);
  out.U8(m.speed);
  out.U8(m.tempo);
  out.U8(m.separation);
  out.U8(0);  // pitch wheel depth
  out.U16(0);
  out.U32(0);
  out.U32(0);
  for (int ch = 0; ch < 64; ++ch) {
    if (ch >= m.channels) {
      out.U8(32 | 128);  // disabled channel
    } else {
      int pan = ch < static_cast<int>(m.channelPan.size()) ? m.channelPan[ch] : 32;
      out.U8(std::clamp(pan, 0, 64));
    }
  }
  for (int ch = 0; ch < 64; ++ch) {
    int vol = ch < static_cast<int>(m.channelVolume.size()) ? m.channelVolume[ch] : 64;
    out.U8(std::clamp(vol, 0, 64));
  }
  if (out.Size() != kHeaderSize) throw ItWriteError("IT module: header size");
  for (int o : m.orders) out.U8(o);
  out.U8(255);

  size_t insTable = out.Size();
  out.Zeros(4 * m.instruments.size());
  size_t smpTable = out.Size();
  out.Zeros(4 * m.samples.size());
  size_t patTable = out.Size();
  out.Zeros(4 * m.patterns.size());

  for (size_t i = 0; i < m.instruments.size(); ++i) {
    out.PatchU32(insTable + 4 * i, static_cast<uint32_t>(out.Size()));
    WriteInstrument(out, m.instruments[i]);
  }
  std::vector<size_t> dataPointers;
  for (size_t i = 0; i < m.samples.size(); ++i) {
    out.PatchU32(smpTable + 4 * i, static_cast<uint32_t>(out.Size()));
    dataPointers.push_back(WriteSampleHeader(out, m.samples[i]));
  }
  for (size_t i = 0; i < m.patterns.size(); ++i) {
    out.PatchU32(patTable + 4 * i, static_cast<uint32_t>(out.Size()));
    WritePattern(out, m.patterns[i], m.channels);
  }
  for (size_t i = 0; i < m.samples.size(); ++i) {
    out.PatchU32(dataPointers[i], static_cast<uint32_t>(out.Size()));
    for (int16_t v : m.samples[i].pcm) out.U16(static_cast<uint16_t>(v));
  }
  return bytes;
}

double ItSongSeconds(const ItModule& m) {
  double rows = 0;
  for (int o : m.orders) {
    if (o == kItOrderSkip) continue;
    rows += m.patterns.at(static_cast<size_t>(o)).rows;
  }
  return rows * m.speed * 2.5 / m.tempo;
}

}  // namespace audiogen
