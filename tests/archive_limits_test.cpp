// What the archive and the image and font lists take from records that claim
// more than the game could ever need: the archive's total, the record table's
// size, the room an unpacked record takes while it inflates, and what one
// image or font may declare.
#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>
#include <random>

#include "engine/archive/CPDb.h"
#include "engine/archive/CPDbWriter.h"
#include "support/RenderFixtures.h"

namespace {

// Offsets inside a record header.
constexpr size_t kOriginalField = 2, kStoredField = 6;

void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::vector<uint8_t> Random(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> out(size);
  for (auto& b : out) b = static_cast<uint8_t>(random());
  return out;
}

std::vector<uint8_t> Serialize(const TCPDbWriter& writer) {
  std::vector<uint8_t> out;
  std::string error;
  EXPECT_TRUE(writer.Serialize(out, &error)) << error;
  return out;
}

TCPDb FromMemory(std::vector<uint8_t> bytes, const std::vector<uint8_t>& key = {}) {
  TCPDb archive;
  archive.OpenMode = TCPDb::opReadOnly;
  archive.SetFileData(std::move(bytes));
  archive.SetKey(key.data(), static_cast<int>(key.size()));
  return archive;
}

// The header offsets of an archive's records, in table order.
std::vector<uint32_t> HeaderOffsets(const std::vector<uint8_t>& bytes) {
  TCPDb archive = FromMemory(bytes);
  std::vector<uint32_t> offsets;
  for (const TCPDbEntry& e : archive.Entries()) offsets.push_back(e.HeaderOffset);
  return offsets;
}

// An archive of `count` records of incompressible bytes (so each stores about
// `stored` bytes), each header then made to claim `claimed` original bytes:
// within the per-record caps and deflate's ratio, but junk when unpacked.
std::vector<uint8_t> Claiming(int count, size_t stored, uint32_t claimed) {
  TCPDbWriter writer;
  for (int i = 0; i < count; ++i) writer.Add("r" + std::to_string(i), 1, Random(stored, 17 + i), false);
  std::vector<uint8_t> bytes = Serialize(writer);
  for (uint32_t at : HeaderOffsets(bytes)) PutU32(bytes, at + kOriginalField, claimed);
  return bytes;
}

#if defined(__SANITIZE_ADDRESS__)
#define GW_NO_ADDRESS_LIMIT 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GW_NO_ADDRESS_LIMIT 1
#endif
#endif

// Runs body with room for at most `headroom` more bytes of address space, so
// that a body that allocates more gets std::bad_alloc, and ends the process:
// exit code 0 when the body returned true without running out. For a death
// test, which runs it in a child process of its own.
template <typename Body>
[[noreturn]] void RunWithin(size_t headroom, Body body) {
  long pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + headroom;
  const rlimit r{limit, limit};
  ::setrlimit(RLIMIT_AS, &r);
  int code = 2;
  try {
    code = body() ? 0 : 1;
  } catch (const std::bad_alloc&) {
    code = 3;
  }
  ::_exit(code);
}

// An archive of one plain record "a" put together by hand: its header claims
// `original` bytes and holds `stored` as they are (under a digest of nothing).
std::vector<uint8_t> OneRecord(uint32_t original, const std::vector<uint8_t>& stored) {
  const size_t table = 12 + 44 + stored.size();
  std::vector<uint8_t> b(table + 9, 0);
  std::memcpy(b.data(), "CPDb", 4);
  PutU32(b, 4, 1);
  PutU32(b, 8, static_cast<uint32_t>(table));
  b[12] = 2;  // record type
  PutU32(b, 12 + kOriginalField, original);
  PutU32(b, 12 + kStoredField, static_cast<uint32_t>(stored.size()));
  std::copy(stored.begin(), stored.end(), b.begin() + 12 + 44);
  PutU32(b, table, 1);
  b[table + 4] = 'a';
  PutU32(b, table + 5, 12);
  return b;
}

// A renderer whose largest texture is 256 x 256.
class SmallTextures : public render_test::RecordingRenderer {
 public:
  int MaxTextureSize() const override { return 256; }
};

}  // namespace

// ---- The archive ----------------------------------------------------------------

TEST(ArchiveLimits, RecordsThatTogetherClaimTooMuchAreRefusedAtOpen) {
  // Three records of 100 KB that each claim 100 MB: every one within the
  // per-record cap and deflate's ratio, together more than the archive's cap.
  constexpr uint32_t kClaim = 100u << 20;
  TCPDb three = FromMemory(Claiming(3, 100 * 1024, kClaim));
  EXPECT_FALSE(three.Open());
  EXPECT_EQ(three.RecordCount(), 0);
  EXPECT_NE(three.LastError().find("MB"), std::string::npos) << three.LastError();

  // Two of them stay within it: the archive opens and the junk fails to read.
  TCPDb two = FromMemory(Claiming(2, 100 * 1024, kClaim));
  ASSERT_TRUE(two.Open()) << two.LastError();
  std::vector<uint8_t> stream = {1};
  EXPECT_FALSE(two.ReadRecord("r0", stream));
  EXPECT_EQ(stream, std::vector<uint8_t>{1});
  EXPECT_FALSE(two.LastError().empty());
}

TEST(ArchiveLimits, RecordsRuledOutByTheirOwnSizesDoNotCountTowardsTheTotal) {
  // A record that claims 4 GiB fails on its own; it does not close the archive.
  TCPDbWriter writer;
  writer.Add("fine", 2, {1, 2, 3}, false);
  writer.Add("liar", 2, Random(1000, 3), false);
  std::vector<uint8_t> bytes = Serialize(writer);
  PutU32(bytes, HeaderOffsets(bytes)[1] + kOriginalField, 0xFFFFFFFF);
  TCPDb archive = FromMemory(bytes);
  ASSERT_TRUE(archive.Open()) << archive.LastError();
  std::vector<uint8_t> out;
  EXPECT_TRUE(archive.ReadRecord("fine", out));
  EXPECT_FALSE(archive.ReadRecord("liar", out));
  EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 3}));

  // Nor does one that claims more stored bytes than deflate could need; its
  // stored bytes are not even read.
  std::vector<uint8_t> packed(200);
  uLongf packedSize = packed.size();
  const std::vector<uint8_t> original(100, 7);
  ASSERT_EQ(Z_OK, compress2(packed.data(), &packedSize, original.data(), original.size(), 9));
  packed.resize(packedSize);
  packed.resize(300, 0);  // a valid stream followed by junk
  TCPDb padded = FromMemory(OneRecord(100, packed));
  ASSERT_TRUE(padded.Open()) << padded.LastError();
  EXPECT_FALSE(padded.ReadRecord("a", out));
  EXPECT_NE(padded.LastError().find("claims sizes it cannot have"), std::string::npos) << padded.LastError();
}

TEST(ArchiveLimits, TablesBeyondTheirBoundsAreRefusedBeforeAnythingIsReserved) {
  // 70000 empty keys fit the bytes of the file, but no archive has that many.
  std::vector<uint8_t> many(12 + 70000 * 8 + 44, 0);
  std::memcpy(many.data(), "CPDb", 4);
  PutU32(many, 4, 70000);
  PutU32(many, 8, 12);
  TCPDb archive = FromMemory(many);
  EXPECT_FALSE(archive.Open());
  EXPECT_NE(archive.LastError().find("70000 records"), std::string::npos) << archive.LastError();

  // Nor any key of two thousand bytes.
  TCPDbWriter writer;
  writer.Add(std::string(2000, 'k'), 2, {1}, false);
  TCPDb longKey = FromMemory(Serialize(writer));
  EXPECT_FALSE(longKey.Open());
}

TEST(ArchiveLimits, AJunkRecordClaimingTheMostTakesRoomOnlyAsItInflates) {
#ifdef GW_NO_ADDRESS_LIMIT
  GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
#else
  // 260 KB of junk claiming the per-record cap: the reader once reserved the
  // whole 256 MB before inflating a byte. With 64 MB to spare it must fail cleanly.
  std::vector<uint8_t> bytes = Claiming(1, 260 * 1024, TCPDb::kMaxOriginalSize);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(RunWithin(96u << 20,
                        [&] {
                          TCPDb archive = FromMemory(bytes);
                          std::vector<uint8_t> stream;
                          return archive.Open() && !archive.ReadRecord("r0", stream) && stream.empty();
                        }),
              ::testing::ExitedWithCode(0), "");
#endif
}

TEST(ArchiveLimits, RecordsThatInflateFarBeyondTheirStoredSizeReadBackWhole) {
  // Zeros pack about a thousand to one, so the unpacking room grows many times
  // over, with the helper thread hashing behind zlib, encrypted or not.
  const std::vector<uint8_t> key = {'k', 'e', 'y'};
  std::vector<uint8_t> zeros(5u << 20, 0);
  zeros[12345] = 1;
  zeros.back() = 2;
  TCPDbWriter writer(key);
  writer.Add("plain", 2, zeros, false);
  writer.Add("secret", 2, zeros, true);
  TCPDb archive = FromMemory(Serialize(writer), key);
  for (const char* name : {"plain", "secret"}) {
    std::vector<uint8_t> out = {9};
    ASSERT_TRUE(archive.ReadRecord(name, out)) << name << ": " << archive.LastError();
    EXPECT_EQ(out.size(), zeros.size() + 1) << name;
    EXPECT_TRUE(std::equal(zeros.begin(), zeros.end(), out.begin() + 1)) << name;
  }
}

TEST(ArchiveLimits, ARecordThatInflatesPastASizeItCouldHaveStopsThere) {
  // 16 MiB of zeros claiming 8 MiB: plausible sizes, so it is inflated, and
  // the inflating stops one byte past the claim, in both the serial and the
  // threaded way.
  const std::vector<uint8_t> zeros(16u << 20, 0);
  uLongf packedSize = compressBound(zeros.size());
  std::vector<uint8_t> packed(packedSize);
  ASSERT_EQ(Z_OK, compress2(packed.data(), &packedSize, zeros.data(), zeros.size(), 9));
  packed.resize(packedSize);
  for (uint32_t claim : {uint32_t{8u << 20}, static_cast<uint32_t>(packed.size() + 100)}) {
    TCPDb archive = FromMemory(OneRecord(claim, packed));
    ASSERT_EQ(archive.RecordCount(), 1) << claim;
    std::vector<uint8_t> stream = {4};
    EXPECT_FALSE(archive.ReadRecord("a", stream)) << claim;
    EXPECT_EQ(stream, std::vector<uint8_t>{4}) << claim;
  }
}

// ---- Images and fonts -------------------------------------------------------------

TEST(ImageLimits, AnImageMayDeclareNoMoreThanOneOfTheLargestTextures) {
  render_test::RenderRig rig(std::make_unique<SmallTextures>());
  EXPECT_EQ(MaxImageTexels(&rig.BackEnd()), 256 * 256);
  EXPECT_EQ(MaxImageTexels(nullptr), kMaxImagePixels);
  EXPECT_EQ(MaxImageRecordBytes(&rig.BackEnd()), 33u + 256 * 256 * 4);

  // One texture of the largest size loads; two of them are refused.
  const auto fill = [](int, int, int) { return 0xFF204080u; };
  TCanopyImage one;
  one.SetRenderer(&rig.BackEnd());
  EXPECT_TRUE(one.LoadFromRecord(render_test::MakeRecord(256, 256, 1, 64, 64, 64, 64, fill))) << one.LastError();
  TCanopyImage two;
  two.SetRenderer(&rig.BackEnd());
  EXPECT_FALSE(two.LoadFromRecord(render_test::MakeRecord(256, 256, 2, 64, 64, 64, 64, fill)));
  EXPECT_NE(two.LastError().find("more than one image may hold"), std::string::npos) << two.LastError();
  EXPECT_TRUE(one.Ready());
  EXPECT_FALSE(two.Ready());
}

TEST(ImageLimits, TheListRefusesARecordThatClaimsTooMuchBeforeReadingIt) {
  render_test::RenderRig rig(std::make_unique<SmallTextures>());
  const auto fill = [](int t, int x, int y) { return 0xFF000000u | static_cast<uint32_t>(t * 77 + x + y); };
  TCPDbWriter writer;
  writer.Add("fits.image", 1, EncodeImageRecord(render_test::MakeRecord(256, 256, 1, 256, 256, 256, 256, fill)),
             false);
  writer.Add("large.image", 1,
             EncodeImageRecord(render_test::MakeRecord(256, 256, 2, 256, 256, 256, 256, fill)), false);
  writer.Add("Font00", 3,
             EncodeFontRecord({32, 0, std::vector<TGlyph>(2, TGlyph{8, 8}),
                               render_test::MakeRecord(256, 256, 2, 8, 8, 8, 8, fill)}),
             false);
  TCPDb archive = FromMemory(Serialize(writer));
  EXPECT_TRUE(rig.Images.LoadImage("fits.image", archive, aqHigh, alFull)) << rig.Images.LastError();
  EXPECT_FALSE(rig.Images.LoadImage("large.image", archive, aqHigh, alFull));
  EXPECT_NE(rig.Images.LastError().find("more than an image may hold"), std::string::npos)
      << rig.Images.LastError();
  EXPECT_EQ(rig.Images.Count(), 1);
  // The record was never read: the archive has nothing to say about it.
  EXPECT_TRUE(archive.LastError().empty()) << archive.LastError();
  // A font whose image is too large fails the same way.
  EXPECT_FALSE(rig.Fonts.LoadFromCPDb(archive));
}
