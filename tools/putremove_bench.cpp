// Cost of one PutSymbol + RemoveSymbol pair, the step that every node of the
// search pays, on positions of growing density. Each iteration plays one of
// the squares that a search would try (empty, next to stones) and takes it
// back, cycling through all of them.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "engine/tessel.h"
#include "evaluation/evaluate.h"
#include "ordering/sort.h"

namespace {

int16_t At(int x, int y) { return static_cast<int16_t>(x + kPaddedSide * y + kFirstPlayableIndex); }

// Empty squares within two steps of a stone, or the centre on an empty board.
std::vector<int16_t> Candidates() {
  std::vector<int16_t> out;
  for (int y = 0; y < kBoardSide; ++y) {
    for (int x = 0; x < kBoardSide; ++x) {
      if (square[At(x, y)].symbol != kEmpty) continue;
      bool near = false;
      for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
          const int nx = x + dx, ny = y + dy;
          near |= nx >= 0 && nx < kBoardSide && ny >= 0 && ny < kBoardSide &&
                  square[At(nx, ny)].symbol != kEmpty;
        }
      if (near) out.push_back(At(x, y));
    }
  }
  if (out.empty()) out.push_back(At(9, 9));
  return out;
}

void Run(benchmark::State& state, const std::vector<std::pair<int, int>>& stones) {
  Tessel_Initialize();
  for (auto [x, y] : stones) Tessel_PutSymbol(static_cast<int16_t>(x), static_cast<int16_t>(y));
  const std::vector<int16_t> squares = Candidates();
  size_t next = 0;
  for (auto _ : state) {
    PutSymbol(squares[next]);
    RemoveSymbol();
    if (++next == squares.size()) next = 0;
    benchmark::DoNotOptimize(totalValue);
  }
  state.counters["squares"] = static_cast<double>(squares.size());
  state.counters["stones"] = static_cast<double>(stones.size());
}

void EmptyBoardCentre(benchmark::State& state) { Run(state, {}); }

// Thirty stones of a fought opening around the centre.
void MiddleGame(benchmark::State& state) {
  Run(state, {{9, 9},   {10, 10}, {10, 8},  {8, 10},  {11, 9},  {9, 11}, {8, 8},  {11, 11},
              {12, 9},  {13, 9},  {7, 7},   {6, 6},   {10, 7},  {10, 6}, {9, 7},  {11, 7},
              {12, 12}, {8, 9},   {7, 10},  {12, 8},  {13, 7},  {8, 12}, {7, 11}, {6, 12},
              {11, 12}, {9, 12},  {13, 10}, {14, 11}, {12, 11}, {12, 10}});
}

// A 7 x 7 block packed with stones, with a few holes left to play in.
void CrowdedArea(benchmark::State& state) {
  std::vector<std::pair<int, int>> stones;
  for (int y = 6; y <= 12; ++y)
    for (int x = 6; x <= 12; ++x)
      if ((x * 7 + y * 3) % 11 != 0) stones.emplace_back(x, y);
  Run(state, stones);
}

BENCHMARK(EmptyBoardCentre);
BENCHMARK(MiddleGame);
BENCHMARK(CrowdedArea);

}  // namespace

BENCHMARK_MAIN();
