// Piskvork's continuous game: completed lines, and under renju forbidden
// stones, are taken off the board as squares owned by nobody and the game goes
// on. The manager's transcript, scripted games judged on every move (single
// games too), and the real engine against itself under every rule.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/data_file.h"
#include "tools/harness/manager.h"

namespace {

using Rule = Referee::Rule;

// Two stand-in engines, black and white. Each appends every line it is sent
// to a log file of its own, answers ABOUT, START and RESTART, and each move
// request with its next scripted reply, which may hold several lines; a reply
// that starts with "slow " comes a tenth of a second late. It leaves when it
// has no reply left.
class StandIns {
 public:
  StandIns(const std::vector<std::string>& black, const std::vector<std::string>& white)
      : black_(Command(0, black)), white_(Command(1, white)) {}
  ~StandIns() {
    for (const std::string& path : logs_) std::remove(path.c_str());
  }
  // Every line that player's engine was sent.
  std::vector<std::string> Sent(int player) const {
    std::ifstream file(logs_[player - 1]);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }
  ManagedEngine* engines[2] = {&black_, &white_};

 private:
  std::vector<std::string> Command(int i, const std::vector<std::string>& replies) {
    char name[] = "/tmp/tessel-continuous-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    logs_[i] = name;
    std::vector<std::string> command = {
        "/bin/sh", "-c",
        "log=$1; shift\n"
        "while IFS= read -r line; do printf '%s\\n' \"$line\" >> \"$log\"; case \"$line\" in\n"
        "ABOUT) echo 'name=\"stand-in\"' ;;\n"
        "START*|RESTART) echo OK ;;\n"
        "BEGIN|DONE|TURN*) [ $# -gt 0 ] || exit 0; reply=$1; shift\n"
        "  case \"$reply\" in 'slow '*) sleep 0.1; reply=${reply#slow } ;; esac\n"
        "  printf '%s\\n' \"$reply\" ;;\n"
        "END) exit 0 ;;\n"
        "esac; done",
        "stand-in", logs_[i]};
    command.insert(command.end(), replies.begin(), replies.end());
    return command;
  }

  std::string logs_[2];  // before the engines, which are given their paths
  ManagedEngine black_, white_;
};

const TimeControl kOneSecond = {"1 s per move", 1000, 0};

// Two games in the same processes. Continuous freestyle: black's fifth stone
// across row 0 completes a line; each engine's next request restarts it and
// sends the whole board, the line as 3s and the rest numbered for it, and
// TURN follows. Continuous renju: black's double three at (7,7) is a foul;
// white gets TURN with it as Piskvork sends, black the board with it as a 3.
// The lines each engine is sent are in tests/data/piskvork_continuous.txt.
TEST(ContinuousGame, ManagerSendsWhatPiskvorkSends) {
  StandIns s(
      {"0,0", "1,0", "2,0", "3,0", "4,0", "7,7", "7,5", "7,6", "5,7", "6,7", "7,7", "14,14"},
      {"0,14", "2,14", "4,14", "6,14", "8,14", "10,14", "0,0", "0,2", "0,4", "0,6", "0,8", "0,10"});
  const ContinuousResult freestyle =
      PlayContinuousGame(s.engines, {}, 15, kOneSecond, 5000, Rule::kFreestyle, 12);
  // The scripted white does not block black's four: a fault, and the game goes on.
  EXPECT_EQ(freestyle.faults,
            std::vector<std::string>{"move 8 of player 2, 6,14: leaves a five open"});
  EXPECT_EQ(freestyle.lines, 1);
  EXPECT_EQ(freestyle.replies, 12);
  const ContinuousResult renju =
      PlayContinuousGame(s.engines, {}, 15, kOneSecond, 5000, Rule::kRenju, 12);
  EXPECT_EQ(renju.faults, std::vector<std::string>{"move 9 of player 1, 7,7: forbidden"});
  EXPECT_EQ(renju.fouls, 1);
  EXPECT_EQ(renju.replies, 12);
  EXPECT_TRUE(s.engines[0]->End() && s.engines[1]->End());

  const std::vector<DataCase> sent = ReadCases("piskvork_continuous.txt");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(s.Sent(1), sent[0].rows);
  EXPECT_EQ(s.Sent(2), sent[1].rows);
}

// The replies of a row of scripted_games.txt: " | " between replies, \n
// between the lines of one.
std::vector<std::string> ScriptOf(const std::string& row, size_t from) {
  std::vector<std::string> replies;
  std::string text = row.substr(from) + " | ";
  for (size_t bar; (bar = text.find(" | ")) != std::string::npos; text.erase(0, bar + 3)) {
    std::string& reply = replies.emplace_back();
    for (size_t i = 0; i < bar; ++i)
      reply += text.compare(i, 2, "\\n") == 0 ? (++i, '\n') : text[i];
  }
  return replies;
}

// The squares owned by nobody of a case, "blocked=x,y;x,y...", if it has any.
Stones BlockedOf(const DataCase& c) {
  Stones blocked;
  std::istringstream text(c.values.contains("blocked") ? c.values.at("blocked") : "");
  for (std::string square; std::getline(text, square, ';');) {
    int x = -1, y = -1;
    EXPECT_TRUE(ParseMoveReply(square, &x, &y)) << square;
    blocked.emplace_back(x, y);
  }
  return blocked;
}

// The scripted games of scripted_games.txt. In a continuous game faults of
// the game (a forbidden move, a five missed or left open) are recorded and the
// game goes on to its end, as Piskvork plays on; faults of the protocol (an
// illegal move, a line that is not a move, ERROR among them, a line nobody
// asked for, no reply in time) end it. In a single game the first fault ends it.
TEST(ContinuousGame, ScriptedGamesAreJudgedOnEveryMove) {
  for (const DataCase& c : ReadCases("scripted_games.txt")) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> scripts[2], faults, sent[2];  // [0] black's, [1] white's
    for (const std::string& row : c.rows) {
      if (row.starts_with("black ")) scripts[0] = ScriptOf(row, 6);
      if (row.starts_with("white ")) scripts[1] = ScriptOf(row, 6);
      if (row.starts_with("fault ")) faults.push_back(row.substr(6));
      if (row.starts_with("sent ")) sent[row.starts_with("sent white ")].push_back(row.substr(11));
    }
    StandIns s(scripts[0], scripts[1]);
    const TimeControl time = {"per move", c.Int("turn_ms"), 0};
    const Rule rule = static_cast<Rule>(c.Int("rule"));
    ContinuousResult game;  // a single game's one fault, if any, as its only one
    if (c.Get("game") == "single") {
      const GameResult single = PlayGame(s.engines, {}, c.Int("side"), time, 0, rule, BlockedOf(c));
      if (!single.fault.empty()) game.faults.push_back(single.fault);
      game.replies = single.replies;
    } else {
      game = PlayContinuousGame(s.engines, {}, c.Int("side"), time, 0, rule, c.Int("cap"));
    }
    EXPECT_EQ(game.faults, faults);
    EXPECT_EQ(game.replies, c.Int("replies"));
    for (int player : {1, 2})
      for (const std::string& line : sent[player - 1])
        EXPECT_TRUE(std::ranges::count(s.Sent(player), line))
            << "player " << player << ": " << line;
  }
}

// Under a match clock every request carries the time left, from which each
// reply's time is taken off.
TEST(ContinuousGame, TimeLeftCountsDown) {
  StandIns s({"slow 0,0", "slow 1,0", "slow 2,0"}, {"0,14", "2,14", "4,14"});
  const ContinuousResult result = PlayContinuousGame(
      s.engines, {}, 15, {"a 10 s match", 1000, 10000}, 5000, Rule::kFreestyle, 6);
  ASSERT_EQ(result.faults, std::vector<std::string>{});
  std::vector<int> left;
  for (const std::string& line : s.Sent(1))
    if (line.starts_with("INFO time_left ")) left.push_back(std::atoi(line.c_str() + 15));
  ASSERT_EQ(left.size(), 3u);
  EXPECT_EQ(left[0], 10000);
  for (size_t i = 1; i < left.size(); ++i) {
    EXPECT_LE(left[i], left[i - 1] - 100);
    EXPECT_GT(left[i], left[i - 1] - 1000);
  }
}

// The answers of the engine to `input`, the input then closed.
std::vector<std::string> Replies(const std::string& input) {
  const RunResult r = RunEngine(input + "\n");
  EXPECT_EQ(r.trailing, "");
  return r.lines;
}

// Positions of a continuous game as Piskvork sends them, 3s among the stones,
// under every rule that a continuous game may have: the engine is black
// exactly when the count of all stones, the 3s included, is even, and every 1
// is its own stone, whatever the counts of 1s and 2s. Its own open four down
// x = 7 must be made five, at 7,2 or 7,7.
TEST(ContinuousGame, PositionsWithTakenOffStonesKeepTheirColours) {
  // Black's: five 1s and five 3s. White's: four 1s, five 3s and two 2s.
  for (const char* stones :
       {"7,3,1\n0,0,3\n7,4,1\n1,0,3\n7,5,1\n2,0,3\n7,6,1\n3,0,3\n12,12,1\n4,0,3\n",
        "0,0,3\n1,0,3\n2,0,3\n3,0,3\n4,0,3\n12,12,2\n7,3,1\n12,13,2\n7,4,1\n7,5,1\n7,6,1\n"}) {
    for (const char* rule : {"2", "3", "6", "10", "11"}) {
      SCOPED_TRACE(std::string(stones) + "INFO rule " + rule);
      const std::vector<std::string> lines =
          Replies(std::string("START 15\nINFO timeout_turn 1000\nINFO rule ") + rule + "\nBOARD\n" +
                  stones + "DONE");
      ASSERT_EQ(lines.size(), 2u);
      EXPECT_TRUE(lines[1] == "7,2" || lines[1] == "7,7") << lines[1];
    }
  }
}

// The same counting in Yixin-Board's position block: black's double three at
// 7,7 is forbidden under renju (Yixin-Board's rule 2) exactly when the count
// of all stones, the 3s included, makes black the side to move.
TEST(ContinuousGame, ForbiddenSquaresOfAPositionWithTakenOffStones) {
  const std::string stones = "5,7,1\n6,7,1\n7,5,1\n7,6,1\n0,14,2\n2,14,2\n4,14,2\n14,0,2\n14,2,2\n";
  const std::string fourTakenOff = "10,0,3\n11,0,3\n12,0,3\n13,0,3\n";
  for (const auto& [blocked, forbid] : {std::pair{fourTakenOff + "14,4,3\n", "FORBID 0707."},
                                        std::pair{fourTakenOff, "FORBID ."}}) {
    EXPECT_EQ(Replies("yxshowinfo\nSTART 15\nINFO rule 2\nyxboard\n" + stones + blocked +
                      "done\nyxshowforbid"),
              (std::vector<std::string>{"OK", forbid}));
  }
}

// Tessel against itself in continuous games, each game's completed lines
// taken off as Piskvork takes them. Depth and nodes are capped so that the
// games are quick and replay the same, and each game is cut at 100 stones
// (Piskvork's own end, 25 empty squares left, would come after 200 and 375
// moves): some four lines are completed in a game, so that much of it is
// played with stones taken off.
constexpr int kGamesPerBoard = 20;
constexpr int kMoveCap = 100;
const TimeControl kCapped = {"1 s per move, depth 4, 2000 nodes", 1000, 0, 4, 2000};

TEST(ContinuousGame, SelfPlayIsSoundUnderEveryRule) {
  for (const Rule rule :
       {Rule::kFreestyle, Rule::kExactFive, Rule::kRenju, Rule::kCaro, Rule::kCaroExactFive}) {
    for (int side : {15, 20}) {
      ManagedEngine first, second;
      ManagedEngine* engines[2] = {&first, &second};
      int lines = 0, fouls = 0;
      for (int game = 1; game <= kGamesPerBoard; ++game) {
        const ContinuousResult result =
            PlayContinuousGame(engines, Opening(game), side, kCapped, 30000, rule, kMoveCap);
        EXPECT_EQ(result.faults, std::vector<std::string>{})
            << RuleName(rule) << ", board " << side << ", game " << game;
        EXPECT_EQ(result.referee.stones().size(), static_cast<size_t>(kMoveCap));
        lines += result.lines;
        fouls += result.fouls;
        std::swap(engines[0], engines[1]);  // the same processes, colours swapped
      }
      // Most games must go on past a completed line, or the games test little.
      EXPECT_GE(lines, 2 * kGamesPerBoard) << RuleName(rule) << ", board " << side;
      std::printf("%s, board %d: %d games, %d lines completed, %d fouls\n", RuleName(rule), side,
                  kGamesPerBoard, lines, fouls);
      EXPECT_TRUE(first.End() && second.End());
    }
  }
}

}  // namespace
