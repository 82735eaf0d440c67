// The engine's executable: one protocol session on standard input and output.
#include "protocol/pipe.h"

// Replies end in the platform's line end (CR LF on Windows, where stdout is
// in text mode); the input is read as raw bytes by the line reader.
int main() { return RunSession(); }
