// Yixin-Board's use of the engine beyond the game commands, through the real
// executable: a new game while the engine thinks, the analysis lines that its
// analysis view draws (INFO show_detail bits), the candidate searches
// (yxnbest, yxsearchdefend, yxbalanceone, yxbalancetwo) and every other
// command that it sends, each exactly as its source writes it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tools/harness/manager.h"

namespace {

using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

const std::string kAbout(kAboutLine);
// Yixin-Board's default level: no time limit at all.
const std::string kUnlimited =
    "INFO timeout_turn 2000000\nINFO timeout_match 100000000\nINFO time_left 100000000\n"
    "INFO max_depth 225";
// Three stones on 15 x 15; the engine, second to move, answers. Searching it
// to the full depth takes minutes.
const std::string kQuietBoard = "start 15\nboard\n7,7,2\n8,8,1\n6,8,2\ndone";
// The same stones loaded without an answer; player 2 is to move.
const std::string kQuietYxBoard = "start 15\nyxboard\n7,7,2\n8,8,1\n6,8,2\ndone";
constexpr int kWin = 30000;
// Bound on the answer after a stop; an unheeded one leaves the search running
// for minutes, and wine and a loaded machine need the margin.
constexpr double kStopBoundMs = 1500;

// The lines of one analysis block, INFO PV i up to INFO PV DONE.
struct Block {
  std::map<std::string, std::string> info;
  int Int(const std::string& key) const { return std::atoi(info.at(key).c_str()); }
  // EVAL as a number: +M<n> and -M<n> count as the win and the loss.
  int Eval() const {
    const std::string& e = info.at("EVAL");
    if (e.starts_with("+M")) return kWin;
    if (e.starts_with("-M")) return -kWin;
    return std::atoi(e.c_str());
  }
  std::string Line() const { return info.at("BESTLINE"); }
};

// Everything the engine wrote up to and with its answer.
struct Reply {
  Lines before;  // MESSAGE and INFO lines
  std::string answer;

  std::vector<Block> Blocks() const {
    std::vector<Block> blocks;
    for (const std::string& line : before) {
      if (!line.starts_with("INFO ")) continue;
      const size_t space = line.find(' ', 5);
      const std::string key = line.substr(5, space - 5), value = line.substr(space + 1);
      // INFO PV i opens a block (kept as INDEX), INFO PV DONE closes it.
      const bool opens = key == "PV" && value != "DONE";
      if (opens) blocks.emplace_back();
      EXPECT_FALSE(blocks.empty()) << line;
      if (!blocks.empty()) blocks.back().info[opens ? "INDEX" : key] = value;
    }
    return blocks;
  }
  // The blocks of the deepest depth written.
  std::vector<Block> LastDepth() const {
    std::vector<Block> all = Blocks(), last;
    for (const Block& b : all) {
      if (b.Int("DEPTH") == all.back().Int("DEPTH")) last.push_back(b);
    }
    return last;
  }
  int Count(const std::string& prefix) const {
    return static_cast<int>(std::count_if(
        before.begin(), before.end(), [&](const std::string& l) { return l.starts_with(prefix); }));
  }
};

class Yixin {
 public:
  // Writes the lines and reads up to the first line that is neither a MESSAGE
  // nor an INFO line nor the OK of a new game: the answer.
  Reply Send(const std::string& lines) {
    EXPECT_TRUE(engine_.WriteLine(lines));
    return Read();
  }
  Reply Read(int timeoutMs = 60000) {
    Reply reply;
    while (std::optional<std::string> line = engine_.ReadLine(timeoutMs)) {
      if (*line == "OK") continue;
      if (!line->starts_with("MESSAGE") && !line->starts_with("INFO ")) {
        reply.answer = *line;
        return reply;
      }
      reply.before.push_back(*line);
    }
    reply.answer = "(no reply)";
    return reply;
  }
  // Writes the lines, which must be answered with nothing at all but the OK
  // of each new game.
  void Silent(const std::string& lines) {
    ASSERT_TRUE(engine_.WriteLine(lines));
    for (size_t at = 0; at != std::string::npos; at = lines.find('\n', at + 1)) {
      if (lines.compare(at == 0 ? 0 : at + 1, 6, "start ") == 0) {
        EXPECT_EQ(engine_.ReadLine().value_or("(no reply)"), "OK") << "after: " << lines;
      }
    }
    EXPECT_EQ(engine_.Ask("ABOUT").value_or("(no reply)"), kAbout) << "after: " << lines;
  }
  EngineProcess& engine() { return engine_; }

 private:
  EngineProcess engine_;
};

bool IsMove(const std::string& text, int side = 15) {
  int x, y;
  return ParseMoveReply(text, &x, &y, side, side);
}

// A new game while the engine thinks: Yixin-Board sends no stop, but counts
// on one answer for the search it leaves and drops it (new_game's
// isneedomit). So the old search answers at once, before the new commands,
// and every later answer belongs to the position it was asked on. This is the
// replay of issue 21, where a stale answer came back for the human's move.
TEST(YixinBoard, NewGameWhileThinkingAnswersTheOldSearchAtOnce) {
  Yixin yixin;
  EngineProcess& engine = yixin.engine();
  ASSERT_TRUE(engine.WriteLine(kUnlimited + "\nstart 15\nboard\n7,7,2\ndone"));
  EXPECT_EQ(engine.ReadLine(), "OK");
  EXPECT_EQ(engine.ReadLine(2000), std::nullopt);  // thinking, without a time limit
  const Reply old = yixin.Send("start 15\nyxboard\ndone\nstart 15\nboard\n7,7,2\ndone");
  EXPECT_TRUE(IsMove(old.answer)) << old.answer;
  EXPECT_EQ(engine.ReadLine(), "OK");
  EXPECT_EQ(engine.ReadLine(), "OK");
  EXPECT_EQ(engine.ReadLine(1000), std::nullopt);  // the new position is being searched
  const Reply fresh = yixin.Send("yxstop");
  EXPECT_TRUE(IsMove(fresh.answer) && fresh.answer != "7,7") << fresh.answer;
  // The same position again, stopped at once, then the human's move.
  EXPECT_EQ(engine.Ask("start 15\nboard\n7,7,2\ndone\nyxstop"), "OK");
  const std::string own = yixin.Read().answer;
  EXPECT_TRUE(IsMove(own) && own != "7,7") << own;
  const std::string last = yixin.Send("turn 8,8\nyxstop").answer;
  EXPECT_TRUE(IsMove(last)) << last;
  EXPECT_TRUE(last != "7,7" && last != "8,8" && last != own) << last << " after " << own;
  yixin.Silent("yxstop");
}

// Every command that brings a new position stops a search at once with the
// answer so far, then is performed; what it answers itself follows.
TEST(BoardPrograms, NewPositionStopsTheSearchThenIsPerformed) {
  struct Case {
    std::string lines;
    Lines replies;  // after the stopped search's answer; "<move>": any move
  };
  const Case cases[] = {
      {"START 15", {"OK"}},         {"RECTSTART 15,12", {"OK"}},        {"RESTART", {"OK"}},
      {"YXBOARD\n1,1,1\nDONE", {}}, {"BOARD\n1,1,2\nDONE", {"<move>"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    Yixin yixin;
    EngineProcess& engine = yixin.engine();
    ASSERT_TRUE(engine.WriteLine(kUnlimited + "\n" + kQuietBoard));
    EXPECT_EQ(engine.ReadLine(), "OK");
    EXPECT_EQ(engine.ReadLine(1000), std::nullopt);
    const Clock::time_point sent = Clock::now();
    // The new limit reaches the search at once too, for the new position's.
    const Reply stopped = yixin.Send(c.lines + "\nINFO timeout_turn 300");
    const std::chrono::duration<double, std::milli> took = Clock::now() - sent;
    EXPECT_LT(took.count(), kStopBoundMs);
    EXPECT_TRUE(IsMove(stopped.answer)) << stopped.answer;
    for (const std::string& want : c.replies) {
      const std::string got = engine.ReadLine().value_or("(no reply)");
      EXPECT_TRUE(want == "<move>" ? IsMove(got) : got == want) << got;
    }
    // The new position is in play: its stone is taken.
    if (c.lines.find("1,1") != std::string::npos) {
      EXPECT_EQ(engine.Ask("turn 1,1"), "ERROR square is occupied");
    }
    yixin.Silent("yxstop");
  }
}

// show_detail bits: 1 the realtime mark of each iteration, 2 a detail block
// and a log line per iteration; either brings the status line. Without them
// only the answer is written.
TEST(BoardPrograms, ShowDetailBitsChooseTheAnalysisLines) {
  for (int bits : {0, 1, 2, 3}) {
    SCOPED_TRACE(bits);
    Yixin yixin;
    yixin.Silent("INFO show_detail " + std::to_string(bits) + "\nINFO max_depth 3");
    const Reply reply = yixin.Send(kQuietBoard);
    ASSERT_TRUE(IsMove(reply.answer)) << reply.answer;
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
      EXPECT_TRUE(b.info.at("PV") == "DONE" && IsMove(b.Line())) << b.Line();
      for (const char* key : {"SELDEPTH", "NODES", "TOTALNODES", "TOTALTIME", "SPEED", "WINRATE"})
        EXPECT_TRUE(b.info.contains(key)) << key;
    }
    if (blocks.empty()) continue;
    // The last block is the answer's, its value the side to move's: the
    // status line gives player 1's, and the engine is player 2 here.
    const Block& last = blocks.back();
    EXPECT_EQ(last.Line(), reply.answer);
    const std::string status = reply.before[reply.before.size() - 1];
    EXPECT_TRUE(status.starts_with("MESSAGE [" + reply.answer +
                                   "]: value=" + std::to_string(-last.Eval()) + ","))
        << status;
  }
}

// WINRATE is a monotonic map of EVAL, 0.5 at 0; a found win reads +M<n> with
// a win rate near 1: +M1 for the five itself, more for a four that wins.
TEST(BoardPrograms, EvalAndWinRateAgreeAndWinsReadAsMate) {
  Yixin yixin;
  yixin.Silent("INFO show_detail 2\nINFO max_depth 4");
  std::vector<std::pair<int, double>> seen;
  for (const std::string& position :
       {kQuietBoard, std::string("start 15\nboard\n7,7,2\n8,7,1\ndone")}) {
    for (const Block& b : yixin.Send(position).Blocks())
      seen.emplace_back(b.Eval(), std::stod(b.info.at("WINRATE")));
  }
  ASSERT_GE(seen.size(), 4u);
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
  struct Win {
    std::string position, answer, eval;
  };
  const Win wins[] = {
      // Four stones in a row on row 3: the five.
      {"start 15\nboard\n0,3,1\n0,9,2\n1,3,1\n1,9,2\n2,3,1\n13,13,2\n3,3,1\n13,11,2\ndone", "4,3",
       "+M1"},
      // An open three: the open four, then the five.
      {"start 15\nboard\n5,7,1\n0,0,2\n6,7,1\n0,14,2\n7,7,1\n14,0,2\ndone", "", "+M2"},
  };
  for (const Win& w : wins) {
    const Reply reply = yixin.Send(w.position);
    const std::vector<Block> blocks = reply.Blocks();
    ASSERT_FALSE(blocks.empty());
    if (!w.answer.empty()) {
      EXPECT_EQ(reply.answer, w.answer);
    }
    EXPECT_EQ(blocks.back().info.at("EVAL"), w.eval) << reply.answer;
    EXPECT_GE(std::stod(blocks.back().info.at("WINRATE")), 0.99);
    EXPECT_EQ(blocks.back().Line(), reply.answer);
  }
}

// yxnbest 3: at every depth three different candidates, best first, the
// answer the best of the deepest; nothing is played, and BEST answers as
// before.
TEST(YixinBoard, NBestSearchesThreeCandidatesAndAnswersTheBest) {
  Yixin yixin;
  yixin.Silent("INFO show_detail 3\nINFO max_depth 3\n" + kQuietYxBoard);
  const std::string best = yixin.Send("BEST 1").answer;
  const Reply reply = yixin.Send("yxnbest 3");
  const std::vector<Block> blocks = reply.Blocks();
  ASSERT_EQ(blocks.size(), 9u);  // three depths of three
  for (int depth = 1; depth <= 3; ++depth) {
    std::set<std::string> lines;
    for (int k = 0; k < 3; ++k) {
      const Block& b = blocks[3 * (depth - 1) + k];
      EXPECT_TRUE(b.Int("DEPTH") == depth && b.Int("INDEX") == k && b.Int("NUMPV") == 3);
      lines.insert(b.Line());
      if (k > 0) {
        EXPECT_LE(b.Eval(), blocks[3 * (depth - 1) + k - 1].Eval()) << depth;
      }
    }
    EXPECT_EQ(lines.size(), 3u) << depth;
  }
  EXPECT_EQ(reply.answer, blocks[6].Line());
  // One realtime mark per depth, of its best candidate.
  Lines marks;
  for (const std::string& line : reply.before) {
    if (line.starts_with("MESSAGE REALTIME BEST ")) marks.push_back(line.substr(22));
  }
  EXPECT_EQ(marks, (Lines{blocks[0].Line(), blocks[3].Line(), blocks[6].Line()}));
  EXPECT_EQ(yixin.Send("BEST 1").answer, best);
  // The stones stay as loaded: player 2's answer square is still free.
  EXPECT_TRUE(IsMove(yixin.Send("turn " + reply.answer).answer));
}

// Under renju too each candidate is a square of its own, searched: when the
// root's generator offers fewer than asked, fewer are shown, none twice and
// none unsearched.
TEST(YixinBoard, NBestUnderRenjuShowsEachSquareOnce) {
  Yixin yixin;
  yixin.Silent(
      "yxshowinfo\nINFO rule 2\nINFO show_detail 2\nINFO max_depth 3\n"
      "start 15\nyxboard\n7,7,1\n8,6,2\n5,9,1\n8,7,2\ndone");
  const std::vector<Block> blocks = yixin.Send("yxnbest 8").Blocks();
  ASSERT_FALSE(blocks.empty());
  std::map<int, std::set<std::string>> squaresByDepth;
  for (const Block& b : blocks) {
    EXPECT_TRUE(squaresByDepth[b.Int("DEPTH")].insert(b.Line()).second)
        << b.Line() << " twice at depth " << b.Int("DEPTH");
    EXPECT_GT(b.Int("NODES"), 0) << b.Line() << " unsearched at depth " << b.Int("DEPTH");
  }
}

// yxsearchdefend facing an open three: the candidates shown are those that
// do not lose, best first, and the answer is the first.
TEST(YixinBoard, SearchDefendShowsTheMovesThatDoNotLose) {
  Yixin yixin;
  yixin.Silent(
      "INFO show_detail 2\nINFO max_depth 3\n"
      "start 15\nyxboard\n5,7,2\n5,5,1\n6,7,2\n9,11,1\n7,7,2\ndone");
  const Reply reply = yixin.Send("yxsearchdefend");
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

// A yxboard block of the squares in play order, labelled as Yixin-Board
// labels them: 1 on the side to move's stones, 2 on the others.
std::string YxBoard(const Lines& squares) {
  std::string text = "start 15\nyxboard\n";
  for (size_t i = 0; i < squares.size(); ++i)
    text += squares[i] + (squares.size() % 2 == i % 2 ? ",1\n" : ",2\n");
  return text + "done";
}

// The balance commands answer the candidate, or the pair of moves, whose
// value after them is closest to the one asked for, and play nothing. Each
// candidate's value, from the side to move's view, is the value of a plain
// search one ply shallower of the position after its moves: the same after
// two moves, negated after one.
TEST(YixinBoard, BalanceCommandsAnswerTheClosestOfTheirValues) {
  const Lines stones = {"7,7", "8,8", "6,8"};
  for (const std::string command : {"yxbalanceone", "yxbalancetwo"}) {
    for (int target : {-3000, 0, 500}) {
      SCOPED_TRACE(command + " " + std::to_string(target));
      Yixin yixin;
      yixin.Silent("INFO show_detail 2\nINFO max_depth 2\n" + YxBoard(stones));
      const Reply reply = yixin.Send(command + " " + std::to_string(target));
      const std::vector<Block> last = reply.LastDepth();
      ASSERT_GE(last.size(), 3u);
      const Block& closest =
          *std::min_element(last.begin(), last.end(), [&](const Block& a, const Block& b) {
            return std::abs(a.Eval() - target) < std::abs(b.Eval() - target);
          });
      EXPECT_EQ(reply.answer, closest.Line());
      EXPECT_EQ(reply.answer.find(' ') != std::string::npos, command == "yxbalancetwo");
      // Nothing was played: player 2 is still to move on the loaded stones.
      EXPECT_EQ(yixin.Send("turn 8,8").answer, "ERROR square is occupied");
      if (target != 0) continue;
      for (const Block& candidate : last) {
        Lines after = stones;
        std::istringstream moves(candidate.Line());
        for (std::string move; moves >> move;) after.push_back(move);
        EXPECT_EQ(std::set<std::string>(after.begin(), after.end()).size(), after.size());
        yixin.Silent("INFO max_depth 1\n" + YxBoard(after));
        const std::vector<Block> plain = yixin.Send("best 1").Blocks();
        ASSERT_FALSE(plain.empty());
        const int sign = (after.size() - stones.size()) % 2 == 0 ? 1 : -1;
        EXPECT_EQ(candidate.Eval(), sign * plain.back().Eval()) << candidate.Line();
      }
    }
  }
}

// Facing two fours, the side to move has lost before its opponent's next
// move: -M1 in its own view, while the status line before every answer gives
// the value in player 1's view, whoever is to move.
TEST(YixinBoard, ALossReadsMinusM1AndTheStatusLineSpeaksForPlayerOne) {
  const Stones fours = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {0, 2}, {0, 3}};
  Stones loser = {{7, 7}, {7, 9}, {9, 7}, {0, 5}, {1, 5}, {14, 14}};
  const Stones loserFirst = [&] {
    Stones first = loser;
    first.emplace_back(13, 13);
    return InPlayOrder(first, fours);
  }();
  for (const auto& [stones, player1Value] :
       {std::pair{InPlayOrder(fours, loser), 30000}, std::pair{loserFirst, -30000}}) {
    Lines squares;
    for (const auto& [x, y] : stones) squares.push_back(std::to_string(x) + "," + std::to_string(y));
    for (const char* command : {"best 1", "yxnbest 1", "yxbalanceone 0"}) {
      SCOPED_TRACE(std::string(command) + ", player 1 value " + std::to_string(player1Value));
      Yixin yixin;
      yixin.Silent("INFO show_detail 3\nINFO max_depth 3\n" + YxBoard(squares));
      const Reply reply = yixin.Send(command);
      ASSERT_FALSE(reply.Blocks().empty());
      EXPECT_EQ(reply.Blocks().back().info.at("EVAL"), "-M1");
      ASSERT_FALSE(reply.before.empty());
      EXPECT_TRUE(reply.before.back().starts_with("MESSAGE [")) << reply.before.back();
      EXPECT_NE(reply.before.back().find("value=" + std::to_string(player1Value) + ","),
                std::string::npos)
          << reply.before.back();
    }
  }
}

// Yixin-Board's unlimited level sends INFO max_depth 225 and stops the
// search itself: a setting above the usual depth of ten deepens every search.
TEST(YixinBoard, MaxDepthAboveTenDeepensTheSearch) {
  for (const auto& [setting, depth] : {std::pair{"0", 10}, std::pair{"11", 11}}) {
    Yixin yixin;
    const Reply reply = yixin.Send(std::string("INFO max_depth ") + setting +
                                   "\nINFO timeout_turn 600000\nINFO timeout_match 0\n"
                                   "INFO show_detail 1\nstart 6\nboard\n2,2,1\ndone");
    EXPECT_TRUE(IsMove(reply.answer, 6)) << reply.answer;
    ASSERT_FALSE(reply.before.empty());
    EXPECT_NE(reply.before.back().find(", depth=" + std::to_string(depth) + ","),
              std::string::npos)
        << "max_depth " << setting << ": " << reply.before.back();
  }
}

}  // namespace
