// King placement and king safety: the king tables, the pawn shield in front
// of each king, enemy pawns storming it and enemy pieces bearing on the
// squares around it. The driver decides which of these run.
#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "eval/EvalMasks.h"
#include "eval/PositionEvaluate.h"
#include "eval/SquareTables.h"

using namespace evalmask;

namespace {
// Long diagonals aimed at a castled king: {h2-c7, g2-b7, f2-a7} reach the
// king side of White's camp, {c2-h7, b2-g7, a2-f7} the queen side (and the
// other way round for Black's camp).
constexpr u64 DiagonalsToWhiteKingSide = Squares("h2 g3 f4 e5 d6 c7 g2 f3 e4 d5 c6 b7 f2 e3 d4 c5 b6 a7");
constexpr u64 DiagonalsToWhiteQueenSide = Squares("c2 d3 e4 f5 g6 h7 b2 c3 d4 e5 f6 g7 a2 b3 c4 d5 e6 f7");

constexpr int BareFile = 350;
constexpr int StepPenalty = 35;
}  // namespace

int PositionEvaluate::KingEval() {
  const ChessBoard& b = *bb;
  const int wk = WhiteKingSquare, bk = BlackKingSquare;
  MgScore += WKingSquare[wk] - BKingSquare[bk];
  EgScore += KingEnding[wk] - KingEnding[bk];

  // With pieces against a bare king and no pawns left, the stronger side
  // wants its king close to the other one to help mate.
  const int d = Distance(wk, bk);
  const bool noPawns = !(b.WhitePawns | b.BlackPawns);
  if (BlackNonPawnCount == 0 && noPawns && WhiteNonPawnCount >= 1) return -80 * d;
  if (WhiteNonPawnCount == 0 && noPawns && BlackNonPawnCount >= 1) return 80 * d;
  return 0;
}

// 1-based rank of the lowest square of the set; 0 for an empty set.
int PositionEvaluate::BitBoardRank(u64 square) const { return square ? (SquareIndex(square) >> 3) + 1 : 0; }

int PositionEvaluate::PawnFilePenalty(char side, u64 filePawns) {
  int& weak = side == 0 ? WhiteWeakShieldFiles : BlackWeakShieldFiles;
  if (!filePawns) {
    weak++;
    return BareFile;
  }
  if (side == 0) {
    const int k = BitBoardRank(Bit(SquareIndex(filePawns)));
    if (k > 4) weak++;
    return (k - 2) * StepPenalty;
  }
  const int k = BitBoardRank(Bit(MyLog2(filePawns)));
  if (k < 5) weak++;
  return (7 - k) * StepPenalty;
}

int PositionEvaluate::PawnShield(char side) {
  const ChessBoard& b = *bb;
  const int ks = side == 0 ? WhiteKingSquare : BlackKingSquare;
  const u64 pawns = side == 0 ? b.WhitePawns : b.BlackPawns;
  const u64 pieces = (side == 0 ? b.WhitePieces : b.BlackPieces) & ~pawns;
  const int kf = ks & 7;
  (side == 0 ? WhiteWeakShieldFiles : BlackWeakShieldFiles) = 0;

  // A bare king's file counts double, unless a piece of its own stands
  // right in front of the king and blocks that file.
  const int p = PawnFilePenalty(side, pawns & FileMask[kf]);
  int v = 2 * p;
  const int front = side == 0 ? ks + 8 : ks - 8;
  if (v > BareFile && front >= 0 && front < 64 && (pieces & Bit(front))) v = p;

  const int right = kf == 7 ? 5 : kf + 1;
  const int left = kf == 0 ? 2 : kf - 1;
  v += PawnFilePenalty(side, pawns & FileMask[right]);
  v += PawnFilePenalty(side, pawns & FileMask[left]);
  return v;
}

int PositionEvaluate::PawnStorm(char side) {
  const ChessBoard& b = *bb;
  if (side == 0) {
    const u64 pawns = b.WhitePawns & ZoneFiles[BlackKingSquare & 7];
    return 100 * BitCount64(pawns & Rank4) + 300 * BitCount64(pawns & Rank5) + 600 * BitCount64(pawns & Rank6);
  }
  const u64 pawns = b.BlackPawns & ZoneFiles[WhiteKingSquare & 7];
  return 100 * BitCount64(pawns & Rank5) + 300 * BitCount64(pawns & Rank4) + 600 * BitCount64(pawns & Rank3);
}

int PositionEvaluate::AttackCounts(char side) {
  const ChessBoard& b = *bb;
  const bool white = side == 0;  // whose king is in danger

  // The attacker's men and maps, the defender's king and helpers.
  const u64 king = white ? b.WhiteKing : b.BlackKing;
  const int ks = white ? WhiteKingSquare : BlackKingSquare;
  const u64 zone = white ? WhiteKingAttacks : BlackKingAttacks;
  const u64 attacks = white ? BlackAttacks : WhiteAttacks;
  const u64 pawnAttacks = white ? BlackPawnAttacks : WhitePawnAttacks;
  const u64 knightAttacks = white ? BlackKnightAttacks : WhiteKnightAttacks;
  const u64 bishopAttacks = white ? BlackBishopAttacks : WhiteBishopAttacks;
  const u64 rookAttacks = white ? BlackRookAttacks : WhiteRookAttacks;
  const u64 queenAttacks = white ? BlackQueenAttacks : WhiteQueenAttacks;
  const u64 knights = white ? b.BlackKnights : b.WhiteKnights;
  const u64 bishops = white ? b.BlackBishops : b.WhiteBishops;
  const u64 rooks = white ? b.BlackRooks : b.WhiteRooks;
  const u64 queens = white ? b.BlackQueens : b.WhiteQueens;
  const i32* counts = white ? b.BlackCounts : b.WhiteCounts;
  const u64 filesWithoutAttackerPawn = white ? BlackHalfOpenFiles : WhiteHalfOpenFiles;
  const int w = white ? WhiteWeakShieldFiles : BlackWeakShieldFiles;

  // King-zone squares the attacker reaches.
  const int attacked = BitCount64(zone & attacks);

  // Kinds of attacker around the king.
  int kinds = 0, weight = 0;
  if (pawnAttacks & zone) kinds++, weight += 1;
  if ((knightAttacks & (zone | king)) || (knights & zone)) kinds++, weight += 1;
  if (bishopAttacks & zone) kinds++, weight += 1;
  if (rookAttacks & zone) kinds++, weight += 2;
  if (queenAttacks & zone) kinds++, weight += 4;

  // The swarm: one kind of attacker alone is no swarm.
  const int m = w + 1;
  int swarm = 0;
  if (kinds >= 2) {
    swarm = (15 * attacked + 125 * weight) * m;
    if (kinds <= 3) swarm = kinds * swarm / 4;
  }

  // The attacker's material, its pieces on the zone files and its heavy
  // pieces on files without its own pawns, all weighed by the weak shield.
  const int material = counts[Bishops] + counts[Knights] + counts[Rooks] + 2 * counts[Queens];
  const u64 zoneFiles = ZoneFiles[ks & 7];
  int p = swarm + 5 * material * w + 10 * w * BitCount64((knights | bishops | rooks | queens) & zoneFiles) +
          30 * m * (BitCount64((rooks | queens) & zoneFiles & filesWithoutAttackerPawn) - 1);

  // Queens and bishops on the long diagonals towards a castled king.
  const int kr = ks >> 3, kf = ks & 7;
  const bool home = white ? kr <= 1 : kr >= 6;
  if (home && kf >= 5)
    p += 10 * m * BitCount64((queens | bishops) & (white ? DiagonalsToWhiteKingSide : DiagonalsToWhiteQueenSide));
  if (home && kf <= 2)
    p += 10 * m * BitCount64((queens | bishops) & (white ? DiagonalsToWhiteQueenSide : DiagonalsToWhiteKingSide));

  // Without a queen the attack is worth half.
  if (!queens) p /= 2;

  // Defenders.
  const u64 ownPieces = white ? (b.WhiteKnights | b.WhiteBishops | b.WhiteRooks | b.WhiteQueens)
                              : (b.BlackKnights | b.BlackBishops | b.BlackRooks | b.BlackQueens);
  int defence = 100 * BitCount64(ownPieces & zone);
  if (zone & (white ? WhiteQueenAttacks : BlackQueenAttacks)) defence += 500;
  if (zone & (white ? WhiteKnightAttacks : BlackKnightAttacks)) defence += 100;

  return p - defence;
}
