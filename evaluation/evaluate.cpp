#include "evaluation/evaluate.h"

#include <algorithm>
#include <bit>
#include <iterator>
#include <cstring>
#include <utility>

#include "ordering/sort.h"
#include "search/hash.h"

PatternMask mask[kNbPatterns];
uint8_t lineCategoryOneDir[kNbInnerCodes];
uint8_t lineCategoryExactFive[kNbLineCodes];
bool exactFiveRule = false;
uint8_t mcTable[kNbMcIndexes];
uint32_t squarePattern[kBoardCells][kNbDirections];
uint32_t lineCategoryAllDir[kBoardCells];
UndoRecord undoInformation[kUndoCapacity];
int16_t nbUndoSquares = 0;

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

// Each exact-five pattern is its freestyle twin with the guards added.
constexpr bool GuardsFollowTheRule() {
  for (int i = 0; i < kNbPatterns; ++i) {
    const char* free = kPatterns[i].text;
    const char* exact = kExactFivePatterns[i].text;
    if (kPatterns[i].lineCategory != kExactFivePatterns[i].lineCategory) return false;
    int lo = 0;
    int hi = 10;
    while (free[lo] == 'x') ++lo;
    while (free[hi] == 'x') --hi;
    const bool guarded = hi - lo + 1 <= 6;
    if (guarded && (lo == 0 || hi == 10)) return false;  // a guard off the pattern
    for (int p = 0; p <= 10; ++p) {
      const bool guard = guarded && (p == lo - 1 || p == hi + 1);
      if (exact[p] != (guard ? 'o' : free[p])) return false;
    }
    if (exact[11] != '\0') return false;
  }
  return true;
}
static_assert(GuardsFollowTheRule());

bool tablesBuilt = false;
bool exactFiveTableBuilt = false;

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

// An exact-five pattern as the table build tests it: GetMask of its stones
// and empty squares, and its guards read as the player 1 stones of a pattern
// of their own.
struct ExactPattern {
  uint32_t maskBits;
  uint32_t bits[2];    // what the tested slots must hold for player 1, player 2
  uint32_t guardBits;  // 1 in the low bit of every 'o' slot
};

ExactPattern SplitExactPattern(const char* text) {
  char tested[12], guards[12];
  for (int p = 0; p < 12; ++p) {
    tested[p] = text[p] == 'o' ? 'x' : text[p];
    guards[p] = text[p] == 'o' ? '1' : text[p] == '\0' ? '\0' : 'x';
  }
  ExactPattern q;
  uint32_t guardMask = 0, guardBitsPlayer2 = 0;
  GetMask(tested, q.maskBits, q.bits[0], q.bits[1]);
  GetMask(guards, guardMask, q.guardBits, guardBitsPlayer2);
  return q;
}

// Under exact five the judged square's category for player p depends on all
// ten slots. Slots 1..8 decide which patterns may match (their '1' and '.'
// characters and their inner guards); slots 0 and 9 carry guards only, and
// only whether each holds an own stone matters. So each of the 65536 inner
// codes is matched once per player, giving a set of candidate patterns, and
// each of the 16 outer combinations takes the first candidate whose outer
// guards hold.
void BuildExactFiveTable() {
  ExactPattern patterns[kNbPatterns];
  uint64_t guardedAtSlot0 = 0;  // patterns with a guard in slot 0 / slot 9
  uint64_t guardedAtSlot9 = 0;
  for (int i = 0; i < kNbPatterns; ++i) {
    patterns[i] = SplitExactPattern(kExactFivePatterns[i].text);
    if (patterns[i].guardBits & 1u) guardedAtSlot0 |= uint64_t{1} << i;
    if (patterns[i].guardBits >> (2 * (kNbSlots - 1))) guardedAtSlot9 |= uint64_t{1} << i;
  }
  constexpr uint32_t kLowBits = 0x55555;  // the low bit of each of the ten slots
  for (uint32_t k = 0; k < kNbInnerCodes; ++k) {
    const uint32_t code = k << 2;  // slots 1..8
    // [player][own stone in slot 0][own stone in slot 9]
    uint8_t category[2][2][2];
    for (int player = 0; player < 2; ++player) {
      // The low bit of every slot whose symbol is not this player's.
      const uint32_t differ = code ^ (kLowBits * static_cast<uint32_t>(player + 1));
      const uint32_t notOwn = (differ | differ >> 1) & kLowBits;
      uint64_t candidates = 0;
      for (int i = 0; i < kNbPatterns; ++i) {
        // Slots 0 and 9 read empty here, so their guards pass until below.
        const ExactPattern& q = patterns[i];
        if ((code & q.maskBits) == q.bits[player] && (notOwn & q.guardBits) == q.guardBits)
          candidates |= uint64_t{1} << i;
      }
      for (int own0 = 0; own0 < 2; ++own0) {
        for (int own9 = 0; own9 < 2; ++own9) {
          const uint64_t fit = candidates & ~(own0 ? guardedAtSlot0 : 0) &
                               ~(own9 ? guardedAtSlot9 : 0);
          const int first = std::countr_zero(fit);  // 64 when no candidate fits
          category[player][own0][own9] =
              fit == 0 ? 0 : static_cast<uint8_t>(kExactFivePatterns[first].lineCategory);
        }
      }
    }
    for (uint32_t s0 = 0; s0 < 4; ++s0) {
      for (uint32_t s9 = 0; s9 < 4; ++s9) {
        lineCategoryExactFive[code | s0 | s9 << (2 * (kNbSlots - 1))] = static_cast<uint8_t>(
            category[0][s0 == kPlayer1][s9 == kPlayer1] |
            category[1][s0 == kPlayer2][s9 == kPlayer2] << 4);
      }
    }
  }
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

// The same for the square of a record, noting the lists that nodes leave.
inline void FileSquare(UndoRecord& r, int16_t categoryPlayer1, int16_t categoryPlayer2) {
  SquareNode* nodePlayer1 = &sortSquare[0][r.squareIndex];
  SquareNode* nodePlayer2 = &sortSquare[1][r.squareIndex];
  r.listPlayer1 = FileSquareNode(nodePlayer1, ListOf(0, categoryPlayer1));
  r.listPlayer2 = FileSquareNode(nodePlayer2, ListOf(1, categoryPlayer2));
}

// The square that has `squareIndex` in slot I % 10 of direction I / 10, if
// empty, gets its record, code, categories and lists updated. Written for
// each slot and each rule at compile time, so that offsets, shifts, masks and
// the table are constants.
template <bool kExactFive, int I>
void UpdateNeighbour(int16_t squareIndex, int16_t symbol, UndoRecord*& top) {
  constexpr int16_t kDirection = I / kNbSlots;
  constexpr int16_t kSlot = I % kNbSlots;
  const auto e = static_cast<int16_t>(squareIndex + offsetTable[I]);
  if (square[e].symbol != kEmpty) return;
  UndoRecord& r = *top++;
  SaveUndoInformation(r, e, kDirection);
  int16_t mc1 = 0;
  int16_t mc2 = 0;
  if (GetMcIndexes<kExactFive>(e, symbol, kDirection, kSlot, mc1, mc2)) FileSquare(r, mc1, mc2);
}

// All the neighbours, in offsetTable order, their records pushed on the undo
// stack.
template <bool kExactFive, int... I>
void UpdateNeighbours(int16_t squareIndex, int16_t symbol, std::integer_sequence<int, I...>) {
  UndoRecord* top = &undoInformation[nbUndoSquares];
  (UpdateNeighbour<kExactFive, I>(squareIndex, symbol, top), ...);
  nbUndoSquares = static_cast<int16_t>(top - undoInformation);
}

// The border squares enter the neighbourhood codes of the 300 playable
// squares within five steps of the edge.
template <bool kExactFive>
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
        if (GetMcIndexes<kExactFive>(c, kBorder, d, m, mc1, mc2)) FileSquare(c, mc1, mc2);
      }
    }
  }
}

// The body of PutSymbol under one rule.
template <bool kExactFive>
[[gnu::noinline]] void PutStone(int16_t squareIndex) {
  ++nbSymbolsPlaced;
  square[squareIndex].symbol = whoIsOnMove;
  UpdateZobristKey(squareIndex, whoIsOnMove);
  UndoRecord& marker = undoInformation[nbUndoSquares++];
  SaveUndoInformation(marker, squareIndex, -1);
  FileSquare(marker, kOccupiedCategory, kOccupiedCategory);
  UpdateNeighbours<kExactFive>(squareIndex, whoIsOnMove,
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
  return exactFiveRule ? lineCategoryExactFive[code & (kNbLineCodes - 1)]
                       : lineCategoryOneDir[InnerCode(code)];
}

void SetExactFiveRule(bool exactFive) {
  if (exactFive && !exactFiveTableBuilt) {
    BuildExactFiveTable();
    exactFiveTableBuilt = true;
  }
  exactFiveRule = exactFive;
}

void InitializeEvaluate() {
  nbSymbolsPlaced = 0;
  nbUndoSquares = 0;
  BuildMasks();
  if (!tablesBuilt) BuildLineCategoryTable();
  BuildMoveCategoryTable();
  if (exactFiveRule) {
    SetUpEmptyBoard<true>();
  } else {
    SetUpEmptyBoard<false>();
  }
  tablesBuilt = true;
}

void PutSymbol(int16_t squareIndex) {
  if (exactFiveRule) {
    PutStone<true>(squareIndex);
  } else {
    PutStone<false>(squareIndex);
  }
}

void RemoveSymbol() {
  // The records above the stone's marker, newest first.
  const UndoRecord* r = &undoInformation[nbUndoSquares - 1];
  for (; r->direction >= 0; --r) {
    const int16_t e = r->squareIndex;
    SquareNode* nodePlayer1 = &sortSquare[0][e];
    SquareNode* nodePlayer2 = &sortSquare[1][e];
    if (r->listPlayer1 != nullptr) MoveSquareToList(nodePlayer1, r->listPlayer1);
    if (r->listPlayer2 != nullptr) MoveSquareToList(nodePlayer2, r->listPlayer2);
    nodePlayer1->raisedAt = r->raisedAtPlayer1;
    nodePlayer2->raisedAt = r->raisedAtPlayer2;
    lineCategoryAllDir[e] = r->lineCategories;
    squarePattern[e][r->direction] = r->pattern;
  }
  // The marker: the stone's own nodes move back from list 17, stamped.
  nbUndoSquares = static_cast<int16_t>(r - undoInformation);
  const int16_t s = r->squareIndex;
  SortSquare(&sortSquare[0][s], &sortSquare[1][s], r->listPlayer1, r->listPlayer2);
  const int16_t symbol = square[s].symbol;
  square[s].symbol = kEmpty;
  UpdateZobristKey(s, symbol);
  --nbSymbolsPlaced;
}
