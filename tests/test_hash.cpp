// Zobrist codes and the transposition table (off unless a size is set, which
// no command does): when a probe hits and what it sets.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <vector>

#include "engine/tessel.h"
#include "search/hash.h"

namespace {

void NewGame(int32_t tableBytes) {
  Tessel_Initialize();  // the first call sets the defaults
  hashTableSize = tableBytes;
  Tessel_Initialize();
}

// Probes with fresh counters: {flag, alpha, beta, hits, failures}.
using Probed = std::array<int, 5>;
Probed Probe(int16_t ply, int16_t alpha = -5, int16_t beta = 5) {
  nbHTSuccessfulHits = nbHTFailureHits = 0;  // a braced list is evaluated in order
  return {ProbeHash(ply, alpha, beta), alpha, beta, nbHTSuccessfulHits, nbHTFailureHits};
}

TEST(HashTable, IsOffAtSizeZeroAndHitsOnlyTheLastRecordOfAPositionAndSide) {
  Tessel_Initialize();  // size 0 as long as no size was set in this process
  Tessel_PutSymbol(9, 9);
  RecordHash(2, kHashFlagAll, 55);
  EXPECT_EQ(Probe(2), Probed({0, -5, 5, 0, 0}));
  auto items = [](int32_t bytes) { return NewGame(bytes), nbHTItems; };
  EXPECT_EQ(std::vector<int>({items(100), items(15), items(16)}), std::vector<int>({6, 0, 1}));
  NewGame(64 * 16);
  Tessel_PutSymbol(9, 9);
  RecordHash(3, kHashFlagAll, 123);
  EXPECT_EQ(Probe(11), Probed({kHashFlagAll, 123, 5, 1, 0}));  // any ply; "all" sets alpha
  Tessel_SetSideToMove(1);  // the other side on the same stones neither hits nor counts
  EXPECT_EQ(Probe(3), Probed({0, -5, 5, 0, 0}));
  RecordHash(0, kHashFlagCut, -29000);
  EXPECT_EQ(Probe(7), Probed({kHashFlagCut, -5, -29000, 1, 0}));  // "cut" sets beta
  NewGame(16);  // one item: every key shares it, a record replaces another position
  RecordHash(1, kHashFlagAll, 10);
  Tessel_PutSymbol(4, 4);
  RecordHash(2, kHashFlagCut, 20);
  Tessel_TakeBack(4, 4);
  EXPECT_EQ(Probe(1), Probed({0, -5, 5, 0, 1}));
  Tessel_PutSymbol(4, 4);
  EXPECT_EQ(Probe(1), Probed({kHashFlagCut, -5, 20, 1, 0}));
}

// The codes differ from each other and spread over the key: each of its low
// 60 bits, all that four draws of the smallest RAND_MAX (15 bits) reach, is
// set in some code and clear in another. A new game clears the table.
TEST(ZobristKey, CodesAreDistinctAndSpreadAndANewGameClearsTheTable) {
  NewGame(1024);
  std::vector<uint64_t> codes(codePlayer1, codePlayer1 + kBoardCells);
  codes.insert(codes.end(), codePlayer2, codePlayer2 + kBoardCells);
  EXPECT_EQ(std::set<uint64_t>(codes.begin(), codes.end()).size(), codes.size());
  uint64_t setSomewhere = 0, clearSomewhere = 0;
  for (uint64_t code : codes) {
    setSomewhere |= code;
    clearSomewhere |= ~code;
  }
  constexpr uint64_t kLow60 = (uint64_t{1} << 60) - 1;
  EXPECT_EQ(setSomewhere & clearSomewhere & kLow60, kLow60);
  RecordHash(0, kHashFlagAll, 1);
  Tessel_Initialize();
  for (int i = 0; i < nbHTItems; ++i) ASSERT_EQ(pHashItemTable[i].side, 0) << i;
}

}  // namespace
