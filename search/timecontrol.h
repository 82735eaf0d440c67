// The time control of every search: the limits (per move, per match, moves
// made), the stop flag, the clock samples with the front end's hook, and the
// shared budget of a command that runs several searches in one move's time.
#pragma once

#include <chrono>
#include <cstdint>

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
// iteration and at the end of every search (null: none); `atRoot` is false at
// the clock samples, when the position is the search's current node. It may
// read input, stop the search and change the time settings; it must not touch
// the position, the move buffers or the result, nor start a search.
using SearchHook = void (*)(bool atRoot);
extern SearchHook searchHook;

// The per-move budget in milliseconds for these settings: the smaller of the
// move limit and a fifteenth of the match, less the margin. At or below 0 a
// search stops at its first clock sample once it has a move.
int64_t MoveBudget(int32_t searchTimeoutMs, int32_t matchTimeoutMs);

// A new search: its clock starts and the stop flag is cleared.
void StartSearchClock();
// Counts a call and every kClockSamplePeriod-th call samples the clock; sets
// and returns stopSearch once the budget or the move cap is used up.
int16_t CheckTimeout();
// Calls the front end's hook, then, within a shared budget, stops the search
// once its share is used.
void CallSearchHook(bool atRoot);

// A stop that ends every later search of the session's command: END. Lasts
// until ClearSessionEnd.
void EndAllSearches();
void ResumeSearches();
bool SearchesEnded();

// A shared budget: the searches of one command use together the time of one
// move. BeginSharedBudget starts the command's clock; from SetBudgetShare to
// EndSharedBudget every search also stops once the command has used `share`
// (0 to 1) of the move's budget since it began. A stop from outside (the
// front end, END) or the move's own time interrupts the whole command; the
// end of a share or the move cap only the search in progress.
void BeginSharedBudget();
void SetBudgetShare(double share);
void EndSharedBudget();
// Milliseconds since BeginSharedBudget.
int64_t SharedBudgetElapsedMs();
bool SharedBudgetInterrupted();
