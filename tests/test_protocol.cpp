// Manager transcripts through the real executable: game commands, argument rules,
// errors and settings; the literal ones in tests/data/protocol.txt.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/session.h"

namespace {

const std::string kFull = "ERROR board is full", kOccupied = "ERROR square is occupied";

std::string Block(const Stones& p1, const Stones& p2) {
  return BoardBlock(InPlayOrder(p1, p2), p1.size() == p2.size() ? 1 : 2);
}
std::string Plays(const Stones& stones) {
  std::string text;
  for (auto [x, y] : stones) text += "PLAY " + std::to_string(x) + "," + std::to_string(y) + "\n";
  return text;
}
// All input at once, then the end of input: every reply in order, nothing more.
void CheckSession(const std::vector<Step>& steps) {
  std::string input;
  for (const Step& s : steps) input += s.input + "\n";
  const RunResult r = RunEngine(input);
  EXPECT_EQ(r.exitStatus, 0);
  size_t i = 0;
  for (const Step& s : steps)
    for (const std::string& want : s.replies) {
      const std::string got = i < r.lines.size() ? r.lines[i] : "(no reply)";
      if (!Matches(got, want)) {
        ADD_FAILURE() << "after: " << s.input << "\n  expected: " << want << "\n  got: " << got;
        return;  // later lines are out of step
      }
      ++i;
    }
  if (i < r.lines.size()) ADD_FAILURE() << "unexpected extra output, first: " << r.lines[i];
}

// The transcripts of protocol.txt: game commands, argument rules, errors.
TEST(Protocol, Transcripts) {
  for (const DataCase& c : ReadCases("protocol.txt")) {
    SCOPED_TRACE(c.name);
    CheckSession(Steps(c));
  }
}

TEST(Protocol, FullBoards) {
  // Runs of two along rows and diagonals and of one along columns: never a five.
  for (int side : {20, 5}) {
    Stones p[2];
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) p[(x + 2 * y) % 4 < 2 ? 0 : 1].emplace_back(x, y);
    Stones& lastMover = p[0].size() > p[1].size() ? p[0] : p[1];
    const std::string start = "START " + std::to_string(side) + "\n";
    const std::string full = Block(p[0], p[1]);
    const std::string last =
        std::to_string(lastMover.back().first) + "," + std::to_string(lastMover.back().second);
    lastMover.pop_back();
    const std::string oneLeft = Block(p[0], p[1]);
    CheckSession({
        {start + full + "BEST 1\nBEGIN\nTURN 0,0", {"OK", kFull, kFull, kFull, kOccupied}},
        {oneLeft + "BEST 1", {last, kFull}},  // DONE played the only empty square
        {start + Plays(InPlayOrder(p[0], p[1])) + "TURN " + last + "\nBEGIN", {"OK", kFull, kFull}},
    });
  }
}

// Games one after another in one process: START answers OK, every BOARD after
// the first START a move.
TEST(Protocol, HundredsOfGamesInOneProcess) {
  std::string input = "INFO timeout_turn 0\n";
  for (int game = 0; game < 300; ++game) {
    const std::string x = std::to_string(game % 20);
    input += game % 2 == 0 ? "START 20\n" : "BOARD\n" + x + ",5,1\nDONE\n";
    input += "PLAY " + x + ",15\n";  // far from the engine's answer
  }
  const RunResult r = RunEngine(input + "BOARD\n0,0,1\n0,1,1\nDONE\n", 120000);
  EXPECT_EQ(r.exitStatus, 0);
  int moves = 0;
  for (const std::string& line : r.lines) {
    if (IsMove(line)) ++moves;
    if (line != "OK" && !IsMove(line)) ADD_FAILURE() << line;
  }
  EXPECT_TRUE(moves == 151 && r.lines.size() == 301u) << moves;
}

// The settings of session_limits.txt before the probe position: every answer the same
// as the first of its kind, and the kinds' answers different.
TEST(Protocol, SearchLimitsSurviveStart) {
  const std::string probe = Block({{12, 10}, {8, 10}, {13, 9}}, {{11, 13}, {12, 9}, {7, 6}});
  std::map<std::string, std::string> first;  // the first answer of each kind
  for (const DataCase& c : ReadCases("session_limits.txt")) {
    const RunResult r = RunEngine(Steps(c).front().input + "\n" + probe);
    const std::string answer = r.lines.empty() ? "" : r.lines.back();
    EXPECT_TRUE(r.exitStatus == 0 && IsMove(answer)) << c.name << ": " << answer;
    EXPECT_EQ(answer, first.emplace(c.Get("search"), answer).first->second) << c.name;
  }
  ASSERT_EQ(first.size(), 2u);
  EXPECT_NE(first["shallow"], first["deep"]) << "the probe position no longer tells them apart";
}

}  // namespace
