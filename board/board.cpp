#include "board/board.h"

BoardSquare square[kBoardCells];
int16_t boardWidth = kBoardSide;
int16_t boardHeight = kBoardSide;
int16_t whoIsOnMove = kPlayer1;
int16_t nbSymbolsPlaced = 0;
bool blockedSquare[kBoardCells];
int16_t nbBlockedSquares = 0;

namespace {

constexpr bool IsPaddedPlayable(int x, int y, int width = kBoardSide, int height = kBoardSide) {
  return x >= kBorderWidth && x < kBorderWidth + width && y >= kBorderWidth &&
         y < kBorderWidth + height;
}

// Every walk of up to five steps along a line from a playable square, in
// either direction, must stay inside the padded array.
constexpr bool OffsetsStayInsideArray() {
  for (int y = 0; y < kPaddedSide; ++y) {
    for (int x = 0; x < kPaddedSide; ++x) {
      if (!IsPaddedPlayable(x, y)) continue;
      const int s = x + kPaddedSide * y;
      for (int16_t offset : offsetTable) {
        if (s - offset < 0 || s - offset >= kBoardCells) return false;
        if (s + offset < 0 || s + offset >= kBoardCells) return false;
      }
    }
  }
  return true;
}
static_assert(OffsetsStayInsideArray(), "the border frame must hold every line walk");

}  // namespace

void InitializeBoard() {
  for (int16_t y = 0; y < kPaddedSide; ++y) {
    for (int16_t x = 0; x < kPaddedSide; ++x) {
      BoardSquare& sq = square[x + kPaddedSide * y];
      sq.index = static_cast<int16_t>(x + kPaddedSide * y);
      const bool open = IsPaddedPlayable(x, y, boardWidth, boardHeight) && !blockedSquare[sq.index];
      sq.symbol = open ? kEmpty : kBorder;
    }
  }
}

void ConvertXY_2_Index(int16_t x, int16_t y, int16_t& index) {
  index = static_cast<int16_t>(x + kPaddedSide * y);
}

void ConvertXY_Offset_2_Index(int16_t x, int16_t y, int16_t& index) {
  index = static_cast<int16_t>(x + kPaddedSide * y + kFirstPlayableIndex);
}

void ConvertIndex_2_XY_Offset(int16_t index, int16_t& x, int16_t& y) {
  x = static_cast<int16_t>(index % kPaddedSide - kBorderWidth);
  y = static_cast<int16_t>(index / kPaddedSide - kBorderWidth);
}

void BlockSquare(int16_t index) {
  if (!IsPlayableIndex(index)) return;
  blockedSquare[index] = true;
  ++nbBlockedSquares;
}

void ClearBlockedSquares() {
  for (bool& blocked : blockedSquare) blocked = false;
  nbBlockedSquares = 0;
}

bool IsPlayableIndex(int16_t index) {
  int16_t x = 0;
  int16_t y = 0;
  ConvertIndex_2_XY_Offset(index, x, y);
  return x >= 0 && x < boardWidth && y >= 0 && y < boardHeight && !blockedSquare[index];
}

bool BoardFull() { return nbSymbolsPlaced >= boardWidth * boardHeight - nbBlockedSquares; }
