// Zobrist keys of positions: a code per stone and square, and the key of the
// position in play, the start key XOR the code of every stone on the board.
// The side to move is not in the key. The incremental update keeps the key;
// the transposition table reads it.
#pragma once

#include <cstdint>

#include "board/board.h"

extern uint64_t zobristKey;
extern uint64_t codePlayer1[kBoardCells];
extern uint64_t codePlayer2[kBoardCells];

// 64 random bits from the C library's rand, never seeded, so that every run
// draws the same sequence.
uint64_t rand64();
// Draws new codes for every square, and a new start key.
void DrawZobristCodes();
void DrawStartKey();
// Toggles the code of a stone of `symbol` on a square in the key; inline for
// the incremental update. Other symbols leave the key as it is.
inline void UpdateZobristKey(int16_t squareIndex, int16_t symbol) {
  if (symbol == kPlayer1) zobristKey ^= codePlayer1[squareIndex];
  if (symbol == kPlayer2) zobristKey ^= codePlayer2[squareIndex];
}
