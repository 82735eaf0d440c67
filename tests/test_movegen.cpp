// The two move generators on hand-built positions with known category lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "engine/tessel.h"
#include "movegen/movegenerator.h"
#include "ordering/sort.h"
#include "movegen/historytable.h"
#include "search/search.h"
#include "tests/data_file.h"
#include "tests/squares.h"

namespace {

// The squares a case draws with `digit`.
std::set<int16_t> DrawnGroup(const DataCase& c, char digit) {
  DataCase marks = c;
  for (std::string& row : marks.rows)
    for (char& square : row) square = square == digit ? 'X' : '.';
  const Cells cells = Draw(marks, 20).cells;
  std::set<int16_t> squares;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      if (cells[y][x] == 1) squares.insert(SquareIndex(x, y));
  return squares;
}

// The cases of movegen_cases.txt: each position, its generator call and the
// buffer it fills.
TEST(GenerateMoves, BothGeneratorsTakeTheListsInOrderOfUrgency) {
  for (const DataCase& c : ReadCases("movegen_cases.txt")) {
    SCOPED_TRACE(c.name);
    const auto key = [&c](const char* k) { return int16_t(c.values.count(k) ? c.Int(k) : 0); };
    LayOnEngine(Draw(c, 20).cells, c.Int("move"));
    vctMove = 1;
    vctCauseSquareP1 = vctCauseSquareP2 = 99;  // would hide every node unless reset
    const int16_t vct = key("attacker") != 0;
    vct ? VctGenerateMoves(key("attacker"), key("mark"), 0, key("narrow")) : GenerateMoves();
    EXPECT_TRUE(vctMove == vct && vctCauseSquareP1 == key("mark") && vctCauseSquareP2 == 0);
    const std::string attacking = c.Get("attacking");
    int i = 0;
    for (size_t g = 0; g < attacking.size(); ++g) {
      const std::set<int16_t> want = DrawnGroup(c, char('1' + g));
      std::set<int16_t> got;
      for (size_t j = 0; j < want.size() && i < pMoveBuffer->count; ++j, ++i) {
        const MoveRecord& m = pMoveBuffer->moves[i];
        got.insert(m.squareIndex);
        EXPECT_TRUE(m.attacking == attacking[g] - '0' && m.value == key("value") && m.vctMove == vct)
            << i;
      }
      EXPECT_EQ(got, want) << "group ending at move " << i;
    }
    EXPECT_EQ(pMoveBuffer->count, i);
  }
}

// Rows of stones on every other square give player 1 27 four squares: both
// generators keep the first twenty in list order, and a take still counts all.
TEST(MoveBuffer, HoldsTwentyMovesAndATakeStillCountsAll) {
  Tessel_Initialize();
  for (int16_t x = 0; x < 20; x += 2)
    for (int y : {4, 7, 10, 13, 16, 19}) Tessel_PutStone(x, int16_t(y), int16_t(1 + y % 2));
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
      const auto [x, y] = SquareXY(pMoveBuffer->moves[0].squareIndex);
      seen[0] = std::min(seen[0], x), seen[1] = std::max(seen[1], x);
      seen[2] = std::min(seen[2], y), seen[3] = std::max(seen[3], y);
    }
    EXPECT_EQ(std::vector<int>(seen, seen + 4), std::vector<int>({xLow, xHigh, yLow, yHigh})) << w;
  }
  ASSERT_TRUE(Tessel_SetBoardSize(20, 20));
  // A board tiled without three in a row, with two holes: no empty square has
  // a line, yet the fallback names an empty square, until the board is full.
  Tessel_Initialize();
  for (int16_t y = 0; y < 20; ++y)
    for (int16_t x = 0; x < 20; ++x)
      if ((x != 10 || y != 10) && (x != 2 || y != 17))
        Tessel_PutStone(x, y, (x + 2 * y) % 4 < 2 ? kPlayer1 : kPlayer2);
  for (int16_t c = 0; c < kOpenSingleCategory; ++c)
    ASSERT_EQ(moveCategory[0][c].count + moveCategory[1][c].count, 0);
  GenerateMoves();
  EXPECT_TRUE(pMoveBuffer->count == 1 && pMoveBuffer->moves[0].squareIndex == SquareIndex(10, 10));
  Tessel_PutSymbol(2, 17);
  Tessel_PutSymbol(10, 10);
  GenerateMoves();
  EXPECT_EQ(pMoveBuffer->count, 0);
}

TEST(VctGenerateMoves, MarksPassTheLatestNodesAndFollowTheAttacker) {
  // Player 1's open three (4..6,6) is older than (10..12,12), whose last stone is the 6th.
  LayCase("movegen_cases.txt", "threats: marks of 0 pass all", kPlayer1);
  vctCauseSquareP1 = 6;
  EXPECT_EQ(TakeMoveCategory(2, 1), 2);  // nodes below the mark are not counted
  // Once a move is made, its opponent on move, only an attacking mover's mark becomes
  // the stone count (six stones here).
  int16_t c1 = 0, c2 = 0;
  UpdateCauseSquare(0, 4, 7, &c1, &c2);
  EXPECT_TRUE(c1 == 4 && c2 == 7);
  UpdateCauseSquare(1, 4, 7, &c1, &c2);  // player 2 moved
  EXPECT_TRUE(c1 == 4 && c2 == 6);
  Tessel_SetSideToMove(2);
  UpdateCauseSquare(1, 4, 7, &c1, &c2);
  EXPECT_TRUE(c1 == 6 && c2 == 7);
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
