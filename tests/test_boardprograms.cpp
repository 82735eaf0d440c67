// The engine as the board programs drive it, line by line through the real
// executable: Piskvork (the Gomocup manager, whose stop is INFO timeout_turn 0
// and whose continuous game blocks squares) and Yixin-Board (yxboard
// positions, yxnbest, database blocks, yxstop, analysis lines). Both read any
// line that is not a MESSAGE (Piskvork) or a log line (Yixin-Board) as the
// move, so no command may be answered with a line it does not expect.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/data_file.h"
#include "tools/harness/manager.h"

namespace {

using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

const std::string kAbout(kAboutLine);
const std::string kMove = "<move>";  // any move
// Settings of Yixin-Board's default level: no time limit at all.
const std::string kUnlimited =
    "INFO timeout_turn 2000000\nINFO timeout_match 100000000\nINFO time_left 100000000\n"
    "INFO max_depth 225";
// A few stones on 15 x 15: searching them to the full depth takes minutes.
const std::string kQuietPosition = "START 15 15\nBOARD\n7,7,2\n8,8,1\n6,8,2\nDONE";
// The stop must come within 100 ms; the margin here is for loaded machines
// and wine, while an unheeded stop would leave the search running for minutes.
constexpr double kStopBoundMs = 1500;

// A position as Yixin-Board sends it: the stones in play order, 1 on those of
// the side to move and 2 on the others, closed by done.
std::string YxPosition(const std::string& command, const Stones& stones) {
  std::string text = command + "\n";
  for (size_t i = 0; i < stones.size(); ++i) {
    const int label = stones.size() % 2 == i % 2 ? 1 : 2;
    text += std::to_string(stones[i].first) + "," + std::to_string(stones[i].second) + "," +
            std::to_string(label) + "\n";
  }
  return text + "done";
}

// Four stones of the side to move on row 0 and of the other on row 14: the
// side to move completes five on 4,0; after another stone of its own, the
// other side completes five on 4,14.
Stones Probe(Stones extraOfFirstPlayer = {}) {
  Stones first = {{0, 0}, {1, 0}, {2, 0}, {3, 0}}, second = {{0, 14}, {1, 14}, {2, 14}, {3, 14}};
  if (!extraOfFirstPlayer.empty()) std::swap(first, second);  // the second player is to move
  first.insert(first.end(), extraOfFirstPlayer.begin(), extraOfFirstPlayer.end());
  return InPlayOrder(first, second);
}

class BoardProgramSession {
 public:
  // Writes the lines and reads `replies.size()` lines, each expected as given
  // (kMove: any move); then ABOUT must come back next, so nothing else was
  // written in between.
  void Expect(const std::string& lines, const Lines& replies) {
    ASSERT_TRUE(engine_.WriteLine(lines));
    for (const std::string& want : replies) {
      const std::string got = engine_.ReadLine().value_or("(no reply)");
      int x, y;
      if (want == kMove ? !ParseMoveReply(got, &x, &y) : got != want) {
        FAIL() << "after: " << lines << "\n  expected: " << want << "\n  got: " << got;
      }
    }
    EXPECT_EQ(engine_.Ask("ABOUT").value_or("(no reply)"), kAbout) << "after: " << lines;
  }

  EngineProcess& engine() { return engine_; }

 private:
  EngineProcess engine_;
};

// The sessions of board_programs.txt, each in one process.
TEST(BoardPrograms, Sessions) {
  for (const DataCase& c : ReadCases("board_programs.txt")) {
    SCOPED_TRACE(c.name);
    BoardProgramSession session;
    std::string lines;
    Lines replies;
    const auto expect = [&] {
      if (!lines.empty()) session.Expect(lines.substr(0, lines.size() - 1), replies);
      lines.clear();
      replies.clear();
    };
    for (const std::string& row : c.rows) {
      if (row.starts_with('>') && !replies.empty()) expect();
      const std::string text = row.size() > 2 ? row.substr(2) : "";
      if (row.starts_with('>')) lines += text + "\n";
      if (row.starts_with('<')) replies.push_back(text);
    }
    expect();
  }
}

// A search that would run for minutes, with analysis lines on, is stopped the
// way each program stops it: the status line and the move of the last
// completed iteration come within the bound, or, for END, the end of the
// process with nothing written. Then play goes on as usual.
TEST(BoardPrograms, StopsEndAnUnlimitedSearchAtOnce) {
  const std::string kRealtime = "MESSAGE REALTIME BEST ";
  // A new time_left or timeout_match that leaves no time stops the search too.
  for (const std::string stop : {"INFO timeout_turn 0", "yxstop", "END", "INFO time_left 3000",
                                 "INFO timeout_match 3000"}) {
    SCOPED_TRACE(stop);
    BoardProgramSession gui;
    EngineProcess& engine = gui.engine();
    ASSERT_TRUE(engine.WriteLine("INFO show_detail 1\n" + kUnlimited + "\n" + kQuietPosition));
    EXPECT_EQ(engine.ReadLine(), "OK");
    // Each completed iteration marks its best square, and no answer comes.
    std::string best = "(none)";
    for (std::optional<std::string> line; (line = engine.ReadLine(1500));) {
      ASSERT_TRUE(line->starts_with(kRealtime)) << *line;
      best = line->substr(kRealtime.size());
    }
    const Clock::time_point sent = Clock::now();
    ASSERT_TRUE(engine.WriteLine(stop));
    std::optional<std::string> line;
    std::string status;
    while ((line = engine.ReadLine()) && line->starts_with("MESSAGE")) {
      if (line->starts_with(kRealtime)) best = line->substr(kRealtime.size());
      if (line->starts_with("MESSAGE [")) status = *line;
    }
    const std::chrono::duration<double, std::milli> took = Clock::now() - sent;
    EXPECT_LT(took.count(), kStopBoundMs);
    if (stop == "END") {
      EXPECT_TRUE(!line && status.empty() && engine.Finish(1000) == 0);
      continue;
    }
    EXPECT_EQ(line, best);
    EXPECT_TRUE(status.starts_with("MESSAGE [" + best + "]: value=")) << status;
    // yxstop when the engine is not thinking does nothing.
    gui.Expect("yxstop\nINFO show_detail 0\nINFO timeout_turn 300\nTURN 3,3", {kMove});
  }
}

// Typed while the engine thinks, a comment's lines wait with it: the search
// goes on until the stop, and the session after it.
TEST(YixinBoard, CommentTextDuringASearchIsNotRun) {
  BoardProgramSession yixin;
  yixin.Expect(kUnlimited, {});
  ASSERT_TRUE(yixin.engine().WriteLine(kQuietPosition));
  EXPECT_EQ(yixin.engine().ReadLine(), "OK");
  ASSERT_TRUE(yixin.engine().WriteLine("yxedittextdatabase \"Plan\nend\nyxstop\nbegin \"7,7\ndone"));
  EXPECT_FALSE(yixin.engine().ReadLine(300).has_value());
  yixin.Expect("yxstop", {kMove});
}

// Yixin-Board's Block bars squares from the engine's answers. Bars last
// through the start and board that the board program sends before each
// search, until yxblockundo or yxblockreset.
TEST(YixinBoard, BlockedSquaresAreNeverAnswered) {
  const std::set<std::string> barred = {"4,0", "4,14"};
  BoardProgramSession yixin;
  yixin.Expect("yxblock\n4,0\ndone\nyxblock\n4,14\n9,9\ndone\nyxblockundo\n9,9\ndone", {});
  // The side to move completes five on 4,0, the other side on 4,14.
  const std::string probe = YxPosition("yxboard", Probe());
  for (const char* command :
       {"board", "yxnbest 3", "yxsearchdefend", "yxbalanceone 0", "yxbalancetwo 0", "best 1"}) {
    const std::string position = std::string(command) == "board" ? YxPosition("board", Probe())
                                                                 : probe + "\n" + command;
    ASSERT_TRUE(yixin.engine().WriteLine("start 15\n" + position));
    EXPECT_EQ(yixin.engine().ReadLine(), "OK");
    const std::string answer = yixin.engine().ReadLine().value_or("(no reply)");
    std::istringstream squares(answer);  // one move, or two for yxbalancetwo
    for (std::string square; squares >> square;) {
      int x, y;
      EXPECT_TRUE(ParseMoveReply(square, &x, &y, 15, 15)) << command << ": " << answer;
      EXPECT_FALSE(barred.contains(square)) << command << " answered " << answer;
    }
  }
  // After the board's answer, the opponent's move: the five is still barred.
  yixin.Expect("turn 10,10", {kMove});
  yixin.Expect("start 15\n" + probe + "\nyxblockundo\n4,0\ndone\nbest 1", {"OK", "4,0"});
  yixin.Expect("yxblock\n4,0\ndone\nyxblockreset\nbest 1", {"4,0"});
  // Only when every free square is barred does a barred one come, said first.
  std::string allButOne = "start 5\nyxblock\n";
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x)
      if (x + y != 0) allButOne += std::to_string(x) + "," + std::to_string(y) + "\n";
  yixin.Expect(allButOne + "done\nbegin", {"OK", "0,0"});
  yixin.Expect("start 5\nyxblock\n0,0\ndone\nbegin",
               {"OK", "MESSAGE every free square is blocked: Tessel plays a blocked square",
                kMove});
}

// One engine plays both sides, as Yixin-Board lets it: every move is a new
// game of start and a board block; the referee judges each answer.
TEST(YixinBoard, EngineAgainstItselfThroughBoardBlocks) {
  BoardProgramSession yixin;
  yixin.Expect("INFO timeout_turn 200\nINFO max_depth 3", {});
  Referee referee(15, 15);
  Referee::Outcome outcome = Referee::Outcome::kPlaying;
  while (outcome == Referee::Outcome::kPlaying && referee.stones().size() < 60) {
    ASSERT_TRUE(yixin.engine().WriteLine("start 15 15\n" + YxPosition("board", referee.stones())));
    ASSERT_EQ(yixin.engine().ReadLine(), "OK");
    const std::string reply = yixin.engine().ReadLine().value_or("(no reply)");
    int x, y;
    ASSERT_TRUE(ParseMoveReply(reply, &x, &y, 15, 15)) << reply;
    ASSERT_EQ(referee.Fault(x, y), "") << "move " << referee.stones().size() + 1 << ": " << reply;
    outcome = referee.Play(x, y);
  }
  EXPECT_GT(referee.stones().size(), 8u);
}

// A decided value counts the winner's moves up to the deepest ply searched,
// the side to move playing plies 0, 2, 4... and its opponent 1, 3, 5...: the
// side to move here is lost against a three beside a two, and the search
// reaches an even ply, where a count one too high would show.
TEST(YixinBoard, ALossCountsTheOpponentsMovesUpToTheDeepestPly) {
  EngineProcess engine;
  ASSERT_TRUE(engine.WriteLine(
      "INFO show_detail 2\nINFO max_depth 2\nINFO timeout_turn 600000\nINFO timeout_match 0\n"
      "start 15\nyxboard\n5,5,1\n7,10,2\n6,8,2\n9,6,1\n8,10,2\n5,10,2\n8,6,1\ndone\nbest 1"));
  std::string selDepth, eval;
  int x, y;
  for (std::optional<std::string> line; (line = engine.ReadLine()) && !ParseMoveReply(*line, &x, &y);) {
    if (line->starts_with("INFO SELDEPTH ")) selDepth = line->substr(14);
    if (line->starts_with("INFO EVAL ")) eval = line->substr(10);
  }
  ASSERT_TRUE(eval.starts_with("-M") && !selDepth.empty()) << eval;
  const int deepest = std::stoi(selDepth);
  EXPECT_EQ(deepest % 2, 0) << "the position no longer reaches an even ply";
  int opponentMoves = 0;
  for (int ply = 0; ply <= deepest; ++ply) opponentMoves += ply % 2;
  EXPECT_EQ(eval, "-M" + std::to_string(opponentMoves));
}

}  // namespace
