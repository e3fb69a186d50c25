// Copying the player's packs for a replay: plain files and folders only,
// never through a link (to a big system folder, in a loop, to a file), and
// the first error stops the copy with the file and the reason.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/FolderCopy.h"

namespace {

namespace fs = std::filesystem;

class FolderCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    Root = fs::temp_directory_path() /
           ("gw-copy-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
            std::to_string(::getpid()));
    fs::remove_all(Root);
    fs::create_directories(Root / "from");
  }
  void TearDown() override { fs::remove_all(Root); }
  void Put(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Every entry under a folder, relative, with a mark for its kind.
  static std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> out;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
      const fs::file_type type = it->symlink_status().type();
      out.push_back(fs::relative(it->path(), folder).string() +
                    (type == fs::file_type::directory ? "/" : type == fs::file_type::symlink ? "@" : ""));
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  fs::path Root;
};

TEST_F(FolderCopy, OnlyPlainFilesAndFoldersAreCopiedNeverThroughALink) {
  const fs::path from = Root / "from";
  Put(from / "Mine" / "1.opt", "options");
  Put(from / "Mine" / "1.lvl", "cells");
  Put(from / "Other" / "deep" / "2.lvl", "deep");
  Put(Root / "outside" / "secret.txt", "secret");
  // A link to a big folder elsewhere, a loop, a link to a file and to a
  // folder inside the copy, and a pipe.
  fs::create_directory_symlink("/usr/share", from / "share");
  fs::create_directory_symlink(from, from / "Mine" / "loop");
  fs::create_symlink(Root / "outside" / "secret.txt", from / "Mine" / "2.lvl");
  fs::create_directory_symlink(Root / "outside", from / "Outside");
  ASSERT_EQ(::mkfifo((from / "Mine" / "pipe").c_str(), 0644), 0);
  std::string error;
  ASSERT_TRUE(CopyFolderWithoutLinks(from.string(), (Root / "to").string(), error)) << error;
  const std::vector<std::string> expected = {"Mine/", "Mine/1.lvl", "Mine/1.opt", "Other/", "Other/deep/",
                                             "Other/deep/2.lvl"};
  EXPECT_EQ(Listing(Root / "to"), expected);
  EXPECT_EQ(Read(Root / "to" / "Other" / "deep" / "2.lvl"), "deep");
  EXPECT_EQ(Read(Root / "outside" / "secret.txt"), "secret");
}

TEST_F(FolderCopy, SkippedEntriesAndAMissingOrLinkedSourceCopyNothing) {
  const fs::path from = Root / "from";
  Put(from / "Game Levels" / "1.lvl", "campaign");
  Put(from / "Mine" / "1.lvl", "mine");
  std::string error;
  ASSERT_TRUE(CopyFolderWithoutLinks(from.string(), (Root / "to").string(), error,
                                     [](const std::string& relative) { return relative == "Game Levels"; }))
      << error;
  EXPECT_EQ(Listing(Root / "to"), (std::vector<std::string>{"Mine/", "Mine/1.lvl"}));
  EXPECT_TRUE(CopyFolderWithoutLinks((Root / "none").string(), (Root / "to2").string(), error));
  EXPECT_FALSE(fs::exists(Root / "to2"));
  fs::create_directory_symlink(from, Root / "linked");
  EXPECT_TRUE(CopyFolderWithoutLinks((Root / "linked").string(), (Root / "to3").string(), error));
  EXPECT_FALSE(fs::exists(Root / "to3")) << "the folder itself is a link: nothing is copied";
}

TEST_F(FolderCopy, TheFirstErrorStopsTheCopyNamingTheFileAndTheReason) {
  const fs::path from = Root / "from";
  Put(from / "Mine" / "1.lvl", "mine");
  std::string error;
  // The copy's folder exists already.
  fs::create_directories(Root / "taken");
  EXPECT_FALSE(CopyFolderWithoutLinks(from.string(), (Root / "taken").string(), error));
  EXPECT_EQ(error, "cannot make \"" + (Root / "taken").string() + "\": File exists");
  // Too deep, too many files, too many bytes.
  Put(from / "a" / "b" / "c" / "d" / "1.lvl", "x");
  TFolderCopyLimits limits;
  limits.Depth = 3;
  EXPECT_FALSE(CopyFolderWithoutLinks(from.string(), (Root / "deep").string(), error, {}, limits));
  EXPECT_NE(error.find("its folders go more than 3 deep"), std::string::npos) << error;
  limits = {};
  limits.Files = 3;
  EXPECT_FALSE(CopyFolderWithoutLinks(from.string(), (Root / "many").string(), error, {}, limits));
  EXPECT_NE(error.find("the folder holds more than 3 files"), std::string::npos) << error;
  limits = {};
  limits.Bytes = 4;
  EXPECT_FALSE(CopyFolderWithoutLinks(from.string(), (Root / "big").string(), error, {}, limits));
  EXPECT_NE(error.find("the folder holds more than 4 bytes"), std::string::npos) << error;
}

}  // namespace
