// An independent judge of a game on a board of up to 20 x 20 squares: moves go
// on empty squares, the players alternate from player 1, and a five wins for
// the mover: five or more in a row under freestyle, exactly five under exact
// five, where a line of six or more wins nothing.
#pragma once

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

using Stones = std::vector<std::pair<int, int>>;

class Referee {
 public:
  enum class Outcome { kIllegal, kPlaying, kFive, kBoardFull };
  enum class Rule { kFreestyle, kExactFive };

  explicit Referee(int width = 20, int height = 20, Rule rule = Rule::kFreestyle)
      : width_(width), height_(height), rule_(rule) {}

  int width() const { return width_; }
  int height() const { return height_; }
  Rule rule() const { return rule_; }
  // The stones in play order; stone i is player 1 + i % 2's.
  const Stones& stones() const { return stones_; }
  int toMove() const { return 1 + static_cast<int>(stones_.size() % 2); }
  bool IsEmpty(int x, int y) const { return OnBoard(x, y) && cells_[y][x] == 0; }

  // The lines of `player` through (x, y) in the four directions, counting
  // (x, y) as its stone.
  std::array<int, 4> LineLengths(int x, int y, int player) const {
    auto run = [&](int dx, int dy) {
      int n = 0;
      while (OnBoard(x + (n + 1) * dx, y + (n + 1) * dy) &&
             cells_[y + (n + 1) * dy][x + (n + 1) * dx] == player)
        ++n;
      return n;
    };
    return {1 + run(1, 0) + run(-1, 0), 1 + run(0, 1) + run(0, -1), 1 + run(1, 1) + run(-1, -1),
            1 + run(1, -1) + run(-1, 1)};
  }

  // True when a stone of `player` on (x, y) makes a five under the rule.
  bool MakesFive(int x, int y, int player) const {
    const std::array<int, 4> lines = LineLengths(x, y, player);
    return std::any_of(lines.begin(), lines.end(), [this](int n) {
      return rule_ == Rule::kExactFive ? n == 5 : n >= 5;
    });
  }

  // Plays a stone of the mover; an illegal move changes nothing.
  Outcome Play(int x, int y) {
    if (!IsEmpty(x, y)) return Outcome::kIllegal;
    const int mover = toMove();
    cells_[y][x] = mover;
    stones_.emplace_back(x, y);
    if (MakesFive(x, y, mover)) return Outcome::kFive;
    return static_cast<int>(stones_.size()) == width_ * height_ ? Outcome::kBoardFull
                                                                : Outcome::kPlaying;
  }

  // Takes the last stone back.
  void TakeBack() {
    cells_[stones_.back().second][stones_.back().first] = 0;
    stones_.pop_back();
  }

  // What is wrong with the mover playing (x, y): an occupied or off-board
  // square, a five of its own left unmade, or a five of the opponent's left
  // unblocked. Empty when nothing is.
  std::string Fault(int x, int y) const {
    if (!IsEmpty(x, y)) return "illegal";
    const int me = toMove(), you = 3 - me;
    if (MakesFive(x, y, me)) return "";
    bool own = false, threat = false;
    for (int cy = 0; cy < height_; ++cy)
      for (int cx = 0; cx < width_; ++cx) {
        own |= IsEmpty(cx, cy) && MakesFive(cx, cy, me);
        threat |= IsEmpty(cx, cy) && MakesFive(cx, cy, you);
      }
    if (own) return "misses a five";
    return threat && !MakesFive(x, y, you) ? "leaves a five open" : "";
  }

 private:
  bool OnBoard(int x, int y) const { return x >= 0 && x < width_ && y >= 0 && y < height_; }

  int width_, height_;
  Rule rule_;
  int cells_[20][20] = {};  // [y][x]: 0 or the player
  Stones stones_;
};
