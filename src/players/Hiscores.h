// The hiscore table of the story campaign, "data/hiscore.arv": ten records of
// 48 bytes, best first (a length byte, 40 name bytes, 3 bytes of padding and
// the score).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr size_t kHiscoreRecordSize = 48;
constexpr int kHiscoreRows = 10;
constexpr size_t kMaxHiscoreName = 40;

struct THiscoreEntry {
  std::string Name;
  int32_t Score = 0;
};

class THiscoreTable {
 public:
  // Entries 1..10 at [0..9].
  std::array<THiscoreEntry, kHiscoreRows> Entries;

  std::vector<uint8_t> Encode() const;
  // nullopt unless exactly ten records with name lengths of at most 40.
  static std::optional<THiscoreTable> Decode(const uint8_t* data, size_t size);

  // Enters a score: the first rank whose score is strictly lower takes it
  // (the name cut to 40 characters) and the ranks below move down, the tenth
  // dropping out. Returns the rank 1..10, or -1 when the score does not
  // enter (an equal score ranks below the entry it equals).
  int Insert(const std::string& name, int32_t score);
};

std::string HiscorePath(const std::string& home);
// The table as the game ships it, to make the table again from.
std::string ShippedHiscorePath(const std::string& home);
// Reads the table; nullopt with a message when the file is missing, not a
// plain file, short or damaged.
std::optional<THiscoreTable> ReadHiscoreFile(const std::string& path, std::string& error);
bool WriteHiscoreFile(const std::string& path, const THiscoreTable& table, std::string& error);
