// Position blocks: the stones of a BOARD or YXBOARD block, read up to DONE.
#pragma once

#include <cstdint>

constexpr char kParameterError[] = "ERROR wrong or missing command parameter";

// A game is set up: START, or a position block, came first. Commands that
// play on the position need one.
extern uint8_t started;

// A new game from the position lines that follow, closed by DONE: true once
// DONE is read.
bool ReadPosition();
