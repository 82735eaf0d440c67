#include "protocol/pipe.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <strings.h>

#include "engine/tessel.h"
#include "evaluation/board.h"
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

constexpr int16_t kMaxPlayerNumber = 2;
constexpr int16_t kOwnStone = 1;  // third number of a position line
constexpr int16_t kOpponentStone = 2;
// Rule bits of games other than freestyle: exactly five, renju, caro.
constexpr int32_t kOtherRuleBits = 1 | 4 | 8;
constexpr char kParameterError[] = "ERROR wrong or missing command parameter";
constexpr char kOccupied[] = "ERROR square is occupied";
constexpr char kNoStone[] = "ERROR square is empty";
constexpr char kBadBoardSize[] = "ERROR unsupported board size, sizes 5 to 20 are supported";
constexpr char kOtherRule[] =
    "ERROR unsupported rule, only freestyle is played: five or more in a row wins";

// INFO max_depth: a cap on the depth of every search; 0 for none.
int32_t maxDepthSetting = 0;

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

int16_t SearchDepth() {
  if (maxDepthSetting <= 0 || maxDepthSetting >= protocolSearchDepth) return protocolSearchDepth;
  return static_cast<int16_t>(maxDepthSetting);
}

// Searches the current position and answers the best move; on a full board
// there is no move to give.
void AnswerMove(bool putOwnStone) {
  if (Tessel_BoardFull()) {
    SendResponse("ERROR board is full");
    return;
  }
  Tessel_Search(SearchDepth(), 0, 1);
  int16_t x = 0, y = 0, player = 0, value = 0, vct = 0;
  Tessel_GetBestLine(0, &x, &y, &player, &value, &vct);
  char reply[32];
  std::snprintf(reply, sizeof reply, "%d,%d", x, y);
  SendResponse(reply);
  if (putOwnStone) Tessel_PutSymbol(x, y);
}

// A stone the manager reports must go on an empty square of the board;
// otherwise the error line is the answer and nothing happens.
bool IsFreeSquare(int16_t x, int16_t y) {
  const int16_t symbol = Tessel_GetSymbol(x, y);
  if (symbol == kBorder) SendResponse(kParameterError);
  if (symbol == kPlayer1 || symbol == kPlayer2) SendResponse(kOccupied);
  return symbol == kEmpty;
}

// A new game on a board of width x height, each 5..20.
void CommandStart(long long width, long long height) {
  const auto side = [](long long n) { return static_cast<int16_t>(std::clamp(n, 0LL, 99LL)); };
  if (!Tessel_SetBoardSize(side(width), side(height))) return SendResponse(kBadBoardSize);
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
    void (*apply)(const char* value);
  };
  static constexpr InfoKey kKeys[] = {
      {"max_memory", [](const char*) {}},
      // Managers send timeout_match 0 for a match without limit.
      {"timeout_match",
       [](const char* v) {
         matchTimeout = ReadInt32(v);
         if (matchTimeout == 0) matchTimeout = std::numeric_limits<int32_t>::max();
       }},
      {"timeout_turn", [](const char* v) { searchTimeout = ReadInt32(v); }},
      {"time_left", [](const char* v) { matchTimeout = ReadInt32(v); }},
      {"game_type", [](const char*) {}},
      // Bit 1 selects exact five, at once also for the game in play; without
      // it the game is freestyle. Renju and caro are not played: their bits
      // keep freestyle, and the manager learns so.
      {"rule",
       [](const char* v) {
         constexpr int32_t kExactFiveBit = 1;
         const int32_t rule = ReadInt32(v);
         const bool otherGame = (rule & kOtherRuleBits & ~kExactFiveBit) != 0;
         Tessel_SetExactFive(!otherGame && (rule & kExactFiveBit) != 0);
         if (otherGame) SendResponse(kOtherRule);
       }},
      {"evaluate", [](const char*) {}},
      // Caps that make searches reproducible and cheap; 0 lifts them.
      {"max_depth", [](const char* v) { maxDepthSetting = std::max(ReadInt32(v), 0); }},
      {"max_node", [](const char* v) { maxNodes = std::max(ReadInt32(v), 0); }},
  };
  for (const InfoKey& key : kKeys) {
    const char* value = ParseCommandParameter(key.name, arg);
    if (value == nullptr) continue;
    key.apply(value);
    return;
  }
  SendResponse("ERROR INFO wrong parameter");
}

void HandleStart(const char* arg) {
  char* end = nullptr;
  const long long size = std::strtoll(arg, &end, 10);
  // Text that is not a number is ignored: the full board.
  CommandStart(end == arg ? kBoardSide : size, end == arg ? kBoardSide : size);
}

void HandleRectStart(const char* arg) {
  int16_t size[2];
  if (!ReadShorts(arg, size, 2)) return SendResponse(kBadBoardSize);
  CommandStart(size[0], size[1]);
}

void HandleRestart(const char*) {
  Tessel_Initialize();
  SendResponse("OK");
}

void HandleTurn(const char* arg) {
  int16_t x = 0, y = 0;
  if (!ParseXY(arg, &x, &y)) return SendResponse(kParameterError);
  if (IsFreeSquare(x, y)) CommandTurn(x, y);
}

void HandlePut(const char* arg) {
  int16_t x = 0, y = 0, z = 0;
  if (!ParseXYZ(arg, &x, &y, &z)) return SendResponse(kParameterError);
  if (IsFreeSquare(x, y)) CommandPut(x, y);
}

void HandleBest(const char* arg) {
  const int32_t n = ReadInt32(arg);
  if (n != 1 && n != 2) return SendResponse(kParameterError);
  CommandBest();
}

void HandlePlay(const char* arg) {
  int16_t x = 0, y = 0;
  if (!ParseXY(arg, &x, &y)) return SendResponse(kParameterError);
  if (IsFreeSquare(x, y)) Tessel_PutSymbol(x, y);
}

void HandleTakeBack(const char* arg) {
  int16_t x = 0, y = 0;
  if (!ParseXY(arg, &x, &y) || Tessel_GetSymbol(x, y) == kBorder) {
    return SendResponse(kParameterError);
  }
  SendResponse(Tessel_TakeBack(x, y) ? "OK" : kNoStone);
}

void HandleBegin(const char*) { CommandBegin(); }

void HandleAbout(const char*) { SendResponse(infotext); }

// The stones of a BOARD block, in the order listed; a line on a square off
// the board or already listed is skipped.
class PositionLines {
 public:
  void Add(int16_t x, int16_t y, int16_t owner) {
    if (Tessel_GetSymbol(x, y) == kBorder || listed_[y][x]) return;
    listed_[y][x] = true;
    lines_[count_++] = {x, y, owner};
  }

  // The third numbers name the owners, 1 the engine and 2 its opponent, and
  // the engine moves next. When a game can reach such a position (as many
  // stones of each, or one more of the opponent's) the stones take the
  // colours they name, put alternately in their listed order; otherwise they
  // alternate in colour in the order listed.
  void Put() const {
    int16_t owned[3] = {};  // [0]: numbers other than 1 and 2
    for (int16_t k = 0; k < count_; ++k) ++owned[IsOwner(lines_[k].owner) ? lines_[k].owner : 0];
    const int16_t own = owned[kOwnStone], opponent = owned[kOpponentStone];
    if (owned[0] != 0 || (opponent != own && opponent != own + 1)) {
      for (int16_t k = 0; k < count_; ++k) Tessel_PutSymbol(lines_[k].x, lines_[k].y);
      return;
    }
    int16_t next[3] = {0, 0, 0};  // per owner, the next of its lines to put
    int16_t mover = own == opponent ? kOwnStone : kOpponentStone;
    for (int16_t k = 0; k < count_; ++k, mover = static_cast<int16_t>(3 - mover)) {
      while (lines_[next[mover]].owner != mover) ++next[mover];
      const Line& line = lines_[next[mover]++];
      Tessel_PutSymbol(line.x, line.y);
    }
  }

 private:
  struct Line {
    int16_t x, y, owner;
  };
  static bool IsOwner(int16_t n) { return n == kOwnStone || n == kOpponentStone; }

  Line lines_[kPlayableSquares];
  int16_t count_ = 0;
  bool listed_[kBoardSide][kBoardSide] = {};
};

// A new game from the position lines that follow, closed by DONE, which the
// engine answers and plays. A line that is neither a position nor DONE ends
// the block and keeps the stones listed before it.
void HandleBoard(const char*) {
  if (started == 0) {
    Tessel_Initialize();
    SendResponse("OK");
    started = 1;
  }
  Tessel_Initialize();
  PositionLines lines;
  while (GetLine()) {
    int16_t x = 0, y = 0, z = 0;
    if (ParseXYZ(cmd, &x, &y, &z)) {
      lines.Add(x, y, z);
      continue;
    }
    lines.Put();
    if (ParseCommandParameter("DONE", cmd) != nullptr) {
      AnswerMove(true);
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
    {"INFO", HandleInfo, false},          {"START", HandleStart, false},
    {"TURN", HandleTurn, true},           {"PUT", HandlePut, true},
    {"BEST", HandleBest, true},           {"PLAY", HandlePlay, true},
    {"BEGIN", HandleBegin, true},         {"ABOUT", HandleAbout, false},
    {"BOARD", HandleBoard, false},        {"END", HandleEnd, false},
    {"RESTART", HandleRestart, true},     {"TAKEBACK", HandleTakeBack, true},
    {"RECTSTART", HandleRectStart, false},
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
  if (!ReadShorts(text, v, 2) || v[0] >= boardWidth || v[1] >= boardHeight) return false;
  *x = v[0];
  *y = v[1];
  return true;
}

bool ParseXYZ(const char* text, int16_t* x, int16_t* y, int16_t* z) {
  int16_t v[3];
  if (!ReadShorts(text, v, 3) || v[0] >= boardWidth || v[1] >= boardHeight ||
      v[2] > kMaxPlayerNumber) {
    return false;
  }
  *x = v[0];
  *y = v[1];
  *z = v[2];
  return true;
}
