// Renju in the search: as black it never plays a forbidden square, as white
// it wins by black's forbidden squares. The rules' wins and forbidden squares
// themselves are judged in test_referee beside the referees.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/tessel.h"
#include "board/board.h"
#include "board/keys.h"
#include "tests/data_file.h"
#include "tests/state_checks.h"

namespace {

// Leaves freestyle, the usual board and no limits to the next test.
class Rules : public testing::Test {
 protected:
  void TearDown() override {
    Tessel_SetRule(Rule::kFreestyle);
    Tessel_SetMaxNodes(0);
    Tessel_SetTurnTime(INT32_MAX);
    ASSERT_TRUE(Tessel_SetBoardSize(20, 20));
  }
};

// The best move of a search, and its value in player 1's view.
struct Answer {
  int16_t x = -1, y = -1, value = 0;
};
Answer Search(int16_t depth) {
  Tessel_SetMatchTime(INT32_MAX);
  Tessel_Search(depth, 0, 1);
  Answer a;
  int16_t player = 0, vct = 0;
  EXPECT_EQ(Tessel_GetBestLineLength(), 1);
  Tessel_GetBestLine(0, &a.x, &a.y, &player, &a.value, &vct);
  return a;
}

// Each position's '*' is a square that renju forbids to black. Every answer
// is an empty square, and under renju an allowed one; besides, the search
// plays '*', or finds white's win, or finds none.
enum class Expect { kStar, kAllowed, kWhiteWins, kNoWhiteWin };
struct Case {
  const char* position;
  int toMove;
  int16_t depth;
  int64_t cap;     // moves, 0 for none
  int32_t turnMs;  // 0: stopped before the first iteration ends
  Expect freestyle, renju;
};

TEST_F(Rules, SearchesKeepBlackOffForbiddenSquaresAndWhiteWinsByThem) {
  const auto kAny = INT32_MAX;
  const Case cases[] = {
      {"black's double four", kPlayer1, 1, 0, kAny, Expect::kStar, Expect::kAllowed},
      {"black's double four", kPlayer1, 4, 0, kAny, Expect::kStar, Expect::kAllowed},
      {"black's double four", kPlayer1, 1, 1, kAny, Expect::kStar, Expect::kAllowed},
      {"black's double four", kPlayer1, 4, 1, kAny, Expect::kStar, Expect::kAllowed},
      {"black's double four", kPlayer1, 10, 0, 0, Expect::kAllowed, Expect::kAllowed},
      {"white's four whose defence is forbidden", kPlayer2, 3, 0, kAny, Expect::kNoWhiteWin,
       Expect::kWhiteWins},
      {"black facing white's four whose defence is forbidden", kPlayer1, 3, 0, kAny,
       Expect::kStar, Expect::kWhiteWins},
      {"black facing white's four whose defence is forbidden", kPlayer1, 3, 1, kAny, Expect::kStar,
       Expect::kWhiteWins},
      {"white's double three against black's forbidden double four", kPlayer2, 4, 0, kAny,
       Expect::kStar, Expect::kWhiteWins},
  };
  for (Rule rule : {Rule::kFreestyle, Rule::kRenju}) {
    Tessel_SetRule(rule);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.position) + (rule == Rule::kRenju ? ", renju" : ", freestyle") +
                   ", depth " + std::to_string(c.depth) + ", cap " + std::to_string(c.cap));
      const Drawing d = LayCase("renju_searches.txt", c.position, c.toMove);
      EXPECT_EQ(Tessel_IsForbidden(int16_t(d.x), int16_t(d.y)), rule == Rule::kRenju);
      Tessel_SetMaxNodes(c.cap);
      Tessel_SetTurnTime(c.turnMs);
      const Answer a = Search(c.depth);
      EXPECT_EQ(Tessel_GetSymbol(a.x, a.y), kEmpty);
      EXPECT_FALSE(Tessel_IsForbidden(a.x, a.y));
      const Expect expect = rule == Rule::kRenju ? c.renju : c.freestyle;
      EXPECT_TRUE(expect != Expect::kStar || (a.x == d.x && a.y == d.y)) << a.x << "," << a.y;
      EXPECT_TRUE(expect != Expect::kWhiteWins || a.value == -kWinValue) << a.value;
      EXPECT_TRUE(expect != Expect::kNoWhiteWin || a.value != -kWinValue);
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
    ASSERT_EQ(Tessel_GetSideToMove(), kPlayer1);
    ASSERT_EQ(state_checks::StateFaults(start), "");
    for (int16_t y = 0; y < 20; ++y)
      for (int16_t x = 0; x < 20; ++x) forbiddenSeen += Tessel_IsForbidden(x, y);
    for (int64_t cap : {0, 50}) {
      Tessel_SetMaxNodes(cap);
      const Answer a = Search(2);
      ASSERT_EQ(Tessel_GetSymbol(a.x, a.y), kEmpty);
      ASSERT_FALSE(Tessel_IsForbidden(a.x, a.y)) << a.x << "," << a.y << " cap " << cap;
    }
  }
  EXPECT_GT(forbiddenSeen, 20);  // the positions do hold forbidden squares
}

}  // namespace
