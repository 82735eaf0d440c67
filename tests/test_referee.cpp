// The judges that the tests and tools trust, beside the engine's own: the
// reference forbidden-square checker for renju and the engine on drawn
// positions, the referee's verdicts and the engine's GameWon under every
// rule, and the manager harness telling engines the rule and judging a
// forbidden move as the fault that ends the game.
#include <gtest/gtest.h>

#include <algorithm>
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
  EXPECT_TRUE(IsForbiddenReference(d.cells, d.x, d.y) && Tessel_IsForbidden(int16_t(d.x), int16_t(d.y)));
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
          EXPECT_EQ(referee.MakesFive(d.x, d.y, mover), expected == Outcome::kFive);
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

// White has O O O O with its one five square F, closed at the other end.
// F is a double three for black, so under renju black cannot block there: F
// loses at once and a move elsewhere is no fault, the game being lost either
// way. Under freestyle black must block at F.
TEST(Referee, ABlockOnlyOnAForbiddenSquareIsNoDuty) {
  const Stones black = {{2, 7}, {7, 5}, {7, 6}, {6, 8}, {5, 9}};
  const Stones white = {{3, 7}, {4, 7}, {5, 7}, {6, 7}, {14, 0}};
  const std::pair<int, int> f{7, 7}, elsewhere{0, 14};
  for (Rule rule : {Rule::kRenju, Rule::kFreestyle}) {
    Referee referee(15, 15, rule);
    for (auto [x, y] : InPlayOrder(black, white)) referee.Play(x, y);
    SCOPED_TRACE(RuleName(rule));
    ASSERT_EQ(referee.toMove(), 1);
    ASSERT_TRUE(referee.MakesFive(f.first, f.second, 2));
    const bool renju = rule == Rule::kRenju;
    EXPECT_EQ(referee.Fault(f.first, f.second), renju ? "forbidden" : "");
    EXPECT_EQ(referee.Fault(elsewhere.first, elsewhere.second), renju ? "" : "leaves a five open");
    EXPECT_EQ(referee.Play(f.first, f.second), renju ? Outcome::kForbidden : Outcome::kPlaying);
  }
}

TEST(Referee, BlockedSquaresTakeNoStoneAndFillTheBoard) {
  Referee referee(5, 5);
  EXPECT_TRUE(referee.Block(0, 0));
  EXPECT_FALSE(referee.Block(0, 0));
  EXPECT_FALSE(referee.Block(5, 0));
  EXPECT_EQ(referee.Play(0, 0), Outcome::kIllegal);
  EXPECT_EQ(referee.Fault(0, 0), "illegal");
  EXPECT_EQ(referee.toMove(), 1);
  // Blocked squares on one diagonal, stones everywhere else in an order that
  // never lines up five: the last stone fills the board.
  for (int k = 1; k < 5; ++k) referee.Block(k, k);
  Outcome last = Outcome::kPlaying;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x)
      if (referee.IsEmpty(x, y)) last = referee.Play(x, y);
  EXPECT_EQ(last, Outcome::kBoardFull);
  EXPECT_EQ(referee.stones().size(), 20u);
}

TEST(Referee, RulesFromPiskvorkInfoValues) {
  const std::pair<int, Rule> values[] = {
      {0, Rule::kFreestyle}, {1, Rule::kExactFive},     {2, Rule::kFreestyle},
      {3, Rule::kExactFive}, {4, Rule::kRenju},         {5, Rule::kRenju},
      {8, Rule::kCaro},      {9, Rule::kCaroExactFive}, {10, Rule::kCaro},
  };
  for (auto [value, rule] : values) EXPECT_EQ(RuleFromInfo(value), rule) << value;
  for (int r = 0; r < 5; ++r)
    EXPECT_EQ(RuleFromInfo(InfoRuleValue(static_cast<Rule>(r))), static_cast<Rule>(r));
}

// A stand-in engine for the harness's own checks: it answers ABOUT and START,
// repeats every INFO rule line and every blocked square it is sent as a
// MESSAGE, and answers each move request with its next scripted move, leaving
// when it has none.
std::vector<std::string> ScriptedEngine(const Stones& moves) {
  std::vector<std::string> command = {
      "/bin/sh", "-c",
      "while IFS= read -r line; do case \"$line\" in\n"
      "ABOUT) echo 'name=\"scripted\"' ;;\n"
      "START*) echo OK ;;\n"
      "'INFO rule'*|*,3) echo \"MESSAGE $line\" ;;\n"
      "BEGIN|DONE|TURN*) [ $# -gt 0 ] || exit 0; echo \"$1\"; shift ;;\n"
      "END) exit 0 ;;\n"
      "esac; done",
      "scripted"};
  for (auto [x, y] : moves) command.push_back(std::to_string(x) + "," + std::to_string(y));
  return command;
}

bool Skipped(const ManagedEngine& engine, const std::string& line) {
  return std::ranges::find(engine.skipped(), line) != engine.skipped().end();
}

TEST(Manager, TellsTheRuleAsPiskvorkNumbersIt) {
  for (int r = 0; r < 5; ++r) {
    const Rule rule = static_cast<Rule>(r);
    ManagedEngine engine(ScriptedEngine({{7, 7}}));
    ASSERT_TRUE(engine.NewGame(15, {"1 s per move", 1000, 0}, rule));
    ASSERT_EQ(engine.RequestMove(Referee(15, 15, rule), 1, 5000), "7,7");
    EXPECT_TRUE(Skipped(engine, "MESSAGE INFO rule " + std::to_string(InfoRuleValue(rule))))
        << RuleName(rule);
    EXPECT_TRUE(engine.End());
  }
}

// Black builds X X _ across and X X _ down to the same square and plays it: a
// double three, which under renju ends the game as black's fault. Under
// freestyle the game goes on past it until white's script runs out. The
// blocked square reaches each engine in its first BOARD block.
TEST(Manager, AForbiddenMoveEndsTheGameAsAFault) {
  const Stones black = {{7, 5}, {7, 6}, {5, 7}, {6, 7}, {7, 7}};
  const Stones white = {{0, 0}, {0, 2}, {0, 4}, {0, 6}};
  for (Rule rule : {Rule::kRenju, Rule::kFreestyle}) {
    ManagedEngine first(ScriptedEngine(black)), second(ScriptedEngine(white));
    ManagedEngine* engines[2] = {&first, &second};
    const GameResult result =
        PlayGame(engines, {}, 15, {"1 s per move", 1000, 0}, 5000, rule, {{14, 14}});
    SCOPED_TRACE(RuleName(rule));
    if (rule == Rule::kRenju) {
      EXPECT_EQ(result.fault, "move 9 of player 1, 7,7: forbidden");
    } else {
      EXPECT_TRUE(result.fault.starts_with("move 10 of player 2, no reply: no move"))
          << result.fault;
    }
    EXPECT_EQ(result.replies, rule == Rule::kRenju ? 8 : 9);
    EXPECT_TRUE(Skipped(first, "MESSAGE 14,14,3") && Skipped(second, "MESSAGE 14,14,3"));
  }
}

}  // namespace
