// Bit scans and population counts on 64-bit square sets. Plain portable
// arithmetic: a De Bruijn multiply for the lowest bit, SWAR counts.
#pragma once
#include <array>
#include "board/Types.h"

constexpr u64 Somemagic = 0x03F79D71B4CB0A89ULL;
// For every i, entry ((1 << i) * Somemagic) >> 58 holds i.
constexpr std::array<i32, 64> BuildMagicTable() {
  std::array<i32, 64> table{};
  for (int i = 0; i < 64; i++) table[((1ULL << i) * Somemagic) >> 58] = i;
  return table;
}
inline constexpr std::array<i32, 64> magictable = BuildMagicTable();

// 1-based index of the lowest set bit; 1 for an empty mask.
int RightMostBit(u64 mask);
int BitCount32(u32 x);
// Population count of a 64-bit mask: the two 32-bit halves counted apart.
int BitCount64(u64 x);
// Floor of log2; -1 for 0.
int MyLog2(u64 x);

inline u64 LowestBit(u64 mask) { return mask & (0 - mask); }
inline u64 SquareMask(int sq) { return 1ULL << sq; }
