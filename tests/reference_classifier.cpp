#include "tests/reference_classifier.h"

#include <cmath>

namespace reference {

// Written from +5 to -5 along the line; the middle character is the square.
const PatternEntry kPatterns[kPatternCount] = {
    {"x1111_xxxxx", 9}, {"xx111_1xxxx", 9}, {"xxx11_11xxx", 9}, {"xxxx1_111xx", 9},
    {"xxxxx_1111x", 9}, {"x.111_.xxxx", 8}, {"xx.11_1.xxx", 8}, {"xxx.1_11.xx", 8},
    {"xxxx._111.x", 8}, {"x111._xxxxx", 7}, {"x11.1_xxxxx", 7}, {"x1.11_xxxxx", 7},
    {"x.111_xxxxx", 7}, {"xx111_.xxxx", 7}, {"xx11._1xxxx", 7}, {"xx1.1_1xxxx", 7},
    {"xx.11_1xxxx", 7}, {"xxx11_1.xxx", 7}, {"xxx11_.1xxx", 7}, {"xxx1._11xxx", 7},
    {"xxx.1_11xxx", 7}, {"xxxx1_11.xx", 7}, {"xxxx1_1.1xx", 7}, {"xxxx1_.11xx", 7},
    {"xxxx._111xx", 7}, {"xxxxx_111.x", 7}, {"xxxxx_11.1x", 7}, {"xxxxx_1.11x", 7},
    {"xxxxx_.111x", 7}, {"x..11_.xxxx", 6}, {"xx.11_..xxx", 6}, {"xx..1_1.xxx", 6},
    {"xxx.1_1..xx", 6}, {"xxx.._11.xx", 6}, {"xxxx._11..x", 6}, {"x.11._.xxxx", 5},
    {"x.1.1_.xxxx", 5}, {"xx.1._1.xxx", 5}, {"xxx.1_.1.xx", 5}, {"xxxx._1.1.x", 5},
    {"xxxx._.11.x", 5}, {"x...1_.xxxx", 4}, {"xx..1_..xxx", 4}, {"xxx.._1..xx", 4},
    {"xxxx._1...x", 4}, {"x..1._.xxxx", 3}, {"xx.1._..xxx", 3}, {"xxx.._.1.xx", 3},
    {"xxxx._.1..x", 3}, {"x.1.._.xxxx", 2}, {"xxxx._..1.x", 2}, {"x...._....x", 1},
};

namespace {

// The line as the judged player sees it, in pattern order: '1' own stone,
// '.' empty, '#' opponent or edge.
void DrawLine(uint32_t code, int player, char line[11]) {
  for (int p = 0; p < 11; ++p) {
    if (p == 5) {
      line[p] = '_';
      continue;
    }
    const int slot = p < 5 ? p : p - 1;
    const uint32_t symbol = (code >> (2 * slot)) & 3;
    line[p] = symbol == static_cast<uint32_t>(player) ? '1' : symbol == 0 ? '.' : '#';
  }
}

bool Fits(const char* pattern, const char line[11]) {
  for (int p = 0; p < 11; ++p) {
    if (p == 5 || pattern[p] == 'x') continue;
    if ((pattern[p] == '1') != (line[p] == '1')) return false;
    if (pattern[p] != '1' && line[p] != '.') return false;
  }
  return true;
}

// Board-coordinate step towards slots 0..4 of each direction; slots 5..9 lie
// the opposite way. Slot m < 5 is 5 - m steps away, slot m >= 5 is m - 4.
constexpr int kStepX[4] = {1, 1, 0, -1};
constexpr int kStepY[4] = {0, -1, -1, -1};

int SymbolAt(int x, int y) {
  if (x < 0 || x >= kBoardSide || y < 0 || y >= kBoardSide) return kBorder;
  return square[x + kPaddedSide * y + kFirstPlayableIndex].symbol;
}

}  // namespace

int LineCategory(uint32_t code, int player) {
  char line[11];
  DrawLine(code, player, line);
  for (const PatternEntry& entry : kPatterns) {
    if (Fits(entry.text, line)) return entry.category;
  }
  return 0;
}

int MoveCategory(const int lineCategory[4]) {
  int n[10] = {};
  for (int d = 0; d < 4; ++d) ++n[lineCategory[d]];
  const int fours = n[7];
  const int threes = n[5] + n[6];
  const int twos = n[3] + n[4];  // open and split twos; wide twos count only beside a four
  if (n[9] > 0) return 0;
  if (fours >= 2) return 1;
  if (n[8] > 0) return 2;
  if (fours > 0) return threes > 0 ? 3 : (twos + n[2] > 0 ? 4 : 5);
  if (threes >= 2) return 6;
  if (threes > 0 && twos > 0) return 7;
  if (n[6] > 0) return 8;
  if (n[5] > 0) return 9;
  if (twos >= 3) return 10;
  if (twos == 2) return 11;
  for (int c = 4; c >= 1; --c) {
    if (n[c] > 0) return 16 - c;
  }
  return 16;
}

int64_t Weight(int category) {
  return static_cast<int64_t>(std::trunc(std::pow(1.65, 18 - category)));
}

void Classify(Position& out) {
  out = Position{};
  for (int y = 0; y < kBoardSide; ++y) {
    for (int x = 0; x < kBoardSide; ++x) {
      SquareExpectation& e = out.at[x + kPaddedSide * y + kFirstPlayableIndex];
      if (SymbolAt(x, y) != kEmpty) {
        e.category[0] = e.category[1] = kOccupied;
        ++out.stones;
      } else {
        int lines[2][4];
        for (int d = 0; d < 4; ++d) {
          uint32_t code = 0;
          for (int m = 0; m < 10; ++m) {
            const int steps = m < 5 ? 5 - m : 4 - m;
            const int symbol = SymbolAt(x + steps * kStepX[d], y + steps * kStepY[d]);
            code |= static_cast<uint32_t>(symbol) << (2 * m);
          }
          e.pattern[d] = code;
          for (int p = 0; p < 2; ++p) lines[p][d] = LineCategory(code, p + 1);
          e.lineCategories |= static_cast<uint32_t>(lines[0][d]) << (4 * d);
          e.lineCategories |= static_cast<uint32_t>(lines[1][d]) << (16 + 4 * d);
        }
        for (int p = 0; p < 2; ++p) e.category[p] = MoveCategory(lines[p]);
      }
      for (int p = 0; p < 2; ++p) ++out.listCount[p][e.category[p]];
      out.totalValue += Weight(e.category[0]) - Weight(e.category[1]);
    }
  }
}

}  // namespace reference
