// Renju and caro: wins under each rule, renju's forbidden squares, and the
// search as black (never a forbidden square) and as white (a four whose only
// defence is forbidden wins).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/tessel.h"
#include "board/board.h"
#include "movegen/movegenerator.h"
#include "search/alphabeta.h"
#include "search/hash.h"
#include "search/search.h"
#include "search/timecontrol.h"
#include "tests/positions.h"
#include "tests/squares.h"
#include "tests/state_checks.h"

namespace {

// A picture of part of the board, its top-left corner at (x0, y0): 'X' black
// (player 1), 'O' white, '#' a blocked square, '?' the square judged, any
// other character empty.
struct Picture {
  std::vector<std::string> rows;
  int x0 = 0, y0 = 0;
};

// A new game on a side x side board with the picture's stones, each put with
// its own colour on move; returns the judged square. `toMove` is then to move.
Stone Lay(int side, const Picture& p, int toMove = kPlayer1) {
  EXPECT_TRUE(Tessel_SetBoardSize(int16_t(side), int16_t(side)));
  Stone judged{-1, -1};
  for (size_t y = 0; y < p.rows.size(); ++y) {
    for (size_t x = 0; x < p.rows[y].size(); ++x) {
      const auto bx = int16_t(p.x0 + int(x)), by = int16_t(p.y0 + int(y));
      const char c = p.rows[y][x];
      if (c == '#') {
        EXPECT_TRUE(Tessel_BlockSquare(bx, by));
      }
      if (c == 'X' || c == 'O') {
        whoIsOnMove = c == 'X' ? kPlayer1 : kPlayer2;
        Tessel_PutSymbol(bx, by);
      }
      if (c == '?') judged = {bx, by};
    }
  }
  whoIsOnMove = int16_t(toMove);
  return judged;
}

// Leaves freestyle and the usual board to the next test.
class Rules : public testing::Test {
 protected:
  void TearDown() override {
    Tessel_SetRule(Rule::kFreestyle);
    ASSERT_TRUE(Tessel_SetBoardSize(20, 20));
  }
};

// Whether the mover's stone on '?' wins, under every rule. Columns: freestyle,
// exact five, renju, caro, caro with exact five.
TEST_F(Rules, GameWonUnderEachRule) {
  struct Case {
    const char* name;
    Picture picture;
    int mover;
    bool wins[5];
  };
  const Rule rules[] = {Rule::kFreestyle, Rule::kExactFive, Rule::kRenju, Rule::kCaro,
                        Rule::kCaroExactFive};
  // clang-format off
  const Case cases[] = {
      {"an open five", {{".XXXX?."}, 3, 7}, 1, {1, 1, 1, 1, 1}},
      {"a five closed at both ends", {{"OXXXX?O"}, 3, 7}, 1, {1, 1, 1, 0, 0}},
      {"the same for white", {{"XOOOO?X"}, 3, 7}, 2, {1, 1, 1, 0, 0}},
      {"closed at one end", {{"OXXXX?."}, 3, 7}, 1, {1, 1, 1, 1, 1}},
      {"the edge at one end", {{"XXXX?O"}, 0, 7}, 1, {1, 1, 1, 1, 1}},
      {"the edge at one end, vertical", {{"X", "X", "?", "X", "X", "O"}, 9, 0}, 1, {1, 1, 1, 1, 1}},
      {"a blocked square at one end", {{"#XXXX?O"}, 3, 7}, 1, {1, 1, 1, 1, 1}},
      {"closed at both ends on a diagonal",
       {{"O.....", ".X....", "..X...", "...?..", "....X.", ".....X", "......O"}, 4, 4}, 1,
       {1, 1, 1, 0, 0}},
      {"a six closed at both ends", {{"OXXXX?XO"}, 3, 7}, 1, {1, 0, 0, 1, 0}},
      {"white's six closed at both ends", {{"XOOOO?OX"}, 3, 7}, 2, {1, 0, 1, 1, 0}},
      {"black's overline", {{".XXX?XX."}, 3, 7}, 1, {1, 0, 0, 1, 0}},
      {"white's overline", {{".OOO?OO."}, 3, 7}, 2, {1, 0, 1, 1, 0}},
      {"a five beside an own stone past a gap", {{"OXXXX?.XO"}, 3, 7}, 1, {1, 1, 1, 1, 1}},
  };  // clang-format on
  for (int side : {15, 20}) {
    for (const Case& c : cases) {
      for (int r = 0; r < 5; ++r) {
        SCOPED_TRACE(std::string(c.name) + ", side " + std::to_string(side) + ", rule " +
                     std::to_string(r));
        Tessel_SetRule(rules[r]);
        const Stone s = Lay(side, c.picture, c.mover);
        EXPECT_EQ(GameWon(SquareIndex(s.first, s.second)), c.wins[r] ? 1 : 0);
      }
    }
  }
}

// Forbidden squares for black under renju, on both board sizes; each picture
// sits away from the edges unless it is about them.
TEST_F(Rules, ForbiddenSquares) {
  struct Case {
    const char* name;
    Picture picture;
    bool forbidden;
  };
  // clang-format off
  const Case cases[] = {
      {"double three", {{".....", "..X..", "..X..", "..?XX", "....."}, 4, 4}, true},
      {"double three, split", {{"......", "..X...", "......", "..X...", "..?.XX", "......"}, 4, 4},
       true},
      {"double three on the diagonals",
       {{".......", ".X...X.", "..X.X..", "...?...", ".......", "......."}, 4, 4}, true},
      {"double four in two lines", {{"..X...", "..X...", "..X...", "..?XXX", "......"}, 4, 4},
       true},
      {"double four in one line", {{".XXX.?.XXX."}, 2, 8}, true},
      {"double four in one line, two and two", {{".XX.X?.XX."}, 2, 8}, true},
      {"double four in one line, vertical", {{"X", ".", "X", "?", "X", ".", "X"}, 8, 4}, true},
      {"four and three", {{"..X...", "..X...", "..X...", "..?XX.", "......"}, 4, 4}, false},
      {"four and three, the four closed",
       {{"..O...", "..X...", "..X...", "..X...", "..?XX.", "......"}, 4, 3}, false},
      {"five with a double three",
       {{"X.......", ".X......", "..X.....", "...X....", "....?XX.", "....X...", "....X...",
         "........"}, 3, 3}, false},
      {"overline", {{".XXX?XX."}, 3, 8}, true},
      {"overline in one line, five in another",
       {{"....X...", "....X...", "....X...", "....X...", ".XXX?XX.", "........"}, 3, 3}, false},
      {"an open three and a closed one", {{".....", "..X..", "..X..", "..?XXO", "....."}, 4, 4},
       false},
      {"a lone open three", {{".....", "..X..", "..X..", "..?..", "....."}, 4, 4}, false},
      {"a four alone", {{".XXX?."}, 4, 8}, false},
      {"white's stones make no black shape",
       {{".....", "..O..", "..O..", "..?OO", "....."}, 4, 4}, false},
      // The straight-four squares of the horizontal three, either side of it,
      // make overlines, so that three is no three; the vertical one is.
      {"a three whose straight-four squares are forbidden",
       {{"...X...X..", "...X...X..", "...X...X..", "....?XX...", "...XX.OX..", "...XX..X..",
         "..........", ".........."}, 3, 3}, false},
      {"the same without the overlines", {{"....?XX...", "....X.....", "....X....."}, 3, 6}, true},
      {"a three against the edge and an open one",
       {{"?XX.", "X...", "X...", "...."}, 0, 6}, false},
      {"a three one square off the edge and an open one",
       {{".?XX..", ".X....", ".X....", "......"}, 0, 6}, true},
      {"a three against a blocked square and an open one",
       {{"#?XX..", ".X....", ".X....", "......"}, 4, 6}, false},
      {"a three past a blocked square and an open one",
       {{"#.?XX...", "..X.....", "..X.....", "........"}, 3, 6}, true},
  };  // clang-format on
  for (int side : {15, 20}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + ", side " + std::to_string(side));
      Tessel_SetRule(Rule::kRenju);
      const Stone s = Lay(side, c.picture);
      const auto x = int16_t(s.first), y = int16_t(s.second);
      EXPECT_EQ(Tessel_IsForbidden(x, y), c.forbidden);
      // Under the other rules nothing is forbidden; the judgement follows a
      // rule change in the game in play.
      Tessel_SetRule(Rule::kExactFive);
      EXPECT_FALSE(Tessel_IsForbidden(x, y));
      Tessel_SetRule(Rule::kRenju);
      EXPECT_EQ(Tessel_IsForbidden(x, y), c.forbidden);
      EXPECT_FALSE(Tessel_IsForbidden(int16_t(side), 0) || Tessel_IsForbidden(-1, 3));
    }
  }
  // An occupied square is never forbidden.
  const Stone s = Lay(20, {{".XXX?XX."}, 3, 8});
  EXPECT_TRUE(Tessel_IsForbidden(int16_t(s.first), int16_t(s.second)));
  whoIsOnMove = kPlayer2;
  Tessel_PutSymbol(int16_t(s.first), int16_t(s.second));
  EXPECT_FALSE(Tessel_IsForbidden(int16_t(s.first), int16_t(s.second)));
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

// Black to move: (10,10) makes two fours, each closed at one end by white, and
// wins at once under freestyle. Under renju it is forbidden, and neither the
// search, nor a search cut by the move cap, nor one stopped by the clock
// before its first iteration ends plays it.
TEST_F(Rules, BlackNeverPlaysAForbiddenSquare) {
  const Picture doubleFour = {
      {"....O...", "....X...", "....X...", "....X...", "OXXX?...", "........"}, 6, 6};
  for (Rule rule : {Rule::kFreestyle, Rule::kRenju}) {
    Tessel_SetRule(rule);
    for (int32_t cap : {0, 1}) {
      for (int16_t depth : {int16_t{1}, int16_t{4}}) {
        SCOPED_TRACE((rule == Rule::kRenju ? "renju, cap " : "freestyle, cap ") +
                     std::to_string(cap) + ", depth " + std::to_string(depth));
        const Stone s = Lay(20, doubleFour);
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
  const Stone s = Lay(20, doubleFour);
  searchTimeout = 0;
  matchTimeout = INT32_MAX;
  Tessel_Search(10, 0, 1);
  int16_t x = -1, y = -1, player = 0, value = 0, vct = 0;
  Tessel_GetBestLine(0, &x, &y, &player, &value, &vct);
  EXPECT_TRUE(Stone(x, y) != s && !Tessel_IsForbidden(x, y) && Tessel_GetSymbol(x, y) == kEmpty);
}

// White's stones (6..8,10) are closed on the left by black; white's (9,10)
// makes a four whose only five square is (10,10), where black's column
// (10,7..9), (10,11..12) would make six: forbidden, so the four wins for white
// under renju and not under freestyle. Black to move in the same spot after
// the four has no allowed defence, has lost, and still answers an allowed
// square.
TEST_F(Rules, WhiteWinsByAFourWhoseDefenceIsForbidden) {
  const Picture p = {{"......X...", "......X...", "......X...", ".XOOO.?...", "......X...",
                      "......X...", "......O..."},
                     4, 7};
  for (Rule rule : {Rule::kFreestyle, Rule::kRenju}) {
    SCOPED_TRACE(rule == Rule::kRenju ? "renju" : "freestyle");
    Tessel_SetRule(rule);
    const Stone blackSquare = Lay(20, p, kPlayer2);
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
    Lay(20, p, kPlayer2);
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

// Black's (10,10) makes two fours, each closed at one end: under renju a
// forbidden square and no threat. White to move makes two open threes at
// (4,3) and wins under renju; under freestyle black's double four comes first.
TEST_F(Rules, WhiteIgnoresBlacksForbiddenDoubleFour) {
  const Picture p = {{"....O.......", "....X.......", "....X.......", "....X.......",
                      "OXXX........", "............", "............"},
                     6, 6};
  for (Rule rule : {Rule::kFreestyle, Rule::kRenju}) {
    SCOPED_TRACE(rule == Rule::kRenju ? "renju" : "freestyle");
    Tessel_SetRule(rule);
    Lay(20, p, kPlayer2);
    for (auto [x, y] : Stones{{2, 3}, {3, 3}, {4, 1}, {4, 2}}) {
      whoIsOnMove = kPlayer2;
      Tessel_PutSymbol(int16_t(x), int16_t(y));
    }
    whoIsOnMove = kPlayer2;
    const Answer a = Search(4);
    if (rule == Rule::kRenju) {
      EXPECT_EQ(a.value, -kWinScore);
    } else {
      EXPECT_EQ(a.move, Stone(10, 10));
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
