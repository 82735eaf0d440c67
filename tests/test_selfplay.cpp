// Whole games of the engine against itself through two processes, judged by a referee.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/process_harness.h"
#include "tests/referee.h"

namespace {

using Outcome = Referee::Outcome;

TEST(Referee, JudgesLegalityAndFivesOfAnyLength) {
  Referee r;
  EXPECT_EQ(r.Play(-1, 0), Outcome::kIllegal);
  for (int k = 0; k < 4; ++k) {  // player 1 up an anti-diagonal from the edge, player 2 on row 0
    EXPECT_EQ(r.Play(k, 19 - k), Outcome::kPlaying);
    EXPECT_EQ(r.Play(10 + k, 0), Outcome::kPlaying);
  }
  EXPECT_EQ(r.Play(0, 19), Outcome::kIllegal);
  EXPECT_EQ(r.LineLength(9, 0, 2), 5);
  EXPECT_EQ(r.Play(4, 15), Outcome::kFive);
  Referee six;  // filling the gap of 1 1 1 _ 1 1 makes six, which wins too
  for (int x : {0, 1, 2, 4, 5}) six.cells[7][x] = 1;
  EXPECT_EQ(six.Play(3, 7), Outcome::kFive);
}

// Empty when (x, y) is legal and makes a five the mover has, or else blocks one
// of the opponent's if there is one; otherwise the fault.
std::string Fault(const Referee& r, int x, int y) {
  const int me = r.toMove, you = 3 - me;
  bool own = false, threat = false;
  for (int i = 0; i < 400; ++i) {
    own |= r.IsEmpty(i % 20, i / 20) && r.LineLength(i % 20, i / 20, me) >= 5;
    threat |= r.IsEmpty(i % 20, i / 20) && r.LineLength(i % 20, i / 20, you) >= 5;
  }
  if (!r.IsEmpty(x, y)) return "illegal";
  if (r.LineLength(x, y, me) >= 5) return "";
  return own ? "misses a five" : threat && r.LineLength(x, y, you) < 5 ? "leaves a five open" : "";
}

// Two engines told each other's moves after the same opening, the first moving with
// BEGIN. 100 ms per move leave no budget after the margin: each search stops at its
// first clock sample, so a game depends on the engine alone.
Stones SelfPlay(const Stones& opening) {
  EngineProcess engines[2];
  Referee referee;
  for (EngineProcess& e : engines) {
    EXPECT_EQ(e.Ask("INFO timeout_turn 100\nSTART"), "OK");
    for (auto [x, y] : opening) e.WriteLine("PLAY " + std::to_string(x) + "," + std::to_string(y));
  }
  for (auto [x, y] : opening) referee.Play(x, y);
  Stones moves;
  std::optional<std::string> reply = engines[0].Ask("BEGIN");
  for (Outcome end = Outcome::kPlaying; end == Outcome::kPlaying;) {
    int x = -1, y = -1;
    ParseMoveReply(reply.value_or(""), &x, &y);
    EXPECT_EQ(Fault(referee, x, y), "")
        << "move " << moves.size() + 1 << ": " << reply.value_or("none");
    if ((end = referee.Play(x, y)) == Outcome::kIllegal) break;
    moves.emplace_back(x, y);
    if (end == Outcome::kFive) break;
    reply = engines[moves.size() % 2].Ask("TURN " + *reply);
    EXPECT_TRUE(end != Outcome::kBoardFull || reply == "ERROR board is full");
  }
  for (EngineProcess& e : engines) EXPECT_EQ(e.Finish(), 0);
  return moves;
}

TEST(SelfPlay, GamesEndLegallyAndRepeatExactly) {
  EXPECT_EQ(SelfPlay({{9, 10}, {9, 9}}), SelfPlay({{9, 10}, {9, 9}}));
  EXPECT_EQ(SelfPlay({{8, 11}, {10, 9}}), SelfPlay({{8, 11}, {10, 9}}));
}

}  // namespace
