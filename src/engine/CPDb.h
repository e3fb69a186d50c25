// The data archive: a flat table of named records, each stored zlib-compressed,
// optionally Blowfish-encrypted (CBC), with an MD5 digest of its original bytes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One entry of the record table, as read from the file.
struct TCPDbEntry {
  std::string Key;
  uint32_t HeaderOffset = 0;
  uint16_t Type = 0;
  uint32_t OriginalSize = 0;
  uint32_t StoredSize = 0;
  double Date = 0;  // days since 30 December 1899
  std::array<uint8_t, 16> Digest{};
  uint16_t Encrypted = 0;
  uint32_t IV[2] = {0, 0};
};

class TCPDbSource;
class TBlowfish;

class TCPDb {
 public:
  enum TOpenMode { opUpdate, opOverwrite, opReadOnly };
  static constexpr int kMaxKeyLength = 56;
  // The most bytes one record may inflate to; larger records are refused.
  static constexpr uint32_t kMaxOriginalSize = 256u << 20;
  // The most bytes all records together may inflate to. The game's data is a
  // few tens of megabytes; an archive whose records claim more than this (each
  // within the caps above) is refused at open, so a handful of small records
  // that each inflate to hundreds of megabytes cannot exhaust memory or stall
  // the start for a minute.
  static constexpr uint64_t kMaxTotalOriginalSize = uint64_t{256} << 20;
  // Bounds of the record table: the game has about a hundred records with
  // short keys. A table beyond these is refused before anything is reserved.
  static constexpr int32_t kMaxRecords = 1 << 16;
  static constexpr int32_t kMaxKeyBytes = 1024;

  const std::string& FileName() const { return FileName_; }
  // Setting the name marks the archive as not yet opened.
  void SetFileName(const std::string& name);
  // Reads the archive from these bytes instead of a file (tests, fuzzing); it
  // behaves as a file that exists. Marks the archive as not yet opened; setting
  // a file name again goes back to the file.
  void SetFileData(std::vector<uint8_t> bytes);
  TOpenMode OpenMode = opUpdate;

  // Opens the archive by OpenMode if not yet opened; a failed open is retried
  // at the next call. Every other operation calls it first.
  bool Open();
  int RecordCount();
  int RecordType(int index);           // 0 outside the table
  std::string RecordKey(int index);    // "[invalid-record-#]" outside the table
  int IndexOf(std::string_view key);   // case-insensitive; -1 when absent
  const std::vector<TCPDbEntry>& Entries() { Open(); return Table_; }
  // Length 0 or less clears the key; more than 56 bytes are cut to 56.
  void SetKey(const uint8_t* bytes, int length);
  int KeyLength() const { return KeyLength_; }
  // Appends the record's original bytes to stream. Nothing is appended on failure.
  // Records of a megabyte or more are unpacked with the help of a short-lived
  // second thread; the call returns only when it is done.
  bool ReadRecord(std::string_view key, std::vector<uint8_t>& stream);
  // Why the last Open or ReadRecord failed, in words ("" after a success).
  const std::string& LastError() const { return LastError_; }

 private:
  bool ReadTable(TCPDbSource& source, bool reuseHeaders);
  bool Fail(std::string why);
  bool CreateEmpty();
  bool OpenSource(TCPDbSource& source);
  void Forget();

  std::string FileName_;
  bool InMemory_ = false;
  std::vector<uint8_t> Memory_;
  bool Opened_ = false;
  uint64_t FileSize_ = 0;
  std::vector<TCPDbEntry> Table_;
  // The original sizes of the records that could be read (each within the
  // per-record caps and its stored bytes inside the file), added up.
  uint64_t DeclaredTotal_ = 0;
  std::string LastError_;
  // The raw header and table bytes last read: when a later read finds them
  // unchanged (and the file size too), the record headers are not read again.
  std::vector<uint8_t> TableImage_;
  uint8_t Key_[kMaxKeyLength] = {};
  int KeyLength_ = 0;
  // The key schedule, built at the first encrypted read after SetKey.
  std::shared_ptr<const TBlowfish> Cipher_;
};
