// The one entry point shared by the archive fuzz target and the test that
// replays its corpus: reads an arbitrary byte string as an archive and checks
// what must hold for any input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/archive/ArchiveKey.h"
#include "engine/archive/CPDb.h"
#include "engine/archive/CPDbWriter.h"

// Returns false when an invariant is broken (the fuzz target then traps).
inline bool ArchiveFuzzEntry(const uint8_t* data, size_t size) {
  TCPDb archive;
  archive.OpenMode = TCPDb::opReadOnly;
  archive.SetFileData(std::vector<uint8_t>(data, data + size));
  const std::vector<uint8_t> key = GameArchiveKey();
  archive.SetKey(key.data(), static_cast<int>(key.size()));
  if (!archive.Open()) return archive.RecordCount() == 0;

  const int count = archive.RecordCount();
  if (archive.RecordType(count) != 0 || archive.RecordKey(-1) != "[invalid-record-#]") return false;
  bool allRead = true;
  for (int i = 0; i < count; ++i) {
    const std::string name = archive.RecordKey(i);
    archive.RecordType(i);
    if (archive.IndexOf(name) < 0 || archive.IndexOf(name) > i) return false;
    // A failed read leaves the stream as it was; a good one appends exactly the
    // original size.
    std::vector<uint8_t> stream = {1, 2, 3};
    const bool ok = archive.ReadRecord(name, stream);
    if (!ok && stream.size() != 3) return false;
    if (ok) {
      const int at = archive.IndexOf(name);
      if (at < 0 || stream.size() != 3 + size_t{archive.Entries()[static_cast<size_t>(at)].OriginalSize}) return false;
    }
    allRead = allRead && ok;
  }

  // An archive whose every record reads must survive a rewrite unchanged.
  if (allRead && count > 0) {
    TCPDbWriter writer(key);
    if (!writer.LoadExisting(archive)) return false;
    std::vector<uint8_t> rewritten;
    if (!writer.Serialize(rewritten)) return false;
    TCPDb copy;
    copy.OpenMode = TCPDb::opReadOnly;
    copy.SetFileData(std::move(rewritten));
    copy.SetKey(key.data(), static_cast<int>(key.size()));
    for (int i = 0; i < count; ++i) {
      const std::string name = archive.RecordKey(i);
      std::vector<uint8_t> before, after;
      if (!archive.ReadRecord(name, before) || !copy.ReadRecord(name, after) || before != after) return false;
    }
  }
  return true;
}
