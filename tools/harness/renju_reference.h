// A plain and slow judge of black's forbidden squares under renju, for tests
// and tools to check the engine against: it walks the four lines through the
// square with the stone tried there, and recurses on the squares that would
// turn a three into a straight four.
#pragma once

#include <vector>

// cells[y][x]: 0 empty, 1 black, 2 white, 3 blocked (owned by nobody, closing
// lines as the edge does); the board is as wide and high as `cells`. True when
// a black stone on the empty square (x, y) is forbidden: it makes no five and
// makes an overline, two fours or two open threes. False on an occupied or
// off-board square.
bool IsForbiddenReference(const std::vector<std::vector<int>>& cells, int x, int y);
