// The searches and the driver on hand-built positions, and their reproducibility.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/tessel.h"
#include "evaluation/evaluate.h"
#include "movegen/movegenerator.h"
#include "ordering/sort.h"
#include "protocol/pipe.h"
#include "search/alphabeta.h"
#include "search/hash.h"
#include "movegen/historytable.h"
#include "search/search.h"
#include "search/timecontrol.h"
#include "tests/positions.h"

namespace {

// The clock out of the way unless given; later new games keep these settings.
struct Clock {
  explicit Clock(int32_t search = INT32_MAX) {
    Tessel_Initialize();
    searchTimeout = search;
    matchTimeout = INT32_MAX;
    maxNodes = 0;
  }
};

// Board, list membership and counts, evaluation, key, side to move, stacks.
std::vector<int64_t> Snapshot() {
  std::vector<int64_t> v = {totalValue,      whoIsOnMove,   nbMoveBuffers,
                            nbSymbolsPlaced, nbUndoSquares, static_cast<int64_t>(zobristKey)};
  for (const BoardSquare& s : square) v.push_back(s.symbol);
  for (const auto& nodes : sortSquare)
    for (const SquareNode& n : nodes) v.push_back(n.list->category);
  for (const auto& lists : moveCategory)
    for (const CategoryList& l : lists) v.push_back(l.count);
  return v;
}

const MoveRecord& Best() { return resultMoveBuffer.bestLine[0]; }
Stone BestStone() { return {Best().squareIndex % 30 - 5, Best().squareIndex / 30 - 5}; }
std::vector<int> RootMoves() {
  std::vector<int> v = {Best().squareIndex, Best().value};
  for (int i = 0; i < resultMoveBuffer.count; ++i)
    v.insert(v.end(), {resultMoveBuffer.moves[i].squareIndex, resultMoveBuffer.moves[i].value});
  return v;
}

const Stones kQuietP1 = {{9, 9}, {11, 9}, {10, 11}, {7, 10}};
const Stones kQuietP2 = {{10, 9}, {10, 10}, {9, 11}, {12, 8}};
// (13,10) makes a four and a three: fours at (13,10), (13,11), then five.
const Stones kFourThree = {{10, 10}, {11, 10}, {12, 10}, {13, 12}, {13, 13}};
const Stones kFour = {{5, 5}, {6, 5}, {7, 5}, {8, 5}};  // fives at (4,5), (9,5)
const Stones kFourFives = {{3, 3}, {4, 3}, {5, 3}, {6, 3}, {3, 8}, {4, 8}, {5, 8}, {6, 8}};

// Searches leave the position as found, with the hash and history tables on and off. With
// them off (the hash table reuses threat-search scores) the best move is one of `best` (any
// when empty), `value` in player 1's view (0: any undecided score), `depth` the one reached.
TEST(Search, KnownAnswersLeaveThePositionAsFound) {
  Clock clock;
  const auto check = [](const char* name, Stones p1, Stones p2, int toMove, int16_t maxDepth,
                        int16_t deepen, Stones best, int value, int depth) {
    SCOPED_TRACE(name);
    for (int16_t tables : {1, 0}) {
      useHistoryTable = tables;
      hashTableSize = tables << 16;
      Build(p1, p2, toMove);
      const std::vector<int64_t> before = Snapshot();
      Tessel_Search(maxDepth, deepen, 1);
      EXPECT_EQ(Snapshot(), before) << "tables " << tables;
    }
    EXPECT_TRUE(best.empty() || std::count(best.begin(), best.end(), BestStone()));
    EXPECT_TRUE(value ? Best().value == value : std::abs(Best().value) < kWinScore);
    EXPECT_EQ(depthReached, depth);
    for (int i = 0; i < resultMoveBuffer.count; ++i)  // root scores turned to player 1's view
      EXPECT_EQ(resultMoveBuffer.moves[i].value, (3 - 2 * toMove) * moveBuffer[0].moves[i].value);
  };
  const Stones four = {{10, 10}, {11, 10}, {12, 10}, {13, 10}};
  check("own five first", kFour, {{5, 10}, {6, 10}, {7, 10}, {8, 10}}, 1, 3, 0, {{4, 5}, {9, 5}},
        kWinScore, 1);
  check("a single move: one iteration", {{9, 10}}, four, 1, 3, 0, {{14, 10}}, 0, 1);
  check("unless single moves are deepened", {{9, 10}}, four, 1, 3, 1, {{14, 10}}, 0, 3);
  check("fours win at the root", kFourThree, {{9, 10}}, 1, 3, 0, {{13, 10}}, kWinScore, 1);
  check("for player 2 too", {{9, 10}}, kFourThree, 2, 3, 0, {{13, 10}}, -kWinScore, 1);
  check("four fives lost from depth 2", kFourFives, {}, 2, 3, 0, {}, kWinScore, 2);
  check("no false win", {{10, 10}, {11, 10}, {12, 10}}, {{9, 10}}, 1, 2, 0, {}, 0, 2);
  check("a quiet position", kQuietP1, {{10, 9}, {10, 10}, {9, 11}}, 2, 3, 1, {}, 0, 3);
}

TEST(Search, ThreatSearchPlyCapsAndStaticClamp) {
  const auto vct = [](int16_t ply, int16_t attacker) {
    return VctAlphaBeta(ply, 1, kWinScore - 1, kWinScore, attacker, 0, 0);
  };
  // The four-three needs five plies: found from ply 25 but not 26 or 27, and at the
  // ply-30 cap the attacker fails, whichever colour attacks.
  for (int attacker : {1, 2}) {
    attacker == 1 ? Build(kFourThree, {{9, 10}}, 1) : Build({{9, 10}}, kFourThree, 2);
    for (int ply = 24; ply <= 27; ++ply) EXPECT_EQ(vct(ply, attacker) == kWinScore, ply <= 25);
    EXPECT_EQ(plyReached, 30);
    EXPECT_TRUE(vct(30, attacker) == -kWinScore && vct(30, 3 - attacker) == kWinScore);
  }
  // Ten plies past the depth only fours are played: a double three wins at ply 10
  // of a depth-1 iteration, not at ply 11.
  Build({{8, 10}, {9, 10}, {10, 8}, {10, 9}}, {}, 1);
  EXPECT_TRUE(vct(10, 1) == kWinScore && vct(11, 1) < kWinScore);
  // A static value beyond a win is clamped, at a leaf and at the ply cap.
  for (int toMove : {1, 2}) {
    Build(kFourFives, {}, toMove);
    const int16_t expected = toMove == 1 ? kMaxStaticScore : -kMaxStaticScore;
    EXPECT_TRUE(totalValue > kWinScore && StaticValue() == expected);
    EXPECT_TRUE(AlphaBeta(0, 0, -kWinScore, kWinScore) == expected &&
                AlphaBeta(30, 40, -kWinScore, kWinScore) == expected);
  }
}

// The cut iteration is dropped: the result is an unhurried search's to that depth.
// And the same game twice in one process, with a new game between, searches alike.
TEST(Search, TimeOutKeepsTheLastIterationAndSearchesReproduce) {
  Clock clock(0);
  Build(kQuietP1, kQuietP2, 1);
  const std::vector<int64_t> before = Snapshot();
  Tessel_Search(10, 0, 1);
  EXPECT_TRUE(stopSearch == 1 && Snapshot() == before);
  const int16_t depth = depthReached;
  ASSERT_TRUE(depth >= 1 && depth < 10) << depth;
  const std::vector<int> stopped = RootMoves();
  Tessel_Search(0, 0, 1);  // depth 0 searches nothing and keeps the result
  EXPECT_TRUE(depthReached == -1 && RootMoves() == stopped);
  searchTimeout = INT32_MAX;
  std::vector<int> runs[2];
  for (std::vector<int>& run : runs) {
    Build(kQuietP1, kQuietP2, 1);
    for (int move = 0; move < 4; ++move) {
      Tessel_Search(move ? 2 : depth, 0, 1);
      EXPECT_TRUE(move > 0 || RootMoves() == stopped) << "depth " << depth;
      run.insert(run.end(), {Best().squareIndex, Best().value, static_cast<int>(nbExaminedMoves), depthReached});
      Tessel_PutSymbol(BestStone().first, BestStone().second);
    }
  }
  EXPECT_EQ(runs[0], runs[1]);
}

// The move cap holds at every check, between clock samples too; a budget
// already spent stops a search at its next clock sample once it has a move,
// but never before the first iteration's floor without one.
TEST(Search, TheMoveCapHoldsAtEveryCheckAndAFirstIterationHasItsFloor) {
  Clock clock(0);
  InitializeSearch();
  maxNodes = 7;
  nbExaminedMoves = 6;
  EXPECT_EQ(CheckTimeout(), 0);
  nbExaminedMoves = 7;
  EXPECT_EQ(CheckTimeout(), 1);
  InitializeSearch();
  startTime -= std::chrono::milliseconds(kFirstIterationFloor / 2);
  for (int call = 0; call < 2 * kClockSamplePeriod; ++call) ASSERT_EQ(CheckTimeout(), 0) << call;
  resultMoveBuffer.bestLineLength = 1;
  int calls = 1;
  while (CheckTimeout() == 0) ASSERT_LE(++calls, int{kClockSamplePeriod});
}

// Every search starts its statistics afresh, and the facade reports each root
// move's subtree: the moves made from MakeMove to UnmakeMove, itself included.
TEST(Search, StatisticsAndRootSubtrees) {
  Clock clock;
  Build(kQuietP1, kQuietP2, 1);
  nbExaminedMoves = nbCutoffs = nbMoveGenerations = nbExaminedMovesLastPly = 1 << 30;
  Tessel_Search(2, 0, 1);
  EXPECT_TRUE(nbExaminedMoves < 1 << 20 && nbCutoffs < 1 << 20 && nbMoveGenerations < 1 << 20);
  EXPECT_TRUE(nbCutoffs > 0 && nbExaminedMovesLastPly > 0 && plyReached >= 2 && depthReached == 2);
  int64_t subtrees = 0;
  for (int16_t i = 0; i < Tessel_GetNbPossibleMoves(); ++i) {
    int16_t x, y, side, value;
    int64_t nodes;
    Tessel_GetPossibleMove(i, &x, &y, &side, &value, &nodes);
    const MoveRecord& m = resultMoveBuffer.moves[i];
    EXPECT_TRUE(m.squareIndex == SquareIndex(x, y) && side == 1 && value == m.value) << i;
    EXPECT_TRUE(nodes >= 1 && nodes == m.nbExaminedAfter - m.nbExaminedBefore) << i;
    subtrees += nodes;
  }
  EXPECT_LE(subtrees, nbExaminedMovesLastPly);
}

// The manager's time settings against the budget of the coming move: the
// smaller of the turn limit and a fifteenth of the time left in the match,
// less 100 ms kept back for the reply.
TEST(Search, TheBudgetFollowsTheTurnLimitAndAFifteenthOfTheMatch) {
  struct Row {
    const char* turn;
    const char* match;
    const char* left;  // none: as the match
    int64_t budgetMs;
  };
  const Row rows[] = {
      {"1000", "15000", "", 900},              // both limits give 900
      {"5000", "60000", "", 3900},             // a fifteenth of the match
      {"5000", "180000", "30000", 1900},       // of the time left
      {"5000", "180000", "90000", 4900},       // the turn limit
      {"300", "0", "", 200},                   // 0: no match limit
      {"300", "0", "2147483647", 200},         // as managers send it then
      {"2000000", "100000000", "100000000", 1999900},
      {"10000", "60000", "1500", 0},           // nothing left to spend
      {"10000", "60000", "600", -60},
  };
  Tessel_Initialize();
  for (const Row& row : rows) {
    ParseStdin(("INFO timeout_turn " + std::string(row.turn)).c_str());
    ParseStdin(("INFO timeout_match " + std::string(row.match)).c_str());
    if (*row.left != '\0') ParseStdin(("INFO time_left " + std::string(row.left)).c_str());
    EXPECT_EQ(MoveBudget(searchTimeout, matchTimeout), row.budgetMs)
        << row.turn << " " << row.match << " " << row.left;
  }
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

namespace {

// The move cap past 2^32, set the way a board program sets it, stops a search
// at its count and not at the count's 32-bit remainder.
TEST(Search, MoveCapAndCountBeyond32Bits) {
  Clock clock;
  ParseStdin("INFO max_node 6000000000");
  EXPECT_EQ(maxNodes, 6000000000);
  InitializeSearch();
  for (int64_t count : {int64_t{6000000000} - 1, int64_t{1} << 32, int64_t{6000000000} - (int64_t{1} << 32)}) {
    nbExaminedMoves = count;
    EXPECT_EQ(CheckTimeout(), 0) << count;
  }
  nbExaminedMoves = 6000000000;
  EXPECT_EQ(CheckTimeout(), 1);
  ParseStdin("INFO max_node 0");
  EXPECT_EQ(maxNodes, 0);
}

}  // namespace
