// The candidate commands: their arguments, and the analysis lines and answer
// of the searches they ask for.
#include "protocol/candidates.h"

#include <algorithm>
#include <cstdio>

#include "engine/tessel.h"
#include "protocol/analysis.h"
#include "protocol/output.h"
#include "protocol/parse.h"
#include "protocol/searchrunner.h"

namespace {

// The lines of a completed depth: the realtime mark of the answer, then a
// detail block and a log line for each candidate shown.
void ReportDepth(const CandidateDepth& depth) {
  if (Shows(kRealtimeBit)) SendSquare("MESSAGE REALTIME BEST ", depth.answer.x, depth.answer.y);
  if (!Shows(kDetailBit)) return;
  const int count = static_cast<int>(depth.shown.size());
  for (int i = 0; i < count; ++i) SendDetailBlock(i, count, depth.shown[i], depth.figures);
  for (int i = 0; i < count; ++i) {
    SendResponse(FormatIterationLine(count > 1 ? i + 1 : 0, depth.shown[i], depth.figures).c_str());
  }
}

void SendAnswer(const CandidateLine& line, bool withReply) {
  char answer[32];
  if (withReply && line.replyX >= 0) {
    std::snprintf(answer, sizeof answer, "%d,%d %d,%d", line.x, line.y, line.replyX, line.replyY);
  } else {
    std::snprintf(answer, sizeof answer, "%d,%d", line.x, line.y);
  }
  SendResponse(answer);
}

void Run(CandidateGoal goal, size_t wanted, int16_t target) {
  if (Tessel_BoardFull()) return SendResponse("ERROR board is full");
  Tessel_BeginCandidateCommand();
  CandidateRequest request;
  request.goal = goal;
  request.wanted = wanted;
  request.target = target;
  request.maxDepth = SearchDepth();
  CandidateResult result;
  const bool answered =
      RunProtocolSearch([&] { result = Tessel_SearchCandidates(request, ReportDepth); }, false);
  if (!answered) return;
  const CandidateLine& line = result.answer;
  if (ShowsAny()) {
    const int firstPlayerValue = Tessel_GetSideToMove() == kPlayer1 ? line.value : -line.value;
    SendResponse(FormatStatusLine(line.x, line.y, firstPlayerValue, result.figures.depth,
                                  static_cast<double>(result.figures.elapsedMs),
                                  result.figures.totalNodes)
                     .c_str());
  }
  SendAnswer(line, goal == CandidateGoal::kBalanceTwo);
}

int16_t ReadValue(const char* argument) {
  return static_cast<int16_t>(std::clamp<int32_t>(ReadInt32(argument), -kWinValue, kWinValue));
}

}  // namespace

void HandleNBest(const char* argument) {
  // More than the root's candidates finds them all.
  const int32_t n = std::max(ReadInt32(argument), 1);
  Run(CandidateGoal::kBest, static_cast<size_t>(n), 0);
}

void HandleSearchDefend(const char*) { Run(CandidateGoal::kDefend, 0, 0); }

void HandleBalanceOne(const char* argument) {
  Run(CandidateGoal::kBalanceOne, 0, ReadValue(argument));
}

void HandleBalanceTwo(const char* argument) {
  Run(CandidateGoal::kBalanceTwo, 0, ReadValue(argument));
}
