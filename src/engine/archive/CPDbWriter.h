// Builds archive files in the layout TCPDb reads: used by the data generator
// and the cpdb tool. The game itself never writes archives.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TCPDb;

class TCPDbWriter {
 public:
  // The key records are encrypted with; empty: records cannot be encrypted.
  // Keys longer than 56 bytes are cut to 56, as the reader does.
  explicit TCPDbWriter(std::vector<uint8_t> key = {});

  // Adds a record (replaces one with the same key, case-insensitive, keeping its
  // position). The bytes are compressed right away.
  void Add(const std::string& key, uint16_t type, std::vector<uint8_t> original, bool encrypt, double date = 0);
  bool Remove(const std::string& key);
  // Reads every record of an archive (decrypting with the archive's key) to
  // extend it. All or nothing: on any failed read nothing is added.
  bool LoadExisting(TCPDb& archive);

  // Writes the archive through a temporary file renamed into place. Deterministic:
  // the same records give byte-identical files (zlib level 9, IV derived from the
  // key name and content digest, date as given). Missing folders are created.
  bool Save(const std::string& path, std::string* error = nullptr) const;
  // The bytes Save would write; false (and out untouched) when a record cannot be
  // stored: encryption without a key, or a record too large for the format.
  bool Serialize(std::vector<uint8_t>& out, std::string* error = nullptr) const;
  size_t Count() const { return Records_.size(); }

 private:
  struct Record {
    std::string Key;
    uint16_t Type = 0;
    uint32_t OriginalSize = 0;
    double Date = 0;
    std::array<uint8_t, 16> Digest{};
    bool Encrypted = false;
    uint32_t IV[2] = {0, 0};
    std::vector<uint8_t> Stored;
    std::string Problem;  // why the record cannot be saved; empty when fine
  };

  std::vector<uint8_t> Key_;
  std::vector<Record> Records_;
};
