// Square sets and small square arithmetic of the evaluation terms alone:
// bounded single squares, the centre, neighbour and king-zone files, ranks
// ahead and behind, king distance. Files, ranks and square colours come
// from board/BoardMasks.h.
#pragma once
#include <array>

#include "board/BoardMasks.h"
#include "board/Types.h"

namespace evalmask {

// A square past either edge of the board is the empty set: the terms look
// one or two squares ahead of a pawn, and a pawn left on its last rank
// (a FEN that puts it there, a promotion sent without its letter) has no
// square ahead.
constexpr u64 Bit(int sq) { return sq >= 0 && sq < 64 ? 1ULL << sq : 0; }

constexpr u64 Centre = Bit(27) | Bit(28) | Bit(35) | Bit(36);  // d4 e4 d5 e5

// The files either side of file f (none beyond the edges).
constexpr std::array<u64, 8> BuildAdjacentFiles() {
  std::array<u64, 8> t{};
  for (int f = 0; f < 8; f++) t[f] = (f > 0 ? FileMask[f - 1] : 0) | (f < 7 ? FileMask[f + 1] : 0);
  return t;
}
inline constexpr std::array<u64, 8> AdjacentFiles = BuildAdjacentFiles();

// Ranks strictly above / strictly below rank index r.
constexpr u64 RanksAbove(int r) { return r >= 7 ? 0 : ~0ULL << (8 * (r + 1)); }
constexpr u64 RanksBelow(int r) { return r <= 0 ? 0 : ~0ULL >> (8 * (8 - r)); }

// A king's zone files: its own, the neighbours that exist, and the f-file
// (c-file) when the set reaches the h-file (a-file), so that an edge king
// still looks at three files.
constexpr std::array<u64, 8> BuildZoneFiles() {
  std::array<u64, 8> t{};
  for (int f = 0; f < 8; f++) {
    u64 z = FileMask[f] | BuildAdjacentFiles()[f];
    if (z & FileH) z |= FileF;
    if (z & FileA) z |= FileC;
    t[f] = z;
  }
  return t;
}
inline constexpr std::array<u64, 8> ZoneFiles = BuildZoneFiles();

constexpr int Distance(int a, int b) {
  int df = (a & 7) - (b & 7), dr = (a >> 3) - (b >> 3);
  if (df < 0) df = -df;
  if (dr < 0) dr = -dr;
  return df > dr ? df : dr;
}

}  // namespace evalmask
