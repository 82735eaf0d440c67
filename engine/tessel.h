// The engine's public interface: initialise, put stones of the side to move,
// search, and read the result. Coordinates are board coordinates 0..19.
#pragma once

#include <cstdint>

void Tessel_Initialize();
void Tessel_PutSymbol(int16_t x, int16_t y);
void Tessel_Search(int16_t maxDepth, int16_t deepenSingleMove, int16_t iterative);
int16_t Tessel_GetBestLineLength();
void Tessel_GetBestLine(int16_t i, int16_t* x, int16_t* y, int16_t* player, int16_t* value,
                        int16_t* vctMove);
int16_t Tessel_GetNbPossibleMoves();
void Tessel_GetPossibleMove(int16_t i, int16_t* x, int16_t* y, int16_t* side, int16_t* value,
                            int32_t* nodes);
void Tessel_ResetHashTable();
// 1 when the side to move makes five by playing on the square index.
int GameWon(int16_t squareIndex);
// True when no empty playable square is left.
bool Tessel_BoardFull();
