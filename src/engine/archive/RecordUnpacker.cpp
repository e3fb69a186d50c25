#include "engine/archive/RecordUnpacker.h"

#include <zlib.h>
#include <nettle/md5.h>

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

#include "engine/archive/Blowfish.h"

static_assert(kRecordDigestSize == MD5_DIGEST_SIZE);

namespace {

constexpr size_t kStep = 64 * 1024;
// Records at least this large are unpacked with a helper thread.
constexpr uint32_t kParallelFrom = 1u << 20;

// Makes room for exactly size bytes: a vector left to grow by itself may keep
// up to twice the room it needs, and the unpacked bytes often live long.
void Grow(std::vector<uint8_t>& stream, size_t size) {
  stream.reserve(size);
  stream.resize(size);
}

}  // namespace

bool TRecordUnpacker::Unpack(std::vector<uint8_t>& stream, uint8_t digest[kRecordDigestSize], bool mayUseHelper) {
  Started = false;
  bool ok = mayUseHelper && OriginalSize >= kParallelFrom ? Parallel(stream, digest) : false;
  if (!Started) ok = Serial(stream, digest);
  return ok;
}

// One thread, one step at a time: each piece is decrypted just before zlib
// reads it and hashed just after zlib writes it, while still in the cache.
bool TRecordUnpacker::Serial(std::vector<uint8_t>& stream, uint8_t digest[kRecordDigestSize]) {
  Started = true;
  const size_t base = stream.size(), storedSize = StoredSize, whole = WholeBlocks();
  const size_t limit = size_t{OriginalSize} + 1;
  size_t room = std::min(limit, std::max(storedSize * 4, kStep));
  uint32_t chain[2] = {IV[0], IV[1]};
  size_t ready = 0;  // stored bytes handed to zlib so far
  md5_ctx md5;
  md5_init(&md5);
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  Grow(stream, base + room);
  z.next_in = Stored;
  bool ok = false;
  for (;;) {
    if (z.avail_in == 0 && ready < storedSize) {
      const size_t next = std::min(storedSize, ready + kStep);
      if (Cipher && ready < whole) Cipher->DecryptCbcRun(Stored + ready, std::min(next, whole) - ready, chain);
      z.avail_in = static_cast<uInt>(next - ready);
      ready = next;
    }
    if (z.total_out == room) {
      if (room == limit) break;  // longer than the original size
      room = std::min(limit, room * 2);
      Grow(stream, base + room);
    }
    const size_t before = z.total_out;
    z.next_out = stream.data() + base + before;
    z.avail_out = static_cast<uInt>(std::min(room - before, kStep));
    const int result = inflate(&z, Z_NO_FLUSH);
    md5_update(&md5, z.total_out - before, stream.data() + base + before);
    if (result == Z_STREAM_END) {
      ok = z.total_out == OriginalSize;
      break;
    }
    if (result == Z_OK) continue;
    // No progress: fine while more input can be handed over, else the stream is cut short.
    if (result != Z_BUF_ERROR || z.avail_in != 0 || ready == storedSize) break;
  }
  inflateEnd(&z);
  md5_digest(&md5, kRecordDigestSize, digest);
  return ok;
}


// Large records: a helper thread decrypts ahead of zlib and then hashes behind
// it, so the three stages overlap. The output room grows with the output, as
// in the serial way, never trusting the header's size: before each growth the
// helper is let catch up, so that it never reads the buffer while it moves.
bool TRecordUnpacker::Parallel(std::vector<uint8_t>& stream, uint8_t digest[kRecordDigestSize]) {
  const size_t base = stream.size(), storedSize = StoredSize, whole = WholeBlocks();
  const size_t limit = size_t{OriginalSize} + 1;
  size_t room = std::min(limit, std::max(storedSize * 4, kStep));
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  Grow(stream, base + room);

  // Bytes ready for zlib; bytes zlib has written, with the top bit set once
  // it has stopped; and bytes the helper has hashed.
  std::atomic<size_t> decrypted{Cipher ? 0 : storedSize};
  std::atomic<uint64_t> produced{0};
  std::atomic<size_t> hashedUpTo{0};
  constexpr uint64_t kStopped = uint64_t{1} << 63;
  std::thread helper;
  try {
    helper = std::thread([&] {
      if (Cipher) {
        uint32_t chain[2] = {IV[0], IV[1]};
        for (size_t at = 0; at < whole; at += kStep) {
          const size_t n = std::min(kStep, whole - at);
          Cipher->DecryptCbcRun(Stored + at, n, chain);
          decrypted.store(at + n, std::memory_order_release);
          decrypted.notify_one();
        }
        decrypted.store(storedSize, std::memory_order_release);
        decrypted.notify_one();
      }
      md5_ctx md5;
      md5_init(&md5);
      size_t hashed = 0;
      for (;;) {
        const uint64_t state = produced.load(std::memory_order_acquire);
        const size_t upTo = static_cast<size_t>(state & ~kStopped);
        if (upTo > hashed) {
          // The buffer is looked up afresh: it may have moved since the last round.
          md5_update(&md5, upTo - hashed, stream.data() + base + hashed);
          hashed = upTo;
          hashedUpTo.store(hashed, std::memory_order_release);
          hashedUpTo.notify_one();
        } else if (state & kStopped) {
          break;
        } else {
          produced.wait(state, std::memory_order_acquire);
        }
      }
      md5_digest(&md5, kRecordDigestSize, digest);
    });
  } catch (const std::system_error&) {
    inflateEnd(&z);
    stream.resize(base);
    return false;
  }
  Started = true;

  z.next_in = Stored;
  size_t fed = 0;
  bool ok = false;
  for (;;) {
    if (z.avail_in == 0 && fed < storedSize) {
      size_t ready;
      while ((ready = decrypted.load(std::memory_order_acquire)) <= fed)
        decrypted.wait(ready, std::memory_order_acquire);
      z.avail_in = static_cast<uInt>(ready - fed);
      fed = ready;
    }
    const size_t before = z.total_out;
    if (before == room) {
      if (room == limit) break;  // longer than the original size
      size_t hashed;
      while ((hashed = hashedUpTo.load(std::memory_order_acquire)) < before)
        hashedUpTo.wait(hashed, std::memory_order_acquire);
      room = std::min(limit, room * 2);
      Grow(stream, base + room);
    }
    z.next_out = stream.data() + base + before;
    z.avail_out = static_cast<uInt>(std::min(room - before, kStep));
    const int result = inflate(&z, Z_NO_FLUSH);
    produced.store(z.total_out, std::memory_order_release);
    produced.notify_one();
    if (result == Z_STREAM_END) {
      ok = z.total_out == OriginalSize;
      break;
    }
    if (result == Z_OK) continue;
    if (result != Z_BUF_ERROR || z.avail_in != 0 || fed == storedSize) break;
  }
  produced.store(z.total_out | kStopped, std::memory_order_release);
  produced.notify_one();
  helper.join();
  inflateEnd(&z);
  return ok;
}

bool TRecordUnpacker::UnpackStart(size_t count, std::vector<uint8_t>& out) {
  const size_t whole = WholeBlocks();
  const size_t want = std::min<size_t>(count, OriginalSize);
  uint32_t chain[2] = {IV[0], IV[1]};
  size_t ready = 0;
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  out.assign(want, 0);
  z.next_in = Stored;
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(want);
  bool ok = want == 0;
  // Small steps: the start of a record needs only its first few blocks.
  constexpr size_t kStartStep = 4096;
  while (!ok) {
    if (z.avail_in == 0) {
      if (ready == StoredSize) break;
      const size_t next = std::min(StoredSize, ready + kStartStep);
      if (Cipher && ready < whole) Cipher->DecryptCbcRun(Stored + ready, std::min(next, whole) - ready, chain);
      z.avail_in = static_cast<uInt>(next - ready);
      ready = next;
    }
    const int result = inflate(&z, Z_NO_FLUSH);
    if (z.total_out == want)
      ok = true;
    else if (result == Z_STREAM_END || (result != Z_OK && (result != Z_BUF_ERROR || z.avail_in != 0)))
      break;
  }
  inflateEnd(&z);
  if (!ok) out.clear();
  return ok;
}
