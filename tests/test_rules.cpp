// Renju and caro in the search: as black it never plays a forbidden square,
// as white a four whose only defence is forbidden wins. The rules' wins and
// forbidden squares themselves are judged in test_referee beside the
// referees.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/tessel.h"
#include "board/board.h"
#include "search/alphabeta.h"
#include "search/hash.h"
#include "search/search.h"
#include "search/timecontrol.h"
#include "tests/data_file.h"
#include "tests/positions.h"
#include "tests/state_checks.h"

namespace {

// Leaves freestyle and the usual board to the next test.
class Rules : public testing::Test {
 protected:
  void TearDown() override {
    Tessel_SetRule(Rule::kFreestyle);
    ASSERT_TRUE(Tessel_SetBoardSize(20, 20));
  }
};

// The named position of renju_searches.txt on the usual board, `toMove` to
// move; its '*' square.
Stone Lay(const std::string& name, int toMove) {
  static const std::vector<DataCase> cases = ReadCases("renju_searches.txt");
  for (const DataCase& c : cases) {
    if (c.name != name) continue;
    const Drawing d = Draw(c, 20);
    LayOnEngine(d.cells, toMove);
    return {d.x, d.y};
  }
  ADD_FAILURE() << "no position " << name;
  return {-1, -1};
}

// The best move of a search, and its value in player 1's view.
struct Answer {
  Stone move;
  int value;
};
Answer Search(int16_t depth) {
  searchTimeout = INT32_MAX;
  matchTimeout = INT32_MAX;
  Tessel_Search(depth, 0, 1);
  int16_t x = -1, y = -1, player = 0, value = 0, vct = 0;
  EXPECT_EQ(Tessel_GetBestLineLength(), 1);
  Tessel_GetBestLine(0, &x, &y, &player, &value, &vct);
  return {{x, y}, value};
}

// Under renju black's double four is forbidden, and neither the search, nor
// a search cut by the move cap, nor one stopped by the clock before its first
// iteration ends plays it; under freestyle it wins at once.
TEST_F(Rules, BlackNeverPlaysAForbiddenSquare) {
  for (Rule rule : {Rule::kFreestyle, Rule::kRenju}) {
    Tessel_SetRule(rule);
    for (int32_t cap : {0, 1}) {
      for (int16_t depth : {int16_t{1}, int16_t{4}}) {
        SCOPED_TRACE((rule == Rule::kRenju ? "renju, cap " : "freestyle, cap ") +
                     std::to_string(cap) + ", depth " + std::to_string(depth));
        const Stone s = Lay("black's double four", kPlayer1);
        maxNodes = cap;
        const Answer a = Search(depth);
        maxNodes = 0;
        EXPECT_EQ(Tessel_GetSymbol(int16_t(a.move.first), int16_t(a.move.second)), kEmpty);
        if (rule == Rule::kFreestyle) {
          EXPECT_EQ(a.move, s);
        } else {
          EXPECT_NE(a.move, s);
          EXPECT_FALSE(Tessel_IsForbidden(int16_t(a.move.first), int16_t(a.move.second)));
        }
      }
    }
  }
  // No time: whatever the clock allows, the answer is allowed.
  Tessel_SetRule(Rule::kRenju);
  const Stone s = Lay("black's double four", kPlayer1);
  searchTimeout = 0;
  matchTimeout = INT32_MAX;
  Tessel_Search(10, 0, 1);
  int16_t x = -1, y = -1, player = 0, value = 0, vct = 0;
  Tessel_GetBestLine(0, &x, &y, &player, &value, &vct);
  EXPECT_TRUE(Stone(x, y) != s && !Tessel_IsForbidden(x, y) && Tessel_GetSymbol(x, y) == kEmpty);
}

// White to move plays the four at (9,10) and wins under renju, not under
// freestyle. Black to move in the same spot after the four has no allowed
// defence, has lost, and still answers an allowed square.
TEST_F(Rules, WhiteWinsByAFourWhoseDefenceIsForbidden) {
  const std::string position = "white's four whose defence is forbidden";
  for (Rule rule : {Rule::kFreestyle, Rule::kRenju}) {
    SCOPED_TRACE(rule == Rule::kRenju ? "renju" : "freestyle");
    Tessel_SetRule(rule);
    const Stone blackSquare = Lay(position, kPlayer2);
    EXPECT_EQ(Tessel_IsForbidden(int16_t(blackSquare.first), int16_t(blackSquare.second)),
              rule == Rule::kRenju);
    const Answer a = Search(3);
    if (rule == Rule::kRenju) {
      EXPECT_EQ(a.move, Stone(9, 10));
      EXPECT_EQ(a.value, -kWinScore);
    } else {
      EXPECT_NE(a.value, -kWinScore);
    }
    // The four on the board, black to move.
    Lay(position, kPlayer2);
    Tessel_PutSymbol(9, 10);
    const Answer b = Search(3);
    const auto bx = int16_t(b.move.first), by = int16_t(b.move.second);
    EXPECT_EQ(Tessel_GetSymbol(bx, by), kEmpty);
    if (rule == Rule::kRenju) {
      EXPECT_EQ(b.value, -kWinScore);
      EXPECT_FALSE(Tessel_IsForbidden(bx, by));
    } else {
      EXPECT_EQ(b.move, blackSquare);
    }
  }
}

TEST_F(Rules, WhiteIgnoresBlacksForbiddenDoubleFour) {
  for (Rule rule : {Rule::kFreestyle, Rule::kRenju}) {
    SCOPED_TRACE(rule == Rule::kRenju ? "renju" : "freestyle");
    Tessel_SetRule(rule);
    const Stone doubleFour = Lay("white's double three against black's forbidden double four", kPlayer2);
    const Answer a = Search(4);
    if (rule == Rule::kRenju) {
      EXPECT_EQ(a.value, -kWinScore);
    } else {
      EXPECT_EQ(a.move, doubleFour);
    }
  }
}
// Random crowded positions under renju with black to move: the incremental
// state agrees with the reference, and neither a short search nor one cut by
// the move cap answers a forbidden square.
TEST_F(Rules, RandomPositionsNeverGetAForbiddenAnswer) {
  Tessel_SetRule(Rule::kRenju);
  std::mt19937 rng(4242);
  int forbiddenSeen = 0;
  for (int position = 0; position < 60; ++position) {
    SCOPED_TRACE("position " + std::to_string(position));
    Tessel_Initialize();
    const uint64_t start = zobristKey;
    const int stones = 2 * int(10 + rng() % 30);
    for (int placed = 0; placed < stones;) {
      const auto x = int16_t(5 + rng() % 10), y = int16_t(5 + rng() % 10);
      if (Tessel_GetSymbol(x, y) != kEmpty) continue;
      Tessel_PutSymbol(x, y);
      ++placed;
    }
    ASSERT_EQ(whoIsOnMove, kPlayer1);
    ASSERT_EQ(state_checks::StateFaults(start), "");
    for (int16_t y = 0; y < 20; ++y)
      for (int16_t x = 0; x < 20; ++x) forbiddenSeen += Tessel_IsForbidden(x, y);
    for (int32_t cap : {0, 50}) {
      maxNodes = cap;
      const Answer a = Search(2);
      maxNodes = 0;
      const auto x = int16_t(a.move.first), y = int16_t(a.move.second);
      ASSERT_EQ(Tessel_GetSymbol(x, y), kEmpty);
      ASSERT_FALSE(Tessel_IsForbidden(x, y)) << x << "," << y << " cap " << cap;
    }
  }
  EXPECT_GT(forbiddenSeen, 20);  // the positions do hold forbidden squares
}

}  // namespace
