// Reading an archive record (table re-read, decrypt, inflate, digest) against a
// bare zlib uncompress of the same bytes: the archive's overhead over zlib.
// Argument 0: picture-like bytes with noise (about 2:1); argument 1: sprite-like
// bytes, mostly flat (about 10:1 and more), where the digest dominates.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <unistd.h>

#include <filesystem>
#include <random>

#include "engine/archive/ArchiveKey.h"
#include "engine/archive/CPDb.h"
#include "engine/archive/CPDbWriter.h"

namespace {

constexpr size_t kRecordSize = 4u << 20;

const std::vector<uint8_t>& Sample(int kind) {
  static const std::vector<uint8_t> samples[2] = {
      [] {
        std::vector<uint8_t> out(kRecordSize);
        std::mt19937 random(7);
        for (size_t i = 0; i < out.size(); ++i)
          out[i] = static_cast<uint8_t>((i / 4 % 512) / 3 + (i % 4) * 40 + (random() % 4 == 0 ? random() % 8 : 0));
        return out;
      }(),
      [] {
        // 32-bit pixels, 1024 wide: discs on a transparent ground.
        std::vector<uint8_t> out(kRecordSize, 0);
        for (size_t p = 0; p < kRecordSize / 4; ++p) {
          const int x = static_cast<int>(p % 1024) % 64 - 32, y = static_cast<int>(p / 1024) % 64 - 32;
          if (x * x + y * y < 700) {
            out[p * 4] = static_cast<uint8_t>(x * 4);
            out[p * 4 + 1] = static_cast<uint8_t>(y * 4);
            out[p * 4 + 2] = 200;
            out[p * 4 + 3] = 255;
          }
        }
        return out;
      }()};
  return samples[kind];
}

// The archives read here, written once into the temporary folder and removed
// when the benchmarks end.
struct BenchArchives {
  std::string Paths[2][2];
  ~BenchArchives() {
    std::error_code ec;
    for (const auto& pair : Paths)
      for (const auto& path : pair)
        if (!path.empty()) std::filesystem::remove(path, ec);
  }
};

std::string ArchivePath(int kind, bool encrypted) {
  static BenchArchives archives;
  std::string& path = archives.Paths[kind][encrypted ? 1 : 0];
  if (path.empty()) {
    path = (std::filesystem::temp_directory_path() /
            ("grovewright-archive-bench-" + std::to_string(getpid()) + "-" + std::to_string(kind) +
             (encrypted ? "e" : "p") + ".cpdb"))
               .string();
    TCPDbWriter writer(GameArchiveKey());
    // A table of realistic length in front of the record read.
    for (int i = 0; i < 150; ++i) writer.Add("filler-" + std::to_string(i) + ".image", 1, {1, 2, 3}, encrypted);
    writer.Add("big.image", 1, Sample(kind), encrypted);
    writer.Save(path);
  }
  return path;
}

TCPDb OpenArchive(int kind, bool encrypted) {
  TCPDb archive;
  archive.OpenMode = TCPDb::opReadOnly;
  archive.SetFileName(ArchivePath(kind, encrypted));
  const std::vector<uint8_t> key = GameArchiveKey();
  archive.SetKey(key.data(), static_cast<int>(key.size()));
  return archive;
}

void ReadRecord(benchmark::State& state, bool encrypted) {
  TCPDb archive = OpenArchive(static_cast<int>(state.range(0)), encrypted);
  for (auto _ : state) {
    std::vector<uint8_t> out;
    if (!archive.ReadRecord("big.image", out)) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kRecordSize));
}

void BM_ArchiveReadRecordEncrypted(benchmark::State& state) { ReadRecord(state, true); }
void BM_ArchiveReadRecordPlain(benchmark::State& state) { ReadRecord(state, false); }

void BM_ZlibUncompress(benchmark::State& state) {
  const std::vector<uint8_t>& sample = Sample(static_cast<int>(state.range(0)));
  uLongf packedSize = compressBound(kRecordSize);
  std::vector<uint8_t> packed(packedSize);
  compress2(packed.data(), &packedSize, sample.data(), kRecordSize, 9);
  packed.resize(packedSize);
  state.counters["ratio"] = static_cast<double>(kRecordSize) / static_cast<double>(packedSize);
  for (auto _ : state) {
    std::vector<uint8_t> out(kRecordSize);
    uLongf size = kRecordSize;
    if (uncompress(out.data(), &size, packed.data(), packed.size()) != Z_OK) state.SkipWithError("uncompress");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kRecordSize));
}

// The per-read cost of re-reading the table: a tiny record behind 150 others.
void BM_ArchiveSmallRecordLookup(benchmark::State& state) {
  TCPDb archive = OpenArchive(0, true);
  for (auto _ : state) {
    std::vector<uint8_t> out;
    if (!archive.ReadRecord("filler-149.image", out)) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(out.data());
  }
}

// Real time: a large record is unpacked by two threads.
BENCHMARK(BM_ZlibUncompress)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_ArchiveReadRecordPlain)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_ArchiveReadRecordEncrypted)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_ArchiveSmallRecordLookup)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace
