// The padded board: the border frame and index conversions. The neighbour
// offsets are checked by every comparison of the incremental state with the
// reference classifier.
#include <gtest/gtest.h>

#include "board/board.h"

namespace {

TEST(Board, FrameSurroundsThePlayableSquaresAndConversionsRoundTrip) {
  // A smaller board is the top-left corner of the largest; the rest is border.
  for (auto [w, h] : {std::pair{5, 5}, {8, 13}, {20, 20}}) {
    boardWidth = int16_t(w), boardHeight = int16_t(h);
    InitializeBoard();
    for (int i = 0; i < kBoardCells; ++i) {
      const int16_t x = int16_t(i % kPaddedSide - 5), y = int16_t(i / kPaddedSide - 5);
      const bool inside = x >= 0 && x < w && y >= 0 && y < h;
      ASSERT_EQ(square[i].index, i);
      ASSERT_EQ(square[i].symbol, inside ? kEmpty : kBorder) << i;
      ASSERT_EQ(IsPlayableIndex(int16_t(i)), inside) << i;
    }
  }
  for (int16_t i : {-1, -155, 900, 1055, INT16_MAX, INT16_MIN}) EXPECT_FALSE(IsPlayableIndex(i));
  // {x, y, index}: corners, steps outside, array ends, negatives (remainder keeps its sign).
  const int16_t cases[][3] = {{0, 0, 155},  {19, 0, 174}, {0, 19, 725}, {19, 19, 744},
                              {-1, 0, 154}, {19, 20, 774}, {-5, -5, 0}, {24, 24, 899},
                              {-5, 1, 180}, {-6, -5, -1}, {-6, -6, -31}};
  for (const auto& c : cases) {
    int16_t index = -1, padded = -1, x = 99, y = 99;
    ConvertXY_Offset_2_Index(c[0], c[1], index);
    ConvertXY_2_Index(int16_t(c[0] + 5), int16_t(c[1] + 5), padded);
    ConvertIndex_2_XY_Offset(c[2], x, y);
    EXPECT_TRUE(index == c[2] && padded == c[2] && x == c[0] && y == c[1]) << c[2];
  }
}

}  // namespace
