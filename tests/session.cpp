#include "tests/session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

bool Matches(const std::string& got, const std::string& want) {
  int x, y;
  const bool move = ParseMoveReply(got, &x, &y);
  if (want == kMove) return move;
  if (want == kCentral) return move && std::min(x, y) >= 5 && std::max(x, y) <= 14;
  if (want.starts_with("not ")) return move && got != want.substr(4);
  return got == want;
}

bool IsMove(const std::string& text, int side) {
  int x, y;
  return ParseMoveReply(text, &x, &y, side, side);
}

std::string YxPosition(const std::string& command, const Stones& stones) {
  std::string text = command + "\n";
  for (size_t i = 0; i < stones.size(); ++i) {
    const int label = stones.size() % 2 == i % 2 ? 1 : 2;
    text += std::to_string(stones[i].first) + "," + std::to_string(stones[i].second) + "," +
            std::to_string(label) + "\n";
  }
  return text + "done";
}

int Block::Eval() const {
  const std::string& e = info.at("EVAL");
  if (e.starts_with("+M")) return kWin;
  if (e.starts_with("-M")) return -kWin;
  return std::stoi(e);
}

std::vector<Block> Reply::Blocks() const {
  std::vector<Block> blocks;
  for (const std::string& line : before) {
    if (!line.starts_with("INFO ")) continue;
    const size_t space = line.find(' ', 5);
    const std::string key = line.substr(5, space - 5), value = line.substr(space + 1);
    const bool opens = key == "PV" && value != "DONE";
    if (opens) blocks.emplace_back();
    EXPECT_FALSE(blocks.empty()) << line;
    if (!blocks.empty()) blocks.back().info[opens ? "INDEX" : key] = value;
  }
  return blocks;
}

std::vector<Block> Reply::LastDepth() const {
  std::vector<Block> all = Blocks(), last;
  for (const Block& b : all) {
    if (b.Int("DEPTH") == all.back().Int("DEPTH")) last.push_back(b);
  }
  return last;
}

int Reply::Count(const std::string& prefix) const {
  return static_cast<int>(std::count_if(
      before.begin(), before.end(), [&](const std::string& l) { return l.starts_with(prefix); }));
}

void Session::Expect(const std::string& lines, const Lines& replies) {
  Send(lines);
  for (const std::string& want : replies) {
    const std::string got = Next();
    if (!Matches(got, want)) {
      ADD_FAILURE() << "after: " << lines << "\n  expected: " << want << "\n  got: " << got;
      return;  // later lines are out of step
    }
  }
  SCOPED_TRACE("after: " + lines);
  ExpectQuiet();
}

Reply Session::Request(const std::string& lines) {
  Send(lines);
  Reply reply;
  while (std::optional<std::string> line = engine_.ReadLine(60000)) {
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

void Session::StartThinking(const std::string& lines, int quietMs) {
  Send(kUnlimited + "\n" + lines);
  EXPECT_EQ(Next(), "OK");
  EXPECT_EQ(engine_.ReadLine(quietMs), std::nullopt);
}

std::vector<Step> Steps(const DataCase& transcript) {
  std::vector<Step> steps;
  for (const std::string& row : transcript.rows) {
    const std::string text = row.size() > 2 ? row.substr(2) : "";
    if (row.starts_with('>')) {
      if (steps.empty() || !steps.back().replies.empty())
        steps.push_back({text, {}});
      else
        steps.back().input += "\n" + text;
    } else if (row.starts_with('<')) {
      steps.back().replies.push_back(text);
    }
  }
  return steps;
}
