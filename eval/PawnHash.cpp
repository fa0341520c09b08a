// The pawn hash table and its counters. Filling and reading the entries is
// PositionEvaluate's business (PawnEval.cpp).
#include "eval/PawnHash.h"

#include <algorithm>
#include <cstring>

#include "board/MemoryPages.h"

namespace {
constexpr size_t PawnHashBytes = PawnHashSize * sizeof(PawnHashEntry);
}  // namespace

// In large pages, as the transposition table is: probes then rarely miss
// the address cache.
PawnHashEntry* const PawnHashArray = static_cast<PawnHashEntry*>(AllocateLargePageTable(PawnHashBytes));
int Phashattempts = 0;
int Phashmisses = 0;

bool InPawnHash(u32 code, u64 pawns) {
  const PawnHashEntry& e = PawnHashSlot(code);
  return e.Code == code && e.Pawns == pawns;
}

// An emptied slot must not answer a probe. A slot of zeros answers none but
// slot 0, which would "hit" for a pawnless position whose pawn code is 0 (as
// it is at the root) and hand back an all-zero summary, no open files among
// it: slot 0 gets a code whose low bits differ from its index, which no
// probe can match. The table starts out so without touching the other
// slots, so that start-up stays quick and small and the slots are mapped as
// the search fills them; a clear with nothing written since the last one
// has nothing to do.
bool PawnHashWritten = false;

void ClearPawnHash() {
  if (!PawnHashWritten) return;
  memset(static_cast<void*>(PawnHashArray), 0, PawnHashBytes);
  PawnHashArray[0].Code = ~0u;
  PawnHashWritten = false;
}

bool MapSomePawnHashPages(size_t bytes) {
  static size_t mapped = 0;
  if (mapped >= PawnHashBytes) return false;
  const size_t piece = std::min(bytes, PawnHashBytes - mapped);
  MapPagesNow(reinterpret_cast<char*>(PawnHashArray) + mapped, piece);
  mapped += piece;
  return true;
}

namespace {
bool EmptyAtStart() {
  PawnHashArray[0].Code = ~0u;
  return true;
}
const bool emptiedAtStart = EmptyAtStart();
}  // namespace
