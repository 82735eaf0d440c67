#include "search/alphabeta.h"

#include <algorithm>

#include "board/board.h"
#include "movegen/movegenerator.h"
#include "ordering/sort.h"
#include "search/hash.h"
#include "movegen/historytable.h"
#include "search/timecontrol.h"

int16_t plyReached = -1;
int32_t nbCutoffs = 0;

namespace {

constexpr int16_t kThreatAlpha = kWinScore - 1;

void NotePly(int16_t ply) {
  if (plyReached < ply) plyReached = ply;
}

// Keeps the best move of the node and reports a cut-off. The first move
// searched always becomes the best, whatever its score (fail-soft).
bool ScoreMove(int16_t ply, MoveRecord* m, int16_t& alpha, int16_t beta) {
  if (m->value > alpha || pMoveBuffer->bestLineLength == 0) {
    UpdateBestLine(ply, m);
    if (m->value >= beta) {
      ++nbCutoffs;
      RecordHash(ply, kHashFlagCut, m->value);
      RecordHistoryTable(m->squareIndex);
      return true;
    }
    alpha = m->value;
  }
  return false;
}

// The moves of the current buffer, searched in order with `searchChild`
// (called after MakeMove with the move and the current alpha, returning the
// move's score). A first move carrying a value is a five: no search needed.
// No move at all is the static value, or a loss when every answer to the
// opponent's threat was forbidden.
template <typename SearchChild>
int16_t SearchMoves(int16_t ply, int16_t alpha, int16_t beta, SearchChild searchChild) {
  if (ply == 0) FilterRootMoves();
  MoveRecord* m = GetFirstMove();
  if (m == nullptr) return NoAnswerLeft() ? static_cast<int16_t>(-kWinScore) : StaticValue();
  if (m->value != 0) {
    UpdateBestLine(ply, m);
    return m->value;
  }
  for (; m != nullptr; m = GetNextMove()) {
    MakeMove();
    m->value = searchChild(*m, alpha);
    UnmakeMove();
    if (ScoreMove(ply, m, alpha, beta)) return m->value;
  }
  RecordHash(ply, kHashFlagAll, alpha);
  return alpha;
}

}  // namespace

int16_t StaticValue() {
  const int32_t value = whoIsOnMove == kPlayer1 ? totalValue : -totalValue;
  return static_cast<int16_t>(std::clamp<int32_t>(value, -kMaxStaticScore, kMaxStaticScore));
}

int16_t AlphaBeta(int16_t ply, int16_t depth, int16_t alpha, int16_t beta) {
  // 1. Unwind at once once the time is up.
  if (CheckTimeout() != 0) return 0;
  NotePly(ply);
  if (ply < kMaxPly) pMoveBuffer->bestLineLength = 0;
  // 2. Leaves score the static value.
  if (ply == depth || ply == kMaxPly) return StaticValue();
  // 3. A stored score ends the node.
  const int16_t probe = ProbeHash(ply, alpha, beta);
  if (probe == kHashFlagAll) return alpha;
  if (probe == kHashFlagCut) return beta;
  // 4. Does the side to move win by continuous threats?
  if (VctAlphaBeta(ply, depth, kThreatAlpha, kWinScore, whoIsOnMove, 0, 0) == kWinScore) {
    return kWinScore;
  }
  // 5. Search the full-width candidates.
  pMoveBuffer->bestLineLength = 0;
  GenerateMoves();
  return SearchMoves(ply, alpha, beta, [&](const MoveRecord&, int16_t a) {
    return static_cast<int16_t>(-AlphaBeta(ply + 1, depth, -beta, -a));
  });
}

int16_t VctAlphaBeta(int16_t ply, int16_t depth, int16_t alpha, int16_t beta, int16_t attacker,
                     int16_t causeP1, int16_t causeP2) {
  if (CheckTimeout() != 0) return 0;
  NotePly(ply);
  // A sequence that runs out of plies has not forced five: it fails for the
  // attacker, whichever colour attacks.
  if (ply == kMaxPly) return whoIsOnMove == attacker ? -kWinScore : kWinScore;
  const int16_t narrow = ply > depth + kThreatDepthMargin ? 1 : 0;
  VctGenerateMoves(attacker, causeP1, causeP2, narrow);
  pMoveBuffer->bestLineLength = 0;
  return SearchMoves(ply, alpha, beta, [&](const MoveRecord& m, int16_t a) {
    // After an attacking move its own threats must grow from that stone.
    int16_t newCauseP1 = 0;
    int16_t newCauseP2 = 0;
    UpdateCauseSquare(m.attacking, causeP1, causeP2, &newCauseP1, &newCauseP2);
    return static_cast<int16_t>(
        -VctAlphaBeta(ply + 1, depth, -beta, -a, attacker, newCauseP1, newCauseP2));
  });
}
