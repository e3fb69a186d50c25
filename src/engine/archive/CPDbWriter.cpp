#include "engine/archive/CPDbWriter.h"

#include <zlib.h>
#include <nettle/md5.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

#include "engine/archive/Blowfish.h"
#include "engine/archive/CPDb.h"
#include "engine/core/SafeFile.h"
#include "engine/core/TextCompare.h"

namespace {

void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

}  // namespace

TCPDbWriter::TCPDbWriter(std::vector<uint8_t> key) : Key_(std::move(key)) {
  if (Key_.size() > static_cast<size_t>(TCPDb::kMaxKeyLength)) Key_.resize(TCPDb::kMaxKeyLength);
}

void TCPDbWriter::Add(const std::string& key, uint16_t type, std::vector<uint8_t> original, bool encrypt,
                      double date) {
  Record record;
  record.Key = key;
  record.Type = type;
  record.Date = date;
  record.Encrypted = encrypt;
  if (original.size() > TCPDb::kMaxOriginalSize) {
    record.Problem = "record \"" + key + "\" is larger than " + std::to_string(TCPDb::kMaxOriginalSize) + " bytes";
  } else if (encrypt && Key_.empty()) {
    record.Problem = "record \"" + key + "\" is to be encrypted but no key was given";
  } else {
    record.OriginalSize = static_cast<uint32_t>(original.size());

    md5_ctx md5;
    md5_init(&md5);
    md5_update(&md5, original.size(), original.data());
    md5_digest(&md5, MD5_DIGEST_SIZE, record.Digest.data());

    uLongf storedSize = compressBound(static_cast<uLong>(original.size()));
    record.Stored.resize(storedSize);
    if (compress2(record.Stored.data(), &storedSize, original.data(), static_cast<uLong>(original.size()), 9) !=
        Z_OK) {
      record.Problem = "record \"" + key + "\" could not be compressed";
      record.Stored.clear();
    } else {
      record.Stored.resize(storedSize);
      record.Stored.shrink_to_fit();
    }

    // The IV comes from the record's name and contents, so the same records
    // always give the same file, while records differing in either differ here.
    md5_init(&md5);
    md5_update(&md5, key.size(), reinterpret_cast<const uint8_t*>(key.data()));
    const uint8_t separator = 0;
    md5_update(&md5, 1, &separator);
    md5_update(&md5, record.Digest.size(), record.Digest.data());
    uint8_t ivSource[MD5_DIGEST_SIZE];
    md5_digest(&md5, MD5_DIGEST_SIZE, ivSource);
    for (int half = 0; half < 2; ++half)
      record.IV[half] = static_cast<uint32_t>(ivSource[half * 4]) | static_cast<uint32_t>(ivSource[half * 4 + 1]) << 8 |
                        static_cast<uint32_t>(ivSource[half * 4 + 2]) << 16 |
                        static_cast<uint32_t>(ivSource[half * 4 + 3]) << 24;
    if (encrypt && record.Problem.empty())
      TBlowfish(Key_.data(), Key_.size()).EncryptCbc(record.Stored.data(), record.Stored.size(), record.IV);
  }

  for (Record& existing : Records_) {
    if (SameText(existing.Key, key)) {
      existing = std::move(record);
      return;
    }
  }
  Records_.push_back(std::move(record));
}

bool TCPDbWriter::Remove(const std::string& key) {
  for (auto it = Records_.begin(); it != Records_.end(); ++it) {
    if (SameText(it->Key, key)) {
      Records_.erase(it);
      return true;
    }
  }
  return false;
}

bool TCPDbWriter::LoadExisting(TCPDb& archive) {
  if (!archive.Open()) return false;
  // Copy the table first: every read refreshes the archive's own.
  const std::vector<TCPDbEntry> entries = archive.Entries();
  struct Loaded {
    const TCPDbEntry* Entry;
    std::vector<uint8_t> Bytes;
  };
  std::vector<Loaded> loaded;
  loaded.reserve(entries.size());
  for (const TCPDbEntry& entry : entries) {
    Loaded item{&entry, {}};
    if (!archive.ReadRecord(entry.Key, item.Bytes)) return false;
    loaded.push_back(std::move(item));
  }
  for (Loaded& item : loaded)
    Add(item.Entry->Key, item.Entry->Type, std::move(item.Bytes), item.Entry->Encrypted != 0, item.Entry->Date);
  return true;
}

bool TCPDbWriter::Serialize(std::vector<uint8_t>& out, std::string* error) const {
  std::vector<uint8_t> file;
  PutU32(file, 0x62445043);  // "CPDb"
  PutU32(file, static_cast<uint32_t>(Records_.size()));
  PutU32(file, 0);  // table offset, filled in below

  constexpr uint64_t kMaxOffset = std::numeric_limits<uint32_t>::max();
  std::vector<uint32_t> offsets;
  offsets.reserve(Records_.size());
  for (const Record& record : Records_) {
    if (!record.Problem.empty()) {
      SetError(error, record.Problem);
      return false;
    }
    if (file.size() > kMaxOffset) {
      SetError(error, "the archive would be larger than 4 GiB");
      return false;
    }
    offsets.push_back(static_cast<uint32_t>(file.size()));
    PutU16(file, record.Type);
    PutU32(file, record.OriginalSize);
    PutU32(file, static_cast<uint32_t>(record.Stored.size()));
    uint8_t date[8];
    std::memcpy(date, &record.Date, 8);
    file.insert(file.end(), date, date + 8);
    file.insert(file.end(), record.Digest.begin(), record.Digest.end());
    PutU16(file, record.Encrypted ? 1 : 0);
    PutU32(file, record.IV[0]);
    PutU32(file, record.IV[1]);
    file.insert(file.end(), record.Stored.begin(), record.Stored.end());
  }
  if (file.size() > kMaxOffset) {
    SetError(error, "the archive would be larger than 4 GiB");
    return false;
  }
  const uint32_t tableOffset = static_cast<uint32_t>(file.size());
  for (size_t i = 0; i < Records_.size(); ++i) {
    const std::string& key = Records_[i].Key;
    PutU32(file, static_cast<uint32_t>(key.size()));
    file.insert(file.end(), key.begin(), key.end());
    PutU32(file, offsets[i]);
  }
  for (int i = 0; i < 4; ++i) file[8 + i] = static_cast<uint8_t>(tableOffset >> (8 * i));
  out = std::move(file);
  return true;
}

bool TCPDbWriter::Save(const std::string& path, std::string* error) const {
  std::vector<uint8_t> bytes;
  if (!Serialize(bytes, error)) return false;

  // A temporary file of a unique name beside the target, renamed over it:
  // nothing planted at a fixed name is followed, and a failed write leaves
  // the old archive and no stray file.
  std::string why;
  if (!WriteFileAtomically(path, bytes, why)) {
    SetError(error, why);
    return false;
  }
  return true;
}
