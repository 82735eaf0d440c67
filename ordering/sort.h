// Category-sorted square lists. For each player every playable square is
// filed in exactly one of 18 doubly linked lists: the list of its move
// category while it is empty, list 17 once a stone stands on it. Every list
// has a weight, and totalValue is the exact weight sum of all filed nodes.
#pragma once

#include <cstdint>

#include "board/board.h"

struct SquareNode;

constexpr int kNbCategoryLists = 18;

// Move categories, most urgent first: what a stone of the player on the
// square makes across its four lines.
constexpr int16_t kFiveCategory = 0;
constexpr int16_t kDoubleFourCategory = 1;
constexpr int16_t kOpenFourCategory = 2;
constexpr int16_t kFourThreeCategory = 3;
constexpr int16_t kFourTwoCategory = 4;
constexpr int16_t kFourCategory = 5;
constexpr int16_t kDoubleThreeCategory = 6;
constexpr int16_t kThreeTwoCategory = 7;
constexpr int16_t kThreeCategory = 8;
constexpr int16_t kSplitThreeCategory = 9;
constexpr int16_t kTripleTwoCategory = 10;
constexpr int16_t kDoubleTwoCategory = 11;
constexpr int16_t kTwoCategory = 12;
constexpr int16_t kSplitTwoCategory = 13;
constexpr int16_t kFarTwoCategory = 14;
constexpr int16_t kOpenSingleCategory = 15;  // room for a five, nothing built
constexpr int16_t kNoRoomCategory = 16;      // no five can pass the square
constexpr int16_t kOccupiedCategory = 17;    // a stone stands on the square
static_assert(kOccupiedCategory == kNbCategoryLists - 1);

struct CategoryList {
  int16_t category;   // the list's own index 0..17
  int16_t count;      // nodes linked in the list
  SquareNode* first;  // head; null when empty
  int16_t weight;     // per-node contribution to totalValue
};

struct SquareNode {
  CategoryList* list;  // list of the same player the node is filed under
  SquareNode* prev;
  SquareNode* next;
  int16_t raisedAt;    // nbSymbolsPlaced when last moved to a more urgent list
  int16_t squareIndex;
};

// [player - 1][category]
extern CategoryList moveCategory[2][kNbCategoryLists];
// [player - 1][square index]
extern SquareNode sortSquare[2][kBoardCells];
// Static evaluation in player 1's view: the weight sum of all linked nodes.
// Kept in 32 bits so that positions rich in threats cannot wrap.
extern int32_t totalValue;

void InitializeSort();
// 0 when every list holds exactly `count` nodes, 1 otherwise.
int CheckConsistency();
// True when `player` (1 or 2) makes a five, as the rule in force counts one,
// with a stone on the square index.
bool MakesFive(int16_t player, int16_t squareIndex);

// The list operations run for every square that a stone touches, so they are
// inline for the incremental update. Whether a node has neighbours in its
// list is as good as random, so the links are chosen by selects, not by
// branches: a missing neighbour's link is written to the node itself instead,
// where it is overwritten at once or leaves the value that was there.

// Unlinks a node from the list that it names.
inline void RemoveSquareFromList(SquareNode* node) {
  CategoryList* list = node->list;
  SquareNode* prev = node->prev;
  SquareNode* next = node->next;
  *(prev != nullptr ? &prev->next : &list->first) = next;
  (next != nullptr ? next : node)->prev = prev;
  --list->count;
  totalValue -= list->weight;
}

// Pushes a node at the head of a list.
inline void AddSquareToList(SquareNode* node, CategoryList* list) {
  SquareNode* first = list->first;
  node->next = first;
  (first != nullptr ? first : node)->prev = node;
  node->prev = nullptr;
  node->list = list;
  list->first = node;
  ++list->count;
  totalValue += list->weight;
}

// Moves a node from its list to the head of another.
inline void MoveSquareToList(SquareNode* node, CategoryList* list) {
  RemoveSquareFromList(node);
  AddSquareToList(node, list);
}

// Moves a node to another list, stamping raisedAt when that list is more
// urgent, and returns the list it left. Out of line, as most re-filings find
// the node in place and the checks stay compact.
CategoryList* MoveSquareNode(SquareNode* node, CategoryList* target);

// Moves one node to a list unless it is there already. Returns the list the
// node left, or null.
inline CategoryList* FileSquareNode(SquareNode* node, CategoryList* target) {
  return node->list == target ? nullptr : MoveSquareNode(node, target);
}

// Files both nodes of one square under the given lists (player 1's first).
inline void SortSquare(SquareNode* nodePlayer1, SquareNode* nodePlayer2,
                       CategoryList* listPlayer1, CategoryList* listPlayer2) {
  FileSquareNode(nodePlayer1, listPlayer1);
  FileSquareNode(nodePlayer2, listPlayer2);
}
