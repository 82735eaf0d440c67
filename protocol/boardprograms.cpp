// The board programs' commands: what Yixin-Board and Piskvork send beyond the
// managers' protocol.
#include "protocol/boardprograms.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/tessel.h"
#include "protocol/lineinput.h"
#include "protocol/output.h"
#include "protocol/parse.h"
#include "protocol/position.h"

namespace {

bool IsDone(const char* text) { return ParseCommandParameter("DONE", text) != nullptr; }

// The moves of a list up to DONE, from the next line on, each given to
// `take`. A line that is neither a move nor DONE ends the list early and is
// performed next as a command, so that a list without its DONE cannot
// swallow the game.
void ReadListLines(void (*take)(int16_t x, int16_t y)) {
  while (GetLine()) {
    if (IsDone(cmd)) return;
    int16_t v[2];
    if (cmd[0] == '\0') continue;
    if (!ReadShorts(cmd, v, 2)) return PutBackLine(cmd);
    take(v[0], v[1]);
  }
}

void SkipListLines() {
  ReadListLines([](int16_t, int16_t) {});
}

// The text after the comment box's quoted text, whose characters the line
// reader has already dropped: the line holds "" and what followed the closing
// quote, or the open quote alone when the text never closed (null then).
const char* AfterQuotedText(const char* text) {
  if (*text != '"') return text;
  return text[1] == '"' ? text + 2 : nullptr;
}

}  // namespace

// Board programs load a position with YXBOARD, unanswered, to search it with
// YXNBEST or to play on from it with TURN.
void HandleYxBoard(const char*) {
  started = 1;
  ReadPosition();
}

// Under renju with black to move, every square forbidden to black, each as
// x then y in two digits (FORBID 07080906.); otherwise none (FORBID .).
void HandleShowForbid(const char*) {
  std::string line = "FORBID ";
  const bool blackToMove = Tessel_GetSideToMove() == kPlayer1;
  for (int16_t x = 0; blackToMove && x < Tessel_GetBoardWidth(); ++x) {
    for (int16_t y = 0; y < Tessel_GetBoardHeight(); ++y) {
      if (!Tessel_IsForbidden(x, y)) continue;
      char digits[16];
      std::snprintf(digits, sizeof digits, "%02d%02d", x, y);
      line += digits;
    }
  }
  SendResponse((line + ".").c_str());
}

// During a search: answer now. Outside one the flag does nothing, as every
// search clears it when it starts.
void HandleStop(const char*) { Tessel_Stop(); }

void Accept(const char*) {}

void SkipMoveList(const char*) { SkipListLines(); }

void HandleBlock(const char*) { ReadListLines(Tessel_BarSquare); }

void HandleBlockUndo(const char*) { ReadListLines(Tessel_UnbarSquare); }

void HandleBlockReset(const char*) { Tessel_ClearBarredSquares(); }

void SkipFileName(const char* argument) {
  if (*argument == '\0') GetLine();
}

// Yixin-Board writes the comment box's text without a line break after it:
// the list's first move, or DONE when there is none, ends the same line. A
// text that never closed was ended by a DONE of its own.
void SkipTextAndMoveList(const char* argument) {
  const char* rest = AfterQuotedText(argument);
  if (rest == nullptr) SendResponse(kParameterError);
  if (rest != nullptr && IsDone(rest)) return;
  SkipListLines();
}
