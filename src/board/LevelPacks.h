// The level packs found on disk: the folders of levels/ that hold levels.
#pragma once

#include <string>
#include <vector>

// One level pack found under "levels/": its folder name and the number of
// ".lvl" files in it (which may differ from the levels it plays: those are
// counted from 1 without a gap).
struct TPackEntry {
  std::string Name;
  int LevelFiles = 0;
  // Both files of level 1 are there: the pack can be played.
  bool FirstLevel = false;
};

// Every folder of levelsFolder holding at least one ".lvl" file and whose
// name can be used as a pack name, in alphabetical order (ignoring case).
// The process's current folder is left alone.
std::vector<TPackEntry> ScanLevelPacks(const std::string& levelsFolder);
// The packs of the player's levels folder and of the shipped one together; a
// pack of the player's hides a shipped one of the same name.
std::vector<TPackEntry> ScanLevelPacks(const std::string& playerLevels, const std::string& shippedLevels);
