#include "board/LevelPacks.h"

#include <algorithm>
#include <filesystem>

#include "engine/core/SafeFile.h"
#include "engine/core/TextCompare.h"

namespace fs = std::filesystem;

namespace {

bool IsLevelFile(const fs::path& path) {
  const std::string ext = path.extension().string();
  return SameText(ext, ".lvl");
}
}  // namespace

std::vector<TPackEntry> ScanLevelPacks(const std::string& levelsFolder) {
  std::vector<TPackEntry> packs;
  std::error_code ec;
  for (fs::directory_iterator it(levelsFolder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code e2;
    if (!it->is_directory(e2)) continue;
    TPackEntry pack;
    pack.Name = it->path().filename().string();
    std::string reason;
    if (!ValidateFileName(pack.Name, reason)) continue;
    for (fs::directory_iterator f(it->path(), e2), fend; !e2 && f != fend; f.increment(e2)) {
      std::error_code e3;
      if (IsLevelFile(f->path()) && f->is_regular_file(e3)) ++pack.LevelFiles;
    }
    std::error_code e4;
    pack.FirstLevel = fs::is_regular_file(it->path() / "1.lvl", e4) && fs::is_regular_file(it->path() / "1.opt", e4);
    if (pack.LevelFiles > 0) packs.push_back(pack);
  }
  std::sort(packs.begin(), packs.end(), [](const TPackEntry& a, const TPackEntry& b) {
    const int c = CompareTextNoCase(a.Name, b.Name);
    return c != 0 ? c < 0 : a.Name < b.Name;
  });
  return packs;
}

std::vector<TPackEntry> ScanLevelPacks(const std::string& playerLevels, const std::string& shippedLevels) {
  std::vector<TPackEntry> packs = ScanLevelPacks(playerLevels);
  if (shippedLevels == playerLevels) return packs;
  for (const TPackEntry& shipped : ScanLevelPacks(shippedLevels)) {
    const bool hidden = std::any_of(packs.begin(), packs.end(), [&](const TPackEntry& p) { return p.Name == shipped.Name; });
    if (!hidden) packs.push_back(shipped);
  }
  std::sort(packs.begin(), packs.end(), [](const TPackEntry& a, const TPackEntry& b) {
    const int c = CompareTextNoCase(a.Name, b.Name);
    return c != 0 ? c < 0 : a.Name < b.Name;
  });
  return packs;
}
