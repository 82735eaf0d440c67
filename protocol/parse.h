// The small parsers of the protocol: command words, numbers and squares, as
// every command that reads them shares them.
#pragma once

#include <cstdint>

// The argument of `text` when it starts with the command word `name` (any
// case), standing alone: followed by a blank or the end of the text. Blanks
// before the argument are skipped. Null when `text` is another command.
const char* ParseCommandParameter(const char* name, const char* text);
// Numbers joined by commas, each as "%hi" reads it (leading white space, a
// sign, hexadecimal after 0x, octal after 0), within int16. The comma must
// follow a number directly; text after the last number is ignored.
bool ReadShorts(const char* text, int16_t* values, int n);
// A decimal number as atoi reads it, saturated to the int32 range.
int32_t ReadInt32(const char* text);
// The same in 64 bits, saturated to the int64 range.
int64_t ReadInt64(const char* text);
// x,y and, for n = 3, a third number of at most maxThird, with x and y below
// the board's width and height (negative values are left to the caller).
bool ParseSquare(const char* text, int16_t* values, int n, int16_t maxThird);
bool ParseXY(const char* text, int16_t* x, int16_t* y);
// x,y,z with z a player number 0..2.
bool ParseXYZ(const char* text, int16_t* x, int16_t* y, int16_t* z);
