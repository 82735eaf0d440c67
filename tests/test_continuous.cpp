// Piskvork's continuous game: completed lines, and under renju forbidden
// stones, are taken off the board as squares owned by nobody and the game goes
// on. The referee's part.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tools/harness/manager.h"

namespace {

using Rule = Referee::Rule;

// Black's `stones` in play order with white's far away in between, white to
// move after the last.
Referee WithWhiteApart(Rule rule, const Stones& black) {
  Stones white;
  for (size_t k = 0; k + 1 < black.size(); ++k)
    white.emplace_back(10 + 2 * static_cast<int>(k % 3), 10 + 2 * static_cast<int>(k / 3));
  Referee referee(15, 15, rule);
  for (auto [x, y] : InPlayOrder(black, white)) referee.Play(x, y);
  return referee;
}

Stones Row(int x, int y, int dx, int dy, int n) {
  Stones row;
  for (int k = 0; k < n; ++k) row.emplace_back(x + k * dx, y + k * dy);
  return row;
}

Stones With(Stones stones, const Stones& more) {
  stones.insert(stones.end(), more.begin(), more.end());
  return stones;
}

// The last black stone completes two lines at once; only the first that
// Piskvork looks at (down, down-right, across, up-right) is taken off, the
// whole row of it.
TEST(ContinuousGame, RefereeTakesOffTheFirstCompletedLine) {
  struct Case {
    const char* name;
    Stones black;  // the last one completes the lines
    Stones line;
  };
  const Case cases[] = {
      {"down before across", With(Row(4, 0, 0, 1, 4), Row(0, 4, 1, 0, 5)), Row(4, 0, 0, 1, 5)},
      {"down-right before across", With(Row(0, 0, 1, 1, 4), Row(0, 4, 1, 0, 5)),
       Row(0, 0, 1, 1, 5)},
      {"across before up-right", With(Row(0, 8, 1, -1, 4), Row(0, 4, 1, 0, 5)), Row(0, 4, 1, 0, 5)},
      {"the whole row of six", With(Row(4, 4, 1, 0, 5), {{3, 4}}), Row(3, 4, 1, 0, 6)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Referee referee = WithWhiteApart(Rule::kFreestyle, c.black);
    const auto [x, y] = c.black.back();
    ASSERT_EQ(referee.CompletedLine(x, y), c.line);
    referee.TakeOff(c.line);
    for (auto [bx, by] : c.black) {
      const bool inLine = std::ranges::find(c.line, std::pair{bx, by}) != c.line.end();
      EXPECT_EQ(referee.IsBlocked(bx, by), inLine) << bx << "," << by;
    }
    // Taken-off stones were played: they still count, and white is to move.
    EXPECT_EQ(referee.stones().size(), 2 * c.black.size() - 1);
    EXPECT_EQ(referee.toMove(), 2);
  }
  // A six wins nothing under exact five: no line is taken off.
  Referee exact = WithWhiteApart(Rule::kExactFive, With(Row(4, 4, 1, 0, 5), {{3, 4}}));
  EXPECT_EQ(exact.CompletedLine(3, 4), Stones{});
}

// Under caro a five between two of the opponent's stones wins nothing; a
// taken-off stone beyond an end is nobody's, so the same five then wins.
TEST(ContinuousGame, RefereeCountsATakenOffStoneAsNobodys) {
  const Stones black = Row(2, 9, 1, 0, 4);
  const Stones white = {{1, 9}, {7, 9}, {14, 0}, {14, 2}};
  Referee referee(15, 15, Rule::kCaro);
  for (auto [x, y] : InPlayOrder(black, white)) referee.Play(x, y);
  ASSERT_EQ(referee.toMove(), 1);
  EXPECT_FALSE(referee.MakesFive(6, 9, 1));
  referee.TakeOff({{1, 9}});
  EXPECT_TRUE(referee.IsBlocked(1, 9));
  EXPECT_TRUE(referee.MakesFive(6, 9, 1));
  EXPECT_EQ(referee.toMove(), 1);
}

}  // namespace
