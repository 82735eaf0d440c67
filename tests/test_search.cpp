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
#include "tests/data_file.h"
#include "tests/squares.h"

namespace {

using Square = std::pair<int, int>;

// The clock out of the way unless given; later new games keep these settings.
void SetLimits(int32_t turnMs = INT32_MAX) {
  Tessel_Initialize();
  Tessel_SetTurnTime(turnMs);
  Tessel_SetMatchTime(INT32_MAX);
  Tessel_SetMaxNodes(0);
}

Drawing Lay(const std::string& name, int toMove) {
  return LayCase("search_positions.txt", name, toMove);
}

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
Square BestStone() { return SquareXY(Best().squareIndex); }
std::vector<int> RootMoves() {
  std::vector<int> v = {Best().squareIndex, Best().value};
  for (int i = 0; i < resultMoveBuffer.count; ++i)
    v.insert(v.end(), {resultMoveBuffer.moves[i].squareIndex, resultMoveBuffer.moves[i].value});
  return v;
}

// Searches leave the position as found, with the hash and history tables on and off. With
// them off (the hash table reuses threat-search scores) the best move is one of `best` (any
// when empty), `value` in player 1's view (0: any undecided score), `depth` the one reached.
TEST(Search, KnownAnswersLeaveThePositionAsFound) {
  SetLimits();
  const auto check = [](const char* name, const char* position, int toMove, int16_t maxDepth,
                        int16_t deepen, std::vector<Square> best, int value, int depth) {
    SCOPED_TRACE(name);
    for (int16_t tables : {1, 0}) {
      useHistoryTable = tables;
      hashTableSize = tables << 16;
      Lay(position, toMove);
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
  check("own five first", "fours of both", 1, 3, 0, {{4, 5}, {9, 5}}, kWinScore, 1);
  check("a single move: one iteration", "one answer", 1, 3, 0, {{14, 10}}, 0, 1);
  check("unless single moves are deepened", "one answer", 1, 3, 1, {{14, 10}}, 0, 3);
  check("fours win at the root", "black's four-three", 1, 3, 0, {{13, 10}}, kWinScore, 1);
  check("for player 2 too", "white's four-three", 2, 3, 0, {{13, 10}}, -kWinScore, 1);
  check("four fives lost from depth 2", "two fours", 2, 3, 0, {}, kWinScore, 2);
  check("no false win", "a closed three", 1, 2, 0, {}, 0, 2);
  check("a quiet position", "quiet, white to play", 2, 3, 1, {}, 0, 3);
}

TEST(Search, ThreatSearchPlyCapsAndStaticClamp) {
  const auto vct = [](int16_t ply, int16_t attacker) {
    return VctAlphaBeta(ply, 1, kWinScore - 1, kWinScore, attacker, 0, 0);
  };
  // The four-three needs five plies: found from ply 25 but not 26 or 27, and at the
  // ply-30 cap the attacker fails, whichever colour attacks.
  for (int attacker : {1, 2}) {
    Lay(attacker == 1 ? "black's four-three" : "white's four-three", attacker);
    for (int ply = 24; ply <= 27; ++ply) EXPECT_EQ(vct(ply, attacker) == kWinScore, ply <= 25);
    EXPECT_EQ(plyReached, 30);
    EXPECT_TRUE(vct(30, attacker) == -kWinScore && vct(30, 3 - attacker) == kWinScore);
  }
  // Ten plies past the depth only fours are played: a double three wins at ply 10
  // of a depth-1 iteration, not at ply 11.
  Lay("two twos", 1);
  EXPECT_TRUE(vct(10, 1) == kWinScore && vct(11, 1) < kWinScore);
  // A static value beyond a win is clamped, at a leaf and at the ply cap.
  for (int toMove : {1, 2}) {
    Lay("two fours", toMove);
    const int16_t expected = toMove == 1 ? kMaxStaticScore : -kMaxStaticScore;
    EXPECT_TRUE(totalValue > kWinScore && StaticValue() == expected);
    EXPECT_TRUE(AlphaBeta(0, 0, -kWinScore, kWinScore) == expected &&
                AlphaBeta(30, 40, -kWinScore, kWinScore) == expected);
  }
}

// The cut iteration is dropped: the result is an unhurried search's to that depth.
// And the same game twice in one process, with a new game between, searches alike.
TEST(Search, TimeOutKeepsTheLastIterationAndSearchesReproduce) {
  SetLimits(0);
  Lay("quiet", 1);
  const std::vector<int64_t> before = Snapshot();
  Tessel_Search(10, 0, 1);
  EXPECT_TRUE(stopSearch == 1 && Snapshot() == before);
  const int16_t depth = depthReached;
  ASSERT_TRUE(depth >= 1 && depth < 10) << depth;
  const std::vector<int> stopped = RootMoves();
  Tessel_Search(0, 0, 1);  // depth 0 searches nothing and keeps the result
  EXPECT_TRUE(depthReached == -1 && RootMoves() == stopped);
  Tessel_SetTurnTime(INT32_MAX);
  std::vector<int> runs[2];
  for (std::vector<int>& run : runs) {
    Lay("quiet", 1);
    for (int move = 0; move < 4; ++move) {
      Tessel_Search(move ? 2 : depth, 0, 1);
      EXPECT_TRUE(move > 0 || RootMoves() == stopped) << "depth " << depth;
      run.insert(run.end(), {Best().squareIndex, Best().value, static_cast<int>(nbExaminedMoves),
                             depthReached});
      Tessel_PutSymbol(BestStone().first, BestStone().second);
    }
  }
  EXPECT_EQ(runs[0], runs[1]);
}

// The move cap, set the way a board program sets it, holds at every check,
// between clock samples too, and past 2^32 stops a search at its count, not
// at the count's 32-bit remainder. Without it, a budget already spent stops a
// search at its next clock sample once it has a move, but never before the
// first iteration's floor without one.
TEST(Search, TheMoveCapHoldsAtEveryCheckAndAFirstIterationHasItsFloor) {
  SetLimits(0);
  ParseStdin("INFO max_node 6000000000");
  InitializeSearch();
  constexpr int64_t kCap = 6000000000, k32Bits = int64_t{1} << 32;
  for (int64_t count : {kCap - 1, k32Bits, kCap - k32Bits, kCap}) {
    nbExaminedMoves = count;
    EXPECT_EQ(CheckTimeout(), count == kCap) << count;
  }
  ParseStdin("INFO max_node 0");
  InitializeSearch();
  startTime -= std::chrono::milliseconds(kFirstIterationFloor / 2);
  for (int call = 0; call < 2 * kClockSamplePeriod; ++call) ASSERT_EQ(CheckTimeout(), 0) << call;
  resultMoveBuffer.bestLineLength = 1;
  int calls = 1;
  while (CheckTimeout() == 0) ASSERT_LE(++calls, int{kClockSamplePeriod});
}

// The facade reports each root move's subtree: the moves made from MakeMove
// to UnmakeMove, itself included; together no more than the last iteration's.
TEST(Search, RootMovesReportTheirSubtrees) {
  SetLimits();
  Lay("quiet", 1);
  Tessel_Search(2, 0, 1);
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
    const char *turn, *match, *left;  // left: none, as the match
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
  SetLimits(200);
  Lay("a long threat search", 2);
  Tessel_Search(10, 0, 1);
  EXPECT_EQ(depthReached, 0);
  ASSERT_EQ(Tessel_GetBestLineLength(), 1);
  EXPECT_EQ(square[Best().squareIndex].symbol, kEmpty);
  EXPECT_EQ(Best().squareIndex, moveBuffer[0].moves[0].squareIndex);
}

}  // namespace
