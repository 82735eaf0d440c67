#include "search/timecontrol.h"

#include <algorithm>

#include "movegen/movegenerator.h"

int32_t searchTimeout = 0;
int32_t matchTimeout = 0;
int64_t maxNodes = 0;
SearchHook searchHook = nullptr;

std::chrono::steady_clock::time_point startTime;
float elapsedTime = 0;
uint16_t timerCounter = 0;
int16_t stopSearch = 0;

namespace {

using Clock = std::chrono::steady_clock;

bool searchesEnded = false;

// The shared budget of the command in progress.
bool sharing = false;
Clock::time_point commandStart;
double budgetShare = 1;
// The search in progress was stopped by the end of its share.
bool shareUsed = false;
// A stop from outside or the move's own time came: the command's later
// searches answer at once.
bool commandInterrupted = false;

bool Capped() { return maxNodes > 0 && nbExaminedMoves >= maxNodes; }

void CheckSharedBudget() {
  if (stopSearch != 0 && !shareUsed && !Capped()) commandInterrupted = true;
  const double budget = static_cast<double>(MoveBudget(searchTimeout, matchTimeout));
  if (static_cast<double>(SharedBudgetElapsedMs()) >= budget * budgetShare) {
    stopSearch = 1;
    shareUsed = true;
  }
}

}  // namespace

// In 64 bits so that extreme settings cannot overflow.
int64_t MoveBudget(int32_t searchTimeoutMs, int32_t matchTimeoutMs) {
  const int64_t perMove = int64_t{searchTimeoutMs} - kTimeMargin;
  const int64_t perMatchShare = int64_t{matchTimeoutMs} / kMovesPerMatchBudget - kTimeMargin;
  return std::min(perMove, perMatchShare);
}

void StartSearchClock() {
  elapsedTime = 0;
  stopSearch = 0;
  startTime = Clock::now();
}

int16_t CheckTimeout() {
  // The move cap holds at every node, so that a capped search is the same
  // whatever the clock and the earlier searches did.
  if (Capped()) stopSearch = 1;
  if (++timerCounter != kClockSamplePeriod) return stopSearch;
  const std::chrono::duration<float, std::milli> elapsed = Clock::now() - startTime;
  elapsedTime = elapsed.count();
  const int64_t budget = MoveBudget(searchTimeout, matchTimeout);
  const bool moveInHand = resultMoveBuffer.bestLineLength != 0;
  const int64_t limit = moveInHand ? budget : std::max(budget, kFirstIterationFloor);
  if (elapsedTime >= static_cast<float>(limit)) stopSearch = 1;
  CallSearchHook(false);
  timerCounter = 0;
  return stopSearch;
}

void CallSearchHook(bool atRoot) {
  if (searchHook != nullptr) searchHook(atRoot);
  if (sharing) CheckSharedBudget();
}

void EndAllSearches() {
  searchesEnded = true;
  stopSearch = 1;
}

void ResumeSearches() { searchesEnded = false; }

bool SearchesEnded() { return searchesEnded; }

void BeginSharedBudget() {
  commandStart = Clock::now();
  shareUsed = false;
  commandInterrupted = false;
}

void SetBudgetShare(double share) {
  sharing = true;
  budgetShare = share;
  shareUsed = false;
}

void EndSharedBudget() { sharing = false; }

int64_t SharedBudgetElapsedMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - commandStart).count();
}

bool SharedBudgetInterrupted() { return commandInterrupted; }
