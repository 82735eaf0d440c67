// The manager's input as lines. Bytes are read in blocks straight from
// standard input and split into lines here, so that a search can take in the
// lines that arrive while it thinks without ever blocking: a stop or a new
// time limit is obeyed at once, and every other line waits its turn.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// At most this many characters of a line are kept; the rest is dropped.
constexpr size_t kMaxLineLength = 255;
constexpr int kCommandBufferSize = 256;

// The line that GetLine read last, as a C string.
extern char cmd[kCommandBufferSize];
// Set by END and by the end of input: the session is over, nothing more is
// read or written.
extern bool sessionEnded;

// A stream to read instead of standard input (the fuzzer's memory stream).
// It is read with fread, so it must never block.
extern FILE* pipeInput;

// Forgets every byte and line read so far: a new session.
void ResetLineInput();
// The next line, without its line end (LF, or CR LF), cut to kMaxLineLength
// characters; waits for it. False at the end of input; a last line without
// a newline is dropped. The quoted text of Yixin-Board's comment command is
// read to its closing quote across any number of lines and dropped: its line
// holds the command word, `""` and what follows the closing quote.
bool ReadLine(std::string& line);
// Reads the next line into cmd; false at the end of input (and sessionEnded
// set).
bool GetLine();
// Puts a line back: the next ReadLine or GetLine returns it first. A reader
// of a list that meets a line of another command leaves it to the session.
void PutBackLine(const std::string& line);
// Reads all the input that waits, without blocking, and hands over, oldest
// first, the complete lines for which `actsNow` is true; the others stay in
// order for ReadLine. Every line is offered to `actsNow` once only, in the
// order of arrival, however often this is called.
std::vector<std::string> TakeLinesThatAct(
    const std::function<bool(const std::string&)>& actsNow);
