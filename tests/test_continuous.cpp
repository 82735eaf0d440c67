// Piskvork's continuous game: completed lines, and under renju forbidden
// stones, are taken off the board as squares owned by nobody and the game goes
// on. The referee's part, the manager's transcript, the faults judged on every
// move, and the real engine against itself under every rule.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/data_file.h"
#include "tools/harness/manager.h"

namespace {

using Rule = Referee::Rule;

// Black's `stones` in play order with white's far away in between, white to
// move after the last.
Referee WithWhiteApart(Rule rule, const Stones& black) {
  Stones white;
  for (size_t k = 0; k + 1 < black.size(); ++k)
    white.emplace_back(10 + 2 * static_cast<int>(k % 3), 10 + 2 * static_cast<int>(k / 3));
  Referee referee(15, 15, rule);
  for (auto [x, y] : InPlayOrder(black, white)) referee.Play(x, y);
  return referee;
}

Stones Row(int x, int y, int dx, int dy, int n) {
  Stones row;
  for (int k = 0; k < n; ++k) row.emplace_back(x + k * dx, y + k * dy);
  return row;
}

Stones With(Stones stones, const Stones& more) {
  stones.insert(stones.end(), more.begin(), more.end());
  return stones;
}

// The last black stone completes two lines at once; only the first that
// Piskvork looks at (down, down-right, across, up-right) is taken off, the
// whole row of it.
TEST(ContinuousGame, RefereeTakesOffTheFirstCompletedLine) {
  struct Case {
    const char* name;
    Stones black;  // the last one completes the lines
    Stones line;
  };
  const Case cases[] = {
      {"down before across", With(Row(4, 0, 0, 1, 4), Row(0, 4, 1, 0, 5)), Row(4, 0, 0, 1, 5)},
      {"down-right before across", With(Row(0, 0, 1, 1, 4), Row(0, 4, 1, 0, 5)),
       Row(0, 0, 1, 1, 5)},
      {"across before up-right", With(Row(0, 8, 1, -1, 4), Row(0, 4, 1, 0, 5)), Row(0, 4, 1, 0, 5)},
      {"the whole row of six", With(Row(4, 4, 1, 0, 5), {{3, 4}}), Row(3, 4, 1, 0, 6)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Referee referee = WithWhiteApart(Rule::kFreestyle, c.black);
    const auto [x, y] = c.black.back();
    ASSERT_EQ(referee.CompletedLine(x, y), c.line);
    referee.TakeOff(c.line);
    for (auto [bx, by] : c.black) {
      const bool inLine = std::ranges::find(c.line, std::pair{bx, by}) != c.line.end();
      EXPECT_EQ(referee.IsBlocked(bx, by), inLine) << bx << "," << by;
    }
    // Taken-off stones were played: they still count, and white is to move.
    EXPECT_EQ(referee.stones().size(), 2 * c.black.size() - 1);
    EXPECT_EQ(referee.toMove(), 2);
  }
  // A six wins nothing under exact five: no line is taken off.
  Referee exact = WithWhiteApart(Rule::kExactFive, With(Row(4, 4, 1, 0, 5), {{3, 4}}));
  EXPECT_EQ(exact.CompletedLine(3, 4), Stones{});
}

// Under caro a five between two of the opponent's stones wins nothing; a
// taken-off stone beyond an end is nobody's, so the same five then wins.
TEST(ContinuousGame, RefereeCountsATakenOffStoneAsNobodys) {
  const Stones black = Row(2, 9, 1, 0, 4);
  const Stones white = {{1, 9}, {7, 9}, {14, 0}, {14, 2}};
  Referee referee(15, 15, Rule::kCaro);
  for (auto [x, y] : InPlayOrder(black, white)) referee.Play(x, y);
  ASSERT_EQ(referee.toMove(), 1);
  EXPECT_FALSE(referee.MakesFive(6, 9, 1));
  referee.TakeOff({{1, 9}});
  EXPECT_TRUE(referee.IsBlocked(1, 9));
  EXPECT_TRUE(referee.MakesFive(6, 9, 1));
  EXPECT_EQ(referee.toMove(), 1);
}

// A stand-in engine that appends every line it is sent to the file `log`,
// answers START and RESTART with OK, and each move request with its next
// scripted reply, which may hold several lines; a reply that starts with
// "slow " comes a tenth of a second late. It leaves when it has no reply left.
std::vector<std::string> RecordingEngine(const std::string& log,
                                         const std::vector<std::string>& replies) {
  std::vector<std::string> command = {
      "/bin/sh", "-c",
      "log=$1; shift\n"
      "while IFS= read -r line; do printf '%s\\n' \"$line\" >> \"$log\"; case \"$line\" in\n"
      "START*|RESTART) echo OK ;;\n"
      "BEGIN|DONE|TURN*) [ $# -gt 0 ] || exit 0; reply=$1; shift\n"
      "  case \"$reply\" in 'slow '*) sleep 0.1; reply=${reply#slow } ;; esac\n"
      "  printf '%s\\n' \"$reply\" ;;\n"
      "END) exit 0 ;;\n"
      "esac; done",
      "recording", log};
  command.insert(command.end(), replies.begin(), replies.end());
  return command;
}

// A log file of its own for each engine of a test, removed at the end.
class Logs {
 public:
  Logs() {
    for (std::string& path : paths_) {
      char name[] = "/tmp/tessel-continuous-XXXXXX";
      const int fd = mkstemp(name);
      if (fd >= 0) close(fd);
      path = name;
    }
  }
  ~Logs() {
    for (const std::string& path : paths_) std::remove(path.c_str());
  }
  const std::string& path(int i) const { return paths_[i]; }
  std::vector<std::string> Lines(int i) const {
    std::ifstream file(paths_[i]);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }

 private:
  std::string paths_[2];
};

const TimeControl kOneSecond = {"1 s per move", 1000, 0};

// Two games in the same processes. Continuous freestyle: black's fifth stone
// across row 0 completes a line; each engine's next request restarts it and
// sends the whole board, the line as 3s and the rest numbered for it, and
// TURN follows. Continuous renju: black's double three at (7,7) is a foul;
// white gets TURN with it as Piskvork sends, black the board with it as a 3.
// The lines each engine is sent are in tests/data/piskvork_continuous.txt.
TEST(ContinuousGame, ManagerSendsWhatPiskvorkSends) {
  Logs logs;
  ManagedEngine black(RecordingEngine(logs.path(0), {"0,0", "1,0", "2,0", "3,0", "4,0", "7,7",
                                                     "7,5", "7,6", "5,7", "6,7", "7,7", "14,14"}));
  ManagedEngine white(
      RecordingEngine(logs.path(1), {"0,14", "2,14", "4,14", "6,14", "8,14", "10,14", "0,0", "0,2",
                                     "0,4", "0,6", "0,8", "0,10"}));
  ManagedEngine* engines[2] = {&black, &white};
  const ContinuousResult freestyle =
      PlayContinuousGame(engines, {}, 15, kOneSecond, 5000, Rule::kFreestyle, 12);
  // The scripted white does not block black's four: a fault, and the game goes on.
  EXPECT_EQ(freestyle.faults,
            std::vector<std::string>{"move 8 of player 2, 6,14: leaves a five open"});
  EXPECT_EQ(freestyle.lines, 1);
  EXPECT_EQ(freestyle.replies, 12);
  const ContinuousResult renju =
      PlayContinuousGame(engines, {}, 15, kOneSecond, 5000, Rule::kRenju, 12);
  EXPECT_EQ(renju.faults, std::vector<std::string>{"move 9 of player 1, 7,7: forbidden"});
  EXPECT_EQ(renju.fouls, 1);
  EXPECT_EQ(renju.replies, 12);
  EXPECT_TRUE(black.End() && white.End());

  const std::vector<DataCase> sent = ReadCases("piskvork_continuous.txt");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(logs.Lines(0), sent[0].rows);
  EXPECT_EQ(logs.Lines(1), sent[1].rows);
}

// The replies of a row of continuous_faults.txt: " | " between replies, \n
// between the lines of one.
std::vector<std::string> ScriptOf(const std::string& row, size_t from) {
  std::vector<std::string> replies;
  std::string text = row.substr(from) + " | ";
  for (size_t bar; (bar = text.find(" | ")) != std::string::npos; text.erase(0, bar + 3)) {
    std::string& reply = replies.emplace_back();
    for (size_t i = 0; i < bar; ++i) reply += text.compare(i, 2, "\\n") == 0 ? (++i, '\n') : text[i];
  }
  return replies;
}

// Scripted games with one kind of fault each, judged on every move
// (continuous_faults.txt). Faults of the game (a forbidden move, a five missed
// or left open) are recorded and the game goes on to its end, as Piskvork
// plays on; faults of the protocol (an illegal move, a line that is not a
// move, ERROR among them, a line nobody asked for, no reply in time) end it.
TEST(ContinuousGame, FaultsAreJudgedOnEveryMove) {
  for (const DataCase& c : ReadCases("continuous_faults.txt")) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> scripts[2], faults;
    for (const std::string& row : c.rows) {
      if (row.starts_with("black ")) scripts[0] = ScriptOf(row, 6);
      if (row.starts_with("white ")) scripts[1] = ScriptOf(row, 6);
      if (row.starts_with("fault ")) faults.push_back(row.substr(6));
    }
    Logs logs;
    ManagedEngine black(RecordingEngine(logs.path(0), scripts[0]));
    ManagedEngine white(RecordingEngine(logs.path(1), scripts[1]));
    ManagedEngine* engines[2] = {&black, &white};
    const ContinuousResult result = PlayContinuousGame(
        engines, {}, 15, {"per move", c.Int("turn_ms"), 0}, 0, static_cast<Rule>(c.Int("rule")), 10);
    EXPECT_EQ(result.faults, faults);
    EXPECT_EQ(result.replies, c.Int("replies"));
  }
}

// Piskvork ends the game as a draw when 25 squares are left empty: after 11
// stones on a board of 6 x 6, where these moves make no line.
TEST(ContinuousGame, EndsWith25SquaresLeft) {
  Logs logs;
  ManagedEngine black(RecordingEngine(logs.path(0), {"0,0", "2,0", "4,0", "1,2", "3,2", "5,2"}));
  ManagedEngine white(RecordingEngine(logs.path(1), {"1,0", "3,0", "5,0", "0,2", "2,2", "4,2"}));
  ManagedEngine* engines[2] = {&black, &white};
  const ContinuousResult result =
      PlayContinuousGame(engines, {}, 6, kOneSecond, 5000, Rule::kFreestyle, 100);
  EXPECT_EQ(result.faults, std::vector<std::string>{});
  EXPECT_EQ(result.replies, 11);
  EXPECT_EQ(result.referee.stones().size(), 11u);
}

// Under a match clock every request carries the time left, from which each
// reply's time is taken off.
TEST(ContinuousGame, TimeLeftCountsDown) {
  Logs logs;
  ManagedEngine black(RecordingEngine(logs.path(0), {"slow 0,0", "slow 1,0", "slow 2,0"}));
  ManagedEngine white(RecordingEngine(logs.path(1), {"0,14", "2,14", "4,14"}));
  ManagedEngine* engines[2] = {&black, &white};
  const ContinuousResult result =
      PlayContinuousGame(engines, {}, 15, {"a 10 s match", 1000, 10000}, 5000, Rule::kFreestyle, 6);
  ASSERT_EQ(result.faults, std::vector<std::string>{});
  std::vector<int> left;
  for (const std::string& line : logs.Lines(0))
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
  struct Case {
    const char* name;
    const char* stones;
  };
  const Case cases[] = {
      {"black: five 1s and five 3s",
       "7,3,1\n0,0,3\n7,4,1\n1,0,3\n7,5,1\n2,0,3\n7,6,1\n3,0,3\n12,12,1\n4,0,3\n"},
      {"white: four 1s, five 3s and two 2s",
       "0,0,3\n1,0,3\n2,0,3\n3,0,3\n4,0,3\n12,12,2\n7,3,1\n12,13,2\n7,4,1\n7,5,1\n7,6,1\n"},
  };
  for (const Case& c : cases) {
    for (const char* rule : {"2", "3", "6", "10", "11"}) {
      SCOPED_TRACE(std::string(c.name) + ", INFO rule " + rule);
      const std::vector<std::string> lines =
          Replies(std::string("START 15\nINFO timeout_turn 1000\nINFO rule ") + rule + "\nBOARD\n" +
                  c.stones + "DONE");
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

std::string Summary(const ContinuousResult& result) {
  std::string text = std::to_string(result.faults.size()) + " faults";
  for (size_t i = 0; i < result.faults.size() && i < 3; ++i) text += "\n  " + result.faults[i];
  return text;
}

void ExpectSoundContinuousGames(Rule rule) {
  for (int side : {15, 20}) {
    ManagedEngine first, second;
    ManagedEngine* engines[2] = {&first, &second};
    int lines = 0, fouls = 0;
    for (int game = 1; game <= kGamesPerBoard; ++game) {
      const ContinuousResult result =
          PlayContinuousGame(engines, Opening(game), side, kCapped, 30000, rule, kMoveCap);
      EXPECT_TRUE(result.faults.empty())
          << RuleName(rule) << ", board " << side << ", game " << game << ": " << Summary(result);
      EXPECT_EQ(result.referee.stones().size(), static_cast<size_t>(kMoveCap));
      lines += result.lines;
      fouls += result.fouls;
      std::swap(engines[0], engines[1]);  // the same processes, colours swapped
    }
    // Most games must go on past a completed line, or the games test little.
    EXPECT_GE(lines, 2 * kGamesPerBoard) << "board " << side;
    std::printf("%s, board %d: %d games, %d lines completed, %d fouls\n", RuleName(rule), side,
                kGamesPerBoard, lines, fouls);
    EXPECT_TRUE(first.End() && second.End());
  }
}

TEST(ContinuousGame, FreestyleSelfPlayIsSound) { ExpectSoundContinuousGames(Rule::kFreestyle); }
TEST(ContinuousGame, ExactFiveSelfPlayIsSound) { ExpectSoundContinuousGames(Rule::kExactFive); }
TEST(ContinuousGame, RenjuSelfPlayIsSound) { ExpectSoundContinuousGames(Rule::kRenju); }
TEST(ContinuousGame, CaroSelfPlayIsSound) { ExpectSoundContinuousGames(Rule::kCaro); }
TEST(ContinuousGame, CaroExactFiveSelfPlayIsSound) {
  ExpectSoundContinuousGames(Rule::kCaroExactFive);
}

}  // namespace
