// Zobrist codes and the transposition table: when a probe hits and what it sets.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <set>
#include <vector>

#include "engine/tessel.h"
#include "evaluation/evaluate.h"
#include "search/hash.h"
#include "search/search.h"

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
  const uint64_t start = zobristKey;
  Tessel_PutSymbol(9, 9);
  Tessel_PutSymbol(10, 9);
  RecordHash(2, kHashFlagAll, 55);
  EXPECT_TRUE(hashTableSize == 0 && nbHTItems == 0 && zobristKey == start);
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
  const int16_t s = kFirstPlayableIndex + 4 * kPaddedSide + 4;
  RecordHash(1, kHashFlagAll, 10);
  PutSymbol(s);
  RecordHash(2, kHashFlagCut, 20);
  RemoveSymbol();
  EXPECT_EQ(Probe(1), Probed({0, -5, 5, 0, 1}));
  PutSymbol(s);
  EXPECT_EQ(Probe(1), Probed({kHashFlagCut, -5, 20, 1, 0}));
}

TEST(ZobristKey, CodesAreDistinctAndKeptTillTheItemCountChanges) {
  NewGame(1024);
  std::vector<uint64_t> codes(codePlayer1, codePlayer1 + kBoardCells);
  codes.insert(codes.end(), codePlayer2, codePlayer2 + kBoardCells);
  EXPECT_EQ(std::set<uint64_t>(codes.begin(), codes.end()).size(), codes.size());
  const uint64_t start = zobristKey;
  RecordHash(0, kHashFlagAll, 1);
  Tessel_Initialize();  // same size: same codes, a new start key, a cleared table
  EXPECT_NE(zobristKey, start);
  EXPECT_TRUE(std::equal(codePlayer2, codePlayer2 + kBoardCells, codes.begin() + kBoardCells));
  for (int i = 0; i < nbHTItems; ++i) ASSERT_EQ(pHashItemTable[i].side, 0) << i;
  NewGame(2048);
  EXPECT_FALSE(std::equal(codePlayer1, codePlayer1 + kBoardCells, codes.begin()));
  // The codes spread over the key: each of its low 60 bits, all that four
  // draws of the smallest RAND_MAX (15 bits) reach, is set in some code and
  // clear in another.
  uint64_t setSomewhere = 0, clearSomewhere = 0;
  for (uint64_t code : codes) {
    setSomewhere |= code;
    clearSomewhere |= ~code;
  }
  constexpr uint64_t kLow60 = (uint64_t{1} << 60) - 1;
  EXPECT_EQ(setSomewhere & clearSomewhere & kLow60, kLow60);
}

}  // namespace
