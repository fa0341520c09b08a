// The evaluation driver: material and phase, the attack maps, the terms in
// their fixed order with the phase blends, the whole-position corrections
// and the two lazy exits. The terms themselves are in PawnEval.cpp,
// PieceEval.cpp and KingEval.cpp.
#include "eval/PositionEvaluate.h"

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "engine/Status.h"
#include "eval/EvalAttacks.h"
#include "eval/EvalMasks.h"
#include "eval/SquareTables.h"

using namespace evalmask;
using namespace evalattack;

PositionEvaluate PE;
ChessBoard* bb = nullptr;

namespace {
constexpr int QueenValue = 9750, RookValue = 5000, MinorValue = 3250, PawnValue = 800;
// The pawn gains up to this much as pieces come off.
constexpr int PawnEndingBonus = 200;

constexpr int LazyMargin1 = 6000, LazyMargin2 = 2000;

// Bonus for major pieces on the seventh rank, by the number of rooks there.
constexpr i16 Majorson7[16] = {0, 350, 650, 950, 1250, 1400, 1450, 1500, 1500, 1500, 1500, 0, 0, 0, 0, 0};

constexpr int MatingMaterialBonus = 800;
constexpr int MinorAgainstPawns = 1100;

// Counts are kept as queens, rooks, bishops, knights, pawns.
enum { Q, R, B, N, P };
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
    const int s = Lowest(men);
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

  // 1.
  MgScore = EgScore = 0;
  bb = board;
  WhiteKingSquare = RightMostBit(b.WhiteKing) - 1;
  BlackKingSquare = RightMostBit(b.BlackKing) - 1;
  WhiteKingFile = File(WhiteKingSquare & 7);
  BlackKingFile = File(BlackKingSquare & 7);
  WhiteNonPawnCount = (i8)(w[Q] + w[R] + w[B] + w[N]);
  BlackNonPawnCount = (i8)(k[Q] + k[R] + k[B] + k[N]);
  const int pieceBalance = QueenValue * (w[Q] - k[Q]) + RookValue * (w[R] - k[R]) +
                           MinorValue * (w[B] + w[N] - k[B] - k[N]);

  // 2. Without pawns, equal material is a draw-ish ending where only king
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

  // 3.
  AttackMasks();
  Phase = 24 - (WhiteNonPawnCount + BlackNonPawnCount) - (w[R] + k[R]) - 3 * (w[Q] + k[Q]);
  if (Phase < 1) Phase = 1;

  // 4.
  const int pawnBalance = w[P] - k[P];
  int s = pieceBalance + PawnValue * pawnBalance + (PawnEndingBonus * pawnBalance * Phase) / 24;

  // 5. and 6.
  s += PawnEval04(side);
  MgScore += 13 * WhitePassedScore / 10 - 13 * BlackPassedScore / 10;
  EgScore += 19 * WhitePassedScore / 10 - 19 * BlackPassedScore / 10;

  // 7. and 8.
  s += KingEval();
  s += Blend();

  // 9.
  if (view(s) + LazyMargin1 < alpha || view(s) - LazyMargin1 > beta) return view(s);

  // 10.
  s += RuleofSquare(side);

  // 11. A lone bishop is worth less the more enemy pawns sit on its colour,
  // safe from it.
  if (k[B] == 1) {
    const u64 colour = (b.BlackBishops & LightSquares) ? LightSquares : DarkSquares;
    EgScore -= 50 * Count(b.WhitePawns & colour);
  }
  if (w[B] == 1) {
    const u64 colour = (b.WhiteBishops & LightSquares) ? LightSquares : DarkSquares;
    EgScore += 50 * Count(b.BlackPawns & colour);
  }

  // 12.
  const int traps = Traps();
  MgScore += traps;
  EgScore += traps;

  // 13. King safety, middle game only, against an enemy with attacking force.
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

  // 14. Rooks and queens on the seventh, where they find pawns or hem the
  // king in.
  if ((b.BlackPawns & Rank(6)) || (b.BlackKing & Rank(7))) {
    const int n = Count(b.WhiteRooks & (Rank(6) | Rank(7)));
    EgScore += Majorson7[n];
    MgScore += Majorson7[n] >> 1;
    if (b.WhiteQueens & (Rank(6) | Rank(7))) EgScore += 200;
  }
  if ((b.WhitePawns & Rank(1)) || (b.WhiteKing & Rank(0))) {
    const int n = Count(b.BlackRooks & (Rank(0) | Rank(1)));
    EgScore -= Majorson7[n];
    MgScore -= Majorson7[n] >> 1;
    if (b.BlackQueens & (Rank(0) | Rank(1))) EgScore -= 200;
  }

  // 15. and 16.
  s += DynamicPieceAdjustments();
  s += Blend();

  // 17.
  if (view(s) + LazyMargin2 < alpha || view(s) - LazyMargin2 > beta) return view(s);

  // 18.
  s += PawnPhalanx();

  // 19. Blocked centre pawns that shut in their own bishop.
  if ((b.BlackPawns & Squares("d7")) && (b.AllPieces & Squares("d6"))) s += 90;
  if ((b.BlackPawns & Squares("e7")) && (b.AllPieces & Squares("e6")) && (b.BlackBishops & Squares("f8"))) s += 90;
  if ((b.WhitePawns & Squares("d2")) && (b.AllPieces & Squares("d3"))) s -= 90;
  if ((b.WhitePawns & Squares("e2")) && (b.AllPieces & Squares("e3")) && (b.WhiteBishops & Squares("f1"))) s -= 90;

  // 20. Both accumulators are empty here: this sets the middle-game part.
  MgScore = 30 * (Count(WhiteKnightAttacks & Centre) + Count(WhiteBishopAttacks & Centre) +
                  Count(WhiteRookAttacks & Centre) - Count(BlackKnightAttacks & Centre) -
                  Count(BlackBishopAttacks & Centre) - Count(BlackRookAttacks & Centre));

  // 21. Undefended men, the king among them.
  s -= 50 * Count(b.WhitePieces & ~b.WhitePawns & ~WhiteAttacks);
  s += 50 * Count(b.BlackPieces & ~b.BlackPawns & ~BlackAttacks);

  // 22. and 23.
  s += KnightEval() + BishopEval() + RookEval() + QueenEval();
  s += Blend();

  // 24.
  if (b.MatingMaterial & 0x01) s += MatingMaterialBonus;
  if (b.MatingMaterial & 0x20) s -= MatingMaterialBonus;

  // 25. A minor piece against pawns alone rarely wins.
  if (w[P] && !k[P] && w[Q] == k[Q] && w[R] == k[R] && (k[B] + k[N]) - (w[B] + w[N]) == 1) s += MinorAgainstPawns;
  if (k[P] && !w[P] && w[Q] == k[Q] && w[R] == k[R] && (w[B] + w[N]) - (k[B] + k[N]) == 1) s -= MinorAgainstPawns;

  // 26. Opposite-coloured bishops draw: move three quarters of the way back
  // to plain material.
  const int pawnDiff = w[P] - k[P];
  if (WhiteNonPawnCount == BlackNonPawnCount && pieceBalance == 0 && w[B] == 1 && k[B] == 1 && !w[N] && !k[N] &&
      !w[R] && !k[R] && !w[Q] && !k[Q] && pawnDiff <= 3 && pawnDiff >= -3 &&
      ((b.WhitePawns | b.BlackPawns) & ~(FileA | FileH))) {
    const u64 bishops = b.WhiteBishops | b.BlackBishops;
    if ((bishops & LightSquares) && (bishops & DarkSquares)) s -= 3 * (s - MaterialOnly(0, b)) / 4;
  }

  // 27. Only a completed evaluation is rounded.
  return view((s / 10) * 10);
}
