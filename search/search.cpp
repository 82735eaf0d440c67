#include "search/search.h"

#include <algorithm>
#include <iterator>

#include "board/board.h"
#include "evaluation/evaluate.h"
#include "movegen/movegenerator.h"
#include "search/alphabeta.h"
#include "movegen/historytable.h"

int32_t searchTimeout = 0;
int32_t matchTimeout = 0;
int64_t maxNodes = 0;
SearchHook searchHook = nullptr;

std::chrono::steady_clock::time_point startTime;
float elapsedTime = 0;
uint16_t timerCounter = 0;
int16_t stopSearch = 0;

int16_t depthReached = -1;

int64_t nbExaminedMovesLastPly = 0;
int32_t nbCutoffs = 0;
int32_t nbHTSuccessfulHits = 0;
int32_t nbHTFailureHits = 0;
int16_t plyReached = -1;

namespace {

bool Decided(int16_t value) { return value == kWinScore || value == -kWinScore; }

void CallSearchHook() {
  if (searchHook != nullptr) searchHook();
}

void TakeIteration(int16_t depth, int64_t examinedBefore) {
  TakeResults();
  depthReached = depth;
  nbExaminedMovesLastPly = nbExaminedMoves - examinedBefore;
}

// The first iteration was stopped by the clock or the move cap, or found no
// move: answer the most urgent candidate of the root, unsearched, as depth 0.
// Under renju black may have no allowed candidate (every answer to a threat
// forbidden, a lost position): then the least bad square, valued as a loss.
void TakeUnsearchedMove() {
  pMoveBuffer->bestLineLength = 0;
  GenerateMoves();
  FilterRootMoves();
  if (pMoveBuffer->count == 0) {
    const bool lost = NoAnswerLeft();
    TakeLeastBadSquare();
    if (lost) SetValue(static_cast<int16_t>(-kWinScore));
  }
  if (const MoveRecord* m = GetFirstMove()) UpdateBestLine(0, m);
  TakeIteration(0, nbExaminedMoves);
}

// A search without a move to answer: stopped before its first iteration
// ended, or, under renju, black lost at the root for want of an allowed
// answer, or every candidate of the root barred.
bool WithoutAnswer(int16_t maxDepth) {
  if (resultMoveBuffer.bestLineLength != 0 || maxDepth <= 0) return false;
  return stopSearch != 0 || ruleInForce == Rule::kRenju || AnyRootMoveBarred();
}

}  // namespace

// In 64 bits so that extreme settings cannot overflow.
int64_t MoveBudget(int32_t searchTimeoutMs, int32_t matchTimeoutMs) {
  const int64_t perMove = int64_t{searchTimeoutMs} - kTimeMargin;
  const int64_t perMatchShare = int64_t{matchTimeoutMs} / kMovesPerMatchBudget - kTimeMargin;
  return std::min(perMove, perMatchShare);
}

void InitializeSearch() {
  InitializeHistoryTable();
  nbExaminedMoves = 0;
  nbHTSuccessfulHits = 0;
  nbHTFailureHits = 0;
  nbCutoffs = 0;
  const auto now = std::chrono::steady_clock::now();
  elapsedTime = 0;
  depthReached = -1;
  nbMoveGenerations = 0;
  stopSearch = 0;
  plyReached = -1;
  startTime = now;
}

int16_t CheckTimeout() {
  // The move cap holds at every node, so that a capped search is the same
  // whatever the clock and the earlier searches did.
  if (maxNodes > 0 && nbExaminedMoves >= maxNodes) stopSearch = 1;
  if (++timerCounter != kClockSamplePeriod) return stopSearch;
  const std::chrono::duration<float, std::milli> elapsed =
      std::chrono::steady_clock::now() - startTime;
  elapsedTime = elapsed.count();
  const int64_t budget = MoveBudget(searchTimeout, matchTimeout);
  const bool moveInHand = resultMoveBuffer.bestLineLength != 0;
  const int64_t limit = moveInHand ? budget : std::max(budget, kFirstIterationFloor);
  if (elapsedTime >= static_cast<float>(limit)) stopSearch = 1;
  CallSearchHook();
  timerCounter = 0;
  return stopSearch;
}

void TakeResults() {
  resultMoveBuffer = *pMoveBuffer;
  // Move values belong to the side to move; best-line entry i to the side to
  // move when i is even. Turn all of them to player 1's view.
  if (whoIsOnMove == kPlayer2) {
    for (int16_t i = 0; i < resultMoveBuffer.count; ++i) {
      resultMoveBuffer.moves[i].value = static_cast<int16_t>(-resultMoveBuffer.moves[i].value);
    }
  }
  for (int16_t i = 0; i < resultMoveBuffer.bestLineLength; ++i) {
    const bool moverIsPlayer2 = (i % 2 == 0) == (whoIsOnMove == kPlayer2);
    if (moverIsPlayer2) {
      resultMoveBuffer.bestLine[i].value = static_cast<int16_t>(-resultMoveBuffer.bestLine[i].value);
    }
  }
}

void Search(int16_t maxDepth, int16_t deepenSingleMove, int16_t iterative) {
  InitializeSearch();
  if (iterative == 0) {
    const int64_t before = nbExaminedMoves;
    AlphaBeta(0, maxDepth, -kWinScore, kWinScore);
    TakeIteration(maxDepth, before);
    // A root emptied by the excluded moves has no candidate left to give;
    // black lost for want of an allowed answer still answers.
    const bool exhausted = AnyRootMoveExcluded() && !NoAnswerLeft();
    if (ruleInForce == Rule::kRenju && WithoutAnswer(maxDepth) && !exhausted) TakeUnsearchedMove();
    CallSearchHook();
    return;
  }
  for (int16_t depth = 1; depth <= maxDepth; ++depth) {
    const int64_t before = nbExaminedMoves;
    AlphaBeta(0, depth, -kWinScore, kWinScore);
    CheckTimeout();
    // An iteration cut short by the clock is discarded.
    if (stopSearch != 0) break;
    TakeIteration(depth, before);
    CallSearchHook();
    if (resultMoveBuffer.count > 0 && Decided(resultMoveBuffer.bestLine[0].value)) break;
    if (resultMoveBuffer.count <= 1 && deepenSingleMove == 0) break;
  }
  if (WithoutAnswer(maxDepth)) TakeUnsearchedMove();
  CallSearchHook();
}
