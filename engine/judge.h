// The board page's judge: a game replayed on the engine's own board, and each
// of its moves or a square of the next move judged by the engine's own rule
// code, so that the page holds no second copy of the rules. Exported to
// JavaScript with C names.
#pragma once

#include <cstdint>

// What a stone of the side to move on a square would be.
constexpr int kMoveAllowed = 0;
constexpr int kMoveWins = 1;       // makes a winning line under the rule
constexpr int kMoveForbidden = 2;  // renju: forbidden to black
constexpr int kMoveTaken = 3;      // off the board, occupied or blocked
constexpr int kMoveAfterEnd = 4;   // the game has been won already

extern "C" {
// A new game of side x side squares (5..20) under `rule` (a Rule value), then
// `moves` (count x, y pairs) put in order, colours alternating from black,
// until the first move that may not be played. Returns how many were put.
int JudgeLoadGame(int side, int rule, const int16_t* moves, int count);
// The verdict (kMove...) on a stone of the side to move on (x, y) in the
// loaded game.
int JudgeMove(int x, int y);
}
