// The two move generators on hand-built positions with known category lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "engine/tessel.h"
#include "movegen/movegenerator.h"
#include "ordering/sort.h"
#include "movegen/historytable.h"
#include "search/search.h"
#include "tests/positions.h"

namespace {


// A position, a generator call (the threat generator's when `attacker` is set) and the
// buffer: the groups in turn, each in any order, of moves with `value` and the threat flag.
using Group = std::pair<Stones, int16_t>;  // squares, attacking
struct Case {
  const char* name;
  Stones p1, p2;
  int toMove;
  std::vector<Group> groups;
  int16_t value = 0;
  int attacker = 0, mark1 = 0, narrow = 0;
};
void Check(const Case& c) {
  SCOPED_TRACE(c.name);
  Build(c.p1, c.p2, c.toMove);
  vctMove = 1;
  vctCauseSquareP1 = vctCauseSquareP2 = 99;  // would hide every node unless reset
  c.attacker ? VctGenerateMoves(int16_t(c.attacker), int16_t(c.mark1), 0, int16_t(c.narrow))
             : GenerateMoves();
  const int16_t vct = c.attacker != 0;
  EXPECT_TRUE(vctMove == vct && vctCauseSquareP1 == c.mark1 && vctCauseSquareP2 == 0);
  int i = 0;
  for (const auto& [squares, attacking] : c.groups) {
    std::set<int16_t> want, got;
    for (Stone s : squares) want.insert(SquareIndex(s.first, s.second));
    for (size_t j = 0; j < squares.size() && i < pMoveBuffer->count; ++j, ++i) {
      const MoveRecord& m = pMoveBuffer->moves[i];
      got.insert(m.squareIndex);
      EXPECT_TRUE(m.attacking == attacking && m.value == c.value && m.vctMove == vct) << i;
    }
    EXPECT_EQ(got, want) << "group ending at move " << i;
  }
  EXPECT_EQ(pMoveBuffer->count, i);
}

const Stones kFour5 = {{5, 5}, {6, 5}, {7, 5}, {8, 5}};       // fives at (4,5), (9,5)
const Stones kFour10 = {{5, 10}, {6, 10}, {7, 10}, {8, 10}};  // fives at (4,10), (9,10)
// Open fours (6,7), (10,7), fours (5,7), (11,7); then for kThrees fours (3,12),
// (4,12) on the edge, open threes (11,15), (14,15), split threes (10,15), (15,15).
const Stones kOpenThree = {{7, 7}, {8, 7}, {9, 7}};
const Stones kThrees = {{0, 12}, {1, 12}, {2, 12}, {12, 15}, {13, 15}};
const Group kFives5{{{4, 5}, {9, 5}}, 0}, kFours12{{{3, 12}, {4, 12}}, 1};

TEST(GenerateMoves, TakesTheListsInOrderOfUrgency) {
  // clang-format off
  const Case cases[] = {
      {"own fives first, with 30000", kFour5, kFour10, 1, {{{{4, 5}, {9, 5}}, 1}}, 30000},
      {"then blocks of the opponent's fives", kFour5, {}, 2, {kFives5}},
      {"own open fours alone", kOpenThree, {}, 1, {{{{6, 7}, {10, 7}}, 1}}},
      {"opponent's open four: fours only", {{0, 5}, {1, 5}, {2, 5}}, {{7, 10}, {8, 10}, {9, 10}},
       1, {{{{3, 5}, {4, 5}}, 1}, {{{6, 10}, {10, 10}}, 0}, {{{5, 10}, {11, 10}}, 0}}},
      {"open three, triple two, split three, double two: 8, 10, 9, 11",
       {{10, 10}, {11, 10}, {9, 13}}, {}, 1,
       {{{{9, 10}, {12, 10}}, 1}, {{{11, 11}}, 1}, {{{8, 10}, {13, 10}}, 1},
        {{{10, 9}, {11, 9}, {9, 11}, {10, 11}, {8, 12}, {9, 12}, {10, 12}}, 1}}},
      {"the opponent's split twos, then its wide twos", {{19, 0}, {19, 19}}, {{1, 1}, {0, 19}}, 1,
       {{{{3, 1}, {1, 3}, {3, 3}}, 0}, {{{4, 1}, {1, 4}, {4, 4}}, 0}}},
  };  // clang-format on
  for (const Case& c : cases) Check(c);
}

// Rows of stones on every other square give player 1 27 four squares: both
// generators keep the first twenty in list order, and a take still counts all.
TEST(MoveBuffer, HoldsTwentyMovesAndATakeStillCountsAll) {
  Stones p1, p2;
  for (int x = 0; x < 20; x += 2)
    for (int y : {4, 7, 10, 13, 16, 19}) (y % 2 ? p2 : p1).push_back({x, y});
  Build(p1, p2, 1);
  for (int vct : {0, 1}) {
    vct ? VctGenerateMoves(1, 0, 0, 0) : GenerateMoves();
    ASSERT_EQ(pMoveBuffer->count, kMaxMovesPerBuffer);
    const SquareNode* node = moveCategory[0][5].first;
    for (int i = 0; i < kMaxMovesPerBuffer; ++i, node = node->next)
      EXPECT_EQ(pMoveBuffer->moves[i].squareIndex, node->squareIndex) << vct << ", " << i;
  }
  EXPECT_EQ(TakeMoveCategory(5, 1), 27);
  EXPECT_EQ(pMoveBuffer->count, kMaxMovesPerBuffer);
}

TEST(GenerateMoves, FallsBackOnOneEmptySquare) {
  // An empty board: one random square, drawn anew by every call, that ranges
  // over the central band of each side (about half of it) on every board size.
  const int sizes[][6] = {{20, 20, 5, 14, 5, 14}, {5, 7, 1, 3, 2, 4}, {15, 6, 4, 10, 1, 4}};
  for (const auto& [w, h, xLow, xHigh, yLow, yHigh] : sizes) {
    ASSERT_TRUE(Tessel_SetBoardSize(int16_t(w), int16_t(h)));
    int seen[4] = {99, -1, 99, -1};  // the least and greatest x and y drawn
    for (int i = 0; i < 200; ++i) {
      GenerateMoves();
      ASSERT_EQ(pMoveBuffer->count, 1);
      const int x = pMoveBuffer->moves[0].squareIndex % 30 - 5;
      const int y = pMoveBuffer->moves[0].squareIndex / 30 - 5;
      seen[0] = std::min(seen[0], x), seen[1] = std::max(seen[1], x);
      seen[2] = std::min(seen[2], y), seen[3] = std::max(seen[3], y);
    }
    EXPECT_EQ(std::vector<int>(seen, seen + 4), std::vector<int>({xLow, xHigh, yLow, yHigh})) << w;
  }
  ASSERT_TRUE(Tessel_SetBoardSize(20, 20));
  // A board tiled without three in a row, with two holes: no empty square has
  // a line, yet the fallback names an empty square, until the board is full.
  Stones p1, p2;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      if ((x != 10 || y != 10) && (x != 2 || y != 17))
        ((x + 2 * y) % 4 < 2 ? p1 : p2).push_back({x, y});
  Build(p1, p2, 1);
  for (int16_t c = 0; c < kOpenSingleCategory; ++c)
    ASSERT_EQ(moveCategory[0][c].count + moveCategory[1][c].count, 0);
  GenerateMoves();
  EXPECT_TRUE(pMoveBuffer->count == 1 && pMoveBuffer->moves[0].squareIndex == SquareIndex(10, 10));
  for (auto [x, y] : Stones{{2, 17}, {10, 10}}) Tessel_PutSymbol(x, y);
  GenerateMoves();
  EXPECT_EQ(pMoveBuffer->count, 0);
}

TEST(VctGenerateMoves, ThreatsForTheAttackerAnswersForTheDefender) {
  // Player 1's open three (4..6,6) is older than (10..12,12), whose last stone is the 11th.
  const Stones twoThrees = {{4, 6}, {5, 6}, {6, 6}, {10, 12}, {11, 12}, {12, 12}};
  // clang-format off
  const Case cases[] = {
      {"own fives: 30000, the defender too", kFour5, kFour10, 1, {{{{4, 5}, {9, 5}}, 1}}, 30000, 2},
      {"fives are blocked before the attacker's fours", kFour5, kThrees, 2, {kFives5}, 0, 2},
      {"fives are blocked before the defender's fours", kFour5, kThrees, 2, {kFives5}, 0, 1},
      {"marks of 0 pass all", twoThrees, {}, 1, {{{{3, 6}, {7, 6}, {9, 12}, {13, 12}}, 1}}, 0, 1},
      {"a mark passes the latest threats", twoThrees, {}, 1, {{{{9, 12}, {13, 12}}, 1}}, 0, 1, 11},
      {"a mark above every node passes nothing", twoThrees, {}, 1, {}, 0, 1, 12},
      {"a threatened attacker keeps its fours", kOpenThree, kThrees, 2, {kFours12}, 0, 2},
      {"the defender counters with fours and blocks the fours", kOpenThree, kThrees, 2,
       {kFours12, {{{6, 7}, {10, 7}}, 0}, {{{5, 7}, {11, 7}}, 0}}, 0, 1},
      {"a narrowed defender only blocks fives", kOpenThree, kThrees, 2, {}, 0, 1, 0, 1},
      {"a free attacker adds its threes after its fours", {}, kThrees, 2,
       {kFours12, {{{11, 15}, {14, 15}}, 1}, {{{10, 15}, {15, 15}}, 1}}, 0, 2},
      {"a narrowed attacker plays fours only", {}, kThrees, 2, {kFours12}, 0, 2, 0, 1},
      {"an unthreatened defender has its fours only", {}, kThrees, 2, {kFours12}, 0, 1},
  };  // clang-format on
  for (const Case& c : cases) Check(c);
  Build(twoThrees, {}, 1);
  vctCauseSquareP1 = 11;
  EXPECT_EQ(TakeMoveCategory(2, 1), 2);  // nodes below the mark are not counted
  // Once a move is made, its opponent on move, only an attacking mover's mark becomes
  // the stone count (twelve stones here).
  int16_t c1 = 0, c2 = 0;
  UpdateCauseSquare(0, 4, 7, &c1, &c2);
  EXPECT_TRUE(c1 == 4 && c2 == 7);
  UpdateCauseSquare(1, 4, 7, &c1, &c2);  // player 2 moved
  EXPECT_TRUE(c1 == 4 && c2 == 12);
  Tessel_SetSideToMove(2);
  UpdateCauseSquare(1, 4, 7, &c1, &c2);
  EXPECT_TRUE(c1 == 12 && c2 == 7);
}

// On, the history table orders a buffer by the cut-offs of its squares in this
// search, most first; off, the buffer keeps the generator's order.
TEST(HistoryTable, OrdersMovesByTheirCutoffs) {
  Tessel_Initialize();
  const int16_t s1 = SquareIndex(1, 1), s2 = SquareIndex(2, 2), s3 = SquareIndex(3, 3);
  for (int16_t on : {0, 1}) {
    useHistoryTable = on;
    InitializeSearch();
    pMoveBuffer->count = 0;
    for (int16_t s : {s2, s3, s1}) InsertToMoveBuffer(s, 0);
    for (int16_t s : {s1, s1, s2, s1}) RecordHistoryTable(s);
    SortMoves(pMoveBuffer);
    std::vector<int16_t> order;
    for (int i = 0; i < pMoveBuffer->count; ++i) order.push_back(pMoveBuffer->moves[i].squareIndex);
    const std::vector<int16_t> expected = on ? std::vector{s1, s2, s3} : std::vector{s2, s3, s1};
    EXPECT_EQ(order, expected);
  }
}

}  // namespace
