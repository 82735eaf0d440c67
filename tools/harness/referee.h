// An independent judge of a game: moves go on empty squares, the players
// alternate from player 1, and a five wins for the mover as the rule has it.
// Freestyle: five or more in a row. Exact five: exactly five; six or more win
// nothing. Renju: black (player 1) exactly five, white five or more, and a
// forbidden black move (an overline, a double four or a double three) loses
// at once. Caro: a five whose squares just beyond both ends hold the
// opponent's stones wins nothing (the edge or a blocked square there is no
// opponent); six or more win as in freestyle, or, with caro exact five,
// nothing. Blocked squares, owned by nobody, close lines as the edge does.
// In a continuous game the stones of a completed line, and a forbidden stone,
// are taken off (TakeOff): they become blocked squares but keep their place
// in the play order, and the game goes on.
#pragma once

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "tools/harness/renju_reference.h"

using Stones = std::vector<std::pair<int, int>>;

class Referee {
 public:
  // kForbidden: black's forbidden move under renju, which loses the game.
  enum class Outcome { kIllegal, kPlaying, kFive, kBoardFull, kForbidden };
  enum class Rule { kFreestyle, kExactFive, kRenju, kCaro, kCaroExactFive };

  explicit Referee(int width = 20, int height = 20, Rule rule = Rule::kFreestyle)
      : width_(width),
        height_(height),
        rule_(rule),
        cells_(std::max(height, 0), std::vector<int>(std::max(width, 0), 0)) {}

  int width() const { return width_; }
  int height() const { return height_; }
  Rule rule() const { return rule_; }
  // The stones in play order, taken-off stones included; stone i is player
  // 1 + i % 2's.
  const Stones& stones() const { return stones_; }
  // The squares owned by nobody before the first stone, in the order blocked.
  const Stones& blocked() const { return blocked_; }
  // The board, [y][x]: 0 empty, the player, or kBlocked.
  const std::vector<std::vector<int>>& cells() const { return cells_; }
  int toMove() const { return 1 + static_cast<int>(stones_.size() % 2); }
  bool IsEmpty(int x, int y) const { return OnBoard(x, y) && cells_[y][x] == 0; }
  bool IsBlocked(int x, int y) const { return OnBoard(x, y) && cells_[y][x] == kBlocked; }

  // Makes the empty (x, y) a square owned by nobody; false if it is not empty.
  bool Block(int x, int y) {
    if (!IsEmpty(x, y)) return false;
    cells_[y][x] = kBlocked;
    blocked_.emplace_back(x, y);
    return true;
  }

  // The lines of `player` through (x, y) in the four directions, counting
  // (x, y) as its stone.
  std::array<int, 4> LineLengths(int x, int y, int player) const {
    std::array<int, 4> lines{};
    for (int d = 0; d < 4; ++d)
      lines[d] = 1 + Run(x, y, kDirections[d][0], kDirections[d][1], player) +
                 Run(x, y, -kDirections[d][0], -kDirections[d][1], player);
    return lines;
  }

  // True when a stone of `player` on (x, y) makes a five that wins under the
  // rule.
  bool MakesFive(int x, int y, int player) const {
    for (const auto& d : kDirections)
      if (WinsAlong(x, y, d, player)) return true;
    return false;
  }

  // The row of the stones through the stone on (x, y) that makes a winning
  // five, in the first direction that has one, or nothing. When one stone
  // makes two fives, a continuous game takes only this row off.
  Stones CompletedLine(int x, int y) const {
    const int player = Cell(x, y);
    for (const auto& d : kDirections) {
      if (!WinsAlong(x, y, d, player)) continue;
      Stones line;
      for (int k = -Run(x, y, -d[0], -d[1], player); k <= Run(x, y, d[0], d[1], player); ++k)
        line.emplace_back(x + k * d[0], y + k * d[1]);
      return line;
    }
    return {};
  }

  // Makes played stones squares owned by nobody, as a continuous game does
  // with a completed line and a forbidden stone. They stay in stones(): they
  // were played, so the mover still follows the count of all stones.
  void TakeOff(const Stones& squares) {
    for (auto [x, y] : squares)
      if (OnBoard(x, y) && (cells_[y][x] == 1 || cells_[y][x] == 2)) cells_[y][x] = kBlocked;
  }

  // True under renju when a black stone on the empty (x, y) is forbidden.
  bool IsForbidden(int x, int y) const {
    return rule_ == Rule::kRenju && IsEmpty(x, y) && IsForbiddenReference(cells_, x, y);
  }

  // Plays a stone of the mover; an illegal move changes nothing. A forbidden
  // move is played, and ends the game with black's loss.
  Outcome Play(int x, int y) {
    if (!IsEmpty(x, y)) return Outcome::kIllegal;
    const int mover = toMove();
    const bool forbidden = mover == 1 && IsForbidden(x, y);
    cells_[y][x] = mover;
    stones_.emplace_back(x, y);
    if (MakesFive(x, y, mover)) return Outcome::kFive;
    if (forbidden) return Outcome::kForbidden;
    return static_cast<int>(stones_.size() + blocked_.size()) == width_ * height_
               ? Outcome::kBoardFull
               : Outcome::kPlaying;
  }

  // Takes the last stone back.
  void TakeBack() {
    cells_[stones_.back().second][stones_.back().first] = 0;
    stones_.pop_back();
  }

  // What is wrong with the mover playing (x, y): an occupied or off-board
  // square, a forbidden square under renju, a five of its own left unmade, or
  // a five of the opponent's left unblocked. Empty when nothing is.
  std::string Fault(int x, int y) const {
    if (!IsEmpty(x, y)) return "illegal";
    const int me = toMove(), you = 3 - me;
    if (MakesFive(x, y, me)) return "";
    if (me == 1 && IsForbidden(x, y)) return "forbidden";
    bool own = false, threat = false;
    for (int cy = 0; cy < height_; ++cy)
      for (int cx = 0; cx < width_; ++cx) {
        if (!IsEmpty(cx, cy)) continue;
        own |= MakesFive(cx, cy, me);
        // Black cannot block on a forbidden square: losing there is no better.
        threat |= MakesFive(cx, cy, you) && !(me == 1 && IsForbidden(cx, cy));
      }
    if (own) return "misses a five";
    return threat && !MakesFive(x, y, you) ? "leaves a five open" : "";
  }

  static constexpr int kBlocked = 3;

 private:
  // Down, down-right, across, up-right: the order in which Piskvork looks for
  // the line to take off in a continuous game.
  static constexpr int kDirections[4][2] = {{0, 1}, {1, 1}, {1, 0}, {1, -1}};

  bool OnBoard(int x, int y) const { return x >= 0 && x < width_ && y >= 0 && y < height_; }
  // -1 off the board, as the edge is nobody's stone.
  int Cell(int x, int y) const { return OnBoard(x, y) ? cells_[y][x] : -1; }
  // The stones of `player` next to (x, y) going (dx, dy).
  int Run(int x, int y, int dx, int dy, int player) const {
    int n = 0;
    while (Cell(x + (n + 1) * dx, y + (n + 1) * dy) == player) ++n;
    return n;
  }

  // True when a stone of `player` on (x, y) makes a five along `d` that wins
  // under the rule.
  bool WinsAlong(int x, int y, const int d[2], int player) const {
    const int ahead = Run(x, y, d[0], d[1], player), behind = Run(x, y, -d[0], -d[1], player);
    const int n = 1 + ahead + behind;
    if (n < 5) return false;
    const bool sixWins =
        rule_ == Rule::kFreestyle || rule_ == Rule::kCaro || (rule_ == Rule::kRenju && player == 2);
    if (n > 5) return sixWins;
    if (rule_ != Rule::kCaro && rule_ != Rule::kCaroExactFive) return true;
    // Caro: the squares just beyond the five's ends, off the board or
    // blocked counting as open, must not both hold the opponent's stones.
    const int opponent = 3 - player;
    return Cell(x + (ahead + 1) * d[0], y + (ahead + 1) * d[1]) != opponent ||
           Cell(x - (behind + 1) * d[0], y - (behind + 1) * d[1]) != opponent;
  }

  int width_, height_;
  Rule rule_;
  std::vector<std::vector<int>> cells_;  // [y][x]: 0, the player or kBlocked
  Stones stones_, blocked_;
};

// The rule of a Piskvork INFO rule value: bit 4 renju, else bit 8 caro, each
// with bit 1 exact five (caro only); bit 2, the continuous game, changes how
// a game goes on, not what wins.
inline Referee::Rule RuleFromInfo(int value) {
  using enum Referee::Rule;
  if (value & 4) return kRenju;
  if (value & 8) return value & 1 ? kCaroExactFive : kCaro;
  return value & 1 ? kExactFive : kFreestyle;
}

// The INFO rule value that Piskvork sends for the rule, in its continuous
// game or not.
inline int InfoRuleValue(Referee::Rule rule, bool continuous = false) {
  constexpr int kValues[] = {0, 1, 4, 8, 9};
  return kValues[static_cast<int>(rule)] | (continuous ? 2 : 0);
}

inline const char* RuleName(Referee::Rule rule) {
  constexpr const char* kNames[] = {"freestyle", "exact five", "renju", "caro", "caro exact five"};
  return kNames[static_cast<int>(rule)];
}
