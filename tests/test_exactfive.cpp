// The exact-five rule: exactly five in a row win, six or more do not. Wins and
// blocks through the facade (the rule setting through the protocol is in
// tests/data/rule_transcripts.txt, the fives and sixes themselves are judged
// in test_referee).
#include <gtest/gtest.h>

#include <string>

#include "engine/tessel.h"
#include "board/board.h"
#include "tests/positions.h"

namespace {

// Every test starts under exact five and leaves freestyle in force.
class ExactFive : public testing::Test {
 protected:
  void SetUp() override { Tessel_SetRule(Rule::kExactFive); }
  void TearDown() override { Tessel_SetRule(Rule::kFreestyle); }
};

// The answer of a short search, as "x,y".
std::string BestMove() {
  Tessel_Search(4, 0, 1);
  int16_t x = -1, y = -1, player = 0, value = 0, vct = 0;
  Tessel_GetBestLine(0, &x, &y, &player, &value, &vct);
  return std::to_string(x) + "," + std::to_string(y);
}

// Row 9: 1 1 1 1 _ 1 from x = 2, so x = 1 makes five and x = 6 six.
const Stones kFourAndOne = {{2, 9}, {3, 9}, {4, 9}, {5, 9}, {7, 9}};
// Scattered stones, no two of them within five squares on one line.
const Stones kQuiet = {{10, 1}, {14, 3}, {18, 6}, {12, 15}, {17, 17}};

// Player 1's five square and six square on row 9: player 1 makes the five,
// player 2 blocks it, and both leave the six alone under exact five; under
// freestyle both squares win.
TEST_F(ExactFive, TheFiveIsPlayedAndTheOpponentsFiveBlockedNotTheSix) {
  for (int16_t toMove : {kPlayer1, kPlayer2}) {
    for (bool exact : {true, false}) {
      Tessel_SetRule(exact ? Rule::kExactFive : Rule::kFreestyle);
      Build(kFourAndOne, kQuiet, toMove);
      SCOPED_TRACE(std::string(toMove == kPlayer1 ? "five" : "block") +
                   (exact ? ", exact five" : ", freestyle"));
      Tessel_SetSideToMove(kPlayer1);
      EXPECT_EQ(GameWon(SquareIndex(1, 9)), 1);
      EXPECT_EQ(GameWon(SquareIndex(6, 9)), exact ? 0 : 1);
      Tessel_SetSideToMove(toMove);
      const std::string best = BestMove();
      EXPECT_TRUE(best == "1,9" || (!exact && best == "6,9")) << best;
    }
  }
}

}  // namespace
