// The analysis lines of board programs: show_detail bits, realtime marks,
// detail blocks, iteration log lines and the status line.
#include "protocol/analysis.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "engine/tessel.h"
#include "protocol/output.h"
#include "protocol/parse.h"

int32_t showDetail = 0;

namespace {

// The deepest iteration whose lines have been written, and the side to move
// at the root of the search.
int16_t reportedDepth = -1;
int16_t rootSide = kPlayer1;

void SendInfo(const char* key, const std::string& value) {
  char line[96];
  std::snprintf(line, sizeof line, "INFO %s %s", key, value.c_str());
  SendResponse(line);
}

std::string Number(int64_t n) { return std::to_string(n); }

std::string LineText(const CandidateLine& line) {
  char text[32];
  if (line.replyX < 0) {
    std::snprintf(text, sizeof text, "%d,%d", line.x, line.y);
  } else {
    std::snprintf(text, sizeof text, "%d,%d %d,%d", line.x, line.y, line.replyX, line.replyY);
  }
  return text;
}

int64_t Speed(int64_t nodes, int64_t ms) { return nodes * 1000 / (ms > 0 ? ms : 1); }

}  // namespace

void ApplyShowDetail(const char* value) { showDetail = ReadInt32(value); }

bool Shows(int32_t bit) { return (showDetail & bit) != 0; }

bool ShowsAny() { return Shows(kRealtimeBit | kDetailBit); }

double WinRate(int16_t value) { return 1.0 / (1.0 + std::exp(-value / kWinRateScale)); }

std::string EvalText(int16_t value, int16_t selDepth, bool makesFive) {
  if (value != kWinValue && value != -kWinValue) return Number(value);
  // The side to move plays plies 0, 2, 4..., its opponent plies 1, 3...
  const int moves = makesFive ? 1 : value > 0 ? selDepth / 2 + 1 : std::max(1, (selDepth + 1) / 2);
  char text[16];
  std::snprintf(text, sizeof text, "%cM%d", value > 0 ? '+' : '-', moves);
  return text;
}

void SendDetailBlock(int index, int count, const CandidateLine& line,
                     const SearchFigures& figures) {
  char winRate[16];
  std::snprintf(winRate, sizeof winRate, "%.4f", WinRate(line.value));
  SendInfo("PV", Number(index));
  SendInfo("NUMPV", Number(count));
  SendInfo("DEPTH", Number(figures.depth));
  SendInfo("SELDEPTH", Number(line.selDepth));
  SendInfo("NODES", Number(line.nodes));
  SendInfo("TOTALNODES", Number(figures.totalNodes));
  SendInfo("TOTALTIME", Number(figures.elapsedMs));
  SendInfo("SPEED", Number(Speed(figures.totalNodes, figures.elapsedMs)));
  SendInfo("EVAL", EvalText(line.value, line.selDepth, line.makesFive));
  SendInfo("WINRATE", winRate);
  SendInfo("BESTLINE", LineText(line));
  SendInfo("PV", "DONE");
}

std::string FormatIterationLine(int rank, const CandidateLine& line, const SearchFigures& figures) {
  char text[192];
  // Numbered when there are several candidates, as (1), (2)...
  char prefix[16] = "";
  if (rank > 0) std::snprintf(prefix, sizeof prefix, "(%d) ", rank);
  std::snprintf(text, sizeof text,
                "MESSAGE %sdepth=%d value=%s time=%.1fs nodes=%" PRId64 " line=%s", prefix,
                figures.depth, EvalText(line.value, line.selDepth, line.makesFive).c_str(),
                figures.elapsedMs / 1000.0, figures.totalNodes, LineText(line).c_str());
  return text;
}

std::string FormatStatusLine(int16_t x, int16_t y, int value, int depth, double elapsedMs,
                             int64_t nodes) {
  // Moves per millisecond are thousands of moves a second.
  const double movesPerMs = elapsedMs > 0 ? static_cast<double>(nodes) / elapsedMs : 0;
  char line[192];
  std::snprintf(line, sizeof line,
                "MESSAGE [%d,%d]: value=%d, depth=%d, time=%.1fs, nodes=%.0fkN (%.0fkN/s)", x, y,
                value, depth, elapsedMs / 1000.0, static_cast<double>(nodes) / 1000.0, movesPerMs);
  return line;
}

void BeginAnalysis() {
  reportedDepth = -1;
  rootSide = Tessel_GetSideToMove();
}

// Called from the hook right after each iteration is taken, while the
// position is the root's again.
void ReportIteration(const SearchReport& report) {
  if (!ShowsAny() || report.depth <= reportedDepth) return;
  reportedDepth = report.depth;
  if (Shows(kRealtimeBit)) SendSquare("MESSAGE REALTIME BEST ", report.x, report.y);
  if (!Shows(kDetailBit)) return;
  const int16_t ownValue =
      rootSide == kPlayer1 ? report.value : static_cast<int16_t>(-report.value);
  const CandidateLine line{report.x,        report.y,         ownValue,
                           report.selDepth, report.bestNodes, report.makesFive};
  const SearchFigures figures{report.depth, report.nodes, report.elapsedMs};
  SendDetailBlock(0, 1, line, figures);
  SendResponse(FormatIterationLine(0, line, figures).c_str());
}

void SendMessage() {
  const SearchReport report = Tessel_GetSearchReport();
  SendResponse(FormatStatusLine(report.x, report.y, report.value, report.depth, report.sampledMs,
                                report.nodes)
                   .c_str());
}
