#include "ordering/sort.h"

#include <cmath>
#include <cstring>

CategoryList moveCategory[2][kNbCategoryLists];
SquareNode sortSquare[2][kBoardCells];
int32_t totalValue = 0;

namespace {

// The weight of list c is trunc(1.65^(18 - c)), negated for player 2: each
// category outweighs the next by about two thirds, and a five's weight (8216)
// still fits in int16.
constexpr double kWeightBase = 1.65;

void LinkPlayableSquaresInOrder(int player) {
  CategoryList& list = moveCategory[player][kOpenSingleCategory];
  SquareNode* tail = nullptr;
  for (int16_t i = 0; i < kBoardCells; ++i) {
    if (!IsPlayableIndex(i)) continue;
    SquareNode* node = &sortSquare[player][i];
    node->prev = tail;
    *(tail != nullptr ? &tail->next : &list.first) = node;
    tail = node;
    ++list.count;
  }
}

}  // namespace

void InitializeSort() {
  std::memset(moveCategory, 0, sizeof moveCategory);
  std::memset(sortSquare, 0, sizeof sortSquare);
  for (int player = 0; player < 2; ++player) {
    for (int16_t i = 0; i < kBoardCells; ++i) {
      sortSquare[player][i].squareIndex = i;
      sortSquare[player][i].list = &moveCategory[player][kOpenSingleCategory];
    }
    LinkPlayableSquaresInOrder(player);
  }
  for (int16_t c = 0; c < kNbCategoryLists; ++c) {
    const auto w = static_cast<int16_t>(std::pow(kWeightBase, kNbCategoryLists - c));
    moveCategory[0][c].category = c;
    moveCategory[1][c].category = c;
    moveCategory[0][c].weight = w;
    moveCategory[1][c].weight = static_cast<int16_t>(-w);
  }
  // 400 nodes of weight 4 balance 400 nodes of weight -4.
  totalValue = 0;
}

CategoryList* MoveSquareNode(SquareNode* node, CategoryList* target) {
  CategoryList* from = node->list;
  // Both lists are the node's player's, which moveCategory holds in order of
  // urgency: the lower address is the more urgent list.
  if (target < from) node->raisedAt = nbSymbolsPlaced;
  MoveSquareToList(node, target);
  return from;
}

bool MakesFive(int16_t player, int16_t squareIndex) {
  return sortSquare[player - 1][squareIndex].list->category == kFiveCategory;
}

int CheckConsistency() {
  for (auto& lists : moveCategory) {
    for (const CategoryList& list : lists) {
      int counted = 0;
      for (const SquareNode* node = list.first; node != nullptr; node = node->next) {
        if (++counted > list.count) return 1;
      }
      if (counted != list.count) return 1;
    }
  }
  return 0;
}
