// Zobrist keys and the transposition table. The key is the start key of the
// last InitializeHashTable XOR the code of every stone on the board; the side
// to move is not in the key but in each item's `side`.
#pragma once

#include <cstdint>

#include "evaluation/board.h"

constexpr uint8_t kHashFlagAll = 2;  // all moves searched; value is the best found
constexpr uint8_t kHashFlagCut = 3;  // cut off; value is the cutting score

struct HashItem {
  uint64_t key;
  int16_t ply;
  int16_t value;  // from the point of view of `side`
  uint8_t flag;
  uint8_t side;   // whoIsOnMove when recorded; 0 in a cleared item
};
static_assert(sizeof(HashItem) == 16, "each item counts 16 bytes of hashTableSize");

extern int32_t hashTableSize;  // bytes, treated as unsigned
extern int32_t nbHTItems;
extern HashItem* pHashItemTable;
extern uint64_t zobristKey;
extern uint64_t codePlayer1[kBoardCells];
extern uint64_t codePlayer2[kBoardCells];

uint64_t rand64();
void InitializeHashTable();
// Toggles the code of a stone of `symbol` on a square in the key; inline for
// the incremental update. Other symbols leave the key as it is.
inline void UpdateZobristKey(int16_t squareIndex, int16_t symbol) {
  if (symbol == kPlayer1) zobristKey ^= codePlayer1[squareIndex];
  if (symbol == kPlayer2) zobristKey ^= codePlayer2[squareIndex];
}
void RecordHash(int16_t ply, int16_t flag, int16_t value);
// 0: miss; 2: alpha = stored value; 3: beta = stored value.
int16_t ProbeHash(int16_t ply, int16_t& alpha, int16_t& beta);
