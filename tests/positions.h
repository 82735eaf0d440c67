// Hand-built positions for the engine's unit tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "engine/tessel.h"
#include "board/board.h"
#include "tests/squares.h"

using Stone = std::pair<int, int>;
using Stones = std::vector<Stone>;

// New game, stones alternating from player 1; the side short of stones
// passes on far squares so that `toMove` is to move.
inline void Build(Stones p1, Stones p2, int toMove) {
  static const Stones kPass = {{0, 0}, {19, 19}, {19, 0}, {0, 19},
                               {9, 0}, {9, 19},  {0, 9},  {19, 9}};
  const size_t n1 = std::max(p1.size(), p2.size() + (toMove == 2)), n2 = n1 - (toMove == 2);
  for (size_t k = 0; p1.size() < n1 || p2.size() < n2; ++k)
    (p1.size() < n1 ? p1 : p2).push_back(kPass[k]);
  Tessel_Initialize();
  for (size_t i = 0; i < n1; ++i) {
    Tessel_PutSymbol(static_cast<int16_t>(p1[i].first), static_cast<int16_t>(p1[i].second));
    if (i < n2) {
      Tessel_PutSymbol(static_cast<int16_t>(p2[i].first), static_cast<int16_t>(p2[i].second));
    }
  }
  ASSERT_EQ(whoIsOnMove, toMove);
}
