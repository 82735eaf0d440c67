// The managers' protocol: the session loop, line reading and replies, the
// command table, the game commands, position blocks and INFO settings, and
// the input taken in while a search runs.
#pragma once

#include <cstdint>
#include <cstdio>

#include "protocol/lineinput.h"

constexpr int kCommandBufferSize = 256;

extern char cmd[kCommandBufferSize];
extern uint8_t started;
extern const char* infotext;
// Output stream of the session; stdout unless a test or fuzzer sets one
// (pipeInput, the input stream, is the line reader's).
extern FILE* pipeOutput;
// Set by END and by the end of input; the loop then returns.
extern bool sessionEnded;
// The deepest iteration of a protocol search: the move stack holds this many
// full-width plies with room for the threat sequences beyond them.
constexpr int16_t kProtocolSearchDepth = 10;
// Depth limit of every protocol search without a max_depth setting, and the
// deepest that the setting may ask for; the fuzzer lowers both to keep each
// command short.
extern int16_t protocolSearchDepth;
extern int16_t deepestProtocolSearch;

// The whole session: initialise, then read and perform lines until END or
// end of input. Returns the exit status, always 0. A checker given as
// afterCommand runs after the initialisation and after every command.
int RunSession(void (*afterCommand)() = nullptr);
// Reads the next line into cmd; false at end of input (and sessionEnded set).
bool GetLine();
// Performs one command line.
void ParseStdin(const char* line);
void SendResponse(const char* text);
// "prefix" followed by x,y.
void SendSquare(const char* prefix, int16_t x, int16_t y);
// The first square of the last search's best line.
void BestSquare(int16_t& x, int16_t& y);
// The depth limit of the coming search: protocolSearchDepth, or the max_depth
// setting within deepestProtocolSearch (a board program's analysis that runs
// until it is stopped asks for more than the usual depth).
int16_t SearchDepth();
// Runs `search` as a protocol search, taking in the input that arrives
// meanwhile, then writes the notes that are due. False when END arrived:
// nothing more may be written.
bool RunProtocolSearch(void (*search)());
// Searches the position in play and answers the best move, after the notes
// that are due; puts it on the board when asked to.
void AnswerMove(bool putOwnStone);
// The search's hook during protocol searches: takes in the input that arrived
// (a stop, new time limits and END act at once) and reports each new
// iteration's best move when asked to.
void ShowRunningResults();
