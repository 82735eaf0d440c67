#include "protocol/searchrunner.h"

#include <algorithm>

#include "engine/tessel.h"
#include "protocol/analysis.h"
#include "protocol/lineinput.h"
#include "protocol/output.h"
#include "protocol/ruleinfo.h"

int16_t protocolSearchDepth = kProtocolSearchDepth;
int16_t deepestProtocolSearch = kMaxSearchDepth;

namespace {

constexpr char kOtherRule[] =
    "MESSAGE unsupported rule, Tessel plays freestyle: five or more in a row wins";

int32_t maxDepthSetting = 0;
void (*inputDuringSearch)() = nullptr;
// A protocol search is running, and whether it reports its iterations.
bool thinking = false;
bool showingIterations = false;

// Lines that act during a search are performed as they arrive; after END
// nothing more is written.
void ShowRunningResults(const SearchReport& report) {
  if (!thinking) return;
  if (inputDuringSearch != nullptr) inputDuringSearch();
  if (sessionEnded || !showingIterations) return;
  ReportIteration(report);
}

}  // namespace

void SetDepthSetting(int32_t maxDepth) { maxDepthSetting = std::max(maxDepth, 0); }

int16_t SearchDepth() {
  if (maxDepthSetting <= 0) return protocolSearchDepth;
  return static_cast<int16_t>(std::min<int32_t>(maxDepthSetting, deepestProtocolSearch));
}

void InstallSearchHook(void (*takeInput)()) {
  inputDuringSearch = takeInput;
  Tessel_SetSearchHook(ShowRunningResults);
}

bool SearchRunning() { return thinking; }

bool RunProtocolSearch(const std::function<void()>& search, bool showIterations) {
  thinking = true;
  showingIterations = showIterations;
  BeginAnalysis();
  search();
  thinking = false;
  // END arrived during the search: nothing more is written.
  if (sessionEnded) return false;
  if (TakeRuleWarning()) SendResponse(kOtherRule);
  return true;
}
