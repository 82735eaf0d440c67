// History heuristic: per-square counts of cut-off moves, and the ordering of
// a move buffer by them. Everything is a no-op while useHistoryTable is 0.
#pragma once

#include <cstdint>

#include "board/board.h"

struct MoveRecord;
struct MoveBuffer;

extern int16_t useHistoryTable;
extern int32_t hitCounter[kBoardCells];

void InitializeHistoryTable();
void RecordHistoryTable(const MoveRecord* move);
void SortMoves(MoveBuffer* buffer);
// qsort comparator: descending order of the squares' counters.
int sortFunction(const void* a, const void* b);
