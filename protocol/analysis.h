// The analysis lines that board programs show while the engine thinks:
// INFO show_detail read as bits, the realtime mark of the best move, a detail
// block per candidate and a log line per completed iteration, and the status
// line before each answer. Nothing is written while no bit is set.
#pragma once

#include <cstdint>
#include <string>

#include "engine/tessel.h"  // SearchReport, CandidateLine, SearchFigures

// INFO show_detail bits: 1 the realtime mark (MESSAGE REALTIME BEST); 2 the
// detail blocks (INFO PV ... INFO PV DONE) and the log line of each iteration.
// Either bit also brings the status line before the answer.
constexpr int32_t kRealtimeBit = 1;
constexpr int32_t kDetailBit = 2;
extern int32_t showDetail;
void ApplyShowDetail(const char* value);
bool ShowsAny();
bool Shows(int32_t bit);

// Values are in Tessel's units: the side to move wins at +30000 and loses at
// -30000; a quiet position stays within a few thousand.
// The win rate drawn for a value: 1 / (1 + e^(-value / kWinRateScale)), 0.5
// at 0, above 0.99 once the value passes about 4.6 scales.
constexpr double kWinRateScale = 600;
double WinRate(int16_t value);
// EVAL's text: the value, or +M<n> / -M<n> for a found win or loss, with n
// the moves of the winner within which it comes: 1 when `makesFive`,
// otherwise as many as the winner can make up to the deepest ply searched
// (the sequence was found within it): the side to move moves on the even
// plies from 0, its opponent on the odd ones.
std::string EvalText(int16_t value, int16_t selDepth, bool makesFive);

// INFO PV index ... INFO PV DONE for one candidate of `count`.
void SendDetailBlock(int index, int count, const CandidateLine& line, const SearchFigures& figures);
// The log pane's line of an iteration: depth, value, time, moves made, line.
std::string FormatIterationLine(int rank, const CandidateLine& line, const SearchFigures& figures);
// The status line: MESSAGE [x,y]: value=..., depth=..., time=...s, nodes=...kN (...kN/s),
// the value in player 1's view and the speed in thousands of moves a second.
std::string FormatStatusLine(int16_t x, int16_t y, int value, int depth, double elapsedMs,
                             int64_t nodes);

// The analysis of one ordinary search: BeginAnalysis before it starts (it
// records the side to move); ReportIteration, from the search's hook, writes
// the lines of each newly completed iteration; SendMessage the status line of
// the search's result.
void BeginAnalysis();
void ReportIteration(const SearchReport& report);
void SendMessage();
