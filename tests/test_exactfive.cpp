// The exact-five rule: exactly five in a row win, six or more do not. Wins and
// blocks through the facade, the referee's judgement beside the engine's, and
// the rule setting through the protocol.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/tessel.h"
#include "board/board.h"
#include "tests/positions.h"
#include "tests/state_checks.h"
#include "tools/harness/manager.h"

namespace {

using Rule = Referee::Rule;

// Every test starts under exact five and leaves freestyle in force.
class ExactFive : public testing::Test {
 protected:
  void SetUp() override { Tessel_SetRule(::Rule::kExactFive); }
  void TearDown() override { Tessel_SetRule(::Rule::kFreestyle); }
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
      Tessel_SetRule(exact ? ::Rule::kExactFive : ::Rule::kFreestyle);
      Build(kFourAndOne, kQuiet, toMove);
      SCOPED_TRACE(std::string(toMove == kPlayer1 ? "five" : "block") +
                   (exact ? ", exact five" : ", freestyle"));
      whoIsOnMove = kPlayer1;
      EXPECT_EQ(GameWon(SquareIndex(1, 9)), 1);
      EXPECT_EQ(GameWon(SquareIndex(6, 9)), exact ? 0 : 1);
      whoIsOnMove = toMove;
      const std::string best = BestMove();
      EXPECT_TRUE(best == "1,9" || (!exact && best == "6,9")) << best;
    }
  }
}

// Five in a row from an edge, in each direction, on both board sizes: the
// line L[0..5] starts on the edge, four of L[0..4] hold stones and the fifth,
// on the edge or at the far end, is to be played; a stone on L[5] makes it
// six. Player 2's stones stand apart on a row of their own. The engine's
// GameWon and the referee agree with the rule.
TEST_F(ExactFive, FivesFromTheEdgesInEveryDirectionAndOverlines) {
  const int dirs[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
  for (int side : {15, 20}) {
    for (const auto& d : dirs) {
      for (int gap : {0, 4}) {
        for (bool sixth : {false, true}) {
          for (Rule rule : {Rule::kExactFive, Rule::kFreestyle}) {
            const int x0 = d[0] ? 0 : 3, y0 = d[1] > 0 ? 0 : d[1] < 0 ? side - 1 : 3;
            auto at = [&](int i) { return std::pair{x0 + i * d[0], y0 + i * d[1]}; };
            Stones p1, p2;
            for (int i = 0; i < (sixth ? 6 : 5); ++i)
              if (i != gap) p1.push_back(at(i));
            for (size_t k = 0; k < p1.size(); ++k) p2.emplace_back(side - 1 - 2 * int(k), side / 2);
            Tessel_SetRule(rule == Rule::kExactFive ? ::Rule::kExactFive : ::Rule::kFreestyle);
            ASSERT_TRUE(Tessel_SetBoardSize(int16_t(side), int16_t(side)));
            Build(p1, p2, kPlayer1);
            Referee referee(side, side, rule);
            for (auto [x, y] : InPlayOrder(p1, p2)) referee.Play(x, y);
            const auto [gx, gy] = at(gap);
            const bool five = rule == Rule::kFreestyle || !sixth;
            SCOPED_TRACE(std::to_string(side) + ", direction " + std::to_string(d[0]) + "," +
                         std::to_string(d[1]) + ", gap " + std::to_string(gap) +
                         (sixth ? ", six" : ", five") +
                         (rule == Rule::kExactFive ? ", exact five" : ", freestyle"));
            EXPECT_EQ(GameWon(SquareIndex(gx, gy)), five ? 1 : 0);
            EXPECT_EQ(referee.MakesFive(gx, gy, kPlayer1), five);
          }
        }
      }
    }
  }
  ASSERT_TRUE(Tessel_SetBoardSize(20, 20));
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
