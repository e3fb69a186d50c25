#include "engine/CPDb.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>
#include <nettle/md5.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <thread>

#include "engine/Blowfish.h"
#include "engine/TextCompare.h"

namespace {

constexpr size_t kHeaderSize = 12;
constexpr size_t kRecordHeaderSize = 44;
// Deflate cannot expand data by more than about 1032:1, so a record that claims
// more than this many original bytes per stored byte cannot be genuine.
constexpr uint64_t kMaxInflateRatio = 1032;
// Records at least this large are unpacked with a helper thread.
constexpr uint32_t kParallelFrom = 1u << 20;

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

int32_t ReadI32(const uint8_t* p) { return static_cast<int32_t>(ReadU32(p)); }

void ParseRecordHeader(const uint8_t* h, TCPDbEntry& e) {
  e.Type = ReadU16(h + 0);
  e.OriginalSize = ReadU32(h + 2);
  e.StoredSize = ReadU32(h + 6);
  std::memcpy(&e.Date, h + 10, 8);  // little-endian IEEE double, as on every platform we build for
  std::memcpy(e.Digest.data(), h + 18, 16);
  e.Encrypted = ReadU16(h + 34);
  e.IV[0] = ReadU32(h + 36);
  e.IV[1] = ReadU32(h + 40);
}

// Turns a record's stored bytes back into its original bytes: decrypts whole
// blocks (a shorter tail is stored plain), inflates, and takes the MD5 digest of
// what came out. The output goes straight onto the tail of the caller's stream;
// the caller trims it again when the read fails.
struct RecordUnpacker {
  std::vector<uint8_t>& Stored;
  const TBlowfish* Cipher;  // null: inflate the bytes as they are
  uint32_t IV[2];
  uint32_t OriginalSize;
  bool Started = false;  // set once one of the two ways has run

  static constexpr size_t kStep = 64 * 1024;

  size_t WholeBlocks() const { return Stored.size() & ~size_t{7}; }

  // One thread, one step at a time: each piece is decrypted just before zlib
  // reads it and hashed just after zlib writes it, while still in the cache. The
  // room grows with the output rather than trusting the header's size, and ends
  // one byte past the original size so that a longer stream is caught.
  bool Serial(std::vector<uint8_t>& stream, uint8_t digest[MD5_DIGEST_SIZE]) {
    Started = true;
    const size_t base = stream.size(), storedSize = Stored.size(), whole = WholeBlocks();
    const size_t limit = size_t{OriginalSize} + 1;
    size_t room = std::min(limit, std::max(storedSize * 4, kStep));
    uint32_t chain[2] = {IV[0], IV[1]};
    size_t ready = 0;  // stored bytes handed to zlib so far
    md5_ctx md5;
    md5_init(&md5);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    stream.resize(base + room);
    z.next_in = Stored.data();
    bool ok = false;
    for (;;) {
      if (z.avail_in == 0 && ready < storedSize) {
        const size_t next = std::min(storedSize, ready + kStep);
        if (Cipher && ready < whole) Cipher->DecryptCbcRun(Stored.data() + ready, std::min(next, whole) - ready, chain);
        z.avail_in = static_cast<uInt>(next - ready);
        ready = next;
      }
      if (z.total_out == room) {
        if (room == limit) break;  // longer than the original size
        room = std::min(limit, room * 2);
        stream.resize(base + room);
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
    md5_digest(&md5, MD5_DIGEST_SIZE, digest);
    return ok;
  }

  // Large records: a helper thread decrypts ahead of zlib and then hashes behind
  // it, so the three stages overlap. The output room grows with the output, as
  // in the serial way, never trusting the header's size: before each growth the
  // helper is let catch up, so that it never reads the buffer while it moves.
  // Returns with Started false when no thread could be started; the caller
  // then goes the serial way.
  bool Parallel(std::vector<uint8_t>& stream, uint8_t digest[MD5_DIGEST_SIZE]) {
    const size_t base = stream.size(), storedSize = Stored.size(), whole = WholeBlocks();
    const size_t limit = size_t{OriginalSize} + 1;
    size_t room = std::min(limit, std::max(storedSize * 4, kStep));
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    stream.resize(base + room);

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
            Cipher->DecryptCbcRun(Stored.data() + at, n, chain);
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
        md5_digest(&md5, MD5_DIGEST_SIZE, digest);
      });
    } catch (const std::system_error&) {
      inflateEnd(&z);
      stream.resize(base);
      return false;
    }
    Started = true;

    z.next_in = Stored.data();
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
        stream.resize(base + room);
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
};

// Deflate never stores n bytes in more than n plus a few bytes per 16 KB block
// and the stream's header and trailer (zlib's compressBound); a record that
// claims more stored bytes than that is not a deflate stream of its original
// size, and its stored bytes are not even read.
uint64_t MaxStoredSize(uint64_t originalSize) { return originalSize + (originalSize >> 8) + 64; }

// The original bytes a record can actually unpack to: 0 when its sizes already
// rule it out (stored bytes past the end of the file or more than deflate could
// need, an original size past the per-record cap or past what deflate can
// produce from the stored bytes), since such a record fails before anything
// is inflated.
uint64_t ReadableOriginalSize(const TCPDbEntry& e, uint64_t fileSize) {
  const uint64_t dataOffset = uint64_t{e.HeaderOffset} + kRecordHeaderSize;
  if (dataOffset > fileSize || e.StoredSize > fileSize - dataOffset) return 0;
  if (e.StoredSize > MaxStoredSize(e.OriginalSize)) return 0;
  if (e.OriginalSize > TCPDb::kMaxOriginalSize || e.OriginalSize > e.StoredSize * kMaxInflateRatio) return 0;
  return e.OriginalSize;
}

std::string Megabytes(uint64_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

}  // namespace

// Positional reads from the archive file, or from bytes held in memory. Every
// read is checked against the size first, so a hostile offset or length is a
// short read, never an out-of-bounds access.
class TCPDbSource {
 public:
  TCPDbSource() = default;
  TCPDbSource(const TCPDbSource&) = delete;
  TCPDbSource& operator=(const TCPDbSource&) = delete;
  ~TCPDbSource() {
    if (File_) std::fclose(File_);
  }

  // Only a regular file is opened: a pipe would block the open for ever and a
  // device has no meaningful size. The type is checked before opening, and
  // again on what was opened in case the name was swapped in between (the
  // open does not wait, so a pipe slipped in cannot block it either).
  bool OpenFile(const std::string& path, std::string& error) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
      error = "cannot open it: " + std::string(std::strerror(errno));
      return false;
    }
    if (!S_ISREG(info.st_mode)) {
      error = "it is not a plain file";
      return false;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      error = "cannot open it: " + std::string(std::strerror(errno));
      return false;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
      ::close(fd);
      error = "it is not a plain file";
      return false;
    }
    File_ = ::fdopen(fd, "rb");
    if (!File_) {
      ::close(fd);
      error = "cannot open it: " + std::string(std::strerror(errno));
      return false;
    }
    Size_ = static_cast<uint64_t>(info.st_size);
    return true;
  }

  void OpenMemory(const std::vector<uint8_t>& bytes) {
    Memory_ = bytes.data();
    Size_ = bytes.size();
  }

  uint64_t Size() const { return Size_; }

  bool Read(uint64_t offset, void* dst, size_t n) {
    if (offset > Size_ || n > Size_ - offset) return false;
    if (n == 0) return true;
    if (!File_) {
      std::memcpy(dst, Memory_ + offset, n);
      return true;
    }
    if (offset != Position_) {
      if (fseeko(File_, static_cast<off_t>(offset), SEEK_SET) != 0) {
        Position_ = UINT64_MAX;
        return false;
      }
    }
    size_t got = std::fread(dst, 1, n, File_);
    Position_ = offset + got;
    return got == n;
  }

 private:
  std::FILE* File_ = nullptr;
  const uint8_t* Memory_ = nullptr;
  uint64_t Size_ = 0;
  uint64_t Position_ = 0;
};

void TCPDb::SetFileName(const std::string& name) {
  FileName_ = name;
  InMemory_ = false;
  Memory_.clear();
  Memory_.shrink_to_fit();
  Forget();
}

void TCPDb::SetFileData(std::vector<uint8_t> bytes) {
  FileName_.clear();
  InMemory_ = true;
  Memory_ = std::move(bytes);
  Forget();
}

void TCPDb::Forget() {
  Opened_ = false;
  FileSize_ = 0;
  DeclaredTotal_ = 0;
  Table_.clear();
  TableImage_.clear();
}

bool TCPDb::Fail(std::string why) {
  LastError_ = std::move(why);
  return false;
}

bool TCPDb::OpenSource(TCPDbSource& source) {
  if (InMemory_) {
    source.OpenMemory(Memory_);
    return true;
  }
  std::string why;
  if (!source.OpenFile(FileName_, why)) return Fail(why);
  return true;
}

bool TCPDb::CreateEmpty() {
  const uint8_t header[kHeaderSize] = {'C', 'P', 'D', 'b', 0, 0, 0, 0, kHeaderSize, 0, 0, 0};
  Forget();
  if (InMemory_) {
    Memory_.assign(header, header + kHeaderSize);
  } else {
    std::FILE* file = std::fopen(FileName_.c_str(), "wb");
    if (!file) return Fail("cannot create it: " + std::string(std::strerror(errno)));
    bool written = std::fwrite(header, 1, kHeaderSize, file) == kHeaderSize;
    if (std::fclose(file) != 0) written = false;
    if (!written) return Fail("cannot write it: " + std::string(std::strerror(errno)));
  }
  FileSize_ = kHeaderSize;
  return true;
}

bool TCPDb::Open() {
  if (Opened_) return true;
  bool create = OpenMode == opOverwrite;
  if (OpenMode == opUpdate && !InMemory_) {
    // Only a file known to be missing is created: when its state cannot be
    // read, reading it fails rather than risking a good archive.
    std::error_code error;
    create = !std::filesystem::exists(FileName_, error) && !error;
  }
  if (create) {
    Opened_ = CreateEmpty();
  } else {
    TCPDbSource source;
    Opened_ = OpenSource(source) && ReadTable(source, false);
  }
  if (Opened_)
    LastError_.clear();
  else
    Forget();
  return Opened_;
}

bool TCPDb::ReadTable(TCPDbSource& source, bool reuseHeaders) {
  auto fail = [this](std::string why = "its record table is damaged or cut short") {
    Table_.clear();
    TableImage_.clear();
    DeclaredTotal_ = 0;
    return Fail(std::move(why));
  };
  const uint64_t size = source.Size();
  uint8_t header[kHeaderSize];
  if (!source.Read(0, header, kHeaderSize)) return fail();
  // The magic is not checked: any file with a readable table is accepted.
  const int32_t count = ReadI32(header + 4);
  const uint32_t tableOffset = ReadU32(header + 8);
  // A negative count cannot describe a table; refuse it rather than open an
  // archive that only looks empty.
  if (count < 0) return fail();
  if (count > kMaxRecords) return fail("it claims " + std::to_string(count) + " records, more than an archive may hold");

  std::vector<uint8_t> image(header, header + kHeaderSize);
  std::vector<TCPDbEntry> table;
  if (count > 0) {
    // Every entry takes at least 8 bytes, so a count the rest of the file cannot
    // hold is refused before anything is reserved for it.
    if (tableOffset > size || static_cast<uint64_t>(count) > (size - tableOffset) / 8) return fail();
    table.resize(static_cast<size_t>(count));
    uint64_t at = tableOffset;
    for (TCPDbEntry& entry : table) {
      uint8_t field[4];
      if (!source.Read(at, field, 4)) return fail();
      const int32_t length = ReadI32(field);
      if (length < 0 || length > kMaxKeyBytes || static_cast<uint64_t>(length) > size - at - 4) return fail();
      entry.Key.resize(static_cast<size_t>(length));
      if (!source.Read(at + 4, entry.Key.data(), entry.Key.size())) return fail();
      image.insert(image.end(), field, field + 4);
      image.insert(image.end(), entry.Key.begin(), entry.Key.end());
      if (!source.Read(at + 4 + entry.Key.size(), field, 4)) return fail();
      entry.HeaderOffset = ReadU32(field);
      image.insert(image.end(), field, field + 4);
      at += 8 + entry.Key.size();
    }
  }

  if (reuseHeaders && size == FileSize_ && image == TableImage_ && table.size() == Table_.size()) return true;

  uint64_t total = 0;
  for (TCPDbEntry& entry : table) {
    uint8_t recordHeader[kRecordHeaderSize];
    if (!source.Read(entry.HeaderOffset, recordHeader, kRecordHeaderSize)) return fail();
    ParseRecordHeader(recordHeader, entry);
    total += ReadableOriginalSize(entry, size);
  }
  if (total > kMaxTotalOriginalSize)
    return fail("its records would unpack to " + Megabytes(total) + ", more than the " +
                Megabytes(kMaxTotalOriginalSize) + " the game allows for one archive");
  DeclaredTotal_ = total;
  Table_ = std::move(table);
  TableImage_ = std::move(image);
  FileSize_ = size;
  return true;
}

int TCPDb::RecordCount() {
  Open();
  return static_cast<int>(Table_.size());
}

int TCPDb::RecordType(int index) {
  Open();
  if (index < 0 || index >= static_cast<int>(Table_.size())) return 0;
  return Table_[index].Type;
}

std::string TCPDb::RecordKey(int index) {
  Open();
  if (index < 0 || index >= static_cast<int>(Table_.size())) return "[invalid-record-#]";
  return Table_[index].Key;
}

int TCPDb::IndexOf(std::string_view key) {
  Open();
  for (size_t i = 0; i < Table_.size(); ++i)
    if (SameText(Table_[i].Key, key)) return static_cast<int>(i);
  return -1;
}

void TCPDb::SetKey(const uint8_t* bytes, int length) {
  Cipher_.reset();
  std::memset(Key_, 0, sizeof(Key_));
  if (length <= 0 || !bytes) {
    KeyLength_ = 0;
    return;
  }
  KeyLength_ = std::min(length, kMaxKeyLength);
  std::memcpy(Key_, bytes, static_cast<size_t>(KeyLength_));
}

bool TCPDb::ReadRecord(std::string_view key, std::vector<uint8_t>& stream) {
  if (!Open()) return false;
  // Every read opens the file again and re-reads the table, so a file replaced
  // since the last read is seen as it is now.
  TCPDbSource source;
  if (!OpenSource(source) || !ReadTable(source, true)) {
    Forget();
    return false;
  }
  const int index = IndexOf(key);
  if (index < 0) return Fail("it has no record \"" + std::string(key) + "\"");
  TCPDbEntry& entry = Table_[static_cast<size_t>(index)];

  // The record's own header is always read fresh: it sits just before its data.
  // Should it have changed since the table was read, the archive's total is
  // brought up to date and checked again.
  uint8_t recordHeader[kRecordHeaderSize];
  if (!source.Read(entry.HeaderOffset, recordHeader, kRecordHeaderSize)) return Fail("a record header is cut short");
  const uint64_t before = ReadableOriginalSize(entry, source.Size());
  ParseRecordHeader(recordHeader, entry);
  const uint64_t now = ReadableOriginalSize(entry, source.Size());
  DeclaredTotal_ = DeclaredTotal_ - std::min(before, DeclaredTotal_) + now;
  if (DeclaredTotal_ > kMaxTotalOriginalSize)
    return Fail("its records would unpack to more than " + Megabytes(kMaxTotalOriginalSize));
  const uint64_t dataOffset = uint64_t{entry.HeaderOffset} + kRecordHeaderSize;
  if (now != entry.OriginalSize || entry.StoredSize > source.Size() - std::min(dataOffset, source.Size()) ||
      entry.StoredSize > MaxStoredSize(entry.OriginalSize))
    return Fail("the record \"" + entry.Key + "\" claims sizes it cannot have");

  std::vector<uint8_t> stored(entry.StoredSize);
  if (!source.Read(dataOffset, stored.data(), stored.size())) return false;

  // An encrypted record read without a key is inflated as it is stored, and
  // fails there or at the digest.
  const bool decrypt = entry.Encrypted != 0 && KeyLength_ > 0;
  if (decrypt && !Cipher_) Cipher_ = std::make_shared<const TBlowfish>(Key_, static_cast<size_t>(KeyLength_));
  RecordUnpacker unpacker{stored, decrypt ? Cipher_.get() : nullptr, {entry.IV[0], entry.IV[1]}, entry.OriginalSize};

  const size_t base = stream.size();
  uint8_t digest[MD5_DIGEST_SIZE];
  bool ok = entry.OriginalSize >= kParallelFrom ? unpacker.Parallel(stream, digest) : false;
  if (!unpacker.Started) ok = unpacker.Serial(stream, digest);
  ok = ok && std::memcmp(digest, entry.Digest.data(), MD5_DIGEST_SIZE) == 0;
  stream.resize(ok ? base + entry.OriginalSize : base);
  if (!ok) return Fail("the record \"" + entry.Key + "\" is damaged");
  LastError_.clear();
  return true;
}
