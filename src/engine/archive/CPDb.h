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

// The table is read once, when the archive opens, and indexed by key; the
// file stays open. Every read first checks that the file at the name is still
// the one the table came from (device, inode, size, modification and change
// times): a file replaced or rewritten since is opened afresh and its table
// read again, so every read sees the file as it is now.
//
// Threads: ReadRecordConcurrently and ReadRecordStart may run on any number
// of threads at once, beside the game thread's own calls; they never touch
// LastError. Everything else belongs to the game thread (Open and ReadRecord
// set LastError; SetFileName, SetFileData and SetKey must not run while
// other threads read). A table handed out by Entries stays valid until the
// file name or data is set again or the archive goes, even if a read on
// another thread finds the file replaced.
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

  TCPDb();
  ~TCPDb();
  TCPDb(TCPDb&& other) noexcept;
  TCPDb& operator=(TCPDb&& other) noexcept;

  const std::string& FileName() const;
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
  const std::vector<TCPDbEntry>& Entries();
  // Length 0 or less clears the key; more than 56 bytes are cut to 56.
  void SetKey(const uint8_t* bytes, int length);
  int KeyLength() const;
  // Appends the record's original bytes to stream. Nothing is appended on failure.
  // Records of a megabyte or more are unpacked with the help of a short-lived
  // second thread; the call returns only when it is done. A record read ahead
  // (ReadAhead) is taken from there.
  bool ReadRecord(std::string_view key, std::vector<uint8_t>& stream);
  // The same read for code that already runs on several threads: it never
  // starts a thread of its own, and says why it failed in why rather than in
  // LastError.
  bool ReadRecordConcurrently(std::string_view key, std::vector<uint8_t>& stream, std::string* why = nullptr);
  // The first count original bytes of a record (all of them when it is
  // shorter), without unpacking the rest: cheap, but not checked against the
  // record's digest, which needs every byte.
  bool ReadRecordStart(std::string_view key, size_t count, std::vector<uint8_t>& out, std::string* why = nullptr);
  // Reads these records on a helper thread, one after the other, so that a
  // later ReadRecord of one of them finds its bytes ready (or waits for the
  // read under way). A record that ReadRecord asks for before the helper got
  // to it is read there and then instead. Bytes read ahead and never asked
  // for stay until the file name or data is set again or the archive goes,
  // so ask only for what will be read.
  void ReadAhead(const std::vector<std::string>& keys);
  // Why the last Open or ReadRecord failed, in words ("" after a success).
  const std::string& LastError() const;

 private:
  struct Impl;
  Impl& Self();
  std::unique_ptr<Impl> D_;
};
