// The pawn-structure cache: direct-mapped, keyed by the board's pawn code and
// the bitboard of all pawns, always replaced on a miss.
#pragma once

extern int Phashattempts;
extern int Phashmisses;

void ClearPawnHash();
