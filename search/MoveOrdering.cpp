// Ordering values for the moves of a list and best-first selection. Full
// width: hash move, the previous iteration's move at this ply, two killers,
// captures by victim and attacker with small positional corrections, quiet
// moves by history. Quiescence: most valuable victim, least valuable
// attacker.
#include <array>

#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "eval/SquareTables.h"
#include "movegen/MoveGen.h"
#include "search/MoveOrdering.h"
#include "search/SearchRoutines.h"

namespace {

constexpr int PVMoveValue = 28998;
constexpr int HashMoveValue = 29000;
constexpr int FirstKillerValue = 1020;
constexpr int SecondKillerValue = 1010;
constexpr int CaptureBase = 9750;
constexpr int PromotionValue = 500;
constexpr int KingLineBonus = 28;

constexpr i32 OpenFileControl[8] = {185, 185, 190, 200, 200, 190, 185, 185};

// A knight is taken a shade after a bishop.
constexpr int KnightVictim = MinorValue - 2;

// The value of the enemy man on `to`; `king` for the king (or no man).
int VictimValue(const ChessBoard& b, char enemy, u64 to, int king) {
  if (b.IsPawn(enemy, to)) return PawnValue;
  if (b.IsKnight(enemy, to)) return KnightVictim;
  if (b.IsBishop(enemy, to)) return MinorValue;
  if (b.IsRook(enemy, to)) return RookValue;
  if (b.IsQueen(enemy, to)) return QueenValue;
  return king;
}

int Advance(char side, int sq) { return side == 0 ? sq >> 3 : 7 - (sq >> 3); }

int CaptureValue(const ChessBoard& b, char side, u64 from, u64 to) {
  // A king: only in a position that is already lost.
  const int v = VictimValue(b, side ^ 1, to, 0);
  const int t = SquareOf(to);
  int result;
  if (b.IsBishop(side, from)) {
    result = v - 12;
  } else if (b.IsKnight(side, from)) {
    result = v + (side == 0 ? WKnightPost[t] : BKnightPost[t]) - 10;
  } else if (b.IsRook(side, from)) {
    result = v - 19;
    if (((FileA << (t & 7)) & (b.WhitePawns | b.BlackPawns)) == 0) result += OpenFileControl[t & 7];
    if ((t >> 3) == (side == 0 ? 6 : 1)) result += Majorson7[1];
  } else if (b.IsPawn(side, from)) {
    result = v - 3;
    if (!EnemyPawnAhead(b, side, to)) result += Passers[Advance(side, t)] - Passers[Advance(side, SquareOf(from))];
  } else if (b.IsQueen(side, from)) {
    result = v - 38;
  } else {
    result = v - 14625;
  }
  return CaptureBase + result;
}

int AttackerPenalty(const ChessBoard& b, char side, u64 from) {
  if (b.IsPawn(side, from)) return 3;
  if (b.IsKnight(side, from) || b.IsBishop(side, from)) return 12;
  if (b.IsRook(side, from)) return 19;
  return 38;
}
}  // namespace

// An enemy pawn stands ahead of `to` on its file or the two beside it.
bool EnemyPawnAhead(const ChessBoard& b, char side, u64 to) {
  int sq = SquareOf(to), file = sq & 7, rank = sq >> 3;
  u64 files = FileA << file;
  if (file > 0) files |= FileA << (file - 1);
  if (file < 7) files |= FileA << (file + 1);
  u64 ahead = side == 0 ? (rank < 7 ? ~0ULL << (8 * (rank + 1)) : 0) : (rank > 0 ? ~0ULL >> (8 * (8 - rank)) : 0);
  return (files & ahead & (side == 0 ? b.BlackPawns : b.WhitePawns)) != 0;
}

void AssignMoveOrderValues(const SearchRoutines& search, MoveGen& list, int count, int ply, u64 kingMask, int hashMove,
                           int nodeType) {
  const ChessBoard& b = *list.board;
  u64* from = list.from;
  u64* to = list.to;
  char* promote = list.promote;
  i32* value = list.value;
  const PVEntry pv = search.PrincipalVariation[ply][ply];
  const u16* killers = search.KillerMoves[ply];
  const int kingSq = kingMask ? SquareOf(kingMask) : -1;
  const u64 kingLines = kingSq < 0 ? 0 : (FileA << (kingSq & 7)) | (Rank1 << (8 * (kingSq >> 3)));
  // Each of the first four rules fires for the first move that matches.
  bool pvUsed = false, hashUsed = false, killer1Used = false, killer2Used = false;

  for (int i = 0; i < count; i++) {
    const u64 f = from[i], t = to[i];
    const char side = (char)b.PieceColor(f);
    const int m = SquareOf(f) * 64 + SquareOf(t);
    const char p = promote[i];

    if (!pvUsed && nodeType != AllNode && m == pv.Move && (i8)p == pv.Promote) {
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
    else if (p == NoPromotion) v = search.History[(int)side][m] >> 7;
    else v = PromotionValue;
    if ((b.IsRook(side, f) || b.IsQueen(side, f)) && (t & kingLines)) v += KingLineBonus;
    value[i] = v;
  }
}

void OrderPreviousLines(const SearchRoutines& search, MoveGen& list, int count) {
  for (size_t k = 1; k < search.Lines.size(); k++) {
    const RootLine& line = search.Lines[k];
    for (int i = 0; i < count; i++)
      if (list.from[i] == line.From && list.to[i] == line.To && list.promote[i] == line.Promote)
        list.value[i] = PVMoveValue - (int)k;
  }
}

void QuiesceAssignMoveOrderValues(MoveGen& list, int count, int) {
  const ChessBoard& b = *list.board;
  const u64* from = list.from;
  const u64* to = list.to;
  i32* value = list.value;
  constexpr u64 LastRanks = Rank1 | Rank8;
  for (int i = 0; i < count; i++) {
    const u64 f = from[i], t = to[i];
    const char side = (char)b.PieceColor(f);
    // Victim + 10 - attacker penalty.
    if (t & b.SidePieces(side ^ 1)) value[i] = VictimValue(b, side ^ 1, t, 10000) + 10 - AttackerPenalty(b, side, f);
    else value[i] = (b.IsPawn(side, f) && (t & LastRanks)) ? 750 : 0;
  }
}
