// The rising score numbers of a cascade: each stays readable, clear of the
// others, however many lines score from the same cells.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "board/BoardEffects.h"
#include "engine/sprites/SpriteEngine.h"
#include "magic/Effects.h"
#include "support/BoardFixture.h"

namespace {

class ScoreNumbers : public BoardFixture {
 protected:
  std::vector<TScoreSprite*> Numbers() {
    std::vector<TScoreSprite*> out;
    for (TSprite* s : Game->SpriteEngine().SpriteList)
      if (auto* n = dynamic_cast<TScoreSprite*>(s); n && !n->Killed) out.push_back(n);
    return out;
  }
  static bool Overlap(const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
  }
  void ExpectApart() {
    const std::vector<TScoreSprite*> numbers = Numbers();
    for (size_t i = 0; i < numbers.size(); ++i)
      for (size_t j = i + 1; j < numbers.size(); ++j)
        EXPECT_FALSE(Overlap(numbers[i]->TextBox(), numbers[j]->TextBox()))
            << numbers[i]->Points << " and " << numbers[j]->Points;
  }
};

TEST_F(ScoreNumbers, RowAndColumnFromOneCellScoreApart) {
  // A row and a column that both start at (1, 1): both numbers are given at
  // that cell's piece.
  Build({"TTT", "T..", "T.."});
  B().MatchStep(true);
  const std::vector<TScoreSprite*> numbers = Numbers();
  ASSERT_EQ(numbers.size(), 2u);
  ExpectApart();
  EXPECT_EQ(numbers[0]->X, numbers[1]->X) << "moved down, not aside";
  Tick(60);
  ExpectApart();
}

TEST_F(ScoreNumbers, LaterNumbersQueueBelowAndOthersStayPut) {
  Build({"B"});
  const float x = 200, y = 200;
  for (int i = 0; i < 4; ++i) B().AwardPoints(100 * (i + 1), x, y);
  B().AwardPoints(50, 600, 100);  // far away: left where it is given
  std::vector<TScoreSprite*> numbers = Numbers();
  ASSERT_EQ(numbers.size(), 5u);
  ExpectApart();
  // By their points, which is the order they were scored in.
  std::sort(numbers.begin(), numbers.end(), [](auto* a, auto* b) { return a->Points < b->Points; });
  EXPECT_EQ(numbers[0]->X, 600);
  EXPECT_EQ(numbers[0]->Y, 100);
  EXPECT_EQ(numbers[1]->Y, y) << "the first stays where it was given";
  // The later ones, one below the other, from the top down.
  for (size_t i = 1; i < 4; ++i) EXPECT_LT(numbers[i]->Y, numbers[i + 1]->Y);
  // One given where the first has risen to later also clears the others.
  Tick(30);
  B().AwardPoints(700, x, y - 30);
  ExpectApart();
}

// Numbers given side by side on one line would touch and read as one
// ("300600"); however many come, each keeps clear of the others by a
// visible gap across or lies wholly above or below them.
TEST_F(ScoreNumbers, NumbersSideBySideNeverReadAsOne) {
  Build({"B"});
  B().AwardPoints(300, 200, 200);
  const TRect first = Numbers().front()->TextBox();
  // The next number where the first one's digits end, on the same line.
  B().AwardPoints(600, static_cast<float>(first.Right), 200);
  // And a crowd: a cascade's worth of numbers at neighbouring cells.
  for (int i = 0; i < 24; ++i) B().AwardPoints(100 * (i + 1), static_cast<float>(120 + 40 * (i % 6)), 240);
  const std::vector<TScoreSprite*> numbers = Numbers();
  ASSERT_EQ(numbers.size(), 26u);
  for (size_t i = 0; i < numbers.size(); ++i) {
    for (size_t j = i + 1; j < numbers.size(); ++j) {
      const TRect a = numbers[i]->TextBox(), b = numbers[j]->TextBox();
      const bool apartAcross = a.Right + 6 <= b.Left || b.Right + 6 <= a.Left;
      const bool apartDown = a.Bottom <= b.Top || b.Bottom <= a.Top;
      EXPECT_TRUE(apartAcross || apartDown) << numbers[i]->Points << " and " << numbers[j]->Points;
    }
  }
}

}  // namespace
