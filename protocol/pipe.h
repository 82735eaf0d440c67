// The manager protocol: the command loop, line I/O, command matching and the
// handlers of the game commands and INFO settings.
#pragma once

#include <cstdint>
#include <cstdio>

constexpr int kCommandBufferSize = 256;

extern char cmd[kCommandBufferSize];
extern uint8_t started;
extern const char* infotext;
// Streams of the session; stdin and stdout unless a test or fuzzer sets them.
extern FILE* pipeInput;
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
void ShowRunningResults();
void SendMessage();
bool ParseXY(const char* text, int16_t* x, int16_t* y);
bool ParseXYZ(const char* text, int16_t* x, int16_t* y, int16_t* z);
