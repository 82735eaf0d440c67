// The engine as the board programs drive it, line by line through the real
// executable: Piskvork (the Gomocup manager, whose stop is INFO timeout_turn 0
// and whose continuous game blocks squares) and Yixin-Board (yxboard
// positions, a new game while the engine thinks, yxstop, database and block
// commands, the analysis lines that its view draws from the INFO show_detail
// bits, and the candidate searches yxnbest, yxsearchdefend, yxbalanceone and
// yxbalancetwo), each exactly as its source writes it. Both read any line that
// is not a MESSAGE (Piskvork) or a log line (Yixin-Board) as the move, so no
// command may be answered with a line it does not expect. The literal sessions
// are in tests/data/board_programs.txt.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/session.h"

namespace {

using Clock = std::chrono::steady_clock;

// Three stones on 15 x 15 with player 2 to move: searching them to the full
// depth takes minutes. As board answers them, as yxboard loads them.
const Stones kQuietStones = {{7, 7}, {8, 8}, {6, 8}};
const std::string kQuietBoard = "start 15\n" + YxPosition("board", kQuietStones);
const std::string kQuietYxBoard = "start 15\n" + YxPosition("yxboard", kQuietStones);

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The sessions of board_programs.txt, each in one process.
TEST(BoardPrograms, Sessions) {
  for (const DataCase& c : ReadCases("board_programs.txt")) {
    SCOPED_TRACE(c.name);
    Session session;
    for (const Step& step : Steps(c)) session.Expect(step.input, step.replies);
  }
}

// A search that would run for minutes, with analysis lines on, is stopped by
// each line of session_stops.txt, the way a program stops it or a command that brings
// a new position: the status line and the move of the last completed
// iteration come within the bound, or, for END, the end of the process with
// nothing written. A new position is then performed, its own replies
// following. Play goes on.
TEST(BoardPrograms, StopsEndAnUnlimitedSearchAtOnce) {
  const std::string kRealtime = "MESSAGE REALTIME BEST ";
  for (const DataCase& c : ReadCases("session_stops.txt")) {
    SCOPED_TRACE(c.name);
    const auto [stop, replies] = Steps(c).front();
    Session gui;
    EngineProcess& engine = gui.engine();
    gui.Send("INFO show_detail 1\n" + kUnlimited + "\n" + kQuietBoard);
    EXPECT_EQ(gui.Next(), "OK");
    // Each completed iteration marks its best square, and no answer comes.
    std::string best = "(none)";
    for (std::optional<std::string> line; (line = engine.ReadLine(1500));) {
      ASSERT_TRUE(line->starts_with(kRealtime)) << *line;
      best = line->substr(kRealtime.size());
    }
    const Clock::time_point sent = Clock::now();
    gui.Send(stop);
    std::optional<std::string> line;
    std::string status;
    while ((line = engine.ReadLine()) && line->starts_with("MESSAGE")) {
      if (line->starts_with(kRealtime)) best = line->substr(kRealtime.size());
      if (line->starts_with("MESSAGE [")) status = *line;
    }
    EXPECT_LT(MsSince(sent), kStopBoundMs);
    if (stop == "END") {
      EXPECT_TRUE(!line && status.empty() && engine.Finish(1000) == 0);
      continue;
    }
    EXPECT_EQ(line, best);
    EXPECT_TRUE(status.starts_with("MESSAGE [" + best + "]: value=")) << status;
    for (const std::string& want : replies) {
      std::string got = gui.Next();
      while (got.starts_with("MESSAGE")) got = gui.Next();
      EXPECT_TRUE(Matches(got, want)) << got;
    }
    // yxstop when the engine is not thinking does nothing; a new position's
    // stone is in play.
    const bool stone = stop.find("1,1") != std::string::npos;
    gui.Expect("yxstop\nINFO show_detail 0\nINFO timeout_turn 300\nTURN 1,1",
               {stone ? "ERROR square is occupied" : kMove});
  }
}

// A new game while the engine thinks: Yixin-Board sends no stop, but counts
// on one answer for the search it leaves and drops it (new_game's
// isneedomit). So the old search answers at once, before the new commands,
// and every later answer belongs to the position it was asked on. This is the
// replay of issue 21, where a stale answer came back for the human's move.
TEST(YixinBoard, NewGameWhileThinkingAnswersTheOldSearchAtOnce) {
  Session yixin;
  yixin.StartThinking("start 15\nboard\n7,7,2\ndone", 2000);
  const std::string old = yixin.Ask("start 15\nyxboard\ndone\nstart 15\nboard\n7,7,2\ndone");
  EXPECT_TRUE(IsMove(old, 15)) << old;
  EXPECT_EQ(yixin.Next(), "OK");
  EXPECT_EQ(yixin.Next(), "OK");
  EXPECT_EQ(yixin.engine().ReadLine(1000), std::nullopt);  // the new position is being searched
  const std::string fresh = yixin.Ask("yxstop");
  EXPECT_TRUE(IsMove(fresh, 15) && fresh != "7,7") << fresh;
  // The same position again, stopped at once, then the human's move.
  EXPECT_EQ(yixin.Ask("start 15\nboard\n7,7,2\ndone\nyxstop"), "OK");
  const std::string own = yixin.Next();
  EXPECT_TRUE(IsMove(own, 15) && own != "7,7") << own;
  const std::string last = yixin.Ask("turn 8,8\nyxstop");
  EXPECT_TRUE(IsMove(last, 15)) << last;
  EXPECT_TRUE(last != "7,7" && last != "8,8" && last != own) << last << " after " << own;
  yixin.Expect("yxstop", {});
}

// Typed while the engine thinks, a comment's lines wait with it: the search
// goes on until the stop, and the session after it.
TEST(YixinBoard, CommentTextDuringASearchIsNotRun) {
  Session yixin;
  yixin.StartThinking(kQuietBoard, 0);
  yixin.Send("yxedittextdatabase \"Plan\nend\nyxstop\nbegin \"7,7\ndone");
  EXPECT_FALSE(yixin.engine().ReadLine(300).has_value());
  yixin.Expect("yxstop", {kMove});
}

// show_detail bits: 1 the realtime mark of each iteration, 2 a detail block
// and a log line per iteration; either brings the status line. Without them
// only the answer is written.
TEST(BoardPrograms, ShowDetailBitsChooseTheAnalysisLines) {
  for (int bits : {0, 1, 2, 3}) {
    SCOPED_TRACE(bits);
    Session yixin;
    yixin.Expect("INFO show_detail " + std::to_string(bits) + "\nINFO max_depth 3", {});
    const Reply reply = yixin.Request(kQuietBoard);
    ASSERT_TRUE(IsMove(reply.answer, 15)) << reply.answer;
    const int iterations = 3;
    EXPECT_EQ(reply.Count("MESSAGE REALTIME BEST "), bits & 1 ? iterations : 0);
    EXPECT_EQ(reply.Count("MESSAGE depth="), bits & 2 ? iterations : 0);
    EXPECT_EQ(reply.Count("MESSAGE ["), bits != 0 ? 1 : 0);
    const std::vector<Block> blocks = reply.Blocks();
    ASSERT_EQ(blocks.size(), size_t(bits & 2 ? iterations : 0));
    EXPECT_EQ(reply.before.size(), size_t(reply.Count("MESSAGE") + 12 * blocks.size()));
    for (size_t i = 0; i < blocks.size(); ++i) {
      const Block& b = blocks[i];
      EXPECT_TRUE(b.Int("INDEX") == 0 && b.Int("NUMPV") == 1 && b.Int("DEPTH") == int(i) + 1);
      EXPECT_TRUE(b.info.at("PV") == "DONE" && IsMove(b.Line(), 15)) << b.Line();
      for (const char* key : {"SELDEPTH", "NODES", "TOTALNODES", "TOTALTIME", "SPEED", "WINRATE"})
        EXPECT_TRUE(b.info.contains(key)) << key;
    }
    if (blocks.empty()) continue;
    // The last block is the answer's, its value the side to move's: the
    // status line gives player 1's, and the engine is player 2 here.
    const Block& last = blocks.back();
    EXPECT_EQ(last.Line(), reply.answer);
    const std::string status = reply.before.back();
    EXPECT_TRUE(status.starts_with("MESSAGE [" + reply.answer +
                                   "]: value=" + std::to_string(-last.Eval()) + ","))
        << status;
  }
}

// WINRATE is a monotonic map of EVAL, 0.5 at 0; a found win reads +M<n> with
// a win rate near 1: +M1 for the five itself, more for a four that wins. The
// last block is the answer's.
TEST(BoardPrograms, EvalAndWinRateAgreeAndWinsReadAsMate) {
  Session yixin;
  yixin.Expect("INFO show_detail 2\nINFO max_depth 4", {});
  const std::pair<std::string, std::string> positions[] = {
      {kQuietBoard, ""},
      {"start 15\nboard\n7,7,2\n8,7,1\ndone", ""},
      // Four stones in a row on row 3: the five, 4,3.
      {"start 15\nboard\n0,3,1\n0,9,2\n1,3,1\n1,9,2\n2,3,1\n13,13,2\n3,3,1\n13,11,2\ndone", "+M1"},
      // An open three: the open four, then the five.
      {"start 15\nboard\n5,7,1\n0,0,2\n6,7,1\n0,14,2\n7,7,1\n14,0,2\ndone", "+M2"}};
  std::vector<std::pair<int, double>> seen;
  for (const auto& [position, win] : positions) {
    const Reply reply = yixin.Request(position);
    const std::vector<Block> blocks = reply.Blocks();
    ASSERT_FALSE(blocks.empty());
    for (const Block& b : blocks) seen.emplace_back(b.Eval(), std::stod(b.info.at("WINRATE")));
    EXPECT_EQ(blocks.back().Line(), reply.answer);
    if (win.empty()) continue;
    EXPECT_EQ(blocks.back().info.at("EVAL"), win) << reply.answer;
    EXPECT_GE(std::stod(blocks.back().info.at("WINRATE")), 0.99);
  }
  std::sort(seen.begin(), seen.end());
  for (size_t i = 0; i < seen.size(); ++i) {
    const auto [eval, rate] = seen[i];
    EXPECT_TRUE(rate > 0 && rate < 1.0001 && (eval > 0) == (rate > 0.5) &&
                (eval < 0) == (rate < 0.5))
        << eval << " " << rate;
    if (i > 0) {
      EXPECT_LE(seen[i - 1].second, rate) << eval;
    }
  }
}

// yxnbest n: at every depth the candidates, each a square of its own and
// searched, best first; the answer the best of the deepest, one realtime mark
// per depth of its best; nothing is played, and BEST answers as before. Under
// renju here the root's generator offers seven squares: seven are shown.
TEST(YixinBoard, NBestSearchesEachCandidateOnceAndAnswersTheBest) {
  const std::tuple<std::string, int, size_t> cases[] = {
      {kQuietYxBoard, 3, 3},
      {"INFO rule 2\nstart 15\nyxboard\n7,7,1\n8,6,2\n5,9,1\n8,7,2\ndone", 8, 7}};
  for (const auto& [position, n, shown] : cases) {
    SCOPED_TRACE(position);
    Session yixin;
    yixin.Expect("yxshowinfo\nINFO show_detail 3\nINFO max_depth 3\n" + position, {"OK"});
    const std::string best = yixin.Request("BEST 1").answer;
    const Reply reply = yixin.Request("yxnbest " + std::to_string(n));
    std::map<int, std::vector<Block>> byDepth;
    for (const Block& b : reply.Blocks()) byDepth[b.Int("DEPTH")].push_back(b);
    ASSERT_EQ(byDepth.size(), 3u);
    Lines bests;
    for (const auto& [depth, blocks] : byDepth) {
      ASSERT_EQ(blocks.size(), shown) << depth;
      std::set<std::string> squares;
      for (size_t k = 0; k < shown; ++k) {
        const Block& b = blocks[k];
        EXPECT_TRUE(b.Int("INDEX") == int(k) && b.Int("NUMPV") == int(shown) && b.Int("NODES") > 0);
        EXPECT_TRUE(squares.insert(b.Line()).second) << b.Line() << " twice at depth " << depth;
        if (k > 0) {
          EXPECT_LE(b.Eval(), blocks[k - 1].Eval()) << depth;
        }
      }
      bests.push_back("MESSAGE REALTIME BEST " + blocks.front().Line());
    }
    EXPECT_EQ(reply.answer, byDepth[3].front().Line());
    Lines marks;
    std::copy_if(reply.before.begin(), reply.before.end(), std::back_inserter(marks),
                 [](const std::string& line) { return line.starts_with("MESSAGE REALTIME"); });
    EXPECT_EQ(marks, bests);
    EXPECT_EQ(yixin.Request("BEST 1").answer, best);
    // The stones stay as loaded: the answer square is still free.
    EXPECT_TRUE(IsMove(yixin.Request("turn " + reply.answer).answer, 15));
  }
}

// yxsearchdefend facing an open three: the candidates shown are those that
// do not lose, best first, and the answer is the first.
TEST(YixinBoard, SearchDefendShowsTheMovesThatDoNotLose) {
  Session yixin;
  yixin.Expect(
      "INFO show_detail 2\nINFO max_depth 3\n"
      "start 15\nyxboard\n5,7,2\n5,5,1\n6,7,2\n9,11,1\n7,7,2\ndone",
      {"OK"});
  const Reply reply = yixin.Request("yxsearchdefend");
  const std::vector<Block> last = reply.LastDepth();
  ASSERT_FALSE(last.empty());
  EXPECT_EQ(reply.answer, last.front().Line());
  const std::vector<Block> blocks = reply.Blocks();
  for (const Block& b : blocks) {
    EXPECT_FALSE(b.info.at("EVAL").starts_with("-M")) << b.Line();
    EXPECT_EQ(b.Int("NUMPV"), std::count_if(blocks.begin(), blocks.end(), [&](const Block& o) {
                return o.Int("DEPTH") == b.Int("DEPTH");
              }));
  }
  // Every move that is not on the three's line loses at once.
  for (const Block& b : last) {
    int x, y;
    ASSERT_TRUE(ParseMoveReply(b.Line(), &x, &y, 15, 15));
    EXPECT_EQ(y, 7) << b.Line();
  }
}

// The balance commands answer the candidate, or the pair of moves, whose
// value after them is closest to the one asked for, and play nothing. Each
// candidate's value, from the side to move's view, is the value of a plain
// search one ply shallower of the position after its moves: the same after
// two moves, negated after one.
TEST(YixinBoard, BalanceCommandsAnswerTheClosestOfTheirValues) {
  for (const std::string command : {"yxbalanceone", "yxbalancetwo"}) {
    for (int target : {-3000, 0, 500}) {
      SCOPED_TRACE(command + " " + std::to_string(target));
      Session yixin;
      yixin.Expect("INFO show_detail 2\nINFO max_depth 2\n" + kQuietYxBoard, {"OK"});
      const Reply reply = yixin.Request(command + " " + std::to_string(target));
      const std::vector<Block> last = reply.LastDepth();
      ASSERT_GE(last.size(), 3u);
      const Block& closest =
          *std::min_element(last.begin(), last.end(), [&](const Block& a, const Block& b) {
            return std::abs(a.Eval() - target) < std::abs(b.Eval() - target);
          });
      EXPECT_EQ(reply.answer, closest.Line());
      EXPECT_EQ(reply.answer.find(' ') != std::string::npos, command == "yxbalancetwo");
      // Nothing was played: player 2 is still to move on the loaded stones.
      EXPECT_EQ(yixin.Request("turn 8,8").answer, "ERROR square is occupied");
      if (target != 0) continue;
      for (const Block& candidate : last) {
        Stones after = kQuietStones;
        std::istringstream moves(candidate.Line());
        for (std::string move; moves >> move;) {
          int x, y;
          EXPECT_TRUE(ParseMoveReply(move, &x, &y, 15, 15)) << move;
          after.emplace_back(x, y);
        }
        EXPECT_EQ(std::set(after.begin(), after.end()).size(), after.size());
        yixin.Expect("INFO max_depth 1\nstart 15\n" + YxPosition("yxboard", after), {"OK"});
        const std::vector<Block> plain = yixin.Request("best 1").Blocks();
        ASSERT_FALSE(plain.empty());
        const int sign = (after.size() - kQuietStones.size()) % 2 == 0 ? 1 : -1;
        EXPECT_EQ(candidate.Eval(), sign * plain.back().Eval()) << candidate.Line();
      }
    }
  }
}

// Facing two fours, or a three beside a two, the side to move has lost. A
// decided value counts the winner's moves up to the deepest ply searched, the
// side to move playing plies 0, 2, 4... and its opponent 1, 3, 5...: -M1
// before the opponent's next move. The status line before every answer gives
// the value in player 1's view, whoever is to move.
TEST(YixinBoard, ALossCountsTheOpponentsMovesAndTheStatusLineSpeaksForPlayerOne) {
  const Stones fours = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {0, 2}, {0, 3}};
  const Stones loser = {{7, 7}, {7, 9}, {9, 7}, {0, 5}, {1, 5}, {14, 14}};
  Stones loserFirst = loser;
  loserFirst.emplace_back(13, 13);
  const std::pair<Stones, int> cases[] = {
      {InPlayOrder(fours, loser), 30000},
      {InPlayOrder(loserFirst, fours), -30000},
      {InPlayOrder({{7, 10}, {6, 8}, {8, 10}, {5, 10}}, {{5, 5}, {9, 6}, {8, 6}}), 30000}};
  bool evenPly = false;  // where a count one too high would show
  for (const auto& [stones, player1Value] : cases) {
    for (const char* command : {"best 1", "yxnbest 1", "yxbalanceone 0"}) {
      SCOPED_TRACE(std::string(command) + ", player 1 value " + std::to_string(player1Value));
      Session yixin;
      yixin.Expect(
          "INFO show_detail 3\nINFO max_depth 3\nstart 15\n" + YxPosition("yxboard", stones),
          {"OK"});
      const Reply reply = yixin.Request(command);
      const std::vector<Block> blocks = reply.Blocks();
      ASSERT_FALSE(blocks.empty());
      const Block& last = blocks.back();
      const int deepest = last.Int("SELDEPTH");
      evenPly = evenPly || deepest % 2 == 0;
      EXPECT_EQ(last.info.at("EVAL"), "-M" + std::to_string((deepest + 1) / 2));
      EXPECT_NE(reply.before.back().find("]: value=" + std::to_string(player1Value) + ","),
                std::string::npos)
          << reply.before.back();
    }
  }
  EXPECT_TRUE(evenPly) << "no position reaches an even ply any more";
}

// Yixin-Board's unlimited level sends INFO max_depth 225 and stops the
// search itself: a setting above the usual depth of ten deepens every search.
TEST(YixinBoard, MaxDepthAboveTenDeepensTheSearch) {
  for (const auto& [setting, depth] : {std::pair{"0", 10}, std::pair{"11", 11}}) {
    Session yixin;
    const Reply reply = yixin.Request(std::string("INFO max_depth ") + setting +
                                      "\nINFO timeout_turn 600000\nINFO timeout_match 0\n"
                                      "INFO show_detail 1\nstart 6\nboard\n2,2,1\ndone");
    EXPECT_TRUE(IsMove(reply.answer, 6)) << reply.answer;
    ASSERT_FALSE(reply.before.empty());
    EXPECT_NE(reply.before.back().find(", depth=" + std::to_string(depth) + ","), std::string::npos)
        << "max_depth " << setting << ": " << reply.before.back();
  }
}

// Yixin-Board's Block bars squares from the engine's answers. Bars last
// through the start and board that the board program sends before each
// search (until yxblockundo or yxblockreset: board_programs.txt).
TEST(YixinBoard, BlockedSquaresAreNeverAnswered) {
  const std::set<std::string> barred = {"4,0", "4,14"};
  Session yixin;
  yixin.Expect("yxblock\n4,0\ndone\nyxblock\n4,14\n9,9\ndone\nyxblockundo\n9,9\ndone", {});
  // Four stones of the side to move on row 0 and of the other on row 14: the
  // side to move completes five on 4,0, the other side on 4,14.
  const Stones probe =
      InPlayOrder({{0, 0}, {1, 0}, {2, 0}, {3, 0}}, {{0, 14}, {1, 14}, {2, 14}, {3, 14}});
  const std::string loaded = YxPosition("yxboard", probe);
  for (const std::string command :
       {"board", "yxnbest 3", "yxsearchdefend", "yxbalanceone 0", "yxbalancetwo 0", "best 1"}) {
    const std::string position =
        command == "board" ? YxPosition("board", probe) : loaded + "\n" + command;
    EXPECT_EQ(yixin.Ask("start 15\n" + position), "OK");
    const std::string answer = yixin.Next();
    std::istringstream squares(answer);  // one move, or two for yxbalancetwo
    for (std::string square; squares >> square;) {
      EXPECT_TRUE(IsMove(square, 15)) << command << ": " << answer;
      EXPECT_FALSE(barred.contains(square)) << command << " answered " << answer;
    }
  }
  // After the board's answer, the opponent's move: the fives are still barred.
  const std::string answer = yixin.Ask("turn 10,10");
  EXPECT_TRUE(IsMove(answer, 15) && !barred.contains(answer)) << answer;
}

}  // namespace
