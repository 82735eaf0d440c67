// The managers' protocol: the session, the command table, the game commands
// and INFO settings.
#include "protocol/pipe.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <strings.h>

#include "engine/tessel.h"
#include "protocol/analysis.h"
#include "protocol/boardprograms.h"
#include "protocol/candidates.h"
#include "protocol/lineinput.h"
#include "protocol/openingcommands.h"
#include "protocol/output.h"
#include "protocol/parse.h"
#include "protocol/position.h"
#include "protocol/ruleinfo.h"
#include "protocol/searchrunner.h"

const char* infotext =
    "name=\"Tessel\", version=\"0.1\", author=\"Tessel developers\", country=\"Internet\", "
    "www=\"https://tessel.invalid\", email=\"engine@tessel.invalid\"";

namespace {

// A board side past any supported one: START's size as a number that the
// size check refuses, whatever the manager wrote.
constexpr long long kUnsupportedSide = kBoardSide + 1;
constexpr char kOccupied[] = "ERROR square is occupied";
constexpr char kNoStone[] = "ERROR square is empty";
constexpr char kBadBoardSize[] = "ERROR unsupported board size, sizes 5 to 20 are supported";
constexpr char kOnlyForbidden[] =
    "MESSAGE every free square is forbidden for black: Tessel plays a forbidden move";
constexpr char kOnlyBarred[] =
    "MESSAGE every free square is blocked: Tessel plays a blocked square";

// A stone the manager reports must go on an empty square of the board;
// otherwise the error line is the answer and nothing happens. The upper
// bounds are checked while parsing.
bool IsFreeSquare(int16_t x, int16_t y) {
  if (Tessel_GetSymbol(x, y) == kEmpty) return true;
  SendResponse(x < 0 || y < 0 ? kParameterError : kOccupied);
  return false;
}

// Searches the position in play and answers the best move, after the notes
// that are due; puts it on the board when asked to. On a full board there is
// no move to give.
void AnswerMove(bool putOwnStone) {
  if (Tessel_BoardFull()) return SendResponse("ERROR board is full");
  if (!RunProtocolSearch([] { Tessel_Search(SearchDepth(), 0, 1); }, true)) return;
  if (ShowsAny()) SendMessage();
  const SearchReport result = Tessel_GetSearchReport();
  // Only when black has no other square left.
  if (Tessel_GetSideToMove() == kPlayer1 && Tessel_IsForbidden(result.x, result.y)) {
    SendResponse(kOnlyForbidden);
  }
  // Only when every free square is barred.
  if (Tessel_IsBarred(result.x, result.y)) SendResponse(kOnlyBarred);
  SendSquare("", result.x, result.y);
  if (putOwnStone) Tessel_PutSymbol(result.x, result.y);
}

// A new game on a board of width x height, each 5..20.
void CommandStart(long long width, long long height) {
  const auto side = [](long long n) {
    return static_cast<int16_t>(std::clamp(n, 0LL, kUnsupportedSide));
  };
  if (!Tessel_SetBoardSize(side(width), side(height))) return SendResponse(kBadBoardSize);
  SendResponse("OK");
  started = 1;
}

// The first YX command tells how the rule was numbered, so the rule is read
// again; never during a search, which a change of rule would upset.
void NoteCommand(const char* name) {
  if (SearchRunning() || strncasecmp(name, "YX", 2) != 0) return;
  NoteBoardProgram();
}

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
       const int32_t ms = ReadInt32(v);
       Tessel_SetMatchTime(ms == 0 ? std::numeric_limits<int32_t>::max() : ms);
     },
     true},
    {"timeout_turn", [](const char* v) { Tessel_SetTurnTime(ReadInt32(v)); }, true},
    {"time_left", [](const char* v) { Tessel_SetMatchTime(ReadInt32(v)); }, true},
    {"rule", [](const char* v) { ApplyRuleSetting(ReadInt32(v)); }, false},
    // Limits that make searches reproducible and cheap, or, for a board
    // program's analysis, deeper than usual; 0 restores the usual ones.
    {"max_depth", [](const char* v) { SetDepthSetting(ReadInt32(v)); }, false},
    {"max_node", [](const char* v) { Tessel_SetMaxNodes(std::max<int64_t>(ReadInt64(v), 0)); },
     false},
    {"show_detail", ApplyShowDetail, false},
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

// INFO acts during a search when its key does.
bool InfoActsDuringSearch(const char* arg) {
  const char* value = nullptr;
  const InfoKey* key = FindInfoKey(arg, &value);
  return key != nullptr && key->duringSearch;
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
  if (!IsFreeSquare(x, y)) return;
  Tessel_PutSymbol(x, y);
  AnswerMove(true);
}

void HandlePut(const char* arg) {
  int16_t x = 0, y = 0, z = 0;
  if (!ParseXYZ(arg, &x, &y, &z)) return SendResponse(kParameterError);
  if (IsFreeSquare(x, y)) Tessel_PutSymbol(x, y);
}

void HandleBest(const char* arg) {
  const int32_t n = ReadInt32(arg);
  if (n != 1 && n != 2) return SendResponse(kParameterError);
  AnswerMove(false);
}

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

void HandleBegin(const char*) { AnswerMove(true); }

void HandleAbout(const char*) { SendResponse(infotext); }

// BOARD: the position, which the engine answers and plays.
void HandleBoard(const char*) {
  if (started == 0) {
    Tessel_Initialize();
    SendResponse("OK");
    started = 1;
  }
  if (ReadPosition()) AnswerMove(true);
}

// END also ends a search at once; nothing more is written.
void HandleEnd(const char*) {
  sessionEnded = true;
  Tessel_EndSearches();
}

// What a line does when it arrives while a search runs.
enum class DuringSearch : uint8_t {
  kWaits,       // performed after the answer, in the order of arrival
  kActs,        // performed at once
  kKeyDecides,  // INFO: performed at once when its key applies during a search
  kStops,       // a new position: the search answers at once, as for YXSTOP,
                // and the line is performed after the answer
};

struct Command {
  const char* name;
  void (*handler)(const char* argument);
  bool needsStart;
  DuringSearch duringSearch;
};

using enum DuringSearch;

// Every command, the managers' first and then the board programs' own. A
// command word matches whole, so the order does not matter.
constexpr Command kCommands[] = {
    // name                     handler              needs START  during a search
    {"INFO",                     HandleInfo,          false,       kKeyDecides},
    {"START",                    HandleStart,         false,       kStops},
    {"RECTSTART",                HandleRectStart,     false,       kStops},
    {"RESTART",                  HandleRestart,       true,        kStops},
    {"TURN",                     HandleTurn,          true,        kWaits},
    {"PUT",                      HandlePut,           true,        kWaits},
    {"PLAY",                     HandlePlay,          true,        kWaits},
    {"BEST",                     HandleBest,          true,        kWaits},
    {"BEGIN",                    HandleBegin,         true,        kWaits},
    {"BOARD",                    HandleBoard,         false,       kStops},
    // Gomocup's Swap2 opening: the stones so far up to DONE, answered with
    // stones or SWAP.
    {"SWAP2BOARD",               HandleSwap2Board,    false,       kWaits},
    {"TAKEBACK",                 HandleTakeBack,      true,        kWaits},
    {"ABOUT",                    HandleAbout,         false,       kWaits},
    {"END",                      HandleEnd,           false,       kActs},
    {"YXSTOP",                   HandleStop,          false,       kActs},
    {"YXBOARD",                  HandleYxBoard,       false,       kStops},
    {"YXNBEST",                  HandleNBest,         true,        kWaits},
    {"YXSEARCHDEFEND",           HandleSearchDefend,  true,        kWaits},
    {"YXBALANCEONE",             HandleBalanceOne,    true,        kWaits},
    {"YXBALANCETWO",             HandleBalanceTwo,    true,        kWaits},
    {"YXSHOWFORBID",             HandleShowForbid,    false,       kWaits},
    {"YXBLOCK",                  HandleBlock,         false,       kWaits},
    {"YXBLOCKUNDO",              HandleBlockUndo,     false,       kWaits},
    {"YXBLOCKRESET",             HandleBlockReset,    false,       kWaits},
    // Settings and database commands without anything to read after them.
    {"YXSHOWINFO",               Accept,              false,       kWaits},
    {"YXHASHCLEAR",              Accept,              false,       kWaits},
    {"YXSHOWHASHUSAGE",          Accept,              false,       kWaits},
    {"YXBLOCKPATHRESET",         Accept,              false,       kWaits},
    {"YXSAVEDATABASE",           Accept,              false,       kWaits},
    {"YXDBCHECK",                Accept,              false,       kWaits},
    {"YXDBFIX",                  Accept,              false,       kWaits},
    {"YXPRINTFEATURE",           Accept,              false,       kWaits},
    {"YXDRAW",                   Accept,              false,       kWaits},
    {"YXRESIGN",                 Accept,              false,       kWaits},
    {"YXFORBID",                 Accept,              false,       kWaits},
    // A file name on the next line.
    {"YXSETDATABASE",            SkipFileName,        false,       kWaits},
    {"YXHASHDUMP",               SkipFileName,        false,       kWaits},
    {"YXHASHLOAD",               SkipFileName,        false,       kWaits},
    {"YXDBTOPOS",                SkipFileName,        false,       kWaits},
    {"YXDBTOTXT",                SkipFileName,        false,       kWaits},
    {"YXDBTOTXTALL",             SkipFileName,        false,       kWaits},
    {"YXTXTTODB",                SkipFileName,        false,       kWaits},
    {"YXLIBTODB",                SkipFileName,        false,       kWaits},
    {"YXDBMERGE",                SkipFileName,        false,       kWaits},
    {"YXDBSPLIT",                SkipFileName,        false,       kWaits},
    // A list of moves closed by DONE.
    {"YXQUERYDATABASEALL",       SkipMoveList,        false,       kWaits},
    {"YXQUERYDATABASEALLT",      SkipMoveList,        false,       kWaits},
    {"YXQUERYDATABASEONE",       SkipMoveList,        false,       kWaits},
    {"YXQUERYDATABASETEXT",      SkipMoveList,        false,       kWaits},
    {"YXDELETEDATABASEONE",      SkipMoveList,        false,       kWaits},
    {"YXDELETEDATABASEALL",      SkipMoveList,        false,       kWaits},
    {"YXSETBESTMOVEDATABASE",    SkipMoveList,        false,       kWaits},
    {"YXCLEARBESTMOVEDATABASE",  SkipMoveList,        false,       kWaits},
    {"YXEDITLABELDATABASE",      SkipMoveList,        false,       kWaits},
    {"YXEDITTVDDATABASE",        SkipMoveList,        false,       kWaits},
    {"YXBLOCKPATH",              SkipMoveList,        false,       kWaits},
    {"YXBLOCKPATHUNDO",          SkipMoveList,        false,       kWaits},
    // A quoted text, then the list; DONE may follow the text on its line.
    {"YXEDITTEXTDATABASE",       SkipTextAndMoveList, false,       kWaits},
    // The opening rules' steps: Swap2's work on the position YXBOARD loaded,
    // Soosorv's (but the first) carry their stones up to DONE.
    {"YXSWAP2STEP1",             HandleYxSwap2Step1,  false,       kWaits},
    {"YXSWAP2STEP2",             HandleYxSwap2Step2,  false,       kWaits},
    {"YXSWAP2STEP3",             HandleYxSwap2Step3,  false,       kWaits},
    {"YXSOOSORVSTEP1",           HandleYxSoosorvStep1, false,      kWaits},
    {"YXSOOSORVSTEP2",           HandleYxSoosorvStep2, false,      kWaits},
    {"YXSOOSORVSTEP3",           HandleYxSoosorvStep3, false,      kWaits},
    {"YXSOOSORVSTEP4",           HandleYxSoosorvStep4, false,      kWaits},
    {"YXSOOSORVSTEP5",           HandleYxSoosorvStep5, false,      kWaits},
    {"YXSOOSORVSTEP6",           HandleYxSoosorvStep6, false,      kWaits},
};

// The command that a line names, and its argument; null for none.
const Command* FindCommand(const char* line, const char** argument) {
  for (const Command& command : kCommands) {
    *argument = ParseCommandParameter(command.name, line);
    if (*argument != nullptr) return &command;
  }
  return nullptr;
}

bool ActsDuringSearch(const std::string& line) {
  const char* argument = nullptr;
  const Command* command = FindCommand(line.c_str(), &argument);
  if (command == nullptr) return false;
  switch (command->duringSearch) {
    case kActs:
      return true;
    case kKeyDecides:
      return InfoActsDuringSearch(argument);
    case kStops:
      // The position searched is about to go: answer now, then take the line.
      Tessel_Stop();
      break;
    case kWaits:
      break;
  }
  return false;
}

// Lines that act during a search are performed as they arrive.
void TakeInputDuringSearch() {
  for (const std::string& line : TakeLinesThatAct(ActsDuringSearch)) ParseStdin(line.c_str());
}

}  // namespace

int RunSession(void (*afterCommand)()) {
  started = 0;
  sessionEnded = false;
  ResetLineInput();
  Tessel_Initialize();
  InstallSearchHook(TakeInputDuringSearch);
  if (afterCommand != nullptr) afterCommand();
  while (!sessionEnded && GetLine()) {
    ParseStdin(cmd);
    if (afterCommand != nullptr) afterCommand();
  }
  return 0;
}

void ParseStdin(const char* line) {
  const char* argument = nullptr;
  const Command* command = FindCommand(line, &argument);
  if (command == nullptr) return SendResponse("ERROR unknown command");
  NoteCommand(command->name);
  if (command->needsStart && started == 0) {
    return SendResponse("ERROR:START command must be issued first");
  }
  command->handler(argument);
}
