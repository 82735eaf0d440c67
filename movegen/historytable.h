// History heuristic: per-square counts of cut-off moves, by which the move
// generator orders its buffers. Everything is a no-op while useHistoryTable
// is 0.
#pragma once

#include <cstdint>

#include "board/board.h"

extern int16_t useHistoryTable;
extern int32_t hitCounter[kBoardCells];

void InitializeHistoryTable();
// Counts a cut-off by the move on the square index.
void RecordHistoryTable(int16_t squareIndex);
