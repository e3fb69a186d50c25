// The player's files: the options file "arvanels.cfg" (the last player and
// the four options), the marker "save/<name>.sav" that makes a player known,
// and the progress files "save/<name> - <pack>.sa2" and
// "save/<name> - <pack> Relaxed.sa2" (level, score and lives).
//
// Player names are kept in the game's 8-bit text, as typed and shown; file
// names on disk are UTF-8. Pack names are folder names and stay as they are.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr size_t kConfigRecordSize = 105;
constexpr size_t kProgressRecordSize = 12;
constexpr size_t kMaxPlayerNameBytes = 100;

// One record of "arvanels.cfg": a length byte and 100 name bytes, then the
// full-screen, music, system-cursor and sound bytes.
struct TConfigRecord {
  std::string LastPlayer;
  uint8_t FullScreen = 0;
  uint8_t MusicOn = 1;
  uint8_t SystemCursor = 0;
  uint8_t SoundOn = 1;

  // The name is cut to its first 100 bytes.
  std::array<uint8_t, kConfigRecordSize> Encode() const;
  // nullopt for a short or damaged record: a name length over 100, or an
  // option byte other than 0 and 1. Bytes after the first record are ignored.
  static std::optional<TConfigRecord> Decode(const uint8_t* data, size_t size);
};

// The progress of one player in one pack and mode.
struct TProgressRecord {
  int32_t Level = 1;
  int32_t Score = 0;
  int32_t Lives = 3;

  std::array<uint8_t, kProgressRecordSize> Encode() const;
  // nullopt unless exactly one record of sensible values: level 1 or more,
  // score 0 or more, level and lives from 1 to a million.
  static std::optional<TProgressRecord> Decode(const uint8_t* data, size_t size);
};

// The score above which the next extra life comes, for a game resumed at this
// score: the smallest multiple of 100000 that is at least 100000 and not
// below the score (250000 gives 300000, 0 gives 100000, 200000 stays).
int32_t NextLifeScoreFor(int32_t score);

// Paths under the program's folder.
std::string ConfigPath(const std::string& home);
std::string SaveFolder(const std::string& home);
std::string PlayerMarkerPath(const std::string& home, const std::string& player);
std::string ProgressPath(const std::string& home, const std::string& player, const std::string& pack, bool relaxed);

// Reading: nullopt when the file is missing, not a plain file, short or
// damaged (missing tells the first case apart). Writing goes through a
// temporary file and a rename, and creates "save/" when it is missing.
std::optional<TConfigRecord> ReadConfigFile(const std::string& path, std::string& error, bool* missing = nullptr);
bool WriteConfigFile(const std::string& path, const TConfigRecord& config, std::string& error);
std::optional<TProgressRecord> ReadProgressFile(const std::string& path, std::string& error,
                                                bool* missing = nullptr);
bool WriteProgressFile(const std::string& path, const TProgressRecord& progress, std::string& error);

// The known players: every "save/*.sav" whose name is a valid player name, in
// alphabetical order (ignoring case), as 8-bit names.
std::vector<std::string> ListPlayers(const std::string& home);

// Whether a typed name can be a player's; reason says why not in a sentence
// for the player.
bool ValidatePlayerName(const std::string& name, std::string& reason);
