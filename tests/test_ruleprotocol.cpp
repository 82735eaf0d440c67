// The rules as managers and board programs set them: INFO rule values as
// Piskvork and Yixin-Board number them, and renju's forbidden squares in the
// answers and in FORBID. The literal transcripts of the rules (renju's
// centre, rule 2 from each program, caro's closed fives) are in
// tests/data/protocol.txt.
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

}  // namespace
