#include "movegen/movegenerator.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <initializer_list>

#include "evaluation/evaluate.h"
#include "evaluation/forbidden.h"
#include "ordering/sort.h"
#include "movegen/historytable.h"

MoveBuffer moveBuffer[kMaxPly];
int16_t nbMoveBuffers = 1;
MoveBuffer* pMoveBuffer = moveBuffer;
MoveBuffer resultMoveBuffer;
int16_t vctMove = 0;
int16_t vctCauseSquareP1 = 0;
int16_t vctCauseSquareP2 = 0;
int16_t nbForbiddenAnswers = 0;
int64_t nbExaminedMoves = 0;
int32_t nbMoveGenerations = 0;

namespace {

// qsort comparator: descending order of the squares' history counts.
int ByHistoryHits(const void* a, const void* b) {
  const int32_t hitsA = hitCounter[static_cast<const MoveRecord*>(a)->squareIndex];
  const int32_t hitsB = hitCounter[static_cast<const MoveRecord*>(b)->squareIndex];
  if (hitsA > hitsB) return -1;
  if (hitsA < hitsB) return 1;
  return 0;
}

}  // namespace

void SortMoves(MoveBuffer* buffer) {
  if (useHistoryTable == 0) return;
  std::qsort(buffer->moves, static_cast<size_t>(buffer->count), sizeof(MoveRecord), ByHistoryHits);
}

namespace {

// Root moves left out of the searches: a set of squares with its size, so
// that the root filter costs nothing while both sets are empty.
class RootSquares {
 public:
  void Add(int16_t squareIndex) {
    if (member_[squareIndex]) return;
    member_[squareIndex] = true;
    ++count_;
  }
  void Remove(int16_t squareIndex) {
    if (!member_[squareIndex]) return;
    member_[squareIndex] = false;
    --count_;
  }
  void Clear() {
    std::fill(std::begin(member_), std::end(member_), false);
    count_ = 0;
  }
  bool Contains(int16_t squareIndex) const { return member_[squareIndex]; }
  bool Empty() const { return count_ == 0; }

 private:
  bool member_[kBoardCells] = {};
  int16_t count_ = 0;
};

// The moves found so far by a candidate search, and the squares a board
// program barred.
RootSquares excludedRootMoves;
RootSquares barredRootMoves;

// A quiet node searches the candidates of the first batches that give more
// than five: enough to find the good quiet moves, few enough to keep the
// tree narrow (the search's depth comes from this width).
constexpr int16_t kTooManyCandidates = 5;

// The central band of one side of the board: about half of it, centred, so
// 5..14 on a side of 20 and 1..3 on a side of 5.
struct CentralBand {
  int16_t start;
  int16_t size;
};
CentralBand CentralBandOf(int16_t side) {
  int16_t size = static_cast<int16_t>(side / 2);
  if ((side - size) % 2 != 0) ++size;  // equal margins on both sides
  return {static_cast<int16_t>((side - size) / 2), size};
}

int16_t RandomIn(CentralBand band) {
  return static_cast<int16_t>(std::rand() % band.size + band.start);
}

bool BlackUnderRenju() { return ruleInForce == Rule::kRenju && whoIsOnMove == kPlayer1; }

// A square the side to move may take: empty and, for black under renju, not
// forbidden.
bool Allowed(int16_t index) {
  return square[index].symbol == kEmpty && !(BlackUnderRenju() && IsForbidden(index));
}

// A square for a first stone: allowed, and not left out of the root (the
// board is empty only at the root).
bool Answerable(int16_t index) { return Allowed(index) && !IsRootMoveLeftOut(index); }

// Board squares nearest the centre first, ties by square index: the fallback
// when the random central square is not answerable.
int16_t NearestEmptyToCentre() {
  int16_t best = -1;
  int bestDistance = 0;
  for (int16_t y = 0; y < boardHeight; ++y) {
    for (int16_t x = 0; x < boardWidth; ++x) {
      int16_t index = 0;
      ConvertXY_Offset_2_Index(x, y, index);
      if (!Answerable(index)) continue;
      const int dx = 2 * x - (boardWidth - 1);
      const int dy = 2 * y - (boardHeight - 1);
      const int distance = dx * dx + dy * dy;
      if (best < 0 || distance < bestDistance) {
        best = index;
        bestDistance = distance;
      }
    }
  }
  return best;
}

int16_t Opponent(int16_t player) { return static_cast<int16_t>(3 - player); }


void BeginGeneration(int16_t isVct, int16_t causeP1, int16_t causeP2) {
  ++nbMoveGenerations;
  pMoveBuffer->count = 0;
  vctMove = isVct;
  vctCauseSquareP1 = causeP1;
  vctCauseSquareP2 = causeP2;
}

// TakeMoveCategory under renju, out of line so that the other rules' loop
// stays as it was. Black's forbidden squares are no moves: black does not
// play them (those that would have answered the opponent are counted), and
// white need not fear black's fours there.
[[gnu::noinline]] int16_t TakeUnderRenju(const CategoryList& list, int16_t threshold,
                                         int16_t category, int16_t own) {
  const bool black = whoIsOnMove == kPlayer1;
  const bool screen = black || (own == 0 && category <= kFourCategory);
  int16_t taken = 0;
  for (const SquareNode* node = list.first; node != nullptr; node = node->next) {
    if (node->raisedAt < threshold) continue;
    if (screen && IsForbidden(node->squareIndex)) {
      nbForbiddenAnswers = static_cast<int16_t>(nbForbiddenAnswers + (black && own == 0));
      continue;
    }
    InsertToMoveBuffer(node->squareIndex, own);
    ++taken;
  }
  return taken;
}

// TakeMoveCategory under renju (kRenju) or any other rule. The generators
// are written once on this and instantiated for both, so that the others'
// generation reads the rule once and not at every list.
template <bool kRenju>
int16_t Take(int16_t category, int16_t own) {
  const bool player1List = (own != 0) == (whoIsOnMove == kPlayer1);
  const CategoryList& list = moveCategory[player1List ? 0 : 1][category];
  const int16_t threshold = player1List ? vctCauseSquareP1 : vctCauseSquareP2;
  if constexpr (kRenju) return TakeUnderRenju(list, threshold, category, own);
  int16_t taken = 0;
  for (const SquareNode* node = list.first; node != nullptr; node = node->next) {
    if (node->raisedAt < threshold) continue;
    InsertToMoveBuffer(node->squareIndex, own);
    ++taken;
  }
  return taken;
}

// Take own k / take opponent's k.
template <bool kRenju>
int16_t TakeOwn(int16_t category) {
  return Take<kRenju>(category, 1);
}
template <bool kRenju>
int16_t TakeOpponent(int16_t category) {
  return Take<kRenju>(category, 0);
}

// Under renju, whether the generation left out every answer as forbidden.
template <bool kRenju>
bool NoAnswer() {
  if constexpr (kRenju) return NoAnswerLeft();
  return false;
}

bool MoreThanFew() { return pMoveBuffer->count > kTooManyCandidates; }

// Quiet candidates of the main generator, taken in batches until more than
// five are found. For both sides three twos at once come before a split
// three, out of numeric order: an order that the design fixes, and the bench
// signature with it. Leaves the buffer sorted.
template <bool kRenju>
void TakeQuietMoves() {
  for (int16_t c : {kFourThreeCategory, kFourTwoCategory, kFourCategory}) TakeOpponent<kRenju>(c);
  for (int16_t c : {kDoubleThreeCategory, kThreeTwoCategory, kThreeCategory, kTripleTwoCategory,
                    kSplitThreeCategory, kDoubleTwoCategory})
    TakeOwn<kRenju>(c);
  for (int16_t c : {kDoubleThreeCategory, kThreeTwoCategory, kThreeCategory, kTripleTwoCategory})
    TakeOpponent<kRenju>(c);
  if (MoreThanFew()) return SortMoves(pMoveBuffer);
  TakeOpponent<kRenju>(kSplitThreeCategory);
  TakeOpponent<kRenju>(kDoubleTwoCategory);
  if (MoreThanFew()) return SortMoves(pMoveBuffer);
  for (int16_t c : {kTwoCategory, kSplitTwoCategory, kFarTwoCategory}) {
    TakeOwn<kRenju>(c);
    if (MoreThanFew()) return SortMoves(pMoveBuffer);
  }
  for (int16_t c : {kTwoCategory, kSplitTwoCategory}) {
    TakeOpponent<kRenju>(c);
    if (MoreThanFew()) return SortMoves(pMoveBuffer);
  }
  TakeOpponent<kRenju>(kFarTwoCategory);
  if (pMoveBuffer->count == 0) TakeRandomSquares();
  SortMoves(pMoveBuffer);
}

}  // namespace

void InitializeMoveGenerator() {
  pMoveBuffer = moveBuffer;
  nbMoveBuffers = 1;
  moveBuffer[0].count = 0;
  nbForbiddenAnswers = 0;  // only renju's generations count, and reset, them
  std::memset(moveBuffer[0].bestLine, 0, sizeof moveBuffer[0].bestLine);
  std::memset(&resultMoveBuffer, 0, sizeof resultMoveBuffer);
}

void GetMoveBuffer() {
  pMoveBuffer = moveBuffer + nbMoveBuffers;
  ++nbMoveBuffers;
}

void ReleaseMoveBuffer() {
  --nbMoveBuffers;
  pMoveBuffer = moveBuffer + (nbMoveBuffers - 1);
}

void InsertToMoveBuffer(int16_t squareIndex, int16_t attacking) {
  MoveBuffer& b = *pMoveBuffer;
  if (b.count >= kMaxMovesPerBuffer) return;
  b.moves[b.count] = MoveRecord{whoIsOnMove, squareIndex, 0, attacking, vctMove, 0, 0};
  ++b.count;
}

void SetValue(int16_t value) {
  for (int16_t i = 0; i < pMoveBuffer->count; ++i) pMoveBuffer->moves[i].value = value;
}

int16_t TakeMoveCategory(int16_t category, int16_t own) {
  return ruleInForce == Rule::kRenju ? Take<true>(category, own) : Take<false>(category, own);
}

void TakeRandomSquares() {
  // Renju opens on the centre: black's first stone goes there.
  if (ruleInForce == Rule::kRenju && nbSymbolsPlaced == 0) {
    const int16_t centre = NearestEmptyToCentre();
    if (centre >= 0) InsertToMoveBuffer(centre, 0);
    return;
  }
  const int16_t x = RandomIn(CentralBandOf(boardWidth));
  const int16_t y = RandomIn(CentralBandOf(boardHeight));
  int16_t index = 0;
  ConvertXY_Offset_2_Index(x, y, index);
  // Only a non-empty board can have the drawn square taken (or forbidden),
  // and a board program may have barred it; never propose it.
  if (!Answerable(index)) index = NearestEmptyToCentre();
  if (index >= 0) InsertToMoveBuffer(index, 0);
}

void TakeLeastBadSquare() {
  // Lower is better: a square the side to move may take; one forbidden to
  // black, which loses the game; one left out of the root, which a board
  // program barred; one both.
  const auto badness = [](int16_t index) {
    return (IsRootMoveLeftOut(index) ? 2 : 0) + (Allowed(index) ? 0 : 1);
  };
  const CategoryList* lists = moveCategory[whoIsOnMove - 1];
  int16_t leastBad = -1;
  int leastBadness = 0;
  for (int16_t c = 0; c < kOccupiedCategory; ++c) {
    for (const SquareNode* node = lists[c].first; node != nullptr; node = node->next) {
      const int b = badness(node->squareIndex);
      if (leastBad >= 0 && b >= leastBadness) continue;
      leastBad = node->squareIndex;
      leastBadness = b;
      if (b == 0) return InsertToMoveBuffer(leastBad, 0);
    }
  }
  if (leastBad >= 0) InsertToMoveBuffer(leastBad, 0);
}

bool NoAnswerLeft() { return nbForbiddenAnswers > 0; }

void ExcludeRootMove(int16_t squareIndex) { excludedRootMoves.Add(squareIndex); }

void ClearExcludedRootMoves() { excludedRootMoves.Clear(); }

void BarRootMove(int16_t squareIndex) { barredRootMoves.Add(squareIndex); }

void UnbarRootMove(int16_t squareIndex) { barredRootMoves.Remove(squareIndex); }

void ClearBarredRootMoves() { barredRootMoves.Clear(); }

bool IsRootMoveBarred(int16_t squareIndex) { return barredRootMoves.Contains(squareIndex); }

bool AnyRootMoveExcluded() { return !excludedRootMoves.Empty(); }

bool AnyRootMoveBarred() { return !barredRootMoves.Empty(); }

bool IsRootMoveLeftOut(int16_t squareIndex) {
  return excludedRootMoves.Contains(squareIndex) || barredRootMoves.Contains(squareIndex);
}

void FilterRootMoves() {
  if (excludedRootMoves.Empty() && barredRootMoves.Empty()) return;
  MoveBuffer& b = *pMoveBuffer;
  int16_t kept = 0;
  for (int16_t i = 0; i < b.count; ++i) {
    if (!IsRootMoveLeftOut(b.moves[i].squareIndex)) b.moves[kept++] = b.moves[i];
  }
  b.count = kept;
}


MoveRecord* GetFirstMove() {
  MoveBuffer& b = *pMoveBuffer;
  if (b.count == 0) {
    b.current = -1;
    return nullptr;
  }
  b.current = 0;
  return &b.moves[0];
}

MoveRecord* GetNextMove() {
  MoveBuffer& b = *pMoveBuffer;
  ++b.current;
  return b.current < b.count ? &b.moves[b.current] : nullptr;
}

void MakeMove() {
  MoveRecord& m = pMoveBuffer->moves[pMoveBuffer->current];
  m.nbExaminedBefore = nbExaminedMoves;
  PutSymbol(m.squareIndex);
  ++nbExaminedMoves;
  GetMoveBuffer();
  whoIsOnMove = Opponent(whoIsOnMove);
}

void UnmakeMove() {
  ReleaseMoveBuffer();
  RemoveSymbol();
  whoIsOnMove = Opponent(whoIsOnMove);
  pMoveBuffer->moves[pMoveBuffer->current].nbExaminedAfter = nbExaminedMoves;
}

void UpdateBestLine(int16_t ply, const MoveRecord* move) {
  pMoveBuffer->bestLine[ply] = *move;
  pMoveBuffer->bestLineLength = 1;
}

void UpdateCauseSquare(int16_t attacking, int16_t causeP1, int16_t causeP2, int16_t* newCauseP1,
                       int16_t* newCauseP2) {
  *newCauseP1 = causeP1;
  *newCauseP2 = causeP2;
  if (attacking == 0) return;
  // Called after MakeMove: whoIsOnMove already names the mover's opponent.
  if (whoIsOnMove == kPlayer2) {
    *newCauseP1 = nbSymbolsPlaced;
  } else {
    *newCauseP2 = nbSymbolsPlaced;
  }
}

namespace {

template <bool kRenju>
void Generate() {
  BeginGeneration(0, 0, 0);
  if constexpr (kRenju) nbForbiddenAnswers = 0;
  if (TakeOwn<kRenju>(kFiveCategory) > 0) return SetValue(kWinScore);
  // Under renju black may find every block forbidden: no moves, and lost.
  if (TakeOpponent<kRenju>(kFiveCategory) > 0 || NoAnswer<kRenju>()) return;
  if (TakeOwn<kRenju>(kDoubleFourCategory) > 0) return;
  if (TakeOwn<kRenju>(kOpenFourCategory) > 0) return;
  TakeOwn<kRenju>(kFourThreeCategory);
  if (pMoveBuffer->count > 0) return SortMoves(pMoveBuffer);
  TakeOwn<kRenju>(kFourTwoCategory);
  TakeOwn<kRenju>(kFourCategory);
  const int16_t ownFours = pMoveBuffer->count;
  TakeOpponent<kRenju>(kDoubleFourCategory);
  TakeOpponent<kRenju>(kOpenFourCategory);
  if (pMoveBuffer->count != ownFours || NoAnswer<kRenju>()) {
    // The opponent threatens a double four or an open four: only fours help.
    for (int16_t c : {kFourThreeCategory, kFourTwoCategory, kFourCategory})
      TakeOpponent<kRenju>(c);
    return;
  }
  TakeQuietMoves<kRenju>();
}

template <bool kRenju>
void VctGenerate(int16_t attacker, int16_t causeP1, int16_t causeP2, int16_t narrow) {
  BeginGeneration(1, causeP1, causeP2);
  if constexpr (kRenju) nbForbiddenAnswers = 0;
  const bool attackerToMove = whoIsOnMove == attacker;
  if (TakeOwn<kRenju>(kFiveCategory) > 0) return SetValue(kWinScore);
  if (TakeOpponent<kRenju>(kFiveCategory) > 0 || NoAnswer<kRenju>()) return;
  if (narrow != 0 && !attackerToMove) return;
  if (TakeOwn<kRenju>(kDoubleFourCategory) > 0) return;
  if (TakeOwn<kRenju>(kOpenFourCategory) > 0) return;
  for (int16_t c : {kFourThreeCategory, kFourTwoCategory, kFourCategory}) TakeOwn<kRenju>(c);
  if (narrow != 0) return;
  const int16_t ownFours = pMoveBuffer->count;
  for (int16_t c : {kDoubleFourCategory, kOpenFourCategory, kFourThreeCategory})
    TakeOpponent<kRenju>(c);
  if (pMoveBuffer->count != ownFours || NoAnswer<kRenju>()) {
    if (attackerToMove) {
      // Facing a strong threat the attacker may only go on with fours.
      pMoveBuffer->count = ownFours;
      return;
    }
    TakeOpponent<kRenju>(kFourTwoCategory);
    TakeOpponent<kRenju>(kFourCategory);
    return;
  }
  if (!attackerToMove) return;
  for (int16_t c : {kDoubleThreeCategory, kThreeTwoCategory, kThreeCategory, kSplitThreeCategory})
    TakeOwn<kRenju>(c);
}

}  // namespace

void GenerateMoves() {
  if (ruleInForce == Rule::kRenju) return Generate<true>();
  Generate<false>();
}

void VctGenerateMoves(int16_t attacker, int16_t causeP1, int16_t causeP2, int16_t narrow) {
  if (ruleInForce == Rule::kRenju) return VctGenerate<true>(attacker, causeP1, causeP2, narrow);
  VctGenerate<false>(attacker, causeP1, causeP2, narrow);
}
