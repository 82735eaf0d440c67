// Zobrist keys and the transposition table: what a record stores, when a
// probe hits, and how the key follows the stones.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "engine/tessel.h"
#include "evaluation/evaluate.h"
#include "search/hash.h"
#include "search/search.h"

namespace {

// Sets a table size for one test and gives the process its old size back.
struct TableSize {
  explicit TableSize(int32_t bytes) {
    Tessel_Initialize();  // the first call sets the defaults
    saved = hashTableSize;
    hashTableSize = bytes;
    Tessel_Initialize();
  }
  ~TableSize() {
    hashTableSize = saved;
    Tessel_Initialize();
  }
  int32_t saved;
};

int16_t At(int x, int y) { return static_cast<int16_t>(x + kPaddedSide * y + kFirstPlayableIndex); }

int16_t Probe(int16_t ply, int16_t& alpha, int16_t& beta) {
  nbHTSuccessfulHits = nbHTFailureHits = 0;
  return ProbeHash(ply, alpha, beta);
}

// Defined first: codes are only still zero if no size was set before in this
// process.
TEST(HashTable, SizeZeroIsSwitchedOff) {
  Tessel_Initialize();
  ASSERT_EQ(hashTableSize, 0);
  EXPECT_EQ(nbHTItems, 0);
  for (int i = 0; i < kBoardCells; ++i) ASSERT_EQ(codePlayer1[i] | codePlayer2[i], 0u) << i;
  const uint64_t start = zobristKey;
  Tessel_PutSymbol(9, 9);
  Tessel_PutSymbol(10, 9);
  EXPECT_EQ(zobristKey, start);
  RecordHash(2, kHashFlagAll, 55);
  int16_t alpha = -3, beta = 3;
  EXPECT_EQ(Probe(2, alpha, beta), 0);
  EXPECT_EQ(alpha, -3);
  EXPECT_EQ(beta, 3);
  EXPECT_EQ(nbHTSuccessfulHits + nbHTFailureHits, 0);
}

TEST(HashTable, RecordsAndProbes) {
  for (auto [bytes, items] : {std::pair{100, 6}, {15, 0}, {16, 1}}) {
    TableSize table(bytes);
    EXPECT_EQ(nbHTItems, items) << bytes << " bytes";
  }
  TableSize table(64 * 16);
  Tessel_PutSymbol(9, 9);
  Tessel_PutSymbol(10, 10);
  RecordHash(3, kHashFlagAll, 123);
  const HashItem& item = pHashItemTable[zobristKey % uint64_t(nbHTItems)];
  EXPECT_EQ(item.key, zobristKey);
  EXPECT_EQ(item.ply, 3);
  EXPECT_EQ(item.value, 123);
  EXPECT_EQ(item.flag, kHashFlagAll);
  EXPECT_EQ(item.side, 1);

  // Any ply hits; "all" sets alpha only.
  int16_t alpha = -5, beta = 5;
  EXPECT_EQ(Probe(11, alpha, beta), kHashFlagAll);
  EXPECT_EQ(alpha, 123);
  EXPECT_EQ(beta, 5);
  EXPECT_EQ(nbHTSuccessfulHits, 1);
  // The other side to move on the same stones neither hits nor counts.
  whoIsOnMove = 2;
  alpha = -5;
  EXPECT_EQ(Probe(3, alpha, beta), 0);
  EXPECT_EQ(alpha, -5);
  EXPECT_EQ(nbHTSuccessfulHits + nbHTFailureHits, 0);
  // "cut" sets beta only; negative values survive.
  RecordHash(0, kHashFlagCut, -29000);
  EXPECT_EQ(Probe(7, alpha, beta), kHashFlagCut);
  EXPECT_EQ(alpha, -5);
  EXPECT_EQ(beta, -29000);
  // Another position misses and counts a failure.
  Tessel_PutSymbol(0, 0);
  EXPECT_EQ(Probe(0, alpha, beta), 0);
  EXPECT_EQ(nbHTFailureHits, 1);
}

TEST(HashTable, RecordOverwritesAnotherPositionInItsSlot) {
  TableSize table(16);  // one item: every key shares it
  whoIsOnMove = 1;
  RecordHash(1, kHashFlagAll, 10);
  PutSymbol(At(4, 4));
  RecordHash(2, kHashFlagCut, 20);
  RemoveSymbol();
  int16_t alpha = 0, beta = 0;
  EXPECT_EQ(Probe(1, alpha, beta), 0);
  EXPECT_EQ(nbHTFailureHits, 1);
  PutSymbol(At(4, 4));
  EXPECT_EQ(Probe(1, alpha, beta), kHashFlagCut);
  EXPECT_EQ(beta, 20);
}

TEST(ZobristKey, DependsOnlyOnTheStonesAndNewGamesKeepCodes) {
  TableSize table(1024);
  std::set<uint64_t> distinct(codePlayer1, codePlayer1 + kBoardCells);
  distinct.insert(codePlayer2, codePlayer2 + kBoardCells);
  EXPECT_EQ(distinct.size(), 2u * kBoardCells);
  const std::vector<uint64_t> codes(codePlayer1, codePlayer1 + kBoardCells);

  const uint64_t start1 = zobristKey;
  for (auto [x, y] : {std::pair{3, 3}, {12, 7}, {19, 0}}) Tessel_PutSymbol(x, y);
  const uint64_t stones1 = zobristKey ^ start1;
  RecordHash(0, kHashFlagAll, 1);

  // A new game with the same size: same codes, new start key, cleared table.
  Tessel_Initialize();
  const uint64_t start2 = zobristKey;
  EXPECT_NE(start2, start1);
  EXPECT_TRUE(std::equal(codes.begin(), codes.end(), codePlayer1));
  for (int i = 0; i < nbHTItems; ++i) ASSERT_EQ(pHashItemTable[i].side, 0) << i;
  // The same stones of the same colours in another order.
  for (auto [x, y] : {std::pair{19, 0}, {12, 7}, {3, 3}}) Tessel_PutSymbol(x, y);
  EXPECT_EQ(zobristKey ^ start2, stones1);
  const uint64_t before = zobristKey;
  PutSymbol(At(8, 8));
  EXPECT_NE(zobristKey, before);
  RemoveSymbol();
  EXPECT_EQ(zobristKey, before);

  // A changed item count draws new codes.
  hashTableSize = 2048;
  InitializeHashTable();
  EXPECT_FALSE(std::equal(codes.begin(), codes.end(), codePlayer1));
}

TEST(ZobristKey, Rand64WidensBeforeShifting) {
  srand(4242);
  uint64_t parts[4];
  for (uint64_t& part : parts) part = static_cast<uint64_t>(rand());
  srand(4242);
  EXPECT_EQ(rand64(), parts[0] ^ (parts[1] << 15) ^ (parts[2] << 30) ^ (parts[3] << 45));
  srand(1);  // back to the sequence of an unseeded generator
}

}  // namespace
