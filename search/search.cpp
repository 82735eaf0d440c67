#include "search/search.h"

#include <algorithm>
#include <iterator>

#include "board/board.h"
#include "evaluation/evaluate.h"
#include "movegen/movegenerator.h"
#include "search/alphabeta.h"
#include "search/hash.h"
#include "movegen/historytable.h"
#include "search/timecontrol.h"

int16_t depthReached = -1;

int64_t nbExaminedMovesLastPly = 0;

namespace {

bool Decided(int16_t value) { return value == kWinScore || value == -kWinScore; }

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

void InitializeSearch() {
  InitializeHistoryTable();
  nbExaminedMoves = 0;
  nbHTSuccessfulHits = 0;
  nbHTFailureHits = 0;
  nbCutoffs = 0;
  depthReached = -1;
  nbMoveGenerations = 0;
  plyReached = -1;
  StartSearchClock();
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
    CallSearchHook(true);
    return;
  }
  for (int16_t depth = 1; depth <= maxDepth; ++depth) {
    const int64_t before = nbExaminedMoves;
    AlphaBeta(0, depth, -kWinScore, kWinScore);
    CheckTimeout();
    // An iteration cut short by the clock is discarded.
    if (stopSearch != 0) break;
    TakeIteration(depth, before);
    CallSearchHook(true);
    if (resultMoveBuffer.count > 0 && Decided(resultMoveBuffer.bestLine[0].value)) break;
    if (resultMoveBuffer.count <= 1 && deepenSingleMove == 0) break;
  }
  if (WithoutAnswer(maxDepth)) TakeUnsearchedMove();
  CallSearchHook(true);
}
