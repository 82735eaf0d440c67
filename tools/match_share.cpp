// Checks through the built engine that a reply under a match clock spends its
// share: a fifteenth of the time left less 100 ms, unless the turn limit
// (less 100 ms) is smaller. Each setting is sent as a manager sends it, in a
// new process, before a position whose search would run for minutes, so the
// reply must come no sooner than the share and no later than the share plus
// a margin for a loaded machine. The shares are written out here, not taken
// from the engine, so that a wrong share in the engine shows. The exit status
// is non-zero when any reply falls outside its window.
//
//   match_share [-m margin-ms]   (margin 400 ms by default)
//
// The engine is the one built beside this tool, or TESSEL_ENGINE's command.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/harness/manager.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Setting {
  const char* infoLines;  // as a manager sends them before the move
  double shareMs;
};

// The milliseconds from the end of the position to the reply, or -1 when no
// move comes.
double ReplyMs(const Setting& setting) {
  EngineProcess engine;
  if (engine.Ask("START 15") != "OK") return -1;
  if (*setting.infoLines != '\0' && !engine.WriteLine(setting.infoLines)) return -1;
  if (!engine.WriteLine("BOARD\n7,7,2\n8,8,1\n6,8,2")) return -1;
  const Clock::time_point sent = Clock::now();
  const std::optional<std::string> reply = engine.Ask("DONE", 120000);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
  int x, y;
  return reply && ParseMoveReply(*reply, &x, &y, 15, 15) ? ms : -1;
}

}  // namespace

int main(int argc, char** argv) {
  double marginMs = 400;
  for (int i = 1; i + 1 < argc; i += 2)
    if (!std::strcmp(argv[i], "-m")) marginMs = std::atof(argv[i + 1]);
  const Setting settings[] = {
      {"", 900},  // the defaults: a second per move, 15 s for the match
      {"INFO timeout_turn 60000\nINFO timeout_match 30000\nINFO time_left 30000", 1900},
      {"INFO timeout_turn 60000\nINFO timeout_match 180000\nINFO time_left 6000", 300},
      {"INFO timeout_turn 500\nINFO timeout_match 60000\nINFO time_left 60000", 400},
  };
  bool ok = true;
  for (const Setting& setting : settings) {
    const double ms = ReplyMs(setting);
    const bool inWindow = ms >= setting.shareMs && ms <= setting.shareMs + marginMs;
    std::string shown = *setting.infoLines != '\0' ? setting.infoLines : "the defaults";
    for (char& c : shown) c = c == '\n' ? ';' : c;
    std::printf("share %5.0f ms, reply after %7.1f ms%s  (%s)\n", setting.shareMs, ms,
                inWindow ? "" : "  FAULT", shown.c_str());
    std::fflush(stdout);
    ok = ok && inWindow;
  }
  return ok ? 0 : 1;
}
