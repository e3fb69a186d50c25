// Turns an archive record's stored bytes back into its original bytes: decrypts
// whole blocks (a shorter tail is stored plain), inflates, and takes the MD5
// digest of what came out. Used by the archive reader only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TBlowfish;

constexpr size_t kRecordDigestSize = 16;

class TRecordUnpacker {
 public:
  // stored is decrypted in place; a null cipher inflates the bytes as they are.
  TRecordUnpacker(uint8_t* stored, size_t storedSize, const TBlowfish* cipher, const uint32_t iv[2],
                  uint32_t originalSize)
      : Stored(stored), StoredSize(storedSize), Cipher(cipher), IV{iv[0], iv[1]}, OriginalSize(originalSize) {}

  // Appends the original bytes to the tail of stream and fills digest with
  // their MD5. False when the stream does not inflate to exactly OriginalSize
  // bytes; the caller trims the stream again then. The room grows with the
  // output rather than trusting the header's size, and ends one byte past the
  // original size so that a longer stream is caught.
  //
  // mayUseHelper: records of a megabyte or more are unpacked with the help of
  // a short-lived second thread (decrypting ahead of zlib and hashing behind
  // it); callers that already run on several threads pass false.
  bool Unpack(std::vector<uint8_t>& stream, uint8_t digest[kRecordDigestSize], bool mayUseHelper);

  // Only the first count original bytes (fewer when the record is shorter):
  // nothing is hashed, so they are not checked against the digest.
  bool UnpackStart(size_t count, std::vector<uint8_t>& out);

 private:
  uint8_t* Stored;
  size_t StoredSize;
  const TBlowfish* Cipher;
  uint32_t IV[2];
  uint32_t OriginalSize;
  bool Started = false;

  bool Serial(std::vector<uint8_t>& stream, uint8_t digest[kRecordDigestSize]);
  // Returns with Started false when no thread could be started.
  bool Parallel(std::vector<uint8_t>& stream, uint8_t digest[kRecordDigestSize]);
  size_t WholeBlocks() const { return StoredSize & ~size_t{7}; }
};
