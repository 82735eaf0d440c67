// The engine's public interface: initialise, put stones of the side to move,
// set the limits, search, stop a search, and read the result. Coordinates are
// board coordinates, 0..width-1 and 0..height-1 of the board in play (20 x 20
// unless set otherwise). The front end reaches the engine through here alone.
#pragma once

#include <cstdint>
#include <functional>

#include "board/board.h"        // Rule, Square, the symbols
#include "search/candidates.h"  // the candidate searches' requests and results

// A new game: an empty board of the size in play, with no blocked square,
// player 1 to move; the settings stay, and searches run again after
// Tessel_EndSearches.
void Tessel_Initialize();
void Tessel_PutSymbol(int16_t x, int16_t y);
// Puts a stone of `player` (1 or 2) on the empty board square (x, y); the side
// to move stays. Nothing happens for another player or square.
void Tessel_PutStone(int16_t x, int16_t y, int16_t player);
// Makes `player` (1 or 2) the side to move.
void Tessel_SetSideToMove(int16_t player);
int16_t Tessel_GetSideToMove();
// The deepest full-width search the move stack holds: a ply for every one of
// its buffers, without room left for a threat sequence beyond.
constexpr int16_t kMaxSearchDepth = 30;
void Tessel_Search(int16_t maxDepth, int16_t deepenSingleMove, int16_t iterative);

// Limits of every coming search, process settings kept by new games: the
// milliseconds per move and left for the match (a move gets the smaller of
// its own and a fifteenth of the match, less a margin), and the moves a
// search may make (0: no cap).
void Tessel_SetTurnTime(int32_t ms);
void Tessel_SetMatchTime(int32_t ms);
void Tessel_SetMaxNodes(int64_t moves);
// Stops the running search at once: it answers with what it has. Outside a
// search it does nothing.
void Tessel_Stop();
// Stops the running search and, for good, the candidate searches of the
// command in progress, which then seek no fallback move either: the front
// end wants nothing more (END). Lasts until Tessel_Initialize.
void Tessel_EndSearches();

// Values are the side to move's unless said otherwise: a win is +kWinValue,
// a loss -kWinValue, and a quiet position stays within a few thousand.
constexpr int16_t kWinValue = 30000;

// Where a search stands. Depth is the deepest completed iteration (-1 before
// the first, 0 for the unsearched answer of a search cut short); the best
// move is that iteration's, its value in player 1's view.
struct SearchReport {
  int16_t depth;
  int16_t selDepth;        // the deepest ply reached
  int64_t nodes;           // moves made
  int64_t elapsedMs;       // since the search began
  float sampledMs;         // the same at the last clock sample, 0 before
  int16_t x, y, value;     // the best move
  int64_t bestNodes;       // moves made below the best move
  bool makesFive;          // the best move wins at once (false at clock samples)
};
SearchReport Tessel_GetSearchReport();
// A function of the front end that every search calls at each clock sample,
// after each completed iteration and at its end, to take in input and report
// progress. It may stop the search and change the limits; it must leave the
// position alone and start no search. Null for none.
void Tessel_SetSearchHook(void (*hook)(const SearchReport& report));

// The candidate searches (see search/candidates.h): a command calls
// Tessel_BeginCandidateCommand once, then any number of searches, which share
// one move's time.
void Tessel_BeginCandidateCommand();
CandidateResult Tessel_SearchCandidates(
    const CandidateRequest& request,
    const std::function<void(const CandidateDepth&)>& onDepth = {});
int16_t Tessel_GetBestLineLength();
void Tessel_GetBestLine(int16_t i, int16_t* x, int16_t* y, int16_t* player, int16_t* value,
                        int16_t* vctMove);
int16_t Tessel_GetNbPossibleMoves();
void Tessel_GetPossibleMove(int16_t i, int16_t* x, int16_t* y, int16_t* side, int16_t* value,
                            int64_t* nodes);
void Tessel_ResetHashTable();
// 1 when the side to move wins by playing on the square index: five or more
// in a row under freestyle, exactly five under exact five, and so on by the
// rule in force (see Rule).
int GameWon(int16_t squareIndex);
// True when no empty square of the board is left.
bool Tessel_BoardFull();
// What stands on (x, y): 0 empty, 1 or 2 a player's stone, 3 off the board or
// blocked.
int16_t Tessel_GetSymbol(int16_t x, int16_t y);
// A new game on a board of width x height squares, each 5..20. False, and
// nothing changed, for any other size.
bool Tessel_SetBoardSize(int16_t width, int16_t height);
int16_t Tessel_GetBoardWidth();
int16_t Tessel_GetBoardHeight();
// Makes the empty square (x, y) a blocked square until the next new game: no
// stone goes there, and it closes lines for both players as the edge does.
// The side to move stays. False, and nothing changed, unless the square is
// empty.
bool Tessel_BlockSquare(int16_t x, int16_t y);
// Bars the board square (x, y), 0..19 each, from every answer of the coming
// searches, or takes the bar back, or every bar; bars last until taken back,
// across new games. A barred square is answered only when every free square
// is barred.
void Tessel_BarSquare(int16_t x, int16_t y);
void Tessel_UnbarSquare(int16_t x, int16_t y);
void Tessel_ClearBarredSquares();
bool Tessel_IsBarred(int16_t x, int16_t y);
// The rule (freestyle by default). A process setting, kept by new games. A
// change takes effect at once: the position in play is set up again from the
// game's stones.
void Tessel_SetRule(Rule rule);
Rule Tessel_GetRule();
// True when the rule is renju and a black (player 1) stone on the empty board
// square (x, y) would be forbidden; false under any other rule, and for an
// occupied, blocked or off-board square.
bool Tessel_IsForbidden(int16_t x, int16_t y);
// Takes the stone on (x, y) off the board; the side whose stone it was is then
// to move. False, and nothing changed, when no stone stands there.
bool Tessel_TakeBack(int16_t x, int16_t y);
