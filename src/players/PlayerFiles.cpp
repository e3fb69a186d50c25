#include "players/PlayerFiles.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "engine/core/LittleEndian.h"
#include "engine/core/SafeFile.h"
#include "engine/core/TextCompare.h"
#include "platform/Platform.h"

namespace fs = std::filesystem;

namespace {
constexpr int32_t kMaxStored = 1000000;

// The files of the save folder are tiny; anything large is not ours.
constexpr size_t kMaxSaveFileBytes = 64 * 1024;

std::string OnDisk(const std::string& ansiName) { return plat::AnsiToUtf8(ansiName); }
}  // namespace

std::array<uint8_t, kConfigRecordSize> TConfigRecord::Encode() const {
  std::array<uint8_t, kConfigRecordSize> b{};
  const size_t n = std::min(LastPlayer.size(), kMaxPlayerNameBytes);
  b[0] = static_cast<uint8_t>(n);
  std::memcpy(&b[1], LastPlayer.data(), n);
  b[101] = FullScreen;
  b[102] = MusicOn;
  b[103] = SystemCursor;
  b[104] = SoundOn;
  return b;
}

std::optional<TConfigRecord> TConfigRecord::Decode(const uint8_t* data, size_t size) {
  if (!data || size < kConfigRecordSize) return std::nullopt;
  if (data[0] > kMaxPlayerNameBytes) return std::nullopt;
  for (int i = 101; i <= 104; ++i) {
    if (data[i] > 1) return std::nullopt;
  }
  TConfigRecord c;
  c.LastPlayer.assign(reinterpret_cast<const char*>(data + 1), data[0]);
  c.FullScreen = data[101];
  c.MusicOn = data[102];
  c.SystemCursor = data[103];
  c.SoundOn = data[104];
  return c;
}

std::array<uint8_t, kProgressRecordSize> TProgressRecord::Encode() const {
  std::array<uint8_t, kProgressRecordSize> b{};
  PutI32(&b[0], Level);
  PutI32(&b[4], Score);
  PutI32(&b[8], Lives);
  return b;
}

std::optional<TProgressRecord> TProgressRecord::Decode(const uint8_t* data, size_t size) {
  if (!data || size != kProgressRecordSize) return std::nullopt;
  TProgressRecord p;
  p.Level = GetI32(data);
  p.Score = GetI32(data + 4);
  p.Lives = GetI32(data + 8);
  if (p.Level < 1 || p.Level > kMaxStored || p.Score < 0 || p.Lives < 1 || p.Lives > kMaxStored)
    return std::nullopt;
  return p;
}

int32_t NextLifeScoreFor(int32_t score) {
  constexpr int64_t kStep = 100000;
  int64_t next = (static_cast<int64_t>(score) + kStep - 1) / kStep * kStep;
  if (next < kStep) next = kStep;
  return next > INT32_MAX ? INT32_MAX : static_cast<int32_t>(next);
}

std::string ConfigPath(const std::string& home) { return (fs::path(home) / "arvanels.cfg").string(); }

std::string SaveFolder(const std::string& home) { return (fs::path(home) / "save").string(); }

std::string PlayerMarkerPath(const std::string& home, const std::string& player) {
  return (fs::path(SaveFolder(home)) / (OnDisk(player) + ".sav")).string();
}

std::string ProgressPath(const std::string& home, const std::string& player, const std::string& pack,
                         bool relaxed) {
  return (fs::path(SaveFolder(home)) / (OnDisk(player) + " - " + pack + (relaxed ? " Relaxed" : "") + ".sa2"))
      .string();
}

std::optional<TConfigRecord> ReadConfigFile(const std::string& path, std::string& error, bool* missing) {
  std::vector<uint8_t> bytes;
  if (!ReadSmallFile(path, kMaxSaveFileBytes, bytes, error, missing)) return std::nullopt;
  std::optional<TConfigRecord> c = TConfigRecord::Decode(bytes.data(), bytes.size());
  if (!c) error = "The options file \"" + path + "\" is damaged.";
  return c;
}

bool WriteConfigFile(const std::string& path, const TConfigRecord& config, std::string& error) {
  const auto b = config.Encode();
  return WriteFileAtomically(path, std::vector<uint8_t>(b.begin(), b.end()), error);
}

std::optional<TProgressRecord> ReadProgressFile(const std::string& path, std::string& error, bool* missing) {
  std::vector<uint8_t> bytes;
  if (!ReadSmallFile(path, kMaxSaveFileBytes, bytes, error, missing)) return std::nullopt;
  std::optional<TProgressRecord> p = TProgressRecord::Decode(bytes.data(), bytes.size());
  if (!p) error = "The saved game \"" + path + "\" is damaged.";
  return p;
}

bool WriteProgressFile(const std::string& path, const TProgressRecord& progress, std::string& error) {
  const auto b = progress.Encode();
  return WriteFileAtomically(path, std::vector<uint8_t>(b.begin(), b.end()), error);
}

std::vector<std::string> ListPlayers(const std::string& home) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(SaveFolder(home), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string file = it->path().filename().string();
    if (file.size() <= 4 || file.compare(file.size() - 4, 4, ".sav") != 0) continue;
    if (!it->is_regular_file(ec)) continue;
    const std::string name = plat::Utf8ToAnsi(file.substr(0, file.size() - 4));
    std::string reason;
    if (ValidatePlayerName(name, reason)) names.push_back(name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const int c = CompareTextNoCase(a, b);
    return c != 0 ? c < 0 : a < b;
  });
  return names;
}

bool ValidatePlayerName(const std::string& name, std::string& reason) {
  std::string why;
  if (ValidateFileName(name, why)) return true;
  reason = name.empty() ? "Please type a name." : "That name cannot be used: " + why + ".";
  return false;
}
