// The opening rules' proposals and decisions. Values come from the candidate
// searches: the side to move's view, the mean of the two deepest completed
// depths. Proposals aim at 0 and draw among the near-even ones, so that games
// from them differ; a swap needs the other colour better beyond the margin.
#include "protocol/opening.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "engine/tessel.h"
#include "protocol/searchrunner.h"

namespace {

// Why kEvenMargin is 300: in the opening, values of consecutive depths differ
// by 500 to 1500 (the side that moves last looks better), and the mean of two
// depths still moves by about 300 from one pair of depths to the next. Within
// that margin the search cannot tell which colour is better, so a proposal
// anywhere inside it is even as far as Tessel can judge, a decision with
// three options places two more stones rather than guess, and a swap needs
// the other colour to be better by more than the margin.

// True when the value, Tessel's colour's view, favours the other colour
// beyond the margin.
bool OtherColourBetter(int value) { return value < -kEvenMargin; }

// The eight neighbours of a square: white's second stone in both openings is
// one of them (an orthogonal one makes a direct opening, a diagonal one an
// indirect one).
constexpr Square kNeighbours[] = {{1, 0},  {1, 1},   {0, 1},  {-1, 1},
                                  {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
// Soosorv's third stone lies within this many squares of the centre.
constexpr int16_t kSoosorvReach = 2;

void Put(Square s) { Tessel_PutSymbol(s.x, s.y); }
void TakeBack(Square s) { Tessel_TakeBack(s.x, s.y); }

// A root move with its value from the side to move's view: the mean of its
// values at the two deepest completed depths, as the value swings from one
// depth to the next with the side that moves last.
struct RankedMove {
  int16_t x, y;
  int value;
};

// The candidate search that `request` asks for, with this share of the
// move's time, writing nothing.
std::vector<RankedMove> Ranked(CandidateRequest request, double share) {
  request.maxDepth = SearchDepth();
  request.share = share;
  const CandidateResult result = Tessel_SearchCandidates(request);
  std::vector<RankedMove> moves;
  for (size_t k = 0; k < result.lines.size(); ++k) {
    moves.push_back({result.lines[k].x, result.lines[k].y, result.meanValues[k]});
  }
  return moves;
}

// The n best root moves, best first, among those that `filter` leaves.
std::vector<RankedMove> BestRootMoves(size_t n, double share, CandidateRequest filter = {}) {
  filter.goal = CandidateGoal::kBest;
  filter.wanted = n;
  return Ranked(filter, share);
}

// Every root move that `filter` leaves, valued, best first.
std::vector<RankedMove> AllRootMoves(double share, CandidateRequest filter = {}) {
  filter.goal = CandidateGoal::kBalanceOne;
  return Ranked(filter, share);
}

// The searched value of the position in play, side to move's view, and its
// best move.
RankedMove SearchPosition(double share) {
  const std::vector<RankedMove> best = BestRootMoves(1, share);
  return best.empty() ? RankedMove{0, 0, 0} : best.front();
}

// One of the moves valued near even, drawn at random so that games differ;
// the nearest one when none is.
Square PickNearEven(const std::vector<RankedMove>& moves) {
  std::vector<RankedMove> even;
  for (const RankedMove& m : moves) {
    if (std::abs(m.value) <= kEvenMargin) even.push_back(m);
  }
  if (!even.empty()) {
    const RankedMove& m = even[static_cast<size_t>(std::rand()) % even.size()];
    return {m.x, m.y};
  }
  const auto nearest = std::min_element(
      moves.begin(), moves.end(),
      [](const auto& a, const auto& b) { return std::abs(a.value) < std::abs(b.value); });
  return {nearest->x, nearest->y};
}

// The board's eight symmetries, numbered by what they do to a square: bit 2
// exchanges the axes (square boards only), then bit 0 mirrors x and bit 1
// mirrors y. The first four keep the axes.
constexpr int kSymmetries = 8;
constexpr int kAxisKeepingSymmetries = 4;
Square Image(int symmetry, Square s, int16_t width, int16_t height) {
  if (symmetry & 4) s = {s.y, s.x};
  if (symmetry & 1) s.x = static_cast<int16_t>(width - 1 - s.x);
  if (symmetry & 2) s.y = static_cast<int16_t>(height - 1 - s.y);
  return s;
}

// The symmetries that map every stone and blocked square of the position onto
// one of the same kind.
std::vector<int> PositionSymmetries() {
  std::vector<int> found;
  const int16_t width = Tessel_GetBoardWidth(), height = Tessel_GetBoardHeight();
  const int count = width == height ? kSymmetries : kAxisKeepingSymmetries;
  for (int k = 0; k < count; ++k) {
    bool keeps = true;
    for (int16_t y = 0; keeps && y < height; ++y) {
      for (int16_t x = 0; keeps && x < width; ++x) {
        const Square image = Image(k, {x, y}, width, height);
        keeps = Tessel_GetSymbol(x, y) == Tessel_GetSymbol(image.x, image.y);
      }
    }
    if (keeps) found.push_back(k);
  }
  return found;
}

// A filter that counts a move's symmetric images as the move itself.
CandidateRequest SymmetricTwins() {
  CandidateRequest filter;
  filter.twins = [symmetries = PositionSymmetries(), width = Tessel_GetBoardWidth(),
                  height = Tessel_GetBoardHeight()](Square move) {
    std::vector<Square> twins;
    for (int k : symmetries) twins.push_back(Image(k, move, width, height));
    return twins;
  };
  return filter;
}

// Every square farther than kSoosorvReach from the centre.
CandidateRequest OutsideSoosorvArea() {
  CandidateRequest filter;
  const Square centre = CentreSquare();
  for (int16_t y = 0; y < Tessel_GetBoardHeight(); ++y) {
    for (int16_t x = 0; x < Tessel_GetBoardWidth(); ++x) {
      if (std::abs(x - centre.x) > kSoosorvReach || std::abs(y - centre.y) > kSoosorvReach) {
        filter.leftOut.push_back({x, y});
      }
    }
  }
  return filter;
}

// Black on the centre, white on a neighbour drawn at random, and black's
// second stone among the candidates that `filter` leaves, near even.
std::vector<Square> ProposeThreeStones(const CandidateRequest& filter) {
  Tessel_BeginCandidateCommand();
  const Square centre = CentreSquare();
  const Square step = kNeighbours[static_cast<size_t>(std::rand()) % std::size(kNeighbours)];
  const Square second{static_cast<int16_t>(centre.x + step.x),
                      static_cast<int16_t>(centre.y + step.y)};
  Put(centre);
  Put(second);
  const std::vector<RankedMove> thirds = AllRootMoves(1, filter);
  TakeBack(second);
  TakeBack(centre);
  if (thirds.empty()) return {};
  return {centre, second, PickNearEven(thirds)};
}

// Of black's `wanted` best fifth moves, distinct by symmetry, the values.
std::vector<RankedMove> BlackFifthMoves(int wanted, double share) {
  return BestRootMoves(static_cast<size_t>(wanted), share, SymmetricTwins());
}

}  // namespace

Square CentreSquare() {
  return {static_cast<int16_t>(Tessel_GetBoardWidth() / 2),
          static_cast<int16_t>(Tessel_GetBoardHeight() / 2)};
}

std::vector<Square> ProposeSwap2Stones() { return ProposeThreeStones({}); }

std::vector<Square> ProposeSoosorvOpening() { return ProposeThreeStones(OutsideSoosorvArea()); }

// Half of the time goes to the value of the position; the rest, when two
// more stones are placed, to black's fifth stone after white's best fourth.
Swap2Answer ChooseAfterThreeStones() {
  Tessel_BeginCandidateCommand();
  const RankedMove white = SearchPosition(0.5);
  const Square fourth{white.x, white.y};
  if (OtherColourBetter(white.value)) return {Swap2Choice::kSwap, {}};
  if (white.value > kEvenMargin) return {Swap2Choice::kStay, {fourth}};
  Put(fourth);
  const std::vector<RankedMove> fifths = AllRootMoves(1);
  TakeBack(fourth);
  if (fifths.empty()) return {Swap2Choice::kStay, {fourth}};
  return {Swap2Choice::kTwoMore, {fourth, PickNearEven(fifths)}};
}

ColourAnswer ChooseColourAfterFive() {
  Tessel_BeginCandidateCommand();
  const RankedMove white = SearchPosition(1);
  return {OtherColourBetter(white.value), {white.x, white.y}};
}

bool SoosorvTakesBlack() {
  Tessel_BeginCandidateCommand();
  return OtherColourBetter(SearchPosition(1).value);
}

// White's best fourth stone with half of the time; then black's best fifth
// moves: with N offers white chooses the worst for black, so the position is
// worth the N-th best to black, and N is the count that brings it nearest 0.
FourthMove SoosorvFourthMove() {
  Tessel_BeginCandidateCommand();
  const RankedMove white = SearchPosition(0.5);
  const Square fourth{white.x, white.y};
  Put(fourth);
  const std::vector<RankedMove> fifths = BlackFifthMoves(kMaxOffers, 1);
  TakeBack(fourth);
  int offers = 1;
  for (int n = 1; n <= static_cast<int>(fifths.size()); ++n) {
    if (std::abs(fifths[n - 1].value) < std::abs(fifths[offers - 1].value)) offers = n;
  }
  return {fourth, offers};
}

bool SoosorvTakesWhite(int offers) {
  Tessel_BeginCandidateCommand();
  const std::vector<RankedMove> fifths = BlackFifthMoves(offers, 1);
  return !fifths.empty() &&
         OtherColourBetter(fifths[std::min<size_t>(offers, fifths.size()) - 1].value);
}

// The best moves first; when the search finds fewer than asked, the empty
// squares nearest the centre that are not the same as one already offered.
std::vector<Square> SoosorvOffers(int offers) {
  Tessel_BeginCandidateCommand();
  std::vector<Square> chosen;
  std::vector<Square> taken;
  const CandidateRequest twins = SymmetricTwins();
  const auto offer = [&](Square s) {
    if (std::find(taken.begin(), taken.end(), s) != taken.end()) return;
    if (Tessel_GetSymbol(s.x, s.y) != kEmpty || Tessel_IsForbidden(s.x, s.y)) return;
    chosen.push_back(s);
    for (Square twin : twins.twins(s)) taken.push_back(twin);
  };
  for (const RankedMove& m : BlackFifthMoves(offers, 1)) offer({m.x, m.y});
  const Square centre = CentreSquare();
  for (int16_t reach = 0; static_cast<int>(chosen.size()) < offers && reach < kBoardSide; ++reach) {
    for (int16_t y = 0; y < Tessel_GetBoardHeight(); ++y) {
      for (int16_t x = 0; x < Tessel_GetBoardWidth() && static_cast<int>(chosen.size()) < offers;
           ++x) {
        if (std::max(std::abs(x - centre.x), std::abs(y - centre.y)) == reach) offer({x, y});
      }
    }
  }
  return chosen;
}

// Each offer in turn gets an equal part of the time.
std::vector<Square> SoosorvChooseFifth(const std::vector<Square>& offers) {
  Tessel_BeginCandidateCommand();
  std::vector<Square> legal;
  for (const Square& s : offers) {
    if (Tessel_GetSymbol(s.x, s.y) == kEmpty) legal.push_back(s);
  }
  std::vector<Square> best;
  int bestValue = 0;
  for (size_t k = 0; k < legal.size(); ++k) {
    Put(legal[k]);
    const int value =
        SearchPosition(static_cast<double>(k + 1) / static_cast<double>(legal.size())).value;
    TakeBack(legal[k]);
    if (best.empty() || value > bestValue) {
      best = {legal[k]};
      bestValue = value;
    }
  }
  return best;
}
