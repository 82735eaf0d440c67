// The INFO rule values as Piskvork and Yixin-Board number them
// (tests/data/rule_values.txt). The rules' transcripts (exact five's fives and
// sixes, the rule switched in play, renju's forbidden squares in the answers
// and in FORBID, caro's closed fives) are in tests/data/protocol.txt.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "protocol/ruleinfo.h"
#include "tests/data_file.h"

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

}  // namespace
