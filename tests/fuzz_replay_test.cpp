// Replays every file of the fuzz corpora through the fuzz targets' entry
// points, so each test run exercises them even when the fuzz stage is skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/archive_entry.h"
#include "fuzz/credits_entry.h"
#include "fuzz/font_record_entry.h"
#include "fuzz/gui_layout_entry.h"
#include "fuzz/image_record_entry.h"
#include "fuzz/input_script_entry.h"
#include "fuzz/level_file_entry.h"
#include "fuzz/map_points_entry.h"
#include "fuzz/player_files_entry.h"
#include "fuzz/pss_entry.h"
#include "fuzz/replay_entry.h"

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

// Particle settings are also replayed cut short, down to the empty file.
TEST(FuzzReplay, PssCorpusKeepsTheInvariants) {
  const Corpus corpus = ReadCorpus("pss");
  EXPECT_GE(corpus.size(), 8u);
  for (const auto& [name, bytes] : corpus) {
    for (size_t keep : {bytes.size(), kPssRecordSize, size_t{100}, size_t{41}, size_t{17}, size_t{3}, size_t{0}}) {
      if (keep > bytes.size()) continue;
      EXPECT_TRUE(pss_fuzz::PssFuzzEntry(bytes.data(), keep)) << name << " cut to " << keep;
    }
  }
}

// Font records are also replayed cut short at a spread of lengths.
TEST(FuzzReplay, FontRecordCorpusKeepsTheInvariants) {
  const Corpus corpus = ReadCorpus("font_record");
  EXPECT_GE(corpus.size(), 8u);
  for (const auto& [name, bytes] : corpus) {
    for (int cut = 0; cut <= 8; ++cut) {
      const size_t keep = bytes.size() - bytes.size() * static_cast<size_t>(cut) / 16;
      std::vector<uint8_t> part(bytes.begin(), bytes.begin() + static_cast<long>(keep));
      EXPECT_TRUE(font_record_fuzz::FontRecordFuzzEntry(part.data(), part.size())) << name << " cut to " << keep;
    }
  }
}

// Compiled levels and level sources, also cut short: every cut of a compiled
// level and a few of each source.
TEST(FuzzReplay, LevelFileCorpusKeepsTheInvariants) {
  const Corpus corpus = ReadCorpus("level_file");
  EXPECT_GE(corpus.size(), 12u);
  for (const auto& [name, bytes] : corpus) {
    const bool source = !bytes.empty() && bytes[0] % 2 == 1;
    const size_t step = source ? std::max<size_t>(1, bytes.size() / 5) : kCellRecordSize;
    for (size_t keep = bytes.size();; keep -= step) {
      EXPECT_TRUE(level_file_fuzz::LevelFileFuzzEntry(bytes.data(), keep)) << name << " cut to " << keep;
      if (keep < step) break;
    }
  }
}

// The map points are also replayed cut at every length.
TEST(FuzzReplay, MapPointsCorpusKeepsTheInvariants) {
  const Corpus corpus = ReadCorpus("map_points");
  EXPECT_GE(corpus.size(), 5u);
  for (const auto& [name, bytes] : corpus) {
    for (size_t keep = 0; keep <= bytes.size(); ++keep)
      EXPECT_TRUE(MapPointsFuzzEntry(bytes.data(), keep)) << name << " cut to " << keep;
  }
}

// Input scripts are also replayed cut at every length.
TEST(FuzzReplay, InputScriptCorpusKeepsTheInvariants) {
  const Corpus corpus = ReadCorpus("input_script");
  EXPECT_GE(corpus.size(), 10u);
  for (const auto& [name, bytes] : corpus) {
    for (size_t keep = 0; keep <= bytes.size(); ++keep)
      EXPECT_TRUE(InputScriptFuzzEntry(bytes.data(), keep)) << name << " cut to " << keep;
  }
}

// Replays are also read cut at every length.
TEST(FuzzReplay, ReplayCorpusKeepsTheInvariants) {
  const Corpus corpus = ReadCorpus("replay");
  EXPECT_GE(corpus.size(), 10u);
  for (const auto& [name, bytes] : corpus) {
    for (size_t keep = 0; keep <= bytes.size(); ++keep)
      EXPECT_TRUE(ReplayFuzzEntry(bytes.data(), keep)) << name << " cut to " << keep;
  }
}

TEST(FuzzReplay, CreditsCorpusKeepsTheInvariants) {
  const Corpus corpus = ReadCorpus("credits");
  EXPECT_GE(corpus.size(), 6u);
  for (const auto& [name, bytes] : corpus) EXPECT_TRUE(CreditsFuzzEntry(bytes.data(), bytes.size())) << name;
}

// Every fuzz target has its corpus folder, and every corpus folder its target:
// the fuzz stage seeds each target from tests/fuzz/corpus/<target>.
TEST(FuzzReplay, EveryTargetHasACorpusAndEveryCorpusATarget) {
  const std::filesystem::path fuzz = std::filesystem::path(GW_SOURCE_DIR) / "tests/fuzz";
  std::vector<std::string> targets, corpora;
  for (const auto& item : std::filesystem::directory_iterator(fuzz)) {
    const std::string file = item.path().filename().string();
    if (file.size() > 9 && file.ends_with("_fuzz.cpp")) targets.push_back(file.substr(0, file.size() - 9));
  }
  for (const auto& item : std::filesystem::directory_iterator(fuzz / "corpus"))
    if (item.is_directory()) corpora.push_back(item.path().filename().string());
  std::sort(targets.begin(), targets.end());
  std::sort(corpora.begin(), corpora.end());
  EXPECT_EQ(targets, corpora);
  for (const char* parser : {"archive", "image_record", "font_record", "gui_layout", "level_file", "map_points",
                             "input_script", "credits", "player_files", "pss", "replay"})
    EXPECT_TRUE(std::find(targets.begin(), targets.end(), parser) != targets.end()) << parser << " has no target";
}

}  // namespace
