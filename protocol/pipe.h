// The manager protocol: the command loop, line I/O, command matching and the
// handlers of the game commands and INFO settings.
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
// Depth limit of every protocol search (10); the fuzzer lowers it to keep
// each command short.
extern int16_t protocolSearchDepth;

// The whole session: initialise, then read and perform lines until END or
// end of input. Returns the exit status, always 0. A checker given as
// afterCommand runs after the initialisation and after every command.
int RunSession(void (*afterCommand)() = nullptr);
// Reads the next line into cmd; false at end of input (and sessionEnded set).
bool GetLine();
const char* ParseCommandParameter(const char* name, const char* text);
void ParseStdin(const char* line);
void SendResponse(const char* text);
// Called by the search at every clock sample, after every completed iteration
// and at its end. During a protocol search it takes in the input that arrived
// (a stop, new time limits and END act at once) and reports each new
// iteration's best move when asked to.
void ShowRunningResults();
void SendMessage();
bool ParseXY(const char* text, int16_t* x, int16_t* y);
bool ParseXYZ(const char* text, int16_t* x, int16_t* y, int16_t* z);
