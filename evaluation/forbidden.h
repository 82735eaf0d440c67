// Renju's forbidden moves. Black (player 1) may not play an overline (six or
// more in a row), a double four (two fours at once, two in one line counted
// as two) or a double three (two threes at once), unless the move makes
// exactly five. A three counts only if a move that is not forbidden itself
// turns it into a straight four (four in a row, both ends open, each end
// making exactly five), so the test recurses on those squares.
#pragma once

#include <cstdint>

// True when a black stone on the empty playable square would be forbidden
// under renju. Reads the square's line categories and codes, which the
// incremental update keeps under renju, so that most squares are judged
// without a walk; the rest, and every square of the recursion, by walking the
// board. Leaves the board as it found it. Meaningful under renju only.
bool IsForbidden(int16_t squareIndex);
