// The iterative-deepening search driver and its statistics.
#pragma once

#include <cstdint>

#include "movegen/movegenerator.h"  // the move counters

extern int16_t depthReached;

// Moves made by the last completed iteration; zeroed, with the counts of
// alphabeta.h and hash.h, at the start of every search.
extern int64_t nbExaminedMovesLastPly;

void Search(int16_t maxDepth, int16_t deepenSingleMove, int16_t iterative);
void InitializeSearch();
void TakeResults();
