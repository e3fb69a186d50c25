// Replays the image-record fuzz corpus through the fuzz target's entry point,
// whole and cut short at a spread of lengths, so every test run covers it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/image_record_entry.h"

TEST(ImageRecordFuzzReplay, EveryCorpusFileKeepsTheInvariants) {
  const std::filesystem::path corpus = std::filesystem::path(GW_SOURCE_DIR) / "tests/fuzz/corpus/image_record";
  ASSERT_TRUE(std::filesystem::is_directory(corpus)) << corpus;
  int files = 0;
  for (const auto& item : std::filesystem::directory_iterator(corpus)) {
    if (!item.is_regular_file()) continue;
    std::ifstream in(item.path(), std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (int cut = 0; cut <= 16; ++cut) {
      const size_t keep = bytes.size() - bytes.size() * static_cast<size_t>(cut) / 32;
      std::vector<uint8_t> part(bytes.begin(), bytes.begin() + static_cast<long>(keep));
      EXPECT_TRUE(image_record_fuzz::ImageRecordFuzzEntry(part.data(), part.size()))
          << item.path() << " cut to " << keep;
    }
    ++files;
  }
  EXPECT_GE(files, 10);
}
