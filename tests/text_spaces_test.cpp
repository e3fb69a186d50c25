// Names as a player reads them: a no-break space, Unicode's other spaces and
// the invisible ones read as a plain space, runs of them as one, none at
// either end; so a pack named like the campaign but for such a space is
// seen for what it is.
#include <gtest/gtest.h>

#include "engine/core/TextSpaces.h"
#include "platform/Platform.h"

namespace {

TEST(TextSpaces, EveryKindOfSpaceReadsAsOnePlainSpace) {
  EXPECT_EQ(FoldSpaces("Game Levels"), "Game Levels");
  EXPECT_EQ(FoldSpaces("Game Levels\xC2\xA0"), "Game Levels") << "a no-break space at the end";
  EXPECT_EQ(FoldSpaces("\xE2\x80\x83Game\xE3\x80\x80\xE2\x80\x8B Levels\t"), "Game Levels")
      << "an em space, an ideographic space, a zero-width space and a tab";
  EXPECT_EQ(FoldSpaces("\xEF\xBB\xBFGame\xE2\x80\xAFLevels"), "Game Levels");
  EXPECT_EQ(FoldSpaces("  \xC2\xA0 "), "");
  // Letters stay as they are, accents and broken bytes too.
  EXPECT_EQ(FoldSpaces("Caf\xC3\xA9 \xC3\xA0 la"), "Caf\xC3\xA9 \xC3\xA0 la");
  EXPECT_EQ(FoldSpaces("a\xC2"), "a\xC2");
  EXPECT_EQ(FoldSpaces("a\xA0" "b"), "a\xA0" "b") << "a lone 0xA0 is no UTF-8 space";
  EXPECT_TRUE(SameNameAsRead("game levels\xC2\xA0", "Game Levels"));
  EXPECT_TRUE(SameNameAsRead("Game\xC2\xA0\xC2\xA0Levels", "Game Levels"));
  EXPECT_FALSE(SameNameAsRead("Game Level", "Game Levels"));
  EXPECT_FALSE(SameNameAsRead("GameLevels", "Game Levels"));
  // The 8-bit text the player types loses its spaces at either end.
  EXPECT_EQ(TrimSpaces8("\xA0 Mine \xA0"), "Mine");
  EXPECT_EQ(TrimSpaces8("My\xA0Pack"), "My\xA0Pack");
  EXPECT_EQ(TrimSpaces8(" \xA0"), "");
}

// A message box shows its lines as they are: long ones are broken at spaces.
TEST(MessageText, LongLinesBreakAtSpacesAndAWordTooLongKeepsALineOfItsOwn) {
  EXPECT_EQ(plat::WrapLines("short", 10), "short");
  EXPECT_EQ(plat::WrapLines("one two three four five", 10), "one two\nthree four\nfive");
  EXPECT_EQ(plat::WrapLines("a /very/long/path/name b", 8), "a\n/very/long/path/name\nb");
  EXPECT_EQ(plat::WrapLines("first line\nsecond one here", 12), "first line\nsecond one\nhere");
}

}  // namespace
