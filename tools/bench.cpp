// Searches a fixed set of positions to a fixed depth with the clock out of the
// way and prints, per position, the move, the depth, the moves made and the
// time, then the total of moves made and the behaviour signature, a hash of
// every position's move and move count. A change that should not alter the
// search must leave the signature as it was.
//
// Usage: bench [renju] [full | quick | N] [expected]
//        bench, bench full   the set at the depths below
//        renju               first: the same under renju, with a signature of
//                            its own (player 1 is black)
//        bench quick         every depth capped at 2
//        bench N             every position at depth N
//        expected            a signature to check; a different one exits with 1
//        bench time MS       every position searched as the engine plays, to
//                            depth 10 within MS milliseconds: the depth that a
//                            clock allows
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "engine/tessel.h"
#include "search/search.h"
#include "search/timecontrol.h"

namespace {

struct Position {
  const char* name;
  // Stones in the order they are put, colours alternating from player 1.
  const char* moves;
  int16_t depth;
};

// Depths chosen so that the whole set runs in roughly half a minute.
constexpr Position kPositions[] = {
    {"opening, one stone", "9,9", 5},
    {"opening, three stones", "9,9 10,10 10,9", 4},
    {"opening, diagonal pair", "9,9 10,9 10,10 8,8", 4},
    {"quiet, crossed pairs", "9,9 10,9 11,9 10,10 10,11 9,11 7,10 12,8", 3},
    {"quiet, player 2 to move", "9,9 10,9 11,9 10,10 10,11 9,11 7,10", 4},
    {"middle game, twelve stones", "9,9 10,9 11,9 10,10 10,11 9,11 7,10 12,8 11,10 11,8 8,13 9,12",
     3},
    {"middle game, threes of player 2",
     "9,9 10,10 10,9 11,9 9,11 9,8 8,11 11,8 7,11 6,11 11,11 10,11 10,8 8,10", 3},
    {"fours and threes on both sides",
     "9,9 10,10 10,9 11,9 9,11 9,8 8,11 11,8 7,11 6,11 11,11 10,11 10,8 8,10 9,10 7,10", 3},
    {"four-three for player 1", "10,10 9,10 11,10 0,0 12,10 19,19 13,12 19,0 13,13 0,19", 10},
    {"four-three for player 2", "9,10 10,10 0,0 11,10 19,19 12,10 19,0 13,12 0,19 13,13 9,0", 10},
    {"own four against an open three", "0,5 7,10 1,5 8,10 2,5 9,10", 5},
    {"open threes on both sides", "7,7 7,12 8,7 8,12 9,7 9,12 3,16", 10},
    {"a four to block", "9,10 10,10 0,0 11,10 19,19 12,10 19,0 13,10", 10},
    {"near the edge", "3,3 4,4 4,3 5,3 3,5 3,2 2,5 5,2 5,5 4,5 4,2 5,1", 4},
    {"near the edge, threes of player 2", "3,3 4,4 4,3 5,3 3,5 3,2 2,5 5,2 5,5 4,5 4,2 5,1 5,0 6,3",
     4},
    {"in the corner", "0,0 1,1 1,0 2,2 0,2 3,3 2,0 0,1", 5},
};

// FNV-1a over whole values rather than bytes: any change of a move or a
// count, or of their order, changes the result.
uint64_t Fold(uint64_t signature, uint64_t value) {
  return (signature ^ value) * 0x100000001b3u;
}
constexpr uint64_t kSignatureStart = 0xcbf29ce484222325u;

// The depth limit of every search that the protocol asks for.
constexpr int16_t kProtocolDepth = 10;

void PutMoves(const char* moves) {
  std::istringstream in(moves);
  int x, y;
  char comma;
  while (in >> x >> comma >> y) Tessel_PutSymbol(static_cast<int16_t>(x), static_cast<int16_t>(y));
}

}  // namespace

int main(int argc, char** argv) {
  // Renju shifts the other arguments by one.
  const bool renju = argc > 1 && std::strcmp(argv[1], "renju") == 0;
  if (renju) {
    --argc;
    ++argv;
  }
  const char* set = argc > 1 ? argv[1] : "full";
  const bool quick = std::strcmp(set, "quick") == 0;
  const bool full = std::strcmp(set, "full") == 0;
  const bool timed = std::strcmp(set, "time") == 0;
  // The search's own clock: a budget per position instead of a fixed depth.
  const int32_t budgetMs = timed && argc > 2 ? std::atoi(argv[2]) : 0;
  const auto override = static_cast<int16_t>(quick || full || timed ? 0 : std::atoi(set));
  if (argc > 3 || (timed && budgetMs <= 0) || (!quick && !full && !timed && override <= 0)) {
    std::fprintf(stderr, "usage: bench [renju] [full | quick | depth] [expected signature]\n");
    std::fprintf(stderr, "       bench [renju] time milliseconds\n");
    return 2;
  }
  const int16_t cap = quick ? 2 : INT16_MAX;

  Tessel_Initialize();  // the first call sets the default settings
  if (renju) Tessel_SetRule(Rule::kRenju);
  searchTimeout = timed ? budgetMs + kTimeMargin : INT32_MAX;
  matchTimeout = INT32_MAX;

  using Clock = std::chrono::steady_clock;
  int64_t totalMoves = 0;
  uint64_t signature = kSignatureStart;
  double totalMs = 0;
  std::printf("%-34s %6s %5s %11s %9s\n", "position", "move", "depth", "moves", "ms");
  for (const Position& p : kPositions) {
    Tessel_Initialize();
    PutMoves(p.moves);
    const int16_t depth =
        timed ? kProtocolDepth : override > 0 ? override : (p.depth < cap ? p.depth : cap);
    const Clock::time_point start = Clock::now();
    Tessel_Search(depth, 0, 1);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    int16_t x, y, player, value, vct;
    Tessel_GetBestLine(0, &x, &y, &player, &value, &vct);
    char move[16];
    std::snprintf(move, sizeof move, "%d,%d", x, y);
    std::printf("%-34s %6s %2d/%-2d %11lld %9.1f\n", p.name, move, depthReached, depth,
                static_cast<long long>(nbExaminedMoves), ms);
    totalMoves += nbExaminedMoves;
    signature = Fold(Fold(Fold(signature, uint16_t(x)), uint16_t(y)), uint32_t(nbExaminedMoves));
    totalMs += ms;
  }
  if (renju) std::printf("\nrule: renju");
  std::printf("\ntotal moves made: %lld\n", static_cast<long long>(totalMoves));
  std::printf("time: %.1f ms, %.0f moves/s\n", totalMs,
              totalMs > 0 ? totalMoves * 1000.0 / totalMs : 0.0);
  if (timed) return 0;  // what a clock allows is no signature
  char printed[24];
  std::snprintf(printed, sizeof printed, "%016llx", static_cast<unsigned long long>(signature));
  std::printf("signature: %s\n", printed);
  if (argc > 2 && std::strcmp(argv[2], printed) != 0) {
    std::printf("expected:  %s\n", argv[2]);
    return 1;
  }
  return 0;
}
