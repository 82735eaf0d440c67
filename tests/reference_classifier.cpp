#include "tests/reference_classifier.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <utility>

#include "engine/tessel.h"
#include "tests/squares.h"

namespace reference {

namespace {

// One player's view of the line through a square: the square itself at 5,
// the squares up to five steps away on either side at 0..4 and 6..10.
struct Line {
  enum Cell : uint8_t { kOwn, kFree, kOpponent, kEdge };  // kEdge: border or blocked
  Cell cell[11];
  bool exactFive, caro;

  Cell At(int p) const { return p < 0 || p > 10 ? kFree : cell[p]; }  // beyond: not looked at
  // The row of own stones through the square: its length, and whether the
  // opponent closes both its ends.
  std::pair<int, bool> Run() const {
    int first = 5, last = 5;
    while (At(first - 1) == kOwn) --first;
    while (At(last + 1) == kOwn) ++last;
    return {last - first + 1, At(first - 1) == kOpponent && At(last + 1) == kOpponent};
  }
  // Five or more in a row, or exactly five; under caro not five closed at
  // both ends by the opponent.
  bool Five() const {
    const auto [length, closed] = Run();
    return length >= 5 && !(exactFive && length > 5) && !(caro && length == 5 && closed);
  }
  // The empty squares within four steps where one more own stone passes
  // `test`, as bits of their positions.
  template <class Test>
  uint32_t SquaresWhere(Test test) {
    uint32_t squares = 0;
    for (int p = 1; p <= 9; ++p) {
      if (cell[p] != kFree) continue;
      cell[p] = kOwn;
      if (test()) squares |= 1u << p;
      cell[p] = kFree;
    }
    return squares;
  }
  uint32_t FiveSquares() {
    return SquaresWhere([this] { return Five(); });
  }
  // A straight four: two five squares, one at each end of the same four.
  bool StraightFour() {
    const uint32_t fives = FiveSquares();
    return (fives & fives >> 5) != 0;
  }
  // A two is a shape: the square and the own stone on `other` alone in the
  // window of six squares from `first`, both ends empty; under exact five
  // no own stone just beyond the window. An open two (the stones side by
  // side) also wants two of the window's squares beyond the other stone.
  bool Two(int first, int other) const {
    const int last = first + 5;
    if (cell[other] != kOwn || std::min(5, other) <= first || std::max(5, other) >= last)
      return false;
    for (int p = first; p <= last; ++p)
      if (p != 5 && p != other && cell[p] != kFree) return false;
    if (exactFive && (At(first - 1) == kOwn || At(last + 1) == kOwn)) return false;
    return std::abs(other - 5) > 1 || (other < 5 ? other - first : last - other) >= 2;
  }
};

// What the stone on the square makes in the line, from five (9) down to an
// open single (1), tried stone by stone as a referee would.
int CategoryOf(Line& line) {
  if (line.Five()) return 9;
  if (line.FiveSquares() != 0) return line.StraightFour() ? 8 : 7;
  // A three: one more stone makes a straight four; open (6) when its stones
  // are three in a row, split (5) otherwise.
  if (line.SquaresWhere([&line] { return !line.Five() && line.StraightFour(); }) != 0)
    return line.Run().first == 3 ? 6 : 5;
  for (int step = 1; step <= 3; ++step)
    for (int other : {5 - step, 5 + step})
      for (int first = 1; first <= 4; ++first)
        if (line.Two(first, other)) return 5 - step;  // open, split or wide
  for (int p = 1; p <= 9; ++p)
    if (p != 5 && line.cell[p] != Line::kFree) return 0;
  return 1;  // an open single: the four squares on each side are empty
}

}  // namespace

// Under exact five (and for player 1 under renju) a five is exactly five in
// a row; under caro a five closed at both ends by the opponent is none.
int LineCategory(uint32_t code, int player, Rule rule) {
  Line line;
  line.exactFive = rule == Rule::kExactFive || rule == Rule::kCaroExactFive ||
                   (rule == Rule::kRenju && player == 1);
  line.caro = rule == Rule::kCaro || rule == Rule::kCaroExactFive;
  for (int p = 0; p < 11; ++p) {
    const uint32_t symbol = p == 5 ? uint32_t(player) : code >> (2 * (p < 5 ? p : p - 1)) & 3;
    line.cell[p] = symbol == 0                ? Line::kFree
                   : symbol == uint32_t(player) ? Line::kOwn
                   : symbol == 3                ? Line::kEdge
                                                : Line::kOpponent;
  }
  return CategoryOf(line);
}

int MoveCategory(const int lineCategory[4]) {
  int n[10] = {};
  for (int d = 0; d < 4; ++d) ++n[lineCategory[d]];
  const int fours = n[7], threes = n[5] + n[6];
  const int twos = n[3] + n[4];  // open and split twos; wide twos count only beside a four
  if (n[9] > 0) return 0;
  if (fours >= 2) return 1;
  if (n[8] > 0) return 2;
  if (fours > 0) return threes > 0 ? 3 : (twos + n[2] > 0 ? 4 : 5);
  if (threes >= 2) return 6;
  if (threes > 0) return twos > 0 ? 7 : n[6] > 0 ? 8 : 9;
  if (twos >= 2) return twos >= 3 ? 10 : 11;
  for (int c = 4; c >= 1; --c)
    if (n[c] > 0) return 16 - c;
  return 16;
}

// The design's list weights, most urgent category first.
int64_t Weight(int category) {
  static constexpr int64_t kWeights[18] = {8216, 4979, 3018, 1829, 1108, 671, 407, 246, 149,
                                           90,   54,   33,   20,   12,   7,   4,   2,   1};
  return kWeights[category];
}

void Classify(Position& out, Rule rule) {
  // Board step towards slots 0..4; slot m is 5 - m steps along it (negative: the other way).
  constexpr int kStepX[4] = {1, 1, 0, -1}, kStepY[4] = {0, -1, -1, -1};
  // Off the board, the border.
  auto SymbolAt = [](int x, int y) { return Tessel_GetSymbol(int16_t(x), int16_t(y)); };
  out = Position{};
  for (int y = 0; y < boardHeight; ++y) {
    for (int x = 0; x < boardWidth; ++x) {
      const int s = SquareIndex(x, y);
      if (SymbolAt(x, y) == kBorder) continue;  // a blocked square is no part of the board
      const bool empty = SymbolAt(x, y) == kEmpty;
      out.stones += !empty;
      for (int d = 0; d < 4 && empty; ++d) {
        for (int m = 0; m < 10; ++m) {
          const int steps = m < 5 ? 5 - m : 4 - m;
          const int symbol = SymbolAt(x + steps * kStepX[d], y + steps * kStepY[d]);
          out.pattern[s][d] |= uint32_t(symbol) << (2 * m);
        }
      }
      for (int p = 0; p < 2; ++p) {
        int lines[4];
        for (int d = 0; d < 4; ++d) {
          lines[d] = LineCategory(out.pattern[s][d], p + 1, rule);
          out.lineCategories[s] |= uint32_t(lines[d]) << (16 * p + 4 * d);
        }
        out.category[s][p] = empty ? MoveCategory(lines) : kOccupied;
      }
    }
  }
}

}  // namespace reference
