// Whole games through the real executable, driven as tournament managers and
// board programs drive it, with the referee on every move.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/data_file.h"
#include "tools/harness/manager.h"

namespace {

using Outcome = Referee::Outcome;

// Two engine processes play game after game under one manager, each game under
// its own rule, time control, board size and opening (selfplay_games.txt); the
// referee judges by the rule. The tolerance is generous: only a hang or a wrong judgement fails
// here, reply times are for tools/reply_times to measure.
TEST(SelfPlay, GamesUnderAManagerEndLegally) {
  ManagedEngine first, second;
  ManagedEngine* engines[2] = {&first, &second};
  for (const DataCase& g : ReadCases("selfplay_games.txt")) {
    SCOPED_TRACE(g.name);
    const TimeControl time = {g.name.c_str(), g.Int("turn_ms"), g.Int("match_ms")};
    const GameResult result = PlayGame(engines, Opening(g.Int("opening")), g.Int("side"), time,
                                       30000, static_cast<Referee::Rule>(g.Int("rule")));
    EXPECT_EQ(result.fault, "");
    EXPECT_GT(result.replies, 4);
    std::swap(engines[0], engines[1]);  // the same processes, colours swapped
  }
  EXPECT_EQ(first.about(), kAboutLine);
  EXPECT_TRUE(first.End() && second.End());
}

const std::vector<std::string> kFixedDepth = {"INFO timeout_turn 60000", "INFO timeout_match 0",
                                              "INFO max_depth 2"};

// The engine must block twice: (6,6) then (12,10). Both stones are taken back,
// the human plays (12,10) instead, and the engine must block (11,10) as an engine
// that never saw them does.
TEST(BoardProgram, TakeBacksAnswerAsIfTheStonesWereNeverPlayed) {
  BoardProgram gui(20, kFixedDepth);
  const Stones human = {{2, 2}, {8, 10}, {3, 3}, {9, 10}, {4, 4}, {10, 10}, {5, 5}};
  const Stones engine = {{1, 1}, {7, 10}, {15, 3}, {16, 3}, {17, 4}, {3, 16}};
  ASSERT_EQ(gui.Load(InPlayOrder(human, engine)), "6,6");
  ASSERT_EQ(gui.Turn(11, 10), "12,10");
  ASSERT_TRUE(gui.TakeBack(2));
  ASSERT_EQ(gui.Turn(12, 10), "11,10");
  Stones replayed = gui.referee().stones();
  replayed.pop_back();
  BoardProgram fresh(20, kFixedDepth);
  EXPECT_EQ(fresh.Load(replayed), "11,10");
}

// Random human moves near the stones, with the last two taken back now and then
// and new games by RESTART: every engine move stays legal and sound.
TEST(BoardProgram, TakeBacksAndRestartsKeepTheEngineInStep) {
  BoardProgram gui(15, {"INFO timeout_turn 200", "INFO max_depth 3"});
  std::mt19937 random(2026);
  ASSERT_TRUE(gui.Load({{7, 7}}));
  for (int turn = 1; turn <= 60; ++turn) {
    if (gui.outcome() != Outcome::kPlaying) {
      ASSERT_TRUE(gui.Restart());
      ASSERT_TRUE(gui.Load({}));
    }
    const int takeBacks = turn % 10 == 0 ? 4 : 2;
    if (turn % 5 == 0 && static_cast<int>(gui.referee().stones().size()) > takeBacks) {
      ASSERT_TRUE(gui.TakeBack(takeBacks));
    }
    const Referee& r = gui.referee();
    int x, y;
    do {
      const auto [cx, cy] = r.stones()[random() % r.stones().size()];
      x = cx + static_cast<int>(random() % 5) - 2;
      y = cy + static_cast<int>(random() % 5) - 2;
    } while (!r.IsEmpty(x, y));
    const std::optional<std::string> reply = gui.Turn(x, y);
    if (reply) {
      EXPECT_EQ(gui.fault(), "") << "turn " << turn << ": " << *reply;
    }
  }
}

}  // namespace
