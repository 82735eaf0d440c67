// The judges that the tests and tools trust, beside the engine's own: the
// reference forbidden-square checker for renju and the engine on drawn
// positions, the referee's verdicts and the engine's GameWon under every
// rule, and the lines it takes off in a continuous game. The manager's
// judgement of whole games is in test_continuous.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "engine/tessel.h"
#include "tests/data_file.h"
#include "tests/squares.h"
#include "tools/harness/manager.h"
#include "tools/harness/renju_reference.h"

namespace {

using Rule = Referee::Rule;
using Outcome = Referee::Outcome;

// Every case on both board sizes and in all eight orientations; the
// reference and the engine must agree with it. Under the other rules the
// engine forbids nothing, and its judgement follows a rule change in the
// game in play.
TEST(RenjuReference, DrawnPositions) {
  for (const DataCase& c : ReadCases("forbidden.txt")) {
    const bool forbidden = c.Get("forbidden") == "yes";
    for (int side : {15, 20}) {
      for (int symmetry = 0; symmetry < 8; ++symmetry) {
        SCOPED_TRACE(c.name + ", board " + std::to_string(side) + ", symmetry " +
                     std::to_string(symmetry));
        const Drawing d = Draw(c, side, symmetry);
        EXPECT_EQ(IsForbiddenReference(d.cells, d.x, d.y), forbidden);
        Tessel_SetRule(::Rule::kRenju);
        LayOnEngine(d.cells, 1);
        EXPECT_EQ(Tessel_IsForbidden(int16_t(d.x), int16_t(d.y)), forbidden);
        if (symmetry > 0) continue;
        Tessel_SetRule(::Rule::kExactFive);
        EXPECT_FALSE(Tessel_IsForbidden(int16_t(d.x), int16_t(d.y)));
        Tessel_SetRule(::Rule::kRenju);
        EXPECT_EQ(Tessel_IsForbidden(int16_t(d.x), int16_t(d.y)), forbidden);
      }
    }
  }
  Tessel_SetRule(::Rule::kFreestyle);
  ASSERT_TRUE(Tessel_SetBoardSize(20, 20));
}

// Occupied and off-board squares are never forbidden, to either judge.
TEST(RenjuReference, OccupiedAndOffBoardSquaresAreNotForbidden) {
  const Drawing d = Draw(ReadCases("forbidden.txt")[0], 15);
  Tessel_SetRule(::Rule::kRenju);
  LayOnEngine(d.cells, 1);
  EXPECT_TRUE(IsForbiddenReference(d.cells, d.x, d.y) &&
              Tessel_IsForbidden(int16_t(d.x), int16_t(d.y)));
  EXPECT_FALSE(IsForbiddenReference(d.cells, 6, 4));  // a black stone of the three
  EXPECT_FALSE(Tessel_IsForbidden(6, 4));
  for (auto [x, y] : {std::pair{-1, 0}, {15, 3}, {3, 15}, {0, -1}})
    EXPECT_FALSE(IsForbiddenReference(d.cells, x, y) || Tessel_IsForbidden(int16_t(x), int16_t(y)));
  Tessel_PutStone(int16_t(d.x), int16_t(d.y), 2);
  EXPECT_FALSE(Tessel_IsForbidden(int16_t(d.x), int16_t(d.y)));
  Tessel_SetRule(::Rule::kFreestyle);
  ASSERT_TRUE(Tessel_SetBoardSize(20, 20));
}

// The referee on the drawn cells, X the mover's stones and O the other
// player's, with stones of each far away so that the counts alternate.
Referee Judge(const Cells& cells, Rule rule, int mover) {
  const int side = static_cast<int>(cells.size());
  Stones own, other, blocked;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      if (cells[y][x] == 1) own.emplace_back(x, y);
      if (cells[y][x] == 2) other.emplace_back(x, y);
      if (cells[y][x] == 3) blocked.emplace_back(x, y);
    }
  Stones& p1 = mover == 1 ? own : other;
  Stones& p2 = mover == 1 ? other : own;
  // Every other square of rows 13 and 11 (player 1), 14 and 12 (player 2):
  // no line of two, and out of reach of the drawings' lines.
  for (int k = 0; p1.size() < p2.size() + (mover == 2 ? 1 : 0); ++k)
    p1.emplace_back(2 * (k % 8), 13 - 2 * (k / 8));
  for (int k = 0; p2.size() + (mover == 2 ? 1 : 0) < p1.size(); ++k)
    p2.emplace_back(2 * (k % 8), 14 - 2 * (k / 8));
  Referee referee(side, side, rule);
  for (auto [x, y] : blocked) referee.Block(x, y);
  for (auto [x, y] : InPlayOrder(p1, p2)) referee.Play(x, y);
  return referee;
}

// The engine on the same cells, the mover's stones its colour.
void LayForMover(Cells cells, int mover) {
  for (std::vector<int>& row : cells)
    for (int& cell : row)
      if (mover == 2 && (cell == 1 || cell == 2)) cell = 3 - cell;
  LayOnEngine(cells, mover);
}

Outcome OutcomeOf(char letter) {
  return letter == 'F' ? Outcome::kFive : letter == 'N' ? Outcome::kForbidden : Outcome::kPlaying;
}

// The referee and the engine judge the stone on * alike, by the rule; the
// engine in all eight orientations, so that each direction and edge gets its
// turn.
TEST(Referee, VerdictsUnderEveryRule) {
  for (const DataCase& c : ReadCases("fives.txt")) {
    for (int side : {15, 20}) {
      for (int mover : {1, 2}) {
        const std::string outcomes = c.Get(mover == 1 ? "as1" : "as2");
        for (int r = 0; r < 5; ++r) {
          const Rule rule = static_cast<Rule>(r);
          const Outcome expected = OutcomeOf(outcomes[r]);
          const bool forbidden = mover == 1 && expected == Outcome::kForbidden;
          SCOPED_TRACE(c.name + ", board " + std::to_string(side) + ", player " +
                       std::to_string(mover) + ", " + RuleName(rule));
          const Drawing d = Draw(c, side);
          Referee referee = Judge(d.cells, rule, mover);
          ASSERT_EQ(referee.toMove(), mover);
          EXPECT_EQ(referee.IsForbidden(d.x, d.y), forbidden);
          EXPECT_EQ(referee.Fault(d.x, d.y), forbidden ? "forbidden" : "");
          EXPECT_EQ(referee.Play(d.x, d.y), expected);
          Tessel_SetRule(static_cast<::Rule>(r));
          for (int symmetry = 0; symmetry < 8; ++symmetry) {
            const Drawing turned = Draw(c, side, symmetry);
            LayForMover(turned.cells, mover);
            EXPECT_EQ(GameWon(SquareIndex(turned.x, turned.y)), expected == Outcome::kFive ? 1 : 0)
                << "symmetry " << symmetry;
            EXPECT_EQ(Tessel_IsForbidden(int16_t(turned.x), int16_t(turned.y)), forbidden)
                << "symmetry " << symmetry;
          }
        }
      }
    }
  }
  Tessel_SetRule(::Rule::kFreestyle);
  ASSERT_TRUE(Tessel_SetBoardSize(20, 20));
}

// The row from "x,y:x,y" to its other end, both included; none for "none".
Stones LineOf(const std::string& text) {
  if (text == "none") return {};
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  EXPECT_EQ(std::sscanf(text.c_str(), "%d,%d:%d,%d", &x0, &y0, &x1, &y1), 4) << text;
  const int dx = (x1 > x0) - (x1 < x0), dy = (y1 > y0) - (y1 < y0);
  Stones line = {{x0, y0}};
  while (line.back() != std::pair{x1, y1} && line.size() < 20)
    line.emplace_back(line.back().first + dx, line.back().second + dy);
  return line;
}

// Black's stone on * completes the lines of completed_lines.txt: the first is
// taken off whole and nothing else is, and the stones taken off still count
// as played, so white is to move.
TEST(Referee, TakesOffTheFirstCompletedLine) {
  for (const DataCase& c : ReadCases("completed_lines.txt")) {
    SCOPED_TRACE(c.name);
    const Drawing d = Draw(c, 15);
    Referee referee = Judge(d.cells, static_cast<Rule>(c.Int("rule")), 1);
    const size_t played = referee.stones().size() + 1;
    referee.Play(d.x, d.y);
    const Stones line = LineOf(c.Get("line"));
    ASSERT_EQ(referee.CompletedLine(d.x, d.y), line);
    referee.TakeOff(line);
    for (auto [x, y] : line) EXPECT_TRUE(referee.IsBlocked(x, y)) << x << "," << y;
    size_t blocked = 0;
    for (const std::vector<int>& row : referee.cells())
      blocked += std::ranges::count(row, Referee::kBlocked);
    EXPECT_EQ(blocked, line.size());
    EXPECT_EQ(referee.stones().size(), played);
    EXPECT_EQ(referee.toMove(), 2);
  }
}

// A square is blocked once, and only on the board. (The manager's games test
// what blocked squares do.)
TEST(Referee, BlocksOnlyEmptySquaresOnTheBoard) {
  Referee referee(5, 5);
  EXPECT_TRUE(referee.Block(0, 0));
  EXPECT_FALSE(referee.Block(0, 0));
  EXPECT_FALSE(referee.Block(5, 0));
}

TEST(Referee, RulesFromPiskvorkInfoValues) {
  const std::pair<int, Rule> values[] = {
      {0, Rule::kFreestyle}, {1, Rule::kExactFive},     {2, Rule::kFreestyle},
      {3, Rule::kExactFive}, {4, Rule::kRenju},         {5, Rule::kRenju},
      {8, Rule::kCaro},      {9, Rule::kCaroExactFive}, {10, Rule::kCaro},
  };
  for (auto [value, rule] : values) EXPECT_EQ(RuleFromInfo(value), rule) << value;
}

}  // namespace
