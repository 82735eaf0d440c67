#include "search/hash.h"

#include <cstdlib>
#include <cstring>

#include "search/search.h"

int32_t hashTableSize = 0;
int32_t nbHTItems = 0;
HashItem* pHashItemTable = nullptr;
uint64_t zobristKey = 0;
uint64_t codePlayer1[kBoardCells];
uint64_t codePlayer2[kBoardCells];

namespace {

constexpr uint32_t kItemBytes = sizeof(HashItem);

HashItem& ItemOfCurrentKey() { return pHashItemTable[zobristKey % static_cast<uint32_t>(nbHTItems)]; }

void ReallocateTable(uint32_t items) {
  std::free(pHashItemTable);
  pHashItemTable = nullptr;
  nbHTItems = static_cast<int32_t>(items);
  if (items == 0) return;
  pHashItemTable = static_cast<HashItem*>(std::malloc(static_cast<uint32_t>(hashTableSize)));
  // Without memory the table is simply off.
  if (pHashItemTable == nullptr) nbHTItems = 0;
}

}  // namespace

// rand gives at least 15 random bits on every C library (RAND_MAX is at least
// 32767), so four draws shifted by 15 fill 60 bits and more.
constexpr int kRandBits = 15;

uint64_t rand64() {
  const auto a = static_cast<uint64_t>(std::rand());
  const auto b = static_cast<uint64_t>(std::rand());
  const auto c = static_cast<uint64_t>(std::rand());
  const auto d = static_cast<uint64_t>(std::rand());
  return a ^ (b << kRandBits) ^ (c << (2 * kRandBits)) ^ (d << (3 * kRandBits));
}

void InitializeHashTable() {
  const uint32_t items = static_cast<uint32_t>(hashTableSize) / kItemBytes;
  if (items != static_cast<uint32_t>(nbHTItems)) {
    ReallocateTable(items);
    for (int i = 0; i < kBoardCells; ++i) {
      codePlayer1[i] = rand64();
      codePlayer2[i] = rand64();
    }
  }
  zobristKey = rand64();
  if (nbHTItems > 0) std::memset(pHashItemTable, 0, static_cast<size_t>(nbHTItems) * kItemBytes);
}

void RecordHash(int16_t ply, int16_t flag, int16_t value) {
  if (nbHTItems == 0) return;
  HashItem& item = ItemOfCurrentKey();
  item.key = zobristKey;
  item.ply = ply;
  item.value = value;
  item.flag = static_cast<uint8_t>(flag);
  item.side = static_cast<uint8_t>(whoIsOnMove);
}

int16_t ProbeHash(int16_t /*ply*/, int16_t& alpha, int16_t& beta) {
  if (nbHTItems == 0) return 0;
  const HashItem& item = ItemOfCurrentKey();
  if (item.key != zobristKey) {
    ++nbHTFailureHits;
    return 0;
  }
  // Items of any ply count; only the side to move must agree.
  if (item.side != whoIsOnMove) return 0;
  ++nbHTSuccessfulHits;
  if (item.flag == kHashFlagAll) {
    alpha = item.value;
    return kHashFlagAll;
  }
  if (item.flag == kHashFlagCut) {
    beta = item.value;
    return kHashFlagCut;
  }
  return 0;
}
