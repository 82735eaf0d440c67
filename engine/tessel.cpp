#include "engine/tessel.h"

#include <chrono>

#include "board/board.h"
#include "evaluation/evaluate.h"
#include "evaluation/forbidden.h"
#include "movegen/movegenerator.h"
#include "ordering/sort.h"
#include "search/alphabeta.h"
#include "search/hash.h"
#include "movegen/historytable.h"
#include "search/search.h"
#include "search/timecontrol.h"

static_assert(kMaxSearchDepth <= kMaxPly, "a search ply beyond the move stack");
static_assert(kWinValue == kWinScore);

namespace {

int16_t initialized = 0;
void (*frontEndHook)(const SearchReport&) = nullptr;

// The process's settings until the manager sends its own, in this one place:
// a second per move and fifteen for the match, the protocol's usual limits;
// no transposition table and no history ordering, so that a search depends on
// its position alone; no cap on the moves of a search.
constexpr int32_t kDefaultSearchTimeout = 1000;
constexpr int32_t kDefaultMatchTimeout = 15000;
constexpr int32_t kDefaultHashTableSize = 0;
constexpr int16_t kDefaultUseHistoryTable = 0;
constexpr int64_t kDefaultMaxNodes = 0;

// The game's stones in the order they were put, so that any of them can be
// taken back. Their colours are on the board.
int16_t gameRecord[kPlayableSquares];
int16_t nbGameStones = 0;

void ToBoardXY(int16_t squareIndex, int16_t* x, int16_t* y) {
  ConvertIndex_2_XY_Offset(squareIndex, *x, *y);
}

int16_t IndexOf(int16_t x, int16_t y) {
  int16_t index = 0;
  ConvertXY_Offset_2_Index(x, y, index);
  return index;
}

bool OnLargestBoard(int16_t x, int16_t y) {
  return x >= 0 && x < kBoardSide && y >= 0 && y < kBoardSide;
}

void PutGameStone(int16_t index) {
  PutSymbol(index);
  gameRecord[nbGameStones++] = index;
}

// Empty board of the size and blocked squares in play, player 1 to move.
void ResetPosition() {
  InitializeBoard();
  InitializeSort();
  InitializeSearch();
  InitializeHashTable();
  InitializeEvaluate();
  InitializeMoveGenerator();
  whoIsOnMove = kPlayer1;
  nbGameStones = 0;
}

// The position again from an empty board of the same size and blocked
// squares, with the recorded stones each in its colour and in its order,
// leaving out the one on `leftOut` (none when it is not a recorded square).
// The side to move stays.
void ReplayGame(int16_t leftOut) {
  struct Stone {
    int16_t squareIndex, owner;
  };
  Stone kept[kPlayableSquares];
  int16_t nbKept = 0;
  for (int16_t k = 0; k < nbGameStones; ++k) {
    if (gameRecord[k] != leftOut) kept[nbKept++] = {gameRecord[k], square[gameRecord[k]].symbol};
  }
  const int16_t toMove = whoIsOnMove;
  ResetPosition();
  for (int16_t k = 0; k < nbKept; ++k) {
    whoIsOnMove = kept[k].owner;
    PutGameStone(kept[k].squareIndex);
  }
  whoIsOnMove = toMove;
}

// The search's state; whether the best move makes a five is known at the
// root only, where the position is the one it was found in.
SearchReport Report(bool atRoot) {
  SearchReport report{};
  report.depth = depthReached;
  report.selDepth = plyReached;
  report.nodes = nbExaminedMoves;
  report.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now() - startTime)
                         .count();
  report.sampledMs = elapsedTime;
  const MoveRecord& best = resultMoveBuffer.bestLine[0];
  ToBoardXY(best.squareIndex, &report.x, &report.y);
  report.value = best.value;
  report.bestNodes = best.nbExaminedAfter - best.nbExaminedBefore;
  const bool found = resultMoveBuffer.bestLineLength != 0;
  report.makesFive = atRoot && found && MakesFive(whoIsOnMove, best.squareIndex);
  return report;
}

void CallFrontEnd(bool atRoot) { frontEndHook(Report(atRoot)); }

}  // namespace

void Tessel_Initialize() {
  // Defaults apply once per process, so later settings survive new games.
  if (initialized == 0) {
    initialized = 1;
    hashTableSize = kDefaultHashTableSize;
    useHistoryTable = kDefaultUseHistoryTable;
    searchTimeout = kDefaultSearchTimeout;
    matchTimeout = kDefaultMatchTimeout;
    maxNodes = kDefaultMaxNodes;
  }
  ClearBlockedSquares();
  ResumeSearches();
  ResetPosition();
}

void Tessel_PutSymbol(int16_t x, int16_t y) {
  // Any earlier search result is gone, also when the stone is refused.
  InitializeMoveGenerator();
  if (Tessel_GetSymbol(x, y) != kEmpty) return;
  PutGameStone(IndexOf(x, y));
  whoIsOnMove = static_cast<int16_t>(3 - whoIsOnMove);
}

void Tessel_PutStone(int16_t x, int16_t y, int16_t player) {
  if (player != kPlayer1 && player != kPlayer2) return;
  const int16_t toMove = whoIsOnMove;
  whoIsOnMove = player;
  Tessel_PutSymbol(x, y);
  whoIsOnMove = toMove;
}

int16_t Tessel_GetSideToMove() { return whoIsOnMove; }

void Tessel_SetSideToMove(int16_t player) {
  if (player != kPlayer1 && player != kPlayer2) return;
  InitializeMoveGenerator();
  whoIsOnMove = player;
}

void Tessel_Search(int16_t maxDepth, int16_t deepenSingleMove, int16_t iterative) {
  Search(maxDepth, deepenSingleMove, iterative);
}

void Tessel_SetTurnTime(int32_t ms) { searchTimeout = ms; }

void Tessel_SetMatchTime(int32_t ms) { matchTimeout = ms; }

void Tessel_SetMaxNodes(int64_t moves) { maxNodes = moves; }

void Tessel_Stop() { stopSearch = 1; }

void Tessel_EndSearches() { EndAllSearches(); }

SearchReport Tessel_GetSearchReport() { return Report(true); }

void Tessel_SetSearchHook(void (*hook)(const SearchReport&)) {
  frontEndHook = hook;
  searchHook = hook == nullptr ? nullptr : CallFrontEnd;
}

void Tessel_BeginCandidateCommand() { BeginSharedBudget(); }

CandidateResult Tessel_SearchCandidates(const CandidateRequest& request,
                                        const std::function<void(const CandidateDepth&)>& onDepth) {
  return SearchCandidates(request, onDepth);
}

int16_t Tessel_GetBestLineLength() { return resultMoveBuffer.bestLineLength; }

void Tessel_GetBestLine(int16_t i, int16_t* x, int16_t* y, int16_t* player, int16_t* value,
                        int16_t* vctMoveFlag) {
  if (i < 0 || i >= kMaxPly) {
    *x = *y = *player = *value = *vctMoveFlag = 0;
    return;
  }
  const MoveRecord& entry = resultMoveBuffer.bestLine[i];
  ToBoardXY(entry.squareIndex, x, y);
  *player = entry.player;
  *value = entry.value;
  *vctMoveFlag = entry.vctMove;
}

int16_t Tessel_GetNbPossibleMoves() { return resultMoveBuffer.count; }

void Tessel_GetPossibleMove(int16_t i, int16_t* x, int16_t* y, int16_t* side, int16_t* value,
                            int64_t* nodes) {
  if (i < 0 || i >= resultMoveBuffer.count) {
    *x = *y = *side = *value = 0;
    *nodes = 0;
    return;
  }
  const MoveRecord& move = resultMoveBuffer.moves[i];
  ToBoardXY(move.squareIndex, x, y);
  *side = whoIsOnMove;
  *value = move.value;
  *nodes = nbExaminedMoves > 0 ? move.nbExaminedAfter - move.nbExaminedBefore : 0;
}

void Tessel_ResetHashTable() { InitializeHashTable(); }

int GameWon(int16_t squareIndex) {
  if (whoIsOnMove != kPlayer1 && whoIsOnMove != kPlayer2) return 0;
  if (squareIndex < 0 || squareIndex >= kBoardCells) return 0;
  return MakesFive(whoIsOnMove, squareIndex) ? 1 : 0;
}

void Tessel_BarSquare(int16_t x, int16_t y) {
  if (OnLargestBoard(x, y)) BarRootMove(IndexOf(x, y));
}

void Tessel_UnbarSquare(int16_t x, int16_t y) {
  if (OnLargestBoard(x, y)) UnbarRootMove(IndexOf(x, y));
}

void Tessel_ClearBarredSquares() { ClearBarredRootMoves(); }

bool Tessel_IsBarred(int16_t x, int16_t y) {
  return OnLargestBoard(x, y) && IsRootMoveBarred(IndexOf(x, y));
}

void Tessel_SetRule(Rule rule) {
  if (rule == ruleInForce) return;
  SetRule(rule);
  // The game in play is set up again under the new rule.
  if (initialized != 0) ReplayGame(-1);
}

Rule Tessel_GetRule() { return ruleInForce; }

bool Tessel_IsForbidden(int16_t x, int16_t y) {
  if (ruleInForce != Rule::kRenju || Tessel_GetSymbol(x, y) != kEmpty) return false;
  return IsForbidden(IndexOf(x, y));
}

bool Tessel_BoardFull() { return BoardFull(); }

int16_t Tessel_GetSymbol(int16_t x, int16_t y) {
  if (x < 0 || x >= boardWidth || y < 0 || y >= boardHeight) return kBorder;
  return square[IndexOf(x, y)].symbol;
}

bool Tessel_SetBoardSize(int16_t width, int16_t height) {
  const auto supported = [](int16_t side) { return side >= kMinBoardSide && side <= kBoardSide; };
  if (!supported(width) || !supported(height)) return false;
  boardWidth = width;
  boardHeight = height;
  Tessel_Initialize();
  return true;
}

int16_t Tessel_GetBoardWidth() { return boardWidth; }

int16_t Tessel_GetBoardHeight() { return boardHeight; }

bool Tessel_BlockSquare(int16_t x, int16_t y) {
  if (Tessel_GetSymbol(x, y) != kEmpty) return false;
  BlockSquare(IndexOf(x, y));
  ReplayGame(-1);
  return true;
}

bool Tessel_TakeBack(int16_t x, int16_t y) {
  const int16_t owner = Tessel_GetSymbol(x, y);
  if (owner != kPlayer1 && owner != kPlayer2) return false;
  const int16_t index = IndexOf(x, y);
  InitializeMoveGenerator();
  // The last stone is the one the undo stack can take back; between searches
  // it holds the game's stones only.
  if (nbGameStones > 0 && gameRecord[nbGameStones - 1] == index) {
    RemoveSymbol();
    --nbGameStones;
  } else {
    ReplayGame(index);
  }
  whoIsOnMove = owner;
  return true;
}
