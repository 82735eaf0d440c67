// The judges that the tests and tools trust: the reference forbidden-square
// checker for renju on drawn positions, the referee's verdicts under every
// rule, and the manager harness telling engines the rule and judging a
// forbidden move as the fault that ends the game.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "engine/tessel.h"
#include "board/board.h"
#include "tools/harness/manager.h"
#include "tools/harness/renju_reference.h"

namespace {

using Rule = Referee::Rule;
using Outcome = Referee::Outcome;
using Cells = std::vector<std::vector<int>>;

// A position drawn as rows of text, its top-left square at (left, top) on the
// board, or its right end on the right edge when left is -1: X black
// (player 1), O white, # blocked, . empty, * the square tried (empty).
// Outside the drawing the board is empty.
struct Drawing {
  std::vector<std::string> rows;
  int left, top;
};

// One of the board's eight symmetries applied to (x, y): mirror x, mirror y,
// then swap the axes, as the bits of `symmetry` say.
std::pair<int, int> Transform(int x, int y, int side, int symmetry) {
  if (symmetry & 1) x = side - 1 - x;
  if (symmetry & 2) y = side - 1 - y;
  if (symmetry & 4) std::swap(x, y);
  return {x, y};
}

// The drawing on a side x side board under a symmetry: the cells and the
// tried square.
Cells Draw(const Drawing& d, int side, int symmetry, std::pair<int, int>* tried) {
  Cells cells(side, std::vector<int>(side, 0));
  for (int r = 0; r < static_cast<int>(d.rows.size()); ++r)
    for (int c = 0; c < static_cast<int>(d.rows[r].size()); ++c) {
      const int left = d.left >= 0 ? d.left : side - static_cast<int>(d.rows[r].size());
      const auto [x, y] = Transform(left + c, d.top + r, side, symmetry);
      const char ch = d.rows[r][c];
      cells[y][x] = ch == 'X' ? 1 : ch == 'O' ? 2 : ch == '#' ? 3 : 0;
      if (ch == '*') *tried = {x, y};
    }
  return cells;
}

struct ForbiddenCase {
  const char* name;
  Drawing drawing;
  bool forbidden;
};

// clang-format off
const ForbiddenCase kForbiddenCases[] = {
    {"double three", {{".......",
                       "...X...",
                       "...X...",
                       ".XX*...",
                       ".......",
                       "......."}, 3, 3}, true},
    // Both fours are closed at one end: a four need not be open.
    {"double four in two lines", {{"....X....",
                                   "....X....",
                                   "....X....",
                                   "OXXX*....",
                                   "........."}, 3, 3}, true},
    {"double four in one line, X X X . * . X X X", {{".XXX.*.XXX."}, 2, 7}, true},
    {"double four in one line, X . X * X . X", {{".X.X*X.X."}, 3, 7}, true},
    {"double four in one line, X X . * X . X X", {{".XX.*X.XX."}, 3, 7}, true},
    // A straight four has two five squares but is one four.
    {"straight four and a three", {{"....X....",
                                    "....X....",
                                    "....X....",
                                    "..XX*....",
                                    ".........",
                                    "........."}, 3, 3}, false},
    {"five with a double three", {{"..........",
                                   "...X......",
                                   "...X......",
                                   ".XX*......",
                                   "....X.....",
                                   ".....X....",
                                   "......X...",
                                   ".......X..",
                                   ".........."}, 3, 2}, false},
    {"overline", {{"..XX*XXX.."}, 3, 7}, true},
    {"overline in one line, exact five in another", {{"....X....",
                                                      "....X....",
                                                      "....X....",
                                                      "....X....",
                                                      ".XXX*XX..",
                                                      "........."}, 3, 3}, false},
    // The row * X X can become a straight four only on its right (O closes
    // the left), and that square makes six in its column: an overline, so
    // forbidden, so the row is no three and the column's three is alone.
    {"a three whose straight-four square is an overline", {{"..........",
                                                            "..........",
                                                            "...X..X...",
                                                            "...X..X...",
                                                            ".O.*XX..O.",
                                                            "......X...",
                                                            "......X...",
                                                            "......X...",
                                                            ".........."}, 2, 3}, false},
    // The same with the column beside it short of the overline: the
    // straight-four square is a four and a three, allowed, so both threes count.
    {"a three whose straight-four square is allowed", {{"..........",
                                                        "..........",
                                                        "...X......",
                                                        "...X......",
                                                        ".O.*XX..O.",
                                                        "......X...",
                                                        "......X...",
                                                        ".........."}, 2, 3}, true},
    // The row's straight-four square makes a five in its column: a stone
    // that makes a five is no step to a straight four (it wins), so the row
    // is no three. Piskvork and c-gomoku-cli judge it so.
    {"a three whose straight-four square makes a five", {{"..........",
                                                          "..........",
                                                          "...X..X...",
                                                          "...X..X...",
                                                          ".O.*XX..O.",
                                                          "......X...",
                                                          "......X...",
                                                          ".........."}, 2, 3}, false},
    // Two levels: the row's straight-four square makes a four in the row and
    // open threes in its column and its diagonal, a double three, forbidden;
    // those threes' own straight-four squares are allowed.
    {"a three whose straight-four square is a double three", {{"...........",
                                                               "...........",
                                                               "...X.......",
                                                               "...X.......",
                                                               ".O.*XX..O..",
                                                               "......XX...",
                                                               "......X.X..",
                                                               "...........",
                                                               "..........."}, 2, 3}, false},
    // X X * against the edge: its only four, X X * X, has the edge at its
    // left end, so it is no straight four and the row no three.
    {"a three closed by the edge", {{"........",
                                     "..X.....",
                                     "..X.....",
                                     "XX*.....",
                                     "........",
                                     "........"}, 0, 4}, false},
    {"a three one square from the edge", {{"........",
                                           "...X....",
                                           "...X....",
                                           ".XX*....",
                                           "........",
                                           "........"}, 0, 4}, true},
    {"a three closed by a blocked square", {{".........",
                                             "....X....",
                                             "....X....",
                                             ".#XX*....",
                                             ".........",
                                             "........."}, 3, 3}, false},
    {"a three closed by a white stone", {{".........",
                                          "....X....",
                                          "....X....",
                                          ".OXX*....",
                                          ".........",
                                          "........."}, 3, 3}, false},
    // # . X X *: the straight four . X X * X has an empty square at each end,
    // and the five through the left one stops at # as it would at the edge.
    {"a three with a blocked square one square further", {{".........",
                                                           ".....X...",
                                                           ".....X...",
                                                           ".#.XX*...",
                                                           ".........",
                                                           "........."}, 3, 3}, true},
    {"a split three X . X X and a three", {{"..........",
                                            ".....X....",
                                            ".....X....",
                                            "..X.X*....",
                                            "..........",
                                            ".........."}, 3, 3}, true},
    {"a split three closed by white", {{"..........",
                                        ".....X....",
                                        ".....X....",
                                        ".OX.X*....",
                                        "..........",
                                        ".........."}, 3, 3}, false},
    // X X . X * X: the gap makes six, not five, so the row is no four (and
    // no three), and the column's four is alone.
    {"a four whose five square would make six", {{".....X...",
                                                  ".....X...",
                                                  ".....X...",
                                                  ".XX.X*X..",
                                                  "........."}, 3, 3}, false},
    // O . X X * . . X: the straight four . X X * . would have to end at a
    // square making six, and the other side is closed by O: no three.
    {"a three whose straight four would need an overline", {{"..........",
                                                             "....X.....",
                                                             "....X.....",
                                                             "O.XX*..X..",
                                                             "..........",
                                                             ".........."}, 2, 3}, false},
};
// clang-format on

// The engine's verdict on the same cells: the board laid out under renju, each
// stone put with its own colour on move.
bool EngineForbidden(const Cells& cells, std::pair<int, int> tried) {
  const int side = static_cast<int>(cells.size());
  EXPECT_TRUE(Tessel_SetBoardSize(int16_t(side), int16_t(side)));
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      if (cells[y][x] == 3) Tessel_BlockSquare(int16_t(x), int16_t(y));
      if (cells[y][x] != 1 && cells[y][x] != 2) continue;
      whoIsOnMove = int16_t(cells[y][x]);
      Tessel_PutSymbol(int16_t(x), int16_t(y));
    }
  return Tessel_IsForbidden(int16_t(tried.first), int16_t(tried.second));
}

// Every case on both board sizes and in all eight orientations, so that each
// direction and each edge gets its turn; the engine must agree.
TEST(RenjuReference, DrawnPositions) {
  Tessel_SetRule(::Rule::kRenju);
  for (const ForbiddenCase& c : kForbiddenCases) {
    for (int side : {15, 20}) {
      for (int symmetry = 0; symmetry < 8; ++symmetry) {
        std::pair<int, int> tried{-1, -1};
        const Cells cells = Draw(c.drawing, side, symmetry, &tried);
        EXPECT_EQ(IsForbiddenReference(cells, tried.first, tried.second), c.forbidden)
            << c.name << ", board " << side << ", symmetry " << symmetry;
        EXPECT_EQ(EngineForbidden(cells, tried), c.forbidden)
            << "engine: " << c.name << ", board " << side << ", symmetry " << symmetry;
      }
    }
  }
  Tessel_SetRule(::Rule::kFreestyle);
  ASSERT_TRUE(Tessel_SetBoardSize(20, 20));
}

TEST(RenjuReference, OccupiedAndOffBoardSquaresAreNotForbidden) {
  std::pair<int, int> tried;
  const Cells cells = Draw(kForbiddenCases[0].drawing, 15, 0, &tried);
  EXPECT_TRUE(IsForbiddenReference(cells, tried.first, tried.second));
  EXPECT_FALSE(IsForbiddenReference(cells, 6, 4));  // a black stone of the three
  for (auto [x, y] : {std::pair{-1, 0}, {15, 3}, {3, 15}, {0, -1}})
    EXPECT_FALSE(IsForbiddenReference(cells, x, y));
}

// The referee on a drawn position on a side x side board: X are the mover's
// stones, O the other player's, and stones of each far away make the counts
// alternate.
Referee Judge(const Drawing& d, int side, Rule rule, int mover, std::pair<int, int>* tried) {
  const Cells cells = Draw(d, side, 0, tried);
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

struct Verdict {
  const char* name;
  Drawing drawing;
  // The outcome of the move under freestyle, exact five, renju, caro and caro
  // exact five (Rule's order), for each mover: [0] player 1, [1] player 2.
  Outcome outcome[2][5];
};

constexpr Outcome F = Outcome::kFive, P = Outcome::kPlaying, N = Outcome::kForbidden;

// clang-format off
const Verdict kVerdicts[] = {
    {"open five", {{"..XXXX*.."}, 3, 3}, {{F, F, F, F, F}, {F, F, F, F, F}}},
    // Caro's own case: the opponent's stones just beyond both ends.
    {"five between the opponent's stones", {{"..OXXXX*O.."}, 3, 3},
     {{F, F, F, P, P}, {F, F, F, P, P}}},
    {"five closed at one end", {{"..OXXXX*..."}, 3, 3}, {{F, F, F, F, F}, {F, F, F, F, F}}},
    // The square just beyond the end is empty; the opponent's stone one
    // further does not close the five.
    {"five with the opponent one square beyond", {{".OXXXX*.O.."}, 3, 3},
     {{F, F, F, F, F}, {F, F, F, F, F}}},
    {"five from the edge to the opponent", {{"XXXX*O..."}, 0, 3},
     {{F, F, F, F, F}, {F, F, F, F, F}}},
    {"five from the opponent to the edge", {{"OXXXX*"}, -1, 3}, {{F, F, F, F, F}, {F, F, F, F, F}}},
    {"five between a blocked square and the opponent", {{"..#XXXX*O.."}, 3, 3},
     {{F, F, F, F, F}, {F, F, F, F, F}}},
    // Six: freestyle's and caro's win, for renju's white only; black's six is
    // an overline, a forbidden move.
    {"six", {{"..XXX*XX.."}, 3, 3}, {{F, P, N, F, P}, {F, P, F, F, P}}},
    {"six between the opponent's stones", {{"..OXXX*XXO.."}, 3, 3},
     {{F, P, N, F, P}, {F, P, F, F, P}}},
    {"seven", {{".XXX*XXX."}, 3, 3}, {{F, P, N, F, P}, {F, P, F, F, P}}},
    // Black's five wins under renju though the same stone makes six in another line.
    {"five and six in another line", {{"....X....",
                                       "....X....",
                                       "....X....",
                                       "....X....",
                                       ".XXX*XX..",
                                       "........."}, 3, 3}, {{F, F, F, F, F}, {F, F, F, F, F}}},
    {"double three", {{".......",
                       "...X...",
                       "...X...",
                       ".XX*...",
                       ".......",
                       "......."}, 3, 3}, {{P, P, N, P, P}, {P, P, P, P, P}}},
    {"double four", {{".XXX.*.XXX."}, 2, 3}, {{P, P, N, P, P}, {P, P, P, P, P}}},
};
// clang-format on

TEST(Referee, VerdictsUnderEveryRule) {
  for (const Verdict& v : kVerdicts) {
    for (int side : {15, 20}) {
      for (int mover : {1, 2}) {
        for (int r = 0; r < 5; ++r) {
          const Rule rule = static_cast<Rule>(r);
          std::pair<int, int> tried;
          Referee referee = Judge(v.drawing, side, rule, mover, &tried);
          ASSERT_EQ(referee.toMove(), mover) << v.name;
          const Outcome expected = v.outcome[mover - 1][r];
          SCOPED_TRACE(std::string(v.name) + ", board " + std::to_string(side) + ", player " +
                       std::to_string(mover) + ", " + RuleName(rule));
          EXPECT_EQ(referee.MakesFive(tried.first, tried.second, mover), expected == F);
          EXPECT_EQ(referee.IsForbidden(tried.first, tried.second), mover == 1 && expected == N);
          EXPECT_EQ(referee.Fault(tried.first, tried.second), expected == N ? "forbidden" : "");
          EXPECT_EQ(referee.Play(tried.first, tried.second), expected);
        }
      }
    }
  }
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
