// Blowfish in CBC mode as the archive uses it: whole 8-byte blocks, each block
// read as two big-endian 32-bit words; a final part shorter than a block is left
// as it is. A thin layer over nettle's block cipher, whose byte order for a block
// is already big-endian.
#pragma once

#include <nettle/blowfish.h>

#include <cstddef>
#include <cstdint>

class TBlowfish {
 public:
  // The key is used cyclically; 1 to 56 bytes (longer keys are cut to 56).
  TBlowfish(const uint8_t* key, size_t length);

  // iv holds the two 32-bit words XORed into the first block (first word = the
  // block's first four bytes read big-endian). Only the leading size & ~7 bytes
  // are touched.
  void EncryptCbc(uint8_t* data, size_t size, const uint32_t iv[2]) const;
  void DecryptCbc(uint8_t* data, size_t size, const uint32_t iv[2]) const;
  // Decrypts one run of whole blocks of a longer message: chain holds the
  // previous stored block (the IV for the first run) and is left holding the
  // last stored block of this run, ready for the next. size must be a multiple of 8.
  void DecryptCbcRun(uint8_t* data, size_t size, uint32_t chain[2]) const;

 private:
  blowfish_ctx Ctx_;
};
