// Hostile and long sessions through the real executable: full boards, many
// games in one process, huge lines, odd bytes and cut-off input. Every reply
// must be the specified one and the process must end with status 0.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/harness/manager.h"

namespace {

using Lines = std::vector<std::string>;

// A full board without five in a row for either colour: pairs of columns
// alternate colour from row to row.
void FullBoardStones(Stones& p1, Stones& p2) {
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) ((x / 2 + y) % 2 == 0 ? p1 : p2).emplace_back(x, y);
  }
}

std::string Coordinates(const std::pair<int, int>& s) {
  return std::to_string(s.first) + "," + std::to_string(s.second);
}

TEST(StressSession, BoardFilledToTheLastSquare) {
  Stones p1, p2;
  FullBoardStones(p1, p2);
  const std::pair<int, int> last = p2.back();
  Stones p2MissingLast(p2.begin(), p2.end() - 1);
  // The engine answers and plays the last empty square; then nothing is left.
  const RunResult r = RunEngine(BoardBlock(InPlayOrder(p1, p2MissingLast), 2) + "BEST 1\n" +
                                BoardBlock(InPlayOrder(p1, p2), 1) + "BEGIN\nBEST 2\nTURN 3,3\n");
  EXPECT_EQ(r.exitStatus, 0);
  const std::string full = "ERROR board is full";
  EXPECT_EQ(r.lines,
            (Lines{"OK", Coordinates(last), full, full, full, full, "ERROR square is occupied"}));
}

TEST(StressSession, TurnFillsTheBoard) {
  Stones p1, p2;
  FullBoardStones(p1, p2);
  // Everything but the last two squares by PUT, then the opponent takes one
  // through TURN and the engine must answer with the other.
  std::string input = "START 20\n";
  std::vector<std::pair<int, int>> order;
  for (size_t i = 0; i < p1.size(); ++i) {
    order.push_back(p1[i]);
    order.push_back(p2[i]);
  }
  for (size_t i = 0; i + 2 < order.size(); ++i) input += "PUT " + Coordinates(order[i]) + ",1\n";
  input += "TURN " + Coordinates(order[order.size() - 2]) + "\n";
  input += "TURN " + Coordinates(order.back()) + "\nBEGIN\n";
  const RunResult r = RunEngine(input);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.lines, (Lines{"OK", Coordinates(order.back()), "ERROR square is occupied",
                            "ERROR board is full"}));
}

TEST(StressSession, HundredsOfGamesInOneProcess) {
  std::string input = "INFO timeout_turn 0\n";
  Lines expected;
  for (int game = 0; game < 300; ++game) {
    const int x = game % 20;
    input += (game % 2 == 0 ? "START 20\n" : "BOARD\n" + std::to_string(x) + ",5,1\nDONE\n");
    input += "PLAY " + std::to_string(x) + ",15\n";  // far from the engine's answer
    expected.push_back("OK");
  }
  input += "BOARD\n0,0,1\n0,1,1\nDONE\n";
  const RunResult r = RunEngine(input, 120000);
  EXPECT_EQ(r.exitStatus, 0);
  // START answers OK; every BOARD after the first START answers a move only.
  int moves = 0;
  for (const std::string& line : r.lines) {
    int x = 0, y = 0;
    if (ParseMoveReply(line, &x, &y)) ++moves;
    else EXPECT_EQ(line, "OK");
  }
  EXPECT_EQ(moves, 151);
  EXPECT_EQ(r.lines.size(), 301u);
}

TEST(StressSession, HostileBytes) {
  const std::string longWord(100000, 'x');
  std::string input;
  input += "ABOUT " + longWord + "\n";                // matches ABOUT; the rest is cut
  input += longWord + "\n";                           // names no command
  input += std::string("ABOUT\0junk\n", 11);          // a NUL ends the command text
  input += std::string("AB\0OUT\n", 7);
  input += "ABOUT\rABOUT\r\n";                        // a CR inside a line is kept
  input += "START 20\rBEGIN\n";                       // one line: START with an argument
  input += std::string(300, '\0') + "\n";             // an empty command
  input += "ABOUT\r\r\n";
  input += "END\rEND\n";                              // END with text after a CR: unknown
  input += "ABOUT";                                   // no newline: never processed
  const RunResult r = RunEngine(input);
  EXPECT_EQ(r.exitStatus, 0);
  const std::string about(kAboutLine);
  EXPECT_EQ(r.lines, (Lines{about, "ERROR unknown command", about, "ERROR unknown command",
                            "ERROR unknown command", "OK", "ERROR unknown command",
                            "ERROR unknown command", "ERROR unknown command"}));
}

TEST(StressSession, BoardBlocksCutByEndOfInput) {
  for (const char* input : {"BOARD\n", "BOARD\n10,10,1\n", "BOARD\n10,10,1\n11,11,2", "BOARD\nDON"}) {
    const RunResult r = RunEngine(input);
    EXPECT_EQ(r.exitStatus, 0) << input;
    EXPECT_EQ(r.lines, Lines{"OK"}) << input;
  }
  const RunResult started = RunEngine("START 20\nBOARD\n3,3,1\n");
  EXPECT_EQ(started.exitStatus, 0);
  EXPECT_EQ(started.lines, Lines{"OK"});
}

}  // namespace
