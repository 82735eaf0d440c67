// The managers' protocol: the session loop, the command table, the game
// commands and the INFO settings.
#pragma once

#include <cstdint>

extern const char* infotext;

// The whole session: initialise, then read and perform lines until END or
// end of input. Returns the exit status, always 0. A checker given as
// afterCommand runs after the initialisation and after every command.
int RunSession(void (*afterCommand)() = nullptr);
// Performs one command line.
void ParseStdin(const char* line);
