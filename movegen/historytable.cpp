#include "movegen/historytable.h"

#include <cstdlib>
#include <cstring>

#include "movegen/movegenerator.h"

int16_t useHistoryTable = 0;
int32_t hitCounter[kBoardCells];

void InitializeHistoryTable() {
  if (useHistoryTable == 0) return;
  std::memset(hitCounter, 0, sizeof hitCounter);
}

void RecordHistoryTable(const MoveRecord* move) {
  if (useHistoryTable == 0) return;
  ++hitCounter[move->squareIndex];
}

int sortFunction(const void* a, const void* b) {
  const int32_t hitsA = hitCounter[static_cast<const MoveRecord*>(a)->squareIndex];
  const int32_t hitsB = hitCounter[static_cast<const MoveRecord*>(b)->squareIndex];
  if (hitsA > hitsB) return -1;
  if (hitsA < hitsB) return 1;
  return 0;
}

void SortMoves(MoveBuffer* buffer) {
  if (useHistoryTable == 0) return;
  std::qsort(buffer->moves, static_cast<size_t>(buffer->count), sizeof(MoveRecord), sortFunction);
}
