// The credits' words and layout, and the blink of a new hiscore entry.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "engine/core/DataFile.h"
#include "screens/Credits.h"
#include "screens/HistorySprites.h"

namespace fs = std::filesystem;

namespace {

std::string Write(const std::string& name, const std::string& text) {
  const fs::path path = fs::temp_directory_path() / ("gw-credits-" + std::to_string(::getpid()) + "-" + name);
  std::ofstream(path) << text;
  return path.string();
}

std::string Lines(std::vector<std::string> texts) {
  std::string out;
  for (const std::string& t : texts) out += "line \"" + t + "\"\n";
  return out;
}

std::vector<std::string> Shipped() {
  return LoadCreditsTexts((fs::path(GW_SOURCE_DIR) / "content" / "credits" / "credits.txt").string());
}

TEST(Credits, TheShippedWordsFitTheLayout) {
  const std::vector<std::string> texts = Shipped();
  ASSERT_EQ(texts.size(), 38u);
  EXPECT_EQ(texts[0], "Producer");
  EXPECT_EQ(texts[27], "Powered by");
  EXPECT_EQ(texts[35], "Created By");
  const std::vector<TCreditsLine>& layout = CreditsLayout();
  ASSERT_EQ(layout.size(), 38u);
  // Only the studio's three closing lines wait for the end of the game.
  for (size_t i = 0; i < layout.size(); ++i) EXPECT_EQ(layout[i].EndOnly, i >= 35) << i;
  // The first name of the thanks starts lower after the game, and so does
  // the engine's web address.
  EXPECT_EQ(layout[17].EndY, 966);
  EXPECT_EQ(layout[17].MenuY, 960);
  EXPECT_EQ(layout[30].EndY, 1300);
  EXPECT_EQ(layout[35].Font, 2);
  EXPECT_EQ(layout[27].Font, 2);
}

// The credits speak to players: no placeholder web addresses (the game has
// no page of its own, so those lines stay empty) and no developers' tools
// among the testers.
TEST(Credits, TheShippedWordsAreForPlayers) {
  const std::vector<std::string> texts = Shipped();
  ASSERT_EQ(texts.size(), 38u);
  for (const std::string& t : texts) {
    for (const char* word : {"www.", ".example", "http", "Sanitizer", "UBSan", "libFuzzer"})
      EXPECT_EQ(t.find(word), std::string::npos) << t;
  }
  EXPECT_EQ(texts[30], "") << "the engine's address";
  EXPECT_EQ(texts[37], "") << "the studio's address";
  for (size_t i = 12; i <= 15; ++i) EXPECT_FALSE(texts[i].empty()) << "a tester's line " << i;
}

TEST(Credits, MistakesInTheWordsAreNamedWithTheirLine) {
  std::vector<std::string> texts = Shipped();
  texts[2] = "Design";  // a heading out of its place
  try {
    LoadCreditsTexts(Write("heading.txt", Lines(texts)));
    FAIL() << "a wrong heading was taken";
  } catch (const DataError& e) {
    EXPECT_NE(std::string(e.what()).find(":3: line 3 must be \"Game Design\""), std::string::npos) << e.what();
  }
  texts = Shipped();
  texts.pop_back();
  EXPECT_THROW(LoadCreditsTexts(Write("short.txt", Lines(texts))), DataError);
  texts = Shipped();
  texts.push_back("extra");
  EXPECT_THROW(LoadCreditsTexts(Write("long.txt", Lines(texts))), DataError);
  EXPECT_THROW(LoadCreditsTexts(Write("word.txt", "title \"x\"\n")), DataError);
  EXPECT_THROW(LoadCreditsTexts(Write("missing-file.txt", "") + ".none"), DataError);
}

TEST(Credits, WordsComeInTheGamesEightBitText) {
  std::vector<std::string> texts = Shipped();
  texts[1] = "Jos\xC3\xA9";  // UTF-8 in the file
  const std::vector<std::string> read = LoadCreditsTexts(Write("accent.txt", Lines(texts)));
  EXPECT_EQ(read[1], "Jos\xE9");
}

TEST(HiscoreBlink, ANewEntryBlinksSlowlyEnoughToBeSeen) {
  // Shown a quarter second, hidden a quarter second: both halves span whole
  // frames of a display that draws every second tick.
  for (int t = 0; t < 30; ++t) EXPECT_FALSE(THistoryText::BlinkHidden(t)) << t;
  for (int t = 30; t < 60; ++t) EXPECT_TRUE(THistoryText::BlinkHidden(t)) << t;
  EXPECT_FALSE(THistoryText::BlinkHidden(60));
  int shownEven = 0, hiddenEven = 0;
  for (int t = 0; t < 600; t += 2) (THistoryText::BlinkHidden(t) ? hiddenEven : shownEven) += 1;
  EXPECT_GT(shownEven, 100);
  EXPECT_GT(hiddenEven, 100);
}

}  // namespace
