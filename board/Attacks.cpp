// Attack sets of every kind of man, computed by walking rays over the
// occupancy: no precomputed tables. The first blocker on a ray is always
// included whatever its colour; callers mask out their own men.
#include "board/ChessBoard.h"
#include "engine/Status.h"

namespace {
constexpr u64 FileA = 0x0101010101010101ULL;
constexpr u64 FileB = FileA << 1;
constexpr u64 FileG = FileA << 6;
constexpr u64 FileH = FileA << 7;

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
}  // namespace

u64 ChessBoard::KnightMask(u64 mask) const {
  u64 targets = 0;
  if (!(mask & (FileG | FileH))) targets |= (mask >> 6) | (mask << 10);
  if (!(mask & (FileA | FileB))) targets |= (mask >> 10) | (mask << 6);
  if (!(mask & FileH)) targets |= (mask >> 15) | (mask << 17);
  if (!(mask & FileA)) targets |= (mask >> 17) | (mask << 15);
  return targets;
}

u64 ChessBoard::KingMask(u64 mask) const {
  u64 targets = (mask << 8) | (mask >> 8);
  if (!(mask & FileH)) targets |= (mask << 9) | (mask >> 7) | (mask << 1);
  if (!(mask & FileA)) targets |= (mask << 7) | (mask >> 9) | (mask >> 1);
  return targets;
}

u64 ChessBoard::BishopMask(u64 mask) const {
  u64 targets = 0;
  for (Direction d : Diagonals) targets |= Ray(mask, d, AllPieces);
  return targets;
}

u64 ChessBoard::RookMask(u64 mask) const {
  u64 targets = 0;
  for (Direction d : Lines) targets |= Ray(mask, d, AllPieces);
  return targets;
}

int ChessBoard::InCheck(u64 mask, char side) const {
  if (side == 1) {
    if (!(mask & FileH) && (WhitePawns & (mask >> 7))) return 1;
    if (!(mask & FileA) && (WhitePawns & (mask >> 9))) return 1;
    if (WhiteKnights & KnightMask(mask)) return 1;
    if ((WhiteBishops | WhiteQueens) & BishopMask(mask)) return 1;
    if ((WhiteRooks | WhiteQueens) & RookMask(mask)) return 1;
    if (WhiteKing & KingMask(mask)) return 1;
    return 0;
  }
  if (!(mask & FileA) && (BlackPawns & (mask << 7))) return 1;
  if (!(mask & FileH) && (BlackPawns & (mask << 9))) return 1;
  if (BlackKnights & KnightMask(mask)) return 1;
  if ((BlackBishops | BlackQueens) & BishopMask(mask)) return 1;
  if ((BlackRooks | BlackQueens) & RookMask(mask)) return 1;
  if (BlackKing & KingMask(mask)) return 1;
  return 0;
}

int ChessBoard::IsAttacked(u64 mask, char side) const { return InCheck(mask, side); }

u64 ChessBoard::BishopCheckMask(u64 kingMask, u64 sliderMask) const {
  u64 result = 0;
  for (Direction d : Diagonals) {
    u64 ray = Ray(kingMask, d, AllPieces);
    if (ray & sliderMask) result |= ray;
  }
  return result;
}

u64 ChessBoard::RookCheckMask(u64 kingMask, u64 sliderMask) const {
  u64 result = 0;
  for (Direction d : Lines) {
    u64 ray = Ray(kingMask, d, AllPieces);
    if (ray & sliderMask) result |= ray;
  }
  return result;
}
