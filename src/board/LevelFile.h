// The two files of a level: "<n>.opt" (one 76-byte options record) and
// "<n>.lvl" (12-byte cell records), and the folder layout of level packs.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/SafeFile.h"

enum TTabType : uint8_t {
  ttNone = 0, ttTab = 1, ttWood = 2, ttFerro = 3, ttForceField = 4, ttForceField2 = 5,
  ttRebarba1 = 6, ttRebarba8 = 13
};

// The story campaign's pack: the story, the map and the hiscores belong to it.
inline constexpr char kStoryPackName[] = "Game Levels";

constexpr int kBoardCols = 18;
constexpr int kBoardRows = 12;
constexpr uint8_t kNoPiece = 9;
constexpr size_t kOptionsSize = 76;
constexpr size_t kCellRecordSize = 12;

// The ranges of a level's numbers: the level compiler accepts nothing else,
// and the editor's options form neither.
constexpr int32_t kMinLevelTime = 1, kMaxLevelTime = 99999;
constexpr int32_t kMinSkulls = 0, kMaxSkulls = 9999;
constexpr int32_t kMinBackground = 1, kMaxBackground = 11;

// The options of a level, laid out as in the ".opt" file.
struct TLevelOptions {
  int32_t LevelTime = 100;
  int32_t Background = 1;
  std::string Reserved;  // a short string of up to 50 characters; written empty
  uint8_t AllowTree = 1, AllowFire = 1, AllowBlack = 1, AllowCristal = 0, AllowGota = 0, AllowBook = 0,
          AllowPearl = 0, AllowRed = 0;
  int32_t MaxCaveiras = 5;
  uint8_t Tested = 0;

  bool AnyAllowed() const {
    return AllowTree || AllowFire || AllowBlack || AllowCristal || AllowGota || AllowBook || AllowPearl ||
           AllowRed;
  }
  std::array<uint8_t, kOptionsSize> Encode() const;
  static TLevelOptions Decode(const uint8_t* bytes);  // 76 bytes, as they are
  // A level file read from disk may hold any numbers (a hand-made one, or one
  // of an older game): brings them to the nearest that keeps what the level
  // means, so that no count of seconds or skulls can overflow in play. A time
  // beyond the largest becomes the largest (over a day); one of 0 or less
  // runs out at once, and stays 0. The most skulls go into their range. The
  // background keeps its number: the picture shown is the nearest one.
  void Bound();
};

struct TCellRecord {
  int32_t Col = 1, Row = 1;
  uint8_t Piece = kNoPiece;  // 0..8, 9 = none
  uint8_t TabType = ttNone;
  uint8_t Spawn = 0;
  std::array<uint8_t, kCellRecordSize> Encode() const;
  static TCellRecord Decode(const uint8_t* bytes);  // 12 bytes
  bool InGrid() const { return Col >= 1 && Col <= kBoardCols && Row >= 1 && Row <= kBoardRows; }
};

// File names of level n of a pack, relative to the program's folder.
std::string PackFolder(const std::string& home, const std::string& pack);
std::string LevelOptionsPath(const std::string& home, const std::string& pack, int level);
std::string LevelCellsPath(const std::string& home, const std::string& pack, int level);

// Reading returns nullopt and a message for the player when the file is
// missing, unreadable or short. The options come back bounded (see Bound). A ".lvl" file is read to its end; a trailing
// partial record is an error.
std::optional<TLevelOptions> ReadLevelOptions(const std::string& path, std::string& error);
std::optional<std::vector<TCellRecord>> ReadLevelCells(const std::string& path, std::string& error);
// Writing goes through a temporary file renamed into place, so a failed write
// never destroys the old file.
bool WriteLevelOptions(const std::string& path, const TLevelOptions& options, std::string& error);
bool WriteLevelCells(const std::string& path, const std::vector<TCellRecord>& cells, std::string& error);
// Writes both files of level n of a pack so that they change together (see
// WriteFilesTogether): never a new options file with old cells.
bool WriteLevel(const std::string& home, const std::string& pack, int level, const TLevelOptions& options,
                const std::vector<TCellRecord>& cells, std::string& error);
// The number of consecutive levels 1, 2, 3, ... whose ".lvl" file exists.
int CountPackLevels(const std::string& home, const std::string& pack);
// Whether a file name is one of a level's two files, "N.opt" or "N.lvl".
bool IsLevelFileName(const std::string& name);
// Finishes or drops a level's two files whose write a crash cut off (see
// RecoverFileGroups): only the records that name a level's "N.opt" and
// "N.lvl", in that order, are followed; nothing else of the pack is touched.
void RecoverPackWrites(const std::string& home, const std::string& pack);
