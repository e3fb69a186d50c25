// The archive reads its table once and keeps its file open: what it must
// still notice (a file saved over it, rewritten in place, removed), reads
// from several threads at once, records read ahead, and the start of a record
// read without the rest.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "engine/archive/CPDb.h"
#include "engine/archive/CPDbWriter.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<uint8_t> Noise(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> out(size);
  for (auto& b : out) b = static_cast<uint8_t>(random() % 11);
  return out;
}

const std::vector<uint8_t> kKey = Bytes("Arvanel");

class ArchiveIndex : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("grovewright-index-" + std::to_string(getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    Archive.OpenMode = TCPDb::opReadOnly;
    Archive.SetKey(kKey.data(), static_cast<int>(kKey.size()));
  }
  void TearDown() override { fs::remove_all(Dir); }
  std::string Path(const std::string& name) const { return (Dir / name).string(); }

  // Saves records (key -> bytes, encrypted) as x.cpdb, the way the tools do:
  // a new file renamed over the old one.
  void Save(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& records) {
    TCPDbWriter writer(kKey);
    for (const auto& [key, bytes] : records) writer.Add(key, 2, bytes, true);
    ASSERT_TRUE(writer.Save(Path("x.cpdb")));
  }
  std::vector<uint8_t> Read(const std::string& key) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(Archive.ReadRecord(key, out)) << key << ": " << Archive.LastError();
    return out;
  }

  fs::path Dir;
  TCPDb Archive;
};

}  // namespace

TEST_F(ArchiveIndex, AFileSavedOverOrRewrittenInPlaceIsReadAsItIsNow) {
  Save({{"a.image", Bytes("first a")}, {"b.image", Bytes("first b")}});
  Archive.SetFileName(Path("x.cpdb"));
  EXPECT_EQ(Read("A.IMAGE"), Bytes("first a"));
  const std::vector<TCPDbEntry>& oldTable = Archive.Entries();
  ASSERT_EQ(oldTable.size(), 2u);

  // Saved over with another table: new keys are found, old ones are gone.
  Save({{"c.image", Bytes("third c")}, {"b.image", Bytes("second b")}, {"a.image", Bytes("second a")}});
  EXPECT_EQ(Read("b.image"), Bytes("second b"));
  EXPECT_EQ(Read("c.image"), Bytes("third c"));
  EXPECT_EQ(Archive.RecordCount(), 3);
  EXPECT_EQ(Archive.IndexOf("a.image"), 2);
  // A table handed out before stays readable.
  EXPECT_EQ(oldTable[0].Key, "a.image");

  // Rewritten in place, same size and table, other bytes: the file's times
  // tell it apart.
  const std::vector<uint8_t> before = [&] {
    std::ifstream in(Path("x.cpdb"), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }();
  Save({{"c.image", Bytes("THIRD C")}, {"b.image", Bytes("SECOND b")}, {"a.image", Bytes("SECOND a")}});
  std::vector<uint8_t> after;
  {
    std::ifstream in(Path("x.cpdb"), std::ios::binary);
    after.assign(std::istreambuf_iterator<char>(in), {});
  }
  ASSERT_EQ(before.size(), after.size());
  fs::rename(Path("x.cpdb"), Path("y.cpdb"));
  {
    std::ofstream out(Path("x.cpdb"), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(before.data()), static_cast<std::streamsize>(before.size()));
  }
  EXPECT_EQ(Read("c.image"), Bytes("third c"));
  {
    std::fstream out(Path("x.cpdb"), std::ios::binary | std::ios::in | std::ios::out);
    out.write(reinterpret_cast<const char*>(after.data()), static_cast<std::streamsize>(after.size()));
  }
  EXPECT_EQ(Read("c.image"), Bytes("THIRD C"));

  // Removed: reads fail cleanly, and it is found again when it is back.
  fs::remove(Path("x.cpdb"));
  std::vector<uint8_t> stream = {7};
  EXPECT_FALSE(Archive.ReadRecord("c.image", stream));
  EXPECT_EQ(stream, std::vector<uint8_t>{7});
  fs::rename(Path("y.cpdb"), Path("x.cpdb"));
  EXPECT_EQ(Read("a.image"), Bytes("SECOND a"));
}

TEST_F(ArchiveIndex, ThreadsReadAtOnceWhatOneThreadReads) {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> records;
  for (int i = 0; i < 24; ++i) records.emplace_back("r" + std::to_string(i), Noise(1000 + i * 37777, i));
  records.emplace_back("big", Noise(3u << 20, 99));  // unpacked with a helper thread by ReadRecord
  Save(records);
  Archive.SetFileName(Path("x.cpdb"));
  ASSERT_TRUE(Archive.Open());

  std::vector<std::vector<uint8_t>> got(records.size());
  std::vector<std::string> errors(records.size());
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (size_t i = static_cast<size_t>(t); i < records.size(); i += 4)
        if (!Archive.ReadRecordConcurrently(records[i].first, got[i], &errors[i])) got[i].clear();
    });
  }
  // The game thread reads meanwhile too.
  EXPECT_EQ(Read("big"), records.back().second);
  for (auto& t : threads) t.join();
  for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(got[i], records[i].second) << records[i].first << errors[i];

  std::string why;
  std::vector<uint8_t> none;
  EXPECT_FALSE(Archive.ReadRecordConcurrently("absent", none, &why));
  EXPECT_NE(why.find("absent"), std::string::npos) << why;
  EXPECT_TRUE(Archive.LastError().empty()) << "concurrent reads leave LastError alone";
}

TEST_F(ArchiveIndex, RecordsReadAheadAreTheRecordsAndNeverStale) {
  Save({{"one", Noise(300000, 1)}, {"two", Noise(200000, 2)}, {"three", Bytes("3")}});
  Archive.SetFileName(Path("x.cpdb"));
  Archive.ReadAhead({"one", "TWO", "three", "missing"});
  // Asked for in another order, with other letter cases, appended to what
  // the stream holds.
  std::vector<uint8_t> stream = {42};
  ASSERT_TRUE(Archive.ReadRecord("three", stream));
  EXPECT_EQ(stream, (std::vector<uint8_t>{42, '3'}));
  EXPECT_EQ(Read("Two"), Noise(200000, 2));
  EXPECT_EQ(Read("one"), Noise(300000, 1));
  std::vector<uint8_t> none;
  EXPECT_FALSE(Archive.ReadRecord("missing", none));
  EXPECT_NE(Archive.LastError().find("missing"), std::string::npos) << Archive.LastError();

  // Read ahead, then the file is saved over: the new bytes are read.
  Archive.ReadAhead({"one"});
  Archive.ReadAhead({"one"});  // asking twice reads once
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  Save({{"one", Bytes("new one")}});
  EXPECT_EQ(Read("one"), Bytes("new one"));
  // A second read of a record read ahead reads it afresh.
  EXPECT_EQ(Read("one"), Bytes("new one"));

  // Records read ahead and never asked for go with a new file name.
  Archive.ReadAhead({"one"});
  Archive.SetFileName(Path("x.cpdb"));
  EXPECT_EQ(Read("one"), Bytes("new one"));
}

TEST_F(ArchiveIndex, TheStartOfARecordComesWithoutTheRest) {
  std::vector<uint8_t> big = Noise(500000, 5);
  Save({{"big", big}, {"tiny", Bytes("abc")}});
  Archive.SetFileName(Path("x.cpdb"));
  std::vector<uint8_t> start;
  ASSERT_TRUE(Archive.ReadRecordStart("big", 33, start));
  EXPECT_EQ(start, std::vector<uint8_t>(big.begin(), big.begin() + 33));
  ASSERT_TRUE(Archive.ReadRecordStart("tiny", 33, start));
  EXPECT_EQ(start, Bytes("abc"));

  // Damage far into the record: its start still reads (nothing checks it),
  // the whole record does not.
  std::vector<uint8_t> file;
  {
    std::ifstream in(Path("x.cpdb"), std::ios::binary);
    file.assign(std::istreambuf_iterator<char>(in), {});
  }
  const size_t stored = file[12 + 6] | file[12 + 7] << 8 | file[12 + 8] << 16;
  file[12 + 44 + stored - 20] ^= 0x5A;
  TCPDb damaged;
  damaged.OpenMode = TCPDb::opReadOnly;
  damaged.SetKey(kKey.data(), static_cast<int>(kKey.size()));
  damaged.SetFileData(file);
  ASSERT_TRUE(damaged.ReadRecordStart("big", 33, start));
  EXPECT_EQ(start, std::vector<uint8_t>(big.begin(), big.begin() + 33));
  std::vector<uint8_t> whole;
  EXPECT_FALSE(damaged.ReadRecord("big", whole));
  EXPECT_TRUE(whole.empty());
  std::string why;
  EXPECT_FALSE(damaged.ReadRecordStart("absent", 33, start, &why));
  EXPECT_NE(why.find("absent"), std::string::npos);
}
