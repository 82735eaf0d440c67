#include "tests/state_checks.h"

#include <algorithm>

#include "engine/tessel.h"
#include "evaluation/evaluate.h"
#include "ordering/sort.h"
#include "search/hash.h"
#include "tests/reference_classifier.h"
#include "tests/squares.h"

namespace state_checks {

namespace {

int16_t CategoryOf(int player, int s) { return sortSquare[player - 1][s].list->category; }

}  // namespace

uint64_t KeyedGame() {
  Tessel_Initialize();
  hashTableSize = 1 << 12;
  Tessel_Initialize();
  return zobristKey;
}

std::string ListFaults() {
  if (CheckConsistency() != 0) return "CheckConsistency reports a count mismatch";
  // With agreeing back links, a walk of the right length holds just its nodes.
  static int seen[2][kBoardCells];
  int32_t weightSum = 0;
  for (int p = 0; p < 2; ++p) {
    std::fill(seen[p], seen[p] + kBoardCells, 0);
    for (const CategoryList& list : moveCategory[p]) {
      const std::string where = "list " + std::to_string(list.category) + (p ? " of 2" : " of 1");
      int n = 0;
      for (const SquareNode *node = list.first, *prev = nullptr; node && n <= kPlayableSquares;
           prev = node, node = node->next, ++n) {
        if (node->prev != prev || node->list != &list || node != &sortSquare[p][node->squareIndex])
          return where + " node " + std::to_string(n);
        ++seen[p][node->squareIndex];
        weightSum += list.weight;
      }
      if (n != list.count) return where + " count";
    }
    for (int16_t i = 0; i < kBoardCells; ++i)
      if (seen[p][i] != (IsPlayableIndex(i) ? 1 : 0)) return "node " + std::to_string(i);
  }
  return weightSum == totalValue ? "" : "totalValue is not the weight sum";
}

std::string StateFaults(uint64_t startKey) {
  static reference::Position want;
  reference::Classify(want, Tessel_GetRule());
  uint64_t key = startKey;
  for (int s = 0; s < kBoardCells; ++s) {
    const int16_t symbol = square[s].symbol;
    if (symbol == kBorder) continue;
    key ^= symbol == kPlayer1 ? codePlayer1[s] : symbol == kPlayer2 ? codePlayer2[s] : 0;
    if (CategoryOf(1, s) != want.category[s][0] || CategoryOf(2, s) != want.category[s][1] ||
        (!symbol && (lineCategoryAllDir[s] != want.lineCategories[s] ||
                     !std::equal(want.pattern[s], want.pattern[s] + 4, squarePattern[s]))))
      return "square " + std::to_string(s);
  }
  if (nbSymbolsPlaced != want.stones || zobristKey != key) return "stone count or key";
  return ListFaults();
}

Snapshot Take() {
  Snapshot s;
  for (int i = 0; i < kBoardCells; ++i) {
    const uint32_t* c = squarePattern[i];
    s.insert(s.end(),
             {square[i].symbol, lineCategoryAllDir[i], c[0], c[1], c[2], c[3], CategoryOf(1, i),
              CategoryOf(2, i), sortSquare[0][i].raisedAt, sortSquare[1][i].raisedAt});
  }
  s.insert(s.end(), {totalValue, int64_t(zobristKey), nbSymbolsPlaced, nbUndoSquares});
  return s;
}

bool Restored(Snapshot before, int16_t taken) {
  const Snapshot now = Take();
  std::copy_n(&now[10 * taken + 8], 2, &before[10 * taken + 8]);
  return now == before;
}

bool StampsFollow(const Snapshot& before) {
  const Snapshot now = Take();
  for (int k = 6; k < 10 * kBoardCells; k += k % 10 == 6 ? 1 : 9)  // lists; stamps 2 further on
    if (now[k + 2] != (now[k] < before[k] ? nbSymbolsPlaced : before[k + 2])) return false;
  return true;
}

}  // namespace state_checks
