// The reference attack walks: every set computed by walking rays over the
// occupancy, square by square. The board's mask functions look the sets up
// in tables (AttackTables.h) and come here only for a mask that is not one
// square; the tables are built from these walks and tested against them.
// The first blocker on a ray is always included whatever its colour;
// callers mask out their own men.
#include "board/AttackTables.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"

namespace {
enum Direction { North, South, East, West, NorthEast, NorthWest, SouthEast, SouthWest };

inline u64 Step(u64 sq, Direction d) {
  switch (d) {
    case North: return sq << 8;
    case South: return sq >> 8;
    case East: return sq << 1;
    case West: return sq >> 1;
    case NorthEast: return sq << 9;
    case NorthWest: return sq << 7;
    case SouthEast: return sq >> 7;
    case SouthWest: return sq >> 9;
  }
  return 0;
}

// The edge file a ray must not cross (0 for north and south, which simply
// fall off the 64 bits).
inline u64 StopFile(Direction d) {
  switch (d) {
    case East: case NorthEast: case SouthEast: return FileH;
    case West: case NorthWest: case SouthWest: return FileA;
    default: return 0;
  }
}

// Squares from next to `sq` up to the first occupied square or the edge.
inline u64 Ray(u64 sq, Direction d, u64 occupied) {
  u64 edge = StopFile(d);
  if (sq & edge) return 0;
  u64 ray = 0;
  u64 s = Step(sq, d);
  ray |= s;
  while (s != 0 && !(s & occupied) && !(s & edge)) {
    s = Step(s, d);
    ray |= s;
  }
  return ray;
}

constexpr Direction Diagonals[4] = {SouthEast, NorthEast, SouthWest, NorthWest};
constexpr Direction Lines[4] = {South, North, West, East};

// The rays of the king's square that reach a man of `sliderMask`.
u64 CheckRays(const Direction (&directions)[4], u64 kingMask, u64 occupied, u64 sliderMask) {
  u64 result = 0;
  for (Direction d : directions) {
    u64 ray = Ray(kingMask, d, occupied);
    if (ray & sliderMask) result |= ray;
  }
  return result;
}
}  // namespace

u64 KnightMaskByWalk(u64 mask) {
  u64 targets = 0;
  if (!(mask & (FileG | FileH))) targets |= (mask >> 6) | (mask << 10);
  if (!(mask & (FileA | FileB))) targets |= (mask >> 10) | (mask << 6);
  if (!(mask & FileH)) targets |= (mask >> 15) | (mask << 17);
  if (!(mask & FileA)) targets |= (mask >> 17) | (mask << 15);
  return targets;
}

u64 KingMaskByWalk(u64 mask) {
  u64 targets = (mask << 8) | (mask >> 8);
  if (!(mask & FileH)) targets |= (mask << 9) | (mask >> 7) | (mask << 1);
  if (!(mask & FileA)) targets |= (mask << 7) | (mask >> 9) | (mask >> 1);
  return targets;
}

u64 BishopMaskByWalk(u64 mask, u64 occupied) {
  u64 targets = 0;
  for (Direction d : Diagonals) targets |= Ray(mask, d, occupied);
  return targets;
}

u64 RookMaskByWalk(u64 mask, u64 occupied) {
  u64 targets = 0;
  for (Direction d : Lines) targets |= Ray(mask, d, occupied);
  return targets;
}

// The walk for a set of squares that is not one square (no king, or a made-up
// position with two): the tests in the order the walk makes them.
int ChessBoard::InCheckByWalk(u64 mask, char side) const {
  if (side == 1) {
    if (!(mask & FileH) && (WhitePawns & (mask >> 7))) return 1;
    if (!(mask & FileA) && (WhitePawns & (mask >> 9))) return 1;
    if (WhiteKnights & KnightMaskByWalk(mask)) return 1;
    if ((WhiteBishops | WhiteQueens) & BishopMaskByWalk(mask, AllPieces)) return 1;
    if ((WhiteRooks | WhiteQueens) & RookMaskByWalk(mask, AllPieces)) return 1;
    if (WhiteKing & KingMaskByWalk(mask)) return 1;
    return 0;
  }
  if (!(mask & FileA) && (BlackPawns & (mask << 7))) return 1;
  if (!(mask & FileH) && (BlackPawns & (mask << 9))) return 1;
  if (BlackKnights & KnightMaskByWalk(mask)) return 1;
  if ((BlackBishops | BlackQueens) & BishopMaskByWalk(mask, AllPieces)) return 1;
  if ((BlackRooks | BlackQueens) & RookMaskByWalk(mask, AllPieces)) return 1;
  if (BlackKing & KingMaskByWalk(mask)) return 1;
  return 0;
}

u64 ChessBoard::BishopCheckMask(u64 kingMask, u64 sliderMask) const {
  return CheckRays(Diagonals, kingMask, AllPieces, sliderMask);
}

u64 ChessBoard::RookCheckMask(u64 kingMask, u64 sliderMask) const {
  return CheckRays(Lines, kingMask, AllPieces, sliderMask);
}
