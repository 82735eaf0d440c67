// The iterative-deepening search driver, its time control and statistics.
#pragma once

#include <chrono>
#include <cstdint>

#include "movegen/movegenerator.h"  // the move counters

// Settings, in milliseconds.
extern int32_t searchTimeout;  // per move
extern int32_t matchTimeout;   // rest of the match; a fifteenth of it per move
// Moves a search may make before it stops, as it stops on time; 0: no limit.
// In 64 bits, as a search without a time limit passes 2^32 moves in minutes.
extern int64_t maxNodes;

// Time state. startTime is the monotonic-clock instant the search began;
// elapsedTime the milliseconds from it to the last clock sample.
extern std::chrono::steady_clock::time_point startTime;
extern float elapsedTime;
extern uint16_t timerCounter;
extern int16_t stopSearch;

extern int16_t depthReached;

// Statistics, zeroed at the start of every search.
extern int64_t nbExaminedMovesLastPly;
extern int32_t nbCutoffs;
extern int32_t nbHTSuccessfulHits;
extern int32_t nbHTFailureHits;
extern int16_t plyReached;

// Calls of CheckTimeout per clock read: a few milliseconds of search apart,
// so that reading the clock costs nothing measurable and a reply still comes
// within a few milliseconds of its budget.
constexpr uint16_t kClockSamplePeriod = 10001;
// Milliseconds kept back from each budget for unwinding the search, writing
// the answer and the manager's own delay in reading it.
constexpr int32_t kTimeMargin = 100;
// The match clock is shared as if every move still had this many to come, so
// that a long game cannot run out of time yet the early moves get a fair share.
constexpr int32_t kMovesPerMatchBudget = 15;
// A first iteration stops after this many milliseconds even without a move in
// hand (a threat search can grow far beyond any budget); the most urgent
// candidate is answered then. As long as the margin, so that a budget at or
// below 0 still answers on time.
constexpr int64_t kFirstIterationFloor = 100;

// The front end's hook, called at every clock sample, after every completed
// iteration and at the end of every search (null: none). It may read input,
// set stopSearch and the time settings, and write lines; it must not touch the
// position, the move buffers or the result, nor start a search.
using SearchHook = void (*)();
extern SearchHook searchHook;

// The per-move budget in milliseconds for these settings: the smaller of the
// move limit and a fifteenth of the match, less the margin. At or below 0 a
// search stops at its first clock sample once it has a move.
int64_t MoveBudget(int32_t searchTimeoutMs, int32_t matchTimeoutMs);

void Search(int16_t maxDepth, int16_t deepenSingleMove, int16_t iterative);
void InitializeSearch();
int16_t CheckTimeout();
void TakeResults();
