// Move records, the per-ply move buffers used as a stack, and the two move
// generators (full-width and threat-sequence), which read candidate squares
// from the category lists instead of scanning the board.
#pragma once

#include <cstdint>

#include "board/board.h"

// Scores of moves, from the point of view of the side to move: far above any
// static value a position can reach, and inside int16.
constexpr int16_t kWinScore = 30000;
constexpr int16_t kMaxStaticScore = kWinScore - 1;  // static values never read as decided

// Candidates kept per node; more are dropped. The main generator stops once
// it has more than five quiet ones, so twenty leave room for a batch of
// threats while every buffer stays small and of fixed size.
constexpr int kMaxMovesPerBuffer = 20;
// Plies of the move stack (buffers for plies 0..29): the full-width depth of
// at most 10 and a threat sequence of up to twenty plies beyond it.
constexpr int kMaxPly = 30;

struct MoveRecord {
  int16_t player;       // whoIsOnMove when appended
  int16_t squareIndex;
  int16_t value;        // 0 when appended; after the search, the score for `player`
  int16_t attacking;    // 1 when taken from the mover's own lists
  int16_t vctMove;      // 1 when appended by the threat move generator
  int64_t nbExaminedBefore;  // nbExaminedMoves at MakeMove and UnmakeMove
  int64_t nbExaminedAfter;
};

struct MoveBuffer {
  int16_t current;  // cursor of GetFirstMove/GetNextMove
  int16_t count;
  MoveRecord moves[kMaxMovesPerBuffer];
  int16_t bestLineLength;  // 0 or 1
  MoveRecord bestLine[kMaxPly];  // entry p: best move of the node at ply p
};

extern MoveBuffer moveBuffer[kMaxPly];
extern int16_t nbMoveBuffers;
// Always moveBuffer + nbMoveBuffers - 1.
extern MoveBuffer* pMoveBuffer;
// Root buffer of the last taken iteration, scores in player 1's view.
extern MoveBuffer resultMoveBuffer;
extern int16_t vctMove;
extern int16_t vctCauseSquareP1;
extern int16_t vctCauseSquareP2;
// Squares of the opponent's lists that the last generation under renju left
// out as forbidden to black: with an empty buffer, black had answers, all of
// them forbidden, and has lost. 0 under the other rules.
extern int16_t nbForbiddenAnswers;
// Statistics of the search, counted here: the moves made, in 64 bits (an
// analysis of half an hour makes billions), and the generations.
extern int64_t nbExaminedMoves;
extern int32_t nbMoveGenerations;

void InitializeMoveGenerator();
void GetMoveBuffer();
void ReleaseMoveBuffer();
void InsertToMoveBuffer(int16_t squareIndex, int16_t attacking);
void SetValue(int16_t value);
// Appends the nodes of one list that pass the owner's cause mark; returns how
// many passed, including any that a full buffer dropped.
int16_t TakeMoveCategory(int16_t category, int16_t own);
// A random square of the central band, or the allowed square nearest the
// centre when that one is taken or forbidden; under renju on a board without
// stones, the centre (on an even side the square before the middle).
void TakeRandomSquares();
// The first allowed square of the side to move's lists that the root does not
// leave out, the most urgent first; when there is none, a forbidden square
// not left out, then an allowed one left out, then any, the most urgent of
// each. Nothing on a full board.
void TakeLeastBadSquare();
// The last generation left out every answer as forbidden (see above).
bool NoAnswerLeft();
MoveRecord* GetFirstMove();
MoveRecord* GetNextMove();
void MakeMove();
void UnmakeMove();
void UpdateBestLine(int16_t ply, const MoveRecord* move);
// Orders the buffer by the history counts (see historytable.h); nothing while
// the history ordering is off.
void SortMoves(MoveBuffer* buffer);
void UpdateCauseSquare(int16_t attacking, int16_t causeP1, int16_t causeP2, int16_t* newCauseP1,
                       int16_t* newCauseP2);

// Root moves that the coming searches leave out, so that a search finds the
// best move among the others (board programs' candidate lists); none unless
// set.
void ExcludeRootMove(int16_t squareIndex);
void ClearExcludedRootMoves();
// Squares that a board program bars from every answer, kept until taken back
// or cleared, across new games; left out of the root like the excluded ones.
void BarRootMove(int16_t squareIndex);
void UnbarRootMove(int16_t squareIndex);
void ClearBarredRootMoves();
bool IsRootMoveBarred(int16_t squareIndex);
bool AnyRootMoveExcluded();
bool AnyRootMoveBarred();
// The square is excluded or barred.
bool IsRootMoveLeftOut(int16_t squareIndex);
// Drops the excluded and barred squares from the move buffer of ply 0.
void FilterRootMoves();

// Candidates of the full-width search, in a fixed order of urgency.
void GenerateMoves();
// Threats of the attacker and answers of the defender for the threat search.
void VctGenerateMoves(int16_t attacker, int16_t causeP1, int16_t causeP2, int16_t narrow);
