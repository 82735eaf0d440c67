// The board page's judge, on the facade alone: the loaded game is the
// engine's position, and a verdict reads the engine's win and forbidden-square
// tests on it.
#include "engine/judge.h"

#include "engine/tessel.h"
#include "board/board.h"  // board coordinates to the index GameWon takes

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#define JUDGE_EXPORT EMSCRIPTEN_KEEPALIVE
#else
#define JUDGE_EXPORT
#endif

namespace {

int boardSide = 0;
// Stones of the loaded game: black is to move when the count is even.
int nbStones = 0;
// A winning stone ends the game: every later move is refused.
bool gameWon = false;

}  // namespace

JUDGE_EXPORT int JudgeLoadGame(int side, int rule, const int16_t* moves, int count) {
  gameWon = false;
  nbStones = 0;
  boardSide = 0;
  if (rule < 0 || rule > static_cast<int>(Rule::kCaroExactFive)) return 0;
  if (!Tessel_SetBoardSize(static_cast<int16_t>(side), static_cast<int16_t>(side))) return 0;
  boardSide = side;
  Tessel_SetRule(static_cast<Rule>(rule));
  Tessel_Initialize();
  for (int i = 0; i < count; ++i) {
    const int16_t x = moves[2 * i], y = moves[2 * i + 1];
    const int verdict = JudgeMove(x, y);
    if (verdict != kMoveAllowed && verdict != kMoveWins) return i;
    Tessel_PutSymbol(x, y);
    ++nbStones;
    gameWon = verdict == kMoveWins;
  }
  return count;
}

JUDGE_EXPORT int JudgeMove(int x, int y) {
  if (gameWon) return kMoveAfterEnd;
  if (x < 0 || y < 0 || x >= boardSide || y >= boardSide) return kMoveTaken;
  const auto boardX = static_cast<int16_t>(x), boardY = static_cast<int16_t>(y);
  if (Tessel_GetSymbol(boardX, boardY) != kEmpty) return kMoveTaken;
  int16_t index = 0;
  ConvertXY_Offset_2_Index(boardX, boardY, index);
  // A five is never forbidden: the win is judged first.
  if (GameWon(index) == 1) return kMoveWins;
  const bool blackToMove = nbStones % 2 == 0;
  return blackToMove && Tessel_IsForbidden(boardX, boardY) ? kMoveForbidden : kMoveAllowed;
}
