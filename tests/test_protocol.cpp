// Manager transcripts through the real executable: game commands, argument rules,
// errors and settings. In the probe position players 1 and 2 have four stones on
// rows 0 and 19, so "BEST 1" answers the mover's five, 4,0 or 4,19; as the mover
// alternates with every stone, that tells whether a command put one.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tools/harness/manager.h"

namespace {

const std::string kAbout(kAboutLine);
const std::string kNoStart = "ERROR:START command must be issued first";
const std::string kBadArg = "ERROR wrong or missing command parameter";
const std::string kBadSize = "ERROR unsupported board size, sizes 5 to 20 are supported";
const std::string kInfoError = "ERROR INFO wrong parameter";
const std::string kFull = "ERROR board is full";
const std::string kOccupied = "ERROR square is occupied", kNoStone = "ERROR square is empty";
const std::string kP1 = "4,0", kP2 = "4,19";  // the probe's answer for each mover
const std::string kCentral = "<central>";     // any move with x and y in 5..14
const std::string kMove = "<move>";           // any move

struct Step {
  std::string input;  // lines; a newline ends the last one if missing
  std::vector<std::string> replies;
};

// Four stones on row y, then the extra ones.
Stones Row(int y, Stones extra = {}) {
  extra.insert(extra.begin(), {{0, y}, {1, y}, {2, y}, {3, y}});
  return extra;
}
std::string Block(const Stones& p1, const Stones& p2, int label = 0, bool done = true) {
  return BoardBlock(InPlayOrder(p1, p2), p1.size() == p2.size() ? 1 : 2, label, done);
}
std::string Plays(const Stones& stones) {
  std::string text;
  for (auto [x, y] : stones) text += "PLAY " + std::to_string(x) + "," + std::to_string(y) + "\n";
  return text;
}
const std::string kProbe = "START\n" + Plays(InPlayOrder(Row(0), Row(19)));  // replies OK

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
      const bool move = ParseMoveReply(got, &x, &y);
      const bool central = move && std::min(x, y) >= 5 && std::max(x, y) <= 14;
      if (want == kCentral ? !central : want == kMove ? !move : got != want) {
        ADD_FAILURE() << "after: " << s.input << "\n  expected: " << want << "\n  got: " << got;
        return;  // later lines are out of step
      }
      ++i;
    }
  if (i < r.lines.size()) ADD_FAILURE() << "unexpected extra output, first: " << r.lines[i];
}

TEST(Protocol, GameCommandsWaitForStartAndBoardSizesAreChecked) {
  CheckSession({
      // Refused before any argument is looked at.
      {"TURN 10,10\nTURN\nPUT 1,1,1\nBEST 7\nPLAY 1,1\nBEGIN\nRESTART\nTAKEBACK 1,1",
       std::vector(8, kNoStart)},
      {"START 4\nSTART 21\nSTART -1\nSTART 99999999999\nRECTSTART 20,4\nRECTSTART 21,5\n"
       "RECTSTART 5\nRECTSTART\nTURN 10,10",
       {kBadSize, kBadSize, kBadSize, kBadSize, kBadSize, kBadSize, kBadSize, kBadSize, kNoStart}},
      {"ABOUT\nINFO timeout_turn 200", {kAbout}},
      {"START 20 x\nSTART\nstart abc\nSTART 20", {"OK", "OK", "OK", "OK"}},
      {kProbe + "START 4\nRECTSTART 5,21\nBEST 1", {"OK", kBadSize, kBadSize, kP1}},  // it stays
      {"RESTART\nBEST 1", {"OK", kCentral}},  // a new, empty game
      // Coordinates beyond a smaller board are argument errors; RESTART keeps the size.
      {"START 5\nTURN 5,0\nPLAY 0,5\nRESTART\nTAKEBACK 0,5\nBEGIN", {"OK", kBadArg, kBadArg, "OK",
                                                                    kBadArg, kMove}},
      {"RECTSTART 5,7\nTURN 5,6\nTURN 4,7\nTURN 4,6", {"OK", kBadArg, kBadArg, kMove}},
  });
}

TEST(Protocol, ReportedStonesGoOnFreeSquaresOnly) {
  CheckSession({
      // Occupied or off the board: an error line, no stone and no search.
      {kProbe + "TURN 0,0\nTURN -1,5\nPUT 0,19,1\nPLAY 3,0\nPLAY 5,-1\nBEST 1",
       {"OK", kOccupied, kBadArg, kOccupied, kOccupied, kBadArg, kP1}},
      {"BEST 1\nBEST 2", {kP1, kP1}},  // BEST puts nothing
      {"PLAY 5 ,7\nPLAY 65546,3\nPLAY 3,-32769\nBEST 1", {kBadArg, kBadArg, kBadArg, kP1}},
      {"PLAY 010,3\nBEST 1\nPLAY 8,3", {kP2, kOccupied}},  // 010 was octal 8
      {"PLAY 0xb,5\nPLAY 11,5\nBEST 1", {kOccupied, kP1}},
      {"PUT 3,4,9\nPUT 3,4,65538\nPUT 3,4\nBEST 1", {kBadArg, kBadArg, kBadArg, kP1}},
      {"PUT 3,4,-1\nBEST 1", {kP2}},       // the third number is only bounded above
      {"PUT 5,5,1\nBEST 1", {kP1}},        // the colour of the mover, not of the third number
      {"TURN 12,12", {kP2}},               // the opponent's stone, then player 2 completes five
      {kProbe + "BEGIN\nBEST 1", {"OK", kP1, kP2}},  // BEGIN played its answer
  });
}

TEST(Protocol, BoardBlocksColourByTheirNumbersAndPlayTheAnswer) {
  const std::string cut = Block(Row(0), Row(19), 0, false);
  CheckSession({
      {"BOARD\nEND\nABOUT", {"OK", kBadArg, kAbout}},  // END is read as a position line
      {"PLAY 9,9", {}},                                // the first BOARD started a game
      // DONE plays the answer: player 1's five, so player 2 moves next.
      {Block(Row(0, {{9, 9}}), Row(19, {{12, 12}})) + "BEST 1", {kP1, kP2}},
      // Listed opponent first, yet own stones are 1: the engine is the first player.
      {BoardBlock(InPlayOrder(Row(19), Row(0)), 2), {kP1}},
      // One more opponent stone: the engine is the second player, whatever the order.
      {"BOARD\n0,0,1\n0,19,2\n1,0,1\n1,19,2\n2,0,1\n2,19,2\n3,0,1\n3,19,2\n9,9,2\nDONE", {kP1}},
      // Numbers no game gives keep the order: the first stone is player 1's.
      {Block(Row(0), Row(19), 2) + Block(Row(19), Row(0), 1), {kP1, kP2}},
      // Refused lines (occupied, off the board) keep the colour of the next one.
      {"BOARD\n0,0,1\n0,19,1\n0,0,1\n-1,4,2\n1,0,1\n1,19,1\n2,0,1\n2,19,1\n3,0,1\n3,19,1\ndone",
       {kP1}},
      {cut + "5,5,4\nDONE\nBEST 1", {kBadArg, "ERROR unknown command", kP1}},  // stones stay
      {cut + "20,1,1\nBEST 1", {kBadArg, kP1}},
  });
}

TEST(Protocol, CoordinateSyntax) {
  // (5,7) and (8,3) hold stones: accepted coordinates answer that they are occupied.
  const std::string probe = kProbe + Plays({{5, 7}, {12, 16}, {8, 3}, {15, 12}});
  CheckSession({
      {probe + "TURN 5, 7\nTURN 5,7 and more text\nTURN 5 ,7\nTURN 010,3\nTURN 0x8,3",
       {"OK", kOccupied, kOccupied, kBadArg, kOccupied, kOccupied}},
      {"TURN 20,5\nTURN 5\nTURN\nTURN 65546,3\nTURN 3,65539\nTURN a,b", std::vector(6, kBadArg)},
      {"BEST 0\nBEST 3\nBEST\nBEST abc\nBEST 65537\nBEST 99999999999\nBEST -1\nBEST 2",
       {kBadArg, kBadArg, kBadArg, kBadArg, kBadArg, kBadArg, kBadArg, kP1}},  // no stone put
  });
}

TEST(Protocol, TakeBackGivesTheMoveToTheStonesOwner) {
  CheckSession({
      {kProbe + "PLAY 10,10\nPLAY 12,12\nTAKEBACK 12,12\nBEST 1", {"OK", "OK", kP2}},
      {"TAKEBACK 12,12\nTAKEBACK 12,13\nTAKEBACK 20,1\nTAKEBACK -1,0\nTAKEBACK 1\nBEST 1",
       {kNoStone, kNoStone, kBadArg, kBadArg, kBadArg, kP2}},
      // An earlier stone: the later ones keep their colours.
      {"PLAY 12,12\nTAKEBACK 10,10\nBEST 1\nTAKEBACK 3,19\nBEST 1", {"OK", kP1, "OK", kP1}},
      {"PLAY 3,19\nBEST 1\nPLAY 12,12", {kP1, kOccupied}},
  });
}

TEST(Protocol, InfoWithoutAKeyIsAnError) {
  CheckSession({{"INFO\nINFO  ", {kInfoError, kInfoError}}});
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
  int moves = 0, x, y;
  for (const std::string& line : r.lines) {
    if (ParseMoveReply(line, &x, &y)) ++moves;
    if (line != "OK" && !ParseMoveReply(line, &x, &y)) ADD_FAILURE() << line;
  }
  EXPECT_TRUE(moves == 151 && r.lines.size() == 301u) << moves;
}

// The best move here changes between the first iterations and the completed
// search, which ends well within the long budgets below; so the answer tells a
// search stopped early from one given time.
std::string DepthProbe(const std::string& settings) {
  const RunResult r =
      RunEngine(settings + Block({{12, 10}, {8, 10}, {13, 9}}, {{11, 13}, {12, 9}, {7, 6}}));
  EXPECT_EQ(r.exitStatus, 0);
  return r.lines.empty() ? "" : r.lines.back();
}

TEST(Protocol, SearchLimitsSurviveStart) {
  const std::string unlimited = "INFO timeout_turn 60000\nINFO timeout_match 2147483647\n";
  const std::string shallow = DepthProbe("INFO timeout_match 1\n");
  const std::string deep = DepthProbe(unlimited);
  ASSERT_NE(shallow, deep) << "the probe position no longer tells the two apart";
  EXPECT_EQ(DepthProbe("INFO timeout_match 1\nSTART\n"), shallow);
  EXPECT_EQ(DepthProbe("INFO timeout_turn 0\nSTART 20\nSTART\n"), shallow);
  EXPECT_EQ(DepthProbe("INFO timeout_turn 60000\nINFO timeout_match 0\n"), deep);
  EXPECT_EQ(DepthProbe("INFO timeout_match 0\nINFO timeout_turn 99999999999\nSTART\n"), deep);
  // time_left replaces the match time, and 0 there is no time at all.
  EXPECT_EQ(DepthProbe("INFO timeout_turn 60000\nINFO timeout_match 0\nINFO time_left 0\n"),
            shallow);
  // The depth and move caps stop a search however much time it has; 0 lifts them.
  EXPECT_EQ(DepthProbe(unlimited + "INFO max_depth 1\nSTART\n"), shallow);
  EXPECT_EQ(DepthProbe(unlimited + "INFO max_node 1000\nSTART\n"), shallow);
  EXPECT_EQ(DepthProbe(unlimited + "INFO max_depth 1\nINFO max_depth 0\n"), deep);
  EXPECT_EQ(DepthProbe(unlimited + "INFO max_node 1\nINFO max_node 0\n"), deep);
}

}  // namespace
