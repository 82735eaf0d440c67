// Whole games of the engine against itself, judged by an independent referee,
// and positions in which the move is forced.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/process_harness.h"
#include "tests/referee.h"

namespace {

using Outcome = Referee::Outcome;
using Square = std::pair<int, int>;
constexpr int kDirections[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};

TEST(Referee, JudgesLegalityAndFives) {
  Referee r;
  EXPECT_EQ(r.Play(-1, 0), Outcome::kIllegal);
  EXPECT_EQ(r.Play(0, 20), Outcome::kIllegal);
  EXPECT_EQ(r.toMove(), 1);
  // Player 1 builds an anti-diagonal from the bottom edge, player 2 a row.
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(r.Play(k, 19 - k), Outcome::kPlaying);
    EXPECT_EQ(r.Play(10 + k, 0), Outcome::kPlaying);
  }
  EXPECT_EQ(r.Play(0, 19), Outcome::kIllegal);
  EXPECT_EQ(r.FiveSquares(1), (std::vector<Square>{{4, 15}}));
  EXPECT_EQ(r.FiveSquares(2), (std::vector<Square>{{9, 0}, {14, 0}}));
  EXPECT_EQ(r.Play(4, 15), Outcome::kFive);
  // Six or more in a row also wins: fill the gap of 1 1 1 _ 1 1.
  Referee six;
  for (int x : {0, 1, 2, 4, 5}) six.Place(x, 7, 1);
  EXPECT_EQ(six.Play(3, 7), Outcome::kFive);
  EXPECT_EQ(six.LineLength(3, 7, 1), 6);
}

struct Game {
  std::vector<Square> moves;
  Outcome end = Outcome::kPlaying;
};

// Two engines, each told the other's moves. Both get the opening stones (a
// move of each player, as a manager's opening), then the first one moves
// with BEGIN. Besides legality the referee checks that a mover who can make
// five does, and that otherwise a five of the opponent is blocked.
Game SelfPlay(const std::vector<std::string>& settings, const Stones& opening) {
  EngineProcess engines[2];
  Referee referee;
  for (const auto& [x, y] : opening) referee.Play(x, y);
  for (EngineProcess& e : engines) {
    for (const std::string& s : settings) e.WriteLine(s);
    EXPECT_EQ(e.Ask("START"), "OK");
    for (const auto& [x, y] : opening)
      e.WriteLine("PLAY " + std::to_string(x) + "," + std::to_string(y));
  }
  Game game;
  std::optional<std::string> reply = engines[0].Ask("BEGIN");
  for (int turn = 0;; ++turn) {
    const int mover = referee.toMove();
    int x, y;
    if (!reply || !ParseMoveReply(*reply, &x, &y)) {
      ADD_FAILURE() << "move " << turn + 1 << ": reply " << reply.value_or("(none)");
      break;
    }
    const std::vector<Square> own = referee.FiveSquares(mover);
    const std::vector<Square> threats = referee.FiveSquares(3 - mover);
    game.end = referee.Play(x, y);
    if (game.end == Outcome::kIllegal) {
      ADD_FAILURE() << "move " << turn + 1 << " " << *reply << " is illegal";
      break;
    }
    game.moves.emplace_back(x, y);
    if (!own.empty()) {
      EXPECT_EQ(game.end, Outcome::kFive) << "move " << turn + 1 << " missed a five";
    } else if (!threats.empty()) {
      EXPECT_NE(std::find(threats.begin(), threats.end(), Square{x, y}), threats.end())
          << "move " << turn + 1 << " " << *reply << " leaves a five open";
    }
    EngineProcess& next = engines[(turn + 1) % 2];
    if (game.end == Outcome::kFive) break;
    if (game.end == Outcome::kBoardFull) {
      EXPECT_EQ(next.Ask("TURN " + *reply), "ERROR board is full");
      break;
    }
    reply = next.Ask("TURN " + *reply);
  }
  for (EngineProcess& e : engines) EXPECT_EQ(e.Finish(), 0) << e.errorOutput();
  return game;
}

TEST(SelfPlay, GamesEndLegallyAndRepeatExactly) {
  // A per-move budget of zero: every search stops at its first clock sample
  // after one iteration, so the game depends on the engine alone.
  const std::vector<std::string> settings = {"INFO timeout_turn 100",
                                             "INFO timeout_match 60000"};
  for (const Stones& opening : {Stones{{9, 10}, {9, 9}}, Stones{{8, 11}, {10, 9}}}) {
    Game first = SelfPlay(settings, opening);
    EXPECT_TRUE(first.end == Outcome::kFive || first.end == Outcome::kBoardFull);
    EXPECT_GE(first.moves.size(), 7u);
    Game second = SelfPlay(settings, opening);
    EXPECT_EQ(first.moves, second.moves);
  }
}

// A line of four of one player, in each direction, at edges and in the open,
// with the empty square of the five in each of its places; filler stones far
// from it even out the counts.
struct ForcedCase {
  std::string block;
  Referee position;
  int mover;
  bool ownFour;  // the mover's four (complete it) or the opponent's (block it)
};

std::vector<ForcedCase> ForcedCases() {
  const Square anchors[] = {{0, 0}, {0, 19}, {15, 19}, {4, 4}, {8, 12}, {15, 0}};
  const Square fillers[] = {{10, 3}, {3, 10}, {17, 9}, {9, 17}, {13, 14}, {1, 14}, {16, 4}, {6, 1}};
  std::vector<ForcedCase> cases;
  for (const auto& d : kDirections)
    for (const auto& [sx, sy] : anchors)
      for (int gap = 0; gap < 5; ++gap)
        for (int mover = 1; mover <= 2; ++mover)
          for (bool ownFour : {true, false}) {
            if (!Referee::OnBoard(sx + 4 * d[0], sy + 4 * d[1])) continue;
            const int owner = ownFour ? mover : 3 - mover;
            Stones stones[2];
            for (int k = 0; k < 5; ++k)
              if (k != gap) stones[owner - 1].emplace_back(sx + k * d[0], sy + k * d[1]);
            // Player 1 to move needs equal counts, player 2 one stone less.
            const size_t want1 = mover == 1 ? 4 : 5;
            const size_t want2 = 4;
            for (const auto& [fx, fy] : fillers) {
              if (std::max(std::abs(fx - sx - 2 * d[0]), std::abs(fy - sy - 2 * d[1])) <= 6)
                continue;
              if (stones[0].size() < want1)
                stones[0].emplace_back(fx, fy);
              else if (stones[1].size() < want2)
                stones[1].emplace_back(fx, fy);
            }
            if (stones[0].size() != want1 || stones[1].size() != want2) continue;
            ForcedCase c{BoardBlock(stones[0], stones[1]), {}, mover, ownFour};
            for (int p = 0; p < 2; ++p)
              for (const auto& [x, y] : stones[p]) c.position.Place(x, y, p + 1);
            c.position.setToMove(mover);
            cases.push_back(c);
          }
  return cases;
}

TEST(ForcedMoves, FivesAreCompletedAndFoursBlocked) {
  const std::vector<ForcedCase> cases = ForcedCases();
  ASSERT_GE(cases.size(), 150u);
  std::string input = "INFO timeout_turn 200\n";
  for (const ForcedCase& c : cases) input += c.block;
  RunResult r = RunEngine(input);
  EXPECT_EQ(r.exitStatus, 0) << r.errorOutput;
  ASSERT_EQ(r.lines.size(), cases.size() + 1);  // "OK" for the first BOARD
  for (size_t i = 0; i < cases.size(); ++i) {
    const ForcedCase& c = cases[i];
    const std::vector<Square> own = c.position.FiveSquares(c.mover);
    const std::vector<Square> threats = c.position.FiveSquares(3 - c.mover);
    ASSERT_EQ(own.empty(), !c.ownFour) << c.block;
    ASSERT_EQ(threats.empty(), c.ownFour) << c.block;
    int x, y;
    ASSERT_TRUE(ParseMoveReply(r.lines[i + 1], &x, &y)) << r.lines[i + 1];
    if (c.ownFour) {
      EXPECT_TRUE(c.position.IsEmpty(x, y) && c.position.LineLength(x, y, c.mover) >= 5)
          << c.block << "answered " << r.lines[i + 1];
    } else {  // the only block, or either end of an open four
      EXPECT_NE(std::find(threats.begin(), threats.end(), Square{x, y}), threats.end())
          << c.block << "answered " << r.lines[i + 1];
    }
  }
}

}  // namespace
