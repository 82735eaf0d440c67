#include "tests/referee.h"

namespace {
constexpr int kDirections[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
}  // namespace

int Referee::LineLength(int x, int y, int player) const {
  int best = 0;
  for (const auto& d : kDirections) {
    int length = 1;
    for (int sign = -1; sign <= 1; sign += 2) {
      int cx = x + sign * d[0], cy = y + sign * d[1];
      while (OnBoard(cx, cy) && cells_[cy][cx] == player) {
        ++length;
        cx += sign * d[0];
        cy += sign * d[1];
      }
    }
    if (length > best) best = length;
  }
  return best;
}

std::vector<std::pair<int, int>> Referee::FiveSquares(int player) const {
  std::vector<std::pair<int, int>> squares;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      if (cells_[y][x] == 0 && LineLength(x, y, player) >= 5) squares.emplace_back(x, y);
  return squares;
}

Referee::Outcome Referee::Play(int x, int y) {
  if (!IsEmpty(x, y)) return Outcome::kIllegal;
  const int mover = toMove_;
  cells_[y][x] = static_cast<int8_t>(mover);
  ++stones_;
  ++movesPlayed_;
  toMove_ = 3 - mover;
  if (LineLength(x, y, mover) >= 5) return Outcome::kFive;
  return Full() ? Outcome::kBoardFull : Outcome::kPlaying;
}
