#include "audiogen/Generator.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "audiogen/Codecs.h"
#include "audiogen/Effects.h"

namespace audiogen {

namespace {

double Db(double v) { return v > 0 ? 20.0 * std::log10(v) : -200.0; }

struct Level {
  double peak = 0, rms = 0;
};

Level Measure(const std::vector<float>& s, size_t from, size_t to) {
  Level l;
  double sum = 0;
  for (size_t i = from; i < to; ++i) {
    l.peak = std::max(l.peak, static_cast<double>(std::fabs(s[i])));
    sum += static_cast<double>(s[i]) * s[i];
  }
  l.rms = to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0;
  return l;
}

std::string Describe(const ComposedSong& song, const TrackPlan& plan) {
  static const char* modes[] = {"ionian", "dorian", "phrygian", "lydian", "mixolydian", "aeolian", "harmonic minor"};
  static const char* names[] = {"C", "Db", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B"};
  char buf[160];
  std::snprintf(buf, sizeof buf, "%s %s, %d bpm, %zu patterns, %zu orders, %zu instruments, ", names[plan.tonic % 12],
                modes[static_cast<int>(plan.mode)], plan.bpm, song.module.patterns.size(), song.module.orders.size(),
                song.module.instruments.size());
  return buf + (song.loopOrder < 0 ? std::string("plays once") : "loops to order " + std::to_string(song.loopOrder));
}

}  // namespace

BuiltFile BuildTrack(const TrackPlan& plan) {
  ComposedSong song = Compose(plan);
  ItModule& m = song.module;
  const double composed = ItSongSeconds(m);
  BuiltFile out;
  out.name = plan.file;
  out.detail = Describe(song, plan);

  std::vector<uint8_t> bytes = WriteIt(m);
  out.seconds = composed;
  if (plan.mp3) {
    // The stream: the second pass through the song, which starts with the
    // tails of the first pass's last notes, so its end joins its start.
    const size_t loop = static_cast<size_t>(std::llround(composed * 44100));
    Pcm pass = RenderSecondPass(bytes, loop);
    Level raw = Measure(pass.samples, 0, pass.samples.size());
    if (raw.peak < 0.01 || raw.rms < 0.001) throw CodecError(plan.file + ": renders silence");
    const float gain = static_cast<float>(std::pow(10.0, kMusicPeakDb / 20.0) / raw.peak);
    for (float& v : pass.samples) v *= gain;
    out.bytes = EncodeMp3(pass, 128);
    out.peakDb = Db(raw.peak * gain);
    out.rmsDb = Db(raw.rms * gain);
    out.detail += ", MP3 128 kbit/s";
    return out;
  }

  // One render at full global volume (linear interpolation is enough to
  // measure); the level follows from its peak.
  Pcm pcm = RenderModule(bytes, 44100, 0, composed + 30, 2);
  // libopenmpt renders a few milliseconds past the song's end.
  const double rendered = pcm.Seconds();
  if (rendered < composed * 0.998 || rendered > composed + 0.25)
    throw CodecError(plan.file + ": plays " + std::to_string(rendered) + " s, composed " + std::to_string(composed) +
                     " s");
  Level raw = Measure(pcm.samples, 0, pcm.samples.size());
  if (raw.peak < 0.01 || raw.rms < 0.001) throw CodecError(plan.file + ": renders silence");
  const double gain = std::pow(10.0, kMusicPeakDb / 20.0) / raw.peak;

  // Global volume scales the whole mix; past 128 the mixing volume takes
  // over.
  const int oldGv = m.globalVolume, oldMv = m.mixVolume;
  int gv = static_cast<int>(std::floor(m.globalVolume * gain));
  if (gv > 128) {
    m.mixVolume = std::clamp(static_cast<int>(std::floor(m.mixVolume * gv / 128.0)), 1, 128);
    gv = 128;
  }
  m.globalVolume = std::clamp(gv, 1, 128);
  out.bytes = WriteIt(m);
  ModuleInfo info = InspectModule(out.bytes);
  if (info.orders != static_cast<int>(m.orders.size()) || info.samples != static_cast<int>(m.samples.size()))
    throw CodecError(plan.file + ": libopenmpt reads a different module than was written");
  double applied = static_cast<double>(m.globalVolume) / oldGv * m.mixVolume / oldMv;
  out.peakDb = Db(raw.peak * applied);
  out.rmsDb = Db(raw.rms * applied);
  return out;
}

BuiltFile BuildEffect(const std::string& file) {
  Buffer b = SynthesizeEffect(file);
  BuiltFile out;
  out.name = file;
  out.seconds = static_cast<double>(b.size()) / kEffectRate;
  out.peakDb = PeakDb(b);
  out.rmsDb = RmsDb(b);
  if (Peak(b) >= 1.0 || Rms(b) < 1e-4) throw CodecError(file + ": clipped or silent");
  Pcm pcm;
  pcm.rate = kEffectRate;
  pcm.channels = 1;
  pcm.samples = b;
  // The serial number only has to be fixed; one per file keeps them distinct.
  uint32_t serial = 0x47570000;
  for (char c : file) serial = serial * 31 + static_cast<uint8_t>(c);
  out.bytes = EncodeVorbis(pcm, 0.4f, static_cast<int>(serial & 0x7FFFFFFF));
  out.detail = "Vorbis q0.4 mono";
  return out;
}

int GenerateAll(const std::string& outDir, unsigned threads, std::ostream& log) {
  std::vector<std::function<BuiltFile()>> jobs;
  // Longest first, so two threads finish together.
  for (const TrackPlan& p : GameTracks())
    if (p.mp3) jobs.push_back([&p] { return BuildTrack(p); });
  for (const TrackPlan& p : GameTracks())
    if (!p.mp3) jobs.push_back([&p] { return BuildTrack(p); });
  for (const std::string& f : EffectFiles()) jobs.push_back([f] { return BuildEffect(f); });

  std::vector<BuiltFile> results(jobs.size());
  std::vector<std::exception_ptr> errors(jobs.size());
  std::atomic<size_t> next{0};
  auto worker = [&] {
    for (size_t i; (i = next++) < jobs.size();) {
      try {
        results[i] = jobs[i]();
      } catch (...) {
        errors[i] = std::current_exception();
      }
    }
  };
  threads = std::clamp(threads, 1u, 8u);
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(worker);
  worker();
  for (std::thread& t : pool) t.join();
  for (const std::exception_ptr& e : errors)
    if (e) std::rethrow_exception(e);

  std::filesystem::create_directories(outDir);
  std::sort(results.begin(), results.end(), [](const BuiltFile& a, const BuiltFile& b) { return a.name < b.name; });
  for (const BuiltFile& f : results) {
    WriteFileBytes((std::filesystem::path(outDir) / f.name).string(), f.bytes);
    char line[320];
    std::snprintf(line, sizeof line, "%-22s %8zu bytes %7.2f s  peak %6.1f dB  rms %6.1f dB  %s\n", f.name.c_str(),
                  f.bytes.size(), f.seconds, f.peakDb, f.rmsDb, f.detail.c_str());
    log << line;
  }
  return static_cast<int>(results.size());
}

}  // namespace audiogen
