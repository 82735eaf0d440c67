// Coverage-guided fuzzing of the command stream: arbitrary bytes go through
// the real line reader, dispatcher and handlers, and after every command the
// engine's position must still be coherent.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/tessel.h"
#include "board/board.h"
#include "evaluation/evaluate.h"
#include "movegen/movegenerator.h"
#include "ordering/sort.h"
#include "protocol/lineinput.h"
#include "protocol/output.h"
#include "protocol/pipe.h"
#include "protocol/searchrunner.h"
#include "tests/state_checks.h"

namespace {

constexpr int16_t kFuzzSearchDepth = 2;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

void Expect(bool holds, const char* what) {
  if (!holds) Fail(what);
}

// Board symbols, stone count, lists and the codes of every empty square agree.
void CheckSquares() {
  int stones = 0;
  for (int16_t i = 0; i < kBoardCells; ++i) {
    const int16_t symbol = square[i].symbol;
    if (!IsPlayableIndex(i)) {
      Expect(symbol == kBorder, "border symbol");
      continue;
    }
    Expect(symbol >= kEmpty && symbol <= kPlayer2, "playable symbol");
    const bool occupied = symbol != kEmpty;
    stones += occupied ? 1 : 0;
    for (int p = 0; p < 2; ++p) {
      const int16_t category = sortSquare[p][i].list->category;
      Expect((category == kOccupiedCategory) == occupied, "occupied squares in list 17");
    }
    if (occupied) continue;
    uint32_t categories = 0;
    for (int16_t d = 0; d < kNbDirections; ++d) {
      uint32_t code = 0;
      for (int16_t m = 0; m < kNbSlots; ++m) {
        code |= static_cast<uint32_t>(square[i - offsetTable[kNbSlots * d + m]].symbol) << (2 * m);
      }
      Expect(squarePattern[i][d] == code, "neighbourhood code");
      const uint32_t b = LineCategoriesOf(code);
      categories |= (b & 0xFu) << (4 * d) | (b >> 4) << (16 + 4 * d);
    }
    Expect(lineCategoryAllDir[i] == categories, "line categories");
    Expect(sortSquare[0][i].list->category == mcTable[categories & 0xFFFF], "player 1 list");
    Expect(sortSquare[1][i].list->category == mcTable[categories >> 16], "player 2 list");
  }
  Expect(stones == nbSymbolsPlaced, "stone count");
}

void CheckEngine() {
  Expect(whoIsOnMove == kPlayer1 || whoIsOnMove == kPlayer2, "side to move");
  Expect(nbMoveBuffers == 1 && pMoveBuffer == moveBuffer, "move stack at the root");
  Expect(nbUndoSquares >= 0 && nbUndoSquares <= kUndoCapacity, "undo stack bounds");
  const std::string lists = state_checks::ListFaults();
  Expect(lists.empty(), lists.c_str());
  CheckSquares();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FILE* sink = std::fopen("/dev/null", "w");
  if (size == 0) return 0;
  FILE* input = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (input == nullptr) return 0;
  pipeInput = input;
  pipeOutput = sink;
  protocolSearchDepth = kFuzzSearchDepth;
  deepestProtocolSearch = kFuzzSearchDepth;
  RunSession(CheckEngine);
  std::fclose(input);
  pipeInput = nullptr;
  return 0;
}
