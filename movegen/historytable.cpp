#include "movegen/historytable.h"

#include <cstring>

int16_t useHistoryTable = 0;
int32_t hitCounter[kBoardCells];

void InitializeHistoryTable() {
  if (useHistoryTable == 0) return;
  std::memset(hitCounter, 0, sizeof hitCounter);
}

void RecordHistoryTable(int16_t squareIndex) {
  if (useHistoryTable == 0) return;
  ++hitCounter[squareIndex];
}
