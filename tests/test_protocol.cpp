// Manager transcripts through the real executable: game commands, argument rules,
// errors and settings. In the probe position players 1 and 2 have four stones on
// rows 0 and 19, so "BEST 1" answers the mover's five, 4,0 or 4,19; as the mover
// alternates with every stone, that tells whether a command put one.
#include <gtest/gtest.h>

#include <algorithm>
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
const std::string kP1 = "4,0", kP2 = "4,19";  // the probe's answer for each mover
const std::string kCentral = "<central>";     // any move with x and y in 5..14

struct Step {
  std::string input;  // lines; a newline ends the last one if missing
  std::vector<std::string> replies;
};

// Four stones on row y, then the extra ones.
Stones Row(int y, Stones extra = {}) {
  extra.insert(extra.begin(), {{0, y}, {1, y}, {2, y}, {3, y}});
  return extra;
}
const std::string kProbe = BoardBlock(Row(0), Row(19));

void CheckSession(const std::vector<Step>& steps) {
  std::string input;
  for (const Step& s : steps) input += s.input.ends_with('\n') ? s.input : s.input + "\n";
  const RunResult r = RunEngine(input);
  EXPECT_EQ(r.exitStatus, 0);
  size_t i = 0;
  for (const Step& s : steps)
    for (const std::string& want : s.replies) {
      const std::string got = i < r.lines.size() ? r.lines[i] : "(no reply)";
      int x, y;
      const bool central =
          ParseMoveReply(got, &x, &y) && std::min(x, y) >= 5 && std::max(x, y) <= 14;
      if (want == kCentral ? !central : got != want) {
        ADD_FAILURE() << "after: " << s.input << "\n  expected: " << want << "\n  got: " << got;
        return;  // later lines are out of step
      }
      ++i;
    }
  if (i < r.lines.size()) ADD_FAILURE() << "unexpected extra output, first: " << r.lines[i];
}

TEST(Protocol, GameCommandsWaitForStartAndStartChecksTheBoardSize) {
  CheckSession({
      // Refused before any argument is looked at.
      {"TURN 10,10\nTURN\nPUT 1,1,1\nBEST 7\nPLAY 1,1\nBEGIN", std::vector(6, kNoStart)},
      {"START 15\nSTART -1\nSTART 99999999999\nTURN 10,10",
       {kBadSize, kBadSize, kBadSize, kNoStart}},
      {"ABOUT\nINFO timeout_turn 200", {kAbout}},
      {"START 20 x\nSTART\nstart abc\nSTART 20", {"OK", "OK", "OK", "OK"}},
      {"PLAY 0,0\nPLAY 0,19\nPLAY 1,0\nPLAY 1,19\nPLAY 2,0\nPLAY 2,19\nPLAY 3,0\nPLAY 3,19", {}},
      {"START 15\nBEST 1", {kBadSize, kP1}},  // the probe position stays
      {"START\nBEST 1", {"OK", kCentral}},    // a new, empty game
  });
}

TEST(Protocol, StonesAlternateWhateverTheManagerSays) {
  CheckSession({
      {BoardBlock(Row(0), Row(19), 2), {"OK", kP1}},  // every line claims player 2
      {"BEST 1\nBEST 2", {kP1, kP1}},                 // neither BOARD nor BEST puts its answer
      // Occupied and off the board are silent, malformed and out of range refused: no stone.
      {"PLAY 0,0\nPLAY -1,5\nPLAY 5 ,7\nPLAY 65546,3\nPLAY 3,-32769\nBEST 1",
       {kBadArg, kBadArg, kBadArg, kP1}},
      {"PLAY 010,3\nBEST 1\nPLAY 8,3\nBEST 1", {kP2, kP2}},  // 010 was octal 8
      {"PLAY 0xb,5\nPLAY 11,5\nBEST 1", {kP1}},
      {"PUT 3,4,9\nPUT 3,4,65538\nPUT 3,4\nBEST 1", {kBadArg, kBadArg, kBadArg, kP1}},
      {"PUT 3,4,-1\nBEST 1", {kP2}},       // the third number is only bounded above
      {"PUT 5,5,1\nBEST 1", {kP1}},        // the colour of the mover, not of the third number
      {"TURN 12,12", {kP2}},               // the opponent's stone, then player 2 completes five
      {"BEST 1\nTURN 12,12", {kP1, kP1}},  // both went on; occupied: player 1 still to move
      {kProbe + "BEGIN\nBEST 1", {kP1, kP1, kP2}},  // BEGIN put its answer
  });
}

TEST(Protocol, CoordinateSyntax) {
  // (5,7) and (8,3) are occupied: an accepted TURN on them adds no stone and
  // player 1 answers; a stone elsewhere makes player 2 answer.
  const std::string probe = BoardBlock(Row(0, {{5, 7}, {8, 3}}), Row(19, {{12, 16}, {15, 12}}));
  CheckSession({
      {probe + "TURN 5, 7", {"OK", kP1, kP1}},
      {probe + "TURN 5,7 and more text\n" + probe + "TURN 5 ,7", {kP1, kP1, kP1, kBadArg}},
      {probe + "TURN 010,3\n" + probe + "TURN 0x8,3", {kP1, kP1, kP1, kP1}},
      {probe + "TURN 10,3\nBEST 1", {kP1, kP2, kP1}},
      {"TURN 20,5\nTURN 5\nTURN\nTURN 65546,3\nTURN 3,65539\nTURN a,b", std::vector(6, kBadArg)},
      {"BEST 0\nBEST 3\nBEST\nBEST abc\nBEST 65537\nBEST 99999999999\nBEST -1\nBEST 2",
       {kBadArg, kBadArg, kBadArg, kBadArg, kBadArg, kBadArg, kBadArg, kP1}},  // no stone put
  });
}

TEST(Protocol, BoardBlocksAndInfoKeys) {
  const std::string cut = BoardBlock(Row(0), Row(19), 0, false);
  CheckSession({
      {"BOARD\nEND\nABOUT", {"OK", kBadArg, kAbout}},  // END is read as a position line
      {"PLAY 9,9", {}},                                // the first BOARD started a game
      // Refused lines (occupied, off the board) keep the colour of the next one.
      {"BOARD\n0,0,1\n0,19,1\n0,0,1\n-1,4,2\n1,0,1\n1,19,1\n2,0,1\n2,19,1\n3,0,1\n3,19,1\ndone",
       {kP1}},
      {BoardBlock(Row(19), Row(0)), {"4,19"}},  // roles swapped: only a reset board accepts them
      {cut + "5,5,3\nDONE\nBEST 1", {kBadArg, "ERROR unknown command", kP1}},  // stones stay
      {cut + "20,1,1\nBEST 1", {kBadArg, kP1}},
      {"INFO foo 1\nINFO\nINFO timeout_turnx 5\nINFO  time", std::vector(4, kInfoError)},
      {"INFO max_memory 83886080\nINFO game_type 1\nINFO rule 0\nINFO evaluate 3,4", {}},
      {"info TIMEOUT_TURN 300\nINFO timeout_match 0\nINFO time_left 0", {}},
      {"INFO timeout_turn 99999999999\nINFO timeout_match 99999999999", {}},
  });
}

TEST(Protocol, FullBoard) {
  // Runs of two along rows and diagonals and of one along columns: never a five.
  Stones p[2];
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) p[(x + 2 * y) % 4 < 2 ? 0 : 1].emplace_back(x, y);
  const std::string full = BoardBlock(p[0], p[1]);
  const std::string last =
      std::to_string(p[1].back().first) + "," + std::to_string(p[1].back().second);
  p[1].pop_back();
  const std::string oneLeft = BoardBlock(p[0], p[1]);  // player 2 to move
  CheckSession({
      {"START\n" + full + "BEST 1\nBEGIN\nTURN 0,0", {"OK", kFull, kFull, kFull, kFull}},
      {oneLeft + "BEST 1", {last, last}},                // the only empty square
      {"TURN " + last + "\nBEST 1", {kFull, kFull}},     // the opponent took it: nothing to answer
      {oneLeft + "BEGIN\nBEST 1", {last, last, kFull}},  // BEGIN put its answer
  });
}

// The best move here changes between the first iterations and the completed
// search, which ends well within the long budgets below; so the answer tells a
// search stopped at its first clock sample (no budget) from one given time.
std::string DepthProbe(const std::string& settings) {
  const RunResult r =
      RunEngine(settings + BoardBlock({{12, 10}, {8, 10}, {13, 9}}, {{11, 13}, {12, 9}, {7, 6}}));
  EXPECT_EQ(r.exitStatus, 0);
  return r.lines.empty() ? "" : r.lines.back();
}

TEST(Protocol, TimeSettingsSurviveStartAndZeroMatchTimeMeansNoLimit) {
  const std::string shallow = DepthProbe("INFO timeout_match 1\n");
  const std::string deep = DepthProbe("INFO timeout_turn 60000\nINFO timeout_match 2147483647\n");
  ASSERT_NE(shallow, deep) << "the probe position no longer tells the two apart";
  EXPECT_EQ(DepthProbe("INFO timeout_match 1\nSTART\n"), shallow);
  EXPECT_EQ(DepthProbe("INFO timeout_turn 0\nSTART 20\nSTART\n"), shallow);
  EXPECT_EQ(DepthProbe("INFO timeout_turn 60000\nINFO timeout_match 0\n"), deep);
  EXPECT_EQ(DepthProbe("INFO timeout_match 0\nINFO timeout_turn 99999999999\nSTART\n"), deep);
  // time_left replaces the match time, and 0 there is no time at all.
  EXPECT_EQ(DepthProbe("INFO timeout_turn 60000\nINFO timeout_match 0\nINFO time_left 0\n"),
            shallow);
}

}  // namespace
