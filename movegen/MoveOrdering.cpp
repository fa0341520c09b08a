// Ordering values for the moves of a list and best-first selection. Full
// width: hash move, the previous iteration's move at this ply, two killers,
// captures by victim and attacker with small positional corrections, quiet
// moves by history. Quiescence: most valuable victim, least valuable
// attacker.
#include <array>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "eval/SquareTables.h"
#include "movegen/MoveGen.h"
#include "search/SearchRoutines.h"

namespace {
constexpr u64 FileA = 0x0101010101010101ULL;
constexpr u64 Rank1 = 0xFFULL;

constexpr int PVMoveValue = 28998;
constexpr int HashMoveValue = 29000;
constexpr int FirstKillerValue = 1020;
constexpr int SecondKillerValue = 1010;
constexpr int CaptureBase = 9750;
constexpr int PromotionValue = 500;
constexpr int KingLineBonus = 28;

// The evaluation's tables, as far as ordering reads them.
constexpr i32 OpenFileControl[8] = {185, 185, 190, 200, 200, 190, 185, 185};
constexpr i32 RookOnSeventh = 350;  // the evaluation's Majorson7 for one rook
constexpr i32 Passers[8] = {0, 40, 80, 160, 270, 550, 1100, 0};

// Victims of the full-width order, by the board's kind order.
constexpr int PawnVictim = 800, KnightVictim = 3248, BishopVictim = 3250, RookVictim = 5000, QueenVictim = 9750;

int SquareOf(u64 mask) { return RightMostBit(mask) - 1; }

int FullWidthVictim(const ChessBoard& b, char enemy, u64 to) {
  if (b.IsPawn(enemy, to)) return PawnVictim;
  if (b.IsKnight(enemy, to)) return KnightVictim;
  if (b.IsBishop(enemy, to)) return BishopVictim;
  if (b.IsRook(enemy, to)) return RookVictim;
  if (b.IsQueen(enemy, to)) return QueenVictim;
  return 0;  // a king: only in a position that is already lost
}

// No enemy pawn ahead of `to` on its file or the two beside it: the capture
// leaves a passed pawn.
bool CreatesPasser(const ChessBoard& b, char side, u64 to) {
  int sq = SquareOf(to), file = sq & 7, rank = sq >> 3;
  u64 files = FileA << file;
  if (file > 0) files |= FileA << (file - 1);
  if (file < 7) files |= FileA << (file + 1);
  u64 ahead = side == 0 ? (rank < 7 ? ~0ULL << (8 * (rank + 1)) : 0) : (rank > 0 ? ~0ULL >> (8 * (8 - rank)) : 0);
  u64 enemyPawns = side == 0 ? b.BlackPawns : b.WhitePawns;
  return (files & ahead & enemyPawns) == 0;
}

int Advance(char side, int sq) { return side == 0 ? sq >> 3 : 7 - (sq >> 3); }

int CaptureValue(const ChessBoard& b, char side, u64 from, u64 to) {
  const int v = FullWidthVictim(b, side ^ 1, to);
  const int t = SquareOf(to);
  int result;
  if (b.IsBishop(side, from)) {
    result = v - 12;
  } else if (b.IsKnight(side, from)) {
    result = v + (side == 0 ? WKnightPost[t] : BKnightPost[t]) - 10;
  } else if (b.IsRook(side, from)) {
    result = v - 19;
    if (((FileA << (t & 7)) & (b.WhitePawns | b.BlackPawns)) == 0) result += OpenFileControl[t & 7];
    if ((t >> 3) == (side == 0 ? 6 : 1)) result += RookOnSeventh;
  } else if (b.IsPawn(side, from)) {
    result = v - 3;
    if (CreatesPasser(b, side, to)) result += Passers[Advance(side, t)] - Passers[Advance(side, SquareOf(from))];
  } else if (b.IsQueen(side, from)) {
    result = v - 38;
  } else {
    result = v - 14625;
  }
  return CaptureBase + result;
}

// Quiescence: victim + 10 - attacker penalty.
int QuiesceVictim(const ChessBoard& b, char enemy, u64 to) {
  if (b.IsPawn(enemy, to)) return 800;
  if (b.IsKnight(enemy, to)) return 3248;
  if (b.IsBishop(enemy, to)) return 3250;
  if (b.IsRook(enemy, to)) return 5000;
  if (b.IsQueen(enemy, to)) return 9750;
  return 10000;
}

int AttackerPenalty(const ChessBoard& b, char side, u64 from) {
  if (b.IsPawn(side, from)) return 3;
  if (b.IsKnight(side, from) || b.IsBishop(side, from)) return 12;
  if (b.IsRook(side, from)) return 19;
  return 38;
}
}  // namespace

void MoveGen::AssignMoveOrderValues(int count, int ply, u64 kingMask, int hashMove, int nodeType) {
  const ChessBoard& b = *board;
  const PVEntry pv = Search.PrincipalVariation[ply][ply];
  const u16* killers = Search.KillerMoves[ply];
  const int kingSq = kingMask ? SquareOf(kingMask) : -1;
  const u64 kingLines = kingSq < 0 ? 0 : (FileA << (kingSq & 7)) | (Rank1 << (8 * (kingSq >> 3)));
  // Each of the first four rules fires for the first move that matches.
  bool pvUsed = false, hashUsed = false, killer1Used = false, killer2Used = false;

  for (int i = 0; i < count; i++) {
    const u64 f = from[i], t = to[i];
    const char side = (char)b.PieceColor(f);
    const int m = SquareOf(f) * 64 + SquareOf(t);
    const char p = promote[i];

    if (!pvUsed && nodeType != 3 && m == pv.Move && (i8)p == pv.Promote) {
      value[i] = PVMoveValue;
      pvUsed = true;
      continue;
    }
    if (!hashUsed && hashMove != 0 && m == hashMove) {
      value[i] = HashMoveValue;
      hashUsed = true;
      continue;
    }
    if (!killer1Used && m == killers[0]) {
      value[i] = FirstKillerValue;
      killer1Used = true;
      continue;
    }
    if (!killer2Used && m == killers[1]) {
      value[i] = SecondKillerValue;
      killer2Used = true;
      continue;
    }

    int v;
    if (t & b.SidePieces(side ^ 1)) v = CaptureValue(b, side, f, t);
    else if (p == NoPromotion) v = Search.History[(int)side][m] >> 7;
    else v = PromotionValue;
    if ((b.IsRook(side, f) || b.IsQueen(side, f)) && (t & kingLines)) v += KingLineBonus;
    value[i] = v;
  }
}

void MoveGen::QuiesceAssignMoveOrderValues(int count, int) {
  const ChessBoard& b = *board;
  constexpr u64 LastRanks = Rank1 | (Rank1 << 56);
  for (int i = 0; i < count; i++) {
    const u64 f = from[i], t = to[i];
    const char side = (char)b.PieceColor(f);
    if (t & b.SidePieces(side ^ 1)) value[i] = QuiesceVictim(b, side ^ 1, t) + 10 - AttackerPenalty(b, side, f);
    else value[i] = (b.IsPawn(side, f) && (t & LastRanks)) ? 750 : 0;
  }
}

void MoveGen::NextMove(int i, int count, u64* fromOut, u64* toOut, char* promoteOut) {
  int best = i;
  for (int j = i + 1; j < count; j++)
    if (value[j] > value[best]) best = j;
  if (best != i) {
    u64 f = from[i], t = to[i];
    char p = promote[i];
    i32 v = value[i];
    from[i] = from[best], to[i] = to[best], promote[i] = promote[best], value[i] = value[best];
    from[best] = f, to[best] = t, promote[best] = p, value[best] = v;
  }
  *fromOut = from[i];
  *toOut = to[i];
  *promoteOut = promote[i];
}
