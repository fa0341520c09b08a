// Attack sets of a man on one square, looked up in tables that are built
// once before main runs: knight, king and pawn tables, and magic-indexed
// tables for bishops and rooks on any occupancy. They hold exactly the sets
// of the ray walks below (a slider's ray runs up to and including the first
// occupied square, whatever its colour), which stay as the reference: the
// board falls back on them for a mask that is not one square, and the tests
// compare the two on every square.
#pragma once
#include "board/BitOps.h"
#include "board/Types.h"

// The reference walks, square by square, for any mask (Attacks.cpp). A
// mask of several squares gets the walk's own answer, file guards applying
// to the whole mask; an empty mask has no attacks.
u64 KnightMaskByWalk(u64 mask);
u64 KingMaskByWalk(u64 mask);
u64 BishopMaskByWalk(u64 mask, u64 occupied);
u64 RookMaskByWalk(u64 mask, u64 occupied);

// One square's entry of a slider table: the squares whose occupancy matters
// (the rays without their last square), the multiplier that hashes them
// into a dense index, and the start of the square's slice of the table.
struct MagicEntry {
  u64 Mask;
  u64 Magic;
  const u64* Attacks;
  int Shift;
};

extern u64 KnightSquares[64];
extern u64 KingSquares[64];
// Squares a pawn of the side on the square attacks: [0] White, [1] Black.
extern u64 PawnCaptureSquares[2][64];
extern MagicEntry BishopMagics[64];
extern MagicEntry RookMagics[64];

inline u64 BishopLookup(int square, u64 occupied) {
  const MagicEntry& m = BishopMagics[square];
  return m.Attacks[((occupied & m.Mask) * m.Magic) >> m.Shift];
}
inline u64 RookLookup(int square, u64 occupied) {
  const MagicEntry& m = RookMagics[square];
  return m.Attacks[((occupied & m.Mask) * m.Magic) >> m.Shift];
}
inline u64 QueenLookup(int square, u64 occupied) { return BishopLookup(square, occupied) | RookLookup(square, occupied); }

// Builds every table (run by a static initialiser; calling it again
// rebuilds the same tables).
void InitAttackTables();
