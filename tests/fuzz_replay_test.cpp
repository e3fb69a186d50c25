// Replays every file of the fuzz corpora through the fuzz targets' entry
// points, so each test run exercises them even when the fuzz stage is skipped.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/archive_entry.h"
#include "fuzz/gui_layout_entry.h"
#include "fuzz/image_record_entry.h"
#include "fuzz/player_files_entry.h"

namespace {

using Corpus = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

Corpus ReadCorpus(const std::string& name) {
  const std::filesystem::path folder = std::filesystem::path(GW_SOURCE_DIR) / "tests/fuzz/corpus" / name;
  Corpus corpus;
  if (!std::filesystem::is_directory(folder)) return corpus;
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    if (!item.is_regular_file()) continue;
    std::ifstream in(item.path(), std::ios::binary);
    corpus.emplace_back(item.path().filename().string(),
                        std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
  }
  return corpus;
}

TEST(FuzzReplay, ArchiveCorpusKeepsTheInvariants) {
  const Corpus corpus = ReadCorpus("archive");
  EXPECT_GE(corpus.size(), 5u);
  for (const auto& [name, bytes] : corpus) EXPECT_TRUE(ArchiveFuzzEntry(bytes.data(), bytes.size())) << name;
}

TEST(FuzzReplay, GuiLayoutCorpusKeepsTheInvariants) {
  const Corpus corpus = ReadCorpus("gui_layout");
  EXPECT_GE(corpus.size(), 5u);
  for (const auto& [name, bytes] : corpus) EXPECT_TRUE(GuiLayoutFuzzEntry(bytes.data(), bytes.size())) << name;
}

// The player's files are also replayed cut at every length.
TEST(FuzzReplay, PlayerFilesCorpusKeepsTheInvariants) {
  const Corpus corpus = ReadCorpus("player_files");
  EXPECT_GE(corpus.size(), 8u);
  for (const auto& [name, bytes] : corpus) {
    for (size_t keep = 0; keep <= bytes.size(); ++keep)
      EXPECT_TRUE(PlayerFilesFuzzEntry(bytes.data(), keep)) << name << " cut to " << keep;
  }
}

// Image records are also replayed cut short at a spread of lengths.
TEST(FuzzReplay, ImageRecordCorpusKeepsTheInvariants) {
  const Corpus corpus = ReadCorpus("image_record");
  EXPECT_GE(corpus.size(), 10u);
  for (const auto& [name, bytes] : corpus) {
    for (int cut = 0; cut <= 16; ++cut) {
      const size_t keep = bytes.size() - bytes.size() * static_cast<size_t>(cut) / 32;
      std::vector<uint8_t> part(bytes.begin(), bytes.begin() + static_cast<long>(keep));
      EXPECT_TRUE(image_record_fuzz::ImageRecordFuzzEntry(part.data(), part.size())) << name << " cut to " << keep;
    }
  }
}

}  // namespace
