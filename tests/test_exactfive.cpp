// The exact-five rule: exactly five in a row win, six or more do not. Wins and
// blocks through the facade, and the rule setting through the protocol (the
// fives and sixes themselves are judged in test_referee).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/tessel.h"
#include "board/board.h"
#include "tests/positions.h"
#include "tools/harness/manager.h"

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

// Through the protocol: player 1 has 1 1 1 1 _ 1 on row 9 with the five
// square taken by player 2, so only the six is left. Under freestyle it wins;
// under exact five it is no move to insist on. Bit 1 of INFO rule selects
// exact five at once, in the game in play; a renju or caro bit keeps
// freestyle and says so before the next move.
TEST(ExactFiveProtocol, InfoRuleSwitchesTheGameInPlay) {
  const Stones p1 = kFourAndOne, p2 = {{1, 9}, {10, 1}, {14, 3}, {18, 6}, {12, 15}};
  std::string input = "START 20\nINFO max_depth 2\nINFO timeout_turn 60000\n";
  for (auto [x, y] : InPlayOrder(p1, p2))
    input += "PLAY " + std::to_string(x) + "," + std::to_string(y) + "\n";
  for (const char* rule : {"0", "1", "5", "3", "2", "9", "1"})
    input += std::string("INFO rule ") + rule + "\nBEST 1\n";
  // A new game keeps the rule: player 2's six on row 0 is not answered.
  input +=
      "START 20\nBOARD\n0,0,2\n1,0,2\n2,0,2\n3,0,2\n5,0,2\n4,1,1\n0,5,1\n9,9,1\n19,19,1\n"
      "DONE\n";
  const RunResult r = RunEngine(input);
  // Only freestyle (0, and Piskvork's continuous game 2) plays player 1's six:
  // renju (5) forbids it to black, and exact five (1, 3, and caro's 9) does not
  // count it.
  const std::vector<std::string> six = {"OK", "6,9", "", "", "", "6,9", "", "", "OK", ""};
  ASSERT_EQ(r.lines.size(), six.size());
  for (size_t i = 0; i < six.size(); ++i) {
    if (six[i].empty())
      EXPECT_NE(r.lines[i], "6,9") << i;  // a move, but not the six
    else
      EXPECT_EQ(r.lines[i], six[i]) << i;
  }
  EXPECT_NE(r.lines.back(), "4,0");
  EXPECT_EQ(r.exitStatus, 0);
}

}  // namespace
