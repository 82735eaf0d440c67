// The opening rules' commands. Each sets up its position (the stones it
// carries, or for Yixin-Board's Swap2 steps the position its YXBOARD loaded),
// asks opening for the decision within one move's time, writes the answer,
// and leaves on the board the position with the stones it answered, so that a
// following TURN or BOARD finds the game as the manager has it.
#include "protocol/openingcommands.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/tessel.h"
#include "protocol/lineinput.h"
#include "protocol/opening.h"
#include "protocol/output.h"
#include "protocol/parse.h"
#include "protocol/position.h"
#include "protocol/searchrunner.h"

namespace {

using Stones = std::vector<Square>;

constexpr char kStoneCount[] = "ERROR SWAP2BOARD takes 0, 3 or 5 stones";
constexpr char kRepeated[] = "ERROR square is occupied";
constexpr char kNoOffer[] = "ERROR no offered fifth move is free";

// Stones in play order, one "x,y" (or "x,y,z") line each, up to DONE; none
// when another line ends the list, which stays in cmd. Past a board's worth
// the list is read on but not kept: so many stones repeat a square anyway.
std::optional<Stones> ReadStones() {
  Stones stones;
  while (GetLine()) {
    if (ParseCommandParameter("DONE", cmd) != nullptr) return stones;
    if (cmd[0] == '\0') continue;
    int16_t v[2];
    if (!ReadShorts(cmd, v, 2)) return std::nullopt;
    if (stones.size() <= kPlayableSquares) stones.push_back({v[0], v[1]});
  }
  return std::nullopt;
}

bool OnBoard(const Square& s) {
  return s.x >= 0 && s.y >= 0 && s.x < Tessel_GetBoardWidth() && s.y < Tessel_GetBoardHeight();
}

// The reason the stones cannot be an opening position, or null.
const char* StonesFault(const Stones& stones) {
  for (size_t i = 0; i < stones.size(); ++i) {
    if (!OnBoard(stones[i])) return kParameterError;
    for (size_t j = 0; j < i; ++j) {
      if (stones[j].x == stones[i].x && stones[j].y == stones[i].y) return kRepeated;
    }
  }
  return nullptr;
}

void Put(const Stones& stones) {
  for (const Square& s : stones) Tessel_PutSymbol(s.x, s.y);
}

// A new game holding the stones, alternately black and white.
void SetUp(const Stones& stones) {
  Tessel_Initialize();
  started = 1;
  Put(stones);
}

int StonesOnBoard() {
  int count = 0;
  for (int16_t y = 0; y < Tessel_GetBoardHeight(); ++y) {
    for (int16_t x = 0; x < Tessel_GetBoardWidth(); ++x) {
      const int16_t symbol = Tessel_GetSymbol(x, y);
      count += symbol == kPlayer1 || symbol == kPlayer2;
    }
  }
  return count;
}

// Runs the decision as a protocol search, taking in the input that arrives
// meanwhile. False when END came: nothing more may be written.
bool Decide(const std::function<void()>& decision) { return RunProtocolSearch(decision, false); }

// "x,y x,y ...", the answer of SWAP2BOARD.
void SendSquares(const Stones& stones) {
  std::string text;
  for (const Square& s : stones) {
    char square[16];
    std::snprintf(square, sizeof square, "%s%d,%d", text.empty() ? "" : " ", s.x, s.y);
    text += square;
  }
  SendResponse(text.c_str());
}

// Yixin-Board's MESSAGE lines name a square by its two numbers in the order
// of its move lines, apart: "MESSAGE SWAP2 MOVE1 7 7". A number may follow.
void SendMessageSquare(const char* prefix, const Square& s, int number = -1) {
  char line[64];
  const int n = std::snprintf(line, sizeof line, "MESSAGE %s %d %d", prefix, s.x, s.y);
  if (number >= 0) std::snprintf(line + n, sizeof line - n, " %d", number);
  SendResponse(line);
}

void SendYesNo(const char* prefix, bool yes) {
  char line[64];
  std::snprintf(line, sizeof line, "MESSAGE %s %s", prefix, yes ? "YES" : "NO");
  SendResponse(line);
}

// The stones that a Yixin-Board step carries, up to DONE: `wanted` of them
// (at least `wanted` when `orMore`). Otherwise, or when the step's own
// argument is wrong, an error line, and nothing changes; a line that ends
// the list without DONE is then performed next as a command, as in every list
// the board sends.
std::optional<Stones> ReadStepStones(size_t wanted, bool orMore, bool argumentValid = true) {
  const std::optional<Stones> stones = ReadStones();
  if (sessionEnded) return std::nullopt;
  if (!stones) {
    SendResponse(kParameterError);
    PutBackLine(cmd);
    return std::nullopt;
  }
  const bool countFits = orMore ? stones->size() >= wanted : stones->size() == wanted;
  const char* fault = countFits && argumentValid ? StonesFault(*stones) : kParameterError;
  if (fault != nullptr) {
    SendResponse(fault);
    return std::nullopt;
  }
  return stones;
}

// The Soosorv-8 count of fifth-move offers on a step's line.
std::optional<int> ReadOffers(const char* argument) {
  const int32_t n = ReadInt32(argument);
  if (n < 1 || n > kMaxOffers) return std::nullopt;
  return n;
}

// The Yixin-Board Swap2 steps work on the position its YXBOARD loaded.
bool HoldsStones(int wanted) {
  if (StonesOnBoard() == wanted) return true;
  SendResponse(kParameterError);
  return false;
}

// Step 1 of both rules: three stones on an empty board, each written as
// "MESSAGE <rule> MOVE1 x y" and so on, and left on the board.
void ProposeOnEmptyBoard(const char* rule, Stones (*propose)()) {
  SetUp({});
  Stones stones;
  if (!Decide([&] { stones = propose(); })) return;
  if (stones.empty()) return SendResponse("ERROR board is full");
  for (size_t i = 0; i < stones.size(); ++i) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "%s MOVE%zu", rule, i + 1);
    SendMessageSquare(prefix, stones[i]);
  }
  Put(stones);
}

}  // namespace

// SWAP2BOARD, then the stones played so far and DONE: three stones for an
// empty board; SWAP, the fourth stone, or the fourth and fifth after three;
// SWAP or the sixth stone after five. The stones of the answer stay on the
// board; SWAP leaves it as it was.
void HandleSwap2Board(const char*) {
  const std::optional<Stones> stones = ReadStones();
  if (sessionEnded) return;
  if (!stones) return SendResponse(kParameterError);
  const size_t count = stones->size();
  if (count != 0 && count != 3 && count != 5) return SendResponse(kStoneCount);
  if (const char* fault = StonesFault(*stones)) return SendResponse(fault);
  SetUp(*stones);
  if (count == 0) {
    Stones three;
    if (!Decide([&] { three = ProposeSwap2Stones(); })) return;
    if (three.empty()) return SendResponse("ERROR board is full");
    SendSquares(three);
    return Put(three);
  }
  if (count == 3) {
    Swap2Answer answer{};
    if (!Decide([&] { answer = ChooseAfterThreeStones(); })) return;
    if (answer.choice == Swap2Choice::kSwap) return SendResponse("SWAP");
    SendSquares(answer.stones);
    return Put(answer.stones);
  }
  ColourAnswer answer{};
  if (!Decide([&] { answer = ChooseColourAfterFive(); })) return;
  if (answer.takesBlack) return SendResponse("SWAP");
  SendSquares({answer.sixth});
  Put({answer.sixth});
}

// Sent on a new game when Tessel plays black: the three stones.
void HandleYxSwap2Step1(const char*) { ProposeOnEmptyBoard("SWAP2", ProposeSwap2Stones); }

// After YXBOARD with the three stones, Tessel white: SWAP1 YES to take black,
// SWAP1 NO to stay white (the board then asks for the fourth stone), or the
// fourth and fifth stones, MOVE4 and MOVE5, after which the board chooses.
void HandleYxSwap2Step2(const char*) {
  if (!HoldsStones(3)) return;
  Swap2Answer answer{};
  if (!Decide([&] { answer = ChooseAfterThreeStones(); })) return;
  if (answer.choice != Swap2Choice::kTwoMore) {
    return SendYesNo("SWAP2 SWAP1", answer.choice == Swap2Choice::kSwap);
  }
  SendMessageSquare("SWAP2 MOVE4", answer.stones[0]);
  SendMessageSquare("SWAP2 MOVE5", answer.stones[1]);
  Put(answer.stones);
}

// After YXBOARD with five stones, Tessel having opened: SWAP2 YES takes black
// (the board plays the sixth stone), SWAP2 NO white (it asks for the sixth).
void HandleYxSwap2Step3(const char*) {
  if (!HoldsStones(5)) return;
  ColourAnswer answer{};
  if (!Decide([&] { answer = ChooseColourAfterFive(); })) return;
  SendYesNo("SWAP2 SWAP2", answer.takesBlack);
}

// Sent on a new game when Tessel plays black: an opening's three stones.
void HandleYxSoosorvStep1(const char*) { ProposeOnEmptyBoard("SOOSORV", ProposeSoosorvOpening); }

// The three stones, Tessel white: SWAP1 YES takes black; after SWAP1 NO the
// board sends step 3.
void HandleYxSoosorvStep2(const char*) {
  const std::optional<Stones> stones = ReadStepStones(3, false);
  if (!stones) return;
  SetUp(*stones);
  bool takesBlack = false;
  if (!Decide([&] { takesBlack = SoosorvTakesBlack(); })) return;
  SendYesNo("SOOSORV SWAP1", takesBlack);
}

// The three stones, Tessel white: the fourth stone and the number of
// fifth-move offers, "MESSAGE SOOSORV MOVE4 x y N".
void HandleYxSoosorvStep3(const char*) {
  const std::optional<Stones> stones = ReadStepStones(3, false);
  if (!stones) return;
  SetUp(*stones);
  FourthMove answer{};
  if (!Decide([&] { answer = SoosorvFourthMove(); })) return;
  SendMessageSquare("SOOSORV MOVE4", answer.stone, answer.offers);
  Put({answer.stone});
}

// "YXSOOSORVSTEP4 N" and the four stones, Tessel black: SWAP2 YES takes
// white; after SWAP2 NO the board sends step 5.
void HandleYxSoosorvStep4(const char* argument) {
  const std::optional<int> offers = ReadOffers(argument);
  const std::optional<Stones> stones = ReadStepStones(4, false, offers.has_value());
  if (!stones) return;
  SetUp(*stones);
  bool takesWhite = false;
  if (!Decide([&] { takesWhite = SoosorvTakesWhite(*offers); })) return;
  SendYesNo("SOOSORV SWAP2", takesWhite);
}

// "YXSOOSORVSTEP5 N" and the four stones, Tessel black: N fifth moves, after
// REFRESH (which makes the board show them all as offers) and closed by DONE.
// The board holds the four stones; the opponent picks the fifth.
void HandleYxSoosorvStep5(const char* argument) {
  const std::optional<int> offers = ReadOffers(argument);
  const std::optional<Stones> stones = ReadStepStones(4, false, offers.has_value());
  if (!stones) return;
  SetUp(*stones);
  Stones chosen;
  if (!Decide([&] { chosen = SoosorvOffers(*offers); })) return;
  SendResponse("MESSAGE SOOSORV MOVE5 REFRESH");
  for (const Square& s : chosen) SendMessageSquare("SOOSORV MOVE5", s);
  SendResponse("MESSAGE SOOSORV MOVE5 DONE");
}

// The four stones and then the offered fifth moves, Tessel white: the offer
// it chooses, "MESSAGE SOOSORV MOVE5C x y", left on the board.
void HandleYxSoosorvStep6(const char*) {
  const std::optional<Stones> stones = ReadStepStones(5, true);
  if (!stones) return;
  const Stones offers(stones->begin() + 4, stones->end());
  SetUp(Stones(stones->begin(), stones->begin() + 4));
  Stones chosen;
  if (!Decide([&] { chosen = SoosorvChooseFifth(offers); })) return;
  if (chosen.empty()) return SendResponse(kNoOffer);
  SendMessageSquare("SOOSORV MOVE5C", chosen.front());
  Put(chosen);
}
