#include "tools/harness/manager.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <stdexcept>

#include "search/search.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Coordinates(std::pair<int, int> s) {
  return std::to_string(s.first) + "," + std::to_string(s.second);
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

bool ManagedEngine::NewGame(int boardSide, const TimeControl& time, Referee::Rule rule) {
  if (about_.empty()) about_ = process_.Ask("ABOUT").value_or("");
  time_ = time;
  timeLeft_ = time.matchMs > 0 ? time.matchMs : INT32_MAX;
  movedThisGame_ = false;
  if (!process_.WriteLine("START " + std::to_string(boardSide))) return false;
  // A reply that came too late in the last game may still stand before the OK.
  std::optional<std::string> line;
  while ((line = process_.ReadLine()) && *line != "OK") skipped_.push_back(*line);
  return line && process_.WriteLine("INFO timeout_turn " + std::to_string(time.turnMs) +
                            "\nINFO timeout_match " + std::to_string(time.matchMs) +
                            "\nINFO max_memory 83886080\nINFO game_type 1\nINFO rule " +
                            std::to_string(InfoRuleValue(rule)));
}

std::optional<std::string> ManagedEngine::RequestMove(const Referee& referee, int player,
                                                      int deadlineMs) {
  std::string request = "BEGIN";
  if ((!referee.stones().empty() || !referee.blocked().empty()) && !movedThisGame_) {
    request = BoardBlock(referee.stones(), player);
    // Squares owned by nobody go first with the number 3, as in Piskvork's
    // continuous game; BEGIN could not tell them.
    std::string blocked;
    for (auto square : referee.blocked()) blocked += Coordinates(square) + ",3\n";
    request.insert(std::string_view("BOARD\n").size(), blocked);
    request.pop_back();  // WriteLine ends it
  } else if (!referee.stones().empty()) {
    request = "TURN " + Coordinates(referee.stones().back());
  }
  movedThisGame_ = true;
  lastBudgetMs_ = MoveBudget(time_.turnMs, timeLeft_);
  process_.WriteLine("INFO time_left " + std::to_string(timeLeft_));
  const auto sent = Clock::now();
  const auto msSinceSent = [&] {
    return std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
  };
  std::optional<std::string> move;
  if (process_.WriteLine(request)) {
    int x, y;
    for (move = process_.ReadLine(deadlineMs);
         move && !ParseMoveReply(*move, &x, &y, referee.width(), referee.height());
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
