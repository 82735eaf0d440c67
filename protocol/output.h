// The replies: one line each, written and flushed at once, since the manager
// waits for every one of them.
#pragma once

#include <cstdint>
#include <cstdio>

// Output stream of the session; stdout unless a test or fuzzer sets one
// (pipeInput, the input stream, is the line reader's).
extern FILE* pipeOutput;

void SendResponse(const char* text);
// "prefix" followed by x,y.
void SendSquare(const char* prefix, int16_t x, int16_t y);
