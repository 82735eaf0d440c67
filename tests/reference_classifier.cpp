#include "tests/reference_classifier.h"

#include "tests/squares.h"

namespace reference {

// Written from +5 to -5 along the line; the middle character is the square.
const PatternEntry kPatterns[52] = {
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

// The first pattern that fits: position p < 5 reads slot p, p > 5 slot p - 1;
// '1' wants an own stone, '.' an empty square, 'x' takes anything. Guards on
// the squares just beyond a pattern's tested span, by the rule: exact five
// wants no own stone on either when the span covers at most six squares;
// caro wants the two not both the opponent's when it covers five.
int LineCategory(uint32_t code, int player, Rule rule) {
  auto symbolAt = [code](int p) {  // off the eleven positions: empty
    return p < 0 || p > 10 ? 0u : code >> (2 * (p < 5 ? p : p - 1)) & 3;
  };
  const bool exactFive = rule == Rule::kExactFive || rule == Rule::kCaroExactFive ||
                         (rule == Rule::kRenju && player == 1);
  const bool caro = rule == Rule::kCaro || rule == Rule::kCaroExactFive;
  const uint32_t own = uint32_t(player), opponent = uint32_t(3 - player);
  for (const PatternEntry& entry : kPatterns) {
    bool fits = true;
    int first = -1, last = -1;  // the tested span, the square itself included
    for (int p = 0; p < 11 && fits; ++p) {
      if (entry.text[p] == 'x') continue;
      if (first < 0) first = p;
      last = p;
      if (p != 5) fits = symbolAt(p) == (entry.text[p] == '1' ? own : 0u);
    }
    if (fits && exactFive && last - first < 6)
      fits = symbolAt(first - 1) != own && symbolAt(last + 1) != own;
    if (fits && caro && last - first == 4)
      fits = symbolAt(first - 1) != opponent || symbolAt(last + 1) != opponent;
    if (fits) return entry.category;
  }
  return 0;
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
  auto SymbolAt = [](int x, int y) -> int {
    if (x < 0 || x >= boardWidth || y < 0 || y >= boardHeight) return kBorder;
    return square[SquareIndex(x, y)].symbol;
  };
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
        ++out.listCount[p][out.category[s][p]];
      }
      out.totalValue += Weight(out.category[s][0]) - Weight(out.category[s][1]);
    }
  }
}

}  // namespace reference
