#include "tools/harness/renju_reference.h"

#include <set>
#include <utility>

namespace {

using Board = std::vector<std::vector<int>>;

constexpr int kEmpty = 0, kBlack = 1, kOffBoard = -1;
constexpr int kDirections[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};

// A line through the tried square; offset t is the square (x + t dx, y + t dy).
struct Line {
  int x, y, dx, dy;
};

int Cell(const Board& board, int x, int y) {
  if (y < 0 || y >= static_cast<int>(board.size()) || x < 0 ||
      x >= static_cast<int>(board[y].size()))
    return kOffBoard;
  return board[y][x];
}

int At(const Board& board, const Line& line, int t) {
  return Cell(board, line.x + t * line.dx, line.y + t * line.dy);
}

// The first and last offsets of the unbroken black row through offset t,
// counting t as black whatever it holds.
std::pair<int, int> Row(const Board& board, const Line& line, int t) {
  int first = t, last = t;
  while (At(board, line, first - 1) == kBlack) --first;
  while (At(board, line, last + 1) == kBlack) ++last;
  return {first, last};
}

int RowLength(const Board& board, const Line& line, int t) {
  const auto [first, last] = Row(board, line, t);
  return last - first + 1;
}

// The fours through the black stone at offset 0: the sets of four black stones
// in the line that one black stone more, on an empty square, makes exactly
// five. They are counted as sets of stones because a straight four has two
// such squares but is one four, while X X X . X . X X X, made by its middle
// stone, has two and is two fours.
int Fours(const Board& board, const Line& line) {
  std::set<unsigned> fours;  // each a mask of its stones' offsets, shifted by 5
  for (int t = -4; t <= 4; ++t) {
    if (At(board, line, t) != kEmpty) continue;
    const auto [first, last] = Row(board, line, t);
    if (last - first + 1 != 5 || first > 0 || last < 0) continue;
    unsigned stones = 0;
    for (int s = first; s <= last; ++s)
      if (s != t) stones |= 1u << (s + 5);
    fours.insert(stones);
  }
  return static_cast<int>(fours.size());
}

// True when the unbroken row through offset 0 is four black stones, offset t
// among them, with an empty square at each end where a black stone makes
// exactly five.
bool StraightFour(const Board& board, const Line& line, int t) {
  const auto [first, last] = Row(board, line, 0);
  return last - first == 3 && first <= t && t <= last && At(board, line, first - 1) == kEmpty &&
         At(board, line, last + 1) == kEmpty && RowLength(board, line, first - 1) == 5 &&
         RowLength(board, line, last + 1) == 5;
}

// True when a black stone on (x, y) makes exactly five in some line.
bool MakesFive(const Board& board, int x, int y) {
  for (const auto& d : kDirections)
    if (RowLength(board, {x, y, d[0], d[1]}, 0) == 5) return true;
  return false;
}

bool Forbidden(Board& board, int x, int y);

// True when the line through the black stone at offset 0 is an open three:
// one black stone more, on a square where black may play, makes it a
// straight four, and no five at the same time (a stone that makes a five
// wins; it is no step towards a four). Whether black may play there is the
// whole question again, asked with the stone at offset 0 on the board.
bool OpenThree(Board& board, const Line& line) {
  for (int t = -3; t <= 3; ++t) {
    const int tx = line.x + t * line.dx, ty = line.y + t * line.dy;
    if (t == 0 || Cell(board, tx, ty) != kEmpty || MakesFive(board, tx, ty)) continue;
    board[ty][tx] = kBlack;
    const bool straight = StraightFour(board, line, t);
    board[ty][tx] = kEmpty;
    if (straight && !Forbidden(board, tx, ty)) return true;
  }
  return false;
}

// IsForbiddenReference on a board of its own: the stone is tried on (x, y)
// and taken back, so `board` is as it was after.
bool Forbidden(Board& board, int x, int y) {
  if (Cell(board, x, y) != kEmpty) return false;
  board[y][x] = kBlack;
  bool five = false, overline = false;
  for (const auto& d : kDirections) {
    const int length = RowLength(board, {x, y, d[0], d[1]}, 0);
    five |= length == 5;
    overline |= length >= 6;
  }
  int fours = 0, threes = 0;
  // A five wins and is never forbidden, whatever else the stone makes.
  if (!five && !overline) {
    bool hasFour[4] = {};
    for (int k = 0; k < 4; ++k) {
      const int n = Fours(board, {x, y, kDirections[k][0], kDirections[k][1]});
      hasFour[k] = n > 0;
      fours += n;
    }
    // A line that holds a four counts as a four, not also as a three.
    for (int k = 0; k < 4 && fours < 2 && threes < 2; ++k)
      if (!hasFour[k] && OpenThree(board, {x, y, kDirections[k][0], kDirections[k][1]})) ++threes;
  }
  board[y][x] = kEmpty;
  return !five && (overline || fours >= 2 || threes >= 2);
}

}  // namespace

bool IsForbiddenReference(const std::vector<std::vector<int>>& cells, int x, int y) {
  Board board = cells;
  return Forbidden(board, x, y);
}
