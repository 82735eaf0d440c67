#include "search/search.h"

#include <algorithm>
#include <iterator>

#include "evaluation/board.h"
#include "evaluation/evaluate.h"
#include "movegen/movegenerator.h"
#include "search/alphabeta.h"
#include "search/historytable.h"

int32_t searchTimeout = 0;
int32_t matchTimeout = 0;
int64_t maxNodes = 0;
SearchHook searchHook = nullptr;

std::chrono::steady_clock::time_point startTime;
float elapsedTime = 0;
uint16_t timerCounter = 0;
int16_t stopSearch = 0;

int16_t depthReached = -1;

int64_t nbExaminedMoves = 0;
int64_t nbExaminedMovesLastPly = 0;
int32_t nbCutoffs = 0;
int32_t nbHTSuccessfulHits = 0;
int32_t nbHTFailureHits = 0;
int32_t nbMoveGenerations = 0;
int16_t plyReached = -1;

namespace {

// Root moves left out of the searches: a set of squares with its size, so
// that the root filter costs nothing while both sets are empty.
class RootSquares {
 public:
  void Add(int16_t squareIndex) {
    if (member_[squareIndex]) return;
    member_[squareIndex] = true;
    ++count_;
  }
  void Remove(int16_t squareIndex) {
    if (!member_[squareIndex]) return;
    member_[squareIndex] = false;
    --count_;
  }
  void Clear() {
    std::fill(std::begin(member_), std::end(member_), false);
    count_ = 0;
  }
  bool Contains(int16_t squareIndex) const { return member_[squareIndex]; }
  bool Empty() const { return count_ == 0; }

 private:
  bool member_[kBoardCells] = {};
  int16_t count_ = 0;
};

// The moves found so far by a candidate search, and the squares a board
// program barred.
RootSquares excludedRootMoves;
RootSquares barredRootMoves;

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
  return stopSearch != 0 || ruleInForce == Rule::kRenju || !barredRootMoves.Empty();
}

}  // namespace

// In 64 bits so that extreme settings cannot overflow.
int64_t MoveBudget(int32_t searchTimeoutMs, int32_t matchTimeoutMs) {
  const int64_t perMove = int64_t{searchTimeoutMs} - kTimeMargin;
  const int64_t perMatchShare = int64_t{matchTimeoutMs} / kMovesPerMatchBudget - kTimeMargin;
  return std::min(perMove, perMatchShare);
}

void ExcludeRootMove(int16_t squareIndex) { excludedRootMoves.Add(squareIndex); }

void ClearExcludedRootMoves() { excludedRootMoves.Clear(); }

void BarRootMove(int16_t squareIndex) { barredRootMoves.Add(squareIndex); }

void UnbarRootMove(int16_t squareIndex) { barredRootMoves.Remove(squareIndex); }

void ClearBarredRootMoves() { barredRootMoves.Clear(); }

bool IsRootMoveBarred(int16_t squareIndex) { return barredRootMoves.Contains(squareIndex); }

bool IsRootMoveLeftOut(int16_t squareIndex) {
  return excludedRootMoves.Contains(squareIndex) || barredRootMoves.Contains(squareIndex);
}

void FilterRootMoves() {
  if (excludedRootMoves.Empty() && barredRootMoves.Empty()) return;
  MoveBuffer& b = *pMoveBuffer;
  int16_t kept = 0;
  for (int16_t i = 0; i < b.count; ++i) {
    if (!IsRootMoveLeftOut(b.moves[i].squareIndex)) b.moves[kept++] = b.moves[i];
  }
  b.count = kept;
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
    const bool exhausted = !excludedRootMoves.Empty() && !NoAnswerLeft();
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
