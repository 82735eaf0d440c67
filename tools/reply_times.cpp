// Plays complete games of the engine against itself under the manager-faithful
// driver, for several time controls, and reports how long the replies take
// against the engine's own per-move budget. Every move is judged by the
// referee; a fault (a missing, late or malformed reply, an illegal or
// forbidden move, a five missed or left open, an ERROR line) makes the exit
// status non-zero. Also measures the start-up time, from process start to the
// ABOUT reply.
//
//   reply_times [-n games-per-control] [-c name-part] [-r rule] [-s board-side]
//
// -r the rule as Piskvork's INFO rule numbers it, sent as such, and the
// referee judges by it: 0 freestyle (the default), 1 exact five, 4 renju (a
// forbidden black move is a fault), 8 caro, 9 caro with exact five; -s the
// board side, 5..20 (20).
//
// The engine is the one built beside this tool, or TESSEL_ENGINE's command.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/harness/manager.h"

namespace {

double StartUpMs() {
  double best = 1e9;
  for (int run = 0; run < 20; ++run) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    EngineProcess engine;
    if (!engine.Ask("ABOUT")) return -1;
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    engine.Finish();
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  int games = 2;
  const char* only = "";
  auto rule = Referee::Rule::kFreestyle;
  int side = 20;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "-n")) games = std::atoi(argv[i + 1]);
    if (!std::strcmp(argv[i], "-c")) only = argv[i + 1];
    if (!std::strcmp(argv[i], "-r")) rule = RuleFromInfo(std::atoi(argv[i + 1]));
    if (!std::strcmp(argv[i], "-s")) side = std::clamp(std::atoi(argv[i + 1]), 5, 20);
  }
  const double startUp = StartUpMs();
  if (startUp < 0) {
    std::printf("FAULT: no ABOUT reply\n");
    return 1;
  }
  std::printf("start-up to the ABOUT reply: %.1f ms (best of 20)\n", startUp);
  std::printf("rule: %s (INFO rule %d), board %d x %d\n", RuleName(rule), InfoRuleValue(rule), side,
              side);
  std::fflush(stdout);

  const TimeControl controls[] = {
      {"1 s per move", 1000, 0},
      {"300 ms per move", 300, 0},
      {"10 s match", 5000, 10000},
      {"60 s match", 10000, 60000},
  };
  bool ok = true;
  for (const TimeControl& time : controls) {
    if (!std::strstr(time.name, only)) continue;
    // One pair of processes for the whole series, as under a tournament manager.
    ManagedEngine first, second;
    ManagedEngine* engines[2] = {&first, &second};
    int moves = 0, faults = 0;
    GameResult worst;
    for (int game = 0; game < games; ++game) {
      const GameResult result = PlayGame(engines, Opening(game), side, time, 0, rule);
      if (!result.fault.empty()) {
        std::printf("  FAULT %s, game %d: %s\n", time.name, game + 1, result.fault.c_str());
        ++faults;
      }
      moves += result.replies;
      if (result.worstReplyMs > worst.worstReplyMs) worst = result;
      std::swap(engines[0], engines[1]);
    }
    if (!first.End() || !second.End()) {
      std::printf("  FAULT %s: END did not end a process with status 0\n", time.name);
      ++faults;
    }
    std::printf("%-16s games %d, moves %5d, faults %d, worst reply %7.1f ms (budget %lld ms)\n",
                time.name, games, moves, faults, worst.worstReplyMs,
                static_cast<long long>(worst.worstBudgetMs));
    std::fflush(stdout);
    ok = ok && faults == 0;
  }
  return ok ? 0 : 1;
}
