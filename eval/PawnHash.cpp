// The pawn hash table and its counters. Filling and reading the entries is
// PositionEvaluate's business (PawnEval.cpp).
#include "eval/PawnHash.h"

PawnHashEntry PawnHashArray[PawnHashSize];
int Phashattempts = 0;
int Phashmisses = 0;

bool InPawnHash(u32 code, u64 pawns) {
  const PawnHashEntry& e = PawnHashSlot(code);
  return e.Code == code && e.Pawns == pawns;
}

// An emptied slot must not answer a probe: with Code and Pawns both 0, slot 0
// would "hit" for a pawnless position whose pawn code is 0 (as it is at the
// root) and hand back an all-zero summary, no open files among it. So an
// emptied slot gets a code whose low bits differ from its index, which no
// probe can match.
void ClearPawnHash() {
  for (u32 i = 0; i < (u32)PawnHashSize; i++) {
    PawnHashEntry& e = PawnHashArray[i];
    e.Code = ~i;
    e.Pawns = 0;
    e.WhiteDoubled = e.BlackDoubled = 0;
    e.BlackStatic = e.WhiteStatic = 0;
    e.BlackPassed = e.WhitePassed = 0;
    e.BlackPasserCount = e.WhitePasserCount = 0;
    for (int f = 0; f < 8; f++) e.WhitePasserRank[f] = e.BlackPasserRank[f] = 0;
  }
}

namespace {
// The table starts out empty in the same sense.
const bool emptiedAtStart = (ClearPawnHash(), true);
}  // namespace
