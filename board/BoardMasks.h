// Constant square sets: files, ranks, square colours and corners, and
// Squares(), which writes a set by the names of its squares. All are
// compile-time values; nothing here depends on a position.
#pragma once
#include "board/Types.h"

// A set of squares written as names, "f5 e6 d7".
constexpr u64 Squares(const char* names) {
  u64 mask = 0;
  for (const char* p = names; p[0] != 0; p++) {
    if (p[0] >= 'a' && p[0] <= 'h' && p[1] >= '1' && p[1] <= '8') {
      mask |= 1ULL << ((p[1] - '1') * 8 + (p[0] - 'a'));
      p++;
    }
  }
  return mask;
}

constexpr u64 FileA = 0x0101010101010101ULL;
constexpr u64 FileB = FileA << 1, FileC = FileA << 2, FileD = FileA << 3;
constexpr u64 FileE = FileA << 4, FileF = FileA << 5, FileG = FileA << 6, FileH = FileA << 7;
inline constexpr u64 FileMask[8] = {FileA, FileB, FileC, FileD, FileE, FileF, FileG, FileH};

constexpr u64 Rank1 = 0xFFULL;
constexpr u64 Rank2 = Rank1 << 8, Rank3 = Rank1 << 16, Rank4 = Rank1 << 24;
constexpr u64 Rank5 = Rank1 << 32, Rank6 = Rank1 << 40, Rank7 = Rank1 << 48, Rank8 = Rank1 << 56;

// h1 is a light square, a1 a dark one.
constexpr u64 LightSquareMask = 0x55AA55AA55AA55AAULL;
constexpr u64 DarkSquareMask = 0xAA55AA55AA55AA55ULL;
constexpr u64 Corners = Squares("a1 h1 a8 h8");
