#include "engine/archive/ArchiveKey.h"

#include <cstring>

#include "engine/archive/CPDb.h"

void ApplyGameArchiveKey(TCPDb& a, TCPDb& b) {
  uint8_t buffer[256];
  std::memcpy(buffer, kGameArchiveKey, sizeof(kGameArchiveKey));
  a.SetKey(buffer + 1, buffer[0]);
  // The second archive takes its length from the same length byte.
  b.SetKey(buffer + 1, buffer[0]);
  // A volatile pointer keeps the compiler from dropping the wipe as a dead store.
  volatile uint8_t* wipe = buffer;
  for (size_t i = 0; i < sizeof(buffer); ++i) wipe[i] = 0;
}

std::vector<uint8_t> GameArchiveKey() {
  return std::vector<uint8_t>(kGameArchiveKey + 1, kGameArchiveKey + 1 + kGameArchiveKey[0]);
}
