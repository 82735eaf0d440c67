// The move stack, the history ordering and the two move generators, checked
// on hand-built positions whose category lists are known square by square.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "engine/tessel.h"
#include "evaluation/evaluate.h"
#include "movegen/movegenerator.h"
#include "ordering/sort.h"
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

std::vector<int16_t> Squares() {
  std::vector<int16_t> v;
  for (int i = 0; i < pMoveBuffer->count; ++i) v.push_back(pMoveBuffer->moves[i].squareIndex);
  return v;
}

// The buffer must hold the groups one after the other, each in any order.
struct Group {
  Stones squares;
  int16_t attacking;
};
void ExpectBuffer(const std::vector<Group>& groups, int16_t value, int16_t vct) {
  int i = 0;
  for (const Group& g : groups) {
    std::set<int16_t> want, got;
    for (Stone s : g.squares) want.insert(Sq(s));
    for (size_t j = 0; j < g.squares.size() && i < pMoveBuffer->count; ++j, ++i) {
      const MoveRecord& m = pMoveBuffer->moves[i];
      got.insert(m.squareIndex);
      EXPECT_TRUE(m.attacking == g.attacking && m.value == value && m.vctMove == vct &&
                  m.player == whoIsOnMove)
          << "move " << i;
    }
    EXPECT_EQ(got, want) << "group ending at move " << i;
  }
  EXPECT_EQ(pMoveBuffer->count, i);
}

const Stones kFour5 = {{5, 5}, {6, 5}, {7, 5}, {8, 5}};       // fives at (4,5), (9,5)
const Stones kFour10 = {{5, 10}, {6, 10}, {7, 10}, {8, 10}};  // fives at (4,10), (9,10)
// Open fours at (6,7), (10,7), fours at (5,7), (11,7).
const Stones kOpenThree = {{7, 7}, {8, 7}, {9, 7}};
const Stones kEdgeThree = {{0, 5}, {1, 5}, {2, 5}};  // fours (3,5), (4,5), no open end
const Stones kOpenThree10 = {{7, 10}, {8, 10}, {9, 10}};
const Stones kQuiet = {{10, 10}, {11, 10}, {9, 13}};
// Fours (3,12), (4,12) against the edge; open threes at (11,15), (14,15) and
// split threes at (10,15), (15,15).
const Stones kClosedThreeAndTwo = {{0, 12}, {1, 12}, {2, 12}, {12, 15}, {13, 15}};

TEST(MoveStack, AppendWalkMakeUnmakeAndBestLine) {
  Tessel_Initialize();
  EXPECT_TRUE(nbMoveBuffers == 1 && pMoveBuffer == moveBuffer);
  EXPECT_EQ(resultMoveBuffer.count + resultMoveBuffer.bestLineLength, 0);
  EXPECT_EQ(GetFirstMove(), nullptr);
  EXPECT_EQ(pMoveBuffer->current, -1);
  EXPECT_EQ(GetNextMove(), nullptr);

  // A full buffer drops further squares, but a take still counts them.
  vctMove = 1;
  vctCauseSquareP1 = vctCauseSquareP2 = 0;
  for (int i = 0; i < 19; ++i) InsertToMoveBuffer(Sq({i, 0}), static_cast<int16_t>(i % 2));
  const CategoryList& open = moveCategory[0][kOpenSingleCategory];
  EXPECT_EQ(TakeMoveCategory(kOpenSingleCategory, 1), open.count);
  InsertToMoveBuffer(Sq({9, 9}), 1);
  ASSERT_EQ(pMoveBuffer->count, kMaxMovesPerBuffer);
  EXPECT_EQ(pMoveBuffer->moves[19].squareIndex, open.first->squareIndex);
  const MoveRecord& m3 = pMoveBuffer->moves[3];
  EXPECT_TRUE(m3.player == 1 && m3.attacking == 1 && m3.vctMove == 1 && m3.value == 0);

  // Make and unmake restore the position and the stack, counting one move.
  pMoveBuffer->count = 0;
  InsertToMoveBuffer(Sq({9, 9}), 1);
  const int32_t total = totalValue, undo = nbUndoSquares,
                p2Open = moveCategory[1][kOpenSingleCategory].count;
  const uint64_t key = zobristKey;
  MoveRecord* m = GetFirstMove();
  MakeMove();
  EXPECT_TRUE(square[Sq({9, 9})].symbol == 1 && whoIsOnMove == 2 && pMoveBuffer == moveBuffer + 1);
  UnmakeMove();
  EXPECT_TRUE(square[Sq({9, 9})].symbol == 0 && whoIsOnMove == 1 && nbMoveBuffers == 1 &&
              pMoveBuffer == moveBuffer);
  EXPECT_TRUE(totalValue == total && zobristKey == key && nbUndoSquares == undo &&
              nbSymbolsPlaced == 0);
  EXPECT_EQ(moveCategory[1][kOpenSingleCategory].count, p2Open);
  EXPECT_EQ(m->nbExaminedAfter - m->nbExaminedBefore, 1);

  // UpdateBestLine writes the entry of its ply only.
  pMoveBuffer->bestLine[2].squareIndex = 77;
  pMoveBuffer->bestLineLength = 0;
  const MoveRecord best{2, Sq({4, 4}), -12, 1, 1, 3, 9};
  UpdateBestLine(3, &best);
  const MoveRecord& e = pMoveBuffer->bestLine[3];
  EXPECT_TRUE(pMoveBuffer->bestLineLength == 1 && pMoveBuffer->bestLine[2].squareIndex == 77);
  EXPECT_TRUE(e.player == 2 && e.squareIndex == best.squareIndex && e.value == -12 &&
              e.attacking == 1 && e.vctMove == 1 && e.nbExaminedBefore == 3 &&
              e.nbExaminedAfter == 9);

  // After an attacking move only the mover's mark becomes the stone count.
  Tessel_PutSymbol(3, 3);  // one stone, player 2 to move
  int16_t c1 = 0, c2 = 0;
  UpdateCauseSquare(0, 4, 7, &c1, &c2);
  EXPECT_TRUE(c1 == 4 && c2 == 7);
  UpdateCauseSquare(1, 4, 7, &c1, &c2);
  EXPECT_TRUE(c1 == 1 && c2 == 7);
  whoIsOnMove = 1;
  UpdateCauseSquare(1, 4, 7, &c1, &c2);
  EXPECT_TRUE(c1 == 4 && c2 == 1);
}

TEST(HistoryTable, OrdersByCutoffsOnlyWhenSwitchedOn) {
  Tessel_Initialize();
  const int16_t s1 = Sq({3, 3}), s2 = Sq({4, 4}), s3 = Sq({5, 5});
  auto sortFilled = [&] {
    pMoveBuffer->count = 0;
    for (int16_t s : {s2, s3, s1}) InsertToMoveBuffer(s, 1);
    SortMoves(pMoveBuffer);
    return Squares();
  };
  MoveRecord r1{}, r2{};
  r1.squareIndex = s1;
  r2.squareIndex = s2;
  RecordHistoryTable(&r1);
  EXPECT_EQ(hitCounter[s1], 0);
  EXPECT_EQ(sortFilled(), (std::vector<int16_t>{s2, s3, s1}));

  struct On {
    On() {
      useHistoryTable = 1;
      InitializeHistoryTable();
    }
    ~On() {
      InitializeHistoryTable();
      useHistoryTable = 0;
    }
  } on;
  for (const MoveRecord* r : {&r1, &r1, &r1, &r2}) RecordHistoryTable(r);
  EXPECT_EQ(sortFilled(), (std::vector<int16_t>{s1, s2, s3}));

  // The generator sorts quiet candidates but not the answers to an open four.
  Build(kQuiet, {}, 1);
  GenerateMoves();
  const int16_t last = Squares().back();
  hitCounter[last] = 5;
  GenerateMoves();
  EXPECT_EQ(Squares().front(), last);
  Build(kEdgeThree, kOpenThree10, 1);
  GenerateMoves();
  const std::vector<int16_t> forced = Squares();
  hitCounter[forced.back()] = 5;
  GenerateMoves();
  EXPECT_EQ(Squares(), forced);
}

TEST(GenerateMoves, TakesTheListsInOrderOfUrgency) {
  struct Case {
    const char* name;
    Stones p1, p2;
    int toMove;
    std::vector<Group> groups;
    int16_t value;
  };
  // clang-format off
  const Case cases[] = {
      {"own fives, though the opponent has some", kFour5, kFour10, 1,
       {{{{4, 5}, {9, 5}}, 1}}, 30000},
      {"both fives of the opponent blocked", kFour5, {}, 2, {{{{4, 5}, {9, 5}}, 0}}, 0},
      {"own open fours alone", kOpenThree, {}, 1, {{{{6, 7}, {10, 7}}, 1}}, 0},
      {"own fours, then the opponent's open fours and fours", kEdgeThree, kOpenThree10, 1,
       {{{{3, 5}, {4, 5}}, 1}, {{{6, 10}, {10, 10}}, 0}, {{{5, 10}, {11, 10}}, 0}}, 0},
      {"open three, triple two, split three, double two", kQuiet, {}, 1,
       {{{{9, 10}, {12, 10}}, 1}, {{{11, 11}}, 1}, {{{8, 10}, {13, 10}}, 1},
        {{{10, 9}, {11, 9}, {9, 11}, {10, 11}, {8, 12}, {9, 12}, {10, 12}}, 1}}, 0},
      {"the opponent's split twos, then its wide twos", {{19, 0}, {19, 19}}, {{1, 1}, {0, 19}}, 1,
       {{{{3, 1}, {1, 3}, {3, 3}}, 0}, {{{4, 1}, {1, 4}, {4, 4}}, 0}}, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Build(c.p1, c.p2, c.toMove);
    vctMove = 1;
    vctCauseSquareP1 = vctCauseSquareP2 = 99;  // would hide every node unless reset
    const int32_t generations = nbMoveGenerations;
    GenerateMoves();
    EXPECT_EQ(nbMoveGenerations, generations + 1);
    EXPECT_EQ(vctMove | vctCauseSquareP1 | vctCauseSquareP2, 0);
    ExpectBuffer(c.groups, c.value, 0);
  }
  // 32 open-two squares: the first twenty in list order.
  Build({{5, 5}, {14, 5}, {5, 14}, {14, 14}}, {}, 1);
  GenerateMoves();
  ASSERT_EQ(pMoveBuffer->count, kMaxMovesPerBuffer);
  const SquareNode* node = moveCategory[0][12].first;
  for (int i = 0; i < kMaxMovesPerBuffer && node; ++i, node = node->next)
    EXPECT_EQ(pMoveBuffer->moves[i].squareIndex, node->squareIndex) << i;
}

TEST(GenerateMoves, FallsBackOnOneEmptySquare) {
  Tessel_Initialize();
  std::set<int16_t> drawn;
  for (int i = 0; i < 40; ++i) {
    GenerateMoves();
    ASSERT_EQ(pMoveBuffer->count, 1);
    const MoveRecord& m = pMoveBuffer->moves[0];
    const int x = m.squareIndex % 30 - 5, y = m.squareIndex / 30 - 5;
    EXPECT_TRUE(x >= 5 && x <= 14 && y >= 5 && y <= 14 && m.attacking == 0 && m.value == 0)
        << x << "," << y;
    drawn.insert(m.squareIndex);
  }
  EXPECT_GT(drawn.size(), 1u);  // every call draws anew

  // A board tiled without three in a row, with two isolated holes: no empty
  // square has a line, and the fallback must still name an empty square.
  Stones p1, p2;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      if ((x != 10 || y != 10) && (x != 2 || y != 17))
        ((x + 2 * y) % 4 < 2 ? p1 : p2).push_back({x, y});
  Build(p1, p2, 1);
  for (int16_t c = 0; c < kOpenSingleCategory; ++c)
    ASSERT_EQ(moveCategory[0][c].count + moveCategory[1][c].count, 0);
  GenerateMoves();
  EXPECT_EQ(Squares(), std::vector<int16_t>{Sq({10, 10})});
  EXPECT_FALSE(Tessel_BoardFull());
  Tessel_PutSymbol(2, 17);
  Tessel_PutSymbol(10, 10);
  EXPECT_TRUE(Tessel_BoardFull());
  GenerateMoves();
  EXPECT_EQ(pMoveBuffer->count, 0);
}

TEST(VctGenerateMoves, ThreatsForTheAttackerAnswersForTheDefender) {
  // Player 1's open three (4..6,6) is older than the one at (10..12,12), whose last stone is
  // number 11.
  const Stones twoThrees = {{4, 6}, {5, 6}, {6, 6}, {10, 12}, {11, 12}, {12, 12}};
  const Group p2Fours{{{3, 12}, {4, 12}}, 1};
  struct Case {
    const char* name;
    Stones p1, p2;
    int toMove, attacker, mark1, narrow;
    std::vector<Group> groups;
    int16_t value;
  };
  const Stones& p2Threes = kClosedThreeAndTwo;
  // clang-format off
  const Case cases[] = {
      {"own fives score 30000, for the defender too", kFour5, kFour10, 1, 2, 0, 0,
       {{{{4, 5}, {9, 5}}, 1}}, 30000},
      {"fives are blocked before the attacker's fours", kFour5, p2Threes, 2, 2, 0, 0,
       {{{{4, 5}, {9, 5}}, 0}}, 0},
      {"fives are blocked before the defender's fours", kFour5, p2Threes, 2, 1, 0, 0,
       {{{{4, 5}, {9, 5}}, 0}}, 0},
      {"marks of 0 pass every node", twoThrees, {}, 1, 1, 0, 0,
       {{{{3, 6}, {7, 6}, {9, 12}, {13, 12}}, 1}}, 0},
      {"a mark passes what the latest stones raised", twoThrees, {}, 1, 1, 11, 0,
       {{{{9, 12}, {13, 12}}, 1}}, 0},
      {"a mark above every node passes nothing", twoThrees, {}, 1, 1, 12, 0, {}, 0},
      {"an attacker facing an open three keeps its fours", kOpenThree, p2Threes, 2, 2, 0, 0,
       {p2Fours}, 0},
      {"the defender counters with fours and blocks the fours", kOpenThree, p2Threes, 2, 1, 0, 0,
       {p2Fours, {{{6, 7}, {10, 7}}, 0}, {{{5, 7}, {11, 7}}, 0}}, 0},
      {"a narrowed defender only blocks fives", kOpenThree, p2Threes, 2, 1, 0, 1, {}, 0},
      {"a free attacker adds its threes after its fours", {}, p2Threes, 2, 2, 0, 0,
       {p2Fours, {{{11, 15}, {14, 15}}, 1}, {{{10, 15}, {15, 15}}, 1}}, 0},
      {"a narrowed attacker plays fours only", {}, p2Threes, 2, 2, 0, 1, {p2Fours}, 0},
      {"an unthreatened defender has its fours only", {}, p2Threes, 2, 1, 0, 0, {p2Fours}, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Build(c.p1, c.p2, c.toMove);
    VctGenerateMoves(static_cast<int16_t>(c.attacker), static_cast<int16_t>(c.mark1), 0,
                     static_cast<int16_t>(c.narrow));
    EXPECT_EQ(vctMove, 1);
    ExpectBuffer(c.groups, c.value, 1);
  }
  Build(twoThrees, {}, 1);
  vctCauseSquareP1 = 11;
  EXPECT_EQ(TakeMoveCategory(2, 1), 2);  // nodes below the mark are not counted

  // Rows of stones on every other square: 27 four squares for player 1.
  Stones p1, p2;
  for (int x = 0; x < 20; x += 2)
    for (int y : {4, 10, 16}) {
      p1.push_back({x, y});
      p2.push_back({x, y + 3});
    }
  Build(p1, p2, 1);
  VctGenerateMoves(1, 0, 0, 0);
  ASSERT_EQ(pMoveBuffer->count, kMaxMovesPerBuffer);
  for (int i = 0; i < kMaxMovesPerBuffer; ++i)
    EXPECT_EQ(sortSquare[0][pMoveBuffer->moves[i].squareIndex].list->category, 5);
  EXPECT_EQ(TakeMoveCategory(5, 1), 27);
  EXPECT_EQ(pMoveBuffer->count, kMaxMovesPerBuffer);
}

}  // namespace
