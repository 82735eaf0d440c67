#include "protocol/pipe.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <strings.h>

#include "engine/tessel.h"
#include "evaluation/board.h"
#include "search/search.h"

char cmd[kCommandBufferSize];
uint8_t started = 0;
const char* infotext =
    "name=\"Tessel\", version=\"0.1\", author=\"Tessel developers\", country=\"Internet\", "
    "www=\"https://tessel.invalid\", email=\"engine@tessel.invalid\"";
FILE* pipeOutput = nullptr;
bool sessionEnded = false;
int16_t protocolSearchDepth = 10;

namespace {

constexpr int16_t kMaxPlayerNumber = 2;
// Third numbers of a position line: the engine's stone, its opponent's, and a
// square owned by nobody (a stone of a line completed earlier in a continuous
// game), which blocks lines for both.
constexpr int16_t kOwnStone = 1;
constexpr int16_t kOpponentStone = 2;
constexpr int16_t kNobodysStone = 3;
// Rule bits: exact five, and the games played as freestyle, renju and caro.
constexpr int32_t kExactFiveBit = 1;
constexpr int32_t kOtherRuleBits = 4 | 8;
constexpr char kParameterError[] = "ERROR wrong or missing command parameter";
constexpr char kOccupied[] = "ERROR square is occupied";
constexpr char kNoStone[] = "ERROR square is empty";
constexpr char kBadBoardSize[] = "ERROR unsupported board size, sizes 5 to 20 are supported";
constexpr char kOtherRule[] =
    "MESSAGE unsupported rule, Tessel plays freestyle: five or more in a row wins";

// INFO max_depth: a cap on the depth of every search; 0 for none.
int32_t maxDepthSetting = 0;
// INFO show_detail: analysis lines for board programs.
bool showDetail = false;
// INFO rule, and whether the next move answer must say that the game will be
// freestyle after all: once for each change of the setting.
int32_t ruleSetting = 0;
bool ruleWarningDue = false;

// The state of a protocol search: lines that arrive meanwhile are looked at
// once each, and the deepest iteration reported so far.
bool thinking = false;
bool endRequested = false;
size_t nbLinesSeen = 0;
int16_t reportedDepth = -1;

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

// Entry 0 of the best line.
void BestSquare(int16_t& x, int16_t& y) {
  int16_t player = 0, value = 0, vct = 0;
  Tessel_GetBestLine(0, &x, &y, &player, &value, &vct);
}

void SendSquare(const char* prefix, int16_t x, int16_t y) {
  char line[64];
  std::snprintf(line, sizeof line, "%s%d,%d", prefix, x, y);
  SendResponse(line);
}

// Searches the current position and answers the best move, after the notes
// that the manager is due; on a full board there is no move to give.
void AnswerMove(bool putOwnStone) {
  if (Tessel_BoardFull()) {
    SendResponse("ERROR board is full");
    return;
  }
  thinking = true;
  nbLinesSeen = 0;
  reportedDepth = -1;
  Tessel_Search(SearchDepth(), 0, 1);
  thinking = false;
  // END arrived during the search: nothing more is written.
  if (endRequested) return;
  if (ruleWarningDue) SendResponse(kOtherRule);
  ruleWarningDue = false;
  if (showDetail) SendMessage();
  int16_t x = 0, y = 0;
  BestSquare(x, y);
  SendSquare("", x, y);
  if (putOwnStone) Tessel_PutSymbol(x, y);
}

// A stone the manager reports must go on an empty square of the board;
// otherwise the error line is the answer and nothing happens. The upper
// bounds are checked while parsing.
bool IsFreeSquare(int16_t x, int16_t y) {
  if (Tessel_GetSymbol(x, y) == kEmpty) return true;
  SendResponse(x < 0 || y < 0 ? kParameterError : kOccupied);
  return false;
}

// x,y and, for n = 3, a third number of at most maxThird, with x and y below
// the board's width and height (negative values are left to the caller).
bool ParseSquare(const char* text, int16_t* v, int n, int16_t maxThird) {
  return ReadShorts(text, v, n) && v[0] < boardWidth && v[1] < boardHeight &&
         (n < 3 || v[2] <= maxThird);
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

struct InfoKey {
  const char* name;
  void (*apply)(const char* value);
  bool duringSearch;  // applies at once when it arrives during a search
};

// The keys that change something; every other key is accepted and ignored, as
// managers and board programs send many of their own (folder, thread_num...).
// No INFO line is ever answered, since a manager would take any line for the
// move it waits for.
constexpr InfoKey kInfoKeys[] = {
    // Managers send timeout_match 0 for a match without limit.
    {"timeout_match",
     [](const char* v) {
       matchTimeout = ReadInt32(v);
       if (matchTimeout == 0) matchTimeout = std::numeric_limits<int32_t>::max();
     },
     true},
    {"timeout_turn", [](const char* v) { searchTimeout = ReadInt32(v); }, true},
    {"time_left", [](const char* v) { matchTimeout = ReadInt32(v); }, true},
    // Bit 1 is exact five. Renju and caro are played as freestyle: the manager
    // learns so with the next move, once for each change of the setting.
    {"rule",
     [](const char* v) {
       const int32_t rule = ReadInt32(v);
       const bool otherGame = (rule & kOtherRuleBits) != 0;
       Tessel_SetRule(otherGame || !(rule & kExactFiveBit) ? Rule::kFreestyle : Rule::kExactFive);
       if (rule != ruleSetting) ruleWarningDue = otherGame;
       ruleSetting = rule;
     },
     false},
    // Caps that make searches reproducible and cheap; 0 lifts them.
    {"max_depth", [](const char* v) { maxDepthSetting = std::max(ReadInt32(v), 0); }, false},
    {"max_node", [](const char* v) { maxNodes = std::max(ReadInt32(v), 0); }, false},
    {"show_detail", [](const char* v) { showDetail = ReadInt32(v) != 0; }, false},
};

// The key that the text after INFO names, and its value; null for a key that
// changes nothing.
const InfoKey* FindInfoKey(const char* arg, const char** value) {
  for (const InfoKey& key : kInfoKeys) {
    *value = ParseCommandParameter(key.name, arg);
    if (*value != nullptr) return &key;
  }
  return nullptr;
}

void HandleInfo(const char* arg) {
  if (*arg == '\0') return SendResponse("ERROR INFO wrong parameter");
  const char* value = nullptr;
  if (const InfoKey* key = FindInfoKey(arg, &value)) key->apply(value);
}

// A line that arrived during a search and acts at once: a stop, a time
// setting or END. Every other line waits until the answer has been written.
bool ActsDuringSearch(const char* line) {
  if (ParseCommandParameter("YXSTOP", line) != nullptr) {
    stopSearch = 1;
    return true;
  }
  if (ParseCommandParameter("END", line) != nullptr) {
    endRequested = true;
    sessionEnded = true;
    stopSearch = 1;
    return true;
  }
  const char* arg = ParseCommandParameter("INFO", line);
  const char* value = nullptr;
  const InfoKey* key = arg != nullptr ? FindInfoKey(arg, &value) : nullptr;
  if (key == nullptr || !key->duringSearch) return false;
  key->apply(value);
  return true;
}

// Looks at the lines that arrived since the last look, in order; those that
// act at once leave the queue. After END nothing else matters.
void TakeInInput() {
  ReadWaitingInput();
  std::deque<std::string>& lines = WaitingLines();
  for (size_t i = nbLinesSeen; i < lines.size() && !endRequested;) {
    if (ActsDuringSearch(lines[i].c_str())) {
      lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
  nbLinesSeen = lines.size();
}

void HandleStart(const char* arg) {
  char* end = nullptr;
  const long long width = std::strtoll(arg, &end, 10);
  // Text that is not a number is ignored: the full board.
  if (end == arg) return CommandStart(kBoardSide, kBoardSide);
  // Board programs send "START width height" for a board that is not square.
  char* heightEnd = nullptr;
  const long long height = std::strtoll(end, &heightEnd, 10);
  CommandStart(width, heightEnd == end ? width : height);
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

// The best move for the side to move, however many the board program asks
// for; nothing is put.
void HandleNBest(const char*) { CommandBest(); }

void HandlePlay(const char* arg) {
  int16_t x = 0, y = 0;
  if (!ParseXY(arg, &x, &y)) return SendResponse(kParameterError);
  if (IsFreeSquare(x, y)) Tessel_PutSymbol(x, y);
}

void HandleTakeBack(const char* arg) {
  int16_t x = 0, y = 0;
  if (!ParseXY(arg, &x, &y) || x < 0 || y < 0) return SendResponse(kParameterError);
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

  // Squares owned by nobody are blocked first. The other third numbers name
  // the owners, 1 the engine and 2 its opponent, and the engine moves next.
  // When a game can reach such a position (as many stones of each, or one
  // more of the opponent's) the stones take the colours they name, put
  // alternately in their listed order; otherwise they alternate in colour in
  // the order listed.
  void Put() const {
    int16_t owned[4] = {};  // [0]: numbers other than 1, 2 and 3
    for (int16_t k = 0; k < count_; ++k) {
      const int16_t owner = lines_[k].owner;
      ++owned[owner >= kOwnStone && owner <= kNobodysStone ? owner : 0];
      if (owner == kNobodysStone) Tessel_BlockSquare(lines_[k].x, lines_[k].y);
    }
    const int16_t own = owned[kOwnStone], opponent = owned[kOpponentStone];
    if (owned[0] != 0 || (opponent != own && opponent != own + 1)) {
      for (int16_t k = 0; k < count_; ++k) {
        if (lines_[k].owner != kNobodysStone) Tessel_PutSymbol(lines_[k].x, lines_[k].y);
      }
      return;
    }
    int16_t next[3] = {0, 0, 0};  // per owner, the next of its lines to put
    int16_t mover = own == opponent ? kOwnStone : kOpponentStone;
    for (int16_t k = 0; k < own + opponent; ++k, mover = static_cast<int16_t>(3 - mover)) {
      while (lines_[next[mover]].owner != mover) ++next[mover];
      const Line& line = lines_[next[mover]++];
      Tessel_PutSymbol(line.x, line.y);
    }
  }

 private:
  struct Line {
    int16_t x, y, owner;
  };
  Line lines_[kPlayableSquares];
  int16_t count_ = 0;
  bool listed_[kBoardSide][kBoardSide] = {};
};

// A new game from the position lines that follow, closed by DONE: true once
// DONE is read. A line that is neither a position nor DONE ends the block
// with the parameter error and keeps the stones listed before it.
bool ReadPosition() {
  Tessel_Initialize();
  PositionLines lines;
  while (GetLine()) {
    int16_t v[3];
    if (ParseSquare(cmd, v, 3, kNobodysStone)) {
      lines.Add(v[0], v[1], v[2]);
      continue;
    }
    lines.Put();
    if (ParseCommandParameter("DONE", cmd) != nullptr) return true;
    SendResponse(kParameterError);
    return false;
  }
  return false;
}

// BOARD: the position, which the engine answers and plays.
void HandleBoard(const char*) {
  if (started == 0) {
    Tessel_Initialize();
    SendResponse("OK");
    started = 1;
  }
  if (ReadPosition()) AnswerMove(true);
}

// Board programs load a position with YXBOARD, unanswered, to search it with
// YXNBEST or to play on from it with TURN.
void HandleYxBoard(const char*) {
  started = 1;
  ReadPosition();
}

// The database and block commands of board programs carry a list of moves
// closed by DONE, none of them a command. A line that is neither a move nor
// DONE ends the list early and is performed as a command, so that a list
// without its DONE cannot swallow the game.
void SkipMoveList(const char*) {
  while (GetLine()) {
    if (ParseCommandParameter("DONE", cmd) != nullptr) return;
    int16_t v[2];
    if (cmd[0] != '\0' && !ReadShorts(cmd, v, 2)) return ParseStdin(cmd);
  }
}

// Neither rule played forbids a square (renju would).
void HandleShowForbid(const char*) { SendResponse("FORBID ."); }

// Board programs' commands that need nothing from the engine; YXSTOP outside
// a search is one of them.
void Accept(const char*) {}

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
    // Board programs' own commands.
    {"YXBOARD", HandleYxBoard, false},    {"YXNBEST", HandleNBest, true},
    {"YXSHOWFORBID", HandleShowForbid, false},
    {"YXSTOP", Accept, false},            {"YXSHOWINFO", Accept, false},
    {"YXHASHCLEAR", Accept, false},
    {"YXQUERYDATABASEALL", SkipMoveList, false},  {"YXQUERYDATABASEALLT", SkipMoveList, false},
    {"YXQUERYDATABASEONE", SkipMoveList, false},  {"YXQUERYDATABASETEXT", SkipMoveList, false},
    {"YXDELETEDATABASEONE", SkipMoveList, false}, {"YXDELETEDATABASEALL", SkipMoveList, false},
    {"YXSETBESTMOVEDATABASE", SkipMoveList, false}, {"YXBLOCK", SkipMoveList, false},
    {"YXBLOCKUNDO", SkipMoveList, false},         {"YXBLOCKPATH", SkipMoveList, false},
    {"YXBLOCKPATHUNDO", SkipMoveList, false},
};

}  // namespace

int RunSession(void (*afterCommand)()) {
  started = 0;
  sessionEnded = false;
  endRequested = false;
  ResetLineInput();
  Tessel_Initialize();
  if (afterCommand != nullptr) afterCommand();
  while (!sessionEnded && GetLine()) {
    ParseStdin(cmd);
    if (afterCommand != nullptr) afterCommand();
  }
  return 0;
}

bool GetLine() {
  static_assert(kMaxLineLength < kCommandBufferSize);
  std::string line;
  if (!ReadLine(line)) {
    sessionEnded = true;
    return false;
  }
  // A NUL byte in the line ends the command text.
  std::memcpy(cmd, line.data(), line.size());
  cmd[line.size()] = '\0';
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

void ShowRunningResults() {
  if (!thinking) return;
  TakeInInput();
  if (!showDetail || endRequested || depthReached <= reportedDepth) return;
  reportedDepth = depthReached;
  int16_t x = 0, y = 0;
  BestSquare(x, y);
  SendSquare("MESSAGE REALTIME BEST ", x, y);
}

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
