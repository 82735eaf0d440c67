// Candidate searches. Every depth is searched in turn, from 1 to the depth
// limit; at each depth the root is searched again and again, each time
// without the moves found before, so that the k-th search finds the k-th best
// move. All of it shares the time of one move; the answer comes from the
// deepest depth whose searches all completed.
#include "protocol/candidates.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "engine/tessel.h"
#include "board/board.h"
#include "movegen/movegenerator.h"
#include "protocol/analysis.h"
#include "protocol/parse.h"
#include "protocol/pipe.h"
#include "search/alphabeta.h"
#include "search/search.h"

namespace {

using Clock = std::chrono::steady_clock;

enum class Goal : uint8_t { kBest, kDefend, kBalanceOne, kBalanceTwo };

struct Candidate {
  int16_t squareIndex;
  CandidateLine line;
};
using Candidates = std::vector<Candidate>;

// As many as a move buffer holds: every candidate of the root.
constexpr size_t kAllMoves = kMaxMovesPerBuffer;

// The command in progress.
bool running = false;
Goal goal = Goal::kBest;
size_t wanted = 1;
int16_t target = 0;  // the balance commands' value, side to move's view
Clock::time_point commandStart;
int64_t commandNodes = 0;
// The searches of other commands write nothing, and each may use only a
// share of the move's budget, counted from the start of the command.
bool quiet = false;
double budgetShare = 1;
bool shareUsed = false;
// A stop, END, a new position or the end of the move's time came: the
// command's later searches answer at once.
bool commandStopped = false;
// Root moves that are never candidates, and the squares that count as the
// same move as a found one (the position's symmetric images of it).
RootMoveFilter filter;

int64_t ElapsedMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - commandStart).count();
}

enum class Outcome : uint8_t { kFound, kNone, kCut };

// One search of the position in play to `depth`, without the excluded root
// moves; kCut when the time, the move cap, a stop or END ended it early.
Outcome SearchOnce(int16_t depth, Candidate& found) {
  const int16_t side = whoIsOnMove;
  Tessel_Search(depth, 0, 0);
  commandNodes += nbExaminedMoves;
  if (stopSearch != 0 || sessionEnded) return Outcome::kCut;
  if (Tessel_GetBestLineLength() == 0) return Outcome::kNone;
  int16_t x = 0, y = 0, player = 0, value = 0, vct = 0;
  Tessel_GetBestLine(0, &x, &y, &player, &value, &vct);
  const int16_t index = resultMoveBuffer.bestLine[0].squareIndex;
  const int16_t own = side == kPlayer1 ? value : static_cast<int16_t>(-value);
  found = {index, {x, y, own, plyReached, nbExaminedMoves, GameWon(index) == 1}};
  return Outcome::kFound;
}

void ExcludeFound(int16_t squareIndex) {
  ExcludeRootMove(squareIndex);
  if (filter.twins) {
    for (int16_t twin : filter.twins(squareIndex)) ExcludeRootMove(twin);
  }
}

// Up to `limit` root moves at `depth`, best first; false when cut short.
bool SearchCandidates(int16_t depth, size_t limit, Candidates& found) {
  ClearExcludedRootMoves();
  for (int16_t square : filter.leftOut) ExcludeRootMove(square);
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

int Distance(const Candidate& c) { return std::abs(c.line.value - target); }

// Each own move with the opponent's reply that brings the value closest to
// the target: the value after both moves, from the side to move's view.
bool SearchPairs(int16_t depth, Candidates& pairs) {
  Candidates own;
  if (!SearchCandidates(depth, kAllMoves, own)) return false;
  for (Candidate pair : own) {
    Tessel_PutSymbol(pair.line.x, pair.line.y);
    Candidates replies;
    const bool complete = SearchCandidates(depth, kAllMoves, replies);
    Tessel_TakeBack(pair.line.x, pair.line.y);
    if (!complete) return false;
    for (Candidate& reply : replies) reply.line.value = static_cast<int16_t>(-reply.line.value);
    if (!replies.empty()) {
      const Candidate& closest = *std::min_element(
          replies.begin(), replies.end(),
          [](const Candidate& a, const Candidate& b) { return Distance(a) < Distance(b); });
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

// The candidates that the detail blocks show: all of them, but for
// YXSEARCHDEFEND only those that do not lose.
Candidates Shown(const Candidates& found) {
  if (goal != Goal::kDefend) return found;
  Candidates notLosing;
  for (const Candidate& c : found) {
    if (c.line.value != -kWinScore) notLosing.push_back(c);
  }
  return notLosing;
}

// The best candidate, or for the balance commands the closest to the target.
const Candidate& Answer(const Candidates& found) {
  if (goal == Goal::kBest || goal == Goal::kDefend) return found.front();
  return *std::min_element(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
    return Distance(a) < Distance(b);
  });
}

void Report(const Candidates& found, int16_t depth) {
  const SearchFigures figures{depth, commandNodes, ElapsedMs()};
  const Candidate& answer = Answer(found);
  if (Shows(kRealtimeBit)) SendSquare("MESSAGE REALTIME BEST ", answer.line.x, answer.line.y);
  if (!Shows(kDetailBit)) return;
  const Candidates shown = Shown(found);
  const int count = static_cast<int>(shown.size());
  for (int i = 0; i < count; ++i) SendDetailBlock(i, count, shown[i].line, figures);
  for (int i = 0; i < count; ++i) {
    SendResponse(FormatIterationLine(count > 1 ? i + 1 : 0, shown[i].line, figures).c_str());
  }
}

// The deepest completed depth's candidates, or none, and those of the depth
// before it.
Candidates result;
Candidates previous;
int16_t resultDepth = 0;

void SearchAllDepths() {
  result.clear();
  previous.clear();
  resultDepth = 0;
  for (int16_t depth = 1; depth <= SearchDepth() && !commandStopped; ++depth) {
    Candidates found;
    const bool complete =
        goal == Goal::kBalanceTwo
            ? SearchPairs(depth, found)
            : SearchCandidates(depth, goal == Goal::kBest ? wanted : kAllMoves, found);
    if (!complete || found.empty()) break;
    previous = std::move(result);
    result = found;
    resultDepth = depth;
    if (!quiet) Report(found, depth);
    // A win found for the best move stays the best at every depth.
    if (goal != Goal::kBalanceOne && goal != Goal::kBalanceTwo &&
        found.front().line.value == kWinScore) {
      break;
    }
  }
}

// When not even the first depth completed: the move an ordinary search gives
// in that case (its first iteration, or the most urgent candidate), and for a
// pair the reply found the same way.
void TakeFallback() {
  Tessel_Search(1, 0, 1);
  int16_t x = 0, y = 0, player = 0, value = 0, vct = 0;
  Tessel_GetBestLine(0, &x, &y, &player, &value, &vct);
  const int16_t own = whoIsOnMove == kPlayer1 ? value : static_cast<int16_t>(-value);
  Candidate move{resultMoveBuffer.bestLine[0].squareIndex, {x, y, own, plyReached, 0, false}};
  if (goal == Goal::kBalanceTwo && !Tessel_BoardFull()) {
    Tessel_PutSymbol(x, y);
    Tessel_Search(1, 0, 1);
    Tessel_GetBestLine(0, &move.line.replyX, &move.line.replyY, &player, &value, &vct);
    Tessel_TakeBack(x, y);
  }
  result = {move};
}

void Start(Goal g, size_t n, int16_t value) {
  goal = g;
  wanted = n;
  target = value;
  running = true;
}

void Run(Goal g, size_t n, int16_t value) {
  if (Tessel_BoardFull()) return SendResponse("ERROR board is full");
  BeginCandidateSearches();
  Start(g, n, value);
  const bool answered = RunProtocolSearch([] {
    SearchAllDepths();
    if (result.empty() && !sessionEnded) TakeFallback();
  });
  running = false;
  if (!answered) return;
  const CandidateLine& line = Answer(result).line;
  if (ShowsAny()) {
    const int firstPlayerValue = whoIsOnMove == kPlayer1 ? line.value : -line.value;
    SendResponse(FormatStatusLine(line.x, line.y, firstPlayerValue, resultDepth,
                                  static_cast<double>(ElapsedMs()), commandNodes)
                     .c_str());
  }
  char answer[32];
  if (goal == Goal::kBalanceTwo && line.replyX >= 0) {
    std::snprintf(answer, sizeof answer, "%d,%d %d,%d", line.x, line.y, line.replyX, line.replyY);
  } else {
    std::snprintf(answer, sizeof answer, "%d,%d", line.x, line.y);
  }
  SendResponse(answer);
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

std::vector<RankedMove> QuietSearch(Goal g, size_t n, double share, const RootMoveFilter& f) {
  std::vector<RankedMove> moves;
  if (Tessel_BoardFull() || sessionEnded) return moves;
  quiet = true;
  budgetShare = share;
  shareUsed = false;
  filter = f;
  Start(g, n, 0);
  SearchAllDepths();
  if (result.empty() && !sessionEnded) {
    TakeFallback();
    previous.clear();
  }
  for (size_t rank = 0; rank < result.size(); ++rank) {
    moves.push_back({result[rank].line.x, result[rank].line.y, MeanValue(result[rank], rank)});
  }
  running = false;
  quiet = false;
  budgetShare = 1;
  filter = {};
  return moves;
}

int16_t ReadValue(const char* argument) {
  return static_cast<int16_t>(std::clamp<int32_t>(ReadInt32(argument), -kWinScore, kWinScore));
}

}  // namespace

void HandleNBest(const char* argument) {
  const int32_t n = std::clamp<int32_t>(ReadInt32(argument), 1, kMaxMovesPerBuffer);
  Run(Goal::kBest, static_cast<size_t>(n), 0);
}

void HandleSearchDefend(const char*) { Run(Goal::kDefend, kAllMoves, 0); }

void HandleBalanceOne(const char* argument) {
  Run(Goal::kBalanceOne, kAllMoves, ReadValue(argument));
}

void HandleBalanceTwo(const char* argument) {
  Run(Goal::kBalanceTwo, kAllMoves, ReadValue(argument));
}

void BeginCandidateSearches() {
  commandStart = Clock::now();
  commandNodes = 0;
  commandStopped = false;
  shareUsed = false;
}

std::vector<RankedMove> BestRootMoves(size_t n, double share, const RootMoveFilter& f) {
  return QuietSearch(Goal::kBest, n, share, f);
}

std::vector<RankedMove> AllRootMoves(double share, const RootMoveFilter& f) {
  return QuietSearch(Goal::kBalanceOne, kAllMoves, share, f);
}

bool CandidateSearchRunning() { return running; }

void CheckCandidateTime() {
  // A search ended by anything but its share or the move cap ends the whole
  // command: a stop, END, a new position, or the move's own time.
  const bool capped = maxNodes > 0 && nbExaminedMoves >= maxNodes;
  if (stopSearch != 0 && !shareUsed && !capped) commandStopped = true;
  const double budget = static_cast<double>(MoveBudget(searchTimeout, matchTimeout));
  if (static_cast<double>(ElapsedMs()) >= budget * budgetShare) {
    stopSearch = 1;
    shareUsed = true;
  }
}
