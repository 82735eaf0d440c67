#include "evaluation/evaluate.h"

#include <algorithm>
#include <bit>
#include <iterator>
#include <cstring>
#include <utility>

#include "board/keys.h"
#include "ordering/sort.h"

PatternMask mask[kNbPatterns];
// The toolchain lays this file's arrays out in the reverse order of their
// definitions: the tables of renju and caro, defined first, come after the
// others, which keep the places they had before.
uint8_t lineCategoryCaroExactFive[kNbLineCodes];
uint8_t lineCategoryCaro[kNbLineCodes];
uint8_t lineCategoryRenju[kNbLineCodes];
uint8_t lineCategoryOneDir[kNbInnerCodes];
uint8_t lineCategoryExactFive[kNbLineCodes];
Rule ruleInForce = Rule::kFreestyle;
uint8_t mcTable[kNbMcIndexes];
uint32_t squarePattern[kBoardCells][kNbDirections];
uint32_t lineCategoryAllDir[kBoardCells];
UndoRecord undoInformation[kUndoCapacity];
int16_t nbUndoSquares = 0;
MovedNode movedNodes[kMovedCapacity];
int16_t nbMovedNodes = 0;

namespace {

struct PatternDefinition {
  const char* text;
  int16_t lineCategory;
};

// Pattern alphabet: 'x' not tested, '1' own stone, anything else empty.
// Position 5 is the judged square. Sorted by falling category: the first
// match is the highest category.
constexpr PatternDefinition kPatterns[kNbPatterns] = {
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

// No pattern tests slot 0 or slot 9, so a line category depends on the 16
// bits of slots 1..8 only, which InnerCode extracts.
constexpr bool OuterSlotsUntested() {
  for (const PatternDefinition& p : kPatterns) {
    if (p.text[0] != 'x' || p.text[10] != 'x') return false;
  }
  return true;
}
static_assert(OuterSlotsUntested());

// The same patterns under exact five, in the same order. A new character 'o'
// is "not an own stone" (empty, the opponent's or the border). Guard rule:
// when a pattern's tested span (from its leftmost to its rightmost character
// other than 'x', the judged square included) covers at most six squares, an
// 'o' stands on the square just beyond each end of the span, so that the five
// it builds cannot run on into a sixth own stone. Every span here but that of
// "x...._....x" (category 1, which keeps no guard) covers at most six, so
// each guard falls inside the eleven positions.
constexpr PatternDefinition kExactFivePatterns[kNbPatterns] = {
    {"o1111_oxxxx", 9}, {"xo111_1oxxx", 9}, {"xxo11_11oxx", 9}, {"xxxo1_111ox", 9},
    {"xxxxo_1111o", 9}, {"o.111_.oxxx", 8}, {"xo.11_1.oxx", 8}, {"xxo.1_11.ox", 8},
    {"xxxo._111.o", 8}, {"o111._oxxxx", 7}, {"o11.1_oxxxx", 7}, {"o1.11_oxxxx", 7},
    {"o.111_oxxxx", 7}, {"xo111_.oxxx", 7}, {"xo11._1oxxx", 7}, {"xo1.1_1oxxx", 7},
    {"xo.11_1oxxx", 7}, {"xxo11_1.oxx", 7}, {"xxo11_.1oxx", 7}, {"xxo1._11oxx", 7},
    {"xxo.1_11oxx", 7}, {"xxxo1_11.ox", 7}, {"xxxo1_1.1ox", 7}, {"xxxo1_.11ox", 7},
    {"xxxo._111ox", 7}, {"xxxxo_111.o", 7}, {"xxxxo_11.1o", 7}, {"xxxxo_1.11o", 7},
    {"xxxxo_.111o", 7}, {"o..11_.oxxx", 6}, {"xo.11_..oxx", 6}, {"xo..1_1.oxx", 6},
    {"xxo.1_1..ox", 6}, {"xxo.._11.ox", 6}, {"xxxo._11..o", 6}, {"o.11._.oxxx", 5},
    {"o.1.1_.oxxx", 5}, {"xo.1._1.oxx", 5}, {"xxo.1_.1.ox", 5}, {"xxxo._1.1.o", 5},
    {"xxxo._.11.o", 5}, {"o...1_.oxxx", 4}, {"xo..1_..oxx", 4}, {"xxo.._1..ox", 4},
    {"xxxo._1...o", 4}, {"o..1._.oxxx", 3}, {"xo.1._..oxx", 3}, {"xxo.._.1.ox", 3},
    {"xxxo._.1..o", 3}, {"o.1.._.oxxx", 2}, {"xxxo._..1.o", 2}, {"x...._....x", 1},
};

// The tested span of a pattern: its leftmost and rightmost characters other
// than 'x' and the guard 'o', the judged square included.
struct Span {
  int lo, hi;
};
constexpr Span SpanOf(const char* text) {
  Span span{0, 10};
  while (text[span.lo] == 'x' || text[span.lo] == 'o') ++span.lo;
  while (text[span.hi] == 'x' || text[span.hi] == 'o') --span.hi;
  return span;
}

// Each pattern of `derived` is its twin in `base`, in the same order and
// category, with `guard` written on the square just beyond each end of every
// span of `first` to `last` squares, and otherwise unchanged but for the
// characters that `replaced` stands for.
constexpr bool DerivedByGuards(const PatternDefinition* base, const PatternDefinition* derived,
                               int first, int last, char guard, char replaced) {
  for (int i = 0; i < kNbPatterns; ++i) {
    const char* from = base[i].text;
    const char* to = derived[i].text;
    if (base[i].lineCategory != derived[i].lineCategory) return false;
    const Span span = SpanOf(from);
    const int width = span.hi - span.lo + 1;
    const bool guarded = width >= first && width <= last;
    if (guarded && (span.lo == 0 || span.hi == 10)) return false;  // a guard off the pattern
    for (int p = 0; p <= 10; ++p) {
      const bool atGuard = guarded && (p == span.lo - 1 || p == span.hi + 1);
      if (atGuard ? to[p] != guard : to[p] != from[p]) return false;
      if (atGuard && from[p] != 'x' && from[p] != replaced) return false;
    }
    if (to[11] != '\0') return false;
  }
  return true;
}
static_assert(DerivedByGuards(kPatterns, kExactFivePatterns, 1, 6, 'o', 'x'));

// Caro: a five whose squares just beyond both ends hold the opponent's stones
// does not win. A new character 'p' marks those two squares: they must not
// both be the opponent's (the edge and a blocked square are not). Every five
// and four pattern spans exactly the five squares that it completes, all
// other patterns six or more, so the guard goes beyond each end of the spans
// of five. A six or longer line keeps winning, as an own stone there passes.
constexpr PatternDefinition kCaroPatterns[kNbPatterns] = {
    {"p1111_pxxxx", 9}, {"xp111_1pxxx", 9}, {"xxp11_11pxx", 9}, {"xxxp1_111px", 9},
    {"xxxxp_1111p", 9}, {"x.111_.xxxx", 8}, {"xx.11_1.xxx", 8}, {"xxx.1_11.xx", 8},
    {"xxxx._111.x", 8}, {"p111._pxxxx", 7}, {"p11.1_pxxxx", 7}, {"p1.11_pxxxx", 7},
    {"p.111_pxxxx", 7}, {"xp111_.pxxx", 7}, {"xp11._1pxxx", 7}, {"xp1.1_1pxxx", 7},
    {"xp.11_1pxxx", 7}, {"xxp11_1.pxx", 7}, {"xxp11_.1pxx", 7}, {"xxp1._11pxx", 7},
    {"xxp.1_11pxx", 7}, {"xxxp1_11.px", 7}, {"xxxp1_1.1px", 7}, {"xxxp1_.11px", 7},
    {"xxxp._111px", 7}, {"xxxxp_111.p", 7}, {"xxxxp_11.1p", 7}, {"xxxxp_1.11p", 7},
    {"xxxxp_.111p", 7}, {"x..11_.xxxx", 6}, {"xx.11_..xxx", 6}, {"xx..1_1.xxx", 6},
    {"xxx.1_1..xx", 6}, {"xxx.._11.xx", 6}, {"xxxx._11..x", 6}, {"x.11._.xxxx", 5},
    {"x.1.1_.xxxx", 5}, {"xx.1._1.xxx", 5}, {"xxx.1_.1.xx", 5}, {"xxxx._1.1.x", 5},
    {"xxxx._.11.x", 5}, {"x...1_.xxxx", 4}, {"xx..1_..xxx", 4}, {"xxx.._1..xx", 4},
    {"xxxx._1...x", 4}, {"x..1._.xxxx", 3}, {"xx.1._..xxx", 3}, {"xxx.._.1.xx", 3},
    {"xxxx._.1..x", 3}, {"x.1.._.xxxx", 2}, {"xxxx._..1.x", 2}, {"x...._....x", 1},
};
static_assert(DerivedByGuards(kPatterns, kCaroPatterns, 5, 5, 'p', 'x'));

// Caro with exact five: the exact-five patterns, where a guard of a span of
// five becomes 'q', both guards at once: not an own stone, and the two not
// both the opponent's.
constexpr PatternDefinition kCaroExactFivePatterns[kNbPatterns] = {
    {"q1111_qxxxx", 9}, {"xq111_1qxxx", 9}, {"xxq11_11qxx", 9}, {"xxxq1_111qx", 9},
    {"xxxxq_1111q", 9}, {"o.111_.oxxx", 8}, {"xo.11_1.oxx", 8}, {"xxo.1_11.ox", 8},
    {"xxxo._111.o", 8}, {"q111._qxxxx", 7}, {"q11.1_qxxxx", 7}, {"q1.11_qxxxx", 7},
    {"q.111_qxxxx", 7}, {"xq111_.qxxx", 7}, {"xq11._1qxxx", 7}, {"xq1.1_1qxxx", 7},
    {"xq.11_1qxxx", 7}, {"xxq11_1.qxx", 7}, {"xxq11_.1qxx", 7}, {"xxq1._11qxx", 7},
    {"xxq.1_11qxx", 7}, {"xxxq1_11.qx", 7}, {"xxxq1_1.1qx", 7}, {"xxxq1_.11qx", 7},
    {"xxxq._111qx", 7}, {"xxxxq_111.q", 7}, {"xxxxq_11.1q", 7}, {"xxxxq_1.11q", 7},
    {"xxxxq_.111q", 7}, {"o..11_.oxxx", 6}, {"xo.11_..oxx", 6}, {"xo..1_1.oxx", 6},
    {"xxo.1_1..ox", 6}, {"xxo.._11.ox", 6}, {"xxxo._11..o", 6}, {"o.11._.oxxx", 5},
    {"o.1.1_.oxxx", 5}, {"xo.1._1.oxx", 5}, {"xxo.1_.1.ox", 5}, {"xxxo._1.1.o", 5},
    {"xxxo._.11.o", 5}, {"o...1_.oxxx", 4}, {"xo..1_..oxx", 4}, {"xxo.._1..ox", 4},
    {"xxxo._1...o", 4}, {"o..1._.oxxx", 3}, {"xo.1._..oxx", 3}, {"xxo.._.1.ox", 3},
    {"xxxo._.1..o", 3}, {"o.1.._.oxxx", 2}, {"xxxo._..1.o", 2}, {"x...._....x", 1},
};
static_assert(DerivedByGuards(kExactFivePatterns, kCaroExactFivePatterns, 5, 5, 'q', 'o'));

bool tablesBuilt = false;
bool fullCodeTableBuilt[5] = {};

int16_t LineCategory(uint32_t code, int player) {
  for (const PatternMask& m : mask) {
    const uint32_t bits = player == 1 ? m.bitsPlayer1 : m.bitsPlayer2;
    if ((code & m.maskBits) == bits) return m.lineCategory;
  }
  return 0;
}

void BuildMasks() {
  for (int i = 0; i < kNbPatterns; ++i) {
    mask[i].patternText = kPatterns[i].text;
    mask[i].lineCategory = kPatterns[i].lineCategory;
    GetMask(mask[i].patternText, mask[i].maskBits, mask[i].bitsPlayer1, mask[i].bitsPlayer2);
  }
}

void BuildLineCategoryTable() {
  for (uint32_t k = 0; k < kNbInnerCodes; ++k) {
    const uint32_t code = k << 2;  // slots 1..8
    lineCategoryOneDir[k] =
        static_cast<uint8_t>(GetLineCategoryPlayer1(code) + 16 * GetLineCategoryPlayer2(code));
  }
}

constexpr uint32_t kLowBits = 0x55555;  // the low bit of each of the ten slots
constexpr uint32_t kOuterLowBits = 1u | 1u << (2 * (kNbSlots - 1));  // slots 0 and 9

// The low bit of every slot of a code that holds `symbol`.
uint32_t SlotsHolding(uint32_t code, uint32_t symbol) {
  const uint32_t differ = code ^ (kLowBits * symbol);
  return ~(differ | differ >> 1) & kLowBits;
}

// A guarded pattern as the table build tests it: GetMask of its stones and
// empty squares, and its guards as the low bits of their slots.
struct GuardedPattern {
  uint32_t maskBits;
  uint32_t bits[2];  // what the tested slots must hold for player 1, player 2
  uint32_t notOwn;   // 'o' and 'q': no own stone there
  uint32_t pair;     // 'p' and 'q': the two squares not both the opponent's; 0: none
};

GuardedPattern SplitGuardedPattern(const char* text) {
  auto lowBitsOf = [text](const char* guards) {
    char marked[12];
    for (int p = 0; p < 12; ++p) {
      marked[p] = text[p] == '\0' ? '\0' : std::strchr(guards, text[p]) ? '1' : 'x';
    }
    uint32_t maskBits = 0, bitsPlayer1 = 0, bitsPlayer2 = 0;
    GetMask(marked, maskBits, bitsPlayer1, bitsPlayer2);
    return bitsPlayer1;
  };
  char tested[12];
  for (int p = 0; p < 12; ++p) tested[p] = std::strchr("opq", text[p]) && text[p] ? 'x' : text[p];
  GuardedPattern g;
  GetMask(tested, g.maskBits, g.bits[0], g.bits[1]);
  g.notOwn = lowBitsOf("oq");
  g.pair = lowBitsOf("pq");
  return g;
}

// Whether the pattern fits a code for player index p (0 or 1), its guards
// read only where `guardSlots` has the slot's low bit.
bool Fits(const GuardedPattern& g, uint32_t code, int p, uint32_t guardSlots) {
  if ((code & g.maskBits) != g.bits[p]) return false;
  if ((SlotsHolding(code, p + 1u) & g.notOwn & guardSlots) != 0) return false;
  if (g.pair == 0 || (g.pair & ~guardSlots) != 0) return true;
  return (SlotsHolding(code, 2u - p) & g.pair) != g.pair;
}

// A table indexed by the whole code from a guarded pattern list. Slots 1..8
// decide which patterns may fit (their '1' and '.' characters and their
// inner guards); slots 0 and 9 carry guards only. So each of the 65536 inner
// codes is matched once per player, giving a set of candidate patterns, and
// each of the 16 outer combinations takes the first candidate whose guards
// all hold.
void BuildFullCodeTable(const PatternDefinition* patterns, uint8_t* table) {
  GuardedPattern guarded[kNbPatterns];
  for (int i = 0; i < kNbPatterns; ++i) guarded[i] = SplitGuardedPattern(patterns[i].text);
  for (uint32_t k = 0; k < kNbInnerCodes; ++k) {
    const uint32_t code = k << 2;  // slots 1..8
    uint64_t candidates[2] = {0, 0};
    for (int p = 0; p < 2; ++p) {
      for (int i = 0; i < kNbPatterns; ++i) {
        if (Fits(guarded[i], code, p, kLowBits & ~kOuterLowBits)) candidates[p] |= uint64_t{1} << i;
      }
    }
    for (uint32_t s0 = 0; s0 < 4; ++s0) {
      for (uint32_t s9 = 0; s9 < 4; ++s9) {
        const uint32_t full = code | s0 | s9 << (2 * (kNbSlots - 1));
        uint8_t both = 0;
        for (int p = 0; p < 2; ++p) {
          for (uint64_t c = candidates[p]; c != 0; c &= c - 1) {
            const int i = std::countr_zero(c);
            if (!Fits(guarded[i], full, p, kLowBits)) continue;
            both |= static_cast<uint8_t>(patterns[i].lineCategory << (4 * p));
            break;
          }
        }
        table[full] = both;
      }
    }
  }
}

// Renju: player 1 (black) by the exact-five table, player 2 by freestyle's.
void BuildRenjuTable() {
  for (uint32_t code = 0; code < uint32_t(kNbLineCodes); ++code) {
    lineCategoryRenju[code] = static_cast<uint8_t>((lineCategoryExactFive[code] & 0x0Fu) |
                                                   (lineCategoryOneDir[InnerCode(code)] & 0xF0u));
  }
}

// Builds the table of a rule unless it is there, and those it derives from.
void BuildTableOf(Rule rule) {
  bool& built = fullCodeTableBuilt[static_cast<int>(rule)];
  if (built) return;
  switch (rule) {
    case Rule::kFreestyle:
      break;
    case Rule::kExactFive:
      BuildFullCodeTable(kExactFivePatterns, lineCategoryExactFive);
      break;
    case Rule::kRenju:
      BuildTableOf(Rule::kExactFive);
      BuildRenjuTable();
      break;
    case Rule::kCaro:
      BuildFullCodeTable(kCaroPatterns, lineCategoryCaro);
      break;
    case Rule::kCaroExactFive:
      BuildFullCodeTable(kCaroExactFivePatterns, lineCategoryCaroExactFive);
      break;
  }
  built = true;
}

void BuildMoveCategoryTable() {
  for (int16_t c3 = 0; c3 <= kLineFive; ++c3)
    for (int16_t c2 = 0; c2 <= kLineFive; ++c2)
      for (int16_t c1 = 0; c1 <= kLineFive; ++c1)
        for (int16_t c0 = 0; c0 <= kLineFive; ++c0)
          mcTable[c0 + 16 * c1 + 256 * c2 + 4096 * c3] =
              static_cast<uint8_t>(GetMoveCategory(c0, c1, c2, c3));
}

CategoryList* ListOf(int player, int16_t category) { return &moveCategory[player][category]; }

// Files both nodes of a square under the lists of its move categories.
void FileSquare(int16_t squareIndex, int16_t categoryPlayer1, int16_t categoryPlayer2) {
  SortSquare(&sortSquare[0][squareIndex], &sortSquare[1][squareIndex], ListOf(0, categoryPlayer1),
             ListOf(1, categoryPlayer2));
}

// Moves a node to another list unless it is there already, pushing it with
// the list it left for the take-back.
inline void FileNode(SquareNode* node, CategoryList* target, MovedNode*& moved) {
  if (node->list != target) *moved++ = MovedNode{node, MoveSquareNode(node, target)};
}

// The same for both nodes of a square that a stone touches.
inline void FileSquare(int16_t squareIndex, int16_t categoryPlayer1, int16_t categoryPlayer2,
                       MovedNode*& moved) {
  FileNode(&sortSquare[0][squareIndex], ListOf(0, categoryPlayer1), moved);
  FileNode(&sortSquare[1][squareIndex], ListOf(1, categoryPlayer2), moved);
}

// The square that has `squareIndex` in slot I % 10 of direction I / 10, if
// empty, gets its record, code, categories and lists updated. Written for
// each slot and each rule at compile time, so that offsets, shifts, masks and
// the table are constants.
template <Rule kRule, int I>
void UpdateNeighbour(int16_t squareIndex, int16_t symbol, UndoRecord*& top, MovedNode*& moved) {
  constexpr int16_t kDirection = I / kNbSlots;
  constexpr int16_t kSlot = I % kNbSlots;
  const auto e = static_cast<int16_t>(squareIndex + offsetTable[I]);
  if (square[e].symbol != kEmpty) return;
  SaveUndoInformation(*top++, e, kDirection);
  int16_t mc1 = 0;
  int16_t mc2 = 0;
  if (GetMcIndexes<kRule>(e, symbol, kDirection, kSlot, mc1, mc2)) FileSquare(e, mc1, mc2, moved);
}

// All the neighbours, in offsetTable order, their records and moved nodes
// pushed on the undo stacks.
template <Rule kRule, int... I>
void UpdateNeighbours(int16_t squareIndex, int16_t symbol, std::integer_sequence<int, I...>) {
  UndoRecord* top = &undoInformation[nbUndoSquares];
  MovedNode* moved = &movedNodes[nbMovedNodes];
  (UpdateNeighbour<kRule, I>(squareIndex, symbol, top, moved), ...);
  nbUndoSquares = static_cast<int16_t>(top - undoInformation);
  nbMovedNodes = static_cast<int16_t>(moved - movedNodes);
}

// The border squares enter the neighbourhood codes of the 300 playable
// squares within five steps of the edge.
template <Rule kRule>
void SetUpEmptyBoard() {
  std::memset(squarePattern, 0, sizeof squarePattern);
  // Before the border is seen, every line of every square has room for a
  // five, for both players: kLineRoom in each of the eight nibbles.
  constexpr uint32_t kRoomInEveryLine = kLineRoom * 0x11111111u;
  std::fill(std::begin(lineCategoryAllDir), std::end(lineCategoryAllDir), kRoomInEveryLine);
  for (int16_t k = 0; k < kBoardCells; ++k) {
    if (square[k].symbol == kEmpty) continue;
    for (int16_t d = 0; d < kNbDirections; ++d) {
      for (int16_t m = 0; m < kNbSlots; ++m) {
        const auto c = static_cast<int16_t>(k + offsetTable[kNbSlots * d + m]);
        if (!IsPlayableIndex(c)) continue;
        int16_t mc1 = 0;
        int16_t mc2 = 0;
        if (GetMcIndexes<kRule>(c, kBorder, d, m, mc1, mc2)) FileSquare(c, mc1, mc2);
      }
    }
  }
}

// The body of PutSymbol under one rule.
template <Rule kRule>
[[gnu::noinline]] void PutStone(int16_t squareIndex) {
  ++nbSymbolsPlaced;
  square[squareIndex].symbol = whoIsOnMove;
  UpdateZobristKey(squareIndex, whoIsOnMove);
  SaveUndoInformation(undoInformation[nbUndoSquares++], squareIndex, -1);
  // An empty square's nodes are never in list 17: both move, and are the
  // first two that the stone pushes.
  MovedNode* moved = &movedNodes[nbMovedNodes];
  FileSquare(squareIndex, kOccupiedCategory, kOccupiedCategory, moved);
  nbMovedNodes = static_cast<int16_t>(moved - movedNodes);
  UpdateNeighbours<kRule>(squareIndex, whoIsOnMove,
                               std::make_integer_sequence<int, kNbDirections * kNbSlots>());
}

}  // namespace

void GetMask(const char* patternText, uint32_t& maskBits, uint32_t& bitsPlayer1,
             uint32_t& bitsPlayer2) {
  maskBits = 0;
  bitsPlayer1 = 0;
  bitsPlayer2 = 0;
  for (int p = 0; p <= 10; ++p) {
    if (p == 5) continue;
    const int shift = 2 * (p < 5 ? p : p - 1);
    if (patternText[p] != 'x') maskBits |= 3u << shift;
    if (patternText[p] == '1') {
      bitsPlayer1 |= 1u << shift;
      bitsPlayer2 |= 2u << shift;
    }
  }
}

int16_t GetLineCategoryPlayer1(uint32_t code) { return LineCategory(code, 1); }
int16_t GetLineCategoryPlayer2(uint32_t code) { return LineCategory(code, 2); }

int16_t GetMoveCategory(int16_t c0, int16_t c1, int16_t c2, int16_t c3) {
  const int16_t c[kNbDirections] = {c0, c1, c2, c3};
  auto any = [&c](int16_t v) { return c[0] == v || c[1] == v || c[2] == v || c[3] == v; };
  auto countIn = [&c](int16_t lo, int16_t hi) {
    int n = 0;
    for (int16_t v : c) n += (v >= lo && v <= hi) ? 1 : 0;
    return n;
  };
  if (any(kLineFive)) return kFiveCategory;
  const int fours = countIn(kLineFour, kLineFour);
  if (fours >= 2) return kDoubleFourCategory;
  if (any(kLineOpenFour)) return kOpenFourCategory;
  const int threes = countIn(kLineSplitThree, kLineThree);
  const int twos = countIn(kLineFarTwo, kLineTwo);
  const int strongTwos = countIn(kLineSplitTwo, kLineTwo);
  if (fours >= 1 && threes >= 1) return kFourThreeCategory;
  if (fours >= 1 && twos >= 1) return kFourTwoCategory;
  if (fours >= 1) return kFourCategory;
  if (threes >= 2) return kDoubleThreeCategory;
  if (threes >= 1 && strongTwos >= 1) return kThreeTwoCategory;
  if (any(kLineThree)) return kThreeCategory;
  if (any(kLineSplitThree)) return kSplitThreeCategory;
  if (strongTwos >= 3) return kTripleTwoCategory;
  if (strongTwos >= 2) return kDoubleTwoCategory;
  if (any(kLineTwo)) return kTwoCategory;
  if (any(kLineSplitTwo)) return kSplitTwoCategory;
  if (any(kLineFarTwo)) return kFarTwoCategory;
  if (any(kLineRoom)) return kOpenSingleCategory;
  return kNoRoomCategory;
}

uint8_t LineCategoriesOf(uint32_t code) {
  code &= kNbLineCodes - 1;
  switch (ruleInForce) {
    case Rule::kFreestyle:
      break;
    case Rule::kExactFive:
      return lineCategoryExactFive[code];
    case Rule::kRenju:
      return lineCategoryRenju[code];
    case Rule::kCaro:
      return lineCategoryCaro[code];
    case Rule::kCaroExactFive:
      return lineCategoryCaroExactFive[code];
  }
  return lineCategoryOneDir[InnerCode(code)];
}

void SetRule(Rule rule) {
  // Renju's table takes player 2's categories from the freestyle one.
  if (!tablesBuilt) {
    BuildMasks();
    BuildLineCategoryTable();
    tablesBuilt = true;
  }
  BuildTableOf(rule);
  ruleInForce = rule;
}

void InitializeEvaluate() {
  nbSymbolsPlaced = 0;
  nbUndoSquares = 0;
  nbMovedNodes = 0;
  BuildMasks();
  if (!tablesBuilt) BuildLineCategoryTable();
  BuildMoveCategoryTable();
  switch (ruleInForce) {
    case Rule::kFreestyle:
      SetUpEmptyBoard<Rule::kFreestyle>();
      break;
    case Rule::kExactFive:
      SetUpEmptyBoard<Rule::kExactFive>();
      break;
    case Rule::kRenju:
      SetUpEmptyBoard<Rule::kRenju>();
      break;
    case Rule::kCaro:
      SetUpEmptyBoard<Rule::kCaro>();
      break;
    case Rule::kCaroExactFive:
      SetUpEmptyBoard<Rule::kCaroExactFive>();
      break;
  }
  tablesBuilt = true;
}

void PutSymbol(int16_t squareIndex) {
  // Freestyle first, by one branch, as before the other rules came.
  if (ruleInForce == Rule::kFreestyle) return PutStone<Rule::kFreestyle>(squareIndex);
  switch (ruleInForce) {
    case Rule::kExactFive:
      return PutStone<Rule::kExactFive>(squareIndex);
    case Rule::kRenju:
      return PutStone<Rule::kRenju>(squareIndex);
    case Rule::kCaro:
      return PutStone<Rule::kCaro>(squareIndex);
    default:
      return PutStone<Rule::kCaroExactFive>(squareIndex);
  }
}

void RemoveSymbol() {
  // The records above the stone's marker, newest first.
  const UndoRecord* r = &undoInformation[nbUndoSquares - 1];
  for (; r->direction >= 0; --r) {
    const int16_t e = r->squareIndex;
    sortSquare[0][e].raisedAt = r->raisedAtPlayer1;
    sortSquare[1][e].raisedAt = r->raisedAtPlayer2;
    lineCategoryAllDir[e] = r->lineCategories;
    squarePattern[e][r->direction] = r->pattern;
  }
  nbUndoSquares = static_cast<int16_t>(r - undoInformation);
  // The nodes of the neighbours go back newest first, so that every list
  // holds its nodes in the order it had.
  const auto firstMoved = static_cast<int16_t>(r->pattern);
  const MovedNode* ownNodes = &movedNodes[firstMoved];
  for (const MovedNode* m = &movedNodes[nbMovedNodes - 1]; m > ownNodes + 1; --m) {
    MoveSquareToList(m->node, m->list);
  }
  nbMovedNodes = firstMoved;
  // The marker: the stone's own nodes move back from list 17, stamped.
  const int16_t s = r->squareIndex;
  SortSquare(&sortSquare[0][s], &sortSquare[1][s], ownNodes[0].list, ownNodes[1].list);
  const int16_t symbol = square[s].symbol;
  square[s].symbol = kEmpty;
  UpdateZobristKey(s, symbol);
  --nbSymbolsPlaced;
}
