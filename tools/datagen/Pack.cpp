#include "Pack.h"

#include "ArtLoading.h"
#include "screens/Credits.h"

#include <nettle/sha2.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <stdexcept>
#include <thread>

#include <unistd.h>

#include "FontGen.h"
#include "MapData.h"
#include "engine/archive/ArchiveKey.h"
#include "engine/archive/CPDbWriter.h"
#include "engine/render/ImageFile.h"

namespace fs = std::filesystem;

// Raise to redraw everything (for changes the cache cannot see, such as a new
// record layout).
static const char* const kCacheVersion = "datagen-cache-3";

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::string temp = path + ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + temp);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + temp);
  }
  fs::rename(temp, path);
}

// ---------------------------------------------------------------------------
// Records

namespace {

struct TTextureLayout {
  int Width = 0, Height = 0, PerRow = 1;
};

// Packs the patterns on one texture, as square as possible, at most 2048 on a
// side: the smallest texture that holds them all.
TTextureLayout LayoutFor(int pw, int ph, int count) {
  TTextureLayout best;
  long bestArea = -1;
  for (int cols = 1; cols <= count; ++cols) {
    int rows = (count + cols - 1) / cols;
    int w = cols * pw, h = rows * ph;
    if (w > 2048 || h > 2048) continue;
    long area = static_cast<long>(w) * h * 4 + std::abs(w - h);
    if (bestArea < 0 || area < bestArea) {
      bestArea = area;
      best = {w, h, cols};
    }
  }
  if (bestArea < 0) throw std::runtime_error("patterns do not fit on a 2048 texture");
  return best;
}

}  // namespace

TImageRecord RecordFromPatterns(const TImageSpec& spec, const TPatterns& patterns) {
  if (static_cast<int>(patterns.size()) != spec.PatternCount)
    throw std::runtime_error(std::string(spec.Key) + ": drew " + std::to_string(patterns.size()) +
                             " patterns, the manifest says " + std::to_string(spec.PatternCount));
  for (const TSurface& p : patterns) {
    if (p.Width() != spec.PatternWidth || p.Height() != spec.PatternHeight)
      throw std::runtime_error(std::string(spec.Key) + ": a pattern has the wrong size");
  }
  TTextureLayout layout = LayoutFor(spec.PatternWidth, spec.PatternHeight, spec.PatternCount);
  TImageRecord r;
  r.Format = pfA8R8G8B8;
  r.PatternWidth = spec.PatternWidth;
  r.PatternHeight = spec.PatternHeight;
  r.VisibleWidth = spec.VisibleWidth;
  r.VisibleHeight = spec.VisibleHeight;
  r.PatternCount = spec.PatternCount;
  r.TextureWidth = layout.Width;
  r.TextureHeight = layout.Height;
  r.TextureCount = 1;
  r.Pixels.assign(static_cast<size_t>(layout.Width) * layout.Height * 4, 0);
  for (int i = 0; i < spec.PatternCount; ++i) {
    const TSurface& p = patterns[static_cast<size_t>(i)];
    const_cast<TSurface&>(p).Flush();
    int ox = (i % layout.PerRow) * spec.PatternWidth, oy = (i / layout.PerRow) * spec.PatternHeight;
    for (int y = 0; y < spec.PatternHeight; ++y) {
      for (int x = 0; x < spec.PatternWidth; ++x) {
        size_t at = (static_cast<size_t>(oy + y) * layout.Width + ox + x) * 4;
        ArgbToPixel(pfA8R8G8B8, StraightPixel(p, x, y), &r.Pixels[at]);
      }
    }
  }
  return r;
}

TPatterns PatternsFromRecord(const TImageRecord& r) {
  TPatterns out;
  int bpp = PixelFormatBytes(r.Format);
  int perRow = std::max(1, r.TextureWidth / std::max(1, r.PatternWidth));
  int perCol = std::max(1, r.TextureHeight / std::max(1, r.PatternHeight));
  int perTexture = perRow * perCol;
  int count = r.PatternCount > 0 ? r.PatternCount : perTexture * r.TextureCount;
  size_t textureBytes = static_cast<size_t>(r.TextureWidth) * r.TextureHeight * bpp;
  for (int i = 0; i < count; ++i) {
    TSurface s(r.PatternWidth, r.PatternHeight);
    s.Flush();
    int t = i / perTexture, cell = i % perTexture;
    int ox = (cell % perRow) * r.PatternWidth, oy = (cell / perRow) * r.PatternHeight;
    for (int y = 0; y < r.PatternHeight; ++y) {
      uint32_t* row = s.Row(y);
      for (int x = 0; x < r.PatternWidth; ++x) {
        size_t at = t * textureBytes + (static_cast<size_t>(oy + y) * r.TextureWidth + ox + x) * bpp;
        if (at + bpp > r.Pixels.size()) continue;
        uint32_t argb = PixelToArgb(r.Format, &r.Pixels[at]);
        uint32_t a = argb >> 24;
        auto pm = [&](uint32_t c) { return (c * a + 127) / 255; };
        row[x] = (a << 24) | (pm((argb >> 16) & 0xFF) << 16) | (pm((argb >> 8) & 0xFF) << 8) | pm(argb & 0xFF);
      }
    }
    s.MarkDirty();
    out.push_back(std::move(s));
  }
  return out;
}

std::vector<uint8_t> JpegBytes(const TSurface& picture, const std::string& folder) {
  TBitmap32 bitmap;
  bitmap.Width = picture.Width();
  bitmap.Height = picture.Height();
  bitmap.Pixels.resize(static_cast<size_t>(bitmap.Width) * bitmap.Height);
  const_cast<TSurface&>(picture).Flush();
  for (int y = 0; y < bitmap.Height; ++y) {
    for (int x = 0; x < bitmap.Width; ++x) {
      // Pictures are opaque: whatever is transparent shows as black.
      uint32_t p = picture.Row(y)[x];
      bitmap.Pixels[static_cast<size_t>(y) * bitmap.Width + x] = 0xFF000000u | (p & 0xFFFFFF);
    }
  }
  static std::atomic<int> counter{0};
  fs::create_directories(folder);
  std::string temp =
      (fs::path(folder) / ("picture-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".jpg")).string();
  std::string error;
  if (!SaveImageFile(temp, bitmap, &error)) throw std::runtime_error("cannot encode a JPEG picture: " + error);
  std::vector<uint8_t> bytes = ReadFileBytes(temp);
  fs::remove(temp);
  return bytes;
}

// ---------------------------------------------------------------------------
// The cache

namespace {

std::string HashHex(const std::vector<std::string>& parts) {
  sha256_ctx ctx;
  sha256_init(&ctx);
  for (const std::string& part : parts) {
    uint64_t n = part.size();
    sha256_update(&ctx, sizeof n, reinterpret_cast<const uint8_t*>(&n));
    sha256_update(&ctx, part.size(), reinterpret_cast<const uint8_t*>(part.data()));
  }
  uint8_t digest[SHA256_DIGEST_SIZE];
  sha256_digest(&ctx, sizeof digest, digest);
  static const char* hex = "0123456789abcdef";
  std::string out;
  for (int i = 0; i < 12; ++i) {
    out += hex[digest[i] >> 4];
    out += hex[digest[i] & 15];
  }
  return out;
}

std::string FileText(const std::string& path) {
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

std::string SafeName(const std::string& key) {
  std::string s;
  for (char c : key) s += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.') ? c : '_';
  return s;
}

std::vector<uint8_t> Pack(const std::vector<uint8_t>& bytes) {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  std::vector<uint8_t> out(8 + size);
  uint64_t n = bytes.size();
  for (int i = 0; i < 8; ++i) out[static_cast<size_t>(i)] = static_cast<uint8_t>(n >> (8 * i));
  if (compress2(out.data() + 8, &size, bytes.data(), static_cast<uLong>(bytes.size()), 1) != Z_OK)
    throw std::runtime_error("cannot compress a cache entry");
  out.resize(8 + size);
  return out;
}

bool Unpack(const std::vector<uint8_t>& packed, std::vector<uint8_t>& out) {
  if (packed.size() < 8) return false;
  uint64_t n = 0;
  for (int i = 0; i < 8; ++i) n |= static_cast<uint64_t>(packed[static_cast<size_t>(i)]) << (8 * i);
  if (n > (1ull << 30)) return false;
  out.resize(n);
  uLongf size = static_cast<uLongf>(n);
  if (uncompress(out.data(), &size, packed.data() + 8, static_cast<uLong>(packed.size() - 8)) != Z_OK ||
      size != n)
    return false;
  return true;
}

struct TJob {
  std::string Key;
  std::string Hash;
  std::function<std::vector<uint8_t>()> Make;
};

std::vector<TDrawnRecord> RunJobs(const TGenOptions& options, std::vector<TJob>& jobs) {
  std::vector<TDrawnRecord> results(jobs.size());
  std::atomic<size_t> next{0};
  std::mutex logMutex;
  std::exception_ptr failure;
  auto worker = [&] {
    for (;;) {
      size_t i = next++;
      if (i >= jobs.size()) return;
      TJob& job = jobs[i];
      TDrawnRecord& result = results[i];
      result.Key = job.Key;
      fs::path cacheFile = fs::path(options.CacheDir) / (SafeName(job.Key) + "-" + job.Hash + ".rec");
      try {
        if (fs::exists(cacheFile) && Unpack(ReadFileBytes(cacheFile.string()), result.Bytes)) {
          result.FromCache = true;
          continue;
        }
        auto start = std::chrono::steady_clock::now();
        result.Bytes = job.Make();
        WriteFileBytes(cacheFile.string(), Pack(result.Bytes));
        // Drop the entries of older versions of this item.
        std::string prefix = SafeName(job.Key) + "-";
        for (const auto& entry : fs::directory_iterator(options.CacheDir)) {
          std::string name = entry.path().filename().string();
          if (name.rfind(prefix, 0) == 0 && name.size() == prefix.size() + job.Hash.size() + 4 &&
              entry.path() != cacheFile)
            fs::remove(entry.path());
        }
        if (options.Verbose) {
          double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
          std::lock_guard<std::mutex> lock(logMutex);
          std::cout << "  drew " << job.Key << " (" << static_cast<int>(ms) << " ms)\n";
        }
      } catch (...) {
        std::lock_guard<std::mutex> lock(logMutex);
        if (!failure) failure = std::current_exception();
        next = jobs.size();
        return;
      }
    }
  };
  std::vector<std::thread> threads;
  int n = std::max(1, options.Jobs);
  for (int i = 0; i < n; ++i) threads.emplace_back(worker);
  for (std::thread& t : threads) t.join();
  if (failure) std::rethrow_exception(failure);
  return results;
}

std::vector<std::string> CommonSources(const TGenOptions& options) {
  std::vector<std::string> parts = {kCacheVersion};
  for (const char* f : {"Paint.h", "Paint.cpp", "Art.h", "Art.cpp", "Pack.cpp"})
    parts.push_back(FileText((fs::path(options.SourceDir) / f).string()));
  return parts;
}

TJob JobFor(const TGenOptions& options, const std::vector<std::string>& common, const TArtItem& item) {
  std::vector<std::string> parts = common;
  parts.push_back(item.Key);
  TImageSpec spec = SpecOf(item.Key);
  parts.push_back(std::to_string(spec.PatternWidth) + "x" + std::to_string(spec.PatternHeight) + "/" +
                  std::to_string(spec.VisibleWidth) + "x" + std::to_string(spec.VisibleHeight) + "*" +
                  std::to_string(spec.PatternCount));
  for (const std::string& s : item.Sources) parts.push_back(FileText((fs::path(options.SourceDir) / s).string()));
  for (const std::string& s : item.Inputs) {
    fs::path path = fs::path(options.ContentDir) / s;
    if (!s.empty() && s.back() == '/') {
      // A folder: what counts is the names of the files in it.
      std::vector<std::string> names;
      std::error_code ec;
      for (const auto& entry : fs::directory_iterator(path, ec)) names.push_back(entry.path().filename().string());
      std::sort(names.begin(), names.end());
      std::string list;
      for (const std::string& n : names) list += n + "\n";
      parts.push_back(list);
    } else {
      parts.push_back(FileText(path.string()));
    }
  }
  TJob job;
  job.Key = item.Key;
  job.Hash = HashHex(parts);
  const TArtItem* it = &item;
  std::string cacheDir = options.CacheDir;
  std::string contentDir = options.ContentDir;
  job.Make = [it, spec, cacheDir, contentDir] {
    TArtInputs inputs{contentDir};
    TPatterns patterns = it->Draw(inputs);
    bool isPicture = std::string(it->Key).size() > 4 && it->Key.substr(it->Key.size() - 4) == ".jpg";
    if (isPicture) {
      if (patterns.size() != 1 || patterns[0].Width() != spec.PatternWidth ||
          patterns[0].Height() != spec.PatternHeight)
        throw std::runtime_error(it->Key + ": picture has the wrong size");
      return JpegBytes(patterns[0], cacheDir);
    }
    return EncodeImageRecord(RecordFromPatterns(spec, patterns));
  };
  return job;
}

}  // namespace

std::vector<TDrawnRecord> DrawAll(const TGenOptions& options, const std::vector<const TArtItem*>& items) {
  fs::create_directories(options.CacheDir);
  std::vector<std::string> common = CommonSources(options);
  std::vector<TJob> jobs;
  for (const TArtItem* item : items) jobs.push_back(JobFor(options, common, *item));
  return RunJobs(options, jobs);
}

// ---------------------------------------------------------------------------
// The build

namespace {

void CheckCoverage() {
  auto need = [](const std::string& key) {
    if (!FindArt(key)) throw std::runtime_error("no drawing for " + key);
  };
  for (const TImageSpec& s : GameImages()) need(s.Key);
  for (const TImageSpec& s : ParticleImages()) need(s.Key);
  for (const TPictureSpec& p : Pictures()) need(p.Key);
  for (const TArtItem& item : ArtItems()) SpecOf(item.Key);  // throws for a drawing the manifest lacks
}

}  // namespace

int RunBuild(const TGenOptions& options) {
  auto start = std::chrono::steady_clock::now();
  CheckCoverage();
  // The text sources first, so that a mistake in them shows before any drawing.
  TStoryMap storyMap = LoadStoryMap(options.ContentDir);
  std::vector<THiscoreEntry> hiscores = LoadHiscores(options.ContentDir);

  // Draw (or fetch) everything, the biggest pictures first so the threads
  // finish together.
  std::vector<const TArtItem*> items;
  for (const TArtItem& item : ArtItems()) items.push_back(&item);
  std::stable_sort(items.begin(), items.end(), [](const TArtItem* a, const TArtItem* b) {
    TImageSpec sa = SpecOf(a->Key), sb = SpecOf(b->Key);
    return static_cast<long>(sa.PatternWidth) * sa.PatternHeight * sa.PatternCount >
           static_cast<long>(sb.PatternWidth) * sb.PatternHeight * sb.PatternCount;
  });

  std::vector<std::string> common = CommonSources(options);
  std::vector<TJob> jobs;
  for (const TArtItem* item : items) jobs.push_back(JobFor(options, common, *item));
  std::string fontSource = FileText((fs::path(options.SourceDir) / "FontGen.cpp").string());
  for (const TFontSpec& font : GameFonts()) {
    std::vector<std::string> parts = common;
    parts.push_back(fontSource);
    parts.push_back(font.Key);
    parts.push_back(std::to_string(font.PixelSize));
    for (const std::string& f : FontInputFiles(font)) parts.push_back(FileText(f));
    TJob job;
    job.Key = std::string("font:") + font.Key;
    job.Hash = HashHex(parts);
    TFontSpec spec = font;
    job.Make = [spec] { return FontRecordBytes(spec); };
    jobs.push_back(std::move(job));
  }
  fs::create_directories(options.CacheDir);
  std::vector<TDrawnRecord> drawn = RunJobs(options, jobs);
  auto bytesOf = [&](const std::string& key) -> std::vector<uint8_t>& {
    for (TDrawnRecord& r : drawn) {
      if (r.Key == key) return r.Bytes;
    }
    throw std::runtime_error("nothing drawn for " + key);
  };
  int redrawn = 0;
  for (const TDrawnRecord& r : drawn) redrawn += r.FromCache ? 0 : 1;

  // The main archive: images in manifest order (= image list order), fonts,
  // pictures, then sounds and music.
  TCPDbWriter main(GameArchiveKey());
  for (const TImageSpec& s : GameImages()) main.Add(s.Key, kRecordImage, bytesOf(s.Key), true, kDataRecordDate);
  for (const TFontSpec& f : GameFonts())
    main.Add(f.Key, kRecordFont, bytesOf(std::string("font:") + f.Key), true, kDataRecordDate);
  for (const TPictureSpec& p : Pictures()) main.Add(p.Key, kRecordData, bytesOf(p.Key), true, kDataRecordDate);
  int sounds = 0;
  if (!options.AudioDir.empty()) {
    for (const std::string& file : SoundFiles()) {
      fs::path path = fs::path(options.AudioDir) / file;
      if (!fs::exists(path)) throw std::runtime_error("sound missing: " + path.string());
      main.Add(file, kRecordData, ReadFileBytes(path.string()), true, kDataRecordDate);
      ++sounds;
    }
  }
  std::string error;
  fs::path dataDir = fs::path(options.OutDir) / "Data";
  if (!main.Save((dataDir / "GameData.CPDB").string(), &error))
    throw std::runtime_error("cannot write GameData.CPDB: " + error);

  TCPDbWriter particles(GameArchiveKey());
  for (const TImageSpec& s : ParticleImages())
    particles.Add(s.Key, kRecordImage, bytesOf(s.Key), true, kDataRecordDate);
  if (!particles.Save((dataDir / "GameDataParticles.CPDB").string(), &error))
    throw std::runtime_error("cannot write GameDataParticles.CPDB: " + error);

  // The loose data files.
  fs::path looseDir = fs::path(options.OutDir) / "data";
  WriteFileBytes((looseDir / "mappoints.map").string(), MapPointsBytes(storyMap));
  WriteFileBytes((looseDir / "hiscore.arv").string(), HiscoreBytes(hiscores));
  // The same table again, to make it anew from when it is damaged.
  WriteFileBytes((looseDir / "hiscore-shipped.arv").string(), HiscoreBytes(hiscores));
  // The credits' words, checked here as the game reads them.
  const std::string credits = (fs::path(options.ContentDir) / "credits" / "credits.txt").string();
  LoadCreditsTexts(credits);
  const std::string creditsText = FileText(credits);
  WriteFileBytes((looseDir / "credits.txt").string(), std::vector<uint8_t>(creditsText.begin(), creditsText.end()));
  // The loading panel: read before any archive is open.
  WriteFileBytes((dataDir / "loading.png").string(), LoadingPanelPng());

  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "datagen: " << drawn.size() << " records (" << redrawn << " drawn, " << drawn.size() - redrawn
            << " from the cache), " << sounds << " sounds, " << static_cast<int>(seconds * 10) / 10.0 << " s\n";
  return 0;
}
