// Manager transcripts through the real executable: the game commands, their
// argument rules and errors, and the settings.
//
// Most transcripts are built on a probe position: player 1 has four stones on
// row 0 (five only at 4,0) and player 2 four on row 19 (five only at 4,19).
// The side to move always completes its own five, so "BEST 1" answers 4,0
// exactly when player 1 is to move. Since the side to move alternates with
// every stone put, that reveals whether a command put a stone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/process_harness.h"

namespace {

const std::string kAbout(kAboutLine);
const std::string kNoStart = "ERROR:START command must be issued first";
const std::string kBadArg = "ERROR wrong or missing command parameter";
const std::string kBadSize = "ERROR unsupported board size, only 20 is supported";
const std::string kInfoError = "ERROR INFO wrong parameter";
const std::string kFull = "ERROR board is full";
const std::string kP1 = "4,0";   // player 1 is to move in the probe position
const std::string kP2 = "4,19";  // player 2 is to move
const std::string kCentral = "<central>";  // a move with x and y in 5..14

struct Step {
  std::string input;                 // one or more lines, without the last newline
  std::vector<std::string> replies;  // expected output lines
};

Stones Row(int y, int from, int to) {
  Stones s;
  for (int x = from; x <= to; ++x) s.emplace_back(x, y);
  return s;
}

// A BOARD block as one step (no newline after the last line).
std::string Block(const Stones& p1, const Stones& p2, int label = 0, bool done = true) {
  std::string block = BoardBlock(p1, p2, label, done);
  block.pop_back();
  return block;
}

// The probe position, extra stones appended (player 1 to move when the extra
// stones are as many for both).
std::string Probe(Stones p1 = {}, Stones p2 = {}, int label = 0) {
  Stones a = Row(0, 0, 3), b = Row(19, 0, 3);
  a.insert(a.end(), p1.begin(), p1.end());
  b.insert(b.end(), p2.begin(), p2.end());
  return Block(a, b, label);
}

void CheckSession(const std::vector<Step>& steps) {
  std::string input;
  for (const Step& s : steps) input += s.input + "\n";
  RunResult r = RunEngine(input);
  EXPECT_EQ(r.exitStatus, 0) << r.errorOutput;
  size_t line = 0;
  for (const Step& s : steps) {
    for (const std::string& want : s.replies) {
      if (line >= r.lines.size()) {
        ADD_FAILURE() << "no reply to: " << s.input;
        return;
      }
      const std::string& got = r.lines[line++];
      int x, y;
      if (want == kCentral)
        EXPECT_TRUE(ParseMoveReply(got, &x, &y) && x >= 5 && x <= 14 && y >= 5 && y <= 14)
            << got << " after: " << s.input;
      else if (got != want) {
        ADD_FAILURE() << "after: " << s.input << "\n  expected: " << want << "\n  got: " << got;
        return;  // later lines are out of step
      }
    }
  }
  EXPECT_EQ(line, r.lines.size()) << "unexpected extra output, first: "
                                  << (line < r.lines.size() ? r.lines[line] : "");
}

TEST(Protocol, GameCommandsWaitForStartAndStartChecksTheBoardSize) {
  CheckSession({
      {"TURN 10,10", {kNoStart}},
      {"TURN", {kNoStart}},  // refused before the argument is looked at
      {"PUT 1,1,1", {kNoStart}},
      {"BEST 7", {kNoStart}},
      {"PLAY 1,1", {kNoStart}},
      {"BEGIN", {kNoStart}},
      {"START 15", {kBadSize}},
      {"START -1", {kBadSize}},
      {"START 99999999999", {kBadSize}},
      {"TURN 10,10", {kNoStart}},
      {"ABOUT", {kAbout}},
      {"INFO timeout_turn 200", {}},
      {"START 20 x", {"OK"}},
      {"START", {"OK"}},
      {"start abc", {"OK"}},
      {"START 20", {"OK"}},
      {"PLAY 0,0\nPLAY 0,19\nPLAY 1,0\nPLAY 1,19\nPLAY 2,0\nPLAY 2,19\nPLAY 3,0\nPLAY 3,19", {}},
      {"BEST 1", {kP1}},
      {"START 15", {kBadSize}},  // the game goes on untouched
      {"BEST 2", {kP1}},
      {"START", {"OK"}},  // a new, empty game
      {"BEST 1", {kCentral}},
  });
}

TEST(Protocol, StonesAlternateWhateverTheManagerSays) {
  CheckSession({
      {Probe({}, {}, 2), {"OK", kP1}},  // every line claims player 2
      {"BEST 1\nBEST 2", {kP1, kP1}},  // BEST puts nothing
      {"PLAY 0,0\nPLAY -1,5\nPLAY 5 ,7\nPLAY 65546,3\nPLAY 3,-32769", {kBadArg, kBadArg, kBadArg}},
      {"BEST 1", {kP1}},  // occupied, off the board and malformed: no stone
      {"PLAY 010,3\nBEST 1", {kP2}},
      {"PLAY 8,3\nBEST 1", {kP2}},  // 010 was octal 8
      {"PLAY 0xb,5\nPLAY 11,5\nBEST 1", {kP1}},
      {"PUT 3,4,9\nPUT 3,4,65538\nPUT 3,4\nBEST 1", {kBadArg, kBadArg, kBadArg, kP1}},
      {"PUT 3,4,-1\nBEST 1", {kP2}},  // the third number is only bounded above
      {"PUT 3,4,2\nBEST 1", {kP2}},
      {"PUT 5,5,2\nBEST 1", {kP1}},  // colour of the side to move, not of z
      {"PLAY 19,19\nBEST 1", {kP2}},
      {"TURN 12,12", {kP1}},  // the opponent's stone, then player 1 completes five
      {"BEST 1", {kP2}},      // both stones went on the board
      {"TURN 12,12", {kP2}},  // occupied: player 2 is still to move and answers
      {Probe() + "\nBEGIN", {kP1, kP1}},
      {"BEST 1", {kP2}},  // BEGIN put its answer
  });
}

TEST(Protocol, CoordinateSyntax) {
  // (5,7) and (8,3) are occupied, so an accepted TURN on them adds no stone and
  // player 1 answers; a stone elsewhere would make player 2 answer.
  const std::string probe = Probe({{5, 7}, {8, 3}}, {{12, 16}, {15, 12}});
  CheckSession({
      {probe, {"OK", kP1}},
      {"TURN 5, 7", {kP1}},
      {probe + "\nTURN 5 ,7", {kP1, kBadArg}},
      {"TURN 5,7 and more text", {kP1}},
      {probe + "\nTURN 010,3", {kP1, kP1}},
      {probe + "\nTURN 0x8,3", {kP1, kP1}},
      {probe + "\nTURN 10,3", {kP1, kP2}},
      {"BEST 1", {kP1}},
      {probe, {kP1}},
      {"TURN 20,5\nTURN 5\nTURN\nTURN 65546,3\nTURN 3,65539\nTURN a,b", std::vector(6, kBadArg)},
      {"BEST 0\nBEST 3\nBEST\nBEST abc\nBEST 65537\nBEST 99999999999\nBEST -1",
       std::vector(7, kBadArg)},
      {"BEST 2", {kP1}},
  });
}

TEST(Protocol, BoardBlocks) {
  CheckSession({
      {"BOARD\nEND", {"OK", kBadArg}},  // END is read as a position line
      {"ABOUT", {kAbout}},
      {"PLAY 9,9", {}},  // the first BOARD started a game
      // Refused lines (occupied, off the board) keep the colour of the next one.
      {"BOARD\n0,0,1\n0,19,1\n0,0,1\n-1,4,2\n1,0,1\n1,19,1\n2,0,1\n2,19,1\n3,0,1\n3,19,1\ndone",
       {kP1}},
      // Roles swapped on the same squares: only a reset board accepts them.
      {Block(Row(19, 0, 3), Row(0, 0, 3)), {"4,19"}},
      {Block(Row(0, 0, 3), Row(19, 0, 3), 0, false) + "\n5,5,3", {kBadArg}},  // its stones stay
      {"DONE", {"ERROR unknown command"}},
      {"BEST 1", {kP1}},
      {Block(Row(0, 0, 3), Row(19, 0, 3), 0, false) + "\n20,1,1", {kBadArg}},
      {"BEST 1", {kP1}},
  });
}

TEST(Protocol, InfoKeys) {
  CheckSession({
      {"INFO foo 1\nINFO\nINFO timeout_turnx 5\nINFO  time", {kInfoError, kInfoError, kInfoError,
                                                             kInfoError}},
      {"INFO max_memory 83886080\nINFO game_type 1\nINFO rule 0\nINFO evaluate 3,4", {}},
      {"info TIMEOUT_TURN 300\nINFO timeout_match 0\nINFO time_left 0", {}},
      {"INFO timeout_turn 99999999999\nINFO timeout_match 99999999999", {}},
      {"ABOUT", {kAbout}},
  });
}

Stones Pattern(int player) {
  // Runs of two along rows and diagonals and of one along columns: never a five.
  Stones s;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      if (((x + 2 * y) % 4 < 2) == (player == 1)) s.emplace_back(x, y);
  return s;
}

TEST(Protocol, FullBoard) {
  Stones p1 = Pattern(1), p2 = Pattern(2);
  ASSERT_EQ(p1.size(), 200u);
  const std::string full = Block(p1, p2);
  const auto [lx, ly] = p2.back();
  const std::string last = std::to_string(lx) + "," + std::to_string(ly);
  p2.pop_back();
  const std::string oneLeft = Block(p1, p2);  // player 2 to move
  CheckSession({
      {"START", {"OK"}},
      {full, {kFull}},
      {"BEST 1\nBEGIN\nTURN 0,0", {kFull, kFull, kFull}},
      {oneLeft, {last}},  // the only empty square
      {"BEST 1", {last}},
      {"TURN " + last, {kFull}},  // the opponent takes it: nothing left to answer
      {"BEST 1", {kFull}},
      {oneLeft + "\nBEGIN", {last, last}},
      {"BEST 1", {kFull}},  // BEGIN put its answer
  });
}

// The best move of this position changes between the first iterations and
// the completed search, which ends well within any budget given below. So
// the answer tells a search stopped at its first clock sample (a budget of
// zero or less) from one that used the per-move time.
std::string DepthProbe(const std::vector<std::string>& settings) {
  std::string input;
  for (const std::string& s : settings) input += s + "\n";
  input += BoardBlock({{12, 10}, {8, 10}, {13, 9}}, {{11, 13}, {12, 9}, {7, 6}});
  RunResult r = RunEngine(input);
  EXPECT_EQ(r.exitStatus, 0);
  return r.lines.empty() ? "" : r.lines.back();
}

TEST(Protocol, TimeSettingsSurviveStartAndZeroMatchTimeMeansNoLimit) {
  const std::string shallow = DepthProbe({"INFO timeout_match 1"});
  const std::string deep = DepthProbe({"INFO timeout_turn 60000", "INFO timeout_match 2147483647"});
  ASSERT_NE(shallow, deep) << "the probe position no longer tells the two apart";
  EXPECT_EQ(DepthProbe({"INFO time_left 0"}), shallow);
  EXPECT_EQ(DepthProbe({"INFO timeout_match 1", "START"}), shallow);
  EXPECT_EQ(DepthProbe({"INFO timeout_turn 0", "START 20", "START"}), shallow);
  EXPECT_EQ(DepthProbe({"INFO timeout_turn 60000", "INFO timeout_match 0"}), deep);
  EXPECT_EQ(DepthProbe({"INFO timeout_match 0", "INFO timeout_turn 99999999999", "START"}), deep);
  // time_left replaces the match time; 0 there is no time at all.
  EXPECT_EQ(DepthProbe({"INFO timeout_turn 60000", "INFO timeout_match 0", "INFO time_left 0"}),
            shallow);
}

}  // namespace
