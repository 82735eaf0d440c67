// The engine's public calls: which stones are accepted, and what is read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/tessel.h"
#include "board/board.h"
#include "movegen/movegenerator.h"
#include "protocol/analysis.h"
#include "search/search.h"
#include "tests/squares.h"

namespace {

// Every output of one reading call, in argument order.
std::vector<int> Read(bool bestLine, int16_t i) {
  int16_t x = 1, y = 1, who = 1, value = 1, vct = 1;
  int64_t nodes = 1;
  bestLine ? Tessel_GetBestLine(i, &x, &y, &who, &value, &vct)
           : Tessel_GetPossibleMove(i, &x, &y, &who, &value, &nodes);
  return {x, y, who, value, bestLine ? vct : static_cast<int>(nodes)};
}
const std::vector<int> kZeroEntry = {-5, -5, 0, 0, 0};  // an all-zero best-line record

// A refused stone changes nothing on the board, yet clears the last result.
TEST(Facade, PutSymbolAcceptsFreeBoardSquaresOnly) {
  Tessel_Initialize();
  EXPECT_EQ(Read(true, 0), kZeroEntry);
  Tessel_PutSymbol(19, 19);
  // (-26, 10) and (35, 3) would wrap onto playable squares without a range check.
  for (auto [x, y] : {std::pair{20, 0}, {0, 20}, {-1, 5}, {5, -1}, {-26, 10}, {35, 3}, {19, 19}}) {
    Tessel_Search(1, 0, 1);
    ASSERT_GT(Tessel_GetNbPossibleMoves(), 0);
    Tessel_PutSymbol(x, y);
    EXPECT_TRUE(Tessel_GetBestLineLength() == 0 && Tessel_GetNbPossibleMoves() == 0 &&
                Read(true, 0) == kZeroEntry && nbSymbolsPlaced == 1 && whoIsOnMove == 2)
        << x << "," << y;
  }
  for (int16_t i = 0; i < kBoardCells; ++i)
    ASSERT_EQ(square[i].symbol, i == SquareIndex(19, 19) ? 1 : IsPlayableIndex(i) ? 0 : 3) << i;
}

TEST(Facade, ReadingCallsAndGameWon) {
  Tessel_Initialize();
  for (int16_t i = 0; i < 8; ++i) Tessel_PutSymbol(5 + i / 2, i % 2 ? 12 : 5);  // two fours
  EXPECT_TRUE(GameWon(SquareIndex(9, 5)) == 1 && GameWon(SquareIndex(9, 12)) == 0 &&
              GameWon(SquareIndex(9, 9)) == 0);
  Tessel_Search(10, 0, 1);
  const std::vector<int> win = Read(true, 0);
  EXPECT_TRUE(Tessel_GetBestLineLength() == 1 && (win[0] == 4 || win[0] == 9) && win[1] == 5);
  EXPECT_EQ(std::vector<int>(win.begin() + 2, win.end()), (std::vector<int>{1, 30000, 1}));
  EXPECT_EQ(Read(true, 29), kZeroEntry);  // the last valid entry, never written at the root
  for (int16_t i : {-1, 30}) EXPECT_EQ(Read(true, i), std::vector<int>(5, 0)) << i;
  for (int16_t i : {int16_t{-1}, Tessel_GetNbPossibleMoves()})
    EXPECT_EQ(Read(false, i), std::vector<int>(5, 0)) << i;
}

// The status line's figures past 2^32 moves: 25 minutes of analysis at about
// 53 million moves a second, whose count once wrapped to 80296kN.
TEST(StatusLine, CountsBeyond32Bits) {
  struct Case {
    int64_t nodes;
    double ms;
    const char* figures;
  };
  const Case cases[] = {
      {80296000000, 1500000, "time=1500.0s, nodes=80296000kN (53531kN/s)"},
      {int64_t{1} << 32, 60000, "time=60.0s, nodes=4294967kN (71583kN/s)"},
      {4294967295 + 1000, 1000, "time=1.0s, nodes=4294968kN (4294968kN/s)"},
      {0, 0, "time=0.0s, nodes=0kN (0kN/s)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatStatusLine(3, 7, -12, 9, c.ms, c.nodes),
              std::string("MESSAGE [3,7]: value=-12, depth=9, ") + c.figures);
  }
}

}  // namespace
