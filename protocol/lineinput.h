// The manager's input as lines. Bytes are read in blocks straight from
// standard input and split into lines here, so that a search can take in the
// lines that arrive while it thinks without ever blocking: a stop or a new
// time limit is obeyed at once, and every other line waits its turn.
#pragma once

#include <cstdio>
#include <deque>
#include <string>

// At most this many characters of a line are kept; the rest is dropped.
constexpr size_t kMaxLineLength = 255;

// A stream to read instead of standard input (the fuzzer's memory stream).
// It is read with fread, so it must never block.
extern FILE* pipeInput;

// Forgets every byte and line read so far: a new session.
void ResetLineInput();
// The next line, without its line end (LF, or CR LF), cut to kMaxLineLength
// characters; waits for it. False at the end of input; a last line without
// a newline is dropped.
bool ReadLine(std::string& line);
// Reads all the input that waits, without blocking, and splits it into lines.
void ReadWaitingInput();
// The complete lines that ReadLine has not returned yet, oldest first. A
// search may take out the lines that it acts on at once.
std::deque<std::string>& WaitingLines();
