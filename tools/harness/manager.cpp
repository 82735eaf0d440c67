#include "tools/harness/manager.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <stdexcept>

#include "search/timecontrol.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Coordinates(std::pair<int, int> s) {
  return std::to_string(s.first) + "," + std::to_string(s.second);
}

bool StartsWithNoCase(std::string_view line, std::string_view word) {
  return line.size() >= word.size() &&
         std::equal(word.begin(), word.end(), line.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

// The lines Piskvork passes over while it waits for an answer; the empty one
// is what it makes of the LF after a CR.
bool PiskvorkSkips(std::string_view line) {
  return line.empty() || StartsWithNoCase(line, "MESSAGE ") || StartsWithNoCase(line, "DEBUG ");
}

// BOARD, the squares blocked before the first stone, then the stones in play
// order, each numbered for `player`: 1 its own, 2 the opponent's, 3 taken
// off; and DONE.
std::string PositionBlock(const Referee& referee, int player) {
  std::string text = "BOARD\n";
  for (auto square : referee.blocked()) text += Coordinates(square) + ",3\n";
  for (size_t i = 0; i < referee.stones().size(); ++i) {
    const auto [x, y] = referee.stones()[i];
    const int owner = 1 + static_cast<int>(i % 2);
    const int number = referee.IsBlocked(x, y) ? Referee::kBlocked : owner == player ? 1 : 2;
    text += Coordinates({x, y}) + "," + std::to_string(number) + "\n";
  }
  return text + "DONE";
}

}  // namespace

bool ParseMoveReply(std::string_view reply, int* x, int* y, int width, int height) {
  int a = -1, b = -1;
  const char* end = reply.data() + reply.size();
  const char* comma = std::from_chars(reply.data(), end, a).ptr;
  if (comma != end) std::from_chars(comma + 1, end, b);
  // Only the canonical text: no sign, blank, leading zero or anything else.
  if (a < 0 || a >= width || b < 0 || b >= height || reply != Coordinates({a, b})) return false;
  *x = a;
  *y = b;
  return true;
}

Stones InPlayOrder(const Stones& p1, const Stones& p2) {
  if (p1.size() != p2.size() && p1.size() != p2.size() + 1)
    throw std::invalid_argument("InPlayOrder: stone counts do not alternate");
  Stones stones;
  for (size_t i = 0; i < p1.size() + p2.size(); ++i) stones.push_back((i % 2 ? p2 : p1)[i / 2]);
  return stones;
}

std::string BoardBlock(const Stones& stones, int engine, int label, bool done) {
  std::string text = "BOARD\n";
  for (size_t i = 0; i < stones.size(); ++i) {
    const int owner = 1 + static_cast<int>(i % 2);
    const int number = label != 0 ? label : owner == engine ? 1 : 2;
    text += Coordinates(stones[i]) + "," + std::to_string(number) + "\n";
  }
  return done ? text + "DONE\n" : text;
}

Stones Opening(int game) {
  uint32_t seed = 2654435761u * static_cast<uint32_t>(game);
  Referee board;
  const size_t stones = game == 0 ? 0 : 1 + game % 4;
  while (board.stones().size() < stones) {
    seed = seed * 1103515245u + 12345u;
    board.Play(6 + static_cast<int>(seed >> 16) % 8, 6 + static_cast<int>(seed >> 8) % 8);
  }
  return board.stones();
}

ManagedEngine::ManagedEngine(const std::vector<std::string>& command) : process_(command) {}

bool ManagedEngine::NewGame(int boardSide, const TimeControl& time, Referee::Rule rule,
                            bool continuous) {
  boardSide_ = boardSide;
  time_ = time;
  rule_ = rule;
  continuous_ = continuous;
  timeLeft_ = time.matchMs > 0 ? time.matchMs : INT32_MAX;
  movedThisGame_ = false;
  mustSendBoard_ = true;
  if (continuous) return true;
  if (about_.empty()) about_ = process_.Ask("ABOUT").value_or("");
  started_ = true;
  if (!process_.WriteLine("START " + std::to_string(boardSide))) return false;
  // A reply that came too late in the last game may still stand before the OK.
  std::optional<std::string> line;
  while ((line = process_.ReadLine()) && *line != "OK") skipped_.push_back(*line);
  return line && process_.WriteLine(SettingsLines());
}

// The settings of a game, without time_left: in Piskvork's order in a
// continuous game.
std::string ManagedEngine::SettingsLines() const {
  const std::string turn = "INFO timeout_turn " + std::to_string(time_.turnMs);
  const std::string match = "INFO timeout_match " + std::to_string(time_.matchMs);
  const std::string memory = "INFO max_memory 83886080";
  std::string lines =
      continuous_ ? memory + "\n" + match + "\n" + turn : turn + "\n" + match + "\n" + memory;
  lines += "\nINFO game_type 1\nINFO rule " + std::to_string(InfoRuleValue(rule_, continuous_));
  if (time_.maxDepth > 0) lines += "\nINFO max_depth " + std::to_string(time_.maxDepth);
  if (time_.maxNodes > 0) lines += "\nINFO max_node " + std::to_string(time_.maxNodes);
  return lines;
}

std::optional<std::string> ManagedEngine::StartAsPiskvork() {
  process_.WriteLine(started_ ? "RESTART" : "START " + std::to_string(boardSide_));
  started_ = true;
  std::optional<std::string> answer;
  while ((answer = process_.ReadLine()) && PiskvorkSkips(*answer)) skipped_.push_back(*answer);
  if (answer == "OK") process_.WriteLine(SettingsLines());
  return answer;
}

void ManagedEngine::CollectUnasked() {
  while (std::optional<std::string> line = process_.ReadLine(0))
    (PiskvorkSkips(*line) ? skipped_ : unasked_).push_back(*line);
}

std::optional<std::string> ManagedEngine::RequestMove(const Referee& referee, int player,
                                                      int deadlineMs) {
  const size_t stones = referee.stones().size();
  std::string request = stones == 0 ? "BEGIN" : "TURN " + Coordinates(referee.stones().back());
  if (continuous_) {
    CollectUnasked();
    if (mustSendBoard_) {
      const std::optional<std::string> answer = StartAsPiskvork();
      if (answer != "OK") return answer;  // Piskvork gives up on the engine here
      if (stones > 1) request = PositionBlock(referee, player);
      mustSendBoard_ = false;
    }
  } else if ((stones != 0 || !referee.blocked().empty()) && !movedThisGame_) {
    // Squares owned by nobody go first with the number 3, as in Piskvork's
    // continuous game; BEGIN could not tell them.
    request = PositionBlock(referee, player);
  }
  movedThisGame_ = true;
  lastBudgetMs_ = MoveBudget(time_.turnMs, timeLeft_);
  process_.WriteLine("INFO time_left " + std::to_string(timeLeft_));
  const auto sent = Clock::now();
  const auto msSinceSent = [&] {
    return std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
  };
  // Piskvork takes the first line it does not pass over as the reply; other
  // managers wait for a move.
  int x, y;
  const auto skips = [&](const std::string& line) {
    return continuous_ ? PiskvorkSkips(line)
                       : !ParseMoveReply(line, &x, &y, referee.width(), referee.height());
  };
  std::optional<std::string> move;
  if (process_.WriteLine(request)) {
    for (move = process_.ReadLine(deadlineMs); move && skips(*move);
         move = process_.ReadLine(std::max(0, deadlineMs - static_cast<int>(msSinceSent())))) {
      skipped_.push_back(*move);
    }
  }
  lastReplyMs_ = msSinceSent();
  if (time_.matchMs > 0) timeLeft_ = std::max(0, timeLeft_ - static_cast<int32_t>(lastReplyMs_));
  return move;
}

bool ManagedEngine::End() { return process_.WriteLine("END") && process_.Finish() == 0; }

GameResult PlayGame(ManagedEngine* engines[2], const Stones& opening, int boardSide,
                    const TimeControl& time, int toleranceMs, Referee::Rule rule,
                    const Stones& blocked) {
  GameResult result;
  result.referee = Referee(boardSide, boardSide, rule);
  Referee& referee = result.referee;
  for (auto [x, y] : blocked) referee.Block(x, y);
  for (auto [x, y] : opening) referee.Play(x, y);
  for (int i = 0; i < 2; ++i)
    if (!engines[i]->NewGame(boardSide, time, rule))
      result.fault = "engine " + std::to_string(i + 1) + " did not start the game";
  for (auto end = Referee::Outcome::kPlaying;
       end == Referee::Outcome::kPlaying && result.fault.empty();) {
    const int player = referee.toMove();
    ManagedEngine& engine = *engines[player - 1];
    const size_t skippedBefore = engine.skipped().size();
    // A reply later than the turn limit or the time left loses the game.
    const int deadline = std::max(std::min(time.turnMs, engine.timeLeftMs()), 0) + toleranceMs;
    const std::optional<std::string> reply = engine.RequestMove(referee, player, deadline);
    int x = -1, y = -1;
    if (!reply || !ParseMoveReply(*reply, &x, &y, boardSide, boardSide) ||
        engine.lastReplyMs() > deadline) {
      result.fault = "no move within " + std::to_string(deadline) + " ms";
    } else {
      result.fault = referee.Fault(x, y);
    }
    for (size_t i = skippedBefore; i < engine.skipped().size(); ++i)
      if (engine.skipped()[i].starts_with("ERROR")) result.fault = engine.skipped()[i];
    if (!result.fault.empty()) {
      result.fault = "move " + std::to_string(referee.stones().size() + 1) + " of player " +
                     std::to_string(player) + ", " + reply.value_or("no reply") + ": " +
                     result.fault;
      break;
    }
    ++result.replies;
    if (engine.lastReplyMs() > result.worstReplyMs) {
      result.worstReplyMs = engine.lastReplyMs();
      result.worstBudgetMs = engine.lastBudgetMs();
    }
    end = referee.Play(x, y);
  }
  return result;
}

namespace {

struct Judgement {
  std::string fault;  // empty when the move is sound
  bool endsGame = false;
};

// What is wrong with the reply to a request of a continuous game, and whether
// it ends the game; (x, y) is the move when the reply is one.
Judgement JudgeContinuousReply(const ManagedEngine& engine, size_t unaskedBefore,
                               const std::optional<std::string>& reply, int deadlineMs,
                               const Referee& referee, int* x, int* y) {
  if (engine.unasked().size() > unaskedBefore)
    return {"a line nobody asked for, " + engine.unasked()[unaskedBefore], true};
  if (!reply) return {"no reply within " + std::to_string(deadlineMs) + " ms", true};
  if (!ParseMoveReply(*reply, x, y, referee.width(), referee.height())) return {"not a move", true};
  if (engine.lastReplyMs() > deadlineMs)
    return {"late, " + std::to_string(static_cast<int>(engine.lastReplyMs())) + " ms", true};
  std::string fault = referee.Fault(*x, *y);
  const bool illegal = fault == "illegal";
  return {std::move(fault), illegal};
}

}  // namespace

ContinuousResult PlayContinuousGame(ManagedEngine* engines[2], const Stones& opening, int boardSide,
                                    const TimeControl& time, int toleranceMs, Referee::Rule rule,
                                    int moveCap) {
  ContinuousResult result;
  result.referee = Referee(boardSide, boardSide, rule);
  Referee& referee = result.referee;
  for (auto [x, y] : opening) referee.Play(x, y);
  for (int i = 0; i < 2; ++i) engines[i]->NewGame(boardSide, time, rule, true);
  // Piskvork calls the game a draw when 25 empty squares are left.
  const size_t end = static_cast<size_t>(std::min(boardSide * boardSide - 25, moveCap));
  while (referee.stones().size() < end) {
    const int player = referee.toMove();
    ManagedEngine& engine = *engines[player - 1];
    const size_t unaskedBefore = engine.unasked().size();
    const int deadline = std::max(std::min(time.turnMs, engine.timeLeftMs()), 0) + toleranceMs;
    const std::optional<std::string> reply = engine.RequestMove(referee, player, deadline);
    int x = -1, y = -1;
    const Judgement judgement =
        JudgeContinuousReply(engine, unaskedBefore, reply, deadline, referee, &x, &y);
    if (!judgement.fault.empty()) {
      result.faults.push_back("move " + std::to_string(referee.stones().size() + 1) +
                              " of player " + std::to_string(player) + ", " +
                              reply.value_or("no reply") + ": " + judgement.fault);
    }
    if (judgement.endsGame) return result;
    ++result.replies;
    const Referee::Outcome outcome = referee.Play(x, y);
    if (outcome == Referee::Outcome::kFive) {
      referee.TakeOff(referee.CompletedLine(x, y));
      ++result.lines;
      for (int i = 0; i < 2; ++i) engines[i]->ResendBoard();
    } else if (outcome == Referee::Outcome::kForbidden) {
      referee.TakeOff({{x, y}});
      ++result.fouls;
      engine.ResendBoard();
    }
  }
  for (int i = 0; i < 2; ++i) {
    const size_t before = engines[i]->unasked().size();
    engines[i]->CollectUnasked();
    if (engines[i]->unasked().size() > before)
      result.faults.push_back("after the game, engine " + std::to_string(i + 1) +
                              ": a line nobody asked for, " + engines[i]->unasked()[before]);
  }
  return result;
}

BoardProgram::BoardProgram(int boardSide, const std::vector<std::string>& settings)
    : side_(boardSide) {
  process_.Ask("ABOUT");
  process_.Ask("START " + std::to_string(boardSide));
  for (const std::string& line : settings) {
    process_.WriteLine(line);
    // The referee judges by the rule the engine was told, the last one told.
    if (line.starts_with("INFO rule ")) rule_ = RuleFromInfo(std::atoi(line.c_str() + 10));
  }
  referee_ = Referee(side_, side_, rule_);
}

std::optional<std::string> BoardProgram::Answer(const std::string& command) {
  std::optional<std::string> reply = process_.Ask(command);
  int x, y;
  fault_ = "no move";
  if (reply && ParseMoveReply(*reply, &x, &y, side_, side_)) {
    fault_ = referee_.Fault(x, y);
    outcome_ = referee_.Play(x, y);
  }
  return reply;
}

std::optional<std::string> BoardProgram::Load(const Stones& stones) {
  referee_ = Referee(side_, side_, rule_);
  for (auto [x, y] : stones) referee_.Play(x, y);
  std::string block = BoardBlock(stones, referee_.toMove());
  block.pop_back();
  return Answer(block);
}

std::optional<std::string> BoardProgram::Turn(int x, int y) {
  outcome_ = referee_.Play(x, y);
  if (outcome_ != Referee::Outcome::kPlaying) return std::nullopt;  // no answer is due
  return Answer("TURN " + Coordinates({x, y}));
}

bool BoardProgram::TakeBack(int n) {
  for (int i = 0; i < n; ++i) {
    if (process_.Ask("TAKEBACK " + Coordinates(referee_.stones().back())) != "OK") return false;
    referee_.TakeBack();
  }
  return true;
}

bool BoardProgram::Restart() {
  referee_ = Referee(side_, side_, rule_);
  outcome_ = Referee::Outcome::kPlaying;
  return process_.Ask("RESTART") == "OK";
}
