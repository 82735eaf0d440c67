// Drives engines over the protocol exactly as game managers and board programs
// do, with a referee on every move.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/harness/engine_process.h"
#include "tools/harness/referee.h"

// "x,y": two decimal numbers on a board of that size, with no sign, blank,
// leading zero or anything else.
bool ParseMoveReply(std::string_view reply, int* x, int* y, int width = 20, int height = 20);
// The stones of p1 and p2 alternating from p1's; |p1| is |p2| or |p2| + 1.
Stones InPlayOrder(const Stones& p1, const Stones& p2);
// BOARD, one line per stone in play order, and DONE unless `done` is false. The
// third number is 1 on the stones of player `engine` and 2 on the others, as a
// manager tells that player, or `label` on every line when it is not 0.
std::string BoardBlock(const Stones& stones, int engine, int label = 0, bool done = true);
// One to four stones near the centre drawn from the game number (none for
// game 0), so that the games of a series differ.
Stones Opening(int game);

struct TimeControl {
  const char* name;
  int32_t turnMs;   // INFO timeout_turn
  int32_t matchMs;  // INFO timeout_match, 0 for none; time_left counts down from it
  // INFO max_depth and INFO max_node after the other settings, none when 0.
  int32_t maxDepth = 0;
  int64_t maxNodes = 0;
};

// One engine as a tournament manager runs it: ABOUT first, then START and the
// INFO settings for every game, in the same process game after game. Or, for
// a continuous game, as Piskvork runs it (see RequestMove).
class ManagedEngine {
 public:
  explicit ManagedEngine(const std::vector<std::string>& command = EngineCommand());

  // START and the settings of a new game, with the rule as Piskvork numbers
  // it in INFO rule (InfoRuleValue); false unless the engine takes them.
  // Piskvork's continuous game (`continuous`) sends nothing yet: Piskvork
  // starts the engine at its first move request, and sends no ABOUT.
  bool NewGame(int boardSide, const TimeControl& time,
               Referee::Rule rule = Referee::Rule::kFreestyle, bool continuous = false);
  // Asks for the move of `player` in the referee's position: INFO time_left,
  // then BEGIN on an empty board, a BOARD block (blocked squares with the
  // number 3) on its first move of a game on a non-empty board, and TURN with
  // the opponent's last move afterwards.
  // Lines that are not a move are skipped and kept, as managers skip them.
  // The reply, or nullopt when none comes within `deadlineMs`.
  // In a continuous game the requests are Piskvork's. When the engine must be
  // sent the whole board (at the start, and after ResendBoard): START, or
  // RESTART once the process has played, and its OK; INFO max_memory,
  // timeout_match, timeout_turn, game_type, rule and time_left; then BEGIN on
  // an empty board, TURN on a board of one stone, else a BOARD block of every
  // stone in play order, 1 its own, 2 the opponent's and 3 those taken off.
  // Otherwise INFO time_left and TURN. Only MESSAGE, DEBUG and empty lines
  // are skipped: any other line is the reply, as Piskvork reads it.
  std::optional<std::string> RequestMove(const Referee& referee, int player, int deadlineMs);
  // The board changed under the engine in a continuous game: its next request
  // sends the whole board.
  void ResendBoard() { mustSendBoard_ = true; }
  // Takes in the lines written since the last reply: MESSAGE, DEBUG and empty
  // lines are skipped, the others kept in unasked(). Done before every request
  // of a continuous game.
  void CollectUnasked();
  // END; true when the engine then exits with status 0.
  bool End();

  const std::string& about() const { return about_; }
  double lastReplyMs() const { return lastReplyMs_; }
  // The engine's per-move budget for the last request, by its own formula.
  int64_t lastBudgetMs() const { return lastBudgetMs_; }
  int32_t timeLeftMs() const { return timeLeft_; }
  const std::vector<std::string>& skipped() const { return skipped_; }
  const std::vector<std::string>& unasked() const { return unasked_; }

 private:
  // START, or RESTART once the process has played, then the settings if the
  // answer, passing over what Piskvork does, is OK: the answer, nullopt if none.
  std::optional<std::string> StartAsPiskvork();
  std::string SettingsLines() const;

  EngineProcess process_;
  std::string about_;
  TimeControl time_{"", 0, 0};
  int boardSide_ = 0;
  Referee::Rule rule_ = Referee::Rule::kFreestyle;
  int32_t timeLeft_ = 0;
  bool movedThisGame_ = false;
  bool continuous_ = false;
  bool started_ = false;        // START sent: a new game in Piskvork's way is RESTART
  bool mustSendBoard_ = false;  // continuous game: the next request sends the whole board
  double lastReplyMs_ = 0;
  int64_t lastBudgetMs_ = 0;
  std::vector<std::string> skipped_, unasked_;
};

struct GameResult {
  Referee referee;    // the final position
  std::string fault;  // the first fault, which ended the game; empty if none
  double worstReplyMs = 0;
  int64_t worstBudgetMs = 0;  // the budget of that reply
  int replies = 0;
};

// One game between engines[0] (player 1) and engines[1] (player 2) after the
// manager has placed the opening stones on a board with the `blocked` squares
// owned by nobody. It ends on a five, a full board or the first fault: a reply
// that is missing, late (over the turn limit or the time left, plus
// `toleranceMs`) or not a move, an illegal move, a forbidden move under renju
// (black's loss), a five missed or left open, or an ERROR line. The engines
// are told the rule, and the referee judges by it.
GameResult PlayGame(ManagedEngine* engines[2], const Stones& opening, int boardSide,
                    const TimeControl& time, int toleranceMs,
                    Referee::Rule rule = Referee::Rule::kFreestyle, const Stones& blocked = {});

struct ContinuousResult {
  Referee referee;  // the final position, completed lines and fouls taken off
  // Every fault in order; a fault that ends the game comes last.
  std::vector<std::string> faults;
  int lines = 0;  // winning lines completed and taken off
  int fouls = 0;  // forbidden moves taken off
  int replies = 0;
};

// Piskvork's continuous game (its INFO rule value with 2 added) between
// engines[0] (player 1) and engines[1] (player 2) after the opening stones: a
// completed winning line, and under renju a forbidden stone, is taken off
// (Referee::TakeOff) and the game goes on. The engine that played it gets the
// whole board at its next request, and so does the other after a line; after
// a foul the other gets TURN with the forbidden stone, as Piskvork sends. The
// game ends with Piskvork's draw, at 25 empty squares, or at `moveCap` stones.
// Every move is judged: a forbidden move and a five missed or left open are
// faults and the game goes on; a reply that is missing, late or not a move
// (an ERROR line is one), an illegal move and a line written unasked are
// faults that end it.
ContinuousResult PlayContinuousGame(ManagedEngine* engines[2], const Stones& opening, int boardSide,
                                    const TimeControl& time, int toleranceMs, Referee::Rule rule,
                                    int moveCap);

// An engine as a board program drives it for a human: positions loaded with
// BOARD, the human's moves with TURN, RESTART, and stones taken back.
class BoardProgram {
 public:
  // ABOUT, START boardSide and the settings lines; the referee judges by the
  // last INFO rule among them (RuleFromInfo), freestyle without one.
  BoardProgram(int boardSide, const std::vector<std::string>& settings);
  // A position in play order through BOARD, or the human's move through TURN:
  // the engine's reply, which, when it is a move, the referee plays too. A
  // human move that ends the game is not sent and has no reply.
  std::optional<std::string> Load(const Stones& stones);
  std::optional<std::string> Turn(int x, int y);
  // TAKEBACK of the last `n` stones, each answered OK.
  bool TakeBack(int n);
  bool Restart();
  const Referee& referee() const { return referee_; }
  // The referee's judgement of the last stone played: the game goes on, or ended.
  Referee::Outcome outcome() const { return outcome_; }
  // What was wrong with the engine's last move (Referee::Fault); empty if nothing.
  const std::string& fault() const { return fault_; }

 private:
  std::optional<std::string> Answer(const std::string& command);

  EngineProcess process_;
  int side_;
  Referee::Rule rule_ = Referee::Rule::kFreestyle;
  Referee referee_;
  Referee::Outcome outcome_ = Referee::Outcome::kPlaying;
  std::string fault_;
};
