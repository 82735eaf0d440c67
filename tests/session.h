// A session with the real executable over its pipes, as a manager or a board
// program holds it, and the transcripts of tests/data that drive one.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/data_file.h"
#include "tools/harness/manager.h"

using Lines = std::vector<std::string>;

inline const std::string kAbout(kAboutLine);
// Settings of Yixin-Board's default level: no time limit at all. Searching a
// few stones on 15 x 15 to the full depth then takes minutes.
inline const std::string kUnlimited =
    "INFO timeout_turn 2000000\nINFO timeout_match 100000000\nINFO time_left 100000000\n"
    "INFO max_depth 225";
// Bound on the answer after a stop: the engine stops within 100 ms, the margin
// is for wine and loaded machines, while an unheeded stop leaves the search
// running for minutes.
constexpr double kStopBoundMs = 1500;

// Expected replies: kMove any move, kCentral one with x and y in 5..14,
// "not x,y" any move but x,y, any other text that text exactly.
inline const std::string kMove = "<move>", kCentral = "<central>";
bool Matches(const std::string& got, const std::string& want);
bool IsMove(const std::string& text, int side = 20);

// A position as Yixin-Board sends it: the command, the stones in play order,
// 1 on those of the side to move and 2 on the others, and done.
std::string YxPosition(const std::string& command, const Stones& stones);

// The lines of one analysis block, INFO PV i (kept as INDEX) up to INFO PV DONE.
struct Block {
  std::map<std::string, std::string> info;
  int Int(const std::string& key) const { return std::stoi(info.at(key)); }
  // EVAL as a number: +M<n> and -M<n> count as the win and the loss.
  static constexpr int kWin = 30000;
  int Eval() const;
  std::string Line() const { return info.at("BESTLINE"); }
};

// Everything the engine wrote up to and with its answer.
struct Reply {
  Lines before;  // MESSAGE and INFO lines
  std::string answer;

  std::vector<Block> Blocks() const;
  // The blocks of the deepest depth written.
  std::vector<Block> LastDepth() const;
  int Count(const std::string& prefix) const;
};

class Session {
 public:
  void Send(const std::string& lines) { EXPECT_TRUE(engine_.WriteLine(lines)) << lines; }
  // The next line; "(no reply)" when none comes in time.
  std::string Next(int timeoutMs = 60000) {
    return engine_.ReadLine(timeoutMs).value_or("(no reply)");
  }
  std::string Ask(const std::string& lines) {
    Send(lines);
    return Next();
  }
  // Writes the lines and reads one line for each of `replies`, which it must
  // match; then ABOUT must come back next, so that nothing else was written.
  void Expect(const std::string& lines, const Lines& replies);
  // Nothing else was written: the next line answers ABOUT.
  void ExpectQuiet() { EXPECT_EQ(Ask("ABOUT"), kAbout); }
  // Writes the lines and reads up to the first line that is neither a MESSAGE
  // nor an INFO line nor the OK of a new game: the answer.
  Reply Request(const std::string& lines);
  // Writes the settings and the position, whose search must still be going
  // after `quietMs`.
  void StartThinking(const std::string& lines, int quietMs = 1000);
  EngineProcess& engine() { return engine_; }

 private:
  EngineProcess engine_;
};

// A transcript of tests/data: groups of "> " lines sent (">" alone an empty
// line), each followed by its "< " lines expected in reply.
struct Step {
  std::string input;  // the lines sent, without a newline after the last
  Lines replies;
};
std::vector<Step> Steps(const DataCase& transcript);
