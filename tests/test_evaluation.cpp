// The pattern and category tables, and the incremental position update checked
// against a from-scratch classification of the board after random games, edge
// play, a full board and threat-rich positions.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/tessel.h"
#include "evaluation/evaluate.h"
#include "movegen/movegenerator.h"
#include "ordering/sort.h"
#include "search/hash.h"
#include "search/search.h"
#include "tests/reference_classifier.h"

namespace {

int16_t At(int x, int y) { return static_cast<int16_t>(x + kPaddedSide * y + kFirstPlayableIndex); }
void PutGameStone(int s) {
  Tessel_PutSymbol(static_cast<int16_t>(s % kPaddedSide - 5),
                   static_cast<int16_t>(s / kPaddedSide - 5));
}
std::string Name(int s) {
  char text[16];
  std::snprintf(text, sizeof text, "(%d,%d)", s % kPaddedSide - 5, s / kPaddedSide - 5);
  return text;
}
int16_t CategoryOf(int player, int s) { return sortSquare[player - 1][s].list->category; }

// Collects one line per difference; empty when everything agrees.
struct Report {
  std::ostringstream out;
  template <class... T>
  void operator()(const T&... parts) {
    (out << ... << parts) << "\n";
  }
  std::string str() const { return out.str().substr(0, 2000); }
};

// Draws Zobrist codes for the test and gives the process its table size back.
struct KeyedGame {
  KeyedGame() {
    Tessel_Initialize();
    saved = hashTableSize;
    hashTableSize = 1 << 12;
    Tessel_Initialize();
    start = zobristKey;
  }
  ~KeyedGame() {
    hashTableSize = saved;
    Tessel_Initialize();
  }
  int32_t saved;
  uint64_t start;
};

// Engine state against the reference classification, and the key against the
// stones on the board.
std::string Mismatches(uint64_t startKey) {
  auto want = std::make_unique<reference::Position>();
  reference::Classify(*want);
  Report r;
  uint64_t stonesKey = 0;
  for (int y = 0; y < kBoardSide; ++y) {
    for (int x = 0; x < kBoardSide; ++x) {
      const int s = At(x, y);
      const reference::SquareExpectation& e = want->at[s];
      for (int p = 1; p <= 2; ++p)
        if (CategoryOf(p, s) != e.category[p - 1])
          r(Name(s), " player ", p, " list ", CategoryOf(p, s), " want ", e.category[p - 1]);
      const int16_t symbol = square[s].symbol;
      stonesKey ^= symbol == kPlayer1 ? codePlayer1[s] : symbol == kPlayer2 ? codePlayer2[s] : 0;
      if (symbol != kEmpty) continue;
      for (int d = 0; d < kNbDirections; ++d)
        if (squarePattern[s][d] != e.pattern[d])
          r(Name(s), " dir ", d, " code ", squarePattern[s][d], " want ", e.pattern[d]);
      if (lineCategoryAllDir[s] != e.lineCategories)
        r(Name(s), " lines ", lineCategoryAllDir[s], " want ", e.lineCategories);
    }
  }
  for (int p = 0; p < 2; ++p)
    for (int c = 0; c < kNbCategoryLists; ++c)
      if (moveCategory[p][c].count != want->listCount[p][c])
        r("player ", p + 1, " list ", c, " count ", moveCategory[p][c].count);
  if (totalValue != want->totalValue) r("totalValue ", totalValue, " want ", want->totalValue);
  if (nbSymbolsPlaced != want->stones) r("nbSymbolsPlaced ", nbSymbolsPlaced);
  if ((zobristKey ^ startKey) != stonesKey) r("zobristKey does not match the stones");
  return r.str();
}

// Every playable node is linked once, in the list it names; border nodes never.
std::string ListFaults() {
  Report r;
  if (CheckConsistency() != 0) r("CheckConsistency reports a count mismatch");
  for (int p = 0; p < 2; ++p) {
    std::vector<int> seen(kBoardCells, 0);
    for (CategoryList& list : moveCategory[p]) {
      int n = 0;
      const SquareNode* prev = nullptr;
      for (const SquareNode* node = list.first; node && n <= kPlayableSquares; node = node->next) {
        if (node->prev != prev || node->list != &list)
          r("list ", list.category, " broken at ", Name(node->squareIndex));
        ++seen[node - sortSquare[p]];
        prev = node;
        ++n;
      }
      if (n != list.count) r("player ", p + 1, " list ", list.category, " walks ", n, " nodes");
    }
    for (int i = 0; i < kBoardCells; ++i) {
      const SquareNode& node = sortSquare[p][i];
      const bool border = square[i].symbol == kBorder;
      if (seen[i] != (border ? 0 : 1))
        r("player ", p + 1, " node ", i, " linked ", seen[i], " times");
      if (node.squareIndex != i || (border && (node.prev || node.next)))
        r("node ", i, " is damaged");
    }
  }
  return r.str();
}

// What a stone and its take-back must restore: `exact` to the bit, lists by
// category, and raisedAt (indexed 2 * square + player - 1) but for known squares.
struct Snapshot {
  std::vector<uint64_t> exact;
  std::vector<int16_t> category, raisedAt;
};

Snapshot Take() {
  Snapshot s;
  for (int i = 0; i < kBoardCells; ++i) {
    s.exact.insert(s.exact.end(), {uint64_t(square[i].symbol), lineCategoryAllDir[i]});
    s.exact.insert(s.exact.end(), squarePattern[i], squarePattern[i] + kNbDirections);
    for (const auto& nodes : sortSquare) {
      s.category.push_back(nodes[i].list->category);
      s.raisedAt.push_back(nodes[i].raisedAt);
    }
  }
  for (const auto& lists : moveCategory)
    for (const CategoryList& list : lists) s.exact.push_back(uint64_t(list.count));
  s.exact.insert(s.exact.end(), {uint64_t(totalValue), zobristKey, uint64_t(nbSymbolsPlaced),
                                 uint64_t(nbUndoSquares)});
  return s;
}

bool Restored(const Snapshot& before, const std::vector<int16_t>& stale) {
  Snapshot now = Take();
  for (int16_t s : stale)
    for (int p = 0; p < 2; ++p) now.raisedAt[2 * s + p] = before.raisedAt[2 * s + p];
  return now.exact == before.exact && now.category == before.category &&
         now.raisedAt == before.raisedAt;
}

// After the n-th stone a node raised to a more urgent list carries n; every
// other node keeps its stamp.
std::string StampFaults(const Snapshot& before) {
  Report r;
  const Snapshot now = Take();
  for (size_t k = 0; k < now.raisedAt.size(); ++k) {
    const int16_t want =
        now.category[k] < before.category[k] ? nbSymbolsPlaced : before.raisedAt[k];
    if (now.raisedAt[k] != want)
      r(Name(int(k / 2)), " player ", k % 2 + 1, " raisedAt ", now.raisedAt[k], " want ", want);
  }
  return r.str();
}

TEST(PatternTables, MasksAndAnchorCodes) {
  Tessel_Initialize();
  using Bits = std::array<uint32_t, 3>;
  auto bits = [](const char* text) {
    Bits b{};
    GetMask(text, b[0], b[1], b[2]);
    return b;
  };
  EXPECT_EQ(bits("x1111_xxxxx"), Bits({0x3FC, 0x154, 0x2A8}));
  EXPECT_EQ(bits("xxx11_11xxx"), Bits({0x3FC0, 0x1540, 0x2A80}));
  EXPECT_EQ(bits("x...._....x"), Bits({0x3FFFC, 0, 0}));
  for (int i = 0; i < kNbPatterns; ++i) {
    EXPECT_STREQ(mask[i].patternText, reference::kPatterns[i].text) << i;
    EXPECT_EQ(mask[i].lineCategory, reference::kPatterns[i].category) << i;
  }
  // Code -> both players' categories, player 2 in the high nibble.
  const std::pair<uint32_t, int> anchors[] = {
      {0, 0x11},    {0x154, 0x09}, {0x2A8, 0x90}, {0x150, 0x08}, {0x950, 0x07},
      {0xFFFFF, 0}, {0xFFC00, 0},  {0x100, 0x04}, {0x4, 0},      {0x1, 0x11}};
  for (auto [code, want] : anchors) {
    EXPECT_EQ(lineCategoryOneDir[code], want) << std::hex << code;
    EXPECT_EQ(GetLineCategoryPlayer1(code), want & 15) << std::hex << code;
    EXPECT_EQ(GetLineCategoryPlayer2(code), want >> 4) << std::hex << code;
  }
}

TEST(PatternTables, LineTableMatchesThePatternsForEveryCode) {
  Tessel_Initialize();
  int bad = 0;
  for (uint32_t code = 0; code < uint32_t(kNbLineCodes) && bad < 5; ++code) {
    const int want = reference::LineCategory(code, 1) | reference::LineCategory(code, 2) << 4;
    if (lineCategoryOneDir[code] != want) {
      ADD_FAILURE() << "code " << std::hex << code << ": " << int{lineCategoryOneDir[code]}
                    << " want " << want;
      ++bad;
    }
  }
  // A new game keeps the large table and rebuilds the small ones identically.
  const std::vector<uint8_t> lines(lineCategoryOneDir, lineCategoryOneDir + kNbLineCodes);
  const std::vector<uint8_t> moves(mcTable, mcTable + kNbMcIndexes);
  const uint32_t lastMask = mask[kNbPatterns - 1].maskBits;
  Tessel_Initialize();
  EXPECT_TRUE(std::equal(lines.begin(), lines.end(), lineCategoryOneDir));
  EXPECT_TRUE(std::equal(moves.begin(), moves.end(), mcTable));
  EXPECT_EQ(mask[kNbPatterns - 1].maskBits, lastMask);
}

TEST(MoveCategories, RulesTableAndWeights) {
  Tessel_Initialize();
  const std::array<int, 5> cases[] = {
      {9, 7, 7, 8, 0},  {7, 7, 8, 0, 1},  {8, 7, 0, 0, 2},  {7, 6, 0, 0, 3},  {7, 5, 5, 0, 3},
      {7, 2, 0, 0, 4},  {7, 1, 1, 1, 5},  {6, 5, 0, 0, 6},  {6, 4, 0, 0, 7},  {5, 3, 0, 0, 7},
      {6, 2, 1, 1, 8},  {5, 1, 1, 1, 9},  {4, 3, 3, 0, 10}, {4, 4, 0, 0, 11}, {4, 2, 1, 0, 12},
      {3, 2, 2, 2, 13}, {2, 2, 2, 2, 14}, {1, 1, 1, 1, 15}, {0, 0, 0, 0, 16}, {6, 2, 2, 2, 8},
      {3, 3, 3, 3, 10}};
  for (const auto& c : cases) {
    std::array<int16_t, 4> a{int16_t(c[0]), int16_t(c[1]), int16_t(c[2]), int16_t(c[3])};
    std::sort(a.begin(), a.end());
    do {
      EXPECT_EQ(GetMoveCategory(a[0], a[1], a[2], a[3]), c[4]) << a[0] << a[1] << a[2] << a[3];
    } while (std::next_permutation(a.begin(), a.end()));
  }
  for (int index = 0; index < kNbMcIndexes; ++index) {
    int f[4];
    for (int d = 0; d < 4; ++d) f[d] = index >> (4 * d) & 15;
    const bool valid = *std::max_element(f, f + 4) <= 9;
    ASSERT_EQ(mcTable[index], valid ? reference::MoveCategory(f) : 0) << std::hex << index;
  }
  EXPECT_EQ(mcTable[0x1111], 15);
  EXPECT_EQ(mcTable[0], 16);
  const int weights[18] = {8216, 4979, 3018, 1829, 1108, 671, 407, 246, 149,
                           90,   54,   33,   20,   12,   7,   4,   2,   1};
  for (int c = 0; c < kNbCategoryLists; ++c) {
    EXPECT_EQ(moveCategory[0][c].weight, weights[c]) << c;
    EXPECT_EQ(moveCategory[1][c].weight, -weights[c]) << c;
    EXPECT_EQ(reference::Weight(c), weights[c]) << c;
  }
}

TEST(IncrementalUpdate, EmptyBoardAndFirstStones) {
  KeyedGame game;
  EXPECT_EQ(Mismatches(game.start), "");
  EXPECT_EQ(ListFaults(), "");
  EXPECT_EQ(nbUndoSquares, 0);
  for (int p = 0; p < 2; ++p) {
    EXPECT_EQ(moveCategory[p][15].count, 336);
    EXPECT_EQ(moveCategory[p][16].count, 64);
  }
  EXPECT_EQ(lineCategoryAllDir[At(0, 5)], 0x01000100u);
  EXPECT_EQ(lineCategoryAllDir[At(0, 0)], 0u);
  EXPECT_EQ(lineCategoryAllDir[At(9, 9)], 0x11111111u);

  const Snapshot empty = Take();
  whoIsOnMove = 1;
  PutSymbol(At(9, 9));
  EXPECT_EQ(nbUndoSquares, 41);
  EXPECT_EQ(totalValue, 216);
  EXPECT_EQ(lineCategoryAllDir[At(10, 9)], 0x11101114u);
  for (auto [dx, dy] : {std::pair{1, 0}, {-1, 1}, {0, 1}, {1, 1}}) {
    for (int k = -5; k <= 5; ++k) {
      const int s = At(9 + k * dx, 9 + k * dy);
      if (k == 0) continue;
      EXPECT_EQ(CategoryOf(1, s), std::abs(k) <= 3 ? 11 + std::abs(k) : 15) << Name(s);
      EXPECT_EQ(CategoryOf(2, s), 15) << Name(s);
    }
  }
  EXPECT_EQ(CategoryOf(1, At(9, 9)), kOccupiedCategory);
  EXPECT_EQ(CategoryOf(2, At(9, 9)), kOccupiedCategory);
  // Neighbours reach the list heads in walking order: the diagonal comes last.
  EXPECT_EQ(moveCategory[0][12].first->squareIndex, At(8, 8));

  // A stone next to another has one empty neighbour fewer.
  whoIsOnMove = 2;
  PutSymbol(At(10, 9));
  EXPECT_EQ(nbUndoSquares, 41 + 40);
  EXPECT_EQ(Mismatches(game.start), "");
  RemoveSymbol();
  RemoveSymbol();
  EXPECT_TRUE(Restored(empty, {At(9, 9), At(10, 9)}));

  PutSymbol(At(0, 0));
  EXPECT_EQ(nbUndoSquares, 16);
  EXPECT_EQ(Mismatches(game.start), "");
}

TEST(IncrementalUpdate, RandomSequencesMatchTheReference) {
  KeyedGame game;
  std::mt19937 rng(90210);
  auto pick = [&](int run) -> int16_t {
    for (int tries = 0; tries < 60; ++tries) {
      int x = int(rng() % 20), y = int(rng() % 20);
      if (run % 4 == 1) x = x < 10 ? x % 3 : 17 + x % 3;  // edge band
      if (run % 4 == 2) x %= 6, y %= 6;                   // crowded corner
      if (run % 4 == 3) x = 6 + x % 7, y = 6 + y % 7;     // crowded centre
      if (square[At(x, y)].symbol == kEmpty) return At(x, y);
    }
    for (int16_t s = 0;; ++s)
      if (square[s].symbol == kEmpty) return s;
  };
  struct Entry {
    int16_t square;
    Snapshot before;
    std::vector<int16_t> stale;  // squares whose own stamps need not come back
  };
  for (int run = 0; run < 8; ++run) {
    Tessel_Initialize();
    const uint64_t start = zobristKey;
    for (int i = 0; i < 6; ++i) PutGameStone(pick(run));  // never taken back
    std::vector<Entry> stack;
    for (int step = 0; step < 200; ++step) {
      SCOPED_TRACE("run " + std::to_string(run) + " step " + std::to_string(step));
      if (!stack.empty() && (rng() % 3 == 0 || stack.size() > 60)) {
        Entry top = std::move(stack.back());
        stack.pop_back();
        RemoveSymbol();
        whoIsOnMove = int16_t(3 - whoIsOnMove);
        top.stale.push_back(top.square);
        ASSERT_TRUE(Restored(top.before, top.stale)) << "take-back of " << Name(top.square);
        if (!stack.empty())
          stack.back().stale.insert(stack.back().stale.end(), top.stale.begin(), top.stale.end());
      } else {
        Entry e{pick(run), Take(), {}};
        PutSymbol(e.square);
        ASSERT_EQ(StampFaults(e.before), "") << "stone " << Name(e.square);
        whoIsOnMove = int16_t(3 - whoIsOnMove);
        stack.push_back(std::move(e));
      }
      if (step % 4 == 0) {
        ASSERT_EQ(Mismatches(start), "");
        ASSERT_EQ(ListFaults(), "");
      }
    }
  }
}

TEST(IncrementalUpdate, FullBoardFitsTheUndoStack) {
  KeyedGame game;
  // Colours in stripes ((x + 2y) mod 4 < 2 for player 1) hold at most two in a
  // row on every line, so no single stone completes five anywhere.
  std::vector<int16_t> stripes[2], order;
  for (int y = 0; y < kBoardSide; ++y)
    for (int x = 0; x < kBoardSide; ++x) stripes[(x + 2 * y) % 4 / 2].push_back(At(x, y));
  std::mt19937 rng(7);
  for (auto& stripe : stripes) std::shuffle(stripe.begin(), stripe.end(), rng);
  for (int i = 0; i < kPlayableSquares / 2; ++i)
    order.insert(order.end(), {stripes[0][i], stripes[1][i]});
  for (int i = 0; i < 370; ++i) PutGameStone(order[i]);
  ASSERT_EQ(Mismatches(game.start), "");

  // Thirty search plies fill the rest of the board.
  for (int ply = 0; ply < kMaxPly; ++ply) {
    pMoveBuffer->count = 0;
    InsertToMoveBuffer(order[370 + ply], 0);
    ASSERT_NE(GetFirstMove(), nullptr);
    MakeMove();
  }
  EXPECT_TRUE(Tessel_BoardFull());
  // Each pair of squares at most five apart on a line is recorded once, by
  // whichever of its stones came first; plus one marker per stone.
  int pairs = 0;
  for (int y = 0; y < kBoardSide; ++y)
    for (int x = 0; x < kBoardSide; ++x)
      for (auto [dx, dy] : {std::pair{1, 0}, {0, 1}, {1, 1}, {1, -1}})
        for (int k = 1; k <= 5; ++k)
          pairs += x + k * dx < kBoardSide && unsigned(y + k * dy) < unsigned(kBoardSide);
  EXPECT_EQ(pairs, 6310);
  EXPECT_EQ(nbUndoSquares, kPlayableSquares + pairs);
  EXPECT_EQ(Mismatches(game.start), "");
  for (int ply = 0; ply < kMaxPly; ++ply) UnmakeMove();
  EXPECT_EQ(nbMoveBuffers, 1);
  EXPECT_EQ(whoIsOnMove, 1);
  EXPECT_EQ(Mismatches(game.start), "");

  // A short search with a handful of squares left leaves the position intact.
  for (int i = 370; i < 395; ++i) PutGameStone(order[i]);
  Snapshot before = Take();
  Tessel_Search(4, 0, 1);
  EXPECT_GT(nbExaminedMoves, 0);
  EXPECT_EQ(nbMoveBuffers, 1);
  EXPECT_EQ(Mismatches(game.start), "");
  EXPECT_EQ(ListFaults(), "");
  Snapshot after = Take();
  EXPECT_EQ(after.exact, before.exact);
  EXPECT_EQ(after.category, before.category);
}

TEST(IncrementalUpdate, TotalValueIsExactBeyondSixteenBits) {
  KeyedGame game;
  for (int16_t player : {kPlayer1, kPlayer2}) {
    whoIsOnMove = player;
    // Ten open fours of one player: twenty squares that make five.
    for (int y = 1; y < kBoardSide; y += 4)
      for (int x0 : {2, 12})
        for (int x = x0; x < x0 + 4; ++x) PutSymbol(At(x, y));
    EXPECT_EQ(Mismatches(game.start), "");
    EXPECT_GE(moveCategory[player - 1][kFiveCategory].count, 20);
    EXPECT_GT(player == kPlayer1 ? totalValue : -totalValue, 32767);
    while (nbSymbolsPlaced > 0) RemoveSymbol();
    EXPECT_EQ(totalValue, 0);
  }
}

}  // namespace
