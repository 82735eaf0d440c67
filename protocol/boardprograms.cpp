// The board programs' commands and the analysis lines: what Yixin-Board and
// Piskvork send beyond the managers' protocol.
#include "protocol/boardprograms.h"

#include <cstdint>
#include <cstdio>

#include "engine/tessel.h"
#include "protocol/parse.h"
#include "protocol/pipe.h"
#include "search/search.h"

bool showDetail = false;

namespace {

// The deepest iteration whose best move has been reported.
int16_t reportedDepth = -1;

}  // namespace

void ApplyShowDetail(const char* value) { showDetail = ReadInt32(value) != 0; }

void BeginAnalysis() { reportedDepth = -1; }

void ReportIteration() {
  if (!showDetail || depthReached <= reportedDepth) return;
  reportedDepth = depthReached;
  int16_t x = 0, y = 0;
  BestSquare(x, y);
  SendSquare("MESSAGE REALTIME BEST ", x, y);
}

void SendMessage() {
  int16_t x = 0, y = 0, player = 0, value = 0, vct = 0;
  Tessel_GetBestLine(0, &x, &y, &player, &value, &vct);
  const double movesPerMs = elapsedTime > 0 ? nbExaminedMoves / static_cast<double>(elapsedTime) : 0;
  char line[160];
  std::snprintf(line, sizeof line, "MESSAGE [%d,%d]: value=%d, depth=%d, time=%.1fs, nodes=%.0fkN (%.0fkN/s)",
                x, y, value, depthReached, elapsedTime / 1000.0, nbExaminedMoves / 1000.0, movesPerMs);
  SendResponse(line);
}

// Board programs load a position with YXBOARD, unanswered, to search it with
// YXNBEST or to play on from it with TURN.
void HandleYxBoard(const char*) {
  started = 1;
  ReadPosition();
}

// The best move for the side to move, however many the board program asks
// for; nothing is put.
void HandleNBest(const char*) { AnswerMove(false); }

// Neither rule played forbids a square (renju would).
void HandleShowForbid(const char*) { SendResponse("FORBID ."); }

// During a search: answer now. Outside one the flag does nothing, as every
// search clears it when it starts.
void HandleStop(const char*) { stopSearch = 1; }

void Accept(const char*) {}

// None of the list's lines is a command. A line that is neither a move nor
// DONE ends the list early and is performed as a command, so that a list
// without its DONE cannot swallow the game.
void SkipMoveList(const char*) {
  while (GetLine()) {
    if (ParseCommandParameter("DONE", cmd) != nullptr) return;
    int16_t v[2];
    if (cmd[0] != '\0' && !ReadShorts(cmd, v, 2)) return ParseStdin(cmd);
  }
}
