#include "players/Hiscores.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "engine/core/LittleEndian.h"
#include "engine/core/SafeFile.h"

std::vector<uint8_t> THiscoreTable::Encode() const {
  std::vector<uint8_t> out(kHiscoreRecordSize * kHiscoreRows, 0);
  for (int i = 0; i < kHiscoreRows; ++i) {
    uint8_t* r = &out[kHiscoreRecordSize * static_cast<size_t>(i)];
    const THiscoreEntry& e = Entries[static_cast<size_t>(i)];
    const size_t n = std::min(e.Name.size(), kMaxHiscoreName);
    r[0] = static_cast<uint8_t>(n);
    std::memcpy(r + 1, e.Name.data(), n);
    PutI32(r + 44, e.Score);
  }
  return out;
}

std::optional<THiscoreTable> THiscoreTable::Decode(const uint8_t* data, size_t size) {
  if (!data || size != kHiscoreRecordSize * kHiscoreRows) return std::nullopt;
  THiscoreTable t;
  for (int i = 0; i < kHiscoreRows; ++i) {
    const uint8_t* r = data + kHiscoreRecordSize * static_cast<size_t>(i);
    if (r[0] > kMaxHiscoreName) return std::nullopt;
    THiscoreEntry& e = t.Entries[static_cast<size_t>(i)];
    e.Name.assign(reinterpret_cast<const char*>(r + 1), r[0]);
    e.Score = GetI32(r + 44);
  }
  return t;
}

int THiscoreTable::Insert(const std::string& name, int32_t score) {
  for (int r = 0; r < kHiscoreRows; ++r) {
    if (Entries[static_cast<size_t>(r)].Score < score) {
      for (int k = kHiscoreRows - 1; k > r; --k) Entries[static_cast<size_t>(k)] = Entries[static_cast<size_t>(k - 1)];
      Entries[static_cast<size_t>(r)] = {name.substr(0, kMaxHiscoreName), score};
      return r + 1;
    }
  }
  return -1;
}

std::string HiscorePath(const std::string& home) {
  return (std::filesystem::path(home) / "data" / "hiscore.arv").string();
}

std::string ShippedHiscorePath(const std::string& home) {
  return (std::filesystem::path(home) / "data" / "hiscore-shipped.arv").string();
}

std::optional<THiscoreTable> ReadHiscoreFile(const std::string& path, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadSmallFile(path, 64 * 1024, bytes, error)) return std::nullopt;
  std::optional<THiscoreTable> t = THiscoreTable::Decode(bytes.data(), bytes.size());
  if (!t) error = "The hiscore table \"" + path + "\" is damaged.";
  return t;
}

bool WriteHiscoreFile(const std::string& path, const THiscoreTable& table, std::string& error) {
  return WriteFileAtomically(path, table.Encode(), error);
}
