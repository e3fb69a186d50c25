#include "engine/archive/CPDb.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "engine/archive/Blowfish.h"
#include "engine/archive/RecordUnpacker.h"

namespace {

constexpr size_t kHeaderSize = 12;
constexpr size_t kRecordHeaderSize = 44;
// Deflate cannot expand data by more than about 1032:1, so a record that claims
// more than this many original bytes per stored byte cannot be genuine.
constexpr uint64_t kMaxInflateRatio = 1032;
// Stored bytes read first when only the start of a record is wanted.
constexpr size_t kStartRead = 64 * 1024;

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

bool SameHeader(const TCPDbEntry& a, const TCPDbEntry& b) {
  return a.Type == b.Type && a.OriginalSize == b.OriginalSize && a.StoredSize == b.StoredSize &&
         std::memcmp(&a.Date, &b.Date, sizeof a.Date) == 0 && a.Digest == b.Digest && a.Encrypted == b.Encrypted &&
         a.IV[0] == b.IV[0] && a.IV[1] == b.IV[1];
}

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

// Keys compare ignoring the case of A-Z only, as the game's names do.
std::string LowerKey(std::string_view key) {
  std::string lower(key);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

// What tells one file from another at the same name: a file saved over the
// archive (a new file renamed into place) has another inode, one rewritten in
// place another size or other times.
struct TFileIdentity {
  dev_t Device = 0;
  ino_t Inode = 0;
  off_t Size = -1;
  timespec Modified{}, Changed{};

  static TFileIdentity Of(const struct stat& s) {
    return {s.st_dev, s.st_ino, s.st_size, s.st_mtim, s.st_ctim};
  }
  bool operator==(const TFileIdentity& o) const {
    return Device == o.Device && Inode == o.Inode && Size == o.Size && Modified.tv_sec == o.Modified.tv_sec &&
           Modified.tv_nsec == o.Modified.tv_nsec && Changed.tv_sec == o.Changed.tv_sec &&
           Changed.tv_nsec == o.Changed.tv_nsec;
  }
};

// The record table of one file, with its keys indexed.
struct TCPDbTable {
  std::vector<TCPDbEntry> Entries;
  std::unordered_map<std::string, int> Index;  // lower-cased key -> the first record with it

  int Find(std::string_view key) const {
    const auto it = Index.find(LowerKey(key));
    return it == Index.end() ? -1 : it->second;
  }
};

std::shared_ptr<const TCPDbTable> EmptyTable() {
  static const std::shared_ptr<const TCPDbTable> empty = std::make_shared<TCPDbTable>();
  return empty;
}

}  // namespace

// Positional reads from the archive file, or from bytes held in memory. Every
// read is checked against the size first, so a hostile offset or length is a
// short read, never an out-of-bounds access. A read keeps no position, so any
// number of threads may read at once.
class TCPDbSource {
 public:
  TCPDbSource() = default;
  TCPDbSource(const TCPDbSource&) = delete;
  TCPDbSource& operator=(const TCPDbSource&) = delete;
  ~TCPDbSource() {
    if (Fd_ >= 0) ::close(Fd_);
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
    Fd_ = fd;
    Size_ = static_cast<uint64_t>(info.st_size);
    Identity_ = TFileIdentity::Of(info);
    return true;
  }

  void OpenMemory(std::shared_ptr<const std::vector<uint8_t>> bytes) {
    Memory_ = std::move(bytes);
    Size_ = Memory_ ? Memory_->size() : 0;
  }

  uint64_t Size() const { return Size_; }
  const TFileIdentity& Identity() const { return Identity_; }

  bool Read(uint64_t offset, void* dst, size_t n) const {
    if (offset > Size_ || n > Size_ - offset) return false;
    if (n == 0) return true;
    if (Fd_ < 0) {
      if (!Memory_) return false;
      std::memcpy(dst, Memory_->data() + offset, n);
      return true;
    }
    auto* out = static_cast<uint8_t*>(dst);
    while (n > 0) {
      const ssize_t got = ::pread(Fd_, out, n, static_cast<off_t>(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      out += got;
      offset += static_cast<uint64_t>(got);
      n -= static_cast<size_t>(got);
    }
    return true;
  }

 private:
  int Fd_ = -1;
  std::shared_ptr<const std::vector<uint8_t>> Memory_;
  uint64_t Size_ = 0;
  TFileIdentity Identity_;
};

struct TCPDb::Impl {
  // A record read ahead, or waiting to be.
  struct Ahead {
    std::string Key;  // as the caller spelled it
    bool Started = false, Done = false, Ok = false;
    uint64_t Generation = 0;  // of the table it was read by
    std::vector<uint8_t> Bytes;
    std::string Why;
  };

  // Guards everything below. Reads hold it only to find their record, never
  // while unpacking.
  std::mutex Mutex;
  std::string FileName;
  bool InMemory = false;
  std::shared_ptr<const std::vector<uint8_t>> Memory;
  bool Opened = false;
  // The file (or memory) the current table was read from; null when none is.
  std::shared_ptr<const TCPDbSource> Source;
  std::shared_ptr<const TCPDbTable> Table = EmptyTable();
  // Tables replaced since the name was set: kept, so that a table handed out
  // by Entries stays valid however the file changes.
  std::vector<std::shared_ptr<const TCPDbTable>> Retired;
  // Counts the tables read, so a read ahead from an older one is not taken.
  uint64_t Generation = 0;
  std::string LastError;
  uint8_t Key[kMaxKeyLength] = {};
  int KeyLength = 0;
  // The key schedule, built at the first encrypted read after SetKey.
  std::shared_ptr<const TBlowfish> Cipher;

  std::unordered_map<std::string, Ahead> AheadRecords;  // by lower-cased key
  std::deque<std::string> AheadQueue;
  std::condition_variable AheadChanged;
  std::thread AheadThread;
  bool AheadRunning = false;

  ~Impl() { StopReadingAhead(); }

  void SetTable(std::shared_ptr<const TCPDbTable> table) {
    if (Table != EmptyTable()) Retired.push_back(std::move(Table));
    Table = std::move(table);
    ++Generation;
  }

  void Forget() {
    Opened = false;
    Source.reset();
    SetTable(EmptyTable());
  }

  bool CreateEmpty(std::string& why);
  bool OpenLocked(TOpenMode mode, std::string& why);
  bool ReadTable(const std::shared_ptr<const TCPDbSource>& source, std::string& why);
  bool Current(std::string& why);
  // Finds the record under the lock: its entry as the table has it, the
  // source to read it from and the cipher to decrypt it with.
  bool Locate(std::string_view key, TOpenMode mode, TCPDbEntry& entry, std::shared_ptr<const TCPDbSource>& source,
              std::shared_ptr<const TBlowfish>& cipher, uint64_t& generation, std::string& why);
  // Locate, then the record's header read fresh and its sizes checked. A
  // header that differs from the table's means the file changed in place:
  // the table is read again and the record looked up once more.
  bool LocateChecked(std::string_view key, TOpenMode mode, TCPDbEntry& entry,
                     std::shared_ptr<const TCPDbSource>& source, std::shared_ptr<const TBlowfish>& cipher,
                     uint64_t& generation, std::string& why);
  bool Read(std::string_view key, TOpenMode mode, std::vector<uint8_t>& stream, std::string& why, bool helper,
            uint64_t* generation = nullptr);
  bool ReadStart(std::string_view key, TOpenMode mode, size_t count, std::vector<uint8_t>& out, std::string& why);

  // Read-ahead: handled means the record was (or was being) read ahead and
  // ok and why say how that went.
  bool TakeAhead(std::string_view key, TOpenMode mode, std::vector<uint8_t>& stream, bool& ok, std::string& why);
  void ReadAheadLoop(TOpenMode mode);
  void StopReadingAhead();
};

bool TCPDb::Impl::CreateEmpty(std::string& why) {
  const uint8_t header[kHeaderSize] = {'C', 'P', 'D', 'b', 0, 0, 0, 0, kHeaderSize, 0, 0, 0};
  Forget();
  if (InMemory) {
    Memory = std::make_shared<const std::vector<uint8_t>>(header, header + kHeaderSize);
    return true;
  }
  std::FILE* file = std::fopen(FileName.c_str(), "wb");
  if (!file) {
    why = "cannot create it: " + std::string(std::strerror(errno));
    return false;
  }
  bool written = std::fwrite(header, 1, kHeaderSize, file) == kHeaderSize;
  if (std::fclose(file) != 0) written = false;
  if (!written) {
    why = "cannot write it: " + std::string(std::strerror(errno));
    return false;
  }
  return true;
}

bool TCPDb::Impl::OpenLocked(TOpenMode mode, std::string& why) {
  if (Opened) return true;
  bool create = mode == opOverwrite;
  if (mode == opUpdate && !InMemory) {
    // Only a file known to be missing is created: when its state cannot be
    // read, reading it fails rather than risking a good archive.
    std::error_code error;
    create = !std::filesystem::exists(FileName, error) && !error;
  }
  if (create) {
    // The new file's table (empty) is read at the first read.
    Opened = CreateEmpty(why);
    return Opened;
  }
  auto source = std::make_shared<TCPDbSource>();
  if (InMemory) {
    source->OpenMemory(Memory);
  } else if (!source->OpenFile(FileName, why)) {
    Forget();
    return false;
  }
  if (!ReadTable(source, why)) {
    Forget();
    return false;
  }
  Source = std::move(source);
  Opened = true;
  return true;
}

bool TCPDb::Impl::ReadTable(const std::shared_ptr<const TCPDbSource>& sourcePtr, std::string& why) {
  const TCPDbSource& source = *sourcePtr;
  auto fail = [&](std::string reason = "its record table is damaged or cut short") {
    SetTable(EmptyTable());
    why = std::move(reason);
    return false;
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

  auto table = std::make_shared<TCPDbTable>();
  if (count > 0) {
    // Every entry takes at least 8 bytes, so a count the rest of the file cannot
    // hold is refused before anything is reserved for it.
    if (tableOffset > size || static_cast<uint64_t>(count) > (size - tableOffset) / 8) return fail();
    table->Entries.resize(static_cast<size_t>(count));
    uint64_t at = tableOffset;
    for (TCPDbEntry& entry : table->Entries) {
      uint8_t field[4];
      if (!source.Read(at, field, 4)) return fail();
      const int32_t length = ReadI32(field);
      if (length < 0 || length > kMaxKeyBytes || static_cast<uint64_t>(length) > size - at - 4) return fail();
      entry.Key.resize(static_cast<size_t>(length));
      if (!source.Read(at + 4, entry.Key.data(), entry.Key.size())) return fail();
      if (!source.Read(at + 4 + entry.Key.size(), field, 4)) return fail();
      entry.HeaderOffset = ReadU32(field);
      at += 8 + entry.Key.size();
    }
  }

  uint64_t total = 0;
  table->Index.reserve(table->Entries.size());
  for (size_t i = 0; i < table->Entries.size(); ++i) {
    TCPDbEntry& entry = table->Entries[i];
    uint8_t recordHeader[kRecordHeaderSize];
    if (!source.Read(entry.HeaderOffset, recordHeader, kRecordHeaderSize)) return fail();
    ParseRecordHeader(recordHeader, entry);
    total += ReadableOriginalSize(entry, size);
    table->Index.emplace(LowerKey(entry.Key), static_cast<int>(i));  // the first of equal keys stays
  }
  if (total > kMaxTotalOriginalSize)
    return fail("its records would unpack to " + Megabytes(total) + ", more than the " +
                Megabytes(kMaxTotalOriginalSize) + " the game allows for one archive");
  SetTable(std::move(table));
  return true;
}

bool TCPDb::Impl::Current(std::string& why) {
  if (InMemory) {
    if (Source) return true;
    // Created empty: read the new table.
    auto source = std::make_shared<TCPDbSource>();
    source->OpenMemory(Memory);
    if (!ReadTable(source, why)) {
      Forget();
      return false;
    }
    Source = std::move(source);
    return true;
  }
  struct stat info;
  if (::stat(FileName.c_str(), &info) != 0) {
    why = "cannot open it: " + std::string(std::strerror(errno));
    Forget();
    return false;
  }
  if (Source && TFileIdentity::Of(info) == Source->Identity()) return true;
  // Replaced, rewritten, or just created: open it afresh.
  auto source = std::make_shared<TCPDbSource>();
  if (!source->OpenFile(FileName, why) || !ReadTable(source, why)) {
    Forget();
    return false;
  }
  Source = std::move(source);
  return true;
}

bool TCPDb::Impl::Locate(std::string_view key, TOpenMode mode, TCPDbEntry& entry,
                         std::shared_ptr<const TCPDbSource>& source, std::shared_ptr<const TBlowfish>& cipher,
                         uint64_t& generation, std::string& why) {
  std::lock_guard<std::mutex> lock(Mutex);
  if (!OpenLocked(mode, why) || !Current(why)) return false;
  const int index = Table->Find(key);
  if (index < 0) {
    why = "it has no record \"" + std::string(key) + "\"";
    return false;
  }
  entry = Table->Entries[static_cast<size_t>(index)];
  source = Source;
  generation = Generation;
  // An encrypted record read without a key is inflated as it is stored, and
  // fails there or at the digest.
  const bool decrypt = entry.Encrypted != 0 && KeyLength > 0;
  if (decrypt && !Cipher) Cipher = std::make_shared<const TBlowfish>(Key, static_cast<size_t>(KeyLength));
  cipher = decrypt ? Cipher : nullptr;
  return true;
}

bool TCPDb::Impl::LocateChecked(std::string_view key, TOpenMode mode, TCPDbEntry& entry,
                                std::shared_ptr<const TCPDbSource>& source,
                                std::shared_ptr<const TBlowfish>& cipher, uint64_t& generation, std::string& why) {
  for (int attempt = 0;; ++attempt) {
    if (!Locate(key, mode, entry, source, cipher, generation, why)) return false;
    // The record's own header sits just before its data; it is read fresh.
    uint8_t header[kRecordHeaderSize];
    if (!source->Read(entry.HeaderOffset, header, kRecordHeaderSize)) {
      why = "a record header is cut short";
      return false;
    }
    TCPDbEntry fresh = entry;
    ParseRecordHeader(header, fresh);
    if (SameHeader(fresh, entry)) break;
    if (attempt > 0) {
      why = "the record \"" + entry.Key + "\" changed while it was read";
      return false;
    }
    std::lock_guard<std::mutex> lock(Mutex);
    if (Source && Generation == generation && !ReadTable(Source, why)) {
      Forget();
      return false;
    }
  }
  const uint64_t size = source->Size();
  const uint64_t dataOffset = uint64_t{entry.HeaderOffset} + kRecordHeaderSize;
  if (ReadableOriginalSize(entry, size) != entry.OriginalSize || dataOffset > size ||
      entry.StoredSize > size - dataOffset || entry.StoredSize > MaxStoredSize(entry.OriginalSize)) {
    why = "the record \"" + entry.Key + "\" claims sizes it cannot have";
    return false;
  }
  return true;
}

bool TCPDb::Impl::Read(std::string_view key, TOpenMode mode, std::vector<uint8_t>& stream, std::string& why,
                       bool helper, uint64_t* generationOut) {
  TCPDbEntry entry;
  std::shared_ptr<const TCPDbSource> source;
  std::shared_ptr<const TBlowfish> cipher;
  uint64_t generation = 0;
  if (!LocateChecked(key, mode, entry, source, cipher, generation, why)) return false;
  if (generationOut) *generationOut = generation;

  std::vector<uint8_t> stored(entry.StoredSize);
  if (!source->Read(uint64_t{entry.HeaderOffset} + kRecordHeaderSize, stored.data(), stored.size())) {
    why = "the record \"" + entry.Key + "\" is cut short";
    return false;
  }
  TRecordUnpacker unpacker(stored.data(), stored.size(), cipher.get(), entry.IV, entry.OriginalSize);
  const size_t base = stream.size();
  uint8_t digest[kRecordDigestSize];
  bool ok = unpacker.Unpack(stream, digest, helper);
  ok = ok && std::memcmp(digest, entry.Digest.data(), kRecordDigestSize) == 0;
  if (ok) {
    stream.resize(base + entry.OriginalSize);
    return true;
  }
  // A failed read takes back the room it made.
  if (base == 0)
    std::vector<uint8_t>().swap(stream);
  else
    stream.resize(base);
  why = "the record \"" + entry.Key + "\" is damaged";
  return false;
}

bool TCPDb::Impl::ReadStart(std::string_view key, TOpenMode mode, size_t count, std::vector<uint8_t>& out,
                            std::string& why) {
  TCPDbEntry entry;
  std::shared_ptr<const TCPDbSource> source;
  std::shared_ptr<const TBlowfish> cipher;
  uint64_t generation = 0;
  if (!LocateChecked(key, mode, entry, source, cipher, generation, why)) return false;
  // Usually the first stored bytes are enough; else the whole record is taken.
  for (size_t part : {std::min<size_t>(entry.StoredSize, kStartRead), size_t{entry.StoredSize}}) {
    std::vector<uint8_t> stored(part);
    if (!source->Read(uint64_t{entry.HeaderOffset} + kRecordHeaderSize, stored.data(), stored.size())) {
      why = "the record \"" + entry.Key + "\" is cut short";
      return false;
    }
    TRecordUnpacker unpacker(stored.data(), stored.size(), cipher.get(), entry.IV, entry.OriginalSize);
    if (unpacker.UnpackStart(count, out)) return true;
    if (part == entry.StoredSize) break;
  }
  why = "the record \"" + entry.Key + "\" is damaged";
  return false;
}

bool TCPDb::Impl::TakeAhead(std::string_view key, TOpenMode mode, std::vector<uint8_t>& stream, bool& ok,
                            std::string& why) {
  std::unique_lock<std::mutex> lock(Mutex);
  if (AheadRecords.empty()) return false;
  const std::string lower = LowerKey(key);
  auto it = AheadRecords.find(lower);
  if (it == AheadRecords.end()) return false;
  if (!it->second.Started) {
    // Not reached yet: read it here and now instead.
    const auto queued = std::find(AheadQueue.begin(), AheadQueue.end(), lower);
    if (queued != AheadQueue.end()) AheadQueue.erase(queued);
    AheadRecords.erase(it);
    return false;
  }
  AheadChanged.wait(lock, [&] {
    it = AheadRecords.find(lower);
    return it == AheadRecords.end() || it->second.Done;
  });
  if (it == AheadRecords.end()) return false;
  Ahead done = std::move(it->second);
  AheadRecords.erase(it);
  // Bytes of a file that has been replaced since are not taken.
  std::string currentWhy;
  if (!OpenLocked(mode, currentWhy) || !Current(currentWhy) || done.Generation != Generation) return false;
  ok = done.Ok;
  why = std::move(done.Why);
  if (!ok) return true;
  if (stream.empty())
    stream = std::move(done.Bytes);
  else
    stream.insert(stream.end(), done.Bytes.begin(), done.Bytes.end());
  return true;
}

void TCPDb::Impl::ReadAheadLoop(TOpenMode mode) {
  for (;;) {
    std::string lower, key;
    {
      std::lock_guard<std::mutex> lock(Mutex);
      if (AheadQueue.empty()) {
        AheadRunning = false;
        AheadChanged.notify_all();
        return;
      }
      lower = std::move(AheadQueue.front());
      AheadQueue.pop_front();
      Ahead& record = AheadRecords[lower];
      record.Started = true;
      key = record.Key;
    }
    std::vector<uint8_t> bytes;
    std::string why;
    uint64_t generation = 0;
    const bool ok = Read(key, mode, bytes, why, false, &generation);
    std::lock_guard<std::mutex> lock(Mutex);
    auto it = AheadRecords.find(lower);
    if (it != AheadRecords.end()) {
      it->second.Done = true;
      it->second.Ok = ok;
      it->second.Generation = generation;
      it->second.Bytes = std::move(bytes);
      it->second.Why = std::move(why);
    }
    AheadChanged.notify_all();
  }
}

void TCPDb::Impl::StopReadingAhead() {
  std::thread running;
  {
    std::lock_guard<std::mutex> lock(Mutex);
    AheadQueue.clear();
    running = std::move(AheadThread);
  }
  if (running.joinable()) running.join();
  std::lock_guard<std::mutex> lock(Mutex);
  AheadRecords.clear();
  AheadRunning = false;
}

// ---------------------------------------------------------------- TCPDb

TCPDb::TCPDb() : D_(std::make_unique<Impl>()) {}
TCPDb::~TCPDb() = default;
TCPDb::TCPDb(TCPDb&& other) noexcept = default;
TCPDb& TCPDb::operator=(TCPDb&& other) noexcept = default;

TCPDb::Impl& TCPDb::Self() {
  if (!D_) D_ = std::make_unique<Impl>();
  return *D_;
}

const std::string& TCPDb::FileName() const {
  static const std::string none;
  return D_ ? D_->FileName : none;
}

void TCPDb::SetFileName(const std::string& name) {
  Impl& d = Self();
  d.StopReadingAhead();
  std::lock_guard<std::mutex> lock(d.Mutex);
  d.FileName = name;
  d.InMemory = false;
  d.Memory.reset();
  d.Forget();
  d.Retired.clear();
}

void TCPDb::SetFileData(std::vector<uint8_t> bytes) {
  Impl& d = Self();
  d.StopReadingAhead();
  std::lock_guard<std::mutex> lock(d.Mutex);
  d.FileName.clear();
  d.InMemory = true;
  d.Memory = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
  d.Forget();
  d.Retired.clear();
}

bool TCPDb::Open() {
  Impl& d = Self();
  std::lock_guard<std::mutex> lock(d.Mutex);
  std::string why;
  const bool ok = d.OpenLocked(OpenMode, why);
  if (ok)
    d.LastError.clear();
  else
    d.LastError = std::move(why);
  return ok;
}

int TCPDb::RecordCount() {
  Open();
  std::lock_guard<std::mutex> lock(D_->Mutex);
  return static_cast<int>(D_->Table->Entries.size());
}

int TCPDb::RecordType(int index) {
  Open();
  std::lock_guard<std::mutex> lock(D_->Mutex);
  const auto& entries = D_->Table->Entries;
  if (index < 0 || index >= static_cast<int>(entries.size())) return 0;
  return entries[static_cast<size_t>(index)].Type;
}

std::string TCPDb::RecordKey(int index) {
  Open();
  std::lock_guard<std::mutex> lock(D_->Mutex);
  const auto& entries = D_->Table->Entries;
  if (index < 0 || index >= static_cast<int>(entries.size())) return "[invalid-record-#]";
  return entries[static_cast<size_t>(index)].Key;
}

int TCPDb::IndexOf(std::string_view key) {
  Open();
  std::lock_guard<std::mutex> lock(D_->Mutex);
  return D_->Table->Find(key);
}

const std::vector<TCPDbEntry>& TCPDb::Entries() {
  Open();
  std::lock_guard<std::mutex> lock(D_->Mutex);
  return D_->Table->Entries;
}

void TCPDb::SetKey(const uint8_t* bytes, int length) {
  Impl& d = Self();
  std::lock_guard<std::mutex> lock(d.Mutex);
  d.Cipher.reset();
  std::memset(d.Key, 0, sizeof(d.Key));
  if (length <= 0 || !bytes) {
    d.KeyLength = 0;
    return;
  }
  d.KeyLength = std::min(length, kMaxKeyLength);
  std::memcpy(d.Key, bytes, static_cast<size_t>(d.KeyLength));
}

int TCPDb::KeyLength() const { return D_ ? D_->KeyLength : 0; }

const std::string& TCPDb::LastError() const {
  static const std::string none;
  return D_ ? D_->LastError : none;
}

bool TCPDb::ReadRecord(std::string_view key, std::vector<uint8_t>& stream) {
  Impl& d = Self();
  std::string why;
  bool ok = false;
  if (!d.TakeAhead(key, OpenMode, stream, ok, why)) ok = d.Read(key, OpenMode, stream, why, true);
  std::lock_guard<std::mutex> lock(d.Mutex);
  if (ok)
    d.LastError.clear();
  else
    d.LastError = std::move(why);
  return ok;
}

bool TCPDb::ReadRecordConcurrently(std::string_view key, std::vector<uint8_t>& stream, std::string* why) {
  std::string reason;
  const bool ok = Self().Read(key, OpenMode, stream, reason, false);
  if (why) *why = std::move(reason);
  return ok;
}

bool TCPDb::ReadRecordStart(std::string_view key, size_t count, std::vector<uint8_t>& out, std::string* why) {
  std::string reason;
  const bool ok = Self().ReadStart(key, OpenMode, count, out, reason);
  if (why) *why = std::move(reason);
  return ok;
}

void TCPDb::ReadAhead(const std::vector<std::string>& keys) {
  Impl& d = Self();
  std::thread finished;
  {
    std::lock_guard<std::mutex> lock(d.Mutex);
    for (const std::string& key : keys) {
      std::string lower = LowerKey(key);
      if (d.AheadRecords.count(lower)) continue;
      d.AheadRecords[lower].Key = key;
      d.AheadQueue.push_back(std::move(lower));
    }
    if (d.AheadRunning || d.AheadQueue.empty()) return;
    finished = std::move(d.AheadThread);  // a helper that ran out of work
    d.AheadRunning = true;
  }
  if (finished.joinable()) finished.join();
  const TOpenMode mode = OpenMode;
  try {
    std::thread helper([&d, mode] { d.ReadAheadLoop(mode); });
    std::lock_guard<std::mutex> lock(d.Mutex);
    d.AheadThread = std::move(helper);
  } catch (const std::system_error&) {
    // No thread to be had: every record is read when it is asked for.
    std::lock_guard<std::mutex> lock(d.Mutex);
    d.AheadQueue.clear();
    d.AheadRecords.clear();
    d.AheadRunning = false;
  }
}
