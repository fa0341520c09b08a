// Attack sets for the evaluation: the board's tables (knight and king
// tables, magic-indexed slider tables; board/AttackTables.h), which give the
// same sets as the board's mask functions (a slider's ray runs up to and
// including the first occupied square, whatever its colour). The
// evaluation needs one for every piece at every leaf.
#pragma once
#include "board/AttackTables.h"
#include "board/Types.h"

namespace evalattack {

inline u64 BishopAttacks(int sq, u64 occupied) { return BishopLookup(sq, occupied); }
inline u64 RookAttacks(int sq, u64 occupied) { return RookLookup(sq, occupied); }
inline u64 QueenAttacks(int sq, u64 occupied) { return QueenLookup(sq, occupied); }
inline u64 KnightAttacks(int sq) { return KnightSquares[sq]; }
inline u64 KingAttacks(int sq) { return KingSquares[sq]; }

}  // namespace evalattack
