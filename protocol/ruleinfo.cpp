// INFO rule values read as the rules they name.
#include "protocol/ruleinfo.h"

namespace {

constexpr int32_t kExactFiveBit = 1;
constexpr int32_t kContinuousBit = 2;
constexpr int32_t kRenjuBit = 4;
constexpr int32_t kCaroBit = 8;
constexpr int32_t kKnownBits = kExactFiveBit | kContinuousBit | kRenjuBit | kCaroBit;
// Yixin-Board's renju.
constexpr int32_t kYxRenju = 2;

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
