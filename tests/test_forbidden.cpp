// The engine's forbidden squares against the plain reference judge, on every
// empty square of positions from random renju games: dense play near the
// centre, where double threes, double fours and overlines arise, with a few
// blocked squares, on 15 x 15 and 20 x 20.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/tessel.h"
#include "tools/harness/renju_reference.h"

namespace {

using Cells = std::vector<std::vector<int>>;

// The board as rows of '.', 'X' (black), 'O' (white) and '#' (blocked).
std::string Picture(const Cells& cells) {
  std::string text;
  for (const std::vector<int>& row : cells) {
    for (int cell : row) text += ".XO#"[cell];
    text += '\n';
  }
  return text;
}

// Every empty square of the board in play: the first where the engine and
// the reference disagree, as "x,y", or nothing; `forbidden` counts the
// squares both find forbidden.
std::string FirstDisagreement(const Cells& cells, int& forbidden) {
  const int height = static_cast<int>(cells.size()), width = static_cast<int>(cells[0].size());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (cells[y][x] != 0) continue;
      const bool engine = Tessel_IsForbidden(int16_t(x), int16_t(y));
      if (engine != IsForbiddenReference(cells, x, y))
        return std::to_string(x) + "," + std::to_string(y) + (engine ? " (engine: forbidden)" : "");
      forbidden += engine;
    }
  }
  return "";
}

TEST(Forbidden, EngineAgreesWithTheReferenceOnRandomGames) {
  std::mt19937 random(20261207);
  Tessel_SetRule(Rule::kRenju);
  int forbiddenSeen = 0;
  for (int side : {15, 20}) {
    for (int game = 0; game < 40; ++game) {
      ASSERT_TRUE(Tessel_SetBoardSize(int16_t(side), int16_t(side)));
      Cells cells(side, std::vector<int>(side, 0));
      // The stones fall in a square of 7 to 9 around a random centre.
      const int span = 7 + game % 3;
      std::uniform_int_distribution<int> corner(0, side - span);
      const int x0 = corner(random), y0 = corner(random);
      std::uniform_int_distribution<int> within(0, span - 1);
      for (int blocked = 0; blocked < game % 3; ++blocked) {
        const int x = x0 + within(random), y = y0 + within(random);
        if (Tessel_BlockSquare(int16_t(x), int16_t(y))) cells[y][x] = 3;
      }
      for (int stone = 0, player = 1; stone < span * span * 3 / 4; ++stone) {
        const int x = x0 + within(random), y = y0 + within(random);
        if (cells[y][x] != 0) continue;
        Tessel_PutSymbol(int16_t(x), int16_t(y));
        cells[y][x] = player;
        player = 3 - player;
        ASSERT_EQ(FirstDisagreement(cells, forbiddenSeen), "")
            << side << " x " << side << ", game " << game << ", after stone " << stone << " on "
            << x << "," << y << "\n"
            << Picture(cells);
      }
    }
  }
  EXPECT_GT(forbiddenSeen, 500);  // the positions do exercise the rule
  Tessel_SetRule(Rule::kFreestyle);
  ASSERT_TRUE(Tessel_SetBoardSize(20, 20));
}

}  // namespace
