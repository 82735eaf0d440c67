#include "protocol/pipe.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <strings.h>

#include "engine/tessel.h"
#include "search/search.h"

char cmd[kCommandBufferSize];
uint8_t started = 0;
const char* infotext =
    "name=\"Tessel\", version=\"0.1\", author=\"Tessel developers\", country=\"Internet\", "
    "www=\"https://tessel.invalid\", email=\"engine@tessel.invalid\"";
FILE* pipeInput = nullptr;
FILE* pipeOutput = nullptr;
bool sessionEnded = false;
int16_t protocolSearchDepth = 10;

namespace {

constexpr int16_t kMaxCoordinate = 19;
constexpr int16_t kMaxPlayerNumber = 2;
constexpr long long kSupportedBoardSize = 20;
constexpr char kParameterError[] = "ERROR wrong or missing command parameter";

FILE* Input() { return pipeInput != nullptr ? pipeInput : stdin; }
FILE* Output() { return pipeOutput != nullptr ? pipeOutput : stdout; }

// One number as "%hi" reads it: leading white space, a sign, and the base
// from the prefix (0x hexadecimal, 0 octal). A number outside int16 is
// refused rather than wrapped onto some square.
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

// Numbers joined by commas; the comma must follow the number directly, and
// text after the last number is ignored.
bool ReadShorts(const char* text, int16_t* values, int n) {
  for (int i = 0; i < n; ++i) {
    if (i > 0 && *text++ != ',') return false;
    if (!ReadShort(text, values[i])) return false;
  }
  return true;
}

// A decimal number as atoi reads it, saturated to the int32 range.
int32_t ReadInt32(const char* text) {
  const long long v = std::strtoll(text, nullptr, 10);
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// Searches the current position and answers the best move; on a full board
// there is no move to give.
void AnswerMove(bool putOwnStone) {
  if (Tessel_BoardFull()) {
    SendResponse("ERROR board is full");
    return;
  }
  Tessel_Search(protocolSearchDepth, 0, 1);
  int16_t x = 0, y = 0, player = 0, value = 0, vct = 0;
  Tessel_GetBestLine(0, &x, &y, &player, &value, &vct);
  char reply[32];
  std::snprintf(reply, sizeof reply, "%d,%d", x, y);
  SendResponse(reply);
  if (putOwnStone) Tessel_PutSymbol(x, y);
}

void CommandStart() {
  Tessel_Initialize();
  SendResponse("OK");
  started = 1;
}

void CommandTurn(int16_t x, int16_t y) {
  Tessel_PutSymbol(x, y);
  AnswerMove(true);
}

void CommandPut(int16_t x, int16_t y) { Tessel_PutSymbol(x, y); }

void CommandBest() { AnswerMove(false); }

void CommandBegin() { AnswerMove(true); }

void CommandEnd() { sessionEnded = true; }

void HandleInfo(const char* arg) {
  struct InfoKey {
    const char* name;
    int32_t* setting;  // null: accepted and ignored
  };
  const InfoKey keys[] = {
      {"max_memory", nullptr}, {"timeout_match", &matchTimeout}, {"timeout_turn", &searchTimeout},
      {"time_left", &matchTimeout}, {"game_type", nullptr}, {"rule", nullptr},
      {"evaluate", nullptr},
  };
  for (const InfoKey& key : keys) {
    const char* value = ParseCommandParameter(key.name, arg);
    if (value == nullptr) continue;
    if (key.setting != nullptr) *key.setting = ReadInt32(value);
    // Managers send timeout_match 0 for a match without limit.
    if (key.setting != nullptr && std::strcmp(key.name, "timeout_match") == 0 && matchTimeout == 0) {
      matchTimeout = std::numeric_limits<int32_t>::max();
    }
    return;
  }
  SendResponse("ERROR INFO wrong parameter");
}

void HandleStart(const char* arg) {
  char* end = nullptr;
  const long long size = std::strtoll(arg, &end, 10);
  // Only a size that reads as a number other than 20 is refused.
  if (end != arg && size != kSupportedBoardSize) {
    SendResponse("ERROR unsupported board size, only 20 is supported");
    return;
  }
  CommandStart();
}

void HandleTurn(const char* arg) {
  int16_t x = 0, y = 0;
  if (!ParseXY(arg, &x, &y)) return SendResponse(kParameterError);
  CommandTurn(x, y);
}

void HandlePut(const char* arg) {
  int16_t x = 0, y = 0, z = 0;
  if (!ParseXYZ(arg, &x, &y, &z)) return SendResponse(kParameterError);
  CommandPut(x, y);
}

void HandleBest(const char* arg) {
  const int32_t n = ReadInt32(arg);
  if (n != 1 && n != 2) return SendResponse(kParameterError);
  CommandBest();
}

void HandlePlay(const char* arg) {
  int16_t x = 0, y = 0;
  if (!ParseXY(arg, &x, &y)) return SendResponse(kParameterError);
  Tessel_PutSymbol(x, y);
}

void HandleBegin(const char*) { CommandBegin(); }

void HandleAbout(const char*) { SendResponse(infotext); }

// A new game from the position lines that follow, closed by DONE. Stones
// alternate in colour whatever the lines say; a line that is neither a
// position nor DONE ends the block and keeps the stones put so far.
void HandleBoard(const char*) {
  if (started == 0) {
    Tessel_Initialize();
    SendResponse("OK");
    started = 1;
  }
  Tessel_Initialize();
  while (GetLine()) {
    int16_t x = 0, y = 0, z = 0;
    if (ParseXYZ(cmd, &x, &y, &z)) {
      Tessel_PutSymbol(x, y);
      continue;
    }
    if (ParseCommandParameter("DONE", cmd) != nullptr) {
      AnswerMove(false);
    } else {
      SendResponse(kParameterError);
    }
    return;
  }
}

void HandleEnd(const char*) { CommandEnd(); }

struct Command {
  const char* name;
  void (*handler)(const char* argument);
  bool needsStart;
};

// Tried in this order; the first name that matches takes the line.
constexpr Command kCommands[] = {
    {"INFO", HandleInfo, false},   {"START", HandleStart, false}, {"TURN", HandleTurn, true},
    {"PUT", HandlePut, true},      {"BEST", HandleBest, true},    {"PLAY", HandlePlay, true},
    {"BEGIN", HandleBegin, true},  {"ABOUT", HandleAbout, false}, {"BOARD", HandleBoard, false},
    {"END", HandleEnd, false},
};

}  // namespace

int RunSession(void (*afterCommand)()) {
  started = 0;
  sessionEnded = false;
  Tessel_Initialize();
  if (afterCommand != nullptr) afterCommand();
  while (!sessionEnded && GetLine()) {
    ParseStdin(cmd);
    if (afterCommand != nullptr) afterCommand();
  }
  return 0;
}

bool GetLine() {
  FILE* in = Input();
  int stored = 0;
  for (;;) {
    const int c = std::getc(in);
    if (c == EOF) {
      // A last line without a newline is not processed.
      sessionEnded = true;
      return false;
    }
    if (stored < kCommandBufferSize) cmd[stored++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  // The last stored byte is the newline, or the 256th character of a longer
  // line; either way it becomes the terminator.
  const int last = stored - 1;
  cmd[last] = '\0';
  if (last > 0 && cmd[last - 1] == '\r') cmd[last - 1] = '\0';
  return true;
}

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

void ParseStdin(const char* line) {
  for (const Command& command : kCommands) {
    const char* argument = ParseCommandParameter(command.name, line);
    if (argument == nullptr) continue;
    if (command.needsStart && started == 0) {
      SendResponse("ERROR:START command must be issued first");
      return;
    }
    command.handler(argument);
    return;
  }
  SendResponse("ERROR unknown command");
}

void SendResponse(const char* text) {
  FILE* out = Output();
  std::fputs(text, out);
  std::fputc('\n', out);
  std::fflush(nullptr);
}

void ShowRunningResults() {}

void SendMessage() {
  int16_t x = 0, y = 0, player = 0, value = 0, vct = 0;
  Tessel_GetBestLine(0, &x, &y, &player, &value, &vct);
  const double movesPerMs = elapsedTime > 0 ? nbExaminedMoves / static_cast<double>(elapsedTime) : 0;
  char line[160];
  std::snprintf(line, sizeof line, "MESSAGE [%d,%d]: value=%d, depth=%d, time=%.1fs, nodes=%.0fkN (%.0fkN/s)",
                x, y, value, depthReached, elapsedTime / 1000.0, nbExaminedMoves / 1000.0, movesPerMs);
  SendResponse(line);
}

bool ParseXY(const char* text, int16_t* x, int16_t* y) {
  int16_t v[2];
  if (!ReadShorts(text, v, 2) || v[0] > kMaxCoordinate || v[1] > kMaxCoordinate) return false;
  *x = v[0];
  *y = v[1];
  return true;
}

bool ParseXYZ(const char* text, int16_t* x, int16_t* y, int16_t* z) {
  int16_t v[3];
  if (!ReadShorts(text, v, 3) || v[0] > kMaxCoordinate || v[1] > kMaxCoordinate ||
      v[2] > kMaxPlayerNumber) {
    return false;
  }
  *x = v[0];
  *y = v[1];
  *z = v[2];
  return true;
}
