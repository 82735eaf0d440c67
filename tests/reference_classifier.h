// A slow classifier that works out, from the stones on the board alone, what
// the incremental evaluation should hold for every playable square: the
// neighbourhood codes, the line and move categories of both players, the list
// of each square and the static value. It shares no table with the engine.
#pragma once

#include <cstdint>

#include "evaluation/board.h"

namespace reference {

constexpr int kOccupied = 17;  // list of a square with a stone on it
constexpr int kPatternCount = 52;

struct PatternEntry {
  const char* text;
  int category;
};
extern const PatternEntry kPatterns[kPatternCount];

struct SquareExpectation {
  uint32_t pattern[4];      // neighbourhood code per direction (empty squares only)
  uint32_t lineCategories;  // packed like lineCategoryAllDir (empty squares only)
  int category[2];          // list per player: move category, or kOccupied
};

struct Position {
  SquareExpectation at[kBoardCells];  // only playable squares are filled in
  int listCount[2][18];
  int64_t totalValue;  // exact, never wrapped
  int stones;
};

// Line category 0..9 of a neighbourhood code for player 1 or 2.
int LineCategory(uint32_t code, int player);
// Move category 0..16 of four line categories.
int MoveCategory(const int lineCategory[4]);
// What one node of player 1 in list `category` adds to the static value.
int64_t Weight(int category);
// Reads square[].symbol of the 400 playable squares and nothing else.
void Classify(Position& out);

}  // namespace reference
