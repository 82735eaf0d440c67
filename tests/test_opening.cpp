// The opening rules through the real executable: Gomocup's SWAP2BOARD in its
// three cases, and Yixin-Board's Swap2 and Soosorv-8 steps played through to
// the game as its source sends them, every stone judged by the referee.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/session.h"

namespace {

using Square = std::pair<int, int>;

constexpr int kSide = 15;
// Short moves keep the suite quick; the decisions below hold at any budget.
const std::string kSettings =
    "START 15\nINFO timeout_turn 300\nINFO timeout_match 100000\nINFO time_left 100000";

// "x,y x,y ...": the squares, or none unless every word is a move.
std::optional<Stones> ParseSquares(const std::string& text) {
  std::istringstream words(text);
  Stones squares;
  for (std::string word; words >> word;) {
    int x = 0, y = 0;
    if (!ParseMoveReply(word, &x, &y, kSide, kSide)) return std::nullopt;
    squares.emplace_back(x, y);
  }
  if (squares.empty() || text.find("  ") != std::string::npos) return std::nullopt;
  return squares;
}

// A step's list of stones, as Yixin-Board writes it after the command.
std::string List(const Stones& stones) {
  std::string lines = "\n";
  for (const auto& [x, y] : stones) lines += std::to_string(x) + "," + std::to_string(y) + "\n";
  return lines + "done";
}

// Plays the stones on the referee; each must be legal and leave the game on
// (no forbidden black stone under renju).
void ExpectPlayable(Referee& referee, const Stones& stones) {
  for (const auto& [x, y] : stones) {
    EXPECT_EQ(referee.Play(x, y), Referee::Outcome::kPlaying) << x << "," << y;
  }
}

// The engine holds a stone on each square: none is free to PLAY.
void ExpectHolds(Session& engine, const Stones& stones) {
  for (const auto& [x, y] : stones) {
    EXPECT_EQ(engine.Ask("PLAY " + std::to_string(x) + "," + std::to_string(y)),
              "ERROR square is occupied")
        << x << "," << y;
  }
}

// Swap2 positions whose searched value is far from even, or near it, at any
// budget, and the stones that the choice adds: none when it swaps, one when
// it stays and plays, two when it leaves the choice to the other side.
struct Opening {
  Stones stones;
  size_t added;
};
const Opening kOpenings[] = {
    // Three stones: black's two against a white stone in the corner.
    {{{7, 7}, {0, 0}, {8, 7}}, 0},
    // Black's stones in the corners, white's in the centre.
    {{{0, 0}, {7, 7}, {14, 14}}, 1},
    // White between black's two: near even.
    {{{7, 7}, {6, 6}, {8, 8}}, 2},
    // Five stones: black's open three.
    {{{7, 7}, {0, 0}, {8, 7}, {14, 14}, {9, 7}}, 0},
    // White's two in the centre against black's corners.
    {{{0, 0}, {7, 7}, {14, 14}, {7, 8}, {0, 14}}, 1},
};

// SWAP2BOARD answers SWAP or the stones it adds, legal under the rule: three,
// black, white and black, on an empty board under every rule, and on the
// openings above as their value says. Stones come as x,y lines, or x,y,z.
TEST(Swap2Board, AnswersFollowTheValueOfThePosition) {
  std::vector<std::pair<int, Opening>> cases;  // INFO rule, opening
  for (int rule : {0, 1, 4, 8, 9}) cases.push_back({rule, {{}, 3}});
  for (const Opening& opening : kOpenings) cases.push_back({0, opening});
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& [rule, opening] = cases[i];
    SCOPED_TRACE("rule " + std::to_string(rule) + List(opening.stones));
    Session engine;
    engine.Expect(kSettings + "\nINFO rule " + std::to_string(rule), {"OK"});
    std::string lines;
    for (const auto& [x, y] : opening.stones)
      lines += std::to_string(x) + "," + std::to_string(y) + (i % 2 == 0 ? ",0\n" : "\n");
    const std::string reply = engine.Ask("SWAP2BOARD\n" + lines + "DONE");
    Referee referee(kSide, kSide, RuleFromInfo(rule));
    ExpectPlayable(referee, opening.stones);
    if (opening.added == 0) {
      EXPECT_EQ(reply, "SWAP");
    } else {
      const std::optional<Stones> added = ParseSquares(reply);
      ASSERT_TRUE(added && added->size() == opening.added) << reply;
      ExpectPlayable(referee, *added);
    }
    engine.ExpectQuiet();
    ExpectHolds(engine, referee.stones());
  }
}

// After the opening the manager sends BOARD: the same process answers it as
// a new one does, whatever the opening step before (depth-capped searches,
// so the answers do not depend on the clock).
TEST(Swap2Board, TheGameAfterTheOpeningIsAsANewProcessSeesIt) {
  const std::string settings = "START 15\nINFO timeout_turn 30000\nINFO max_depth 3";
  const std::string board = "BOARD\n7,7,2\n8,7,1\n9,9,2\n8,8,1\n8,6,2\nDONE";
  Session first;
  first.Expect(settings, {"OK"});
  const std::string fresh = first.Ask(board);
  for (const std::string step : {"SWAP2BOARD\nDONE", "SWAP2BOARD\n7,7\n6,6\n8,8\nDONE",
                                 "SWAP2BOARD\n7,7\n0,0\n8,7\n14,14\n9,7\nDONE"}) {
    SCOPED_TRACE(step);
    Session engine;
    engine.Expect(settings, {"OK"});
    engine.Ask(step);
    EXPECT_EQ(engine.Ask(board), fresh);
    engine.ExpectQuiet();
  }
}

// ---------------------------------------------------------------------------
// Yixin-Board. Its board numbers squares in the order of its move lines, as
// Tessel reads them; its MESSAGE lines give the two numbers apart.

// "MESSAGE <prefix> a b [n]": the numbers; none unless the line is one.
std::vector<int> MessageNumbers(const std::string& line, const std::string& prefix) {
  const std::string head = "MESSAGE " + prefix + " ";
  std::istringstream rest(line.starts_with(head) ? line.substr(head.size()) : "-");
  std::vector<int> numbers;
  for (int n; rest >> n;) numbers.push_back(n);
  return rest.eof() ? numbers : std::vector<int>{};
}

Square MessageSquare(const std::string& line, const std::string& prefix) {
  const std::vector<int> n = MessageNumbers(line, prefix);
  EXPECT_EQ(n.size(), 2u) << line;
  return n.size() == 2 ? Square{n[0], n[1]} : Square{-1, -1};
}

// The board's own lines: its position blocks (1 on the stones of the side to
// move), its step lists, and the human's clicks, with the referee judging
// every stone that goes on the board.
class YixinBoard : public Session {
 public:
  explicit YixinBoard(int infoRule)
      : referee_(kSide, kSide, infoRule == 2 ? Referee::Rule::kRenju : Referee::Rule::kExactFive) {
    Expect("yxshowinfo\nINFO rule " + std::to_string(infoRule) +
               "\nINFO timeout_turn 300\nINFO timeout_match 100000\nstart 15",
           {"OK"});
  }

  const Stones& stones() const { return stones_; }
  bool IsEmpty(const Square& s) const { return referee_.IsEmpty(s.first, s.second); }
  void Play(const Square& s) {
    EXPECT_EQ(referee_.Play(s.first, s.second), Referee::Outcome::kPlaying)
        << s.first << "," << s.second;
    stones_.push_back(s);
  }
  // A human stone: the first empty square from `near` outwards along the row.
  Square HumanStone(Square near) {
    while (!referee_.IsEmpty(near.first, near.second)) near.first = (near.first + 1) % kSide;
    Play(near);
    return near;
  }
  // start, board (or yxboard) and the stones, as its send_board writes them.
  std::string Block(bool think) const {
    return "INFO time_left 100000\nstart 15\n" + YxPosition(think ? "board" : "yxboard", stones_);
  }
  // The reply to the lines, past the OK of each new game (which the board
  // writes to its log).
  std::string Answer(const std::string& lines) {
    std::string line = Ask(lines);
    while (line == "OK") line = Next();
    return line;
  }
  // The engine's move after a board block or a turn: legal, and played.
  void ExpectMove(const std::string& request) {
    const std::string reply = Answer(request);
    const std::optional<Stones> move = ParseSquares(reply);
    ASSERT_TRUE(move && move->size() == 1) << reply;
    Play(move->front());
    ExpectQuiet();
  }
  // The engine holds every stone of the game.
  void ExpectHoldsTheGame() { ExpectHolds(*this, stones_); }
  // Tessel opens: the step's MOVE1..3 messages, played.
  void ExpectOpening(const std::string& step, const std::string& prefix) {
    Send(step);
    for (int k = 1; k <= 3; ++k) Play(MessageSquare(Next(), prefix + " MOVE" + std::to_string(k)));
    ExpectQuiet();
    ExpectHoldsTheGame();
  }

 private:
  Referee referee_;
  Stones stones_;
};

// yxswap2step1 when Tessel plays black: MOVE1..3, then the human stays white
// and plays the fourth, or swaps and leaves the fourth to Tessel.
TEST(YixinSwap2, TesselOpensThenTheHumanChooses) {
  for (const bool humanSwaps : {false, true}) {
    SCOPED_TRACE(humanSwaps);
    YixinBoard board(1);
    board.ExpectOpening("yxswap2step1", "SWAP2");
    if (!humanSwaps) board.HumanStone({6, 6});
    board.ExpectMove(board.Block(true));
  }
}

// Tessel white chooses after the human's stones of the openings above, each
// answer forced by the position: yxswap2step2 after three (SWAP1 YES, NO, or
// MOVE4 and MOVE5), yxswap2step3 after five (SWAP2 YES or NO); then the game
// as the board goes on.
TEST(YixinSwap2, TesselChoosesThenTheGameGoesOn) {
  for (const Opening& opening : kOpenings) {
    SCOPED_TRACE(List(opening.stones));
    YixinBoard board(1);
    for (const Square& s : opening.stones) board.Play(s);
    const bool three = opening.stones.size() == 3;
    const std::string reply =
        board.Answer(board.Block(false) + (three ? "\nyxswap2step2" : "\nyxswap2step3"));
    if (opening.added == 2) {
      board.Play(MessageSquare(reply, "SWAP2 MOVE4"));
      board.Play(MessageSquare(board.Next(), "SWAP2 MOVE5"));
    } else {
      EXPECT_EQ(reply, std::string("MESSAGE SWAP2 ") + (three ? "SWAP1 " : "SWAP2 ") +
                           (opening.added == 0 ? "YES" : "NO"));
    }
    board.ExpectQuiet();
    board.ExpectHoldsTheGame();
    if (reply.ends_with("NO")) {
      board.ExpectMove(board.Block(true));  // Tessel white: its move
    } else if (board.stones().size() == 3) {
      board.HumanStone({5, 5});  // Tessel black: the human's fourth
      board.ExpectMove(board.Block(true));
    } else {
      // Tessel black: the human's sixth comes as a turn, on the position
      // loaded, answered by Tessel's seventh on the game the board has.
      const Square sixth = board.HumanStone({5, 5});
      board.ExpectMove("INFO time_left 100000\nturn " + std::to_string(sixth.first) + "," +
                       std::to_string(sixth.second));
      board.ExpectHoldsTheGame();
    }
  }
}

// The squares of the board that map the position onto itself under the
// eight symmetries of the square: the images of a square.
std::set<Square> Images(const Referee& referee, const Square& s) {
  const auto map = [](int k, int x, int y) {
    const int n = kSide - 1;
    const int a = k & 1 ? n - x : x, b = k & 2 ? n - y : y;
    return k & 4 ? Square{b, a} : Square{a, b};
  };
  std::set<Square> images;
  for (int k = 0; k < 8; ++k) {
    bool keeps = true;
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) {
        const auto [ix, iy] = map(k, x, y);
        keeps = keeps && referee.cells()[y][x] == referee.cells()[iy][ix];
      }
    }
    if (keeps) images.insert(map(k, s.first, s.second));
  }
  return images;
}

// The 26 openings: black on the centre, white on a neighbour, black within
// two squares of the centre.
void ExpectSoosorvOpening(const Stones& s) {
  ASSERT_EQ(s.size(), 3u);
  const int c = kSide / 2;
  EXPECT_EQ(s[0], (Square{c, c}));
  EXPECT_LE(std::max(std::abs(s[1].first - c), std::abs(s[1].second - c)), 1);
  EXPECT_LE(std::max(std::abs(s[2].first - c), std::abs(s[2].second - c)), 2);
}

// Step 5: REFRESH, N offers, DONE; each offer legal for black and none the
// same as another by the position's symmetry.
Stones ReadOffers(YixinBoard& board, int n) {
  EXPECT_EQ(board.Next(), "MESSAGE SOOSORV MOVE5 REFRESH");
  Stones offers;
  Referee referee(kSide, kSide, Referee::Rule::kRenju);
  ExpectPlayable(referee, board.stones());
  std::set<Square> taken;
  for (int k = 0; k < n; ++k) {
    const Square s = MessageSquare(board.Next(), "SOOSORV MOVE5");
    EXPECT_TRUE(referee.IsEmpty(s.first, s.second) && !referee.IsForbidden(s.first, s.second));
    EXPECT_EQ(taken.count(s), 0u) << s.first << "," << s.second << " repeats an offer";
    for (const Square& image : Images(referee, s)) taken.insert(image);
    offers.push_back(s);
  }
  EXPECT_EQ(board.Next(), "MESSAGE SOOSORV MOVE5 DONE");
  board.ExpectQuiet();
  return offers;
}

// After four stones, with N offers: either the human offers (step 6, Tessel
// chooses) or Tessel offers (step 5, the human chooses); then the game.
void FinishSoosorv(YixinBoard& board, int n, bool tesselOffers) {
  const Stones four = board.stones();
  if (tesselOffers) {
    const Stones offers = ReadOffers(board, n);
    board.Play(offers.back());  // the human's choice
    board.HumanStone({3, 3});   // and white's sixth
    board.ExpectMove(board.Block(true));
    return;
  }
  Stones offers;
  for (const Square& s : {Square{4, 4}, Square{10, 4}, Square{4, 10}, Square{10, 10}, Square{3, 7},
                          Square{11, 7}, Square{7, 3}, Square{7, 11}}) {
    if (static_cast<int>(offers.size()) < n && board.IsEmpty(s)) offers.push_back(s);
  }
  Stones all = four;
  all.insert(all.end(), offers.begin(), offers.end());
  const std::string chosen = board.Answer("yxsoosorvstep6" + List(all));
  const Square fifth = MessageSquare(chosen, "SOOSORV MOVE5C");
  EXPECT_NE(std::find(offers.begin(), offers.end(), fifth), offers.end()) << chosen;
  board.ExpectQuiet();
  board.Play(fifth);
  board.ExpectHoldsTheGame();
  board.ExpectMove(board.Block(true));  // Tessel white: the sixth
}

// yxsoosorvstep1 when Tessel plays black; the human swaps, Tessel white plays
// the fourth and N (step 3), then the human swaps back (Tessel offers, step
// 5) or stays black (the human offers, step 6).
TEST(YixinSoosorv, TesselOpensThenBothBranchesAfterItsFourth) {
  for (const bool humanSwapsBack : {false, true}) {
    SCOPED_TRACE(humanSwapsBack);
    YixinBoard board(2);
    board.ExpectOpening("yxsoosorvstep1", "SOOSORV");
    ExpectSoosorvOpening(board.stones());
    const std::string reply = board.Answer("yxsoosorvstep3" + List(board.stones()));
    const std::vector<int> n = MessageNumbers(reply, "SOOSORV MOVE4");
    ASSERT_EQ(n.size(), 3u) << reply;
    EXPECT_TRUE(n[2] >= 1 && n[2] <= 8) << reply;
    board.Play({n[0], n[1]});
    board.ExpectQuiet();
    board.ExpectHoldsTheGame();
    if (humanSwapsBack) {
      board.Send("yxsoosorvstep5 " + std::to_string(n[2]) + List(board.stones()));
    }
    FinishSoosorv(board, n[2], humanSwapsBack);
  }
}

// Offers on a position symmetric about the column of its stones: no two of
// the eight are mirror images.
TEST(YixinSoosorv, OffersDifferBySymmetry) {
  YixinBoard board(2);
  for (const Square& s : {Square{7, 7}, Square{7, 6}, Square{7, 9}, Square{7, 5}}) board.Play(s);
  board.Send("yxsoosorvstep5 8" + List(board.stones()));
  EXPECT_EQ(ReadOffers(board, 8).size(), 8u);
}

}  // namespace
