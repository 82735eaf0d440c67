#include "tests/state_checks.h"

#include <algorithm>

#include "board/keys.h"
#include "engine/tessel.h"
#include "evaluation/evaluate.h"
#include "ordering/sort.h"
#include "tests/reference_classifier.h"

namespace state_checks {

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
    if (sortSquare[0][s].list->category != want.category[s][0] ||
        sortSquare[1][s].list->category != want.category[s][1] ||
        (!symbol && (lineCategoryAllDir[s] != want.lineCategories[s] ||
                     !std::equal(want.pattern[s], want.pattern[s] + 4, squarePattern[s]))))
      return "square " + std::to_string(s);
  }
  if (nbSymbolsPlaced != want.stones || zobristKey != key) return "stone count or key";
  return ListFaults();
}

}  // namespace state_checks
