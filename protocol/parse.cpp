// The protocol's parsers of command words, numbers and squares.
#include "protocol/parse.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <strings.h>

#include "engine/tessel.h"

namespace {

// The third number of a PUT line names a player, 0..2.
constexpr int16_t kMaxPlayerNumber = 2;

// One number as "%hi" reads it. A number outside int16 is refused rather
// than wrapped onto some square.
bool ReadShort(const char*& text, int16_t& value) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text, &end, 0);
  if (end == text || errno == ERANGE) return false;
  if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max()) {
    return false;
  }
  value = static_cast<int16_t>(v);
  text = end;
  return true;
}

}  // namespace

const char* ParseCommandParameter(const char* name, const char* text) {
  const size_t n = std::strlen(name);
  const size_t m = std::strlen(text);
  if (n > m) return nullptr;
  // Whole words only, and only a blank separates the word from its argument.
  if (n < m && text[n] != ' ') return nullptr;
  if (strncasecmp(text, name, n) != 0) return nullptr;
  const char* argument = text + n;
  while (*argument == ' ') ++argument;
  return argument;
}

bool ReadShorts(const char* text, int16_t* values, int n) {
  for (int i = 0; i < n; ++i) {
    if (i > 0 && *text++ != ',') return false;
    if (!ReadShort(text, values[i])) return false;
  }
  return true;
}

int32_t ReadInt32(const char* text) {
  const long long v = std::strtoll(text, nullptr, 10);
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

int64_t ReadInt64(const char* text) {
  // strtoll saturates and sets ERANGE, which the saturation wants anyway.
  return static_cast<int64_t>(std::strtoll(text, nullptr, 10));
}

bool ParseSquare(const char* text, int16_t* values, int n, int16_t maxThird) {
  return ReadShorts(text, values, n) && values[0] < Tessel_GetBoardWidth() &&
         values[1] < Tessel_GetBoardHeight() && (n < 3 || values[2] <= maxThird);
}

bool ParseXY(const char* text, int16_t* x, int16_t* y) {
  int16_t v[2];
  if (!ParseSquare(text, v, 2, 0)) return false;
  *x = v[0];
  *y = v[1];
  return true;
}

bool ParseXYZ(const char* text, int16_t* x, int16_t* y, int16_t* z) {
  int16_t v[3];
  if (!ParseSquare(text, v, 3, kMaxPlayerNumber)) return false;
  *x = v[0];
  *y = v[1];
  *z = v[2];
  return true;
}
