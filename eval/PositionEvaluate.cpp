// The evaluation driver: material and phase, the attack maps, the terms in
// their fixed order with the phase blends, the whole-position corrections
// and the two lazy exits. The terms themselves are in PawnEval.cpp,
// PieceEval.cpp and KingEval.cpp.
#include "eval/PositionEvaluate.h"

#include <cstdio>

#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "eval/EvalAttacks.h"
#include "eval/EvalMasks.h"
#include "eval/EvalWeights.h"
#include "eval/SquareTables.h"

using namespace evalmask;
using namespace evalattack;

using namespace evalweight;

namespace {
// Short names of the count slots: the terms read many counts at once.
constexpr int Q = Queens, R = Rooks, B = Bishops, N = Knights, P = Pawns;
}  // namespace

int PositionEvaluate::MaterialOnly(char side, const ChessBoard& b) const {
  const i32* w = b.WhiteCounts;
  const i32* k = b.BlackCounts;
  int v = QueenValue * (w[Q] - k[Q]) + RookValue * (w[R] - k[R]) + MinorValue * (w[B] + w[N] - k[B] - k[N]) +
          PawnValue * (w[P] - k[P]);
  return side == 1 ? -v : v;
}

int PositionEvaluate::SideMaterialValue(char side, const ChessBoard* b) const {
  const i32* c = side ? b->BlackCounts : b->WhiteCounts;
  return RookValue * c[R] + QueenValue * c[Q] + MinorValue * (c[B] + c[N]);
}

namespace {
// The attack sets of every man of one kind, each kept by its square for the
// mobility counts; returns their union.
template <typename AttacksOf>
inline __attribute__((always_inline)) u64 FillPieceAttacks(u64* pieceAttacks, u64 men, AttacksOf attacksOf) {
  u64 all = 0;
  for (; men; men &= men - 1) {
    const int s = SquareIndex(men);
    const u64 a = attacksOf(s);
    pieceAttacks[s] = a;
    all |= a;
  }
  return all;
}
}  // namespace

void PositionEvaluate::AttackMasks() {
  const ChessBoard& b = *bb;
  WhitePawnAttacks = ((b.WhitePawns & ~FileH) << 9) | ((b.WhitePawns & ~FileA) << 7);
  BlackPawnAttacks = ((b.BlackPawns & ~FileH) >> 7) | ((b.BlackPawns & ~FileA) >> 9);

  const u64 occupied = b.AllPieces;
  auto knight = [](int s) { return KnightAttacks(s); };
  auto bishop = [occupied](int s) { return BishopAttacks(s, occupied); };
  auto rook = [occupied](int s) { return RookAttacks(s, occupied); };
  auto queen = [occupied](int s) { return evalattack::QueenAttacks(s, occupied); };
  WhiteKnightAttacks = FillPieceAttacks(PieceAttacks, b.WhiteKnights, knight);
  BlackKnightAttacks = FillPieceAttacks(PieceAttacks, b.BlackKnights, knight);
  WhiteBishopAttacks = FillPieceAttacks(PieceAttacks, b.WhiteBishops, bishop);
  BlackBishopAttacks = FillPieceAttacks(PieceAttacks, b.BlackBishops, bishop);
  WhiteRookAttacks = FillPieceAttacks(PieceAttacks, b.WhiteRooks, rook);
  BlackRookAttacks = FillPieceAttacks(PieceAttacks, b.BlackRooks, rook);
  WhiteQueenAttacks = FillPieceAttacks(PieceAttacks, b.WhiteQueens, queen);
  BlackQueenAttacks = FillPieceAttacks(PieceAttacks, b.BlackQueens, queen);
  WhiteKingAttacks = b.WhiteKing ? KingAttacks(WhiteKingSquare) : 0;
  BlackKingAttacks = b.BlackKing ? KingAttacks(BlackKingSquare) : 0;

  WhiteAttacks = WhitePawnAttacks | WhiteKnightAttacks | WhiteBishopAttacks | WhiteRookAttacks |
                 WhiteQueenAttacks | WhiteKingAttacks;
  BlackAttacks = BlackPawnAttacks | BlackKnightAttacks | BlackBishopAttacks | BlackRookAttacks |
                 BlackQueenAttacks | BlackKingAttacks;
}

int PositionEvaluate::Blend() {
  const int term = (Phase * EgScore + (24 - Phase) * MgScore) / 24;
  MgScore = EgScore = 0;
  return term;
}

int PositionEvaluate::DynamicPieceAdjustments() {
  const ChessBoard& b = *bb;
  const i32* w = b.WhiteCounts;
  const i32* k = b.BlackCounts;
  int v = 0;

  // A lone minor piece cannot win against pawns; it can at best hold them.
  const bool whiteBishopOnly = w[B] == 1 && !w[R] && !w[Q] && !w[N] && !w[P];
  const bool whiteKnightOnly = w[N] == 1 && !w[R] && !w[Q] && !w[B] && !w[P];
  const bool blackBishopOnly = k[B] == 1 && !k[R] && !k[Q] && !k[N] && !k[P];
  const bool blackKnightOnly = k[N] == 1 && !k[R] && !k[Q] && !k[B] && !k[P];
  if (k[P] >= 1 && BlackNonPawnCount == 0) {
    if (whiteBishopOnly) v -= 750;
    if (whiteKnightOnly) v -= 800;
  }
  if (w[P] >= 1 && WhiteNonPawnCount == 0) {
    if (blackBishopOnly) v += 750;
    if (blackKnightOnly) v += 800;
  }

  // Doubled pawns weigh more the fewer heavy pieces their owner has left.
  auto doubledWeight = [](const i32* c) { return c[Q] ? 62 : c[R] == 0 ? 190 : c[R] == 1 ? 125 : 62; };
  v -= doubledWeight(w) * WhiteDoubled;
  v += doubledWeight(k) * BlackDoubled;
  return v;
}

int PositionEvaluate::PosEval(char side, int alpha, int beta, ChessBoard* board) {
  const ChessBoard& b = *board;
  const i32* w = b.WhiteCounts;
  const i32* k = b.BlackCounts;
  auto view = [side](int score) { return side == 1 ? -score : score; };

  // Kings, piece counts and the balance of pieces.
  MgScore = EgScore = 0;
  bb = board;
  WhiteKingSquare = SquareOf(b.WhiteKing);
  BlackKingSquare = SquareOf(b.BlackKing);
  WhiteKingFile = FileMask[WhiteKingSquare & 7];
  BlackKingFile = FileMask[BlackKingSquare & 7];
  WhiteNonPawnCount = (i8)(w[Q] + w[R] + w[B] + w[N]);
  BlackNonPawnCount = (i8)(k[Q] + k[R] + k[B] + k[N]);
  const int pieceBalance = QueenValue * (w[Q] - k[Q]) + RookValue * (w[R] - k[R]) +
                           MinorValue * (w[B] + w[N] - k[B] - k[N]);

  // Without pawns, equal material is a draw-ish ending where only king
  // centralisation counts, and one minor piece up is worth three quarters of
  // it; these results are not rounded.
  if (w[P] == 0 && k[P] == 0) {
    const int kings = KingEnding[WhiteKingSquare] - KingEnding[BlackKingSquare];
    const int wMinors = w[B] + w[N], bMinors = k[B] + k[N];
    if (wMinors == bMinors && w[R] == k[R] && WhiteNonPawnCount == BlackNonPawnCount) return view(kings);
    if (w[Q] == k[Q] && w[R] == k[R] && (wMinors - bMinors == 1 || bMinors - wMinors == 1)) {
      // Two bishops against a knight can still win: evaluate in full.
      const bool whitePairAgainstKnight = w[B] == 2 && k[B] == 0 && k[N] == 1;
      const bool blackPairAgainstKnight = w[B] != 2 && k[B] == 2 && w[B] == 0 && w[N] == 1;
      if (!whitePairAgainstKnight && !blackPairAgainstKnight) return view(kings + (3 * pieceBalance) / 4);
    }
  }

  // Attack maps and the game phase.
  AttackMasks();
  Phase = 24 - (WhiteNonPawnCount + BlackNonPawnCount) - (w[R] + k[R]) - 3 * (w[Q] + k[Q]);
  if (Phase < 1) Phase = 1;

  // Material, the pawns gaining as pieces come off.
  const int pawnBalance = w[P] - k[P];
  int s = pieceBalance + PawnValue * pawnBalance + (PawnEndingBonus * pawnBalance * Phase) / 24;

  // Pawn structure, and passed pawns weighted by phase.
  s += PawnEval04(side);
  MgScore += PasserMg * WhitePassedScore / 10 - PasserMg * BlackPassedScore / 10;
  EgScore += PasserEg * WhitePassedScore / 10 - PasserEg * BlackPassedScore / 10;

  // King placement, then the first blend.
  s += KingEval();
  s += Blend();

  // The first lazy exit.
  if (view(s) + LazyMargin1 < alpha || view(s) - LazyMargin1 > beta) return view(s);

  // Pawn races of a pawn ending.
  s += RuleofSquare(side);

  // A lone bishop is worth less the more enemy pawns sit on its colour,
  // safe from it.
  if (k[B] == 1) {
    const u64 colour = (b.BlackBishops & LightSquareMask) ? LightSquareMask : DarkSquareMask;
    EgScore -= PawnOnBishopColour * BitCount64(b.WhitePawns & colour);
  }
  if (w[B] == 1) {
    const u64 colour = (b.WhiteBishops & LightSquareMask) ? LightSquareMask : DarkSquareMask;
    EgScore += PawnOnBishopColour * BitCount64(b.BlackPawns & colour);
  }

  // Trapped pieces, in either phase.
  const int traps = Traps();
  MgScore += traps;
  EgScore += traps;

  // King safety, middle game only, against an enemy with attacking force.
  const bool blackCanAttack = BlackNonPawnCount >= 2 && (k[Q] || BlackNonPawnCount >= 4);
  const bool whiteCanAttack = WhiteNonPawnCount >= 2 && (w[Q] || WhiteNonPawnCount >= 4);
  const int wkf = WhiteKingSquare & 7, bkf = BlackKingSquare & 7;
  const bool oppositeWings = (wkf <= 3 && bkf >= 5) || (bkf <= 3 && wkf >= 5);
  if (blackCanAttack) MgScore -= PawnShield(0);
  if (whiteCanAttack) MgScore += PawnShield(1);
  if (blackCanAttack) MgScore -= AttackCounts(0);
  if (whiteCanAttack) {
    MgScore += AttackCounts(1);
    MgScore += oppositeWings ? PawnStorm(0) : PawnStorm(0) / 2;
  }
  if (blackCanAttack) MgScore -= oppositeWings ? PawnStorm(1) : PawnStorm(1) / 2;

  // Rooks and queens on the seventh, where they find pawns or hem the
  // king in.
  if ((b.BlackPawns & Rank7) || (b.BlackKing & Rank8)) {
    const int n = BitCount64(b.WhiteRooks & (Rank7 | Rank8));
    EgScore += Majorson7[n];
    MgScore += Majorson7[n] >> 1;
    if (b.WhiteQueens & (Rank7 | Rank8)) EgScore += QueenOnSeventh;
  }
  if ((b.WhitePawns & Rank2) || (b.WhiteKing & Rank1)) {
    const int n = BitCount64(b.BlackRooks & (Rank1 | Rank2));
    EgScore -= Majorson7[n];
    MgScore -= Majorson7[n] >> 1;
    if (b.BlackQueens & (Rank1 | Rank2)) EgScore -= QueenOnSeventh;
  }

  // Corrections by material, then the second blend.
  s += DynamicPieceAdjustments();
  s += Blend();

  // The second lazy exit.
  if (view(s) + LazyMargin2 < alpha || view(s) - LazyMargin2 > beta) return view(s);

  // Advanced central pawn chains.
  s += PawnPhalanx();

  // Blocked centre pawns that shut in their own bishop.
  if ((b.BlackPawns & Squares("d7")) && (b.AllPieces & Squares("d6"))) s += BlockedCentrePawn;
  if ((b.BlackPawns & Squares("e7")) && (b.AllPieces & Squares("e6")) && (b.BlackBishops & Squares("f8")))
    s += BlockedCentrePawn;
  if ((b.WhitePawns & Squares("d2")) && (b.AllPieces & Squares("d3"))) s -= BlockedCentrePawn;
  if ((b.WhitePawns & Squares("e2")) && (b.AllPieces & Squares("e3")) && (b.WhiteBishops & Squares("f1")))
    s -= BlockedCentrePawn;

  // Pieces bearing on the centre. Both accumulators are empty here: this sets the middle-game part.
  MgScore = CentreAttack * (BitCount64(WhiteKnightAttacks & Centre) + BitCount64(WhiteBishopAttacks & Centre) +
                  BitCount64(WhiteRookAttacks & Centre) - BitCount64(BlackKnightAttacks & Centre) -
                  BitCount64(BlackBishopAttacks & Centre) - BitCount64(BlackRookAttacks & Centre));

  // Undefended men, the king among them.
  s -= UndefendedMan * BitCount64(b.WhitePieces & ~b.WhitePawns & ~WhiteAttacks);
  s += UndefendedMan * BitCount64(b.BlackPieces & ~b.BlackPawns & ~BlackAttacks);

  // The pieces' own terms, then the last blend.
  s += KnightEval() + BishopEval() + RookEval() + QueenEval();
  s += Blend();

  // Mating material, as the draw rules last found it.
  if (b.MatingMaterial & 0x01) s += MatingMaterialBonus;
  if (b.MatingMaterial & 0x20) s -= MatingMaterialBonus;

  // A minor piece against pawns alone rarely wins.
  if (w[P] && !k[P] && w[Q] == k[Q] && w[R] == k[R] && (k[B] + k[N]) - (w[B] + w[N]) == 1) s += MinorAgainstPawns;
  if (k[P] && !w[P] && w[Q] == k[Q] && w[R] == k[R] && (w[B] + w[N]) - (k[B] + k[N]) == 1) s -= MinorAgainstPawns;

  // Opposite-coloured bishops draw: move three quarters of the way back
  // to plain material.
  const int pawnDiff = w[P] - k[P];
  if (WhiteNonPawnCount == BlackNonPawnCount && pieceBalance == 0 && w[B] == 1 && k[B] == 1 && !w[N] && !k[N] &&
      !w[R] && !k[R] && !w[Q] && !k[Q] && pawnDiff <= 3 && pawnDiff >= -3 &&
      ((b.WhitePawns | b.BlackPawns) & ~(FileA | FileH))) {
    const u64 bishops = b.WhiteBishops | b.BlackBishops;
    if ((bishops & LightSquareMask) && (bishops & DarkSquareMask)) s -= 3 * (s - MaterialOnly(0, b)) / 4;
  }

  // Only a completed evaluation is rounded.
  return view((s / 10) * 10);
}

void PositionEvaluate::PrintWhiteScore(ChessBoard* board) {
  printf("\n PosEval from White view %d\n", PosEval(0, -MateScore, MateScore, board));
  fflush(stdout);
}
