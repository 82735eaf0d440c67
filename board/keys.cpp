#include "board/keys.h"

#include <cstdlib>

uint64_t zobristKey = 0;
uint64_t codePlayer1[kBoardCells];
uint64_t codePlayer2[kBoardCells];

// rand gives at least 15 random bits on every C library (RAND_MAX is at least
// 32767), so four draws shifted by 15 fill 60 bits and more.
constexpr int kRandBits = 15;

uint64_t rand64() {
  const auto a = static_cast<uint64_t>(std::rand());
  const auto b = static_cast<uint64_t>(std::rand());
  const auto c = static_cast<uint64_t>(std::rand());
  const auto d = static_cast<uint64_t>(std::rand());
  return a ^ (b << kRandBits) ^ (c << (2 * kRandBits)) ^ (d << (3 * kRandBits));
}

void DrawZobristCodes() {
  for (int i = 0; i < kBoardCells; ++i) {
    codePlayer1[i] = rand64();
    codePlayer2[i] = rand64();
  }
}

void DrawStartKey() { zobristKey = rand64(); }
