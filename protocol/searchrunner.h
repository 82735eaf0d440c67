// The searches that commands run: their depth limit, the input taken in while
// they run (a stop, new time limits and END act at once), the report of each
// new iteration, and the notes due after them.
#pragma once

#include <cstdint>
#include <functional>

// The deepest iteration of a protocol search: the move stack holds this many
// full-width plies with room for the threat sequences beyond them.
constexpr int16_t kProtocolSearchDepth = 10;
// Depth limit of every protocol search without a max_depth setting, and the
// deepest that the setting may ask for; the fuzzer lowers both to keep each
// command short.
extern int16_t protocolSearchDepth;
extern int16_t deepestProtocolSearch;

// INFO max_depth: the depth limit of every search; 0 or below for the usual.
void SetDepthSetting(int32_t maxDepth);
// The depth limit of the coming search: protocolSearchDepth, or the max_depth
// setting within deepestProtocolSearch (a board program's analysis that runs
// until it is stopped asks for more than the usual depth).
int16_t SearchDepth();

// Makes every search take in the input that arrives meanwhile with
// `takeInput`, the session's, at each clock sample and iteration.
void InstallSearchHook(void (*takeInput)());
// A protocol search is running.
bool SearchRunning();
// Runs `search` as a protocol search, reporting each new iteration's best
// move when asked to and the settings show it, then writes the notes that are
// due. False when END arrived: nothing more may be written.
bool RunProtocolSearch(const std::function<void()>& search, bool showIterations);
