// The one entry point shared by the player-files fuzz target and the test
// that replays its corpus: reads arbitrary bytes as an options file, a
// progress file and a hiscore table, and checks what must hold for any input.
#pragma once

#include <cstddef>
#include <cstdint>

#include "players/Hiscores.h"
#include "players/PlayerFiles.h"

// Returns false when an invariant is broken (the fuzz target then traps).
inline bool PlayerFilesFuzzEntry(const uint8_t* data, size_t size) {
  if (auto config = TConfigRecord::Decode(data, size)) {
    // What is read back is what was there: the record survives a write.
    if (config->LastPlayer.size() > kMaxPlayerNameBytes) return false;
    if (config->FullScreen > 1 || config->MusicOn > 1 || config->SystemCursor > 1 || config->SoundOn > 1)
      return false;
    const auto bytes = config->Encode();
    const auto again = TConfigRecord::Decode(bytes.data(), bytes.size());
    if (!again || again->LastPlayer != config->LastPlayer || again->SoundOn != config->SoundOn ||
        again->MusicOn != config->MusicOn || again->SystemCursor != config->SystemCursor ||
        again->FullScreen != config->FullScreen)
      return false;
  } else if (size >= kConfigRecordSize && data[0] <= kMaxPlayerNameBytes && data[101] <= 1 && data[102] <= 1 &&
             data[103] <= 1 && data[104] <= 1) {
    return false;  // a sound record refused
  }
  if (auto progress = TProgressRecord::Decode(data, size)) {
    if (progress->Level < 1 || progress->Score < 0 || progress->Lives < 1) return false;
    const auto bytes = progress->Encode();
    if (size != bytes.size()) return false;
    for (size_t i = 0; i < size; ++i)
      if (bytes[i] != data[i]) return false;
    const int32_t next = NextLifeScoreFor(progress->Score);
    if (next < 100000 || (next % 100000 != 0 && next != INT32_MAX) || next < progress->Score) return false;
  }
  if (auto table = THiscoreTable::Decode(data, size)) {
    const auto bytes = table->Encode();
    const auto again = THiscoreTable::Decode(bytes.data(), bytes.size());
    if (!again) return false;
    for (int i = 0; i < kHiscoreRows; ++i) {
      if (again->Entries[static_cast<size_t>(i)].Name != table->Entries[static_cast<size_t>(i)].Name) return false;
      if (table->Entries[static_cast<size_t>(i)].Name.size() > kMaxHiscoreName) return false;
    }
    // An insertion keeps ten rows and returns a rank in range or -1.
    const int rank = table->Insert("Fuzz", size > 4 ? static_cast<int32_t>(data[size - 1]) << 16 : 0);
    if (rank != -1 && (rank < 1 || rank > kHiscoreRows)) return false;
  }
  return true;
}
