// The key both game archives are encrypted with, and the helpers that hand it
// out. Every program that writes the game's archives must use this same key.
#pragma once

#include <cstdint>
#include <vector>

class TCPDb;

// A counted string: the length byte, then the characters.
inline constexpr uint8_t kGameArchiveKey[8] = {7, 'A', 'r', 'v', 'a', 'n', 'e', 'l'};

// Copies the key into a local 256-byte buffer, gives it to both archives and
// wipes the buffer right after, so the plain key does not linger on the stack.
void ApplyGameArchiveKey(TCPDb& a, TCPDb& b);

// The key bytes (without the length byte), for the tools that write archives.
std::vector<uint8_t> GameArchiveKey();
