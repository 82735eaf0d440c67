// Square indexes for the tests: the padded index of board square (x, y), as
// the engine numbers its squares.
#pragma once

#include <cstdint>

#include "board/board.h"

inline int16_t SquareIndex(int x, int y) {
  return static_cast<int16_t>(x + kPaddedSide * y + kFirstPlayableIndex);
}
