#include "board/LevelFile.h"

#include "engine/core/LittleEndian.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {
// A level's files are small: the options one record, the cells a record for
// each of the 216 cells (a file may repeat cells, but not without end).
constexpr size_t kMaxLevelFileBytes = 1 << 20;

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
  // Only a plain file is read: a pipe or a device would block or never end.
  return ReadSmallFile(path, kMaxLevelFileBytes, bytes, error);
}
}  // namespace

std::array<uint8_t, kOptionsSize> TLevelOptions::Encode() const {
  std::array<uint8_t, kOptionsSize> b{};
  PutI32(&b[0], LevelTime);
  PutI32(&b[4], Background);
  const size_t len = Reserved.size() > 50 ? 50 : Reserved.size();
  b[8] = static_cast<uint8_t>(len);
  std::memcpy(&b[9], Reserved.data(), len);
  b[59] = AllowTree;
  b[60] = AllowFire;
  b[61] = AllowBlack;
  b[62] = AllowCristal;
  b[63] = AllowGota;
  b[64] = AllowBook;
  b[65] = AllowPearl;
  b[66] = AllowRed;
  PutI32(&b[68], MaxCaveiras);
  b[72] = Tested;
  return b;
}

TLevelOptions TLevelOptions::Decode(const uint8_t* b) {
  TLevelOptions o;
  o.LevelTime = GetI32(&b[0]);
  o.Background = GetI32(&b[4]);
  o.Reserved.clear();  // ignored when read
  o.AllowTree = b[59];
  o.AllowFire = b[60];
  o.AllowBlack = b[61];
  o.AllowCristal = b[62];
  o.AllowGota = b[63];
  o.AllowBook = b[64];
  o.AllowPearl = b[65];
  o.AllowRed = b[66];
  o.MaxCaveiras = GetI32(&b[68]);
  o.Tested = b[72];
  return o;
}

void TLevelOptions::Bound() {
  LevelTime = std::clamp(LevelTime, 0, kMaxLevelTime);
  MaxCaveiras = std::clamp(MaxCaveiras, kMinSkulls, kMaxSkulls);
}

std::array<uint8_t, kCellRecordSize> TCellRecord::Encode() const {
  std::array<uint8_t, kCellRecordSize> b{};
  PutI32(&b[0], Col);
  PutI32(&b[4], Row);
  b[8] = Piece;
  b[9] = TabType;
  b[10] = Spawn;
  return b;
}

TCellRecord TCellRecord::Decode(const uint8_t* b) {
  TCellRecord r;
  r.Col = GetI32(&b[0]);
  r.Row = GetI32(&b[4]);
  r.Piece = b[8];
  r.TabType = b[9];
  r.Spawn = b[10];
  return r;
}

std::string PackFolder(const std::string& home, const std::string& pack) {
  return (fs::path(home) / "levels" / pack).string();
}

std::string LevelOptionsPath(const std::string& home, const std::string& pack, int level) {
  return (fs::path(PackFolder(home, pack)) / (std::to_string(level) + ".opt")).string();
}

std::string LevelCellsPath(const std::string& home, const std::string& pack, int level) {
  return (fs::path(PackFolder(home, pack)) / (std::to_string(level) + ".lvl")).string();
}

std::optional<TLevelOptions> ReadLevelOptions(const std::string& path, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, error)) return std::nullopt;
  if (bytes.size() < kOptionsSize) {
    error = "The level options file \"" + path + "\" is cut short.";
    return std::nullopt;
  }
  TLevelOptions options = TLevelOptions::Decode(bytes.data());
  options.Bound();
  return options;
}

std::optional<std::vector<TCellRecord>> ReadLevelCells(const std::string& path, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, error)) return std::nullopt;
  if (bytes.size() % kCellRecordSize != 0) {
    error = "The level file \"" + path + "\" is cut short.";
    return std::nullopt;
  }
  std::vector<TCellRecord> cells;
  cells.reserve(bytes.size() / kCellRecordSize);
  for (size_t i = 0; i + kCellRecordSize <= bytes.size(); i += kCellRecordSize)
    cells.push_back(TCellRecord::Decode(&bytes[i]));
  return cells;
}

bool WriteLevelOptions(const std::string& path, const TLevelOptions& options, std::string& error) {
  const auto b = options.Encode();
  return WriteFileAtomically(path, std::vector<uint8_t>(b.begin(), b.end()), error);
}

namespace {
std::vector<uint8_t> CellBytes(const std::vector<TCellRecord>& cells) {
  std::vector<uint8_t> bytes;
  bytes.reserve(cells.size() * kCellRecordSize);
  for (const TCellRecord& c : cells) {
    const auto b = c.Encode();
    bytes.insert(bytes.end(), b.begin(), b.end());
  }
  return bytes;
}
}  // namespace

bool WriteLevelCells(const std::string& path, const std::vector<TCellRecord>& cells, std::string& error) {
  return WriteFileAtomically(path, CellBytes(cells), error);
}

bool WriteLevel(const std::string& home, const std::string& pack, int level, const TLevelOptions& options,
                const std::vector<TCellRecord>& cells, std::string& error) {
  const auto o = options.Encode();
  return WriteFilesTogether({{LevelOptionsPath(home, pack, level), std::vector<uint8_t>(o.begin(), o.end())},
                             {LevelCellsPath(home, pack, level), CellBytes(cells)}},
                            error);
}

int CountPackLevels(const std::string& home, const std::string& pack) {
  int n = 0;
  std::error_code ec;
  while (fs::exists(LevelCellsPath(home, pack, n + 1), ec)) ++n;
  return n;
}

bool IsLevelFileName(const std::string& name) {
  const size_t dot = name.find('.');
  if (dot == 0 || dot == std::string::npos || dot > 6 || name[0] == '0') return false;
  for (size_t i = 0; i < dot; ++i)
    if (name[i] < '0' || name[i] > '9') return false;
  const std::string ext = name.substr(dot);
  return ext == ".opt" || ext == ".lvl";
}

void RecoverPackWrites(const std::string& home, const std::string& pack) {
  TFileGroupRules rules;
  rules.Member = IsLevelFileName;
  rules.Group = [](const std::vector<std::string>& targets) {
    if (targets.size() != 2 || !targets[0].ends_with(".opt") || !IsLevelFileName(targets[0])) return false;
    const std::string number = targets[0].substr(0, targets[0].size() - 4);
    return targets[1] == number + ".lvl";
  };
  RecoverFileGroups(PackFolder(home, pack), rules);
}
