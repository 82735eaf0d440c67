#include "search/candidates.h"

#include <algorithm>
#include <cstdlib>

#include "evaluation/evaluate.h"
#include "movegen/movegenerator.h"
#include "ordering/sort.h"
#include "search/alphabeta.h"
#include "search/search.h"
#include "search/timecontrol.h"

namespace {

struct Candidate {
  int16_t squareIndex;
  CandidateLine line;
};
using Candidates = std::vector<Candidate>;

// As many as a move buffer holds: every candidate of the root.
constexpr size_t kAllMoves = kMaxMovesPerBuffer;

// The request in progress, the moves made by all its searches, and the
// deepest completed depth's candidates with those of the depth before.
const CandidateRequest* request = nullptr;
int64_t commandNodes = 0;
Candidates result;
Candidates previous;
int16_t resultDepth = 0;

int16_t IndexOf(Square s) {
  int16_t index = 0;
  ConvertXY_Offset_2_Index(s.x, s.y, index);
  return index;
}

Square SquareOf(int16_t index) {
  Square s{};
  ConvertIndex_2_XY_Offset(index, s.x, s.y);
  return s;
}

int16_t OwnValue(int16_t firstPlayerValue) {
  return whoIsOnMove == kPlayer1 ? firstPlayerValue : static_cast<int16_t>(-firstPlayerValue);
}

// The best move of the last search as a candidate.
Candidate BestOfSearch(int64_t nodes) {
  const MoveRecord& best = resultMoveBuffer.bestLine[0];
  const Square s = SquareOf(best.squareIndex);
  return {best.squareIndex,
          {s.x, s.y, OwnValue(best.value), plyReached, nodes,
           MakesFive(whoIsOnMove, best.squareIndex)}};
}

// A stone of the side to move, and back, as the game's own stones are put
// and taken back: any search result is gone.
void PutStone(int16_t squareIndex) {
  InitializeMoveGenerator();
  PutSymbol(squareIndex);
  whoIsOnMove = static_cast<int16_t>(3 - whoIsOnMove);
}

void TakeBackStone() {
  InitializeMoveGenerator();
  RemoveSymbol();
  whoIsOnMove = static_cast<int16_t>(3 - whoIsOnMove);
}

enum class Outcome : uint8_t { kFound, kNone, kCut };

// One search of the position in play to `depth`, without the excluded root
// moves; kCut when the time, the move cap, a stop or END ended it early.
Outcome SearchOnce(int16_t depth, Candidate& found) {
  Search(depth, 0, 0);
  commandNodes += nbExaminedMoves;
  if (stopSearch != 0 || SearchesEnded()) return Outcome::kCut;
  if (resultMoveBuffer.bestLineLength == 0) return Outcome::kNone;
  found = BestOfSearch(nbExaminedMoves);
  return Outcome::kFound;
}

void ExcludeFound(int16_t squareIndex) {
  ExcludeRootMove(squareIndex);
  if (request->twins) {
    for (Square twin : request->twins(SquareOf(squareIndex))) ExcludeRootMove(IndexOf(twin));
  }
}

// Up to `limit` root moves at `depth`, best first; false when cut short.
bool SearchBest(int16_t depth, size_t limit, Candidates& found) {
  ClearExcludedRootMoves();
  for (Square s : request->leftOut) ExcludeRootMove(IndexOf(s));
  Outcome outcome = Outcome::kFound;
  while (found.size() < limit) {
    Candidate candidate{};
    outcome = SearchOnce(depth, candidate);
    if (outcome != Outcome::kFound) break;
    found.push_back(candidate);
    ExcludeFound(candidate.squareIndex);
  }
  ClearExcludedRootMoves();
  return outcome != Outcome::kCut;
}

int Distance(const Candidate& c) { return std::abs(c.line.value - request->target); }

bool Closer(const Candidate& a, const Candidate& b) { return Distance(a) < Distance(b); }

// Each own move with the opponent's reply that brings the value closest to
// the target: the value after both moves, from the side to move's view.
bool SearchPairs(int16_t depth, Candidates& pairs) {
  Candidates own;
  if (!SearchBest(depth, kAllMoves, own)) return false;
  for (Candidate pair : own) {
    PutStone(pair.squareIndex);
    Candidates replies;
    const bool complete = SearchBest(depth, kAllMoves, replies);
    TakeBackStone();
    if (!complete) return false;
    for (Candidate& reply : replies) reply.line.value = static_cast<int16_t>(-reply.line.value);
    if (!replies.empty()) {
      const Candidate& closest = *std::min_element(replies.begin(), replies.end(), Closer);
      pair.line.replyX = closest.line.x;
      pair.line.replyY = closest.line.y;
      // A five ends the game: the reply changes nothing.
      if (!pair.line.makesFive) pair.line.value = closest.line.value;
      pair.line.nodes += closest.line.nodes;
    }
    pairs.push_back(pair);
  }
  return true;
}

bool Balancing() {
  return request->goal == CandidateGoal::kBalanceOne || request->goal == CandidateGoal::kBalanceTwo;
}

// The best candidate, or for the balance goals the closest to the target.
const Candidate& Answer(const Candidates& found) {
  if (!Balancing()) return found.front();
  return *std::min_element(found.begin(), found.end(), Closer);
}

SearchFigures Figures(int16_t depth) { return {depth, commandNodes, SharedBudgetElapsedMs()}; }

// The candidates that a depth shows: all of them, but for kDefend only those
// that do not lose.
CandidateDepth Shown(const Candidates& found, int16_t depth) {
  CandidateDepth shown{{}, Answer(found).line, Figures(depth)};
  for (const Candidate& c : found) {
    if (request->goal != CandidateGoal::kDefend || c.line.value != -kWinScore) {
      shown.shown.push_back(c.line);
    }
  }
  return shown;
}

void SearchAllDepths(const std::function<void(const CandidateDepth&)>& onDepth) {
  const size_t limit = request->goal == CandidateGoal::kBest ? request->wanted : kAllMoves;
  for (int16_t depth = 1; depth <= request->maxDepth && !SharedBudgetInterrupted(); ++depth) {
    Candidates found;
    const bool complete = request->goal == CandidateGoal::kBalanceTwo
                              ? SearchPairs(depth, found)
                              : SearchBest(depth, limit, found);
    if (!complete || found.empty()) break;
    previous = std::move(result);
    result = found;
    resultDepth = depth;
    if (onDepth) onDepth(Shown(found, depth));
    // A win found for the best move stays the best at every depth.
    if (!Balancing() && found.front().line.value == kWinScore) break;
  }
}

// When not even the first depth completed: the move an ordinary search gives
// in that case (its first iteration, or the most urgent candidate), and for a
// pair the reply found the same way.
void TakeFallback() {
  Search(1, 0, 1);
  Candidate move = BestOfSearch(0);
  move.line.makesFive = false;
  if (request->goal == CandidateGoal::kBalanceTwo && !BoardFull()) {
    PutStone(move.squareIndex);
    Search(1, 0, 1);
    const Square reply = SquareOf(resultMoveBuffer.bestLine[0].squareIndex);
    move.line.replyX = reply.x;
    move.line.replyY = reply.y;
    TakeBackStone();
  }
  result = {move};
  previous.clear();
}

// A value of the two deepest depths: the side to move's view swings from
// one depth to the next (the side that moves last within the depth looks
// better), and the mean of two depths cancels most of the swing. A move not
// searched at the shallower depth takes the value found there at its rank.
int MeanValue(const Candidate& c, size_t rank) {
  if (previous.empty()) return c.line.value;
  auto same = std::find_if(previous.begin(), previous.end(),
                           [&](const Candidate& p) { return p.squareIndex == c.squareIndex; });
  if (same == previous.end()) same = previous.begin() + std::min(rank, previous.size() - 1);
  return (c.line.value + same->line.value) / 2;
}

}  // namespace

CandidateResult SearchCandidates(const CandidateRequest& r,
                                 const std::function<void(const CandidateDepth&)>& onDepth) {
  CandidateResult answer{};
  if (BoardFull() || SearchesEnded()) return answer;
  request = &r;
  commandNodes = 0;
  result.clear();
  previous.clear();
  resultDepth = 0;
  SetBudgetShare(r.share);
  SearchAllDepths(onDepth);
  if (result.empty() && !SearchesEnded()) TakeFallback();
  EndSharedBudget();
  for (size_t rank = 0; rank < result.size(); ++rank) {
    answer.lines.push_back(result[rank].line);
    answer.meanValues.push_back(MeanValue(result[rank], rank));
  }
  if (!result.empty()) answer.answer = Answer(result).line;
  answer.figures = Figures(resultDepth);
  request = nullptr;
  return answer;
}
