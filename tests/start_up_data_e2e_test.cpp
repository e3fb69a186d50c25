// Start-up with damaged data: a missing archive record, or a device in place
// of a data file, ends the start with exit code 1 and a message naming it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/archive/ArchiveKey.h"
#include "engine/archive/CPDb.h"
#include "engine/archive/CPDbWriter.h"
#include "support/GameRunner.h"

namespace fs = std::filesystem;

namespace {

class StartUpDataE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!game_test::GameRunner::Built()) GTEST_SKIP() << "the game and its data are not built";
  }

  // Gives the runner's folder a Data/ of its own, linking the build's files
  // but for the main archive, which is written without the given records.
  static void WithoutRecords(game_test::GameRunner& game, const std::vector<std::string>& keys) {
    const fs::path built = fs::path(GW_BUILD_DIR) / "Data";
    fs::remove(game.Home / "Data");
    fs::create_directory(game.Home / "Data");
    for (const auto& item : fs::directory_iterator(built))
      if (item.path().filename() != "GameData.CPDB")
        fs::create_symlink(item.path(), game.Home / "Data" / item.path().filename());
    TCPDb archive;
    archive.OpenMode = TCPDb::opReadOnly;
    archive.SetFileName((built / "GameData.CPDB").string());
    const std::vector<uint8_t> key = GameArchiveKey();
    archive.SetKey(key.data(), static_cast<int>(key.size()));
    TCPDbWriter writer(key);
    ASSERT_TRUE(writer.LoadExisting(archive));
    for (const std::string& k : keys) ASSERT_TRUE(writer.Remove(k)) << k;
    ASSERT_TRUE(writer.Save((game.Home / "Data" / "GameData.CPDB").string()));
  }

  // Puts a link to target in place of a file of the runner's data/ folder.
  static void Replace(game_test::GameRunner& game, const std::string& file, const fs::path& target) {
    fs::remove(game.Home / "data" / file);
    fs::create_symlink(target, game.Home / "data" / file);
  }
};

}  // namespace

TEST_F(StartUpDataE2E, AMissingRecordEndsTheStartNamingIt) {
  // Once the tree pieces were simply invisible and the game went on.
  game_test::GameRunner game("missing-record");
  WithoutRecords(game, {"tree.image", "Font03"});
  EXPECT_EQ(game.Run("--ticks 5"), 1);
  EXPECT_NE(game.Errors.find("lacks tree.image, Font03"), std::string::npos) << game.Errors;
}

TEST_F(StartUpDataE2E, ADeviceOrAHugeFileInPlaceOfADataFileEndsTheStartNamingIt) {
  // Once read until memory ran out and ended on an uncaught exception.
  for (const char* file : {"interface.gui", "credits.txt", "mappoints.map"}) {
    game_test::GameRunner game(std::string("device-") + file);
    Replace(game, file, "/dev/zero");
    EXPECT_EQ(game.Run("--ticks 5"), 1) << file;
    EXPECT_NE(game.Errors.find(file), std::string::npos) << game.Errors;
    EXPECT_NE(game.Errors.find("not a plain file"), std::string::npos) << game.Errors;
  }
  game_test::GameRunner game("huge-layout");
  const fs::path huge = game.Home / "huge.gui";
  { std::ofstream(huge) << ""; }
  fs::resize_file(huge, uintmax_t{3} << 30);
  Replace(game, "interface.gui", huge);
  EXPECT_EQ(game.Run("--ticks 5"), 1);
  EXPECT_NE(game.Errors.find("too large"), std::string::npos) << game.Errors;
}
