// Every file the game reads, replaced by a pipe, a device or a huge sparse
// file: each is refused at once with its name, never waited on for ever and
// never read until memory runs out.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "automation/InputScript.h"
#include "board/LevelFile.h"
#include "engine/archive/CPDb.h"
#include "engine/core/DataFile.h"
#include "engine/core/SafeFile.h"
#include "engine/gui/GuiLayoutFile.h"
#include "levels/LevelSource.h"
#include "platform/Audio.h"
#include "players/Hiscores.h"
#include "players/PlayerFiles.h"
#include "screens/Credits.h"

namespace fs = std::filesystem;

namespace {

class OddFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("gw-odd-files-" + std::to_string(::getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    Pipe = (Dir / "pipe").string();
    EXPECT_EQ(::mkfifo(Pipe.c_str(), 0600), 0);
    // Three gigabytes that take no room on disk, and read as zeros.
    Sparse = (Dir / "sparse").string();
    const int fd = ::open(Sparse.c_str(), O_CREAT | O_WRONLY, 0600);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::ftruncate(fd, off_t{3} << 30), 0);
    ::close(fd);
  }
  void TearDown() override { fs::remove_all(Dir); }

  // The three stand-ins every reader is tried with.
  std::vector<std::string> StandIns() const { return {Pipe, "/dev/zero", Sparse, Dir.string()}; }

  // Runs read on another thread. False when it has not returned within ten
  // seconds (an open that waits for a writer); the pipe is then opened for
  // writing, so that the reader can finish.
  bool ReturnsPromptly(const std::function<void()>& read) const {
    auto done = std::async(std::launch::async, read);
    if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready) {
      done.get();
      return true;
    }
    const int fd = ::open(Pipe.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
    done.wait();
    return false;
  }

  fs::path Dir;
  std::string Pipe, Sparse;
};

}  // namespace

TEST_F(OddFiles, TheArchivesOpenOnlyPlainFiles) {
  for (const std::string& path : StandIns()) {
    TCPDb archive;
    archive.OpenMode = TCPDb::opReadOnly;
    archive.SetFileName(path);
    bool opened = true;
    EXPECT_TRUE(ReturnsPromptly([&] { opened = archive.Open(); })) << path;
    if (path == Sparse) {
      // A plain file of zeros is an archive without records.
      EXPECT_TRUE(opened);
      continue;
    }
    EXPECT_FALSE(opened) << path;
    EXPECT_NE(archive.LastError().find("not a plain file"), std::string::npos) << path << ": " << archive.LastError();
  }
}

TEST_F(OddFiles, TheLayoutFileIsReadOnlyWhenPlainAndOfSensibleSize) {
  for (const std::string& path : StandIns()) {
    std::vector<TGuiLayoutControl> controls;
    std::string error;
    bool read = true;
    EXPECT_TRUE(ReturnsPromptly([&] { read = ReadGuiLayoutFile(path, controls, &error); })) << path;
    EXPECT_FALSE(read) << path;
    EXPECT_NE(error.find(path), std::string::npos) << error;
  }
}

TEST_F(OddFiles, ContentFilesAreRefusedWithTheirNameAndNoExhaustedMemory) {
  const std::vector<std::pair<const char*, std::function<void(const std::string&)>>> readers = {
      {"data file", [](const std::string& p) { DataFile::Load(p); }},
      {"credits", [](const std::string& p) { LoadCreditsTexts(p); }},
      {"input script", [](const std::string& p) { TInputScript::Load(p); }},
      {"level source", [](const std::string& p) { LoadLevelSource(p); }},
  };
  for (const auto& [what, read] : readers) {
    for (const std::string& path : StandIns()) {
      std::string message;
      EXPECT_TRUE(ReturnsPromptly([&] {
        try {
          read(path);
        } catch (const DataError& e) {
          message = e.what();
        }
      })) << what << " " << path;
      EXPECT_NE(message.find(path), std::string::npos) << what << ": " << message;
    }
  }
}

TEST_F(OddFiles, LevelAndPlayerFilesAreRefusedToo) {
  for (const std::string& path : StandIns()) {
    std::string error;
    EXPECT_TRUE(ReturnsPromptly([&] {
      EXPECT_FALSE(ReadLevelOptions(path, error)) << path;
      EXPECT_FALSE(ReadLevelCells(path, error)) << path;
      EXPECT_FALSE(ReadConfigFile(path, error)) << path;
      EXPECT_FALSE(ReadProgressFile(path, error)) << path;
      EXPECT_FALSE(ReadHiscoreFile(path, error)) << path;
    })) << path;
  }
}

TEST_F(OddFiles, AHugeSparseArchiveClaimingEveryRecordItCouldHoldIsRefused) {
  // Its header claims as many 8-byte table entries as three gigabytes hold.
  const int fd = ::open(Sparse.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  const uint8_t header[12] = {'C', 'P', 'D', 'b', 0, 0, 0, 0x10, 12, 0, 0, 0};
  ASSERT_EQ(::pwrite(fd, header, sizeof header, 0), 12);
  ::close(fd);
  TCPDb archive;
  archive.OpenMode = TCPDb::opReadOnly;
  archive.SetFileName(Sparse);
  EXPECT_FALSE(archive.Open());
  EXPECT_NE(archive.LastError().find("records"), std::string::npos) << archive.LastError();
}

TEST_F(OddFiles, TheAudioLayerOpensOnlyPlainFiles) {
  plat::Audio_SetNoDevice(true);
  ASSERT_TRUE(plat::Audio_Init(-1, 44100, 0, nullptr, nullptr));
  for (const std::string& path : StandIns()) {
    if (path == Sparse) continue;  // a plain file: refused for its size instead
    plat::AudioHandle stream = 1;
    EXPECT_TRUE(ReturnsPromptly([&] { stream = plat::Audio_StreamCreateFile(false, path.c_str(), 0, 0, 0); }))
        << path;
    EXPECT_EQ(stream, 0u) << path;
    EXPECT_EQ(plat::Audio_ErrorGetCode(), plat::aeFileOpen) << path;
  }
  plat::Audio_Free();
  plat::Audio_SetNoDevice(false);
}
