// The pawn hash table's memory, emptying and mapping. Filling and reading
// the entries is PositionEvaluate's business (PawnEval.cpp).
#include "eval/PawnHash.h"

#include <algorithm>
#include <cstring>

#include "board/MemoryPages.h"

namespace {
constexpr size_t PawnHashBytes = PawnHashSize * sizeof(PawnHashEntry);
}  // namespace

// In large pages, as the transposition table is: probes then rarely miss
// the address cache.
//
// An emptied slot must not answer a probe. A slot of zeros answers none but
// slot 0, which would "hit" for a pawnless position whose pawn code is 0 (as
// it is at the root) and hand back an all-zero summary, no open files among
// it: slot 0 gets a code whose low bits differ from its index, which no
// probe can match. The table starts out so without touching the other
// slots, so that start-up stays quick and small and the slots are mapped as
// the search fills them; a clear with nothing written since the last one
// has nothing to do.
PawnHashTable::PawnHashTable() : Entries(static_cast<PawnHashEntry*>(AllocateLargePageTable(PawnHashBytes))) {
  Entries[0].Code = ~0u;
}

PawnHashTable::~PawnHashTable() { FreeLargePageTable(Entries, PawnHashBytes); }

bool PawnHashTable::Contains(u32 code, u64 pawns) const {
  const PawnHashEntry& e = Slot(code);
  return e.Code == code && e.Pawns == pawns;
}

void PawnHashTable::Clear() {
  if (!Written) return;
  memset(static_cast<void*>(Entries), 0, PawnHashBytes);
  Entries[0].Code = ~0u;
  Written = false;
}

bool PawnHashTable::MapSomePages(size_t bytes) {
  if (MappedBytes >= PawnHashBytes) return false;
  const size_t piece = std::min(bytes, PawnHashBytes - MappedBytes);
  MapPagesNow(reinterpret_cast<char*>(Entries) + MappedBytes, piece);
  MappedBytes += piece;
  return true;
}
