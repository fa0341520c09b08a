// Bit scans and population counts on 64-bit square sets, by the compiler's
// builtins: one instruction where the target has it (popcnt needs -mpopcnt,
// which the build adds when the machine has it), a library routine where
// not. The De Bruijn table stays as the documented definition of
// RightMostBit; the tests hold the two against each other.
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

// 1-based index of the lowest set bit; 1 for an empty mask (the De Bruijn
// lookup of 0 reads entry 0, which holds 0).
inline int RightMostBit(u64 mask) { return mask ? __builtin_ctzll(mask) + 1 : 1; }
inline int BitCount32(u32 x) { return __builtin_popcount(x); }
// Population count of a 64-bit mask.
inline int BitCount64(u64 x) { return __builtin_popcountll(x); }
// Floor of log2; -1 for 0.
inline int MyLog2(u64 x) { return x ? 63 - __builtin_clzll(x) : -1; }

inline u64 LowestBit(u64 mask) { return mask & (0 - mask); }
inline u64 SquareMask(int sq) { return 1ULL << sq; }
// Index of the lowest square of a mask; 0 for an empty mask.
inline int SquareOf(u64 mask) { return RightMostBit(mask) - 1; }
// Index of the lowest square of a mask that is not empty.
inline int SquareIndex(u64 mask) { return __builtin_ctzll(mask); }
// True for a mask of exactly one square.
inline bool OneSquare(u64 mask) { return mask != 0 && (mask & (mask - 1)) == 0; }
