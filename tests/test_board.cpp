// The padded board: index conversions, the border frame, and that every line
// walk through the neighbour offsets stays on its line and inside the array.
#include <gtest/gtest.h>

#include "evaluation/board.h"
#include "evaluation/evaluate.h"

namespace {

int16_t IndexOf(int16_t x, int16_t y) {
  int16_t index = -1;
  ConvertXY_Offset_2_Index(x, y, index);
  return index;
}

TEST(Board, FrameSurroundsTheTwentyByTwentySquares) {
  InitializeBoard();
  int empty = 0;
  int border = 0;
  for (int i = 0; i < kBoardCells; ++i) {
    EXPECT_EQ(square[i].index, i);
    const int x = i % kPaddedSide;
    const int y = i / kPaddedSide;
    const bool inside = x >= 5 && x <= 24 && y >= 5 && y <= 24;
    EXPECT_EQ(square[i].symbol, inside ? kEmpty : kBorder) << "index " << i;
    EXPECT_EQ(IsPlayableIndex(static_cast<int16_t>(i)), inside) << "index " << i;
    empty += square[i].symbol == kEmpty;
    border += square[i].symbol == kBorder;
  }
  EXPECT_EQ(empty, 400);
  EXPECT_EQ(border, 500);
  // The four corners are playable; one step outside each is border.
  for (int i : {155, 174, 725, 744}) EXPECT_EQ(square[i].symbol, kEmpty) << i;
  for (int i : {154, 175, 125, 755}) EXPECT_EQ(square[i].symbol, kBorder) << i;
  for (int16_t i : {-1, -155, 900, 1055, INT16_MAX, INT16_MIN})
    EXPECT_FALSE(IsPlayableIndex(i)) << i;
}

TEST(Board, ConversionsAgreeAtCornersAndRoundTrip) {
  int16_t index = 0;
  ConvertXY_2_Index(5, 5, index);
  EXPECT_EQ(index, 155);
  EXPECT_EQ(kFirstPlayableIndex, 155);
  EXPECT_EQ(IndexOf(0, 0), 155);
  EXPECT_EQ(IndexOf(19, 0), 174);
  EXPECT_EQ(IndexOf(0, 19), 725);
  EXPECT_EQ(IndexOf(19, 19), 744);

  // Truncating division: the remainder keeps the sign of a negative index.
  const int16_t cases[][3] = {{155, 0, 0}, {0, -5, -5}, {899, 24, 24}, {-1, -6, -5}, {-31, -6, -6}};
  for (const auto& c : cases) {
    int16_t x = 99, y = 99;
    ConvertIndex_2_XY_Offset(c[0], x, y);
    EXPECT_EQ(x, c[1]) << "index " << c[0];
    EXPECT_EQ(y, c[2]) << "index " << c[0];
  }
  for (int16_t y = 0; y < kBoardSide; ++y) {
    for (int16_t x = 0; x < kBoardSide; ++x) {
      int16_t bx = -1, by = -1;
      ConvertIndex_2_XY_Offset(IndexOf(x, y), bx, by);
      EXPECT_EQ(bx, x);
      EXPECT_EQ(by, y);
    }
  }
}

TEST(Board, OffsetWalksFollowTheirLineInsideTheArray) {
  // Padded-coordinate step towards slots 0..4 of each direction.
  constexpr int kDx[4] = {1, 1, 0, -1};
  constexpr int kDy[4] = {0, -1, -1, -1};
  for (int d = 0; d < kNbDirections; ++d) {
    for (int m = 0; m < kNbSlots; ++m) {
      EXPECT_EQ(offsetTable[10 * d + m], -offsetTable[10 * d + 9 - m]) << d << "/" << m;
    }
  }
  InitializeBoard();
  for (int s = 0; s < kBoardCells; ++s) {
    if (square[s].symbol != kEmpty) continue;
    const int sx = s % kPaddedSide;
    const int sy = s / kPaddedSide;
    for (int d = 0; d < kNbDirections; ++d) {
      for (int m = 0; m < kNbSlots; ++m) {
        const int steps = m < 5 ? 5 - m : 4 - m;  // signed distance along the line
        for (int sign : {1, -1}) {
          const int e = s - sign * offsetTable[10 * d + m];
          ASSERT_GE(e, 0) << s << " d" << d << " m" << m;
          ASSERT_LT(e, kBoardCells) << s << " d" << d << " m" << m;
          EXPECT_EQ(e % kPaddedSide, sx + sign * steps * kDx[d]) << s << " d" << d << " m" << m;
          EXPECT_EQ(e / kPaddedSide, sy + sign * steps * kDy[d]) << s << " d" << d << " m" << m;
        }
      }
    }
  }
}

}  // namespace
