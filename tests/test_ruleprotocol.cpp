// The rules as managers and board programs set them: INFO rule values as
// Piskvork and Yixin-Board number them, renju's forbidden squares in the
// answers and in FORBID, and caro's fives, through the real executable.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "protocol/ruleinfo.h"
#include "tools/harness/manager.h"
#include "tools/harness/renju_reference.h"

namespace {

using Lines = std::vector<std::string>;

TEST(RuleInfo, ValuesAsManagersAndBoardProgramsNumberThem) {
  using enum Rule;
  struct Row {
    int32_t value;
    std::optional<Rule> piskvork, yixinBoard;
  };
  const Row rows[] = {
      {0, kFreestyle, kFreestyle},
      {1, kExactFive, kExactFive},
      {2, kFreestyle, kRenju},  // Piskvork's continuous game; Yixin-Board's renju
      {3, kExactFive, kExactFive},
      {4, kRenju, kRenju},
      {5, kRenju, kRenju},
      {6, kRenju, kRenju},
      {7, kRenju, kRenju},
      {8, kCaro, kCaro},
      {9, kCaroExactFive, kCaroExactFive},
      {10, kCaro, kCaro},
      {11, kCaroExactFive, kCaroExactFive},
      {12, std::nullopt, std::nullopt},  // renju and caro at once
      {16, std::nullopt, std::nullopt},
      {-1, std::nullopt, std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(RuleOfInfoValue(row.value, false), row.piskvork) << row.value;
    EXPECT_EQ(RuleOfInfoValue(row.value, true), row.yixinBoard) << row.value;
  }
}

// The answers to `input`, the input then closed.
Lines Replies(const std::string& input) {
  const RunResult r = RunEngine(input + "\n");
  EXPECT_EQ(r.trailing, "");
  return r.lines;
}

// Renju opens on the centre: black's first stone goes there, on an even side
// the square before the middle. Other rules keep their random central square.
TEST(RenjuProtocol, BlacksFirstStoneIsTheCentre) {
  EXPECT_EQ(Replies("INFO rule 4\nSTART 15\nBEGIN\nSTART 20\nBEGIN\nSTART 15\nBOARD\nDONE\n"
                    "START 8\nBOARD\nDONE"),
            (Lines{"OK", "7,7", "OK", "9,9", "OK", "7,7", "OK", "3,3"}));
}

// A position that Piskvork sent under renju, where the engine (black, its
// stones labelled 1) once answered 13,15, a double three. The answer must be
// a move that the reference allows.
TEST(RenjuProtocol, BlackNeverAnswersAForbiddenSquare) {
  const Stones black = {{12, 14}, {12, 15}, {11, 14}, {11, 13}, {16, 13}, {11, 15}};
  const Stones white = {{13, 13}, {12, 13}, {14, 13}, {15, 13}, {14, 14}, {11, 16}};
  std::string stones;
  std::vector<std::vector<int>> cells(20, std::vector<int>(20, 0));
  for (int player : {1, 2}) {
    for (const auto& [x, y] : player == 1 ? black : white) {
      stones += std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(player) + "\n";
      cells[y][x] = player;
    }
  }
  for (const char* rule : {"INFO rule 4", "INFO rule 6"}) {
    const Lines lines = Replies("START 20\nINFO timeout_turn 300\n" + std::string(rule) +
                                "\nyxboard\n" + stones + "done\nyxshowforbid\nBOARD\n" + stones +
                                "DONE");
    ASSERT_EQ(lines.size(), 3u) << rule;
    EXPECT_EQ(lines[1], "FORBID 1315.") << rule;
    int x, y;
    ASSERT_TRUE(ParseMoveReply(lines[2], &x, &y)) << lines[2];
    EXPECT_FALSE(IsForbiddenReference(cells, x, y)) << rule << ": " << lines[2];
  }
}

// Yixin-Board's rule 2 is renju once a YX command has come, also when the
// rule came first; Piskvork's rule 2 (a continuous game) is freestyle, where
// black's overline wins.
TEST(RenjuProtocol, RuleTwoIsRenjuOnlyFromAYxBoardProgram) {
  // Black, to move, makes six in a row on 3,0, or blocks white's four on 4,5.
  const std::string position =
      "BOARD\n0,0,1\n0,5,2\n1,0,1\n1,5,2\n2,0,1\n2,5,2\n4,0,1\n3,5,2\n5,0,1\n9,9,2\nDONE";
  EXPECT_EQ(Replies("START 20\nINFO rule 2\n" + position), (Lines{"OK", "3,0"}));
  EXPECT_EQ(Replies("yxshowinfo\nSTART 20\nINFO rule 2\n" + position), (Lines{"OK", "4,5"}));
  EXPECT_EQ(Replies("START 20\nINFO rule 2\nyxshowinfo\n" + position), (Lines{"OK", "4,5"}));
  // White may make six; black to move sees no forbidden square but 3,0.
  EXPECT_EQ(Replies("yxshowinfo\nSTART 20\nINFO rule 2\nyxboard\n0,0,1\n0,5,2\n1,0,1\n1,5,2\n"
                    "2,0,1\n2,5,2\n4,0,1\n3,5,2\n5,0,1\n9,9,2\ndone\nyxshowforbid"),
            (Lines{"OK", "FORBID 0300."}));
  // FORBID is empty with white to move, and under every other rule.
  for (const char* rule : {"0", "1", "8", "9"})
    EXPECT_EQ(Replies(std::string("yxshowinfo\nSTART 20\nINFO rule ") + rule +
                      "\nyxboard\n0,0,1\n1,0,1\n2,0,1\n4,0,1\n5,0,1\n0,5,2\n1,5,2\n2,5,2\n"
                      "3,5,2\n9,9,2\ndone\nyxshowforbid"),
              (Lines{"OK", "FORBID ."}))
        << rule;
}

// Caro: a five whose both ends hold the opponent's stones wins nothing, so the
// engine blocks the opponent's four instead; a five that reaches the edge wins.
TEST(CaroProtocol, FivesBlockedAtBothEndsDoNotCount) {
  struct Row {
    const char* rule;
    std::string ownStones;  // the engine's four on row 0, and its far stones
    const char* answer;
  };
  const std::string far = "10,12,1\n17,17,1\n";
  const Row rows[] = {
      // Between the opponent's stones on 0,0 and 6,0.
      {"0", "1,0,1\n2,0,1\n3,0,1\n4,0,1\n0,0,2\n6,0,2\n", "5,0"},
      {"8", "1,0,1\n2,0,1\n3,0,1\n4,0,1\n0,0,2\n6,0,2\n", "4,5"},
      {"9", "1,0,1\n2,0,1\n3,0,1\n4,0,1\n0,0,2\n6,0,2\n", "4,5"},
      // From the edge to the opponent's stone on 5,0.
      {"8", "0,0,1\n1,0,1\n2,0,1\n3,0,1\n5,0,2\n19,19,2\n", "4,0"},
      {"9", "0,0,1\n1,0,1\n2,0,1\n3,0,1\n5,0,2\n19,19,2\n", "4,0"},
  };
  for (const Row& row : rows) {
    const std::string position =
        "BOARD\n" + row.ownStones + far + "0,5,2\n1,5,2\n2,5,2\n3,5,2\nDONE";
    EXPECT_EQ(Replies(std::string("START 20\nINFO rule ") + row.rule + "\n" + position),
              (Lines{"OK", row.answer}))
        << "rule " << row.rule << "\n" << position;
  }
}

}  // namespace
