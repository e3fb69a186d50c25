// The cpdb tool, run as a program the way the build and developers run it.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/archive/ArchiveKey.h"
#include "engine/archive/CPDb.h"

namespace fs = std::filesystem;

namespace {

struct ToolRun {
  int Code = -1;
  std::string Output;  // standard output and standard error together
};

class CpdbTool : public ::testing::Test {
 protected:
  void SetUp() override {
    Tool = std::string(GW_BUILD_DIR) + "/cpdb";
    ASSERT_TRUE(fs::exists(Tool)) << "build the cpdb target first";
    Dir = fs::temp_directory_path() / ("grovewright-cpdb-" + std::to_string(getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }

  std::string Path(const std::string& name) const { return (Dir / name).string(); }

  static std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
  }

  ToolRun Cpdb(const std::vector<std::string>& args) const {
    std::string command = Quote(Tool);
    for (const auto& arg : args) command += " " + Quote(arg);
    command += " 2>&1";
    ToolRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) run.Output.append(buffer, n);
    const int status = pclose(pipe);
    run.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
  }

  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(Path(name), std::ios::binary) << text;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::string Tool;
  fs::path Dir;
};

}  // namespace

TEST_F(CpdbTool, BuildsListsExtractsAndVerifiesAnArchive) {
  const std::string archive = Path("Data/test.CPDB");
  fs::create_directories(Dir / "Data");
  Write("pic.bin", std::string(1000, 'p') + "tail");
  Write("song.ogg", "OggS not really a song, 37 bytes....");

  ASSERT_EQ(0, Cpdb({"create", archive}).Code);
  ASSERT_EQ(0, Cpdb({"add", archive, "pic.image", Path("pic.bin")}).Code);
  ASSERT_EQ(0, Cpdb({"add", archive, "song.ogg", Path("song.ogg"), "--plain", "--type", "7", "--date", "45000.5"}).Code);

  const ToolRun list = Cpdb({"list", archive});
  ASSERT_EQ(0, list.Code) << list.Output;
  EXPECT_NE(std::string::npos, list.Output.find("pic.image")) << list.Output;
  EXPECT_NE(std::string::npos, list.Output.find("2 record(s)")) << list.Output;

  // The game reads what the tool wrote, with the game's key.
  TCPDb reader;
  reader.OpenMode = TCPDb::opReadOnly;
  reader.SetFileName(archive);
  const auto key = GameArchiveKey();
  reader.SetKey(key.data(), static_cast<int>(key.size()));
  ASSERT_EQ(2, reader.RecordCount());
  EXPECT_EQ(1, reader.RecordType(0));  // *.image defaults to the image type
  EXPECT_NE(0, reader.Entries()[0].Encrypted);
  EXPECT_EQ(7, reader.RecordType(1));
  EXPECT_EQ(0, reader.Entries()[1].Encrypted);
  EXPECT_EQ(45000.5, reader.Entries()[1].Date);

  ASSERT_EQ(0, Cpdb({"extract", archive, "PIC.IMAGE", Path("out.bin")}).Code);
  EXPECT_EQ(Read("pic.bin"), Read("out.bin"));
  const ToolRun verify = Cpdb({"verify", archive});
  EXPECT_EQ(0, verify.Code) << verify.Output;

  // Replacing keeps the count; remove drops the record.
  Write("pic2.bin", "smaller");
  ASSERT_EQ(0, Cpdb({"add", archive, "Pic.Image", Path("pic2.bin")}).Code);
  ASSERT_EQ(0, Cpdb({"extract", archive, "pic.image", Path("out2.bin")}).Code);
  EXPECT_EQ("smaller", Read("out2.bin"));
  EXPECT_NE(std::string::npos, Cpdb({"list", archive}).Output.find("2 record(s)"));
  ASSERT_EQ(0, Cpdb({"remove", archive, "song.ogg"}).Code);
  EXPECT_NE(std::string::npos, Cpdb({"list", archive}).Output.find("1 record(s)"));
}

TEST_F(CpdbTool, OtherKeysAsTextOrHexAndWrongKeysFail) {
  const std::string archive = Path("k.cpdb");
  Write("src", std::string(300, 'z'));
  ASSERT_EQ(0, Cpdb({"add", archive, "r", Path("src"), "--key", "hex:4142434445"}).Code);  // "ABCDE"
  EXPECT_EQ(0, Cpdb({"extract", archive, "r", Path("out"), "--key", "ABCDE"}).Code);
  EXPECT_EQ(Read("src"), Read("out"));

  const ToolRun wrong = Cpdb({"extract", archive, "r", Path("bad"), "--key", "ABCDF"});
  EXPECT_NE(0, wrong.Code);
  EXPECT_FALSE(fs::exists(Path("bad")));
  const ToolRun verify = Cpdb({"verify", archive});  // the game's key is the default
  EXPECT_EQ(1, verify.Code);
  EXPECT_NE(std::string::npos, verify.Output.find("FAILED r")) << verify.Output;
  // Adding with the wrong key would lose the records it cannot read: refused.
  EXPECT_NE(0, Cpdb({"add", archive, "s", Path("src")}).Code);
  EXPECT_EQ(0, Cpdb({"verify", archive, "--key", "ABCDE"}).Code);

  EXPECT_NE(0, Cpdb({"add", archive, "s", Path("src"), "--key", "hex:41G"}).Code);
  EXPECT_NE(0, Cpdb({"add", archive, "s", Path("src"), "--key", ""}).Code);  // no key, no encryption
}

TEST_F(CpdbTool, DamagedArchivesAndBadCommandsGiveErrors) {
  const std::string archive = Path("d.cpdb");
  Write("src", std::string(5000, 'q'));
  ASSERT_EQ(0, Cpdb({"add", archive, "r", Path("src"), "--plain"}).Code);
  std::string bytes = Read("d.cpdb");
  bytes[60] = static_cast<char>(bytes[60] ^ 0x55);  // inside the stored data
  Write("d.cpdb", bytes);
  const ToolRun verify = Cpdb({"verify", archive});
  EXPECT_EQ(1, verify.Code);
  EXPECT_NE(std::string::npos, verify.Output.find("1 failed")) << verify.Output;

  Write("junk.cpdb", "not an archive");
  EXPECT_NE(0, Cpdb({"list", Path("junk.cpdb")}).Code);
  EXPECT_EQ(1, Cpdb({"verify", Path("missing.cpdb")}).Code);
  EXPECT_NE(0, Cpdb({"extract", Path("missing.cpdb"), "r", Path("o")}).Code);
  EXPECT_NE(0, Cpdb({"extract", archive, "nope", Path("o")}).Code);
  EXPECT_NE(0, Cpdb({"add", archive, "x", Path("no-such-source")}).Code);
  EXPECT_NE(0, Cpdb({"remove", archive, "nope"}).Code);
  EXPECT_NE(0, Cpdb({}).Code);
  EXPECT_NE(0, Cpdb({"frobnicate", archive}).Code);
  EXPECT_NE(0, Cpdb({"list"}).Code);
  EXPECT_NE(0, Cpdb({"add", archive, "x", Path("src"), "--type", "70000"}).Code);
  const ToolRun unknown = Cpdb({"list", archive, "--bogus"});
  EXPECT_NE(0, unknown.Code);
  EXPECT_NE(std::string::npos, unknown.Output.find("--bogus"));
}
