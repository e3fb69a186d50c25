// The data archive: reader, writer, cipher and the game's key.
#include <gtest/gtest.h>
#include <zlib.h>
#include <nettle/md5.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include <unistd.h>

#include "engine/archive/ArchiveKey.h"
#include "engine/archive/Blowfish.h"
#include "engine/archive/CPDb.h"
#include "engine/archive/CPDbWriter.h"

namespace fs = std::filesystem;

namespace {

// Offsets of the first record's header fields in a writer-made archive.
constexpr size_t kFirst = 12;
constexpr size_t kOriginalAt = kFirst + 2, kStoredAt = kFirst + 6, kDigestAt = kFirst + 18;
constexpr size_t kDataAt = kFirst + 44;

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<uint8_t> Noise(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> out(size);
  for (auto& b : out) b = static_cast<uint8_t>(random() % 7);  // compressible, but not trivially
  return out;
}

uint32_t GetU32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::vector<uint8_t> Build(TCPDbWriter& writer) {
  std::vector<uint8_t> out;
  std::string error;
  EXPECT_TRUE(writer.Serialize(out, &error)) << error;
  return out;
}

// One plain record "a" holding text: the layout the hostile cases patch.
std::vector<uint8_t> OnePlainRecord(const std::string& text = "hello, archive") {
  TCPDbWriter writer;
  writer.Add("a", 2, Bytes(text), false);
  return Build(writer);
}

TCPDb FromMemory(std::vector<uint8_t> bytes, const std::vector<uint8_t>& key = {}) {
  TCPDb archive;
  archive.OpenMode = TCPDb::opReadOnly;
  archive.SetFileData(std::move(bytes));
  archive.SetKey(key.data(), static_cast<int>(key.size()));
  return archive;
}

// True when the read fails and leaves the stream exactly as it was.
bool FailsCleanly(TCPDb& archive, const std::string& key) {
  std::vector<uint8_t> stream = {9, 8, 7};
  return !archive.ReadRecord(key, stream) && stream == std::vector<uint8_t>{9, 8, 7};
}

class ArchiveFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("grovewright-archive-" + std::to_string(getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }
  std::string Path(const std::string& name) const { return (Dir / name).string(); }
  static std::vector<uint8_t> Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void Spit(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  fs::path Dir;
};

}  // namespace

// ---- Cipher -------------------------------------------------------------------

TEST(ArchiveBlowfish, CbcMatchesTheStandardVectorAndLeavesTheTailPlain) {
  const uint8_t key[16] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                           0xF0, 0xE1, 0xD2, 0xC3, 0xB4, 0xA5, 0x96, 0x87};
  const uint32_t iv[2] = {0xFEDCBA98, 0x76543210};
  const std::string plain = "7654321 Now is the time for ";  // 28 bytes: three blocks and a 4-byte tail
  const uint8_t expected[24] = {0x6B, 0x77, 0xB4, 0xD6, 0x30, 0x06, 0xDE, 0xE6, 0x05, 0xB1, 0x56, 0xE2,
                                0x74, 0x03, 0x97, 0x93, 0x58, 0xDE, 0xB9, 0xE7, 0x15, 0x46, 0x16, 0xD9};
  std::vector<uint8_t> data = Bytes(plain);
  TBlowfish cipher(key, sizeof(key));
  cipher.EncryptCbc(data.data(), data.size(), iv);
  EXPECT_EQ(0, std::memcmp(data.data(), expected, sizeof(expected)));
  EXPECT_EQ("for ", std::string(data.begin() + 24, data.end()));
  cipher.DecryptCbc(data.data(), data.size(), iv);
  EXPECT_EQ(plain, std::string(data.begin(), data.end()));

  // Longer than the decryption's internal run, so the chaining across runs counts.
  std::vector<uint8_t> big = Noise(10000 + 5, 3), copy = big;
  cipher.EncryptCbc(big.data(), big.size(), iv);
  EXPECT_NE(copy, big);
  cipher.DecryptCbc(big.data(), big.size(), iv);
  EXPECT_EQ(copy, big);
}

// ---- Table and look-ups ------------------------------------------------------

TEST(ArchiveReader, LooksUpKeysIgnoringCaseAndAnswersOutOfRangeIndices) {
  TCPDbWriter writer;
  writer.Add("Tab-Selection.image", 1, Bytes("one"), false);
  writer.Add("break-wood.ogg", 0, Bytes("two"), false);
  writer.Add("font-big", 3, Bytes("three"), false);
  TCPDb archive = FromMemory(Build(writer));

  ASSERT_EQ(3, archive.RecordCount());
  EXPECT_EQ(0, archive.IndexOf("tab-selection.IMAGE"));
  EXPECT_EQ(1, archive.IndexOf("BREAK-WOOD.OGG"));
  EXPECT_EQ(-1, archive.IndexOf("break-wood"));
  EXPECT_EQ(-1, archive.IndexOf(""));
  EXPECT_EQ("[invalid-record-#]", archive.RecordKey(-1));
  EXPECT_EQ("[invalid-record-#]", archive.RecordKey(3));
  EXPECT_EQ("font-big", archive.RecordKey(2));
  EXPECT_EQ(0, archive.RecordType(3));
  EXPECT_EQ(0, archive.RecordType(-1));
  EXPECT_EQ(1, archive.RecordType(0));
  EXPECT_EQ(3, archive.RecordType(2));

  std::vector<uint8_t> stream;
  ASSERT_TRUE(archive.ReadRecord("FONT-BIG", stream));
  EXPECT_EQ(Bytes("three"), stream);
  EXPECT_TRUE(FailsCleanly(archive, "missing"));
}

TEST(ArchiveReader, EmptyArchiveOpensWithoutVisitingItsTableOffset) {
  std::vector<uint8_t> bytes = {'C', 'P', 'D', 'b', 0, 0, 0, 0, 0xF0, 0xFF, 0xFF, 0x7F};
  TCPDb archive = FromMemory(bytes);
  EXPECT_TRUE(archive.Open());
  EXPECT_EQ(0, archive.RecordCount());
  EXPECT_TRUE(FailsCleanly(archive, "anything"));
}

TEST(ArchiveReader, SetKeyKeepsAtMost56BytesAndClearsOnZeroOrLess) {
  std::vector<uint8_t> longKey(60);
  for (size_t i = 0; i < longKey.size(); ++i) longKey[i] = static_cast<uint8_t>(i * 7 + 1);
  // Written with the first 56 bytes only.
  TCPDbWriter writer(std::vector<uint8_t>(longKey.begin(), longKey.begin() + 56));
  writer.Add("secret", 0, Noise(1000, 1), true);
  const std::vector<uint8_t> file = Build(writer);

  TCPDb archive = FromMemory(file);
  archive.SetKey(longKey.data(), 60);
  EXPECT_EQ(56, archive.KeyLength());
  std::vector<uint8_t> stream;
  EXPECT_TRUE(archive.ReadRecord("secret", stream));
  EXPECT_EQ(Noise(1000, 1), stream);

  // Bytes past the 56th make no difference.
  longKey[57] ^= 0xFF;
  archive.SetKey(longKey.data(), 60);
  stream.clear();
  EXPECT_TRUE(archive.ReadRecord("secret", stream));

  archive.SetKey(longKey.data(), 0);
  EXPECT_EQ(0, archive.KeyLength());
  EXPECT_TRUE(FailsCleanly(archive, "secret"));
  archive.SetKey(longKey.data(), -5);
  EXPECT_EQ(0, archive.KeyLength());
}

// ---- Round trips -------------------------------------------------------------

TEST(ArchiveReader, RoundTripsPlainAndEncryptedRecordsOfAwkwardSizes) {
  const std::vector<uint8_t> key = {'k', 'e', 'y'};
  TCPDbWriter writer(key);
  writer.Add("plain", 5, Noise(5000, 2), false, 45000.25);
  writer.Add("crypt", 6, Noise(5000, 2), true);
  writer.Add("empty", 7, {}, true);
  writer.Add("tiny", 8, Bytes("x"), true);
  writer.Add("big", 9, Noise(300000, 4), true);
  TCPDb archive = FromMemory(Build(writer), key);

  ASSERT_EQ(5, archive.RecordCount());
  const auto& entries = archive.Entries();
  EXPECT_EQ(45000.25, entries[0].Date);
  EXPECT_EQ(0, entries[0].Encrypted);
  EXPECT_NE(0, entries[1].Encrypted);
  // The case the cipher must get right: a stored tail shorter than one block.
  bool oddStored = false;
  for (const auto& e : entries) oddStored = oddStored || (e.Encrypted && e.StoredSize % 8 != 0);
  EXPECT_TRUE(oddStored);

  const std::vector<std::vector<uint8_t>> expected = {Noise(5000, 2), Noise(5000, 2), {}, Bytes("x"),
                                                      Noise(300000, 4)};
  for (int i = 0; i < 5; ++i) {
    std::vector<uint8_t> stream = {42};  // reads append to what is there
    ASSERT_TRUE(archive.ReadRecord(archive.RecordKey(i), stream)) << archive.RecordKey(i);
    ASSERT_EQ(expected[i].size() + 1, stream.size());
    EXPECT_EQ(42, stream[0]);
    EXPECT_TRUE(std::equal(expected[i].begin(), expected[i].end(), stream.begin() + 1)) << i;
    EXPECT_EQ(i + 5, archive.RecordType(i));
  }
}

TEST(ArchiveReader, EncryptedRecordsFailWithAWrongOrMissingKey) {
  TCPDbWriter writer(Bytes("right"));
  writer.Add("open", 0, Noise(2000, 5), false);
  writer.Add("sealed", 0, Noise(2000, 5), true);
  const std::vector<uint8_t> file = Build(writer);

  for (const std::vector<uint8_t>& key : {Bytes("wrong"), Bytes("righ"), std::vector<uint8_t>{}}) {
    TCPDb archive = FromMemory(file, key);
    EXPECT_TRUE(FailsCleanly(archive, "sealed"));
    std::vector<uint8_t> stream;
    EXPECT_TRUE(archive.ReadRecord("open", stream));  // plain records need no key
  }
}

TEST(ArchiveReader, RejectsAnInflatedLengthOneByteOff) {
  const std::vector<uint8_t> good = OnePlainRecord();
  const uint32_t original = GetU32(good, kOriginalAt);
  for (uint32_t claimed : {original - 1, original + 1}) {
    std::vector<uint8_t> bad = good;
    PutU32(bad, kOriginalAt, claimed);
    TCPDb archive = FromMemory(bad);
    EXPECT_TRUE(FailsCleanly(archive, "a")) << claimed;
  }
  TCPDb archive = FromMemory(good);
  std::vector<uint8_t> stream;
  EXPECT_TRUE(archive.ReadRecord("a", stream));
}

TEST(ArchiveReader, RejectsBytesAlteredAfterTheirDigestWasTaken) {
  // Same length, different contents: only the digest can tell.
  std::vector<uint8_t> bad = OnePlainRecord("hello, archive");
  const std::vector<uint8_t> other = OnePlainRecord("hello, ARCHIVE");
  ASSERT_EQ(bad.size(), other.size());
  std::memcpy(bad.data() + kDigestAt, other.data() + kDigestAt, 16);
  TCPDb archive = FromMemory(bad);
  EXPECT_TRUE(FailsCleanly(archive, "a"));

  // A flipped stored byte fails at inflation or at the digest.
  std::vector<uint8_t> flipped = OnePlainRecord();
  flipped[kDataAt + 5] ^= 0x40;
  TCPDb second = FromMemory(flipped);
  EXPECT_TRUE(FailsCleanly(second, "a"));
}

TEST(ArchiveReader, LargeRecordsPassAndFailExactlyLikeSmallOnes) {
  // Past a megabyte, records are unpacked by two threads: the same checks must hold.
  const std::vector<uint8_t> key = Bytes("key");
  std::vector<uint8_t> big(1300000);  // random bytes: little to compress, so quick to pack
  std::mt19937 random(13);
  for (auto& b : big) b = static_cast<uint8_t>(random());
  for (bool encrypt : {true, false}) {
    TCPDbWriter writer(key);
    writer.Add("a", 0, big, encrypt);
    const std::vector<uint8_t> good = Build(writer);
    TCPDb archive = FromMemory(good, key);
    std::vector<uint8_t> stream = {1};
    ASSERT_TRUE(archive.ReadRecord("a", stream)) << encrypt;
    ASSERT_EQ(big.size() + 1, stream.size());
    EXPECT_TRUE(std::equal(big.begin(), big.end(), stream.begin() + 1));

    const uint32_t original = GetU32(good, kOriginalAt), stored = GetU32(good, kStoredAt);
    std::vector<uint8_t> bad = good;
    PutU32(bad, kOriginalAt, original - 1);
    TCPDb shortOne = FromMemory(bad, key);
    EXPECT_TRUE(FailsCleanly(shortOne, "a")) << encrypt;
    PutU32(bad, kOriginalAt, original + 1);
    TCPDb longOne = FromMemory(bad, key);
    EXPECT_TRUE(FailsCleanly(longOne, "a")) << encrypt;
    bad = good;
    PutU32(bad, kStoredAt, stored - 1000);  // the stream is cut short
    TCPDb cut = FromMemory(bad, key);
    EXPECT_TRUE(FailsCleanly(cut, "a")) << encrypt;
    bad = good;
    bad[kDigestAt + 15] ^= 1;
    TCPDb altered = FromMemory(bad, key);
    EXPECT_TRUE(FailsCleanly(altered, "a")) << encrypt;
    if (encrypt) {
      TCPDb wrong = FromMemory(good, Bytes("kez"));
      EXPECT_TRUE(FailsCleanly(wrong, "a"));
    }
  }
}

// ---- Open modes and files ----------------------------------------------------

TEST_F(ArchiveFiles, OverwriteModeReplacesTheFileWithAnEmptyArchive) {
  TCPDbWriter writer;
  writer.Add("a", 1, Bytes("data"), false);
  ASSERT_TRUE(writer.Save(Path("x.cpdb")));

  TCPDb archive;
  archive.SetFileName(Path("x.cpdb"));
  archive.OpenMode = TCPDb::opOverwrite;
  ASSERT_TRUE(archive.Open());
  EXPECT_EQ(0, archive.RecordCount());
  EXPECT_EQ((std::vector<uint8_t>{'C', 'P', 'D', 'b', 0, 0, 0, 0, 12, 0, 0, 0}), Slurp(Path("x.cpdb")));
}

TEST_F(ArchiveFiles, SavingNeverFollowsAFileLeftAtTheTemporaryName) {
  // A link planted where a fixed temporary name would be must not be
  // written through: the file it points at stays as it was.
  Spit(Path("outside"), Bytes("keep"));
  fs::create_symlink(Path("outside"), Path("x.cpdb.tmp"));
  TCPDbWriter writer;
  writer.Add("a", 1, Bytes("data"), false);
  ASSERT_TRUE(writer.Save(Path("x.cpdb")));
  EXPECT_EQ(Bytes("keep"), Slurp(Path("outside")));
  TCPDb archive;
  archive.SetFileName(Path("x.cpdb"));
  EXPECT_EQ(1, archive.RecordCount());
  int files = 0;
  for (const auto& entry : fs::directory_iterator(Path(""))) files += entry.path().filename().string().starts_with("x.cpdb");
  EXPECT_EQ(files, 2) << "the archive and the planted link, nothing more";
}

TEST_F(ArchiveFiles, UpdateModeCreatesAMissingFileAndReadsAnExistingOne) {
  TCPDb archive;
  archive.SetFileName(Path("new.cpdb"));
  ASSERT_TRUE(archive.Open());  // opUpdate is the default
  EXPECT_EQ(12u, fs::file_size(Path("new.cpdb")));

  TCPDbWriter writer;
  writer.Add("a", 1, Bytes("data"), false);
  ASSERT_TRUE(writer.Save(Path("old.cpdb")));
  archive.SetFileName(Path("old.cpdb"));
  EXPECT_EQ(1, archive.RecordCount());

  // An existing but unreadable archive is not recreated: it stays as it is.
  Spit(Path("broken.cpdb"), {'C', 'P', 'D', 'b', 1, 0});
  archive.SetFileName(Path("broken.cpdb"));
  EXPECT_FALSE(archive.Open());
  EXPECT_EQ(6u, fs::file_size(Path("broken.cpdb")));
}

TEST_F(ArchiveFiles, ReadOnlyOpenFailsForMissingFilesAndIsRetriedLater) {
  TCPDb archive;
  archive.OpenMode = TCPDb::opReadOnly;
  archive.SetFileName(Path("later.cpdb"));
  EXPECT_FALSE(archive.Open());
  EXPECT_EQ(0, archive.RecordCount());
  EXPECT_FALSE(fs::exists(Path("later.cpdb")));
  EXPECT_TRUE(FailsCleanly(archive, "a"));

  TCPDbWriter writer;
  writer.Add("a", 1, Bytes("data"), false);
  ASSERT_TRUE(writer.Save(Path("later.cpdb")));
  EXPECT_TRUE(archive.Open());
  EXPECT_EQ(1, archive.RecordCount());

  archive.SetFileName(Dir.string());  // a folder is not an archive
  EXPECT_FALSE(archive.Open());
}

TEST_F(ArchiveFiles, EveryReadSeesTheFileAsItIsNow) {
  // Same key, same lengths, different bytes: the table is unchanged, the data not.
  TCPDbWriter first, second;
  first.Add("a", 1, Bytes("aaaaaaaa"), false);
  second.Add("a", 1, Bytes("bbbbbbbb"), false);
  ASSERT_TRUE(first.Save(Path("x.cpdb")));

  TCPDb archive;
  archive.OpenMode = TCPDb::opReadOnly;
  archive.SetFileName(Path("x.cpdb"));
  std::vector<uint8_t> stream;
  ASSERT_TRUE(archive.ReadRecord("a", stream));
  EXPECT_EQ(Bytes("aaaaaaaa"), stream);

  ASSERT_TRUE(second.Save(Path("x.cpdb")));
  stream.clear();
  ASSERT_TRUE(archive.ReadRecord("a", stream));
  EXPECT_EQ(Bytes("bbbbbbbb"), stream);

  // A different table is read afresh too.
  TCPDbWriter third;
  third.Add("other", 1, Bytes("c"), false);
  third.Add("a", 1, Bytes("ccc"), false);
  ASSERT_TRUE(third.Save(Path("x.cpdb")));
  stream.clear();
  ASSERT_TRUE(archive.ReadRecord("a", stream));
  EXPECT_EQ(Bytes("ccc"), stream);
  EXPECT_EQ(2, archive.RecordCount());

  fs::remove(Path("x.cpdb"));
  EXPECT_TRUE(FailsCleanly(archive, "a"));
}

// ---- Hostile files -------------------------------------------------------------

TEST(ArchiveHostile, ImpossibleCountsLengthsAndOffsetsFailToOpen) {
  const std::vector<uint8_t> good = OnePlainRecord();
  const size_t table = GetU32(good, 8);
  struct Case {
    const char* What;
    size_t At;
    uint32_t Value;
  };
  const Case cases[] = {
      {"huge count", 4, 0x7FFFFFFF},
      {"negative count", 4, 0xFFFFFFFF},
      {"count one too many", 4, 2},
      {"table offset past the end", 8, static_cast<uint32_t>(good.size() + 1)},
      {"table offset far past the end", 8, 0xFFFFFFF0},
      {"negative key length", table, 0x80000000},
      {"key length -1", table, 0xFFFFFFFF},
      {"key length past the end", table, 0x7FFFFFFF},
      {"header offset past the end", table + 5, static_cast<uint32_t>(good.size())},
      {"header offset far past the end", table + 5, 0xFFFFFFFF},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bad = good;
    PutU32(bad, c.At, c.Value);
    TCPDb archive = FromMemory(bad);
    EXPECT_FALSE(archive.Open()) << c.What;
    EXPECT_EQ(0, archive.RecordCount()) << c.What;
    EXPECT_TRUE(FailsCleanly(archive, "a")) << c.What;
  }
}

TEST(ArchiveHostile, ATableThatPointsIntoItselfOpensButItsRecordsFail) {
  std::vector<uint8_t> bad = OnePlainRecord();
  const uint32_t table = GetU32(bad, 8);
  PutU32(bad, table + 5, table);  // the record's header is the table itself
  bad.resize(bad.size() + 44, 0);  // so that the 44-byte header is readable
  TCPDb archive = FromMemory(bad);
  EXPECT_TRUE(archive.Open());
  EXPECT_TRUE(FailsCleanly(archive, "a"));

  // The table placed over the file header: the count reads as a key length.
  std::vector<uint8_t> self = OnePlainRecord();
  PutU32(self, 8, 0);
  TCPDb second = FromMemory(self);
  second.Open();
  EXPECT_TRUE(FailsCleanly(second, "a"));
}

TEST(ArchiveHostile, SizesBeyondTheFileOrBeyondAnyCompressionAreRefused) {
  const std::vector<uint8_t> good = OnePlainRecord();
  struct Case {
    const char* What;
    size_t At;
    uint32_t Value;
  };
  const Case cases[] = {
      {"stored size past the end", kStoredAt, static_cast<uint32_t>(good.size())},
      {"stored size 4 GiB", kStoredAt, 0xFFFFFFFF},
      {"stored size 0", kStoredAt, 0},
      {"original size 4 GiB", kOriginalAt, 0xFFFFFFFF},
      {"original size past the cap", kOriginalAt, TCPDb::kMaxOriginalSize + 1},
      {"original size past deflate's ratio", kOriginalAt, 1033 * GetU32(good, kStoredAt)},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bad = good;
    PutU32(bad, c.At, c.Value);
    TCPDb archive = FromMemory(bad);
    EXPECT_TRUE(archive.Open()) << c.What;
    EXPECT_TRUE(FailsCleanly(archive, "a")) << c.What;
  }
}

TEST(ArchiveHostile, ARecordThatInflatesFarPastItsSizeStopsEarly) {
  // 16 MiB of zeros packed into a record that claims 1000 bytes.
  const std::vector<uint8_t> zeros(16u << 20, 0);
  uLongf packedSize = compressBound(zeros.size());
  std::vector<uint8_t> packed(packedSize);
  ASSERT_EQ(Z_OK, compress2(packed.data(), &packedSize, zeros.data(), zeros.size(), 9));
  packed.resize(packedSize);

  std::vector<uint8_t> file = OnePlainRecord();
  const uint32_t oldStored = GetU32(file, kStoredAt);
  std::vector<uint8_t> bomb(file.begin(), file.begin() + kDataAt);
  PutU32(bomb, kStoredAt, static_cast<uint32_t>(packed.size()));
  PutU32(bomb, kOriginalAt, 1000);
  bomb.insert(bomb.end(), packed.begin(), packed.end());
  bomb.insert(bomb.end(), file.begin() + kDataAt + oldStored, file.end());
  PutU32(bomb, 8, static_cast<uint32_t>(GetU32(file, 8) + packed.size() - oldStored));

  TCPDb archive = FromMemory(bomb);
  ASSERT_EQ(1, archive.RecordCount());
  EXPECT_TRUE(FailsCleanly(archive, "a"));
}

TEST(ArchiveHostile, EveryTruncationOfAValidArchiveIsSafe) {
  TCPDbWriter writer(Bytes("key"));
  writer.Add("first", 1, Noise(300, 6), true);
  writer.Add("second", 2, Noise(40, 7), false);
  const std::vector<uint8_t> good = Build(writer);
  for (size_t length = 0; length < good.size(); ++length) {
    TCPDb archive = FromMemory(std::vector<uint8_t>(good.begin(), good.begin() + length), Bytes("key"));
    // The table sits at the end: any cut loses it.
    EXPECT_FALSE(archive.Open()) << length;
    EXPECT_TRUE(FailsCleanly(archive, "first")) << length;
  }
}

// ---- Writer -------------------------------------------------------------------

TEST(ArchiveWriter, KeepsOrderReplacesByKeyIgnoringCaseAndRemoves) {
  TCPDbWriter writer;
  writer.Add("one", 1, Bytes("1"), false);
  writer.Add("two", 1, Bytes("2"), false);
  writer.Add("three", 1, Bytes("3"), false);
  writer.Add("TWO", 4, Bytes("22"), false);
  EXPECT_EQ(3u, writer.Count());
  EXPECT_TRUE(writer.Remove("ONE"));
  EXPECT_FALSE(writer.Remove("one"));
  writer.Add("four", 1, Bytes("4"), false);

  TCPDb archive = FromMemory(Build(writer));
  ASSERT_EQ(3, archive.RecordCount());
  EXPECT_EQ("TWO", archive.RecordKey(0));
  EXPECT_EQ(4, archive.RecordType(0));
  EXPECT_EQ("three", archive.RecordKey(1));
  EXPECT_EQ("four", archive.RecordKey(2));
  std::vector<uint8_t> stream;
  ASSERT_TRUE(archive.ReadRecord("two", stream));
  EXPECT_EQ(Bytes("22"), stream);
}

TEST_F(ArchiveFiles, SavingIsDeterministicAndLeavesNoTemporaryFile) {
  auto make = [](TCPDbWriter& w) {
    w.Add("b.image", 1, Noise(4000, 8), true, 44000.5);
    w.Add("a.ogg", 0, Noise(100, 9), false);
  };
  TCPDbWriter first(GameArchiveKey()), second(GameArchiveKey());
  make(first);
  make(second);
  ASSERT_TRUE(first.Save(Path("sub/dir/one.cpdb")));  // folders are created
  ASSERT_TRUE(second.Save(Path("two.cpdb")));
  EXPECT_EQ(Slurp(Path("sub/dir/one.cpdb")), Slurp(Path("two.cpdb")));
  EXPECT_FALSE(fs::exists(Path("two.cpdb.tmp")));

  const std::vector<uint8_t> bytes = Slurp(Path("two.cpdb"));
  EXPECT_EQ(0, std::memcmp(bytes.data(), "CPDb", 4));
  EXPECT_EQ(2u, GetU32(bytes, 4));

  // Records with the same contents under different names get different IVs.
  TCPDbWriter twins(Bytes("k"));
  twins.Add("x", 0, Noise(64, 1), true);
  twins.Add("y", 0, Noise(64, 1), true);
  TCPDb archive = FromMemory(Build(twins));
  EXPECT_NE(archive.Entries()[0].IV[0], archive.Entries()[1].IV[0]);
}

TEST_F(ArchiveFiles, EncryptingWithoutAKeyIsAnErrorNotAPlainRecord) {
  TCPDbWriter writer;
  writer.Add("secret", 0, Bytes("data"), true);
  std::string error;
  EXPECT_FALSE(writer.Save(Path("x.cpdb"), &error));
  EXPECT_NE(std::string::npos, error.find("secret")) << error;
  EXPECT_FALSE(fs::exists(Path("x.cpdb")));
  EXPECT_FALSE(fs::exists(Path("x.cpdb.tmp")));

  TCPDbWriter fine;
  EXPECT_FALSE(fine.Save(Dir.string(), &error));  // a folder cannot be replaced by a file
  EXPECT_FALSE(error.empty());
}

TEST_F(ArchiveFiles, LoadExistingExtendsAnArchiveKeepingItsRecords) {
  TCPDbWriter writer(Bytes("key"));
  writer.Add("a", 1, Noise(500, 10), true, 123.5);
  writer.Add("b", 2, Noise(50, 11), false);
  ASSERT_TRUE(writer.Save(Path("x.cpdb")));

  TCPDb source;
  source.OpenMode = TCPDb::opReadOnly;
  source.SetFileName(Path("x.cpdb"));
  source.SetKey(Bytes("key").data(), 3);
  TCPDbWriter extended(Bytes("key"));
  ASSERT_TRUE(extended.LoadExisting(source));
  extended.Add("c", 3, Bytes("new"), true);
  ASSERT_TRUE(extended.Save(Path("x.cpdb")));

  TCPDb archive = FromMemory(Slurp(Path("x.cpdb")), Bytes("key"));
  ASSERT_EQ(3, archive.RecordCount());
  EXPECT_EQ(123.5, archive.Entries()[0].Date);
  EXPECT_NE(0, archive.Entries()[0].Encrypted);
  EXPECT_EQ(0, archive.Entries()[1].Encrypted);
  std::vector<uint8_t> stream;
  ASSERT_TRUE(archive.ReadRecord("a", stream));
  EXPECT_EQ(Noise(500, 10), stream);

  // With the wrong key nothing is loaded.
  source.SetKey(Bytes("bad").data(), 3);
  TCPDbWriter refused(Bytes("key"));
  EXPECT_FALSE(refused.LoadExisting(source));
  EXPECT_EQ(0u, refused.Count());
}

// ---- The game's key ------------------------------------------------------------

TEST(ArchiveKey, BothArchivesGetTheSevenByteKeyTheToolsWriteWith) {
  const std::vector<uint8_t> key = GameArchiveKey();
  ASSERT_EQ(7u, key.size());
  EXPECT_EQ(7, kGameArchiveKey[0]);

  TCPDbWriter writer(key);
  writer.Add("sound.ogg", 0, Noise(777, 12), true);
  const std::vector<uint8_t> file = Build(writer);
  TCPDb a = FromMemory(file), b = FromMemory(file);
  ApplyGameArchiveKey(a, b);
  EXPECT_EQ(7, a.KeyLength());
  EXPECT_EQ(7, b.KeyLength());
  std::vector<uint8_t> fromA, fromB;
  EXPECT_TRUE(a.ReadRecord("sound.ogg", fromA));
  EXPECT_TRUE(b.ReadRecord("sound.ogg", fromB));
  EXPECT_EQ(Noise(777, 12), fromA);
  EXPECT_EQ(fromA, fromB);
}
