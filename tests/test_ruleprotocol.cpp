// The rules as managers and board programs set them: INFO rule values as
// Piskvork and Yixin-Board number them (tests/data/rule_values.txt), and
// transcripts (tests/data/rule_transcripts.txt) of exact five's fives and
// sixes, of the rule switched in play, and of renju's forbidden squares in
// the answers and in FORBID. The literal
// transcripts of the rules (renju's centre, rule 2 from each program, caro's
// closed fives) are in tests/data/protocol.txt.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "protocol/ruleinfo.h"
#include "tests/data_file.h"
#include "tools/harness/manager.h"

namespace {

// The rule a data file names; nullopt for "none".
std::optional<Rule> RuleNamed(const std::string& name) {
  constexpr const char* kNames[] = {"freestyle", "exactfive", "renju", "caro", "caroexactfive"};
  for (int rule = 0; rule < static_cast<int>(std::size(kNames)); ++rule)
    if (name == kNames[rule]) return static_cast<Rule>(rule);
  EXPECT_EQ(name, "none");
  return std::nullopt;
}

TEST(RuleInfo, ValuesAsManagersAndBoardProgramsNumberThem) {
  for (const DataCase& c : ReadCases("rule_values.txt")) {
    const int32_t value = std::stoi(c.name);
    EXPECT_EQ(RuleOfInfoValue(value, false), RuleNamed(c.Get("piskvork"))) << value;
    EXPECT_EQ(RuleOfInfoValue(value, true), RuleNamed(c.Get("yixin"))) << value;
  }
}

// Runs the transcripts of rule_transcripts.txt that name `suite`.
void CheckTranscripts(const std::string& suite) {
  for (const DataCase& c : ReadCases("rule_transcripts.txt")) {
    if (c.Get("suite") != suite) continue;
    SCOPED_TRACE(c.name);
    std::string input;
    std::vector<std::string> replies;
    for (const std::string& row : c.rows) {
      if (row.starts_with("> ")) input += row.substr(2) + "\n";
      if (row.starts_with("< ")) replies.push_back(row.substr(2));
    }
    const RunResult r = RunEngine(input);
    ASSERT_EQ(r.lines.size(), replies.size());
    for (size_t i = 0; i < replies.size(); ++i) {
      int x, y;
      if (!replies[i].starts_with("not "))
        EXPECT_EQ(r.lines[i], replies[i]) << i;
      else
        EXPECT_TRUE(ParseMoveReply(r.lines[i], &x, &y) && r.lines[i] != replies[i].substr(4)) << i;
    }
    EXPECT_TRUE(r.trailing.empty() && r.exitStatus == 0);
  }
}

TEST(ExactFiveProtocol, FivesNotSixesWinAndInfoRuleSwitchesTheGameInPlay) {
  CheckTranscripts("ExactFiveProtocol");
}

TEST(RenjuProtocol, BlackNeverAnswersAForbiddenSquare) { CheckTranscripts("RenjuProtocol"); }

}  // namespace
