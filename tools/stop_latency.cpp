// Measures how fast the engine obeys a stop while it thinks without a time
// limit, as board programs stop it: YXSTOP (Yixin-Board) and INFO
// timeout_turn 0 (Piskvork) must bring the move within 100 ms, END must end
// the process within a second. Each stop is sent at several moments of the
// search; the exit status is non-zero when any answer comes late or wrong.
//
//   stop_latency [-n trials-per-stop]
//
// The engine is the one built beside this tool, or TESSEL_ENGINE's command.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "tools/harness/manager.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Stop {
  const char* line;
  double boundMs;
  bool endsProcess;
};

// A search of a few stones on 15 x 15 without limits, stopped after
// `thinkMs`: the milliseconds from the stop to the move (or to the exit), or
// -1 when the answer is wrong.
double StopAfter(const Stop& stop, int thinkMs) {
  EngineProcess engine;
  engine.WriteLine(
      "INFO timeout_turn 2000000\nINFO timeout_match 100000000\nINFO max_depth 225\n"
      "START 15 15\nBOARD\n7,7,2\n8,8,1\n6,8,2\nDONE");
  if (engine.ReadLine() != "OK") return -1;
  std::this_thread::sleep_for(std::chrono::milliseconds(thinkMs));
  const Clock::time_point sent = Clock::now();
  engine.WriteLine(stop.line);
  const std::optional<std::string> reply = engine.ReadLine();
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
  int x, y;
  const bool right = stop.endsProcess ? !reply && engine.Finish(1000) == 0
                                      : reply && ParseMoveReply(*reply, &x, &y, 15, 15);
  return right ? ms : -1;
}

}  // namespace

int main(int argc, char** argv) {
  int trials = 5;
  for (int i = 1; i + 1 < argc; i += 2)
    if (!std::strcmp(argv[i], "-n")) trials = std::atoi(argv[i + 1]);
  const Stop stops[] = {
      {"YXSTOP", 100, false},
      {"INFO timeout_turn 0", 100, false},
      {"END", 1000, true},
  };
  bool ok = true;
  for (const Stop& stop : stops) {
    double worst = 0, sum = 0;
    int faults = 0;
    for (int t = 0; t < trials; ++t) {
      const double ms = StopAfter(stop, 50 + 400 * t / std::max(1, trials - 1));
      if (ms < 0 || ms > stop.boundMs) ++faults;
      worst = std::max(worst, ms);
      sum += std::max(ms, 0.0);
    }
    std::printf("%-20s trials %d, mean %6.1f ms, worst %6.1f ms (bound %.0f ms), faults %d\n",
                stop.line, trials, sum / trials, worst, stop.boundMs, faults);
    std::fflush(stdout);
    ok = ok && faults == 0;
  }
  return ok ? 0 : 1;
}
