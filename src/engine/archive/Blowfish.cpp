#include "engine/archive/Blowfish.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kBlock = BLOWFISH_BLOCK_SIZE;

void IvBytes(const uint32_t iv[2], uint8_t out[kBlock]) {
  for (int half = 0; half < 2; ++half)
    for (int i = 0; i < 4; ++i) out[half * 4 + i] = static_cast<uint8_t>(iv[half] >> (24 - 8 * i));
}

void Xor(uint8_t* dst, const uint8_t* src, size_t size) {
  for (size_t i = 0; i < size; ++i) dst[i] ^= src[i];
}

}  // namespace

TBlowfish::TBlowfish(const uint8_t* key, size_t length) {
  length = std::clamp<size_t>(length, 1, BLOWFISH_MAX_KEY_SIZE);
  // nettle answers 0 for a "weak" key but still builds the full schedule; the
  // archive format has no notion of weak keys, so the answer is ignored.
  (void)blowfish_set_key(&Ctx_, length, key);
}

void TBlowfish::EncryptCbc(uint8_t* data, size_t size, const uint32_t iv[2]) const {
  size_t whole = size & ~(kBlock - 1);
  uint8_t chain[kBlock];
  IvBytes(iv, chain);
  for (size_t at = 0; at < whole; at += kBlock) {
    Xor(data + at, chain, kBlock);
    blowfish_encrypt(&Ctx_, kBlock, data + at, data + at);
    std::memcpy(chain, data + at, kBlock);
  }
}

void TBlowfish::DecryptCbc(uint8_t* data, size_t size, const uint32_t iv[2]) const {
  uint32_t chain[2] = {iv[0], iv[1]};
  DecryptCbcRun(data, size & ~(kBlock - 1), chain);
}

void TBlowfish::DecryptCbcRun(uint8_t* data, size_t size, uint32_t chain[2]) const {
  const size_t whole = size & ~(kBlock - 1);
  // Decrypt a run of blocks at once (nettle's loop is faster than one call per
  // block), keeping a copy of the stored blocks for the chaining XOR.
  constexpr size_t kChunk = 4096;
  uint8_t stored[kBlock + kChunk];
  IvBytes(chain, stored);
  for (size_t at = 0; at < whole; at += kChunk) {
    const size_t n = std::min(kChunk, whole - at);
    std::memcpy(stored + kBlock, data + at, n);
    blowfish_decrypt(&Ctx_, n, data + at, data + at);
    Xor(data + at, stored, n);
    std::memcpy(stored, stored + n, kBlock);  // the last stored block chains into the next run
  }
  for (int half = 0; half < 2; ++half)
    chain[half] = static_cast<uint32_t>(stored[half * 4]) << 24 | static_cast<uint32_t>(stored[half * 4 + 1]) << 16 |
                  static_cast<uint32_t>(stored[half * 4 + 2]) << 8 | static_cast<uint32_t>(stored[half * 4 + 3]);
}
