// The main alpha-beta search and the threat-sequence search. Scores are from
// the point of view of the side to move: 30000 wins, -30000 loses.
#pragma once

#include <cstdint>

#include "movegen/movegenerator.h"  // kWinScore
// Plies past the full-width depth after which a threat sequence goes on with
// fours only: threes so deep multiply the tree for wins rarely found there.
constexpr int16_t kThreatDepthMargin = 10;

// Statistics of the search: the deepest ply reached and the beta cutoffs.
extern int16_t plyReached;
extern int32_t nbCutoffs;

// totalValue seen from the side to move, clamped to -29999..29999.
int16_t StaticValue();
int16_t AlphaBeta(int16_t ply, int16_t depth, int16_t alpha, int16_t beta);
int16_t VctAlphaBeta(int16_t ply, int16_t depth, int16_t alpha, int16_t beta, int16_t attacker,
                     int16_t causeP1, int16_t causeP2);
