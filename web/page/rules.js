// The rules the page offers: the value of INFO rule that the engine is told,
// and the engine's own number of the rule, which its judge takes.
export const RULES = [
  { id: 'freestyle', name: 'Freestyle', info: 0, judge: 0 },
  { id: 'exact', name: 'Exact five', info: 1, judge: 1 },
  { id: 'renju', name: 'Renju', info: 4, judge: 2 },
  { id: 'caro', name: 'Caro', info: 8, judge: 3 },
  { id: 'caro-exact', name: 'Caro with exact five', info: 9, judge: 4 },
];

export function ruleById(id) {
  return RULES.find((rule) => rule.id === id) ?? RULES[0];
}

// The judge's verdicts on a stone of the side to move (engine/judge.h).
export const Verdict = { allowed: 0, wins: 1, forbidden: 2, taken: 3, afterEnd: 4 };

// Board sides the engine plays on the page.
export const kMinSide = 15;
export const kMaxSide = 20;
