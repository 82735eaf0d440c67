// Position blocks: the stones of a BOARD or YXBOARD block, read up to DONE.
#pragma once

constexpr char kParameterError[] = "ERROR wrong or missing command parameter";

// A new game from the position lines that follow, closed by DONE: true once
// DONE is read.
bool ReadPosition();
