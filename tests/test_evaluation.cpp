// The category tables, and the incremental position update checked against a
// from-scratch classification: random play, a full board, many threats.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/tessel.h"
#include "evaluation/evaluate.h"
#include "movegen/movegenerator.h"
#include "ordering/sort.h"
#include "search/hash.h"
#include "tests/reference_classifier.h"
#include "tests/squares.h"
#include "tests/state_checks.h"

namespace {

using namespace state_checks;

// A new game with Zobrist codes (the first call sets the defaults); its key.
uint64_t KeyedGame() {
  Tessel_Initialize();
  hashTableSize = 1 << 12;
  Tessel_Initialize();
  return zobristKey;
}

// Everything a stone and its take-back must restore. At 10 * square: symbol,
// line categories, four codes, both players' lists, both raisedAt stamps.
using Snapshot = std::vector<int64_t>;
Snapshot Take() {
  Snapshot s;
  for (int i = 0; i < kBoardCells; ++i) {
    const uint32_t* c = squarePattern[i];
    s.insert(s.end(), {square[i].symbol, lineCategoryAllDir[i], c[0], c[1], c[2], c[3],
                       sortSquare[0][i].list->category, sortSquare[1][i].list->category,
                       sortSquare[0][i].raisedAt, sortSquare[1][i].raisedAt});
  }
  s.insert(s.end(), {totalValue, int64_t(zobristKey), nbSymbolsPlaced, nbUndoSquares});
  return s;
}

// All comes back but the stamps of the taken square's own nodes.
bool Restored(Snapshot before, int16_t taken) {
  const Snapshot now = Take();
  std::copy_n(&now[10 * taken + 8], 2, &before[10 * taken + 8]);
  return now == before;
}

// After the n-th stone a node raised to a more urgent list carries n; every
// other node keeps its stamp.
bool StampsFollow(const Snapshot& before) {
  const Snapshot now = Take();
  for (int k = 6; k < 10 * kBoardCells; k += k % 10 == 6 ? 1 : 9)  // lists; stamps 2 further on
    if (now[k + 2] != (now[k] < before[k] ? nbSymbolsPlaced : before[k + 2])) return false;
  return true;
}

constexpr Rule kRules[] = {Rule::kFreestyle, Rule::kExactFive, Rule::kRenju, Rule::kCaro,
                           Rule::kCaroExactFive};

// Runs a test under each rule and leaves freestyle in force afterwards.
class UnderEachRule : public testing::TestWithParam<Rule> {
 protected:
  void SetUp() override { Tessel_SetRule(GetParam()); }
  void TearDown() override { Tessel_SetRule(Rule::kFreestyle); }
};
std::string RuleName(const testing::TestParamInfo<Rule>& info) {
  constexpr const char* kNames[] = {"Freestyle", "ExactFive", "Renju", "Caro", "CaroExactFive"};
  return kNames[static_cast<int>(info.param)];
}

// Every line code of both players, through the rule's table, against the
// reference.
TEST_P(UnderEachRule, LineCategoryTableMatchesTheReference) {
  Tessel_Initialize();
  for (uint32_t code = 0; code < uint32_t(kNbLineCodes); ++code) {
    const int want = reference::LineCategory(code, 1, GetParam()) |
                     reference::LineCategory(code, 2, GetParam()) << 4;
    ASSERT_EQ(int(LineCategoriesOf(code)), want) << std::hex << code;
  }
}

// Every index of the move-category table, each order of four line categories,
// against the reference (indexes past the line categories stay 0), and the
// lists' weights.
TEST(CategoryTables, MoveCategoriesAndWeightsMatchTheReference) {
  Tessel_Initialize();
  Tessel_Initialize();  // the tables hold after a second new game as after the first
  for (int i = 0; i < kNbMcIndexes; ++i) {
    const int f[4] = {i & 15, i >> 4 & 15, i >> 8 & 15, i >> 12 & 15};
    ASSERT_EQ(mcTable[i], *std::max_element(f, f + 4) <= 9 ? reference::MoveCategory(f) : 0) << i;
  }
  for (int c = 0; c < kNbCategoryLists; ++c)
    EXPECT_TRUE(moveCategory[0][c].weight == reference::Weight(c) &&
                moveCategory[1][c].weight == -reference::Weight(c)) << c;
}

TEST(IncrementalUpdate, TwoStonesTakenBackAndTotalValueBeyondSixteenBits) {
  const uint64_t start = KeyedGame();
  const Snapshot empty = Take();
  PutSymbol(SquareIndex(9, 9));
  PutSymbol(SquareIndex(10, 9));
  RemoveSymbol();
  RemoveSymbol();  // the first stone's records also restore the second one's stamps
  EXPECT_TRUE(Restored(empty, SquareIndex(9, 9)));

  for (int16_t player : {kPlayer1, kPlayer2}) {
    Tessel_SetSideToMove(player);  // ten open fours: twenty squares that make five
    for (int y = 1; y < kBoardSide; y += 4)
      for (int x = 0; x < 8; ++x) PutSymbol(SquareIndex(x < 4 ? 2 + x : 8 + x, y));
    EXPECT_EQ(StateFaults(start), "");
    EXPECT_TRUE(moveCategory[player - 1][kFiveCategory].count >= 20 &&
                (player == kPlayer1 ? totalValue : -totalValue) > 32767);
    while (nbSymbolsPlaced > 0) RemoveSymbol();
  }
}

TEST_P(UnderEachRule, RandomSequencesMatchTheReferenceAndTakeBacksRestore) {
  std::mt19937 rng(90210);
  for (int run = 0; run < 8; ++run) {
    const uint64_t start = KeyedGame();
    for (int step = 0; step < 300; ++step) {
      SCOPED_TRACE("run " + std::to_string(run) + " step " + std::to_string(step));
      ASSERT_EQ(step % 4 ? "" : StateFaults(start), "");
      int x = int(rng() % 20), y = int(rng() % 20);
      if (run % 4 == 1) x = x < 10 ? x % 3 : 17 + x % 3;  // edge band
      if (run % 4 == 2) x %= 6, y %= 6;                   // crowded corner
      if (run % 4 == 3) x = 6 + x % 7, y = 6 + y % 7;     // crowded centre
      const int16_t s = SquareIndex(x, y);
      if (nbSymbolsPlaced > 6 && (rng() % 3 == 0 || nbSymbolsPlaced > 66)) {
        RemoveSymbol();
      } else if (square[s].symbol == kEmpty) {
        const Snapshot before = Take();
        Tessel_SetSideToMove(int16_t(1 + rng() % 2));
        PutSymbol(s);
        ASSERT_TRUE(StampsFollow(before)) << "stone " << s;
        RemoveSymbol();
        ASSERT_TRUE(Restored(before, s)) << "take-back of " << s;
        PutSymbol(s);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Rules, UnderEachRule, testing::ValuesIn(kRules), RuleName);

TEST(IncrementalUpdate, FullBoardFitsTheUndoStack) {
  const uint64_t start = KeyedGame();
  // Stripes ((x + 2y) mod 4 < 2: player 1) hold at most two in a row on any line.
  std::vector<std::pair<int16_t, int16_t>> stripes[2], order;
  for (int16_t y = 0; y < kBoardSide; ++y)
    for (int16_t x = 0; x < kBoardSide; ++x) stripes[(x + 2 * y) % 4 / 2].push_back({x, y});
  for (auto& stripe : stripes) std::shuffle(stripe.begin(), stripe.end(), std::mt19937(7));
  for (int i = 0; i < kPlayableSquares / 2; ++i)
    order.insert(order.end(), {stripes[0][i], stripes[1][i]});
  for (int i = 0; i < 370; ++i) Tessel_PutSymbol(order[i].first, order[i].second);
  for (int ply = 0; ply < kMaxPly; ++ply) {  // thirty search plies fill the rest
    pMoveBuffer->count = 0;
    InsertToMoveBuffer(SquareIndex(order[370 + ply].first, order[370 + ply].second), 0);
    ASSERT_NE(GetFirstMove(), nullptr);
    MakeMove();
  }
  EXPECT_TRUE(Tessel_BoardFull());
  // Each pair at most five apart on a line is recorded once, by its first stone
  // (2 x 20 x 85 on rows and columns, 2 x 1455 on diagonals); one marker a stone.
  EXPECT_EQ(nbUndoSquares, kPlayableSquares + 6310);
  EXPECT_EQ(StateFaults(start), "");
  for (int ply = 0; ply < kMaxPly; ++ply) UnmakeMove();
  // A short search with a handful of squares left leaves all as it found it.
  for (int i = 370; i < 395; ++i) Tessel_PutSymbol(order[i].first, order[i].second);
  const int16_t undo = nbUndoSquares;
  Tessel_Search(4, 0, 1);
  EXPECT_TRUE(Tessel_GetSearchReport().nodes > 0 && nbUndoSquares == undo);
  EXPECT_EQ(StateFaults(start), "");
}

// Stones taken back through the facade, the last one by the undo stack and
// earlier ones by replaying the game, on crowded boards of several sizes, with
// squares blocked and the rule switched now and then (both replay the game):
// the state is what the remaining stones and the blocked squares make under
// the rule in force, and the owner of the stone is to move.
TEST(IncrementalUpdate, TakeBacksLeaveThePositionOfTheRemainingStones) {
  std::mt19937 rng(2718);
  for (auto [w, h] : {std::pair{5, 5}, {7, 12}, {15, 15}, {20, 20}}) {
    ASSERT_TRUE(Tessel_SetBoardSize(int16_t(w), int16_t(h)));
    std::vector<std::array<int16_t, 3>> stones;  // x, y, owner in the order put
    std::vector<std::pair<int16_t, int16_t>> blocked;
    for (int step = 0; step < 150; ++step) {
      SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " step " + std::to_string(step));
      const auto x = int16_t(rng() % w), y = int16_t(rng() % h);
      if (rng() % 16 == 0) {  // the side to move stays
        const int16_t mover = Tessel_GetSideToMove();
        const bool free = Tessel_GetSymbol(x, y) == kEmpty;
        if (free) blocked.push_back({x, y});
        ASSERT_EQ(Tessel_BlockSquare(x, y), free);
        if (step % 2) Tessel_SetRule(kRules[rng() % std::size(kRules)]);
        ASSERT_EQ(Tessel_GetSideToMove(), mover);
      } else if (stones.empty() || (rng() % 3 != 0 && !Tessel_BoardFull())) {
        if (Tessel_GetSymbol(x, y) == kEmpty) stones.push_back({x, y, Tessel_GetSideToMove()});
        Tessel_PutSymbol(x, y);
        continue;
      }
      if (stones.empty()) continue;  // a square blocked before the first stone
      const size_t k = rng() % 2 ? stones.size() - 1 : rng() % stones.size();
      const auto [tx, ty, owner] = stones[k];
      ASSERT_TRUE(Tessel_TakeBack(tx, ty));
      stones.erase(stones.begin() + long(k));
      ASSERT_TRUE(Tessel_GetSideToMove() == owner && Tessel_GetSymbol(tx, ty) == kEmpty);
      for (auto [bx, by] : blocked) ASSERT_EQ(Tessel_GetSymbol(bx, by), kBorder);
      uint64_t start = zobristKey;  // the key is checked where stones come and go one by one
      for (auto [sx, sy, sOwner] : stones) {
        ASSERT_EQ(Tessel_GetSymbol(sx, sy), sOwner);
        start ^= sOwner == kPlayer1 ? codePlayer1[SquareIndex(sx, sy)]
                                    : codePlayer2[SquareIndex(sx, sy)];
      }
      ASSERT_EQ(StateFaults(start), "");
    }
  }
  Tessel_SetRule(Rule::kFreestyle);
}

}  // namespace
