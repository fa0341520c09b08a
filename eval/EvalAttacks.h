// Attack sets for the evaluation, from tables built at compile time: the
// same sets as the board's mask functions (a slider's ray runs up to and
// including the first occupied square, whatever its colour), computed
// without walking the rays square by square, since the evaluation needs one
// for every piece at every leaf.
#pragma once
#include <array>

#include "board/Types.h"
#include "eval/EvalMasks.h"

namespace evalattack {

// Index steps: the first four directions raise the square index, the last
// four lower it.
constexpr int FileStep[8] = {0, 1, 1, -1, 0, -1, -1, 1};  // N E NE NW S W SW SE
constexpr int RankStep[8] = {1, 0, 1, 1, -1, 0, -1, -1};

using SquareSets = std::array<u64, 64>;

constexpr std::array<SquareSets, 8> BuildRays() {
  std::array<SquareSets, 8> rays{};
  for (int d = 0; d < 8; d++) {
    for (int sq = 0; sq < 64; sq++) {
      u64 ray = 0;
      int f = (sq & 7) + FileStep[d], r = (sq >> 3) + RankStep[d];
      for (; f >= 0 && f < 8 && r >= 0 && r < 8; f += FileStep[d], r += RankStep[d]) ray |= 1ULL << (r * 8 + f);
      rays[d][sq] = ray;
    }
  }
  return rays;
}
inline constexpr std::array<SquareSets, 8> Rays = BuildRays();

constexpr SquareSets BuildLeaper(const int (&df)[8], const int (&dr)[8]) {
  SquareSets t{};
  for (int sq = 0; sq < 64; sq++) {
    for (int i = 0; i < 8; i++) {
      int f = (sq & 7) + df[i], r = (sq >> 3) + dr[i];
      if (f >= 0 && f < 8 && r >= 0 && r < 8) t[sq] |= 1ULL << (r * 8 + f);
    }
  }
  return t;
}
constexpr int KnightFile[8] = {1, 2, 2, 1, -1, -2, -2, -1};
constexpr int KnightRank[8] = {2, 1, -1, -2, -2, -1, 1, 2};
inline constexpr SquareSets KnightTable = BuildLeaper(KnightFile, KnightRank);
inline constexpr SquareSets KingTable = BuildLeaper(FileStep, RankStep);

inline u64 Ray(int d, int sq, u64 occupied) {
  u64 ray = Rays[d][sq];
  const u64 blockers = ray & occupied;
  if (blockers) ray ^= Rays[d][d < 4 ? evalmask::Lowest(blockers) : evalmask::Highest(blockers)];
  return ray;
}

inline u64 BishopAttacks(int sq, u64 occupied) {
  return Ray(2, sq, occupied) | Ray(3, sq, occupied) | Ray(6, sq, occupied) | Ray(7, sq, occupied);
}
inline u64 RookAttacks(int sq, u64 occupied) {
  return Ray(0, sq, occupied) | Ray(1, sq, occupied) | Ray(4, sq, occupied) | Ray(5, sq, occupied);
}
inline u64 QueenAttacks(int sq, u64 occupied) { return BishopAttacks(sq, occupied) | RookAttacks(sq, occupied); }

}  // namespace evalattack
