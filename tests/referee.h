// An independent judge of a game on the 20 x 20 board: every move must be on
// the board and on an empty square, players alternate starting with player 1,
// and a move that makes five or more in a row wins for the mover.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

class Referee {
 public:
  static constexpr int kSide = 20;
  enum class Outcome { kIllegal, kPlaying, kFive, kBoardFull };

  // Plays a stone of the side to move. An illegal move changes nothing.
  Outcome Play(int x, int y);
  // Puts a stone of `player` without judging it (for setting up positions).
  void Place(int x, int y, int player) {
    stones_ += (cells_[y][x] == 0) - (player == 0);
    cells_[y][x] = static_cast<int8_t>(player);
  }

  int At(int x, int y) const { return cells_[y][x]; }
  bool IsEmpty(int x, int y) const { return OnBoard(x, y) && cells_[y][x] == 0; }
  int toMove() const { return toMove_; }
  void setToMove(int player) { toMove_ = player; }
  int movesPlayed() const { return movesPlayed_; }
  // Length of the longest line of `player` through (x, y), counting (x, y)
  // itself as that player's whatever stands there.
  int LineLength(int x, int y, int player) const;
  // Empty squares on which `player` would make five or more.
  std::vector<std::pair<int, int>> FiveSquares(int player) const;
  bool Full() const { return stones_ == kSide * kSide; }

  static bool OnBoard(int x, int y) { return x >= 0 && x < kSide && y >= 0 && y < kSide; }

 private:
  std::array<std::array<int8_t, kSide>, kSide> cells_{};
  int toMove_ = 1;
  int movesPlayed_ = 0;
  int stones_ = 0;
};
