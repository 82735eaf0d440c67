// The rule that an INFO rule value names, as managers and board programs
// number their rules.
#pragma once

#include <cstdint>
#include <optional>

#include "evaluation/evaluate.h"

// Piskvork's bits: 1 exact five, 2 a continuous game (its blocked squares come
// in position blocks), 4 renju, 8 caro. Yixin-Board numbers its rules 0
// freestyle, 1 exact five and 2 renju, so from a board program that has sent
// a YX command, 2 alone is renju. None for a value whose bits name no rule
// Tessel plays: renju with caro, or a bit above 8.
std::optional<Rule> RuleOfInfoValue(int32_t value, bool fromYxBoardProgram);
