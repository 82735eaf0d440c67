// A measure of how even Tessel's Swap2 openings are: black's share of the
// games that Tessel plays against itself from them (with its swap decisions
// applied: a fourth or sixth stone when it stays, none when it swaps),
// against black's share from the fixed openings of the self-play games
// (Opening(game) of the harness). Every game runs under the manager-faithful
// driver with the referee on every move; a fault makes the exit status 1.
//
//   opening_balance [-n games] [-t turn-ms] [-r rule] [-s board-side]
//
// -n games of each kind (20), -t the turn limit in milliseconds (300), -r the
// rule as Piskvork numbers it (0 freestyle; Swap2 is a gomoku opening), -s
// the board side (15, as in Gomocup's Swap2 games).
//
// The opening steps go to two engines of their own that play every series,
// so that the proposals, drawn at random among the near-even ones, differ
// from game to game as they do in one process under a manager.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>

#include "tools/harness/manager.h"

namespace {

struct Tally {
  int black = 0, white = 0, draws = 0, faults = 0;
  void Add(const GameResult& game) {
    if (!game.fault.empty()) {
      std::printf("  fault: %s\n", game.fault.c_str());
      ++faults;
      return;
    }
    const Referee& r = game.referee;
    const auto [x, y] = r.stones().back();
    const int mover = 1 + static_cast<int>((r.stones().size() - 1) % 2);
    if (!r.MakesFive(x, y, mover)) {
      ++draws;
    } else {
      ++(mover == 1 ? black : white);
    }
  }
  void Print(const char* name) const {
    const int decided = black + white;
    std::printf("%-26s black %2d  white %2d  draws %2d  faults %d  black's share %.0f%%\n", name,
                black, white, draws, faults, decided > 0 ? 100.0 * black / decided : 0.0);
  }
};

// The stones of a SWAP2BOARD answer, or none for SWAP; nullopt when the
// answer is neither.
std::optional<Stones> AnswerStones(const std::string& reply, int side) {
  if (reply == "SWAP") return Stones{};
  std::istringstream words(reply);
  Stones stones;
  for (std::string word; words >> word;) {
    int x = 0, y = 0;
    if (!ParseMoveReply(word, &x, &y, side, side)) return std::nullopt;
    stones.emplace_back(x, y);
  }
  return stones;
}

std::string StoneLines(const Stones& stones) {
  std::string lines;
  for (const auto& [x, y] : stones) lines += std::to_string(x) + "," + std::to_string(y) + "\n";
  return lines;
}

// One Swap2 opening as a manager runs it: the proposer's three stones, the
// other engine's choice after them, and the proposer's after five. None when
// an answer is not one the protocol allows.
std::optional<Stones> Swap2Opening(EngineProcess& proposer, EngineProcess& chooser, int side) {
  const auto ask = [&](EngineProcess& engine, const Stones& stones) {
    engine.WriteLine("INFO time_left 100000");
    return AnswerStones(engine.Ask("SWAP2BOARD\n" + StoneLines(stones) + "DONE").value_or(""),
                        side);
  };
  std::optional<Stones> three = ask(proposer, {});
  if (!three || three->size() != 3) return std::nullopt;
  Stones opening = *three;
  const std::optional<Stones> second = ask(chooser, opening);
  if (!second || second->size() > 2) return std::nullopt;
  opening.insert(opening.end(), second->begin(), second->end());
  if (second->size() != 2) return opening;
  const std::optional<Stones> third = ask(proposer, opening);
  if (!third || third->size() > 1) return std::nullopt;
  opening.insert(opening.end(), third->begin(), third->end());
  return opening;
}

}  // namespace

int main(int argc, char** argv) {
  int games = 20, turnMs = 300, infoRule = 0, side = 15;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "-n")) games = std::atoi(argv[i + 1]);
    if (!std::strcmp(argv[i], "-t")) turnMs = std::atoi(argv[i + 1]);
    if (!std::strcmp(argv[i], "-r")) infoRule = std::atoi(argv[i + 1]);
    if (!std::strcmp(argv[i], "-s")) side = std::atoi(argv[i + 1]);
  }
  const Referee::Rule rule = RuleFromInfo(infoRule);
  const TimeControl time{"opening", turnMs, 0};
  const std::string settings = "START " + std::to_string(side) + "\nINFO timeout_turn " +
                               std::to_string(turnMs) + "\nINFO rule " + std::to_string(infoRule);
  std::printf("%d games of each kind, %s, %d x %d, %d ms a move\n", games, RuleName(rule), side,
              side, turnMs);
  EngineProcess proposer, chooser;
  proposer.Ask(settings);
  chooser.Ask(settings);
  ManagedEngine first, second;
  ManagedEngine* engines[2] = {&first, &second};
  Tally swap2, fixed;
  for (int game = 0; game < games; ++game) {
    const std::optional<Stones> opening = Swap2Opening(proposer, chooser, side);
    if (!opening) {
      std::printf("  fault: a Swap2 answer the protocol does not allow\n");
      ++swap2.faults;
    } else {
      swap2.Add(PlayGame(engines, *opening, side, time, 1000, rule));
    }
    fixed.Add(PlayGame(engines, Opening(game + 1), side, time, 1000, rule));
  }
  swap2.Print("Tessel's Swap2 openings");
  fixed.Print("fixed openings");
  return swap2.faults + fixed.faults == 0 ? 0 : 1;
}
