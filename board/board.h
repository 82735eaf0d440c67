// The playing surface: a board of up to 20 x 20 squares embedded in a 30 x 30
// array with a border frame of at least five squares on every side. The frame
// makes every line walk of up to five steps from a playable square stay inside
// the array, so no line walk ever tests bounds. A smaller board is the top-left
// corner of the 20 x 20 one; the squares beyond it are border squares too.
#pragma once

#include <cstdint>

constexpr int kBoardSide = 20;     // the largest board, and the default
constexpr int kMinBoardSide = 5;   // a five must fit
constexpr int kPaddedSide = 30;
constexpr int kBorderWidth = 5;
constexpr int kBoardCells = kPaddedSide * kPaddedSide;  // 900
constexpr int kPlayableSquares = kBoardSide * kBoardSide;  // 400
// Index of board (0, 0): padded (5, 5).
constexpr int16_t kFirstPlayableIndex = kBorderWidth + kPaddedSide * kBorderWidth;

// Every rule the engine plays. Player 1 (the first player) is black.
//  kFreestyle      five or more in a row win
//  kExactFive      exactly five win; six or more do not
//  kRenju          black wins with exactly five only and may not play a
//                  forbidden move (overline, double four, double three);
//                  white wins with five or more
//  kCaro           five or more win, but not a line of exactly five whose
//                  squares just beyond both ends hold the opponent's stones
//  kCaroExactFive  exactly five win, and not when blocked so at both ends
enum class Rule : uint8_t { kFreestyle, kExactFive, kRenju, kCaro, kCaroExactFive };

// Symbol codes; the same values are the 2-bit neighbour codes of line patterns.
constexpr int16_t kEmpty = 0;
constexpr int16_t kPlayer1 = 1;
constexpr int16_t kPlayer2 = 2;
constexpr int16_t kBorder = 3;

constexpr int kNbDirections = 4;
constexpr int kNbSlots = 10;  // neighbour slots per direction

// Neighbour offsets, 4 directions x 10 slots. Slots 0..4 lie at distances
// 5..1 on one side, slots 5..9 at distances 1..5 on the other. The neighbour
// in slot m of square s in direction d is s - offsetTable[10 * d + m].
inline constexpr int16_t offsetTable[kNbDirections * kNbSlots] = {
    -5,  -4,  -3,  -2,  -1,  1,   2,   3,   4,    5,     // row
    145, 116, 87,  58,  29,  -29, -58, -87, -116, -145,  // anti-diagonal
    150, 120, 90,  60,  30,  -30, -60, -90, -120, -150,  // column
    155, 124, 93,  62,  31,  -31, -62, -93, -124, -155,  // diagonal
};

// A square by its board coordinates, 0..width-1 and 0..height-1.
struct Square {
  int16_t x, y;
  friend bool operator==(Square, Square) = default;
};

struct BoardSquare {
  int16_t index;   // the square's own index, fixed
  int16_t symbol;  // symbol code of what stands on the square
};

extern BoardSquare square[kBoardCells];
// Size of the board in play, each kMinBoardSide..kBoardSide; InitializeBoard
// lays out the board of this size.
extern int16_t boardWidth;
extern int16_t boardHeight;
// Side to move (1 or 2); PutSymbol places a stone of this side.
extern int16_t whoIsOnMove;
// Stones on the board, game and search stones alike.
extern int16_t nbSymbolsPlaced;
// Squares of the board in play that no stone may take and that close lines
// for both players as the edge does (the stones of a line completed earlier
// in a continuous game). InitializeBoard lays them out as border squares.
extern bool blockedSquare[kBoardCells];
extern int16_t nbBlockedSquares;

void InitializeBoard();
// True when no empty square of the board in play is left.
bool BoardFull();
// Blocks an unblocked square of the board in play, or unblocks every square;
// the next InitializeBoard lays the board out accordingly.
void BlockSquare(int16_t index);
void ClearBlockedSquares();
// Padded coordinates to index.
void ConvertXY_2_Index(int16_t x, int16_t y, int16_t& index);
// Board coordinates to index; no range check.
void ConvertXY_Offset_2_Index(int16_t x, int16_t y, int16_t& index);
// Index to board coordinates, truncating division (remainder keeps the sign).
void ConvertIndex_2_XY_Offset(int16_t index, int16_t& x, int16_t& y);
// True for the playable squares of the board in play; false for the border,
// the blocked squares and any index outside 0..899.
bool IsPlayableIndex(int16_t index);
