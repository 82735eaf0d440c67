// Square indexes for the tests: the padded index of board square (x, y), as
// the engine numbers its squares, and back.
#pragma once

#include <cstdint>
#include <utility>

#include "board/board.h"

inline int16_t SquareIndex(int x, int y) {
  return static_cast<int16_t>(x + kPaddedSide * y + kFirstPlayableIndex);
}

inline std::pair<int, int> SquareXY(int index) {
  return {(index - kFirstPlayableIndex) % kPaddedSide, (index - kFirstPlayableIndex) / kPaddedSide};
}
