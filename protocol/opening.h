// The opening rules' proposals and decisions, made by search: Swap2 (three
// stones, then swap, stay or two more stones, then the choice of colour) and
// Soosorv-8 under renju (one of the 26 openings, swaps, the fourth move with
// the number of fifth-move offers, the offers, and the choice among them).
// Gomocup's SWAP2BOARD and Yixin-Board's steps both ask them; each works on
// the position in play, leaves it as it was, and writes nothing. Each uses
// the time of one move, split among its searches.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/tessel.h"  // Square

// A position is near even when its searched value lies within this margin of
// 0 (see opening.cpp for why this size).
constexpr int kEvenMargin = 300;
// The most fifth-move offers Soosorv-8 allows.
constexpr int kMaxOffers = 8;

// Swap2, on the empty board: black, white and black stones whose position,
// white to move, the search values near even.
std::vector<Square> ProposeSwap2Stones();

// Swap2 after three stones, white to move, asked of white.
enum class Swap2Choice : uint8_t { kSwap, kStay, kTwoMore };
struct Swap2Answer {
  Swap2Choice choice;
  std::vector<Square> stones;  // the fourth (kStay), or fourth and fifth (kTwoMore)
};
Swap2Answer ChooseAfterThreeStones();

// Swap2 after five stones, white to move, asked of the player who opened:
// black (the opponent plays the sixth stone), or white with the sixth stone.
// White, the side to move, is kept unless black is better beyond the margin,
// as is each colour in the other swaps.
struct ColourAnswer {
  bool takesBlack;
  Square sixth;
};
ColourAnswer ChooseColourAfterFive();

// Soosorv-8, on the empty board: the three stones of one of the 26 openings
// (black on the centre, white next to it, black within two squares of the
// centre), the one the search values nearest even.
std::vector<Square> ProposeSoosorvOpening();
// Soosorv-8 after three stones, asked of white: true to take black.
bool SoosorvTakesBlack();
// Soosorv-8 after three stones: white's fourth stone and the number of
// fifth-move offers that brings the position nearest even.
struct FourthMove {
  Square stone;
  int offers;
};
FourthMove SoosorvFourthMove();
// Soosorv-8 after four stones, asked of black, who must offer `offers`
// fifth moves: true to take white.
bool SoosorvTakesWhite(int offers);
// Soosorv-8 after four stones: black's `offers` best fifth moves, no two the
// same by the position's symmetry.
std::vector<Square> SoosorvOffers(int offers);
// Soosorv-8 after four stones: the offered fifth move that is worst for
// black; none when no offer is an empty square.
std::vector<Square> SoosorvChooseFifth(const std::vector<Square>& offers);

// The centre square of the board in play, where Soosorv-8 opens.
Square CentreSquare();
