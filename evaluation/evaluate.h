// Line patterns, category tables and the incremental position update.
//
// For every empty square the module keeps its ten-neighbour code in each of
// the four directions, the resulting line categories of both players and,
// through the square lists, its move category per player. PutSymbol and
// RemoveSymbol keep all of it exact for the up to 40 squares whose lines pass
// through the stone.
//
// Five rules are played (see Rule). They share the categories, lists and
// weights and differ in the line-category table only; renju also forbids
// black some moves, which evaluation/forbidden.h judges. The update is
// written once as a template on the rule and instantiated for each.
#pragma once

#include <cstdint>

#include "board/board.h"
#include "ordering/sort.h"

constexpr int kNbPatterns = 52;
constexpr int kNbLineCodes = 1 << 20;   // 2 bits for each of 10 slots
constexpr int kNbInnerCodes = 1 << 16;  // 2 bits for each of slots 1..8, those patterns test
constexpr int kNbMcIndexes = 1 << 16;   // 4 bits for each of 4 directions

// Line categories (per square, direction and player): what a stone of the
// player on the square makes in that line.
constexpr int16_t kLineNoRoom = 0;      // no five can pass the square
constexpr int16_t kLineRoom = 1;        // room for a five, nothing built
constexpr int16_t kLineFarTwo = 2;      // 1 . . X
constexpr int16_t kLineSplitTwo = 3;    // 1 . X
constexpr int16_t kLineTwo = 4;         // 1 X
constexpr int16_t kLineSplitThree = 5;  // 1 1 . X, 1 . 1 X and the like
constexpr int16_t kLineThree = 6;       // 1 1 X, open at both ends
constexpr int16_t kLineFour = 7;        // one square from a five
constexpr int16_t kLineOpenFour = 8;    // two squares make a five
constexpr int16_t kLineFive = 9;

struct PatternMask {
  const char* patternText;  // 11 characters, position 5 is the judged square
  int16_t lineCategory;     // 1..9
  uint32_t maskBits;        // 3 in the two bits of every tested slot
  uint32_t bitsPlayer1;     // 1 in each '1' slot
  uint32_t bitsPlayer2;     // 2 in each '1' slot
};

extern PatternMask mask[kNbPatterns];
// Indexed by the inner code of a neighbourhood code: low nibble player 1's
// line category, high nibble player 2's. Built once per process. No pattern
// tests slot 0 or 9, so 64 KiB cover every code and stay in the cache.
extern uint8_t lineCategoryOneDir[kNbInnerCodes];
// The same under the other rules, indexed by the whole neighbourhood code:
// their patterns also test slots 0 and 9, to tell a five from a longer line
// or to see what closes it. 1 MiB each, built on the first switch to the rule.
// Renju's holds exact five's categories for player 1 and freestyle's for
// player 2.
extern uint8_t lineCategoryExactFive[kNbLineCodes];
extern uint8_t lineCategoryRenju[kNbLineCodes];
extern uint8_t lineCategoryCaro[kNbLineCodes];
extern uint8_t lineCategoryCaroExactFive[kNbLineCodes];
// The rule in force.
extern Rule ruleInForce;

// The table that a rule other than freestyle reads.
template <Rule kRule>
constexpr uint8_t* FullCodeTable() {
  static_assert(kRule != Rule::kFreestyle, "freestyle reads lineCategoryOneDir");
  if constexpr (kRule == Rule::kExactFive) return lineCategoryExactFive;
  if constexpr (kRule == Rule::kRenju) return lineCategoryRenju;
  if constexpr (kRule == Rule::kCaro) return lineCategoryCaro;
  return lineCategoryCaroExactFive;
}

// Slots 1..8 of a neighbourhood code: the index into lineCategoryOneDir.
constexpr uint32_t InnerCode(uint32_t code) { return (code >> 2) & (kNbInnerCodes - 1); }

// Indexed by four 4-bit line categories (direction d in bits 4d..4d+3):
// the move category 0..16.
extern uint8_t mcTable[kNbMcIndexes];

// Neighbourhood code of each square per direction (bits 2m, 2m+1: slot m).
// Exact for empty playable squares; an occupied square keeps the codes it had
// when its stone was put.
extern uint32_t squarePattern[kBoardCells][kNbDirections];
// Line categories of each square: bits 4d..4d+3 player 1 in direction d,
// bits 16+4d..16+4d+3 player 2. Each half is an mcTable index.
extern uint32_t lineCategoryAllDir[kBoardCells];

// The state of one square before a stone changed it. The nodes that the
// stone moved are kept apart, in movedNodes, so that the take-back restores
// every square without asking whether its nodes moved.
struct UndoRecord {
  uint32_t lineCategories;  // lineCategoryAllDir of the square
  // squarePattern[square][direction]; in a marker, nbMovedNodes before the stone
  uint32_t pattern;
  int16_t squareIndex;
  int16_t raisedAtPlayer1;  // sortSquare[p][squareIndex].raisedAt
  int16_t raisedAtPlayer2;
  int16_t direction;  // 0..3, or -1 for the stone's own marker record
};
static_assert(sizeof(UndoRecord) == 16);

// A node that a stone moved to another list, and the list it left.
struct MovedNode {
  SquareNode* node;
  CategoryList* list;
};

// Worst case: the game stones of a full board push 6710 records (400 markers
// plus one per pair of playable squares at most five apart on a line), and
// each of the 30 search plies adds at most 41. A marker moves the stone's
// own two nodes, any other record at most the two of its square.
constexpr int kUndoCapacity = 6710 + 30 * 41;
static_assert(kUndoCapacity == 7940);
constexpr int kMovedCapacity = 2 * kUndoCapacity;
extern UndoRecord undoInformation[kUndoCapacity];
extern int16_t nbUndoSquares;
extern MovedNode movedNodes[kMovedCapacity];
extern int16_t nbMovedNodes;

void GetMask(const char* patternText, uint32_t& maskBits, uint32_t& bitsPlayer1,
             uint32_t& bitsPlayer2);
int16_t GetLineCategoryPlayer1(uint32_t code);
int16_t GetLineCategoryPlayer2(uint32_t code);
int16_t GetMoveCategory(int16_t c0, int16_t c1, int16_t c2, int16_t c3);

// Line categories of a neighbourhood code under the rule in force, packed as
// in lineCategoryOneDir.
uint8_t LineCategoriesOf(uint32_t code);

// Sets the rule, building its table the first time it is needed. The
// position is left as it was: InitializeEvaluate and the game's stones must
// follow.
void SetRule(Rule rule);

// Builds the tables (freestyle's only on the first call; SetRule builds the
// others) and sets up the empty-board state under the rule in force. Runs
// after InitializeBoard and InitializeSort.
void InitializeEvaluate();
// Puts a stone of whoIsOnMove on an empty playable square; does not flip
// whoIsOnMove.
void PutSymbol(int16_t squareIndex);
// Takes back the stone of the latest PutSymbol not yet taken back.
void RemoveSymbol();

// The two steps for every square that a stone touches. PutSymbol runs them for
// up to 41 squares, written out for each neighbour; the compiler's size limits
// would keep them out of line there, at a cost of a sixth of its time.

// Fills the record of a square before its code in `direction` changes; -1
// makes the marker record of the square that the stone is put on. PutSymbol
// pushes the records.
[[gnu::always_inline]] inline void SaveUndoInformation(UndoRecord& r, int16_t squareIndex,
                                                       int16_t direction) {
  r.lineCategories = lineCategoryAllDir[squareIndex];
  r.pattern =
      direction >= 0 ? squarePattern[squareIndex][direction] : static_cast<uint32_t>(nbMovedNodes);
  r.squareIndex = squareIndex;
  r.raisedAtPlayer1 = sortSquare[0][squareIndex].raisedAt;
  r.raisedAtPlayer2 = sortSquare[1][squareIndex].raisedAt;
  r.direction = direction;
}

// Writes `symbol` into a slot of a square's code in one direction and brings
// its line categories up to date. Returns false when no line category
// changed, so that the move categories stay as they are and the two
// out-parameters are not written; else returns true with the new move
// categories of both players. kRule picks the rule's table.
template <Rule kRule>
[[gnu::always_inline]] inline bool GetMcIndexes(int16_t squareIndex, int16_t symbol,
                                                int16_t direction, int16_t slot,
                                                int16_t& moveCategoryPlayer1,
                                                int16_t& moveCategoryPlayer2) {
  uint32_t& code = squarePattern[squareIndex][direction];
  code |= static_cast<uint32_t>(symbol) << (2 * slot);
  uint32_t b = 0;
  if constexpr (kRule != Rule::kFreestyle) {
    b = FullCodeTable<kRule>()[code];
  } else {
    // No freestyle pattern tests the outermost slots.
    if (slot == 0 || slot == kNbSlots - 1) return false;
    b = lineCategoryOneDir[InnerCode(code)];
  }
  const int shift = 4 * direction;
  const uint32_t keep = ~((0xFu << shift) | (0xFu << (16 + shift)));
  uint32_t& categories = lineCategoryAllDir[squareIndex];
  const uint32_t updated =
      (categories & keep) | ((b & 0xFu) << shift) | ((b >> 4) << (16 + shift));
  if (updated == categories) return false;
  categories = updated;
  moveCategoryPlayer1 = mcTable[updated & 0xFFFF];
  moveCategoryPlayer2 = mcTable[updated >> 16];
  return true;
}
