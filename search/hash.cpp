#include "search/hash.h"

#include <cstdlib>
#include <cstring>


int32_t hashTableSize = 0;
int32_t nbHTItems = 0;
int32_t nbHTSuccessfulHits = 0;
int32_t nbHTFailureHits = 0;
HashItem* pHashItemTable = nullptr;

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

void InitializeHashTable() {
  const uint32_t items = static_cast<uint32_t>(hashTableSize) / kItemBytes;
  if (items != static_cast<uint32_t>(nbHTItems)) {
    ReallocateTable(items);
    DrawZobristCodes();
  }
  DrawStartKey();
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
