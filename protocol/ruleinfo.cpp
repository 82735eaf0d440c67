// INFO rule values read as the rules they name.
#include "protocol/ruleinfo.h"

#include <utility>

namespace {

constexpr int32_t kExactFiveBit = 1;
constexpr int32_t kContinuousBit = 2;
constexpr int32_t kRenjuBit = 4;
constexpr int32_t kCaroBit = 8;
constexpr int32_t kKnownBits = kExactFiveBit | kContinuousBit | kRenjuBit | kCaroBit;
// Yixin-Board's renju.
constexpr int32_t kYxRenju = 2;

int32_t ruleSetting = 0;
bool ruleWarningDue = false;
bool yxCommandSeen = false;

}  // namespace

std::optional<Rule> RuleOfInfoValue(int32_t value, bool fromYxBoardProgram) {
  if ((value & ~kKnownBits) != 0) return std::nullopt;
  const bool exactFive = (value & kExactFiveBit) != 0;
  if ((value & kRenjuBit) != 0) {
    if ((value & kCaroBit) != 0) return std::nullopt;
    return Rule::kRenju;
  }
  if ((value & kCaroBit) != 0) return exactFive ? Rule::kCaroExactFive : Rule::kCaro;
  if (fromYxBoardProgram && value == kYxRenju) return Rule::kRenju;
  return exactFive ? Rule::kExactFive : Rule::kFreestyle;
}

void ApplyRuleSetting(int32_t value) {
  const std::optional<Rule> rule = RuleOfInfoValue(value, yxCommandSeen);
  Tessel_SetRule(rule.value_or(Rule::kFreestyle));
  if (value != ruleSetting) ruleWarningDue = !rule.has_value();
  ruleSetting = value;
}

void NoteBoardProgram() {
  if (yxCommandSeen) return;
  yxCommandSeen = true;
  ApplyRuleSetting(ruleSetting);
}

bool TakeRuleWarning() { return std::exchange(ruleWarningDue, false); }
