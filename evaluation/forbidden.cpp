#include "evaluation/forbidden.h"

#include <bit>

#include "board/board.h"
#include "evaluation/evaluate.h"

namespace {

constexpr uint32_t kLowBits = 0x55555;  // the low bit of each of the ten slots

// Bit m for slot m of a neighbourhood code that holds `symbol`.
uint32_t SlotsHolding(uint32_t code, uint32_t symbol) {
  const uint32_t differ = code ^ (kLowBits * symbol);
  uint32_t x = ~(differ | differ >> 1) & kLowBits;
  // Gather the even bits into ten consecutive ones.
  x = (x | x >> 1) & 0x33333;
  x = (x | x >> 2) & 0x0F0F0F;
  x = (x | x >> 4) & 0x00FF00FF;
  x = (x | x >> 8) & 0x0000FFFF;
  return x;
}

// The black stones in a row through the square (slot 4 and slot 5 are its
// neighbours), the square itself counted as black.
int RunThrough(uint32_t black) {
  const int left = std::countl_one((black & 0x1Fu) << 27);
  const int right = std::countr_one(black >> 5);
  return left + right + 1;
}

// A black stone on slot q (empty) would make exactly five through the square.
bool MakesFive(uint32_t black, int q) { return RunThrough(black | 1u << q) == 5; }

// The line through the square, black on it, is four in a row with both ends
// empty and each end making exactly five.
bool StraightFour(uint32_t black, uint32_t empty) {
  if (RunThrough(black) != 4) return false;
  const int low = 4 - std::countl_one((black & 0x1Fu) << 27);  // the slot beyond each end
  const int high = 5 + std::countr_one(black >> 5);
  return (empty >> low & 1) && (empty >> high & 1) && MakesFive(black, low) &&
         MakesFive(black, high);
}

// What a black stone on the square makes in one line.
struct LineShape {
  bool five;
  bool overline;
  int fours;                 // 0, 1 or 2 (two in one line)
  uint32_t straightFourAt;   // slots whose black stone would then make a straight four
};

LineShape ShapeOf(uint32_t code) {
  const uint32_t black = SlotsHolding(code, kPlayer1);
  const uint32_t empty = SlotsHolding(code, kEmpty);
  LineShape shape{};
  const int run = RunThrough(black);
  shape.five = run == 5;
  shape.overline = run > 5;
  if (run >= 5) return shape;
  int fivePoints = 0;
  for (uint32_t e = empty & 0x1FEu; e != 0; e &= e - 1) {  // slots 1..8, within four steps
    const int q = std::countr_zero(e);
    if (MakesFive(black, q)) {
      ++fivePoints;
    } else if (StraightFour(black | 1u << q, empty & ~(1u << q))) {
      shape.straightFourAt |= 1u << q;
    }
  }
  // A straight four's two fives make one four; any other two fives two.
  shape.fours = fivePoints == 0 ? 0 : fivePoints >= 2 && !StraightFour(black, empty) ? 2 : 1;
  return shape;
}

// The code of a square in one direction, read off the board.
uint32_t WalkCode(int16_t squareIndex, int d) {
  uint32_t code = 0;
  for (int m = 0; m < kNbSlots; ++m) {
    code |= static_cast<uint32_t>(square[squareIndex - offsetTable[kNbSlots * d + m]].symbol)
            << (2 * m);
  }
  return code;
}

// The square of slot m in direction d.
int16_t SquareAt(int16_t squareIndex, int d, int m) {
  return static_cast<int16_t>(squareIndex - offsetTable[kNbSlots * d + m]);
}

bool ForbiddenByShapes(int16_t squareIndex, const uint32_t codes[kNbDirections]);

// The square judged by walking the board: the recursion's test.
bool ForbiddenOnBoard(int16_t squareIndex) {
  uint32_t codes[kNbDirections];
  for (int d = 0; d < kNbDirections; ++d) codes[d] = WalkCode(squareIndex, d);
  return ForbiddenByShapes(squareIndex, codes);
}

// A square that makes a five in some line is no step from a three to a
// straight four: the stone wins at once instead (so the referees judge it).
bool MakesFiveOnBoard(int16_t squareIndex) {
  for (int d = 0; d < kNbDirections; ++d) {
    if (RunThrough(SlotsHolding(WalkCode(squareIndex, d), kPlayer1)) == 5) return true;
  }
  return false;
}

// A three is real when one of its straight-four squares is allowed once the
// stone stands, and makes no five.
bool RealThree(int16_t squareIndex, int d, uint32_t straightFourAt) {
  square[squareIndex].symbol = kPlayer1;
  bool real = false;
  for (uint32_t s = straightFourAt; s != 0 && !real; s &= s - 1) {
    const int16_t step = SquareAt(squareIndex, d, std::countr_zero(s));
    real = !MakesFiveOnBoard(step) && !ForbiddenOnBoard(step);
  }
  square[squareIndex].symbol = kEmpty;
  return real;
}

bool ForbiddenByShapes(int16_t squareIndex, const uint32_t codes[kNbDirections]) {
  LineShape shapes[kNbDirections];
  int fours = 0;
  int threes = 0;
  bool overline = false;
  for (int d = 0; d < kNbDirections; ++d) {
    shapes[d] = ShapeOf(codes[d]);
    if (shapes[d].five) return false;
    overline |= shapes[d].overline;
    fours += shapes[d].fours;
    // A line with a four holds no three of its own.
    threes += shapes[d].fours == 0 && shapes[d].straightFourAt != 0 ? 1 : 0;
  }
  if (overline || fours >= 2) return true;
  if (threes < 2) return false;
  int real = 0;
  for (int d = 0; d < kNbDirections && real < 2; ++d) {
    if (shapes[d].fours == 0 && shapes[d].straightFourAt != 0 &&
        RealThree(squareIndex, d, shapes[d].straightFourAt)) {
      ++real;
    }
  }
  return real >= 2;
}

// Black's line category in each direction (exact five's, as the renju table
// gives them): bit 0 a five, then the counts of fours and of threes.
struct Screen {
  bool five;
  int fours;
  int threes;
};
Screen ScreenOf(uint32_t blackCategories) {
  Screen s{false, 0, 0};
  for (int d = 0; d < kNbDirections; ++d) {
    const uint32_t c = blackCategories >> (4 * d) & 0xFu;
    s.five |= c == static_cast<uint32_t>(kLineFive);
    s.fours += c == static_cast<uint32_t>(kLineFour) || c == static_cast<uint32_t>(kLineOpenFour);
    s.threes +=
        c == static_cast<uint32_t>(kLineSplitThree) || c == static_cast<uint32_t>(kLineThree);
  }
  return s;
}

}  // namespace

bool IsForbidden(int16_t squareIndex) {
  // Black's exact-five line categories count its fives, fours and every
  // three (and more); only an overline and two fours in one line hide from
  // them, and the codes show both.
  const Screen screen = ScreenOf(lineCategoryAllDir[squareIndex] & 0xFFFFu);
  if (screen.five) return false;
  if (screen.fours >= 2) return true;
  const uint32_t* codes = squarePattern[squareIndex];
  for (int d = 0; d < kNbDirections; ++d) {
    const uint32_t black = codes[d] & ~(codes[d] >> 1) & kLowBits;
    if ((black & black >> 2 & black >> 4 & black >> 6 & black >> 8) != 0) return true;
  }
  if (screen.threes < 2 && screen.fours == 0) return false;
  if (screen.threes < 2) {
    // One four: a second one in the same line?
    for (int d = 0; d < kNbDirections; ++d) {
      const uint32_t c = lineCategoryAllDir[squareIndex] >> (4 * d) & 0xFu;
      if (c == static_cast<uint32_t>(kLineFour)) return ShapeOf(codes[d]).fours >= 2;
    }
    return false;
  }
  return ForbiddenByShapes(squareIndex, codes);
}
