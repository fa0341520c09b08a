// The pawn-structure cache: direct-mapped on the low 16 bits of the board's
// pawn code, verified by the full code and the bitboard of all pawns, always
// replaced on a miss. It holds only what depends on pawns and king squares;
// the passed-pawn terms that depend on pieces and the side to move are
// recomputed every time. Each evaluation (one per search thread) has its
// own table; none is shared between threads.
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

// One table and its counters. The entries are taken at construction,
// mapped as they are written, and given back with the table. A cache line of
// its own: one thread counts here at every evaluation.
class alignas(64) PawnHashTable {
 public:
  PawnHashTable();
  ~PawnHashTable();
  PawnHashTable(const PawnHashTable&) = delete;
  PawnHashTable& operator=(const PawnHashTable&) = delete;

  PawnHashEntry* Entries;  // PawnHashSize of them
  int Phashattempts = 0;   // probes
  int Phashmisses = 0;     // stores after a miss

  PawnHashEntry& Slot(u32 code) const { return Entries[code & 0xFFFF]; }
  // The slot a new entry for `code` goes to.
  PawnHashEntry& SlotToWrite(u32 code) {
    Written = true;
    return Slot(code);
  }
  // True when the slot of `code` holds exactly this code and these pawns.
  bool Contains(u32 code, u64 pawns) const;
  // Empties every slot (the counters are left as they are).
  void Clear();
  // Has the system map the table's memory now rather than at the search's
  // first writes to it (SearchRoutines::MapTables), the next `bytes` of it
  // at a time: false (and nothing done) once it is all mapped. Contents kept.
  bool MapSomePages(size_t bytes);

 private:
  bool Written = false;  // set by a write, cleared by Clear
  size_t MappedBytes = 0;
};
