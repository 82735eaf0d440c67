// The transposition table, indexed by the Zobrist key of the position (see
// board/keys); the side to move is not in the key but in each item's `side`.
#pragma once

#include <cstdint>

#include "board/board.h"
#include "board/keys.h"

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
// Probes that found the position, and that found another one.
extern int32_t nbHTSuccessfulHits;
extern int32_t nbHTFailureHits;
// A cleared table of hashTableSize bytes and a new start key; new codes too
// when the size changed.
void InitializeHashTable();
void RecordHash(int16_t ply, int16_t flag, int16_t value);
// 0: miss; 2: alpha = stored value; 3: beta = stored value.
int16_t ProbeHash(int16_t ply, int16_t& alpha, int16_t& beta);
