// An independent judge on the 20 x 20 board: moves go on empty squares, the
// players alternate from player 1, and five or more in a row win for the mover.
#pragma once

#include <algorithm>

struct Referee {
  enum class Outcome { kIllegal, kPlaying, kFive, kBoardFull };
  int cells[20][20] = {};  // [y][x]: 0 or the player
  int toMove = 1, stones = 0;

  static bool OnBoard(int x, int y) { return x >= 0 && x < 20 && y >= 0 && y < 20; }
  bool IsEmpty(int x, int y) const { return OnBoard(x, y) && cells[y][x] == 0; }
  // The longest line of `player` through (x, y), counting (x, y) as its stone.
  int LineLength(int x, int y, int player) const {
    auto run = [&](int dx, int dy) {
      int n = 0;
      while (OnBoard(x + (n + 1) * dx, y + (n + 1) * dy) &&
             cells[y + (n + 1) * dy][x + (n + 1) * dx] == player)
        ++n;
      return n;
    };
    return 1 + std::max({run(1, 0) + run(-1, 0), run(0, 1) + run(0, -1), run(1, 1) + run(-1, -1),
                         run(1, -1) + run(-1, 1)});
  }
  // Plays a stone of the mover; an illegal move changes nothing.
  Outcome Play(int x, int y) {
    if (!IsEmpty(x, y)) return Outcome::kIllegal;
    cells[y][x] = toMove;
    toMove = 3 - toMove;
    ++stones;
    if (LineLength(x, y, 3 - toMove) >= 5) return Outcome::kFive;
    return stones == 400 ? Outcome::kBoardFull : Outcome::kPlaying;
  }
};
