// Replays every file of the layout fuzz corpus through the fuzz target's entry
// point, so the corpus is exercised by every test run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/gui_layout_entry.h"

TEST(GuiLayoutFuzzReplay, EveryCorpusFileKeepsTheInvariants) {
  const std::filesystem::path corpus = std::filesystem::path(GW_SOURCE_DIR) / "tests/fuzz/corpus/gui_layout";
  ASSERT_TRUE(std::filesystem::is_directory(corpus)) << corpus;
  int files = 0;
  for (const auto& item : std::filesystem::directory_iterator(corpus)) {
    if (!item.is_regular_file()) continue;
    std::ifstream in(item.path(), std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(GuiLayoutFuzzEntry(bytes.data(), bytes.size())) << item.path();
    ++files;
  }
  EXPECT_GE(files, 5);
}
