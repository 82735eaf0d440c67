// Position blocks (BOARD and YXBOARD): the stones listed up to DONE, put on
// a new game's board in the colours their third numbers name.
#include "protocol/position.h"

#include "engine/tessel.h"
#include "protocol/lineinput.h"
#include "protocol/output.h"
#include "protocol/parse.h"

uint8_t started = 0;

namespace {

// Third numbers of a position line: the engine's stone, its opponent's, and a
// square owned by nobody (a stone of a line completed earlier in a continuous
// game), which blocks lines for both.
constexpr int16_t kOwnStone = 1;
constexpr int16_t kOpponentStone = 2;
constexpr int16_t kNobodysStone = 3;

// The stones of a BOARD block, in the order listed; a line on a square off
// the board or already listed is skipped.
class PositionLines {
 public:
  void Add(int16_t x, int16_t y, int16_t owner) {
    if (Tessel_GetSymbol(x, y) == kBorder || listed_[y][x]) return;
    listed_[y][x] = true;
    lines_[count_++] = {x, y, owner};
  }

  // Squares owned by nobody are blocked first; the other third numbers name
  // the owners, 1 the engine and 2 its opponent, and the engine moves next.
  void Put() const {
    int16_t owned[4] = {};  // [0]: numbers other than 1, 2 and 3
    for (int16_t k = 0; k < count_; ++k) {
      const int16_t owner = lines_[k].owner;
      ++owned[owner >= kOwnStone && owner <= kNobodysStone ? owner : 0];
      if (owner == kNobodysStone) Tessel_BlockSquare(lines_[k].x, lines_[k].y);
    }
    const int16_t own = owned[kOwnStone], opponent = owned[kOpponentStone];
    if (owned[0] == 0 && owned[kNobodysStone] != 0) return PutContinuedGame();
    if (owned[0] == 0 && (opponent == own || opponent == own + 1)) return PutInTurns(own, opponent);
    PutAlternately();
  }

 private:
  // A continuous game: the squares owned by nobody are the stones of lines
  // completed earlier, and of fouls, which were played and keep their turns.
  // So black is to move exactly when all the stones together are even in
  // number, and the owned stones take the colours their numbers name however
  // many each side has left.
  void PutContinuedGame() const {
    const int16_t engine = count_ % 2 == 0 ? kPlayer1 : kPlayer2;
    for (int16_t k = 0; k < count_; ++k) {
      const Line& line = lines_[k];
      if (line.owner == kNobodysStone) continue;
      Tessel_PutStone(line.x, line.y,
                      line.owner == kOwnStone ? engine : static_cast<int16_t>(3 - engine));
    }
    Tessel_SetSideToMove(engine);
  }

  // When a game can reach the position (as many stones of each, or one more
  // of the opponent's) the stones take the colours they name, put
  // alternately in their listed order.
  void PutInTurns(int16_t own, int16_t opponent) const {
    int16_t next[3] = {0, 0, 0};  // per owner, the next of its lines to put
    int16_t mover = own == opponent ? kOwnStone : kOpponentStone;
    for (int16_t k = 0; k < own + opponent; ++k, mover = static_cast<int16_t>(3 - mover)) {
      while (lines_[next[mover]].owner != mover) ++next[mover];
      const Line& line = lines_[next[mover]++];
      Tessel_PutSymbol(line.x, line.y);
    }
  }

  // Otherwise the stones alternate in colour in the order listed.
  void PutAlternately() const {
    for (int16_t k = 0; k < count_; ++k) {
      if (lines_[k].owner != kNobodysStone) Tessel_PutSymbol(lines_[k].x, lines_[k].y);
    }
  }

  struct Line {
    int16_t x, y, owner;
  };
  Line lines_[kPlayableSquares];
  int16_t count_ = 0;
  bool listed_[kBoardSide][kBoardSide] = {};
};

}  // namespace

// A line that is neither a position nor DONE ends the block with the
// parameter error and keeps the stones listed before it.
bool ReadPosition() {
  Tessel_Initialize();
  PositionLines lines;
  while (GetLine()) {
    int16_t v[3];
    if (ParseSquare(cmd, v, 3, kNobodysStone)) {
      lines.Add(v[0], v[1], v[2]);
      continue;
    }
    lines.Put();
    if (ParseCommandParameter("DONE", cmd) != nullptr) return true;
    SendResponse(kParameterError);
    return false;
  }
  return false;
}

