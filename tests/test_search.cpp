// The searches and the driver: known answers on hand-built positions, the
// position left as found, the stop rules, the threat-search ply cap, the
// static-value clamp and reproducibility.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

#include "engine/tessel.h"
#include "evaluation/evaluate.h"
#include "movegen/movegenerator.h"
#include "ordering/sort.h"
#include "search/alphabeta.h"
#include "search/hash.h"
#include "search/historytable.h"
#include "search/search.h"

namespace {

struct Stone {
  int x, y;
};
using Stones = std::vector<Stone>;
int16_t Sq(Stone s) { return static_cast<int16_t>(s.x + 30 * s.y + 155); }

// New game, stones alternating from player 1; the side that runs short puts
// pass stones on far squares so that `toMove` is to move.
void Build(Stones p1, Stones p2, int toMove) {
  static const Stones kPass = {{0, 0}, {19, 19}, {19, 0}, {0, 19},
                               {9, 0}, {9, 19},  {0, 9},  {19, 9}};
  const size_t n1 = std::max(p1.size(), p2.size() + (toMove == 2)), n2 = n1 - (toMove == 2);
  for (size_t k = 0; p1.size() < n1 || p2.size() < n2; ++k)
    (p1.size() < n1 ? p1 : p2).push_back(kPass[k]);
  Tessel_Initialize();
  for (size_t i = 0; i < n1; ++i) {
    Tessel_PutSymbol(p1[i].x, p1[i].y);
    if (i < n2) Tessel_PutSymbol(p2[i].x, p2[i].y);
  }
  ASSERT_EQ(whoIsOnMove, toMove);
}

// Time settings for one scope, by default with the clock out of the way.
struct Clock {
  static bool DefaultsSet() {
    static const bool set = (Tessel_Initialize(), true);  // the first call sets the defaults
    return set;
  }
  explicit Clock(int32_t search = INT32_MAX) : ready(DefaultsSet()) {
    searchTimeout = search;
    matchTimeout = INT32_MAX;
  }
  ~Clock() {
    searchTimeout = s;
    matchTimeout = m;
  }
  bool ready;
  int32_t s = searchTimeout, m = matchTimeout;
};

// Everything a search must give back: board, list membership and counts,
// evaluation, key, side to move, move stack and undo stack.
std::vector<int64_t> Snapshot() {
  std::vector<int64_t> v = {totalValue,    static_cast<int64_t>(zobristKey), whoIsOnMove,
                            nbMoveBuffers, pMoveBuffer - moveBuffer,         nbSymbolsPlaced,
                            nbUndoSquares};
  for (int i = 0; i < kBoardCells; ++i)
    v.insert(v.end(),
             {square[i].symbol, sortSquare[0][i].list->category, sortSquare[1][i].list->category});
  for (const auto& lists : moveCategory)
    for (const CategoryList& l : lists) v.push_back(l.count);
  return v;
}

const MoveRecord& Best() { return resultMoveBuffer.bestLine[0]; }
std::vector<int> RootMoves(const MoveBuffer& b) {
  std::vector<int> v = {b.bestLine[0].squareIndex, b.bestLine[0].value};
  for (int i = 0; i < b.count; ++i) v.insert(v.end(), {b.moves[i].squareIndex, b.moves[i].value});
  return v;
}

const Stones kQuietP1 = {{9, 9}, {11, 9}, {10, 11}, {7, 10}};
const Stones kQuietP2 = {{10, 9}, {10, 10}, {9, 11}, {12, 8}};
// A three closed by (9,10) and a column pair: (13,10) makes a four and a
// three, so consecutive fours win: (13,10), (13,11), then five.
const Stones kFourThree = {{10, 10}, {11, 10}, {12, 10}, {13, 12}, {13, 13}};
const Stones kFour = {{5, 5}, {6, 5}, {7, 5}, {8, 5}};  // fives at (4,5), (9,5)
const Stones kFourFives = {{3, 3}, {4, 3}, {5, 3}, {6, 3}, {3, 8}, {4, 8}, {5, 8}, {6, 8}};

TEST(Search, LeavesThePositionAsItFound) {
  Clock clock;
  struct Case {
    Stones p1, p2;
    int toMove, depth;
  };
  const Case cases[] = {{kQuietP1, kQuietP2, 1, 2},
                        {kQuietP1, {{10, 9}, {10, 10}, {9, 11}}, 2, 3},
                        {kFourThree, {{9, 10}}, 1, 3},
                        {{{9, 10}}, kFourThree, 2, 3},
                        {kFour, {{3, 3}}, 2, 3}};
  for (int tables = 0; tables < 2; ++tables) {  // then with the hash and history tables on
    useHistoryTable = static_cast<int16_t>(tables);
    hashTableSize = tables << 16;
    for (const Case& c : cases) {
      Build(c.p1, c.p2, c.toMove);
      const std::vector<int64_t> before = Snapshot();
      Tessel_Search(static_cast<int16_t>(c.depth), 1, 1);
      EXPECT_EQ(Snapshot(), before) << "tables " << tables << ", stones " << nbSymbolsPlaced;
    }
  }
  hashTableSize = useHistoryTable = 0;

  // Stopped by the clock: the iteration cut short is dropped, and the result
  // is what an unhurried search to the last completed depth gives.
  Build(kQuietP1, kQuietP2, 1);
  const std::vector<int64_t> before = Snapshot();
  {
    Clock noTime(0);
    Tessel_Search(10, 0, 1);
  }
  EXPECT_EQ(stopSearch, 1);
  EXPECT_EQ(Snapshot(), before);
  ASSERT_TRUE(depthReached >= 1 && depthReached < 10) << depthReached;
  const std::vector<int> stopped = RootMoves(resultMoveBuffer);
  const int16_t depth = depthReached;
  Build(kQuietP1, kQuietP2, 1);
  Tessel_Search(depth, 0, 1);
  EXPECT_EQ(RootMoves(resultMoveBuffer), stopped) << "depth " << depth;
  Build(kQuietP1, kQuietP2, 1);
  Tessel_Search(depth, 0, 0);  // that depth alone: the same best score
  EXPECT_EQ(depthReached, depth);
  EXPECT_EQ(Best().value, stopped[1]);
}

TEST(Search, KnownAnswers) {
  Clock clock;
  // Completes its own five before anything else, without making a move.
  Build(kFour, {{5, 10}, {6, 10}, {7, 10}, {8, 10}}, 1);
  Tessel_Search(10, 0, 1);
  EXPECT_TRUE(Best().squareIndex == Sq({4, 5}) || Best().squareIndex == Sq({9, 5}));
  EXPECT_TRUE(Best().value == kWinScore && depthReached == 1 && nbExaminedMoves == 0);

  // The one block of a four: one root move, so one iteration unless single
  // moves are deepened.
  Build({{9, 10}}, {{10, 10}, {11, 10}, {12, 10}, {13, 10}}, 1);
  Tessel_Search(10, 0, 1);
  EXPECT_TRUE(Best().squareIndex == Sq({14, 10}) && resultMoveBuffer.count == 1 &&
              depthReached == 1);
  Tessel_Search(3, 1, 1);
  EXPECT_TRUE(Best().squareIndex == Sq({14, 10}) && depthReached == 3);
  EXPECT_LT(std::abs(Best().value), kWinScore);

  // Consecutive fours win through the threat search at the root, which ends
  // the deepening; the score is in player 1's view for either winner.
  for (int winner : {1, 2}) {
    SCOPED_TRACE(winner);
    winner == 1 ? Build(kFourThree, {{9, 10}}, 1) : Build({{9, 10}}, kFourThree, 2);
    Tessel_Search(10, 0, 1);
    EXPECT_EQ(Best().squareIndex, Sq({13, 10}));
    EXPECT_EQ(Best().value, winner == 1 ? kWinScore : -kWinScore);
    EXPECT_TRUE(Best().vctMove == 1 && depthReached == 1);
  }

  // Player 2 cannot block four fives: lost, seen from depth 2 on.
  Build(kFourFives, {}, 2);
  Tessel_Search(10, 0, 1);
  EXPECT_TRUE(Best().value == kWinScore && depthReached == 2);

  // No win where there is none: a closed three, and a quiet position.
  Build({{10, 10}, {11, 10}, {12, 10}}, {{9, 10}}, 1);
  Tessel_Search(2, 0, 1);
  EXPECT_TRUE(std::abs(Best().value) < kWinScore && depthReached == 2);
  Build(kQuietP1, {{10, 9}, {10, 10}, {9, 11}}, 2);
  Tessel_Search(3, 0, 1);
  EXPECT_TRUE(std::abs(Best().value) < kWinScore && depthReached == 3);
}

TEST(Search, ThreatSearchLimits) {
  // The four-three needs five plies: found from ply 25 but not from ply 26 or
  // 27, whichever colour attacks (the last ply fails for the attacker).
  for (int attacker : {1, 2}) {
    attacker == 1 ? Build(kFourThree, {{9, 10}}, 1) : Build({{9, 10}}, kFourThree, 2);
    for (int16_t ply = 24; ply <= 27; ++ply) {
      const int16_t r = VctAlphaBeta(ply, 1, kWinScore - 1, kWinScore, whoIsOnMove, 0, 0);
      EXPECT_EQ(r == kWinScore, ply <= 25) << "attacker " << attacker << ", ply " << ply;
    }
    EXPECT_EQ(plyReached, 30);
    EXPECT_EQ(VctAlphaBeta(30, 1, kWinScore - 1, kWinScore, whoIsOnMove, 0, 0), -kWinScore);
    EXPECT_EQ(
        VctAlphaBeta(30, 1, kWinScore - 1, kWinScore, static_cast<int16_t>(3 - whoIsOnMove), 0, 0),
        kWinScore);
  }
  // Beyond ten plies past the depth only fours are played: a double three
  // wins at ply 10 of a depth-1 iteration, but not at ply 11, where the
  // defender would no longer have to answer the threes.
  Build({{8, 10}, {9, 10}, {10, 8}, {10, 9}}, {}, 1);
  EXPECT_EQ(VctAlphaBeta(10, 1, kWinScore - 1, kWinScore, 1, 0, 0), kWinScore);
  EXPECT_LT(VctAlphaBeta(11, 1, kWinScore - 1, kWinScore, 1, 0, 0), kWinScore);
}

TEST(Search, StaticValueIsClampedBelowAWin) {
  for (int toMove : {1, 2}) {
    Build(kFourFives, {}, toMove);
    ASSERT_GT(totalValue, kWinScore);
    const int16_t expected = toMove == 1 ? kMaxStaticScore : -kMaxStaticScore;
    const int32_t generations = nbMoveGenerations;
    EXPECT_EQ(StaticValue(), expected);
    EXPECT_EQ(AlphaBeta(0, 0, -kWinScore, kWinScore), expected);    // a leaf
    EXPECT_EQ(AlphaBeta(30, 40, -kWinScore, kWinScore), expected);  // the ply cap
    EXPECT_EQ(nbMoveGenerations, generations);
  }
}

TEST(Search, DriverResultsAndReproducibility) {
  Clock clock;
  // Scores in player 1's view; the best move carries the best score.
  for (int toMove : {1, 2}) {
    Build(kQuietP1, toMove == 1 ? kQuietP2 : Stones{{10, 9}, {10, 10}, {9, 11}}, toMove);
    Tessel_Search(2, 0, 1);
    const int sign = toMove == 1 ? 1 : -1;
    ASSERT_GT(resultMoveBuffer.count, 1);
    int best = -kWinScore;
    for (int i = 0; i < resultMoveBuffer.count; ++i) {
      EXPECT_EQ(resultMoveBuffer.moves[i].value, sign * moveBuffer[0].moves[i].value);
      best = std::max(best, sign * resultMoveBuffer.moves[i].value);
    }
    EXPECT_EQ(Best().value, sign * moveBuffer[0].bestLine[0].value);
    EXPECT_EQ(sign * Best().value, best);
    // Depth 0 searches nothing and keeps the previous result.
    const std::vector<int> previous = RootMoves(resultMoveBuffer);
    Tessel_Search(0, 0, 1);
    EXPECT_EQ(depthReached, -1);
    EXPECT_EQ(RootMoves(resultMoveBuffer), previous);
  }

  // The same game twice in one process, with a new game between.
  std::vector<int> runs[2];
  for (std::vector<int>& run : runs) {
    Build(kQuietP1, kQuietP2, 1);
    for (int move = 0; move < 4; ++move) {
      Tessel_Search(2, 0, 1);
      run.insert(run.end(), {Best().squareIndex, Best().value, nbExaminedMoves, depthReached});
      Tessel_PutSymbol(static_cast<int16_t>(Best().squareIndex % 30 - 5),
                       static_cast<int16_t>(Best().squareIndex / 30 - 5));
    }
  }
  EXPECT_EQ(runs[0], runs[1]);
}

// In this position the threat search of the first iteration alone runs for
// minutes; it must be stopped on time and still give a legal, urgent move.
TEST(Search, FirstIterationThatOutgrowsTheBudgetIsStopped) {
  Clock clock(200);
  Build({{14, 6}, {15, 6}, {13, 7}, {14, 5}, {14, 4}, {13, 3}, {14, 7}, {16, 5}, {17, 4}, {12, 7},
         {10, 7}, {12, 8}, {12, 5}, {10, 10}, {10, 8}, {16, 6}, {17, 6}, {12, 2}},
        {{13, 5}, {13, 6}, {15, 5}, {13, 4}, {13, 2}, {14, 3}, {14, 8}, {13, 8}, {18, 3}, {15, 7},
         {11, 7}, {15, 2}, {12, 6}, {11, 9}, {10, 9}, {14, 2}, {18, 6}},
        2);
  const int16_t stones = nbSymbolsPlaced;
  Tessel_Search(10, 0, 1);
  EXPECT_EQ(depthReached, 0);
  ASSERT_EQ(Tessel_GetBestLineLength(), 1);
  EXPECT_EQ(square[Best().squareIndex].symbol, kEmpty);
  EXPECT_EQ(Best().squareIndex, moveBuffer[0].moves[0].squareIndex);
  EXPECT_EQ(nbSymbolsPlaced, stones);
}

}  // namespace
