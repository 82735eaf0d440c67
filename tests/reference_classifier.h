// A slow classifier that works out, from the stones on the board alone, what the
// incremental evaluation should hold for every playable square. It shares no
// table with the engine.
#pragma once

#include <cstdint>

#include "board/board.h"
#include "evaluation/evaluate.h"  // Rule

namespace reference {

constexpr int kOccupied = 17;  // list of a square with a stone on it

struct Position {  // filled in for the playable squares only
  uint32_t pattern[kBoardCells][4];      // neighbourhood code per direction (empty squares)
  uint32_t lineCategories[kBoardCells];  // packed like lineCategoryAllDir (empty squares)
  int category[kBoardCells][2];          // list per player: move category, or kOccupied
  int stones;
};

// 0..9 for player 1 or 2 under the rule: what a stone of the player on the
// square makes along the line of the neighbourhood code, judged by trying
// stones from the definitions of a five, a four, a three and a two.
int LineCategory(uint32_t code, int player, Rule rule = Rule::kFreestyle);
int MoveCategory(const int lineCategory[4]);  // 0..16
int64_t Weight(int category);                 // what one player-1 node adds to the value
// Reads the size and the stones of the board in play.
void Classify(Position& out, Rule rule = Rule::kFreestyle);

}  // namespace reference
