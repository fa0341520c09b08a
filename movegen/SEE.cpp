#include "movegen/SEE.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"

SEE see;

i16 SEE::Direction[64][64];

namespace {
// Filled once before main; read only after that, by every search thread.
bool FillDirections() {
  for (int t = 0; t < 64; t++) {
    for (int f = 0; f < 64; f++) {
      int df = (f & 7) - (t & 7), dr = (f >> 3) - (t >> 3);
      int step = 0;
      if (t == f) step = 0;
      else if (dr == 0) step = df > 0 ? 1 : -1;
      else if (df == 0) step = dr > 0 ? 8 : -8;
      else if (df == dr) step = dr > 0 ? 9 : -9;
      else if (df == -dr) step = dr > 0 ? 7 : -7;
      SEE::Direction[t][f] = (i16)step;
    }
  }
  return true;
}
const bool directionsFilled = FillDirections();
}  // namespace

int SEE::ValueOf(u64 square) const {
  const ChessBoard& b = *board;
  if ((b.WhitePawns | b.BlackPawns) & square) return PawnValue;
  if ((b.WhiteKnights | b.BlackKnights | b.WhiteBishops | b.BlackBishops) & square) return MinorValue;
  if ((b.WhiteRooks | b.BlackRooks) & square) return RookValue;
  if ((b.WhiteQueens | b.BlackQueens) & square) return QueenValue;
  if ((b.WhiteKing | b.BlackKing) & square) return KingValue;
  return 0;
}

u64 SEE::SquareAttacksDefences(u64 square) const {
  const ChessBoard& b = *board;
  u64 attackers = b.RookMask(square) & (b.WhiteRooks | b.BlackRooks | b.WhiteQueens | b.BlackQueens);
  attackers |= b.BishopMask(square) & (b.WhiteBishops | b.BlackBishops | b.WhiteQueens | b.BlackQueens);
  attackers |= b.KnightMask(square) & (b.WhiteKnights | b.BlackKnights);
  attackers |= b.KingMask(square) & (b.WhiteKing | b.BlackKing);
  if (!(square & FileH)) attackers |= ((square << 9) & b.BlackPawns) | ((square >> 7) & b.WhitePawns);
  if (!(square & FileA)) attackers |= ((square << 7) & b.BlackPawns) | ((square >> 9) & b.WhitePawns);
  return attackers;
}

int SEE::LVP(char side, u64 attackers) const {
  const ChessBoard& b = *board;
  const u64 kinds[6] = {side ? b.BlackPawns : b.WhitePawns,   side ? b.BlackKnights : b.WhiteKnights,
                        side ? b.BlackBishops : b.WhiteBishops, side ? b.BlackRooks : b.WhiteRooks,
                        side ? b.BlackQueens : b.WhiteQueens,   side ? b.BlackKing : b.WhiteKing};
  for (u64 kind : kinds)
    if (kind & attackers) return SquareOf(kind & attackers);
  return -1;
}

u64 SEE::AddXrayAttacker(u64 attackers, int fromIndex, int direction) const {
  const ChessBoard& b = *board;
  u64 sliders;
  // A step that changes file must not wrap around the board's edge: an
  // eastward step never lands on file a, a westward one never on file h.
  u64 wrapped;
  switch (direction) {
    case 1: case 9: case -7:
      sliders = direction == 1 ? b.WhiteRooks | b.BlackRooks : b.WhiteBishops | b.BlackBishops;
      wrapped = FileA;
      break;
    case -1: case 7: case -9:
      sliders = direction == -1 ? b.WhiteRooks | b.BlackRooks : b.WhiteBishops | b.BlackBishops;
      wrapped = FileH;
      break;
    case 8: case -8:
      sliders = b.WhiteRooks | b.BlackRooks;
      wrapped = 0;
      break;
    default:
      printf("ERROR: dir not in range. dir = %d\n", direction);
      exit(0);
  }
  sliders |= b.WhiteQueens | b.BlackQueens;
  for (int sq = fromIndex + direction; sq >= 0 && sq < 64; sq += direction) {
    u64 mask = SquareMask(sq);
    if (mask & wrapped) break;
    if (!(mask & b.AllPieces)) continue;
    if (mask & sliders) attackers |= mask;
    break;
  }
  return attackers;
}

int SEE::StaticExchangeEvaluation(char side, u64 from, u64 to, ChessBoard* b) {
  board = b;
  const int toIndex = SquareOf(to);
  const int fromIndex = SquareOf(from);
  // 16-bit gains, as kept by the engine: an exchange that ends with a king
  // taken carries the king's value modulo 2^16.
  i16 gain[40];
  int k = 0;
  u64 attackers = SquareAttacksDefences(to) & ~from;
  gain[0] = (i16)ValueOf(to);
  int onSquare = ValueOf(from);
  if (Direction[toIndex][fromIndex] != 0) attackers = AddXrayAttacker(attackers, fromIndex, Direction[toIndex][fromIndex]);

  char mover = side;
  for (int s; k < 38 && (s = LVP(mover, attackers)) >= 0;) {
    gain[k + 1] = (i16)(onSquare - gain[k]);
    onSquare = ValueOf(SquareMask(s));
    attackers &= ~SquareMask(s);
    if (Direction[toIndex][s] != 0) attackers = AddXrayAttacker(attackers, s, Direction[toIndex][s]);
    mover ^= 1;
    k++;
  }
  for (; k > 0; k--) gain[k - 1] = (i16)(-std::max(-(int)gain[k - 1], (int)gain[k]));
  return gain[0];
}
