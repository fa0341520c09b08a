// The pawn-structure cache: direct-mapped on the low 16 bits of the board's
// pawn code, verified by the full code and the bitboard of all pawns, always
// replaced on a miss. It holds only what depends on pawns and king squares;
// the passed-pawn terms that depend on pieces and the side to move are
// recomputed every time.
#pragma once
#include <cstddef>

#include "board/Types.h"

struct PawnHashEntry {
  u32 Code;   // first key: the board's PawnHashCode
  u64 Pawns;  // second key: WhitePawns | BlackPawns
  int WhiteDoubled, BlackDoubled;
  int MgPawnScore;
  u64 OpenFiles;
  u8 WhitePasserRank[8];
  int BlackStatic, WhiteStatic;
  int BlackPassed, WhitePassed;
  u8 BlackPasserRank[8];
  u8 BlackPasserCount, WhitePasserCount;
  int EgPawnScore;
  u64 BlackHalfOpenFiles, WhiteHalfOpenFiles;
};

constexpr int PawnHashSize = 65536;

// PawnHashSize entries.
extern PawnHashEntry* const PawnHashArray;
extern int Phashattempts, Phashmisses;

inline PawnHashEntry& PawnHashSlot(u32 code) { return PawnHashArray[code & 0xFFFF]; }
// Set by a write to the table, cleared by ClearPawnHash.
extern bool PawnHashWritten;
// The slot a new entry for `code` goes to.
inline PawnHashEntry& PawnHashSlotToWrite(u32 code) {
  PawnHashWritten = true;
  return PawnHashSlot(code);
}
// True when the slot of `code` holds exactly this code and these pawns.
bool InPawnHash(u32 code, u64 pawns);
void ClearPawnHash();
// Has the system map the table's memory now rather than at the search's
// first writes to it (SearchRoutines::MapTables), the next `bytes` of it
// at a time: false (and nothing done) once it is all mapped. Contents kept.
bool MapSomePawnHashPages(size_t bytes);
