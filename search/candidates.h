// The candidate searches: the N best root moves, every root move (to find
// those that do not lose), and the move, or pair of moves, whose value comes
// closest to a target. Every depth is searched in turn; at each depth the
// root is searched again and again, each time without the moves found before,
// so that the k-th search finds the k-th best move. All of it runs on one
// shared budget (see timecontrol.h); the answer comes from the deepest depth
// whose searches all completed. None plays a stone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "board/board.h"  // Square

enum class CandidateGoal : uint8_t {
  kBest,        // the `wanted` best moves
  kDefend,      // every move; those that do not lose are shown
  kBalanceOne,  // every move; the answer is the one closest to the target
  kBalanceTwo,  // every move with the opponent's reply closest to the target
};

// One candidate of a completed depth, its value from the side to move's view.
struct CandidateLine {
  int16_t x, y;
  int16_t value;
  int16_t selDepth;
  int64_t nodes;  // moves made below the candidate
  bool makesFive;
  int16_t replyX = -1, replyY = -1;  // the reply, for kBalanceTwo
};

// What the whole command has done so far.
struct SearchFigures {
  int16_t depth;
  int64_t totalNodes;
  int64_t elapsedMs;
};

struct CandidateRequest {
  CandidateGoal goal = CandidateGoal::kBest;
  size_t wanted = 1;   // kBest only
  int16_t target = 0;  // the balance goals' value, side to move's view
  int16_t maxDepth = 1;
  double share = 1;  // of the move's budget, counted from BeginSharedBudget
  // Squares that are never candidates, and, for a found move, the squares
  // that count as the same move (so that the next candidate is another one).
  std::vector<Square> leftOut;
  std::function<std::vector<Square>(Square)> twins;
};

// A completed depth: the candidates to show (for kDefend those that do not
// lose), the answer (the best, or the closest to the target) and the figures.
struct CandidateDepth {
  std::vector<CandidateLine> shown;
  CandidateLine answer;
  SearchFigures figures;
};

struct CandidateResult {
  // The deepest completed depth's candidates, best first, each with its mean
  // value (see MeanValue in candidates.cpp); when not even the first depth
  // completed, the move an ordinary search answers then. Empty only on a
  // full board or after the session ended.
  std::vector<CandidateLine> lines;
  std::vector<int> meanValues;
  CandidateLine answer;
  SearchFigures figures;  // depth 0 for the fallback move
};

// Searches the position in play as asked; `onDepth`, when given, is called
// after every completed depth.
CandidateResult SearchCandidates(const CandidateRequest& request,
                                 const std::function<void(const CandidateDepth&)>& onDepth = {});
