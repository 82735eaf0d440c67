// The board programs' candidate searches: the N best moves (YXNBEST), the
// moves that do not lose (YXSEARCHDEFEND), and the move, or pair of moves,
// whose value comes closest to a given one (YXBALANCEONE, YXBALANCETWO).
// None plays a stone, and none changes what an ordinary search answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// Command handlers, each given the text after its command word.
void HandleNBest(const char* argument);
void HandleSearchDefend(const char* argument);
void HandleBalanceOne(const char* argument);
void HandleBalanceTwo(const char* argument);

// A candidate command is running: the search's hook calls CheckCandidateTime,
// which stops the search once the command has used the time of one move.
bool CandidateSearchRunning();
void CheckCandidateTime();

// The same searches for other commands (the opening rules), writing nothing.
// A command calls BeginCandidateSearches once, then any number of searches;
// each runs until the command has used `share` (0 to 1) of the move's budget,
// so that several searches can split one move's time, and a stop, END or a
// new position ends every later one at its first depth.
void BeginCandidateSearches();
// A root move with its value from the side to move's view: the mean of its
// values at the two deepest completed depths, as the value swings from one
// depth to the next with the side that moves last.
struct RankedMove {
  int16_t x, y;
  int value;
};
// Squares that are never candidates, and, for a found move, the squares that
// count as the same move (so that the next candidate is another move).
struct RootMoveFilter {
  std::vector<int16_t> leftOut;
  std::function<std::vector<int16_t>(int16_t squareIndex)> twins;
};
// The n best root moves, best first, as YXNBEST finds them.
std::vector<RankedMove> BestRootMoves(size_t n, double share, const RootMoveFilter& filter = {});
// Every root move, valued, as YXBALANCEONE searches them, best first.
std::vector<RankedMove> AllRootMoves(double share, const RootMoveFilter& filter = {});
