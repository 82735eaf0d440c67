// The engine's public calls: which stones are accepted, what the reading calls
// give before, after and outside a search result, and the settings' lifetime.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "engine/tessel.h"
#include "evaluation/board.h"
#include "movegen/movegenerator.h"
#include "search/hash.h"
#include "search/historytable.h"
#include "search/search.h"

namespace {

// Every output of one reading call, in argument order.
std::vector<int> BestLine(int16_t i) {
  int16_t x = 1, y = 1, player = 1, value = 1, vct = 1;
  Tessel_GetBestLine(i, &x, &y, &player, &value, &vct);
  return {x, y, player, value, vct};
}
std::vector<int> PossibleMove(int16_t i) {
  int16_t x = 1, y = 1, side = 1, value = 1;
  int32_t nodes = 1;
  Tessel_GetPossibleMove(i, &x, &y, &side, &value, &nodes);
  return {x, y, side, value, nodes};
}

bool IsZero(const MoveRecord& m) {
  return !(m.player | m.squareIndex | m.value | m.attacking | m.vctMove | m.nbExaminedBefore |
           m.nbExaminedAfter);
}
bool ResultIsZero() {
  const MoveBuffer& r = resultMoveBuffer;
  return r.current == 0 && r.count == 0 && r.bestLineLength == 0 &&
         std::all_of(std::begin(r.moves), std::end(r.moves), IsZero) &&
         std::all_of(std::begin(r.bestLine), std::end(r.bestLine), IsZero) &&
         Tessel_GetBestLineLength() == 0 && Tessel_GetNbPossibleMoves() == 0;
}

TEST(Facade, PutSymbolAcceptsFreeBoardSquaresOnly) {
  Tessel_Initialize();
  EXPECT_EQ(BestLine(0), (std::vector<int>{-5, -5, 0, 0, 0}));
  Tessel_PutSymbol(19, 19);
  EXPECT_TRUE(square[744].symbol == 1 && whoIsOnMove == 2);
  const uint64_t key = zobristKey;
  // (-26, 10) and (35, 3) would wrap onto playable squares without a range check.
  for (auto [x, y] : {std::pair{20, 0}, {0, 20}, {-1, 5}, {5, -1}, {-26, 10}, {35, 3}, {19, 19}}) {
    Tessel_Search(1, 0, 1);
    ASSERT_GT(Tessel_GetNbPossibleMoves(), 0);
    Tessel_PutSymbol(static_cast<int16_t>(x), static_cast<int16_t>(y));
    EXPECT_TRUE(ResultIsZero()) << x << "," << y;
    EXPECT_TRUE(nbSymbolsPlaced == 1 && whoIsOnMove == 2 && zobristKey == key) << x << "," << y;
  }
  for (int16_t i = 0; i < kBoardCells; ++i)
    ASSERT_EQ(square[i].symbol, i == 744 ? 1 : IsPlayableIndex(i) ? 0 : 3);
}

TEST(Facade, ReadingCallsFollowTheResultBuffer) {
  Tessel_Initialize();
  for (int16_t x : {5, 6, 7, 8}) {
    Tessel_PutSymbol(x, 5);
    Tessel_PutSymbol(x, 12);
  }
  EXPECT_EQ(GameWon(9 + 30 * 5 + 155), 1);
  EXPECT_EQ(GameWon(9 + 30 * 12 + 155), 0);  // player 2's five square
  EXPECT_EQ(GameWon(9 + 30 * 9 + 155), 0);
  // The five is found without a move made, so no root move has a subtree.
  Tessel_Search(10, 0, 1);
  ASSERT_EQ(Tessel_GetBestLineLength(), 1);
  const std::vector<int> win = BestLine(0);
  EXPECT_TRUE((win[0] == 4 || win[0] == 9) && win[1] == 5) << win[0];
  EXPECT_EQ(std::vector<int>(win.begin() + 2, win.end()), (std::vector<int>{1, 30000, 1}));
  ASSERT_GT(Tessel_GetNbPossibleMoves(), 0);
  for (int16_t i = 0; i < Tessel_GetNbPossibleMoves(); ++i) EXPECT_EQ(PossibleMove(i)[4], 0);

  // In a quiet position the root moves' subtree sizes add up to the moves
  // made in the iteration taken.
  Tessel_Initialize();
  for (auto [x, y] : {std::pair{9, 9}, {10, 9}, {11, 9}, {10, 10}, {10, 11}, {9, 11}})
    Tessel_PutSymbol(x, y);
  Tessel_Search(2, 0, 1);
  const int16_t n = Tessel_GetNbPossibleMoves();
  ASSERT_GT(n, 1);
  int32_t nodes = 0;
  for (int16_t i = 0; i < n; ++i) {
    const std::vector<int> r = PossibleMove(i);
    const MoveRecord& m = resultMoveBuffer.moves[i];
    EXPECT_TRUE(r[0] + 30 * r[1] + 155 == m.squareIndex && r[2] == whoIsOnMove && r[3] == m.value &&
                r[4] > 0)
        << i;
    nodes += r[4];
  }
  EXPECT_EQ(nodes, nbExaminedMovesLastPly);
  EXPECT_EQ(BestLine(29)[0], -5);  // a valid entry, never written at the root

  // Outside the valid ranges every output is zero.
  for (int16_t i : {-1, 30}) EXPECT_EQ(BestLine(i), std::vector<int>(5, 0)) << i;
  for (int16_t i : {int16_t{-1}, n}) EXPECT_EQ(PossibleMove(i), std::vector<int>(5, 0)) << i;
}

TEST(Facade, SettingsSurviveANewGame) {
  Tessel_Initialize();
  const int32_t s = searchTimeout, m = matchTimeout, h = hashTableSize;
  const int16_t u = useHistoryTable;
  searchTimeout = 1234;
  matchTimeout = 5678;
  hashTableSize = 1600;
  useHistoryTable = 1;
  Tessel_PutSymbol(3, 3);
  Tessel_Initialize();
  EXPECT_TRUE(searchTimeout == 1234 && matchTimeout == 5678 && hashTableSize == 1600 &&
              useHistoryTable == 1);
  EXPECT_EQ(nbHTItems, 100);
  EXPECT_TRUE(nbSymbolsPlaced == 0 && whoIsOnMove == 1 && square[3 + 30 * 3 + 155].symbol == 0);
  searchTimeout = s;
  matchTimeout = m;
  hashTableSize = h;
  useHistoryTable = u;
  Tessel_Initialize();
}

}  // namespace
