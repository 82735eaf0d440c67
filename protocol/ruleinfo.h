// The rule that an INFO rule value names, as managers and board programs
// number their rules, and the setting that plays it.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/tessel.h"  // Rule

// Piskvork's bits: 1 exact five, 2 a continuous game (its blocked squares come
// in position blocks), 4 renju, 8 caro. Yixin-Board numbers its rules 0
// freestyle, 1 exact five and 2 renju, so from a board program that has sent
// a YX command, 2 alone is renju. None for a value whose bits name no rule
// Tessel plays: renju with caro, or a bit above 8.
std::optional<Rule> RuleOfInfoValue(int32_t value, bool fromYxBoardProgram);

// INFO rule: plays the rule the value names. A rule that Tessel does not
// play is played as freestyle, and the manager learns so with the next move:
// once for each change of the setting (see TakeRuleWarning).
void ApplyRuleSetting(int32_t value);
// The first YX command: the manager is a board program that numbers its rules
// otherwise, so the setting is read again.
void NoteBoardProgram();
// True once after a setting that Tessel plays as freestyle.
bool TakeRuleWarning();
